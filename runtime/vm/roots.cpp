// The object model's roots: temporary roots and the root walk.
#include "runtime/vm/roots.h"

#include <vector>

#include "runtime/vm/heap.h"

namespace kv {

CoreObjects gCore;

namespace {

std::vector<KVobj*> gStaticObjects;

void visitObjectRoots(bool full, void*) { scanObjectRoots(full); }
void visitCoreObjects(bool full, void*) { scanCoreObjects(full); }

}  // namespace

void scanObjectRoots(bool full) {
  for (size_t i = 0; i < ObjectRoot::top; ++i) visitObject(ObjectRoot::slots[i], full);
  for (size_t i = 0; i < ValueRoot::top; ++i) visitValue(ValueRoot::slots[i], full);
  for (size_t i = 0; i < BlockRoot::top; ++i) visitBlockRoot(BlockRoot::slots[i], full);
}

void recordStaticObject(KVobj* obj) { gStaticObjects.push_back(obj); }

void scanCoreObjects(bool full) {
  // Static objects never move; visiting them forwards or marks what they hold.
  for (KVobj* obj : gStaticObjects) visitObject(obj, full);
}

void resetObjectRoots() {
  gStaticObjects.clear();
  gCore = CoreObjects{};
  ObjectRoot::top = ValueRoot::top = BlockRoot::top = 0;
  registerRoot(RootRank::CoreObjects, &visitCoreObjects, nullptr);
  registerRoot(RootRank::ObjectTemps, &visitObjectRoots, nullptr);
}

}  // namespace kv
