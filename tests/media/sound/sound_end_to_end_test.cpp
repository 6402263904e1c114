// End to end: a child process on the null sink with the capture file loads a 1-s
// 440-Hz WAVE made by sox, plays it once at volume 127 or looping at full volume, and
// the script harness's sound checks run on the capture.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/media/sound/run_child.h"
#include "tests/media/sound/sound_system_fixture.h"

extern char** environ;

namespace halvorine_test {
namespace {

using namespace ZaDod;

std::string folder() { return std::string(HALVORINE_BINARY_DIR) + "/sound_end_to_end_test"; }

// Run only by the parent test below, in a child process.
TEST(SoundEndToEnd, Child) {
  const char* mode = std::getenv("HALVORINE_SOUND_MODE");
  if (mode == nullptr) GTEST_SKIP() << "run by PlaysOnceAndLooping";
  plat::audio::UseManualAudioSinkForTest(false);
  LoadWinAPI();
  SystemInfo.ProcessorNum = 2;
  ASSERT_EQ(InitializeSoundSystem(), 0);
  std::u16string path = u"C:";
  for (char c : folder() + "/a440.wav") path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  const int h = LoadSoundMem(path.c_str());
  ASSERT_NE(h, -1);
  const bool loop = std::string(mode) == "loop";
  ChangeSoundMemVolume(loop ? 255 : 127, h);
  ASSERT_EQ(PlaySoundMem(h, loop ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1), 0);
  if (loop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2400));
  } else {
    for (int i = 0; i < 300 && CheckSoundMemPlaying(h) == 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(CheckSoundMemPlaying(h), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(TerminateSoundSystem(), 0);
  if (!HasFailure()) std::exit(0);
}

TEST(SoundEndToEnd, PlaysOnceAndLooping) {
  const std::string dir = folder();
  std::system(("mkdir -p '" + dir + "'").c_str());
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 1 -b 16 '" + dir + "/a440.wav' synth 1 sine 440 vol 0.9 2>/dev/null").c_str()), 0);
  struct Case {
    const char* mode;
    const char* expect;
  } cases[] = {
      {"once", "format 44100 2\nmatch a440.wav 0.175186 1\nsilence 1.2 1.3\n"},
      {"loop", "format 44100 2\nmatch a440.wav 1.0 1 2\nsound 0.5 2.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string capture = dir + "/capture_" + c.mode + ".wav", expect = dir + "/expect_" + c.mode + ".sound";
    std::remove(capture.c_str());
    std::ofstream(expect) << c.expect;
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string s = *e;
      if (s.rfind("HALVORINE_", 0) != 0 && s.rfind("GTEST_", 0) != 0) env.push_back(s);
    }
    env.push_back("HALVORINE_HEADLESS=1");
    env.push_back("HALVORINE_AUDIO_CAPTURE=" + capture);
    env.push_back(std::string("HALVORINE_SOUND_MODE=") + c.mode);
    ASSERT_EQ(halvorine_test::runTestInChild("SoundEndToEnd.Child", env), 0) << "child failed";
    const std::string check = "python3 '" + std::string(HALVORINE_SOURCE_DIR) +
                              "/tests/scripts/harness/run_case.py' --check-sound '" + capture + "' '" + dir + "' '" +
                              expect + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << check;
  }
}

}  // namespace
}  // namespace halvorine_test
