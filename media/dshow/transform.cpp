// The transform-filter base: pins, state changes, the receive path and output samples.
#include "media/dshow/transform.h"

#include <cstring>
#include <new>
#include <string_view>

#include "media/dshow/media_type.h"
#include "media/system/winapi.h"

namespace ZaDod {

using plat::win::E_INVALIDARG;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::E_UNEXPECTED;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

namespace {
constexpr LONG kQualityChange = 11;  // the graph's quality-change event
}

// ---- input pin ----

D_CTransformInputPin::D_CTransformInputPin(const char16_t* objectName, D_CTransformFilter* filter, HRESULT* result,
                                           const WCHAR* name)
    : D_CBaseInputPin(objectName, filter, &filter->m_csFilter, result, name), m_pTransformFilter(filter) {}

HRESULT D_CTransformInputPin::CheckStreaming() {
  D_CTransformOutputPin* out = m_pTransformFilter->m_pOutput;
  if (out == nullptr || !out->IsConnected()) return ds::VFW_E_NOT_CONNECTED;
  if (m_bFlushing) return S_FALSE;
  if (IsStopped()) return ds::VFW_E_WRONG_STATE;
  if (m_bRunTimeError) return ds::VFW_E_RUNTIME_ERROR;
  return S_OK;
}

HRESULT D_CTransformInputPin::Receive(D_IMediaSample* sample) {
  D_CAutoLock hold(&m_pTransformFilter->m_csReceive);
  const HRESULT hr = D_CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  return m_pTransformFilter->Receive(sample);
}

HRESULT D_CTransformInputPin::EndOfStream() {
  D_CAutoLock hold(&m_pTransformFilter->m_csReceive);
  const HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  return m_pTransformFilter->EndOfStream();
}

HRESULT D_CTransformInputPin::BeginFlush() {
  D_CAutoLock hold(&m_pTransformFilter->m_csFilter);
  D_CTransformOutputPin* out = m_pTransformFilter->m_pOutput;
  if (!IsConnected() || out == nullptr || !out->IsConnected()) return ds::VFW_E_NOT_CONNECTED;
  const HRESULT hr = D_CBaseInputPin::BeginFlush();
  if (hr < 0) return hr;
  return m_pTransformFilter->BeginFlush();
}

HRESULT D_CTransformInputPin::EndFlush() {
  D_CAutoLock hold(&m_pTransformFilter->m_csFilter);
  D_CTransformOutputPin* out = m_pTransformFilter->m_pOutput;
  if (!IsConnected() || out == nullptr || !out->IsConnected()) return ds::VFW_E_NOT_CONNECTED;
  const HRESULT hr = m_pTransformFilter->EndFlush();
  if (hr < 0) return hr;
  return D_CBaseInputPin::EndFlush();
}

HRESULT D_CTransformInputPin::NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) {
  D_CBasePin::NewSegment(start, stop, rate);
  return m_pTransformFilter->NewSegment(start, stop, rate);
}

HRESULT D_CTransformInputPin::CheckConnect(D_IPin* pin) {
  const HRESULT hr = D_CBasePin::CheckConnect(pin);
  if (hr < 0) return hr;
  return m_pTransformFilter->CheckConnect(ds::PINDIR_INPUT, pin);
}

HRESULT D_CTransformInputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  HRESULT hr = m_pTransformFilter->CheckInputType(type);
  if (hr != S_OK) return hr;
  D_CTransformOutputPin* out = m_pTransformFilter->m_pOutput;
  if (out != nullptr && out->IsConnected()) hr = m_pTransformFilter->CheckTransform(type, &out->CurrentMediaType());
  return hr;
}

HRESULT D_CTransformInputPin::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  const HRESULT hr = D_CBasePin::SetMediaType(type);
  if (hr < 0) return hr;
  return m_pTransformFilter->SetMediaType(ds::PINDIR_INPUT, type);
}

HRESULT D_CTransformInputPin::BreakConnect() {
  m_pTransformFilter->BreakConnect(ds::PINDIR_INPUT);
  return D_CBaseInputPin::BreakConnect();
}

