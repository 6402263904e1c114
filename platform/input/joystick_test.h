// Test facility of the joystick stand-in: SDL virtual joysticks, which take the place
// of real devices in SDL's device order, for the joystick functions and the DirectInput
// controllers alike.
#pragma once

namespace plat::input {

struct VirtualJoystickDesc {
  int axes = 2;
  int buttons = 4;
  int hats = 0;
  const char* name = nullptr;  // SDL's default name when null
  bool rumble = false;         // the stick takes rumble, which the test can read back
};

// Attaches a stick and returns its joystick id, or -1.
int AttachVirtualJoystick(int axes, int buttons);
int AttachVirtualJoystick(const VirtualJoystickDesc& desc);
// Detaches the stick with that id; later sticks move down one id, as SDL orders them.
void DetachVirtualJoystick(int id);
// Detaches every virtual stick.
void DetachAllVirtualJoysticks();
void SetVirtualJoystickAxis(int id, int axis, int value);  // -32768..32767
void SetVirtualJoystickButton(int id, int button, bool down);
// SDL's hat bits: 1 up, 2 right, 4 down, 8 left; 0 centred.
void SetVirtualJoystickHat(int id, int hat, int sdlHatValue);
// The last rumble strengths the stick was given (0..65535); false for no such stick.
bool GetVirtualJoystickRumble(int id, int* low, int* high);

}  // namespace plat::input
