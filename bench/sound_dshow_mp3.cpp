// Converting a 10-s 44.1-kHz MP3 through the filter-graph path, beside the codec path
// on the same file and libmpg123's bare decode loop, in seconds of audio per CPU second.
#include <benchmark/benchmark.h>
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

void BM_Mp3BareDecode(benchmark::State& state) { sound_bench::bareMp3(state, mp3(), kSeconds); }

BENCHMARK(BM_Mp3ThroughFilterGraph)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Mp3ThroughCodecPath)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Mp3BareDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
