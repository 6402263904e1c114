// Consistency check and dumps of the heap: the check walks every list and bitmap,
// recounts, and names the first damaged field.
#include <algorithm>
#include <bit>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/format.h"
#include "media/base/heap_internal.h"
#include "media/base/log.h"
#include "media/base/media_heap.h"

namespace ZaDod {

using namespace heap_detail;

namespace {

unsigned long long address(const void* p) { return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)); }

int fail(const MemTag* tag, const char16_t* message) {
  LogFormatUtf16(message);
  if (tag) DumpMemTag(const_cast<MemTag*>(tag), 1);
  return -1;
}

bool insidePage(const MemTag* tag) {
  const HeapMemInfo* page = tag->UseHeapMem;
  auto at = reinterpret_cast<uintptr_t>(tag);
  return page && at >= page->FirstTagAddress && tag->Size <= page->FirstTagAddress + page->FirstTagSize - at;
}

int checkTagList(HeapInfo* heap, int* freeCount) {
  unsigned long long total = 0;
  *freeCount = 0;
  for (MemTag* tag = heap->TagFirst; tag; tag = tag->Next) {
    if (std::memcmp(tag->MagicID, "DMEM", 4) != 0)
      return fail(nullptr,
                  u"HeapErrorCheck Error : メモリタグの MagicID "
                  u"が不正です、誤ったメモリアドレスが渡されたか、メモリが破壊されています");
    if (!insidePage(tag))
      return fail(
          tag,
          u"HeapErrorCheck Error : メモリタグが確保したヒープメモリの範囲にありません  Heap->UseSeparateInfo = FALSE");
    if (!guardsIntact(tag))
      return fail(tag,
                  u"HeapErrorCheck Error : "
                  u"デバッグ領域の破壊を確認しました、メモリの不正なアクセスが発生したことが考えられます");
    if ((reinterpret_cast<uintptr_t>(tag) & 15) != 0 || (tag->Size & 15) != 0)
      return fail(tag, u"HeapErrorCheck Error : メモリタグのアラインが不正です  Heap->UseSeparateInfo = FALSE");
    auto at = reinterpret_cast<uintptr_t>(tag);
    if ((tag->Flags & MEMTAG_FLAG_PREV) &&
        (!tag->Prev || reinterpret_cast<uintptr_t>(tag->Prev) + tag->Prev->Size != at)) {
      LogFormatUtf16(
          u"HeapErrorCheck Error : メモリタグの連結情報が不正です  ( MemTag->Prev + MemTag->Prev->Size ):0x%016llx  "
          u"MemTag:0x%016llx",
          tag->Prev ? address(tag->Prev) + tag->Prev->Size : 0ull, address(tag));
      return -1;
    }
    if ((tag->Flags & MEMTAG_FLAG_NEXT) && reinterpret_cast<uintptr_t>(tag->Next) != at + tag->Size) {
      LogFormatUtf16(
          u"HeapErrorCheck Error : メモリタグの連結情報が不正です  MemTag->Next:0x%016llx  ( MemTag + MemTag->Size "
          u"):0x%016llx",
          address(tag->Next), address(tag) + tag->Size);
      return -1;
    }
    if (!(tag->Flags & MEMTAG_FLAG_USE)) {
      ++*freeCount;
      if ((tag->Flags & MEMTAG_FLAG_PREV) && !(tag->Prev->Flags & MEMTAG_FLAG_USE))
        return fail(tag, u"HeapErrorCheck Error : 空きメモリタグが下位メモリアドレス方向に連続しています");
      if ((tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE))
        return fail(tag, u"HeapErrorCheck Error : 空きメモリタグが上位メモリアドレス方向に連続しています");
    }
    total += tag->Size;
  }
  unsigned long long accounted = heap->TotalUseSize + heap->TotalFreeSize;
  if (total != accounted) {
    LogFormatUtf16(
        u"HeapErrorCheck Error : 総メモリサイズが一致しません  TotalSize:%lld   ( Heap->TotalUseSize + "
        u"Heap->TotalFreeSize ):%lld",
        static_cast<long long>(total), static_cast<long long>(accounted));
    return -1;
  }
  unsigned long long pages = 0;
  for (HeapMemInfo* page = heap->PageList; page; page = page->NextPage) pages += page->FirstTagSize;
  if (total != pages) {
    LogFormatUtf16(u"HeapErrorCheck Error : 総メモリサイズが一致しません  TotalSize:%lld   TotalSize2:%lld",
                   static_cast<long long>(total), static_cast<long long>(pages));
    return -1;
  }
  return 0;
}

