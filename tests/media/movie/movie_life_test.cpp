// A movie's whole life seen through the graph that shows it, on each renderer: opened,
// played, suspended and resumed with the window's activation, moved to its first and
// last frames and past its end, played out, looped, deleted while it plays and opened
// again. After every step the graph holds the frame the movie is on, pixel for pixel
// within the codec's and the renderer's tolerance. Time is the held clock, stepped.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/sound/sound_handle.h"
#include "platform/win/win_clock.h"
#include "tests/media/movie/movie_fixture.h"
#include "tests/media/movie/movie_life.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

std::string narrowPath(const std::u16string& wide) { return std::string(wide.begin(), wide.end()); }

// The largest channel difference between the graph's pixels and an expected B, G, R, A
// picture of width x height; 256 when the graph cannot be read or has another size.
int worstDifference(int graph, const std::vector<std::uint8_t>& expected, int width, int height) {
  BaseImage image{};
  if (GraphFilter_GetGraphImage(graph, &image, nullptr) != 0) return 256;
  int worst = image.width == width && image.height == height ? 0 : 256;
  for (int y = 0; y < height && worst < 256; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) {
        const int got = static_cast<const std::uint8_t*>(image.pixels)[std::size_t(y) * image.pitch + x * 4 + c];
        worst = std::max(worst, std::abs(got - int(expected[(std::size_t(y) * width + x) * 4 + c])));
      }
  ReleaseBaseImage(&image);
  return worst;
}

// One Theora movie shown by a graph, with the reference pictures of its frames.
struct TheoraLife {
  const std::vector<std::uint8_t>& file;
  std::u16string path;
  int frames, width, height;
  double fps;
  int graph = -1, handle = -1;
  std::vector<std::vector<std::uint8_t>> reference = {};

  MovieHandleRecord* movie() const { return GetMovieHandleRecord(handle); }
  void open() {
    graph = LoadGraph(narrowPath(path).c_str());
    handle = graph != -1 ? GetGraphData(graph)->movieHandle : -1;
  }
  void draw() const { drawMovieGraph(graph, handle); }
  void advanceFrames(double count) const {
    plat::win::StepClockForTest(static_cast<long long>(std::llround(count * 1e9 / fps)));
  }
  // Moves the movie to a time frame as a player would: the decoder there, and the play
  // time in the middle of that frame.
  void seek(int frame) const {
    MovieHandleRecord* m = movie();
    TheoraMovie_SeekFrame(m->decoder, frame);
    const int shown = std::clamp(frame, 0, frames - 1);
    m->elapsed = static_cast<std::uint64_t>((shown + 0.5) * 1e6 / fps);
  }
  // The reference picture of a frame. Through the Y/UV graphs samples outside the video
  // range arrive as the nearest end of it, where the tables carry the overshoot on.
  const std::vector<std::uint8_t>& picture(int frame, bool videoRange) {
    if (reference.empty()) reference.resize(2 * frames);
    std::vector<std::uint8_t>& kept = reference[2 * frame + (videoRange ? 1 : 0)];
    RefFrame ref;
    if (kept.empty() && DecodeReference(file, frame, &ref)) {
      if (videoRange) {
        for (std::uint8_t& y : ref.y) y = std::clamp<std::uint8_t>(y, 16, 235);
        for (auto* plane : {&ref.cb, &ref.cr})
          for (std::uint8_t& c : *plane) c = std::clamp<std::uint8_t>(c, 16, 240);
      }
      kept = ReferenceARGB(ref, false);
    }
    return kept;
  }
};

struct Clip {
  const char* name;
  int width, height, picX, picY, frames, fpsNumerator, fpsDenominator;
};

