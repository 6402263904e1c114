// Every fixture ImageMagick writes loads to the pixels ImageMagick reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "media/graphics/base_image.h"
#include "tests/media/graphics/image/image_testing.h"

using namespace imagetest;

namespace {

enum class Src { Color, Color18, Alpha, Grey, Pal16, Pal64 };

struct Fixture {
    const char* name;
    Src source;
    const char* options;  // between the source and the output
    const char* output;   // with any format prefix
    int tolerance;        // per channel
    bool premultiplied;   // the RGBA TIFF reader premultiplies unassociated alpha
    // For BMP files, the form the fixture must have: header size, bits, compression.
    int bmpHeader = 0, bmpBits = 0, bmpCompression = 0;
};

std::string sourceOf(Src s)
{
    switch (s) {
    case Src::Color: return colorSource();
    case Src::Color18: return colorSource(18, 18);
    case Src::Alpha: return alphaSource();
    case Src::Grey: return greySource();
    case Src::Pal16: return paletteSource(12);  // 16 colours get 8-bit files
    case Src::Pal64: return paletteSource(64);
    }
    return {};
}

#define kOneTransparent "-alpha set -channel A -fx \"i==0&&j==0?0:1\" +channel"
#define kOneTransparentGrey kOneTransparent " -define png:color-type=0"

const Fixture kFixtures[] = {
    {"bmp_pal4", Src::Pal16, "", "pal4.bmp", 0, false, 124, 4, 0},
    {"bmp_rle8", Src::Pal64, "", "rle8.bmp", 0, false, 124, 8, 1},
    {"bmp_mono", Src::Color, "-monochrome", "mono.bmp", 0, false, 108, 1, 0},
    {"bmp3_pal4", Src::Pal16, "", "BMP3:pal4v3.bmp", 0, false, 40, 4, 0},
    {"bmp3_rgb", Src::Color, "-type TrueColor", "BMP3:rgbv3.bmp", 0, false, 40, 24, 0},
    {"bmp_rgb", Src::Color, "-type TrueColor", "rgb.bmp", 0, false, 0, 24, 0},
    {"bmp_rgba", Src::Alpha, "", "rgba.bmp", 0, false, 124, 32, 3},
    {"bmp_rgb565", Src::Color, "-define bmp:subtype=RGB565", "rgb565.bmp", 1, false, 0, 16, 3},
    {"tga_default", Src::Color, "", "plain.tga", 0, false},
    {"tga_rle", Src::Color, "-compress RLE", "rle.tga", 0, false},
    {"tga_palette", Src::Pal16, "-type Palette", "pal.tga", 0, false},
    {"tga_palette_rle", Src::Pal16, "-type Palette -compress RLE", "palrle.tga", 0, false},
    {"tga_alpha", Src::Alpha, "", "alpha.tga", 0, false},
    {"dds_dxt1", Src::Color, "", "dxt1.dds", 1, false},
    {"dds_plain", Src::Color, "-define dds:compression=none", "plain.dds", 0, false},
    {"dds_dxt5", Src::Alpha, "-define dds:compression=dxt5", "dxt5.dds", 1, false},
    {"dds_18_single", Src::Color18, "-define dds:mipmaps=0", "single.dds", 1, false},
    {"png8_one_transparent", Src::Pal16, kOneTransparent, "PNG8:p8.png", 0, false},
    {"png_grey_trns", Src::Grey, kOneTransparentGrey, "gt.png", 0, false},
    {"png_mono", Src::Color, "-monochrome", "mono.png", 0, false},
    {"png_64", Src::Alpha, "", "PNG64:deep.png", 1, false},
    {"png_grey_alpha", Src::Alpha, "-colorspace Gray -define png:color-type=4", "ga.png", 0, false},
    {"png_interlaced", Src::Color, "-interlace PNG", "inter.png", 0, false},
    {"png_plain", Src::Color, "", "plain.png", 0, false},
    {"jpeg_width3", Src::Color, "-resize 3x7!", "w3.jpg", 1, false},
    {"jpeg_grey", Src::Grey, "", "grey.jpg", 1, false},
    {"jpeg_cmyk", Src::Color, "-colorspace CMYK", "cmyk.jpg", 3, false},
    {"tiff_default", Src::Color, "", "plain.tif", 0, false},
    {"tiff_strips3", Src::Color, "-define tiff:rows-per-strip=3", "strips.tif", 0, false},
    {"tiff_big_endian", Src::Color, "-endian MSB", "mm.tif", 0, false},
    {"tiff_rgba", Src::Alpha, "-define tiff:alpha=unassociated", "rgba.tif", 1, true},
};

class FixtureMatch : public ::testing::TestWithParam<Fixture> {};

TEST_P(FixtureMatch, LoadsWhatImageMagickReads)
{
    REQUIRE_MAGICK();
    const Fixture& f = GetParam();
    const std::string output = f.output;
    const size_t colon = output.find(':');
    const std::string file = colon == std::string::npos ? output : output.substr(colon + 1);
    const Bytes bytes = magick("'" + sourceOf(f.source) + "' " + f.options, output);
    ASSERT_FALSE(bytes.empty()) << "convert failed";
    if (f.bmpBits) {
        ASSERT_GT(bytes.size(), 34u);
        if (f.bmpHeader) {
            EXPECT_EQ(bytes[14] | bytes[15] << 8, f.bmpHeader);
        }
        EXPECT_EQ(bytes[28], f.bmpBits);
        EXPECT_EQ(bytes[30], f.bmpCompression);
    }
    int width = 0, height = 0;
    Bytes expected = magickRgba(scratchDir() + "/" + file, &width, &height);
    if (f.premultiplied)
        for (size_t i = 0; i + 3 < expected.size(); i += 4)
            for (int c = 0; c < 3; ++c) expected[i + c] = uint8_t((expected[i + c] * expected[i + 3] + 127) / 255);

    ZaDod::BaseImage image{};
    ASSERT_EQ(loadMemory(bytes, &image), 0);
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_LE(maxDifference(toRgba(&image), expected), f.tolerance);
    ZaDod::ReleaseBaseImage(&image);
}

INSTANTIATE_TEST_SUITE_P(Magick, FixtureMatch, ::testing::ValuesIn(kFixtures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FixtureMatch, PlainAndInterlacedPngGiveTheSamePixels)
{
    REQUIRE_MAGICK();
    const Bytes plain = magick("'" + alphaSource() + "'", "a.png");
    const Bytes inter = magick("'" + alphaSource() + "' -interlace PNG", "b.png");
    ZaDod::BaseImage a{}, b{};
    ASSERT_EQ(loadMemory(plain, &a), 0);
    ASSERT_EQ(loadMemory(inter, &b), 0);
    EXPECT_EQ(toRgba(&a), toRgba(&b));
    ZaDod::ReleaseBaseImage(&a);
    ZaDod::ReleaseBaseImage(&b);
}

TEST(FixtureMatch, TrueColourPngTransparentColourBecomesAlpha)
{
    REQUIRE_MAGICK();
    for (const int depth : {8, 16}) {
        const std::string file = "rgbt" + std::to_string(depth) + ".png";
        const Bytes bytes = magick("'" + colorSource() + "' " kOneTransparent " -define png:color-type=2 -depth " +
                                       std::to_string(depth),
                                   (depth == 16 ? "PNG48:" : "") + file);
        // Colour type 2 at the asked depth, keyed through a tRNS chunk.
        ASSERT_GT(bytes.size(), 26u);
        EXPECT_EQ(bytes[24], depth);
        EXPECT_EQ(bytes[25], 2);
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin("tRNS"), std::end("tRNS") - 1), bytes.end());
        Loaded l;
        ASSERT_EQ(loadMemory(bytes, &l.image), 0) << depth;
        EXPECT_EQ(l.image.format.alphaWidth, 8);
        const Bytes rgba = toRgba(&l.image);
        EXPECT_EQ(rgba, magickRgba(scratchDir() + "/" + file)) << depth;
        ASSERT_EQ(rgba.size(), 13u * 7 * 4);
        for (size_t i = 0; i < 13 * 7; ++i) EXPECT_EQ(rgba[i * 4 + 3], i == 0 ? 0 : 255) << depth << " pixel " << i;
    }
}

TEST(FixtureMatch, TiledTiffAndGreyTargaAreRefused)
{
    REQUIRE_MAGICK();
    ZaDod::BaseImage image{};
    EXPECT_EQ(loadMemory(magick("'" + colorSource(40, 40) + "' -define tiff:tile-geometry=16x16", "tiled.tif"), &image), -1);
    const Bytes grey = magick("'" + greySource() + "'", "grey.tga");
    ASSERT_GT(grey.size(), 18u);
    EXPECT_EQ(grey[2], 3);
    EXPECT_EQ(loadMemory(grey, &image), -1);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
