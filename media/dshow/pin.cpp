// The pin base: connection, negotiation over both pins' types, pin information.
#include "media/dshow/pin.h"

#include <cstring>

#include "media/dshow/enum_media_types.h"
#include "media/dshow/filter.h"
#include "media/dshow/media_type.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_NOTIMPL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::E_UNEXPECTED;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CBasePin::D_CBasePin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock, HRESULT*,
                       const WCHAR* name, D_PIN_DIRECTION direction)
    : D_CUnknown(objectName, nullptr), m_pName(D_DuplicateName(name)), m_dir(direction), m_pLock(lock),
      m_pFilter(filter) {
  m_mt.bFixedSizeSamples = plat::win::TRUE;
  m_mt.lSampleSize = 1;
}

D_CBasePin::~D_CBasePin() {
  if (m_Connected != nullptr) m_Connected->Release();
  D_FreeMediaType(m_mt);
  delete[] m_pName;
}

HRESULT D_CBasePin::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IPin) return GetInterface(static_cast<D_IPin*>(this), out);
  if (iid == ds::IID_IQualityControl) return GetInterface(static_cast<D_IQualityControl*>(this), out);
  return D_CUnknown::NonDelegatingQueryInterface(iid, out);
}

ULONG D_CBasePin::NonDelegatingAddRef() { return m_pFilter != nullptr ? m_pFilter->AddRef() : D_CUnknown::NonDelegatingAddRef(); }

ULONG D_CBasePin::NonDelegatingRelease() {
  return m_pFilter != nullptr ? m_pFilter->Release() : D_CUnknown::NonDelegatingRelease();
}

bool D_CBasePin::IsStopped() const { return m_pFilter == nullptr || m_pFilter->IsStopped(); }

