// The front's queries: keys, joypads, the mouse, and input start and end.
#include "media/input/input.h"

#include "media/base/log.h"
#include "media/input/input_devices.h"
#include "media/input/input_state.h"
#include "media/system/window.h"
#include "platform/win/win_window.h"

namespace ZaDod {

// Waits while the window is inactive and starts input when it is not running. False
// when the query must answer "nothing": input was not running, whether or not this
// start succeeded, since the state it would read is not yet there.
bool InputReadyForQuery() {
  if (!GetWindowActiveFlag()) WaitWhileWindowInactive();
  if (Input.Settings.Started) return true;
  StartInputOnDemand();
  return false;
}

namespace {

int padBits(int index) {
  if (index < kMaxJoypads) UpdateJoypadInput(index);
  const plat::input::DIJOYSTATE& s = Input.Status.Pad[index].State;
  int bits = 0;
  if (s.lX < 0) bits |= PAD_INPUT_LEFT;
  if (s.lX > 0) bits |= PAD_INPUT_RIGHT;
  if (s.lY < 0) bits |= PAD_INPUT_UP;
  if (s.lY > 0) bits |= PAD_INPUT_DOWN;
  for (int i = 0; i < 24; ++i)
    if (s.rgbButtons[i] & 0x80) bits |= PAD_INPUT_1 << i;
  return bits;
}

int keyboardBits(int padIndex) {
  RefreshKeyboardInput(1);
  if (padIndex >= kMaxJoypads) return 0;
  const auto& keys = Input.Settings.PadKeyAssignment[padIndex];
  int bits = 0;
  for (int b = 0; b < kPadInputBits; ++b)
    for (int code : keys[b])
      if (code > 0 && code < 256 && IsKeyDown(code)) {
        bits |= static_cast<int>(1u << b);
        break;
      }
  return bits;
}

bool touchHeld() { return Input.Status.Touch.PointNum > 0 && Input.Status.TouchIndex >= 0; }

}  // namespace

int CheckKeyDown(int keyCode) {
  if (!InputReadyForQuery()) return 0;
  if (keyCode < 0 || keyCode > 255) return 0;
  RefreshKeyboardInput(1);
  return IsKeyDown(keyCode) ? 1 : 0;
}

int GetJoypadInputState(int inputType) {
  if (!InputReadyForQuery()) return 0;
  const bool withKeys = (inputType & PAD_INPUT_KEY) != 0;
  const int padNumber = inputType & ~PAD_INPUT_KEY;
  const int n = padNumber - 1;
  const int count = Input.Status.PadCount;
  const bool padExists = count != 0 && n >= 0 && n < count;
  if (!withKeys && count != 0 && !padExists) return 0;
  int bits = padNumber != 0 && padExists ? padBits(n) : 0;
  if (!withKeys) return bits;
  return bits | keyboardBits(n < 0 ? 0 : n);
}

int GetMouseButtonInput() {
  int mask = UpdateMouseInput();
  if (touchHeld()) mask |= 1;
  return mask;
}

int GetMousePoint(int* x, int* y) {
  int px, py;
  if (touchHeld()) {
    const TouchInputPoint& p = Input.Status.Touch.Point[Input.Status.TouchIndex];
    px = p.PositionX;
    py = p.PositionY;
  } else {
    plat::win::POINT cursor{0, 0};
    plat::win::GetCursorPos(&cursor);
    ConvDesktopPosToScreenPos(cursor.x, cursor.y, &px, &py);
  }
  if (x) *x = px;
  if (y) *y = py;
  return 0;
}

int InitializeInput() {
  if (Input.Settings.Started) return 0;
  Input.Settings.Started = 1;
  if (InitializeDirectInput() == -1) {
    Input.Settings.Started = 0;
    return -1;
  }
  return 0;
}

int TerminateInput() {
  if (!Input.Settings.Started) return 0;
  if (TerminateDirectInput() == -1) return -1;
  Input.Settings.Started = 0;
  return 0;
}

int StartInputOnDemand() { return GetWindowClosingFlag() ? 0 : InitializeInput(); }

int RefreshKeyboardInput(int processMessages) {
  if (Input.Status.KeyboardRefreshing) return 0;
  Input.Status.KeyboardRefreshing = 1;
  const int result = UpdateKeyboardInput(processMessages);
  Input.Status.KeyboardRefreshing = 0;
  return result;
}

int ReSetupJoypad() {
  if (!Input.Settings.Started || InitializeJoypad() != 0) return -1;
  LogAddTextUtf16(u"ジョイパッドの初期化は正常に終了しました\n");
  return 0;
}

int TerminateJoypad() {
  if (!Input.Settings.Started) return -1;
  return TerminateJoypadDevices() == 0 ? 0 : -1;
}

}  // namespace ZaDod
