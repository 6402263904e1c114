// Position pass-through: forwarding to the upstream peer, the renderer's media time,
// and the automation base over the control type library.
#include "media/dshow/pos_pass_thru.h"

#include "platform/win/error.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_NOTIMPL;
using plat::win::E_POINTER;
using plat::win::S_OK;
namespace ds = plat::dshow;
namespace win = plat::win;

namespace {

HRESULT fromWin32(DWORD code) { return code == 0 ? E_FAIL : static_cast<HRESULT>(0x80070000u | (code & 0xFFFF)); }

}  // namespace

// ---- automation base ----

D_CMediaPosition::~D_CMediaPosition() {
  if (m_pTI != nullptr) m_pTI->Release();
}

HRESULT D_CMediaPosition::GetTypeInfoCount(win::UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT D_CMediaPosition::loadTypeInfo(win::LCID locale) {
  if (m_pTI != nullptr) return S_OK;
  win::HMODULE module = D_LoadOleAut32();
  if (module == nullptr) return fromWin32(win::GetLastError());
  auto loadReg = reinterpret_cast<decltype(&win::LoadRegTypeLib)>(win::GetProcAddress(module, "LoadRegTypeLib"));
  auto loadFile = reinterpret_cast<decltype(&win::LoadTypeLib)>(win::GetProcAddress(module, "LoadTypeLib"));
  if (loadReg == nullptr || loadFile == nullptr) return fromWin32(win::ERROR_PROC_NOT_FOUND);
  win::ITypeLib* library = nullptr;
  HRESULT hr = loadReg(ds::LIBID_QuartzTypeLib, 1, 0, locale, &library);
  if (hr < 0) hr = loadFile(u"control.tlb", &library);
  if (hr < 0 || library == nullptr) return hr < 0 ? hr : E_FAIL;
  win::ITypeInfo* info = nullptr;
  hr = library->GetTypeInfoOfGuid(ds::IID_IMediaPosition, &info);
  library->Release();
  if (hr < 0) return hr;
  m_pTI = info;
  return S_OK;
}

HRESULT D_CMediaPosition::GetTypeInfo(win::UINT index, win::LCID locale, win::ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return win::TYPE_E_ELEMENTNOTFOUND;
  const HRESULT hr = loadTypeInfo(locale);
  if (hr < 0) return hr;
  *info = m_pTI;
  m_pTI->AddRef();
  return S_OK;
}

HRESULT D_CMediaPosition::GetIDsOfNames(const IID&, win::LPOLESTR* names, win::UINT count, win::LCID locale,
                                        win::DISPID* ids) {
  win::ITypeInfo* info = nullptr;
  const HRESULT hr = GetTypeInfo(0, locale, &info);
  if (hr < 0) return hr;
  const HRESULT result = info->GetIDsOfNames(names, count, ids);
  info->Release();
  return result;
}

HRESULT D_CMediaPosition::Invoke(win::DISPID id, const IID& iid, win::LCID locale, win::WORD flags,
                                 win::DISPPARAMS* params, win::VARIANT* result, win::EXCEPINFO* exception,
                                 win::UINT* argumentError) {
  if (!(iid == ds::GUID_NULL)) return win::DISP_E_UNKNOWNINTERFACE;
  win::ITypeInfo* info = nullptr;
  const HRESULT hr = GetTypeInfo(0, locale, &info);
  if (hr < 0) return hr;
  const HRESULT answer =
      info->Invoke(static_cast<D_IMediaPosition*>(this), id, flags, params, result, exception, argumentError);
  info->Release();
  return answer;
}

// ---- pass-through ----

D_CPosPassThru::D_CPosPassThru(const char16_t* name, D_IUnknown* outer, HRESULT* result, D_IPin* pin)
    : D_CUnknown(name, outer), m_pPin(pin) {
  if (pin == nullptr && result != nullptr) *result = E_POINTER;
}

HRESULT D_CPosPassThru::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IMediaSeeking) return GetInterface(static_cast<D_IMediaSeeking*>(this), out);
  if (iid == ds::IID_IMediaPosition || iid == win::IID_IDispatch)
    return GetInterface(static_cast<D_IMediaPosition*>(this), out);
  return D_CUnknown::NonDelegatingQueryInterface(iid, out);
}

