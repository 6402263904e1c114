// Recognising the record runs the code loop executes as one fused step.
#include "runtime/vm/fuse.h"

#include "runtime/vm/code.h"

namespace kv {
namespace {

bool gFusion = true;

// A LoadVariable of the running frame's own cell, pushing only the value.
bool isLocalValue(const CodeNode* n) {
  return n->kind == LoadVariable && n->flags == kPushValue && n->second.var && n->second.var->depth == 0;
}
bool isPop(int32_t kind) { return kind == Pop49 || kind == Pop123 || kind == Pop137; }
bool isJumpIfFalse(int32_t kind) {
  return kind == JumpIfFalse53 || kind == JumpIfFalse107 || kind == JumpIfFalse109 || kind == JumpIfFalse121;
}

Fused compareBranch(const CodeVector& code, uint32_t pc) {
  if (pc + 3 >= code.size()) return Fused::None;
  const CodeNode* rhs = code[pc + 1];
  const int32_t cmp = code[pc + 2]->kind;
  const CodeNode* branch = code[pc + 3];
  if (rhs->kind != PushInt && rhs->kind != PushInt138 && !isLocalValue(rhs)) return Fused::None;
  if (cmp != Less && cmp != Greater) return Fused::None;
  if (branch->kind == Branch ? !branch->second.triple : !isJumpIfFalse(branch->kind)) return Fused::None;
  return Fused::CompareBranch;
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

}  // namespace

void setRecordFusion(bool on) { gFusion = on; }
bool recordFusion() { return gFusion; }

Fused fusedAt(const CodeVector& code, uint32_t pc) {
  if (!gFusion) return Fused::None;
  if (code[pc]->kind == Call) return Fused::EnterCall;
  if (pc + 1 >= code.size()) return Fused::None;
  const CodeNode* n = code[pc];
  const CodeNode* next = code[pc + 1];
  switch (n->kind) {
    case LoadVariable: {
      if (isLocalValue(n)) {
        if (Fused f = compareBranch(code, pc); f != Fused::None) return f;
        if (isLocalValue(next)) return Fused::LoadTwo;
        return withTop(next->kind, Fused::LocalAdd, Fused::LocalSub, Fused::LocalMul, Fused::None);
      }
      const bool both = n->flags == (kPushValue | kPushReference);
      if (!both || !n->second.var || n->second.var->depth != 0 || pc + 2 >= code.size()) return Fused::None;
      if (next->kind != IncrementInPlace && next->kind != DecrementInPlace) return Fused::None;
      const int32_t after = code[pc + 2]->kind;
      return after == PopAndJump || isPop(after) ? Fused::StepLocal : Fused::None;
    }
    case PushInt: case PushInt138: {
      const int32_t c = n->operand.i;
      // Modulo by 0 and -1 has its own answers: those run the general way.
      const Fused mod = c != 0 && c != -1 ? Fused::ConstMod : Fused::None;
      return withTop(next->kind, Fused::ConstAdd, Fused::ConstSub, Fused::ConstMul, mod);
    }
    case Assign: case AssignThroughReference:
      return isPop(next->kind) ? Fused::AssignPop : Fused::None;
    default:
      return Fused::None;
  }
}

}  // namespace kv
