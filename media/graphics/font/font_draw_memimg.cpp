// String drawing without a texture cache: the glyph writer that turns memory-cache
// cells into pixels of a software image (one loop per cache and destination layout,
// chosen before the first glyph), character pictures on that path, and the memory
// path itself: straight into the draw target, or through a work image blended once.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/draw.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/pixel_widen.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

namespace {

uint32_t packField(int v, uint8_t width, uint8_t loc) {
    return width == 0 ? 0u : (static_cast<uint32_t>(v & 0xFF) >> (8 - width)) << loc;
}

uint32_t packPixel(const PixelFormatDesc& f, int r, int g, int b, int a) {
    return packField(r, f.redWidth, f.redLoc) | packField(g, f.greenWidth, f.greenLoc) |
           packField(b, f.blueWidth, f.blueLoc) | packField(a, f.alphaWidth, f.alphaLoc) | f.unusedMask;
}

// Destination layouts: 32-bit (alpha in the top byte or unused), 16-bit 5:6:5, and
// 16-bit with alpha (5:6:5 below, alpha in bits 16-23, four bytes a pixel).
struct Dst32 {
    using T = uint32_t;
    static constexpr bool alpha = false;
    static void blend(T* p, const GlyphPaint& g) {
        const uint32_t d = *p;
        const int inv = 255 - g.alpha;
        const auto& P = MemImgProductTable[inv];
        *p = (d & 0xFF000000u) | static_cast<uint32_t>(g.r + P[(d >> 16) & 0xFF]) << 16 |
             static_cast<uint32_t>(g.g + P[(d >> 8) & 0xFF]) << 8 | static_cast<uint32_t>(g.b + P[d & 0xFF]);
    }
};
struct Dst32A : Dst32 {
    static constexpr bool alpha = true;
    // Alpha in the top byte. A glyph's partly covered pixels laid over an earlier glyph
    // (cells of neighbouring characters overlap) keep what that glyph left beneath them,
    // as the hardware paths' blending does.
    static void blend(T* p, const GlyphPaint& g) {
        const uint32_t d = *p;
        const int under = static_cast<int>(d >> 24) * (255 - g.alpha) / 255;
        if (under == 0) {
            *p = g.pixel;
            return;
        }
        const int a = g.alpha + under;
        auto mix = [&](int c, int shift) {
            return static_cast<uint32_t>((c * g.alpha + static_cast<int>((d >> shift) & 0xFF) * under) / a) << shift;
        };
        *p = static_cast<uint32_t>(a) << 24 | mix(g.r, 16) | mix(g.g, 8) | mix(g.b, 0);
    }
};
struct Dst16 {
    using T = uint16_t;
    static constexpr bool alpha = false;
    static void blend(T* p, const GlyphPaint& g) {
        const uint32_t d = *p;
        const int inv = 255 - g.alpha;
        const auto& P = MemImgProductTable[inv];
        const int r = g.r + P[pixel::scaleTo255((d >> 11) & 31, 5)];
        const int gg = g.g + P[pixel::scaleTo255((d >> 5) & 63, 6)];
        const int b = g.b + P[pixel::scaleTo255(d & 31, 5)];
        *p = static_cast<T>((r >> 3) << 11 | (gg >> 2) << 5 | (b >> 3));
    }
};
struct Dst16A {
    using T = uint32_t;
    static constexpr bool alpha = true;
    static void blend(T* p, const GlyphPaint& g) { *p = g.pixel; }
};

template <typename D, bool Mono, bool Vertical>
void blitGlyph(const MemGlyphWriter& w, const uint8_t* cell, int pitch, int gw, int gh, int left, int top, int) {
    // Destination box: gw x gh, or gh x gw turned.
    const int boxW = Vertical ? gh : gw, boxH = Vertical ? gw : gh;
    const int x0 = std::max(left, w.clip.left), y0 = std::max(top, w.clip.top);
    const int x1 = std::min(left + boxW, w.clip.right), y1 = std::min(top + boxH, w.clip.bottom);
    if (x0 >= x1 || y0 >= y1) return;
    const GlyphPaint* paint = w.paint;
    MemImgBase* base = w.dest->base;
    const int destPitch = base->pitch;
    uint8_t* destRow = w.dest->pixels + static_cast<ptrdiff_t>(y0) * destPitch;
    if constexpr (Mono && !Vertical) {
        // 1-bit rows: every ink pixel is opaque text; empty bytes are stepped over whole.
        const auto ink = static_cast<typename D::T>(paint[1].pixel);
        for (int y = y0; y < y1; ++y, destRow += destPitch) {
            const uint8_t* row = cell + static_cast<ptrdiff_t>(y - top) * pitch;
            auto* p = reinterpret_cast<typename D::T*>(destRow);
            for (int x = x0; x < x1;) {
                const int sx = x - left;
                const uint8_t byte = static_cast<uint8_t>(row[sx >> 3] << (sx & 7));
                const int run = std::min(8 - (sx & 7), x1 - x);
                if (byte != 0)
                    for (int k = 0; k < run; ++k)
                        if (byte & (0x80 >> k)) p[x + k] = ink;
                x += run;
            }
        }
        return;
    }
    for (int y = y0; y < y1; ++y, destRow += destPitch) {
        auto* p = reinterpret_cast<typename D::T*>(destRow) + x0;
        for (int x = x0; x < x1; ++x, ++p) {
            // Cell pixel under this destination pixel (turned clockwise for vertical text).
            const int sx = Vertical ? y - top : x - left;
            const int sy = Vertical ? gh - 1 - (x - left) : y - top;
            const uint8_t* row = cell + static_cast<ptrdiff_t>(sy) * pitch;
            const uint8_t v = Mono ? static_cast<uint8_t>((row[sx >> 3] >> (7 - (sx & 7))) & 1) : row[sx];
            const GlyphPaint& g = paint[v];
            if (g.alpha == 0) continue;
            if (g.alpha == 255)
                *p = static_cast<typename D::T>(g.pixel);
            else
                D::blend(p, g);
        }
    }
}

template <typename D>
void pickBlit(MemGlyphWriter* w, bool mono) {
    w->blit = mono ? +[](const MemGlyphWriter& wr, const uint8_t* c, int p, int gw, int gh, int l, int t, int v) {
        (v ? blitGlyph<D, true, true> : blitGlyph<D, true, false>)(wr, c, p, gw, gh, l, t, v);
    }
                   : +[](const MemGlyphWriter& wr, const uint8_t* c, int p, int gw, int gh, int l, int t, int v) {
                         (v ? blitGlyph<D, false, true> : blitGlyph<D, false, false>)(wr, c, p, gw, gh, l, t, v);
                     };
}

// Restores the software draw state a character picture changes.
struct MemDrawStateScope {
    MemImgDrawState saved = GetMemImgDrawState();
    ~MemDrawStateScope() {
        SetMemImgDrawTarget(saved.target);
        SetMemImgDrawArea(&saved.drawArea);
        SetMemImgBlendMode(saved.blendMode, saved.blendParam);
        SetMemImgDrawBright(saved.bright);
        SetMemImgBlendGraph(saved.blendGraph, saved.blendGraphType, saved.blendGraphRatio);
    }
};

}  // namespace

