// Drawing-front overhead: 1,000 32 x 32 DrawGraph calls a frame on a headless 640 x 480
// 32-bit software screen, beside the same draws made straight through SoftDrawGraph
// and beside the front with the mask on.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "media/base/clock.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/graphics/soft_draw.h"
#include "media/system/winapi.h"

using namespace ZaDod;

namespace {

constexpr int kDraws = 1000;

struct Scene {
    int graph = -1;
    std::vector<std::pair<int, int>> at;
    Scene() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        LoadWinAPI();
        SetupPerformanceCounter();
        GraphicsSys.colorBits = 32;
        SetMainScreenSize(640, 480);
        if (InitializeGraphics() != 0) return;
        graph = MakeGraph(32, 32);
        std::mt19937 rng(99);
        for (int i = 0; i < kDraws; ++i)
            at.emplace_back(static_cast<int>(rng() % 672) - 32, static_cast<int>(rng() % 512) - 32);
    }
};
Scene& scene() {
    static Scene s;
    return s;
}

void report(benchmark::State& state) {
    state.counters["draws/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kDraws,
                                                   benchmark::Counter::kIsRate);
}

void BM_SoftDrawGraphDirect(benchmark::State& state) {
    Scene& s = scene();
    if (s.graph < 0) return state.SkipWithError("graphics did not start");
    for (auto _ : state)
        for (const auto& [x, y] : s.at) benchmark::DoNotOptimize(SoftDrawGraph(x, y, s.graph, 1));
    report(state);
}

void BM_DrawGraphFront(benchmark::State& state) {
    Scene& s = scene();
    if (s.graph < 0) return state.SkipWithError("graphics did not start");
    for (auto _ : state)
        for (const auto& [x, y] : s.at) benchmark::DoNotOptimize(DrawGraph(x, y, s.graph, 1));
    report(state);
}

void BM_DrawGraphFrontMasked(benchmark::State& state) {
    Scene& s = scene();
    if (s.graph < 0) return state.SkipWithError("graphics did not start");
    CreateMaskScreen(1, 640, 480);
    SetUseMaskScreenFlag(1);
    for (auto _ : state)
        for (const auto& [x, y] : s.at) benchmark::DoNotOptimize(DrawGraph(x, y, s.graph, 1));
    DeleteMaskScreen();
    report(state);
}

}  // namespace

BENCHMARK(BM_SoftDrawGraphDirect);
BENCHMARK(BM_DrawGraphFront);
BENCHMARK(BM_DrawGraphFrontMasked);
BENCHMARK_MAIN();
