// Shared by the Direct3D 9 back-end tests: the library started headless in a 640x480
// window with the media log on, a Direct3D 9 device on it, the software GPU's profile and
// journal reset, and small drawing and read-back helpers over the back end's own entries.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "media/system/window.h"
#include "tests/media/system/library_fixture.h"

namespace d3d9test {

using namespace ZaDod;
using namespace plat::gpu;

struct Rgb {
  int r, g, b;
};
inline bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline std::ostream& operator<<(std::ostream& o, const Rgb& c) {
  return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

struct Vertex2DNoTex {
  float x, y, z, rhw;
  uint32_t colour;
};

class D3D9Test : public halvorine_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    resetProfile();
    resetJournal();
    ResetD3D9SwitchesForTest();
    SetLogFileOutput(1);
  }
  void TearDown() override {
    detach();
    LibraryTest::TearDown();
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    ResetD3D9SwitchesForTest();
  }

  // The library in software mode with a device of our own under the back end's state.
  void attach() {
    ASSERT_EQ(startWindowed(), 0);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 640;
    p.BackBufferHeight = 480;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = GetDisplayWindowHandle();
    p.Windowed = 1;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK);
    D3D9Sys.direct3D = d3d;
    D3D9Sys.device = device;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &D3D9DeviceSys.backBuffer);
    device->GetDeviceCaps(&D3D9DeviceSys.caps);
    D3D9DeviceSys.maxTextureBlendStages = int(D3D9DeviceSys.caps.MaxTextureBlendStages);
    D3D9DeviceSys.tssArgTemp = (D3D9DeviceSys.caps.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP) != 0;
    GraphicsDeviceCapsData.subtractiveBlend = 1;
    D3D9State = D3D9DeviceStateCache{};
    D3D9State.force = 1;
    Graphics_D3D9_DeviceState_SetRenderTarget(D3D9DeviceSys.backBuffer, 0);
    D3D9State.force = 0;
    Graphics_D3D9_SetupDefaultDeviceState();
    attached_ = true;
  }

  void detach() {
    if (!attached_) return;
    attached_ = false;
    D3D9Batch.pending = 0;
    Graphics_D3D9_EndScene();
    Graphics_D3D9_DeviceState_ClearBindings();
    if (D3D9DeviceSys.backBuffer) D3D9DeviceSys.backBuffer->Release();
    D3D9DeviceSys.backBuffer = nullptr;
    D3D9Sys.device->Release();
    D3D9Sys.direct3D->Release();
    D3D9Sys.device = nullptr;
    D3D9Sys.direct3D = nullptr;
  }

  static void clearTo(int r, int g, int b) {
    GraphicsDrawSettings.backgroundRed = r;
    GraphicsDrawSettings.backgroundGreen = g;
    GraphicsDrawSettings.backgroundBlue = b;
    Graphics_D3D9_ClearDrawTarget(nullptr);
  }

  // What a filled box queues: the preparation with key 0x20 and six untextured vertices
  // over pixels x1..x2-1, y1..y2-1 in blend mode `mode` at `param`.
  static void box(int mode, int param, Rgb c, int x1, int y1, int x2, int y2) {
    DrawSettings& s = GraphicsDrawSettings;
    s.blendMode = mode;
    s.blendParam = param;
    s.brightRed = s.brightGreen = s.brightBlue = 255;
    Graphics_D3D9_RefreshDiffuseColor();
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    Graphics_D3D9_DrawPreparation(0x20);
    const uint32_t colour = (D3D9Batch.diffuse & 0xFF000000u) | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
    const float l = float(x1) - 0.5f, t = float(y1) - 0.5f, r = float(x2) - 0.5f, b = float(y2) - 0.5f;
    const Vertex2DNoTex v[6] = {{l, t, 0, 1, colour}, {r, t, 0, 1, colour}, {l, b, 0, 1, colour},
                                {r, b, 0, 1, colour}, {l, b, 0, 1, colour}, {r, t, 0, 1, colour}};
    uint8_t* at = D3D9_BatchReserve(D3DPT_TRIANGLELIST, 6);
    ASSERT_NE(at, nullptr);
    std::memcpy(at, v, sizeof v);
  }

  // The pixel of the surface the screen draws into, after a flush.
  static Rgb pixel(int x, int y) {
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    IDirect3DSurface9* s = D3D9_ScreenSurface();
    D3DLOCKED_RECT lr{};
    if (s == nullptr || s->LockRect(&lr, nullptr, D3DLOCK_READONLY) != D3D_OK) return Rgb{-1, -1, -1};
    const uint8_t* p = static_cast<const uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + size_t(x) * 4;
    const Rgb out{p[2], p[1], p[0]};
    s->UnlockRect();
    return out;
  }

  bool attached_ = false;
};

}  // namespace d3d9test
