// Activation objects, the global object and the variables of calls.
#include "runtime/vm/activation.h"

#include <cstddef>
#include <memory>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/object.h"
#include "runtime/vm/property.h"

namespace kv {

GlobalObject* gGlobalObject = nullptr;
bool gMainProgramRunning = true;

namespace {

ScopeChain* gGlobalChain = nullptr;
void visitScopeRoots(bool full, void*) {
  for (size_t i = 0; i < ScopeRoot::top; ++i) {
    if (full) markScopeChain(ScopeRoot::slots[i]);
    else ScopeRoot::slots[i] = forwardScopeChain(ScopeRoot::slots[i]);
  }
}

void visitCells(Value* cells, int32_t n, bool full) {
  for (int32_t i = 0; i < n; ++i) visitValue(cells[i], full);
}

void visitGlobalObject(bool full, void*) {
  if (!gGlobalObject) return;
  if (full) gGlobalObject->markReferences();
  else gGlobalObject->forwardReferences();
  gGlobalObject->visitAreas(full);
}

}  // namespace

ActivationObject::~ActivationObject() {
  if (ownsCells && !cellsInBlock) delete[] cells;
}

void ActivationObject::forwardReferences() {
  if (epoch == gHeap.minorCount) return;
  epoch = gHeap.minorCount;
  // A running call's cells are visited with its context's value area.
  if (ownsCells) visitCells(cells, cellCount, false);
}

void ActivationObject::markReferences() {
  if (ownsCells) visitCells(cells, cellCount, true);
}

namespace {

// Blocks of released copies, kept by cell count for the copies that follow:
// closures made in a loop die together at a collection and are made again
// at once, so a block is reused instead of a malloc and a free per copy.
// Copies are made and released only by the heap's user (making closures,
// and the collector running their owners' destructors), so the pool shares
// the heap's exclusion. It keeps at most about one nursery's worth of bytes.
constexpr int32_t kPooledCells = 8;
constexpr size_t kPoolBytesLimit = kNurserySize;

struct PooledBlock {
  PooledBlock* next;
};
PooledBlock* gPool[kPooledCells + 1] = {};
size_t gPoolBytes = 0;
size_t gCopyBytesLive = 0;

size_t copyBlockBytes(int32_t n) { return sizeof(ActivationObject) + sizeof(Value) * static_cast<size_t>(n); }

void* takeCopyBlock(int32_t n) {
  if (n <= kPooledCells && gPool[n]) {
    PooledBlock* b = gPool[n];
    gPool[n] = b->next;
    gPoolBytes -= copyBlockBytes(n);
    return b;
  }
  return ::operator new(copyBlockBytes(n));
}

void giveCopyBlock(void* block, int32_t n) {
  if (n <= kPooledCells && gPoolBytes + copyBlockBytes(n) <= kPoolBytesLimit) {
    auto* b = static_cast<PooledBlock*>(block);
    b->next = gPool[n];
    gPool[n] = b;
    gPoolBytes += copyBlockBytes(n);
    return;
  }
  ::operator delete(block);
}

}  // namespace

ActivationObject* ActivationObject::copy(ActivationObject* next) const {
  // One block for the copy and its cells: a closure's capture costs one
  // allocation and one release per activation, both usually from the pool.
  static_assert(sizeof(ActivationObject) % alignof(Value) == 0);
  const int32_t n = cellCount > 0 ? cellCount : 0;
  auto* c = new (takeCopyBlock(n)) ActivationObject;
  gCopyBytesLive += copyBlockBytes(n);
  c->cells = reinterpret_cast<Value*>(c + 1);
  for (int32_t i = 0; i < n; ++i) new (&c->cells[i]) Value(cells[i]);
  c->ownsCells = true;
  c->cellsInBlock = true;
  c->nextCopy = next;
  c->argCount = argCount;
  c->cellCount = cellCount;
  // Every collection so far is past; the next one visits the copy.
  c->epoch = gHeap.minorCount;
  return c;
}

void ActivationObject::releaseCopies(ActivationObject* first) {
  // Copies are plain activations with their cells in their block: nothing
  // to release but the block.
  while (first) {
    ActivationObject* next = first->nextCopy;
    const int32_t n = first->cellCount > 0 ? first->cellCount : 0;
    first->ActivationObject::~ActivationObject();
    giveCopyBlock(first, n);
    gCopyBytesLive -= copyBlockBytes(n);
    first = next;
  }
}

size_t closureCopyBytes() { return gCopyBytesLive; }

GlobalObject::GlobalObject() {
  for (int32_t n = 0; n < kGlobalAreaCount; ++n)
    if (kGlobalAreaSizes[n] > 0) areas[n] = new Value[kGlobalAreaSizes[n]];
}

GlobalObject::~GlobalObject() {
  for (Value* a : areas) delete[] a;
}

void GlobalObject::forwardReferences() {
  if (epoch == gHeap.minorCount) return;
  epoch = gHeap.minorCount;
  if (!gMainProgramRunning) visitCells(cells, cellCount, false);
}

void GlobalObject::markReferences() {
  if (!gMainProgramRunning) visitCells(cells, cellCount, true);
}

void GlobalObject::visitAreas(bool full) {
  for (int32_t n = 0; n < kGlobalAreaCount; ++n) visitCells(areas[n], kGlobalAreaSizes[n], full);
}

void createGlobalObject() {
  delete gGlobalObject;
  gGlobalObject = new GlobalObject;
  gMainProgramRunning = true;
  registerRoot(RootRank::GlobalObject, &visitGlobalObject, nullptr);
  ScopeRoot::top = 0;
  registerRoot(RootRank::ScopeChainCopy, &visitScopeRoots, nullptr);
  gGlobalChain = static_cast<ScopeChain*>(gcAllocStatic(scopeChainBytes(1)));
  gGlobalChain->count = 1;
  gGlobalChain->entries[0] = gGlobalObject;
}

size_t scopeChainBytes(int32_t count) {
  return offsetof(ScopeChain, entries) + sizeof(ActivationObject*) * static_cast<size_t>(count > 0 ? count : 1);
}

ScopeChain* globalScopeChain() { return gGlobalChain; }

namespace {

// A young chain block of exactly its entries, not rounded to a size class:
// a closure made per call carries one, and the collector takes a chain's
// size from its block.
ScopeChain* allocScopeChain(int32_t count) {
  size_t bytes = scopeChainBytes(count);
  if (bytes > kMaxYoungRequest) raiseInternalAllocError();
  return static_cast<ScopeChain*>(gcAllocYoungRaw(bytes));
}

}  // namespace

ScopeChain* chainWith(ActivationObject* inner, ScopeChain* outer) {
  ScopeRoot root(outer);
  int32_t n = outer ? outer->count : 0;
  auto* c = allocScopeChain(n + 1);
  outer = root.get();
  c->count = n + 1;
  c->entries[0] = inner;
  for (int32_t i = 0; i < n; ++i) c->entries[i + 1] = outer->entries[i];
  return c;
}

namespace {

ActivationObject* copyEntry(ActivationObject* a, ActivationObject*& copies) {
  if (a->isGlobal()) return a;
  copies = a->copy(copies);
  return copies;
}

}  // namespace

ScopeChain* copyScopeChain(ScopeChain* chain, ActivationObject*& copies) {
  copies = nullptr;
  if (!chain) return nullptr;
  ScopeRoot root(chain);
  auto* c = allocScopeChain(chain->count);
  chain = root.get();
  c->count = chain->count;
  for (int32_t i = 0; i < chain->count; ++i) c->entries[i] = copyEntry(chain->entries[i], copies);
  return c;
}

ScopeChain* copyScopeChainWith(ActivationObject* inner, ScopeChain* outer, ActivationObject*& copies) {
  copies = nullptr;
  ScopeRoot root(outer);
  const int32_t n = outer ? outer->count : 0;
  auto* c = allocScopeChain(n + 1);
  outer = root.get();
  c->count = n + 1;
  c->entries[0] = copyEntry(inner, copies);
  for (int32_t i = 0; i < n; ++i) c->entries[i + 1] = copyEntry(outer->entries[i], copies);
  return c;
}

ActivationObject* scopeChainAt(ScopeChain* chain, int32_t k) {
  if (!chain || k < 1 || k > chain->count) throw RuntimeError(kErrUnexpected);
  return chain->entries[k - 1];
}

ScopeChain* forwardScopeChain(ScopeChain* chain) {
  if (!chain) return nullptr;
  if (!inHeap(chain)) throw RuntimeError(kErrUnexpected);
  bool first;
  auto* moved = static_cast<ScopeChain*>(forwardSized(chain, blockPayloadSize(chain), first));
  if (first)
    for (int32_t i = 0; i < moved->count; ++i) moved->entries[i]->forwardReferences();
  return moved;
}

void markScopeChain(ScopeChain* chain) {
  if (!chain) return;
  if (!inHeap(chain)) throw RuntimeError(kErrUnexpected);
  if (!markFirst(chain)) return;
  for (int32_t i = 0; i < chain->count; ++i) chain->entries[i]->markReferences();
}

}  // namespace kv
