// Per-thread message queues: posting, sending, peeking and dispatching, the keyboard
// state that follows the key and button messages taken from the queue, and the
// default window procedure.
#include <time.h>

#include <algorithm>
#include <cstring>

#include "platform/win/imm.h"
#include "platform/win/win_thread.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

BYTE keyState[256];

std::unordered_map<DWORD, std::unique_ptr<MessageQueue>>& queueTable() {
  static std::unordered_map<DWORD, std::unique_ptr<MessageQueue>> table;
  return table;
}

const HWND kThreadMessages = reinterpret_cast<HWND>(-1);

bool matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter == kThreadMessages) {
    if (m.hwnd) return false;
  } else if (filter && m.hwnd != filter) {
    return false;
  }
  return (lo == 0 && hi == 0) || (m.message >= lo && m.message <= hi);
}

void press(BYTE vk, bool down) {
  if (down) {
    if (!(keyState[vk] & 0x80)) keyState[vk] ^= 0x01;
    keyState[vk] |= 0x80;
  } else {
    keyState[vk] &= static_cast<BYTE>(~0x80);
  }
}

void pair(BYTE generic, BYTE left, BYTE right) {
  bool down = (keyState[left] | keyState[right]) & 0x80;
  press(generic, down);
}

// Follows a key or button message as it leaves the queue.
void track(const MSG& m) {
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
      BYTE vk = static_cast<BYTE>(m.wParam);
      int scan = static_cast<int>((m.lParam >> 16) & 0xFF);
      bool extended = (m.lParam >> 24) & 1;
      if (vk == VK_SHIFT) vk = scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
      else if (vk == VK_CONTROL) vk = extended ? VK_RCONTROL : VK_LCONTROL;
      else if (vk == VK_MENU) vk = extended ? VK_RMENU : VK_LMENU;
      press(vk, down);
      pair(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
      pair(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
      pair(VK_MENU, VK_LMENU, VK_RMENU);
      break;
    }
    case WM_LBUTTONDOWN: press(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: press(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: press(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: press(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: press(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: press(VK_MBUTTON, false); break;
    default: break;
  }
}

thread_local MessageQueue* myQueue = nullptr;

constexpr int kMaxSources = 8;
std::atomic<MessageSource> sources[kMaxSources];
std::atomic<int> sourceCount{0};

void runSources() {
  if (sourceCount.load(std::memory_order_acquire) == 0) return;
  for (auto& s : sources)
    if (MessageSource step = s.load(std::memory_order_acquire)) step();
}

}  // namespace

std::mutex& windowLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_map<uintptr_t, std::unique_ptr<Window>>& windowTable() {
  static std::unordered_map<uintptr_t, std::unique_ptr<Window>> table;
  return table;
}

Window* findWindow(HWND hwnd) {
  auto& table = windowTable();
  auto it = table.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == table.end() ? nullptr : it->second.get();
}

DWORD currentThreadId() { return GetCurrentThreadId(); }

MessageQueue& queueOf(DWORD threadId) {
  auto& q = queueTable()[threadId];
  if (!q) q = std::make_unique<MessageQueue>();
  return *q;
}

MessageQueue& currentQueue() {
  if (!myQueue) {
    std::lock_guard lock(windowLock());
    myQueue = &queueOf(currentThreadId());
  }
  return *myQueue;
}

DWORD messageTime() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<DWORD>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

void invalidate(Window& w) {
  if (w.needsPaint || w.destroying) return;
  w.needsPaint = true;
  MessageQueue& q = queueOf(w.threadId);
  ++q.paintCount;
  q.recount();
}

void validate(Window& w) {
  if (!w.needsPaint) return;
  w.needsPaint = false;
  MessageQueue& q = queueOf(w.threadId);
  --q.paintCount;
  q.recount();
}

void purgeMessages(const Window& w) {
  MessageQueue& q = queueOf(w.threadId);
  HWND hwnd = toHandle(&w);
  std::erase_if(q.sent, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
  std::erase_if(q.posted, [hwnd](const MSG& m) {
    if (m.hwnd != hwnd) return false;
    discardMessage(m);
    return true;
  });
  q.recount();
  dropTimers(hwnd);
}

void AddMessageSource(MessageSource source) {
  std::lock_guard lock(windowLock());
  for (auto& s : sources)
    if (s.load() == source) return;
  for (auto& s : sources) {
    if (s.load() == nullptr) {
      s.store(source, std::memory_order_release);
      sourceCount.fetch_add(1, std::memory_order_release);
      return;
    }
  }
}

void RemoveMessageSource(MessageSource source) {
  std::lock_guard lock(windowLock());
  for (auto& s : sources) {
    if (s.load() == source) {
      s.store(nullptr, std::memory_order_release);
      sourceCount.fetch_sub(1, std::memory_order_release);
    }
  }
}

std::atomic<DWORD> queueChanges{0};

DWORD GetQueueChangeCount() { return queueChanges.load(std::memory_order_acquire); }

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  if (Backend* b = backend()) b->pumpEvents();
  runSources();
  if (liveTimerCount.load(std::memory_order_relaxed) > 0 ||
      frameLimitedWindowCount.load(std::memory_order_relaxed) > 0 ||
      pendingCloseSignals.load(std::memory_order_relaxed) > 0) {
    std::lock_guard lock(windowLock());
    postDueTimers();
    postIdleCloses();
    postSignalCloses();
  }
  MessageQueue& q = currentQueue();
  // Nothing waiting: the common case of every pump pass, answered without the lock.
  if (q.waiting.load(std::memory_order_acquire) == 0 || !msg) return 0;
  std::unique_lock lock(windowLock());
  // Messages the window system sends go straight to their procedure, as a sent
  // message does while its thread looks at the queue.
  while (!q.sent.empty()) {
    MSG m = q.sent.front();
    q.sent.pop_front();
    q.recount();
    Window* w = findWindow(m.hwnd);
    if (!w) continue;
    WNDPROC proc = w->proc;
    lock.unlock();
    proc(m.hwnd, m.message, m.wParam, m.lParam);
    lock.lock();
  }
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!matches(*it, hwnd, filterMin, filterMax)) continue;
    *msg = *it;
    if (remove & PM_REMOVE) {
      q.posted.erase(it);
      q.recount();
      track(*msg);
    }
    return 1;
  }
  if (q.paintCount > 0 &&
      matches(MSG{hwnd == kThreadMessages ? nullptr : hwnd, WM_PAINT, 0, 0, 0, {}}, hwnd, filterMin, filterMax)) {
    DWORD me = currentThreadId();
    for (auto& [id, w] : windowTable()) {
      if (w->threadId != me || !w->needsPaint) continue;
      if (hwnd && hwnd != kThreadMessages && toHandle(w.get()) != hwnd) continue;
      *msg = MSG{toHandle(w.get()), WM_PAINT, 0, 0, messageTime(), {}};
      return 1;  // stays until the window is validated
    }
  }
  if (q.quit && (!hwnd || hwnd == kThreadMessages) &&
      ((filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, messageTime(), {}};
    if (remove & PM_REMOVE) {
      q.quit = false;
      q.recount();
    }
    return 1;
  }
  return 0;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return 0;
  BYTE vk = static_cast<BYTE>(msg->wParam);
  WPARAM ch = 0;
  {
    std::lock_guard lock(windowLock());
    bool control = keyState[VK_CONTROL] & 0x80;
    if (vk == VK_RETURN) ch = 13;
    else if (vk == VK_BACK) ch = 8;
    else if (vk == VK_TAB) ch = 9;
    else if (vk == VK_ESCAPE) ch = 0x1B;
    else if (control && vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 1;
  }
  if (ch == 0) return 1;
  PostMessageW(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
  return 1;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  WNDPROC proc;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(msg->hwnd);
    if (!w) return 0;
    proc = w->proc;
  }
  // A timer with a procedure calls it instead of the window procedure.
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    timerDispatched(msg->hwnd, msg->wParam);
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, messageTime());
    return 0;
  }
  if (msg->message == WM_TIMER) timerDispatched(msg->hwnd, msg->wParam);
  imeBeforeDispatch(*msg);
  return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(windowLock());
  DWORD thread;
  if (hwnd) {
    Window* w = findWindow(hwnd);
    if (!w || w->destroying) return 0;
    thread = w->threadId;
  } else {
    thread = currentThreadId();
  }
  MessageQueue& q = queueOf(thread);
  q.posted.push_back(MSG{hwnd, message, wParam, lParam, messageTime(), {}});
  q.recount();
  return 1;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    proc = w->proc;
  }
  return proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  MessageQueue& q = currentQueue();
  std::lock_guard lock(windowLock());
  q.quit = true;
  q.quitCode = exitCode;
  q.recount();
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: {
      // Painting nothing still validates, or WM_PAINT would come back forever.
      std::lock_guard lock(windowLock());
      if (Window* w = findWindow(hwnd)) validate(*w);
      return 0;
    }
    case WM_SETCURSOR: {
      HCURSOR cursor;
      {
        std::lock_guard lock(windowLock());
        Window* w = findWindow(hwnd);
        if (!w) return 0;
        cursor = w->cursor;
      }
      SetCursor(cursor);
      return 1;
    }
    default: return 0;
  }
}

int TranslateAcceleratorW(HWND, HACCEL, MSG*) { return 0; }
BOOL IsDialogMessageW(HWND, MSG*) { return 0; }

BOOL GetKeyboardState(BYTE* state) {
  if (!state) return 0;
  std::lock_guard lock(windowLock());
  std::memcpy(state, keyState, sizeof keyState);
  return 1;
}

}  // namespace plat::win
