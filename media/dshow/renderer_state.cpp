// The renderer base's streaming side: taking a sample, scheduling it on the clock,
// waiting for its time, rendering it, end of stream (through a multimedia timer when it
// lies ahead), flushing and the streaming switch.
#include "media/dshow/renderer.h"

#include "media/system/winapi.h"
#include "platform/win/mm_timer.h"
#include "platform/win/sysinfo.h"

namespace ZaDod {

namespace ds = plat::dshow;
namespace pw = plat::win;
using pw::E_FAIL;
using pw::E_UNEXPECTED;
using pw::S_FALSE;
using pw::S_OK;

namespace {

constexpr LONG kDeliveryWaitMs = 50;   // end of stream closer than this goes out at once
constexpr pw::UINT kTimerResolutionMs = 10;

// Synchronous killing of timers is asked for on systems that have it (5.1 and later).
pw::UINT timerFlags() {
  static const pw::UINT flags = [] {
    pw::OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!pw::GetVersionExA(&version)) return pw::TIME_ONESHOT;
    const bool synchronous =
        version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion != 0);
    return synchronous ? pw::TIME_ONESHOT | pw::TIME_KILL_SYNCHRONOUS : pw::TIME_ONESHOT;
  }();
  return flags;
}

}  // namespace

HRESULT D_CBaseRenderer::PrepareReceive(D_IMediaSample* sample) {
  D_CAutoLock iface(&m_InterfaceLock);
  m_bInReceive = true;
  D_CRendererInputPin* pin = InputPin();
  HRESULT hr = pin->ReceiveChecks(sample);
  if (hr != S_OK) {
    m_bInReceive = false;
    return E_FAIL;
  }
  const D_AM_SAMPLE2_PROPERTIES* props = pin->SampleProps();
  // A sample that ends before it starts cannot be scheduled: a fault upstream, reported.
  if ((props->dwSampleFlags & ds::AM_SAMPLE_STOPVALID) != 0 && props->tStop < props->tStart) {
    m_bInReceive = false;
    return D_VFW_E_START_TIME_AFTER_END;
  }
  if ((props->dwSampleFlags & ds::AM_SAMPLE_TYPECHANGED) != 0 && props->pMediaType != nullptr) {
    hr = pin->SetMediaType(props->pMediaType);
    if (hr < 0) {
      m_bInReceive = false;
      return hr;
    }
  }
  D_CAutoLock renderer(&m_RendererLock);
  if (m_pMediaSample != nullptr || m_bAbort || m_bEOS) {
    Ready();
    m_bInReceive = false;
    return E_UNEXPECTED;
  }
  if (m_pPosition != nullptr) m_pPosition->RegisterMediaTime(sample);
  if (m_bStreaming && !ScheduleSample(sample)) {
    m_bInReceive = false;
    return D_VFW_E_SAMPLE_REJECTED;
  }
  m_SignalTime = props->tStop;
  m_pMediaSample = sample;
  sample->AddRef();
  if (!m_bStreaming) {
    OnReceiveFirstSample(sample);
    Ready();
  }
  return S_OK;
}

HRESULT D_CBaseRenderer::Receive(D_IMediaSample* sample) {
  HRESULT hr = PrepareReceive(sample);
  if (hr < 0) return hr == D_VFW_E_SAMPLE_REJECTED ? S_OK : hr;
  if (m_State == ds::State_Paused) {
    PrepareRender();
    m_bInReceive = false;
    {
      D_CAutoLock iface(&m_InterfaceLock);
      if (m_State == ds::State_Stopped) return S_OK;
      m_bInReceive = true;
      D_CAutoLock renderer(&m_RendererLock);
      OnReceiveFirstSample(sample);
    }
    Ready();
  }
  hr = WaitForRenderTime();
  if (hr < 0) {
    m_bInReceive = false;
    return S_OK;
  }
  PrepareRender();
  // Cleared before the lock: Stop waits for it while holding the interface lock.
  m_bInReceive = false;
  D_CAutoLock iface(&m_InterfaceLock);
  if (m_State == ds::State_Stopped) return S_OK;
  D_CAutoLock renderer(&m_RendererLock);
  Render(m_pMediaSample);
  ClearPendingSample();
  SendEndOfStream();
  CancelNotification();
  return S_OK;
}

