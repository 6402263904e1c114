// Byte blends for the specialised spans: texels in the target's byte order blended over
// target pixels with SRC_ALPHA / INV_SRC_ALPHA, SRC_ALPHA / ONE (added or taken from the
// target) or ZERO / SRC_COLOR, one pixel at a time,
// four with SSE2 and eight with AVX2 (for processors that have it), all with the same
// integer arithmetic, equal to the float blend of whole bytes.
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define HALVORINE_SPAN_AVX2 1  // eight-pixel runs, chosen at run time
#endif

namespace plat::gpu::fastbytes {

enum class Layout { rgba, bgra, bgrx };  // of the texture
// Blend off; SRC_ALPHA / INV_SRC_ALPHA; SRC_ALPHA / ONE added; SRC_ALPHA / ONE taken from
// the target (reverse subtraction); ZERO / SRC_COLOR (the target times the source).
enum class Mode { off, alpha, add, subtract, multiply };

// x / 255 rounded to nearest for 0 <= x <= 65025: the float blend's result whenever the
// source is a whole byte, since x / 255 never lies within float error of a half.
inline uint32_t div255Pair(uint32_t x) {  // two such values in the 16-bit halves
  x += 0x007F007Fu;
  return (x + 0x00010001u + (x >> 8 & 0x00FF00FFu)) >> 8 & 0x00FF00FFu;
}
// Each 16-bit half of d minus the same half of x (both at most 255), held at 0.
inline uint32_t subtractPair(uint32_t d, uint32_t x) {
  const uint32_t t = (d | 0x01000100u) - x;  // bit 8 of a half stays set where d >= x
  return t & (t >> 8 & 0x00010001u) * 0xFFu;
}
// The products of the matching 16-bit halves (bytes) of a and b, in the same halves.
inline uint32_t productPair(uint32_t a, uint32_t b) { return (a & 0xFFu) * (b & 0xFFu) | ((a >> 16) * (b >> 16)) << 16; }
// Each 16-bit half (at most 510) held at 255.
inline uint32_t saturatePair(uint32_t x) {
  const uint32_t over = x >> 8 & 0x00010001u;
  return (x | over * 0xFFu) & 0x00FF00FFu;
}

// One texel as it enters the blend: in the target's byte order, alpha forced to 255 where
// the texture has none or its alpha is ignored.
template <bool BgraTarget, Layout L, bool IgnoreAlpha>
inline uint32_t sourceWord(const uint8_t* t) {
  uint32_t src;
  std::memcpy(&src, t, 4);
  if constexpr (IgnoreAlpha || L == Layout::bgrx) src |= 0xFF000000u;
  if constexpr ((L == Layout::rgba) == BgraTarget) src = (src & 0xFF00FF00u) | (src >> 16 & 0xFFu) | (src & 0xFFu) << 16;
  return src;
}

template <Mode M>
inline void blendWord(uint8_t* p, uint32_t src) {
  if constexpr (M == Mode::off) {
    std::memcpy(p, &src, 4);
  } else {
    const uint32_t a = src >> 24;
    uint32_t dst;
    std::memcpy(&dst, p, 4);
    // Two channels per word, 16 bits apart: products up to 65025 never carry.
    const uint32_t srb = src & 0x00FF00FFu, sag = src >> 8 & 0x00FF00FFu;
    const uint32_t drb = dst & 0x00FF00FFu, dag = dst >> 8 & 0x00FF00FFu;
    uint32_t rb, ag;
    if constexpr (M == Mode::alpha) {
      const uint32_t na = 255 - a;
      rb = div255Pair(srb * a + drb * na);
      ag = div255Pair(sag * a + dag * na);
    } else if constexpr (M == Mode::add) {
      rb = saturatePair(drb + div255Pair(srb * a));
      ag = saturatePair(dag + div255Pair(sag * a));
    } else if constexpr (M == Mode::subtract) {
      rb = subtractPair(drb, div255Pair(srb * a));
      ag = subtractPair(dag, div255Pair(sag * a));
    } else {
      rb = div255Pair(productPair(srb, drb));
      ag = div255Pair(productPair(sag, dag));
    }
    const uint32_t out = rb | ag << 8;
    std::memcpy(p, &out, 4);
  }
}

#if defined(__SSE2__)
// x / 255 rounded to nearest in each 16-bit lane, the same rounding as div255Pair.
inline __m128i div255x8(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(127));
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
}

// Two pixels widened to 16-bit lanes: their blend, as blendWord does it per channel.
template <Mode M>
inline __m128i blendWide(__m128i s, __m128i d) {
  const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  if constexpr (M == Mode::alpha) {
    const __m128i na = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return div255x8(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, na)));
  } else if constexpr (M == Mode::add) {
    return _mm_add_epi16(d, div255x8(_mm_mullo_epi16(s, a)));  // packing holds it at 255
  } else if constexpr (M == Mode::subtract) {
    return _mm_subs_epu16(d, div255x8(_mm_mullo_epi16(s, a)));
  } else {
    return div255x8(_mm_mullo_epi16(s, d));
  }
}

