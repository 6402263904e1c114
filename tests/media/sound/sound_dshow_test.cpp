// MP3 files the codec walk refuses, decoded through the filter graph into PCM in
// memory: the 8-kHz MPEG-2.5 fallback, agreement with the codec path, and the ways the
// conversion fails (not MP3, the window gone, the graph classes missing).
#include "media/base/memory.h"
#include "media/dshow/media_sample.h"
#include "media/sound/sound_convert_dshow.h"
#include "media/sound/sound_convert_methods.h"
#include "media/system/window_state.h"
#include "tests/media/sound/converter_fixture.h"
#include "tests/media/sound/reference_decode.h"
#include "tests/media/sound/sound_system_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

constexpr int kCodecOff = SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3;

class DShowMp3Test : public SoundSystemTest {
 protected:
  void SetUp() override {
    SoundSystemTest::SetUp();
    InitializeSoundConvert();
  }
  void TearDown() override {
    Win.Status.WindowClosed = 0;
    TerminateSoundConvert();
    unsetenv("HALVORINE_MISSING");
    SoundSystemTest::TearDown();
  }
};

// Frames of a file, counted header to header (MPEG-2.5 headers included).
int countFrames(const std::vector<std::uint8_t>& mp3) {
  static const int kRates[2][3] = {{11025, 12000, 8000}, {22050, 24000, 16000}};
  static const int kKbps[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  int frames = 0;
  for (std::size_t p = 0; p + 4 <= mp3.size(); ++frames) {
    const std::uint8_t* b = &mp3[p];
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return -1;
    const bool mpeg25 = (b[1] & 0x10) == 0;
    const int rate = kRates[mpeg25 ? 0 : 1][(b[2] >> 2) & 3];
    const int bytes = 72000 * kKbps[b[2] >> 4] / rate + ((b[2] >> 1) & 1);
    p += static_cast<std::size_t>(bytes);
  }
  return frames;
}

#define NEED_EIGHT_KHZ()                                                                             \
  HALVORINE_NEED_FILE("lame", "eight.mp3",                                                           \
                      "sox -n -r 8000 -c 1 -b 16 src8.wav synth 1.2 sine 440 sine 300 vol 0.5 && " \
                      "lame --quiet -t -b 16 src8.wav eight.mp3")

TEST_F(DShowMp3Test, EightKilohertzMpeg25LoadsThroughTheGraph) {
  NEED_EIGHT_KHZ();
  const std::vector<std::uint8_t> mp3 = readBytes("eight.mp3");
  const int frames = countFrames(mp3);
  ASSERT_GT(frames, 10);
  const std::vector<std::int16_t> reference = mpg123Reference(mp3, 8000, 1);
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(frames) * 576);
  // The codec walk refuses the file; the graph takes it. Run it several times over so
  // that each graph's threads start and end cleanly.
  Converter refused(mp3, SOUNDCONVERT_NO_DSMP3);
  EXPECT_EQ(refused.result, -1);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    Converter c(mp3);
    ASSERT_EQ(c.result, 0);
    EXPECT_EQ(c.convert.Method, SOUND_METHODTYPE_MEMORY);
    const pa::WAVEFORMATEX& f = c.convert.OutFormat;
    EXPECT_EQ(f.wFormatTag, 1);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, 8000u);
    EXPECT_EQ(f.nBlockAlign, 2);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.nAvgBytesPerSec, 16000u);
    EXPECT_EQ(GetSoundConvertDestSize(&c.convert), frames * 576 * 2);
    EXPECT_EQ(c.all(), reference);
  }
  const int h = LoadSoundMemByMemImage(mp3.data(), static_cast<std::uint32_t>(mp3.size()), 1);
  ASSERT_NE(h, -1);
  EXPECT_EQ(GetSoundMemTotalSample(h), frames * 576);
  EXPECT_EQ(GetSoundMemFrequency(h), 8000);
  DeleteSoundMem(h);
}

TEST_F(DShowMp3Test, MpegOneThroughTheGraphMatchesTheCodecPath) {
  HALVORINE_NEED_FILE("lame", "one.mp3",
                      "sox -n -r 44100 -c 2 -b 16 srcm.wav synth 1 sine 440 sine 550 vol 0.6 && "
                      "lame --quiet -t -b 128 srcm.wav one.mp3");
  const std::vector<std::uint8_t> mp3 = readBytes("one.mp3");
  Converter codec(mp3, SOUNDCONVERT_NO_DSMP3);
  ASSERT_EQ(codec.result, 0);
  Converter graph(mp3, kCodecOff);
  ASSERT_EQ(graph.result, 0);
  EXPECT_EQ(graph.convert.Method, SOUND_METHODTYPE_MEMORY);
  EXPECT_EQ(GetSoundConvertDestSize(&graph.convert), GetSoundConvertDestSize(&codec.convert));
  EXPECT_EQ(graph.all(), codec.all());
}

TEST_F(DShowMp3Test, RefusalsFailCleanly) {
  NEED_EIGHT_KHZ();
  const std::vector<std::uint8_t> mp3 = readBytes("eight.mp3");
  std::vector<std::uint8_t> text(3000, 'x');
  struct Case {
    const char* name;
    const std::vector<std::uint8_t>* file;
    const char* missing;
    bool windowGone;
  } cases[] = {{"not MP3", &text, nullptr, false},
               {"window gone", &mp3, nullptr, true},
               {"graph classes missing", &mp3, "dshow", false}};
  for (int round = 0; round < 2; ++round) {
    for (const Case& k : cases) {
      SCOPED_TRACE(k.name);
      if (k.missing != nullptr) setenv("HALVORINE_MISSING", k.missing, 1);
      Win.Status.WindowClosed = k.windowGone ? 1 : 0;
      Converter c(*k.file, kCodecOff);
      EXPECT_EQ(c.result, -1);
      Win.Status.WindowClosed = 0;
      unsetenv("HALVORINE_MISSING");
    }
  }
  // The same file loads again afterwards.
  Converter c(mp3);
  EXPECT_EQ(c.result, 0);
}

}  // namespace
}  // namespace halvorine_test
