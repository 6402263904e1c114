// The code loop. Dispatch is threaded: every handler ends by fetching the
// next record and jumping through a two-level table (kind -> handler index ->
// label), so each step costs one indirect branch of its own. The operand
// stack's values stay in the context, where the collector sees them, but its
// top, the program counter and the step counter live in registers, so no
// step waits on a store of the one before. The cheap kinds run inline;
// anything that may allocate, call or warn goes to interp_ops.cpp with the
// context brought up to date.
#include "runtime/vm/interpreter.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "runtime/vm/call_entry.h"
#include "runtime/vm/construct_entry.h"
#include "runtime/vm/context.h"
#include "runtime/vm/expr_shape.h"
#include "runtime/vm/fuse.h"
#include "runtime/vm/interp_ext.h"
#include "runtime/vm/interp_ops.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/member_access.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/runtime_log.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

// The rethrown form of a failure already logged by an inner run, so that
// outer runs pass it on without logging it again.
class AbortedRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Shared by all contexts and never reset: the pump runs once per 258 steps
// however the steps are spread over threads.
uint32_t gStepCounter = 0;
constexpr uint32_t kStepsBetweenPumps = 257;

[[gnu::noinline, gnu::cold]] void pumpMessages() {
  MessagePumpHook hook = messagePumpHook();
  if (hook && hook() == -1) throw RuntimeError(kErrWindowClosed);
}

// Malformed code: an operand popped from an empty stack, a missing side record.
[[noreturn, gnu::noinline, gnu::cold]] void operandUnderflow() { throw RuntimeError(kErrUnexpected); }
[[noreturn, gnu::noinline, gnu::cold]] void operandOverflow() { throw RuntimeError(kErrStackOverflow); }
[[noreturn, gnu::noinline, gnu::cold]] void unknownOpcode() { throw KVUnexpected("unknown opcode"); }

// Handler numbers; several kinds share one. hResolve (0, a record's first
// run) chooses the record's handler and notes it in the record.
enum Handler : uint8_t {
  hResolve, hUnknown, hEndOfCode, hPushInt, hPushDouble, hPushString, hPushBool, hPushNull, hPushNaN, hPushUndefined,
  hPushFrameObject, hNew, hPop, hAssign, hCompoundAssign, hJumpIfFalse, hJump, hNop, hAndThen, hOrElse,
  hToBool, hBitAnd, hBitOr, hBitXor, hGreater, hLess, hEqual, hNotEqual, hIn, hInstanceOf, hShiftLeft,
  hShiftRight, hConcat, hAdd, hSub, hMul, hDiv, hMod, hNegate, hToInt, hToFloat, hDelete, hTypeOf,
  hIncrement, hDecrement, hBitNot, hNot, hIncrementInPlace, hDecrementInPlace, hLoadVariable,
  hLoadGlobal, hGetMember, hGetIndexed, hBeginObject, hDefineMember, hEndObject, hSwitch, hReturn,
  hReturnUndefined, hBranch, hPopAndJump, hJumpPast, hStoreCaught128, hStoreCaught129, hJumpIfThrown,
  hThrow, hJumpToHandler, hImport, hImportEnd, hCall, hWait, hEnterScope, hMakeClosure, hJumpIf,
  hCallIntrinsic, hWaitForbidden, hCallGuarded, hCallHere, hEnd, hBeginArray, hAppendElement, hEndArray, hForOf, hYield,
  hGeneratorReturn,
  // Fused steps (fuse.h), each standing for a run of records.
  hFCompareBranch, hFStepLocal, hFAssignPop, hFConstAdd, hFConstSub, hFConstMul, hFConstMod, hFLocalAdd,
  hFLocalSub, hFLocalMul, hFLoadTwo, hFExprStore, hFExprBranch, hFJumpStep, hFLocalMember, hFLocalMemberRef,
  hFLocalElement, hFLocalElementRef, hFMemberExprStore, hFElementExprStore, hFLocalMemberOp, hFLocalElementOp,
  hFFrameMember, hFFrameMemberRef, hFReadOpStore,
  // Member steps without their inline paths (fusion off, for the tests).
  hGetMemberOut, hGetIndexedOut, hAssignOut, hCompoundAssignOut, hStepOut,
  // The sort's intrinsic operations with their inline paths (fusion on).
  hSortStep,
  // A call's argument count pushed and the call entered in one step.
  hFCountCall,
  // Returns and call arguments as one step (fuse.h).
  hFLocalReturn, hFLocalConstOp, hFLocalConstCall, hFOuterValue, hFAddReturn,
  // Stores of one value and compound integer stores (fuse.h).
  hFLocalValueStore, hFMemberValueStore, hFElementValueStore, hFCompoundStore, hFMemberCompoundStore,
  hFElementCompoundStore, hFCompareJump, hFMemberLoadStore, hFElementLoadStore, hFNotBranch, hFJumpCompound,
  // Element steps keyed by an integer expression (fuse.h).
  hFIndexExprElement, hFIndexExprElementRef, hFIndexExprValueStore, hFToBoolBranch, hFConstCompareJump,
  // CompareBranch, ExprBranch and CompareJump whose answer goes to && or ||
  // or through a conversion to a truth value: steps of their own, so that
  // the plain ones keep their short tail and a loop's test reads only those.
  hFCompareThen, hFExprThen, hFCompareJumpThen,
  // Comparisons with a member read (fuse.h).
  hFReadCompare, hFLocalReadCompare, hFFrameMemberCompare, hFMemberMemberStore, hFOuterExprStore,
  hFStepOuter, hFOuterCompoundStore, hFCompareReturn,
  hFFrameMemberExprStore, hFFrameMemberValueStore,
  // `object.push(v);` as a statement (fuse.h).
  hFPushStatement,
  // Element tests (fuse.h).
  hFElementBranch, hFElementCopyStore,
  // `new` of a script function entered in the caller's loop (fusion on).
  hNewHere,
  // Negated element tests (fuse.h).
  hFElementNotBranch, hFIndexExprNotBranch,
  // A jump or nop that passes the nops and jumps on its way (noteWayOn).
  hFWayOn,
  // A loop's step and its test of the stepped local in one (noteForStep).
  hFForStep,
  // A frame local's value pushed, or a reference to it, on its own.
  hFLocalPush, hFLocalRef,
  // A function expression's scope and closure in one (makeScopedClosure).
  hFScopedClosure,
  // `return this.name;` (fuse.h).
  hFFrameMemberReturn,
  // A method call of a frame local's or outer variable's object (fuse.h).
  hFMethodCall, hCount
};

struct KindTable {
  uint8_t at[kLastKind - kFirstKind + 1] = {};
  constexpr void set(int32_t kind, Handler h) { at[kind - kFirstKind] = h; }
  constexpr KindTable() {
    for (uint8_t& h : at) h = hUnknown;
    set(PushInt, hPushInt); set(PushInt138, hPushInt); set(PushDouble, hPushDouble);
    set(PushString, hPushString); set(PushBool, hPushBool); set(PushNull, hPushNull); set(PushNaN, hPushNaN);
    set(PushUndefined, hPushUndefined); set(PushFrameObject, hPushFrameObject); set(New, hNew);
    set(Pop49, hPop); set(Pop123, hPop); set(Pop137, hPop);
    set(Assign, hAssign); set(AssignThroughReference, hAssign); set(CompoundAssign, hCompoundAssign);
    for (int32_t k : {JumpIfFalse53, JumpIfFalse107, JumpIfFalse109, JumpIfFalse121}) set(k, hJumpIfFalse);
    for (int32_t k : {Jump54, Jump108, Jump110, Jump117, Jump118, Jump122, Jump126, Jump165}) set(k, hJump);
    for (int32_t k : {Nop55, Nop111, Nop112, Nop114, Nop115, Nop116, Nop130, Nop143}) set(k, hNop);
    set(AndThen, hAndThen); set(OrElse, hOrElse); set(ToBool58, hToBool); set(ToBool59, hToBool);
    set(BitAnd, hBitAnd); set(BitOr, hBitOr); set(BitXor, hBitXor); set(Greater, hGreater); set(Less, hLess);
    set(Equal, hEqual); set(NotEqual, hNotEqual); set(In, hIn); set(InstanceOf, hInstanceOf);
    set(ShiftLeft, hShiftLeft); set(ShiftRight, hShiftRight); set(Concat, hConcat); set(Add, hAdd);
    set(Sub, hSub); set(Mul, hMul); set(Div, hDiv); set(Mod, hMod); set(Negate, hNegate); set(ToInt, hToInt);
    set(ToFloat, hToFloat); set(Delete, hDelete); set(TypeOf, hTypeOf); set(Increment, hIncrement);
    set(Decrement, hDecrement); set(BitNot, hBitNot); set(Not, hNot); set(IncrementInPlace, hIncrementInPlace);
    set(DecrementInPlace, hDecrementInPlace); set(LoadVariable, hLoadVariable); set(LoadGlobal, hLoadGlobal);
    set(GetMember, hGetMember); set(GetIndexed, hGetIndexed); set(BeginObject, hBeginObject);
    set(DefineMember, hDefineMember); set(EndObject, hEndObject); set(Switch, hSwitch); set(Return, hReturn);
    set(ReturnUndefined, hReturnUndefined); set(Branch, hBranch); set(PopAndJump, hPopAndJump);
    set(JumpPast, hJumpPast); set(StoreCaught128, hStoreCaught128); set(StoreCaught129, hStoreCaught129);
    set(JumpIfThrown, hJumpIfThrown); set(Throw, hThrow); set(JumpToHandlerIfThrown, hJumpToHandler);
    set(Import, hImport); set(ImportEnd, hImportEnd); set(Call, hCall); set(Wait, hWait);
    set(EnterScope, hEnterScope); set(MakeClosure, hMakeClosure); set(JumpIf, hJumpIf);
    set(CallIntrinsic, hCallIntrinsic); set(WaitForbidden, hWaitForbidden); set(CallGuarded, hCallGuarded);
    set(End, hEnd); set(BeginArray, hBeginArray); set(AppendElement, hAppendElement); set(EndArray, hEndArray);
    set(ForOf, hForOf); set(Yield, hYield); set(GeneratorReturn, hGeneratorReturn);
  }
};
constexpr KindTable kKinds;

// The object a member step reads from the value v, or null.
[[gnu::always_inline]] inline KVobj* objectIn(const Value* v) { return v->tag == kObject ? v->obj : nullptr; }

// && or || taking a value: a fused compare before one leaves its answer
// when it stops there.
bool isTruthJoin(const CodeNode* n) { return n->kind == AndThen || n->kind == OrElse; }
bool isToBoolRecord(const CodeNode* n) { return n->kind == ToBool58 || n->kind == ToBool59; }

// A value's truth negated, booleans and integers (a flag array's elements)
// without the general test.
[[gnu::always_inline]] inline bool valueIsFalse(const Value& v) {
  return (v.tag & (kBool | kInt)) != 0 ? v.i == 0 : !valueIsTrue(v);
}
// A value's truth, booleans and integers (flags, counts, the answers of
// && and ||) without the call.
[[gnu::always_inline]] inline bool valueTruth(const Value& v) {
  return (v.tag & (kBool | kInt)) != 0 ? v.i != 0 : valueIsTrue(v);
}

// The negation's record in an ElementNotBranch or IndexExprNotBranch run of
// `len` records at pc: before the branch, or before the conversion to a
// truth value before it.
uint32_t negationAt(CodeNode* const* code, uint32_t pc, uint32_t len) {
  const uint32_t at = pc + len - 2;
  return code[at]->kind == Not ? at : at - 1;
}

[[gnu::always_inline]] inline int32_t labelPosition(const LabelSlot* s) { return s ? s->position : -1; }

// Where a fused test's answer record `br` (a Branch, JumpIf, JumpIfFalse,
// && or ||), the last of a run of `len` records at pc, sends a true and a
// false answer. A target where the answer stays behind as the && or ||
// value is noted complemented (negative): the step then pushes the answer
// before it jumps. False when a label has no position yet.
bool answerTargets(const CodeNode* br, int32_t pc, int32_t len, int32_t* onYes, int32_t* onNo) {
  const int32_t next = pc + len;
  if (br->kind == AndThen || br->kind == OrElse) {
    const bool goOn = br->kind == AndThen;
    if (br->operand.i < 0) return false;
    *(goOn ? onYes : onNo) = next;
    *(goOn ? onNo : onYes) = ~br->operand.i;
    return true;
  }
  if (br->kind == Branch) {
    if (!br->second.triple) return false;
    *onYes = labelPosition(br->second.triple->second);
    *onNo = labelPosition(br->second.triple->third);
  } else if (br->kind == JumpIf) {
    const int32_t to = labelPosition(br->first.label);
    *onYes = br->operand.i != 0 ? to : next;
    *onNo = br->operand.i != 0 ? next : to;
  } else {
    *onYes = next;
    *onNo = br->operand.i;
  }
  return *onYes >= 0 && *onNo >= 0;
}

// A comparison record's answers for its two values below, equal and
// above (bits 0, 1 and 2), noted as its CodeNode::micro when a fused step
// that covers it is chosen (a comparison is never an expression record of
// its own). Zero for a record that is no comparison.
uint8_t compareAnswers(const CodeNode* cmp) {
  const bool orEqual = cmp->operand.i != 0;
  switch (cmp->kind) {
    case Less: return orEqual ? 3 : 1;
    case Greater: return orEqual ? 6 : 4;
    case Equal: return 2;
    case NotEqual: return 5;
    default: return 0;
  }
}

// Notes the frame cell of each LoadVariable of the running frame among
// `count` records from `from`; false when one names no cell of the frame.
bool noteSlots(const CodeVector& code, uint32_t from, uint32_t count, int32_t args, int32_t cells) {
  for (uint32_t i = from; i < from + count && i < code.size(); ++i) {
    CodeNode* r = code[i];
    const VariableRef* v = r->second.var;
    if (r->kind != LoadVariable || !v || v->depth != 0) continue;
    const int32_t at = v->index < 0 ? -1 - v->index : args + v->index;
    if (at >= 0 && at < cells && at < kNoSlot) r->slot = static_cast<uint16_t>(at);
    if (r->slot == kNoSlot) return false;
  }
  return true;
}

uint8_t plainHandler(const CodeNode* node, uint8_t h);
uint8_t plainKindAt(const CodeVector& code, int32_t at);

// A loop's jump to its `local++` / `local--` step (noted as for fJumpStep)
// whose test compares that local with an integer constant, a frame local
// or a variable of an enclosing scope and branches on the answer: noted on
// the jump so that fForStep runs the step and the test from the jump. The
// note's answers hold the test's (the three low bits answerOf reads),
// kLimitLocal or kLimitOuter for the limit's kind, and how far past the
// test a true answer goes; the limit (a constant, or a local's cell) and
// where a false answer goes are the jump's way notes. False for any other
// test.
constexpr uint8_t kLimitLocal = 8;
constexpr uint8_t kLimitOuter = 128;
constexpr int32_t kOnTrueShift = 4;
constexpr int32_t kOnTrueMask = 7;
bool noteForStep(const CodeVector& code, CodeNode* jump, int32_t args, int32_t cells) {
  StepNote& note = jump->first.note;
  const int32_t t = note.value;
  if (t < 0 || static_cast<size_t>(t) + 4 > code.size() || !noteSlots(code, static_cast<uint32_t>(t), 2, args, cells))
    return false;
  const CodeNode* const local = code[t];
  const CodeNode* const rhs = code[t + 1];
  const uint8_t answers = compareAnswers(code[t + 2]);
  int32_t onYes, onNo;
  if (local->kind != LoadVariable || local->flags != kPushValue || local->slot != note.slot || !answers ||
      isTruthJoin(code[t + 3]) || !answerTargets(code[t + 3], t, 4, &onYes, &onNo) || onYes <= t ||
      onYes - t > kOnTrueMask)
    return false;
  uint8_t limitKind = 0;
  if (rhs->kind == LoadVariable && rhs->flags == kPushValue && rhs->slot != kNoSlot) {
    jump->wayLast = rhs->slot;
    limitKind = kLimitLocal;
  } else if (rhs->kind == LoadVariable && rhs->flags == kPushValue && rhs->second.var &&
             rhs->second.var->depth > 0) {
    limitKind = kLimitOuter;
  } else if (rhs->kind == PushInt || rhs->kind == PushInt138) {
    jump->wayLast = rhs->operand.i;
  } else {
    return false;
  }
  note.answers = static_cast<uint8_t>(answers | limitKind | (onYes - t) << kOnTrueShift);
  jump->wayEnd = onNo;
  return true;
}

// The plain handler of a record kind (hUnknown outside the table).
uint8_t plainHandlerOf(int32_t kind) {
  const uint32_t k = static_cast<uint32_t>(kind - kFirstKind);
  return k <= static_cast<uint32_t>(kLastKind - kFirstKind) ? kKinds.at[k] : static_cast<uint8_t>(hUnknown);
}

// The plain handler of the record at `at` (hUnknown past the records).
uint8_t plainKindAt(const CodeVector& code, int32_t at) {
  return at < 0 || static_cast<size_t>(at) >= code.size() ? static_cast<uint8_t>(hUnknown)
                                                           : plainHandlerOf(code[at]->kind);
}

// Nops only go on to the next record and plain jumps (those no fused step
// starts at) only to their target, so a step can pass a run of them at
// once, counting each as its own step would. The way on from the jump or
// nop at pc: noted on it (where the way ends, its last record), answering
// how many records the way covers, the record itself included; 1 when it
// passes none. Bounded, so that a cycle of jumps still ends each step.
constexpr uint32_t kMaxWayOn = 16;
// An answer's way (noteAnswerWay) in one word: the records passed above
// kWayCountShift, the last one's place below.
constexpr int32_t kWayCountShift = 24;
constexpr int32_t kWayLastMask = (1 << kWayCountShift) - 1;
// Passes the nop or plain jump at `at`, if that is what stands there,
// moving `at` on and noting it as `last`.
bool passNopOrJump(const CodeVector& code, int32_t& at, int32_t& last) {
  const uint8_t h = plainKindAt(code, at);
  if (h == hNop) {
    last = at++;
  } else if (h == hJump && fusedAt(code, static_cast<uint32_t>(at)) == Fused::None) {
    last = at;
    at = code[at]->operand.i;
  } else {
    return false;
  }
  return true;
}
uint32_t noteWayOn(const CodeVector& code, uint32_t pc) {
  CodeNode* const node = code[pc];
  const bool jump = plainKindAt(code, static_cast<int32_t>(pc)) == hJump;
  int32_t at = jump ? node->operand.i : static_cast<int32_t>(pc) + 1;
  int32_t last = static_cast<int32_t>(pc);
  uint32_t count = 1;
  while (count < kMaxWayOn && passNopOrJump(code, at, last)) ++count;
  if (count == 1) return 1;
  node->wayEnd = at;
  node->wayLast = last;
  return count;
}

// A fused test whose answer stays behind as the && or || value goes on
// to records that often only pass that value on: an && or || it does not
// settle jumps on with it, a JumpIfFalse takes it and jumps or goes on,
// nops and plain jumps pass. The way from `to` (the answer's complemented
// target) for that answer: noted on the test's first record, whose way
// notes no jump or nop keeps otherwise, as where it ends (complemented
// while the answer is still to be pushed) and, in one word, how many
// records it passes and the last of them. The test then passes them
// itself, counting each as its own step would (NOTED_ANSWER). The caller
// clears the note first: a way that passes nothing leaves none.
void noteAnswerWay(const CodeVector& code, CodeNode* first, int32_t to, bool answer) {
  int32_t at = ~to;
  int32_t last = -1;
  bool held = true;
  uint32_t count = 0;
  while (count < kMaxWayOn) {
    const uint8_t h = plainKindAt(code, at);
    const CodeNode* const r = h == hUnknown ? nullptr : code[at];
    if (held && (h == hAndThen || h == hOrElse)) {
      if (answer == (h == hAndThen)) {
        held = false;
        last = at++;
      } else {
        if (r->operand.i < 0) break;
        last = at;
        at = r->operand.i;
      }
    } else if (held && h == hJumpIfFalse) {
      held = false;
      last = at;
      at = answer ? at + 1 : r->operand.i;
    } else if (!passNopOrJump(code, at, last)) {
      break;
    }
    ++count;
  }
  if (count == 0 || at < 0 || last >= kWayLastMask) return;
  first->wayEnd = held ? ~at : at;
  first->wayLast = static_cast<int32_t>(count << kWayCountShift) | last;
}

