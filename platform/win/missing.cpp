// The test hook that switches stand-ins off.
#include "platform/win/missing.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace plat::win {

namespace {

bool sameNoCase(const char* a, size_t aLength, const char* b) {
  if (std::strlen(b) != aLength) return false;
  for (size_t i = 0; i < aLength; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool IsStandInMissing(const char* name) {
  const char* list = std::getenv("HALVORINE_MISSING");
  if (list == nullptr || name == nullptr) return false;
  const char* p = list;
  while (*p != '\0') {
    const char* end = std::strchr(p, ',');
    if (end == nullptr) end = p + std::strlen(p);
    const char* first = p;
    const char* last = end;
    while (first < last && isBlank(*first)) ++first;
    while (last > first && isBlank(last[-1])) --last;
    if (last > first && sameNoCase(first, static_cast<size_t>(last - first), name)) return true;
    p = *end == ',' ? end + 1 : end;
  }
  return false;
}

}  // namespace plat::win
