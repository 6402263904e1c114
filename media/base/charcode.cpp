// Code pages and conversion.
#include "media/base/charcode.h"

#include <cstdint>

#include "media/base/charcode_tables.h"

namespace ZaDod {

namespace {

inline bool isShiftJisLead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

inline bool isUnicodePage(int cp) {
  return cp == CodePageUtf16LE || cp == CodePageUtf16BE || cp == CodePageUtf32LE || cp == CodePageUtf32BE ||
         cp == CodePageUtf8;
}

// A lead byte followed by a zero byte reads as the terminator.
inline std::uint32_t readDoubleByte(const std::uint8_t* p, bool lead, int* bytes) {
  if (!lead) {
    if (bytes) *bytes = 1;
    return p[0];
  }
  if (bytes) *bytes = p[1] ? 2 : 1;
  return p[1] ? std::uint32_t(p[0]) << 8 | p[1] : 0;
}

inline std::uint32_t readUtf16(const std::uint8_t* p, bool bigEndian, int* bytes) {
  auto unit = [bigEndian](const std::uint8_t* q) -> std::uint32_t {
    return bigEndian ? q[0] << 8 | q[1] : q[1] << 8 | q[0];
  };
  const std::uint32_t high = unit(p);
  if (bytes) *bytes = 2;
  if (high < 0xD800 || high > 0xDBFF) return high;
  const std::uint32_t low = unit(p + 2);
  if (!low) return 0;
  if (bytes) *bytes = 4;
  return ((high & 0x3FF) << 10 | (low & 0x3FF)) + 0x10000;
}

inline std::uint32_t readUtf8(const std::uint8_t* p, int* bytes) {
  const std::uint8_t b = p[0];
  int n;
  std::uint32_t code;
  if (b < 0x80) {
    if (bytes) *bytes = 1;
    return b;
  }
  if ((b & 0xE0) == 0xC0) n = 2, code = b & 0x1F;
  else if ((b & 0xF0) == 0xE0) n = 3, code = b & 0x0F;
  else if ((b & 0xF8) == 0xF0) n = 4, code = b & 0x07;
  else if ((b & 0xFC) == 0xF8) n = 5, code = b & 0x03;
  else if ((b & 0xFE) == 0xFC) n = 6, code = b & 0x01;
  else {
    if (bytes) *bytes = 1;
    return 0;
  }
  for (int i = 1; i < n; ++i) {
    if (!p[i]) {
      if (bytes) *bytes = 1;
      return 0;
    }
    code = code << 6 | (p[i] & 0x3F);
  }
  if (bytes) *bytes = n;
  return code;
}

inline int utf8Length(std::uint32_t code) {
  return code < 0x80          ? 1
         : code < 0x800       ? 2
         : code < 0x10000     ? 3
         : code < 0x200000    ? 4
         : code < 0x4000000   ? 5
         : code <= 0x7FFFFFFF ? 6
                              : 0;
}

}  // namespace

int CharCode_GetUnitSize(int codePage) {
  switch (codePage) {
    case CodePageShiftJis:
    case CodePageGbk:
    case CodePageUhc:
    case CodePageBig5:
    case CodePageWestern:
    case CodePageLatin1:
    case CodePageRawByte:
    case CodePageUtf8: return 1;
    case CodePageUtf16LE:
    case CodePageUtf16BE: return 2;
    case CodePageUtf32LE:
    case CodePageUtf32BE: return 4;
    default: return -1;
  }
}

int GetCodePageUnitSize(int codePage) { return CharCode_GetUnitSize(codePage); }

int CharCode_GetCharBytes(const void* string, int codePage) {
  const auto* p = static_cast<const std::uint8_t*>(string);
  switch (codePage) {
    case CodePageShiftJis: return isShiftJisLead(p[0]) ? 2 : 1;
    case CodePageGbk:
    case CodePageUhc:
    case CodePageBig5: return p[0] >= 0x80 ? 2 : 1;
    case CodePageWestern:
    case CodePageLatin1:
    case CodePageRawByte: return 1;
    case CodePageUtf32LE:
    case CodePageUtf32BE: return 4;
    case CodePageUtf16LE: return p[1] >= 0xD8 && p[1] <= 0xDB ? 4 : 2;
    case CodePageUtf16BE: return p[0] >= 0xD8 && p[0] <= 0xDB ? 4 : 2;
    case CodePageUtf8: {
      const std::uint8_t b = p[0];
      return b < 0x80             ? 1
             : (b & 0xE0) == 0xC0 ? 2
             : (b & 0xF0) == 0xE0 ? 3
             : (b & 0xF8) == 0xF0 ? 4
             : (b & 0xFC) == 0xF8 ? 5
             : (b & 0xFE) == 0xFC ? 6
                                  : -1;
    }
    default: return -1;
  }
}

std::uint32_t GetCharCodeBase(const void* string, int codePage, int* bytes) {
  const auto* p = static_cast<const std::uint8_t*>(string);
  switch (codePage) {
    case CodePageShiftJis: return readDoubleByte(p, isShiftJisLead(p[0]), bytes);
    case CodePageGbk:
    case CodePageUhc:
    case CodePageBig5: return readDoubleByte(p, p[0] >= 0x80, bytes);
    case CodePageWestern:
    case CodePageLatin1:
    case CodePageRawByte:
      if (bytes) *bytes = 1;
      return p[0];
    case CodePageUtf16LE: return readUtf16(p, false, bytes);
    case CodePageUtf16BE: return readUtf16(p, true, bytes);
    case CodePageUtf32LE:
      if (bytes) *bytes = 4;
      return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
    case CodePageUtf32BE:
      if (bytes) *bytes = 4;
      return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    case CodePageUtf8: return readUtf8(p, bytes);
    default: return 0;
  }
}

std::uint32_t GetCharCode(const void* string, int codePage, int* bytes) {
  return GetCharCodeBase(string, codePage, bytes);
}

int PutCharCodeBase(std::uint32_t code, int codePage, void* destination, std::size_t room) {
  auto* d = static_cast<std::uint8_t*>(destination);
  int n;
  switch (codePage) {
    case CodePageUtf8:
      n = utf8Length(code);
      if (!n || room < std::size_t(n)) return 0;
      if (d) {
        if (n == 1) {
          d[0] = static_cast<std::uint8_t>(code);
        } else {
          static const std::uint8_t leads[] = {0, 0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
          for (int i = n - 1; i > 0; --i, code >>= 6) d[i] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
          d[0] = static_cast<std::uint8_t>(leads[n] | code);
        }
      }
      return n;
    case CodePageUtf16LE:
    case CodePageUtf16BE: {
      if (code > 0x10FFFF) return 0;
      n = code < 0x10000 ? 2 : 4;
      if (room < std::size_t(n)) return 0;
      if (d) {
        std::uint32_t units[2] = {code, 0};
        if (n == 4) units[0] = 0xD800 | ((code - 0x10000) >> 10), units[1] = 0xDC00 | (code & 0x3FF);
        for (int i = 0; i < n / 2; ++i) {
          const std::uint8_t hi = static_cast<std::uint8_t>(units[i] >> 8), lo = static_cast<std::uint8_t>(units[i]);
          d[2 * i] = codePage == CodePageUtf16LE ? lo : hi;
          d[2 * i + 1] = codePage == CodePageUtf16LE ? hi : lo;
        }
      }
      return n;
    }
    case CodePageUtf32LE:
    case CodePageUtf32BE:
      if (room < 4) return 0;
      if (d)
        for (int i = 0; i < 4; ++i)
          d[codePage == CodePageUtf32LE ? i : 3 - i] = static_cast<std::uint8_t>(code >> (8 * i));
      return 4;
    case CodePageShiftJis:
    case CodePageGbk:
    case CodePageUhc:
    case CodePageBig5:
      if (code > 0xFFFF) return 0;
      n = code < 0x100 ? 1 : 2;
      if (room < std::size_t(n)) return 0;
      if (d) {
        if (n == 1) d[0] = static_cast<std::uint8_t>(code);
        else d[0] = static_cast<std::uint8_t>(code >> 8), d[1] = static_cast<std::uint8_t>(code);
      }
      return n;
    case CodePageWestern:
    case CodePageLatin1:
    case CodePageRawByte:
      if (code > 0xFF || room < 1) return 0;
      if (d) d[0] = static_cast<std::uint8_t>(code);
      return 1;
    default: return 0;
  }
}

int PutCharCode(std::uint32_t code, int codePage, void* destination, std::size_t room) {
  return PutCharCodeBase(code, codePage, destination, room);
}

int PutCharCodeNoLimit(std::uint32_t code, int codePage, void* destination) {
  return PutCharCodeBase(code, codePage, destination, SIZE_MAX);
}

const void* CharCode_GetCharPointer(const void* string, int codePage, int count) {
  if (count <= 0) return string;
  if (CharCode_GetUnitSize(codePage) < 0) return nullptr;
  const auto* p = static_cast<const std::uint8_t*>(string);
  for (int i = 0; i < count; ++i) {
    int bytes;
    if (!GetCharCodeBase(p, codePage, &bytes)) return nullptr;
    p += bytes;
  }
  return p;
}

int CharCode_GetCharCount(const void* string, int codePage) {
  if (CharCode_GetUnitSize(codePage) < 0) return 0;
  const auto* p = static_cast<const std::uint8_t*>(string);
  int count = 0;
  for (int bytes; GetCharCodeBase(p, codePage, &bytes); p += bytes) ++count;
  return count;
}

int CharCode_StrToCodeArray(const void* string, int codePage, std::uint32_t* codes) {
  const auto* p = static_cast<const std::uint8_t*>(string);
  int count = 0;
  if (CharCode_GetUnitSize(codePage) > 0) {
    for (int bytes;; p += bytes, ++count) {
      const std::uint32_t code = GetCharCodeBase(p, codePage, &bytes);
      if (!code) break;
      if (codes) codes[count] = code;
    }
  }
  if (codes) codes[count] = 0;
  return 4 * (count + 1);
}

std::uint32_t ConvertCharCodeBase(std::uint32_t code, int source, int destination) {
  if (source == destination) return code;
  if (source == CodePageRawByte) return code;
  const int sourceTable = charCodeTableIndex(source);
  const int destinationTable = charCodeTableIndex(destination);
  if (sourceTable >= 0) {
    if (destination == CodePageRawByte) return code <= 0xFF ? code : 0;
    if (code > 0xFFFF) return 0;
    const std::uint32_t u = charCodeTable(sourceTable).toUnicode[code];
    if (destinationTable >= 0) return charCodeTable(destinationTable).fromUnicode[u];
    return isUnicodePage(destination) ? u : 0;
  }
  if (!isUnicodePage(source)) return 0;
  if (isUnicodePage(destination)) return code;
  if (destination == CodePageRawByte) return code <= 0xFF ? code : 0;
  if (destinationTable >= 0) return code <= 0xFFFF ? charCodeTable(destinationTable).fromUnicode[code] : 0;
  return 0;
}

std::uint32_t ConvertCharCode(std::uint32_t code, int sourceCodePage, int destinationCodePage) {
  return ConvertCharCodeBase(code, sourceCodePage, destinationCodePage);
}

}  // namespace ZaDod
