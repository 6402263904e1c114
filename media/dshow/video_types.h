// Video media types, the playback-statistics interface and the renderer's result codes,
// as the class library's renderers and the movie renderer use them.
#pragma once
#include "media/dshow/aliases.h"
#include "platform/win/gdi.h"
#include "platform/win/win_window.h"

namespace ZaDod {

constexpr HRESULT D_VFW_E_START_TIME_AFTER_END = static_cast<HRESULT>(0x80040228u);
constexpr HRESULT D_VFW_E_STATE_CHANGED = static_cast<HRESULT>(0x80040223u);
constexpr HRESULT D_VFW_E_SAMPLE_REJECTED = static_cast<HRESULT>(0x8004022Bu);
constexpr LONG D_EC_WINDOW_DESTROYED = 0x15;

extern const GUID D_FORMAT_VideoInfo;
extern const GUID D_MEDIATYPE_Video;
extern const GUID D_MEDIASUBTYPE_RGB24;
extern const GUID D_MEDIASUBTYPE_RGB32;
extern const IID D_IID_IQualProp;

// The standard subtype of a four-character code.
GUID D_FourCCSubtype(DWORD fourCC);

struct D_VIDEOINFOHEADER {
  plat::win::RECT rcSource;
  plat::win::RECT rcTarget;
  DWORD dwBitRate;
  DWORD dwBitErrorRate;
  D_REFERENCE_TIME AvgTimePerFrame;
  plat::win::BITMAPINFOHEADER bmiHeader;
};

// Playback statistics of a video renderer.
struct D_IQualProp : D_IUnknown {
  virtual HRESULT get_FramesDroppedInRenderer(int* frames) = 0;
  virtual HRESULT get_FramesDrawn(int* frames) = 0;
  virtual HRESULT get_AvgFrameRate(int* rate) = 0;  // frames per second x 100
  virtual HRESULT get_Jitter(int* jitter) = 0;
  virtual HRESULT get_AvgSyncOffset(int* offset) = 0;
  virtual HRESULT get_DevSyncOffset(int* deviation) = 0;

 protected:
  ~D_IQualProp() = default;
};

// Floor square root of a 32-bit value by bit pairs; 0 for 0 or less.
int D_isqrt(int x);
// (a x b + rounding) / c in 64 bits, saturating at the largest value.
plat::dshow::LONGLONG D_llMulDiv(plat::dshow::LONGLONG a, plat::dshow::LONGLONG b, plat::dshow::LONGLONG c,
                                 plat::dshow::LONGLONG rounding);

}  // namespace ZaDod
