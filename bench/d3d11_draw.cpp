// 32x32 alpha-blended sprites through the graphics front at 640x480, headless: on
// Direct3D 11 (the back end over the software GPU) and on the software renderer in the
// same run, beside the software GPU's own sprite figures (the core benchmarks of
// gpu_raster.cpp, built into this program), so the back end's overhead over the GPU shows.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "renderer_bench_start.h"
#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"

#define HALVORINE_BENCH_NO_MAIN
#include "gpu_raster.cpp"

namespace {

constexpr int kFrontSprites = 256;

// The library started on one renderer with a 32x32 sprite of random colour and alpha.
struct FrontScene {
  int graph = -1;
  std::vector<std::pair<int, int>> at;
  explicit FrontScene(const char* missing) {
    if (!startOnRenderer(missing)) return;
    std::mt19937 rng(3);
    graph = makeRandomSpriteGraph(rng);
    ZaDod::SetDrawBlendMode(1, 255);
    for (int i = 0; i < kFrontSprites; ++i)
      at.emplace_back(int(rng() % (640 - 32)), int(rng() % (480 - 32)));
  }
  ~FrontScene() { ZaDod::TerminateLibrary(); }
};

void frontSprites(benchmark::State& state, const char* missing, int api) {
  FrontScene s(missing);
  if (s.graph < 0 || ZaDod::GraphicsApiType != api) return state.SkipWithError("graphics did not start there");
  for (auto _ : state) {
    for (const auto& [x, y] : s.at) ZaDod::DrawGraph(x, y, s.graph, 1);
    // The batch is drawn, so the GPU's work is inside the measure.
    if (api == ZaDod::kGraphicsApiD3D11) ZaDod::Graphics_D3D11_FlushVertexBatch(-1, 0);
  }
  sprites(state, kFrontSprites);
}

}  // namespace

BENCHMARK_CAPTURE(frontSprites, direct3d11, nullptr, ZaDod::kGraphicsApiD3D11);
BENCHMARK_CAPTURE(frontSprites, software, "d3d11,d3d9", ZaDod::kGraphicsApiSoftware);
BENCHMARK_MAIN();
