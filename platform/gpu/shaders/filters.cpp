// Per-pixel colour filters of the graph-filter engine: monotone, invert, level through
// the gamma table in slot 1, two-colour threshold, brightness clip, brightness scale,
// hue/saturation/brightness and the alpha premultiplication pair. Each reads its
// constants through the filter accessor. The integer forms repeat the software filters'
// fixed point step for step on purpose: the platform layer cannot call the media layer,
// and the two paths must give the same bytes.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define HALVORINE_MONO_AVX2 1  // eight pixels a register where the processor has AVX2
#endif

#include "platform/gpu/shaders/filter_span.h"

namespace plat::gpu {

namespace {
std::atomic<bool> gMonoFixed{true};
}  // namespace

void setMonoFixedSpans(bool on) { gMonoFixed.store(on, std::memory_order_relaxed); }
bool monoFixedSpans() { return gMonoFixed.load(std::memory_order_relaxed); }

using namespace shader;

namespace {

// c0 luminance weights, c1 what each channel adds to the luminance.
Float4 monoOf(const Float4& s, const Float4& w, const Float4& k) {
  const float y = s[0] * w[0] + s[1] * w[1] + s[2] * w[2];
  return Float4{saturate(y + k[0]), saturate(y + k[1]), saturate(y + k[2]), s[3]};
}

bool pixelMono(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  out = monoOf(sourceTexel(in, env), filterReg(env, 0), filterReg(env, 1));
  return true;
}

// Each channel byte's share of the luminance, byte / 255 times its weight, for the weights
// of the draws on this thread: the same products the pixel function forms, made once.
struct MonoShares {
  float weights[3] = {};
  bool made = false;
  float share[3][256];
};

const MonoShares& monoShares(const Float4& w) {
  thread_local MonoShares t;
  const float now[3] = {w[0], w[1], w[2]};
  if (!t.made || std::memcmp(t.weights, now, sizeof now) != 0) {
    for (int c = 0; c < 3; ++c) {
      t.weights[c] = w[c];
      for (int b = 0; b < 256; ++b) t.share[c][b] = kUnorm8[b] * w[c];
    }
    t.made = true;
  }
  return t;
}

#if defined(HALVORINE_MONO_AVX2)
// One channel's stored bytes: saturate (max gives 0 for NaN), * 255 + 0.5, truncated.
__attribute__((target("avx2"))) inline __m256i monoStored(__m256 y, __m256 add, __m256 zero, __m256 one, __m256 scale,
                                                          __m256 half) {
  const __m256 x = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(y, add), zero), one);
  return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(x, scale), half));
}

// The four-pixel loop's steps on eight pixels, the shares gathered from the tables: the
// same values in the same order. Returns how many pixels it did.
__attribute__((target("avx2"))) int monoEight(const MonoShares& m, const uint8_t* s, int n, bool bgra,
                                              const Float4& k, uint8_t* rgba) {
  const __m256 scale = _mm256_set1_ps(255.0f), half = _mm256_set1_ps(0.5f), zero = _mm256_setzero_ps();
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 k0 = _mm256_set1_ps(k[0]), k1 = _mm256_set1_ps(k[1]), k2 = _mm256_set1_ps(k[2]);
  const __m256i low = _mm256_set1_epi32(0xFF), alpha = _mm256_set1_epi32(int(0xFF000000u));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i));
    const __m256i first = _mm256_and_si256(px, low), second = _mm256_and_si256(_mm256_srli_epi32(px, 8), low);
    const __m256i third = _mm256_and_si256(_mm256_srli_epi32(px, 16), low);
    const __m256i r = bgra ? third : first, b = bgra ? first : third;
    const __m256 y = _mm256_add_ps(
        _mm256_add_ps(_mm256_i32gather_ps(m.share[0], r, 4), _mm256_i32gather_ps(m.share[1], second, 4)),
        _mm256_i32gather_ps(m.share[2], b, 4));
    const __m256i rs = monoStored(y, k0, zero, one, scale, half), bs = monoStored(y, k2, zero, one, scale, half);
    const __m256i gs = monoStored(y, k1, zero, one, scale, half);
    const __m256i low = _mm256_or_si256(bgra ? bs : rs, _mm256_slli_epi32(gs, 8));
    const __m256i high = _mm256_or_si256(_mm256_slli_epi32(bgra ? rs : bs, 16), _mm256_and_si256(px, alpha));
    const __m256i out = _mm256_or_si256(low, high);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rgba + 4 * i), out);
  }
  return i;
}
// Each byte's share of the luminance worked out in the register instead of gathered: the
// byte over 255 is the product with the reciprocal corrected once by a fused step (which
// gives the quotient's rounding for every byte; monoSharesExact checks it once), times
// its weight, the same product the table holds. The store needs one compare: a sum at or
// above 1 is held at 2, past 255 once scaled, and the packs clamp the scaled bytes to 0
// and 255 (a NaN converts to the lowest integer and so stores 0, as saturate gives).
__attribute__((target("avx2,fma"))) inline __m256 monoShare(__m256i byte, __m256 weight, __m256 inverse,
                                                            __m256 scale) {
  const __m256 b = _mm256_cvtepi32_ps(byte);
  const __m256 q = _mm256_mul_ps(b, inverse);
  return _mm256_mul_ps(_mm256_fmadd_ps(_mm256_fnmadd_ps(q, scale, b), inverse, q), weight);
}

