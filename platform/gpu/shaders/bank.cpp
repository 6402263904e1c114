// The bank's registry and the stage environment's constant and texture reads.
#include "platform/gpu/shaders/bank.h"

#include <cstring>

namespace plat::gpu {

const std::vector<ShaderEntry>& shaderBank() {
  static const std::vector<ShaderEntry> bank = [] {
    std::vector<ShaderEntry> b;
    addBuiltin2D(b);
    addBuiltin3D(b);
    addBuiltinMaskCopy(b);
    addFilterColour(b);
    addFilterSampling(b);
    addBlends(b);
    return b;
  }();
  return bank;
}

const ShaderEntry* findShaderByName(std::string_view name, ShaderStage stage) {
  for (const ShaderEntry& e : shaderBank())
    if (e.stage == stage && e.name == name) return &e;
  return nullptr;
}

namespace {

// Four bytes at byteOffset of a bound buffer, or zeros past its end or from an empty slot.
template <class T>
T readConstant(const ShaderEnv& env, int slot, int byteOffset) {
  T v{};
  if (slot < 0 || slot >= kConstantSlots || !env.cb[slot] || byteOffset < 0 ||
      size_t(byteOffset) + sizeof(T) > env.cbSize[slot])
    return v;
  std::memcpy(&v, env.cb[slot] + byteOffset, sizeof(T));
  return v;
}

}  // namespace

float ShaderEnv::constant(int slot, int byteOffset) const { return readConstant<float>(*this, slot, byteOffset); }

int32_t ShaderEnv::constantInt(int slot, int byteOffset) const { return readConstant<int32_t>(*this, slot, byteOffset); }

// A register reaching past the buffer's end, or of no buffer: each float on its own.
Float4 ShaderEnv::regSlow(int slot, int index) const {
  Float4 r;
  for (int k = 0; k < 4; ++k) r[k] = constant(slot, index * 16 + 4 * k);
  return r;
}

Float4 ShaderEnv::sample(int slot, float u, float v, const PixelIn& in, int pair) const {
  if (slot < 0 || slot >= kSamplerSlots || !views[slot] || !samplerDescs[slot]) return Float4{0.0f, 0.0f, 0.0f, 0.0f};
  const Subresource& s = views[slot]->texture().sub(views[slot]->subresource(0, 0));
  return samplers[slot].sample(u, v, textureLod(in, pair, float(s.width), float(s.height)));
}

}  // namespace plat::gpu
