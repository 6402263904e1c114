// The collected heap: allocation, the young and old spaces and collection.
#include "runtime/vm/heap.h"

#include "runtime/vm/activation.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <map>
#include <utility>
#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/object.h"
#include "runtime/vm/value.h"

namespace kv {

GcHeap gHeap;
uint64_t gMemberStamp = 0;

namespace {

// Old-space runs of free memory, by size (whole length, header included).
std::multimap<uint32_t, uint32_t> gFreeRuns;
size_t gFreeRunBytes = 0;
// Old and static blocks flagged visited in this minor collection, and young
// and static blocks marked in this full collection: their flags are cleared
// when the collection ends, so no area has to be walked for it.
std::vector<BlockHeader*> gVisited;
std::vector<BlockHeader*> gMarkedOutsideOld;
std::vector<std::pair<RootVisitor, void*>> gRoots[static_cast<int>(RootRank::Count)];
std::vector<KVobj*> gYoungOwners;
std::vector<KVobj*> gOldOwners;
// A runtime warning whose fuse fired inside a collection is raised once the
// collection has completed, so the heap is never left half moved.
int32_t gDeferredError = -1;

char* reserveAligned() {
  // Twice the size, then trim, so that the heap is aligned to its size.
  size_t span = 2 * kHeapSize;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) throw RuntimeError(7);
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + kHeapSize - 1) & ~(uintptr_t{kHeapSize} - 1);
  if (aligned > start) munmap(raw, aligned - start);
  uintptr_t tail = aligned + kHeapSize;
  if (start + span > tail) munmap(reinterpret_cast<void*>(tail), start + span - tail);
  return reinterpret_cast<char*>(aligned);
}

char* bump(char*& cursor, char* limit, size_t payload) {
  if (static_cast<size_t>(limit - cursor) < sizeof(BlockHeader) + payload) return nullptr;
  char* at = cursor;
  cursor = at + sizeof(BlockHeader) + payload;
  writeBlockHeader(at, cursor);
  return at + sizeof(BlockHeader);
}

bool inOldSpace(const void* p) {
  size_t off = heapOffset(p);
  return off >= kOldOffset && off < kStaticOffset;
}

void visitRange(RootRank from, RootRank to, bool full) {
  for (int r = static_cast<int>(from); r <= static_cast<int>(to); ++r) {
    if (r == static_cast<int>(RootRank::PropertyNode)) {
      visitValue(gCellCopyRoot, full);
      drainObjectWork(full);
    }
    if (r == static_cast<int>(RootRank::Concat)) {
      scanConcatRoots(full);
      drainObjectWork(full);
    }
    for (auto& [visit, data] : gRoots[r]) {
      visit(full, data);
      drainObjectWork(full);
    }
  }
}

// Young owners that were not copied are dead: their destructors run before
// the nursery is cleared. Copied ones are followed to their new address.
void settleYoungOwners() {
  size_t keep = 0;
  for (KVobj* obj : gYoungOwners) {
    BlockHeader* h = headerOf(obj);
    if (!h->forwarded) {
      obj->~KVobj();
      continue;
    }
    KVobj* moved = reinterpret_cast<KVobj*>(heapAt(h->forward));
    if (isYoung(moved)) gYoungOwners[keep++] = moved;
    else gOldOwners.push_back(moved);
  }
  gYoungOwners.resize(keep);
}

void releaseUnmarkedOldOwners() {
  size_t keep = 0;
  for (KVobj* obj : gOldOwners) {
    if (headerOf(obj)->marked) gOldOwners[keep++] = obj;
    else obj->~KVobj();
  }
  gOldOwners.resize(keep);
}

void closeRun(char* start, char* end) {
  std::memset(start, 0, end - start);
  BlockHeader* h = reinterpret_cast<BlockHeader*>(start);
  h->marker = kFreeRunMarker;
  h->end = offsetOf(end);
  gFreeRuns.emplace(static_cast<uint32_t>(end - start), offsetOf(start));
  gFreeRunBytes += end - start;
}

}  // namespace

