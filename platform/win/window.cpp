// Window classes and top-level windows: creation, destruction, showing, geometry over
// one frame model, styles, titles and the foreground window.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/win/imm.h"
#include "platform/win/menu.h"
#include "platform/win/win_clock.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

struct WindowClass {
  WNDCLASSEXW desc;
  std::u16string name;
};

std::unordered_map<std::u16string, WindowClass>& classTable() {
  static std::unordered_map<std::u16string, WindowClass> table;
  return table;
}

uintptr_t nextId = 0x10010;
HWND foreground = nullptr;
bool creationFails = false;
int attachments = 0;
DWORD foregroundLockTimeout = 200000;
bool screenSaverActive = true;

// The window of another process that holds the class on this display.
const HWND kForeignWindow = reinterpret_cast<HWND>(0x10);

int frameLimitFromEnvironment() {
  const char* v = std::getenv("HALVORINE_FRAMES");
  if (!v || !*v) return 0;
  char* end = nullptr;
  long n = std::strtol(v, &end, 10);
  return (*end == 0 && n > 0 && n < 0x7FFFFFFF) ? static_cast<int>(n) : 0;
}

// How long a frame-limited window may go without a counted present before it is
// closed: HALVORINE_NO_FRAME_SECONDS when set (tests of a script that never yields a
// frame need not wait a minute), else a minute or the asked frames' time at 30 a
// second, whichever is longer.
long long noFrameLimitNs(int presentLimit) {
  if (const char* v = std::getenv("HALVORINE_NO_FRAME_SECONDS"); v && *v) {
    char* end = nullptr;
    long n = std::strtol(v, &end, 10);
    if (*end == 0 && n > 0 && n < 86400) return n * 1'000'000'000LL;
  }
  return std::max(60'000'000'000LL, presentLimit * 1'000'000'000LL / 30);
}

// Full screen is a captionless topmost popup, as the media layer styles it.
bool wantsFullScreen(const Window& w) {
  return (w.style & WS_POPUP) && (w.style & WS_CAPTION) == 0 && (w.exStyle & WS_EX_TOPMOST) && w.visible;
}

