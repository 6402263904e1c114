// Conversions from each device family's raw values into the joystick state: axes in
// -1000..1000 with 0 inside the dead zone, hats in hundredths of a degree, button bytes.
#pragma once
#include <cstdint>

#include "platform/input/dinput.h"
#include "platform/input/xinput.h"

namespace ZaDod {

// The dead zone of every pad: 0x5999 / 65536, about 35 %.
constexpr int kJoypadDeadZone = 0x5999;

// A multimedia-joystick axis, raw 0..65535 with the centre at 0x8000.
int ConvertJoystickAxis(unsigned int raw, int deadZone);
// An XInput stick axis, -32768..32767. `turned` negates the result, for the Y axes,
// whose up is positive on the pad and negative in the joystick state.
int ConvertXInputStick(int value, int deadZone, bool turned);
// The two triggers on one Z axis: left pushes it up, right down.
int ConvertXInputTriggers(int left, int right, int deadZone);
// The d-pad bits of an XInput button word as a hat; -1 when no single direction or
// diagonal is held.
int ConvertXInputDpad(unsigned int buttons);
// The ten XInput buttons (A, B, X, Y, shoulders, back, start, thumbs) into button
// bytes 0-9 (0x80 held, 0 up).
void ConvertXInputButtons(unsigned int buttons, std::uint8_t bytes[10]);
// A whole XInput pad state into the joystick state.
void ConvertXInputState(const plat::input::XINPUT_GAMEPAD& pad, int deadZone, plat::input::DIJOYSTATE* state);

}  // namespace ZaDod
