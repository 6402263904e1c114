// TGA, DDS, raw BGRA, PNG and JPEG inputs built byte by byte or cut short.
#include <gtest/gtest.h>

#include <cstring>

#include "media/graphics/image/image_loader.h"
#include "tests/media/graphics/image/image_testing.h"

using namespace imagetest;
using ZaDod::BaseImage;

namespace {

void put16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }

Bytes tgaHeader(int type, int width, int height, int depth, int descriptor = 0x20)
{
    Bytes h(18, 0);
    h[2] = uint8_t(type);
    put16(h, 12, uint16_t(width));
    put16(h, 14, uint16_t(height));
    h[16] = uint8_t(depth);
    h[17] = uint8_t(descriptor);
    return h;
}

Bytes footer()
{
    Bytes f(26, 0);
    std::memcpy(f.data() + 8, "TRUEVISION-XFILE.", 18);
    return f;
}

Bytes join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A DDS header (magic and 124 bytes) with the fields the loader reads.
Bytes ddsHeader(int width, int height, uint32_t pixelFlags, uint32_t fourCC, uint32_t bitCount = 0)
{
    Bytes d = {'D', 'D', 'S', ' '};
    d.resize(128, 0);
    put32(d, 4, 124);
    put32(d, 8, 0x1007);
    put32(d, 12, uint32_t(height));
    put32(d, 16, uint32_t(width));
    put32(d, 80, pixelFlags);
    put32(d, 84, fourCC);
    put32(d, 88, bitCount);
    return d;
}

constexpr uint32_t fourCC(const char* s) { return uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24; }

}  // namespace

TEST(TgaHandBuilt, TinyFilesHeadersAndOrientation)
{
    // 18 + 3 bytes: shorter than a footer, and still a picture.
    Loaded tiny;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 1, 1, 24), {1, 2, 3}), &tiny.image), 0);
    EXPECT_EQ(toRgba(&tiny.image), (Bytes{3, 2, 1, 255}));

    BaseImage image{};
    Bytes origin = join(tgaHeader(2, 1, 1, 24), {1, 2, 3});
    origin[8] = 1;
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, origin, &image), -1);
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 8193, 1, 24), Bytes(8193 * 3)), &image), -1);
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 2, 1, 24), {1, 2, 3}), &image), -1);  // short

    // 16 bits: the top bit is unused, not alpha.
    Loaded deep;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 1, 1, 16), {0x00, 0x7C}), &deep.image), 0);
    EXPECT_EQ(deep.image.format.alphaWidth, 0);
    EXPECT_EQ(deep.image.format.unusedMask, 0x8000u);
    EXPECT_EQ(toRgba(&deep.image), (Bytes{255, 0, 0, 255}));

    // Bottom-up, right to left: both reversed.
    Loaded turned;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 2, 2, 24, 0x10), {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}),
                       &turned.image),
              0);
    EXPECT_EQ(toRgba(&turned.image), (Bytes{4, 4, 4, 255, 3, 3, 3, 255, 2, 2, 2, 255, 1, 1, 1, 255}));
}

TEST(TgaHandBuilt, ColourMapsAndRunLengthData)
{
    // A map naming entries past 256 is refused.
    Bytes mapped = tgaHeader(1, 1, 1, 8);
    mapped[1] = 1, mapped[7] = 24;
    put16(mapped, 3, 250);
    put16(mapped, 5, 7);
    BaseImage image{};
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, join(mapped, Bytes(7 * 3 + 1)), &image), -1);

    // Index 1 of a map starting at 1.
    put16(mapped, 3, 1);
    put16(mapped, 5, 1);
    Loaded l;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(mapped, {10, 20, 30, 1}), &l.image), 0);
    EXPECT_EQ(toRgba(&l.image), (Bytes{30, 20, 10, 255}));

    // A run longer than the image is cut at its end.
    Loaded run;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(10, 2, 1, 24), {0xFF, 5, 6, 7}), &run.image), 0);
    EXPECT_EQ(toRgba(&run.image), (Bytes{7, 6, 5, 255, 7, 6, 5, 255}));

    // With a footer the data stops 26 bytes before the end: here that is too early.
    const Bytes cut = join(join(tgaHeader(10, 2, 1, 24), {0x01, 5, 6, 7}), footer());
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, cut, &image), -1);
    const Bytes whole = join(join(tgaHeader(10, 2, 1, 24), {0x81, 5, 6, 7}), footer());
    Loaded footed;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, whole, &footed.image), 0);
    // Without the footer's signature the same bytes are data.
    Bytes unsigned_ = cut;
    unsigned_[unsigned_.size() - 3] = 'x';
    Loaded data;
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, unsigned_, &data.image), 0);
}

