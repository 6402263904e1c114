// Locks and threads of the media layer.
#include "media/base/thread.h"

#include <cstring>

#include "platform/win/win_thread.h"

namespace ZaDod {

namespace win = plat::win;

namespace {

// A three-state lock word: a free lock is taken by one exchange; a taker that finds
// it held marks it contended (2) and sleeps until the holder's release wakes it.
void acquire(TrackedCriticalSection* lock) {
  uint32_t seen = 0;
  if (lock->State.compare_exchange_strong(seen, 1, std::memory_order_acquire, std::memory_order_relaxed)) return;
  for (int spin = 0; spin < 100 && seen == 1; ++spin) {
    seen = lock->State.load(std::memory_order_relaxed);
    if (seen == 0 && lock->State.compare_exchange_strong(seen, 1, std::memory_order_acquire, std::memory_order_relaxed))
      return;
  }
  if (seen != 2) seen = lock->State.exchange(2, std::memory_order_acquire);
  while (seen != 0) {
    lock->State.wait(2, std::memory_order_relaxed);
    seen = lock->State.exchange(2, std::memory_order_acquire);
  }
}

void take(TrackedCriticalSection* lock, uint32_t threadId) {
  if (lock->Owner.load(std::memory_order_relaxed) == threadId) {
    ++lock->Depth;
    return;
  }
  acquire(lock);
  lock->Owner.store(threadId, std::memory_order_relaxed);
  lock->Depth = 1;
}

}  // namespace

int CriticalSection_Initialize(TrackedCriticalSection* lock) {
  lock->State.store(0, std::memory_order_relaxed);
  lock->Owner.store(0, std::memory_order_relaxed);
  lock->Depth = 0;
  lock->FilePath[0] = '\0';
  lock->FileLine = 0;
  lock->ThreadID = 0;
  return 0;
}

int CriticalSection_Delete(TrackedCriticalSection*) { return 0; }

int CriticalSection_Lock(TrackedCriticalSection* lock, const char* filePath, int line) {
  uint32_t threadId = win::GetCurrentThreadId();
  take(lock, threadId);
  // Written only once held, so these always name the current or last holder.
  size_t length = filePath ? strnlen(filePath, sizeof lock->FilePath - 1) : 0;
  std::memcpy(lock->FilePath, filePath ? filePath : "", length);
  lock->FilePath[length] = '\0';
  lock->FileLine = line;
  lock->ThreadID = threadId;
  return 0;
}

void CriticalSection_Take(TrackedCriticalSection* lock, uint32_t threadId) { take(lock, threadId); }

uint32_t CriticalSection_ThreadId() { return win::GetCurrentThreadId(); }

int CriticalSection_Unlock(TrackedCriticalSection* lock) { return CriticalSection_Release(lock); }

namespace {

win::DWORD ThreadStartProc(void* argument) {
  auto* thread = static_cast<ThreadRecord*>(argument);
  thread->Function(thread, thread->Param);
  win::ExitThread(0);
}

}  // namespace

int Thread_Create(ThreadRecord* thread, ThreadFunction function, void* parameter) {
  thread->Function = function;
  thread->Param = parameter;
  win::DWORD id = 0;
  // Made suspended rather than suspending itself: the first resume never has to wait
  // for the new thread to be scheduled.
  thread->ThreadHandle = win::CreateThread(nullptr, 0, ThreadStartProc, thread, win::CREATE_SUSPENDED, &id);
  if (thread->ThreadHandle == nullptr) {
    thread->ThreadID = 0;
    return -1;
  }
  thread->ThreadID = id;
  return 0;
}

int Thread_Resume(ThreadRecord* thread) {
  win::DWORD previous = win::ResumeThread(thread->ThreadHandle);
  return previous != 0xFFFFFFFFu && previous > 0 ? 1 : 0;
}

int Thread_SuspendSelf() {
  win::SuspendThread(win::GetCurrentThread());
  return 0;
}

int Thread_SetPriority(ThreadRecord* thread, int level) {
  static const int priorities[] = {win::THREAD_PRIORITY_LOWEST, win::THREAD_PRIORITY_BELOW_NORMAL,
                                   win::THREAD_PRIORITY_NORMAL, win::THREAD_PRIORITY_HIGHEST};
  if (level < 0 || level > 3) return 0;
  win::SetThreadPriority(thread->ThreadHandle, priorities[level]);
  return 0;
}

int Thread_Sleep(int milliseconds) {
  win::Sleep(static_cast<win::DWORD>(milliseconds < 0 ? 0 : milliseconds));
  return 0;
}

int Thread_Close(ThreadRecord* thread) {
  if (thread->ThreadHandle) win::CloseHandle(thread->ThreadHandle);
  thread->ThreadHandle = nullptr;
  return 0;
}

uint32_t Thread_GetId(ThreadRecord* thread) { return thread->ThreadID; }

int Thread_IsValid(ThreadRecord* thread) { return thread->ThreadHandle != nullptr ? 1 : 0; }

}  // namespace ZaDod
