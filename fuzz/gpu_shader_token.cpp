// Shader tokens and the draw pipeline over arbitrary bytes. The whole input is offered to
// findShader. Then, when the first two bytes (little-endian) give a length that fits, that
// many following bytes are offered as a token; an accepted token's shader draws into a
// 16x16 target with three vertices, the topology, fill and cull, and the vertex and pixel
// constants taken from the rest of the input (zero-padded).
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gpu/pipeline.h"
#include "platform/gpu/shaders/token.h"

using namespace plat::gpu;

namespace {

constexpr uint32_t kStride = 140;

// A layout that provides every semantic the built-in vertex functions read.
std::vector<InputElement> fullLayout() {
  std::vector<InputElement> l = {{Semantic::position, 0, Format::R32G32B32A32F, 0},
                                 {Semantic::position, 1, Format::R32G32B32A32F, 16},
                                 {Semantic::normal, 0, Format::R32G32B32F, 32},
                                 {Semantic::tangent, 0, Format::R32G32B32F, 44},
                                 {Semantic::binormal, 0, Format::R32G32B32F, 56},
                                 {Semantic::colour, 0, Format::R8G8B8A8, 68},
                                 {Semantic::colour, 1, Format::B8G8R8A8, 72}};
  for (int t = 0; t < 8; ++t) l.push_back({Semantic::texcoord, t, Format::R32G32F, uint32_t(76 + 8 * t)});
  return l;
}

Ref<Buffer> buffer(const std::vector<uint8_t>& bytes, uint32_t bind) {
  BufferDesc d;
  d.size = bytes.size();
  d.bind = bind;
  Ref<Buffer> b;
  createBuffer(d, bytes.data(), b);
  return b;
}

Ref<View> texture(uint32_t bind, ViewKind kind, uint8_t seed) {
  TextureDesc d;
  d.width = d.height = kind == ViewKind::renderTarget ? 16 : 4;
  d.format = Format::R8G8B8A8;
  d.bind = bind;
  Ref<Texture> t;
  if (createTexture(d, nullptr, t) != Status::ok) return {};
  for (size_t i = 0; i < t->storageSize(); ++i) t->storage()[i] = uint8_t(seed + i * 37);
  ViewDesc v;
  v.kind = kind;
  Ref<View> view;
  createView(*t, v, view);
  return view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  findShader(data, size);
  if (size < 2) return 0;
  const size_t length = size_t(data[0]) | size_t(data[1]) << 8;
  if (2 + length > size) return 0;
  const ShaderEntry* e = findShader(data + 2, length);
  if (!e) return 0;
  std::vector<uint8_t> rest(data + 2 + length, data + size);
  rest.resize(4 + 3 * kStride + 256 + 48, 0);

  DrawState s;
  s.vs.shader = e->stage == ShaderStage::vertex ? e : findShaderByName("std_vs_f2", ShaderStage::vertex);
  s.ps.shader = e->stage == ShaderStage::pixel ? e : findShaderByName("tex_ps_k1_v0_i0_a1", ShaderStage::pixel);
  s.topology = Topology(rest[0] % 5);
  s.rasterizer.fill = FillMode(rest[1] & 1);
  s.rasterizer.cull = CullMode(rest[2] % 3);
  s.rasterizer.depthClip = rest[3] & 1;
  s.layout = fullLayout();
  s.vertexStride = kStride;
  s.vertexBuffer = buffer(std::vector<uint8_t>(rest.begin() + 4, rest.begin() + 4 + 3 * kStride), kBindVertexBuffer);
  s.vs.constants[0] = buffer(std::vector<uint8_t>(rest.begin() + 4 + 3 * kStride, rest.begin() + 4 + 3 * kStride + 256),
                             kBindConstantBuffer);
  s.ps.constants[0] = buffer(std::vector<uint8_t>(rest.end() - 48, rest.end()), kBindConstantBuffer);
  s.viewport = Viewport{0, 0, 16, 16, 0, 1};
  s.targets[0] = texture(kBindRenderTarget, ViewKind::renderTarget, 0);
  Ref<SamplerState> sampler;
  SamplerDesc sd;
  sd.minFilter = sd.magFilter = Filter::linear;
  createSamplerState(sd, sampler);
  for (int slot = 0; slot < 2; ++slot) {
    s.ps.resources[slot] = texture(kBindShaderResource, ViewKind::shaderResource, uint8_t(slot * 91));
    s.ps.samplers[slot] = sampler;
  }
  draw(s, 3, 0);
  return 0;
}
