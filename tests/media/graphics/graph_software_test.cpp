// Graphs in software mode: creation, loading, derived and divided graphs, fills,
// kept sources and the rebuild.
#include <array>
#include <cstdio>
#include <vector>

#include "media/base/handle.h"
#include "media/graphics/graph_settings.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;
using namespace graphtest;
using halvorine_test::LogCapture;

namespace {

using SoftGraph = GraphFixture;

void expectPicture(int handle, int dx = 0, int dy = 0, int w = 4, int h = 2) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb& c = kPicture[(y + dy) * 4 + x + dx];
            EXPECT_EQ(graphPixel(handle, x, y), packedFor(handle, c.r, c.g, c.b)) << x << "," << y;
        }
}

}  // namespace

TEST_F(SoftGraph, MakeGraphFormatCodes) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const int plain = MakeGraph(8, 4);
    ASSERT_NE(plain, -1);
    EXPECT_EQ(GetGraphData(plain)->orig->pixelFormatIndex, 49);
    GraphCreateSettingsData.words.alphaChannel = 1;
    const int alpha = MakeGraph(8, 4);
    EXPECT_EQ(GetGraphData(alpha)->orig->pixelFormatIndex, 50);
    EXPECT_EQ(MakeGraph(0, 4), -1);
    EXPECT_EQ(MakeGraph(4, -1), -1);
    EXPECT_EQ(liveGraphs(), 2);
    TerminateGraphics();

    GraphicsSys.colorBits = 32;
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(GetGraphData(MakeGraph(2, 2))->orig->pixelFormatIndex, 52);
    GraphCreateSettingsData.words.alphaChannel = 0;
    EXPECT_EQ(GetGraphData(MakeGraph(2, 2))->orig->pixelFormatIndex, 51);
    EXPECT_EQ(MakeDrawableGraph(2, 2, 1), -1);  // alpha needs a device
}

TEST_F(SoftGraph, LoadsFilesInScreenFormat) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("pic.png");
    const std::string bmp = writePicture("pic.bmp", "-type TrueColor");
    const std::string dds = writePicture("pic.dds", "-define dds:compression=none");
    ASSERT_EQ(InitializeGraphics(), 0);
    for (const std::string& file : {png, bmp, dds}) {
        const int handle = LoadGraph(file.c_str());
        ASSERT_NE(handle, -1) << file;
        expectPicture(handle);
        EXPECT_TRUE(CheckGraphHandleReady(handle));
    }
    // The graph's software image keys on the packed transparent colour, which the
    // file's magenta pixel now holds.
    const int handle = LoadGraph(bmp.c_str());
    const GraphData* graph = GetGraphData(handle);
    EXPECT_EQ(graph->image.base->transColor, graphPixel(handle, 0, 0));
    EXPECT_EQ(graph->orig->transColor, 0xFF00FFu);
}

TEST_F(SoftGraph, AlphaFilesUnlessSwitchedOff) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("pair.png");
    writeGrey("pair_a.png", 128);
    ASSERT_EQ(InitializeGraphics(), 0);
    const int paired = LoadGraph(png.c_str());
    ASSERT_NE(paired, -1);
    EXPECT_EQ(GetGraphData(paired)->orig->request.alphaChannel, 1);
    EXPECT_EQ(GetGraphData(paired)->orig->pixelFormatIndex, 50);
    GraphCreateSettingsData.words.noAlphaFile = 1;
    const int single = LoadGraph(png.c_str());
    EXPECT_EQ(GetGraphData(single)->orig->request.alphaChannel, 0);
}

TEST_F(SoftGraph, MissingAndBrokenFiles) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const std::string missing = scratchDir() + "/nothing_here.png";
    EXPECT_EQ(LoadGraph(missing.c_str()), -1);
    EXPECT_TRUE(LogCapture::contains(u"画像ファイル " + wide(missing) + u" がありません"));
    EXPECT_EQ(liveGraphs(), 0);

    const std::string text = scratchDir() + "/notes.png";
    FILE* f = std::fopen(text.c_str(), "wb");
    std::fputs("neither a picture nor a movie", f);
    std::fclose(f);
    EXPECT_EQ(LoadGraph(text.c_str()), -1);
    EXPECT_TRUE(LogCapture::contains(u"Image File Load Error : " + wide(text)));
    EXPECT_EQ(liveGraphs(), 0);
}

