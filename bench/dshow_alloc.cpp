// GetBuffer/Release round trips per second on a committed memory allocator of the
// DirectShow class library, from one and from two threads, beside a plain
// mutex-guarded free list doing the same hand-off.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "media/dshow/mem_allocator.h"
#include "media/system/winapi.h"

namespace {

using namespace ZaDod;

// One allocator for the whole run, shared by the benchmark threads.
D_CMemAllocator* sharedAllocator() {
  static D_CMemAllocator* allocator = [] {
    LoadWinAPI();
    HRESULT hr = 0;
    auto* made = new D_CMemAllocator(u"bench", nullptr, &hr);
    made->NonDelegatingAddRef();
    D_ALLOCATOR_PROPERTIES want{4, 4096, 16, 0}, got{};
    made->SetProperties(&want, &got);
    made->Commit();
    return made;
  }();
  return allocator;
}

void BM_ClassLibraryAllocator(benchmark::State& state) {
  D_CMemAllocator* allocator = sharedAllocator();
  for (auto _ : state) {
    D_IMediaSample* sample = nullptr;
    if (allocator->GetBuffer(&sample, nullptr, nullptr, 0) != 0) {
      state.SkipWithError("GetBuffer failed");
      break;
    }
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    benchmark::DoNotOptimize(data);
    sample->Release();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassLibraryAllocator)->Threads(1)->Threads(2)->UseRealTime();

// The anchor: the same hand-off over a vector, a mutex and a condition variable.
struct PlainFreeList {
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<std::vector<unsigned char>> buffers = std::vector<std::vector<unsigned char>>(4);
  std::vector<unsigned char*> free;
  PlainFreeList() {
    for (auto& b : buffers) {
      b.resize(4096);
      free.push_back(b.data());
    }
  }
  unsigned char* get() {
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait(lock, [this] { return !free.empty(); });
    unsigned char* buffer = free.back();
    free.pop_back();
    return buffer;
  }
  void put(unsigned char* buffer) {
    {
      std::lock_guard<std::mutex> hold(mutex);
      free.push_back(buffer);
    }
    wake.notify_one();
  }
};

void BM_PlainFreeList(benchmark::State& state) {
  static PlainFreeList list;
  for (auto _ : state) {
    unsigned char* buffer = list.get();
    benchmark::DoNotOptimize(buffer);
    list.put(buffer);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainFreeList)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
