// Allocation, free and reallocation in the two-level segregated-fit heap. A free block
// of size s is filed under FLI = its highest set bit and SLI = the five bits below it;
// a request searches from the class above its own, so any block found fits, and the
// search is two bit scans. Free neighbours within a page are always merged.
#include <algorithm>
#include <bit>
#include <cstring>

#include "media/base/heap_internal.h"
#include "media/base/log.h"
#include "media/base/media_heap.h"

namespace ZaDod {

namespace heap_detail {

void classOf(size_t size, int* fli, int* sli) {
  int f = std::bit_width(size) - 1;
  *fli = f;
  *sli = static_cast<int>((size ^ (size_t(1) << f)) >> (f - 5));
}

void fillFreeGuards(MemTag* tag) {
  auto* at = reinterpret_cast<uint8_t*>(tag);
  std::memset(at + sizeof(MemTag), HEAP_GUARD_BYTE, HEAP_GUARD_SIZE);
  std::memset(at + tag->Size - HEAP_GUARD_SIZE, HEAP_GUARD_BYTE, HEAP_GUARD_SIZE);
}

// In use, everything from the end of the user's bytes to the end of the block is
// guard, so the first byte written past the block is caught.
void fillUseGuards(MemTag* tag) {
  auto* at = reinterpret_cast<uint8_t*>(tag);
  std::memset(at + sizeof(MemTag), HEAP_GUARD_BYTE, HEAP_GUARD_SIZE);
  auto* back = reinterpret_cast<uint8_t*>(tag->UserAddress + tag->UserSize);
  std::memset(back, HEAP_GUARD_BYTE, at + tag->Size - back);
}

void fillStandardBackGuard(MemTag* tag) {
  // 16 to 31 bytes from the user's end to the block's: two overlapping 16-byte stores
  // cover them.
  static constexpr uint8_t guard[16] = {HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE,
                                        HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE,
                                        HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE,
                                        HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE, HEAP_GUARD_BYTE};
  std::memcpy(reinterpret_cast<void*>(tag->UserAddress + tag->UserSize), guard, 16);
  std::memcpy(reinterpret_cast<uint8_t*>(tag) + tag->Size - 16, guard, 16);
}

namespace {

// Eight bytes at a time: guards are checked on every free, and most are 16-31 bytes.
bool allGuard(const uint8_t* from, size_t length) {
  constexpr uint64_t pattern = 0x0101010101010101ull * HEAP_GUARD_BYTE;
  uint64_t differs = 0;
  for (; length >= 8; from += 8, length -= 8) {
    uint64_t word;
    std::memcpy(&word, from, 8);
    differs |= word ^ pattern;
  }
  for (; length > 0; ++from, --length) differs |= *from ^ HEAP_GUARD_BYTE;
  return differs == 0;
}

}  // namespace

bool guardsIntact(const MemTag* tag) {
  auto* at = reinterpret_cast<const uint8_t*>(tag);
  if (!allGuard(at + sizeof(MemTag), HEAP_GUARD_SIZE)) return false;
  if (tag->Flags & MEMTAG_FLAG_USE) {
    // A cached block's first user bytes are guard too.
    if (tag->Cached && !allGuard(reinterpret_cast<const uint8_t*>(tag->UserAddress), HEAP_GUARD_SIZE)) return false;
    auto* back = reinterpret_cast<const uint8_t*>(tag->UserAddress + tag->UserSize);
    return back >= at && back <= at + tag->Size - HEAP_GUARD_SIZE && allGuard(back, at + tag->Size - back);
  }
  return allGuard(at + tag->Size - HEAP_GUARD_SIZE, HEAP_GUARD_SIZE);
}

bool guardsChecked(MemTag* tag, const char16_t* caller) {
  if (guardsIntact(tag)) return true;
  LogFormatUtf16(u"%s Error : デバッグ領域の破壊を確認しました、メモリの不正なアクセスが発生したことが考えられます",
                 caller);
  DumpMemTag(tag, 1);
  return false;
}

void setName(MemTag* tag, const char* file) {
  if (!file) file = "NoName";
  size_t length = std::strlen(file);
  size_t kept = std::min(length, sizeof tag->Name - 1);
  std::memcpy(tag->Name, file + length - kept, kept);
  tag->Name[kept] = '\0';
}

void setFreeName(MemTag* tag) { std::memcpy(tag->Name, "Free", 5); }

void fileTag(HeapInfo* heap, MemTag* tag) {
  int f, s;
  classOf(tag->Size, &f, &s);
  tag->FLI = static_cast<uint8_t>(f);
  tag->SLI = static_cast<uint8_t>(s);
  MemTag*& head = heap->FreeList[f][s];
  tag->ListPrev = nullptr;
  tag->ListNext = head;
  if (head) head->ListPrev = tag;
  head = tag;
  heap->SecondLevel[f] |= 1u << s;
  heap->FirstLevel |= 1u << f;
}

void unfileTag(HeapInfo* heap, MemTag* tag) {
  int f = tag->FLI, s = tag->SLI;
  if (tag->ListPrev) tag->ListPrev->ListNext = tag->ListNext;
  else heap->FreeList[f][s] = tag->ListNext;
  if (tag->ListNext) tag->ListNext->ListPrev = tag->ListPrev;
  if (!heap->FreeList[f][s]) {
    heap->SecondLevel[f] &= ~(1u << s);
    if (!heap->SecondLevel[f]) heap->FirstLevel &= ~(1u << f);
  }
}

void unlinkTag(HeapInfo* heap, MemTag* tag) {
  if (tag->Prev) tag->Prev->Next = tag->Next;
  else heap->TagFirst = tag->Next;
  if (tag->Next) tag->Next->Prev = tag->Prev;
  else heap->TagLast = tag->Prev;
}

MemTag* locateTag(void* memory, int isTag, const char16_t* magicMessage) {
  MemTag* tag;
  if (isTag) {
    tag = static_cast<MemTag*>(memory);
  } else {
    auto user = reinterpret_cast<uintptr_t>(memory);
    uint32_t offset = 0;
    if ((user & 15) == 0) std::memcpy(&offset, reinterpret_cast<void*>(user - 4), 4);
    if ((user & 15) != 0 || offset < USER_OFFSET_MIN || offset > 0x7FFFFFFFu || (offset & 15) != 0) {
      LogFormatUtf16(magicMessage);
      return nullptr;
    }
    tag = reinterpret_cast<MemTag*>(user - offset);
  }
  if ((reinterpret_cast<uintptr_t>(tag) & 15) != 0 || std::memcmp(tag->MagicID, "DMEM", 4) != 0) {
    LogFormatUtf16(magicMessage);
    return nullptr;
  }
  return tag;
}

void stamp(HeapInfo* heap, MemTag* tag, const char* file, int line) {
  std::memcpy(tag->MagicID, "DMEM", 4);
  setName(tag, file);
  tag->Flags = static_cast<uint8_t>((tag->Flags & (MEMTAG_FLAG_NEXT | MEMTAG_FLAG_PREV)) | MEMTAG_FLAG_USE |
                                    ((static_cast<unsigned>(line) >> 16) & MEMTAG_FLAG_LINE_HIGH));
  tag->Cached = 0;
  tag->Line = static_cast<uint16_t>(line);
  tag->ID = takeAllocId(heap);
  tag->Time = heapTime(heap);
}

}  // namespace heap_detail

using namespace heap_detail;

namespace {

void appendInUse(HeapInfo* heap, MemTag* tag) {
  tag->ListNext = nullptr;
  tag->ListPrev = heap->UseLast;
  if (heap->UseLast) heap->UseLast->ListNext = tag;
  else heap->UseFirst = tag;
  heap->UseLast = tag;
}

void removeInUse(HeapInfo* heap, MemTag* tag) {
  if (tag->ListPrev) tag->ListPrev->ListNext = tag->ListNext;
  else heap->UseFirst = tag->ListNext;
  if (tag->ListNext) tag->ListNext->ListPrev = tag->ListPrev;
  else heap->UseLast = tag->ListPrev;
}

// Writes a fresh free tag over [at, at + size) and links it after `after` (or at the
// head of the tag list when after is null).
MemTag* makeFreeTag(HeapInfo* heap, uintptr_t at, size_t size, HeapMemInfo* page, MemTag* after) {
  auto* tag = reinterpret_cast<MemTag*>(at);
  std::memset(tag, 0, sizeof(MemTag));
  std::memcpy(tag->MagicID, "DMEM", 4);
  setFreeName(tag);
  tag->ID = peekAllocId(heap);
  tag->Time = heapTime(heap);
  tag->Size = size;
  tag->Heap = heap;
  tag->UseHeapMem = page;
  tag->Prev = after;
  tag->Next = after ? after->Next : heap->TagFirst;
  if (tag->Next) tag->Next->Prev = tag;
  else heap->TagLast = tag;
  if (after) after->Next = tag;
  else heap->TagFirst = tag;
  fillFreeGuards(tag);
  return tag;
}

// Turns the free, filed tag into an in-use block whose user bytes start at user;
// the caller has checked that user + rounded + the back guard fit.
void carve(HeapInfo* heap, MemTag* tag, uintptr_t user, size_t rounded, size_t userSize, const char* file, int line) {
  unfileTag(heap, tag);
  auto tagAddress = reinterpret_cast<uintptr_t>(tag);
  uint32_t offset = static_cast<uint32_t>(user - tagAddress);
  std::memcpy(reinterpret_cast<void*>(user - 4), &offset, 4);
  tag->UserAddress = user;
  tag->UserSize = userSize;
  stamp(heap, tag, file, line);
  appendInUse(heap, tag);
  ++heap->UseTagNum;
  ++tag->UseHeapMem->UseMemTagCount;
  addLive(tag->UseHeapMem, 1);

  uintptr_t rest = (user + rounded + 31) & ~uintptr_t(15);
  uintptr_t end = tagAddress + tag->Size;
  HeapMemInfo* page = tag->UseHeapMem;
  if (end - rest < HEAP_SEARCH_OVERHEAD) {
    --heap->FreeTagNum;
    page->Untouched = std::max(page->Untouched, end);
  } else {
    page->Untouched = std::max(page->Untouched, rest + sizeof(MemTag) + HEAP_GUARD_SIZE);
    MemTag* remainder = makeFreeTag(heap, rest, end - rest, tag->UseHeapMem, tag);
    remainder->Flags = static_cast<uint8_t>(MEMTAG_FLAG_PREV | (tag->Flags & MEMTAG_FLAG_NEXT));
    fileTag(heap, remainder);
    tag->Flags |= MEMTAG_FLAG_NEXT;
    tag->Size = rest - tagAddress;
  }
  fillUseGuards(tag);
  heap->TotalFreeSize -= tag->Size;
  heap->TotalUseSize += tag->Size;
}

// b follows a in the same page; a takes it over.
void absorb(HeapInfo* heap, MemTag* a, MemTag* b) {
  a->Size += b->Size;
  a->Next = b->Next;
  if (b->Next) b->Next->Prev = a;
  else heap->TagLast = a;
  a->Flags = static_cast<uint8_t>((a->Flags & ~MEMTAG_FLAG_NEXT) | (b->Flags & MEMTAG_FLAG_NEXT));
  --heap->FreeTagNum;
}

// Frees an in-use tag and merges it with its free neighbours; returns the free tag
// that holds it now. Without mergeBack the tag keeps its address (reallocation carves
// it again in place).
MemTag* releaseTag(HeapInfo* heap, MemTag* tag, bool mergeBack) {
  --heap->UseTagNum;
  --tag->UseHeapMem->UseMemTagCount;
  ++heap->FreeTagNum;
  heap->TotalUseSize -= tag->Size;
  heap->TotalFreeSize += tag->Size;
  tag->Flags &= static_cast<uint8_t>(~MEMTAG_FLAG_USE);
  setFreeName(tag);
  removeInUse(heap, tag);
  tag->UserAddress = 0;
  tag->UserSize = 0;
  if (mergeBack && (tag->Flags & MEMTAG_FLAG_PREV) && !(tag->Prev->Flags & MEMTAG_FLAG_USE)) {
    MemTag* previous = tag->Prev;
    unfileTag(heap, previous);
    absorb(heap, previous, tag);
    tag = previous;
  }
  if ((tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE)) {
    MemTag* next = tag->Next;
    unfileTag(heap, next);
    absorb(heap, tag, next);
  }
  fillFreeGuards(tag);
  fileTag(heap, tag);
  return tag;
}

MemTag* findFree(HeapInfo* heap, size_t size) {
  int f, s;
  classOf(size, &f, &s);
  if (++s == TLSF_LEVELS) {
    s = 0;
    if (++f == TLSF_LEVELS) return nullptr;
  }
  uint32_t bits = heap->SecondLevel[f] & (~0u << s);
  if (!bits) {
    uint32_t firsts = f + 1 < TLSF_LEVELS ? heap->FirstLevel & (~0u << (f + 1)) : 0;
    if (!firsts) return nullptr;
    f = std::countr_zero(firsts);
    bits = heap->SecondLevel[f];
  }
  return heap->FreeList[f][std::countr_zero(bits)];
}

bool classAbove(size_t a, size_t b) {
  int fa, sa, fb, sb;
  classOf(a, &fa, &sa);
  classOf(b, &fb, &sb);
  return fa > fb || (fa == fb && sa > sb);
}

size_t resolveAlignment(const HeapInfo* heap, size_t alignment) {
  if (alignment == 0) return heap->Aligned;
  return std::bit_ceil(std::max<size_t>(alignment, 16));
}

size_t roundUp(size_t value, size_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

void releasePageIfEmpty(HeapInfo* heap, HeapMemInfo* page);

// How many blocks of each class may be held.
constexpr auto HELD_LIMIT = [] {
  struct Limits {
    int count[HEAP_HELD_CLASSES];
  } limits{};
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c)
    limits.count[c] = static_cast<int>(HEAP_HELD_CLASS_BYTES / heldBlockSize(c));
  return limits;
}();

bool holdable(const HeapInfo* heap, const MemTag* tag) {
  return heap->HoldFreed && standardLayout(tag) &&
         heap->HeldCount[heldClass(tag->UserSize)] < HELD_LIMIT.count[heldClass(tag->UserSize)];
}

// Held lists are linked both ways, so that a page can take its own blocks back.
void hold(HeapInfo* heap, MemTag* tag) {
  int c = heldClass(tag->UserSize);
  removeInUse(heap, tag);
  tag->Flags |= MEMTAG_FLAG_HELD;
  tag->ListPrev = nullptr;
  tag->ListNext = heap->Held[c];
  if (tag->ListNext) tag->ListNext->ListPrev = tag;
  heap->Held[c] = tag;
  ++heap->HeldCount[c];
  ++heap->HeldTagNum;
  ++tag->UseHeapMem->HeldTagCount;
}

void unhold(HeapInfo* heap, MemTag* tag) {
  int c = heldClass(tag->UserSize);
  if (tag->ListPrev) tag->ListPrev->ListNext = tag->ListNext;
  else heap->Held[c] = tag->ListNext;
  if (tag->ListNext) tag->ListNext->ListPrev = tag->ListPrev;
  --heap->HeldCount[c];
  --heap->HeldTagNum;
  --tag->UseHeapMem->HeldTagCount;
}

// Hands out the last held block of the class, stamped for its new owner; the front
// guard and the offset word were checked when it was freed and are unchanged.
void* reuseHeld(HeapInfo* heap, int c, size_t size, const char* file, int line) {
  MemTag* tag = heap->Held[c];
  heap->Held[c] = tag->ListNext;
  if (tag->ListNext) tag->ListNext->ListPrev = nullptr;
  --heap->HeldCount[c];
  --heap->HeldTagNum;
  --tag->UseHeapMem->HeldTagCount;
  tag->UserSize = size;
  stamp(heap, tag, file, line);
  appendInUse(heap, tag);
  fillStandardBackGuard(tag);
  addLive(tag->UseHeapMem, 1);
  return reinterpret_cast<void*>(tag->UserAddress);
}

// A held block back to the free lists, merged with its free neighbours; returns the
// free tag that holds it now.
MemTag* unholdAndRelease(HeapInfo* heap, MemTag* tag) {
  tag->Flags &= static_cast<uint8_t>(~MEMTAG_FLAG_HELD);
  appendInUse(heap, tag);
  return releaseTag(heap, tag, true);
}

void releaseHeld(HeapInfo* heap) {
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c) {
    while (MemTag* tag = heap->Held[c]) {
      HeapMemInfo* page = tag->UseHeapMem;
      unhold(heap, tag);
      unholdAndRelease(heap, tag);
      releasePageIfEmpty(heap, page);
    }
    heap->HeldCount[c] = 0;
  }
  heap->HeldTagNum = 0;
}

// With zero the user bytes are cleared, except those the page has never had written.
void* allocTlsf(HeapInfo* heap, size_t size, size_t alignment, const char* file, int line, bool zero) {
  size_t rounded = roundUp(size, alignment);
  size_t search = roundUp(rounded + HEAP_SEARCH_OVERHEAD + alignment, alignment);
  MemTag* tag;
  bool cachesFlushed = !heap->ThreadCached;
  while (!(tag = findFree(heap, search))) {
    // Held and cached blocks go back first: merged, they may hold the room. The caches
    // go back once per request, as their threads may keep filling them.
    if (!cachesFlushed) {
      cachesFlushed = true;
      CachesStopped stopped(heap);
      cachesFlushAll(heap);
    }
    if (heap->HeldTagNum != 0) {
      releaseHeld(heap);
      continue;
    }
    if (!heap->AutoGrow) return nullptr;
    // Grow from the search size, not the request, so that the new page's free tag
    // always lies in a class the search looks at.
    size_t grow = search;
    do grow += std::max<size_t>(0x100000, grow / 100);
    while (!classAbove(grow, search));
    if (AddHeapMemory(heap, nullptr, heap->AutoGrowUnit + grow) != 0) return nullptr;
  }
  auto tagAddress = reinterpret_cast<uintptr_t>(tag);
  uintptr_t user = roundUp(tagAddress + USER_OFFSET_MIN, alignment);
  if (user + rounded + HEAP_GUARD_SIZE > tagAddress + tag->Size) {
    LogFormatUtf16(u"TLSF カテゴリ構造エラー 2  MemTag->Size %d", static_cast<int>(tag->Size));
    return nullptr;
  }
  const uintptr_t untouched = tag->UseHeapMem->Untouched;
  carve(heap, tag, user, rounded, size, file, line);
  if (zero && untouched > user) std::memset(reinterpret_cast<void*>(user), 0, std::min<size_t>(size, untouched - user));
  return reinterpret_cast<void*>(user);
}

// A page whose blocks are all free or held goes back: its held blocks are taken off
// their lists first, so that holding never keeps memory the program has let go of.
void releasePageIfEmpty(HeapInfo* heap, HeapMemInfo* page) {
  if (!(page->Flags & HEAPMEM_FLAG_CALLBACK)) return;
  if (page->UseMemTagCount != 0 && page->UseMemTagCount == page->HeldTagCount) {
    for (MemTag* tag = page->FirstTag;; tag = tag->Next) {
      if (tag->Flags & MEMTAG_FLAG_HELD) {
        unhold(heap, tag);
        tag = unholdAndRelease(heap, tag);
      }
      if (!(tag->Flags & MEMTAG_FLAG_NEXT)) break;
    }
  }
  if (page->UseMemTagCount == 0) subPageLocked(heap, page);
}

// The owner lets go of a live block that is about to be retired or released: when it
// was the last one its owners held on the page, the threads' caches give back the
// page's blocks they keep, so that the page goes back with this one.
void letGo(HeapInfo* heap, MemTag* tag) {
  if (addLive(tag->UseHeapMem, -1) <= 0) cachesGiveBackPage(heap, tag->UseHeapMem);
}

}  // namespace

