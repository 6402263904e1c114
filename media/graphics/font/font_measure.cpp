// The layout core of string drawing: walks a string's characters, caches their glyphs,
// moves the pen through advances, line feeds and vertical columns, and either hands
// each glyph to the texture or memory writer or only measures; and the measuring entries.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

namespace {


const FontCharImage* findPicture(const FontHandleRecord* font, uint32_t code) {
    for (uint32_t k = 0; k < font->charImageCount; ++k)
        if (font->charImages[k].code == code) return &font->charImages[k];
    return nullptr;
}

// A pen value as an int, held to the int range (a spacing near the range's end carries
// the pen past it).
int penToInt(double v) {
    return v >= 2147483647.0 ? INT_MAX : v <= -2147483648.0 ? INT_MIN : static_cast<int>(v);
}

int textLength(const char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

}  // namespace

WideText::~WideText() {
    if (text != nullptr && text != stack) MemFree(text);
}

bool WideText::convert(const char* string, int codePage) {
    const size_t length = std::strlen(string);
    text = stack;
    size_t bytes = sizeof stack;
    if (length > 504) {
        bytes = length * 2 + 32;
        text = static_cast<char16_t*>(MemAlloc(bytes, kFontLogSource, __LINE__));
        if (text == nullptr) return false;
    }
    if (ConvertString(string, codePage, text, bytes, GetDefaultWideCodePage()) == 0) text[0] = 0;
    return true;
}

FontHandleRecord* FontOfTextEntry(int handle) {
    FontHandleRecord* font = GetFontRecord(ResolveFontHandle(handle));
    if (font == nullptr) LogAddTextUtf16(u"フォントハンドル値が異常です\n");
    return font;
}

void UnpackDrawColor(unsigned int color, int* red, int* green, int* blue) { UnpackScreenColor(color, red, green, blue); }

int DrawStringBase(int draw, int xi, int yi, float xf, float yf, int integerPosition, const char16_t* string,
                   unsigned int color, MEMIMG* destImage, const ImageRect* clipRect, int, FontHandleRecord* font,
                   unsigned int edgeColor, int length, int vertical, StringSize* sizeOut) {
    const bool texture = font->useTexture != 0;
    if (texture && !Graphics_Hardware_IsDeviceValid()) return -1;
    // Integer positions for software destinations; a memory-cache font draws only into one.
    if (destImage != nullptr || !texture) integerPosition = 1;
    if (!texture && destImage == nullptr) draw = 0;

    // A position a billion pixels off the screen draws nothing however long the string
    // is; held there, the glyph arithmetic below stays inside int.
    constexpr int kFarOff = 1 << 30;
    xi = std::clamp(xi, -kFarOff, kFarOff);
    yi = std::clamp(yi, -kFarOff, kFarOff);
    const int leading = font->leading;
    if (leading != 0) {
        if (integerPosition) {
            if (vertical)
                xi -= leading / 2;
            else
                yi -= leading / 2;
        } else if (vertical) {
            xf -= static_cast<float>(leading) / 2.0f;
        } else {
            yf -= static_cast<float>(leading) / 2.0f;
        }
    }
    if (length < 0) length = textLength(string);

    static uint32_t staticCodes[1024];
    uint32_t* codes = staticCodes;
    if (length > 1024) {
        codes = static_cast<uint32_t*>(MemAlloc(static_cast<size_t>(length) * sizeof(uint32_t), kFontLogSource, __LINE__));
        if (codes == nullptr) return -1;
    }
    int count = 0;
    if (CacheStringGlyphs(font, string, length, codes, &count) != 0) {
        if (codes != staticCodes) MemFree(codes);
        return -1;
    }

    const bool edged = (font->fontType & kFontTypeEdge) != 0;
    int savedR = 0, savedG = 0, savedB = 0;
    bool brightSet = false;
    MemGlyphWriter writer;
    bool memDraw = false;
    // Whole-pixel text on Direct3D 9 moves onto the pixel centres once, here.
    float centre = 0.0f;
    if (draw) {
        if (texture && integerPosition && GraphicsApiType == kGraphicsApiD3D9) centre = -0.5f;
        if (integerPosition) {
            xf = static_cast<float>(xi) + centre;
            yf = static_cast<float>(yi) + centre;
        }
        // Plain fonts take the text colour as bright once; edged fonts switch per glyph.
        // Either way the caller's bright colour comes back at the end.
        GetDrawBright(&savedR, &savedG, &savedB);
        brightSet = true;
        if (!edged) {
            int r, g, b;
            UnpackDrawColor(color, &r, &g, &b);
            SetDrawBright(r, g, b);
        }
        if (!texture) {
            const ImageRect whole{0, 0, destImage->width, destImage->height};
            ImageRect clip = clipRect ? *clipRect : whole;
            ClipRect(&clip, &whole);
            memDraw = PrepareMemGlyphWriter(&writer, font, destImage, clip, color, edgeColor);
        }
    }

    const int lineHeight = font->lineSpaceFlag ? font->lineSpace : font->cellHeight;
    const int cellHeight = font->cellHeight;
    const double space = font->space;
    double penX = 0, penY = 0, widest = 0, leastX = 0, leastY = 0, lowestLine = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t code = codes[i];
        if (code == 10) {
            penY += lineHeight;
            penX = 0;
            leastY = std::min(leastY, penY);
            lowestLine = std::max(lowestLine, penY);
            continue;
        }
        const FontCharImage* picture = findPicture(font, code);
        const FontGlyphSlot* slot = picture ? nullptr : CacheOneChar(font, code, nullptr);
        int advance = 0;
        if (picture) {
            advance = picture->advance;
        } else if (slot) {
            advance = slot->advance;
        }
        const bool blank = code == 32 || code == FontWideSpaceCode;
        const int drawX = picture ? picture->drawX : slot ? slot->drawX : 0;
        const int drawY = picture ? picture->drawY : slot ? slot->drawY : 0;
        const int width = picture ? picture->width : slot ? slot->width : 0;
        const int height = picture ? picture->height : slot ? slot->height : 0;
        if (draw && !blank && (picture || slot) && (width > 0 || height > 0)) {
            // Horizontal: pen + glyph offset. Vertical: the glyph turned clockwise, its
            // column left of the previous line's.
            const double lx = vertical ? static_cast<double>(cellHeight - drawY - height) - penY : penX + drawX;
            const double ty = vertical ? penX + drawX : penY + drawY;
            if (texture) {
                const float fl = xf + static_cast<float>(lx), ft = yf + static_cast<float>(ty);
                if (picture)  // the graph front moves pictures onto the pixel centres itself
                    DrawTextureCharImage(*picture, fl - centre, ft - centre, vertical, color);
                else
                    DrawTextureGlyph(font, *slot, fl, ft, vertical, color, edgeColor);
            } else if (memDraw) {
                // Offsets past half the far-off bound land off every image all the same.
                constexpr double kFar = kFarOff / 2;
                const int left = xi + static_cast<int>(std::clamp(lx, -kFar, kFar));
                const int top = yi + static_cast<int>(std::clamp(ty, -kFar, kFar));
                if (picture) {
                    DrawMemCharImage(*picture, writer, left, top, vertical, color);
                } else {
                    const uint8_t* cell =
                        font->memCache + static_cast<size_t>(slot->row) * font->cellWidth * font->memPitch;
                    writer.blit(writer, cell, font->memPitch, slot->width, slot->height, left, top, vertical);
                }
            }
        }
        penX += advance + space;
        if (penX > widest) widest = penX;
        if (penX < leastX) leastX = penX;
    }

