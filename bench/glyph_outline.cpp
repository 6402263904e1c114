// Glyphs per second through GetGlyphOutlineW (1-bit and 8-bit grey) on IPA Gothic,
// side by side with FreeType's own load and render of the same codes at the same size.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

#include "platform/win/gdi_internal.h"

namespace win = plat::win;

namespace {

constexpr win::MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// 2,000 distinct codes: printable ASCII, hiragana, katakana, then the first kanji the
// face covers.
std::vector<unsigned> benchCodes(FT_Face face)
{
    std::vector<unsigned> codes;
    for (unsigned c = 0x21; c < 0x7F; ++c) codes.push_back(c);
    for (unsigned c = 0x3041; c <= 0x3093; ++c) codes.push_back(c);
    for (unsigned c = 0x30A1; c <= 0x30F6; ++c) codes.push_back(c);
    for (unsigned c = 0x4E00; c < 0x9FA0 && codes.size() < 2000; ++c)
        if (FT_Get_Char_Index(face, c)) codes.push_back(c);
    return codes;
}

struct Setup {
    win::HFONT font = nullptr;
    win::HDC dc = nullptr;
    win::HGDIOBJ previous = nullptr;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::vector<unsigned> codes;

    explicit Setup(int height)
    {
        font = win::CreateFontW(height, 0, 0, 0, 400, 0, 0, 0, 128, 0, 0, 3, 1, u"IPAGothic");
        if (!font) return;
        dc = win::CreateCompatibleDC(nullptr);
        previous = win::SelectObject(dc, font);
        win::TEXTMETRICW tm{};
        win::GetTextMetricsW(dc, &tm);
        auto* object = dynamic_cast<win::GdiFont*>(reinterpret_cast<win::GdiObject*>(font));
        FT_Init_FreeType(&library);
        if (FT_New_Face(library, plat::font::faceFile(*object->face).c_str(), 0, &face) != 0) {
            face = nullptr;
            return;
        }
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(tm.tmHeight - tm.tmInternalLeading));
        codes = benchCodes(face);
    }
    ~Setup()
    {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
        if (dc) {
            win::SelectObject(dc, previous);
            win::DeleteDC(dc);
        }
        if (font) win::DeleteObject(font);
    }
};

void outlineBench(benchmark::State& state, unsigned format)
{
    Setup s(int(state.range(0)));
    if (!s.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    std::vector<uint8_t> buffer(1 << 20);
    win::GLYPHMETRICS gm{};
    for (auto _ : state) {
        for (unsigned code : s.codes) {
            // The font module's pattern: ask the size, then render.
            const win::DWORD size = win::GetGlyphOutlineW(s.dc, code, format, &gm, 0, nullptr, &kIdentity);
            benchmark::DoNotOptimize(
                win::GetGlyphOutlineW(s.dc, code, format, &gm, size, buffer.data(), &kIdentity));
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(s.codes.size()));
}

void freeTypeBench(benchmark::State& state, FT_Render_Mode mode)
{
    Setup s(int(state.range(0)));
    if (!s.face) {
        state.SkipWithError("IPA Gothic is not installed");
        return;
    }
    for (auto _ : state) {
        for (unsigned code : s.codes) {
            FT_Load_Char(s.face, code, FT_LOAD_DEFAULT);
            FT_Render_Glyph(s.face->glyph, mode);
            benchmark::DoNotOptimize(s.face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(s.codes.size()));
}

void BM_GetGlyphOutlineGray8(benchmark::State& state) { outlineBench(state, win::GGO_GRAY8_BITMAP); }
void BM_FreeTypeRenderNormal(benchmark::State& state) { freeTypeBench(state, FT_RENDER_MODE_NORMAL); }
void BM_GetGlyphOutlineBitmap(benchmark::State& state) { outlineBench(state, win::GGO_BITMAP); }
void BM_FreeTypeRenderMono(benchmark::State& state) { freeTypeBench(state, FT_RENDER_MODE_MONO); }

BENCHMARK(BM_GetGlyphOutlineGray8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTypeRenderNormal)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetGlyphOutlineBitmap)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTypeRenderMono)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
