// Pieces the filter and blend shaders share: the constant accessor of both faces, texel
// reads of the source (slot 0, pair 0) and the second texture (slot 1, pair 1), byte
// conversions and the fixed-point luminance the software filters use.
#pragma once
#include <cmath>

#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu::shader {

inline Float4 filterReg(const ShaderEnv& env, int index) {
  return env.reg(env.cb[kFilterSlotD3D11] != nullptr ? kFilterSlotD3D11 : kFilterSlotD3D9, index);
}

inline Float4 sourceTexel(const PixelIn& in, const ShaderEnv& env) {
  return env.sample(0, in.v[texcoord(0)], in.v[texcoord(0) + 1], in, 0);
}
inline Float4 secondTexel(const PixelIn& in, const ShaderEnv& env) {
  return env.sample(1, in.v[texcoord(1)], in.v[texcoord(1) + 1], in, 1);
}
// The texel at (x, y) of the texture in a slot, read at its centre.
inline Float4 texelAt(const PixelIn& in, const ShaderEnv& env, int slot, int x, int y) {
  const View* v = env.view(slot);
  if (v == nullptr) return Float4{0, 0, 0, 0};
  const Subresource& s = v->texture().sub(v->subresource(0, 0));
  return env.sample(slot, (float(x) + 0.5f) / float(s.width), (float(y) + 0.5f) / float(s.height), in, slot);
}
inline int textureWidth(const ShaderEnv& env, int slot) {
  const View* v = env.view(slot);
  return v == nullptr ? 1 : v->texture().sub(v->subresource(0, 0)).width;
}

inline int toByte(float x) { return int(floatToUnorm(x, 8)); }
inline float fromByte(int b) { return kUnorm8[b < 0 ? 0 : b > 255 ? 255 : b]; }
inline int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Bytes of a texel: [0] red, [1] green, [2] blue, [3] alpha.
struct Bytes4 {
  int c[4];
};
inline Bytes4 bytesOf(const Float4& f) { return Bytes4{{toByte(f[0]), toByte(f[1]), toByte(f[2]), toByte(f[3])}}; }
inline Float4 floatsOf(const Bytes4& b) {
  return Float4{fromByte(b.c[0]), fromByte(b.c[1]), fromByte(b.c[2]), fromByte(b.c[3])};
}

// The luminance in 12-bit fixed point (>> 12 gives 0..255), its weights taken from a
// register (0.299, 0.587, 0.114) as the software filters round them.
inline int lumaFixed(const Bytes4& p, const Float4& weights) {
  return int(weights[0] * 4096.0f) * p.c[0] + int(weights[1] * 4096.0f) * p.c[1] + int(weights[2] * 4096.0f) * p.c[2];
}

}  // namespace plat::gpu::shader
