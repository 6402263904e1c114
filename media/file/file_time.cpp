#include "media/file/file_time.h"

#include "platform/win/filetime.h"

namespace ZaDod {

int FileTimeToDateTime(std::uint64_t fileTime, DateData* date)
{
  const plat::win::FILETIME utc{static_cast<plat::win::DWORD>(fileTime), static_cast<plat::win::DWORD>(fileTime >> 32)};
  plat::win::FILETIME local;
  plat::win::SYSTEMTIME calendar;
  if (!plat::win::FileTimeToLocalFileTime(&utc, &local) || !plat::win::FileTimeToSystemTime(&local, &calendar)) {
    *date = DateData{};
    return -1;
  }
  date->Year = calendar.wYear;
  date->Mon = calendar.wMonth;
  date->Day = calendar.wDay;
  date->Hour = calendar.wHour;
  date->Min = calendar.wMinute;
  date->Sec = calendar.wSecond;
  return 0;
}

}  // namespace ZaDod
