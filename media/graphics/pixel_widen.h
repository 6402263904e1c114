// Internal to media/graphics: the media layer's one copy of the rules that widen an
// n-bit colour channel to 8 bits (or more).
#pragma once
#include <cstdint>

namespace ZaDod::pixel {

// Repeats a value's bits until `to` bits are filled (from, to: 1..32), so zero stays zero
// and full scale stays full scale: 5-bit 31 is 255, 8-bit 0xAB is 16-bit 0xABAB. This is
// the rule of every pixel the blitter and the software renderer read.
constexpr uint32_t widenBits(uint32_t v, int from, int to) {
    uint64_t r = 0;
    int filled = 0;
    while (filled < to) {
        r = (r << from) | v;
        filled += from;
    }
    return static_cast<uint32_t>(r >> (filled - to));
}

// widenBits(x, w, 8) for every w of 1..8, made once.
struct Widen8Table {
    uint8_t v[9][256];  // v[w][x]
    constexpr Widen8Table() : v{} {
        for (int w = 1; w <= 8; ++w)
            for (uint32_t x = 0; x < (1u << w); ++x) v[w][x] = static_cast<uint8_t>(widenBits(x, w, 8));
    }
};
inline constexpr Widen8Table kWiden8{};

// x of `bits` bits (1..8, x below 1 << bits) widened to 8.
constexpr uint32_t widen8(uint32_t x, int bits) { return kWiden8.v[bits][x]; }

// The common widths in closed form for the per-pixel loops; the same values as the table.
constexpr uint32_t widen4(uint32_t x) { return x * 17; }
constexpr uint32_t widen5(uint32_t x) { return (x << 3) | (x >> 2); }
constexpr uint32_t widen6(uint32_t x) { return (x << 2) | (x >> 4); }

constexpr bool closedFormsMatch() {
    for (uint32_t x = 0; x < 64; ++x)
        if ((x < 16 && widen4(x) != widen8(x, 4)) || (x < 32 && widen5(x) != widen8(x, 5)) || widen6(x) != widen8(x, 6))
            return false;
    return true;
}
static_assert(closedFormsMatch());

// The other rule, floor(x * 255 / max), kept on purpose where its values are what callers
// see: the colour values a script reads back from a screen colour or a colour-data pixel,
// and the endpoint colours of block-compressed pictures. It differs from repeating bits
// for some values (5-bit 4 is 32 here, 33 there), so the two are not interchangeable.
constexpr uint32_t scaleTo255(uint32_t x, int bits) {
    return static_cast<uint32_t>(uint64_t{x} * 255 / ((uint64_t{1} << bits) - 1));
}

// scaleTo255(x, w) for every w of 1..8, made once (the block decoders' endpoint lookups).
struct Scale255Table {
    uint8_t v[9][256];  // v[w][x]
    constexpr Scale255Table() : v{} {
        for (int w = 1; w <= 8; ++w)
            for (uint32_t x = 0; x < (1u << w); ++x) v[w][x] = static_cast<uint8_t>(scaleTo255(x, w));
    }
};
inline constexpr Scale255Table kScale255{};

}  // namespace ZaDod::pixel
