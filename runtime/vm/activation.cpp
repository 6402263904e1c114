// Activation objects, the global object and the variables of calls.
#include "runtime/vm/activation.h"

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

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
  if (full) gGlobalObject->markGlobal();
  else gGlobalObject->forwardGlobal();
  gGlobalObject->visitAreas(full);
}

}  // namespace

void ActivationObject::forwardReferences() {
  if (isGlobal()) static_cast<GlobalObject*>(this)->forwardGlobal();
}

void ActivationObject::markReferences() {
  if (isGlobal()) static_cast<GlobalObject*>(this)->markGlobal();
}

namespace {

// Blocks of released scope blocks, kept by size for the closures that
// follow: closures made in a loop die together at a collection and are made
// again at once, so a block is reused instead of a malloc and a free per
// closure. Blocks are made and released only by the heap's user (making
// closures, and the collector running their owners' destructors), so the
// pool shares the heap's exclusion. It keeps blocks of up to 512 bytes, at
// most about one nursery's worth of bytes in all.
constexpr size_t kPooledBlockBytes = 512;
constexpr size_t kPoolBytesLimit = kNurserySize;

struct PooledBlock {
  PooledBlock* next;
};
PooledBlock* gPool[kPooledBlockBytes / 8 + 1] = {};
size_t gPoolBytes = 0;
size_t gCopyBytesLive = 0;

size_t copyBytes(const ActivationObject* a) {
  return sizeof(ActivationObject) + sizeof(Value) * static_cast<size_t>(a->cellCount > 0 ? a->cellCount : 0);
}

void* takeScopeBlock(size_t bytes) {
  gCopyBytesLive += bytes;
  if (bytes <= kPooledBlockBytes && gPool[bytes / 8]) {
    PooledBlock* b = gPool[bytes / 8];
    gPool[bytes / 8] = b->next;
    gPoolBytes -= bytes;
    return b;
  }
  return ::operator new(bytes);
}

void giveScopeBlock(void* block, size_t bytes) {
  gCopyBytesLive -= bytes;
  if (bytes <= kPooledBlockBytes && gPoolBytes + bytes <= kPoolBytesLimit) {
    auto* b = static_cast<PooledBlock*>(block);
    b->next = gPool[bytes / 8];
    gPool[bytes / 8] = b;
    gPoolBytes += bytes;
    return;
  }
  ::operator delete(block);
}

// A copy of `a` with its cells, placed at `at`.
ActivationObject* placeCopy(const ActivationObject* a, void* at) {
  static_assert(sizeof(ActivationObject) % alignof(Value) == 0);
  const int32_t n = a->cellCount > 0 ? a->cellCount : 0;
  auto* c = new (at) ActivationObject;
  c->cells = reinterpret_cast<Value*>(c + 1);
  for (int32_t i = 0; i < n; ++i) new (&c->cells[i]) Value(a->cells[i]);
  c->argCount = a->argCount;
  c->cellCount = a->cellCount;
  return c;
}

// The cells of the copies in a closure's own block.
void visitCopies(ScopeChain* chain, bool full) {
  for (int32_t i = 0; i < chain->count; ++i) {
    ActivationObject* a = chain->entries[i];
    if (a->isGlobal()) full ? a->markReferences() : a->forwardReferences();
    else if (a->cellCount > 0) visitCells(a->cells, a->cellCount, full);
  }
}

// The shared chains by shape, and the empty activation standing for the
// entries their closures do not read through them.
ActivationObject gNoActivation;
// The map owns them, so the last ones go when the process ends.
struct ChainDelete {
  void operator()(ScopeChain* c) const { ::operator delete(c); }
};
std::map<std::vector<uint8_t>, std::unique_ptr<ScopeChain, ChainDelete>> gSharedChains;

void dropSharedChains() {
  gSharedChains.clear();
  newScopeEpoch();
  ++gSharedScopeGeneration;
}

}  // namespace

size_t closureCopyBytes() { return gCopyBytesLive; }

void* takeClosureBlock(size_t bytes) { return takeScopeBlock(roundUp8(bytes)); }
void giveClosureBlock(void* block, size_t bytes) { giveScopeBlock(block, roundUp8(bytes)); }

ScopeChain* sharedScopeChain(const uint8_t* shape, int32_t n) {
  std::vector<uint8_t> key(shape, shape + n);
  auto found = gSharedChains.find(key);
  if (found != gSharedChains.end()) return found->second.get();
  // Outside the heap, so the collector takes it for a closure's own block:
  // it visits the global object through it and nothing else (the empty
  // activation has no cells). No closure releases it.
  auto* c = static_cast<ScopeChain*>(::operator new(scopeChainBytes(n)));
  c->count = n;
  c->epoch = 0;
  for (int32_t i = 0; i < n; ++i) c->entries[i] = shape[i] ? gGlobalObject : &gNoActivation;
  gSharedChains.emplace(std::move(key), std::unique_ptr<ScopeChain, ChainDelete>(c));
  return c;
}

