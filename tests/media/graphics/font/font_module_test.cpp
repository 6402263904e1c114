// The font module inside the library: the default font from start-up to shut-down,
// handle numbers across a device restore, settings across a screen-mode change, the
// handle table's limit, pictures, lost flags and fonts made on a loading worker.
#include <ostream>
#include <string>

#include "media/file/async_load.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "tests/media/system/media_library_fixture.h"
#include "tests/platform/font/font_fixture.h"

using namespace ZaDod;

namespace {

struct FontModule : halvorine_test::LibraryTest {
    void SetUp() override {
        LibraryTest::SetUp();
        ChangeWindowMode(1);
        ASSERT_EQ(InitializeLibrary(), 0);
    }
};

std::string faceFile(int handle) { return fontfix::fontFile(GetFontRecord(handle)->gdi->font); }

}  // namespace

TEST_F(FontModule, DefaultFontFromStartUpToShutDown) {
    EXPECT_TRUE(halvorine_test::logHasInOrder({u"フォントの初期化を行います", u"フォントの初期化は正常に終了しました"}));
    const int font = GetDefaultFontHandle();
    ASSERT_NE(font, -1);
    EXPECT_NE(faceFile(font).find("ipag"), std::string::npos) << faceFile(font);
    EXPECT_EQ(GetFontSizeToHandle(-2), 16);
    int thickness = 0;
    GetFontParamToHandle(nullptr, nullptr, &thickness, -2, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(thickness, 6);

    // The default label font, made with the arguments the runtime passes.
    const int label = CreateFontHandle("MSゴシック", -1, -1, -1, -1, -1, 0, -1);
    ASSERT_NE(label, -1);
    EXPECT_NE(faceFile(label).find("ipag"), std::string::npos) << faceFile(label);
    EXPECT_EQ(GetFontCharCodeFormat(label), GetDefaultNarrowCodePage());

    TerminateLibrary();
    EXPECT_EQ(CheckFontHandleValid(font), 0);
    EXPECT_EQ(CheckFontHandleValid(label), 0);
    EXPECT_EQ(GetDefaultFontHandle(), -1);
}

TEST_F(FontModule, RestoreKeepsHandlesAndSettings) {
    std::vector<int> handles;
    for (int i = 0; i < 4; ++i) {
        const int h = CreateFontHandle("IPAGothic", 12 + i, -1, i % 2 ? 2 : 0, -1, -1, 0);
        ASSERT_NE(h, -1);
        SetFontSpaceToHandle(i + 1, h);
        if (i % 2) SetFontLineSpaceToHandle(20 + i, h);
        SetFontCharCodeFormatToHandle(i == 3 ? 1252 : -1, h);
        handles.push_back(h);
    }
    DeleteFontHandle(handles[1]);  // a gap in the table
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(RunGraphRestore(), 0);
        for (int i : {0, 2, 3}) {
            const int h = handles[i];
            ASSERT_EQ(CheckFontHandleValid(h), 1) << round << " " << i;
            EXPECT_EQ(GetFontSizeToHandle(h), 12 + i);
            EXPECT_EQ(GetFontSpaceToHandle(h), i + 1);
            EXPECT_EQ(GetFontRecord(h)->lineSpaceFlag, static_cast<uint32_t>(i % 2));
            EXPECT_EQ(GetFontCharCodeFormat(h), i == 3 ? 1252 : GetDefaultNarrowCodePage());
        }
        EXPECT_EQ(CheckFontHandleValid(handles[1]), 0);
        EXPECT_NE(GetDefaultFontHandle(), -1);
    }
}

TEST_F(FontModule, ScreenModeChangeKeepsTheDefaultFontSettings) {
    ASSERT_EQ(SetDefaultFontParam(u"DejaVu Sans", 20, 3, 2, -1, -1, 0), 0);
    ASSERT_EQ(SetFontSpace(5), 0);
    ASSERT_EQ(SetScreenMode(800, 600, 32, 0), 0);
    const int font = GetDefaultFontHandle();
    ASSERT_NE(font, -1);
    char16_t name[128];
    int size, thickness, type;
    GetFontParamToHandle(name, &size, &thickness, -2, &type, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::u16string(name), u"DejaVu Sans");
    EXPECT_EQ(size, 20);
    EXPECT_EQ(thickness, 3);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(GetFontSpaceToHandle(-2), 5);
    EXPECT_EQ(GetFontCharCodeFormat(-2), GetDefaultNarrowCodePage());
}

TEST_F(FontModule, TableLimitPicturesAndLostFlags) {
    // The default font takes one of the 40 places.
    std::vector<int> handles;
    for (int i = 0; i < 39; ++i) {
        const int h = CreateFontHandle(nullptr, 8, -1, 0, -1, -1, 0);
        ASSERT_NE(h, -1) << i;
        handles.push_back(h);
    }
    EXPECT_EQ(CreateFontHandle(nullptr, 8, -1, 0, -1, -1, 0), -1);
    int lost[3] = {-7, -7, -7};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(SetFontLostFlag(handles[i], &lost[i]), 0);
        EXPECT_EQ(lost[i], 0);
    }
    DeleteFontHandle(handles[1]);
    EXPECT_EQ(lost[1], 1);
    EXPECT_EQ(lost[0] + lost[2], 0);
    handles[1] = CreateFontHandle(nullptr, 8, -1, 0, -1, -1, 0);
    EXPECT_NE(handles[1], -1);

    const int graph = MakeGraph(4, 6);
    ASSERT_NE(graph, -1);
    const int font = handles[0];
    for (int i = 0; i < 256; ++i) {
        const char16_t text[2] = {static_cast<char16_t>(0x4E00 + i), 0};
        ASSERT_EQ(RegisterCharImageToHandleW(font, text, graph, 0, 0, 5), 0) << i;
    }
    EXPECT_EQ(RegisterCharImageToHandleW(font, u"A", graph, 0, 0, 5), -1);
    EXPECT_EQ(RegisterCharImageToHandleW(font, u"\u4E10", graph, 1, 2, 9), 0);
    FontHandleRecord* record = GetFontRecord(font);
    EXPECT_EQ(record->charImageCount, 256u);
    EXPECT_EQ(record->charImages[0x10].advance, 9);
    EXPECT_EQ(record->charImages[0x10].width, 4);
    EXPECT_EQ(record->charImages[0x10].height, 6);
    for (int h : handles) DeleteFontHandle(h);
    EXPECT_EQ(lost[0], 1);
}

