// Graph filter and blend throughput on a 640 x 480 32-bit software graph, in megapixels
// per second: the Gauss filter at kernel widths 8, 16 and 32 beside a plain separable
// floating-point Gaussian over the same pixels (and ImageMagick's blur when MagickCore
// is present); Mono and the Normal and Multiple blends each beside a plain per-pixel
// loop of the same formula, Level beside a plain loop over a table made once, and Hsb
// beside the memcpy ceiling of writing the same picture. Then Gauss 16, Mono, Hsb and the
// Normal and Multiple blends on a 512 x 512 picture through the Direct3D 11 and Direct3D 9
// shader passes beside the software workers on the same picture (the library is restarted
// on the other back end between them).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "media/system/winapi.h"

#ifdef HALVORINE_HAVE_MAGICKCORE
#include <magick/MagickCore.h>
#endif

using namespace ZaDod;

namespace {

constexpr int kWidth = 640, kHeight = 480, kPixels = kWidth * kHeight;
constexpr int kStrength = 400;  // hundredths: a variance of 4 pixels²

constexpr int kPicture = 512;

// The library runs on one back end at a time: asking for the other restarts it and makes
// the graphs again from the same bytes.
enum Backend { kSoftware, kD3D11, kD3D9 };

struct Scene {
    int graph = -1, blendGraph = -1, picture = -1, blendPicture = -1;
    int backend = -1;  // the back end running, -1 none
    std::vector<uint8_t> pixels, other;  // B, G, R, A bytes
    Scene() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        pixels.resize(kPixels * 4);
        other.resize(kPixels * 4);
        std::mt19937 rng(5);
        for (auto& b : pixels) b = static_cast<uint8_t>(rng());
        for (auto& b : other) b = static_cast<uint8_t>(rng());
    }
    void use(int wanted) {
        if (backend == wanted) return;
        if (backend >= 0) TerminateLibrary();
        graph = blendGraph = picture = blendPicture = -1;
        backend = wanted;
        static const char* const missing[3] = {"d3d11,d3d9", nullptr, "d3d11"};
        if (missing[wanted] == nullptr) unsetenv("HALVORINE_MISSING");
        else setenv("HALVORINE_MISSING", missing[wanted], 1);
        static const int api[3] = {kGraphicsApiSoftware, kGraphicsApiD3D11, kGraphicsApiD3D9};
        ChangeWindowMode(1);
        SetScreenMode(kWidth, kHeight, 32, 0);
        if (InitializeLibrary() != 0 || GraphicsApiType != api[wanted]) return;
        graph = makeGraph(pixels, kWidth, kHeight);
        blendGraph = makeGraph(other, kWidth, kHeight);
        picture = makeGraph(pixels, kPicture, kPicture);
        blendPicture = makeGraph(other, kPicture, kPicture);
    }
    // A picture as a script loads it: a graph made from an image (a texture on Direct3D 11).
    int makeGraph(const std::vector<uint8_t>& bytes, int width, int height) const {
        BaseImage image{};
        CreateARGB8ColorBaseImage(width, height, &image);
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<uint8_t*>(image.pixels) + y * image.pitch, bytes.data() + y * width * 4,
                        size_t(width) * 4);
        const int g = CreateGraphFromBaseImage(&image, nullptr, 1, 0);
        ReleaseBaseImage(&image);
        return g;
    }
};
Scene& scene(int backend = kSoftware) {
    static Scene s;
    s.use(backend);
    return s;
}

void report(benchmark::State& state) {
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPixels / 1e6, benchmark::Counter::kIsRate);
}

#define NEED_SCENE(s)     \
    Scene& s = scene();   \
    if (s.graph < 0) return state.SkipWithError("graphics did not start")

void BM_GraphFilterGauss(benchmark::State& state) {
    NEED_SCENE(s);
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(GraphFilter(s.graph, kGraphFilterGauss, width, kStrength));
    report(state);
}

