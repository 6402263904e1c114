// The asynchronous reader filter, its output pin and the memory reader.
#include "media/dshow/async_reader.h"

#include <new>

#include "media/dshow/media_type.h"
#include "media/dshow/mem_allocator.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_INVALIDARG;
using plat::win::E_NOTIMPL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::E_UNEXPECTED;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

const CLSID CLSID_AsyncReader = {0xC553F2C0, 0x1529, 0x11D0, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};

namespace {
constexpr LONGLONG kUnitsPerByte = 10000000;
}

// ---- output pin ----

D_CAsyncOutputPin::D_CAsyncOutputPin(HRESULT* result, D_CAsyncReader* reader, D_CAsyncIo* io, D_CCritSec* lock)
    : D_CBasePin(u"Async output pin", reader, lock, result, u"Output", ds::PINDIR_OUTPUT),
      m_pReader(reader),
      m_pIo(io) {}

HRESULT D_CAsyncOutputPin::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IAsyncReader) {
    m_bQueriedForAsyncReader = true;
    return GetInterface(static_cast<D_IAsyncReader*>(this), out);
  }
  return D_CBasePin::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CAsyncOutputPin::Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) {
  return m_pReader->Connect(receivePin, type);
}

HRESULT D_CAsyncOutputPin::BeginFlush() { return m_pIo->BeginFlush(); }
HRESULT D_CAsyncOutputPin::EndFlush() { return m_pIo->EndFlush(); }
HRESULT D_CAsyncOutputPin::Notify(D_IBaseFilter*, D_Quality) { return E_NOTIMPL; }

HRESULT D_CAsyncOutputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  D_CAutoLock hold(m_pLock);
  const D_AM_MEDIA_TYPE* mine = m_pReader->LoadType();
  if (!(mine->majortype == type->majortype)) return S_FALSE;
  return mine->subtype == ds::GUID_NULL || mine->subtype == type->subtype ? S_OK : S_FALSE;
}

HRESULT D_CAsyncOutputPin::GetMediaType(int position, D_AM_MEDIA_TYPE* type) {
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return ds::VFW_S_NO_MORE_ITEMS;
  if (type == nullptr) return E_POINTER;
  if (m_pReader == nullptr) return E_UNEXPECTED;
  return D_CopyMediaType(type, m_pReader->LoadType());
}

HRESULT D_CAsyncOutputPin::CheckConnect(D_IPin* pin) {
  m_bQueriedForAsyncReader = false;
  return D_CBasePin::CheckConnect(pin);
}

HRESULT D_CAsyncOutputPin::BreakConnect() {
  m_bQueriedForAsyncReader = false;
  return D_CBasePin::BreakConnect();
}

HRESULT D_CAsyncOutputPin::CompleteConnect(D_IPin*) { return m_bQueriedForAsyncReader ? S_OK : E_FAIL; }

HRESULT D_CAsyncOutputPin::initAllocator(D_IMemAllocator** allocator) {
  HRESULT hr = S_OK;
  auto* made = new (std::nothrow) D_CMemAllocator(u"Async reader allocator", nullptr, &hr);
  if (made == nullptr) return E_OUTOFMEMORY;
  if (hr < 0) {
    delete made;
    return hr;
  }
  return made->NonDelegatingQueryInterface(ds::IID_IMemAllocator, reinterpret_cast<void**>(allocator));
}

HRESULT D_CAsyncOutputPin::RequestAllocator(D_IMemAllocator* preferred, D_ALLOCATOR_PROPERTIES* props,
                                            D_IMemAllocator** actual) {
  if (props == nullptr || actual == nullptr) return E_POINTER;
  *actual = nullptr;
  const LONG ioAlign = m_pIo->Alignment();
  D_ALLOCATOR_PROPERTIES request = *props;
  if (request.cbAlign == 0 || request.cbAlign % ioAlign != 0) request.cbAlign = ioAlign;
  D_ALLOCATOR_PROPERTIES got{};
  if (preferred != nullptr) {
    if (preferred->SetProperties(&request, &got) >= 0 && got.cbAlign % ioAlign == 0) {
      preferred->AddRef();
      *actual = preferred;
      return S_OK;
    }
  }
  D_IMemAllocator* allocator = nullptr;
  HRESULT hr = initAllocator(&allocator);
  if (hr < 0) return hr;
  hr = allocator->SetProperties(&request, &got);
  if (hr >= 0 && got.cbAlign % ioAlign == 0) {
    *actual = allocator;
    return S_OK;
  }
  allocator->Release();
  return hr < 0 ? hr : ds::VFW_E_BADALIGN;
}

HRESULT D_CAsyncOutputPin::sampleRange(D_IMediaSample* sample, LONGLONG* position, LONG* length) {
  D_REFERENCE_TIME start = 0, stop = 0;
  const HRESULT hr = sample->GetTime(&start, &stop);
  if (hr < 0) return hr;
  // A stop before the start would make a negative length that the read takes as a size.
  if (stop < start || start < 0) return E_INVALIDARG;
  *position = start / kUnitsPerByte;
  const LONGLONG bytes = (stop - start) / kUnitsPerByte;
  if (bytes > 0x7FFFFFFF) return E_INVALIDARG;
  *length = static_cast<LONG>(bytes);
  return S_OK;
}

