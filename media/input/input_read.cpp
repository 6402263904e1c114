// Reading the devices into the state tables: joypads through the joystick functions,
// XInput or DirectInput, the keyboard and mouse buttons from the window system's key
// state unless DirectInput serves them.
#include <cstring>

#include "media/base/clock.h"
#include "media/input/input.h"
#include "media/input/input_convert.h"
#include "media/input/input_devices.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"
#include "media/input/key_table.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/winapi.h"
#include "platform/input/joystick.h"
#include "platform/win/win_thread.h"
#include "platform/win/win_window.h"

namespace ZaDod {
namespace {

void readJoystickPad(int index, JoypadRecord& pad) {
  using namespace plat::input;
  JOYINFOEX info{};
  info.dwSize = sizeof(info);
  info.dwFlags = JOY_RETURNALL;
  if (!WinAPI.joyGetPosExFunc || WinAPI.joyGetPosExFunc(static_cast<UINT>(index), &info) != JOYERR_NOERROR) {
    pad.State = DIJOYSTATE{};
    return;
  }
  DIJOYSTATE& s = pad.State;
  s.lX = ConvertJoystickAxis(info.dwXpos, pad.DeadZone);
  s.lY = ConvertJoystickAxis(info.dwYpos, pad.DeadZone);
  s.lZ = pad.HasZAndR ? ConvertJoystickAxis(info.dwZpos, pad.DeadZone) : 0;
  s.lRz = pad.HasZAndR ? ConvertJoystickAxis(info.dwRpos, pad.DeadZone) : 0;
  s.lRx = pad.HasZAndR ? ConvertJoystickAxis(info.dwUpos, pad.DeadZone) : 0;
  for (int b = 0; b < 24; ++b) s.rgbButtons[b] = (info.dwButtons >> b) & 1 ? 0x80 : 0;
}

void readXInputPad(JoypadRecord& pad) {
  plat::input::XINPUT_STATE state{};
  const auto get = Input.Status.XInputGetState;
  if (!get || get(static_cast<plat::win::DWORD>(pad.XInputIndex), &state) != plat::input::ERROR_SUCCESS) {
    pad.XInputState = XInputRawState{};
    return;
  }
  ReadXInputPad(pad, &state);
}

// The key state is read only on the thread that made the window: the window system's
// key state belongs to that thread's queue.
bool onWindowThread() {
  plat::win::HWND window = GetMainWindowHandle();
  return window && plat::win::GetWindowThreadProcessId(window, nullptr) == plat::win::GetCurrentThreadId();
}

}  // namespace

void ReadXInputPad(JoypadRecord& pad, const plat::input::XINPUT_STATE* state) {
  const plat::input::XINPUT_GAMEPAD& g = state->Gamepad;
  XInputRawState& raw = pad.XInputState;
  for (int k = 0; k < 16; ++k) raw.Buttons[k] = (g.wButtons >> k) & 1;
  raw.LeftTrigger = g.bLeftTrigger;
  raw.RightTrigger = g.bRightTrigger;
  raw.ThumbLX = g.sThumbLX;
  raw.ThumbLY = g.sThumbLY;
  raw.ThumbRX = g.sThumbRX;
  raw.ThumbRY = g.sThumbRY;
  ConvertXInputState(g, pad.DeadZone, &pad.State);
}

void UpdateJoypadInput(int padIndex) {
  InputStatus& s = Input.Status;
  if (padIndex < 0 || padIndex >= kMaxJoypads) return;
  JoypadRecord& pad = s.Pad[padIndex];
  const bool joystick = s.Mode == InputDeviceMode::Joystick;
  if (!joystick && pad.XInputIndex < 0) {
    if (pad.Device) ReadDirectInputPad(pad);
    return;
  }
  const int now = GetMillisecondCount();
  if (now == pad.LastPollTime) return;
  pad.LastPollTime = now;
  if (joystick) readJoystickPad(padIndex, pad);
  else readXInputPad(pad);
}

int UpdateKeyboardInput(int processMessages) {
  InputStatus& s = Input.Status;
  if (DirectInputKeyboardWanted()) return ReadDirectInputKeyboard(processMessages);
  if (!onWindowThread()) return 0;
  const int now = GetMillisecondCount();
  if (now == s.KeyboardReadTime) return 0;
  s.KeyboardReadTime = now;
  if (processMessages && ProcessWindowMessages() != 0) return 0;
  plat::win::BYTE keys[256];
  plat::win::GetKeyboardState(keys);
  std::memset(s.KeyInputState, 0, sizeof(s.KeyInputState));
  for (const VirtualKeyToKeyCode* row = VirtualKeyToKeyCodeTable; row->VirtualKey != 0xFFFF; ++row)
    s.KeyInputState[row->KeyCode] = keys[row->VirtualKey];
  s.MouseFallback[0] = keys[plat::win::VK_LBUTTON] >> 7;
  s.MouseFallback[1] = keys[plat::win::VK_RBUTTON] >> 7;
  s.MouseFallback[2] = keys[plat::win::VK_MBUTTON] >> 7;
  s.MouseFallbackValid = 1;
  return 1;
}

// Without the DirectInput mouse the buttons come from the key state.
int UpdateMouseInput() {
  InputStatus& s = Input.Status;
  if (IsDirectInputMouseUsed()) return ReadDirectInputMouse();
  RefreshKeyboardInput(1);
  uint8_t left, right, middle;
  if (s.MouseFallbackValid) {
    left = s.MouseFallback[0];
    right = s.MouseFallback[1];
    middle = s.MouseFallback[2];
  } else {
    plat::win::BYTE keys[256];
    plat::win::GetKeyboardState(keys);
    left = keys[plat::win::VK_LBUTTON] >> 7;
    right = keys[plat::win::VK_RBUTTON] >> 7;
    middle = keys[plat::win::VK_MBUTTON] >> 7;
  }
  return (left ? 1 : 0) | (right ? 2 : 0) | (middle ? 4 : 0);
}

}  // namespace ZaDod
