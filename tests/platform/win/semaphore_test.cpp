// Counting semaphores, waits on several objects, atomic counters and wide-string helpers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/win/sync.h"
#include "platform/win/win_thread.h"

namespace win = plat::win;

TEST(WinSemaphore, CountsUpToItsMaximum) {
  EXPECT_EQ(win::CreateSemaphoreW(nullptr, 3, 2, nullptr), nullptr);
  EXPECT_EQ(win::CreateSemaphoreW(nullptr, -1, 2, nullptr), nullptr);
  win::HANDLE s = win::CreateSemaphoreW(nullptr, 1, 3, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(win::WaitForSingleObject(s, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(s, 0), win::WAIT_TIMEOUT);
  win::LONG previous = -1;
  EXPECT_EQ(win::ReleaseSemaphore(s, 3, &previous), win::TRUE);
  EXPECT_EQ(previous, 0);
  EXPECT_EQ(win::ReleaseSemaphore(s, 1, &previous), win::FALSE) << "past the maximum";
  EXPECT_EQ(win::ReleaseSemaphore(s, 0, nullptr), win::FALSE);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(win::WaitForSingleObject(s, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(s, 0), win::WAIT_TIMEOUT);
  win::CloseHandle(s);
}

TEST(WinSemaphore, EveryReleaseLetsExactlyOneWaiterThrough) {
  win::HANDLE s = win::CreateSemaphoreW(nullptr, 0, 1000, nullptr);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 8; ++i)
    waiters.emplace_back([&] {
      for (int k = 0; k < 100; ++k) {
        win::WaitForSingleObject(s, win::INFINITE);
        ++through;
      }
    });
  for (int i = 0; i < 800; ++i) win::ReleaseSemaphore(s, 1, nullptr);
  for (auto& t : waiters) t.join();
  EXPECT_EQ(through.load(), 800);
  EXPECT_EQ(win::WaitForSingleObject(s, 0), win::WAIT_TIMEOUT);
  win::CloseHandle(s);
}

TEST(WinWaitMultiple, AnyAndAll) {
  win::HANDLE autoEvent = win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr);
  win::HANDLE manualEvent = win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr);
  win::HANDLE sem = win::CreateSemaphoreW(nullptr, 0, 10, nullptr);
  win::HANDLE all[3] = {autoEvent, manualEvent, sem};

  EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::FALSE, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForMultipleObjects(0, all, win::FALSE, 0), win::WAIT_FAILED);
  win::HANDLE bad[2] = {sem, reinterpret_cast<win::HANDLE>(0x1234)};
  EXPECT_EQ(win::WaitForMultipleObjects(2, bad, win::FALSE, 0), win::WAIT_FAILED);

  win::ReleaseSemaphore(sem, 1, nullptr);
  EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::FALSE, 0), win::WAIT_OBJECT_0 + 2);
  EXPECT_EQ(win::WaitForSingleObject(sem, 0), win::WAIT_TIMEOUT) << "the wait took the count";

  // "All" takes nothing until every object is signalled at once.
  win::SetEvent(autoEvent);
  win::ReleaseSemaphore(sem, 1, nullptr);
  EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::TRUE, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(autoEvent, 0), win::WAIT_OBJECT_0) << "given back";
  win::SetEvent(autoEvent);
  win::SetEvent(manualEvent);
  EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::TRUE, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(autoEvent, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(sem, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(manualEvent, 0), win::WAIT_OBJECT_0) << "a manual event stays set";

  // A blocked wait wakes for a signal from another thread, and times out without one.
  win::ResetEvent(manualEvent);
  for (int round = 0; round < 200; ++round) {
    std::thread signaller([&] { win::ReleaseSemaphore(sem, 1, nullptr); });
    EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::FALSE, win::INFINITE), win::WAIT_OBJECT_0 + 2);
    signaller.join();
  }
  EXPECT_EQ(win::WaitForMultipleObjects(3, all, win::FALSE, 5), win::WAIT_TIMEOUT);
  for (win::HANDLE h : all) win::CloseHandle(h);
}

// Many rounds: the wait must not hang when it looks just as the thread ends.
TEST(WinWaitMultiple, ThreadExitCounts) {
  win::HANDLE never = win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr);
  for (int round = 0; round < 500; ++round) {
    win::HANDLE thread = win::CreateThread(
        nullptr, 0, [](void*) -> win::DWORD { return 0; }, nullptr, 0, nullptr);
    win::HANDLE both[2] = {never, thread};
    ASSERT_EQ(win::WaitForMultipleObjects(2, both, win::FALSE, win::INFINITE), win::WAIT_OBJECT_0 + 1) << round;
    if (round % 2 == 0) EXPECT_EQ(win::WaitForSingleObject(thread, win::INFINITE), win::WAIT_OBJECT_0);
    win::CloseHandle(thread);
  }
  win::CloseHandle(never);
}

TEST(WinInterlocked, CountsAcrossThreads) {
  volatile win::LONG value = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        win::InterlockedIncrement(&value);
        win::InterlockedIncrement(&value);
        win::InterlockedDecrement(&value);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(value, 40000);
  EXPECT_EQ(win::InterlockedDecrement(&value), 39999);
}

TEST(WinWideStrings, LengthAndOrder) {
  EXPECT_EQ(win::lstrlenW(u"Output"), 6);
  EXPECT_EQ(win::lstrlenW(nullptr), 0);
  EXPECT_EQ(win::lstrcmpW(u"Output", u"Output"), 0);
  EXPECT_LT(win::lstrcmpW(u"In", u"Input"), 0);
  EXPECT_GT(win::lstrcmpW(u"b", u"a"), 0);
  EXPECT_EQ(win::lstrcmpW(nullptr, u""), 0);
}
