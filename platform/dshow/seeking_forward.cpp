// Forwarding of IMediaSeeking to the upstream peer.
#include "platform/dshow/seeking_forward.h"

namespace plat::dshow {

HRESULT SeekingForwarder::upstream(IMediaSeeking** seeking) {
  *seeking = nullptr;
  IPin* pin = seekingPin();
  if (pin == nullptr) return VFW_E_NOT_CONNECTED;
  IPin* peer = nullptr;
  if (pin->ConnectedTo(&peer) != win::S_OK || peer == nullptr) return VFW_E_NOT_CONNECTED;
  void* face = nullptr;
  const HRESULT hr = peer->QueryInterface(IID_IMediaSeeking, &face);
  peer->Release();
  if (hr != win::S_OK || face == nullptr) return win::E_NOTIMPL;
  *seeking = static_cast<IMediaSeeking*>(face);
  return win::S_OK;
}

HRESULT SeekingForwarder::route(bool, const SeekingCall& call) {
  IMediaSeeking* seeking = nullptr;
  const HRESULT hr = upstream(&seeking);
  if (hr != win::S_OK) return hr;
  const HRESULT result = call(seeking);
  seeking->Release();
  return result;
}

HRESULT SeekingForwarder::GetCapabilities(DWORD* c) {
  return route(false, [&](IMediaSeeking* s) { return s->GetCapabilities(c); });
}
HRESULT SeekingForwarder::CheckCapabilities(DWORD* c) {
  return route(false, [&](IMediaSeeking* s) { return s->CheckCapabilities(c); });
}
HRESULT SeekingForwarder::IsFormatSupported(const GUID* f) {
  return route(false, [&](IMediaSeeking* s) { return s->IsFormatSupported(f); });
}
HRESULT SeekingForwarder::QueryPreferredFormat(GUID* f) {
  return route(false, [&](IMediaSeeking* s) { return s->QueryPreferredFormat(f); });
}
HRESULT SeekingForwarder::GetTimeFormat(GUID* f) {
  return route(false, [&](IMediaSeeking* s) { return s->GetTimeFormat(f); });
}
HRESULT SeekingForwarder::IsUsingTimeFormat(const GUID* f) {
  return route(false, [&](IMediaSeeking* s) { return s->IsUsingTimeFormat(f); });
}
HRESULT SeekingForwarder::SetTimeFormat(const GUID* f) {
  return route(true, [&](IMediaSeeking* s) { return s->SetTimeFormat(f); });
}
HRESULT SeekingForwarder::GetDuration(LONGLONG* d) {
  return route(false, [&](IMediaSeeking* s) { return s->GetDuration(d); });
}
HRESULT SeekingForwarder::GetStopPosition(LONGLONG* p) {
  return route(false, [&](IMediaSeeking* s) { return s->GetStopPosition(p); });
}
HRESULT SeekingForwarder::GetCurrentPosition(LONGLONG* p) {
  return route(false, [&](IMediaSeeking* s) { return s->GetCurrentPosition(p); });
}
HRESULT SeekingForwarder::ConvertTimeFormat(LONGLONG* t, const GUID* tf, LONGLONG v, const GUID* sf) {
  return route(false, [&](IMediaSeeking* s) { return s->ConvertTimeFormat(t, tf, v, sf); });
}
HRESULT SeekingForwarder::SetPositions(LONGLONG* c, DWORD cf, LONGLONG* p, DWORD pf) {
  return route(true, [&](IMediaSeeking* s) { return s->SetPositions(c, cf, p, pf); });
}
HRESULT SeekingForwarder::GetPositions(LONGLONG* c, LONGLONG* p) {
  return route(false, [&](IMediaSeeking* s) { return s->GetPositions(c, p); });
}
HRESULT SeekingForwarder::GetAvailable(LONGLONG* e, LONGLONG* l) {
  return route(false, [&](IMediaSeeking* s) { return s->GetAvailable(e, l); });
}
HRESULT SeekingForwarder::SetRate(double r) {
  return route(true, [&](IMediaSeeking* s) { return s->SetRate(r); });
}
HRESULT SeekingForwarder::GetRate(double* r) {
  return route(false, [&](IMediaSeeking* s) { return s->GetRate(r); });
}
HRESULT SeekingForwarder::GetPreroll(LONGLONG* p) {
  return route(false, [&](IMediaSeeking* s) { return s->GetPreroll(p); });
}

}  // namespace plat::dshow
