// The stream refill: keeps 0.375 to 0.75 s of data written ahead of the play cursor
// in a one-second ring, follows the play position across ring and data wraps, and
// drains silence after the end until the cursor has passed the last data.
#include <algorithm>
#include <cstring>

#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

// Distance from a to b going forward around a ring of s bytes.
inline std::uint32_t ahead(std::uint32_t a, std::uint32_t b, std::uint32_t s) { return (b + s - a) % s; }

// The two locked regions, written in order.
struct Regions {
  std::uint8_t* p[2];
  std::uint32_t n[2];
  std::uint32_t done;  // bytes written so far
  std::uint32_t total() const { return n[0] + n[1]; }
  std::uint32_t left() const { return total() - done; }
  // Copies up to `bytes` from the converter; returns the bytes read.
  std::uint32_t read(SoundConvert* c, std::uint32_t bytes) {
    std::uint32_t got = 0;
    while (got < bytes && done < total()) {
      const int r = done < n[0] ? 0 : 1;
      const std::uint32_t at = r == 0 ? done : done - n[0];
      const std::uint32_t room = std::min(n[r] - at, bytes - got);
      const int n1 = RunSoundConvert(c, p[r] + at, static_cast<int>(room));
      if (n1 <= 0) break;
      got += static_cast<std::uint32_t>(n1);
      done += static_cast<std::uint32_t>(n1);
      if (static_cast<std::uint32_t>(n1) < room) break;
    }
    return got;
  }
  void silence(std::uint32_t bytes, std::uint8_t value) {
    bytes = std::min(bytes, left());
    while (bytes > 0) {
      const int r = done < n[0] ? 0 : 1;
      const std::uint32_t at = r == 0 ? done : done - n[0];
      const std::uint32_t k = std::min(n[r] - at, bytes);
      std::memset(p[r] + at, value, k);
      done += k;
      bytes -= k;
    }
  }
};

std::uint8_t silenceByte(const SoundHandleRecord* r) { return r->WaveFormat.wBitsPerSample == 8 ? 127 : 0; }

// The queued run a jump at `offset` to `posAfter` continues, or null.
StreamWrap* runContinued(SoundHandleRecord* r, std::uint32_t offset, std::int32_t posAfter) {
  if (r->WrapCount == 0) return nullptr;
  StreamWrap* last = &r->Wraps[(r->WrapHead + r->WrapCount - 1) % kWrapQueueSize];
  if (last->PosAfter != posAfter) return nullptr;
  const std::uint32_t gap = ahead(last->Offset, offset, r->StreamBufferSize);
  if (gap == 0) return nullptr;
  if (last->Repeats == 0) return last;
  return static_cast<std::uint64_t>(last->Period) * (last->Repeats + 1) == gap ? last : nullptr;
}

bool wrapFits(SoundHandleRecord* r, std::uint32_t offset, std::int32_t posAfter) {
  return r->WrapCount < kWrapQueueSize || runContinued(r, offset, posAfter) != nullptr;
}

// Queues a jump; a jump that continues the last run (same target, same spacing) joins
// it, so loops shorter than a refill take one entry however often they repeat.
bool pushWrap(SoundHandleRecord* r, std::uint32_t offset, std::int32_t posAfter) {
  if (StreamWrap* run = runContinued(r, offset, posAfter)) {
    if (run->Repeats == 0) run->Period = ahead(run->Offset, offset, r->StreamBufferSize);
    ++run->Repeats;
    return true;
  }
  if (r->WrapCount >= kWrapQueueSize) return false;
  r->Wraps[(r->WrapHead + r->WrapCount) % kWrapQueueSize] = StreamWrap{offset, posAfter, 0, 0};
  ++r->WrapCount;
  return true;
}

