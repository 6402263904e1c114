// The DirectInput branches of the device layer, shared by its files: one pump pass,
// event tests, and the keyboard, mouse, pad and effect steps. Internal to media/input.
#pragma once
#include "media/input/input_state.h"

namespace ZaDod {

// One pass of the message pump; false when the pump reports the end or DirectInput
// went away meanwhile.
bool PumpOnceForInput();
bool InputEventSignalled(void* event);
void ResetInputEvent(void* event);
void CloseInputEvent(void*& event);

// Start-up steps: the mouse (no failure ends anything) and the keyboard (0, or -1 when
// its notification event could not be set; other failures end the program).
void SetUpDirectInputMouse();
int SetUpDirectInputKeyboard();
// Releases the keyboard (with its event) and the mouse.
void ReleaseDirectInputKeyboardAndMouse();

// True when the keyboard is read through DirectInput rather than the key state.
bool DirectInputKeyboardWanted();

// Reads: 1 when the key state was read; the mouse-button mask; one pad.
int ReadDirectInputKeyboard(int processMessages);
int ReadDirectInputMouse();
void ReadDirectInputPad(JoypadRecord& pad);

// Enumeration callback of the game controllers.
plat::win::BOOL EnumJoypadDeviceCallback(const plat::input::DIDEVICEINSTANCEW* instance, void* context);

// The two vibration effects of a new pad, and their release.
void CreateJoypadEffects(JoypadRecord& pad);
void ReleaseJoypadEffects(JoypadRecord& pad);
// Pushes one DirectInput pad's wanted effect states (window active) or stops them all.
void UpdateDirectInputPadEffects(JoypadRecord& pad, bool active);

}  // namespace ZaDod