int InitializeHeap(HeapInfo* heap, int kind, size_t aligned, int autoGrow, size_t autoGrowUnit,
                   const HeapPageCallbacks* callbacks, void* callbackParam, void* memory, size_t memorySize) {
  if (kind != HEAP_KIND_TLSF || (aligned & 15) != 0) return -1;
  std::memset(static_cast<void*>(heap), 0, sizeof *heap);
  heap->Kind = kind;
  heap->Aligned = aligned == 0 ? 16 : std::bit_ceil(aligned);
  heap->AutoGrow = autoGrow;
  heap->AutoGrowUnit = autoGrowUnit;
  heap->CallbackParam = callbackParam;
  if (callbacks) heap->Callbacks = *callbacks;
  CriticalSection_Initialize(&heap->Lock);
  if (memory && AddHeapMemory(heap, memory, memorySize) != 0) {
    CriticalSection_Delete(&heap->Lock);
    return -1;
  }
  return 0;
}

int TerminateHeap(HeapInfo* heap) {
  for (HeapMemInfo* page = heap->PageList; page;) {
    HeapMemInfo* next = page->NextPage;
    if (page->Flags & HEAPMEM_FLAG_CALLBACK) {
      HeapPageDescriptor descriptor = page->Page;
      heap->Callbacks.Free(heap->CallbackParam, &descriptor);
    }
    page = next;
  }
  CriticalSection_Delete(&heap->Lock);
  std::memset(static_cast<void*>(heap), 0, sizeof *heap);
  return 0;
}

