// The null renderer (COM class CLSID_NullRenderer, missing name "dshow"): one input pin
// that takes any type and drops every sample, and EC_COMPLETE once end of stream has
// come while the filter runs. Seeking asked of it goes upstream.
#include "platform/dshow/filter_parts.h"
#include "platform/dshow/render_input.h"
#include "platform/dshow/seeking_forward.h"

namespace plat::dshow {

const CLSID CLSID_NullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

namespace {

using win::E_NOTIMPL;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

class NullRenderer;

class NullInput final : public RenderInputPin {
 public:
  NullInput(StandInFilter* filter) : RenderInputPin(filter, u"In") {}

  HRESULT Receive(IMediaSample* sample) override;
  HRESULT ReceiveCanBlock() override { return S_FALSE; }

  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

 protected:
  HRESULT checkType(const AM_MEDIA_TYPE& type) override;

 private:
  NullRenderer* owner();
};

class NullRenderer final : public StandInFilter, public SeekingForwarder {
 public:
  NullRenderer() : StandInFilter(CLSID_NullRenderer) { addPin(std::make_unique<NullInput>(this)); }

  HRESULT QueryInterface(const IID& iid, void** out) override { return StandInFilter::QueryInterface(iid, out); }
  ULONG AddRef() override { return StandInFilter::AddRef(); }
  ULONG Release() override { return StandInFilter::Release(); }

  // End of stream came; EC_COMPLETE goes out now when running, else at Run.
  void endOfStream() {
    bool send = false;
    {
      std::lock_guard guard(lock_);
      if (state_ == State_Stopped || flushing_ || ended_) return;
      ended_ = true;
      send = state_ == State_Running && !sent_;
      if (send) sent_ = true;
    }
    if (send) notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
  }
  void flushing(bool on) {
    std::lock_guard guard(lock_);
    flushing_ = on;
    if (!on) ended_ = sent_ = false;
  }
  bool accepting() {
    std::lock_guard guard(lock_);
    return state_ != State_Stopped && !flushing_ && !ended_;
  }
  bool stopped() { return state() == State_Stopped; }

 protected:
  HRESULT queryOther(const IID& iid, void** out) override {
    if (iid == IID_IMediaSeeking) {
      AddRef();
      *out = static_cast<IMediaSeeking*>(this);
      return S_OK;
    }
    return StandInFilter::queryOther(iid, out);
  }
  IPin* seekingPin() override { return pins_.front().get(); }
  HRESULT stateChanged(FILTER_STATE, FILTER_STATE to) override {
    bool send = false;
    {
      std::lock_guard guard(lock_);
      if (to == State_Stopped) ended_ = sent_ = false;
      if (to == State_Running && ended_ && !sent_) send = sent_ = true;
    }
    if (send) notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    return S_OK;
  }

 private:
  bool flushing_ = false;
  bool ended_ = false;
  bool sent_ = false;
};

NullRenderer* NullInput::owner() { return static_cast<NullRenderer*>(filter_); }

HRESULT NullInput::checkType(const AM_MEDIA_TYPE&) { return S_OK; }

HRESULT NullInput::Receive(IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  if (owner()->stopped()) return VFW_E_WRONG_STATE;
  return owner()->accepting() ? S_OK : S_FALSE;
}

HRESULT NullInput::EndOfStream() {
  owner()->endOfStream();
  return S_OK;
}

HRESULT NullInput::BeginFlush() {
  owner()->flushing(true);
  return S_OK;
}

HRESULT NullInput::EndFlush() {
  owner()->flushing(false);
  return S_OK;
}

HRESULT createNullRenderer(void* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return win::CLASS_E_NOAGGREGATION;
  auto* filter = new NullRenderer;
  const HRESULT hr = filter->QueryInterface(iid, object);
  filter->Release();
  return hr;
}

const bool nullRendererRegistered = (win::RegisterComClass(CLSID_NullRenderer, "dshow", &createNullRenderer), true);

}  // namespace

HRESULT CreateNullRenderer(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = new NullRenderer;
  return S_OK;
}

}  // namespace plat::dshow
