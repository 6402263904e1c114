// Starting and ending the input devices. DirectInput 8 is tried first; when it cannot
// be had, input runs on the multimedia joystick functions and the window system's key
// state. The DirectInput device steps live in the input_dinput_* files.
#include "media/input/input_devices.h"

#include <initializer_list>

#include "media/base/log.h"
#include "media/base/clock.h"
#include "media/input/input.h"
#include "media/input/input_convert.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"
#include "media/system/sysinfo_log.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/winapi.h"
#include "platform/input/dinput.h"
#include "platform/input/joystick.h"
#include "platform/win/win_handle.h"
#include "platform/win/sync.h"

namespace ZaDod {
namespace {

bool directInputInUse() { return Input.Status.Mode == InputDeviceMode::DirectInput8; }

void loadXInput() {
  InputStatus& s = Input.Status;
  LogAddTextUtf16(u"XInput DLL の読み込み中... ");
  for (const char16_t* name : {u"xinput1_4.dll", u"xinput1_3.dll", u"xinput9_1_0.dll"}) {
    s.XInputModule = plat::win::LoadLibraryW(name);
    if (s.XInputModule) break;
  }
  if (!s.XInputModule) {
    LogAddTextUtf16(u"失敗、XInputは使用しません\n");
    return;
  }
  LogAddTextUtf16(u"成功\n");
  auto module = static_cast<plat::win::HMODULE>(s.XInputModule);
  s.XInputGetState = reinterpret_cast<plat::input::XInputGetStateFunc>(plat::win::GetProcAddress(module, "XInputGetState"));
  s.XInputSetState = reinterpret_cast<plat::input::XInputSetStateFunc>(plat::win::GetProcAddress(module, "XInputSetState"));
}

void freeXInput() {
  InputStatus& s = Input.Status;
  if (s.XInputModule) plat::win::FreeLibrary(static_cast<plat::win::HMODULE>(s.XInputModule));
  s.XInputModule = nullptr;
  s.XInputGetState = nullptr;
  s.XInputSetState = nullptr;
}

// The DirectInput 8 object, or null when it cannot be created or initialised.
plat::input::IDirectInput8W* createDirectInput8() {
  using namespace plat::input;
  LogAddTextUtf16(u"DirectInput7 の取得中... ");
  LogAddTextUtf16(u"DirectInput8 の取得を試みます...");
  void* object = nullptr;
  plat::win::HRESULT hr = WinAPI.CoCreateInstanceFunc
                              ? WinAPI.CoCreateInstanceFunc(CLSID_DirectInput8, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                                                            IID_IDirectInput8W, &object)
                              : plat::win::REGDB_E_CLASSNOTREG;
  if (hr < 0 || !object) {
    LogAddTextUtf16(u"取得に失敗。");
    return nullptr;
  }
  auto* directInput = static_cast<IDirectInput8W*>(object);
  LogAddTextUtf16(u"成功\n");
  LogIndentIncrease();
  LogAddTextUtf16(u"引き続き初期化処理... ");
  hr = directInput->Initialize(plat::win::GetModuleHandleW(nullptr), 0x800);
  if (hr < 0) {
    LogAddTextUtf16(u"初期化に失敗。");
    LogIndentDecrease();
    directInput->Release();
    return nullptr;
  }
  LogAddTextUtf16(u"初期化成功\n");
  LogIndentDecrease();
  return directInput;
}

// Joystick mode: every id that answers, from 0, is a pad.
void setUpJoystickPads() {
  InputStatus& s = Input.Status;
  LogIndentIncrease();
  using plat::input::JOYCAPSW;
  int count = 0;
  for (; count < kMaxJoypads; ++count) {
    JOYCAPSW caps{};
    if (!WinAPI.joyGetDevCapsWFunc ||
        WinAPI.joyGetDevCapsWFunc(static_cast<plat::win::UINT>(count), &caps, sizeof(caps)) != plat::input::JOYERR_NOERROR)
      break;
    JoypadRecord& pad = s.Pad[count];
    pad.DeadZone = kJoypadDeadZone;
    pad.XInputIndex = -1;
    pad.LastPollTime = -1;
    const unsigned both = plat::input::JOYCAPS_HASZ | plat::input::JOYCAPS_HASR;
    pad.HasZAndR = (caps.wCaps & both) == both ? 1 : 0;
  }
  s.PadCount = count;
  LogFormatUtf16(u"パッドの数は %d 個です", count);
  LogIndentDecrease();
  s.Mode = InputDeviceMode::Joystick;
  LogAddTextUtf16(u"入力関連の初期化をしました\n");
}

}  // namespace

bool PumpOnceForInput() {
  return ProcessWindowMessages() == 0 && Input.Status.DirectInput != nullptr;
}

bool InputEventSignalled(void* event) {
  return event && plat::win::WaitForSingleObject(static_cast<plat::win::HANDLE>(event), 0) == plat::win::WAIT_OBJECT_0;
}

void ResetInputEvent(void* event) {
  if (event) plat::win::ResetEvent(static_cast<plat::win::HANDLE>(event));
}

void CloseInputEvent(void*& event) {
  if (event) plat::win::CloseHandle(static_cast<plat::win::HANDLE>(event));
  event = nullptr;
}

namespace {

// Everything DirectInput holds, without a word in the log: pads, keyboard, mouse, the
// object and XInput.
void releaseDirectInput() {
  InputStatus& s = Input.Status;
  TerminateJoypadDevices();
  ReleaseDirectInputKeyboardAndMouse();
  if (s.DirectInput) s.DirectInput->Release();
  s.DirectInput = nullptr;
  s.Mode = InputDeviceMode::None;
  freeXInput();
}

// The devices on a created DirectInput object: pads, mouse and keyboard. -1 when the
// keyboard's event could not be set up; everything is released again then.
int setUpDirectInputDevices() {
  InputStatus& s = Input.Status;
  PumpOnceForInput();
  ReSetupJoypad();
  SetUpDirectInputMouse();
  s.KeyboardReadTime = GetMillisecondCount();
  if (!Input.Settings.NoDirectInputKeyboard && SetUpDirectInputKeyboard() != 0) {
    releaseDirectInput();
    LogIndentDecrease();
    return -1;
  }
  LogIndentDecrease();
  LogAddTextUtf16(u"DirectInput 関連の初期化は正常に終了しました\n");
  return 0;
}

}  // namespace

int InitializeDirectInput() {
  if (Input.Status.Mode != InputDeviceMode::None || Input.Status.Initializing) return 0;
  ResetInputStatus();
  InputStatus& s = Input.Status;
  s.Initializing = 1;

  if (!Input.Settings.NoDirectInput) {
    LogAddTextUtf16(u"DirectInput関係初期化処理\n");
    LogIndentIncrease();
    if (!Input.Settings.NoXInput) loadXInput();
    if (plat::input::IDirectInput8W* directInput = createDirectInput8()) {
      s.DirectInput = directInput;
      s.Mode = InputDeviceMode::DirectInput8;
      const int result = setUpDirectInputDevices();
      if (result == 0 && !Input.Settings.MappingInitialized) {
        SetDefaultPadKeyAssignment();
        Input.Settings.MappingInitialized = 1;
      }
      s.Initializing = 0;
      return result;
    }
    LogAddTextUtf16(u"DirectInput を使用しません。\n");
    LogIndentDecrease();
    Input.Settings.NoDirectInput = 1;
  }
  setUpJoystickPads();

  if (!Input.Settings.MappingInitialized) {
    SetDefaultPadKeyAssignment();
    Input.Settings.MappingInitialized = 1;
  }
  s.Initializing = 0;
  return 0;
}

int TerminateDirectInput() {
  InputStatus& s = Input.Status;
  if (s.Mode == InputDeviceMode::Joystick) {
    LogAddTextUtf16(u"入力関連の終了処理... 完了\n");
    s.Mode = InputDeviceMode::None;
  } else if (s.Mode == InputDeviceMode::DirectInput8) {
    LogAddTextUtf16(u"DirectInput 関連の終了処理... 完了\n");
    TerminateJoypad();
    releaseDirectInput();
  }
  // XInput may have loaded before DirectInput failed; its reference goes with the rest.
  freeXInput();
  return 0;
}

int InitializeJoypad() {
  if (!directInputInUse()) return -1;
  TerminateJoypad();
  LogAddTextUtf16(u"ジョイパッドの初期化... \n");
  InputStatus& s = Input.Status;
  s.PadCount = 0;
  for (int user = 0; user < 4 && s.XInputGetState; ++user) {
    plat::input::XINPUT_STATE state{};
    if (s.XInputGetState(static_cast<plat::win::DWORD>(user), &state) != plat::input::ERROR_SUCCESS) continue;
    if (s.PadCount >= kMaxJoypads) break;
    LogFormatUtf16(u"ジョイパッドナンバー %d は Xbox360 Controller です", s.PadCount);
    JoypadRecord& pad = s.Pad[s.PadCount++];
    pad = JoypadRecord{};
    pad.XInputIndex = user;
    pad.DeadZone = kJoypadDeadZone;
    pad.LastPollTime = -1;
    for (const char16_t* p = u"Controller (XBOX 360 For Windows)"; char16_t* out : {pad.InstanceName, pad.ProductName})
      for (int i = 0; (out[i] = p[i]) != 0; ++i) {}
  }
  if (s.DirectInput)
    s.DirectInput->EnumDevices(plat::input::DI8DEVCLASS_GAMECTRL, EnumJoypadDeviceCallback, nullptr,
                             plat::input::DIEDFL_ATTACHEDONLY);
  return 0;
}

int TerminateJoypadDevices() {
  if (!directInputInUse()) return -1;
  for (JoypadRecord& pad : Input.Status.Pad) {
    if (pad.XInputIndex < 0 && pad.Device) {
      pad.Device->Unacquire();
      pad.Device->SetEventNotification(nullptr);
      ReleaseJoypadEffects(pad);
      pad.Device->Release();
      CloseInputEvent(pad.Event);
    }
    pad = JoypadRecord{};
  }
  Input.Status.PadCount = 0;
  return 0;
}

int IsDirectInputMouseUsed() {
  return !Input.Settings.NoDirectInput && Input.Status.MouseDevice &&
                 (Input.Settings.DirectInputEverywhere || SystemInfo.WindowsVersion < 0x108)
             ? 1
             : 0;
}

int GetMouseWheelNotches(int clearFlag) {
  GetMouseButtonInput();
  const int notches = Input.Status.MouseWheel / 120;
  if (clearFlag) Input.Status.MouseWheel -= notches * 120;
  return notches;
}

// Cooperative levels follow the window's activation: a pad is exclusive only while the
// window is in front.
int ReacquireInputDevices() {
  InputStatus& s = Input.Status;
  if (!directInputInUse()) return 0;
  const plat::win::DWORD level = GetWindowActiveFlag() ? plat::input::DISCL_FOREGROUND | plat::input::DISCL_EXCLUSIVE
                                                        : plat::input::DISCL_BACKGROUND | plat::input::DISCL_NONEXCLUSIVE;
  for (int i = 0; i < s.PadCount; ++i) {
    plat::input::IDirectInputDevice8W* device = s.Pad[i].Device;
    if (!device) continue;
    device->Unacquire();
    device->SetCooperativeLevel(GetMainWindowHandle(), level);
    device->Acquire();
  }
  if (s.KeyboardDevice) {
    s.KeyboardDevice->Unacquire();
    s.KeyboardDevice->Acquire();
  }
  return 0;
}

}  // namespace ZaDod
