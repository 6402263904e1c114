// The life of graphics resources across a device re-creation on both hardware back ends.
// A scene of text in every font type (also fonts made with creation words, with their own
// spacing, under other graph-creation settings, and the built-in fallback font), pictures
// from a base image and from a soft image, a canvas drawn into before the loss, a draw
// through the mask screen and a movie frame is drawn; the device is lost (or the window
// leaves full screen, or the screen mode changes) and made again, and the same scene gives
// the same bytes. Freed and made again, it gives the same frame once more, and rounds of
// losses leave as many handles and device objects alive as before. A movie of the
// DirectShow path, paused on a frame, shows that frame again after each kind of loss.
// Graphs partly refilled from images come back with the images in their place.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "media/base/handle.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/graphics/soft_image.h"
#include "media/movie/movie.h"
#include "media/sound/sound_handle.h"
#include "media/system/window.h"
#include "media/system/window_state.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/face_com.h"
#include "platform/win/win_window.h"
#include "tests/media/graphics/renderers/recreation_cases.h"
#include "tests/media/graphics/renderers/renderer_frames.h"

namespace recreationlife {

using namespace ZaDod;
using namespace renderertest;
using namespace recreation;

constexpr int kTypes[] = {0, 1, 2, 3, 18, 19, 34, 35};
constexpr int kCanvasW = 96, kCanvasH = 64;
constexpr int kCanvasX = 340, kCanvasY = 60;
constexpr unsigned kBack = 0x1E3C5A;  // (30, 60, 90)

// Fonts made with creation words: 16-bit pages for anti-aliased fonts (word 1), a wanted
// glyph count (word 2), grey levels in every channel (word 3).
struct FontParamCase {
    int type;
    uint32_t word1, word2, word3;
};
constexpr FontParamCase kFontParams[] = {{2, 1, 0, 0}, {19, 1, 0, 0}, {1, 0, 12, 0}, {2, 0, 0, 1}, {35, 0, 40, 1}};

// A sheet of 4 x 2 pieces of 8 x 8 as an uncompressed 32-bit image file, top row first:
// piece i is filled with its own colour and a diagonal.
std::vector<uint8_t> sheetFile() {
    constexpr int w = 32, h = 16;
    std::vector<uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, w, 0, h, 0, 32, 0x28};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int piece = y / 8 * 4 + x / 8;
            const bool diagonal = x % 8 == y % 8;
            file.insert(file.end(), {uint8_t(diagonal ? 255 : piece * 30), uint8_t(diagonal ? 255 : 200 - piece * 20),
                                     uint8_t(diagonal ? 255 : 40 + piece * 25), 255});
        }
    return file;
}

struct Scene {
    std::vector<int> fonts;
    int tiledFont = -1;  // made while graphs were limited to 64-pixel textures
    int picture = -1, softImage = -1, softPicture = -1, canvas = -1, movie = -1;
    std::vector<uint8_t> sheet;
    int pieces[2][8];  // a divided load into textures of their own, and into one texture
};

// A path in the media layer's form.
std::string mediaPath(const std::string& path) {
    std::string out = "C:";
    for (char c : path) out += c == '/' ? '\\' : c;
    return out;
}

