// Graph blends: the source (slot 0) blended with the blend graph (slot 1). The colour
// kinds give result = s + (f(s, b) - s) · b.a · c0; the alpha-channel and alpha-only kinds
// work on alpha too. The channel mix picks each output channel from either texture, by
// selectors baked into its name or read from c1. Sums repeat the software blends' fixed
// point on purpose (this layer cannot call the media layer) so both paths give the same
// bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/gpu/shaders/filter_span.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define HALVORINE_BLEND_AVX2 1  // four pixels a register where the processor has AVX2
#endif

namespace plat::gpu {

using namespace shader;

namespace {

enum Kind {
  kNormal = 0, kMultiple = 2, kDifference, kAdd, kScreen, kOverlay, kDodge, kBurn, kDarken, kLighten, kSoftLight,
  kHardLight, kExclusion, kNormalAlphaCh, kAddAlphaCh, kMultipleAOnly, kPMAMultipleAOnly
};

// Inlined into each kind's own blend, where the switch folds away.
[[gnu::always_inline]] inline int target(int kind, int s, int b) {
  switch (kind) {
    case kNormal: return b;
    case kMultiple: return (s * b) >> 8;
    case kDifference: return s - b < 0 ? 0 : s - b;
    case kAdd: return std::min(s + b, 255);
    case kScreen: return 255 - (((255 - s) * (255 - b)) >> 8);
    case kOverlay: return s < 128 ? (b * s) >> 7 : std::min(((((256 - s) * b + (s << 8)) * 2) >> 8) - 255, 255);
    case kDodge: return b == 255 ? 255 : std::min(s * 256 / (255 - b), 255);
    case kBurn: return std::max(255 + (s - 255) * 256 / (b + 1), 0);
    case kDarken: return std::min(s, b);
    case kLighten: return std::max(s, b);
    case kSoftLight: {
      const float bf = float(b) / 255.0f;
      const float power = b < 128 ? (1.0f - bf) * 2.0f : 0.5f / bf;
      const float v = 255.0f * std::pow(float(s) / 255.0f, power);
      return v >= 255.0f ? 255 : v <= 0.0f ? 0 : int(v);
    }
    case kHardLight: return b < 128 ? (s * b) >> 7 : std::min((((256 - s) * b + (s << 8)) >> 7) - 255, 255);
    default: return std::min(((s << 7) + (128 - s) * b) >> 7, 255);  // exclusion
  }
}

// The blend of source bytes s with blend-graph bytes b at ratio k (0..256).
template <int Kind>
[[gnu::always_inline]] inline Bytes4 blendOf(const Bytes4& s, const Bytes4& b, int k) {
  constexpr int kind = Kind;
  Bytes4 d = s;
  const unsigned sA = unsigned(s.c[3]);
  if (kind < kNormalAlphaCh) {
    const int a = b.c[3] * k;
    for (int c = 0; c < 3; ++c) d.c[c] = ((target(kind, s.c[c], b.c[c]) - s.c[c]) * a + (s.c[c] << 16)) >> 16;
  } else if (kind == kNormalAlphaCh || kind == kAddAlphaCh) {
    const unsigned a = (unsigned(b.c[3]) * unsigned(k)) >> 8;
    if (kind == kNormalAlphaCh) {
      const unsigned w = sA * (256 - a) + (a << 8);
      if (w == 0) {
        d = Bytes4{{0, 0, 0, 0}};
      } else {
        for (int c = 0; c < 3; ++c) d.c[c] = int((unsigned(s.c[c]) * sA * (256 - a) + ((unsigned(b.c[c]) * a) << 8)) / w);
        d.c[3] = int(w >> 8);
      }
    } else {
      const unsigned alpha = ((256 - a) * sA + (a << 8)) >> 8;
      if (alpha == 0) {
        d = Bytes4{{0, 0, 0, 0}};
      } else {
        for (int c = 0; c < 3; ++c) d.c[c] = int(std::min((unsigned(b.c[c]) * a + unsigned(s.c[c]) * sA) / alpha, 255u));
        d.c[3] = int(std::min(alpha, 255u));
      }
    }
  } else {
    const int alpha = (((int((unsigned(b.c[3]) * sA) >> 8) - int(sA)) * (k * 255)) + int(sA << 16)) >> 16;
    if (kind == kPMAMultipleAOnly)
      for (int c = 0; c < 3; ++c) d.c[c] = sA == 0 ? 0 : int((std::min(unsigned(s.c[c]) * 256u / sA, 255u) * unsigned(alpha)) >> 8);
    d.c[3] = alpha;
  }
  for (int& v : d.c) v = clampByte(v);
  return d;
}

// c0 = ratio four times.
template <int Kind>
bool pixelBlend(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  const Bytes4 s = bytesOf(sourceTexel(in, env)), b = bytesOf(secondTexel(in, env));
  out = floatsOf(blendOf<Kind>(s, b, int(filterReg(env, 0)[0] * 256.0f)));
  return true;
}

#if defined(__SSE2__)
// Normal and Multiple on two pixels a register, eight 16-bit lanes: blendOf's
// ((t - s) a + (s << 16)) >> 16 is s + floor((t - s) a / 65536), the product's high half
// (less one where a negative product leaves a remainder); alpha stays the source's.
// a = blend alpha times k must fit 16 bits (k from 0 to 256).
template <int Kind>
void blendPairs(const uint8_t* s, const uint8_t* b, int n, int k, uint8_t* out) {
  const __m128i zero = _mm_setzero_si128(), kv = _mm_set1_epi16(int16_t(k)), one = _mm_set1_epi16(1);
  const __m128i colour = _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0);
  auto half = [&](__m128i sv, __m128i bv) {
    const __m128i t = Kind == kNormal ? bv : _mm_srli_epi16(_mm_mullo_epi16(sv, bv), 8);
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(bv, 0xFF), 0xFF);
    const __m128i a = _mm_mullo_epi16(alpha, kv);
    const __m128i d = _mm_sub_epi16(t, sv), m = _mm_srai_epi16(d, 15);
    const __m128i mag = _mm_sub_epi16(_mm_xor_si128(d, m), m);
    const __m128i hi = _mm_mulhi_epu16(mag, a), lo = _mm_mullo_epi16(mag, a);
    const __m128i rest = _mm_andnot_si128(_mm_cmpeq_epi16(lo, zero), _mm_and_si128(m, one));
    const __m128i q = _mm_sub_epi16(_mm_sub_epi16(_mm_xor_si128(hi, m), m), rest);
    return _mm_or_si128(_mm_and_si128(colour, _mm_add_epi16(sv, q)), _mm_andnot_si128(colour, sv));
  };
  for (int i = 0; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
    const __m128i bv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * i));
    const __m128i low = half(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(bv, zero));
    const __m128i high = half(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(bv, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_packus_epi16(low, high));
  }
}
#endif

