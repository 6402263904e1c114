// String functions by code page.
#include "media/base/charcode_string.h"

#include <cstring>

#include "media/base/charcode.h"

namespace ZaDod {

namespace {

// Unit access by size; the loops below are written once for all three widths.
inline std::uint32_t unitAt(const void* s, std::size_t i, int unit) {
  switch (unit) {
    case 1: return static_cast<const std::uint8_t*>(s)[i];
    case 2: {
      std::uint16_t v;
      std::memcpy(&v, static_cast<const std::uint8_t*>(s) + 2 * i, 2);
      return v;
    }
    default: {
      std::uint32_t v;
      std::memcpy(&v, static_cast<const std::uint8_t*>(s) + 4 * i, 4);
      return v;
    }
  }
}

inline void setZero(void* s, std::size_t i, int unit) {
  std::memset(static_cast<std::uint8_t*>(s) + i * unit, 0, unit);
}

std::size_t lengthOf(const void* s, int unit) {
  if (unit == 1) return std::strlen(static_cast<const char*>(s));
  std::size_t n = 0;
  while (unitAt(s, n, unit)) ++n;
  return n;
}

// Copies at most limit units of source and stops at its terminator; returns the
// number copied.
std::size_t copyUnits(void* destination, const void* source, std::size_t limit, int unit) {
  std::size_t n = 0;
  while (n < limit && unitAt(source, n, unit)) ++n;
  std::memmove(destination, source, n * unit);
  return n;
}

int compareUnits(const void* a, const void* b, std::size_t limit, int unit) {
  for (std::size_t i = 0; i < limit; ++i) {
    const std::uint32_t x = unitAt(a, i, unit), y = unitAt(b, i, unit);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

}  // namespace

int CharCode_StrLen(int codePage, const void* string) {
  const int unit = CharCode_GetUnitSize(codePage);
  return unit < 0 ? 0 : static_cast<int>(lengthOf(string, unit));
}

void CharCode_StrCopy(int codePage, void* destination, const void* source) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return;
  setZero(destination, copyUnits(destination, source, SIZE_MAX, unit), unit);
}

void CharCode_StrCopyS(int codePage, void* destination, std::size_t size, const void* source) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0 || size < std::size_t(unit)) return;
  setZero(destination, copyUnits(destination, source, size / unit - 1, unit), unit);
}

void CharCode_StrNCopy(int codePage, void* destination, const void* source, int count) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0 || count <= 0) return;
  for (std::size_t i = copyUnits(destination, source, count, unit); i < std::size_t(count); ++i)
    setZero(destination, i, unit);
}

void CharCode_StrNCopyS(int codePage, void* destination, std::size_t size, const void* source, int count) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0 || size < std::size_t(unit)) return;
  if (std::size_t(count) > size / unit) count = static_cast<int>(size / unit);
  CharCode_StrNCopy(codePage, destination, source, count);
}

void CharCode_StrCat(int codePage, void* destination, const void* source) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return;
  CharCode_StrCopy(codePage, static_cast<std::uint8_t*>(destination) + lengthOf(destination, unit) * unit, source);
}

void CharCode_StrCatS(int codePage, void* destination, std::size_t size, const void* source) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return;
  const std::size_t used = lengthOf(destination, unit) * unit;
  if (used + unit >= size) return;
  CharCode_StrCopyS(codePage, static_cast<std::uint8_t*>(destination) + used, size - used, source);
}

int CharCode_StrCmp(int codePage, const void* s1, const void* s2) {
  const int unit = CharCode_GetUnitSize(codePage);
  return unit < 0 ? 0 : compareUnits(s1, s2, SIZE_MAX, unit);
}

int CharCode_StrCmpAscii(int codePage, const void* string, const char* ascii) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return 0;
  for (std::size_t i = 0;; ++i) {
    const std::uint32_t x = unitAt(string, i, unit), y = static_cast<std::uint8_t>(ascii[i]);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
}

int CharCode_StrNCmp(int codePage, const void* s1, const void* s2, int count) {
  const int unit = CharCode_GetUnitSize(codePage);
  return unit < 0 || count <= 0 ? 0 : compareUnits(s1, s2, count, unit);
}

const void* CharCode_StrChr(int codePage, const void* string, std::uint32_t code) {
  if (CharCode_GetUnitSize(codePage) < 0) return nullptr;
  const auto* p = static_cast<const std::uint8_t*>(string);
  for (int bytes;; p += bytes) {
    const std::uint32_t c = GetCharCodeBase(p, codePage, &bytes);
    if (!c) return nullptr;
    if (c == code) return p;
  }
}

const void* CharCode_StrStr(int codePage, const void* string, const void* substring) {
  const int unit = CharCode_GetUnitSize(codePage);
  if (unit < 0) return nullptr;
  const std::size_t length = lengthOf(string, unit), wanted = lengthOf(substring, unit);
  if (!length) return nullptr;
  const auto* s = static_cast<const std::uint8_t*>(string);
  for (std::size_t at = 0; at + wanted <= length; ++at)
    if (std::memcmp(s + at * unit, substring, wanted * unit) == 0) return s + at * unit;
  return nullptr;
}

void* CharCode_StrUpr(int codePage, void* string) {
  if (CharCode_GetUnitSize(codePage) < 0) return string;
  auto* p = static_cast<std::uint8_t*>(string);
  for (int bytes;; p += bytes) {
    const std::uint32_t c = GetCharCodeBase(p, codePage, &bytes);
    if (!c) break;
    if (c >= 'a' && c <= 'z') PutCharCodeNoLimit(c - 32, codePage, p);
  }
  return string;
}

int CharCode_StrToInt(int codePage, const void* string) {
  if (!string || CharCode_GetUnitSize(codePage) < 0) return 0;
  const auto* p = static_cast<const std::uint8_t*>(string);
  int bytes;
  std::uint32_t c;
  while ((c = GetCharCodeBase(p, codePage, &bytes)) && c != '-' && (c < '0' || c > '9')) p += bytes;
  if (!c) return 0;
  const bool negative = c == '-';
  if (negative) p += bytes;
  std::uint32_t value = 0;
  while ((c = GetCharCodeBase(p, codePage, &bytes)) >= '0' && c <= '9') {
    value = value * 10 + (c - '0');
    p += bytes;
  }
  return static_cast<int>(negative ? 0u - value : value);
}

void* CharCode_IntToStr(int codePage, int value, void* destination, int radix) {
  if (CharCode_GetUnitSize(codePage) < 0) return destination;
  if (radix < 2 || radix > 36) radix = 10;
  char digits[40];
  int n = 0;
  // The magnitude is taken unsigned so that the most negative value has one.
  std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  do {
    const std::uint32_t d = magnitude % radix;
    digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
    magnitude /= radix;
  } while (magnitude);
  auto* out = static_cast<std::uint8_t*>(destination);
  if (value < 0) out += PutCharCodeNoLimit('-', codePage, out);
  while (n) out += PutCharCodeNoLimit(static_cast<std::uint8_t>(digits[--n]), codePage, out);
  std::memset(out, 0, CharCode_GetUnitSize(codePage));
  return destination;
}

}  // namespace ZaDod
