// Temporary stand-in for the window module's settings; see window_seam.h.
#include "media/graphics/window_seam.h"

namespace ZaDod {

int GetWindowModeFlag() { return 1; }
plat::win::HWND GetMainWindowHandle() { return nullptr; }
int GetFpuPreserveCount() { return 0; }
int GetDesktopCompositionSetting() { return 0; }

}  // namespace ZaDod
