// Direct3D 9 face: vertex formats from FVF codes and declarations, and the face's own
// vertex function. Pre-transformed positions are target pixels; transformed ones go
// through world x view x projection. Both are moved by half a pixel, because this
// interface puts pixel centres on whole coordinates and the core puts them on halves.
#include <cmath>
#include <cstring>

#include "platform/gpu/d3d9/d3d9_internal.h"

namespace plat::gpu::d3d9 {

namespace {

constexpr Format kFloats[4] = {Format::R32F, Format::R32G32F, Format::R32G32B32F, Format::R32G32B32A32F};

// The surface colour a material source names: the material's own, or a vertex colour
// the format carries.
inline const float* sourceColour(int source, const float* material, const Float4& diffuse, const Float4& specular,
                                 bool hasDiffuse, bool hasSpecular) {
  if (source == 1 && hasDiffuse) return diffuse.c;
  if (source == 2 && hasSpecular) return specular.c;
  return material;
}

// Lights the vertex into colours 0 and 1; under shadow maps into its parts instead (base
// and specular terms in the colours, the diffuse light terms beside them, each map's
// clip-space position after those), for the shadowed pixel to finish.
void lightFixed(const VertexPlan& p, const Float4& pos, const Float4& normal, const Float4& diffuse,
                const Float4& specular, float view[3], VertexOut& out) {
  float n[3] = {0.0f, 0.0f, 0.0f};
  if (p.normal) {
    for (int k = 0; k < 3; ++k)
      n[k] = normal[0] * p.normalMatrix[0][k] + normal[1] * p.normalMatrix[1][k] + normal[2] * p.normalMatrix[2][k];
    if (p.normalize) {
      const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (l > 0.0f) n[0] /= l, n[1] /= l, n[2] /= l;
    }
  }
  shader::FixedSurface s;
  const float* d = sourceColour(p.diffuseSource, p.material[0], diffuse, specular, p.diffuse, p.specular);
  const float* a = sourceColour(p.ambientSource, p.material[1], diffuse, specular, p.diffuse, p.specular);
  const float* sp = sourceColour(p.specularSource, p.material[2], diffuse, specular, p.diffuse, p.specular);
  const float* e = sourceColour(p.emissiveSource, p.material[3], diffuse, specular, p.diffuse, p.specular);
  for (int k = 0; k < 4; ++k) s.diffuse[k] = d[k], s.specular[k] = sp[k];
  for (int k = 0; k < 3; ++k) s.ambient[k] = a[k], s.emissive[k] = e[k];
  s.power = p.power;
  if (!p.shadows) {
    shader::lightVertex(p.lights, p.lightCount, s, p.globalAmbient, view, n, p.specularOn, &out.v[shader::kColour0],
                        &out.v[shader::kColour1]);
    return;
  }
  float parts[3];
  shader::lightVertexParts(p.lights, p.lightCount, s, p.globalAmbient, view, n, p.specularOn, &out.v[shader::kColour0],
                           &out.v[shader::kShadowLightAt], parts);
  for (int k = 0; k < 3; ++k) out.v[shader::kColour1 + k] = parts[k];
  out.v[shader::kColour1 + 3] = s.specular[3];
  float world[3];
  for (int k = 0; k < 3; ++k)
    world[k] = pos[0] * p.world[0][k] + pos[1] * p.world[1][k] + pos[2] * p.world[2][k] + p.world[3][k];
  for (int i = 0; i < shader::kShadowMaps; ++i) shader::shadowClip(p.shadow[i], world, &out.v[shader::kShadowClipAt + 4 * i]);
}

// Texture coordinates of set t through its transform: a set of n components is read as
// its components, then 1, then 0s; COUNTk keeps k results, PROJECTED divides by the last.
inline void transformTexcoord(const VertexPlan& p, int t, const Float4& c, float& u, float& v) {
  const int n = p.texComponents[t];
  float in[4];
  for (int k = 0; k < 4; ++k) in[k] = k < n ? c[k] : k == n ? 1.0f : 0.0f;
  const float(*m)[4] = p.texMatrix[t];
  float r[4];
  for (int k = 0; k < 4; ++k) r[k] = in[0] * m[0][k] + in[1] * m[1][k] + in[2] * m[2][k] + in[3] * m[3][k];
  const int count = int(p.texFlags[t] & 0xFF);
  for (int k = count; k < 4; ++k) r[k] = 0.0f;
  if ((p.texFlags[t] & D3DTTFF_PROJECTED) && count >= 2) {
    const float w = r[count - 1];
    const float inv = w != 0.0f ? 1.0f / w : 0.0f;
    r[0] *= inv, r[1] *= inv;
  }
  u = r[0], v = r[1];
}

// Inputs in this order: position, normal (lit draws with one), diffuse, specular,
// texture-coordinate sets.
void fixedVertex(const VertexIn& in, const ShaderEnv&, const ShaderEntry& self, VertexOut& out) {
  const VertexPlan& p = *static_cast<const VertexPlan*>(self.data);
  const Float4& pos = in.in[0];
  int at = 1;
  float view[3] = {0.0f, 0.0f, 0.0f};
  if (p.pretransformed) {
    const float rhw = pos[3];
    const float w = rhw != 0.0f && rhw == rhw ? 1.0f / rhw : 1.0f;
    const float nx = (pos[0] + 0.5f - p.vx) / p.vw * 2.0f - 1.0f;
    const float ny = 1.0f - (pos[1] + 0.5f - p.vy) / p.vh * 2.0f;
    const float range = p.maxZ - p.minZ;
    const float nz = range != 0.0f ? (pos[2] - p.minZ) / range : pos[2];
    out.pos = Float4{nx * w, ny * w, nz * w, w};
  } else {
    Float4 c;
    for (int k = 0; k < 4; ++k)
      c[k] = pos[0] * p.matrix[0][k] + pos[1] * p.matrix[1][k] + pos[2] * p.matrix[2][k] + p.matrix[3][k];
    c[0] += c[3] / p.vw;  // half a pixel right
    c[1] -= c[3] / p.vh;  // and half a pixel down
    out.pos = c;
    if (p.lit || p.fog)
      for (int k = 0; k < 3; ++k)
        view[k] = pos[0] * p.worldView[0][k] + pos[1] * p.worldView[1][k] + pos[2] * p.worldView[2][k] +
                  p.worldView[3][k];
  }
  const int normalAt = p.lit && p.normal ? at++ : 0;
  static const Float4 kNone{0.0f, 0.0f, 0.0f, 0.0f};
  const Float4& diffuse = p.diffuse ? in.in[at++] : kNone;
  const Float4& specular = p.specular ? in.in[at++] : kNone;
  if (p.lit) {
    lightFixed(p, pos, in.in[normalAt], diffuse, specular, view, out);
    for (int k = 0; k < 4 && !p.shadows; ++k)
      if (p.whiteDiffuse & (k < 3 ? kFastColourUnread : kFastAlphaUnread)) out.v[shader::kColour0 + k] = 1.0f;
  } else {
    for (int k = 0; k < 4; ++k) {
      const bool white = !p.diffuse || (p.whiteDiffuse & (k < 3 ? kFastColourUnread : kFastAlphaUnread));
      out.v[shader::kColour0 + k] = white ? 1.0f : diffuse[k];
    }
    for (int k = 0; k < 4; ++k) out.v[shader::kColour1 + k] = specular[k];
  }
  if (p.fog) {
    // Pre-transformed vertices bring their own factor in the specular alpha.
    out.v[shader::kExtra] = p.pretransformed ? specular[3]
                                             : shader::fogFactor(p.fogMode, view[2], p.fogScale, p.fogSlope, p.fogDensity);
  }
  for (int t = 0; t < p.pairs; ++t, ++at) {
    float u = in.in[at][0], v = in.in[at][1];
    if (p.texFlags[t] != 0) transformTexcoord(p, t, in.in[at], u, v);
    out.v[shader::texcoord(t)] = u;
    out.v[shader::texcoord(t) + 1] = v;
  }
}

bool shadowedPixel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const ShadowPixelPlan& p = *static_cast<const ShadowPixelPlan*>(self.data);
  const View* maps[shader::kShadowMaps];
  for (int i = 0; i < shader::kShadowMaps; ++i) maps[i] = env.view(shader::kShadowTextureSlot + i);
  const float shadow = shader::shadowFactor(maps, p.plan->shadow, &in.v[shader::kShadowClipAt]);
  float v[shader::kVaryingCount];
  std::memcpy(v, in.v, sizeof v);
  const float base[4] = {v[shader::kColour0], v[shader::kColour0 + 1], v[shader::kColour0 + 2], v[shader::kColour0 + 3]};
  const float specular[3] = {v[shader::kColour1], v[shader::kColour1 + 1], v[shader::kColour1 + 2]};
  shader::shadowedColours(base, &in.v[shader::kShadowLightAt], specular, v[shader::kColour1 + 3], shadow,
                          &v[shader::kColour0], &v[shader::kColour1]);
  PixelIn lit = in;
  lit.v = v;
  return p.inner->pixel(lit, env, *p.inner, out);
}

bool foggedPixel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const FogPixelPlan& p = *static_cast<const FogPixelPlan*>(self.data);
  if (!p.inner->pixel(in, env, *p.inner, out)) return false;
  shader::applyFog(shader::clamp01(in.v[p.at]), p.colour, &out[0]);
  return true;
}

}  // namespace

