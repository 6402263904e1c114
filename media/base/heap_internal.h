// Helpers shared by the heap's allocation and checking files.
#pragma once
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
bool guardsIntact(const MemTag* tag);
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
void* allocLocked(HeapInfo* heap, size_t size, size_t alignment, const char* file, int line);
int freeLocked(HeapInfo* heap, MemTag* tag, size_t* freedUserSize);
// A held block counts as freed for everything its owner may ask.
inline bool liveBlock(const MemTag* tag) {
  return (tag->Flags & (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD)) == MEMTAG_FLAG_USE;
}

}  // namespace ZaDod::heap_detail
