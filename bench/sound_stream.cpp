// Stream refill: 16 stream sounds refilled by ProcessStreamSounds on the manual sink,
// reported as seconds of audio refilled per CPU second, beside a plain loop copying the
// same bytes into a ring with the same wraps; and float WAVE conversion in MB/s beside
// a plain C conversion loop.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"

namespace {

using namespace ZaDod;

std::vector<std::uint8_t> wave(int tag, int bits, const void* data, std::uint32_t bytes) {
  const std::uint16_t channels = 2, align = static_cast<std::uint16_t>(channels * bits / 8);
  const std::uint32_t rate = 44100, perSecond = rate * align;
  std::vector<std::uint8_t> w(44 + bytes);
  auto at = w.data();
  std::memcpy(at, "RIFF", 4);
  const std::uint32_t riff = 36 + bytes;
  std::memcpy(at + 4, &riff, 4);
  std::memcpy(at + 8, "WAVEfmt ", 8);
  const std::uint32_t fmtSize = 16;
  std::memcpy(at + 16, &fmtSize, 4);
  const std::uint16_t t = static_cast<std::uint16_t>(tag), b = static_cast<std::uint16_t>(bits);
  std::memcpy(at + 20, &t, 2);
  std::memcpy(at + 22, &channels, 2);
  std::memcpy(at + 24, &rate, 4);
  std::memcpy(at + 28, &perSecond, 4);
  std::memcpy(at + 32, &align, 2);
  std::memcpy(at + 34, &b, 2);
  std::memcpy(at + 36, "data", 4);
  std::memcpy(at + 40, &bytes, 4);
  std::memcpy(at + 44, data, bytes);
  return w;
}

void BM_StreamRefill(benchmark::State& state) {
  plat::audio::UseManualAudioSinkForTest(true);
  LoadWinAPI();
  SoundOutput = SoundOutputState{};
  SystemInfo.ProcessorNum = 1;
  if (InitializeSoundSystem() != 0) {
    state.SkipWithError("no sound output");
    return;
  }
  std::vector<std::int16_t> pcm(44100 * 2 * 2, 1000);
  std::vector<std::uint8_t> w = wave(1, 16, pcm.data(), static_cast<std::uint32_t>(pcm.size() * 2));
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 2;
  std::vector<int> handles;
  for (int i = 0; i < 16; ++i) {
    handles.push_back(LoadSoundMemByMemImageWithParams(&s, 1, -1, w.data(), static_cast<std::uint32_t>(w.size()), 1,
                                                       -1, 0, 0));
    PlaySoundMem(handles.back(), DX_PLAYTYPE_LOOP, 1);
  }
  double seconds = 0;
  for (auto _ : state) {
    plat::audio::AdvanceAudioForTest(4410);  // 100 ms for every stream
    ProcessStreamSounds();
    seconds += 0.1 * 16;
  }
  state.counters["audio_s_per_cpu_s"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
  TerminateSoundSystem();
  plat::audio::UseManualAudioSinkForTest(false);
}
BENCHMARK(BM_StreamRefill);

// The anchor: the same bytes copied into 16 one-second rings with the same wraps.
void BM_PlainRingCopy(benchmark::State& state) {
  const std::uint32_t ring = 176400, piece = 17640;
  std::vector<std::uint8_t> source(ring * 2, 7);
  std::vector<std::vector<std::uint8_t>> rings(16, std::vector<std::uint8_t>(ring));
  std::uint32_t write = 0, read = 0;
  double seconds = 0;
  for (auto _ : state) {
    for (auto& r : rings) {
      const std::uint32_t first = std::min(piece, ring - write);
      std::memcpy(r.data() + write, source.data() + read, first);
      std::memcpy(r.data(), source.data() + read + first, piece - first);
      benchmark::DoNotOptimize(r.data());
    }
    write = (write + piece) % ring;
    read = (read + piece) % ring;
    seconds += 0.1 * 16;
  }
  state.counters["audio_s_per_cpu_s"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainRingCopy);

void BM_FloatWaveConvert(benchmark::State& state) {
  std::vector<float> f(44100 * 2 * 4);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<float>(i % 200) / 100.0f - 1.0f;
  std::vector<std::uint8_t> w = wave(3, 32, f.data(), static_cast<std::uint32_t>(f.size() * 4));
  std::vector<std::uint8_t> out(f.size() * 2);
  for (auto _ : state) {
    MemStream* m = MemStreamOpen(w.data(), static_cast<std::uint32_t>(w.size()));
    StreamData data{*GetMemStreamFunctions(), m};
    SoundConvert c;
    SetupSoundConvert(&c, &data, 0, 2, 0);
    benchmark::DoNotOptimize(RunSoundConvert(&c, out.data(), static_cast<int>(out.size())));
    CloseSoundConvert(&c);
    MemStreamClose(m);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(f.size() * 4));
}
BENCHMARK(BM_FloatWaveConvert);

// The anchor: a plain C loop over the same floats.
void BM_PlainFloatLoop(benchmark::State& state) {
  std::vector<float> f(44100 * 2 * 4);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<float>(i % 200) / 100.0f - 1.0f;
  std::vector<std::int16_t> out(f.size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < f.size(); ++i) {
      float v = f[i] * 32768.0f;
      v = v > 32767.0f ? 32767.0f : v < -32768.0f ? -32768.0f : v;
      out[i] = static_cast<std::int16_t>(v);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(f.size() * 4));
}
BENCHMARK(BM_PlainFloatLoop);

}  // namespace

BENCHMARK_MAIN();
