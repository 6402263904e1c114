// Bitmap files built byte by byte: exact layouts and malformed headers and data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "media/graphics/image/image_loader.h"
#include "tests/media/graphics/image/image_testing.h"

using namespace imagetest;
using ZaDod::BaseImage;

namespace {


// "BM", a header of headerSize bytes, the table (or masks) and the pixel data.
Bytes makeBmp(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
              const std::vector<uint32_t>& table, const Bytes& pixels)
{
    Bytes b(14 + headerSize, 0);
    b[0] = 'B', b[1] = 'M';
    put32(b, 14, headerSize);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    b[26] = 1;
    b[28] = uint8_t(bits), b[29] = uint8_t(bits >> 8);
    put32(b, 30, compression);
    put32(b, 34, uint32_t(pixels.size()));
    for (uint32_t v : table) put32(b, b.size(), v);
    put32(b, 10, uint32_t(b.size()));
    b.insert(b.end(), pixels.begin(), pixels.end());
    put32(b, 2, uint32_t(b.size()));
    return b;
}

std::vector<uint32_t> greyTable(int n)
{
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i) t.push_back(uint32_t(i * 0x111111));
    return t;
}

Bytes rowOf(const BaseImage& image, int y)
{
    const auto* p = static_cast<const uint8_t*>(image.pixels) + y * image.pitch;
    return Bytes(p, p + image.width);
}

}  // namespace

TEST(BmpRunLength, EightBitStreamsDecodeIntoTopDownRows)
{
    Loaded l;
    const Bytes rle = {0x03, 0x05, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00, 0x01, 0x07, 0x00, 0x01};
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 4, 2, 8, 1, greyTable(256), rle), &l.image), 0);
    EXPECT_EQ(rowOf(l.image, 0), (Bytes{0, 7, 0, 0}));
    EXPECT_EQ(rowOf(l.image, 1), (Bytes{5, 5, 5, 0}));

    // The delta (0, 2, 3, 1) moves three right and one row on (up the picture).
    Loaded d;
    const Bytes delta = {0x01, 0x09, 0x00, 0x02, 0x03, 0x01, 0x01, 0x08, 0x00, 0x01};
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 6, 3, 8, 1, greyTable(256), delta), &d.image), 0);
    EXPECT_EQ(rowOf(d.image, 2), (Bytes{9, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rowOf(d.image, 1), (Bytes{0, 0, 0, 0, 8, 0}));
}

TEST(BmpRunLength, FourBitRunsAlternateNibbles)
{
    Loaded l;
    // A run of 5 from 0x12, then a literal of 3 nibbles (padded to a word), end.
    const Bytes rle = {0x05, 0x12, 0x00, 0x00, 0x00, 0x03, 0x34, 0x50, 0x00, 0x01};
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 5, -2, 4, 2, greyTable(16), rle), &l.image), 0);
    EXPECT_EQ(l.image.pitch, 8);
    EXPECT_EQ(l.image.format.maxPaletteIndex, 255u);
    EXPECT_EQ(rowOf(l.image, 0), (Bytes{1, 2, 1, 2, 1}));
    EXPECT_EQ(rowOf(l.image, 1), (Bytes{3, 4, 5, 0, 0}));
}

TEST(BmpRunLength, HostileStreamsStayInsideTheImage)
{
    const Bytes hostile[] = {
        {0xFF, 0x01, 0xFF, 0x02, 0x00, 0x00, 0xFF, 0x03},  // runs past the row end
        {0x00, 0x02, 0xFF, 0xFF, 0x05, 0x04},              // delta far outside
        {0x00, 0xFF, 0x01, 0x02},                          // literal longer than the data
        {0x00, 0x02, 0x01},                                // delta cut short
        {0x04},                                            // a lone byte
    };
    for (const Bytes& data : hostile) {
        Loaded l;
        ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 3, 2, 8, 1, greyTable(256), data), &l.image), 0);
        Loaded four;
        ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 3, 2, 4, 2, greyTable(16), data), &four.image), 0);
    }
}

TEST(BmpRunLength, HugePicturesNeedCodesThatCouldPaintThem)
{
    // Two kilobytes of full runs paint a little over a quarter of a million pixels.
    Bytes runs;
    for (int i = 0; i < 1024; ++i) runs.push_back(i % 2 ? 0x07 : 0xFF);
    for (auto [w, h] : {std::pair{16384, 16384}, {32768, 32768}, {32768, 1024}}) {
        for (int bits : {8, 4}) {
            BaseImage image{};
            const Bytes file = makeBmp(40, w, h, uint16_t(bits), bits == 8 ? 1 : 2, greyTable(bits == 8 ? 256 : 16), runs);
            EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, file, &image), -1) << w << "x" << h << " " << bits;
            EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, file, &image, nullptr, 1), -1) << w << "x" << h << " " << bits;
            EXPECT_EQ(image.pixels, nullptr);
        }
    }
    // Codes that paint every pixel of 32768² are still refused from the header: no
    // graph holds four gigabytes of pixels.
    Bytes full;
    for (int y = 0; y < 32768; ++y) {
        for (int x = 0; x < 32768; x += 255) full.insert(full.end(), {uint8_t(std::min(255, 32768 - x)), 9});
        full.insert(full.end(), {0, 0});
    }
    for (int infoOnly : {0, 1}) {
        BaseImage image{};
        EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 32768, 32768, 8, 1, greyTable(256), full), &image, nullptr,
                           infoOnly),
                  -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    // Up to 4096 x 4096 the codes may leave as much unpainted as they like.
    Loaded sparse;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 4096, -4096, 8, 1, greyTable(256), {0x02, 0x09, 0x00, 0x01}),
                       &sparse.image),
              0);
    EXPECT_EQ(rowOf(sparse.image, 0)[1], 9);
    EXPECT_EQ(rowOf(sparse.image, 4095)[0], 0);
    // A larger picture whose codes paint every row loads.
    Bytes rows;
    for (int y = 0; y < 2050; ++y) {
        for (int x = 0; x < 8192; x += 255) rows.insert(rows.end(), {uint8_t(std::min(255, 8192 - x)), uint8_t(y & 255)});
        rows.insert(rows.end(), {0, 0});
    }
    Loaded painted;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 8192, -2050, 8, 1, greyTable(256), rows), &painted.image), 0);
    EXPECT_EQ(rowOf(painted.image, 2049)[8191], 2049 & 255);
}

