// Temporary: what the window and life-cycle code still needs of graphics modules that
// are not built yet: display areas, the mask flag and the on-screen log's drawing.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

int useMaskScreen = 0;

}  // namespace

// One display: the platform's primary display.

int GetDisplayArea(int displayIndex, plat::win::RECT* area) {
  if (displayIndex != 0 || !area) return -1;
  *area = plat::win::RECT{0, 0, plat::win::GetSystemMetrics(plat::win::SM_CXSCREEN),
                          plat::win::GetSystemMetrics(plat::win::SM_CYSCREEN)};
  return 0;
}

int GetDisplayWorkArea(int displayIndex, plat::win::RECT* area) {
  if (displayIndex != 0 || !area) return -1;
  plat::win::SystemParametersInfoW(plat::win::SPI_GETWORKAREA, 0, area, 0);
  return 0;
}

int GetUseMaskScreenFlag() { return useMaskScreen; }
int SetUseMaskScreenFlag(int flag) { return useMaskScreen = flag, 0; }

int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }

}  // namespace ZaDod
