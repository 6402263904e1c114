// The collected heap: one 16 MB block, aligned to its size, split into a
// nursery, two survivor halves, the old space and a static area. Young
// allocation is a pointer bump after one comparison; a minor collection
// copies the live young blocks out, a full collection marks from the roots
// and sweeps the old space into free runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class KVobj;

// Every block in every area starts with this header. Forward and end are
// offsets from the heap base, so the header stays 16 bytes on 64-bit.
struct BlockHeader {
  uint32_t marker;    // kBlockMarker, or kFreeRunMarker at the start of a free run
  uint8_t forwarded;  // bit 0: forwarded (young) or visited (old, static) in a minor collection
  uint8_t marked;     // bit 0: reached in a full collection
  uint16_t age;       // minor collections survived
  uint32_t forward;   // where a moved young block went
  uint32_t end;       // just past the block: the next block's header
};
static_assert(sizeof(BlockHeader) == 16);

constexpr uint32_t kBlockMarker = 0xAAAAAAAAu;
constexpr uint32_t kFreeRunMarker = 0xF4EEF4EEu;

// Area sizes, all in one place. Object bodies are larger on 64-bit, so the
// areas are twice the classic ones and hold as many objects.
constexpr size_t kHeapSize = 16u << 20;
constexpr size_t kNurseryOffset = 0;
constexpr size_t kNurserySize = 4u << 20;
constexpr size_t kSurvivorHalfSize = 1u << 20;
constexpr size_t kSurvivorOffset = kNurseryOffset + kNurserySize;
constexpr size_t kOldOffset = kSurvivorOffset + 2 * kSurvivorHalfSize;
constexpr size_t kStaticSize = 256u << 10;
constexpr size_t kStaticOffset = kHeapSize - kStaticSize;

constexpr size_t kMaxYoungRequest = 8192;
constexpr uint16_t kPromotionAge = 32;
constexpr size_t kNurseryReserve = 256;

// Bytes a young allocation of the given payload must find free in the
// nursery before it may bump: its whole block plus the standing reserve.
constexpr size_t nurseryNeed(size_t payload) { return sizeof(BlockHeader) + payload + kNurseryReserve; }

constexpr size_t roundUp8(size_t n) { return (n + 7) & ~size_t{7}; }

struct GcHeap {
  char* base = nullptr;
  char* nurseryStart = nullptr;
  char* nurseryCursor = nullptr;
  char* nurseryLimit = nullptr;  // the nursery's end, or its start while stressing
  char* nurseryEnd = nullptr;
  char* toStart = nullptr;  // survivor half that receives copies
  char* toCursor = nullptr;
  char* toLimit = nullptr;
  char* fromStart = nullptr;  // survivor half holding the survivors of the last collection
  char* fromCursor = nullptr;
  char* fromLimit = nullptr;
  char* oldStart = nullptr;
  char* oldCursor = nullptr;
  char* oldLimit = nullptr;
  char* staticStart = nullptr;
  char* staticCursor = nullptr;
  char* staticEnd = nullptr;
  uint32_t minorCount = 0;
  // Changes whenever a remembered member location may have gone stale:
  // every collection (blocks move or are freed) and every change of a
  // class's slot layout. The member look-up cache is valid only within one.
  uint32_t memberEpoch = 1;
  // Storage that heap objects own outside the heap (array elements, buffer
  // bytes) counts toward collection like the blocks in it: bytes taken since
  // the last minor and the last full collection.
  size_t externalSinceMinor = 0;
  size_t externalSinceFull = 0;
  // Bytes owned outside the heap now, and the most there were at once.
  size_t externalLive = 0;
  size_t externalPeak = 0;
  // Bytes placed in the old space since the last full collection.
  size_t promotedSinceFull = 0;
  // The end of the last nursery reservation: allocations below it were
  // promised not to collect, so an early collection waits for them.
  char* reservedEnd = nullptr;
  // A full collection ran since the last minor one; the nursery cursor then
  // tells whether anything was allocated after it.
  bool fullDone = false;
  char* nurseryAtFull = nullptr;
  bool collecting = false;
  bool stress = false;
  bool verifying = false;
  size_t stressCredit = 0;
};
extern GcHeap gHeap;

