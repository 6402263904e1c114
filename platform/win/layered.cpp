// Layered-window stand-in: the picture of a layered window becomes a presented frame.
#include "platform/win/layered.h"

#include <algorithm>
#include <vector>

#include "platform/win/gdi_internal.h"
#include "platform/win/window_internal.h"

namespace plat::win {

BOOL UpdateLayeredWindow(HWND hwnd, HDC, POINT*, SIZE* size, HDC source, POINT* sourcePoint, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags) {
  MemoryDc* dc = findMemoryDc(source);
  DibSection* dib = dc ? dc->selected : nullptr;
  if (!IsWindow(hwnd) || !dib || dib->bitCount != 32) return 0;
  int x0 = sourcePoint ? sourcePoint->x : 0, y0 = sourcePoint ? sourcePoint->y : 0;
  int width = size ? size->cx : dib->width, height = size ? size->cy : dib->height;
  if (x0 < 0 || y0 < 0 || width <= 0 || height <= 0) return 0;
  width = std::min(width, dib->width - x0);
  height = std::min(height, dib->height - y0);
  if (width <= 0 || height <= 0) return 0;
  // The colour key is 0x00BBGGRR; the section's pixels are 0xAARRGGBB.
  const uint32_t keyed = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
  const bool useKey = flags & ULW_COLORKEY, useAlpha = (flags & ULW_ALPHA) && blend;
  const uint32_t constant = useAlpha ? blend->SourceConstantAlpha : 255;
  const bool perPixel = useAlpha && (blend->AlphaFormat & AC_SRC_ALPHA);
  std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(dib->row(y0 + y)) + x0;
    uint32_t* out = frame.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      uint32_t p = row[x];
      if (useKey && (p & 0xFFFFFF) == keyed) {
        out[x] = 0;
        continue;
      }
      // Per-pixel colours come premultiplied; the constant alpha scales everything.
      uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (!perPixel && useAlpha) {
        uint32_t a = constant;
        r = r * a / 255, g = g * a / 255, b = b * a / 255;
      } else if (perPixel && constant != 255) {
        r = r * constant / 255, g = g * constant / 255, b = b * constant / 255;
      }
      out[x] = (r << 16) | (g << 8) | b;
    }
  }
  // The picture takes the place of the window's own painting, caption rows and all, so
  // it is what the window shows until the next paint.
  {
    std::lock_guard lock(windowLock());
    if (Window* w = findWindow(hwnd)) {
      w->frame = frame;
      w->frameWidth = width;
      w->frameHeight = height;
    }
  }
  return PresentWindow(hwnd, frame.data(), width, height, width * 4);
}

}  // namespace plat::win
