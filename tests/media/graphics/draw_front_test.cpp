// Drawing fronts: the protocol on the recording back end with a device started, and
// the geometry of the software path, each entry against a simpler call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/soft_draw.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;
using halvorine_test::backendCalls;
using halvorine_test::setBackendStart;

namespace {

struct DeviceFront : graphtest::GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        setBackendStart(0, -1);
        ASSERT_EQ(InitializeGraphics(), 0);
        ASSERT_EQ(GraphicsSys.hardware, 1);
        GraphicsDeviceCapsData.maxTextureSize = 256;
    }
    // Recorded calls from now on, without the "Graphics_D3D9_" prefix.
    std::vector<std::pair<std::string, std::string>> since(size_t from) {
        std::vector<std::pair<std::string, std::string>> out;
        const auto& calls = backendCalls();
        for (size_t i = from; i < calls.size(); ++i) {
            std::string name = calls[i].name;
            if (name.rfind("Graphics_D3D9_", 0) == 0) name = name.substr(14);
            out.emplace_back(name, calls[i].args);
        }
        return out;
    }
    std::vector<std::pair<std::string, std::string>> record(const std::function<int()>& draw, int expect = 0) {
        const size_t from = backendCalls().size();
        EXPECT_EQ(draw(), expect);
        return since(from);
    }
};

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(DeviceFront, DrawsReachTheBackEndWithTheirBrackets) {
    const int graph = MakeGraph(32, 16);
    ASSERT_GE(graph, 0);

    auto calls = record([&] { return DrawGraph(3, 4, graph, 1); });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, "DrawGraph");
    EXPECT_EQ(calls[0].second.substr(0, 8), "3,4,3,4,");
    EXPECT_TRUE(endsWith(calls[0].second, ",1,1,")) << calls[0].second;
    calls = record([&] { return DrawGraphF(3.5f, 4.0f, graph, 0); });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(endsWith(calls[0].second, ",0,0,")) << calls[0].second;
    EXPECT_TRUE(record([&] { return DrawGraph(0, 0, graph + 7, 1); }, -1).empty());

    // Corners come in clockwise and reach the back end as its own order.
    calls = record([&] { return DrawDeformedGraph(1, 2, 3, 4, 5, 6, 7, 8, graph, 1, 1); });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].second.substr(0, 16), "1,2,3,4,7,8,5,6,");

    // A thick line: one untextured strip of four vertices.
    calls = record([&] { return DrawLine(0, 0, 10, 7, 0xFFFFFFFF, 4); });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, "DrawPrimitive2D");
    EXPECT_TRUE(endsWith(calls[0].second, ",4,5,0,0,0,0,")) << calls[0].second;

    // Subtractive blending emulated: inverting boxes over the clamped rectangle.
    GraphicsDeviceCapsData.subtractiveBlend = 0;
    SetDrawArea(10, 10, 100, 100);
    SetDrawBlendMode(3, 128);
    calls = record([&] { return DrawGraph(90, 5, graph, 1); });
    std::vector<std::string> names;
    for (auto& c : calls) names.push_back(c.first);
    ASSERT_EQ(std::count(names.begin(), names.end(), "DrawFilledBox"), 2);
    for (auto& c : calls)
        if (c.first == "DrawFilledBox") {
            EXPECT_EQ(c.second.substr(0, 12), "90,10,100,21");
        }
    EXPECT_NE(std::find(names.begin(), names.end(), "DrawGraph"), names.end());
    EXPECT_EQ(GraphicsDrawSettings.blendMode, 3);
    EXPECT_EQ(GraphicsDrawSettings.blendParam, 128);

    // The turned draw's rectangle: the box of its corners grown by 5.
    SetDrawArea(0, 0, 640, 480);
    calls = record([&] { return DrawRotatedGraphCore(50.0f, 50.0f, 1.0, M_PI / 2, graph, 1, 0); });
    int boxes = 0;
    for (auto& c : calls)
        if (c.first == "DrawFilledBox") {
            ++boxes;
            EXPECT_EQ(c.second.substr(0, 12), "37,29,63,71,");
        }
    EXPECT_EQ(boxes, 2);
    SetDrawBlendMode(0, 255);

    // The turned draw's whole-pixel position is cut toward zero, beside the float one.
    const struct {
        float x, y;
        const char* head;
    } turned[] = {{10.75f, 20.5f, "10,20,"}, {-2.5f, -0.75f, "-2,0,"}, {7.0f, 3.25f, "7,3,"}};
    for (const auto& t : turned) {
        calls = record([&] { return DrawRotatedGraphCore(t.x, t.y, 2.0, 0.5, graph, 1, 0); });
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].first, "DrawRotatedGraph");
        EXPECT_EQ(calls[0].second.rfind(t.head, 0), 0u) << calls[0].second;
    }

    // With the mask on, the mask brackets wrap the draw.
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    ASSERT_EQ(SetUseMaskScreenFlag(1), 0);
    calls = record([&] { return DrawGraph(5, 5, graph, 1); });
    names.clear();
    for (auto& c : calls) names.push_back(c.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Mask_DrawBegin", "DrawGraph", "Mask_DrawEnd"}));
    DeleteMaskScreen();
}