bool D_CBaseRenderer::ScheduleSample(D_IMediaSample* sample) {
  if (sample == nullptr) return false;
  D_REFERENCE_TIME start = 0, end = 0;
  HRESULT hr = GetSampleTimes(sample, &start, &end);
  if (hr < 0) return false;
  if (hr == S_OK) {
    // Due now, or no clock to wait on: render without waiting.
    pw::SetEvent(m_RenderEvent);
    return true;
  }
  hr = m_pClock->AdviseTime(m_tStart, start, m_RenderEvent, &m_dwAdvise);
  return hr >= 0;
}

HRESULT D_CBaseRenderer::GetSampleTimes(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* end) {
  if (sample->GetTime(start, end) >= 0) {
    if (*end < *start) return D_VFW_E_START_TIME_AFTER_END;
  } else {
    return S_OK;  // no times: shown when it comes
  }
  if (m_pClock == nullptr) return S_OK;
  return ShouldDrawSampleNow(sample, start, end);
}

HRESULT D_CBaseRenderer::ShouldDrawSampleNow(D_IMediaSample*, D_REFERENCE_TIME*, D_REFERENCE_TIME*) {
  return S_FALSE;
}

HRESULT D_CBaseRenderer::WaitForRenderTime() {
  const pw::HANDLE handles[2] = {m_ThreadSignal, m_RenderEvent};
  OnWaitStart();
  DWORD result = pw::WAIT_TIMEOUT;
  while (result == pw::WAIT_TIMEOUT) result = pw::WaitForMultipleObjects(2, handles, pw::FALSE, 10000);
  OnWaitEnd();
  if (result == pw::WAIT_OBJECT_0) return D_VFW_E_STATE_CHANGED;
  D_CAutoLock renderer(&m_RendererLock);
  m_dwAdvise = 0;
  return S_OK;
}

HRESULT D_CBaseRenderer::Render(D_IMediaSample* sample) {
  if (sample == nullptr || !m_bStreaming) return S_FALSE;
  OnRenderStart(sample);
  DoRenderSample(sample);
  OnRenderEnd(sample);
  return S_OK;
}

bool D_CBaseRenderer::HaveCurrentSample() {
  D_CAutoLock renderer(&m_RendererLock);
  return m_pMediaSample != nullptr;
}

D_IMediaSample* D_CBaseRenderer::GetCurrentSample() {
  D_CAutoLock renderer(&m_RendererLock);
  if (m_pMediaSample != nullptr) m_pMediaSample->AddRef();
  return m_pMediaSample;
}

HRESULT D_CBaseRenderer::ClearPendingSample() {
  D_CAutoLock renderer(&m_RendererLock);
  if (m_pMediaSample != nullptr) {
    m_pMediaSample->Release();
    m_pMediaSample = nullptr;
  }
  return S_OK;
}

HRESULT D_CBaseRenderer::CancelNotification() {
  D_CAutoLock renderer(&m_RendererLock);
  const plat::dshow::DWORD_PTR advise = m_dwAdvise;
  if (advise != 0 && m_pClock != nullptr) {
    m_pClock->Unadvise(advise);
    m_dwAdvise = 0;
  }
  pw::ResetEvent(m_RenderEvent);
  return advise != 0 ? S_OK : S_FALSE;
}

HRESULT D_CBaseRenderer::EndOfStream() {
  if (m_State == ds::State_Stopped) return S_OK;
  m_bEOS = true;
  if (m_pMediaSample != nullptr) return S_OK;  // sent after that sample is rendered
  Ready();
  if (m_bStreaming) SendEndOfStream();
  return S_OK;
}

HRESULT D_CBaseRenderer::SendEndOfStream() {
  if (!m_bEOS || m_bEOSDelivered || m_EndOfStreamTimer != 0) return S_OK;
  if (m_pClock == nullptr) return NotifyEndOfStream();
  D_REFERENCE_TIME now = 0;
  m_pClock->GetTime(&now);
  const long long delay = (m_tStart + m_SignalTime - now) / 10000;
  if (delay < kDeliveryWaitMs) return NotifyEndOfStream();
  using SetEvent = decltype(&pw::timeSetEvent);
  auto* setEvent = reinterpret_cast<SetEvent>(WinAPI.timeSetEventFunc);
  if (setEvent == nullptr) return NotifyEndOfStream();
  const pw::UINT ms = delay > 1000000 ? 1000000u : static_cast<pw::UINT>(delay);
  const unsigned timer =
      setEvent(ms, kTimerResolutionMs, &CALLBACK_EndOfStreamTimer, reinterpret_cast<pw::DWORD_PTR>(this), timerFlags());
  if (timer == 0) return NotifyEndOfStream();
  m_EndOfStreamTimer = timer;
  return S_OK;
}

