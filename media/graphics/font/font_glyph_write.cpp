// The glyph converter: turns one source bitmap (1-bit, scaled 1-bit, 8-bit DIB or grey
// levels) into the pixels of a cache cell, with the edge stamped around the body, and
// fills the glyph's slot. Every glyph and its edge stay inside their own cell.
#include <algorithm>
#include <cstring>

#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/pixel_widen.h"

namespace ZaDod {

FontLevelTables FontLevels;

void BuildFontLevelTables() {
    FontLevelTables& t = FontLevels;
    for (int v = 0; v < 256; ++v) {
        t.bitCount[v] = static_cast<uint8_t>(__builtin_popcount(static_cast<unsigned>(v)));
        t.to16[v] = static_cast<uint8_t>(16 * v / 255);
        t.to64[v] = static_cast<uint8_t>(64 * v / 255);
    }
    for (int j = 0; j < 16; ++j) {
        t.level4[j] = static_cast<uint8_t>(j == 0 ? 0 : j + 1);
        t.level4To64[j] = static_cast<uint8_t>(64 * j / 15);
    }
}

namespace {

// Rows of the stamps for edge sizes 1 to 4; larger sizes stamp the whole square.
const char* const kStamp1[] = {"010", "111", "010"};
const char* const kStamp2[] = {"01110", "11111", "11111", "11111", "01110"};
const char* const kStamp3[] = {"0001000", "0111110", "0111110", "1111111", "0111110", "0111110", "0001000"};
const char* const kStamp4[] = {"001111100", "011111110", "111111111", "111111111", "111111111",
                               "111111111", "111111111", "011111110", "001111100"};

// The stamp of an edge size as (2e+1)^2 flags.
void buildStamp(int e, uint8_t* out) {
    const int side = 2 * e + 1;
    const char* const* rows = e == 1 ? kStamp1 : e == 2 ? kStamp2 : e == 3 ? kStamp3 : e == 4 ? kStamp4 : nullptr;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) out[y * side + x] = rows ? rows[y][x] == '1' : 1;
}

int modeScale(int mode) { return mode == 1 ? 4 : mode == 2 ? 8 : mode == 3 ? 16 : 1; }

// Packs an 8-bit (r, g, b, a) into a pixel of the cache image's format.
inline uint32_t packPixel(const PixelFormatDesc& f, int r, int g, int b, int a) {
    auto field = [](int v, int width, int loc) -> uint32_t {
        return width == 0 ? 0u : (static_cast<uint32_t>(v) >> (8 - width)) << loc;
    };
    return field(r, f.redWidth, f.redLoc) | field(g, f.greenWidth, f.greenLoc) | field(b, f.blueWidth, f.blueLoc) |
           field(a, f.alphaWidth, f.alphaLoc);
}

inline void putPixel(BaseImage& image, int x, int y, uint32_t value) {
    uint8_t* row = static_cast<uint8_t*>(image.pixels) + static_cast<size_t>(y) * image.pitch;
    if (image.format.bytesPerPixel == 4)
        reinterpret_cast<uint32_t*>(row)[x] = value;
    else
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(value);
}

// An 8-bit alpha for a level on its own scale (max 1, 16 or 64).
inline int levelAlpha(int level, int max) {
    if (level <= 0) return 0;
    if (max == 1) return 255;
    if (max == 64) return level >= 64 ? 255 : 4 * level - 1;
    return level >= 16 ? 255 : static_cast<int>(pixel::widen4(static_cast<uint32_t>(level - 1)));  // 4-bit field: level - 1
}

}  // namespace

void ReleaseFontGlyphSlot(FontHandleRecord* font, FontGlyphSlot* slot) {
    if (!slot->inUse) return;
    if (slot->indexEntry != nullptr) {
        slot->indexEntry->cached = 0;
        slot->indexEntry->slot = nullptr;
        slot->indexEntry = nullptr;
    } else {
        for (uint32_t i = 0; i < font->largeCount; ++i) {
            if (font->large[i] != slot) continue;
            std::memmove(&font->large[i], &font->large[i + 1], (font->largeCount - i - 1) * sizeof font->large[0]);
            --font->largeCount;
            break;
        }
    }
    slot->inUse = 0;
}

