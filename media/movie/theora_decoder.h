// The Theora decoder's record and what its files share: packet reading, the index,
// the decode thread. Internal to media/movie.
#pragma once
#include <ogg/ogg.h>
#include "platform/dynload/theora_api.h"

#include <atomic>
#include <cstdint>

#include "media/base/thread.h"
#include "media/graphics/base_image.h"
#include "media/movie/theora_movie.h"

namespace ZaDod {

struct TheoraPageEntry {
  std::uint32_t offset;     // byte offset of the page
  std::int32_t firstFrame;  // first data frame that starts in it
  std::int32_t reserved;    // 0
  std::int32_t frameCount;  // data frames that start in it
};

struct TheoraFrameStock {
  int valid;
  int failed;  // the planes could not be allocated: the frame cannot be shown
  std::int32_t frame;
  std::uint8_t* luma;
  std::uint8_t* chroma;  // U, V pairs
  int lumaWidth, lumaHeight, lumaPitch;
  int chromaWidth, chromaHeight, chromaPitch;
};

enum TheoraThreadState : int { kTheoraIdle = 0, kTheoraDecoding = 1, kTheoraSeeking = 2, kTheoraEnded = 3,
                               kTheoraPaused = 4 };

struct TheoraDecoder {
  TrackedCriticalSection lock;
  // Shared with the decode thread: read and written under the lock (the state is also
  // polled without it, hence atomic).
  std::atomic<int> state;
  int pauseRequest, quitRequest, seekRequest;
  std::int32_t seekTarget;
  int started;
  int endFlag;
  int idleTime;  // millisecond count at the last move to idle
  std::int32_t currentTime, currentData;
  int outputDone[3];  // ARGB, surface, graphs
  TheoraFrameStock* stock;
  int stockCount;

  ThreadRecord thread;
  int hasThread;

  // Owned by the decode thread once it runs (by the opener before, the closer after).
  StreamData stream;
  ogg_sync_state sync;
  ogg_page page;
  ogg_stream_state os;
  int osReady;
  ogg_packet packet;
  th_info info;
  th_comment comment;
  th_setup_info* setup;
  th_dec_ctx* ctx;
  int headerCount;
  int serial;
  std::int32_t decodedCounter;  // data frame of the last packet taken in
  std::int32_t readFrame;       // data frame of the next packet the stream gives
  std::int64_t streamPos;       // byte offset of the next page the sync state gives
  std::int64_t pageStart;       // byte offset of the last page taken
  int pageBegan;                // a page of the movie stream was taken since the last packet

  // Fixed after the open.
  TheoraPageEntry* pages;
  int pageCount, pageCapacity;
  std::uint8_t* keyFlags;
  int keyCapacity;
  std::int32_t* timeMap;
  int timeCount, timeCapacity;
  std::int64_t dataFrames;
  double frameDuration;

  // Main thread only.
  BaseImage image;  // picture-region ARGB
  int surfacePresent;
  std::uint32_t surfaceFourCC;
  int surfaceLost;
  void* surface;
  int setting, noGraph;
  int yGraph, uvGraph;  // -1 when none; each set to -1 when its graph is deleted
  BaseImage yImage, uvImage;  // staging for the graphs' uploads
};

enum : int { kTheoraOutARGB = 0, kTheoraOutSurface = 1, kTheoraOutGraphs = 2 };

// Reading (theora_index.cpp). Next packet of the movie stream into decoder->packet:
// 1, or 0 at the end of the data.
int TheoraReadPacket(TheoraDecoder* decoder);
// Puts the stream back at byte offset with fresh sync and stream states.
void TheoraRewind(TheoraDecoder* decoder, std::uint32_t offset);
int TheoraReadHeaders(TheoraDecoder* decoder);
int TheoraBuildIndex(TheoraDecoder* decoder);

// The luma and chroma graphs (theora_graphs.cpp). Usable: the device converts Y/UV
// graphs and the picture region's chroma lines up with its pixels.
bool TheoraGraphsUsable(const TheoraDecoder* decoder, const TheoraFrameStock* entry);
// Makes missing graphs and uploads the entry's picture region; false when a graph
// cannot be made or filled.
bool TheoraTransferGraphs(TheoraDecoder* decoder, const TheoraFrameStock* entry);
void TheoraReleaseGraphs(TheoraDecoder* decoder);

// The thread (theora_thread.cpp).
int TheoraMovie_DecodeStep(TheoraDecoder* decoder);
int TheoraMovie_SkipFrames(TheoraDecoder* decoder, int count);
int TheoraStartThread(TheoraDecoder* decoder);
void TheoraStopThread(TheoraDecoder* decoder);

#define THEORA_LOCK(d) CriticalSection_Lock(&(d)->lock, __FILE__, __LINE__)
#define THEORA_UNLOCK(d) CriticalSection_Unlock(&(d)->lock)

}  // namespace ZaDod
