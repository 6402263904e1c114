// DirectInput as the media layer knows it: the class and interface it asks the COM
// registry for, and the shapes the input state tables are laid out in. No DirectInput
// class is registered, so creating one fails and the callers' fallback runs.
#pragma once
#include <cstdint>

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

}  // namespace plat::input
