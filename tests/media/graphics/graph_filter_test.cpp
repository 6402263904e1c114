// Software graph filters: each kind against a plain reference written from the
// formulas, on random pictures, plus the worked values and the edge rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "tests/media/graphics/filter_testing.h"

using namespace ZaDod;
using namespace filtertest;

namespace {

int lum(uint32_t p) { return 466 * chB(p) + 2404 * chG(p) + 1224 * chR(p); }
int clamp8(int v) { return std::min(255, std::max(0, v)); }

// Applies f to every colour channel (blue, green, red), keeping alpha.
template <typename F>
Pixels perChannel(const Pixels& in, F f) {
    Pixels out = in;
    for (uint32_t& p : out)
        for (int c = 0; c < 3; ++c) p = withByte(p, c, f(byteOf(p, c)));
    return out;
}

// The blur as written: tap k weighs pixels 2k-1 and 2k on each side, ends repeat.
Pixels gaussReference(const Pixels& in, int w, int h, int n, float strength, int* rowCheck = nullptr) {
    const int half = n / 2;
    float wf[16];
    const float s = std::max(strength, 1e-10f);
    float sum = 0;
    for (int i = 0; i < half; ++i) {
        wf[i] = std::exp(-0.5f * i * i / s);
        if (i > 0) sum += wf[i];
    }
    sum = wf[0] + 2.0f * sum;
    uint32_t W[16];
    for (int i = 0; i < half; ++i) W[i] = static_cast<uint32_t>(wf[i] / sum * 65536.0f);
    if (rowCheck)
        for (int i = 0; i < 4; ++i) rowCheck[i] = W[i];
    auto pass = [&](const Pixels& src, bool horizontal) {
        Pixels out(src.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                auto at = [&](int d) {
                    const int xx = horizontal ? std::clamp(x + d, 0, w - 1) : x;
                    const int yy = horizontal ? y : std::clamp(y + d, 0, h - 1);
                    return src[yy * w + xx];
                };
                uint32_t p = 0;
                for (int c = 0; c < 4; ++c) {
                    uint32_t acc = 0;
                    for (int k = 1; k < half; ++k)
                        acc += W[k] * (byteOf(at(-2 * k + 1), c) + byteOf(at(-2 * k), c) + byteOf(at(2 * k - 1), c) +
                                       byteOf(at(2 * k), c));
                    p = withByte(p, c, ((acc >> 1) + W[0] * byteOf(at(0), c) + 0x8000) >> 16);
                }
                out[y * w + x] = p;
            }
        return out;
    };
    return pass(pass(in, true), false);
}

TEST_F(SoftFilter, MonoGreysAndTints) {
    const int g = makeGraphWith(2, 1, {argb(77, 10, 200, 30), argb(255, 0, 0, 0)});
    ASSERT_EQ(GraphFilter(g, kGraphFilterMono, 0, 0), 0);
    const Pixels out = readGraph(g);
    EXPECT_EQ(out[0], argb(77, 123, 123, 123));

    // Tinted: offsets per channel in 12-bit fixed point, as single-precision products.
    const Pixels in = randomPixels(16 * 8, 1);
    const int r = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(r, kGraphFilterMono, 100, -60), 0);
    const float cb = std::clamp(100 * 100.0f / 255.0f / 200.0f, -0.5f, 0.5f);
    const float cr = std::clamp(-60 * 100.0f / 255.0f / 200.0f, -0.5f, 0.5f);
    const int kb = static_cast<int>(cb * 1.772f * 255.0f * 4096.0f);
    const int kg = static_cast<int>((-cb * 0.34414f - cr * 0.71414f) * 255.0f * 4096.0f);
    const int kr = static_cast<int>(cr * 1.402f * 255.0f * 4096.0f);
    Pixels expect;
    for (uint32_t p : in)
        expect.push_back(argb(chA(p), clamp8((lum(p) + kr) >> 12), clamp8((lum(p) + kg) >> 12),
                              clamp8((lum(p) + kb) >> 12)));
    EXPECT_EQ(readGraph(r), expect);
}

