// Multimedia timer events on one timer thread, driven by the steady clock so that a
// clock held by a test does not stop them.
#include "platform/win/mm_timer.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace plat::win {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  Clock::time_point due;
  std::chrono::milliseconds period;
  LPTIMECALLBACK callback;
  DWORD_PTR user;
  bool periodic;
};

struct TimerThread {
  std::mutex lock;
  std::condition_variable changed;
  std::map<UINT, Timer> timers;
  UINT nextId = 1;
  UINT running = 0;  // the timer whose callback runs now
  std::thread::id threadId;
  bool started = false;

  void run() {
    std::unique_lock guard(lock);
    threadId = std::this_thread::get_id();
    for (;;) {
      if (timers.empty()) {
        changed.wait(guard);
        continue;
      }
      auto next = timers.begin();
      for (auto it = timers.begin(); it != timers.end(); ++it)
        if (it->second.due < next->second.due) next = it;
      // A copy: the timer may be killed, and its entry freed, during the wait.
      const Clock::time_point due = next->second.due;
      if (Clock::now() < due) {
        changed.wait_until(guard, due);
        continue;
      }
      const UINT id = next->first;
      const Timer timer = next->second;
      if (timer.periodic) {
        next->second.due += timer.period;
        // A callback slower than the period does not pile up missed calls.
        if (next->second.due < Clock::now()) next->second.due = Clock::now() + timer.period;
      } else {
        timers.erase(next);
      }
      running = id;
      guard.unlock();
      timer.callback(id, 0, timer.user, 0, 0);
      guard.lock();
      running = 0;
      changed.notify_all();
    }
  }
};

// Never destroyed: the thread may still be waiting while the process's statics go.
TimerThread& timerThread() {
  static TimerThread* const shared = new TimerThread;
  return *shared;
}

}  // namespace

MMRESULT timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
  if (callback == nullptr || delay < 1 || delay > 1000000) return 0;
  TimerThread& t = timerThread();
  std::lock_guard guard(t.lock);
  if (!t.started) {
    std::thread([&t] { t.run(); }).detach();
    t.started = true;
  }
  UINT id = t.nextId;
  while (id == 0 || t.timers.count(id) != 0) ++id;
  t.nextId = id + 1;
  const auto period = std::chrono::milliseconds(delay);
  t.timers[id] = Timer{Clock::now() + period, period, callback, user, (flags & TIME_PERIODIC) != 0};
  t.changed.notify_all();
  return id;
}

MMRESULT timeKillEvent(UINT timerId) {
  TimerThread& t = timerThread();
  std::unique_lock guard(t.lock);
  const bool live = t.timers.erase(timerId) != 0;
  if (!live && t.running != timerId) return MMSYSERR_INVALPARAM;
  t.changed.notify_all();
  // A callback under way finishes before the timer counts as gone, so its data can be freed.
  if (std::this_thread::get_id() != t.threadId) t.changed.wait(guard, [&] { return t.running != timerId; });
  return live ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

}  // namespace plat::win