__attribute__((target("avx2,fma"))) inline __m256i monoScaled(__m256 y, __m256 add, __m256 two, __m256 scale,
                                                              __m256 half) {
  const __m256 x = _mm256_min_ps(two, _mm256_add_ps(y, add));  // min gives its second operand for a NaN
  return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(x, scale), half));
}

__attribute__((target("fma"))) bool fusedQuotients() {
  const float inverse = 1.0f / 255.0f;
  for (int b = 0; b < 256; ++b) {
    const float f = float(b), q = f * inverse;
    if (__builtin_fmaf(__builtin_fmaf(-q, 255.0f, f), inverse, q) != kUnorm8[b]) return false;
  }
  return true;
}

// Whether the processor has fused multiply-add and the corrected products are kUnorm8's.
bool monoSharesExact() {
  static const bool exact = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma") && fusedQuotients();
  }();
  return exact;
}

// The integer form of the wide steps. With t = 255 (y + k) for the exact luminance y of a
// pixel's bytes, a channel stores floor(t + 1/2) clamped to a byte; the float steps above
// give that too, but for a sum within their rounding error of a step. Here the sum
// r w0 + g w1 + b w2 (which is 255 y) is formed on whole bytes and turned into 16-bit fixed
// point, and each channel's addition 255 k + 1/2 + e goes in as an integer: the stored byte
// is then the integer's top, and a pixel whose fraction is below 2e, for e at least the two
// forms' errors together, lies too near a step and takes the float steps instead (a few
// pixels in a thousand). The sum is formed by fused float steps, or, where the processor
// has byte dot products, exactly from the weights in 22-bit fixed point split into three
// signed bytes.
struct MonoFixed {
  float weight[3];   // the weights times 2^16
  int32_t add[3];    // (255 k + 1/2 + e) 2^16, held where every byte saturates the same way
  int32_t fraction;  // the fraction bits at or above 2e
  bool digits = false;  // whether the weights' bytes below serve
  // The weights times 2^22 as signed bytes, high, middle and low, lined up with the bytes
  // of a red-first and a blue-first texel (alpha's byte 0).
  int32_t byteWeights[2][3];
};

// The fixed-point constants for weights w and additions k, or false where they cannot
// serve (weights not finite or too large to bound the error, an addition that is NaN).
bool monoFixedFor(const Float4& w, const Float4& k, MonoFixed& f) {
  double total = 0.0;
  for (int c = 0; c < 3; ++c) {
    if (!std::isfinite(w[c]) || std::isnan(k[c])) return false;
    total += std::fabs(double(w[c]));
  }
  if (total > 4.0) return false;
  // Error bounds in units of t, u the float rounding unit. The float steps' luminance is
  // within 4 u total of y (the byte's quotient, the products, the two sums); only the steps
  // up to 255 tell bytes apart, and near them the addition, the scaling by 255 and the half
  // add each round values below 512 by at most 256 u. The fused sum here is within 3 * 255 u
  // total, the conversion to fixed point within a unit (whatever the rounding mode) and the
  // addition within half a unit. The byte form's weights are within half a unit of 2^-22
  // each (3 * 255 / 2 for three bytes), the shift to 16 bits within a unit.
  const double u = std::ldexp(1.0, -24), unit = std::ldexp(1.0, -16);
  const double floats = (4.0 * 255.0 * total + 3.0 * 256.0) * u;
  const double fused = 3.0 * 255.0 * total * u + 1.5 * unit;
  const double bytes = 3.0 * 255.0 * 0.5 * std::ldexp(1.0, -22) + 1.5 * unit;
  // The weights as 22-bit fixed point in three signed bytes; the sums stay below 2^31.
  int32_t split[3][3] = {};
  f.digits = total < 1.99;
  for (int c = 0; c < 3 && f.digits; ++c) {
    int64_t a = std::llround(double(w[c]) * 4194304.0);
    for (int d = 2; d >= 0; --d) {  // low byte first
      const int64_t low = ((a + 128) & 255) - 128;
      split[d][c] = int32_t(low);
      a = (a - low) >> 8;
    }
    if (a != 0) f.digits = false;
  }
  const double bound = (floats + std::max(fused, f.digits ? bytes : 0.0)) * 1.001;
  int bits = 12;  // e = 2^-bits
  while (bits > 7 && std::ldexp(1.0, -bits) < bound) --bits;
  if (std::ldexp(1.0, -bits) < bound) return false;
  const double e = std::ldexp(1.0, -bits);
  // Beyond this reach every byte stores 0 or 255 either way, and the integers stay far
  // from overflow.
  const double reach = 255.0 * total + 512.0;
  for (int c = 0; c < 3; ++c) {
    f.weight[c] = w[c] * 65536.0f;
    const double a = std::clamp(255.0 * double(k[c]) + 0.5 + e, -reach, reach);
    f.add[c] = int32_t(std::llround(a * 65536.0));
  }
  f.fraction = 0xFFFF & ~((1 << (17 - bits)) - 1);
  for (int d = 0; d < 3; ++d) {
    auto word = [](int32_t b0, int32_t b1, int32_t b2) {
      return int32_t(uint32_t(uint8_t(b0)) | uint32_t(uint8_t(b1)) << 8 | uint32_t(uint8_t(b2)) << 16);
    };
    f.byteWeights[0][d] = word(split[d][0], split[d][1], split[d][2]);
    f.byteWeights[1][d] = word(split[d][2], split[d][1], split[d][0]);
  }
  return true;
}