int AddHeapMemory(HeapInfo* heap, void* memory, size_t size) {
  HeapLock hold(heap);
  HeapPageDescriptor descriptor{};
  uint32_t flags = 0;
  if (memory) {
    if (size == 0) return -1;
    auto start = roundUp(reinterpret_cast<uintptr_t>(memory), 16);
    auto end = (reinterpret_cast<uintptr_t>(memory) + size) & ~uintptr_t(15);
    size_t usable = end > start ? end - start : 0;
    if (usable < HEAP_MIN_SIZE) {
      LogFormatUtf16(u"ヒープのサイズ( %dbyte )が小さすぎます、最低でも %dbyte 必要です", static_cast<int>(usable),
                     static_cast<int>(HEAP_MIN_SIZE));
      return -1;
    }
    descriptor.Address = memory;
    descriptor.Size = size;
  } else {
    if (!heap->AutoGrow) return -1;
    size = roundUp(std::max(size, heap->AutoGrowUnit) + 16, 16);
    if (size < HEAP_MIN_SIZE) {
      LogFormatUtf16(u"ヒープの自動確保サイズ( %dbyte )が小さすぎます、最低でも %dbyte 必要です",
                     static_cast<int>(size), static_cast<int>(HEAP_MIN_SIZE));
      return -1;
    }
    if (heap->Callbacks.Alloc(heap->CallbackParam, &descriptor, size) != 0) {
      LogFormatUtf16(u"ヒープ用メモリの確保に失敗しました");
      return -1;
    }
    descriptor.Address = heap->Callbacks.GetAddress(heap->CallbackParam, &descriptor);
    descriptor.Size = heap->Callbacks.GetSize(heap->CallbackParam, &descriptor);
    flags = HEAPMEM_FLAG_CALLBACK;
  }

  auto start = roundUp(reinterpret_cast<uintptr_t>(descriptor.Address), 16);
  auto end = (reinterpret_cast<uintptr_t>(descriptor.Address) + descriptor.Size) & ~uintptr_t(15);
  // A free tag's class must fit 32 levels.
  end = std::min<uintptr_t>(end, start + 0xFFFFFFF0u);
  auto* page = reinterpret_cast<HeapMemInfo*>(start);
  std::memset(static_cast<void*>(page), 0, sizeof *page);
  page->PageSize = descriptor.Size;
  page->PageAddress = descriptor.Address;
  page->AlignedAddress = start;
  page->UseSize = end - start;
  page->FirstTagAddress = roundUp(start + sizeof(HeapMemInfo), 16);
  page->FirstTagSize = end - page->FirstTagAddress;
  page->Flags = flags;
  page->Page = descriptor;
  page->NextPage = heap->PageList;
  if (heap->PageList) heap->PageList->PrevPage = page;
  heap->PageList = page;

  const bool zeroed = flags == HEAPMEM_FLAG_CALLBACK && heap->Callbacks.PagesZeroed;
  page->Untouched = zeroed ? page->FirstTagAddress + sizeof(MemTag) + HEAP_GUARD_SIZE : end;
  MemTag* tag = makeFreeTag(heap, page->FirstTagAddress, page->FirstTagSize, page, nullptr);
  page->FirstTag = tag;
  ++heap->FreeTagNum;
  heap->TotalFreeSize += tag->Size;
  fileTag(heap, tag);
  return 0;
}

