// Whole-byte arithmetic for the specialised spans under a constant vertex colour that is
// not white: texel times colour, tested and blended in integers wherever that provably
// gives the float pipeline's bytes, the float operations themselves elsewhere.
#pragma once
#include <cstdint>
#include <cstring>

#include "platform/gpu/span_bytes.h"
#include "platform/gpu/texel_format.h"

namespace plat::gpu::fastbytes {

// With texel t and colour c both whole bytes, the pixel function's product is t·c / 255²
// and every blend result, times 255, is a fraction over 255³ (the source alpha enters
// squared): m / 255³. The float pipeline computes it with an error below 2·10^-4 of a
// byte (about 3,300 roundings of 2^-24 at worst), so where m / 255³ lies further than
// 1/2048 from a half, rounding it to nearest gives the float's byte exactly. Nearer (about
// one channel in a thousand) the pixel takes the float operations instead.
inline constexpr uint64_t kCube = 255u * 255u * 255u;
// 2^48 / 255³ rounded up: m times it is m / 255³ in 48-bit fixed point, over by less than
// 2^-16 of a byte for every m up to 255⁴.
inline constexpr uint64_t kCubeReciprocal = ((uint64_t(1) << 48) + kCube - 1) / kCube;

// m / 255³ rounded to nearest; sets `near` when it lies within 1/2048 of a half.
inline uint32_t roundCube(uint64_t m, bool& near) {
  const uint64_t f = m * kCubeReciprocal + (uint64_t(1) << 47);  // + 1/2
  const uint32_t frac = uint32_t(f >> 32) & 0xFFFFu;            // in 1/65536
  near |= frac < 32 || frac >= 65536 - 32;
  return uint32_t(f >> 48);
}

// With the colour fixed, s·a·255 = t·α and (1 − a)·255 = β·255 for α = c·a' / 255³ and
// β = (255² − a') / 255², a' = t_alpha·c_alpha: one pair per alpha texel. Held in 8.24
// fixed point (rounded), t·α + d·β is off by at most 255 / 2^24 of a byte, well inside
// the 1/2048 margin, and with the half added stays below 2^32.
struct ColourTable {
  uint32_t colour[4];      // the colour bytes it was made for
  uint32_t alpha[256][4];  // α per alpha texel and channel
  uint32_t beta[256];
#if defined(__SSE2__)
  // The same split at bit 15 for 16-bit multiply-adds of (texel, target) byte pairs:
  // α low, β low per channel, then the high parts.
  alignas(16) int16_t low[256][8];
  alignas(16) int16_t high[256][8];
#endif
};

inline void makeColourTable(ColourTable& t, const uint32_t c[4]) {
  for (int k = 0; k < 4; ++k) t.colour[k] = c[k];
  for (int ta = 0; ta < 256; ++ta) {
    const uint64_t a = uint64_t(ta) * c[3];
    for (int k = 0; k < 4; ++k) t.alpha[ta][k] = uint32_t(((c[k] * a << 25) / kCube + 1) >> 1);
    t.beta[ta] = uint32_t((((65025 - a) << 25) / 65025 + 1) >> 1);
#if defined(__SSE2__)
    for (int k = 0; k < 4; ++k) {
      t.low[ta][2 * k] = int16_t(t.alpha[ta][k] & 0x7FFFu);
      t.high[ta][2 * k] = int16_t(t.alpha[ta][k] >> 15);
      t.low[ta][2 * k + 1] = int16_t(t.beta[ta] & 0x7FFFu);
      t.high[ta][2 * k + 1] = int16_t(t.beta[ta] >> 15);
    }
#endif
  }
}

// x / 2^24 rounded to nearest; sets `near` when it lies within 1/2048 (less the table's
// error) of a half.
inline uint32_t roundFixed(uint32_t x, bool& near) {
  x += 1u << 23;
  const uint32_t frac = x & 0xFFFFFFu;
  near |= frac < (1u << 13) || frac >= (1u << 24) - (1u << 13);
  return x >> 24;
}

// A constant colour in the target's byte order: its bytes (255 in a channel the pixel
// function leaves out of the product), the same as the floats the planes hold, and its
// table.
struct ByteColour {
  uint32_t c[4];
  float f[4];
  const ColourTable* table = nullptr;
};

// The scalar span's float test and blend of one pixel whose unsaturated colour `col` is in
// the target's byte order, over the target pixel at p.
template <Mode M>
inline void floatPixel(uint8_t* p, const float col[4], int reference) {
  auto unorm = [](float x) -> uint32_t { return !(x > 0.0f) ? 0 : x >= 1.0f ? 255 : uint32_t(x * 255.0f + 0.5f); };
  auto saturate = [](float x) { return !(x > 0.0f) ? 0.0f : x > 1.0f ? 1.0f : x; };
  if (!(int(unorm(col[3])) > reference)) return;
  float s[4];
  for (int k = 0; k < 4; ++k) s[k] = saturate(col[k]);
  for (int k = 0; k < 4; ++k) {
    float r;
    if constexpr (M == Mode::off) r = s[k];
    else if constexpr (M == Mode::alpha) r = s[k] * s[3] + kUnorm8[p[k]] * (1.0f - s[3]);
    else if constexpr (M == Mode::add) r = s[k] * s[3] + kUnorm8[p[k]] * 1.0f;
    else if constexpr (M == Mode::subtract) r = kUnorm8[p[k]] * 1.0f - s[k] * s[3];
    else r = s[k] * 0.0f + kUnorm8[p[k]] * s[k];
    p[k] = uint8_t(unorm(r));
  }
}

// One texel word (target byte order, as sourceWord gives it) times the colour, tested
// against the reference and blended over the pixel at p.
template <Mode M>
[[gnu::always_inline]] inline void colourPixel(uint8_t* p, uint32_t src, const ByteColour& bc, int reference) {
  uint32_t prod[4];  // t·c, up to 255²
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) prod[k] = (src >> (8 * k) & 0xFFu) * bc.c[k];
  // t·c / 255 never lies within 1/510 of a half: the alpha test's byte is exact.
  if (!(int((prod[3] + 127) / 255) > reference)) return;
  // The modes that scale by the source alpha read the table (the others carry none).
  constexpr bool Scaled = M == Mode::alpha || M == Mode::add || M == Mode::subtract;
#if defined(__SSE2__)
  if constexpr (Scaled) {
    // The four channels in 32-bit lanes: t·α + d·β from two multiply-adds of the (t, d)
    // pairs, β left out where the target is added to or taken from as it is.
    const __m128i zero = _mm_setzero_si128();
    const __m128i d8 = _mm_cvtsi32_si128(int(*reinterpret_cast<const uint32_t*>(p)));
    const __m128i pairs = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(src)), d8), zero);
    __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(bc.table->low[src >> 24]));
    __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(bc.table->high[src >> 24]));
    if constexpr (M != Mode::alpha) {
      lo = _mm_and_si128(lo, _mm_set1_epi32(0xFFFF));
      hi = _mm_and_si128(hi, _mm_set1_epi32(0xFFFF));
    }
    __m128i v = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(pairs, hi), 15), _mm_madd_epi16(pairs, lo));
    v = _mm_add_epi32(v, _mm_set1_epi32(1 << 23));
    const __m128i frac = _mm_and_si128(_mm_add_epi32(v, _mm_set1_epi32(1 << 13)), _mm_set1_epi32(0xFFFFFF));
    if (_mm_movemask_epi8(_mm_cmplt_epi32(frac, _mm_set1_epi32(1 << 14))) == 0) {
      __m128i out = _mm_srli_epi32(v, 24);
      if constexpr (M != Mode::alpha) {
        const __m128i d32 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(d8, zero), zero);
        out = M == Mode::add ? _mm_add_epi32(d32, out) : _mm_sub_epi32(d32, out);  // packing holds it to 0..255
      }
      out = _mm_packus_epi16(_mm_packs_epi32(out, out), zero);
      const uint32_t word = uint32_t(_mm_cvtsi128_si32(out));
      std::memcpy(p, &word, 4);
      return;
    }
    float col[4];
    for (int k = 0; k < 4; ++k) col[k] = kUnorm8[src >> (8 * k) & 0xFFu] * bc.f[k];
    return floatPixel<M>(p, col, reference);
  }
