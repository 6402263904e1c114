// Opening and closing a Theora movie, and what the movie handles read of it.
#include <cstring>
#include <new>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/movie/theora_decoder.h"

namespace ZaDod {

namespace {

constexpr int kFirstCapacity = 1000;
// The largest picture a movie may have: beyond it the frame buffers of a damaged
// header would take more memory than any real movie needs.
constexpr std::int64_t kMaxFramePixels = 4096 * 2304;

template <typename T>
bool allocFirst(T** block, int* capacity, const char16_t* failure) {
  *block = static_cast<T*>(MemAlloc(kFirstCapacity * sizeof(T), __FILE__, __LINE__));
  if (*block == nullptr) {
    LogAddTextUtf16(failure);
    return false;
  }
  *capacity = kFirstCapacity;
  return true;
}

bool setUp(TheoraDecoder* d, int stockCount, int postFlag) {
  if (TheoraReadHeaders(d) != 0) return false;
  const th_info& info = d->info;
  // A frame rate outside a frame every 1000 s to 1000 frames a second is a damaged
  // header: the times and lengths computed from it would leave every integer range.
  if (info.fps_numerator == 0 || info.fps_denominator == 0 ||
      std::uint64_t{info.fps_numerator} * 1000 < info.fps_denominator ||
      std::uint64_t{info.fps_numerator} > std::uint64_t{info.fps_denominator} * 1000 ||
      std::int64_t{info.frame_width} * info.frame_height > kMaxFramePixels || info.pic_width == 0 ||
      info.pic_height == 0 || info.pic_x + std::int64_t{info.pic_width} > info.frame_width ||
      info.pic_y + std::int64_t{info.pic_height} > info.frame_height)
    return false;
  THEORA_LOCK(d);
  d->ctx = th_decode_alloc(&d->info, d->setup);
  THEORA_UNLOCK(d);
  if (d->ctx == nullptr) return false;
  d->frameDuration = 1.0 / (double(info.fps_numerator) / info.fps_denominator);
  TheoraRewind(d, 0);
  if (!allocFirst(&d->pages, &d->pageCapacity, u"Theora ページ情報格納用メモリの確保に失敗しました\n") ||
      !allocFirst(&d->keyFlags, &d->keyCapacity, u"Theora キーフレーム情報格納用メモリの確保に失敗しました\n") ||
      !allocFirst(&d->timeMap, &d->timeCapacity,
                  u"Theora タイムフレームとデータフレーム対応情報格納用メモリの確保に失敗しました\n"))
    return false;
  if (TheoraBuildIndex(d) != 0 || d->dataFrames <= 0 || d->timeCount <= 0) return false;
  TheoraMovie_ReleaseSurface(d, postFlag);
  // The image holds the picture region only: the coded frame's padding is never shown.
  if (CreateARGB8ColorBaseImage(static_cast<int>(info.pic_width), static_cast<int>(info.pic_height), &d->image) != 0) {
    LogAddTextUtf16(u"Theora ムービーデコードフレームストック用画像バッファの確保に失敗しました\n");
    return false;
  }
  d->yGraph = d->uvGraph = -1;
  d->stock = static_cast<TheoraFrameStock*>(MemCalloc(sizeof(TheoraFrameStock) * stockCount, __FILE__, __LINE__));
  if (d->stock == nullptr) {
    LogAddTextUtf16(u"Theora ムービーデコードフレームストック用のメモリ確保に失敗しました\n");
    return false;
  }
  d->stockCount = stockCount;
  if (TheoraStartThread(d) != 0) {
    LogAddTextUtf16(u"Theora ムービーデコード用スレッドの作成に失敗しました\n");
    return false;
  }
  return true;
}

}  // namespace

TheoraDecoder* TheoraMovie_Open(const StreamData* stream, int stockCount, int setting, int noGraph, int postFlag) {
  char magic[4] = {};
  if (stream->ReadShred.Read(magic, 1, 4, stream->DataPoint) != 4 || std::memcmp(magic, "OggS", 4) != 0) return nullptr;
  stream->ReadShred.Seek(stream->DataPoint, 0, FileSeekSet);
  void* block = MemCalloc(sizeof(TheoraDecoder), __FILE__, __LINE__);
  if (block == nullptr) {
    LogAddTextUtf16(u"Theora ムービーデコード処理用のメモリ確保に失敗しました\n");
    return nullptr;
  }
  auto* d = new (block) TheoraDecoder();
  CriticalSection_Initialize(&d->lock);
  d->currentTime = d->currentData = -1;
  d->decodedCounter = -1;
  d->setting = setting;
  d->noGraph = noGraph;
  d->yGraph = d->uvGraph = -1;
  d->stream = *stream;
  ogg_sync_init(&d->sync);
  th_info_init(&d->info);
  th_comment_init(&d->comment);
  if (!setUp(d, stockCount < 1 ? 1 : stockCount, postFlag)) {
    TheoraMovie_Close(d);
    return nullptr;
  }
  TheoraMovie_SeekFrame(d, 0);
  THEORA_LOCK(d);
  d->started = 1;
  THEORA_UNLOCK(d);
  // Only the image at open: the open may run in a loading task, and the graphs are made
  // by the first transfer into a texture graph, on the main thread.
  TheoraMovie_UpdateImage(d, 1, 0, 1, postFlag);
  return d;
}

int TheoraMovie_Close(TheoraDecoder* d) {
  if (d == nullptr) return 0;
  TheoraStopThread(d);
  for (int i = 0; i < d->stockCount; ++i) {
    MemFree(d->stock[i].luma);
    MemFree(d->stock[i].chroma);
  }
  MemFree(d->stock);
  TheoraReleaseGraphs(d);
  TheoraMovie_ReleaseSurface(d, 0);
  MemFree(d->pages);
  MemFree(d->keyFlags);
  MemFree(d->timeMap);
  ReleaseBaseImage(&d->image);
  if (d->ctx != nullptr) th_decode_free(d->ctx);
  th_setup_free(d->setup);
  if (d->osReady) ogg_stream_clear(&d->os);
  ogg_sync_clear(&d->sync);
  th_info_clear(&d->info);
  th_comment_clear(&d->comment);
  CriticalSection_Delete(&d->lock);
  d->~TheoraDecoder();
  MemFree(d);
  return 0;
}

int TheoraMovie_GetCurrentFrame(TheoraDecoder* d) {
  THEORA_LOCK(d);
  const int frame = d->currentTime;
  THEORA_UNLOCK(d);
  return frame;
}

int TheoraMovie_GetInfo(TheoraDecoder* d, TheoraMovieInfo* out) {
  out->framesPerSecond = double(d->info.fps_numerator) / d->info.fps_denominator;
  out->frameCount = d->timeCount;
  out->width = static_cast<int>(d->info.pic_width);
  out->height = static_cast<int>(d->info.pic_height);
  return 0;
}

int TheoraMovie_GetYGraph(TheoraDecoder* d) { return d->yGraph; }
int TheoraMovie_GetUVGraph(TheoraDecoder* d) { return d->uvGraph; }
// Nothing in this system supplies a device surface for movies.
void* TheoraMovie_GetHardwareSurface(TheoraDecoder*) { return nullptr; }

int TheoraMovie_RequestSurfaceRefresh(TheoraDecoder* d) {
  d->surfaceLost = 1;
  // A device reset leaves the luma and chroma graphs empty: upload the frame again.
  THEORA_LOCK(d);
  d->outputDone[kTheoraOutGraphs] = 0;
  THEORA_UNLOCK(d);
  return 0;
}

int TheoraMovie_ReleaseSurface(TheoraDecoder* d, int) {
  d->surface = nullptr;
  d->surfacePresent = 0;
  d->surfaceFourCC = 0;
  d->surfaceLost = 0;
  return 0;
}

}  // namespace ZaDod
