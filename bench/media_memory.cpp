// Alloc-and-free pairs per second: the tracked allocator beside plain malloc, for
// small, page-sized and large blocks, freed last-in-first-out or in random order; and
// for each case the two timed apart in one loop, with the ratio of their times
// (tracked/malloc; the goal for small blocks is at most 1.5).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

#include "media/base/memory.h"

namespace {

struct Tracked {
  static void* alloc(size_t size) { return ZaDod::MemAlloc(size, "bench", __LINE__); }
  static void release(void* memory) { ZaDod::MemFree(memory); }
};

struct Plain {
  static void* alloc(size_t size) { return std::malloc(size); }
  static void release(void* memory) { std::free(memory); }
};

// A running program always holds some blocks; these keep both heaps' first pages
// mapped, so the loop measures the heap and not the page mapping.
struct Resident {
  void* small = ZaDod::MemAlloc(16, "bench", __LINE__);
  void* large = ZaDod::MemAlloc(0x20000, "bench", __LINE__);
  ~Resident() {
    ZaDod::MemFree(small);
    ZaDod::MemFree(large);
  }
};

struct Workload {
  std::vector<size_t> sizes;
  std::vector<size_t> freeOrder;
};

Workload makeWorkload(size_t minSize, size_t maxSize, size_t count, bool randomOrder) {
  std::mt19937 random(7);
  Workload work;
  std::uniform_int_distribution<size_t> size(minSize, maxSize);
  for (size_t i = 0; i < count; ++i) work.sizes.push_back(size(random));
  for (size_t i = 0; i < count; ++i) work.freeOrder.push_back(count - 1 - i);
  if (randomOrder) std::shuffle(work.freeOrder.begin(), work.freeOrder.end(), random);
  return work;
}

template <class Allocator>
void round(const Workload& work, std::vector<void*>& blocks) {
  for (size_t i = 0; i < blocks.size(); ++i) {
    blocks[i] = Allocator::alloc(work.sizes[i]);
    benchmark::DoNotOptimize(blocks[i]);
  }
  for (size_t index : work.freeOrder) Allocator::release(blocks[index]);
}

template <class Allocator>
void pairs(benchmark::State& state, size_t minSize, size_t maxSize, size_t count, bool randomOrder) {
  Resident resident;
  Workload work = makeWorkload(minSize, maxSize, count, randomOrder);
  std::vector<void*> blocks(count);
  for (auto _ : state) round<Allocator>(work, blocks);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

// Both allocators on the same workload, alternating, so that the machine's load
// weighs on both alike.
void ratio(benchmark::State& state, size_t minSize, size_t maxSize, size_t count, bool randomOrder) {
  Resident resident;
  Workload work = makeWorkload(minSize, maxSize, count, randomOrder);
  std::vector<void*> blocks(count);
  double tracked = 0, plain = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    round<Tracked>(work, blocks);
    auto t1 = std::chrono::steady_clock::now();
    round<Plain>(work, blocks);
    auto t2 = std::chrono::steady_clock::now();
    tracked += std::chrono::duration<double>(t1 - t0).count();
    plain += std::chrono::duration<double>(t2 - t1).count();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
  state.counters["tracked/malloc"] = plain > 0 ? tracked / plain : 0.0;
}

struct Case {
  const char* label;
  size_t minSize, maxSize, count;
};
const Case cases[] = {
    {"16-256B", 16, 256, 256}, {"4KB", 4096, 4096, 256}, {"128KB", 131072, 131072, 32}, {"1MB", 1 << 20, 1 << 20, 16}};

template <class Run>
void registerAll(const char* name, Run run) {
  for (const Case& c : cases)
    for (bool randomOrder : {false, true}) {
      std::string label = std::string(name) + "/" + c.label + (randomOrder ? "/random" : "/lifo");
      benchmark::RegisterBenchmark(label.c_str(), [c, randomOrder, run](benchmark::State& state) {
        run(state, c.minSize, c.maxSize, c.count, randomOrder);
      });
    }
}

const bool registered = [] {
  registerAll("tracked", pairs<Tracked>);
  registerAll("malloc", pairs<Plain>);
  registerAll("ratio", ratio);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
