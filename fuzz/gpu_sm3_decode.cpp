// The model 2 and 3 shader decoder over arbitrary bytes with an explicit length, then the
// back end's constant-table reading on the same bytes, then one 8x8 draw through the
// Direct3D 9 face with whatever was accepted. The input is the code itself, as an
// exact-size heap copy, so a read past its end shows under the sanitizers.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "media/graphics/d3d9/d3d9_state.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/d3d9/sm3_decode.h"
#include "tests/platform/gpu/face_window.h"

using namespace plat::gpu;

namespace {

struct Harness {
  facesupport::FaceWindow window{u"FuzzSm3", 8, 8};
  IDirect3DDevice9Ex* device = nullptr;
  Harness() {
    IDirect3D9Ex* d3d = nullptr;
    if (Direct3DCreate9Ex(D3D_SDK_VERSION, &d3d) != D3D_OK) return;
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = p.BackBufferHeight = 8;
    p.BackBufferFormat = D3DFMT_A8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window.hwnd;
    p.Windowed = 1;
    d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, window.hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, &device);
    d3d->Release();
    if (!device) return;
    IDirect3DTexture9* t = nullptr;
    device->CreateTexture(4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
    for (DWORD s = 0; s < 4; ++s) device->SetTexture(s, t);
    t->Release();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const float c[4] = {0.5f, 0.25f, 2.0f, 1.0f};
    for (UINT r = 0; r < 8; ++r) {
      device->SetPixelShaderConstantF(r, c, 1);
      device->SetVertexShaderConstantF(r, c, 1);
    }
    const int loops[4] = {3, 0, 1, 0};
    device->SetPixelShaderConstantI(0, loops, 1);
    device->SetVertexShaderConstantI(0, loops, 1);
  }
  ~Harness() {
    if (device) device->Release();
  }
};

struct Vertex {
  float x, y, z, w;
  D3DCOLOR c;
  float u, v;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t words = size / 4;
  std::unique_ptr<uint32_t[]> code(new uint32_t[words ? words : 1]);
  if (words) std::memcpy(code.get(), data, words * 4);
  vm::Program program;
  std::string reason;
  size_t used = 0;
  const bool accepted = sm3::decode(code.get(), words, program, reason, &used);
  if (!accepted && reason.empty()) __builtin_trap();  // every refusal says why
  int start = 0, count = 0;
  ZaDod::D3D9_FindConstantTable(code.get(), int(words * 4 > 1u << 30 ? 1u << 30 : words * 4), &start, &count);
  if (!accepted) return 0;

  static Harness h;
  if (!h.device) return 0;
  IDirect3DPixelShader9* ps = nullptr;
  IDirect3DVertexShader9* vs = nullptr;
  if (program.pixel) h.device->CreatePixelShader(reinterpret_cast<const DWORD*>(code.get()), &ps);
  else h.device->CreateVertexShader(reinterpret_cast<const DWORD*>(code.get()), &vs);
  h.device->SetPixelShader(ps);
  h.device->SetVertexShader(vs);
  const Vertex quad[4] = {{0, 0, 0.5f, 1, 0xFF80FF40u, 0, 0},
                          {8, 0, 0.5f, 1, 0xFF4080FFu, 1.5f, 0},
                          {0, 8, 0.5f, 1, 0x80FFFFFFu, 0, 2},
                          {8, 8, 0.5f, 1, 0xFF000000u, 1.5f, 2}};
  h.device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | fvfTexCount(1));
  h.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
  h.device->SetPixelShader(nullptr);
  h.device->SetVertexShader(nullptr);
  if (ps) ps->Release();
  if (vs) vs->Release();
  return 0;
}
