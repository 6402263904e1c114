// A media sample of the DirectShow class library: one buffer of an allocator with its
// times, flags and an optional media-type change. The last Release hands it back to
// its allocator instead of deleting it.
#pragma once
#include <atomic>

#include "media/dshow/aliases.h"

namespace ZaDod {

class D_CBaseAllocator;

class D_CMediaSample : public D_IMediaSample2 {
 public:
  D_CMediaSample(const char16_t* name, D_CBaseAllocator* allocator, HRESULT* result, BYTE* buffer = nullptr,
                 LONG length = 0);
  virtual ~D_CMediaSample();

  HRESULT QueryInterface(const IID& iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetPointer(BYTE** buffer) override;
  LONG GetSize() override;
  HRESULT GetTime(D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop) override;
  HRESULT SetTime(D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop) override;
  HRESULT IsSyncPoint() override;
  HRESULT SetSyncPoint(BOOL sync) override;
  HRESULT IsPreroll() override;
  HRESULT SetPreroll(BOOL preroll) override;
  LONG GetActualDataLength() override;
  HRESULT SetActualDataLength(LONG length) override;
  HRESULT GetMediaType(D_AM_MEDIA_TYPE** type) override;
  HRESULT SetMediaType(D_AM_MEDIA_TYPE* type) override;
  HRESULT IsDiscontinuity() override;
  HRESULT SetDiscontinuity(BOOL discontinuity) override;
  HRESULT GetMediaTime(plat::dshow::LONGLONG* start, plat::dshow::LONGLONG* end) override;
  HRESULT SetMediaTime(plat::dshow::LONGLONG* start, plat::dshow::LONGLONG* end) override;
  HRESULT GetProperties(DWORD size, BYTE* properties) override;
  HRESULT SetProperties(DWORD size, const BYTE* properties) override;

  // Points the sample at another buffer.
  HRESULT SetPointer(BYTE* buffer, LONG size);

 protected:
  friend class D_CBaseAllocator;

  enum : DWORD {
    Sample_SyncPoint = 0x01,
    Sample_Preroll = 0x02,
    Sample_Discontinuity = 0x04,
    Sample_TypeChanged = 0x08,
    Sample_TimeValid = 0x10,
    Sample_MediaTimeValid = 0x20,
    Sample_StopValid = 0x100,
  };

  DWORD m_dwFlags = 0;
  DWORD m_dwTypeSpecificFlags = 0;
  bool m_bEndOfStream = false;  // kept for the property record
  BYTE* m_pBuffer;
  LONG m_cbBuffer;
  LONG m_lActual = 0;
  D_CBaseAllocator* m_pAllocator;  // no reference: the allocator outlives its samples
  D_CMediaSample* m_pNext = nullptr;
  D_REFERENCE_TIME m_Start = 0;
  D_REFERENCE_TIME m_End = 0;
  plat::dshow::LONGLONG m_MediaStart = 0;
  plat::dshow::LONGLONG m_MediaEnd = 0;
  D_AM_MEDIA_TYPE* m_pMediaType = nullptr;
  DWORD m_dwStreamId = 0;
  std::atomic<LONG> m_cRef{0};
};

}  // namespace ZaDod
