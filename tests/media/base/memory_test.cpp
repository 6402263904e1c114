// Tests of media/base/memory: tracked memory of the media layer.
#include "media/base/memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "heap_testing.h"
#include "media/base/media_heap.h"

using namespace ZaDod;
using heap_testing::Block;
using heap_testing::intact;
using heap_testing::LogRecorder;

namespace {

// A resident block keeps the pages of both heaps mapped, so that a block freed twice
// still lies in mapped memory.
struct TrackedMemory : ::testing::Test {
  LogRecorder log;
  void* residentSmall = nullptr;
  void* residentLarge = nullptr;
  void SetUp() override {
    residentSmall = MemAlloc(16, "resident", 1);
    residentLarge = MemAlloc(0x20000, "resident", 2);
    LogRecorder::clear();
  }
  void TearDown() override {
    MemFree(residentSmall);
    MemFree(residentLarge);
  }
};

bool bothHeapsSound() {
  return MemErrorCheck() == 0 && heap_testing::heapShapeIsSound(MemGetHeap(0)) &&
         heap_testing::heapShapeIsSound(MemGetHeap(1));
}

}  // namespace

TEST_F(TrackedMemory, SplitsBySizeAndCountsUserBytes) {
  int count = MemGetAllocNum();
  size_t total = MemGetTotalAllocSize();
  void* small = MemAlloc(0x10000, "split.cpp", 1);
  void* large = MemAlloc(0x10001, "split.cpp", 2);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(UserToMemTag(small)->Heap, MemGetHeap(0));
  EXPECT_EQ(UserToMemTag(large)->Heap, MemGetHeap(1));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(small) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(large) % 16, 0u);
  EXPECT_EQ(MemGetAllocNum() - count, 2);
  EXPECT_EQ(MemGetTotalAllocSize() - total, 0x20001u);
  MemFree(small);
  MemFree(large);
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
  MemFree(nullptr);
}

TEST_F(TrackedMemory, FailedRequestsDumpAndReturnNull) {
  EXPECT_EQ(MemAlloc(0, "zero.cpp", 1), nullptr);
  EXPECT_TRUE(log.saw(u"Alloc memory dump\n"));
  LogRecorder::clear();
  EXPECT_EQ(MemAlloc(size_t(0x80000000u), "huge.cpp", 1), nullptr);
  EXPECT_TRUE(log.saw(u"Alloc memory dump\n"));
  // The dump lists the live blocks, one 8-bit line each.
  EXPECT_TRUE(log.saw(u"file:resident"));
}

TEST_F(TrackedMemory, BadFreesAreRefusedAndLeaveTotalsAlone) {
  auto* block = static_cast<uint8_t*>(MemAlloc(100, "bad.cpp", 1));
  MemFree(block);
  int count = MemGetAllocNum();
  size_t total = MemGetTotalAllocSize();
  MemFree(block);
  EXPECT_TRUE(log.saw(u"FreeMemory Error : 解放済みのメモリに対して再度解放しようとしました"));
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
  EXPECT_TRUE(bothHeapsSound());

  // Reallocating a freed block, even to its old size, must not bring it back.
  LogRecorder::clear();
  EXPECT_EQ(MemRealloc(block, 100, "bad.cpp", 2), nullptr);
  EXPECT_TRUE(log.saw(u"ReallocMemory Error : 解放済みのメモリに対して再確保をしようとしました"));
  EXPECT_EQ(MemGetAllocNum(), count);

  alignas(16) uint8_t foreign[64] = {};
  MemFree(foreign + 32);
  EXPECT_TRUE(log.saw(u"FreeMemory Error : メモリタグの MagicID が不正です"));
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
}

TEST_F(TrackedMemory, OverrunPastTheBlockIsCaughtOnFree) {
  auto* block = static_cast<uint8_t*>(MemAlloc(100, "overrun.cpp", 1));
  int count = MemGetAllocNum();
  block[100] = 0;
  MemFree(block);
  EXPECT_TRUE(log.saw(u"FreeMemory Error : デバッグ領域の破壊を確認しました"));
  EXPECT_TRUE(log.saw(u"file:overrun.cpp"));
  EXPECT_EQ(MemGetAllocNum(), count);
  block[100] = HEAP_GUARD_BYTE;
  MemFree(block);
  EXPECT_EQ(MemGetAllocNum(), count - 1);

  block = static_cast<uint8_t*>(MemAlloc(32, "underrun.cpp", 1));
  reinterpret_cast<uint8_t*>(UserToMemTag(block))[sizeof(MemTag) + 3] = 0;  // front guard
  LogRecorder::clear();
  MemFree(block);
  EXPECT_TRUE(log.saw(u"デバッグ領域の破壊を確認しました"));
  reinterpret_cast<uint8_t*>(UserToMemTag(block))[sizeof(MemTag) + 3] = HEAP_GUARD_BYTE;
  MemFree(block);
  EXPECT_TRUE(bothHeapsSound());
}

