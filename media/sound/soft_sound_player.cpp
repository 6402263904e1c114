// The soft-sound player refill: queued wave bytes are copied into each started
// player's looping buffer just ahead of its play cursor, silence when the queue is
// empty, and the end of the data is noted once.
#include <algorithm>
#include <cstring>

#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

// True when the cursor moved past `offset` going from `from` to `to` in a ring of `size`.
bool passed(std::uint32_t from, std::uint32_t to, std::uint32_t offset, std::uint32_t size) {
  const std::uint32_t moved = (to + size - from) % size;
  const std::uint32_t target = (offset + size - from) % size;
  return moved != 0 && target <= moved;
}

void fillSilence(void* p, std::uint32_t bytes, const pa::WAVEFORMATEX& f) {
  // Float players write 0.0, whose bytes are zero like 16-bit silence.
  std::memset(p, f.wBitsPerSample == 8 ? 127 : 0, bytes);
}

void refillPlayer(SoftSoundHandleRecord* r) {
  if (!r->Started || r->PauseFlag) return;
  const std::uint32_t size = r->BufferBytes;
  const std::uint32_t block = r->Format.nBlockAlign;
  std::uint32_t play = 0, write = 0;
  if (SoundBufferFront_GetCurrentPosition(&r->Buffer, &play, &write) != 0) return;
  play %= size;
  if (r->EndOffset >= 0 && !r->Ended) {
    if (passed(r->EndCursor, play, static_cast<std::uint32_t>(r->EndOffset), size)) {
      r->Ended = 1;
    } else {
      r->EndCursor = play;
    }
  }
  const std::uint32_t w = r->WritePosition;
  const std::uint32_t t = (w + size - r->Lead) % size;
  // Only when the cursor lies between the threshold and the write position.
  const std::uint32_t window = (w + size - t) % size;
  const std::uint32_t intoWindow = (play + size - t) % size;
  if (intoWindow > window) return;
  const std::uint32_t amount = std::min(size, r->Lead + intoWindow) / block;
  if (amount == 0) return;
  const std::uint32_t data = std::min<std::uint32_t>(amount, static_cast<std::uint32_t>(r->QueuedSamples));
  void *p1, *p2;
  std::uint32_t b1, b2;
  if (SoundBufferFront_Lock(&r->Buffer, w, amount * block, &p1, &b1, &p2, &b2) != 0) return;
  const std::uint32_t dataBytes = data * block;
  if (data < amount && r->EndOffset < 0) {
    r->EndOffset = static_cast<std::int32_t>((w + dataBytes) % size);
    r->EndCursor = play;
    r->Ended = 0;
  } else if (data > 0 && r->Ended) {
    r->Ended = 0;
    r->EndCursor = 0;
    r->EndOffset = -1;
  }
  const std::uint32_t first = std::min(dataBytes, b1);
  if (first > 0) RingBufferRead(&r->Queue, p1, static_cast<int>(first), 0);
  if (b1 > first) fillSilence(static_cast<std::uint8_t*>(p1) + first, b1 - first, r->Format);
  const std::uint32_t second = std::min(dataBytes - first, b2);
  if (second > 0) RingBufferRead(&r->Queue, p2, static_cast<int>(second), 0);
  if (b2 > second) fillSilence(static_cast<std::uint8_t*>(p2) + second, b2 - second, r->Format);
  SoundBufferFront_Unlock(&r->Buffer, p1, b1, p2, b2);
  r->QueuedSamples -= static_cast<std::int32_t>(data);
  r->WritePosition = (w + amount * block) % size;
}

}  // namespace

int ProcessSoftSoundPlayers() {
  if (!SoundSys.InitializeFlag.load()) return -1;
  ForEachSoftSoundPlayer(refillPlayer);
  return 0;
}

}  // namespace ZaDod
