// Input through the DirectInput-style devices: start-up and shut-down, pads read from
// virtual sticks, the keyboard and mouse with the "everywhere" setting, vibration
// effects, XInput pads, activation changes and the start-up failures.
#include "media/input/input_dinput.h"
#include "platform/input/dinput_test.h"
#include "platform/input/xinput.h"
#include "platform/win/module.h"
#include "platform/win/sync.h"
#include "tests/media/input/input_fixture.h"
#include "tests/media/log_file.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;
namespace pi = plat::input;

class DirectInputTest : public InputTest {
 protected:
  DirectInputTest() { directInput_ = true; }

  void TearDown() override {
    pi::SetKeyboardFailureForTest(pi::KeyboardFailure::None);
    plat::win::ResetExportOverrides();
    Input.Settings.DirectInputEverywhere = 0;
    InputTest::TearDown();
  }

  // A stick with six axes, one hat and twelve buttons; `rumble` gives it motors.
  static int attachStick(bool rumble = false, const char* name = "Test Stick") {
    pi::VirtualJoystickDesc d;
    d.axes = 6;
    d.buttons = 12;
    d.hats = 1;
    d.name = name;
    d.rumble = rumble;
    return pi::AttachVirtualJoystick(d);
  }

  const pi::DIJOYSTATE& readPad(int index = 0) {
    tick();
    UpdateJoypadInput(index);
    return Input.Status.Pad[index].State;
  }

  static void focus(bool gained) {
    plat::win::WindowEvent e;
    e.kind = gained ? plat::win::WindowEvent::Kind::FocusGained : plat::win::WindowEvent::Kind::FocusLost;
    send(e);
    ProcessWindowMessages();
  }
};

TEST_F(DirectInputTest, StartLogsEachStepAndShutDownLeavesNothingOpen) {
  ASSERT_EQ(attachStick(), 0);
  Input.Settings.DirectInputEverywhere = 1;
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(Input.Status.Mode, InputDeviceMode::DirectInput8);
  ASSERT_EQ(Input.Status.PadCount, 1);
  EXPECT_EQ(std::u16string(Input.Status.Pad[0].InstanceName), u"Test Stick");
  EXPECT_NE(Input.Status.MouseDevice, nullptr);
  EXPECT_NE(Input.Status.KeyboardDevice, nullptr);
  const auto lines = logFileLines();
  const std::pair<std::u16string, int> expected[] = {
      {u"DirectInput関係初期化処理", 0},
      {u"DirectInput8 の取得を試みます...成功", 1},
      {u"引き続き初期化処理... 初期化成功", 2},
      {u"ジョイパッドの初期化... ", 1},
      {u"入力装置を見つけました", 1},
      {u"Device Instance Name : Test Stick", 2},
      {u"Device Product Name  : Test Stick", 2},
      {u"ジョイパッドの追加は正常に終了しました", 1},
      {u"マウスデバイスの初期化... 初期化成功", 1},
      {u"キーボードデバイスの初期化... 初期化成功", 1},
      {u"DirectInput 関連の初期化は正常に終了しました", 0},
  };
  // Depths count from the first line's: start-up may run inside an indented step.
  size_t at = 0;
  int base = -1;
  for (const auto& [text, depth] : expected) {
    while (at < lines.size() && lines[at].second.find(text) == std::u16string::npos) ++at;
    ASSERT_LT(at, lines.size()) << "missing or out of order: line " << &text - &expected[0].first;
    if (base < 0) base = lines[at].first;
    EXPECT_EQ(lines[at].first - base, depth) << at;
  }
  ASSERT_EQ(TerminateInput(), 0);
  EXPECT_EQ(depthOf(logFileLines(), u"DirectInput 関連の終了処理... 完了"), 0);
  EXPECT_EQ(Input.Status.DirectInput, nullptr);
  EXPECT_EQ(Input.Status.KeyboardDevice, nullptr);
  EXPECT_EQ(Input.Status.MouseDevice, nullptr);
  EXPECT_EQ(Input.Status.KeyboardEvent, nullptr);
  EXPECT_EQ(Input.Status.Pad[0].Device, nullptr);
  EXPECT_EQ(Input.Status.Pad[0].Event, nullptr);
  EXPECT_EQ(Input.Status.Mode, InputDeviceMode::None);
}

