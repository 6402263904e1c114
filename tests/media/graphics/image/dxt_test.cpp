// Tests of media/graphics/image/dxt: block-compressed pictures decoded to 32-bit ARGB.
#include "media/graphics/image/dxt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/base/memory.h"
#include "media/graphics/base_image.h"

using namespace ZaDod;

namespace {

// Owns a block-compressed image made from raw block bytes.
struct Blocks : BaseImage {
    Blocks(int code, int w, int h, const std::vector<uint8_t>& data, int mips = 0, int images = 0) : BaseImage{} {
        CreateARGB8ColorData(&format);
        format.formatCode = static_cast<uint8_t>(code);
        width = w;
        height = h;
        mipCount = mips;
        imageCount = images;
        pixels = MemAlloc(data.size(), "test", __LINE__);
        std::memcpy(pixels, data.data(), data.size());
    }
    ~Blocks() { ReleaseBaseImage(this); }
    uint32_t at(int x, int y, int face = 0) const {
        uint32_t v;
        std::memcpy(&v, static_cast<const uint8_t*>(pixels) + (face * height + y) * pitch + 4 * x, 4);
        return v;
    }
};

std::vector<uint8_t> colourBlock(uint16_t c0, uint16_t c1, uint32_t indices) {
    return {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8),
            uint8_t(indices), uint8_t(indices >> 8), uint8_t(indices >> 16), uint8_t(indices >> 24)};
}

std::vector<uint8_t> cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr uint32_t kAll2 = 0xAAAAAAAA, kAll3 = 0xFFFFFFFF;

}  // namespace

TEST(DXT, ColourBlocks) {
    Blocks a(kPixelDXT1, 4, 4, colourBlock(0xF800, 0x001F, kAll2));
    ASSERT_EQ(ConvertDXTToARGB8(&a, 1), 0);
    EXPECT_EQ(a.at(3, 3), 0xFFAA0055u);  // (170, 0, 85)
    EXPECT_EQ(a.format.formatCode, kPixelPlain);
    EXPECT_EQ(a.pitch, 16);
    EXPECT_EQ(a.format.alphaMask, 0xFF000000u);
    EXPECT_EQ(a.mipCount, 1);

    Blocks three(kPixelDXT1, 4, 4, colourBlock(0x1234, 0x1234, kAll3));
    ASSERT_EQ(ConvertDXTToARGB8(&three, 1), 0);
    EXPECT_EQ(three.at(0, 0) >> 24, 0u);

    // Endpoints truncate: 5-bit 16 is 131, 6-bit 32 is 129.
    Blocks t(kPixelDXT1, 4, 4, colourBlock(0x8400, 0x0000, 0));
    ASSERT_EQ(ConvertDXTToARGB8(&t, 1), 0);
    EXPECT_EQ(t.at(0, 0), 0xFF838100u);

    Blocks plain(0, 4, 4, std::vector<uint8_t>(64, 7));
    EXPECT_EQ(ConvertDXTToARGB8(&plain, 1), 0);
    EXPECT_EQ(plain.pitch, 0);  // untouched
}

TEST(DXT, AlphaBlocks) {
    // Interpolated alpha, five-value palette: a0 = 0, a1 = 255, indices 6 and 7.
    std::vector<uint8_t> five = {0, 255, 0b00111110, 0, 0, 0, 0, 0};  // pixel 0 index 6, pixel 1 index 7
    Blocks f(kPixelDXT5, 4, 4, cat(five, colourBlock(0xFFFF, 0xFFFF, 0)));
    ASSERT_EQ(ConvertDXTToARGB8(&f, 1), 0);
    EXPECT_EQ(f.at(0, 0) >> 24, 0u);
    EXPECT_EQ(f.at(1, 0) >> 24, 255u);
    EXPECT_EQ(f.at(2, 0) >> 24, 0u);  // index 0 = a0

    // Seven-value palette for a0 = 255, a1 = 0: indices 2..7 on pixels 0..5.
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(i + 2) << (3 * i);
    std::vector<uint8_t> seven = {255, 0};
    for (int i = 0; i < 6; ++i) seven.push_back(uint8_t(bits >> (8 * i)));
    Blocks s(kPixelDXT5, 4, 4, cat(seven, colourBlock(0, 0, 0)));
    ASSERT_EQ(ConvertDXTToARGB8(&s, 1), 0);
    const uint32_t want[6] = {218, 182, 145, 109, 72, 36};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.at(i % 4, i / 4) >> 24, want[i]) << i;

    // Explicit alpha: nibble 8 is 136.
    std::vector<uint8_t> nibbles = {0x08, 0, 0, 0, 0, 0, 0, 0};
    Blocks e(kPixelDXT3, 4, 4, cat(nibbles, colourBlock(0, 0, 0)));
    ASSERT_EQ(ConvertDXTToARGB8(&e, 1), 0);
    EXPECT_EQ(e.at(0, 0) >> 24, 136u);
    EXPECT_EQ(e.at(1, 0) >> 24, 0u);

    // Premultiplied: red endpoints 16 (131) and 15 (123) at index 2 give 128; at alpha 136
    // that is 128 x 255 / 136 = 240. Alpha 0 gives transparent black.
    Blocks p(kPixelDXT2, 4, 4, cat(nibbles, colourBlock(0x8000, 0x7800, kAll2)));
    ASSERT_EQ(ConvertDXTToARGB8(&p, 1), 0);
    EXPECT_EQ(p.at(0, 0), 0x88F00000u);
    EXPECT_EQ(p.at(1, 0), 0u);
}