namespace heap_detail {

int subPageLocked(HeapInfo* heap, HeapMemInfo* page) {
  MemTag* tag = page->FirstTag;
  if (page->UseMemTagCount != 0) {
    LogFormatUtf16(
        u"SubHeapMemory Error : 使用しているメモリタグがある状態でヒープメモリを外そうとしました  "
        u"HeapMemInfo->UseMemTagCount:%d",
        page->UseMemTagCount);
    return -1;
  }
  if (tag->Flags & MEMTAG_FLAG_USE) {
    LogFormatUtf16(u"SubHeapMemory Error : ヒープメモリを使用している先頭タグが使用メモリタグでした");
    return -1;
  }
  if (tag->UseHeapMem != page) {
    LogFormatUtf16(
        u"SubHeapMemory Error : ヒープメモリを使用している先頭タグが使用しているヒープメモリ情報と一致しません "
        u"MemTag->UseHeapMem:0x%016llx  HeapMemInfo:0x%016llx",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(tag->UseHeapMem)),
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(page)));
    return -1;
  }
  if (tag->Flags & MEMTAG_FLAG_NEXT) {
    LogFormatUtf16(u"SubHeapMemory Error : ヒープメモリを使用している使用メモリタグが二つ以上あります");
    return -1;
  }
  unfileTag(heap, tag);
  unlinkTag(heap, tag);
  heap->TotalFreeSize -= tag->Size;
  --heap->FreeTagNum;
  if (page->PrevPage) page->PrevPage->NextPage = page->NextPage;
  else heap->PageList = page->NextPage;
  if (page->NextPage) page->NextPage->PrevPage = page->PrevPage;
  if (page->Flags & HEAPMEM_FLAG_CALLBACK) {
    HeapPageDescriptor descriptor = page->Page;
    heap->Callbacks.Free(heap->CallbackParam, &descriptor);
  }
  return 0;
}

}  // namespace heap_detail