const std::vector<std::uint8_t>& clipData(const Clip& c) {
  static std::vector<std::pair<std::string, std::vector<std::uint8_t>>> made;
  for (const auto& [name, data] : made)
    if (name == c.name) return data;
  OgvOptions o;
  o.width = c.width, o.height = c.height, o.picX = c.picX, o.picY = c.picY, o.frames = c.frames, o.keyEvery = 4;
  o.fpsNumerator = c.fpsNumerator, o.fpsDenominator = c.fpsDenominator;
  made.emplace_back(c.name, MakeOgv(o));
  return made.back().second;
}

// The Theora movie tests hold the clock and step it.
class TheoraLifeTest : public MovieLifeTest {
 protected:
  void SetUp() override {
    MovieLifeTest::SetUp();
    plat::win::HoldClockForTest(1000000000000LL);
  }
  void TearDown() override {
    MovieLifeTest::TearDown();
    plat::win::ReleaseClockForTest();
  }
};

// What a step does, and the frame the graph shows after it (-1: the movie is gone).
struct LifeStep {
  const char* what;
  std::function<void(TheoraLife&)> act;
  std::function<int(const TheoraLife&)> shown;
  std::function<bool(const TheoraLife&)> state = nullptr;  // a further check of the record
};

int lastFrame(const TheoraLife& l) { return l.frames - 1; }
int frameOr(const TheoraLife& l, int frame) { return std::min(frame, l.frames - 1); }
bool theoraEnded(const TheoraLife& l) { return l.movie()->paused == 1 && l.movie()->playRequested == 0; }

