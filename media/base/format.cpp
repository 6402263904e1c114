// The layer's printf engine.
#include "media/base/format.h"

#include <cstdint>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/format_float.h"
#include "media/base/memory.h"

namespace ZaDod {

namespace {

// The output: a character is written only when it and the terminator fit, and
// after the first one that does not nothing more is written.
struct Output {
  std::uint8_t* at;
  std::size_t left;
  int page;
  int terminator;
  bool full = false;

  bool put(std::uint32_t code) {
    if (full) return false;
    if (code < 0x80 && terminator == 1) {  // every one-byte page writes ASCII as itself
      if (left < 2) return full = true, false;
      *at++ = static_cast<std::uint8_t>(code);
      --left;
      return true;
    }
    const int w = PutCharCodeBase(code, page, nullptr, left);
    if (!w || left < std::size_t(w) + terminator) return full = true, false;
    PutCharCodeBase(code, page, at, left);
    at += w;
    left -= w;
    return true;
  }
  void repeat(std::uint32_t code, std::uint64_t count) {
    while (count-- && put(code)) {
    }
  }
  void ascii(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length && put(static_cast<std::uint8_t>(text[i])); ++i) {
    }
  }
};

enum Size { SizeNone = -1, SizeH, SizeL, SizeLL, SizeW, SizeI, SizeI32, SizeI64 };

struct Directive {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = -1, precision = -1;
  int size = SizeNone;
};

struct Arguments {
  va_list list;
};

void putInteger(Output& out, const Directive& how, std::uint64_t magnitude, bool negative, int radix, bool upper,
                bool isSigned) {
  const char* digitSet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[24];
  int count = 0;
  for (std::uint64_t v = magnitude; v; v /= radix) digits[count++] = digitSet[v % radix];
  if (!magnitude && how.precision == 0) digits[count++] = '0';
  const std::uint64_t precision = how.precision < 0 ? 1 : static_cast<std::uint64_t>(how.precision);
  const std::uint64_t zeros = precision > std::uint64_t(count) ? precision - count : 0;
  char sign = 0;
  if (isSigned) sign = negative ? '-' : how.plus ? '+' : how.space ? ' ' : 0;
  const char* prefix = !how.alternate ? "" : radix == 8 ? "0" : radix == 16 ? (upper ? "0X" : "0x") : "";
  const std::size_t prefixLength = std::strlen(prefix);
  const std::uint64_t used = prefixLength + (sign ? 1 : 0) + zeros + count;
  const std::uint64_t width = how.width < 0 ? 0 : static_cast<std::uint64_t>(how.width);
  const std::uint64_t padding = width > used ? width - used : 0;
  const bool zeroPad = how.zero && !how.left && how.precision < 0;
  if (!how.left && !zeroPad) out.repeat(' ', padding);
  if (sign) out.put(static_cast<std::uint8_t>(sign));
  out.ascii(prefix, prefixLength);
  if (zeroPad) out.repeat('0', padding);
  out.repeat('0', zeros);
  while (count) out.put(static_cast<std::uint8_t>(digits[--count]));
  if (how.left) out.repeat(' ', padding);
}

void putFloat(Output& out, const Directive& how, char type, double value) {
  FloatText text;
  formatFloat(value, type, how.precision, how.alternate, text);
  const char sign = text.negative ? '-' : how.plus ? '+' : how.space ? ' ' : 0;
  const std::uint64_t length = text.headLength + text.zeroCount + text.tailLength + (sign ? 1 : 0);
  const std::uint64_t width = how.width < 0 ? 0 : static_cast<std::uint64_t>(how.width);
  const std::uint64_t padding = width > length ? width - length : 0;
  const bool zeroPad = how.zero && !how.left;
  if (!how.left && !zeroPad) out.repeat(' ', padding);
  if (sign) out.put(static_cast<std::uint8_t>(sign));
  if (zeroPad) out.repeat('0', padding);
  out.ascii(text.head, text.headLength);
  out.repeat('0', text.zeroCount);
  out.ascii(text.tail, text.tailLength);
  if (how.left) out.repeat(' ', padding);
}

void putCharacter(Output& out, const Directive& how, int argument, int argumentPage) {
  const int unit = CharCode_GetUnitSize(argumentPage);
  const std::uint32_t code = unit == 1   ? argument & 0xFF
                             : unit == 2 ? argument & 0xFFFF
                                         : static_cast<std::uint32_t>(argument);
  // A character without a code in the output page prints only its padding.
  const std::uint32_t converted = unit < 0 ? 0 : ConvertCharCodeBase(code, argumentPage, out.page);
  const std::uint64_t padding = how.width > 1 ? how.width - 1 : 0;
  if (!how.left) out.repeat(how.zero ? '0' : ' ', padding);
  if (converted) out.put(converted);
  if (how.left) out.repeat(' ', padding);
}

void putString(Output& out, const Directive& how, const void* argument, int argumentPage) {
  if (!argument) return;
  std::uint8_t local[512];
  void* allocated = nullptr;
  const void* text = argument;
  if (argumentPage != out.page) {
    const int needed = ConvertString(argument, argumentPage, nullptr, 0x7FFFFFFF, out.page);
    if (needed <= 0) return;
    void* buffer = local;
    if (std::size_t(needed) > sizeof local && !(buffer = allocated = MemAlloc(needed, "format.cpp", __LINE__))) return;
    ConvertString(argument, argumentPage, buffer, needed, out.page);
    text = buffer;
  }
  const int unit = CharCode_GetUnitSize(out.page);
  // The length in units; a precision cuts it, at a character boundary.
  const auto* start = static_cast<const std::uint8_t*>(text);
  const auto* end = start;
  const std::uint64_t limit = how.precision < 0 ? UINT64_MAX : std::uint64_t(how.precision) * unit;
  for (int bytes;; end += bytes) {
    if (!GetCharCodeBase(end, out.page, &bytes) || std::uint64_t(end - start) + bytes > limit) break;
  }
  const std::uint64_t length = (end - start) / unit;
  const std::uint64_t width = how.width < 0 ? 0 : static_cast<std::uint64_t>(how.width);
  const std::uint64_t padding = width > length ? width - length : 0;
  if (!how.left) out.repeat(how.zero ? '0' : ' ', padding);
  for (const std::uint8_t* p = start; p < end && !out.full;) {
    int bytes;
    out.put(GetCharCodeBase(p, out.page, &bytes));
    p += bytes;
  }
  if (how.left) out.repeat(' ', padding);
  MemFree(allocated);
}

bool isSizeLetter(std::uint32_t c) { return c == 'I' || c == 'h' || c == 'l' || c == 'w'; }

// Runs one conversion starting after its '%'. Returns the index at which ordinary
// text goes on.
std::size_t convert(Output& out, const std::uint32_t* codes, std::size_t i, Arguments& args, int wideFormat,
                    int narrowPage, int widePage) {
  Directive how;
  bool flagsDone = false, precisionStarted = false, sizeSeen = false;
  for (;;) {
    const std::uint32_t c = codes[i];
    if ((c == ' ' || c == '#' || c == '+' || c == '-') && !flagsDone) {
      (c == ' ' ? how.space : c == '#' ? how.alternate : c == '+' ? how.plus : how.left) = true;
      ++i;
    } else if (c == '*' && !sizeSeen) {
      (precisionStarted ? how.precision : how.width) = va_arg(args.list, int);
      ++i;
    } else if (c == '.' && !precisionStarted) {
      flagsDone = precisionStarted = true;
      how.precision = 0;
      ++i;
    } else if (c >= '0' && c <= '9' && !sizeSeen) {
      if (!precisionStarted && !flagsDone && c == '0') {
        how.zero = true;
        ++i;
        continue;
      }
      std::int64_t value = 0;
      for (int n = 0; codes[i] >= '0' && codes[i] <= '9' && n < 1024; ++i, ++n)
        value = value * 10 + (codes[i] - '0') > 0x7FFFFFFF ? 0x7FFFFFFF : value * 10 + (codes[i] - '0');
      (precisionStarted ? how.precision : how.width) = static_cast<int>(value);
      flagsDone = true;
    } else if (isSizeLetter(c) && !sizeSeen) {
      if (c == 'I' && codes[i + 1] == '3' && codes[i + 2] == '2') how.size = SizeI32, i += 3;
      else if (c == 'I' && codes[i + 1] == '6' && codes[i + 2] == '4') how.size = SizeI64, i += 3;
      else if (c == 'l' && codes[i + 1] == 'l') how.size = SizeLL, i += 2;
      else how.size = c == 'I' ? SizeI : c == 'h' ? SizeH : c == 'l' ? SizeL : SizeW, ++i;
      sizeSeen = flagsDone = precisionStarted = true;
    } else if (c == 'Z') {
      return i + 1;
    } else {
      break;
    }
  }
  const std::uint32_t type = codes[i];
  const bool wide64 = how.size == SizeLL || how.size == SizeI64;
  const int lowerPage = wideFormat ? widePage : narrowPage;  // 'c' and 's'
  const int upperPage = wideFormat ? narrowPage : widePage;  // 'C' and 'S'
  switch (type) {
    case 'c':
    case 'C': putCharacter(out, how, va_arg(args.list, int), type == 'c' ? lowerPage : upperPage); break;
    case 's':
    case 'S': putString(out, how, va_arg(args.list, const void*), type == 's' ? lowerPage : upperPage); break;
    case 'd':
    case 'i': {
      std::int64_t v = wide64 ? va_arg(args.list, long long) : va_arg(args.list, int);
      if (how.size == SizeH) v = static_cast<std::int16_t>(v);
      const std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
      putInteger(out, how, magnitude, v < 0, 10, false, true);
      break;
    }
    case 'o':
    case 'u':
    case 'x':
    case 'X': {
      std::uint64_t v = wide64 ? va_arg(args.list, unsigned long long) : va_arg(args.list, unsigned);
      if (how.size == SizeH) v = static_cast<std::uint16_t>(v);
      putInteger(out, how, v, false, type == 'o' ? 8 : type == 'u' ? 10 : 16, type == 'X', false);
      break;
    }
    case 'p': {
      Directive pointer = how;
      pointer.precision = 8;  // at least eight digits, more when the pointer needs them
      putInteger(out, pointer, reinterpret_cast<std::uintptr_t>(va_arg(args.list, void*)), false, 16, true, false);
      break;
    }
    case 'n': va_arg(args.list, void*); break;  // consumed so later arguments stay in step; nothing is stored
    case 'e':
    case 'E':
    case 'f':
    case 'g':
    case 'G':
    case 'a':
    case 'A': putFloat(out, how, static_cast<char>(type), va_arg(args.list, double)); break;
    default: return i;  // not a conversion: the text goes on from this code
  }
  return i + 1;
}

}  // namespace

