// Per-thread caches of freed small blocks. A thread frees a small block of the
// standard layout into its own cache and takes the next request of that size class
// from it, without the heap lock and without an atomic read-modify-write: the block
// stays on the heap's in-use list, marked Cached, and only its thread touches it.
//
// Anything that walks the heap's blocks, or empties other threads' caches, holds the
// heap lock and first stops every cache's fast path. A fast path marks its cache busy
// and then looks at the stop flag; a stopper sets the flag, runs a process-wide
// barrier, and waits until no cache is busy. The barrier lets the fast path order its
// own two steps with a compiler barrier alone.
#include <atomic>
#include <cstring>
#include <thread>

#include "media/base/heap_internal.h"
#include "platform/win/sync.h"

#if defined(__SANITIZE_THREAD__)
#define HALVORINE_CACHE_FENCED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HALVORINE_CACHE_FENCED 1
#endif
#endif

namespace ZaDod::heap_detail {

namespace {

// How many blocks a cache keeps per class: 8 KB of blocks, at least 16. When a free
// finds its class full, the cache gives half of that class back to the heap.
constexpr auto CACHE_LIMIT = [] {
  struct Limits {
    int count[HEAP_HELD_CLASSES];
  } limits{};
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c) {
    int fit = static_cast<int>(0x2000 / heldBlockSize(c));
    limits.count[c] = fit < 16 ? 16 : fit;
  }
  return limits;
}();

// How many held blocks an empty cache takes from the heap at once.
constexpr int CACHE_REFILL = 8;

struct ThreadCache {
  std::atomic<uint32_t> busy{0};
  // Written by the owner only; read by the totals under the heap lock.
  std::atomic<long long> count{0};
  std::atomic<long long> bytes{0};
  MemTag* top[HEAP_HELD_CLASSES] = {};
  int held[HEAP_HELD_CLASSES] = {};
  // Blocks of lastPage this cache handed out and did not take back yet, not yet added
  // to the page's live count: so that blocks coming and going on one page cost no
  // atomic read-modify-write. Never below 0. Folded into the page's count when the
  // cache turns to another page, and by every stopper that needs the true counts.
  HeapMemInfo* lastPage = nullptr;
  std::atomic<int> pending{0};
  HeapInfo* heap = nullptr;
  ThreadCache* prev = nullptr;  // the registry, under the heap lock
  ThreadCache* next = nullptr;
};

struct Registry {
  std::atomic<HeapInfo*> heap{nullptr};
  std::atomic<uint32_t> stop{0};
  // The rest under the heap lock.
  int stopDepth = 0;
  ThreadCache* first = nullptr;
  long long endedCount = 0;
  long long endedBytes = 0;
};

Registry registry;

thread_local ThreadCache* threadCache = nullptr;
thread_local bool threadCacheEnded = false;

void cachePush(ThreadCache* cache, int c, MemTag* tag) {
  tag->CacheNext = cache->top[c];
  cache->top[c] = tag;
  ++cache->held[c];
}

MemTag* cachePop(ThreadCache* cache, int c) {
  MemTag* tag = cache->top[c];
  cache->top[c] = tag->CacheNext;
  --cache->held[c];
  return tag;
}

void cacheCount(ThreadCache* cache, long long count, long long bytes) {
  cache->count.store(cache->count.load(std::memory_order_relaxed) + count, std::memory_order_relaxed);
  cache->bytes.store(cache->bytes.load(std::memory_order_relaxed) + bytes, std::memory_order_relaxed);
}

// Marks the cache busy; false (and not busy) when a stopper is at work.
bool cacheEnter(ThreadCache* cache) {
#ifdef HALVORINE_CACHE_FENCED
  cache->busy.store(1, std::memory_order_seq_cst);
#else
  cache->busy.store(1, std::memory_order_relaxed);
  std::atomic_signal_fence(std::memory_order_seq_cst);
#endif
  if (registry.stop.load(std::memory_order_seq_cst) == 0) return true;
  cache->busy.store(0, std::memory_order_release);
  return false;
}

void cacheLeave(ThreadCache* cache) { cache->busy.store(0, std::memory_order_release); }

// A page's true live count is its LiveTagCount plus the pending counts of the caches
// whose lastPage it is. As those are never below 0, a count that reaches 0 shows in
// the page's own count plus the freeing cache's pending as 0 or less.
void foldPending(ThreadCache* cache) {
  const int n = cache->pending.load(std::memory_order_relaxed);
  if (n != 0) addLive(cache->lastPage, n);
  cache->pending.store(0, std::memory_order_relaxed);
}

void countOut(ThreadCache* cache, HeapMemInfo* page) {
  if (page != cache->lastPage) {
    foldPending(cache);
    cache->lastPage = page;
  }
  cache->pending.store(cache->pending.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// True when the page may hold no live block any more.
bool countIn(ThreadCache* cache, HeapMemInfo* page) {
  const int own = page == cache->lastPage ? cache->pending.load(std::memory_order_relaxed) : 0;
  if (own > 0) {
    cache->pending.store(own - 1, std::memory_order_relaxed);
    return liveCount(page) + own - 1 <= 0;
  }
  return addLive(page, -1) <= 0;
}

// A block into a cache: its first user bytes become guard, which the heap's check and
// the giving back look at, so that a write after free is seen there.
void makeCached(MemTag* tag) {
  tag->Cached = 1;
  std::memset(reinterpret_cast<void*>(tag->UserAddress), HEAP_GUARD_BYTE, HEAP_GUARD_SIZE);
}

// A cached block back to the heap as a block its owner freed; heap lock
// held. A write after free shows as damaged guard bytes, which is logged here.
void cacheGiveBack(HeapInfo* heap, MemTag* tag) {
  guardsChecked(tag, u"FreeMemory");
  tag->Cached = 0;
  retireLocked(heap, tag);
}

void flushClass(HeapInfo* heap, ThreadCache* cache, int c, int keep) {
  while (cache->held[c] > keep) cacheGiveBack(heap, cachePop(cache, c));
}

void flushCache(HeapInfo* heap, ThreadCache* cache) {
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c) flushClass(heap, cache, c, 0);
}

// Gives the thread's cache back when the thread ends; later frees on this thread take
// the locked way.
struct CacheEnd {
  ~CacheEnd() {
    ThreadCache* cache = threadCache;
    threadCacheEnded = true;
    threadCache = nullptr;
    if (!cache) return;
    HeapInfo* heap = cache->heap;
    {
      HeapLock hold(heap);
      foldPending(cache);
      flushCache(heap, cache);
      registry.endedCount += cache->count.load(std::memory_order_relaxed);
      registry.endedBytes += cache->bytes.load(std::memory_order_relaxed);
      if (cache->prev) cache->prev->next = cache->next;
      else registry.first = cache->next;
      if (cache->next) cache->next->prev = cache->prev;
    }
    delete cache;
  }
};

thread_local CacheEnd cacheEnd;

ThreadCache* cacheAttach(HeapInfo* heap) {
  if (threadCacheEnded || registry.heap.load(std::memory_order_acquire) != heap) return nullptr;
  (void)&cacheEnd;  // registers the thread's end
  auto* cache = new ThreadCache;
  cache->heap = heap;
  HeapLock hold(heap);
  cache->next = registry.first;
  if (cache->next) cache->next->prev = cache;
  registry.first = cache;
  threadCache = cache;
  return cache;
}

// Hands out the last cached block of class c, stamped for its new owner; the front
// guard and the offset word were checked when it was freed and are unchanged. The
// block's Flags are not written: other threads read them while merging neighbours.
void* handOut(HeapInfo* heap, ThreadCache* cache, int c, size_t size, const char* file, int line) {
  MemTag* tag = cachePop(cache, c);
  setName(tag, file);
  tag->Line = static_cast<uint16_t>(line);
  tag->ID = takeAllocId(heap);
  tag->Time = heapTime(heap);
  tag->UserSize = size;
  tag->Cached = 0;
  fillStandardBackGuard(tag);
  countOut(cache, tag->UseHeapMem);
  cacheCount(cache, 1, static_cast<long long>(size));
  return reinterpret_cast<void*>(tag->UserAddress);
}

// The block, live and of the standard layout, into the cache; its owner's let go of
// it already.
void takeIn(ThreadCache* cache, MemTag* tag, int c) {
  // The user size becomes the whole class: the back guard is then the block's last
  // bytes, which every block of the standard layout has.
  tag->UserSize = static_cast<size_t>(c + 1) * 16;
  makeCached(tag);
  cachePush(cache, c, tag);
}

// Every block of the page out of the cache and back to the heap.
void giveBackPageFrom(HeapInfo* heap, ThreadCache* cache, HeapMemInfo* page) {
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c) {
    MemTag** link = &cache->top[c];
    while (MemTag* tag = *link) {
      if (tag->UseHeapMem != page) {
        link = &tag->CacheNext;
        continue;
      }
      *link = tag->CacheNext;
      --cache->held[c];
      cacheGiveBack(heap, tag);
    }
  }
}

}  // namespace

