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

 protected:
  D_CTransInPlaceFilter* m_pTIPFilter;
};

class D_CTransInPlaceFilter : public D_CTransformFilter {
 public:
  D_CTransInPlaceFilter(const char16_t* name, D_IUnknown* outer, const CLSID& clsid, HRESULT* result,
                        bool modifiesData);

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

  // A sample of the output allocator holding the input's data and properties; null
  // when none can be had.
  D_IMediaSample* Copy(D_IMediaSample* source);

  bool m_bModifiesData;

  friend class D_CTransInPlaceInputPin;
  friend class D_CTransInPlaceOutputPin;
};

}  // namespace ZaDod
