// The start rule of MPEG audio streams (mpeg_frames.h).
#include "platform/codec/mpeg_frames.h"

#include "platform/codec/mpeg_rates.h"

namespace plat::codec {

std::int64_t mpegFrameLength(const std::uint8_t* h) {
  static const std::int64_t rates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
  const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3;
  const int bitrate = h[2] >> 4, rate = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
  if (version == 1 || layer == 0 || bitrate == 0 || bitrate == 15 || rate == 3) return 0;
  const std::int64_t kbps = kMpegBitRates[version == 3 ? 0 : 1][3 - layer][bitrate - 1];
  const std::int64_t hz = rates[version][rate];
  if (layer == 3) return (12000 * kbps / hz + padding) * 4;
  if (layer == 1 && version != 3) return 72000 * kbps / hz + padding;
  return 144000 * kbps / hz + padding;
}

bool mpegFramesAgree(const std::uint8_t* a, const std::uint8_t* b) {
  return (a[1] & 0xFE) == (b[1] & 0xFE) && (a[2] & 0x0C) == (b[2] & 0x0C);
}

std::int64_t mpegStreamStart(const std::uint8_t* data, std::size_t size, std::uint64_t total) {
  std::uint64_t at = 0;
  if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
    const std::uint64_t body = (data[6] & 0x7Fu) << 21 | (data[7] & 0x7Fu) << 14 | (data[8] & 0x7Fu) << 7 | (data[9] & 0x7Fu);
    at = 10 + body + ((data[5] & 0x10) ? 10 : 0);
  }
  if (at + 4 > size) return -1;
  const std::int64_t length = mpegFrameLength(data + at);
  if (length == 0) return -1;
  const std::uint64_t next = at + static_cast<std::uint64_t>(length);
  const bool ends = next == total || (next + 128 == total && next + 3 <= size && data[next] == 'T' &&
                                      data[next + 1] == 'A' && data[next + 2] == 'G');
  const bool followed = next + 4 <= size && mpegFrameLength(data + next) != 0 && mpegFramesAgree(data + at, data + next);
  return ends || followed ? static_cast<std::int64_t>(at) : -1;
}

}  // namespace plat::codec
