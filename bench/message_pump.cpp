// The message pump runs every frame and every 258 interpreter records: a pass with
// nothing queued must cost next to nothing.
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "media/base/log.h"
#include "media/system/system.h"
#include "media/system/window.h"

namespace {

// As the runtime starts it: media log off, windowed.
void startLibrary() {
  setenv("HALVORINE_HEADLESS", "1", 1);
  ZaDod::SetLogFileOutput(0);
  ZaDod::ChangeWindowMode(1);
  ZaDod::InitializeLibrary();
}

void BM_PumpNothingQueued(benchmark::State& state) {
  startLibrary();
  for (auto _ : state) benchmark::DoNotOptimize(ZaDod::ProcessWindowMessages());
  ZaDod::TerminateLibrary();
}
BENCHMARK(BM_PumpNothingQueued);

void BM_PeekEmptyQueue(benchmark::State& state) {
  startLibrary();
  plat::win::MSG msg;
  for (auto _ : state) benchmark::DoNotOptimize(plat::win::PeekMessageW(&msg, nullptr, 0, 0, plat::win::PM_REMOVE));
  ZaDod::TerminateLibrary();
}
BENCHMARK(BM_PeekEmptyQueue);

}  // namespace

BENCHMARK_MAIN();
