// Direct3D 9 face: vertex formats from FVF codes and declarations, and the face's own
// vertex function. Pre-transformed positions are target pixels; transformed ones go
// through world x view x projection. Both are moved by half a pixel, because this
// interface puts pixel centres on whole coordinates and the core puts them on halves.
#include "platform/gpu/d3d9/d3d9_internal.h"

namespace plat::gpu::d3d9 {

namespace {

constexpr Format kFloats[4] = {Format::R32F, Format::R32G32F, Format::R32G32B32F, Format::R32G32B32A32F};

// Inputs in this order: position, diffuse, specular, texture-coordinate sets.
void fixedVertex(const VertexIn& in, const ShaderEnv&, const ShaderEntry& self, VertexOut& out) {
  const VertexPlan& p = *static_cast<const VertexPlan*>(self.data);
  const Float4& pos = in.in[0];
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
  }
  int at = 1;
  for (int k = 0; k < 4; ++k) {
    const bool white = !p.diffuse || (p.whiteDiffuse & (k < 3 ? kFastColourUnread : kFastAlphaUnread));
    out.v[shader::kColour0 + k] = white ? 1.0f : in.in[at][k];
  }
  if (p.diffuse) ++at;
  for (int k = 0; k < 4; ++k) out.v[shader::kColour1 + k] = p.specular ? in.in[at][k] : 0.0f;
  if (p.specular) ++at;
  for (int t = 0; t < p.pairs; ++t, ++at) {
    out.v[shader::texcoord(t)] = in.in[at][0];
    out.v[shader::texcoord(t) + 1] = in.in[at][1];
  }
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
  if (plan->diffuse) e.inputs.push_back({Semantic::colour, 0});
  if (plan->specular) e.inputs.push_back({Semantic::colour, 1});
  for (int t = 0; t < plan->pairs; ++t) e.inputs.push_back({Semantic::texcoord, uint8_t(t)});
  e.varyings = shader::texcoord(f.pairs > 0 ? f.pairs : 1);
}

}  // namespace plat::gpu::d3d9
