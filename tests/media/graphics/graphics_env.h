// Fixture of the graphics-system tests: the recording back end in its default state
// (both Direct3D start-ups fail), a held clock so that vertical-blank waits and
// measurements end at once, and graphics stopped again afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/base/clock.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/system/winapi.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_display.h"
#include "platform/win/ddraw.h"
#include "tests/media/graphics/recording_backend.h"

namespace halvorine_test {

struct GraphicsEnv : ::testing::Test {
    void SetUp() override {
        setenv("HALVORINE_HEADLESS", "1", 1);
        unsetenv("HALVORINE_MISSING");
        ZaDod::LoadWinAPI();
        ZaDod::SetupPerformanceCounter();
        plat::win::HoldClockForTest(1000000000000LL);
        plat::win::SetVerticalBlankScriptForTest({});
        plat::win::SetDisplaysForTest({});
        resetRecordingBackend();
        ZaDod::GraphicsSys.requestedWidth = ZaDod::GraphicsSys.requestedHeight = 0;
        ZaDod::GraphicsSys.colorBits = 0;
        ZaDod::GraphicsSys.noHardware = 0;
        ZaDod::GraphicsSys.hardware = 0;
    }
    void TearDown() override {
        ZaDod::TerminateGraphics();
        ZaDod::GraphicsSys.hardware = 0;
        ZaDod::GraphicsApiType = ZaDod::kGraphicsApiSoftware;
        ZaDod::GraphicsDrawSettings.backgroundRed = ZaDod::GraphicsDrawSettings.backgroundGreen =
            ZaDod::GraphicsDrawSettings.backgroundBlue = 0;
        resetRecordingBackend();
        unsetenv("HALVORINE_MISSING");
        plat::win::ReleaseClockForTest();
    }
};

}  // namespace halvorine_test
