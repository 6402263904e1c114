// Mixer throughput: 32 looping 16-bit stereo voices with distinct gains and pans mixed
// in 10-ms quanta by the sound stand-in's mixer, each case beside a plain loop that
// sums int16 x float gain into float and clamps; once at the output rate and once with
// every voice at 22050 Hz (linear interpolation). Rates are output frames per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <vector>

#include "platform/audio/audio_test.h"
#include "platform/audio/dsound.h"
#include "platform/audio/mixer.h"

namespace pa = plat::audio;

namespace {

constexpr int kVoices = 32;
constexpr int kFrames = 44100;  // one second per voice, a whole number of quanta
constexpr int kQuantum = pa::kQuantumFrames;

struct Voices {
  std::vector<std::vector<std::int16_t>> data;
  float left[kVoices], right[kVoices];
  pa::LONG volume[kVoices], pan[kVoices];
  Voices() {
    data.resize(kVoices);
    for (int v = 0; v < kVoices; ++v) {
      data[v].resize(kFrames * 2);
      for (int i = 0; i < kFrames * 2; ++i) {
        data[v][i] = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(0.001 * (v + 1) * i)));
      }
      volume[v] = -100 * v;
      pan[v] = -3000 + 200 * v;
      const float g = std::pow(10.0f, volume[v] / 2000.0f);
      left[v] = pan[v] > 0 ? g * std::pow(10.0f, -pan[v] / 2000.0f) : g;
      right[v] = pan[v] < 0 ? g * std::pow(10.0f, pan[v] / 2000.0f) : g;
    }
  }
};

const Voices& voices() {
  static const Voices v;
  return v;
}

void store(const float* mixed, std::int16_t* out) {
  for (int i = 0; i < kQuantum * 2; ++i) out[i] = static_cast<std::int16_t>(std::lrintf(std::clamp(mixed[i], -32768.0f, 32767.0f)));
}

// The anchor: one plain loop per voice at the output rate.
void BM_PlainLoop(benchmark::State& state) {
  const Voices& vs = voices();
  float mixed[kQuantum * 2];
  std::int16_t out[kQuantum * 2];
  int position = 0;
  for (auto _ : state) {
    std::fill(std::begin(mixed), std::end(mixed), 0.0f);
    for (int v = 0; v < kVoices; ++v) {
      const std::int16_t* s = vs.data[v].data() + 2 * position;
      const float gl = vs.left[v], gr = vs.right[v];
      for (int i = 0; i < kQuantum; ++i) {
        mixed[2 * i] += s[2 * i] * gl;
        mixed[2 * i + 1] += s[2 * i + 1] * gr;
      }
    }
    store(mixed, out);
    benchmark::DoNotOptimize(out);
    position = (position + kQuantum) % kFrames;
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kQuantum,
                                                  benchmark::Counter::kIsRate);
}

// The anchor with every voice at half the output rate, linear interpolation on a
// 32.32 phase.
void BM_PlainLoopResampled(benchmark::State& state) {
  const Voices& vs = voices();
  float mixed[kQuantum * 2];
  std::int16_t out[kQuantum * 2];
  const std::uint64_t step = (std::uint64_t{22050} << 32) / 44100;
  std::uint64_t phase = 0;
  for (auto _ : state) {
    std::fill(std::begin(mixed), std::end(mixed), 0.0f);
    for (int v = 0; v < kVoices; ++v) {
      const std::int16_t* s = vs.data[v].data();
      const float gl = vs.left[v], gr = vs.right[v];
      std::uint64_t ph = phase;
      for (int i = 0; i < kQuantum; ++i, ph += step) {
        const std::uint32_t k = static_cast<std::uint32_t>(ph >> 32);
        const std::uint32_t n = k + 1 < kFrames ? k + 1 : 0;
        const float f = static_cast<float>(static_cast<std::uint32_t>(ph)) * (1.0f / 4294967296.0f);
        const float l = s[2 * k] + (s[2 * n] - s[2 * k]) * f;
        const float r = s[2 * k + 1] + (s[2 * n + 1] - s[2 * k + 1]) * f;
        mixed[2 * i] += l * gl;
        mixed[2 * i + 1] += r * gr;
      }
    }
    store(mixed, out);
    benchmark::DoNotOptimize(out);
    phase += step * kQuantum;
    if ((phase >> 32) >= kFrames) phase -= std::uint64_t{kFrames} << 32;
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kQuantum,
                                                  benchmark::Counter::kIsRate);
}

// The mixer through the DirectSound face: 32 looping buffers, one quantum per iteration.
void mixerCase(benchmark::State& state, pa::DWORD rate) {
  const Voices& vs = voices();
  pa::UseManualAudioSinkForTest(true);
  void* object = nullptr;
  if (plat::win::CoCreateInstance(pa::CLSID_DirectSound, nullptr, 0, pa::IID_IDirectSound, &object) != 0) {
    state.SkipWithError("no DirectSound");
    return;
  }
  auto* device = static_cast<pa::IDirectSound*>(object);
  device->Initialize(nullptr);
  std::vector<pa::IDirectSoundBuffer*> buffers;
  pa::WAVEFORMATEX format{pa::WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
  for (int v = 0; v < kVoices; ++v) {
    pa::DSBUFFERDESC desc{sizeof(pa::DSBUFFERDESC), 0, kFrames * 4, 0, &format, {}};
    pa::IDirectSoundBuffer* b = nullptr;
    device->CreateSoundBuffer(&desc, &b, nullptr);
    void* p1;
    void* p2;
    pa::DWORD n1, n2;
    b->Lock(0, kFrames * 4, &p1, &n1, &p2, &n2, 0);
    std::memcpy(p1, vs.data[v].data(), n1);
    b->Unlock(p1, n1, p2, n2);
    b->SetVolume(vs.volume[v]);
    b->SetPan(vs.pan[v]);
    b->Play(0, 0, pa::DSBPLAY_LOOPING);
    buffers.push_back(b);
  }
  pa::TakeAudioCallLogForTest();
  std::int16_t out[kQuantum * 2];
  for (auto _ : state) {
    pa::Mixer::instance().mixQuantum(out);
    benchmark::DoNotOptimize(out);
  }
  for (pa::IDirectSoundBuffer* b : buffers) b->Release();
  device->Release();
  pa::UseManualAudioSinkForTest(false);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kQuantum,
                                                  benchmark::Counter::kIsRate);
}

void BM_Mixer(benchmark::State& state) { mixerCase(state, 44100); }
void BM_MixerResampled(benchmark::State& state) { mixerCase(state, 22050); }

}  // namespace

BENCHMARK(BM_PlainLoop);
BENCHMARK(BM_Mixer);
BENCHMARK(BM_PlainLoopResampled);
BENCHMARK(BM_MixerResampled);

BENCHMARK_MAIN();