bool PrepareMemGlyphWriter(MemGlyphWriter* w, const FontHandleRecord* font, MEMIMG* dest, const ImageRect& clip,
                           unsigned int color, unsigned int edgeColor) {
    if (!CheckValidMemImg(dest)) return false;
    const MemImgBase* base = dest->base;
    if (base->usePalette || base->colorType > kMemImgX8R8G8B8) return false;
    w->dest = dest;
    w->clip = clip;
    w->mono = font->memBits == 1;
    const PixelFormatDesc& f = *base->colorData;
    const bool alpha = base->useAlpha != 0;
    int tr, tg, tb, er, eg, eb;
    UnpackDrawColor(color, &tr, &tg, &tb);
    UnpackDrawColor(edgeColor, &er, &eg, &eb);
    auto set = [&](int v, int a, int r, int g, int b) {
        GlyphPaint& p = w->paint[v];
        p.alpha = static_cast<uint8_t>(a);
        p.pixel = packPixel(f, r, g, b, a);
        // Without alpha the colour's share of the blend is precomputed.
        p.r = static_cast<uint8_t>(alpha ? r : MemImgProductTable[a][r]);
        p.g = static_cast<uint8_t>(alpha ? g : MemImgProductTable[a][g]);
        p.b = static_cast<uint8_t>(alpha ? b : MemImgProductTable[a][b]);
    };
    // 1-bit and plain edged cells hold only 0, 1 and 2: their paints are all that is made.
    const uint32_t type = font->fontType;
    const bool levels = font->memBits != 1 && type != 1;
    for (int v = 0; v < (levels ? 256 : 3); ++v) set(v, 0, 0, 0, 0);
    if (font->memBits == 1) {
        set(1, 255, tr, tg, tb);
    } else if (type == 1) {
        set(1, 255, tr, tg, tb);
        set(2, 255, er, eg, eb);
    } else {
        // Levels: body b in the low four bits, edge e in the high four.
        for (int v = 1; v < 256; ++v) {
            const int b = v & 15, e = v >> 4;
            if (b == 15) {
                set(v, 255, tr, tg, tb);
            } else if (b == 0) {
                set(v, (16 * e) & 0xFF, er, eg, eb);
            } else {
                const int a = (16 * b + (15 - b) * e) & 0xFF;
                if (a == 0) continue;
                const int k = 4096 * b / a;
                set(v, a, er + (tr - er) * k / 256, eg + (tg - eg) * k / 256, eb + (tb - eb) * k / 256);
            }
        }
    }
    if (base->colorType == kMemImgX8R8G8B8)
        alpha ? pickBlit<Dst32A>(w, w->mono) : pickBlit<Dst32>(w, w->mono);
    else
        alpha ? pickBlit<Dst16A>(w, w->mono) : pickBlit<Dst16>(w, w->mono);
    return true;
}

