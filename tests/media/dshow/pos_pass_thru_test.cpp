// Position pass-through: forwarding to the peer, refused rates, the renderer's media
// time, and the automation path that ends at the missing type library.
#include <gtest/gtest.h>

#include "media/dshow/media_sample.h"
#include "media/dshow/mem_allocator.h"
#include "media/dshow/pos_pass_thru.h"
#include "platform/win/module.h"
#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_NOTIMPL;
using plat::win::UINT;

// The upstream peer: answers seeking and position calls and counts them.
class SeekingPeer final : public ds::IMediaSeeking, public ds::IMediaPosition {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    *out = nullptr;
    if (iid == ds::IID_IMediaSeeking && offerSeeking) *out = static_cast<ds::IMediaSeeking*>(this);
    if (iid == ds::IID_IMediaPosition && offerPosition) *out = static_cast<ds::IMediaPosition*>(this);
    if (*out == nullptr) return plat::win::E_NOINTERFACE;
    ++refs;
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

  HRESULT answer() { return ++calls, 3; }
  HRESULT GetCapabilities(DWORD*) override { return answer(); }
  HRESULT CheckCapabilities(DWORD*) override { return answer(); }
  HRESULT IsFormatSupported(const GUID*) override { return answer(); }
  HRESULT QueryPreferredFormat(GUID*) override { return answer(); }
  HRESULT GetTimeFormat(GUID* format) override {
    *format = ds::TIME_FORMAT_MEDIA_TIME;
    return answer();
  }
  HRESULT IsUsingTimeFormat(const GUID*) override { return answer(); }
  HRESULT SetTimeFormat(const GUID*) override { return answer(); }
  HRESULT GetDuration(LONGLONG*) override { return answer(); }
  HRESULT GetStopPosition(LONGLONG* stop) override {
    *stop = stopPosition;
    return answer();
  }
  HRESULT GetCurrentPosition(LONGLONG*) override { return answer(); }
  HRESULT ConvertTimeFormat(LONGLONG* target, const GUID*, LONGLONG source, const GUID* sourceFormat) override {
    EXPECT_TRUE(*sourceFormat == ds::TIME_FORMAT_MEDIA_TIME);
    *target = source * 2;  // a conversion the test can see
    return answer();
  }
  HRESULT SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD) override { return answer(); }
  HRESULT GetPositions(LONGLONG*, LONGLONG*) override { return answer(); }
  HRESULT GetAvailable(LONGLONG*, LONGLONG*) override { return answer(); }
  HRESULT SetRate(double) override { return answer(); }
  HRESULT GetRate(double*) override { return answer(); }
  HRESULT GetPreroll(LONGLONG*) override { return answer(); }

  HRESULT GetTypeInfoCount(UINT*) override { return answer(); }
  HRESULT GetTypeInfo(UINT, plat::win::LCID, plat::win::ITypeInfo**) override { return answer(); }
  HRESULT GetIDsOfNames(const IID&, plat::win::LPOLESTR*, UINT, plat::win::LCID, plat::win::DISPID*) override {
    return answer();
  }
  HRESULT Invoke(plat::win::DISPID, const IID&, plat::win::LCID, plat::win::WORD, plat::win::DISPPARAMS*,
                 plat::win::VARIANT*, plat::win::EXCEPINFO*, UINT*) override {
    return answer();
  }
  HRESULT get_Duration(REFTIME*) override { return answer(); }
  HRESULT put_CurrentPosition(REFTIME) override { return answer(); }
  HRESULT get_CurrentPosition(REFTIME*) override { return answer(); }
  HRESULT get_StopTime(REFTIME*) override { return answer(); }
  HRESULT put_StopTime(REFTIME) override { return answer(); }
  HRESULT get_PrerollTime(REFTIME*) override { return answer(); }
  HRESULT put_PrerollTime(REFTIME) override { return answer(); }
  HRESULT put_Rate(double) override { return answer(); }
  HRESULT get_Rate(double*) override { return answer(); }
  HRESULT CanSeekForward(LONG*) override { return answer(); }
  HRESULT CanSeekBackward(LONG*) override { return answer(); }

  bool offerSeeking = true;
  bool offerPosition = true;
  int refs = 0;
  int calls = 0;
  LONGLONG stopPosition = 777;
};

