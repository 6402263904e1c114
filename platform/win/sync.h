// Events and critical sections over the C++ and POSIX primitives.
#pragma once
#include <pthread.h>

#include <condition_variable>
#include <mutex>

#include "platform/win/win_handle.h"

namespace plat::win {

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

constexpr DWORD WAIT_ABANDONED_0 = 0x80;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Kernel objects that WaitForSingleObject can wait for (events, semaphores, threads).
struct WaitableObject : KernelObject {
  virtual DWORD wait(DWORD milliseconds) = 0;
  // For waits on several objects: takes the signal without blocking (an automatic event
  // resets, a semaphore counts one down) and says whether there was one; giveBack undoes
  // a take. Objects whose signal is not used up keep the defaults.
  virtual bool tryTake() { return wait(0) == WAIT_OBJECT_0; }
  virtual void giveBack() {}
};

// Every object that becomes signalled calls this, so that waits on several objects look again.
void NotifyMultipleWaiters();

// INFINITE, a time-out in milliseconds, or 0 to poll.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// With waitAll FALSE: WAIT_OBJECT_0 + the index of the first signalled object; with
// waitAll TRUE: WAIT_OBJECT_0 once every object was signalled at one moment, taken together.
// WAIT_TIMEOUT when the time passes; WAIT_FAILED for a bad handle or count.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// A counting semaphore. Creation fails (null) for a negative or too large initial count.
HANDLE CreateSemaphoreW(void* security, LONG initialCount, LONG maximumCount, const char16_t* name);
// FALSE when the release would pass the maximum; the count is then unchanged.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount);

// Atomic counters; the result is the new value.
LONG InterlockedIncrement(volatile LONG* value);
LONG InterlockedDecrement(volatile LONG* value);

// Wide-string helpers on char16_t: length in units, and an ordinal comparison (negative,
// 0, positive). A null string counts as empty.
int lstrlenW(const char16_t* text);
int lstrcmpW(const char16_t* a, const char16_t* b);

// A recursive mutex: the owning thread may enter again, and leaves once per entry.
struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};

// A memory barrier run on every processor that runs a thread of this process: after it
// returns, every store another thread made before its last compiler barrier is visible.
// It lets a hot path that only orders its own stores pair with a rare path that pays.
void FlushProcessWriteBuffers();

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
bool waitUntilReady(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD milliseconds, Ready ready) {
  if (milliseconds == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  // A poll only looks: no clock read, no sleep.
  if (milliseconds == 0) return ready();
  return cv.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

}  // namespace plat::win