TEST(BmpTable, ReadAfterTheHeaderAndNeverPastThePixels)
{
    // A 124-byte header whose masks would have been taken for colours.
    Bytes pixels = {0x10, 0, 0, 0};
    Bytes file = makeBmp(124, 2, 1, 4, 0, {0x0000FF, 0x00FF00}, pixels);
    put32(file, 14 + 40, 0xFF0000);  // a red mask inside the long header
    Loaded l;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, file, &l.image), 0);
    EXPECT_EQ(l.image.format.palette[0].blue, 0xFF);
    EXPECT_EQ(l.image.format.palette[1].green, 0xFF);
    EXPECT_EQ(l.image.format.palette[2].red, 0);  // missing entries are 0
    EXPECT_EQ(rowOf(l.image, 0), (Bytes{1, 0}));
}

TEST(BmpHeader, BadSizesAndShortDataAreRefused)
{
    const Bytes row = {1, 2, 3, 0};
    Loaded l;
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 1, 1, 24, 0, {}, row), &l.image), 0);
    for (auto [w, h] : {std::pair{0, 1}, {-1, 1}, {1, 0}, {32769, 1}, {1, 32769}}) {
        BaseImage image{};
        EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, w, h, 24, 0, {}, row), &image), -1) << w << "x" << h;
        EXPECT_EQ(image.pixels, nullptr);
    }
    BaseImage image{};
    Bytes file = makeBmp(40, 1, 1, 24, 0, {}, row);
    file.pop_back();
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, file, &image), -1);  // one byte short
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, Bytes(file.begin(), file.begin() + 30), &image), -1);
    Bytes small = makeBmp(40, 1, 1, 24, 0, {}, row);
    put32(small, 14, 12);  // a core header is not taken
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, small, &image), -1);
    Bytes overlapping = makeBmp(40, 1, 1, 24, 0, {}, row);
    put32(overlapping, 10, 50);  // pixels inside the header
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, overlapping, &image), -1);
    // A compression the painter does not know loads as nothing, not as black.
    EXPECT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 1, 1, 24, 4, {}, row), &image), -1);
}

TEST(BmpGdiRoute, LongHeadersAndBitFieldsPaintTheirOwnMasks)
{
    // 16-bit 5-6-5 bit fields with a 124-byte header: the masks sit at offset 54.
    Bytes file = makeBmp(124, 2, 1, 16, 3, {}, {0x00, 0xF8, 0xE0, 0x07});
    put32(file, 54, 0xF800), put32(file, 58, 0x07E0), put32(file, 62, 0x001F);
    Loaded l;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, file, &l.image), 0);
    EXPECT_EQ(l.image.format.colorBits, 24);
    const auto* p = static_cast<const uint8_t*>(l.image.pixels);
    EXPECT_EQ((Bytes{p[0], p[1], p[2], p[3], p[4], p[5]}), (Bytes{0, 0, 0xFF, 0, 0xFF, 0}));

    // 32-bit bit fields with a long header and an alpha mask keep their alpha.
    Bytes argb = makeBmp(108, 1, 1, 32, 3, {}, {0x11, 0x22, 0x33, 0x80});
    put32(argb, 54, 0xFF0000), put32(argb, 58, 0xFF00), put32(argb, 62, 0xFF), put32(argb, 66, 0xFF000000);
    Loaded a;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, argb, &a.image), 0);
    EXPECT_EQ(a.image.format.alphaMask, 0xFF000000u);
    EXPECT_EQ(toRgba(&a.image), (Bytes{0x33, 0x22, 0x11, 0x80}));
}

TEST(BmpPlain32, FourthBytesAreAlphaOnlyWhenSomeAreSet)
{
    // Two pixels, bottom-up; every fourth byte 0: an ordinary opaque picture.
    Loaded opaque;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 2, 1, 32, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0}), &opaque.image), 0);
    EXPECT_EQ(toRgba(&opaque.image), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));

    // Any non-zero fourth byte: they are all alpha, zeros included.
    Loaded alpha;
    ASSERT_EQ(loadWith(ZaDod::LoadBmpImage, makeBmp(40, 2, 2, 32, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0x80, 1, 1, 1, 0}),
                       &alpha.image),
              0);
    EXPECT_EQ(toRgba(&alpha.image), (Bytes{9, 8, 7, 0x80, 1, 1, 1, 0, 3, 2, 1, 0, 6, 5, 4, 0}));
}
