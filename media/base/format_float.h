// Internal to the formatting engine: the text of a floating conversion.
#pragma once
#include <cstdint>

namespace ZaDod {

// The text without sign and padding: head, then zeroCount '0' characters, then
// tail. Zeros past the value's exact digits are only counted, so a huge precision
// costs no memory.
struct FloatText {
  char head[1600];
  int headLength;
  std::uint64_t zeroCount;
  char tail[16];
  int tailLength;
  bool negative;  // print a '-'
};

// type is one of e E f g G a A; precision < 0 means not given.
void formatFloat(double value, char type, int precision, bool alternate, FloatText& text);

}  // namespace ZaDod