void cachesEnable(HeapInfo* heap) {
  heap->ThreadCached = 1;
  registry.heap.store(heap, std::memory_order_release);
}

void cachesStop(HeapInfo* heap) {
  if (!heap->ThreadCached || registry.stopDepth++ != 0) return;
  registry.stop.store(1, std::memory_order_seq_cst);
#ifndef HALVORINE_CACHE_FENCED
  plat::win::FlushProcessWriteBuffers();
#endif
  for (ThreadCache* cache = registry.first; cache; cache = cache->next)
    while (cache->busy.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

void cachesResume(HeapInfo* heap) {
  if (!heap->ThreadCached || --registry.stopDepth != 0) return;
  registry.stop.store(0, std::memory_order_release);
}

void cachesFlushAll(HeapInfo* heap) {
  if (!heap->ThreadCached) return;
  for (ThreadCache* cache = registry.first; cache; cache = cache->next) flushCache(heap, cache);
}

void cachesGiveBackPage(HeapInfo* heap, HeapMemInfo* page) {
  if (!heap->ThreadCached) return;
  CachesStopped stopped(heap);
  for (ThreadCache* cache = registry.first; cache; cache = cache->next) foldPending(cache);
  // Blocks other caches handed out, or one handed out before the stop, keep it live.
  if (liveCount(page) != 0) return;
  for (ThreadCache* cache = registry.first; cache; cache = cache->next) giveBackPageFrom(heap, cache, page);
}

void* cacheAlloc(HeapInfo* heap, size_t size, const char* file, int line) {
  ThreadCache* cache = threadCache;
  if (!cache && !(cache = cacheAttach(heap))) return nullptr;
  int c = heldClass(size);
  // A line of 65536 or more keeps bits in Flags, which the fast path leaves alone.
  if (static_cast<unsigned>(line) > 0xFFFFu) return nullptr;
  if (cacheEnter(cache)) {
    void* memory = cache->top[c] ? handOut(heap, cache, c, size, file, line) : nullptr;
    cacheLeave(cache);
    if (memory) return memory;
  }
  // Empty (or stopped): a batch of held blocks from the heap, or else a new block,
  // under its lock.
  HeapLock hold(heap);
  while (cache->held[c] < CACHE_REFILL) {
    MemTag* tag = unholdLastLocked(heap, c);
    if (!tag) break;
    takeIn(cache, tag, c);
  }
  if (cache->top[c]) return handOut(heap, cache, c, size, file, line);
  void* memory = allocLocked(heap, size, 0, file, line);
  if (memory) cacheCount(cache, 1, static_cast<long long>(size));
  return memory;
}

bool cacheFree(HeapInfo* heap, MemTag* tag) {
  ThreadCache* cache = threadCache;
  if (!cache && !(cache = cacheAttach(heap))) return false;
  // Anything the cache cannot take, sound or not, goes the locked way, which logs.
  if ((tag->Flags & MEMTAG_FLAG_LINE_HIGH) != 0 || !standardLayout(tag) || !cacheEnter(cache)) return false;
  if (!liveBlock(tag) || !guardsIntact(tag)) {
    cacheLeave(cache);
    return false;
  }
  int c = heldClass(tag->UserSize);
  cacheCount(cache, -1, -static_cast<long long>(tag->UserSize));
  // The last block its owners held on the page: the page goes back at once, with the
  // page's blocks that any cache keeps.
  if (countIn(cache, tag->UseHeapMem)) {
    cacheLeave(cache);
    HeapLock hold(heap);
    cachesGiveBackPage(heap, tag->UseHeapMem);
    retireLocked(heap, tag);
    return true;
  }
  if (cache->held[c] < CACHE_LIMIT.count[c]) {
    takeIn(cache, tag, c);
    cacheLeave(cache);
    return true;
  }
  cacheLeave(cache);
  HeapLock hold(heap);
  flushClass(heap, cache, c, CACHE_LIMIT.count[c] / 2);
  takeIn(cache, tag, c);
  return true;
}

void cacheTotals(HeapInfo* heap, long long* count, long long* bytes) {
  *count = 0;
  *bytes = 0;
  if (!heap->ThreadCached) return;
  *count = registry.endedCount;
  *bytes = registry.endedBytes;
  for (ThreadCache* cache = registry.first; cache; cache = cache->next) {
    *count += cache->count.load(std::memory_order_relaxed);
    *bytes += cache->bytes.load(std::memory_order_relaxed);
  }
}

void cacheResetTotals(HeapInfo* heap) {
  if (!heap->ThreadCached) return;
  registry.endedCount = 0;
  registry.endedBytes = 0;
  for (ThreadCache* cache = registry.first; cache; cache = cache->next) {
    cache->count.store(0, std::memory_order_relaxed);
    cache->bytes.store(0, std::memory_order_relaxed);
  }
}

}  // namespace ZaDod::heap_detail
