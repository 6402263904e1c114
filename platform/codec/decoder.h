// The codecs behind the conversion streams: each turns whole source blocks into
// interleaved 16-bit samples appended to a vector.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/codec/acm.h"

namespace plat::codec {

class Decoder {
 public:
  virtual ~Decoder() = default;
  // Source bytes one unit of decoding takes (1 for byte streams).
  virtual std::size_t blockBytes() const = 0;
  // Decodes `bytes` source bytes (a multiple of blockBytes() unless the stream ends
  // there); appends the samples.
  virtual void decode(const std::uint8_t* src, std::size_t bytes, std::vector<std::int16_t>& out) = 0;
  // Output bytes that `bytes` source bytes make.
  virtual std::uint64_t outputBytes(std::uint64_t bytes) const = 0;
};

// The record given to acmStreamOpen, with its extension bytes after it. Null when the
// tag is not one of ours or the record is unusable (the open then fails).
std::unique_ptr<Decoder> makeG711Decoder(const WAVEFORMATEX* format);
std::unique_ptr<Decoder> makeImaAdpcmDecoder(const WAVEFORMATEX* format);
std::unique_ptr<Decoder> makeMsAdpcmDecoder(const WAVEFORMATEX* format);
std::unique_ptr<Decoder> makeMpegDecoder(const WAVEFORMATEX* format);

// One G.711 byte expanded to 16 bits.
std::int16_t expandMuLaw(std::uint8_t code);
std::int16_t expandALaw(std::uint8_t code);

}  // namespace plat::codec
