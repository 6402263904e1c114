// A DirectShow movie's whole life seen through the graph that shows it, on each
// renderer: opened (black until it runs), played, paused and run again with the
// window's activation, moved to its first and last frames, to its end and past it,
// played out, looped, deleted while it plays and opened again. Every frame of the clip
// differs from the others (a lossless clip of a moving pattern), so the graph's pixels
// name the frame it shows. The filter graph runs on its own clock: the steps wait for
// the frame they expect (a frame lasts 200 ms), they never measure time.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
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
#include "tests/media/movie/movie_life.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

constexpr int kFps = 5;
constexpr long long kFrameUnits = 10000000LL / kFps;  // 100-ns units

std::uint8_t patternAt(int x, int y, int frame, int plane) {
  switch (plane) {
    case 0: return static_cast<std::uint8_t>(16 + ((x * 3 + y * 2 + frame * 41) % 220));
    case 1: return static_cast<std::uint8_t>(40 + ((x * 5 + frame * 23) % 180));
    default: return static_cast<std::uint8_t>(40 + ((y * 4 + x + frame * 29) % 180));
  }
}

// A lossless clip of `frames` frames of the pattern, its pictures as B, G, R, X: the
// renderer's own YV12 conversion of the planes for even sizes, ffmpeg's conversion to
// RGB (the layout the source picks for odd sizes) otherwise.
struct DShowClip {
  std::string path;
  int width, height, frames;
  bool streamed;  // written as a stream: a Matroska file that states no duration
  bool sound;     // with a sound track, whose clock the movie then runs on
  std::vector<std::vector<std::uint8_t>> pictures;
};

std::string clipFolder() {
  static const std::string dir = [] {
    const std::string d = std::string(HALVORINE_BINARY_DIR) + "/dshow_movie_life_test/" + std::to_string(getpid());
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<std::uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool makeClip(DShowClip* clip) {
  const int w = clip->width, h = clip->height, cw = (w + 1) / 2, ch = (h + 1) / 2;
  const std::string base = clipFolder() + "/" + std::to_string(w) + "x" + std::to_string(h) + "x" +
                           std::to_string(clip->frames);
  std::vector<std::uint8_t> raw;
  for (int f = 0; f < clip->frames; ++f)
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? ch : h); ++y)
        for (int x = 0; x < (p ? cw : w); ++x) raw.push_back(patternAt(x, y, f, p));
  std::ofstream(base + ".yuv", std::ios::binary).write(reinterpret_cast<const char*>(raw.data()), std::streamsize(raw.size()));
  clip->path = base + (clip->streamed ? ".mkv" : ".avi");
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const std::string encode = "ffmpeg -v error -y -f rawvideo -pix_fmt yuv420p -s " + size + " -r " +
                             std::to_string(kFps) + " -i '" + base + ".yuv' " +
                             (clip->sound ? "-f lavfi -i sine=duration=" + std::to_string(double(clip->frames) / kFps) +
                                                " -c:a pcm_s16le "
                                          : "") +
                             "-c:v ffv1 " +
                             (clip->streamed ? "-f matroska - >" : "") + " '" + clip->path + "' </dev/null";
  if (std::system(encode.c_str()) != 0) return false;
  const std::size_t frameBytes = std::size_t(w) * h + 2 * std::size_t(cw) * ch;
  std::vector<std::uint8_t> rgb;
  if (w % 2 || h % 2) {
    const std::string decode = "ffmpeg -v error -y -i '" + clip->path +
                               "' -sws_flags bilinear -f rawvideo -pix_fmt bgr0 '" + base + ".rgb' </dev/null";
    if (std::system(decode.c_str()) != 0) return false;
    rgb = readAll(base + ".rgb");
    if (rgb.size() != std::size_t(w) * h * 4 * clip->frames) return false;
  }
  std::filesystem::remove(base + ".yuv");
  std::filesystem::remove(base + ".rgb");
  for (int f = 0; f < clip->frames; ++f) {
    if (!rgb.empty()) {
      clip->pictures.emplace_back(rgb.begin() + std::size_t(w) * h * 4 * f, rgb.begin() + std::size_t(w) * h * 4 * (f + 1));
      continue;
    }
    // YV12 keeps V before U.
    const std::uint8_t* planes = raw.data() + frameBytes * f;
    std::vector<std::uint8_t> yv12(planes, planes + w * h);
    yv12.insert(yv12.end(), planes + w * h + cw * ch, planes + frameBytes);
    yv12.insert(yv12.end(), planes + w * h, planes + w * h + cw * ch);
    BaseImage image{};
    if (CreateXRGB8ColorBaseImage(w, h, &image) != 0) return false;
    ConvertYV12ToARGB8(yv12.data(), w, h, &image);
    std::vector<std::uint8_t> packed(std::size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
      std::copy_n(static_cast<const std::uint8_t*>(image.pixels) + std::size_t(y) * image.pitch, w * 4,
                  packed.data() + std::size_t(y) * w * 4);
    ReleaseBaseImage(&image);
    clip->pictures.push_back(std::move(packed));
  }
  return true;
}

// The frame of the clip that the graph shows: its index, -1 for a black graph, -2 for a
// picture that is no frame of the clip (or a graph that cannot be read).
int shownFrame(int graph, const DShowClip& clip, int tolerance) {
  BaseImage image{};
  if (GraphFilter_GetGraphImage(graph, &image, nullptr) != 0) return -2;
  int found = image.width == clip.width && image.height == clip.height ? -1 : -2;
  auto at = [&](int x, int y, int c) {
    return int(static_cast<const std::uint8_t*>(image.pixels)[std::size_t(y) * image.pitch + x * 4 + c]);
  };
  for (int y = 0; y < clip.height && found == -1; ++y)
    for (int x = 0; x < clip.width && found == -1; ++x)
      if (at(x, y, 0) | at(x, y, 1) | at(x, y, 2)) found = -2;
  for (int f = 0; f < clip.frames && found == -2; ++f) {
    int worst = 0;
    for (int y = 0; y < clip.height && worst <= tolerance; ++y)
      for (int x = 0; x < clip.width; ++x)
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::abs(at(x, y, c) - int(clip.pictures[f][(std::size_t(y) * clip.width + x) * 4 + c])));
    if (worst <= tolerance) found = f;
  }
  ReleaseBaseImage(&image);
  return found;
}

