// Draw routes that only the device renderers have, run on Direct3D 9 and on Direct3D 11
// alike and checked against frames worked out by hand: the blend graph placed on the
// screen or on the drawn graph, the whole-pixel deformed draw, mask graphs, the forms of
// user polygons, a filter pass that cannot draw, and the device state after a refresh.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/base/handle.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/hwdraw/filter_steps.h"
#include "media/graphics/mask.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "tests/media/graphics/renderers/renderer_frames.h"
#include "tests/media/graphics/shadow_cases.h"

namespace {

using namespace renderertest;

constexpr Renderer kDevices[] = {kD3D9, kD3D11};

class HardwareRoutes : public RendererTest {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        settings_ = GraphCreateSettingsData;
    }
    void TearDown() override {
        GraphCreateSettingsData = settings_;
        RendererTest::TearDown();
    }

    // A graph of w x h texels cut into tiles of at most 64 texels.
    int makeCutPicture(int w, int h, const std::function<unsigned(int, int)>& texel) {
        GraphCreateSettingsData.words.maxTextureSize = 64;
        const int g = makePicture(w, h, false, texel);
        GraphCreateSettingsData = settings_;
        return g;
    }

    // Every pixel of the rectangle [x1, x2) x [y1, y2) within 2 of `expected`(x, y).
    static void expectRect(const Frame& f, int x1, int y1, int x2, int y2,
                           const std::function<unsigned(int, int)>& expected) {
        int above = 0;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x)
                if (distance(f.at(x, y), expected(x, y)) > 2 && above++ < 6)
                    ADD_FAILURE() << "at " << x << ", " << y << ": " << hex(f.at(x, y)) << ", expected "
                                  << hex(expected(x, y));
        EXPECT_EQ(above, 0);
    }

    // The offset that puts a caller's vertex on a pixel's top-left edge: Direct3D 9 takes
    // pixel centres at whole coordinates.
    static float edge() { return GraphicsApiType == kGraphicsApiD3D9 ? -0.5f : 0.0f; }

    GraphCreateSettings settings_{};
};

unsigned blendTexel(int x, int y) { return rgb(x, y * 4, 128); }

// A blend graph of blendTexel (256 x 64) set to replace the drawn colour entirely, and a
// white graph of w x h to draw under it (its handle, -1 when either cannot be made).
int whiteUnderBlendGraph(int w, int h) {
    const int blend = makePicture(256, 64, false, [](int x, int y) { return blendTexel(x, y); });
    const int white = makePicture(w, h, false, [](int, int) { return rgb(255, 255, 255); });
    if (blend < 0 || white < 0 || SetBlendGraphParam(blend, 0, 255, 0) != 0) return -1;
    return white;
}

// A white graph under a blend graph that replaces its colour entirely: each drawn pixel
// shows the blend texel the position mode and offset put under it.
TEST_F(HardwareRoutes, TheBlendGraphLiesOnTheScreenOrOnTheGraph) {
    struct Case {
        int mode, px, py, drawX, drawY;
        int texelDx, texelDy;  // blend texel = drawn pixel's screen position + this
        bool fromGraph;        // blend texel = the graph pixel + the offset instead
    };
    const Case cases[] = {
        {1, 0, 0, 0, 0, 0, 0, false},   {1, 0, 0, 50, 0, 0, 0, false},   {0, 0, 0, 50, 0, 0, 0, true},
        {1, 16, 8, 50, 20, -16, -8, false}, {0, 16, 8, 50, 20, 16, 8, true}, {2, 16, 8, 90, 30, 16, 8, true},
    };
    for (Renderer r : kDevices) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int white = whiteUnderBlendGraph(16, 8);
        ASSERT_GE(white, 0);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.mode * 1000 + c.drawX);
            ClearDrawTarget(nullptr);
            ASSERT_EQ(SetBlendGraphPositionMode(c.mode), 0);
            ASSERT_EQ(SetBlendGraphPosition(c.px, c.py), 0);
            ASSERT_EQ(DrawGraph(c.drawX, c.drawY, white, 0), 0);
            const Frame f = capture();
            expectRect(f, c.drawX, c.drawY, c.drawX + 16, c.drawY + 8, [&](int x, int y) {
                return c.fromGraph ? blendTexel(x - c.drawX + c.texelDx, y - c.drawY + c.texelDy)
                                   : blendTexel(x + c.texelDx, y + c.texelDy);
            });
            EXPECT_EQ(f.at(c.drawX + 16, c.drawY), rgb(0, 0, 0));
        }
        TerminateLibrary();
    }
}

