// Tests of the per-thread small-block caches of media/base/memory: counts, dumps and
// pages stay what they would be without the caches, whichever thread frees a block.
#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "heap_testing.h"
#include "media/base/media_heap.h"
#include "media/base/memory.h"
#include "platform/win/virtual_memory.h"

using namespace ZaDod;
using heap_testing::Block;
using heap_testing::intact;
using heap_testing::LogRecorder;
using heap_testing::pageCount;

namespace {

int dumpLinesNaming(const std::u16string& file) {
  LogRecorder::clear();
  MemDump();
  int lines = 0;
  for (auto& line : LogRecorder::all())
    if (line.find(u"file:" + file + u" ") != std::u16string::npos) ++lines;
  return lines;
}

enum class Receiver { Own, Next, Random };
enum class GiveBack { ThreadEnd, ReleaseHeld };

struct CacheCase {
  const char* file;  // the name the blocks carry; unique per case
  int threads, batch, rounds;
  Receiver receiver;
  size_t minSize, maxSize;
  bool highLines;  // half the blocks name a line above 65535
  GiveBack giveBack;
  bool growsHeap;  // live blocks enough to need pages of their own
};

// Every worker allocates a batch per round and hands it to a receiver, which checks,
// sometimes reallocates, and frees it in the next step; a quarter of each batch lives
// on into the next round. At each pause the counts, the dump and the heap check must
// agree with a model of the live blocks; at the end every page the case made is back.
const CacheCase cacheCases[] = {
    {"own.cpp", 4, 300, 5, Receiver::Own, 1, 256, false, GiveBack::ThreadEnd, false},
    {"next.cpp", 4, 300, 5, Receiver::Next, 1, 256, false, GiveBack::ReleaseHeld, false},
    {"random.cpp", 6, 200, 5, Receiver::Random, 1, 600, false, GiveBack::ThreadEnd, false},
    {"oneclass.cpp", 3, 600, 4, Receiver::Next, 16, 16, false, GiveBack::ReleaseHeld, false},
    {"highline.cpp", 3, 200, 4, Receiver::Random, 1, 256, true, GiveBack::ThreadEnd, false},
    {"pages.cpp", 4, 5000, 2, Receiver::Next, 128, 256, false, GiveBack::ThreadEnd, true},
    {"pagesheld.cpp", 4, 5000, 2, Receiver::Random, 128, 256, false, GiveBack::ReleaseHeld, true},
};

struct Scenario {
  const CacheCase& c;
  std::mutex mutex;
  std::vector<std::vector<Block>> mailbox;  // per receiver, guarded by mutex
  std::barrier<> pause;
  explicit Scenario(const CacheCase& row) : c(row), mailbox(row.threads), pause(row.threads + 1) {}

  // The live blocks of the case: everything in a mailbox.
  void model(int* count, size_t* bytes) {
    std::lock_guard<std::mutex> hold(mutex);
    *count = 0;
    *bytes = 0;
    for (auto& box : mailbox)
      for (auto& p : box) ++*count, *bytes += p.size;
  }

  void worker(int self) {
    std::mt19937 random(static_cast<unsigned>(self * 7919 + c.threads));
    std::uniform_int_distribution<size_t> size(c.minSize, c.maxSize);
    for (int round = 0; round < c.rounds; ++round) {
      std::vector<Block> made;
      for (int i = 0; i < c.batch; ++i) {
        Block p{nullptr, size(random), static_cast<uint8_t>(random())};
        int line = c.highLines && (i & 1) ? 70000 + i : i + 1;
        p.data = static_cast<uint8_t*>(MemAlloc(p.size, c.file, line));
        if (!p.data) std::abort();
        std::memset(p.data, p.fill, p.size);
        made.push_back(p);
      }
      int to = c.receiver == Receiver::Own    ? self
               : c.receiver == Receiver::Next ? (self + 1) % c.threads
                                              : static_cast<int>(random() % c.threads);
      {
        std::lock_guard<std::mutex> hold(mutex);
        for (auto& p : made) mailbox[to].push_back(p);
      }
      if (round % 2 == 0 && MemErrorCheck() != 0) std::abort();  // a walk while others run
      pause.arrive_and_wait();  // the main thread checks
      pause.arrive_and_wait();
      std::vector<Block> mine;
      {
        std::lock_guard<std::mutex> hold(mutex);
        mine.swap(mailbox[self]);
      }
      size_t keep = round + 1 < c.rounds ? mine.size() / 4 : 0;
      for (size_t i = keep; i < mine.size(); ++i) {
        Block p = mine[i];
        if (!intact(p)) std::abort();
        if (random() % 4 == 0) {
          size_t grown = size(random);
          auto* moved = static_cast<uint8_t*>(MemRealloc(p.data, grown, c.file, 9));
          if (!moved) std::abort();
          for (size_t b = 0; b < std::min(grown, p.size); ++b)
            if (moved[b] != p.fill) std::abort();
          p.data = moved;
        }
        MemFree(p.data);
      }
      {
        std::lock_guard<std::mutex> hold(mutex);
        for (size_t i = 0; i < keep; ++i) mailbox[self].push_back(mine[i]);
      }
    }
    pause.arrive_and_wait();  // everything freed
    pause.arrive_and_wait();  // the main thread may empty the caches
  }
};

// Blocks named file that the heap still counts in use and does not hold: live or
// cached ones. Read while no other thread allocates.
int unheldBlocksNaming(HeapInfo* heap, const char* file) {
  int n = 0;
  for (MemTag* tag = heap->TagFirst; tag; tag = tag->Next)
    if ((tag->Flags & (MEMTAG_FLAG_USE | MEMTAG_FLAG_HELD)) == MEMTAG_FLAG_USE &&
        std::strncmp(tag->Name, file, sizeof tag->Name) == 0)
      ++n;
  return n;
}

struct TrackedCaches : ::testing::Test {
  LogRecorder log;
  void* resident = nullptr;
  void SetUp() override {
    resident = MemAlloc(16, "resident", 1);
    // Caches and held lists emptied, so that only live blocks keep pages from here.
    ReleaseHeldMemory(MemGetHeap(0));
  }
  void TearDown() override { MemFree(resident); }
};

}  // namespace