// The young blocks a minor collection may have to place in the old space:
// every live one, at worst. When the old space cannot take them, a full
// collection first frees its dead blocks (one made before the scripts ran on
// may have found the old data still referenced), so that the out-of-memory
// error is raised only when the live data does not fit.
void collectYoung() {
  size_t young = (gHeap.nurseryCursor - gHeap.nurseryStart) + (gHeap.fromCursor - gHeap.fromStart);
  if (oldSpaceFree() < young) fullCollect();
  minorCollect();
}

namespace {

// A collector-stress run (HALVORINE_GC_STRESS=1 in the environment) collects
// at every young allocation and checks the whole heap after every collection,
// so a root the collector misses fails at the step that misses it. It is read
// once: a run is stressed from its first allocation or not at all.
bool stressRun() {
  static const bool on = [] {
    const char* v = std::getenv("HALVORINE_GC_STRESS");
    return v && *v && std::strcmp(v, "0") != 0;
  }();
  return on;
}

void verifyAfterCollection(const char* which) {
  if (!stressRun()) return;
  std::string fault = verifyHeap();
  if (fault.empty()) return;
  std::fprintf(stderr, "heap fault after %s collection: %s\n", which, fault.c_str());
  std::abort();
}

}  // namespace

void initGcHeap() {
  if (!gHeap.base) {
    gHeap.base = reserveAligned();
  } else {
    // Starting over: owners release their storage, then the pages go back,
    // which leaves them zero-filled.
    for (KVobj* o : gYoungOwners) o->~KVobj();
    for (KVobj* o : gOldOwners) o->~KVobj();
    madvise(gHeap.base, kHeapSize, MADV_DONTNEED);
  }
  char* b = gHeap.base;
  gHeap.nurseryStart = gHeap.nurseryCursor = b + kNurseryOffset;
  gHeap.nurseryEnd = gHeap.nurseryLimit = b + kNurseryOffset + kNurserySize;
  gHeap.toStart = gHeap.toCursor = b + kSurvivorOffset;
  gHeap.toLimit = gHeap.toStart + kSurvivorHalfSize;
  gHeap.fromStart = gHeap.fromCursor = gHeap.toLimit;
  gHeap.fromLimit = gHeap.fromStart + kSurvivorHalfSize;
  gHeap.oldStart = gHeap.oldCursor = b + kOldOffset;
  gHeap.oldLimit = gHeap.staticStart = gHeap.staticCursor = b + kStaticOffset;
  gHeap.staticEnd = b + kHeapSize;
  gHeap.minorCount = 0;
  advanceMemberEpoch();
  gHeap.externalSinceMinor = 0;
  gHeap.externalSinceFull = 0;
  gHeap.externalLive = 0;
  gHeap.externalPeak = 0;
  gHeap.promotedSinceFull = 0;
  gHeap.reservedEnd = gHeap.nurseryStart;
  gHeap.fullDone = false;
  gHeap.collecting = false;
  gHeap.stress = false;
  gHeap.verifying = false;
  gHeap.stressCredit = 0;
  gFreeRuns.clear();
  gFreeRunBytes = 0;
  gVisited.clear();
  gMarkedOutsideOld.clear();
  for (auto& rank : gRoots) rank.clear();
  gYoungOwners.clear();
  gOldOwners.clear();
  gDeferredError = -1;
  gConcatValueRoot = nullptr;
  gConcatObjectRoot = nullptr;
  gCellCopyRoot = Value();
  if (stressRun()) setGcStress(true);
}

void raiseInternalAllocError() { throw RuntimeError(kErrInternalAlloc); }

char* gcMakeNurseryRoom(size_t need) {
  if (gHeap.collecting) throw RuntimeError(kErrUnexpected);  // a hook must not allocate young blocks
  if (gHeap.stress && gHeap.stressCredit >= need) {
    // Inside a reservation: the caller was promised no collection here.
    gHeap.stressCredit -= need - kNurseryReserve;
    return gHeap.nurseryCursor;
  }
  collectYoung();
  gHeap.stressCredit = 0;
  return gHeap.nurseryCursor;
}

