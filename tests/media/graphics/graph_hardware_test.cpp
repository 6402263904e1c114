// Graphs held in textures, on the recording back end.
#include <algorithm>

#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;
using namespace graphtest;
using halvorine_test::backendCallNames;
using halvorine_test::setBackendResult;
using halvorine_test::setBackendStart;

namespace {

struct HardGraph : GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        setBackendStart(0, -1);
        ASSERT_EQ(InitializeGraphics(), 0);
        ASSERT_EQ(GraphicsSys.hardware, 1);
        GraphicsDeviceCapsData.maxTextureSize = 256;
        GraphicsDeviceCapsData.pow2TexturesOnly = 1;
        GraphicsDeviceCapsData.conditionalNonPow2 = 0;
        GraphicsDeviceCapsData.squareTexturesOnly = 0;
    }
};

long countCalls(const std::string& name) {
    const auto names = backendCallNames();
    return std::count(names.begin(), names.end(), name);
}

}  // namespace

TEST_F(HardGraph, TilesPiecesAndTextures) {
    // The default font's glyph page is a texture already.
    const long created = countCalls("Graphics_D3D9_CreateGraphTexture");
    const long released = countCalls("Graphics_D3D9_ReleaseGraphTexture");
    const int graph = MakeGraph(300, 20);
    ASSERT_NE(graph, -1);
    const GraphData* data = GetGraphData(graph);
    ASSERT_EQ(data->orig->tileCount, 4);  // 256, 32, 8, 4 across; 32 down
    EXPECT_EQ(data->orig->tiles[3].x, 296);
    EXPECT_EQ(data->orig->tiles[0].textureHeight, 32);
    EXPECT_EQ(data->pieceCount, 4);
    EXPECT_EQ(countCalls("Graphics_D3D9_CreateGraphTexture"), created + 1);

    const int part = CreatePartGraph(graph, 250, 0, 38, 20);
    ASSERT_NE(part, -1);
    EXPECT_EQ(GetGraphData(part)->pieceCount, 2);
    EXPECT_EQ(GetGraphData(part)->pieces[0].tileX, 250);
    EXPECT_EQ(countCalls("Graphics_D3D9_CreateGraphTexture"), created + 1);
    SubHandle(graph);
    EXPECT_EQ(countCalls("Graphics_D3D9_ReleaseGraphTexture"), released);
    SubHandle(part);
    EXPECT_EQ(countCalls("Graphics_D3D9_ReleaseGraphTexture"), released + 1);
}

TEST_F(HardGraph, ManyPiecesGrowTheRecordAndTooManyAreRefused) {
    GraphicsDeviceCapsData.maxTextureSize = 1;
    GraphicsDeviceCapsData.pow2TexturesOnly = 0;
    const int before = liveGraphs();  // the default font's glyph page among them
    const int wide = MakeGraph(40, 2);
    ASSERT_NE(wide, -1);
    EXPECT_EQ(GetGraphData(wide)->pieceCount, 80);
    const GraphData* data = GetGraphData(wide);
    const GraphDrawPiece* last = data->pieces + (data->pieceCount - 1);  // in the grown part of the record
    EXPECT_EQ(last->x, 39);
    EXPECT_EQ(MakeGraph(257, 1), -1);
    EXPECT_EQ(liveGraphs(), before + 1);
}

TEST_F(HardGraph, FillFallsBackToUpload) {
    const int graph = MakeGraph(4, 4);
    setBackendResult("Graphics_D3D9_FillGraph", 2);
    const long before = countCalls("Graphics_D3D9_BltBmpOrBaseImageToGraph3");
    ASSERT_EQ(FillGraph(graph, 1, 2, 3, 4), 0);
    EXPECT_EQ(countCalls("Graphics_D3D9_BltBmpOrBaseImageToGraph3"), before + 1);
}

TEST_F(HardGraph, ShutDownSparesKeptGraphsUntilTheTypeGoes) {
    const int plain = MakeGraph(4, 4);
    GraphCreateSettingsData.words.keep = 1;  // the settings never carry it; a param does
    SetupGraphParam param;
    InitSetupGraphParamFromSettings(&param);
    param.keep = 1;
    const int kept = MakeGraphFromParam(&param, 4, 4, 0, 8, 0, 0);
    ASSERT_NE(plain, -1);
    ASSERT_NE(kept, -1);
    // Fonts go with graphics: their glyph pages are released before the device too.
    const int fontPages = liveGraphs() - 2;
    halvorine_test::backendCalls().clear();
    TerminateGraphics();
    const auto names = backendCallNames();
    const auto terminate = std::find(names.begin(), names.end(), "Graphics_D3D9_Terminate");
    ASSERT_NE(terminate, names.end());
    const std::string release = "Graphics_D3D9_ReleaseGraphTexture";
    EXPECT_EQ(std::count(names.begin(), terminate, release), 1 + fontPages);
    EXPECT_EQ(std::count(terminate, names.end(), release), 1);
}
