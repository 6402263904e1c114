// Test facility of the joystick stand-in: SDL virtual joysticks, which take the place
// of real devices in SDL's device order.
#pragma once

namespace plat::input {

// Attaches a stick and returns its joystick id, or -1.
int AttachVirtualJoystick(int axes, int buttons);
// Detaches the stick with that id; later sticks move down one id, as SDL orders them.
void DetachVirtualJoystick(int id);
// Detaches every virtual stick.
void DetachAllVirtualJoysticks();
void SetVirtualJoystickAxis(int id, int axis, int value);  // -32768..32767
void SetVirtualJoystickButton(int id, int button, bool down);

}  // namespace plat::input
