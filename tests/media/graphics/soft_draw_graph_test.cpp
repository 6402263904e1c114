// Software graph draws through graph handles: rotation, mirroring and the blend graph
// of the render state, onto the main software screen.
#include <gtest/gtest.h>

#include <cmath>

#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/hwdraw/rotation.h"
#include "media/graphics/soft_draw.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;

namespace {

using SoftDrawGraphs = graphtest::GraphFixture;

uint32_t screenAt(int x, int y) {
    const MEMIMG& s = GraphicsSys.mainScreen;
    return reinterpret_cast<const uint32_t*>(s.pixels + y * s.base->pitch)[x];
}

void setPixel(MEMIMG* img, int x, int y, uint32_t v) {
    reinterpret_cast<uint32_t*>(img->pixels + y * img->base->pitch)[x] = v;
}

}  // namespace

TEST_F(SoftDrawGraphs, HandlesRotationMirrorAndBlendGraph) {
    GraphicsSys.colorBits = 32;
    ASSERT_EQ(InitializeGraphics(), 0);
    const int graph = MakeGraph(4, 2);
    MEMIMG* image = GetGraphSoftImage(GetGraphData(graph));
    ASSERT_NE(image, nullptr);
    uint32_t texel[8];
    for (int i = 0; i < 8; ++i) setPixel(image, i % 4, i / 4, texel[i] = 0xFF000000u | (10u * (i + 1)) << 16);
    const uint32_t black = 0xFF000000u;

    struct Case { int turn; double angle; } cases[] = {{0, M_PI / 2}, {1, M_PI / 2}, {0, 0.0}, {1, 0.0}};
    for (const Case& c : cases) {
        FillMemImg(&GraphicsSys.mainScreen, nullptr, black);
        EXPECT_EQ(SoftDrawRotatedGraph(RotationPlacement{10.0f, 10.0f, 2.0f, 1.0f, true, false}, 1.0, c.angle, graph, 0, c.turn), 0);
        for (int i = 0; i < 4; ++i) {
            const int from = c.turn ? 3 - i : i;
            if (c.angle != 0.0) {
                EXPECT_EQ(screenAt(10, 8 + i), texel[from]) << c.turn << " " << i;
                EXPECT_EQ(screenAt(9, 8 + i), texel[4 + from]) << c.turn << " " << i;
            } else {
                EXPECT_EQ(screenAt(8 + i, 9), texel[from]) << c.turn << " " << i;
                EXPECT_EQ(screenAt(8 + i, 10), texel[4 + from]) << c.turn << " " << i;
            }
        }
    }
    // Angle 0 and scale 1 put the graph where the plain draw does.
    FillMemImg(&GraphicsSys.mainScreen, nullptr, black);
    EXPECT_EQ(SoftDrawGraph(8, 9, graph, 0), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(screenAt(8 + i % 4, 9 + i / 4), texel[i]);

    // A blend graph whose blue channel is 0 on the left and 255 on the right wipes
    // the left half away (alpha times value / 255) when the draw blends; a plain copy
    // does not blend.
    const int blend = MakeGraph(4, 2);
    MEMIMG* values = GetGraphSoftImage(GetGraphData(blend));
    for (int i = 0; i < 8; ++i) setPixel(values, i % 4, i / 4, i % 4 < 2 ? black : 0xFF0000FFu);
    ASSERT_EQ(SetBlendGraphParam(blend, 2, 0, 0), 0);
    for (int mode : {1, 0}) {
        SetMemImgBlendMode(mode, 255);
        FillMemImg(&GraphicsSys.mainScreen, nullptr, black);
        EXPECT_EQ(SoftDrawGraph(8, 9, graph, 1), 0);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(screenAt(8 + i % 4, 9 + i / 4), i % 4 < 2 && mode ? black : texel[i]) << mode << " " << i;
    }
    ASSERT_EQ(SetBlendGraphParam(-1, 0, 0, 0), 0);
    FillMemImg(&GraphicsSys.mainScreen, nullptr, black);
    EXPECT_EQ(SoftDrawStretchedGraph(8, 9, 16, 11, graph, 1), 0);
    EXPECT_EQ(screenAt(8, 9), texel[0]);
    EXPECT_EQ(screenAt(15, 10), texel[7]);
    EXPECT_EQ(SoftDrawDeformedGraph(0, 0, 4, 0, 4, 2, 0, 2, graph, 0), 0);
    EXPECT_EQ(screenAt(3, 1), texel[7]);
    EXPECT_EQ(SoftDrawDeformedGraphF(20.5f, 0, 24.5f, 0, 24.5f, 2, 20.5f, 2, graph, 0), 0);
    EXPECT_EQ(screenAt(20, 0), texel[0]);
    EXPECT_EQ(SoftDrawDeformedGraphF(NAN, 0, 4, 0, 4, 2, 0, 2, graph, 0), 0);
    EXPECT_EQ(SoftDrawGraph(0, 0, -1, 0), -1);
}
