// String drawing with a device (the recording back end): one quad of the cache graph
// per glyph from its cell + (1, 1), the edge half first under the edge colour, and the
// half-pixel start shift on the first API only.
#include <sstream>
#include <string>
#include <vector>

#include "font_env.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"

using namespace ZaDod;
using fonttest::FontEnv;

namespace {

struct TextureText : FontEnv {
    void SetUp() override {
        FontEnv::SetUp();
        halvorine_test::setRecordQuadContents(true);
        startDevice();
    }
    void TearDown() override {
        halvorine_test::setRecordQuadContents(false);
        FontEnv::TearDown();
    }
};

// A device on either API: Direct3D 9 when the other one fails to start.
struct TextureApi : FontEnv, ::testing::WithParamInterface<int> {
    void SetUp() override {
        FontEnv::SetUp();
        halvorine_test::setRecordQuadContents(true);
        halvorine_test::setBackendStart(0, GetParam() == kGraphicsApiD3D9 ? -1 : 0);
        SetMainScreenSize(800, 600);
        ASSERT_EQ(InitializeGraphics(), 0);
        ASSERT_EQ(GraphicsApiType, GetParam());
        GraphicsDeviceCapsData.maxTextureSize = GraphicsDeviceCapsData.maxTextureWidth =
            GraphicsDeviceCapsData.maxTextureHeight = 8192;
    }
    void TearDown() override {
        halvorine_test::setRecordQuadContents(false);
        FontEnv::TearDown();
    }
};
INSTANTIATE_TEST_SUITE_P(Apis, TextureApi, ::testing::Values(kGraphicsApiD3D9, kGraphicsApiD3D11));

struct Quad {
    int graph;
    int bright[3];
    float corners[8];
    int src[4];
};

// The quad lists drawn since the back end's record was cleared.
std::vector<Quad> drawnQuads() {
    std::vector<Quad> quads;
    for (const halvorine_test::BackendCall& call : halvorine_test::backendCalls()) {
        if (call.name.find("DrawGraphQuadList") == std::string::npos) continue;
        std::istringstream in(call.args);
        Quad q{};
        std::string word;
        in >> word;
        q.graph = std::stoi(word.substr(6));
        in >> word;
        q.bright[0] = std::stoi(word.substr(7));
        in >> q.bright[1] >> q.bright[2];
        char bracket;
        in >> bracket;
        for (float& c : q.corners) in >> c;
        for (int& s : q.src) in >> s;
        quads.push_back(q);
    }
    return quads;
}

}  // namespace

TEST_P(TextureApi, OneQuadPerGlyphFromTheCellCorner) {
    const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 0, -1, -1, 0, -1, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->useTexture, 1);
    {
        const int api = GetParam();
        halvorine_test::backendCalls().clear();
        SetDrawBright(255, 255, 255);
        ASSERT_EQ(DrawStringToHandleW(10, 20, u"AB A", PackScreenColor(255, 0, 0), handle, 0, 0), 0);
        const std::vector<Quad> quads = drawnQuads();
        ASSERT_EQ(quads.size(), 3u) << ::testing::PrintToString(halvorine_test::backendCallNames());
        const float shift = api == kGraphicsApiD3D9 ? -0.5f : 0.0f;
        int pen = 0;
        const char16_t text[] = u"AB A";
        size_t q = 0;
        for (int i = 0; i < 4; ++i) {
            const FontGlyphSlot* slot = FindCachedGlyph(font, text[i]);
            ASSERT_NE(slot, nullptr);
            if (text[i] != u' ') {
                const Quad& d = quads[q++];
                EXPECT_EQ(d.graph, font->cacheGraph);
                EXPECT_EQ(d.bright[0], 255);
                EXPECT_EQ(d.bright[1], 0);
                EXPECT_EQ(d.src[0], static_cast<int>(slot->column) * font->cellWidth + 1);
                EXPECT_EQ(d.src[1], static_cast<int>(slot->row) * font->cellWidth + 1);
                EXPECT_EQ(d.src[2], slot->width);
                EXPECT_EQ(d.src[3], slot->height);
                EXPECT_FLOAT_EQ(d.corners[0], 10 + shift + pen + slot->drawX);
                EXPECT_FLOAT_EQ(d.corners[1], 20 + shift - font->leading / 2 + slot->drawY);
                EXPECT_FLOAT_EQ(d.corners[4], d.corners[0] + slot->width);
                EXPECT_FLOAT_EQ(d.corners[5], d.corners[1] + slot->height);
            }
            pen += slot->advance;
        }
        // The caller's bright colour is back after the call.
        int r, g, b;
        GetDrawBright(&r, &g, &b);
        EXPECT_EQ(g, 255);
    }
}

