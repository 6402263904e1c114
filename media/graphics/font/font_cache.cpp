// The glyph cache: sizing a font's cache, the slots of its square cells reused first
// in, first out, the code-to-slot index, and caching the characters of a text.
#include <algorithm>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

namespace {

// Texture cache: the smallest power-of-two page that meets the wanted slot count (or,
// automatic, 85 % of the screen and at least 10 slots). The cache graph is one texture
// (glyph quads are drawn from a single one): the page, twice as wide for an edged font,
// stays within the device's largest side and the graph settings' limit.
void sizeTexture(FontHandleRecord* font, const FontCreateParam* param) {
    const int cell = font->cellWidth;
    int maxSide = GetGraphTileCaps().maxTextureSize;
    const int limit = FontCacheGraphParam(font).maxTextureSize;
    if (limit > 0 && limit < maxSide) maxSide = limit;
    if (font->fontType & kFontTypeEdge) maxSide /= 2;
    const int64_t screenArea = static_cast<int64_t>(GraphicsSys.width) * GraphicsSys.height * 85 / 100;
    int width = 8, height = 8;
    int slots = (8 / cell) * (8 / cell);
    for (;;) {
        if (static_cast<int>(param->word[2]) < 1) {
            if (static_cast<int64_t>(width) * height >= screenArea && slots >= 10) break;
        } else if (slots >= static_cast<int>(param->word[2])) {
            break;
        }
        const bool wider = width * 2 <= maxSide, taller = height * 2 <= maxSide;
        if (!wider && !taller) break;
        if (wider && (width <= height || !taller))
            width *= 2;
        else
            height *= 2;
        slots = (width / cell) * (height / cell);
        if (slots >= kFontSlotCount) {
            slots = kFontSlotCount;
            break;
        }
    }
    font->textureWidth = width;
    font->textureHeight = height;
    font->slotCount = static_cast<uint32_t>(width <= maxSide && height <= maxSide ? slots : 0);
    font->rowsPerColumn = static_cast<uint32_t>(height / cell);
}

int createTextureCache(FontHandleRecord* font, const FontCreateParam* param, int inTask) {
    const bool aa = (font->fontType & kFontTypeAntialiased) != 0;
    const bool edged = (font->fontType & kFontTypeEdge) != 0;
    sizeTexture(font, param);
    // A cell larger than the largest page: the memory cache holds the font instead.
    if (font->slotCount == 0) {
        LogAddTextUtf16(u"テクスチャ文字キャッシュの作成に失敗しました\n");
        font->useTexture = 0;
        return 1;
    }
    const PixelFormatDesc* desc = GetPixelFormatDescByFlags(aa, !aa, font->textureBits == 32, 0);
    if (desc == nullptr) return -1;
    BaseImage& image = font->cacheImage;
    image.format = *desc;
    image.width = (edged ? 2 : 1) * font->textureWidth;
    image.height = font->textureHeight;
    image.pitch = image.width * desc->bytesPerPixel;
    image.mipCount = image.imageCount = 0;
    image.pixels = MemAlloc(static_cast<size_t>(image.pitch) * image.height, kFontLogSource, __LINE__);
    if (image.pixels == nullptr) {
        LogAddTextUtf16(u"文字キャッシュ基本イメージ用のメモリの確保に失敗しました\n");
        return -1;
    }
    if (font->grey)
        FillBaseImage(&image, 0, 0, 0, 0);
    else
        FillBaseImage(&image, 255, 255, 255, 0);
    font->textureLost = 1;
    if (SetupFontCacheTexture(font, inTask) != 0) {
        LogAddTextUtf16(u"テクスチャ文字キャッシュの作成に失敗しました\n");
        MemFree(image.pixels);
        image.pixels = nullptr;
        font->useTexture = 0;
        return 1;
    }
    return 0;
}

}  // namespace

