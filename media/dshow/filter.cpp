// The filter base: state changes over the pins, clock, graph membership, information.
#include "media/dshow/filter.h"

#include <vector>

#include "media/dshow/enum_pins.h"
#include "media/dshow/media_type.h"
#include "media/dshow/pin.h"
#include "media/system/winapi.h"

namespace ZaDod {

using plat::win::E_NOINTERFACE;
using plat::win::E_NOTIMPL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CBaseFilter::D_CBaseFilter(const char16_t* name, D_IUnknown* outer, D_CCritSec* lock, const CLSID& clsid)
    : D_CUnknown(name, outer), m_clsid(clsid), m_pLock(lock) {}

D_CBaseFilter::D_CBaseFilter(D_IUnknown* outer, D_CCritSec* lock, const CLSID& clsid, HRESULT*, const char16_t* name)
    : D_CUnknown(name, outer), m_clsid(clsid), m_pLock(lock) {}

D_CBaseFilter::~D_CBaseFilter() {
  delete[] m_pName;
  if (m_pClock != nullptr) m_pClock->Release();
}

HRESULT D_CBaseFilter::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IBaseFilter) return GetInterface(static_cast<D_IBaseFilter*>(this), out);
  if (iid == ds::IID_IMediaFilter) return GetInterface(static_cast<D_IMediaFilter*>(this), out);
  if (iid == ds::IID_IPersist) return GetInterface(static_cast<D_IPersist*>(this), out);
  if (iid == ds::IID_IAMovieSetup) return GetInterface(static_cast<D_IAMovieSetup*>(this), out);
  return D_CUnknown::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CBaseFilter::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = m_clsid;
  return S_OK;
}

HRESULT D_CBaseFilter::GetState(DWORD, D_FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  *state = m_State;
  return S_OK;
}

HRESULT D_CBaseFilter::SetSyncSource(D_IReferenceClock* clock) {
  D_CAutoLock hold(m_pLock);
  if (clock != nullptr) clock->AddRef();
  if (m_pClock != nullptr) m_pClock->Release();
  m_pClock = clock;
  return S_OK;
}

HRESULT D_CBaseFilter::GetSyncSource(D_IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  *clock = m_pClock;
  if (m_pClock != nullptr) m_pClock->AddRef();
  return S_OK;
}

HRESULT D_CBaseFilter::Stop() {
  D_CAutoLock hold(m_pLock);
  HRESULT first = S_OK;
  if (m_State != ds::State_Stopped) {
    // Every connected pin is deactivated even after a failure: none may keep streaming.
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
      D_CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Inactive();
      if (hr < 0 && first >= 0) first = hr;
    }
  }
  m_State = ds::State_Stopped;
  return first;
}

HRESULT D_CBaseFilter::Pause() {
  D_CAutoLock hold(m_pLock);
  if (m_State == ds::State_Stopped) {
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
      D_CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Active();
      if (hr < 0) return hr;
    }
  }
  m_State = ds::State_Paused;
  return S_OK;
}

HRESULT D_CBaseFilter::Run(D_REFERENCE_TIME start) {
  D_CAutoLock hold(m_pLock);
  m_tStart = start;
  if (m_State == ds::State_Stopped) {
    const HRESULT hr = Pause();
    if (hr < 0) return hr;
  }
  if (m_State != ds::State_Running) {
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
      D_CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Run(start);
      if (hr < 0) return hr;
    }
  }
  m_State = ds::State_Running;
  return S_OK;
}

