// The transform-filter base of the DirectShow class library: one input and one output
// pin, each input sample transformed into an output sample of its own.
#pragma once
#include "media/dshow/filter.h"
#include "media/dshow/input_pin.h"
#include "media/dshow/output_pin.h"

namespace ZaDod {

class D_CTransformFilter;

class D_CTransformInputPin : public D_CBaseInputPin {
 public:
  D_CTransformInputPin(const char16_t* objectName, D_CTransformFilter* filter, HRESULT* result, const WCHAR* name);

  HRESULT CheckStreaming() override;
  HRESULT Receive(D_IMediaSample* sample) override;
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate) override;
  HRESULT CheckConnect(D_IPin* pin) override;
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(D_IPin* receivePin) override;

  D_IMemAllocator* Allocator() const { return m_pAllocator; }

 protected:
  D_CTransformFilter* m_pTransformFilter;
};

class D_CTransformOutputPin : public D_CBaseOutputPin {
 public:
  D_CTransformOutputPin(const char16_t* objectName, D_CTransformFilter* filter, HRESULT* result, const WCHAR* name);
  ~D_CTransformOutputPin() override;

  // IMediaPosition and IMediaSeeking come from a seeking pass-through made on first
  // request; a failed making is tried again by the next request.
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  HRESULT CheckConnect(D_IPin* pin) override;
  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(D_IPin* receivePin) override;
  HRESULT SetMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override;
  HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) override;
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override;

 protected:
  D_CTransformFilter* m_pTransformFilter;
  D_IUnknown* m_pPosition = nullptr;  // the seeking pass-through's inner unknown
};

class D_CTransformFilter : public D_CBaseFilter {
 public:
  D_CTransformFilter(const char16_t* name, D_IUnknown* outer, const CLSID& clsid);
  ~D_CTransformFilter() override;

  // IBaseFilter / IMediaFilter
  HRESULT FindPin(const WCHAR* id, D_IPin** pin) override;
  HRESULT Pause() override;
  HRESULT Stop() override;

  int GetPinCount() override { return 2; }
  D_CBasePin* GetPin(int index) override;

  // What a derived filter supplies.
  virtual HRESULT Transform(D_IMediaSample* in, D_IMediaSample* out) = 0;
  virtual HRESULT CheckInputType(const D_AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT CheckTransform(const D_AM_MEDIA_TYPE* in, const D_AM_MEDIA_TYPE* out) = 0;
  virtual HRESULT DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) = 0;
  virtual HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) = 0;

  virtual HRESULT StartStreaming() { return plat::win::S_OK; }
  virtual HRESULT StopStreaming() { return plat::win::S_OK; }
  virtual HRESULT AlterQuality(D_Quality) { return plat::win::S_FALSE; }
  virtual HRESULT SetMediaType(D_PIN_DIRECTION, const D_AM_MEDIA_TYPE*) { return plat::win::S_OK; }
  virtual HRESULT CheckConnect(D_PIN_DIRECTION, D_IPin*) { return plat::win::S_OK; }
  virtual HRESULT BreakConnect(D_PIN_DIRECTION) { return plat::win::S_OK; }
  virtual HRESULT CompleteConnect(D_PIN_DIRECTION, D_IPin*) { return plat::win::S_OK; }
  virtual HRESULT Receive(D_IMediaSample* sample);
  virtual HRESULT EndOfStream();
  virtual HRESULT BeginFlush();
  virtual HRESULT EndFlush();
  virtual HRESULT NewSegment(D_REFERENCE_TIME start, D_REFERENCE_TIME stop, double rate);

  D_CTransformInputPin* InputPin() const { return m_pInput; }
  D_CTransformOutputPin* OutputPin() const { return m_pOutput; }
  D_CCritSec* FilterLock() { return &m_csFilter; }
  D_CCritSec* ReceiveLock() { return &m_csReceive; }
  bool SampleSkipped() const { return m_bSampleSkipped; }

 protected:
  // The pins GetPin makes when the derived class has not made them itself.
  virtual D_CTransformInputPin* NewInputPin(HRESULT* result);
  virtual D_CTransformOutputPin* NewOutputPin(HRESULT* result);

  // Takes an output sample for `in` from the output allocator, carrying the input's
  // times and flags; the sample comes back through `out` even when that fails.
  HRESULT InitializeOutputSample(D_IMediaSample* in, D_IMediaSample** out);

  bool m_bEOSDelivered = false;
  bool m_bSampleSkipped = false;
  bool m_bQualityChanged = false;
  D_CCritSec m_csFilter;
  D_CCritSec m_csReceive;
  D_CTransformInputPin* m_pInput = nullptr;
  D_CTransformOutputPin* m_pOutput = nullptr;

  friend class D_CTransformInputPin;
  friend class D_CTransformOutputPin;
};

}  // namespace ZaDod
