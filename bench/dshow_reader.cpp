// Megabytes per second pulled through the memory reader's IAsyncReader in 64-KB
// requests (Request and WaitForNext, four in flight), beside memcpy of the same block.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "media/dshow/async_reader.h"
#include "media/dshow/mem_allocator.h"
#include "media/system/winapi.h"

namespace {

using namespace ZaDod;

constexpr LONG kChunk = 65536;
constexpr size_t kBlock = 16u << 20;

const std::vector<BYTE>& block() {
  static const std::vector<BYTE> data = [] {
    std::vector<BYTE> bytes(kBlock);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 31);
    return bytes;
  }();
  return data;
}

void BM_ReaderPull(benchmark::State& state) {
  LoadWinAPI();
  const std::vector<BYTE>& data = block();
  std::unique_ptr<D_CMemStream> stream(
      D_CMemStream::Create(data.data(), static_cast<DWORD>(data.size()), 0, D_CMemStream::kUnlimited));
  HRESULT hr = 0;
  D_CMemReader* reader = D_CMemReader::Create(stream.get(), nullptr, &hr);
  reader->NonDelegatingAddRef();
  D_IAsyncReader* async = nullptr;
  reader->GetPin(0)->NonDelegatingQueryInterface(plat::dshow::IID_IAsyncReader, reinterpret_cast<void**>(&async));
  D_ALLOCATOR_PROPERTIES want{4, kChunk, 0, 0};
  D_IMemAllocator* allocator = nullptr;
  async->RequestAllocator(nullptr, &want, &allocator);
  allocator->Commit();
  std::vector<BYTE> target(data.size());

  for (auto _ : state) {
    LONGLONG next = 0;
    int outstanding = 0;
    const LONGLONG total = static_cast<LONGLONG>(data.size());
    while (next < total || outstanding > 0) {
      while (next < total && outstanding < 4) {
        D_IMediaSample* sample = nullptr;
        allocator->GetBuffer(&sample, nullptr, nullptr, 0);
        D_REFERENCE_TIME start = next * 10000000, stop = (next + kChunk) * 10000000;
        sample->SetTime(&start, &stop);
        async->Request(sample, static_cast<plat::dshow::DWORD_PTR>(next));
        next += kChunk;
        ++outstanding;
      }
      D_IMediaSample* sample = nullptr;
      plat::dshow::DWORD_PTR at = 0;
      if (async->WaitForNext(plat::win::INFINITE, &sample, &at) < 0 || sample == nullptr) {
        state.SkipWithError("WaitForNext failed");
        break;
      }
      BYTE* bytes = nullptr;
      sample->GetPointer(&bytes);
      std::memcpy(target.data() + at, bytes, static_cast<size_t>(sample->GetActualDataLength()));
      sample->Release();
      --outstanding;
    }
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
  async->Release();
  allocator->Decommit();
  allocator->Release();
  reader->NonDelegatingRelease();
}
BENCHMARK(BM_ReaderPull)->Unit(benchmark::kMillisecond)->UseRealTime();

// The anchor: one plain copy of the same block.
void BM_Memcpy(benchmark::State& state) {
  const std::vector<BYTE>& data = block();
  std::vector<BYTE> target(data.size());
  for (auto _ : state) {
    std::memcpy(target.data(), data.data(), data.size());
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
