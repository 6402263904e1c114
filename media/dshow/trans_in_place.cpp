// The in-place transform filter: allocator sharing across the two pins, the copy made
// when they cannot share, and reconnection so that the two sides agree on one type.
#include "media/dshow/trans_in_place.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/dshow/media_type.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_NOTIMPL;
using plat::win::E_POINTER;
using plat::win::E_UNEXPECTED;
using plat::win::S_OK;
namespace ds = plat::dshow;

// ---- input pin ----

D_CTransInPlaceInputPin::D_CTransInPlaceInputPin(const char16_t* objectName, D_CTransInPlaceFilter* filter,
                                                 HRESULT* result, const WCHAR* name)
    : D_CTransformInputPin(objectName, filter, result, name), m_pTIPFilter(filter) {}

HRESULT D_CTransInPlaceInputPin::EnumMediaTypes(D_IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  D_CTransformOutputPin* out = m_pTIPFilter->m_pOutput;
  if (out == nullptr || !out->IsConnected()) {
    *types = nullptr;
    return ds::VFW_E_NOT_CONNECTED;
  }
  return out->GetConnected()->EnumMediaTypes(types);
}

HRESULT D_CTransInPlaceInputPin::ReceiveConnection(D_IPin* connector, const D_AM_MEDIA_TYPE* type) {
  const HRESULT hr = D_CTransformInputPin::ReceiveConnection(connector, type);
  if (hr < 0) return hr;
  const HRESULT reconnected = m_pTIPFilter->RunPendingReconnect();
  return reconnected < 0 ? reconnected : hr;
}

HRESULT D_CTransInPlaceInputPin::GetAllocator(D_IMemAllocator** allocator) {
  if (allocator == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  D_CTransformOutputPin* out = m_pTIPFilter->m_pOutput;
  if (out != nullptr && out->IsConnected() && out->InputPin() != nullptr) {
    // Upstream fills the downstream pin's buffers, and we pass them on as they are.
    const HRESULT hr = out->InputPin()->GetAllocator(allocator);
    if (hr >= 0 && *allocator != nullptr) out->SetAllocator(*allocator);
    return hr;
  }
  return D_CBaseInputPin::GetAllocator(allocator);
}

HRESULT D_CTransInPlaceInputPin::NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) {
  if (allocator == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  m_bReadOnly = readOnly != 0;
  D_CTransformOutputPin* out = m_pTIPFilter->m_pOutput;
  if (out != nullptr && out->IsConnected() && out->InputPin() != nullptr) {
    D_IMemInputPin* downstream = out->InputPin();
    if (!m_bReadOnly || !m_pTIPFilter->ModifiesData()) {
      const HRESULT hr = downstream->NotifyAllocator(allocator, readOnly);
      if (hr < 0) return hr;
      out->SetAllocator(allocator);
    } else {
      // We write into buffers upstream may still read: ours must be another one.
      D_IMemAllocator* own = nullptr;
      HRESULT hr = downstream->GetAllocator(&own);
      if (hr < 0 || own == nullptr) hr = out->InitAllocator(&own);
      if (hr < 0 || own == nullptr) return hr < 0 ? hr : E_FAIL;
      if (own == allocator) {
        own->Release();
        return E_FAIL;
      }
      D_ALLOCATOR_PROPERTIES want{}, got{};
      hr = allocator->GetProperties(&want);
      if (hr >= 0) hr = own->SetProperties(&want, &got);
      if (hr >= 0 && (got.cBuffers < want.cBuffers || got.cbBuffer < want.cbBuffer || got.cbAlign < want.cbAlign))
        hr = E_FAIL;
      if (hr >= 0) hr = downstream->NotifyAllocator(own, plat::win::FALSE);
      if (hr >= 0) out->SetAllocator(own);
      own->Release();
      if (hr < 0) return hr;
    }
  }
  allocator->AddRef();
  if (m_pAllocator != nullptr) m_pAllocator->Release();
  m_pAllocator = allocator;
  return S_OK;
}

HRESULT D_CTransInPlaceInputPin::GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES* props) {
  if (props == nullptr) return E_POINTER;
  D_CTransformOutputPin* out = m_pTIPFilter->m_pOutput;
  if (out == nullptr || !out->IsConnected() || out->InputPin() == nullptr) return E_NOTIMPL;
  return out->InputPin()->GetAllocatorRequirements(props);
}