// The constants for the draws on this thread, made again when the weights or additions
// change; null where the integer form cannot serve.
const MonoFixed* monoFixed(const Float4& w, const Float4& k) {
  thread_local uint32_t key[6] = {};
  thread_local bool made = false, usable = false;
  thread_local MonoFixed f;
  // Compared a value at a time (the bits: NaNs and zeros of either sign told apart).
  uint32_t now[6];
  std::memcpy(now, w.c, 12);
  std::memcpy(now + 3, k.c, 12);
  bool same = made;
  for (int i = 0; i < 6; ++i) same = same && key[i] == now[i];
  if (!same) {
    std::memcpy(key, now, sizeof now);
    usable = monoFixedFor(w, k, f);
    made = true;
  }
  return usable ? &f : nullptr;
}

// The constants of a run for monoEightFused.
struct MonoFused {
  __m256 scale, half, two, inverse, w0, w1, w2, k0, k1, k2;
  __m256i low, interleave;
};

__attribute__((target("avx2,fma"))) inline __m256i monoFusedEight(const MonoFused& c, __m256i px, bool bgra) {
  const __m256i first = _mm256_and_si256(px, c.low), second = _mm256_and_si256(_mm256_srli_epi32(px, 8), c.low);
  const __m256i third = _mm256_and_si256(_mm256_srli_epi32(px, 16), c.low);
  const __m256i r = bgra ? third : first, b = bgra ? first : third;
  const __m256 y = _mm256_add_ps(
      _mm256_add_ps(monoShare(r, c.w0, c.inverse, c.scale), monoShare(second, c.w1, c.inverse, c.scale)),
      monoShare(b, c.w2, c.inverse, c.scale));
  const __m256i rs = monoScaled(y, c.k0, c.two, c.scale, c.half), bs = monoScaled(y, c.k2, c.two, c.scale, c.half);
  const __m256i gs = monoScaled(y, c.k1, c.two, c.scale, c.half);
  const __m256i lowPair = _mm256_packs_epi32(bgra ? bs : rs, gs);
  const __m256i highPair = _mm256_packs_epi32(bgra ? rs : bs, _mm256_srli_epi32(px, 24));
  return _mm256_shuffle_epi8(_mm256_packus_epi16(lowPair, highPair), c.interleave);
}

// The integer steps on eight pixels (MonoFixed); the pixels near a rounding step take
// monoFusedEight's.
__attribute__((target("avx2,fma"))) inline __m256i monoFixedEight(const MonoFixed& f, const MonoFused& c, __m256i px,
                                                                  bool bgra) {
  const __m256i first = _mm256_and_si256(px, c.low), second = _mm256_and_si256(_mm256_srli_epi32(px, 8), c.low);
  const __m256i third = _mm256_and_si256(_mm256_srli_epi32(px, 16), c.low);
  const __m256 r = _mm256_cvtepi32_ps(bgra ? third : first), b = _mm256_cvtepi32_ps(bgra ? first : third);
  const __m256 sum = _mm256_fmadd_ps(r, _mm256_set1_ps(f.weight[0]),
                                     _mm256_fmadd_ps(_mm256_cvtepi32_ps(second), _mm256_set1_ps(f.weight[1]),
                                                     _mm256_mul_ps(b, _mm256_set1_ps(f.weight[2]))));
  const __m256i fixed = _mm256_cvtps_epi32(sum);
  const __m256i fraction = _mm256_set1_epi32(f.fraction), zero = _mm256_setzero_si256();
  const __m256i vr = _mm256_add_epi32(fixed, _mm256_set1_epi32(f.add[0]));
  const __m256i vg = _mm256_add_epi32(fixed, _mm256_set1_epi32(f.add[1]));
  const __m256i vb = _mm256_add_epi32(fixed, _mm256_set1_epi32(f.add[2]));
  const __m256i near = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi32(_mm256_and_si256(vr, fraction), zero),
                                                       _mm256_cmpeq_epi32(_mm256_and_si256(vg, fraction), zero)),
                                       _mm256_cmpeq_epi32(_mm256_and_si256(vb, fraction), zero));
  if (!_mm256_testz_si256(near, near)) [[unlikely]]
    return monoFusedEight(c, px, bgra);
  const __m256i rs = _mm256_srai_epi32(vr, 16), gs = _mm256_srai_epi32(vg, 16), bs = _mm256_srai_epi32(vb, 16);
  const __m256i lowPair = _mm256_packs_epi32(bgra ? bs : rs, gs);
  const __m256i highPair = _mm256_packs_epi32(bgra ? rs : bs, _mm256_srli_epi32(px, 24));
  return _mm256_shuffle_epi8(_mm256_packus_epi16(lowPair, highPair), c.interleave);
}

__attribute__((target("avx2,fma"))) inline __m256i monoStepEight(const MonoFixed* f, const MonoFused& c, __m256i px,
                                                                 bool bgra) {
  return f != nullptr ? monoFixedEight(*f, c, px, bgra) : monoFusedEight(c, px, bgra);
}

