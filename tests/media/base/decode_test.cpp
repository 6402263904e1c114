// Tests of media/base/decode: decoders of the layer's packed data.
#include "media/base/decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/base/packed_text_code.h"

using namespace ZaDod;

namespace {

std::vector<unsigned char> stream(std::initializer_list<unsigned char> bytes) { return bytes; }

std::string decodeLZ(const std::vector<unsigned char>& s)
{
    const int size = DecompressLZBounded(s.data(), s.size(), nullptr, 0);
    if (size < 0) return "<fail>";
    std::string out(size, '\0');
    return DecompressLZBounded(s.data(), s.size(), out.data(), out.size()) == size ? out : "<fail>";
}

}  // namespace

TEST(DecompressLZ, MatchesAndEscapes)
{
    const auto ab = stream({8, 0, 0, 0, 14, 0, 0, 0, 0xFF, 0x41, 0x42, 0xFF, 0x10, 0x01});
    EXPECT_EQ(decodeLZ(ab), "ABABABAB");
    char out[8];
    EXPECT_EQ(DecompressLZ(ab.data(), nullptr), 8);
    EXPECT_EQ(DecompressLZ(ab.data(), out), 8);
    EXPECT_EQ(std::string(out, 8), "ABABABAB");
    // A code above the escape is stored one higher.
    EXPECT_EQ(decodeLZ(stream({8, 0, 0, 0, 14, 0, 0, 0, 0x10, 0x41, 0x42, 0x10, 0x11, 0x01})), "ABABABAB");
    EXPECT_EQ(decodeLZ(stream({40, 0, 0, 0, 14, 0, 0, 0, 0xFF, 0x41, 0xFF, 0x1C, 0x01, 0x00})), std::string(40, 'A'));
    EXPECT_EQ(decodeLZ(stream({3, 0, 0, 0, 14, 0, 0, 0, 0x41, 0x41, 0x41, 0x42, 0x41, 0x41})), "ABA");
    // Mode 3: the previous distance plus one; before any match the previous distance is 0.
    EXPECT_EQ(decodeLZ(stream({5, 0, 0, 0, 12, 0, 0, 0, 0xFF, 0x41, 0xFF, 0x03})), "AAAAA");
    EXPECT_EQ(decodeLZ(stream({11, 0, 0, 0, 17, 0, 0, 0, 0xFF, 'a', 'b', 'c', 0xFF, 0x00, 0x01, 0xFF, 0x03})), "abcbcbccbcc");
}

TEST(DecompressLZ, HostileStreamsFail)
{
    // distance beyond what was produced
    EXPECT_EQ(decodeLZ(stream({8, 0, 0, 0, 13, 0, 0, 0, 0xFF, 0x41, 0xFF, 0x10, 0x05})), "<fail>");
    // a match running past the declared size
    EXPECT_EQ(decodeLZ(stream({4, 0, 0, 0, 14, 0, 0, 0, 0xFF, 0x41, 0x42, 0xFF, 0x10, 0x01})), "<fail>");
    // stored size beyond the input, and a code cut off
    EXPECT_EQ(decodeLZ(stream({8, 0, 0, 0, 40, 0, 0, 0, 0xFF, 0x41})), "<fail>");
    EXPECT_EQ(decodeLZ(stream({8, 0, 0, 0, 11, 0, 0, 0, 0xFF, 0x41, 0xFF})), "<fail>");
    EXPECT_EQ(decodeLZ(stream({8, 0, 0, 0, 12, 0, 0, 0, 0xFF, 0x41, 0xFF, 0x11})), "<fail>");
    // output shorter than declared, header shorter than itself
    EXPECT_EQ(decodeLZ(stream({9, 0, 0, 0, 10, 0, 0, 0, 0xFF, 0x41})), "<fail>");
    EXPECT_EQ(decodeLZ(stream({1, 0, 0, 0, 5, 0, 0, 0, 0xFF})), "<fail>");
    EXPECT_EQ(DecompressLZBounded("\x01\0\0\0", 4, nullptr, 0), -1);
    const auto ok = stream({8, 0, 0, 0, 14, 0, 0, 0, 0xFF, 0x41, 0x42, 0xFF, 0x10, 0x01});
    char small[7];
    EXPECT_EQ(DecompressLZBounded(ok.data(), ok.size(), small, sizeof small), -1);
}

TEST(DecodeTextPackedData, SymbolTable)
{
    for (int v = 0; v < 128; ++v) {
        EXPECT_EQ(PackedTextValues[PackedTextSymbols[v]], v);
        EXPECT_NE(PackedTextSymbols[v], '"');
        EXPECT_NE(PackedTextSymbols[v], '\\');
    }
    EXPECT_EQ(PackedTextValues[0], 0xFF);
}

TEST(DecodeTextPackedData, CutBlobsFail)
{
    // Size 8 declared, but only one group of symbols follows.
    std::string blob;
    const std::uint64_t header = std::uint64_t(8) << 3;
    for (int i = 4; i >= 0; --i) blob += static_cast<char>(PackedTextSymbols[header >> (7 * i) & 0x7F]);
    EXPECT_EQ(DecodeTextPackedData(blob.c_str(), nullptr), 8);
    blob += std::string(8, static_cast<char>(PackedTextSymbols[0]));
    char out[8];
    EXPECT_EQ(DecodeTextPackedData(blob.c_str(), out), -1);
    blob += std::string(2, static_cast<char>(PackedTextSymbols[0]));
    EXPECT_EQ(DecodeTextPackedData(blob.c_str(), out), 8);
    EXPECT_EQ(DecodeTextPackedDataBounded(blob.c_str(), blob.size() - 1, out, 8), -1);
    EXPECT_EQ(DecodeTextPackedDataBounded(blob.c_str(), blob.size(), out, 7), -1);
    EXPECT_EQ(DecodeTextPackedData("ab", nullptr), -1);
}
