// End to end: a child process with the null sink and the capture file plays one second
// of a WAVE made by sox at volume -1496; the capture must hold exactly that, scaled.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/win/path.h"
#include "tests/media/sound/run_child.h"
#include "tests/media/sound/sound_fixture.h"
#include "tests/platform/audio/midi_file.h"

extern char** environ;

namespace halvorine_test {
namespace {

using namespace ZaDod;

struct Wave {
  int channels = 0, rate = 0, bits = 0;
  std::uint32_t riffSize = 0, dataSize = 0;
  std::vector<std::int16_t> samples;
};

std::uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }

// Reads a PCM WAVE file's format and data chunk; false when it is not one.
bool readWave(const std::string& path, Wave* w) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return false;
  w->riffSize = le32(b.data() + 4);
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = le32(b.data() + at + 4);
    const unsigned char* body = b.data() + at + 8;
    if (at + 8 + size > b.size()) return false;
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
      w->channels = body[2] | body[3] << 8;
      w->rate = static_cast<int>(le32(body + 4));
      w->bits = body[14] | body[15] << 8;
    } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
      w->dataSize = size;
      w->samples.resize(size / 2);
      std::memcpy(w->samples.data(), body, size / 2 * 2);
      return w->channels != 0;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

// The environment of a child that runs headless and captures its sound into `capture`:
// the parent's own, without its HALVORINE_ and GTEST_ settings.
std::vector<std::string> captureChildEnvironment(const std::string& capture) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string s = *e;
    if (s.rfind("HALVORINE_", 0) != 0 && s.rfind("GTEST_", 0) != 0) env.push_back(s);
  }
  env.push_back("HALVORINE_HEADLESS=1");
  env.push_back("HALVORINE_AUDIO_CAPTURE=" + capture);
  return env;
}

