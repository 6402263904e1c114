// Allocators and samples: properties, commit and decommit with the commit reference,
// waits for a sample across threads, and the sample's times and properties. The
// platform's allocator passes the same commit and wait cases.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "media/dshow/media_sample.h"
#include "media/dshow/mem_allocator.h"
#include "platform/dshow/memory_allocator.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_POINTER;

TEST_F(DShowTest, SetPropertiesAlignsAndRefuses) {
  const struct {
    D_ALLOCATOR_PROPERTIES request;
    HRESULT result;
    LONG actualSize;
  } cases[] = {
      {{1, 100, 16, 0}, S_OK, 112},
      {{1, 100, 16, 8}, S_OK, 104},  // size + prefix is a multiple of the alignment
      {{1, 100, 1, 0}, S_OK, 100},
      {{1, 100, 65536, 0}, S_OK, 65536},
      {{1, 100, 3, 0}, ds::VFW_E_BADALIGN, 0},
      {{1, 100, 0, 0}, ds::VFW_E_BADALIGN, 0},
      {{1, 100, 12, 0}, ds::VFW_E_BADALIGN, 0},
      {{1, 100, 131072, 0}, ds::VFW_E_BADALIGN, 0},
      {{1, 100, -4, 0}, ds::VFW_E_BADALIGN, 0},
      {{1, 0x7FFFFFF0, 64, 64}, plat::win::E_INVALIDARG, 0},
  };
  for (const auto& c : cases) {
    HRESULT hr = S_OK;
    auto* allocator = made<D_CMemAllocator>(u"test", nullptr, &hr);
    D_ALLOCATOR_PROPERTIES request = c.request, actual{};
    EXPECT_EQ(allocator->SetProperties(&request, &actual), c.result) << c.request.cbAlign;
    if (c.result == S_OK) {
      EXPECT_EQ(actual.cbBuffer, c.actualSize);
    }
    EXPECT_EQ(allocator->SetProperties(&request, nullptr), E_POINTER);
    allocator->NonDelegatingRelease();
  }
}

// Both allocators behind the one interface: ours and the platform's.
struct AllocatorKind {
  const char* name;
  D_IMemAllocator* (*make)();
};

D_IMemAllocator* makeOurs() {
  HRESULT hr = S_OK;
  auto* allocator = new D_CMemAllocator(u"test", nullptr, &hr);
  D_IMemAllocator* face = nullptr;
  allocator->NonDelegatingQueryInterface(ds::IID_IMemAllocator, reinterpret_cast<void**>(&face));
  return face;
}

D_IMemAllocator* makePlatforms() {
  void* face = nullptr;
  WinAPI.CoCreateInstanceFunc(ds::CLSID_MemoryAllocator, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                              ds::IID_IMemAllocator, &face);
  return static_cast<D_IMemAllocator*>(face);
}

class AllocatorTest : public DShowTest, public ::testing::WithParamInterface<AllocatorKind> {
 protected:
  D_IMemAllocator* make(LONG count) {
    D_IMemAllocator* allocator = GetParam().make();
    EXPECT_NE(allocator, nullptr);
    D_ALLOCATOR_PROPERTIES want{count, 256, 16, 0}, got{};
    EXPECT_EQ(allocator->SetProperties(&want, &got), S_OK);
    return allocator;
  }
  // The reference count as AddRef reports it, left as it was.
  static ULONG refs(D_IMemAllocator* allocator) {
    const ULONG count = allocator->AddRef();
    allocator->Release();
    return count - 1;
  }
};

TEST_P(AllocatorTest, GetBufferNeedsCommitAndWaitsOnlyWhenAsked) {
  D_IMemAllocator* allocator = make(1);
  D_IMediaSample* sample = nullptr;
  EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), ds::VFW_E_NOT_COMMITTED);
  ASSERT_EQ(allocator->Commit(), S_OK);
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(sample->GetSize(), 256);
  D_IMediaSample* second = nullptr;
  EXPECT_EQ(allocator->GetBuffer(&second, nullptr, nullptr, ds::AM_GBF_NOWAIT), ds::VFW_E_TIMEOUT);
  D_ALLOCATOR_PROPERTIES want{1, 16, 1, 0}, got{};
  EXPECT_EQ(allocator->SetProperties(&want, &got), ds::VFW_E_ALREADY_COMMITTED);
  sample->Release();
  EXPECT_EQ(allocator->Decommit(), S_OK);
  EXPECT_EQ(allocator->Release(), 0u);
}

