// The renderer base's filter face: construction, state changes, the pin, the position
// pass-through and the waits that keep handling this thread's messages.
#include "media/dshow/renderer.h"

#include <algorithm>
#include <new>

#include "platform/win/win_clock.h"
#include "platform/win/win_handle.h"
#include "platform/win/message_wait.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

namespace ds = plat::dshow;
namespace pw = plat::win;
using pw::E_OUTOFMEMORY;
using pw::E_POINTER;
using pw::S_FALSE;
using pw::S_OK;

D_CBaseRenderer::D_CBaseRenderer(const CLSID& clsid, const char16_t* name, D_IUnknown* outer, HRESULT* result)
    : D_CBaseFilter(name, outer, &m_InterfaceLock, clsid),
      m_RenderEvent(pw::CreateEventW(nullptr, pw::FALSE, pw::FALSE, nullptr)),
      m_ThreadSignal(pw::CreateEventW(nullptr, pw::TRUE, pw::FALSE, nullptr)),
      m_evComplete(pw::CreateEventW(nullptr, pw::TRUE, pw::TRUE, nullptr)) {
  if (result != nullptr && (m_RenderEvent == nullptr || m_ThreadSignal == nullptr || m_evComplete == nullptr))
    *result = E_OUTOFMEMORY;
}

D_CBaseRenderer::~D_CBaseRenderer() {
  ResetEndOfStreamTimer();
  CancelNotification();
  StopStreaming();
  ClearPendingSample();
  delete m_pPosition;
  delete m_pInputPin;
  if (m_pQSink != nullptr) m_pQSink->Release();
  for (pw::HANDLE h : {m_RenderEvent, m_ThreadSignal, m_evComplete})
    if (h != nullptr) pw::CloseHandle(h);
}

HRESULT D_CBaseRenderer::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == ds::IID_IMediaPosition || iid == ds::IID_IMediaSeeking) return GetMediaPositionInterface(iid, out);
  return D_CBaseFilter::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CBaseRenderer::GetMediaPositionInterface(const IID& iid, void** out) {
  D_CAutoLock hold(&m_ObjectCreationLock);
  if (m_pPosition == nullptr) {
    HRESULT hr = S_OK;
    m_pPosition = new (std::nothrow) D_CRendererPosPassThru(u"Renderer D_CPosPassThru", GetOwner(), &hr, GetPin(0));
    if (m_pPosition == nullptr) return E_OUTOFMEMORY;
    if (hr < 0) {
      delete m_pPosition;
      m_pPosition = nullptr;
      return E_OUTOFMEMORY;
    }
  }
  return m_pPosition->NonDelegatingQueryInterface(iid, out);
}

int D_CBaseRenderer::GetPinCount() { return 1; }

D_CBasePin* D_CBaseRenderer::GetPin(int index) {
  D_CAutoLock hold(&m_ObjectCreationLock);
  if (index != 0) return nullptr;
  if (m_pInputPin == nullptr) {
    HRESULT hr = S_OK;
    m_pInputPin = new (std::nothrow) D_CRendererInputPin(this, &hr, u"In");
    if (m_pInputPin != nullptr && hr < 0) {
      delete m_pInputPin;
      m_pInputPin = nullptr;
    }
  }
  return m_pInputPin;
}

HRESULT D_CBaseRenderer::FindPin(const WCHAR* id, D_IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = nullptr;
  if (id == nullptr || std::u16string_view(id) != u"In") return ds::VFW_E_NOT_FOUND;
  D_CBasePin* found = GetPin(0);
  if (found == nullptr) return E_OUTOFMEMORY;
  *pin = found;
  found->AddRef();
  return S_OK;
}

void D_CBaseRenderer::Ready() { pw::SetEvent(m_evComplete); }
void D_CBaseRenderer::NotReady() { pw::ResetEvent(m_evComplete); }
bool D_CBaseRenderer::CheckReady() { return pw::WaitForSingleObject(m_evComplete, 0) == pw::WAIT_OBJECT_0; }

void D_CBaseRenderer::SetRepaintStatus(bool repaint) {
  D_CAutoLock hold(&m_RendererLock);
  m_bRepaintStatus = repaint;
}

HRESULT D_CBaseRenderer::SourceThreadCanWait(bool canWait) {
  canWait ? pw::ResetEvent(m_ThreadSignal) : pw::SetEvent(m_ThreadSignal);
  return S_OK;
}

HRESULT D_CBaseRenderer::CompleteStateChange(D_FILTER_STATE oldState) {
  if (!GetPin(0)->IsConnected() || IsEndOfStream() ||
      (HaveCurrentSample() && oldState != ds::State_Stopped)) {
    Ready();
    return S_OK;
  }
  NotReady();
  return S_FALSE;
}

HRESULT D_CBaseRenderer::Stop() {
  D_CAutoLock hold(&m_InterfaceLock);
  if (m_State == ds::State_Stopped) return S_OK;
  D_CRendererInputPin* pin = InputPin();
  if (!pin->IsConnected()) {
    m_State = ds::State_Stopped;
    return S_OK;
  }
  D_CBaseFilter::Stop();
  // A source waiting in GetBuffer is let go, so that it can follow the state change.
  if (pin->Allocator() != nullptr) pin->Allocator()->Decommit();
  SetRepaintStatus(true);
  StopStreaming();
  SourceThreadCanWait(false);
  ResetEndOfStream();
  CancelNotification();
  Ready();
  WaitForReceiveToComplete();
  // A stopped renderer holds no sample: its buffer goes back to the decommitted allocator.
  ClearPendingSample();
  m_bAbort = false;
  return S_OK;
}

