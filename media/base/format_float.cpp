// Floating-point text. Digits come from the value's exact decimal expansion; a
// first dropped digit of 6 or more (9 or more in hexadecimal) adds one unit at the
// last printed place, so 0.125 prints as 0.12 and 0.126 as 0.13 at precision 2.
#include <cstring>

#include "media/base/format_float.h"

namespace ZaDod {

namespace {

// value = 0.d[0]d[1]... x 10^exponent; count 0 means zero.
struct Decimal {
  char digits[800];
  int count;
  int exponent;

  char at(int i) const { return i >= 0 && i < count ? digits[i] : '0'; }
};

// Unsigned big integer, 32-bit words, least significant first.
struct Big {
  std::uint32_t words[84];
  int size;

  void multiply(std::uint32_t by) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size; ++i) {
      const std::uint64_t v = std::uint64_t(words[i]) * by + carry;
      words[i] = static_cast<std::uint32_t>(v);
      carry = v >> 32;
    }
    if (carry) words[size++] = static_cast<std::uint32_t>(carry);
  }

  void shiftLeft(int bits) {
    const int whole = bits / 32, part = bits % 32;
    if (part) {
      std::uint32_t carry = 0;
      for (int i = 0; i < size; ++i) {
        const std::uint32_t w = words[i];
        words[i] = w << part | carry;
        carry = w >> (32 - part);
      }
      if (carry) words[size++] = carry;
    }
    if (whole) {
      std::memmove(words + whole, words, size * sizeof words[0]);
      std::memset(words, 0, whole * sizeof words[0]);
      size += whole;
    }
  }

  // Divides in place, returns the remainder.
  std::uint32_t divide(std::uint32_t by) {
    std::uint64_t rest = 0;
    for (int i = size - 1; i >= 0; --i) {
      const std::uint64_t v = rest << 32 | words[i];
      words[i] = static_cast<std::uint32_t>(v / by);
      rest = v % by;
    }
    while (size && !words[size - 1]) --size;
    return static_cast<std::uint32_t>(rest);
  }
};

void exactDecimal(std::uint64_t mantissa, int binaryExponent, Decimal& out) {
  while (!(mantissa & 1)) mantissa >>= 1, ++binaryExponent;
  Big n{};
  n.words[0] = static_cast<std::uint32_t>(mantissa);
  n.words[1] = static_cast<std::uint32_t>(mantissa >> 32);
  n.size = n.words[1] ? 2 : 1;
  int fractionDigits = 0;
  if (binaryExponent >= 0) {
    n.shiftLeft(binaryExponent);
  } else {
    // m / 2^k = m * 5^k / 10^k
    fractionDigits = -binaryExponent;
    int k = fractionDigits;
    for (; k >= 13; k -= 13) n.multiply(1220703125u);  // 5^13
    std::uint32_t rest = 1;
    while (k--) rest *= 5;
    n.multiply(rest);
  }
  char reversed[800];
  int count = 0;
  while (n.size) {
    std::uint32_t chunk = n.divide(1000000000u);
    for (int i = 0; i < 9; ++i, chunk /= 10) reversed[count++] = static_cast<char>('0' + chunk % 10);
  }
  while (count && reversed[count - 1] == '0') --count;
  int skip = 0;
  while (skip < count && reversed[skip] == '0') ++skip;  // trailing zeros of the value
  out.count = count - skip;
  for (int i = 0; i < out.count; ++i) out.digits[i] = reversed[count - 1 - i];
  out.exponent = count - fractionDigits;
}

// Keeps the digits before index keep.
void roundAt(Decimal& d, int keep) {
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    return;
  }
  const bool up = d.digits[keep] >= '6';
  d.count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') --i;
    if (i < 0) {
      d.digits[0] = '1';
      d.count = 1;
      ++d.exponent;
      return;
    }
    ++d.digits[i];
    d.count = i + 1;
  }
  while (d.count && d.digits[d.count - 1] == '0') --d.count;
}

struct Builder {
  FloatText& text;
  void put(char c) { text.head[text.headLength++] = c; }
  // count digits of d from index first: materialised while exact, then counted.
  void digits(const Decimal& d, int first, int count) {
    int i = 0;
    for (; i < count && first + i < d.count; ++i) put(d.at(first + i));
    text.zeroCount = static_cast<std::uint64_t>(count - i);
  }
  void tail(const char* s) {
    while (*s) text.tail[text.tailLength++] = *s++;
  }
};

void fixedForm(Decimal d, int precision, bool alternate, Builder& b) {
  if (d.count) roundAt(d, d.exponent + precision);
  if (!d.count || d.exponent <= 0) b.put('0');
  else
    for (int i = 0; i < d.exponent; ++i) b.put(d.at(i));
  if (precision > 0 || alternate) b.put('.');
  b.digits(d, d.count ? d.exponent : 0, precision);
}

void exponentForm(Decimal d, int precision, bool alternate, char letter, Builder& b) {
  int exponent = 0;
  if (d.count) {
    roundAt(d, precision + 1);
    exponent = d.exponent - 1;
  }
  b.put(d.at(0));
  if (precision > 0 || alternate) b.put('.');
  b.digits(d, 1, precision);
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const char tail[] = {letter,
                       exponent < 0 ? '-' : '+',
                       static_cast<char>('0' + magnitude / 100),
                       static_cast<char>('0' + magnitude / 10 % 10),
                       static_cast<char>('0' + magnitude % 10),
                       0};
  b.tail(tail);
}

