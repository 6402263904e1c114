// Position and seeking questions passed upstream: the automation base of the position
// interface, the pass-through that forwards every seeking and position call to the
// peer of an input pin, and the renderer's variant that also knows the media time of
// the sample being shown.
#pragma once
#include "media/dshow/base_object.h"

namespace ZaDod {

using plat::dshow::LONGLONG;
using plat::dshow::REFTIME;

class D_CMediaPosition : public D_IMediaPosition {
 public:
  D_CMediaPosition() = default;
  virtual ~D_CMediaPosition();

  HRESULT GetTypeInfoCount(plat::win::UINT* count) override;
  HRESULT GetTypeInfo(plat::win::UINT index, plat::win::LCID locale, plat::win::ITypeInfo** info) override;
  HRESULT GetIDsOfNames(const IID& iid, plat::win::LPOLESTR* names, plat::win::UINT count, plat::win::LCID locale,
                        plat::win::DISPID* ids) override;
  HRESULT Invoke(plat::win::DISPID id, const IID& iid, plat::win::LCID locale, plat::win::WORD flags,
                 plat::win::DISPPARAMS* params, plat::win::VARIANT* result, plat::win::EXCEPINFO* exception,
                 plat::win::UINT* argumentError) override;

 private:
  // Loads and caches the type information of the position interface.
  HRESULT loadTypeInfo(plat::win::LCID locale);

  plat::win::ITypeInfo* m_pTI = nullptr;
};

class D_CPosPassThru : public D_IMediaSeeking, public D_CMediaPosition, public D_CUnknown {
 public:
  // A null pin reports E_POINTER through `result`.
  D_CPosPassThru(const char16_t* name, D_IUnknown* outer, HRESULT* result, D_IPin* pin);

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  // IMediaSeeking
  HRESULT GetCapabilities(DWORD* capabilities) override;
  HRESULT CheckCapabilities(DWORD* capabilities) override;
  HRESULT IsFormatSupported(const GUID* format) override;
  HRESULT QueryPreferredFormat(GUID* format) override;
  HRESULT GetTimeFormat(GUID* format) override;
  HRESULT IsUsingTimeFormat(const GUID* format) override;
  HRESULT SetTimeFormat(const GUID* format) override;
  HRESULT GetDuration(LONGLONG* duration) override;
  HRESULT GetStopPosition(LONGLONG* stop) override;
  HRESULT GetCurrentPosition(LONGLONG* current) override;
  HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                            const GUID* sourceFormat) override;
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
  HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
  HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
  HRESULT SetRate(double rate) override;
  HRESULT GetRate(double* rate) override;
  HRESULT GetPreroll(LONGLONG* preroll) override;

  // IMediaPosition
  HRESULT get_Duration(REFTIME* length) override;
  HRESULT put_CurrentPosition(REFTIME time) override;
  HRESULT get_CurrentPosition(REFTIME* time) override;
  HRESULT get_StopTime(REFTIME* time) override;
  HRESULT put_StopTime(REFTIME time) override;
  HRESULT get_PrerollTime(REFTIME* time) override;
  HRESULT put_PrerollTime(REFTIME time) override;
  HRESULT put_Rate(double rate) override;
  HRESULT get_Rate(double* rate) override;
  HRESULT CanSeekForward(LONG* can) override;
  HRESULT CanSeekBackward(LONG* can) override;

  // The media time of the sample being shown; the renderer's variant knows it.
  virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* stop);

 protected:
  // The peer's interfaces with a reference; E_NOTIMPL (and null) when the pin is not
  // connected or its peer lacks the interface.
  HRESULT GetPeerSeeking(D_IMediaSeeking** seeking);
  HRESULT GetPeer(D_IMediaPosition** position);

 private:
  D_IPin* m_pPin;
};

class D_CRendererPosPassThru : public D_CPosPassThru {
 public:
  D_CRendererPosPassThru(const char16_t* name, D_IUnknown* outer, HRESULT* result, D_IPin* pin);

  // Stores the times of a sample accepted for rendering.
  HRESULT RegisterMediaTime(D_IMediaSample* sample);
  HRESULT RegisterMediaTime(LONGLONG start, LONGLONG stop);
  // Forgets the times: the renderer is inactive or flushed.
  HRESULT ResetMediaTime();
  // At the end of the stream the media time is the stop position.
  HRESULT EOS();

  HRESULT GetMediaTime(LONGLONG* start, LONGLONG* stop) override;

 private:
  D_CCritSec m_PositionLock;
  LONGLONG m_StartMedia = 0;
  LONGLONG m_EndMedia = 0;
  bool m_bReset = true;
};

}  // namespace ZaDod
