// DirectShow movies end to end: clips made with ffmpeg at test time open as movie
// handles through the graph, deliver frames that match ffmpeg's own decode in every
// layout the movie source offers, loop or end at the stop position, and open and
// release again and again.
#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "media/graphics/base_image.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/image/yuv.h"

#include "media/base/handle.h"
#include "media/dshow/movie_render.h"
#include "media/file/async_load.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"
#include "platform/audio/wave_format.h"
#include "platform/dshow/interfaces.h"
#include "platform/dshow/system_filters.h"
#include "platform/win/win_thread.h"
#include "tests/media/log_capture.h"
#include "tests/media/movie/movie_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;
namespace pw = plat::win;

int frameCalls = 0;

std::string clipDir() {
  static const std::string dir = [] {
    const std::string d = std::string(HALVORINE_BINARY_DIR) + "/dshow_movie_test/" + std::to_string(getpid());
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// A clip made by ffmpeg from a still test pattern (every frame alike); empty when ffmpeg fails.
std::string makeClip(const std::string& name, const std::string& arguments) {
  const std::string path = clipDir() + "/" + name;
  if (!std::filesystem::exists(path)) {
    const std::string command = "ffmpeg -v error -y " + arguments + " '" + path + "' </dev/null";
    if (std::system(command.c_str()) != 0) return {};
  }
  return path;
}

const char* kBars = "-f lavfi -i smptebars=size=160x120:rate=25:duration=1";
std::string aviClip() { return makeClip("bars.avi", std::string(kBars) + " -c:v mpeg4 -q:v 2"); }
std::string mp4Clip() {
  return makeClip("bars.mp4", std::string(kBars) + " -f lavfi -i sine=duration=1 -c:v libx264 -crf 12 -pix_fmt yuv420p -c:a aac -shortest");
}
std::string soundClip() { return makeClip("sound.m4a", "-f lavfi -i sine=duration=1 -c:a aac"); }

std::u16string mediaPath(const std::string& path, char16_t separator = u'\\') {
  std::u16string wide = u"C:";
  for (char c : path) wide += c == '/' ? separator : static_cast<char16_t>(c);
  return wide;
}

// ffmpeg's own decode of the first frame in a raw pixel format.
std::vector<std::uint8_t> rawFrame(const std::string& clip, const std::string& format) {
  const std::string raw = clip + "." + format;
  const std::string command =
      "ffmpeg -v error -y -i '" + clip + "' -frames:v 1 -f rawvideo -pix_fmt " + format + " '" + raw + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(raw, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The first frame as the record should hold it for a layout: ffmpeg's decode in that
// layout put through the movie-frame converters (YUV), or as B, G, R, X bytes (RGB).
std::vector<std::uint8_t> referenceFrame(const std::string& clip, int layout) {
  constexpr int w = 160, h = 120;
  static const char* formats[] = {"yuv420p", "nv12", "yuyv422", "uyvy422", "bgr0", "bgr0"};
  std::vector<std::uint8_t> raw = rawFrame(clip, formats[layout]);
  if (layout >= 4 || raw.empty()) return raw;
  if (layout == 0) {  // YV12 keeps V before U
    std::vector<std::uint8_t> swapped(raw.begin(), raw.begin() + w * h);
    swapped.insert(swapped.end(), raw.begin() + w * h * 5 / 4, raw.end());
    swapped.insert(swapped.end(), raw.begin() + w * h, raw.begin() + w * h * 5 / 4);
    raw = swapped;
  }
  static int (*const converters[])(const void*, int, int, BaseImage*) = {ConvertYV12ToARGB8, ConvertNV12ToARGB8,
                                                                         ConvertYUY2ToARGB8, ConvertUYVYToARGB8};
  BaseImage image{};
  if (CreateXRGB8ColorBaseImage(w, h, &image) != 0) return {};
  converters[layout](raw.data(), w, h, &image);
  std::vector<std::uint8_t> packed(w * h * 4);
  for (int y = 0; y < h; ++y)
    std::memcpy(packed.data() + y * w * 4, static_cast<const std::uint8_t*>(image.pixels) + y * image.pitch, w * 4);
  ReleaseBaseImage(&image);
  return packed;
}

// Temporary copies of movies left in the temporary folder (copies keep their extension).
int temporaryCopies() {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), error)) {
    const std::string name = entry.path().filename().string();
    const std::string extension = entry.path().extension().string();
    if (name.rfind("tmp", 0) == 0 && (extension == ".avi" || extension == ".m4a" || extension == ".mp4")) ++count;
  }
  return count;
}

int openClip(const std::string& clip, int* width = nullptr, int* height = nullptr) {
  const std::u16string path = mediaPath(clip, u'/');
  return OpenMovie(kNoSettings, path.c_str(), nullptr, 0, width, height, 0, 0);
}

// What the manual sound sink mixed while the tests updated movies.
std::vector<std::int16_t> heard;

// Polls until `done` holds, updating the movie and mixing a quantum of sound between
// looks (a movie with sound runs on the sound's clock); false after 2000 looks.
template <class Done>
bool updateUntil(int handle, Done done) {
  for (int i = 0; i < 2000; ++i) {
    UpdateMovie(handle, 0);
    if (done()) return true;
    plat::audio::AdvanceAudioForTest(plat::audio::kQuantumFrames);
    const std::vector<std::int16_t> more = plat::audio::TakeCapturedAudioForTest();
    heard.insert(heard.end(), more.begin(), more.end());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

class DShowMovieTest : public MovieTest {
 protected:
  void SetUp() override {
    // The video renderer asks the display about itself: the headless one, as the graph tests use.
    setenv("HALVORINE_HEADLESS", "1", 1);
    // Temporary copies go to a folder of this process alone, so tests running beside it
    // (which make copies of their own) cannot be counted as left behind.
    const std::string temporary = clipDir() + "/tmp";
    std::filesystem::create_directories(temporary);
    setenv("TMPDIR", temporary.c_str(), 1);
    MovieTest::SetUp();
    if (aviClip().empty() || mp4Clip().empty()) GTEST_SKIP() << "ffmpeg could not make the test clips";
  }
  void TearDown() override {
    plat::dshow::SetMovieSourceLayoutsForTest(0);
    unsetenv("TMPDIR");
    MovieTest::TearDown();
  }
};

TEST_F(DShowMovieTest, OpensMoviesThroughTheGraphWithBackslashPaths) {
  for (const std::string& clip : {aviClip(), mp4Clip()}) {
    SCOPED_TRACE(clip);
    int width = 0, height = 0;
    const int handle = openClip(clip, &width, &height);
    ASSERT_NE(handle, -1);
    MovieHandleRecord* movie = GetMovieHandleRecord(handle);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
    EXPECT_EQ(movie->theora, 0);
    EXPECT_NE(movie->graphBuilder, nullptr);
    EXPECT_EQ(std::u16string(movie->path), mediaPath(clip));
    EXPECT_GT(movie->duration, 9000000);
    EXPECT_EQ(movie->stopPosition, movie->duration);
    EXPECT_EQ(movie->paused, 1);
    EXPECT_EQ(DeleteAnyHandle(handle), 0);
  }
}

// The fuzz seeds hold one small movie of each listed container, and a sound-only file.
TEST_F(DShowMovieTest, OpensEveryListedContainer) {
  const std::string seeds = std::string(HALVORINE_SOURCE_DIR) + "/fuzz/corpus/movie_dshow_open";
  int opened = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    const std::string file = entry.path().string();
    const int handle = openClip(file);
    EXPECT_EQ(handle != -1, entry.path().stem() == "bars") << file;
    if (handle == -1) continue;
    EXPECT_EQ(GetMovieHandleRecord(handle)->width, 32);
    ++opened;
    EXPECT_EQ(DeleteAnyHandle(handle), 0);
  }
  EXPECT_EQ(opened, 6);
}

TEST_F(DShowMovieTest, FilesWithoutAPictureFailAndLeaveNoCopy) {
  const std::string sound = soundClip();
  ASSERT_FALSE(sound.empty());
  const std::string text = clipDir() + "/notes.avi";
  std::ofstream(text) << "not a movie at all\n";
  for (const std::string& clip : {sound, text}) {
    LogCapture log;
    EXPECT_EQ(openClip(clip), -1) << clip;
    EXPECT_TRUE(LogCapture::contains(u"ムービーファイルオープン処理時にエラーが発生しました"));
    EXPECT_TRUE(LogCapture::contains(u"Movie File Open Error : "));
  }
  EXPECT_EQ(temporaryCopies(), 0);
}

TEST_F(DShowMovieTest, OpenFailsWithoutTheGraph) {
  LogCapture log;
  setenv("HALVORINE_MISSING", "dshow", 1);
  EXPECT_EQ(openClip(aviClip()), -1);
  unsetenv("HALVORINE_MISSING");
  EXPECT_TRUE(LogCapture::contains(u"CoCreateInstance Error : CLSID_FilterGraph\n"));
}

// A file table that finds files of a folder "packed" that the platform has not got: as a
// file inside an archive, only the library's file functions reach them.
FileAccessFunctions realFiles;
FileStream openPacked(const char16_t* path, int cache, int block, int async) {
  std::u16string p(path);
  const std::size_t at = p.find(u"\\packed\\");
  if (at != std::u16string::npos) p.erase(at, 7);
  return realFiles.Open(p.c_str(), cache, block, async);
}

TEST_F(DShowMovieTest, PackedMoviesPlayFromATemporaryCopyThatGoesWithTheHandle) {
  realFiles = *GetFileAccessTable();
  FileAccessFunctions packed = realFiles;
  packed.Open = openPacked;
  SelectFileAccessFunctions(&packed);
  const std::string text = clipDir() + "/notes.avi";
  std::ofstream(text) << "not a movie at all\n";
  const std::string clip = mp4Clip();
  auto packedPath = [](const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return mediaPath(file.substr(0, slash) + "/packed" + file.substr(slash));
  };
  for (int round = 0; round < 3; ++round) {
    const int handle = OpenMovie(kNoSettings, packedPath(clip).c_str(), nullptr, 0, nullptr, nullptr, 0, 0);
    ASSERT_NE(handle, -1);
    MovieHandleRecord* movie = GetMovieHandleRecord(handle);
    EXPECT_EQ(movie->temporaryFile, 1);
    std::string copy;
    for (const char16_t* c = movie->path; *c != 0; ++c) copy += *c == u'\\' ? '/' : static_cast<char>(*c);
    if (copy.rfind("C:", 0) == 0) copy.erase(0, 2);
    EXPECT_EQ(std::filesystem::path(copy).extension(), ".mp4");
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(clip));
    play(handle, DX_PLAYTYPE_BACK);
    EXPECT_TRUE(updateUntil(handle, [&] { return movie->frameUpdated != 0; }));
    EXPECT_EQ(DeleteAnyHandle(handle), 0);
    EXPECT_FALSE(std::filesystem::exists(copy));
    // A copy that cannot be rendered either is deleted at once.
    EXPECT_EQ(OpenMovie(kNoSettings, packedPath(text).c_str(), nullptr, 0, nullptr, nullptr, 0, 0), -1);
    EXPECT_EQ(temporaryCopies(), 0);
  }
  SelectFileAccessFunctions(nullptr);
}

// An open on a loading worker: the filter graph is made on the main thread (through its
// request queue, which the test pumps), the rest of the open, here the temporary copy of
// a packed movie, on the worker.
std::atomic<std::uint32_t> graphMadeOn{0}, copiedOn{0}, openedOn{0};
std::atomic<int> asyncHandle{-2};
std::u16string asyncPath;
decltype(WinAPI.CoCreateInstanceFunc) realCreate = nullptr;

pw::HRESULT recordingCreate(const pw::CLSID& clsid, void* outer, pw::DWORD context, const pw::IID& iid, void** out) {
  if (clsid == plat::dshow::CLSID_FilterGraph) graphMadeOn = pw::GetCurrentThreadId();
  return realCreate(clsid, outer, context, iid, out);
}

FileStream openPackedRecorded(const char16_t* path, int cache, int block, int async) {
  copiedOn = pw::GetCurrentThreadId();
  return openPacked(path, cache, block, async);
}

int openOnWorker(AsyncLoadJob*) {
  openedOn = pw::GetCurrentThreadId();
  asyncHandle = OpenMovie(kNoSettings, asyncPath.c_str(), nullptr, 0, nullptr, nullptr, 0, 1);
  return 0;
}

TEST_F(DShowMovieTest, AsynchronousOpensMakeTheGraphOnTheMainThread) {
  realFiles = *GetFileAccessTable();
  FileAccessFunctions packed = realFiles;
  packed.Open = openPackedRecorded;
  SelectFileAccessFunctions(&packed);
  realCreate = WinAPI.CoCreateInstanceFunc;
  WinAPI.CoCreateInstanceFunc = recordingCreate;
  ASSERT_EQ(InitializeASyncLoad(pw::GetCurrentThreadId()), 0);
  ASSERT_EQ(SetupASyncLoadThread(2), 0);
  const std::string clip = mp4Clip();
  const std::size_t slash = clip.rfind('/');
  asyncPath = mediaPath(clip.substr(0, slash) + "/packed" + clip.substr(slash));
  for (int round = 0; round < 3; ++round) {
    graphMadeOn = copiedOn = openedOn = 0;
    asyncHandle = -2;
    AsyncLoadJob* job = AllocASyncLoadData(0);
    job->ProcessFunction = openOnWorker;
    AddASyncLoadData(job);
    for (int i = 0; i < 20000 && asyncHandle == -2; ++i) {
      ProcessASyncLoadRequestMainThread();
      pw::Sleep(1);
    }
    ASSERT_NE(asyncHandle.load(), -1);
    ASSERT_NE(asyncHandle.load(), -2);
    EXPECT_EQ(graphMadeOn.load(), pw::GetCurrentThreadId());
    EXPECT_NE(openedOn.load(), pw::GetCurrentThreadId());
    EXPECT_EQ(copiedOn.load(), openedOn.load());
    MovieHandleRecord* movie = GetMovieHandleRecord(asyncHandle);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->width, 160);
    EXPECT_EQ(movie->temporaryFile, 1);
    EXPECT_EQ(CheckHandleASyncLoad(asyncHandle), 0);  // the open ended its step
    EXPECT_EQ(DeleteAnyHandle(asyncHandle), 0);
  }
  EXPECT_EQ(temporaryCopies(), 0);
  TerminateASyncLoad();
  WinAPI.CoCreateInstanceFunc = realCreate;
  SelectFileAccessFunctions(nullptr);
}

