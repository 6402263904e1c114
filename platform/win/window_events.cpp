// Window-system events to window messages. The display back end and the test
// injection both come through deliverEvent, so a headless window gets exactly the
// messages a window on a display would.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

#include "platform/win/imm.h"
#include "platform/win/path.h"
#include "platform/win/raw_input.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

struct KeyRow {
  BYTE usage;
  BYTE vk;
  WORD scan;  // set-1 scan code, 0x100 for the extended keys
};

// Virtual keys follow the physical key; the punctuation keys carry the Japanese
// layout's codes so that the virtual-key reader of the input system finds the scan
// codes its table was written for.
constexpr KeyRow kKeys[] = {
    {0x04, 'A', 0x1E},   {0x05, 'B', 0x30},   {0x06, 'C', 0x2E},   {0x07, 'D', 0x20},   {0x08, 'E', 0x12},
    {0x09, 'F', 0x21},   {0x0A, 'G', 0x22},   {0x0B, 'H', 0x23},   {0x0C, 'I', 0x17},   {0x0D, 'J', 0x24},
    {0x0E, 'K', 0x25},   {0x0F, 'L', 0x26},   {0x10, 'M', 0x32},   {0x11, 'N', 0x31},   {0x12, 'O', 0x18},
    {0x13, 'P', 0x19},   {0x14, 'Q', 0x10},   {0x15, 'R', 0x13},   {0x16, 'S', 0x1F},   {0x17, 'T', 0x14},
    {0x18, 'U', 0x16},   {0x19, 'V', 0x2F},   {0x1A, 'W', 0x11},   {0x1B, 'X', 0x2D},   {0x1C, 'Y', 0x15},
    {0x1D, 'Z', 0x2C},   {0x1E, '1', 0x02},   {0x1F, '2', 0x03},   {0x20, '3', 0x04},   {0x21, '4', 0x05},
    {0x22, '5', 0x06},   {0x23, '6', 0x07},   {0x24, '7', 0x08},   {0x25, '8', 0x09},   {0x26, '9', 0x0A},
    {0x27, '0', 0x0B},   {0x28, 0x0D, 0x1C},  {0x29, 0x1B, 0x01},  {0x2A, 0x08, 0x0E},  {0x2B, 0x09, 0x0F},
    {0x2C, 0x20, 0x39},  {0x2D, 0xBD, 0x0C},  {0x2E, 0xDE, 0x0D},  {0x2F, 0xC0, 0x1A},  {0x30, 0xDB, 0x1B},
    {0x31, 0xDC, 0x2B},  {0x32, 0xDD, 0x2B},  {0x33, 0xBB, 0x27},  {0x34, 0xBA, 0x28},  {0x35, 0xF4, 0x29},
    {0x36, 0xBC, 0x33},  {0x37, 0xBE, 0x34},  {0x38, 0xBF, 0x35},  {0x39, 0x14, 0x3A},  {0x3A, 0x70, 0x3B},
    {0x3B, 0x71, 0x3C},  {0x3C, 0x72, 0x3D},  {0x3D, 0x73, 0x3E},  {0x3E, 0x74, 0x3F},  {0x3F, 0x75, 0x40},
    {0x40, 0x76, 0x41},  {0x41, 0x77, 0x42},  {0x42, 0x78, 0x43},  {0x43, 0x79, 0x44},  {0x44, 0x7A, 0x57},
    {0x45, 0x7B, 0x58},  {0x46, 0x2C, 0x137}, {0x47, 0x91, 0x46},  {0x48, 0x13, 0x45},  {0x49, 0x2D, 0x152},
    {0x4A, 0x24, 0x147}, {0x4B, 0x21, 0x149}, {0x4C, 0x2E, 0x153}, {0x4D, 0x23, 0x14F}, {0x4E, 0x22, 0x151},
    {0x4F, 0x27, 0x14D}, {0x50, 0x25, 0x14B}, {0x51, 0x28, 0x150}, {0x52, 0x26, 0x148}, {0x53, 0x90, 0x145},
    {0x54, 0x6F, 0x135}, {0x55, 0x6A, 0x37},  {0x56, 0x6D, 0x4A},  {0x57, 0x6B, 0x4E},  {0x58, 0x0D, 0x11C},
    {0x59, 0x61, 0x4F},  {0x5A, 0x62, 0x50},  {0x5B, 0x63, 0x51},  {0x5C, 0x64, 0x4B},  {0x5D, 0x65, 0x4C},
    {0x5E, 0x66, 0x4D},  {0x5F, 0x67, 0x47},  {0x60, 0x68, 0x48},  {0x61, 0x69, 0x49},  {0x62, 0x60, 0x52},
    {0x63, 0x6E, 0x53},  {0x64, 0xE2, 0x56},  {0x65, 0x5D, 0x15D}, {0x87, 0xE2, 0x73},  {0x88, 0xF2, 0x70},
    {0x89, 0xDC, 0x7D},  {0x8A, 0x1C, 0x79},  {0x8B, 0x1D, 0x7B},  {0xE0, 0xA2, 0x1D},  {0xE1, 0xA0, 0x2A},
    {0xE2, 0xA4, 0x38},  {0xE3, 0x5B, 0x15B}, {0xE4, 0xA3, 0x11D}, {0xE5, 0xA1, 0x36},  {0xE6, 0xA5, 0x138},
    {0xE7, 0x5C, 0x15C},
};

