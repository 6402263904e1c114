// The current frame of a Theora movie as outputs: the 32-bit ARGB image of the
// picture region (the luma and chroma graphs and the device surface have no user here).
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

}  // namespace

int TheoraMovie_UpdateImage(TheoraDecoder* d, int wantARGB, int wantGraphs, int wantSurface, int) {
  (void)wantGraphs;
  (void)wantSurface;
  // The luma and chroma graphs feed the device-side conversion filter and the surface a
  // device's movie texture; neither has a user in this system, so only ARGB is made.
  if (!wantARGB) return 0;
  THEORA_LOCK(d);
  const bool done = d->outputDone[kTheoraOutARGB] != 0;
  THEORA_UNLOCK(d);
  if (done) return 0;
  const TheoraFrameStock* e = currentEntry(d);
  if (e == nullptr) return 0;
  // The entry of the current frame stays valid and untouched by the thread until the
  // main thread moves the current frame, which it does not do while converting.
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
  THEORA_LOCK(d);
  d->outputDone[kTheoraOutARGB] = 1;
  THEORA_UNLOCK(d);
  return 1;
}

BaseImage* TheoraMovie_GetBaseImage(TheoraDecoder* d) {
  TheoraMovie_UpdateImage(d, 1, 0, 0, 0);
  return &d->image;
}

}  // namespace ZaDod