HRESULT D_CTransformInputPin::CompleteConnect(D_IPin* receivePin) {
  const HRESULT hr = m_pTransformFilter->CompleteConnect(ds::PINDIR_INPUT, receivePin);
  if (hr < 0) return hr;
  return D_CBaseInputPin::CompleteConnect(receivePin);
}

// ---- output pin ----

D_CTransformOutputPin::D_CTransformOutputPin(const char16_t* objectName, D_CTransformFilter* filter,
                                             HRESULT* result, const WCHAR* name)
    : D_CBaseOutputPin(objectName, filter, &filter->m_csFilter, result, name), m_pTransformFilter(filter) {}

D_CTransformOutputPin::~D_CTransformOutputPin() {
  if (m_pPosition != nullptr) m_pPosition->Release();
}

HRESULT D_CTransformOutputPin::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid != ds::IID_IMediaPosition && iid != ds::IID_IMediaSeeking)
    return D_CBaseOutputPin::NonDelegatingQueryInterface(iid, out);
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (m_pPosition == nullptr) {
    // The platform's pass-through, aggregated under this pin's owner and aimed at the
    // filter's input pin; nothing is kept when any step fails.
    if (WinAPI.CoCreateInstanceFunc == nullptr) return plat::win::REGDB_E_CLASSNOTREG;
    void* made = nullptr;
    HRESULT hr = WinAPI.CoCreateInstanceFunc(ds::CLSID_SeekingPassThru, GetOwner(), plat::win::CLSCTX_INPROC_SERVER,
                                             plat::win::IID_IUnknown, &made);
    if (hr < 0) return hr;
    auto* inner = static_cast<D_IUnknown*>(made);
    void* face = nullptr;
    hr = inner->QueryInterface(ds::IID_ISeekingPassThru, &face);
    if (hr >= 0) {
      auto* pass = static_cast<ds::ISeekingPassThru*>(face);
      hr = pass->Init(plat::win::FALSE, m_pTransformFilter->m_pInput);
      pass->Release();
    }
    if (hr < 0) {
      inner->Release();
      return hr;
    }
    m_pPosition = inner;
  }
  return m_pPosition->QueryInterface(iid, out);
}

HRESULT D_CTransformOutputPin::CheckConnect(D_IPin* pin) {
  D_CTransformInputPin* in = m_pTransformFilter->m_pInput;
  if (in == nullptr || !in->IsConnected()) return E_UNEXPECTED;
  const HRESULT hr = m_pTransformFilter->CheckConnect(ds::PINDIR_OUTPUT, pin);
  if (hr < 0) return hr;
  return D_CBaseOutputPin::CheckConnect(pin);
}

HRESULT D_CTransformOutputPin::BreakConnect() {
  m_pTransformFilter->BreakConnect(ds::PINDIR_OUTPUT);
  return D_CBaseOutputPin::BreakConnect();
}

HRESULT D_CTransformOutputPin::CompleteConnect(D_IPin* receivePin) {
  const HRESULT hr = m_pTransformFilter->CompleteConnect(ds::PINDIR_OUTPUT, receivePin);
  if (hr < 0) return hr;
  return D_CBaseOutputPin::CompleteConnect(receivePin);
}

HRESULT D_CTransformOutputPin::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  const HRESULT hr = D_CBasePin::SetMediaType(type);
  if (hr < 0) return hr;
  return m_pTransformFilter->SetMediaType(ds::PINDIR_OUTPUT, type);
}

HRESULT D_CTransformOutputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  D_CTransformInputPin* in = m_pTransformFilter->m_pInput;
  if (in == nullptr || !in->IsConnected()) return E_INVALIDARG;
  return m_pTransformFilter->CheckTransform(&in->CurrentMediaType(), type);
}

HRESULT D_CTransformOutputPin::GetMediaType(int position, D_AM_MEDIA_TYPE* type) {
  D_CTransformInputPin* in = m_pTransformFilter->m_pInput;
  if (in == nullptr || !in->IsConnected()) return ds::VFW_S_NO_MORE_ITEMS;
  return m_pTransformFilter->GetMediaType(position, type);
}

HRESULT D_CTransformOutputPin::DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) {
  return m_pTransformFilter->DecideBufferSize(allocator, properties);
}