// Keys held down as reported by the window system (not as taken from the queue):
// they decide WM_SYSKEYDOWN and the previous-state bit.
bool physical[256];
POINT virtualCursor{0, 0};

struct DropList {
  std::vector<std::u16string> files;
};

BYTE genericKey(BYTE vk) {
  if (vk == 0xA0 || vk == 0xA1) return VK_SHIFT;
  if (vk == 0xA2 || vk == 0xA3) return VK_CONTROL;
  if (vk == 0xA4 || vk == 0xA5) return VK_MENU;
  return vk;
}

WPARAM mouseKeys() {
  WPARAM mk = 0;
  if (physical[VK_LBUTTON]) mk |= MK_LBUTTON;
  if (physical[VK_RBUTTON]) mk |= MK_RBUTTON;
  if (physical[VK_MBUTTON]) mk |= MK_MBUTTON;
  if (physical[VK_LSHIFT] || physical[VK_RSHIFT]) mk |= MK_SHIFT;
  if (physical[VK_LCONTROL] || physical[VK_RCONTROL]) mk |= MK_CONTROL;
  return mk;
}

void post(Window& w, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageQueue& q = queueOf(w.threadId);
  q.posted.push_back(MSG{toHandle(&w), message, wParam, lParam, messageTime(), virtualCursor});
  q.recount();
}

// Activation, size and move notices are sent, not posted: the procedure gets them
// when the window's thread next looks at its queue, and the queue never holds them.
void send(Window& w, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageQueue& q = queueOf(w.threadId);
  q.sent.push_back(MSG{toHandle(&w), message, wParam, lParam, messageTime(), virtualCursor});
  q.recount();
}

void keyEvent(Window& w, const WindowEvent& e) {
  BYTE vk;
  int scan;
  if (!keyOfUsage(e.key, &vk, &scan)) return;
  bool down = e.kind == WindowEvent::Kind::KeyDown;
  bool wasDown = physical[vk];
  bool alt = physical[VK_LMENU] || physical[VK_RMENU];
  bool control = physical[VK_LCONTROL] || physical[VK_RCONTROL];
  bool isAlt = vk == VK_LMENU || vk == VK_RMENU;
  bool system = ((alt || isAlt) && !control) || vk == VK_F10;
  physical[vk] = down;
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (scan & 0x100) lParam |= LPARAM(1) << 24;
  if (alt && !isAlt) lParam |= LPARAM(1) << 29;
  if (wasDown || !down) lParam |= LPARAM(1) << 30;
  if (!down) lParam |= LPARAM(1) << 31;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  post(w, message, genericKey(vk), static_cast<LPARAM>(static_cast<DWORD>(lParam)));
}

