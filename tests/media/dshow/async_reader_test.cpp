// The memory stream, the read worker and the memory reader: positions and rates,
// queued and synchronous reads, flushes, and a harness puller reading a whole block.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "media/dshow/async_reader.h"
#include "media/dshow/mem_allocator.h"
#include "platform/win/win_clock.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_POINTER;

std::vector<BYTE> pattern(size_t size) {
  std::vector<BYTE> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<BYTE>(i * 7 + (i >> 8));
  return data;
}

TEST_F(DShowTest, MemoryStreamPositionsReadsAndRates) {
  const std::vector<BYTE> data = pattern(1000);
  std::unique_ptr<D_CMemStream> stream(D_CMemStream::Create(data.data(), 1000, 0, D_CMemStream::kUnlimited));
  EXPECT_EQ(stream->SetPointer(1000), S_OK);
  EXPECT_EQ(stream->SetPointer(1001), S_FALSE);
  EXPECT_EQ(stream->SetPointer(-1), S_FALSE);
  ASSERT_EQ(stream->SetPointer(990), S_OK);
  BYTE buffer[100];
  DWORD read = 0;
  ASSERT_EQ(stream->Read(buffer, 100, plat::win::FALSE, &read), S_OK);
  EXPECT_EQ(read, 10u);
  EXPECT_EQ(std::memcmp(buffer, data.data() + 990, 10), 0);
  LONGLONG available = 0;
  EXPECT_EQ(stream->Size(&available), 1000);
  EXPECT_EQ(available, 1000) << "an unlimited stream has everything at once";

  // A limited stream follows the held clock: 4 bytes per millisecond.
  plat::win::HoldClockForTest(1'000'000'000LL);
  std::unique_ptr<D_CMemStream> slow(D_CMemStream::Create(data.data(), 1000, 0, 4));
  EXPECT_EQ(slow->Size(&available), 1000);
  EXPECT_EQ(available, 0);
  plat::win::StepClockForTest(10'000'000LL);
  slow->Size(&available);
  EXPECT_EQ(available, 40);
  // A read of bytes not yet due waits until the clock passes their time.
  std::atomic<bool> done{false};
  std::thread reader([&] {
    DWORD got = 0;
    slow->SetPointer(0);
    slow->Read(buffer, 80, plat::win::FALSE, &got);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done.load());
  plat::win::StepClockForTest(10'000'000LL);
  reader.join();
  EXPECT_TRUE(done.load());
  plat::win::ReleaseClockForTest();
}

// A stream with alignment 2 that can be told to come up short.
class TestStream final : public D_CAsyncStream {
 public:
  explicit TestStream(std::vector<BYTE> bytes) : data(std::move(bytes)) {}
  HRESULT SetPointer(LONGLONG position) override {
    if (position < 0 || position > static_cast<LONGLONG>(data.size())) return S_FALSE;
    at = position;
    return S_OK;
  }
  HRESULT Read(BYTE* buffer, DWORD bytes, BOOL, DWORD* bytesRead) override {
    DWORD count = std::min<DWORD>(bytes, static_cast<DWORD>(data.size() - at));
    if (shortBy > 0 && count > shortBy) count -= shortBy;
    std::memcpy(buffer, data.data() + at, count);
    at += count;
    *bytesRead = count;
    return S_OK;
  }
  LONGLONG Size(LONGLONG* available) override {
    if (available) *available = static_cast<LONGLONG>(data.size());
    return static_cast<LONGLONG>(data.size());
  }
  DWORD Alignment() override { return 2; }
  void Lock() override { lock.Lock(); }
  void Unlock() override { lock.Unlock(); }

  std::vector<BYTE> data;
  LONGLONG at = 0;
  DWORD shortBy = 0;
  D_CCritSec lock;
};

TEST_F(DShowTest, ReadWorkerRequestsAndResults) {
  TestStream stream(pattern(100));
  D_CAsyncIo io(&stream);
  alignas(8) BYTE buffer[64];
  void* context = nullptr;
  plat::dshow::DWORD_PTR user = 0;
  LONG actual = 0;
  EXPECT_EQ(io.WaitForNext(0, &context, &user, &actual), ds::VFW_E_TIMEOUT);
  EXPECT_EQ(io.WaitForNext(0, nullptr, &user, &actual), E_POINTER);
  EXPECT_EQ(io.Request(3, 8, plat::win::TRUE, buffer, nullptr, 1), ds::VFW_E_BADALIGN);
  EXPECT_EQ(io.Request(4, 7, plat::win::TRUE, buffer, nullptr, 1), ds::VFW_E_BADALIGN);
  EXPECT_EQ(io.Request(4, 8, plat::win::TRUE, buffer + 1, nullptr, 1), ds::VFW_E_BADALIGN);
  EXPECT_EQ(io.Request(4, -8, plat::win::FALSE, buffer, nullptr, 1), E_INVALIDARG);

  const struct {
    const char* name;
    LONGLONG position;
    LONG length;
    DWORD shortBy;
    HRESULT result;
    LONG actual;
  } cases[] = {
      {"whole read", 10, 20, 0, S_OK, 20},
      {"short at the end", 90, 20, 0, S_OK, 10},
      {"short before the end", 10, 20, 4, E_FAIL, 16},
      {"past the end", 200, 20, 0, E_FAIL, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    stream.shortBy = c.shortBy;
    ASSERT_EQ(io.Request(c.position, c.length, plat::win::FALSE, buffer, buffer, 42), S_OK);
    EXPECT_EQ(io.WaitForNext(plat::win::INFINITE, &context, &user, &actual), c.result);
    EXPECT_EQ(actual, c.actual);
    EXPECT_EQ(context, buffer);
    EXPECT_EQ(user, 42u);
    if (c.actual > 0) {
      EXPECT_EQ(std::memcmp(buffer, stream.data.data() + c.position, c.actual), 0);
    }
  }
  stream.shortBy = 0;

  // Flushing: requests are refused, and WaitForNext does not block.
  ASSERT_EQ(io.BeginFlush(), S_OK);
  EXPECT_EQ(io.Request(0, 2, plat::win::FALSE, buffer, nullptr, 0), ds::VFW_E_WRONG_STATE);
  EXPECT_EQ(io.WaitForNext(plat::win::INFINITE, &context, &user, &actual), ds::VFW_E_WRONG_STATE);
  ASSERT_EQ(io.EndFlush(), S_OK);
  EXPECT_EQ(io.WaitForNext(0, &context, &user, &actual), ds::VFW_E_TIMEOUT) << "nothing was queued";

  // Synchronous reads bypass the queue.
  EXPECT_EQ(io.SyncRead(1, 5, buffer), S_OK);
  EXPECT_EQ(std::memcmp(buffer, stream.data.data() + 1, 5), 0);
  EXPECT_EQ(io.SyncReadAligned(2, 4, buffer, &actual, nullptr), S_OK);
  EXPECT_EQ(io.SyncReadAligned(1, 4, buffer, &actual, nullptr), ds::VFW_E_BADALIGN);
  EXPECT_EQ(io.SyncReadAligned(2, 4, buffer, nullptr, nullptr), E_POINTER);
}

TEST_F(DShowTest, FlushHandsQueuedRequestsBackUnperformed) {
  for (int round = 0; round < 20; ++round) {
    // The first read waits for the held clock; the rest stay queued behind it.
    const std::vector<BYTE> data = pattern(4000);
    plat::win::HoldClockForTest(5'000'000'000LL);
    std::unique_ptr<D_CMemStream> stream(D_CMemStream::Create(data.data(), 4000, 0, 1));
    D_CAsyncIo io(stream.get());
    std::vector<BYTE> buffers(4 * 100);
    for (int i = 0; i < 4; ++i)
      ASSERT_EQ(io.Request(i * 100, 100, plat::win::FALSE, &buffers[i * 100], &buffers[i * 100], i), S_OK);
    std::thread flusher([&] { io.BeginFlush(); });
    // Step the clock only once the flush is under way (requests are refused then);
    // a probe accepted before that is one more queued request.
    int total = 4;
    BYTE probe[4];
    while (io.Request(0, 4, plat::win::FALSE, probe, probe, 99) == S_OK) {
      ++total;
      std::this_thread::yield();
    }
    plat::win::StepClockForTest(1'000'000'000LL);  // lets the read in progress finish
    flusher.join();
    int performed = 0, handedBack = 0;
    for (int i = 0; i < total; ++i) {
      void* context = nullptr;
      plat::dshow::DWORD_PTR user = 0;
      LONG actual = 0;
      const HRESULT hr = io.WaitForNext(0, &context, &user, &actual);
      if (hr == S_OK) ++performed;
      if (hr == ds::VFW_E_TIMEOUT && context != nullptr) ++handedBack;
    }
    EXPECT_EQ(performed + handedBack, total);
    EXPECT_LE(performed, 1) << "at most the read in progress was performed";
    io.EndFlush();
    plat::win::ReleaseClockForTest();
  }
}

// A harness downstream pin that pulls from the reader once connected.
class Puller final : public HarnessInputPin {
 public:
  using HarnessInputPin::HarnessInputPin;
  HRESULT CompleteConnect(D_IPin* peer) override {
    if (!askForReader) return S_OK;
    return peer->QueryInterface(ds::IID_IAsyncReader, reinterpret_cast<void**>(&reader));
  }
  HRESULT BreakConnect() override {
    if (reader != nullptr) reader->Release();
    reader = nullptr;
    return HarnessInputPin::BreakConnect();
  }
  bool askForReader = true;
  D_IAsyncReader* reader = nullptr;
};

class PullFilter final : public HarnessFilter {
 public:
  PullFilter() { pin = std::make_unique<Puller>(&script, this, &lock, u"In"); }
  ~PullFilter() override { pin.reset(); }
  int GetPinCount() override { return 1; }
  D_CBasePin* GetPin(int index) override { return index == 0 ? pin.get() : nullptr; }
  PinScript script;
  D_CCritSec lock;
  std::unique_ptr<Puller> pin;
};

TEST_F(DShowTest, MemoryReaderServesABlockToAPuller) {
  const std::vector<BYTE> data = pattern(1 << 20);
  std::unique_ptr<D_CMemStream> stream(D_CMemStream::Create(data.data(), 1 << 20, 0, D_CMemStream::kUnlimited));
  D_AM_MEDIA_TYPE type = harnessType(9, 8);
  HRESULT hr = S_OK;
  D_CMemReader* reader = D_CMemReader::Create(stream.get(), &type, &hr);
  ASSERT_NE(reader, nullptr);
  reader->NonDelegatingAddRef();

  D_IPin* found = nullptr;
  ASSERT_EQ(reader->FindPin(u"Output", &found), S_OK);
  EXPECT_EQ(found, static_cast<D_IPin*>(reader->GetPin(0)));
  found->Release();
  EXPECT_EQ(reader->FindPin(u"Input", &found), ds::VFW_E_NOT_FOUND);
  EXPECT_EQ(found, nullptr);
  D_IPin* output = static_cast<D_IPin*>(reader->GetPin(0));
  auto* pin = static_cast<D_CAsyncOutputPin*>(reader->GetPin(0));
  D_AM_MEDIA_TYPE got{};
  EXPECT_EQ(pin->GetMediaType(1, &got), ds::VFW_S_NO_MORE_ITEMS);
  ASSERT_EQ(pin->GetMediaType(0, &got), S_OK);
  EXPECT_EQ(got.subtype.Data1, 8u);
  D_FreeMediaType(got);

  // A peer that never asks for the reader interface cannot complete the connection.
  PullFilter* lazy = made<PullFilter>();
  lazy->pin->askForReader = false;
  EXPECT_EQ(output->Connect(lazy->pin.get(), nullptr), E_FAIL);
  EXPECT_FALSE(pin->IsConnected());
  lazy->NonDelegatingRelease();

  PullFilter* puller = made<PullFilter>();
  ASSERT_EQ(output->Connect(puller->pin.get(), nullptr), S_OK);
  D_IAsyncReader* async = puller->pin->reader;
  ASSERT_NE(async, nullptr);

  D_ALLOCATOR_PROPERTIES want{4, 65536, 0, 0};
  D_IMemAllocator* allocator = nullptr;
  ASSERT_EQ(async->RequestAllocator(nullptr, &want, &allocator), S_OK);
  D_ALLOCATOR_PROPERTIES props{};
  allocator->GetProperties(&props);
  EXPECT_EQ(props.cbAlign, 1) << "alignment 0 takes the stream's";
  ASSERT_EQ(allocator->Commit(), S_OK);

  LONGLONG total = 0, available = 0;
  ASSERT_EQ(async->Length(&total, &available), S_OK);
  EXPECT_EQ(total, 1 << 20);

  // Queued reads of 64 KB, four in flight at a time.
  std::vector<BYTE> pulled(data.size()), synced(data.size());
  LONGLONG next = 0;
  int outstanding = 0;
  while (next < total || outstanding > 0) {
    while (next < total && outstanding < 4) {
      D_IMediaSample* sample = nullptr;
      ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
      D_REFERENCE_TIME start = next * 10000000, stop = (next + 65536) * 10000000;
      sample->SetTime(&start, &stop);
      ASSERT_EQ(async->Request(sample, static_cast<plat::dshow::DWORD_PTR>(next)), S_OK);
      next += 65536;
      ++outstanding;
    }
    D_IMediaSample* sample = nullptr;
    plat::dshow::DWORD_PTR user = 0;
    ASSERT_EQ(async->WaitForNext(plat::win::INFINITE, &sample, &user), S_OK);
    BYTE* bytes = nullptr;
    sample->GetPointer(&bytes);
    std::memcpy(pulled.data() + user, bytes, sample->GetActualDataLength());
    sample->Release();
    --outstanding;
  }
  for (LONGLONG at = 0; at < total; at += 100000)
    ASSERT_EQ(async->SyncRead(at, static_cast<LONG>(std::min<LONGLONG>(100000, total - at)), synced.data() + at), S_OK);
  EXPECT_EQ(pulled, data);
  EXPECT_EQ(synced, data);

  // A sample whose stop lies before its start is refused before anything is queued.
  D_IMediaSample* sample = nullptr;
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  D_REFERENCE_TIME start = 50 * 10000000, stop = 10 * 10000000;
  sample->SetTime(&start, &stop);
  EXPECT_EQ(async->Request(sample, 0), E_INVALIDARG);
  plat::dshow::DWORD_PTR user = 0;
  D_IMediaSample* none = nullptr;
  EXPECT_EQ(async->WaitForNext(0, &none, &user), ds::VFW_E_TIMEOUT);
  // A request past the end is cut to the end.
  start = (total - 100) * 10000000;
  stop = (total + 100) * 10000000;
  sample->SetTime(&start, &stop);
  EXPECT_EQ(async->SyncReadAligned(sample), S_FALSE) << "a synchronous read says it came up short";
  EXPECT_EQ(sample->GetActualDataLength(), 100);
  ASSERT_EQ(async->Request(sample, 0), S_OK);
  ASSERT_EQ(async->WaitForNext(plat::win::INFINITE, &none, &user), S_OK);
  EXPECT_EQ(none->GetActualDataLength(), 100);
  sample->Release();

  // Requests still in flight when the reader goes are joined with the worker.
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    start = i * 65536LL * 10000000;
    stop = (i + 1) * 65536LL * 10000000;
    sample->SetTime(&start, &stop);
    ASSERT_EQ(async->Request(sample, 0), S_OK);
    sample->Release();  // the sample stays valid: the allocator is still committed
  }
  output->Disconnect();
  puller->pin->Disconnect();
  puller->NonDelegatingRelease();
  reader->NonDelegatingRelease();
  allocator->Decommit();
  allocator->Release();
}

}  // namespace
}  // namespace halvorine_test
