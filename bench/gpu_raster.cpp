// Software GPU drawing throughput at 640x480 into R8G8B8A8: alpha-blended 32x32 textured
// quads (point sampling), beside the software renderer's own graph draw and SDL2's software
// renderer drawing the same sprites at the same positions in the same run, with the ratios
// and the sprites that fit in one 60 Hz frame; and 8- and 64-pixel Gouraud triangles through the specialised spans
// and through the general path. The sprite case also runs through the Direct3D 11 face's
// context (one Draw per 200 quads) beside the core's figure, to show the face's overhead.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "bench/gpu_quad_scene.h"
#include "bench/soft_graph_scene.h"
#include "platform/gpu/d3d11/gpu_d3d11.h"
#include "platform/gpu/shaders/token.h"

namespace {

using namespace plat::gpu;
using namespace gpubench;

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

// The software renderer's graph draw: a 640x480 X8R8G8B8 screen, the same 32x32 picture
// as an alpha graph, blend mode 1 at full strength.
struct SoftScene : softbench::SoftGraphScene {
  SoftScene() : SoftGraphScene(kWidth, kHeight, kSprite, picture()) { ZaDod::SetMemImgBlendMode(1, 255); }
  // The GPU scene's texture bytes, one 32-bit word per texel.
  static std::vector<uint32_t> picture() {
    std::vector<uint32_t> p(kSprite * kSprite);
    std::mt19937 rng(3);
    std::vector<uint8_t> bytes(p.size() * 4);
    for (auto& b : bytes) b = uint8_t(rng());
    std::memcpy(p.data(), bytes.data(), bytes.size());
    return p;
  }
  void draw(const std::vector<std::pair<int, int>>& at) {
    for (auto [x, y] : at) ZaDod::DrawMemImg(&sprite, x, y, 1);
  }
};

void GpuAlphaSprites(benchmark::State& state) { coreSprites(state); }
BENCHMARK(GpuAlphaSprites);

// The same sprites through the Direct3D 11 face: device, context, views and states made
// through its entries, one Draw per 200 quads.
void FaceAlphaSprites(benchmark::State& state) {
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  if (D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                        nullptr, &context) != 0) {
    state.SkipWithError("no device");
    return;
  }
  std::vector<plat::win::IUnknown*> objects;
  auto keep = [&](auto* p) {
    objects.push_back(p);
    return p;
  };
  D3D11_TEXTURE2D_DESC td{kWidth, kHeight, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                          D3D11_BIND_RENDER_TARGET, 0, 0};
  ID3D11Texture2D* target = nullptr;
  device->CreateTexture2D(&td, nullptr, &target);
  keep(target);
  std::vector<uint8_t> texels(kSprite * kSprite * 4);
  std::mt19937 rng(3);
  for (auto& b : texels) b = uint8_t(rng());
  D3D11_TEXTURE2D_DESC sd{kSprite, kSprite, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                          D3D11_BIND_SHADER_RESOURCE, 0, 0};
  D3D11_SUBRESOURCE_DATA init{texels.data(), kSprite * 4, 0};
  ID3D11Texture2D* sprite = nullptr;
  device->CreateTexture2D(&sd, &init, &sprite);
  keep(sprite);
  ID3D11RenderTargetView* rtv = nullptr;
  ID3D11ShaderResourceView* srv = nullptr;
  device->CreateRenderTargetView(target, nullptr, &rtv);
  device->CreateShaderResourceView(sprite, nullptr, &srv);
  keep(rtv);
  keep(srv);
  const auto vsCode = makeToken(ShaderStage::vertex, "std_vs_f1");
  const auto psCode = makeToken(ShaderStage::pixel, "tex_ps_k0_v0_i0_a0");
  ID3D11VertexShader* vs = nullptr;
  ID3D11PixelShader* ps = nullptr;
  device->CreateVertexShader(vsCode.data(), vsCode.size(), nullptr, &vs);
  device->CreatePixelShader(psCode.data(), psCode.size(), nullptr, &ps);
  keep(vs);
  keep(ps);
  const D3D11_INPUT_ELEMENT_DESC elements[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 20, D3D11_INPUT_PER_VERTEX_DATA, 0}};
  ID3D11InputLayout* layout = nullptr;
  device->CreateInputLayout(elements, 3, vsCode.data(), vsCode.size(), &layout);
  keep(layout);
  D3D11_BLEND_DESC bd{};
  bd.RenderTarget[0] = {1, D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD,
                        D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD, 15};
  ID3D11BlendState* blend = nullptr;
  device->CreateBlendState(&bd, &blend);
  keep(blend);
  D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_NONE, 0, 0, 0, 0, 1, 0, 0, 0};
  ID3D11RasterizerState* raster = nullptr;
  device->CreateRasterizerState(&rd, &raster);
  keep(raster);
  D3D11_DEPTH_STENCIL_DESC dd{};
  dd.DepthFunc = D3D11_COMPARISON_ALWAYS;
  ID3D11DepthStencilState* depth = nullptr;
  device->CreateDepthStencilState(&dd, &depth);
  keep(depth);
  D3D11_SAMPLER_DESC smp{D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_CLAMP, D3D11_TEXTURE_ADDRESS_CLAMP,
                         D3D11_TEXTURE_ADDRESS_CLAMP, 0, 1, D3D11_COMPARISON_NEVER, {0, 0, 0, 0}, 0, 1000};
  ID3D11SamplerState* sampler = nullptr;
  device->CreateSamplerState(&smp, &sampler);
  keep(sampler);
  const float m[16] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
  float pc[12] = {};
  pc[5] = -1.0f;
  const std::vector<Vertex> v = spriteVertices();
  ID3D11Buffer *vcb = nullptr, *pcb = nullptr, *vb = nullptr;
  D3D11_BUFFER_DESC cbd{sizeof m, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
  D3D11_SUBRESOURCE_DATA cbi{m, 0, 0};
  device->CreateBuffer(&cbd, &cbi, &vcb);
  cbd.ByteWidth = sizeof pc;
  cbi.pSysMem = pc;
  device->CreateBuffer(&cbd, &cbi, &pcb);
  D3D11_BUFFER_DESC vbd{UINT(v.size() * sizeof(Vertex)), D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  D3D11_SUBRESOURCE_DATA vbi{v.data(), 0, 0};
  device->CreateBuffer(&vbd, &vbi, &vb);
  keep(vcb);
  keep(pcb);
  keep(vb);

  context->OMSetRenderTargets(1, &rtv, nullptr);
  context->OMSetBlendState(blend, nullptr, 0xffffffffu);
  context->OMSetDepthStencilState(depth, 0);
  context->RSSetState(raster);
  const D3D11_VIEWPORT vp{0, 0, float(kWidth), float(kHeight), 0, 1};
  context->RSSetViewports(1, &vp);
  context->IASetInputLayout(layout);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  const UINT stride = sizeof(Vertex), offset = 0;
  context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
  context->VSSetConstantBuffers(0, 1, &vcb);
  context->PSSetConstantBuffers(0, 1, &pcb);
  context->VSSetShader(vs, nullptr, 0);
  context->PSSetShader(ps, nullptr, 0);
  context->PSSetShaderResources(0, 1, &srv);
  context->PSSetSamplers(0, 1, &sampler);
  constexpr UINT kQuadsPerDraw = 200;
  for (auto _ : state) {
    for (UINT first = 0; first < UINT(kBatch); first += kQuadsPerDraw) {
      const UINT quads = std::min<UINT>(kQuadsPerDraw, UINT(kBatch) - first);
      context->Draw(quads * 6, first * 6);
    }
    benchmark::DoNotOptimize(target);
  }
  sprites(state, kBatch);
  context->ClearState();
  for (auto* o : objects) o->Release();
  context->Release();
  device->Release();
}
BENCHMARK(FaceAlphaSprites);

// The first anchor: the software renderer's graph draw, same sprites and positions.
void SoftGraphSprites(benchmark::State& state) {
  SoftScene soft;
  const auto at = positions();
  for (auto _ : state) {
    soft.draw(at);
    benchmark::ClobberMemory();
  }
  sprites(state, kBatch);
}
BENCHMARK(SoftGraphSprites);

// The second anchor: SDL2's software renderer, blend mode BLEND, same sprites and positions.
void SdlAlphaSprites(benchmark::State& state) {
  SdlScene sdl;
  const auto at = positions();
  for (auto _ : state) sdl.draw(at);
  sprites(state, kBatch);
}
BENCHMARK(SdlAlphaSprites);

// All three in one loop, timed apart: our sprite rate over SDL2's (the goal is 1.5) and
// over the software renderer's graph draw.
void RatioToSdl(benchmark::State& state) {
  GpuScene g(true);
  const std::vector<Vertex> v = spriteVertices();
  g.setVertices(v);
  SdlScene sdl;
  SoftScene soft;
  const auto at = positions();
  double ours = 0, theirs = 0, graph = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    draw(g.s, uint32_t(v.size()), 0);
    const auto t1 = std::chrono::steady_clock::now();
    sdl.draw(at);
    const auto t2 = std::chrono::steady_clock::now();
    soft.draw(at);
    const auto t3 = std::chrono::steady_clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    theirs += std::chrono::duration<double>(t2 - t1).count();
    graph += std::chrono::duration<double>(t3 - t2).count();
  }
  state.counters["gpu_over_sdl"] = ours > 0 ? theirs / ours : 0.0;
  state.counters["gpu_over_soft"] = ours > 0 ? graph / ours : 0.0;
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
#ifndef HALVORINE_BENCH_NO_MAIN
BENCHMARK_MAIN();
#endif
