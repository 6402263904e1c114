// Tests of platform/win/sync: events and critical sections over the C++ and POSIX primitives.
#include "platform/win/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win/win_thread.h"

namespace win = plat::win;

TEST(WinEvent, ManualResetStaysSignalledUntilReset) {
  win::HANDLE event = win::CreateEventW(nullptr, win::TRUE, win::FALSE, nullptr);
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(event, 5), win::WAIT_TIMEOUT);
  win::SetEvent(event);
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(event, win::INFINITE), win::WAIT_OBJECT_0);
  win::ResetEvent(event);
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_TIMEOUT);
  win::CloseHandle(event);
}

TEST(WinEvent, AutomaticResetReleasesOneWaiterPerSignal) {
  win::HANDLE event = win::CreateEventA(nullptr, win::FALSE, win::TRUE, nullptr);
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_TIMEOUT);

  std::atomic<int> passed{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i)
    waiters.emplace_back([&] {
      win::WaitForSingleObject(event, win::INFINITE);
      ++passed;
    });
  for (int i = 1; i <= 4; ++i) {
    win::SetEvent(event);
    while (passed.load() < i) win::Sleep(1);
    win::Sleep(2);
    EXPECT_EQ(passed.load(), i);
  }
  for (auto& t : waiters) t.join();
  win::CloseHandle(event);
}

TEST(WinEvent, ManyEventsAreCheapAndIndependent) {
  std::vector<win::HANDLE> events(4096);
  for (auto& e : events) e = win::CreateEventA(nullptr, win::TRUE, win::FALSE, nullptr);
  win::SetEvent(events[1234]);
  EXPECT_EQ(win::WaitForSingleObject(events[1234], 0), win::WAIT_OBJECT_0);
  EXPECT_EQ(win::WaitForSingleObject(events[1235], 0), win::WAIT_TIMEOUT);
  for (auto e : events) win::CloseHandle(e);
  EXPECT_FALSE(win::SetEvent(nullptr));
}

TEST(WinCriticalSection, IsRecursiveAndExcludesOtherThreads) {
  win::CRITICAL_SECTION section;
  win::InitializeCriticalSection(&section);
  win::EnterCriticalSection(&section);
  win::EnterCriticalSection(&section);
  std::atomic<bool> entered{false};
  std::thread other([&] {
    win::EnterCriticalSection(&section);
    entered = true;
    win::LeaveCriticalSection(&section);
  });
  win::LeaveCriticalSection(&section);
  win::Sleep(10);
  EXPECT_FALSE(entered.load());  // still held once
  win::LeaveCriticalSection(&section);
  other.join();
  EXPECT_TRUE(entered.load());
  win::DeleteCriticalSection(&section);
}

TEST(WinHandle, ClosedOrForeignHandlesAreRefused) {
  win::HANDLE event = win::CreateEventA(nullptr, win::TRUE, win::FALSE, nullptr);
  EXPECT_TRUE(win::CloseHandle(event));
  EXPECT_FALSE(win::CloseHandle(event));
  EXPECT_FALSE(win::SetEvent(event));
  EXPECT_EQ(win::WaitForSingleObject(event, 0), win::WAIT_FAILED);
  int notAnObject = 0;
  EXPECT_FALSE(win::CloseHandle(&notAnObject));
  EXPECT_EQ(win::WaitForSingleObject(nullptr, 0), win::WAIT_FAILED);
}
