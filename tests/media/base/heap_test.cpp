// Tests of media/base/media_heap: the heaps of the media layer.
#include "media/base/media_heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "heap_testing.h"
#include "platform/win/virtual_memory.h"

using namespace ZaDod;
using heap_testing::LogRecorder;

namespace {

struct PrivateHeap : ::testing::Test {
  HeapInfo heap;
  LogRecorder log;
  void SetUp() override { ASSERT_EQ(InitializeHeap(&heap, HEAP_KIND_TLSF, 0, 1, 0x400000, &HeapPageFunctions, nullptr, nullptr, 0), 0); }
  void TearDown() override { TerminateHeap(&heap); }
};

}  // namespace

TEST_F(PrivateHeap, LastBlockOfAPageReturnsThePage) {
  auto regions = plat::win::VirtualRegionCountForTest();
  void* block = AllocMemory(&heap, 1000, 0, 0, "a.cpp", 1);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(plat::win::VirtualRegionCountForTest(), regions + 1);
  EXPECT_GE(heap.PageList->UseSize, size_t(0x400000));
  EXPECT_EQ(FreeMemory(block, 0), 0);
  EXPECT_EQ(plat::win::VirtualRegionCountForTest(), regions);
  EXPECT_EQ(heap.PageList, nullptr);
  EXPECT_EQ(heap.TotalFreeSize, 0u);
  block = AllocMemory(&heap, 1000, 0, 0, "a.cpp", 2);
  EXPECT_EQ(plat::win::VirtualRegionCountForTest(), regions + 1);
  EXPECT_EQ(HeapErrorCheck(&heap), 0);
  FreeMemory(block, 0);
}

// Freed small blocks are held for the next request of their size, yet a page whose
// blocks are all free or held still goes back, and the held lists stay whole.
TEST_F(PrivateHeap, HeldBlocksDoNotKeepTheirPage) {
  heap.HoldFreed = 1;
  auto pages = [&] { return heap_testing::pageCount(&heap); };
  const auto regions = plat::win::VirtualRegionCountForTest();
  // The only block of a page, of each held size class, and then mixed classes freed
  // in an order that leaves held and plain-freed blocks between each other.
  for (int round = 0; round < 3; ++round) {
    for (size_t size : {size_t(16), size_t(100), size_t(256)}) {
      void* only = AllocMemory(&heap, size, 0, 0, "one.cpp", 1);
      ASSERT_NE(only, nullptr);
      EXPECT_EQ(pages(), 1);
      EXPECT_EQ(FreeMemory(only, 0), 0);
      EXPECT_EQ(pages(), 0) << size;
      EXPECT_EQ(heap.HeldTagNum, 0);
    }
    std::vector<void*> blocks;
    for (int i = 0; i < 300; ++i) blocks.push_back(AllocMemory(&heap, 16 + (i * 37) % 600, 0, 0, "mix.cpp", i));
    void* keep = AllocMemory(&heap, 40, 0, 0, "keep.cpp", 1);
    for (std::size_t i = 0; i < blocks.size(); i += 2) FreeMemory(blocks[i], 0);
    EXPECT_GT(heap.HeldTagNum, 0);
    for (std::size_t i = 1; i < blocks.size(); i += 2) FreeMemory(blocks[i], 0);
    // One block in use keeps the page, and the held blocks with it, for reuse.
    EXPECT_EQ(pages(), 1);
    EXPECT_GT(heap.HeldTagNum, 0);
    EXPECT_EQ(HeapErrorCheck(&heap), 0);
    EXPECT_TRUE(heap_testing::heapShapeIsSound(&heap));
    void* reused = AllocMemory(&heap, 16, 0, 0, "again.cpp", 1);
    FreeMemory(keep, 0);
    EXPECT_EQ(pages(), 1);
    FreeMemory(reused, 0);
    EXPECT_EQ(pages(), 0);
    EXPECT_EQ(heap.HeldTagNum, 0);
    EXPECT_EQ(heap.UseTagNum, 0);
    EXPECT_EQ(plat::win::VirtualRegionCountForTest(), regions);
  }
}

TEST_F(PrivateHeap, GrowsAPageLargeEnoughForAnyRequest) {
  // Just below a class boundary, where the search size crosses into the next class.
  for (size_t size : {size_t(0x400000 - 64), size_t(0x1000000), size_t(0x3FFFFF0)}) {
    void* block = AllocMemory(&heap, size, 0, 0, "big.cpp", 1);
    ASSERT_NE(block, nullptr) << size;
    std::memset(block, 1, size);
    EXPECT_EQ(HeapErrorCheck(&heap), 0);
    FreeMemory(block, 0);
  }
  EXPECT_EQ(AllocMemory(&heap, 0, 0, 0, "zero.cpp", 1), nullptr);
  EXPECT_EQ(AllocMemory(&heap, 0x80000000u, 0, 0, "huge.cpp", 1), nullptr);
}

