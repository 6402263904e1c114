// Pieces the filter and blend shaders share: the constant accessor of both faces, texel
// reads of the source (slot 0, pair 0) and the second texture (slot 1, pair 1), byte
// conversions and the fixed-point luminance the software filters use.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu::shader {

inline Float4 filterReg(const ShaderEnv& env, int index) {
  return env.reg(env.cb[kFilterSlotD3D11] != nullptr ? kFilterSlotD3D11 : kFilterSlotD3D9, index);
}

// Registers c0 .. c(rows - 1) copied out in one go, zeros past the bound buffer's end.
inline void filterRows(const ShaderEnv& env, int rows, float (*out)[4]) {
  const int slot = env.cb[kFilterSlotD3D11] != nullptr ? kFilterSlotD3D11 : kFilterSlotD3D9;
  const size_t want = size_t(rows) * 16, have = env.cb[slot] != nullptr ? std::min(env.cbSize[slot], want) : 0;
  if (have > 0) std::memcpy(out, env.cb[slot], have);
  if (have < want) std::memset(reinterpret_cast<uint8_t*>(out) + have, 0, want - have);
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
// A reader of the source texture at one level of detail, taken once per pixel for the
// filters that read many taps at the same scale.
struct SourceTaps {
  const TextureSampler* sampler = nullptr;
  float lod = 0.0f;
  SourceTaps(const PixelIn& in, const ShaderEnv& env) {
    const View* v = env.view(0);
    if (v == nullptr || env.samplerDescs[0] == nullptr) return;
    const Subresource& s = v->texture().sub(v->subresource(0, 0));
    sampler = &env.samplers[0];
    lod = textureLod(in, 0, float(s.width), float(s.height));
  }
  Float4 operator()(float u, float v) const { return sampler ? sampler->sample(u, v, lod) : Float4{0, 0, 0, 0}; }
};

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
