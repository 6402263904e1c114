// Graph filters on a 512 x 512 picture in megapixels per second: Gauss 16 and HSB (hue
// turn, the Direct3D 9 pass pair) through the Direct3D 9 shader passes, beside the same
// filters through the Direct3D 11 passes and the software workers, each in the same run
// (the library is started on one renderer per benchmark).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "renderer_bench_start.h"
#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"

namespace {

constexpr int kPicture = 512;

// The library started on one renderer with a picture of random colour and alpha.
struct FilterScene {
  int picture = -1;
  explicit FilterScene(const char* missing) {
    if (!startOnRenderer(missing)) return;
    ZaDod::BaseImage image{};
    ZaDod::CreateARGB8ColorBaseImage(kPicture, kPicture, &image);
    std::mt19937 rng(7);
    for (int y = 0; y < kPicture; ++y)
      for (int x = 0; x < kPicture; ++x)
        ZaDod::SetBaseImagePixel(&image, x, y, int(rng() & 255), int(rng() & 255), int(rng() & 255), int(rng() & 255));
    picture = ZaDod::CreateGraphFromBaseImage(&image, nullptr, 1, 0);
    ZaDod::ReleaseBaseImage(&image);
  }
  ~FilterScene() { ZaDod::TerminateLibrary(); }
};

void filter(benchmark::State& state, const char* missing, int api, int type, std::vector<int> args) {
  FilterScene s(missing);
  if (s.picture < 0 || ZaDod::GraphicsApiType != api) return state.SkipWithError("graphics did not start there");
  for (auto _ : state) {
    if (ZaDod::GraphFilterBlendWithArgs(0, s.picture, -1, s.picture, 0, type, 0, 0, kPicture, kPicture, 0, 0, 0, 0,
                                        0, args.data(), int(args.size())) != 0)
      return state.SkipWithError("the filter was refused");
  }
  state.counters["MPixel/s"] =
      benchmark::Counter(double(kPicture) * kPicture * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

const std::vector<int> kGauss = {16, 400}, kHsb = {0, 90, 50, 10};

}  // namespace

BENCHMARK_CAPTURE(filter, gauss16_direct3d9, "d3d11", ZaDod::kGraphicsApiD3D9, ZaDod::kGraphFilterGauss, kGauss)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter, gauss16_direct3d11, nullptr, ZaDod::kGraphicsApiD3D11, ZaDod::kGraphFilterGauss, kGauss)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter, gauss16_software, "d3d11,d3d9", ZaDod::kGraphicsApiSoftware, ZaDod::kGraphFilterGauss,
                  kGauss)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter, hsb_direct3d9, "d3d11", ZaDod::kGraphicsApiD3D9, ZaDod::kGraphFilterHsb, kHsb)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter, hsb_direct3d11, nullptr, ZaDod::kGraphicsApiD3D11, ZaDod::kGraphFilterHsb, kHsb)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(filter, hsb_software, "d3d11,d3d9", ZaDod::kGraphicsApiSoftware, ZaDod::kGraphFilterHsb, kHsb)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
