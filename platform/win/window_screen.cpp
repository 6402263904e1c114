// The screen side of the window stand-in: cursor, screen device context, paint
// bookkeeping, brushes and stock objects, the memory report and the present entry.
#include <sys/sysinfo.h>

#include <algorithm>
#include <cstring>

#include "platform/win/gdi.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_display.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

GdiTag screenDc{GdiTag::Kind::ScreenDc, 0, true};
GdiTag blackBrush{GdiTag::Kind::Brush, 0, true};
GdiTag nullBrush{GdiTag::Kind::Brush, 0, true};
GdiTag applicationIcon{GdiTag::Kind::Icon, 0, true};
GdiTag arrowCursor{GdiTag::Kind::Cursor, 0, true};

int screenBits = 32;
int cursorCount = 0;
HCURSOR currentCursor = &arrowCursor;
bool clipped = false;
RECT clip{};

// The pointer is shown while the display count is not negative and a cursor is set.
void applyCursor() {
  if (Backend* b = backend()) b->showCursor(cursorCount >= 0 && currentCursor != nullptr);
}

// The frame limit closes the window the way a user would, once (under windowLock).
void postLimitClose(Window& w) {
  if (w.limitClosePosted) return;
  w.limitClosePosted = true;
  postCloseMessage(w);
}

}  // namespace

void postCloseMessage(Window& w) {
  MessageQueue& q = queueOf(w.threadId);
  q.posted.push_back(MSG{toHandle(&w), WM_CLOSE, 0, 0, messageTime(), {}});
  q.recount();
}

std::atomic<int> frameLimitedWindowCount{0};

HICON LoadIconW(HINSTANCE, uintptr_t) { return &applicationIcon; }
HCURSOR LoadCursorW(HINSTANCE, uintptr_t) { return &arrowCursor; }

HGDIOBJ GetStockObject(int which) {
  if (which == BLACK_BRUSH) return &blackBrush;
  if (which == NULL_BRUSH) return &nullBrush;
  return nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) { return new GdiTag{GdiTag::Kind::Brush, color, false}; }

BOOL DeleteObject(HGDIOBJ object) {
  if (!object) return 0;
  // Bitmaps and memory device contexts belong to the DIB stand-in.
  if (BOOL result = FALSE; deleteDibObject(object, &result)) return result;
  if (object->kind == GdiTag::Kind::Region) return deleteRegion(object), 1;
  if (object->kind == GdiTag::Kind::Menu) return 0;  // menus go with DestroyMenu
  if (!object->stock) delete object;
  return 1;
}

int ShowCursor(BOOL show) {
  std::lock_guard lock(windowLock());
  cursorCount += show ? 1 : -1;
  applyCursor();
  return cursorCount;
}

HCURSOR SetCursor(HCURSOR cursor) {
  std::lock_guard lock(windowLock());
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  applyCursor();
  return previous;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return 0;
  std::lock_guard lock(windowLock());
  if (Backend* b = backend(); b && b->pointer(point)) return 1;
  return virtualCursorPos(point) ? 1 : 0;
}

BOOL ClipCursor(const RECT* rect) {
  std::lock_guard lock(windowLock());
  clipped = rect != nullptr;
  if (rect) clip = *rect;
  if (Backend* b = backend()) b->clipCursor(rect);
  return 1;
}

bool GetCursorClip(RECT* rect) {
  std::lock_guard lock(windowLock());
  if (clipped && rect) *rect = clip;
  return clipped;
}

int GetCursorDisplayCount() {
  std::lock_guard lock(windowLock());
  return cursorCount;
}

// A window has one device context of its own, made on first use; it goes with the window.
HDC windowDcOf(Window& w) {
  if (!w.dc) w.dc.reset(new GdiTag{GdiTag::Kind::WindowDc, 0, true, toHandle(&w)});
  return w.dc.get();
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return &screenDc;
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  return w ? windowDcOf(*w) : nullptr;
}
int ReleaseDC(HWND, HDC) { return 1; }

