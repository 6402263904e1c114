// The runtime's frame loop as it asks the input front, headless, until Escape.
#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

TEST_F(InputTest, GameLoopRunsUntilEscapeAndShutDownEndsInput) {
  ASSERT_EQ(plat::input::AttachVirtualJoystick(2, 10), 0);
  ASSERT_EQ(startLibrary(), 0);
  plat::win::ReleaseClockForTest();
  int frames = 0, withKeys = 0, padOnly = 0, mx = 0, my = 0, buttons = 0, wheel = 0;
  while (ProcessWindowMessages() == 0) {
    if (CheckKeyDown(1)) break;
    withKeys = GetJoypadInputState(0x1001);
    padOnly = GetJoypadInputState(1);
    GetMousePoint(&mx, &my);
    buttons = GetMouseButtonInput();
    wheel += GetMouseWheelRotation(1);
    if (++frames == 3) {
      key(kHidZ, true);
      plat::input::SetVirtualJoystickButton(0, 1, true);
      button(1, true);  // a button event carries its own pointer position
      pointer(12, 34);
    }
    if (frames == 30) key(kHidEscape, true);
    ASSERT_LT(frames, 10000) << "Escape never ended the loop";
    usleep(1000);
  }
  EXPECT_GE(frames, 30);
  EXPECT_EQ(withKeys, 0x30);
  EXPECT_EQ(padOnly, 0x20);
  EXPECT_EQ(mx, 12);
  EXPECT_EQ(my, 34);
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(wheel, 0);
  releaseAll();
  TerminateLibrary();
  EXPECT_TRUE(logged(u"入力関連の終了処理... 完了"));
}

}  // namespace
}  // namespace halvorine_test