// ---- output pin ----

D_CTransInPlaceOutputPin::D_CTransInPlaceOutputPin(const char16_t* objectName, D_CTransInPlaceFilter* filter,
                                                   HRESULT* result, const WCHAR* name)
    : D_CTransformOutputPin(objectName, filter, result, name), m_pTIPFilter(filter) {}

HRESULT D_CTransInPlaceOutputPin::EnumMediaTypes(D_IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  D_CTransformInputPin* in = m_pTIPFilter->m_pInput;
  if (in == nullptr || !in->IsConnected()) {
    *types = nullptr;
    return ds::VFW_E_NOT_CONNECTED;
  }
  return in->GetConnected()->EnumMediaTypes(types);
}

HRESULT D_CTransInPlaceOutputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  if (!m_pTIPFilter->IsStopped() && m_pTIPFilter->UsingDifferentAllocators()) {
    // While samples are copied a new type cannot be taken in the middle of the stream.
    return D_SameMediaType(*type, CurrentMediaType()) ? S_OK : ds::VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT hr = m_pTIPFilter->CheckInputType(type);
  if (hr != S_OK) return hr;
  D_CTransformInputPin* in = m_pTIPFilter->m_pInput;
  if (in != nullptr && in->IsConnected()) hr = in->GetConnected()->QueryAccept(type);
  return hr;
}

HRESULT D_CTransInPlaceOutputPin::Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) {
  const HRESULT hr = D_CTransformOutputPin::Connect(receivePin, type);
  if (hr < 0) return hr;
  const HRESULT reconnected = m_pTIPFilter->RunPendingReconnect();
  return reconnected < 0 ? reconnected : hr;
}

// ---- filter ----

D_CTransInPlaceFilter::D_CTransInPlaceFilter(const char16_t* name, D_IUnknown* outer, const CLSID& clsid, HRESULT*,
                                             bool modifiesData)
    : D_CTransformFilter(name, outer, clsid), m_bModifiesData(modifiesData) {}

D_CTransInPlaceFilter::~D_CTransInPlaceFilter() { D_FreeMediaType(m_PendingType); }

HRESULT D_CTransInPlaceFilter::RunPendingReconnect() {
  D_IPin* pin = nullptr;
  D_AM_MEDIA_TYPE type{};
  {
    D_CAutoLock hold(&m_csFilter);
    pin = m_pPendingPin;
    type = m_PendingType;
    m_pPendingPin = nullptr;
    m_PendingType = {};
  }
  if (pin == nullptr) return S_OK;
  const HRESULT hr = ReconnectPin(pin, &type);
  D_FreeMediaType(type);
  return hr;
}

D_CTransformInputPin* D_CTransInPlaceFilter::NewInputPin(HRESULT* result) {
  return new (std::nothrow) D_CTransInPlaceInputPin(u"TransInPlace input pin", this, result, u"Input");
}

D_CTransformOutputPin* D_CTransInPlaceFilter::NewOutputPin(HRESULT* result) {
  return new (std::nothrow) D_CTransInPlaceOutputPin(u"TransInPlace output pin", this, result, u"Output");
}

bool D_CTransInPlaceFilter::UsingDifferentAllocators() const {
  return m_pInput != nullptr && m_pOutput != nullptr && m_pInput->Allocator() != m_pOutput->Allocator();
}

HRESULT D_CTransInPlaceFilter::DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES*) {
  D_ALLOCATOR_PROPERTIES want{};
  want.cBuffers = 1;
  want.cbBuffer = 1;
  want.cbAlign = 1;
  if (m_pInput != nullptr && m_pInput->IsConnected() && m_pInput->Allocator() != nullptr) {
    D_ALLOCATOR_PROPERTIES upstream{};
    const HRESULT hr = m_pInput->Allocator()->GetProperties(&upstream);
    if (hr < 0) return hr;
    want.cBuffers = std::max<LONG>(upstream.cBuffers, 1);
    want.cbBuffer = std::max<LONG>(upstream.cbBuffer, 1);
    want.cbAlign = upstream.cbAlign;
  }
  D_ALLOCATOR_PROPERTIES got{};
  const HRESULT hr = allocator->SetProperties(&want, &got);
  if (hr < 0) return hr;
  if (got.cBuffers < want.cBuffers || got.cbBuffer < want.cbBuffer || got.cbAlign < want.cbAlign) return E_FAIL;
  return S_OK;
}

