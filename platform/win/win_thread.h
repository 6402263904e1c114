// Threads over pthreads. A thread's control block is shared by its handle and the
// running thread, so it outlives both. A thread handle can be waited for.
#pragma once
#include <cstdint>

#include "platform/win/sync.h"

namespace plat::win {

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;

constexpr DWORD CREATE_SUSPENDED = 0x4;

// Threads start with the default stack (stackSize is ignored), running unless flags
// hold CREATE_SUSPENDED, in which case they start at the first ResumeThread. The id is
// given at once; it is not the kernel's.
HANDLE CreateThread(void* security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags,
                    DWORD* threadId);
[[noreturn]] void ExitThread(DWORD exitCode);
// STILL_ACTIVE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Stands for "the calling thread"; it is not registered, so it cannot be closed or
// waited for.
inline HANDLE const CURRENT_THREAD_HANDLE = reinterpret_cast<HANDLE>(~std::uintptr_t(1));

// The handle of the calling thread, valid only on that thread.
HANDLE GetCurrentThread();
DWORD GetCurrentThreadId();

// Only the calling thread can suspend itself; it then blocks until resumed. A thread
// made with CREATE_SUSPENDED counts as suspended once. Both return the previous
// suspend count, or 0xFFFFFFFF on failure.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);

// Priorities are recorded and read back but do not change scheduling.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

// Sleep(0) yields the rest of the time slice.
void Sleep(DWORD milliseconds);
// Sleeps until the monotonic clock (MonotonicNanoseconds, running) reads the deadline;
// returns at once for a deadline already past. Signals do not cut it short.
void SleepUntilNanoseconds(long long deadline);

}  // namespace plat::win
