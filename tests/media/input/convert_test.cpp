// Tests of media/input/input_convert: device values turned into the joystick state.
#include "media/input/input_convert.h"

#include <gtest/gtest.h>

#include <set>

#include "media/input/key_table.h"

namespace ZaDod {
namespace {

using namespace plat::input;

TEST(JoystickAxis, RawRangeMapsOntoThousandsWithTheDeadZone) {
  const int dz = kJoypadDeadZone;
  EXPECT_EQ(ConvertJoystickAxis(0, dz), -1000);
  EXPECT_EQ(ConvertJoystickAxis(1, dz), -999);
  EXPECT_EQ(ConvertJoystickAxis(0x7FFF, dz), 0);
  EXPECT_EQ(ConvertJoystickAxis(0x8000, dz), 0);
  EXPECT_EQ(ConvertJoystickAxis(0x8000 - 0x2CCC, dz), 0);
  EXPECT_EQ(ConvertJoystickAxis(0x8000 - 0x2CCD, dz), 0);  // one unit out: still below a thousandth
  EXPECT_EQ(ConvertJoystickAxis(0x8000 + 0x2CCC, dz), 0);
  EXPECT_EQ(ConvertJoystickAxis(0xACCD, dz), 0);
  EXPECT_EQ(ConvertJoystickAxis(0xFFFE, dz), 999);
  EXPECT_EQ(ConvertJoystickAxis(0xFFFF, dz), 1000);
  EXPECT_LT(ConvertJoystickAxis(0x2000, dz), -500);
  EXPECT_GT(ConvertJoystickAxis(0xE000, dz), 500);
}

TEST(JoystickAxis, IsMonotonicAndSymmetricEnough) {
  int last = -1000;
  for (unsigned raw = 0; raw <= 0xFFFF; ++raw) {
    const int v = ConvertJoystickAxis(raw, kJoypadDeadZone);
    ASSERT_GE(v, last) << raw;
    ASSERT_GE(v, -1000);
    ASSERT_LE(v, 1000);
    last = v;
  }
}

TEST(XInputStick, DeadZoneScaleAndTurnedAxes) {
  const int dz = kJoypadDeadZone;
  EXPECT_EQ(ConvertXInputStick(20000, dz, false), 400);
  EXPECT_EQ(ConvertXInputStick(20000, dz, true), -400);
  EXPECT_EQ(ConvertXInputStick(-20000, dz, false), -400);
  EXPECT_EQ(ConvertXInputStick(32767, dz, true), -1000);
  EXPECT_EQ(ConvertXInputStick(32767, dz, false), 1000);
  EXPECT_EQ(ConvertXInputStick(-32768, dz, false), -1000);
  EXPECT_EQ(ConvertXInputStick(-32768, dz, true), 1000);
  EXPECT_EQ(ConvertXInputStick(11468, dz, false), 0);
  EXPECT_EQ(ConvertXInputStick(-11468, dz, true), 0);
  EXPECT_EQ(ConvertXInputStick(0, dz, true), 0);
}

TEST(XInputTriggers, LeftPushesUpRightPushesDown) {
  const int dz = kJoypadDeadZone;
  EXPECT_EQ(ConvertXInputTriggers(255, 0, dz), 1000);
  EXPECT_EQ(ConvertXInputTriggers(255, 200, dz), 332);
  EXPECT_EQ(ConvertXInputTriggers(0, 255, dz), -1000);
  EXPECT_EQ(ConvertXInputTriggers(89, 89, dz), 0);  // both inside the dead zone
  EXPECT_EQ(ConvertXInputTriggers(255, 255, dz), 0);
}

TEST(XInputDpad, ClockwiseFromUpAndCentredOtherwise) {
  const unsigned up = XINPUT_GAMEPAD_DPAD_UP, down = XINPUT_GAMEPAD_DPAD_DOWN, left = XINPUT_GAMEPAD_DPAD_LEFT,
                 right = XINPUT_GAMEPAD_DPAD_RIGHT;
  const std::pair<unsigned, int> cases[] = {
      {up, 0},          {up | right, 4500},    {right, 9000},  {down | right, 13500}, {down, 18000},
      {down | left, 22500}, {left, 27000},     {up | left, 31500}, {0, -1},           {up | down, -1},
      {left | right, -1},   {up | down | left, -1},
  };
  for (auto [bits, hat] : cases) EXPECT_EQ(ConvertXInputDpad(bits | XINPUT_GAMEPAD_A), hat) << bits;
}

TEST(XInputButtons, TenMasksGiveTenButtonBytes) {
  const unsigned masks[10] = {0x1000, 0x2000, 0x4000, 0x8000, 0x100, 0x200, 0x20, 0x10, 0x40, 0x80};
  for (int i = 0; i < 10; ++i) {
    uint8_t bytes[10];
    ConvertXInputButtons(masks[i] | 0xF, bytes);  // d-pad bits never reach a button
    for (int j = 0; j < 10; ++j) EXPECT_EQ(bytes[j], i == j ? 0x80 : 0) << i << " " << j;
  }
}

TEST(XInputState, WholePadLandsInTheJoystickLayout) {
  XINPUT_GAMEPAD pad{};
  pad.wButtons = XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_B;
  pad.bLeftTrigger = 255;
  pad.sThumbLX = 20000;
  pad.sThumbLY = 32767;
  pad.sThumbRX = -32768;
  pad.sThumbRY = -20000;
  DIJOYSTATE s{};
  ConvertXInputState(pad, kJoypadDeadZone, &s);
  EXPECT_EQ(s.lX, 400);
  EXPECT_EQ(s.lY, -1000);
  EXPECT_EQ(s.lRx, -1000);
  EXPECT_EQ(s.lRy, 400);
  EXPECT_EQ(s.lZ, 1000);
  EXPECT_EQ(s.rgdwPOV[0], 18000u);
  EXPECT_EQ(s.rgdwPOV[3], 0xFFFFFFFFu);
  EXPECT_EQ(s.rgbButtons[1], 0x80);
  EXPECT_EQ(s.rgbButtons[0], 0);
}

TEST(VirtualKeyTable, RowsEndMarkAndScanCodes) {
  int rows = 0;
  std::set<int> codes;
  int returnRows = 0;
  for (const VirtualKeyToKeyCode* r = VirtualKeyToKeyCodeTable; r->VirtualKey != 0xFFFF; ++r) {
    ++rows;
    EXPECT_TRUE(codes.insert(r->KeyCode).second) << "scan code twice: " << r->KeyCode;
    if (r->VirtualKey == 0x0D) ++returnRows;
  }
  EXPECT_EQ(rows, 109);
  EXPECT_EQ(returnRows, 2);
  auto scanOf = [](int vk) {
    for (const VirtualKeyToKeyCode* r = VirtualKeyToKeyCodeTable; r->VirtualKey != 0xFFFF; ++r)
      if (r->VirtualKey == vk) return static_cast<int>(r->KeyCode);
    return -1;
  };
  EXPECT_EQ(scanOf('Z'), 0x2C);
  EXPECT_EQ(scanOf(0x1B), 0x01);
  EXPECT_EQ(scanOf(0x26), 0xC8);
  EXPECT_EQ(scanOf(0x62), 0x50);
  EXPECT_EQ(scanOf(0xA1), 0x36);
  EXPECT_EQ(scanOf(0x7B), 0x58);
  EXPECT_EQ(scanOf(0xBF), 0x35);
}

}  // namespace
}  // namespace ZaDod