// The anchor: a separable Gaussian in floats with the same taps, both directions, written
// the plain fast way: each row widened at both ends once, every tap run over a whole row
// (or a whole row of the other direction) at a time.
void BM_PlainFloatGauss(benchmark::State& state) {
    NEED_SCENE(s);
    const int n = static_cast<int>(state.range(0)), half = n / 2, reach = 2 * (half - 1);
    std::vector<float> w(reach + 1);
    float sum = 0;
    for (int d = 0; d <= reach; ++d) {
        w[d] = std::exp(-0.5f * d * d / (kStrength / 100.0f));
        sum += d ? 2 * w[d] : w[d];
    }
    for (float& v : w) v /= sum;
    const int row = kWidth * 4;
    std::vector<float> padded((kWidth + 2 * reach) * 4), mid(kPixels * 4), acc(row);
    std::vector<uint8_t> out(kPixels * 4);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* src = s.pixels.data() + y * row;
            for (int i = 0; i < kWidth + 2 * reach; ++i)
                for (int c = 0; c < 4; ++c) padded[i * 4 + c] = src[std::clamp(i - reach, 0, kWidth - 1) * 4 + c];
            float* m = mid.data() + y * row;
            const float* centre = padded.data() + reach * 4;
            for (int i = 0; i < row; ++i) m[i] = w[0] * centre[i];
            for (int d = 1; d <= reach; ++d)
                for (int i = 0; i < row; ++i) m[i] += w[d] * (centre[i - d * 4] + centre[i + d * 4]);
        }
        for (int y = 0; y < kHeight; ++y) {
            const float* centre = mid.data() + y * row;
            for (int i = 0; i < row; ++i) acc[i] = w[0] * centre[i];
            for (int d = 1; d <= reach; ++d) {
                const float* up = mid.data() + std::clamp(y - d, 0, kHeight - 1) * row;
                const float* down = mid.data() + std::clamp(y + d, 0, kHeight - 1) * row;
                for (int i = 0; i < row; ++i) acc[i] += w[d] * (up[i] + down[i]);
            }
            for (int i = 0; i < row; ++i) out[y * row + i] = static_cast<uint8_t>(acc[i]);
        }
        benchmark::DoNotOptimize(out.data());
    }
    report(state);
}

#ifdef HALVORINE_HAVE_MAGICKCORE
void BM_MagickGaussianBlur(benchmark::State& state) {
    NEED_SCENE(s);
    const int n = static_cast<int>(state.range(0));
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* image = ConstituteImage(kWidth, kHeight, "BGRA", CharPixel, s.pixels.data(), exception);
    if (image == nullptr) return state.SkipWithError("ImageMagick could not take the picture");
    for (auto _ : state) {
        // The separable form of its Gaussian blur, over the same reach as ours.
        Image* blurred = BlurImage(image, 2.0 * (n / 2 - 1), std::sqrt(kStrength / 100.0), exception);
        benchmark::DoNotOptimize(blurred);
        if (blurred != nullptr) DestroyImage(blurred);
    }
    DestroyImage(image);
    DestroyExceptionInfo(exception);
    report(state);
}
#endif

void BM_GraphFilterMono(benchmark::State& state) {
    NEED_SCENE(s);
    for (auto _ : state) benchmark::DoNotOptimize(GraphFilter(s.graph, kGraphFilterMono, 40, -20));
    report(state);
}

void BM_PlainMono(benchmark::State& state) {
    NEED_SCENE(s);
    std::vector<uint8_t> out(kPixels * 4);
    const int kb = 100000, kg = -40000, kr = 30000;
    for (auto _ : state) {
        const uint8_t* p = s.pixels.data();
        for (int i = 0; i < kPixels; ++i) {
            const int y = 466 * p[i * 4] + 2404 * p[i * 4 + 1] + 1224 * p[i * 4 + 2];
            out[i * 4] = static_cast<uint8_t>(std::clamp((y + kb) >> 12, 0, 255));
            out[i * 4 + 1] = static_cast<uint8_t>(std::clamp((y + kg) >> 12, 0, 255));
            out[i * 4 + 2] = static_cast<uint8_t>(std::clamp((y + kr) >> 12, 0, 255));
            out[i * 4 + 3] = p[i * 4 + 3];
        }
        benchmark::DoNotOptimize(out.data());
    }
    report(state);
}

void BM_GraphFilterHsb(benchmark::State& state) {
    NEED_SCENE(s);
    for (auto _ : state) benchmark::DoNotOptimize(GraphFilter(s.graph, kGraphFilterHsb, 0, 45, 30, 10));
    report(state);
}