// Held blocks are in use for the heap but on their class lists, not the in-use list.
int checkHeldLists(HeapInfo* heap, int* count, unsigned long long* size) {
  *count = 0;
  *size = 0;
  for (int c = 0; c < HEAP_HELD_CLASSES; ++c) {
    int inClass = 0;
    for (MemTag* tag = heap->Held[c]; tag && inClass <= heap->HeldCount[c]; tag = tag->ListNext, ++inClass) {
      if ((tag->Flags & (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD)) != (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD) ||
          tag->Heap != heap || static_cast<int>((tag->UserSize + 15) >> 4) - 1 != c)
        return fail(tag, u"HeapErrorCheck Error : 保留メモリタグのリストが不正です");
      *size += tag->Size;
    }
    if (inClass != heap->HeldCount[c]) return fail(nullptr, u"HeapErrorCheck Error : 保留メモリタグのリストが不正です");
    *count += inClass;
  }
  if (*count != heap->HeldTagNum) return fail(nullptr, u"HeapErrorCheck Error : 保留メモリタグのリストが不正です");
  return 0;
}

int checkInUseList(HeapInfo* heap) {
  int count = 0;
  unsigned long long size = 0;
  if (checkHeldLists(heap, &count, &size) != 0) return -1;
  for (MemTag* tag = heap->UseFirst; tag; tag = tag->ListNext) {
    if ((tag->Flags & (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD)) != MEMTAG_FLAG_USE)
      return fail(tag, u"HeapErrorCheck Error : 使用メモリタグのリストの中に空きメモリタグがありました");
    if ((tag->UserAddress & (heap->Aligned - 1)) != 0) {
      LogFormatUtf16(
          u"HeapErrorCheck Error : ユーザーメモリのアラインが指定されたアラインと異なります  "
          u"MemTag->UserAddress:0x%016llx  Heap->Aligned:0x%08x",
          static_cast<unsigned long long>(tag->UserAddress), static_cast<unsigned>(heap->Aligned));
      return -1;
    }
    auto at = reinterpret_cast<uintptr_t>(tag);
    if (tag->UserAddress < at + USER_OFFSET_MIN || tag->UserSize > at + tag->Size - HEAP_GUARD_SIZE - tag->UserAddress)
      return fail(tag,
                  u"HeapErrorCheck Error : ユーザーメモリが確保したヒープメモリの範囲にありません  "
                  u"Heap->UseSeparateInfo = FALSE");
    ++count;
    size += tag->Size;
  }
  if (count != heap->UseTagNum) {
    LogFormatUtf16(u"HeapErrorCheck Error : 使用メモリタグの数が一致しません  UseNum:%d  Heap->UseTagNum:%d", count,
                   heap->UseTagNum);
    return -1;
  }
  if (size != heap->TotalUseSize) {
    LogFormatUtf16(
        u"HeapErrorCheck Error : 使用メモリのサイズが一致しません  TotalUseSize:%lld  Heap->TotalUseSize:%lld",
        static_cast<long long>(size), static_cast<long long>(heap->TotalUseSize));
    return -1;
  }
  return 0;
}

