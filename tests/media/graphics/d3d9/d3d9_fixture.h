// Shared by the Direct3D 9 back-end tests: the library started headless in a 640 x 480
// window with the media log on (its pieces captured), either on Direct3D 9 through the
// graphics start or in software mode followed by the back end's creation steps; every
// process-wide object of the back end is undone afterwards. Small drawing and read-back
// helpers over the back end's own entries.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/display.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/win/module.h"
#include "platform/win/window_frame.h"
#include "media/system/window.h"
#include "tests/media/system/media_library_fixture.h"

namespace d3d9test {

using namespace ZaDod;
using namespace plat::gpu;
using halvorine_test::LogCapture;
using halvorine_test::logHasInOrder;

inline std::string narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? char(c) : '?';
  return out;
}

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

class D3D9BackEnd : public halvorine_test::LibraryTest {
 public:
  void SetUp() override {
    LibraryTest::SetUp();
    resetSwitches();
    SetLogFileOutput(1);
    // Direct3D 11 stays away, so graphics start picks Direct3D 9; an earlier test's screen
    // size (a mode change, a retry chain) does not carry over.
    setenv("HALVORINE_MISSING", "d3d11", 1);
    SetMainScreenSize(640, 480);
  }
  void TearDown() override {
    // The library's end releases a back end it started; the steps below what a test
    // made by hand.
    LibraryTest::TearDown();
    releaseBackEnd();
    resetSwitches();
    unsetenv("HALVORINE_MISSING");
  }

  static void resetSwitches() {
    resetProfile();
    resetJournal();
    ResetD3D9SwitchesForTest();
    SetD3D9CapsForTest(nullptr);
    plat::win::ResetExportOverrides();
    plat::win::SetScreenBitsForTest(32);
  }

  // The window and the rest of the library, in software mode, for tests that take the
  // back end's creation steps one by one; the log of that start is forgotten.
  void startLibrary() {
    setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    ASSERT_EQ(startWindowed(), 0);
    unsetenv("HALVORINE_MISSING");
    forgetLog();
  }

  // Library, DirectDraw, the Direct3D object and the device, in that order.
  int create() {
    if (D3D9_LoadDLL() < 0 || InitializeDirectDraw() < 0 || Direct3D9_Create() < 0) return -1;
    return Graphics_D3D9_Device_Create();
  }

  int startAndCreate() {
    startLibrary();
    return create();
  }

  // Everything the back end made, and its process-wide flags, back to the start.
  static void releaseBackEnd() {
    Graphics_D3D9_ReleaseVertexDeclarations();
    Graphics_D3D9_Shader_ReleaseBuiltins();
    Graphics_D3D9_ShaderCode_FreePackage();
    D3D9DeviceState& d = D3D9DeviceSys;
    if (d.backBuffer != nullptr) d.backBuffer->Release();
    Direct3DDevice9_Release();
    Direct3D9_Release();
    D3D9_FreeDLL();
    d = D3D9DeviceState{};
    D3D9Sys = D3D9Objects{};
    ProgrammableShaderFlag = 0;
    GraphicsSys.screenMultiSampleCount = GraphicsSys.screenMultiSampleQuality = 0;
    Graphics_D3D9_ShaderConstant_InitializeManager(&D3D9ShaderConstantSys);
    D3D9BackendSys = D3D9Backend{};
    D3D9State = D3D9DeviceStateCache{};
  }

  static bool logged(const std::u16string& text) { return LogCapture::contains(text); }
  static int logCountOf(const std::u16string& text) { return halvorine_test::logCount(text); }

  // The window's frame as XRGB words.
  static std::vector<uint32_t> frame(int* w, int* h) {
    std::vector<uint32_t> pixels;
    plat::win::GetWindowFrame(GetDisplayWindowHandle(), &pixels, w, h);
    return pixels;
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

  // Windowed at 640 x 480 x 32 on Direct3D 9, point sampling, cleared black.
  static void startCleared() {
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    ASSERT_EQ(InitializeLibrary(), 0);
    ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
    SetDrawMode(0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
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
