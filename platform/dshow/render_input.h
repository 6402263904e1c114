// The input pin the platform's renderers share: IMemInputPin with an allocator of the
// platform's own made on demand or taken from upstream; the renderer supplies Receive.
#pragma once
#include "platform/dshow/filter_parts.h"

namespace plat::dshow {

class RenderInputPin : public StandInPin, public IMemInputPin {
 public:
  RenderInputPin(StandInFilter* filter, const WCHAR* name) : StandInPin(filter, name, PINDIR_INPUT) {}
  ~RenderInputPin() override {
    if (allocator_ != nullptr) allocator_->Release();
  }

  HRESULT QueryInterface(const IID& iid, void** out) override { return StandInPin::QueryInterface(iid, out); }
  ULONG AddRef() override { return StandInPin::AddRef(); }
  ULONG Release() override { return StandInPin::Release(); }

  HRESULT GetAllocator(IMemAllocator** allocator) override {
    if (allocator == nullptr) return win::E_POINTER;
    std::lock_guard guard(filter_->lock());
    if (allocator_ == nullptr) {
      void* made = nullptr;
      const HRESULT hr = win::CoCreateInstance(CLSID_MemoryAllocator, nullptr, win::CLSCTX_INPROC_SERVER,
                                               IID_IMemAllocator, &made);
      if (hr != win::S_OK) return hr;
      allocator_ = static_cast<IMemAllocator*>(made);
    }
    allocator_->AddRef();
    *allocator = allocator_;
    return win::S_OK;
  }
  HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL) override {
    if (allocator == nullptr) return win::E_POINTER;
    std::lock_guard guard(filter_->lock());
    allocator->AddRef();
    if (allocator_ != nullptr) allocator_->Release();
    allocator_ = allocator;
    return win::S_OK;
  }
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return win::E_NOTIMPL; }
  HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override {
    if (samples == nullptr || processed == nullptr) return win::E_POINTER;
    *processed = 0;
    HRESULT hr = win::S_OK;
    while (*processed < count && (hr = Receive(samples[*processed])) == win::S_OK) ++*processed;
    return hr;
  }

 protected:
  HRESULT queryOther(const IID& iid, void** out) override {
    if (iid == IID_IMemInputPin) {
      AddRef();
      *out = static_cast<IMemInputPin*>(this);
      return win::S_OK;
    }
    return StandInPin::queryOther(iid, out);
  }

 private:
  IMemAllocator* allocator_ = nullptr;
};

}  // namespace plat::dshow
