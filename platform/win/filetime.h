// File times: 100-nanosecond units since 1601-01-01 (UTC, or local time after
// FileTimeToLocalFileTime), and their calendar form.
#pragma once
#include <cstdint>

#include "platform/win/types.h"
#include "platform/win/win_clock.h"

namespace plat::win {

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// Local time through the C library's time-zone rules at that instant.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
// Calendar fields; FALSE for times past the year 30827.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

// A POSIX time (seconds and nanoseconds since 1970, UTC) as a file time; times
// before 1601 become 0.
FILETIME fileTimeFromPosix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace plat::win
