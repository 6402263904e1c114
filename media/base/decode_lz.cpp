// The LZ stream decoder behind DecompressLZ, bounded by both buffers.
#include <climits>
#include <cstdint>
#include <cstring>

#include "media/base/decode.h"

namespace ZaDod {

namespace {

std::uint32_t readU32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

// Copies a match that may overlap its own output, so the pattern repeats.
inline void copyMatch(std::uint8_t* out, std::size_t distance, std::size_t length) {
  const std::uint8_t* from = out - distance;
  if (distance >= length) {
    std::memcpy(out, from, length);
  } else if (distance == 1) {
    std::memset(out, *from, length);
  } else {
    for (std::size_t i = 0; i < length; ++i) out[i] = from[i];
  }
}

}  // namespace

int DecompressLZBounded(const void* source, std::size_t sourceSize, void* destination, std::size_t destinationSize) {
  const auto* src = static_cast<const std::uint8_t*>(source);
  if (!src || sourceSize < 9) return -1;
  const std::uint32_t size = readU32(src);
  const std::uint32_t stored = readU32(src + 4);
  if (stored < 9 || stored > sourceSize || size > INT_MAX) return -1;
  if (!destination) return static_cast<int>(size);
  if (size > destinationSize) return -1;

  const std::uint8_t escape = src[8];
  const std::uint8_t* in = src + 9;
  const std::uint8_t* const inEnd = src + stored;
  auto* const outStart = static_cast<std::uint8_t*>(destination);
  std::uint8_t* out = outStart;
  std::uint8_t* const outEnd = outStart + size;
  std::size_t previousDistance = 0;

  while (in < inEnd) {
    std::uint8_t code = *in++;
    if (code != escape) {
      if (out == outEnd) return -1;
      *out++ = code;
      continue;
    }
    if (in == inEnd) return -1;
    code = *in++;
    if (code == escape) {
      if (out == outEnd) return -1;
      *out++ = escape;
      continue;
    }
    if (code > escape) --code;
    std::size_t length = code >> 3;
    if (code & 4) {
      if (in == inEnd) return -1;
      length |= std::size_t(*in++) << 5;
    }
    length += 4;
    std::size_t distance;
    switch (code & 3) {
      case 0:
        if (inEnd - in < 1) return -1;
        distance = in[0] + 1u;
        in += 1;
        break;
      case 1:
        if (inEnd - in < 2) return -1;
        distance = (in[0] | in[1] << 8) + 1u;
        in += 2;
        break;
      case 2:
        if (inEnd - in < 3) return -1;
        distance = (in[0] | in[1] << 8 | in[2] << 16) + 1u;
        in += 3;
        break;
      default: distance = previousDistance + 1; break;
    }
    previousDistance = distance;
    if (distance > std::size_t(out - outStart) || length > std::size_t(outEnd - out)) return -1;
    copyMatch(out, distance, length);
    out += length;
  }
  return out == outEnd ? static_cast<int>(size) : -1;
}

int DecompressLZ(const void* source, void* destination) {
  if (!source) return -1;
  const auto* src = static_cast<const std::uint8_t*>(source);
  const std::uint32_t size = readU32(src);
  const std::uint32_t stored = readU32(src + 4);
  return DecompressLZBounded(source, stored, destination, size);
}

}  // namespace ZaDod
