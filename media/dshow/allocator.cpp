// The allocator base: properties, commit and decommit with the allocator's own
// reference, the free list and the waits for a sample.
#include "media/dshow/allocator.h"

#include "media/dshow/media_sample.h"
#include "platform/win/sysinfo.h"

namespace ZaDod {

using plat::win::E_OUTOFMEMORY;
using plat::win::E_POINTER;
using plat::win::S_OK;
namespace ds = plat::dshow;

void D_CBaseAllocator::FreeList::add(D_CMediaSample* sample) {
  sample->m_pNext = head;
  head = sample;
  ++count;
}

D_CMediaSample* D_CBaseAllocator::FreeList::removeHead() {
  D_CMediaSample* sample = head;
  if (sample != nullptr) {
    head = sample->m_pNext;
    sample->m_pNext = nullptr;
    --count;
  }
  return sample;
}

D_CBaseAllocator::D_CBaseAllocator(const char16_t* name, D_IUnknown* outer, HRESULT* result, bool useEvent,
                                   bool derivedFlag)
    : D_CUnknown(name, outer), m_fEnableReleaseCallback(derivedFlag) {
  if (useEvent) {
    m_hSem = plat::win::CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
    if (m_hSem == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
  }
}

D_CBaseAllocator::~D_CBaseAllocator() {
  if (m_hSem != nullptr) plat::win::CloseHandle(m_hSem);
  if (m_pNotify != nullptr) m_pNotify->Release();
}

HRESULT D_CBaseAllocator::NonDelegatingQueryInterface(const IID& iid, void** out) {
  if (iid == ds::IID_IMemAllocator || iid == ds::IID_IMemAllocatorCallbackTemp)
    return GetInterface(static_cast<D_IMemAllocatorCallbackTemp*>(this), out);
  return D_CUnknown::NonDelegatingQueryInterface(iid, out);
}

HRESULT D_CBaseAllocator::SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) {
  if (request == nullptr || actual == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_Lock);
  if (m_bCommitted) return ds::VFW_E_ALREADY_COMMITTED;
  if (m_lAllocated != m_lFree.count) return ds::VFW_E_BUFFERS_OUTSTANDING;
  *actual = *request;
  m_lCount = request->cBuffers;
  m_lSize = request->cbBuffer;
  m_lAlignment = request->cbAlign;
  m_lPrefix = request->cbPrefix;
  m_bChanged = true;
  return S_OK;
}

HRESULT D_CBaseAllocator::GetProperties(D_ALLOCATOR_PROPERTIES* props) {
  if (props == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_Lock);
  props->cBuffers = m_lCount;
  props->cbBuffer = m_lSize;
  props->cbAlign = m_lAlignment;
  props->cbPrefix = m_lPrefix;
  return S_OK;
}

HRESULT D_CBaseAllocator::Commit() {
  {
    D_CAutoLock hold(&m_Lock);
    if (m_bCommitted) return S_OK;
    if (m_bDecommitInProgress) {
      // The samples and the commit reference are still there: take them over as they are.
      m_bDecommitInProgress = false;
      m_bCommitted = true;
      return S_OK;
    }
    const HRESULT hr = Alloc();
    if (hr < 0) return hr;
    m_bCommitted = true;
  }
  // Balanced by the Release after Free, in Decommit or in the last ReleaseBuffer.
  GetOwner()->AddRef();
  return S_OK;
}

HRESULT D_CBaseAllocator::Decommit() {
  bool freed = false;
  {
    D_CAutoLock hold(&m_Lock);
    if (!m_bCommitted) return S_OK;  // never committed, or a decommit already pending
    m_bCommitted = false;
    if (m_lFree.count == m_lAllocated) {
      Free();
      freed = true;
    } else {
      m_bDecommitInProgress = true;
    }
    // Waiters wake and find the allocator decommitted.
    NotifySample();
  }
  if (freed) GetOwner()->Release();
  return S_OK;
}

HRESULT D_CBaseAllocator::Alloc() {
  if (m_lCount <= 0 || m_lSize <= 0 || m_lAlignment <= 0) return ds::VFW_E_SIZENOTSET;
  return S_OK;
}

HRESULT D_CBaseAllocator::GetBuffer(D_IMediaSample** out, D_REFERENCE_TIME*, D_REFERENCE_TIME*, DWORD flags) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (;;) {
    D_CMediaSample* sample = nullptr;
    {
      D_CAutoLock hold(&m_Lock);
      if (!m_bCommitted) return ds::VFW_E_NOT_COMMITTED;
      sample = m_lFree.removeHead();
      if (sample == nullptr) {
        if ((flags & ds::AM_GBF_NOWAIT) != 0 || m_hSem == nullptr) return ds::VFW_E_TIMEOUT;
        ++m_lWaiting;
      }
    }
    if (sample != nullptr) {
      sample->m_cRef = 1;
      *out = sample;
      return S_OK;
    }
    plat::win::WaitForSingleObject(m_hSem, plat::win::INFINITE);
  }
}

HRESULT D_CBaseAllocator::ReleaseBuffer(D_IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  bool freed = false;
  D_IMemAllocatorNotifyCallbackTemp* notify = nullptr;
  {
    D_CAutoLock hold(&m_Lock);
    m_lFree.add(static_cast<D_CMediaSample*>(sample));
    NotifySample();
    if (m_bDecommitInProgress && m_lFree.count == m_lAllocated) {
      Free();
      m_bDecommitInProgress = false;
      freed = true;
    }
    notify = m_pNotify;
    if (notify != nullptr) notify->AddRef();
  }
  if (notify != nullptr) {
    notify->NotifyRelease();
    notify->Release();
  }
  if (freed) GetOwner()->Release();  // the commit reference; may destroy the allocator
  return S_OK;
}

void D_CBaseAllocator::NotifySample() {
  if (m_lWaiting != 0 && m_hSem != nullptr) {
    plat::win::ReleaseSemaphore(m_hSem, m_lWaiting, nullptr);
    m_lWaiting = 0;
  }
}

HRESULT D_CBaseAllocator::SetNotify(D_IMemAllocatorNotifyCallbackTemp* notify) {
  D_CAutoLock hold(&m_Lock);
  if (notify != nullptr) notify->AddRef();
  if (m_pNotify != nullptr) m_pNotify->Release();
  m_pNotify = notify;
  return S_OK;
}

HRESULT D_CBaseAllocator::GetFreeCount(LONG* free) {
  if (free == nullptr) return E_POINTER;
  D_CAutoLock hold(&m_Lock);
  *free = m_lFree.count;
  return S_OK;
}

}  // namespace ZaDod
