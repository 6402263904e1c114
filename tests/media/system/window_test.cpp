// The running window: activation and the inactive wait, the activation queue, the
// window procedure's wheel, sizing and cursor rules, and the window services.
#include <algorithm>
#include <thread>

#include "media_library_fixture.h"
#include "media/system/window_decor.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/menu.h"
#include "platform/win/win_window.h"
#include "platform/win/win_display.h"

namespace {
using namespace halvorine_test;
using namespace ZaDod;
using namespace plat::win;
using K = WindowEvent::Kind;

TEST_F(LibraryTest, WindowModeBeforeStartUpIsOnlyRecorded) {
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_EQ(logCount(u"ChangeWindowMode実行"), 2);
  EXPECT_EQ(logCount(u"ウインドウモードフラグが立てられました"), 1);
  EXPECT_EQ(GetWindowModeFlag(), 1);
  EXPECT_EQ(GetMainWindowHandle(), nullptr);
}

TEST_F(LibraryTest, DefaultWindowIsCentredWithA640By480ClientArea) {
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(FindWindowW(u"D123987X", u"ZaDod"), mainWindow());
  RECT client, window, work;
  GetClientRect(mainWindow(), &client);
  GetWindowRect(mainWindow(), &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_EQ(window.left, (work.right - work.left - (window.right - window.left)) / 2 + work.left);
  EXPECT_EQ(window.top, (work.bottom - work.top - (window.bottom - window.top)) / 2 + work.top);
  EXPECT_FALSE(IsImeEnabled(mainWindow()));
  EXPECT_EQ(GetWindowActiveFlag(), 1);
}

TEST_F(LibraryTest, TitlePositionAndStretchRateReachTheWindow) {
  SetMainWindowText("Halvorine 0.1.44");
  ASSERT_EQ(startWindowed(), 0);
  char16_t title[64];
  GetWindowTextW(mainWindow(), title, 64);
  EXPECT_EQ(std::u16string(title), u"Halvorine 0.1.44");
  SetMainWindowText("\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0");
  GetWindowTextW(mainWindow(), title, 64);
  EXPECT_EQ(std::u16string(title), u"ゲーム");

  SetWindowPosition(10, 20);
  RECT window;
  GetWindowRect(mainWindow(), &window);
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 20);

  SetWindowStretchRate(2.0, 0.0);
  double x, y;
  EXPECT_EQ(GetWindowStretchRate(&x, &y), 2.0);
  EXPECT_EQ(y, 2.0);
  RECT client;
  GetClientRect(mainWindow(), &client);
  EXPECT_EQ(client.right, 1280);
  EXPECT_EQ(client.bottom, 960);

  // Desktop points map back to the screen image, rounded to the nearest pixel.
  POINT origin{0, 0};
  ClientToScreen(mainWindow(), &origin);
  int sx, sy;
  ConvDesktopPosToScreenPos(origin.x + 3, origin.y + 5, &sx, &sy);
  EXPECT_EQ(sx, 2);
  EXPECT_EQ(sy, 3);
}

TEST_F(LibraryTest, WheelNotchesAreHandedOutOnceAndAReversalRestarts) {
  ASSERT_EQ(startWindowed(), 0);
  for (int delta : {120, 120, 10}) SendMessageW(mainWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
  EXPECT_EQ(GetMouseWheelRotation(0), 2);
  EXPECT_EQ(GetMouseWheelRotation(0), 2);
  EXPECT_EQ(GetMouseWheelRotation(1), 2);
  EXPECT_EQ(GetMouseWheelRotation(1), 0);
  SendMessageW(mainWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  EXPECT_EQ(GetMouseWheelRotation(1), -1);
}

TEST_F(LibraryTest, InjectedWheelStepsReachTheAccumulatorThroughThePump) {
  ASSERT_EQ(startWindowed(), 0);
  WindowEvent e;
  e.kind = K::Wheel;
  e.wheelY = 3;
  InjectWindowEvent(mainWindow(), e);
  EXPECT_EQ(ProcessWindowMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(1), 3);
}

TEST_F(LibraryTest, SizingBelow128StopsAt128OnTheSmallerSideKeepingTheAspect) {
  ASSERT_EQ(startWindowed(), 0);
  RECT window, client;
  GetWindowRect(mainWindow(), &window);
  GetClientRect(mainWindow(), &client);
  int frameW = window.right - window.left - client.right, frameH = window.bottom - window.top - client.bottom;
  RECT dragged{100, 100, 100 + frameW + 40, 100 + frameH + 30};
  SendMessageW(mainWindow(), WM_SIZING, 8, reinterpret_cast<LPARAM>(&dragged));
  EXPECT_EQ(dragged.bottom - dragged.top - frameH, 128);
  EXPECT_EQ(dragged.right - dragged.left - frameW, 128 * 640 / 480);
  EXPECT_EQ(dragged.left, 100);
  EXPECT_EQ(dragged.top, 100);
  // Dragging the right edge to double width gives the rate 2 for both sides.
  dragged = RECT{0, 0, frameW + 1280, frameH + 100};
  SendMessageW(mainWindow(), WM_SIZING, 2, reinterpret_cast<LPARAM>(&dragged));
  EXPECT_EQ(dragged.bottom - frameH, 960);
}

TEST_F(LibraryTest, ScreenSaverRequestsAreSwallowedAndComStartsOnce) {
  ASSERT_EQ(startWindowed(), 0);
  BOOL active = 1;
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_EQ(active, 0);  // switched off while the game runs
  EXPECT_EQ(SendMessageW(mainWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
  EXPECT_EQ(InitializeCom(), -1);
  TerminateLibrary();
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_EQ(active, 1);
}

TEST_F(LibraryTest, DeactivationPausesAndTheInactivePumpWaitsForActivation) {
  ASSERT_EQ(startWindowed(), 0);
  inject(K::FocusLost);
  EXPECT_EQ(ProcessWindowMessages(), 0);
  EXPECT_EQ(GetWindowActiveFlag(), 0);

  std::thread activator([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    inject(K::FocusGained);
  });
  EXPECT_EQ(ProcessWindowMessages(), 0);  // sleeps until the activation arrives
  activator.join();
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  EXPECT_EQ(WaitWhileWindowInactive(), 0);
}

TEST_F(LibraryTest, MinimisedActivationCountsAsDeactivation) {
  ASSERT_EQ(startWindowed(), 0);
  HandleWindowActivation(MAKEWPARAM(WA_ACTIVE, 1), 0, 0, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 0);
  HandleWindowActivation(WA_ACTIVE, 0, 0, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  inject(K::Minimized);
  ProcessWindowMessagesCore();
  EXPECT_EQ(GetWindowActiveFlag(), 0);
  inject(K::Restored);
  ProcessWindowMessagesCore();
  EXPECT_EQ(GetWindowActiveFlag(), 1);
}

TEST_F(LibraryTest, ActivationsWaitWhileThePumpRunsAndThe513thIsHandledAtOnce) {
  ASSERT_EQ(startWindowed(), 0);
  Library.PumpRunning = 1;
  for (int i = 0; i < kActivationQueueSize; ++i) QueueWindowActivation(0, 0, 0, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  EXPECT_EQ(Win.Status.ActivationCount, kActivationQueueSize);
  QueueWindowActivation(0, 0, 0, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 0);
  Library.PumpRunning = 0;
  QueueWindowActivation(WA_ACTIVE, 0, 0, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  // The 512 queued deactivations replay after the next drain.
  EXPECT_EQ(ProcessWindowMessagesCore(), 0);
  EXPECT_EQ(Win.Status.ActivationCount, 0);
  EXPECT_EQ(GetWindowActiveFlag(), 0);
}

TEST_F(LibraryTest, InactiveWaitEndsAfterTenPassesDuringShutDown) {
  ASSERT_EQ(startWindowed(), 0);
  inject(K::FocusLost);
  ProcessWindowMessages();
  ASSERT_EQ(GetWindowActiveFlag(), 0);
  Win.Status.ClosingState = 1;
  EXPECT_EQ(ProcessWindowMessagesCore(), 0);  // returns although the window stays inactive
  Win.Status.ClosingState = 0;
  EXPECT_EQ(TerminateLibrary(), 0);
}

TEST_F(LibraryTest, WaitWhileInactiveGivesZeroOrMinusOne) {
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(WaitWhileWindowInactive(), 0);
  inject(K::FocusLost);
  ProcessWindowMessages();
  inject(K::Close);
  EXPECT_EQ(WaitWhileWindowInactive(), -1);
  EXPECT_EQ(WaitWhileWindowInactive(), -1);
}

TEST_F(LibraryTest, CursorClipTakesTheLeftAndTopEdgesButNotTheRightAndBottom) {
  Win.Settings.CursorClipFlag = 1;
  ASSERT_EQ(startWindowed(), 0);
  WindowEvent move;
  move.kind = K::MouseMove;
  move.x = 640, move.y = 0;  // just right of the client area
  InjectWindowEvent(mainWindow(), move);
  ProcessWindowMessages();
  ProcessWindowMessages();
  EXPECT_FALSE(GetCursorClip(nullptr));
  move.x = 0;
  InjectWindowEvent(mainWindow(), move);
  ProcessWindowMessages();
  ProcessWindowMessages();
  RECT clip;
  ASSERT_TRUE(GetCursorClip(&clip));
  EXPECT_EQ(clip.right - clip.left, 640);
  inject(K::FocusLost);
  ProcessWindowMessages();
  EXPECT_FALSE(GetCursorClip(nullptr));  // released on deactivation
}

TEST_F(LibraryTest, DroppedFilesAreTakenAndFreed) {
  ASSERT_EQ(startWindowed(), 0);
  DragAcceptFiles(mainWindow(), 1);
  WindowEvent drop;
  drop.kind = K::Drop;
  drop.files = {"a.png", "b.png"};
  InjectWindowEvent(mainWindow(), drop);
  ProcessWindowMessages();
  ASSERT_EQ(Win.Status.DroppedFileNum, 2);
  EXPECT_EQ(std::u16string(Win.Status.DroppedFiles[1]), u"b.png");
  FreeDroppedFileList();
  EXPECT_EQ(Win.Status.DroppedFileNum, 0);
  UpdateDragAcceptFiles();  // drag and drop is off in this system
  InjectWindowEvent(mainWindow(), drop);
  ProcessWindowMessages();
  EXPECT_EQ(Win.Status.DroppedFileNum, 0);
}

}  // namespace

namespace {
using namespace halvorine_test;
using namespace ZaDod;
using namespace plat::win;

TEST_F(LibraryTest, ChangingModeRestylesTheRunningWindow) {
  ASSERT_EQ(startWindowed(), 0);
  forgetLog();
  EXPECT_EQ(ChangeWindowMode(0), 0);
  EXPECT_TRUE(IsWindowFullScreen(mainWindow()));
  EXPECT_EQ(GetWindowModeFlag(), 0);
  EXPECT_TRUE(logHasInOrder({u"画面モード変更処理を開始します", u"画面モード変更処理は正常に終了しました"}));
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_FALSE(IsWindowFullScreen(mainWindow()));
  RECT client;
  GetClientRect(mainWindow(), &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
}

TEST_F(LibraryTest, TheCentredLayoutKeepsTheGivenSizeAndReportsEachResizeOnce) {
  SetWindowCentreLayout(1);  // a setting: it survives the window's start-up
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(GetWindowCentreLayoutFlag(), 1);
  auto resize = [](int width, int height) {
    WindowEvent e;
    e.kind = K::Resized;
    e.x = width, e.y = height;
    InjectWindowEvent(mainWindow(), e);
    ProcessWindowMessages();
  };
  int w = 0, h = 0;
  for (int round = 0; round < 3; ++round) {
    // Centred: the window keeps what it was given, and the flip hears of it once.
    SetWindowCentreLayout(1);
    resize(700 + round, 520);
    GetWindowClientSize(&w, &h);
    EXPECT_EQ(w, 700 + round);
    EXPECT_EQ(h, 520);
    EXPECT_EQ(TakeWindowResizedFlag(), 1);
    EXPECT_EQ(TakeWindowResizedFlag(), 0);
    resize(700 + round, 520);  // the same size again is no resize
    EXPECT_EQ(TakeWindowResizedFlag(), 0);
    inject(K::Minimized);  // minimising is not a resize of the client area
    ProcessWindowMessages();
    EXPECT_EQ(TakeWindowResizedFlag(), 0);
    inject(K::Restored);
    ProcessWindowMessages();
    resize(640, 480);
    EXPECT_EQ(TakeWindowResizedFlag(), 1);

    // Not centred: the window goes back to the scaled screen, so nothing changed.
    SetWindowCentreLayout(0);
    EXPECT_EQ(GetWindowCentreLayoutFlag(), 0);
    resize(700, 520);
    GetWindowClientSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(TakeWindowResizedFlag(), 0);
  }
}

TEST_F(LibraryTest, ALayeredWindowCarriesTheLayeredStyle) {
  ASSERT_EQ(startWindowed(), 0);
  for (int round = 0; round < 2; ++round) {
    for (int mode : {1, 2}) {
      ASSERT_EQ(SetWindowLayeredMode(mode), 0);
      EXPECT_EQ(GetWindowLayeredMode(), mode);
      EXPECT_NE(GetWindowLongW(mainWindow(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    }
    ASSERT_EQ(SetWindowLayeredMode(0), 0);
    EXPECT_EQ(GetWindowLongW(mainWindow(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(SetWindowLayeredMode(3), -1);
    EXPECT_EQ(GetWindowLayeredMode(), 0);
  }
}

TEST_F(LibraryTest, FullScreenStartRetriesTheDefaultModeAt32Bits) {
  // A display without 16-bit modes.
  SetDisplaysForTest({DisplayDesc{RECT{0, 0, 1920, 1080}, {1920, 1080, 32, 60}, {{640, 480, 32, 60}, {1920, 1080, 32, 60}}}});
  ReleaseDisplayInfo();  // the display table is read again
  ASSERT_EQ(InitializeLibrary(), 0);  // the window-mode flag is 0: full screen
  EXPECT_TRUE(logHasInOrder({u"設定されている画面設定", u"対応している画面モードなし", u"設定されている画面設定",
                             u"フルスクリーンモード用のウインドウを作成します"}));
  EXPECT_EQ(GetScreenColorBitDepth(), 32);
  EXPECT_TRUE(IsWindowFullScreen(mainWindow()));
  EXPECT_LT(GetCursorDisplayCount(), 0);  // no cursor over a full screen
  TerminateLibrary();
  SetMainScreenSize(0, 0);  // back to the default setting for the other tests
  GraphicsSys.colorBits = 0;
  SetDisplaysForTest({});
  ReleaseDisplayInfo();
}

TEST_F(LibraryTest, AMaximisedWindowScalesTheScreenEvenlyToFit) {
  ASSERT_EQ(startWindowed(), 0);
  for (int round = 0; round < 2; ++round) {
    ShowWindow(mainWindow(), SW_MAXIMIZE);
    RECT client;
    GetClientRect(mainWindow(), &client);
    ASSERT_GT(client.right, 640);
    const double want = std::min((client.right - 1) / 640.0, (client.bottom - 1) / 480.0);
    double x = 0, y = 0;
    EXPECT_DOUBLE_EQ(GetWindowStretchRate(&x, &y), want);
    EXPECT_DOUBLE_EQ(y, want);
    // A point of the client maps back to the screen image at that rate.
    POINT origin{0, 0};
    ClientToScreen(mainWindow(), &origin);
    int sx, sy;
    ConvDesktopPosToScreenPos(origin.x + static_cast<int>(want * 100), origin.y, &sx, &sy);
    EXPECT_EQ(sx, 100);
    ShowWindow(mainWindow(), SW_RESTORE);
    EXPECT_EQ(GetWindowStretchRate(&x, &y), 1.0);
    GetClientRect(mainWindow(), &client);
    EXPECT_EQ(client.right, 640);
  }
}

// Full screen: without a device the menu bar comes down near the top; with one it
// stays, and the cursor follows the mouse either way.
TEST_F(LibraryTest, FullScreenMenuFollowsTheMouseByTheDevice) {
  SetDisplaysForTest({DisplayDesc{RECT{0, 0, 1920, 1080}, {1920, 1080, 32, 60}, {{640, 480, 32, 60}, {1920, 1080, 32, 60}}}});
  ReleaseDisplayInfo();
  for (const char* missing : {"d3d11,d3d9", ""}) {
    SCOPED_TRACE(missing);
    setenv("HALVORINE_MISSING", missing, 1);
    ASSERT_EQ(InitializeLibrary(), 0);
    const bool device = Graphics_Hardware_IsDeviceValid() != 0;
    EXPECT_EQ(device, missing[0] == 0);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 200, u"Help");
    WindowDecor.Menu = bar;
    // Client positions; the screen image may be scaled into a larger full-screen window.
    auto mouseAt = [&](int y) {
      WindowEvent e;
      e.kind = WindowEvent::Kind::MouseMove;
      e.x = 50;
      e.y = y;
      InjectWindowEvent(mainWindow(), e);
      ProcessWindowMessages();
      UpdateFullScreenMenu();
    };
    for (int round = 0; round < 2; ++round) {
      mouseAt(300);
      EXPECT_EQ(GetMenu(mainWindow()) != nullptr, device);
      EXPECT_EQ(Win.Status.CursorShown, 0);
      mouseAt(30);
      EXPECT_EQ(GetMenu(mainWindow()), bar);
      EXPECT_EQ(Win.Status.CursorShown, 1);
      mouseAt(400);
      EXPECT_EQ(GetMenu(mainWindow()) != nullptr, device);
      EXPECT_EQ(Win.Status.CursorShown, 0);
    }
    TerminateLibrary();
    unsetenv("HALVORINE_MISSING");
  }
  SetMainScreenSize(0, 0);
  GraphicsSys.colorBits = 0;
  SetDisplaysForTest({});
  ReleaseDisplayInfo();
}

// Fonts are measured in the window system's device contexts: once the main window is
// gone none is made, until the next start-up.
TEST_F(LibraryTest, NoFontIsMadeAfterTheMainWindowIsGone) {
  ASSERT_EQ(startWindowed(), 0);
  const int before = CreateFontHandle(nullptr, 20, 3, 0, -1, 0, 0, -1);
  EXPECT_NE(before, -1);
  DestroyWindow(mainWindow());
  EXPECT_EQ(GetWindowDestroyedFlag(), 1);
  EXPECT_EQ(CreateFontHandle(nullptr, 20, 3, 0, -1, 0, 0, -1), -1);
  TerminateLibrary();
  EXPECT_EQ(GetMainWindowHandle(), nullptr);
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(GetWindowDestroyedFlag(), 0);
  EXPECT_NE(CreateFontHandle(nullptr, 20, 3, 0, -1, 0, 0, -1), -1);
  // The destroyed window's quit request went with the library it belonged to.
  EXPECT_EQ(ProcessWindowMessages(), 0);
}

}  // namespace
