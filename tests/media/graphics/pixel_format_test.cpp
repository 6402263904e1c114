// Tests of media/graphics/pixel_format: pixel layouts.
#include "media/graphics/pixel_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "media/graphics/base_image.h"

using namespace ZaDod;

namespace {

GraphFormatRequest request(int colorBits, int alpha = 0, int alphaTest = 0, int drawable = 0) {
    GraphFormatRequest r{};
    r.colorBits = static_cast<uint8_t>(colorBits);
    r.alphaChannel = static_cast<uint8_t>(alpha);
    r.alphaTest = static_cast<uint8_t>(alphaTest);
    r.drawable = static_cast<uint8_t>(drawable);
    return r;
}

bool allZero(const PixelFormatDesc& d) {
    PixelFormatDesc zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&d, &zero, sizeof d) == 0;
}

}  // namespace

TEST(PixelFormatTable, RowsAndBounds) {
    EXPECT_EQ(GetPixelFormatDesc(47), nullptr);
    EXPECT_EQ(GetPixelFormatDesc(-1), nullptr);
    for (int i : {0, 1, 2, 3, 4, 5, 21}) EXPECT_TRUE(allZero(*GetPixelFormatDesc(i))) << i;

    const PixelFormatDesc* rgb565 = GetPixelFormatDesc(6);
    EXPECT_EQ(rgb565->colorBits, 16);
    EXPECT_EQ(rgb565->redWidth, 5);
    EXPECT_EQ(rgb565->greenWidth, 6);
    EXPECT_EQ(rgb565->greenLoc, 5);
    EXPECT_EQ(rgb565->unusedMask, 0u);
    EXPECT_EQ(GetPixelFormatDesc(7)->unusedMask, 0xFF000000u);
    EXPECT_EQ(GetPixelFormatDesc(7)->unusedLoc, 24);
    EXPECT_EQ(GetPixelFormatDesc(7)->unusedWidth, 8);

    EXPECT_EQ(GetPixelFormatDesc(12)->formatCode, 1);
    EXPECT_EQ(GetPixelFormatDesc(12)->colorBits, 4);
    EXPECT_EQ(GetPixelFormatDesc(20)->formatCode, 9);
    EXPECT_EQ(GetPixelFormatDesc(20)->colorBits, 8);

    const PixelFormatDesc* f4 = GetPixelFormatDesc(24);
    EXPECT_EQ(f4->channelCount, 4);
    EXPECT_EQ(f4->channelBits, 32);
    EXPECT_EQ(f4->floatFlag, 1);
    EXPECT_EQ(f4->bytesPerPixel, 16);
    EXPECT_EQ(f4->colorBits, 0);
    EXPECT_EQ(std::memcmp(GetPixelFormatDesc(35), GetPixelFormatDesc(9), sizeof(PixelFormatDesc)), 0);
    EXPECT_EQ(std::memcmp(GetPixelFormatDesc(46), GetPixelFormatDesc(32), sizeof(PixelFormatDesc)), 0);
}

TEST(PixelFormatSelect, PackedRequests) {
    auto sel = [](GraphFormatRequest r) { return SelectPixelFormatIndex(&r); };
    EXPECT_EQ(sel(request(16, 1)), 8);
    EXPECT_EQ(sel(request(16, 0, 1)), 10);
    EXPECT_EQ(sel(request(16)), 6);
    EXPECT_EQ(sel(request(32)), 7);
    EXPECT_EQ(sel(request(32, 1)), 9);
    EXPECT_EQ(sel(request(32, 0, 1)), 11);
    for (int bits : {16, 32}) {
        EXPECT_EQ(sel(request(bits, 1, 0, 1)), 35);
        EXPECT_EQ(sel(request(bits, 0, 1, 1)), 35);
    }
    EXPECT_EQ(sel(request(16, 0, 0, 1)), 33);
    EXPECT_EQ(sel(request(32, 0, 0, 1)), 34);
    // Palette rows win even for drawable requests.
    EXPECT_EQ(sel(request(4, 1, 0, 1)), 2);
    EXPECT_EQ(sel(request(4, 0, 1)), 4);
    EXPECT_EQ(sel(request(4)), 0);
    EXPECT_EQ(sel(request(8, 1)), 3);
    EXPECT_EQ(sel(request(8, 0, 1)), 5);
    EXPECT_EQ(sel(request(8)), 1);

    EXPECT_EQ(GetPixelFormatDescByFlags(1, 0, 0, 0), GetPixelFormatDesc(8));
    EXPECT_EQ(GetPixelFormatDescByFlags(0, 0, 1, 1), GetPixelFormatDesc(34));
}

