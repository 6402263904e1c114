// Shared set-up of the draw tests: a target, the built-in pre-transformed vertex formats
// 0 and 1 with their viewport matrix, the base pixel constants, and reading pixels back.
#pragma once
#include <cstring>
#include <vector>

#include "gpu_fixture.h"
#include "platform/gpu/pipeline.h"
#include "platform/gpu/shaders/token.h"

namespace gputest {

struct Vertex0 {  // format 0: position, colour
  float x, y, z, w;
  uint8_t rgba[4];
};
struct Vertex1 {  // format 1: position, colour, texture coordinates
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

inline const ShaderEntry* shaderNamed(const char* name, ShaderStage stage) {
  const ShaderEntry* e = findShaderByName(name, stage);
  EXPECT_NE(e, nullptr) << name;
  return e;
}

inline Ref<Buffer> makeBuffer(const void* data, size_t size, uint32_t bind) {
  BufferDesc d;
  d.size = size;
  d.bind = bind;
  Ref<Buffer> b;
  EXPECT_EQ(createBuffer(d, data, b), Status::ok);
  return b;
}

class Scene {
 public:
  explicit Scene(int w = 32, int h = 32, Format f = Format::R8G8B8A8) : width(w), height(h) {
    target = makeTexture(f, w, h, 1, kBindRenderTarget | kBindShaderResource);
    rtv = makeView(*target, ViewKind::renderTarget);
    s.targets[0] = rtv;
    s.viewport = Viewport{0.0f, 0.0f, float(w), float(h), 0.0f, 1.0f};
    s.rasterizer.cull = CullMode::none;
    // Pixel positions to clip space: x 2/w - 1, 1 - y 2/h.
    float m[64] = {};
    const float rows[16] = {2.0f / float(w), 0, 0, -1, 0, -2.0f / float(h), 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(m, rows, sizeof rows);
    s.vs.constants[0] = makeBuffer(m, sizeof m, kBindConstantBuffer);
    setPixelConstants(Float4{0, 0, 0, 0}, -1.0f, shader::kCmpGreater);
    useFormat(0);
    s.ps.shader = shaderNamed("untex_ps_k0_a0", ShaderStage::pixel);
  }

  void useFormat(int f) {
    s.layout = {{Semantic::position, 0, Format::R32G32B32A32F, 0}, {Semantic::colour, 0, Format::R8G8B8A8, 16}};
    if (f == 1) s.layout.push_back({Semantic::texcoord, 0, Format::R32G32F, 20});
    s.vs.shader = shaderNamed(f == 1 ? "std_vs_f1" : "std_vs_f0", ShaderStage::vertex);
  }

  void setPixelConstants(const Float4& factor, float reference, int32_t function) {
    uint8_t cb[48] = {};
    std::memcpy(cb, factor.c, 16);
    std::memcpy(cb + 20, &reference, 4);
    std::memcpy(cb + 32, &function, 4);
    s.ps.constants[0] = makeBuffer(cb, sizeof cb, kBindConstantBuffer);
  }

  void setBlend(Blend src, Blend dst, BlendOp op = BlendOp::add) {
    BlendDesc d;
    d.target[0].enable = true;
    d.target[0].op = d.target[0].opAlpha = op;
    d.target[0].src = d.target[0].srcAlpha = src;
    d.target[0].dst = d.target[0].dstAlpha = dst;
    Ref<BlendState> b;
    EXPECT_EQ(createBlendState(d, b), Status::ok);
    s.blend = b;
  }

  void setTexture(int slot, Ref<View> view, Filter filter = Filter::point) {
    SamplerDesc d;
    d.minFilter = d.magFilter = filter;
    Ref<SamplerState> st;
    EXPECT_EQ(createSamplerState(d, st), Status::ok);
    s.ps.resources[slot] = view;
    s.ps.samplers[slot] = st;
  }

  template <class V>
  Status draw(const std::vector<V>& v, Topology t) {
    s.vertexBuffer = makeBuffer(v.data(), v.size() * sizeof(V), kBindVertexBuffer);
    s.vertexStride = sizeof(V);
    s.topology = t;
    return plat::gpu::draw(s, uint32_t(v.size()), 0);
  }

  const uint8_t* pixel(int x, int y) const { return target->data(0) + size_t(y) * target->sub(0).pitch + size_t(x) * 4; }
  // The pixels whose first byte is not 0, as (x, y) pairs in row order.
  std::vector<std::pair<int, int>> lit() const {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (pixel(x, y)[0]) out.emplace_back(x, y);
    return out;
  }
  void clear() { std::memset(target->storage(), 0, target->storageSize()); }

  int width, height;
  Ref<Texture> target;
  Ref<View> rtv;
  DrawState s;
};

inline Vertex0 v0(float x, float y, uint32_t rgba = 0xFFFFFFFFu) {
  return Vertex0{x, y, 0.0f, 1.0f, {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8), uint8_t(rgba)}};
}
inline Vertex1 v1(float x, float y, float u, float v, uint32_t rgba = 0xFFFFFFFFu) {
  return Vertex1{x, y, 0.0f, 1.0f, {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8), uint8_t(rgba)}, u, v};
}

}  // namespace gputest
