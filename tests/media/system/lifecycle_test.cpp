// Start-up, shut-down and their order; the failures of start-up; the frame limit.
#include <sys/wait.h>

#include <filesystem>
#include <thread>

#include <algorithm>

#include "media/movie/yuv_tables.h"
#include "media/sound/sound_handle.h"
#include "media_library_fixture.h"
#include "tests/media/log_file.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/file/file_access.h"
#include "media/system/fatal.h"
#include "tests/support/thread_count.h"

namespace {
using namespace halvorine_test;
using namespace ZaDod;
using K = plat::win::WindowEvent::Kind;

TEST_F(LibraryTest, StartsPumpsClosesAndStartsAgain) {
  EXPECT_EQ(TerminateLibrary(), 0);  // before start-up: nothing to do
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(InitializeLibrary(), 0);
  EXPECT_EQ(ProcessWindowMessages(), 0);
  EXPECT_EQ(ProcessWindowMessages(), 0);

  inject(K::Close);
  EXPECT_EQ(ProcessWindowMessages(), -1);
  EXPECT_EQ(ProcessWindowMessages(), -1);
  EXPECT_TRUE(logHasInOrder({u"ウインドウを閉じようとしています", u"ウインドウが破棄されようとしています",
                             u"ソフトを終了する準備が整いました"}));
  EXPECT_EQ(TerminateLibrary(), 0);
  EXPECT_EQ(TerminateLibrary(), 0);
  EXPECT_EQ(plat::win::FindWindowW(u"D123987X", nullptr), nullptr);

  ASSERT_EQ(InitializeLibrary(), 0);
  EXPECT_EQ(ProcessWindowMessages(), 0);
  EXPECT_EQ(TerminateLibrary(), 0);
}

TEST_F(LibraryTest, LogsStartUpAndShutDownInOrder) {
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_TRUE(logHasInOrder({u"ＺａＤｏｄライブラリの初期化処理開始", u"システムの情報を出力します",
                             u"ＣＯＭの初期化... ", u"成功しました", u"メモリ総量:", u"タイマーの精度を検査します",
                             u"精度結果 更新回数", u"ソフトの二重起動検査... ", u"二重起動はされていませんでした",
                             u"ウインドウクラスを登録します... ", u"登録に成功しました",
                             u"ウインドウモード起動用のウインドウを作成します", u"ウインドウの作成に成功しました",
                             u"ウインドウを表示します", u"ＩＭＥを無効にしました",
                             u"ウインドウスタイルをウインドウモード用に変更します... ", u"完了",
                             u"ＺａＤｏｄライブラリの初期化処理終了"}));
  forgetLog();
  EXPECT_EQ(TerminateLibrary(), 0);
  EXPECT_TRUE(logHasInOrder({u"ウインドウを閉じようとしています", u"ウインドウが破棄されようとしています",
                             u"ソフトを終了する準備が整いました", u"ＣＯＭを終了... 完了"}));
}

TEST_F(LibraryTest, ReachesTheModulesInStartUpAndShutDownOrder) {
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_EQ(YUVTables.y[235], 19070 * 219);  // the colour tables are filled
  EXPECT_EQ(HandleManageArray[HANDLETYPE_MOVIE].InitializeFlag, 1);
  EXPECT_EQ(IsGraphRestoreCallbackSet(), 1);
  EXPECT_EQ(SoundSys.InitializeFlag.load(), 1);
  EXPECT_EQ(IsSoundOutputReady(), 1);
  EXPECT_EQ(GetDrawTarget(), -4);  // the back screen first, then the front
  EXPECT_EQ(GraphicsSys.started, 1);
  TerminateLibrary();
  EXPECT_EQ(GraphicsSys.started, 0);
  EXPECT_EQ(SoundSys.InitializeFlag.load(), 0);
  EXPECT_EQ(HandleManageArray[HANDLETYPE_MOVIE].InitializeFlag, 0);
}

TEST_F(LibraryTest, RefusesA24BitDesktop) {
  plat::win::SetScreenBitsForTest(24);
  EXPECT_EQ(startWindowed(), -1);
  plat::win::SetScreenBitsForTest(0);
  EXPECT_TRUE(logHasInOrder({u"ＺａＤｏｄライブラリは２４ビットカラーモードに対応していません",
                             u"ＺａＤｏｄライブラリの初期化処理失敗"}));
  EXPECT_EQ(GetMainWindowHandle(), nullptr);
  EXPECT_EQ(InitializeLibrary(), 0);
}

// A failed start-up ends everything it started, so the next start finds no window of
// its own class and succeeds.
TEST_F(LibraryTest, FailedWindowCreationShutsDownAndALaterStartSucceeds) {
  plat::win::SetWindowCreationFailsForTest(true);
  EXPECT_EQ(startWindowed(), -1);
  plat::win::SetWindowCreationFailsForTest(false);
  EXPECT_TRUE(logHasInOrder({u"ウインドウの作成に失敗しました", u"ＣＯＭを終了... 完了",
                             u"ＺａＤｏｄライブラリの初期化処理失敗"}));
  EXPECT_EQ(InitializeLibrary(), 0);
}

TEST_F(LibraryTest, FailedGraphicsStartShutsDown) {
  // Software mode cannot start without DirectDraw, and the hardware back ends are away.
  setenv("HALVORINE_MISSING", "d3d11,d3d9,ddraw", 1);
  EXPECT_EQ(startWindowed(), -1);
  unsetenv("HALVORINE_MISSING");
  EXPECT_EQ(GraphicsSys.started, 0);
  // Input started on DirectInput, or on the joystick functions once DirectInput failed.
  EXPECT_TRUE(logHasInOrder({u"DirectInput 関連の初期化は正常に終了しました", u"DirectInput 関連の終了処理... 完了"}) ||
              logHasInOrder({u"入力関連の初期化をしました", u"入力関連の終了処理... 完了"}));
  EXPECT_EQ(InitializeLibrary(), 0);
}

plat::win::LRESULT plainProc(plat::win::HWND h, plat::win::UINT m, plat::win::WPARAM w, plat::win::LPARAM l) {
  return plat::win::DefWindowProcW(h, m, w, l);
}

TEST_F(LibraryTest, RefusesToStartWhileAWindowOfItsClassExists) {
  plat::win::WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = plainProc;
  cls.lpszClassName = u"D123987X";
  ASSERT_NE(plat::win::RegisterClassExW(&cls), 0);
  plat::win::HWND other = plat::win::CreateWindowExW(0, u"D123987X", u"other", 0, 0, 0, 10, 10, nullptr, nullptr,
                                                     nullptr, nullptr);
  EXPECT_EQ(startWindowed(), -1);
  EXPECT_TRUE(logHasInOrder({u"二重起動されています、ソフトを終了します", u"ＺａＤｏｄライブラリの初期化処理失敗"}));
  EXPECT_TRUE(plat::win::IsWindow(other));  // someone else's window is left alone
  plat::win::DestroyWindow(other);
  plat::win::UnregisterClassW(u"D123987X", nullptr);
  EXPECT_EQ(InitializeLibrary(), 0);
}

TEST_F(LibraryTest, TwoHeadlessProcessesStartSideBySide) {
  pid_t children[2];
  for (pid_t& child : children) {
    child = fork();
    if (child == 0) {
      int ok = startWindowed() == 0 && ProcessWindowMessages() == 0 && TerminateLibrary() == 0;
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

TEST_F(LibraryTest, ShutDownReturnsToTheStartingFolder) {
  std::filesystem::create_directory("elsewhere");
  ASSERT_EQ(startWindowed(), 0);
  std::filesystem::path start = std::filesystem::current_path();
  ASSERT_EQ(FileAccessChangeDir(u"elsewhere"), 0);
  ASSERT_NE(std::filesystem::current_path(), start);
  TerminateLibrary();
  EXPECT_EQ(std::filesystem::current_path(), start);
}

TEST_F(LibraryTest, NoLoadingWorkerOutlivesShutDown) {
  std::thread([] {}).join();  // a sanitizer may start a thread of its own with the first one
  int before = halvorine_test::SteadyProcessThreadCount();
  ASSERT_EQ(startWindowed(), 0);
  EXPECT_GT(halvorine_test::ProcessThreadCount(), before);
  TerminateLibrary();
  EXPECT_EQ(halvorine_test::ProcessThreadCountSettledAt(before), before);
}

// The child is a fork of this test, so it works in the test's own folder.
TEST_F(LibraryTest, FatalExitOnTheMainThreadShutsTheLibraryDownFirst) {
  EXPECT_EXIT(
      {
        LogCapture::echoToStderr();
        startWindowed();
        FatalErrorExit(u"致命的なエラー");
      },
      ::testing::ExitedWithCode(1),
      "致命的なエラー.*ウインドウが破棄されようとしています.*ソフトを終了する準備が整いました.*ＣＯＭを終了");
}

// The interpreter's pump skips passes with nothing due, yet it too sees the close that
// the last allowed frame queues at its very next call, however fast the calls come.
TEST_F(LibraryTest, FrameLimitEndsThePumpAfterTheThirdFlip) {
  for (int (*pump)() : {&ProcessWindowMessages, &ProcessWindowMessagesWhenDue}) {
    setenv("HALVORINE_FRAMES", "3", 1);
    int started = startWindowed();
    unsetenv("HALVORINE_FRAMES");
    ASSERT_EQ(started, 0);
    // Start-up's presents, the front screen's refreshes and leaving the front screen
    // do not count: only the flips do.
    EXPECT_EQ(pump(), 0);
    SetDrawTarget(-2);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(pump(), 0) << i;
    FlipScreen();
    FlipScreen();
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(pump(), 0) << i;
    FlipScreen();
    EXPECT_EQ(pump(), -1);
    EXPECT_EQ(TerminateLibrary(), 0);
  }
}

}  // namespace

namespace {
using namespace halvorine_test;

TEST_F(LibraryTest, LogFileCarriesTheStartUpIndentsAndContinuations) {
  SetLogFileOutput(1);
  ASSERT_EQ(startWindowed(), 0);
  auto lines = logFileLines();
  EXPECT_EQ(depthOf(lines, u"ＺａＤｏｄライブラリの初期化処理開始"), 0);
  EXPECT_EQ(depthOf(lines, u"システムの情報を出力します"), 1);
  EXPECT_EQ(depthOf(lines, u"ＺａＤｏｄライブラリ Ver3.16d"), 2);
  EXPECT_EQ(depthOf(lines, u"タイマーの精度を検査します"), 1);
  EXPECT_EQ(depthOf(lines, u"ＺａＤｏｄライブラリの初期化処理終了"), 0);
  // The one-space pieces start lines that the next message continues.
  EXPECT_EQ(depthOf(lines, u" パフォーマンスカウンターを使用します"), 1);
  EXPECT_EQ(depthOf(lines, u" ソフトの二重起動検査... 二重起動はされていませんでした"), 1);
}

}  // namespace
