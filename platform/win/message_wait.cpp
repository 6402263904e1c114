// Message-aware waits, thread messages, queue status and registered message numbers.
#include "platform/win/message_wait.h"

#include <strings.h>

#include <string>
#include <vector>

#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

UINT kindOf(UINT message) {
  if (message == WM_TIMER) return QS_TIMER;
  if (message >= WM_KEYDOWN && message <= 0x0109) return QS_KEY;
  if (message == WM_MOUSEMOVE) return QS_MOUSEMOVE;
  if (message > WM_MOUSEMOVE && message <= 0x020E) return QS_MOUSEBUTTON;
  return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
}

// The kinds waiting in the calling thread's queue. Runs the pump's sources and due
// timers first, as a look at the queue does.
UINT kindsWaiting() {
  PeekMessageW(nullptr, nullptr, 0, 0, PM_NOREMOVE);
  MessageQueue& q = currentQueue();
  if (q.waiting.load(std::memory_order_acquire) == 0) return 0;
  std::lock_guard lock(windowLock());
  UINT kinds = 0;
  if (!q.sent.empty()) kinds |= QS_SENDMESSAGE;
  for (const MSG& m : q.posted) kinds |= kindOf(m.message);
  if (q.paintCount > 0) kinds |= QS_PAINT;
  if (q.quit) kinds |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  return kinds;
}

thread_local UINT kindsLastReported = 0;

}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask) {
  if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && handles == nullptr)) return WAIT_FAILED;
  // Posting gives no signal to wait on, so the queue is looked at between short waits
  // on the objects.
  const DWORD begin = timeGetTime();
  for (;;) {
    if (kindsWaiting() & wakeMask) return WAIT_OBJECT_0 + count;
    const DWORD spent = timeGetTime() - begin;
    if (milliseconds != INFINITE && spent >= milliseconds) {
      if (count == 0) return WAIT_TIMEOUT;
      return WaitForMultipleObjects(count, handles, waitAll, 0);
    }
    DWORD slice = 1;
    if (milliseconds != INFINITE && milliseconds - spent < slice) slice = milliseconds - spent;
    if (count == 0) {
      Sleep(slice);
      continue;
    }
    const DWORD result = WaitForMultipleObjects(count, handles, waitAll, slice);
    if (result != WAIT_TIMEOUT) return result;
  }
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  if (threadId == 0) return 0;
  // The queue is made on first use, so a message posted before the thread first looks
  // is kept for it.
  std::lock_guard lock(windowLock());
  MessageQueue& q = queueOf(threadId);
  q.posted.push_back(MSG{nullptr, message, wParam, lParam, messageTime(), {}});
  q.recount();
  return 1;
}

DWORD GetQueueStatus(UINT flags) {
  const UINT now = kindsWaiting() & flags;
  const UINT added = now & ~kindsLastReported;
  kindsLastReported = now;
  return (static_cast<DWORD>(now) << 16) | added;
}

UINT RegisterWindowMessageA(const char* name) {
  if (name == nullptr || *name == '\0') return 0;
  static std::mutex lock;
  static std::vector<std::string> names;
  std::lock_guard guard(lock);
  for (size_t i = 0; i < names.size(); ++i)
    if (strcasecmp(names[i].c_str(), name) == 0) return static_cast<UINT>(0xC000 + i);
  if (names.size() >= 0x4000) return 0;
  names.emplace_back(name);
  return static_cast<UINT>(0xC000 + names.size() - 1);
}

}  // namespace plat::win