// What the canvas holds: shapes, the picture and a line of text, over transparent black.
void drawIntoCanvas(const Scene& s) {
    const int target = GetDrawTarget();
    ASSERT_EQ(SetDrawTarget(s.canvas), 0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    DrawBox(4, 4, 60, 40, colour(220, 120, 20), 1);
    DrawCircle(70, 40, 18, colour(40, 200, 120), 1);
    DrawGraph(30, 20, s.picture, 1);
    DrawStringToHandle(2, 46, "Canvas", colour(255, 255, 255), s.fonts[2], colour(0, 0, 0));
    ASSERT_EQ(SetDrawTarget(target), 0);
}

// The cache page's longer side, or -1 when its graph is not a single texture.
int cachePageSide(int font) {
    const FontHandleRecord* record = GetFontRecord(font);
    const GraphData* page = record != nullptr ? GetGraphData(record->cacheGraph) : nullptr;
    if (page == nullptr || page->orig == nullptr || page->orig->tileCount != 1) return -1;
    return std::max(record->textureWidth, record->textureHeight);
}

Scene makeScene() {
    Scene s;
    for (int type : kTypes) s.fonts.push_back(CreateFontHandle(nullptr, 14, -1, type, -1, 2, 0));
    for (const FontParamCase& c : kFontParams) {
        const FontCreateParam param{{0, c.word1, c.word2, c.word3}};
        s.fonts.push_back(CreateFontHandleW(&param, nullptr, 14, -1, c.type, -1, 2, 0, -1, 0));
    }
    const int spaced = CreateFontHandle(nullptr, 13, -1, 3, -1, 1, 1);
    SetFontSpaceToHandle(3, spaced);
    SetFontLineSpaceToHandle(15, spaced);
    s.fonts.push_back(spaced);
    const int maxTexture = GraphCreateSettingsData.words.maxTextureSize;
    GraphCreateSettingsData.words.maxTextureSize = 64;
    s.tiledFont = CreateFontHandle(nullptr, 15, -1, 2, -1, -1, 0);
    GraphCreateSettingsData.words.maxTextureSize = maxTexture;
    s.fonts.push_back(s.tiledFont);
    for (int font : s.fonts) EXPECT_GE(font, 0);
    // Its page keeps within the limit, in one texture.
    EXPECT_GT(cachePageSide(s.tiledFont), 0);
    EXPECT_LE(cachePageSide(s.tiledFont), 64);

    s.picture = makePicture(48, 32, true, [](int x, int y) {
        return unsigned((x * 5 + y * 3) & 0xFF) << 24 | rgb(x * 5, y * 7, 255 - x * 3);
    });
    // A soft image drawn pixel by pixel; the graph keeps its own copy, so the soft image
    // cleared afterwards does not change what comes back.
    s.softImage = MakeARGB8ColorSoftImage(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) DrawPixelSoftImage(s.softImage, x, y, x * 6, 200 - y * 4, (x ^ y) * 8, 255);
    auto* record = reinterpret_cast<SoftImageRecord*>(GetHandleInfo(s.softImage));
    s.softPicture = record ? CreateGraphFromBaseImage(&record->image, nullptr, 1, 0) : -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) DrawPixelSoftImage(s.softImage, x, y, 0, 0, 0, 0);
    s.sheet = sheetFile();
    for (int textureFlag : {1, 0})
        EXPECT_EQ(LoadDivGraphFromSource(nullptr, s.sheet.data(), s.sheet.size(), 8, 4, 2, 8, 8, s.pieces[1 - textureFlag],
                                         textureFlag, 0),
                  0);
    s.canvas = MakeDrawableGraph(kCanvasW, kCanvasH, 1);
    EXPECT_GE(s.picture, 0);
    EXPECT_GE(s.softPicture, 0);
    EXPECT_GE(s.canvas, 0);
    drawIntoCanvas(s);
    s.movie = LoadGraph(mediaPath(std::string(HALVORINE_SOURCE_DIR) + "/fuzz/corpus/movie_theora/cropped_420.ogv").c_str());
    EXPECT_GE(s.movie, 0);

    // The mask: a checkerboard over the right half of the screen.
    EXPECT_EQ(CreateMaskScreen(1, kW, kH), 0);
    int pitch = 0, width = 0, height = 0;
    uint8_t* mask = GetMaskBuffer(&pitch, &width, &height);
    EXPECT_NE(mask, nullptr);
    if (mask != nullptr)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) mask[size_t(y) * pitch + x] = x >= 320 && ((x / 6 + y / 6) & 1) ? 255 : 0;
    return s;
}

void freeScene(Scene& s) {
    for (int font : s.fonts) DeleteFontHandle(font);
    for (int graph : {s.picture, s.softPicture, s.canvas, s.movie}) SubHandle(graph);
    for (auto& pieces : s.pieces)
        for (int piece : pieces) SubHandle(piece);
    SubHandle(s.softImage);
    DeleteMaskScreen();
    s = Scene{};
}

