// The device layer under the input front: starting and ending the devices, and reading
// the keyboard, the mouse and each joypad into the input state tables.
#pragma once

namespace ZaDod {

int InitializeDirectInput();
int TerminateDirectInput();
// -1 when DirectInput is not in use.
int InitializeJoypad();
int TerminateJoypadDevices();
void UpdateJoypadInput(int padIndex);
// 1 when the key state was read, 0 when nothing was read.
int UpdateKeyboardInput(int processMessages);
int UpdateMouseInput();
int IsDirectInputMouseUsed();
int GetMouseWheelNotches(int clearFlag);
int UpdateJoypadEffects();
int ReacquireInputDevices();

}  // namespace ZaDod
