// Helpers shared by the heap's allocation and checking files.
#pragma once
#include <atomic>

#include "media/base/media_heap.h"
#include "media/base/memory.h"

namespace ZaDod::heap_detail {

// The user address is the first multiple of the alignment at or after this far past
// the tag: the tag, the front guard and the 32-bit offset word.
constexpr size_t USER_OFFSET_MIN = sizeof(MemTag) + HEAP_GUARD_SIZE + 4;
constexpr size_t MAX_REQUEST = kMemLargestRequest;

struct HeapLock {
  HeapInfo* heap;
  explicit HeapLock(HeapInfo* h) : heap(h) { CriticalSection_LockNamed(&heap->Lock, "heap.cpp", __LINE__); }
  ~HeapLock() { CriticalSection_Release(&heap->Lock); }
  HeapLock(const HeapLock&) = delete;
  HeapLock& operator=(const HeapLock&) = delete;
};

void classOf(size_t size, int* fli, int* sli);
void fillFreeGuards(MemTag* tag);
void fillUseGuards(MemTag* tag);
// fillUseGuards for a block of the standard layout (below), in two stores.
void fillStandardBackGuard(MemTag* tag);
bool guardsIntact(const MemTag* tag);
// guardsIntact, logging "<caller> Error : ..." about damaged guard bytes and the tag's
// dump when they are not.
bool guardsChecked(MemTag* tag, const char16_t* caller);
void setName(MemTag* tag, const char* file);
void setFreeName(MemTag* tag);
void fileTag(HeapInfo* heap, MemTag* tag);
void unfileTag(HeapInfo* heap, MemTag* tag);
void unlinkTag(HeapInfo* heap, MemTag* tag);
// The tag of memory (a user pointer, or the tag itself), or null after logging
// magicMessage when it carries no valid tag.
MemTag* locateTag(void* memory, int isTag, const char16_t* magicMessage);
int subPageLocked(HeapInfo* heap, HeapMemInfo* page);

// For the tracked allocator, which holds the heap's lock around them so that its own
// totals change in the same step. allocLocked takes the caller's alignment (0 = the
// heap's) and refuses sizes 0 and above MAX_REQUEST; freeLocked checks the guards and
// that the block is live, logs and returns -1 when not, else frees or holds it.
// With zero the block reads as zero (bytes of a fresh page are not cleared again).
void* allocLocked(HeapInfo* heap, size_t size, size_t alignment, const char* file, int line, bool zero = false);
int freeLocked(HeapInfo* heap, MemTag* tag, size_t* freedUserSize);
// A held or cached block counts as freed for everything its owner may ask.
inline bool liveBlock(const MemTag* tag) {
  return (tag->Flags & (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD)) == MEMTAG_FLAG_USE && tag->Cached == 0;
}

// Held and cached blocks have the layout a default-aligned request of their class gets
// from a split tag: the user bytes at the first 16-byte boundary after the tag's
// minimum offset, then the rounded size and one back guard.
constexpr size_t HELD_USER_OFFSET = (USER_OFFSET_MIN + 15) & ~size_t(15);
constexpr int heldClass(size_t userSize) { return static_cast<int>((userSize + 15) >> 4) - 1; }
constexpr size_t heldBlockSize(int heldClassIndex) {
  return HELD_USER_OFFSET + static_cast<size_t>(heldClassIndex + 1) * 16 + HEAP_GUARD_SIZE;
}
inline bool standardLayout(const MemTag* tag) {
  return tag->UserSize <= HEAP_HELD_MAX_REQUEST &&
         tag->UserAddress - reinterpret_cast<uintptr_t>(tag) == HELD_USER_OFFSET &&
         tag->Size == heldBlockSize(heldClass(tag->UserSize));
}

// The allocation counter and the clock stamp are read by threads that hold no lock
// (the cache's fast path), so every access is atomic.
inline uint16_t takeAllocId(HeapInfo* heap) {
  std::atomic_ref<uint16_t> id(heap->AllocID);
  // Without caches every taker holds the heap lock, and a plain increment will do.
  if (!heap->ThreadCached) {
    uint16_t taken = id.load(std::memory_order_relaxed);
    id.store(static_cast<uint16_t>(taken + 1), std::memory_order_relaxed);
    return taken;
  }
  return id.fetch_add(1, std::memory_order_relaxed);
}
inline uint16_t peekAllocId(HeapInfo* heap) {
  return std::atomic_ref<uint16_t>(heap->AllocID).load(std::memory_order_relaxed);
}
inline uint16_t heapTime(HeapInfo* heap) {
  return std::atomic_ref<uint16_t>(heap->Time).load(std::memory_order_relaxed);
}

// Adds delta to the page's count of blocks their owners hold and returns the new count.
inline int addLive(HeapMemInfo* page, int delta) {
  return std::atomic_ref<int>(page->LiveTagCount).fetch_add(delta, std::memory_order_acq_rel) + delta;
}
inline int liveCount(HeapMemInfo* page) {
  return std::atomic_ref<int>(page->LiveTagCount).load(std::memory_order_acquire);
}

// Writes the owner's name, line, a fresh ID and the time into a tag.
void stamp(HeapInfo* heap, MemTag* tag, const char* file, int line);
// A block the owner let go of, checked already, back to the heap: held for reuse when
// it may be, else merged into the free lists, its page returned when that empties it.
void retireLocked(HeapInfo* heap, MemTag* tag);
// The last held block of class c, off the held list and appended to the in-use list;
// null when none is held.
MemTag* unholdLastLocked(HeapInfo* heap, int c);

// Per-thread caches of small blocks (heaps with ThreadCached). A cached block stays on
// the in-use list with Cached set; only its thread touches it until the cache gives it
// back under the heap lock. Walks of the heap, and anything that empties other
// threads' caches, first stop every cache's fast path: the heap lock must be held.
void cachesStop(HeapInfo* heap);
void cachesResume(HeapInfo* heap);
// Every cache's blocks back to the heap; the caches must be stopped.
void cachesFlushAll(HeapInfo* heap);
// Under the heap lock, when the last block an owner held on the page has been let go
// of: every cached block of the page back to the heap, so that the page can go back
// with it. Stops the caches itself.
void cachesGiveBackPage(HeapInfo* heap, HeapMemInfo* page);
struct CachesStopped {
  HeapInfo* heap;
  explicit CachesStopped(HeapInfo* h) : heap(h) { cachesStop(heap); }
  ~CachesStopped() { cachesResume(heap); }
  CachesStopped(const CachesStopped&) = delete;
  CachesStopped& operator=(const CachesStopped&) = delete;
};
// Turns caching on for the heap (one heap per process).
void cachesEnable(HeapInfo* heap);
// The calling thread's fast paths. cacheAlloc returns null when it cannot serve the
// request (the caller goes the locked way); cacheFree returns false when it did not
// take the block, which it then left untouched. Both count what they hand out and take
// back in the thread's own counters.
void* cacheAlloc(HeapInfo* heap, size_t size, const char* file, int line);
bool cacheFree(HeapInfo* heap, MemTag* tag);
// Under the heap lock: blocks handed out less blocks taken back, and their user bytes,
// by every cache (ended threads' included). Reset clears them; caches stopped.
void cacheTotals(HeapInfo* heap, long long* count, long long* bytes);
void cacheResetTotals(HeapInfo* heap);

}  // namespace ZaDod::heap_detail