TEST_F(FontModule, FontsMadeOnALoadingWorker) {
    SetUseASyncLoadFlag(1);
    std::vector<int> handles;
    for (int i = 0; i < 6; ++i) {
        const int h = CreateFontHandle(i % 2 ? "IPAGothic" : "DejaVu Sans", 10 + i, -1, i % 3 == 0 ? 2 : 0, -1, -1, 0);
        ASSERT_NE(h, -1);
        handles.push_back(h);
        if (i == 2) DeleteFontHandle(handles[1]);  // deleted while its job may still run
    }
    SetUseASyncLoadFlag(0);
    for (int i = 0; i < 6; ++i) {
        if (i == 1) {
            EXPECT_EQ(CheckFontHandleValid(handles[i]), 0);
            continue;
        }
        ASSERT_EQ(CheckFontHandleValid(handles[i]), 1) << i;
        EXPECT_EQ(GetFontSizeToHandle(handles[i]), 10 + i);
        EXPECT_NE(CacheOneChar(GetFontRecord(handles[i]), u'A', nullptr), nullptr);
    }
}

namespace {

// What a font's face and cache came to: equal for a font made at once and the same
// font made on first use.
struct Made {
    std::string file;
    int cellWidth, cellHeight, baseLine, charSet, codePage, useTexture, textureBits, textureWidth, textureHeight;
    int graphWidth = -1, graphHeight = -1, width;
    bool operator==(const Made&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Made& m) {
    return out << m.file << " cell " << m.cellWidth << "x" << m.cellHeight << " base " << m.baseLine << " set "
               << m.charSet << "/" << m.codePage << " texture " << m.useTexture << " " << m.textureBits << " "
               << m.textureWidth << "x" << m.textureHeight << " graph " << m.graphWidth << "x" << m.graphHeight
               << " width " << m.width;
}

Made made(int handle) {
    FontHandleRecord* f = GetFontRecord(handle);
    Made m{faceFile(handle), f->cellWidth, f->cellHeight, f->baseLine, f->charSet, f->codePage, f->useTexture,
           f->textureBits, f->textureWidth, f->textureHeight, -1, -1, 0};
    if (f->cacheGraph != -1) GetGraphSize(f->cacheGraph, &m.graphWidth, &m.graphHeight);
    m.width = GetDrawStringWidthToHandleW(u"Abc", 3, handle);
    return m;
}

}  // namespace

TEST_F(FontModule, FontsMadeOnFirstUseMatchFontsMadeAtOnce) {
    struct Case {
        const char* what;
        const char* name;
        void (*between)();
    };
    const Case cases[] = {
        {"the label font", "MSゴシック", [] {}},
        {"no name", nullptr, [] {}},
        {"graph settings changed before first use", "MSゴシック",
         [] { GraphCreateSettingsData.words.maxTextureSize = 64; }},
        {"transparent colour changed before first use", nullptr, [] { SetTransColor(1, 2, 3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GraphCreateSettings settings = GraphCreateSettingsData;
        const int atOnce = CreateFontHandle(c.name, -1, -1, -1, -1, -1, 0);
        const int later = CreateFontHandleOnFirstUse(c.name, -1, -1, -1, -1, -1, 0);
        ASSERT_NE(atOnce, -1);
        ASSERT_NE(later, -1);
        EXPECT_EQ(GetFontSettingsRecord(later)->setupPending, 1);
        SetFontSpaceToHandle(2, later);  // a setting, not a use
        SetFontSpaceToHandle(2, atOnce);
        EXPECT_EQ(GetFontSettingsRecord(later)->setupPending, 1);
        c.between();
        const Made first = made(later);
        GraphCreateSettingsData = settings;
        SetTransColor(255, 0, 255);
        EXPECT_EQ(first, made(atOnce));
        EXPECT_EQ(GetFontSpaceToHandle(later), 2);
        DeleteFontHandle(atOnce);
        DeleteFontHandle(later);
    }
}

TEST_F(FontModule, DefaultFontWaitsForItsFirstUseAcrossAModeChange) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(GetFontSettingsRecord(GetDefaultFontHandle())->setupPending, 1);
        ASSERT_EQ(SetScreenMode(round ? 640 : 800, round ? 480 : 600, 32, 0), 0);
        const int font = GetDefaultFontHandle();
        ASSERT_NE(font, -1);
        EXPECT_EQ(GetFontSettingsRecord(font)->setupPending, 1);
        EXPECT_EQ(GetFontSizeToHandle(-2), 16);
        const int atOnce = CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0);
        ASSERT_NE(atOnce, -1);
        const Made first = made(font);
        EXPECT_EQ(GetFontSettingsRecord(font)->setupPending, 0);
        EXPECT_EQ(first, made(atOnce));
        DeleteFontHandle(atOnce);
        if (round == 0) {
            ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);  // pending again
        }
    }
}