TEST_F(SoftFilter, GaussMatchesTheSeparableReference) {
    int weights[4];
    Pixels row(13, argb(0, 0, 0, 0));
    row[6] = argb(255, 255, 255, 255);
    gaussReference(row, 13, 1, 8, 2.5f, weights);
    EXPECT_EQ(std::vector<int>(weights, weights + 4), (std::vector<int>{16948, 13876, 7615, 2801}));
    const float* cached = GetGraphFilterGaussWeights(8, 2.5f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<int>(cached[i] * 65536.0f), weights[i]);
    // One row pass over a single bright pixel.
    {
        const int half = 4;
        std::vector<int> out(13);
        for (int x = 0; x < 13; ++x) {
            uint32_t acc = 0;
            auto v = [&](int i) { return chB(row[std::clamp(i, 0, 12)]); };
            for (int k = 1; k < half; ++k)
                acc += weights[k] * (v(x - 2 * k + 1) + v(x - 2 * k) + v(x + 2 * k - 1) + v(x + 2 * k));
            out[x] = ((acc >> 1) + weights[0] * v(x) + 0x8000) >> 16;
        }
        EXPECT_EQ(out, (std::vector<int>{5, 5, 15, 15, 27, 27, 66, 27, 27, 15, 15, 5, 5}));
    }

    const Pixels in = randomPixels(64 * 48, 2);
    for (int width : {8, 16, 32}) {
        const int g = makeGraphWith(64, 48, in);
        ASSERT_EQ(GraphFilter(g, kGraphFilterGauss, width, 400), 0);
        // One software pass, blurring each direction once.
        EXPECT_EQ(readGraph(g), gaussReference(in, 64, 48, width, 4.0f)) << "width " << width;
    }
    // A flat picture keeps its colour.
    const int flat = makeGraphWith(64, 48, Pixels(64 * 48, argb(255, 200, 40, 20)));
    ASSERT_EQ(GraphFilter(flat, kGraphFilterGauss, 32, 900), 0);
    EXPECT_EQ(readGraph(flat), Pixels(64 * 48, argb(255, 200, 40, 20)));
    const int still = makeGraphWith(64, 48, in);
    ASSERT_EQ(GraphFilter(still, kGraphFilterGauss, 8, 0), 0);
    EXPECT_EQ(readGraph(still), in);
}

TEST_F(SoftFilter, DownScaleDivisorsAndInPlaceClear) {
    const Pixels in = randomPixels(16 * 16, 3);
    for (auto [arg, d] : {std::pair{0, 2}, std::pair{3, 4}, std::pair{100, 8}, std::pair{-5, 2}}) {
        const int g = makeGraphWith(16, 16, in);
        ASSERT_EQ(GraphFilter(g, kGraphFilterDownScale, arg), 0);
        const Pixels out = readGraph(g);
        const int shift = d == 2 ? 2 : d == 4 ? 4 : 6;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                uint32_t expect = 0;
                if (x < 16 / d && y < 16 / d)
                    for (int c = 0; c < 4; ++c) {
                        int sum = 0;
                        for (int j = 0; j < d; ++j)
                            for (int i = 0; i < d; ++i) sum += byteOf(in[(y * d + j) * 16 + x * d + i], c);
                        expect = withByte(expect, c, sum >> shift);
                    }
                ASSERT_EQ(out[y * 16 + x], expect) << "divisor " << d << " at " << x << "," << y;
            }
    }
    // A rectangle smaller than one block draws nothing.
    const int src = makeGraphWith(16, 16, in), dst = makeGraphWith(16, 16, Pixels(256, 0x11223344));
    EXPECT_EQ(GraphFilterRectBlt(src, dst, 0, 0, 3, 3, 0, 0, kGraphFilterDownScale, 4), 0);
    EXPECT_EQ(readGraph(dst), Pixels(256, 0x11223344));
}

TEST_F(SoftFilter, BrightClipCompareKindsWithAndWithoutFill) {
    const Pixels in = randomPixels(8 * 8, 4);
    const Pixels back(64, argb(9, 8, 7, 6));
    const int threshold = 120, limit = static_cast<int>(threshold / 255.0f * 255.0f * 4096.0f);
    const uint32_t fill = argb(200, 10, 20, 30);
    for (int kind : {2, 5})
        for (int filled : {0, 1}) {
            const int src = makeGraphWith(8, 8, in), dst = makeGraphWith(8, 8, back);
            ASSERT_EQ(GraphFilterBlt(src, dst, kGraphFilterBrightClip, kind, threshold, filled,
                                     static_cast<int>(PackScreenColor(10, 20, 30)), 200),
                      0);
            const Pixels out = readGraph(dst);
            for (int i = 0; i < 64; ++i) {
                const bool keep = kind == 2 ? lum(in[i]) >= limit : lum(in[i]) <= limit;
                const uint32_t expect = keep ? in[i] : filled ? fill : back[i];
                ASSERT_EQ(out[i], expect) << "kind " << kind << " fill " << filled << " pixel " << i;
            }
        }
    const int g = makeGraphWith(8, 8, in);
    EXPECT_EQ(GraphFilter(g, kGraphFilterBrightClip, 3, 100, 0, 0, 0), -1);
    EXPECT_EQ(readGraph(g), in);
}

