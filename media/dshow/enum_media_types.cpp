// Enumerator of a pin's media types; every type handed out is a task-memory copy.
#include "media/dshow/enum_media_types.h"

#include <new>

#include "media/dshow/media_type.h"
#include "media/dshow/pin.h"

namespace ZaDod {

using plat::win::E_INVALIDARG;
using plat::win::E_NOINTERFACE;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CEnumMediaTypes* D_CEnumMediaTypes::Create(D_CBasePin* pin, const D_CEnumMediaTypes* from) {
  return new (std::nothrow) D_CEnumMediaTypes(pin, from);
}

D_CEnumMediaTypes::D_CEnumMediaTypes(D_CBasePin* pin, const D_CEnumMediaTypes* from) : m_pPin(pin) {
  if (from != nullptr) {
    m_Position = from->m_Position;
    m_Version = from->m_Version;
  } else {
    m_Version = pin->GetMediaTypeVersion();
  }
  static_cast<D_IPin*>(m_pPin)->AddRef();
}

D_CEnumMediaTypes::~D_CEnumMediaTypes() { static_cast<D_IPin*>(m_pPin)->Release(); }

bool D_CEnumMediaTypes::outOfSync() const { return m_Version != m_pPin->GetMediaTypeVersion(); }

HRESULT D_CEnumMediaTypes::Next(ULONG count, D_AM_MEDIA_TYPE** types, ULONG* fetched) {
  if (types == nullptr) return E_POINTER;
  if (fetched != nullptr) *fetched = 0;
  else if (count > 1) return E_INVALIDARG;
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  ULONG got = 0;
  while (got < count) {
    D_AM_MEDIA_TYPE type{};
    if (m_pPin->GetMediaType(m_Position, &type) != S_OK) {
      D_FreeMediaType(type);
      break;
    }
    D_AM_MEDIA_TYPE* copy = D_CreateMediaType(&type);
    D_FreeMediaType(type);
    if (copy == nullptr) break;
    ++m_Position;
    types[got++] = copy;
  }
  if (fetched != nullptr) *fetched = got;
  return got == count ? S_OK : S_FALSE;
}

HRESULT D_CEnumMediaTypes::Skip(ULONG count) {
  if (count == 0) return S_OK;
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  if (count > static_cast<ULONG>(0x7FFFFFFF - m_Position)) return S_FALSE;
  m_Position += static_cast<int>(count);
  // S_FALSE when the skip went past the last type.
  D_AM_MEDIA_TYPE type{};
  const HRESULT hr = m_pPin->GetMediaType(m_Position - 1, &type);
  D_FreeMediaType(type);
  return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT D_CEnumMediaTypes::Reset() {
  m_Position = 0;
  m_Version = m_pPin->GetMediaTypeVersion();
  return S_OK;
}

HRESULT D_CEnumMediaTypes::Clone(D_IEnumMediaTypes** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  if (outOfSync()) return ds::VFW_E_ENUM_OUT_OF_SYNC;
  *copy = Create(m_pPin, this);
  return *copy != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace ZaDod
