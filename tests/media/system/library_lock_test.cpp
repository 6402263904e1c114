// Tests of media/system/library_lock: the library-wide lock.
#include "media/system/library_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/win_thread.h"

namespace ZaDod {
namespace {

bool waitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 20000; ++i) {
    if (done()) return true;
    plat::win::Sleep(1);
  }
  return done();
}

// A thread that takes the lock once, notes it and lets it go.
std::thread takeOnce(std::atomic<int>& got) {
  return std::thread([&got] {
    LibraryLockAcquire();
    got = 1;
    LibraryLockRelease();
  });
}

TEST(LibraryLockTest, OwnerNeedsOneReleasePerAcquire) {
  for (int i = 0; i < 5; ++i) LibraryLockAcquire();
  std::atomic<int> got{0};
  std::thread other = takeOnce(got);
  ASSERT_TRUE(waitFor([] { return GetLibraryLockWaiterNum() == 1; }));
  for (int i = 0; i < 4; ++i) {
    LibraryLockRelease();
    plat::win::Sleep(1);
    EXPECT_EQ(got.load(), 0) << "after release " << i + 1;
  }
  LibraryLockRelease();
  other.join();
  EXPECT_EQ(got.load(), 1);
}

TEST(LibraryLockTest, WaitersGetTheLockInArrivalOrder) {
  LibraryLockAcquire();
  std::mutex orderMutex;
  std::vector<char> order;
  std::vector<std::thread> threads;
  for (char name : {'B', 'C', 'D'}) {
    int queued = static_cast<int>(threads.size());
    threads.emplace_back([&, name] {
      LibraryLockAcquire();
      {
        std::lock_guard<std::mutex> lock(orderMutex);
        order.push_back(name);
      }
      LibraryLockRelease();
    });
    ASSERT_TRUE(waitFor([&] { return GetLibraryLockWaiterNum() == queued + 1; }));
  }
  LibraryLockRelease();
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(order, (std::vector<char>{'B', 'C', 'D'}));
}

TEST(LibraryLockTest, DestructionWaitsUntilNobodyHoldsOrWaits) {
  LibraryLockAcquire();
  std::atomic<int> got{0};
  std::thread waiter = takeOnce(got);
  ASSERT_TRUE(waitFor([] { return GetLibraryLockWaiterNum() == 1; }));
  EXPECT_EQ(LibraryLockDestroy(), 0);
  LibraryLockRelease();
  waiter.join();
  EXPECT_EQ(got.load(), 1);

  EXPECT_EQ(LibraryLockDestroy(), 1);
  EXPECT_EQ(LibraryLockDestroy(), 0);
  LibraryLockAcquire();
  LibraryLockAcquire();
  LibraryLockRelease();
  LibraryLockRelease();
  EXPECT_EQ(LibraryLockDestroy(), 1);
}

// Sixteen threads take the lock twice over (nested) 50,000 times each: no two are ever
// inside together, every entry is counted, and whenever a thread lets go while others
// wait, the next owner is one of them, never the thread that just let go.
TEST(LibraryLockTest, SixteenThreadsTakeTurnsInOrder) {
  constexpr int kThreads = 16, kRounds = 50000;
  int inside = 0;  // plain ints: the lock is the only thing guarding them
  long long entries = 0;
  int lastOwner = -1, overtakes = 0, overlaps = 0;
  std::vector<int> handedOn(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        LibraryLockAcquire();
        LibraryLockAcquire();
        if (inside++ != 0) ++overlaps;
        ++entries;
        if (lastOwner == t && handedOn[t]) ++overtakes;
        lastOwner = t;
        LibraryLockRelease();
        handedOn[t] = GetLibraryLockWaiterNum() > 0;
        --inside;
        LibraryLockRelease();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(entries, static_cast<long long>(kThreads) * kRounds);
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(overtakes, 0);
  EXPECT_EQ(GetLibraryLockWaiterNum(), 0);
  EXPECT_EQ(LibraryLockDestroy(), 1);
}

}  // namespace
}  // namespace ZaDod