// The ceiling for a filter that writes every pixel: a plain copy of the picture.
void BM_PictureMemcpyCeiling(benchmark::State& state) {
    NEED_SCENE(s);
    std::vector<uint8_t> out(kPixels * 4);
    for (auto _ : state) {
        std::memcpy(out.data(), s.pixels.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    report(state);
}

void BM_GraphFilterLevel(benchmark::State& state) {
    NEED_SCENE(s);
    for (auto _ : state) benchmark::DoNotOptimize(GraphFilter(s.graph, kGraphFilterLevel, 20, 230, 140, 5, 250));
    report(state);
}

// Level as a plain loop would do it: the curve made once into a 256-entry table, then
// one lookup a colour byte.
void BM_PlainLevelTable(benchmark::State& state) {
    NEED_SCENE(s);
    std::vector<uint8_t> out(kPixels * 4);
    for (auto _ : state) {
        uint8_t table[256];
        for (int v = 0; v < 256; ++v) {
            const float t = std::clamp((v - 20) / 210.0f, 0.0f, 1.0f);
            table[v] = static_cast<uint8_t>(5 + std::pow(t, 1 / 1.4f) * 245);
        }
        const uint8_t* p = s.pixels.data();
        for (int i = 0; i < kPixels * 4; i += 4) {
            out[i] = table[p[i]];
            out[i + 1] = table[p[i + 1]];
            out[i + 2] = table[p[i + 2]];
            out[i + 3] = p[i + 3];
        }
        benchmark::DoNotOptimize(out.data());
    }
    report(state);
}

void BM_GraphBlend(benchmark::State& state) {
    NEED_SCENE(s);
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(GraphFilterBlendWithArgs(1, s.graph, s.blendGraph, s.graph, 200, kind, 0, 0, kWidth,
                                                          kHeight, 0, 0, 0, 0, 0, nullptr, 0));
    report(state);
}

// The blend formula per pixel with the kind chosen inside the loop.
void BM_PlainBlend(benchmark::State& state) {
    NEED_SCENE(s);
    const int kind = static_cast<int>(state.range(0));
    std::vector<uint8_t> out(kPixels * 4);
    const int K = 200;
    for (auto _ : state) {
        const uint8_t* a = s.pixels.data();
        const uint8_t* b = s.other.data();
        for (int i = 0; i < kPixels; ++i) {
            const int w = b[i * 4 + 3] * K;
            for (int c = 0; c < 3; ++c) {
                const int sv = a[i * 4 + c], bv = b[i * 4 + c];
                const int f = kind == kGraphBlendNormal ? bv : (sv * bv) >> 8;
                out[i * 4 + c] = static_cast<uint8_t>(((f - sv) * w + (sv << 16)) >> 16);
            }
            out[i * 4 + 3] = a[i * 4 + 3];
        }
        benchmark::DoNotOptimize(out.data());
    }
    report(state);
}

// The filters on the 512 x 512 picture: range(0) the back end (0 the software workers, 1
// the Direct3D 11 shader passes, 2 Direct3D 9's), range(1) the filter.
enum PictureWork { kGauss16, kMono, kHsb, kBlendNormal, kBlendMultiple };

void BM_PictureFilter(benchmark::State& state) {
    const int backend = static_cast<int>(state.range(0)), work = static_cast<int>(state.range(1));
    static const char* const backends[3] = {"software ", "Direct3D 11 ", "Direct3D 9 "};
    static const char* const works[5] = {"Gauss 16", "Mono", "Hsb", "Normal blend", "Multiple blend"};
    Scene& s = scene(backend);
    if (s.picture < 0) return state.SkipWithError((std::string(backends[backend]) + "did not start").c_str());
    state.SetLabel(std::string(backends[backend]) + works[work]);
    for (auto _ : state) {
        switch (work) {
            case kGauss16: benchmark::DoNotOptimize(GraphFilter(s.picture, kGraphFilterGauss, 16, kStrength)); break;
            case kMono: benchmark::DoNotOptimize(GraphFilter(s.picture, kGraphFilterMono, 40, -20)); break;
            case kHsb: benchmark::DoNotOptimize(GraphFilter(s.picture, kGraphFilterHsb, 0, 45, 30, 10)); break;
            default:
                benchmark::DoNotOptimize(GraphFilterBlendWithArgs(
                    1, s.picture, s.blendPicture, s.picture, 200,
                    work == kBlendNormal ? kGraphBlendNormal : kGraphBlendMultiple, 0, 0, kPicture, kPicture, 0, 0,
                    0, 0, 0, nullptr, 0));
        }
    }
    state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPicture * kPicture / 1e6,
                                                    benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_GraphFilterGauss)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFloatGauss)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
#ifdef HALVORINE_HAVE_MAGICKCORE
BENCHMARK(BM_MagickGaussianBlur)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_GraphFilterMono)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainMono)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphFilterHsb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureMemcpyCeiling)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphFilterLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLevelTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphBlend)->Arg(kGraphBlendNormal)->Arg(kGraphBlendMultiple)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainBlend)->Arg(kGraphBlendNormal)->Arg(kGraphBlendMultiple)->Unit(benchmark::kMillisecond);
// Every filter on each back end in turn: each back end starts once.
BENCHMARK(BM_PictureFilter)
    ->ArgsProduct({{kSoftware, kD3D11, kD3D9}, {kGauss16, kMono, kHsb, kBlendNormal, kBlendMultiple}})
    ->ArgNames({"backend", "work"})
    ->Unit(benchmark::kMillisecond);

#ifdef HALVORINE_HAVE_MAGICKCORE
int main(int argc, char** argv) {
    MagickCoreGenesis(argv[0], MagickFalse);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MagickCoreTerminus();
    return 0;
}
#else
BENCHMARK_MAIN();
#endif
