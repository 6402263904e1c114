// Sound objects on the manual sink: a sound that did not load, the volume
// and loop cells, refusals, and loading, playing and disposing in a loop.
#include <cstdint>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/media/sound/sound_system_fixture.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

using Lines = std::vector<std::string>;

class SoundObjectTest : public ScriptTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(halvorine_test::startManualSoundSystem(1), 0);
    ScriptTest::SetUp();
  }
  void TearDown() override {
    ScriptTest::TearDown();
    halvorine_test::stopManualSoundSystem();
  }
  // A 16-bit stereo WAVE of `frames` frames in the test folder; answers its path.
  std::string writeWave(const char* name, uint32_t frames) {
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 37 % 20000 - 10000);
    std::vector<uint8_t> w =
        halvorine_test::makeWave(1, 2, 44100, 16, samples.data(), static_cast<uint32_t>(samples.size() * 2));
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(w.data()), static_cast<std::streamsize>(w.size()));
    return path;
  }
  static Lines withoutFileNumbers(Lines out) {
    for (std::string& l : out) l = std::regex_replace(l, std::regex(" F:[0-9]+ "), " ");
    return out;
  }
};

TEST_P(SoundObjectTest, ASoundThatDidNotLoadRefusesQuietly) {
  Lines out = withoutFileNumbers(runScript(
      "System.setRuntimeWarningLimit(20, 4);\n"
      "var s = load_sound(\"missing.wav\");\n"
      "console.log(s.getVolume() @ \" \" @ s.volume @ \" \" @ s.isLoop() @ \" \" @ s.isPlaying() @ \" \" @ s.getTotalTime());\n"
      "s.setVolume(300); var a = s.getVolume(); s.setVolume(-5); var b = s.getVolume(); s.setVolume(12.5);\n"
      "console.log(a @ \" \" @ b @ \" \" @ s.getVolume() @ \" \" @ s.volume);\n"
      "console.log(s.loop); s.loop = true; s.volume = 9;\n"
      "console.log(s.loop @ \" \" @ s.isLoop() @ \" \" @ s.getVolume() @ \" \" @ s.volume);\n"
      "play_sound(3); play_sound(); stop_sound(4); play_sound(s, true); stop_sound(s);\n"
      "s.dispose(); console.log(s.getCurrentTime() @ \" \" @ s.getTotalSample() @ \" \" @ s.getCurrentPosition());\n"
      "var t = load_sound(12); console.log(typeof t @ \" \" @ t.getVolume());\n"));
  EXPECT_EQ(out, (Lines{"Wr0005 L:2 failed to load resources", "  load_sound could not load: missing.wav",
                        "127 127 false false -1", "255 0 0 127", "false",
                        "true false 0 9", "Wr0004 L:8 wrong argument", "  wrong argument to play_sound",
                        "Wr0004 L:8 wrong argument", "  wrong argument to stop_sound", "-1 -1 -1",
                        "Wr0004 L:10 wrong argument", "  wrong argument to load_sound",
                        "Wr0005 L:10 failed to load resources", "object 127"}));
}

// Loading, playing, moving and disposing again and again: every sound reports
// its own length, positions read back in bytes, and a disposed sound is gone.
TEST_P(SoundObjectTest, LoadPlayDisposeInALoop) {
  std::string path = writeWave("tone.wav", 4410);
  Lines out = withoutFileNumbers(runScript(
      "var keep = load_sound(\"" + path + "\"); var ok = 0; var i = 0;\n"
      "while (i < 200) {\n"
      "  var s = load_sound(\"" + path + "\");\n"
      "  s.setCurrentPosition(i); var p = s.getCurrentPosition();\n"
      "  play_sound(s, i % 2 == 0); var playing = s.isPlaying(); s.stop();\n"
      "  if (s.getTotalSample() == 4410 && s.getTotalTime() == 100 && p == i * 4 && playing && !s.isPlaying()) ok++;\n"
      "  if (i % 3 != 0) s.dispose();\n"
      "  if (i % 40 == 0) { dz000(); wait; }\n"
      "  i++;\n"
      "}\n"
      "keep.setVolume(200); play_sound(keep, false);\n"
      "console.log(ok @ \" \" @ keep.getTotalSample() @ \" \" @ keep.isPlaying() @ \" \" @ keep.getVolume());\n"
      "keep.dispose(); console.log(keep.isPlaying() @ \" \" @ keep.getTotalSample());\n",
      200));
  EXPECT_EQ(out, (Lines{"200 4410 true 200", "false -1"}));
}

INSTANTIATE_TEST_SUITE_P(Collector, SoundObjectTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
