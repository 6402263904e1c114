// The allocator base of the DirectShow class library: a free list of media samples
// handed to streaming threads, commit and decommit, and waiters woken by a semaphore.
// While committed the allocator holds one reference on itself, taken by Commit and
// dropped once the samples are freed, so it outlives every sample handed out.
#pragma once
#include "media/dshow/base_object.h"

namespace ZaDod {

class D_CMediaSample;

class D_CBaseAllocator : public D_CUnknown, public D_IMemAllocatorCallbackTemp {
 public:
  // With `useEvent` the allocator makes the semaphore GetBuffer waits on; a failed
  // creation reports E_OUTOFMEMORY through `result`.
  D_CBaseAllocator(const char16_t* name, D_IUnknown* outer, HRESULT* result, bool useEvent = true,
                   bool derivedFlag = false);
  ~D_CBaseAllocator() override;

  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override;

  HRESULT SetProperties(D_ALLOCATOR_PROPERTIES* request, D_ALLOCATOR_PROPERTIES* actual) override;
  HRESULT GetProperties(D_ALLOCATOR_PROPERTIES* props) override;
  HRESULT Commit() override;
  HRESULT Decommit() override;
  HRESULT GetBuffer(D_IMediaSample** sample, D_REFERENCE_TIME* start, D_REFERENCE_TIME* stop, DWORD flags) override;
  HRESULT ReleaseBuffer(D_IMediaSample* sample) override;
  HRESULT SetNotify(D_IMemAllocatorNotifyCallbackTemp* notify) override;
  HRESULT GetFreeCount(LONG* free) override;

  // Makes the buffers and samples (S_OK) or reports why not; the base checks the sizes.
  virtual HRESULT Alloc();
  // Frees the samples and buffers; every sample is on the free list when it runs.
  virtual void Free() = 0;

 protected:
  // The free list, linked through the samples.
  struct FreeList {
    D_CMediaSample* head = nullptr;
    LONG count = 0;
    void add(D_CMediaSample* sample);
    D_CMediaSample* removeHead();
  };

  // Wakes every waiting thread; under the lock.
  void NotifySample();

  D_CCritSec m_Lock;
  FreeList m_lFree;
  plat::win::HANDLE m_hSem = nullptr;
  LONG m_lWaiting = 0;
  LONG m_lCount = 0;
  LONG m_lAllocated = 0;  // samples made by the last Alloc
  LONG m_lSize = 0;
  LONG m_lAlignment = 0;
  LONG m_lPrefix = 0;
  bool m_bChanged = false;
  bool m_bCommitted = false;
  bool m_bDecommitInProgress = false;
  D_IMemAllocatorNotifyCallbackTemp* m_pNotify = nullptr;
  bool m_fEnableReleaseCallback;
};

}  // namespace ZaDod