// The current entry gave no more data: repeat it, loop it, go to the next entry, wrap
// to the first, or end. Negative stops the filling for this refill.
int advanceStreamEntry(SoundHandleRecord* r, Regions* regions, std::uint32_t w, std::uint32_t cursor) {
  const std::uint32_t s = r->StreamBufferSize;
  const std::uint32_t offset = (w + regions->done) % s;
  const int b = std::max<int>(1, r->WaveFormat.nBlockAlign);
  StreamSoundEntry* e = &r->Entries[r->CurrentEntry];
  if (e->LoopNum == 255) {
    if (!pushWrap(r, offset, e->LoopStartSamplePosition * b)) return -1;
    ++r->RepeatCounter;
    r->CompFileSize = e->LoopStartSamplePosition * b;
  } else if (++r->RepeatCounter <= static_cast<std::int8_t>(e->LoopNum)) {
    r->CompFileSize = 0;
  } else {
    const bool last = r->CurrentEntry + 1 >= r->EntryCount;
    if (last && r->PlayType == DX_PLAYTYPE_LOOP && !wrapFits(r, offset, 0)) {
      --r->RepeatCounter;
      return -1;
    }
    r->RepeatCounter = 0;
    if (!last) {
      ++r->CurrentEntry;
    } else {
      r->PlayedThrough = 1;
      if (r->PlayType != DX_PLAYTYPE_LOOP) {
        r->EndReached = 1;
        r->EndOffset = offset;
        r->EndCursor = cursor;
        const std::uint32_t c = static_cast<std::uint32_t>((r->WaveFormat.nAvgBytesPerSec / 8) / b * b);
        regions->silence(c, silenceByte(r));  // at most what the regions still hold
        return 0;
      }
      r->CurrentEntry = 0;
      pushWrap(r, offset, 0);
    }
    r->CompFileSize = 0;
  }
  SetSoundConvertPosition(&r->Entries[r->CurrentEntry].Convert, r->CompFileSize / b);
  return 0;
}

void fill(SoundHandleRecord* r, Regions* regions, std::uint32_t w, std::uint32_t cursor) {
  const int b = std::max<int>(1, r->WaveFormat.nBlockAlign);
  int guard = 0;
  while (regions->left() > 0 && !r->EndReached) {
    StreamSoundEntry* e = &r->Entries[r->CurrentEntry];
    std::uint32_t want = regions->left();
    if (e->LoopEndSamplePosition >= 0) {
      const std::int64_t cap = static_cast<std::int64_t>(e->LoopEndSamplePosition) * b - r->CompFileSize;
      want = static_cast<std::uint32_t>(std::clamp<std::int64_t>(cap, 0, want));
    }
    const std::uint32_t got = want > 0 ? regions->read(&e->Convert, want) : 0;
    if (got > 0) {
      r->CompFileSize += static_cast<std::int32_t>(got);
      guard = 0;
      continue;
    }
    // Entries that give nothing at all (an empty source) must not spin.
    if (++guard > 2 * kMaxStreamEntries + 2 || advanceStreamEntry(r, regions, w, cursor) < 0) break;
  }
}

}  // namespace

int ProcessStreamSounds() {
  if (!SoundSys.InitializeFlag.load()) return -1;
  LockSoundHandles(__LINE__);
  CriticalSection_Lock(&SoundSys.StreamListLock, __FILE__, __LINE__);
  for (HandleListNode* n = SoundSys.StreamFirst.Next; n != nullptr && n->Next != nullptr; n = n->Next) {
    auto* r = static_cast<SoundHandleRecord*>(n->Data);
    if (r->Active && HandleASyncLoadCount(&r->Header) == 0) ProcessStreamSoundMem(n->Handle, 0);
  }
  CriticalSection_Unlock(&SoundSys.StreamListLock);
  UnlockSoundHandles();
  return 0;
}

int UpdateStreamSoundPlayPosition(int handle, std::int64_t cursor, int asyncFlag) {
  LockSoundHandles(__LINE__);
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  SoundBuffer* buffer = nullptr;
  if (r == nullptr || !r->StreamFlag || !r->Active || r->WritePosition == kStreamUnfilled ||
      AcquireStreamBuffer(handle, r, &buffer, 0) != 0) {
    UnlockSoundHandles();
    return -1;
  }
  std::uint32_t p = 0;
  if (cursor >= 0) {
    p = static_cast<std::uint32_t>(cursor);
  } else if (SoundBufferFront_GetCurrentPosition(buffer, &p, nullptr) != 0) {
    UnlockSoundHandles();
    return -1;
  }
  const std::uint32_t s = r->StreamBufferSize;
  p %= s;
  std::uint32_t from = r->LastCursor;
  if (p != from) {
    const std::uint32_t moved = ahead(from, p, s);
    std::uint32_t used = 0;
    // Wraps are consumed in the order they were written, once the cursor reached them.
    while (r->WrapCount > 0) {
      const StreamWrap& wrap = r->Wraps[r->WrapHead];
      const std::uint32_t at = ahead(from, wrap.Offset, s);
      if (at == 0 || used + at > moved) break;
      used += at;
      from = wrap.Offset;
      r->PlayPosition = wrap.PosAfter;
      if (wrap.Repeats > 0) {  // the run's next jump
        r->Wraps[r->WrapHead].Offset = (wrap.Offset + wrap.Period) % s;
        --r->Wraps[r->WrapHead].Repeats;
        continue;
      }
      r->WrapHead = (r->WrapHead + 1) % kWrapQueueSize;
      --r->WrapCount;
    }
    r->PlayPosition += static_cast<std::int32_t>(moved - used);
    r->LastCursor = p;
  }
  UnlockSoundHandles();
  return 0;
}

