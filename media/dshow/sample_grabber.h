// The sample grabber of the DirectShow class library: an in-place filter that hands
// every sample passing through it to a callback, optionally into buffers the caller
// gives, and accepts only the input types it is told to.
#pragma once
#include "media/dshow/mem_allocator.h"
#include "media/dshow/trans_in_place.h"

namespace ZaDod {

// Sample, start and stop (the input segment's start added), whether the type changed
// since the last call, and the user value.
using SampleGrabberCallback = HRESULT (*)(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop,
                                          BOOL typeChanged, void* user);

extern const IID IID_D_IGrabberSample;
extern const CLSID CLSID_D_SampleGrabber;

struct D_IGrabberSample : D_IUnknown {
  virtual HRESULT SetAcceptedMediaType(const D_AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetConnectedMediaType(D_AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT SetCallback(SampleGrabberCallback callback, void* user) = 0;
  virtual HRESULT SetDeliveryBuffer(D_ALLOCATOR_PROPERTIES props, BYTE* buffer) = 0;

 protected:
  ~D_IGrabberSample() = default;
};

class D_CSampleGrabber;
class D_CSampleGrabberInPin;

// Samples that lie in the caller's delivery buffer instead of memory of their own.
class D_CSampleGrabberAllocator : public D_CMemAllocator {
 public:
  D_CSampleGrabberAllocator(D_CSampleGrabberInPin* parent, HRESULT* result);
  ~D_CSampleGrabberAllocator() override;

  HRESULT SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) override;
  HRESULT Alloc() override;
  void Free() override;

 private:
  D_CSampleGrabberInPin* m_pPin;
};

class D_CSampleGrabberInPin : public D_CTransInPlaceInputPin {
 public:
  D_CSampleGrabberInPin(D_CSampleGrabber* filter, HRESULT* result);
  ~D_CSampleGrabberInPin() override;

  HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override;
  HRESULT EnumMediaTypes(D_IEnumMediaTypes** types) override;
  HRESULT GetAllocator(D_IMemAllocator** allocator) override;
  HRESULT NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) override;
  HRESULT GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES* props) override;

  HRESULT SetDeliveryBuffer(D_ALLOCATOR_PROPERTIES props, BYTE* buffer);

 private:
  friend class D_CSampleGrabber;
  friend class D_CSampleGrabberAllocator;

  D_CSampleGrabber* m_pGrabber;
  D_CSampleGrabberAllocator* m_pPrivateAllocator = nullptr;
  D_ALLOCATOR_PROPERTIES m_allocprops{};
  BYTE* m_pBuffer = nullptr;
  bool m_bMediaTypeChanged = false;
};

class D_CSampleGrabber : public D_CTransInPlaceFilter, public D_IGrabberSample {
 public:
  // A new grabber without references; null (E_OUTOFMEMORY) when it cannot be made.
  static D_CSampleGrabber* Create(D_IUnknown* outer, HRESULT* result);
  ~D_CSampleGrabber() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  HRESULT SetAcceptedMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT GetConnectedMediaType(D_AM_MEDIA_TYPE* type) override;
  HRESULT SetCallback(SampleGrabberCallback callback, void* user) override;
  HRESULT SetDeliveryBuffer(D_ALLOCATOR_PROPERTIES props, BYTE* buffer) override;

  HRESULT CheckInputType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT Transform(D_IMediaSample* sample) override;
  using D_CTransInPlaceFilter::Transform;

  // The major type the input pin offers.
  GUID AcceptedMajorType();

 private:
  D_CSampleGrabber(D_IUnknown* outer, HRESULT* result);

  D_AM_MEDIA_TYPE m_mtAccept{};
  SampleGrabberCallback m_callback = nullptr;
  void* m_user = nullptr;
  D_CCritSec m_Lock;
};

}  // namespace ZaDod
