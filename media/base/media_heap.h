// Two-level segregated-fit heap. Every block, free or in use, starts with a MemTag and
// a guard area; pages come from page callbacks and go back to them once empty.
// The tracked allocator (memory.h) is the only client; tests read the structures.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/base/thread.h"

namespace ZaDod {

struct HeapInfo;
struct HeapMemInfo;

enum : uint8_t {
  MEMTAG_FLAG_LINE_HIGH = 0x03,  // bits 16-17 of the line number
  MEMTAG_FLAG_USE = 0x04,
  MEMTAG_FLAG_NEXT = 0x08,  // another tag follows in the same page
  MEMTAG_FLAG_PREV = 0x10,  // another tag precedes in the same page
  // Freed by its owner but kept in use by the heap for the next request of its size
  // class (heaps with HoldFreed only): off the in-use list, on a held list.
  MEMTAG_FLAG_HELD = 0x20,
};

struct MemTag {
  char MagicID[4];  // "DMEM"
  char Name[18];    // last 17 characters of the source path, "NoName" or "Free"
  uint8_t Flags;
  // 1 while the block sits in a thread's cache (freed for its owner, in use for the
  // heap, still on the in-use list). Kept out of Flags, which other threads read on
  // neighbouring blocks while merging.
  uint8_t Cached;
  uint8_t FLI;
  uint8_t SLI;
  uint16_t ID;
  uint16_t Time;
  uint16_t Line;
  size_t Size;  // the whole block: tag, guards, padding and user data
  uintptr_t UserAddress;
  size_t UserSize;
  MemTag* Prev;
  MemTag* Next;
  MemTag* ListPrev;  // free list of its class, or the in-use list
  MemTag* ListNext;
  HeapInfo* Heap;
  HeapMemInfo* UseHeapMem;
  // While Cached: the next block of its class in the thread's cache. Kept here, not in
  // the freed user bytes, which are guard while the block is cached, so that a write
  // after free is damage the checks see rather than a broken link.
  MemTag* CacheNext;
};

constexpr size_t HEAP_GUARD_SIZE = 16;
constexpr uint8_t HEAP_GUARD_BYTE = 0xAA;
// A free tag must hold this much more than a request to be chosen, and a remainder
// smaller than it is not split off.
constexpr size_t HEAP_SEARCH_OVERHEAD = 2 * sizeof(MemTag);

// What the page callbacks fill in for one page.
struct HeapPageDescriptor {
  void* Address;
  size_t Size;
  uintptr_t Reserved[2];
};

enum : uint32_t { HEAPMEM_FLAG_CALLBACK = 0x01 };

struct HeapMemInfo {
  size_t PageSize;  // as obtained
  void* PageAddress;
  uintptr_t AlignedAddress;
  size_t UseSize;
  uintptr_t FirstTagAddress;
  size_t FirstTagSize;
  int UseMemTagCount;
  int HeldTagCount;  // of UseMemTagCount, the blocks on the heap's held lists
  // Of UseMemTagCount, the blocks their owners hold (neither held nor cached), less
  // those the threads' caches count for the page and have not added yet. Changed
  // atomically, as the caches change it without the heap lock; the free that takes the
  // true count to 0 gives the page back.
  int LiveTagCount;
  MemTag* FirstTag;
  HeapMemInfo* PrevPage;
  HeapMemInfo* NextPage;
  uint32_t Flags;
  HeapPageDescriptor Page;
  // Every byte from here to the last HEAP_GUARD_SIZE bytes of the page is zero and
  // unwritten since the page was mapped (the end of the page for pages not known zero).
  uintptr_t Untouched;
};

constexpr size_t HEAP_MIN_SIZE = ((sizeof(HeapMemInfo) + 15) & ~size_t(15)) + HEAP_SEARCH_OVERHEAD;

struct HeapPageCallbacks {
  int (*Alloc)(void* parameter, HeapPageDescriptor* page, size_t size);  // 0 or -1
  void* (*GetAddress)(void* parameter, HeapPageDescriptor* page);
  size_t (*GetSize)(void* parameter, HeapPageDescriptor* page);
  int (*Free)(void* parameter, HeapPageDescriptor* page);
  // Nonzero when Alloc hands out pages that read as zero until first written: the heap
  // then knows which of a page's bytes are still untouched and a zeroed request placed
  // there needs no clearing pass.
  int PagesZeroed = 0;
};

constexpr int HEAP_KIND_TLSF = 1;
constexpr int TLSF_LEVELS = 32;

// Held blocks: requests of up to this many bytes, in classes of 16 bytes, and at most
// HEAP_HELD_CLASS_BYTES of whole blocks held per class.
constexpr size_t HEAP_HELD_MAX_REQUEST = 256;
constexpr int HEAP_HELD_CLASSES = 16;
constexpr size_t HEAP_HELD_CLASS_BYTES = 0x8000;

struct HeapInfo {
  int AutoGrow;
  size_t AutoGrowUnit;
  void* CallbackParam;
  HeapPageCallbacks Callbacks;
  int Kind;
  size_t Aligned;
  uint16_t AllocID;
  uint16_t Time;
  HeapMemInfo* PageList;
  int FreeTagNum;
  size_t TotalFreeSize;
  MemTag* TagFirst;
  MemTag* TagLast;
  int UseTagNum;
  size_t TotalUseSize;
  MemTag* UseFirst;
  MemTag* UseLast;
  TrackedCriticalSection Lock;
  uint32_t FirstLevel;
  uint32_t SecondLevel[TLSF_LEVELS];
  MemTag* FreeList[TLSF_LEVELS][TLSF_LEVELS];
  // A freed small block of the standard layout is held for reuse rather than merged,
  // so that small requests cost a list pop; held blocks stay counted in UseTagNum and
  // TotalUseSize, and go back to the free lists before the heap grows.
  int HoldFreed;
  int HeldTagNum;
  int HeldCount[HEAP_HELD_CLASSES];
  MemTag* Held[HEAP_HELD_CLASSES];
  // Threads keep caches of freed small blocks of this heap (the tracked small-block
  // heap only); walks of the heap stop them first.
  int ThreadCached;
};

// The page callbacks over the operating system's page memory.
extern const HeapPageCallbacks HeapPageFunctions;

// aligned 0 means 16. memory may be null (auto-growing heaps start without pages).
int InitializeHeap(HeapInfo* heap, int kind, size_t aligned, int autoGrow, size_t autoGrowUnit,
                   const HeapPageCallbacks* callbacks, void* callbackParam, void* memory, size_t memorySize);
int TerminateHeap(HeapInfo* heap);
int AddHeapMemory(HeapInfo* heap, void* memory, size_t size);
int SubHeapMemory(HeapInfo* heap, void* pageAddress);
// alignment 0 takes the heap's. Null for size 0 or when no room can be found.
void* AllocMemory(HeapInfo* heap, size_t size, size_t alignment, int placement, const char* file, int line);
// 0, or -1 (nothing freed) for a foreign pointer, damaged guards or a freed block.
int FreeMemory(void* memory, int isTag);
// The size asked for, or -1.
long long GetAllocSize(void* memory, int isTag);
// Same pointer when the block can stay, else a new block with the contents moved; null
// on failure with the old block unchanged.
void* ReallocMemory(void* memory, int isTag, size_t size, size_t alignment, const char* file, int line);
int HeapErrorCheck(HeapInfo* heap);
int HeapDump(HeapInfo* heap);
int DumpMemTag(void* memory, int isTag);
int SetHeapTime(HeapInfo* heap, uint16_t seconds);
// Gives every held block, and every block in a thread's cache, back to the free lists
// (and empty pages back to the system).
int ReleaseHeldMemory(HeapInfo* heap);

// The tag of a user pointer, by the offset word stored just before it.
MemTag* UserToMemTag(void* memory);

// The heap operations the tracked allocator builds on: they report the user size of
// the block they freed or resized, so that totals change only when the heap did.
int FreeMemoryBase(void* memory, int isTag, size_t* freedUserSize);
void* ReallocMemoryBase(void* memory, int isTag, size_t size, size_t alignment, const char* file, int line,
                        size_t* oldUserSize);

}  // namespace ZaDod
