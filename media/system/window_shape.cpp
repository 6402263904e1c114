// The window's shape from a bitmap, desktop composition, and the removal of the
// window's decorations at its end.
#include <cstring>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/graphics/base_image_load.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "media/system/window_state.h"
#include "media/system/winapi.h"
#include "platform/win/dwm.h"
#include "platform/win/gdi.h"
#include "platform/win/region.h"

namespace ZaDod {

using namespace plat::win;

namespace {

bool shapeSet = false;
int compositionState = 1;

bool isZero(const unsigned char* p, int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1: return p[0] == 0;
    case 2: return p[0] == 0 && p[1] == 0;
    case 3: return (p[0] == 0 && p[1] == 0) || p[2] == 0;
    default: return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
  }
}

}  // namespace

HRGN CreateWindowRegionFromImage(int width, int height, const void* pixels, int pitch, int bytesPerPixel) {
  int screenWidth = 0, screenHeight = 0;
  GetWindowClientBaseSize(&screenWidth, &screenHeight);
  HRGN region = CreateRectRgn(0, 0, screenWidth, screenHeight);
  if (!pixels || width <= 0 || height <= 0 || bytesPerPixel < 1 || bytesPerPixel > 4) return region;
  const auto* base = static_cast<const unsigned char*>(pixels);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = base + static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width;) {
      if (!isZero(row + x * bytesPerPixel, bytesPerPixel)) {
        ++x;
        continue;
      }
      int start = x;
      while (x < width && isZero(row + x * bytesPerPixel, bytesPerPixel)) ++x;
      HRGN run = CreateRectRgn(start, y, x, y + 1);
      CombineRgn(region, region, run, RGN_DIFF);
      DeleteObject(run);
    }
  }
  return region;
}

int SetWindowShapeFromBitmap(const char* fileName) {
  HWND hwnd = Win.Status.MainWindow;
  if (!fileName) {
    if (shapeSet && hwnd) SetWindowRgn(hwnd, nullptr, 1);
    shapeSet = false;
    return 0;
  }
  std::vector<char16_t> wide(std::strlen(fileName) + 16);
  if (ConvertString(fileName, GetDefaultNarrowCodePage(), wide.data(), wide.size() * 2, CodePageUtf16LE) == 0)
    return -1;
  HBITMAP bitmap = CreateDIBGraphFromFile(wide.data(), 0, nullptr);
  if (!bitmap) return -1;
  DIBSECTION section{};
  GetObject(bitmap, sizeof section, &section);
  const BITMAP& info = section.dsBm;
  int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  int pitch = (info.bmWidthBytes + 3) / 4 * 4;
  const auto* bits = static_cast<const unsigned char*>(info.bmBits);
  // A bottom-up section is walked from its last row, so that the shape is not upside down.
  if (section.dsBmih.biHeight > 0 && bits) bits += static_cast<ptrdiff_t>(height - 1) * pitch, pitch = -pitch;
  HRGN region = CreateWindowRegionFromImage(info.bmWidth, height, bits, pitch, info.bmBitsPixel / 8);
  DeleteObject(bitmap);
  if (hwnd) SetWindowRgn(hwnd, region, 1);
  else DeleteObject(region);
  shapeSet = hwnd != nullptr;
  return 0;
}

int SetDesktopCompositionEnable(int enable) {
  enable = enable ? 1 : 0;
  if (enable != compositionState && WinAPI.DwmEnableCompositionFunc)
    reinterpret_cast<decltype(&DwmEnableComposition)>(WinAPI.DwmEnableCompositionFunc)(
        enable ? DWM_EC_ENABLECOMPOSITION : DWM_EC_DISABLECOMPOSITION);
  compositionState = enable;
  return 0;
}

int RemoveWindowDecorations() {
  SetWindowShapeFromBitmap(nullptr);
  RemoveToolbarAndMenu();
  ReleaseLayeredWindowCache();
  return 0;
}

}  // namespace ZaDod