// Eight pixels a step, by the integer steps where `f` is given.
__attribute__((target("avx2,fma"))) int monoEightFused(const MonoFixed* f, const Float4& w, const uint8_t* s, int n,
                                                       bool bgra, const Float4& k, uint8_t* rgba) {
  MonoFused c;
  c.scale = _mm256_set1_ps(255.0f), c.half = _mm256_set1_ps(0.5f), c.two = _mm256_set1_ps(2.0f);
  c.inverse = _mm256_set1_ps(1.0f / 255.0f);
  c.w0 = _mm256_set1_ps(w[0]), c.w1 = _mm256_set1_ps(w[1]), c.w2 = _mm256_set1_ps(w[2]);
  c.k0 = _mm256_set1_ps(k[0]), c.k1 = _mm256_set1_ps(k[1]), c.k2 = _mm256_set1_ps(k[2]);
  c.low = _mm256_set1_epi32(0xFF);
  // Per 128-bit lane: four pixels' first channels, then the second, third and alpha, to
  // pixel order.
  c.interleave = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9, 13, 2,
                                  6, 10, 14, 3, 7, 11, 15);
  int i = 0;
  for (; i + 8 <= n; i += 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rgba + 4 * i),
                        monoStepEight(f, c, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i)), bgra));
  // The last pixels through a register of eight as well (a run cut by a primitive's edge
  // has any length).
  if (i < n) {
    alignas(32) uint8_t in[32] = {}, out[32];
    std::memcpy(in, s + 4 * i, size_t(n - i) * 4);
    _mm256_store_si256(reinterpret_cast<__m256i*>(out),
                       monoStepEight(f, c, _mm256_load_si256(reinterpret_cast<const __m256i*>(in)), bgra));
    std::memcpy(rgba + 4 * i, out, size_t(n - i) * 4);
    i = n;
  }
  return i;
}

// monoFusedEight's steps on sixteen pixels (the packs and the byte shuffle keep to each
// 128-bit lane, so the pixels come back in their order); the last pixels of a run are
// loaded and stored under a mask.
// (GCC 12 takes the broadcasts' undefined start values for uninitialised reads.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#define HALVORINE_MONO_AVX512 __attribute__((target("avx512f,avx512bw,avx2,fma")))
HALVORINE_MONO_AVX512 inline __m512 monoShare16(__m512i byte, __m512 weight, __m512 inverse, __m512 scale) {
  const __m512 b = _mm512_cvtepi32_ps(byte);
  const __m512 q = _mm512_mul_ps(b, inverse);
  return _mm512_mul_ps(_mm512_fmadd_ps(_mm512_fnmadd_ps(q, scale, b), inverse, q), weight);
}

HALVORINE_MONO_AVX512 inline __m512i monoScaled16(__m512 y, __m512 add, __m512 two, __m512 scale, __m512 half) {
  const __m512 x = _mm512_min_ps(two, _mm512_add_ps(y, add));  // min gives its second operand for a NaN
  return _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(x, scale), half));
}

// The constants of a run for monoFused16.
struct Mono16 {
  __m512 scale, half, two, inverse, w0, w1, w2, k0, k1, k2;
  __m512i low, interleave;
};

HALVORINE_MONO_AVX512 inline void monoConstants16(const Float4& w, const Float4& k, Mono16& c) {
  c.scale = _mm512_set1_ps(255.0f), c.half = _mm512_set1_ps(0.5f), c.two = _mm512_set1_ps(2.0f);
  c.inverse = _mm512_set1_ps(1.0f / 255.0f);
  c.w0 = _mm512_set1_ps(w[0]), c.w1 = _mm512_set1_ps(w[1]), c.w2 = _mm512_set1_ps(w[2]);
  c.k0 = _mm512_set1_ps(k[0]), c.k1 = _mm512_set1_ps(k[1]), c.k2 = _mm512_set1_ps(k[2]);
  c.low = _mm512_set1_epi32(0xFF);
  c.interleave = _mm512_set4_epi32(0x0F0B0703, 0x0E0A0602, 0x0D090501, 0x0C080400);
}

// Sixteen pixels' stored bytes.
HALVORINE_MONO_AVX512 inline __m512i monoFused16(const Mono16& c, __m512i px, bool bgra) {
  const __m512i first = _mm512_and_si512(px, c.low), second = _mm512_and_si512(_mm512_srli_epi32(px, 8), c.low);
  const __m512i third = _mm512_and_si512(_mm512_srli_epi32(px, 16), c.low);
  const __m512i r = bgra ? third : first, b = bgra ? first : third;
  const __m512 y = _mm512_add_ps(
      _mm512_add_ps(monoShare16(r, c.w0, c.inverse, c.scale), monoShare16(second, c.w1, c.inverse, c.scale)),
      monoShare16(b, c.w2, c.inverse, c.scale));
  const __m512i rs = monoScaled16(y, c.k0, c.two, c.scale, c.half), bs = monoScaled16(y, c.k2, c.two, c.scale, c.half);
  const __m512i gs = monoScaled16(y, c.k1, c.two, c.scale, c.half);
  const __m512i lowPair = _mm512_packs_epi32(bgra ? bs : rs, gs);
  const __m512i highPair = _mm512_packs_epi32(bgra ? rs : bs, _mm512_srli_epi32(px, 24));
  return _mm512_shuffle_epi8(_mm512_packus_epi16(lowPair, highPair), c.interleave);
}

#define HALVORINE_MONO_VNNI __attribute__((target("avx512f,avx512bw,avx512vnni,avx2,fma")))
// MonoFixed's byte weights in registers.
struct Digits16 {
  __m512i high, middle, low, a0, a1, a2, fraction;
};