int CharCode_VSNPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                       std::size_t size, const void* format, va_list args) {
  const int unit = CharCode_GetUnitSize(formatCodePage);
  if (unit < 0 || !format) return -1;
  if (size > 0x7FFFFFFF) size = 0x7FFFFFFF;
  Output out{static_cast<std::uint8_t*>(destination), size * unit, formatCodePage, unit};
  if (!destination || out.left < std::size_t(unit)) return 0;

  std::uint32_t local[1024];
  std::uint32_t* codes = local;
  const int codeBytes = CharCode_StrToCodeArray(format, formatCodePage, nullptr);
  if (std::size_t(codeBytes) > sizeof local) {
    codes = static_cast<std::uint32_t*>(MemAlloc(codeBytes, "format.cpp", __LINE__));
    if (!codes) {
      std::memset(destination, 0, unit);
      return -1;
    }
  }
  CharCode_StrToCodeArray(format, formatCodePage, codes);

  Arguments arguments;
  va_copy(arguments.list, args);
  for (std::size_t i = 0; codes[i] && !out.full;) {
    if (codes[i] != '%') {
      out.put(codes[i++]);
      continue;
    }
    if (codes[i + 1] == '%') {
      out.put('%');
      i += 2;
      continue;
    }
    i = convert(out, codes, i + 1, arguments, wideFormat, narrowCodePage, wideCodePage);
    if (out.left <= std::size_t(unit)) break;
  }
  va_end(arguments.list);
  std::memset(out.at, 0, unit);
  if (codes != local) MemFree(codes);
  return 0;
}