int checkFreeLists(HeapInfo* heap, int tagListFreeCount) {
  int count = 0;
  unsigned long long size = 0;
  for (int i = 0; i < TLSF_LEVELS; ++i) {
    if (((heap->FirstLevel >> i) & 1) != (heap->SecondLevel[i] != 0 ? 1u : 0u))
      return fail(nullptr, u"HeapErrorCheck Error : TLSFエラー　　カテゴリ１テーブルエラー");
    for (int j = 0; j < TLSF_LEVELS; ++j) {
      if (((heap->SecondLevel[i] >> j) & 1) != (heap->FreeList[i][j] != nullptr ? 1u : 0u))
        return fail(nullptr, u"HeapErrorCheck Error : TLSFエラー　　カテゴリ２テーブルエラー");
      for (MemTag* tag = heap->FreeList[i][j]; tag; tag = tag->ListNext) {
        if (tag->Flags & MEMTAG_FLAG_USE)
          return fail(tag,
                      u"HeapErrorCheck Error : TLSFエラー　　空きメモリタグリストに使用メモリタグが含まれていました");
        int msb, sli;
        classOf(tag->Size, &msb, &sli);
        if (msb != i || sli != j) {
          LogFormatUtf16(u"HeapErrorCheck Error : TLSFエラー　　空きメモリタグサイズエラー  MSB:%d  i:%d  SLI:%d  j:%d",
                         msb, i, sli, j);
          return -1;
        }
        if (tag->FLI != msb || tag->SLI != sli) {
          LogFormatUtf16(
              u"HeapErrorCheck Error : TLSFエラー　　空きメモリタグカテゴリ情報エラー  MemTag->FLI:%d  MSB:%d  "
              u"MemTag->SLI:%d  SLI:%d",
              tag->FLI, msb, tag->SLI, sli);
          return -1;
        }
        ++count;
        size += tag->Size;
      }
    }
  }
  if (count != heap->FreeTagNum || count != tagListFreeCount) {
    LogFormatUtf16(u"HeapErrorCheck Error : 空きメモリタグの数が一致しません  FreeNum:%d  Heap->FreeTagNum:%d", count,
                   heap->FreeTagNum);
    return -1;
  }
  if (size != heap->TotalFreeSize) {
    LogFormatUtf16(
        u"HeapErrorCheck Error : 空きメモリのサイズが一致しません  TotalFreeSize:%lld  Heap->TotalFreeSize:%lld",
        static_cast<long long>(size), static_cast<long long>(heap->TotalFreeSize));
    return -1;
  }
  return 0;
}

}  // namespace

int HeapErrorCheck(HeapInfo* heap) {
  HeapLock hold(heap);
  CachesStopped stopped(heap);
  int freeCount;
  if (checkTagList(heap, &freeCount) != 0) return -1;
  if (checkInUseList(heap) != 0) return -1;
  return checkFreeLists(heap, freeCount);
}

// Cached blocks are freed for their owners and are not listed.
int HeapDump(HeapInfo* heap) {
  HeapLock hold(heap);
  CachesStopped stopped(heap);
  for (MemTag* tag = heap->UseFirst; tag; tag = tag->ListNext)
    if (!tag->Cached) DumpMemTag(tag, 1);
  return 0;
}

int DumpMemTag(void* memory, int isTag) {
  const MemTag* tag = isTag ? static_cast<MemTag*>(memory) : UserToMemTag(memory);
  // Sizes print as 32-bit numbers.
  auto size = static_cast<uint32_t>(tag->Size);
  auto userSize = static_cast<uint32_t>(tag->UserSize);
  char name[sizeof tag->Name];
  std::memcpy(name, tag->Name, sizeof name);
  name[sizeof name - 1] = '\0';
  int line = tag->Line | ((tag->Flags & MEMTAG_FLAG_LINE_HIGH) << 16);
  // The layer's own engine, so that the process locale cannot change the decimal point.
  char text[320];
  CharCode_SNPrintf(CodePageShiftJis, 0, CodePageShiftJis, CodePageUtf16LE, text, 240,
                    "\tsize:%10d(%10.3fkb)  user size:%10d(%10.3fkb)  time:%05d  file:%-26s  line:%-6d  ID:%-5d  "
                    "addr:%08x  data:[",
                    static_cast<int>(size), size / 1024.0, static_cast<int>(userSize), userSize / 1024.0, tag->Time,
                    name, line, tag->ID, static_cast<unsigned>(tag->UserAddress));
  size_t length = std::strlen(text);
  size_t shown = tag->UserAddress ? std::min<size_t>(tag->UserSize, 16) : 0;
  auto* data = reinterpret_cast<const uint8_t*>(tag->UserAddress);
  for (size_t i = 0; i < shown; ++i, length += 3)
    CharCode_SNPrintf(CodePageShiftJis, 0, CodePageShiftJis, CodePageUtf16LE, text + length, 4, "%02x ", data[i]);
  if (shown) --length;  // the last blank becomes the closing bracket
  std::memcpy(text + length, "]\n", 3);
  LogAddTextCp932(text);
  return 0;
}

}  // namespace ZaDod
