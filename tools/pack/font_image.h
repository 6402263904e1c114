// Writer of "FNTF" font data images (see docs/font-data-image.md), shared by the
// fallback-font generator, the tests and the fuzz seeds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvorine::pack {

struct FontImageGlyph {
    std::uint32_t code = 0;
    int drawX = 0, drawY = 0, advance = 0, width = 0, height = 0;
    std::uint32_t pitch = 0;
    std::vector<std::uint8_t> bits;  // pitch x height bytes
    bool pack = false;               // stored LZ-compressed
};

struct FontImageSpec {
    std::u16string name;
    std::uint16_t thickness = 4, size = 16, cellHeight = 16, leading = 0;
    std::uint8_t italic = 0;
    std::uint16_t cellWidth = 8, charSet = 0, codePage = 65535, baseLine = 12;
    std::uint32_t kind = 0;  // 0: 1 bit a pixel, 1: 4 bits, 2: 8 bits
    std::vector<FontImageGlyph> glyphs;
};

std::vector<std::uint8_t> writeFontImage(const FontImageSpec& spec);

}  // namespace halvorine::pack
