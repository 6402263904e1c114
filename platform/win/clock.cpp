// Multimedia timer, performance counter and local time over clock_gettime and localtime_r.
#include "platform/win/win_clock.h"

#include <atomic>
#include <ctime>

namespace plat::win {
namespace {

std::atomic<bool> held{false};
std::atomic<long long> heldNanoseconds{0};

long long monotonicNanoseconds() {
  if (held.load(std::memory_order_acquire)) return heldNanoseconds.load(std::memory_order_relaxed);
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

DWORD timeGetTime() { return static_cast<DWORD>(static_cast<unsigned long long>(monotonicNanoseconds() / 1000000)); }

DWORD GetTickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<DWORD>(static_cast<unsigned long long>(now.tv_sec) * 1000u + now.tv_nsec / 1000000);
}

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (!caps || size < sizeof(TIMECAPS)) return 97;  // the "bad parameter" code of the timer family
  caps->wPeriodMin = 1;
  caps->wPeriodMax = 1000000;
  return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1000000000LL;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter) {
  if (!counter) return FALSE;
  counter->QuadPart = monotonicNanoseconds();
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* time) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  tm local;
  localtime_r(&now.tv_sec, &local);
  time->wYear = static_cast<WORD>(local.tm_year + 1900);
  time->wMonth = static_cast<WORD>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time->wDay = static_cast<WORD>(local.tm_mday);
  time->wHour = static_cast<WORD>(local.tm_hour);
  time->wMinute = static_cast<WORD>(local.tm_min);
  time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);  // no leap second here
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

void HoldClockForTest(long long nanoseconds) {
  heldNanoseconds.store(nanoseconds, std::memory_order_relaxed);
  held.store(true, std::memory_order_release);
}

void StepClockForTest(long long nanoseconds) {
  if (!held.load(std::memory_order_acquire)) HoldClockForTest(monotonicNanoseconds());
  heldNanoseconds.fetch_add(nanoseconds, std::memory_order_relaxed);
}

void ReleaseClockForTest() { held.store(false, std::memory_order_release); }

bool IsClockHeldForTest() { return held.load(std::memory_order_acquire); }

long long MonotonicNanoseconds() { return monotonicNanoseconds(); }

}  // namespace plat::win