// Applies the stored geometry and full-screen state to the back end and reports the
// client changes to the window procedure, with the lock released.
void settle(HWND hwnd, bool moveToBackend) {
  WNDPROC proc = nullptr;
  bool moved = false, sized = false, maximized = false;
  RECT client{};
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return;
    RECT old = w->client;
    clientRectOnScreen(*w, &client);
    moved = client.left != old.left || client.top != old.top;
    sized = client.right - client.left != old.right - old.left || client.bottom - client.top != old.bottom - old.top;
    w->client = client;
    bool fs = wantsFullScreen(*w);
    if (Backend* b = backend()) {
      if (fs != w->fullScreen) b->setFullScreen(*w, fs);
      if (moveToBackend && (moved || sized)) b->place(*w);
    }
    w->fullScreen = fs;
    maximized = (w->style & WS_MAXIMIZE) != 0;
    proc = w->proc;
  }
  if (!proc) return;
  if (moved) proc(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (sized)
    proc(hwnd, WM_SIZE, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
         MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

}  // namespace

std::u16string fromWide(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

void frameOf(DWORD style, DWORD exStyle, RECT* frame) {
  LONG border = 0;
  if (style & WS_THICKFRAME) border = 8;
  else if (style & (WS_BORDER | WS_DLGFRAME)) border = 3;
  if (exStyle & WS_EX_CLIENTEDGE) border += 2;
  LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
  *frame = RECT{border, border + caption, border, border};
}

void frameOf(const Window& w, RECT* frame) {
  frameOf(w.style, w.exStyle, frame);
  if (w.menu) frame->top += 20;
}

void clientRectOnScreen(const Window& w, RECT* rect) {
  RECT f;
  frameOf(w, &f);
  rect->left = w.rect.left + f.left;
  rect->top = w.rect.top + f.top;
  rect->right = std::max(rect->left, w.rect.right - f.right);
  rect->bottom = std::max(rect->top, w.rect.bottom - f.bottom);
}

ATOM RegisterClassExW(const WNDCLASSEXW* cls) {
  if (!cls || cls->cbSize != sizeof(WNDCLASSEXW) || !cls->lpszClassName || !cls->lpfnWndProc) return 0;
  std::lock_guard lock(windowLock());
  std::u16string name = cls->lpszClassName;
  if (name.empty() || classTable().count(name)) return 0;
  WindowClass& c = classTable()[name];
  c.desc = *cls;
  c.name = name;
  c.desc.lpszClassName = c.name.c_str();
  c.desc.lpszMenuName = nullptr;
  return static_cast<ATOM>(0xC000 + classTable().size());
}

BOOL UnregisterClassW(const char16_t* className, HINSTANCE) {
  if (!className) return 0;
  std::lock_guard lock(windowLock());
  std::u16string name = className;
  auto it = classTable().find(name);
  if (it == classTable().end()) return 0;
  for (auto& [id, w] : windowTable())
    if (w->className == name) return 0;  // still in use
  classTable().erase(it);
  return 1;
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU, HINSTANCE, void*) {
  if (className && std::u16string_view(className) == u"ToolbarWindow32") return createToolbarWindow(parent, style);
  auto w = std::make_unique<Window>();
  {
    std::lock_guard lock(windowLock());
    if (creationFails || !className) return nullptr;
    auto it = classTable().find(className);
    if (it == classTable().end()) return nullptr;
    w->className = className;
    w->title = fromWide(title);
    w->proc = it->second.desc.lpfnWndProc;
    w->cursor = it->second.desc.hCursor;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = 640, height = 480;
    w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    clientRectOnScreen(*w, &w->client);
    w->threadId = currentThreadId();
    if (!(style & WS_CHILD)) catchCloseSignals();
    w->presentLimit = frameLimitFromEnvironment();
    w->noFrameLimitNs = noFrameLimitNs(w->presentLimit);
    w->lastPresentNs = MonotonicNanoseconds();
    if (w->presentLimit > 0) frameLimitedWindowCount.fetch_add(1, std::memory_order_relaxed);
    w->id = nextId;
    nextId += 0x10;
    if (Backend* b = backend()) {
      w->lockFd = takeClassLock(w->className, b->displayName());
      if (!b->createWindow(*w)) {
        releaseClassLock(w->lockFd, w->className, b->displayName());
        return nullptr;
      }
    }
  }
  HWND hwnd = reinterpret_cast<HWND>(w->id);
  WNDPROC proc = w->proc;
  {
    std::lock_guard lock(windowLock());
    windowTable()[w->id] = std::move(w);
  }
  if (proc(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL IsWindow(HWND hwnd) {
  std::lock_guard lock(windowLock());
  return findWindow(hwnd) != nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  WNDPROC proc;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w || w->destroying) return 0;
    w->destroying = true;
    proc = w->proc;
  }
  proc(hwnd, WM_DESTROY, 0, 0);
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 1;
  validate(*w);
  purgeMessages(*w);
  if (Backend* b = backend()) {
    b->destroyWindow(*w);
    releaseClassLock(w->lockFd, w->className, b->displayName());
  }
  if (foreground == hwnd) foreground = nullptr;
  if (w->presentLimit > 0) frameLimitedWindowCount.fetch_sub(1, std::memory_order_relaxed);
  windowTable().erase(w->id);
  imeForget(hwnd);
  return 1;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  WNDPROC proc;
  bool wasVisible, activate = false, minimize = false, restore = false, placed = false;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    wasVisible = w->visible;
    proc = w->proc;
    Backend* b = backend();
    if (cmd == SW_HIDE) {
      w->visible = false;
      if (b) b->setVisible(*w, false);
    } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED) {
      minimize = !w->minimized;
      w->visible = true;
      w->minimized = true;
      if (b) b->setVisible(*w, true), b->setMinimized(*w, true);
    } else {
      // Maximised: the style bit, and the work area as the window rectangle until a
      // restore gives the old one back.
      if (cmd == SW_MAXIMIZE && !(w->style & WS_MAXIMIZE)) {
        w->restoreRect = w->rect;
        w->style |= WS_MAXIMIZE;
        RECT work{0, 0, 1920, 1080};
        if (b) b->workArea(&work);
        w->rect = work;
        placed = true;
      } else if ((cmd == SW_RESTORE || cmd == SW_SHOWNORMAL) && (w->style & WS_MAXIMIZE) && !w->minimized) {
        w->style &= ~WS_MAXIMIZE;
        w->rect = w->restoreRect;
        placed = true;
      }
      restore = w->minimized;
      activate = !wasVisible || restore;
      w->visible = true;
      w->minimized = false;
      if (b) {
        b->setVisible(*w, true);
        if (restore) b->setMinimized(*w, false);
      }
      invalidate(*w);
      if (activate) foreground = hwnd;
    }
    if (w->visible) w->style |= WS_VISIBLE;
    else w->style &= ~WS_VISIBLE;
  }
  if (minimize) {
    proc(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    proc(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
  }
  if (restore) settle(hwnd, false), proc(hwnd, WM_SIZE, SIZE_RESTORED, 0);
  if (activate) {
    proc(hwnd, WM_ACTIVATEAPP, 1, 0);
    proc(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
  }
  settle(hwnd, placed);
  return wasVisible ? 1 : 0;
}

BOOL UpdateWindow(HWND hwnd) {
  WNDPROC proc;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    if (!w->needsPaint) return 1;
    proc = w->proc;
  }
  proc(hwnd, WM_PAINT, 0, 0);
  return 1;
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

HWND SetActiveWindow(HWND hwnd) {
  std::lock_guard lock(windowLock());
  HWND previous = foreground;
  if (findWindow(hwnd)) foreground = hwnd;
  return previous;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
      r.right += x - r.left, r.bottom += y - r.top;
      r.left = x, r.top = y;
    }
    if (!(flags & SWP_NOSIZE)) r.right = r.left + std::max(0, cx), r.bottom = r.top + std::max(0, cy);
    w->rect = r;
    if (!(flags & SWP_NOZORDER)) {
      if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      else if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  settle(hwnd, true);
  return 1;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  if (!SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER)) return 0;
  if (repaint) {
    std::lock_guard lock(windowLock());
    if (Window* w = findWindow(hwnd)) invalidate(*w);
  }
  return 1;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || !rect) return 0;
  *rect = w->rect;
  return 1;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || !rect) return 0;
  RECT c;
  clientRectOnScreen(*w, &c);
  *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
  return 1;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || !point) return 0;
  RECT c;
  clientRectOnScreen(*w, &c);
  point->x += c.left;
  point->y += c.top;
  return 1;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return 0;
  RECT f;
  frameOf(style, exStyle, &f);
  rect->left -= f.left;
  rect->top -= f.top + (menu ? 20 : 0);
  rect->right += f.right;
  rect->bottom += f.bottom;
  return 1;
}

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    default: return 0;
  }
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
  LONG_PTR previous = 0;
  {
    std::lock_guard lock(windowLock());
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    switch (index) {
      case GWL_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(w->proc);
        if (value) w->proc = reinterpret_cast<WNDPROC>(value);
        return previous;
      case GWL_USERDATA:
        previous = w->userData;
        w->userData = value;
        return previous;
      case GWL_STYLE:
        previous = static_cast<LONG_PTR>(w->style);
        w->style = static_cast<DWORD>(value);
        break;
      case GWL_EXSTYLE:
        previous = static_cast<LONG_PTR>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        break;
      default: return 0;
    }
  }
  // A style change takes effect with the next SetWindowPos; the visible bit at once.
  if ((previous ^ value) & WS_VISIBLE && index == GWL_STYLE) ShowWindow(hwnd, (value & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
  return previous;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

BOOL SetWindowTextW(HWND hwnd, const char16_t* text) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  w->title = fromWide(text);
  if (Backend* b = backend()) b->setTitle(*w);
  return 1;
}

int GetWindowTextW(HWND hwnd, char16_t* buffer, int size) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  int n = std::min<int>(static_cast<int>(w->title.size()), size - 1);
  std::memcpy(buffer, w->title.data(), n * sizeof(char16_t));
  buffer[n] = 0;
  return n;
}

