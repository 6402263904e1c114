// Graph blends against a plain reference of every kind, the engine's checks and
// clipping, and the hand-over to the device routines on the recording back end.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <tuple>

#include "media/base/handle.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware_types.h"
#include "tests/media/graphics/filter_testing.h"

using namespace ZaDod;
using namespace filtertest;
using halvorine_test::backendCalls;
using halvorine_test::formatArgs;
using halvorine_test::setBackendStart;

namespace {

int blend(int src, int bl, int dst, int ratio, int kind, std::vector<int> args = {}) {
    int w = 0, h = 0;
    GetGraphSize(src, &w, &h);
    return GraphFilterBlendWithArgs(1, src, bl, dst, ratio, kind, 0, 0, w, h, 0, 0, 0, 0, 0, args.data(),
                                    static_cast<int>(args.size()));
}

// One pixel of every blend kind, as the formulas read.
uint32_t blendRef(int kind, uint32_t sp, uint32_t bp, int ratio) {
    const int K = static_cast<int>(static_cast<float>(ratio) / 255.0f * 256.0f);
    const int sA = chA(sp), bA = chA(bp);
    uint32_t out = 0;
    if (kind <= 13) {
        const int A = bA * K;
        for (int c = 0; c < 3; ++c) {
            const int s = byteOf(sp, c), b = byteOf(bp, c);
            int f = 0;
            switch (kind) {
                case 0: f = b; break;
                case 2: f = s * b / 256; break;
                case 3: f = std::max(s - b, 0); break;
                case 4: f = std::min(s + b, 255); break;
                case 5: f = 255 - (255 - s) * (255 - b) / 256; break;
                case 6: f = s < 128 ? b * s / 128 : std::min(((256 - s) * b + s * 256) * 2 / 256 - 255, 255); break;
                case 7: f = b == 255 ? 255 : std::min(s * 256 / (255 - b), 255); break;
                case 8: f = std::max(255 + (s - 255) * 256 / (b + 1), 0); break;
                case 9: f = std::min(s, b); break;
                case 10: f = std::max(s, b); break;
                case 11: {
                    const float bf = b / 255.0f;
                    const float v = 255.0f * std::pow(s / 255.0f, b < 128 ? (1.0f - bf) * 2.0f : 0.5f / bf);
                    f = std::clamp(static_cast<int>(v), 0, 255);
                    break;
                }
                case 12: f = b < 128 ? s * b / 128 : std::min(((256 - s) * b + s * 256) / 128 - 255, 255); break;
                case 13: f = std::min((s * 128 + (128 - s) * b) >> 7, 255); break;
            }
            out = withByte(out, c, static_cast<int>(std::floor(((f - s) * static_cast<double>(A)) / 65536.0 + s)));
        }
        return withByte(out, 3, sA);
    }
    const int a = bA * K >> 8;
    if (kind == 14) {
        const unsigned W = sA * (256 - a) + a * 256;
        if (W == 0) return 0;
        for (int c = 0; c < 3; ++c)
            out = withByte(out, c, (byteOf(sp, c) * sA * (256 - a) + byteOf(bp, c) * a * 256) / W);
        return withByte(out, 3, W / 256);
    }
    if (kind == 15) {
        const unsigned al = ((256 - a) * sA + a * 256) / 256;
        if (al == 0) return 0;
        for (int c = 0; c < 3; ++c) out = withByte(out, c, std::min((byteOf(bp, c) * a + byteOf(sp, c) * sA) / al, 255u));
        return withByte(out, 3, al);
    }
    const int alpha = static_cast<int>(std::floor(((bA * sA / 256 - sA) * static_cast<double>(K * 255)) / 65536.0 + sA));
    for (int c = 0; c < 3; ++c) {
        const int s = byteOf(sp, c);
        out = withByte(out, c, kind == 16 ? s : sA == 0 ? 0 : std::min(s * 256 / sA, 255) * alpha / 256);
    }
    return withByte(out, 3, alpha);
}

TEST_F(SoftFilter, BlendWorkedCases) {
    // (kind, source, blend, ratio) -> result; alpha bytes included.
    const std::vector<std::tuple<int, uint32_t, uint32_t, int, uint32_t>> cases = {
        {0, argb(255, 0, 0, 0), argb(255, 255, 255, 255), 255, argb(255, 254, 254, 254)},
        {0, argb(90, 1, 2, 3), argb(255, 255, 255, 255), 0, argb(90, 1, 2, 3)},
        {3, argb(255, 100, 100, 100), argb(255, 30, 30, 30), 128, argb(255, 85, 85, 85)},
        {4, argb(255, 200, 200, 200), argb(255, 100, 100, 100), 255, argb(255, 254, 254, 254)},
        {4, argb(255, 200, 200, 200), argb(128, 100, 100, 100), 255, argb(255, 227, 227, 227)},
        {13, argb(255, 100, 100, 100), argb(255, 200, 200, 200), 255, argb(255, 142, 142, 142)},
        {7, argb(255, 10, 10, 10), argb(255, 255, 255, 255), 255, argb(255, 254, 254, 254)},
        {8, argb(255, 254, 100, 0), argb(255, 0, 0, 0), 255, argb(255, 0, 0, 0)},
        {17, argb(0, 200, 100, 50), argb(255, 1, 2, 3), 255, argb(0, 0, 0, 0)},
        {14, argb(0, 9, 9, 9), argb(0, 9, 9, 9), 255, argb(0, 0, 0, 0)},
        {15, argb(0, 9, 9, 9), argb(0, 9, 9, 9), 255, argb(0, 0, 0, 0)},
    };
    for (const auto& [kind, s, b, ratio, expect] : cases) {
        const int src = makeGraphWith(1, 1, {s}), bl = makeGraphWith(1, 1, {b}), dst = makeGraphWith(1, 1, {7});
        ASSERT_EQ(blend(src, bl, dst, ratio, kind), 0);
        EXPECT_EQ(readGraph(dst)[0], expect) << "kind " << kind;
        EXPECT_EQ(blendRef(kind, s, b, ratio), expect) << "reference, kind " << kind;
    }
    // Dodge by white is white; burn by black is black (the ratio weighs it in).
    EXPECT_EQ(blendRef(7, argb(255, 10, 10, 10), argb(255, 255, 255, 255), 255) & 0xFF, 254u);
}

TEST_F(SoftFilter, EveryBlendKindMatchesTheReference) {
    const int w = 16, h = 8;
    const Pixels s = randomPixels(w * h, 20), b = randomPixels(w * h, 21);
    for (int kind = 0; kind < kGraphBlendKindCount; ++kind) {
        if (kind == kGraphBlendRGBAMix) continue;
        for (int ratio : {255, 131}) {
            const int src = makeGraphWith(w, h, s), bl = makeGraphWith(w, h, b), dst = makeGraphWith(w, h, Pixels(w * h, 5));
            ASSERT_EQ(blend(src, bl, dst, ratio, kind), 0);
            const Pixels out = readGraph(dst);
            for (int i = 0; i < w * h; ++i)
                ASSERT_EQ(out[i], blendRef(kind, s[i], b[i], ratio)) << "kind " << kind << " ratio " << ratio << " pixel " << i;
            SubHandle(src), SubHandle(bl), SubHandle(dst);
        }
    }
    // The channel mix: red and blue swapped; a selector above 7 gives 0.
    const int src = makeGraphWith(w, h, s), bl = makeGraphWith(w, h, b), dst = makeGraphWith(w, h, Pixels(w * h, 5));
    ASSERT_EQ(blend(src, bl, dst, 0, kGraphBlendRGBAMix, {2, 1, 0, 3}), 0);
    Pixels out = readGraph(dst);
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(out[i], argb(chA(s[i]), chB(s[i]), chG(s[i]), chR(s[i])));
    ASSERT_EQ(blend(src, bl, dst, 0, kGraphBlendRGBAMix, {7, 4, 9, 5}), 0);
    out = readGraph(dst);
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(out[i], argb(chG(b[i]), chA(b[i]), chR(b[i]), 0));
    EXPECT_EQ(blend(src, bl, dst, 255, 18), -1);
    EXPECT_EQ(blend(src, bl + 1, dst, 255, 0), -1);
}

TEST_F(SoftFilter, EngineChecksAndClipping) {
    const Pixels in = randomPixels(8 * 8, 30);
    const Pixels back(64, argb(1, 2, 3, 4));
    const int src = makeGraphWith(8, 8, in), dst = makeGraphWith(8, 8, back);

    // A graph still loading is refused.
    IncHandleASyncLoadCount(src, -1);
    EXPECT_EQ(GraphFilter(src, kGraphFilterInvert), -1);
    DecHandleASyncLoadCount(src);

    EXPECT_EQ(GraphFilterRectBlt(src, dst, 4, 4, 4, 8, 0, 0, kGraphFilterInvert), -1);  // empty
    EXPECT_EQ(GraphFilterRectBlt(src, dst, 8, 0, 12, 8, 0, 0, kGraphFilterInvert), 0);  // outside the source
    EXPECT_EQ(GraphFilterRectBlt(src, dst, 0, 0, 8, 8, 8, 0, kGraphFilterInvert), 0);   // outside the destination
    EXPECT_EQ(GraphFilterRectBlt(src, dst, -20, 0, -1, 8, 0, 0, kGraphFilterInvert), 0);
    EXPECT_EQ(readGraph(dst), back);

    // A negative destination point moves the source start by as much.
    ASSERT_EQ(GraphFilterRectBlt(src, dst, 0, 0, 8, 8, -3, -2, kGraphFilterInvert), 0);
    Pixels out = readGraph(dst);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t expect = x < 5 && y < 6 ? in[(y + 2) * 8 + x + 3] ^ 0x00FFFFFFu : back[y * 8 + x];
            ASSERT_EQ(out[y * 8 + x], expect) << x << "," << y;
        }