// The handler of the record at pc: a fused step when its run allows one.
// The running frame's layout fixes the cells its variable records name.
[[gnu::noinline]] uint8_t chooseHandler(const CodeVector& code, uint32_t pc, int32_t args, int32_t cells) {
  CodeNode* const node = code[pc];
  const uint32_t k = static_cast<uint32_t>(node->kind - kFirstKind);
  if (k > static_cast<uint32_t>(kLastKind - kFirstKind)) return hUnknown;
  uint32_t len = 1;
  const Fused f = fusedAt(code, pc, &len);
  const bool jumpStep = f == Fused::JumpStep || f == Fused::JumpCompound;
  const uint32_t from = jumpStep ? static_cast<uint32_t>(node->operand.i) : pc;
  if (!noteSlots(code, pc, 1, args, cells) || !noteSlots(code, from, len, args, cells)) return kKinds.at[k];
  node->run = static_cast<uint8_t>(len);
  if (f == Fused::ExprStore) {
    // The reference record's own micro code is free: it keeps the shape.
    noteExprMicro(code, pc + 1, len - 3);
    node->micro = exprShape(code, pc + 1, len - 3);
  }
  if (f == Fused::ExprBranch) noteExprMicro(code, pc, len - (isToBoolRecord(code[pc + len - 2]) ? 3 : 2));
  if (f == Fused::MemberExprStore) noteExprMicro(code, pc + 2, len - 4);
  if (f == Fused::ElementExprStore) noteExprMicro(code, pc + 3, len - 5);
  if (f == Fused::CompoundStore || f == Fused::OuterExprStore || f == Fused::OuterCompoundStore)
    noteExprMicro(code, pc + 1, len - 3);
  if (f == Fused::JumpCompound) noteExprMicro(code, from + 1, len - 3);
  if (f == Fused::MemberCompoundStore) noteExprMicro(code, pc + 2, len - 4);
  if (f == Fused::ElementCompoundStore) noteExprMicro(code, pc + 3, len - 5);
  if (f == Fused::IndexExprElement || f == Fused::IndexExprElementRef) noteExprMicro(code, pc + 1, len - 2);
  if (f == Fused::IndexExprValueStore) noteExprMicro(code, pc + 1, len - 5);
  if (f == Fused::IndexExprReadStore)
    noteExprMicro(code, pc + 1, len - 4 - (code[pc + len - 3]->kind == GetIndexed ? 3 : 2));
  if (f == Fused::IndexExprNotBranch) noteExprMicro(code, pc + 1, negationAt(code.data(), pc, len) - pc - 2);
  node->reads = kReadsNone;
  // The fused steps jump from a Branch of their run through its noted
  // targets rather than through its labels, and answer an integer
  // comparison of their run through its noted answers.
  for (uint32_t r = from; r < from + len && r < code.size(); ++r) {
    CodeNode* const b = code[r];
    if (b->kind == Branch && b->second.triple) {
      b->operand.branch.onTrue = labelPosition(b->second.triple->second);
      b->operand.branch.onFalse = labelPosition(b->second.triple->third);
    }
    if (const uint8_t answers = compareAnswers(b)) b->micro = answers;
  }
  switch (f) {
    // Tests that read their value through a variable or `this` (whose
    // records keep no operand of their own) note on that first record where
    // each answer goes, so that they jump once (NOTED_ANSWER).
    case Fused::ElementNotBranch: case Fused::IndexExprNotBranch: case Fused::ElementBranch: case Fused::CompareBranch:
    case Fused::ReadCompare: case Fused::LocalReadCompare: case Fused::FrameMemberCompare: {
      int32_t onYes, onNo;
      if (!answerTargets(code[pc + len - 1], static_cast<int32_t>(pc), static_cast<int32_t>(len), &onYes, &onNo))
        return plainHandler(node, kKinds.at[k]);
      node->operand.branch.onTrue = onYes;
      node->operand.branch.onFalse = onNo;
      node->wayLast = -1;
      if (onYes < 0) noteAnswerWay(code, node, onYes, true);
      if (onNo < 0) noteAnswerWay(code, node, onNo, false);
      break;
    }
    default: break;
  }
  {
    switch (f) {
      case Fused::ExprStore: case Fused::MemberExprStore: case Fused::ElementExprStore: case Fused::OuterExprStore:
      case Fused::CompoundStore: case Fused::JumpCompound: case Fused::MemberCompoundStore: case Fused::OuterCompoundStore:
      case Fused::ElementCompoundStore:
        for (uint32_t k = from; k < from + len && k < code.size(); ++k)
          if (readOperandAt(code, k) != 0) node->reads = kReadsUntried;
        break;
      default: break;
    }
  }
  // A local's push keeps no pointer in `first`: a step that goes on with
  // another local's push finds that one's cell there. The steps below that
  // keep a note there instead never read it.
  if (node->kind == LoadVariable && code[pc + 1]->kind == LoadVariable) node->first.nextSlot = code[pc + 1]->slot;
  if (f == Fused::JumpStep) {
    // The jump's own pointers are gone once linked: it keeps the step's
    // operands.
    CodeNode* const* const step = code.data() + node->operand.i;
    node->first.note = StepNote{step[2]->operand.i, step[0]->slot,
                                static_cast<int8_t>(step[1]->kind == IncrementInPlace ? 1 : -1), 0};
  }
  if (f == Fused::StepLocal) {
    // The local's push keeps no pointer in `first`: it keeps the step and
    // whether the run ends in the jump to the loop's test (`answers`), and
    // that jump's position.
    const CodeNode* const last = code[pc + 2];
    node->first.note = StepNote{last->operand.i, node->slot,
                                static_cast<int8_t>(code[pc + 1]->kind == IncrementInPlace ? 1 : -1),
                                static_cast<uint8_t>(last->kind == PopAndJump)};
  }
  if (f == Fused::CompareBranch) {
    // The local's push keeps no pointer in `first`: it keeps the right-hand
    // operand and the comparison's answers.
    const CodeNode* const rhs = code[pc + 1];
    StepNote note{0, kNoSlot, 0, compareAnswers(code[pc + 2])};
    if (rhs->kind == LoadVariable && rhs->slot != kNoSlot) {
      note.slot = rhs->slot;
      note.form = StepNote::kLocal;
    } else if (rhs->kind == PushInt || rhs->kind == PushInt138) {
      note.value = rhs->operand.i;
      note.form = StepNote::kConstant;
    } else if ((rhs->kind == PushNull || rhs->kind == PushUndefined || rhs->kind == PushBool) &&
               (code[pc + 2]->kind == Equal || code[pc + 2]->kind == NotEqual)) {
      // `local == null` and the like: the constant's tag in `slot`.
      note.value = rhs->kind == PushBool && rhs->operand.i != 0;
      note.slot = static_cast<uint16_t>(rhs->kind == PushNull ? kNull : rhs->kind == PushBool ? kBool : kUndefined);
      note.form = StepNote::kEquality;
    }
    node->first.note = note;
  }
  switch (f) {
    case Fused::ExprStore: return hFExprStore;
    case Fused::ExprBranch:
      return isTruthJoin(code[pc + len - 1]) || isToBoolRecord(code[pc + len - 2]) ? hFExprThen : hFExprBranch;
    case Fused::JumpStep: return noteForStep(code, node, args, cells) ? hFForStep : hFJumpStep;
    case Fused::None: break;
    case Fused::CompareBranch: return len == 4 && !isTruthJoin(code[pc + 3]) ? hFCompareBranch : hFCompareThen;
    case Fused::StepLocal: return hFStepLocal;
    case Fused::AssignPop: return hFAssignPop;
    case Fused::ConstAdd: return hFConstAdd;
    case Fused::ConstSub: return hFConstSub;
    case Fused::ConstMul: return hFConstMul;
    case Fused::ConstMod: return hFConstMod;
    case Fused::LocalAdd: return hFLocalAdd;
    case Fused::LocalSub: return hFLocalSub;
    case Fused::LocalMul: return hFLocalMul;
    case Fused::LoadTwo: return hFLoadTwo;
    case Fused::EnterCall: return hCallHere;
    case Fused::CountCall: return hFCountCall;
    case Fused::LocalMember: return hFLocalMember;
    case Fused::LocalMemberRef: return hFLocalMemberRef;
    case Fused::LocalElement: return hFLocalElement;
    case Fused::LocalElementRef: return hFLocalElementRef;
    case Fused::ElementExprStore: return hFElementExprStore;
    case Fused::LocalMemberOp: return hFLocalMemberOp;
    case Fused::LocalElementOp: return hFLocalElementOp;
    case Fused::FrameMember: return hFFrameMember;
    case Fused::FrameMemberRef: return hFFrameMemberRef;
    case Fused::ReadOpStore: return hFReadOpStore;
    case Fused::LocalReturn: return hFLocalReturn;
    case Fused::LocalConstOp: return hFLocalConstOp;
    case Fused::LocalConstCall: return hFLocalConstCall;
    case Fused::OuterValue: return hFOuterValue;
    case Fused::AddReturn: return hFAddReturn;
    case Fused::LocalValueStore: return hFLocalValueStore;
    case Fused::ElementValueStore: return hFElementValueStore;
    case Fused::CompoundStore: return hFCompoundStore;
    case Fused::MemberCompoundStore: return hFMemberCompoundStore;
    case Fused::ElementCompoundStore: return hFElementCompoundStore;
    case Fused::CompareJump: return len == 2 && !isTruthJoin(code[pc + 1]) ? hFCompareJump : hFCompareJumpThen;
    case Fused::MemberLoadStore: return hFMemberLoadStore;
    case Fused::ElementLoadStore: return hFElementLoadStore;
    case Fused::NotBranch: return hFNotBranch;
    case Fused::JumpCompound: return hFJumpCompound;
    case Fused::IndexExprElement: return hFIndexExprElement;
    case Fused::IndexExprElementRef: return hFIndexExprElementRef;
    case Fused::IndexExprValueStore: return hFIndexExprValueStore;
    case Fused::IndexExprReadStore: return hFIndexExprValueStore;
    case Fused::ToBoolBranch: return hFToBoolBranch;
    case Fused::ConstCompareJump: return hFConstCompareJump;
    case Fused::ReadCompare: return hFReadCompare;
    case Fused::LocalReadCompare: return hFLocalReadCompare;
    case Fused::FrameMemberCompare: return hFFrameMemberCompare;
    case Fused::FrameMemberReturn: return hFFrameMemberReturn;
    case Fused::MethodCall: return hFMethodCall;
    case Fused::MemberMemberStore: return hFMemberMemberStore;
    case Fused::OuterExprStore: return hFOuterExprStore;
    case Fused::StepOuter: return hFStepOuter;
    case Fused::OuterCompoundStore: return hFOuterCompoundStore;
    case Fused::CompareReturn: return hFCompareReturn;
    case Fused::MemberExprStore: return code[pc]->kind == PushFrameObject ? hFFrameMemberExprStore : hFMemberExprStore;
    case Fused::MemberValueStore: return code[pc]->kind == PushFrameObject ? hFFrameMemberValueStore : hFMemberValueStore;
    case Fused::PushStatement: return hFPushStatement;
    case Fused::ElementBranch: return hFElementBranch;
    case Fused::ElementCopyStore: return hFElementCopyStore;
    case Fused::ElementNotBranch: return hFElementNotBranch;
    case Fused::IndexExprNotBranch: return hFIndexExprNotBranch;
    // The run's length tells the step that the callee's read comes first.
    case Fused::VarCall: return hFLocalConstCall;
  }
  // A frame local's push on its own (its cell noted above): the value, or a
  // reference for a store that follows.
  if (kKinds.at[k] == hLoadVariable && recordFusion() && node->slot != kNoSlot && node->second.var &&
      node->second.var->depth == 0) {
    if (node->flags == kPushValue) return hFLocalPush;
    if (node->flags == kPushReference) return hFLocalRef;
  }
  if (kKinds.at[k] == hEnterScope && recordFusion() && pc + 1 < code.size() && code[pc + 1]->kind == MakeClosure)
    return hFScopedClosure;
  if ((kKinds.at[k] == hJump || kKinds.at[k] == hNop) && recordFusion()) {
    const uint32_t way = noteWayOn(code, pc);
    if (way > 1) {
      node->run = static_cast<uint8_t>(way);
      return hFWayOn;
    }
  }
  return plainHandler(node, kKinds.at[k]);
}

// The handler h of a record run one by one, or the step out of the loop
// that stands for it while records are not fused.
uint8_t plainHandler(const CodeNode* node, uint8_t h) {
  if (!recordFusion()) {
    if (h == hGetMember) return hGetMemberOut;
    if (h == hGetIndexed) return hGetIndexedOut;
    if (h == hAssign) return hAssignOut;
    if (h == hCompoundAssign) return hCompoundAssignOut;
    if (h == hIncrement || h == hDecrement || h == hIncrementInPlace || h == hDecrementInPlace) return hStepOut;
  } else if (h == hNew) {
    return hNewHere;
  } else if (h == hCallIntrinsic && ((node->operand.i >= 11 && node->operand.i <= 12) ||
                                     (node->operand.i >= 18 && node->operand.i <= 20))) {
    return hSortStep;
  }
  return h;
}


// The records the code loop is running (`code`): the running program's, or
// the loop's own at its entry depth. The loop keeps only their first record
// and their count; the vector itself is wanted only when a record's handler
// is chosen.
const CodeVector* runningRecords(const KVContext* ctx, int32_t entryDepth, const CodeVector& vec,
                                 CodeNode* const* code) {
  if (ctx->depth > entryDepth && ctx->program && ctx->program->code && ctx->program->code->data() == code)
    return ctx->program->code;
  return vec.data() == code ? &vec : nullptr;
}

// chooseHandler for the running records; records the loop cannot name run
// one by one (every fused step has a plain handler that gives the same).
[[gnu::noinline]] uint8_t handlerAt(const CodeVector* records, const CodeNode* node, uint32_t pc, int32_t args,
                                    int32_t cells) {
  if (records) return chooseHandler(*records, pc, args, cells);
  const uint8_t h = plainHandlerOf(node->kind);
  return h == hUnknown ? h : plainHandler(node, h);
}

// The integer a of a fused member read's run combined with the member's
// integer b by the operation record at op[0] (+ - *) and, with `tail`,
// then with the constant of op[1] by op[2] (+ - * %, the divisor neither
// 0 nor -1).
// x OP y for the record kind OP (+ - *, and % when kMod: the divisor
// neither 0 nor -1).
template <bool kMod = true>
[[gnu::always_inline]] inline int32_t intRecordOp(int32_t kind, int32_t x, int32_t y) {
  const uint32_t ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
  if constexpr (kMod)
    if (kind == Mod) return x % y;
  return wrapInt(kind == Add ? ux + uy : kind == Sub ? ux - uy : ux * uy);
}

[[gnu::always_inline]] inline int32_t readOpResult(CodeNode* const* op, bool tail, int32_t a, int32_t b) {
  const int32_t r = intRecordOp(op[0]->kind, a, b);
  return tail ? intRecordOp(op[2]->kind, r, op[1]->operand.i) : r;
}

// A variable of an enclosing scope's cell where loadVariable's inline path
// finds it, else an undefined value (loadVariable then reports whatever is
// amiss).
const Value kNoOuterCell;
[[gnu::always_inline]] inline const Value* outerCellOf(const KVContext* ctx, const VariableRef* var) {
  // The noted cell without outerCell's test of it for null.
  if (outerCellNoted(ctx, var)) [[likely]]
    return var->seenCell;
  if (const Value* c = unnotedOuterCell(ctx, var)) return c;
  return &kNoOuterCell;
}

// The value of a read operand at r (fuse.h's kMicroMember and its kin) where
// the member steps read it inline, else null (the records then run one by
// one, and the read warns, fails or calls as its own step would).
[[gnu::always_inline]] inline const Value* readOperandValue(const KVContext* ctx, CodeNode* const* r,
                                                            const Value* cells, uint8_t m) {
  const CodeNode* const e = r[0];
  KVobj* obj;
  if (m == kMicroThisMember) {
    obj = ctx->frame->receiver;
  } else {
    const Value* const c = e->slot != kNoSlot ? cells + e->slot : outerCellOf(ctx, e->second.var);
    if (c->tag != kObject) return nullptr;
    obj = c->obj;
  }
  if (!obj) return nullptr;
  if (m <= kMicroThisMember) return inlineMemberValue(obj, r[1]);
  int32_t k = r[1]->operand.i;
  if (m == kMicroElement) {
    const Value& key = cells[r[1]->slot];
    if (key.tag != kInt) return nullptr;
    k = key.i;
  }
  return k >= 0 ? inlineElementValue(obj, k) : nullptr;
}
// The records of the read operand whose micro code is m.
constexpr uint32_t readRecords(uint8_t m) { return m >= kMicroElement ? 3 : 2; }

// The value of the read operand at r whose object `obj` is a variable's
// (fuse.h's ReadCompare and LocalReadCompare: `obj.name`, `obj[local]`,
// `obj[integer constant]`) where the member steps read it inline, else null.
[[gnu::always_inline]] inline const Value* variableReadValue(CodeNode* const* r, KVobj* obj, const Value* cells) {
  const CodeNode* const k = r[1];
  if (k->kind == GetMember) return inlineMemberValue(obj, k);
  int32_t key = k->operand.i;
  if (k->kind == LoadVariable) {
    const Value& c = cells[k->slot];
    if (c.tag != kInt) return nullptr;
    key = c.i;
  }
  return key >= 0 ? inlineElementValue(obj, key) : nullptr;
}

