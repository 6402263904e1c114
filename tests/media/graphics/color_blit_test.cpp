// Tests of media/graphics/color_blit: conversions between pixel layouts and mip halving.
#include "media/graphics/color_blit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "media/graphics/color_blit_internal.h"
#include "tests/media/graphics/formats.h"

using namespace ZaDod;
using test::channels;
using test::packed;

namespace {

const PixelFormatDesc kARGB = packed(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
const PixelFormatDesc kXRGB = packed(32, 0xFF0000, 0xFF00, 0xFF, 0);
const PixelFormatDesc kRGB565 = packed(16, 0xF800, 0x07E0, 0x001F, 0);
const PixelFormatDesc kX1555 = packed(16, 0x7C00, 0x03E0, 0x001F, 0);
const PixelFormatDesc kRGB24 = packed(24, 0xFF0000, 0xFF00, 0xFF, 0);

template <class T>
int run(std::vector<T>& dst, int dstPitch, const PixelFormatDesc& df, const void* src, int srcPitch,
         const PixelFormatDesc& sf, ImageRect rect, int dx = 0, int dy = 0, int trans = 0, uint32_t key = 0,
         int dither = 0, const void* alpha = nullptr, int alphaPitch = 0, const PixelFormatDesc* af = nullptr) {
    return GraphColorMatchBlt(dst.data(), dstPitch, &df, src, srcPitch, &sf, alpha, alphaPitch, af, dx, dy, &rect, 0,
                              trans, key, dither, 0, 0, 0, 0);
}

}  // namespace

TEST(ColorBlit, BasicConversionsAndResults) {
    const uint16_t white565[2] = {0xFFFF, 0x0000};
    std::vector<uint16_t> out(2, 0x1234);
    ASSERT_EQ(run(out, 4, kX1555, white565, 4, kRGB565, {0, 0, 2, 1}), 0);
    EXPECT_EQ(out[0], 0x7FFF);
    EXPECT_EQ(out[1], 0x0000);

    out.assign(2, 0x1234);
    EXPECT_EQ(run(out, 4, kX1555, white565, 4, kRGB565, {1, 0, 1, 1}), -1);
    EXPECT_EQ(run(out, 4, kX1555, white565, 4, kRGB565, {0, 0, 2, 0}), -1);
    EXPECT_EQ(out[0], 0x1234);

    // Widening repeats the top bits: full scale stays full scale.
    const uint16_t c565 = 0x841F;  // red 16, green 32, blue 31
    std::vector<uint32_t> wide(1);
    ASSERT_EQ(run(wide, 4, kARGB, &c565, 2, kRGB565, {0, 0, 1, 1}), 0);
    EXPECT_EQ(wide[0], 0xFF8482FFu);

    // 8-bit to 8-bit copies bytes and reports the highest; other sources cannot feed it.
    PixelFormatDesc pal;
    CreateGrayPal8ColorData(&pal);
    const uint8_t bytes[6] = {3, 9, 250, 7, 251, 1};
    std::vector<uint8_t> b8(6, 0);
    EXPECT_EQ(run(b8, 3, pal, bytes, 3, pal, {0, 0, 2, 2}), 251);
    EXPECT_EQ(b8[1], 9);
    EXPECT_EQ(b8[2], 0);
    EXPECT_EQ(run(b8, 3, pal, white565, 4, kRGB565, {0, 0, 1, 1}), -1);

    // Palette into X8R8G8B8: entries looked up, spare byte 0xFF.
    std::vector<uint32_t> x(3, 0);
    ASSERT_EQ(run(x, 12, kXRGB, bytes, 3, pal, {0, 0, 3, 1}), 0);
    EXPECT_EQ(x[0], 0xFF030303u);
    EXPECT_EQ(x[2], 0xFFFAFAFAu);

    // The destination offset is honoured; 24-bit feeds 32-bit.
    const uint8_t rgb[3] = {0x10, 0x20, 0x30};
    std::vector<uint32_t> grid(4, 0);
    ASSERT_EQ(run(grid, 8, kARGB, rgb, 3, kRGB24, {0, 0, 1, 1}, 1, 1), 0);
    EXPECT_EQ(grid[3], 0xFF302010u);
    EXPECT_EQ(grid[0], 0u);
}

TEST(ColorBlit, TransparentColourAndAlphaImage) {
    const uint32_t src[3] = {0x00FF00FF, 0xFFFF00FF, 0x00123456};
    std::vector<uint32_t> out(3);
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kXRGB, {0, 0, 3, 1}, 0, 0, 1, 0xFF00FF), 0);
    EXPECT_EQ(out[0], 0x00FF00FFu);  // compared on colour bits only
    EXPECT_EQ(out[1], 0x00FF00FFu);
    EXPECT_EQ(out[2], 0xFF123456u);

    // Cancelled by the ignore flag, and meaningless without destination alpha.
    const ImageRect one{0, 0, 1, 1};
    ASSERT_EQ(GraphColorMatchBlt(out.data(), 12, &kARGB, src, 12, &kXRGB, nullptr, 0, nullptr, 0, 0, &one, 0, 1,
                                 0xFF00FF, 0, 0, 1, 0, 0),
              0);
    EXPECT_EQ(out[0], 0xFFFF00FFu);
    std::vector<uint32_t> x(1);
    ASSERT_EQ(run(x, 4, kXRGB, src, 12, kXRGB, {0, 0, 1, 1}, 0, 0, 1, 0xFF00FF), 0);
    EXPECT_EQ(x[0], 0xFFFF00FFu);
    // A source with alpha keeps its own alpha.
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kARGB, {0, 0, 2, 1}, 0, 0, 1, 0xFF00FF), 0);
    EXPECT_EQ(out[0], 0x00FF00FFu);
    EXPECT_EQ(out[1], 0xFFFF00FFu);

    // Alpha image with an alpha channel gives its alpha; without, its blue (or palette blue).
    const uint32_t alphaArgb[2] = {0x80000011, 0x40FFFFFF};
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kXRGB, {0, 0, 2, 1}, 0, 0, 0, 0, 0, alphaArgb, 8, &kARGB), 0);
    EXPECT_EQ(out[0], 0x80FF00FFu);
    EXPECT_EQ(out[1], 0x40FF00FFu);
    const uint32_t alphaXrgb[2] = {0x00000011, 0xFF0000EE};
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kXRGB, {0, 0, 2, 1}, 0, 0, 0, 0, 0, alphaXrgb, 8, &kXRGB), 0);
    EXPECT_EQ(out[0], 0x11FF00FFu);
    EXPECT_EQ(out[1], 0xEEFF00FFu);
    PixelFormatDesc gray;
    CreateGrayPal8ColorData(&gray);
    gray.palette[5].blue = 99;
    const uint8_t alphaPal[2] = {5, 200};
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kXRGB, {0, 0, 2, 1}, 0, 0, 0, 0, 0, alphaPal, 2, &gray), 0);
    EXPECT_EQ(out[0] >> 24, 99u);
    EXPECT_EQ(out[1] >> 24, 200u);
    // An alpha image wins over the transparent colour.
    ASSERT_EQ(run(out, 12, kARGB, src, 12, kXRGB, {0, 0, 1, 1}, 0, 0, 1, 0xFF00FF, 0, alphaPal, 2, &gray), 0);
    EXPECT_EQ(out[0] >> 24, 99u);
}

