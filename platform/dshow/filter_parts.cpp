// Media-type copies, the platform filters' pin and filter bases and the media-type enumerator.
#include "platform/dshow/filter_parts.h"

#include <cstring>

namespace plat::dshow {

using win::E_INVALIDARG;
using win::E_NOTIMPL;
using win::E_OUTOFMEMORY;
using win::E_POINTER;
using win::S_FALSE;
using win::S_OK;

HRESULT CopyMediaTypeTo(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from) {
  *to = from;
  to->pbFormat = nullptr;
  to->cbFormat = 0;
  if (from.cbFormat != 0 && from.pbFormat != nullptr) {
    to->pbFormat = static_cast<BYTE*>(win::CoTaskMemAlloc(from.cbFormat));
    if (to->pbFormat == nullptr) return E_OUTOFMEMORY;
    std::memcpy(to->pbFormat, from.pbFormat, from.cbFormat);
    to->cbFormat = from.cbFormat;
  }
  if (to->pUnk != nullptr) to->pUnk->AddRef();
  return S_OK;
}

void FreeMediaTypeFields(AM_MEDIA_TYPE* type) {
  if (type->pbFormat != nullptr) win::CoTaskMemFree(type->pbFormat);
  if (type->pUnk != nullptr) type->pUnk->Release();
  type->pbFormat = nullptr;
  type->cbFormat = 0;
  type->pUnk = nullptr;
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& from) {
  auto* copy = static_cast<AM_MEDIA_TYPE*>(win::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (copy == nullptr) return nullptr;
  if (CopyMediaTypeTo(copy, from) != S_OK) {
    win::CoTaskMemFree(copy);
    return nullptr;
  }
  return copy;
}

void DeleteMediaTypeCopy(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return;
  FreeMediaTypeFields(type);
  win::CoTaskMemFree(type);
}

bool MediaTypeMatches(const AM_MEDIA_TYPE& full, const AM_MEDIA_TYPE& partial) {
  if (!(partial.majortype == GUID_NULL) && !(partial.majortype == full.majortype)) return false;
  if (!(partial.subtype == GUID_NULL) && !(partial.subtype == full.subtype)) return false;
  if (!(partial.formattype == GUID_NULL) && !(partial.formattype == full.formattype)) return false;
  return true;
}

namespace {

class MediaTypeEnum final : public IEnumMediaTypes {
 public:
  MediaTypeEnum(const std::vector<AM_MEDIA_TYPE>& types, size_t position) : position_(position) {
    for (const AM_MEDIA_TYPE& type : types) {
      AM_MEDIA_TYPE copy;
      if (CopyMediaTypeTo(&copy, type) == S_OK) types_.push_back(copy);
    }
  }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    return AnswerInterface<IEnumMediaTypes>(this, iid, IID_IEnumMediaTypes, out);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < types_.size()) {
      out[n] = CreateMediaTypeCopy(types_[position_]);
      if (out[n] == nullptr) break;
      ++n;
      ++position_;
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const size_t left = types_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumMediaTypes** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = new MediaTypeEnum(types_, position_);
    return S_OK;
  }

 private:
  ~MediaTypeEnum() {
    for (AM_MEDIA_TYPE& type : types_) FreeMediaTypeFields(&type);
  }
  std::vector<AM_MEDIA_TYPE> types_;
  size_t position_;
  std::atomic<ULONG> refs_{1};
};

void copyName(WCHAR* to, const std::u16string& from, size_t room) {
  const size_t n = from.size() < room - 1 ? from.size() : room - 1;
  std::memcpy(to, from.data(), n * sizeof(WCHAR));
  to[n] = 0;
}

}  // namespace

IEnumMediaTypes* NewMediaTypeEnum(const std::vector<AM_MEDIA_TYPE>& types) { return new MediaTypeEnum(types, 0); }

// ---- pins ----

StandInPin::StandInPin(StandInFilter* filter, const WCHAR* name, PIN_DIRECTION direction)
    : filter_(filter), name_(name), direction_(direction) {}

StandInPin::~StandInPin() { forget(); }

HRESULT StandInPin::QueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IPin || iid == win::IID_IUnknown) {
    AddRef();
    *out = static_cast<IPin*>(this);
    return S_OK;
  }
  return queryOther(iid, out);
}

ULONG StandInPin::AddRef() { return filter_->AddRef(); }
ULONG StandInPin::Release() { return filter_->Release(); }

bool StandInPin::connected() {
  std::lock_guard guard(filter_->lock());
  return peer_ != nullptr;
}

void StandInPin::forget() {
  if (peer_ != nullptr) peer_->Release();
  peer_ = nullptr;
  FreeMediaTypeFields(&type_);
  type_ = AM_MEDIA_TYPE{};
}