HRESULT D_CTransformOutputPin::Notify(D_IBaseFilter*, D_Quality quality) {
  const HRESULT hr = m_pTransformFilter->AlterQuality(quality);
  if (hr != S_FALSE) return hr;
  D_CTransformInputPin* in = m_pTransformFilter->m_pInput;
  return in != nullptr ? in->PassNotify(quality) : ds::VFW_E_NOT_FOUND;
}

// ---- filter ----

D_CTransformFilter::D_CTransformFilter(const char16_t* name, D_IUnknown* outer, const CLSID& clsid)
    : D_CBaseFilter(name, outer, &m_csFilter, clsid) {}

D_CTransformFilter::~D_CTransformFilter() {
  delete m_pInput;
  delete m_pOutput;
}

D_CTransformInputPin* D_CTransformFilter::NewInputPin(HRESULT* result) {
  return new (std::nothrow) D_CTransformInputPin(u"Transform input pin", this, result, u"XForm In");
}

D_CTransformOutputPin* D_CTransformFilter::NewOutputPin(HRESULT* result) {
  return new (std::nothrow) D_CTransformOutputPin(u"Transform output pin", this, result, u"XForm Out");
}

D_CBasePin* D_CTransformFilter::GetPin(int index) {
  HRESULT hr = S_OK;
  if (m_pInput == nullptr) {
    m_pInput = NewInputPin(&hr);
    if (m_pInput == nullptr) return nullptr;
  }
  if (m_pOutput == nullptr) {
    m_pOutput = NewOutputPin(&hr);
    if (m_pOutput == nullptr) {
      // Both pins or neither.
      delete m_pInput;
      m_pInput = nullptr;
      return nullptr;
    }
  }
  if (index == 0) return m_pInput;
  if (index == 1) return m_pOutput;
  return nullptr;
}

HRESULT D_CTransformFilter::FindPin(const WCHAR* id, D_IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = nullptr;
  int index = -1;
  if (id != nullptr && std::u16string_view(id) == u"In") index = 0;
  else if (id != nullptr && std::u16string_view(id) == u"Out") index = 1;
  if (index < 0) return ds::VFW_E_NOT_FOUND;
  D_CBasePin* found = GetPin(index);
  if (found == nullptr) return E_OUTOFMEMORY;
  *pin = found;
  found->AddRef();
  return S_OK;
}

HRESULT D_CTransformFilter::Pause() {
  D_CAutoLock hold(&m_csFilter);
  HRESULT hr = S_OK;
  if (m_State == ds::State_Paused) return S_OK;
  if (m_pInput == nullptr || !m_pInput->IsConnected()) {
    // Nothing can come in: tell downstream at once, once.
    if (m_pOutput != nullptr && !m_bEOSDelivered) {
      m_pOutput->DeliverEndOfStream();
      m_bEOSDelivered = true;
    }
    m_State = ds::State_Paused;
  } else if (m_pOutput == nullptr || !m_pOutput->IsConnected()) {
    m_State = ds::State_Paused;
  } else {
    if (m_State == ds::State_Stopped) {
      D_CAutoLock receive(&m_csReceive);
      hr = StartStreaming();
    }
    if (hr >= 0) hr = D_CBaseFilter::Pause();
  }
  m_bSampleSkipped = false;
  m_bQualityChanged = false;
  return hr;
}

HRESULT D_CTransformFilter::Stop() {
  D_CAutoLock hold(&m_csFilter);
  if (m_State == ds::State_Stopped) return S_OK;
  if (m_pInput != nullptr && m_pInput->IsConnected() && m_pOutput != nullptr && m_pOutput->IsConnected()) {
    m_pInput->Inactive();
    D_CAutoLock receive(&m_csReceive);
    m_pOutput->Inactive();
    StopStreaming();
  }
  m_State = ds::State_Stopped;
  m_bEOSDelivered = false;
  return S_OK;
}