// Brightness scale and HSB, written from the integer recipe.
uint32_t brightnessScaleRef(uint32_t p, int mn, int mx) {
    const int scale = 1044480 / (mx - mn);
    const int r = chR(p), g = chG(p), b = chB(p);
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b}), d = hi - lo, l = (hi + lo) >> 1;
    int sat = 0, pr = 255, pg = 0, pb = 0;
    if (d) {
        sat = d * 256 / (l > 128 ? 512 - hi - lo : hi + lo);
        const int kr = (hi - r) * 256 / d, kg = (hi - g) * 256 / d, kb = (hi - b) * 256 / d;
        if (r == hi) { pr = 255; if (kb > kg) { pb = 0; pg = kb - kg; } else { pb = kg - kb; pg = 0; } }
        else if (g != hi) { pb = 255; if (kg > kr) { pr = kg - kr; pg = 0; } else { pr = 0; pg = kr - kg; } }
        else { pg = 255; if (kr > kb) { pb = kr - kb; pr = 0; } else { pb = 0; pr = kb - kr; } }
    }
    const int ln = ((l - mn) * scale) >> 12;
    auto out = [&](int pc) {
        const int c = pc + (((128 - pc) * (256 - sat)) >> 8);
        if (ln <= 0) return 0;
        if (ln <= 128) return (2 * ln * c) >> 8;
        return c + (((255 - c) * (std::min(ln, 255) - 128) * 2) >> 8);
    };
    return argb(chA(p), out(pr), out(pg), out(pb));
}

uint32_t hsbRef(uint32_t p, int mode, int hueK, int satK, int briK) {
    int c[3] = {chB(p), chG(p), chR(p)};
    for (int& v : c) v = briK > 0 ? v + (((255 - v) * briK) >> 8) : (v * (briK + 256)) >> 8;
    const int b = c[0], g = c[1], r = c[2];
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b}), l = (hi + lo) >> 1;
    int sat = 0, hue = 0;
    if (hi != lo) {
        sat = ((hi - lo) << 8) / (l > 128 ? 512 - lo - hi : hi + lo);
        const int kb = ((hi - b) << 8) / (hi - lo), kg = ((hi - g) << 8) / (hi - lo), kr = ((hi - r) << 8) / (hi - lo);
        hue = r == hi ? kb - kg : g == hi ? kr - kb + 512 : kg - kr + 1024;
        if (hue < 0) hue += 1536;
    }
    if (mode == 0) {
        hue += hueK;
        if (hue < 0) hue += 1536;
        else if (hue >= 1536) hue -= 1536;
    } else {
        hue = hueK >= 1536 ? hueK - 1536 : hueK;
    }
    const int s2 = std::min(((satK + 256) * sat) >> 8, 256);
    const int f = hue & 255;
    int pr, pg, pb;
    switch (hue >> 8) {
        case 0: pr = 255, pg = f, pb = 0; break;
        case 1: pr = 255 - f, pg = 255, pb = 0; break;
        case 2: pr = 0, pg = 255, pb = f; break;
        case 3: pr = 0, pg = 255 - f, pb = 255; break;
        case 4: pr = f, pg = 0, pb = 255; break;
        default: pr = 255, pg = 0, pb = 255 - f; break;
    }
    auto out = [&](int pc) {
        const int cc = pc + (((256 - s2) * (128 - pc)) >> 8);
        return l <= 128 ? (2 * l * cc) >> 8 : cc + (((255 - cc) * (l - 128) * 2) >> 8);
    };
    return argb(chA(p), out(pr), out(pg), out(pb));
}

