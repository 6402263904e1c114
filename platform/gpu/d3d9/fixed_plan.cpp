// Direct3D 9 face: the fixed-function part of a draw's vertex plan. Lights, material,
// ambient, vertex fog and texture-coordinate transforms are read from the device's state
// once per draw and put into the form the per-vertex arithmetic wants (view space,
// resolved material sources, fog terms), so the vertex function does no set-up of its own.
#include <cmath>
#include <cstring>

#include "platform/gpu/d3d9/d3d9_device.h"

namespace plat::gpu::d3d9 {

namespace {

float bitsToFloat(DWORD v) {
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

void putColour(float* out, const D3DCOLORVALUE& c) { out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a; }

// The inverse transpose of the upper 3 x 3, so normals stay perpendicular under uneven
// scaling; the plain matrix when it cannot be inverted.
void normalMatrixOf(const float m[4][4], float out[3][3]) {
  const float a = m[0][0], b = m[0][1], c = m[0][2], d = m[1][0], e = m[1][1], f = m[1][2], g = m[2][0],
              h = m[2][1], i = m[2][2];
  const float co[3][3] = {{e * i - f * h, f * g - d * i, d * h - e * g},
                          {c * h - b * i, a * i - c * g, b * g - a * h},
                          {b * f - c * e, c * d - a * f, a * e - b * d}};
  const float det = a * co[0][0] + b * co[0][1] + c * co[0][2];
  if (det == 0.0f || det != det) {
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) out[r][k] = m[r][k];
    return;
  }
  // inverse = adjugate / det = transpose(cofactors) / det; its transpose is cofactors / det.
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) out[r][k] = co[r][k] / det;
}

}  // namespace

