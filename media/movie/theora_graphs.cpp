// The current frame of a Theora movie as a luma graph and a chroma graph, for graphs
// held in textures that the device fills with its Y/UV-to-RGB filter.
#include "media/base/handle.h"
#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hardware_types.h"
#include "media/movie/theora_decoder.h"
#include "media/movie/yuv_tables.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

int shiftOf(int full, int part) { return full > part ? 1 : 0; }

// An empty graph without alpha for one staging image; its handle field turns -1 when
// the graph goes, so a graph deleted behind the movie's back is made again.
bool makeGraph(int* field, const BaseImage& image) {
  if (*field != -1 && GetGraphData(*field) != nullptr) return true;
  SetupGraphParam param;
  InitSetupGraphParam(&param, 32, 0, 0);
  const int handle = MakeGraphFromParam(&param, image.width, image.height, 0, 0, 0, 0);
  if (handle == -1) {
    *field = -1;
    return false;
  }
  *field = handle;
  SetDeleteHandleFlag(handle, field);
  return true;
}

bool makeStaging(BaseImage* image, int width, int height) {
  if (image->pixels != nullptr && image->width == width && image->height == height) return true;
  ReleaseBaseImage(image);
  *image = BaseImage{};
  return CreateXRGB8ColorBaseImage(width, height, image) == 0;
}

}  // namespace

bool TheoraGraphsUsable(const TheoraDecoder* d, const TheoraFrameStock* e) {
  if (d->noGraph || Graphics_Hardware_GetShaderModelVersion() < 200) return false;
  // Only the Direct3D 11 back end runs the conversion filter so far; on Direct3D 9 the
  // frame goes up as an ARGB image.
  if (GraphicsApiType != kGraphicsApiD3D11) return false;
  // The filter reads chroma sample (x >> s, y >> s) for pixel (x, y) of the graph: the
  // region must start and end on a whole chroma sample.
  const int xs = shiftOf(e->lumaWidth, e->chromaWidth), ys = shiftOf(e->lumaHeight, e->chromaHeight);
  const th_info& info = d->info;
  const unsigned xm = (1u << xs) - 1, ym = (1u << ys) - 1;
  return ((info.pic_x | info.pic_width) & xm) == 0 && ((info.pic_y | info.pic_height) & ym) == 0;
}

bool TheoraTransferGraphs(TheoraDecoder* d, const TheoraFrameStock* e) {
  const th_info& info = d->info;
  const int w = static_cast<int>(info.pic_width), h = static_cast<int>(info.pic_height);
  const int px = static_cast<int>(info.pic_x), py = static_cast<int>(info.pic_y);
  const int xs = shiftOf(e->lumaWidth, e->chromaWidth), ys = shiftOf(e->lumaHeight, e->chromaHeight);
  const int cw = w >> xs, ch = h >> ys;
  if (!makeStaging(&d->yImage, w, h) || !makeStaging(&d->uvImage, cw, ch)) return false;
  // Y goes to the blue byte (copied to green and red, so the graph reads as grey); U to
  // blue and V to green: the bytes the conversion filter reads. Both widened to full range.
  const std::uint8_t* fullY = YUVFullRange.luma;
  const std::uint8_t* fullC = YUVFullRange.chroma;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = e->luma + std::size_t(y + py) * e->lumaPitch + px;
    auto* dest = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(d->yImage.pixels) +
                                                  std::size_t(y) * d->yImage.pitch);
    for (int x = 0; x < w; ++x) dest[x] = 0xFF000000u | std::uint32_t(fullY[src[x]]) * 0x010101u;
  }
  for (int y = 0; y < ch; ++y) {
    const std::uint8_t* src = e->chroma + std::size_t(y + (py >> ys)) * e->chromaPitch + std::size_t(px >> xs) * 2;
    auto* dest = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(d->uvImage.pixels) +
                                                  std::size_t(y) * d->uvImage.pitch);
    for (int x = 0; x < cw; ++x)
      dest[x] = 0xFF000000u | std::uint32_t(fullC[src[2 * x + 1]]) << 8 | fullC[src[2 * x]];
  }
  if (!makeGraph(&d->yGraph, d->yImage) || !makeGraph(&d->uvGraph, d->uvImage)) {
    TheoraReleaseGraphs(d);
    return false;
  }
  const ImageRect yRect{0, 0, w, h}, uvRect{0, 0, cw, ch};
  return BltBaseImageToGraph(&yRect, 0, 0, d->yGraph, &d->yImage, nullptr, 0, 0) == 0 &&
         BltBaseImageToGraph(&uvRect, 0, 0, d->uvGraph, &d->uvImage, nullptr, 0, 0) == 0;
}

void TheoraReleaseGraphs(TheoraDecoder* d) {
  // Deleting a graph sets its field to -1 through the delete flag.
  if (d->yGraph != -1) DeleteAnyHandle(d->yGraph);
  if (d->uvGraph != -1) DeleteAnyHandle(d->uvGraph);
  d->yGraph = d->uvGraph = -1;
  ReleaseBaseImage(&d->yImage);
  ReleaseBaseImage(&d->uvImage);
  d->yImage = d->uvImage = BaseImage{};
}

}  // namespace ZaDod
