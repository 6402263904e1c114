// The in-place transform filter of the DirectShow class library: each input sample is
// transformed where it lies and passed on, the two sides sharing one allocator where
// they can, and copied first where they cannot.
#pragma once
#include "media/dshow/transform.h"

namespace ZaDod {

class D_CTransInPlaceFilter;

class D_CTransInPlaceInputPin : public D_CTransformInputPin {
 public:
  D_CTransInPlaceInputPin(const char16_t* objectName, D_CTransInPlaceFilter* filter, HRESULT* result,
                          const WCHAR* name);

  HRESULT EnumMediaTypes(D_IEnumMediaTypes** types) override;
  // Runs the reconnection the connection asked for once the pin's lock is free.
  HRESULT ReceiveConnection(D_IPin* connector, const D_AM_MEDIA_TYPE* type) override;
  HRESULT GetAllocator(D_IMemAllocator** allocator) override;
  HRESULT NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) override;
  HRESULT GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES* props) override;

 protected:
  D_CTransInPlaceFilter* m_pTIPFilter;
};

class D_CTransInPlaceOutputPin : public D_CTransformOutputPin {
 public:
  D_CTransInPlaceOutputPin(const char16_t* objectName, D_CTransInPlaceFilter* filter, HRESULT* result,
                           const WCHAR* name);

  HRESULT EnumMediaTypes(D_IEnumMediaTypes** types) override;
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  // Runs the reconnection the connection asked for once the pin's lock is free.
  HRESULT Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) override;

 protected:
  D_CTransInPlaceFilter* m_pTIPFilter;
};

class D_CTransInPlaceFilter : public D_CTransformFilter {
 public:
  D_CTransInPlaceFilter(const char16_t* name, D_IUnknown* outer, const CLSID& clsid, HRESULT* result,
                        bool modifiesData);
  ~D_CTransInPlaceFilter() override;

  HRESULT Transform(D_IMediaSample*, D_IMediaSample*) override { return plat::win::E_UNEXPECTED; }
  HRESULT GetMediaType(int, D_AM_MEDIA_TYPE*) override { return plat::win::E_UNEXPECTED; }
  HRESULT CheckTransform(const D_AM_MEDIA_TYPE*, const D_AM_MEDIA_TYPE*) override { return plat::win::S_OK; }
  HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) override;
  HRESULT CompleteConnect(D_PIN_DIRECTION direction, D_IPin* pin) override;
  HRESULT Receive(D_IMediaSample* sample) override;

  // The work itself, on the sample that goes downstream.
  virtual HRESULT Transform(D_IMediaSample* sample) = 0;

  bool ModifiesData() const { return m_bModifiesData; }
  // Whether the two pins' allocators differ, so each sample must be copied.
  bool UsingDifferentAllocators() const;

 protected:
  D_CTransformInputPin* NewInputPin(HRESULT* result) override;
  D_CTransformOutputPin* NewOutputPin(HRESULT* result) override;

  // The reconnection CompleteConnect asked for, made after the connecting call has let
  // go of the filter lock: reconnecting from inside it would take the other filters'
  // locks in the opposite order to the graph's own connections. Its result, or S_OK.
  HRESULT RunPendingReconnect();

  // A sample of the output allocator holding the input's data and properties; null
  // when none can be had.
  D_IMediaSample* Copy(D_IMediaSample* source);

  bool m_bModifiesData;
  D_IPin* m_pPendingPin = nullptr;  // no reference: one of our own pins
  D_AM_MEDIA_TYPE m_PendingType{};

  friend class D_CTransInPlaceInputPin;
  friend class D_CTransInPlaceOutputPin;
};

}  // namespace ZaDod
