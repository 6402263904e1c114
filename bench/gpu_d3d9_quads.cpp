// Direct3D 9 face drawing throughput: 32x32 alpha-blended textured quads at 640x480 through
// DrawPrimitiveUP, once with the fixed-function MODULATE stage set and once with the bank's
// textured kind-0 pixel shader, side by side in the same run with the core's own quad figure
// (the scene of gpu_raster.cpp drawn straight through the pipeline). The fixed-function path
// should stay within 15 % of the core figure.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/gpu_quad_scene.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/shaders/token.h"
#include "tests/platform/gpu/face_window.h"

namespace {

using namespace gpubench;

struct Vertex9 {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};

// A headless window and a windowed Ex device with a blended, point-sampled sprite on stage 0.
struct Scene9 {
  facesupport::FaceWindow window{u"BenchD3D9", kWidth, kHeight};
  plat::win::HWND hwnd = window.hwnd;
  IDirect3D9Ex* d3d = nullptr;
  IDirect3DDevice9Ex* device = nullptr;
  IDirect3DTexture9* sprite = nullptr;
  IDirect3DPixelShader9* shader = nullptr;
  std::vector<Vertex9> vertices;

  Scene9() {
    if (Direct3DCreate9Ex(D3D_SDK_VERSION, &d3d) != D3D_OK) return;
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = kWidth;
    p.BackBufferHeight = kHeight;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = hwnd;
    p.Windowed = 1;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, &device) != D3D_OK)
      return;
    device->CreateTexture(kSprite, kSprite, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &sprite, nullptr);
    D3DLOCKED_RECT lr{};
    sprite->LockRect(0, &lr, nullptr, 0);
    std::mt19937 rng(3);
    for (int y = 0; y < kSprite; ++y)
      for (int x = 0; x < kSprite * 4; ++x) static_cast<uint8_t*>(lr.pBits)[y * lr.Pitch + x] = uint8_t(rng());
    sprite->UnlockRect(0);
    const std::vector<uint8_t> token = makeToken(ShaderStage::pixel, "tex_ps_k0_v0_i0_a0");
    device->CreatePixelShader(reinterpret_cast<const DWORD*>(token.data()), &shader);

    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | fvfTexCount(1));
    device->SetTexture(0, sprite);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // The core scene's quads, moved by the half pixel this interface's centres differ by.
    auto at = [](float x, float y, float u, float v) { return Vertex9{x - 0.5f, y - 0.5f, 0, 1, 0xFFFFFFFFu, u, v}; };
    for (auto [x, y] : positions()) {
      const float l = float(x), t = float(y), r = l + kSprite, b = t + kSprite;
      for (const Vertex9& c : {at(l, t, 0, 0), at(r, t, 1, 0), at(l, b, 0, 1), at(r, t, 1, 0), at(r, b, 1, 1), at(l, b, 0, 1)})
        vertices.push_back(c);
    }
  }
  ~Scene9() {
    if (shader) shader->Release();
    if (sprite) sprite->Release();
    if (device) device->Release();
    if (d3d) d3d->Release();
  }
  bool ready() const { return device && sprite && shader; }
  void draw(UINT quadsPerCall) {
    for (UINT first = 0; first < UINT(kBatch); first += quadsPerCall) {
      const UINT quads = std::min<UINT>(quadsPerCall, UINT(kBatch) - first);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, quads * 2, &vertices[first * 6], sizeof(Vertex9));
    }
  }
};

// The anchor: the core pipeline drawing the same sprites in one draw.
void CoreQuads(benchmark::State& state) { coreSprites(state); }
BENCHMARK(CoreQuads);

// `quadsPerCall` quads per DrawPrimitiveUP; shader selects the bank's pixel shader over the
// fixed-function stages.
void D3D9Quads(benchmark::State& state, bool shader, UINT quadsPerCall) {
  Scene9 s;
  if (!s.ready()) {
    state.SkipWithError("no device");
    return;
  }
  s.device->SetPixelShader(shader ? s.shader : nullptr);
  for (auto _ : state) {
    s.draw(quadsPerCall);
    benchmark::ClobberMemory();
  }
  sprites(state, kBatch);
}
BENCHMARK_CAPTURE(D3D9Quads, fixed_function_256_per_call, false, 256);
BENCHMARK_CAPTURE(D3D9Quads, bank_shader_256_per_call, true, 256);
BENCHMARK_CAPTURE(D3D9Quads, fixed_function_32_per_call, false, 32);

}  // namespace
BENCHMARK_MAIN();
