// Tests of media/base/thread: locks and threads of the media layer.
#include "media/base/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win/win_thread.h"

using namespace ZaDod;

namespace {

struct Counter {
  std::atomic<int> calls{0};
  std::atomic<uint32_t> id{0};
};

void countCall(ThreadRecord* thread, void* parameter) {
  auto* counter = static_cast<Counter*>(parameter);
  counter->id = Thread_GetId(thread);
  ++counter->calls;
}

void waitEnded(ThreadRecord& thread) {
  ASSERT_EQ(plat::win::WaitForSingleObject(thread.ThreadHandle, plat::win::INFINITE), plat::win::WAIT_OBJECT_0);
}

}  // namespace

TEST(Thread, FunctionRunsOnlyAfterResumeEveryTime) {
  for (int run = 0; run < 1000; ++run) {
    Counter counter;
    ThreadRecord thread{};
    ASSERT_EQ(Thread_Create(&thread, countCall, &counter), 0);
    ASSERT_EQ(Thread_IsValid(&thread), 1);
    // The retry loop the asynchronous loader uses to wake a fresh worker.
    while (Thread_Resume(&thread) == 0) {
      ASSERT_EQ(counter.calls.load(), 0);
      Thread_Sleep(0);
    }
    waitEnded(thread);
    ASSERT_EQ(counter.calls.load(), 1);
    ASSERT_EQ(counter.id.load(), Thread_GetId(&thread));
    Thread_Close(&thread);
    ASSERT_EQ(Thread_IsValid(&thread), 0);
  }
}

TEST(Thread, PriorityLevelsMapAndUnknownLevelChangesNothing) {
  Counter counter;
  ThreadRecord thread{};
  ASSERT_EQ(Thread_Create(&thread, countCall, &counter), 0);
  Thread_SetPriority(&thread, 0);
  EXPECT_EQ(plat::win::GetThreadPriority(thread.ThreadHandle), plat::win::THREAD_PRIORITY_LOWEST);
  Thread_SetPriority(&thread, 3);
  EXPECT_EQ(plat::win::GetThreadPriority(thread.ThreadHandle), plat::win::THREAD_PRIORITY_HIGHEST);
  Thread_SetPriority(&thread, 4);
  EXPECT_EQ(plat::win::GetThreadPriority(thread.ThreadHandle), plat::win::THREAD_PRIORITY_HIGHEST);
  while (Thread_Resume(&thread) == 0) Thread_Sleep(0);
  waitEnded(thread);
  Thread_Close(&thread);
}

TEST(CriticalSection, ReentrantAndRecordsLastLocker) {
  TrackedCriticalSection lock;
  CriticalSection_Initialize(&lock);
  EXPECT_STREQ(lock.FilePath, "");
  CriticalSection_Lock(&lock, "first.cpp", 10);
  CriticalSection_Lock(&lock, "second.cpp", 20);
  EXPECT_STREQ(lock.FilePath, "second.cpp");
  EXPECT_EQ(lock.FileLine, 20);
  EXPECT_EQ(lock.ThreadID, plat::win::GetCurrentThreadId());

  std::atomic<bool> took{false};
  std::atomic<uint32_t> otherId{0};
  std::thread other([&] {
    otherId = plat::win::GetCurrentThreadId();
    CriticalSection_Lock(&lock, "other.cpp", 30);
    took = true;
    CriticalSection_Unlock(&lock);
  });
  CriticalSection_Unlock(&lock);
  Thread_Sleep(10);
  EXPECT_FALSE(took.load());
  CriticalSection_Unlock(&lock);
  other.join();
  EXPECT_STREQ(lock.FilePath, "other.cpp");
  EXPECT_EQ(lock.ThreadID, otherId.load());

  std::string longPath(600, 'p');
  longPath[510] = 'x';
  longPath[511] = 'y';
  CriticalSection_Lock(&lock, longPath.c_str(), 1);
  EXPECT_EQ(std::string(lock.FilePath), longPath.substr(0, 511));
  CriticalSection_Unlock(&lock);
  CriticalSection_Delete(&lock);
}
