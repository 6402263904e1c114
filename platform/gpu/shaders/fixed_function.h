// Lighting and fog arithmetic of the fixed-function 3D draw, written once: the Direct3D 9
// face's own vertex function and the bank's 3D shaders both call these, so the two paths
// compute alike. Lights arrive in view space (the eye at the origin, looking along +z).
#pragma once
#include <cmath>

namespace plat::gpu::shader {

enum : int { kFixedPoint = 1, kFixedSpot = 2, kFixedDirectional = 3 };
enum : int { kFogNone = 0, kFogExp = 1, kFogExp2 = 2, kFogLinear = 3 };

// The smallest difference the fog range and a spot light's cone edge are given, so that
// start = end fog and theta = phi spots become steps instead of infinities.
inline float leastDifference(float larger, float smaller) {
  const float d = larger - smaller;
  const float scale = std::fabs(larger) > std::fabs(smaller) ? std::fabs(larger) : std::fabs(smaller);
  const float least = scale * 1e-6f > 1e-6f ? scale * 1e-6f : 1e-6f;
  return d > least ? d : least;
}

// One light, ready for a vertex: view-space position and the unit direction it shines
// along, range squared, the three attenuations, spot falloff, cos(phi / 2) and
// 1 / (cos(theta / 2) - cos(phi / 2)), and its three colours. `ambient` is the light's
// ambient colour; callers that fold the material ambient in beforehand pass a surface
// ambient of 1.
struct FixedLight {
  int type;
  float pos[3], dir[3];
  float range2;
  float att[3];
  float falloff, cosHalfPhi, invCone;
  float diffuse[3], specular[3], ambient[3];
};

// The surface a vertex shows: material colours or the vertex colours standing in for them.
struct FixedSurface {
  float diffuse[4], specular[4];
  float ambient[3];
  float emissive[3];  // with the global ambient already folded in, or not: see `globalAmbient`
  float power;
};

inline float clamp01(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

// The spot terms as they are stored: cos(phi / 2) and the inverse cone difference.
inline void spotTerms(float theta, float phi, float& cosHalfPhi, float& invCone) {
  const float cosTheta = std::cos(theta * 0.5f);
  cosHalfPhi = std::cos(phi * 0.5f);
  invCone = 1.0f / leastDifference(cosTheta, cosHalfPhi);
}

// The lighting of one vertex at view-space position p with unit normal n. Diffuse:
// emissive + ambient x (global + sum of light ambients) + sum of diffuse x light diffuse
// x N.L; specular: sum of specular x light specular x (N.H)^power, with H the half vector
// toward the eye; every light term scaled by its attenuation and spot factor. Here in
// three parts, unclamped: `base` the emissive and ambient terms (and the diffuse alpha),
// `light` the diffuse light terms, `specular` the specular terms (0 without specular). A
// shadow scales the last two before they are summed and clamped.
inline void lightVertexParts(const FixedLight* lights, int count, const FixedSurface& s, const float globalAmbient[3],
                             const float p[3], const float n[3], bool specularOn, float base[4], float light[3],
                             float specular[3]) {
  float amb[3] = {globalAmbient[0], globalAmbient[1], globalAmbient[2]};
  float dif[3] = {0.0f, 0.0f, 0.0f}, spe[3] = {0.0f, 0.0f, 0.0f};
  // The eye direction for the half vector (the viewer is local).
  float e[3] = {-p[0], -p[1], -p[2]};
  const float el = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
  if (el > 0.0f) e[0] /= el, e[1] /= el, e[2] /= el;
  const bool hasNormal = n[0] != 0.0f || n[1] != 0.0f || n[2] != 0.0f;
  for (int i = 0; i < count; ++i) {
    const FixedLight& L = lights[i];
    float l[3];
    float factor = 1.0f;
    if (L.type == kFixedDirectional) {
      l[0] = -L.dir[0], l[1] = -L.dir[1], l[2] = -L.dir[2];
    } else {
      l[0] = L.pos[0] - p[0], l[1] = L.pos[1] - p[1], l[2] = L.pos[2] - p[2];
      const float d2 = l[0] * l[0] + l[1] * l[1] + l[2] * l[2];
      if (d2 > L.range2) continue;
      const float d = std::sqrt(d2);
      if (d > 0.0f) l[0] /= d, l[1] /= d, l[2] /= d;
      const float denom = L.att[0] + L.att[1] * d + L.att[2] * d2;
      factor = denom > 0.0f ? 1.0f / denom : 0.0f;
      if (L.type == kFixedSpot) {
        const float rho = -(l[0] * L.dir[0] + l[1] * L.dir[1] + l[2] * L.dir[2]);
        const float t = clamp01((rho - L.cosHalfPhi) * L.invCone);
        factor *= t <= 0.0f || t >= 1.0f || L.falloff == 1.0f ? t : std::pow(t, L.falloff);
        if (factor <= 0.0f) continue;
      }
    }
    amb[0] += L.ambient[0] * factor, amb[1] += L.ambient[1] * factor, amb[2] += L.ambient[2] * factor;
    if (!hasNormal) continue;
    const float nl = n[0] * l[0] + n[1] * l[1] + n[2] * l[2];
    if (nl <= 0.0f) continue;
    const float fd = nl * factor;
    dif[0] += L.diffuse[0] * fd, dif[1] += L.diffuse[1] * fd, dif[2] += L.diffuse[2] * fd;
    if (!specularOn) continue;
    float h[3] = {l[0] + e[0], l[1] + e[1], l[2] + e[2]};
    const float hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    if (hl <= 0.0f) continue;
    const float nh = (n[0] * h[0] + n[1] * h[1] + n[2] * h[2]) / hl;
    if (nh <= 0.0f) continue;
    const float fs = (s.power == 1.0f ? nh : std::pow(nh, s.power)) * factor;
    spe[0] += L.specular[0] * fs, spe[1] += L.specular[1] * fs, spe[2] += L.specular[2] * fs;
  }
  for (int k = 0; k < 3; ++k) {
    base[k] = s.emissive[k] + s.ambient[k] * amb[k];
    light[k] = s.diffuse[k] * dif[k];
    specular[k] = specularOn ? s.specular[k] * spe[k] : 0.0f;
  }
  base[3] = clamp01(s.diffuse[3]);
}

// The lit colours of a vertex (or a pixel) whose light terms a shadow factor in 0..1
// scales (1 unshadowed): diffuse = base + shadow x light, specular = shadow x specular,
// each clamped to 0..1; the alphas are the surface's.
inline void shadowedColours(const float base[4], const float light[3], const float specular[3], float specularAlpha,
                            float shadow, float outDiffuse[4], float outSpecular[4]) {
  for (int k = 0; k < 3; ++k) {
    outDiffuse[k] = clamp01(base[k] + shadow * light[k]);
    outSpecular[k] = clamp01(shadow * specular[k]);
  }
  outDiffuse[3] = base[3];
  outSpecular[3] = clamp01(specularAlpha);
}

// Lights one vertex at view-space position p with unit normal n (a zero normal lights
// only ambient and emissive): the parts above summed, unshadowed.
inline void lightVertex(const FixedLight* lights, int count, const FixedSurface& s, const float globalAmbient[3],
                        const float p[3], const float n[3], bool specularOn, float outDiffuse[4],
                        float outSpecular[4]) {
  float base[4], light[3], specular[3];
  lightVertexParts(lights, count, s, globalAmbient, p, n, specularOn, base, light, specular);
  for (int k = 0; k < 3; ++k) {
    outDiffuse[k] = clamp01(base[k] + light[k]);
    outSpecular[k] = specularOn ? clamp01(specular[k]) : 0.0f;
  }
  outDiffuse[3] = base[3];
  outSpecular[3] = clamp01(s.specular[3]);
}

// The linear fog terms as stored: end / (end - start) and -1 / (end - start).
inline void linearFogTerms(float start, float end, float& scale, float& slope) {
  const float range = leastDifference(end, start);
  scale = end / range;
  slope = -1.0f / range;
}

// Fog factor (1 unfogged, 0 fully fogged) at eye-space depth `depth`.
inline float fogFactor(int mode, float depth, float scale, float slope, float density) {
  switch (mode) {
    case kFogLinear: return clamp01(scale + depth * slope);
    case kFogExp: return clamp01(std::exp(-depth * density));
    case kFogExp2: {
      const float x = depth * density;
      return clamp01(std::exp(-x * x));
    }
    default: return 1.0f;
  }
}

// The fogged colour: f x colour + (1 - f) x fog colour, alpha unchanged.
inline void applyFog(float f, const float fogColour[3], float colour[4]) {
  for (int k = 0; k < 3; ++k) colour[k] = colour[k] * f + fogColour[k] * (1.0f - f);
}

}  // namespace plat::gpu::shader