TEST_F(SoftFilter, BrightnessScaleAndHsb) {
    const Pixels in = randomPixels(16 * 8, 5);
    for (auto [mn, mx, useMn, useMx] : {std::tuple{100, 100, 100, 101}, std::tuple{20, 200, 20, 200},
                                        std::tuple{-5, 999, 0, 255}}) {
        const int g = makeGraphWith(16, 8, in);
        ASSERT_EQ(GraphFilter(g, kGraphFilterBrightnessScale, mn, mx), 0);
        Pixels expect;
        for (uint32_t p : in) expect.push_back(brightnessScaleRef(p, useMn, useMx));
        EXPECT_EQ(readGraph(g), expect) << mn << ".." << mx;
    }
    // Mode 0 shifts the hue; mode 1 sets one hue for every pixel.
    for (auto [mode, hue, sat, bri] : {std::tuple{0, 90, 40, -30}, std::tuple{0, -170, -80, 60},
                                       std::tuple{1, 200, 0, 0}, std::tuple{1, 360, 100, 20}}) {
        const int g = makeGraphWith(16, 8, in);
        ASSERT_EQ(GraphFilter(g, kGraphFilterHsb, mode, hue, sat, bri), 0);
        float h = hue / 360.0f;
        h = mode == 0 ? std::clamp(h, -0.5f, 0.5f) : std::clamp(h, 0.0f, 1.0f);
        const float s = std::clamp(sat * 100.0f / 255.0f / 100.0f, -1.0f, 1.0f);
        const float b = bri * 100.0f / 255.0f / 100.0f;
        const int hueK = static_cast<int>(h * 6.0f * 256.0f);
        const int satK = static_cast<int>((s > 0 ? s * 5.0f : s) * 256.0f);
        const int briK = static_cast<int>(b * 256.0f);
        Pixels expect;
        for (uint32_t p : in) expect.push_back(hsbRef(p, mode, hueK, satK, briK));
        EXPECT_EQ(readGraph(g), expect) << "mode " << mode << " hue " << hue;
    }
}

TEST_F(SoftFilter, LevelInvertAndAlphaKinds) {
    const Pixels edge = {argb(10, 255, 0, 128), argb(255, 99, 100, 101)};
    int g = makeGraphWith(2, 1, edge);
    ASSERT_EQ(GraphFilter(g, kGraphFilterLevel, 0, 255, 100, 0, 255), 0);
    Pixels out = readGraph(g);
    EXPECT_EQ(chR(out[0]), 254);
    EXPECT_EQ(chG(out[0]), 0);
    // An empty input range is a step at its minimum.
    g = makeGraphWith(2, 1, edge);
    ASSERT_EQ(GraphFilter(g, kGraphFilterLevel, 100, 100, 100, 0, 255), 0);
    EXPECT_EQ(readGraph(g), (Pixels{argb(10, 254, 0, 254), argb(255, 0, 254, 254)}));

    const Pixels in = randomPixels(16 * 8, 6);
    g = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(g, kGraphFilterLevel, 30, 220, 180, 10, 240), 0);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        const float v = std::pow(i / 255.0f, 1.0f / 1.8f) * 255.0f;
        table[i] = v > 255.0f ? 255 : static_cast<uint8_t>(v);
    }
    auto t = [](int v) { return static_cast<int>(v / 255.0f * 255.0f); };
    const int iMin = t(30), range = t(220) - iMin, oMin = t(10), oRange = t(240) - oMin;
    EXPECT_EQ(readGraph(g), perChannel(in, [&](int c) {
                  const int k = ((c - iMin) << 8) / range;
                  const int v = k < 0 ? table[0] : k > 255 ? table[255] : table[k];
                  return (v * oRange + (oMin << 8)) >> 8;
              }));

    g = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(g, kGraphFilterInvert), 0);
    EXPECT_EQ(readGraph(g), perChannel(in, [](int c) { return 255 - c; }));

    g = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(g, kGraphFilterPremultipliedAlpha), 0);
    Pixels pre;
    for (uint32_t p : in)
        pre.push_back(argb(chA(p), chR(p) * chA(p) >> 8, chG(p) * chA(p) >> 8, chB(p) * chA(p) >> 8));
    EXPECT_EQ(readGraph(g), pre);

    Pixels withClear = in;
    withClear[0] = argb(0, 200, 100, 50);
    g = makeGraphWith(16, 8, withClear);
    ASSERT_EQ(GraphFilter(g, kGraphFilterInterpolatedAlpha), 0);
    Pixels inter;
    for (uint32_t p : withClear) {
        const unsigned a = chA(p);
        auto f = [a](unsigned c) { return a == 0 ? 0u : std::min(c * 255u / a, 255u); };
        inter.push_back(argb(a, f(chR(p)), f(chG(p)), f(chB(p))));
    }
    out = readGraph(g);
    EXPECT_EQ(out, inter);
    EXPECT_EQ(out[0], 0u);
}

