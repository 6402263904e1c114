// The conversion tables of the table-driven code pages.
#include "media/base/charcode_tables.h"

#include <bit>
#include <mutex>

#include "media/base/charcode.h"
#include "media/base/decode.h"

namespace ZaDod {

namespace {

CharCodeTable tables[CharCodeTableCount];
// Each table is built on its first use: the East Asian ones cost millions of
// instructions, and most runs convert only single-byte texts, or nothing.
std::once_flag tableBuilt[CharCodeTableCount];

void buildTable(int i) {
  PackedCharCodeTable& packed = PackedCharCodeTables[i];
  CharCodeTable& table = tables[i];
  // The blob becomes the LZ stream in its own storage; the stream then
  // expands straight into the to-Unicode table.
  const int lzSize = DecodeTextPackedData(packed.data, packed.data);
  const int size = lzSize < 9 ? -1
                              : DecompressLZBounded(packed.data, static_cast<std::size_t>(lzSize), table.toUnicode,
                                                    sizeof table.toUnicode);
  const int codes = size < 0 ? 0 : size / 2;
  if constexpr (std::endian::native == std::endian::big)
    for (int c = 0; c < codes; ++c)
      table.toUnicode[c] = static_cast<std::uint16_t>(table.toUnicode[c] << 8 | table.toUnicode[c] >> 8);
  // Ascending order: where several codes share a code point the highest wins.
  for (int c = 1; c < codes; ++c)
    if (const std::uint16_t u = table.toUnicode[c]) table.fromUnicode[u] = static_cast<std::uint16_t>(c);
}

}  // namespace

int charCodeTableIndex(int codePage) {
  switch (codePage) {
    case CodePageShiftJis: return 0;
    case CodePageGbk: return 1;
    case CodePageUhc: return 2;
    case CodePageBig5: return 3;
    case CodePageWestern: return 4;
    case CodePageLatin1: return 5;
    default: return -1;
  }
}

const CharCodeTable& charCodeTable(int index) {
  std::call_once(tableBuilt[index], buildTable, index);
  return tables[index];
}

// Nothing to build at start: each table is built by its first conversion.
int SetupCharCodeTables() { return 0; }

}  // namespace ZaDod
