// The media layer's three clocks.
#include "media/base/clock.h"

#include <atomic>

#include "media/base/maths.h"
#include "media/system/winapi.h"
#include "platform/win/filetime.h"
#include "platform/win/win_clock.h"

namespace ZaDod {

namespace win = plat::win;

namespace {

std::atomic<int> performanceCounterFlag{0};
std::atomic<long long> performanceCounterFrequency{0};

}  // namespace

namespace {

void fromSystemTime(const win::SYSTEMTIME& time, DATEDATA* date) {
  date->Year = time.wYear;
  date->Mon = time.wMonth;
  date->Day = time.wDay;
  date->Hour = time.wHour;
  date->Min = time.wMinute;
  date->Sec = time.wSecond;
}

}  // namespace

int GetLocalDateTime(DATEDATA* date) {
  win::SYSTEMTIME now;
  win::GetLocalTime(&now);
  fromSystemTime(now, date);
  return 0;
}

int FileTimeToDateTime(std::uint64_t fileTime, DATEDATA* date) {
  const win::FILETIME utc{static_cast<win::DWORD>(fileTime), static_cast<win::DWORD>(fileTime >> 32)};
  win::FILETIME local;
  win::SYSTEMTIME calendar;
  if (!win::FileTimeToLocalFileTime(&utc, &local) || !win::FileTimeToSystemTime(&local, &calendar)) {
    *date = DATEDATA{};
    return -1;
  }
  fromSystemTime(calendar, date);
  return 0;
}

int GetMillisecondCount(int) {
  if (!WinmmFunctionsLoaded(1)) return -1;
  return static_cast<int>(WinAPI.timeGetTimeFunc() & 0x7FFFFFFF);
}

long long GetMicrosecondCount(int) {
  if (!WinmmFunctionsLoaded(0)) return -1;
  long long frequency = performanceCounterFrequency.load(std::memory_order_relaxed);
  if (performanceCounterFlag.load(std::memory_order_relaxed) && frequency > 0) {
    win::LARGE_INTEGER counter;
    win::QueryPerformanceCounter(&counter);
    uint64_t product[2];
    uint64_t micro;
    // Formed in 128 bits: the counter times a million overflows 64 bits after a few hours.
    MultiplyUInt64To128(static_cast<uint64_t>(counter.QuadPart), 1000000u, product);
    DivideUInt128ByUInt64(product, static_cast<uint64_t>(frequency), &micro);
    return static_cast<long long>(micro);
  }
  return static_cast<long long>(WinAPI.timeGetTimeFunc()) * 1000;
}

int SetupPerformanceCounter() {
  win::LARGE_INTEGER frequency{0};
  if (!win::QueryPerformanceFrequency(&frequency)) frequency.QuadPart = 0;
  performanceCounterFrequency.store(frequency.QuadPart, std::memory_order_relaxed);
  int flag = frequency.QuadPart != 0 ? 1 : 0;
  performanceCounterFlag.store(flag, std::memory_order_relaxed);
  return flag;
}

int ClearPerformanceCounterFlag() {
  performanceCounterFlag.store(0, std::memory_order_relaxed);
  return 0;
}

int GetPerformanceCounterFlag() { return performanceCounterFlag.load(std::memory_order_relaxed); }

long long GetPerformanceCounterFrequency() { return performanceCounterFrequency.load(std::memory_order_relaxed); }

}  // namespace ZaDod