// The integer steps on sixteen pixels with the sum from the weights' bytes: exact in 22-bit
// fixed point, then 16.
template <bool Bgra>
HALVORINE_MONO_VNNI inline __m512i monoDigits16(const Digits16& f, const Mono16& c, __m512i px, __mmask16& near) {
  __m512i sum = _mm512_dpbusd_epi32(_mm512_setzero_si512(), px, f.high);
  sum = _mm512_dpbusd_epi32(_mm512_slli_epi32(sum, 8), px, f.middle);
  sum = _mm512_dpbusd_epi32(_mm512_slli_epi32(sum, 8), px, f.low);
  const __m512i fixed = _mm512_srai_epi32(sum, 6);
  const __m512i vr = _mm512_add_epi32(fixed, f.a0), vg = _mm512_add_epi32(fixed, f.a1);
  const __m512i vb = _mm512_add_epi32(fixed, f.a2);
  near = _kor_mask16(_kor_mask16(_mm512_testn_epi32_mask(vr, f.fraction), _mm512_testn_epi32_mask(vg, f.fraction)),
                     _mm512_testn_epi32_mask(vb, f.fraction));
  const __m512i rs = _mm512_srai_epi32(vr, 16), gs = _mm512_srai_epi32(vg, 16), bs = _mm512_srai_epi32(vb, 16);
  const __m512i lowPair = _mm512_packs_epi32(Bgra ? bs : rs, gs);
  const __m512i highPair = _mm512_packs_epi32(Bgra ? rs : bs, _mm512_srli_epi32(px, 24));
  return _mm512_shuffle_epi8(_mm512_packus_epi16(lowPair, highPair), c.interleave);
}

template <bool Bgra>
HALVORINE_MONO_VNNI void monoDigitsRun16(const MonoFixed& m, const Mono16& c, const uint8_t* s, int n, uint8_t* rgba) {
  Digits16 f;
  const int32_t* bytes = m.byteWeights[Bgra ? 1 : 0];
  f.high = _mm512_set1_epi32(bytes[0]), f.middle = _mm512_set1_epi32(bytes[1]), f.low = _mm512_set1_epi32(bytes[2]);
  f.a0 = _mm512_set1_epi32(m.add[0]), f.a1 = _mm512_set1_epi32(m.add[1]), f.a2 = _mm512_set1_epi32(m.add[2]);
  f.fraction = _mm512_set1_epi32(m.fraction);
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512i px = _mm512_loadu_si512(s + 4 * i);
    __mmask16 near;
    __m512i out = monoDigits16<Bgra>(f, c, px, near);
    if (near != 0) [[unlikely]]
      out = monoFused16(c, px, Bgra);
    _mm512_storeu_si512(rgba + 4 * i, out);
  }
  if (i < n) {
    const __mmask16 mask = __mmask16((1u << (n - i)) - 1);
    const __m512i px = _mm512_maskz_loadu_epi32(mask, s + 4 * i);
    __mmask16 near;
    __m512i out = monoDigits16<Bgra>(f, c, px, near);
    if ((near & mask) != 0) out = monoFused16(c, px, Bgra);
    _mm512_mask_storeu_epi32(rgba + 4 * i, mask, out);
  }
}
#undef HALVORINE_MONO_VNNI

bool byteDotProducts() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512vnni");
  }();
  return has;
}

// Sixteen pixels a step, by the integer steps where `f` is given (spanMono sends runs
// that would take the fused sum to the eight-pixel steps).
HALVORINE_MONO_AVX512 int monoSixteenFused(const MonoFixed* f, const Float4& w, const uint8_t* s, int n, bool bgra,
                                           const Float4& k, uint8_t* rgba) {
  Mono16 c;
  monoConstants16(w, k, c);
  if (f != nullptr) {
    if (bgra) monoDigitsRun16<true>(*f, c, s, n, rgba);
    else monoDigitsRun16<false>(*f, c, s, n, rgba);
    return n;
  }
  for (int i = 0; i < n; i += 16) {
    const __mmask16 m = n - i >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << (n - i)) - 1);
    _mm512_mask_storeu_epi32(rgba + 4 * i, m, monoFused16(c, _mm512_maskz_loadu_epi32(m, s + 4 * i), bgra));
  }
  return n;
}
#undef HALVORINE_MONO_AVX512
#pragma GCC diagnostic pop
#endif

