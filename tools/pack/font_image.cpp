// Writer of "FNTF" font data images: the fixed head, the LZ-packed header with the
// metrics and glyph entries, and the glyph bitmaps behind it.
#include "tools/pack/font_image.h"

#include <algorithm>
#include <cstring>

#include "tools/pack/lz_encode.h"

namespace halvorine::pack {

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> writeFontImage(const FontImageSpec& spec) {
    const std::size_t count = spec.glyphs.size();
    std::vector<std::uint8_t> header(368 + 32 * count, 0);
    std::memcpy(header.data(), "FNTF", 4);
    for (std::size_t i = 0; i < spec.name.size() && i < 127; ++i) put16(header, 24 + 2 * i, spec.name[i]);
    put16(header, 280, spec.thickness);
    put16(header, 282, spec.size);
    put16(header, 284, spec.cellHeight);
    put16(header, 286, spec.leading);
    header[288] = spec.italic;
    put16(header, 290, spec.cellWidth);
    put16(header, 292, spec.charSet);
    put16(header, 294, spec.codePage);
    put16(header, 296, spec.baseLine);
    put32(header, 300, spec.kind);

    std::vector<std::uint8_t> bits;
    std::uint32_t large = 0, maxUnpacked = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const FontImageGlyph& g = spec.glyphs[i];
        const std::size_t e = 368 + 32 * i;
        put32(header, e, g.code);
        header[e + 4] = g.pack ? 1 : 0;
        put16(header, e + 6, static_cast<std::uint16_t>(g.drawX));
        put16(header, e + 8, static_cast<std::uint16_t>(g.drawY));
        put16(header, e + 10, static_cast<std::uint16_t>(g.advance));
        put16(header, e + 12, static_cast<std::uint16_t>(g.width));
        put16(header, e + 14, static_cast<std::uint16_t>(g.height));
        put32(header, e + 16, static_cast<std::uint32_t>(bits.size()));
        put32(header, e + 20, g.pitch);
        if (g.code >= 0x10000) ++large;
        if (g.pack) {
            const std::vector<std::uint8_t> packed = encodeLZ(g.bits.data(), g.bits.size());
            bits.insert(bits.end(), packed.begin(), packed.end());
            maxUnpacked = std::max(maxUnpacked, static_cast<std::uint32_t>(g.bits.size()));
        } else {
            bits.insert(bits.end(), g.bits.begin(), g.bits.end());
        }
    }
    const std::vector<std::uint8_t> packedHeader = encodeLZ(header.data() + 24, header.size() - 24);
    std::vector<std::uint8_t> image(24, 0);
    std::memcpy(image.data(), "FNTF", 4);
    put32(image, 8, static_cast<std::uint32_t>(24 + packedHeader.size()));
    put32(image, 12, maxUnpacked);
    put32(image, 16, static_cast<std::uint32_t>(count));
    put32(image, 20, large);
    image.insert(image.end(), packedHeader.begin(), packedHeader.end());
    image.insert(image.end(), bits.begin(), bits.end());
    return image;
}

}  // namespace halvorine::pack
