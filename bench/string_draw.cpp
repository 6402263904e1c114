// Characters per second of string drawing on a 640 x 480 32-bit software screen: an
// 80-character line already in the cache, drawn with plain (type 0), grey-level (2) and
// edged grey-level (3) fonts and measured, side by side with the same line drawn from
// FreeType's own glyph cache (its cache subsystem: character map and small-bitmap
// caches) and blended into the screen by a plain loop.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

#include <cstdlib>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/screen.h"
#include "media/system/winapi.h"
#include "platform/win/gdi_internal.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

constexpr int kSize = 16;
const char16_t kLine[] = u"The quick brown fox jumps over the lazy dog; 0123456789 PACK MY BOX WITH JUGS!!!";
static_assert(sizeof kLine / sizeof kLine[0] == 81);

// The cache manager opens faces by id; the id is the face file's path.
FT_Error openFace(FTC_FaceID id, FT_Library library, FT_Pointer, FT_Face* face) {
    return FT_New_Face(library, static_cast<const std::string*>(id)->c_str(), 0, face);
}

struct Screen {
    int fonts[4] = {-1, -1, -1, -1};
    FT_Library library = nullptr;
    std::string faceFile;
    FTC_Manager manager = nullptr;
    FTC_CMapCache cmaps = nullptr;
    FTC_SBitCache bitmaps = nullptr;
    Screen() {
        setenv("HALVORINE_HEADLESS", "1", 1);
        setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
        LoadWinAPI();
        SetupPerformanceCounter();
        GraphicsSys.colorBits = 32;
        SetMainScreenSize(640, 480);
        if (InitializeGraphics() != 0) return;
        for (int type : {0, 2, 3}) fonts[type] = CreateFontHandleW(nullptr, u"IPAGothic", kSize, -1, type, -1, -1, 0, -1, 0);
        FontHandleRecord* plain = GetFontRecord(fonts[0]);
        if (plain == nullptr) return;
        auto* object = dynamic_cast<win::GdiFont*>(reinterpret_cast<win::GdiObject*>(plain->gdi->font));
        faceFile = plat::font::faceFile(*object->face);
        FT_Init_FreeType(&library);
        if (FTC_Manager_New(library, 0, 0, 0, &openFace, nullptr, &manager) != 0 ||
            FTC_CMapCache_New(manager, &cmaps) != 0 || FTC_SBitCache_New(manager, &bitmaps) != 0)
            bitmaps = nullptr;
    }
    ~Screen() {
        if (manager) FTC_Manager_Done(manager);
        if (library) FT_Done_FreeType(library);
        TerminateGraphics();
    }
};

Screen& screen() {
    static Screen s;
    return s;
}

void drawLine(benchmark::State& state, int type) {
    const int font = screen().fonts[type];
    if (font == -1) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    const unsigned white = PackScreenColor(255, 255, 255), black = PackScreenColor(0, 0, 0);
    DrawStringToHandleW(0, 100, kLine, white, font, black, 0);  // fills the cache
    for (auto _ : state) benchmark::DoNotOptimize(DrawStringToHandleW(0, 100, kLine, white, font, black, 0));
    state.SetItemsProcessed(state.iterations() * 80);
}

void BM_DrawString_Plain(benchmark::State& state) { drawLine(state, 0); }
void BM_DrawString_Levels(benchmark::State& state) { drawLine(state, 2); }
void BM_DrawString_EdgedLevels(benchmark::State& state) { drawLine(state, 3); }

void BM_MeasureString(benchmark::State& state) {
    const int font = screen().fonts[0];
    if (font == -1) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(GetDrawStringWidthToHandleW(kLine, -1, font));
    state.SetItemsProcessed(state.iterations() * 80);
}

// The anchor: every glyph looked up in FreeType's cache subsystem (character map and
// small-bitmap caches, filled before timing) and blended by a plain loop.
void BM_FreeTypeCachePlainLoop(benchmark::State& state) {
    Screen& s = screen();
    if (!s.bitmaps) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    MEMIMG& target = GraphicsSys.mainScreen;
    const int pitch = target.base->pitch;
    FTC_ImageTypeRec type{};
    type.face_id = &s.faceFile;
    type.width = 0;
    type.height = kSize;
    type.flags = FT_LOAD_DEFAULT | FT_LOAD_RENDER;
    auto drawLine = [&] {
        int pen = 0;
        for (int i = 0; i < 80; ++i) {
            const FT_UInt index = FTC_CMapCache_Lookup(s.cmaps, type.face_id, -1, kLine[i]);
            FTC_SBit g = nullptr;
            if (index == 0 || FTC_SBitCache_Lookup(s.bitmaps, &type, index, &g, nullptr) != 0) continue;
            const int left = pen + g->left, top = 100 + 14 - g->top;
            for (int y = 0; y < g->height; ++y) {
                const int py = top + y;
                if (py < 0 || py >= target.height) continue;
                auto* row = reinterpret_cast<uint32_t*>(target.pixels + static_cast<ptrdiff_t>(py) * pitch);
                const unsigned char* src = g->buffer + static_cast<ptrdiff_t>(y) * g->pitch;
                for (int x = 0; x < g->width; ++x) {
                    const int px = left + x;
                    const unsigned a = src[x];
                    if (a == 0 || px < 0 || px >= target.width) continue;
                    const uint32_t d = row[px];
                    auto mix = [&](int shift) { return ((255 * a + ((d >> shift) & 0xFF) * (255 - a)) / 255) << shift; };
                    row[px] = mix(16) | mix(8) | mix(0);
                }
            }
            pen += g->xadvance;
        }
    };
    drawLine();  // fills the caches
    for (auto _ : state) {
        drawLine();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 80);
}

}  // namespace

BENCHMARK(BM_DrawString_Plain);
BENCHMARK(BM_DrawString_Levels);
BENCHMARK(BM_DrawString_EdgedLevels);
BENCHMARK(BM_MeasureString);
BENCHMARK(BM_FreeTypeCachePlainLoop);

BENCHMARK_MAIN();