// A lost device, or a page that cannot be made again, draws nothing and answers failure;
// once the device is back the string draws again.
TEST_P(TextureApi, NoDeviceOrPageAnswersFailure) {
    const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 0, -1, -1, 0, -1, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(DrawStringToHandleW(10, 20, u"AB", 0xFFFFFF, handle), 0);
    const std::string make = GetParam() == kGraphicsApiD3D9 ? "Graphics_D3D9_CreateGraphTexture"
                                                            : "Graphics_D3D11_CreateGraphTexture";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        if (round == 0) halvorine_test::setDeviceValid(0);
        if (round == 1) {
            halvorine_test::setDeviceValid(1);
            font->textureLost = 1;
            halvorine_test::setBackendResult(make, -1);
        }
        if (round == 2) halvorine_test::setBackendResult(make, 0);
        halvorine_test::backendCalls().clear();
        const int drawn = DrawStringToHandleW(10, 20, u"AB", 0xFFFFFF, handle);
        EXPECT_EQ(drawn, round == 2 ? 0 : -1);
        const std::vector<Quad> quads = drawnQuads();
        EXPECT_EQ(quads.size(), round == 2 ? 2u : 0u);
        for (const Quad& q : quads) EXPECT_EQ(q.graph, font->cacheGraph);
        if (round == 2) EXPECT_NE(font->cacheGraph, -1);
    }
}

TEST_F(TextureText, EdgeHalfFirstUnderTheEdgeColour) {
    const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 1, -1, 2, 0, -1, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    ASSERT_NE(font, nullptr);
    GraphicsApiType = kGraphicsApiD3D11;
    halvorine_test::backendCalls().clear();
    ASSERT_EQ(DrawStringToHandleW(0, 0, u"XY", PackScreenColor(255, 255, 0), handle, PackScreenColor(0, 0, 255), 0),
              0);
    const std::vector<Quad> quads = drawnQuads();
    ASSERT_EQ(quads.size(), 4u);
    for (int i = 0; i < 2; ++i) {
        const Quad& edge = quads[2 * i];
        const Quad& body = quads[2 * i + 1];
        EXPECT_EQ(edge.bright[2], 255);
        EXPECT_EQ(edge.bright[0], 0);
        EXPECT_EQ(body.bright[0], 255);
        EXPECT_EQ(body.bright[2], 0);
        EXPECT_EQ(edge.src[0], body.src[0] + font->textureWidth);
        EXPECT_EQ(edge.src[1], body.src[1]);
        for (int k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(edge.corners[k], body.corners[k]);
    }
}

TEST_F(TextureText, VerticalQuadsTurnClockwise) {
    const int handle = CreateFontHandleW(nullptr, u"IPAGothic", 16, -1, 0, -1, -1, 0, -1, 0);
    FontHandleRecord* font = GetFontRecord(handle);
    ASSERT_NE(font, nullptr);
    GraphicsApiType = kGraphicsApiD3D11;
    halvorine_test::backendCalls().clear();
    ASSERT_EQ(DrawStringToHandleW(100, 0, u"LL", PackScreenColor(255, 255, 255), handle, 0, 1), 0);
    const std::vector<Quad> quads = drawnQuads();
    ASSERT_EQ(quads.size(), 2u);
    const FontGlyphSlot* slot = FindCachedGlyph(font, u'L');
    // The glyph's top-left corner lands top-right; the second glyph sits one advance lower.
    EXPECT_FLOAT_EQ(quads[0].corners[0] - quads[0].corners[6], static_cast<float>(slot->height));
    EXPECT_FLOAT_EQ(quads[0].corners[3] - quads[0].corners[1], static_cast<float>(slot->width));
    EXPECT_FLOAT_EQ(quads[1].corners[1] - quads[0].corners[1], static_cast<float>(slot->advance));
    EXPECT_FLOAT_EQ(quads[1].corners[0], quads[0].corners[0]);
}