#if defined(HALVORINE_BLEND_AVX2)
// blendPairs' steps on sixteen 16-bit lanes (the unpacks and the pack keep to each
// 128-bit half, so the pixels come back in their order). Returns how many pixels it did.
template <int Kind>
__attribute__((target("avx2"))) inline __m256i blendHalf(__m256i sv, __m256i bv, __m256i kv) {
  const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi16(1);
  const __m256i colour = _mm256_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0);
  const __m256i t = Kind == kNormal ? bv : _mm256_srli_epi16(_mm256_mullo_epi16(sv, bv), 8);
  const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(bv, 0xFF), 0xFF);
  const __m256i a = _mm256_mullo_epi16(alpha, kv);
  const __m256i d = _mm256_sub_epi16(t, sv), m = _mm256_srai_epi16(d, 15);
  const __m256i mag = _mm256_sub_epi16(_mm256_xor_si256(d, m), m);
  const __m256i hi = _mm256_mulhi_epu16(mag, a), lo = _mm256_mullo_epi16(mag, a);
  const __m256i rest = _mm256_andnot_si256(_mm256_cmpeq_epi16(lo, zero), _mm256_and_si256(m, one));
  const __m256i q = _mm256_sub_epi16(_mm256_sub_epi16(_mm256_xor_si256(hi, m), m), rest);
  return _mm256_or_si256(_mm256_and_si256(colour, _mm256_add_epi16(sv, q)), _mm256_andnot_si256(colour, sv));
}

template <int Kind>
__attribute__((target("avx2"))) int blendEights(const uint8_t* s, const uint8_t* b, int n, int k, uint8_t* out) {
  const __m256i zero = _mm256_setzero_si256(), kv = _mm256_set1_epi16(int16_t(k));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i));
    const __m256i bv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 4 * i));
    const __m256i low = blendHalf<Kind>(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(bv, zero), kv);
    const __m256i high = blendHalf<Kind>(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(bv, zero), kv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), _mm256_packus_epi16(low, high));
  }
  return i;
}
#endif

template <int Kind>
bool spanBlend(const SpanIn& in, const ShaderEnv& env, const ShaderEntry&, uint8_t* rgba) {
  const int k = int(filterReg(env, 0)[0] * 256.0f);
#if defined(__SSE2__)
  if constexpr (Kind == kNormal || Kind == kMultiple) {
    if (k >= 0 && k <= 256) {
      uint8_t sb[kSpanRun * 4], bb[kSpanRun * 4];
      const uint8_t *sv = nullptr, *bv = nullptr;
      if (!pairRuns(in, env, rgba, sb, bb, sv, bv)) return false;
      int eights = 0;
#if defined(HALVORINE_BLEND_AVX2)
      if (wideSpans()) eights = blendEights<Kind>(sv, bv, in.n, k, rgba);
#endif
      const int whole = in.n & ~3;
      blendPairs<Kind>(sv + 4 * eights, bv + 4 * eights, whole - eights, k, rgba + 4 * eights);
      for (int i = whole; i < in.n; ++i)
        storeBytes(blendOf<Kind>(bytesAt(sv + 4 * i), bytesAt(bv + 4 * i), k), rgba + 4 * i);
      return true;
    }
  }
#endif
  if constexpr (Kind < kNormalAlphaCh) {
    // The colour kinds on plain bytes: blendOf's steps, kept in registers.
    return pairSpan(in, env, rgba, [k](const uint8_t* s, const uint8_t* b, uint8_t* out) {
      const int a = b[3] * k;
      for (int c = 0; c < 3; ++c)
        out[c] = uint8_t(clampByte(((target(Kind, s[c], b[c]) - s[c]) * a + (s[c] << 16)) >> 16));
      out[3] = s[3];
    });
  } else {
    return pairSpan(in, env, rgba, [k](const uint8_t* s, const uint8_t* b, uint8_t* out) {
      storeBytes(blendOf<Kind>(bytesAt(s), bytesAt(b), k), out);
    });
  }
}