VertexFormat formatOfFvf(DWORD fvf) {
  VertexFormat f;
  const DWORD known = D3DFVF_XYZ | D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                      D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u;
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if ((fvf & ~known) || (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW)) return f;
  if (((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) > 8) return f;
  uint32_t at = 0;
  f.pretransformed = position == D3DFVF_XYZRHW;
  f.layout.push_back({Semantic::position, 0, f.pretransformed ? kFloats[3] : kFloats[2], at});
  at += f.pretransformed ? 16 : 12;
  if (fvf & D3DFVF_NORMAL) {
    f.layout.push_back({Semantic::normal, 0, kFloats[2], at});
    at += 12;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    f.colourOffset[0] = int(at);
    f.layout.push_back({Semantic::colour, 0, Format::B8G8R8A8, at});
    at += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    f.colourOffset[1] = int(at);
    f.layout.push_back({Semantic::colour, 1, Format::B8G8R8A8, at});
    at += 4;
  }
  f.pairs = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  for (int t = 0; t < f.pairs; ++t) {
    // Size bits per set: 0 two floats, 1 three, 2 four, 3 one.
    static constexpr int kCount[4] = {2, 3, 4, 1};
    const int n = kCount[(fvf >> (16 + 2 * t)) & 3];
    f.layout.push_back({Semantic::texcoord, t, kFloats[n - 1], at});
    at += uint32_t(4 * n);
  }
  f.size = at;
  f.valid = true;
  return f;
}

bool formatOfDeclaration(const D3DVERTEXELEMENT9* e, size_t maxElements, VertexFormat& out,
                         std::vector<D3DVERTEXELEMENT9>& kept) {
  out = VertexFormat{};
  kept.clear();
  if (!e) return false;
  bool position = false;
  for (size_t i = 0;; ++i) {
    if (i >= maxElements) return false;
    const D3DVERTEXELEMENT9& el = e[i];
    kept.push_back(el);
    if (el.Stream == 0xFF) break;
    if (el.Stream != 0 || el.Method != D3DDECLMETHOD_DEFAULT || el.UsageIndex > 7) return false;
    Format f;
    uint32_t bytes;
    switch (el.Type) {
      case D3DDECLTYPE_FLOAT1:
      case D3DDECLTYPE_FLOAT2:
      case D3DDECLTYPE_FLOAT3:
      case D3DDECLTYPE_FLOAT4:
        f = kFloats[el.Type];
        bytes = 4u * (el.Type + 1u);
        break;
      case D3DDECLTYPE_D3DCOLOR:
        f = Format::B8G8R8A8;
        bytes = 4;
        break;
      default: return false;
    }
    Semantic s;
    switch (el.Usage) {
      case D3DDECLUSAGE_POSITION:
      case D3DDECLUSAGE_POSITIONT:
        if (el.UsageIndex != 0 || position) return false;
        position = true;
        out.pretransformed = el.Usage == D3DDECLUSAGE_POSITIONT;
        s = Semantic::position;
        break;
      case D3DDECLUSAGE_NORMAL: s = Semantic::normal; break;
      case D3DDECLUSAGE_TANGENT: s = Semantic::tangent; break;
      case D3DDECLUSAGE_BINORMAL: s = Semantic::binormal; break;
      case D3DDECLUSAGE_TEXCOORD:
        s = Semantic::texcoord;
        if (el.UsageIndex + 1 > out.pairs) out.pairs = el.UsageIndex + 1;
        break;
      case D3DDECLUSAGE_COLOR:
        if (el.UsageIndex > 1 || el.Type != D3DDECLTYPE_D3DCOLOR) return false;
        s = Semantic::colour;
        out.colourOffset[el.UsageIndex] = el.Offset;
        break;
      default: return false;
    }
    for (const InputElement& other : out.layout)
      if (other.semantic == s && other.index == el.UsageIndex) return false;
    out.layout.push_back({s, el.UsageIndex, f, el.Offset});
    if (el.Offset + bytes > out.size) out.size = el.Offset + bytes;
  }
  out.valid = position;
  return out.valid;
}

void makeVertexEntry(const VertexFormat& f, const VertexPlan* plan, ShaderEntry& e) {
  e.name = "d3d9_fixed_vertex";
  e.stage = ShaderStage::vertex;
  e.vertex = fixedVertex;
  e.data = plan;
  e.inputs.clear();
  e.inputs.push_back({Semantic::position, 0});
  if (plan->lit && plan->normal) e.inputs.push_back({Semantic::normal, 0});
  if (plan->diffuse) e.inputs.push_back({Semantic::colour, 0});
  if (plan->specular) e.inputs.push_back({Semantic::colour, 1});
  for (int t = 0; t < plan->pairs; ++t) e.inputs.push_back({Semantic::texcoord, uint8_t(t)});
  e.varyings = plan->lit && plan->shadows ? shader::kShadowVaryings
               : plan->fog                  ? shader::kExtra + 4
                                            : shader::texcoord(f.pairs > 0 ? f.pairs : 1);
}

void makeShadowPixelEntry(const ShadowPixelPlan* plan, ShaderEntry& e) {
  e.name = "d3d9_shadowed_pixel";
  e.stage = ShaderStage::pixel;
  e.pixel = shadowedPixel;
  e.fast = FastPath::none;
  e.fastUnread = 0;
  e.fastSaturates = e.fastSpecular = false;
  e.fastFogColour = nullptr;
  e.data = plan;
}

void makeFogPixelEntry(const FogPixelPlan* plan, ShaderEntry& e) {
  e.name = "d3d9_fogged_pixel";
  e.stage = ShaderStage::pixel;
  e.pixel = foggedPixel;
  // The specialised spans blend the fog themselves, after what the inner function does;
  // they read the factor from varying kExtra only, so a program's own fog output (placed
  // elsewhere) takes the general path.
  const bool fast = plan->at == shader::kExtra;
  e.fast = fast ? plan->inner->fast : FastPath::none;
  e.fastUnread = fast ? plan->inner->fastUnread : 0;
  e.fastSaturates = fast && plan->inner->fastSaturates;
  e.fastSpecular = fast && plan->inner->fastSpecular;
  e.fastFogColour = fast ? plan->colour : nullptr;
  e.data = plan;
  // The fog touches the first colour only; the wrapped function's other outputs pass.
  e.moreTargets = plan->inner->moreTargets;
  e.writesDepth = plan->inner->writesDepth;
}

}  // namespace plat::gpu::d3d9
