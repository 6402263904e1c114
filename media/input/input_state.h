// The input state tables, shared by the front and the device layer. Settings survive a
// re-initialisation of the devices; the status is cleared by each one.
#pragma once
#include <cstdint>

#include "media/input/input.h"
#include "platform/input/dinput.h"
#include "platform/input/xinput.h"

namespace ZaDod {

constexpr int kMaxJoypads = 16;
constexpr int kPadInputBits = 32;
constexpr int kKeysPerPadBit = 4;
constexpr int kTouchHistorySize = 120;
constexpr int kEffectPowerMax = 10000;

struct JoypadEffectSlot {
  int Playing;
  int Power;     // 0..10000
  int Duration;  // milliseconds; -1 endless
  int Elapsed;
  int Stamp;     // clock of the last timer step
  int AppliedPlaying;
  int AppliedPower;
  plat::input::IDirectInputEffect* Effect;  // the device's effect object
};

struct XInputRawState {
  uint8_t Buttons[16];  // 0 or 1, in the bit order of the XInput button word
  uint8_t LeftTrigger, RightTrigger;
  int16_t ThumbLX, ThumbLY, ThumbRX, ThumbRY;
};

struct JoypadRecord {
  int LastPollTime;
  JoypadEffectSlot Effect[2];
  int DeadZone;
  plat::input::DIJOYSTATE State;
  XInputRawState XInputState;
  int XInputIndex;  // -1 unless an XInput pad
  plat::input::IDirectInputDevice8W* Device;  // the DirectInput device
  void* Event;                                // its notification event
  int HasZAndR;     // multimedia-joystick pads
  char16_t InstanceName[260];
  char16_t ProductName[260];
};

// What the device layer runs on: nothing, the multimedia joystick functions, or
// DirectInput 8.
enum class InputDeviceMode { None, Joystick, DirectInput8 };

struct InputSettings {
  int Started;
  int MappingInitialized;
  int NoForceFeedback;
  int NoXInput;
  int NoDirectInput;
  int DirectInputEverywhere;  // DirectInput keyboard and mouse on every Windows version
  int NoDirectInputKeyboard;
  int ExclusiveKeyboard;
  // PadKeyAssignment: per pad, per input bit, four scan codes (0 or below: none).
  int PadKeyAssignment[kMaxJoypads][kPadInputBits][kKeysPerPadBit];
};

struct InputStatus {
  uint8_t KeyInputState[256];
  int KeyboardReadTime;
  int KeyboardRefreshing;
  int MouseFallbackValid;
  uint8_t MouseFallback[3];  // left, right, middle; 1 down
  int MouseWheel;            // DirectInput mouse, 120 per notch
  JoypadRecord Pad[kMaxJoypads];
  int PadCount;
  TouchInputRecord Touch;
  int TouchDevice, TouchID, TouchIndex;  // -1 when no touch is tracked
  TouchInputRecord TouchHistory[kTouchHistorySize];
  int TouchHistoryStart, TouchHistoryNum;
  // Device layer.
  InputDeviceMode Mode;
  int Initializing;
  void* XInputModule;
  plat::input::XInputGetStateFunc XInputGetState;
  plat::input::XInputSetStateFunc XInputSetState;
  plat::input::IDirectInput8W* DirectInput;  // the object while DirectInput 8 is in use
  plat::input::IDirectInputDevice8W* MouseDevice;
  plat::input::IDirectInputDevice8W* KeyboardDevice;
  void* KeyboardEvent;  // manual-reset notification event of the keyboard
};

struct InputData {
  InputSettings Settings;
  InputStatus Status;
};

extern InputData Input;

// Clears the status, keeping the settings and the key assignment.
void ResetInputStatus();
// Pad 1's default keys; every other pad gets none.
void SetDefaultPadKeyAssignment();
// True when the key's byte has its high bit.
inline bool IsKeyDown(int scanCode) { return (Input.Status.KeyInputState[scanCode] & 0x80) != 0; }

// Waits while the window is inactive and starts input on demand; false when input was
// not running, so the query answers "nothing".
bool InputReadyForQuery();

// Takes one XInput reading into the pad: its raw state and its joystick state.
void ReadXInputPad(JoypadRecord& pad, const plat::input::XINPUT_STATE* state);

}  // namespace ZaDod