int SubHeapMemory(HeapInfo* heap, void* pageAddress) {
  HeapLock hold(heap);
  auto* page = reinterpret_cast<HeapMemInfo*>(roundUp(reinterpret_cast<uintptr_t>(pageAddress), 16));
  return subPageLocked(heap, page);
}

namespace heap_detail {

void* allocLocked(HeapInfo* heap, size_t size, size_t alignment, const char* file, int line, bool zero) {
  if (size == 0 || size > MAX_REQUEST) return nullptr;
  size_t align = resolveAlignment(heap, alignment);
  if (size <= HEAP_HELD_MAX_REQUEST && align == 16) {
    int c = heldClass(size);
    if (heap->Held[c]) {
      void* memory = reuseHeld(heap, c, size, file, line);
      if (memory && zero) std::memset(memory, 0, size);
      return memory;
    }
  }
  return allocTlsf(heap, size, align, file, line, zero);
}

int freeLocked(HeapInfo* heap, MemTag* tag, size_t* freedUserSize) {
  *freedUserSize = 0;
  if (!guardsChecked(tag, u"FreeMemory")) return -1;
  if (!liveBlock(tag)) {
    LogFormatUtf16(u"FreeMemory Error : 解放済みのメモリに対して再度解放しようとしました");
    DumpMemTag(tag, 1);
    return -1;
  }
  *freedUserSize = tag->UserSize;
  letGo(heap, tag);
  retireLocked(heap, tag);
  return 0;
}

void retireLocked(HeapInfo* heap, MemTag* tag) {
  HeapMemInfo* page = tag->UseHeapMem;
  if (holdable(heap, tag)) {
    hold(heap, tag);
    if (page->HeldTagCount == page->UseMemTagCount) releasePageIfEmpty(heap, page);
    return;
  }
  releaseTag(heap, tag, true);
  releasePageIfEmpty(heap, page);
}

MemTag* unholdLastLocked(HeapInfo* heap, int c) {
  MemTag* tag = heap->Held[c];
  if (!tag) return nullptr;
  unhold(heap, tag);
  tag->Flags &= static_cast<uint8_t>(~MEMTAG_FLAG_HELD);
  appendInUse(heap, tag);
  return tag;
}

}  // namespace heap_detail

