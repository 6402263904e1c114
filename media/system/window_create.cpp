// Window start-up and shut-down: the class, the double-start check, the memory report
// and timer test, the window itself, and the loading workers that live with it.
#include <iterator>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/file/archive.h"
#include "media/file/file_access.h"
#include "media/file/file_handle.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_window.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "media/input/key_input.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/win/win_thread.h"

namespace ZaDod {
namespace {

using namespace plat::win;

void copyText(char16_t* to, const char16_t* from, size_t room) {
  size_t n = 0;
  while (from[n] && n + 1 < room) to[n] = from[n], ++n;
  to[n] = 0;
}

void memoryReport() {
  MEMORYSTATUSEX ex{};
  ex.dwLength = sizeof ex;
  if (SystemInfo.WindowsVersion >= 0x106 && GlobalMemoryStatusEx(&ex) && ex.ullTotalPhys != 0) {
    LogFormatUtf16(u"メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", ex.ullTotalPhys / 1048576.0,
                   ex.ullAvailPhys / 1048576.0);
    return;
  }
  MEMORYSTATUS st{};
  GlobalMemoryStatus(&st);
  LogFormatUtf16(u"メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", st.dwTotalPhys / 1048576.0,
                 st.dwAvailPhys / 1048576.0);
}

// The multimedia timer's smallest period; 0 when its functions are not loaded.
UINT timerPeriod() {
  TIMECAPS caps{};
  if (!WinAPI.timeGetDevCapsFunc || WinAPI.timeGetDevCapsFunc(&caps, sizeof caps) != 0) return 0;
  return caps.wPeriodMin;
}

// Which clock moves more often within about a second: the finer one times the media layer.
void timerTest() {
  LogAddTextUtf16(u"タイマーの精度を検査します\n");
  int mmCount = 0, counterCount = 0;
  int lastMs = GetMillisecondCount();
  long long lastCounter = GetMicrosecondCount();
  // Bounded by the system's own tick count: the two clocks under test both stand still
  // when the multimedia library is missing.
  const DWORD start = GetTickCount();
  while (mmCount < 60 && counterCount < 60 && GetTickCount() - start < 1000) {
    int ms = GetMillisecondCount();
    long long counter = GetMicrosecondCount();
    if (ms != lastMs) ++mmCount, lastMs = ms;
    if (counter != lastCounter) ++counterCount, lastCounter = counter;
  }
  LogFormatUtf16(u"精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", mmCount,
                 counterCount);
  LogAddTextCurrentCp(" ");
  if (mmCount <= counterCount) {
    LogFormatUtf16(u"パフォーマンスカウンターを使用します タイマー精度 : %lf KHz ",
                   GetPerformanceCounterFrequency() / 1000.0);
  } else {
    LogFormatUtf16(u"Multi Media Timer を使用します Timer 精度 : %d.00 ms ", static_cast<int>(timerPeriod()));
    ClearPerformanceCounterFlag();
  }
  LogAddTextCurrentCp(" ");
}

int failWindow(const char16_t* message) {
  Win.Status.WindowClosed = 1;
  SetEndRequestFlag();
  LogAddTextUtf16(message);
  return -1;
}

HWND createMainWindow() {
  WindowSettings& set = Win.Settings;
  WindowStatus& s = Win.Status;
  auto create = reinterpret_cast<decltype(&CreateWindowExW)>(WinAPI.CreateWindowExWFunc);
  if (!create) return nullptr;
  int width, height;
  if (set.WindowModeFlag) {
    LogAddTextUtf16(u"ウインドウモード起動用のウインドウを作成します\n");
    s.CursorVisibleWish = 1;
    DWORD style = WindowedStyle();
    const DWORD exStyle = WindowedExStyle();
    RECT r{0, 0, ClientWidth(), ClientHeight()};
    AdjustWindowRectEx(&r, style, 0, exStyle);
    s.CaptionHeight = -r.top + r.left;
    width = r.right - r.left, height = r.bottom - r.top;
    RECT work{};
    GetDisplayWorkArea(GetUseDisplayIndex(), &work);
    int x = (work.right - work.left - width) / 2 + work.left;
    int y = (work.bottom - work.top - height) / 2 + work.top;
    if (set.WindowPosSet) x = set.WindowPosX, y = set.WindowPosY;
    return create(exStyle, set.ClassName, set.Title, style, x, y, width, height, nullptr, nullptr,
                  s.Instance, nullptr);
  }
  LogAddTextUtf16(u"フルスクリーンモード用のウインドウを作成します\n");
  s.CursorVisibleWish = 0;
  GetWindowClientBaseSize(&width, &height);
  RECT display{};
  GetDisplayArea(GetUseDisplayIndex(), &display);
  return create(WS_EX_TOPMOST, set.ClassName, set.Title, WS_POPUP, display.left, display.top, width, height,
                nullptr, nullptr, s.Instance, nullptr);
}

}  // namespace

WindowData Win;

int InitializeWindow() {
  WindowSettings& set = Win.Settings;
  FreeDroppedFileList();
  Win.Status = WindowStatus{};
  WindowStatus& s = Win.Status;
  s.Instance = WinAPI.GetModuleHandleWFunc ? WinAPI.GetModuleHandleWFunc(nullptr) : nullptr;
  s.MainThreadId = GetCurrentThreadId();
  InitializeASyncLoad(s.MainThreadId);
  InitializeFileHandles();
  s.AsyncLoadStarted = 1;

  if (!set.ClassName[0]) copyText(set.ClassName, set.TitleSet ? set.Title : u"D123987X", std::size(set.ClassName));

  memoryReport();
  int counter = SetupPerformanceCounter();
  if (UINT period = timerPeriod(); period && WinAPI.timeBeginPeriodFunc) WinAPI.timeBeginPeriodFunc(period);
  if (counter) timerTest();
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_SENDCHANGE);

