// The interpreter steps served by the classes of arrays, views, tuples and
// generators: array literals, for-of, yield, element access, the calls of
// generators and restarters, and the array sort's intrinsic operations.
#pragma once

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/context.h"
#include "runtime/vm/kvarray.h"

namespace kv {

class KVrestarter;

// BeginArray, AppendElement, EndArray on the context's open array literals.
void beginArrayLiteral(KVContext* ctx);
void appendLiteralElement(KVContext* ctx);
void endArrayLiteral(KVContext* ctx);
// ForOf: operand < 0 sets the iterator up in local 1; otherwise one step
// stores the next element in local 0 (and with a positive operand its index
// in local 2) and pushes whether there was one.
void forOfStep(KVContext* ctx, int32_t operand);
// Yield (operand 0: the popped value, else undefined) and GeneratorReturn;
// both leave the run with the restarter's pair on top.
void yieldStep(KVContext* ctx, int32_t operand);
void generatorReturnStep(KVContext* ctx);
// Element access of arrays, views and tuples (member look-up before the
// cache): answers true with the element's cell (null when missing) when the
// object serves the key itself.
bool elementLookup(KVobj* obj, int32_t key, Value*& cell);
// A call of a generator function or of a restarter's next: true when served.
bool specialCall(KVContext* ctx, KVfobj* fn, KVobj* receiver, int32_t argCount);
// CallIntrinsic operations 9 to 21 (the array sort).
void sortIntrinsic(KVContext* ctx, int32_t operation);

// sortRange's steps on its frame's cells: the parameters comparator, lo,
// count, self and array, then (after the frame's arguments) the locals
// lenA, lenB, i and j from 1. CallIntrinsic 20 sets the locals up. 18
// starts the merge, 19 goes on with the comparator's answer on top (true
// takes the first half's entry): entries move into the scratch half until
// two defined values are to be compared, which leaves the comparator, the
// two values and true for the call; once the range is merged it is copied
// back and false is left. Each step does what the records it replaced did
// and fails where they failed, for want of operand or reference room; with
// cells or a buffer not a sortRange frame's, or an answer missing, it
// fails with kErrUnexpected before it changes anything. sortIntrinsic runs
// them out of the loop. The code loop's form takes its operand top by value
// (so that the loop's own stays in a register) and answers the new top, or
// -1 with nothing changed when the step is to run out of the loop (stacks
// without room for its longest round, or a failure), which fails there.
[[gnu::noinline]] int32_t sortRangeStepInLoop(KVContext* ctx, int32_t top, int32_t op);

// The sort's operations of a pair's comparison on the code loop's own
// operand stack (`top` is the loop's): 11 pushes a buffer entry's value, 12
// the undefined rule when neither value is undefined (false: call the
// comparator). Anything else, and any operand sortIntrinsic would refuse,
// answers false with nothing changed; sortIntrinsic then runs the
// operation (or fails) as always.
[[gnu::always_inline]] inline bool sortStepInline(Value* ops, KVobj** refs, int32_t& top, int32_t op) {
  const auto bufferOf = [](const Value& v) -> KVArray* {
    if (v.tag != kObject || !v.obj || v.obj->classId != kArrayClassId) return nullptr;
    auto* a = static_cast<KVArray*>(v.obj);
    return a->sortBuf ? a : nullptr;
  };
  switch (op) {
    case 11: {
      if (top < 2 || ops[top - 1].tag != kInt) return false;
      KVArray* a = bufferOf(ops[top - 2]);
      const int32_t i = ops[top - 1].i;
      if (!a || i < 0 || i >= a->sortSize()) return false;
      top -= 1;
      ops[top - 1] = a->sortBuf[i];
      refs[top - 1] = nullptr;
      return true;
    }
    case 12:
      if (top < 3 || top >= KVContext::kOperands || ops[top - 2].tag == kUndefined ||
          ops[top - 1].tag == kUndefined)
        return false;
      refs[top] = nullptr;
      ops[top++] = Value::makeBool(false);
      return true;
    default: return false;
  }
}
// A write to a typed view element that a reference resolved to.
void viewStore(KVobj* view, int32_t index, const Value& v);
// Whether the element lies inside the view and its buffer, and its value (read
// only when it does).
bool viewHolds(KVobj* view, int32_t index);
Value viewLoad(KVobj* view, int32_t index);

// Resumes the restarter's saved frame with `passed` as the value of its
// Yield (ignored on the first run) and runs it to its next Yield or its
// end; the step result is the restarter's pair, on top of the operand stack.
void resumeAndRun(KVContext* ctx, KVrestarter* r, const Value& passed);

}  // namespace kv
