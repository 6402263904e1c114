// Tests of platform/win/thread: threads over pthreads.
#include "platform/win/win_thread.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/win/ddraw.h"
#include "platform/win/sync.h"
#include "platform/win/win_clock.h"
#include "tests/support/thread_count.h"

namespace win = plat::win;

namespace {

struct Shared {
  std::atomic<int> stage{0};
  win::HANDLE self = nullptr;
  win::DWORD seenId = 0;
};

win::DWORD returnsSeven(void* p) {
  auto* shared = static_cast<Shared*>(p);
  shared->seenId = win::GetCurrentThreadId();
  return 7;
}

win::DWORD exitsEarly(void*) {
  win::ExitThread(42);
}

win::DWORD suspendsItself(void* p) {
  auto* shared = static_cast<Shared*>(p);
  shared->stage = 1;
  win::SuspendThread(win::GetCurrentThread());
  shared->stage = 2;
  return 0;
}

void waitForExit(win::HANDLE thread) { ASSERT_EQ(win::WaitForSingleObject(thread, win::INFINITE), win::WAIT_OBJECT_0); }

}  // namespace

TEST(WinThread, ReportsExitCodeAndIdFromReturnOrExitThread) {
  Shared shared;
  win::DWORD id = 0;
  win::HANDLE thread = win::CreateThread(nullptr, 0, returnsSeven, &shared, 0, &id);
  ASSERT_NE(thread, nullptr);
  waitForExit(thread);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(shared.seenId, id);
  EXPECT_NE(id, win::GetCurrentThreadId());
  win::CloseHandle(thread);

  thread = win::CreateThread(nullptr, 0, exitsEarly, nullptr, 0, nullptr);
  waitForExit(thread);
  ASSERT_TRUE(win::GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  win::CloseHandle(thread);
}

TEST(WinThread, SuspendedThreadIsStillActiveUntilResumed) {
  Shared shared;
  win::HANDLE thread = win::CreateThread(nullptr, 0, suspendsItself, &shared, 0, nullptr);
  // Resume reports 0 until the thread has really suspended itself.
  while (win::ResumeThread(thread) == 0) win::Sleep(0);
  waitForExit(thread);
  EXPECT_EQ(shared.stage.load(), 2);
  EXPECT_EQ(win::ResumeThread(thread), 0u);  // not suspended any more
  win::CloseHandle(thread);
}

TEST(WinThread, StillActiveWhileBlockedAndBlockOutlivesHandle) {
  Shared shared;
  win::HANDLE thread = win::CreateThread(nullptr, 0, suspendsItself, &shared, 0, nullptr);
  while (shared.stage.load() != 1) win::Sleep(1);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
  EXPECT_EQ(win::WaitForSingleObject(thread, 0), win::WAIT_TIMEOUT);
  while (win::ResumeThread(thread) == 0) win::Sleep(0);
  // Closing the handle while the thread still runs must not pull the block away.
  win::CloseHandle(thread);
  while (shared.stage.load() != 2) win::Sleep(1);
}

// A thread made suspended runs nothing before its first resume, which takes at once;
// a wait on its handle returns once the thread is joined, and it leaves the process.
TEST(WinThread, MadeSuspendedRunsOnResumeAndIsGoneAfterTheWait) {
  std::thread([] {}).join();  // a sanitizer may start a thread of its own with the first one
  const int before = halvorine_test::SteadyProcessThreadCount();
  for (int round = 0; round < 50; ++round) {
    Shared shared;
    win::DWORD id = 0;
    win::HANDLE thread = win::CreateThread(nullptr, 0, returnsSeven, &shared, win::CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(win::WaitForSingleObject(thread, 1), win::WAIT_TIMEOUT);
    EXPECT_EQ(win::ResumeThread(thread), 1u);
    waitForExit(thread);
    EXPECT_EQ(shared.seenId, id);
    EXPECT_EQ(halvorine_test::ProcessThreadCountSettledAt(before), before) << round;
    win::CloseHandle(thread);
  }
}

TEST(WinThread, OnlyTheCallingThreadCanSuspendItself) {
  Shared shared;
  win::HANDLE thread = win::CreateThread(nullptr, 0, returnsSeven, &shared, 0, nullptr);
  EXPECT_EQ(win::SuspendThread(thread), 0xFFFFFFFFu);
  waitForExit(thread);
  win::CloseHandle(thread);
}

TEST(WinThread, PriorityIsRecorded) {
  Shared shared;
  win::HANDLE thread = win::CreateThread(nullptr, 0, suspendsItself, &shared, 0, nullptr);
  EXPECT_EQ(win::GetThreadPriority(thread), win::THREAD_PRIORITY_NORMAL);
  EXPECT_TRUE(win::SetThreadPriority(thread, win::THREAD_PRIORITY_LOWEST));
  EXPECT_EQ(win::GetThreadPriority(thread), win::THREAD_PRIORITY_LOWEST);
  EXPECT_TRUE(win::SetThreadPriority(win::GetCurrentThread(), win::THREAD_PRIORITY_HIGHEST));
  EXPECT_EQ(win::GetThreadPriority(win::GetCurrentThread()), win::THREAD_PRIORITY_HIGHEST);
  while (win::ResumeThread(thread) == 0) win::Sleep(0);
  waitForExit(thread);
  win::CloseHandle(thread);
}

TEST(WinThread, CurrentThreadHandleIsAPseudoHandle) {
  EXPECT_EQ(win::GetCurrentThread(), win::CURRENT_THREAD_HANDLE);
  EXPECT_FALSE(win::CloseHandle(win::GetCurrentThread()));  // never registered
  EXPECT_EQ(win::WaitForSingleObject(win::GetCurrentThread(), 0), win::WAIT_FAILED);
  win::DWORD code = 0;
  ASSERT_TRUE(win::GetExitCodeThread(win::GetCurrentThread(), &code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
}

namespace {

void ignoreSignal(int) {}

// A sleep to a deadline wakes at or after it, also when signals without restart land
// on the sleeper meanwhile, and a deadline already past returns at once; the blank
// wait built on it always leaves the clock in a later 60 Hz period than it found it.
TEST(WinThread, SleepsUntilItsDeadlineThroughSignals) {
  struct sigaction quiet {}, old {};
  quiet.sa_handler = &ignoreSignal;
  sigemptyset(&quiet.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &quiet, &old), 0);
  const pthread_t sleeper = pthread_self();
  std::atomic<bool> done{false};
  std::thread poker([&] {
    while (!done) {
      pthread_kill(sleeper, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  });
  for (const long long step : {0LL, 1000LL, 2'500'000LL, 7'000'000LL}) {
    const long long deadline = win::MonotonicNanoseconds() + step;
    win::SleepUntilNanoseconds(deadline);
    EXPECT_GE(win::MonotonicNanoseconds(), deadline) << step;
  }
  win::SleepUntilNanoseconds(win::MonotonicNanoseconds() - 5'000'000);
  win::SleepUntilNanoseconds(0);
  for (int i = 0; i < 4; ++i) {
    const long long before = win::MonotonicNanoseconds() * 60 / 1'000'000'000;
    win::WaitForVerticalBlankTick();
    EXPECT_GT(win::MonotonicNanoseconds() * 60 / 1'000'000'000, before) << i;
  }
  done = true;
  poker.join();
  sigaction(SIGUSR1, &old, nullptr);
}

}  // namespace
