// Tests of media/graphics/base_image: base images.
#include "media/graphics/base_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/base/memory.h"

using namespace ZaDod;

namespace {

struct Image : BaseImage {
    Image() : BaseImage{} {}
    ~Image() { ReleaseBaseImage(this); }
};

BaseImage blockImage(int code, int w, int h, int mips, int images = 0) {
    BaseImage img{};
    CreateARGB8ColorData(&img.format);
    img.format.formatCode = static_cast<uint8_t>(code);
    img.width = w;
    img.height = h;
    img.mipCount = mips;
    img.imageCount = images;
    return img;
}

uint32_t pixel32(const BaseImage& img, int x, int y) {
    uint32_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(img.pixels) + y * img.pitch + x * 4, 4);
    return v;
}

}  // namespace

TEST(BaseImage, CreateDeriveRelease) {
    Image img;
    ASSERT_EQ(CreateARGB8ColorBaseImage(3, 2, &img), 0);
    EXPECT_EQ(img.pitch, 12);
    EXPECT_EQ(GetBaseImageDataSize(&img), 24);
    EXPECT_EQ(img.format.alphaMask, 0xFF000000u);
    EXPECT_EQ(img.mipCount, 0);

    BaseImage view;
    ASSERT_EQ(DeriveBaseImage(&img, 0, 0, 3, 2, &view), 0);  // a fresh image has mip count 0
    EXPECT_EQ(view.pixels, img.pixels);
    EXPECT_EQ(view.pitch, img.pitch);
    ASSERT_EQ(DeriveBaseImage(&img, 1, 1, 3, 2, &view), 0);
    EXPECT_EQ(view.width, 2);
    EXPECT_EQ(view.height, 1);
    EXPECT_EQ(static_cast<uint8_t*>(view.pixels), static_cast<uint8_t*>(img.pixels) + 12 + 4);

    EXPECT_EQ(DeriveBaseImage(&img, -1, 0, 2, 2, &view), -1);
    EXPECT_EQ(DeriveBaseImage(&img, 2, 0, 2, 2, &view), -1);
    EXPECT_EQ(DeriveBaseImage(&img, 0, 0, 4, 2, &view), -1);
    img.mipCount = 1;
    EXPECT_EQ(DeriveBaseImage(&img, 0, 0, 1, 1, &view), 0);
    img.mipCount = 2;
    EXPECT_EQ(DeriveBaseImage(&img, 0, 0, 1, 1, &view), -1);
    img.mipCount = 0;

    Image x;
    ASSERT_EQ(CreateXRGB8ColorBaseImage(5, 1, &x), 0);
    EXPECT_EQ(x.pitch, 20);
    EXPECT_EQ(x.format.unusedMask, 0xFF000000u);
    ReleaseBaseImage(&x);
    EXPECT_EQ(x.pixels, nullptr);
    EXPECT_EQ(x.width, 0);
}

TEST(BaseImage, DataSizesCoverEveryLevelAndImage) {
    BaseImage a = blockImage(kPixelDXT1, 8, 8, 2);
    EXPECT_EQ(GetBaseImageDataSize(&a), 40);
    BaseImage b = blockImage(kPixelDXT1, 18, 18, 0);
    EXPECT_EQ(GetBaseImageDataSize(&b), 200);
    BaseImage c = blockImage(kPixelDXT5, 16, 8, 5);
    EXPECT_EQ(GetBaseImageDataSize(&c), 208);
    BaseImage d{};
    CreateFullColorData(&d.format);
    d.width = 16;
    d.height = 8;
    d.mipCount = 5;
    EXPECT_EQ(GetBaseImageDataSize(&d), 513);
    d.imageCount = 6;
    EXPECT_EQ(GetBaseImageDataSize(&d), 513 * 6);
    BaseImage e = blockImage(kPixelDXT3, 4, 4, 0, 6);
    EXPECT_EQ(GetBaseImageDataSize(&e), 96);
    BaseImage f = blockImage(7, 4, 4, 0);
    EXPECT_EQ(GetBaseImageDataSize(&f), -1);
}