// Every layout the source offers reaches the record as the same packed picture.
TEST_F(DShowMovieTest, FramesMatchTheReferenceDecodeInEveryLayout) {
  const std::string clip = aviClip();
  // At shader model 200 the renderer splits YUV frames into planes, which the update converts.
  for (int pass = 0; pass < 10; ++pass) {
    const int layout = pass < 6 ? pass : pass - 6;
    Graphics_Hardware_ForceShaderModelVersionForTest(pass < 6 ? -1 : 200);
    SCOPED_TRACE(pass);
    const std::vector<std::uint8_t> reference = referenceFrame(clip, layout);
    ASSERT_EQ(reference.size(), 160u * 120u * 4u);
    plat::dshow::SetMovieSourceLayoutsForTest(1 << layout);
    const int handle = openClip(clip);
    ASSERT_NE(handle, -1);
    frameCalls = 0;
    SetMovieFrameCallback(handle, [](MovieHandleRecord*, std::uint32_t p) { frameCalls += static_cast<int>(p); }, 1);
    MovieHandleRecord* movie = GetMovieHandleRecord(handle);
    EXPECT_EQ(static_cast<D_CMovieRender*>(movie->renderer)->FormatKind(), layout == 4 ? kMovieRGB32
                                                                            : layout == 5 ? kMovieRGB24
                                                                                          : kMovieYV12 + layout);
    UpdateMovie(handle, 0);
    EXPECT_EQ(movie->frameUpdated, 0);  // nothing runs the graph yet
    EXPECT_EQ(frameCalls, 0);
    play(handle, DX_PLAYTYPE_BACK);
    ASSERT_TRUE(updateUntil(handle, [&] { return movie->frameUpdated != 0; }));
    EXPECT_EQ(movie->pixelsBorrowed, pass >= 6 ? 0 : 1);  // planes converted into an image of its own
    // Stopped, the streaming thread writes no more into the borrowed frame.
    static_cast<plat::dshow::IMediaControl*>(movie->mediaControl)->Stop();
    const BaseImage& image = *movie->currentImage;
    ASSERT_EQ(image.width, 160);
    ASSERT_EQ(image.height, 120);
    const int bytes = layout == 5 ? 3 : 4;
    long long difference = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x)
        for (int c = 0; c < 3; ++c) {
          const int got = static_cast<const std::uint8_t*>(image.pixels)[y * image.pitch + x * bytes + c];
          difference += std::abs(got - reference[(y * 160 + x) * 4 + c]);
        }
    // Chroma widened to 4:2:2 by the source's scaler and by ffmpeg's may differ by a level.
    EXPECT_LE(difference / (160 * 120 * 3), 1);
    EXPECT_GE(frameCalls, 1);
    EXPECT_EQ(DeleteAnyHandle(handle), 0);
  }
  Graphics_Hardware_ForceShaderModelVersionForTest(-1);
}

