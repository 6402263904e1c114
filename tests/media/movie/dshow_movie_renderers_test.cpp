// A movie through the filter graph shown by a graph on each renderer: the software
// renderer and Direct3D 9 and 11 (whose shader model decides whether the movie renderer
// converts a frame or splits it into planes) show ffmpeg's own decode of the frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/image/yuv.h"
#include "media/graphics/screen.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "platform/dshow/interfaces.h"
#include "tests/media/movie/movie_fixture.h"
#include "tests/media/system/media_library_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

// A size whose pictures the decoder makes in place and hands through uncopied.
constexpr int kW = 256, kH = 128;

// A still test pattern without sound (so the movie runs on the graph's own clock), in a
// folder of this process; empty when ffmpeg fails.
std::string barsClip() {
  static const std::string path = [] {
    const std::string dir =
        std::string(HALVORINE_BINARY_DIR) + "/dshow_movie_renderers_test/" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    const std::string p = dir + "/bars.mp4";
    const std::string command = "ffmpeg -v error -y -f lavfi -i smptebars=size=256x128:rate=25:duration=1 "
                                "-c:v libx264 -crf 12 -pix_fmt yuv420p -an '" + p + "' </dev/null";
    return std::system(command.c_str()) == 0 ? p : std::string();
  }();
  return path;
}

// ffmpeg's decode of the first frame through the movie-frame converter, as X, R, G, B words.
std::vector<std::uint8_t> referenceFrame(const std::string& clip) {
  const std::string raw = clip + ".yuv";
  const std::string command = "ffmpeg -v error -y -i '" + clip + "' -frames:v 1 -f rawvideo -pix_fmt yuv420p '" +
                              raw + "' </dev/null";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(raw, std::ios::binary);
  std::vector<std::uint8_t> planes((std::istreambuf_iterator<char>(in)), {});
  if (planes.size() != size_t(kW) * kH * 3 / 2) return {};
  // YV12 keeps V before U.
  std::vector<std::uint8_t> yv12(planes.begin(), planes.begin() + kW * kH);
  yv12.insert(yv12.end(), planes.begin() + kW * kH * 5 / 4, planes.end());
  yv12.insert(yv12.end(), planes.begin() + kW * kH, planes.begin() + kW * kH * 5 / 4);
  BaseImage image{};
  if (CreateXRGB8ColorBaseImage(kW, kH, &image) != 0) return {};
  ConvertYV12ToARGB8(yv12.data(), kW, kH, &image);
  std::vector<std::uint8_t> packed(size_t(kW) * kH * 4);
  for (int y = 0; y < kH; ++y)
    std::memcpy(packed.data() + size_t(y) * kW * 4, static_cast<const std::uint8_t*>(image.pixels) + y * image.pitch,
                size_t(kW) * 4);
  ReleaseBaseImage(&image);
  return packed;
}

class DShowMovieRenderers : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    api_ = GraphicsApiType;
  }
  // The renderer kind outlives the library's end; the movie tests beside these in one
  // process expect the one they started with.
  void TearDown() override {
    LibraryTest::TearDown();
    unsetenv("HALVORINE_MISSING");
    GraphicsApiType = api_;
  }

 private:
  int api_ = kGraphicsApiSoftware;
};

TEST_F(DShowMovieRenderers, EveryRendererShowsTheDecodedFrame) {
  const std::string clip = barsClip();
  if (clip.empty()) GTEST_SKIP() << "ffmpeg could not make the clip";
  std::string narrow = "C:";
  for (char c : clip) narrow += c == '/' ? '\\' : c;
  const struct {
    const char* missing;
    int api;
  } renderers[] = {{"d3d11,d3d9", kGraphicsApiSoftware}, {"d3d11", kGraphicsApiD3D9}, {"", kGraphicsApiD3D11}};
  for (const auto& [missing, api] : renderers) {
    SCOPED_TRACE(missing);
    setenv("HALVORINE_MISSING", missing, 1);
    SetScreenMode(640, 480, 32, 0);
    ASSERT_EQ(startWindowed(), 0);
    ASSERT_EQ(GraphicsApiType, api);
    const std::vector<std::uint8_t> reference = referenceFrame(clip);
    ASSERT_EQ(reference.size(), size_t(kW) * kH * 4);
    // Opened, played, stopped and released twice: the second graph starts afresh.
    for (int round = 0; round < 2; ++round) {
      const int graph = LoadGraph(narrow.c_str());
      ASSERT_NE(graph, -1);
      const int handle = GetGraphData(graph)->movieHandle;
      MovieHandleRecord* movie = PlayMovie(handle, DX_PLAYTYPE_LOOP);
      bool shown = false;
      for (int i = 0; i < 2000 && !shown; ++i) {
        UpdateMovie(handle, 0);
        shown = movie->callbackRan != 0;
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      ASSERT_TRUE(shown);
      // Seeks while it runs, and the frames after them (the pictures handed through
      // without a copy, some of the blocks used again) are the pattern still.
      auto* seeking = static_cast<plat::dshow::IMediaSeeking*>(movie->mediaSeeking);
      for (plat::dshow::LONGLONG to : {6000000LL, 0LL, 9000000LL}) {
        ASSERT_EQ(seeking->SetPositions(&to, 1 /* absolute */, nullptr, 0), 0);
        movie->frameUpdated = 0;
        bool updated = false;
        for (int i = 0; i < 2000 && !updated; ++i) {
          UpdateMovie(handle, 0);
          updated = movie->frameUpdated != 0;
          if (!updated) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(updated) << "after a seek to " << to;
      }
      static_cast<plat::dshow::IMediaControl*>(movie->mediaControl)->Stop();
      BaseImage image{};
      ASSERT_EQ(GraphFilter_GetGraphImage(graph, &image, nullptr), 0);
      ASSERT_EQ(image.width, kW);
      ASSERT_EQ(image.height, kH);
      int worst = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          for (int c = 0; c < 3; ++c) {
            const int got = static_cast<const std::uint8_t*>(image.pixels)[y * image.pitch + x * 4 + c];
            worst = std::max(worst, std::abs(got - int(reference[(size_t(y) * kW + x) * 4 + c])));
          }
      // Split frames take the NV12 converter after the planes: a level or so either way.
      EXPECT_LE(worst, 3) << "round " << round;
      ReleaseBaseImage(&image);
      EXPECT_EQ(DeleteAnyHandle(graph), 0);
    }
    TerminateLibrary();
  }
}

}  // namespace
}  // namespace halvorine_test
