// The shader machine's pixel rate: a 640x480 quad drawn through the Direct3D 9 face with
// the textured-modulate and the Invert programs (assembled from the test shaders), beside
// the bank's C++ functions of the same effect in the same run (textured kind 0 on the
// general path and on the specialised spans, and the Invert filter). The programs should
// reach at least a quarter of the bank's general-path rate. The shader-model-4 forms of
// the same two programs run through the Direct3D 11 face on the same interpreter and
// should stay within a tenth of the shader-model-2 forms.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gpu/d3d11/dxgi.h"
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
// The Direct3D 11 face with the bank's vertex function and a shader-model-4 pixel program.
struct Screen11 {
  facesupport::FaceWindow window{u"BenchShaderVm11", kWidth, kHeight};
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  std::vector<IUnknown*> held;

  explicit Screen11(const char* file) {
    if (D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device, nullptr,
                          &context) != plat::win::S_OK)
      return;
    ID3D11Texture2D* target = nullptr;
    D3D11_TEXTURE2D_DESC td{kWidth, kHeight, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                            D3D11_BIND_RENDER_TARGET, 0, 0};
    device->CreateTexture2D(&td, nullptr, &target);
    ID3D11RenderTargetView* rtv = nullptr;
    if (target) device->CreateRenderTargetView(target, nullptr, &rtv);
    std::vector<uint8_t> texels(256 * 256 * 4);
    std::mt19937 rng(5);
    for (uint8_t& t : texels) t = uint8_t(rng());
    D3D11_TEXTURE2D_DESC sd{256, 256, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                            D3D11_BIND_SHADER_RESOURCE, 0, 0};
    D3D11_SUBRESOURCE_DATA init{texels.data(), 256 * 4, 0};
    ID3D11Texture2D* source = nullptr;
    device->CreateTexture2D(&sd, &init, &source);
    ID3D11ShaderResourceView* srv = nullptr;
    if (source) device->CreateShaderResourceView(source, nullptr, &srv);
    D3D11_SAMPLER_DESC smp{D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_CLAMP, D3D11_TEXTURE_ADDRESS_CLAMP,
                           D3D11_TEXTURE_ADDRESS_CLAMP, 0, 1, D3D11_COMPARISON_NEVER, {0, 0, 0, 0}, 0, 1000};
    ID3D11SamplerState* sampler = nullptr;
    device->CreateSamplerState(&smp, &sampler);
    const std::vector<uint8_t> vsCode = makeToken(ShaderStage::vertex, "std_vs_f1");
    ID3D11VertexShader* vs = nullptr;
    device->CreateVertexShader(vsCode.data(), vsCode.size(), nullptr, &vs);
    const std::vector<uint32_t> psCode = program(file);
    ID3D11PixelShader* ps = nullptr;
    if (!psCode.empty()) device->CreatePixelShader(psCode.data(), psCode.size() * 4, nullptr, &ps);
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 20, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    ID3D11InputLayout* layout = nullptr;
    device->CreateInputLayout(elements, 3, vsCode.data(), vsCode.size(), &layout);
    const float r = kWidth, b = kHeight;
    const Vertex9 v[4] = {{0, 0, 0, 1, 0xFFFFE0C0u, 0, 0},
                          {r, 0, 0, 1, 0xFFFFE0C0u, 1, 0},
                          {0, b, 0, 1, 0xFFFFE0C0u, 0, 1},
                          {r, b, 0, 1, 0xFFFFE0C0u, 1, 1}};
    D3D11_BUFFER_DESC bd{sizeof v, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA vinit{v, 0, 0};
    ID3D11Buffer* vb = nullptr;
    device->CreateBuffer(&bd, &vinit, &vb);
    const float matrix[16] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    D3D11_BUFFER_DESC cd{sizeof matrix, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA cinit{matrix, 0, 0};
    ID3D11Buffer* cb = nullptr;
    device->CreateBuffer(&cd, &cinit, &cb);
    held = {target, rtv, source, srv, sampler, vs, ps, layout, vb, cb};
    for (IUnknown* h : held)
      if (!h) {
        context = nullptr;
        return;
      }
    context->OMSetRenderTargets(1, &rtv, nullptr);
    const D3D11_VIEWPORT vp{0, 0, float(kWidth), float(kHeight), 0, 1};
    context->RSSetViewports(1, &vp);
    context->IASetInputLayout(layout);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    const UINT stride = sizeof(Vertex9), offset = 0;
    context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    context->VSSetConstantBuffers(0, 1, &cb);
    context->VSSetShader(vs, nullptr, 0);
    context->PSSetShader(ps, nullptr, 0);
    context->PSSetShaderResources(0, 1, &srv);
    context->PSSetSamplers(0, 1, &sampler);
  }
  ~Screen11() {
    for (IUnknown* h : held)
      if (h) h->Release();
    if (device) device->Release();
  }
};

void PixelsModel4(benchmark::State& state, const char* name) {
  Screen11 s(name);
  if (!s.context) {
    state.SkipWithError("no device or shader");
    return;
  }
  for (auto _ : state) {
    s.context->Draw(4, 0);
    benchmark::ClobberMemory();
  }
  state.counters["pixels/s"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight,
                                                  benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(Pixels, program_textured_modulate, Source::program, "textured_modulate.asm", true);
BENCHMARK_CAPTURE(PixelsModel4, model4_textured_modulate, "dxbc/textured_modulate.asm");
BENCHMARK_CAPTURE(Pixels, bank_textured_general, Source::bank, "tex_ps_k0_v0_i0_a0", false);
BENCHMARK_CAPTURE(Pixels, bank_textured_fast_spans, Source::bank, "tex_ps_k0_v0_i0_a0", true);
BENCHMARK_CAPTURE(Pixels, program_invert, Source::program, "invert.asm", true);
BENCHMARK_CAPTURE(PixelsModel4, model4_invert, "dxbc/invert.asm");
BENCHMARK_CAPTURE(Pixels, bank_invert, Source::bank, "Invert", false);

}  // namespace
BENCHMARK_MAIN();