// Updates a looping movie until it has passed its stop position, started again at 0 and
// delivered a frame after that.
bool loopsAndGoesOn(int handle, MovieHandleRecord* movie) {
  auto* seeking = static_cast<plat::dshow::IMediaSeeking*>(movie->mediaSeeking);
  plat::dshow::LONGLONG position = 0, highest = 0;
  if (!updateUntil(handle, [&] {
        seeking->GetCurrentPosition(&position);
        if (position > highest) highest = position;
        return highest >= movie->stopPosition - 500000 && position < highest - 5000000;
      }))
    return false;
  movie->frameUpdated = 0;
  return movie->paused == 0 && updateUntil(handle, [&] { return movie->frameUpdated != 0; });
}

TEST_F(DShowMovieTest, LoopsOrEndsAtTheStopPosition) {
  const int handle = openClip(mp4Clip());
  ASSERT_NE(handle, -1);
  MovieHandleRecord* movie = play(handle, DX_PLAYTYPE_LOOP);
  // Past the stop position the loop starts again at 0 and keeps running.
  ASSERT_TRUE(loopsAndGoesOn(handle, movie));
  // Suspend pauses it, resume runs it again.
  EXPECT_EQ(SuspendPlayingMovies(), 0);
  EXPECT_EQ(movie->paused, 1);
  EXPECT_EQ(ResumeSuspendedMovies(), 0);
  EXPECT_EQ(movie->paused, 0);
  // Played once, it pauses at the end and counts as ended.
  movie->playType = DX_PLAYTYPE_BACK;
  ASSERT_TRUE(updateUntil(handle, [&] { return movie->paused == 1; }));
  EXPECT_EQ(movie->playRequested, 0);
  EXPECT_EQ(DeleteAnyHandle(handle), 0);
}