int ProcessStreamSoundMem(int handle, int asyncFlag) {
  LockSoundHandles(__LINE__);
  struct Unlock {
    ~Unlock() { UnlockSoundHandles(); }
  } unlock;
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  SoundBuffer* buffer = nullptr;
  if (r == nullptr || !r->StreamFlag || !r->Active || AcquireStreamBuffer(handle, r, &buffer, 0) != 0) return -1;
  const std::uint32_t s = r->StreamBufferSize;
  const std::uint32_t a = r->WaveFormat.nAvgBytesPerSec;
  const std::uint32_t b = std::max<std::uint32_t>(1, r->WaveFormat.nBlockAlign);
  const std::uint32_t chunk = std::max(b, (a / 8) / b * b);
  const std::uint32_t lead = std::max(b, (a * 192 / 256) / b * b);
  const std::uint32_t threshold = (a * 192 / 256 + b - 1) / b * b;

  UpdateStreamSoundPlayPosition(handle, -1, asyncFlag);

  const int playing = SoundBufferFront_IsPlaying(buffer);
  std::uint32_t p = 0;
  if (r->WritePosition != kStreamUnfilled) SoundBufferFront_GetCurrentPosition(buffer, &p, nullptr);
  p %= s;

  if (r->EndReached) {
    // Ended once the cursor has left [noted cursor, end of data).
    if (ahead(r->EndCursor, p, s) >= ahead(r->EndCursor, r->EndOffset, s)) {
      SoundBufferFront_Stop(buffer, 0);
      r->EndReached = 0;
      r->WrapCount = r->WrapHead = 0;
      r->CurrentEntry = r->RepeatCounter = r->CompFileSize = r->PlayPosition = 0;
      r->Active = 0;
      return 0;
    }
  }

  std::uint32_t w, amount;
  if (r->WritePosition == kStreamUnfilled) {
    if (playing == 1) return -1;
    w = 0;
    amount = std::min(lead, s);
  } else {
    if (playing != 1) return 0;
    w = static_cast<std::uint32_t>(r->WritePosition);
    const std::uint32_t previous = ahead(r->LastRefillCursor, w, s);
    const std::uint32_t moved = ahead(r->LastRefillCursor, p, s);
    if (previous == 0 || moved >= previous) {
      // Underrun: the cursor passed the written data; refill from the cursor on, and
      // the play position follows the data written.
      w = p / b * b;
      r->WrapCount = r->WrapHead = 0;
      r->PlayPosition = r->CompFileSize;
      for (int i = 0; i < r->CurrentEntry; ++i) {
        r->PlayPosition += GetSoundConvertDestSize(&r->Entries[i].Convert);
      }
      r->LastCursor = p;
    } else if (ahead(p, w, s) > threshold) {
      r->LastRefillCursor = p;
      return -1;  // more than 0.75 s ahead: nothing to do
    }
    const std::uint32_t d = ahead(p, w, s);
    const std::uint32_t level = static_cast<std::uint32_t>(static_cast<std::uint64_t>(d) * 512 / std::max(1u, a));
    amount = level < 192 ? static_cast<std::uint32_t>((static_cast<std::uint64_t>(192 - level) * a / 512) / b * b)
                         : chunk;
    amount = std::min(amount, s - d - b);
  }
  r->LastRefillCursor = p;
  if (amount == 0) return 0;
  void* p1 = nullptr;
  void* p2 = nullptr;
  std::uint32_t n1 = 0, n2 = 0;
  if (SoundBufferFront_Lock(buffer, w, amount, &p1, &n1, &p2, &n2) != 0) return -1;
  Regions regions{{static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p2)}, {n1, p2 != nullptr ? n2 : 0}, 0};
  const bool wasEnded = r->EndReached != 0;
  if (wasEnded) {
    regions.silence(amount, silenceByte(r));
  } else {
    fill(r, &regions, w, p);
  }
  SoundBufferFront_Unlock(buffer, p1, n1, p2, n2);
  const std::uint32_t written = regions.done - regions.done % b;
  r->WritePosition = static_cast<std::int32_t>((w + written) % s);
  r->Threshold = static_cast<std::int32_t>((r->WritePosition + s - std::min(threshold, s)) % s);
  return 0;
}

}  // namespace ZaDod
