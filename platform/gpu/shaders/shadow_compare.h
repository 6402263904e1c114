// Shadow maps as the lit 3D pixel functions of both faces read them: a vertex takes its
// world position through each bound map's light view-projection, and a pixel compares its
// light-space depth with the depth the map stores there. Written once, so the Direct3D 9
// face's fixed function and the Direct3D 11 3D shaders shadow the same pixels.
#pragma once
#include "platform/gpu/shaders/bank.h"
#include "platform/gpu/shaders/fixed_function.h"
#include "platform/gpu/texel_format.h"

namespace plat::gpu::shader {

// Up to three maps; map i is read from texture slot kShadowTextureSlot + i, its clip-space
// position travels in varyings kShadowClipAt + 4 i.
inline constexpr int kShadowMaps = 3;
inline constexpr int kShadowTextureSlot = 13;
inline constexpr int kShadowLightAt = kExtra + 4;  // the diffuse light terms, beside the fog factor
inline constexpr int kShadowClipAt = kExtra + 8;
inline constexpr int kShadowVaryings = kShadowClipAt + 4 * kShadowMaps;

// A map's constants: its view-projection as rows (the matrix transposed), its depth bias,
// the width of the step from lit to shadowed beyond it, and whether the slot is in use.
struct ShadowSlot {
  float rows[4][4];
  float bias, ramp;
  bool on;
};

// The clip-space position of world position w in the map's light space.
inline void shadowClip(const ShadowSlot& s, const float w[3], float out[4]) {
  for (int r = 0; r < 4; ++r) out[r] = s.rows[r][0] * w[0] + s.rows[r][1] * w[1] + s.rows[r][2] * w[2] + s.rows[r][3];
}

// How much light passes the map at clip-space position c: 1 where the pixel is no deeper
// than the stored depth plus the bias, 0 from `ramp` beyond that, linear between. Outside
// the map, behind the light (w <= 0) or without a map, every pixel is lit. The depth is
// read from the texel the point falls in (red channel, no filtering).
inline float shadowPass(const View* map, const ShadowSlot& s, const float c[4]) {
  if (map == nullptr || !(c[3] > 0.0f)) return 1.0f;
  const float x = c[0] / c[3], y = c[1] / c[3], z = c[2] / c[3];
  const float u = x * 0.5f + 0.5f, v = 0.5f - y * 0.5f;
  if (!(u >= 0.0f && u < 1.0f && v >= 0.0f && v < 1.0f)) return 1.0f;
  const int sub = map->subresource(0, 0);
  const Subresource& level = map->texture().sub(sub);
  const int tx = int(u * float(level.width)), ty = int(v * float(level.height));
  if (tx >= level.width || ty >= level.height) return 1.0f;
  const float stored = loadTexel(readFormat(map->format()), map->texture().data(sub), level.pitch, tx, ty)[0];
  const float beyond = z - s.bias - stored;
  if (beyond <= 0.0f) return 1.0f;
  return s.ramp > 0.0f ? clamp01(1.0f - beyond / s.ramp) : 0.0f;
}

// The product of what every map in use lets through; clips holds kShadowMaps positions.
inline float shadowFactor(const View* const maps[kShadowMaps], const ShadowSlot slots[kShadowMaps],
                          const float* clips) {
  float f = 1.0f;
  for (int i = 0; i < kShadowMaps; ++i)
    if (slots[i].on) f *= shadowPass(maps[i], slots[i], clips + 4 * i);
  return f;
}

}  // namespace plat::gpu::shader