// 5 ms, with as much sound mixed (the manual sink mixes only when told).
void pause5ms() {
  plat::audio::AdvanceAudioForTest(44100 / 200);
  plat::audio::TakeCapturedAudioForTest();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

struct DShowLife {
  const DShowClip& clip;
  int tolerance;
  int graph = -1, handle = -1;
  int pausedOn = -1;

  MovieHandleRecord* movie() const { return GetMovieHandleRecord(handle); }
  plat::dshow::IMediaSeeking* seeking() const { return static_cast<plat::dshow::IMediaSeeking*>(movie()->mediaSeeking); }
  void open() {
    std::string narrow = "C:";
    for (char c : clip.path) narrow += c == '/' ? '\\' : c;
    graph = LoadGraph(narrow.c_str());
    handle = graph != -1 ? GetGraphData(graph)->movieHandle : -1;
  }
  void draw() const { drawMovieGraph(graph, handle); }
  int shown() const { return shownFrame(graph, clip, tolerance); }
  // Game frames until `done` holds; false after 20 s.
  bool drawUntil(const std::function<bool()>& done) const {
    for (int i = 0; i < 4000; ++i) {
      draw();
      if (done()) return true;
      pause5ms();
    }
    return false;
  }
  // The first new frame that reaches the graph.
  bool nextFrame() const {
    movie()->frameUpdated = 0;
    return drawUntil([&] { return movie()->frameUpdated != 0; });
  }
  // Game frames for the time of `frames` of the movie's frames.
  void drawFor(int frames) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000 / kFps * frames);
    while (std::chrono::steady_clock::now() < until) {
      draw();
      pause5ms();
    }
  }
  bool seek(long long position) const {
    plat::dshow::LONGLONG at = position;
    return seeking()->SetPositions(&at, 1 /* absolute */, nullptr, 0) >= 0;
  }
  bool ended() const { return movie()->paused == 1 && movie()->playRequested == 0; }
  long long endPosition() const { return movie()->stopPosition; }
};

struct DShowStep {
  const char* what;
  std::function<bool(DShowLife&)> act;  // false when what it waited for did not come
  std::function<int(const DShowLife&)> shown;  // the frame, -1 black, -3 the movie is gone
  std::function<bool(const DShowLife&)> state = nullptr;
};

int lastOf(const DShowLife& l) { return l.clip.frames - 1; }
bool dshowEnded(const DShowLife& l) { return l.ended(); }


class DShowMovieLife : public MovieLifeTest {
 protected:
  void SetUp() override {
    MovieLifeTest::SetUp();
    const std::string temporary = clipFolder() + "/tmp";
    std::filesystem::create_directories(temporary);
    setenv("TMPDIR", temporary.c_str(), 1);
  }
  void TearDown() override {
    MovieLifeTest::TearDown();
    unsetenv("TMPDIR");
    std::filesystem::remove_all(clipFolder());
  }
};