TEST_F(DirectInputTest, PadAxesHatsAndButtonsFollowTheStick) {
  ASSERT_EQ(attachStick(), 0);
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(InitializeInput(), 0);
  ASSERT_EQ(Input.Status.PadCount, 1);
  // -32768 and 32767 are the ends; inside 35 % of either half is the centre.
  const std::pair<int, int> axis[] = {{-32768, -1000}, {32767, 1000}, {0, 0}, {11400, 0}, {-11400, 0}, {16384, 231}};
  for (auto [raw, scaled] : axis) {
    for (int a = 0; a < 6; ++a) pi::SetVirtualJoystickAxis(0, a, raw);
    const pi::DIJOYSTATE& s = readPad();
    for (std::int32_t v : {s.lX, s.lY, s.lZ, s.lRx, s.lRy, s.lRz}) EXPECT_NEAR(v, scaled, 1) << raw;
  }
  const std::pair<int, std::uint32_t> hats[] = {{0, 0xFFFFFFFFu}, {1, 0},      {3, 4500},   {2, 9000},  {6, 13500},
                                                {4, 18000},       {12, 22500}, {8, 27000}, {9, 31500}};
  for (auto [bits, angle] : hats) {
    pi::SetVirtualJoystickHat(0, 0, bits);
    EXPECT_EQ(readPad().rgdwPOV[0], angle) << bits;
    EXPECT_EQ(readPad().rgdwPOV[1], 0xFFFFFFFFu);
  }
  for (int a = 0; a < 6; ++a) pi::SetVirtualJoystickAxis(0, a, 0);
  pi::SetVirtualJoystickButton(0, 0, true);
  pi::SetVirtualJoystickButton(0, 11, true);
  EXPECT_EQ(readPad().rgbButtons[11], 0x80);
  pi::SetVirtualJoystickAxis(0, 0, -32768);
  pi::SetVirtualJoystickAxis(0, 1, 32767);
  EXPECT_EQ(pad(1), PAD_INPUT_LEFT | PAD_INPUT_DOWN | PAD_INPUT_1 | (PAD_INPUT_1 << 11));

  // Within one millisecond a read happens only when the device signalled new data.
  JoypadRecord& p = Input.Status.Pad[0];
  pi::SetVirtualJoystickAxis(0, 0, 32767);
  ResetInputEvent(p.Event);
  UpdateJoypadInput(0);
  EXPECT_EQ(p.State.lX, -1000);
  pi::SetVirtualJoystickAxis(0, 0, 32767);  // signals
  UpdateJoypadInput(0);
  EXPECT_EQ(p.State.lX, 1000);
  EXPECT_FALSE(InputEventSignalled(p.Event));

  // A stick that left fails its read; the pad keeps what it last had.
  pi::DetachVirtualJoystick(0);
  EXPECT_EQ(readPad().lX, 1000);
  EXPECT_EQ(readPad().rgbButtons[11], 0x80);
}

TEST_F(DirectInputTest, KeyboardAndMouseThroughDevicesWithTheEverywhereSetting) {
  Input.Settings.DirectInputEverywhere = 1;
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(InitializeInput(), 0);
  ASSERT_EQ(IsDirectInputMouseUsed(), 1);
  key(kHidZ, true);
  key(kHidUp, true);
  key(kHidRightShift, true);
  ProcessWindowMessages();
  EXPECT_EQ(keyDown(0x2C), 1);
  EXPECT_EQ(Input.Status.KeyInputState[0xC8], 0x80);
  EXPECT_EQ(Input.Status.KeyInputState[0x36] & 0x80, 0x80);
  EXPECT_EQ(Input.Status.KeyInputState[0x2A], 0);
  key(kHidZ, false);
  EXPECT_EQ(keyDown(0x2C), 0);  // the device's event lets the read through

  // The mouse is acquired by its first read; what came before that is not its own.
  EXPECT_EQ(GetMouseButtonInput(), 0);
  button(1, true);
  pointer(40, 30);
  plat::win::WindowEvent wheel;
  wheel.kind = plat::win::WindowEvent::Kind::Wheel;
  wheel.wheelY = 1;
  send(wheel);
  wheel.wheelY = 0.5f;
  send(wheel);
  ProcessWindowMessages();
  EXPECT_EQ(GetMouseButtonInput() & 1, 1);
  EXPECT_EQ(GetMouseWheelNotches(1), 1);
  EXPECT_EQ(Input.Status.MouseWheel, 60);  // the remainder stays
  button(1, false);
  EXPECT_EQ(GetMouseButtonInput() & 1, 0);
}