    // Coordinates at the ends of the int range clip in 64 bits.
    EXPECT_EQ(GraphFilterRectBlt(src, dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kGraphFilterInvert), 0);
    // Moving the blend position out of the int range refuses the request.
    EXPECT_EQ(GraphFilterRectBlt(src, dst, INT_MIN + 1, 0, 8, 8, INT_MIN, 0, kGraphFilterInvert), -1);
    int none = 0;
    EXPECT_EQ(GraphFilterBlendWithArgs(1, src, src, dst, 255, 0, -2, 0, 8, 8, INT_MAX - 1, 0, 0, 0, 0, &none, 0), -1);
    EXPECT_EQ(GraphFilterBlendWithArgs(1, src, src, dst, 255, 0, 0, INT_MIN, 8, 8, 0, 0, 0, 0, INT_MAX, &none, 0), 0);

    // Pass plans without a device.
    GraphFilterInfo info{};
    info.kind = kGraphFilterGauss;
    Graphics_Hardware_FilterPass_SelectSampling(&info, nullptr);
    EXPECT_EQ(info.passCount, 1);
    EXPECT_EQ(info.workFlag, 1);
    for (int kind : {0, 2, 6, 17}) {
        info = GraphFilterInfo{};
        info.kind = kind;
        Graphics_Hardware_FilterPass_SelectSampling(&info, nullptr);
        EXPECT_EQ(info.passCount, 1);
        EXPECT_EQ(info.workFlag, 0);
    }
}