// Quad lists, which strings are drawn with, read the blend graph too: in position mode 1
// each quad shows the blend texels under its screen pixels; in any other mode every quad
// takes the blend coordinates of the whole graph's corners, whatever part of the graph it
// cuts out. A string under the blend graph shows the blend texels under its ink, and the
// two back ends draw it alike in both modes; the software renderer draws it as without.
TEST_F(HardwareRoutes, QuadListsAndStringsReadTheBlendGraph) {
    struct Case {
        int mode, px, py;
        bool fromGraph;  // blend texel = the quad's pixel within it + the offset, else the screen's
    };
    const Case cases[] = {{1, 0, 0, false}, {1, 16, 8, false}, {0, 0, 0, true}, {0, 16, 8, true}, {2, 5, 3, true}};
    // The software renderer draws strings without the blend graph.
    ASSERT_TRUE(start(kSoftware));
    ASSERT_EQ(DrawString(10, 20, "Blend WM", colour(255, 255, 255)), 0);
    const Frame plain = capture();
    ClearDrawTarget(nullptr);
    ASSERT_GE(whiteUnderBlendGraph(8, 8), 0);
    ASSERT_EQ(SetBlendGraphPositionMode(1), 0);
    ASSERT_EQ(DrawString(10, 20, "Blend WM", colour(255, 255, 255)), 0);
    EXPECT_TRUE(capture().pixels == plain.pixels);
    EXPECT_GT(std::count_if(plain.pixels.begin(), plain.pixels.end(), [](unsigned p) { return p != 0; }), 40);
    TerminateLibrary();
    std::vector<Frame> strings;
    for (Renderer r : kDevices) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int white = whiteUnderBlendGraph(64, 32);
        ASSERT_GE(white, 0);
        // Each quad covers 64 x 32 pixels with a different 16 x 8 part of the graph.
        const float e = edge();
        auto quad = [e](float x, float y, int srcX, int srcY) {
            return GraphQuad{x + e, y + e, x + 64 + e, y + e, x + 64 + e, y + 32 + e, x + e, y + 32 + e,
                             srcX, srcY, 16, 8};
        };
        const int qx[2] = {20, 100}, qy[2] = {10, 24};
        const GraphQuad quads[2] = {quad(20, 10, 0, 0), quad(100, 24, 32, 16)};
        const GraphQuadList list{white, 2, quads};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.mode * 1000 + c.px);
            ClearDrawTarget(nullptr);
            ASSERT_EQ(SetBlendGraphPositionMode(c.mode), 0);
            ASSERT_EQ(SetBlendGraphPosition(c.px, c.py), 0);
            ASSERT_EQ(DrawGraphQuadList(&list), 0);
            const Frame f = capture();
            for (int i = 0; i < 2; ++i)
                expectRect(f, qx[i], qy[i], qx[i] + 64, qy[i] + 32, [&](int x, int y) {
                    return c.fromGraph ? blendTexel(x - qx[i] + c.px, y - qy[i] + c.py)
                                       : blendTexel(x - c.px, y - c.py);
                });
            EXPECT_EQ(f.at(qx[0] + 64, qy[0]), rgb(0, 0, 0));
        }

        // White text over black: in mode 1 its ink is the blend texel under it.
        ClearDrawTarget(nullptr);
        ASSERT_EQ(SetBlendGraphPosition(0, 0), 0);
        ASSERT_EQ(SetBlendGraphPositionMode(1), 0);
        ASSERT_EQ(DrawString(10, 20, "Blend WM", colour(255, 255, 255)), 0);
        ASSERT_EQ(SetBlendGraphPositionMode(0), 0);
        ASSERT_EQ(DrawString(10, 100, "Blend WM", colour(255, 255, 255)), 0);
        const Frame f = capture();
        int ink = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x)
                if (f.at(x, y) != rgb(0, 0, 0)) {
                    ++ink;
                    ASSERT_LE(distance(f.at(x, y), blendTexel(x, y)), 2) << x << ", " << y << ": " << hex(f.at(x, y));
                }
        EXPECT_GT(ink, 40);
        strings.push_back(f);
        TerminateLibrary();
    }
    ASSERT_EQ(strings.size(), 2u);
    int apart = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (distance(strings[0].at(x, y), strings[1].at(x, y)) > 2 && apart++ < 6)
                ADD_FAILURE() << "strings part at " << x << ", " << y << ": " << hex(strings[0].at(x, y)) << " and "
                              << hex(strings[1].at(x, y));
    EXPECT_EQ(apart, 0);
}

