// The video renderer's scheduling: whether a frame is drawn at once, waits for its
// time or is dropped, and the render-time averages those decisions rest on.
#include "media/dshow/video_renderer.h"

#include <algorithm>

#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"

namespace ZaDod {

namespace ds = plat::dshow;
namespace pw = plat::win;
using pw::E_FAIL;
using pw::S_FALSE;
using pw::S_OK;

namespace {

constexpr int kUnits = 10000000;           // 100-ns units in a second
constexpr int kMonitorLag = 80000;         // a frame shows about 8 ms after it is drawn
constexpr int kMaxLateness = 500000000;    // lateness is clamped to +-50 s
constexpr int kAvgPeriod = 4;              // moving averages weigh the new value 1/4
constexpr int kBusyWaitAvg = 80000;        // waiting more than 8 ms on average: no drops

int clampedDiff(D_REFERENCE_TIME value) {
  return static_cast<int>(std::clamp<D_REFERENCE_TIME>(value, -kMaxLateness, kMaxLateness));
}

}  // namespace

D_CBaseVideoRenderer::D_CBaseVideoRenderer(const CLSID& clsid, const char16_t* name, D_IUnknown* outer,
                                           HRESULT* result)
    : D_CBaseRenderer(clsid, name, outer, result) {
  ResetStreamingTimes();
}

D_CBaseVideoRenderer::~D_CBaseVideoRenderer() = default;

bool D_CBaseVideoRenderer::ScheduleSample(D_IMediaSample* sample) {
  const bool scheduled = D_CBaseRenderer::ScheduleSample(sample);
  if (!scheduled) ++m_cFramesDropped;
  return scheduled;
}

HRESULT D_CBaseVideoRenderer::ShouldDrawSampleNow(D_IMediaSample* sample, D_REFERENCE_TIME* start,
                                                  D_REFERENCE_TIME* end) {
  // Allow for the wait for the screen's next refresh; stream times never go negative.
  if (*start >= kMonitorLag) {
    *start -= kMonitorLag;
    *end -= kMonitorLag;
  }
  m_trStampForStats = *start;
  D_REFERENCE_TIME realStream = 0;
  m_pClock->GetTime(&realStream);
  realStream -= m_tStart;
  const int late = clampedDiff(realStream - *start);

  m_bSupplierHandlingQuality = SendQuality(late, realStream) == S_OK;

  // A clear change of frame rate restarts the frame average at the new rate; the small
  // wobble of files that alternate between two durations does not.
  const int duration = clampedDiff(*end - *start);
  const int slack = m_trDuration / 32;
  if (duration > m_trDuration + slack || duration < m_trDuration - slack) {
    m_trFrameAvg = duration;
    m_trDuration = duration;
  }

  const bool justDropped = (m_bSupplierHandlingQuality && sample->IsDiscontinuity() == S_OK) || m_nNormal == -1;
  // The early-by estimate: gone once late, follows a frame that slipped, else shrinks by 1/8.
  if (late > 0) m_trEarliness = 0;
  else if (late >= m_trEarliness || justDropped) m_trEarliness = late;
  else m_trEarliness -= m_trEarliness / 8;

  // Only waits enter the wait average, never a negative one.
  const int waited = late < 0 ? -late : 0;
  const int waitAvg = (waited + m_trWaitAvg * (kAvgPeriod - 1)) / kAvgPeriod;
  const int sinceDraw = static_cast<int>(std::min<D_REFERENCE_TIME>(realStream - m_trLastDraw, kUnits));

  const bool drawingIsCheap = 3 * m_trRenderAvg <= m_trFrameAvg;
  const bool lateButTolerable = m_bSupplierHandlingQuality ? late <= duration * 4 : late + late < duration;
  const bool waitingAnyway = m_trWaitAvg > kBusyWaitAvg;
  const bool screenStale = realStream - m_trLastDraw > kUnits;
  if (!(drawingIsCheap || lateButTolerable || waitingAnyway || screenStale)) {
    // Dropped: the next frame goes out early to catch up.
    m_trWaitAvg = waitAvg;
    m_nNormal = -1;
    return E_FAIL;
  }

  // Catching up after a drop, or drawing below the stream's frame rate (unless that
  // would put us more than ten frames ahead): draw at once. Never more than 0.9 s early.
  bool atOnce = justDropped ||
                (m_trFrameAvg > duration + duration / 16 && late > -duration * 10);
  if (late < -9000000) atOnce = false;

  if (atOnce) {
    m_nNormal = 0;
    m_trWaitAvg = m_trWaitAvg * (kAvgPeriod - 1) / kAvgPeriod;
    m_trFrameAvg = (sinceDraw + m_trFrameAvg * (kAvgPeriod - 1)) / kAvgPeriod;
    m_trLate = late;
    m_trFrame = sinceDraw;
    m_trLastDraw = realStream;
    if (m_trEarliness > late) m_trEarliness = late;
    return S_OK;
  }

  ++m_nNormal;
  // On time: the frame average is the stream's own rate, so that coming back from
  // catch-up does not look like running slow.
  m_trFrameAvg = duration;
  *start += std::max(m_trEarliness, -m_trFrameAvg);
  const int delay = -late;
  const HRESULT result = delay <= 0 ? S_OK : S_FALSE;
  m_trWaitAvg = waitAvg;
  int frame = sinceDraw;
  if (result == S_FALSE) {
    frame = clampedDiff(*start - m_trLastDraw);
    m_trLastDraw = *start;
  } else {
    m_trLastDraw = realStream;
  }
  m_trLate = delay > 0 ? clampedDiff(*start - m_trStampForStats) : late;
  m_trFrame = frame;
  return result;
}

void D_CBaseVideoRenderer::OnRenderStart(D_IMediaSample*) {
  RecordFrameLateness(m_trLate, m_trFrame);
  m_tRenderStart = pw::timeGetTime();
}

void D_CBaseVideoRenderer::OnRenderEnd(D_IMediaSample*) {
  const int took = static_cast<int>(pw::timeGetTime() - m_tRenderStart) * 10000;
  // One slow frame (a page fault, a preempted thread) does not move the average.
  if (took < m_trRenderAvg * 2 || took < m_trRenderLast * 2)
    m_trRenderAvg = (took + (kAvgPeriod - 1) * m_trRenderAvg) / kAvgPeriod;
  m_trRenderLast = took;
}

HRESULT D_CBaseVideoRenderer::OnStartStreaming() { return ResetStreamingTimes(); }

HRESULT D_CBaseVideoRenderer::OnStopStreaming() {
  m_tStreamingStart = pw::timeGetTime() - m_tStreamingStart;
  return S_OK;
}

void D_CBaseVideoRenderer::OnDirectRender(D_IMediaSample*) {
  m_trRenderAvg = 0;
  m_trRenderLast = 5000000;
  RecordFrameLateness(m_trLate, m_trFrame);
  const int throttle = m_trThrottle;
  pw::Sleep(throttle > 0 ? static_cast<DWORD>(throttle / 10000) : 0);
}

HRESULT D_CBaseVideoRenderer::ResetStreamingTimes() {
  m_trLastDraw = -1000 * 10000;  // the first frame counts as long awaited
  m_tStreamingStart = pw::timeGetTime();
  m_trRenderAvg = 0;
  m_trFrameAvg = -1;
  m_trDuration = 0;
  m_trRenderLast = 0;
  m_trWaitAvg = 0;
  m_trEarliness = 0;
  m_trLate = 0;
  m_trFrame = 0;
  m_nNormal = -1000;
  m_bSupplierHandlingQuality = false;
  m_trThrottle = 0;
  m_cFramesDropped = 0;
  m_cFramesDrawn = 0;
  m_iTotAcc = m_iSumSqAcc = 0;
  m_iSumFrameTime = m_iSumSqFrameTime = 0;
  return S_OK;
}

}  // namespace ZaDod