// The integer expression of `count` records (fuse.h's ExprStore and
// ExprBranch, their micro codes noted) evaluated onto st: the top it leaves
// (one past its last value), or null when a value is no integer or a
// divisor is 0 or -1 (those records then run one by one). The top is kept
// as a pointer rather than a depth: one register and no index arithmetic
// in each micro code. Threaded like the code loop: each micro
// code ends with its own jump to the next, which predicts far better than
// one shared jump. One function serves every expression: entering a
// lighter one first and going on in another at the first read cost more
// than the heavier frame costs the expressions without reads.
[[gnu::noinline]] int32_t* evalIntRun(const KVContext* ctx, CodeNode* const* r, CodeNode* const* const end,
                                      const Value* cells, int32_t* const st) {
  int32_t* sp = st;
#define MICRO_LABELS(p) \
  &&p##add, &&p##sub, &&p##mul, &&p##mod, &&p##and, &&p##or, &&p##xor, &&p##shl, &&p##shr, &&bad, &&bad, &&bad, \
      &&bad, &&bad, &&bad, &&bad
  static void* const kAt[128] = {&&bad, &&local, &&konst, &&bad, &&member, &&self, &&element, &&elementAt, &&outer,
                                 &&base, &&index, &&bad, &&bad, &&bad, &&bad, &&bad, MICRO_LABELS(s_),
                                 MICRO_LABELS(l_), MICRO_LABELS(c_), MICRO_LABELS(m_), MICRO_LABELS(t_),
                                 MICRO_LABELS(e_), MICRO_LABELS(k_)};
  static_assert(kMicroLocal == 1 && kMicroConst == 2 && kMicroStackOp == 16 && kMicroLocalOp == 32 &&
                kMicroConstOp == 48 && kMicroOps == 10 && kMicroMember == 4 && kMicroThisMember == 5 &&
                kMicroElement == 6 && kMicroElementConst == 7 && kMicroOuter == 8 && kMicroIndexBase == 9 &&
                kMicroIndex == 10 && kMicroReadOp == 64);
  int32_t b;
  const CodeNode* e;
  // The objects of element reads whose keys are being evaluated, at the
  // depth of each (its st entry is a placeholder).
  KVobj* objs[kFusedExprDepth];
#define MICRO_NEXT         \
  if (r == end) return sp; \
  e = *r;                  \
  goto* kAt[e->micro]
#define MICRO_WRAP(op) sp[-1] = wrapInt(static_cast<uint32_t>(sp[-1]) op static_cast<uint32_t>(b))
// The seven operations with b fetched by `fetch`, stepping `len` records.
#define MICRO_OPS(p, fetch, len)                           \
  p##add : fetch; MICRO_WRAP(+); r += len; MICRO_NEXT;     \
  p##sub : fetch; MICRO_WRAP(-); r += len; MICRO_NEXT;     \
  p##mul : fetch; MICRO_WRAP(*); r += len; MICRO_NEXT;     \
  p##mod : fetch;                                          \
  if (static_cast<uint32_t>(b) + 1u <= 1u) return nullptr; \
  sp[-1] %= b; r += len; MICRO_NEXT;                       \
  p##and : fetch; sp[-1] &= b; r += len; MICRO_NEXT;       \
  p##or : fetch; sp[-1] |= b; r += len; MICRO_NEXT;        \
  p##xor : fetch; sp[-1] ^= b; r += len; MICRO_NEXT;       \
  p##shl : fetch;                                          \
  sp[-1] = wrapInt(static_cast<uint32_t>(sp[-1]) << (b & 31)); r += len; MICRO_NEXT; \
  p##shr : fetch; sp[-1] >>= (b & 31); r += len; MICRO_NEXT;
  MICRO_NEXT;
local:
  if (cells[e->slot].tag != kInt) return nullptr;
  *sp++ = cells[e->slot].i;
  ++r;
  MICRO_NEXT;
konst:
  *sp++ = e->operand.i;
  ++r;
  MICRO_NEXT;
outer: {
  const Value* const c = outerCellOf(ctx, e->second.var);
  if (c->tag != kInt) return nullptr;
  *sp++ = c->i;
  ++r;
  MICRO_NEXT;
}
// The read operands, each kind with its own label: the integer value of the
// read at r into `into`, else the records run one by one.
#define MICRO_READ(kind, into)                                     \
  {                                                                \
    const Value* const v_ = readOperandValue(ctx, r, cells, kind); \
    if (!v_ || v_->tag != kInt) return nullptr;                    \
    into = v_->i;                                                  \
  }
// A read pushed: its value onto st, past its `len` records.
#define MICRO_PUSH_READ(label, kind, len) \
  label : MICRO_READ(kind, *sp++);        \
  r += (len);                             \
  MICRO_NEXT;
  MICRO_PUSH_READ(member, kMicroMember, 2)
  MICRO_PUSH_READ(self, kMicroThisMember, 2)
  MICRO_PUSH_READ(element, kMicroElement, 3)
  MICRO_PUSH_READ(elementAt, kMicroElementConst, 3)
#undef MICRO_PUSH_READ
base: {
  const Value* const c = e->slot != kNoSlot ? cells + e->slot : outerCellOf(ctx, e->second.var);
  if (c->tag != kObject || !c->obj) return nullptr;
  objs[sp - st] = c->obj;
  *sp++ = 0;
  ++r;
  MICRO_NEXT;
}
index: {
  const int32_t key = *--sp;
  const Value* const v = key >= 0 ? inlineElementValue(objs[sp - st - 1], key) : nullptr;
  if (!v || v->tag != kInt) return nullptr;
  sp[-1] = v->i;
  ++r;
  MICRO_NEXT;
}
  MICRO_OPS(s_, b = *--sp, 1)
  MICRO_OPS(l_, if (cells[e->slot].tag != kInt) return nullptr; b = cells[e->slot].i, 2)
  MICRO_OPS(c_, b = e->operand.i, 2)
  // A read and the operation after it: the read's records and the operation's.
  MICRO_OPS(m_, MICRO_READ(kMicroMember, b), 3)
  MICRO_OPS(t_, MICRO_READ(kMicroThisMember, b), 3)
  MICRO_OPS(e_, MICRO_READ(kMicroElement, b), 4)
  MICRO_OPS(k_, MICRO_READ(kMicroElementConst, b), 4)
bad:
  return nullptr;
#undef MICRO_READ
#undef MICRO_OPS
#undef MICRO_WRAP
#undef MICRO_NEXT
#undef MICRO_LABELS
}
// The integer expression of `count` records evaluated onto st: the top it
// leaves (callers compare it with st + 1 or st + 2), or null (evalIntRun).
[[gnu::always_inline]] inline const int32_t* evalIntExpr(const KVContext* ctx, CodeNode* const* r, uint32_t count,
                                                         const Value* cells, int32_t* st) {
  // One local or constant (`j += i`, `c[i] += 1`) without the call.
  if (count == 1) {
    const CodeNode* const e = r[0];
    if (e->micro == kMicroConst) {
      st[0] = e->operand.i;
      return st + 1;
    }
    if (e->micro == kMicroLocal) {
      const Value& c = cells[e->slot];
      if (c.tag != kInt) return nullptr;
      st[0] = c.i;
      return st + 1;
    }
  }
  return evalIntRun(ctx, r, r + count, cells, st);
}

// a OP b (micro-code order, fuse.h) as the records' own steps answer it for
// two numbers: two integers as the integer steps, and under + - * / a pair
// with a float in doubles, the integer converted. False for every other
// pair and for an integer quotient or remainder the value operation settles
// (a divisor of 0, and -1 for the remainder).
[[gnu::always_inline]] inline bool numberOp(uint8_t op, Value& a, const Value& b) {
  if (a.tag == kInt && b.tag == kInt) {
    const uint32_t x = static_cast<uint32_t>(a.i), y = static_cast<uint32_t>(b.i);
    switch (op) {
      case 0: a.i = wrapInt(x + y); return true;
      case 1: a.i = wrapInt(x - y); return true;
      case 2: a.i = wrapInt(x * y); return true;
      case 3:
        if (y + 1u <= 1u) return false;
        a.i %= b.i;
        return true;
      case 4: a.i &= b.i; return true;
      case 5: a.i |= b.i; return true;
      case 6: a.i ^= b.i; return true;
      case 7: a.i = wrapInt(x << (y & 31)); return true;
      case 8: a.i >>= (y & 31); return true;
      default:
        if (y == 0) return false;
        a.i = y == ~0u ? wrapInt(0u - x) : a.i / b.i;
        return true;
    }
  }
  if (((a.tag | b.tag) & ~(kInt | kFloat)) != 0) return false;
  const double x = doubleOf(a), y = doubleOf(b);
  switch (op) {
    case 0: a = Value::makeFloat(x + y); return true;
    case 1: a = Value::makeFloat(x - y); return true;
    case 2: a = Value::makeFloat(x * y); return true;
    case 9: a = Value::makeFloat(x / y); return true;
    default: return false;
  }
}

