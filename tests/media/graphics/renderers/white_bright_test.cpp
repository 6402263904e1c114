// Direct3D 9 keeps its stages multiplying by the vertex colour for a white bright once a
// coloured draw turned them on. The same white draws, made with those stages off and with
// them left on, must give the same frame to the bit in every blend mode, on the shader
// path and on the fixed stages.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/font/font.h"
#include "media/graphics/hardware_types.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

using namespace ZaDod;

namespace {

using namespace renderertest;

constexpr int kBand = 120;  // the rows compared: the white draws lie above this

struct WhiteScene {
    int graded, keyed, plain;
};

// Every byte value in each channel and in alpha, so that any rounding of x * 255 / 255
// shows up somewhere.
WhiteScene makeWhiteScene() {
    WhiteScene s{};
    s.graded = makePicture(64, 64, true, [](int x, int y) {
        const int v = (y * 64 + x) & 255;
        return unsigned(v) << 24 | rgb(v, 255 - v, (v * 7) & 255);
    });
    s.keyed = makePicture(48, 40, false, [](int x, int y) {
        return (x + y) % 5 == 0 ? rgb(255, 0, 255) : rgb((x * 5 + y) & 255, (y * 6) & 255, (x * y) & 255);
    });
    s.plain = makePicture(32, 32, false, [](int x, int y) { return rgb(x * 8, (y * 8) ^ 0x55, (x * y) & 255); });
    return s;
}

// The white draws of one blend mode, each made with the multiplying stages as `modulate`
// leaves them: graphs as they are, stretched under bilinear sampling and turned, and plain
// and anti-aliased labels in white, over stripes.
void drawWhite(const WhiteScene& s, int mode, int aaFont, int modulate) {
    SetDrawBright(255, 255, 255);
    SetDrawMode(0);
    SetDrawBlendMode(0, 255);
    for (int x = 0; x < kW; x += 8)
        DrawBox(x, 0, x + 8, kBand, (x / 8) % 2 ? colour(230, 40, 90) : colour(100, 150, 200), 1);
    SetDrawBlendMode(mode, 128);
    const std::function<void()> subjects[] = {
        [&] { DrawGraph(4, 4, s.graded, 1); },
        [&] { DrawGraph(80, 4, s.keyed, 1); },
        [&] { DrawRotatedGraphCore(170.0f, 40.0f, 1.0, 0.5, s.plain, 1, 0); },
        [&] {
            SetDrawMode(1);
            DrawStretchedGraph(220, 4, 330, 100, s.graded, 1);
            SetDrawMode(0);
        },
        [&] { DrawString(340, 8, "White 0123", colour(255, 255, 255)); },
        [&] { DrawStringToHandle(340, 40, "Wg\xC3\xA9", colour(255, 255, 255), aaFont); },
    };
    for (const auto& draw : subjects) {
        Graphics_D3D9_DeviceState_SetDiffuseKey(modulate);
        draw();
        // A white draw keeps stages that multiply.
        if (modulate) EXPECT_EQ(d3d9_cache::c.colorModulate, 1);
    }
    SetDrawBlendMode(0, 255);
}

TEST_F(RendererTest, WhiteBrightGivesTheSameFrameWhetherTheStagesMultiplyOrNot) {
    for (const int shaders : {1, 0}) {
        ASSERT_TRUE(start(kD3D9));
        if (!shaders) ProgrammableShaderFlag = 0;
        const WhiteScene s = makeWhiteScene();
        const int aa = CreateFontHandle(nullptr, 18, -1, int(kFontTypeAntialiased), -1, -1, 0);
        ASSERT_GE(s.graded, 0);
        ASSERT_GE(s.keyed, 0);
        ASSERT_GE(s.plain, 0);
        ASSERT_GE(aa, 0);
        for (int mode = 0; mode <= 22; ++mode) {
            SCOPED_TRACE((shaders ? "shader path, mode " : "fixed stages, mode ") + std::to_string(mode));
            drawWhite(s, mode, aa, 0);
            const Frame off = capture();
            drawWhite(s, mode, aa, 1);
            const Frame on = capture();

            int differ = 0, firstX = -1, firstY = -1;
            for (int y = 0; y < kBand; ++y)
                for (int x = 0; x < kW; ++x)
                    if (off.at(x, y) != on.at(x, y) && differ++ == 0) firstX = x, firstY = y;
            EXPECT_EQ(differ, 0) << "first at (" << firstX << ", " << firstY << "): "
                                 << (differ ? hex(off.at(firstX, firstY)) + " against " + hex(on.at(firstX, firstY))
                                            : std::string());
        }
        ProgrammableShaderFlag = shaders;
        TerminateLibrary();
    }
}

}  // namespace