namespace {

template <class Face>
HRESULT peerInterface(D_IPin* pin, const IID& iid, Face** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (pin == nullptr) return E_NOTIMPL;
  D_IPin* peer = nullptr;
  if (pin->ConnectedTo(&peer) < 0 || peer == nullptr) return E_NOTIMPL;
  void* face = nullptr;
  const HRESULT hr = peer->QueryInterface(iid, &face);
  peer->Release();
  if (hr < 0 || face == nullptr) return E_NOTIMPL;
  *out = static_cast<Face*>(face);
  return S_OK;
}

}  // namespace

HRESULT D_CPosPassThru::GetPeerSeeking(D_IMediaSeeking** seeking) {
  return peerInterface(m_pPin, ds::IID_IMediaSeeking, seeking);
}

HRESULT D_CPosPassThru::GetPeer(D_IMediaPosition** position) {
  return peerInterface(m_pPin, ds::IID_IMediaPosition, position);
}

// Asks the peer and passes its answer on.
#define D_FORWARD(getter, Face, call)       \
  Face* peer = nullptr;                     \
  const HRESULT found = getter(&peer);      \
  if (found < 0) return found;              \
  const HRESULT answer = peer->call;        \
  peer->Release();                          \
  return answer;

HRESULT D_CPosPassThru::GetCapabilities(DWORD* c) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetCapabilities(c)) }
HRESULT D_CPosPassThru::CheckCapabilities(DWORD* c) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, CheckCapabilities(c)) }
HRESULT D_CPosPassThru::IsFormatSupported(const GUID* f) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, IsFormatSupported(f)) }
HRESULT D_CPosPassThru::QueryPreferredFormat(GUID* f) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, QueryPreferredFormat(f)) }
HRESULT D_CPosPassThru::GetTimeFormat(GUID* f) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetTimeFormat(f)) }
HRESULT D_CPosPassThru::IsUsingTimeFormat(const GUID* f) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, IsUsingTimeFormat(f)) }
HRESULT D_CPosPassThru::SetTimeFormat(const GUID* f) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, SetTimeFormat(f)) }
HRESULT D_CPosPassThru::GetDuration(LONGLONG* d) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetDuration(d)) }
HRESULT D_CPosPassThru::GetStopPosition(LONGLONG* s) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetStopPosition(s)) }
HRESULT D_CPosPassThru::GetCurrentPosition(LONGLONG* c) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetCurrentPosition(c)) }
HRESULT D_CPosPassThru::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                          const GUID* sourceFormat) {
  D_FORWARD(GetPeerSeeking, D_IMediaSeeking, ConvertTimeFormat(target, targetFormat, source, sourceFormat))
}
HRESULT D_CPosPassThru::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
  D_FORWARD(GetPeerSeeking, D_IMediaSeeking, SetPositions(current, currentFlags, stop, stopFlags))
}
HRESULT D_CPosPassThru::GetPositions(LONGLONG* c, LONGLONG* s) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetPositions(c, s)) }
HRESULT D_CPosPassThru::GetAvailable(LONGLONG* e, LONGLONG* l) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetAvailable(e, l)) }
HRESULT D_CPosPassThru::SetRate(double rate) {
  if (rate == 0.0) return E_INVALIDARG;  // a stopped rate is no rate; never ask upstream
  D_FORWARD(GetPeerSeeking, D_IMediaSeeking, SetRate(rate))
}
HRESULT D_CPosPassThru::GetRate(double* r) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetRate(r)) }
HRESULT D_CPosPassThru::GetPreroll(LONGLONG* p) { D_FORWARD(GetPeerSeeking, D_IMediaSeeking, GetPreroll(p)) }

