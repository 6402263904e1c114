// The decoder of printable-text packed blobs behind DecodeTextPackedData.
#include <climits>
#include <cstdint>

#include "media/base/decode.h"
#include "media/base/packed_text_code.h"

namespace ZaDod {

namespace {

// Reads count symbols as one big-endian bit string; false at the first byte that is
// not a symbol (so a terminator is never stepped over).
inline bool readSymbols(const std::uint8_t* in, int count, std::uint64_t& bits) {
  bits = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t v = PackedTextValues[in[i]];
    if (v == 0xFF) return false;
    bits = bits << 7 | v;
  }
  return true;
}

int decode(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize) {
  std::uint64_t bits;
  if (!in || inSize < PackedTextHeaderSymbols || !readSymbols(in, PackedTextHeaderSymbols, bits)) return -1;
  const std::uint64_t size = bits >> 3;
  if (size > INT_MAX) return -1;
  if (!out) return static_cast<int>(size);
  if (size > outSize) return -1;
  in += PackedTextHeaderSymbols;
  inSize -= PackedTextHeaderSymbols;
  // The whole group is read before its bytes are written, and each group writes
  // fewer bytes than it reads, so decoding into the blob itself is safe.
  std::size_t left = size;
  while (left >= 7) {
    if (inSize < 8 || !readSymbols(in, 8, bits)) return -1;
    for (int i = 0; i < 7; ++i) out[i] = static_cast<std::uint8_t>(bits >> (48 - 8 * i));
    in += 8;
    inSize -= 8;
    out += 7;
    left -= 7;
  }
  if (left) {
    const int symbols = static_cast<int>(left) + 1;
    if (inSize < std::size_t(symbols) || !readSymbols(in, symbols, bits)) return -1;
    bits >>= symbols * 7 - static_cast<int>(left) * 8;
    for (std::size_t i = 0; i < left; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * (left - 1 - i)));
  }
  return static_cast<int>(size);
}

}  // namespace

int DecodeTextPackedData(const void* packed, void* destination) {
  // A non-symbol byte ends every read, so the terminator bounds the blob.
  return decode(static_cast<const std::uint8_t*>(packed), SIZE_MAX, static_cast<std::uint8_t*>(destination), SIZE_MAX);
}

int DecodeTextPackedDataBounded(const void* packed, std::size_t packedSize, void* destination,
                                std::size_t destinationSize) {
  return decode(static_cast<const std::uint8_t*>(packed), packedSize, static_cast<std::uint8_t*>(destination),
                destinationSize);
}

}  // namespace ZaDod
