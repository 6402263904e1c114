// The transform-filter bases: pin lookup, end of stream from an unconnected input,
// output samples set up from the input's properties, the output pin's connection
// checks, the seeking pass-through made on demand, and the in-place filter's copy.
#include "media/dshow/media_sample.h"
#include "media/dshow/mem_allocator.h"
#include "media/dshow/sample_grabber.h"
#include "media/dshow/transform.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

// An input pin that lets the test set the properties Receive would have recorded.
class PropsPin : public D_CTransformInputPin {
 public:
  PropsPin(D_CTransformFilter* filter, HRESULT* hr) : D_CTransformInputPin(u"props pin", filter, hr, u"In") {}
  D_AM_SAMPLE2_PROPERTIES& props() { return m_SampleProps; }
};

// A transform that copies bytes and counts what the filter asked of it.
class CopyTransform : public D_CTransformFilter {
 public:
  CopyTransform() : D_CTransformFilter(u"copy transform", nullptr, {0x4321, 0, 0, {0}}) {
    HRESULT hr = S_OK;
    m_pInput = new PropsPin(this, &hr);
  }
  HRESULT Transform(D_IMediaSample*, D_IMediaSample*) override { return S_OK; }
  HRESULT CheckInputType(const D_AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT CheckTransform(const D_AM_MEDIA_TYPE*, const D_AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT DecideBufferSize(D_IMemAllocator*, D_ALLOCATOR_PROPERTIES*) override { return S_OK; }
  HRESULT GetMediaType(int, D_AM_MEDIA_TYPE*) override { return ds::VFW_S_NO_MORE_ITEMS; }
  HRESULT CheckConnect(D_PIN_DIRECTION direction, D_IPin*) override {
    ++checks[direction];
    return S_OK;
  }
  PropsPin* props() { return static_cast<PropsPin*>(m_pInput); }
  HRESULT initialize(D_IMediaSample* in, D_IMediaSample** out) { return InitializeOutputSample(in, out); }
  void setSkipped(bool on) { m_bSampleSkipped = on; }
  int checks[2] = {0, 0};
};

// An allocator that records how each buffer was asked for, handing out samples of a
// class-library memory allocator.
class RecordingAllocator final : public D_IMemAllocator {
 public:
  RecordingAllocator() {
    HRESULT hr = S_OK;
    inner = new D_CMemAllocator(u"inner", nullptr, &hr);
    inner->NonDelegatingAddRef();
    D_ALLOCATOR_PROPERTIES want{1, 64, 1, 0}, got{};
    inner->SetProperties(&want, &got);
    inner->Commit();
  }
  ~RecordingAllocator() {
    inner->Decommit();
    inner->NonDelegatingRelease();
  }
  HRESULT QueryInterface(const IID&, void** out) override {
    *out = nullptr;
    return plat::win::E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT SetProperties(D_ALLOCATOR_PROPERTIES* r, D_ALLOCATOR_PROPERTIES* a) override { return inner->SetProperties(r, a); }
  HRESULT GetProperties(D_ALLOCATOR_PROPERTIES* p) override { return inner->GetProperties(p); }
  HRESULT Commit() override { return S_OK; }
  HRESULT Decommit() override { return S_OK; }
  HRESULT GetBuffer(D_IMediaSample** sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop, DWORD flags) override {
    askedStart = start != nullptr;
    askedStop = stop != nullptr;
    askedFlags = flags;
    return inner->GetBuffer(sample, start, stop, flags);
  }
  HRESULT ReleaseBuffer(D_IMediaSample* s) override { return inner->ReleaseBuffer(s); }

  D_CMemAllocator* inner;
  int refs = 1;
  bool askedStart = false, askedStop = false;
  DWORD askedFlags = 0;
};

// An input-direction pin without IMemInputPin.
class BareInputPin : public ScriptedPin<D_CBasePin> {
 public:
  BareInputPin(PinScript* script, D_CBaseFilter* filter, D_CCritSec* lock)
      : ScriptedPin(script, "bare", u"bare input", filter, lock, nullptr, u"Bare", ds::PINDIR_INPUT) {}
  HRESULT BeginFlush() override { return S_OK; }
  HRESULT EndFlush() override { return S_OK; }
};

// A harness input pin that counts ends of stream.
class CountingInputPin : public HarnessInputPin {
 public:
  using HarnessInputPin::HarnessInputPin;
  HRESULT EndOfStream() override {
    ++ends;
    return S_OK;
  }
  int ends = 0;
};

TEST_F(DShowTest, TransformFindsPinsByTheirIdsAndEndsAnUnconnectedStreamOnce) {
  auto* filter = made<CopyTransform>();
  struct Case {
    const char16_t* id;
    HRESULT result;
    int index;
  } cases[] = {{u"In", S_OK, 0}, {u"Out", S_OK, 1}, {u"Input", ds::VFW_E_NOT_FOUND, -1}, {u"XForm In", ds::VFW_E_NOT_FOUND, -1}};
  for (const Case& k : cases) {
    D_IPin* pin = reinterpret_cast<D_IPin*>(1);
    EXPECT_EQ(filter->FindPin(k.id, &pin), k.result);
    if (k.index < 0) {
      EXPECT_EQ(pin, nullptr);
      continue;
    }
    EXPECT_EQ(pin, static_cast<D_IPin*>(filter->GetPin(k.index)));
    pin->Release();
  }
  EXPECT_EQ(filter->FindPin(u"In", nullptr), plat::win::E_POINTER);

  // Connect through the input so the output can be connected, then drop the input.
  PinScript upScript, downScript;
  auto* up = made<HarnessFilter>();
  auto* down = made<HarnessFilter>();
  HarnessOutputPin* source = up->addOutput(&upScript);
  upScript.offered = {harnessType(1, 2)};
  D_CCritSec lock;
  auto* sink = new CountingInputPin(&downScript, down, &lock, u"In");
  ASSERT_EQ(source->Connect(filter->GetPin(0), nullptr), S_OK);
  ASSERT_EQ(filter->GetPin(1)->Connect(sink, &upScript.offered[0]), S_OK);
  filter->GetPin(0)->Disconnect();
  source->Disconnect();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(filter->Pause(), S_OK);
    EXPECT_EQ(filter->Pause(), S_OK);  // already paused: nothing more
    EXPECT_EQ(sink->ends, round + 1);
    EXPECT_EQ(filter->Stop(), S_OK);
  }
  filter->GetPin(1)->Disconnect();
  sink->Disconnect();
  delete sink;
  up->NonDelegatingRelease();
  down->NonDelegatingRelease();
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, OutputSamplesCarryTheInputsTimesAndFlags) {
  auto* filter = made<CopyTransform>();
  filter->GetPin(1);
  RecordingAllocator allocator;
  auto* out = static_cast<D_CTransformOutputPin*>(filter->GetPin(1));
  out->SetAllocator(&allocator);
  EXPECT_EQ(allocator.refs, 2);
  out->SetAllocator(&allocator);  // the same one again: no change in count
  EXPECT_EQ(allocator.refs, 2);

  struct Case {
    const char* name;
    DWORD flags;
    bool skippedBefore;
    bool wantStart, wantStop;
    DWORD wantBufferFlags;
    bool skippedAfter;
  } cases[] = {
      {"no times, sync point", ds::AM_SAMPLE_SPLICEPOINT, false, false, false, 0, false},
      {"times, not a sync point", ds::AM_SAMPLE_TIMEVALID | ds::AM_SAMPLE_STOPVALID, false, true, true,
       ds::AM_GBF_NOTASYNCPOINT, false},
      {"start only after a skip", ds::AM_SAMPLE_TIMEVALID | ds::AM_SAMPLE_SPLICEPOINT, true, true, false,
       ds::AM_GBF_PREVFRAMESKIPPED, true},
      {"discontinuity clears the skip", ds::AM_SAMPLE_DATADISCONTINUITY | ds::AM_SAMPLE_SPLICEPOINT, true, false,
       false, ds::AM_GBF_PREVFRAMESKIPPED, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    D_AM_SAMPLE2_PROPERTIES& p = filter->props()->props();
    p = {};
    p.dwSampleFlags = k.flags;
    p.tStart = 100;
    p.tStop = 200;
    filter->setSkipped(k.skippedBefore);
    D_IMediaSample* sample = nullptr;
    ASSERT_EQ(filter->initialize(nullptr, &sample), S_OK);
    EXPECT_EQ(allocator.askedStart, k.wantStart);
    EXPECT_EQ(allocator.askedStop, k.wantStop);
    EXPECT_EQ(allocator.askedFlags, k.wantBufferFlags);
    EXPECT_EQ(filter->SampleSkipped(), k.skippedAfter);
    EXPECT_EQ(sample->IsSyncPoint() == S_OK, (k.flags & ds::AM_SAMPLE_SPLICEPOINT) != 0);
    EXPECT_EQ(sample->IsDiscontinuity() == S_OK, (k.flags & ds::AM_SAMPLE_DATADISCONTINUITY) != 0);
    D_REFERENCE_TIME start = 0, stop = 0;
    const HRESULT times = sample->GetTime(&start, &stop);
    if ((k.flags & ds::AM_SAMPLE_TIMEVALID) != 0) EXPECT_EQ(start, 100);
    else EXPECT_EQ(times, ds::VFW_E_SAMPLE_TIME_NOT_SET);
    sample->Release();
  }
  out->SetAllocator(nullptr);
  EXPECT_EQ(allocator.refs, 1);
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, TransformOutputPinChecksItsPeerAfterTheFilter) {
  auto* filter = made<CopyTransform>();
  auto* peers = made<HarnessFilter>();
  PinScript script;
  script.offered = {harnessType(1, 2)};
  HarnessOutputPin* source = peers->addOutput(&script);
  D_CCritSec lock;
  BareInputPin bare(&script, peers, &lock);
  D_CBasePin* out = filter->GetPin(1);
  EXPECT_EQ(out->CheckConnect(&bare), plat::win::E_UNEXPECTED);  // the input is not connected
  EXPECT_EQ(filter->checks[ds::PINDIR_OUTPUT], 0);
  ASSERT_EQ(source->Connect(filter->GetPin(0), nullptr), S_OK);
  struct Case {
    D_IPin* peer;
    HRESULT result;
  } cases[] = {{source, ds::VFW_E_INVALID_DIRECTION}, {&bare, plat::win::E_NOINTERFACE}};
  int expectedChecks = 0;
  for (const Case& k : cases) {
    EXPECT_EQ(out->CheckConnect(k.peer), k.result);
    EXPECT_EQ(filter->checks[ds::PINDIR_OUTPUT], ++expectedChecks);
  }
  filter->GetPin(0)->Disconnect();
  source->Disconnect();
  peers->NonDelegatingRelease();
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, SeekingPassThroughIsMadeOnDemandAndRetriedAfterAFailure) {
  auto* filter = made<CopyTransform>();
  D_CBasePin* out = filter->GetPin(1);
  for (int round = 0; round < 3; ++round) {
    setenv("HALVORINE_MISSING", "dshow", 1);
    void* face = reinterpret_cast<void*>(1);
    EXPECT_EQ(out->QueryInterface(ds::IID_IMediaSeeking, &face), plat::win::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(face, nullptr);
    unsetenv("HALVORINE_MISSING");
  }
  // Made once, then asked again; the platform's pass-through has no IMediaPosition.
  for (int round = 0; round < 2; ++round) {
    void* face = nullptr;
    EXPECT_EQ(out->QueryInterface(ds::IID_IMediaSeeking, &face), S_OK);
    if (face != nullptr) static_cast<D_IUnknown*>(face)->Release();
    EXPECT_EQ(out->QueryInterface(ds::IID_IMediaPosition, &face), plat::win::E_NOINTERFACE);
  }
  EXPECT_EQ(out->QueryInterface(ds::IID_IMediaSeeking, nullptr), plat::win::E_POINTER);
  filter->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