// The loudest sample of each channel over the last `frames` frames heard.
std::pair<int, int> peaks(std::size_t frames) {
  int left = 0, right = 0;
  for (std::size_t i = heard.size() - std::min(heard.size(), frames * 2); i + 1 < heard.size(); i += 2) {
    left = std::max(left, std::abs(int(heard[i])));
    right = std::max(right, std::abs(int(heard[i + 1])));
  }
  return {left, right};
}

// The MP4's sine plays through the audio renderer into the sound output, louder or
// softer and to one side as the movie's IBasicAudio asks, while the pictures go on.
TEST_F(DShowMovieTest, MoviesPlayTheirSoundThroughTheAudioRenderer) {
  const int handle = openClip(mp4Clip());
  ASSERT_NE(handle, -1);
  MovieHandleRecord* movie = play(handle, DX_PLAYTYPE_LOOP);
  auto* basicAudio = static_cast<plat::dshow::IBasicAudio*>(movie->basicAudio);
  constexpr std::size_t kWindow = 4410;  // 0.1 s
  heard.clear();
  ASSERT_TRUE(updateUntil(handle, [&] { return heard.size() >= kWindow * 2 && peaks(kWindow).first > 1000; }));
  const auto [loud, loudRight] = peaks(kWindow);
  EXPECT_NEAR(loudRight, loud, loud / 50);
  // -20 dB is a tenth of the level.
  ASSERT_EQ(basicAudio->put_Volume(-2000), pw::S_OK);
  plat::win::LONG volume = 0;
  EXPECT_EQ(basicAudio->get_Volume(&volume), pw::S_OK);
  EXPECT_EQ(volume, -2000);
  heard.clear();
  ASSERT_TRUE(updateUntil(handle, [&] { return heard.size() >= kWindow * 2 && peaks(kWindow).first > 0; }));
  const int soft = peaks(kWindow).first;
  EXPECT_GT(soft, loud * 7 / 100);
  EXPECT_LT(soft, loud * 14 / 100);
  // All to the right: the left channel falls silent.
  ASSERT_EQ(basicAudio->put_Volume(0), pw::S_OK);
  ASSERT_EQ(basicAudio->put_Balance(10000), pw::S_OK);
  heard.clear();
  ASSERT_TRUE(updateUntil(handle, [&] { return heard.size() >= kWindow * 2 && peaks(kWindow).second > 1000; }));
  EXPECT_LT(peaks(kWindow).first, 10);
  // The pictures went on beside the sound.
  EXPECT_NE(movie->frameUpdated, 0);
  EXPECT_EQ(movie->paused, 0);
  EXPECT_EQ(DeleteAnyHandle(handle), 0);
}

