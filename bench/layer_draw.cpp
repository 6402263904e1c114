// Frame draw overhead: drawAllLayers over 10 layers of 100 filled 16 x 16 boxes each on
// a headless 640 x 480 32-bit software screen, beside the same 1,000 DrawBox calls made
// directly, so the difference is the layer walk and the member reads.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/display_bench_start.h"
#include "media/graphics/draw.h"
#include "media/graphics/render_settings.h"
#include "runtime/library/layer.h"
#include "runtime/library/shapes.h"

namespace {

constexpr int kLayers = 10;
constexpr int kPerLayer = 100;
constexpr int kSide = 16;

struct Scene {
    bool ready = false;
    std::vector<int> xs, ys;
    Scene() {
        if (!startDisplayBench()) return;
        std::mt19937 rng(7);
        for (int l = 0; l < kLayers; ++l) {
            kv::newLayer(l, 255, true);
            for (int i = 0; i < kPerLayer; ++i) {
                int x = static_cast<int>(rng() % 640), y = static_cast<int>(rng() % 480);
                xs.push_back(x);
                ys.push_back(y);
                // The layer list holds the layer; nothing collects while it fills.
                kv::BoxShape* b = kv::newBoxShape(kSide, kSide, true);
                b->props.cells[kv::kSlotX]->setInt(x);
                b->props.cells[kv::kSlotY]->setInt(y);
                b->props.cells[kv::kSlotBrush]->setInt(static_cast<int>(0xFF000000u | rng()));
                addToLayer(b, l);
            }
        }
        ready = true;
    }
};
Scene& scene() {
    static Scene s;
    return s;
}

void BM_DrawAllLayers(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics did not start");
    for (auto _ : state) kv::drawAllLayers();
}

void BM_DrawBoxDirect(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics did not start");
    std::mt19937 rng(7);
    std::vector<unsigned> colours;
    for (size_t i = 0; i < s.xs.size(); ++i) {
        rng();
        rng();
        colours.push_back(0xFF000000u | rng());
    }
    for (auto _ : state) {
        ZaDod::SetDrawBlendMode(1, 255);
        for (size_t i = 0; i < s.xs.size(); ++i)
            benchmark::DoNotOptimize(ZaDod::DrawBox(s.xs[i], s.ys[i], s.xs[i] + kSide, s.ys[i] + kSide, colours[i], 1));
        ZaDod::SetDrawAreaFull();
    }
}

}  // namespace

// One iteration is one frame, so the time column reads microseconds per frame.
BENCHMARK(BM_DrawAllLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawBoxDirect)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