bool spanMono(const SpanIn& in, const ShaderEnv& env, const ShaderEntry&, uint8_t* rgba) {
  const Float4 w = filterReg(env, 0), k = filterReg(env, 1);
  int order = 0;
  const uint8_t* p = texelRun(in, env, 0, order);
  if (p == nullptr) return false;
  uint8_t buffer[kSpanRun * 4];
  const uint8_t* s = runView(p, order, in.n, rgba, buffer, in.bgra);
  // Where red and blue sit in the run's bytes.
  const int red = in.bgra ? 2 : 0, blue = 2 - red;
  int i = 0;
#if defined(__SSE2__)
  // Four pixels a register, lane by lane monoOf's steps and the UNORM store's: the
  // luminance from the shares (added in the pixel function's order), saturate (max gives
  // 0 for NaN), * 255 + 0.5.
#if defined(HALVORINE_MONO_AVX2)
  if (wideSpans() && monoSharesExact()) {
    const MonoFixed* f = monoFixedSpans() ? monoFixed(w, k) : nullptr;
    // Sixteen pixels a step for the float steps and the byte sums; the fused sums take
    // eight.
    const bool sixteen = sixteenSpans() && (f == nullptr || (f->digits && byteDotProducts()));
    i = sixteen ? monoSixteenFused(f, w, s, in.n, in.bgra, k, rgba) : monoEightFused(f, w, s, in.n, in.bgra, k, rgba);
    if (i == in.n) return true;
  }
#endif
  const MonoShares& m = monoShares(w);
#if defined(HALVORINE_MONO_AVX2)
  if (wideSpans() && i == 0) i = monoEight(m, s, in.n, in.bgra, k, rgba);
#endif
  auto lum = [&](const uint8_t* q) { return (m.share[0][q[red]] + m.share[1][q[1]]) + m.share[2][q[blue]]; };
  const __m128 scale = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f), zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  const __m128 k0 = _mm_set1_ps(k[0]), k1 = _mm_set1_ps(k[1]), k2 = _mm_set1_ps(k[2]);
  const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
  for (; i + 4 <= in.n; i += 4) {
    const uint8_t* q = s + 4 * i;
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128 y = _mm_setr_ps(lum(q), lum(q + 4), lum(q + 8), lum(q + 12));
    auto stored = [&](__m128 add) {
      const __m128 x = _mm_min_ps(_mm_max_ps(_mm_add_ps(y, add), zero), one);
      return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(x, scale), half));
    };
    const __m128i r = stored(k0), b = stored(k2);
    const __m128i out = _mm_or_si128(_mm_or_si128(in.bgra ? b : r, _mm_slli_epi32(stored(k1), 8)),
                                     _mm_or_si128(_mm_slli_epi32(in.bgra ? r : b, 16), _mm_and_si128(px, alpha)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rgba + 4 * i), out);
  }
#endif
  for (; i < in.n; ++i) {
    const uint8_t* q = s + 4 * i;
    const Bytes4 b{{q[red], q[1], q[blue], q[3]}};
    uint8_t out[4];
    storeFloats(monoOf(floatsOf(b), w, k), out);
    const uint8_t stored[4] = {out[red], out[1], out[blue], out[3]};
    std::memcpy(rgba + 4 * i, stored, 4);
  }
  return true;
}

Float4 invertOf(const Float4& s) { return Float4{1.0f - s[0], 1.0f - s[1], 1.0f - s[2], s[3]}; }

bool pixelInvert(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  out = invertOf(sourceTexel(in, env));
  return true;
}

bool spanInvert(const SpanIn& in, const ShaderEnv& env, const ShaderEntry&, uint8_t* rgba) {
  return texelSpan(in, env, rgba,
                   [](const uint8_t* b, uint8_t* out) { storeFloats(invertOf(floatsOf(bytesAt(b))), out); });
}

// c0 = (input minimum, 1 / (input maximum - input minimum), output minimum, output
// maximum), all 0..1; the gamma curve is the 256 x 1 texture in slot 1.
bool pixelLevel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  const Bytes4 s = bytesOf(sourceTexel(in, env));
  const Float4 c = filterReg(env, 0);
  const int iMin = int(c[0] * 255.0f);
  const int range = c[1] > 0.0f && std::isfinite(c[1]) ? int(c[0] * 255.0f + 255.0f / c[1] + 0.5f) - iMin : 0;
  const int oMin = int(c[2] * 255.0f), oRange = int(c[3] * 255.0f) - oMin;
  auto curve = [&](int i) { return toByte(texelAt(in, env, 1, i, 0)[0]); };
  Bytes4 d = s;
  for (int k = 0; k < 3; ++k) {
    int t;
    if (range <= 0) {
      t = curve(s.c[k] < iMin ? 0 : 255);
    } else {
      const int i = ((s.c[k] - iMin) << 8) / range;
      t = curve(i < 0 ? 0 : i > 255 ? 255 : i);
    }
    d.c[k] = (t * oRange + (oMin << 8)) >> 8;
  }
  out = floatsOf(d);
  return true;
}

// c0 = (weights, threshold / 255); c1 the colour below, c2 the colour above.
bool pixelTwoColor(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  const Bytes4 s = bytesOf(sourceTexel(in, env));
  const Float4 c = filterReg(env, 0);
  const float t = std::clamp(c[3] * 255.0f, -1.0f, 256.0f);
  out = filterReg(env, lumaFixed(s, c) < int(t * 4096.0f) ? 1 : 2);
  for (int k = 0; k < 4; ++k) out[k] = fromByte(int(saturate(out[k]) * 255.0f));
  return true;
}

// param: fill, greater. c0 threshold (0..1), c1 weights, c2 fill colour. Pixels that are
// not kept are discarded unless filled.
bool pixelBrightClip(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const Float4 s = sourceTexel(in, env);
  const int limit = int(filterReg(env, 0)[0] * 255.0f * 4096.0f);
  const int y = lumaFixed(bytesOf(s), filterReg(env, 1));
  const bool keep = self.param[1] ? y <= limit : y >= limit;
  if (keep) {
    out = s;
    return true;
  }
  if (!self.param[0]) return false;
  out = filterReg(env, 2);
  for (int k = 0; k < 4; ++k) out[k] = fromByte(int(saturate(out[k]) * 255.0f));
  return true;
}

