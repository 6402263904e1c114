// Label frame cost: 200 NumericLabels in one layer, each given a new value (formatted
// and padded as "setValue" does) and drawn every frame on a headless 640 x 480 32-bit
// software screen, beside 200 DrawStringToHandle calls of the same preformatted texts
// in the default label font, so the difference is the formatting and the layer walk.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "bench/display_bench_start.h"
#include "media/graphics/font/font.h"
#include "media/graphics/render_settings.h"
#include "runtime/library/labels.h"

namespace {

constexpr int kLabels = 200;

struct Scene {
    bool ready = false;
    std::vector<kv::BufferedLabel*> labels;
    std::vector<int> xs, ys;
    Scene() {
        if (!startDisplayBench()) return;
        std::mt19937 rng(11);
        kv::newLayer(0, 255, true);
        for (int i = 0; i < kLabels; ++i) {
            int x = static_cast<int>(rng() % 600), y = static_cast<int>(rng() % 460);
            xs.push_back(x);
            ys.push_back(y);
            // The layer list holds the labels; nothing collects while it fills.
            kv::BufferedLabel* l = kv::newIntLabel(0, nullptr);
            l->props.cells[kv::kSlotX]->setInt(x);
            l->props.cells[kv::kSlotY]->setInt(y);
            l->digits = 6;
            addToLayer(l, 0);
            labels.push_back(l);
        }
        ready = kv::defaultLabelFont() >= 0;
    }
};
Scene& scene() {
    static Scene s;
    return s;
}

// Frame f's value of label i.
int valueAt(int frame, int i) { return (frame * 7919 + i * 104729) % 1000000; }

void BM_NumericLabelsSetAndDraw(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics or the default font did not start");
    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < kLabels; ++i) {
            kv::BufferedLabel* l = s.labels[static_cast<size_t>(i)];
            l->setIntValue(valueAt(frame, i));
            l->padDigits();
        }
        kv::drawAllLayers();
        frame = (frame + 1) % 64;
    }
}

void BM_DrawStringToHandleDirect(benchmark::State& state) {
    Scene& s = scene();
    if (!s.ready) return state.SkipWithError("graphics or the default font did not start");
    // The same texts as the labels show, formatted before the timing.
    std::vector<std::vector<std::string>> texts(64);
    for (int f = 0; f < 64; ++f)
        for (int i = 0; i < kLabels; ++i) {
            std::string t = std::to_string(valueAt(f, i));
            texts[static_cast<size_t>(f)].push_back(std::string(6 - std::min<size_t>(6, t.size()), '0') + t);
        }
    const int font = kv::defaultLabelFont();
    const unsigned white = ZaDod::PackScreenColor(255, 255, 255);
    int frame = 0;
    for (auto _ : state) {
        ZaDod::SetDrawBlendMode(1, 255);
        const std::vector<std::string>& now = texts[static_cast<size_t>(frame)];
        for (int i = 0; i < kLabels; ++i)
            benchmark::DoNotOptimize(ZaDod::DrawStringToHandle(s.xs[static_cast<size_t>(i)], s.ys[static_cast<size_t>(i)],
                                                               now[static_cast<size_t>(i)].c_str(), white, font, white, 0));
        ZaDod::SetDrawAreaFull();
        frame = (frame + 1) % 64;
    }
}

}  // namespace

// One iteration is one frame, so the time column reads microseconds per frame.
BENCHMARK(BM_NumericLabelsSetAndDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawStringToHandleDirect)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
