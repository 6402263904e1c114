// DirectInput game controllers: adding each enumerated controller as a pad with its
// ranges, dead zones, effects and event, and reading a pad's 80-byte state.
#include <cstring>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/input/input_convert.h"
#include "media/input/input_dinput.h"
#include "media/input/input_state.h"
#include "media/system/window.h"
#include "platform/win/sync.h"

namespace ZaDod {
namespace {

namespace di = plat::input;

bool containsText(const char16_t* text, const char16_t* part) {
  const size_t n = std::char_traits<char16_t>::length(part);
  for (; *text; ++text)
    if (std::char_traits<char16_t>::compare(text, part, n) == 0) return true;
  return false;
}

bool anyXInputPad() {
  for (int i = 0; i < Input.Status.PadCount; ++i)
    if (Input.Status.Pad[i].XInputIndex >= 0) return true;
  return false;
}

void setRange(di::IDirectInputDevice8W* device, plat::win::DWORD offset, const char16_t* failure) {
  di::DIPROPRANGE range{{sizeof(di::DIPROPRANGE), sizeof(di::DIPROPHEADER), offset, di::DIPH_BYOFFSET}, -1000, 1000};
  if (device->SetProperty(di::DIPROP_RANGE, &range.diph) < 0 && failure) LogAddTextUtf16(failure);
}

void setDeadZone(di::IDirectInputDevice8W* device, plat::win::DWORD offset, const char16_t* failure) {
  di::DIPROPDWORD zone{{sizeof(di::DIPROPDWORD), sizeof(di::DIPROPHEADER), offset, di::DIPH_BYOFFSET}, 3499};
  if (device->SetProperty(di::DIPROP_DEADZONE, &zone.diph) < 0 && failure) LogAddTextUtf16(failure);
}

}  // namespace

plat::win::BOOL EnumJoypadDeviceCallback(const di::DIDEVICEINSTANCEW* instance, void*) {
  InputStatus& s = Input.Status;
  if (s.PadCount >= kMaxJoypads) return di::DIENUM_STOP;
  JoypadRecord& pad = s.Pad[s.PadCount];
  pad.XInputIndex = -1;
  di::IDirectInputDevice8W* device = nullptr;
  if (s.DirectInput->CreateDevice(instance->guidInstance, &device, nullptr) < 0 || !device) {
    LogAddTextUtf16(u"入力装置の取得に失敗しました\n");
    return di::DIENUM_CONTINUE;
  }
  di::DIDEVICEINSTANCEW info{};
  info.dwSize = sizeof(info);
  device->GetDeviceInfo(&info);
  // A pad served through XInput shows up here too; it is not added twice.
  if (containsText(info.tszInstanceName, u"XBOX 360 For Windows") && anyXInputPad()) {
    device->Release();
    return di::DIENUM_CONTINUE;
  }
  LogAddTextUtf16(u"入力装置を見つけました\n");
  std::memcpy(pad.InstanceName, info.tszInstanceName, sizeof(pad.InstanceName));
  std::memcpy(pad.ProductName, info.tszProductName, sizeof(pad.ProductName));
  LogIndentIncrease();
  LogFormatUtf16(u"Device Instance Name : %s", pad.InstanceName);
  LogFormatUtf16(u"Device Product Name  : %s", pad.ProductName);
  LogIndentDecrease();

  if (device->SetDataFormat(&di::c_dfDIJoystick) < 0) {
    device->Release();
    LogAddTextUtf16(u"ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
    return di::DIENUM_CONTINUE;
  }
  if (device->SetCooperativeLevel(GetMainWindowHandle(), di::DISCL_FOREGROUND | di::DISCL_EXCLUSIVE) < 0)
    LogAddTextUtf16(u"ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
  setRange(device, di::DIJOFS_X, u"ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n");
  setRange(device, di::DIJOFS_Y, u"ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
  for (plat::win::DWORD offset : {di::DIJOFS_Z, di::DIJOFS_RX, di::DIJOFS_RY, di::DIJOFS_RZ})
    setRange(device, offset, nullptr);
  pad.DeadZone = kJoypadDeadZone;
  setDeadZone(device, di::DIJOFS_X, u"ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n");
  setDeadZone(device, di::DIJOFS_Y, u"ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
  for (plat::win::DWORD offset : {di::DIJOFS_Z, di::DIJOFS_RX, di::DIJOFS_RY, di::DIJOFS_RZ})
    setDeadZone(device, offset, nullptr);

  pad.Device = device;
  for (JoypadEffectSlot& e : pad.Effect) e.Effect = nullptr;
  if (!Input.Settings.NoForceFeedback) CreateJoypadEffects(pad);
  for (JoypadEffectSlot& e : pad.Effect) {
    e.Playing = 0;
    e.Power = kEffectPowerMax;
    e.AppliedPlaying = 0;
    e.AppliedPower = 0;
  }

  void* event = plat::win::CreateEventW(nullptr, 1, 0, nullptr);
  const plat::win::HRESULT hr = event ? device->SetEventNotification(static_cast<plat::win::HANDLE>(event)) : -1;
  if (hr != di::DI_OK && hr != di::DI_POLLEDDEVICE) {
    LogAddTextUtf16(u"ジョイパッドイベントのセットアップが失敗しました\n");
    ReleaseJoypadEffects(pad);
    device->Release();
    CloseInputEvent(event);
    pad = JoypadRecord{};
    return di::DIENUM_CONTINUE;
  }
  device->Acquire();
  pad.Event = event;
  pad.State = di::DIJOYSTATE{};
  pad.LastPollTime = -1;
  ++s.PadCount;
  LogAddTextUtf16(u"ジョイパッドの追加は正常に終了しました\n");
  return s.PadCount >= kMaxJoypads ? di::DIENUM_STOP : di::DIENUM_CONTINUE;
}

// Reads within one millisecond are skipped unless the device said it has new data; a
// lost device is acquired once (with the messages flowing around it) before the read
// gives up, and a failed read keeps the last state.
void ReadDirectInputPad(JoypadRecord& pad) {
  const int now = GetMillisecondCount();
  const bool signalled = InputEventSignalled(pad.Event);
  if (now == pad.LastPollTime && !signalled) return;
  pad.LastPollTime = now;
  di::IDirectInputDevice8W* device = pad.Device;
  device->Poll();
  di::DIJOYSTATE state;
  bool ok = device->GetDeviceState(sizeof(state), &state) >= 0;
  // A pump pass may end the pads; the read stops when this one went.
  const auto still = [&] { return pad.Device == device; };
  if (!ok && PumpOnceForInput() && still() && device->Acquire() >= 0 && PumpOnceForInput() && still())
    ok = device->GetDeviceState(sizeof(state), &state) >= 0;
  if (!still()) return;
  if (ok) pad.State = state;
  if (signalled) ResetInputEvent(pad.Event);
}

}  // namespace ZaDod
