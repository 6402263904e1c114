// Shared by the Direct3D 9 back-end tests: the library started headless in a 640 x 480
// window in software mode with the media log on (its pieces captured), then the back end's
// own creation steps, and every process-wide object of the back end undone afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "media/graphics/d3d9/backend.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/win/module.h"
#include "platform/win/window_frame.h"
#include "tests/media/system/library_fixture.h"

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

class D3D9BackEnd : public halvorine_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    resetSwitches();
    SetLogFileOutput(1);
  }
  void TearDown() override {
    releaseBackEnd();
    LibraryTest::TearDown();
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

  // The window and the rest of the library, in software mode (the back end's own start-up
  // is not built yet); the log of that start is forgotten.
  void startLibrary() {
    setenv("HALVORINE_MISSING", "d3d11", 1);
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
  }

  static bool logged(const std::u16string& text) { return LogCapture::contains(text); }
  static int logCountOf(const std::u16string& text) { return halvorine_test::logCount(text); }

  // The window's frame as XRGB words.
  static std::vector<uint32_t> frame(int* w, int* h) {
    std::vector<uint32_t> pixels;
    plat::win::GetWindowFrame(GetDisplayWindowHandle(), &pixels, w, h);
    return pixels;
  }
};

}  // namespace d3d9test
