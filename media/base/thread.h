// Locks and threads of the media layer. A lock remembers who took it last (source
// path, line, thread), which makes a deadlock readable in a debugger. A library thread
// is made suspended, so that its creator can finish setting it up and resume it when
// there is work.
#pragma once
#include <cstdint>

#include "platform/win/sync.h"

namespace ZaDod {

struct TrackedCriticalSection {
  plat::win::CRITICAL_SECTION CriticalSection;
  char FilePath[512];  // at most 511 characters and a terminator
  int FileLine;
  uint32_t ThreadID;
};

int CriticalSection_Initialize(TrackedCriticalSection* lock);
int CriticalSection_Delete(TrackedCriticalSection* lock);
// Re-entrant: each take needs its own unlock.
int CriticalSection_Lock(TrackedCriticalSection* lock, const char* filePath, int line);
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
