// Tracked memory of the media layer.
#include "media/base/memory.h"

#include <atomic>
#include <cstring>

#include "media/base/clock.h"
#include "media/base/heap_internal.h"
#include "media/base/log.h"
#include "media/base/media_heap.h"

namespace ZaDod {

using namespace heap_detail;

namespace {

constexpr size_t SMALL_BLOCK_LIMIT = 0x10000;  // this size still goes to the small-block heap
constexpr size_t SMALL_HEAP_UNIT = 0x400000;
constexpr size_t LARGE_HEAP_UNIT = 0x2000000;

// Debugging aids, off in every build: trace every call, trace blocks of one size,
// print the totals after each call, check both heaps on each call.
constexpr bool TRACE_ALL = false;
constexpr size_t TRACE_SIZE = 0;
constexpr bool PRINT_TOTALS = false;
constexpr bool CHECK_EACH_CALL = false;

// The running totals of one heap's live blocks, guarded by that heap's lock, so that
// an allocation or a free takes one lock.
struct Totals {
  size_t total = 0;
  int count = 0;
};

struct MemState {
  TrackedCriticalSection lock;  // creation, shut-down, dumps and the debugging switches
  // Set by the first allocation after start-up or shut-down; the heaps themselves are
  // made once and live as long as the process, so a thread that allocates while
  // another shuts down never finds them gone.
  std::atomic<bool> created{false};
  HeapInfo small;
  HeapInfo large;
  Totals smallTotals;
  Totals largeTotals;
};

// Made on first use from any thread and never destroyed, so that blocks freed by
// static destructors still find it.
MemState& state() {
  static MemState* s = [] {
    auto* made = new MemState;
    CriticalSection_Initialize(&made->lock);
    InitializeHeap(&made->small, HEAP_KIND_TLSF, 16, 1, SMALL_HEAP_UNIT, &HeapPageFunctions, nullptr, nullptr, 0);
    InitializeHeap(&made->large, HEAP_KIND_TLSF, 16, 1, LARGE_HEAP_UNIT, &HeapPageFunctions, nullptr, nullptr, 0);
    made->small.HoldFreed = 1;
    cachesEnable(&made->small);
    return made;
  }();
  return *s;
}

struct MemLock {
  MemState& s;
  MemLock() : s(state()) { CriticalSection_LockNamed(&s.lock, "memory.cpp", __LINE__); }
  ~MemLock() { CriticalSection_Unlock(&s.lock); }
  MemLock(const MemLock&) = delete;
  MemLock& operator=(const MemLock&) = delete;
};

// Null for a heap of someone else's (a foreign tag passed to MemFree).
Totals* totalsOf(MemState& s, HeapInfo* heap) {
  if (heap == &s.small) return &s.smallTotals;
  if (heap == &s.large) return &s.largeTotals;
  return nullptr;
}

// Both heaps' totals, each read under its own lock and never both locks at once, so
// that no order between the two heap locks is ever needed.
Totals sumTotals(MemState& s) {
  Totals small, large;
  {
    HeapLock hold(&s.small);
    long long cachedCount, cachedBytes;
    cacheTotals(&s.small, &cachedCount, &cachedBytes);
    small.total = s.smallTotals.total + static_cast<size_t>(cachedBytes);
    small.count = s.smallTotals.count + static_cast<int>(cachedCount);
  }
  {
    HeapLock hold(&s.large);
    large = s.largeTotals;
  }
  return {small.total + large.total, small.count + large.count};
}

bool traced(size_t userSize) { return TRACE_ALL || (TRACE_SIZE != 0 && userSize == TRACE_SIZE); }

void trace(const char* what, void* memory) {
  MemLock lock;
  LogAddTextCp932(what);
  DumpMemTag(memory, 0);
}

void afterCall() {
  if (PRINT_TOTALS) MemPrintTotal();
  if (CHECK_EACH_CALL) MemErrorCheck();
}

}  // namespace

int MemInitialize() {
  state().created.store(true, std::memory_order_relaxed);
  return 0;
}

void* MemAlloc(size_t size, const char* file, int line) { return MemAllocBase(size, 0, file, line); }

namespace {

// With zero the block reads as zero: a small one is cleared here, a large one by the
// heap, which leaves alone the bytes of a fresh page that were never written.
void* allocateTracked(size_t size, size_t alignment, const char* file, int line, bool zero) {
  MemState& s = state();
  if (!s.created.load(std::memory_order_relaxed)) MemInitialize();
  HeapInfo* heap = size <= SMALL_BLOCK_LIMIT ? &s.small : &s.large;
  void* memory = nullptr;
  // Small requests of the default alignment first try the thread's cache, which
  // counts them itself.
  if (size - 1 < HEAP_HELD_MAX_REQUEST && alignment <= 16) {
    memory = cacheAlloc(heap, size, file, line);
    if (memory && zero) std::memset(memory, 0, size);
  }
  if (!memory) {
    HeapLock hold(heap);
    memory = allocLocked(heap, size, alignment, file, line, zero);
    if (memory) {
      Totals& totals = heap == &s.small ? s.smallTotals : s.largeTotals;
      totals.total += size;
      ++totals.count;
    }
  }
  if (!memory) {
    MemDump();
    MemErrorCheck();
    return nullptr;
  }
  if (traced(size)) trace("mem alloc  ", memory);
  afterCall();
  return memory;
}

}  // namespace

void* MemAllocBase(size_t size, size_t alignment, const char* file, int line) {
  return allocateTracked(size, alignment, file, line, false);
}

void* MemCalloc(size_t size, const char* file, int line) { return allocateTracked(size, 0, file, line, true); }

void* MemRealloc(void* memory, size_t size, const char* file, int line) {
  return MemReallocBase(memory, size, 0, file, line);
}

void* MemReallocBase(void* memory, size_t size, size_t alignment, const char* file, int line) {
  if (!memory) return MemAllocBase(size, 0, file, line);
  MemState& s = state();
  MemTag* tag = locateTag(memory, 0,
                          u"ReallocMemory Error : メモリタグの MagicID "
                          u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
  void* result = nullptr;
  if (tag) {
    // A block that moves frees its tag, and with it perhaps the page the tag sat on,
    // so the heap is read before the call, never from the tag after it.
    HeapInfo* heap = tag->Heap;
    HeapLock hold(heap);
    size_t oldSize;
    result = ReallocMemoryBase(memory, 0, size, alignment, file, line, &oldSize);
    Totals* totals = totalsOf(s, heap);
    if (result && totals) totals->total = totals->total - oldSize + size;
  }
  if (!result) {
    MemDump();
    return nullptr;
  }
  if (traced(size)) trace("mem realloc  ", result);
  afterCall();
  return result;
}

void MemFree(void* memory) {
  if (!memory) return;
  MemState& s = state();
  if (CHECK_EACH_CALL) MemErrorCheck();
  if (TRACE_ALL || TRACE_SIZE != 0) {
    long long size = GetAllocSize(memory, 0);
    if (size >= 0 && traced(static_cast<size_t>(size))) trace("mem free  ", memory);
  }
  MemTag* tag = locateTag(memory, 0,
                          u"FreeMemory Error : メモリタグの MagicID "
                          u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
  if (!tag) return;
  HeapInfo* heap = tag->Heap;
  if (heap == &s.small && cacheFree(heap, tag)) {
    if (PRINT_TOTALS) MemPrintTotal();
    return;
  }
  {
    HeapLock hold(heap);
    // The totals change only when the heap really freed the block.
    size_t freed;
    if (freeLocked(heap, tag, &freed) != 0) return;
    if (Totals* totals = totalsOf(s, heap)) {
      totals->total -= freed;
      --totals->count;
    }
  }
  if (PRINT_TOTALS) MemPrintTotal();
}

int MemDump() {
  MemLock lock;
  LogAddTextUtf16(u"\n");
  LogAddTextUtf16(u"Alloc memory dump\n");
  if (lock.s.created.load(std::memory_order_relaxed)) {
    HeapDump(&lock.s.small);
    HeapDump(&lock.s.large);
  }
  MemPrintTotal();
  LogAddTextUtf16(u"\n");
  return 0;
}

int MemErrorCheck() {
  MemLock lock;
  if (!lock.s.created.load(std::memory_order_relaxed)) return 0;
  int small = HeapErrorCheck(&lock.s.small);
  int large = HeapErrorCheck(&lock.s.large);
  return small != 0 || large != 0 ? -1 : 0;
}

int MemGetAllocNum() { return sumTotals(state()).count; }

size_t MemGetTotalAllocSize() { return sumTotals(state()).total; }

int MemPrintTotal() {
  Totals totals = sumTotals(state());
  LogFormatUtf16(u"\tTotal size:%d(%.3fkb)  Alloc num:%d", static_cast<int>(totals.total),
                 static_cast<double>(totals.total) / 1024.0, totals.count);
  return 0;
}

int MemUpdateTime() {
  MemLock lock;
  if (!lock.s.created.load(std::memory_order_relaxed)) return 0;
  auto seconds = static_cast<uint16_t>(GetMillisecondCount() / 1000);
  // The pump calls this every pass; the time moves once a second. Only this function
  // and shut-down write the heaps' time, under the memory lock.
  // Once a second, too, every thread's cache goes back to the heap, so that blocks a
  // thread freed and no longer asks for serve the other threads.
  if (heapTime(&lock.s.small) != seconds) {
    SetHeapTime(&lock.s.small, seconds);
    HeapLock hold(&lock.s.small);
    CachesStopped stopped(&lock.s.small);
    cachesFlushAll(&lock.s.small);
  }
  if (heapTime(&lock.s.large) != seconds) SetHeapTime(&lock.s.large, seconds);
  return 0;
}

// Gives back whatever the heap still holds when nothing of it is live, and starts its
// counters again as a new heap would.
void resetHeap(HeapInfo* heap) {
  while (heap->PageList && heap->PageList->UseMemTagCount == 0) subPageLocked(heap, heap->PageList);
  std::atomic_ref<uint16_t>(heap->AllocID).store(0, std::memory_order_relaxed);
  std::atomic_ref<uint16_t>(heap->Time).store(0, std::memory_order_relaxed);
}

int MemTerminate() {
  MemLock lock;
  MemState& s = lock.s;
  if (!s.created.load(std::memory_order_relaxed)) return 0;
  MemDump();
  HeapLock small(&s.small);
  HeapLock large(&s.large);
  // Stopped throughout, so that no thread's cache fills again before the heap is
  // judged empty.
  CachesStopped stopped(&s.small);
  ReleaseHeldMemory(&s.small);
  // Live blocks keep their heaps: the dump has listed them, and freeing them later
  // must still find their pages.
  if (s.small.UseTagNum != 0 || s.large.UseTagNum != 0) return 0;
  resetHeap(&s.small);
  resetHeap(&s.large);
  s.smallTotals = {};
  s.largeTotals = {};
  cacheResetTotals(&s.small);
  s.created.store(false, std::memory_order_relaxed);
  return 0;
}

HeapInfo* MemGetHeap(int large) {
  MemLock lock;
  if (!lock.s.created.load(std::memory_order_relaxed)) return nullptr;
  return large ? &lock.s.large : &lock.s.small;
}

}  // namespace ZaDod