Frame drawScene(const Scene& s) {
    SetDrawBlendMode(0, 255);
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
    const char* text = "Restored glyphs: AaBbWw 0123 &%$\nline two";
    for (size_t i = 0; i < s.fonts.size(); ++i)
        DrawStringToHandle(8 + int(i % 2) * 150, 8 + int(i) * 26, text, colour(250, 230, 60), s.fonts[i],
                           colour(200, 20, 40));
    DrawString(340, 200, "The built-in font", colour(255, 255, 255));
    DrawGraph(340, 10, s.picture, 1);
    DrawGraph(400, 10, s.softPicture, 1);
    DrawGraph(kCanvasX, kCanvasY, s.canvas, 1);
    DrawGraph(460, 60, s.movie, 0);
    for (int load = 0; load < 2; ++load)
        for (int i = 0; i < 8; ++i) DrawGraph(340 + i * 12, 130 + load * 12, s.pieces[load][i], 0);
    // Through the mask: only the open squares of the checkerboard take the box and picture.
    EXPECT_EQ(SetUseMaskScreenFlag(1), 0);
    DrawBox(300, 240, 600, 400, colour(200, 50, 30), 1);
    DrawStretchedGraph(300, 240, 600, 400, s.picture, 1);
    EXPECT_EQ(SetUseMaskScreenFlag(0), 0);
    return capture();
}

// Equal frames prove nothing for a part that was never drawn: each part shows where it
// was put, every piece of both divided loads its own colour, and the mask keeps the
// background on a blocked square beside a drawn open one.
void expectEveryPartDrawn(const Frame& f) {
    const struct {
        int x, y;
        const char* what;
    } parts[] = {{345, 15, "picture"}, {405, 15, "soft-image picture"}, {350, 70, "canvas"},
                 {462, 62, "movie"},   {326, 245, "masked box"},        {305, 300, "masked box"}};
    for (const auto& p : parts) EXPECT_NE(f.at(p.x, p.y), kBack) << p.what;
    EXPECT_EQ(f.at(320, 240), kBack) << "a square the mask blocks";
    for (int load = 0; load < 2; ++load)
        for (int i = 0; i < 8; ++i) {
            const unsigned inside = f.at(340 + i * 12 + 1, 130 + load * 12 + 4);
            EXPECT_EQ(inside, rgb(40 + i * 25, 200 - i * 20, i * 30)) << "piece " << i << " of load " << load;
        }
    int inkRows = 0;
    for (int y = 0; y < 8 + 26 * 16; ++y) {
        bool ink = false;
        for (int x = 0; x < 300 && !ink; ++x) ink = f.at(x, y) != kBack;
        inkRows += ink;
    }
    EXPECT_GT(inkRows, 200) << "rows of text";
}

// A game's restore function: the kept pictures reloaded, and the canvas drawn again.
const Scene* restoredScene = nullptr;
void reloadAndRedrawCanvas() {
    ReloadAllGraphs();
    if (restoredScene != nullptr) drawIntoCanvas(*restoredScene);
}

class RecreationLife : public RendererTest {
  protected:
    // The library on one back end with the built-in fallback font as the default font.
    static bool startWithFallbackFont(Renderer r) { return start(r) && SetupFallbackFont() == 0; }

    void TearDown() override {
        SetGraphRestoreCallback(nullptr);
        restoredScene = nullptr;
        Win.Settings.WindowModeFlag = 1;
        plat::gpu::ResetD3D9SwitchesForTest();
        RendererTest::TearDown();
    }
};