// Input-method messages keep their place among the typed characters.
void postAll(Window& w, const std::vector<ImeMessage>& messages) {
  for (const ImeMessage& m : messages) post(w, m.message, m.wParam, m.lParam);
}

// Text typed while a composition runs is its result; otherwise it is typed characters.
void textEvent(Window& w, const std::string& text) {
  std::u16string units = utf16FromUtf8(text);
  std::vector<ImeMessage> commit = imeCommit(toHandle(&w), units);
  if (!commit.empty()) return postAll(w, commit);
  for (char16_t unit : units) post(w, WM_CHAR, unit, 1);
}

// The window system counts the composition cursor in characters.
void editingEvent(Window& w, const WindowEvent& e) {
  std::u16string units = utf16FromUtf8(e.text);
  size_t at = 0;
  for (int n = 0; n < e.x && at < units.size(); ++n)
    at += (units[at] >= 0xD800 && units[at] < 0xDC00 && at + 1 < units.size()) ? 2 : 1;
  postAll(w, imeEditing(toHandle(&w), units, static_cast<int>(at)));
}

void buttonEvent(Window& w, const WindowEvent& e) {
  bool down = e.kind == WindowEvent::Kind::ButtonDown;
  UINT message;
  BYTE vk;
  switch (e.key) {
    case 1: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP, vk = VK_LBUTTON; break;
    case 2: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP, vk = VK_MBUTTON; break;
    case 3: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP, vk = VK_RBUTTON; break;
    default: return;
  }
  physical[vk] = down;
  post(w, message, mouseKeys(), MAKELPARAM(e.x, e.y));
}

void wheelEvent(Window& w, const WindowEvent& e) {
  LPARAM at = MAKELPARAM(virtualCursor.x, virtualCursor.y);
  long dy = std::lround(e.wheelY * WHEEL_DELTA);
  long dx = std::lround(e.wheelX * WHEEL_DELTA);
  if (dy) post(w, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(mouseKeys()), static_cast<int>(dy)), at);
  if (dx) post(w, WM_MOUSEHWHEEL, MAKEWPARAM(static_cast<int>(mouseKeys()), static_cast<int>(dx)), at);
}

void dropEvent(Window& w, const WindowEvent& e) {
  if (!w.acceptFiles || e.files.empty()) return;
  auto* list = new DropList;
  for (const std::string& f : e.files) list->files.push_back(utf16FromUtf8(f));
  post(w, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0);
}

void moveTo(Window& w, LONG clientX, LONG clientY) {
  RECT f;
  frameOf(w, &f);
  LONG dx = clientX - f.left - w.rect.left, dy = clientY - f.top - w.rect.top;
  w.rect = RECT{w.rect.left + dx, w.rect.top + dy, w.rect.right + dx, w.rect.bottom + dy};
  clientRectOnScreen(w, &w.client);
}

void resizeTo(Window& w, LONG width, LONG height) {
  RECT f;
  frameOf(w, &f);
  w.rect.right = w.rect.left + f.left + width + f.right;
  w.rect.bottom = w.rect.top + f.top + height + f.bottom;
  clientRectOnScreen(w, &w.client);
}

// A share of the client's extent as a desktop position in hundredths of a pixel.
LONG hundredths(LONG origin, LONG extent, float share) {
  const float clamped = std::clamp(share, 0.0f, 1.0f);
  return origin * 100 + static_cast<LONG>(std::lround(clamped * static_cast<float>(extent) * 100.0f));
}

