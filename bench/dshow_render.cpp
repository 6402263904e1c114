// The movie renderer's per-frame work against its anchors in the same run: NV12
// 640x480 to XRGB through DoRenderSample beside the bare ConvertNV12ToARGB8 call and
// the Theora path's table converter, and a bottom-up RGB32 frame beside one memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "media/dshow/media_type.h"
#include "media/dshow/mem_allocator.h"
#include "media/dshow/movie_render.h"
#include "media/graphics/base_image.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/yuv.h"
#include "media/movie/yuv_tables.h"
#include "media/system/winapi.h"

namespace {

using namespace ZaDod;

constexpr int kW = 640, kH = 480;

std::vector<BYTE> noise(size_t n) {
  std::mt19937 rng(7);
  std::vector<BYTE> v(n);
  for (BYTE& b : v) b = static_cast<BYTE>(rng());
  return v;
}

DWORD fourCC(const char* s) { return DWORD(BYTE(s[0])) | DWORD(BYTE(s[1])) << 8 | DWORD(BYTE(s[2])) << 16 | DWORD(BYTE(s[3])) << 24; }

// A movie renderer set to one format, and one sample holding a frame of it.
struct Rig {
  Rig(const GUID& subtype, LONG height, const std::vector<BYTE>& frame) {
    LoadWinAPI();
    HRESULT hr = 0;
    renderer = D_CMovieRender::Create(nullptr, &hr);
    renderer->NonDelegatingAddRef();
    D_AM_MEDIA_TYPE type{};
    type.majortype = D_MEDIATYPE_Video;
    type.subtype = subtype;
    type.formattype = D_FORMAT_VideoInfo;
    D_VIDEOINFOHEADER info{};
    info.bmiHeader.biWidth = kW;
    info.bmiHeader.biHeight = height;
    type.cbFormat = sizeof info;
    type.pbFormat = reinterpret_cast<BYTE*>(&info);
    renderer->CheckMediaType(&type);
    renderer->SetMediaType(&type);
    allocator = new D_CMemAllocator(u"bench", nullptr, &hr);
    allocator->NonDelegatingAddRef();
    D_ALLOCATOR_PROPERTIES want{1, static_cast<LONG>(frame.size()), 1, 0}, got{};
    allocator->SetProperties(&want, &got);
    allocator->Commit();
    allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memcpy(data, frame.data(), frame.size());
    sample->SetActualDataLength(static_cast<LONG>(frame.size()));
  }
  ~Rig() {
    sample->Release();
    allocator->Decommit();
    allocator->NonDelegatingRelease();
    renderer->NonDelegatingRelease();
  }
  D_CMovieRender* renderer = nullptr;
  D_CMemAllocator* allocator = nullptr;
  D_IMediaSample* sample = nullptr;
};

void frames(benchmark::State& state) { state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate); }

// Shader model below 200: converted to XRGB; 200: split into planes.
void nv12Frames(benchmark::State& state, int shaderModel) {
  Graphics_Hardware_ForceShaderModelVersionForTest(shaderModel);
  Rig rig(D_FourCCSubtype(fourCC("NV12")), kH, noise(kW * kH * 3 / 2));
  for (auto _ : state) {
    rig.renderer->DoRenderSample(rig.sample);
    benchmark::ClobberMemory();
  }
  frames(state);
  Graphics_Hardware_ForceShaderModelVersionForTest(-1);
}
void BM_DoRenderSample_NV12ToXRGB(benchmark::State& state) { nv12Frames(state, 0); }
BENCHMARK(BM_DoRenderSample_NV12ToXRGB);

void BM_Anchor_ConvertNV12ToARGB8(benchmark::State& state) {
  const std::vector<BYTE> frame = noise(kW * kH * 3 / 2);
  BaseImage image{};
  CreateXRGB8ColorBaseImage(kW, kH, &image);
  for (auto _ : state) {
    ConvertNV12ToARGB8(frame.data(), kW, kH, &image);
    benchmark::ClobberMemory();
  }
  frames(state);
  ReleaseBaseImage(&image);
}
BENCHMARK(BM_Anchor_ConvertNV12ToARGB8);

void BM_Anchor_TheoraTableConverter(benchmark::State& state) {
  SetupYUVToRGBTables();
  const std::vector<BYTE> frame = noise(kW * kH * 3 / 2);
  std::vector<BYTE> out(size_t(kW) * 4 * kH);
  YUVRegion region{frame.data(), kW, frame.data() + kW * kH, kW, 0, 0, 1, 1, kW, kH};
  for (auto _ : state) {
    ConvertYUVToARGBTable(region, out.data(), kW * 4);
    benchmark::ClobberMemory();
  }
  frames(state);
}
BENCHMARK(BM_Anchor_TheoraTableConverter);

void BM_DoRenderSample_NV12ToPlanes(benchmark::State& state) { nv12Frames(state, 200); }
BENCHMARK(BM_DoRenderSample_NV12ToPlanes);

void BM_DoRenderSample_RGB32BottomUp(benchmark::State& state) {
  Rig rig(D_MEDIASUBTYPE_RGB32, kH, noise(size_t(kW) * 4 * kH));
  for (auto _ : state) {
    rig.renderer->DoRenderSample(rig.sample);
    benchmark::ClobberMemory();
  }
  frames(state);
}
BENCHMARK(BM_DoRenderSample_RGB32BottomUp);

void BM_Anchor_Memcpy(benchmark::State& state) {
  const std::vector<BYTE> frame = noise(size_t(kW) * 4 * kH);
  std::vector<BYTE> out(frame.size());
  for (auto _ : state) {
    std::memcpy(out.data(), frame.data(), frame.size());
    benchmark::ClobberMemory();
  }
  frames(state);
}
BENCHMARK(BM_Anchor_Memcpy);

}  // namespace

BENCHMARK_MAIN();
