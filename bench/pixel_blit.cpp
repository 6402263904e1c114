// Pixel conversion throughput: the colour blitter on the common layout pairs (each
// beside a plain per-pixel unpack / pack loop on the same images), the upload conversions
// of ARGB8 pictures into RGBA8, half-float and float graph textures side by side and the
// read-backs of half and float textures (both beside a plain per-channel loop), mip halving,
// DXT decoding and the YUV frame converters. Rates are pixels per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/image/dxt.h"
#include "media/graphics/image/yuv.h"
#include "media/graphics/pixel_format.h"

using namespace ZaDod;

namespace {

enum Layout { kARGB, kXRGB, kRGB24, kRGB565, kX1555, kRGBA8, kHalf4, kFloat4 };

const PixelFormatDesc& layout(int i) {
    static const struct Table {
        PixelFormatDesc all[8];
        Table() {
            CreateARGB8ColorData(&all[kARGB]);
            CreateXRGB8ColorData(&all[kXRGB]);
            CreateFullColorData(&all[kRGB24]);
            all[kRGB565] = *GetPixelFormatDesc(6);
            CreateColorData(&all[kX1555], 16, 0x7C00, 0x03E0, 0x001F, 0);
            CreateColorData(&all[kRGBA8], 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
            CreateColorData(&all[kHalf4], 0, 0, 0, 0, 0, 4, 16, 1);
            CreateColorData(&all[kFloat4], 0, 0, 0, 0, 0, 4, 32, 1);
        }
    } table;
    return table.all[i];
}

std::vector<uint8_t> noise(size_t n) {
    std::vector<uint8_t> v(n);
    std::mt19937 rng(7);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

struct Images {
    int w, h, srcPitch, dstPitch;
    std::vector<uint8_t> src, dst;
    Images(int width, int height, const PixelFormatDesc& s, const PixelFormatDesc& d)
        : w(width), h(height), srcPitch((width * s.bytesPerPixel + 3) & ~3), dstPitch((width * d.bytesPerPixel + 3) & ~3),
          src(noise(size_t(srcPitch) * height)), dst(size_t(dstPitch) * height) {}
};

// args: source layout, destination layout, width, height, transparent-colour flag
void BlitLayouts(benchmark::State& state) {
    const PixelFormatDesc& s = layout(int(state.range(0)));
    const PixelFormatDesc& d = layout(int(state.range(1)));
    Images img(int(state.range(2)), int(state.range(3)), s, d);
    const ImageRect rect{0, 0, img.w, img.h};
    for (auto _ : state) {
        GraphColorMatchBlt(img.dst.data(), img.dstPitch, &d, img.src.data(), img.srcPitch, &s, nullptr, 0, nullptr, 0,
                           0, &rect, 0, int(state.range(4)), 0xFF00FF, 0, 0, 0, 0, 0);
        benchmark::DoNotOptimize(img.dst.data());
    }
    state.counters["pixels"] = benchmark::Counter(double(img.w) * img.h, benchmark::Counter::kIsIterationInvariantRate);
}

// The same conversion as a plain loop: unpack each pixel with the source masks, pack with the destination's.
void PlainLoop(benchmark::State& state) {
    const PixelFormatDesc& s = layout(int(state.range(0)));
    const PixelFormatDesc& d = layout(int(state.range(1)));
    Images img(int(state.range(2)), int(state.range(3)), s, d);
    const bool trans = state.range(4) != 0 && d.alphaWidth != 0;
    for (auto _ : state) {
        for (int y = 0; y < img.h; ++y) {
            const uint8_t* sp = img.src.data() + size_t(y) * img.srcPitch;
            uint8_t* dp = img.dst.data() + size_t(y) * img.dstPitch;
            for (int x = 0; x < img.w; ++x) {
                uint32_t v = 0;
                std::memcpy(&v, sp + x * s.bytesPerPixel, s.bytesPerPixel);
                int r, g, b, a = 255;
                UnpackColorDataPixel(&s, v, &r, &g, &b, s.alphaWidth ? &a : nullptr);
                if (trans && (v & 0xFFFFFF) == 0xFF00FF) a = 0;
                const uint32_t out = PackColorDataPixel(&d, r, g, b, a);
                std::memcpy(dp + x * d.bytesPerPixel, &out, d.bytesPerPixel);
            }
        }
        benchmark::DoNotOptimize(img.dst.data());
    }
    state.counters["pixels"] = benchmark::Counter(double(img.w) * img.h, benchmark::Counter::kIsIterationInvariantRate);
}

void LayoutArgs(benchmark::internal::Benchmark* b) {
    const int pairs[][2] = {{kXRGB, kARGB}, {kARGB, kXRGB}, {kRGB24, kXRGB}, {kRGB565, kXRGB}, {kXRGB, kRGB565}, {kRGB565, kX1555}};
    const int sizes[][2] = {{640, 480}, {1024, 1024}};
    for (const auto& p : pairs)
        for (const auto& sz : sizes)
            for (int trans = 0; trans < 2; ++trans) b->Args({p[0], p[1], sz[0], sz[1], trans});
    b->ArgNames({"src", "dst", "w", "h", "trans"});
}

void UploadLayouts(benchmark::State& state) { BlitLayouts(state); }

// An ARGB8 picture converted for upload into an R8G8B8A8, an R16G16B16A16 float and an
// R32G32B32A32 float texture, at the same sizes.
void UploadArgs(benchmark::internal::Benchmark* b) {
    for (int dst : {kRGBA8, kHalf4, kFloat4})
        for (int size : {256, 1024}) b->Args({kARGB, dst, size, size, 0});
    b->ArgNames({"src", "dst", "w", "h", "trans"});
}

// The anchor of the uploads and read-backs: a plain per-pixel loop over the same images
// that splits each pixel into its four bytes and converts each on its own (byte / 255 as a
// float, then to a half; back, the clamped and rounded channel times 255).
void WidePlainLoop(benchmark::State& state) {
    const int from = int(state.range(0)), to = int(state.range(1));
    const PixelFormatDesc& s = layout(from);
    const PixelFormatDesc& d = layout(to);
    Images img(int(state.range(2)), int(state.range(3)), s, d);
    auto unorm = [](float v) { return v > 0.0f ? (v >= 1.0f ? 255u : unsigned(v * 255.0f + 0.5f)) : 0u; };
    for (auto _ : state) {
        for (int y = 0; y < img.h; ++y) {
            const uint8_t* sp = img.src.data() + size_t(y) * img.srcPitch;
            uint8_t* dp = img.dst.data() + size_t(y) * img.dstPitch;
            for (int x = 0; x < img.w; ++x) {
                if (from == kARGB) {
                    const uint8_t* p = sp + 4 * x;
                    const float c[4] = {p[2] / 255.0f, p[1] / 255.0f, p[0] / 255.0f, p[3] / 255.0f};
                    for (int k = 0; k < 4; ++k) {
                        if (to == kHalf4) {
                            const uint16_t h = Float32ToFloat16(c[k]);
                            std::memcpy(dp + 8 * x + 2 * k, &h, 2);
                        } else {
                            std::memcpy(dp + 16 * x + 4 * k, &c[k], 4);
                        }
                    }
                } else {
                    float c[4];
                    for (int k = 0; k < 4; ++k) {
                        if (from == kHalf4) {
                            uint16_t h;
                            std::memcpy(&h, sp + 8 * x + 2 * k, 2);
                            c[k] = Float16ToFloat32(h);
                        } else {
                            std::memcpy(&c[k], sp + 16 * x + 4 * k, 4);
                        }
                    }
                    const uint32_t out = unorm(c[3]) << 24 | unorm(c[0]) << 16 | unorm(c[1]) << 8 | unorm(c[2]);
                    std::memcpy(dp + 4 * x, &out, 4);
                }
            }
        }
        benchmark::DoNotOptimize(img.dst.data());
    }
    state.counters["pixels"] = benchmark::Counter(double(img.w) * img.h, benchmark::Counter::kIsIterationInvariantRate);
}

void ReadbackLayouts(benchmark::State& state) { BlitLayouts(state); }

// Half and float textures read back into ARGB8, and the uploads again, for the plain loop.
void ReadbackArgs(benchmark::internal::Benchmark* b) {
    for (int src : {kHalf4, kFloat4})
        for (int size : {256, 1024}) b->Args({src, kARGB, size, size, 0});
    b->ArgNames({"src", "dst", "w", "h", "trans"});
}
void WideArgs(benchmark::internal::Benchmark* b) {
    for (int dst : {kHalf4, kFloat4})
        for (int size : {256, 1024}) b->Args({kARGB, dst, size, size, 0});
    ReadbackArgs(b);
}

BENCHMARK(BlitLayouts)->Apply(LayoutArgs);
BENCHMARK(UploadLayouts)->Apply(UploadArgs);
BENCHMARK(ReadbackLayouts)->Apply(ReadbackArgs);
BENCHMARK(PlainLoop)->Apply(LayoutArgs);
BENCHMARK(WidePlainLoop)->Apply(WideArgs);

void HalfScale(benchmark::State& state) {
    const PixelFormatDesc& f = layout(int(state.range(0)));
    Images img(1024, 1024, f, f);
    for (auto _ : state) {
        GraphHalfScaleBlt(&f, img.dst.data(), img.dstPitch / 2, img.src.data(), img.srcPitch, 0, 0, 0, 0, 1024, 1024);
        benchmark::DoNotOptimize(img.dst.data());
    }
    state.counters["pixels"] = benchmark::Counter(1024.0 * 1024, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(HalfScale)->Arg(kARGB)->Arg(kRGB565);

// args: block kind, width = height
void DecodeDXT(benchmark::State& state) {
    const int code = int(state.range(0)), n = int(state.range(1));
    const size_t bytes = size_t(n / 4) * (n / 4) * (code == kPixelDXT1 ? 8 : 16);
    const std::vector<uint8_t> blocks = noise(bytes);
    for (auto _ : state) {
        BaseImage img{};
        CreateARGB8ColorData(&img.format);
        img.format.formatCode = static_cast<uint8_t>(code);
        img.width = img.height = n;
        img.pixels = MemAlloc(bytes, "bench", __LINE__);
        std::memcpy(img.pixels, blocks.data(), bytes);
        ConvertDXTToARGB8(&img, 1);
        benchmark::DoNotOptimize(img.pixels);
        ReleaseBaseImage(&img);
    }
    state.counters["pixels"] = benchmark::Counter(double(n) * n, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(DecodeDXT)->Args({kPixelDXT1, 1024})->Args({kPixelDXT3, 1024})->Args({kPixelDXT5, 1024});

using YuvFn = int (*)(const void*, int, int, BaseImage*);
void ConvertYuv(benchmark::State& state, YuvFn fn) {
    const int w = 1280, h = 720;
    const std::vector<uint8_t> frame = noise(size_t(w) * h * 2);
    BaseImage img{};
    CreateARGB8ColorBaseImage(w, h, &img);
    for (auto _ : state) {
        fn(frame.data(), w, h, &img);
        benchmark::DoNotOptimize(img.pixels);
    }
    ReleaseBaseImage(&img);
    state.counters["pixels"] = benchmark::Counter(double(w) * h, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(ConvertYuv, YV12, &ConvertYV12ToARGB8);
BENCHMARK_CAPTURE(ConvertYuv, NV12, &ConvertNV12ToARGB8);
BENCHMARK_CAPTURE(ConvertYuv, YUY2, &ConvertYUY2ToARGB8);
BENCHMARK_CAPTURE(ConvertYuv, NV11, &ConvertNV11ToARGB8);

}  // namespace

BENCHMARK_MAIN();
