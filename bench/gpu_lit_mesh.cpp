// A 64 x 64-cell mesh (8192 triangles) drawn as 3D through each hardware back end's own
// draw path, lit by three lights (directional, point, spot) with specular and linear fog,
// beside the same mesh unlit and unfogged in the same run: the frames per second show what
// the per-vertex lighting and per-pixel fog cost on the Direct3D 9 face and in the
// Direct3D 11 3D shaders. The rate is per CPU second of the drawing thread: the flip waits
// for the blank, so a frame's wall time is at least one blank.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "renderer_bench_start.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/draw.h"
#include "media/graphics/hardware.h"
#include "media/graphics/light.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"

namespace {

struct MeshVertex {
  float x, y, z, nx, ny, nz;
  uint32_t diffuse, specular;
  float u, v, u2, v2;
};

constexpr int kCells = 64;

std::vector<MeshVertex> mesh() {
  auto at = [](int i, int j) {
    const float x = -1.0f + 2.0f * float(i) / kCells, y = -1.0f + 2.0f * float(j) / kCells;
    const float z = 5.0f + 0.5f * std::sin(4.0f * x) * std::cos(3.0f * y);
    float n[3] = {2.0f * std::cos(4.0f * x) * std::cos(3.0f * y), -1.5f * std::sin(4.0f * x) * std::sin(3.0f * y), -1.0f};
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return MeshVertex{x, y, z, n[0] / l, n[1] / l, n[2] / l, 0xFFFFFFFFu, 0u, 0, 0, 0, 0};
  };
  std::vector<MeshVertex> v;
  for (int j = 0; j < kCells; ++j)
    for (int i = 0; i < kCells; ++i) {
      const MeshVertex a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
      v.insert(v.end(), {a, b, c, b, d, c});
    }
  return v;
}

void light(int kind, float dx, float dy, float dz, float px, float py, float pz) {
  ZaDod::LightData* l = ZaDod::GetLightData(ZaDod::CreateLightHandle());
  if (l == nullptr) return;
  l->param = ZaDod::LightParam{};
  l->param.kind = kind;
  const float dir[3] = {dx, dy, dz}, pos[3] = {px, py, pz};
  for (int k = 0; k < 3; ++k) {
    l->param.direction[k] = dir[k];
    l->param.position[k] = pos[k];
    l->param.diffuse[k] = l->param.specular[k] = 0.6f;
  }
  l->param.range = 100.0f;
  l->param.attenuation0 = 1.0f;
  l->param.falloff = 1.0f;
  l->param.theta = 0.5f;
  l->param.phi = 1.0f;
}

void scene(bool lit) {
  using namespace ZaDod;
  SetDrawTarget(-2);
  DeleteAllLightHandles();
  Matrix4x4D id{}, projection{};
  for (int i = 0; i < 4; ++i) id.m[i][i] = projection.m[i][i] = 1.0;
  projection.m[2][2] = 0.1;
  SetTransformToWorld(&id);
  SetTransformToView(&id);
  SetTransformToProjection(&projection);
  SetTransformToViewport(&id);
  SetUseLighting(lit ? 1 : 0);
  SetUseSpecular(lit ? 1 : 0);
  SetFogEnable(lit ? 1 : 0);
  SetFogMode(3);
  SetFogStartEnd(0.0f, 10.0f);
  SetFogColor(0, 0, 255);
  if (lit) {
    light(kLightDirectional, 0.3f, -0.4f, 0.8f, 0, 0, 0);
    light(kLightPoint, 0, 0, 0, 1.0f, 1.0f, 1.0f);
    light(kLightSpot, 0, 0, 1, 0, 0, 0);
  }
}

void drawMesh(const std::vector<MeshVertex>& v) {
  using namespace ZaDod;
  const int key = 0x4000 | 0x800 | 0x400 | 0x200 | 0x80 | 0x8;
  if (GraphicsApiType == kGraphicsApiD3D9) {
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    Graphics_D3D9_DrawPreparation(key);
    Graphics_D3D9_DeviceState_SetFVF(0x2D2);
    Direct3DDevice9_DrawPrimitiveUP(plat::gpu::D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(), sizeof(MeshVertex));
  } else {
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    Graphics_D3D11_DrawPreparation(key);
    Graphics_D3D11_DrawCommonVertexBuffer(5, plat::gpu::D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, v.data(), int(v.size()), 1);
  }
}

void litMesh(benchmark::State& state, const char* missing, int api, bool lit) {
  if (!startOnRenderer(missing) || ZaDod::GraphicsApiType != api) {
    ZaDod::TerminateLibrary();
    return state.SkipWithError("graphics did not start there");
  }
  scene(lit);
  const std::vector<MeshVertex> v = mesh();
  for (auto _ : state) {
    ZaDod::ClearDrawTarget(nullptr);
    drawMesh(v);
    ZaDod::Graphics_Hardware_FlushVertexBatch(0);
    ZaDod::FlipScreen();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  ZaDod::TerminateLibrary();
}

}  // namespace

int main(int argc, char** argv) {
  const struct {
    const char* name;
    const char* missing;
    int api;
  } renderers[] = {{"direct3d9", "d3d11", ZaDod::kGraphicsApiD3D9}, {"direct3d11", nullptr, ZaDod::kGraphicsApiD3D11}};
  for (const auto& r : renderers)
    for (const bool lit : {false, true})
      benchmark::RegisterBenchmark((std::string("litMesh/") + r.name + (lit ? "/three_lights_fog" : "/unlit")).c_str(),
                                   [r, lit](benchmark::State& s) { litMesh(s, r.missing, r.api, lit); })
          ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
