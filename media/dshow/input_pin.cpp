// The input-pin base: allocators, streaming checks, reception and quality messages.
#include "media/dshow/input_pin.h"

#include <cstring>

#include "media/dshow/filter.h"
#include "media/dshow/media_type.h"
#include "media/system/winapi.h"

namespace ZaDod {

using plat::win::E_NOTIMPL;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CBaseInputPin::D_CBaseInputPin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock,
                                 HRESULT* result, const WCHAR* name)
    : D_CBasePin(objectName, filter, lock, result, name, ds::PINDIR_INPUT) {}

D_CBaseInputPin::~D_CBaseInputPin() {
  if (m_pAllocator != nullptr) m_pAllocator->Release();
}

HRESULT D_CBaseInputPin::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IMemInputPin) return GetInterface(static_cast<D_IMemInputPin*>(this), out);
  return D_CBasePin::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CBaseInputPin::GetAllocator(D_IMemAllocator** allocator) {
  if (allocator == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  if (m_pAllocator == nullptr) {
    void* made = nullptr;
    const HRESULT hr = WinAPI.CoCreateInstanceFunc != nullptr
                           ? WinAPI.CoCreateInstanceFunc(ds::CLSID_MemoryAllocator, nullptr,
                                                         plat::win::CLSCTX_INPROC_SERVER, ds::IID_IMemAllocator, &made)
                           : plat::win::REGDB_E_CLASSNOTREG;
    if (hr < 0) {
      *allocator = nullptr;
      return hr;
    }
    m_pAllocator = static_cast<D_IMemAllocator*>(made);
  }
  *allocator = m_pAllocator;
  m_pAllocator->AddRef();
  return S_OK;
}

HRESULT D_CBaseInputPin::NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) {
  D_CAutoLock hold(m_pLock);
  if (allocator != nullptr) allocator->AddRef();
  if (m_pAllocator != nullptr) m_pAllocator->Release();
  m_pAllocator = allocator;
  m_bReadOnly = readOnly != 0;
  return S_OK;
}

HRESULT D_CBaseInputPin::GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT D_CBaseInputPin::CheckStreaming() {
  if (IsStopped()) return ds::VFW_E_WRONG_STATE;
  if (m_bFlushing) return S_FALSE;
  if (m_bRunTimeError) return ds::VFW_E_RUNTIME_ERROR;
  return S_OK;
}

HRESULT D_CBaseInputPin::Receive(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  void* sample2 = nullptr;
  if (sample->QueryInterface(ds::IID_IMediaSample2, &sample2) >= 0 && sample2 != nullptr) {
    auto* s2 = static_cast<D_IMediaSample2*>(sample2);
    hr = s2->GetProperties(sizeof(m_SampleProps), reinterpret_cast<BYTE*>(&m_SampleProps));
    s2->Release();
    if (hr < 0) return hr;
  } else {
    // A sample without the property record: gather the same facts one by one.
    std::memset(&m_SampleProps, 0, sizeof(m_SampleProps));
    m_SampleProps.cbData = sizeof(m_SampleProps);
    hr = sample->GetTime(&m_SampleProps.tStart, &m_SampleProps.tStop);
    if (hr >= 0) {
      m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_TIMEVALID;
      if (hr == S_OK) m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_STOPVALID;
    }
    if (sample->GetMediaType(&m_SampleProps.pMediaType) == S_OK)
      m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_TYPECHANGED;
    if (sample->IsDiscontinuity() == S_OK) m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_DATADISCONTINUITY;
    if (sample->IsPreroll() == S_OK) m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_PREROLL;
    if (sample->IsSyncPoint() == S_OK) m_SampleProps.dwSampleFlags |= ds::AM_SAMPLE_SPLICEPOINT;
    sample->GetPointer(&m_SampleProps.pbBuffer);
    m_SampleProps.lActual = sample->GetActualDataLength();
    m_SampleProps.cbBuffer = sample->GetSize();
    // The sample's type copy is ours here; only the flag and the check below need it.
    const bool refused = m_SampleProps.pMediaType != nullptr && CheckMediaType(m_SampleProps.pMediaType) != S_OK;
    D_DeleteMediaType(m_SampleProps.pMediaType);
    m_SampleProps.pMediaType = nullptr;
    return refused ? ds::VFW_E_INVALIDMEDIATYPE : S_OK;
  }
  if ((m_SampleProps.dwSampleFlags & ds::AM_SAMPLE_TYPECHANGED) != 0 && m_SampleProps.pMediaType != nullptr &&
      CheckMediaType(m_SampleProps.pMediaType) != S_OK)
    return ds::VFW_E_INVALIDMEDIATYPE;
  return S_OK;
}