// Without the sound output a movie with sound plays silent on the steady clock: its
// pictures come and loop, and volume calls still answer.
TEST_F(DShowMovieTest, MoviesWithSoundPlaySilentWithoutTheSoundOutput) {
  setenv("HALVORINE_MISSING", "dsound", 1);
  for (int round = 0; round < 2; ++round) {
    const int handle = openClip(mp4Clip());
    ASSERT_NE(handle, -1);
    MovieHandleRecord* movie = play(handle, DX_PLAYTYPE_LOOP);
    EXPECT_EQ(movie->paused, 0);
    EXPECT_EQ(static_cast<plat::dshow::IBasicAudio*>(movie->basicAudio)->put_Volume(-2000), pw::S_OK);
    heard.clear();
    EXPECT_TRUE(loopsAndGoesOn(handle, movie));
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0), static_cast<std::ptrdiff_t>(heard.size()));
    EXPECT_EQ(DeleteAnyHandle(handle), 0);
  }
  unsetenv("HALVORINE_MISSING");
}

// Handles opened, run and released in a loop, interleaved, each graph with its own threads.
TEST_F(DShowMovieTest, OpensRunsAndReleasesInALoop) {
  for (int round = 0; round < 6; ++round) {
    const int first = openClip(aviClip());
    const int second = openClip(mp4Clip());
    ASSERT_NE(first, -1);
    ASSERT_NE(second, -1);
    play(first, DX_PLAYTYPE_LOOP);
    if (round % 2 == 0) play(second, DX_PLAYTYPE_BACK);
    UpdateMovie(first, 0);
    EXPECT_EQ(DeleteAnyHandle(round % 2 == 0 ? first : second), 0);
    UpdateMovie(round % 2 == 0 ? second : first, 0);
    EXPECT_EQ(DeleteAnyHandle(round % 2 == 0 ? second : first), 0);
  }
}