void* AllocMemory(HeapInfo* heap, size_t size, size_t alignment, int, const char* file, int line) {
  HeapLock hold(heap);
  return allocLocked(heap, size, alignment, file, line);
}

int FreeMemoryBase(void* memory, int isTag, size_t* freedUserSize) {
  *freedUserSize = 0;
  if (!memory) return 0;
  MemTag* tag = locateTag(memory, isTag,
                          u"FreeMemory Error : メモリタグの MagicID "
                          u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
  if (!tag) return -1;
  HeapLock hold(tag->Heap);
  return freeLocked(tag->Heap, tag, freedUserSize);
}

int FreeMemory(void* memory, int isTag) {
  size_t freed;
  return FreeMemoryBase(memory, isTag, &freed);
}

long long GetAllocSize(void* memory, int isTag) {
  MemTag* tag = locateTag(memory, isTag,
                          u"GetAllocSize Error : メモリタグの MagicID "
                          u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
  if (!tag) return -1;
  HeapLock hold(tag->Heap);
  if (!liveBlock(tag)) {
    LogFormatUtf16(u"GetAllocSize Error : 解放済みのメモリに対して確保メモリサイズの取得を行おうとしました");
    return -1;
  }
  return static_cast<long long>(tag->UserSize);
}

void* ReallocMemoryBase(void* memory, int isTag, size_t size, size_t alignment, const char* file, int line,
                        size_t* oldUserSize) {
  *oldUserSize = 0;
  if (!memory) return nullptr;
  MemTag* tag = locateTag(memory, isTag,
                          u"ReallocMemory Error : メモリタグの MagicID "
                          u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
  if (!tag || size == 0 || size > MAX_REQUEST) return nullptr;
  HeapInfo* heap = tag->Heap;
  HeapLock hold(heap);
  // Checked before the same-size shortcut, so that a freed block is never revived.
  if (!guardsChecked(tag, u"ReallocMemory")) return nullptr;
  if (!liveBlock(tag)) {
    LogFormatUtf16(u"ReallocMemory Error : 解放済みのメモリに対して再確保をしようとしました");
    DumpMemTag(tag, 1);
    return nullptr;
  }
  *oldUserSize = tag->UserSize;
  uintptr_t user = tag->UserAddress;
  if (size == tag->UserSize) {
    stamp(heap, tag, file, line);
    return reinterpret_cast<void*>(user);
  }
  size_t align = resolveAlignment(heap, alignment);
  size_t rounded = roundUp(size, align);
  if ((user & (align - 1)) == 0) {
    auto tagAddress = reinterpret_cast<uintptr_t>(tag);
    size_t room = tagAddress + tag->Size - HEAP_GUARD_SIZE - user;
    if ((tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE)) room += tag->Next->Size;
    if (rounded <= room) {
      addLive(tag->UseHeapMem, -1);  // carved again at once
      releaseTag(heap, tag, false);
      carve(heap, tag, user, rounded, size, file, line);
      return reinterpret_cast<void*>(user);
    }
  }
  void* moved = allocLocked(heap, size, align, file, line);
  if (!moved) return nullptr;
  std::memcpy(moved, reinterpret_cast<void*>(user), std::min(tag->UserSize, size));
  HeapMemInfo* page = tag->UseHeapMem;
  letGo(heap, tag);
  releaseTag(heap, tag, true);
  releasePageIfEmpty(heap, page);
  return moved;
}

void* ReallocMemory(void* memory, int isTag, size_t size, size_t alignment, const char* file, int line) {
  size_t old;
  return ReallocMemoryBase(memory, isTag, size, alignment, file, line, &old);
}

int ReleaseHeldMemory(HeapInfo* heap) {
  HeapLock hold(heap);
  if (heap->ThreadCached) {
    CachesStopped stopped(heap);
    cachesFlushAll(heap);
  }
  releaseHeld(heap);
  return 0;
}

int SetHeapTime(HeapInfo* heap, uint16_t seconds) {
  HeapLock hold(heap);
  std::atomic_ref<uint16_t>(heap->Time).store(seconds, std::memory_order_relaxed);
  return 0;
}

MemTag* UserToMemTag(void* memory) {
  uint32_t offset;
  std::memcpy(&offset, static_cast<uint8_t*>(memory) - 4, 4);
  return reinterpret_cast<MemTag*>(static_cast<uint8_t*>(memory) - offset);
}

}  // namespace ZaDod