TEST_P(AllocatorTest, CommitCyclesKeepTheReferenceCountBalanced) {
  D_IMemAllocator* allocator = make(2);
  const ULONG base = refs(allocator);
  for (int round = 0; round < 1000; ++round) {
    ASSERT_EQ(allocator->Commit(), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK) << "a second commit takes no second reference";
    EXPECT_EQ(refs(allocator), base + 1);
    D_IMediaSample* a = nullptr;
    D_IMediaSample* b = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&a, nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(allocator->GetBuffer(&b, nullptr, nullptr, 0), S_OK);
    if (round % 3 == 0) {
      // Decommit with samples out: the last sample back frees and drops the reference.
      ASSERT_EQ(allocator->Decommit(), S_OK);
      EXPECT_EQ(refs(allocator), base + 1);
      if (round % 2 == 0) {
        // Commit again while the decommit waits: it is cancelled, no new reference.
        ASSERT_EQ(allocator->Commit(), S_OK);
        EXPECT_EQ(refs(allocator), base + 1);
        a->Release();
        b->Release();
        ASSERT_EQ(allocator->Decommit(), S_OK);
      } else {
        a->Release();
        b->Release();
      }
    } else {
      a->Release();
      b->Release();
      ASSERT_EQ(allocator->Decommit(), S_OK);
    }
    EXPECT_EQ(refs(allocator), base);
    ASSERT_EQ(allocator->Decommit(), S_OK) << "a second decommit drops nothing";
    EXPECT_EQ(refs(allocator), base);
  }
  EXPECT_EQ(allocator->Release(), 0u);
}

TEST_P(AllocatorTest, SamplesOutliveTheCallersReference) {
  // The commit reference keeps the allocator alive for a sample still out after the
  // caller let go of the allocator.
  D_IMemAllocator* allocator = make(1);
  ASSERT_EQ(allocator->Commit(), S_OK);
  D_IMediaSample* sample = nullptr;
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  ASSERT_EQ(allocator->Decommit(), S_OK);
  EXPECT_EQ(allocator->Release(), 1u);
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  data[0] = 1;  // still valid memory
  sample->Release();  // frees the samples and then the allocator
}

TEST_P(AllocatorTest, AWaitingThreadWakesOnReleaseAndOnDecommit) {
  D_IMemAllocator* allocator = make(1);
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ(allocator->Commit(), S_OK);
    D_IMediaSample* held = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&held, nullptr, nullptr, 0), S_OK);
    const bool decommit = round % 2 == 1;
    std::atomic<HRESULT> result{1234};
    std::thread waiter([&] {
      D_IMediaSample* got = nullptr;
      const HRESULT hr = allocator->GetBuffer(&got, nullptr, nullptr, 0);
      if (got != nullptr) got->Release();
      result = hr;
    });
    // Give the waiter a moment to block; the results hold either way.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (decommit) {
      allocator->Decommit();
      waiter.join();
      EXPECT_EQ(result.load(), ds::VFW_E_NOT_COMMITTED);
      held->Release();
    } else {
      held->Release();
      waiter.join();
      EXPECT_EQ(result.load(), S_OK);
      allocator->Decommit();
    }
  }
  EXPECT_EQ(allocator->Release(), 0u);
}