class DShowGraphMovieTest : public DShowMovieTest {
 protected:
  void SetUp() override {
    DShowMovieTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(StartSoftwareGraphics(), 0);
  }
  void TearDown() override {
    StopSoftwareGraphics();
    DShowMovieTest::TearDown();
  }
};

// A graph loaded from an MP4 is the movie's size and transparent black until the movie
// runs; an update then brings the first frame in; deleting the graph takes the movie.
TEST_F(DShowGraphMovieTest, AGraphLoadedFromAMovieShowsFramesOnceTheMovieRuns) {
  const std::string path = clipDir() + "/bars.mp4";
  std::string narrow = "C:";
  for (char c : path) narrow += c == '/' ? '\\' : c;
  const int graph = LoadGraph(narrow.c_str());
  ASSERT_NE(graph, -1);
  GraphData* data = GetGraphData(graph);
  EXPECT_EQ(data->area.width, 160);
  EXPECT_EQ(data->area.height, 120);
  const int movie = data->movieHandle;
  auto pixel = [&](int x, int y) {
    const MEMIMG& img = GetGraphData(graph)->image;
    return *reinterpret_cast<const std::uint32_t*>(img.pixels + std::size_t(y) * img.base->pitch + x * 4);
  };
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);
  EXPECT_EQ(pixel(10, 10) & 0xFFFFFF, 0u);  // nothing has run the movie
  MovieHandleRecord* record = play(movie, DX_PLAYTYPE_LOOP);
  ASSERT_TRUE(updateUntil(movie, [&] { return record->callbackRan != 0; }));
  const std::vector<std::uint8_t> reference = referenceFrame(clipDir() + "/bars.mp4", 0);  // the renderer takes YV12
  for (auto [x, y] : {std::pair{10, 10}, {150, 50}, {80, 110}}) {
    const std::uint8_t* e = &reference[(std::size_t(y) * 160 + x) * 4];
    const std::uint32_t got = pixel(x, y);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(int((got >> (8 * c)) & 0xFF), int(e[c]), 3) << x << "," << y;
  }
  EXPECT_EQ(DeleteAnyHandle(graph), 0);
  EXPECT_EQ(GetMovieHandleRecord(movie), nullptr);
}

