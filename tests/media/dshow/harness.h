// Harness filters, pins, graph, clock and seeking peer for the DirectShow class library
// tests. Each records what reached it so the tests can check the calls made.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/dshow/filter.h"
#include "media/dshow/input_pin.h"
#include "media/dshow/media_type.h"
#include "media/dshow/pin.h"
#include "media/system/winapi.h"

namespace halvorine_test {

using namespace ZaDod;
namespace ds = plat::dshow;
using plat::win::S_FALSE;
using plat::win::S_OK;

// A media type told apart by the first word of its subtype.
inline D_AM_MEDIA_TYPE harnessType(DWORD major, DWORD sub) {
  D_AM_MEDIA_TYPE type{};
  type.majortype = {major, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
  type.subtype = {sub, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
  type.formattype = {0xF0F0, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
  return type;
}

// Everything a harness pin can be told to answer, and what it saw.
struct PinScript {
  std::vector<D_AM_MEDIA_TYPE> offered;  // what GetMediaType hands out
  std::vector<DWORD> accepted;           // subtypes CheckMediaType takes; empty = all
  HRESULT refusal = plat::win::E_FAIL;   // CheckMediaType's answer to others
  HRESULT activeResult = S_OK;
  HRESULT inactiveResult = S_OK;
  HRESULT receiveResult = S_OK;          // for input pins, after the base checks
  // Seen:
  std::vector<DWORD> checked;            // subtypes passed to CheckMediaType, in order
  int breaks = 0;
  int actives = 0;
  int inactives = 0;
  int received = 0;
  std::vector<std::string>* order = nullptr;  // shared log of activations
};

template <class Base>
class ScriptedPin : public Base {
 public:
  template <class... Args>
  ScriptedPin(PinScript* script, std::string tag, Args&&... args)
      : Base(std::forward<Args>(args)...), script_(script), tag_(std::move(tag)) {}

  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override {
    script_->checked.push_back(type->subtype.Data1);
    if (script_->accepted.empty()) return S_OK;
    for (DWORD sub : script_->accepted)
      if (sub == type->subtype.Data1) return S_OK;
    return script_->refusal;
  }
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override {
    if (position < 0) return plat::win::E_INVALIDARG;
    if (position >= static_cast<int>(script_->offered.size())) return ds::VFW_S_NO_MORE_ITEMS;
    return D_CopyMediaType(type, &script_->offered[position]);
  }
  HRESULT BreakConnect() override {
    ++script_->breaks;
    return Base::BreakConnect();
  }
  HRESULT Active() override {
    ++script_->actives;
    if (script_->order) script_->order->push_back("active " + tag_);
    return script_->activeResult;
  }
  HRESULT Inactive() override {
    ++script_->inactives;
    if (script_->order) script_->order->push_back("inactive " + tag_);
    Base::Inactive();
    return script_->inactiveResult;
  }
  void bumpTypes() { this->IncrementTypeVersion(); }

 protected:
  PinScript* script_;
  std::string tag_;
};

class HarnessOutputPin : public ScriptedPin<D_CBasePin> {
 public:
  HarnessOutputPin(PinScript* script, D_CBaseFilter* filter, D_CCritSec* lock, const WCHAR* name)
      : ScriptedPin(script, "out", u"harness output", filter, lock, nullptr, name, ds::PINDIR_OUTPUT) {}
  HRESULT BeginFlush() override { return S_OK; }
  HRESULT EndFlush() override { return S_OK; }
  // Quality messages sent upstream land here.
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override {
    lastSender = sender;
    lastQuality = quality;
    return 6;
  }
  D_IBaseFilter* lastSender = nullptr;
  D_Quality lastQuality{};
};

class HarnessInputPin : public ScriptedPin<D_CBaseInputPin> {
 public:
  HarnessInputPin(PinScript* script, D_CBaseFilter* filter, D_CCritSec* lock, const WCHAR* name)
      : ScriptedPin(script, "in", u"harness input", filter, lock, nullptr, name) {}
  HRESULT Receive(D_IMediaSample* sample) override {
    const HRESULT hr = D_CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    ++script_->received;
    return script_->receiveResult;
  }
  void setFlushing(bool on) { on ? BeginFlush() : EndFlush(); }
  void markError() { SetRunTimeError(); }
};

// A filter whose pins are made by the test. The filter owns them.
class HarnessFilter : public D_CBaseFilter {
 public:
  explicit HarnessFilter(const CLSID& clsid = {0x1234, 0, 0, {0}})
      : D_CBaseFilter(u"harness filter", nullptr, &lock_, clsid) {}

  HarnessOutputPin* addOutput(PinScript* script, const WCHAR* name = u"Output") {
    pins_.emplace_back(new HarnessOutputPin(script, this, &lock_, name));
    IncrementPinVersion();
    return static_cast<HarnessOutputPin*>(pins_.back().get());
  }
  HarnessInputPin* addInput(PinScript* script, const WCHAR* name = u"Input") {
    pins_.emplace_back(new HarnessInputPin(script, this, &lock_, name));
    IncrementPinVersion();
    return static_cast<HarnessInputPin*>(pins_.back().get());
  }

  int GetPinCount() override { return static_cast<int>(pins_.size()); }
  D_CBasePin* GetPin(int index) override {
    return index >= 0 && index < GetPinCount() ? pins_[index].get() : nullptr;
  }
  HRESULT FindPin(const WCHAR*, D_IPin** pin) override {
    *pin = nullptr;
    return ds::VFW_E_NOT_FOUND;
  }
  // The pins are deleted before the lock they hold a pointer to.
  ~HarnessFilter() override { pins_.clear(); }

 private:
  D_CCritSec lock_;
  std::vector<std::unique_ptr<D_CBasePin>> pins_;
};

// Made with one reference held by the test; `drop` releases it.
template <class T, class... Args>
T* made(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  object->NonDelegatingAddRef();
  return object;
}

// A graph that records reconnections and events. It can hide its IFilterGraph2 face.
class HarnessGraph final : public ds::IFilterGraph2, public ds::IMediaEventSink {
 public:
  explicit HarnessGraph(bool offersGraph2) : offersGraph2_(offersGraph2) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    *out = nullptr;
    if (iid == plat::win::IID_IUnknown || iid == ds::IID_IFilterGraph) *out = static_cast<ds::IFilterGraph*>(this);
    else if (offersGraph2_ && (iid == ds::IID_IFilterGraph2 || iid == ds::IID_IGraphBuilder))
      *out = static_cast<ds::IFilterGraph2*>(this);
    else if (iid == ds::IID_IMediaEventSink) *out = static_cast<ds::IMediaEventSink*>(this);
    if (*out == nullptr) return plat::win::E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

  HRESULT AddFilter(ds::IBaseFilter*, const WCHAR*) override { return plat::win::E_NOTIMPL; }
  HRESULT RemoveFilter(ds::IBaseFilter*) override { return plat::win::E_NOTIMPL; }
  HRESULT EnumFilters(ds::IEnumFilters**) override { return plat::win::E_NOTIMPL; }
  HRESULT FindFilterByName(const WCHAR*, ds::IBaseFilter**) override { return plat::win::E_NOTIMPL; }
  HRESULT ConnectDirect(ds::IPin*, ds::IPin*, const D_AM_MEDIA_TYPE*) override { return plat::win::E_NOTIMPL; }
  HRESULT Reconnect(ds::IPin* pin) override {
    reconnected = pin;
    ++reconnects;
    return S_OK;
  }
  HRESULT Disconnect(ds::IPin*) override { return plat::win::E_NOTIMPL; }
  HRESULT SetDefaultSyncSource() override { return plat::win::E_NOTIMPL; }
  HRESULT Connect(ds::IPin*, ds::IPin*) override { return plat::win::E_NOTIMPL; }
  HRESULT Render(ds::IPin*) override { return plat::win::E_NOTIMPL; }
  HRESULT RenderFile(const WCHAR*, const WCHAR*) override { return plat::win::E_NOTIMPL; }
  HRESULT AddSourceFilter(const WCHAR*, const WCHAR*, ds::IBaseFilter**) override { return plat::win::E_NOTIMPL; }
  HRESULT SetLogFile(ds::DWORD_PTR) override { return plat::win::E_NOTIMPL; }
  HRESULT Abort() override { return plat::win::E_NOTIMPL; }
  HRESULT ShouldOperationContinue() override { return plat::win::E_NOTIMPL; }
  HRESULT AddSourceFilterForMoniker(ds::IMoniker*, ds::IBindCtx*, const WCHAR*, ds::IBaseFilter**) override {
    return plat::win::E_NOTIMPL;
  }
  HRESULT ReconnectEx(ds::IPin* pin, const D_AM_MEDIA_TYPE* type) override {
    reconnected = pin;
    reconnectType = type;
    ++reconnectExes;
    return 7;  // a distinctive success the caller must pass on
  }
  HRESULT RenderEx(ds::IPin*, DWORD, DWORD*) override { return plat::win::E_NOTIMPL; }
  HRESULT Notify(LONG code, ds::LONG_PTR, ds::LONG_PTR) override {
    events.push_back(code);
    return S_OK;
  }

  bool offersGraph2_;
  int refs = 0;
  int reconnects = 0;
  int reconnectExes = 0;
  ds::IPin* reconnected = nullptr;
  const D_AM_MEDIA_TYPE* reconnectType = nullptr;
  std::vector<LONG> events;
};

// A clock standing at a time the test sets.
class HarnessClock final : public ds::IReferenceClock {
 public:
  HRESULT QueryInterface(const IID&, void** out) override {
    *out = nullptr;
    return plat::win::E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetTime(D_REFERENCE_TIME* time) override {
    *time = now;
    return S_OK;
  }
  HRESULT AdviseTime(D_REFERENCE_TIME, D_REFERENCE_TIME, plat::win::HANDLE, ds::DWORD_PTR*) override {
    return plat::win::E_NOTIMPL;
  }
  HRESULT AdvisePeriodic(D_REFERENCE_TIME, D_REFERENCE_TIME, plat::win::HANDLE, ds::DWORD_PTR*) override {
    return plat::win::E_NOTIMPL;
  }
  HRESULT Unadvise(ds::DWORD_PTR) override { return plat::win::E_NOTIMPL; }
  int refs = 0;
  D_REFERENCE_TIME now = 0;
};

// Every class-library test starts with the run-time table loaded (task memory, COM).
class DShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    ZaDod::LoadWinAPI();
    objectsBefore_ = D_CBaseObject::ObjectsActive();
  }
  void TearDown() override { EXPECT_EQ(D_CBaseObject::ObjectsActive(), objectsBefore_) << "objects leaked"; }

  LONG objectsBefore_ = 0;
};

}  // namespace halvorine_test
