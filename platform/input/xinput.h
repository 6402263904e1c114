// XInput pad state as the media layer reads it. No XInput library is served by the
// module registry, so these are only the shapes the pad reader converts.
#pragma once
#include <cstdint>

#include "platform/win/types.h"

namespace plat::input {

constexpr win::WORD XINPUT_GAMEPAD_DPAD_UP = 0x0001, XINPUT_GAMEPAD_DPAD_DOWN = 0x0002,
                    XINPUT_GAMEPAD_DPAD_LEFT = 0x0004, XINPUT_GAMEPAD_DPAD_RIGHT = 0x0008,
                    XINPUT_GAMEPAD_START = 0x0010, XINPUT_GAMEPAD_BACK = 0x0020,
                    XINPUT_GAMEPAD_LEFT_THUMB = 0x0040, XINPUT_GAMEPAD_RIGHT_THUMB = 0x0080,
                    XINPUT_GAMEPAD_LEFT_SHOULDER = 0x0100, XINPUT_GAMEPAD_RIGHT_SHOULDER = 0x0200,
                    XINPUT_GAMEPAD_A = 0x1000, XINPUT_GAMEPAD_B = 0x2000, XINPUT_GAMEPAD_X = 0x4000,
                    XINPUT_GAMEPAD_Y = 0x8000;

struct XINPUT_GAMEPAD {
  win::WORD wButtons;
  win::BYTE bLeftTrigger;
  win::BYTE bRightTrigger;
  std::int16_t sThumbLX, sThumbLY, sThumbRX, sThumbRY;
};

struct XINPUT_STATE {
  win::DWORD dwPacketNumber;
  XINPUT_GAMEPAD Gamepad;
};

struct XINPUT_VIBRATION {
  win::WORD wLeftMotorSpeed;
  win::WORD wRightMotorSpeed;
};

using XInputGetStateFunc = win::DWORD (*)(win::DWORD userIndex, XINPUT_STATE* state);
using XInputSetStateFunc = win::DWORD (*)(win::DWORD userIndex, XINPUT_VIBRATION* vibration);

constexpr win::DWORD ERROR_SUCCESS = 0;

}  // namespace plat::input
