// The iterators for-of walks, and tuples.
#include "runtime/vm/iter.h"

#include <algorithm>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

// The values of a tuple under construction, visited by every collection.
Value gTupleScratch[kMaxTupleItems];
int32_t gTupleScratchCount = 0;

}  // namespace

void visitTupleScratch(bool full, void*) {
  for (int32_t i = 0; i < gTupleScratchCount; ++i) visitValue(gTupleScratch[i], full);
}

KVIter* newKVIter(KVobj* target) {
  IterFinishedHook finished = nullptr;
  IterStepHook step = nullptr;
  target->getIterationHooks(finished, step);
  ObjectRoot root(target);
  reserveNursery(objectBytes<KVIter>(1));
  KVIter* it = placeYoungObject<KVIter>(1, nullptr, kIterClassId);
  it->target = root.get();
  it->finishedHook = finished;
  it->stepHook = step;
  return it;
}

KVTuple* newKVTuple(int32_t count, const Value* const* values) {
  // Clamped here too: the scratch holds nine values.
  count = std::clamp(count, 0, kMaxTupleItems);
  for (int32_t i = 0; i < count; ++i) gTupleScratch[i] = *values[i];
  gTupleScratchCount = count;
  struct Clear {
    ~Clear() { gTupleScratchCount = 0; }
  } clear;
  reserveNursery(objectBytes<KVTuple>(count + 1));
  KVTuple* t = placeYoungObject<KVTuple>(count + 1, gBuiltins.tupleProto, kTupleClassId);
  t->count = count;
  for (int32_t i = 0; i < count; ++i) *t->props.cells[i + 1] = gTupleScratch[i];
  return t;
}

}  // namespace kv