HRESULT D_CBaseRenderer::Pause() {
  D_CAutoLock hold(&m_InterfaceLock);
  const D_FILTER_STATE old = m_State;
  if (old == ds::State_Paused) return CompleteStateChange(ds::State_Paused);
  D_CRendererInputPin* pin = InputPin();
  if (!pin->IsConnected()) {
    m_State = ds::State_Paused;
    return CompleteStateChange(ds::State_Paused);
  }
  const HRESULT hr = D_CBaseFilter::Pause();
  if (hr < 0) return hr;
  SetRepaintStatus(true);
  StopStreaming();
  SourceThreadCanWait(true);
  CancelNotification();
  ResetEndOfStreamTimer();
  if (pin->Allocator() != nullptr) pin->Allocator()->Commit();
  if (old == ds::State_Stopped) {
    m_bAbort = false;
    ClearPendingSample();
  }
  return CompleteStateChange(old);
}

HRESULT D_CBaseRenderer::Run(D_REFERENCE_TIME start) {
  D_CAutoLock hold(&m_InterfaceLock);
  const D_FILTER_STATE old = m_State;
  if (old == ds::State_Running) return S_OK;
  D_CRendererInputPin* pin = InputPin();
  if (!pin->IsConnected()) {
    NotifyEvent(ds::EC_COMPLETE, S_OK, reinterpret_cast<ds::LONG_PTR>(static_cast<D_IBaseFilter*>(this)));
    m_State = ds::State_Running;
    return S_OK;
  }
  Ready();
  const HRESULT hr = D_CBaseFilter::Run(start);
  if (hr < 0) return hr;
  SourceThreadCanWait(true);
  {
    D_CAutoLock renderer(&m_RendererLock);
    m_bAbort = false;
  }
  if (pin->Allocator() != nullptr) pin->Allocator()->Commit();
  if (old == ds::State_Stopped) {
    m_bAbort = false;
    ClearPendingSample();
  }
  return StartStreaming();
}

HRESULT D_CBaseRenderer::GetState(DWORD milliseconds, D_FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  const DWORD result = D_WaitDispatchingMessages(m_evComplete, milliseconds);
  *state = m_State;
  return result == pw::WAIT_TIMEOUT ? ds::VFW_S_STATE_INTERMEDIATE : S_OK;
}

void D_CBaseRenderer::WaitForReceiveToComplete() {
  while (m_bInReceive) {
    // Messages sent to this thread by others are handled inside the peek.
    pw::MSG msg;
    pw::PeekMessageW(&msg, nullptr, 0, 0, pw::PM_NOREMOVE);
    pw::Sleep(1);
  }
  // The peek may have swallowed the wake-up of a posted message: wake the thread's wait.
  if ((pw::GetQueueStatus(pw::QS_POSTMESSAGE) >> 16) & pw::QS_POSTMESSAGE)
    pw::PostThreadMessageW(pw::GetCurrentThreadId(), 0, 0, 0);
}

DWORD D_WaitDispatchingMessages(pw::HANDLE object, DWORD wait, pw::HWND window, pw::UINT message,
                                pw::HANDLE event) {
  static const pw::UINT unblock = pw::RegisterWindowMessageA("AMUnblock");
  pw::HANDLE handles[2] = {object, event};
  const DWORD count = event != nullptr ? 2 : 1;
  DWORD result = pw::WaitForMultipleObjects(count, handles, pw::FALSE, 0);
  if (result != pw::WAIT_TIMEOUT || wait == 0) return result;
  const pw::UINT wake = window != nullptr ? pw::QS_SENDMESSAGE | pw::QS_POSTMESSAGE | pw::QS_TIMER : pw::QS_SENDMESSAGE;
  const pw::HANDLE self = pw::GetCurrentThread();
  const int priority = pw::GetThreadPriority(self);
  bool raised = false;
  bool peeked = false;
  DWORD remaining = wait;
  DWORD start = pw::timeGetTime();
  for (;;) {
    result = pw::MsgWaitForMultipleObjects(count, handles, pw::FALSE, std::min<DWORD>(remaining, 10), wake);
    if (!raised) {
      // A thread stuck behind this wait must not be starved by the streaming threads.
      if (priority < pw::THREAD_PRIORITY_HIGHEST) pw::SetThreadPriority(self, pw::THREAD_PRIORITY_HIGHEST);
      raised = true;
    }
    if (result == pw::WAIT_OBJECT_0 + count) {
      pw::MSG msg;
      if (window != nullptr) {
        while (pw::PeekMessageW(&msg, window, message, message, pw::PM_REMOVE)) pw::DispatchMessageW(&msg);
      }
      pw::PeekMessageW(&msg, nullptr, 0, 0, pw::PM_NOREMOVE);
      peeked = true;
    } else if (result != pw::WAIT_TIMEOUT) {
      break;
    }
    if (wait != pw::INFINITE) {
      const DWORD now = pw::timeGetTime();
      const DWORD elapsed = now - start;
      start = now;
      remaining = elapsed >= remaining ? 0 : remaining - elapsed;
      if (remaining == 0) {
        result = pw::WAIT_TIMEOUT;
        break;
      }
    }
  }
  if (raised && priority < pw::THREAD_PRIORITY_HIGHEST) pw::SetThreadPriority(self, priority);
  if (peeked && ((pw::GetQueueStatus(pw::QS_POSTMESSAGE) >> 16) & pw::QS_POSTMESSAGE)) {
    // Our peeks took the wake-up of the posted messages: drop old unblock messages and
    // post one so that the thread's own message loop looks at its queue again.
    pw::MSG msg;
    while (pw::PeekMessageW(&msg, nullptr, unblock, unblock, pw::PM_REMOVE)) {
    }
    pw::PostThreadMessageW(pw::GetCurrentThreadId(), unblock, 0, 0);
  }
  return result;
}

}  // namespace ZaDod