HRESULT D_CBaseRenderer::NotifyEndOfStream() {
  D_CAutoLock renderer(&m_RendererLock);
  if (!m_bStreaming) return S_OK;
  m_EndOfStreamTimer = 0;
  if (m_pPosition != nullptr) m_pPosition->EOS();
  m_bEOSDelivered = true;
  return NotifyEvent(ds::EC_COMPLETE, S_OK, reinterpret_cast<ds::LONG_PTR>(static_cast<D_IBaseFilter*>(this)));
}

void D_CBaseRenderer::CALLBACK_EndOfStreamTimer(unsigned, unsigned, std::uintptr_t user, std::uintptr_t,
                                                std::uintptr_t) {
  reinterpret_cast<D_CBaseRenderer*>(user)->TimerCallback();
}

void D_CBaseRenderer::TimerCallback() {
  D_CAutoLock renderer(&m_RendererLock);
  if (m_EndOfStreamTimer.exchange(0) != 0) SendEndOfStream();
}

void D_CBaseRenderer::ResetEndOfStreamTimer() {
  // Never called under the renderer lock: the kill waits for a running callback, which
  // takes it.
  using KillEvent = decltype(&pw::timeKillEvent);
  auto* killEvent = reinterpret_cast<KillEvent>(WinAPI.timeKillEventFunc);
  const unsigned timer = m_EndOfStreamTimer.exchange(0);
  if (timer != 0 && killEvent != nullptr) killEvent(timer);
  // A callback that had already begun may have armed a new timer: once it has left the
  // lock, that one is seen here and killed too.
  { D_CAutoLock renderer(&m_RendererLock); }
  const unsigned rearmed = m_EndOfStreamTimer.exchange(0);
  if (rearmed != 0 && killEvent != nullptr) killEvent(rearmed);
}

HRESULT D_CBaseRenderer::ResetEndOfStream() {
  ResetEndOfStreamTimer();
  D_CAutoLock renderer(&m_RendererLock);
  m_bEOS = false;
  m_bEOSDelivered = false;
  m_SignalTime = 0;
  return S_OK;
}

HRESULT D_CBaseRenderer::BeginFlush() {
  if (m_State == ds::State_Paused) Ready();
  SourceThreadCanWait(false);
  CancelNotification();
  ClearPendingSample();
  return S_OK;
}

HRESULT D_CBaseRenderer::EndFlush() {
  if (m_pPosition != nullptr) m_pPosition->ResetMediaTime();
  // Waits may block again; a paused renderer waits for a new first sample.
  SourceThreadCanWait(true);
  if (m_State == ds::State_Paused) NotReady();
  return S_OK;
}

HRESULT D_CBaseRenderer::StartStreaming() {
  D_CAutoLock renderer(&m_RendererLock);
  if (m_bStreaming) return S_OK;
  m_bStreaming = true;
  if (WinAPI.timeBeginPeriodFunc != nullptr) WinAPI.timeBeginPeriodFunc(1);
  OnStartStreaming();
  if (m_pMediaSample != nullptr) {
    // A sample the clock cannot schedule is shown at once.
    if (!ScheduleSample(m_pMediaSample)) pw::SetEvent(m_RenderEvent);
  } else {
    SendEndOfStream();
  }
  return S_OK;
}

HRESULT D_CBaseRenderer::StopStreaming() {
  D_CAutoLock renderer(&m_RendererLock);
  if (!m_bStreaming) return S_OK;
  m_bStreaming = false;
  OnStopStreaming();
  if (WinAPI.timeEndPeriodFunc != nullptr) WinAPI.timeEndPeriodFunc(1);
  return S_OK;
}

HRESULT D_CBaseRenderer::Inactive() {
  if (m_pPosition != nullptr) m_pPosition->ResetMediaTime();
  return InputPin()->D_CBaseInputPin::Inactive();
}

HRESULT D_CBaseRenderer::BreakConnect() {
  if (m_pQSink != nullptr) {
    m_pQSink->Release();
    m_pQSink = nullptr;
  }
  D_CRendererInputPin* pin = InputPin();
  if (!pin->IsConnected()) return S_FALSE;
  if (!IsStopped() && !pin->CanReconnectWhenActive()) return ds::VFW_E_NOT_STOPPED;
  D_CAutoLock renderer(&m_RendererLock);
  m_bEOS = false;
  ClearPendingSample();
  return S_OK;
}

HRESULT D_CBaseRenderer::CompleteConnect(D_IPin*) {
  SetRepaintStatus(false);
  return S_OK;
}

}  // namespace ZaDod