unsigned cornerTexel(int x, int y) { return rgb(x * 16, y * 16, 200); }

// With a blend graph set the deformed draw goes by whole pixels: a quarter turn lands every
// texel on its own pixel with the graph's far corner at the fourth corner, an upright
// rectangle is the stretched draw, and a graph of two pieces leaves no gap between them.
TEST_F(HardwareRoutes, WholePixelCornersPlaceEveryTexel) {
    for (Renderer r : kDevices) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int g = makePicture(16, 16, false, [](int x, int y) { return cornerTexel(x, y); });
        const int blend = makePicture(64, 64, false, [](int, int) { return rgb(0, 255, 0); });
        ASSERT_EQ(SetBlendGraphParam(blend, 0, 0, 0), 0);  // the graph shows itself

        // Corners clockwise from the graph's top-left: a quarter turn to the right, given in
        // fractions that are cut toward zero.
        ASSERT_EQ(DrawDeformedGraph(116.7f, 50.2f, 116.9f, 66.5f, 100.3f, 66.8f, 100.1f, 50.6f, g, 0, 1), 0);
        // Upright, the same graph through both draws.
        ASSERT_EQ(DrawDeformedGraph(200.7f, 40.2f, 232.9f, 40.5f, 232.4f, 72.5f, 200.2f, 72.9f, g, 0, 1), 0);
        ASSERT_EQ(DrawStretchedGraph(300, 40, 332, 72, g, 0), 0);

        const int wide = makeCutPicture(96, 40, [](int, int) { return rgb(255, 255, 255); });
        ASSERT_GE(wide, 0);
        ASSERT_EQ(GetGraphData(wide)->pieceCount, 2);
        ASSERT_EQ(DrawDeformedGraph(300, 200, 420, 220, 400, 280, 290, 250, wide, 0, 1), 0);
        const Frame f = capture();

        expectRect(f, 100, 50, 116, 66, [](int x, int y) { return cornerTexel(y - 50, 115 - x); });
        EXPECT_EQ(f.at(100, 65), cornerTexel(15, 15));
        EXPECT_EQ(f.at(116, 50), rgb(0, 0, 0));
        expectRect(f, 200, 40, 232, 72, [&](int x, int y) { return f.at(x + 100, y); });
        for (int y = 205; y < 275; ++y) {
            int first = -1, last = -1;
            for (int x = 280; x < 430; ++x)
                if (f.at(x, y) != 0) {
                    if (first < 0) first = x;
                    last = x;
                }
            ASSERT_GE(first, 0) << y;
            for (int x = first; x <= last; ++x) ASSERT_EQ(f.at(x, y), rgb(255, 255, 255)) << x << ", " << y;
        }
        TerminateLibrary();
    }
}

