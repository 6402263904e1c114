// Kernel objects handed out by the stand-ins (threads, events, files) share one
// reference-counted base, so CloseHandle works on any of them and an object lives on
// while anyone (a running thread, a waiter) still holds it.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/win/types.h"

namespace plat::win {

class KernelObject {
 public:
  KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  void addRef() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  // Objects that cannot be waited for report WAIT_FAILED.
  virtual DWORD wait(DWORD milliseconds);

 protected:
  virtual ~KernelObject() = default;

 private:
  std::atomic<int> refs_{1};
};

// Stands for "the calling thread"; closing it does nothing and it cannot be waited for.
inline HANDLE const CURRENT_THREAD_HANDLE = reinterpret_cast<HANDLE>(~uintptr_t(1));

inline HANDLE toHandle(KernelObject* object) { return static_cast<HANDLE>(object); }
inline KernelObject* fromHandle(HANDLE handle) { return static_cast<KernelObject*>(handle); }

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

}  // namespace plat::win
