// The memory allocator: alignment rules, the one-block layout and its release.
#include "media/dshow/mem_allocator.h"

#include <new>

#include "media/dshow/media_sample.h"
#include "platform/win/sysinfo.h"
#include "platform/win/virtual_memory.h"

namespace ZaDod {

using plat::win::E_INVALIDARG;
using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_OK;
namespace ds = plat::dshow;

namespace {

constexpr long long kMaxLong = 0x7FFFFFFF;

long long roundUp(long long value, long long alignment) { return (value + alignment - 1) / alignment * alignment; }

}  // namespace

D_CMemAllocator::D_CMemAllocator(const char16_t* name, D_IUnknown* outer, HRESULT* result)
    : D_CBaseAllocator(name, outer, result, true, false) {}

D_CMemAllocator::~D_CMemAllocator() {
  // The commit reference keeps a committed allocator alive, so the buffers are normally
  // gone by now; this only makes sure of it.
  if (m_lFree.count == m_lAllocated) Free();
}

HRESULT D_CMemAllocator::SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) {
  if (actual == nullptr || request == nullptr) return E_POINTER;
  plat::win::SYSTEM_INFO info;
  plat::win::GetSystemInfo(&info);
  const LONG align = request->cbAlign;
  // A power of two that divides the granularity: 3 divides nothing evenly into pages.
  if (align <= 0 || (align & (align - 1)) != 0 || (info.dwAllocationGranularity & (align - 1)) != 0)
    return ds::VFW_E_BADALIGN;
  if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return E_INVALIDARG;
  const long long whole = roundUp(static_cast<long long>(request->cbBuffer) + request->cbPrefix, align);
  if (whole > kMaxLong) return E_INVALIDARG;
  D_ALLOCATOR_PROPERTIES adjusted = *request;
  adjusted.cbBuffer = static_cast<LONG>(whole - request->cbPrefix);
  return D_CBaseAllocator::SetProperties(&adjusted, actual);
}

HRESULT D_CMemAllocator::Alloc() {
  D_CAutoLock hold(&m_Lock);
  HRESULT hr = D_CBaseAllocator::Alloc();
  if (hr < 0) return hr;
  if (!m_bChanged && m_pBuffer != nullptr) return S_OK;
  if (m_pBuffer != nullptr) Free();
  long long stride = static_cast<long long>(m_lSize) + m_lPrefix;
  if (m_lAlignment > 1) stride = roundUp(stride, m_lAlignment);
  const long long total = stride * m_lCount;
  if (total / m_lCount != stride || total > static_cast<long long>(SIZE_MAX / 2)) return E_OUTOFMEMORY;
  m_pBuffer = static_cast<BYTE*>(plat::win::VirtualAlloc(nullptr, static_cast<size_t>(total),
                                                         plat::win::MEM_COMMIT, plat::win::PAGE_READWRITE));
  if (m_pBuffer == nullptr) return E_OUTOFMEMORY;
  hr = MakeSamples(m_pBuffer, stride, u"Default memory media sample");
  if (hr < 0) return hr;
  m_bChanged = false;
  return S_OK;
}

HRESULT D_CMemAllocator::MakeSamples(BYTE* memory, long long stride, const char16_t* name) {
  for (LONG i = 0; i < m_lCount; ++i) {
    HRESULT hr = S_OK;
    auto* sample = new (std::nothrow) D_CMediaSample(name, this, &hr, memory + m_lPrefix + stride * i, m_lSize);
    if (sample == nullptr || hr < 0) {
      delete sample;
      Free();
      return E_OUTOFMEMORY;
    }
    m_lFree.add(sample);
    ++m_lAllocated;
  }
  return S_OK;
}

void D_CMemAllocator::Free() {
  while (D_CMediaSample* sample = m_lFree.removeHead()) delete sample;
  m_lAllocated = 0;
  if (m_pBuffer != nullptr) {
    plat::win::VirtualFree(m_pBuffer, 0, plat::win::MEM_RELEASE);
    m_pBuffer = nullptr;
  }
}

}  // namespace ZaDod