HRESULT D_CTransformFilter::InitializeOutputSample(D_IMediaSample* in, D_IMediaSample** out) {
  const D_AM_SAMPLE2_PROPERTIES* props = m_pInput->SampleProps();
  const DWORD flags = props->dwSampleFlags;
  D_REFERENCE_TIME start = props->tStart;
  D_REFERENCE_TIME stop = props->tStop;
  const DWORD bufferFlags = (m_bSampleSkipped ? ds::AM_GBF_PREVFRAMESKIPPED : 0) |
                            ((flags & ds::AM_SAMPLE_SPLICEPOINT) == 0 ? ds::AM_GBF_NOTASYNCPOINT : 0);
  D_IMemAllocator* allocator = m_pOutput->Allocator();
  if (allocator == nullptr) {
    *out = nullptr;
    return plat::win::E_NOINTERFACE;
  }
  const HRESULT hr = allocator->GetBuffer(out, (flags & ds::AM_SAMPLE_TIMEVALID) != 0 ? &start : nullptr,
                                          (flags & ds::AM_SAMPLE_STOPVALID) != 0 ? &stop : nullptr, bufferFlags);
  if (hr < 0) return hr;
  D_IMediaSample* sample = *out;
  void* face = nullptr;
  if (sample->QueryInterface(ds::IID_IMediaSample2, &face) >= 0 && face != nullptr) {
    auto* s2 = static_cast<D_IMediaSample2*>(face);
    D_AM_SAMPLE2_PROPERTIES own{};
    s2->GetProperties(16, reinterpret_cast<BYTE*>(&own));
    own.dwTypeSpecificFlags = props->dwTypeSpecificFlags;
    own.dwSampleFlags = (own.dwSampleFlags & ds::AM_SAMPLE_TYPECHANGED) | (flags & ~ds::AM_SAMPLE_TYPECHANGED);
    own.tStart = props->tStart;
    own.tStop = props->tStop;
    own.cbData = 32;
    s2->SetProperties(32, reinterpret_cast<const BYTE*>(&own));
    if ((flags & ds::AM_SAMPLE_DATADISCONTINUITY) != 0) m_bSampleSkipped = false;
    s2->Release();
  } else {
    if ((flags & ds::AM_SAMPLE_TIMEVALID) != 0) sample->SetTime(&start, &stop);
    if ((flags & ds::AM_SAMPLE_SPLICEPOINT) != 0) sample->SetSyncPoint(plat::win::TRUE);
    if ((flags & ds::AM_SAMPLE_DATADISCONTINUITY) != 0) {
      sample->SetDiscontinuity(plat::win::TRUE);
      m_bSampleSkipped = false;
    }
    ds::LONGLONG mediaStart = 0, mediaEnd = 0;
    if (in->GetMediaTime(&mediaStart, &mediaEnd) == S_OK) sample->SetMediaTime(&mediaStart, &mediaEnd);
  }
  return S_OK;
}

HRESULT D_CTransformFilter::Receive(D_IMediaSample* sample) {
  if (m_pInput->SampleProps()->dwStreamId != 0) return m_pOutput->Deliver(sample);
  D_IMediaSample* out = nullptr;
  HRESULT hr = InitializeOutputSample(sample, &out);
  if (hr < 0) {
    if (out != nullptr) out->Release();
    return hr;
  }
  hr = Transform(sample, out);
  if (hr == S_OK) {
    hr = m_pOutput->Deliver(out);
    m_bSampleSkipped = false;
  } else if (hr == S_FALSE) {
    m_bSampleSkipped = true;
    if (!m_bQualityChanged) {
      NotifyEvent(kQualityChange, 0, 0);
      m_bQualityChanged = true;
    }
    hr = S_OK;
  }
  out->Release();
  return hr;
}

HRESULT D_CTransformFilter::EndOfStream() {
  return m_pOutput != nullptr ? m_pOutput->DeliverEndOfStream() : S_OK;
}

HRESULT D_CTransformFilter::BeginFlush() { return m_pOutput != nullptr ? m_pOutput->DeliverBeginFlush() : S_OK; }

HRESULT D_CTransformFilter::EndFlush() { return m_pOutput->DeliverEndFlush(); }

HRESULT D_CTransformFilter::NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) {
  return m_pOutput != nullptr ? m_pOutput->DeliverNewSegment(start, stop, rate) : S_OK;
}

}  // namespace ZaDod
