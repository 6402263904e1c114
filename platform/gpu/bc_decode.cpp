// Block-compressed texel decoding (BC1, BC2, BC3) for uploads read back, conversions and
// the sampler. The arithmetic equals the media layer's picture decoder byte for byte, so a
// texture decoded here and a picture decoded there show the same colours; it is written
// again here because the platform layer does not reach up into the media layer.
#include <cstdint>

#include "platform/gpu/texel_format.h"

namespace plat::gpu {

namespace {

struct Widen {
  // c x 255 / 31 and c x 255 / 63, truncated: the block decoders' endpoint rule, which
  // differs on purpose from the bit repetition the rest of the platform layer widens
  // with (platform/win/mask_channel.h).
  uint8_t five[32], six[64];
  constexpr Widen() : five{}, six{} {
    for (int c = 0; c < 32; ++c) five[c] = static_cast<uint8_t>(c * 255 / 31);
    for (int c = 0; c < 64; ++c) six[c] = static_cast<uint8_t>(c * 255 / 63);
  }
};
constexpr Widen kWiden;

inline uint32_t le16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
inline uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
inline uint32_t pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

// The four colours of a colour block. In the three-colour mode that only BC1 has, the
// fourth is the third's colour with alpha 0.
void colourPalette(const uint8_t* block, bool bc1, uint32_t palette[4]) {
  const uint32_t c0 = le16(block), c1 = le16(block + 2);
  const uint32_t r0 = kWiden.five[c0 >> 11], g0 = kWiden.six[(c0 >> 5) & 63], b0 = kWiden.five[c0 & 31];
  const uint32_t r1 = kWiden.five[c1 >> 11], g1 = kWiden.six[(c1 >> 5) & 63], b1 = kWiden.five[c1 & 31];
  palette[0] = pack(r0, g0, b0, 255);
  palette[1] = pack(r1, g1, b1, 255);
  if (!bc1 || c0 > c1) {
    palette[2] = pack((2 * r0 + r1) / 3, (2 * g0 + g1) / 3, (2 * b0 + b1) / 3, 255);
    palette[3] = pack((r0 + 2 * r1) / 3, (g0 + 2 * g1) / 3, (b0 + 2 * b1) / 3, 255);
  } else {
    palette[2] = pack((r0 + r1) >> 1, (g0 + g1) >> 1, (b0 + b1) >> 1, 255);
    palette[3] = palette[2] & 0x00FFFFFFu;
  }
}

void alphaPalette(const uint8_t* block, uint32_t palette[8]) {
  const uint32_t a0 = block[0], a1 = block[1];
  palette[0] = a0;
  palette[1] = a1;
  if (a0 > a1) {
    for (uint32_t k = 1; k <= 6; ++k) palette[k + 1] = ((7 - k) * a0 + k * a1) / 7;
  } else {
    for (uint32_t k = 1; k <= 4; ++k) palette[k + 1] = ((5 - k) * a0 + k * a1) / 5;
    palette[6] = 0;
    palette[7] = 255;
  }
}

inline uint64_t alphaBits(const uint8_t* block) {
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
  return bits;
}

inline uint32_t explicitAlpha(const uint8_t* block, int i) { return ((block[i >> 1] >> ((i & 1) * 4)) & 15) * 17; }

}  // namespace

void decodeBlock(Format f, const uint8_t* block, uint32_t argb[16]) {
  uint32_t palette[4];
  const uint8_t* colour = f == Format::BC1 ? block : block + 8;
  colourPalette(colour, f == Format::BC1, palette);
  const uint32_t indices = le32(colour + 4);
  for (int i = 0; i < 16; ++i) argb[i] = palette[(indices >> (2 * i)) & 3];
  if (f == Format::BC2) {
    for (int i = 0; i < 16; ++i) argb[i] = (argb[i] & 0x00FFFFFFu) | explicitAlpha(block, i) << 24;
  } else if (f == Format::BC3) {
    uint32_t alpha[8];
    alphaPalette(block, alpha);
    const uint64_t bits = alphaBits(block);
    for (int i = 0; i < 16; ++i) argb[i] = (argb[i] & 0x00FFFFFFu) | alpha[(bits >> (3 * i)) & 7] << 24;
  }
}

uint32_t decodeBlockTexel(Format f, const uint8_t* block, int index) {
  uint32_t palette[4];
  const uint8_t* colour = f == Format::BC1 ? block : block + 8;
  colourPalette(colour, f == Format::BC1, palette);
  const uint32_t texel = palette[(le32(colour + 4) >> (2 * index)) & 3];
  if (f == Format::BC2) return (texel & 0x00FFFFFFu) | explicitAlpha(block, index) << 24;
  if (f == Format::BC3) {
    uint32_t alpha[8];
    alphaPalette(block, alpha);
    return (texel & 0x00FFFFFFu) | alpha[(alphaBits(block) >> (3 * index)) & 7] << 24;
  }
  return texel;
}

}  // namespace plat::gpu