TEST(ColorBlit, DitherOnlyTouchesBitsBelowTheDestinationWidth) {
    // Red 4 of 8 bits to 5 bits: the offset (matrix entry / 2) carries it up where the entry is 8 or more.
    std::vector<uint32_t> src(16, 0xFF040000);
    std::vector<uint16_t> plain(16), dithered(16);
    ASSERT_EQ(run(plain, 8, kRGB565, src.data(), 16, kARGB, {0, 0, 4, 4}), 0);
    ASSERT_EQ(run(dithered, 8, kRGB565, src.data(), 16, kARGB, {0, 0, 4, 4}, 0, 0, 0, 0, 1), 0);
    static const int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(plain[y * 4 + x], 0);
            EXPECT_EQ(dithered[y * 4 + x], kMatrix[y][x] >= 8 ? 0x0800 : 0) << x << "," << y;
        }
    // Full scale never overflows, and channels that are not narrowed are untouched.
    std::vector<uint32_t> white(4, 0xFFFFFFFF);
    std::vector<uint32_t> back(4);
    ASSERT_EQ(run(dithered, 8, kRGB565, white.data(), 8, kARGB, {0, 0, 2, 2}, 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(dithered[0], 0xFFFF);
    EXPECT_EQ(dithered[5], 0xFFFF);
    ASSERT_EQ(run(back, 8, kARGB, white.data(), 8, kXRGB, {0, 0, 2, 2}, 0, 0, 0, 0, 1), 0);
    EXPECT_EQ(back[3], 0xFFFFFFFFu);
}

TEST(ColorBlit, ChannelLayouts) {
    const PixelFormatDesc half4 = channels(4, 16, 1), float1 = channels(1, 32, 1), int16x4 = channels(4, 16, 0);
    const uint32_t src[1] = {0xFF800000};  // red 128, alpha 255
    std::vector<uint16_t> h(4);
    ASSERT_EQ(run(h, 8, half4, src, 4, kARGB, {0, 0, 1, 1}), 0);
    EXPECT_EQ(h[0], 0x3804);
    EXPECT_EQ(h[1], 0x0000);
    EXPECT_EQ(h[3], 0x3C00);
    std::vector<uint32_t> back(1);
    ASSERT_EQ(run(back, 4, kARGB, h.data(), 8, half4, {0, 0, 1, 1}), 0);
    EXPECT_EQ(back[0], 0xFF800000u);

    const float over[2] = {2.5f, -1.0f};
    ASSERT_EQ(run(back, 4, kXRGB, over, 4, float1, {0, 0, 1, 1}), 0);
    EXPECT_EQ(back[0], 0xFFFF0000u);
    ASSERT_EQ(run(back, 4, kXRGB, over + 1, 4, float1, {0, 0, 1, 1}), 0);
    EXPECT_EQ(back[0], 0xFF000000u);

    std::vector<uint16_t> w(4);
    ASSERT_EQ(run(w, 8, int16x4, src, 4, kARGB, {0, 0, 1, 1}), 0);
    EXPECT_EQ(w[0], 0x8080);
    EXPECT_EQ(w[3], 0xFFFF);
    std::vector<uint16_t> copy(4);
    ASSERT_EQ(run(copy, 8, int16x4, w.data(), 8, int16x4, {0, 0, 1, 1}), 0);
    EXPECT_EQ(copy, w);
}

TEST(ColorBlit, SingleChannelModeWritesOnlyTheFirstChannel) {
    const PixelFormatDesc gray8 = packed(8, 0xFF, 0xFF, 0xFF, 0xFF);
    const uint32_t src[2] = {0x11223344, 0xFFAA0000};
    std::vector<uint8_t> out(2);
    ImageRect rect{0, 0, 2, 1};
    ASSERT_EQ(GraphColorMatchBlt(out.data(), 2, &gray8, src, 8, &kARGB, nullptr, 0, nullptr, 0, 0, &rect, 0, 0, 0, 0,
                                 1, 1, 0, 0),
              0);
    EXPECT_EQ(out[0], 0x22);
    EXPECT_EQ(out[1], 0xAA);
}

// Every fast path gives the pixels of the per-channel path.
TEST(ColorBlit, FastPathsMatchThePerChannelPath) {
    PixelFormatDesc pal;
    CreatePal8ColorData(&pal);
    std::mt19937 rng(1234);
    for (auto& e : pal.palette) e = PaletteEntry{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    pal.palette[17] = PaletteEntry{0xFF, 0x00, 0xFF, 0};
    struct Named {
        const char* name;
        PixelFormatDesc f;
    };
    const std::vector<Named> formats = {
        {"ARGB8888", kARGB},
        {"XRGB8888", kXRGB},
        {"ABGR8888", packed(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000)},
        {"XBGR8888", packed(32, 0xFF, 0xFF00, 0xFF0000, 0)},
        {"RGB888", kRGB24},
        {"RGB565", kRGB565},
        {"X1R5G5B5", kX1555},
        {"A1R5G5B5", packed(16, 0x7C00, 0x03E0, 0x001F, 0x8000)},
        {"A4R4G4B4", packed(16, 0x0F00, 0x00F0, 0x000F, 0xF000)},
        {"BGR565", packed(16, 0x001F, 0x07E0, 0xF800, 0)},
        {"RGBA8888", packed(32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF)},
        {"A2R10G10B10", packed(32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000)},
        {"Pal8", pal},
        {"1x8", channels(1, 8, 0)},
        {"4x16F", channels(4, 16, 1)},
        {"2x16F", channels(2, 16, 1)},
        {"1x16F", channels(1, 16, 1)},
        {"4x32F", channels(4, 32, 1)},
        {"2x32F", channels(2, 32, 1)},
        {"1x32F", channels(1, 32, 1)},
    };
    const PixelFormatDesc* alphaImages[] = {nullptr, &formats[0].f, &formats[1].f, &formats[5].f, &pal};
    constexpr int W = 37, H = 5, DP = 16 * 40;
    std::vector<uint8_t> src(16 * W * H), alpha(4 * W * H);
    for (auto& b : src) b = uint8_t(rng());
    for (auto& b : alpha) b = uint8_t(rng());
    for (int i = 0; i < W * H; i += 3) {
        src[i] = 17;  // a palette transparent-colour index ...
        std::memcpy(&src[4 * i], "\xFF\x00\xFF\x00", 4);  // ... and 0xFF00FF in the 32-bit layouts
    }
    std::vector<uint8_t> fastOut(DP * H), refOut(DP * H), fill(DP * H);
    int compared = 0;
    for (const Named& s : formats)
        for (const Named& d : formats) {
            if (d.f.bytesPerPixel == 1 && d.f.channelCount == 0) continue;  // 8-bit destinations only copy
            for (const PixelFormatDesc* a : alphaImages)
                for (int trans = 0; trans < 2; ++trans)
                    for (int dither = 0; dither < 2; ++dither) {
                        const int left = int(rng() % 5), width = 1 + int(rng() % (W - left));
                        const ImageRect rect{left, 1, left + width, H};
                        const int dx = int(rng() % 3), dy = int(rng() % 2);
                        const uint32_t key = a ? 0 : (s.f.bytesPerPixel == 1 ? 0xFF00FF : 0xFF00FF & (rng() | 0xFF00FF));
                        for (auto& b : fill) b = uint8_t(rng());
                        fastOut = fill;
                        refOut = fill;
                        const int pitch = 16 * W;
                        const int r1 = GraphColorMatchBlt(fastOut.data(), DP, &d.f, src.data(), pitch, &s.f,
                                                          a ? alpha.data() : nullptr, 4 * W, a, dx, dy, &rect, 0,
                                                          trans, key, dither, 0, 0, 0, 0);
                        const int r2 = ZaDod::blit::GraphColorMatchBltPerChannel(
                            refOut.data(), DP, &d.f, src.data(), pitch, &s.f, a ? alpha.data() : nullptr, 4 * W, a,
                            dx, dy, &rect, 0, trans, key, dither, 0, 0, 0, 0);
                        ASSERT_EQ(r1, r2);
                        ASSERT_TRUE(fastOut == refOut)
                            << s.name << " -> " << d.name << " alpha image " << (a != nullptr) << " trans " << trans
                            << " dither " << dither;
                        ++compared;
                    }
        }
    EXPECT_GT(compared, 1000);
}