TEST_F(DirectInputTest, VibrationDrivesTheEffectsAndFollowsActivation) {
  ASSERT_EQ(attachStick(true), 0);
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(InitializeInput(), 0);
  ASSERT_EQ(Input.Status.PadCount, 1);
  JoypadRecord& p = Input.Status.Pad[0];
  ASSERT_NE(p.Effect[0].Effect, nullptr);
  ASSERT_NE(p.Effect[1].Effect, nullptr);
  auto effects = [] { return pi::GetControllerEffectsForTest(0); };
  ASSERT_EQ(effects().size(), 2u);
  EXPECT_TRUE(effects()[0].sine);  // slot 1 is made first
  EXPECT_FALSE(effects()[1].running);

  p.Effect[0].Playing = 1;
  p.Effect[0].Power = 4000;
  p.Effect[0].Duration = -1;
  RefreshJoypadEffects();
  EXPECT_TRUE(effects()[1].running);
  EXPECT_EQ(effects()[1].magnitude, 4000);
  int low = 0, high = 0;
  ASSERT_TRUE(pi::GetVirtualJoystickRumble(0, &low, &high));
  EXPECT_EQ(low, 4000 * 65535 / 10000);
  EXPECT_EQ(high, 0);

  p.Effect[0].Power = 9000;
  RefreshJoypadEffects();
  EXPECT_EQ(effects()[1].magnitude, 9000);
  EXPECT_TRUE(effects()[1].running);

  focus(false);
  EXPECT_FALSE(effects()[1].running);
  EXPECT_EQ(effects()[1].magnitude, 0);
  EXPECT_EQ(p.Effect[0].AppliedPower, 0);
  focus(true);
  EXPECT_TRUE(effects()[1].running);
  EXPECT_EQ(effects()[1].magnitude, 9000);

  StopJoypadVibration(1, 0);
  EXPECT_FALSE(effects()[1].running);
  ASSERT_TRUE(pi::GetVirtualJoystickRumble(0, &low, &high));
  EXPECT_EQ(low, 0);

  // After activation changes every pad and the keyboard are acquired again.
  focus(false);
  focus(true);
  pi::DIJOYSTATE state;
  EXPECT_GE(p.Device->GetDeviceState(sizeof(state), &state), 0);
  std::uint8_t keys[256];
  EXPECT_GE(Input.Status.KeyboardDevice->GetDeviceState(256, keys), 0);
}

plat::win::DWORD servedGetState(plat::win::DWORD user, pi::XINPUT_STATE* state) {
  if (user != 0) return 1167;  // not connected
  *state = pi::XINPUT_STATE{};
  state->Gamepad.sThumbLY = 32767;
  state->Gamepad.bLeftTrigger = 255;
  return pi::ERROR_SUCCESS;
}

std::vector<std::pair<int, pi::XINPUT_VIBRATION>>& vibrations() {
  static std::vector<std::pair<int, pi::XINPUT_VIBRATION>> list;
  return list;
}

plat::win::DWORD servedSetState(plat::win::DWORD user, pi::XINPUT_VIBRATION* v) {
  vibrations().emplace_back(static_cast<int>(user), *v);
  return pi::ERROR_SUCCESS;
}