// A mask graph lets each drawn pixel through by one channel of its texel; reversed, by
// the complement. A deleted mask graph is forgotten and the mask buffer decides again.
TEST_F(HardwareRoutes, MaskGraphsBlendTheDrawByTheirChannel) {
    const int oldR = 200, oldG = 100, oldB = 40;
    auto mix = [](int a, int drawn, int old) { return (a * drawn + (255 - a) * old + 127) / 255; };
    for (Renderer r : kDevices) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        DrawBox(0, 0, kW, kH, colour(oldR, oldG, oldB), 1);
        const int maskGraph = makePicture(128, 64, false, [](int, int) { return rgb(64, 200, 10); });
        ASSERT_GE(maskGraph, 0);
        ASSERT_EQ(CreateMaskScreen(1, kW, kH), 0);
        ASSERT_EQ(SetMaskGraph(maskGraph), 0);
        ASSERT_EQ(SetMaskBlendType(1), 0);  // red
        ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
        DrawBox(10, 10, 50, 50, colour(255, 0, 0), 1);
        ASSERT_EQ(SetMaskReverseFlag(1), 0);
        DrawBox(60, 10, 100, 50, colour(255, 0, 0), 1);
        ASSERT_EQ(SetMaskReverseFlag(0), 0);
        ASSERT_EQ(SubHandle(maskGraph), 0);
        DrawBox(110, 10, 150, 50, colour(255, 0, 0), 1);
        ASSERT_EQ(SetUseMaskScreenFlag(0), 0);
        const Frame f = capture();
        const unsigned plain = rgb(mix(64, 255, oldR), mix(64, 0, oldG), mix(64, 0, oldB));
        const unsigned reversed = rgb(mix(191, 255, oldR), mix(191, 0, oldG), mix(191, 0, oldB));
        expectRect(f, 10, 10, 50, 50, [&](int, int) { return plain; });
        expectRect(f, 60, 10, 100, 50, [&](int, int) { return reversed; });
        expectRect(f, 110, 10, 150, 50, [](int, int) { return rgb(255, 0, 0); });
        EXPECT_EQ(f.at(55, 20), rgb(oldR, oldG, oldB));
        TerminateLibrary();
    }
}

// Six vertices in the order of a drawn quad over [x, x + w) x [y, y + h), white, with
// texture coordinates the second form must replace.
std::vector<Vertex2D> sixes(float x, float y, float w, float h, float u = 0.3f, float v = 0.7f) {
    const float px[6] = {0, 1, 0, 1, 0, 1}, py[6] = {0, 0, 1, 1, 1, 0};
    std::vector<Vertex2D> out;
    for (int i = 0; i < 6; ++i) out.push_back(Vertex2D{x + px[i] * w, y + py[i] * h, 0, 1, 255, 255, 255, 255, u, v});
    return out;
}

unsigned pieceTexel(int x, int y) { return rgb(x * 2, y * 6, 50); }

