// The movie tests' fixture files and environment.
#include "tests/media/movie/movie_fixture.h"

#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "media/base/clock.h"
#include "media/movie/movie.h"
#include "media/movie/yuv_tables.h"
#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"
#include "platform/win/win_clock.h"

namespace halvorine_test {

const std::vector<std::uint8_t>& MovieRegular() {
  static const std::vector<std::uint8_t> data = [] {
    OgvOptions o;
    o.vorbis = true;
    return MakeOgv(o);
  }();
  return data;
}

const std::vector<std::uint8_t>& MovieCropped() {
  static const std::vector<std::uint8_t> data = [] {
    OgvOptions o;
    o.width = 100, o.height = 60, o.picX = 4, o.picY = 2, o.frames = 6;
    return MakeOgv(o);
  }();
  return data;
}

const std::vector<std::uint8_t>& Movie444() {
  static const std::vector<std::uint8_t> data = [] {
    OgvOptions o;
    o.width = 64, o.height = 48, o.frames = 4, o.format = TH_PF_444;
    return MakeOgv(o);
  }();
  return data;
}

const std::vector<std::uint8_t>& MovieRepeats() {
  static const std::vector<std::uint8_t> data = [] {
    OgvOptions o;
    o.width = 32, o.height = 32, o.frames = 20, o.keyEvery = 1, o.gapAfter = 9, o.gapFrames = 3;
    return MakeOgv(o);
  }();
  return data;
}

std::u16string MovieFile(const std::string& name, const std::vector<std::uint8_t>& data) {
  // One folder per process: ctest runs the tests of this program side by side, and a
  // file rewritten by one must never be read half written by another.
  const std::string dir = std::string(HALVORINE_BINARY_DIR) + "/movie_test/" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  std::u16string wide = u"C:";
  for (char c : path) wide += c == '/' ? u'\\' : static_cast<char16_t>(c);
  return wide;
}

MemMovieStream::MemMovieStream(const std::vector<std::uint8_t>& bytes)
    : data{*ZaDod::GetMemStreamFunctions(), ZaDod::MemStreamOpen(bytes.data(), static_cast<std::uint32_t>(bytes.size()))} {}
MemMovieStream::~MemMovieStream() { ZaDod::MemStreamClose(static_cast<ZaDod::MemStream*>(data.DataPoint)); }

ZaDod::MovieHandleRecord* PlayMovie(int handle, int playType) {
  ZaDod::MovieHandleRecord* movie = ZaDod::GetMovieHandleRecord(handle);
  movie->playType = playType;
  movie->playRequested = 1;
  EXPECT_EQ(ZaDod::ResumeSuspendedMovies(), 0);
  EXPECT_EQ(movie->paused, 0);
  return movie;
}

int StartSoftwareGraphics() {
  setenv("HALVORINE_HEADLESS", "1", 1);
  setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
  ZaDod::GraphicsSys.colorBits = 32;
  return ZaDod::InitializeGraphics();
}

void StopSoftwareGraphics() {
  ZaDod::TerminateGraphics();
  ZaDod::GraphicsSys.colorBits = 0;
  unsetenv("HALVORINE_MISSING");
}

void MovieTest::SetUp() {
  unsetenv("HALVORINE_MISSING");
  plat::audio::UseManualAudioSinkForTest(true);
  ZaDod::LoadWinAPI();
  ZaDod::SetupPerformanceCounter();
  plat::win::HoldClockForTest(1000000000000LL);
  ZaDod::SetupYUVToRGBTables();
  ZaDod::SoundOutput = ZaDod::SoundOutputState{};
  ZaDod::SystemInfo.ProcessorNum = 1;  // no sound thread: the tests drive everything
  ZaDod::InitializeSoundSystem();
  ASSERT_EQ(ZaDod::InitializeMovie(), 0);
}

void MovieTest::TearDown() {
  EXPECT_EQ(ZaDod::TerminateMovie(), 0);
  ZaDod::TerminateSoundSystem();
  ZaDod::SoundOutput = ZaDod::SoundOutputState{};
  plat::audio::UseManualAudioSinkForTest(false);
  plat::win::ReleaseClockForTest();
}

}  // namespace halvorine_test
