// Small services on the main window: wheel, COM, title, position and stretch rate,
// cursor visibility, bringing the window forward, dropped files, mouse presses and the
// display area, with the accessors of the window state.
#include <algorithm>

#include "media/base/memory.h"
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/input/input.h"
#include "media/input/input_devices.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {

using namespace plat::win;

int GetWindowActiveFlag() { return Win.Status.Active; }
int GetRunWhileInactiveFlag() { return 0; }
int GetWindowModeFlag() { return Win.Settings.WindowModeFlag; }
HWND GetMainWindowHandle() { return Win.Status.MainWindow; }
HWND GetDisplayWindowHandle() { return Win.Status.MainWindow; }
int GetCloseRequestedFlag() { return Win.Status.CloseRequested; }
int GetWindowDestroyedFlag() { return Win.Status.WindowDestroyed; }
int GetWindowClosingFlag() { return Win.Status.ClosingState != 0 || Win.Status.WindowClosed ? 1 : 0; }
int GetMMXFlag() { return SystemInfo.UseMMX; }

// Whole notches, truncated toward zero; with the clear flag only those are taken off,
// so a part-turned notch is kept.
int GetMouseWheelRotation(int clearFlag) {
  if (IsDirectInputMouseUsed()) return GetMouseWheelNotches(clearFlag);
  int notches = Win.Status.WheelV / WHEEL_DELTA;
  if (clearFlag) Win.Status.WheelV -= notches * WHEEL_DELTA;
  return notches;
}

int InitializeCom() {
  if (Library.ComStarted) return -1;
  LogAddTextUtf16(u"ＣＯＭの初期化... ");
  if (WinAPI.CoInitializeExFunc && WinAPI.CoInitializeExFunc(nullptr, 2) >= 0) {
    LogAddTextUtf16(u"成功しました\n");
    Library.ComStarted = 1;
    return 0;
  }
  LogAddTextUtf16(u"ＣＯＭの初期化に失敗しました\n");
  return -1;
}

int TerminateCom() {
  if (!Library.ComStarted) return -1;
  if (WinAPI.CoUninitializeFunc) WinAPI.CoUninitializeFunc();
  LogAddTextUtf16(u"ＣＯＭを終了... 完了\n");
  Library.ComStarted = 0;
  return 0;
}

int SetForegroundWindowForced(HWND hwnd, int topmost) {
  DWORD mine = GetWindowThreadProcessId(hwnd, nullptr);
  DWORD theirs = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  AttachThreadInput(mine, theirs, 1);
  DWORD timeout = 0;
  SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(hwnd);
  SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(uintptr_t{timeout}), 0);
  AttachThreadInput(mine, theirs, 0);
  if (topmost) SetWindowPos(Win.Status.MainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
  return 0;
}

int SetMainWindowText(const char* text) {
  if (!text) return -1;
  WindowSettings& set = Win.Settings;
  if (ConvertString(text, GetDefaultNarrowCodePage(), set.Title, sizeof set.Title, 1200) == 0) set.Title[0] = 0;
  set.TitleSet = 1;
  if (Win.Status.MainWindow) SetWindowTextW(Win.Status.MainWindow, set.Title);
  return 0;
}

int SetWindowPosition(int x, int y) {
  Win.Settings.WindowPosX = x;
  Win.Settings.WindowPosY = y;
  Win.Settings.WindowPosSet = 1;
  UpdateWindowSize();
  return 0;
}

int SetWindowStretchRate(double xRate, double yRate) {
  if (yRate <= 0) yRate = xRate;
  WindowSettings& set = Win.Settings;
  if (xRate == set.StretchRateX && yRate == set.StretchRateY) return 0;
  set.StretchRateX = xRate > 0 ? xRate : 1.0;
  set.StretchRateY = yRate > 0 ? yRate : 1.0;
  if (set.WindowModeFlag) ApplyWindowStyle(1);
  return 0;
}

int SetWindowCentreLayout(int flag) {
  Win.Settings.CentreLayout = flag != 0;
  return 0;
}

int GetWindowCentreLayoutFlag() { return Win.Settings.CentreLayout && Win.Settings.WindowModeFlag ? 1 : 0; }