TEST_F(PrivateHeap, LayoutFollowsTheTagSize) {
  void* a = AllocMemory(&heap, 1, 0, 0, "x", 1);
  MemTag* tag = UserToMemTag(a);
  size_t userOffset = (sizeof(MemTag) + HEAP_GUARD_SIZE + 4 + 15) & ~size_t(15);
  EXPECT_EQ(static_cast<uint8_t*>(a) - reinterpret_cast<uint8_t*>(tag), static_cast<ptrdiff_t>(userOffset));
  EXPECT_EQ(std::memcmp(tag->MagicID, "DMEM", 4), 0);
  EXPECT_EQ(tag->UserSize, 1u);
  EXPECT_EQ(tag->Size, userOffset + 16 + HEAP_GUARD_SIZE);
  // The next block starts right behind this one's back guard.
  void* b = AllocMemory(&heap, 1, 0, 0, "x", 1);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(UserToMemTag(b)), reinterpret_cast<uint8_t*>(tag) + tag->Size);
  void* aligned = AllocMemory(&heap, 10, 4096, 0, "x", 1);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 4096, 0u);
  EXPECT_EQ(HeapErrorCheck(&heap), 0);
  FreeMemory(a, 0);
  FreeMemory(aligned, 0);
  FreeMemory(b, 0);
}

TEST_F(PrivateHeap, ErrorCheckNamesDamage) {
  void* a = AllocMemory(&heap, 64, 0, 0, "x", 1);
  void* b = AllocMemory(&heap, 64, 0, 0, "x", 1);
  ASSERT_EQ(HeapErrorCheck(&heap), 0);
  --heap.FreeTagNum;
  EXPECT_EQ(HeapErrorCheck(&heap), -1);
  EXPECT_TRUE(log.saw(u"空きメモリタグの数が一致しません"));
  ++heap.FreeTagNum;
  heap.TotalUseSize += 16;
  EXPECT_EQ(HeapErrorCheck(&heap), -1);
  EXPECT_TRUE(log.saw(u"総メモリサイズが一致しません"));
  heap.TotalUseSize -= 16;
  static_cast<uint8_t*>(a)[70] = 0;  // inside a's back guard
  EXPECT_EQ(HeapErrorCheck(&heap), -1);
  EXPECT_TRUE(log.saw(u"HeapErrorCheck Error : デバッグ領域の破壊を確認しました"));
  static_cast<uint8_t*>(a)[70] = HEAP_GUARD_BYTE;
  heap.SecondLevel[UserToMemTag(b)->Next->FLI] ^= 1u << UserToMemTag(b)->Next->SLI;
  EXPECT_EQ(HeapErrorCheck(&heap), -1);
  EXPECT_TRUE(log.saw(u"TLSFエラー　　カテゴリ"));
  heap.SecondLevel[UserToMemTag(b)->Next->FLI] ^= 1u << UserToMemTag(b)->Next->SLI;
  EXPECT_EQ(HeapErrorCheck(&heap), 0);
  FreeMemory(a, 0);
  FreeMemory(b, 0);
}

TEST_F(PrivateHeap, SubHeapMemoryRefusesAPageInUse) {
  void* a = AllocMemory(&heap, 64, 0, 0, "x", 1);
  EXPECT_EQ(SubHeapMemory(&heap, heap.PageList->PageAddress), -1);
  EXPECT_TRUE(log.saw(u"使用しているメモリタグがある状態でヒープメモリを外そうとしました"));
  EXPECT_EQ(HeapErrorCheck(&heap), 0);
  FreeMemory(a, 0);
}

TEST(Heap, GivenMemoryMustHoldTheMinimum) {
  LogRecorder log;
  alignas(16) static uint8_t small[HEAP_MIN_SIZE - 16];
  HeapInfo heap;
  EXPECT_EQ(InitializeHeap(&heap, HEAP_KIND_TLSF, 0, 0, 0, nullptr, nullptr, small, sizeof small), -1);
  EXPECT_TRUE(log.saw(u"ヒープのサイズ("));
  EXPECT_TRUE(log.saw(u"が小さすぎます、最低でも "));

  alignas(16) static uint8_t room[64 * 1024];
  ASSERT_EQ(InitializeHeap(&heap, HEAP_KIND_TLSF, 0, 0, 0, nullptr, nullptr, room, sizeof room), 0);
  void* a = AllocMemory(&heap, 1000, 0, 0, "x", 1);
  ASSERT_NE(a, nullptr);
  // Without auto-grow a request that does not fit fails cleanly.
  EXPECT_EQ(AllocMemory(&heap, sizeof room, 0, 0, "x", 1), nullptr);
  EXPECT_EQ(FreeMemory(a, 0), 0);
  EXPECT_NE(heap.PageList, nullptr);  // given memory stays with the heap
  EXPECT_EQ(HeapErrorCheck(&heap), 0);
  TerminateHeap(&heap);
}
