// Tests of the media layer's keyboard input.
#include <thread>

#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

TEST_F(InputTest, PadOneKeysGiveTheirBits) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidZ, true);
  key(kHidUp, true);
  EXPECT_EQ(pad(0x1000), 0x18);
  key(kHidZ, false);
  key(kHidUp, false);
  key(kHidEscape, true);
  key(kHidSpace, true);
  EXPECT_EQ(pad(0x1000), 0x3000);
  key(kHidEscape, false);
  key(kHidSpace, false);
  key(kHidPad2, true);
  EXPECT_EQ(pad(0x1000), PAD_INPUT_DOWN);
  key(kHidPad2, false);
  key(kHidDown, true);
  EXPECT_EQ(pad(0x1000), PAD_INPUT_DOWN);
}

TEST_F(InputTest, KeysJoinPadOneOnlyWithTheKeyBitAndOnlyForPadOne) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidLeft, true);
  EXPECT_EQ(pad(0x1001), PAD_INPUT_LEFT);
  EXPECT_EQ(pad(1), 0);  // no joystick
  key(kHidZ, true);
  EXPECT_EQ(pad(2 | 0x1000), 0);  // pad 2 has no keys
  EXPECT_EQ(pad(17 | 0x1000), 0);  // beyond the assignment table
}

TEST_F(InputTest, BothEnterKeysSetBothScanCodes) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidPadEnter, true);
  EXPECT_EQ(keyDown(0x1C), 1);
  EXPECT_EQ(CheckKeyDown(0x9C), 1);
  key(kHidPadEnter, false);
  key(kHidReturn, true);
  EXPECT_EQ(keyDown(0x9C), 1);
  EXPECT_EQ(CheckKeyDown(0x1C), 1);
  key(kHidReturn, false);
  EXPECT_EQ(keyDown(0x1C), 0);
  EXPECT_EQ(CheckKeyDown(0x9C), 0);
}

TEST_F(InputTest, LeftAndRightShiftAreApart) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidLeftShift, true);
  EXPECT_EQ(keyDown(0x2A), 1);
  EXPECT_EQ(CheckKeyDown(0x36), 0);
  key(kHidLeftShift, false);
  key(kHidRightShift, true);
  EXPECT_EQ(keyDown(0x2A), 0);
  EXPECT_EQ(CheckKeyDown(0x36), 1);
}

TEST_F(InputTest, ReleasedAndOutOfRangeKeysGiveZero) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidEscape, true);
  EXPECT_EQ(keyDown(0x01), 1);
  EXPECT_EQ(keyDown(256), 0);
  EXPECT_EQ(keyDown(-1), 0);
  EXPECT_EQ(keyDown(0x7FFFFFFF), 0);
  key(kHidEscape, false);
  EXPECT_EQ(keyDown(0x01), 0);
}

TEST_F(InputTest, ReadsWithinOneMillisecondAreSkipped) {
  ASSERT_EQ(startLibrary(), 0);
  EXPECT_EQ(keyDown(0x2C), 0);
  key(kHidZ, true);
  ProcessWindowMessages();  // the window system now has Z down
  EXPECT_EQ(CheckKeyDown(0x2C), 0);  // same millisecond: the last read stands
  EXPECT_EQ(keyDown(0x2C), 1);
}

TEST_F(InputTest, AReadOnAnotherThreadLeavesTheKeyStateAlone) {
  ASSERT_EQ(startLibrary(), 0);
  key(kHidX, true);
  EXPECT_EQ(keyDown(0x2D), 1);
  key(kHidX, false);
  tick();
  int other = -1;
  std::thread([&] { other = CheckKeyDown(0x2D); }).join();
  EXPECT_EQ(other, 1);
  EXPECT_EQ(Input.Status.KeyInputState[0x2D] & 0x80, 0x80);
  EXPECT_EQ(keyDown(0x2D), 0);
}

TEST_F(InputTest, MousePointFollowsTheCursorAndTheStretchRate) {
  ASSERT_EQ(startLibrary(), 0);
  pointer(100, 50);
  ProcessWindowMessages();
  int x = -1, y = -1;
  EXPECT_EQ(GetMousePoint(&x, &y), 0);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  EXPECT_EQ(GetMousePoint(nullptr, nullptr), 0);
  SetWindowStretchRate(2.0, 2.0);
  ProcessWindowMessages();
  pointer(100, 50);
  ProcessWindowMessages();
  GetMousePoint(&x, &y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 25);
}

TEST_F(InputTest, MouseButtonsGiveTheirMasks) {
  ASSERT_EQ(startLibrary(), 0);
  const std::pair<int, int> buttons[] = {{1, 1}, {3, 2}, {2, 4}};  // left, right, middle
  for (auto [which, mask] : buttons) {
    button(which, true);
    tick();
    EXPECT_EQ(GetMouseButtonInput(), mask) << which;
    button(which, false);
    tick();
    EXPECT_EQ(GetMouseButtonInput(), 0) << which;
  }
}

}  // namespace
}  // namespace halvorine_test