TEST_F(DeviceFront, VertexColoursFollowBrightAndParameter) {
    Vertex2D v[3]{};
    for (auto& p : v) p.r = p.g = p.b = p.a = 200;
    struct Case {
        int bright[3], param;
        uint8_t r, g, b, a;
    } cases[] = {{{255, 128, 0}, 255, 200, 100, 0, 200}, {{255, 255, 255}, 51, 200, 200, 200, 40}};
    for (const Case& c : cases) {
        SetDrawBright(c.bright[0], c.bright[1], c.bright[2]);
        SetDrawBlendMode(1, c.param);
        EXPECT_EQ(DrawPrimitive2D(v, 3, 4, kNoTextureHandle, 0), 0);
        const auto* drawn = static_cast<const Vertex2D*>(GraphicsSys.vertexScratch);
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn[2].r, c.r);
        EXPECT_EQ(drawn[2].g, c.g);
        EXPECT_EQ(drawn[2].b, c.b);
        EXPECT_EQ(drawn[2].a, c.a);
    }
    EXPECT_EQ(v[0].r, 200);  // the caller's vertices are left alone
    for (int count : {0, -5}) EXPECT_EQ(DrawPrimitive2D(v, count, 4, kNoTextureHandle, 0), 0);
    EXPECT_EQ(DrawPrimitive2DEx(v, -1, 4, kNoTextureHandle, 0), 0);
}

// Software screen of 32 bits; pixels read back as a copy.
struct SoftFront : graphtest::GraphFixture {
    int graph = -1;
    void SetUp() override {
        GraphFixture::SetUp();
        GraphicsSys.colorBits = 32;
        ASSERT_EQ(InitializeGraphics(), 0);
        graph = MakeGraph(6, 4);
        MEMIMG* image = GetGraphSoftImage(GetGraphData(graph));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                reinterpret_cast<uint32_t*>(image->pixels + y * image->base->pitch)[x] =
                    0xFF000000u | (40u * x) << 16 | (60u * y) << 8 | 7u;
    }
    std::vector<uint32_t> frame() {
        const MEMIMG& s = GraphicsSys.mainScreen;
        std::vector<uint32_t> out;
        for (int y = 0; y < s.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(s.pixels + y * s.base->pitch);
            out.insert(out.end(), row, row + s.width);
        }
        return out;
    }
    void clear() { FillMemImg(&GraphicsSys.mainScreen, nullptr, 0); }
    // The frames two draws leave on a cleared screen.
    void expectSame(const std::function<int()>& a, const std::function<int()>& b, const char* what) {
        clear();
        EXPECT_EQ(a(), 0) << what;
        const auto first = frame();
        clear();
        EXPECT_EQ(b(), 0) << what;
        const auto second = frame();
        EXPECT_TRUE(first == second) << what;
        EXPECT_NE(std::count(first.begin(), first.end(), 0u), static_cast<long>(first.size())) << what;
    }
};