TEST(BaseImage, MaxValueFillAndClipping) {
    Image img;
    ASSERT_EQ(CreateARGB8ColorBaseImage(4, 3, &img), 0);
    EXPECT_EQ(GetBaseImageMaxValue(&img), -1);
    ASSERT_EQ(FillBaseImage(&img, 1, 2, 3, 4), 0);
    EXPECT_EQ(pixel32(img, 3, 2), 0x04010203u);

    EXPECT_EQ(FillBaseImageRect(&img, 4, 0, 1, 1, 9, 9, 9, 9), -1);
    EXPECT_EQ(FillBaseImageRect(&img, 0, 3, 1, 1, 9, 9, 9, 9), -1);
    EXPECT_EQ(FillBaseImageRect(&img, 0, 0, 0, 1, 9, 9, 9, 9), -1);
    EXPECT_EQ(FillBaseImageRect(&img, -1, -1, 3, 10, 255, 0, 0, 255), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixel32(img, x, y), x < 2 ? 0xFFFF0000u : 0x04010203u) << x << "," << y;

    BaseImage gray{};
    CreateGrayPal8ColorData(&gray.format);
    std::vector<uint8_t> bytes = {0, 7, 200, 3, 9, 1};
    gray.pixels = bytes.data();
    gray.width = 3;
    gray.height = 2;
    gray.pitch = 3;
    EXPECT_EQ(GetBaseImageMaxValue(&gray), 200);
    FillBaseImageRect(&gray, 1, 1, 5, 5, 255, 0, 0, 0);  // a 1-byte layout takes red as it stands
    EXPECT_EQ(GetBaseImageMaxValue(&gray), 255);
    EXPECT_EQ(bytes[3], 3);
    EXPECT_EQ(bytes[4], 255);
}