TEST_F(TrackedMemory, ReallocStaysGrowsInPlaceOrMoves) {
  // A block with a free tag right behind it, whatever blocks earlier tests left: one
  // cut from a large free tag has the rest of that tag there.
  std::vector<void*> tries;
  auto freeBehind = [](void* p) {
    const MemTag* tag = UserToMemTag(p);
    return (tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE);
  };
  while (tries.size() < 1000 && (tries.empty() || !freeBehind(tries.back())))
    tries.push_back(MemAlloc(272, "re.cpp", 1));
  auto* a = static_cast<uint8_t*>(tries.back());
  tries.pop_back();
  for (int i = 0; i < 200; ++i) a[i] = static_cast<uint8_t>(i);
  size_t total = MemGetTotalAllocSize();
  EXPECT_EQ(MemRealloc(a, 272, "re.cpp", 2), a);
  EXPECT_EQ(UserToMemTag(a)->Line, 2);

  // Cut from a free tag, a has the rest of it behind: it grows into that neighbour.
  {
    const MemTag* cut = UserToMemTag(a);
    ASSERT_TRUE(freeBehind(a));
    size_t room = reinterpret_cast<uintptr_t>(cut) + cut->Size + cut->Next->Size - HEAP_GUARD_SIZE - cut->UserAddress;
    size_t grown = room & ~size_t(15);
    EXPECT_EQ(MemRealloc(a, grown, "re.cpp", 3), a);
    EXPECT_EQ(MemGetTotalAllocSize(), total + grown - 272);
  }
  EXPECT_EQ(MemRealloc(a, 300, "re.cpp", 4), a);
  EXPECT_TRUE(bothHeapsSound());

  // More than the block and its free neighbour hold: it moves and keeps its bytes.
  // (What lies behind the block depends on the blocks earlier tests left, so the size
  // is taken from the heap rather than from a neighbour made here.)
  const MemTag* tag = UserToMemTag(a);
  size_t room = tag->Size;
  if ((tag->Flags & MEMTAG_FLAG_NEXT) && !(tag->Next->Flags & MEMTAG_FLAG_USE)) room += tag->Next->Size;
  const size_t far = room + 16;
  int count = MemGetAllocNum();
  auto* moved = static_cast<uint8_t*>(MemRealloc(a, far, "re.cpp", 6));
  ASSERT_NE(moved, a);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(moved[i], static_cast<uint8_t>(i));
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total - 272 + far);
  EXPECT_TRUE(bothHeapsSound());
  MemFree(moved);

  void* fresh = MemRealloc(nullptr, 40, "re.cpp", 7);
  EXPECT_NE(fresh, nullptr);
  EXPECT_EQ(MemRealloc(fresh, 0, "re.cpp", 8), nullptr);  // the block stays
  MemFree(fresh);
  EXPECT_EQ(MemGetTotalAllocSize(), total - 272);
  for (void* p : tries) MemFree(p);
}

TEST_F(TrackedMemory, CallocAndAlignment) {
  auto* dirty = static_cast<uint8_t*>(MemAlloc(512, "c.cpp", 1));
  std::memset(dirty, 0x5A, 512);
  MemFree(dirty);
  auto* clean = static_cast<uint8_t*>(MemCalloc(512, "c.cpp", 2));
  for (int i = 0; i < 512; ++i) ASSERT_EQ(clean[i], 0);
  void* aligned = MemAllocBase(100, 256, "c.cpp", 3);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 256, 0u);
  MemFree(clean);
  MemFree(aligned);
}

