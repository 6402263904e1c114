// A growable byte queue.
#include "media/base/ring_buffer.h"

#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"

namespace ZaDod {

namespace {

constexpr int64_t kSizeLimit = 0x7FFFFFFF;  // the record's fields are 32-bit

void normalise(RingBuffer* ring) {
  if (ring->Start == ring->BufferSize) ring->Start = 0;
  if (ring->End == ring->BufferSize) ring->End = 0;
}

// Copies `size` bytes that start at `from` in the ring, wrapping at its end.
void copyOut(const RingBuffer* ring, int from, int size, unsigned char* out) {
  int first = ring->BufferSize - from;
  if (first >= size) {
    std::memcpy(out, ring->DataBuffer + from, size);
  } else {
    std::memcpy(out, ring->DataBuffer + from, first);
    std::memcpy(out + first, ring->DataBuffer, size - first);
  }
}

}  // namespace

int RingBufferInitialize(RingBuffer* ring) {
  std::memset(ring, 0, sizeof(*ring));
  return 0;
}

int RingBufferTerminate(RingBuffer* ring) {
  MemFree(ring->DataBuffer);
  std::memset(ring, 0, sizeof(*ring));
  return 0;
}

int RingBufferReserve(RingBuffer* ring, uint32_t addSize) {
  normalise(ring);
  int64_t held = ring->DataLength;
  if (static_cast<int64_t>(ring->BufferSize) >= held + addSize) return 0;

  int64_t newSize = held * 3 / 2 + static_cast<int64_t>(addSize) + 1000;
  unsigned char* block = nullptr;
  if (newSize <= kSizeLimit) {
    block = static_cast<unsigned char*>(MemAlloc(static_cast<size_t>(newSize), "ring_buffer.cpp", __LINE__));
  }
  if (block == nullptr) {
    LogFormatUtf16(u"リングバッファの再確保に失敗しました(確保しようとしたサイズ %lld byte)",
                   static_cast<long long>(newSize));
    return -1;
  }

  if (held > 0) copyOut(ring, ring->Start, static_cast<int>(held), block);
  MemFree(ring->DataBuffer);
  ring->DataBuffer = block;
  ring->BufferSize = static_cast<int>(newSize);
  ring->Start = 0;
  ring->End = static_cast<int>(held);
  return 0;
}

int RingBufferRead(RingBuffer* ring, void* buffer, int size, int peek) {
  if (size < 0 || ring->DataLength < size) return -1;
  if (size == 0) return 0;
  normalise(ring);
  copyOut(ring, ring->Start, size, static_cast<unsigned char*>(buffer));
  if (!peek) {
    ring->Start = (ring->Start + size) % ring->BufferSize;
    ring->DataLength -= size;
  }
  return 0;
}

}  // namespace ZaDod