void generalForm(const Decimal& d, int precision, bool alternate, bool upper, Builder& b) {
  const int p = precision < 0 ? 6 : precision == 0 ? 1 : precision;
  Decimal rounded = d;
  if (rounded.count) roundAt(rounded, p);
  const int exponent = rounded.count ? rounded.exponent - 1 : 0;
  if (exponent >= -4 && exponent < p) fixedForm(d, p - 1 - exponent, alternate, b);
  else exponentForm(d, p - 1, alternate, upper ? 'E' : 'e', b);
  if (alternate) return;
  FloatText& t = b.text;
  t.zeroCount = 0;
  if (std::memchr(t.head, '.', t.headLength)) {
    while (t.head[t.headLength - 1] == '0') --t.headLength;
    if (t.head[t.headLength - 1] == '.') --t.headLength;
  }
}

void hexForm(std::uint64_t bits, int precision, bool alternate, bool upper, Builder& b) {
  const char* hex = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  const int p = precision < 0 ? 6 : precision;
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  std::uint64_t m = bits & ((std::uint64_t(1) << 52) - 1);
  int exponent = 0, lead = 0;
  if (biased || m) {
    lead = 1;
    if (biased) {
      exponent = biased - 1023;
    } else {
      exponent = -1022;
      while (!(m & (std::uint64_t(1) << 52))) m <<= 1, --exponent;
      m &= (std::uint64_t(1) << 52) - 1;
    }
    if (p < 13) {
      const int dropped = static_cast<int>(m >> (4 * (12 - p)) & 0xF);
      m >>= 4 * (13 - p);
      if (dropped >= 9 && ++m >> (4 * p)) m = 0, ++exponent;  // 1.FF..F rounds to 2 = 1.0 x 2
      m <<= 4 * (13 - p);
    }
  }
  b.put('0');
  b.put('x');
  b.put(hex[lead]);
  if (p > 0 || alternate) b.put('.');
  int i = 0;
  for (; i < p && i < 13; ++i) b.put(hex[m >> (4 * (12 - i)) & 0xF]);
  b.text.zeroCount = static_cast<std::uint64_t>(p - i);
  char tail[16] = {upper ? 'P' : 'p', exponent < 0 ? '-' : '+'};
  int magnitude = exponent < 0 ? -exponent : exponent, n = 2;
  char reversed[8];
  int r = 0;
  do reversed[r++] = static_cast<char>('0' + magnitude % 10), magnitude /= 10;
  while (magnitude);
  while (r) tail[n++] = reversed[--r];
  b.tail(tail);
}

void nonFinite(bool isNan, char type, int precision, bool alternate, Builder& b) {
  static const char* const nanTexts[] = {"1", "1.", "1.$", "1.#R", "1.#QO", "1.#QNB", "1.#QNAN"};
  static const char* const infTexts[] = {"1", "1.", "1.$", "1.#J", "1.#IO", "1.#INF"};
  const bool general = type == 'g' || type == 'G';
  const int p = general ? (precision < 0 ? 5 : precision - 1) : (precision < 0 ? 6 : precision);
  if (type == 'a' || type == 'A') b.put('0'), b.put('x');
  int length = 0;
  if (p <= 0) {
    b.put('1');
    if (alternate) b.put('.');
  } else {
    length = isNan ? (p < 5 ? p : 5) + 2 : (p < 4 ? p : 4) + 2;
    for (const char* s = (isNan ? nanTexts : infTexts)[length - 1]; *s; ++s) b.put(*s);
    if (!general && p + 2 > length) b.text.zeroCount = static_cast<std::uint64_t>(p + 2 - length);
  }
  if (type == 'e' || type == 'E') b.tail(type == 'e' ? "e+000" : "E+000");
  if (type == 'a' || type == 'A') b.tail(type == 'a' ? "p+0" : "P+0");
}

}  // namespace

void formatFloat(double value, char type, int precision, bool alternate, FloatText& text) {
  text.headLength = 0;
  text.zeroCount = 0;
  text.tailLength = 0;
  Builder b{text};
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool sign = bits >> 63;
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
  if (biased == 0x7FF) {
    // Of the non-finite values only negative infinity shows its sign.
    text.negative = sign && !fraction;
    nonFinite(fraction != 0, type, precision, alternate, b);
    return;
  }
  text.negative = sign;
  bits &= ~(std::uint64_t(1) << 63);
  if (type == 'a' || type == 'A') {
    hexForm(bits, precision, alternate, type == 'A', b);
    return;
  }
  Decimal d;
  d.count = 0;
  d.exponent = 0;
  if (biased || fraction)
    exactDecimal(biased ? fraction | std::uint64_t(1) << 52 : fraction, biased ? biased - 1075 : -1074, d);
  const int p = precision < 0 ? 6 : precision;
  switch (type) {
    case 'f': fixedForm(d, p, alternate, b); break;
    case 'e':
    case 'E': exponentForm(d, p, alternate, type, b); break;
    default: generalForm(d, precision, alternate, type == 'G', b); break;
  }
}

}  // namespace ZaDod
