// Events and critical sections over the C++ and POSIX primitives.
#pragma once
#include <pthread.h>

#include <condition_variable>
#include <mutex>

#include "platform/win/handle.h"

namespace plat::win {

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// Kernel objects that WaitForSingleObject can wait for (events, threads).
struct WaitableObject : KernelObject {
  virtual DWORD wait(DWORD milliseconds) = 0;
};

// INFINITE, a time-out in milliseconds, or 0 to poll.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// A recursive mutex: the owning thread may enter again, and leaves once per entry.
struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};

void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Names are accepted for the callers' sake; every event is private to the process.
HANDLE CreateEventA(void* security, BOOL manualReset, BOOL initialState, const char* name);
HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, const char16_t* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Waits on cv until ready() holds or the time-out (INFINITE, or 0 to poll) passes;
// the lock is held on entry and on return. Returns whether ready() held.
template <class Ready>
bool waitUntilReady(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD milliseconds,
                    Ready ready) {
  if (milliseconds == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  // A poll only looks: no clock read, no sleep.
  if (milliseconds == 0) return ready();
  return cv.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

}  // namespace plat::win
