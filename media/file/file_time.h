// Calendar dates of the media layer: the record that the local clock and the file
// and archive code fill.
#pragma once
#include <cstdint>

namespace ZaDod {

struct DateData {
  int Year;
  int Mon;
  int Day;
  int Hour;
  int Min;
  int Sec;
};

// A file time (100-ns units since 1601, UTC) as local date and time. A time that
// cannot be converted gives all fields 0 and -1.
int FileTimeToDateTime(std::uint64_t fileTime, DateData* date);

}  // namespace ZaDod
