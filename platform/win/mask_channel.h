// One colour channel of a DIB's bit masks, and the platform layer's one rule for widening
// such a channel to 8 bits and narrowing an 8-bit level back to it.
#pragma once
#include <cstdint>

namespace plat::win {

// x of w bits (w 1..8) widened to 8 by repeating its top bits, so full scale stays full
// scale (5-bit 31 is 255), made once.
struct Widen8Table {
  uint8_t v[9][256];  // v[w][x]
  constexpr Widen8Table() : v{} {
    for (int w = 1; w <= 8; ++w)
      for (unsigned x = 0; x < (1u << w); ++x) {
        unsigned top = x << (8 - w), r = top;
        for (int s = w; s < 8; s += w) r |= top >> s;
        v[w][x] = static_cast<uint8_t>(r);
      }
  }
};
inline constexpr Widen8Table kWiden8{};

struct MaskChannel {
  uint32_t mask = 0;
  int loc = 0;
  int width = 0;

  MaskChannel() = default;
  explicit MaskChannel(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> loc) & 1)) ++loc;
    while (loc + width < 32 && ((m >> (loc + width)) & 1)) ++width;
  }
  // The channel of a pixel as 8 bits. Only the run of bits from the lowest one counts: a
  // mask with gaps is cut there. Wider channels keep their top 8 bits.
  uint32_t widen(uint32_t pixel) const {
    if (!width) return 0;
    const uint32_t v = (pixel >> loc) & (width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1);
    return width <= 8 ? kWiden8.v[width][v] : v >> (width - 8);
  }
  // An 8-bit level narrowed (or, past 8 bits, scaled with rounding) to this channel.
  uint32_t pack(uint32_t level) const {
    if (!width) return 0;
    uint32_t v = width <= 8 ? level >> (8 - width) : (level * ((uint64_t(1) << width) - 1) + 127) / 255;
    return (v << loc) & mask;
  }
};

}  // namespace plat::win
