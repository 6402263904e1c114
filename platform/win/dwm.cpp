// Desktop composition stand-in: records the state the caller asks for.
#include "platform/win/dwm.h"

#include <atomic>

namespace plat::win {

namespace {
std::atomic<int> composition{1};
}

HRESULT DwmEnableComposition(UINT action) {
  if (action > DWM_EC_ENABLECOMPOSITION) return static_cast<HRESULT>(0x80070057);
  composition.store(static_cast<int>(action));
  return 0;
}

int GetDesktopCompositionState() { return composition.load(); }

}  // namespace plat::win