  LogAddTextUtf16(u"ソフトの二重起動検査... ");
  if (FindWindowW(set.ClassName, nullptr)) return failWindow(u"二重起動されています、ソフトを終了します\n");
  LogAddTextUtf16(u"二重起動はされていませんでした\n");

  s.Creating = 1;
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = MainWindowProc;
  cls.hInstance = s.Instance;
  cls.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = GetStockObject(NULL_BRUSH);
  cls.lpszClassName = set.ClassName;
  LogAddTextUtf16(u"ウインドウクラスを登録します... ");
  if (RegisterClassExW(&cls)) {
    LogAddTextUtf16(u"登録に成功しました\n");
  } else {
    s.WindowClosed = 1;
    SetEndRequestFlag();
  }
  if (!set.TitleSet) copyText(set.Title, u"ZaDod", std::size(set.Title));

  HWND hwnd = createMainWindow();
  if (!hwnd) return failWindow(u"ウインドウの作成に失敗しました\n");
  s.MainWindow = hwnd;
  LogAddTextUtf16(u"ウインドウの作成に成功しました\n");
  LogAddTextUtf16(u"ウインドウを表示します\n");
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  if (auto touch = reinterpret_cast<decltype(&RegisterTouchWindow)>(WinAPI.RegisterTouchWindowFunc))
    touch(hwnd, 0);

  s.CloseRequested = 0;
  s.WindowDestroyed = 0;
  s.Active = 1;
  if (!set.WindowModeFlag) {
    LogAddTextUtf16(u"カーソルを不可視にしました\n");
    SetCursor(nullptr);
  }
  LogAddTextUtf16(u"ＩＭＥを無効にしました\n");
  if (auto enableIme = reinterpret_cast<decltype(&WINNLSEnableIME)>(WinAPI.WINNLSEnableIMEFunc))
    enableIme(hwnd, 0);

  if (set.WindowModeFlag) {
    RECT c;
    GetClientRect(hwnd, &c);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    s.ClientRect = RECT{origin.x, origin.y, origin.x + c.right, origin.y + c.bottom};
  }
  ApplyCursorVisibility(-1);
  s.ClosingState = 0;
  BringWindowToTop(hwnd);
  UpdateWindowSize();
  s.Creating = 0;
  set.WindowPosSet = 0;

  if (SetupASyncLoadThread(SystemInfo.ProcessorNum) < 0)
    return failWindow(u"非同期読み込み処理を行うスレッドの立ち上げに失敗しました\n");
  return 0;
}

int TerminateWindow() {
  WindowStatus& s = Win.Status;
  if (HWND hwnd = s.MainWindow; hwnd && IsWindow(hwnd)) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_SENDCHANGE);
    if (auto enableIme = reinterpret_cast<decltype(&WINNLSEnableIME)>(WinAPI.WINNLSEnableIMEFunc))
      enableIme(hwnd, 1);
    s.CursorVisibleWish = 1;
    if (!s.CursorShown) {
      while (ShowCursor(1) < 0) {
      }
      PostMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), 0);
      s.CursorShown = 1;
    }
    RemoveWindowDecorations();
    if (!s.CloseRequested) {
      s.CloseRequested = 1;
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
    while (ProcessWindowMessagesCore() == 0 && !s.WindowDestroyed) {
    }
    UnregisterClassW(Win.Settings.ClassName, s.Instance);
  }
  s.MainWindow = nullptr;
  DeleteAllKeyInput();
  FreeDroppedFileList();
  // Even a start-up that failed before it had a window started the loading workers.
  if (s.AsyncLoadStarted) {
    TerminateASyncLoadThread();
    TerminateFileHandles();
    TerminateASyncLoad();
    s.AsyncLoadStarted = 0;
  }
  if (UINT period = timerPeriod(); period && WinAPI.timeEndPeriodFunc) WinAPI.timeEndPeriodFunc(period);
  return 0;
}

}  // namespace ZaDod
