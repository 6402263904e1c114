// The shader machine's pixel rate: a 640x480 quad drawn through the Direct3D 9 face with
// the textured-modulate and the Invert programs (assembled from the test shaders), beside
// the bank's C++ functions of the same effect in the same run (textured kind 0 on the
// general path and on the specialised spans, and the Invert filter). The programs should
// reach at least a quarter of the bank's general-path rate.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/pipeline.h"
#include "platform/gpu/shaders/token.h"
#include "tests/platform/gpu/face_window.h"
#include "tools/shaderasm/shader_asm.h"

namespace {

using namespace plat::gpu;

constexpr int kWidth = 640, kHeight = 480;

struct Vertex9 {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};

std::vector<uint32_t> program(const char* file) {
  std::ifstream f(std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/" + file);
  std::ostringstream text;
  text << f.rdbuf();
  std::vector<uint32_t> words;
  std::string err;
  if (!halvorine::shaderasm::assemble(text.str(), words, err)) words.clear();
  return words;
}

struct Screen {
  facesupport::FaceWindow window{u"BenchShaderVm", kWidth, kHeight};
  IDirect3D9Ex* d3d = nullptr;
  IDirect3DDevice9Ex* device = nullptr;
  IDirect3DTexture9* texture = nullptr;

  Screen() {
    if (Direct3DCreate9Ex(D3D_SDK_VERSION, &d3d) != D3D_OK) return;
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = kWidth;
    p.BackBufferHeight = kHeight;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window.hwnd;
    p.Windowed = 1;
    if (d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, window.hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, &device) !=
        D3D_OK)
      return;
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT lr{};
    texture->LockRect(0, &lr, nullptr, 0);
    std::mt19937 rng(5);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256 * 4; ++x) static_cast<uint8_t*>(lr.pBits)[y * lr.Pitch + x] = uint8_t(rng());
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | fvfTexCount(1));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  ~Screen() {
    if (texture) texture->Release();
    if (device) device->Release();
    if (d3d) d3d->Release();
  }
  void draw() {
    const float r = kWidth - 0.5f, b = kHeight - 0.5f;
    const Vertex9 v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFC0E0FFu, 0, 0},
                          {r, -0.5f, 0, 1, 0xFFC0E0FFu, 1, 0},
                          {-0.5f, b, 0, 1, 0xFFC0E0FFu, 0, 1},
                          {r, b, 0, 1, 0xFFC0E0FFu, 1, 1}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex9));
  }
};

enum class Source { program, bank };

void Pixels(benchmark::State& state, Source source, const char* name, bool fast) {
  Screen s;
  if (!s.device) {
    state.SkipWithError("no device");
    return;
  }
  IDirect3DPixelShader9* ps = nullptr;
  if (source == Source::program) {
    const std::vector<uint32_t> code = program(name);
    if (!code.empty()) s.device->CreatePixelShader(reinterpret_cast<const DWORD*>(code.data()), &ps);
  } else {
    const std::vector<uint8_t> token = makeToken(ShaderStage::pixel, name);
    s.device->CreatePixelShader(reinterpret_cast<const DWORD*>(token.data()), &ps);
  }
  if (!ps) {
    state.SkipWithError("no shader");
    return;
  }
  s.device->SetPixelShader(ps);
  setFastSpans(fast);
  for (auto _ : state) {
    s.draw();
    benchmark::ClobberMemory();
  }
  setFastSpans(true);
  ps->Release();
  state.counters["pixels/s"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(Pixels, program_textured_modulate, Source::program, "textured_modulate.asm", true);
BENCHMARK_CAPTURE(Pixels, bank_textured_general, Source::bank, "tex_ps_k0_v0_i0_a0", false);
BENCHMARK_CAPTURE(Pixels, bank_textured_fast_spans, Source::bank, "tex_ps_k0_v0_i0_a0", true);
BENCHMARK_CAPTURE(Pixels, program_invert, Source::program, "invert.asm", true);
BENCHMARK_CAPTURE(Pixels, bank_invert, Source::bank, "Invert", false);

}  // namespace
BENCHMARK_MAIN();
