// Converting a 10-s 44.1-kHz MP3 through the filter-graph path, beside the codec path
// on the same file and libmpg123's bare decode loop, in seconds of audio per CPU second.
#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/sound_bench.h"

namespace {

using namespace ZaDod;

constexpr double kSeconds = 10.0;

const std::vector<std::uint8_t>& mp3() {
  static char made[] = "/tmp/halvorine-bench-dshow-XXXXXX";
  static const std::vector<std::uint8_t> bytes = [] {
    if (mkdtemp(made) == nullptr) return std::vector<std::uint8_t>{};
    std::atexit([] { std::system((std::string("rm -rf '") + made + "'").c_str()); });
    const std::string d = made;
    std::system(("cd '" + d + "' && sox -n -r 44100 -c 2 -b 16 src.wav synth 10 sine 440 sine 660 vol 0.6 && "
                 "lame --quiet -b 128 src.wav a.mp3 >/dev/null 2>&1").c_str());
    std::ifstream in(d + "/a.mp3", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return bytes;
}

void convert(benchmark::State& state, int disable) { sound_bench::convertBytes(state, mp3(), disable, kSeconds); }

void BM_Mp3ThroughFilterGraph(benchmark::State& state) { convert(state, SOUNDCONVERT_NO_ACM | SOUNDCONVERT_NO_ACM_MP3); }
void BM_Mp3ThroughCodecPath(benchmark::State& state) { convert(state, SOUNDCONVERT_NO_DSMP3); }

void BM_Mp3BareDecode(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = mp3();
  if (bytes.empty()) {
    state.SkipWithError("lame is not installed");
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
  sound_bench::audioRate(state, kSeconds);
}

BENCHMARK(BM_Mp3ThroughFilterGraph)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Mp3ThroughCodecPath)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Mp3BareDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