TEST_F(TrackedCaches, CrossThreadBlocksKeepCountsDumpsAndPages) {
  for (const CacheCase& row : cacheCases) {
    SCOPED_TRACE(row.file);
    HeapInfo* small = MemGetHeap(0);
    const int baseCount = MemGetAllocNum();
    const size_t baseBytes = MemGetTotalAllocSize();
    const int basePages = pageCount(small);
    const int baseUnheld = small->UseTagNum - small->HeldTagNum;
    const auto baseRegions = plat::win::VirtualRegionCountForTest();
    int mostPages = basePages;
    const std::u16string file(row.file, row.file + std::strlen(row.file));

    Scenario scenario(row);
    std::vector<std::thread> workers;
    for (int t = 0; t < row.threads; ++t) workers.emplace_back([&scenario, t] { scenario.worker(t); });
    for (int round = 0; round < row.rounds; ++round) {
      scenario.pause.arrive_and_wait();
      int live;
      size_t bytes;
      scenario.model(&live, &bytes);
      EXPECT_EQ(MemGetAllocNum() - baseCount, live) << round;
      EXPECT_EQ(MemGetTotalAllocSize() - baseBytes, bytes) << round;
      EXPECT_EQ(dumpLinesNaming(file), live) << round;
      EXPECT_EQ(MemErrorCheck(), 0);
      EXPECT_TRUE(heap_testing::heapShapeIsSound(small));
      mostPages = std::max(mostPages, pageCount(small));
      scenario.pause.arrive_and_wait();
    }
    if (row.growsHeap) EXPECT_GT(mostPages, basePages);
    scenario.pause.arrive_and_wait();
    EXPECT_EQ(MemGetAllocNum(), baseCount);
    EXPECT_EQ(MemGetTotalAllocSize(), baseBytes);
    EXPECT_EQ(dumpLinesNaming(file), 0);
    if (row.giveBack == GiveBack::ReleaseHeld) {
      // The workers still run, their caches full: emptying them from here returns
      // every page the case made.
      ReleaseHeldMemory(small);
      EXPECT_EQ(unheldBlocksNaming(small, row.file), 0);
      EXPECT_EQ(pageCount(small), basePages);
      EXPECT_EQ(plat::win::VirtualRegionCountForTest(), baseRegions);
    }
    scenario.pause.arrive_and_wait();
    for (auto& w : workers) w.join();
    // A thread that ends gives its cache back; pages whose blocks are all free or held
    // go back with it.
    EXPECT_EQ(unheldBlocksNaming(small, row.file), 0);
    EXPECT_EQ(small->UseTagNum - small->HeldTagNum, baseUnheld);
    EXPECT_EQ(pageCount(small), basePages);
    EXPECT_EQ(plat::win::VirtualRegionCountForTest(), baseRegions);
    EXPECT_EQ(MemGetAllocNum(), baseCount);
    EXPECT_EQ(MemErrorCheck(), 0);
    EXPECT_FALSE(log.saw(u"Error"));
  }
}

// One thread's cache is bounded per class: freeing many blocks of a class keeps at
// most 8 KB of them (16 blocks at least) in the cache, and freeing every block of the
// pages a burst made leaves those pages only to what the cache holds until it empties.
TEST_F(TrackedCaches, ACacheStaysBoundedAndLetsItsPagesGo) {
  HeapInfo* small = MemGetHeap(0);
  const int basePages = pageCount(small);
  struct Burst {
    size_t size;
    int blocks;
  };
  for (Burst burst : {Burst{16, 40000}, Burst{100, 30000}, Burst{256, 20000}}) {
    SCOPED_TRACE(burst.size);
    std::vector<void*> blocks;
    for (int i = 0; i < burst.blocks; ++i) blocks.push_back(MemAlloc(burst.size, "burst.cpp", i));
    EXPECT_GT(pageCount(small), basePages);  // the burst needed pages of its own
    const int used = small->UseTagNum, held = small->HeldTagNum;
    for (void* block : blocks) MemFree(block);
    // Freed blocks are either held by the heap, cached, or merged away.
    const int cached = (small->UseTagNum - small->HeldTagNum) - (used - held - burst.blocks);
    const int blockSize = static_cast<int>(128 + (burst.size + 15) / 16 * 16 + 16);
    EXPECT_GE(cached, 0);
    EXPECT_LE(cached, std::max(16, 0x2000 / blockSize));
    EXPECT_LE(pageCount(small), basePages + 2);
    ReleaseHeldMemory(small);
    EXPECT_EQ(pageCount(small), basePages);
    EXPECT_EQ(MemErrorCheck(), 0);
  }
}