#endif
  const uint32_t* alpha = Scaled ? bc.table->alpha[src >> 24] : nullptr;
  [[maybe_unused]] const uint32_t beta = Scaled ? bc.table->beta[src >> 24] : 0;
  uint32_t dst;
  std::memcpy(&dst, p, 4);
  uint32_t out = 0;
  bool near = false;
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    const uint32_t d = dst >> (8 * k) & 0xFFu;
    uint32_t x;
    if constexpr (M == Mode::off) {
      x = (prod[k] + 127) / 255;
    } else if constexpr (M == Mode::alpha) {
      // s·a + d·(1 − a), times 255: t·α + d·β.
      x = roundFixed((src >> (8 * k) & 0xFFu) * alpha[k] + d * beta, near);
    } else if constexpr (M == Mode::add) {
      x = d + roundFixed((src >> (8 * k) & 0xFFu) * alpha[k], near);
      x = x > 255 ? 255 : x;
    } else if constexpr (M == Mode::subtract) {
      const uint32_t sa = roundFixed((src >> (8 * k) & 0xFFu) * alpha[k], near);
      x = d > sa ? d - sa : 0;
    } else {
      x = roundCube(uint64_t(prod[k]) * d * 255, near);
    }
    out |= x << (8 * k);
  }
  if (near) {
    float col[4];
    for (int k = 0; k < 4; ++k) col[k] = kUnorm8[src >> (8 * k) & 0xFFu] * bc.f[k];
    return floatPixel<M>(p, col, reference);
  }
  std::memcpy(p, &out, 4);
}