TEST_F(SoftFilter, TwoColorAndGradientMap) {
    const Pixels in = randomPixels(16 * 8, 7);
    const int below = static_cast<int>(PackScreenColor(1, 2, 3)), above = static_cast<int>(PackScreenColor(250, 240, 230));
    int g = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(g, kGraphFilterTwoColor, 0, below, 40, above, 200), 0);
    EXPECT_EQ(readGraph(g), Pixels(in.size(), argb(200, 250, 240, 230)));
    g = makeGraphWith(16, 8, in);
    ASSERT_EQ(GraphFilter(g, kGraphFilterTwoColor, 128, below, 40, above, 200), 0);
    Pixels two;
    for (uint32_t p : in) two.push_back(lum(p) < 128 * 4096 ? argb(40, 1, 2, 3) : argb(200, 250, 240, 230));
    EXPECT_EQ(readGraph(g), two);

    const Pixels ramp = randomPixels(37 * 2, 8);
    const int gradient = makeGraphWith(37, 2, ramp);
    for (int reverse : {0, 1}) {
        g = makeGraphWith(16, 8, in);
        ASSERT_EQ(GraphFilter(g, kGraphFilterGradientMap, gradient, reverse), 0);
        Pixels expect;
        for (uint32_t p : in) {
            const int i = lum(p) >> 12;
            const int from = reverse ? 255 - i : i;
            expect.push_back(ramp[(from * 37) >> 8]);
        }
        EXPECT_EQ(readGraph(g), expect) << "reverse " << reverse;
    }
    EXPECT_EQ(GraphFilter(g, kGraphFilterGradientMap, gradient + 1, 0), -1);
}

TEST_F(SoftFilter, YuvToRgbPairings) {
    const int w = 16, h = 8;
    const Pixels yPix = randomPixels(w * h, 9);
    auto conv = [](int y, int u, int v, int c) {
        const int y15 = y << 15;
        const int r = c == 0 ? y15 + 58064 * u : c == 1 ? y15 - 11272 * u - 23396 * v : y15 + 45940 * v;
        return r < 0 ? 0 : r > 8355840 ? 255 : r >> 15;
    };
    for (auto [uw, uh] : {std::pair{w, h}, std::pair{w / 2, h / 2}, std::pair{w / 2, h}, std::pair{w, h / 2},
                          std::pair{w / 4, h}}) {
        const Pixels uvPix = randomPixels(uw * uh, 10 + uw * 100 + uh);
        const int yg = makeGraphWith(w, h, yPix), uv = makeGraphWith(uw, uh, uvPix);
        const int dst = makeGraphWith(w, h, Pixels(w * h, 0));
        ASSERT_EQ(GraphFilterBlt(yg, dst, kGraphFilterYuvToRgbUV, uv), 0);
        const Pixels out = readGraph(dst);
        const int sx = w / uw, sy = h / uh;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t s = uvPix[(y / sy) * uw + x / sx];
                const int Y = chB(yPix[y * w + x]), U = chB(s) - 128, V = chG(s) - 128;
                ASSERT_EQ(out[y * w + x], argb(255, conv(Y, U, V, 2), conv(Y, U, V, 1), conv(Y, U, V, 0)))
                    << uw << "x" << uh << " at " << x << "," << y;
            }
    }
    const int yg = makeGraphWith(w, h, yPix);
    const int third = makeGraphWith(w / 3, h, randomPixels(w / 3 * h, 11));
    const int quarterHigh = makeGraphWith(w, h / 4, randomPixels(w * (h / 4), 12));
    EXPECT_EQ(GraphFilter(yg, kGraphFilterYuvToRgbUV, third), -1);
    EXPECT_EQ(GraphFilter(yg, kGraphFilterYuvToRgbUV, quarterHigh), -1);
    EXPECT_EQ(readGraph(yg), yPix);
}

TEST_F(SoftFilter, ScalersAndUnknownKindsChangeNothing) {
    const Pixels in = randomPixels(8 * 8, 13);
    const int g = makeGraphWith(8, 8, in);
    EXPECT_EQ(GraphFilter(g, kGraphFilterBicubic, 16, 16), 0);
    EXPECT_EQ(GraphFilter(g, kGraphFilterLanczos3, 4, 4), 0);
    EXPECT_EQ(GraphFilter(g, 18), -1);
    EXPECT_EQ(GraphFilter(g, -1), -1);
    EXPECT_EQ(GraphFilter(g, kGraphFilterYuvToRgb), 0);  // the worker refuses; the passes all ran
    EXPECT_EQ(readGraph(g), in);
}

}  // namespace