uint32_t gSharedScopeGeneration = 1;
uint64_t gScopeEpoch = 1;

GlobalObject::GlobalObject() {
  for (int32_t n = 0; n < kGlobalAreaCount; ++n)
    if (kGlobalAreaSizes[n] > 0) areas[n] = new Value[kGlobalAreaSizes[n]];
}

GlobalObject::~GlobalObject() {
  for (Value* a : areas) delete[] a;
}

void GlobalObject::forwardGlobal() {
  if (epoch == gHeap.minorCount) return;
  epoch = gHeap.minorCount;
  if (!gMainProgramRunning) visitCells(cells, cellCount, false);
}

void GlobalObject::markGlobal() {
  if (!gMainProgramRunning) visitCells(cells, cellCount, true);
}

void GlobalObject::visitAreas(bool full) {
  for (int32_t n = 0; n < kGlobalAreaCount; ++n) visitCells(areas[n], kGlobalAreaSizes[n], full);
}

void createGlobalObject() {
  dropSharedChains();
  delete gGlobalObject;
  gGlobalObject = new GlobalObject;
  newScopeEpoch();
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

// The chain `inner` (when not null) followed by the n entries of `outer`,
// copied for a closure. Every activation that is not global is copied into
// one block with the chain, so a closure's capture costs one allocation and
// one release, usually both from the pool; a chain with nothing to copy is
// a young block.
ScopeChain* copyChain(ActivationObject* inner, ScopeChain* outer) {
  const int32_t first = inner ? 1 : 0, n = (outer ? outer->count : 0) + first;
  const ActivationObject* const global = gGlobalObject;
  auto entry = [&](int32_t i) { return i < first ? inner : outer->entries[i - first]; };
  const size_t chainBytes = roundUp8(scopeChainBytes(n));
  size_t bytes = chainBytes;
  for (int32_t i = 0; i < n; ++i) {
    const ActivationObject* a = entry(i);
    if (a != global) bytes += copyBytes(a);
  }
  ScopeChain* c;
  if (bytes == chainBytes) {
    ScopeRoot root(outer);
    c = allocScopeChain(n);
    outer = root.get();
  } else {
    c = static_cast<ScopeChain*>(takeScopeBlock(bytes));
  }
  c->count = n;
  // Every collection so far is past; the next one visits the copies.
  c->epoch = gHeap.minorCount;
  char* at = reinterpret_cast<char*>(c) + chainBytes;
  for (int32_t i = 0; i < n; ++i) {
    ActivationObject* a = entry(i);
    if (a != global) {
      a = placeCopy(a, at);
      at += copyBytes(a);
    }
    c->entries[i] = a;
  }
  return c;
}

}  // namespace

ScopeChain* copyScopeChain(ScopeChain* chain) { return chain ? copyChain(nullptr, chain) : nullptr; }

ScopeChain* copyScopeChainWith(ActivationObject* inner, ScopeChain* outer) { return copyChain(inner, outer); }

void releaseScopeChain(ScopeChain* chain) {
  if (!ownedScopeChain(chain)) return;
  // Its address may hold another chain next.
  newScopeEpoch();
  // The copies are plain activations with their cells in the block: nothing
  // to release but the block.
  size_t bytes = roundUp8(scopeChainBytes(chain->count));
  for (int32_t i = 0; i < chain->count; ++i)
    if (!chain->entries[i]->isGlobal()) bytes += copyBytes(chain->entries[i]);
  giveScopeBlock(chain, bytes);
}

ActivationObject* scopeChainAt(ScopeChain* chain, int32_t k) {
  if (!chain || k < 1 || k > chain->count) throw RuntimeError(kErrUnexpected);
  return chain->entries[k - 1];
}

ScopeChain* forwardScopeChain(ScopeChain* chain) {
  if (!chain) return nullptr;
  if (ownedScopeChain(chain)) {
    // A closure's own block stays where it is; its copies' cells are
    // visited once per collection (the block's epoch).
    if (chain->epoch != gHeap.minorCount) {
      chain->epoch = gHeap.minorCount;
      visitCopies(chain, false);
    }
    return chain;
  }
  bool first;
  auto* moved = static_cast<ScopeChain*>(forwardSized(chain, blockPayloadSize(chain), first));
  if (first)
    for (int32_t i = 0; i < moved->count; ++i) moved->entries[i]->forwardReferences();
  return moved;
}

void markScopeChain(ScopeChain* chain) {
  if (!chain) return;
  // A closure's own block has no mark: its holders are few (the closure and
  // the frames running it), and marking a value twice stops at the mark.
  if (ownedScopeChain(chain)) return visitCopies(chain, true);
  if (!markFirst(chain)) return;
  for (int32_t i = 0; i < chain->count; ++i) chain->entries[i]->markReferences();
}

}  // namespace kv
