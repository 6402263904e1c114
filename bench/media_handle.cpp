// Handle lookups happen on every draw and sound call; creation and deletion on every
// resource. Both should stay flat as the number of live handles grows.
#include <benchmark/benchmark.h>

#include <vector>

#include "media/base/handle.h"

namespace {

using namespace ZaDod;

constexpr int kType = 20;

struct Record {
  HandleEntryHeader Header;
  int Value;
};

void registerType() { InitializeHandleManage(kType, sizeof(Record), 32768, nullptr, nullptr, u"Bench"); }

void BM_GetHandleInfo(benchmark::State& state) {
  registerType();
  std::vector<int> handles;
  for (int i = 0; i < state.range(0); ++i) handles.push_back(AddHandle(kType, 0, -1));
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetHandleInfo(handles[next]));
    if (++next == handles.size()) next = 0;
  }
  TerminateHandleManage(kType);
}
BENCHMARK(BM_GetHandleInfo)->Arg(16)->Arg(16384);

void BM_AddSubHandle(benchmark::State& state) {
  registerType();
  for (int i = 0; i < state.range(0); ++i) AddHandle(kType, 0, -1);
  for (auto _ : state) SubHandle(AddHandle(kType, 0, -1));
  TerminateHandleManage(kType);
}
BENCHMARK(BM_AddSubHandle)->Arg(0)->Arg(16384);

}  // namespace

BENCHMARK_MAIN();
