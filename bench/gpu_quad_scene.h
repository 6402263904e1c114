// The core's own sprite scene that the GPU benchmarks measure their faces against: a
// 640x480 R8G8B8A8 target, 256 alpha-blended 32x32 textured quads (point sampling) at fixed
// random positions, drawn with the bank's pre-transformed vertex and textured kind-0 pixel
// functions in one draw.
#pragma once
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "platform/gpu/pipeline.h"

namespace gpubench {

using namespace plat::gpu;

constexpr int kWidth = 640, kHeight = 480, kSprite = 32, kBatch = 256;

struct Vertex {
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

inline Ref<Buffer> buffer(const void* data, size_t size, uint32_t bind) {
  BufferDesc d;
  d.size = size;
  d.bind = bind;
  Ref<Buffer> b;
  createBuffer(d, data, b);
  return b;
}

inline std::vector<std::pair<int, int>> positions() {
  std::mt19937 rng(7);
  std::vector<std::pair<int, int>> p;
  for (int i = 0; i < kBatch; ++i) p.emplace_back(int(rng() % (kWidth - kSprite)), int(rng() % (kHeight - kSprite)));
  return p;
}

// A 640x480 target with the built-in pre-transformed formats and the blend of sprites.
struct GpuScene {
  Ref<Texture> target, texture;
  DrawState s;
  explicit GpuScene(bool textured) {
    TextureDesc d;
    d.width = kWidth;
    d.height = kHeight;
    d.format = Format::R8G8B8A8;
    d.bind = kBindRenderTarget;
    createTexture(d, nullptr, target);
    Ref<View> rtv;
    ViewDesc vd;
    vd.kind = ViewKind::renderTarget;
    createView(*target, vd, rtv);
    s.targets[0] = rtv;
    s.viewport = Viewport{0, 0, float(kWidth), float(kHeight), 0, 1};
    s.rasterizer.cull = CullMode::none;
    float m[64] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    s.vs.constants[0] = buffer(m, sizeof m, kBindConstantBuffer);
    uint8_t cb[48] = {};
    const float ref = -1.0f;
    std::memcpy(cb + 20, &ref, 4);
    s.ps.constants[0] = buffer(cb, sizeof cb, kBindConstantBuffer);
    s.layout = {{Semantic::position, 0, Format::R32G32B32A32F, 0}, {Semantic::colour, 0, Format::R8G8B8A8, 16}};
    s.vertexStride = sizeof(Vertex);
    if (textured) {
      s.layout.push_back({Semantic::texcoord, 0, Format::R32G32F, 20});
      s.vs.shader = findShaderByName("std_vs_f1", ShaderStage::vertex);
      s.ps.shader = findShaderByName("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
      TextureDesc td;
      td.width = td.height = kSprite;
      td.format = Format::R8G8B8A8;
      td.bind = kBindShaderResource;
      createTexture(td, nullptr, texture);
      std::mt19937 rng(3);
      for (size_t i = 0; i < texture->storageSize(); ++i) texture->storage()[i] = uint8_t(rng());
      Ref<View> srv;
      createView(*texture, ViewDesc{}, srv);
      s.ps.resources[0] = srv;
      Ref<SamplerState> sampler;
      createSamplerState(SamplerDesc{}, sampler);
      s.ps.samplers[0] = sampler;
      BlendDesc bd;
      bd.target[0].enable = true;
      bd.target[0].src = bd.target[0].srcAlpha = Blend::srcAlpha;
      bd.target[0].dst = bd.target[0].dstAlpha = Blend::invSrcAlpha;
      createBlendState(bd, s.blend);
    } else {
      s.vs.shader = findShaderByName("std_vs_f0", ShaderStage::vertex);
      s.ps.shader = findShaderByName("untex_ps_k0_a0", ShaderStage::pixel);
    }
  }
  void setVertices(const std::vector<Vertex>& v) { s.vertexBuffer = buffer(v.data(), v.size() * sizeof(Vertex), kBindVertexBuffer); }
};

inline std::vector<Vertex> spriteVertices() {
  std::vector<Vertex> v;
  auto at = [](float x, float y, float u, float t) { return Vertex{x, y, 0, 1, {255, 255, 255, 255}, u, t}; };
  for (auto [x, y] : positions()) {
    const float l = float(x), t = float(y), r = l + kSprite, b = t + kSprite;
    for (const Vertex& c : {at(l, t, 0, 0), at(r, t, 1, 0), at(l, b, 0, 1), at(r, t, 1, 0), at(r, b, 1, 1), at(l, b, 0, 1)})
      v.push_back(c);
  }
  return v;
}

inline void sprites(benchmark::State& state, double count) {
  state.counters["sprites"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["per_60Hz_frame"] =
      benchmark::Counter(count / 60.0, benchmark::Counter::kIsIterationInvariantRate);
}

// The core's figure: the scene drawn straight through the pipeline, one draw per batch.
inline void coreSprites(benchmark::State& state) {
  GpuScene g(true);
  const std::vector<Vertex> v = spriteVertices();
  g.setVertices(v);
  for (auto _ : state) {
    draw(g.s, uint32_t(v.size()), 0);
    benchmark::DoNotOptimize(g.target->storage());
  }
  sprites(state, kBatch);
}

}  // namespace gpubench
