// Multisampling cases both hardware back ends' tests run: a triangle whose long edge runs
// diagonally, drawn into a drawable graph or onto the screen, read after the resolve.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "media/base/handle.h"
#include "media/file/async_load.h"
#include "media/graphics/base_image.h"

#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "platform/win/window_frame.h"
#include "tests/media/graphics/mask_cases.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/graphics_state.h"
#include "media/system/system.h"

namespace mscases {

constexpr int kSide = 32;

// The red byte of a kSide x kSide square from (x0, y0) of the draw target.
inline std::vector<int> reds(int x0, int y0) {
  std::vector<int> out;
  for (unsigned pixel : maskcases::targetPixels(x0, y0, x0 + kSide, y0 + kSide)) out.push_back(int(pixel >> 16));
  return out;
}

// The same square of the frame the last flip presented into the window.
inline std::vector<int> presentedReds(int x0, int y0) {
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  plat::win::GetWindowFrame(ZaDod::GetDisplayWindowHandle(), &pixels, &width, &height);
  std::vector<int> out;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const int px = x0 + x, py = y0 + y;
      out.push_back(px < width && py < height ? int(pixels[size_t(py) * size_t(width) + size_t(px)] >> 16 & 0xFF)
                                              : -1);
    }
  return out;
}

// A white filled triangle over the top-left half of the square at (x0, y0), on black.
inline void triangle(int x0, int y0) {
  ZaDod::DrawTriangle(x0, y0, x0 + kSide, y0, x0, y0 + kSide, ZaDod::PackScreenColor(255, 255, 255), 1);
}

// Draws the triangle into a drawable graph made with `samples` (0: none), then the graph
// onto the screen at (100, 100); the square read back there.
inline std::vector<int> throughGraph(int samples, int* multisampled) {
  using namespace ZaDod;
  SetDrawableGraphMultiSample(samples, 0);
  const int graph = MakeDrawableGraph(kSide, kSide, 0);
  SetDrawableGraphMultiSample(0, 0);
  EXPECT_GE(graph, 0);
  *multisampled = IsGraphMultiSample(graph);
  EXPECT_EQ(SetDrawTarget(graph), 0);
  triangle(0, 0);
  EXPECT_EQ(SetDrawTarget(-2), 0);  // the samples reach the graph's texture here
  DrawGraph(100, 100, graph, 0);
  return reds(100, 100);
}

// Checks a resolved square against the same drawing single-sampled: pixels whose
// neighbours all agree with them there are exact, and only pixels on the edge take values
// between black and white, which at least a row's worth of them do.
inline void expectSmoothedEdge(const std::vector<int>& got, const std::vector<int>& single, const char* what) {
  ASSERT_EQ(got.size(), single.size());
  int between = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const int s = single[size_t(y * kSide + x)], v = got[size_t(y * kSide + x)];
      bool inside = true;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx >= 0 && ny >= 0 && nx < kSide && ny < kSide) inside = inside && single[size_t(ny * kSide + nx)] == s;
        }
      if (inside) {
        EXPECT_EQ(v, s) << what << " at " << x << "," << y;
      }
      if (v > 0 && v < 255) ++between;
    }
  EXPECT_GE(between, kSide - 2) << what;
}

// Every pixel of a single-sampled drawing is black or white.
inline void expectHard(const std::vector<int>& got, const char* what) {
  int white = 0;
  for (int v : got) {
    EXPECT_TRUE(v == 0 || v == 255) << what << " " << v;
    white += v == 255;
  }
  EXPECT_GT(white, kSide * kSide / 3) << what;
}

}  // namespace mscases

