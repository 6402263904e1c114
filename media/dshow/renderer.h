// The renderer base of the DirectShow class library: a filter with one input pin that
// holds at most one sample, waits on the reference clock for the sample's time, renders
// it through the derived class and reports the end of the stream to the graph.
#pragma once
#include <atomic>

#include "media/dshow/filter.h"
#include "media/dshow/input_pin.h"
#include "media/dshow/pos_pass_thru.h"
#include "media/dshow/video_types.h"

namespace ZaDod {

class D_CBaseRenderer;

// The base pin check already refuses a peer of its own direction.
class D_CRendererInputPin : public D_CBaseInputPin {
 public:
  D_CRendererInputPin(D_CBaseRenderer* renderer, HRESULT* result, const WCHAR* name);

  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT Receive(D_IMediaSample* sample) override;

  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(D_IPin* receivePin) override;
  HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT Active() override;
  HRESULT Inactive() override;

  D_IMemAllocator* Allocator() const { return m_pAllocator; }
  // The base pin's reception: streaming checks, the sample's properties, a type change.
  HRESULT ReceiveChecks(D_IMediaSample* sample) { return D_CBaseInputPin::Receive(sample); }
  bool RunTimeErrorReported() const { return m_bRunTimeError; }
  bool CanReconnectWhenActive() const { return m_bCanReconnectWhenActive; }

 private:
  D_CBaseRenderer* m_pRenderer;
};

class D_CBaseRenderer : public D_CBaseFilter {
 public:
  D_CBaseRenderer(const CLSID& clsid, const char16_t* name, D_IUnknown* outer, HRESULT* result);
  ~D_CBaseRenderer() override;

  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  // IMediaFilter / IBaseFilter
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(D_REFERENCE_TIME start) override;
  HRESULT GetState(DWORD milliseconds, D_FILTER_STATE* state) override;
  HRESULT FindPin(const WCHAR* id, D_IPin** pin) override;
  int GetPinCount() override;
  D_CBasePin* GetPin(int index) override;

  // Overridable steps, in the order a derived renderer meets them.
  virtual HRESULT GetMediaPositionInterface(const IID& iid, void** out);
  virtual HRESULT SourceThreadCanWait(bool canWait);
  virtual HRESULT WaitForRenderTime();
  virtual HRESULT CompleteStateChange(D_FILTER_STATE oldState);
  virtual void OnReceiveFirstSample(D_IMediaSample*) {}
  virtual void OnRenderStart(D_IMediaSample*) {}
  virtual void OnRenderEnd(D_IMediaSample*) {}
  virtual HRESULT OnStartStreaming() { return plat::win::S_OK; }
  virtual HRESULT OnStopStreaming() { return plat::win::S_OK; }
  virtual void OnWaitStart() {}
  virtual void OnWaitEnd() {}
  virtual void PrepareRender() {}
  virtual bool ScheduleSample(D_IMediaSample* sample);
  virtual HRESULT GetSampleTimes(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* end);
  // S_OK: draw at once; S_FALSE: wait for the sample's time; a failure: drop it.
  virtual HRESULT ShouldDrawSampleNow(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* end);
  virtual HRESULT SendEndOfStream();
  virtual HRESULT ResetEndOfStream();
  virtual HRESULT EndOfStream();
  virtual HRESULT CancelNotification();
  virtual HRESULT ClearPendingSample();
  virtual HRESULT Active() { return plat::win::S_OK; }
  virtual HRESULT Inactive();
  virtual HRESULT StartStreaming();
  virtual HRESULT StopStreaming();
  virtual HRESULT BeginFlush();
  virtual HRESULT EndFlush();
  virtual HRESULT BreakConnect();
  virtual HRESULT SetMediaType(const D_AM_MEDIA_TYPE*) { return plat::win::S_OK; }
  virtual HRESULT CompleteConnect(D_IPin* receivePin);
  virtual HRESULT PrepareReceive(D_IMediaSample* sample);
  virtual HRESULT Receive(D_IMediaSample* sample);
  virtual bool HaveCurrentSample();
  virtual D_IMediaSample* GetCurrentSample();
  virtual HRESULT Render(D_IMediaSample* sample);
  virtual HRESULT DoRenderSample(D_IMediaSample* sample) = 0;
  virtual HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) = 0;

  bool IsEndOfStream() const { return m_bEOS; }
  bool IsEndOfStreamDelivered() const { return m_bEOSDelivered; }
  bool IsStreaming() const { return m_bStreaming; }
  bool IsAbortSet() const { return m_bAbort; }
  void SetAbortSignal(bool abort) { m_bAbort = abort; }
  // Delivers EC_COMPLETE now, while streaming; under the renderer lock.
  HRESULT NotifyEndOfStream();
  D_CRendererInputPin* InputPin() { return static_cast<D_CRendererInputPin*>(GetPin(0)); }
  D_CCritSec* InterfaceLock() { return &m_InterfaceLock; }
  D_CCritSec* RendererLock() { return &m_RendererLock; }

 protected:
  // The state-complete event: set when a state change has finished.
  void Ready();
  void NotReady();
  bool CheckReady();
  // Waits, handling messages sent to this thread, until no Receive is in progress.
  void WaitForReceiveToComplete();
  void ResetEndOfStreamTimer();
  void SetRepaintStatus(bool repaint);
  static void CALLBACK_EndOfStreamTimer(unsigned timerId, unsigned message, std::uintptr_t user, std::uintptr_t,
                                        std::uintptr_t);
  void TimerCallback();

  plat::win::HANDLE m_RenderEvent;    // auto-reset: the clock says the sample is due
  plat::win::HANDLE m_ThreadSignal;   // manual-reset: set while the streaming thread may not wait
  plat::win::HANDLE m_evComplete;     // manual-reset: the state change has completed
  std::atomic<bool> m_bAbort{false};
  std::atomic<bool> m_bStreaming{false};
  plat::dshow::DWORD_PTR m_dwAdvise = 0;
  D_IMediaSample* m_pMediaSample = nullptr;
  std::atomic<bool> m_bEOS{false};
  std::atomic<bool> m_bEOSDelivered{false};
  D_CRendererInputPin* m_pInputPin = nullptr;
  D_CCritSec m_InterfaceLock;  // always taken before the renderer lock
  D_CCritSec m_RendererLock;
  D_IQualityControl* m_pQSink = nullptr;
  bool m_bRepaintStatus = true;
  std::atomic<bool> m_bInReceive{false};
  D_REFERENCE_TIME m_SignalTime = 0;
  std::atomic<unsigned> m_EndOfStreamTimer{0};
  D_CCritSec m_ObjectCreationLock;
  D_CRendererPosPassThru* m_pPosition = nullptr;
};

// Waits for the object (and the event, when given) while handling the messages sent to
// this thread, and those posted to the window when one is given. WAIT_OBJECT_0 (+1 for
// the event) or WAIT_TIMEOUT.
DWORD D_WaitDispatchingMessages(plat::win::HANDLE object, DWORD wait, plat::win::HWND window = nullptr,
                                plat::win::UINT message = 0, plat::win::HANDLE event = nullptr);

}  // namespace ZaDod
