// File times: 100-nanosecond units since 1601-01-01.
#include "platform/win/filetime.h"

#include <ctime>

namespace plat::win {

namespace {

constexpr std::int64_t UnitsPerSecond = 10000000;
constexpr std::int64_t SecondsFrom1601To1970 = 11644473600;
// 30827-12-31 23:59:59.999, the last instant SYSTEMTIME can hold.
constexpr std::uint64_t LastFileTime = 0x7FFF35F4F06C7FFFull;

std::uint64_t value(const FILETIME* t) { return (std::uint64_t{t->dwHighDateTime} << 32) | t->dwLowDateTime; }

FILETIME make(std::uint64_t v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

}  // namespace

FILETIME fileTimeFromPosix(std::int64_t seconds, std::int64_t nanoseconds) {
  const std::int64_t since1601 = seconds + SecondsFrom1601To1970;
  if (since1601 < 0) return make(0);
  return make(static_cast<std::uint64_t>(since1601) * UnitsPerSecond + static_cast<std::uint64_t>(nanoseconds / 100));
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  const std::uint64_t v = value(fileTime);
  const std::time_t posix =
      static_cast<std::time_t>(static_cast<std::int64_t>(v / UnitsPerSecond) - SecondsFrom1601To1970);
  std::tm local;
  if (!localtime_r(&posix, &local)) return FALSE;
  const std::int64_t shifted =
      static_cast<std::int64_t>(v) + static_cast<std::int64_t>(local.tm_gmtoff) * UnitsPerSecond;
  if (shifted < 0) return FALSE;
  *localFileTime = make(static_cast<std::uint64_t>(shifted));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  const std::uint64_t v = value(fileTime);
  if (v > LastFileTime) return FALSE;
  const std::uint64_t seconds = v / UnitsPerSecond;
  // Days since 1601-01-01, a Monday; then the civil date by 400-year cycles.
  std::int64_t days = static_cast<std::int64_t>(seconds / 86400);
  const std::uint64_t inDay = seconds % 86400;
  systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
  // Shift to a year that starts on 1 March so the leap day comes last.
  const std::int64_t d = days + 306;  // counted from 1600-03-01
  const std::int64_t era = d / 146097;
  const std::int64_t doe = d - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = 1600 + era * 400 + yoe + (month <= 2 ? 1 : 0);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wHour = static_cast<WORD>(inDay / 3600);
  systemTime->wMinute = static_cast<WORD>(inDay / 60 % 60);
  systemTime->wSecond = static_cast<WORD>(inDay % 60);
  systemTime->wMilliseconds = static_cast<WORD>(v % UnitsPerSecond / 10000);
  return TRUE;
}

}  // namespace plat::win
