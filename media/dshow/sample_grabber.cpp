// The sample grabber: type acceptance, the callback on every sample, and delivery
// buffers supplied by the caller.
#include "media/dshow/sample_grabber.h"

#include <new>

#include "media/dshow/enum_media_types.h"
#include "media/dshow/media_sample.h"
#include "media/dshow/media_type.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_NOTIMPL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_OK;
namespace ds = plat::dshow;

const IID IID_D_IGrabberSample = {0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};
const CLSID CLSID_D_SampleGrabber = {0x2FA4F053, 0x6D60, 0x4CB0, {0x95, 0x03, 0x8E, 0x89, 0x23, 0x4F, 0x3F, 0x73}};

namespace {

D_AM_MEDIA_TYPE emptyType() {
  D_AM_MEDIA_TYPE type{};
  type.bFixedSizeSamples = plat::win::TRUE;
  type.lSampleSize = 1;
  return type;
}

}  // namespace

// ---- allocator ----

D_CSampleGrabberAllocator::D_CSampleGrabberAllocator(D_CSampleGrabberInPin* parent, HRESULT* result)
    : D_CMemAllocator(u"SampleGrabberAllocator", nullptr, result), m_pPin(parent) {}

D_CSampleGrabberAllocator::~D_CSampleGrabberAllocator() {
  if (m_lFree.count == m_lAllocated) Free();
}

HRESULT D_CSampleGrabberAllocator::SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) {
  HRESULT hr = D_CMemAllocator::SetProperties(request, actual);
  if (hr < 0) return hr;
  const D_ALLOCATOR_PROPERTIES& fixed = m_pPin->m_allocprops;
  if (request->cbAlign != fixed.cbAlign) return ds::VFW_E_BADALIGN;
  if (request->cbPrefix != fixed.cbPrefix) return E_FAIL;
  if (request->cbBuffer > fixed.cbBuffer || request->cBuffers > fixed.cBuffers) return E_FAIL;
  *actual = fixed;
  D_CAutoLock hold(&m_Lock);
  m_lCount = fixed.cBuffers;
  m_lSize = fixed.cbBuffer;
  m_lAlignment = fixed.cbAlign;
  m_lPrefix = fixed.cbPrefix;
  return S_OK;
}

HRESULT D_CSampleGrabberAllocator::Alloc() {
  D_CAutoLock hold(&m_Lock);
  if (m_lCount < 1 || m_lSize < 1 || m_lAlignment < 1) return ds::VFW_E_SIZENOTSET;
  if (!m_bChanged && m_lAllocated > 0) return S_OK;
  Free();
  const long long stride =
      (static_cast<long long>(m_lSize) + m_lPrefix + m_lAlignment - 1) / m_lAlignment * m_lAlignment;
  BYTE* memory = m_pPin->m_pBuffer;
  if (memory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = MakeSamples(memory, stride, u"Sample grabber memory media sample");
  if (hr < 0) return hr;
  m_bChanged = false;
  return S_OK;
}

void D_CSampleGrabberAllocator::Free() {
  // The memory is the caller's: only the samples go.
  while (D_CMediaSample* sample = m_lFree.removeHead()) delete sample;
  m_lAllocated = 0;
}

// ---- input pin ----

D_CSampleGrabberInPin::D_CSampleGrabberInPin(D_CSampleGrabber* filter, HRESULT* result)
    : D_CTransInPlaceInputPin(u"SampleGrabberInputPin", filter, result, u"Input"), m_pGrabber(filter) {}

D_CSampleGrabberInPin::~D_CSampleGrabberInPin() {
  if (m_pPrivateAllocator != nullptr) m_pPrivateAllocator->Release();
}

HRESULT D_CSampleGrabberInPin::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  m_bMediaTypeChanged = true;
  return D_CTransInPlaceInputPin::SetMediaType(type);
}

HRESULT D_CSampleGrabberInPin::GetMediaType(int position, D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return ds::VFW_S_NO_MORE_ITEMS;
  *type = emptyType();
  type->majortype = m_pGrabber->AcceptedMajorType();
  return S_OK;
}

HRESULT D_CSampleGrabberInPin::EnumMediaTypes(D_IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  D_CTransformOutputPin* out = m_pGrabber->OutputPin();
  if (out != nullptr && out->IsConnected()) return out->GetConnected()->EnumMediaTypes(types);
  *types = D_CEnumMediaTypes::Create(this, nullptr);
  return *types != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT D_CSampleGrabberInPin::GetAllocator(D_IMemAllocator** allocator) {
  if (m_pPrivateAllocator == nullptr) return D_CTransInPlaceInputPin::GetAllocator(allocator);
  if (allocator == nullptr) return E_POINTER;
  *allocator = m_pPrivateAllocator;
  m_pPrivateAllocator->AddRef();
  return S_OK;
}

HRESULT D_CSampleGrabberInPin::NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) {
  if (m_pPrivateAllocator != nullptr) {
    if (allocator != static_cast<D_IMemAllocator*>(m_pPrivateAllocator)) return E_FAIL;
    if (readOnly && m_pGrabber->ModifiesData()) return E_FAIL;
  }
  return D_CTransInPlaceInputPin::NotifyAllocator(allocator, readOnly);
}

