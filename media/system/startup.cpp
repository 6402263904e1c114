// Library start-up and shut-down: every media module started in a fixed order and
// ended in a fixed order around the main window.
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"
#include "media/graphics/base_image.h"
#include "media/graphics/soft_image.h"
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
#include "platform/win/win_window.h"
#include "media/input/input.h"
#include "media/file/async_load.h"
#include "media/system/library_lock.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "media/system/onscreen_log.h"
#include "media/input/key_input.h"
#include "media/network/network.h"
#include "media/movie/movie.h"
#include "media/movie/yuv_tables.h"
#include "media/sound/sound_handle.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

// What start-up got as far as starting, so that a failed start-up ends exactly that.
enum StartedStep : unsigned {
  kStartedBase = 1u << 0,
  kStartedCom = 1u << 1,
  kStartedWindow = 1u << 2,
  kStartedInput = 1u << 3,
  kStartedSound = 1u << 4,
  kStartedGraphics = 1u << 5,
};
unsigned started = 0;

// Full screen: the screen setting must be one of the chosen display's modes; the
// default 640 x 480 x 16 is retried once at 32 bits.
void checkFullScreenMode() {
  for (;;) {
    int bits = GetScreenColorBitDepth(), width, height;
    GetMainScreenSize(&width, &height);
    LogFormatUtf16(u"設定されている画面設定 %dx%d %dbit color", width, height, bits);
    int display = GetUseDisplayIndex();
    int modes = GetDisplayModeNum(display);
    for (int i = 0; i < modes; ++i) {
      DISPLAYMODEDATA m;
      GetDisplayMode(&m, i, display);
      if (m.Width == width && m.Height == height && m.ColorBitDepth == bits) return;
    }
    LogFormatUtf16(u"対応している画面モードなし");
    if (width != 640 || height != 480 || bits != 16) return;
    SetScreenMode(640, 480, 32, GetScreenRefreshRate());
  }
}

int desktopBits() {
  plat::win::HDC dc = plat::win::GetDC(nullptr);
  int bits = plat::win::GetDeviceCaps(dc, plat::win::BITSPIXEL) * plat::win::GetDeviceCaps(dc, plat::win::PLANES);
  plat::win::ReleaseDC(nullptr, dc);
  return bits;
}

// The shut-down steps, each for what was started. A failed start-up runs them too,
// before the initialised flag was ever set, so that nothing it started stays alive.
void shutDown() {
  plat::win::HWND main = Win.Status.MainWindow;
  Win.Status.ClosingState = 1;
  if (started & kStartedGraphics) DeleteAllSoftImage();
  OnScreenLogEnd();
  TerminateNetWork();
  if (started & kStartedSound) TerminateMusicPlayback();
  if (started & kStartedGraphics) {
    TerminateGraphics();
    TerminateBaseImageManage();
    TerminateSoftImageManage();
    TerminateMovie();
  }
  if (started & kStartedInput) TerminateInput();
  if (started & kStartedSound) {
    TerminateSoundSystem();
    TerminateSoundConvert();
  }
  if (started & kStartedWindow) TerminateWindow();
  if (started & kStartedCom) TerminateCom();
  Library.Initialized = 0;

  while (plat::win::IsWindow(main) && ProcessWindowMessagesCore() == 0 && !Win.Status.WindowClosed &&
         !Win.Status.WindowDestroyed) {
  }
  // A window destroyed before the shut-down (by the host, or by the system) left its
  // quit request on this thread's queue, where the next start-up's first pump would
  // take it for a close of the new window.
  plat::win::MSG quit;
  while (plat::win::PeekMessageW(&quit, nullptr, plat::win::WM_QUIT, plat::win::WM_QUIT, plat::win::PM_REMOVE)) {
  }
  plat::win::UnregisterClassW(Win.Settings.ClassName, Win.Status.Instance);
  for (;;) {
    plat::win::HWND found = plat::win::FindWindowW(Win.Settings.ClassName, nullptr);
    if (!found || found != main) break;
    plat::win::DestroyWindow(main);
    Thread_Sleep(100);
  }

  if (started & kStartedBase) {
    FileAccessChangeDir(Library.InitialDir);
    TerminateArchiveReader();
  }
  MemTerminate();  // lists the blocks still alive, then releases both heaps
  ReleaseWinAPI();
  started = 0;
}

int failStartUp() {
  shutDown();
  LogIndentDecrease();
  LogFormatUtf16(u"ＺａＤｏｄライブラリの初期化処理失敗");
  Library.Initializing = 0;
  return -1;
}

}  // namespace

LibraryState Library;

int InitializeLibraryNoLock() {
  if (Library.Initialized) return 0;
  LogFormatUtf16(u"ＺａＤｏｄライブラリの初期化処理開始");
  LogIndentIncrease();
  Library.Initializing = 1;
  Win.Status.WindowClosed = 0;
  ClearEndRequestFlag();

  SetupCharCodeTables();
  SetupDefaultCharCode();
  LoadWinAPI();
  SetupYUVToRGBTables();
  InitializeArchiveReader();
  SetUserFileAccessFunctions(nullptr);
  FileAccessGetDir(Library.InitialDir, sizeof Library.InitialDir);
  LogStart();
  started = kStartedBase;

  if (!Win.Settings.WindowModeFlag) checkFullScreenMode();

  if ((desktopBits() == 24 && Win.Settings.WindowModeFlag) || GetScreenColorBitDepth() == 24) {
    LogAddTextUtf16(u"ＺａＤｏｄライブラリは２４ビットカラーモードに対応していません\n");
    LogIndentDecrease();
    LogFormatUtf16(u"ＺａＤｏｄライブラリの初期化処理失敗");
    Library.Initializing = 0;
    return -1;
  }

  SetupPerformanceCounter();
  OutputSystemInfoLog();
  SetGraphRestoreCallback(nullptr);
  if (InitializeCom() == 0) started |= kStartedCom;

  started |= kStartedWindow;
  if (InitializeWindow() == -1) return failStartUp();

  started |= kStartedInput;
  if (InitializeInput() == -1) return failStartUp();

  InitializeSoundConvert();
  InitializeSoundSystem();
  started |= kStartedSound;

  InitializeBaseImageManage();
  InitializeSoftImageManage();
  InitializeMovie();
  started |= kStartedGraphics;
  if (InitializeGraphics() < 0) return failStartUp();

  InitializeInputCharBuffer();

  Library.Initialized = 1;
  if (!Win.Settings.WindowModeFlag) SetForegroundWindowForced(Win.Status.MainWindow, 1);
  OnScreenLogReset();
  SetDrawTarget(-2);
  SetDrawTarget(-4);
  Library.Initializing = 0;

  LogIndentDecrease();
  LogFormatUtf16(u"ＺａＤｏｄライブラリの初期化処理終了");
  return 0;
}

int TerminateLibraryNoLock() {
  if (!Library.Initialized) return 0;
  shutDown();
  return 0;
}

int InitializeLibrary() {
  if (Library.Initialized) return 0;
  LibraryLockAcquire();
  int result = InitializeLibraryNoLock();
  LibraryLockRelease();
  return result;
}

int TerminateLibrary() {
  if (!Library.Initialized) return 0;
  LibraryLockAcquire();
  int result = TerminateLibraryNoLock();
  LibraryLockRelease();
  LibraryLockDestroy();
  return result;
}

}  // namespace ZaDod