TEST_F(DirectInputTest, ServedXInputPadComesFirstAndIsNotAddedTwice) {
  EXPECT_EQ(plat::win::LoadLibraryW(u"xinput1_4.dll"), nullptr);  // nothing served
  plat::win::OverrideExport(u"xinput1_4", "XInputGetState", reinterpret_cast<plat::win::FARPROC>(&servedGetState));
  plat::win::OverrideExport(u"xinput1_4", "XInputSetState", reinterpret_cast<plat::win::FARPROC>(&servedSetState));
  ASSERT_EQ(attachStick(false, "Controller (XBOX 360 For Windows)"), 0);
  ASSERT_EQ(attachStick(false, "Other Stick"), 1);
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(InitializeInput(), 0);
  ASSERT_EQ(Input.Status.PadCount, 2);
  EXPECT_EQ(Input.Status.Pad[0].XInputIndex, 0);
  EXPECT_EQ(std::u16string(Input.Status.Pad[1].InstanceName), u"Other Stick");
  EXPECT_TRUE(logged(u"ジョイパッドナンバー 0 は Xbox360 Controller です"));
  const pi::DIJOYSTATE& s = readPad(0);
  EXPECT_EQ(s.lY, -1000);
  EXPECT_EQ(s.lZ, 1000);

  vibrations().clear();
  Input.Status.Pad[0].Effect[1].Playing = 1;
  Input.Status.Pad[0].Effect[1].Power = 5000;
  RefreshJoypadEffects();
  ASSERT_EQ(vibrations().size(), 1u);
  EXPECT_EQ(vibrations()[0].second.wRightMotorSpeed, 5000 * 65535 / 10000);
  EXPECT_EQ(vibrations()[0].second.wLeftMotorSpeed, 0);
  ASSERT_EQ(TerminateInput(), 0);
}

TEST_F(DirectInputTest, AKeyboardEventThatCannotBeSetLeavesAStartThatCanBeRetried) {
  ASSERT_EQ(attachStick(), 0);
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(TerminateInput(), 0);
  pi::SetKeyboardFailureForTest(pi::KeyboardFailure::Event);
  EXPECT_EQ(InitializeInput(), -1);
  EXPECT_TRUE(logged(u"キーボードイベントのセットアップが失敗しました"));
  EXPECT_EQ(Input.Status.DirectInput, nullptr);
  EXPECT_EQ(Input.Status.KeyboardDevice, nullptr);
  EXPECT_EQ(Input.Status.MouseDevice, nullptr);
  EXPECT_EQ(Input.Status.KeyboardEvent, nullptr);
  EXPECT_EQ(Input.Status.Pad[0].Device, nullptr);
  EXPECT_EQ(Input.Status.Initializing, 0);
  EXPECT_EQ(Input.Settings.Started, 0);
  pi::SetKeyboardFailureForTest(pi::KeyboardFailure::None);
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(Input.Status.PadCount, 1);
  EXPECT_NE(Input.Status.KeyboardDevice, nullptr);
}

using DirectInputDeathTest = DirectInputTest;

TEST_F(DirectInputDeathTest, AKeyboardThatCannotBeHadEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_EQ(startLibrary(), 0);
  ASSERT_EQ(TerminateInput(), 0);
  pi::SetKeyboardFailureForTest(pi::KeyboardFailure::Create);
  EXPECT_EXIT(InitializeInput(), ::testing::ExitedWithCode(255), "");
}

// The frame loop's calls, with a stick through DirectInput and the keys assigned to pad 1.
TEST_F(DirectInputTest, GameLoopSeesTheStickAndTheKeys) {
  ASSERT_EQ(attachStick(), 0);
  ASSERT_EQ(startLibrary(), 0);
  plat::win::ReleaseClockForTest();
  int frames = 0, state = 0;
  while (ProcessWindowMessages() == 0 && frames < 40) {
    state = GetJoypadInputState(0x1001);
    if (frames == 5) pi::SetVirtualJoystickAxis(0, 0, 32767);
    if (frames == 15) EXPECT_EQ(state, PAD_INPUT_RIGHT);
    if (frames == 15) key(kHidZ, true);
    if (frames == 25) EXPECT_EQ(state, PAD_INPUT_RIGHT | PAD_INPUT_1);
    if (frames == 25) pi::SetVirtualJoystickButton(0, 1, true);
    ++frames;
    usleep(1000);
  }
  EXPECT_EQ(state, PAD_INPUT_RIGHT | PAD_INPUT_1 | (PAD_INPUT_1 << 1));
  EXPECT_EQ(Input.Status.Mode, InputDeviceMode::DirectInput8);
}

}  // namespace
}  // namespace halvorine_test
