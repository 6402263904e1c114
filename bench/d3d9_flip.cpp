// Frames per second of clear-plus-flip at 640 x 480 headless on Direct3D 9 (over the
// software GPU), beside the same loop on the software renderer and on Direct3D 11 in the
// same run.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "media/graphics/draw.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"

using namespace ZaDod;

namespace {

// Starts the library on the wanted API, stopping it first when it runs on another one.
bool runOn(int api) {
    static int running = -1;
    if (running == api) return true;
    if (running >= 0) TerminateLibrary();
    running = -1;
    setenv("HALVORINE_HEADLESS", "1", 1);
    if (api == kGraphicsApiD3D11)
        unsetenv("HALVORINE_MISSING");
    else if (api == kGraphicsApiD3D9)
        setenv("HALVORINE_MISSING", "d3d11", 1);
    else
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    GraphicsSys.colorBits = 32;
    SetMainScreenSize(640, 480);
    ChangeWindowMode(1);
    SetWaitVSyncFlag(0);  // frames as fast as they are made, on every path
    if (InitializeLibrary() != 0 || GraphicsApiType != api) return false;
    running = api;
    return true;
}

void clearAndFlip(benchmark::State& state, int api) {
    if (!runOn(api)) return state.SkipWithError("graphics did not start on the wanted API");
    GraphicsDrawSettings.backgroundBlue = 64;
    for (auto _ : state) {
        ClearDrawTarget(nullptr);
        benchmark::DoNotOptimize(FlipScreen());
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ClearFlipSoftware(benchmark::State& state) { clearAndFlip(state, kGraphicsApiSoftware); }
void BM_ClearFlipD3D9(benchmark::State& state) { clearAndFlip(state, kGraphicsApiD3D9); }
void BM_ClearFlipD3D11(benchmark::State& state) { clearAndFlip(state, kGraphicsApiD3D11); }

}  // namespace

BENCHMARK(BM_ClearFlipSoftware)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClearFlipD3D9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClearFlipD3D11)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