HRESULT D_CSampleGrabberInPin::GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES* props) {
  if (props == nullptr) return E_POINTER;
  if (m_pPrivateAllocator != nullptr) {
    *props = m_allocprops;
    return S_OK;
  }
  D_CTransformOutputPin* out = m_pGrabber->OutputPin();
  if (out != nullptr && out->IsConnected() && out->InputPin() != nullptr)
    return out->InputPin()->GetAllocatorRequirements(props);
  return E_NOTIMPL;
}

HRESULT D_CSampleGrabberInPin::SetDeliveryBuffer(D_ALLOCATOR_PROPERTIES props, BYTE* buffer) {
  if (props.cBuffers != 1) return E_INVALIDARG;
  if (buffer == nullptr) return E_POINTER;
  m_allocprops = props;
  m_pBuffer = buffer;
  if (m_pPrivateAllocator != nullptr) {
    m_pPrivateAllocator->Release();
    m_pPrivateAllocator = nullptr;
  }
  HRESULT hr = S_OK;
  m_pPrivateAllocator = new (std::nothrow) D_CSampleGrabberAllocator(this, &hr);
  if (m_pPrivateAllocator == nullptr) return E_OUTOFMEMORY;
  m_pPrivateAllocator->AddRef();
  return hr;
}

// ---- filter ----

D_CSampleGrabber* D_CSampleGrabber::Create(D_IUnknown* outer, HRESULT* result) {
  HRESULT hr = S_OK;
  auto* grabber = new (std::nothrow) D_CSampleGrabber(outer, &hr);
  if (grabber == nullptr || grabber->m_pInput == nullptr) {
    delete grabber;
    if (result != nullptr) *result = E_OUTOFMEMORY;
    return nullptr;
  }
  if (result != nullptr) *result = hr;
  return grabber;
}

D_CSampleGrabber::D_CSampleGrabber(D_IUnknown* outer, HRESULT* result)
    : D_CTransInPlaceFilter(u"SampleGrabber", outer, CLSID_D_SampleGrabber, result, false) {
  m_mtAccept = emptyType();
  m_pInput = new (std::nothrow) D_CSampleGrabberInPin(this, result);
}

D_CSampleGrabber::~D_CSampleGrabber() { D_FreeMediaType(m_mtAccept); }

HRESULT D_CSampleGrabber::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == IID_D_IGrabberSample) return GetInterface(static_cast<D_IGrabberSample*>(this), out);
  return D_CTransInPlaceFilter::NonDelegatingQueryInterface(iid, out);
}

GUID D_CSampleGrabber::AcceptedMajorType() {
  D_CAutoLock hold(&m_Lock);
  return m_mtAccept.majortype;
}

HRESULT D_CSampleGrabber::SetAcceptedMediaType(const D_AM_MEDIA_TYPE* type) {
  D_CAutoLock hold(&m_Lock);
  D_FreeMediaType(m_mtAccept);
  m_mtAccept = emptyType();
  if (type == nullptr) return S_OK;
  return D_CopyMediaType(&m_mtAccept, type);
}

HRESULT D_CSampleGrabber::GetConnectedMediaType(D_AM_MEDIA_TYPE* type) {
  if (m_pInput == nullptr || !m_pInput->IsConnected()) return ds::VFW_E_NOT_CONNECTED;
  return m_pInput->ConnectionMediaType(type);
}

HRESULT D_CSampleGrabber::SetCallback(SampleGrabberCallback callback, void* user) {
  D_CAutoLock hold(&m_Lock);
  m_callback = callback;
  m_user = user;
  return S_OK;
}

HRESULT D_CSampleGrabber::SetDeliveryBuffer(D_ALLOCATOR_PROPERTIES props, BYTE* buffer) {
  if (m_pInput == nullptr || GetPin(1) == nullptr) return E_POINTER;
  if (m_pInput->IsConnected() || m_pOutput->IsConnected()) return E_INVALIDARG;
  return static_cast<D_CSampleGrabberInPin*>(m_pInput)->SetDeliveryBuffer(props, buffer);
}

HRESULT D_CSampleGrabber::CheckInputType(const D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_Lock);
  const GUID none{};
  if (m_mtAccept.majortype == none) return S_OK;
  if (m_mtAccept.majortype != type->majortype) return ds::VFW_E_INVALIDMEDIATYPE;
  if (m_mtAccept.subtype == none) return S_OK;
  if (m_mtAccept.subtype != type->subtype) return ds::VFW_E_INVALIDMEDIATYPE;
  if (m_mtAccept.formattype == none) return S_OK;
  if (m_mtAccept.formattype != type->formattype) return ds::VFW_E_INVALIDMEDIATYPE;
  return S_OK;
}

HRESULT D_CSampleGrabber::Transform(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_Lock);
  if (m_callback == nullptr) return S_OK;
  D_REFERENCE_TIME start = 0, stop = 0;
  sample->GetTime(&start, &stop);
  start += m_pInput->CurrentStartTime();
  stop += m_pInput->CurrentStartTime();
  auto* pin = static_cast<D_CSampleGrabberInPin*>(m_pInput);
  const HRESULT hr = m_callback(sample, &start, &stop, pin->m_bMediaTypeChanged, m_user);
  pin->m_bMediaTypeChanged = false;
  return hr;
}

}  // namespace ZaDod