// Each back end and each way of losing the device. The first round finds the canvas
// empty (it has no kept source) and draws it again itself; the second lets the game's
// restore function do it. Either way the frame is the first one, byte for byte.
TEST_F(RecreationLife, TheSceneComesBackByteForByte) {
    for (Renderer r : {kD3D9, kD3D11})
        for (int loss = 0; loss < kLosses; ++loss) {
            SCOPED_TRACE(std::string(kNames[r]) + ", " + kLossNames[loss]);
            ASSERT_TRUE(startWithFallbackFont(r));
            Scene s = makeScene();
            const Frame first = drawScene(s);
            expectEveryPartDrawn(first);
            const int page = cachePageSide(s.tiledFont);
            for (int round = 0; round < 2; ++round) {
                SCOPED_TRACE(round == 0 ? "canvas drawn after" : "canvas drawn by the restore function");
                if (round == 1) {
                    restoredScene = &s;
                    SetGraphRestoreCallback(reloadAndRedrawCanvas);
                }
                loseDevice(r, Loss(loss));
                if (round == 0) {
                    // Transparent black: over the background it shows the background, drawn
                    // without its transparency it is black.
                    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
                    DrawGraph(kCanvasX, kCanvasY, s.canvas, 1);
                    DrawGraph(100, 300, s.canvas, 0);
                    const Frame empty = capture();
                    int drawn = 0;
                    for (int y = 0; y < kCanvasH; ++y)
                        for (int x = 0; x < kCanvasW; ++x)
                            drawn += (empty.at(kCanvasX + x, kCanvasY + y) != kBack) + (empty.at(100 + x, 300 + y) != 0);
                    EXPECT_EQ(drawn, 0) << hex(empty.at(kCanvasX + 5, kCanvasY + 5));
                    drawIntoCanvas(s);
                }
                EXPECT_EQ(differing(first, drawScene(s), "after re-creation"), 0);
                // The font is made again under the settings it was made with.
                EXPECT_EQ(cachePageSide(s.tiledFont), page);
            }
            SetGraphRestoreCallback(nullptr);
            restoredScene = nullptr;
            freeScene(s);
            s = makeScene();
            EXPECT_EQ(differing(first, drawScene(s), "made again"), 0);
            freeScene(s);
            TerminateLibrary();
        }
}

// Rounds of losses of every kind, the scene drawn after each: the handles and the device
// objects alive after each round are those alive after the first, and freeing the scene
// brings them back to what was alive before it was made.
TEST_F(RecreationLife, LossesLeaveNothingBehind) {
    for (Renderer r : {kD3D9, kD3D11}) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(startWithFallbackFont(r));
        // Objects made on first use (state objects, staging copies) exist from a first
        // scene drawn before and after a loss on.
        Scene s = makeScene();
        drawScene(s);
        loseDevice(r, kLostDevice);
        drawScene(s);
        freeScene(s);
        const Alive empty = alive();
        s = makeScene();
        drawScene(s);
        Alive first;
        for (int round = 0; round < 7; ++round) {
            const Alive before = alive();
            loseDevice(r, Loss(round % kLosses));
            drawScene(s);
            const Alive now = alive();
            EXPECT_LE(now.comObjects, before.comObjects) << "round " << round;
            if (round == 0) first = now;
            EXPECT_EQ(now, first) << "round " << round << ": " << describe(now) << " against " << describe(first);
        }
        freeScene(s);
        EXPECT_EQ(alive(), empty) << describe(alive()) << " against " << describe(empty);
        TerminateLibrary();
    }
}

// The built-in font set up as the default, then set up again: the default font before it
// (a face font, or the built-in one) goes with its cache graph, every set-up leaves as
// many handles alive as the first, and the text drawn with it stays the same. With the
// font table full it cannot be made: the set-up answers failure and the default stays.
TEST_F(RecreationLife, SettingUpTheFallbackFontAgainLeavesNothingBehind) {
    auto drawText = [] {
        DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
        DrawString(10, 10, "Built-in glyphs: AaBbWw 0123", colour(250, 230, 60));
        return capture();
    };
    for (Renderer r : {kSoftware, kD3D9, kD3D11}) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        drawText();
        const int face = GetDefaultFontHandle();
        std::vector<int> fillers;
        for (int font; (font = CreateFontHandle(nullptr, 12, -1, 0, -1, -1, 0)) != -1;) fillers.push_back(font);
        EXPECT_EQ(SetupFallbackFont(), -1);
        EXPECT_EQ(GetDefaultFontHandle(), face);
        for (int font : fillers) DeleteFontHandle(font);
        ASSERT_EQ(SetupFallbackFont(), 0);
        const Frame first = drawText();
        const Alive once = alive();
        EXPECT_EQ(once.handles[HANDLETYPE_FONT], 1) << describe(once);
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            ASSERT_EQ(SetupFallbackFont(), 0);
            EXPECT_EQ(differing(first, drawText(), "set up again"), 0);
            EXPECT_TRUE(alive() == once) << describe(alive()) << " against " << describe(once);
        }
        TerminateLibrary();
    }
}

