// Collected heap: young allocation rate per size class, and minor and full
// collection time against the size of the live set.
#include <benchmark/benchmark.h>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "tests/runtime/vm/test_objects.h"

using namespace kv;
using kvtest::Roots;
using kvtest::TestNode;

namespace {

void freshHeap(Roots& roots) {
  kvtest::startOver(roots);
  setWarningLimit(0, -1);  // evacuation warnings would only measure the console
}

// A chain of n nodes, each also linked to a node a few steps back, rooted
// at its head.
template <class Make>
void buildChain(Roots& roots, int n, Make make) {
  roots.objects.assign(1, nullptr);
  for (int i = 0; i < n; ++i) {
    TestNode* node = make();
    node->links[0] = roots.objects[0];
    if (i >= 8) node->links[1] = static_cast<TestNode*>(roots.objects[0])->links[0];
    node->serial = i;
    roots.objects[0] = node;
  }
}

void BM_YoungAlloc(benchmark::State& state) {
  Roots roots;
  freshHeap(roots);
  size_t size = static_cast<size_t>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(gcAllocYoung(size));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_YoungAlloc)->Arg(8)->Arg(32)->Arg(128)->Arg(512)->Arg(2048)->Arg(8192);

void BM_ValueCellAlloc(benchmark::State& state) {
  Roots roots;
  freshHeap(roots);
  for (auto _ : state) benchmark::DoNotOptimize(newValueCell());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueCellAlloc);

void BM_MinorCollect(benchmark::State& state) {
  Roots roots;
  int live = static_cast<int>(state.range(0));
  freshHeap(roots);
  for (auto _ : state) {
    state.PauseTiming();
    // Drop the last graph (and any of it that reached the old space) and
    // build a fresh young one on pages that are already mapped.
    roots.objects.clear();
    minorCollect();
    minorCollect();
    fullCollect();
    buildChain(roots, live, [] { return newYoungObject<TestNode>(); });
    state.ResumeTiming();
    minorCollect();
  }
  state.SetItemsProcessed(state.iterations() * live);
}
BENCHMARK(BM_MinorCollect)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(40000)->Unit(benchmark::kMicrosecond);

void BM_FullCollect(benchmark::State& state) {
  Roots roots;
  int live = static_cast<int>(state.range(0));
  freshHeap(roots);
  buildChain(roots, live, [] { return new (gcAllocOld(sizeof(TestNode))) TestNode(); });
  for (auto _ : state) {
    state.PauseTiming();
    minorCollect();  // a full collection runs at most once between two minor ones
    // Garbage between the live blocks, so that the sweep has runs to build.
    for (int i = 0; i < live / 4; ++i) gcAllocOld(48);
    state.ResumeTiming();
    fullCollect();
  }
  state.SetItemsProcessed(state.iterations() * live);
}
BENCHMARK(BM_FullCollect)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(64000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