#if defined(__SSE2__)
// colourPixel on four pixels at once for the alpha-scaled blends; false (nothing written)
// when a channel lies near a half, for the caller to take the pixels one by one.
template <Mode M>
inline bool colourFour(uint8_t* p, __m128i src, const ByteColour& bc, int reference) {
  static_assert(M == Mode::alpha || M == Mode::add || M == Mode::subtract);
  const __m128i zero = _mm_setzero_si128();
  // A source alpha of 0 (the texel's or the colour's) gives α = 0 and β = 1 exactly: every
  // one of these blends leaves the target as it is, passed or not.
  if (bc.c[3] == 0 || _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(src, 24), zero)) == 0xFFFF) return true;
  const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i lo2 = _mm_unpacklo_epi8(src, dst), hi2 = _mm_unpackhi_epi8(src, dst);
  const __m128i pairs[4] = {_mm_unpacklo_epi8(lo2, zero), _mm_unpackhi_epi8(lo2, zero), _mm_unpacklo_epi8(hi2, zero),
                            _mm_unpackhi_epi8(hi2, zero)};
  alignas(16) uint32_t words[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(words), src);
  __m128i out[4], nearAny = zero;
  for (int i = 0; i < 4; ++i) {
    __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(bc.table->low[words[i] >> 24]));
    __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(bc.table->high[words[i] >> 24]));
    if constexpr (M != Mode::alpha) {
      lo = _mm_and_si128(lo, _mm_set1_epi32(0xFFFF));
      hi = _mm_and_si128(hi, _mm_set1_epi32(0xFFFF));
    }
    __m128i v = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(pairs[i], hi), 15), _mm_madd_epi16(pairs[i], lo));
    v = _mm_add_epi32(v, _mm_set1_epi32(1 << 23));
    const __m128i frac = _mm_and_si128(_mm_add_epi32(v, _mm_set1_epi32(1 << 13)), _mm_set1_epi32(0xFFFFFF));
    nearAny = _mm_or_si128(nearAny, _mm_cmplt_epi32(frac, _mm_set1_epi32(1 << 14)));
    out[i] = _mm_srli_epi32(v, 24);
    if constexpr (M == Mode::add) out[i] = _mm_add_epi32(_mm_srli_epi32(pairs[i], 16), out[i]);
    if constexpr (M == Mode::subtract) out[i] = _mm_sub_epi32(_mm_srli_epi32(pairs[i], 16), out[i]);
  }
  if (_mm_movemask_epi8(nearAny) != 0) return false;
  __m128i result = _mm_packus_epi16(_mm_packs_epi32(out[0], out[1]), _mm_packs_epi32(out[2], out[3]));
  // The alpha test: round(t·c / 255) > r, that is t·c > 255·r + 127.
  const __m128i tc = _mm_madd_epi16(_mm_srli_epi32(src, 24), _mm_set1_epi32(int(bc.c[3])));
  const __m128i pass = _mm_cmpgt_epi32(tc, _mm_set1_epi32(255 * reference + 127));
  result = _mm_or_si128(_mm_and_si128(pass, result), _mm_andnot_si128(pass, dst));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), result);
  return true;
}

// Under an opaque colour the source alpha is the texel's own byte, and where a channel's
// product t·c / 255 is a whole byte (t or c is 0 or 255: a glyph's white texels, a black
// or white colour) every blend result is a fraction over 255, as for a texel drawn white,
// and no nearer a half than 1/510: the texel blend of the product word gives the float's
// bytes. `whole` has 255 in each channel of the colour that is 0 or 255.
inline __m128i colourWide(const ByteColour& bc) {
  return _mm_setr_epi16(short(bc.c[0]), short(bc.c[1]), short(bc.c[2]), short(bc.c[3]), short(bc.c[0]),
                        short(bc.c[1]), short(bc.c[2]), short(bc.c[3]));
}
inline uint32_t wholeChannels(const ByteColour& bc) {
  uint32_t w = 0;
  for (int k = 0; k < 4; ++k)
    if (bc.c[k] == 0 || bc.c[k] == 255) w |= 0xFFu << (8 * k);
  return w;
}

// Four texel words times the opaque colour (16-bit lanes of colourWide) as whole-byte
// words in `out`; false where a product is not a whole byte.
inline bool productFour(__m128i src, __m128i colour, __m128i whole, __m128i& out) {
  const __m128i edge = _mm_or_si128(_mm_or_si128(whole, _mm_cmpeq_epi8(src, _mm_setzero_si128())),
                                    _mm_cmpeq_epi8(src, _mm_set1_epi8(-1)));
  if (_mm_movemask_epi8(edge) != 0xFFFF) return false;
  const __m128i zero = _mm_setzero_si128();
  out = _mm_packus_epi16(div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(src, zero), colour)),
                         div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(src, zero), colour)));
  return true;
}
#endif

}  // namespace plat::gpu::fastbytes