TEST_F(SoftFilter, ShaderTableSlotsForgetDeletedHandles) {
    ResetGraphFilterShaderHandleTable();
    for (int v : GraphFilterShaderHandleTable) ASSERT_EQ(v, -1);
    for (int round = 0; round < 50; ++round) {
        const int a = MakeGraph(4, 4), b = MakeGraph(4, 4);
        ASSERT_EQ(SetGraphFilterShaderHandle(round % 7, a), 0);
        ASSERT_EQ(SetGraphFilterShaderHandle(kGraphFilterGammaGraphSlot, b), 0);
        EXPECT_EQ(GraphFilterShaderHandleTable[round % 7], a);
        SubHandle(round % 2 ? a : b);
        EXPECT_EQ(GraphFilterShaderHandleTable[round % 2 ? round % 7 : kGraphFilterGammaGraphSlot], -1);
        SubHandle(round % 2 ? b : a);
        EXPECT_EQ(GraphFilterShaderHandleTable[round % 7], -1);
        EXPECT_EQ(GraphFilterShaderHandleTable[kGraphFilterGammaGraphSlot], -1);
    }
    EXPECT_EQ(SetGraphFilterShaderHandle(kGraphFilterShaderSlots, MakeGraph(2, 2)), -1);
}

// The device path: every worker hands its decoded arguments to its routine.
struct DeviceFilter : graphtest::GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        setBackendStart(0, -1);
        ASSERT_EQ(InitializeGraphics(), 0);
        ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
        ProgrammableShaderFlag = 1;
    }
    void TearDown() override {
        ProgrammableShaderFlag = 0;
        GraphFixture::TearDown();
    }
    // The arguments of the first recorded call of the name, after the info pointer.
    std::string argsOf(const std::string& name, size_t from) {
        const auto& calls = backendCalls();
        for (size_t i = from; i < calls.size(); ++i)
            if (calls[i].name == name) return calls[i].args.substr(calls[i].args.find(',') + 1);
        return "<not called>";
    }
};

