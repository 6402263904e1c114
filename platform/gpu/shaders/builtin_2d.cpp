// The built-in 2D family: vertex functions for the pre-transformed vertex formats 0-2, and
// the untextured and textured pixel functions that stand for the fixed stage combinations
// of each pixel kind, with and without a blend graph.
#include <algorithm>
#include <cstdio>

#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu {

using namespace shader;

namespace {

// The viewport matrix by columns: column k holds element k of each of the four rows, so
// that a position is column 0 x + column 1 y + column 2 z + column 3, each clip element
// summed in the order of its row.
struct ViewportColumns {
  Float4 col[4];
  explicit ViewportColumns(const ShaderEnv& env) {
    for (int i = 0; i < 4; ++i) {
      const Float4 r = env.reg(kVsBaseSlot, kVsViewportMatrix / 16 + i);
      for (int k = 0; k < 4; ++k) col[k][i] = r[k];
    }
  }
  void apply(const Float4& p, Float4& out) const {
    // Lane by lane the sum (r0 x + r1 y) + r2 z + r3; written as four-wide loops the
    // compiler keeps in vector registers.
    float o[4];
    for (int i = 0; i < 4; ++i) o[i] = col[0][i] * p[0];
    for (int i = 0; i < 4; ++i) o[i] += col[1][i] * p[1];
    for (int i = 0; i < 4; ++i) o[i] += col[2][i] * p[2];
    for (int i = 0; i < 4; ++i) o[i] += col[3][i];
    for (int i = 0; i < 4; ++i) out[i] = o[i];
  }
};

// Inputs in declaration order: position, colours, then texture-coordinate pairs.
void passPretransformed(const VertexIn& in, const ViewportColumns& m, int colours, int pairs, VertexOut& out) {
  m.apply(in.in[0], out.pos);
  int at = 1;
  for (int c = 0; c < colours; ++c, ++at)
    for (int k = 0; k < 4; ++k) out.v[kColour0 + 4 * c + k] = in.in[at][k];
  for (int t = 0; t < pairs; ++t, ++at) {
    out.v[texcoord(t)] = in.in[at][0];
    out.v[texcoord(t) + 1] = in.in[at][1];
  }
}

void vertexPretransformed(const VertexIn& in, const ShaderEnv& env, const ShaderEntry& self, VertexOut& out) {
  passPretransformed(in, ViewportColumns(env), self.param[0], self.param[1], out);
}

// The viewport's registers read once for the whole run.
void vertexRunPretransformed(const VertexIn* in, int count, const ShaderEnv& env, const ShaderEntry& self,
                             VertexOut* out) {
  const ViewportColumns m(env);
  const int colours = self.param[0], pairs = self.param[1];
  for (int i = 0; i < count; ++i) passPretransformed(in[i], m, colours, pairs, out[i]);
}

// param: kind, alpha-test variant.
bool pixelUntextured(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  out = varying4(in, kColour0);
  if (invertsSource(self.param[0])) invertColour(out);
  applyKind(self.param[0], env.reg(kPsBaseSlot, kPsFactorColour / 16), out);
  return alphaPasses(env, self.param[1], out[3]);
}

// param: kind, alpha-test variant, ignore-texture-alpha, blend-graph kind + 1 (0 none).
// The drawn texture is slot 0 read with pair 0; a blend graph is slot 1 read with pair 1.
bool pixelTextured(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  Float4 t = env.sample(0, in.v[texcoord(0)], in.v[texcoord(0) + 1], in, 0);
  if (self.param[2]) t[3] = 1.0f;
  const int graph = self.param[3];
  float alphaScale = 1.0f;
  if (graph) {
    const Float4 b = env.sample(1, in.v[texcoord(1)], in.v[texcoord(1) + 1], in, 1);
    const Float4 f = env.reg(kPsBaseSlot, kPsFactorColour / 16);
    if (graph == 1) {  // cross-fade: the blend graph by the factor alpha, the drawn graph by the rest
      for (int k = 0; k < 4; ++k) t[k] = b[k] * f[3] + t[k] * (1.0f - f[3]);
    } else if (graph == 2) {  // wipe: coverage from the blend graph's alpha, offset and scaled
      alphaScale = saturate((b[3] + f[3]) * f[2]);
    } else {
      alphaScale = b[3];
    }
  }
  const int kind = self.param[0];
  if (invertsSource(kind)) invertColour(t);
  const Float4 d = varying4(in, kColour0);
  for (int k = 0; k < 4; ++k) out[k] = t[k] * d[k];
  if (graph >= 2) out[3] = out[3] * alphaScale;
  // A wipe's factor register holds its ramp; the factor colour is white then.
  const Float4 white{1.0f, 1.0f, 1.0f, 1.0f};
  applyKind(kind, graph == 2 ? white : env.reg(kPsBaseSlot, kPsFactorColour / 16), out);
  return alphaPasses(env, self.param[1], out[3]);
}

ShaderEntry vertexEntry(const char* name, int colours, int pairs) {
  ShaderEntry e;
  e.name = name;
  e.stage = ShaderStage::vertex;
  e.vertex = vertexPretransformed;
  e.vertexRun = vertexRunPretransformed;
  e.param[0] = colours;
  e.param[1] = pairs;
  e.inputs.push_back({Semantic::position, 0});
  passThroughInputs(e, colours, pairs);
  return e;
}

}  // namespace

void addBuiltin2D(std::vector<ShaderEntry>& bank) {
  bank.push_back(vertexEntry("std_vs_f0", 1, 0));
  bank.push_back(vertexEntry("std_vs_f1", 1, 1));
  bank.push_back(vertexEntry("std_vs_f2", 2, 2));
  char name[64];
  for (int kind = 0; kind < 7; ++kind) {
    for (int variant = 0; variant < 2; ++variant) {
      std::snprintf(name, sizeof name, "untex_ps_k%d_a%d", kind, variant);
      ShaderEntry e = pixelEntry(name, pixelUntextured, {kind, variant});
      if (kind == 0 && variant == 0) e.fast = FastPath::flatColour;
      bank.push_back(e);
    }
  }
  // Four tables (no blend graph, blend-graph kinds 0, 1, 2), each indexed by alpha-test
  // variant + 2 x (ignore-texture-alpha + 2 x (shader variant + 2 x kind)).
  static const char* const kTable[4] = {"tex", "bg0", "bg1", "bg2"};
  for (int graph = 0; graph < 4; ++graph) {
    for (int index = 0; index < 56; ++index) {
      const int alpha = index & 1, ignore = (index >> 1) & 1, variant = (index >> 2) & 1, kind = index >> 3;
      std::snprintf(name, sizeof name, "%s_ps_k%d_v%d_i%d_a%d", kTable[graph], kind, variant, ignore, alpha);
      ShaderEntry e = pixelEntry(name, pixelTextured, {kind, alpha, ignore, graph});
      if (graph == 0 && kind == 0 && alpha == 0)
        e.fast = ignore ? FastPath::textureDiffuseNoAlpha : FastPath::textureDiffuse;
      bank.push_back(e);
    }
  }
}

}  // namespace plat::gpu
