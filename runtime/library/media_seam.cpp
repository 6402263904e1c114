// TEMPORARY SEAM (media fronts): see media_seam.h.
#include "runtime/library/media_seam.h"

#include "media/graphics/font/font.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mem_img.h"

namespace kv::media {

int ClearDrawTarget() {
  using namespace ZaDod;
  if (!GraphicsSys.started) return -1;
  const int target = GraphicsDrawSettings.targets[0].handle;
  // Only the screens are cleared here; graph targets wait for the drawing front.
  if (target >= 0) return 0;
  const DrawSettings& s = GraphicsDrawSettings;
  FillMemImg(&GraphicsSys.mainScreen, nullptr,
             PackScreenColor(s.backgroundRed, s.backgroundGreen, s.backgroundBlue));
  return 0;
}

int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle) {
  return ZaDod::CreateFontHandle(name, size, thickness, fontType, charSet, edgeSize, italic, handle);
}

}  // namespace kv::media
