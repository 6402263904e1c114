// Tests of media/graphics/half_scale: halving images for mip levels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/graphics/color_blit.h"
#include "tests/media/graphics/formats.h"

using namespace ZaDod;
using test::packed;

TEST(HalfScale, AveragesBlocksChannelByChannel) {
    const PixelFormatDesc argb = packed(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const uint32_t src[4] = {0xFF000000, 0xFF0000FF, 0x000000FF, 0x800000FF};  // 2 x 2
    uint32_t out = 0;
    ASSERT_EQ(GraphHalfScaleBlt(&argb, &out, 4, src, 8, 0, 0, 0, 0, 2, 2), 0);
    EXPECT_EQ(out & 0xFF, 191u);
    EXPECT_EQ(out >> 24, (255u + 255 + 0 + 128) >> 2);

    // A wider image takes the vector loop and its tail; rows of two pixels of 2 x 1 blocks.
    std::vector<uint32_t> wide(2 * 10), half(5);
    for (int i = 0; i < 20; ++i) wide[i] = 0x01010101u * static_cast<uint32_t>(i * 12);
    ASSERT_EQ(GraphHalfScaleBlt(&argb, half.data(), 20, wide.data(), 40, 0, 0, 0, 0, 10, 2), 0);
    for (int x = 0; x < 5; ++x) {
        const uint32_t v = (12 * (2 * x) + 12 * (2 * x + 1) + 12 * (2 * x + 10) + 12 * (2 * x + 11)) / 4;
        EXPECT_EQ(half[x], 0x01010101u * v) << x;
    }
    std::vector<uint32_t> row(4);
    const uint32_t pairs[2] = {0x000000FF, 0x00000000};
    ASSERT_EQ(GraphHalfScaleBlt(&argb, row.data(), 4, pairs, 8, 0, 0, 0, 0, 2, 1), 0);
    EXPECT_EQ(row[0], 0x7Fu);
    ASSERT_EQ(GraphHalfScaleBlt(&argb, row.data(), 4, pairs, 4, 0, 0, 0, 0, 1, 2), 0);
    EXPECT_EQ(row[0], 0x7Fu);

    // X8R8G8B8 keeps its spare byte set, like the blitter.
    const PixelFormatDesc xrgb = packed(32, 0xFF0000, 0xFF00, 0xFF, 0);
    const uint32_t x4[4] = {0, 0, 0, 4};
    ASSERT_EQ(GraphHalfScaleBlt(&xrgb, &out, 4, x4, 8, 0, 0, 0, 0, 2, 2), 0);
    EXPECT_EQ(out, 0xFF000001u);

    const PixelFormatDesc rgb565 = packed(16, 0xF800, 0x07E0, 0x001F, 0);
    const uint16_t s565[4] = {0xF800, 0x0000, 0x07E0, 0x001F};
    uint16_t o565 = 0;
    ASSERT_EQ(GraphHalfScaleBlt(&rgb565, &o565, 2, s565, 4, 0, 0, 0, 0, 2, 2), 0);
    EXPECT_EQ(o565, (7 << 11) | (15 << 5) | 7);
}

TEST(HalfScale, SizesAndLayouts) {
    const PixelFormatDesc argb = packed(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    std::vector<uint32_t> buf(6, 0x12345678), out(6, 0);
    EXPECT_EQ(GraphHalfScaleBlt(&argb, out.data(), 12, buf.data(), 12, 0, 0, 0, 0, 3, 2), -1);
    EXPECT_EQ(GraphHalfScaleBlt(&argb, out.data(), 12, buf.data(), 12, 0, 0, 0, 0, 2, 3), -1);
    EXPECT_EQ(out[0], 0u);
    ASSERT_EQ(GraphHalfScaleBlt(&argb, out.data(), 12, buf.data(), 12, 0, 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(out[0], 0x12345678u);

    const PixelFormatDesc rgb24 = packed(24, 0xFF0000, 0xFF00, 0xFF, 0);
    uint8_t p24[12] = {1, 2, 3}, o24[3] = {};
    EXPECT_EQ(GraphHalfScaleBlt(&rgb24, o24, 6, p24, 6, 0, 0, 0, 0, 2, 2), -1);
    EXPECT_EQ(GraphHalfScaleBlt(&rgb24, o24, 6, p24, 6, 0, 0, 0, 0, 1, 1), 0);
    EXPECT_EQ(o24[2], 3);

    // Channel layouts average each channel.
    PixelFormatDesc half4;
    CreateColorData(&half4, 0, 0, 0, 0, 0, 4, 16, 1);
    const uint16_t h[8] = {0x3C00, 0, 0, 0x3C00, 0x0000, 0, 0, 0x3C00};
    uint16_t ho[4] = {};
    ASSERT_EQ(GraphHalfScaleBlt(&half4, ho, 8, h, 16, 0, 0, 0, 0, 2, 1), 0);
    EXPECT_EQ(ho[0], 0x3800);
    EXPECT_EQ(ho[3], 0x3C00);
}
