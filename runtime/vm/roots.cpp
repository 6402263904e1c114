#include "runtime/vm/roots.h"

#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/heap.h"

namespace kv {

CoreObjects gCore;

namespace {

KVobj* gObjectRoots[kTempRootDepth];
Value gValueRoots[kTempRootDepth];
void* gBlockRoots[kTempRootDepth];
size_t gObjectRootTop = 0;
size_t gValueRootTop = 0;
size_t gBlockRootTop = 0;

std::vector<KVobj*> gStaticObjects;

size_t pushSlot(size_t& top) {
  // Roots nest only as deep as allocation calls do; running out is a fault
  // of the runtime itself.
  if (top == kTempRootDepth) throw RuntimeError(kErrUnexpected);
  return top++;
}

void visitObjectRoots(bool full, void*) { scanObjectRoots(full); }
void visitCoreObjects(bool full, void*) { scanCoreObjects(full); }

}  // namespace

ObjectRoot::ObjectRoot(KVobj* obj) : index_(pushSlot(gObjectRootTop)) { gObjectRoots[index_] = obj; }
ObjectRoot::~ObjectRoot() { gObjectRootTop = index_; }
KVobj* ObjectRoot::get() const { return gObjectRoots[index_]; }

ValueRoot::ValueRoot(const Value& v) : index_(pushSlot(gValueRootTop)) { gValueRoots[index_] = v; }
ValueRoot::~ValueRoot() { gValueRootTop = index_; }
const Value& ValueRoot::get() const { return gValueRoots[index_]; }

BlockRoot::BlockRoot(void* block) : index_(pushSlot(gBlockRootTop)) { gBlockRoots[index_] = block; }
BlockRoot::~BlockRoot() { gBlockRootTop = index_; }
void* BlockRoot::get() const { return gBlockRoots[index_]; }

void scanObjectRoots(bool full) {
  for (size_t i = 0; i < gObjectRootTop; ++i) visitObject(gObjectRoots[i], full);
  for (size_t i = 0; i < gValueRootTop; ++i) visitValue(gValueRoots[i], full);
  for (size_t i = 0; i < gBlockRootTop; ++i) visitBlockRoot(gBlockRoots[i], full);
}

void recordStaticObject(KVobj* obj) { gStaticObjects.push_back(obj); }

void scanCoreObjects(bool full) {
  // Static objects never move; visiting them forwards or marks what they hold.
  for (KVobj* obj : gStaticObjects) visitObject(obj, full);
}

void resetObjectRoots() {
  gStaticObjects.clear();
  gCore = CoreObjects{};
  gObjectRootTop = gValueRootTop = gBlockRootTop = 0;
  registerRoot(RootRank::CoreObjects, &visitCoreObjects, nullptr);
  registerRoot(RootRank::ObjectTemps, &visitObjectRoots, nullptr);
}

}  // namespace kv
