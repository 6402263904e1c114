// Tests of the packers in tools/pack.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "media/base/decode.h"
#include "tools/pack/lz_encode.h"
#include "tools/pack/text_pack.h"

using namespace halvorine::pack;

namespace {

std::vector<std::uint8_t> roundTripLZ(const std::vector<std::uint8_t>& data)
{
    const std::vector<std::uint8_t> packed = encodeLZ(data.data(), data.size());
    EXPECT_EQ(ZaDod::DecompressLZ(packed.data(), nullptr), static_cast<int>(data.size()));
    std::vector<std::uint8_t> out(data.size() + 1);
    EXPECT_EQ(ZaDod::DecompressLZBounded(packed.data(), packed.size(), out.data(), out.size()), static_cast<int>(data.size()));
    out.resize(data.size());
    return out;
}

std::vector<std::vector<std::uint8_t>> samples()
{
    std::vector<std::vector<std::uint8_t>> all = {{}, {7}, {0xFF, 0xFF, 0xFF}};
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(5000), runs, text;
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (int i = 0; i < 20000; ++i) runs.push_back(static_cast<std::uint8_t>(i / 700));
    const std::string words = "the quick brown fox jumps over the lazy dog ";
    for (int i = 0; i < 3000; ++i) text.push_back(static_cast<std::uint8_t>(words[(i * 7 + i / 50) % words.size()]));
    // Every byte value present, so the escape byte appears as a literal, plus
    // long-range repeats that need three distance bytes.
    std::vector<std::uint8_t> everything;
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 256; ++i) everything.push_back(static_cast<std::uint8_t>(i));
    std::vector<std::uint8_t> far(noise);
    far.resize(70000 + 5000);
    std::copy(noise.begin(), noise.end(), far.begin() + 70000);
    all.insert(all.end(), {noise, runs, text, everything, far, std::vector<std::uint8_t>(9000, 0xAB)});
    return all;
}

}  // namespace

TEST(PackTools, LZRoundTrips)
{
    for (const auto& data : samples()) EXPECT_EQ(roundTripLZ(data), data) << data.size();
}

TEST(PackTools, LZCompressesRepeats)
{
    std::vector<std::uint8_t> runs(20000, 3);
    EXPECT_LT(encodeLZ(runs.data(), runs.size()).size(), 40u);
}

TEST(PackTools, TextRoundTripsInPlace)
{
    for (const auto& data : samples()) {
        std::string blob = packText(data.data(), data.size());
        EXPECT_EQ(blob.size(), 5 + data.size() / 7 * 8 + (data.size() % 7 ? data.size() % 7 + 1 : 0));
        std::vector<std::uint8_t> out(data.size());
        EXPECT_EQ(ZaDod::DecodeTextPackedData(blob.c_str(), out.data()), static_cast<int>(data.size()));
        EXPECT_EQ(out, data);
        EXPECT_EQ(ZaDod::DecodeTextPackedData(blob.data(), blob.data()), static_cast<int>(data.size()));
        EXPECT_EQ(std::vector<std::uint8_t>(blob.begin(), blob.begin() + data.size()), data);
    }
}

TEST(PackTools, LiteralHasNoQuotesOrBackslashesOfItsOwn)
{
    std::vector<std::uint8_t> data(4000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37);
    const std::string literal = packedTextLiteral(packText(data.data(), data.size()));
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] == '\\') {
            EXPECT_TRUE(literal[i + 1] == '?' || (literal[i + 1] >= '0' && literal[i + 1] <= '3'));
            ++i;
        }
    }
    EXPECT_EQ(literal.find("??"), std::string::npos);
}
