// Text decoding on arbitrary bytes: the input, read in a chosen source page, is
// converted to every page with chosen destination sizes and run through the string
// functions that read by characters; the same bytes go through both decoders.
// Every buffer is allocated at its exact size so that any overrun is seen.
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/charcode_string.h"
#include "media/base/decode.h"

using namespace ZaDod;

namespace {

const int pages[] = {932, 936, 949, 950, 1252, 32764, 32765, 1200, 1201, 32766, 32767, 65001};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const int source = pages[data[0] % std::size(pages)];
    const std::size_t sizeSeed = data[1];
    data += 2;
    size -= 2;

    // The text ends with a terminator of the widest unit, right at the buffer's end.
    std::vector<std::uint8_t> text(data, data + size);
    text.resize((size + 3) / 4 * 4 + 4, 0);
    CharCode_GetCharCount(text.data(), source);
    CharCode_StrToInt(source, text.data());
    std::vector<std::uint8_t> upper(text);
    CharCode_StrUpr(source, upper.data());

    for (int destination : pages) {
        const int needed = ConvertString(text.data(), source, nullptr, 0x7FFFFFFF, destination);
        for (std::size_t room : {std::size_t(needed > 0 ? needed : 0), sizeSeed, sizeSeed / 4 * 4 + 4}) {
            std::vector<std::uint8_t> out(room);
            ConvertString(text.data(), source, out.data(), out.size(), destination);
        }
    }

    const int lzSize = DecompressLZBounded(data, size, nullptr, 0);
    if (lzSize >= 0 && lzSize <= (1 << 20)) {
        std::vector<std::uint8_t> out(lzSize);
        DecompressLZBounded(data, size, out.data(), out.size());
    }
    const int packedSize = DecodeTextPackedDataBounded(data, size, nullptr, 0);
    if (packedSize >= 0 && packedSize <= (1 << 20)) {
        std::vector<std::uint8_t> out(packedSize);
        DecodeTextPackedDataBounded(data, size, out.data(), out.size());
        std::vector<std::uint8_t> inPlace(text);
        DecodeTextPackedData(inPlace.data(), inPlace.data());
    }
    return 0;
}