// Four source words (already in the target's byte order) over four target pixels; a pixel
// whose source alpha is not above the reference keeps its bytes.
template <Mode M, bool Test>
inline void blendFour(uint8_t* p, __m128i src, int reference) {
  __m128i out = src;
  __m128i dst = _mm_setzero_si128();
  if constexpr (M != Mode::off || Test) dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  if constexpr (M != Mode::off) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = blendWide<M>(_mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi8(dst, zero));
    const __m128i hi = blendWide<M>(_mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi8(dst, zero));
    out = _mm_packus_epi16(lo, hi);
  }
  if constexpr (Test) {
    const __m128i pass = _mm_cmpgt_epi32(_mm_srli_epi32(src, 24), _mm_set1_epi32(reference));
    out = _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, dst));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
}

// sourceWord on four texels at once.
template <bool BgraTarget, Layout L, bool IgnoreAlpha>
inline __m128i sourceFour(__m128i src) {
  if constexpr (IgnoreAlpha || L == Layout::bgrx) src = _mm_or_si128(src, _mm_set1_epi32(int(0xFF000000u)));
  if constexpr ((L == Layout::rgba) == BgraTarget) {
    const __m128i ag = _mm_and_si128(src, _mm_set1_epi32(int(0xFF00FF00u)));
    const __m128i rb = _mm_and_si128(src, _mm_set1_epi32(0x00FF00FF));
    src = _mm_or_si128(ag, _mm_or_si128(_mm_srli_epi32(rb, 16), _mm_slli_epi32(rb, 16)));
  }
  return src;
}

#endif

#if defined(__SSE2__)
// n texels read in a run from `src` over n target pixels, four at a time.
template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M, bool Test>
void blitFour(uint8_t* p, const uint8_t* src, int n, int reference) {
  for (; n >= 4; n -= 4, p += 16, src += 16)
    blendFour<M, Test>(p, sourceFour<BgraTarget, L, IgnoreAlpha>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))),
                       reference);
  if (n > 0) {  // the last one to three, through copies so nothing past either run is touched
    uint8_t s[16] = {}, t[16] = {};
    std::memcpy(s, src, size_t(n) * 4);
    std::memcpy(t, p, size_t(n) * 4);
    blendFour<M, Test>(t, sourceFour<BgraTarget, L, IgnoreAlpha>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
                       reference);
    std::memcpy(p, t, size_t(n) * 4);
  }
}
#endif

#if defined(HALVORINE_SPAN_AVX2)
// blitFour eight pixels at a time while at least eight are left; returns how many it did.
// The same integer arithmetic in 16 lanes.
#define HALVORINE_AVX2 __attribute__((target("avx2")))
HALVORINE_AVX2 inline __m256i div255x16(__m256i x) {
  x = _mm256_add_epi16(x, _mm256_set1_epi16(127));
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, _mm256_set1_epi16(1)), _mm256_srli_epi16(x, 8)), 8);
}

template <Mode M>
HALVORINE_AVX2 inline __m256i blendWide16(__m256i s, __m256i d) {
  const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  if constexpr (M == Mode::alpha)
    return div255x16(
        _mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, _mm256_sub_epi16(_mm256_set1_epi16(255), a))));
  else if constexpr (M == Mode::add)
    return _mm256_add_epi16(d, div255x16(_mm256_mullo_epi16(s, a)));
  else if constexpr (M == Mode::subtract)
    return _mm256_subs_epu16(d, div255x16(_mm256_mullo_epi16(s, a)));
  else
    return div255x16(_mm256_mullo_epi16(s, d));
}

template <bool BgraTarget, Layout L, bool IgnoreAlpha, Mode M, bool Test>
HALVORINE_AVX2 int blitEight(uint8_t* p, const uint8_t* src, int n, int reference) {
  const __m256i zero = _mm256_setzero_si256(), ref = _mm256_set1_epi32(reference);
  int done = 0;
  for (; n - done >= 8; done += 8, p += 32, src += 32) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    if constexpr (IgnoreAlpha || L == Layout::bgrx) s = _mm256_or_si256(s, _mm256_set1_epi32(int(0xFF000000u)));
    if constexpr ((L == Layout::rgba) == BgraTarget) {
      const __m256i ag = _mm256_and_si256(s, _mm256_set1_epi32(int(0xFF00FF00u)));
      const __m256i rb = _mm256_and_si256(s, _mm256_set1_epi32(0x00FF00FF));
      s = _mm256_or_si256(ag, _mm256_or_si256(_mm256_srli_epi32(rb, 16), _mm256_slli_epi32(rb, 16)));
    }
    __m256i out = s;
    __m256i d = zero;
    if constexpr (M != Mode::off || Test) d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    if constexpr (M != Mode::off)
      out = _mm256_packus_epi16(blendWide16<M>(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero)),
                                blendWide16<M>(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero)));
    if constexpr (Test) {
      const __m256i pass = _mm256_cmpgt_epi32(_mm256_srli_epi32(s, 24), ref);
      out = _mm256_blendv_epi8(d, out, pass);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), out);
  }
  return done;
}

inline bool hasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#undef HALVORINE_AVX2
#endif

}  // namespace plat::gpu::fastbytes
