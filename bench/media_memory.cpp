// Alloc-and-free pairs per second: the tracked allocator beside plain malloc, for
// small, page-sized and large blocks, freed last-in-first-out or in random order.
#include <benchmark/benchmark.h>

#include <algorithm>
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
void pairs(benchmark::State& state, size_t minSize, size_t maxSize, size_t count, bool randomOrder) {
  Resident resident;
  Workload work = makeWorkload(minSize, maxSize, count, randomOrder);
  std::vector<void*> blocks(count);
  for (auto _ : state) {
    for (size_t i = 0; i < count; ++i) {
      blocks[i] = Allocator::alloc(work.sizes[i]);
      benchmark::DoNotOptimize(blocks[i]);
    }
    for (size_t index : work.freeOrder) Allocator::release(blocks[index]);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

template <class Allocator>
void registerAll(const char* name) {
  struct Case {
    const char* label;
    size_t minSize, maxSize, count;
  };
  static const Case cases[] = {
      {"16-256B", 16, 256, 256}, {"4KB", 4096, 4096, 256}, {"128KB", 131072, 131072, 32}, {"1MB", 1 << 20, 1 << 20, 16}};
  for (const Case& c : cases)
    for (bool randomOrder : {false, true}) {
      std::string label = std::string(name) + "/" + c.label + (randomOrder ? "/random" : "/lifo");
      benchmark::RegisterBenchmark(label.c_str(), [c, randomOrder](benchmark::State& state) {
        pairs<Allocator>(state, c.minSize, c.maxSize, c.count, randomOrder);
      });
    }
}

const bool registered = [] {
  registerAll<Tracked>("tracked");
  registerAll<Plain>("malloc");
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
