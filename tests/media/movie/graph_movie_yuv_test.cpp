// Movie graphs on a device with the Y/UV-to-RGB filter: the frame goes up as a luma and
// a chroma graph, the device's filter gives the software conversion's colours, and the
// two graphs live and die with the movie.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/graphics/screen.h"
#include "media/sound/sound_handle.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "tests/media/movie/movie_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

// The widened samples are rounded and the filter's fixed point truncates: a
// channel may differ from the video-range table conversion by this much.
constexpr int kTolerance = 2;

// The whole library started headless, windowed at 640 x 480 x 32 on Direct3D 11.
class GraphMovieYUVTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("HALVORINE_HEADLESS", "1", 1);
    unsetenv("HALVORINE_MISSING");
    ChangeWindowMode(1);
    SetScreenMode(640, 480, 32, 0);
    ASSERT_EQ(InitializeLibrary(), 0);
    ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D11);
    ASSERT_GE(Graphics_Hardware_GetShaderModelVersion(), 200);
  }
  void TearDown() override { TerminateLibrary(); }

  static int load(const char* name, const std::vector<std::uint8_t>& data) {
    const std::u16string path = MovieFile(name, data);
    const std::string narrow(path.begin(), path.end());
    return LoadGraph(narrow.c_str());
  }

  static TheoraDecoder* decoderOf(int graph) {
    const GraphData* data = GetGraphData(graph);
    const MovieHandleRecord* movie = data != nullptr ? GetMovieHandleRecord(data->movieHandle) : nullptr;
    return movie != nullptr ? movie->decoder : nullptr;
  }

  // The largest channel difference between the graph and the software conversion of the
  // reference frame, over every pixel; -1 when the graph cannot be read. Full range has
  // no room for samples outside the video range: they arrive as the nearest range end.
  static int worstDifference(int graph, const std::vector<std::uint8_t>& file, int frame) {
    RefFrame ref;
    if (!DecodeReference(file, frame, &ref)) return -1;
    for (auto& v : ref.y) v = std::clamp<std::uint8_t>(v, 16, 235);
    for (auto* plane : {&ref.cb, &ref.cr})
      for (auto& v : *plane) v = std::clamp<std::uint8_t>(v, 16, 240);
    const std::vector<std::uint8_t> want = ReferenceARGB(ref, ref.cWidth == ref.yWidth);
    BaseImage image{};
    if (GraphFilter_GetGraphImage(graph, &image, nullptr) != 0) return -1;
    int worst = 0;
    const int w = static_cast<int>(ref.info.pic_width), h = static_cast<int>(ref.info.pic_height);
    if (image.width != w || image.height != h) worst = -1;
    for (int y = 0; worst >= 0 && y < h; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(image.pixels) + std::size_t(y) * image.pitch;
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::abs(int(row[x * 4 + c]) - int(want[(std::size_t(y) * w + x) * 4 + c])));
    }
    ReleaseBaseImage(&image);
    return worst;
  }
};

TEST_F(GraphMovieYUVTest, TheDeviceFilterGivesTheSoftwareFrame) {
  struct Case {
    const char* name;
    const std::vector<std::uint8_t>& data;
    int uvWidth, uvHeight;
  };
  const Case cases[] = {
      {"regular.ogv", MovieRegular(), 80, 60},  // 4:2:0
      {"cropped.ogv", MovieCropped(), 50, 30},  // picture region at (4, 2)
      {"full444.ogv", Movie444(), 64, 48},      // one chroma sample per pixel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int graph = load(c.name, c.data);
    ASSERT_NE(graph, -1);
    const int movie = GetGraphData(graph)->movieHandle;
    TheoraDecoder* decoder = decoderOf(graph);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(UpdateMovie(movie, 0), 0);
    const GraphData* uv = GetGraphData(TheoraMovie_GetUVGraph(decoder));
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->area.width, c.uvWidth);
    EXPECT_EQ(uv->area.height, c.uvHeight);
    EXPECT_LE(worstDifference(graph, c.data, 0), kTolerance);
    // A later frame travels the same way.
    ASSERT_EQ(TheoraMovie_SeekFrame(decoder, 7), 0);
    EXPECT_EQ(UpdateMovie(movie, 0), 0);
    EXPECT_LE(worstDifference(graph, c.data, 7), kTolerance);
    EXPECT_EQ(DeleteAnyHandle(graph), 0);
  }
}

TEST_F(GraphMovieYUVTest, TheLumaAndChromaGraphsGoWithTheMovieGraph) {
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    const int graph = load("cropped.ogv", MovieCropped());
    ASSERT_NE(graph, -1);
    const int movie = GetGraphData(graph)->movieHandle;
    TheoraDecoder* decoder = decoderOf(graph);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(TheoraMovie_GetYGraph(decoder), -1);  // made by the first transfer
    EXPECT_EQ(UpdateMovie(movie, 0), 0);
    const int y = TheoraMovie_GetYGraph(decoder), uv = TheoraMovie_GetUVGraph(decoder);
    ASSERT_NE(GetGraphData(y), nullptr);
    ASSERT_NE(GetGraphData(uv), nullptr);
    if (round % 3 == 1) {
      // A graph deleted behind the movie's back is made again by the next upload.
      EXPECT_EQ(DeleteAnyHandle(y), 0);
      EXPECT_EQ(TheoraMovie_GetYGraph(decoder), -1);
      ASSERT_EQ(TheoraMovie_SeekFrame(decoder, round), 0);
      EXPECT_EQ(UpdateMovie(movie, 0), 0);
      EXPECT_NE(GetGraphData(TheoraMovie_GetYGraph(decoder)), nullptr);
      EXPECT_LE(worstDifference(graph, MovieCropped(), round), kTolerance);
    }
    const int yNow = TheoraMovie_GetYGraph(decoder);
    EXPECT_EQ(DeleteAnyHandle(graph), 0);
    EXPECT_EQ(GetMovieHandleRecord(movie), nullptr);
    EXPECT_EQ(GetGraphData(yNow), nullptr);
    EXPECT_EQ(GetGraphData(uv), nullptr);
  }
}

}  // namespace
}  // namespace halvorine_test