// The child's part: runs only when the parent starts it.
TEST_F(SoundOutputTest, CaptureChild) {
  const char* source = std::getenv("HALVORINE_SOUND_SOURCE");
  if (source == nullptr) GTEST_SKIP() << "run by CaptureHoldsTheScaledSource";
  plat::audio::UseManualAudioSinkForTest(false);
  Wave w;
  ASSERT_TRUE(readWave(source, &w));
  ASSERT_EQ(InitializeSoundOutput(), 0);
  ASSERT_EQ(plat::audio::CurrentAudioSinkForTest(), "null");
  const std::uint32_t frames = static_cast<std::uint32_t>(w.samples.size() / 2);
  SoundBuffer* b = makeBuffer(2, 16, 44100, frames);
  ASSERT_NE(b, nullptr);
  write(b, w.samples.data(), frames * 4);
  b->Volume[0] = b->Volume[1] = -1496;
  SoundBuffer_ApplyVolume(b);
  ASSERT_EQ(SoundBuffer_Play(b, 0), 0);
  for (int i = 0; i < 3000 && SoundBuffer_IsPlaying(b) == 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(SoundBuffer_IsPlaying(b), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // some silence after it
  // Leave with the output still open, as a fatal exit would: the capture's sizes are
  // written at exit all the same.
  if (!HasFailure()) std::exit(0);
}

TEST(SoundCapture, CaptureHoldsTheScaledSource) {
  // A folder of this process's own: the whole-program run may run this test beside it.
  const std::string dir = std::string(HALVORINE_BINARY_DIR) + "/sound_capture_test." + std::to_string(getpid());
  std::system(("mkdir -p '" + dir + "'").c_str());
  const std::string source = dir + "/a440.wav", capture = dir + "/capture.wav";
  std::remove(capture.c_str());
  if (std::system(("sox -n -r 44100 -c 2 -b 16 '" + source + "' synth 1 sine 440 vol 0.9 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh)";
  }
  Wave src;
  ASSERT_TRUE(readWave(source, &src));
  ASSERT_EQ(src.samples.size(), 44100u * 2);

  std::vector<std::string> env = captureChildEnvironment(capture);
  env.push_back("HALVORINE_SOUND_SOURCE=" + source);
  ASSERT_EQ(halvorine_test::runTestInChild("SoundOutputTest.CaptureChild", env), 0) << "child failed";

  Wave cap;
  ASSERT_TRUE(readWave(capture, &cap));
  EXPECT_EQ(cap.channels, 2);
  EXPECT_EQ(cap.rate, 44100);
  EXPECT_EQ(cap.bits, 16);
  EXPECT_EQ(cap.riffSize, cap.dataSize + 36);
  const size_t capFrames = cap.samples.size() / 2;
  auto silent = [](const std::vector<std::int16_t>& s, size_t f) { return s[2 * f] == 0 && s[2 * f + 1] == 0; };
  size_t first = 0;
  while (first < capFrames && silent(cap.samples, first)) ++first;
  size_t lead = 0;
  while (silent(src.samples, lead)) ++lead;
  ASSERT_GE(first, lead);
  const size_t start = first - lead;
  ASSERT_GE(capFrames, start + 44100) << "capture too short";
  int worst = 0;
  for (size_t i = 0; i < 44100 * 2; ++i) {
    const int want = static_cast<int>(std::lround(src.samples[i] * 0.178649));
    worst = std::max(worst, std::abs(cap.samples[2 * start + i] - want));
  }
  EXPECT_LE(worst, 1);
  for (size_t f = start + 44100; f < capFrames; ++f) ASSERT_TRUE(silent(cap.samples, f)) << "frame " << f;
  EXPECT_GT(capFrames, start + 44100);  // silence follows
  if (!HasFailure()) std::system(("rm -rf '" + dir + "'").c_str());
}

// The child's part: a MIDI file through the MCI sequencer (mode 0) or a DirectMusic
// segment (mode 1), on the manual sink with the capture file; mixes until the end.
TEST_F(SoundOutputTest, MusicCaptureChild) {
  const char* file = std::getenv("HALVORINE_MIDI_FILE");
  if (file == nullptr) GTEST_SKIP() << "run by MusicIsHeardInTheCapture";
  SoundOutput.MusicMode = std::atoi(std::getenv("HALVORINE_MIDI_MODE"));
  ASSERT_EQ(InitializeSoundOutput(), 0);
  ASSERT_EQ(SoundOutput.MusicMode, SoundOutput.MusicMode != 0 ? 1 : 0);
  const std::u16string path = plat::win::utf16FromUtf8(file);
  auto playing = [&]() -> std::function<bool()> {
    if (SoundOutput.MusicMode == 0) {
      pa::MCI_OPEN_PARMSW open{0, 0, u"sequencer", path.c_str(), nullptr};
      EXPECT_EQ(pa::mciSendCommandW(0, pa::MCI_OPEN, pa::MCI_OPEN_TYPE | pa::MCI_OPEN_ELEMENT,
                                    reinterpret_cast<std::uintptr_t>(&open)),
                0u);
      SoundOutput.MciDeviceId = open.wDeviceID;
      pa::MCI_PLAY_PARMS play{0, 0, 0};
      EXPECT_EQ(pa::mciSendCommandW(open.wDeviceID, pa::MCI_PLAY, 0, reinterpret_cast<std::uintptr_t>(&play)), 0u);
      SoundOutput.MciPlaying = 1;
      return [id = open.wDeviceID] {
        pa::MCI_STATUS_PARMS mode{0, 0, pa::MCI_STATUS_MODE, 0};
        pa::mciSendCommandW(id, pa::MCI_STATUS, pa::MCI_STATUS_ITEM, reinterpret_cast<std::uintptr_t>(&mode));
        return mode.dwReturn == pa::MCI_MODE_PLAY;
      };
    }
    pa::DMUS_OBJECTDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwValidData = pa::DMUS_OBJ_CLASS | pa::DMUS_OBJ_FILENAME | pa::DMUS_OBJ_FULLPATH;
    desc.guidClass = pa::CLSID_DirectMusicSegment;
    std::copy(path.begin(), path.end(), desc.wszFileName);
    void* segment = nullptr;
    EXPECT_EQ(SoundOutput.MusicLoader->GetObject(&desc, pa::IID_IDirectMusicSegment8, &segment), 0);
    // Playing from the moment it is started, as a music handle is.
    static MusicPlayRecord held;
    held = {1, 0, static_cast<pa::IDirectMusicSegment8*>(segment)};
    MusicPlayRecord* record = &held;
    EXPECT_EQ(SoundOutput.MusicPerformance->PlaySegmentEx(record->Segment, nullptr, nullptr, 0, 0, nullptr, nullptr,
                                                          nullptr),
              0);
    return [record] {
      RefreshMusicPlayState(record);
      if (record->StartedFlag && !record->PlayFlag) {
        EXPECT_EQ(GetMusicPlayState(record), 0);
        ReleaseMusicSegment(record);
        return false;
      }
      return true;
    };
  }();
  for (int i = 0; i < 1000 && playing(); ++i) plat::audio::AdvanceAudioForTest(441);
  EXPECT_FALSE(playing());
  plat::audio::AdvanceAudioForTest(441 * 20);  // some silence after it
  EXPECT_EQ(TerminateSoundOutput(), 0);
  if (!HasFailure()) std::exit(0);
}

TEST(SoundCapture, MusicIsHeardInTheCapture) {
  if (plat::audio::MidiSoundFontPath() == nullptr) GTEST_SKIP() << "no FluidSynth or sound font";
  const std::string dir = std::string(HALVORINE_BINARY_DIR) + "/music_capture_test." + std::to_string(getpid());
  std::system(("mkdir -p '" + dir + "'").c_str());
  const std::vector<std::uint8_t> midi = makeMidi({{72, 0, 400}, {76, 400, 400}, {79, 800, 700}}, 48);
  const std::string file = dir + "/tune.mid";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  std::fwrite(midi.data(), 1, midi.size(), f);
  std::fclose(f);
  const Span reference = audibleSpan(referenceRender(midi));
  for (const char* mode : {"0", "1"}) {
    SCOPED_TRACE(mode);
    const std::string capture = dir + "/capture" + mode + ".wav";
    std::vector<std::string> env = captureChildEnvironment(capture);
    env.push_back("HALVORINE_MIDI_FILE=" + file);
    env.push_back(std::string("HALVORINE_MIDI_MODE=") + mode);
    ASSERT_EQ(halvorine_test::runTestInChild("SoundOutputTest.MusicCaptureChild", env), 0) << "child failed";
    Wave cap;
    ASSERT_TRUE(readWave(capture, &cap));
    const Span heard = audibleSpan(cap.samples);
    EXPECT_GT(heard.end, heard.first);
    EXPECT_NEAR(heard.seconds(), reference.seconds(), 0.1);
    EXPECT_LT(heard.end + 441 * 10, cap.samples.size() / 2);  // silence follows
  }
  if (!HasFailure()) std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
}  // namespace halvorine_test
