// Temporary: what the window and life-cycle code still needs of graphics modules that
// are not built yet: display areas and the on-screen log's font.
#include "media/system/graphics_seam.h"

#include "media/base/log.h"
#include "media/system/onscreen_log.h"
#include "media/system/seam_record.h"
#include "media/system/window.h"

namespace ZaDod {
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

// No font module yet: creation fails, so the on-screen log's font becomes -2.
int CreateFontHandleW(const void*, const char16_t*, int, int, int, int, int, int, int, int) {
  RecordSeamCall("CreateFontHandleW");
  return -1;
}
int DeleteFontHandle(int) { return -1; }
int GetFontSizeToHandle(int) { return -1; }
int DrawStringToHandleW(int, int, const char16_t*, int, int, int, int) { return -1; }

}  // namespace ZaDod
