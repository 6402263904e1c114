// Linking a function's record list into the vector the interpreter runs.
#include "runtime/vm/link.h"

#include <cstring>
#include <memory>
#include <optional>

#include "runtime/vm/errors.h"
#include "runtime/vm/value.h"

namespace kv {
namespace {

using Pos = NodeList::iterator;

bool isFoldOperator(int32_t kind) {
  switch (kind) {
    case BitAnd: case BitOr: case BitXor: case ShiftLeft: case ShiftRight:
    case Add: case Sub: case Mul: case Div: case Mod:
      return true;
    default:
      return false;
  }
}

Value foldBinary(int32_t kind, const Value& a, const Value& b) {
  switch (kind) {
    case BitAnd: return *valueBitAnd(&a, &b);
    case BitOr: return *valueBitOr(&a, &b);
    case BitXor: return *valueBitXor(&a, &b);
    case ShiftLeft: return *valueShiftLeft(&a, &b);
    case ShiftRight: return *valueShiftRight(&a, &b);
    case Add: return *valueAdd(&a, &b);
    case Sub: return *valueSub(&a, &b);
    case Mul: return *valueMul(&a, &b);
    case Div: return *valueDiv(&a, &b);
    default: return *valueMod(&a, &b);
  }
}

Value foldUnary(int32_t kind, const Value& a) {
  if (kind == Negate) return *valueNegate(&a);
  if (a.tag == kNaN) return a;
  if (kind == BitNot) return Value::makeInt(~a.i);
  return Value::makeBool(a.i == 0);  // Not
}

CodeNode* replacementFor(const Value& v) {
  if (v.tag == kNaN) return newNodePushNaN();
  if (v.tag == kFloat) return newNodePushDouble(v.d);
  return newNodePushInt32(v.i);
}

void placeSlot(LabelSlot* s, int32_t at) {
  if (s) s->position = at;
}
void placeUnset(LabelSlot* s, int32_t at) {
  if (s && s->position < 0) s->position = at;
}
int32_t positionOf(const LabelSlot* s) { return s ? s->position : -1; }

// The placing rule of each kind: which label the record itself marks.
void placeLabels(CodeNode* n, int32_t i) {
  switch (n->kind) {
    case Jump54: case Jump108: case Jump110:
      if (n->second.pair) placeSlot(n->second.pair->first, i + 1);
      break;
    case Branch:
      if (n->second.triple) placeSlot(n->second.triple->first, i + 1);
      break;
    case Nop55: case ToBool58: case ToBool59: case JumpIfFalse109: case Pop123:
      placeSlot(n->first.label, i + 1);
      break;
    case Nop111:
      if (n->second.pair) {
        placeSlot(n->second.pair->first, i);
        placeSlot(n->second.pair->second, i);
      }
      break;
    case Nop112: case Nop114: case Nop115: case Nop116: case StoreCaught128: case StoreCaught129:
      placeSlot(n->first.label, i);
      break;
    case Jump122: case PopAndJump: case Jump126:
      if (n->second.pair) placeSlot(n->second.pair->second, i + 1);
      break;
    case Nop130:
      if (n->second.pair) {
        placeUnset(n->second.pair->first, i);
        placeSlot(n->second.pair->second, i);
      }
      break;
    case JumpIfThrown:
      if (n->second.triple) {
        placeUnset(n->second.triple->first, i);
        placeUnset(n->second.triple->second, i);
        placeSlot(n->second.triple->third, i);
      }
      break;
    default:
      break;
  }
}

void resolveTarget(CodeNode* n) {
  switch (n->kind) {
    case JumpIfFalse53: case AndThen: case OrElse: case JumpIfFalse109: case Jump117: case Jump118:
    case JumpIfFalse121: case JumpPast: case JumpIfThrown: case Jump165:
      n->operand.i = positionOf(n->first.label);
      n->first.ptr = nullptr;
      break;
    case Jump54: case Jump108: case Jump110:
      n->operand.i = n->second.pair ? positionOf(n->second.pair->second) : -1;
      n->second.ptr = nullptr;
      break;
    case JumpIfFalse107: case Jump122: case PopAndJump: case Jump126:
      n->operand.i = n->second.pair ? positionOf(n->second.pair->first) : -1;
      n->second.ptr = nullptr;
      break;
    default:
      break;
  }
}

}  // namespace

void foldConstants(NodeList& list) {
  std::vector<Pos> starts;
  std::vector<std::optional<Pos>> ends;
  std::vector<CodeNode*> replacements;
  Value stack[2];
  int32_t depth = 0;
  int32_t state = 0;
  auto push = [&](int32_t v) {
    // At most two values are live: a third constant always breaks the run.
    if (depth < 2) stack[depth++] = Value::makeInt(v);
  };
  auto finish = [&](Pos last) {
    ends.emplace_back(last);
    replacements.push_back(replacementFor(stack[depth - 1]));
  };
  Pos prev = list.end();
  for (Pos it = list.begin(); it != list.end(); prev = it, ++it) {
    const CodeNode* n = *it;
    switch (state) {
      case 0:
        depth = 0;
        if (n->kind == PushInt) {
          push(n->operand.i);
          starts.push_back(it);
          state = 1;
        }
        break;
      case 1:
        if (n->kind == PushInt) {
          push(n->operand.i);
          state = 2;
        } else if (n->kind == Negate || n->kind == BitNot || n->kind == Not) {
          stack[depth - 1] = foldUnary(n->kind, stack[depth - 1]);
          state = 3;
        } else {
          ends.emplace_back(std::nullopt);
          state = 0;
        }
        break;
      case 2:
        if (isFoldOperator(n->kind)) {
          stack[0] = foldBinary(n->kind, stack[0], stack[1]);
          depth = 1;
          state = 3;
        } else {
          starts.pop_back();
          state = 0;
        }
        break;
      default:  // 3
        if (n->kind == PushInt) {
          push(n->operand.i);
          state = 2;
        } else {
          finish(prev);
          state = 0;
        }
        break;
    }
  }
  // A run that reaches the end of the list ends there.
  if (state == 3) finish(prev);
  else if (state == 1) ends.emplace_back(std::nullopt);
  else if (state == 2) starts.pop_back();

  size_t r = 0;
  for (size_t k = 0; k < starts.size() && k < ends.size(); ++k) {
    if (!ends[k]) continue;
    Pos last = *ends[k];
    Pos after = std::next(last);
    list.erase(starts[k], after);
    list.insert(after, replacements[r++]);
  }
}

bool jumpTargetsInside(const CodeNode* n, int32_t count) {
  auto inside = [count](int32_t at) { return at <= count; };
  switch (n->kind) {
    case JumpIfFalse53: case AndThen: case OrElse: case JumpIfFalse109: case Jump117: case Jump118:
    case JumpIfFalse121: case JumpPast: case JumpIfThrown: case Jump165:
    case Jump54: case Jump108: case Jump110:
    case JumpIfFalse107: case Jump122: case PopAndJump: case Jump126:
      return inside(n->operand.i);
    case Branch:
      return !n->second.triple ||
             (inside(positionOf(n->second.triple->second)) && inside(positionOf(n->second.triple->third)));
    case JumpIf:
      return inside(positionOf(n->first.label));
    default:
      return true;
  }
}

CodeVector* linkCode(NodeList& list, bool fold) {
  if (fold) foldConstants(list);
  size_t labels = 0;
  for (const CodeNode* n : list)
    if (n->kind == Label) ++labels;
  auto out = std::make_unique<CodeVector>(list.size() - labels);
  int32_t i = 0;
  for (CodeNode* n : list) {
    if (n->kind == Label) {
      placeSlot(n->first.label, i);
      continue;
    }
    placeLabels(n, i);
    (*out)[i++] = n;
  }
  for (CodeNode* n : list) resolveTarget(n);
  for (const CodeNode* n : *out)
    if (!jumpTargetsInside(n, i)) throw KVUnexpected("a jump leaves its function");
  return out.release();
}

}  // namespace kv
