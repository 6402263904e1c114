// Graphs loaded from movie files: the graph is the movie's picture size, transparent
// black until the first draw brings the movie's frame in, shows the first frame, and
// takes its movie handle with it when deleted.
#include <cstdlib>

#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/mem_img_pixel.h"
#include "media/graphics/graphics_state.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "tests/media/movie/movie_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

class GraphMovieTest : public MovieTest {
 protected:
  void SetUp() override {
    MovieTest::SetUp();
    ASSERT_EQ(StartSoftwareGraphics(), 0);
  }
  void TearDown() override {
    StopSoftwareGraphics();
    MovieTest::TearDown();
  }
};

// B, G, R, A of a 32-bit software graph pixel.
std::uint32_t pixel(int handle, int x, int y) {
  const GraphData* graph = GetGraphData(handle);
  const MEMIMG& img = graph->image;
  return *reinterpret_cast<const std::uint32_t*>(img.pixels + std::size_t(y) * img.base->pitch + x * 4);
}

TEST_F(GraphMovieTest, AGraphLoadedFromAMovieShowsItsFirstFrameAndOwnsTheMovie) {
  const std::u16string path = MovieFile("cropped.ogv", MovieCropped());
  std::string narrow(path.begin(), path.end());
  const int graph = LoadGraph(narrow.c_str());
  ASSERT_NE(graph, -1);
  GraphData* data = GetGraphData(graph);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->area.width, 100);
  EXPECT_EQ(data->area.height, 60);
  const int movie = data->movieHandle;
  ASSERT_NE(GetMovieHandleRecord(movie), nullptr);
  EXPECT_EQ(pixel(graph, 10, 10) & 0xFFFFFF, 0u);  // transparent black until the first update

  EXPECT_EQ(UpdateMovie(movie, 0), 0);
  RefFrame ref;
  ASSERT_TRUE(DecodeReference(MovieCropped(), 0, &ref));
  const std::vector<std::uint8_t> expected = ReferenceARGB(ref, false);
  for (auto [x, y] : {std::pair{0, 0}, {99, 0}, {0, 59}, {99, 59}, {50, 30}, {13, 41}}) {
    const std::uint8_t* e = &expected[(std::size_t(y) * 100 + x) * 4];
    const std::uint32_t want = std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    EXPECT_EQ(pixel(graph, x, y) & 0xFFFFFF, want) << x << "," << y;
  }
  // Drawing the graph brings the movie up to date before it draws.
  GetMovieHandleRecord(movie)->callbackRan = 0;
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);
  EXPECT_EQ(GetMovieHandleRecord(movie)->callbackRan, 1);

  EXPECT_EQ(DeleteAnyHandle(graph), 0);
  EXPECT_EQ(GetMovieHandleRecord(movie), nullptr);
}

}  // namespace
}  // namespace halvorine_test
