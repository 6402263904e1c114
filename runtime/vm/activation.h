// The variables of calls: activation objects, the global object with its
// global areas, and the scope chains that function objects capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/vm/roots.h"
#include "runtime/vm/value.h"

namespace kv {

// Names of a function's parameters or locals; only the length matters to
// the running code.
using NameVector = std::vector<int32_t>;

// The variables of one call. For a running call the cells are the call's
// part of its context's value area, which the context visits as a whole. A
// copy made for a closure has its cells behind it in its closure's scope
// block, which visits them (see ScopeChain). The global object is the one
// kind apart; it is told by its address rather than a virtual table or a
// flag, which every closure's copies would carry: a copy is its cells'
// address and two counts.
class ActivationObject {
 public:
  ActivationObject() = default;
  ActivationObject(const ActivationObject&) = delete;
  ActivationObject& operator=(const ActivationObject&) = delete;
  // The global object's references (a frame's or a copy's cells are visited
  // by their context or their scope block).
  void forwardReferences();
  void markReferences();
  bool isGlobal() const;

  // Back to the idle state of a frame that was left.
  void clear() {
    argCount = 0;
    cellCount = 0;
  }

  Value* cells = nullptr;
  int32_t argCount = 0;  // parameter cells: a local's index counts from here
  int32_t cellCount = 0;
};
static_assert(sizeof(ActivationObject) == 16, "a closure's copy of one cell is 32 bytes");

// Bytes of the closures' own scope blocks alive now (each chain with the
// copies of activations it lists, their cells included), which lie outside
// the collected heap.
size_t closureCopyBytes();

// The global variables and the eight global areas of built-in classes,
// global functions and namespace members.
constexpr int32_t kGlobalAreaCount = 8;
constexpr int32_t kGlobalAreaSizes[kGlobalAreaCount] = {256, 32, 8, 128, 8, 16, 32, 0};

class GlobalObject : public ActivationObject {
 public:
  GlobalObject();
  ~GlobalObject();
  void forwardGlobal();
  void markGlobal();

  // Cell m of area n for the index n * 65536 + m, or null outside the areas.
  Value* areaCell(int32_t index) {
    uint32_t n = static_cast<uint32_t>(index) >> 16, m = static_cast<uint32_t>(index) & 0xFFFF;
    return n < kGlobalAreaCount && m < static_cast<uint32_t>(kGlobalAreaSizes[n]) ? &areas[n][m] : nullptr;
  }
  // The areas are roots at all times.
  void visitAreas(bool full);

  Value* areas[kGlobalAreaCount] = {};
  // Minor collection at which the global variables were last visited.
  uint32_t epoch = 0;
};

// The global object of the running program; made by the object-system start-up.
extern GlobalObject* gGlobalObject;
// Set while the main program runs: its context visits the global variables
// then, and the global object leaves them alone.
extern bool gMainProgramRunning;

inline bool ActivationObject::isGlobal() const { return this == gGlobalObject; }

// A scope chain: a raw young block (or a static one) listing activations,
// innermost first. A null chain is empty. A closure's chain that copied
// activations is instead a block of its own outside the heap, holding the
// chain and, after it, the copies with their cells (see copyScopeChain):
// it never moves, and it lives as long as the closure that owns it (every
// frame or generator running on it keeps that closure).
struct ScopeChain {
  int32_t count;
  // A closure's own block: the minor collection at which its copies' cells
  // were last visited (a block is reached once from its closure and once
  // from every frame and generator running on it). Unused elsewhere.
  uint32_t epoch;
  ActivationObject* entries[1];  // count entries
};
size_t scopeChainBytes(int32_t count);

// A new chain with `inner` before the entries of `outer` (which may be null).
ScopeChain* chainWith(ActivationObject* inner, ScopeChain* outer);
// The chain of natives and class constructors: the global object only, in the
// static area.
ScopeChain* globalScopeChain();
// Copy for a closure: global activations are kept, every other one is
// copied with its cells. When anything was copied, the chain and its copies
// are one block outside the heap that belongs to the caller (the closure),
// who frees it with releaseScopeChain; otherwise the chain is a young block.
ScopeChain* copyScopeChain(ScopeChain* chain);
// The same for the chain `inner` followed by `outer` (which may be null):
// what copying chainWith(inner, outer) makes.
ScopeChain* copyScopeChainWith(ActivationObject* inner, ScopeChain* outer);
// Whether the chain is a closure's own block of copies (outside the heap).
inline bool ownedScopeChain(const ScopeChain* chain) { return chain && !inHeap(chain); }
// Frees a closure's own block of copies; other chains are left alone.
void releaseScopeChain(ScopeChain* chain);
// Blocks outside the heap for closures' own storage (captured cells), from
// the pool the chains' blocks come from, counted in closureCopyBytes.
void* takeClosureBlock(size_t bytes);
void giveClosureBlock(void* block, size_t bytes);
// A chain of n entries that lies outside the heap and is shared by every
// closure whose scope has this shape: the global object where shape[i] is
// 1, an empty activation (no cells) elsewhere. Such closures read the other
// entries' variables from their captured cells. The chains live until the
// global object is made again, which starts a new generation.
ScopeChain* sharedScopeChain(const uint8_t* shape, int32_t n);
extern uint32_t gSharedScopeGeneration;
inline uint32_t sharedScopeGeneration() { return gSharedScopeGeneration; }

// Counts the events after which a scope chain's address may name other
// activations, or an activation's cells lie elsewhere: collections (young
// chains move and their space is used again), a closure's own block given
// back, the shared chains dropped, the global variables placed anew. A cell
// noted for a chain in one epoch is the chain's cell for the whole epoch
// (VariableRef::seenChain). Never 0.
extern uint64_t gScopeEpoch;
inline uint64_t scopeEpoch() { return gScopeEpoch; }
inline void newScopeEpoch() { ++gScopeEpoch; }

// The k-th activation, counting from 1; beyond the chain raises system error 23.
ActivationObject* scopeChainAt(ScopeChain* chain, int32_t k);

ScopeChain* forwardScopeChain(ScopeChain* chain);
void markScopeChain(ScopeChain* chain);

// Holds a scope chain, and what its activations hold, across an allocation
// that may collect.
using ScopeRoot = TempRoot<ScopeChain*>;

// Makes the global object afresh and registers its roots.
void createGlobalObject();

}  // namespace kv
