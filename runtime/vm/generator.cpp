// Generators: suspending a run at yield and restarting it at next.
#include "runtime/vm/generator.h"

#include <algorithm>

#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

int32_t cellCountOf(const KVfobj* fn) {
  size_t n = (fn->firstCells() ? fn->firstCells()->size() : 0) + (fn->secondCells() ? fn->secondCells()->size() : 0);
  return static_cast<int32_t>(std::min<size_t>(n, KVContext::kCells));
}

// The "next" body never runs: the interpreter resumes the generator instead.
void nextNative(KVContext* ctx) { ctx->pushUndefined(); }

}  // namespace

void KVrestarter::forwardReferences() {
  function = static_cast<KVfobj*>(forwardObject(function));
  pair = static_cast<YieldPair*>(forwardObject(pair));
  visitSavedFrame(saved, false);
}

void KVrestarter::markReferences() {
  markObject(function);
  markObject(pair);
  visitSavedFrame(saved, true);
}

void KVrestarter::reset() {
  std::fill(saved.cells, saved.cells + saved.cellCount, Value());
  saved.valueCount = 0;
  saved.refCount = 0;
  saved.objectLiteralCount = 0;
  saved.arrayLiteralCount = 0;
}

KVrestarter* newKVrestarter(KVfobj* fn, const Value* values, int32_t n) {
  int32_t cells = cellCountOf(fn);
  // values lie where the collector visits them (the caller's operands);
  // they are read only after the one reservation that may collect.
  ObjectRoot fnRoot(fn);
  reserveNursery(objectBytes<KVrestarter>(1) + objectBytes<YieldPair>(3));
  Value* block = cells > 0 ? new Value[cells] : nullptr;
  std::copy(values, values + std::clamp(n, 0, cells), block);
  KVrestarter* r = placeYoungObject<KVrestarter>(1, gBuiltins.restarterProto, kRestarterClassId);
  r->saved.cells = block;
  r->saved.cellCount = cells;
  r->function = static_cast<KVfobj*>(fnRoot.get());
  registerOwner(r);
  YieldPair* pair = placeYoungObject<YieldPair>(3, gBuiltins.generatorProto, kYieldPairClassId);
  pair->set(false, Value());
  r->pair = pair;
  return r;
}

KVgenerator* newKVgenerator(KVrestarter* state) {
  ObjectRoot root(state);
  reserveNursery(objectBytes<KVgenerator>(1));
  KVgenerator* g = placeYoungObject<KVgenerator>(1, gBuiltins.generatorProto, kGeneratorClassId);
  g->state = static_cast<KVrestarter*>(root.get());
  return g;
}

void setupRestarterClass() {
  KVobj::defineNativeNext(gBuiltins.restarterProto, NativeArgTypes(1, 0), &nextNative);
  KVobj::buildPropertyIndex(gBuiltins.restarterProto, kRestarterProtoClassId);
}

}  // namespace kv
