// Enumerator of a filter's pins.
#include "media/dshow/enum_pins.h"

#include <algorithm>
#include <new>

#include "media/dshow/filter.h"
#include "media/dshow/pin.h"

namespace ZaDod {

using plat::win::E_INVALIDARG;
using plat::win::E_NOINTERFACE;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CEnumPins* D_CEnumPins::Create(D_CBaseFilter* filter, const D_CEnumPins* from) {
  return new (std::nothrow) D_CEnumPins(filter, from);
}

D_CEnumPins::D_CEnumPins(D_CBaseFilter* filter, const D_CEnumPins* from) : m_pFilter(filter) {
  if (from != nullptr) {
    m_Position = from->m_Position;
    m_PinCount = from->m_PinCount;
    m_Version = from->m_Version;
    m_PinCache = from->m_PinCache;
  } else {
    m_PinCount = filter->GetPinCount();
    m_Version = filter->GetPinVersion();
  }
  static_cast<D_IBaseFilter*>(m_pFilter)->AddRef();
}

D_CEnumPins::~D_CEnumPins() { static_cast<D_IBaseFilter*>(m_pFilter)->Release(); }

bool D_CEnumPins::outOfSync() const { return m_Version != m_pFilter->GetPinVersion(); }

HRESULT D_CEnumPins::Next(ULONG count, D_IPin** pins, ULONG* fetched) {
  if (pins == nullptr) return E_POINTER;
  if (fetched != nullptr) *fetched = 0;
  else if (count > 1) return E_INVALIDARG;
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  ULONG got = 0;
  while (got < count && m_Position < m_PinCount) {
    D_CBasePin* pin = m_pFilter->GetPin(m_Position++);
    if (pin == nullptr) break;
    D_IPin* face = static_cast<D_IPin*>(pin);
    // After a Reset that followed a change, a pin seen before is not handed out again.
    if (std::find(m_PinCache.begin(), m_PinCache.end(), face) != m_PinCache.end()) continue;
    m_PinCache.push_back(face);
    face->AddRef();
    pins[got++] = face;
  }
  if (fetched != nullptr) *fetched = got;
  return got == count ? S_OK : S_FALSE;
}

HRESULT D_CEnumPins::Skip(ULONG count) {
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  const ULONG left = static_cast<ULONG>(m_PinCount - m_Position);
  if (count > left) return S_FALSE;
  m_Position += static_cast<int>(count);
  return S_OK;
}

HRESULT D_CEnumPins::Reset() {
  m_Version = m_pFilter->GetPinVersion();
  m_PinCount = m_pFilter->GetPinCount();
  m_Position = 0;
  m_PinCache.clear();
  return S_OK;
}

HRESULT D_CEnumPins::Clone(D_IEnumPins** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  *copy = Create(m_pFilter, this);
  return *copy != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace ZaDod