void ensureNurseryRoom(size_t bytes) {
  if (gHeap.stress) {
    collectYoung();
    gHeap.stressCredit = bytes;
    return;
  }
  if (gHeap.nurseryLimit - gHeap.nurseryCursor < static_cast<ptrdiff_t>(bytes)) collectYoung();
  gHeap.reservedEnd = std::max(gHeap.reservedEnd, gHeap.nurseryCursor + bytes);
}

void noteExternalBytes(size_t bytes) {
  gHeap.externalLive += bytes;
  gHeap.externalPeak = std::max(gHeap.externalPeak, gHeap.externalLive);
  gHeap.externalSinceMinor += bytes;
  gHeap.externalSinceFull += bytes;
  // Lowering the limit makes the next young allocation outside the current
  // reservation take the slow path, which collects.
  if (gHeap.externalSinceMinor >= kExternalMinorTrigger && !gHeap.stress)
    gHeap.nurseryLimit = std::max(gHeap.nurseryCursor, std::min(gHeap.reservedEnd, gHeap.nurseryEnd));
}

void releaseExternalBytes(size_t bytes) { gHeap.externalLive -= std::min(bytes, gHeap.externalLive); }

size_t oldSpaceFree() { return (gHeap.oldLimit - gHeap.oldCursor) + gFreeRunBytes; }

bool fullCollectionDue() {
  return !gHeap.fullDone && (gHeap.promotedSinceFull >= (kStaticOffset - kOldOffset) / 4 ||
                             gHeap.externalSinceFull >= kExternalFullTrigger);
}

void setGcStress(bool on) {
  gHeap.stress = on;
  gHeap.stressCredit = 0;
  gHeap.nurseryLimit = on ? gHeap.nurseryStart : gHeap.nurseryEnd;
}

void* gcAllocStatic(size_t n) {
  void* p = bump(gHeap.staticCursor, gHeap.staticEnd, roundUp8(n));
  if (!p) throw RuntimeError(kErrInternalAlloc);
  return p;
}

void* gcAllocSurvivor(size_t n) {
  n = roundUp8(n);
  if (void* p = bump(gHeap.toCursor, gHeap.toLimit, n)) return p;
  try {
    raiseRuntimeWarning(kWarnEmergentEvac);
  } catch (const RuntimeError& e) {
    if (!gHeap.collecting) throw;
    gDeferredError = e.code;
  }
  return gcAllocOld(n);
}

void* gcPromote(size_t n) { return gcAllocOld(n); }

void* gcAllocOld(size_t n) {
  if (void* p = gcTryAllocOld(n)) return p;
  throw RuntimeError(kErrInternalAlloc);
}

void* gcTryAllocOld(size_t n) {
  // Freed runs are reused before the untouched space above the cursor, so
  // the old space fills its holes instead of growing past them.
  n = roundUp8(n);
  if (!gFreeRuns.empty())
    if (void* p = gcAllocFromFreeRuns(n)) {
      gHeap.promotedSinceFull += sizeof(BlockHeader) + n;
      return p;
    }
  void* p = bump(gHeap.oldCursor, gHeap.oldLimit, n);
  if (p) gHeap.promotedSinceFull += sizeof(BlockHeader) + n;
  return p;
}

void* gcAllocFromFreeRuns(size_t n) {
  size_t need = sizeof(BlockHeader) + roundUp8(n);
  auto it = gFreeRuns.lower_bound(static_cast<uint32_t>(need));
  if (it == gFreeRuns.end()) return nullptr;
  size_t size = it->first;
  char* start = heapAt(it->second);
  gFreeRuns.erase(it);
  gFreeRunBytes -= size;
  char* end = start + size;
  size_t rest = size - need;
  if (rest >= sizeof(BlockHeader) + 32) {
    // The tail stays a free run of its own.
    BlockHeader* tail = reinterpret_cast<BlockHeader*>(start + need);
    tail->marker = kFreeRunMarker;
    tail->end = offsetOf(end);
    gFreeRuns.emplace(static_cast<uint32_t>(rest), offsetOf(tail));
    gFreeRunBytes += rest;
    end = start + need;
  }
  writeBlockHeader(start, end);
  return start + sizeof(BlockHeader);
}

