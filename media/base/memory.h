// Tracked memory of the media layer: every request names the source file and line
// that made it. Callers pass their own tag (a short source name) and line. Requests up
// to 0x10000 bytes come from the small-block heap, larger ones from the large-block
// heap; a failed request logs a dump of every live block.
#pragma once
#include <cstddef>

namespace ZaDod {

struct HeapInfo;

// The largest block tracked memory hands out; every message prints sizes as 32-bit
// numbers, so larger requests are refused.
constexpr size_t kMemLargestRequest = 0x7FFFFFFF;

void* MemAlloc(size_t size, const char* file, int line);
// alignment 0 takes the heap's (16).
void* MemAllocBase(size_t size, size_t alignment, const char* file, int line);
void* MemCalloc(size_t size, const char* file, int line);
// A null pointer allocates. On failure the old block stays valid.
void* MemRealloc(void* memory, size_t size, const char* file, int line);
void* MemReallocBase(void* memory, size_t size, size_t alignment, const char* file, int line);
// Null is ignored; a pointer that is not a live block is refused and logged.
void MemFree(void* memory);

int MemDump();
// 0, or -1 when either heap is inconsistent.
int MemErrorCheck();
int MemGetAllocNum();
size_t MemGetTotalAllocSize();
int MemPrintTotal();

// The heaps are made by the first allocation.
int MemInitialize();
// Stamps later blocks with the millisecond clock's seconds.
int MemUpdateTime();
// Library shut-down: dumps what is still live; the heaps are released only when
// nothing is, and the next allocation makes new ones.
int MemTerminate();

// The small-block (0) or large-block (1) heap, for inspection; null before first use.
HeapInfo* MemGetHeap(int large);

}  // namespace ZaDod
