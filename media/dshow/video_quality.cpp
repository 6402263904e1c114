// The video renderer's quality side: messages upstream, the throttle asked of it, the
// frame statistics and IQualProp, and the video types and helpers the renderers share.
#include <climits>

#include "media/dshow/video_renderer.h"
#include "platform/win/win_clock.h"

namespace ZaDod {

namespace ds = plat::dshow;
namespace pw = plat::win;
using ds::LONGLONG;
using pw::E_POINTER;
using pw::S_OK;

const GUID D_FORMAT_VideoInfo = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const GUID D_MEDIATYPE_Video = {0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID D_MEDIASUBTYPE_RGB24 = {0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const GUID D_MEDIASUBTYPE_RGB32 = {0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
const IID D_IID_IQualProp = {0x1BD0ECB0, 0xF8E2, 0x11CE, {0xAA, 0xC6, 0x00, 0x20, 0xAF, 0x0B, 0x99, 0xA3}};

GUID D_FourCCSubtype(DWORD fourCC) {
  return {fourCC, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

int D_isqrt(int x) {
  if (x <= 0) return 0;
  unsigned value = static_cast<unsigned>(x), root = 0;
  for (unsigned bit = 0x40000000u; bit != 0; bit >>= 2) {
    if (value >= root + bit) {
      value -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
  }
  return static_cast<int>(root);
}

LONGLONG D_llMulDiv(LONGLONG a, LONGLONG b, LONGLONG c, LONGLONG rounding) {
  if (c == 0) return LLONG_MAX;
  const __int128 value = (static_cast<__int128>(a) * b + rounding) / c;
  if (value > LLONG_MAX) return LLONG_MAX;
  if (value < LLONG_MIN) return LLONG_MIN;
  return static_cast<LONGLONG>(value);
}

HRESULT D_CBaseVideoRenderer::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == D_IID_IQualProp) return GetInterface(static_cast<D_IQualProp*>(this), out);
  if (iid == ds::IID_IQualityControl) return GetInterface(static_cast<D_IQualityControl*>(this), out);
  return D_CBaseRenderer::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CBaseVideoRenderer::JoinFilterGraph(D_IFilterGraph* graph, const WCHAR* name) {
  // Leaving a graph: whoever watches it hears that our output is gone.
  if (graph == nullptr && m_pGraph != nullptr && m_pSink != nullptr)
    m_pSink->Notify(D_EC_WINDOW_DESTROYED, reinterpret_cast<ds::LONG_PTR>(static_cast<D_IBaseFilter*>(this)), 0);
  return D_CBaseFilter::JoinFilterGraph(graph, name);
}

HRESULT D_CBaseVideoRenderer::Notify(D_IBaseFilter*, D_Quality quality) {
  m_trThrottle = quality.Proportion < 1000 ? 388880000 / (quality.Proportion + 167) - 330000 : 0;
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::SetSink(D_IQualityControl* sink) {
  m_pVideoQSink = sink;
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::SendQuality(D_REFERENCE_TIME late, D_REFERENCE_TIME realStream) {
  D_Quality q{};
  q.Type = ds::Famine;
  q.Proportion = 1000;
  q.Late = late;
  q.TimeStamp = realStream;
  if (late > 0) {
    const LONGLONG cut = late / 10000;
    q.Proportion = static_cast<LONG>(cut >= 500 ? 500 : 1000 - cut);
  }
  if (m_trDuration > 0 && late > 2LL * m_trDuration) q.Type = ds::Flood;
  if (m_pVideoQSink != nullptr) return m_pVideoQSink->Notify(this, q);
  return InputPin()->PassNotify(q);
}

void D_CBaseVideoRenderer::RecordFrameLateness(int late, int frame) {
  // Milliseconds; the first two frames count as on time (streaming just began).
  int lateMs = late / 10000;
  if (lateMs > 1000) lateMs = 1000;
  if (lateMs < -1000) lateMs = -1000;
  if (m_cFramesDrawn >= 2) {
    m_iTotAcc += lateMs;
    m_iSumSqAcc += static_cast<long long>(lateMs) * lateMs;
  }
  int frameMs = frame / 10000;
  if (frameMs > 1000 || frameMs < 0) frameMs = 1000;
  if (m_cFramesDrawn >= 3) {
    m_iSumFrameTime += frameMs;
    m_iSumSqFrameTime += static_cast<long long>(frameMs) * frameMs;
  }
  ++m_cFramesDrawn;
}

namespace {

// Standard deviation of n values from their sum and sum of squares, 0 below two values.
int deviation(long long sum, long long sumSq, long long n) {
  if (n < 2) return 0;
  const long long spread = (sumSq - sum * sum / n) / (n - 1);
  return D_isqrt(static_cast<int>(spread > INT_MAX ? INT_MAX : spread));
}

}  // namespace

HRESULT D_CBaseVideoRenderer::get_FramesDroppedInRenderer(int* frames) {
  if (frames == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  *frames = m_cFramesDropped;
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::get_FramesDrawn(int* frames) {
  if (frames == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  *frames = m_cFramesDrawn;
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::get_AvgFrameRate(int* rate) {
  if (rate == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  const int streamed = static_cast<int>(m_bStreaming ? pw::timeGetTime() - m_tStreamingStart : m_tStreamingStart);
  *rate = streamed <= 0 ? 0 : static_cast<int>(D_llMulDiv(m_cFramesDrawn, 100000, streamed, 0));
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::get_Jitter(int* jitter) {
  if (jitter == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  *jitter = deviation(m_iSumFrameTime, m_iSumSqFrameTime, m_cFramesDrawn - 3);
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::get_AvgSyncOffset(int* offset) {
  if (offset == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  const int counted = m_cFramesDrawn - 2;
  *offset = counted <= 0 ? 0 : static_cast<int>(m_iTotAcc / counted);
  return S_OK;
}

HRESULT D_CBaseVideoRenderer::get_DevSyncOffset(int* deviationOut) {
  if (deviationOut == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_InterfaceLock);
  *deviationOut = deviation(m_iTotAcc, m_iSumSqAcc, m_cFramesDrawn - 2);
  return S_OK;
}

}  // namespace ZaDod
