// Tests of media/graphics/image/yuv: movie frames in YUV layouts turned into images.
#include "media/graphics/image/yuv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"

using namespace ZaDod;

namespace {

struct Frame : BaseImage {
    Frame(int w, int h) : BaseImage{} {
        CreateARGB8ColorBaseImage(w, h, this);
        std::memset(pixels, 0, static_cast<size_t>(pitch) * h);
    }
    ~Frame() { ReleaseBaseImage(this); }
    uint32_t at(int x, int y) const {
        uint32_t v;
        std::memcpy(&v, static_cast<const uint8_t*>(pixels) + y * pitch + 4 * x, 4);
        return v;
    }
};

// One 2 x 2 YV12 frame: Y plane, V plane, U plane.
std::vector<uint8_t> yv12(uint8_t y, uint8_t u, uint8_t v) { return {y, y, y, y, v, u}; }

}  // namespace

TEST(YUV, ColourArithmetic) {
    Frame f(2, 2);
    ConvertYV12ToARGB8(yv12(255, 128, 128).data(), 2, 2, &f);
    EXPECT_EQ(f.at(1, 1), 0xFFFFFFFFu);
    ConvertYV12ToARGB8(yv12(0, 128, 128).data(), 2, 2, &f);
    EXPECT_EQ(f.at(0, 1), 0xFF000000u);
    ConvertYV12ToARGB8(yv12(128, 255, 128).data(), 2, 2, &f);
    EXPECT_EQ(f.at(0, 0), 0xFF8054FFu);  // R 128, G 84, B clamped to 255
    ConvertYV12ToARGB8(yv12(0, 128, 255).data(), 2, 2, &f);
    EXPECT_EQ((f.at(0, 0) >> 16) & 0xFF, 178u);
    ConvertYV12ToARGB8(yv12(16, 128, 128).data(), 2, 2, &f);  // no luma offset
    EXPECT_EQ(f.at(0, 0), 0xFF101010u);
}