// Zeroed blocks come partly from bytes the heap wrote before (freed blocks, tags and
// guards) and partly from pages never written; whichever they straddle, every byte
// reads zero, in blocks asked for late, over and over, by two threads at once.
TEST_F(TrackedMemory, CallocReadsZeroOverReusedAndFreshBytes) {
  auto churn = [](unsigned seed, bool* allZero) {
    std::mt19937 random(seed);
    const size_t sizes[] = {48, 4000, 0x11000, 0x30000, 0xB0000, 0x210000};
    std::vector<std::pair<uint8_t*, size_t>> kept;
    for (int round = 0; round < 60; ++round) {
      const size_t size = sizes[random() % 6] + random() % 64;
      if (random() % 2) {
        auto* dirty = static_cast<uint8_t*>(MemAlloc(size, "churn.cpp", 1));
        std::memset(dirty, 0xA5, size);
        kept.emplace_back(dirty, size);
      } else {
        auto* clean = static_cast<uint8_t*>(MemCalloc(size, "churn.cpp", 2));
        for (size_t i = 0; i < size; ++i) {
          if (clean[i] != 0) {
            *allZero = false;
            break;
          }
        }
        std::memset(clean, 0x5A, size);  // the next owner of these bytes must not see this
        kept.emplace_back(clean, size);
      }
      if (kept.size() > 6) {
        const size_t drop = random() % kept.size();
        MemFree(kept[drop].first);
        kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(drop));
      }
    }
    for (auto& block : kept) MemFree(block.first);
  };
  for (int pass = 0; pass < 3; ++pass) {
    bool firstZero = true, secondZero = true;
    std::thread other(churn, 100u + unsigned(pass), &secondZero);
    churn(200u + unsigned(pass), &firstZero);
    other.join();
    EXPECT_TRUE(firstZero) << "pass " << pass;
    EXPECT_TRUE(secondZero) << "pass " << pass;
  }
  EXPECT_TRUE(bothHeapsSound());
}

TEST_F(TrackedMemory, DumpLineShowsTagFields) {
  auto* block = static_cast<uint8_t*>(MemAlloc(100, "some/dir/averyveryverylongname.cpp", 70000));
  for (int i = 0; i < 100; ++i) block[i] = static_cast<uint8_t>(0xF0 + (i & 15));
  DumpMemTag(block, 0);
  std::u16string line;
  for (auto& l : LogRecorder::all())
    if (l.find(u"file:") != std::u16string::npos) line = l;
  EXPECT_NE(line.find(u"user size:       100(     0.098kb)"), std::u16string::npos);
  EXPECT_NE(line.find(u"file:yverylongname.cpp "), std::u16string::npos);
  EXPECT_NE(line.find(u"line:70000 "), std::u16string::npos);
  EXPECT_NE(line.find(u"data:[f0 f1 f2 f3 f4 f5 f6 f7 f8 f9 fa fb fc fd fe ff]\n"), std::u16string::npos);
  MemFree(block);
}

namespace {

size_t randomSize(std::mt19937& random) {
  switch (random() % 10) {
    case 0:
      return 0x10000 + random() % 300000;  // large-block heap
    case 1:
      return 4096 + random() % 60000;
    default:
      return 1 + random() % 600;
  }
}

// Random alloc, realloc and free with the contents checked; calls check every 100 steps.
template <class Check>
void randomLoad(unsigned seed, int steps, Check check) {
  std::mt19937 random(seed);
  std::vector<Block> blocks;
  for (int step = 1; step <= steps; ++step) {
    unsigned action = random() % 3;
    if (blocks.empty() || action == 0) {
      size_t size = randomSize(random);
      auto fill = static_cast<uint8_t>(random());
      auto* data = static_cast<uint8_t*>(MemAlloc(size, "load.cpp", step));
      ASSERT_NE(data, nullptr);
      std::memset(data, fill, size);
      blocks.push_back({data, size, fill});
    } else {
      size_t index = random() % blocks.size();
      Block& b = blocks[index];
      ASSERT_TRUE(intact(b));
      if (action == 1) {
        size_t size = randomSize(random);
        auto* data = static_cast<uint8_t*>(MemRealloc(b.data, size, "load.cpp", step));
        ASSERT_NE(data, nullptr);
        for (size_t i = 0; i < std::min(size, b.size); ++i) ASSERT_EQ(data[i], b.fill);
        std::memset(data, b.fill, size);
        b.data = data;
        b.size = size;
      } else {
        MemFree(b.data);
        blocks[index] = blocks.back();
        blocks.pop_back();
      }
    }
    if (step % 100 == 0) check();
  }
  for (auto& b : blocks) {
    ASSERT_TRUE(intact(b));
    MemFree(b.data);
  }
}

}  // namespace