TEST(PixelFormatSelect, ChannelFloatAndBlockRequests) {
    struct Case {
        int count, bits, colorBits, isFloat, drawable, block, want;
    };
    const Case cases[] = {
        {1, 0, 8, 0, 0, 0, 25},    {1, 16, 0, 0, 0, 0, 26},   {1, 0, 16, 1, 0, 0, 27},  {1, 32, 0, 1, 0, 0, 28},
        {1, 8, 0, 0, 1, 0, 39},    {1, 32, 0, 1, 1, 0, 42},   {2, 0, 16, 0, 0, 0, 29},  {2, 0, 32, 0, 0, 0, 30},
        {2, 8, 0, 0, 0, 0, 29},    {2, 16, 0, 0, 0, 0, 30},   {2, 0, 32, 1, 0, 0, 31},  {2, 0, 64, 1, 0, 0, 32},
        {2, 16, 0, 1, 1, 0, 45},   {2, 32, 0, 1, 1, 0, 46},   {4, 0, 128, 1, 0, 0, 24}, {4, 0, 64, 1, 0, 0, 23},
        {4, 32, 0, 1, 0, 0, 24},   {4, 16, 0, 0, 0, 0, 22},   {4, 16, 0, 0, 1, 0, 36},  {4, 0, 64, 1, 1, 0, 37},
        {4, 32, 0, 1, 1, 0, 38},   {0, 0, 32, 0, 0, 5, 16},   {0, 0, 32, 0, 0, 1, 12},  {1, 8, 0, 0, 0, 9, 20},
    };
    for (const Case& c : cases) {
        GraphFormatRequest r{};
        r.channelCount = static_cast<uint8_t>(c.count);
        r.channelBits = static_cast<uint8_t>(c.bits);
        r.colorBits = static_cast<uint8_t>(c.colorBits);
        r.floatFlag = static_cast<uint8_t>(c.isFloat);
        r.drawable = static_cast<uint8_t>(c.drawable);
        r.blockKind = static_cast<uint8_t>(c.block);
        EXPECT_EQ(SelectPixelFormatIndex(&r), c.want)
            << c.count << "x" << c.bits << " colour " << c.colorBits << " float " << c.isFloat;
    }
}

TEST(PixelFormatData, CreateColorDataAndUnusedMask) {
    PixelFormatDesc d;
    CreateColorData(&d, 16, 0xF800, 0x07E0, 0x001F, 0);
    EXPECT_EQ(d.redWidth, 5);
    EXPECT_EQ(d.greenWidth, 6);
    EXPECT_EQ(d.blueWidth, 5);
    EXPECT_EQ(d.redLoc, 11);
    EXPECT_EQ(d.greenLoc, 5);
    EXPECT_EQ(d.unusedMask, 0u);

    CreateColorData(&d, 0, 0, 0, 0, 0, 4, 16, 0);
    EXPECT_EQ(d.bytesPerPixel, 8);
    EXPECT_EQ(d.colorBits, 0);

    CreateColorData(&d, 16, 0x7C00, 0x03E0, 0x001F, 0);
    EXPECT_EQ(d.unusedMask, 0x8000u);
    EXPECT_EQ(d.unusedLoc, 15);
    d.alphaMask = 0x8000;
    d.alphaWidth = 1;
    SetColorDataUnusedMask(&d);
    EXPECT_EQ(d.unusedMask, 0u);

    CreateGrayPal8ColorData(&d);
    EXPECT_EQ(d.bytesPerPixel, 1);
    EXPECT_EQ(d.maxPaletteIndex, 255u);
    EXPECT_EQ(d.palette[77].red, 77);
    EXPECT_EQ(d.palette[77].reserved, 0);
}

