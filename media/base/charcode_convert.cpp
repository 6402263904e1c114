// Whole-string conversion. Pages with a direct route (Shift-JIS and the Unicode
// pages among each other, and each of them toward the raw-byte page) go code
// point by code point and skip a character that does not fit, so a later shorter
// one may still be kept; other pairs take the general path through the character
// codes, which stops at the first character that does not fit.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/charcode_tables.h"

namespace ZaDod {

namespace {

bool hasDirectRoute(int cp) {
  return cp == CodePageShiftJis || cp == CodePageUtf16LE || cp == CodePageUtf16BE || cp == CodePageUtf8 ||
         cp == CodePageUtf32LE || cp == CodePageUtf32BE;
}

int copySamePage(const std::uint8_t* src, std::uint8_t* dst, std::size_t size, int unit) {
  if (unit < 0) return -1;
  size -= size % unit;  // a room that is no whole number of units loses its odd bytes
  if (size < std::size_t(unit)) return 0;
  static const std::uint8_t zero[4] = {};
  std::size_t written = 0;
  while (size - written > std::size_t(unit) && std::memcmp(src + written, zero, unit) != 0) {
    if (dst) std::memcpy(dst + written, src + written, unit);
    written += unit;
  }
  if (dst) std::memset(dst + written, 0, unit);
  return static_cast<int>(written + unit);
}

int convertDirect(const std::uint8_t* src, int sourcePage, std::uint8_t* dst, std::size_t size, int destinationPage) {
  const std::size_t terminator = CharCode_GetUnitSize(destinationPage);
  if (size < terminator) return 0;
  const CharCodeTable& sjis = charCodeTable(charCodeTableIndex(CodePageShiftJis));
  std::size_t written = 0;
  for (int bytes;; src += bytes) {
    std::uint32_t code = GetCharCodeBase(src, sourcePage, &bytes);
    if (!code) break;
    if (sourcePage == CodePageShiftJis) code = code <= 0xFFFF ? sjis.toUnicode[code] : 0;
    if (destinationPage == CodePageShiftJis) code = code <= 0xFFFF ? sjis.fromUnicode[code] : 0;
    else if (destinationPage == CodePageRawByte && code > 0xFF) code = 0;
    if (!code) continue;  // no such character in the destination page
    const std::size_t room = size - written - terminator;
    const int w = PutCharCodeBase(code, destinationPage, dst ? dst + written : nullptr, room);
    written += w;  // 0 when it does not fit: skipped
  }
  if (dst) std::memset(dst + written, 0, terminator);
  return static_cast<int>(written + terminator);
}

int convertGeneral(const std::uint8_t* src, int sourcePage, std::uint8_t* dst, std::size_t size, int destinationPage) {
  const int terminator = PutCharCodeBase(0, destinationPage, nullptr, size);
  if (!terminator) return 0;
  // Between two table-driven pages the tables are looked up directly.
  const int sourceTable = charCodeTableIndex(sourcePage), destinationTable = charCodeTableIndex(destinationPage);
  const std::uint16_t* toUnicode = nullptr;
  const std::uint16_t* fromUnicode = nullptr;
  if (sourceTable >= 0 && destinationTable >= 0) {
    toUnicode = charCodeTable(sourceTable).toUnicode;
    fromUnicode = charCodeTable(destinationTable).fromUnicode;
  }
  std::size_t written = 0;
  if (CharCode_GetUnitSize(sourcePage) > 0) {
    for (int bytes;; src += bytes) {
      const std::uint32_t code = GetCharCodeBase(src, sourcePage, &bytes);
      if (!code) break;
      const std::uint32_t converted = toUnicode ? (code <= 0xFFFF ? fromUnicode[toUnicode[code]] : 0)
                                                : ConvertCharCodeBase(code, sourcePage, destinationPage);
      if (!converted) continue;  // no such character in the destination page
      const std::size_t remaining = size - written;
      const int w = PutCharCodeBase(converted, destinationPage, nullptr, remaining);
      if (!w || remaining < std::size_t(terminator + w)) break;
      if (dst) PutCharCodeBase(converted, destinationPage, dst + written, remaining);
      written += w;
      if (size - written <= std::size_t(terminator)) break;
    }
  }
  if (dst) PutCharCodeBase(0, destinationPage, dst + written, size - written);
  return static_cast<int>(written + terminator);
}

}  // namespace

int ConvertString(const void* source, int sourceCodePage, void* destination, std::size_t destinationSize,
                  int destinationCodePage) {
  static const std::uint8_t empty[4] = {};
  const auto* src = source ? static_cast<const std::uint8_t*>(source) : empty;
  auto* dst = static_cast<std::uint8_t*>(destination);
  if (destinationSize > 0x7FFFFFFF) destinationSize = 0x7FFFFFFF;
  if (sourceCodePage == destinationCodePage)
    return copySamePage(src, dst, destinationSize, CharCode_GetUnitSize(sourceCodePage));
  if (hasDirectRoute(sourceCodePage) && (hasDirectRoute(destinationCodePage) || destinationCodePage == CodePageRawByte))
    return convertDirect(src, sourceCodePage, dst, destinationSize, destinationCodePage);
  return convertGeneral(src, sourceCodePage, dst, destinationSize, destinationCodePage);
}

}  // namespace ZaDod
