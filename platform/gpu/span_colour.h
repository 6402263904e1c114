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

// A constant colour in the target's byte order: its bytes (255 in a channel the pixel
// function leaves out of the product) and the same as the floats the planes hold.
struct ByteColour {
  uint32_t c[4];
  float f[4];
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
  uint32_t dst;
  std::memcpy(&dst, p, 4);
  uint32_t out = 0;
  bool near = false;
  const uint32_t a = prod[3];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    const uint32_t d = dst >> (8 * k) & 0xFFu;
    uint32_t x;
    if constexpr (M == Mode::off) {
      x = (prod[k] + 127) / 255;
    } else if constexpr (M == Mode::alpha) {
      // s·a + d·(1 − a), times 255: (t·c · a' + 255·d·(255² − a')) / 255³; at most 255⁴.
      x = roundCube(uint64_t(prod[k]) * a + uint64_t(255 * d) * (65025 - a), near);
    } else if constexpr (M == Mode::add) {
      x = d + roundCube(uint64_t(prod[k]) * a, near);
      x = x > 255 ? 255 : x;
    } else if constexpr (M == Mode::subtract) {
      const uint32_t sa = roundCube(uint64_t(prod[k]) * a, near);
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

}  // namespace plat::gpu::fastbytes