// Fingers on a window registered for touch become WM_TOUCH messages. Each lists every
// finger down on the window, the one that changed flagged down, moved or up, and the
// first one down flagged primary; its inputs stay readable until the procedure closes
// the handle or the message is dropped unread.
void touchEvent(Window& w, const WindowEvent& e) {
  if (!w.touch) return;
  using K = WindowEvent::Kind;
  const LONG x = hundredths(w.client.left, w.client.right - w.client.left, e.touchX);
  const LONG y = hundredths(w.client.top, w.client.bottom - w.client.top, e.touchY);
  auto at = std::find_if(w.fingers.begin(), w.fingers.end(), [&](const Window::Finger& f) { return f.id == e.key; });
  DWORD changed = TOUCHEVENTF_MOVE;
  if (at == w.fingers.end()) {
    // A move or lift of a finger that landed before registration, or elsewhere, is
    // taken as its landing, so that every finger down is reported.
    if (e.kind == K::FingerUp) return;
    w.fingers.push_back(Window::Finger{e.key, x, y});
    at = w.fingers.end() - 1;
    changed = TOUCHEVENTF_DOWN;
  } else {
    *at = Window::Finger{e.key, x, y};
    if (e.kind == K::FingerUp) changed = TOUCHEVENTF_UP;
  }
  std::vector<TOUCHINPUT> list;
  const DWORD time = messageTime();
  for (const Window::Finger& f : w.fingers) {
    TOUCHINPUT input{};
    input.x = f.x;
    input.y = f.y;
    input.dwID = static_cast<DWORD>(f.id);
    input.dwFlags = (f.id == e.key ? changed : TOUCHEVENTF_MOVE) | (&f == &w.fingers.front() ? TOUCHEVENTF_PRIMARY : 0);
    if (!(input.dwFlags & TOUCHEVENTF_UP)) input.dwFlags |= TOUCHEVENTF_INRANGE;
    input.dwTime = time;
    list.push_back(input);
  }
  if (changed == TOUCHEVENTF_UP) w.fingers.erase(at);
  const WPARAM count = list.size();
  post(w, WM_TOUCH, count, reinterpret_cast<LPARAM>(makeTouchInput(std::move(list))));
}

}  // namespace

bool keyOfUsage(int usage, BYTE* vk, int* scan) {
  for (const KeyRow& row : kKeys) {
    if (row.usage != usage) continue;
    *vk = row.vk;
    *scan = row.scan;
    return true;
  }
  return false;
}

void setVirtualCursor(LONG x, LONG y) { virtualCursor = POINT{x, y}; }

bool virtualCursorPos(POINT* point) {
  *point = virtualCursor;
  return true;
}

static void deliverLocked(Window* w, HWND hwnd, const WindowEvent& e);

namespace {

std::atomic<RawInputObserver> rawObserver{nullptr};

// What a device reading the hardware directly would see of the event.
std::optional<RawInputEvent> rawOf(const WindowEvent& e, POINT before) {
  using K = WindowEvent::Kind;
  RawInputEvent raw;
  switch (e.kind) {
    case K::KeyDown:
    case K::KeyUp: {
      BYTE vk;
      int scan;
      if (!keyOfUsage(e.key, &vk, &scan)) return std::nullopt;
      raw.kind = RawInputEvent::Kind::Key;
      raw.code = (scan & 0xFF) | (scan & 0x100 ? 0x80 : 0);
      raw.down = e.kind == K::KeyDown;
      return raw;
    }
    case K::MouseMove:
      raw.kind = RawInputEvent::Kind::Motion;
      raw.dx = virtualCursor.x - before.x;
      raw.dy = virtualCursor.y - before.y;
      if (raw.dx == 0 && raw.dy == 0) return std::nullopt;
      return raw;
    case K::ButtonDown:
    case K::ButtonUp:
      if (e.key < 1 || e.key > 3) return std::nullopt;
      raw.kind = RawInputEvent::Kind::Button;
      raw.code = e.key == 1 ? 0 : e.key == 3 ? 1 : 2;
      raw.down = e.kind == K::ButtonDown;
      return raw;
    case K::Wheel:
      raw.kind = RawInputEvent::Kind::Wheel;
      raw.wheel = static_cast<int>(std::lround(e.wheelY * WHEEL_DELTA));
      if (raw.wheel == 0) return std::nullopt;
      return raw;
    default: return std::nullopt;
  }
}

}  // namespace

void SetRawInputObserver(RawInputObserver observer) { rawObserver.store(observer); }