TEST_F(DeviceFilter, WorkersCallTheirRoutines) {
    const int g = MakeGraph(32, 16), uv = MakeGraph(16, 8), grad = MakeGraph(64, 1);
    ASSERT_GE(g, 0);
    struct Case {
        std::function<int()> run;
        std::string routine;
        std::string args;
    };
    const std::vector<Case> cases = {
        {[&] { return GraphFilter(g, 0, 100, -300); }, "Filter_Mono",
         formatArgs(std::make_tuple(100 * 100 / 255.0f / 200.0f, -0.5f))},
        {[&] { return GraphFilter(g, 1, 12, 250); }, "Filter_Gauss", formatArgs(std::make_tuple(16, 2.5f))},
        {[&] { return GraphFilter(g, 2, 3); }, "Filter_DownScale", "4,"},
        {[&] { return GraphFilter(g, 4, 100, 100); }, "Filter_BrightnessScale", "100,101,"},
        {[&] { return GraphFilter(g, 5, 1, 720, 255, 0); }, "Filter_HSB",
         formatArgs(std::make_tuple(1, 6.0f, 1.0f, 0.0f))},
        {[&] { return GraphFilter(g, 6); }, "Filter_Invert", ""},
        {[&] { return GraphFilter(g, 7, 300, 10, 0, 0, 255); }, "Filter_Level",
         formatArgs(std::make_tuple(10 / 255.0f, 10 / 255.0f, 0.001f, 0.0f, 1.0f))},
        {[&] { return GraphFilter(g, 9, grad, 1); }, "Filter_GradientMap", formatArgs(std::make_tuple(grad, 1))},
        {[&] { return GraphFilter(g, 10); }, "Filter_PremultipliedAlpha", ""},
        {[&] { return GraphFilter(g, 11); }, "Filter_InterpolatedAlpha", ""},
        {[&] { return GraphFilter(g, 13, uv); }, "Filter_Y2UVToRGB", formatArgs(std::make_tuple(uv))},
        {[&] { return GraphFilter(g, 16, 64, 48); }, "Filter_Bicubic", "64,48,"},
        {[&] { return GraphFilter(g, 17, 8, 4); }, "Filter_Lanczos3", "8,4,"},
        {[&] { return blend(g, g, g, 255, 6); }, "Filter_BasicBlend", ""},
        {[&] { return blend(g, g, g, 255, 1, {3, 2, 1, 0}); }, "Filter_RGBAMix", "3,2,1,0,"},
    };
    for (const Case& c : cases) {
        // The routine's failure stays inside the worker.
        halvorine_test::setBackendResult("Graphics_D3D9_" + c.routine, -1);
        const size_t from = backendCalls().size();
        EXPECT_EQ(c.run(), 0) << c.routine;
        const std::string args = argsOf("Graphics_D3D9_" + c.routine, from);
        ASSERT_NE(args, "<not called>") << c.routine;
        EXPECT_EQ(args.substr(0, c.args.size()), c.args) << c.routine;  // pointers follow
    }
    // Brightness clip and two-colour pass pointers to their colours.
    const size_t from = backendCalls().size();
    EXPECT_EQ(GraphFilter(g, 3, 5, 510, 0, 0, 0), 0);
    EXPECT_EQ(argsOf("Graphics_D3D9_Filter_BrightClip", from).substr(0, 4), "5,1,");
}

}  // namespace