// A graph showing a DirectShow movie (an AVI of colour bars without sound, made by ffmpeg
// in the test's folder), played until a frame reached the graph and paused there. After
// each kind of loss the graph shows that frame again, byte for byte, though no new frame
// comes, and the frame carried over again does not count as a new one.
TEST_F(RecreationLife, APausedDirectShowMovieShowsItsFrameAgain) {
    const std::string clip = (std::filesystem::current_path() / "bars.avi").string();
    const std::string command = "ffmpeg -v error -y -f lavfi -i smptebars=size=160x120:rate=25:duration=1 -c:v mpeg4 "
                                "-q:v 2 '" + clip + "' </dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "ffmpeg could not make the test clip";
    for (Renderer r : {kD3D9, kD3D11}) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int graph = LoadGraph(mediaPath(clip).c_str());
        ASSERT_GE(graph, 0);
        const int handle = GetGraphData(graph)->movieHandle;
        MovieHandleRecord* movie = GetMovieHandleRecord(handle);
        ASSERT_NE(movie, nullptr);
        ASSERT_EQ(movie->theora, 0);
        movie->playType = DX_PLAYTYPE_BACK;
        movie->playRequested = 1;
        ASSERT_EQ(ResumeSuspendedMovies(), 0);
        int looks = 0;
        for (; looks < 2000 && movie->callbackRan == 0; ++looks) {
            UpdateMovie(handle, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_EQ(movie->callbackRan, 1) << "no frame came";
        ASSERT_EQ(PauseDirectShowMovie(movie), 0);
        movie->paused = 1;
        movie->playRequested = 0;  // activation does not run it again
        // Whatever the streaming thread still had in hand reaches the graph now.
        for (int i = 0; i < 20; ++i) {
            UpdateMovie(handle, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        auto draw = [&] {
            DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
            DrawGraph(200, 150, graph, 0);
            return capture();
        };
        const Frame first = draw();
        EXPECT_NE(first.at(210, 160), kBack);
        EXPECT_NE(first.at(210, 160), 0u);
        for (int loss = 0; loss < kLosses; ++loss) {
            SCOPED_TRACE(kLossNames[loss]);
            movie->frameUpdated = 0;
            loseDevice(r, Loss(loss));
            EXPECT_EQ(differing(first, draw(), "after re-creation"), 0);
            EXPECT_EQ(movie->frameUpdated, 0);
            EXPECT_EQ(movie->paused, 1);
        }
        EXPECT_EQ(DeleteAnyHandle(graph), 0);
        TerminateLibrary();
    }
}

// Images refilling part of a graph (TransferBitmapToGraph) come back in their place after
// a re-creation, with the rest of the graph's kept picture around them; images covering
// the graph from its top-left come back as the graph's picture. Graphs from base images
// with and without alpha (some texels of the transparent colour), an alpha image, images
// reaching over the graph's edge, graphs cut from another's texture, pieces of a divided
// load from an image file in memory (with textures of their own, and in one texture) and
// a graph made empty. Each renderer and each way of losing the device (the software
// renderer has no device: its graphs are overwritten and rebuilt from their kept sources).
namespace transfer {

using Texel = std::function<unsigned(int, int)>;  // 0xAARRGGBB

BaseImage makeImage(int w, int h, bool alpha, const Texel& texel) {
    BaseImage image{};
    EXPECT_EQ(alpha ? CreateARGB8ColorBaseImage(w, h, &image) : CreateXRGB8ColorBaseImage(w, h, &image), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned t = texel(x, y);
            SetBaseImagePixel(&image, x, y, channel(t, 16), channel(t, 8), channel(t, 0), alpha ? channel(t, 24) : 255);
        }
    return image;
}

// Bases: a ramp with a few texels of the transparent colour (magenta), opaque or with
// graded alpha.
unsigned baseTexel(int x, int y) {
    if ((x + 2 * y) % 11 == 0) return 0xFFFF00FFu;
    return unsigned(80 + (x * 7 + y * 5) % 170) << 24 | rgb(x * 5, 40 + y * 6, 200 - x * 3);
}
// Transferred images: a pattern of their own, some texels transparent-coloured too.
unsigned partTexel(int x, int y) {
    if (x == 1 && y == 1) return 0xFFFF00FFu;
    return unsigned(60 + (x * 31 + y * 17) % 190) << 24 | rgb(250 - x * 9, 20 + x * 13, 30 + y * 19);
}

struct Refill {
    const char* what;
    enum Kind { kBase, kPart, kPartBelow, kPiece, kSharedPiece, kEmpty } kind;
    int w, h;        // of the graph (kPart: of the graph it is cut from)
    bool baseAlpha;  // the base image has alpha
    int imageW, imageH, x, y;
    bool imageAlpha;  // the transferred image has alpha
    bool alphaImage;  // an alpha image goes with it
    bool whole;       // it covers the graph from its top-left
    int insideX, insideY, outsideX, outsideY;  // a texel of the graph it refills and one it leaves
};
constexpr int kPartX = 10, kPartY = 6, kPartW = 24, kPartH = 16;
const Refill kRefills[] = {
    {"opaque base, opaque part", Refill::kBase, 48, 32, false, 16, 12, 20, 10, false, false, false, 25, 14, 5, 5},
    {"base with alpha, alpha image", Refill::kBase, 48, 32, true, 16, 12, 6, 14, false, true, false, 9, 17, 30, 5},
    {"opaque base, part with alpha over the edge", Refill::kBase, 40, 24, false, 12, 8, -4, 18, true, false, false,
     2, 20, 20, 5},
    {"cut from another's texture", Refill::kPart, 48, 32, true, 10, 6, 7, 5, false, false, false, 9, 7, 2, 2},
    {"cut from another's texture, with a lower handle", Refill::kPartBelow, 48, 32, true, 10, 6, 7, 5, false, false,
     false, 9, 7, 2, 2},
    {"cut from another's texture, whole", Refill::kPart, 48, 32, true, kPartW, kPartH, 0, 0, true, false, true, 5,
     5, -1, -1},
    {"whole, by a larger image", Refill::kBase, 24, 16, false, 30, 20, 0, 0, false, false, true, 12, 8, -1, -1},
    {"divided piece with a texture of its own", Refill::kPiece, 8, 8, true, 4, 4, 2, 3, false, false, false, 4, 5, 0,
     0},
    {"divided piece in a shared texture", Refill::kSharedPiece, 8, 8, true, 4, 4, 3, 1, false, false, false, 5, 3,
     1, 6},
    {"empty graph", Refill::kEmpty, 20, 12, true, 8, 6, 5, 4, false, false, false, 7, 5, 1, 1},
};
constexpr int kRefillCount = int(sizeof kRefills / sizeof kRefills[0]);

struct Graphs {
    std::vector<int> refilled;
    std::vector<int> others;  // the pieces and the graphs cut from, not refilled
    std::vector<uint8_t> sheet;
};

Graphs makeGraphs() {
    Graphs g;
    g.sheet = sheetFile();
    int pieces[2][8];
    for (int textureFlag : {1, 0})
        EXPECT_EQ(LoadDivGraphFromSource(nullptr, g.sheet.data(), g.sheet.size(), 8, 4, 2, 8, 8,
                                         pieces[1 - textureFlag], textureFlag, 0),
                  0);
    for (const Refill& c : kRefills) {
        int graph = -1;
        if (c.kind == Refill::kBase || c.kind == Refill::kPart || c.kind == Refill::kPartBelow) {
            // A graph cut with a lower handle than the one it is cut from (handles come
            // round again in a long run) takes the handle of a graph deleted before.
            const int below = c.kind == Refill::kPartBelow ? MakeGraph(4, 4) : -1;
            BaseImage base = makeImage(c.w, c.h, c.baseAlpha, baseTexel);
            graph = CreateGraphFromBaseImage(&base, nullptr, 1, 0);
            ReleaseBaseImage(&base);
            if (c.kind == Refill::kPart) {
                g.others.push_back(graph);
                graph = CreatePartGraph(graph, kPartX, kPartY, kPartW, kPartH);
            } else if (c.kind == Refill::kPartBelow) {
                g.others.push_back(graph);
                SubHandle(below);
                const int part = AddHandle(HANDLETYPE_GRAPH, 0, below);
                EXPECT_EQ(part, below);
                EXPECT_EQ(DeriveGraph(part, 0, kPartX, float(kPartX), kPartY, float(kPartY), kPartW, float(kPartW),
                                      kPartH, float(kPartH), graph, 0),
                          0);
                graph = part;
            }
        } else if (c.kind == Refill::kEmpty) {
            graph = MakeGraph(c.w, c.h);
            EXPECT_EQ(FillGraph(graph, 0, 0, 0, 0), 0);
        } else {
            graph = pieces[c.kind == Refill::kPiece ? 0 : 1][c.kind == Refill::kPiece ? 5 : 6];
        }
        EXPECT_GE(graph, 0) << c.what;
        g.refilled.push_back(graph);
    }
    for (auto& load : pieces)
        for (int piece : load)
            if (std::find(g.refilled.begin(), g.refilled.end(), piece) == g.refilled.end()) g.others.push_back(piece);
    return g;
}

void refill(const Graphs& g) {
    for (int i = 0; i < kRefillCount; ++i) {
        const Refill& c = kRefills[i];
        BaseImage image = makeImage(c.imageW, c.imageH, c.imageAlpha, partTexel);
        BaseImage alpha{};
        if (c.alphaImage)
            alpha = makeImage(c.imageW, c.imageH, false, [](int x, int y) { return unsigned(x * 15 + y * 20); });
        EXPECT_EQ(TransferBitmapToGraph(nullptr, nullptr, nullptr, 0, &image, c.alphaImage ? &alpha : nullptr, c.x,
                                        c.y, g.refilled[i]),
                  0)
            << c.what;
        ReleaseBaseImage(&image);
        ReleaseBaseImage(&alpha);
    }
}

int spotX(int i) { return 20 + i % 6 * 90; }
int spotY(int i) { return 20 + i / 6 * 60; }

Frame draw(const Graphs& g) {
    SetDrawBlendMode(0, 255);
    DrawBox(0, 0, kW, kH, colour(30, 60, 90), 1);
    for (int i = 0; i < kRefillCount; ++i) DrawGraph(spotX(i), spotY(i), g.refilled[i], 1);
    return capture();
}

TEST_F(RecreationLife, APartlyRefilledGraphComesBackWhole) {
    for (Renderer r : {kSoftware, kD3D9, kD3D11})
        for (int loss = 0; loss < (r == kSoftware ? 1 : kLosses); ++loss) {
            SCOPED_TRACE(std::string(kNames[r]) + (r == kSoftware ? "" : std::string(", ") + kLossNames[loss]));
            ASSERT_TRUE(start(r));
            Graphs g = makeGraphs();
            const Frame before = draw(g);
            refill(g);
            const Frame refilled = draw(g);
            // The refills show where they went, and leave the rest of each graph as it was.
            for (int i = 0; i < kRefillCount; ++i) {
                const Refill& c = kRefills[i];
                const int x = spotX(i), y = spotY(i);
                EXPECT_NE(refilled.at(x + c.insideX, y + c.insideY), before.at(x + c.insideX, y + c.insideY)) << c.what;
                if (!c.whole) {
                    EXPECT_EQ(refilled.at(x + c.outsideX, y + c.outsideY), before.at(x + c.outsideX, y + c.outsideY))
                        << c.what;
                }
            }
            if (r == kSoftware) {
                for (int graph : g.refilled) FillGraph(graph, 10, 200, 10, 255);
                ASSERT_EQ(ReloadAllGraphs(), 0);
            } else {
                loseDevice(r, Loss(loss));
            }
            const Frame after = draw(g);
            for (int i = 0; i < kRefillCount; ++i) {
                int wrong = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 60; ++x)
                        wrong += after.at(spotX(i) + x, spotY(i) + y) != refilled.at(spotX(i) + x, spotY(i) + y);
                EXPECT_EQ(wrong, 0) << kRefills[i].what;
            }
            EXPECT_EQ(differing(refilled, after, "after re-creation"), 0);
            for (int graph : g.refilled) SubHandle(graph);
            for (int graph : g.others) SubHandle(graph);
            TerminateLibrary();
        }
}

}  // namespace transfer

}  // namespace recreationlife
