// Software-image throughput: raw fills of a 640 x 480 screen at both depths, loading
// an ARGB picture with its premultiplied copy and run table, and the screen-to-screen
// copy. Rates are pixels per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "media/graphics/base_image.h"
#include "media/graphics/mem_img.h"

using namespace ZaDod;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void fill(benchmark::State& state) {
    MEMIMG img{};
    MakeMemImg(&img, kWidth, kHeight, static_cast<int>(state.range(0)));
    uint32_t colour = 0;
    for (auto _ : state) {
        FillMemImg(&img, nullptr, ++colour);
        benchmark::DoNotOptimize(img.pixels[0]);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    TerminateMemImg(&img);
}
BENCHMARK(fill)->Arg(0)->Arg(1);

// A sprite-like picture: transparent border, opaque body, soft edge.
void loadWithRuns(benchmark::State& state) {
    const int colorType = static_cast<int>(state.range(0));
    BaseImage src{};
    CreateARGB8ColorBaseImage(256, 256, &src);
    std::mt19937 random(7);
    for (int y = 0; y < 256; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(src.pixels) + y * src.pitch);
        for (int x = 0; x < 256; ++x) {
            const int d = std::abs(x - 128) + std::abs(y - 128);
            const uint32_t alpha = d < 96 ? 255 : d < 104 ? 128 : 0;
            row[x] = (alpha << 24) | (random() & 0xFFFFFF);
        }
    }
    MEMIMG img{};
    CreateMemImg(&img, 256, 256, -1, 0, colorType, 0, 1, 1, nullptr);
    for (auto _ : state) {
        BltBaseImageToMemImg(&src, nullptr, &img, 0, 0, 256, 256, 0, 0, 0);
        benchmark::DoNotOptimize(img.base->runTable[0]);
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
    TerminateMemImg(&img);
    ReleaseBaseImage(&src);
}
BENCHMARK(loadWithRuns)->Arg(0)->Arg(1);

void copyScreen(benchmark::State& state) {
    MEMIMG src{}, dest{};
    MakeMemImg(&src, kWidth, kHeight, static_cast<int>(state.range(0)));
    MakeMemImg(&dest, kWidth, kHeight, static_cast<int>(state.range(1)));
    FillMemImg(&src, nullptr, 0x1234);
    for (auto _ : state) {
        BltMemImg(&dest, &src, nullptr, 0, 0);
        benchmark::DoNotOptimize(dest.pixels[0]);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    TerminateMemImg(&src);
    TerminateMemImg(&dest);
}
BENCHMARK(copyScreen)->Args({0, 0})->Args({1, 1})->Args({0, 1});

}  // namespace

BENCHMARK_MAIN();