void DrawMemCharImage(const FontCharImage& picture, const MemGlyphWriter& writer, int left, int top, int vertical,
                      unsigned int color) {
    GraphData* graph = GetGraphData(picture.graph);
    const MEMIMG* image = graph ? GetGraphSoftImage(graph) : nullptr;
    if (image == nullptr) return;
    const MemDrawStateScope scope;
    int r, g, b;
    UnpackDrawColor(color, &r, &g, &b);
    SetMemImgDrawTarget(writer.dest);
    SetMemImgDrawArea(&writer.clip);
    SetMemImgBlendMode(0, 255);
    SetMemImgBlendGraph(nullptr, 0, 0);
    SetMemImgDrawBright(static_cast<uint32_t>(r << 16 | g << 8 | b));
    if (!vertical) {
        DrawStretchMemImg(image, left, top, left + picture.width, top + picture.height, 1);
        return;
    }
    // A quarter turn clockwise: the picture's top edge runs down the right side.
    const double l = left, t = top, rr = left + picture.height, bb = top + picture.width;
    const double corners[8] = {rr, t, rr, bb, l, bb, l, t};
    DrawQuadMemImg(image, corners, 1);
}

ImageRect FontStringBox(const FontHandleRecord* font, const char16_t* string, int x, int y, int vertical) {
    StringSize size{};
    DrawStringBase(0, 0, 0, 0.0f, 0.0f, 1, string, 0, nullptr, nullptr, 0, const_cast<FontHandleRecord*>(font), 0, -1,
                   vertical, &size);
    // Worked out wide and held to the int range: positions and pens near the range's end
    // reach past it.
    const int64_t m = font->leading / 2 + font->cellWidth / 2 + 1;
    const int64_t italic = font->italic ? font->cellWidth / 2 : 0;
    auto held = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    ImageRect box{held(int64_t(x) + size.left - m), held(int64_t(y) + size.top - m),
                  held(int64_t(x) + size.right + m + italic), held(int64_t(y) + size.bottom + m)};
    ClipRect(&box, &GraphicsDrawSettings.drawArea);
    return box;
}