int GetWindowClientSize(int* width, int* height) {
  const RECT& c = Win.Status.ClientRect;
  if (width) *width = c.right - c.left;
  if (height) *height = c.bottom - c.top;
  return 0;
}

int TakeWindowResizedFlag() {
  const int resized = Win.Status.Resized;
  Win.Status.Resized = 0;
  return resized;
}

int SetWindowLayeredMode(int mode) {
  if (mode < 0 || mode > 2) return -1;
  if (mode == Win.Settings.LayeredMode) return 0;
  Win.Settings.LayeredMode = mode;
  if (Win.Settings.WindowModeFlag) ApplyWindowStyle(0);
  return 0;
}

int GetWindowLayeredMode() { return Win.Settings.LayeredMode; }

double GetWindowStretchRate(double* xRate, double* yRate) {
  WindowSettings& set = Win.Settings;
  if (set.StretchRateX <= 0) set.StretchRateX = 1.0;
  if (set.StretchRateY <= 0) set.StretchRateY = 1.0;
  double x = set.WindowModeFlag ? set.StretchRateX : 1.0;
  double y = set.WindowModeFlag ? set.StretchRateY : 1.0;
  // A maximised window shows the whole screen image at the largest scale that fits,
  // the same across and down.
  HWND hwnd = Win.Status.MainWindow;
  if (set.WindowModeFlag && hwnd && (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_MAXIMIZE)) {
    RECT client{};
    GetClientRect(hwnd, &client);
    int screenW = 0, screenH = 0;
    GetWindowClientBaseSize(&screenW, &screenH);
    if (screenW > 0 && screenH > 0) {
      x = y = std::min(static_cast<double>(client.right - client.left - 1) / screenW,
                       static_cast<double>(client.bottom - client.top - 1) / screenH);
    }
  }
  if (xRate) *xRate = x;
  if (yRate) *yRate = y;
  return x;
}

int ApplyCursorVisibility(int wish) {
  WindowStatus& s = Win.Status;
  // A shown menu needs the pointer whatever the wish.
  bool show = wish == 1 || (wish == -1 && s.CursorVisibleWish == 1) || IsMenuShown();
  if (wish != -1) {
    s.CursorVisibleWish = wish;
    if (show == (s.CursorShown != 0)) return 0;
  }
  if (show) {
    while (ShowCursor(1) < 0) {
    }
  } else {
    while (ShowCursor(0) >= 0) {
    }
  }
  if (s.MainWindow) PostMessageW(s.MainWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(s.MainWindow), 0);
  s.CursorShown = show ? 1 : 0;
  return 0;
}

int GetMousePointOnScreen(int* x, int* y) {
  POINT p{0, 0};
  GetCursorPos(&p);
  int sx, sy;
  ConvDesktopPosToScreenPos(p.x, p.y, &sx, &sy);
  if (x) *x = sx;
  if (y) *y = sy;
  return 0;
}


int UpdateDragAcceptFiles() {
  if (Win.Status.MainWindow) DragAcceptFiles(Win.Status.MainWindow, 0);
  return 0;
}

int AddMouseInputLog(int button) {
  WindowStatus& s = Win.Status;
  if (s.MouseInputLogNum >= kMouseInputLogMax) return 0;
  MouseInputLogEntry& e = s.MouseInputLog[s.MouseInputLogNum++];
  e.Button = button;
  GetMousePoint(&e.X, &e.Y);
  return 0;
}

int FreeDroppedFileList() {
  WindowStatus& s = Win.Status;
  for (int i = 0; i < s.DroppedFileNum; ++i) {
    MemFree(s.DroppedFiles[i]);
    s.DroppedFiles[i] = nullptr;
  }
  s.DroppedFileNum = 0;
  return 0;
}

int GetTargetDisplayArea(int* width, int* height, int* workWidth, int* workHeight, int* left, int* top) {
  SetupDisplayInfo();
  RECT area{}, work{};
  int display = GetUseDisplayIndex();
  GetDisplayArea(display, &area);
  GetDisplayWorkArea(display, &work);
  if (width) *width = area.right - area.left;
  if (height) *height = area.bottom - area.top;
  if (workWidth) *workWidth = work.right - work.left;
  if (workHeight) *workHeight = work.bottom - work.top;
  if (left) *left = area.left;
  if (top) *top = area.top;
  return 0;
}

}  // namespace ZaDod
