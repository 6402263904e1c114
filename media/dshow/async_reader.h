// The asynchronous reader filter: one output pin that serves a byte stream through the
// pull-mode reader interface, and the memory reader that serves a block held in memory.
#pragma once
#include "media/dshow/async_io.h"
#include "media/dshow/filter.h"
#include "media/dshow/pin.h"

namespace ZaDod {

class D_CAsyncReader;

class D_CAsyncOutputPin : public D_IAsyncReader, public D_CBasePin {
 public:
  D_CAsyncOutputPin(HRESULT* result, D_CAsyncReader* reader, D_CAsyncIo* io, D_CCritSec* lock);

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  // IPin
  HRESULT Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  // IQualityControl
  HRESULT Notify(D_IBaseFilter* sender, D_Quality quality) override;

  HRESULT CheckMediaType(const D_AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, D_AM_MEDIA_TYPE* type) override;
  HRESULT CheckConnect(D_IPin* pin) override;
  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(D_IPin* receivePin) override;

  // IAsyncReader
  HRESULT RequestAllocator(D_IMemAllocator* preferred, D_ALLOCATOR_PROPERTIES* props,
                           D_IMemAllocator** actual) override;
  HRESULT Request(D_IMediaSample* sample, plat::dshow::DWORD_PTR user) override;
  HRESULT WaitForNext(DWORD milliseconds, D_IMediaSample** sample, plat::dshow::DWORD_PTR* user) override;
  HRESULT SyncReadAligned(D_IMediaSample* sample) override;
  HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
  HRESULT Length(LONGLONG* total, LONGLONG* available) override;

 private:
  // The byte range of a sample from its times (bytes * 10^7); E_INVALIDARG when the
  // stop lies before the start.
  HRESULT sampleRange(D_IMediaSample* sample, LONGLONG* position, LONG* length);
  HRESULT initAllocator(D_IMemAllocator** allocator);

  D_CAsyncReader* m_pReader;
  D_CAsyncIo* m_pIo;
  bool m_bQueriedForAsyncReader = false;
};

class D_CAsyncReader : public D_CBaseFilter {
 public:
  D_CAsyncReader(const char16_t* name, D_IUnknown* outer, D_CAsyncStream* stream, HRESULT* result);
  ~D_CAsyncReader() override;

  int GetPinCount() override { return 1; }
  D_CBasePin* GetPin(int index) override { return index == 0 ? &m_OutputPin : nullptr; }
  HRESULT FindPin(const WCHAR* id, D_IPin** pin) override;
  HRESULT Stop() override;
  HRESULT Pause() override;

  virtual HRESULT Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type);
  const D_AM_MEDIA_TYPE* LoadType() const { return &m_mt; }

 protected:
  D_CCritSec m_csFilter;
  D_CAsyncIo m_Io;
  D_CAsyncOutputPin m_OutputPin;
  D_AM_MEDIA_TYPE m_mt{};
};

class D_CMemReader final : public D_CAsyncReader {
 public:
  // The reader does not own the stream: the caller releases it after the reader.
  static D_CMemReader* Create(D_CMemStream* stream, const D_AM_MEDIA_TYPE* type, HRESULT* result);

 private:
  D_CMemReader(D_CMemStream* stream, const D_AM_MEDIA_TYPE* type, HRESULT* result);
};

// The reader filter's class id.
extern const CLSID CLSID_AsyncReader;

}  // namespace ZaDod