void Device::planFixedFunction(const VertexFormat& format, const float worldView[4][4], bool lit, VertexPlan& p) {
  const DWORD* rs = renderState_;
  std::memcpy(p.worldView, worldView, sizeof p.worldView);
  p.lit = lit;
  p.normal = false;
  for (const InputElement& e : format.layout)
    if (e.semantic == Semantic::normal && e.index == 0) p.normal = true;
  p.lightCount = 0;
  if (lit) {
    normalMatrixOf(worldView, p.normalMatrix);
    p.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    p.specularOn = rs[D3DRS_SPECULARENABLE] != 0;
    auto source = [&](DWORD state) { return rs[state] <= D3DMCS_COLOR2 ? int(rs[state]) : 0; };
    p.diffuseSource = source(D3DRS_DIFFUSEMATERIALSOURCE);
    p.specularSource = source(D3DRS_SPECULARMATERIALSOURCE);
    p.ambientSource = source(D3DRS_AMBIENTMATERIALSOURCE);
    p.emissiveSource = source(D3DRS_EMISSIVEMATERIALSOURCE);
    putColour(p.material[0], material_.Diffuse);
    putColour(p.material[1], material_.Ambient);
    putColour(p.material[2], material_.Specular);
    putColour(p.material[3], material_.Emissive);
    p.power = material_.Power;
    const Float4 ambient = colourOf(rs[D3DRS_AMBIENT]);
    for (int k = 0; k < 3; ++k) p.globalAmbient[k] = ambient[k];
    for (const auto& [index, on] : lightEnabled_) {
      if (!on || p.lightCount == kFaceMaxLights) continue;
      const auto found = lights_.find(index);
      if (found == lights_.end()) continue;
      const D3DLIGHT9& l = found->second;
      if (l.Type < D3DLIGHT_POINT || l.Type > D3DLIGHT_DIRECTIONAL) continue;
      shader::FixedLight& f = p.lights[p.lightCount++];
      f.type = int(l.Type);
      const float pos[3] = {l.Position.x, l.Position.y, l.Position.z};
      const float dir[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
      float dl = 0.0f;
      // Lights live in world space: the view matrix alone takes them to view space.
      const D3DMATRIX& v = transforms_[D3DTS_VIEW];
      for (int k = 0; k < 3; ++k) {
        f.pos[k] = pos[0] * v.m[0][k] + pos[1] * v.m[1][k] + pos[2] * v.m[2][k] + v.m[3][k];
        f.dir[k] = dir[0] * v.m[0][k] + dir[1] * v.m[1][k] + dir[2] * v.m[2][k];
        dl += f.dir[k] * f.dir[k];
      }
      dl = std::sqrt(dl);
      if (dl > 0.0f)
        for (float& x : f.dir) x /= dl;
      f.range2 = l.Range * l.Range;
      f.att[0] = l.Attenuation0, f.att[1] = l.Attenuation1, f.att[2] = l.Attenuation2;
      f.falloff = l.Falloff;
      shader::spotTerms(l.Theta, l.Phi, f.cosHalfPhi, f.invCone);
      for (int k = 0; k < 3; ++k) {
        f.diffuse[k] = (&l.Diffuse.r)[k];
        f.specular[k] = (&l.Specular.r)[k];
        f.ambient[k] = (&l.Ambient.r)[k];
      }
    }
  }

  // Shadow maps: the slots the registers switch on whose sampler holds a texture.
  p.shadows = false;
  for (int i = 0; i < shader::kShadowMaps && lit; ++i) {
    shader::ShadowSlot& slot = p.shadow[i];
    const float* params = psFloat_[kFixedShadowPSRegister + UINT(i)];
    slot.bias = params[0];
    slot.ramp = params[1];
    slot.on = params[2] != 0.0f && textures_[shader::kShadowTextureSlot + i] != nullptr;
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) slot.rows[r][k] = vsFloat_[kFixedShadowVSRegister + UINT(4 * i + r)][k];
    p.shadows = p.shadows || slot.on;
  }
  std::memcpy(p.world, transforms_[D3DTS_WORLD].m, sizeof p.world);

  // Vertex fog: transformed vertices by the vertex mode at their eye-space depth,
  // pre-transformed ones by their specular alpha.
  p.fogMode = rs[D3DRS_FOGVERTEXMODE] <= D3DFOG_LINEAR ? int(rs[D3DRS_FOGVERTEXMODE]) : 0;
  p.fog = rs[D3DRS_FOGENABLE] != 0 &&
          (format.pretransformed ? format.colourOffset[1] >= 0 : p.fogMode != shader::kFogNone);
  shader::linearFogTerms(bitsToFloat(rs[D3DRS_FOGSTART]), bitsToFloat(rs[D3DRS_FOGEND]), p.fogScale, p.fogSlope);
  p.fogDensity = bitsToFloat(rs[D3DRS_FOGDENSITY]);

  // Texture-coordinate transforms: each set takes the transform of the first stage that
  // reads it with one switched on. Pre-transformed vertices are never transformed.
  for (int t = 0; t < 8; ++t) {
    p.texFlags[t] = 0;
    p.texComponents[t] = 2;
  }
  for (const InputElement& e : format.layout)
    if (e.semantic == Semantic::texcoord && e.index < 8)
      p.texComponents[e.index] = e.format == Format::R32F ? 1 : e.format == Format::R32G32B32F ? 3
                                                           : e.format == Format::R32G32B32A32F ? 4
                                                                                               : 2;
  if (format.pretransformed) return;
  for (int stage = 7; stage >= 0; --stage) {
    const DWORD flags = stageState_[stage][D3DTSS_TEXTURETRANSFORMFLAGS];
    const DWORD count = flags & 0xFF;
    const DWORD set = stageState_[stage][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    if (count < D3DTTFF_COUNT1 || count > D3DTTFF_COUNT4 || set >= 8) continue;
    p.texFlags[set] = flags & (0xFF | D3DTTFF_PROJECTED);
    const auto m = transforms_.find(DWORD(D3DTS_TEXTURE0) + DWORD(stage));
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) p.texMatrix[set][r][k] = m != transforms_.end() ? m->second.m[r][k] : float(r == k);
  }
}

}  // namespace plat::gpu::d3d9
