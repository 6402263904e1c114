// Temporary: what the graphics system reads of the window module until it lands: the
// window-mode flag, the main window and the window settings DirectDraw start-up needs.
#pragma once
#include "platform/win/ddraw.h"

namespace ZaDod {

int GetWindowModeFlag();
plat::win::HWND GetMainWindowHandle();
int GetFpuPreserveCount();
int GetDesktopCompositionSetting();

}  // namespace ZaDod