TEST(DXT, EdgeBlocksAndCubeFaces) {
    // 18 x 18: 5 x 5 blocks, each a solid, distinct colour.
    std::vector<uint8_t> data;
    for (int b = 0; b < 25; ++b) data = cat(data, colourBlock(uint16_t(0x0841 * b), 0, 0));
    Blocks img(kPixelDXT1, 18, 18, data);
    ASSERT_EQ(ConvertDXTToARGB8(&img, 1), 0);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const int b = (y / 4) * 5 + x / 4;
            const uint32_t c = 0x0841u * b;
            const uint32_t want = 0xFF000000u | (c >> 11) * 255 / 31 << 16 | ((c >> 5) & 63) * 255 / 63 << 8 |
                                  (c & 31) * 255 / 31;
            ASSERT_EQ(img.at(x, y), want) << x << "," << y;
        }

    // Cube map of 8 x 8 faces with two mip levels: each face has 4 + 1 blocks.
    std::vector<uint8_t> cube;
    for (int face = 0; face < 6; ++face) {
        for (int b = 0; b < 4; ++b) cube = cat(cube, colourBlock(uint16_t(0x0800 * (face + 1)), 0, 0));
        cube = cat(cube, colourBlock(0xFFFF, 0, 0));  // level 1: must not be decoded
    }
    Blocks c(kPixelDXT1, 8, 8, cube, 2, 6);
    ASSERT_EQ(ConvertDXTToARGB8(&c, 1), 0);
    EXPECT_EQ(c.mipCount, 1);
    EXPECT_EQ(c.imageCount, 6);
    for (int face = 0; face < 6; ++face) {
        const uint32_t red = uint32_t(face + 1) * 255 / 31;
        EXPECT_EQ(c.at(7, 7, face), 0xFF000000u | red << 16) << face;
        EXPECT_EQ(c.at(0, 0, face), 0xFF000000u | red << 16) << face;
    }

    // Unknown block kinds are zero-filled.
    Blocks u(7, 4, 4, std::vector<uint8_t>(16, 0xAB));
    ASSERT_EQ(ConvertDXTToARGB8(&u, 1), 0);
    EXPECT_EQ(u.at(2, 2), 0u);
}

TEST(DXT, AlphaImagesBecomePremultipliedARGB) {
    std::vector<uint8_t> nibbles = {0x08, 0x0F, 0, 0, 0, 0, 0, 0};
    Blocks d(kPixelDXT3, 4, 4, cat(nibbles, colourBlock(0xFFFF, 0xFFFF, 0)));
    ASSERT_EQ(ConvertAlphaBaseImageToARGB8(&d), 0);
    EXPECT_EQ(d.at(0, 0), 0x88888888u);  // 255 x 136 / 255
    EXPECT_EQ(d.at(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(d.at(3, 3), 0u);

    // A 16-bit image with alpha is converted to ARGB8 first.
    BaseImage a{};
    CreateColorData(&a.format, 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    a.width = 2;
    a.height = 1;
    a.pitch = 4;
    a.pixels = MemAlloc(4, "test", __LINE__);
    const uint16_t px[2] = {0x8F00, 0xF0F0};
    std::memcpy(a.pixels, px, 4);
    ASSERT_EQ(ConvertAlphaBaseImageToARGB8(&a), 0);
    EXPECT_EQ(a.format.bytesPerPixel, 4);
    uint32_t out[2];
    std::memcpy(out, a.pixels, 8);
    EXPECT_EQ(out[0], 0x88880000u);
    EXPECT_EQ(out[1], 0xFF00FF00u);
    ReleaseBaseImage(&a);

    // No alpha: nothing changes.
    BaseImage x{};
    CreateXRGB8ColorData(&x.format);
    EXPECT_EQ(ConvertAlphaBaseImageToARGB8(&x), 0);
    EXPECT_EQ(x.pixels, nullptr);
}
