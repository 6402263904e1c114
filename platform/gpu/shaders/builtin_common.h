// Pieces the built-in shader families share: the alpha test every built-in pixel function
// ends with, saturation, and reads of the standard varyings.
#pragma once
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/gpu/shaders/bank.h"

namespace plat::gpu::shader {

inline float saturate(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

inline Float4 varying4(const PixelIn& in, int at) { return Float4{in.v[at], in.v[at + 1], in.v[at + 2], in.v[at + 3]}; }

inline Compare compareFromCode(int code) {
  switch (code) {
    case kCmpNever: return Compare::never;
    case kCmpLess: return Compare::less;
    case kCmpEqual: return Compare::equal;
    case kCmpLessEqual: return Compare::lessEqual;
    case kCmpGreater: return Compare::greater;
    case kCmpNotEqual: return Compare::notEqual;
    case kCmpGreaterEqual: return Compare::greaterEqual;
    default: return Compare::always;
  }
}

// The reference as a byte value: the stored reference / 255 scaled back and rounded, so
// that -1 becomes -255 and every alpha byte passes GREATER.
inline int alphaReference(const ShaderEnv& env) {
  const float r = env.constant(kPsBaseSlot, kPsAlphaReference) * 255.0f + 0.5f;
  if (!(r == r)) return 0;
  if (r < -1024.0f) return -1024;
  if (r > 1024.0f) return 1024;
  return int(std::floor(r));
}

// Variant 0 tests with GREATER; variant 1 with the function stored beside the reference.
// The alpha is compared as the byte the UNORM rule stores.
inline bool alphaPasses(const ShaderEnv& env, int variant, float alpha) {
  const Compare f = variant ? compareFromCode(env.constantInt(kPsBaseSlot, kPsAlphaFunction)) : Compare::greater;
  return compare(f, int(floatToUnorm(alpha, 8)), alphaReference(env));
}

// Kinds 2 and 5 take the complement of their colour source: a plain diffuse colour,
// or a texel before the diffuse colour modulates it.
inline bool invertsSource(int kind) { return kind == 2 || kind == 5; }
inline void invertColour(Float4& c) {
  for (int k = 0; k < 3; ++k) c[k] = 1.0f - c[k];
}

// The pixel kinds act on colour whose source the caller has already inverted where the
// kind asks; alpha passes through. Kind 1 blends toward `toward` (the factor colour).
inline void applyKind(int kind, const Float4& toward, Float4& c) {
  const float a = c[3];
  switch (kind) {
    case 0:
    case 2: break;
    case 1:
      for (int k = 0; k < 3; ++k) c[k] = c[k] * a + toward[k] * (1.0f - a);
      break;
    case 3:
      for (int k = 0; k < 3; ++k) c[k] = std::min(4.0f * c[k], 1.0f);
      break;
    case 4:
    case 5:
      for (int k = 0; k < 3; ++k) c[k] = c[k] * a;
      break;
    case 6:
      for (int k = 0; k < 3; ++k) c[k] = std::min(4.0f * c[k], 1.0f) * a;
      break;
  }
}

inline ShaderEntry pixelEntry(const char* name, PixelFn fn, std::initializer_list<int> params) {
  ShaderEntry e;
  e.name = name;
  e.stage = ShaderStage::pixel;
  e.pixel = fn;
  int i = 0;
  for (int v : params) e.param[i++] = v;
  return e;
}

// Appends the colour and texture-coordinate inputs a standard vertex function passes
// through, and sets the varyings it writes.
inline void passThroughInputs(ShaderEntry& e, int colours, int pairs) {
  for (int c = 0; c < colours; ++c) e.inputs.push_back({Semantic::colour, uint8_t(c)});
  for (int t = 0; t < pairs; ++t) e.inputs.push_back({Semantic::texcoord, uint8_t(t)});
  e.varyings = pairs ? texcoord(pairs) : 4 * colours;
}

}  // namespace plat::gpu::shader
