// Sprite draw overhead: 1,000 dancing 32 x 32 sprites in 10 layers drawn by drawAllLayers
// on a headless 640 x 480 32-bit software screen, beside the same 1,000 DrawRotatedGraph
// calls made directly, so the difference is the layer walk and the frame choice.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/display_bench_start.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_settings.h"
#include "runtime/library/layer.h"
#include "runtime/library/picture.h"
#include "runtime/library/runtime_state.h"
#include "runtime/vm/roots.h"

namespace {

constexpr int kLayers = 10;
constexpr int kPerLayer = 100;
constexpr int kSide = 32;
constexpr int kColumns = 4;

struct Scene {
    bool ready = false;
    std::vector<int> xs, ys, frames;
    Scene() {
        if (!startDisplayBench()) return;
        kv::ObjectRoot sheet(kv::newBlankPicture(kSide * kColumns, kSide));
        std::mt19937 rng(7);
        for (int l = 0; l < kLayers; ++l) {
            kv::newLayer(l, 255, true);
            for (int i = 0; i < kPerLayer; ++i) {
                int x = static_cast<int>(rng() % 640), y = static_cast<int>(rng() % 480);
                xs.push_back(x);
                ys.push_back(y);
                kv::KVGlyph* g =
                    kv::newGlyph(static_cast<kv::KVPicture*>(sheet.get()), 0, 0, kSide, kSide, kColumns, 1);
                g->divider = 0;
                g->props.cells[kv::kSlotX]->setInt(x);
                g->props.cells[kv::kSlotY]->setInt(y);
                frames.insert(frames.end(), g->frames, g->frames + kColumns);
                addToLayer(g, l);
            }
        }
        ready = true;
    }
};
Scene& scene() {
    static Scene s;
    return s;
}

void BM_DrawAllLayersOfSprites(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics did not start");
    for (auto _ : state) {
        kv::drawAllLayers();
        ++kv::gRuntime.totalFrames;
    }
}

void BM_DrawRotatedGraphDirect(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics did not start");
    int frame = 0;
    for (auto _ : state) {
        ZaDod::SetDrawBlendMode(1, 255);
        for (size_t i = 0; i < s.xs.size(); ++i)
            benchmark::DoNotOptimize(ZaDod::DrawRotatedGraph(s.xs[i], s.ys[i], 0, 0, 1.0, 1.0, 0.0,
                                                             s.frames[i * kColumns + frame % kColumns], 1, 0));
        ZaDod::SetDrawAreaFull();
        ++frame;
    }
}

}  // namespace

// One iteration is one frame, so the time column reads microseconds per frame.
BENCHMARK(BM_DrawAllLayersOfSprites)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawRotatedGraphDirect)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
