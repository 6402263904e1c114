// The filter base: information, clock, state changes over the pins, graph membership.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

using plat::win::E_FAIL;
using plat::win::E_NOINTERFACE;

// Connects an output pin of `up` to an input pin of `down`, both accepting anything.
struct Chain {
  PinScript outScript, inScript;
  HarnessFilter* up = made<HarnessFilter>();
  HarnessFilter* down = made<HarnessFilter>();
  HarnessOutputPin* out;
  HarnessInputPin* in;
  Chain() {
    outScript.offered = {harnessType(1, 10)};
    out = up->addOutput(&outScript);
    in = down->addInput(&inScript);
  }
  ~Chain() {
    up->Stop();
    down->Stop();
    out->Disconnect();
    in->Disconnect();
    up->NonDelegatingRelease();
    down->NonDelegatingRelease();
  }
};

TEST_F(DShowTest, QueryFilterInfoNamesAndCutsLongNames) {
  HarnessFilter* filter = made<HarnessFilter>();
  D_FILTER_INFO info;
  info.achName[0] = u'x';
  ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(info.achName[0], u'\0');
  EXPECT_EQ(info.pGraph, nullptr);

  std::u16string longName(200, u'n');
  HarnessGraph graph(false);
  ASSERT_EQ(filter->JoinFilterGraph(&graph, longName.c_str()), S_OK);
  EXPECT_EQ(graph.refs, 0) << "joining keeps no reference on the graph";
  ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(std::u16string(info.achName), std::u16string(127, u'n'));
  EXPECT_EQ(info.pGraph, static_cast<ds::IFilterGraph*>(&graph));
  EXPECT_EQ(graph.refs, 1);
  info.pGraph->Release();

  // The event sink is found through the graph and reached without a reference.
  EXPECT_EQ(filter->NotifyEvent(1, 0, 0), S_OK);
  EXPECT_EQ(graph.events, std::vector<LONG>{1});
  EXPECT_EQ(graph.refs, 0);
  ASSERT_EQ(filter->JoinFilterGraph(nullptr, nullptr), S_OK);
  EXPECT_EQ(filter->NotifyEvent(1, 0, 0), plat::win::E_NOTIMPL);
  filter->NonDelegatingRelease();
}

TEST_F(DShowTest, ClockAndStreamTime) {
  HarnessFilter* filter = made<HarnessFilter>();
  D_REFERENCE_TIME time = 0;
  EXPECT_EQ(filter->StreamTime(&time), ds::VFW_E_NO_CLOCK);
  HarnessClock clock;
  clock.now = 5000;
  ASSERT_EQ(filter->SetSyncSource(&clock), S_OK);
  EXPECT_EQ(clock.refs, 1);
  ASSERT_EQ(filter->Run(1000), S_OK);
  EXPECT_EQ(filter->StreamTime(&time), S_OK);
  EXPECT_EQ(time, 4000);
  ds::IReferenceClock* got = nullptr;
  ASSERT_EQ(filter->GetSyncSource(&got), S_OK);
  EXPECT_EQ(got, &clock);
  got->Release();
  ASSERT_EQ(filter->SetSyncSource(nullptr), S_OK);
  EXPECT_EQ(clock.refs, 0);
  filter->NonDelegatingRelease();
  CLSID id;
  HarnessFilter* other = made<HarnessFilter>(CLSID{0x77, 1, 2, {3}});
  ASSERT_EQ(other->GetClassID(&id), S_OK);
  EXPECT_EQ(id.Data1, 0x77u);
  EXPECT_EQ(other->Register(), S_FALSE);
  EXPECT_EQ(other->Unregister(), S_FALSE);
  EXPECT_EQ(other->QueryVendorInfo(nullptr), plat::win::E_NOTIMPL);
  other->NonDelegatingRelease();
}