TEST(TgaHandBuilt, TrueColourFilesSkipTheColourMapTheyCarry)
{
    const Bytes pixels = {1, 2, 3, 4, 5, 6};
    Loaded plain;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(tgaHeader(2, 2, 1, 24), pixels), &plain.image), 0);

    // 16 entries of 15 bits take two bytes each; an ID field comes before them.
    Bytes header = tgaHeader(2, 2, 1, 24);
    header[0] = 3;
    header[1] = 1;
    put16(header, 5, 16);
    header[7] = 15;
    Bytes map(16 * 2, 0x77);
    Loaded mapped;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(join(join(header, {9, 9, 9}), map), pixels), &mapped.image), 0);
    EXPECT_EQ(toRgba(&mapped.image), toRgba(&plain.image));
    Loaded rle;
    Bytes rleHeader = header;
    rleHeader[2] = 10;
    ASSERT_EQ(loadWith(ZaDod::LoadTargaImage, join(join(join(rleHeader, {9, 9, 9}), map), join({0x01}, pixels)), &rle.image), 0);
    EXPECT_EQ(toRgba(&rle.image), toRgba(&plain.image));

    // A map that runs past the end of the file refuses it.
    BaseImage image{};
    EXPECT_EQ(loadWith(ZaDod::LoadTargaImage, join(join(header, {9, 9, 9}), Bytes(20, 0x77)), &image), -1);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(DdsHandBuilt, FormatCodesCubesAndBounds)
{
    Loaded half;
    ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, join(ddsHeader(2, 2, 0x4, 113), Bytes(32)), &half.image), 0);
    EXPECT_EQ(half.image.format.bytesPerPixel, 8);
    EXPECT_EQ(half.image.format.channelCount, 4);
    EXPECT_EQ(half.image.format.channelBits, 16);
    EXPECT_EQ(half.image.format.floatFlag, 1);

    BaseImage image{};
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(ddsHeader(2, 2, 0x4, 999), Bytes(64)), &image), -1);

    Bytes cube = ddsHeader(4, 4, 0x40, 0, 32);
    put32(cube, 4 + 108, 0x200 | 0x400 | 0x800);  // only two faces
    Loaded one;
    ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, join(cube, Bytes(64)), &one.image), 0);
    EXPECT_EQ(one.image.imageCount, 0);

    Bytes big = ddsHeader(2, 2, 0x40, 0, 32);
    put32(big, 4, 125);
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(big, Bytes(64)), &image), -1);
    put32(big, 4, 3);
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(big, Bytes(64)), &image), -1);
    // A header cut after its height: width reads as 0.
    Bytes shortHeader = {'D', 'D', 'S', ' ', 12, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(shortHeader, Bytes(64)), &image), -1);

    // A pitch below a row is refused; a mip count far past the chain is capped.
    Bytes pitched = ddsHeader(4, 1, 0x40, 0, 32);
    put32(pitched, 8, 0x1007 | 0x8);
    put32(pitched, 20, 8);
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(pitched, Bytes(64)), &image), -1);
    Bytes chain = ddsHeader(4, 4, 0x4, fourCC("DXT1"));
    put32(chain, 8, 0x1007 | 0x20000);
    put32(chain, 28, 0xFFFFFFFF);
    put32(chain, 4 + 104, 0x401008);
    Loaded capped;
    ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, join(chain, Bytes(24)), &capped.image), 0);
    EXPECT_EQ(capped.image.mipCount, 3);

    // Masks with gaps or shared bits are not a layout.
    Bytes gapped = ddsHeader(1, 1, 0x40, 0, 32);
    put32(gapped, 4 + 88, 0xF0F0), put32(gapped, 4 + 92, 0xFF0000), put32(gapped, 4 + 96, 0xFF);
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(gapped, Bytes(4)), &image), -1);
    put32(gapped, 4 + 88, 0xFF00), put32(gapped, 4 + 96, 0x1FF);
    EXPECT_EQ(loadWith(ZaDod::LoadDDSImage, join(gapped, Bytes(4)), &image), -1);

    // A chain that ends after its first level keeps that level, at its packed pitch,
    // whatever pitch the header gave.
    Bytes partial = ddsHeader(4, 2, 0x40, 0, 32);
    put32(partial, 8, 0x1007 | 0x8 | 0x20000);
    put32(partial, 20, 1 << 24);
    put32(partial, 28, 3);
    put32(partial, 4 + 104, 0x401008);
    put32(partial, 4 + 88, 0xFF0000), put32(partial, 4 + 92, 0xFF00), put32(partial, 4 + 96, 0xFF);
    Loaded first;
    ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, join(partial, Bytes(32 + 4)), &first.image), 0);
    EXPECT_EQ(first.image.mipCount, 1);
    EXPECT_EQ(first.image.pitch, 16);
    EXPECT_EQ(ZaDod::GetBaseImageDataSize(&first.image), 32);
}