namespace mscases {

// The whole case on a back end already started with a single-sampled screen: graphs with
// and without samples, interleaved and repeated, against the triangle drawn on the screen.
inline void graphCases() {
  triangle(300, 300);
  const std::vector<int> single = reds(300, 300);
  expectHard(single, "single-sampled screen");
  const struct {
    int samples, multisampled;
  } cases[] = {{0, 0}, {4, 1}, {2, 1}, {0, 0}, {8, 1}, {4, 1}};
  for (const auto& c : cases) {
    int multisampled = -1;
    const std::vector<int> got = throughGraph(c.samples, &multisampled);
    EXPECT_EQ(multisampled, c.multisampled) << c.samples;
    if (c.samples == 0) {
      EXPECT_EQ(got, single) << "single-sampled graph";
    } else {
      expectSmoothedEdge(got, single, c.samples == 4 ? "4 samples" : c.samples == 2 ? "2 samples" : "8 samples");
    }
  }
}

// A picture put into a multisampled graph by a loading worker reaches its samples too, so
// the graph keeps it once it has been a draw target (whose samples are resolved into it).
inline void workerUploadCase() {
  using namespace ZaDod;
  SetDrawableGraphMultiSample(4, 0);
  const int graph = MakeDrawableGraph(kSide, kSide, 0);
  SetDrawableGraphMultiSample(0, 0);
  ASSERT_GE(graph, 0);
  ASSERT_EQ(IsGraphMultiSample(graph), 1);
  BaseImage image{};
  ASSERT_EQ(CreateXRGB8ColorBaseImage(kSide, kSide, &image), 0);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image.pixels) + size_t(y) * size_t(image.pitch))[x] = 0xFFFFFFFFu;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(FillGraph(graph, 0, 0, 0, 255), 0);
    std::atomic<bool> done{false};
    int result = 1;
    std::thread worker([&] {
      const ImageRect whole{0, 0, kSide, kSide};
      result = BltBaseImageToGraph(&whole, 0, 0, graph, &image, nullptr, 0, 0);
      done = true;
    });
    while (!done) {  // the worker's device calls run here
      ProcessASyncLoadRequestMainThread();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SetDrawTarget(graph), 0);
    EXPECT_EQ(SetDrawTarget(-2), 0);
    DrawGraph(100, 100, graph, 0);
    EXPECT_EQ(reds(100, 100), std::vector<int>(size_t(kSide * kSide), 255)) << round;
  }
  ReleaseBaseImage(&image);
  SubHandle(graph);
}

// On a back end started with a 4-sample screen: the triangle read from the draw target and,
// after the flip, through `presented` (the square at (300, 300) of what the flip showed),
// against the single-sampled drawing.
template <class Presented>
void screenCase(const std::vector<int>& single, Presented presented) {
  triangle(300, 300);
  expectSmoothedEdge(reds(300, 300), single, "multisampled screen");
  EXPECT_EQ(ZaDod::FlipScreen(), 0);
  expectSmoothedEdge(presented(), single, "presented frame");
}

}  // namespace mscases

namespace mscases {

// Starts windowed at 640x480, 32 bits, with the named stand-ins missing and a screen of
// `samples`, cleared black; the API type that came up.
inline int begin(const char* missing, int samples) {
  using namespace ZaDod;
  setenv("HALVORINE_MISSING", missing, 1);
  GraphicsSys.screenMultiSampleCount = samples;
  GraphicsSys.screenMultiSampleQuality = 0;
  ChangeWindowMode(1);
  SetScreenMode(640, 480, 32, 0);
  if (InitializeLibrary() != 0) return -1;
  SetDrawMode(0);
  SetBackgroundColor(0, 0, 0);
  ClearDrawTarget(nullptr);
  return GraphicsApiType;
}

// The whole case on one back end: graphs on a single-sampled screen, then a 4-sample
// screen through a frame (`screenChecks` runs on it first), the mask on both, and a
// single-sampled graph on the multisampled screen.
template <class Presented, class ScreenChecks>
void graphsAndScreens(const char* missing, int api, Presented presented, ScreenChecks screenChecks) {
  using namespace ZaDod;
  ASSERT_EQ(begin(missing, 0), api);
  graphCases();
  workerUploadCase();
  ClearDrawTarget(nullptr);
  triangle(300, 300);
  const std::vector<int> single = reds(300, 300);
  ClearDrawTarget(nullptr);
  const std::vector<unsigned> masked = maskcases::maskedBox();
  TerminateLibrary();

  ASSERT_EQ(begin(missing, 4), api);
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 4);
  screenChecks();
  screenCase(single, presented);
  // A box through the mask covers whole pixels: the same with samples as without.
  ClearDrawTarget(nullptr);
  EXPECT_EQ(maskcases::maskedBox(), masked);
  // Graphs without samples on a multisampled screen get depth surfaces of their own.
  int multisampled = -1;
  expectHard(throughGraph(0, &multisampled), "single-sampled graph on a multisampled screen");
  GraphicsSys.screenMultiSampleCount = GraphicsSys.screenMultiSampleQuality = 0;
}

}  // namespace mscases
