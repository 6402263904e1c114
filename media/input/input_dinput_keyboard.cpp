// The DirectInput keyboard and mouse: their start-up steps and reads. They serve only
// when DirectInput keyboard and mouse are wanted on this system (the "everywhere"
// setting, or a window system older than version code 0x108).
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/input/input.h"
#include "media/input/input_devices.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"
#include "media/system/fatal.h"
#include "media/system/system.h"
#include "media/system/sysinfo_log.h"
#include "media/system/window.h"
#include "platform/win/sync.h"
#include "platform/win/win_window.h"

namespace ZaDod {
namespace {

namespace di = plat::input;

void releaseDevice(di::IDirectInputDevice8W*& device) {
  if (!device) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

// A keyboard step that cannot fail without ending the program: the mouse and the object
// go first, and start-up is no longer under way.
[[noreturn]] void keyboardFatal(const char16_t* text) {
  InputStatus& s = Input.Status;
  releaseDevice(s.KeyboardDevice);
  releaseDevice(s.MouseDevice);
  if (s.DirectInput) s.DirectInput->Release();
  s.DirectInput = nullptr;
  s.Initializing = 0;
  FatalErrorExit(text);
}

bool keyboardWanted() {
  const InputSettings& t = Input.Settings;
  return !t.NoDirectInput && !t.NoDirectInputKeyboard && Input.Status.KeyboardDevice &&
         (t.DirectInputEverywhere || SystemInfo.WindowsVersion < 0x108);
}

}  // namespace

void SetUpDirectInputMouse() {
  InputStatus& s = Input.Status;
  LogAddTextUtf16(u"マウスデバイスの初期化... ");
  di::IDirectInputDevice8W* mouse = nullptr;
  bool ok = s.DirectInput->CreateDevice(di::GUID_SysMouse, &mouse, nullptr) >= 0 && mouse;
  ok = ok && mouse->SetDataFormat(&di::c_dfDIMouse2) >= 0;
  ok = ok && mouse->SetCooperativeLevel(GetMainWindowHandle(), di::DISCL_BACKGROUND | di::DISCL_NONEXCLUSIVE) >= 0;
  if (!ok && mouse) releaseDevice(mouse);
  s.MouseDevice = ok ? mouse : nullptr;
  LogAddTextUtf16(ok ? u"初期化成功\n" : u"マウスデバイスの取得に失敗しました\n");
}

int SetUpDirectInputKeyboard() {
  InputStatus& s = Input.Status;
  LogAddTextUtf16(u"キーボードデバイスの初期化... ");
  if (s.DirectInput->CreateDevice(di::GUID_SysKeyboard, &s.KeyboardDevice, nullptr) < 0 || !s.KeyboardDevice) {
    s.KeyboardDevice = nullptr;
    keyboardFatal(u"キーボードデバイスの取得に失敗しました");
  }
  di::IDirectInputDevice8W* keyboard = s.KeyboardDevice;
  if (keyboard->SetDataFormat(&di::c_dfDIKeyboard) < 0) keyboardFatal(u"キーボードデバイスのデータ形式の設定に失敗しました");
  const plat::win::DWORD level = Input.Settings.ExclusiveKeyboard ? di::DISCL_FOREGROUND | di::DISCL_EXCLUSIVE
                                                                   : di::DISCL_BACKGROUND | di::DISCL_NONEXCLUSIVE;
  if (keyboard->SetCooperativeLevel(GetMainWindowHandle(), level) < 0)
    keyboardFatal(u"キーボードデバイスの協調レベルの設定に失敗しました");
  di::DIPROPDWORD buffer{{sizeof(di::DIPROPDWORD), sizeof(di::DIPROPHEADER), 0, di::DIPH_DEVICE}, 100};
  if (keyboard->SetProperty(di::DIPROP_BUFFERSIZE, &buffer.diph) < 0)
    LogAddTextUtf16(u"キーボードのプロパティ設定に失敗しました\n");
  s.KeyboardEvent = plat::win::CreateEventW(nullptr, 1, 0, nullptr);
  const plat::win::HRESULT hr =
      s.KeyboardEvent ? keyboard->SetEventNotification(static_cast<plat::win::HANDLE>(s.KeyboardEvent)) : -1;
  if (hr != di::DI_OK && hr != di::DI_POLLEDDEVICE) {
    LogAddTextUtf16(u"キーボードイベントのセットアップが失敗しました\n");
    return -1;
  }
  if (keyboard->Acquire() < 0 && keyboard->Acquire() < 0) keyboardFatal(u"キーボードデバイスの取得に失敗しました");
  LogAddTextUtf16(u"初期化成功\n");
  s.KeyboardReadTime = GetMillisecondCount();
  return 0;
}

void ReleaseDirectInputKeyboardAndMouse() {
  InputStatus& s = Input.Status;
  if (s.KeyboardDevice) s.KeyboardDevice->SetEventNotification(nullptr);
  releaseDevice(s.KeyboardDevice);
  CloseInputEvent(s.KeyboardEvent);
  releaseDevice(s.MouseDevice);
}

int ReadDirectInputKeyboard(int processMessages) {
  InputStatus& s = Input.Status;
  const int now = GetMillisecondCount();
  if (now == s.KeyboardReadTime && !InputEventSignalled(s.KeyboardEvent)) return 0;
  if (processMessages && ProcessWindowMessages() != 0) return 0;
  if (!s.DirectInput || !s.KeyboardDevice) return 0;
  di::IDirectInputDevice8W* keyboard = s.KeyboardDevice;
  if (keyboard->GetDeviceState(256, s.KeyInputState) < 0) {
    keyboard->Acquire();
    if (keyboard->GetDeviceState(256, s.KeyInputState) < 0) return 0;
  }
  s.KeyboardReadTime = now;
  if (InputEventSignalled(s.KeyboardEvent)) ResetInputEvent(s.KeyboardEvent);
  // The device reports the shift keys as one; the window system tells the right one apart.
  plat::win::BYTE keys[256];
  plat::win::GetKeyboardState(keys);
  s.KeyInputState[0x36] = keys[0xA1];
  return 1;
}

int ReadDirectInputMouse() {
  InputStatus& s = Input.Status;
  di::DIMOUSESTATE2 state{};
  if (s.MouseDevice->GetDeviceState(sizeof(state), &state) < 0) {
    if (s.MouseDevice->Acquire() < 0 || s.MouseDevice->GetDeviceState(sizeof(state), &state) < 0) return 0;
  }
  int mask = 0;
  for (int i = 0; i < 8; ++i)
    if (state.rgbButtons[i] & 0x80) mask |= 1 << i;
  s.MouseWheel += state.lZ;
  return mask;
}

bool DirectInputKeyboardWanted() { return keyboardWanted(); }

}  // namespace ZaDod