TEST(DdsHandBuilt, EighteenSquareDxt1DecodesEveryPixel)
{
    // 5 x 5 blocks, each a solid colour of its own (colour 0 = colour 1, indices 0).
    Bytes data;
    for (int b = 0; b < 25; ++b) {
        const uint16_t c = uint16_t((b * 1237 + 311) & 0xFFFF) | 0x0821;
        data.insert(data.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 8), 0, 0, 0, 0});
    }
    Loaded l;
    ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, join(ddsHeader(18, 18, 0x4, fourCC("DXT1")), data), &l.image), 0);
    const Bytes rgba = toRgba(&l.image);
    ASSERT_EQ(rgba.size(), 18u * 18 * 4);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const uint16_t c = uint16_t(((y / 4 * 5 + x / 4) * 1237 + 311) & 0xFFFF) | 0x0821;
            const uint8_t* p = &rgba[(y * 18 + x) * 4];
            const int r = (c >> 11) * 255 / 31, g = ((c >> 5) & 63) * 255 / 63, b = (c & 31) * 255 / 31;
            EXPECT_NEAR(p[0], r, 1) << x << "," << y;
            EXPECT_NEAR(p[1], g, 1) << x << "," << y;
            EXPECT_NEAR(p[2], b, 1) << x << "," << y;
        }
}

TEST(RawBgraHandBuilt, SixteenBitChannelsKeepTheirHighBytes)
{
    Bytes raw = {'B', 'G', 'R', 'A'};
    put32(raw, 4, 0x10101010);
    put32(raw, 8, 2);
    put32(raw, 12, 1);
    raw.insert(raw.end(), {0x11, 0xA0, 0x22, 0xB0, 0x33, 0xC0, 0x44, 0xD0, 0xFF, 0x01, 0xFF, 0x02, 0xFF, 0x03, 0xFF, 0x04});
    Loaded l;
    ASSERT_EQ(loadWith(ZaDod::LoadRawBGRAImage, raw, &l.image), 0);
    const auto* p = static_cast<const uint8_t*>(l.image.pixels);
    EXPECT_EQ(Bytes(p, p + 8), (Bytes{0xA0, 0xB0, 0xC0, 0xD0, 1, 2, 3, 4}));
    raw.pop_back();
    BaseImage image{};
    EXPECT_EQ(loadWith(ZaDod::LoadRawBGRAImage, raw, &image), -1);
    put32(raw, 4, 0x08080809);
    EXPECT_EQ(loadWith(ZaDod::LoadRawBGRAImage, raw, &image), -1);
}

TEST(LibraryFormats, CutFilesAndForeignBytes)
{
    REQUIRE_MAGICK();
    const Bytes png = magick("'" + colorSource(64, 64) + "'", "cut.png");
    BaseImage image{};
    EXPECT_EQ(loadWith(ZaDod::LoadPngImage, Bytes(png.begin(), png.begin() + long(png.size() / 2)), &image), -1);
    EXPECT_EQ(image.pixels, nullptr);

    const Bytes jpeg = magick("'" + colorSource(64, 64) + "'", "cut.jpg");
    Loaded truncated;
    EXPECT_EQ(loadWith(ZaDod::LoadJpegImage, Bytes(jpeg.begin(), jpeg.begin() + long(jpeg.size() * 2 / 3)),
                       &truncated.image),
              0);
    EXPECT_EQ(truncated.image.height, 64);

    const Bytes ff = {0xFF};
    for (ZaDod::BaseImageLoader loader : {ZaDod::LoadBmpImage, ZaDod::LoadJpegImage, ZaDod::LoadPngImage,
                                         ZaDod::LoadTargaImage, ZaDod::LoadDDSImage, ZaDod::LoadTiffImage,
                                         ZaDod::LoadRawBGRAImage})
        EXPECT_EQ(loadWith(loader, ff, &image), -1);
    EXPECT_EQ(loadMemory(ff, &image), -1);
}

// A small file's frame header patched to declare a much larger picture.
Bytes withJpegSize(Bytes jpeg, uint16_t width, uint16_t height)
{
    for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
            break;
        }
    }
    return jpeg;
}

TEST(LibraryFormats, JpegsDeclaringMoreThanTheirDataHoldsAreRefused)
{
    REQUIRE_MAGICK();
    for (const char* name : {"small.jpg", "small-progressive.jpg"}) {
        SCOPED_TRACE(name);
        const std::string options = std::string(name) == "small.jpg" ? "" : "-interlace Plane ";
        const Bytes jpeg = magick(options + "'" + colorSource(16, 16) + "'", name);
        ASSERT_LT(jpeg.size(), 4096u);
        Loaded fits;
        ASSERT_EQ(loadWith(ZaDod::LoadJpegImage, jpeg, &fits.image), 0);
        // Up to the free area a file cut short still loads, grey past its data.
        Loaded free;
        ASSERT_EQ(loadWith(ZaDod::LoadJpegImage, withJpegSize(jpeg, 4096, 4096), &free.image), 0);
        EXPECT_EQ(free.image.width, 4096);
        for (uint16_t side : {uint16_t(4097), uint16_t(16384), uint16_t(32768)}) {
            BaseImage image{};
            EXPECT_EQ(loadWith(ZaDod::LoadJpegImage, withJpegSize(jpeg, side, side), &image), -1) << side;
            EXPECT_EQ(loadWith(ZaDod::LoadJpegImage, withJpegSize(jpeg, side, side), &image, nullptr, 1), -1) << side;
            EXPECT_EQ(image.pixels, nullptr);
        }
    }
}