HRESULT StandInPin::tryType(IPin* receivePin, const AM_MEDIA_TYPE& type) {
  if (checkType(type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = receivePin;
  peer_->AddRef();
  if (CopyMediaTypeTo(&type_, type) != S_OK) {
    forget();
    return E_OUTOFMEMORY;
  }
  HRESULT hr = receivePin->ReceiveConnection(this, &type);
  if (hr == S_OK) {
    hr = completeConnect(receivePin);
    if (hr == S_OK) return S_OK;
    receivePin->Disconnect();
  }
  breakConnect();
  forget();
  return hr < 0 ? hr : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT StandInPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
  if (receivePin == nullptr) return E_POINTER;
  std::lock_guard guard(filter_->lock());
  if (peer_ != nullptr) return VFW_E_ALREADY_CONNECTED;
  if (filter_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION theirs;
  if (receivePin->QueryDirection(&theirs) != S_OK || theirs == direction_) return VFW_E_INVALID_DIRECTION;
  const bool complete = type != nullptr && !(type->majortype == GUID_NULL) && !(type->subtype == GUID_NULL) &&
                        !(type->formattype == GUID_NULL);
  if (complete) return tryType(receivePin, *type);
  // Our own types first, then the receiving pin's.
  for (const AM_MEDIA_TYPE& offered : offeredTypes()) {
    if (type != nullptr && !MediaTypeMatches(offered, *type)) continue;
    if (tryType(receivePin, offered) == S_OK) return S_OK;
  }
  IEnumMediaTypes* theirTypes = nullptr;
  if (receivePin->EnumMediaTypes(&theirTypes) == S_OK && theirTypes != nullptr) {
    AM_MEDIA_TYPE* next = nullptr;
    ULONG fetched = 0;
    HRESULT hr = VFW_E_NO_ACCEPTABLE_TYPES;
    while (hr != S_OK && theirTypes->Next(1, &next, &fetched) == S_OK && fetched == 1) {
      if (type == nullptr || MediaTypeMatches(*next, *type)) hr = tryType(receivePin, *next);
      DeleteMediaTypeCopy(next);
    }
    theirTypes->Release();
    if (hr == S_OK) return S_OK;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT StandInPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
  if (connector == nullptr || type == nullptr) return E_POINTER;
  std::lock_guard guard(filter_->lock());
  if (peer_ != nullptr) return VFW_E_ALREADY_CONNECTED;
  if (filter_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION theirs;
  if (connector->QueryDirection(&theirs) != S_OK || theirs == direction_) return VFW_E_INVALID_DIRECTION;
  if (checkType(*type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = connector;
  peer_->AddRef();
  if (CopyMediaTypeTo(&type_, *type) != S_OK) {
    forget();
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = completeConnect(connector);
  if (hr != S_OK) {
    breakConnect();
    forget();
  }
  return hr;
}

HRESULT StandInPin::Disconnect() {
  std::lock_guard guard(filter_->lock());
  if (filter_->state() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (peer_ == nullptr) return S_FALSE;
  breakConnect();
  forget();
  return S_OK;
}

HRESULT StandInPin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  std::lock_guard guard(filter_->lock());
  *pin = peer_;
  if (peer_ == nullptr) return VFW_E_NOT_CONNECTED;
  peer_->AddRef();
  return S_OK;
}

HRESULT StandInPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard guard(filter_->lock());
  if (peer_ == nullptr) {
    *type = AM_MEDIA_TYPE{};
    return VFW_E_NOT_CONNECTED;
  }
  return CopyMediaTypeTo(type, type_);
}

HRESULT StandInPin::QueryPinInfo(PIN_INFO* info) {
  if (info == nullptr) return E_POINTER;
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = direction_;
  copyName(info->achName, name_, MAX_PIN_NAME);
  return S_OK;
}

HRESULT StandInPin::QueryDirection(PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = direction_;
  return S_OK;
}

HRESULT StandInPin::QueryId(WCHAR** id) {
  if (id == nullptr) return E_POINTER;
  *id = static_cast<WCHAR*>(win::CoTaskMemAlloc((name_.size() + 1) * sizeof(WCHAR)));
  if (*id == nullptr) return E_OUTOFMEMORY;
  copyName(*id, name_, name_.size() + 1);
  return S_OK;
}

HRESULT StandInPin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return checkType(*type) == S_OK ? S_OK : S_FALSE;
}

HRESULT StandInPin::EnumMediaTypes(IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  *types = NewMediaTypeEnum(offeredTypes());
  return S_OK;
}

HRESULT StandInPin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

// ---- filters ----

StandInFilter::StandInFilter(const CLSID& clsid) : clsid_(clsid) {}

StandInFilter::~StandInFilter() {
  pins_.clear();
  if (clock_ != nullptr) clock_->Release();
}

ULONG StandInFilter::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT StandInFilter::QueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == win::IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
    AddRef();
    *out = static_cast<IBaseFilter*>(this);
    return S_OK;
  }
  return queryOther(iid, out);
}

HRESULT StandInFilter::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT StandInFilter::changeState(FILTER_STATE to, REFERENCE_TIME start) {
  FILTER_STATE from;
  {
    std::lock_guard guard(lock_);
    from = state_;
    state_ = to;
    if (to == State_Running) start_ = start;
  }
  return from == to && to != State_Running ? S_OK : stateChanged(from, to);
}

HRESULT StandInFilter::Stop() { return changeState(State_Stopped, 0); }
HRESULT StandInFilter::Pause() { return changeState(State_Paused, 0); }
HRESULT StandInFilter::Run(REFERENCE_TIME start) {
  // Running straight from stopped passes through paused, as the graph's own order does.
  if (state() == State_Stopped) {
    const HRESULT hr = Pause();
    if (hr < 0) return hr;
  }
  return changeState(State_Running, start);
}

HRESULT StandInFilter::GetState(DWORD, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  *state = this->state();
  return S_OK;
}

HRESULT StandInFilter::SetSyncSource(IReferenceClock* clock) {
  std::lock_guard guard(lock_);
  if (clock != nullptr) clock->AddRef();
  if (clock_ != nullptr) clock_->Release();
  clock_ = clock;
  return S_OK;
}

HRESULT StandInFilter::GetSyncSource(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *clock = clock_;
  if (clock_ != nullptr) clock_->AddRef();
  return S_OK;
}

HRESULT StandInFilter::EnumPins(IEnumPins** pins) {
  if (pins == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  std::vector<IPin*> list;
  for (auto& pin : pins_)
    if (pinListed(pin.get())) list.push_back(pin.get());
  *pins = new PinEnum(std::move(list));
  return S_OK;
}

HRESULT StandInFilter::FindPin(const WCHAR* id, IPin** pin) {
  if (id == nullptr || pin == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  for (auto& candidate : pins_) {
    if (candidate->name() == id && pinListed(candidate.get())) {
      *pin = candidate.get();
      (*pin)->AddRef();
      return S_OK;
    }
  }
  *pin = nullptr;
  return VFW_E_NOT_FOUND;
}

HRESULT StandInFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (info == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  copyName(info->achName, name_, MAX_FILTER_NAME);
  info->pGraph = graph_;
  if (graph_ != nullptr) graph_->AddRef();
  return S_OK;
}

HRESULT StandInFilter::JoinFilterGraph(IFilterGraph* graph, const WCHAR* name) {
  std::lock_guard guard(lock_);
  graph_ = graph;
  name_ = name != nullptr ? name : u"";
  IMediaEventSink* sink = nullptr;
  if (graph != nullptr) {
    void* face = nullptr;
    if (graph->QueryInterface(IID_IMediaEventSink, &face) == S_OK && face != nullptr) {
      sink = static_cast<IMediaEventSink*>(face);
      sink->Release();  // the graph outlives its membership
    }
  }
  sink_.store(sink);
  return S_OK;
}

HRESULT StandInFilter::QueryVendorInfo(WCHAR**) { return E_NOTIMPL; }

HRESULT StandInFilter::notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
  IMediaEventSink* sink = sink_.load();
  return sink != nullptr ? sink->Notify(code, param1, param2) : E_NOTIMPL;
}

HRESULT ConnectPushAllocator(IPin* peer, LONG buffers, LONG bytes, LONG minimumBytes, IMemInputPin** memInput,
                             IMemAllocator** allocator) {
  *memInput = nullptr;
  *allocator = nullptr;
  void* face = nullptr;
  if (peer->QueryInterface(IID_IMemInputPin, &face) != win::S_OK || face == nullptr) return win::E_NOINTERFACE;
  *memInput = static_cast<IMemInputPin*>(face);
  ALLOCATOR_PROPERTIES want{buffers, bytes, 1, 0}, needs{}, got{};
  if ((*memInput)->GetAllocatorRequirements(&needs) == win::S_OK) {
    if (needs.cBuffers > want.cBuffers) want.cBuffers = needs.cBuffers;
    if (needs.cbAlign > 1) want.cbAlign = needs.cbAlign;
    want.cbPrefix = needs.cbPrefix;
  }
  HRESULT hr = (*memInput)->GetAllocator(allocator);
  if (hr != win::S_OK) {
    hr = win::CoCreateInstance(CLSID_MemoryAllocator, nullptr, win::CLSCTX_INPROC_SERVER, IID_IMemAllocator, &face);
    *allocator = hr == win::S_OK ? static_cast<IMemAllocator*>(face) : nullptr;
  }
  if (hr == win::S_OK) hr = (*allocator)->SetProperties(&want, &got);
  if (hr == win::S_OK && got.cbBuffer < minimumBytes) hr = VFW_E_SIZENOTSET;
  if (hr == win::S_OK) hr = (*memInput)->NotifyAllocator(*allocator, win::FALSE);
  if (hr != win::S_OK) {
    (*memInput)->Release();
    if (*allocator != nullptr) (*allocator)->Release();
    *memInput = nullptr;
    *allocator = nullptr;
  }
  return hr;
}

}  // namespace plat::dshow
