// Glyphs per second into a font's cache: 2,000 distinct IPA Gothic codes cached into a
// fresh memory cache (1-bit and grey) and into the texture cache's image, side by side
// with the stand-in's GetGlyphOutlineW of the same codes alone and FreeType's own
// render of them; and cache hits per second for an 80-character line.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "platform/win/gdi_internal.h"

using namespace ZaDod;
namespace win = plat::win;

namespace {

constexpr win::MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
constexpr int kSize = 16;

struct Fonts {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::vector<uint32_t> codes;
    FontHandleRecord* plain = nullptr;
    FontHandleRecord* grey = nullptr;
    FontHandleRecord* texture = nullptr;

    Fonts() {
        InitializeFontManage();
        const FontCreateParam param{{0, 0, 2024, 0}};
        plain = GetFontRecord(CreateFontHandleW(&param, u"IPAGothic", kSize, -1, 0, -1, -1, 0, -1, 0));
        grey = GetFontRecord(CreateFontHandleW(&param, u"IPAGothic", kSize, -1, 2, -1, -1, 0, -1, 0));
        texture = GetFontRecord(CreateFontHandleW(&param, u"IPAGothic", kSize, -1, 2, -1, -1, 0, -1, 0));
        if (!plain || !grey || !texture) return;
        makeTextureImage(texture);
        auto* object = dynamic_cast<win::GdiFont*>(reinterpret_cast<win::GdiObject*>(plain->gdi->font));
        FT_Init_FreeType(&library);
        if (FT_New_Face(library, plat::font::faceFile(*object->face).c_str(), 0, &face) != 0) {
            face = nullptr;
            return;
        }
        FT_Set_Pixel_Sizes(face, 0, kSize);
        for (uint32_t c = 0x21; c < 0x7F; ++c) codes.push_back(c);
        for (uint32_t c = 0x3041; c <= 0x3093; ++c) codes.push_back(c);
        for (uint32_t c = 0x4E00; c < 0x9FA0 && codes.size() < 2000; ++c)
            if (FT_Get_Char_Index(face, c)) codes.push_back(c);
    }

    // Without a device here, the texture cache's image is set up by hand: a 32-bit
    // page of 2,024 cells with 8-bit grey levels, written as the device path writes it.
    static void makeTextureImage(FontHandleRecord* font) {
        const int cell = font->cellWidth;
        font->useTexture = 1;
        font->textureBits = 32;
        const int rows = 2048 / cell;
        font->rowsPerColumn = static_cast<uint32_t>(rows);
        font->textureHeight = 2048;
        font->textureWidth = (static_cast<int>(font->slotCount) + rows - 1) / rows * cell;
        CreateARGB8ColorBaseImage(font->textureWidth, font->textureHeight, &font->cacheImage);
        ClearFontCache(font, 0);
    }
};

Fonts& fonts() {
    static Fonts f;
    return f;
}

void cacheAll(benchmark::State& state, FontHandleRecord* font) {
    Fonts& f = fonts();
    if (!f.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    for (auto _ : state) {
        ClearFontCache(font, 0);
        BeginTextCacheDC(font);
        for (uint32_t code : f.codes) {
            FontGlyphSlot* slot = &font->slots[font->cursor];
            RenderGlyphWithGdi(font, slot, code, 0);
            if (++font->cursor >= font->slotCount) font->cursor = 0;
        }
        EndTextCacheDC(font);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(f.codes.size()));
}

void outlineAlone(benchmark::State& state, unsigned format) {
    Fonts& f = fonts();
    if (!f.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    win::HGDIOBJ old = win::SelectObject(dc, f.plain->gdi->font);
    std::vector<uint8_t> buffer(1 << 16);
    win::GLYPHMETRICS gm{};
    for (auto _ : state)
        for (uint32_t code : f.codes) {
            const win::DWORD size = win::GetGlyphOutlineW(dc, code, format, &gm, 0, nullptr, &kIdentity);
            benchmark::DoNotOptimize(win::GetGlyphOutlineW(dc, code, format, &gm, size, buffer.data(), &kIdentity));
        }
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(f.codes.size()));
}

void freeTypeAlone(benchmark::State& state, FT_Render_Mode mode) {
    Fonts& f = fonts();
    if (!f.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    for (auto _ : state)
        for (uint32_t code : f.codes) {
            FT_Load_Char(f.face, code, FT_LOAD_DEFAULT);
            FT_Render_Glyph(f.face->glyph, mode);
            benchmark::DoNotOptimize(f.face->glyph->bitmap.buffer);
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(f.codes.size()));
}

void BM_CacheMemoryPlain(benchmark::State& state) { cacheAll(state, fonts().plain); }
void BM_GetGlyphOutlineBitmap(benchmark::State& state) { outlineAlone(state, win::GGO_BITMAP); }
void BM_FreeTypeRenderMono(benchmark::State& state) { freeTypeAlone(state, FT_RENDER_MODE_MONO); }
void BM_CacheMemoryGrey(benchmark::State& state) { cacheAll(state, fonts().grey); }
void BM_GetGlyphOutlineGray4(benchmark::State& state) { outlineAlone(state, win::GGO_GRAY4_BITMAP); }
void BM_CacheTextureImage(benchmark::State& state) { cacheAll(state, fonts().texture); }
void BM_GetGlyphOutlineGray8(benchmark::State& state) { outlineAlone(state, win::GGO_GRAY8_BITMAP); }
void BM_FreeTypeRenderNormal(benchmark::State& state) { freeTypeAlone(state, FT_RENDER_MODE_NORMAL); }

void BM_CachedLineHits(benchmark::State& state) {
    Fonts& f = fonts();
    if (!f.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    std::u16string line;
    for (int i = 0; i < 80; ++i) line += static_cast<char16_t>(f.codes[static_cast<size_t>(i * 7) % f.codes.size()]);
    ClearFontCache(f.grey, 0);
    CacheStringGlyphs(f.grey, line.c_str(), -1, nullptr, nullptr);
    uint32_t codes[128];
    int count = 0;
    for (auto _ : state) {
        CacheStringGlyphs(f.grey, line.c_str(), static_cast<int>(line.size()), codes, &count);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 80);
}

BENCHMARK(BM_CacheMemoryPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetGlyphOutlineBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTypeRenderMono)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheMemoryGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetGlyphOutlineGray4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheTextureImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetGlyphOutlineGray8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTypeRenderNormal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CachedLineHits);

}  // namespace

BENCHMARK_MAIN();