HRESULT D_CPosPassThru::get_Duration(REFTIME* t) { D_FORWARD(GetPeer, D_IMediaPosition, get_Duration(t)) }
HRESULT D_CPosPassThru::put_CurrentPosition(REFTIME t) { D_FORWARD(GetPeer, D_IMediaPosition, put_CurrentPosition(t)) }
HRESULT D_CPosPassThru::get_CurrentPosition(REFTIME* t) { D_FORWARD(GetPeer, D_IMediaPosition, get_CurrentPosition(t)) }
HRESULT D_CPosPassThru::get_StopTime(REFTIME* t) { D_FORWARD(GetPeer, D_IMediaPosition, get_StopTime(t)) }
HRESULT D_CPosPassThru::put_StopTime(REFTIME t) { D_FORWARD(GetPeer, D_IMediaPosition, put_StopTime(t)) }
HRESULT D_CPosPassThru::get_PrerollTime(REFTIME* t) { D_FORWARD(GetPeer, D_IMediaPosition, get_PrerollTime(t)) }
HRESULT D_CPosPassThru::put_PrerollTime(REFTIME t) { D_FORWARD(GetPeer, D_IMediaPosition, put_PrerollTime(t)) }
HRESULT D_CPosPassThru::put_Rate(double rate) {
  if (rate == 0.0) return E_INVALIDARG;
  D_FORWARD(GetPeer, D_IMediaPosition, put_Rate(rate))
}
HRESULT D_CPosPassThru::get_Rate(double* r) { D_FORWARD(GetPeer, D_IMediaPosition, get_Rate(r)) }
HRESULT D_CPosPassThru::CanSeekForward(LONG* c) { D_FORWARD(GetPeer, D_IMediaPosition, CanSeekForward(c)) }
HRESULT D_CPosPassThru::CanSeekBackward(LONG* c) { D_FORWARD(GetPeer, D_IMediaPosition, CanSeekBackward(c)) }

#undef D_FORWARD

HRESULT D_CPosPassThru::GetMediaTime(LONGLONG*, LONGLONG*) { return E_FAIL; }

// ---- renderer variant ----

D_CRendererPosPassThru::D_CRendererPosPassThru(const char16_t* name, D_IUnknown* outer, HRESULT* result, D_IPin* pin)
    : D_CPosPassThru(name, outer, result, pin) {}

HRESULT D_CRendererPosPassThru::RegisterMediaTime(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_PositionLock);
  LONGLONG start = 0, stop = 0;
  const HRESULT hr = sample->GetTime(&start, &stop);
  if (hr < 0) return hr;
  m_StartMedia = start;
  m_EndMedia = stop;
  m_bReset = false;
  return S_OK;
}

HRESULT D_CRendererPosPassThru::RegisterMediaTime(LONGLONG start, LONGLONG stop) {
  D_CAutoLock hold(&m_PositionLock);
  m_StartMedia = start;
  m_EndMedia = stop;
  m_bReset = false;
  return S_OK;
}

HRESULT D_CRendererPosPassThru::ResetMediaTime() {
  D_CAutoLock hold(&m_PositionLock);
  m_StartMedia = 0;
  m_EndMedia = 0;
  m_bReset = true;
  return S_OK;
}

HRESULT D_CRendererPosPassThru::EOS() {
  if (m_bReset) return E_FAIL;
  LONGLONG stop = 0;
  const HRESULT hr = GetStopPosition(&stop);
  if (hr < 0) return hr;
  D_CAutoLock hold(&m_PositionLock);
  m_StartMedia = stop;
  m_EndMedia = stop;
  return S_OK;
}

HRESULT D_CRendererPosPassThru::GetMediaTime(LONGLONG* start, LONGLONG* stop) {
  if (start == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_PositionLock);
  if (m_bReset) return E_FAIL;
  GUID format;
  HRESULT hr = GetTimeFormat(&format);
  if (hr < 0) return hr;
  hr = ConvertTimeFormat(start, &format, m_StartMedia, &ds::TIME_FORMAT_MEDIA_TIME);
  if (hr < 0) return hr;
  if (stop != nullptr) hr = ConvertTimeFormat(stop, &format, m_EndMedia, &ds::TIME_FORMAT_MEDIA_TIME);
  return hr;
}

}  // namespace ZaDod
