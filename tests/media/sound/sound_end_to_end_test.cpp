// End to end: a child process on the null sink with the capture file loads a sound
// (a 1-s 440-Hz WAVE made by sox, an Ogg Vorbis file with loop comments, an MP3), plays
// it once at volume 127 or looping at full volume, and the script harness's sound
// checks run on the capture.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/media/sound/reference_decode.h"
#include "tests/media/sound/run_child.h"
#include "tests/media/sound/sound_system_fixture.h"

extern char** environ;

namespace halvorine_test {
namespace {

using namespace ZaDod;

// The parent's own folder (the whole-program run of this test program may run the same
// test beside it), handed to its children.
std::string folder() {
  if (const char* given = std::getenv("HALVORINE_SOUND_FOLDER")) return given;
  return std::string(HALVORINE_BINARY_DIR) + "/sound_end_to_end_test." + std::to_string(getpid());
}

// Run only by the parent test below, in a child process.
TEST(SoundEndToEnd, Child) {
  const char* mode = std::getenv("HALVORINE_SOUND_MODE");
  if (mode == nullptr) GTEST_SKIP() << "run by PlaysOnceAndLooping";
  plat::audio::UseManualAudioSinkForTest(false);
  LoadWinAPI();
  SystemInfo.ProcessorNum = 2;
  ASSERT_EQ(InitializeSoundSystem(), 0);
  InitializeSoundConvert();
  const char* file = std::getenv("HALVORINE_SOUND_FILE");
  std::u16string path = u"C:";
  for (char c : folder() + "/" + (file != nullptr ? file : "a440.wav")) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  const int h = LoadSoundMem(path.c_str());
  ASSERT_NE(h, -1);
  const bool loop = std::string(mode) == "loop";
  // "whole" plays once at full volume: a decoder's quiet lead-in stays visible, so the
  // capture lines up with the reference from its first sample.
  ChangeSoundMemVolume(loop || std::string(mode) == "whole" ? 255 : 127, h);
  ASSERT_EQ(PlaySoundMem(h, loop ? DX_PLAYTYPE_LOOP : DX_PLAYTYPE_BACK, 1), 0);
  if (loop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2400));
  } else {
    for (int i = 0; i < 300 && CheckSoundMemPlaying(h) == 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(CheckSoundMemPlaying(h), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(TerminateSoundSystem(), 0);
  TerminateSoundConvert();
  if (!HasFailure()) std::exit(0);
}

TEST(SoundEndToEnd, PlaysOnceAndLooping) {
  const std::string dir = folder();
  std::system(("mkdir -p '" + dir + "'").c_str());
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 1 -b 16 '" + dir + "/a440.wav' synth 1 sine 440 vol 0.9 2>/dev/null").c_str()), 0);
  // An Ogg Vorbis file with loop comments loops from its loop start; an MP3 plays once.
  // The references are the libraries' own decodes, the looped one laid out as it
  // should sound: the file to its loop end, then the loop twice.
  const bool encoders = haveTool("oggenc") && haveTool("lame");
  if (encoders) {
    const std::string make = "cd '" + dir + "' && sox -n -r 44100 -c 2 -b 16 src.wav synth 1.5 sine 440 sine 550 vol 0.6 && "
                             "oggenc -Q -c LOOPSTART=22050 -c LOOPLENGTH=22050 -o loop.ogg src.wav && "
                             "lame --quiet -b 128 src.wav once.mp3 && cp loop.ogg once.mp3 '" + codecFolder() + "'";
    ASSERT_EQ(std::system((make + " >/dev/null 2>&1").c_str()), 0);
    const std::vector<std::int16_t> ogg = vorbisReference("loop.ogg");
    ASSERT_GE(ogg.size(), 44100u * 2);
    std::vector<std::int16_t> looped(ogg.begin(), ogg.begin() + 44100 * 2);
    for (int r = 0; r < 2; ++r) looped.insert(looped.end(), ogg.begin() + 22050 * 2, ogg.begin() + 44100 * 2);
    std::vector<std::uint8_t> w = makeWave(1, 2, 44100, 16, looped.data(), static_cast<std::uint32_t>(looped.size() * 2));
    std::ofstream(dir + "/loop_ref.wav", std::ios::binary).write(reinterpret_cast<const char*>(w.data()), static_cast<std::streamsize>(w.size()));
    const std::vector<std::int16_t> mp3 = mpg123Reference(readBytes("once.mp3"), 44100, 2);
    w = makeWave(1, 2, 44100, 16, mp3.data(), static_cast<std::uint32_t>(mp3.size() * 2));
    std::ofstream(dir + "/mp3_ref.wav", std::ios::binary).write(reinterpret_cast<const char*>(w.data()), static_cast<std::streamsize>(w.size()));
  }
  struct Case {
    const char* mode;
    const char* file;
    const char* expect;
  } cases[] = {
      {"once", "a440.wav", "format 44100 2\nmatch a440.wav 0.175186 1\nsilence 1.2 1.3\n"},
      {"loop", "a440.wav", "format 44100 2\nmatch a440.wav 1.0 1 2\nsound 0.5 2.0\n"},
      {"loop", "loop.ogg", "format 44100 2\nmatch loop_ref.wav 1.0 1\n"},
      {"whole", "once.mp3", "format 44100 2\nmatch mp3_ref.wav 1.0 1\n"},
  };
  for (const Case& c : cases) {
    if (!encoders && std::string(c.file) != "a440.wav") continue;
    SCOPED_TRACE(std::string(c.mode) + " " + c.file);
    const std::string capture = dir + "/capture_" + c.mode + "_" + c.file + ".wav",
                      expect = dir + "/expect_" + c.mode + "_" + c.file + ".sound";
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
    env.push_back(std::string("HALVORINE_SOUND_FILE=") + c.file);
    env.push_back("HALVORINE_SOUND_FOLDER=" + dir);
    ASSERT_EQ(halvorine_test::runTestInChild("SoundEndToEnd.Child", env), 0) << "child failed";
    const std::string check = "python3 '" + std::string(HALVORINE_SOURCE_DIR) +
                              "/tests/scripts/harness/run_case.py' --check-sound '" + capture + "' '" + dir + "' '" +
                              expect + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << check;
  }
  if (!HasFailure()) std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
}  // namespace halvorine_test
