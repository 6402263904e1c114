// Tests of the input system's start-up and shut-down.
#include "media/system/window_state.h"
#include "tests/media/input/input_fixture.h"
#include "tests/media/log_file.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

TEST_F(InputTest, FirstKeyQueryStartsInputAndAnswersZero) {
  // As before the first start-up: an earlier test's shut-down leaves the program ending.
  // A process starts with DirectInput not yet found missing.
  Win.Status = WindowStatus{};
  Input.Settings.NoDirectInput = 0;
  ASSERT_EQ(Input.Settings.Started, 0);
  EXPECT_EQ(CheckKeyDown(1), 0);
  EXPECT_EQ(Input.Settings.Started, 1);
  ASSERT_EQ(TerminateInput(), 0);
  const auto lines = logFileLines();
  EXPECT_EQ(depthOf(lines, u"DirectInput関係初期化処理"), 0);
  EXPECT_EQ(depthOf(lines, u"XInput DLL の読み込み中... 失敗、XInputは使用しません"), 1);
  EXPECT_EQ(depthOf(lines, u"DirectInput7 の取得中... DirectInput8 の取得を試みます...取得に失敗。"
                            u"DirectInput を使用しません。"),
            1);
  EXPECT_EQ(depthOf(lines, u"パッドの数は 0 個です"), 1);
  EXPECT_EQ(depthOf(lines, u"入力関連の初期化をしました"), 0);
  EXPECT_EQ(depthOf(lines, u"入力関連の終了処理... 完了"), 0);
  EXPECT_EQ(Input.Status.Mode, InputDeviceMode::None);
}

TEST_F(InputTest, RestartKeepsTheAssignmentAndWorksAgain) {
  ASSERT_EQ(startLibrary(), 0);
  Input.Settings.PadKeyAssignment[0][20][0] = 0x30;  // B as button 17
  ASSERT_EQ(TerminateInput(), 0);
  EXPECT_EQ(Input.Settings.Started, 0);
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(Input.Settings.PadKeyAssignment[0][20][0], 0x30);
  key(kHidZ, true);
  EXPECT_EQ(pad(0x1000), PAD_INPUT_1);
  Input.Settings.PadKeyAssignment[0][20][0] = 0;
}

TEST_F(InputTest, NothingStartsWhileTheProgramEnds) {
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(TerminateInput(), 0);
  plat::win::WindowEvent close;
  close.kind = plat::win::WindowEvent::Kind::Close;
  send(close);
  ProcessWindowMessages();
  ASSERT_NE(GetWindowClosingFlag(), 0);
  EXPECT_EQ(StartInputOnDemand(), 0);
  EXPECT_EQ(CheckKeyDown(1), 0);
  EXPECT_EQ(Input.Settings.Started, 0);
}

}  // namespace
}  // namespace halvorine_test
