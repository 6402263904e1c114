// Pins: connection refusals, negotiation order and filtering, reception and quality.
#include <gtest/gtest.h>

#include "media/dshow/mem_allocator.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;

struct Pair {
  PinScript outScript, inScript;
  HarnessFilter* up = made<HarnessFilter>();
  HarnessFilter* down = made<HarnessFilter>();
  HarnessOutputPin* out = up->addOutput(&outScript);
  HarnessInputPin* in = down->addInput(&inScript);
  ~Pair() {
    up->Stop();
    down->Stop();
    out->Disconnect();
    in->Disconnect();
    up->NonDelegatingRelease();
    down->NonDelegatingRelease();
  }
};

TEST_F(DShowTest, ConnectRefusesBadCalls) {
  Pair p;
  p.outScript.offered = {harnessType(1, 10)};
  EXPECT_EQ(p.out->Connect(nullptr, nullptr), E_POINTER);
  ASSERT_EQ(p.out->Connect(p.in, nullptr), S_OK);
  EXPECT_EQ(p.out->Connect(p.in, nullptr), ds::VFW_E_ALREADY_CONNECTED);
  EXPECT_EQ(p.in->ReceiveConnection(p.out, &p.outScript.offered[0]), ds::VFW_E_ALREADY_CONNECTED);

  D_AM_MEDIA_TYPE type{};
  ASSERT_EQ(p.in->ConnectionMediaType(&type), S_OK);
  EXPECT_EQ(type.subtype.Data1, 10u);
  D_FreeMediaType(type);

  ASSERT_EQ(p.down->Run(0), S_OK);
  EXPECT_EQ(p.in->Disconnect(), ds::VFW_E_NOT_STOPPED);
  p.down->Stop();
  EXPECT_EQ(p.in->Disconnect(), S_OK);
  EXPECT_EQ(p.in->Disconnect(), S_FALSE);
  EXPECT_EQ(p.out->Disconnect(), S_OK);
  EXPECT_EQ(p.in->ConnectionMediaType(&type), ds::VFW_E_NOT_CONNECTED);
  D_IPin* peer = reinterpret_cast<D_IPin*>(1);
  EXPECT_EQ(p.in->ConnectedTo(&peer), ds::VFW_E_NOT_CONNECTED);
  EXPECT_EQ(peer, nullptr);

  ASSERT_EQ(p.up->Pause(), S_OK);
  EXPECT_EQ(p.out->Connect(p.in, nullptr), ds::VFW_E_NOT_STOPPED);
}

