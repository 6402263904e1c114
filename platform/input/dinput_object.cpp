// The DirectInput 8 object of the stand-in: its class in the COM registry, its ids and
// data formats, device creation and the game-controller enumeration.
#include <new>

#include "platform/input/dinput.h"
#include "platform/input/dinput_internal.h"

namespace plat::input {

// The class and interface ids the media layer asks for; the other ids are the
// stand-in's own and only need to differ from each other.
const win::CLSID CLSID_DirectInput8 = {0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const win::IID IID_IDirectInput8W = {0xBF798031, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const win::GUID GUID_SysKeyboard = {0x48564B00, 0, 0, {'k', 'e', 'y', 'b', 'o', 'a', 'r', 'd'}};
const win::GUID GUID_SysMouse = {0x48564B01, 0, 0, {'m', 'o', 'u', 's', 'e', 0, 0, 0}};
const win::GUID GUID_ConstantForce = {0x48564B02, 0, 0, {'c', 'o', 'n', 's', 't', 0, 0, 0}};
const win::GUID GUID_Sine = {0x48564B03, 0, 0, {'s', 'i', 'n', 'e', 0, 0, 0, 0}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE2)};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIJOYSTATE)};

namespace {

class DirectInput final : public IDirectInput8W {
 public:
  HRESULT QueryInterface(const win::IID& iid, void** object) override {
    if (!object) return win::E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IDirectInput8W)) return win::E_INVALIDARG;
    AddRef();
    *object = static_cast<IDirectInput8W*>(this);
    return DI_OK;
  }
  DWORD AddRef() override { return ++refs_; }
  DWORD Release() override {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Initialize(win::HMODULE instance, DWORD version) override {
    if (!instance || version != 0x800) return win::E_INVALIDARG;
    initialized_ = true;
    return DI_OK;
  }

  HRESULT CreateDevice(const win::GUID& device, IDirectInputDevice8W** out, void* outer) override {
    if (!out) return win::E_POINTER;
    *out = nullptr;
    if (outer) return win::CLASS_E_NOAGGREGATION;
    if (!initialized_) return DIERR_NOTINITIALIZED;
    dinput::Device* made = device == GUID_SysKeyboard ? dinput::NewKeyboard()
                           : device == GUID_SysMouse  ? dinput::NewMouse()
                                                      : dinput::NewController(device);
    if (!made) return DIERR_DEVICENOTREG;
    *out = made;
    return DI_OK;
  }

  HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, void* context, DWORD) override {
    if (!callback) return win::E_INVALIDARG;
    if (!initialized_) return DIERR_NOTINITIALIZED;
    if (deviceClass != DI8DEVCLASS_GAMECTRL) return DI_OK;
    // Every controller is attached: detached ones are not listed by SDL at all.
    DIDEVICEINSTANCEW instance;
    for (int i = 0; dinput::DescribeController(i, &instance); ++i)
      if (callback(&instance, context) == DIENUM_STOP) break;
    return DI_OK;
  }

 private:
  ~DirectInput() = default;
  std::atomic<DWORD> refs_{1};
  bool initialized_ = false;
};

win::HRESULT createDirectInput(void* outer, const win::IID& iid, void** object) {
  if (outer) return win::CLASS_E_NOAGGREGATION;
  auto* made = new (std::nothrow) DirectInput();
  if (!made) return win::E_OUTOFMEMORY;
  const HRESULT hr = made->QueryInterface(iid, object);
  made->Release();
  return hr;
}

// The class is known as soon as anything names its class id, which lives here.
const bool dinputRegistered = (win::RegisterComClass(CLSID_DirectInput8, "dinput", &createDirectInput), true);

}  // namespace

}  // namespace plat::input