HRESULT D_CAsyncOutputPin::Request(D_IMediaSample* sample, ds::DWORD_PTR user) {
  if (sample == nullptr) return E_POINTER;
  LONGLONG position = 0;
  LONG length = 0;
  HRESULT hr = sampleRange(sample, &position, &length);
  if (hr < 0) return hr;
  LONGLONG total = 0, available = 0;
  m_pIo->Length(&total, &available);
  // A read past the end is cut to the end (rounded up to the alignment), not refused.
  const LONG align = m_pIo->Alignment();
  const LONGLONG end = (total + align - 1) / align * align;
  if (position + length > end) {
    length = static_cast<LONG>(end > position ? end - position : 0);
    D_REFERENCE_TIME start = position * kUnitsPerByte, stop = (position + length) * kUnitsPerByte;
    sample->SetTime(&start, &stop);
  }
  if (length > sample->GetSize()) return E_INVALIDARG;
  BYTE* buffer = nullptr;
  hr = sample->GetPointer(&buffer);
  if (hr < 0) return hr;
  return m_pIo->Request(position, length, plat::win::TRUE, buffer, sample, user);
}

HRESULT D_CAsyncOutputPin::WaitForNext(DWORD milliseconds, D_IMediaSample** sample, ds::DWORD_PTR* user) {
  if (sample == nullptr || user == nullptr) return E_POINTER;
  LONG actual = 0;
  void* context = nullptr;
  const HRESULT hr = m_pIo->WaitForNext(milliseconds, &context, user, &actual);
  *sample = static_cast<D_IMediaSample*>(context);
  if (hr >= 0 && *sample != nullptr) (*sample)->SetActualDataLength(actual);
  return hr;
}

HRESULT D_CAsyncOutputPin::SyncReadAligned(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  LONGLONG position = 0;
  LONG length = 0;
  HRESULT hr = sampleRange(sample, &position, &length);
  if (hr < 0) return hr;
  if (length > sample->GetSize()) return E_INVALIDARG;
  BYTE* buffer = nullptr;
  hr = sample->GetPointer(&buffer);
  if (hr < 0) return hr;
  LONG actual = 0;
  hr = m_pIo->SyncReadAligned(position, length, buffer, &actual, sample);
  sample->SetActualDataLength(actual);
  return hr;
}

HRESULT D_CAsyncOutputPin::SyncRead(LONGLONG position, LONG length, BYTE* buffer) {
  return m_pIo->SyncRead(position, length, buffer);
}

HRESULT D_CAsyncOutputPin::Length(LONGLONG* total, LONGLONG* available) { return m_pIo->Length(total, available); }

// ---- reader filter ----

D_CAsyncReader::D_CAsyncReader(const char16_t* name, D_IUnknown* outer, D_CAsyncStream* stream, HRESULT* result)
    : D_CBaseFilter(name, outer, &m_csFilter, CLSID_AsyncReader),
      m_Io(stream),
      m_OutputPin(result, this, &m_Io, &m_csFilter) {
  m_mt.bFixedSizeSamples = plat::win::TRUE;
  m_mt.lSampleSize = 1;
}

D_CAsyncReader::~D_CAsyncReader() { D_FreeMediaType(m_mt); }

HRESULT D_CAsyncReader::FindPin(const WCHAR* id, D_IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_csFilter);
  if (id != nullptr && plat::win::lstrcmpW(id, u"Output") == 0) {
    *pin = &m_OutputPin;
    (*pin)->AddRef();
    return S_OK;
  }
  *pin = nullptr;
  return ds::VFW_E_NOT_FOUND;
}

HRESULT D_CAsyncReader::Stop() { return D_CBaseFilter::Stop(); }
HRESULT D_CAsyncReader::Pause() { return D_CBaseFilter::Pause(); }

HRESULT D_CAsyncReader::Connect(D_IPin* receivePin, const D_AM_MEDIA_TYPE* type) {
  return m_OutputPin.D_CBasePin::Connect(receivePin, type);
}

D_CMemReader::D_CMemReader(D_CMemStream* stream, const D_AM_MEDIA_TYPE* type, HRESULT* result)
    : D_CAsyncReader(u"Mem Reader", nullptr, stream, result) {
  if (type != nullptr && D_CopyMediaType(&m_mt, type) < 0 && result != nullptr) *result = E_OUTOFMEMORY;
}

D_CMemReader* D_CMemReader::Create(D_CMemStream* stream, const D_AM_MEDIA_TYPE* type, HRESULT* result) {
  if (stream == nullptr) {
    if (result != nullptr) *result = E_POINTER;
    return nullptr;
  }
  auto* reader = new (std::nothrow) D_CMemReader(stream, type, result);
  if (reader == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
  return reader;
}

}  // namespace ZaDod