TEST_F(DShowTest, NegotiationOrderAndFilters) {
  struct Case {
    const char* name;
    bool myTypesFirst;
    std::vector<DWORD> outOffers, inOffers;
    std::vector<DWORD> outAccepts, inAccepts;
    const D_AM_MEDIA_TYPE* partial;
    HRESULT result;
    std::vector<DWORD> outChecked;  // the candidates the output pin considered, in order
    DWORD connectedSub;
  };
  D_AM_MEDIA_TYPE onlyMajor2{};
  onlyMajor2.majortype = harnessType(2, 0).majortype;
  const Case cases[] = {
      {"receiver's types first", false, {10, 11}, {20, 21}, {}, {}, nullptr, S_OK, {20}, 20},
      {"try my types first", true, {10, 11}, {20, 21}, {}, {}, nullptr, S_OK, {10}, 10},
      {"refused ones are skipped", false, {10, 11}, {20, 21}, {}, {11}, nullptr, S_OK, {20, 21, 10, 11}, 11},
      {"nothing fits", false, {10}, {20}, {}, {99}, nullptr, ds::VFW_E_TYPE_NOT_ACCEPTED, {20, 10}, 0},
      {"no types at all", false, {}, {}, {}, {}, nullptr, ds::VFW_E_NO_ACCEPTABLE_TYPES, {}, 0},
      {"partial type filters", false, {10}, {20}, {}, {}, &onlyMajor2, S_OK, {20}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pair p;
    for (DWORD s : c.outOffers) p.outScript.offered.push_back(harnessType(s == 10 || s == 11 ? 1 : 2, s));
    for (DWORD s : c.inOffers) p.inScript.offered.push_back(harnessType(2, s));
    p.outScript.accepted = c.outAccepts;
    p.inScript.accepted = c.inAccepts;
    p.out->SetTryMyTypesFirst(c.myTypesFirst);
    EXPECT_EQ(p.out->Connect(p.in, c.partial), c.result);
    EXPECT_EQ(p.outScript.checked, c.outChecked);
    const int refused = static_cast<int>(c.outChecked.size()) - (c.result == S_OK ? 1 : 0);
    EXPECT_EQ(p.outScript.breaks, refused + (c.result == S_OK ? 0 : 1))
        << "every refused attempt breaks the connection; a failed Connect once more";
    EXPECT_EQ(p.out->IsConnected(), c.result == S_OK);
    EXPECT_EQ(p.in->IsConnected(), c.result == S_OK);
    if (c.result == S_OK) {
      EXPECT_EQ(p.in->CurrentMediaType().subtype.Data1, c.connectedSub);
    }
  }
}

TEST_F(DShowTest, ReceiveConnectionTurnsPlainRefusalsIntoTypeNotAccepted) {
  const struct {
    HRESULT refusal, expected;
  } cases[] = {
      {E_FAIL, ds::VFW_E_TYPE_NOT_ACCEPTED},
      {E_INVALIDARG, ds::VFW_E_TYPE_NOT_ACCEPTED},
      {S_FALSE, ds::VFW_E_TYPE_NOT_ACCEPTED},
      {E_OUTOFMEMORY, E_OUTOFMEMORY},
      {ds::VFW_E_INVALIDMEDIATYPE, ds::VFW_E_INVALIDMEDIATYPE},
  };
  for (const auto& c : cases) {
    Pair p;
    p.inScript.accepted = {1};
    p.inScript.refusal = c.refusal;
    const D_AM_MEDIA_TYPE type = harnessType(1, 10);
    EXPECT_EQ(p.in->ReceiveConnection(p.out, &type), c.expected);
    EXPECT_EQ(p.inScript.breaks, 1);
    EXPECT_FALSE(p.in->IsConnected());
  }
}

TEST_F(DShowTest, PinInformation) {
  PinScript script;
  HarnessFilter* filter = made<HarnessFilter>();
  std::u16string longName(300, u'p');
  HarnessInputPin* pin = filter->addInput(&script, longName.c_str());
  D_PIN_INFO info;
  ASSERT_EQ(pin->QueryPinInfo(&info), S_OK);
  EXPECT_EQ(std::u16string(info.achName), std::u16string(127, u'p'));
  EXPECT_EQ(info.dir, ds::PINDIR_INPUT);
  EXPECT_EQ(info.pFilter, static_cast<D_IBaseFilter*>(filter));
  info.pFilter->Release();
  WCHAR* id = nullptr;
  ASSERT_EQ(pin->QueryId(&id), S_OK);
  EXPECT_EQ(std::u16string(id), longName);
  D_TaskMemFree(id);
  script.accepted = {5};
  D_AM_MEDIA_TYPE yes = harnessType(1, 5), no = harnessType(1, 6);
  EXPECT_EQ(pin->QueryAccept(&yes), S_OK);
  EXPECT_EQ(pin->QueryAccept(&no), S_FALSE);
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, EnumMediaTypesFollowsTheTypeVersion) {
  PinScript script;
  script.offered = {harnessType(1, 1), harnessType(1, 2)};
  HarnessFilter* filter = made<HarnessFilter>();
  HarnessOutputPin* pin = filter->addOutput(&script);
  D_IEnumMediaTypes* types = nullptr;
  ASSERT_EQ(pin->EnumMediaTypes(&types), S_OK);
  D_AM_MEDIA_TYPE* got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(types->Next(2, got, nullptr), E_INVALIDARG);
  EXPECT_EQ(types->Next(3, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(got[1]->subtype.Data1, 2u);
  for (ULONG i = 0; i < fetched; ++i) D_DeleteMediaType(got[i]);

  script.offered.push_back(harnessType(1, 3));
  pin->bumpTypes();
  EXPECT_EQ(types->Next(1, got, &fetched), ds::VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(types->Skip(1), ds::VFW_E_ENUM_OUT_OF_SYNC);
  D_IEnumMediaTypes* copy = nullptr;
  EXPECT_EQ(types->Clone(&copy), ds::VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(types->Reset(), S_OK);
  EXPECT_EQ(types->Skip(2), S_OK);
  EXPECT_EQ(types->Next(1, got, &fetched), S_OK);
  EXPECT_EQ(got[0]->subtype.Data1, 3u);
  D_DeleteMediaType(got[0]);
  EXPECT_EQ(types->Skip(1), S_FALSE);
  types->Release();
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, CheckStreamingAndReceiveMultiple) {
  Pair p;
  p.outScript.offered = {harnessType(1, 10)};
  ASSERT_EQ(p.out->Connect(p.in, nullptr), S_OK);
  EXPECT_EQ(p.in->CheckStreaming(), ds::VFW_E_WRONG_STATE);
  ASSERT_EQ(p.down->Pause(), S_OK);
  EXPECT_EQ(p.in->CheckStreaming(), S_OK);
  p.in->setFlushing(true);
  EXPECT_EQ(p.in->CheckStreaming(), S_FALSE);
  p.in->setFlushing(false);
  p.in->markError();
  EXPECT_EQ(p.in->CheckStreaming(), ds::VFW_E_RUNTIME_ERROR);
  p.in->setFlushing(false);  // the end of a flush clears the error
  EXPECT_EQ(p.in->CheckStreaming(), S_OK);

  // Real samples from a committed allocator, received through the base checks.
  HRESULT hr = S_OK;
  auto* allocator = made<D_CMemAllocator>(u"test", nullptr, &hr);
  D_ALLOCATOR_PROPERTIES want{4, 64, 1, 0}, got{};
  ASSERT_EQ(allocator->SetProperties(&want, &got), S_OK);
  ASSERT_EQ(allocator->Commit(), S_OK);
  D_IMediaSample* samples[4];
  for (auto& s : samples) ASSERT_EQ(allocator->GetBuffer(&s, nullptr, nullptr, 0), S_OK);

  LONG processed = -1;
  EXPECT_EQ(p.in->ReceiveMultiple(samples, 4, nullptr), E_POINTER);
  EXPECT_EQ(p.in->ReceiveMultiple(samples, 4, &processed), S_OK);
  EXPECT_EQ(processed, 4);
  // A type change the pin refuses stops the batch there.
  p.inScript.accepted = {10};
  D_AM_MEDIA_TYPE other = harnessType(1, 99);
  samples[2]->SetMediaType(&other);
  EXPECT_EQ(p.in->ReceiveMultiple(samples, 4, &processed), ds::VFW_E_INVALIDMEDIATYPE);
  EXPECT_EQ(processed, 2);
  p.inScript.receiveResult = S_FALSE;
  EXPECT_EQ(p.in->ReceiveMultiple(samples, 4, &processed), S_FALSE);
  EXPECT_EQ(processed, 0);
  EXPECT_EQ(p.inScript.received, 4 + 2 + 1);
  for (auto* s : samples) s->Release();
  allocator->Decommit();
  allocator->NonDelegatingRelease();
}

// Records the quality messages that reach it.
class QualitySink final : public D_IQualityControl {
 public:
  HRESULT QueryInterface(const IID&, void** out) override {
    *out = nullptr;
    return plat::win::E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override {
    from = sender;
    late = quality.Late;
    return 5;
  }
  HRESULT SetSink(D_IQualityControl*) override { return S_OK; }
  D_IBaseFilter* from = nullptr;
  D_REFERENCE_TIME late = 0;
};

TEST_F(DShowTest, PassNotifyReachesSinkThenPeer) {
  Pair p;
  D_Quality quality{ds::Famine, 900, 1234, 5678};
  EXPECT_EQ(p.in->PassNotify(quality), ds::VFW_E_NOT_FOUND);

  p.outScript.offered = {harnessType(1, 10)};
  ASSERT_EQ(p.out->Connect(p.in, nullptr), S_OK);
  EXPECT_EQ(p.in->PassNotify(quality), 6) << "the upstream peer's quality control answers";
  EXPECT_EQ(p.out->lastQuality.Late, 1234);
  EXPECT_EQ(p.out->lastSender, static_cast<D_IBaseFilter*>(p.down));

  QualitySink sink;
  ASSERT_EQ(p.in->SetSink(&sink), S_OK);
  EXPECT_EQ(p.in->PassNotify(quality), 5);
  EXPECT_EQ(sink.from, static_cast<D_IBaseFilter*>(p.down));
  EXPECT_EQ(sink.late, 1234);
  EXPECT_EQ(p.in->Notify(nullptr, quality), E_POINTER);
  EXPECT_EQ(p.in->Notify(p.up, quality), S_OK);
}

}  // namespace
}  // namespace halvorine_test
