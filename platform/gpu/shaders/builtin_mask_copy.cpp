// The built-in mask and simple-copy family. Mask functions copy the mask screen (slot 0,
// pair 0) through the mask in slot 1 (pair 1): the plain forms keep pixels whose mask byte
// is 0 and the reversed forms those where it is not, the byte being the channel the mask
// image's format stores it in (alpha of a colour image, red of a one-channel one); the channel
// forms output the screen colour with alpha = one channel of the mask graph or its
// complement. The copy functions draw one textured quad from clip-space positions.
#include <cstdio>

#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu {

using namespace shader;

namespace {

Float4 screenTexel(const PixelIn& in, const ShaderEnv& env) {
  return env.sample(0, in.v[texcoord(0)], in.v[texcoord(0) + 1], in, 0);
}
Float4 maskTexel(const PixelIn& in, const ShaderEnv& env) {
  return env.sample(1, in.v[texcoord(1)], in.v[texcoord(1) + 1], in, 1);
}

// param: reversed, channel holding the mask byte (0 red, 3 alpha).
bool pixelMask(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const bool masked = floatToUnorm(maskTexel(in, env)[self.param[1]], 8) != 0;
  if (masked != bool(self.param[0])) return false;
  out = screenTexel(in, env);
  return true;
}

// param: reversed, channel (0 red, 1 green, 2 blue, 3 alpha).
bool pixelMaskChannel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const float m = maskTexel(in, env)[self.param[1]];
  out = screenTexel(in, env);
  out[3] = self.param[0] ? 1.0f - m : m;
  return true;
}

void vertexCopy(const VertexIn& in, const ShaderEnv&, const ShaderEntry& self, VertexOut& out) {
  out.pos = Float4{in.in[0][0], in.in[0][1], 0.0f, 1.0f};
  for (int t = 0; t < self.param[0]; ++t) {
    out.v[texcoord(t)] = in.in[1 + t][0];
    out.v[texcoord(t) + 1] = in.in[1 + t][1];
  }
}

bool pixelCopy(const PixelIn& in, const ShaderEnv& env, const ShaderEntry&, Float4& out) {
  out = screenTexel(in, env);
  return true;
}

ShaderEntry copyVertexEntry(const char* name, int pairs) {
  ShaderEntry e;
  e.name = name;
  e.stage = ShaderStage::vertex;
  e.vertex = vertexCopy;
  e.param[0] = pairs;
  e.inputs.push_back({Semantic::position, 0});
  for (int t = 0; t < pairs; ++t) e.inputs.push_back({Semantic::texcoord, uint8_t(t)});
  e.varyings = texcoord(pairs);
  return e;
}

}  // namespace

void addBuiltinMaskCopy(std::vector<ShaderEntry>& bank) {
  bank.push_back(pixelEntry("mask_ps", pixelMask, {0, 3}));
  bank.push_back(pixelEntry("mask_rev_ps", pixelMask, {1, 3}));
  bank.push_back(pixelEntry("mask_r_ps", pixelMask, {0, 0}));
  bank.push_back(pixelEntry("mask_rev_r_ps", pixelMask, {1, 0}));
  char name[32];
  for (int reversed = 0; reversed < 2; ++reversed) {
    for (int ch = 0; ch < 4; ++ch) {
      std::snprintf(name, sizeof name, "%s_ch%d_ps", reversed ? "mask_rev" : "mask", ch);
      bank.push_back(pixelEntry(name, pixelMaskChannel, {reversed, ch}));
    }
  }
  bank.push_back(copyVertexEntry("copy_vs", 2));
  bank.push_back(copyVertexEntry("copy8_vs", 8));
  bank.push_back(pixelEntry("copy_ps", pixelCopy, {}));
}

}  // namespace plat::gpu
