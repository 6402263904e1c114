// The layouts loaders produce: pitches, palettes, depths and the bytes read.
#include <gtest/gtest.h>

#include "media/file/file_access.h"
#include "media/graphics/base_image.h"
#include "media/graphics/image/image_loader.h"
#include "tests/media/graphics/image/image_testing.h"

using namespace imagetest;
using ZaDod::BaseImage;

namespace {

}  // namespace

TEST(LoaderLayout, BmpForms)
{
    REQUIRE_MAGICK();
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + colorSource() + "' -monochrome", "m.bmp"), &l.image), 0);
        EXPECT_EQ(l.image.format.colorBits, 8);
        EXPECT_EQ(l.image.format.maxPaletteIndex, 15u);
        EXPECT_EQ(l.image.pitch, 16);
        const auto* p = static_cast<const uint8_t*>(l.image.pixels);
        for (int y = 0; y < l.image.height; ++y)
            for (int x = 0; x < l.image.width; ++x) EXPECT_LE(p[y * l.image.pitch + x], 1);
    }
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + colorSource(3, 4) + "' -type TrueColor", "w3.bmp"), &l.image), 0);
        EXPECT_EQ(l.image.pitch, 12);
        EXPECT_EQ(l.image.format.colorBits, 24);
    }
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + colorSource() + "' -define bmp:subtype=RGB565", "565.bmp"), &l.image), 0);
        EXPECT_EQ(l.image.format.colorBits, 24);
    }
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + alphaSource() + "'", "a.bmp"), &l.image), 0);
        EXPECT_EQ(l.image.format.colorBits, 32);
        EXPECT_EQ(l.image.format.alphaMask, 0xFF000000u);
    }
}

TEST(LoaderLayout, JpegAndPngForms)
{
    REQUIRE_MAGICK();
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + greySource() + "'", "g.jpg"), &l.image), 0);
        EXPECT_EQ(l.image.format.colorBits, 8);
        EXPECT_EQ(l.image.pitch, l.image.width);
        EXPECT_EQ(l.image.format.palette[200].red, 200);
    }
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + colorSource(3, 5) + "'", "w3.jpg"), &l.image), 0);
        EXPECT_EQ(l.image.pitch, 9);
    }
    {
        Loaded l;
        ASSERT_EQ(loadMemory(magick("'" + colorSource() + "' -monochrome", "m.png"), &l.image), 0);
        EXPECT_EQ(l.image.format.colorBits, 8);
        const auto* p = static_cast<const uint8_t*>(l.image.pixels);
        bool seen0 = false, seen255 = false;
        for (int i = 0; i < l.image.pitch * l.image.height; ++i) seen0 |= p[i] == 0, seen255 |= p[i] == 255;
        EXPECT_TRUE(seen0 && seen255);
    }
    {
        // Two transparent-table entries for a four-colour palette: the rest stay opaque.
        Loaded l;
        const Bytes png = magick("-size 4x1 xc:red -fill blue -draw 'point 1,0' -fill lime -draw 'point 2,0' "
                                 "-fill '#00000000' -draw 'color 0,0 point' -colors 4",
                                 "PNG8:t.png");
        ASSERT_EQ(loadMemory(png, &l.image), 0);
        ASSERT_EQ(l.image.format.colorBits, 8);
        EXPECT_EQ(l.image.format.alphaMask, 0xFF000000u);
        EXPECT_EQ(l.image.format.palette[255].reserved, 255);
        const auto* p = static_cast<const uint8_t*>(l.image.pixels);
        EXPECT_EQ(l.image.format.palette[p[0]].reserved, 0);
        EXPECT_EQ(l.image.format.palette[p[1]].reserved, 255);
    }
}

TEST(LoaderLayout, DdsReadsExactlyItsDataSize)
{
    REQUIRE_MAGICK();
    struct Case {
        const char* options;
        bool alpha;
        int width, height;
        int64_t bytes;
    } cases[] = {
        {"", false, 16, 8, 104},
        {"-define dds:compression=none", false, 16, 8, 513},
        {"-define dds:compression=dxt5", true, 16, 8, 208},
        {"-define dds:mipmaps=0", false, 18, 18, 200},
    };
    for (const Case& c : cases) {
        const Bytes dds = magick("'" + (c.alpha ? alphaSource(c.width, c.height) : colorSource(c.width, c.height)) + "' " +
                                     c.options,
                                 "s.dds");
        ASSERT_FALSE(dds.empty());
        Loaded l;
        int64_t end = 0;
        ASSERT_EQ(loadWith(ZaDod::LoadDDSImage, dds, &l.image, &end), 0) << c.options;
        EXPECT_EQ(ZaDod::GetBaseImageDataSize(&l.image), c.bytes) << c.options;
        EXPECT_EQ(end - 128, c.bytes) << c.options;
    }
}