    if (brightSet) SetDrawBright(savedR, savedG, savedB);
    if (codes != staticCodes) MemFree(codes);
    if (sizeOut != nullptr) {
        const int w = penToInt(widest), h = penToInt(cellHeight + penY);
        sizeOut->width = vertical ? h : w;
        sizeOut->height = vertical ? w : h;
        // Along the lines from the least to the widest pen; across them from the first
        // line to the last, a cell each (vertical lines run leftward from the first).
        const int along0 = penToInt(std::floor(leastX)), along1 = penToInt(std::ceil(widest));
        const int across0 = penToInt(std::floor(leastY));
        const int across1 = penToInt(std::ceil(lowestLine) + cellHeight);
        if (vertical) {
            sizeOut->left = penToInt(-std::ceil(lowestLine));
            sizeOut->right = penToInt(cellHeight - std::floor(leastY));
            sizeOut->top = along0;
            sizeOut->bottom = along1;
        } else {
            sizeOut->left = along0;
            sizeOut->right = along1;
            sizeOut->top = across0;
            sizeOut->bottom = across1;
        }
    }
    return penToInt(penX);
}

int GetDrawStringWidthToHandleW(const char16_t* string, int length, int handle, int vertical) {
    if (string == nullptr) return -1;
    FontHandleRecord* font = FontOfTextEntry(handle);
    if (font == nullptr) return -1;
    const int units = textLength(string);
    if (length < 0 || length > units) length = units;
    return DrawStringBase(0, 0, 0, 0.0f, 0.0f, 1, string, 0, nullptr, nullptr, 0, font, 0, length, vertical,
                          nullptr);
}

int GetDrawStringWidthToHandle(const char* string, int length, int handle, int vertical) {
    if (string == nullptr) return -1;
    FontHandleRecord* font = FontOfTextEntry(handle);
    if (font == nullptr) return -1;
    WideText wide;
    if (!wide.convert(string, GetFontCharCodeFormat(font->header.Handle))) return -1;
    return GetDrawStringWidthToHandleW(wide.text, length, font->header.Handle, vertical);
}

}  // namespace ZaDod
