// The layout of the 3D shader package: which bank shader each of its 2822 entries names.
// The build-time packer writes the tokens in this order, the Direct3D 11 back end selects
// by these indices, and the bank registers the names.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gpu/shaders/bank.h"

namespace plat::gpu {

inline constexpr int kPackage3DEntries = 2822;
inline constexpr int kPackage3DMaxLights = 6;
inline constexpr int kPackage3DLightSets = 84;  // (directional, spot, point) counts with a sum of 0..6
inline constexpr int kPackage3DKinds = 7;
inline constexpr int kPackage3DTextures = 3;  // none, texture, texture with its alpha taken as 1

// Entry numbers: fog mode 0..3 is added to the vertex ones; a lit vertex entry is
// k3DLitVS + 4 x set + fog; a pixel entry is its group's first + 3 x (7 x set + kind) +
// texture (without the set for the unlit and per-vertex groups).
inline constexpr int k3DUnlitVS = 0;
inline constexpr int k3DPerPixelVS = 4;
inline constexpr int k3DShadowVS = 8;
inline constexpr int k3DLitVS = 9;
inline constexpr int k3DPerPixelPS = k3DLitVS + 4 * kPackage3DLightSets;
inline constexpr int k3DLitPS = k3DPerPixelPS + kPackage3DLightSets * kPackage3DKinds * kPackage3DTextures;
inline constexpr int k3DUnlitPS = k3DLitPS + kPackage3DKinds * kPackage3DTextures;
inline constexpr int k3DShadowPS = k3DUnlitPS + kPackage3DKinds * kPackage3DTextures;
// Lit per vertex under shadow maps: the vertex pair keeps its light terms apart for the
// pixel to shadow (any light set: the lights come from the common buffer).
inline constexpr int k3DShadowedVS = k3DShadowPS + 1;
inline constexpr int k3DShadowedPS = k3DShadowedVS + 4;
static_assert(k3DShadowedPS + kPackage3DKinds * kPackage3DTextures <= kPackage3DEntries);

// Calls f(set number, directional, spot, point) for every light set, in package order:
// by the number of lights, then more directional first, then more spot.
template <class F>
void forEachLightSet(F f) {
  int index = 0;
  for (int total = 0; total <= kPackage3DMaxLights; ++total)
    for (int d = total; d >= 0; --d)
      for (int s = total - d; s >= 0; --s) f(index++, d, s, total - d - s);
}

// The set number of a light set; -1 past six lights.
inline int lightSetIndex(int directional, int spot, int point) {
  int found = -1;
  forEachLightSet([&](int i, int d, int s, int p) {
    if (d == directional && s == spot && p == point) found = i;
  });
  return found;
}

// "d<directional>s<spot>p<point>", the light-set part of the lit names.
inline std::string lightSetName(int directional, int spot, int point) {
  return "d" + std::to_string(directional) + "s" + std::to_string(spot) + "p" + std::to_string(point);
}

struct Package3DEntry {
  ShaderStage stage;
  std::string name;  // empty: a reserved entry without code
};

// Every entry in package order; the names are those the bank registers.
inline std::vector<Package3DEntry> package3DLayout() {
  std::vector<Package3DEntry> out;
  const ShaderStage vs = ShaderStage::vertex, ps = ShaderStage::pixel;
  auto suffix = [](int kind, int tex) { return "_k" + std::to_string(kind) + "_t" + std::to_string(tex); };
  for (int fog = 0; fog < 4; ++fog) out.push_back({vs, "u3d_vs_f" + std::to_string(fog)});
  for (int fog = 0; fog < 4; ++fog) out.push_back({vs, "pp3d_vs_f" + std::to_string(fog)});
  out.push_back({vs, "sm3d_vs"});
  forEachLightSet([&](int, int d, int s, int p) {
    for (int fog = 0; fog < 4; ++fog) out.push_back({vs, "l3d_vs_" + lightSetName(d, s, p) + "_f" + std::to_string(fog)});
  });
  forEachLightSet([&](int, int d, int s, int p) {
    for (int kind = 0; kind < kPackage3DKinds; ++kind)
      for (int tex = 0; tex < kPackage3DTextures; ++tex)
        out.push_back({ps, "pp3d_ps_" + lightSetName(d, s, p) + suffix(kind, tex)});
  });
  for (const char* group : {"l3d_ps", "u3d_ps"})
    for (int kind = 0; kind < kPackage3DKinds; ++kind)
      for (int tex = 0; tex < kPackage3DTextures; ++tex) out.push_back({ps, group + suffix(kind, tex)});
  out.push_back({ps, "sm3d_ps"});
  for (int fog = 0; fog < 4; ++fog) out.push_back({vs, "sl3d_vs_f" + std::to_string(fog)});
  for (int kind = 0; kind < kPackage3DKinds; ++kind)
    for (int tex = 0; tex < kPackage3DTextures; ++tex) out.push_back({ps, "sl3d_ps" + suffix(kind, tex)});
  // The rest are reserved and empty.
  out.resize(size_t(kPackage3DEntries), Package3DEntry{ps, ""});
  return out;
}

}  // namespace plat::gpu