// Moves whenever the member epoch does and at every add or delete of a
// member under a key in an object that has a member list: it dates a member
// record's note of the member it last found, which holds while the stamp is
// unchanged. Never reset, and 64 bits: it never comes round again, and a
// note of none (date 0) never matches.
extern uint64_t gMemberStamp;
// A new member epoch (see GcHeap::memberEpoch).
inline void advanceMemberEpoch() {
  ++gHeap.memberEpoch;
  ++gMemberStamp;
}

inline BlockHeader* headerOf(const void* payload) {
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(payload)) - sizeof(BlockHeader));
}
inline size_t heapOffset(const void* p) {
  return reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(gHeap.base);
}
inline bool inHeap(const void* p) { return heapOffset(p) < kHeapSize; }
inline bool isYoung(const void* p) { return heapOffset(p) < kOldOffset; }
inline char* heapAt(uint32_t offset) { return gHeap.base + offset; }
inline uint32_t offsetOf(const void* p) { return static_cast<uint32_t>(heapOffset(p)); }
inline size_t blockPayloadSize(const void* payload) {
  return gHeap.base + headerOf(payload)->end - static_cast<const char*>(payload);
}

// Reserves and lays out the heap. Runs once, before any allocation; a later
// call empties the heap and every registry (tests and the fuzzer use this to
// start over).
void initGcHeap();

[[noreturn]] void raiseInternalAllocError();
void* gcAllocStatic(size_t bytes);
void* gcAllocSurvivor(size_t bytes);
void* gcPromote(size_t bytes);
void* gcAllocOld(size_t bytes);
// The same, answering null when the old space has no room; never collects.
void* gcTryAllocOld(size_t bytes);
void* gcAllocFromFreeRuns(size_t bytes);

// The young allocators' slow path: collects (or, while stressing, honours a
// reservation) and answers the nursery cursor.
char* gcMakeNurseryRoom(size_t need);

// A fresh header: flags and age clear, nothing forwarded.
inline void writeBlockHeader(char* at, char* end) {
  BlockHeader* h = reinterpret_cast<BlockHeader*>(at);
  h->marker = kBlockMarker;
  h->forwarded = 0;
  h->marked = 0;
  h->age = 0;
  h->forward = 0;
  h->end = offsetOf(end);
}

// Young block of exactly `bytes` (rounded to 8) whose bytes are left as the
// last block there had them: for allocators that write every byte they, or
// the collector, will read (value cells, texts, tables, chains).
inline void* gcAllocYoungRaw(size_t bytes) {
  size_t payload = roundUp8(bytes);
  char* cursor = gHeap.nurseryCursor;
  if (gHeap.nurseryLimit - cursor < static_cast<ptrdiff_t>(nurseryNeed(payload))) [[unlikely]]
    cursor = gcMakeNurseryRoom(nurseryNeed(payload));
  char* end = cursor + sizeof(BlockHeader) + payload;
  writeBlockHeader(cursor, end);
  gHeap.nurseryCursor = end;
  return cursor + sizeof(BlockHeader);
}

// The same, cleared, for the fixed-size inline allocators whose types rely
// on a zero fill (object bodies, property nodes). The nursery is not cleared
// after a collection: each block is cleared here, while it is in the cache,
// and only when its allocator needs it.
inline void* gcAllocYoungExact(size_t bytes) {
  void* p = gcAllocYoungRaw(bytes);
  std::memset(p, 0, roundUp8(bytes));
  return p;
}

// The general young allocator rounds a request up to its size class.
inline size_t sizeClassOf(size_t n) {
  if (n <= 8) return 8;
  if (n <= 32) return 32;
  if (n <= 128) return 128;
  if (n <= 512) return 512;
  if (n <= 2048) return 2048;
  return 8192;
}
// Its bytes are not cleared: its callers (texts, scope chains) write what
// they read.
inline void* gcAllocYoung(size_t n) {
  if (n > kMaxYoungRequest) [[unlikely]]
    raiseInternalAllocError();
  return gcAllocYoungRaw(sizeClassOf(n));
}

