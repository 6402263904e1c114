// Tests of media/graphics/mem_img: software images.
#include "media/graphics/mem_img.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/base/memory.h"
#include "media/graphics/base_image.h"

using namespace ZaDod;

namespace {

struct Img : MEMIMG {
    Img() { std::memset(static_cast<MEMIMG*>(this), 0, sizeof(MEMIMG)); }
    ~Img() { TerminateMemImg(this); }
};

// An ARGB8 base image whose pixels the test sets directly.
struct Argb {
    BaseImage image{};
    Argb(int w, int h) { CreateARGB8ColorBaseImage(w, h, &image); }
    ~Argb() { ReleaseBaseImage(&image); }
    uint32_t& at(int x, int y) {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image.pixels) + y * image.pitch)[x];
    }
};

}  // namespace

TEST(MemImg, PitchAndShift) {
    struct Case { int width, type, pitch, shift; } cases[] = {{1, 0, 16, -1}, {512, 0, 1024, 10}, {3, 1, 16, 4}};
    for (const Case& c : cases) {
        Img img;
        ASSERT_EQ(MakeMemImg(&img, c.width, 2, c.type), 0);
        EXPECT_EQ(img.base->pitch, c.pitch) << c.width;
        EXPECT_EQ(img.base->pitchShift, c.shift) << c.width;
        EXPECT_EQ(CheckValidMemImg(&img), 1);
    }
    Img given;
    ASSERT_EQ(CreateMemImg(&given, 4, 4, 64, 0, 1, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(given.base->pitchShift, 6);
    EXPECT_EQ(CreateMemImg(&given, 4, 4, 64, 0, 1, 0, 0, 0, nullptr), -1);  // already created
    Img narrow;
    EXPECT_EQ(CreateMemImg(&narrow, 4, 4, 8, 0, 1, 0, 0, 0, nullptr), -1);  // pitch below the row
    EXPECT_EQ(CheckValidMemImg(&narrow), 0);
}

TEST(MemImg, RunTableAndPremultipliedCopy) {
    Argb src(105, 1);
    for (int x = 0; x < 100; ++x) src.at(x, 0) = 0xFF010080u | 0x00000000u;
    src.at(0, 0) = 0xFF0180FFu;  // B 255, G 128, R 1, A 255
    for (int x = 100; x < 103; ++x) src.at(x, 0) = 0x00000000u;
    src.at(103, 0) = src.at(104, 0) = 0x80FFFFFFu;
    Img img;
    ASSERT_EQ(CreateMemImg(&img, 105, 1, -1, 0, 1, 0, 1, 1, nullptr), 0);
    ASSERT_GE(BltBaseImageToMemImg(&src.image, nullptr, &img, 0, 0, 105, 1, 0, 0, 0), 0);
    EXPECT_EQ(img.base->runTableValid, 1);
    EXPECT_EQ(img.base->premultipliedValid, 1);
    const uint8_t expected[] = {0x7F, 0x63, 0x02, 0x81, 0xC0};
    EXPECT_EQ(std::memcmp(img.base->runTable, expected, sizeof expected), 0);
    const uint8_t* pre = img.alphaPixels;
    EXPECT_EQ(pre[0], 254);
    EXPECT_EQ(pre[1], 127);
    EXPECT_EQ(pre[2], 0);
    EXPECT_EQ(pre[3], 255);

    // A part-image load leaves both derived tables marked stale.
    ASSERT_GE(BltBaseImageToMemImg(&src.image, nullptr, &img, 0, 0, 10, 1, 0, 0, 0), 0);
    EXPECT_EQ(img.base->runTableValid, 0);
    EXPECT_EQ(img.base->premultipliedValid, 0);
    // Rectangles outside either image are refused.
    EXPECT_EQ(BltBaseImageToMemImg(&src.image, nullptr, &img, 1, 0, 105, 1, 0, 0, 0), -1);
    EXPECT_EQ(BltBaseImageToMemImg(&src.image, nullptr, &img, 0, 0, 10, 1, 100, 0, 0), -1);
}

TEST(MemImg, RunTableByTransparentColour16) {
    Argb src(70, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 70; ++x) src.at(x, y) = x < 2 ? 0xFFFF00FFu : 0xFF000000u;
    Img img;
    ASSERT_EQ(CreateMemImg(&img, 70, 2, -1, 0xF81F, 0, 0, 0, 1, nullptr), 0);
    ASSERT_GE(BltBaseImageToMemImg(&src.image, nullptr, &img, 0, 0, 70, 2, 0, 0, 0), 0);
    const uint8_t row[] = {0x01, 0x7F, 0x43, 0xC0};
    EXPECT_EQ(std::memcmp(img.base->runTable, row, 4), 0);
    EXPECT_EQ(std::memcmp(img.base->runTable + 4, row, 4), 0);
}

TEST(MemImg, DeriveAndRelease) {
    Img src;
    ASSERT_EQ(MakeMemImg(&src, 8, 8, 1), 0);
    Img view;
    view.width = 77;
    DeriveMemImg(&view, &src, 4, 4, 5, 4);  // one pixel too wide
    EXPECT_EQ(view.width, 77);
    EXPECT_EQ(CheckValidMemImg(&view), 0);
    DeriveMemImg(&view, &src, 4, 4, 4, 4);
    ASSERT_EQ(CheckValidMemImg(&view), 1);
    EXPECT_EQ(view.pixels, src.pixels + 4 * 4 + 4 * src.base->pitch);
    EXPECT_EQ(src.base->refCount, 2);
    TerminateMemImg(&src);
    EXPECT_EQ(view.base->refCount, 1);  // the view keeps the buffer alive
    FillMemImg(&view, nullptr, 0x12345678);
    EXPECT_EQ(reinterpret_cast<uint32_t*>(view.pixels)[3], 0x12345678u);

    std::vector<uint16_t> buffer(16 * 4, 0xABCD);
    const int blocks = MemGetAllocNum();
    {
        Img caller;
        ASSERT_EQ(CreateMemImg(&caller, 4, 4, 32, 0, 0, 0, 0, 0, buffer.data()), 0);
        FillMemImg(&caller, nullptr, 0x1111);
    }
    EXPECT_EQ(MemGetAllocNum(), blocks);
    EXPECT_EQ(buffer[0], 0x1111);  // the caller's memory was used and is still there
}

TEST(MemImg, FailedCreationLeavesNothing) {
    const int blocks = MemGetAllocNum();
    uint32_t dummy = 0;
    Img img;
    // The caller gives the pixels; the alpha buffer of a petabyte cannot be had.
    EXPECT_EQ(CreateMemImg(&img, 1 << 24, 1 << 24, -1, 0, 1, 0, 1, 1, &dummy), -1);
    EXPECT_EQ(CheckValidMemImg(&img), 0);
    EXPECT_EQ(img.base, nullptr);
    EXPECT_EQ(MemGetAllocNum(), blocks);
}

TEST(MemImg, PaletteLoadsConvertToBothTypes) {
    BaseImage pal{};
    CreatePal8ColorData(&pal.format);
    pal.format.palette[0] = PaletteEntry{0x00, 0x80, 0xFF, 0};  // blue, green, red
    pal.format.palette[3] = PaletteEntry{0x10, 0x20, 0x30, 0};
    uint8_t pixels[4] = {0, 3, 3, 0};
    pal.width = 4;
    pal.height = 1;
    pal.pitch = 4;
    pal.pixels = pixels;
    for (int type = 0; type < 2; ++type) {
        Img img;
        ASSERT_EQ(CreateMemImg(&img, 4, 1, -1, 0, type, 1, 0, 0, nullptr), 0);
        ASSERT_GE(BltBaseImageToMemImg(&pal, nullptr, &img, 0, 0, 4, 1, 0, 0, 0), 0);
        EXPECT_EQ(img.base->paletteColorsUsed, 4);
        EXPECT_EQ(img.pixels[1], 3);
        if (type == 1) {
            auto* words = reinterpret_cast<uint32_t*>(img.base->palette);
            EXPECT_EQ(words[0], 0x00FF8000u);
            EXPECT_EQ(words[3], 0x00302010u);
        } else {
            auto* words = reinterpret_cast<uint16_t*>(img.base->palette);
            EXPECT_EQ(words[0], 0xFC00);
            EXPECT_EQ(words[3], (0x30 << 8) | (0x20 << 3) | (0x10 >> 3));
        }
        EXPECT_EQ(std::memcmp(img.base->palette, img.base->paletteCopy, 1024), 0);
    }
}

TEST(MemImg, FillClipsAndCopyConverts) {
    Img img;
    ASSERT_EQ(MakeMemImg(&img, 4, 4, 0), 0);
    FillMemImg(&img, nullptr, 0);
    const ImageRect rect{2, -3, 9, 1};
    FillMemImg(&img, &rect, 0xF800);
    auto pixel = [&](int x, int y) { return reinterpret_cast<uint16_t*>(img.pixels + y * img.base->pitch)[x]; };
    EXPECT_EQ(pixel(2, 0), 0xF800);
    EXPECT_EQ(pixel(3, 0), 0xF800);
    EXPECT_EQ(pixel(1, 0), 0);
    EXPECT_EQ(pixel(2, 1), 0);

    Img wide;
    ASSERT_EQ(MakeMemImg(&wide, 4, 4, 1), 0);
    FillMemImg(&wide, nullptr, 0);
    BltMemImg(&wide, &img, nullptr, 1, 0);  // runs off the right edge: clipped
    EXPECT_EQ(reinterpret_cast<uint32_t*>(wide.pixels)[3] & 0xFFFFFF, 0x00FF0000u);

    ImageRect clip{5, 5, 2, 9};
    const ImageRect bounds{0, 0, 4, 4};
    ClipRect(&clip, &bounds);
    EXPECT_EQ(clip.left, 4);
    EXPECT_EQ(clip.right, 4);
    EXPECT_EQ(clip.bottom, 4);
}

TEST(MemImg, BlendTables) {
    InitMemImgBlendTables();
    EXPECT_EQ(MemImgProductTable[128][128], 64);
    EXPECT_EQ(MemImgSignedProductTable[255][0], -255);
    EXPECT_EQ(MemImgSignedProductTable[255][510], 255);
    EXPECT_EQ(MemImgSignedProductTable[255][511], 0);
    EXPECT_EQ(MemImgMix6Table[32][63][0], 32);

    CreateMemImgBlendGraphTable(128, 0);
    EXPECT_EQ(MemImgBlendGraphTable[127], 0);
    EXPECT_EQ(MemImgBlendGraphTable[128], 128);
    EXPECT_EQ(MemImgBlendGraphTable[129], 255);
    CreateMemImgBlendGraphTable(128, 64);
    EXPECT_EQ(MemImgBlendGraphTable[100], 17);
    EXPECT_EQ(MemImgBlendGraphTable[128], 128);
    EXPECT_EQ(MemImgBlendGraphTable[160], 254);
    CreateMemImgBlendGraphTable(255, 255);
    EXPECT_EQ(MemImgBlendGraphTable[255], 1);
    EXPECT_EQ(MemImgBlendGraphTable[254], 0);
}
