// Software GPU drawing throughput at 640x480 into R8G8B8A8: alpha-blended 32x32 textured
// quads (point sampling), beside SDL2's software renderer drawing the same sprites at the
// same positions in the same run, with the ratio between the two and the sprites that fit
// in one 60 Hz frame; and 8- and 64-pixel Gouraud triangles through the specialised spans
// and through the general path.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gpu/pipeline.h"

namespace {

using namespace plat::gpu;

constexpr int kWidth = 640, kHeight = 480, kSprite = 32, kBatch = 256;

struct Vertex {
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

Ref<Buffer> buffer(const void* data, size_t size, uint32_t bind) {
  BufferDesc d;
  d.size = size;
  d.bind = bind;
  Ref<Buffer> b;
  createBuffer(d, data, b);
  return b;
}

std::vector<std::pair<int, int>> positions() {
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

std::vector<Vertex> spriteVertices() {
  std::vector<Vertex> v;
  auto at = [](float x, float y, float u, float t) { return Vertex{x, y, 0, 1, {255, 255, 255, 255}, u, t}; };
  for (auto [x, y] : positions()) {
    const float l = float(x), t = float(y), r = l + kSprite, b = t + kSprite;
    for (const Vertex& c : {at(l, t, 0, 0), at(r, t, 1, 0), at(l, b, 0, 1), at(r, t, 1, 0), at(r, b, 1, 1), at(l, b, 0, 1)})
      v.push_back(c);
  }
  return v;
}

struct SdlScene {
  SDL_Surface* surface;
  SDL_Renderer* renderer;
  SDL_Texture* texture;
  SdlScene() {
    surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    renderer = SDL_CreateSoftwareRenderer(surface);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, kSprite, kSprite);
    std::vector<uint8_t> pixels(kSprite * kSprite * 4);
    std::mt19937 rng(3);
    for (auto& b : pixels) b = uint8_t(rng());
    SDL_UpdateTexture(texture, nullptr, pixels.data(), kSprite * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  }
  ~SdlScene() {
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
  }
  void draw(const std::vector<std::pair<int, int>>& at) {
    for (auto [x, y] : at) {
      const SDL_Rect r{x, y, kSprite, kSprite};
      SDL_RenderCopy(renderer, texture, nullptr, &r);
    }
    SDL_RenderFlush(renderer);
  }
};

void sprites(benchmark::State& state, double count) {
  state.counters["sprites"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["per_60Hz_frame"] =
      benchmark::Counter(count / 60.0, benchmark::Counter::kIsIterationInvariantRate);
}

void GpuAlphaSprites(benchmark::State& state) {
  GpuScene g(true);
  const std::vector<Vertex> v = spriteVertices();
  g.setVertices(v);
  for (auto _ : state) {
    draw(g.s, uint32_t(v.size()), 0);
    benchmark::DoNotOptimize(g.target->storage());
  }
  sprites(state, kBatch);
}
BENCHMARK(GpuAlphaSprites);

// The anchor: SDL2's software renderer, blend mode BLEND, same sprites and positions.
void SdlAlphaSprites(benchmark::State& state) {
  SdlScene sdl;
  const auto at = positions();
  for (auto _ : state) sdl.draw(at);
  sprites(state, kBatch);
}
BENCHMARK(SdlAlphaSprites);

// Both in one loop, timed apart: the ratio of our sprite rate to SDL2's (the goal is 1.5).
void RatioToSdl(benchmark::State& state) {
  GpuScene g(true);
  const std::vector<Vertex> v = spriteVertices();
  g.setVertices(v);
  SdlScene sdl;
  const auto at = positions();
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    draw(g.s, uint32_t(v.size()), 0);
    const auto t1 = std::chrono::steady_clock::now();
    sdl.draw(at);
    const auto t2 = std::chrono::steady_clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    theirs += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["gpu_over_sdl"] = ours > 0 ? theirs / ours : 0.0;
}
BENCHMARK(RatioToSdl);

// Gouraud triangles of about `area` pixels, 1024 per draw, through either path.
void Triangles(benchmark::State& state, float area, bool fast) {
  GpuScene g(false);
  std::mt19937 rng(5);
  const float leg = std::sqrt(2.0f * area);
  std::vector<Vertex> v;
  for (int i = 0; i < 1024; ++i) {
    const float x = float(rng() % (kWidth - 16)), y = float(rng() % (kHeight - 16));
    auto c = [&](float px, float py) {
      const uint32_t k = rng();
      return Vertex{px, py, 0, 1, {uint8_t(k), uint8_t(k >> 8), uint8_t(k >> 16), 255}, 0, 0};
    };
    v.push_back(c(x, y));
    v.push_back(c(x + leg, y));
    v.push_back(c(x, y + leg));
  }
  g.setVertices(v);
  setFastSpans(fast);
  for (auto _ : state) {
    draw(g.s, uint32_t(v.size()), 0);
    benchmark::DoNotOptimize(g.target->storage());
  }
  setFastSpans(true);
  state.counters["triangles"] = benchmark::Counter(1024, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(Triangles, px8_fast, 8.0f, true);
BENCHMARK_CAPTURE(Triangles, px8_general, 8.0f, false);
BENCHMARK_CAPTURE(Triangles, px64_fast, 64.0f, true);
BENCHMARK_CAPTURE(Triangles, px64_general, 64.0f, false);

}  // namespace
BENCHMARK_MAIN();
