// The symbols of packed-text blobs: 128 printable bytes, one per 7-bit value. The
// decoder, the packer and the generators all read this one definition. The set
// avoids '"' and '\' so that a blob sits in a C++ string literal unescaped, apart
// from the bytes above 0x7F.
#pragma once
#include <array>
#include <cstdint>

namespace ZaDod {

constexpr std::array<std::uint8_t, 128> makePackedTextSymbols() {
  std::array<std::uint8_t, 128> symbols{};
  int n = 0;
  for (int c = 0x21; c <= 0x7E; ++c)
    if (c != '"' && c != '\\') symbols[n++] = static_cast<std::uint8_t>(c);
  for (int c = 0xA0; n < 128; ++c) symbols[n++] = static_cast<std::uint8_t>(c);
  return symbols;
}

// 0xFF marks a byte that is not a symbol (the terminator among them).
constexpr std::array<std::uint8_t, 256> makePackedTextValues() {
  std::array<std::uint8_t, 256> values{};
  for (auto& v : values) v = 0xFF;
  const auto symbols = makePackedTextSymbols();
  for (int i = 0; i < 128; ++i) values[symbols[i]] = static_cast<std::uint8_t>(i);
  return values;
}

inline constexpr std::array<std::uint8_t, 128> PackedTextSymbols = makePackedTextSymbols();
inline constexpr std::array<std::uint8_t, 256> PackedTextValues = makePackedTextValues();

// Header: five symbols carry the 32-bit output size (the top 32 of their 35 bits).
// Body: each group of up to 7 bytes takes one symbol more than it has bytes.
constexpr int PackedTextHeaderSymbols = 5;

}  // namespace ZaDod
