// The renderer's input pin: every decision goes to the renderer, under the renderer's
// interface lock and renderer lock in that order.
#include <cstring>

#include "media/dshow/media_type.h"
#include "media/dshow/renderer.h"

namespace ZaDod {

namespace ds = plat::dshow;
namespace pw = plat::win;
using pw::E_OUTOFMEMORY;
using pw::S_OK;

D_CRendererInputPin::D_CRendererInputPin(D_CBaseRenderer* renderer, HRESULT* result, const WCHAR* name)
    : D_CBaseInputPin(u"Renderer pin", renderer, renderer->InterfaceLock(), result, name), m_pRenderer(renderer) {}

HRESULT D_CRendererInputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) { return m_pRenderer->CheckMediaType(type); }
HRESULT D_CRendererInputPin::CompleteConnect(D_IPin* receivePin) {
  const HRESULT hr = m_pRenderer->CompleteConnect(receivePin);
  if (hr < 0) return hr;
  return D_CBaseInputPin::CompleteConnect(receivePin);
}
HRESULT D_CRendererInputPin::Active() { return m_pRenderer->Active(); }

HRESULT D_CRendererInputPin::Inactive() {
  m_bRunTimeError = false;
  return m_pRenderer->Inactive();
}

HRESULT D_CRendererInputPin::SetMediaType(const D_AM_MEDIA_TYPE* type) {
  if (!D_SameMediaType(m_mt, *type)) {
    D_FreeMediaType(m_mt);
    if (D_CopyMediaType(&m_mt, type) < 0) return E_OUTOFMEMORY;
  }
  return m_pRenderer->SetMediaType(type);
}

HRESULT D_CRendererInputPin::BreakConnect() {
  HRESULT hr = m_pRenderer->BreakConnect();
  if (hr < 0) return hr;
  return D_CBaseInputPin::BreakConnect();
}

HRESULT D_CRendererInputPin::EndOfStream() {
  D_CAutoLock iface(m_pRenderer->InterfaceLock());
  D_CAutoLock renderer(m_pRenderer->RendererLock());
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  hr = m_pRenderer->EndOfStream();
  return hr < 0 ? hr : S_OK;
}

HRESULT D_CRendererInputPin::BeginFlush() {
  D_CAutoLock iface(m_pRenderer->InterfaceLock());
  {
    D_CAutoLock renderer(m_pRenderer->RendererLock());
    D_CBaseInputPin::BeginFlush();
    m_pRenderer->BeginFlush();
  }
  // Outside the renderer lock: killing the end-of-stream timer waits for its callback,
  // which takes that lock.
  return m_pRenderer->ResetEndOfStream();
}

HRESULT D_CRendererInputPin::EndFlush() {
  D_CAutoLock iface(m_pRenderer->InterfaceLock());
  D_CAutoLock renderer(m_pRenderer->RendererLock());
  const HRESULT hr = m_pRenderer->EndFlush();
  if (hr >= 0) D_CBaseInputPin::EndFlush();
  return hr;
}

HRESULT D_CRendererInputPin::Receive(D_IMediaSample* sample) {
  const HRESULT hr = m_pRenderer->Receive(sample);
  if (hr < 0) {
    // The graph hears of a streaming failure once; the pin refuses samples until stopped.
    D_CAutoLock iface(m_pRenderer->InterfaceLock());
    if (!IsStopped() && !IsFlushing() && !m_pRenderer->IsAbortSet() && !m_bRunTimeError) {
      m_pRenderer->NotifyEvent(ds::EC_ERRORABORT, hr, 0);
      {
        D_CAutoLock renderer(m_pRenderer->RendererLock());
        if (m_pRenderer->IsStreaming() && !m_pRenderer->IsEndOfStreamDelivered()) m_pRenderer->NotifyEndOfStream();
      }
      m_bRunTimeError = true;
    }
  }
  return hr;
}

}  // namespace ZaDod
