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
// pages a burst made gives those pages back, whatever the cache holds of them.
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
    EXPECT_EQ(pageCount(small), basePages);
    ReleaseHeldMemory(small);
    EXPECT_EQ(pageCount(small), basePages);
    EXPECT_EQ(MemErrorCheck(), 0);
  }
}

// A page goes back at the free that leaves its owners no block in it, whichever
// thread frees and whatever the caches keep of it; an idle heap keeps no page; and a
// write into a cached block is damage the heap check reports, not a broken cache.
TEST_F(TrackedCaches, APageGoesBackWithItsLastBlock) {
  HeapInfo* small = MemGetHeap(0);
  struct PageCase {
    size_t size;
    bool otherThread;  // the block is freed on a thread of its own
  };
  const int basePages = pageCount(small);
  for (PageCase row : {PageCase{16, false}, PageCase{100, true}, PageCase{256, false}, PageCase{48, true}}) {
    SCOPED_TRACE(row.size);
    SCOPED_TRACE(row.otherThread);
    // Fill until a request needs a new page; that block and a few more share it.
    std::vector<void*> fill;
    const int before = pageCount(small);
    while (pageCount(small) == before) fill.push_back(MemAlloc(row.size, "pagereturn.cpp", 1));
    std::vector<void*> page{fill.back()};
    fill.pop_back();
    for (int i = 0; i < 20; ++i) page.push_back(MemAlloc(row.size, "pagereturn.cpp", 2));
    for (void* block : page) ASSERT_EQ(UserToMemTag(block)->UseHeapMem, small->PageList);
    // All but one freed into two threads' caches; the worker keeps its cache (and
    // runs) while the last one goes.
    void* last = page[0];
    std::barrier<> step(2);
    std::thread worker([&] {
      for (size_t i = 1; i < page.size(); i += 2) MemFree(page[i]);
      step.arrive_and_wait();
      step.arrive_and_wait();
      if (row.otherThread) MemFree(last);
      step.arrive_and_wait();
      step.arrive_and_wait();
    });
    for (size_t i = 2; i < page.size(); i += 2) MemFree(page[i]);
    step.arrive_and_wait();
    EXPECT_EQ(pageCount(small), before + 1);
    step.arrive_and_wait();
    if (!row.otherThread) MemFree(last);
    step.arrive_and_wait();
    EXPECT_EQ(pageCount(small), before);
    void* next = MemAlloc(row.size, "pagereturn.cpp", 3);
    EXPECT_EQ(pageCount(small), before + 1);
    MemFree(next);
    EXPECT_EQ(pageCount(small), before);
    step.arrive_and_wait();
    worker.join();
    // Freed across threads in random order, the fill leaves only the pages it found.
    std::shuffle(fill.begin(), fill.end(), std::mt19937(static_cast<unsigned>(row.size)));
    std::thread half([&fill] {
      for (size_t i = 0; i < fill.size(); i += 2) MemFree(fill[i]);
    });
    for (size_t i = 1; i < fill.size(); i += 2) MemFree(fill[i]);
    half.join();
    EXPECT_EQ(pageCount(small), basePages);
    EXPECT_EQ(MemErrorCheck(), 0);
  }

  // Eight bytes written into a freed block, which sits in this thread's cache: the
  // heap check reports the damage, and later requests are unharmed.
  void* keep = MemAlloc(48, "afterfree.cpp", 1);
  void* freed = MemAlloc(48, "afterfree.cpp", 2);
  ASSERT_EQ(UserToMemTag(keep)->UseHeapMem, UserToMemTag(freed)->UseHeapMem);
  MemFree(freed);
  uint64_t saved, scribble = 0x1122334455667788ull;
  std::memcpy(&saved, freed, 8);
  std::memcpy(freed, &scribble, 8);
  log.clear();
  EXPECT_EQ(MemErrorCheck(), -1);
  EXPECT_TRUE(log.saw(u"デバッグ領域の破壊"));
  std::memcpy(freed, &saved, 8);
  EXPECT_EQ(MemErrorCheck(), 0);
  std::vector<void*> more;
  for (int i = 0; i < 64; ++i) more.push_back(MemAlloc(48, "afterfree.cpp", 3));
  for (void* block : more) MemFree(block);
  MemFree(keep);

  // Idle: with the fixture's block gone too, nothing live is left and no page stays.
  MemFree(resident);
  resident = nullptr;
  EXPECT_EQ(MemGetAllocNum(), 0);
  EXPECT_EQ(pageCount(small), 0);
  resident = MemAlloc(16, "resident", 1);
}
