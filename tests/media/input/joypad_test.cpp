// Tests of the media layer's joypad input.
#include "platform/win/module.h"
#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;
using plat::input::AttachVirtualJoystick;
using plat::input::SetVirtualJoystickAxis;
using plat::input::SetVirtualJoystickButton;

TEST_F(InputTest, OneStickIsPadOneWithAxesAndButtons) {
  ASSERT_EQ(AttachVirtualJoystick(2, 10), 0);
  ASSERT_EQ(startLibrary(), 0);
  EXPECT_EQ(Input.Status.PadCount, 1);
  EXPECT_EQ(Input.Status.Pad[0].HasZAndR, 0);
  EXPECT_TRUE(logged(u"パッドの数は 1 個です"));
  EXPECT_EQ(pad(1), 0);  // at rest
  SetVirtualJoystickAxis(0, 0, -32768);
  EXPECT_EQ(pad(1), PAD_INPUT_LEFT);
  SetVirtualJoystickAxis(0, 0, 32767);
  SetVirtualJoystickAxis(0, 1, -32768);
  EXPECT_EQ(pad(1), PAD_INPUT_RIGHT | PAD_INPUT_UP);
  SetVirtualJoystickAxis(0, 0, 9000);  // inside the dead zone
  SetVirtualJoystickAxis(0, 1, 0);
  EXPECT_EQ(pad(1), 0);
  SetVirtualJoystickButton(0, 0, true);
  EXPECT_EQ(pad(1), 0x10);
  SetVirtualJoystickButton(0, 0, false);
  SetVirtualJoystickButton(0, 9, true);
  EXPECT_EQ(pad(1), 0x2000);
  key(kHidLeft, true);
  EXPECT_EQ(pad(0x1001), 0x2000 | PAD_INPUT_LEFT);
  EXPECT_EQ(pad(2), 0);
  EXPECT_EQ(pad(0), 0);
}

TEST_F(InputTest, FourAxesGiveZAndRAndADetachedStickClearsItsState) {
  ASSERT_EQ(AttachVirtualJoystick(4, 4), 0);
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(Input.Status.PadCount, 1);
  EXPECT_EQ(Input.Status.Pad[0].HasZAndR, 1);
  SetVirtualJoystickAxis(0, 2, 32767);
  SetVirtualJoystickAxis(0, 3, -32768);
  SetVirtualJoystickButton(0, 3, true);
  EXPECT_EQ(pad(1), 0x80);
  EXPECT_EQ(Input.Status.Pad[0].State.lZ, 1000);
  EXPECT_EQ(Input.Status.Pad[0].State.lRz, -1000);
  plat::input::DetachVirtualJoystick(0);
  EXPECT_EQ(pad(1), 0);
  EXPECT_EQ(Input.Status.Pad[0].State.lZ, 0);
}

TEST_F(InputTest, TwoSticksGiveTwoPadsAndNoThird) {
  ASSERT_EQ(AttachVirtualJoystick(2, 4), 0);
  ASSERT_EQ(AttachVirtualJoystick(2, 4), 1);
  ASSERT_EQ(startLibrary(), 0);
  EXPECT_EQ(Input.Status.PadCount, 2);
  SetVirtualJoystickButton(1, 1, true);
  EXPECT_EQ(pad(2), 0x20);
  EXPECT_EQ(pad(1), 0);
  EXPECT_EQ(pad(3), 0);
  EXPECT_EQ(pad(-1), 0);
}

TEST_F(InputTest, ReadsOfAPadWithinOneMillisecondAreSkipped) {
  ASSERT_EQ(AttachVirtualJoystick(2, 2), 0);
  ASSERT_EQ(startLibrary(), 0);
  EXPECT_EQ(pad(1), 0);
  SetVirtualJoystickButton(0, 1, true);
  EXPECT_EQ(GetJoypadInputState(1), 0);
  EXPECT_EQ(pad(1), 0x20);
}

// XInput pads come only with DirectInput; the pad reader and the motors are driven
// here through a stand-in XInput.
namespace fake {
plat::input::XINPUT_STATE state{};
plat::input::XINPUT_VIBRATION lastVibration{};
int setCalls = 0;
plat::win::DWORD getState(plat::win::DWORD user, plat::input::XINPUT_STATE* out) {
  if (user != 0) return 1167;  // not connected
  *out = state;
  return plat::input::ERROR_SUCCESS;
}
plat::win::DWORD setState(plat::win::DWORD, plat::input::XINPUT_VIBRATION* v) {
  lastVibration = *v;
  ++setCalls;
  return plat::input::ERROR_SUCCESS;
}
}  // namespace fake

