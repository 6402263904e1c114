// Tests of platform/input/joystick: multimedia joystick functions over SDL2 joysticks.
#include "platform/input/joystick.h"

#include <gtest/gtest.h>

#include "platform/input/joystick_test.h"

namespace plat::input {
namespace {

class JoystickTest : public ::testing::Test {
 protected:
  void TearDown() override { DetachAllVirtualJoysticks(); }

  static JOYINFOEX read(UINT id, MMRESULT* result) {
    JOYINFOEX info{};
    info.dwSize = sizeof(info);
    info.dwFlags = JOY_RETURNALL;
    *result = joyGetPosEx(id, &info);
    return info;
  }
};

TEST_F(JoystickTest, NoStickIsUnpluggedAndBadArgumentsAreRefused) {
  JOYCAPSW caps{};
  EXPECT_EQ(joyGetDevCapsW(0, &caps, sizeof(caps)), JOYERR_UNPLUGGED);
  EXPECT_EQ(joyGetDevCapsW(15, &caps, sizeof(caps)), JOYERR_UNPLUGGED);
  EXPECT_EQ(joyGetDevCapsW(16, &caps, sizeof(caps)), JOYERR_PARMS);
  EXPECT_EQ(joyGetDevCapsW(0, nullptr, sizeof(caps)), JOYERR_PARMS);
  EXPECT_EQ(joyGetDevCapsW(0, &caps, sizeof(caps) - 1), JOYERR_PARMS);
  MMRESULT r;
  read(0, &r);
  EXPECT_EQ(r, JOYERR_UNPLUGGED);
  JOYINFOEX info{};
  info.dwSize = sizeof(info) + 4;
  EXPECT_EQ(joyGetPosEx(0, &info), JOYERR_PARMS);
  EXPECT_EQ(joyGetPosEx(0, nullptr), JOYERR_PARMS);
}

TEST_F(JoystickTest, CapabilitiesFollowTheAxisAndButtonCounts) {
  ASSERT_EQ(AttachVirtualJoystick(2, 10), 0);
  ASSERT_EQ(AttachVirtualJoystick(4, 40), 1);
  JOYCAPSW caps{};
  ASSERT_EQ(joyGetDevCapsW(0, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_EQ(caps.wNumAxes, 2u);
  EXPECT_EQ(caps.wNumButtons, 10u);
  EXPECT_EQ(caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR), 0u);
  EXPECT_EQ(caps.wXmax, 0xFFFFu);
  EXPECT_NE(caps.szPname[0], 0);
  ASSERT_EQ(joyGetDevCapsW(1, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_EQ(caps.wNumAxes, 4u);
  EXPECT_EQ(caps.wNumButtons, 32u);
  EXPECT_EQ(caps.wCaps, JOYCAPS_HASZ | JOYCAPS_HASR);
  EXPECT_EQ(joyGetDevCapsW(2, &caps, sizeof(caps)), JOYERR_UNPLUGGED);
}

TEST_F(JoystickTest, AxesAreRescaledAndButtonsBecomeBits) {
  ASSERT_EQ(AttachVirtualJoystick(6, 32), 0);
  SetVirtualJoystickAxis(0, 0, -32768);
  SetVirtualJoystickAxis(0, 1, 32767);
  SetVirtualJoystickAxis(0, 2, 0);
  SetVirtualJoystickAxis(0, 5, -1);
  SetVirtualJoystickButton(0, 0, true);
  SetVirtualJoystickButton(0, 31, true);
  MMRESULT r;
  JOYINFOEX info = read(0, &r);
  ASSERT_EQ(r, JOYERR_NOERROR);
  EXPECT_EQ(info.dwXpos, 0u);
  EXPECT_EQ(info.dwYpos, 65535u);
  EXPECT_EQ(info.dwZpos, 32768u);
  EXPECT_EQ(info.dwVpos, 32767u);
  EXPECT_EQ(info.dwButtons, 0x80000001u);
  EXPECT_EQ(info.dwButtonNumber, 2u);
  EXPECT_EQ(info.dwPOV, JOY_POVCENTERED);

  SetVirtualJoystickButton(0, 0, false);
  info = read(0, &r);
  EXPECT_EQ(info.dwButtons, 0x80000000u);
}

TEST_F(JoystickTest, OnlyTheAskedValuesAreWritten) {
  ASSERT_EQ(AttachVirtualJoystick(2, 2), 0);
  JOYINFOEX info{};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNX;
  info.dwYpos = 1234;
  info.dwButtons = 99;
  ASSERT_EQ(joyGetPosEx(0, &info), JOYERR_NOERROR);
  EXPECT_EQ(info.dwYpos, 1234u);
  EXPECT_EQ(info.dwButtons, 99u);
}

TEST_F(JoystickTest, DetachingMovesLaterSticksDown) {
  ASSERT_EQ(AttachVirtualJoystick(2, 4), 0);
  ASSERT_EQ(AttachVirtualJoystick(3, 4), 1);
  MMRESULT r;
  read(1, &r);
  ASSERT_EQ(r, JOYERR_NOERROR);
  DetachVirtualJoystick(0);
  JOYCAPSW caps{};
  ASSERT_EQ(joyGetDevCapsW(0, &caps, sizeof(caps)), JOYERR_NOERROR);
  EXPECT_EQ(caps.wNumAxes, 3u);
  read(1, &r);
  EXPECT_EQ(r, JOYERR_UNPLUGGED);
  DetachVirtualJoystick(0);
  read(0, &r);
  EXPECT_EQ(r, JOYERR_UNPLUGGED);
}

}  // namespace
}  // namespace plat::input
