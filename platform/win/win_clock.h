// Multimedia timer, performance counter and local time over clock_gettime and
// localtime_r. Tests can hold the monotonic clock still or step it in-process; held
// or not, timeGetTime and the performance counter read the same clock.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

using MMRESULT = UINT;
constexpr MMRESULT TIMERR_NOERROR = 0;

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// Monotonic milliseconds, wrapping at 32 bits.
DWORD timeGetTime();
// Milliseconds of a coarse monotonic clock: it moves in steps of the system's tick (a
// few milliseconds) and costs a fraction of a fine read. A test's hold does not stop it.
DWORD GetTickCount();
// Periods 1 to 1000000 ms.
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
// Always succeed; the clock is as fine as the system gives it anyway.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// Nanoseconds: the frequency is 1,000,000,000.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* counter);

void GetLocalTime(SYSTEMTIME* time);

// Test facility: hold the monotonic clock at a reading (nanoseconds), move a held
// clock by a step, or let it run again from the system clock.
void HoldClockForTest(long long nanoseconds);
void StepClockForTest(long long nanoseconds);
void ReleaseClockForTest();
// True while the clock is held.
bool IsClockHeldForTest();
// The monotonic clock in nanoseconds, held or not.
long long MonotonicNanoseconds();

}  // namespace plat::win
