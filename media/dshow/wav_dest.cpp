// The WAV destination filter: byte-position times, the RIFF header, the factory table.
#include "media/dshow/wav_dest.h"

#include <cstring>
#include <new>
#include <vector>

#include "media/dshow/media_type.h"

namespace ZaDod {

using plat::win::E_FAIL;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::E_UNEXPECTED;
using plat::win::S_FALSE;
using plat::win::S_OK;
namespace ds = plat::dshow;

const CLSID CLSID_D_WavDest = {0x3C78B8E2, 0x6C4D, 0x11D1, {0xAD, 0xE2, 0x00, 0x00, 0xF8, 0x75, 0x4B, 0x99}};

namespace {

D_CUnknown* createWavDest(D_IUnknown* outer, HRESULT* result) { return D_CWavDestFilter::CreateInstance(outer, result); }

const D_AMOVIESETUP_FILTER kWavDestSetup = {&CLSID_D_WavDest, u"WAV Dest", 0x200000, 0, nullptr};

void put32(BYTE* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

}  // namespace

const D_CFactoryTemplate g_Templates[] = {{u"WAV Dest", &CLSID_D_WavDest, &createWavDest, nullptr, &kWavDestSetup}};
const int g_cTemplates = 1;

D_CWavDestOutputPin::D_CWavDestOutputPin(D_CTransformFilter* filter, HRESULT* result)
    : D_CTransformOutputPin(u"WavDest output pin", filter, result, u"Out") {}

HRESULT D_CWavDestOutputPin::CheckMediaType(const D_AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == ds::MEDIATYPE_Stream && type->subtype == ds::MEDIASUBTYPE_WAVE ? S_OK : S_FALSE;
}

D_CWavDestFilter* D_CWavDestFilter::CreateInstance(D_IUnknown* outer, HRESULT* result) {
  auto* filter = new (std::nothrow) D_CWavDestFilter(outer, result);
  return filter;
}

D_CWavDestFilter::D_CWavDestFilter(D_IUnknown* outer, HRESULT* result)
    : D_CTransformFilter(u"WavDest", outer, CLSID_D_WavDest) {
  m_pOutput = new (std::nothrow) D_CWavDestOutputPin(this, result);
  if (m_pOutput == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
  m_pInput = new (std::nothrow) D_CTransformInputPin(u"WavDest input pin", this, result, u"In");
  if (m_pInput == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
}

HRESULT D_CWavDestFilter::CheckInputType(const D_AM_MEDIA_TYPE* type) {
  return type != nullptr && type->formattype == ds::FORMAT_WaveFormatEx ? S_OK : S_FALSE;
}

HRESULT D_CWavDestFilter::CheckTransform(const D_AM_MEDIA_TYPE* in, const D_AM_MEDIA_TYPE*) {
  const HRESULT hr = CheckInputType(in);
  return hr != S_OK ? hr : S_OK;
}

HRESULT D_CWavDestFilter::GetMediaType(int position, D_AM_MEDIA_TYPE* type) {
  if (position != 0) return ds::VFW_S_NO_MORE_ITEMS;
  if (type == nullptr) return E_POINTER;
  D_FreeMediaType(*type);
  *type = {};
  type->majortype = ds::MEDIATYPE_Stream;
  type->subtype = ds::MEDIASUBTYPE_WAVE;
  return S_OK;
}

HRESULT D_CWavDestFilter::DecideBufferSize(D_IMemAllocator* allocator, D_ALLOCATOR_PROPERTIES* properties) {
  if (m_pInput == nullptr || !m_pInput->IsConnected()) return E_UNEXPECTED;
  if (allocator == nullptr || properties == nullptr) return E_POINTER;
  D_ALLOCATOR_PROPERTIES upstream{};
  if (m_pInput->Allocator() != nullptr) m_pInput->Allocator()->GetProperties(&upstream);
  D_ALLOCATOR_PROPERTIES want{1, upstream.cbBuffer, 1, 0}, got{};
  const HRESULT hr = allocator->SetProperties(&want, &got);
  if (hr < 0) return hr;
  return got.cBuffers < want.cBuffers || got.cbBuffer < want.cbBuffer ? E_FAIL : S_OK;
}

HRESULT D_CWavDestFilter::StartStreaming() {
  m_cbWavData = 0;
  m_cbHeader = m_pInput->CurrentMediaType().cbFormat + 28;
  return S_OK;
}

HRESULT D_CWavDestFilter::Transform(D_IMediaSample* in, D_IMediaSample* out) {
  // The sample passes as it is: data, times and flags.
  BYTE* from = nullptr;
  BYTE* to = nullptr;
  HRESULT hr = in->GetPointer(&from);
  if (hr >= 0) hr = out->GetPointer(&to);
  if (hr < 0) return hr;
  const LONG length = in->GetActualDataLength();
  if (length < 0 || length > out->GetSize()) return E_FAIL;
  std::memcpy(to, from, static_cast<size_t>(length));
  hr = out->SetActualDataLength(length);
  if (hr < 0) return hr;
  out->SetSyncPoint(in->IsSyncPoint() == S_OK);
  out->SetPreroll(in->IsPreroll() == S_OK);
  out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
  // Then the times become byte positions in the file.
  const std::uint64_t start = static_cast<std::uint64_t>(m_cbHeader) + m_cbWavData;
  const std::uint64_t stop = start + static_cast<std::uint64_t>(length);
  if (stop > 0xFFFFFFFFu) return E_FAIL;
  m_cbWavData += static_cast<std::uint32_t>(length);
  D_REFERENCE_TIME startTime = static_cast<D_REFERENCE_TIME>(start);
  D_REFERENCE_TIME stopTime = static_cast<D_REFERENCE_TIME>(stop);
  out->SetTime(&startTime, &stopTime);
  return S_OK;
}

HRESULT D_CWavDestFilter::Receive(D_IMediaSample* sample) {
  const std::uint32_t before = m_cbWavData;
  const HRESULT hr = D_CTransformFilter::Receive(sample);
  if (hr < 0) m_cbWavData = before;
  return hr;
}

HRESULT D_CWavDestFilter::StopStreaming() {
  D_IPin* writer = m_pOutput != nullptr ? m_pOutput->GetConnected() : nullptr;
  if (writer == nullptr) return E_FAIL;
  // The writer's byte stream: IStream (a drawing-surface identifier here would be
  // refused by every writer, and the file would be left without its header).
  void* face = nullptr;
  HRESULT hr = writer->QueryInterface(ds::IID_IStream, &face);
  if (hr < 0) return hr;
  auto* stream = static_cast<ds::IStream*>(face);
  const D_AM_MEDIA_TYPE& type = m_pInput->CurrentMediaType();
  std::vector<BYTE> header(m_cbHeader);
  BYTE* h = header.data();
  std::memcpy(h, "RIFF", 4);
  put32(h + 4, m_cbWavData + m_cbHeader - 8);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  put32(h + 16, type.cbFormat);
  if (type.cbFormat > 0) std::memcpy(h + 20, type.pbFormat, type.cbFormat);
  std::memcpy(h + 20 + type.cbFormat, "data", 4);
  put32(h + 24 + type.cbFormat, m_cbWavData);
  hr = stream->Seek(0, ds::STREAM_SEEK_SET, nullptr);
  if (hr >= 0) hr = stream->Write(h, m_cbHeader, nullptr);
  stream->Release();
  return hr;
}

}  // namespace ZaDod