TEST(BaseImage, PixelAccessAcrossLayouts) {
    Image img;
    ASSERT_EQ(CreateARGB8ColorBaseImage(2, 2, &img), 0);
    ASSERT_EQ(SetBaseImagePixel(&img, 1, 1, 10, 20, 30, 40), 0);
    int r, g, b, a;
    ASSERT_EQ(GetBaseImagePixel(&img, 1, 1, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(a, 40);
    EXPECT_EQ(GetBaseImagePixel(&img, 2, 0, &r, &g, &b, &a), -1);
    EXPECT_EQ(SetBaseImagePixel(&img, 0, -1, 0, 0, 0, 0), -1);

    // 4 x 16-bit float
    std::vector<uint16_t> half(8, 0);
    BaseImage h{};
    h.format = *GetPixelFormatDesc(23);
    h.pixels = half.data();
    h.width = 2;
    h.height = 1;
    h.pitch = 16;
    ASSERT_EQ(SetBaseImagePixel(&h, 1, 0, 255, 128, 0, 255), 0);
    EXPECT_EQ(half[4], 0x3C00);
    EXPECT_EQ(half[5], 0x3804);
    EXPECT_EQ(half[6], 0x0000);
    EXPECT_EQ(half[7], 0x3C00);
    r = g = b = a = -5;
    ASSERT_EQ(GetBaseImagePixel(&h, 1, 0, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 128);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(a, 255);

    // One 32-bit float channel writes only red; out-of-range floats clamp.
    float one[1] = {0};
    BaseImage f{};
    f.format = *GetPixelFormatDesc(28);
    f.pixels = one;
    f.width = f.height = 1;
    f.pitch = 4;
    ASSERT_EQ(SetBaseImagePixel(&f, 0, 0, 51, 99, 99, 99), 0);
    EXPECT_FLOAT_EQ(one[0], 0.2f);
    g = -5;
    one[0] = 7.0f;
    ASSERT_EQ(GetBaseImagePixel(&f, 0, 0, &r, &g, nullptr, nullptr), 0);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, -5);

    // Palette: the entry's colour and its reserved byte as alpha; writing picks the nearest entry.
    std::vector<uint8_t> idx = {0, 0};
    BaseImage p{};
    CreateGrayPal8ColorData(&p.format);
    p.format.palette[9].reserved = 77;
    p.pixels = idx.data();
    p.width = 2;
    p.height = 1;
    p.pitch = 2;
    ASSERT_EQ(SetBaseImagePixel(&p, 1, 0, 9, 9, 10, 0), 0);
    EXPECT_EQ(idx[1], 9);
    ASSERT_EQ(GetBaseImagePixel(&p, 1, 0, &r, &g, &b, &a), 0);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(a, 77);
}

TEST(BaseImage, MirrorAndRectangles) {
    Image img;
    ASSERT_EQ(CreateARGB8ColorBaseImage(3, 2, &img), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) SetBaseImagePixel(&img, x, y, x, y, 0, 255);
    ASSERT_EQ(MirrorBaseImage(&img), 0);
    EXPECT_EQ(pixel32(img, 0, 1), 0xFF020100u);
    EXPECT_EQ(pixel32(img, 2, 1), 0xFF000100u);
    BaseImage empty{};
    EXPECT_EQ(MirrorBaseImage(&empty), -1);

    // Copy with conversion into a 24-bit image, clipped on every side.
    BaseImage rgb{};
    CreateFullColorData(&rgb.format);
    std::vector<uint8_t> bytes(12, 0xEE);
    rgb.pixels = bytes.data();
    rgb.width = 2;
    rgb.height = 2;
    rgb.pitch = 6;
    ASSERT_EQ(BltBaseImageRect(-1, 0, 3, 5, 0, -1, &img, &rgb), 0);
    // Source column -1 is cut (dest moves right by 1); dest row -1 is cut (source moves down by 1).
    // Only source (0, 1) lands, at (1, 0): mirrored, it holds red 2, green 1, blue 0.
    EXPECT_EQ(bytes[0], 0xEE);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[4], 0x01);
    EXPECT_EQ(bytes[5], 0x02);
    EXPECT_EQ(bytes[6], 0xEE);
    EXPECT_EQ(BltBaseImageRect(0, 0, 5, 5, 2, 0, &img, &rgb), 0);  // clips to nothing

    ASSERT_EQ(BltBaseImage(1, 1, &img, &rgb), 0);
    EXPECT_EQ(bytes[9], 0x00);
    EXPECT_EQ(bytes[11], 0x02);

    EXPECT_EQ(ClearRectBaseImage(&img, 3, 0, 1, 1), -1);
    EXPECT_EQ(ClearRectBaseImage(&img, 0, 0, 0, 1), -1);
    ASSERT_EQ(ClearRectBaseImage(&img, -1, 1, 2, 9), 0);
    EXPECT_EQ(pixel32(img, 0, 1), 0u);
    EXPECT_NE(pixel32(img, 1, 1), 0u);
    EXPECT_NE(pixel32(img, 0, 0), 0u);
}

TEST(BaseImage, PixelAccessDecodesBlockImagesFirst) {
    BaseImage img = blockImage(kPixelDXT1, 4, 4, 0);
    auto* block = static_cast<uint8_t*>(MemAlloc(8, "test", __LINE__));
    const uint8_t data[8] = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};  // solid red
    std::memcpy(block, data, 8);
    img.pixels = block;
    int r, g, b, a;
    ASSERT_EQ(GetBaseImagePixel(&img, 3, 3, &r, &g, &b, &a), 0);
    EXPECT_EQ(img.format.formatCode, kPixelPlain);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(a, 255);
    ReleaseBaseImage(&img);

    BaseImage noPixels = blockImage(kPixelDXT1, 4, 4, 0);
    EXPECT_EQ(FillBaseImage(&noPixels, 0, 0, 0, 0), -1);
    EXPECT_EQ(ClearRectBaseImage(&noPixels, 0, 0, 1, 1), -1);
}

TEST(BaseImage, ModuleStartsOnce) {
    ASSERT_EQ(InitializeBaseImageManage(), 0);
    EXPECT_EQ(InitializeBaseImageManage(), -1);
    EXPECT_EQ(TerminateBaseImageManage(), 0);
    EXPECT_EQ(TerminateBaseImageManage(), -1);
}
