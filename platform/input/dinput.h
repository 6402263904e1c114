// DirectInput as the media layer knows it: the class and interface it asks the COM
// registry for, and the shapes the input state tables are laid out in. No DirectInput
// class is registered, so creating one fails and the callers' fallback runs.
#pragma once
#include <cstdint>

#include "platform/win/com.h"
#include "platform/win/module.h"
#include "platform/win/types.h"

namespace plat::input {

// The joystick state: axes, sliders, four point-of-view hats (hundredths of a degree
// clockwise from up, -1 centred) and 32 button bytes (0x80 = down). 80 bytes.
struct DIJOYSTATE {
  std::int32_t lX, lY, lZ;
  std::int32_t lRx, lRy, lRz;
  std::int32_t rglSlider[2];
  win::DWORD rgdwPOV[4];
  win::BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);

inline constexpr win::CLSID CLSID_DirectInput8 = {0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr win::IID IID_IDirectInput8W = {0xBF798031, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};

// The calls the media layer makes on the object itself.
struct IDirectInput8W : win::IUnknown {
  virtual win::HRESULT Initialize(win::HMODULE instance, win::DWORD version) = 0;

 protected:
  ~IDirectInput8W() = default;
};

}  // namespace plat::input
