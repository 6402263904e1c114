// What the sound benchmarks share: the sound system started once on the manual sink,
// and a whole file converted in 64-KiB pieces per iteration, counted in seconds of
// audio per second.
#pragma once
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <vector>

#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"

namespace sound_bench {

inline void startSound() {
  static bool started = [] {
    plat::audio::UseManualAudioSinkForTest(true);
    ZaDod::LoadWinAPI();
    ZaDod::SoundOutput = ZaDod::SoundOutputState{};
    ZaDod::SystemInfo.ProcessorNum = 1;
    ZaDod::InitializeSoundSystem();
    ZaDod::InitializeSoundConvert();
    return true;
  }();
  (void)started;
}

inline void audioRate(benchmark::State& state, double seconds) {
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Converts `bytes` whole with the converter's `disable` flags, once per iteration.
inline void convertBytes(benchmark::State& state, const std::vector<std::uint8_t>& bytes, int disable, double seconds) {
  startSound();
  if (bytes.empty()) {
    state.SkipWithError("encoder not installed");
    return;
  }
  std::vector<std::uint8_t> out(1 << 16);
  for (auto _ : state) {
    ZaDod::MemStream* m = ZaDod::MemStreamOpen(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ZaDod::StreamData data{*ZaDod::GetMemStreamFunctions(), m};
    ZaDod::SoundConvert c;
    if (ZaDod::SetupSoundConvert(&c, &data, disable, 2, 0) != 0) {
      state.SkipWithError("converter refused the file");
      ZaDod::MemStreamClose(m);
      return;
    }
    while (ZaDod::RunSoundConvert(&c, out.data(), static_cast<int>(out.size())) > 0) benchmark::DoNotOptimize(out.data());
    ZaDod::CloseSoundConvert(&c);
    ZaDod::MemStreamClose(m);
  }
  audioRate(state, seconds);
}

// libmpg123's own decode loop over the whole file, once per iteration: the anchor the
// MP3 paths are measured against.
inline void bareMp3(benchmark::State& state, const std::vector<std::uint8_t>& bytes, double seconds) {
  if (bytes.empty()) {
    state.SkipWithError("no file");
    return;
  }
  mpg123_init();
  std::vector<unsigned char> out(1 << 16);
  for (auto _ : state) {
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_open_feed(h);
    mpg123_feed(h, bytes.data(), bytes.size());
    std::size_t got = 0;
    int r;
    while ((r = mpg123_read(h, out.data(), out.size(), &got)) == MPG123_OK || r == MPG123_NEW_FORMAT)
      benchmark::DoNotOptimize(out.data());
    mpg123_delete(h);
  }
  audioRate(state, seconds);
}

}  // namespace sound_bench
