// The built-in 3D family. Standard vertex functions for the 3D vertex formats 3-6 (the
// position through world, view and projection, colours and coordinates passed through),
// and the shaders of the 3D package for format 5: unlit, lit per vertex and lit per
// pixel, each with vertex fog, the texture-coordinate transform and the pixel kinds of
// the blend rows; the shadow-map pair, which writes depth; and the lit pair that shadow
// maps darken. Lighting, fog and the shadow comparison use the arithmetic the Direct3D 9
// face uses (fixed_function.h, shadow_compare.h).
#include "platform/gpu/shaders/builtin_common.h"
#include "platform/gpu/shaders/fixed_function.h"
#include "platform/gpu/shaders/package3d.h"
#include "platform/gpu/shaders/shadow_compare.h"

namespace plat::gpu {

using namespace shader;

namespace {

// Rows of an affine matrix (3 registers) or of the projection (4) applied to (x, y, z, w).
Float4 applyRows(const ShaderEnv& env, int offset, int rows, const Float4& p) {
  Float4 out{p[0], p[1], p[2], 1.0f};
  Float4 r;
  for (int i = 0; i < rows; ++i) {
    const Float4 m = env.reg(kVsBaseSlot, offset / 16 + i);
    r[i] = m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + m[3] * p[3];
  }
  for (int i = 0; i < rows; ++i) out[i] = r[i];
  return out;
}

// param: index of COLOR 0 among the inputs, colours, texture pairs.
void vertexTransformed(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  Float4 p{in.in[0][0], in.in[0][1], in.in[0][2], 1.0f};
  p = applyRows(env, kVsWorld, 3, p);
  p = applyRows(env, kVsView, 3, p);
  out.pos = applyRows(env, kVsProjection, 4, p);
  int at = self.param[0];
  for (int c = 0; c < self.param[1]; ++c, ++at)
    for (int k = 0; k < 4; ++k) out.v[kColour0 + 4 * c + k] = in.in[at][k];
  for (int t = 0; t < self.param[2]; ++t, ++at) {
    out.v[texcoord(t)] = in.in[at][0];
    out.v[texcoord(t) + 1] = in.in[at][1];
  }
}

ShaderEntry entry(const char* name, std::vector<VertexInput> leading, int colours, int pairs) {
  ShaderEntry e;
  e.name = name;
  e.stage = ShaderStage::vertex;
  e.vertex = vertexTransformed;
  e.inputs = std::move(leading);
  e.param[0] = int(e.inputs.size());
  e.param[1] = colours;
  e.param[2] = pairs;
  passThroughInputs(e, colours, pairs);
  return e;
}

// ---- the 3D package (format 5: position, normal, two colours, two pairs)

constexpr int kFogAt = kExtra;            // the fog factor
constexpr int kViewPosAt = kExtra + 4;    // per-pixel lighting: view-space position
constexpr int kViewNormalAt = kExtra + 8;  // and normal

// The lights of the common buffer; a record of type 0 is a light switched off.
int readLights(const ShaderEnv& env, FixedLight* lights) {
  int n = 0;
  for (int i = 0; i < kCommonLights; ++i) {
    const int base = kCommonLightStride * i;
    const int type = int(env.constant(kCommonSlot, base));
    if (type < kFixedPoint || type > kFixedDirectional) continue;
    FixedLight& l = lights[n++];
    l.type = type;
    for (int k = 0; k < 3; ++k) {
      l.pos[k] = env.constant(kCommonSlot, base + 16 + 4 * k);
      l.dir[k] = env.constant(kCommonSlot, base + 32 + 4 * k);
      l.diffuse[k] = env.constant(kCommonSlot, base + 48 + 4 * k);
      l.specular[k] = env.constant(kCommonSlot, base + 64 + 4 * k);
      l.ambient[k] = env.constant(kCommonSlot, base + 80 + 4 * k);
      l.att[k] = env.constant(kCommonSlot, base + 96 + 4 * k);
    }
    const float dl = std::sqrt(l.dir[0] * l.dir[0] + l.dir[1] * l.dir[1] + l.dir[2] * l.dir[2]);
    if (dl > 0.0f)
      for (float& x : l.dir) x /= dl;
    l.range2 = env.constant(kCommonSlot, base + 28);
    l.falloff = env.constant(kCommonSlot, base + 44);
    l.cosHalfPhi = env.constant(kCommonSlot, base + 60);
    l.invCone = env.constant(kCommonSlot, base + 76);
  }
  return n;
}

// The surface from the material in the common buffer, or the vertex colours where the
// vertex flags say so. The ambient is folded into the lights and the emissive term.
FixedSurface surfaceOf(const ShaderEnv& vsEnv, bool vertexFlags, const ShaderEnv& env, const float* diffuse,
                       const float* specular) {
  FixedSurface s;
  const bool fromDiffuse = vertexFlags && vsEnv.constant(kVsBaseSlot, kVsDiffuseSource) != 0.0f;
  const bool fromSpecular = vertexFlags && vsEnv.constant(kVsBaseSlot, kVsSpecularSource) != 0.0f;
  for (int k = 0; k < 4; ++k) {
    s.diffuse[k] = fromDiffuse ? diffuse[k] : env.constant(kCommonSlot, kCommonMaterialDiffuse + 4 * k);
    s.specular[k] = fromSpecular ? specular[k] : env.constant(kCommonSlot, kCommonMaterialSpecular + 4 * k);
  }
  for (int k = 0; k < 3; ++k) {
    s.ambient[k] = 1.0f;
    s.emissive[k] = env.constant(kCommonSlot, kCommonAmbientEmissive + 4 * k);
  }
  s.power = env.constant(kCommonSlot, kCommonPower);
  return s;
}

// Position, normal and fog shared by the 3D vertex functions. Returns the view-space
// position and the unit view-space normal.
void transform3D(const VertexIn& in, const ShaderEnv& env, int fogMode, VertexOut& out, float view[3],
                 float normal[3], float worldOut[3] = nullptr) {
  const Float4 world = applyRows(env, kVsWorld, 3, Float4{in.in[0][0], in.in[0][1], in.in[0][2], 1.0f});
  const Float4 v = applyRows(env, kVsView, 3, world);
  out.pos = applyRows(env, kVsProjection, 4, v);
  for (int k = 0; k < 3; ++k) view[k] = v[k];
  if (worldOut != nullptr)
    for (int k = 0; k < 3; ++k) worldOut[k] = world[k];
  const Float4 nw = applyRows(env, kVsWorld, 3, Float4{in.in[1][0], in.in[1][1], in.in[1][2], 0.0f});
  const Float4 nv = applyRows(env, kVsView, 3, Float4{nw[0], nw[1], nw[2], 0.0f});
  const float l = std::sqrt(nv[0] * nv[0] + nv[1] * nv[1] + nv[2] * nv[2]);
  for (int k = 0; k < 3; ++k) normal[k] = l > 0.0f ? nv[k] / l : 0.0f;
  out.v[kFogAt] = fogFactor(fogMode, view[2], env.constant(kCommonSlot, kCommonFog),
                            env.constant(kCommonSlot, kCommonFog + 4), env.constant(kCommonSlot, kCommonFog + 8));
  // Pair 0 through the texture transform, read as (u, v, 1, 0); pair 1 as it is.
  const Float4 tu = env.reg(kVsExtraSlot, kVsTexTransform / 16), tv = env.reg(kVsExtraSlot, kVsTexTransform / 16 + 1);
  const float u = in.in[4][0], w = in.in[4][1];
  out.v[texcoord(0)] = tu[0] * u + tu[1] * w + tu[2];
  out.v[texcoord(0) + 1] = tv[0] * u + tv[1] * w + tv[2];
  out.v[texcoord(1)] = in.in[5][0];
  out.v[texcoord(1) + 1] = in.in[5][1];
}

bool specularOn(const ShaderEnv& env) { return env.constant(kVsBaseSlot, kVsSpecularOn) != 0.0f; }

// param: fog mode.
void vertexUnlit3D(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  float view[3], normal[3];
  transform3D(in, env, self.param[0], out, view, normal);
  const bool withSpecular = specularOn(env);
  for (int k = 0; k < 4; ++k) {
    out.v[kColour0 + k] = in.in[2][k];
    out.v[kColour1 + k] = withSpecular ? in.in[3][k] : 0.0f;
  }
}

// param: fog mode, directional, spot and point lights the name was chosen for (the
// lights themselves are read from the common buffer).
void vertexLit3D(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  float view[3], normal[3];
  transform3D(in, env, self.param[0], out, view, normal);
  FixedLight lights[kCommonLights];
  const int n = readLights(env, lights);
  const FixedSurface s = surfaceOf(env, true, env, in.in[2].c, in.in[3].c);
  static const float kNoGlobal[3] = {0.0f, 0.0f, 0.0f};
  lightVertex(lights, n, s, kNoGlobal, view, normal, specularOn(env), &out.v[kColour0], &out.v[kColour1]);
}

// Per-pixel lighting: the surface colours (material or vertex, chosen here) and the
// view-space position and normal go to the pixel function.
void vertexPerPixel3D(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  float view[3], normal[3];
  transform3D(in, env, self.param[0], out, view, normal);
  const FixedSurface s = surfaceOf(env, true, env, in.in[2].c, in.in[3].c);
  const float specularScale = specularOn(env) ? 1.0f : 0.0f;
  for (int k = 0; k < 4; ++k) {
    out.v[kColour0 + k] = s.diffuse[k];
    out.v[kColour1 + k] = k < 3 ? s.specular[k] * specularScale : s.specular[3];
  }
  for (int k = 0; k < 3; ++k) {
    out.v[kViewPosAt + k] = view[k];
    out.v[kViewNormalAt + k] = normal[k];
  }
  out.v[kViewPosAt + 3] = specularScale;
}

// The pixel end every 3D pixel function shares: texture x diffuse, the kind, specular
// added, fog, the alpha test with the stored function.
// param: kind, texture (0 none, 1 with its alpha, 2 alpha taken as 1).
bool finish3D(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, const Float4& diffuse,
              const Float4& specular, Float4& out) {
  const int kind = self.param[0], texture = self.param[1];
  Float4 c = diffuse;
  if (texture) {
    Float4 t = env.sample(0, in.v[texcoord(0)], in.v[texcoord(0) + 1], in, 0);
    if (texture == 2) t[3] = 1.0f;
    if (invertsSource(kind)) invertColour(t);
    for (int k = 0; k < 4; ++k) c[k] = t[k] * diffuse[k];
  } else if (invertsSource(kind)) {
    invertColour(c);
  }
  applyKind(kind, env.reg(kPsBaseSlot, kPsFactorColour / 16), c);
  for (int k = 0; k < 3; ++k) c[k] = saturate(c[k] + specular[k]);
  const float fogColour[3] = {env.constant(kCommonSlot, kCommonFogColour), env.constant(kCommonSlot, kCommonFogColour + 4),
                              env.constant(kCommonSlot, kCommonFogColour + 8)};
  applyFog(saturate(in.v[kFogAt]), fogColour, &c[0]);
  out = c;
  return alphaPasses(env, 1, out[3]);
}

bool pixelVertexLit3D(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  return finish3D(in, env, self, varying4(in, kColour0), varying4(in, kColour1), out);
}

bool pixelPerPixel3D(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  FixedLight lights[kCommonLights];
  const int n = readLights(env, lights);
  const Float4 d = varying4(in, kColour0), s = varying4(in, kColour1);
  FixedSurface surface;
  for (int k = 0; k < 4; ++k) surface.diffuse[k] = d[k], surface.specular[k] = s[k];
  for (int k = 0; k < 3; ++k) {
    surface.ambient[k] = 1.0f;
    surface.emissive[k] = env.constant(kCommonSlot, kCommonAmbientEmissive + 4 * k);
  }
  surface.power = env.constant(kCommonSlot, kCommonPower);
  const float p[3] = {in.v[kViewPosAt], in.v[kViewPosAt + 1], in.v[kViewPosAt + 2]};
  float nrm[3] = {in.v[kViewNormalAt], in.v[kViewNormalAt + 1], in.v[kViewNormalAt + 2]};
  const float l = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
  if (l > 0.0f) nrm[0] /= l, nrm[1] /= l, nrm[2] /= l;
  static const float kNoGlobal[3] = {0.0f, 0.0f, 0.0f};
  Float4 dl, sl;
  lightVertex(lights, n, surface, kNoGlobal, p, nrm, in.v[kViewPosAt + 3] != 0.0f, &dl[0], &sl[0]);
  return finish3D(in, env, self, dl, sl, out);
}

// Lit per vertex under shadow maps: the light terms stay apart from the emissive and
// ambient ones, and each map's clip-space position goes along, for the pixel to shadow.
// param: fog mode.
void vertexShadowed3D(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  float view[3], normal[3], world[3];
  transform3D(in, env, self.param[0], out, view, normal, world);
  FixedLight lights[kCommonLights];
  const int n = readLights(env, lights);
  const FixedSurface s = surfaceOf(env, true, env, in.in[2].c, in.in[3].c);
  static const float kNoGlobal[3] = {0.0f, 0.0f, 0.0f};
  float base[4], light[3], specular[3];
  lightVertexParts(lights, n, s, kNoGlobal, view, normal, specularOn(env), base, light, specular);
  for (int k = 0; k < 3; ++k) {
    out.v[kColour1 + k] = specular[k];
    out.v[kShadowLightAt + k] = light[k];
  }
  for (int k = 0; k < 4; ++k) out.v[kColour0 + k] = base[k];
  out.v[kColour1 + 3] = s.specular[3];
  for (int i = 0; i < kShadowMaps; ++i) {
    ShadowSlot slot{};
    for (int r = 0; r < 4; ++r) {
      const Float4 row = env.reg(kVsShadowSlot, 4 * i + r);
      for (int k = 0; k < 4; ++k) slot.rows[r][k] = row[k];
    }
    shadowClip(slot, world, &out.v[kShadowClipAt + 4 * i]);
  }
}

bool pixelShadowed3D(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  ShadowSlot slots[kShadowMaps];
  const View* maps[kShadowMaps];
  for (int i = 0; i < kShadowMaps; ++i) {
    const Float4 p = env.reg(kPsShadowSlot, i);
    slots[i].bias = p[0];
    slots[i].ramp = p[1];
    slots[i].on = p[2] != 0.0f;
    maps[i] = env.view(kShadowTextureSlot + i);
  }
  const float shadow = shadowFactor(maps, slots, &in.v[kShadowClipAt]);
  const float base[4] = {in.v[kColour0], in.v[kColour0 + 1], in.v[kColour0 + 2], in.v[kColour0 + 3]};
  const float specular[3] = {in.v[kColour1], in.v[kColour1 + 1], in.v[kColour1 + 2]};
  Float4 d, s;
  shadowedColours(base, &in.v[kShadowLightAt], specular, in.v[kColour1 + 3], shadow, &d[0], &s[0]);
  return finish3D(in, env, self, d, s, out);
}

// The shadow-map pair: position as usual, the pixel's depth out as the colour.
void vertexShadow3D(const VertexIn& in, const ShaderEnv& env, const ShaderEntry&, VertexOut& out) {
  const Float4 world = applyRows(env, kVsWorld, 3, Float4{in.in[0][0], in.in[0][1], in.in[0][2], 1.0f});
  out.pos = applyRows(env, kVsProjection, 4, applyRows(env, kVsView, 3, world));
}

// The depth is the rasteriser's own, so the Direct3D 9 face's fixed-function vertices
// write the same maps as the 3D package's.
bool pixelShadow3D(const PixelIn& in, const ShaderEnv&, const ShaderEntry&, Float4& out) {
  out = Float4{in.z, in.z, in.z, 1.0f};
  return true;
}

ShaderEntry vertex3D(const std::string& name, VertexFn fn, std::initializer_list<int> params, int varyings) {
  ShaderEntry e;
  e.name = name;
  e.stage = ShaderStage::vertex;
  e.vertex = fn;
  int i = 0;
  for (int v : params) e.param[i++] = v;
  e.inputs = {{Semantic::position, 0}, {Semantic::normal, 0}, {Semantic::colour, 0},
              {Semantic::colour, 1},   {Semantic::texcoord, 0}, {Semantic::texcoord, 1}};
  e.varyings = varyings;
  return e;
}

}  // namespace

void addBuiltin3D(std::vector<ShaderEntry>& bank) {
  bank.push_back(entry("std_vs_f3", {{Semantic::position, 0}}, 1, 0));
  bank.push_back(entry("std_vs_f4", {{Semantic::position, 0}}, 1, 1));
  bank.push_back(entry("std_vs_f5", {{Semantic::position, 0}, {Semantic::normal, 0}}, 2, 2));
  bank.push_back(entry("std_vs_f6",
                       {{Semantic::position, 0},
                        {Semantic::position, 1},
                        {Semantic::normal, 0},
                        {Semantic::tangent, 0},
                        {Semantic::binormal, 0}},
                       2, 2));
  // The 3D package's entries, registered under the names its layout gives; the
  // function and parameters follow from each name's group.
  const std::vector<Package3DEntry> layout = package3DLayout();
  std::vector<int> setOf(kPackage3DLightSets * 3);
  forEachLightSet([&](int i, int d, int s, int p) {
    setOf[size_t(3 * i)] = d, setOf[size_t(3 * i + 1)] = s, setOf[size_t(3 * i + 2)] = p;
  });
  for (int i = 0; i < kPackage3DEntries; ++i) {
    const std::string& name = layout[size_t(i)].name;
    if (name.empty()) continue;
    if (i < k3DPerPixelVS) {
      bank.push_back(vertex3D(name, vertexUnlit3D, {i - k3DUnlitVS}, kExtra + 4));
    } else if (i < k3DShadowVS) {
      bank.push_back(vertex3D(name, vertexPerPixel3D, {i - k3DPerPixelVS}, kExtra + 12));
    } else if (i == k3DShadowVS) {
      bank.push_back(vertex3D(name, vertexShadow3D, {}, 0));
    } else if (i < k3DPerPixelPS) {
      const int set = (i - k3DLitVS) / 4, fog = (i - k3DLitVS) % 4;
      bank.push_back(vertex3D(name, vertexLit3D,
                              {fog, setOf[size_t(3 * set)], setOf[size_t(3 * set + 1)], setOf[size_t(3 * set + 2)]},
                              kExtra + 4));
    } else if (i < k3DShadowPS) {
      const int local = i < k3DLitPS ? i - k3DPerPixelPS : i < k3DUnlitPS ? i - k3DLitPS : i - k3DUnlitPS;
      const int kind = (local / kPackage3DTextures) % kPackage3DKinds, tex = local % kPackage3DTextures;
      bank.push_back(pixelEntry(name.c_str(), i < k3DLitPS ? pixelPerPixel3D : pixelVertexLit3D, {kind, tex}));
    } else if (i == k3DShadowPS) {
      bank.push_back(pixelEntry(name.c_str(), pixelShadow3D, {}));
    } else if (i < k3DShadowedPS) {
      bank.push_back(vertex3D(name, vertexShadowed3D, {i - k3DShadowedVS}, kShadowVaryings));
    } else {
      const int local = i - k3DShadowedPS;
      bank.push_back(pixelEntry(name.c_str(), pixelShadowed3D,
                                {(local / kPackage3DTextures) % kPackage3DKinds, local % kPackage3DTextures}));
    }
  }
}

}  // namespace plat::gpu