void deliverEvent(HWND hwnd, const WindowEvent& e) {
  std::optional<RawInputEvent> raw;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w || w->destroying) return;
    const POINT before = virtualCursor;
    deliverLocked(w, hwnd, e);
    raw = rawOf(e, before);
  }
  // The observer may take its own locks; it never runs under the window lock.
  if (raw)
    if (RawInputObserver observer = rawObserver.load()) observer(*raw);
}

static void deliverLocked(Window* w, HWND hwnd, const WindowEvent& e) {
  using K = WindowEvent::Kind;
  switch (e.kind) {
    case K::KeyDown:
    case K::KeyUp: keyEvent(*w, e); break;
    case K::Text: textEvent(*w, e.text); break;
    case K::MouseMove:
      virtualCursor = POINT{w->client.left + e.x, w->client.top + e.y};
      post(*w, WM_MOUSEMOVE, mouseKeys(), MAKELPARAM(e.x, e.y));
      break;
    case K::ButtonDown:
    case K::ButtonUp:
      virtualCursor = POINT{w->client.left + e.x, w->client.top + e.y};
      buttonEvent(*w, e);
      break;
    case K::Wheel: wheelEvent(*w, e); break;
    case K::FocusGained:
      setForegroundFromEvent(hwnd, true);
      send(*w, WM_ACTIVATEAPP, 1, 0);
      send(*w, WM_ACTIVATE, WA_ACTIVE, 0);
      break;
    case K::FocusLost:
      setForegroundFromEvent(hwnd, false);
      send(*w, WM_ACTIVATEAPP, 0, 0);
      send(*w, WM_ACTIVATE, WA_INACTIVE, 0);
      break;
    case K::Minimized:
      w->minimized = true;
      send(*w, WM_SIZE, SIZE_MINIMIZED, 0);
      send(*w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
      break;
    case K::Restored:
      w->minimized = false;
      send(*w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
      send(*w, WM_ACTIVATE, WA_ACTIVE, 0);
      break;
    case K::Close: post(*w, WM_CLOSE, 0, 0); break;
    case K::Exposed: invalidate(*w); break;
    case K::Moved:
      moveTo(*w, e.x, e.y);
      send(*w, WM_MOVE, 0, MAKELPARAM(e.x, e.y));
      break;
    case K::Resized:
      resizeTo(*w, e.x, e.y);
      send(*w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(e.x, e.y));
      break;
    case K::Drop: dropEvent(*w, e); break;
    case K::FingerDown:
    case K::FingerMove:
    case K::FingerUp: touchEvent(*w, e); break;
    case K::Editing: editingEvent(*w, e); break;
    case K::Candidates: {
      std::vector<std::u16string> list;
      for (const std::string& c : e.files) list.push_back(utf16FromUtf8(c));
      imeSetCandidates(hwnd, list);
      break;
    }
  }
}

void InjectWindowEvent(HWND hwnd, const WindowEvent& event) { deliverEvent(hwnd, event); }

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return;
  w->acceptFiles = accept != 0;
  bool any = false;
  for (auto& [id, other] : windowTable()) any = any || other->acceptFiles;
  if (Backend* b = backend()) b->acceptDrops(any);
}

UINT DragQueryFileW(HDROP drop, UINT index, char16_t* buffer, UINT size) {
  if (!drop) return 0;
  auto* list = reinterpret_cast<DropList*>(drop);
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(list->files.size());
  if (index >= list->files.size()) return 0;
  const std::u16string& name = list->files[index];
  if (!buffer) return static_cast<UINT>(name.size());
  if (size == 0) return 0;
  UINT n = std::min<UINT>(static_cast<UINT>(name.size()), size - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return n;
}

void DragFinish(HDROP drop) { delete reinterpret_cast<DropList*>(drop); }

void discardMessage(const MSG& msg) {
  if (msg.message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(msg.wParam));
  if (msg.message == WM_TOUCH) CloseTouchInputHandle(reinterpret_cast<HTOUCHINPUT>(msg.lParam));
}

}  // namespace plat::win