HWND FindWindowW(const char16_t* className, const char16_t* title) {
  std::lock_guard lock(windowLock());
  for (auto& [id, w] : windowTable()) {
    if (w->destroying) continue;
    if (className && w->className != className) continue;
    if (title && w->title != title) continue;
    return toHandle(w.get());
  }
  // Windows of other processes are visible only on a shared display.
  if (className && backend() && classLockHeldElsewhere(className, backend()->displayName())) return kForeignWindow;
  return nullptr;
}

BOOL WINNLSEnableIME(HWND hwnd, BOOL enable) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  BOOL previous = w->imeEnabled ? 1 : 0;
  w->imeEnabled = enable != 0;  // SDL text input stays on: typed text keeps arriving
  return previous;
}

BOOL SetForegroundWindow(HWND hwnd) {
  std::lock_guard lock(windowLock());
  if (!findWindow(hwnd)) return 0;
  foreground = hwnd;
  return 1;
}

HWND GetDesktopWindow() {
  static char desktop;
  return reinterpret_cast<HWND>(&desktop);
}

HWND GetForegroundWindow() {
  std::lock_guard lock(windowLock());
  return foreground;
}

void setForegroundFromEvent(HWND hwnd, bool active) {
  if (active) foreground = hwnd;
  else if (foreground == hwnd) foreground = nullptr;
}

