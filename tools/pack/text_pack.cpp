// Packer of printable-text blobs, the inverse of DecodeTextPackedData.
#include "tools/pack/text_pack.h"

#include <stdexcept>

#include "media/base/packed_text_code.h"

namespace halvorine::pack {

namespace {

void putSymbols(std::string& out, std::uint64_t bits, int count)
{
    for (int i = count - 1; i >= 0; --i) out += static_cast<char>(ZaDod::PackedTextSymbols[(bits >> (7 * i)) & 0x7F]);
}

}  // namespace

std::string packText(const std::uint8_t* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu) throw std::length_error("packed text holds at most 4 GB");
    std::string out;
    out.reserve(ZaDod::PackedTextHeaderSymbols + size / 7 * 8 + 8);
    putSymbols(out, std::uint64_t(size) << 3, ZaDod::PackedTextHeaderSymbols);
    std::size_t at = 0;
    for (; size - at >= 7; at += 7) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 7; ++i) bits = bits << 8 | data[at + i];
        putSymbols(out, bits, 8);
    }
    if (const std::size_t left = size - at) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < left; ++i) bits = bits << 8 | data[at + i];
        const int symbols = static_cast<int>(left) + 1;
        putSymbols(out, bits << (symbols * 7 - left * 8), symbols);
    }
    return out;
}

std::string packedTextLiteral(const std::string& blob)
{
    static const char digits[] = "01234567";
    std::string out = "\"";
    int column = 0;
    for (unsigned char c : blob) {
        if (column >= 100) {
            out += "\"\n    \"";
            column = 0;
        }
        if (c == '?') {
            out += "\\?";  // no trigraphs, whatever the compiler's mode
            column += 2;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++column;
        } else {
            out += '\\';
            out += digits[c >> 6];
            out += digits[(c >> 3) & 7];
            out += digits[c & 7];
            column += 4;
        }
    }
    out += "\"";
    return out;
}

}  // namespace halvorine::pack
