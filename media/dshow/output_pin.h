// The output-pin base of the DirectShow class library: the downstream memory-input
// pin, the allocator chosen with it, and the deliveries made through it.
#pragma once
#include "media/dshow/pin.h"

namespace ZaDod {

class D_CBaseOutputPin : public D_CBasePin {
 public:
  D_CBaseOutputPin(const char16_t* objectName, D_CBaseFilter* filter, D_CCritSec* lock, HRESULT* result,
                   const WCHAR* name);
  ~D_CBaseOutputPin() override;

  // A peer of this pin's own direction is refused; then the peer must offer
  // IMemInputPin, which the pin keeps for its deliveries.
  HRESULT CheckConnect(D_IPin* pin) override;
  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(D_IPin* receivePin) override;
  // Commit and decommit the allocator with the filter's state.
  HRESULT Active() override;
  HRESULT Inactive() override;
  // An output pin is never sent these.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

  // The downstream pin's allocator first, then a new memory allocator; each must pass
  // DecideBufferSize and the downstream NotifyAllocator.
  virtual HRESULT DecideAllocator(D_IMemInputPin* pin, D_IMemAllocator** allocator);
  virtual HRESULT InitAllocator(D_IMemAllocator** allocator);
  virtual HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) = 0;
  virtual HRESULT GetDeliveryBuffer(D_IMediaSample** sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop,
                                    DWORD flags);
  virtual HRESULT Deliver(D_IMediaSample* sample);
  virtual HRESULT DeliverEndOfStream();
  virtual HRESULT DeliverBeginFlush();
  virtual HRESULT DeliverEndFlush();
  virtual HRESULT DeliverNewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate);

  // Takes a reference on the new allocator before letting the old one go, so storing
  // the one already held changes nothing.
  void SetAllocator(D_IMemAllocator* allocator);
  D_IMemAllocator* Allocator() const { return m_pAllocator; }
  D_IMemInputPin* InputPin() const { return m_pInputPin; }

 protected:
  D_IMemAllocator* m_pAllocator = nullptr;
  D_IMemInputPin* m_pInputPin = nullptr;
};

}  // namespace ZaDod