// The pure colour of a hue (0..1535) as red, green, blue bytes.
[[gnu::always_inline]] inline void pureOfHue(int hue, int* pr, int* pg, int* pb) {
  const int f = hue & 255;
  if (hue < 256) *pr = 255, *pg = f, *pb = 0;
  else if (hue < 512) *pr = 255 - f, *pg = 255, *pb = 0;
  else if (hue < 768) *pr = 0, *pg = 255, *pb = f;
  else if (hue < 1024) *pr = 0, *pg = 255 - f, *pb = 255;
  else if (hue < 1280) *pr = f, *pg = 0, *pb = 255;
  else *pr = 255, *pg = 0, *pb = 255 - f;
}

// c0 = (minimum / 255, 255 / (maximum - minimum)): the lightness is stretched from that
// range to 0..255 and the colour rebuilt from hue and saturation.
[[gnu::always_inline]] inline Bytes4 brightnessScaled(const Bytes4& s, const Float4& c, const ShaderEntry&) {
  const int mn = int(c[0] * 255.0f + 0.5f);
  const int span = c[1] > 0.0f ? std::max(int(255.0f / c[1] + 0.5f), 1) : 1;
  const int scale = 1044480 / span;
  const int r = s.c[0], g = s.c[1], b = s.c[2];
  const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const int delta = hi - lo, light = (hi + lo) >> 1;
  int sat = 0, pr = 255, pg = 0, pb = 0;
  if (delta != 0) {
    sat = delta * 256 / (light > 128 ? 512 - hi - lo : hi + lo);
    const int kr = (hi - r) * 256 / delta, kg = (hi - g) * 256 / delta, kb = (hi - b) * 256 / delta;
    if (r == hi) {
      pr = 255;
      if (kb > kg) pb = 0, pg = kb - kg;
      else pb = kg - kb, pg = 0;
    } else if (g != hi) {
      pb = 255;
      if (kg > kr) pr = kg - kr, pg = 0;
      else pr = 0, pg = kr - kg;
    } else {
      pg = 255;
      if (kr > kb) pb = kr - kb, pr = 0;
      else pb = 0, pr = kb - kr;
    }
  }
  const int lightNew = ((light - mn) * scale) >> 12;
  const int pure[3] = {pr, pg, pb};
  Bytes4 d = s;
  for (int k = 0; k < 3; ++k) {
    const int p = pure[k];
    const int cv = p + (((128 - p) * (256 - sat)) >> 8);
    if (lightNew <= 0) d.c[k] = 0;
    else if (lightNew <= 128) d.c[k] = (2 * lightNew * cv) >> 8;
    else d.c[k] = cv + (((255 - cv) * (std::min(lightNew, 255) - 128) * 2) >> 8);
  }
  return d;
}

// The HSB constants as whole steps: c0 = (hue × 6, saturation (× 5 when above 0),
// brightness (-1 .. 1), -).
struct HsbSteps {
  int hueK, satK, briK;
};
inline HsbSteps hsbSteps(const Float4& k) {
  return HsbSteps{int(k[0] * 256.0f), int(k[1] * 256.0f), int(std::clamp(k[2], -1.0f, 1.0f) * 256.0f)};
}

// The brightness shift on the colour channels (red first); alpha stays.
[[gnu::always_inline]] inline void brightened(const uint8_t* s, int briK, int* d) {
  for (int i = 0; i < 3; ++i) d[i] = briK > 0 ? s[i] + (((255 - s[i]) * briK) >> 8) : (s[i] * (briK + 256)) >> 8;
}

// Lock: the hue is set rather than turned; Shift: the brightness shifts the channels first
// (the two-pass form has done so in its first pass). Then the hue turns (or is set) and
// the saturation scales.
template <bool Lock, bool Shift>
[[gnu::always_inline]] inline void hsbPixel(const uint8_t* s, const HsbSteps& h, uint8_t* out) {
  int c[3];
  if constexpr (Shift) brightened(s, h.briK, c);
  else c[0] = s[0], c[1] = s[1], c[2] = s[2];
  const int r = c[0], g = c[1], b = c[2];
  const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const int light = (hi + lo) >> 1;
  int satV = 0, hueV = 0;
  if (hi != lo) {
    const int delta = hi - lo;
    satV = (delta << 8) / (light > 128 ? 512 - lo - hi : hi + lo);
    const int kb = ((hi - b) << 8) / delta, kg = ((hi - g) << 8) / delta, kr = ((hi - r) << 8) / delta;
    hueV = r == hi ? kb - kg : g == hi ? kr - kb + 512 : kg - kr + 1024;
    if (hueV < 0) hueV += 1536;
  }
  if constexpr (Lock) {
    hueV = h.hueK >= 1536 ? h.hueK - 1536 : h.hueK;
  } else {
    hueV += h.hueK;
    if (hueV < 0) hueV += 1536;
    else if (hueV >= 1536) hueV -= 1536;
  }
  const int satNew = std::min(((h.satK + 256) * satV) >> 8, 256);
  int pure[3];
  pureOfHue(std::clamp(hueV, 0, 1535), &pure[0], &pure[1], &pure[2]);
  uint8_t d[4];
  for (int i = 0; i < 3; ++i) {
    const int p = pure[i];
    const int cv = p + (((256 - satNew) * (128 - p)) >> 8);
    d[i] = uint8_t(clampByte(light <= 128 ? (2 * light * cv) >> 8 : cv + (((255 - cv) * (light - 128) * 2) >> 8)));
  }
  d[3] = s[3];
  std::memcpy(out, d, 4);  // every byte read before any is written: out may be s
}