TEST_F(TheoraLifeTest, TheoraMoviesShowTheRightFrameThroughoutTheirLifeOnEveryRenderer) {
  // 30 frames a second is not a whole number of microseconds a frame; 161 x 121 at
  // (3, 1) rounds its chroma planes and starts inside a chroma sample; a one-frame clip
  // is its own first, last and looped frame.
  const Clip clips[] = {{"ntsc.ogv", 160, 120, 0, 0, 12, 30000, 1001},
                        {"odd.ogv", 161, 121, 3, 1, 7, 25, 1},
                        {"still.ogv", 48, 32, 0, 0, 1, 30, 1}};
  const std::vector<LifeStep> life = {
      {"opened", [](TheoraLife& l) { l.open(); }, [](const TheoraLife&) { return 0; },
       theoraEnded},
      {"opened, time passes", [](TheoraLife& l) { l.advanceFrames(3.5); }, [](const TheoraLife&) { return 0; }},
      {"played", [](TheoraLife& l) { PlayMovie(l.handle, DX_PLAYTYPE_BACK); }, [](const TheoraLife&) { return 0; }},
      {"played 2.5 frames", [](TheoraLife& l) { l.advanceFrames(2.5); },
       [](const TheoraLife& l) { return frameOr(l, 2); }},
      {"window loses activation", [](TheoraLife&) { deactivateWindow(); },
       [](const TheoraLife& l) { return frameOr(l, 2); }},
      {"inactive while time passes", [](TheoraLife& l) { l.advanceFrames(30); },
       [](const TheoraLife& l) { return frameOr(l, 2); }},
      {"window regains activation", [](TheoraLife&) { activateWindow(); },
       [](const TheoraLife& l) { return frameOr(l, 2); },
       [](const TheoraLife& l) { return l.frames == 1 || l.movie()->paused == 0; }},
      // Resumed play time starts at the frame's start.
      {"a quarter frame on", [](TheoraLife& l) { l.advanceFrames(0.25); },
       [](const TheoraLife& l) { return frameOr(l, 2); }},
      {"the next frame", [](TheoraLife& l) { l.advanceFrames(0.85); },
       [](const TheoraLife& l) { return frameOr(l, 3); }},
      {"seek to frame 0", [](TheoraLife& l) { l.seek(0); }, [](const TheoraLife&) { return 0; }},
      {"seek before the start", [](TheoraLife& l) { l.seek(-5); }, [](const TheoraLife&) { return 0; }},
      {"seek to the last frame", [](TheoraLife& l) { l.seek(l.frames - 1); }, lastFrame, theoraEnded},
      {"seek past the end", [](TheoraLife& l) { l.seek(l.frames + 5); }, lastFrame, theoraEnded},
      {"played from the start, play time exactly at the end",
       [](TheoraLife& l) {
         l.seek(0);
         PlayMovie(l.handle, DX_PLAYTYPE_BACK);
         l.movie()->elapsed = static_cast<std::uint64_t>(std::ceil(l.frames * 1e6 / l.fps));
       },
       lastFrame},
      {"held at the end", [](TheoraLife& l) { l.advanceFrames(1); }, lastFrame, theoraEnded},
      {"ended, time passes", [](TheoraLife& l) { l.advanceFrames(20); }, lastFrame, theoraEnded},
      {"looped from the end",
       [](TheoraLife& l) {
         PlayMovie(l.handle, DX_PLAYTYPE_LOOP);
         l.advanceFrames(1.5);
       },
       [](const TheoraLife&) { return 0; }},
      {"loop goes on", [](TheoraLife& l) { l.advanceFrames(l.frames + 2); },
       [](const TheoraLife& l) { return 2 % l.frames; }},
      {"play time just past the end while looping",
       [](TheoraLife& l) {
         l.seek(l.frames - 1);
         l.movie()->elapsed = static_cast<std::uint64_t>(std::ceil(l.frames * 1e6 / l.fps)) + 1;
       },
       [](const TheoraLife&) { return 0; }},
      {"loop three frames beyond", [](TheoraLife& l) { l.advanceFrames(3.5); },
       [](const TheoraLife& l) { return 3 % l.frames; }},
      {"graph deleted while playing",
       [](TheoraLife& l) {
         const int movie = l.handle;
         DeleteAnyHandle(l.graph);
         l.handle = GetMovieHandleRecord(movie) != nullptr ? movie : -1;
       },
       [](const TheoraLife&) { return -1; }},
      {"opened again from the file", [](TheoraLife& l) { l.open(); }, [](const TheoraLife&) { return 0; }},
      {"played again", [](TheoraLife& l) {
         PlayMovie(l.handle, DX_PLAYTYPE_LOOP);
         l.advanceFrames(1.5);
       },
       [](const TheoraLife& l) { return 1 % l.frames; }},
  };

  for (const LifeRenderer& renderer : kLifeRenderers) {
    SCOPED_TRACE(renderer.missing);
    // The Direct3D 11 Y/UV filter is within 2 of the tables.
    const int tolerance = renderer.api == kGraphicsApiD3D11 ? 2 : 0;
    ASSERT_TRUE(startRenderer(renderer));
    for (const Clip& c : clips) {
      SCOPED_TRACE(c.name);
      const std::vector<std::uint8_t>& file = clipData(c);
      TheoraLife l{file, MovieFile(c.name, file), c.frames, c.width, c.height,
                   double(c.fpsNumerator) / c.fpsDenominator};
      for (const LifeStep& step : life) {
        SCOPED_TRACE(step.what);
        step.act(l);
        const int frame = step.shown(l);
        if (frame < 0) {
          EXPECT_EQ(l.handle, -1);
          continue;
        }
        ASSERT_NE(l.graph, -1);
        ASSERT_NE(l.movie(), nullptr);
        l.draw();
        EXPECT_EQ(TheoraMovie_GetCurrentFrame(l.movie()->decoder), frame);
        const bool yuvGraphs = TheoraMovie_GetYGraph(l.movie()->decoder) != -1;
        EXPECT_LE(worstDifference(l.graph, l.picture(frame, yuvGraphs), c.width, c.height), tolerance)
            << "frame " << frame;
        if (step.state) {
          EXPECT_TRUE(step.state(l));
        }
      }
      EXPECT_EQ(DeleteAnyHandle(l.graph), 0);
    }
    TerminateLibrary();
  }
}

}  // namespace
}  // namespace halvorine_test