// An output pin whose filter's seeking is the harness peer.
class SeekingOutputPin final : public HarnessOutputPin {
 public:
  SeekingOutputPin(PinScript* script, D_CBaseFilter* filter, D_CCritSec* lock, SeekingPeer* peer)
      : HarnessOutputPin(script, filter, lock, u"Output"), peer_(peer) {}
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override {
    if (iid == ds::IID_IMediaSeeking || iid == ds::IID_IMediaPosition) return peer_->QueryInterface(iid, out);
    return HarnessOutputPin::NonDelegatingQueryInterface(iid, out);
  }

 private:
  SeekingPeer* peer_;
};

// Every forwarded call once, with the result it gave.
std::vector<HRESULT> callAll(D_CPosPassThru* p) {
  LONGLONG a = 0, b = 0;
  DWORD caps = 0;
  GUID format{};
  double rate = 0;
  REFTIME t = 0;
  LONG can = 0;
  return {p->GetCapabilities(&caps), p->CheckCapabilities(&caps), p->IsFormatSupported(&format),
          p->QueryPreferredFormat(&format), p->GetTimeFormat(&format), p->IsUsingTimeFormat(&format),
          p->SetTimeFormat(&format), p->GetDuration(&a), p->GetStopPosition(&a), p->GetCurrentPosition(&a),
          p->ConvertTimeFormat(&a, &format, 1, &ds::TIME_FORMAT_MEDIA_TIME), p->SetPositions(&a, 0, &b, 0),
          p->GetPositions(&a, &b), p->GetAvailable(&a, &b), p->SetRate(1.0), p->GetRate(&rate), p->GetPreroll(&a),
          p->get_Duration(&t), p->put_CurrentPosition(t), p->get_CurrentPosition(&t), p->get_StopTime(&t),
          p->put_StopTime(t), p->get_PrerollTime(&t), p->put_PrerollTime(t), p->put_Rate(1.0), p->get_Rate(&rate),
          p->CanSeekForward(&can), p->CanSeekBackward(&can)};
}

struct Rig {
  SeekingPeer peer;
  PinScript outScript, inScript;
  D_CCritSec upLock;
  HarnessFilter* up = made<HarnessFilter>();
  HarnessFilter* down = made<HarnessFilter>();
  std::unique_ptr<SeekingOutputPin> out;
  HarnessInputPin* in;
  D_CRendererPosPassThru* pass;
  Rig() {
    outScript.offered = {harnessType(1, 1)};
    out = std::make_unique<SeekingOutputPin>(&outScript, up, &upLock, &peer);
    in = down->addInput(&inScript);
    HRESULT hr = S_OK;
    pass = made<D_CRendererPosPassThru>(u"Renderer D_CPosPassThru", nullptr, &hr, in);
    EXPECT_EQ(hr, S_OK);
  }
  void connect() { ASSERT_EQ(out->Connect(in, nullptr), S_OK); }
  ~Rig() {
    pass->NonDelegatingRelease();
    out->Disconnect();
    in->Disconnect();
    out.reset();
    up->NonDelegatingRelease();
    down->NonDelegatingRelease();
  }
};