namespace {

// A memory-cache font on a device (its texture page could not be had): the string is
// written into a picture with alpha, which is drawn once with the current blend.
int drawMemStringOnDevice(int x, int y, const char16_t* string, unsigned int color, FontHandleRecord* font,
                          unsigned int edgeColor, int vertical) {
    const ImageRect box = FontStringBox(font, string, x, y, vertical);
    const int w = box.right - box.left, h = box.bottom - box.top;
    if (w <= 0 || h <= 0) return 0;
    BaseImage image{};
    if (CreateARGB8ColorBaseImage(w, h, &image) != 0) return -1;
    std::memset(image.pixels, 0, static_cast<size_t>(image.pitch) * h);
    MEMIMG work{};
    int result = -1;
    if (CreateMemImg(&work, w, h, image.pitch, 0, kMemImgX8R8G8B8, 0, 1, 0, image.pixels) == 0) {
        const ImageRect rect{0, 0, w, h};
        DrawStringBase(1, x - box.left, y - box.top, 0.0f, 0.0f, 1, string, color, &work, &rect, 1, font, edgeColor,
                       -1, vertical, nullptr);
        TerminateMemImg(&work);
        // Made as the cache page of an anti-aliased font is: 32 bits with alpha.
        SetupGraphParam param = FontCacheGraphParam(font);
        param.colorBits = 32;
        param.alphaChannel = 1;
        param.alphaTest = 0;
        param.drawable = 0;
        const int graph = MakeGraphFromParam(&param, w, h, 0, 0, 0, 0);
        if (graph != -1) {
            if (BltBaseImageToGraph(&rect, 0, 0, graph, &image, nullptr, 0, 0) == 0) {
                int r, g, b;
                GetDrawBright(&r, &g, &b);
                SetDrawBright(255, 255, 255);
                result = DrawGraph(box.left, box.top, graph, 1) < 0 ? -1 : 0;
                SetDrawBright(r, g, b);
            }
            SubHandle(graph);
        }
    }
    ReleaseBaseImage(&image);
    return result;
}

}  // namespace

int DrawStringByMemImg(int x, int y, const char16_t* string, unsigned int color, FontHandleRecord* font,
                       unsigned int edgeColor, int vertical) {
    DrawSettings& s = GraphicsDrawSettings;
    const bool aa = (font->fontType & kFontTypeAntialiased) != 0;
    const MemImgDrawState& state = GetMemImgDrawState();
    if (GraphicsSys.hardware) return drawMemStringOnDevice(x, y, string, color, font, edgeColor, vertical);
    if (!aa && (s.blendMode == 0 || (s.blendMode == 1 && s.blendParam == 255))) {
        const ImageRect clip = s.drawArea;
        DrawStringBase(1, x, y, 0.0f, 0.0f, 1, string, color, state.target, &clip, 1, font, edgeColor, -1, vertical,
                       nullptr);
        return 0;
    }

    MEMIMG& work = aa ? GraphicsSys.stringAlphaScreen : GraphicsSys.stringScreen;
    if (!CheckValidMemImg(&work) || !CheckValidMemImg(state.target)) return 0;
    // The work image holds only the part of the string's box inside the draw area, so a
    // string left of the screen or running past its edge keeps every pixel the area shows.
    const ImageRect box = FontStringBox(font, string, x, y, vertical);
    const ImageRect rect{0, 0, std::min(box.right - box.left, work.width), std::min(box.bottom - box.top, work.height)};
    if (rect.right <= 0 || rect.bottom <= 0) return 0;

    // The plain work image shows through its key colour, which neither colour may be.
    MemImgBase* base = work.base;
    const uint32_t savedKey = base->transColor;
    uint32_t key = 0;
    if (!aa) {
        const uint32_t mask = base->colorType == kMemImgR5G6B5 ? 0xFFFFu : 0xFFFFFFFFu;
        key = savedKey & mask;
        while (key == (color & mask) || key == (edgeColor & mask)) key = (key + 1) & mask;
        base->transColor = key;
    }
    FillMemImg(&work, &rect, key);
    DrawStringBase(1, x - box.left, y - box.top, 0.0f, 0.0f, 1, string, color, &work, &rect, 1, font, edgeColor, -1,
                   vertical, nullptr);
    base->runTableValid = 0;
    base->premultipliedValid = 0;

    // Blend the whole string once, under the caller's draw area.
    const MemDrawStateScope scope;
    const ImageRect area{box.left, box.top, box.left + rect.right, box.top + rect.bottom};
    SetMemImgDrawArea(&area);
    SetMemImgDrawBright(0xFFFFFF);
    MEMIMG view{};
    DeriveMemImg(&view, &work, 0, 0, rect.right, rect.bottom);
    DrawMemImg(&view, box.left, box.top, 1);
    TerminateMemImg(&view);
    base->transColor = savedKey;
    return 0;
}

}  // namespace ZaDod
