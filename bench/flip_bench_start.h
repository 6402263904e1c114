// The clear-plus-flip benchmark loop: the library headless at 640 x 480, 32 bits, on the
// wanted graphics API (restarted only when the API changes), clearing and flipping.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "media/graphics/draw.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"

// False when the library did not start on `api`.
inline bool startFlipBenchOn(int api) {
    static int running = -1;
    if (running == api) return true;
    if (running >= 0) ZaDod::TerminateLibrary();
    running = -1;
    setenv("HALVORINE_HEADLESS", "1", 1);
    if (api == ZaDod::kGraphicsApiD3D11)
        unsetenv("HALVORINE_MISSING");
    else if (api == ZaDod::kGraphicsApiD3D9)
        setenv("HALVORINE_MISSING", "d3d11", 1);
    else
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    ZaDod::GraphicsSys.colorBits = 32;
    ZaDod::SetMainScreenSize(640, 480);
    ZaDod::ChangeWindowMode(1);
    ZaDod::SetWaitVSyncFlag(0);  // frames as fast as they are made, on every path
    if (ZaDod::InitializeLibrary() != 0 || ZaDod::GraphicsApiType != api) return false;
    running = api;
    return true;
}

// Clears the screen and flips it, frames per second as the counter.
inline void runClearFlip(benchmark::State& state, int api) {
    if (!startFlipBenchOn(api)) return state.SkipWithError("graphics did not start on the wanted API");
    ZaDod::GraphicsDrawSettings.backgroundBlue = 64;
    for (auto _ : state) {
        ZaDod::ClearDrawTarget(nullptr);
        benchmark::DoNotOptimize(ZaDod::FlipScreen());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
