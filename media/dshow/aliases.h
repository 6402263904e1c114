// The class library's names for the platform's filter-graph interfaces. They are the
// platform's own declarations, so our objects go to the platform's graph as they are.
#pragma once
#include "platform/dshow/interfaces.h"

namespace ZaDod {

using plat::win::BOOL;
using plat::win::BYTE;
using plat::win::CLSID;
using plat::win::DWORD;
using plat::win::GUID;
using plat::win::HRESULT;
using plat::win::IID;
using plat::win::LONG;
using plat::win::ULONG;
using plat::win::WCHAR;

using D_IUnknown = plat::win::IUnknown;
using D_IDispatch = plat::win::IDispatch;
using D_IPersist = plat::dshow::IPersist;
using D_IMediaFilter = plat::dshow::IMediaFilter;
using D_IBaseFilter = plat::dshow::IBaseFilter;
using D_IAMovieSetup = plat::dshow::IAMovieSetup;
using D_IPin = plat::dshow::IPin;
using D_IMemInputPin = plat::dshow::IMemInputPin;
using D_IAsyncReader = plat::dshow::IAsyncReader;
using D_IQualityControl = plat::dshow::IQualityControl;
using D_IEnumPins = plat::dshow::IEnumPins;
using D_IEnumMediaTypes = plat::dshow::IEnumMediaTypes;
using D_IMemAllocator = plat::dshow::IMemAllocator;
using D_IMemAllocatorCallbackTemp = plat::dshow::IMemAllocatorCallbackTemp;
using D_IMemAllocatorNotifyCallbackTemp = plat::dshow::IMemAllocatorNotifyCallbackTemp;
using D_IMediaSample = plat::dshow::IMediaSample;
using D_IMediaSample2 = plat::dshow::IMediaSample2;
using D_IMediaSeeking = plat::dshow::IMediaSeeking;
using D_IMediaPosition = plat::dshow::IMediaPosition;
using D_IReferenceClock = plat::dshow::IReferenceClock;
using D_IFilterGraph = plat::dshow::IFilterGraph;
using D_IFilterGraph2 = plat::dshow::IFilterGraph2;
using D_IMediaEventSink = plat::dshow::IMediaEventSink;

using D_AM_MEDIA_TYPE = plat::dshow::AM_MEDIA_TYPE;
using D_ALLOCATOR_PROPERTIES = plat::dshow::ALLOCATOR_PROPERTIES;
using D_AM_SAMPLE2_PROPERTIES = plat::dshow::AM_SAMPLE2_PROPERTIES;
using D_REFERENCE_TIME = plat::dshow::REFERENCE_TIME;
using D_FILTER_STATE = plat::dshow::FILTER_STATE;
using D_PIN_DIRECTION = plat::dshow::PIN_DIRECTION;
using D_FILTER_INFO = plat::dshow::FILTER_INFO;
using D_PIN_INFO = plat::dshow::PIN_INFO;
using D_Quality = plat::dshow::Quality;

// The inner face of an aggregatable object: what the owning unknown reaches.
struct D_INonDelegatingUnknown {
  virtual HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) = 0;
  virtual ULONG NonDelegatingAddRef() = 0;
  virtual ULONG NonDelegatingRelease() = 0;

 protected:
  ~D_INonDelegatingUnknown() = default;
};

}  // namespace ZaDod
