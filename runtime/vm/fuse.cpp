// Recognising the record runs the code loop executes as one fused step.
#include "runtime/vm/fuse.h"

#include "runtime/vm/atoms.h"
#include "runtime/vm/code.h"

namespace kv {
namespace {

bool gFusion = true;

// A LoadVariable of the running frame's own cell, pushing only the value.
bool isLocalValue(const CodeNode* n) {
  return n->kind == LoadVariable && n->flags == kPushValue && n->second.var && n->second.var->depth == 0;
}
// A LoadVariable of an enclosing scope's variable, pushing only the value.
bool isOuterValue(const CodeNode* n) {
  return n->kind == LoadVariable && n->flags == kPushValue && n->second.var && n->second.var->depth > 0;
}
// The object of a member or element step: a frame local or an outer variable.
bool isBaseValue(const CodeNode* n) { return isLocalValue(n) || isOuterValue(n); }
bool isPop(int32_t kind) { return kind == Pop49 || kind == Pop123 || kind == Pop137; }
bool isJumpIfFalse(int32_t kind) {
  return kind == JumpIfFalse53 || kind == JumpIfFalse107 || kind == JumpIfFalse109 || kind == JumpIfFalse121;
}

// A branch on the value on top: Branch, JumpIfFalse or JumpIf.
bool isBranch(const CodeNode* n) {
  return n->kind == Branch ? n->second.triple != nullptr : n->kind == JumpIf || isJumpIfFalse(n->kind);
}
// A branch on the value on top, or && or || on it.
bool isTruthBranch(const CodeNode* n) { return isBranch(n) || n->kind == AndThen || n->kind == OrElse; }
bool isToBool(const CodeNode* n) { return n->kind == ToBool58 || n->kind == ToBool59; }

// The records from `at` that take a comparison's answer: a branch, && or ||,
// with the conversion to a truth value before it that closes an && or ||
// chain (a comparison's answer is one already); 0 when there are none.
uint32_t answerTaken(const CodeVector& code, uint32_t at) {
  if (at >= code.size()) return 0;
  if (isTruthBranch(code[at])) return 1;
  return isToBool(code[at]) && at + 1 < code.size() && isTruthBranch(code[at + 1]) ? 2 : 0;
}

// The right side `rhs` of a comparison `cmp` the fused compares take: an
// integer constant, a variable, or for == and != null, undefined or a
// boolean.
bool isCompareOperand(const CodeNode* rhs, int32_t cmp) {
  const bool equality = cmp == Equal || cmp == NotEqual;
  if (!equality && cmp != Less && cmp != Greater) return false;
  const bool word = rhs->kind == PushNull || rhs->kind == PushUndefined || rhs->kind == PushBool;
  return rhs->kind == PushInt || rhs->kind == PushInt138 || isLocalValue(rhs) || isOuterValue(rhs) || (equality && word);
}

Fused compareBranch(const CodeVector& code, uint32_t pc, uint32_t* len) {
  if (pc + 3 >= code.size() || !isCompareOperand(code[pc + 1], code[pc + 2]->kind)) return Fused::None;
  const uint32_t taken = answerTaken(code, pc + 3);
  if (taken == 0) return Fused::None;
  *len = 3 + taken;
  return Fused::CompareBranch;
}


bool isPushInt(const CodeNode* n) { return n->kind == PushInt || n->kind == PushInt138; }
bool isIntOp(int32_t kind) {
  return kind == Add || kind == Sub || kind == Mul || kind == Mod || kind == BitAnd || kind == BitOr || kind == BitXor ||
         kind == ShiftLeft || kind == ShiftRight || kind == Div;
}
bool isCompare(int32_t kind) { return kind == Less || kind == Greater || kind == Equal || kind == NotEqual; }

bool isMemberRead(const CodeNode* n, uint16_t flags) { return n->kind == GetMember && n->flags == flags; }

// `this.name CMP operand` (isCompareOperand), then the answer's records:
// their length, or 0.
uint32_t frameMemberCompare(const CodeVector& code, uint32_t pc) {
  if (pc + 4 >= code.size() || !isCompareOperand(code[pc + 2], code[pc + 3]->kind)) return 0;
  const uint32_t taken = answerTaken(code, pc + 4);
  return taken != 0 ? 4 + taken : 0;
}

// A member or element read the expression steps take as one operand (fuse.h's
// kMicroMember and its kin): its records, or 0.
uint32_t readOperand(const CodeVector& code, uint32_t k) {
  if (k + 1 >= code.size()) return 0;
  const CodeNode* const n = code[k];
  const CodeNode* const next = code[k + 1];
  const bool base = isBaseValue(n);
  if ((base || n->kind == PushFrameObject) && isMemberRead(next, kPushValue)) return 2;
  if (base && k + 2 < code.size() && (isLocalValue(next) || isPushInt(next)) && code[k + 2]->kind == GetIndexed &&
      code[k + 2]->flags == kPushValue)
    return 3;
  return 0;
}

// The records from `from` that form a number expression of locals,
// constants, member and element reads (unless `reads` is false) and the
// operations above, as far as they go, the operand depth left after them
// (-1: deeper than kFusedExprDepth on the way, counting an element read's
// key) and, in *operands, how many operands they push.
uint32_t indexExprRead(const CodeVector& code, uint32_t pc, uint16_t flags, int32_t* peak = nullptr);

uint32_t exprRun(const CodeVector& code, uint32_t from, int32_t* depth, uint32_t* operands = nullptr,
                 bool reads = true, bool outer = false, int32_t* peak = nullptr) {
  int32_t d = 0, most = 0;
  uint32_t k = from, pushed = 0;
  for (; k < code.size(); ++k) {
    // A long expression is left to the records (a cut would part a pushed
    // operand from the operation after it).
    if (k - from >= 32) {
      *depth = -1;
      return 0;
    }
    const CodeNode* n = code[k];
    uint32_t read = reads ? readOperand(code, k) : 0;
    // An element read whose key is an expression of its own: the object,
    // then the key's values on top of it.
    int32_t keyPeak = 0;
    if (reads && read == 0 && isBaseValue(n)) read = indexExprRead(code, k, kPushValue, &keyPeak);
    if (read != 0 || isLocalValue(n) || isPushInt(n) || n->kind == PushDouble || (outer && isOuterValue(n))) {
      // An element read has its object and key on the stack at once.
      const int32_t reach = d + 1 + (read == 3 ? 1 : keyPeak);
      if (reach > kFusedExprDepth) {
        *depth = -1;
        return 0;
      }
      most = reach > most ? reach : most;
      ++d;
      ++pushed;
      if (read) k += read - 1;
    } else if (isIntOp(n->kind) && d >= 2) {
      --d;
    } else {
      break;
    }
  }
  if (k - from > 32) {
    *depth = -1;
    return 0;
  }
  *depth = d;
  if (operands) *operands = pushed;
  if (peak) *peak = most;
  return k - from;
}

// local = expression; with the store and the pop.
uint32_t exprStore(const CodeVector& code, uint32_t pc) {
  const CodeNode* n = code[pc];
  if (n->kind != LoadVariable || n->flags != kPushReference || !n->second.var || n->second.var->depth != 0) return 0;
  int32_t depth = 0;
  uint32_t operands = 0;
  const uint32_t e = exprRun(code, pc + 1, &depth, &operands);
  const uint32_t at = pc + 1 + e;
  // One operand alone is a value store or a member load.
  if (operands < 2 || depth != 1 || at + 1 >= code.size()) return 0;
  const int32_t store = code[at]->kind;
  if ((store != Assign && store != AssignThroughReference) || !isPop(code[at + 1]->kind)) return 0;
  return e + 3;
}

// expression compare expression, then the branch, && or || (answerTaken).
// Comparisons keep reads
// out: a read compared (`key < n.key`, `j < l.length`) is as cheap through
// the member step and the compare step, and its values are mostly integers,
// which gain nothing from the evaluators.
uint32_t exprBranch(const CodeVector& code, uint32_t pc) {
  int32_t depth = 0;
  const uint32_t e = exprRun(code, pc, &depth, nullptr, false);
  const uint32_t at = pc + e;
  if (depth != 2 || at + 1 >= code.size() || !isCompare(code[at]->kind)) return 0;
  const uint32_t taken = answerTaken(code, at + 1);
  return taken != 0 ? e + 1 + taken : 0;
}

// The three records of local++ / local-- as a statement at pc, ending in a
// pop (or, with `jumpOnly`, in a pop and jump).
bool stepLocal(const CodeVector& code, uint32_t pc, bool jumpOnly) {
  if (pc + 2 >= code.size()) return false;
  const CodeNode* n = code[pc];
  if (n->kind != LoadVariable || n->flags != (kPushValue | kPushReference) || !n->second.var ||
      n->second.var->depth != 0)
    return false;
  const int32_t step = code[pc + 1]->kind;
  if (step != IncrementInPlace && step != DecrementInPlace) return false;
  const int32_t after = code[pc + 2]->kind;
  return after == PopAndJump || (!jumpOnly && isPop(after));
}

bool isElementRead(const CodeVector& code, uint32_t pc, uint16_t flags) {
  return pc + 2 < code.size() && isBaseValue(code[pc]) && isLocalValue(code[pc + 1]) &&
         code[pc + 2]->kind == GetIndexed && code[pc + 2]->flags == flags;
}

bool isTopOp(int32_t kind) { return kind == Add || kind == Sub || kind == Mul; }

// The records of a member or element read of `read` records at pc, with
// the + - or * after it and, when they follow, an integer constant and its
// + - * or % (divisors other than 0 and -1); 0 when no operation follows.
uint32_t readOp(const CodeVector& code, uint32_t pc, uint32_t read) {
  const uint32_t at = pc + read;
  if (at >= code.size() || !isTopOp(code[at]->kind)) return 0;
  if (at + 2 < code.size() && isPushInt(code[at + 1])) {
    const int32_t c = code[at + 1]->operand.i, op = code[at + 2]->kind;
    if (isTopOp(op) || (op == Mod && c != 0 && c != -1)) return read + 3;
  }
  return read + 1;
}

// A store through the reference below the top at `at`, then a pop.
bool storeAndPop(const CodeVector& code, uint32_t at) {
  if (at + 1 >= code.size()) return false;
  const int32_t store = code[at]->kind;
  return (store == Assign || store == AssignThroughReference) && isPop(code[at + 1]->kind);
}

// A LoadVariable of an enclosing scope's variable pushing `flags`.
bool isOuterTarget(const CodeNode* n, uint16_t flags) {
  return n->kind == LoadVariable && n->flags == flags && n->second.var && n->second.var->depth > 0;
}

// `outer = expression;` as exprStore takes `local = expression;`, for a
// variable of an enclosing scope; the expression may read such variables.
uint32_t outerExprStore(const CodeVector& code, uint32_t pc) {
  if (!isOuterTarget(code[pc], kPushReference)) return 0;
  int32_t depth = 0;
  uint32_t operands = 0;
  const uint32_t e = exprRun(code, pc + 1, &depth, &operands, true, true);
  const uint32_t at = pc + 1 + e;
  if (operands < 2 || depth != 1 || !storeAndPop(code, at)) return 0;
  return e + 3;
}

// `outer++;` and `outer--;`: the value-and-reference load, the in-place step
// and the pop.
bool stepOuter(const CodeVector& code, uint32_t pc) {
  if (pc + 2 >= code.size() || !isOuterTarget(code[pc], kPushValue | kPushReference)) return false;
  const int32_t step = code[pc + 1]->kind;
  return (step == IncrementInPlace || step == DecrementInPlace) && isPop(code[pc + 2]->kind);
}

// The expression, store and pop after a member or element reference of
// `ref` records at pc: the records of the whole statement, or 0.
uint32_t refExprStore(const CodeVector& code, uint32_t pc, uint32_t ref) {
  int32_t depth = 0;
  uint32_t operands = 0;
  const uint32_t e = exprRun(code, pc + ref, &depth, &operands);
  // A float constant alone is a value store, and a read alone stays the
  // member steps' (its value may be any).
  if (operands == 1 && (code[pc + ref]->kind == PushDouble || readOperand(code, pc + ref) != 0)) return 0;
  return e >= 1 && depth == 1 && storeAndPop(code, pc + ref + e) ? ref + e + 2 : 0;
}

// `local = local OP member-or-element [OP constant];` at pc: the records of
// the statement, or 0.
uint32_t readOpStore(const CodeVector& code, uint32_t pc) {
  const CodeNode* n = code[pc];
  if (n->flags != kPushReference || !n->second.var || n->second.var->depth != 0) return 0;
  if (pc + 3 >= code.size() || !isLocalValue(code[pc + 1]) || !isLocalValue(code[pc + 2])) return 0;
  uint32_t read = 0;
  if (isMemberRead(code[pc + 3], kPushValue)) read = readOp(code, pc + 2, 2);
  else if (isElementRead(code, pc + 2, kPushValue)) read = readOp(code, pc + 2, 3);
  return read != 0 && storeAndPop(code, pc + 2 + read) ? read + 4 : 0;
}

// A read operand whose object is a variable, at pc (readOperand): its records, or 0.
uint32_t variableRead(const CodeVector& code, uint32_t pc) {
  return pc < code.size() && code[pc]->kind == LoadVariable ? readOperand(code, pc) : 0;
}

// `read CMP operand` (isCompareOperand) and the records taking its answer
// (answerTaken) at pc (fuse.h's ReadCompare): the records, or 0.
uint32_t readCompare(const CodeVector& code, uint32_t pc) {
  const uint32_t read = variableRead(code, pc);
  const uint32_t at = pc + read;
  if (read == 0 || at + 2 >= code.size() || !isCompareOperand(code[at], code[at + 1]->kind)) return 0;
  const uint32_t taken = answerTaken(code, at + 2);
  return taken != 0 ? read + 2 + taken : 0;
}

// `variable CMP read` and the records taking its answer at pc (fuse.h's
// LocalReadCompare): the records, or 0.
uint32_t localReadCompare(const CodeVector& code, uint32_t pc) {
  const uint32_t read = variableRead(code, pc + 1);
  const uint32_t at = pc + 1 + read;
  if (read == 0 || at + 1 >= code.size() || !isCompare(code[at]->kind)) return 0;
  const uint32_t taken = answerTaken(code, at + 1);
  return taken != 0 ? read + 2 + taken : 0;
}

// One record that pushes a value the value stores take: a constant other
// than a text, or a frame local.
bool isPlainValue(const CodeNode* n) {
  switch (n->kind) {
    case PushInt: case PushInt138: case PushDouble: case PushBool: case PushNull: case PushNaN: case PushUndefined:
      return true;
    default:
      return isBaseValue(n);
  }
}

// The value, store and pop after a reference of `ref` records at pc: the
// records of the whole statement, or 0.
uint32_t refValueStore(const CodeVector& code, uint32_t pc, uint32_t ref) {
  const uint32_t at = pc + ref;
  return at < code.size() && isPlainValue(code[at]) && storeAndPop(code, at + 1) ? ref + 3 : 0;
}

// A compound store the inline integer step serves: + - * & | ^.
bool isIntCompound(const CodeNode* n) {
  const int32_t op = n->operand.i;
  return n->kind == CompoundAssign && op >= 1 && op <= 8 && op != 4 && op != 5;
}

// The integer expression, compound store and pop (or pop-and-jump) after
// `ref` records at pc that push a target's value and reference: the records
// of the whole statement, or 0.
uint32_t refCompoundStore(const CodeVector& code, uint32_t pc, uint32_t ref, bool outer = false) {
  int32_t depth = 0;
  const uint32_t e = exprRun(code, pc + ref, &depth, nullptr, true, outer);
  const uint32_t at = pc + ref + e;
  if (e < 1 || depth != 1 || at + 1 >= code.size() || !isIntCompound(code[at])) return 0;
  const int32_t after = code[at + 1]->kind;
  return isPop(after) || after == PopAndJump ? ref + e + 2 : 0;
}

// `object[e]` at pc, e an integer expression of locals and constants
// (not one local, which the element steps take) ending in the GetIndexed
// of `flags`: the records up to and with it, or 0.
uint32_t indexExprRead(const CodeVector& code, uint32_t pc, uint16_t flags, int32_t* peak) {
  int32_t depth = 0;
  uint32_t operands = 0;
  const uint32_t e = exprRun(code, pc + 1, &depth, &operands, false, true, peak);
  const uint32_t at = pc + 1 + e;
  if (e == 0 || depth != 1 || at >= code.size() || code[at]->kind != GetIndexed || code[at]->flags != flags)
    return 0;
  if (e == 1 && isLocalValue(code[pc + 1])) return 0;
  return e + 2;
}

// A negation at `at` and the records taking its answer (answerTaken): their
// length, or 0.
uint32_t negationTaken(const CodeVector& code, uint32_t at) {
  if (at >= code.size() || code[at]->kind != Not) return 0;
  const uint32_t taken = answerTaken(code, at + 1);
  return taken != 0 ? 1 + taken : 0;
}

// An element step whose key is an expression, at pc (fuse.h).
Fused indexExprRun(const CodeVector& code, uint32_t pc, uint32_t* len) {
  if (uint32_t n = indexExprRead(code, pc, kPushValue); n != 0) {
    if (const uint32_t t = negationTaken(code, pc + n); t != 0) {
      *len = n + t;
      return Fused::IndexExprNotBranch;
    }
    *len = n;
    return Fused::IndexExprElement;
  }
  const uint32_t n = indexExprRead(code, pc, kPushReference);
  if (n == 0) return Fused::None;
  const uint32_t at = pc + n;
  if (at < code.size() && isPlainValue(code[at]) && storeAndPop(code, at + 1)) {
    *len = n + 3;
    return Fused::IndexExprValueStore;
  }
  if (const uint32_t read = variableRead(code, at); read != 0 && storeAndPop(code, at + read)) {
    *len = n + read + 2;
    return Fused::IndexExprReadStore;
  }
  *len = n;
  return Fused::IndexExprElementRef;
}

// `object.push(v);` at pc (fuse.h's PushStatement): the member read of
// `push`, one plain value, the count of one, the method call, its throw
// check and the pop of the result.
bool pushStatement(const CodeVector& code, uint32_t pc) {
  if (pc + 6 >= code.size() || !isMemberRead(code[pc + 1], kPushValue)) return false;
  const CodeNode* const count = code[pc + 3];
  const CodeNode* const call = code[pc + 4];
  if (!isPlainValue(code[pc + 2]) || !isPushInt(count) || count->operand.i != 1 || call->kind != Call ||
      call->operand.i == 0 || code[pc + 5]->kind != JumpToHandlerIfThrown || !isPop(code[pc + 6]->kind))
    return false;
  const int32_t push = lookupAtom("push");
  return push != kAtomNotFound && code[pc + 1]->operand.i == push;
}

// `object.name()` or `object.name(local)` at pc (the object's push and the
// member read there): its records, or 0.
uint32_t methodCall(const CodeVector& code, uint32_t pc) {
  const uint32_t args = pc + 3 < code.size() && isLocalValue(code[pc + 2]) ? 1 : 0;
  const uint32_t count = pc + 2 + args;
  if (count + 1 >= code.size() || !isPushInt(code[count]) || code[count]->operand.i != static_cast<int32_t>(args) ||
      code[count + 1]->kind != Call)
    return 0;
  return 4 + args;
}

// A member step at a frame local's push (fuse.h), its records in *len.
Fused memberRun(const CodeVector& code, uint32_t pc, uint32_t* len) {
  if (pc + 1 >= code.size()) return Fused::None;
  const CodeNode* next = code[pc + 1];
  if (pushStatement(code, pc)) {
    *len = 7;
    return Fused::PushStatement;
  }
  if (isMemberRead(next, kPushValue | kPushReference)) {
    *len = refCompoundStore(code, pc, 2);
    return *len ? Fused::MemberCompoundStore : Fused::None;
  }
  if (isElementRead(code, pc, kPushValue | kPushReference)) {
    *len = refCompoundStore(code, pc, 3);
    return *len ? Fused::ElementCompoundStore : Fused::None;
  }
  if (isMemberRead(next, kPushValue)) {
    if ((*len = readOp(code, pc, 2)) != 0) return Fused::LocalMemberOp;
    if ((*len = methodCall(code, pc)) != 0) return Fused::MethodCall;
    *len = 2;
    return Fused::LocalMember;
  }
  if (isMemberRead(next, kPushReference)) {
    if ((*len = refValueStore(code, pc, 2)) != 0) return Fused::MemberValueStore;
    if (pc + 3 < code.size() && isBaseValue(code[pc + 2]) && isMemberRead(code[pc + 3], kPushValue) &&
        storeAndPop(code, pc + 4)) {
      *len = 6;
      return Fused::MemberMemberStore;
    }
    if ((*len = refExprStore(code, pc, 2)) != 0) return Fused::MemberExprStore;
    *len = 2;
    return Fused::LocalMemberRef;
  }
  if (isElementRead(code, pc, kPushValue)) {
    if (const uint32_t t = negationTaken(code, pc + 3); t != 0) {
      *len = 3 + t;
      return Fused::ElementNotBranch;
    }
    if (pc + 3 < code.size() && isBranch(code[pc + 3])) {
      *len = 4;
      return Fused::ElementBranch;
    }
    if ((*len = readOp(code, pc, 3)) != 0) return Fused::LocalElementOp;
    *len = 3;
    return Fused::LocalElement;
  }
  if (isElementRead(code, pc, kPushReference)) {
    if (isElementRead(code, pc + 3, kPushValue) && storeAndPop(code, pc + 6)) {
      *len = 8;
      return Fused::ElementCopyStore;
    }
    if ((*len = refValueStore(code, pc, 3)) != 0) return Fused::ElementValueStore;
    if ((*len = refExprStore(code, pc, 3)) != 0) return Fused::ElementExprStore;
    *len = 3;
    return Fused::LocalElementRef;
  }
  return indexExprRun(code, pc, len);
}

bool isJump(int32_t kind) {
  switch (kind) {
    case Jump54: case Jump108: case Jump110: case Jump117: case Jump118: case Jump122: case Jump126: case Jump165:
      return true;
    default:
      return false;
  }
}

Fused withTop(int32_t kind, Fused add, Fused sub, Fused mul, Fused mod) {
  switch (kind) {
    case Add: return add;
    case Sub: return sub;
    case Mul: return mul;
    case Mod: return mod;
    default: return Fused::None;
  }
}

// The operation at `op` on a local and the integer constant before it as a
// call's argument (LocalConstCall, VarCall): + - or *, or % by a divisor
// other than 0 and -1.
bool isArgOp(const CodeVector& code, uint32_t op) {
  const int32_t kind = code[op]->kind;
  const int32_t d = code[op - 1]->operand.i;
  return isTopOp(kind) || (kind == Mod && d != 0 && d != -1);
}

// A VarCall at pc (fuse.h): its records, or 0.
uint32_t varCall(const CodeVector& code, uint32_t pc) {
  if (!isBaseValue(code[pc])) return 0;
  if (pc + 5 >= code.size() || !isLocalValue(code[pc + 1]) || !isPushInt(code[pc + 2]) ||
      !isArgOp(code, pc + 3) || !isPushInt(code[pc + 4]) || code[pc + 4]->operand.i != 1)
    return 0;
  const CodeNode* const call = code[pc + 5];
  return call->kind == Call && call->operand.i == 0 ? 6 : 0;
}

// The step at pc and the records it covers (left at 2 unless set).
Fused fusedRun(const CodeVector& code, uint32_t pc, uint32_t* len) {
  if (!gFusion) return Fused::None;
  if (code[pc]->kind == Call) {
    *len = 1;
    return Fused::EnterCall;
  }
  if (isJump(code[pc]->kind)) {
    const int32_t to = code[pc]->operand.i;
    *len = 3;
    if (to < 0) return Fused::None;
    if (stepLocal(code, static_cast<uint32_t>(to), true)) return Fused::JumpStep;
    const CodeNode* step = static_cast<uint32_t>(to) < code.size() ? code[to] : nullptr;
    if (!step || step->kind != LoadVariable || step->flags != (kPushValue | kPushReference) || !step->second.var ||
        step->second.var->depth != 0)
      return Fused::None;
    *len = refCompoundStore(code, static_cast<uint32_t>(to), 1);
    return *len && code[to + *len - 1]->kind == PopAndJump ? Fused::JumpCompound : Fused::None;
  }
  if (pc + 1 >= code.size()) return Fused::None;
  const CodeNode* n = code[pc];
  const CodeNode* next = code[pc + 1];
  switch (n->kind) {
    case LoadVariable: {
      if (const uint32_t call = varCall(code, pc); call != 0) {
        *len = call;
        return Fused::VarCall;
      }
      if (isLocalValue(n)) {
        if ((*len = readCompare(code, pc)) != 0) return Fused::ReadCompare;
        if (Fused f = memberRun(code, pc, len); f != Fused::None) return f;
        if (Fused f = compareBranch(code, pc, len); f != Fused::None) return f;
        if ((*len = exprBranch(code, pc)) != 0) return Fused::ExprBranch;
        if ((*len = localReadCompare(code, pc)) != 0) return Fused::LocalReadCompare;
        *len = 2;
        if (next->kind == Return) return Fused::LocalReturn;
        if (isPushInt(next) && pc + 2 < code.size()) {
          if (pc + 4 < code.size() && isArgOp(code, pc + 2) && isPushInt(code[pc + 3]) &&
              code[pc + 3]->operand.i == 1 && code[pc + 4]->kind == Call) {
            *len = 5;
            return Fused::LocalConstCall;
          }
          if (isTopOp(code[pc + 2]->kind)) {
            *len = 3;
            return Fused::LocalConstOp;
          }
        }
        // A local before `local[local]` goes alone: the element read is one step.
        if (isLocalValue(next) && !isElementRead(code, pc + 1, kPushValue)) return Fused::LoadTwo;
        return withTop(next->kind, Fused::LocalAdd, Fused::LocalSub, Fused::LocalMul, Fused::None);
      }
      if (isOuterValue(n)) {
        if ((*len = readCompare(code, pc)) != 0) return Fused::ReadCompare;
        if (Fused f = memberRun(code, pc, len); f != Fused::None) return f;
        if ((*len = localReadCompare(code, pc)) != 0) return Fused::LocalReadCompare;
        *len = 1;
        return Fused::OuterValue;
      }
      // `local = local OP read [OP constant];` keeps its own integer step.
      if ((*len = readOpStore(code, pc)) != 0) return Fused::ReadOpStore;
      if ((*len = exprStore(code, pc)) != 0) return Fused::ExprStore;
      if ((*len = outerExprStore(code, pc)) != 0) return Fused::OuterExprStore;
      if (stepOuter(code, pc)) {
        *len = 3;
        return Fused::StepOuter;
      }
      if (isOuterTarget(n, kPushValue | kPushReference) && (*len = refCompoundStore(code, pc, 1, true)) != 0)
        return Fused::OuterCompoundStore;
      if (n->second.var && n->second.var->depth == 0) {
        if (n->flags == kPushReference && (*len = refValueStore(code, pc, 1)) != 0) return Fused::LocalValueStore;
        if (n->flags == kPushReference && pc + 2 < code.size() && isBaseValue(code[pc + 1])) {
          if (isMemberRead(code[pc + 2], kPushValue) && storeAndPop(code, pc + 3)) {
            *len = 5;
            return Fused::MemberLoadStore;
          }
          if (isElementRead(code, pc + 1, kPushValue) && storeAndPop(code, pc + 4)) {
            *len = 6;
            return Fused::ElementLoadStore;
          }
        }
        if (n->flags == (kPushValue | kPushReference) && (*len = refCompoundStore(code, pc, 1)) != 0)
          return Fused::CompoundStore;
      }
      *len = 3;
      return stepLocal(code, pc, false) ? Fused::StepLocal : Fused::None;
    }
    case PushInt: case PushInt138: {
      if ((*len = exprBranch(code, pc)) != 0) return Fused::ExprBranch;
      if (isCompare(next->kind) && (*len = answerTaken(code, pc + 2)) != 0) {
        *len += 2;
        return Fused::ConstCompareJump;
      }
      *len = 2;
      if (next->kind == Call) return Fused::CountCall;
      const int32_t c = n->operand.i;
      // Modulo by 0 and -1 has its own answers: those run the general way.
      const Fused mod = c != 0 && c != -1 ? Fused::ConstMod : Fused::None;
      return withTop(next->kind, Fused::ConstAdd, Fused::ConstSub, Fused::ConstMul, mod);
    }
    case PushNull: case PushUndefined: case PushBool:
      if ((next->kind != Equal && next->kind != NotEqual) || (*len = answerTaken(code, pc + 2)) == 0)
        return Fused::None;
      *len += 2;
      return Fused::ConstCompareJump;
    case Add:
      return next->kind == Return ? Fused::AddReturn : Fused::None;
    case Less: case Greater: case Equal: case NotEqual:
      if (next->kind == Return) return Fused::CompareReturn;
      if ((*len = answerTaken(code, pc + 1)) == 0) return Fused::None;
      ++*len;
      return Fused::CompareJump;
    case Not:
      if ((next->kind == ToBool58 || next->kind == ToBool59) && pc + 2 < code.size() && isTruthBranch(code[pc + 2])) {
        *len = 3;
        return Fused::NotBranch;
      }
      return isTruthBranch(next) ? Fused::NotBranch : Fused::None;
    case ToBool58: case ToBool59:
      return isTruthBranch(next) ? Fused::ToBoolBranch : Fused::None;
    case Assign: case AssignThroughReference:
      return isPop(next->kind) ? Fused::AssignPop : Fused::None;
    case PushFrameObject:
      if (isMemberRead(next, kPushValue) && pc + 2 < code.size() && code[pc + 2]->kind == Return) {
        *len = 3;
        return Fused::FrameMemberReturn;
      }
      if (isMemberRead(next, kPushValue))
        return (*len = frameMemberCompare(code, pc)) != 0 ? Fused::FrameMemberCompare : Fused::FrameMember;
      if (!isMemberRead(next, kPushReference)) return Fused::None;
      if ((*len = refValueStore(code, pc, 2)) != 0) return Fused::MemberValueStore;
      if ((*len = refExprStore(code, pc, 2)) != 0) return Fused::MemberExprStore;
      *len = 2;
      return Fused::FrameMemberRef;
    default:
      return Fused::None;
  }
}

}  // namespace

void setRecordFusion(bool on) { gFusion = on; }
bool recordFusion() { return gFusion; }

void noteExprMicro(const CodeVector& code, uint32_t from, uint32_t count) {
  static constexpr int32_t kOps[kMicroOps] = {Add, Sub, Mul, Mod, BitAnd, BitOr, BitXor, ShiftLeft, ShiftRight, Div};
  auto opOf = [](int32_t kind) {
    for (uint8_t o = 0; o < kMicroOps; ++o)
      if (kOps[o] == kind) return o;
    return kMicroOps;
  };
  for (uint32_t k = from; k < from + count && k < code.size(); ++k) {
    CodeNode* n = code[k];
    if (const uint32_t read = readOperand(code, k); read != 0) {
      const uint8_t m = n->kind == PushFrameObject ? kMicroThisMember
                        : read == 2                ? kMicroMember
                        : isPushInt(code[k + 1])   ? kMicroElementConst
                                                   : kMicroElement;
      // An operation right after the read, inside the expression, is
      // taken with it.
      const uint32_t at = k + read;
      const uint8_t op = at < from + count && at < code.size() ? opOf(code[at]->kind) : kMicroOps;
      n->micro = op < kMicroOps ? static_cast<uint8_t>(kMicroReadOp + 16 * (m - kMicroMember) + op) : m;
      k += read - 1;
      continue;
    }
    // The key's own records are noted as they come; the read itself is its
    // object and its GetIndexed.
    if (const uint32_t read = isBaseValue(n) ? indexExprRead(code, k, kPushValue) : 0; read != 0) {
      n->micro = kMicroIndexBase;
      code[k + read - 1]->micro = kMicroIndex;
      continue;
    }
    const uint8_t next = k + 1 < code.size() ? opOf(code[k + 1]->kind) : kMicroOps;
    if (isLocalValue(n)) n->micro = next < kMicroOps ? kMicroLocalOp + next : kMicroLocal;
    else if (isPushInt(n)) n->micro = next < kMicroOps ? kMicroConstOp + next : kMicroConst;
    else if (n->kind == PushDouble) n->micro = kMicroDouble;
    else if (isOuterValue(n)) n->micro = kMicroOuter;
    else if (uint8_t o = opOf(n->kind); o < kMicroOps) n->micro = kMicroStackOp + o;
  }
}

uint32_t readOperandAt(const CodeVector& code, uint32_t at) {
  if (const uint32_t read = readOperand(code, at); read != 0) return read;
  return at < code.size() && isBaseValue(code[at]) ? indexExprRead(code, at, kPushValue) : 0;
}

Fused fusedAt(const CodeVector& code, uint32_t pc, uint32_t* length) {
  uint32_t len = 2;
  const Fused f = fusedRun(code, pc, &len);
  if (length) *length = len;
  return f;
}

}  // namespace kv
