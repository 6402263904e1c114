// The interpreter steps served by the classes of arrays, views, tuples and
// generators: array literals, for-of, yield, element access, the calls of
// generators and restarters, and the array sort's intrinsic operations.
#pragma once

#include "runtime/vm/context.h"

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
// CallIntrinsic operations 9 to 17 (the array sort).
void sortIntrinsic(KVContext* ctx, int32_t operation);
// A write to a typed view element that a reference resolved to.
void viewStore(KVobj* view, int32_t index, const Value& v);

// Resumes the restarter's saved frame with `passed` as the value of its
// Yield (ignored on the first run) and runs it to its next Yield or its
// end; the step result is the restarter's pair, on top of the operand stack.
void resumeAndRun(KVContext* ctx, KVrestarter* r, const Value& passed);

}  // namespace kv
