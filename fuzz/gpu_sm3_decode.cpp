// The model 2 and 3 shader decoder over arbitrary bytes with an explicit length, then the
// back end's constant-table reading on the same bytes, then the back end's shader creation
// given the whole code and each of its last 64 word-aligned cuts as the caller's size, then
// one 8x8 draw through the Direct3D 9 face with whatever was accepted. The input is the
// code itself; every size is handed over as an exact-size heap copy, so a read past it
// shows under the sanitizers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/shader.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/d3d9/sm3_decode.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/shaders/token.h"
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

// The media layer on the Direct3D 9 back end, headless.
struct BackEnd {
  bool ready = false;
  BackEnd() {
    setenv("HALVORINE_HEADLESS", "1", 1);
    setenv("HALVORINE_MISSING", "d3d11", 1);
    ZaDod::SetLogFileOutput(0);
    ZaDod::SetMainScreenSize(16, 16);
    ZaDod::ChangeWindowMode(1);
    ready = ZaDod::InitializeLibrary() == 0 && ZaDod::GraphicsApiType == ZaDod::kGraphicsApiD3D9 &&
            ZaDod::Graphics_Hardware_GetShaderModelVersion() > 0;
  }
};

// The back end's shader creation given `bytes` bytes of the code, from a copy of exactly
// that many; whatever it accepts is deleted again. The back end keeps its own copy in
// tracked memory, where a read past it does not show, so the check is made here: code
// handed to the device must be a whole token, or a program whose decoding within the
// given words never runs out of words (the device reads up to the end and takes no length).
void backEndCreate(const uint8_t* data, size_t bytes, int vertexFlag) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes ? bytes : 1]);
  if (bytes) std::memcpy(copy.get(), data, bytes);
  const int before = callCount("d3d9.CreatePixelShader") + callCount("d3d9.CreateVertexShader");
  const int handle = ZaDod::LoadShaderFromMemBase(vertexFlag, copy.get(), int(bytes), 0, 0, 0);
  if (handle > 0) ZaDod::SubHandle(handle);
  if (callCount("d3d9.CreatePixelShader") + callCount("d3d9.CreateVertexShader") == before) return;
  size_t tokenBytes = 0;
  if (tokenHeader(copy.get(), bytes, tokenBytes) && tokenBytes > 0) return;
  std::unique_ptr<uint32_t[]> words(new uint32_t[bytes / 4 ? bytes / 4 : 1]);
  if (bytes >= 4) std::memcpy(words.get(), copy.get(), bytes / 4 * 4);
  vm::Program program;
  std::string reason;
  if (!sm3::decode(words.get(), bytes / 4, program, reason) &&
      (reason.find("past the end") != std::string::npos || reason.find("within the length") != std::string::npos))
    __builtin_trap();
}

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

  static BackEnd backEnd;
  if (backEnd.ready && size <= (1u << 20)) {
    const int vertexFlag = words > 0 && (code[0] >> 16) == 0xFFFEu ? 1 : 0;
    backEndCreate(data, size, vertexFlag);
    for (size_t cut = words; cut-- > 0 && words - cut <= 64;) backEndCreate(data, cut * 4, vertexFlag);
  }
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