// An XInput library served by the test, found by the DirectInput start-up.
class XInputPadTest : public InputTest {
 protected:
  XInputPadTest() { directInput_ = true; }
  void SetUp() override {
    InputTest::SetUp();
    plat::win::OverrideExport(u"xinput1_4", "XInputGetState", reinterpret_cast<plat::win::FARPROC>(&fake::getState));
    plat::win::OverrideExport(u"xinput1_4", "XInputSetState", reinterpret_cast<plat::win::FARPROC>(&fake::setState));
    ASSERT_EQ(startLibrary(), 0);
    ASSERT_EQ(Input.Status.Mode, InputDeviceMode::DirectInput8);
    fake::setCalls = 0;
  }
  void TearDown() override {
    InputTest::TearDown();
    plat::win::ResetExportOverrides();
  }
};

TEST_F(XInputPadTest, PadIsFoundReadAndConverted) {
  ASSERT_EQ(Input.Status.PadCount, 1);
  EXPECT_TRUE(logged(u"ジョイパッドナンバー 0 は Xbox360 Controller です"));
  EXPECT_EQ(Input.Status.Pad[0].XInputIndex, 0);
  EXPECT_EQ(std::u16string(Input.Status.Pad[0].ProductName), u"Controller (XBOX 360 For Windows)");
  fake::state.Gamepad = {};
  fake::state.Gamepad.wButtons = plat::input::XINPUT_GAMEPAD_A | plat::input::XINPUT_GAMEPAD_DPAD_LEFT;
  fake::state.Gamepad.sThumbLY = 32767;
  EXPECT_EQ(pad(1), PAD_INPUT_UP | PAD_INPUT_1);
  EXPECT_EQ(Input.Status.Pad[0].XInputState.Buttons[12], 1);
  EXPECT_EQ(Input.Status.Pad[0].XInputState.Buttons[2], 1);
  EXPECT_EQ(Input.Status.Pad[0].State.rgdwPOV[0], 27000u);
}

TEST_F(XInputPadTest, EffectTimersStopASlotAndTheMotorsFollow) {
  JoypadEffectSlot& left = Input.Status.Pad[0].Effect[0];
  left.Playing = 1;
  left.Power = 5000;
  left.Duration = 3;
  left.Stamp = GetMillisecondCount();
  ProcessJoypadEffectTimers();
  EXPECT_EQ(fake::setCalls, 1);
  EXPECT_EQ(fake::lastVibration.wLeftMotorSpeed, 5000 * 65535 / 10000);
  EXPECT_EQ(fake::lastVibration.wRightMotorSpeed, 0);
  tick();
  tick();
  ProcessJoypadEffectTimers();
  EXPECT_EQ(left.Playing, 1);
  EXPECT_EQ(fake::setCalls, 1);  // nothing changed
  tick();
  ProcessJoypadEffectTimers();
  EXPECT_EQ(left.Playing, 0);
  EXPECT_EQ(left.Power, 10000);
  EXPECT_EQ(fake::lastVibration.wLeftMotorSpeed, 0);
  EXPECT_EQ(fake::setCalls, 2);
}

TEST_F(XInputPadTest, StopRequestsReachOnlyPlayingSlotsOfExistingPads) {
  JoypadEffectSlot& right = Input.Status.Pad[0].Effect[1];
  right.Playing = 1;
  right.Power = 10000;
  right.Duration = -1;
  RefreshJoypadEffects();
  EXPECT_EQ(fake::lastVibration.wRightMotorSpeed, 65535);
  EXPECT_EQ(StopJoypadVibration(2, -1), 0);
  EXPECT_EQ(right.Playing, 1);
  EXPECT_EQ(StopJoypadVibration(1 | 0x1000, -1), 0);
  EXPECT_EQ(right.Playing, 0);
  EXPECT_EQ(fake::lastVibration.wRightMotorSpeed, 0);
}

}  // namespace
}  // namespace halvorine_test
