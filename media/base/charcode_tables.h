// Internal: the conversion tables of the table-driven code pages. Their packed
// to-Unicode data is generated at build time (tools/codepage_tables.cpp).
#pragma once
#include <cstdint>

namespace ZaDod {

struct PackedCharCodeTable {
  int codePage;
  char* data;  // packed-text blob of an LZ stream; decoded in place, once
};

// In the order 932, 936, 949, 950, 1252, 32764.
constexpr int CharCodeTableCount = 6;
extern PackedCharCodeTable PackedCharCodeTables[CharCodeTableCount];

// Index of a table-driven page in PackedCharCodeTables, -1 for other pages.
int charCodeTableIndex(int codePage);

struct CharCodeTable {
  std::uint16_t toUnicode[65536];    // by code of the page; 0: no character
  std::uint16_t fromUnicode[65536];  // by code point up to 0xFFFF; 0: no character
};

// The table of a table-driven page, built on first use.
const CharCodeTable& charCodeTable(int index);

}  // namespace ZaDod