void* forwardSized(void* block, size_t bytes, bool& first) {
  if (!inHeap(block)) {
    first = true;
    return block;
  }
  BlockHeader* h = headerOf(block);
  if (!isYoung(block)) {
    first = !h->forwarded;
    if (first) {
      h->forwarded = 1;
      gVisited.push_back(h);
    }
    return block;
  }
  if (block >= gHeap.toStart && block < gHeap.toLimit) {
    first = false;  // already this collection's copy
    return block;
  }
  if (h->forwarded) {
    first = false;
    return heapAt(h->forward);
  }
  size_t size = roundUp8(bytes);
  char* moved;
  if (h->age < kPromotionAge) {
    moved = static_cast<char*>(gcAllocSurvivor(size));
    headerOf(moved)->age = static_cast<uint16_t>(h->age + 1);
  } else {
    moved = static_cast<char*>(gcPromote(size));
  }
  if (!isYoung(moved)) {
    // Promoted (or evacuated) blocks count as visited, so reaching them
    // again in this collection does not walk them twice.
    headerOf(moved)->forwarded = 1;
    gVisited.push_back(headerOf(moved));
  }
  std::memcpy(moved, block, bytes);
  h->forwarded = 1;
  h->forward = offsetOf(moved);
  first = true;
  return moved;
}

void* forwardBlock(void* block) {
  if (!block || !inHeap(block)) return block;
  bool first;
  return forwardSized(block, blockPayloadSize(block), first);
}

bool markFirst(const void* block) {
  if (!inHeap(block)) return true;
  if (gHeap.verifying) return verifyVisit(block);
  BlockHeader* h = headerOf(block);
  if (h->marked) return false;
  h->marked = 1;
  if (!inOldSpace(block)) gMarkedOutsideOld.push_back(h);
  return true;
}

void markBlock(const void* block) {
  if (block) markFirst(block);
}

void visitBlockRoot(void*& block, bool full) {
  if (full) markBlock(block);
  else block = forwardBlock(block);
}

void registerRoot(RootRank rank, RootVisitor visit, void* data) {
  gRoots[static_cast<int>(rank)].emplace_back(visit, data);
}

void unregisterRoot(RootVisitor visit, void* data) {
  for (auto& rank : gRoots) std::erase(rank, std::make_pair(visit, data));
}

void scanRuntimeRoots(bool full) { visitRange(RootRank::CallerPairs, RootRank::Interpreter, full); }

void visitAllRoots(bool full) {
  scanRuntimeRoots(full);
  visitRange(RootRank::Contexts, RootRank::GlobalObject, full);
}

std::vector<std::pair<uint32_t, uint32_t>> freeRuns() { return {gFreeRuns.begin(), gFreeRuns.end()}; }

void registerOwner(KVobj* obj) {
  if (!inHeap(obj) || heapOffset(obj) >= kStaticOffset) return;  // never dies
  (isYoung(obj) ? gYoungOwners : gOldOwners).push_back(obj);
}

size_t ownerCount() { return gYoungOwners.size() + gOldOwners.size(); }

