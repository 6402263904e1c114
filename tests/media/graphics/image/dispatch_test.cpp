// The loader dispatch: order, rewinds, info-only, options, "_a" pairs and DIB graphs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/graphics/base_image_load.h"
#include "media/graphics/image/image_loader.h"
#include "tests/media/graphics/image/image_testing.h"

using namespace imagetest;
using ZaDod::BaseImage;

namespace {

std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::vector<int64_t> startPositions;

// Reads a little, scribbles on the image and refuses, so the next loader must
// start again from a rewound stream and a zeroed image.
int greedyLoader(ZaDod::StreamData* stream, BaseImage* image, int)
{
    startPositions.push_back(stream->ReadShred.Tell(stream->DataPoint));
    uint8_t skip[5];
    stream->ReadShred.Read(skip, 1, 5, stream->DataPoint);
    std::memset(image, 0x5A, sizeof *image);
    return -1;
}

int checkingLoader(ZaDod::StreamData* stream, BaseImage* image, int)
{
    startPositions.push_back(stream->ReadShred.Tell(stream->DataPoint));
    const BaseImage zero{};
    EXPECT_EQ(std::memcmp(image, &zero, sizeof zero), 0);
    return -1;
}

ZaDod::ImageLoadStream record(int infoOnly = 0)
{
    ZaDod::ImageLoadStream r;
    ZaDod::SetupImageLoadStream(&r, infoOnly);
    return r;
}

}  // namespace

TEST(LoaderDispatch, OrderRewindAndZeroedImages)
{
    const ZaDod::BaseImageLoader expected[] = {ZaDod::LoadBmpImage,  ZaDod::LoadJpegImage, ZaDod::LoadPngImage,
                                               ZaDod::LoadTargaImage, ZaDod::LoadDDSImage, ZaDod::LoadTiffImage,
                                               ZaDod::LoadRawBGRAImage};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(ZaDod::BaseImageLoaderTable[i], expected[i]);
    EXPECT_EQ(ZaDod::BaseImageLoaderTable[7], nullptr);

    ZaDod::ImageLoadStream r = record();
    EXPECT_EQ(r.extraLoaderCount, 0);
    EXPECT_EQ(r.convertToARGB8, 0);
    EXPECT_EQ(r.transColor, 0xFF00FFu);
    r.extraLoaders[0] = greedyLoader;
    r.extraLoaders[1] = greedyLoader;
    r.extraLoaders[2] = checkingLoader;
    r.extraLoaderCount = 3;
    startPositions.clear();
    BaseImage out;
    std::memset(&out, 0x77, sizeof out);
    const Bytes junk(40, 0xFF);
    EXPECT_EQ(ZaDod::LoadBaseImageFromStream(&r, nullptr, junk.data(), junk.size(), 1, 0, 0, &out, nullptr, nullptr), -1);
    EXPECT_EQ(startPositions, (std::vector<int64_t>{0, 0, 0}));
    const BaseImage zero{};
    EXPECT_EQ(std::memcmp(&out, &zero, sizeof zero), 0);
}

