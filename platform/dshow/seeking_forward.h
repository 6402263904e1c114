// Seeking handed on: IMediaSeeking answered by another object's IMediaSeeking. By default
// that is the pin a given input pin is connected to (the null renderer and the seeking
// pass-through); the graph routes to its renderers instead.
#pragma once
#include <functional>

#include "platform/dshow/interfaces.h"

namespace plat::dshow {

class SeekingForwarder : public IMediaSeeking {
 public:
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

 protected:
  ~SeekingForwarder() = default;
  using SeekingCall = std::function<HRESULT(IMediaSeeking*)>;
  // Runs the call where it is answered; `change` tells calls that alter a setting from
  // queries. By default: on the upstream peer of seekingPin().
  virtual HRESULT route(bool change, const SeekingCall& call);
  // The input pin whose upstream peer answers; null while there is none.
  virtual IPin* seekingPin() { return nullptr; }

 private:
  // The peer's IMediaSeeking with a reference, or the reason there is none.
  HRESULT upstream(IMediaSeeking** seeking);
};

}  // namespace plat::dshow