// Three connected pins on one filter, with a failure planted on one of them.
TEST_F(DShowTest, StateChangesWalkTheConnectedPinsInOrder) {
  struct Case {
    const char* name;
    int failingPin;  // -1: none
    bool failActive;
    std::vector<std::string> pauseOrder;
    HRESULT pauseResult;
    D_FILTER_STATE stateAfterPause;
  };
  const Case cases[] = {
      {"all well", -1, true, {"active in", "active in", "active in"}, S_OK, ds::State_Paused},
      {"second fails to activate", 1, true, {"active in", "active in"}, E_FAIL, ds::State_Stopped},
      {"second fails to deactivate", 1, false, {"active in", "active in", "active in"}, S_OK, ds::State_Paused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> order;
    PinScript scripts[3], upScripts[3];
    HarnessFilter* filter = made<HarnessFilter>();
    HarnessFilter* up = made<HarnessFilter>();
    std::vector<HarnessOutputPin*> outs;
    for (int i = 0; i < 3; ++i) {
      scripts[i].order = &order;
      if (i == c.failingPin) (c.failActive ? scripts[i].activeResult : scripts[i].inactiveResult) = E_FAIL;
      upScripts[i].offered = {harnessType(1, 10)};
      HarnessInputPin* in = filter->addInput(&scripts[i]);
      outs.push_back(up->addOutput(&upScripts[i]));
      ASSERT_EQ(outs.back()->Connect(in, nullptr), S_OK);
    }
    // An unconnected pin takes no part.
    PinScript loose;
    loose.order = &order;
    filter->addInput(&loose);

    EXPECT_EQ(filter->Pause(), c.pauseResult);
    EXPECT_EQ(order, c.pauseOrder);
    D_FILTER_STATE state;
    filter->GetState(0, &state);
    EXPECT_EQ(state, c.stateAfterPause);

    order.clear();
    const HRESULT stopped = filter->Stop();
    if (c.stateAfterPause == ds::State_Stopped) {
      EXPECT_TRUE(order.empty());
    } else {
      EXPECT_EQ(order, (std::vector<std::string>{"inactive in", "inactive in", "inactive in"}))
          << "every connected pin is deactivated, even after a failure";
      EXPECT_EQ(stopped, c.failActive ? S_OK : E_FAIL);
    }
    filter->GetState(0, &state);
    EXPECT_EQ(state, ds::State_Stopped);

    // Run from stopped passes through pause.
    order.clear();
    const HRESULT ran = filter->Run(0);
    if (c.pauseResult == S_OK) {
      EXPECT_EQ(ran, S_OK);
      EXPECT_EQ(order.size(), 3u);
      filter->GetState(0, &state);
      EXPECT_EQ(state, ds::State_Running);
      EXPECT_EQ(filter->Pause(), S_OK);
      EXPECT_EQ(order.size(), 3u) << "pause from running touches no pin";
    } else {
      EXPECT_EQ(ran, c.pauseResult);
    }
    filter->Stop();
    for (HarnessOutputPin* out : outs) out->Disconnect();
    for (int i = 0; i < filter->GetPinCount(); ++i) filter->GetPin(i)->Disconnect();
    filter->NonDelegatingRelease();
    up->NonDelegatingRelease();
  }
}

TEST_F(DShowTest, ReconnectPinGoesThroughTheGraph) {
  Chain chain;
  const D_AM_MEDIA_TYPE type = harnessType(1, 10);
  EXPECT_EQ(chain.up->ReconnectPin(chain.out, &type), E_NOINTERFACE);

  HarnessGraph modern(true);
  chain.up->JoinFilterGraph(&modern, u"up");
  EXPECT_EQ(chain.up->ReconnectPin(chain.out, &type), 7);
  EXPECT_EQ(modern.reconnectExes, 1);
  EXPECT_EQ(modern.reconnected, static_cast<ds::IPin*>(chain.out));
  EXPECT_EQ(modern.reconnectType, &type);
  EXPECT_EQ(modern.refs, 0);

  HarnessGraph plain(false);
  chain.up->JoinFilterGraph(&plain, u"up");
  EXPECT_EQ(chain.up->ReconnectPin(chain.out, &type), S_OK);
  EXPECT_EQ(plain.reconnects, 1);
  EXPECT_EQ(plain.reconnectExes, 0);
}

TEST_F(DShowTest, EnumPinsFollowsThePinVersion) {
  HarnessFilter* filter = made<HarnessFilter>();
  PinScript a, b, c;
  filter->addInput(&a, u"a");
  filter->addOutput(&b, u"b");
  D_IEnumPins* pins = nullptr;
  ASSERT_EQ(filter->EnumPins(&pins), S_OK);

  D_IPin* got[3] = {};
  ULONG fetched = 9;
  EXPECT_EQ(pins->Next(2, got, nullptr), plat::win::E_INVALIDARG);
  EXPECT_EQ(pins->Next(3, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
  EXPECT_EQ(pins->Reset(), S_OK);
  EXPECT_EQ(pins->Skip(1), S_OK);
  EXPECT_EQ(pins->Skip(2), S_FALSE);

  filter->addInput(&c, u"c");  // the pin set changed under the enumerator
  EXPECT_EQ(pins->Next(1, got, &fetched), ds::VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(pins->Skip(1), ds::VFW_E_ENUM_OUT_OF_SYNC);
  D_IEnumPins* copy = nullptr;
  EXPECT_EQ(pins->Clone(&copy), ds::VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(pins->Reset(), S_OK);
  EXPECT_EQ(pins->Next(3, got, &fetched), S_OK);
  EXPECT_EQ(fetched, 3u);
  D_PIN_INFO info;
  got[2]->QueryPinInfo(&info);
  EXPECT_EQ(std::u16string(info.achName), u"c");
  info.pFilter->Release();
  for (ULONG i = 0; i < fetched; ++i) got[i]->Release();

  ASSERT_EQ(pins->Clone(&copy), S_OK);
  EXPECT_EQ(copy->Next(1, got, &fetched), S_FALSE) << "the copy stands where the original stood";
  copy->Release();
  pins->Release();
  filter->NonDelegatingRelease();
}

// A filter with registration data: one input taking PCM audio, one output of a stream.
class SetupFilter : public HarnessFilter {
 public:
  explicit SetupFilter(const CLSID& clsid) : HarnessFilter(clsid), clsid_(clsid) {}
  const void* GetSetupData() override { return withData ? &setup_ : nullptr; }
  bool withData = true;

 private:
  const CLSID clsid_;
  const D_AMOVIESETUP_MEDIATYPE inTypes_[1] = {{&ds::MEDIATYPE_Audio, &ds::MEDIASUBTYPE_PCM}};
  const D_AMOVIESETUP_MEDIATYPE outTypes_[1] = {{&ds::MEDIATYPE_Stream, &ds::GUID_NULL}};
  const D_AMOVIESETUP_PIN pins_[2] = {{u"In", 0, 0, 0, 0, nullptr, nullptr, 1, inTypes_},
                                      {u"Out", 0, 1, 0, 0, nullptr, nullptr, 1, outTypes_}};
  const D_AMOVIESETUP_FILTER setup_ = {&clsid_, u"Setup filter", 0x600000, 2, pins_};
};

std::vector<CLSID> matching(BOOL output, const GUID& major, const GUID& minor) {
  void* made = nullptr;
  std::vector<CLSID> found;
  if (plat::win::CoCreateInstance(ds::CLSID_FilterMapper2, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                                  ds::IID_IFilterMapper2, &made) != S_OK)
    return found;
  auto* mapper = static_cast<ds::IFilterMapper2*>(made);
  mapper->EnumMatchingFilters(&found, 0, output, major, minor);
  mapper->Release();
  return found;
}

bool listed(const std::vector<CLSID>& list, const CLSID& clsid) {
  return std::find(list.begin(), list.end(), clsid) != list.end();
}

TEST_F(DShowTest, RegisteredFiltersAreFoundByTheTypesOfTheirPins) {
  const CLSID clsid = {0x5E7B0001, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
  auto* filter = made<SetupFilter>(clsid);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(filter->Register(), S_OK);
    EXPECT_TRUE(listed(matching(0, ds::MEDIATYPE_Audio, ds::MEDIASUBTYPE_PCM), clsid));
    EXPECT_TRUE(listed(matching(0, ds::MEDIATYPE_Audio, ds::GUID_NULL), clsid));
    EXPECT_FALSE(listed(matching(0, ds::MEDIATYPE_Stream, ds::MEDIASUBTYPE_PCM), clsid));
    EXPECT_TRUE(listed(matching(1, ds::MEDIATYPE_Stream, ds::MEDIASUBTYPE_WAVE), clsid));  // any subtype
    EXPECT_FALSE(listed(matching(1, ds::MEDIATYPE_Audio, ds::MEDIASUBTYPE_PCM), clsid));
    ASSERT_EQ(filter->Register(), S_OK);  // again: one entry, replaced
    const std::vector<CLSID> once = matching(0, ds::MEDIATYPE_Audio, ds::MEDIASUBTYPE_PCM);
    EXPECT_EQ(std::count(once.begin(), once.end(), clsid), 1);
    ASSERT_EQ(filter->Unregister(), S_OK);
    EXPECT_FALSE(listed(matching(0, ds::MEDIATYPE_Audio, ds::MEDIASUBTYPE_PCM), clsid));
    EXPECT_EQ(filter->Unregister(), S_FALSE);  // nothing left to remove
  }
  // Without set-up data nothing happens; without the filter-graph classes it fails.
  filter->withData = false;
  EXPECT_EQ(filter->Register(), S_FALSE);
  EXPECT_EQ(filter->Unregister(), S_FALSE);
  filter->withData = true;
  setenv("HALVORINE_MISSING", "dshow", 1);
  EXPECT_LT(filter->Register(), 0);
  unsetenv("HALVORINE_MISSING");
  EXPECT_FALSE(listed(matching(0, ds::MEDIATYPE_Audio, ds::MEDIASUBTYPE_PCM), clsid));
  filter->NonDelegatingRelease();
}

}  // namespace
}  // namespace halvorine_test
