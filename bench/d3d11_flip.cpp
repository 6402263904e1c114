// Frames per second of clear-plus-flip at 640 x 480 headless on Direct3D 11 (over the
// software GPU), beside the same loop on the software renderer in the same run.
#include "bench/flip_bench_start.h"

namespace {

void BM_ClearFlipSoftware(benchmark::State& state) { runClearFlip(state, ZaDod::kGraphicsApiSoftware); }
void BM_ClearFlipD3D11(benchmark::State& state) { runClearFlip(state, ZaDod::kGraphicsApiD3D11); }

}  // namespace

BENCHMARK(BM_ClearFlipSoftware)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClearFlipD3D11)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