TEST_F(SoftGraph, DerivedGraphsShareTheOriginal) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("derive.png");
    ASSERT_EQ(InitializeGraphics(), 0);
    const int source = LoadGraph(png.c_str());
    EXPECT_EQ(CreatePartGraph(source, 4, 0, 1, 1), -1);
    EXPECT_EQ(CreatePartGraph(source, 0, 0, 0, 1), -1);
    const int part = CreatePartGraph(source, 1, 1, 8, 8);
    ASSERT_NE(part, -1);
    EXPECT_EQ(GetGraphData(part)->area.width, 3);
    EXPECT_EQ(GetGraphData(part)->area.height, 1);
    expectPicture(part, 1, 1, 3, 1);
    const int inner = CreatePartGraph(part, 1, 0, 2, 1);
    expectPicture(inner, 2, 1, 2, 1);
    GraphOrigData* orig = GetGraphData(source)->orig;
    EXPECT_EQ(orig->refCount, 3);
    EXPECT_EQ(GetGraphData(inner)->reload, GetGraphData(source)->reload);
    SubHandle(source);
    SubHandle(part);
    EXPECT_EQ(orig->refCount, 1);
    expectPicture(inner, 2, 1, 2, 1);
    SubHandle(inner);
    EXPECT_EQ(liveGraphs(), 0);
}

TEST_F(SoftGraph, DividedLoads) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("div.png");
    ASSERT_EQ(InitializeGraphics(), 0);
    const std::u16string name = wide(png);
    int handles[5];
    ASSERT_EQ(LoadDivGraphFromSource(name.c_str(), nullptr, 0, 5, 3, 2, 1, 1, handles, 0, 0), 0);
    EXPECT_EQ(liveGraphs(), 5);  // the whole-image graph is gone
    const int order[5] = {0, 1, 2, 4, 5};
    for (int i = 0; i < 5; ++i) {
        const Rgb& c = kPicture[order[i]];
        EXPECT_EQ(graphPixel(handles[i], 0, 0), packedFor(handles[i], c.r, c.g, c.b)) << i;
        EXPECT_EQ(GetGraphData(handles[i])->reload, GetGraphData(handles[0])->reload);
    }
    EXPECT_EQ(GetGraphData(handles[0])->reload->refCount, 5);

    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.fileName = name.c_str();
    request.count = 3;
    request.xCount = 3;
    request.yCount = 1;
    request.width = request.height = 1;
    request.widthf = request.heightf = 1.0f;
    request.handles = handles;
    request.mirror = 1;
    ASSERT_EQ(LoadDivGraphRequest(&request, 0, 0), 0);
    // The picture is mirrored as it loads, and its columns are taken right to left.
    for (int i = 0; i < 3; ++i) {
        const Rgb& c = kPicture[1 + i];
        EXPECT_EQ(graphPixel(handles[i], 0, 0), packedFor(handles[i], c.r, c.g, c.b)) << i;
    }
    const int single = LoadGraph(png.c_str());
    EXPECT_NE(GetGraphData(single)->reload, GetGraphData(handles[0])->reload);

    const int before = liveGraphs();
    EXPECT_EQ(LoadDivGraphFromSource(u"/no/such/file.png", nullptr, 0, 2, 2, 1, 1, 1, handles, 0, 0), -1);
    EXPECT_EQ(handles[0], -1);
    EXPECT_EQ(LoadDivGraphFromSource(name.c_str(), nullptr, 0, 2, 2, 1, 3, 3, handles, 1, 0), -1);
    EXPECT_EQ(liveGraphs(), before);
    EXPECT_EQ(LoadDivGraphFromSource(name.c_str(), nullptr, 0, 0, 2, 1, 1, 1, handles, 0, 0), -1);
}

TEST_F(SoftGraph, FillAndWhiteGraph) {
    ASSERT_EQ(InitializeGraphics(), 0);
    const int white = GetWhiteGraph();
    ASSERT_NE(white, -1);
    EXPECT_EQ(GetWhiteGraph(), white);
    const GraphData* graph = GetGraphData(white);
    EXPECT_EQ(graph->area.width, 8);
    EXPECT_EQ(graph->area.height, 8);
    EXPECT_EQ(graph->restore, 1);
    EXPECT_EQ(graph->orig->request.alphaChannel, 1);
    EXPECT_EQ(graphPixel(white, 7, 7) & 0xFFFF, 0xFFFFu);  // 16-bit white, its alpha kept beside it
    DeleteMarkedGraphs();
    EXPECT_EQ(GetGraphData(white), nullptr);
    const int again = GetWhiteGraph();
    EXPECT_NE(again, white);
    EXPECT_NE(again, -1);

    const int graph2 = MakeGraph(3, 3);
    ASSERT_EQ(FillGraph(graph2, 300, 10, -4, 255), 0);
    EXPECT_EQ(graphPixel(graph2, 2, 2), packedFor(graph2, 255, 10, 0));
}

