// Script tests that draw: a headless 640 x 480 32-bit software screen started
// before the object system, so the default font is made on it.
#pragma once

#include <cstdlib>

#include "media/base/clock.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/system/winapi.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {

class ScreenScriptTest : public ScriptTest {
 protected:
  void SetUp() override {
    setenv("HALVORINE_HEADLESS", "1", 1);
    setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    ZaDod::LoadWinAPI();
    ZaDod::SetupPerformanceCounter();
    ZaDod::GraphicsSys.colorBits = 32;
    ZaDod::SetMainScreenSize(640, 480);
    ASSERT_EQ(ZaDod::InitializeGraphics(), 0);
    ScriptTest::SetUp();
  }
  void TearDown() override {
    ScriptTest::TearDown();
    ZaDod::TerminateGraphics();
    unsetenv("HALVORINE_MISSING");
  }
};

}  // namespace kvtest
