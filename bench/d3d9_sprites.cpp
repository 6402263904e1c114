// 32x32 sprites through the graphics front at 640x480, headless with vsync off, in the
// common blend modes, with and without a draw colour, nearest and bilinear: each case on
// Direct3D 9 (its built-in pixel shaders, and its fixed-function stage sets on a device
// without pixel shader 2.0), on Direct3D 11 and on the software renderer in the same run,
// so the Direct3D 9 back end's cost shows beside its twin and the anchor. Beside them, the
// same sprites drawn on Direct3D 9 into a 9000-wide canvas (two tiles, drawn tile by tile)
// and into a 4000-wide one (one tile), spread over the canvas's width.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gpu_quad_scene.h"
#include "renderer_bench_start.h"
#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/gpu/d3d9/d3d9_switches.h"

namespace {

constexpr int kFrontSprites = 500;

// One way of drawing the sprites: blend mode and parameter, draw colour, draw mode.
struct Case {
  const char* name;
  int blend, param;
  int red, green, blue;
  int drawMode;  // 0 nearest, 1 bilinear
};
constexpr Case kCases[] = {
    {"alpha", 1, 255, 255, 255, 255, 0},         {"none", 0, 255, 255, 255, 255, 0},
    {"alpha_half", 1, 128, 255, 255, 255, 0},    {"add", 2, 255, 255, 255, 255, 0},
    {"subtract", 3, 255, 255, 255, 255, 0},      {"multiply", 4, 255, 255, 255, 255, 0},
    {"alpha_colour", 1, 255, 200, 160, 120, 0}, {"alpha_bilinear", 1, 255, 255, 255, 255, 1},
};

// Where the sprites are drawn.
struct Renderer {
  const char* name;
  const char* missing;  // HALVORINE_MISSING
  int api;
  bool fixedFunction;  // Direct3D 9 without pixel shader 2.0: the stage sets
};
const Renderer kRenderers[] = {
    {"direct3d9", "d3d11", ZaDod::kGraphicsApiD3D9, false},
    {"direct3d9_fixed", "d3d11", ZaDod::kGraphicsApiD3D9, true},
    {"direct3d11", nullptr, ZaDod::kGraphicsApiD3D11, false},
    {"software", "d3d11,d3d9", ZaDod::kGraphicsApiSoftware, false},
};

// The library started on one renderer with a 32x32 sprite of random colour and alpha.
struct FrontScene {
  int graph = -1;
  std::vector<std::pair<int, int>> at;
  FrontScene(const char* missing, bool fixedFunction, const Case& k) {
    if (fixedFunction) {
      plat::gpu::D3DCAPS9 caps = plat::gpu::DefaultD3D9Caps();
      caps.PixelShaderVersion = plat::gpu::shaderVersion(true, 1, 1);
      plat::gpu::SetD3D9CapsForTest(&caps);
    }
    ZaDod::SetWaitVSyncFlag(0);
    if (!startOnRenderer(missing)) return;
    std::mt19937 rng(3);
    graph = makeRandomSpriteGraph(rng);
    ZaDod::SetDrawBlendMode(k.blend, k.param);
    ZaDod::SetDrawBright(k.red, k.green, k.blue);
    ZaDod::SetDrawMode(k.drawMode);
    for (int i = 0; i < kFrontSprites; ++i) at.emplace_back(int(rng() % (640 - 32)), int(rng() % (480 - 32)));
  }
  ~FrontScene() {
    ZaDod::TerminateLibrary();
    plat::gpu::SetD3D9CapsForTest(nullptr);
  }
};

void frontSprites(benchmark::State& state, const Renderer& r, const Case& k) {
  const int api = r.api;
  FrontScene s(r.missing, r.fixedFunction, k);
  if (s.graph < 0 || ZaDod::GraphicsApiType != api) return state.SkipWithError("graphics did not start there");
  for (auto _ : state) {
    for (const auto& [x, y] : s.at) ZaDod::DrawGraph(x, y, s.graph, 1);
    // The batch is drawn, so the GPU's work is inside the measure.
    if (api == ZaDod::kGraphicsApiD3D9) ZaDod::Graphics_D3D9_FlushVertexBatch(0);
    if (api == ZaDod::kGraphicsApiD3D11) ZaDod::Graphics_D3D11_FlushVertexBatch(-1, 0);
  }
  gpubench::sprites(state, kFrontSprites);
}

// The sprites drawn into a drawable graph of `width` x 480 on Direct3D 9, spread over it.
void canvasSprites(benchmark::State& state, int width) {
  const Case& k = kCases[0];
  FrontScene s("d3d11", false, k);
  if (s.graph < 0 || ZaDod::GraphicsApiType != ZaDod::kGraphicsApiD3D9)
    return state.SkipWithError("graphics did not start there");
  const int canvas = ZaDod::MakeDrawableGraph(width, 480, 1);
  if (canvas < 0 || ZaDod::SetDrawTarget(canvas) != 0) return state.SkipWithError("no canvas of that width");
  std::mt19937 rng(5);
  for (auto& p : s.at) p.first = int(rng() % unsigned(width - 32));
  for (auto _ : state) {
    for (const auto& [x, y] : s.at) ZaDod::DrawGraph(x, y, s.graph, 1);
    ZaDod::Graphics_D3D9_FlushVertexBatch(0);
  }
  ZaDod::SetDrawTarget(-2);
  gpubench::sprites(state, kFrontSprites);
}

}  // namespace

// Each case on every renderer in turn, so the figures to compare sit together.
int main(int argc, char** argv) {
  for (const Case& k : kCases)
    for (const Renderer& r : kRenderers)
      benchmark::RegisterBenchmark((std::string("frontSprites/") + k.name + "/" + r.name).c_str(),
                                   [&r, &k](benchmark::State& st) { frontSprites(st, r, k); });
  for (int width : {9000, 4000})
    benchmark::RegisterBenchmark((std::string("canvasSprites/direct3d9/") + std::to_string(width)).c_str(),
                                 [width](benchmark::State& st) { canvasSprites(st, width); });
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
