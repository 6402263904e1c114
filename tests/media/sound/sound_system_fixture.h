// Sound handle tests: the sound system started on the manual sink without a sound
// thread, WAVE images made in memory, and the mixed output read back.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"

namespace halvorine_test {

// A RIFF WAVE image: format tag, channels, rate, bits, the data, and optional chunks
// before "fmt ". dataSizeField overrides the "data" chunk's size field.
inline std::vector<std::uint8_t> makeWave(int tag, int channels, int rate, int bits, const void* data,
                                          std::uint32_t bytes, const std::vector<std::uint8_t>& before = {},
                                          std::int64_t dataSizeField = -1, int fmtSize = 16, int blockAlign = -1) {
  std::vector<std::uint8_t> w;
  auto put = [&](const void* p, std::size_t n) { w.insert(w.end(), static_cast<const std::uint8_t*>(p), static_cast<const std::uint8_t*>(p) + n); };
  auto put32 = [&](std::uint32_t v) { put(&v, 4); };
  auto put16 = [&](std::uint16_t v) { put(&v, 2); };
  put("RIFF", 4);
  put32(0);
  put("WAVE", 4);
  put(before.data(), before.size());
  put("fmt ", 4);
  put32(static_cast<std::uint32_t>(fmtSize));
  const int align = blockAlign >= 0 ? blockAlign : channels * bits / 8;
  put16(static_cast<std::uint16_t>(tag));
  put16(static_cast<std::uint16_t>(channels));
  put32(static_cast<std::uint32_t>(rate));
  put32(static_cast<std::uint32_t>(rate * align));
  put16(static_cast<std::uint16_t>(align));
  put16(static_cast<std::uint16_t>(bits));
  for (int i = 16; i < fmtSize; ++i) w.push_back(0);
  put("data", 4);
  put32(dataSizeField >= 0 ? static_cast<std::uint32_t>(dataSizeField) : bytes);
  put(data, bytes);
  const std::uint32_t riff = static_cast<std::uint32_t>(w.size() - 8);
  std::memcpy(w.data() + 4, &riff, 4);
  return w;
}

// A recognisable 16-bit signal: every sample differs from its neighbours.
inline std::vector<std::int16_t> ramp(std::size_t count, int step = 7) {
  std::vector<std::int16_t> s(count);
  for (std::size_t i = 0; i < count; ++i) s[i] = static_cast<std::int16_t>((static_cast<int>(i) * step) % 20000 - 10000);
  return s;
}

// The left channel of a stereo capture.
inline std::vector<std::int16_t> left(const std::vector<std::int16_t>& stereo) {
  std::vector<std::int16_t> l(stereo.size() / 2);
  for (std::size_t i = 0; i < l.size(); ++i) l[i] = stereo[2 * i];
  return l;
}

// The index of the first sample that is not silent (the size when there is none).
inline std::size_t firstSound(const std::vector<std::int16_t>& s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == 0) ++i;
  return i;
}

// Compares capture[at..] with want × gain within tolerance; returns the first mismatch or -1.
inline long mismatch(const std::vector<std::int16_t>& capture, std::size_t at, const std::vector<std::int16_t>& want,
                     double gain = 1.0, int tolerance = 0) {
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (at + i >= capture.size()) return static_cast<long>(i);
    if (std::abs(capture[at + i] - want[i] * gain) > tolerance + 0.5) return static_cast<long>(i);
  }
  return -1;
}

// The sound system on the manual sink with a fresh output state, with a sound thread
// when processors is above 1, on the XAudio2 output when asked; answers
// InitializeSoundSystem's result.
inline int startManualSoundSystem(int processors, bool xaudio2 = false) {
  unsetenv("HALVORINE_MISSING");
  plat::audio::UseManualAudioSinkForTest(true);
  ZaDod::LoadWinAPI();
  ZaDod::SoundOutput = ZaDod::SoundOutputState{};
  ZaDod::SoundOutput.UseXAudio2Flag = xaudio2 ? 1 : 0;
  ZaDod::SystemInfo.ProcessorNum = processors;
  return ZaDod::InitializeSoundSystem();
}
inline void stopManualSoundSystem() {
  ZaDod::TerminateSoundSystem();
  ZaDod::SoundOutput = ZaDod::SoundOutputState{};
  plat::audio::UseManualAudioSinkForTest(false);
}

// Mixes `frames` frames in 10-ms steps, refilling streams before each step as the pump
// would; returns the captured interleaved stereo samples.
inline std::vector<std::int16_t> mixFrames(std::uint32_t frames) {
  for (std::uint32_t done = 0; done < frames; done += 441) {
    ZaDod::ProcessStreamSounds();
    plat::audio::AdvanceAudioForTest(441);
  }
  return plat::audio::TakeCapturedAudioForTest();
}

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(startManualSoundSystem(processors(), xaudio2()), 0);
    plat::audio::TakeCapturedAudioForTest();
  }
  void TearDown() override { stopManualSoundSystem(); }
  virtual int processors() { return 1; }
  virtual bool xaudio2() { return false; }

  static std::vector<std::int16_t> run(std::uint32_t frames) { return mixFrames(frames); }

  int loadMono16(const std::vector<std::int16_t>& samples, int rate = 44100, int buffers = 1) {
    image = makeWave(1, 1, rate, 16, samples.data(), static_cast<std::uint32_t>(samples.size() * 2));
    return ZaDod::LoadSoundMemByMemImage(image.data(), static_cast<std::uint32_t>(image.size()), buffers);
  }

  std::vector<std::uint8_t> image;
};

}  // namespace halvorine_test