const char* const kBlendNames[18] = {
    "BasBF_Normal",     "",         "BasBF_Multiple",  "BasBF_Difference", "BasBF_Add",
    "BasBF_Screen",     "BasBF_Overlay", "BasBF_Dodge", "BasBF_Burn",      "BasBF_Darken",
    "BasBF_Lighten",    "BasBF_SoftLight", "BasBF_HardLight", "BasBF_Exclusion", "BasBF_Normal_AlphaCh",
    "BasBF_Add_AlphaCh", "BasBF_Multiple_AOnly", "BasBF_PMA_Multiple_AOnly"};

// One entry a kind (kind 1 has none), each with the kind's own functions. Every kind
// treats red, green and blue alike, so its span form runs on blue-first bytes as well.
template <int Kind>
ShaderEntry blendEntry() {
  ShaderEntry e = spanEntry(kBlendNames[Kind], pixelBlend<Kind>, spanBlend<Kind>, {Kind});
  e.spanBgra = true;
  return e;
}
template <int... Kind>
void addBlendKinds(std::vector<ShaderEntry>& bank, std::integer_sequence<int, Kind...>) {
  (bank.push_back(blendEntry<Kind>()), ...);
}

void mixSelectors(const ShaderEnv& env, const ShaderEntry& self, int sel[4]) {
  const Float4 c1 = filterReg(env, 1);
  for (int k = 0; k < 4; ++k) sel[k] = self.param[k] >= 0 ? self.param[k] : int(c1[k]);
}

bool pixelMix(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const Float4 t[2] = {sourceTexel(in, env), secondTexel(in, env)};
  int sel[4];
  mixSelectors(env, self, sel);
  for (int k = 0; k < 4; ++k) out[k] = sel[k] >= 0 && sel[k] <= 7 ? t[sel[k] / 4][sel[k] % 4] : 0.0f;
  return true;
}

bool spanMix(const SpanIn& in, const ShaderEnv& env, const ShaderEntry& self, uint8_t* rgba) {
  int sel[4];
  mixSelectors(env, self, sel);
  return pairSpan(in, env, rgba, [&](const uint8_t* s, const uint8_t* b, uint8_t* out) {
    // Every byte read before any is written: the output may be the source's own pixel.
    const uint8_t* t[2] = {s, b};
    uint8_t d[4];
    for (int k = 0; k < 4; ++k) d[k] = sel[k] >= 0 && sel[k] <= 7 ? t[sel[k] / 4][sel[k] % 4] : 0;
    std::memcpy(out, d, 4);
  });
}

}  // namespace

void addBlends(std::vector<ShaderEntry>& bank) {
  addBlendKinds(bank, std::integer_sequence<int, kNormal, kMultiple, kDifference, kAdd, kScreen, kOverlay, kDodge,
                                          kBurn, kDarken, kLighten, kSoftLight, kHardLight, kExclusion,
                                          kNormalAlphaCh, kAddAlphaCh, kMultipleAOnly, kPMAMultipleAOnly>{});
  bank.push_back(spanEntry("RGBAMix_Base", pixelMix, spanMix, {-1, -1, -1, -1}));
  // Named forms: three source channels and one blend channel.
  static const char kLetters[4] = {'R', 'G', 'B', 'A'};
  char name[40];
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 4; ++g)
      for (int b = 0; b < 4; ++b)
        for (int a = 0; a < 4; ++a) {
          const bool same = r == g && g == b, rgb = r == 0 && g == 1 && b == 2;
          if (!same && !rgb) continue;
          std::snprintf(name, sizeof name, "RGBAMix_S%cS%cS%cB%c", kLetters[r], kLetters[g], kLetters[b], kLetters[a]);
          bank.push_back(spanEntry(name, pixelMix, spanMix, {r, g, b, a + 4}));
        }
  // Indexed forms: index a + 4 (b + 4 (g + 4 r)), every selector from the source.
  for (int i = 0; i < 256; ++i) {
    std::snprintf(name, sizeof name, "RGBAMix_I%03d", i);
    bank.push_back(spanEntry(name, pixelMix, spanMix, {(i >> 6) & 3, (i >> 4) & 3, (i >> 2) & 3, i & 3}));
  }
}

}  // namespace plat::gpu