BOOL AttachThreadInput(DWORD, DWORD, BOOL doAttach) {
  std::lock_guard lock(windowLock());
  attachments += doAttach ? 1 : -1;
  return 1;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return w->threadId;
}

BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT) {
  std::lock_guard lock(windowLock());
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
      if (!pvParam) return 0;
      *static_cast<BOOL*>(pvParam) = screenSaverActive ? 1 : 0;
      return 1;
    case SPI_SETSCREENSAVEACTIVE:
      screenSaverActive = uiParam != 0;
      if (Backend* b = backend()) b->screenSaver(screenSaverActive);
      return 1;
    case SPI_GETWORKAREA:
      if (!pvParam) return 0;
      if (Backend* b = backend()) b->workArea(static_cast<RECT*>(pvParam));
      else *static_cast<RECT*>(pvParam) = RECT{0, 0, 1920, 1080};
      return 1;
    case SPI_GETFOREGROUNDLOCKTIMEOUT:
      if (!pvParam) return 0;
      *static_cast<DWORD*>(pvParam) = foregroundLockTimeout;
      return 1;
    case SPI_SETFOREGROUNDLOCKTIMEOUT:
      foregroundLockTimeout = static_cast<DWORD>(reinterpret_cast<uintptr_t>(pvParam));
      return 1;
    default: return 0;
  }
}

int GetSystemMetrics(int index) {
  RECT r{0, 0, 1920, 1080};
  {
    std::lock_guard lock(windowLock());
    if (Backend* b = backend()) b->displayBounds(&r);
  }
  if (index == SM_CXSCREEN) return r.right - r.left;
  if (index == SM_CYSCREEN) return r.bottom - r.top;
  return 0;
}

void SetWindowCreationFailsForTest(bool fails) {
  std::lock_guard lock(windowLock());
  creationFails = fails;
}

bool IsWindowFullScreen(HWND hwnd) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  return w && w->fullScreen;
}

bool IsImeEnabled(HWND hwnd) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  return w && w->imeEnabled;
}

bool IsHeadlessWindowSystem() {
  std::lock_guard lock(windowLock());
  return backend() == nullptr;
}

}  // namespace plat::win
