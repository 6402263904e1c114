// The pieces the platform's own filters are made of: media-type copies on the task heap,
// pin and filter bases that count their references on the filter, and the pin, filter
// and media-type enumerators (the graph's filter enumerator too).
#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

// Deep copies: the format block and the unknown go with the record.
HRESULT CopyMediaTypeTo(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from);
void FreeMediaTypeFields(AM_MEDIA_TYPE* type);
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& from);  // null when out of memory
void DeleteMediaTypeCopy(AM_MEDIA_TYPE* type);
// Whether a full type fits a partly given one: null fields (GUID_NULL) match anything.
bool MediaTypeMatches(const AM_MEDIA_TYPE& full, const AM_MEDIA_TYPE& partial);

// Hands out the same interface for iid or IUnknown; E_NOINTERFACE otherwise.
template <class Face>
HRESULT AnswerInterface(Face* self, const IID& iid, const IID& faceIid, void** out) {
  if (iid == faceIid || iid == win::IID_IUnknown) {
    self->AddRef();
    *out = self;
    return win::S_OK;
  }
  *out = nullptr;
  return win::E_NOINTERFACE;
}

// An enumerator over a snapshot of COM objects (pins, filters); each handed out item
// carries a reference.
template <class Face, class Item, const IID& kIid>
class ObjectEnum final : public Face {
 public:
  explicit ObjectEnum(std::vector<Item*> items, size_t position = 0) : items_(std::move(items)), position_(position) {
    for (Item* item : items_) item->AddRef();
  }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (out == nullptr) return win::E_POINTER;
    return AnswerInterface<Face>(this, iid, kIid, out);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT Next(ULONG count, Item** out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return win::E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_.size()) {
      out[n] = items_[position_++];
      out[n++]->AddRef();
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? win::S_OK : win::S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? win::S_OK : win::S_FALSE;
  }
  HRESULT Reset() override {
    position_ = 0;
    return win::S_OK;
  }
  HRESULT Clone(Face** copy) override {
    if (copy == nullptr) return win::E_POINTER;
    *copy = new ObjectEnum(items_, position_);
    return win::S_OK;
  }

 private:
  ~ObjectEnum() {
    for (Item* item : items_) item->Release();
  }
  std::vector<Item*> items_;
  size_t position_;
  std::atomic<ULONG> refs_{1};
};

using PinEnum = ObjectEnum<IEnumPins, IPin, IID_IEnumPins>;
using FilterEnum = ObjectEnum<IEnumFilters, IBaseFilter, IID_IEnumFilters>;

// Media types handed out as task-heap copies the caller deletes.
IEnumMediaTypes* NewMediaTypeEnum(const std::vector<AM_MEDIA_TYPE>& types);

class StandInFilter;

// An output pin's side of a push connection: the peer's IMemInputPin and an allocator
// (the peer's, or a new memory allocator) asked for `buffers` buffers of `bytes` bytes
// as the peer's requirements allow, refused when its buffers hold fewer than
// `minimumBytes`, and notified to the peer. Both come back with a reference; on failure
// neither is held.
HRESULT ConnectPushAllocator(IPin* peer, LONG buffers, LONG bytes, LONG minimumBytes, IMemInputPin** memInput,
                             IMemAllocator** allocator);

// A pin of a platform filter. Its references are the filter's; its lock is the filter's.
class StandInPin : public IPin {
 public:
  StandInPin(StandInFilter* filter, const WCHAR* name, PIN_DIRECTION direction);
  virtual ~StandInPin();

  HRESULT QueryInterface(const IID& iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
  HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin** pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
  HRESULT QueryPinInfo(PIN_INFO* info) override;
  HRESULT QueryDirection(PIN_DIRECTION* direction) override;
  HRESULT QueryId(WCHAR** id) override;
  HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
  HRESULT EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT QueryInternalConnections(IPin** pins, ULONG* count) override;
  HRESULT EndOfStream() override { return win::S_OK; }
  HRESULT BeginFlush() override { return win::S_OK; }
  HRESULT EndFlush() override { return win::S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return win::S_OK; }

  const std::u16string& name() const { return name_; }
  bool connected();

 protected:
  // S_OK for a type the pin takes.
  virtual HRESULT checkType(const AM_MEDIA_TYPE& type) = 0;
  // The types the pin proposes, in order; the pin keeps their format blocks.
  virtual std::vector<AM_MEDIA_TYPE> offeredTypes() { return {}; }
  virtual HRESULT completeConnect(IPin*) { return win::S_OK; }
  virtual void breakConnect() {}
  virtual HRESULT queryOther(const IID&, void** out) {
    *out = nullptr;
    return win::E_NOINTERFACE;
  }

  StandInFilter* const filter_;
  const std::u16string name_;
  const PIN_DIRECTION direction_;
  IPin* peer_ = nullptr;
  AM_MEDIA_TYPE type_{};

 private:
  HRESULT tryType(IPin* receivePin, const AM_MEDIA_TYPE& type);
  void forget();
};

// A platform filter: state, clock, graph membership and pins made by the derived class.
class StandInFilter : public IBaseFilter {
 public:
  StandInFilter(const CLSID& clsid);

  HRESULT QueryInterface(const IID& iid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) override;
  HRESULT SetSyncSource(IReferenceClock* clock) override;
  HRESULT GetSyncSource(IReferenceClock** clock) override;
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const WCHAR* id, IPin** pin) override;
  HRESULT QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT JoinFilterGraph(IFilterGraph* graph, const WCHAR* name) override;
  HRESULT QueryVendorInfo(WCHAR** vendor) override;

  std::recursive_mutex& lock() { return lock_; }
  FILTER_STATE state() {
    std::lock_guard guard(lock_);
    return state_;
  }
  // Passes an event to the graph; E_NOTIMPL outside a graph.
  HRESULT notify(LONG code, LONG_PTR param1, LONG_PTR param2);

 protected:
  virtual ~StandInFilter();
  // Called without the filter lock (streaming threads may need it to finish) after the
  // state has been set; a failure is the state change's result.
  virtual HRESULT stateChanged(FILTER_STATE, FILTER_STATE) { return win::S_OK; }
  virtual HRESULT queryOther(const IID&, void** out) {
    *out = nullptr;
    return win::E_NOINTERFACE;
  }
  void addPin(std::unique_ptr<StandInPin> pin) { pins_.push_back(std::move(pin)); }
  // Whether EnumPins and FindPin show the pin (with the filter lock held); a filter whose
  // pins depend on its input hides those it has no use for.
  virtual bool pinListed(StandInPin*) { return true; }
  HRESULT changeState(FILTER_STATE to, REFERENCE_TIME start);

  std::recursive_mutex lock_;
  std::vector<std::unique_ptr<StandInPin>> pins_;
  FILTER_STATE state_ = State_Stopped;
  REFERENCE_TIME start_ = 0;
  IReferenceClock* clock_ = nullptr;

 private:
  const CLSID clsid_;
  std::atomic<ULONG> refs_{1};
  std::u16string name_;
  IFilterGraph* graph_ = nullptr;     // no reference: the graph holds the filter
  std::atomic<IMediaEventSink*> sink_{nullptr};  // the graph's, with no reference either
};

}  // namespace plat::dshow