HRESULT D_CBasePin::Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) {
  if (receivePin == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  if (m_Connected != nullptr) return ds::VFW_E_ALREADY_CONNECTED;
  if (!IsStopped() && !m_bCanReconnectWhenActive) return ds::VFW_E_NOT_STOPPED;
  const HRESULT hr = AgreeMediaType(receivePin, type);
  if (hr < 0) {
    BreakConnect();
    return hr;
  }
  return S_OK;
}

HRESULT D_CBasePin::AttemptConnection(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) {
  HRESULT hr = CheckConnect(receivePin);
  if (hr < 0) {
    BreakConnect();
    return hr;
  }
  hr = CheckMediaType(type);
  if (hr == S_OK) {
    m_Connected = receivePin;
    m_Connected->AddRef();
    hr = SetMediaType(type);
    if (hr >= 0) {
      hr = receivePin->ReceiveConnection(static_cast<D_IPin*>(this), type);
      if (hr >= 0) {
        hr = CompleteConnect(receivePin);
        if (hr >= 0) return hr;
        receivePin->Disconnect();
      }
    }
  } else if (hr >= 0 || hr == E_FAIL || hr == E_INVALIDARG) {
    // A plain refusal of the type, whatever the pin said.
    hr = ds::VFW_E_TYPE_NOT_ACCEPTED;
  }
  // Every refused attempt leaves the pin as it was before.
  if (m_Connected != nullptr) {
    m_Connected->Release();
    m_Connected = nullptr;
  }
  BreakConnect();
  return hr;
}

HRESULT D_CBasePin::TryMediaTypes(D_IPin* receivePin, const D_AM_MEDIA_TYPE* partial, D_IEnumMediaTypes* types) {
  HRESULT hr = types->Reset();
  if (hr < 0) return hr;
  HRESULT last = ds::VFW_E_NO_ACCEPTABLE_TYPES;
  for (;;) {
    D_AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    hr = types->Next(1, &type, &fetched);
    if (hr != S_OK || fetched != 1 || type == nullptr) break;
    if (partial == nullptr || D_MatchesPartial(type, partial)) {
      hr = AttemptConnection(receivePin, type);
      if (hr >= 0) {
        D_DeleteMediaType(type);
        return hr;
      }
      last = hr;
    }
    D_DeleteMediaType(type);
  }
  return last;
}

HRESULT D_CBasePin::AgreeMediaType(D_IPin* receivePin, const D_AM_MEDIA_TYPE* partial) {
  if (partial != nullptr && !D_IsPartiallySpecified(partial)) return AttemptConnection(receivePin, partial);
  HRESULT last = ds::VFW_E_NO_ACCEPTABLE_TYPES;
  // This pin's types first only when it asks for that; else the receiver's first.
  for (int round = 0; round < 2; ++round) {
    const bool mine = (round == 0) == m_bTryMyTypesFirst;
    D_IEnumMediaTypes* types = nullptr;
    const HRESULT hr = mine ? EnumMediaTypes(&types) : receivePin->EnumMediaTypes(&types);
    if (hr < 0 || types == nullptr) continue;
    const HRESULT tried = TryMediaTypes(receivePin, partial, types);
    types->Release();
    if (tried >= 0) return S_OK;
    // Keep the most telling failure: a type refusal or a pin's own error.
    if (tried != ds::VFW_E_NO_ACCEPTABLE_TYPES) last = tried;
  }
  return last;
}

HRESULT D_CBasePin::ReceiveConnection(D_IPin* connector, const D_AM_MEDIA_TYPE* type) {
  if (connector == nullptr || type == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  if (m_Connected != nullptr) return ds::VFW_E_ALREADY_CONNECTED;
  if (!IsStopped() && !m_bCanReconnectWhenActive) return ds::VFW_E_NOT_STOPPED;
  HRESULT hr = CheckConnect(connector);
  if (hr < 0) {
    BreakConnect();
    return hr;
  }
  hr = CheckMediaType(type);
  if (hr != S_OK) {
    BreakConnect();
    if (hr >= 0 || hr == E_FAIL || hr == E_INVALIDARG) hr = ds::VFW_E_TYPE_NOT_ACCEPTED;
    return hr;
  }
  m_Connected = connector;
  m_Connected->AddRef();
  hr = SetMediaType(type);
  if (hr >= 0) {
    hr = CompleteConnect(connector);
    if (hr >= 0) return S_OK;
  }
  m_Connected->Release();
  m_Connected = nullptr;
  BreakConnect();
  return hr;
}

HRESULT D_CBasePin::DisconnectInternal() {
  if (m_Connected == nullptr) return S_FALSE;
  const HRESULT hr = BreakConnect();
  if (hr < 0) return hr;
  m_Connected->Release();
  m_Connected = nullptr;
  D_FreeMediaType(m_mt);
  return S_OK;
}

HRESULT D_CBasePin::Disconnect() {
  D_CAutoLock hold(m_pLock);
  if (!IsStopped()) return ds::VFW_E_NOT_STOPPED;
  return DisconnectInternal();
}

HRESULT D_CBasePin::ConnectedTo(D_IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  *pin = m_Connected;
  if (m_Connected == nullptr) return ds::VFW_E_NOT_CONNECTED;
  m_Connected->AddRef();
  return S_OK;
}

HRESULT D_CBasePin::ConnectionMediaType(D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  if (m_Connected == nullptr) {
    std::memset(type, 0, sizeof(*type));
    return ds::VFW_E_NOT_CONNECTED;
  }
  return D_CopyMediaType(type, &m_mt);
}

HRESULT D_CBasePin::QueryPinInfo(D_PIN_INFO* info) {
  if (info == nullptr) return E_POINTER;
  info->pFilter = m_pFilter != nullptr ? static_cast<D_IBaseFilter*>(m_pFilter) : nullptr;
  if (info->pFilter != nullptr) info->pFilter->AddRef();
  info->dir = m_dir;
  D_CopyName(info->achName, ds::MAX_PIN_NAME, m_pName);
  return S_OK;
}

HRESULT D_CBasePin::QueryDirection(D_PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = m_dir;
  return S_OK;
}

HRESULT D_CBasePin::QueryId(WCHAR** id) {
  if (id == nullptr) return E_POINTER;
  size_t length = 0;
  if (m_pName != nullptr)
    while (m_pName[length] != u'\0') ++length;
  *id = static_cast<WCHAR*>(D_TaskMemAlloc((length + 1) * sizeof(WCHAR)));
  if (*id == nullptr) return E_OUTOFMEMORY;
  D_CopyName(*id, length + 1, m_pName);
  return S_OK;
}

HRESULT D_CBasePin::QueryAccept(const D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return CheckMediaType(type) == S_OK ? S_OK : S_FALSE;
}

HRESULT D_CBasePin::EnumMediaTypes(D_IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  *types = D_CEnumMediaTypes::Create(this, nullptr);
  return *types != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT D_CBasePin::QueryInternalConnections(D_IPin**, ULONG*) { return E_NOTIMPL; }
HRESULT D_CBasePin::EndOfStream() { return S_OK; }

HRESULT D_CBasePin::NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) {
  m_tStart = start;
  m_tStop = stop;
  m_dRate = rate;
  return S_OK;
}

HRESULT D_CBasePin::Notify(D_IBaseFilter*, D_Quality) { return E_NOTIMPL; }

HRESULT D_CBasePin::SetSink(D_IQualityControl* sink) {
  D_CAutoLock hold(m_pLock);
  m_pQSink = sink;
  return S_OK;
}

HRESULT D_CBasePin::CheckConnect(D_IPin* pin) {
  D_PIN_DIRECTION direction;
  const HRESULT hr = pin->QueryDirection(&direction);
  if (hr < 0) return hr;
  return direction == m_dir ? ds::VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT D_CBasePin::BreakConnect() { return S_OK; }
HRESULT D_CBasePin::CompleteConnect(D_IPin*) { return S_OK; }

HRESULT D_CBasePin::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  D_FreeMediaType(m_mt);
  return D_CopyMediaType(&m_mt, type);
}

HRESULT D_CBasePin::GetMediaType(int, D_AM_MEDIA_TYPE*) { return E_UNEXPECTED; }
LONG D_CBasePin::GetMediaTypeVersion() { return m_TypesVersion.load(); }
HRESULT D_CBasePin::Active() { return S_OK; }

HRESULT D_CBasePin::Inactive() {
  m_bRunTimeError = false;
  return S_OK;
}

HRESULT D_CBasePin::Run(D_REFERENCE_TIME) { return S_OK; }

}  // namespace ZaDod
