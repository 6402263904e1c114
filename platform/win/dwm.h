// Desktop composition stand-in: the switch is only recorded.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

inline constexpr UINT DWM_EC_DISABLECOMPOSITION = 0, DWM_EC_ENABLECOMPOSITION = 1;

HRESULT DwmEnableComposition(UINT action);
// The state last set (1 at start).
int GetDesktopCompositionState();

}  // namespace plat::win
