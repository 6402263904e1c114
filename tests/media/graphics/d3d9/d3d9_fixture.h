// Shared by the Direct3D 9 back-end tests: the library started headless in a 640x480
// window on Direct3D 9 with the media log on, the software GPU's profile and
// journal reset, and small drawing and read-back helpers over the back end's own entries.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/win/window_frame.h"
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
 public:
  void SetUp() override {
    LibraryTest::SetUp();
    // Direct3D 11 stays away, so graphics start picks Direct3D 9.
    setenv("HALVORINE_MISSING", "d3d11", 1);
    resetProfile();
    resetJournal();
    ResetD3D9SwitchesForTest();
    SetD3D9CapsForTest(nullptr);
    SetLogFileOutput(1);
  }
  void TearDown() override {
    LibraryTest::TearDown();
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    ResetD3D9SwitchesForTest();
    SetD3D9CapsForTest(nullptr);
  }

  // The library started windowed at 640x480 on Direct3D 9.
  static void attach() {
    ASSERT_EQ(startWindowed(), 0);
    ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
    ASSERT_EQ(Direct3DDevice9_IsValid(), 1);
  }

  // Start-up with the shader caps taken away: the fixed stages draw.
  static void attachFixed() {
    D3DCAPS9 caps = DefaultD3D9Caps();
    caps.VertexShaderVersion = shaderVersion(false, 1, 1);
    caps.PixelShaderVersion = shaderVersion(true, 1, 4);
    SetD3D9CapsForTest(&caps);
    attach();
    ASSERT_EQ(ProgrammableShaderFlag, 0);
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

  // The frame the flip presents into the window.
  struct Frame {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    Rgb at(int x, int y) const {
      if (x < 0 || y < 0 || x >= width || y >= height) return Rgb{-1, -1, -1};
      const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
      return Rgb{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }
  };
  static Frame present() {
    Frame f;
    EXPECT_EQ(Graphics_D3D9_FlipScreen(), 0);
    plat::win::GetWindowFrame(GetDisplayWindowHandle(), &f.pixels, &f.width, &f.height);
    return f;
  }
  static Rgb pixel(int x, int y) { return present().at(x, y); }

};

}  // namespace d3d9test
