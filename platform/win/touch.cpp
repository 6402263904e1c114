// Touch registration and the inputs of a WM_TOUCH message (window_events.cpp makes
// them from the window system's finger events).
#include <algorithm>
#include <mutex>
#include <set>

#include "platform/win/window_internal.h"

namespace plat::win {

struct TouchTag {
  std::vector<TOUCHINPUT> inputs;
};

namespace {

// Handles are checked against those made and not yet closed: a procedure that closes
// one and then hands the message on must not free it twice.
std::mutex touchLock;
std::set<TouchTag*>& liveTouches() {
  static std::set<TouchTag*> live;
  return live;
}

}  // namespace

HTOUCHINPUT makeTouchInput(std::vector<TOUCHINPUT> inputs) {
  auto* tag = new TouchTag{std::move(inputs)};
  std::lock_guard lock(touchLock);
  liveTouches().insert(tag);
  return tag;
}

BOOL RegisterTouchWindow(HWND hwnd, DWORD) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  w->touch = true;
  return 1;
}

BOOL UnregisterTouchWindow(HWND hwnd) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  w->touch = false;
  w->fingers.clear();
  return 1;
}

BOOL IsTouchWindow(HWND hwnd, DWORD* flags) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (flags) *flags = 0;
  return w && w->touch ? 1 : 0;
}

BOOL GetTouchInputInfo(HTOUCHINPUT input, UINT count, TOUCHINPUT* inputs, int size) {
  if (!inputs || count == 0 || size != static_cast<int>(sizeof(TOUCHINPUT))) return 0;
  std::lock_guard lock(touchLock);
  if (!liveTouches().count(input)) return 0;
  const std::size_t n = std::min<std::size_t>(count, input->inputs.size());
  std::copy_n(input->inputs.begin(), n, inputs);
  return 1;
}

BOOL CloseTouchInputHandle(HTOUCHINPUT input) {
  std::lock_guard lock(touchLock);
  if (!liveTouches().erase(input)) return 0;
  delete input;
  return 1;
}

}  // namespace plat::win