// The expression of `count` records (noted as for evalIntExpr) evaluated
// onto st as numbers: what evalIntExpr gives up on, floats, integers and
// floats mixed, float constants and `/`, each operation as numberOp answers
// it, on a stack of its own; its `want` values (one or two) are copied to
// out. False when it leaves another number of values, a value is no number
// or numberOp declines (the records then run one by one), and out is left
// as it was. Threaded like evalIntRun; two floats, the usual pair here, are
// answered before numberOp is asked.
union NumberStack {
  NumberStack() {}
  Value st[kFusedExprDepth];
};
[[gnu::noinline]] bool evalNumberExpr(const KVContext* ctx, CodeNode* const* r, uint32_t count, const Value* cells,
                                      Value* out, int32_t want) {
#define NUMBER_LABELS(p) \
  &&p##add, &&p##sub, &&p##mul, &&p##mod, &&p##and, &&p##or, &&p##xor, &&p##shl, &&p##shr, &&p##div, &&bad, &&bad, \
      &&bad, &&bad, &&bad, &&bad
  static void* const kAt[128] = {&&bad, &&local, &&konst, &&dbl, &&member, &&self, &&element, &&elementAt, &&outer, &&base,
                                 &&index, &&bad, &&bad, &&bad, &&bad, &&bad, NUMBER_LABELS(s_), NUMBER_LABELS(l_),
                                 NUMBER_LABELS(c_), NUMBER_LABELS(m_), NUMBER_LABELS(t_), NUMBER_LABELS(e_),
                                 NUMBER_LABELS(k_)};
  static_assert(kMicroLocal == 1 && kMicroConst == 2 && kMicroDouble == 3 && kMicroStackOp == 16 &&
                kMicroLocalOp == 32 && kMicroConstOp == 48 && kMicroOps == 10 && kMicroMember == 4 &&
                kMicroThisMember == 5 && kMicroElement == 6 &&
                kMicroElementConst == 7 && kMicroOuter == 8 && kMicroIndexBase == 9 && kMicroIndex == 10);
  CodeNode* const* const end = r + count;
  // Left as it is: the evaluation writes each value before it reads it.
  NumberStack s;
  Value* sp = s.st;
  const CodeNode* e;
  Value b;
#define NUMBER_NEXT          \
  if (r == end) goto done; \
  e = *r;                  \
  goto* kAt[e->micro]
#define NUMBER_PUSH(v)                              \
  if (((v).tag & (kInt | kFloat)) == 0) return false; \
  *sp++ = (v)
// Operation number k with b fetched by `fetch`, stepping `len` records;
// FLOAT_OP answers two floats at once.
#define NUMBER_OP(label, fetch, len, k)        \
  label : {                                    \
    fetch;                                     \
    if (!numberOp(k, sp[-1], b)) return false; \
    r += len;                                  \
    NUMBER_NEXT;                               \
  }
#define NUMBER_FLOAT_OP(label, fetch, len, k, op)               \
  label : {                                                     \
    fetch;                                                      \
    Value& a = sp[-1];                                          \
    if (a.tag == kFloat && b.tag == kFloat) a.d = a.d op b.d;   \
    else if (!numberOp(k, a, b)) return false;                  \
    r += len;                                                   \
    NUMBER_NEXT;                                                \
  }
#define NUMBER_OPS(p, fetch, len)                                                                         \
  NUMBER_FLOAT_OP(p##add, fetch, len, 0, +) NUMBER_FLOAT_OP(p##sub, fetch, len, 1, -)                     \
  NUMBER_FLOAT_OP(p##mul, fetch, len, 2, *) NUMBER_OP(p##mod, fetch, len, 3) NUMBER_OP(p##and, fetch, len, 4) \
  NUMBER_OP(p##or, fetch, len, 5) NUMBER_OP(p##xor, fetch, len, 6) NUMBER_OP(p##shl, fetch, len, 7)          \
  NUMBER_OP(p##shr, fetch, len, 8) NUMBER_FLOAT_OP(p##div, fetch, len, 9, /)
  NUMBER_NEXT;
local:
  NUMBER_PUSH(cells[e->slot]);
  ++r;
  NUMBER_NEXT;
konst:
  *sp++ = Value::makeInt(e->operand.i);
  ++r;
  NUMBER_NEXT;
dbl:
  *sp++ = Value::makeFloat(e->operand.d);
  ++r;
  NUMBER_NEXT;
outer:
  NUMBER_PUSH(*outerCellOf(ctx, e->second.var));
  ++r;
  NUMBER_NEXT;
// Each read kind with its own label, as in evalIntRun.
#define NUMBER_PUSH_READ(label, kind)                               \
  label : {                                                         \
    const Value* const v = readOperandValue(ctx, r, cells, kind); \
    if (!v) return false;                                           \
    NUMBER_PUSH(*v);                                                \
    r += readRecords(kind);                                         \
    NUMBER_NEXT;                                                    \
  }
  NUMBER_PUSH_READ(member, kMicroMember)
  NUMBER_PUSH_READ(self, kMicroThisMember)
  NUMBER_PUSH_READ(element, kMicroElement)
  NUMBER_PUSH_READ(elementAt, kMicroElementConst)
#undef NUMBER_PUSH_READ
base: {
  const Value* const c = e->slot != kNoSlot ? cells + e->slot : outerCellOf(ctx, e->second.var);
  if (c->tag != kObject || !c->obj) return false;
  // The object itself is the placeholder below its key.
  *sp++ = *c;
  ++r;
  NUMBER_NEXT;
}
index: {
  // The key as the element step takes it inline: an integer.
  const Value key = *--sp;
  const Value* const v = key.tag == kInt && key.i >= 0 ? inlineElementValue(sp[-1].obj, key.i) : nullptr;
  if (!v) return false;
  --sp;
  NUMBER_PUSH(*v);
  ++r;
  NUMBER_NEXT;
}
  NUMBER_OPS(s_, b = *--sp, 1)
  NUMBER_OPS(l_, b = cells[e->slot], 2)
  NUMBER_OPS(c_, b = Value::makeInt(e->operand.i), 2)
  // A read and the operation after it, which judges the read value as the
  // push would have (numberOp declines anything but numbers).
#define NUMBER_READ(kind)                                               \
  const Value* const v_ = readOperandValue(ctx, r, cells, kind); \
  if (!v_) return false;                                                \
  b = *v_
  NUMBER_OPS(m_, NUMBER_READ(kMicroMember), 3)
  NUMBER_OPS(t_, NUMBER_READ(kMicroThisMember), 3)
  NUMBER_OPS(e_, NUMBER_READ(kMicroElement), 4)
  NUMBER_OPS(k_, NUMBER_READ(kMicroElementConst), 4)
#undef NUMBER_READ
bad:
  return false;
done:
  if (sp != s.st + want) return false;
  out[0] = s.st[0];
  if (want == 2) out[1] = s.st[1];
  return true;
#undef NUMBER_OPS
#undef NUMBER_FLOAT_OP
#undef NUMBER_OP
#undef NUMBER_PUSH
#undef NUMBER_NEXT
#undef NUMBER_LABELS
}

[[gnu::always_inline]] inline int32_t compoundIntOp(int32_t op, int32_t a, int32_t b);
// old OP= v (OP one of the compound stores' + - * & | ^) as the compound
// store's own step answers it, written to *out (which may be old's cell):
// false, having written nothing, for a pair that step sends the general way.
[[gnu::always_inline]] inline bool compoundNumber(int32_t op, const Value& old, const Value& v, Value* out) {
  if (old.tag == kInt && v.tag == kInt) {
    *out = Value::makeInt(compoundIntOp(op, old.i, v.i));
    return true;
  }
  if (op > 3 || ((old.tag | v.tag) & ~(kInt | kFloat)) != 0) return false;
  const double a = doubleOf(old), b = doubleOf(v);
  *out = Value::makeFloat(op == 1 ? a + b : op == 2 ? a - b : a * b);
  return true;
}

// The answer of the comparison record `cmp` on two numbers as the
// comparison's own step gives it (< <= > >= in doubles when one is a float;
// == and != as quickEquality settles them): false when it does not.
[[gnu::always_inline]] inline bool quickEquality(int32_t kind, const Value& a, const Value& b, bool* yes);
[[gnu::always_inline]] inline bool numberCompare(const CodeNode* cmp, const Value& a, const Value& b, bool* yes) {
  if (cmp->kind == Equal || cmp->kind == NotEqual) return quickEquality(cmp->kind, a, b, yes);
  const bool orEqual = cmp->operand.i != 0;
  const double x = doubleOf(a), y = doubleOf(b);
  *yes = cmp->kind == Less ? (orEqual ? x <= y : x < y) : (orEqual ? x >= y : x > y);
  return true;
}

// The one value of a number expression of `count` records (evalNumberExpr),
// and the answer of the comparison `cmp` of two such expressions: false when
// there is none.
[[gnu::always_inline]] inline bool numberExprValue(const KVContext* ctx, CodeNode* const* r, uint32_t count,
                                                   const Value* cells, Value* out) {
  return evalNumberExpr(ctx, r, count, cells, out, 1);
}
[[gnu::noinline]] bool numberExprCompare(const KVContext* ctx, CodeNode* const* r, uint32_t count, const Value* cells,
                                         const CodeNode* cmp, bool* yes) {
  NumberStack s;
  return evalNumberExpr(ctx, r, count, cells, s.st, 2) && numberCompare(cmp, s.st[0], s.st[1], yes);
}

// The value one record of a value store pushes (fuse.h's LocalValueStore
// and its kin): false for a variable holding a text, whose store goes the
// general way, and for an outer variable outerCellOf does not find.
[[gnu::always_inline]] inline bool plainValueOf(const KVContext* ctx, const CodeNode* r, const Value* cells,
                                                Value* out) {
  // The common kinds first, without the switch's bounds and table.
  const int32_t kind = r->kind;
  if (kind == LoadVariable) {
    const Value* c = r->slot != kNoSlot ? cells + r->slot : outerCellOf(ctx, r->second.var);
    *out = *c;
    return c != &kNoOuterCell && out->tag != kString;
  }
  if (kind == PushBool) {
    *out = Value::makeBool(r->operand.i != 0);
    return true;
  }
  if (kind == PushInt || kind == PushInt138) {
    *out = Value::makeInt(r->operand.i);
    return true;
  }
  switch (kind) {
    case PushNull: *out = Value::makeNull(); return true;
    case PushUndefined: *out = Value(); return true;
    case PushNaN: *out = Value::makeNaN(); return true;
    case PushDouble: *out = Value::makeFloat(r->operand.d); return true;
    default: *out = Value::makeInt(r->operand.i); return true;
  }
}

// a OP= b for the compound stores the inline step serves (+ - * & | ^).
[[gnu::always_inline]] inline int32_t compoundIntOp(int32_t op, int32_t a, int32_t b) {
  const uint32_t x = static_cast<uint32_t>(a), y = static_cast<uint32_t>(b);
  switch (op) {
    case 1: return wrapInt(x + y);
    case 2: return wrapInt(x - y);
    case 3: return wrapInt(x * y);
    case 6: return a & b;
    case 7: return a | b;
    default: return a ^ b;
  }
}

// The answer of the comparison record `cmp` (< <= > >= == !=) on two
// integers: the bit of its noted answers (compareAnswers) for a below, equal
// to or above b, without a branch on the record's kind.
[[gnu::always_inline]] inline bool answerOf(uint32_t answers, int32_t a, int32_t b) {
  const uint32_t order = static_cast<uint32_t>(a >= b) + static_cast<uint32_t>(a > b);
  return (answers >> order) & 1u;
}
[[gnu::always_inline]] inline bool intCompare(const CodeNode* cmp, int32_t a, int32_t b) {
  return answerOf(cmp->micro, a, b);
}

// == and != (the record kind `kind`) answered as valueEquals and
// valueNotEquals answer them for the pairs valuesEqualInline settles itself;
// false for those it does not and for the other comparisons.
[[gnu::always_inline]] inline bool quickEquality(int32_t kind, const Value& a, const Value& b, bool* yes) {
  if (kind != Equal && kind != NotEqual) return false;
  bool same;
  if ((a.tag | b.tag) & kNaN) {
    *yes = false;
    return true;
  }
  if (a.tag == b.tag) {
    if (a.tag & (kInt | kBool | kUndefined | kNull)) same = a.i == b.i;
    else if (a.tag == kFloat) same = a.bits == b.bits;
    else if (a.tag == kObject && a.obj == b.obj) same = true;
    else return false;
  } else if ((a.tag | b.tag) & ~(kString | kObject)) {
    same = false;
  } else {
    return false;
  }
  *yes = kind == Equal ? same : !same;
  return true;
}


// The answer of `a cmp b` the fused compares give: two integers as the
// comparison's own step, and the pairs quickEquality settles; false, having
// answered nothing, for any other pair (the records then run one by one).
[[gnu::always_inline]] inline bool settledCompare(const CodeNode* cmp, const Value& a, const Value& b, bool* yes) {
  if (a.tag == kInt && b.tag == kInt) [[likely]] {
    *yes = intCompare(cmp, a.i, b.i);
    return true;
  }
  return quickEquality(cmp->kind, a, b, yes);
}
// The value of a compare operand record (CompareBranch's right side): a
// variable's cell, or the constant written to *k; null for a variable of an
// enclosing scope not found.
[[gnu::always_inline]] inline const Value* compareOperand(const KVContext* ctx, const CodeNode* rhs, const Value* cells,
                                                          Value* k) {
  if (rhs->kind != LoadVariable) {
    plainValueOf(ctx, rhs, cells, k);
    return k;
  }
  const Value* const b = rhs->slot != kNoSlot ? cells + rhs->slot : outerCellOf(ctx, rhs->second.var);
  return b == &kNoOuterCell ? nullptr : b;
}

// A test of a local against null, undefined or a truth value as noted:
// out of the loop, whose registers it would otherwise take. The answer (0 or
// 1), or -1 when quickEquality does not settle it; answered by value, so the
// loop's answer never needs an address and stays in a register.
[[gnu::noinline]] int notedEqualityAnswer(const Value& a, StepNote note) {
  Value b;
  b.tag = note.slot;
  b.i = note.value;
  bool yes;
  return quickEquality(note.answers == 2 ? Equal : NotEqual, a, b, &yes) ? yes : -1;  // == answers "equal" only
}
// The answer of the CompareBranch at `at` (a loop's test) when settledCompare settles its values; false, having
// changed nothing, for any other values (the records then run one by one).
// The caller has checked room for the two operands.
[[gnu::always_inline]] inline bool compareBranchAnswer(const KVContext* ctx, CodeNode* const* at, const Value* cells,
                                                       bool* yes) {
  // The usual bounds, an integer constant or a frame local, and tests
  // against null and the like come from the note on the test's first
  // record, read without following the records.
  const CodeNode* const t = at[0];
  const StepNote note = t->first.note;
  const Value& a = cells[t->slot];
  if (note.form == StepNote::kConstant && a.tag == kInt) [[likely]] {
    *yes = answerOf(note.answers, a.i, note.value);
    return true;
  }
  if (note.form == StepNote::kLocal) {
    const Value& b = cells[note.slot];
    if (a.tag == kInt && b.tag == kInt) [[likely]] {
      *yes = answerOf(note.answers, a.i, b.i);
      return true;
    }
    return quickEquality(at[2]->kind, a, b, yes);
  }
  if (note.form == StepNote::kEquality) {
    const int answer = notedEqualityAnswer(a, note);
    if (answer < 0) return false;
    *yes = answer != 0;
    return true;
  }
  Value k;
  const Value* const b = compareOperand(ctx, at[1], cells, &k);
  return b && settledCompare(at[2], a, *b, yes);
}
// The answer of a loop's test at `at` when it runs as one fused ExprBranch
// of `len` records whose values that step serves inline; false, having
// changed nothing, for any other values.
[[gnu::always_inline]] inline bool loopExprAnswer(const KVContext* ctx, CodeNode* const* at, uint32_t len,
                                                  const Value* cells, int32_t top, bool* yes) {
  int32_t st[kFusedExprDepth];
  if (top + kFusedExprDepth > KVContext::kOperands) return false;
  if (evalIntExpr(ctx, at, len - 2, cells, st) == st + 2) {
    *yes = intCompare(at[len - 2], st[0], st[1]);
    return true;
  }
  return numberExprCompare(ctx, at, len - 2, cells, at[len - 2], yes);
}

// The code loop's place: the next record, the step counter and the last
// record run. Passed and answered by value, so that the loop's own copies
// never need an address and stay in registers.
struct LoopState {
  int32_t pc;
  uint32_t steps;
  CodeNode* last;
};

// Rounds of a loop whose body is one shaped `local = expression;` (the
// ExprStore at bodyAt, with a shape) ending in the jump to the loop's step
// (a JumpStep at `at.pc`, where the body's step has just left the run),
// whose step goes on to the loop's test (a CompareBranch) that branches
// back to the body. Each round runs the three steps as their handlers
// would; the rounds stop before a step that could meet the pump or finds a
// value that is no integer, or when the test leaves the loop. The place is
// answered as the steps would leave it, for the code loop to go on from
// there. The caller has checked the operand and reference stacks, which no
// round changes.
[[gnu::noinline]] LoopState runShapedLoop(CodeNode* const* code, uint32_t n, Value* cells, int32_t bodyAt,
                                          LoopState at) {
  const int32_t jumpAt = at.pc;
  if (static_cast<uint32_t>(jumpAt) >= n || (code[jumpAt]->op != hFJumpStep && code[jumpAt]->op != hFForStep))
    return at;
  CodeNode* const* const step = code + code[jumpAt]->operand.i;
  Value* const counter = cells + step[0]->slot;
  const uint32_t delta = step[1]->kind == IncrementInPlace ? 1u : ~0u;
  const int32_t testAt = step[2]->operand.i;
  if (static_cast<uint32_t>(testAt) >= n || code[testAt]->op != hFCompareBranch) return at;
  CodeNode* const* const test = code + testAt;
  static constexpr uint32_t kConstantTag = kInt;
  const Value* const a = cells + test[0]->slot;
  const CodeNode* const rhs = test[1];
  const bool rhsLocal = rhs->kind == LoadVariable;
  // Rounds take an ordering test against an integer constant or a frame local.
  if ((test[2]->kind != Less && test[2]->kind != Greater) || (rhsLocal && rhs->slot == kNoSlot) ||
      (!rhsLocal && rhs->kind != PushInt && rhs->kind != PushInt138))
    return at;
  CodeNode* const br = test[3];
  // Where the test goes on a true and on a false answer (BRANCH_ON).
  int32_t onYes = testAt + 4, onNo = testAt + 4;
  if (br->kind == Branch) {
    onYes = labelPosition(br->second.triple->second);
    onNo = labelPosition(br->second.triple->third);
  } else if (br->kind == JumpIf) {
    (br->operand.i != 0 ? onYes : onNo) = labelPosition(br->first.label);
  } else {
    onNo = br->operand.i;
  }
  if ((onYes == bodyAt) == (onNo == bodyAt)) return at;
  const bool stayOn = onYes == bodyAt;
  CodeNode* const body = code[bodyAt];
  ShapedRounds r;
  pointOperands(body->micro, code + bodyAt + 1, cells, &r.operands);
  r.target = cells + body->slot;
  r.counter = counter;
  r.delta = delta;
  r.leftTag = &a->tag;
  r.left = &a->i;
  r.rightTag = rhsLocal ? &cells[rhs->slot].tag : &kConstantTag;
  r.right = rhsLocal ? &cells[rhs->slot].i : &rhs->operand.i;
  // The test's answer as sign * (left - right) < bias: < is (1, 0), <=
  // (1, 1), > (-1, 0), >= (-1, 1); the loop goes on when that answer is
  // stayOn, which for a false answer is -sign * (left - right) < 1 - bias.
  r.sign = test[2]->kind == Less ? 1 : -1;
  r.bias = test[2]->operand.i != 0 ? 1 : 0;
  if (!stayOn) {
    r.sign = -r.sign;
    r.bias = 1 - r.bias;
  }
  // A round is the step (4 records), the test (4) and the body. A step of L
  // records starting when the counter stands at s runs fused when s + L <=
  // kStepsBetweenPumps (the dispatch's check and FUSED_FITS), so a round
  // runs whole when s + round <= kStepsBetweenPumps. Values only turn
  // integer inside a round (the step and the store), so their tags are
  // checked at its start. Stopping at any step is safe: the code loop runs
  // the step as it would have.
  r.round = 8 + body->run;
  const uint32_t before = at.steps;
  switch (kShapedLoops[body->micro](r, kStepsBetweenPumps, &at.steps)) {
    case RoundsEnd::BeforeStep:
      if (at.steps != before) at.last = code[bodyAt + body->run - 1];
      return at;
    case RoundsEnd::TestLeft:
      at.pc = stayOn ? onNo : onYes;
      break;
    case RoundsEnd::BodyFailed:
      at.pc = bodyAt;
      break;
  }
  at.last = br;
  return at;
}

// GCC would merge the handlers' dispatch jumps into one shared jump, which
// predicts far worse than one jump per handler, and would pack the program
// counter and the top into one vector register at every dispatch to save
// one store on the rare write-back.
#if defined(__GNUC__) && !defined(__clang__)
#define KV_THREADED_DISPATCH __attribute__((optimize("no-gcse", "no-crossjumping", "no-tree-slp-vectorize")))
#else
#define KV_THREADED_DISPATCH
#endif

// The constructions a code loop entered itself (enterConstructorCall) while
// it runs: a wait leaves the loop with their frames kept, and each frame's
// object then leaves the constructions under way, as it leaves them when a
// nested construction's run waits; the frames construct when they end after
// the thread resumes. A failure leaves no frame that says it constructs.
class EnteredConstructions {
 public:
  EnteredConstructions(KVContext* ctx, int32_t entryDepth)
      : ctx_(ctx), level_(ctx->constructingDepth), entryDepth_(entryDepth) {}
  EnteredConstructions(const EnteredConstructions&) = delete;
  EnteredConstructions& operator=(const EnteredConstructions&) = delete;
  ~EnteredConstructions() {
    if (std::uncaught_exceptions() > 0) {
      for (int32_t d = entryDepth_; d < ctx_->depth; ++d) ctx_->frames[d].constructs = false;
    } else if (ctx_->state & KVContext::kSuspended) {
      while (ctx_->constructingDepth > level_) ctx_->constructing[--ctx_->constructingDepth] = nullptr;
    }
  }

 private:
  KVContext* const ctx_;
  const int32_t level_;
  const int32_t entryDepth_;
};

std::string abortLine(const KVContext* ctx) {
  return "Aborting..." + std::to_string(gRunPosition.file) + ":" + std::to_string(gRunPosition.line) + ":" +
         std::to_string(ctx->pc);
}

void* gFirstStep = nullptr;

// The code loop; with no context, it only notes its first handler.
KV_THREADED_DISPATCH void runLoop(KVContext* ctx, const CodeVector* records) {
  static void* const handlers[hCount] = {
      &&resolve, &&unknown, &&endOfCode, &&pushInt, &&pushDouble, &&pushString, &&pushBool, &&pushNull, &&pushNaN, &&pushUndefined,
      &&pushFrameObject, &&opNew, &&pop, &&assign, &&compoundAssign, &&jumpIfFalse, &&jump, &&nop, &&andThen,
      &&orElse, &&toBool, &&bitAnd, &&bitOr, &&bitXor, &&greater, &&less, &&equal, &&notEqual, &&in,
      &&instanceOf, &&shiftLeft, &&shiftRight, &&concat, &&add, &&sub, &&mul, &&div, &&mod, &&negate, &&toInt,
      &&toFloat, &&opDelete, &&typeOf, &&increment, &&decrement, &&bitNot, &&opNot, &&incrementInPlace,
      &&decrementInPlace, &&loadVariable, &&loadGlobal, &&getMember, &&getIndexed, &&beginObject,
      &&defineMember, &&endObject, &&opSwitch, &&opReturn, &&returnUndefined, &&branch, &&popAndJump,
      &&jumpPast, &&storeCaught128, &&storeCaught129, &&jumpIfThrown, &&opThrow, &&jumpToHandler, &&opImport,
      &&importEnd, &&call, &&wait, &&enterScope, &&makeClosure, &&jumpIf, &&callIntrinsic, &&waitForbidden,
      &&callGuarded, &&callHere, &&end, &&beginArray, &&appendElement, &&endArray, &&forOf, &&opYield, &&generatorReturn,
      &&fCompareBranch, &&fStepLocal, &&fAssignPop, &&fConstAdd, &&fConstSub, &&fConstMul, &&fConstMod,
      &&fLocalAdd, &&fLocalSub, &&fLocalMul, &&fLoadTwo, &&fExprStore, &&fExprBranch, &&fJumpStep,
      &&fLocalMember, &&fLocalMemberRef, &&fLocalElement, &&fLocalElementRef, &&fMemberExprStore,
      &&fElementExprStore, &&fLocalMemberOp, &&fLocalElementOp, &&fFrameMember, &&fFrameMemberRef,
      &&fReadOpStore,
      &&getMemberOut, &&getIndexedOut, &&assignOut, &&compoundAssignOut, &&stepOut, &&sortStep, &&fCountCall,
      &&fLocalReturn, &&fLocalConstOp, &&fLocalConstCall, &&fOuterValue, &&fAddReturn,
      &&fLocalValueStore, &&fMemberValueStore, &&fElementValueStore, &&fCompoundStore, &&fMemberCompoundStore,
      &&fElementCompoundStore, &&fCompareJump, &&fMemberLoadStore, &&fElementLoadStore, &&fNotBranch, &&fJumpCompound,
      &&fIndexExprElement, &&fIndexExprElementRef, &&fIndexExprValueStore, &&fToBoolBranch, &&fConstCompareJump,
      &&fCompareThen, &&fExprThen, &&fCompareJumpThen, &&fReadCompare, &&fLocalReadCompare,
      &&fFrameMemberCompare, &&fMemberMemberStore, &&fOuterExprStore, &&fStepOuter,
      &&fOuterCompoundStore, &&fCompareReturn, &&fFrameMemberExprStore, &&fFrameMemberValueStore,
      &&fPushStatement, &&fElementBranch,
      &&fElementCopyStore, &&newHere, &&fElementNotBranch, &&fIndexExprNotBranch, &&fWayOn, &&fForStep,
      &&fLocalPush, &&fLocalRef, &&fScopedClosure, &&fFrameMemberReturn, &&fMethodCall};
  if (!ctx) [[unlikely]] {
    // Asked only for the handler that chooses (firstStep). A handler's
    // address is no local variable's, whatever GCC's dangling-pointer check
    // takes it for.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
    gFirstStep = handlers[hResolve];
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    return;
  }
  const CodeVector& vec = *records;
  static_assert(sizeof(handlers) / sizeof(handlers[0]) == hCount);
  static_assert(hEndOfCode == kEndOfCodeStep);

  // The records of the running frame. Calls of script functions run in
  // this loop too (enterCallStep): entering one switches the records and
  // cells to the callee's, and its return switches them back. Frames above
  // entryDepth are such calls.
  CodeNode* const* code = vec.data();
  uint32_t n = static_cast<uint32_t>(vec.size());
  const int32_t entryDepth = ctx->depth;
  const EnteredConstructions constructions(ctx, entryDepth);
  // The operand stack as the context's own arrays: their addresses are the
  // context's plus a constant, which the compiler forms in each access
  // instead of keeping two more pointers in registers or on the stack.
  Value (&ops)[KVContext::kOperands] = ctx->operands;
  KVobj* (&opRefs)[KVContext::kOperands] = ctx->operandRefs;
  // Program counter, operand stack top and step counter live in registers;
  // SYNC writes them back before anything that may read them (an
  // out-of-line step, a nested run, the collector, a failure), RELOAD takes
  // them again afterwards. The loop counts the steps left before the pump
  // down, so that the count and its test are one subtraction and its sign.
  int32_t pc = ctx->pc;
  int32_t top = ctx->top;
  int32_t stepsLeft = kStepsBetweenPumps - static_cast<int32_t>(gStepCounter);
  CodeNode* node = nullptr;
  // The run position (gRunPosition) is written only where something may
  // read it: before every step out of the loop, at the pump and at a
  // failure. `fresh` says a record was dispatched since it was last
  // written; when not, it holds the record of the last step out of the loop
  // or whatever a nested run left there, as writing it at every dispatch
  // would.
  bool fresh = false;
  // The value a return step hands back from where it lies (returnCell).
  const Value* returned;
  // The running frame's cells. A frame's activation stays its own while
  // the frame runs: calls come back to it before it goes on.
  Value* frameCells;
  int32_t frameCellCount;
// The running frame's parameter cells, read where a record's handler is
// chosen or a variable has no noted cell: too seldom to keep in the loop.
#define FRAME_ARGS (ctx->frame->activation->argCount)
// Taking a frame up notes in it what the loop keeps of it (a return to it
// takes them back from there).
#define LOAD_FRAME_OF(codeVector, callFrame)                    \
  do {                                                          \
    const CodeVector* const v_ = (codeVector);                  \
    CallFrame* const f_ = (callFrame);                          \
    code = v_->data();                                          \
    n = static_cast<uint32_t>(v_->size());                      \
    const ActivationObject* const a_ = f_->activation;          \
    frameCells = a_->cells;                                     \
    frameCellCount = a_->cellCount;                             \
    f_->resumeCode = code;                                      \
    f_->resumeCount = n;                                        \
    f_->resumeCells = frameCells;                               \
    f_->resumeCellCount = frameCellCount;                       \
    f_->savedProgram = ctx->program;                            \
  } while (0)
#define LOAD_FRAME(codeVector) LOAD_FRAME_OF(codeVector, ctx->frame)
  LOAD_FRAME(&vec);

#define POSITION                          \
  do {                                    \
    if (fresh) {                          \
      gRunPosition.file = node->fileIndex; \
      gRunPosition.line = node->line;     \
      fresh = false;                      \
    }                                     \
  } while (0)
#define SYNC             \
  ctx->pc = pc;          \
  ctx->top = top;        \
  gStepCounter = static_cast<uint32_t>(kStepsBetweenPumps - stepsLeft); \
  POSITION
#define RELOAD      \
  top = ctx->top;   \
  stepsLeft = kStepsBetweenPumps - static_cast<int32_t>(gStepCounter)
#define OUT(call) \
  SYNC;           \
  call;           \
  RELOAD
// Each handler ends with its own copy of the dispatch, so each has its own
// indirect jump for the branch predictor to learn.
#define DISPATCH_FETCHED \
  fresh = true;           \
  goto* node->step;
#define NEXT                                                        \
  do {                                                              \
    if (static_cast<uint32_t>(pc) >= n) [[unlikely]] goto finished; \
    NEXT_IN_CODE;                                                   \
  } while (0)
// NEXT after a step that moved on within the records: to the next one, or
// past the run a fused step covers. The end of code stands past the last
// record, so the index needs no test.
#define NEXT_IN_CODE                             \
  do {                                           \
    if (--stepsLeft < 0) [[unlikely]] goto pump; \
    node = code[pc];                             \
    DISPATCH_FETCHED                             \
  } while (0)
#define ADVANCE \
  ++pc;         \
  NEXT_IN_CODE
// NEXT to a record's jump target, or to the records after a step: a
// program's targets lie within its records or at -1 (the link and the
// object-file reader see to it), so only a negative one needs the end of
// the frame; the count itself reaches the end of code.
#define JUMP_NEXT                                \
  do {                                           \
    if (pc < 0) [[unlikely]] goto finished;      \
    NEXT_IN_CODE;                                \
  } while (0)
#define NEED(k)                \
  if (top < (k)) [[unlikely]] { \
    POSITION;                   \
    operandUnderflow();         \
  }
#define PUSH(v)                                             \
  do {                                                      \
    if (top >= KVContext::kOperands) [[unlikely]] {         \
      SYNC;                                                 \
      operandOverflow();                                    \
    }                                                       \
    PUSH_IN_ROOM(v);                                        \
  } while (0)
// A push whose room the step has already checked.
#define PUSH_IN_ROOM(v)    \
  do {                     \
    opRefs[top] = nullptr; \
    ops[top++] = (v);      \
  } while (0)
#define TOP ops[top - 1]
#define SET_TOP(v)             \
  do {                         \
    ops[top - 1] = (v);        \
    opRefs[top - 1] = nullptr; \
  } while (0)
// Runs an out-of-line step and follows its answer.
#define STEP(call)                                     \
  SYNC;                                                \
  switch (call) {                                      \
    case StepResult::Advance: pc = ctx->pc + 1; break; \
    case StepResult::Jump: pc = ctx->pc; break;        \
    case StepResult::Leave: return;                    \
    case StepResult::Enter: break;                     \
  }                                                    \
  RELOAD;                                              \
  NEXT
// && and ||: pop and go on when the truth is goOn, else leave the other
// answer on the stack and jump.
#define SHORT_CIRCUIT(goOn)                \
  NEED(1);                                 \
  if (valueTruth(TOP) == (goOn)) {         \
    --top;                                 \
    ADVANCE;                               \
  }                                        \
  SET_TOP(Value::makeBool(!(goOn)));       \
  pc = node->operand.i;                    \
  JUMP_NEXT
#define BINARY(fn)                         \
  {                                        \
    NEED(2);                               \
    --top;                                 \
    POSITION;                              \
    ops[top - 1] = *fn(&ops[top - 1], &ops[top]); \
    opRefs[top - 1] = nullptr;             \
    ADVANCE;                               \
  }
// ++ and -- of an integer variable through its cell reference (and of the
// top operand too when keepTop), inline; anything else goes the general way.
#define STEP_CELL(delta, keepTop)                                                           \
  {                                                                                         \
    const int32_t d = ctx->refDepth;                                                        \
    Value* const c = d > 0 ? refCellForWrite(ctx->refs[d - 1]) : nullptr;                    \
    if (c && c->tag == kInt && (!(keepTop) || TOP.tag == kInt)) {                           \
      ctx->refDepth = d - 1;                                                                \
      c->i = wrapInt(static_cast<uint32_t>(c->i) + static_cast<uint32_t>(delta));           \
      if (keepTop) TOP.i = wrapInt(static_cast<uint32_t>(TOP.i) + static_cast<uint32_t>(delta)); \
      ADVANCE;                                                                              \
    }                                                                                       \
  }
// Two integers (meeting `when`) take the integer step `fast`; with
// `floats`, two numbers of which one is a float the double `result` inline
// (an integer operand converted); any other pair the value operation.
#define PAIR_STEP(when, fast, floats, result, slow)                               \
  {                                                                              \
    NEED(2);                                                                     \
    --top;                                                                       \
    Value& a = ops[top - 1];                                                     \
    const Value& b = ops[top];                                                   \
    if (a.tag == kInt && b.tag == kInt && (when)) {                              \
      fast;                                                                      \
    } else if ((floats) && ((a.tag | b.tag) & ~(kInt | kFloat)) == 0) {          \
      a.setFloat(result);                                                        \
    } else {                                                                     \
      POSITION;                                                                  \
      a = *slow(&a, &b);                                                         \
    }                                                                            \
    opRefs[top - 1] = nullptr;                                                   \
    ADVANCE;                                                                     \
  }
#define INT_PAIR(fast, slow) PAIR_STEP(true, fast, false, 0.0, slow)
#define INT_PAIR_IF(when, fast, slow) PAIR_STEP(when, fast, false, 0.0, slow)
#define NUM_PAIR(fast, op, slow) PAIR_STEP(true, fast, true, doubleOf(a) op doubleOf(b), slow)

// A fused step runs only when the pump would not fall inside its run, so
// the pump keeps its cadence; it then counts the run's records as steps and
// leaves the run position at its last record, as running them one by one
// would. Anything else (values of other types, a stack near its limit)
// goes to the first record's own handler.
#define FUSED_FITS(len) (stepsLeft >= static_cast<int32_t>(len) - 1)
// How a fused expression step with reads (CodeNode::reads) at pc found its
// values the first time: numbers with a float make it evaluate as numbers
// at once from then on.
#define NOTE_READS(integers) \
  if (node->reads == kReadsUntried) node->reads = (integers) ? kReadsIntegers : kReadsNumbers;
#define FUSED_DONE(len, last)                 \
  do {                                        \
    node = const_cast<CodeNode*>(last);       \
    stepsLeft -= (len) - 1;                   \
  } while (0)
// A loop's step of `len` records ending in `last`, run (not yet counted),
// that left pc at the loop's test: when the test is a fused compare whose
// values compareBranchAnswer or loopExprAnswer serves and the pump falls
// inside neither run, the test and its branch run in this same dispatch,
// counted and placed as their own step would count and place them. The
// step has checked room for two more operands (the compare's).
#define THEN_LOOP_TEST(len, last)                                                                  \
  do {                                                                                             \
    if (pc >= 0 && FUSED_FITS((len) + 4)) {                                                       \
      CodeNode* const* const at_ = code + pc;                                                      \
      const CodeNode* const t_ = at_[0];                                                           \
      if (t_->op == hFCompareBranch) {                                                             \
        bool yes_; /* its own: the other answer's address is taken */                              \
        if (compareBranchAnswer(ctx, at_, frameCells, &yes_)) {                                    \
          const CodeNode* const br_ = at_[3];                                                      \
          NOTED_TARGET(pc, yes_, t_);                                                              \
          FUSED_DONE((len) + 4, br_);                                                              \
          JUMP_NEXT;                                                                               \
        }                                                                                          \
      } else if (t_->op == hFExprBranch) {                                                         \
        bool yes_;                                                                                 \
        const uint32_t tl_ = t_->run;                                                              \
        if (FUSED_FITS((len) + tl_) && loopExprAnswer(ctx, at_, tl_, frameCells, top, &yes_)) {    \
          const CodeNode* const br_ = at_[tl_ - 1];                                                \
          BRANCH_ON(yes_, br_, static_cast<int32_t>(tl_));                                         \
          FUSED_DONE((len) + tl_, br_);                                                            \
          JUMP_NEXT;                                                                               \
        }                                                                                          \
      }                                                                                            \
    }                                                                                              \
    FUSED_DONE(len, last);                                                                         \
    JUMP_NEXT;                                                                                     \
  } while (0)
// The jump of a fused compare's last record (Branch, JumpIf or JumpIfFalse)
// on its answer; len records make the run.
#define BRANCH_ON(yes, br, len)                                                                    \
  if ((br)->kind == Branch)                                                                        \
    pc = (yes) ? (br)->operand.branch.onTrue : (br)->operand.branch.onFalse;                        \
  else if ((br)->kind == JumpIf)                                                                   \
    pc = (yes) == ((br)->operand.i != 0) ? labelPosition((br)->first.label) : pc + (len);          \
  else                                                                                             \
    pc = (yes) ? pc + (len) : (br)->operand.i
// BRANCH_ON where the answer may also go to && or || (a compare's own
// answer, nothing of it on the operand stack; a conversion to a truth value
// before br leaves it as it is): going on drops it, stopping leaves it as
// the && or || value and jumps past the right-hand side.
#define ANSWER_ON(yes, br, len)                                      \
  if ((br)->kind == AndThen || (br)->kind == OrElse) {                \
    const bool goOn_ = (br)->kind == AndThen;                         \
    if ((yes) == goOn_) {                                             \
      pc += (len);                                                    \
    } else {                                                          \
      PUSH_IN_ROOM(Value::makeBool(!goOn_));                          \
      pc = (br)->operand.i;                                           \
    }                                                                 \
  } else {                                                            \
    BRANCH_ON(yes, br, len);                                          \
  }
// ANSWER_ON for a step of `len` records ending in the answer's records,
// then the next step.
#define TAKE_ANSWER(yes, len)                            \
  do {                                                   \
    const uint32_t run_ = (len);                         \
    const CodeNode* const last_ = code[pc + run_ - 1];   \
    ANSWER_ON(yes, last_, run_);                         \
    FUSED_DONE(run_, last_);                             \
    JUMP_NEXT;                                           \
  } while (0)
// The target noted on `first` for the answer `yes`, chosen by a branch: a
// conditional move would have the next dispatch wait for the tested value,
// where a predicted branch goes on at once (the empty statement keeps the
// compiler from merging the two ways).
#define NOTED_TARGET(to, yes, first)            \
  if (yes) {                                    \
    (to) = (first)->operand.branch.onTrue;      \
  } else {                                      \
    (to) = (first)->operand.branch.onFalse;     \
    __asm__ volatile("");                       \
  }
// TAKE_ANSWER for the steps whose first record notes the answer's targets
// (answerTargets): a complemented target leaves the answer as the && or ||
// value.
#define NOTED_ANSWER(yes, len)                                                     \
  do {                                                                             \
    const bool yes_ = (yes);                                                       \
    int32_t to_;                                                                   \
    NOTED_TARGET(to_, yes_, node);                                                 \
    const CodeNode* last_ = code[pc + (len) - 1];                                  \
    if (to_ < 0) {                                                                 \
      /* The way the answer takes on (noteAnswerWay), when the pump falls */      \
      /* inside neither run. */                                                   \
      if (const int32_t way_ = node->wayLast;                                      \
          way_ >= 0 && FUSED_FITS((len) + (way_ >> kWayCountShift))) {             \
        to_ = node->wayEnd;                                                        \
        last_ = code[way_ & kWayLastMask];                                         \
        stepsLeft -= way_ >> kWayCountShift;                                       \
      }                                                                            \
      if (to_ < 0) {                                                               \
        PUSH_IN_ROOM(Value::makeBool(yes_));                                       \
        to_ = ~to_;                                                                \
      }                                                                            \
    }                                                                              \
    pc = to_;                                                                      \
    FUSED_DONE(len, last_);                                                        \
    JUMP_NEXT;                                                                     \
  } while (0)
// The running frame's cell a LoadVariable record of a fused run names: the
// handler was chosen only when every such record of the run had its cell.
#define LOCAL_CELL(record) (frameCells + (record)->slot)
// LOCAL_CELL of the record after a fused step's first, as the first notes it.
#define NEXT_LOCAL_CELL (frameCells + node->first.nextSlot)
// The object of a member step: a frame local's cell, or an enclosing
// scope's (no slot noted) as loadVariable finds it without help, else an
// undefined value, so that the records run one by one.
#define BASE_CELL(record) \
  ((record)->slot != kNoSlot ? frameCells + (record)->slot : outerCellOf(ctx, (record)->second.var))
// A pushed integer b (`operand`, or null to fall back to `plain`) combined
// with the integer top operand a.
#define FUSED_TOP_OP(operand, plain, expr)                                                  \
  {                                                                                         \
    const Value* c = (operand);                                                             \
    if (!FUSED_FITS(2) || !c || c->tag != kInt || top < 1 || top >= KVContext::kOperands ||  \
        TOP.tag != kInt)                                                                    \
      goto plain;                                                                           \
    const int32_t b = c->i;                                                                 \
    int32_t& a = TOP.i;                                                                     \
    expr;                                                                                   \
    opRefs[top - 1] = nullptr;                                                              \
    pc += 2;                                                                                \
    FUSED_DONE(2, code[pc - 1]);                                                            \
    NEXT_IN_CODE;                                                                           \
  }
// The pushed constant, and the pushed local, combined with the top operand.
#define FUSED_CONST(expr)                                                   \
  {                                                                         \
    const Value k_ = Value::makeInt(node->operand.i);                       \
    FUSED_TOP_OP(&k_, pushInt, expr)                                        \
  }
#define FUSED_LOCAL(expr) FUSED_TOP_OP(LOCAL_CELL(node), loadVariable, expr)
// Assignment's inline stores; `then` follows a store.
#define ASSIGN_FAST(then)                                                                   \
  {                                                                                         \
    const int32_t d = ctx->refDepth;                                                        \
    /* A store to a variable's cell: what assignThroughReference does for a */              \
    /* cell reference and a value that is no text. */                                      \
    if (d > 0 && ctx->refs[d - 1].kind == kRefCell && TOP.tag != kString) {                 \
      const RefRecord& r = ctx->refs[d - 1];                                                \
      ctx->refDepth = d - 1;                                                                \
      opRefs[top - 1] = nullptr;                                                            \
      static_cast<Value*>(r.container)[r.key] = TOP;                                        \
      then;                                                                                 \
    }                                                                                       \
    /* A store through a member reference that inlineMemberCell serves. */                 \
    if (d > 0 && ctx->refs[d - 1].kind == kRefMember && TOP.tag != kString) {               \
      const RefRecord& r = ctx->refs[d - 1];                                                \
      Value* const cell_ = inlineMemberCell(static_cast<KVobj*>(r.container), r.key);       \
      if (cell_) {                                                                          \
        ctx->refDepth = d - 1;                                                              \
        opRefs[top - 1] = nullptr;                                                          \
        *cell_ = TOP;                                                                       \
        then;                                                                               \
      }                                                                                     \
    }                                                                                       \
  }

// The running frame's cells, from which an entry places the callee's.
#define RUNNING (RunningFrame{frameCells, frameCellCount})
// Goes on with the callee's records and cells that enterScriptCall entered.
#define RUN_ENTERED(e)                              \
  do {                                              \
    code = (e).code;                                \
    n = (e).count;                                  \
    frameCells = (e).cells;                         \
    frameCellCount = (e).cellCount;                 \
    pc = 0;                                         \
    top = (e).top;                                  \
    NEXT;                                           \
  } while (0)

// Leaving the running frame: the run ends with its own frame; a call this
// loop entered goes back to its caller's next record.
// The common return runs in the loop: nothing out of line reads the step
// count or the run position before the next dispatch, so neither is written.
// The caller's check for a throw after the call (JumpToHandlerIfThrown) has
// nothing to do when the return was served here, with no throw pending: it
// counts as dispatched and run, unless the pump falls on it.
#define LEAVE_SERVED(caller)                                           \
  do {                                                                 \
    /* The caller's records and cells as noted when it was taken up. */ \
    code = (caller)->resumeCode;                                       \
    n = (caller)->resumeCount;                                         \
    frameCells = (caller)->resumeCells;                                \
    frameCellCount = (caller)->resumeCellCount;                        \
    /* The record after the call: within the records, or their end. */ \
    pc = (caller)->savedPc;                                            \
    if (stepsLeft > 0) {                                               \
      node = code[pc];                                                 \
      --stepsLeft;                                                     \
      if (node->kind == JumpToHandlerIfThrown) {                       \
        fresh = true;                                                  \
        ++pc;                                                          \
        NEXT_IN_CODE;                                                  \
      }                                                                \
      /* The next record, dispatched as NEXT would. */                 \
      DISPATCH_FETCHED                                                 \
    }                                                                  \
    NEXT;                                                              \
  } while (0)
#define LEAVE_GENERAL                                                  \
  SYNC;                                                                \
  if (ctx->depth <= entryDepth) {                                      \
    settleFrameResult(ctx);                                            \
    return;                                                            \
  }                                                                    \
  if (ctx->frame->constructs)                                          \
    leaveEnteredConstructor(ctx);                                      \
  else                                                                 \
    leaveEnteredCall(ctx);                                             \
  LOAD_FRAME(ctx->depth > entryDepth ? ctx->program->code : &vec);     \
  pc = ctx->pc;                                                        \
  RELOAD;                                                              \
  NEXT
#define LEAVE_FRAME                                                    \
  if (CallFrame* caller_; ctx->depth > entryDepth && (caller_ = leaveLoopFrame(ctx, top))) [[likely]] \
    LEAVE_SERVED(caller_);                                             \
  LEAVE_GENERAL
// LEAVE_FRAME for a step whose result `v` (a Value variable) is not yet
// pushed: a return served here puts it straight in the caller's place; any
// other pushes it (its room checked) and leaves as LEAVE_FRAME does.
#define RETURN_VALUE(v)                                                \
  if (CallFrame* caller_; ctx->depth > entryDepth && (caller_ = leaveLoopFrame(ctx, top, &(v)))) [[likely]] \
    LEAVE_SERVED(caller_);                                             \
  PUSH_IN_ROOM(v);                                                     \
  LEAVE_GENERAL

// After an out-of-line entry (`step`, the context brought up to date): the
// callee's first record when it entered a frame this loop runs, the end of
// the run when the thread stops, else the record after the call.
#define GO_ON_FROM_ENTRY(step)       \
  switch (step) {                    \
    case StepResult::Enter:          \
      LOAD_FRAME(ctx->program->code); \
      pc = 0;                        \
      break;                         \
    case StepResult::Leave: return;  \
    default: pc = ctx->pc + 1; break; \
  }                                  \
  RELOAD;                            \
  NEXT

  try {
  NEXT;

resolve:
  // A record's first run chooses its handler. The end of code comes with
  // its own step chosen and takes only the handler's place here.
  if (!node->op)
    node->op = handlerAt(runningRecords(ctx, entryDepth, vec, code), node, static_cast<uint32_t>(pc), FRAME_ARGS,
                         frameCellCount);
  node->step = handlers[node->op];
  goto* node->step;

endOfCode:
  // Stepped past the last record. That is no step, and the position is the
  // last record's; the frame ends as below.
  ++stepsLeft;
  node = code[pc - 1];
finished:
  // An index outside the vector (the end, or a negative target such as an
  // unplaced function-exit label) ends the frame.
  LEAVE_FRAME;
pump:
  if (static_cast<uint32_t>(pc) >= n) [[unlikely]] {
    // The count ran out on stepping past the last record, which is no step.
    stepsLeft = 0;
    goto finished;
  }
  stepsLeft = kStepsBetweenPumps;
  SYNC;
  pumpMessages();
  node = code[pc];
  DISPATCH_FETCHED

unknown:
  SYNC;
  unknownOpcode();

pushInt:
  PUSH(Value::makeInt(node->operand.i));
  ADVANCE;
pushDouble:
  PUSH(Value::makeFloat(node->operand.d));
  ADVANCE;
pushString:
  PUSH(Value::makeString(node->first.text));
  ADVANCE;
pushBool:
  PUSH(Value::makeBool(node->operand.i != 0));
  ADVANCE;
pushNull:
  PUSH(Value::makeNull());
  ADVANCE;
pushNaN:
  PUSH(Value::makeNaN());
  ADVANCE;
pushUndefined:
  PUSH(Value());
  ADVANCE;
pushFrameObject: {
  KVobj* self = ctx->frame->receiver;
  PUSH(self ? Value::makeObject(self) : Value::makeNull());
  ADVANCE;
}
opNew:
  STEP(newStep(ctx));
newHere: {
  // A script constructor runs in this loop like a called function, its
  // frame marked as constructing (LEAVE_FRAME): the short entry, else the
  // general one (texts among the arguments, large frames); anything else,
  // and a construction that fails or warns, the nested way.
  EnteredFrame e;
  if (enterConstructorCall(ctx, RUNNING, top, pc, e)) [[likely]] {
    RUN_ENTERED(e);
  }
  SYNC;
  GO_ON_FROM_ENTRY(enterNewStep(ctx));
}
pop:
  NEED(1);
  --top;
  ADVANCE;
assign:
  NEED(1);
  ASSIGN_FAST(ADVANCE)
  OUT(assignThroughReference(ctx));
  ADVANCE;
compoundAssign: {
  // Two integers under + - * & | ^ stored into a variable's cell or a
  // member cell the inline rules find, and floats under + - * /; anything
  // else the general way.
  const int32_t d = ctx->refDepth;
  const int32_t op = node->operand.i;
  Value* c;
  if (top >= 2 && d > 0 && d > ctx->frame->refDepth && ops[top - 2].tag == kInt && TOP.tag == kInt &&
      static_cast<uint32_t>(op - 1) < 8u && op != 4 && op != 5 && (c = refCellForWrite(ctx->refs[d - 1]))) {
    const uint32_t a = static_cast<uint32_t>(ops[top - 2].i), b = static_cast<uint32_t>(TOP.i);
    const uint32_t r = op == 1 ? a + b : op == 2 ? a - b : op == 3 ? a * b : op == 6 ? a & b : op == 7 ? a | b : a ^ b;
    ctx->refDepth = d - 1;
    --top;
    SET_TOP(Value::makeInt(wrapInt(r)));
    *c = TOP;
    ADVANCE;
  }
  // Two numbers of which one is a float under + - * /: the double inline.
  if (top >= 2 && d > 0 && d > ctx->frame->refDepth && static_cast<uint32_t>(op - 1) < 4u &&
      ((ops[top - 2].tag | TOP.tag) & ~(kInt | kFloat)) == 0 && ((ops[top - 2].tag | TOP.tag) & kFloat) &&
      (c = refCellForWrite(ctx->refs[d - 1]))) {
    const double a = doubleOf(ops[top - 2]), b = doubleOf(TOP);
    const double r = op == 1 ? a + b : op == 2 ? a - b : op == 3 ? a * b : a / b;
    ctx->refDepth = d - 1;
    --top;
    SET_TOP(Value::makeFloat(r));
    *c = TOP;
    ADVANCE;
  }
  OUT(compoundAssign(ctx, node->operand.i));
  ADVANCE;
}
jumpIfFalse:
  NEED(1);
  --top;
  pc = valueTruth(ops[top]) ? pc + 1 : node->operand.i;
  JUMP_NEXT;
jump:
  pc = node->operand.i;
  if (top + 2 > KVContext::kOperands) [[unlikely]]
    NEXT;
  THEN_LOOP_TEST(1, node);
nop:
  ADVANCE;
fWayOn: {
  // A jump or nop whose way on passes nops and jumps (noteWayOn): to where
  // the way ends at once, and on into the loop's test when it lands on one.
  const uint32_t len = node->run;
  if (!FUSED_FITS(len) || top + 2 > KVContext::kOperands) goto* handlers[plainHandlerOf(node->kind)];
  const CodeNode* const way = node;
  pc = way->wayEnd;
  THEN_LOOP_TEST(len, code[way->wayLast]);
}
andThen:
  SHORT_CIRCUIT(true);
orElse:
  SHORT_CIRCUIT(false);
toBool:
  NEED(1);
  SET_TOP(Value::makeBool(valueTruth(TOP)));
  ADVANCE;
bitAnd:
  INT_PAIR(a.i &= b.i, valueBitAnd)
bitOr:
  INT_PAIR(a.i |= b.i, valueBitOr)
bitXor:
  INT_PAIR(a.i ^= b.i, valueBitXor)
shiftLeft:
  BINARY(valueShiftLeft)
shiftRight:
  BINARY(valueShiftRight)
mul:
  NUM_PAIR(a.i = wrapInt(static_cast<uint32_t>(a.i) * static_cast<uint32_t>(b.i)), *, valueMul)
div:
  // Integer quotients (a zero divisor, INT32_MIN / -1) go the general way.
  NUM_PAIR({ POSITION; a = *valueDiv(&a, &b); }, /, valueDiv)
mod:
  // A divisor of 0 gives NaN and one of -1 gives 0: those go the general way.
  INT_PAIR_IF(static_cast<uint32_t>(b.i) + 1u > 1u, a.i %= b.i, valueMod)
add:
  NUM_PAIR(a.i = wrapInt(static_cast<uint32_t>(a.i) + static_cast<uint32_t>(b.i)), +, valueAdd)
sub:
  NUM_PAIR(a.i = wrapInt(static_cast<uint32_t>(a.i) - static_cast<uint32_t>(b.i)), -, valueSub)
greater:
  if (node->operand.i) INT_PAIR(a.setBool(a.i >= b.i), valueGreaterEqual)
  INT_PAIR(a.setBool(a.i > b.i), valueGreater)
less:
  if (node->operand.i) INT_PAIR(a.setBool(a.i <= b.i), valueLessEqual)
  INT_PAIR(a.setBool(a.i < b.i), valueLess)
equal:
  INT_PAIR(a.setBool(a.i == b.i), valueEquals)
notEqual:
  INT_PAIR(a.setBool(a.i != b.i), valueNotEquals)
in:
  NEED(2);
  OUT(inTest(ctx));
  ADVANCE;
instanceOf:
  NEED(2);
  OUT(instanceOfTest(ctx));
  ADVANCE;
concat:
  NEED(2);
  // `a @ b @ "text"`: one string for the pair and the constant together.
  if (static_cast<uint32_t>(pc) + 2 < n && code[pc + 1]->kind == PushString && code[pc + 2]->kind == Concat &&
      FUSED_FITS(3) && recordFusion()) {
    bool joined;
    OUT(joined = concatTopWithText(ctx, code[pc + 1]->first.text));
    if (joined) {
      pc += 2;
      // The position the last Concat would have left.
      FUSED_DONE(3, code[pc]);
      fresh = true;
      POSITION;
      ADVANCE;
    }
  }
  OUT(concatTop(ctx));
  ADVANCE;
negate:
  NEED(1);
  POSITION;
  SET_TOP(*valueNegate(&TOP));
  ADVANCE;
toInt:
  NEED(1);
  if (TOP.tag == kFloat) SET_TOP(Value::makeInt(doubleToInt32(TOP.d)));
  ADVANCE;
toFloat:
  NEED(1);
  if (TOP.tag == kInt) SET_TOP(Value::makeFloat(TOP.i));
  ADVANCE;
opDelete:
  OUT(deleteReference(ctx));
  ADVANCE;
typeOf:
  NEED(1);
  OUT(typeOfTop(ctx));
  ADVANCE;
increment:
  NEED(1);
  STEP_CELL(1, true);
  OUT(stepThroughReference(ctx, 1, true));
  ADVANCE;
decrement:
  NEED(1);
  STEP_CELL(-1, true);
  OUT(stepThroughReference(ctx, -1, true));
  ADVANCE;
incrementInPlace:
  STEP_CELL(1, false);
  OUT(stepThroughReference(ctx, 1, false));
  ADVANCE;
decrementInPlace:
  STEP_CELL(-1, false);
  OUT(stepThroughReference(ctx, -1, false));
  ADVANCE;
bitNot:
  NEED(1);
  if (TOP.tag != kNaN) SET_TOP(Value::makeInt(~bitOperand(TOP)));
  ADVANCE;
opNot:
  NEED(1);
  SET_TOP(Value::makeBool(valueIsFalse(TOP)));
  ADVANCE;
loadVariable: {
  const VariableRef* var = node->second.var;
  Value* cell;
  if (!var) [[unlikely]] {
    SYNC;
    operandUnderflow();
  }
  Value* base;
  if (var->depth == 0) {
    int32_t at = node->slot;
    if (at >= frameCellCount) at = var->index < 0 ? -1 - var->index : FRAME_ARGS + var->index;
    if (at >= frameCellCount) [[unlikely]] {
      SYNC;
      operandUnderflow();
    }
    base = frameCells;
    cell = frameCells + at;
  } else {
    // A variable of an enclosing scope: its activation in the frame's scope
    // chain, or the running closure's captured cell (the chain then holds an
    // empty activation there), as variableCell finds it (which reports
    // anything amiss).
    if (Value* c = outerCell(ctx, var)) [[likely]] {
      cell = c;
    } else {
      SYNC;
      cell = variableCell(ctx, var);
    }
    base = cell;
  }
  if (node->flags & kPushValue) PUSH(*cell);
  if (node->flags & kPushReference) {
    const int32_t d = ctx->refDepth;
    if (d < KVContext::kRefs) [[likely]] {
      RefRecord& r = ctx->refs[d];
      r.kind = kRefCell;
      r.container = base;
      r.key = static_cast<int32_t>(cell - base);
      r.text = nullptr;
      ctx->refDepth = d + 1;
    } else {
      SYNC;
      ctx->pushCellRef(base, static_cast<int32_t>(cell - base));
    }
  }
  ADVANCE;
}
loadGlobal:
  // The record keeps its cell once found.
  if (const Value* cell = node->first.cell) [[likely]] {
    PUSH(*cell);
    ADVANCE;
  }
  OUT(loadGlobal(ctx, node));
  ADVANCE;
getMember: {
  NEED(1);
  Value& o = TOP;
  if (o.tag == kObject && o.obj) [[likely]] {
    KVobj* const obj = o.obj;
    if (node->flags == kPushValue) {
      if (const Value* v = inlineMemberValue(obj, node)) {
        o = *v;
        opRefs[top - 1] = obj;
        ADVANCE;
      }
    } else if (node->flags == kPushReference && ctx->refDepth < KVContext::kRefs) {
      // A member reference, resolved when it is used.
      --top;
      ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, node->operand.i, obj, nullptr};
      ADVANCE;
    } else if (node->flags == (kPushValue | kPushReference) && ctx->refDepth < KVContext::kRefs) {
      // Both (the left side of ++, -- and compound stores).
      if (const Value* v = inlineMemberValue(obj, node)) {
        o = *v;
        opRefs[top - 1] = obj;
        ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, node->operand.i, obj, nullptr};
        ADVANCE;
      }
    }
  }
  OUT(getMember(ctx, node->operand.i, node->flags, node->second.cache));
  ADVANCE;
}
getIndexed: {
  NEED(2);
  const Value& key = TOP;
  Value& o = ops[top - 2];
  if (key.tag == kInt && key.i >= 0 && o.tag == kObject && o.obj) {
    KVobj* const obj = o.obj;
    const int32_t k = key.i;
    if (node->flags == kPushValue) {
      if (const Value* cell = inlineElementValue(obj, k)) {
        o = *cell;
        --top;
        opRefs[top - 1] = obj;
        ADVANCE;
      }
    } else if (node->flags == kPushReference && ctx->refDepth < KVContext::kRefs) {
      top -= 2;
      ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, k, obj, nullptr};
      ADVANCE;
    } else if (node->flags == (kPushValue | kPushReference) && ctx->refDepth < KVContext::kRefs) {
      if (const Value* cell = inlineElementValue(obj, k)) {
        o = *cell;
        --top;
        opRefs[top - 1] = obj;
        ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, k, obj, nullptr};
        ADVANCE;
      }
    }
  }
  OUT(getIndexed(ctx, node->flags));
  ADVANCE;
}
getMemberOut:
  NEED(1);
  OUT(getMember(ctx, node->operand.i, node->flags, node->second.cache));
  ADVANCE;
getIndexedOut:
  NEED(2);
  OUT(getIndexed(ctx, node->flags));
  ADVANCE;
assignOut:
  NEED(1);
  OUT(assignThroughReference(ctx));
  ADVANCE;
compoundAssignOut:
  OUT(compoundAssign(ctx, node->operand.i));
  ADVANCE;
stepOut: {
  const bool keepTop = node->kind == Increment || node->kind == Decrement;
  if (keepTop) NEED(1);
  OUT(stepThroughReference(ctx, node->kind == Increment || node->kind == IncrementInPlace ? 1 : -1, keepTop));
  ADVANCE;
}
beginObject:
  OUT(beginObjectLiteral(ctx));
  ADVANCE;
defineMember: {
  NEED(1);
  // The first members of a literal of this frame go in the object's body.
  int32_t d = ctx->objectLiteralDepth;
  if (d > ctx->frame->objectLiteralBase && node->operand.i != kAtomNotFound) {
    if (MemberEntry* e = takeInlineEntry(ctx->objectLiterals[d - 1], node->operand.i)) {
      *e = MemberEntry{TOP, kAttrAll, node->operand.i};
      --top;
      ADVANCE;
    }
  }
  OUT(defineLiteralMember(ctx, node->operand.i));
}
  ADVANCE;
endObject:
  OUT(endObjectLiteral(ctx));
  ADVANCE;
opSwitch:
  NEED(1);
  OUT(pc = switchTarget(ctx, node->second.cases));
  NEXT;
opReturn:
  LEAVE_FRAME;
returnUndefined:
  PUSH(Value());
  LEAVE_FRAME;
branch:
  NEED(1);
  if (!node->second.triple) [[unlikely]] {
    SYNC;
    operandUnderflow();
  }
  --top;
  pc = valueTruth(ops[top]) ? labelPosition(node->second.triple->second)
                            : labelPosition(node->second.triple->third);
  JUMP_NEXT;
popAndJump:
  NEED(1);
  --top;
  pc = node->operand.i;
  JUMP_NEXT;
jumpPast:
  pc = node->operand.i + 1;
  NEXT;
storeCaught128:
  ctx->exception = nullptr;
  ADVANCE;
storeCaught129:
  OUT(storeCaught(ctx, node->second.var));
  ADVANCE;
// A throw leaves whatever the interrupted expression had pushed; the
// handler (or the frame's exit) starts from the frame's entry levels.
jumpIfThrown:
  if (!ctx->exception) {
    ADVANCE;
  }
  OUT(restoreFrameLevels(ctx));
  pc = node->operand.i;
  NEXT;
opThrow:
  NEED(1);
  OUT(throwStep(ctx, node->operand.i != 0); restoreFrameLevels(ctx));
  pc = node->first.label ? node->first.label->position : pc + 1;
  NEXT;
jumpToHandler:
  if (!ctx->exception || !node->first.label) {
    ADVANCE;
  }
  OUT(restoreFrameLevels(ctx));
  pc = node->first.label->position;
  NEXT;
opImport:
  STEP(importStep(ctx, node));
importEnd:
  NEED(1);
  OUT(importEnd(ctx));
  ADVANCE;
call:
  STEP(callStep(ctx, node->operand.i != 0));
callGuarded:
  STEP(callGuarded(ctx));
fCountCall:
  // The count's push, then the Call record as its own handler runs it
  // (with fusion on, every Call record enters its call in this loop).
  if (!FUSED_FITS(2) || top >= KVContext::kOperands) goto pushInt;
  PUSH_IN_ROOM(Value::makeInt(node->operand.i));
  ++pc;
  FUSED_DONE(2, code[pc]);
  goto callHere;
callHere: {
  // The short entry reads and fails nothing that needs the run position: a
  // call it enters leaves it to the callee's first dispatch.
  EnteredFrame e;
  if (enterScriptCall(ctx, RUNNING, top, pc, node->operand.i != 0, e)) [[likely]] {
    RUN_ENTERED(e);
  }
  POSITION;
  // push and pop of a plain array without the native's frame; as after a
  // script return served here, the caller's throw check has nothing to do.
  // A call record that does not ask for a receiver (the built callback
  // methods' push) still passes the one its callee was read with, as the
  // general path does, so it is served alike.
  if (const int32_t after = runArrayMethodInLoop(ctx, top); after >= 0) {
    top = after;
    ++pc;
    if (static_cast<uint32_t>(pc) < n && stepsLeft > 0 &&
        code[pc]->kind == JumpToHandlerIfThrown) {
      node = code[pc];
      fresh = true;
      --stepsLeft;
      ++pc;
    }
    NEXT;
  }
  // Any other native method: its frame entered the same way, the native run
  // at once, no nested run.
  SYNC;
  const Callable* const callerProgram = ctx->program;
  if (enterScriptCall<true>(ctx, RUNNING, top, pc, node->operand.i != 0, e)) {
    if (!runEnteredNative(ctx, callerProgram, pc)) return;
    pc = ctx->pc + 1;
    RELOAD;
    NEXT;
  }
}
  GO_ON_FROM_ENTRY(enterCallStep(ctx, node->operand.i != 0));
wait:
  ++pc;
  SYNC;
  ctx->state |= KVContext::kSuspended;
  return;
waitForbidden:
  ++pc;
  SYNC;
  ctx->state |= KVContext::kSuspended;
  throw RuntimeError(kErrWaitInImport);
enterScope:
  OUT(enterScope(ctx));
  ADVANCE;
makeClosure:
  OUT(makeClosure(ctx, node->second.function));
  ADVANCE;
fScopedClosure:
  // The closure's record is the running one from here: its failures name it.
  if (!FUSED_FITS(2) || ctx->scopeDepth >= KVContext::kSavedScopes || ctx->scopeDepth < ctx->frame->scopeBase)
    goto enterScope;
  ++pc;
  FUSED_DONE(2, code[pc]);
  OUT(makeScopedClosure(ctx, node->second.function));
  ADVANCE;
jumpIf:
  NEED(1);
  --top;
  pc = valueTruth(ops[top]) == (node->operand.i != 0) ? labelPosition(node->first.label) : pc + 1;
  JUMP_NEXT;
sortStep:
  if (node->operand.i >= 18) {
    const int32_t after = sortRangeStepInLoop(ctx, top, node->operand.i);
    if (after >= 0) [[likely]] {
      top = after;
      ADVANCE;
    }
  } else if (sortStepInline(ops, opRefs, top, node->operand.i)) [[likely]] {
    ADVANCE;
  }
callIntrinsic:
  STEP(intrinsicStep(ctx, node->operand.i));
end:
  SYNC;
  exportModuleVariables(ctx, node->second.exports);
  return;
beginArray:
  OUT(beginArrayLiteral(ctx));
  ADVANCE;
appendElement:
  NEED(1);
  OUT(appendLiteralElement(ctx));
  ADVANCE;
endArray:
  OUT(endArrayLiteral(ctx));
  ADVANCE;
forOf:
  // The next element of an array walk (the built callback methods' loops):
  // what forOfStep does when the iterator is an array's and its next
  // element is there and defined, without the call. The walk's start,
  // undefined elements, other iterators and frames without the locals go
  // there.
  if (node->operand.i >= 0 && top < KVContext::kOperands) {
    const ActivationObject* const a = ctx->frame->activation;
    const int32_t at = a->argCount;
    Value* const locals = a->cells ? a->cells + at : nullptr;
    if (locals && at + (node->operand.i > 0 ? 2 : 1) < a->cellCount && locals[1].tag == kObject &&
        locals[1].obj && locals[1].obj->classId == kIterClassId) {
      auto* const it = static_cast<KVIter*>(locals[1].obj);
      // Not finished is the element's key within the array's keys.
      auto* const array = static_cast<KVArray*>(it->target);
      if (it->finishedHook == &arrayIterationFinished) {
        if (const Value* e = array->elementAtKey(it->position); e && e->tag != kUndefined) {
          locals[0] = *e;
          if (node->operand.i > 0) locals[2] = Value::makeInt(it->position - array->start);
          ++it->position;
          PUSH_IN_ROOM(Value::makeBool(true));
          ADVANCE;
        }
      }
    }
  }
  OUT(forOfStep(ctx, node->operand.i));
  ADVANCE;
opYield:
  SYNC;
  yieldStep(ctx, node->operand.i);
  return;
generatorReturn:
  SYNC;
  generatorReturnStep(ctx);
  return;

// local (< <= > >= == !=) (constant | local | outer variable), then the
// branch (run 4), or && or || with or without a conversion to a truth
// value before (the record's run), on the answer: integers, and the pairs
// quickEquality settles, the operands read as a loop's test reads them.
fCompareBranch:
fCompareThen: {
  const uint32_t len = node->run;
  if (!FUSED_FITS(len) || top + 2 > KVContext::kOperands) goto loadVariable;
  bool yes;
  if (!compareBranchAnswer(ctx, code + pc, frameCells, &yes)) goto loadVariable;
  NOTED_ANSWER(yes, len);
}
// Two integers compared, or a pair quickEquality settles, then the branch
// (or && or ||) on the answer; any other pair goes to the comparison's own
// handler.
#define COMPARE_TOP_STEP(LEN, TAKE)                                    \
  {                                                                    \
    bool yes;                                                          \
    const uint32_t len = (LEN);                                        \
    if (!FUSED_FITS(len) || top < 2 || !settledCompare(node, ops[top - 2], TOP, &yes)) goto compareAlone; \
    top -= 2;                                                          \
    const CodeNode* const br = code[pc + len - 1];                     \
    TAKE(yes, br, len);                                                \
    FUSED_DONE(len, br);                                               \
    JUMP_NEXT;                                                         \
  }
fCompareJump:
  COMPARE_TOP_STEP(2, BRANCH_ON)
fCompareJumpThen:
  COMPARE_TOP_STEP(node->run, ANSWER_ON)
#undef COMPARE_TOP_STEP
compareAlone:
  switch (node->kind) {
    case Less: goto less;
    case Greater: goto greater;
    case Equal: goto equal;
    default: goto notEqual;
  }
// `local = object.name;` and `local = object[local];`: the value read as
// the member steps read it, stored as the store's inline path stores it
// (no text); `len` records, the read's at pc + 2.
#define FUSED_LOAD_STORE(read, len)                                                            \
  {                                                                                            \
    const Value* const c = BASE_CELL(code[pc + 1]);                                            \
    const Value* v_;                                                                           \
    if (!FUSED_FITS(len) || c->tag != kObject || !c->obj || top + 2 > KVContext::kOperands ||   \
        ctx->refDepth >= KVContext::kRefs || !(v_ = (read)) || v_->tag == kString)              \
      goto loadVariable;                                                                       \
    *LOCAL_CELL(node) = *v_;                                                                   \
    pc += (len);                                                                               \
    FUSED_DONE(len, code[pc - 1]);                                                             \
    NEXT_IN_CODE;                                                                              \
  }
// The truth `t` of the top operand's value, then the branch on it, or && or
// || on it (which pop it and go on, or leave their answer and jump); the
// branch is the last of the step's `len` records.
#define TRUTH_BRANCH(t, len)                       \
  {                                                \
    const CodeNode* const br = code[pc + (len) - 1]; \
    if (br->kind == AndThen || br->kind == OrElse) { \
      const bool goOn = br->kind == AndThen;       \
      if ((t) == goOn) {                           \
        --top;                                     \
        pc += (len);                               \
      } else {                                     \
        SET_TOP(Value::makeBool(!goOn));           \
        pc = br->operand.i;                        \
      }                                            \
    } else {                                       \
      --top;                                       \
      BRANCH_ON((t), br, (len));                   \
    }                                              \
    FUSED_DONE((len), br);                         \
    JUMP_NEXT;                                     \
  }
fNotBranch: {
  // The negation of the top operand (and, when one follows, the && or ||
  // value's conversion to a truth value, which leaves a truth value as it
  // is), then the branch.
  const uint32_t len = node->run;
  if (!FUSED_FITS(len) || top < 1) goto opNot;
  const bool t = valueIsFalse(TOP);
  TRUTH_BRANCH(t, len)
}
fReadCompare: {
  // A read operand (its object a variable) compared with a constant, a
  // local or an outer variable, then the branch, && or || on the answer.
  // The read is the member steps' inline one; anything it does not serve,
  // and any pair settledCompare does not settle, runs the records one by one.
  const uint32_t len = node->run;
  const Value* const c = BASE_CELL(node);
  const Value* v;
  if (!FUSED_FITS(len) || top + 3 > KVContext::kOperands || c->tag != kObject || !c->obj ||
      !(v = variableReadValue(code + pc, c->obj, frameCells)))
    goto loadVariable;
  const uint32_t at = pc + (code[pc + 1]->kind == GetMember ? 2 : 3);
  Value k;
  const Value* b;
  bool yes;
  if (!(b = compareOperand(ctx, code[at], frameCells, &k)) || !settledCompare(code[at + 1], *v, *b, &yes))
    goto loadVariable;
  NOTED_ANSWER(yes, len);
}
fLocalReadCompare: {
  // A local or outer variable compared with a read operand (its object a
  // variable), then the branch, && or || on the answer, as fReadCompare
  // takes them.
  const uint32_t len = node->run;
  const Value* const a = BASE_CELL(node);
  const Value* const c = BASE_CELL(code[pc + 1]);
  const Value* v;
  if (!FUSED_FITS(len) || top + 3 > KVContext::kOperands || a == &kNoOuterCell || c->tag != kObject || !c->obj ||
      !(v = variableReadValue(code + pc + 1, c->obj, frameCells)))
    goto loadVariable;
  const CodeNode* const cmp = code[pc + (code[pc + 2]->kind == GetMember ? 3 : 4)];
  bool yes;
  if (!settledCompare(cmp, *a, *v, &yes)) goto loadVariable;
  NOTED_ANSWER(yes, len);
}
fFrameMemberCompare: {
  // this.name compared with a constant, a local or an outer variable, then
  // the branch, && or || on the answer.
  const uint32_t len = node->run;
  KVobj* const self = ctx->frame->receiver;
  const Value* v;
  if (!FUSED_FITS(len) || top + 2 > KVContext::kOperands || !self || !(v = inlineMemberValue(self, code[pc + 1])))
    goto pushFrameObject;
  Value k;
  const Value* b;
  bool yes;
  if (!(b = compareOperand(ctx, code[pc + 2], frameCells, &k)) || !settledCompare(code[pc + 3], *v, *b, &yes))
    goto pushFrameObject;
  NOTED_ANSWER(yes, len);
}
fConstCompareJump: {
  // The top operand compared with the constant at pc (an integer, null,
  // undefined or a boolean), then the branch, && or || on the answer;
  // other pairs push the constant for the comparison's own step.
  bool yes;
  if (FUSED_FITS(node->run) && top >= 1) {
    Value k;
    plainValueOf(ctx, node, frameCells, &k);
    if (settledCompare(code[pc + 1], TOP, k, &yes)) goto constAnswered;
  }
  switch (node->kind) {
    case PushNull: goto pushNull;
    case PushUndefined: goto pushUndefined;
    case PushBool: goto pushBool;
    default: goto pushInt;
  }
constAnswered:
  --top;
  {
    TAKE_ANSWER(yes, node->run);
  }
}
fToBoolBranch: {
  // An && or || value converted to a truth value, then the branch on it:
  // the branch and && and || look at the value's truth alone, and leave
  // a truth value where they leave one.
  if (!FUSED_FITS(2) || top < 1) goto toBool;
  const bool t = valueTruth(TOP);
  TRUTH_BRANCH(t, 2)
}
#undef TRUTH_BRANCH
fMemberLoadStore:
  FUSED_LOAD_STORE(inlineMemberValue(c->obj, code[pc + 2]), 5)
fElementLoadStore: {
  const Value* const k = LOCAL_CELL(code[pc + 2]);
  if (k->tag != kInt || k->i < 0) goto loadVariable;
  FUSED_LOAD_STORE(inlineElementValue(c->obj, k->i), 6)
}
#undef FUSED_LOAD_STORE
fOuterExprStore: {
  // outer = number expression; (reference, expression, store, pop), the
  // cell found as loadVariable finds it.
  const uint32_t len = node->run;
  const Value* const found = outerCellOf(ctx, node->second.var);
  if (!FUSED_FITS(len) || found == &kNoOuterCell || top + kFusedExprDepth > KVContext::kOperands ||
      ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  Value* const cell = const_cast<Value*>(found);
  int32_t st[kFusedExprDepth];
  if (cell->tag != kFloat && node->reads != kReadsNumbers &&
      evalIntExpr(ctx, code + pc + 1, len - 3, frameCells, st) == st + 1) {
    *cell = Value::makeInt(st[0]);
    NOTE_READS(true);
  } else if (numberExprValue(ctx, code + pc + 1, len - 3, frameCells, cell)) {
    NOTE_READS(cell->tag == kInt);
  } else {
    goto loadVariable;
  }
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  NEXT_IN_CODE;
}
fStepOuter: {
  // outer++ / outer-- whose old value is popped straight away.
  const Value* const found = outerCellOf(ctx, node->second.var);
  if (!FUSED_FITS(3) || found->tag != kInt || top >= KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  Value* const c = const_cast<Value*>(found);
  c->i = wrapInt(static_cast<uint32_t>(c->i) + (code[pc + 1]->kind == IncrementInPlace ? 1u : ~0u));
  pc += 3;
  FUSED_DONE(3, code[pc - 1]);
  NEXT_IN_CODE;
}
fStepLocal: {
  // local++ / local-- whose old value is popped straight away; the step
  // and the loop's test position as noted on the record.
  const StepNote note = node->first.note;
  Value* c = LOCAL_CELL(node);
  if (!FUSED_FITS(3) || c->tag != kInt || top + 2 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  c->i = wrapInt(static_cast<uint32_t>(c->i) + static_cast<uint32_t>(static_cast<int32_t>(note.form)));
  if (note.answers) {
    const int32_t at = pc;
    pc = note.value;
    THEN_LOOP_TEST(3, code[at + 2]);
  }
  pc += 3;
  FUSED_DONE(3, code[pc - 1]);
  NEXT_IN_CODE;
}
fAssignPop:
  if (!FUSED_FITS(2) || top < 1) goto assign;
  ASSIGN_FAST(--top; pc += 2; FUSED_DONE(2, code[pc - 1]); NEXT_IN_CODE)
  goto assign;
// Each of + - * with a pushed constant and with a pushed local.
#define FUSED_PAIR(constLabel, localLabel, op)                                      \
  constLabel:                                                                       \
  FUSED_CONST(a = wrapInt(static_cast<uint32_t>(a) op static_cast<uint32_t>(b)))    \
  localLabel:                                                                       \
  FUSED_LOCAL(a = wrapInt(static_cast<uint32_t>(a) op static_cast<uint32_t>(b)))
  FUSED_PAIR(fConstAdd, fLocalAdd, +)
  FUSED_PAIR(fConstSub, fLocalSub, -)
  FUSED_PAIR(fConstMul, fLocalMul, *)
#undef FUSED_PAIR
fConstMod:
  // Chosen only for divisors other than 0 and -1.
  FUSED_CONST(a %= b)
fLocalReturn:
  // The local pushed, then the Return's own step: a return served here
  // takes the local from its cell without the push.
  if (!FUSED_FITS(2) || top >= KVContext::kOperands) goto loadVariable;
  returned = LOCAL_CELL(node);
  ++pc;
  FUSED_DONE(2, code[pc]);
returnCell:
  // A value returned from where it lies (fLocalReturn, fFrameMemberReturn).
  RETURN_VALUE(*returned);
// An integer local and the constant after it, combined as fConstAdd and
// its kin combine them; `len` records make the run, which pushes
// (len - 1) / 2 values.
#define LOCAL_CONST_OP(len)                                                                   \
  const Value* a = LOCAL_CELL(node);                                                          \
  if (!FUSED_FITS(len) || a->tag != kInt || top + ((len) - 1) / 2 > KVContext::kOperands) goto loadVariable; \
  PUSH_IN_ROOM(Value::makeInt(intRecordOp<false>(code[pc + 2]->kind, a->i, code[pc + 1]->operand.i)))
fCompareReturn: {
  // Two integers compared, or a pair quickEquality settles, then the
  // Return's own step; any other pair goes to the comparison's handler.
  bool yes;
  if (!FUSED_FITS(2) || top < 2 || !settledCompare(node, ops[top - 2], TOP, &yes)) goto compareAlone;
  top -= 2;
  const Value answer = Value::makeBool(yes);
  ++pc;
  FUSED_DONE(2, code[pc]);
  RETURN_VALUE(answer);
}
fAddReturn: {
  // Two integers added, then the Return's own step; any other pair goes
  // to the Add record's handler.
  if (!FUSED_FITS(2) || top < 2 || ops[top - 2].tag != kInt || ops[top - 1].tag != kInt) goto add;
  top -= 2;
  const Value sum = Value::makeInt(wrapInt(static_cast<uint32_t>(ops[top].i) + static_cast<uint32_t>(ops[top + 1].i)));
  ++pc;
  FUSED_DONE(2, code[pc]);
  RETURN_VALUE(sum);
}
fLocalConstOp: {
  LOCAL_CONST_OP(3);
  pc += 3;
  FUSED_DONE(3, code[pc - 1]);
  NEXT_IN_CODE;
}
fLocalConstCall: {
  // The argument, the count of one, then the Call as fCountCall goes on.
  // The short entry takes the argument (an integer) from here, so neither
  // it nor the count is pushed unless the call goes the longer way. With
  // the callee's read from its variable before them (VarCall, six
  // records), the entry takes the callee from the variable too, and a
  // variable of an enclosing scope without its noted cell runs the records
  // one by one.
  const int32_t skip = node->run == 6;
  const Value* callee = nullptr;
  if (skip) [[likely]] {
    callee = node->slot != kNoSlot ? LOCAL_CELL(node) : outerCell(ctx, node->second.var);
    if (!callee) goto loadVariable;
  }
  CodeNode* const* const r = code + pc + skip;
  const Value* a = LOCAL_CELL(r[0]);
  if (!FUSED_FITS(5 + skip) || a->tag != kInt || top + 2 + skip > KVContext::kOperands) goto loadVariable;
  const Value arg = Value::makeInt(intRecordOp(r[2]->kind, a->i, r[1]->operand.i));
  pc += 4 + skip;
  FUSED_DONE(5 + skip, code[pc]);
  EnteredFrame e;
  if (enterScriptCall<false, true, true>(ctx, RUNNING, top + 2 + skip, pc, node->operand.i != 0, e, 1, &arg, callee)) [[likely]] {
    RUN_ENTERED(e);
  }
  if (callee) PUSH_IN_ROOM(*callee);
  PUSH_IN_ROOM(arg);
  PUSH_IN_ROOM(Value::makeInt(1));
  goto callHere;
}
#undef LOCAL_CONST_OP
fLocalPush:
  if (top >= KVContext::kOperands) [[unlikely]] goto loadVariable;
  PUSH_IN_ROOM(*LOCAL_CELL(node));
  ADVANCE;
fLocalRef: {
  const int32_t d = ctx->refDepth;
  if (d >= KVContext::kRefs) [[unlikely]] goto loadVariable;
  RefRecord& r = ctx->refs[d];
  r.kind = kRefCell;
  r.container = frameCells;
  r.key = node->slot;
  r.text = nullptr;
  ctx->refDepth = d + 1;
  ADVANCE;
}
fOuterValue: {
  // A variable of an enclosing scope read as loadVariable reads it; any
  // other case goes there.
  if (const Value* c = outerCell(ctx, node->second.var); c && top < KVContext::kOperands) [[likely]] {
    PUSH_IN_ROOM(*c);
    ADVANCE;
  }
  goto loadVariable;
}
fLoadTwo: {
  const Value* a = LOCAL_CELL(node);
  const Value* b = NEXT_LOCAL_CELL;
  if (!FUSED_FITS(2) || !a || !b || top + 2 > KVContext::kOperands) goto loadVariable;
  PUSH_IN_ROOM(*a);
  PUSH_IN_ROOM(*b);
  pc += 2;
  FUSED_DONE(2, code[pc - 1]);
  NEXT_IN_CODE;
}
fExprStore: {
  // local = integer expression; (reference, expression, store, pop).
  const uint32_t len = node->run;
  int32_t st[kFusedExprDepth];
  if (!FUSED_FITS(len) || top + kFusedExprDepth > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  const uint8_t shape = node->micro;
  bool isInt;
  // A local that holds a float is most likely given one again: its
  // expression goes the number way at once (which answers integers alike).
  if (LOCAL_CELL(node)->tag == kFloat || node->reads == kReadsNumbers) {
    isInt = false;
  } else if (shape) {
    ShapedOperands o;
    pointOperands(shape, code + pc + 1, frameCells, &o);
    isInt = kShapedExprs[shape](o, st);
  } else {
    isInt = evalIntExpr(ctx, code + pc + 1, len - 3, frameCells, st) == st + 1;
  }
  if (!isInt) {
    if (!numberExprValue(ctx, code + pc + 1, len - 3, frameCells, LOCAL_CELL(node))) goto loadVariable;
    NOTE_READS(LOCAL_CELL(node)->tag == kInt);
    pc += len;
    FUSED_DONE(len, code[pc - 1]);
    NEXT_IN_CODE;
  }
  *LOCAL_CELL(node) = Value::makeInt(st[0]);
  NOTE_READS(true);
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  // A counting loop with this statement for its body runs its rounds at once.
  if (shape) {
    const LoopState left = runShapedLoop(code, n, frameCells, pc - static_cast<int32_t>(len), {pc, static_cast<uint32_t>(kStepsBetweenPumps - stepsLeft), node});
    pc = left.pc;
    stepsLeft = kStepsBetweenPumps - static_cast<int32_t>(left.steps);
    node = left.last;
  }
  NEXT;
}
// Two integer expressions compared, then the branch (TAKE BRANCH_ON), or
// && or || with or without a conversion to a truth value before (TAKE
// ANSWER_ON, the expression's records counted by EXPR_LEN) on the answer.
#define EXPR_COMPARE_STEP(EXPR_LEN, TAKE)                                                   \
  {                                                                                         \
    const uint32_t len = node->run;                                                         \
    int32_t st[kFusedExprDepth];                                                            \
    const uint32_t exprLen = (EXPR_LEN);                                                    \
    const CodeNode* const cmp = code[pc + exprLen];                                         \
    bool yes;                                                                               \
    if (!FUSED_FITS(len) || top + kFusedExprDepth > KVContext::kOperands) goto exprBranchAlone; \
    if (evalIntExpr(ctx, code + pc, exprLen, frameCells, st) == st + 2) {                   \
      yes = intCompare(cmp, st[0], st[1]);                                                  \
    } else if (!numberExprCompare(ctx, code + pc, exprLen, frameCells, cmp, &yes)) {        \
      goto exprBranchAlone;                                                                 \
    }                                                                                       \
    const CodeNode* const br = code[pc + len - 1];                                          \
    TAKE(yes, br, static_cast<int32_t>(len));                                               \
    FUSED_DONE(len, br);                                                                    \
    JUMP_NEXT;                                                                              \
  }
fExprBranch:
  EXPR_COMPARE_STEP(len - 2, BRANCH_ON)
fExprThen:
  EXPR_COMPARE_STEP(len - (isToBoolRecord(code[pc + len - 2]) ? 3 : 2), ANSWER_ON)
#undef EXPR_COMPARE_STEP
exprBranchAlone:
  if (node->kind == LoadVariable) goto loadVariable;
  goto pushInt;
fJumpStep: {
  // A jump to a loop's `local++` / `local--` step that ends in PopAndJump:
  // the local, the step and the test's position as noted on the jump.
  const StepNote note = node->first.note;
  Value* c = frameCells + note.slot;
  if (!FUSED_FITS(4) || c->tag != kInt || top + 2 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto jump;
  c->i = wrapInt(static_cast<uint32_t>(c->i) + static_cast<uint32_t>(static_cast<int32_t>(note.form)));
  pc = note.value;
  THEN_LOOP_TEST(4, code[node->operand.i + 2]);
}
fForStep: {
  // fJumpStep whose loop test compares the stepped local with an integer
  // constant, a frame local or an outer variable (noteForStep): the step
  // and the test from the jump's notes, without following the test's
  // records but for an outer variable's; anything else goes as fJumpStep
  // goes.
  const StepNote note = node->first.note;
  Value* const c = frameCells + note.slot;
  const Value* limit = nullptr;
  if (note.answers & kLimitLocal) limit = frameCells + node->wayLast;
  if (note.answers & kLimitOuter) {
    const VariableRef* const var = code[note.value + 1]->second.var;
    if (!outerCellNoted(ctx, var)) goto fJumpStep;
    limit = var->seenCell;
  }
  if (!FUSED_FITS(8) || c->tag != kInt || (limit && limit->tag != kInt) || top + 2 > KVContext::kOperands ||
      ctx->refDepth >= KVContext::kRefs)
    goto fJumpStep;
  const int32_t v = wrapInt(static_cast<uint32_t>(c->i) + static_cast<uint32_t>(static_cast<int32_t>(note.form)));
  c->i = v;
  // Read after the step: the limit may be the local itself.
  if (answerOf(note.answers, v, limit ? limit->i : node->wayLast)) {
    pc = note.value + ((note.answers >> kOnTrueShift) & kOnTrueMask);
  } else {
    pc = node->wayEnd;
    __asm__ volatile("");
  }
  FUSED_DONE(8, code[note.value + 3]);
  JUMP_NEXT;
}
// Member steps beginning with a local (fuse.h's memberRun): the local's
// object and key and the member's place are checked first, through the same
// rules the member records' own handlers follow (member_access.h); anything
// those do not serve runs the first record (the local's or this's push)
// alone.
//
// The member's value v read from object `obj` (both checked by the caller)
// pushed, with the object as its receiver; `len` records.
#define FUSED_PUSH_MEMBER(obj, v, len) \
  opRefs[top] = (obj);                 \
  ops[top++] = *(v);                   \
  pc += (len);                         \
  FUSED_DONE(len, code[pc - 1]);       \
  NEXT_IN_CODE
// The member's integer value v combined with the integer top operand by the
// record after the read (+ - *), and then, when the run goes on (fuse.h),
// with the integer constant pushed after that by the run's last record.
#define FUSED_MEMBER_OP(v, read)                                                      \
  {                                                                                   \
    const uint32_t len_ = node->run;                                                  \
    TOP.i = readOpResult(code + pc + (read), len_ > (read) + 1, TOP.i, (v)->i);        \
    opRefs[top - 1] = nullptr;                                                        \
    pc += len_;                                                                       \
    FUSED_DONE(len_, code[pc - 1]);                                                   \
    NEXT_IN_CODE;                                                                     \
  }
// A member reference to (obj, key) pushed; `len` records.
#define FUSED_MEMBER_REF(obj, key, len)                                  \
  ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, (key), (obj), nullptr}; \
  pc += (len);                                                           \
  FUSED_DONE(len, code[pc - 1]);                                         \
  NEXT_IN_CODE
fLocalMember: {
  const Value* const c = BASE_CELL(node);
  const Value* v;
  if (!FUSED_FITS(2) || c->tag != kObject || !c->obj || top >= KVContext::kOperands ||
      !(v = inlineMemberValue(c->obj, code[pc + 1])))
    goto loadVariable;
  FUSED_PUSH_MEMBER(c->obj, v, 2);
}
fMethodCall: {
  // The method read as fLocalMember reads it, then the Call as fCountCall
  // goes on, the callee, its receiver and the argument taken from where
  // they lie; pushed as the records push them when the short entry
  // declines.
  const uint32_t len = node->run;
  const Value* const c = BASE_CELL(node);
  const Value* v;
  if (!FUSED_FITS(len) || c->tag != kObject || !c->obj || top + 3 > KVContext::kOperands ||
      !(v = inlineMemberValue(c->obj, code[pc + 1])))
    goto loadVariable;
  KVobj* const self = c->obj;
  const Value* const arg = len == 5 ? LOCAL_CELL(code[pc + 2]) : nullptr;
  const int32_t count = len == 5 ? 1 : 0;
  pc += static_cast<int32_t>(len) - 1;
  FUSED_DONE(len, code[pc]);
  EnteredFrame e;
  if (enterScriptCall<false, true>(ctx, RUNNING, top + 2 + count, pc, node->operand.i != 0, e, count, arg, v, self))
      [[likely]] {
    RUN_ENTERED(e);
  }
  opRefs[top] = self;
  ops[top++] = *v;
  if (arg) PUSH_IN_ROOM(*arg);
  PUSH_IN_ROOM(Value::makeInt(count));
  goto callHere;
}
fLocalMemberOp: {
  const Value* const c = BASE_CELL(node);
  const Value* v;
  if (!FUSED_FITS(node->run) || c->tag != kObject || !c->obj || top < 1 || top >= KVContext::kOperands ||
      TOP.tag != kInt || !(v = inlineMemberValue(c->obj, code[pc + 1])) || v->tag != kInt)
    goto loadVariable;
  FUSED_MEMBER_OP(v, 2)
}
fLocalMemberRef: {
  const Value* const c = BASE_CELL(node);
  if (!FUSED_FITS(2) || c->tag != kObject || !c->obj || top >= KVContext::kOperands ||
      ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  FUSED_MEMBER_REF(c->obj, code[pc + 1]->operand.i, 2);
}
fFrameMember: {
  KVobj* const self = ctx->frame->receiver;
  const Value* v;
  if (!FUSED_FITS(2) || !self || top >= KVContext::kOperands || !(v = inlineMemberValue(self, code[pc + 1])))
    goto pushFrameObject;
  FUSED_PUSH_MEMBER(self, v, 2);
}
fFrameMemberReturn: {
  // this.name read as fFrameMember reads it, then the Return's own step,
  // without the push.
  KVobj* const self = ctx->frame->receiver;
  const Value* v;
  if (!FUSED_FITS(3) || !self || top >= KVContext::kOperands || !(v = inlineMemberValue(self, code[pc + 1])))
    goto pushFrameObject;
  pc += 2;
  FUSED_DONE(3, code[pc]);
  returned = v;
  goto returnCell;
}
fFrameMemberRef: {
  KVobj* const self = ctx->frame->receiver;
  if (!FUSED_FITS(2) || !self || top >= KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto pushFrameObject;
  FUSED_MEMBER_REF(self, code[pc + 1]->operand.i, 2);
}
// local[local]: the key a non-negative integer.
#define LOCAL_ELEMENT_KEY_OK(k) ((k)->tag == kInt && (k)->i >= 0)
fLocalElement: {
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  const Value* v;
  if (!FUSED_FITS(3) || c->tag != kObject || !c->obj || !LOCAL_ELEMENT_KEY_OK(k) ||
      top + 2 > KVContext::kOperands || !(v = inlineElementValue(c->obj, k->i)))
    goto loadVariable;
  FUSED_PUSH_MEMBER(c->obj, v, 3);
}
fLocalElementOp: {
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  const Value* v;
  if (!FUSED_FITS(node->run) || c->tag != kObject || !c->obj || !LOCAL_ELEMENT_KEY_OK(k) || top < 1 ||
      top + 2 > KVContext::kOperands || TOP.tag != kInt || !(v = inlineElementValue(c->obj, k->i)) ||
      v->tag != kInt)
    goto loadVariable;
  FUSED_MEMBER_OP(v, 3)
}
fLocalElementRef: {
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  if (!FUSED_FITS(3) || c->tag != kObject || !c->obj || !LOCAL_ELEMENT_KEY_OK(k) ||
      top + 2 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs)
    goto loadVariable;
  FUSED_MEMBER_REF(c->obj, k->i, 3);
}
fElementBranch: {
  // object[local] tested, its element read as fLocalElement reads it (which
  // takes anything else), then the branch on its truth. The records push
  // two values.
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  const Value* v;
  if (!FUSED_FITS(4) || c->tag != kObject || !c->obj || !LOCAL_ELEMENT_KEY_OK(k) || top + 2 > KVContext::kOperands ||
      !(v = inlineElementValue(c->obj, k->i)))
    goto fLocalElement;
  NOTED_ANSWER(valueTruth(*v), 4);
}
fElementNotBranch: {
  // !object[local] tested: the element read as fLocalElement reads it (which
  // takes anything else), then its negation's branch, && or ||. The records
  // push two values.
  const uint32_t len = node->run;
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  const Value* v;
  if (!FUSED_FITS(len) || c->tag != kObject || !c->obj || !LOCAL_ELEMENT_KEY_OK(k) ||
      top + 2 > KVContext::kOperands || !(v = inlineElementValue(c->obj, k->i)))
    goto fLocalElement;
  NOTED_ANSWER(valueIsFalse(*v), len);
}
fElementCopyStore: {
  // object[local] = object[local]; the element read as fLocalElement reads
  // it and stored as the store's inline path stores it (no text). The read
  // changes nothing, so the cell found before it is the one the store would
  // find after it. The records push two values and a reference.
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  const Value* const from = BASE_CELL(code[pc + 3]);
  const Value* const at = LOCAL_CELL(code[pc + 4]);
  const Value* v;
  Value* cell;
  if (!FUSED_FITS(8) || top + 2 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs ||
      c->tag != kObject || !LOCAL_ELEMENT_KEY_OK(k) || from->tag != kObject || !from->obj ||
      !LOCAL_ELEMENT_KEY_OK(at) || !(v = inlineElementValue(from->obj, at->i)) || v->tag == kString ||
      !(cell = inlineMemberCell(c->obj, k->i)))
    goto fLocalElementRef;
  *cell = *v;
  pc += 8;
  FUSED_DONE(8, code[pc - 1]);
  NEXT_IN_CODE;
}
fReadOpStore: {
  // local = local OP member-or-element [OP constant];
  const uint32_t len = node->run;
  const Value* const a = NEXT_LOCAL_CELL;
  const Value* const c = LOCAL_CELL(code[pc + 2]);
  const CodeNode* const rd = code[pc + 3];
  const bool element = rd->kind == LoadVariable;
  const Value* v = nullptr;
  if (FUSED_FITS(len) && a->tag == kInt && c->tag == kObject && c->obj && top + 3 <= KVContext::kOperands &&
      ctx->refDepth < KVContext::kRefs) {
    if (!element) v = inlineMemberValue(c->obj, rd);
    else if (const Value* k = LOCAL_CELL(rd); LOCAL_ELEMENT_KEY_OK(k)) v = inlineElementValue(c->obj, k->i);
  }
  if (!v || v->tag != kInt) goto loadVariable;
  const uint32_t at = element ? 6 : 5;
  *LOCAL_CELL(node) = Value::makeInt(readOpResult(code + pc + at - 1, len > at + 2, a->i, v->i));
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  NEXT_IN_CODE;
}
#undef FUSED_PUSH_MEMBER
#undef FUSED_MEMBER_OP
#undef FUSED_MEMBER_REF
// local.name = integer expression; and local[local] = integer expression;
// The expression reads locals only, so the cell found before it is the
// one the store would find after it.
#define FUSED_REF_EXPR_STORE(ref, object, key, plain)                                            \
  {                                                                                              \
    const uint32_t len = node->run;                                                              \
    KVobj* const obj_ = (object);                                                                \
    int32_t st[kFusedExprDepth];                                                                 \
    Value* cell;                                                                                 \
    if (!FUSED_FITS(len) || !obj_ || top + kFusedExprDepth > KVContext::kOperands ||              \
        ctx->refDepth >= KVContext::kRefs || !(cell = inlineMemberCell(obj_, key)))               \
      goto plain;                                                                                \
    if (cell->tag != kFloat && node->reads != kReadsNumbers &&                                   \
        evalIntExpr(ctx, code + pc + (ref), len - (ref) - 2, frameCells, st) == st + 1) {        \
      *cell = Value::makeInt(st[0]);                                                             \
      NOTE_READS(true);                                                                     \
    } else if (numberExprValue(ctx, code + pc + (ref), len - (ref) - 2, frameCells, cell)) {     \
      NOTE_READS(cell->tag == kInt);                                                        \
    } else {                                                                                     \
      goto plain;                                                                                \
    }                                                                                            \
    pc += len;                                                                                   \
    FUSED_DONE(len, code[pc - 1]);                                                               \
    NEXT_IN_CODE;                                                                                \
  }
fMemberExprStore:
  FUSED_REF_EXPR_STORE(2, objectIn(BASE_CELL(node)), code[pc + 1], fLocalMemberRef)
fFrameMemberExprStore:
  FUSED_REF_EXPR_STORE(2, ctx->frame->receiver, code[pc + 1], fFrameMemberRef)
fElementExprStore: {
  const Value* const k = NEXT_LOCAL_CELL;
  if (!LOCAL_ELEMENT_KEY_OK(k)) goto loadVariable;
  FUSED_REF_EXPR_STORE(3, objectIn(BASE_CELL(node)), k->i, fLocalElementRef)
}
#undef FUSED_REF_EXPR_STORE
// `target = value;` of one pushed value: the cell `cellOf` finds (null: the
// records run one by one) written as the store's inline path writes it;
// `len` records. The value is a constant or a local, so the cell found
// before it is the one the store would find after it.
#define FUSED_VALUE_STORE(cellOf, valueAt, len)                                                  \
  {                                                                                              \
    Value v_;                                                                                    \
    Value* cell_;                                                                                \
    if (!FUSED_FITS(len) || top + 3 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs || \
        !plainValueOf(ctx, code[pc + (valueAt)], frameCells, &v_) || !(cell_ = (cellOf)))         \
      goto loadVariable;                                                                         \
    *cell_ = v_;                                                                                 \
    pc += (len);                                                                                 \
    FUSED_DONE(len, code[pc - 1]);                                                               \
    NEXT_IN_CODE;                                                                                \
  }
fLocalValueStore:
  FUSED_VALUE_STORE(LOCAL_CELL(node), 1, 4)
fMemberValueStore: {
  const Value* const c = BASE_CELL(node);
  FUSED_VALUE_STORE(c->tag == kObject ? inlineMemberCell(c->obj, code[pc + 1]) : nullptr, 2, 5)
}
fFrameMemberValueStore: {
  // this.name = value;
  KVobj* const self = ctx->frame->receiver;
  Value v;
  Value* cell;
  if (!FUSED_FITS(5) || !self || top + 3 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs ||
      !plainValueOf(ctx, code[pc + 2], frameCells, &v) || !(cell = inlineMemberCell(self, code[pc + 1])))
    goto pushFrameObject;
  *cell = v;
  pc += 5;
  FUSED_DONE(5, code[pc - 1]);
  NEXT_IN_CODE;
}
fElementValueStore: {
  // An array's element below its length first (the unsigned bound turns a
  // negative key away too), then whatever else inlineMemberCell serves.
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  Value v;
  Value* cell;
  if (!FUSED_FITS(6) || c->tag != kObject || k->tag != kInt || top + 3 > KVContext::kOperands ||
      ctx->refDepth >= KVContext::kRefs || !plainValueOf(ctx, code[pc + 3], frameCells, &v))
    goto loadVariable;
  if (KVobj* const obj = c->obj; obj && obj->classId == kArrayClassId && !obj->sealed)
    cell = static_cast<KVArray*>(obj)->elementForWrite(k->i);
  else
    cell = k->i >= 0 ? inlineMemberCell(obj, k->i) : nullptr;
  if (!cell) goto loadVariable;
  *cell = v;
  pc += 6;
  FUSED_DONE(6, code[pc - 1]);
  NEXT_IN_CODE;
}
#undef FUSED_VALUE_STORE
fMemberMemberStore: {
  // A text read goes the general way, as the member loads send it.
  KVobj* const to = objectIn(BASE_CELL(node));
  KVobj* const from = objectIn(BASE_CELL(code[pc + 2]));
  const Value* v;
  Value* cell;
  if (!FUSED_FITS(6) || top + 2 > KVContext::kOperands || ctx->refDepth >= KVContext::kRefs || !to || !from ||
      !(v = inlineMemberValue(from, code[pc + 3])) || v->tag == kString ||
      !(cell = inlineMemberCell(to, code[pc + 1])))
    goto loadVariable;
  *cell = *v;
  pc += 6;
  FUSED_DONE(6, code[pc - 1]);
  NEXT_IN_CODE;
}
// object[e] with e an integer expression of locals and constants: its
// records hold no read and call nothing, so evaluating it before the
// checks that may send the records one by one changes nothing. The key is
// found on `ref` records after the object's; the operand stack must have
// room for the object and the key's deepest operands, as the records use it.
#define INDEX_EXPR_KEY(keyRecords)                                                                \
  const Value* const c = BASE_CELL(node);                                                       \
  int32_t st[kFusedExprDepth];                                                                  \
  if (!FUSED_FITS(len) || c->tag != kObject || !c->obj || top + 1 + kFusedExprDepth > KVContext::kOperands || \
      evalIntExpr(ctx, code + pc + 1, (keyRecords), frameCells, st) != st + 1 || st[0] < 0)     \
    goto loadVariable;                                                                          \
  const int32_t key = st[0]
fIndexExprElement: {
  const uint32_t len = node->run;
  INDEX_EXPR_KEY(len - 2);
  const Value* const v = inlineElementValue(c->obj, key);
  if (!v) goto loadVariable;
  opRefs[top] = c->obj;
  ops[top++] = *v;
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  NEXT_IN_CODE;
}
fIndexExprElementRef: {
  const uint32_t len = node->run;
  if (ctx->refDepth >= KVContext::kRefs) goto loadVariable;
  INDEX_EXPR_KEY(len - 2);
  ctx->refs[ctx->refDepth++] = RefRecord{kRefMember, key, c->obj, nullptr};
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  NEXT_IN_CODE;
}
fIndexExprValueStore: {
  // object[e] = v; of one pushed value, or of other.name or other[local or
  // constant] read as the member and element steps read it inline, written
  // as the store's inline path writes it (no text). A read changes nothing,
  // so the cell found before it is the one the store would find after it.
  const uint32_t len = node->run;
  const int32_t last = code[pc + len - 3]->kind;
  const uint32_t read = last == GetIndexed ? 3 : last == GetMember ? 2 : 0;
  if (ctx->refDepth >= KVContext::kRefs) goto loadVariable;
  INDEX_EXPR_KEY(len - 4 - (read ? read : 1));
  Value v;
  Value* cell;
  if (read) {
    CodeNode* const* const r = code + pc + len - 2 - read;
    const Value* const from = BASE_CELL(r[0]);
    const Value* got;
    if (from->tag != kObject || !from->obj || !(got = variableReadValue(r, from->obj, frameCells)) ||
        got->tag == kString)
      goto loadVariable;
    v = *got;
  } else if (!plainValueOf(ctx, code[pc + len - 3], frameCells, &v)) {
    goto loadVariable;
  }
  if (!(cell = inlineMemberCell(c->obj, key))) goto loadVariable;
  *cell = v;
  pc += len;
  FUSED_DONE(len, code[pc - 1]);
  NEXT_IN_CODE;
}
fIndexExprNotBranch: {
  // !object[e] tested: the element read as fIndexExprElement reads it, then
  // its negation's branch, && or ||; anything else runs the records.
  const uint32_t len = node->run;
  INDEX_EXPR_KEY(negationAt(code, static_cast<uint32_t>(pc), len) - pc - 2);
  const Value* const v = inlineElementValue(c->obj, key);
  if (!v) goto loadVariable;
  NOTED_ANSWER(valueIsFalse(*v), len);
}
#undef INDEX_EXPR_KEY
// `target OP= integer expression;`: the target's integer value `read`
// (null: the records run one by one) and its cell `cellOf`, the expression
// of the records after the `ref` records of the target, then the store and
// the pop or pop-and-jump. The expression reads locals only, so neither
// the value nor the cell changes while it runs.
#define FUSED_COMPOUND_STORE(read, cellOf, ref)                                              \
  {                                                                                          \
    const uint32_t len = node->run;                                                          \
    const Value* const old_ = (read);                                                        \
    int32_t st[kFusedExprDepth];                                                             \
    Value* cell_;                                                                            \
    if (!FUSED_FITS(len) || !old_ || top + kFusedExprDepth + 3 > KVContext::kOperands ||     \
        ctx->refDepth >= KVContext::kRefs || ctx->refDepth < ctx->frame->refDepth ||         \
        !(cell_ = (cellOf)))                                                                 \
      goto loadVariable;                                                                     \
    if (old_->tag == kInt && node->reads != kReadsNumbers &&                                 \
        evalIntExpr(ctx, code + pc + (ref), len - (ref) - 2, frameCells, st) == st + 1) {    \
      *cell_ = Value::makeInt(compoundIntOp(code[pc + len - 2]->operand.i, old_->i, st[0])); \
      NOTE_READS(true);                                                                 \
    } else {                                                                                 \
      Value v_;                                                                              \
      if (!numberExprValue(ctx, code + pc + (ref), len - (ref) - 2, frameCells, &v_) ||      \
          !compoundNumber(code[pc + len - 2]->operand.i, *old_, v_, cell_))                  \
        goto loadVariable;                                                                   \
      NOTE_READS(cell_->tag == kInt);                                                   \
    }                                                                                        \
    const CodeNode* const last_ = code[pc + len - 1];                                        \
    if (last_->kind == PopAndJump) {                                                         \
      pc = last_->operand.i;                                                                 \
      THEN_LOOP_TEST(len, last_);                                                            \
    }                                                                                        \
    pc += static_cast<int32_t>(len);                                                         \
    FUSED_DONE(len, last_);                                                                  \
    NEXT_IN_CODE;                                                                            \
  }
fCompoundStore:
  FUSED_COMPOUND_STORE(LOCAL_CELL(node), LOCAL_CELL(node), 1)
fOuterCompoundStore: {
  const Value* const found = outerCellOf(ctx, node->second.var);
  Value* const outerCell = found == &kNoOuterCell ? nullptr : const_cast<Value*>(found);
  FUSED_COMPOUND_STORE(outerCell, outerCell, 1)
}
fJumpCompound: {
  // A jump to a loop's `local OP= expression` step that ends in PopAndJump.
  CodeNode* const* const step = code + node->operand.i;
  const uint32_t len = node->run;
  Value* const c = LOCAL_CELL(step[0]);
  int32_t st[kFusedExprDepth];
  if (!FUSED_FITS(len + 1) || top + kFusedExprDepth + 3 > KVContext::kOperands ||
      ctx->refDepth >= KVContext::kRefs || ctx->refDepth < ctx->frame->refDepth)
    goto jump;
  if (c->tag == kInt && node->reads != kReadsNumbers && evalIntExpr(ctx, step + 1, len - 3, frameCells, st) == st + 1) {
    c->i = compoundIntOp(step[len - 2]->operand.i, c->i, st[0]);
    NOTE_READS(true);
  } else {
    Value v;
    if (!numberExprValue(ctx, step + 1, len - 3, frameCells, &v) || !compoundNumber(step[len - 2]->operand.i, *c, v, c))
      goto jump;
    NOTE_READS(c->tag == kInt);
  }
  pc = step[len - 1]->operand.i;
  THEN_LOOP_TEST(len + 1, step[len - 1]);
}
// The member and element forms look the target up once: the cell a store
// writes is the object's own (an element below the length, an own member
// or slot), which the read would find first, so the old value is read from
// it.
fMemberCompoundStore: {
  const Value* const c = BASE_CELL(node);
  Value* const cell = c->tag == kObject ? inlineMemberCell(c->obj, code[pc + 1]) : nullptr;
  FUSED_COMPOUND_STORE(cell, cell, 2)
}
fElementCompoundStore: {
  const Value* const c = BASE_CELL(node);
  const Value* const k = NEXT_LOCAL_CELL;
  Value* const cell = c->tag == kObject && LOCAL_ELEMENT_KEY_OK(k) ? inlineMemberCell(c->obj, k->i) : nullptr;
  FUSED_COMPOUND_STORE(cell, cell, 3)
}
#undef FUSED_COMPOUND_STORE
#undef LOCAL_ELEMENT_KEY_OK
fPushStatement: {
  // `object.push(v);`: the member read as the member step reads it, the
  // call as the call step's push runs it, then the throw check and the pop
  // of the result, which have nothing to do. The records push three values.
  const Value* const c = BASE_CELL(node);
  const Value* m;
  Value v;
  if (!FUSED_FITS(7) || c->tag != kObject || !c->obj || c->obj->classId != kArrayClassId ||
      top + 3 > KVContext::kOperands || !(m = inlineMemberValue(c->obj, code[pc + 1])) ||
      !plainValueOf(ctx, code[pc + 2], frameCells, &v))
    goto fLocalMember;
  if (!pushStatementServed(ctx, static_cast<KVArray*>(c->obj), *m, v)) goto fLocalMember;
  // A failure inside the push (memory) is placed at the call.
  pc += 4;
  node = code[pc];
  POSITION;
  arrayPushInLoop(static_cast<KVArray*>(c->obj), v);
  pc += 3;
  FUSED_DONE(7, code[pc - 1]);
  NEXT_IN_CODE;
}
  } catch (const CompileError&) {
    throw;
  } catch (const AbortedRun&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory);
  } catch (const std::exception& e) {
    // Logged here, where the failing record's program counter is known; the
    // runs around this one pass the failure on.
    ctx->pc = pc;
    POSITION;
    logSystem(e.what());
    logSystem(abortLine(ctx).c_str());
    throw AbortedRun(e.what());
  }

#undef SYNC
#undef RELOAD
#undef OUT
#undef NEXT
#undef DISPATCH_FETCHED
#undef POSITION
#undef ADVANCE
#undef NEED
#undef PUSH
#undef TOP
#undef SET_TOP
#undef STEP
#undef BINARY
#undef SHORT_CIRCUIT
#undef INT_PAIR
#undef INT_PAIR_IF
#undef STEP_CELL
#undef FUSED_FITS
#undef FUSED_DONE
#undef NOTE_READS
#undef LOCAL_CELL
#undef BASE_CELL
#undef BRANCH_ON
#undef TAKE_ANSWER
#undef NOTED_ANSWER
#undef NOTED_TARGET
#undef THEN_LOOP_TEST
#undef FUSED_CONST
#undef FUSED_TOP_OP
#undef FUSED_LOCAL
#undef ASSIGN_FAST
#undef LOAD_FRAME
#undef LOAD_FRAME_OF
#undef LEAVE_FRAME
#undef LEAVE_SERVED
#undef LEAVE_GENERAL
#undef RETURN_VALUE
#undef RUN_ENTERED
#undef RUNNING
}

}  // namespace

void restartPumpCount() { gStepCounter = 0; }

void* firstStep() {
  static void* const first = [] {
    runLoop(nullptr, nullptr);
    return gFirstStep;
  }();
  return first;
}

void runFunction(const Callable& fn) {
  KVContext* ctx = gCurrentContext;
  if (fn.code && !fn.native) {
    runLoop(ctx, fn.code);
    return;
  }
  // A native's other failures reach the code loop that called it, which
  // logs them at the calling record.
  try {
    if (fn.native) fn.native(ctx);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory);
  }
}

}  // namespace kv
