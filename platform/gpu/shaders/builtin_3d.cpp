// The built-in vertex functions of the 3D vertex formats 3-6: positions go through the
// world and view rows and the projection; the vertex colours and texture coordinates pass
// through. Lighting and fog are not computed.
#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu {

using namespace shader;

namespace {

// Rows of an affine matrix (3 registers) or of the projection (4) applied to (x, y, z, 1).
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
}

}  // namespace plat::gpu
