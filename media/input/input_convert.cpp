// Conversions from each device family's raw values into the joystick state.
#include "media/input/input_convert.h"

namespace ZaDod {

int ConvertJoystickAxis(unsigned int raw, int deadZone) {
  if (raw == 0) return -1000;
  if (raw == 0x7FFF) return 0;
  if (raw == 0xFFFF) return 1000;
  const unsigned int half = static_cast<unsigned int>(deadZone & 0x1FFFF) / 2;
  const unsigned int low = 0x8000 - half;
  if (raw < low) return -static_cast<int>((low - raw) * 1000 / low);
  if (raw <= 0x8000 + half) return 0;
  return static_cast<int>((raw - half - 0x8000) * 1000 / low);
}

int ConvertXInputStick(int value, int deadZone, bool turned) {
  const int sign = turned ? -1 : 1;
  if (value <= -32768) return -1000 * sign;
  if (value >= 32767) return 1000 * sign;
  const int d = static_cast<int16_t>((deadZone * 0x7FFF) >> 16);
  int result = 0;
  if (value < -d) result = (value + d) * 1000 / (0x7FFF - d);
  else if (value > d) result = (value - d) * 1000 / (0x7FFF - d);
  return result * sign;
}

int ConvertXInputTriggers(int left, int right, int deadZone) {
  const int d = (deadZone * 255) >> 16;
  int z = 0;
  if (left > d) z += (left - d) * 1000 / (255 - d);
  if (right > d) z -= (right - d) * 1000 / (255 - d);
  return z;
}

int ConvertXInputDpad(unsigned int buttons) {
  using namespace plat::input;
  switch (buttons & 0xF) {
    case XINPUT_GAMEPAD_DPAD_UP: return 0;
    case XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_DPAD_RIGHT: return 4500;
    case XINPUT_GAMEPAD_DPAD_RIGHT: return 9000;
    case XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_DPAD_RIGHT: return 13500;
    case XINPUT_GAMEPAD_DPAD_DOWN: return 18000;
    case XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_DPAD_LEFT: return 22500;
    case XINPUT_GAMEPAD_DPAD_LEFT: return 27000;
    case XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_DPAD_LEFT: return 31500;
    default: return -1;
  }
}

void ConvertXInputButtons(unsigned int buttons, std::uint8_t bytes[10]) {
  using namespace plat::input;
  static constexpr unsigned int kMasks[10] = {
      XINPUT_GAMEPAD_A,         XINPUT_GAMEPAD_B,          XINPUT_GAMEPAD_X,
      XINPUT_GAMEPAD_Y,         XINPUT_GAMEPAD_LEFT_SHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER,
      XINPUT_GAMEPAD_BACK,      XINPUT_GAMEPAD_START,      XINPUT_GAMEPAD_LEFT_THUMB,
      XINPUT_GAMEPAD_RIGHT_THUMB};
  for (int i = 0; i < 10; ++i) bytes[i] = (buttons & kMasks[i]) ? 0x80 : 0;
}

void ConvertXInputState(const plat::input::XINPUT_GAMEPAD& pad, int deadZone, plat::input::DIJOYSTATE* state) {
  state->lX = ConvertXInputStick(pad.sThumbLX, deadZone, false);
  state->lY = ConvertXInputStick(pad.sThumbLY, deadZone, true);
  state->lRx = ConvertXInputStick(pad.sThumbRX, deadZone, false);
  state->lRy = ConvertXInputStick(pad.sThumbRY, deadZone, true);
  state->lZ = ConvertXInputTriggers(pad.bLeftTrigger, pad.bRightTrigger, deadZone);
  ConvertXInputButtons(pad.wButtons, state->rgbButtons);
  state->rgdwPOV[0] = static_cast<plat::win::DWORD>(ConvertXInputDpad(pad.wButtons));
  for (int h = 1; h < 4; ++h) state->rgdwPOV[h] = static_cast<plat::win::DWORD>(-1);
}

}  // namespace ZaDod