// The first pass of the two-pass form: the brightness only. What it hands on stays 8-bit
// red, green and blue, because an 8-bit hue would lose up to six levels a channel.
[[gnu::always_inline]] inline void hsbFirstPixel(const uint8_t* s, const HsbSteps& h, uint8_t* out) {
  int c[3];
  brightened(s, h.briK, c);
  const uint8_t d[4] = {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), s[3]};
  std::memcpy(out, d, 4);
}

// One HSB form: Pixel maps a pixel's bytes, under the steps of c0, to its result.
template <void (*Pixel)(const uint8_t*, const HsbSteps&, uint8_t*)>
bool pixelHsbForm(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  const Bytes4 s = bytesOf(sourceTexel(in, env));
  const uint8_t b[4] = {uint8_t(s.c[0]), uint8_t(s.c[1]), uint8_t(s.c[2]), uint8_t(s.c[3])};
  uint8_t d[4];
  Pixel(b, hsbSteps(filterReg(env, 0)), d);
  out = floatsOf(bytesAt(d));
  return true;
}

template <void (*Pixel)(const uint8_t*, const HsbSteps&, uint8_t*)>
bool spanHsbForm(const SpanIn& in, const ShaderEnv& env, const ShaderEntry&, uint8_t* rgba) {
  const HsbSteps h = hsbSteps(filterReg(env, 0));
  return texelSpan(in, env, rgba, [h](const uint8_t* b, uint8_t* out) { Pixel(b, h, out); });
}

template <void (*Pixel)(const uint8_t*, const HsbSteps&, uint8_t*)>
ShaderEntry hsbEntry(const char* name) {
  return spanEntry(name, pixelHsbForm<Pixel>, spanHsbForm<Pixel>);
}

[[gnu::always_inline]] inline Bytes4 premultiplied(const Bytes4& s, const Float4&, const ShaderEntry&) {
  Bytes4 d = s;
  for (int k = 0; k < 3; ++k) d.c[k] = (d.c[k] * d.c[3]) >> 8;
  return d;
}

// The inverse: colour / alpha, and black where alpha is 0.
[[gnu::always_inline]] inline Bytes4 unpremultiplied(const Bytes4& s, const Float4&, const ShaderEntry&) {
  Bytes4 d = s;
  for (int k = 0; k < 3; ++k) d.c[k] = d.c[3] == 0 ? 0 : std::min(d.c[k] * 255 / d.c[3], 255);
  return d;
}

// The byte filters: each maps the source texel's bytes, under register c0, to its result
// (inlined into the span loops, where the register's steps are made once a run).
using ByteFilter = Bytes4 (*)(const Bytes4& s, const Float4& c0, const ShaderEntry& self);

template <ByteFilter F>
bool pixelBytes(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  out = floatsOf(F(bytesOf(sourceTexel(in, env)), filterReg(env, 0), self));
  return true;
}

template <ByteFilter F>
bool spanBytes(const SpanIn& in, const ShaderEnv& env, const ShaderEntry& self, uint8_t* rgba) {
  const Float4 c = filterReg(env, 0);
  return texelSpan(in, env, rgba, [&](const uint8_t* b, uint8_t* out) { storeBytes(F(bytesAt(b), c, self), out); });
}

template <ByteFilter F>
ShaderEntry byteEntry(const char* name, std::initializer_list<int> params) {
  return spanEntry(name, pixelBytes<F>, spanBytes<F>, params);
}

}  // namespace

void addFilterColour(std::vector<ShaderEntry>& bank) {
  ShaderEntry mono = spanEntry("Mono", pixelMono, spanMono);
  mono.spanBgra = true;
  bank.push_back(mono);
  bank.push_back(pixelEntry("BrightClipLess", pixelBrightClip, {0, 0}));
  bank.push_back(pixelEntry("BrightClipFillLess", pixelBrightClip, {1, 0}));
  bank.push_back(pixelEntry("BrightClipGreater", pixelBrightClip, {0, 1}));
  bank.push_back(pixelEntry("BrightClipFillGreater", pixelBrightClip, {1, 1}));
  bank.push_back(byteEntry<brightnessScaled>("BrightnessScale", {}));
  bank.push_back(hsbEntry<hsbPixel<false, true>>("Hsb_HSB_BASE"));
  bank.push_back(hsbEntry<hsbPixel<true, true>>("Hsb_HSB_HLOCK"));
  bank.push_back(hsbEntry<hsbFirstPixel>("Hsb_RGB_TO_HSB"));
  bank.push_back(hsbEntry<hsbPixel<false, false>>("Hsb_HSB_TO_RGB"));
  bank.push_back(spanEntry("Invert", pixelInvert, spanInvert));
  bank.push_back(pixelEntry("Level", pixelLevel, {}));
  bank.push_back(pixelEntry("TwoColor", pixelTwoColor, {}));
  bank.push_back(byteEntry<premultiplied>("PremultipliedAlpha", {}));
  bank.push_back(byteEntry<unpremultiplied>("InterpolatedAlpha", {}));
}

}  // namespace plat::gpu