int CharCode_VSPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                      const void* format, va_list args) {
  return CharCode_VSNPrintf(formatCodePage, wideFormat, narrowCodePage, wideCodePage, destination, 0x7FFFFFFF, format,
                            args);
}

int CharCode_SNPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                      std::size_t size, const void* format, ...) {
  va_list args;
  va_start(args, format);
  const int result =
      CharCode_VSNPrintf(formatCodePage, wideFormat, narrowCodePage, wideCodePage, destination, size, format, args);
  va_end(args);
  return result;
}

int CharCode_SPrintf(int formatCodePage, int wideFormat, int narrowCodePage, int wideCodePage, void* destination,
                     const void* format, ...) {
  va_list args;
  va_start(args, format);
  const int result =
      CharCode_VSPrintf(formatCodePage, wideFormat, narrowCodePage, wideCodePage, destination, format, args);
  va_end(args);
  return result;
}

int VSNPrintfA(char* destination, std::size_t size, const char* format, va_list args) {
  const int narrow = GetDefaultNarrowCodePage();
  return CharCode_VSNPrintf(narrow, 0, narrow, GetDefaultWideCodePage(), destination, size, format, args);
}

int VSNPrintfW(char16_t* destination, std::size_t size, const char16_t* format, va_list args) {
  const int wide = GetDefaultWideCodePage();
  return CharCode_VSNPrintf(wide, 1, GetDefaultNarrowCodePage(), wide, destination, size, format, args);
}

int SNPrintfA(char* destination, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = VSNPrintfA(destination, size, format, args);
  va_end(args);
  return result;
}

int SNPrintfW(char16_t* destination, std::size_t size, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = VSNPrintfW(destination, size, format, args);
  va_end(args);
  return result;
}

int SPrintfW(char16_t* destination, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = VSNPrintfW(destination, 0x7FFFFFFF, format, args);
  va_end(args);
  return result;
}

}  // namespace ZaDod