// The second form covers the texture piece with each six vertices (mirrored with the
// reverse flag), a graph's second piece textures the polygon, a shadow map does too, a
// map that does not exist is refused with nothing drawn, and no form writes the caller's
// vertices.
TEST_F(HardwareRoutes, UserPolygonFormsPiecesAndShadowMaps) {
    for (Renderer r : kDevices) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int g = makeCutPicture(96, 40, [](int x, int y) { return pieceTexel(x, y); });
        ASSERT_GE(g, 0);
        ASSERT_EQ(GetGraphData(g)->pieceCount, 2);
        const float e = edge();
        struct Case {
            int x, y, form, reverse, piece;
            float u, v;
            std::function<unsigned(int, int)> texel;  // of the polygon's pixel (i, j)
        };
        const Case cases[] = {
            {20, 20, 1, 0, 0, 0.3f, 0.7f, [](int i, int j) { return pieceTexel(i, j); }},
            {100, 20, 1, 1, 0, 0.3f, 0.7f, [](int i, int j) { return pieceTexel(63 - i, j); }},
            {200, 20, 1, 0, 1, 0.3f, 0.7f, [](int i, int j) { return pieceTexel(64 + i, j); }},
            {300, 20, 1, 1, 1, 0.3f, 0.7f, [](int i, int j) { return pieceTexel(95 - i, j); }},
            // The first form keeps the caller's coordinates, 0..1 across the piece.
            {400, 20, 0, 1, 1, 0.0f, 0.0f, [](int, int) { return pieceTexel(64, 0); }},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.x);
            const int w = c.piece == 0 ? 64 : 32;
            const std::vector<Vertex2D> v = sixes(float(c.x) + e, float(c.y) + e, float(w), 40, c.u, c.v);
            const std::vector<Vertex2D> before = v;
            ASSERT_EQ(Graphics_Hardware_DrawUserPolygon2D(v.data(), 6, 4, g, 0, c.form, 0, c.reverse, c.piece, 0), 0);
            EXPECT_EQ(std::memcmp(v.data(), before.data(), sizeof(Vertex2D) * 6), 0);
        }
        // A shadow map cleared to a red of 128 textures the polygon by its one channel.
        const int map = MakeTestShadowMap(32, 32);
        ASSERT_EQ(ShadowMap_DrawSetup(GetShadowMapData(map)), 0);
        SetBackgroundColor(128, 0, 0);
        ClearDrawTarget(nullptr);
        ASSERT_EQ(ShadowMap_DrawEnd(), 0);
        SetBackgroundColor(0, 0, 0);
        const std::vector<Vertex2D> m = sixes(20 + e, 100 + e, 32, 32);
        ASSERT_EQ(Graphics_Hardware_DrawUserPolygon2D(m.data(), 6, 4, map, 0, 1, 0, 0, 0, 1), 0);
        const Frame f = capture();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.x);
            expectRect(f, c.x, c.y, c.x + (c.piece == 0 ? 64 : 32), c.y + 40,
                       [&](int x, int y) { return c.texel(x - c.x, y - c.y); });
        }
        EXPECT_LE(std::abs(channel(f.at(30, 110), 16) - 128), 2) << hex(f.at(30, 110));

        // Refused: a map handle that names nothing, a piece the graph lacks.
        const std::vector<Vertex2D> v = sixes(500 + e, 100 + e, 32, 32);
        EXPECT_EQ(Graphics_Hardware_DrawUserPolygon2D(v.data(), 6, 4, map + 1, 0, 0, 0, 0, 0, 1), -1);
        EXPECT_EQ(Graphics_Hardware_DrawUserPolygon2D(v.data(), 6, 4, g, 0, 0, 0, 0, 2, 0), -1);
        EXPECT_EQ(Graphics_Hardware_DrawUserPolygon2D(nullptr, 6, 4, g, 0, 0, 0, 0, 0, 0), -1);
        const Frame after = capture();
        EXPECT_TRUE(after.pixels == f.pixels);
        TerminateLibrary();
    }
}

// A filter pass whose shader has lost its device object cannot draw: the filter answers
// -1 and the picture keeps its pixels. A refresh of the device state changes nothing that
// is drawn.
TEST_F(HardwareRoutes, AFilterThatCannotDrawFailsAndRefreshKeepsTheScene) {
  auto scene = [] {
    ClearDrawTarget(nullptr);
    DrawBox(10, 10, 200, 120, colour(40, 160, 220), 1);
    SetDrawBlendMode(1, 128);
    DrawCircle(100, 100, 50, colour(250, 90, 10), 1);
    SetDrawBlendMode(0, 255);
    DrawLine(0, 200, 300, 150, colour(255, 255, 0));
  };
  auto pictureFrame = [](int g) {
    ClearDrawTarget(nullptr);
    DrawGraph(0, 0, g, 0);
    return capture();
  };
  for (Renderer r : kDevices) {
    SCOPED_TRACE(kNames[r]);
    ASSERT_TRUE(start(r));
    const int g = makePicture(32, 32, false, [](int x, int y) { return rgb(x * 8, y * 8, 90); });
    ASSERT_EQ(GraphFilter(g, kGraphFilterInvert), 0);
    const Frame inverted = pictureFrame(g);
    EXPECT_EQ(inverted.at(3, 5), rgb(255 - 24, 255 - 40, 255 - 90));
    ShaderHandleData* shader = GetShaderData(GraphFilterShaderHandleTable[kFNInvert], 0);
    ASSERT_NE(shader, nullptr);
    Graphics_Hardware_Shader_Terminate(shader);
    EXPECT_EQ(GraphFilter(g, kGraphFilterInvert), -1);
    EXPECT_TRUE(pictureFrame(g).pixels == inverted.pixels);

    scene();
    const Frame before = capture();
    ASSERT_EQ(Graphics_Hardware_RefreshDeviceState(), 0);
    scene();
    EXPECT_TRUE(capture().pixels == before.pixels);
    TerminateLibrary();
  }
}

}  // namespace
