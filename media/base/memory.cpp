// Tracked memory of the media layer.
#include "media/base/memory.h"

#include <cstring>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/media_heap.h"

namespace ZaDod {

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

struct MemState {
  TrackedCriticalSection lock;
  bool created = false;
  size_t total = 0;
  int count = 0;
  HeapInfo small;
  HeapInfo large;
};

// Made on first use from any thread and never destroyed, so that blocks freed by
// static destructors still find it.
MemState& state() {
  static MemState* s = [] {
    auto* made = new MemState;
    CriticalSection_Initialize(&made->lock);
    return made;
  }();
  return *s;
}

struct MemLock {
  MemState& s;
  MemLock() : s(state()) { CriticalSection_Lock(&s.lock, "memory.cpp", __LINE__); }
  ~MemLock() { CriticalSection_Unlock(&s.lock); }
  MemLock(const MemLock&) = delete;
  MemLock& operator=(const MemLock&) = delete;
};

bool traced(size_t userSize) { return TRACE_ALL || (TRACE_SIZE != 0 && userSize == TRACE_SIZE); }

void afterCall() {
  if (PRINT_TOTALS) MemPrintTotal();
  if (CHECK_EACH_CALL) MemErrorCheck();
}

}  // namespace

int MemInitialize() {
  MemLock lock;
  if (lock.s.created) return 0;
  if (InitializeHeap(&lock.s.small, HEAP_KIND_TLSF, 16, 1, SMALL_HEAP_UNIT, &HeapPageFunctions, nullptr, nullptr, 0) !=
      0)
    return -1;
  if (InitializeHeap(&lock.s.large, HEAP_KIND_TLSF, 16, 1, LARGE_HEAP_UNIT, &HeapPageFunctions, nullptr, nullptr, 0) !=
      0) {
    TerminateHeap(&lock.s.small);
    return -1;
  }
  lock.s.created = true;
  return 0;
}

void* MemAlloc(size_t size, const char* file, int line) { return MemAllocBase(size, 0, file, line); }

void* MemAllocBase(size_t size, size_t alignment, const char* file, int line) {
  MemLock lock;
  void* memory = nullptr;
  if (lock.s.created || MemInitialize() == 0)
    memory = AllocMemory(size <= SMALL_BLOCK_LIMIT ? &lock.s.small : &lock.s.large, size, alignment, 0, file, line);
  if (!memory) {
    MemDump();
    MemErrorCheck();
    return nullptr;
  }
  if (traced(size)) {
    LogAddTextCp932("mem alloc  ");
    DumpMemTag(memory, 0);
  }
  lock.s.total += size;
  ++lock.s.count;
  afterCall();
  return memory;
}

void* MemCalloc(size_t size, const char* file, int line) {
  void* memory = MemAllocBase(size, 0, file, line);
  if (memory) std::memset(memory, 0, size);
  return memory;
}

void* MemRealloc(void* memory, size_t size, const char* file, int line) {
  return MemReallocBase(memory, size, 0, file, line);
}

void* MemReallocBase(void* memory, size_t size, size_t alignment, const char* file, int line) {
  if (!memory) return MemAllocBase(size, 0, file, line);
  MemLock lock;
  size_t oldSize;
  void* result = ReallocMemoryBase(memory, 0, size, alignment, file, line, &oldSize);
  if (!result) {
    MemDump();
    return nullptr;
  }
  if (traced(size)) {
    LogAddTextCp932("mem realloc  ");
    DumpMemTag(result, 0);
  }
  lock.s.total = lock.s.total - oldSize + size;
  afterCall();
  return result;
}

void MemFree(void* memory) {
  if (!memory) return;
  MemLock lock;
  if (CHECK_EACH_CALL) MemErrorCheck();
  if (TRACE_ALL || TRACE_SIZE != 0) {
    long long size = GetAllocSize(memory, 0);
    if (size >= 0 && traced(static_cast<size_t>(size))) {
      LogAddTextCp932("mem free  ");
      DumpMemTag(memory, 0);
    }
  }
  // The totals change only when the heap really freed the block.
  size_t freed;
  if (FreeMemoryBase(memory, 0, &freed) != 0) return;
  lock.s.total -= freed;
  --lock.s.count;
  if (PRINT_TOTALS) MemPrintTotal();
}

int MemDump() {
  MemLock lock;
  LogAddTextUtf16(u"\n");
  LogAddTextUtf16(u"Alloc memory dump\n");
  if (lock.s.created) {
    HeapDump(&lock.s.small);
    HeapDump(&lock.s.large);
  }
  MemPrintTotal();
  LogAddTextUtf16(u"\n");
  return 0;
}

int MemErrorCheck() {
  MemLock lock;
  if (!lock.s.created) return 0;
  int small = HeapErrorCheck(&lock.s.small);
  int large = HeapErrorCheck(&lock.s.large);
  return small != 0 || large != 0 ? -1 : 0;
}

int MemGetAllocNum() {
  MemLock lock;
  return lock.s.count;
}

size_t MemGetTotalAllocSize() {
  MemLock lock;
  return lock.s.total;
}

int MemPrintTotal() {
  MemLock lock;
  LogFormatUtf16(u"\tTotal size:%d(%.3fkb)  Alloc num:%d", static_cast<int>(lock.s.total),
                 static_cast<double>(lock.s.total) / 1024.0, lock.s.count);
  return 0;
}

int MemUpdateTime() {
  MemLock lock;
  if (!lock.s.created) return 0;
  auto seconds = static_cast<uint16_t>(GetMillisecondCount() / 1000);
  // The pump calls this every pass; the time moves once a second. Only this function
  // writes the heaps' time, under the memory lock, so reading it here needs no heap lock.
  if (lock.s.small.Time != seconds) SetHeapTime(&lock.s.small, seconds);
  if (lock.s.large.Time != seconds) SetHeapTime(&lock.s.large, seconds);
  return 0;
}

int MemTerminate() {
  MemLock lock;
  if (!lock.s.created) return 0;
  MemDump();
  // Live blocks keep their heaps: the dump has listed them, and freeing them later
  // must still find their pages.
  if (lock.s.small.UseTagNum != 0 || lock.s.large.UseTagNum != 0) return 0;
  TerminateHeap(&lock.s.small);
  TerminateHeap(&lock.s.large);
  lock.s.created = false;
  lock.s.total = 0;
  lock.s.count = 0;
  return 0;
}

HeapInfo* MemGetHeap(int large) {
  MemLock lock;
  if (!lock.s.created) return nullptr;
  return large ? &lock.s.large : &lock.s.small;
}

}  // namespace ZaDod