TEST_F(DShowTest, PassThroughForwardsOnlyWhenThePeerAnswers) {
  const struct {
    const char* name;
    bool connect, seeking, position;
  } cases[] = {
      {"unconnected", false, true, true},
      {"peer without interfaces", true, false, false},
      {"peer with both", true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.peer.offerSeeking = c.seeking;
    rig.peer.offerPosition = c.position;
    if (c.connect) rig.connect();
    const std::vector<HRESULT> results = callAll(rig.pass);
    const bool reaches = c.connect && c.seeking;
    for (HRESULT hr : results) EXPECT_EQ(hr, reaches ? 3 : E_NOTIMPL);
    EXPECT_EQ(rig.peer.calls, reaches ? static_cast<int>(results.size()) : 0);
    EXPECT_EQ(rig.peer.refs, 0) << "every peer interface is released";

    const int before = rig.peer.calls;
    EXPECT_EQ(rig.pass->SetRate(0.0), E_INVALIDARG);
    EXPECT_EQ(rig.pass->put_Rate(0.0), E_INVALIDARG);
    EXPECT_EQ(rig.peer.calls, before) << "a zero rate never goes upstream";
  }
  HRESULT hr = S_OK;
  auto* orphan = new D_CPosPassThru(u"orphan", nullptr, &hr, nullptr);
  EXPECT_EQ(hr, plat::win::E_POINTER);
  delete orphan;
}

TEST_F(DShowTest, RendererMediaTime) {
  Rig rig;
  rig.connect();
  LONGLONG start = 0, stop = 0;
  EXPECT_EQ(rig.pass->GetMediaTime(&start, &stop), E_FAIL);
  EXPECT_EQ(rig.pass->EOS(), E_FAIL);

  HRESULT hr = S_OK;
  auto* allocator = made<D_CMemAllocator>(u"test", nullptr, &hr);
  D_ALLOCATOR_PROPERTIES want{1, 16, 1, 0}, got{};
  allocator->SetProperties(&want, &got);
  allocator->Commit();
  D_IMediaSample* sample = nullptr;
  ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(rig.pass->RegisterMediaTime(sample), ds::VFW_E_SAMPLE_TIME_NOT_SET);
  D_REFERENCE_TIME t0 = 100, t1 = 250;
  sample->SetTime(&t0, &t1);
  ASSERT_EQ(rig.pass->RegisterMediaTime(sample), S_OK);
  EXPECT_EQ(rig.pass->GetMediaTime(&start, &stop), 3);
  EXPECT_EQ(start, 200);
  EXPECT_EQ(stop, 500);

  ASSERT_EQ(rig.pass->EOS(), S_OK);
  rig.pass->GetMediaTime(&start, &stop);
  EXPECT_EQ(start, 2 * 777) << "the end of the stream stores the stop position";
  EXPECT_EQ(stop, 2 * 777);

  rig.pass->ResetMediaTime();
  EXPECT_EQ(rig.pass->GetMediaTime(&start, &stop), E_FAIL);
  sample->Release();
  allocator->Decommit();
  allocator->NonDelegatingRelease();
}

TEST_F(DShowTest, AutomationReachesTheTypeLibraryLoaderAndFreesItsLibrary) {
  ASSERT_EQ(plat::win::GetModuleReferenceCount(u"oleaut32"), 0);
  {
    Rig rig;
    UINT count = 0;
    EXPECT_EQ(rig.pass->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    plat::win::ITypeInfo* info = reinterpret_cast<plat::win::ITypeInfo*>(1);
    EXPECT_EQ(rig.pass->GetTypeInfo(1, 0, &info), plat::win::TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(rig.pass->GetTypeInfo(0, 0, &info), plat::win::TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(plat::win::GetModuleReferenceCount(u"oleaut32"), 1);
    plat::win::DISPID id = 0;
    EXPECT_EQ(rig.pass->GetIDsOfNames(ds::GUID_NULL, nullptr, 0, 0, &id), plat::win::TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(rig.pass->Invoke(0, ds::IID_IPin, 0, 0, nullptr, nullptr, nullptr, nullptr),
              plat::win::DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(rig.pass->Invoke(0, ds::GUID_NULL, 0, 0, nullptr, nullptr, nullptr, nullptr),
              plat::win::TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(plat::win::GetModuleReferenceCount(u"oleaut32"), 1) << "loaded once per process";
  }
  // The last object of the library is gone: the automation library is released.
  EXPECT_EQ(D_CBaseObject::ObjectsActive(), 0);
  EXPECT_EQ(plat::win::GetModuleReferenceCount(u"oleaut32"), 0);

  // Without the library the automation calls report the load failure.
  setenv("HALVORINE_MISSING", "oleaut32", 1);
  {
    Rig rig;
    plat::win::ITypeInfo* info = nullptr;
    EXPECT_EQ(rig.pass->GetTypeInfo(0, 0, &info), static_cast<HRESULT>(0x8007007Eu));
  }
  unsetenv("HALVORINE_MISSING");
}

}  // namespace
}  // namespace halvorine_test
