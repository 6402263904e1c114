// The system keyboard and mouse of the DirectInput stand-in. Both follow the window
// system's raw input: keys by set-1 scan code (0x80 added for extended keys), pointer
// motion and wheel steps summed since each device's last read, and the buttons held.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/input/dinput_internal.h"
#include "platform/input/dinput_test.h"
#include "platform/win/raw_input.h"

namespace plat::input::dinput {
namespace {

class SystemDevice;

// What the window system reported, shared by every keyboard and mouse device.
struct RawState {
  std::mutex mutex;
  BYTE keys[256] = {};
  BYTE buttons[8] = {};
  std::vector<SystemDevice*> devices;
};

std::atomic<KeyboardFailure> keyboardFailure{KeyboardFailure::None};

RawState& raw() {
  static RawState state;
  return state;
}

class SystemDevice : public Device {
 public:
  explicit SystemDevice(bool keyboard) : keyboard_(keyboard) {
    RawState& r = raw();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.devices.push_back(this);
    win::SetRawInputObserver(&observe);
  }

  static void observe(const win::RawInputEvent& e);

  HRESULT SetEventNotification(win::HANDLE event) override {
    if (keyboard_ && event && keyboardFailure.load() == KeyboardFailure::Event) return win::E_INVALIDARG;
    return Device::SetEventNotification(event);
  }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEW* info) override {
    if (!info || info->dwSize != sizeof(DIDEVICEINSTANCEW)) return win::E_INVALIDARG;
    *info = DIDEVICEINSTANCEW{};
    info->dwSize = sizeof(DIDEVICEINSTANCEW);
    info->guidInstance = info->guidProduct = keyboard_ ? GUID_SysKeyboard : GUID_SysMouse;
    const char16_t* name = keyboard_ ? u"Keyboard" : u"Mouse";
    for (char16_t* field : {info->tszInstanceName, info->tszProductName})
      for (int i = 0; (field[i] = name[i]) != 0; ++i) {}
    return DI_OK;
  }

 protected:
  ~SystemDevice() override {
    RawState& r = raw();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.devices.erase(std::find(r.devices.begin(), r.devices.end(), this));
    if (r.devices.empty()) win::SetRawInputObserver(nullptr);
  }

  DWORD stateSize() const override { return keyboard_ ? 256 : sizeof(DIMOUSESTATE2); }

  // Motion counts from the moment of acquisition.
  void onAcquire() override {
    std::lock_guard<std::mutex> guard(raw().mutex);
    dx_ = dy_ = wheel_ = 0;
  }

  bool readState(void* data) override {
    RawState& r = raw();
    std::lock_guard<std::mutex> guard(r.mutex);
    if (keyboard_) {
      std::memcpy(data, r.keys, 256);
      return true;
    }
    DIMOUSESTATE2 m{dx_, dy_, wheel_, {}};
    std::memcpy(m.rgbButtons, r.buttons, sizeof(m.rgbButtons));
    dx_ = dy_ = wheel_ = 0;
    std::memcpy(data, &m, sizeof(m));
    return true;
  }

 private:
  const bool keyboard_;
  std::int32_t dx_ = 0, dy_ = 0, wheel_ = 0;  // under the raw lock
};

void SystemDevice::observe(const win::RawInputEvent& e) {
  using K = win::RawInputEvent::Kind;
  RawState& r = raw();
  std::vector<SystemDevice*> toSignal;
  {
    std::lock_guard<std::mutex> guard(r.mutex);
    const bool key = e.kind == K::Key;
    if (key) r.keys[e.code & 0xFF] = e.down ? 0x80 : 0;
    if (e.kind == K::Button && e.code >= 0 && e.code < 8) r.buttons[e.code] = e.down ? 0x80 : 0;
    for (SystemDevice* d : r.devices) {
      if (d->keyboard_ != key) continue;
      d->dx_ += e.dx;
      d->dy_ += e.dy;
      d->wheel_ += e.wheel;
      if (d->tryAddRef()) toSignal.push_back(d);
    }
  }
  // The device lock is never taken under the raw lock: reads take them the other way.
  for (SystemDevice* d : toSignal) {
    d->signal();
    d->Release();
  }
}

}  // namespace

Device* NewKeyboard() {
  if (keyboardFailure.load() == KeyboardFailure::Create) return nullptr;
  return new (std::nothrow) SystemDevice(true);
}
Device* NewMouse() { return new (std::nothrow) SystemDevice(false); }

}  // namespace plat::input::dinput

namespace plat::input {
void SetKeyboardFailureForTest(KeyboardFailure failure) { dinput::keyboardFailure.store(failure); }
}  // namespace plat::input
