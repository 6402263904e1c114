// The main window's procedure: closing, moving and sizing, painting, activation,
// characters for text input, the mouse wheel, touch and dropped files.
#include "media/base/memory.h"
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/graphics/mask.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/input/input.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "media/input/key_input.h"
#include "media/network/network.h"
#include "media/sound/output.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::win;

LRESULT defaultResult(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void onDestroy() {
  LogAddTextUtf16(u"ウインドウが破棄されようとしています\n");
  Win.Status.WindowDestroyed = 1;
  PostQuitMessage(0);
  Win.Status.WindowClosed = 1;
  SetEndRequestFlag();
  LogAddTextUtf16(u"ソフトを終了する準備が整いました\n");
}

void onMove(HWND hwnd, LPARAM lParam) {
  WindowStatus& s = Win.Status;
  GetWindowRect(hwnd, &s.WindowRect);
  if (!Win.Settings.WindowModeFlag || s.Restyling) return;
  int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  int w = s.ClientRect.right - s.ClientRect.left, h = s.ClientRect.bottom - s.ClientRect.top;
  s.ClientRect = RECT{x, y, x + w, y + h};
  if (GetDrawTarget() == -4) {
    int mask = GetUseMaskScreenFlag();
    SetUseMaskScreenFlag(0);
    SetUseMaskScreenFlag(mask);
  }
}

void onSize(HWND hwnd, WPARAM wParam) {
  WindowStatus& s = Win.Status;
  GetWindowRect(hwnd, &s.WindowRect);
  s.Minimized = wParam == SIZE_MINIMIZED;
  const RECT old = s.ClientRect;
  // The centred layout keeps the size the window was given; otherwise the window goes back
  // to the scaled screen's size.
  if (!GetWindowCentreLayoutFlag()) UpdateWindowSize();
  else if (!s.Minimized) ReadClientRect(hwnd);
  if (!s.Minimized && (s.ClientRect.right - s.ClientRect.left != old.right - old.left ||
                       s.ClientRect.bottom - s.ClientRect.top != old.bottom - old.top))
    s.Resized = 1;
}

void onPaint(HWND hwnd) {
  Win.Status.Painting = 1;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (Win.Settings.WindowModeFlag) PaintWindow(dc, &ps.rcPaint, 0);
  EndPaint(hwnd, &ps);
  Win.Status.Painting = 0;
}

void onDisplayChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  WindowStatus& s = Win.Status;
  if (!Win.Settings.WindowModeFlag || s.Restyling) return;
  int bits = static_cast<int>(wParam), width = LOWORD(lParam), height = HIWORD(lParam);
  int sw, sh, sb;
  GetScreenState(&sw, &sh, &sb);
  bool changed = bits != sb || width != sw || height != sh;
  if ((changed && !IsGraphRestoreCallbackSet()) || bits == 24 || (bits == 8 && sb != 8) || sw > width || sh > height) {
    LogAddTextUtf16(u"復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
    LogAddTextUtf16(u"またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
    if (!s.DisplayChangeClosePosted) {
      s.DisplayChangeClosePosted = 1;
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
  } else {
    ResumeSuspendedMovies();
  }
  s.DisplayChanged = 1;
}

void startMoving() {
  if (!Win.Settings.WindowModeFlag || Win.Status.Moving) return;
  Win.Status.Moving = 1;
  HandleWindowActivation(0, 0, 0, 1);
}

void endMoving() {
  if (!Win.Status.Moving) return;
  Win.Status.Moving = 0;
  QueueWindowActivation(1, 0, 0, 1);
}

void onKeyDown(WPARAM vk) {
  if (IsInputCharBufferFull()) return;
  static constexpr struct { WPARAM vk; int ch; } kEditKeys[] = {
      {0x2E, 0x10}, {0x25, 0x1D}, {0x27, 0x1C}, {0x26, 0x1E}, {0x28, 0x1F},
      {0x24, 0x1A}, {0x23, 0x19}, {0x21, 0x17}, {0x22, 0x15}};
  for (const auto& k : kEditKeys)
    if (k.vk == vk) PushInputChar(k.ch);
}

void onChar(WPARAM ch) {
  if (ch == 10) ch = 13;
  bool control = ch == 1 || ch == 3 || ch == 8 || ch == 9 || ch == 13 || ch == 0x10 || ch == 0x16 || ch == 0x18 ||
                 ch == 0x1B;
  if (ch >= 0x20 || control) PushInputChar(static_cast<int>(ch));
}

void onMouse(UINT message) {
  if (message == WM_LBUTTONDOWN) AddMouseInputLog(1);
  else if (message == WM_RBUTTONDOWN) AddMouseInputLog(2);
  else if (message == WM_MBUTTONDOWN) AddMouseInputLog(4);
  if (!Win.Status.CursorShown) {
    SetCursor(nullptr);
    while (ShowCursor(0) >= 0) {
    }
  }
}

// A reversal of direction restarts the sum.
void onWheel(int* accumulator, WPARAM wParam) {
  int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if ((delta < 0 && *accumulator >= 1) || (delta > 0 && *accumulator < 0)) *accumulator = delta;
  else *accumulator += delta;
}

void onDropFiles(WPARAM wParam) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  WindowStatus& s = Win.Status;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count && s.DroppedFileNum < kDroppedFileMax; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    auto* name = static_cast<char16_t*>(MemAlloc((length + 1) * sizeof(char16_t), "window_proc", __LINE__));
    if (!name) break;
    DragQueryFileW(drop, i, name, length + 1);
    s.DroppedFiles[s.DroppedFileNum++] = name;
  }
  DragFinish(drop);
}

// One record of the fingers still down, in screen-image co-ordinates; a record holds
// 16 points, later ones of the same message are left out.
void onTouch(WPARAM wParam, LPARAM lParam) {
  auto get = reinterpret_cast<decltype(&GetTouchInputInfo)>(WinAPI.GetTouchInputInfoFunc);
  auto close = reinterpret_cast<decltype(&CloseTouchInputHandle)>(WinAPI.CloseTouchInputHandleFunc);
  auto handle = reinterpret_cast<HTOUCHINPUT>(lParam);
  const UINT count = LOWORD(wParam);
  TOUCHINPUT stack[kMaxTouchPoints];
  TOUCHINPUT* inputs = stack;
  if (count > kMaxTouchPoints) {
    inputs = static_cast<TOUCHINPUT*>(MemAlloc(count * sizeof(TOUCHINPUT), "window_proc", __LINE__));
  }
  if (get && inputs && count > 0 && get(handle, count, inputs, sizeof(TOUCHINPUT))) {
    TouchInputRecord record{};
    record.Time = static_cast<long long>(inputs[0].dwTime) * 1000;
    for (UINT i = 0; i < count && record.PointNum < kMaxTouchPoints; ++i) {
      if (inputs[i].dwFlags & TOUCHEVENTF_UP) continue;
      TouchInputPoint& p = record.Point[record.PointNum++];
      p.Device = 0;
      p.ID = static_cast<int>(inputs[i].dwID);
      ConvDesktopPosToScreenPos(inputs[i].x / 100, inputs[i].y / 100, &p.PositionX, &p.PositionY);
    }
    AddTouchInputRecord(&record);
  }
  if (inputs != stack) MemFree(inputs);
  if (close) close(handle);
}

}  // namespace

