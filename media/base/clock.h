// The media layer's three clocks: local date and time, a millisecond count and a
// microsecond count. The microsecond clock uses the performance counter once library
// start-up has found one; before that it is the millisecond timer x 1000.
#pragma once
#include <cstdint>

namespace ZaDod {

struct DATEDATA {
  int Year;
  int Mon;
  int Day;
  int Hour;
  int Min;
  int Sec;
};

int GetLocalDateTime(DATEDATA* date);
// A file time (100-ns units since 1601, UTC) as local date and time, for the file and
// archive code. A time that cannot be converted gives all fields 0 and -1.
int FileTimeToDateTime(std::uint64_t fileTime, DATEDATA* date);
// 31 bits, never negative: wraps to 0 after about 24.8 days. -1 when the multimedia
// timer functions cannot be loaded.
int GetMillisecondCount(int unused = 0);
// -1 (all bits set) when the multimedia timer functions are not loaded.
long long GetMicrosecondCount(int unused = 0);

// Reads the performance-counter frequency; the flag is set when it is non-zero.
// Returns the flag.
int SetupPerformanceCounter();
// Falls back to the multimedia timer (start-up does this when the counter proves coarser).
int ClearPerformanceCounterFlag();
int GetPerformanceCounterFlag();
long long GetPerformanceCounterFrequency();

}  // namespace ZaDod
