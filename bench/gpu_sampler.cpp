// Software GPU sampling throughput: point and bilinear samples of a 256x256 R8G8B8A8
// texture, beside the colour blitter's ARGB8 copy of an image of the same size as the
// memory-bandwidth anchor, in one run. Rates are texels per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "media/graphics/color_blit.h"
#include "media/graphics/pixel_format.h"
#include "platform/gpu/copy.h"
#include "platform/gpu/sampler.h"

namespace {

constexpr int kSize = 256;

using namespace plat::gpu;

struct Source {
  Ref<Texture> texture;
  Ref<View> view;
  Source() {
    TextureDesc d;
    d.width = d.height = kSize;
    d.format = Format::R8G8B8A8;
    d.bind = kBindShaderResource;
    createTexture(d, nullptr, texture);
    std::mt19937 rng(11);
    for (size_t i = 0; i < texture->storageSize(); ++i) texture->storage()[i] = uint8_t(rng());
    ViewDesc v;
    createView(*texture, v, view);
  }
};

// Samples every texel once per iteration; linear samples sit a quarter texel off the
// centres so that all four taps count.
void Sample(benchmark::State& state, Filter filter) {
  Source src;
  SamplerDesc d;
  d.minFilter = d.magFilter = filter;
  d.addressU = d.addressV = Address::wrap;
  TextureSampler s;
  s.bind(d, src.view.get());
  const float step = 1.0f / kSize, offset = filter == Filter::linear ? 0.75f * step : 0.5f * step;
  for (auto _ : state) {
    float sum = 0.0f;
    for (int y = 0; y < kSize; ++y) {
      const float v = float(y) * step + offset;
      for (int x = 0; x < kSize; ++x) sum += s.sample(float(x) * step + offset, v, 0.0f)[1];
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["texels"] = benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(Sample, point, Filter::point);
BENCHMARK_CAPTURE(Sample, bilinear, Filter::linear);

// The anchor: the colour blitter copying a 256x256 ARGB8 image to ARGB8.
void BlitARGB8Copy(benchmark::State& state) {
  ZaDod::PixelFormatDesc argb;
  ZaDod::CreateARGB8ColorData(&argb);
  std::vector<uint8_t> src(size_t(kSize) * kSize * 4), dst(src.size());
  std::mt19937 rng(11);
  for (auto& b : src) b = uint8_t(rng());
  const ZaDod::ImageRect rect{0, 0, kSize, kSize};
  for (auto _ : state) {
    ZaDod::GraphColorMatchBlt(dst.data(), kSize * 4, &argb, src.data(), kSize * 4, &argb, nullptr, 0, nullptr, 0, 0,
                              &rect, 0, 0, 0xFF00FF, 0, 0, 0, 0, 0);
    benchmark::DoNotOptimize(dst.data());
  }
  state.counters["texels"] = benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BlitARGB8Copy);

// The same size through the software GPU's own copy (same format: row copies).
void GpuCopyRegion(benchmark::State& state) {
  Source src;
  TextureDesc d = src.texture->desc();
  Ref<Texture> dst;
  createTexture(d, nullptr, dst);
  for (auto _ : state) {
    copyRegion(*dst, 0, 0, 0, *src.texture, 0, nullptr);
    benchmark::DoNotOptimize(dst->storage());
  }
  state.counters["texels"] = benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(GpuCopyRegion);

}  // namespace

BENCHMARK_MAIN();