TEST_F(SoftFront, EntriesDrawWhatSimplerCallsDraw) {
    const unsigned int white = PackScreenColor(255, 255, 255);
    expectSame([&] { return DrawStretchedGraph(20 + 6, 30, 20, 30 + 4, graph, 0); },
               [&] { return DrawMirroredGraph(20, 30, graph, 0); }, "mirror");
    expectSame([&] { return DrawRotatedGraph(20, 30, 2, 1, 1.0, 1.0, 0.0, graph, 0, 0); },
               [&] { return DrawGraph(18, 29, graph, 0); }, "rotate plain");
    expectSame([&] { return DrawRotatedGraph(20, 30, 2, 1, 2.0, 3.0, 0.0, graph, 0, 0); },
               [&] { return DrawStretchedGraphF(20 - 4, 30 - 3, 20 - 4 + 12, 30 - 3 + 12, graph, 0); },
               "rotate scaled");
    expectSame([&] { return DrawLine(10, 10, 10, 50, white, 3); }, [&] { return DrawFilledBox(9, 10, 12, 50, white); },
               "vertical thick");
    expectSame([&] { return DrawLine(0, 20, 30, 20, white, 5); }, [&] { return DrawFilledBox(0, 18, 30, 23, white); },
               "horizontal thick");
    expectSame([&] { return DrawPartGraph(40, 40, 2, 1, 3, 2, graph, 0, 0); },
               [&] { return DrawPartGraphF(40.0f, 40.0f, 2, 1, 3, 2, graph, 0, 0); }, "part");
    expectSame([&] { return DrawCircle(50, 50, 10, white, 0, 3); },
               [&] { return SoftDrawThickCircle(50, 50, 10, white, 3); }, "ring");
    expectSame([&] { return DrawTriangle(5, 5, 40, 9, 12, 30, white, 1); },
               [&] { return SoftDrawTriangle(5, 5, 40, 9, 12, 30, white, 1); }, "triangle");

    clear();
    EXPECT_EQ(DrawCircle(50, 50, -1, white, 1), 0);
    EXPECT_EQ(DrawCircle(50, 50, 5, white, 1, 0), -1);
    EXPECT_EQ(DrawOval(50, 50, 5, 4, white, 0, -2), -1);
    // Even thickness, ends equal: no direction to widen along.
    EXPECT_EQ(DrawLine(30, 30, 30, 30, white, 4), 0);
    EXPECT_EQ(DrawPartGraph(0, 0, 0, 0, 0, 2, graph, 0, 0), -1);
    const auto blank = frame();
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0u), static_cast<long>(blank.size()));
}

TEST_F(SoftFront, PartDrawsPutTheAreaBackAndEmptyAreasDrawNothing) {
    SetDrawArea(5, 6, 300, 200);
    const ImageRect before = GraphicsDrawSettings.drawArea;
    ASSERT_EQ(CreateMaskScreen(1, 640, 480), 0);
    for (int mask : {0, 1}) {
        SetUseMaskScreenFlag(mask);
        EXPECT_EQ(DrawPartGraph(10, 10, 1, 1, 4, 2, graph, 1, mask), 0);
        const ImageRect after = GraphicsDrawSettings.drawArea;
        EXPECT_TRUE(after.left == before.left && after.top == before.top && after.right == before.right &&
                    after.bottom == before.bottom)
            << mask;
        EXPECT_EQ(GetMemImgDrawState().drawArea.right, before.right);
    }
    SetUseMaskScreenFlag(0);

    clear();
    SetDrawArea(10, 10, 10, 50);
    const unsigned int c = PackScreenColor(9, 9, 9);
    const std::function<int()> entries[] = {
        [&] { return DrawBox(0, 0, 100, 100, c, 1); },
        [&] { return DrawBoxOutline(0, 0, 100, 100, c); },
        [&] { return DrawLine(0, 0, 100, 100, c, 3); },
        [&] { return DrawCircle(10, 10, 8, c, 1); },
        [&] { return DrawOval(10, 10, 8, 3, c, 0, 2); },
        [&] { return DrawPixel(10, 10, c); },
        [&] { return DrawTriangle(0, 0, 50, 0, 0, 50, c, 1); },
        [&] { return DrawGraph(10, 10, graph, 0); },
        [&] { return DrawRotatedGraph(10, 10, 1, 1, 2.0, 1.0, 1.0, graph, 0, 0); },
        [&] { return DrawDeformedGraphInt(0, 0, 9, 0, 9, 9, 0, 9, graph, 0); },
        [&] { return DrawStretchedPartGraphF(0, 0, 30, 30, 0, 0, 2, 2, graph, 0); },
    };
    for (const auto& draw : entries) EXPECT_EQ(draw(), 0);
    const auto blank = frame();
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0u), static_cast<long>(blank.size()));
}

TEST_F(SoftFront, ClearFillsTheWholeTargetInItsFormat) {
    GraphicsDrawSettings.backgroundRed = 10, GraphicsDrawSettings.backgroundGreen = 20;
    GraphicsDrawSettings.backgroundBlue = 30;
    const ImageRect left{-1, 0, 5, 5};
    EXPECT_EQ(ClearDrawTarget(&left), 0);
    const auto all = frame();
    EXPECT_EQ(std::count(all.begin(), all.end(), PackScreenColor(10, 20, 30)), static_cast<long>(all.size()));

    const int target = MakeDrawableGraph(16, 8, 0);
    ASSERT_GE(target, 0);
    ASSERT_EQ(SetDrawTarget(target), 0);
    EXPECT_EQ(ClearDrawTarget(nullptr), 0);
    EXPECT_EQ(graphtest::graphPixel(target, 15, 7), graphtest::packedFor(target, 10, 20, 30));
}

}  // namespace
