// The video renderer base of the DirectShow class library: frame-drop decisions, quality
// messages sent upstream and the playback statistics of IQualProp.
#pragma once
#include "media/dshow/renderer.h"

namespace ZaDod {

class D_CBaseVideoRenderer : public D_CBaseRenderer, public D_IQualProp, public D_IQualityControl {
 public:
  D_CBaseVideoRenderer(const CLSID& clsid, const char16_t* name, D_IUnknown* outer, HRESULT* result);
  ~D_CBaseVideoRenderer() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;
  HRESULT JoinFilterGraph(D_IFilterGraph* graph, const WCHAR* name) override;

  // IQualityControl: what upstream asks of us (a throttle), and where our messages go.
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override;
  HRESULT SetSink(D_IQualityControl* sink) override;

  // IQualProp
  HRESULT get_FramesDroppedInRenderer(int* frames) override;
  HRESULT get_FramesDrawn(int* frames) override;
  HRESULT get_AvgFrameRate(int* rate) override;
  HRESULT get_Jitter(int* jitter) override;
  HRESULT get_AvgSyncOffset(int* offset) override;
  HRESULT get_DevSyncOffset(int* deviation) override;

  void OnRenderStart(D_IMediaSample* sample) override;
  void OnRenderEnd(D_IMediaSample* sample) override;
  HRESULT OnStartStreaming() override;
  HRESULT OnStopStreaming() override;
  bool ScheduleSample(D_IMediaSample* sample) override;
  HRESULT ShouldDrawSampleNow(D_IMediaSample* sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* end) override;

  virtual void RecordFrameLateness(int late, int frame);
  virtual void OnDirectRender(D_IMediaSample* sample);
  virtual HRESULT ResetStreamingTimes();
  virtual HRESULT SendQuality(D_REFERENCE_TIME late, D_REFERENCE_TIME realStream);

 protected:
  // Written on the streaming thread under both renderer locks; IQualProp reads them
  // under the same locks.
  int m_cFramesDropped = 0;
  int m_cFramesDrawn = 0;
  DWORD m_tStreamingStart = 0;  // ms of the system timer; the streamed time once stopped
  int m_trRenderAvg = 0;        // 100-ns units from here on
  int m_trRenderLast = 0;
  DWORD m_tRenderStart = 0;     // ms
  std::atomic<int> m_trThrottle{0};
  int m_trDuration = 0;         // the frame duration being tracked
  int m_trFrameAvg = 0;         // the average time between drawn frames
  int m_trWaitAvg = 0;          // the average time a frame waits for its time
  int m_trEarliness = 0;        // how early frames go out (0 or negative)
  D_REFERENCE_TIME m_trLastDraw = 0;
  D_REFERENCE_TIME m_trStampForStats = 0;
  int m_nNormal = 0;            // frames drawn on time since the last catch-up; -1 after a drop
  bool m_bSupplierHandlingQuality = false;
  int m_trLate = 0;             // lateness and interval of the frame about to be drawn
  int m_trFrame = 0;
  // Statistics in milliseconds.
  long long m_iTotAcc = 0, m_iSumSqAcc = 0;
  long long m_iSumFrameTime = 0, m_iSumSqFrameTime = 0;
  D_IQualityControl* m_pVideoQSink = nullptr;  // no reference, as the platform does
};

}  // namespace ZaDod
