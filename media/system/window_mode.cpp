// Window modes: windowed and full-screen styles, the window's size from the screen
// size and stretch rates, and the switch between the two modes.
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
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
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "media/system/window_state.h"
#include "platform/win/menu.h"

namespace ZaDod {
namespace {

using namespace plat::win;

constexpr DWORD kWindowedStyles[12] = {0x80CA0000, 0x80080000, 0x80080000, 0x80CA0000, 0x80080000, 0x80C80000,
                                       0x80CA0000, 0x80CB0000, 0x81CB0000, 0x80CA0000, 0x80CB0000, 0x80C00000};
constexpr DWORD kWindowedExStyles[12] = {0x300, 0x300, 0x0, 0x80, 0x80, 0x100, 0x300, 0x300, 0x300, 0x100, 0x100, 0x300};

int styleIndex() {
  const int i = Win.Settings.WindowStyleIndex;
  return i >= 0 && i < 12 ? i : 0;
}

}  // namespace

DWORD WindowedStyle() { return kWindowedStyles[styleIndex()] | (Win.Status.ShownInWindowedMode ? WS_VISIBLE : 0); }

// A layered window adds its bit.
DWORD WindowedExStyle() { return kWindowedExStyles[styleIndex()] | (Win.Settings.LayeredMode ? WS_EX_LAYERED : 0); }

void ReadClientRect(HWND hwnd) {
  RECT c;
  GetClientRect(hwnd, &c);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  Win.Status.ClientRect = RECT{origin.x, origin.y, origin.x + c.right, origin.y + c.bottom};
}

int ClientWidth() {
  int w;
  GetWindowClientBaseSize(&w, nullptr);
  double rate;
  GetWindowStretchRate(&rate, nullptr);
  return Win.Settings.WindowModeFlag ? static_cast<int>(w * rate) : w;
}

int ClientHeight() {
  int h;
  GetWindowClientBaseSize(nullptr, &h);
  double rate;
  GetWindowStretchRate(nullptr, &rate);
  return Win.Settings.WindowModeFlag ? static_cast<int>(h * rate) : h;
}

int SetWindowModeFlag(int windowed) {
  Win.Settings.WindowModeFlag = windowed;
  LogAddTextUtf16(windowed ? u"ウインドウモードフラグが立てられました\n" : u"ウインドウモードフラグが倒されました\n");
  return 0;
}

int ChangeWindowMode(int windowed) {
  LogAddTextUtf16(u"ChangeWindowMode実行 \n");
  if (windowed == Win.Settings.WindowModeFlag) return 0;
  Win.Status.ShownInWindowedMode = 1;
  Win.Status.DisplayChanged = 0;
  SetWindowModeFlag(windowed);
  if (!Win.Status.MainWindow) return 0;  // before start-up the mode is only recorded
  Win.Status.Restyling = 1;
  ApplyWindowStyle(1);
  int result = ChangeScreenMode(-1, -1, -1, 1, -1);
  Win.Status.Restyling = 0;
  return result;
}

int ApplyWindowStyle(int centre) {
  WindowStatus& s = Win.Status;
  HWND hwnd = s.MainWindow;
  if (!hwnd) return 0;
  if (!Win.Settings.WindowModeFlag) {
    LogAddTextUtf16(u"ウインドウスタイルをフルスクリーンモード用に変更します... ");
    int w, h;
    GetWindowClientBaseSize(&w, &h);
    SetWindowLongW(hwnd, GWL_EXSTYLE, WS_EX_TOPMOST);
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(WS_POPUP));
    s.ClientRect = RECT{0, 0, w, h};
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, w, h, SWP_NOREDRAW);
    s.CursorVisibleWish = 0;
    ApplyCursorVisibility(-1);
  } else {
    LogAddTextUtf16(u"ウインドウスタイルをウインドウモード用に変更します... ");
    DWORD style = WindowedStyle();
    const DWORD exStyle = WindowedExStyle();
    SetWindowLongW(hwnd, GWL_EXSTYLE, exStyle);
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    // A toolbar sits above the picture, so the window grows by its height.
    RECT r{0, 0, ClientWidth(), ClientHeight() + GetToolbarHeight()};
    AdjustWindowRectEx(&r, style, GetMenu(hwnd) != nullptr, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    RECT current;
    GetWindowRect(hwnd, &current);
    int x = current.left, y = current.top;
    if (centre) {
      RECT work{};
      GetDisplayWorkArea(GetUseDisplayIndex(), &work);
      x = (work.right - work.left - width) / 2 + work.left;
      y = (work.bottom - work.top - height) / 2 + work.top;
    }
    if (Win.Settings.WindowPosSet) x = Win.Settings.WindowPosX, y = Win.Settings.WindowPosY;
    SetWindowPos(hwnd, HWND_NOTOPMOST, x, y, width, height, 0);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ReadClientRect(hwnd);
    if (s.ClientRect.left < 0 || s.ClientRect.top < 0) {
      int dx = s.ClientRect.left < 0 ? -s.ClientRect.left : 0, dy = s.ClientRect.top < 0 ? -s.ClientRect.top : 0;
      SetWindowPos(hwnd, nullptr, x + dx, y + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ReadClientRect(hwnd);
    }
    s.CursorVisibleWish = 1;
    ApplyCursorVisibility(1);
  }
  LogAddTextUtf16(u"完了\n");
  SetActiveWindow(hwnd);
  PostMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), 0);
  return 0;
}

int UpdateWindowSize() {
  WindowStatus& s = Win.Status;
  HWND hwnd = s.MainWindow;
  if (!hwnd) return 0;
  // A maximised window keeps the size the window system gave it; the picture is
  // scaled into it instead.
  if (Win.Settings.WindowModeFlag && (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_MAXIMIZE)) {
    ReadClientRect(hwnd);
    return 0;
  }
  int w = ClientWidth(), h = ClientHeight() + GetToolbarHeight();
  s.ClientRect.right = s.ClientRect.left + w;
  s.ClientRect.bottom = s.ClientRect.top + h;
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, style, GetMenu(hwnd) != nullptr, exStyle);
  RECT current;
  GetWindowRect(hwnd, &current);
  int x = current.left, y = current.top;
  if (Win.Settings.WindowPosSet) x = Win.Settings.WindowPosX, y = Win.Settings.WindowPosY;
  MoveWindow(hwnd, x, y, r.right - r.left, r.bottom - r.top, 1);
  if (Win.Settings.WindowModeFlag && !s.ShownInWindowedMode) {
    s.ShownInWindowedMode = 1;
    ApplyWindowStyle(1);
  }
  return 0;
}

int GetWindowClientBaseSize(int* width, int* height) {
  int w, h;
  if (!Win.Settings.WindowModeFlag) GetFullScreenResolution(&w, &h);
  else if (IsScreenSizeDefault()) w = 640, h = 480;
  else GetMainScreenSize(&w, &h);
  if (width) *width = w;
  if (height) *height = h;
  return 0;
}

}  // namespace ZaDod