TEST_F(TrackedMemory, RandomLoadKeepsHeapsConsistent) {
  int count = MemGetAllocNum();
  size_t total = MemGetTotalAllocSize();
  randomLoad(20261207, 10000, [] { ASSERT_TRUE(bothHeapsSound()); });
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
  EXPECT_TRUE(LogRecorder::all().empty());
}

TEST_F(TrackedMemory, RandomLoadFromEightThreads) {
  int count = MemGetAllocNum();
  size_t total = MemGetTotalAllocSize();
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < 8; ++t)
    threads.emplace_back([t] { randomLoad(1000 + t, 10000, [] { ASSERT_TRUE(bothHeapsSound()); }); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
  EXPECT_TRUE(bothHeapsSound());
}

// Small blocks freed on another thread than the one that made them, in batches, while
// the heaps are checked: contents survive, totals come back, the dump lists no freed
// block, and a block freed twice is refused even while the heap holds it for reuse.
TEST_F(TrackedMemory, SmallBlocksFreedOnOtherThreadsStayConsistent) {
  int count = MemGetAllocNum();
  size_t total = MemGetTotalAllocSize();
  constexpr int Threads = 4, Batches = 40, BatchSize = 500;
  std::mutex mutex;
  std::vector<std::vector<Block>> handed[Threads];  // batches waiting for thread t
  std::atomic<int> made{0};
  auto work = [&](int self) {
    std::mt19937 random(self);
    for (int batch = 0; batch < Batches; ++batch) {
      std::vector<Block> blocks;
      for (int i = 0; i < BatchSize; ++i) {
        size_t size = 1 + random() % 256;
        auto fill = static_cast<uint8_t>(random());
        auto* data = static_cast<uint8_t*>(MemAlloc(size, "xthread.cpp", batch));
        ASSERT_NE(data, nullptr);
        std::memset(data, fill, size);
        blocks.push_back({data, size, fill});
      }
      {
        std::lock_guard<std::mutex> hold(mutex);
        handed[(self + 1) % Threads].push_back(std::move(blocks));
      }
      ++made;
      std::vector<std::vector<Block>> mine;
      {
        std::lock_guard<std::mutex> hold(mutex);
        mine.swap(handed[self]);
      }
      for (auto& list : mine)
        for (auto& b : list) {
          ASSERT_TRUE(intact(b));
          MemFree(b.data);
        }
      if (batch % 10 == 0) {
        ASSERT_TRUE(bothHeapsSound());
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t) threads.emplace_back(work, t);
  for (auto& t : threads) t.join();
  for (auto& lists : handed)
    for (auto& list : lists)
      for (auto& b : list) {
        ASSERT_TRUE(intact(b));
        MemFree(b.data);
      }
  EXPECT_EQ(made.load(), Threads * Batches);
  EXPECT_EQ(MemGetAllocNum(), count);
  EXPECT_EQ(MemGetTotalAllocSize(), total);
  EXPECT_TRUE(bothHeapsSound());
  MemDump();
  EXPECT_FALSE(log.saw(u"file:xthread.cpp"));

  void* block = MemAlloc(40, "twice.cpp", 1);
  MemFree(block);
  LogRecorder::clear();
  MemFree(block);
  EXPECT_TRUE(log.saw(u"FreeMemory Error : 解放済みのメモリに対して再度解放しようとしました"));
  EXPECT_EQ(MemRealloc(block, 40, "twice.cpp", 2), nullptr);
  EXPECT_EQ(MemGetAllocNum(), count);
}

// Shut-down is about the whole process's blocks, so it runs in a process of its own:
// blocks that earlier tests of this program left would keep the heaps.
void terminateScenario() {
  LogRecorder log;
  void* live = MemAlloc(64, "live.cpp", 1);
  MemTerminate();
  if (!log.saw(u"file:live.cpp") || MemGetHeap(0) == nullptr) std::exit(1);
  MemFree(live);  // its page is still there
  if (MemGetAllocNum() != 0) std::exit(2);
  MemTerminate();
  if (MemGetHeap(0) != nullptr) std::exit(3);
  void* again = MemAlloc(64, "again.cpp", 1);
  if (again == nullptr || MemGetAllocNum() != 1 || MemErrorCheck() != 0) std::exit(4);
  MemFree(again);
  MemTerminate();
  std::exit(0);
}

TEST(TrackedMemoryShutDown, TerminateKeepsLiveHeapsAndRestartsEmptyOnes) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(terminateScenario(), ::testing::ExitedWithCode(0), "");
}
