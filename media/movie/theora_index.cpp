// Reading an Ogg Theora stream: pages and packets of the movie stream, the three
// headers, and the index made once at open (pages, key frames, time map).
#include <algorithm>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/movie/theora_decoder.h"

namespace ZaDod {

namespace {

constexpr int kReadBlock = 4096;
// Time frames one granule position may add beyond the packets seen: a damaged granule
// must not make the map grow without bound.
constexpr std::int64_t kMaxTimeGap = 1 << 16;
constexpr std::int64_t kMaxTimeFrames = 1 << 24;

// 1 when bytes came in, 0 at the end of the data.
int readBlock(TheoraDecoder* d) {
  char* buffer = ogg_sync_buffer(&d->sync, kReadBlock);
  if (buffer == nullptr) return 0;
  const std::size_t got = d->stream.ReadShred.Read(buffer, 1, kReadBlock, d->stream.DataPoint);
  ogg_sync_wrote(&d->sync, static_cast<long>(got));
  return got > 0 ? 1 : 0;
}

// The next whole page into d->page: 1, or 0 at the end of the data. Bytes skipped to
// regain the page framing count toward the byte position.
int nextPage(TheoraDecoder* d) {
  for (;;) {
    const long n = ogg_sync_pageseek(&d->sync, &d->page);
    if (n > 0) {
      d->pageStart = d->streamPos;
      d->streamPos += n;
      return 1;
    }
    if (n < 0) {
      d->streamPos -= n;
      continue;
    }
    if (!readBlock(d)) return 0;
  }
}

// Grows a block to hold at least count elements; false when out of memory.
template <typename T>
bool reserve(T** block, int* capacity, std::int64_t count) {
  if (count <= *capacity) return true;
  std::int64_t grown = std::max<std::int64_t>(count, std::int64_t{*capacity} * 2);
  if (grown > kMaxTimeFrames + kMaxTimeGap) grown = count;
  void* moved = MemRealloc(*block, static_cast<std::size_t>(grown) * sizeof(T), __FILE__, __LINE__);
  if (moved == nullptr) return false;
  *block = static_cast<T*>(moved);
  *capacity = static_cast<int>(grown);
  return true;
}

}  // namespace

int TheoraReadPacket(TheoraDecoder* d) {
  for (;;) {
    const int got = ogg_stream_packetout(&d->os, &d->packet);
    if (got > 0) return 1;
    if (got < 0) continue;  // a gap in the data: take what follows
    if (!nextPage(d)) return 0;
    if (ogg_page_serialno(&d->page) != d->serial) continue;
    if (ogg_stream_pagein(&d->os, &d->page) == 0) d->pageBegan = 1;
  }
}

void TheoraRewind(TheoraDecoder* d, std::uint32_t offset) {
  d->stream.ReadShred.Seek(d->stream.DataPoint, offset, FileSeekSet);
  ogg_sync_reset(&d->sync);
  ogg_stream_reset(&d->os);
  d->streamPos = offset;
  d->pageBegan = 0;
}

int TheoraReadHeaders(TheoraDecoder* d) {
  // Every stream starts with its first page before any stream goes on; the first one
  // whose first packet is a Theora header is the movie.
  while (d->headerCount == 0) {
    if (!nextPage(d) || !ogg_page_bos(&d->page)) return -1;
    ogg_stream_state test;
    if (ogg_stream_init(&test, ogg_page_serialno(&d->page)) != 0) return -1;
    ogg_packet packet;
    if (ogg_stream_pagein(&test, &d->page) == 0 && ogg_stream_packetout(&test, &packet) == 1 &&
        th_decode_headerin(&d->info, &d->comment, &d->setup, &packet) > 0) {
      d->os = test;
      d->osReady = 1;
      d->serial = ogg_page_serialno(&d->page);
      d->headerCount = 1;
    } else {
      ogg_stream_clear(&test);
    }
  }
  while (d->headerCount < 3) {
    const int got = ogg_stream_packetout(&d->os, &d->packet);
    if (got < 0) return -1;
    if (got == 0) {
      if (!nextPage(d)) return -1;
      if (ogg_page_serialno(&d->page) == d->serial) ogg_stream_pagein(&d->os, &d->page);
      continue;
    }
    if (th_decode_headerin(&d->info, &d->comment, &d->setup, &d->packet) <= 0) return -1;
    ++d->headerCount;
  }
  return 0;
}

int TheoraBuildIndex(TheoraDecoder* d) {
  std::int64_t dataFrame = 0, timeFrame = 0;
  d->pageBegan = 0;
  while (TheoraReadPacket(d)) {
    const int key = th_packet_iskeyframe(&d->packet);
    if (key < 0) continue;  // a header packet, not a frame
    if (dataFrame >= kMaxTimeFrames) break;
    if (d->packet.granulepos >= 0) {
      // The granule names the frame the packet starts at, so a regular stream maps
      // time frame i to data frame i.
      const std::int64_t start = th_granule_frame(d->ctx, d->packet.granulepos);
      if (start >= 0 && start <= timeFrame + kMaxTimeGap) timeFrame = start;
    }
    if (d->pageBegan || d->pageCount == 0) {
      if (!reserve(&d->pages, &d->pageCapacity, d->pageCount + 1)) {
        LogAddTextUtf16(u"Theora ページ情報格納用メモリの確保に失敗しました\n");
        return -1;
      }
      d->pages[d->pageCount++] = TheoraPageEntry{static_cast<std::uint32_t>(d->pageStart),
                                                 static_cast<std::int32_t>(dataFrame), 0, 0};
      d->pageBegan = 0;
    }
    if (!reserve(&d->keyFlags, &d->keyCapacity, dataFrame + 1)) {
      LogAddTextUtf16(u"Theora キーフレーム情報格納用メモリの確保に失敗しました\n");
      return -1;
    }
    d->keyFlags[dataFrame] = key == 1 ? 1 : 0;
    if (timeFrame >= kMaxTimeFrames) timeFrame = kMaxTimeFrames - 1;
    if (!reserve(&d->timeMap, &d->timeCapacity, timeFrame + 1)) {
      LogAddTextUtf16(u"Theora タイムフレームとデータフレーム対応情報格納用メモリの確保に失敗しました\n");
      return -1;
    }
    while (d->timeCount <= timeFrame) d->timeMap[d->timeCount++] = static_cast<std::int32_t>(dataFrame);
    ++dataFrame;
    ++timeFrame;
    ++d->pages[d->pageCount - 1].frameCount;
  }
  d->dataFrames = dataFrame;
  if (d->pageCount > 0) d->pages[0].offset = 0;
  return 0;
}

}  // namespace ZaDod