HRESULT D_CTransInPlaceFilter::CompleteConnect(D_PIN_DIRECTION direction, D_IPin*) {
  if (m_pGraph == nullptr) return ds::VFW_E_NOT_IN_GRAPH;
  // The other side takes this side's type; the reconnection itself waits until the
  // connecting call is done (RunPendingReconnect).
  D_CBasePin* other = nullptr;
  const D_AM_MEDIA_TYPE* type = nullptr;
  if (direction == ds::PINDIR_OUTPUT) {
    if (m_pInput != nullptr && m_pInput->IsConnected()) {
      other = m_pInput;
      type = &m_pOutput->CurrentMediaType();
    }
  } else if (m_pOutput != nullptr && m_pOutput->IsConnected() &&
             !D_SameMediaType(m_pInput->CurrentMediaType(), m_pOutput->CurrentMediaType())) {
    other = m_pOutput;
    type = &m_pInput->CurrentMediaType();
  }
  if (other == nullptr) return S_OK;
  D_FreeMediaType(m_PendingType);
  m_PendingType = {};
  const HRESULT hr = D_CopyMediaType(&m_PendingType, type);
  if (hr < 0) return hr;
  m_pPendingPin = other;
  return S_OK;
}

D_IMediaSample* D_CTransInPlaceFilter::Copy(D_IMediaSample* source) {
  const D_AM_SAMPLE2_PROPERTIES* props = m_pInput->SampleProps();
  const DWORD flags = props->dwSampleFlags;
  D_REFERENCE_TIME start = props->tStart;
  D_REFERENCE_TIME stop = props->tStop;
  D_IMediaSample* dest = nullptr;
  const HRESULT hr = m_pOutput->GetDeliveryBuffer(
      &dest, (flags & ds::AM_SAMPLE_TIMEVALID) != 0 ? &start : nullptr,
      (flags & ds::AM_SAMPLE_STOPVALID) != 0 ? &stop : nullptr,
      (m_bSampleSkipped ? ds::AM_GBF_PREVFRAMESKIPPED : 0) |
          ((flags & ds::AM_SAMPLE_SPLICEPOINT) == 0 ? ds::AM_GBF_NOTASYNCPOINT : 0));
  if (hr < 0 || dest == nullptr) return nullptr;
  BYTE* from = nullptr;
  BYTE* to = nullptr;
  source->GetPointer(&from);
  dest->GetPointer(&to);
  const LONG length = source->GetActualDataLength();
  if (from == nullptr || to == nullptr || length < 0 || length > dest->GetSize()) {
    dest->Release();
    return nullptr;
  }
  std::memcpy(to, from, static_cast<size_t>(length));
  dest->SetActualDataLength(length);
  if ((flags & ds::AM_SAMPLE_TIMEVALID) != 0) dest->SetTime(&start, (flags & ds::AM_SAMPLE_STOPVALID) != 0 ? &stop : nullptr);
  dest->SetSyncPoint((flags & ds::AM_SAMPLE_SPLICEPOINT) != 0);
  dest->SetDiscontinuity((flags & ds::AM_SAMPLE_DATADISCONTINUITY) != 0);
  dest->SetPreroll((flags & ds::AM_SAMPLE_PREROLL) != 0);
  if ((flags & ds::AM_SAMPLE_TYPECHANGED) != 0 && props->pMediaType != nullptr) dest->SetMediaType(props->pMediaType);
  ds::LONGLONG mediaStart = 0, mediaEnd = 0;
  if (source->GetMediaTime(&mediaStart, &mediaEnd) == S_OK) dest->SetMediaTime(&mediaStart, &mediaEnd);
  return dest;
}

HRESULT D_CTransInPlaceFilter::Receive(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  if (m_pInput->SampleProps()->dwStreamId != 0)
    return m_pOutput->IsConnected() ? m_pOutput->Deliver(sample) : S_OK;
  D_IMediaSample* copy = nullptr;
  if (UsingDifferentAllocators()) {
    copy = Copy(sample);
    if (copy == nullptr) return E_UNEXPECTED;
    sample = copy;
  }
  HRESULT hr = Transform(sample);
  if (hr == S_OK) hr = m_pOutput->Deliver(sample);
  if (copy != nullptr) copy->Release();
  return hr;
}

}  // namespace ZaDod
