// Glyph rasterising through GDI: making and measuring a font's face, the one
// glyph-rendering device context of the library, and rendering one glyph into its
// cache cell.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/system/window.h"

namespace ZaDod {

namespace pw = plat::win;

namespace {

const char16_t kDefaultGothic[] = u"ＭＳ ゴシック";
constexpr pw::MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// The glyph-rendering context, opened per caching batch.
struct TextCacheDC {
    pw::HDC dc = nullptr;
    pw::HGDIOBJ oldFont = nullptr;
    pw::HGDIOBJ oldBitmap = nullptr;
    pw::TEXTMETRICW metrics{};
};
TextCacheDC CacheDC;

pw::HFONT makeFont(int height, int weight, int italic, int charSet, const char16_t* face) {
    return pw::CreateFontW(height, 0, 0, 0, weight, static_cast<pw::DWORD>(italic), 0, 0,
                           static_cast<pw::DWORD>(charSet), 0, 0, 3, 1, reinterpret_cast<pw::LPCWSTR>(face));
}

}  // namespace

int DeleteFontGdiObject(FontHandleRecord* font) {
    FontGdiSource* gdi = font->gdi;
    if (gdi == nullptr) return 0;
    if (gdi->font) pw::DeleteObject(gdi->font);
    gdi->font = nullptr;
    if (gdi->dib) pw::DeleteObject(gdi->dib);
    gdi->dib = nullptr;
    gdi->dibBits = nullptr;
    return 0;
}

int TerminateFontGdiObject(FontHandleRecord* font) {
    FontGdiSource* gdi = font->gdi;
    if (gdi == nullptr) return 0;
    if (gdi->glyphBuffer) MemFree(gdi->glyphBuffer);
    gdi->glyphBuffer = nullptr;
    gdi->glyphBufferSize = 0;
    return DeleteFontGdiObject(font);
}

int CreateFontGdiObject(FontHandleRecord* font, int setWasDefaulted) {
    if (font->dataImage) return 0;
    // The device contexts the font is measured in belong to a window system that is
    // being left: from the main window's destruction until shut-down lets go of it.
    if (GetWindowDestroyedFlag() && GetMainWindowHandle() != nullptr) return -1;
    FontGdiSource* gdi = font->gdi;
    const int scale = FontTypeScale(font->fontType);
    int height = font->size * scale;
    int charSet = FontCharSetToGdi(font->charSet);

    // A defaulted set keeps its charset only for a face of exactly that name.
    if (setWasDefaulted && font->name[0]) {
        char16_t found[16 * 64];
        const int count = EnumFontNameEx(found, 16, font->name, font->charSet);
        bool exact = false;
        for (int i = 0; i < count && i < 16 && !exact; ++i)
            exact = std::u16string_view(found + i * 64) == std::u16string_view(font->name);
        if (!exact) {
            font->charSet = 0;
            charSet = FontCharSetToGdi(0);
        }
    }

    int firstHeight = 0;
    for (int pass = 0; pass < 2; ++pass) {
        pw::HFONT handle = nullptr;
        if (font->name[0]) {
            for (int cs : {charSet, 1, 128}) {
                handle = makeFont(height, font->thickness * 100, font->italic, cs, font->name);
                if (handle) break;
            }
            if (handle == nullptr) {
                LogAddTextUtf16(u"指定のフォントの作成に失敗しました\n");
                return -1;
            }
        } else {
            handle = makeFont(height, font->thickness * 100, font->italic, charSet, kDefaultGothic);
        }
        if (handle == nullptr) handle = makeFont(height, font->thickness * 100, 0, 1, kDefaultGothic);
        if (handle == nullptr) {
            handle = makeFont(height, font->thickness * 100, 0, 1, nullptr);
            font->name[0] = 0;
        }
        if (handle == nullptr) {
            LogAddTextUtf16(u"フォントの作成に失敗しました\n");
            return -1;
        }
        pw::HDC dc = pw::CreateCompatibleDC(nullptr);
        if (dc == nullptr) {
            pw::DeleteObject(handle);
            LogAddTextUtf16(u"デバイスコンテキストの取得に失敗しました\n");
            return -1;
        }
        pw::HGDIOBJ old = pw::SelectObject(dc, handle);
        pw::TEXTMETRICW tm{};
        pw::GetTextMetricsW(dc, &tm);
        const int leading = tm.tmInternalLeading + tm.tmExternalLeading;
        // Compensate once, and only while the leading leaves a positive height.
        if (pass == 0 && leading > 0 && leading < tm.tmHeight) {
            firstHeight = tm.tmHeight;
            height = static_cast<int>(static_cast<float>(height) /
                                      (1.0f - static_cast<float>(leading) / static_cast<float>(tm.tmHeight)));
            pw::SelectObject(dc, old);
            pw::DeleteDC(dc);
            pw::DeleteObject(handle);
            continue;
        }
        font->leading = static_cast<uint16_t>(pass == 1 ? (tm.tmHeight - firstHeight) / scale : 0);
        font->cellWidth = static_cast<uint16_t>(font->italic ? (tm.tmMaxCharWidth * 135 / scale + 540) / 100
                                                             : tm.tmMaxCharWidth / scale + 4);
        font->cellHeight = static_cast<uint16_t>(tm.tmHeight / scale + 1);
        font->baseLine = static_cast<uint16_t>(tm.tmAscent / scale + (scale > 1 && tm.tmAscent % scale >= scale / 2));

        pw::GLYPHMETRICS gm{};
        gdi->noOutline = pw::GetGlyphOutlineW(dc, ' ', pw::GGO_BITMAP, &gm, 0, nullptr, &kIdentity) == pw::GDI_ERROR;
        if (gdi->noOutline) {
            if (font->fontType == 2 || font->fontType == 18 || font->fontType == 34) font->fontType = 0;
            if (font->fontType == 3 || font->fontType == 19 || font->fontType == 35) font->fontType = 1;
            struct {
                pw::BITMAPINFOHEADER header;
                pw::RGBQUAD colors[256];
            } info{};
            info.header.biSize = sizeof info.header;
            info.header.biWidth = font->cellWidth;
            info.header.biHeight = -static_cast<int>(font->cellWidth);
            info.header.biPlanes = 1;
            info.header.biBitCount = 8;
            for (int i = 0; i < 256; ++i)
                info.colors[i] = pw::RGBQUAD{static_cast<pw::BYTE>(i), static_cast<pw::BYTE>(i),
                                             static_cast<pw::BYTE>(i), 0};
            void* bits = nullptr;
            gdi->dib = pw::CreateDIBSection(dc, reinterpret_cast<pw::BITMAPINFO*>(&info), pw::DIB_RGB_COLORS, &bits,
                                            nullptr, 0);
            if (gdi->dib == nullptr) {
                LogAddTextUtf16(u"メモリの確保に失敗しました in CFont");
                pw::SelectObject(dc, old);
                pw::DeleteDC(dc);
                pw::DeleteObject(handle);
                return -1;
            }
            gdi->dibBits = bits;
            gdi->dibPitch = (font->cellWidth + 3) / 4 * 4;
        }
        pw::SelectObject(dc, old);
        pw::DeleteDC(dc);
        gdi->font = handle;
        return 0;
    }
    return -1;
}

int BeginTextCacheDC(FontHandleRecord* font) {
    TextCacheDC& c = CacheDC;
    c.dc = pw::CreateCompatibleDC(nullptr);
    if (c.dc == nullptr) {
        LogAddTextUtf16(u"テキストキャッシュサーフェスのデバイスコンテキストの取得に失敗しました");
        return -1;
    }
    c.oldFont = pw::SelectObject(c.dc, font->gdi->font);
    if (c.oldFont == nullptr) {
        pw::DeleteDC(c.dc);
        c.dc = nullptr;
        LogAddTextUtf16(u"テキストキャッシュサーフェスのデバイスコンテキストの取得に失敗しました");
        return -1;
    }
    pw::GetTextMetricsW(c.dc, &c.metrics);
    c.oldBitmap = nullptr;
    if (font->gdi->noOutline) {
        c.oldBitmap = pw::SelectObject(c.dc, font->gdi->dib);
        pw::SetTextColor(c.dc, 0xFFFFFF);
        pw::SetBkColor(c.dc, 0);
        pw::SetBkMode(c.dc, pw::OPAQUE);
    }
    return 0;
}

int EndTextCacheDC(FontHandleRecord*) {
    TextCacheDC& c = CacheDC;
    if (c.dc == nullptr) return 0;
    if (c.oldBitmap) pw::SelectObject(c.dc, c.oldBitmap);
    pw::SelectObject(c.dc, c.oldFont);
    pw::DeleteDC(c.dc);
    c = TextCacheDC{};
    return 0;
}

int RenderGlyphWithGdi(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int updateFlag) {
    TextCacheDC& c = CacheDC;
    FontGdiSource* gdi = font->gdi;
    const uint32_t type = font->fontType;

    if (gdi->noOutline) {
        char16_t text[2];
        int count = 1;
        if (code > 0xFFFF) {
            text[0] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text[1] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            count = 2;
        } else {
            text[0] = static_cast<char16_t>(code);
        }
        auto* wide = reinterpret_cast<const pw::WCHAR*>(text);
        pw::SIZE extent{};
        if (!pw::GetTextExtentPoint32W(c.dc, wide, count, &extent)) return -1;
        if (code == 32 || code == FontWideSpaceCode)
            return WriteGlyphToFontCache(font, slot, code, 1, 0, nullptr, 0, 0, 0, 0, 0, extent.cx, updateFlag);
        std::memset(gdi->dibBits, 0, static_cast<size_t>(gdi->dibPitch) * font->cellWidth);
        pw::TextOutW(c.dc, 0, 0, wide, count);
        const int w = std::min<int>(extent.cx, font->cellWidth), h = std::min<int>(extent.cy, font->cellWidth);
        return WriteGlyphToFontCache(font, slot, code, 0, 5, gdi->dibBits, w, h, gdi->dibPitch, 0, 0, extent.cx,
                                     updateFlag);
    }

    unsigned format = pw::GGO_BITMAP;
    int mode = 0;
    if (type == 18 || type == 19) {
        mode = 1;
    } else if (type == 34 || type == 35) {
        mode = 2;
    } else if (type == 2 || type == 3) {
        const bool four = !font->useTexture || font->textureBits == 16;
        format = four ? pw::GGO_GRAY4_BITMAP : pw::GGO_GRAY8_BITMAP;
        mode = four ? 6 : 7;
    }
    unsigned glyph = code;
    if (code > 0xFFFF) {
        const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                                  static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
        pw::WCHAR glyphs[2] = {0, 0};
        pw::GCP_RESULTSW results{};
        results.lStructSize = sizeof results;
        results.lpGlyphs = glyphs;
        results.nGlyphs = 2;
        if (pw::GetCharacterPlacementW(c.dc, reinterpret_cast<const pw::WCHAR*>(pair), 2, 0, &results,
                                       pw::GCP_GLYPHSHAPE) == 0) {
            LogAddTextUtf16(u"Win32API GetCharacterPlacement が失敗しました\n");
            return -1;
        }
        glyph = glyphs[0];
        format |= pw::GGO_GLYPH_INDEX;
    }

    pw::GLYPHMETRICS gm{};
    const pw::DWORD size = pw::GetGlyphOutlineW(c.dc, glyph, format, &gm, 0, nullptr, &kIdentity);
    if (size == pw::GDI_ERROR) {
        LogAddTextUtf16(u"Win32API GetGlyphOutline が失敗しました\n");
        return -1;
    }
    // A glyph without ink, or one whose box has no height, keeps its advance.
    if (code == 32 || code == FontWideSpaceCode || size == 0 || gm.gmBlackBoxY == 0)
        return WriteGlyphToFontCache(font, slot, code, 1, mode, nullptr, 0, 0, 0, 0, 0, gm.gmCellIncX, updateFlag);

    const int pitch = static_cast<int>(size / gm.gmBlackBoxY) / 4 * 4;
    const size_t need = static_cast<size_t>(gm.gmBlackBoxY + 2) * pitch + size;
    if (gdi->glyphBufferSize < need) {
        auto* grown = static_cast<uint8_t*>(MemAlloc(need, kFontLogSource, __LINE__));
        if (grown == nullptr) {
            LogAddTextUtf16(u"アンチエイリアス文字取得用バッファの確保に失敗しました");
            return -1;
        }
        if (gdi->glyphBuffer) MemFree(gdi->glyphBuffer);
        gdi->glyphBuffer = grown;
        gdi->glyphBufferSize = need;
    }
    std::memset(gdi->glyphBuffer, 0, need);
    uint8_t* bits = gdi->glyphBuffer + static_cast<size_t>(gm.gmBlackBoxY + 1) * pitch;
    if (pw::GetGlyphOutlineW(c.dc, glyph, format, &gm, size, bits, &kIdentity) == pw::GDI_ERROR) {
        LogAddTextUtf16(u"Win32API GetGlyphOutline が失敗しました\n");
        return -1;
    }
    return WriteGlyphToFontCache(font, slot, code, 0, mode, bits, static_cast<int>(gm.gmBlackBoxX),
                                 static_cast<int>(gm.gmBlackBoxY), pitch, gm.gmptGlyphOrigin.x,
                                 c.metrics.tmAscent - gm.gmptGlyphOrigin.y, gm.gmCellIncX, updateFlag);
}

}  // namespace ZaDod
