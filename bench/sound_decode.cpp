// Decode speed through the sound converter for Ogg Vorbis, Opus, MP3 (codec stand-in)
// and IMA ADPCM, in seconds of audio per CPU second, each beside the library's own bare
// decode loop on the same bytes; and the soft-sound resampler and stretcher in output
// samples per second beside a plain 129-tap float FIR loop.
#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <opusfile.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/base/memory.h"
#include "media/sound/sound_handle.h"
#include "media/system/sysinfo_log.h"
#include "media/system/winapi.h"
#include "platform/audio/audio_test.h"
#include "platform/codec/acm.h"
#include "bench/sound_bench.h"

namespace {

using namespace ZaDod;

constexpr double kSeconds = 10.0;  // length of every test file

// The test files, made once with the encoders the tests use; removed at exit.
const std::string& folder() {
  static char made[] = "/tmp/halvorine-bench-decode-XXXXXX";
  static const std::string dir = [] {
    if (mkdtemp(made) == nullptr) return std::string("/tmp");
    std::atexit([] { std::system((std::string("rm -rf '") + made + "'").c_str()); });
    const std::string d = made;
    const std::string cmd =
        "cd '" + d + "' && sox -n -r 44100 -c 2 -b 16 src.wav synth 10 sine 440 sine 660 vol 0.6 && "
        "oggenc -Q -o a.ogg src.wav; opusenc --quiet src.wav a.opus; lame --quiet -b 128 src.wav a.mp3; "
        "sox src.wav -e ima-adpcm a.ima.wav; true";
    if (std::system((cmd + " >/dev/null 2>&1").c_str()) != 0) return d;
    return d;
  }();
  return dir;
}

std::vector<std::uint8_t> file(const char* name) {
  std::ifstream in(folder() + "/" + name, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void audioRate(benchmark::State& state) { sound_bench::audioRate(state, kSeconds); }

void convertFile(benchmark::State& state, const char* name) {
  sound_bench::convertBytes(state, file(name), SOUNDCONVERT_NO_DSMP3, kSeconds);
}

void BM_ConvertVorbis(benchmark::State& state) { convertFile(state, "a.ogg"); }
void BM_ConvertOpus(benchmark::State& state) { convertFile(state, "a.opus"); }
void BM_ConvertMp3(benchmark::State& state) { convertFile(state, "a.mp3"); }
void BM_ConvertImaAdpcm(benchmark::State& state) { convertFile(state, "a.ima.wav"); }

void BM_BareVorbis(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = file("a.ogg");
  std::vector<char> out(4096);
  for (auto _ : state) {
    OggVorbis_File vf;
    FILE* f = fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb");
    if (f == nullptr || ov_open(f, &vf, nullptr, 0) != 0) {
      state.SkipWithError("no file");
      return;
    }
    int link = 0;
    while (ov_read(&vf, out.data(), static_cast<int>(out.size()), 0, 2, 1, &link) > 0) benchmark::DoNotOptimize(out.data());
    ov_clear(&vf);
  }
  audioRate(state);
}

void BM_BareOpus(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = file("a.opus");
  std::vector<opus_int16> out(2048);
  for (auto _ : state) {
    OggOpusFile* of = op_open_memory(bytes.data(), bytes.size(), nullptr);
    if (of == nullptr) {
      state.SkipWithError("no file");
      return;
    }
    while (op_read(of, out.data(), static_cast<int>(out.size()), nullptr) > 0) benchmark::DoNotOptimize(out.data());
    op_free(of);
  }
  audioRate(state);
}

void BM_BareMp3(benchmark::State& state) { sound_bench::bareMp3(state, file("a.mp3"), kSeconds); }

// The codec alone: whole data chunk through one conversion stream in 2048-byte pieces.
void BM_BareImaAdpcm(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = file("a.ima.wav");
  if (bytes.size() < 60) {
    state.SkipWithError("no file");
    return;
  }
  std::size_t p = 12, fmt = 0, data = 0, size = 0;
  while (p + 8 <= bytes.size()) {
    std::uint32_t n;
    std::memcpy(&n, &bytes[p + 4], 4);
    if (std::memcmp(&bytes[p], "fmt ", 4) == 0) fmt = p + 8;
    if (std::memcmp(&bytes[p], "data", 4) == 0) {
      data = p + 8;
      size = std::min<std::size_t>(n, bytes.size() - data);
      break;
    }
    p += 8 + n + (n & 1);
  }
  const auto* format = reinterpret_cast<const plat::codec::WAVEFORMATEX*>(&bytes[fmt]);
  plat::codec::WAVEFORMATEX out{};
  plat::codec::acmFormatSuggest(nullptr, format, &out, sizeof(out), 0);
  std::vector<std::uint8_t> dst(1 << 16);
  for (auto _ : state) {
    plat::codec::HACMSTREAM s = nullptr;
    plat::codec::acmStreamOpen(&s, nullptr, format, &out, nullptr, 0, 0, 0);
    for (std::size_t at = 0; at < size;) {
      plat::codec::ACMSTREAMHEADER h{};
      h.cbStruct = sizeof(h);
      h.pbSrc = const_cast<std::uint8_t*>(&bytes[data + at]);
      h.cbSrcLength = static_cast<plat::codec::DWORD>(std::min<std::size_t>(2048, size - at));
      h.pbDst = dst.data();
      h.cbDstLength = static_cast<plat::codec::DWORD>(dst.size());
      plat::codec::acmStreamPrepareHeader(s, &h, 0);
      plat::codec::acmStreamConvert(s, &h, plat::codec::ACM_STREAMCONVERTF_BLOCKALIGN);
      plat::codec::acmStreamUnprepareHeader(s, &h, 0);
      if (h.cbSrcLengthUsed == 0) break;
      at += h.cbSrcLengthUsed;
      benchmark::DoNotOptimize(dst.data());
    }
    plat::codec::acmStreamClose(s, 0);
  }
  audioRate(state);
}

BENCHMARK(BM_ConvertVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareOpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertImaAdpcm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareImaAdpcm)->Unit(benchmark::kMillisecond);

constexpr int kSoftSamples = 44100;

std::vector<float> tone() {
  std::vector<float> v(kSoftSamples);
  for (int i = 0; i < kSoftSamples; ++i) v[i] = 0.5f * static_cast<float>(std::sin(i * 0.0627));
  return v;
}

int softFloat(int samples, const std::vector<float>* fill) {
  const int h = MakeSoftSound(1, 32, 44100, samples, 1);
  if (h != -1 && fill != nullptr) std::memcpy(GetSoftSoundData(h)->Wave, fill->data(), fill->size() * 4);
  return h;
}

void BM_ResampleSoftSound(benchmark::State& state) {
  sound_bench::startSound();
  const std::vector<float> t = tone();
  const int src = softFloat(kSoftSamples, &t);
  const int dst = softFloat(48000, nullptr);
  for (auto _ : state) ResampleSoftSound(src, dst);
  state.counters["out_samples_per_s"] = benchmark::Counter(48000.0 * state.iterations(), benchmark::Counter::kIsRate);
  DeleteSoftSound(src);
  DeleteSoftSound(dst);
}

void BM_TimeStretchSoftSound(benchmark::State& state) {
  sound_bench::startSound();
  const std::vector<float> t = tone();
  const int src = softFloat(kSoftSamples, &t);
  const int dst = softFloat(66150, nullptr);
  for (auto _ : state) TimeStretchSoftSound(src, dst);
  state.counters["out_samples_per_s"] = benchmark::Counter(66150.0 * state.iterations(), benchmark::Counter::kIsRate);
  DeleteSoftSound(src);
  DeleteSoftSound(dst);
}

// The anchor: a plain C FIR filter of 129 float taps, one output per input sample.
void BM_PlainFir129(benchmark::State& state) {
  const std::vector<float> t = tone();
  std::vector<float> taps(129), out(kSoftSamples);
  for (int k = 0; k < 129; ++k) taps[k] = 1.0f / 129;
  for (auto _ : state) {
    for (int j = 0; j < kSoftSamples; ++j) {
      float acc = 0.0f;
      const int lo = j - 64 < 0 ? 0 : j - 64, hi = j + 64 >= kSoftSamples ? kSoftSamples - 1 : j + 64;
      for (int k = lo; k <= hi; ++k) acc += taps[k - j + 64] * t[k];
      out[j] = acc;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["out_samples_per_s"] = benchmark::Counter(1.0 * kSoftSamples * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ResampleSoftSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeStretchSoftSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFir129)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