TEST_P(AllocatorTest, ThreadsShareTheSamples) {
  D_IMemAllocator* allocator = make(3);
  ASSERT_EQ(allocator->Commit(), S_OK);
  std::atomic<int> total{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        D_IMediaSample* sample = nullptr;
        if (allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) continue;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        data[0] = static_cast<BYTE>(t);
        sample->SetActualDataLength(1);
        sample->Release();
        ++total;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(total.load(), 2000);
  EXPECT_EQ(allocator->Decommit(), S_OK);
  EXPECT_EQ(allocator->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Both, AllocatorTest,
                         ::testing::Values(AllocatorKind{"ours", &makeOurs}, AllocatorKind{"platform", &makePlatforms}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DShowTest, SampleTimesAndProperties) {
  HRESULT hr = S_OK;
  auto* allocator = made<D_CMemAllocator>(u"test", nullptr, &hr);
  D_ALLOCATOR_PROPERTIES want{1, 32, 1, 0}, got{};
  ASSERT_EQ(allocator->SetProperties(&want, &got), S_OK);
  ASSERT_EQ(allocator->Commit(), S_OK);
  D_IMediaSample* sample = nullptr;
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);

  D_REFERENCE_TIME start = 0, stop = 0;
  EXPECT_EQ(sample->GetTime(&start, &stop), ds::VFW_E_SAMPLE_TIME_NOT_SET);
  D_REFERENCE_TIME t0 = 500, t1 = 900;
  sample->SetTime(&t0, nullptr);
  EXPECT_EQ(sample->GetTime(&start, &stop), ds::VFW_S_NO_STOP_TIME);
  EXPECT_EQ(start, 500);
  EXPECT_EQ(stop, 501);
  sample->SetTime(&t0, &t1);
  EXPECT_EQ(sample->GetTime(&start, &stop), S_OK);
  EXPECT_EQ(stop, 900);
  sample->SetTime(nullptr, nullptr);
  EXPECT_EQ(sample->GetTime(&start, &stop), ds::VFW_E_SAMPLE_TIME_NOT_SET);

  EXPECT_EQ(sample->SetActualDataLength(33), ds::VFW_E_BUFFER_OVERFLOW);
  EXPECT_EQ(sample->SetActualDataLength(32), S_OK);
  EXPECT_EQ(sample->GetMediaTime(&start, &stop), ds::VFW_E_MEDIA_TIME_NOT_SET);

  D_AM_MEDIA_TYPE* type = reinterpret_cast<D_AM_MEDIA_TYPE*>(1);
  EXPECT_EQ(sample->GetMediaType(&type), S_FALSE);
  EXPECT_EQ(type, nullptr);
  D_AM_MEDIA_TYPE changed = harnessType(3, 4);
  BYTE format[5] = {1, 2, 3, 4, 5};
  changed.cbFormat = sizeof(format);
  changed.pbFormat = format;
  ASSERT_EQ(sample->SetMediaType(&changed), S_OK);
  ASSERT_EQ(sample->GetMediaType(&type), S_OK);
  EXPECT_EQ(type->pbFormat[4], 5);
  EXPECT_NE(type->pbFormat, format);
  D_DeleteMediaType(type);

  // The property record, whole and in the leading parts a transform filter copies.
  void* face = nullptr;
  ASSERT_EQ(sample->QueryInterface(ds::IID_IMediaSample2, &face), S_OK);
  auto* sample2 = static_cast<D_IMediaSample2*>(face);
  D_AM_SAMPLE2_PROPERTIES props{};
  ASSERT_EQ(sample2->GetProperties(sizeof(props), reinterpret_cast<BYTE*>(&props)), S_OK);
  EXPECT_EQ(props.lActual, 32);
  EXPECT_NE(props.dwSampleFlags & ds::AM_SAMPLE_TYPECHANGED, 0u);
  EXPECT_NE(props.pMediaType, nullptr);
  D_AM_SAMPLE2_PROPERTIES part{};
  part.cbData = 16;
  part.dwTypeSpecificFlags = 0x55;
  part.dwSampleFlags = ds::AM_SAMPLE_SPLICEPOINT;
  part.lActual = 7;
  part.tStart = 99;  // beyond the 16 bytes: left alone
  EXPECT_EQ(sample2->SetProperties(2, reinterpret_cast<BYTE*>(&part)), plat::win::E_INVALIDARG);
  ASSERT_EQ(sample2->SetProperties(16, reinterpret_cast<BYTE*>(&part)), S_OK);
  EXPECT_EQ(sample->GetActualDataLength(), 7);
  EXPECT_EQ(sample->IsSyncPoint(), S_OK);
  EXPECT_EQ(sample->GetTime(&start, &stop), ds::VFW_E_SAMPLE_TIME_NOT_SET);
  EXPECT_EQ(sample->GetMediaType(&type), S_FALSE) << "the flags no longer say the type changed";
  sample2->Release();

  sample->Release();
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(sample->IsSyncPoint(), S_FALSE) << "a returned sample starts clean";
  sample->Release();
  allocator->Decommit();
  allocator->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