int CreateFontToHandle(const FontCreateParam* param, FontHandleRecord* font, int inTask) {
    const bool edged = (font->fontType & kFontTypeEdge) != 0;
    // A script may ask for any edge size: widen before adding, and refuse a cell whose
    // side does not fit the 16-bit cell width (its area would overflow int, too).
    int64_t cellW = font->cellWidth, cellH = font->cellHeight;
    if (edged) {
        cellW += 2 * static_cast<int64_t>(font->edgeSize);
        cellH += 2 * static_cast<int64_t>(font->edgeSize);
    }
    // The edge rows above and below the body belong to the line: line height, measured
    // height and the software path's work image all count them.
    const int64_t lineH = cellH;
    font->useTexture = (GraphicsApiType == kGraphicsApiD3D9 || GraphicsApiType == kGraphicsApiD3D11) &&
                       GraphicsSys.hardware && param->word[0] == 0;
    // A face's bitmaps may reach one row past the line (a full block spans the ascent and
    // descent rounded outward), which the memory cache's rounded cell holds. The texture
    // cache starts each glyph one pixel into its cell, so for a face its cell holds that
    // row and the start: no row of a glyph is cut on either cache. Data images keep
    // their glyphs inside their own cell.
    const bool face = font->dataImage == 0 && font->gdi != nullptr && font->gdi->font != nullptr;
    if (font->useTexture && face) cellH = std::max(cellH, lineH + 2);
    cellW = (cellW + 7) / 8 * 8;
    cellH = (cellH + 1) / 2 * 2;
    if (cellW < cellH) cellW = cellH;
    if (cellW > 0xFFFF) return -1;
    font->cellWidth = static_cast<uint16_t>(cellW);
    font->cellHeight = static_cast<uint16_t>(lineH);
    const int cell = static_cast<int>(cellW);

    font->textureBits = ((font->fontType & kFontTypeAntialiased) && !param->word[1]) ? 32 : 16;
    font->grey = param->word[3] != 0;
    font->pending = 0;

    bool haveCache = false;
    if (font->useTexture) {
        const int result = createTextureCache(font, param, inTask);
        if (result < 0) return -1;
        haveCache = result == 0;
    }
    if (!haveCache) {
        font->useTexture = 0;
        int slots = static_cast<int>(param->word[2]);
        if (slots == 0) slots = static_cast<int>(std::max<int64_t>(20, 0x50000 / (static_cast<int64_t>(cell) * cell)));
        slots = std::min(slots, kFontSlotCount);
        const uint32_t type = font->fontType;
        font->memBits = type == 0 ? 1 : (type == 1 || type == 2 || type == 3 || type == 18 || type == 19 ||
                                         type == 34 || type == 35) ? 8 : 0;
        font->slotCount = static_cast<uint32_t>(slots);
        font->rowsPerColumn = static_cast<uint32_t>(slots);
        font->cacheWidth = static_cast<uint32_t>(cell);
        font->cacheHeight = static_cast<uint32_t>(slots * cell);
        font->memPitch = (cell * font->memBits + 7) / 8;
        const size_t bytes = static_cast<size_t>(font->memPitch) * font->cacheHeight;
        font->memCache = static_cast<uint8_t*>(MemCalloc(bytes ? bytes : 1, kFontLogSource, __LINE__));
        if (font->memCache == nullptr) {
            LogAddTextUtf16(u"フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
            return -1;
        }
    } else {
        font->cacheWidth = static_cast<uint32_t>(font->cacheImage.width);
        font->cacheHeight = static_cast<uint32_t>(font->cacheImage.height);
    }
    // The work buffer holds a glyph's levels and, for edged fonts, its edge.
    font->workSize = static_cast<size_t>(cell + 4) * (cell + 4) * 2;
    font->work = static_cast<uint8_t*>(MemAlloc(font->workSize, kFontLogSource, __LINE__));
    if (font->work == nullptr) {
        LogAddTextUtf16(u"フォントの作業用バッファの作成に失敗しました\n");
        return -1;
    }
    ClearFontCache(font, inTask);
    return 0;
}

int ClearFontCache(FontHandleRecord* font, int) {
    std::memset(font->index, 0, sizeof font->index);
    std::memset(font->slots, 0, sizeof font->slots);
    std::memset(font->large, 0, sizeof font->large);
    font->largeCount = 0;
    const uint32_t rows = font->rowsPerColumn ? font->rowsPerColumn : 1;
    for (uint32_t i = 0; i < font->slotCount; ++i) {
        font->slots[i].index = static_cast<int32_t>(i);
        font->slots[i].column = i / rows;
        font->slots[i].row = i % rows;
    }
    font->slots[font->slotCount].index = -1;
    font->cursor = 0;
    return 0;
}

FontGlyphSlot* FindCachedGlyph(FontHandleRecord* font, uint32_t code) {
    if (code < 0x10000) return font->index[code].cached == 1 ? font->index[code].slot : nullptr;
    for (uint32_t i = 0; i < font->largeCount; ++i)
        if (font->large[i]->code == code) return font->large[i];
    return nullptr;
}

FontGlyphSlot* CacheStringChars(int count, const uint32_t* codes, FontHandleRecord* font, int updateFlag) {
    if (font->slotCount == 0 || count <= 0) return nullptr;
    if (font->useTexture && !Graphics_Hardware_IsDeviceValid()) return nullptr;
    if (!font->dataImage && BeginTextCacheDC(font) != 0) return nullptr;
    FontGlyphSlot* last = nullptr;
    for (int i = 0; i < count; ++i) {
        FontGlyphSlot* slot = &font->slots[font->cursor];
        const int written = font->dataImage ? RenderGlyphFromDataImage(font, slot, codes[i], updateFlag)
                                           : RenderGlyphWithGdi(font, slot, codes[i], updateFlag);
        if (written != 0) continue;
        last = slot;
        if (++font->cursor >= font->slotCount) font->cursor = 0;
    }
    FlushFontCacheTexture(font);
    if (!font->dataImage) EndTextCacheDC(font);
    return last;
}

FontGlyphSlot* CacheOneChar(FontHandleRecord* font, uint32_t code, int* reportFlag) {
    if (FontGlyphSlot* hit = FindCachedGlyph(font, code)) return hit;
    FontGlyphSlot* slot = CacheStringChars(1, &code, font, 1);
    if (slot == nullptr && reportFlag != nullptr) LogAddTextUtf16(u"テキストキャッシュの追加に失敗しました\n");
    return slot;
}

uint32_t GetCharCodeAndSize(const void* text, int codePage, int* size) {
    const auto* p = static_cast<const uint8_t*>(text);
    auto unit = [&](int i) -> uint32_t {
        return codePage == CodePageUtf16LE ? p[2 * i] | (p[2 * i + 1] << 8) : (p[2 * i] << 8) | p[2 * i + 1];
    };
    const uint32_t first = unit(0);
    if (first == 0) {
        *size = 2;
        return 0;
    }
    if (first >= 0xD800 && first <= 0xDBFF) {
        const uint32_t second = unit(1);
        *size = 4;
        return 0x10000 + (((first & 0x3FF) << 10) | (second & 0x3FF));
    }
    *size = 2;
    return first;
}

int CacheStringGlyphs(FontHandleRecord* font, const char16_t* text, int length, uint32_t* codesOut, int* countOut) {
    static uint32_t staticCodes[1024];
    static uint32_t staticGathered[1024];
    if (length < 0) {
        length = 0;
        while (text[length]) ++length;
    }
    uint32_t* codes = codesOut ? codesOut : staticCodes;
    uint32_t* gathered = staticGathered;
    void* block = nullptr;
    if (length > 1024) {
        block = MemAlloc(static_cast<size_t>(length) * 8, kFontLogSource, __LINE__);
        if (block == nullptr) return -1;
        if (!codesOut) codes = static_cast<uint32_t*>(block);
        gathered = static_cast<uint32_t*>(block) + length;
    }
    const int widePage = GetDefaultWideCodePage();
    int count = 0, gatherCount = 0;
    const int limit = static_cast<int>(font->slotCount);
    for (int i = 0; i < length;) {
        int bytes = 2;
        // A high surrogate in the last unit stands alone: nothing is read past the text.
        const uint32_t code = i + 1 < length ? GetCharCodeAndSize(text + i, widePage, &bytes) : text[i];
        i += bytes / 2;
        codes[count++] = code;
        if (gatherCount >= limit) continue;
        bool picture = false;
        for (uint32_t k = 0; k < font->charImageCount && !picture; ++k) picture = font->charImages[k].code == code;
        if (picture) continue;
        if (code < 0x10000) {
            if (font->index[code].cached) continue;  // cached (1) or already gathered (2)
            font->index[code].cached = 2;
        } else {
            if (FindCachedGlyph(font, code)) continue;
            if (std::find(gathered, gathered + gatherCount, code) != gathered + gatherCount) continue;
        }
        gathered[gatherCount++] = code;
    }
    for (int k = 0; k < gatherCount; ++k)
        if (gathered[k] < 0x10000 && font->index[gathered[k]].cached == 2) font->index[gathered[k]].cached = 0;
    if (gatherCount > 0) CacheStringChars(gatherCount, gathered, font, 1);
    if (countOut) *countOut = count;
    if (block) MemFree(block);
    return 0;
}

}  // namespace ZaDod
