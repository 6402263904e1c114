// Window timers.
#include <algorithm>
#include <vector>

#include "platform/win/win_clock.h"
#include "platform/win/window_internal.h"

namespace plat::win {

std::atomic<int> liveTimerCount{0};

namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  DWORD thread;
  DWORD due;
  bool pending;
};

std::vector<Timer>& timers() {
  static std::vector<Timer> list;
  return list;
}

void recountTimers() { liveTimerCount.store(static_cast<int>(timers().size()), std::memory_order_relaxed); }

// Drops a posted WM_TIMER of the timer (under windowLock).
void dropPending(const Timer& t) {
  MessageQueue& q = queueOf(t.thread);
  std::erase_if(q.posted, [&](const MSG& m) { return m.hwnd == t.hwnd && m.message == WM_TIMER && m.wParam == t.id; });
  q.recount();
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  if (elapse < 10) elapse = 10;  // the shortest period the system keeps
  const DWORD due = timeGetTime() + elapse;
  for (Timer& t : timers()) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.proc = proc;
      t.due = due;
      return id ? id : 1;
    }
  }
  timers().push_back(Timer{hwnd, id, elapse, proc, w->threadId, due, false});
  recountTimers();
  return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard lock(windowLock());
  auto& list = timers();
  auto it = std::find_if(list.begin(), list.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == list.end()) return FALSE;
  dropPending(*it);
  list.erase(it);
  recountTimers();
  return TRUE;
}

void postDueTimers() {
  const DWORD now = timeGetTime();
  const DWORD me = currentThreadId();
  for (Timer& t : timers()) {
    if (t.thread != me || t.pending || static_cast<int32_t>(now - t.due) < 0) continue;
    MessageQueue& q = queueOf(t.thread);
    q.posted.push_back(MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, {}});
    q.recount();
    t.pending = true;
    t.due = now + t.elapse;
  }
}

void dropTimers(HWND hwnd) {
  std::erase_if(timers(), [hwnd](const Timer& t) { return t.hwnd == hwnd; });
  recountTimers();
}

void timerDispatched(HWND hwnd, UINT_PTR id) {
  std::lock_guard lock(windowLock());
  for (Timer& t : timers())
    if (t.hwnd == hwnd && t.id == id) t.pending = false;
}

}  // namespace plat::win