int GetDeviceCaps(HDC dc, int index) {
  if (dc && dc->kind == GdiTag::Kind::DisplayDc) return displayDeviceCaps(dc->display, index);
  std::lock_guard lock(windowLock());
  RECT r{0, 0, 1920, 1080};
  if (Backend* b = backend()) b->displayBounds(&r);
  switch (index) {
    case BITSPIXEL: return screenBits;
    case PLANES: return 1;
    case HORZRES: return r.right - r.left;
    case VERTRES: return r.bottom - r.top;
    case VREFRESH: return 60;
    default: return 0;
  }
}

void SetScreenBitsForTest(int bits) {
  std::lock_guard lock(windowLock());
  screenBits = bits > 0 ? bits : 32;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || !paint) return nullptr;
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = windowDcOf(*w);
  paint->rcPaint = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  validate(*w);
  return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return 1; }

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status) {
  if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) return 0;
  struct sysinfo si {};
  if (sysinfo(&si) != 0) return 0;
  DWORDLONG unit = si.mem_unit ? si.mem_unit : 1;
  status->ullTotalPhys = si.totalram * unit;
  status->ullAvailPhys = (si.freeram + si.bufferram) * unit;
  status->ullTotalPageFile = (si.totalram + si.totalswap) * unit;
  status->ullAvailPageFile = (si.freeram + si.bufferram + si.freeswap) * unit;
  status->ullTotalVirtual = DWORDLONG(1) << 47;
  status->ullAvailVirtual = status->ullTotalVirtual;
  status->ullAvailExtendedVirtual = 0;
  status->dwMemoryLoad =
      status->ullTotalPhys ? static_cast<DWORD>(100 - status->ullAvailPhys * 100 / status->ullTotalPhys) : 0;
  return 1;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (!status) return;
  MEMORYSTATUSEX ex{};
  ex.dwLength = sizeof ex;
  if (!GlobalMemoryStatusEx(&ex)) return;
  status->dwLength = sizeof *status;
  status->dwMemoryLoad = ex.dwMemoryLoad;
  status->dwTotalPhys = ex.ullTotalPhys;
  status->dwAvailPhys = ex.ullAvailPhys;
  status->dwTotalPageFile = ex.ullTotalPageFile;
  status->dwAvailPageFile = ex.ullAvailPageFile;
  status->dwTotalVirtual = ex.ullTotalVirtual;
  status->dwAvailVirtual = ex.ullAvailVirtual;
}

BOOL PresentWindow(HWND hwnd, const void* pixels, int width, int height, int pitch, PixelOrder order) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || w->destroying) return 0;
  if (Backend* b = backend()) b->present(*w, pixels, width, height, pitch, order);
  keepPresentedFrame(*w, pixels, width, height, pitch, order);
  ++w->presents;
  if (!w->flipping) return 1;
  ++w->countedPresents;
  w->lastPresentNs = MonotonicNanoseconds();
  if (w->presentLimit > 0 && w->countedPresents == w->presentLimit) postLimitClose(*w);
  return 1;
}

void NoteFrameFlip() {
  std::lock_guard lock(windowLock());
  const DWORD me = currentThreadId();
  for (auto& [id, w] : windowTable())
    if (w->threadId == me) w->flipping = true;
}

void postIdleCloses() {
  const long long now = MonotonicNanoseconds();
  const DWORD me = currentThreadId();
  for (auto& [id, w] : windowTable()) {
    if (w->presentLimit <= 0 || w->limitClosePosted || w->destroying || w->threadId != me) continue;
    // A run that presents nothing (a script that never yields a frame) still ends,
    // counted from the window's creation until the first counted frame.
    if (now - w->lastPresentNs >= w->noFrameLimitNs) postLimitClose(*w);
  }
}

int GetPresentCount(HWND hwnd) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  return w ? w->presents : 0;
}

}  // namespace plat::win