TEST(LoaderDispatch, InfoOnlyGivesSizesWithoutPixels)
{
    REQUIRE_MAGICK();
    Bytes raw = {'B', 'G', 'R', 'A', 8, 8, 8, 8, 13, 0, 0, 0, 7, 0, 0, 0};
    raw.resize(16 + 13 * 7 * 4);
    const Bytes files[] = {magick("'" + colorSource() + "'", "i.bmp"), magick("'" + colorSource() + "'", "i.jpg"),
                           magick("'" + colorSource() + "'", "i.png"), magick("'" + colorSource() + "'", "i.tga"),
                           magick("'" + colorSource() + "'", "i.dds"), magick("'" + colorSource() + "'", "i.tif"),
                           raw};
    for (const Bytes& file : files) {
        BaseImage image{};
        ASSERT_EQ(loadMemory(file, &image, 1), 0);
        EXPECT_EQ(image.width, 13);
        EXPECT_EQ(image.height, 7);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(LoaderDispatch, MirrorMakeDibAndArgbOptions)
{
    REQUIRE_MAGICK();
    const Bytes png = magick("'" + colorSource() + "'", "o.png");
    Loaded plain, mirrored;
    ASSERT_EQ(loadMemory(png, &plain.image), 0);
    ZaDod::ImageLoadStream r = record();
    ASSERT_EQ(ZaDod::LoadBaseImageFromStream(&r, nullptr, png.data(), png.size(), 1, 0, 1, &mirrored.image, nullptr,
                                             nullptr),
              0);
    const Bytes a = toRgba(&plain.image), b = toRgba(&mirrored.image);
    for (int x = 0; x < 13; ++x) EXPECT_EQ(a[x * 4], b[(12 - x) * 4]);

    // Make-DIB: a top-down 24-bit DIB of the same pixels.
    const Bytes dds = magick("'" + colorSource() + "'", "o.dds");
    plat::win::BITMAPINFO* info = nullptr;
    void* bits = nullptr;
    BaseImage unused{};
    ASSERT_EQ(ZaDod::LoadBaseImageFromStream(&r, nullptr, dds.data(), dds.size(), 1, 1, 0, &unused, &info, &bits), 0);
    EXPECT_EQ(unused.pixels, nullptr);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->bmiHeader.biBitCount, 24);
    EXPECT_EQ(info->bmiHeader.biHeight, -7);
    ZaDod::MemFree(info);
    ZaDod::MemFree(bits);

    // The ARGB8 option clears the transparent colour.
    const Bytes keyed = magick("-size 2x1 xc:magenta -fill blue -draw 'point 1,0' -type TrueColor", "k.bmp");
    r.convertToARGB8 = 1;
    Loaded argb;
    ASSERT_EQ(ZaDod::LoadBaseImageFromStream(&r, nullptr, keyed.data(), keyed.size(), 1, 0, 0, &argb.image, nullptr,
                                             nullptr),
              0);
    EXPECT_EQ(argb.image.format.bytesPerPixel, 4);
    const auto* p = static_cast<const uint32_t*>(argb.image.pixels);
    EXPECT_EQ(p[0], 0u);
    EXPECT_EQ(p[1], 0xFF0000FFu);
}

TEST(LoaderDispatch, ColourAndAlphaPairs)
{
    REQUIRE_MAGICK();
    const Bytes color = magick("'" + colorSource() + "'", "pair.png");
    const Bytes alpha = magick("'" + greySource() + "'", "pair_a.png");
    magick("'" + colorSource() + "'", "lonely.png");
    ZaDod::ImageLoadStream r = record();
    auto pair = [&](const std::string& name, const void* colorMem, size_t colorSize, int fromMemory,
                    const void* alphaMem, size_t alphaSize, int mode) {
        BaseImage c{}, a{};
        const std::u16string path = wide(scratchDir() + "/" + name);
        const int result = ZaDod::LoadColorAndAlphaBaseImage(&r, path.c_str(), colorMem, colorSize, fromMemory,
                                                             alphaMem, alphaSize, mode, &c, &a, 0);
        EXPECT_EQ(a.pixels != nullptr, result == 0);
        ZaDod::ReleaseBaseImage(&c);
        ZaDod::ReleaseBaseImage(&a);
        return result;
    };
    EXPECT_EQ(pair("pair.png", nullptr, 0, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(pair("lonely.png", nullptr, 0, 0, nullptr, 0, 0), 1);
    EXPECT_EQ(pair("missing.png", nullptr, 0, 0, nullptr, 0, 0), -1);
    EXPECT_EQ(pair("", color.data(), color.size(), 1, alpha.data(), alpha.size(), 1), 0);
    EXPECT_EQ(pair("", color.data(), color.size(), 1, color.data(), 3, 1), 1);
    EXPECT_EQ(pair("", color.data(), 3, 1, alpha.data(), alpha.size(), 1), -1);
    EXPECT_EQ(pair("", color.data(), color.size(), 1, alpha.data(), alpha.size(), 2), 1);
}

TEST(LoaderDispatch, AlphaFileNames)
{
    auto name = [](const char* in, int codePage = ZaDod::CodePageUtf8) {
        char out[64] = {};
        EXPECT_EQ(ZaDod::CreateAlphaImageFileName(in, out, sizeof out, codePage), 0);
        return std::string(out);
    };
    EXPECT_EQ(name("dir.x/pic.png"), "dir.x/pic_a.png");
    EXPECT_EQ(name("pic"), "pic_a");
    EXPECT_EQ(name("dir.x/pic"), "dir.x/pic_a");
    EXPECT_EQ(name("dir.x\\pic"), "dir.x\\pic_a");
    // In code page 932 the trail byte 0x5C of a double-byte character is no separator.
    EXPECT_EQ(name("a.b\x95\x5C" "c", ZaDod::CodePageShiftJis), "a_a.b\x95\x5C" "c");
    char tiny[6];
    EXPECT_EQ(ZaDod::CreateAlphaImageFileName("pic.png", tiny, sizeof tiny, ZaDod::CodePageUtf8), -1);

    char16_t wideOut[32] = {};
    ASSERT_EQ(ZaDod::CreateAlphaImageFileName(u"d.x/p.tga", wideOut, sizeof wideOut, ZaDod::CodePageUtf16LE), 0);
    EXPECT_EQ(std::u16string(wideOut), u"d.x/p_a.tga");
}

TEST(DibGraph, FromFileGivesASectionWithThePixels)
{
    REQUIRE_MAGICK();
    // A palette PNG keeps its 8 bits; this one is true colour.
    magick("'" + colorSource() + "'", "PNG24:dib.png");
    const std::u16string path = wide(scratchDir() + "/dib.png");
    plat::win::HBITMAP bitmap = ZaDod::CreateDIBGraphFromFile(path.c_str(), 0, nullptr);
    ASSERT_NE(bitmap, nullptr);
    plat::win::BITMAP bm{};
    ASSERT_GT(plat::win::GetObject(bitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 13);
    EXPECT_EQ(bm.bmHeight, 7);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    const Bytes expected = magickRgba(scratchDir() + "/dib.png");
    const auto* bits = static_cast<const uint8_t*>(bm.bmBits);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const uint8_t* p = bits + y * bm.bmWidthBytes + x * 3;
            const uint8_t* e = &expected[(y * 13 + x) * 4];
            ASSERT_EQ((Bytes{p[2], p[1], p[0]}), (Bytes{e[0], e[1], e[2]})) << x << "," << y;
        }
    plat::win::DeleteObject(bitmap);

    // Mirrored: the first column is the last.
    bitmap = ZaDod::CreateDIBGraphFromFile(path.c_str(), 1, nullptr);
    ASSERT_NE(bitmap, nullptr);
    plat::win::GetObject(bitmap, sizeof bm, &bm);
    const auto* m = static_cast<const uint8_t*>(bm.bmBits);
    EXPECT_EQ(m[0 + 2], expected[12 * 4]);
    plat::win::DeleteObject(bitmap);
    EXPECT_EQ(ZaDod::CreateDIBGraphFromFile(u"/nonexistent/x.png", 0, nullptr), nullptr);

    magick("'" + colorSource() + "' -colors 16", "PNG8:dib8.png");
    const std::u16string path8 = wide(scratchDir() + "/dib8.png");
    bitmap = ZaDod::CreateDIBGraphFromFile(path8.c_str(), 0, nullptr);
    ASSERT_NE(bitmap, nullptr);
    plat::win::GetObject(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 8);
    plat::win::DeleteObject(bitmap);
}

TEST(DibConversion, ViewsCopiesAndTheGdiRoute)
{
    struct {
        plat::win::BITMAPINFOHEADER header;
        plat::win::RGBQUAD colors[2];
    } info{};
    info.header = {40, 2, -1, 1, 24, plat::win::BI_RGB, 0, 0, 0, 0, 0};
    uint8_t bits[8] = {1, 2, 3, 4, 5, 6, 0, 0};
    const auto* bmi = reinterpret_cast<const plat::win::BITMAPINFO*>(&info);

    BaseImage view{};
    EXPECT_EQ(ZaDod::ConvertDIBToBaseImage(bmi, bits, &view, 0), 0);
    EXPECT_EQ(view.pixels, bits);
    EXPECT_EQ(view.pitch, 8);
    Loaded copy;
    EXPECT_EQ(ZaDod::ConvertDIBToBaseImage(bmi, bits, &copy.image, 1), 1);
    EXPECT_NE(copy.image.pixels, bits);
    EXPECT_EQ(toRgba(&copy.image), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));

    // A bottom-up 1-bit DIB goes through GDI into 24 bits.
    info.header = {40, 2, 1, 1, 1, plat::win::BI_RGB, 0, 0, 0, 2, 0};
    info.colors[1] = {0x10, 0x20, 0x30, 0};
    uint8_t mono[4] = {0x40, 0, 0, 0};
    Loaded painted;
    EXPECT_EQ(ZaDod::ConvertDIBToBaseImage(bmi, mono, &painted.image, 0), 1);
    EXPECT_EQ(painted.image.format.colorBits, 24);
    EXPECT_EQ(toRgba(&painted.image), (Bytes{0, 0, 0, 255, 0x30, 0x20, 0x10, 255}));

    // Nothing painted is a failure, not a black picture.
    info.header.biCompression = 4;
    BaseImage refused{};
    EXPECT_EQ(ZaDod::ConvertDIBToBaseImage(bmi, mono, &refused, 0), -1);
    EXPECT_EQ(refused.pixels, nullptr);

    // Back to a DIB: 24-bit images are handed over as they are when the pitch fits.
    plat::win::BITMAPINFO* out = static_cast<plat::win::BITMAPINFO*>(ZaDod::MemCalloc(ZaDod::kDIBInfoBytes, "t", 0));
    void* outBits = nullptr;
    EXPECT_EQ(ZaDod::ConvertBaseImageToDIB(&copy.image, out, &outBits, 0, 0), 0);
    EXPECT_EQ(outBits, copy.image.pixels);
    EXPECT_EQ(out->bmiHeader.biBitCount, 24);
    EXPECT_EQ(out->bmiHeader.biHeight, -1);
    ZaDod::MemFree(out);
}