TEST(YUV, LayoutsAgreeAndOddEdgesAreLeft) {
    // 4 x 2 frame, two chroma samples per row pair: left (U 90, V 200), right (U 160, V 60).
    const uint8_t Y[8] = {10, 60, 110, 160, 35, 85, 135, 185};
    Frame ref(4, 2);
    {
        std::vector<uint8_t> s(Y, Y + 8);
        s.insert(s.end(), {200, 60, 90, 160});  // V plane then U plane
        ConvertYV12ToARGB8(s.data(), 4, 2, &ref);
    }
    Frame nv12(4, 2);
    {
        std::vector<uint8_t> s(Y, Y + 8);
        s.insert(s.end(), {90, 200, 160, 60});
        ConvertNV12ToARGB8(s.data(), 4, 2, &nv12);
    }
    // Packed 4:2:2 rows carry their own chroma; both rows use the same samples here.
    std::vector<uint8_t> yuy2, uyvy, yvyu;
    for (int row = 0; row < 2; ++row)
        for (int pair = 0; pair < 2; ++pair) {
            const uint8_t y0 = Y[row * 4 + 2 * pair], y1 = Y[row * 4 + 2 * pair + 1];
            const uint8_t u = pair ? 160 : 90, v = pair ? 60 : 200;
            yuy2.insert(yuy2.end(), {y0, u, y1, v});
            uyvy.insert(uyvy.end(), {u, y0, v, y1});
            yvyu.insert(yvyu.end(), {y0, v, y1, u});
        }
    Frame a(4, 2), b(4, 2), c(4, 2);
    ConvertYUY2ToARGB8(yuy2.data(), 4, 2, &a);
    ConvertUYVYToARGB8(uyvy.data(), 4, 2, &b);
    ConvertYVYUToARGB8(yvyu.data(), 4, 2, &c);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(nv12.at(x, y), ref.at(x, y));
            EXPECT_EQ(a.at(x, y), ref.at(x, y));
            EXPECT_EQ(b.at(x, y), ref.at(x, y));
            EXPECT_EQ(c.at(x, y), ref.at(x, y));
        }

    // NV11: one pair for four pixels (the left pair here; the right half differs from 4:2:0).
    Frame n(4, 1);
    const uint8_t nv11[6] = {10, 60, 110, 160, 90, 200};
    ConvertNV11ToARGB8(nv11, 4, 1, &n);
    EXPECT_EQ(n.at(0, 0), ref.at(0, 0));
    EXPECT_EQ(n.at(1, 0), ref.at(1, 0));
    EXPECT_NE(n.at(2, 0), ref.at(2, 0));
    EXPECT_NE(n.at(3, 0), 0u);

    // Odd edges: 4:2:2 width 3 converts two pixels a row, NV11 width 3 none, 4:2:0 height 1 none.
    Frame odd(3, 1);
    const uint8_t w3[6] = {255, 128, 255, 128, 255, 128};
    ConvertYUY2ToARGB8(w3, 3, 1, &odd);
    EXPECT_EQ(odd.at(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(odd.at(2, 0), 0u);
    Frame none(3, 1);
    const uint8_t nv11w3[4] = {255, 255, 255, 128};
    ConvertNV11ToARGB8(nv11w3, 3, 1, &none);
    EXPECT_EQ(none.at(0, 0), 0u);
    Frame flat(2, 1);
    const uint8_t h1[4] = {255, 255, 128, 128};
    ConvertYV12ToARGB8(h1, 2, 1, &flat);
    ConvertNV12ToARGB8(h1, 2, 1, &flat);
    EXPECT_EQ(flat.at(0, 0), 0u);

    // The image bounds the area converted; a non-32-bit image is refused.
    Frame small(1, 1);
    ConvertYUY2ToARGB8(yuy2.data(), 4, 2, &small);
    EXPECT_EQ(small.at(0, 0), 0u);
    BaseImage rgb{};
    CreateFullColorData(&rgb.format);
    EXPECT_EQ(ConvertYUY2ToARGB8(yuy2.data(), 4, 2, &rgb), -1);
}

TEST(YUV, BufferLayouts) {
    // 4 x 2 frames; Y values 1..8, chroma as in the layout of each format.
    std::vector<uint8_t> y(8), uv;
    const std::vector<uint8_t> Y = {1, 2, 3, 4, 5, 6, 7, 8};

    std::vector<uint8_t> s(Y);
    s.insert(s.end(), {21, 22, 11, 12});  // V plane (21, 22), U plane (11, 12)
    uv.assign(4, 0);
    ConvertYV12ToYUVBuffers(s.data(), 4, 2, y.data(), uv.data());
    EXPECT_EQ(y, Y);
    EXPECT_EQ(uv, (std::vector<uint8_t>{11, 21, 12, 22}));

    s = Y;
    s.insert(s.end(), {11, 21, 12, 22});
    uv.assign(4, 0);
    ConvertNV12ToYUVBuffers(s.data(), 4, 2, y.data(), uv.data());
    EXPECT_EQ(y, Y);
    EXPECT_EQ(uv, (std::vector<uint8_t>{11, 21, 12, 22}));

    const std::vector<uint8_t> want422 = {11, 21, 12, 22, 13, 23, 14, 24};
    std::vector<uint8_t> yuy2, uyvy, yvyu;
    for (int g = 0; g < 4; ++g) {
        const uint8_t y0 = Y[2 * g], y1 = Y[2 * g + 1], u = uint8_t(11 + g), v = uint8_t(21 + g);
        yuy2.insert(yuy2.end(), {y0, u, y1, v});
        uyvy.insert(uyvy.end(), {u, y0, v, y1});
        yvyu.insert(yvyu.end(), {y0, v, y1, u});
    }
    for (auto fn : {&ConvertYUY2ToYUVBuffers, &ConvertUYVYToYUVBuffers, &ConvertYVYUToYUVBuffers}) {
        const auto& src = fn == &ConvertYUY2ToYUVBuffers ? yuy2 : fn == &ConvertUYVYToYUVBuffers ? uyvy : yvyu;
        y.assign(8, 0);
        uv.assign(8, 0);
        fn(src.data(), 4, 2, y.data(), uv.data());
        EXPECT_EQ(y, Y);
        EXPECT_EQ(uv, want422);
    }

    s = Y;
    s.insert(s.end(), {11, 21, 12, 22});  // one pair a row
    uv.assign(4, 0);
    y.assign(8, 0);
    ConvertNV11ToYUVBuffers(s.data(), 4, 2, y.data(), uv.data());
    EXPECT_EQ(y, Y);
    EXPECT_EQ(uv, (std::vector<uint8_t>{11, 21, 12, 22}));
}

// Wide frames take the vector loops (16, 8 and 2 pixels a step, and their mixes);
// every pixel must follow the arithmetic exactly.
TEST(YUV, WideFramesFollowTheArithmetic) {
    auto clampShift = [](int32_t x) { return x < 0 ? 0u : x > 8355840 ? 255u : uint32_t(x) >> 15; };
    auto ref = [&](int Y, int U, int V) {
        const int u = U - 128, v = V - 128, y = Y << 15;
        return 0xFF000000u | clampShift(y + 45940 * v) << 16 | clampShift(y - 11272 * u - 23396 * v) << 8 |
               clampShift(y + 58064 * u);
    };
    uint32_t seed = 99;
    auto next = [&] { return uint8_t((seed = seed * 1103515245u + 12345u) >> 16); };
    for (int w : {37, 64, 24, 100}) {
        const int h = 4;
        std::vector<uint8_t> frame(size_t(w) * h * 2);
        for (auto& b : frame) b = next();
        const uint8_t* s = frame.data();
        const int half = w / 2;
        Frame f(w, h);
        ConvertYV12ToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < half * 2; ++x) {
                const int c = (y / 2) * half + x / 2;
                ASSERT_EQ(f.at(x, y), ref(s[y * w + x], s[w * h + w * h / 4 + c], s[w * h + c])) << "YV12 " << x;
            }
        ConvertNV12ToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < half * 2; ++x) {
                const uint8_t* uv = s + w * h + (y / 2) * w + (x / 2) * 2;
                ASSERT_EQ(f.at(x, y), ref(s[y * w + x], uv[0], uv[1])) << "NV12 " << x;
            }
        ConvertYUY2ToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < half * 2; ++x) {
                const uint8_t* g = s + y * 2 * w + (x / 2) * 4;
                ASSERT_EQ(f.at(x, y), ref(g[(x & 1) * 2], g[1], g[3])) << "YUY2 " << x;
            }
        ConvertUYVYToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < half * 2; ++x) {
                const uint8_t* g = s + y * 2 * w + (x / 2) * 4;
                ASSERT_EQ(f.at(x, y), ref(g[1 + (x & 1) * 2], g[0], g[2])) << "UYVY " << x;
            }
        ConvertYVYUToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < half * 2; ++x) {
                const uint8_t* g = s + y * 2 * w + (x / 2) * 4;
                ASSERT_EQ(f.at(x, y), ref(g[(x & 1) * 2], g[3], g[1])) << "YVYU " << x;
            }
        ConvertNV11ToARGB8(s, w, h, &f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < (w / 4) * 4; ++x) {
                const uint8_t* uv = s + w * h + y * half + (x / 4) * 2;
                ASSERT_EQ(f.at(x, y), ref(s[y * w + x], uv[0], uv[1])) << "NV11 " << x;
            }
    }
}
