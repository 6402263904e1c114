// Helpers of the font-module tests.
#include "font_env.h"

#include "media/graphics/hardware_types.h"
#include "media/graphics/screen.h"

using namespace ZaDod;

namespace fonttest {

void FontEnv::startSoftware() { ASSERT_EQ(InitializeGraphics(), 0); }

void FontEnv::startDevice() {
    halvorine_test::setBackendStart(0, 0);
    SetMainScreenSize(800, 600);
    ASSERT_EQ(InitializeGraphics(), 0);
    ASSERT_EQ(GraphicsSys.hardware, 1);
    GraphicsDeviceCapsData.maxTextureSize = GraphicsDeviceCapsData.maxTextureWidth =
        GraphicsDeviceCapsData.maxTextureHeight = 8192;
}

fontfix::Glyph standInGlyph(FontHandleRecord* font, unsigned code, unsigned format) {
    plat::win::HDC dc = plat::win::CreateCompatibleDC(nullptr);
    plat::win::HGDIOBJ old = plat::win::SelectObject(dc, font->gdi->font);
    fontfix::Glyph glyph = fontfix::outline(dc, code, format);
    plat::win::SelectObject(dc, old);
    plat::win::DeleteDC(dc);
    return glyph;
}

int glyphPitch(const fontfix::Glyph& glyph) {
    return glyph.metrics.gmBlackBoxY ? static_cast<int>(glyph.bits.size() / glyph.metrics.gmBlackBoxY) : 0;
}

bool monoBit(const fontfix::Glyph& glyph, int x, int y) {
    return (glyph.bits[static_cast<size_t>(y) * glyphPitch(glyph) + x / 8] >> (7 - x % 8)) & 1;
}

int memCell(FontHandleRecord* font, const FontGlyphSlot* slot, int x, int y) {
    const uint8_t* row = font->memCache + static_cast<size_t>(slot->row * font->cellWidth + y) * font->memPitch;
    return font->memBits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
}

FontGlyphSlot* cache(FontHandleRecord* font, uint32_t code) {
    FontGlyphSlot* slot = CacheOneChar(font, code, nullptr);
    EXPECT_NE(slot, nullptr) << code;
    return slot;
}

FontHandleRecord* sizedCache(int cell, uint32_t type, uint32_t edge, uint32_t wanted) {
    FontHandleRecord* font = GetFontRecord(AddHandle(HANDLETYPE_FONT, 0, -1));
    if (font == nullptr) return nullptr;
    font->cellWidth = font->cellHeight = static_cast<uint16_t>(cell);
    font->fontType = type;
    font->edgeSize = edge;
    const FontCreateParam param{{0, 0, wanted, 0}};
    if (CreateFontToHandle(&param, font, 0) != 0) {
        SubHandle(font->header.Handle);
        return nullptr;
    }
    return font;
}

std::set<std::pair<int, int>> layoutInk(FontHandleRecord* font, const std::u16string& text, int x, int y) {
    std::set<std::pair<int, int>> ink;
    plat::win::HDC dc = plat::win::CreateCompatibleDC(nullptr);
    plat::win::HGDIOBJ old = plat::win::SelectObject(dc, font->gdi->font);
    plat::win::TEXTMETRICW tm{};
    plat::win::GetTextMetricsW(dc, &tm);
    plat::win::SelectObject(dc, old);
    plat::win::DeleteDC(dc);
    int pen = 0;
    for (char16_t c : text) {
        const fontfix::Glyph g = standInGlyph(font, c, plat::win::GGO_BITMAP);
        const auto& m = g.metrics;
        if (c != u' ' && g.result != 0 && m.gmBlackBoxY != 0)
            for (unsigned gy = 0; gy < m.gmBlackBoxY; ++gy)
                for (unsigned gx = 0; gx < m.gmBlackBoxX; ++gx)
                    if (monoBit(g, static_cast<int>(gx), static_cast<int>(gy)))
                        ink.insert({x + pen + m.gmptGlyphOrigin.x + static_cast<int>(gx),
                                    y - font->leading / 2 + tm.tmAscent - m.gmptGlyphOrigin.y + static_cast<int>(gy)});
        pen += m.gmCellIncX;
    }
    return ink;
}

}  // namespace fonttest