HRESULT D_CBaseFilter::StreamTime(D_REFERENCE_TIME* time) {
  if (time == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  if (m_pClock == nullptr) return ds::VFW_E_NO_CLOCK;
  const HRESULT hr = m_pClock->GetTime(time);
  if (hr < 0) return hr;
  *time -= m_tStart;
  return S_OK;
}

LONG D_CBaseFilter::GetPinVersion() { return m_PinVersion.load(); }

HRESULT D_CBaseFilter::EnumPins(D_IEnumPins** pins) {
  if (pins == nullptr) return E_POINTER;
  *pins = D_CEnumPins::Create(this, nullptr);
  return *pins != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT D_CBaseFilter::QueryFilterInfo(D_FILTER_INFO* info) {
  if (info == nullptr) return E_POINTER;
  D_CAutoLock hold(m_pLock);
  D_CopyName(info->achName, ds::MAX_FILTER_NAME, m_pName);
  info->pGraph = m_pGraph;
  if (m_pGraph != nullptr) m_pGraph->AddRef();
  return S_OK;
}

HRESULT D_CBaseFilter::JoinFilterGraph(D_IFilterGraph* graph, const WCHAR* name) {
  D_CAutoLock hold(m_pLock);
  m_pGraph = graph;
  m_pSink = nullptr;
  if (graph != nullptr) {
    void* sink = nullptr;
    if (graph->QueryInterface(ds::IID_IMediaEventSink, &sink) >= 0 && sink != nullptr) {
      m_pSink = static_cast<D_IMediaEventSink*>(sink);
      m_pSink->Release();  // kept without a reference, like the graph itself
    }
  }
  delete[] m_pName;
  m_pName = D_DuplicateName(name);
  return S_OK;
}

HRESULT D_CBaseFilter::QueryVendorInfo(WCHAR**) { return E_NOTIMPL; }

namespace {

// The platform's filter mapper, or the failure to make it.
HRESULT makeMapper(ds::IFilterMapper2** mapper) {
  *mapper = nullptr;
  if (WinAPI.CoCreateInstanceFunc == nullptr) return plat::win::REGDB_E_CLASSNOTREG;
  void* made = nullptr;
  const HRESULT hr = WinAPI.CoCreateInstanceFunc(ds::CLSID_FilterMapper2, nullptr, plat::win::CLSCTX_INPROC_SERVER,
                                                 ds::IID_IFilterMapper2, &made);
  if (hr >= 0) *mapper = static_cast<ds::IFilterMapper2*>(made);
  return hr;
}

}  // namespace

HRESULT D_CBaseFilter::Register() {
  const auto* setup = static_cast<const D_AMOVIESETUP_FILTER*>(GetSetupData());
  if (setup == nullptr) return S_FALSE;
  if (setup->clsid == nullptr || (setup->pins > 0 && setup->pinData == nullptr)) return plat::win::E_INVALIDARG;
  // The setup data in the mapper's layout; the types point into the setup data itself.
  std::vector<ds::REGFILTERPINS2> pins(setup->pins);
  std::vector<std::vector<ds::REGPINTYPES>> types(setup->pins);
  for (unsigned p = 0; p < setup->pins; ++p) {
    const D_AMOVIESETUP_PIN& pin = setup->pinData[p];
    if (pin.types > 0 && pin.mediaType == nullptr) return plat::win::E_INVALIDARG;
    for (unsigned t = 0; t < pin.types; ++t) types[p].push_back({pin.mediaType[t].clsMajorType, pin.mediaType[t].clsMinorType});
    pins[p].dwFlags = pin.output ? ds::REG_PINFLAG_B_OUTPUT : 0;
    pins[p].cInstances = pin.many ? 0 : 1;
    pins[p].nMediaTypes = pin.types;
    pins[p].lpMediaType = types[p].data();
  }
  const ds::REGFILTER2 data{2, setup->merit, setup->pins, pins.data()};
  ds::IFilterMapper2* mapper;
  HRESULT hr = makeMapper(&mapper);
  if (hr < 0) return hr;
  hr = mapper->RegisterFilter(*setup->clsid, setup->name, nullptr, nullptr, nullptr, &data);
  mapper->Release();
  return hr;
}

HRESULT D_CBaseFilter::Unregister() {
  const auto* setup = static_cast<const D_AMOVIESETUP_FILTER*>(GetSetupData());
  if (setup == nullptr) return S_FALSE;
  if (setup->clsid == nullptr) return plat::win::E_INVALIDARG;
  ds::IFilterMapper2* mapper;
  HRESULT hr = makeMapper(&mapper);
  if (hr < 0) return hr;
  hr = mapper->UnregisterFilter(nullptr, nullptr, *setup->clsid);
  mapper->Release();
  return hr;
}

HRESULT D_CBaseFilter::ReconnectPin(D_IPin* pin, const D_AM_MEDIA_TYPE* type) {
  D_IFilterGraph* graph = m_pGraph;
  if (graph == nullptr) return E_NOINTERFACE;
  void* graph2 = nullptr;
  if (graph->QueryInterface(ds::IID_IFilterGraph2, &graph2) >= 0 && graph2 != nullptr) {
    auto* g2 = static_cast<D_IFilterGraph2*>(graph2);
    const HRESULT hr = g2->ReconnectEx(pin, type);
    g2->Release();
    return hr;
  }
  return graph->Reconnect(pin);
}

HRESULT D_CBaseFilter::NotifyEvent(LONG code, ds::LONG_PTR param1, ds::LONG_PTR param2) {
  D_IMediaEventSink* sink = m_pSink;
  if (sink == nullptr) return E_NOTIMPL;
  return sink->Notify(code, param1, param2);
}

}  // namespace ZaDod
