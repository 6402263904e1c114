// Locks and threads of the media layer. A lock remembers who took it last (source
// path, line, thread), which makes a deadlock readable in a debugger. Locks are
// re-entrant and cost one atomic exchange each way when nobody waits; a waiter sleeps
// in the kernel rather than spinning. A library thread is made suspended, so that its
// creator can finish setting it up and resume it when there is work.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/win/sync.h"

namespace ZaDod {

struct TrackedCriticalSection {
  std::atomic<uint32_t> State;  // 0 free, 1 held, 2 held with sleepers
  std::atomic<uint32_t> Owner;  // the holder's thread id, 0 when free
  uint32_t Depth;               // takes by the holder not yet undone
  char FilePath[512];           // at most 511 characters and a terminator
  int FileLine;
  uint32_t ThreadID;
};

int CriticalSection_Initialize(TrackedCriticalSection* lock);
int CriticalSection_Delete(TrackedCriticalSection* lock);
// Re-entrant: each take needs its own unlock.
int CriticalSection_Lock(TrackedCriticalSection* lock, const char* filePath, int line);
// Takes the lock without recording who took it; the caller records.
void CriticalSection_Take(TrackedCriticalSection* lock, uint32_t threadId);
uint32_t CriticalSection_ThreadId();
// The calling thread's id, read once per thread.
inline uint32_t CriticalSection_CachedThreadId() {
  thread_local uint32_t id = CriticalSection_ThreadId();
  return id;
}
// The same as CriticalSection_Lock for a path known at compile time, with the
// uncontended take inline and the holder's path copied with a fixed length (the hot
// locks of the allocator take this one).
template <std::size_t N>
inline int CriticalSection_LockNamed(TrackedCriticalSection* lock, const char (&filePath)[N], int line) {
  static_assert(N <= sizeof lock->FilePath);
  uint32_t threadId = CriticalSection_CachedThreadId();
  uint32_t free = 0;
  if (lock->State.compare_exchange_strong(free, 1, std::memory_order_acquire, std::memory_order_relaxed)) {
    lock->Owner.store(threadId, std::memory_order_relaxed);
    lock->Depth = 1;
  } else {
    CriticalSection_Take(lock, threadId);  // held: by this thread again, or a wait
  }
  __builtin_memcpy(lock->FilePath, filePath, N);
  lock->FileLine = line;
  lock->ThreadID = threadId;
  return 0;
}
// Releases a take; wakes one sleeper when there is one.
inline int CriticalSection_Release(TrackedCriticalSection* lock) {
  if (--lock->Depth != 0) return 0;
  lock->Owner.store(0, std::memory_order_relaxed);
  if (lock->State.exchange(0, std::memory_order_release) == 2) lock->State.notify_one();
  return 0;
}
int CriticalSection_Unlock(TrackedCriticalSection* lock);

struct ThreadRecord;
using ThreadFunction = void (*)(ThreadRecord* thread, void* parameter);

struct ThreadRecord {
  ThreadFunction Function;
  void* Param;
  plat::win::HANDLE ThreadHandle;  // null when there is no thread
  uint32_t ThreadID;
};

// 0, or -1 when the thread cannot be made. The function runs after the first
// successful Thread_Resume.
int Thread_Create(ThreadRecord* thread, ThreadFunction function, void* parameter);
// 1 when the thread had been suspended and now runs, else 0 (it is about to suspend
// itself but has not yet, or was not suspended): callers that must wake it retry.
int Thread_Resume(ThreadRecord* thread);
int Thread_SuspendSelf();
// Levels 0 lowest, 1 below normal, 2 normal, 3 highest; other levels change nothing.
int Thread_SetPriority(ThreadRecord* thread, int level);
int Thread_Sleep(int milliseconds);
int Thread_Close(ThreadRecord* thread);
uint32_t Thread_GetId(ThreadRecord* thread);
int Thread_IsValid(ThreadRecord* thread);

}  // namespace ZaDod
