// The output-pin base: allocator choice, commit with the state, deliveries downstream.
#include "media/dshow/output_pin.h"

#include "media/system/winapi.h"

namespace ZaDod {

using plat::win::E_NOINTERFACE;
using plat::win::E_UNEXPECTED;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CBaseOutputPin::D_CBaseOutputPin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock,
                                   HRESULT* result, const WCHAR* name)
    : D_CBasePin(objectName, filter, lock, result, name, ds::PINDIR_OUTPUT) {}

D_CBaseOutputPin::~D_CBaseOutputPin() {
  if (m_pAllocator != nullptr) m_pAllocator->Release();
  if (m_pInputPin != nullptr) m_pInputPin->Release();
}

HRESULT D_CBaseOutputPin::CheckConnect(D_IPin* pin) {
  HRESULT hr = D_CBasePin::CheckConnect(pin);
  if (hr < 0) return hr;
  void* face = nullptr;
  hr = pin->QueryInterface(ds::IID_IMemInputPin, &face);
  if (hr < 0) return hr;
  if (m_pInputPin != nullptr) m_pInputPin->Release();
  m_pInputPin = static_cast<D_IMemInputPin*>(face);
  return S_OK;
}

HRESULT D_CBaseOutputPin::BreakConnect() {
  if (m_pAllocator != nullptr) {
    const HRESULT hr = m_pAllocator->Decommit();
    if (hr < 0) return hr;
    m_pAllocator->Release();
    m_pAllocator = nullptr;
  }
  if (m_pInputPin != nullptr) {
    m_pInputPin->Release();
    m_pInputPin = nullptr;
  }
  return S_OK;
}

HRESULT D_CBaseOutputPin::CompleteConnect(D_IPin*) {
  D_IMemAllocator* allocator = nullptr;
  const HRESULT hr = DecideAllocator(m_pInputPin, &allocator);
  if (hr < 0) return hr;
  if (m_pAllocator != nullptr) m_pAllocator->Release();
  m_pAllocator = allocator;  // the reference DecideAllocator gave
  return hr;
}

HRESULT D_CBaseOutputPin::DecideAllocator(D_IMemInputPin* pin, D_IMemAllocator** allocator) {
  *allocator = nullptr;
  if (pin == nullptr) return ds::VFW_E_NO_ALLOCATOR;
  D_ALLOCATOR_PROPERTIES props{};
  pin->GetAllocatorRequirements(&props);  // a pin without requirements leaves zeros
  if (props.cbAlign == 0) props.cbAlign = 1;
  // A candidate is kept when the buffer sizes are set on it and the peer takes it.
  auto tryCandidate = [&](HRESULT hr) {
    if (hr < 0 || *allocator == nullptr) return hr < 0 ? hr : ds::VFW_E_NO_ALLOCATOR;
    hr = DecideBufferSize(*allocator, &props);
    if (hr >= 0) hr = pin->NotifyAllocator(*allocator, plat::win::FALSE);
    if (hr >= 0) return S_OK;
    (*allocator)->Release();
    *allocator = nullptr;
    return hr;
  };
  // The downstream pin's own allocator first.
  if (tryCandidate(pin->GetAllocator(allocator)) == S_OK) return S_OK;
  return tryCandidate(InitAllocator(allocator));
}

HRESULT D_CBaseOutputPin::InitAllocator(D_IMemAllocator** allocator) {
  *allocator = nullptr;
  if (WinAPI.CoCreateInstanceFunc == nullptr) return plat::win::REGDB_E_CLASSNOTREG;
  void* made = nullptr;
  const HRESULT hr = WinAPI.CoCreateInstanceFunc(ds::CLSID_MemoryAllocator, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                                                 ds::IID_IMemAllocator, &made);
  if (hr >= 0) *allocator = static_cast<D_IMemAllocator*>(made);
  return hr;
}

HRESULT D_CBaseOutputPin::Active() {
  if (m_pAllocator == nullptr) return ds::VFW_E_NO_ALLOCATOR;
  return m_pAllocator->Commit();
}

HRESULT D_CBaseOutputPin::Inactive() {
  m_bRunTimeError = false;
  if (m_pAllocator == nullptr) return ds::VFW_E_NO_ALLOCATOR;
  return m_pAllocator->Decommit();
}

HRESULT D_CBaseOutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT D_CBaseOutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT D_CBaseOutputPin::EndFlush() { return E_UNEXPECTED; }

HRESULT D_CBaseOutputPin::GetDeliveryBuffer(D_IMediaSample** sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop,
                                            DWORD flags) {
  if (m_pAllocator == nullptr) return E_NOINTERFACE;
  return m_pAllocator->GetBuffer(sample, start, stop, flags);
}

HRESULT D_CBaseOutputPin::Deliver(D_IMediaSample* sample) {
  if (m_pInputPin == nullptr) return ds::VFW_E_NOT_CONNECTED;
  return m_pInputPin->Receive(sample);
}

HRESULT D_CBaseOutputPin::DeliverEndOfStream() {
  if (m_Connected == nullptr) return ds::VFW_E_NOT_CONNECTED;
  return m_Connected->EndOfStream();
}

HRESULT D_CBaseOutputPin::DeliverBeginFlush() {
  if (m_Connected == nullptr) return ds::VFW_E_NOT_CONNECTED;
  return m_Connected->BeginFlush();
}

HRESULT D_CBaseOutputPin::DeliverEndFlush() {
  if (m_Connected == nullptr) return ds::VFW_E_NOT_CONNECTED;
  return m_Connected->EndFlush();
}

HRESULT D_CBaseOutputPin::DeliverNewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) {
  if (m_Connected == nullptr) return ds::VFW_E_NOT_CONNECTED;
  return m_Connected->NewSegment(start, stop, rate);
}

void D_CBaseOutputPin::SetAllocator(D_IMemAllocator* allocator) {
  if (allocator != nullptr) allocator->AddRef();
  if (m_pAllocator != nullptr) m_pAllocator->Release();
  m_pAllocator = allocator;
}

}  // namespace ZaDod