// With the shader model forced to 200 the renderer keeps YUV frames as planes: the
// update sends them into a luma graph and a chroma graph holding ffmpeg's own decode,
// and the two graphs go with the movie.
TEST_F(DShowGraphMovieTest, PlanarFramesFillTheLumaAndChromaGraphs) {
  Graphics_Hardware_ForceShaderModelVersionForTest(200);
  const std::string clip = mp4Clip();
  std::vector<std::uint8_t> planes = rawFrame(clip, "nv12");  // Y, then U and V interleaved
  ASSERT_EQ(planes.size(), 160u * 120u * 3u / 2u);
  for (int round = 0; round < 3; ++round) {
    std::string narrow = "C:";
    for (char c : clip) narrow += c == '/' ? '\\' : c;
    const int graph = LoadGraph(narrow.c_str());
    ASSERT_NE(graph, -1);
    const int handle = GetGraphData(graph)->movieHandle;
    MovieHandleRecord* movie = play(handle, DX_PLAYTYPE_LOOP);
    ASSERT_TRUE(updateUntil(handle, [&] { return movie->callbackRan != 0; }));
    static_cast<plat::dshow::IMediaControl*>(movie->mediaControl)->Stop();
    const int luma = movie->lumaGraph, chroma = movie->chromaGraph;
    ASSERT_NE(GetGraphData(luma), nullptr);
    ASSERT_NE(GetGraphData(chroma), nullptr);
    struct Plane {
      int graph, width, height, channels;
      std::size_t offset;
    };
    for (const Plane& p : {Plane{luma, 160, 120, 1, 0}, Plane{chroma, 80, 60, 2, 160 * 120}}) {
      BaseImage image{};
      ASSERT_EQ(GraphFilter_GetGraphImage(p.graph, &image, nullptr), 0);
      ASSERT_EQ(image.width, p.width);
      ASSERT_EQ(image.height, p.height);
      // Read back as ARGB, the first channel is red and the second green.
      const int step = image.format.bytesPerPixel;
      const bool argb = image.format.channelCount == 0;
      int worst = 0;
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
          for (int c = 0; c < p.channels; ++c) {
            const int at = y * image.pitch + x * step + (argb ? 2 - c : c);
            const int got = static_cast<const std::uint8_t*>(image.pixels)[at];
            const int want = planes[p.offset + (std::size_t(y) * p.width + x) * p.channels + c];
            worst = std::max(worst, std::abs(got - want));
          }
      EXPECT_EQ(worst, 0) << p.channels;
      ReleaseBaseImage(&image);
    }
    // A plane graph deleted behind the movie's back is made again by the next frame.
    if (round == 1) {
      EXPECT_EQ(DeleteAnyHandle(luma), 0);
      EXPECT_EQ(movie->lumaGraph, -1);
    }
    EXPECT_EQ(DeleteAnyHandle(graph), 0);
    EXPECT_EQ(GetMovieHandleRecord(handle), nullptr);
    EXPECT_EQ(GetGraphData(luma), nullptr);
    EXPECT_EQ(GetGraphData(chroma), nullptr);
  }
  Graphics_Hardware_ForceShaderModelVersionForTest(-1);
}

}  // namespace
}  // namespace halvorine_test
