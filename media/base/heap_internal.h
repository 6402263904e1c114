// Helpers shared by the heap's allocation and checking files.
#pragma once
#include "media/base/media_heap.h"

namespace ZaDod::heap_detail {

// The user address is the first multiple of the alignment at or after this far past
// the tag: the tag, the front guard and the 32-bit offset word.
constexpr size_t USER_OFFSET_MIN = sizeof(MemTag) + HEAP_GUARD_SIZE + 4;
// Every message prints sizes as 32-bit numbers, so larger requests are refused.
constexpr size_t MAX_REQUEST = 0x7FFFFFFF;

struct HeapLock {
  HeapInfo* heap;
  explicit HeapLock(HeapInfo* h) : heap(h) { CriticalSection_Lock(&heap->Lock, "heap.cpp", __LINE__); }
  ~HeapLock() { CriticalSection_Unlock(&heap->Lock); }
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

}  // namespace ZaDod::heap_detail