TEST(PixelFormatPacking, PackAndUnpack) {
    const PixelFormatDesc* rgb565 = GetPixelFormatDesc(6);
    EXPECT_EQ(PackColorDataPixel(rgb565, 255, 128, 64, 0), 0xFC08u);
    int r, g, b, a = 99;
    UnpackColorDataPixel(rgb565, 0xFC08, &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 129);
    EXPECT_EQ(b, 65);
    EXPECT_EQ(a, 0);

    const PixelFormatDesc* argb4444 = GetPixelFormatDesc(8);
    EXPECT_EQ(PackColorDataPixel(argb4444, 255, 255, 255, 128), 0x8FFFu);
    UnpackColorDataPixel(argb4444, 0x8FFF, nullptr, nullptr, nullptr, &a);
    EXPECT_EQ(a, 136);

    // The unused bits of a packed value are set; absent alpha reads 0 even for 8-bit colour.
    EXPECT_EQ(PackColorDataPixel(GetPixelFormatDesc(7), 1, 2, 3, 4), 0xFF010203u);
    a = 99;
    UnpackColorDataPixel(GetPixelFormatDesc(7), 0xFF010203u, &r, &g, &b, &a);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(a, 0);

    PixelFormatDesc pal;
    CreatePal8ColorData(&pal);
    std::memset(pal.palette, 0, sizeof pal.palette);
    pal.palette[3] = PaletteEntry{30, 20, 10, 0};
    pal.palette[7] = PaletteEntry{30, 20, 10, 0};
    for (int i = 0; i < 256; ++i)
        if (i != 3 && i != 7) pal.palette[i] = PaletteEntry{200, 200, 200, 0};
    EXPECT_EQ(PackColorDataPixel(&pal, 11, 21, 29, 0), 3u);

    EXPECT_EQ(PackARGB8Color(1, 2, 3, 4), 0x04010203u);
    float f[4];
    EXPECT_EQ(MakeFloat4(f, 1, 2, 3, 4), f);
    EXPECT_EQ(f[3], 4.0f);
}

TEST(PixelFormatPacking, ReadPixelAsARGB8PutsTopBitsOnBit7) {
    BaseImage img{};
    CreateColorData(&img.format, 16, 0xF800, 0x07E0, 0x001F, 0);
    uint16_t px = 0xFFFF;
    img.pixels = &px;
    img.width = img.height = 1;
    img.pitch = 2;
    EXPECT_EQ(ReadPixelAsARGB8(&img, 0, 0), 0x00F8FCF8u);
    EXPECT_EQ(ReadPixelAsARGB8(&img, 1, 0), 0u);
    img.pixels = nullptr;
    EXPECT_EQ(ReadPixelAsARGB8(&img, 0, 0), 0u);
}

TEST(HalfFloat, ConversionsKeepSignsAndSpecials) {
    EXPECT_EQ(Float32ToFloat16(1.0f), 0x3C00);
    EXPECT_EQ(Float32ToFloat16(static_cast<float>(128 / 255.0)), 0x3804);  // mantissa truncated
    EXPECT_EQ(Float32ToFloat16(0.0f), 0x0000);
    EXPECT_EQ(Float32ToFloat16(-0.0f), 0x8000);
    EXPECT_EQ(Float32ToFloat16(70000.0f), 0x7C00);
    EXPECT_EQ(Float32ToFloat16(-1e30f), 0xFC00);
    EXPECT_EQ(Float32ToFloat16(INFINITY), 0x7C00);
    const uint16_t nan = Float32ToFloat16(NAN);
    EXPECT_EQ(nan & 0x7C00, 0x7C00);
    EXPECT_NE(nan & 0x03FF, 0);
    EXPECT_EQ(Float32ToFloat16(-1e-9f), 0x8000);
    EXPECT_EQ(Float32ToFloat16(1e-9f), 0x0000);

    EXPECT_EQ(Float16ToFloat32(0x3C00), 1.0f);
    EXPECT_EQ(Float16ToFloat32(0xC000), -2.0f);
    EXPECT_TRUE(std::isinf(Float16ToFloat32(0x7C00)));
    EXPECT_LT(Float16ToFloat32(0xFC00), 0.0f);
    EXPECT_TRUE(std::isnan(Float16ToFloat32(0x7E00)));
    EXPECT_EQ(std::bit_cast<uint32_t>(Float16ToFloat32(0x8000)), 0x80000000u);
    EXPECT_EQ(Float16ToFloat32(0x7BFF), 65504.0f);
    // Every finite normal half survives a round trip.
    for (uint32_t h = 0x0400; h < 0x7C00; ++h) {
        ASSERT_EQ(Float32ToFloat16(Float16ToFloat32(static_cast<uint16_t>(h))), h);
        ASSERT_EQ(Float32ToFloat16(Float16ToFloat32(static_cast<uint16_t>(h | 0x8000))), h | 0x8000);
    }
}