LRESULT MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: onDestroy(); break;
    case WM_MOVE: onMove(hwnd, lParam); return 0;
    case WM_SIZE: onSize(hwnd, wParam); break;
    case WM_ACTIVATE: QueueWindowActivation(static_cast<unsigned>(wParam), lParam, 0, 0); break;
    case WM_PAINT: onPaint(hwnd); return 0;
    case WM_CLOSE:
      LogAddTextUtf16(u"ウインドウを閉じようとしています\n");
      DestroyWindow(hwnd);
      if (Win.Status.ClosingState == 0) Win.Status.ClosingState = 4;
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam == 0) QueueWindowActivation(0, lParam, 1, 0);
      break;
    case WM_SETCURSOR: endMoving(); break;
    case WM_DISPLAYCHANGE: onDisplayChange(hwnd, wParam, lParam); break;
    case WM_NCRBUTTONDOWN: case WM_ENTERMENULOOP: case WM_ENTERSIZEMOVE: startMoving(); break;
    case WM_EXITMENULOOP: case WM_EXITSIZEMOVE: endMoving(); break;
    case WM_KEYDOWN: onKeyDown(wParam); break;
    case WM_CHAR: onChar(wParam); break;
    case WM_SYSCHAR: return 0;
    case WM_IME_STARTCOMPOSITION: case WM_IME_ENDCOMPOSITION: case WM_IME_COMPOSITION:
    case WM_IME_SETCONTEXT: case WM_IME_NOTIFY: case WM_IME_REQUEST:
      return ProcessIMEMessage(hwnd, message, wParam, lParam);
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MOVE: startMoving(); break;
        case SC_MONITORPOWER: case SC_SCREENSAVE: return 0;  // never blank the game
        default: break;
      }
      break;
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      onMouse(message);
      break;
    case WM_MOUSEWHEEL: onWheel(&Win.Status.WheelV, wParam); break;
    case WM_MOUSEHWHEEL: onWheel(&Win.Status.WheelH, wParam); break;
    case WM_SIZING:
      if (Win.Settings.WindowModeFlag) SizingWindow(wParam, reinterpret_cast<RECT*>(lParam));
      break;
    case WM_MOVING:
      if (!Win.Settings.WindowModeFlag) *reinterpret_cast<RECT*>(lParam) = Win.Status.WindowRect;
      break;
    case WM_DROPFILES: onDropFiles(wParam); break;
    case WM_TOUCH: onTouch(wParam, lParam); break;
    case MM_MCINOTIFY: ProcessMusicMciNotify(wParam, lParam); break;
    case WM_USER + 0x6F: case WM_USER + 0x70: SetInputFlagFromMessage(message, wParam == 1); break;
    case WM_USER + 0x105: return ProcessNetworkMessage(hwnd, message, wParam, lParam);
    default: break;
  }
  return defaultResult(hwnd, message, wParam, lParam);
}

}  // namespace ZaDod