TEST_F(DShowMovieLife, TheGraphShowsTheRightFrameThroughoutTheMoviesLifeOnEveryRenderer) {
  // 161 x 121 goes as RGB; a one-frame clip is its own first and last frame; a file
  // written as a stream knows its length only once read to the end; one with sound runs
  // on the sound's clock.
  DShowClip clips[] = {{"", 160, 120, 6, false, false, {}},
                       {"", 161, 121, 4, false, false, {}},
                       {"", 64, 48, 1, false, false, {}},
                       {"", 96, 64, 3, true, false, {}},
                       {"", 80, 60, 5, false, true, {}}};
  for (DShowClip& c : clips)
    if (!makeClip(&c)) GTEST_SKIP() << "ffmpeg could not make the clips";
  const std::vector<DShowStep> life = {
      {"opened", [](DShowLife& l) { l.open(); return l.graph != -1; }, [](const DShowLife&) { return -1; }, dshowEnded},
      {"played", [](DShowLife& l) { PlayMovie(l.handle, DX_PLAYTYPE_BACK); return l.nextFrame(); },
       [](const DShowLife&) { return 0; }},
      {"seek while inactive, shown on activation",
       [](DShowLife& l) {
         deactivateWindow();
         l.seek(kFrameUnits * std::min(1, lastOf(l)));
         activateWindow();
         return l.ended() || l.nextFrame();
       },
       [](const DShowLife& l) { return std::min(1, lastOf(l)); }},
      {"window loses activation",
       [](DShowLife& l) {
         deactivateWindow();
         l.draw();
         l.pausedOn = l.shown();
         return l.pausedOn >= 0;
       },
       [](const DShowLife& l) { return l.pausedOn; }},
      {"inactive while time passes", [](DShowLife& l) { l.drawFor(2); return true; },
       [](const DShowLife& l) { return l.pausedOn; },
       [](const DShowLife& l) { return l.clip.frames == 1 || l.movie()->paused == 1; }},
      {"window regains activation",
       [](DShowLife& l) {
         activateWindow();
         return l.clip.frames == 1 || l.pausedOn == lastOf(l) || l.nextFrame();
       },
       [](const DShowLife& l) { return std::min(l.pausedOn + 1, lastOf(l)); }},
      {"seek to frame 0",
       [](DShowLife& l) {
         l.seek(0);
         PlayMovie(l.handle, DX_PLAYTYPE_BACK);  // runs it again when it has ended meanwhile
         return l.nextFrame();
       },
       [](const DShowLife&) { return 0; }},
      {"seek before the start",
       [](DShowLife& l) { return l.seek(-3 * kFrameUnits) && (l.ended() || l.nextFrame()); },
       [](const DShowLife& l) { return l.ended() ? lastOf(l) : 0; }},
      {"seek to the last frame",
       [](DShowLife& l) {
         PlayMovie(l.handle, DX_PLAYTYPE_BACK);
         return l.seek(kFrameUnits * lastOf(l)) && l.nextFrame() && l.drawUntil([&] { return l.ended(); });
       },
       lastOf, dshowEnded},
      {"seek to exactly the end and play",
       [](DShowLife& l) {
         l.seek(l.endPosition());
         PlayMovie(l.handle, DX_PLAYTYPE_BACK);
         return l.drawUntil([&] { return l.ended(); });
       },
       lastOf, dshowEnded},
      {"seek past the end and play",
       [](DShowLife& l) {
         l.seek(l.endPosition() + 10 * kFrameUnits);
         PlayMovie(l.handle, DX_PLAYTYPE_BACK);
         return l.drawUntil([&] { return l.ended(); });
       },
       lastOf, dshowEnded},
      {"looped from the last frame",
       [](DShowLife& l) {
         l.seek(kFrameUnits * lastOf(l));
         PlayMovie(l.handle, DX_PLAYTYPE_LOOP);
         // The last frame, then the first again.
         return l.nextFrame() && l.nextFrame();
       },
       [](const DShowLife&) { return 0; }, [](const DShowLife& l) { return l.movie()->paused == 0; }},
      {"looping, seek to exactly the end",
       [](DShowLife& l) { return l.seek(l.endPosition()) && l.nextFrame(); }, [](const DShowLife&) { return 0; },
       [](const DShowLife& l) { return l.movie()->paused == 0; }},
      {"graph deleted while playing",
       [](DShowLife& l) {
         const int movie = l.handle;
         DeleteAnyHandle(l.graph);
         l.handle = movie;
         return true;
       },
       [](const DShowLife&) { return -3; }},
      {"opened again from the file", [](DShowLife& l) { l.open(); return l.graph != -1; },
       [](const DShowLife&) { return -1; }},
      {"played again", [](DShowLife& l) { PlayMovie(l.handle, DX_PLAYTYPE_LOOP); return l.nextFrame(); },
       [](const DShowLife&) { return 0; }},
  };

  for (const LifeRenderer& renderer : kLifeRenderers) {
    SCOPED_TRACE(renderer.missing);
    ASSERT_TRUE(startRenderer(renderer));
    // Frames split into planes take the Y/UV conversion: a level or so either way.
    const int tolerance = renderer.api == kGraphicsApiD3D11 ? 3 : 2;
    for (const DShowClip& c : clips) {
      // The frame reaches the graph by each renderer's own path, which the two sizes
      // take apart; how the graph reaches the end, loops and runs on the sound's clock is
      // the renderers' alike, and is walked on the last one only.
      if (renderer.api != kGraphicsApiD3D11 && (c.frames == 1 || c.streamed || c.sound)) continue;
      SCOPED_TRACE(c.path);
      DShowLife l{c, tolerance};
      for (const DShowStep& step : life) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.act(l));
        const int frame = step.shown(l);
        if (frame == -3) {
          EXPECT_EQ(l.movie(), nullptr);
          continue;
        }
        ASSERT_NE(l.movie(), nullptr);
        l.draw();
        EXPECT_EQ(l.shown(), frame);
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