// Makes sure `bytes` are free in the nursery, collecting first when not, so
// that the allocations that follow cannot collect.
void ensureNurseryRoom(size_t bytes);

void minorCollect();
// A minor collection, after a full one when the old space might not take
// every young block.
void collectYoung();
// Marks from the roots and sweeps the old space. A call while the last full
// collection is fresh returns at once.
void fullCollect();
// Nothing was allocated (so no script ran) since the last full collection,
// and no minor collection ran either: another would find nothing new to free.
bool fullCollectionFresh();
void sweepOldSpace();
void scanRuntimeRoots(bool full);

// Minor-collection copy of a raw block (texts and other blocks without a
// virtual table); returns its new address.
void* forwardBlock(void* block);
// Full-collection mark of a raw block.
void markBlock(const void* block);

// Concatenation of two texts, in place when the left one's block has room.
char* appendText(char* left, const char* right);

// Collector internals shared by the value and object hooks.
// forwardSized: minor-collection move of a block by the age rule (survivor
// half, or the old space at the promotion age), copying `bytes` of payload.
// Answers the block's address after this collection; `first` tells whether
// this call moved or visited it, so its references still need forwarding.
// Blocks outside the heap stay and always count as first.
void* forwardSized(void* block, size_t bytes, bool& first);
// markFirst: full-collection mark; true when the block was not marked yet
// (always true outside the heap, where nothing is flagged).
bool markFirst(const void* block);
// verifyVisit: records one reference for verifyHeap; true when it is sound
// and seen for the first time.
bool verifyVisit(const void* payload);
// Every root, in rank order: the runtime roots, then contexts, the display
// list and the global object.
void visitAllRoots(bool full);
// The old space's free runs as (size, offset of the run's start), by size.
std::vector<std::pair<uint32_t, uint32_t>> freeRuns();

// Runs a minor collection at every young allocation (and reservation).
void setGcStress(bool on);

// Roots of the other parts of the runtime, visited in this order.
enum class RootRank : uint8_t {
  CallerPairs,
  StringConstant,
  ScopeChainCopy,
  CoreObjects,
  ObjectTemps,
  ScopeChainSecond,
  BuiltinClasses,
  PropertyNode,
  Scheduler,
  Concat,
  LibraryClasses,
  Interpreter,
  // Visited by the collections after the runtime roots:
  Contexts,
  DisplayList,
  GlobalObject,
  Count
};
// A visitor marks (full) or forwards (minor) each reference it holds, through
// markObject/forwardObject, markValueCell/forwardValueCell or visitBlockRoot.
using RootVisitor = void (*)(bool full, void* data);
void registerRoot(RootRank rank, RootVisitor visit, void* data);
void unregisterRoot(RootVisitor visit, void* data);
// Marks or forwards one raw block pointer in place.
void visitBlockRoot(void*& block, bool full);

// An object that owns storage outside the heap: its destructor runs (the
// body is not freed) once the collector finds it dead.
void registerOwner(KVobj* obj);
// Storage outside the heap counts toward collection: after as many bytes as
// the nursery holds the next young allocation collects, and the old space's
// owners are weighed at the end of a tick.
constexpr size_t kExternalMinorTrigger = kNurserySize;
constexpr size_t kExternalFullTrigger = 4 * kNurserySize;
void noteExternalBytes(size_t bytes);
void releaseExternalBytes(size_t bytes);
// The old space's free bytes: above its cursor and in its free runs.
size_t oldSpaceFree();
// Whether the end of a tick should run a full collection by itself: the old
// space has taken a quarter of its size, or owners outside the heap as much
// as four nurseries, since the last one.
bool fullCollectionDue();
size_t ownerCount();

// Walks every area's blocks and every reference reachable from the roots;
// answers an empty text when the heap is sound, else the first fault found.
std::string verifyHeap();

}  // namespace kv
