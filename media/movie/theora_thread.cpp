// The decode thread of a Theora movie: one step at a time it keeps the frame stock
// filled from the current data frame on, re-positions the stream for seeks and wraps,
// and answers pause and quit requests. Also the main thread's moves of the current frame.
#include <algorithm>
#include <cstring>

#include "media/base/clock.h"
#include "media/base/memory.h"
#include "media/movie/theora_decoder.h"
#include "platform/win/sync.h"

namespace ZaDod {

namespace {

bool inStock(const TheoraDecoder* d, std::int32_t frame) {
  for (int i = 0; i < d->stockCount; ++i)
    if (d->stock[i].valid && d->stock[i].frame == frame) return true;
  return false;
}

void clearStock(TheoraDecoder* d) {
  for (int i = 0; i < d->stockCount; ++i) d->stock[i].valid = d->stock[i].failed = 0;
}

// Distance from the current data frame to frame, going forward and wrapping.
std::int64_t aheadOf(const TheoraDecoder* d, std::int32_t frame) {
  std::int64_t ahead = std::int64_t{frame} - d->currentData;
  if (ahead < 0) ahead += d->dataFrames;
  return ahead;
}

bool ensurePlane(std::uint8_t** plane, std::size_t bytes, std::size_t oldBytes) {
  if (*plane != nullptr && bytes == oldBytes) return true;
  MemFree(*plane);
  *plane = static_cast<std::uint8_t*>(MemAlloc(bytes, __FILE__, __LINE__));
  return *plane != nullptr;
}

// Copies the decoder's picture into the free stock entry (outside the lock: the entry
// is invalid, so nothing else reads it). False when a plane cannot be allocated.
bool storePicture(TheoraDecoder* d, TheoraFrameStock* e) {
  th_ycbcr_buffer buffer;
  if (th_decode_ycbcr_out(d->ctx, buffer) != 0) return false;
  const int lw = buffer[0].width, lh = buffer[0].height;
  const int cw = buffer[1].width, ch = buffer[1].height;
  const std::size_t oldLuma = std::size_t(e->lumaPitch) * e->lumaHeight;
  const std::size_t oldChroma = std::size_t(e->chromaPitch) * e->chromaHeight;
  const bool ok = ensurePlane(&e->luma, std::size_t(lw) * lh, e->luma ? oldLuma : 0) &&
                  ensurePlane(&e->chroma, std::size_t(cw) * 2 * ch, e->chroma ? oldChroma : 0);
  if (!ok) {
    MemFree(e->luma);
    MemFree(e->chroma);
    e->luma = e->chroma = nullptr;
    e->lumaPitch = e->lumaHeight = e->chromaPitch = e->chromaHeight = 0;
    return false;
  }
  e->lumaWidth = lw, e->lumaHeight = lh, e->lumaPitch = lw;
  e->chromaWidth = cw, e->chromaHeight = ch, e->chromaPitch = cw * 2;
  for (int y = 0; y < lh; ++y)
    std::memcpy(e->luma + std::size_t(y) * lw, buffer[0].data + std::ptrdiff_t(y) * buffer[0].stride, lw);
  for (int y = 0; y < ch; ++y) {
    const unsigned char* cb = buffer[1].data + std::ptrdiff_t(y) * buffer[1].stride;
    const unsigned char* cr = buffer[2].data + std::ptrdiff_t(y) * buffer[2].stride;
    std::uint8_t* uv = e->chroma + std::size_t(y) * e->chromaPitch;
    for (int x = 0; x < cw; ++x) {
      uv[2 * x] = cb[x];
      uv[2 * x + 1] = cr[x];
    }
  }
  return true;
}

void threadMain(ThreadRecord*, void* parameter) {
  auto* d = static_cast<TheoraDecoder*>(parameter);
  for (;;) {
    if (TheoraMovie_DecodeStep(d) == 2) return;
    Thread_Sleep(d->state.load() != kTheoraIdle ? 0 : 1);
  }
}

// Rewinds to the start and takes in packets up to and including target; the counter
// then names target. False when the data ends first.
bool repositionTo(TheoraDecoder* d, std::int32_t target) {
  TheoraRewind(d, 0);
  d->readFrame = 0;
  return TheoraMovie_SkipFrames(d, target + 1) >= 0;
}

}  // namespace

int TheoraMovie_SkipFrames(TheoraDecoder* d, int count) {
  // Only the last key frame among the frames to take in, and what follows it, need
  // decoding: a key frame depends on nothing before it.
  std::int64_t decodeFrom = d->readFrame;
  for (std::int64_t f = d->readFrame; f < d->readFrame + std::int64_t{count} && f < d->dataFrames; ++f)
    if (d->keyFlags[f]) decodeFrom = f;
  int lastKey = 0;
  for (int i = 0; i < count; ++i) {
    bool got = false;
    while (TheoraReadPacket(d)) {
      if (th_packet_iskeyframe(&d->packet) >= 0) {  // header packets are neither frames nor counted
        got = true;
        break;
      }
    }
    if (!got) return -1;
    if (d->readFrame >= decodeFrom) {
      th_decode_packetin(d->ctx, &d->packet, nullptr);
    } else if (d->packet.granulepos >= 0) {
      ogg_int64_t granule = d->packet.granulepos;
      th_decode_ctl(d->ctx, TH_DECCTL_SET_GRANPOS, &granule, sizeof(granule));
    }
    lastKey = th_packet_iskeyframe(&d->packet) == 1 ? 1 : 0;
    ++d->readFrame;
  }
  return lastKey;
}

int TheoraMovie_DecodeStep(TheoraDecoder* d) {
  THEORA_LOCK(d);
  if (d->quitRequest) {
    d->state = kTheoraEnded;
    THEORA_UNLOCK(d);
    return 2;
  }
  if (d->pauseRequest) {
    d->state = kTheoraPaused;
    THEORA_UNLOCK(d);
    Thread_Sleep(1);
    return 0;
  }
  if (d->seekRequest) {
    d->state = kTheoraSeeking;
    const std::int32_t target = d->seekTarget;
    THEORA_UNLOCK(d);
    const bool ok = target >= 0 && target < d->dataFrames && repositionTo(d, target);
    THEORA_LOCK(d);
    clearStock(d);
    d->decodedCounter = target;
    d->seekRequest = 0;
    // A target the data does not reach ends the stream rather than leave a waiter.
    d->endFlag = ok ? 0 : 1;
    THEORA_UNLOCK(d);
    return ok ? 0 : -1;
  }
  if (!d->started) {
    THEORA_UNLOCK(d);
    return 0;
  }
  if (!d->endFlag) {
    for (int i = 0; i < d->stockCount; ++i) {
      TheoraFrameStock& e = d->stock[i];
      if (e.valid && aheadOf(d, e.frame) >= d->stockCount) e.valid = e.failed = 0;
    }
  }
  // The frame to make next: the first one of the window that the stock lacks.
  std::int32_t want = -1;
  const std::int64_t window = std::min<std::int64_t>(d->stockCount, d->dataFrames);
  for (std::int64_t k = 0; k < window && want < 0; ++k) {
    const auto frame = static_cast<std::int32_t>((std::int64_t{d->currentData} + k) % d->dataFrames);
    if (!inStock(d, frame)) want = frame;
  }
  TheoraFrameStock* slot = nullptr;
  for (int i = 0; i < d->stockCount && slot == nullptr; ++i)
    if (!d->stock[i].valid) slot = &d->stock[i];
  if (want < 0 || slot == nullptr) {
    if (inStock(d, d->currentData)) {
      if (d->state != kTheoraIdle) d->idleTime = GetMillisecondCount();
      d->state = kTheoraIdle;
    } else {
      clearStock(d);
    }
    THEORA_UNLOCK(d);
    return 0;
  }
  d->state = kTheoraDecoding;
  const std::int32_t counter = d->decodedCounter;
  THEORA_UNLOCK(d);

  // The decoder holds the counter's picture: a wanted frame ahead of it is reached by
  // reading on; one behind it (the movie wrapped, or moved back) by starting again from
  // the first page and taking in packets up to and including it.
  bool reached = true;
  if (want > counter)
    reached = TheoraMovie_SkipFrames(d, want - counter) >= 0;
  else if (want < counter)
    reached = repositionTo(d, want);
  if (!reached) {
    THEORA_LOCK(d);
    d->endFlag = 1;
    THEORA_UNLOCK(d);
    Thread_Sleep(1);
    return 0;
  }
  const bool stored = storePicture(d, slot);
  THEORA_LOCK(d);
  d->decodedCounter = want;
  slot->frame = want;
  slot->failed = stored ? 0 : 1;
  slot->valid = 1;
  THEORA_UNLOCK(d);
  return 0;
}

int TheoraStartThread(TheoraDecoder* d) {
  d->pauseRequest = 1;
  d->state = kTheoraIdle;
  d->idleTime = GetMillisecondCount();
  if (Thread_Create(&d->thread, threadMain, d) != 0) return -1;
  d->hasThread = 1;
  while (Thread_Resume(&d->thread) == 0) Thread_Sleep(0);
  return 0;
}

void TheoraStopThread(TheoraDecoder* d) {
  if (!d->hasThread) return;
  THEORA_LOCK(d);
  d->quitRequest = 1;
  THEORA_UNLOCK(d);
  // The thread's own end, not only its last state, so nothing of it outlives the record.
  plat::win::WaitForSingleObject(d->thread.ThreadHandle, plat::win::INFINITE);
  Thread_Close(&d->thread);
  d->hasThread = 0;
}

int TheoraMovie_AdvanceFrames(TheoraDecoder* d, int count) {
  if (count < 1 || d->timeCount <= 0) return 0;
  THEORA_LOCK(d);
  d->currentTime = static_cast<std::int32_t>((std::int64_t{d->currentTime} + count) % d->timeCount);
  // Time frames that repeat a data frame keep the outputs already made of it.
  const std::int32_t data = d->timeMap[d->currentTime];
  if (data != d->currentData) d->outputDone[0] = d->outputDone[1] = d->outputDone[2] = 0;
  d->currentData = data;
  THEORA_UNLOCK(d);
  return 0;
}

int TheoraMovie_SeekFrame(TheoraDecoder* d, int timeFrame) {
  if (d->timeCount <= 0) return 0;
  const std::int32_t t = timeFrame < 0 ? 0 : timeFrame >= d->timeCount ? d->timeCount - 1 : timeFrame;
  const std::int32_t f = d->timeMap[t];
  THEORA_LOCK(d);
  if (f == d->currentData) {
    d->currentTime = t;  // a repeated frame: the picture stays, the time moves
    THEORA_UNLOCK(d);
    return 0;
  }
  d->outputDone[0] = d->outputDone[1] = d->outputDone[2] = 0;
  d->pauseRequest = 1;
  THEORA_UNLOCK(d);
  while (d->state.load() != kTheoraPaused && d->state.load() != kTheoraEnded) Thread_Sleep(0);
  THEORA_LOCK(d);
  d->currentData = f;
  d->currentTime = t;
  d->seekTarget = f;
  d->seekRequest = 1;
  d->pauseRequest = 0;
  THEORA_UNLOCK(d);
  return 0;
}

}  // namespace ZaDod
