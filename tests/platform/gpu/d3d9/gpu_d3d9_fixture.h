// Shared set-up of the Direct3D 9 face tests: a headless 640x480 window, the Direct3D Ex
// object and a windowed device made through the face's own entries, and small helpers to
// make textures, draw quads and read pixels back.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/gpu/shaders/token.h"
#include "platform/win/window_frame.h"
#include "platform/win/window_test.h"
#include "tests/platform/gpu/face_window.h"

namespace d3d9test {

using namespace plat::gpu;

template <class T>
using Com = facesupport::ComRef<T>;

// FVF 0x144: a pre-transformed position, a colour and one texture-coordinate pair.
struct TexVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD kTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | fvfTexCount(1);
static_assert(kTexFvf == 0x144);

struct ColourVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
};
constexpr DWORD kColourFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

class D3D9Test : public ::testing::Test {
 public:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    resetJournal();
    ResetD3D9SwitchesForTest();
    window = std::make_unique<facesupport::FaceWindow>(u"D3D9Test", 640, 480);
    hwnd = window->hwnd;
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(Direct3DCreate9Ex(D3D_SDK_VERSION, d3d.out()), D3D_OK);
    ASSERT_EQ(makeDevice(640, 480, device.out()), D3D_OK);
  }
  void TearDown() override {
    device.reset();
    d3d.reset();
    window.reset();
    resetProfile();
    ResetD3D9SwitchesForTest();
    unsetenv("HALVORINE_MISSING");
  }

  D3DPRESENT_PARAMETERS presentParams(UINT w, UINT h, DWORD flags = 0) const {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = w;
    p.BackBufferHeight = h;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = hwnd;
    p.Windowed = 1;
    p.Flags = flags;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return p;
  }
  HRESULT makeDevice(UINT w, UINT h, IDirect3DDevice9Ex** out, DWORD flags = 0) {
    D3DPRESENT_PARAMETERS p = presentParams(w, h, flags);
    return d3d->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p,
                               nullptr, out);
  }

  // A texture whose texels are given as D3DCOLOR words, row after row.
  IDirect3DTexture9* texture(UINT w, UINT h, const std::vector<D3DCOLOR>& texels, D3DPOOL pool = D3DPOOL_MANAGED,
                             DWORD usage = 0) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(w, h, 1, usage, D3DFMT_A8R8G8B8, pool, &t, nullptr), D3D_OK);
    if (!t) return nullptr;
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch), &texels[size_t(y) * w], 4 * w);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }

  // A textured quad from (x0, y0) to (x1, y1) as two triangles of a list.
  HRESULT quad(float x0, float y0, float x1, float y1, D3DCOLOR c, float u0 = 0, float v0 = 0, float u1 = 1,
               float v1 = 1) {
    const TexVertex v[6] = {{x0, y0, 0, 1, c, u0, v0}, {x1, y0, 0, 1, c, u1, v0}, {x0, y1, 0, 1, c, u0, v1},
                            {x1, y0, 0, 1, c, u1, v0}, {x1, y1, 0, 1, c, u1, v1}, {x0, y1, 0, 1, c, u0, v1}};
    device->SetFVF(kTexFvf);
    return device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexVertex));
  }

  // The back buffer's pixels as 0xAARRGGBB words, read through GetRenderTargetData.
  std::vector<uint32_t> backPixels() {
    Com<IDirect3DSurface9> back, copy;
    EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
    D3DSURFACE_DESC d{};
    back->GetDesc(&d);
    EXPECT_EQ(device->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, copy.out(), nullptr),
              D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(back.get(), copy.get()), D3D_OK);
    return surfacePixels(copy.get());
  }
  static std::vector<uint32_t> surfacePixels(IDirect3DSurface9* s) {
    D3DSURFACE_DESC d{};
    s->GetDesc(&d);
    std::vector<uint32_t> out(size_t(d.Width) * d.Height);
    D3DLOCKED_RECT lr{};
    if (s->LockRect(&lr, nullptr, D3DLOCK_READONLY) != D3D_OK) return out;
    for (UINT y = 0; y < d.Height; ++y)
      std::memcpy(&out[size_t(y) * d.Width], static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch), 4 * d.Width);
    s->UnlockRect();
    return out;
  }
  std::vector<uint32_t> windowFrame() {
    std::vector<uint32_t> f;
    int w = 0, h = 0;
    plat::win::GetWindowFrame(hwnd, &f, &w, &h);
    EXPECT_EQ(w, 640);
    return f;
  }

  // Stage state helpers.
  void stage(DWORD s, DWORD colourOp, DWORD c1, DWORD c2, DWORD alphaOp, DWORD a1, DWORD a2) {
    device->SetTextureStageState(s, D3DTSS_COLOROP, colourOp);
    device->SetTextureStageState(s, D3DTSS_COLORARG1, c1);
    device->SetTextureStageState(s, D3DTSS_COLORARG2, c2);
    device->SetTextureStageState(s, D3DTSS_ALPHAOP, alphaOp);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG1, a1);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG2, a2);
  }
  void pointClamp(DWORD s) {
    device->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  }

  std::unique_ptr<facesupport::FaceWindow> window;
  plat::win::HWND hwnd = nullptr;
  Com<IDirect3D9Ex> d3d;
  Com<IDirect3DDevice9Ex> device;
};

inline uint32_t rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

}  // namespace d3d9test