TEST_F(SoftGraph, ReloadRestoresFromEverySource) {
    REQUIRE_MAGICK();
    const std::string png = writePicture("reload.png");
    ASSERT_EQ(InitializeGraphics(), 0);
    const int fromFile = LoadGraph(png.c_str());
    const int sameFile = LoadGraph(png.c_str());
    FILE* f = std::fopen(png.c_str(), "rb");
    std::vector<unsigned char> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.memImage = bytes.data();
    request.memImageSize = bytes.size();
    const int fromMemory = LoadGraphRequest(&request, 0, 0);
    bytes.assign(bytes.size(), 0);  // the kept copy is the graph's own
    BaseImage image{};
    CreateXRGB8ColorBaseImage(4, 2, &image);
    for (int i = 0; i < 8; ++i) SetBaseImagePixel(&image, i % 4, i / 4, kPicture[i].r, kPicture[i].g, kPicture[i].b, 255);
    const int fromImage = CreateGraphFromBaseImage(&image, nullptr, 0, 0);
    ReleaseBaseImage(&image);
    for (int handle : {fromFile, sameFile, fromMemory, fromImage}) {
        ASSERT_NE(handle, -1);
        FillGraph(handle, 1, 2, 3, 255);
    }
    ASSERT_EQ(ReloadAllGraphs(), 0);
    for (int handle : {fromFile, sameFile, fromMemory, fromImage}) expectPicture(handle);
    EXPECT_TRUE(LogCapture::contains(u"グラフィックの復帰が完了しました"));
}

TEST_F(SoftGraph, BitmapTransferReplacesReloadData) {
    ASSERT_EQ(InitializeGraphics(), 0);
    plat::win::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    plat::win::HBITMAP bitmap = plat::win::CreateDIBSection(nullptr, &info, plat::win::DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 4; ++i) pixels[i] = 0x0000FF00;  // green, XRGB
    PixelFormatDesc xrgb{};
    CreateXRGB8ColorData(&xrgb);

    const int graph = MakeGraph(4, 4);
    FillGraph(graph, 0, 0, 0, 255);
    ASSERT_EQ(TransferBitmapToGraph(&xrgb, bitmap, nullptr, 1, nullptr, nullptr, 1, 1, graph), 0);
    EXPECT_EQ(graphPixel(graph, 1, 1), packedFor(graph, 0, 255, 0));
    EXPECT_EQ(graphPixel(graph, 0, 0), packedFor(graph, 0, 0, 0));
    const GraphReloadData* reload = GetGraphData(graph)->reload;
    ASSERT_NE(reload, nullptr);
    ASSERT_NE(reload->image, nullptr);
    // The graph's whole picture: it had no kept source, so transparent black around the bitmap.
    EXPECT_EQ(reload->image->width, 4);
    int r, g, b, a;
    GetBaseImagePixel(reload->image, 2, 2, &r, &g, &b, &a);
    EXPECT_EQ((std::array{r, g, b, a}), (std::array{0, 255, 0, 255}));
    GetBaseImagePixel(reload->image, 0, 0, &r, &g, &b, &a);
    EXPECT_EQ((std::array{r, g, b, a}), (std::array{0, 0, 0, 0}));
    EXPECT_EQ(TransferBitmapToGraph(&xrgb, nullptr, nullptr, 1, nullptr, nullptr, 0, 0, graph), -1);

    // A kept source that can no longer be read stays as it was; the transfer itself is done.
    std::vector<unsigned char> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 0x28};
    tga.resize(tga.size() + 4 * 4 * 4, 0x80);
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.memImage = tga.data();
    request.memImageSize = tga.size();
    const int loaded = LoadGraphRequest(&request, 0, 0);
    ASSERT_NE(loaded, -1);
    GraphReloadData* kept = GetGraphData(loaded)->reload;
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(kept->memImage, nullptr);
    static_cast<unsigned char*>(kept->memImage)[2] = 0xEE;  // no image kind anyone reads
    ASSERT_EQ(TransferBitmapToGraph(&xrgb, bitmap, nullptr, 1, nullptr, nullptr, 1, 1, loaded), 0);
    EXPECT_EQ(graphPixel(loaded, 1, 1) & 0xFFFF, packedFor(loaded, 0, 255, 0) & 0xFFFF);  // 16 bits, alpha beside
    EXPECT_EQ(GetGraphData(loaded)->reload, kept);
    EXPECT_TRUE(LogCapture::contains(u"転送後の画像を復帰用データに保存できませんでした"));
    plat::win::DeleteObject(bitmap);
}