void IndexFontGlyphSlot(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code) {
    slot->code = code;
    slot->inUse = 1;
    slot->picture = 0;
    if (code < 0x10000) {
        font->index[code].cached = 1;
        font->index[code].slot = slot;
        slot->indexEntry = &font->index[code];
        return;
    }
    slot->indexEntry = nullptr;
    if (font->largeCount >= kFontLargeCodeMax) {
        FontGlyphSlot* oldest = font->large[0];
        std::memmove(&font->large[0], &font->large[1], (font->largeCount - 1) * sizeof font->large[0]);
        --font->largeCount;
        oldest->inUse = 0;
    }
    font->large[font->largeCount++] = slot;
}

int WriteGlyphToFontCache(FontHandleRecord* font, FontGlyphSlot* slot, uint32_t code, int isSpace, int mode,
                          const void* bits, int width, int height, int pitch, int originX, int originY,
                          int advance, int updateFlag) {
    ReleaseFontGlyphSlot(font, slot);
    const uint32_t type = font->fontType;
    const int edge = (type & kFontTypeEdge) ? static_cast<int>(font->edgeSize) : 0;
    const int scale = modeScale(mode);
    const int cell = font->cellWidth;
    const bool texture = font->useTexture != 0;

    if (isSpace || width <= 0 || height <= 0 || bits == nullptr) {
        slot->drawX = slot->drawY = 0;
        slot->width = slot->height = 0;
        slot->advance = static_cast<int16_t>((advance + scale / 4) / scale + 2 * edge);
        IndexFontGlyphSlot(font, slot, code);
        return 0;
    }

    const int dx = (originX + scale / 4) / scale;
    const int adv = (advance + scale / 4) / scale;
    const int dy = originY / scale;
    const int rem = originY % scale < 0 ? originY % scale + scale : originY % scale;
    int w = (width - 1 + scale) / scale;
    int h = (height + rem - 1 + scale) / scale;
    // The glyph and its edge stay inside the cell.
    const int start = texture ? 1 : 0;
    const int room = cell - start - 2 * edge;
    if (room <= 0) return -1;
    w = std::min(w, room);
    h = std::min(h, room);

    // Levels of the body, w x h, on the scale levelMax.
    const size_t need = static_cast<size_t>(w) * h;
    if (font->workSize < need) return -1;
    uint8_t* lv = font->work;
    std::memset(lv, 0, need);
    int levelMax = 1;
    const auto* src = static_cast<const uint8_t*>(bits);
    const FontLevelTables& t = FontLevels;
    if (mode == 0 || mode == 5) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = src + static_cast<size_t>(y) * pitch;
            uint8_t* out = lv + static_cast<size_t>(y) * w;
            if (mode == 0)
                for (int x = 0; x < w; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            else
                for (int x = 0; x < w; ++x) out[x] = row[x] != 0;
        }
    } else if (mode >= 1 && mode <= 3) {
        // Ink counts of scale x scale blocks; block rows start at the y remainder.
        for (int sy = 0; sy < height; ++sy) {
            const int y = (sy + rem) / scale;
            if (y >= h) break;
            const uint8_t* row = src + static_cast<size_t>(sy) * pitch;
            uint8_t* out = lv + static_cast<size_t>(y) * w;
            for (int bx = 0; bx < w; ++bx) {
                int count = 0;
                for (int sx = bx * scale; sx < (bx + 1) * scale && sx < width; sx += 8) {
                    // scale is 4, 8 or 16: the block's bits of this row, byte by byte.
                    const int n = std::min(scale, 8);
                    const uint8_t byte = row[sx >> 3];
                    const uint8_t mask = static_cast<uint8_t>((0xFF << (8 - n)) & 0xFF) >> (sx & 7);
                    count += t.bitCount[byte & mask];
                }
                out[bx] = static_cast<uint8_t>(std::min(255, out[bx] + count));
            }
        }
        const int full = scale * scale;  // 16, 64 or 256
        const bool deep = texture && font->textureBits == 32;
        for (size_t i = 0; i < need; ++i) {
            int c = lv[i];
            if (full == 256) c /= 4;
            if (full == 16)
                lv[i] = static_cast<uint8_t>(deep ? c * 4 : c);
            else
                lv[i] = static_cast<uint8_t>(deep ? c : c / 4);
        }
        levelMax = deep ? 64 : 16;
    } else if (mode == 6 || mode == 7) {
        levelMax = mode == 6 ? 16 : 64;
        const bool quarter = mode == 7 && !texture;
        for (int y = 0; y < std::min(h, height); ++y) {
            const uint8_t* row = src + static_cast<size_t>(y) * pitch;
            uint8_t* out = lv + static_cast<size_t>(y) * w;
            for (int x = 0; x < w; ++x) out[x] = quarter ? row[x] / 4 : row[x];
        }
        if (quarter) levelMax = 16;
    } else if (mode == 4 || mode == 8) {
        // Data-image levels: 4 bits (high nibble first) or 8 bits a pixel, on the cache's scale.
        levelMax = texture ? 64 : 16;
        for (int y = 0; y < std::min(h, height); ++y) {
            const uint8_t* row = src + static_cast<size_t>(y) * pitch;
            uint8_t* out = lv + static_cast<size_t>(y) * w;
            if (mode == 4)
                for (int x = 0; x < w; ++x) {
                    const int j = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
                    out[x] = texture ? t.level4To64[j] : t.level4[j];
                }
            else
                for (int x = 0; x < w; ++x) out[x] = texture ? t.to64[row[x]] : t.to16[row[x]];
        }
    } else {
        return -1;
    }

    // The cell.
    const int cellX = static_cast<int>(slot->column) * cell;
    const int cellY = static_cast<int>(slot->row) * cell;
    // Sizes above 4 stamp the whole (2e+1)^2 square, so only the small stamps are stored;
    // every size a script can pass is drawn in full.
    uint8_t small[9 * 9];
    const int e = edge;
    const int side = 2 * e + 1;
    if (e > 0 && e <= 4) buildStamp(e, small);
    auto stamped = [&](int sx, int sy) { return e > 4 || small[sy * side + sx] != 0; };

    if (!texture) {
        uint8_t* base = font->memCache + static_cast<size_t>(cellY) * font->memPitch;
        for (int y = 0; y < cell; ++y) std::memset(base + static_cast<size_t>(y) * font->memPitch, 0, font->memPitch);
        if (font->memBits == 1) {
            if (levelMax != 1) return -1;
            for (int y = 0; y < h; ++y) {
                uint8_t* row = base + static_cast<size_t>(y) * font->memPitch;
                for (int x = 0; x < w; ++x)
                    if (lv[y * w + x]) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
        } else if (!(type & kFontTypeEdge)) {
            if (levelMax != 16) return -1;
            for (int y = 0; y < h; ++y) {
                uint8_t* row = base + static_cast<size_t>(y) * font->memPitch;
                for (int x = 0; x < w; ++x) row[x] = lv[y * w + x] ? static_cast<uint8_t>(lv[y * w + x] - 1) : 0;
            }
        } else if (levelMax == 1) {
            // Plain with edge: body 1, edge 2.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (!lv[y * w + x]) continue;
                    for (int sy = 0; sy < side; ++sy)
                        for (int sx = 0; sx < side; ++sx) {
                            if (!stamped(sx, sy)) continue;
                            uint8_t& p = base[static_cast<size_t>(y + sy) * font->memPitch + x + sx];
                            if (p == 0) p = 2;
                        }
                    base[static_cast<size_t>(y + e) * font->memPitch + x + e] = 1;
                }
        } else {
            if (levelMax != 16) return -1;
            // Anti-aliased with edge: body level - 1 below, edge level - 1 (x 16) above.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int l = lv[y * w + x];
                    if (!l) continue;
                    const uint8_t high = static_cast<uint8_t>((l - 1) * 16);
                    for (int sy = 0; sy < side; ++sy)
                        for (int sx = 0; sx < side; ++sx) {
                            if (!stamped(sx, sy)) continue;
                            uint8_t& p = base[static_cast<size_t>(y + sy) * font->memPitch + x + sx];
                            if ((p & 0xF0) < high) p = static_cast<uint8_t>((p & 0x0F) | high);
                        }
                }
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int l = lv[y * w + x];
                    uint8_t& p = base[static_cast<size_t>(y + e) * font->memPitch + x + e];
                    if (l) p = static_cast<uint8_t>((p & 0xF0) | (l - 1));
                }
        }
    } else {
        BaseImage& image = font->cacheImage;
        const PixelFormatDesc& f = image.format;
        const bool grey = font->grey != 0;
        const uint32_t empty = grey ? packPixel(f, 0, 0, 0, 0) : packPixel(f, 255, 255, 255, 0);
        const int twin = font->textureWidth;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                putPixel(image, cellX + x, cellY + y, empty);
                if (edge) putPixel(image, twin + cellX + x, cellY + y, empty);
            }
        auto pixelOf = [&](int alpha) {
            return grey ? packPixel(f, alpha, alpha, alpha, alpha) : packPixel(f, 255, 255, 255, alpha);
        };
        const int ox = cellX + start + e, oy = cellY + start + e;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (const int l = lv[y * w + x]) putPixel(image, ox + x, oy + y, pixelOf(levelAlpha(l, levelMax)));
        if (edge) {
            // Edge coverage accumulates on the body's own scale.
            const int ew = w + 2 * e, eh = h + 2 * e;
            uint8_t* acc = font->work + need;
            if (font->workSize < need + static_cast<size_t>(ew) * eh) return -1;
            std::memset(acc, 0, static_cast<size_t>(ew) * eh);
            const int shift = levelMax == 64 ? 6 : levelMax == 16 ? 4 : 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int l = lv[y * w + x];
                    if (!l) continue;
                    for (int sy = 0; sy < side; ++sy)
                        for (int sx = 0; sx < side; ++sx) {
                            if (!stamped(sx, sy)) continue;
                            uint8_t& a = acc[(y + sy) * ew + x + sx];
                            a = levelMax == 1 ? 1 : static_cast<uint8_t>(a + (((levelMax - a) * l) >> shift));
                        }
                }
            for (int y = 0; y < eh; ++y)
                for (int x = 0; x < ew; ++x) {
                    int a = levelAlpha(acc[y * ew + x], levelMax);
                    const int bx = x - e, by = y - e;
                    if (bx >= 0 && by >= 0 && bx < w && by < h && lv[by * w + bx] >= levelMax) a = 0;
                    if (a) putPixel(image, twin + cellX + start + x, cellY + start + y, pixelOf(a));
                }
        }
    }

    slot->drawX = static_cast<int16_t>(dx);
    slot->drawY = static_cast<int16_t>(dy);
    slot->width = static_cast<uint16_t>(w + 2 * edge);
    slot->height = static_cast<uint16_t>(h + 2 * edge);
    slot->advance = static_cast<int16_t>(adv + 2 * edge);
    IndexFontGlyphSlot(font, slot, code);
    if (updateFlag && texture) {
        const int rect[4] = {cellX, cellY, cellX + cell, cellY + cell};
        UpdateFontCacheRect(font, rect);
    }
    return 0;
}

}  // namespace ZaDod
