// The platform's own memory allocator (COM class CLSID_MemoryAllocator, registered under
// the missing name "dshow"): a free list of samples over one heap block, commit and
// decommit, and a GetBuffer that blocks until a sample comes back; and samples over
// bytes held elsewhere, for a picture handed downstream without a copy.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

// QueryInterface of an object with one interface beside IUnknown.
template <typename Face>
HRESULT QueryOneInterface(Face* self, const IID& face, const IID& iid, void** out) {
  if (out == nullptr) return win::E_POINTER;
  if (iid == win::IID_IUnknown || iid == face) {
    *out = self;
    self->AddRef();
    return win::S_OK;
  }
  *out = nullptr;
  return win::E_NOINTERFACE;
}

// The properties of a sample over a buffer it does not own; what becomes of it when its
// last reference goes is the kind's own.
class SampleOverBytes : public IMediaSample {
 public:
  SampleOverBytes(BYTE* buffer, LONG size) : buffer_(buffer), size_(size) {}
  SampleOverBytes(const SampleOverBytes&) = delete;
  SampleOverBytes& operator=(const SampleOverBytes&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override {
    return QueryOneInterface<IMediaSample>(this, IID_IMediaSample, iid, out);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) lastReleased();  // the sample may be gone after this
    return left;
  }

  HRESULT GetPointer(BYTE** buffer) override {
    if (buffer == nullptr) return win::E_POINTER;
    *buffer = buffer_;
    return win::S_OK;
  }
  LONG GetSize() override { return size_; }
  HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
    if (!timeValid_) return VFW_E_SAMPLE_TIME_NOT_SET;
    if (start) *start = start_;
    if (stop) *stop = stopValid_ ? stop_ : start_ + 1;
    return stopValid_ ? win::S_OK : VFW_S_NO_STOP_TIME;
  }
  HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
    timeValid_ = start != nullptr;
    stopValid_ = start != nullptr && stop != nullptr;
    if (start) start_ = *start;
    if (stop) stop_ = *stop;
    return win::S_OK;
  }
  HRESULT IsSyncPoint() override { return sync_ ? win::S_OK : win::S_FALSE; }
  HRESULT SetSyncPoint(BOOL sync) override { sync_ = sync != 0; return win::S_OK; }
  HRESULT IsPreroll() override { return preroll_ ? win::S_OK : win::S_FALSE; }
  HRESULT SetPreroll(BOOL preroll) override { preroll_ = preroll != 0; return win::S_OK; }
  LONG GetActualDataLength() override { return actual_; }
  HRESULT SetActualDataLength(LONG length) override {
    if (length < 0 || length > size_) return VFW_E_BUFFER_OVERFLOW;
    actual_ = length;
    return win::S_OK;
  }
  HRESULT GetMediaType(AM_MEDIA_TYPE** type) override {
    if (type == nullptr) return win::E_POINTER;
    *type = nullptr;
    return win::S_FALSE;  // these samples never carry a type change
  }
  HRESULT SetMediaType(AM_MEDIA_TYPE*) override { return win::E_NOTIMPL; }
  HRESULT IsDiscontinuity() override { return discontinuity_ ? win::S_OK : win::S_FALSE; }
  HRESULT SetDiscontinuity(BOOL value) override { discontinuity_ = value != 0; return win::S_OK; }
  HRESULT GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
  HRESULT SetMediaTime(LONGLONG*, LONGLONG*) override { return win::E_NOTIMPL; }

  void clear() {
    timeValid_ = stopValid_ = sync_ = preroll_ = discontinuity_ = false;
    actual_ = 0;
  }

 protected:
  virtual ~SampleOverBytes() = default;
  // The last reference went.
  virtual void lastReleased() = 0;

 private:
  BYTE* buffer_;
  LONG size_;
  LONG actual_ = 0;
  std::atomic<ULONG> refs_{0};
  REFERENCE_TIME start_ = 0, stop_ = 0;
  bool timeValid_ = false, stopValid_ = false, sync_ = false, preroll_ = false, discontinuity_ = false;
};

// A sample over bytes that `bytes` keeps alive (a decoded picture handed through rather
// than copied): one reference, and the hold is dropped with the last. Null for no bytes.
IMediaSample* NewHeldSample(std::shared_ptr<const std::uint8_t> bytes, LONG size);

// Test facility: how many platform allocators are alive.
int LiveMemoryAllocatorCount();

}  // namespace plat::dshow