void minorCollect() {
  if (gHeap.collecting) throw RuntimeError(kErrUnexpected);
  gHeap.collecting = true;
  ++gHeap.minorCount;
  advanceMemberEpoch();
  newScopeEpoch();
  visitAllRoots(false);
  settleYoungOwners();
  // The nursery is left as it is: its allocators clear what they need. The
  // survivor half is cleared (only its used part: above the cursor all is
  // still zero), as copies may be shorter than their blocks.
  std::memset(gHeap.fromStart, 0, gHeap.fromCursor - gHeap.fromStart);
  std::swap(gHeap.fromStart, gHeap.toStart);
  std::swap(gHeap.fromLimit, gHeap.toLimit);
  gHeap.fromCursor = gHeap.toCursor;
  gHeap.toCursor = gHeap.toStart;
  gHeap.nurseryCursor = gHeap.nurseryStart;
  gHeap.nurseryLimit = gHeap.stress ? gHeap.nurseryStart : gHeap.nurseryEnd;
  gHeap.reservedEnd = gHeap.nurseryStart;
  gHeap.externalSinceMinor = 0;
  for (BlockHeader* h : gVisited) {
    h->forwarded = 0;
    h->marked = 0;
  }
  gVisited.clear();
  gHeap.fullDone = false;
  gHeap.collecting = false;
  verifyAfterCollection("minor");
  if (gDeferredError >= 0) {
    int32_t code = gDeferredError;
    gDeferredError = -1;
    throw RuntimeError(code);
  }
}

bool fullCollectionFresh() {
  return gHeap.fullDone && gHeap.promotedSinceFull == 0 && gHeap.nurseryCursor == gHeap.nurseryAtFull;
}

void fullCollect() {
  if (fullCollectionFresh()) return;
  if (gHeap.collecting) throw RuntimeError(kErrUnexpected);
  gHeap.fullDone = true;
  gHeap.nurseryAtFull = gHeap.nurseryCursor;
  gHeap.collecting = true;
  advanceMemberEpoch();
  newScopeEpoch();
  beginObjectMarking();
  visitAllRoots(true);
  sweepOldSpace();
  gHeap.promotedSinceFull = 0;
  gHeap.externalSinceFull = 0;
  for (BlockHeader* h : gMarkedOutsideOld) h->marked = 0;
  gMarkedOutsideOld.clear();
  gHeap.collecting = false;
  verifyAfterCollection("full");
}

void sweepOldSpace() {
  // The map is rebuilt from the whole old space: a run still free from an
  // earlier sweep is found again by the walk and must not be entered twice.
  gFreeRuns.clear();
  gFreeRunBytes = 0;
  releaseUnmarkedOldOwners();
  char* run = nullptr;
  char* p = gHeap.oldStart;
  while (p < gHeap.oldCursor) {
    BlockHeader* h = reinterpret_cast<BlockHeader*>(p);
    if (h->end == 0) break;
    char* next = heapAt(h->end);
    if (h->marker == kBlockMarker && h->marked) {
      h->marked = 0;
      h->forwarded = 0;
      if (run) closeRun(run, p);
      run = nullptr;
    } else if (!run) {
      run = p;
    }
    p = next;
  }
  if (run) closeRun(run, p);
}

char* appendText(char* left, const char* right) {
  size_t la = strnlen(left, kMaxYoungRequest);
  size_t lb = strnlen(right, kMaxYoungRequest);
  if (la >= kMaxYoungRequest || la + lb >= kMaxYoungRequest) return left;
  size_t joined = la + lb + 1;
  size_t off = heapOffset(left);
  if (off >= sizeof(BlockHeader) && off < kHeapSize) {
    BlockHeader* h = headerOf(left);
    if (h->marker == kBlockMarker && h->end > off && h->end <= kHeapSize && h->end - off >= joined) {
      std::memmove(left + la, right, lb + 1);
      return left;
    }
  }
  size_t payload = sizeClassOf(joined);
  if (gHeap.stress || gHeap.nurseryLimit - gHeap.nurseryCursor < static_cast<ptrdiff_t>(nurseryNeed(payload))) {
    // The allocation may collect and move both texts: stage them first.
    char staged[kMaxYoungRequest];
    std::memcpy(staged, left, la);
    std::memcpy(staged + la, right, lb + 1);
    char* out = static_cast<char*>(gcAllocYoung(joined));
    std::memcpy(out, staged, joined);
    return out;
  }
  char* out = static_cast<char*>(gcAllocYoung(joined));
  std::memcpy(out, left, la);
  std::memcpy(out + la, right, lb + 1);
  return out;
}

}  // namespace kv
