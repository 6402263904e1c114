// Message-aware waits, thread messages, queue status, registered message numbers and
// multimedia timer events.
#include "platform/win/message_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/mm_timer.h"
#include "platform/win/win_thread.h"

namespace win = plat::win;

namespace {
const int forceHeadless = setenv("HALVORINE_HEADLESS", "1", 1);

void drainThreadQueue() {
  win::MSG msg;
  while (win::PeekMessageW(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
  }
}
}  // namespace

TEST(MessageWait, WakesForAMessagePostedFromAnotherThreadAndForAnObject) {
  (void)forceHeadless;
  drainThreadQueue();
  const win::DWORD me = win::GetCurrentThreadId();
  win::HANDLE event = win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr);
  for (int round = 0; round < 20; ++round) {
    std::thread poster([&] {
      if (round % 2 == 0)
        win::PostThreadMessageW(me, win::WM_USER + 7, round, 0);
      else
        win::SetEvent(event);
    });
    const win::DWORD woke = win::MsgWaitForMultipleObjects(1, &event, win::FALSE, win::INFINITE, win::QS_POSTMESSAGE);
    poster.join();
    if (round % 2 == 0) {
      ASSERT_EQ(woke, win::WAIT_OBJECT_0 + 1);
      EXPECT_EQ(win::GetQueueStatus(win::QS_POSTMESSAGE) >> 16, win::QS_POSTMESSAGE);
      win::MSG msg;
      ASSERT_TRUE(win::PeekMessageW(&msg, nullptr, 0, 0, win::PM_REMOVE));
      EXPECT_EQ(msg.message, win::WM_USER + 7);
      EXPECT_EQ(msg.wParam, static_cast<win::WPARAM>(round));
      EXPECT_EQ(msg.hwnd, nullptr);
    } else {
      ASSERT_EQ(woke, win::WAIT_OBJECT_0);
    }
  }
  // A message of a kind not in the mask does not wake the wait.
  win::PostThreadMessageW(me, win::WM_USER, 0, 0);
  EXPECT_EQ(win::MsgWaitForMultipleObjects(1, &event, win::FALSE, 20, win::QS_KEY), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::MsgWaitForMultipleObjects(0, nullptr, win::FALSE, 0, win::QS_ALLINPUT), win::WAIT_OBJECT_0);
  drainThreadQueue();
  EXPECT_EQ(win::GetQueueStatus(win::QS_ALLINPUT), 0u);
  EXPECT_EQ(win::PostThreadMessageW(0, win::WM_USER, 0, 0), 0);
  win::CloseHandle(event);
}

TEST(MessageWait, QueueStatusReportsWhatIsNewSinceTheLastCall) {
  drainThreadQueue();
  win::GetQueueStatus(win::QS_ALLINPUT);
  win::PostThreadMessageW(win::GetCurrentThreadId(), win::WM_USER + 1, 0, 0);
  const win::DWORD first = win::GetQueueStatus(win::QS_POSTMESSAGE);
  EXPECT_EQ(first, (win::DWORD{win::QS_POSTMESSAGE} << 16) | win::QS_POSTMESSAGE);
  const win::DWORD second = win::GetQueueStatus(win::QS_POSTMESSAGE);
  EXPECT_EQ(second, win::DWORD{win::QS_POSTMESSAGE} << 16);
  drainThreadQueue();
}

TEST(MessageWait, RegisteredMessagesKeepTheirNumberPerName) {
  const win::UINT a = win::RegisterWindowMessageA("AMUnblock");
  const win::UINT b = win::RegisterWindowMessageA("amunblock");
  const win::UINT c = win::RegisterWindowMessageA("Another message");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(win::RegisterWindowMessageA(""), 0u);
  EXPECT_EQ(win::RegisterWindowMessageA(nullptr), 0u);
}

namespace {

struct TimerLog {
  std::atomic<int> calls{0};
  win::HANDLE event = nullptr;
  std::atomic<bool> inside{false};
  std::atomic<bool> release{false};
};

void countCall(win::UINT, win::UINT, win::DWORD_PTR user, win::DWORD_PTR, win::DWORD_PTR) {
  auto* log = reinterpret_cast<TimerLog*>(user);
  ++log->calls;
  win::SetEvent(log->event);
}

void slowCall(win::UINT, win::UINT, win::DWORD_PTR user, win::DWORD_PTR, win::DWORD_PTR) {
  auto* log = reinterpret_cast<TimerLog*>(user);
  log->inside = true;
  win::SetEvent(log->event);
  while (!log->release) std::this_thread::yield();
  ++log->calls;
  log->inside = false;
}

}  // namespace

TEST(MultimediaTimer, OneShotFiresOnceAndPeriodicUntilKilled) {
  for (int round = 0; round < 5; ++round) {
    TimerLog once, repeat;
    once.event = win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr);
    repeat.event = win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr);
    const win::UINT a = win::timeSetEvent(1, 1, &countCall, reinterpret_cast<win::DWORD_PTR>(&once), win::TIME_ONESHOT);
    const win::UINT b = win::timeSetEvent(1, 1, &countCall, reinterpret_cast<win::DWORD_PTR>(&repeat),
                                          win::TIME_PERIODIC | win::TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_NE(a, b);
    ASSERT_EQ(win::WaitForSingleObject(once.event, win::INFINITE), win::WAIT_OBJECT_0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(win::WaitForSingleObject(repeat.event, win::INFINITE), win::WAIT_OBJECT_0);
    EXPECT_EQ(win::timeKillEvent(b), win::TIMERR_NOERROR);
    const int afterKill = repeat.calls;
    EXPECT_GE(afterKill, 3);
    // A one-shot timer that has fired is gone.
    EXPECT_EQ(win::timeKillEvent(a), win::MMSYSERR_INVALPARAM);
    EXPECT_EQ(once.calls, 1);
    EXPECT_EQ(win::timeKillEvent(b), win::MMSYSERR_INVALPARAM);
    win::Sleep(3);
    EXPECT_EQ(repeat.calls, afterKill);
    win::CloseHandle(once.event);
    win::CloseHandle(repeat.event);
  }
  EXPECT_EQ(win::timeSetEvent(0, 1, &countCall, 0, 0), 0u);
  EXPECT_EQ(win::timeSetEvent(10, 1, nullptr, 0, 0), 0u);
}

TEST(MultimediaTimer, KillWaitsForACallbackUnderWay) {
  TimerLog log;
  log.event = win::CreateEventW(nullptr, win::FALSE, win::FALSE, nullptr);
  const win::UINT id = win::timeSetEvent(1, 1, &slowCall, reinterpret_cast<win::DWORD_PTR>(&log), win::TIME_PERIODIC);
  ASSERT_EQ(win::WaitForSingleObject(log.event, win::INFINITE), win::WAIT_OBJECT_0);
  std::thread releaser([&] {
    win::Sleep(5);
    log.release = true;
  });
  EXPECT_EQ(win::timeKillEvent(id), win::TIMERR_NOERROR);
  EXPECT_FALSE(log.inside);
  EXPECT_EQ(log.calls, 1);
  releaser.join();
  win::CloseHandle(log.event);
}