HRESULT D_CBaseInputPin::ReceiveMultiple(D_IMediaSample** samples, LONG count, LONG* processed) {
  if (processed == nullptr) return E_POINTER;
  *processed = 0;
  if (samples == nullptr && count > 0) return E_POINTER;
  HRESULT hr = S_OK;
  while (*processed < count) {
    hr = Receive(samples[*processed]);
    if (hr != S_OK) break;
    ++*processed;
  }
  return hr;
}

HRESULT D_CBaseInputPin::ReceiveCanBlock() {
  // Blocks when any connected output of the filter delivers to a pin that can block;
  // a filter with no outputs (a renderer) can block itself.
  D_CBaseFilter* filter = Filter();
  if (filter == nullptr) return S_OK;
  const int count = filter->GetPinCount();
  int outputs = 0;
  for (int i = 0; i < count; ++i) {
    D_CBasePin* pin = filter->GetPin(i);
    D_PIN_DIRECTION direction;
    if (pin == nullptr || pin->QueryDirection(&direction) < 0 || direction != ds::PINDIR_OUTPUT) continue;
    ++outputs;
    D_IPin* peer = pin->GetConnected();
    if (peer == nullptr) continue;
    void* input = nullptr;
    if (peer->QueryInterface(ds::IID_IMemInputPin, &input) >= 0 && input != nullptr) {
      auto* memInput = static_cast<D_IMemInputPin*>(input);
      const HRESULT hr = memInput->ReceiveCanBlock();
      memInput->Release();
      if (hr != S_FALSE) return S_OK;
    } else {
      return S_OK;
    }
  }
  return outputs == 0 ? S_OK : S_FALSE;
}

HRESULT D_CBaseInputPin::BeginFlush() {
  m_bFlushing = true;
  return S_OK;
}

HRESULT D_CBaseInputPin::EndFlush() {
  m_bFlushing = false;
  m_bRunTimeError = false;
  return S_OK;
}

HRESULT D_CBaseInputPin::Notify(D_IBaseFilter* sender, D_Quality) {
  if (sender == nullptr) return E_POINTER;
  return S_OK;  // the message goes no further
}

HRESULT D_CBaseInputPin::BreakConnect() {
  if (m_pAllocator != nullptr) {
    // The allocator may still hold buffers: give them back before letting it go.
    const HRESULT hr = m_pAllocator->Decommit();
    if (hr < 0) return hr;
    m_pAllocator->Release();
    m_pAllocator = nullptr;
  }
  return S_OK;
}

HRESULT D_CBaseInputPin::Inactive() {
  m_bRunTimeError = false;
  if (m_pAllocator == nullptr) return ds::VFW_E_NO_ALLOCATOR;
  m_bFlushing = false;
  return m_pAllocator->Decommit();
}

HRESULT D_CBaseInputPin::PassNotify(D_Quality quality) {
  D_IBaseFilter* filter = Filter() != nullptr ? static_cast<D_IBaseFilter*>(Filter()) : nullptr;
  if (m_pQSink != nullptr) return m_pQSink->Notify(filter, quality);
  D_IPin* peer = GetConnected();
  if (peer == nullptr) return ds::VFW_E_NOT_FOUND;
  void* face = nullptr;
  peer->QueryInterface(ds::IID_IQualityControl, &face);
  if (face == nullptr) return ds::VFW_E_NOT_FOUND;
  auto* control = static_cast<D_IQualityControl*>(face);
  const HRESULT hr = control->Notify(filter, quality);
  control->Release();
  return hr;
}

}  // namespace ZaDod
