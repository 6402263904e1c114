// The current frame of a Theora movie as outputs: the 32-bit ARGB image of the
// picture region, the luma and chroma graphs (theora_graphs.cpp), and the fill of a
// locked YUV surface.
#include "media/movie/theora_decoder.h"
#include "media/movie/yuv_tables.h"

namespace ZaDod {

namespace {

// The stock entry of the current data frame, waiting for the thread while it works
// towards it; null when the thread ended or cannot produce the frame.
const TheoraFrameStock* currentEntry(TheoraDecoder* d) {
  for (;;) {
    THEORA_LOCK(d);
    const int state = d->state.load();
    if (state == kTheoraEnded) {
      THEORA_UNLOCK(d);
      return nullptr;
    }
    // A seek that is asked for but not yet taken up still holds the old stock.
    if (state == kTheoraSeeking || d->seekRequest) {
      THEORA_UNLOCK(d);
      Thread_Sleep(1);
      continue;
    }
    for (int i = 0; i < d->stockCount; ++i) {
      const TheoraFrameStock& e = d->stock[i];
      if (e.valid && e.frame == d->currentData) {
        THEORA_UNLOCK(d);
        return e.failed ? nullptr : &e;
      }
    }
    const bool ended = d->endFlag;
    THEORA_UNLOCK(d);
    if (ended) return nullptr;
    Thread_Sleep(0);
  }
}

void convertARGB(TheoraDecoder* d, const TheoraFrameStock* e) {
  const th_info& info = d->info;
  const int xShift = e->lumaWidth > e->chromaWidth ? 1 : 0;
  const int yShift = e->lumaHeight > e->chromaHeight ? 1 : 0;
  YUVRegion region{};
  region.luma = e->luma + std::size_t(info.pic_y) * e->lumaPitch + info.pic_x;
  region.lumaPitch = e->lumaPitch;
  region.chroma = e->chroma;
  region.chromaPitch = e->chromaPitch;
  region.xOffset = static_cast<int>(info.pic_x);
  region.yOffset = static_cast<int>(info.pic_y);
  region.xShift = xShift;
  region.yShift = yShift;
  region.width = static_cast<int>(info.pic_width);
  region.height = static_cast<int>(info.pic_height);
  auto* dest = static_cast<std::uint8_t*>(d->image.pixels);
  if (xShift && yShift)
    ConvertYUVToARGBTable(region, dest, d->image.pitch);
  else
    ConvertYUVToARGBFloat(region, dest, d->image.pitch);
}

}  // namespace

int TheoraMovie_UpdateImage(TheoraDecoder* d, int wantARGB, int wantGraphs, int, int) {
  // The surface a device's movie texture would be has no supplier in this system (see
  // TheoraMovie_GetHardwareSurface), so only the image and the graphs are made here.
  THEORA_LOCK(d);
  bool argb = wantARGB && !d->outputDone[kTheoraOutARGB];
  // Graphs deleted behind the movie's back (a delete of every graph) are made again.
  bool graphs = wantGraphs && !d->noGraph && (!d->outputDone[kTheoraOutGraphs] || d->yGraph == -1 || d->uvGraph == -1);
  THEORA_UNLOCK(d);
  if (!argb && !graphs) return 0;
  const TheoraFrameStock* e = currentEntry(d);
  if (e == nullptr) return 0;
  // The entry of the current frame stays valid and untouched by the thread until the
  // main thread moves the current frame, which it does not do while converting.
  int done = 0;
  if (graphs && TheoraGraphsUsable(d, e)) {
    if (TheoraTransferGraphs(d, e)) {
      THEORA_LOCK(d);
      d->outputDone[kTheoraOutGraphs] = 1;
      THEORA_UNLOCK(d);
      done = 1;
    }
  }
  if (argb) {
    convertARGB(d, e);
    THEORA_LOCK(d);
    d->outputDone[kTheoraOutARGB] = 1;
    THEORA_UNLOCK(d);
    done = 1;
  }
  return done;
}

int TheoraMovie_FillSurface(TheoraDecoder* d, std::uint32_t fourCC, std::uint8_t* dest, int pitch) {
  const TheoraFrameStock* e = currentEntry(d);
  if (e == nullptr) return -1;
  const th_info& info = d->info;
  const int w = static_cast<int>(info.pic_width), h = static_cast<int>(info.pic_height);
  const int px = static_cast<int>(info.pic_x), py = static_cast<int>(info.pic_y);
  // Every surface layout here carries one chroma sample per 2 x 2 pixels.
  if (e->lumaWidth != e->chromaWidth * 2 || e->lumaHeight != e->chromaHeight * 2) return -1;
  const auto luma = [&](int x, int y) { return e->luma[std::size_t(y + py) * e->lumaPitch + x + px]; };
  const auto chroma = [&](int x, int y, int v) {
    return e->chroma[std::size_t((y + py) >> 1) * e->chromaPitch + ((x + px) >> 1) * 2 + v];
  };
  if (fourCC == kFourCCYV12) {
    const int half = pitch / 2;
    std::uint8_t* vPlane = dest + std::size_t(pitch) * h;
    std::uint8_t* uPlane = vPlane + std::size_t(half) * (h / 2);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) dest[std::size_t(y) * pitch + x] = luma(x, y);
    for (int y = 0; y < h / 2; ++y)
      for (int x = 0; x < w / 2; ++x) {
        vPlane[std::size_t(y) * half + x] = chroma(2 * x, 2 * y, 1);
        uPlane[std::size_t(y) * half + x] = chroma(2 * x, 2 * y, 0);
      }
  } else if (fourCC == kFourCCYUY2 || fourCC == kFourCCUYVY) {
    const bool yFirst = fourCC == kFourCCYUY2;
    for (int y = 0; y < h; ++y) {
      std::uint8_t* out = dest + std::size_t(y) * pitch;
      for (int x = 0; x + 1 < w; x += 2, out += 4) {
        const std::uint8_t y0 = luma(x, y), y1 = luma(x + 1, y), u = chroma(x, y, 0), v = chroma(x, y, 1);
        if (yFirst) {
          out[0] = y0, out[1] = u, out[2] = y1, out[3] = v;
        } else {
          out[0] = u, out[1] = y0, out[2] = v, out[3] = y1;
        }
      }
    }
  } else {
    return -1;
  }
  THEORA_LOCK(d);
  d->outputDone[kTheoraOutSurface] = 1;
  THEORA_UNLOCK(d);
  return 0;
}

BaseImage* TheoraMovie_GetBaseImage(TheoraDecoder* d) {
  TheoraMovie_UpdateImage(d, 1, 0, 0, 0);
  return &d->image;
}

}  // namespace ZaDod
