// Media samples: times, flags, type changes and the property record.
#include "media/dshow/media_sample.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "media/dshow/allocator.h"
#include "media/dshow/media_type.h"

namespace ZaDod {

using plat::win::E_INVALIDARG;
using plat::win::E_NOINTERFACE;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

D_CMediaSample::D_CMediaSample(const char16_t*, D_CBaseAllocator* allocator, HRESULT* result, BYTE* buffer,
                               LONG length)
    : m_pBuffer(buffer), m_cbBuffer(length), m_pAllocator(allocator) {
  if (allocator == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
}

D_CMediaSample::~D_CMediaSample() { D_DeleteMediaType(m_pMediaType); }

HRESULT D_CMediaSample::QueryInterface(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == ds::IID_IMediaSample || iid == ds::IID_IMediaSample2 || iid == plat::win::IID_IUnknown) {
    *out = static_cast<D_IMediaSample2*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG D_CMediaSample::AddRef() { return static_cast<ULONG>(m_cRef.fetch_add(1) + 1); }

ULONG D_CMediaSample::Release() {
  const LONG count = m_cRef.fetch_sub(1) - 1;
  if (count == 0) {
    // Back to a clean sample before it joins the free list.
    if ((m_dwFlags & Sample_TypeChanged) != 0) {
      D_DeleteMediaType(m_pMediaType);
      m_pMediaType = nullptr;
    }
    m_dwFlags = 0;
    m_dwTypeSpecificFlags = 0;
    m_dwStreamId = 0;
    m_bEndOfStream = false;
    m_pAllocator->ReleaseBuffer(this);  // the sample may be freed from here on
  }
  return static_cast<ULONG>(count);
}

HRESULT D_CMediaSample::SetPointer(BYTE* buffer, LONG size) {
  if (size < 0) return E_INVALIDARG;
  m_pBuffer = buffer;
  m_cbBuffer = size;
  return S_OK;
}

HRESULT D_CMediaSample::GetPointer(BYTE** buffer) {
  if (buffer == nullptr) return E_POINTER;
  *buffer = m_pBuffer;
  return S_OK;
}

LONG D_CMediaSample::GetSize() { return m_cbBuffer; }

HRESULT D_CMediaSample::GetTime(D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop) {
  if (start == nullptr || stop == nullptr) return E_POINTER;
  if ((m_dwFlags & Sample_StopValid) != 0) {
    *start = m_Start;
    *stop = m_End;
    return S_OK;
  }
  if ((m_dwFlags & Sample_TimeValid) != 0) {
    *start = m_Start;
    *stop = m_Start + 1;
    return ds::VFW_S_NO_STOP_TIME;
  }
  return ds::VFW_E_SAMPLE_TIME_NOT_SET;
}

HRESULT D_CMediaSample::SetTime(D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop) {
  m_dwFlags &= ~(Sample_TimeValid | Sample_StopValid);
  if (start != nullptr) {
    m_Start = *start;
    m_dwFlags |= Sample_TimeValid;
    if (stop != nullptr) {
      m_End = *stop;
      m_dwFlags |= Sample_StopValid;
    }
  }
  return S_OK;
}

HRESULT D_CMediaSample::IsSyncPoint() { return (m_dwFlags & Sample_SyncPoint) ? S_OK : S_FALSE; }
HRESULT D_CMediaSample::SetSyncPoint(BOOL sync) {
  m_dwFlags = sync ? (m_dwFlags | Sample_SyncPoint) : (m_dwFlags & ~Sample_SyncPoint);
  return S_OK;
}
HRESULT D_CMediaSample::IsPreroll() { return (m_dwFlags & Sample_Preroll) ? S_OK : S_FALSE; }
HRESULT D_CMediaSample::SetPreroll(BOOL preroll) {
  m_dwFlags = preroll ? (m_dwFlags | Sample_Preroll) : (m_dwFlags & ~Sample_Preroll);
  return S_OK;
}
HRESULT D_CMediaSample::IsDiscontinuity() { return (m_dwFlags & Sample_Discontinuity) ? S_OK : S_FALSE; }
HRESULT D_CMediaSample::SetDiscontinuity(BOOL value) {
  m_dwFlags = value ? (m_dwFlags | Sample_Discontinuity) : (m_dwFlags & ~Sample_Discontinuity);
  return S_OK;
}

LONG D_CMediaSample::GetActualDataLength() { return m_lActual; }

HRESULT D_CMediaSample::SetActualDataLength(LONG length) {
  if (length < 0 || length > m_cbBuffer) return ds::VFW_E_BUFFER_OVERFLOW;
  m_lActual = length;
  return S_OK;
}

HRESULT D_CMediaSample::GetMediaType(D_AM_MEDIA_TYPE** type) {
  if (type == nullptr) return E_POINTER;
  *type = nullptr;
  if ((m_dwFlags & Sample_TypeChanged) == 0 || m_pMediaType == nullptr) return S_FALSE;
  *type = D_CreateMediaType(m_pMediaType);
  return *type != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT D_CMediaSample::SetMediaType(D_AM_MEDIA_TYPE* type) {
  D_DeleteMediaType(m_pMediaType);
  m_pMediaType = nullptr;
  if (type == nullptr) {
    m_dwFlags &= ~Sample_TypeChanged;
    return S_OK;
  }
  m_pMediaType = D_CreateMediaType(type);
  if (m_pMediaType == nullptr) {
    m_dwFlags &= ~Sample_TypeChanged;
    return E_OUTOFMEMORY;
  }
  m_dwFlags |= Sample_TypeChanged;
  return S_OK;
}

HRESULT D_CMediaSample::GetMediaTime(ds::LONGLONG* start, ds::LONGLONG* end) {
  if (start == nullptr || end == nullptr) return E_POINTER;
  if ((m_dwFlags & Sample_MediaTimeValid) == 0) return ds::VFW_E_MEDIA_TIME_NOT_SET;
  *start = m_MediaStart;
  *end = m_MediaEnd;
  return S_OK;
}

HRESULT D_CMediaSample::SetMediaTime(ds::LONGLONG* start, ds::LONGLONG* end) {
  if (start == nullptr) {
    m_dwFlags &= ~Sample_MediaTimeValid;
    return S_OK;
  }
  if (end == nullptr) return E_POINTER;
  m_MediaStart = *start;
  m_MediaEnd = *end;
  m_dwFlags |= Sample_MediaTimeValid;
  return S_OK;
}

namespace {

// The leading size field is the part every property record must have; the fields
// after it are copied as far as the caller's size reaches.
constexpr DWORD kFixedPart = sizeof(DWORD);

}  // namespace

HRESULT D_CMediaSample::GetProperties(DWORD size, BYTE* properties) {
  if (size == 0) return S_OK;
  if (properties == nullptr) return E_POINTER;
  if (size < kFixedPart) return E_INVALIDARG;
  D_AM_SAMPLE2_PROPERTIES props{};
  props.cbData = std::min<DWORD>(size, sizeof(props));
  props.dwTypeSpecificFlags = m_dwTypeSpecificFlags;
  props.dwSampleFlags = m_dwFlags & ~Sample_MediaTimeValid;
  if (m_bEndOfStream) props.dwSampleFlags |= ds::AM_SAMPLE_ENDOFSTREAM;
  props.lActual = m_lActual;
  props.tStart = m_Start;
  props.tStop = m_End;
  props.dwStreamId = m_dwStreamId;
  props.pMediaType = (m_dwFlags & Sample_TypeChanged) ? m_pMediaType : nullptr;
  props.pbBuffer = m_pBuffer;
  props.cbBuffer = m_cbBuffer;
  std::memcpy(properties, &props, props.cbData);
  return S_OK;
}

HRESULT D_CMediaSample::SetProperties(DWORD size, const BYTE* properties) {
  if (properties == nullptr) return E_POINTER;
  if (size < kFixedPart) return E_INVALIDARG;
  D_AM_SAMPLE2_PROPERTIES props{};
  std::memcpy(&props, properties, std::min<size_t>(size, sizeof(props)));
  auto covers = [size](size_t offset, size_t length) { return offset + length <= size; };
  using P = D_AM_SAMPLE2_PROPERTIES;
  // Refused values first, so a refusal changes nothing.
  if (covers(offsetof(P, lActual), 4) && (props.lActual < 0 || props.lActual > m_cbBuffer))
    return ds::VFW_E_BUFFER_OVERFLOW;
  // The media type first: its copy is the one step that can fail, and nothing changes then.
  if (covers(offsetof(P, pMediaType), sizeof(props.pMediaType)) && covers(offsetof(P, dwSampleFlags), 4) &&
      (props.dwSampleFlags & ds::AM_SAMPLE_TYPECHANGED) != 0) {
    D_AM_MEDIA_TYPE* copy = props.pMediaType != nullptr ? D_CreateMediaType(props.pMediaType) : nullptr;
    if (props.pMediaType != nullptr && copy == nullptr) return E_OUTOFMEMORY;
    D_DeleteMediaType(m_pMediaType);
    m_pMediaType = copy;
  }
  if (covers(offsetof(P, dwTypeSpecificFlags), 4)) m_dwTypeSpecificFlags = props.dwTypeSpecificFlags;
  if (covers(offsetof(P, dwSampleFlags), 4)) {
    m_dwFlags = (props.dwSampleFlags & ~ds::AM_SAMPLE_ENDOFSTREAM) | (m_dwFlags & Sample_MediaTimeValid);
    m_bEndOfStream = (props.dwSampleFlags & ds::AM_SAMPLE_ENDOFSTREAM) != 0;
    if ((m_dwFlags & Sample_TypeChanged) == 0 || m_pMediaType == nullptr) m_dwFlags &= ~Sample_TypeChanged;
  }
  if (covers(offsetof(P, lActual), 4)) m_lActual = props.lActual;
  if (covers(offsetof(P, tStart), 8)) m_Start = props.tStart;
  if (covers(offsetof(P, tStop), 8)) m_End = props.tStop;
  if (covers(offsetof(P, dwStreamId), 4)) m_dwStreamId = props.dwStreamId;
  return S_OK;
}

}  // namespace ZaDod
