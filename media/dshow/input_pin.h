// The input-pin base of the DirectShow class library: allocator hand-shake, streaming
// checks, sample reception and quality messages sent upstream.
#pragma once
#include "media/dshow/pin.h"

namespace ZaDod {

class D_CBaseInputPin : public D_CBasePin, public D_IMemInputPin {
 public:
  D_CBaseInputPin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock, HRESULT* result,
                  const WCHAR* name);
  ~D_CBaseInputPin() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  // IMemInputPin
  HRESULT GetAllocator(D_IMemAllocator** allocator) override;
  HRESULT NotifyAllocator(D_IMemAllocator* allocator, BOOL readOnly) override;
  HRESULT GetAllocatorRequirements(D_ALLOCATOR_PROPERTIES* props) override;
  HRESULT Receive(D_IMediaSample* sample) override;
  HRESULT ReceiveMultiple(D_IMediaSample** samples, LONG count, LONG* processed) override;
  HRESULT ReceiveCanBlock() override;

  // IPin
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  // IQualityControl
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override;

  HRESULT BreakConnect() override;
  HRESULT Inactive() override;
  // S_OK while samples may be received; the reason otherwise.
  virtual HRESULT CheckStreaming();
  // Sends a quality message upstream: to the sink when one is set, else to the peer.
  HRESULT PassNotify(D_Quality quality);

  bool IsFlushing() const { return m_bFlushing; }
  bool IsReadOnly() const { return m_bReadOnly; }
  const D_AM_SAMPLE2_PROPERTIES* SampleProps() const { return &m_SampleProps; }
  // The pin remembers a streaming failure until it is stopped.
  void SetRunTimeError() { m_bRunTimeError = true; }

 protected:
  D_IMemAllocator* m_pAllocator = nullptr;
  bool m_bReadOnly = false;
  std::atomic<bool> m_bFlushing{false};
  D_AM_SAMPLE2_PROPERTIES m_SampleProps{};
};

}  // namespace ZaDod
