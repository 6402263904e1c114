// Per-call set-up of software drawing: the clip of the draw area and the target, the
// combining rule and colour tables of the blend mode, the layouts of target and source,
// and the staging of texels for the draws that cannot read their source directly.
#include <algorithm>

#include "media/graphics/mem_img_pixel.h"

namespace ZaDod::softpix {
namespace {

enum class Kind : uint8_t { Plain, Invert, Times4 };

struct ModeRow {
    Op op;
    Kind kind;
    bool usesParam;
};

// One row per blend mode: the rule and pixel kind of the back ends' blend table.
constexpr ModeRow kModes[23] = {
    {Op::Copy, Kind::Plain, false},      // 0
    {Op::Blend, Kind::Plain, true},      // 1 alpha
    {Op::Add, Kind::Plain, true},        // 2 add
    {Op::Sub, Kind::Plain, true},        // 3 subtract
    {Op::Mul, Kind::Plain, false},       // 4 multiply
    {Op::Add, Kind::Plain, true},        // 5
    {Op::Copy, Kind::Plain, false},      // 6
    {Op::Copy, Kind::Plain, false},      // 7
    {Op::None, Kind::Plain, false},      // 8 keeps the destination
    {Op::InvDest, Kind::Plain, false},   // 9
    {Op::Blend, Kind::Invert, true},     // 10
    {Op::WhiteMul, Kind::Plain, true},   // 11
    {Op::Blend, Kind::Times4, true},     // 12
    {Op::Add, Kind::Times4, true},       // 13
    {Op::CopyAlpha, Kind::Plain, true},  // 14
    {Op::Premul, Kind::Plain, true},     // 15
    {Op::Sub, Kind::Plain, true},        // 16
    {Op::Blend, Kind::Plain, true},      // 17 colour times alpha, then over
    {Op::Add, Kind::Plain, true},        // 18
    {Op::Sub, Kind::Plain, true},        // 19
    {Op::Blend, Kind::Invert, true},     // 20
    {Op::Blend, Kind::Times4, true},     // 21
    {Op::Add, Kind::Times4, true},       // 22
};

int dstKindOf(const MEMIMG* img) {
    const MemImgBase* base = img->base;
    if (base->usePalette) return -1;
    switch (base->colorType) {
        case kMemImgR5G6B5: return base->useAlpha ? kDst16Alpha : kDst16;
        case kMemImgX8R8G8B8: return base->useAlpha ? kDst32Alpha : kDst32;
        default: return -1;
    }
}

// The colour tables: bright colour times the channel, with the pixel kind applied
// before the bright colour (graph texels). Kept per thread for the last bright colour
// and kind, since most draws repeat them.
void fillTables(DrawSetup* s, Kind kind) {
    struct Cache {
        bool valid = false;
        uint32_t bright = 0;
        Kind kind = Kind::Plain;
        uint8_t lut[3][256];
    };
    thread_local Cache cache;
    const uint32_t bright = GetMemImgDrawState().bright;
    s->plainColor = kind == Kind::Plain && bright == 0x00FFFFFF;
    s->lut = cache.lut;
    if (cache.valid && cache.bright == bright && cache.kind == kind) return;
    const int b[3] = {static_cast<int>((bright >> 16) & 0xFF), static_cast<int>((bright >> 8) & 0xFF),
                      static_cast<int>(bright & 0xFF)};
    for (int ch = 0; ch < 3; ++ch) {
        for (int c = 0; c < 256; ++c) {
            int v = kind == Kind::Invert ? 255 - c : c;
            // Times 4 rounds once, after the bright colour: rounding first would be
            // multiplied up to 4 levels away from the hardware paths.
            v = kind == Kind::Times4 ? std::min(255, (4 * v * b[ch] + 127) / 255) : mul255(v, b[ch]);
            cache.lut[ch][c] = static_cast<uint8_t>(v);
        }
    }
    cache.valid = true;
    cache.bright = bright;
    cache.kind = kind;
}

bool setupTarget(DrawSetup* s) {
    const MemImgDrawState& state = GetMemImgDrawState();
    MEMIMG* target = state.target;
    if (!CheckValidMemImg(target)) return false;
    s->target = target;
    s->dstKind = dstKindOf(target);
    if (s->dstKind < 0) return false;
    s->dstBytes = s->dstKind == kDst16 ? 2 : 4;
    ImageRect clip = state.drawArea;
    const ImageRect whole{0, 0, target->width, target->height};
    ClipRect(&clip, &whole);
    if (clip.right <= clip.left || clip.bottom <= clip.top) return false;
    s->clip = clip;
    // The draw changes pixels: the run table and premultiplied copy no longer describe them.
    target->base->runTableValid = 0;
    target->base->premultipliedValid = 0;
    return true;
}

}  // namespace

bool SetupShapeDraw(DrawSetup* s) {
    if (!setupTarget(s)) return false;
    const MemImgDrawState& state = GetMemImgDrawState();
    const int mode = state.blendMode;
    if (mode < 0 || mode > 22) return false;
    const ModeRow& row = kModes[mode];
    s->op = row.op;
    if (s->op == Op::None) return false;
    s->param = row.usesParam ? std::clamp(state.blendParam, 0, 255) : 255;
    s->kind = static_cast<uint8_t>(row.kind);
    s->plainColor = row.kind == Kind::Plain && state.bright == 0x00FFFFFF;
    return true;
}

bool SetupGraphDraw(DrawSetup* s, const MEMIMG* src, int transFlag, bool blendGraph) {
    if (!CheckValidMemImg(src) || !setupTarget(s)) return false;
    const MemImgDrawState& state = GetMemImgDrawState();
    const int mode = state.blendMode;
    if (mode < 0 || mode > 22) return false;
    const ModeRow& row = kModes[mode];
    s->op = row.op;
    s->param = row.usesParam ? std::clamp(state.blendParam, 0, 255) : 255;
    // Copying modes still blend what has partial alpha: a transparent draw of a graph
    // with alpha, and a wipe by the blend graph.
    const bool copyMode = mode == 0 || mode == 6 || mode == 7;
    const bool alphaSource = src->base->useAlpha && transFlag;
    if (copyMode && (alphaSource || (blendGraph && state.blendGraphType == 1))) {
        s->op = Op::Blend;
        s->param = 255;
    }
    if (s->op == Op::None) return false;
    s->kind = static_cast<uint8_t>(row.kind);
    fillTables(s, row.kind);
    return true;
}

SolidColor ShapeColor(const DrawSetup& s, uint32_t color) {
    int r, g, b;
    if (s.dstKind == kDst16 || s.dstKind == kDst16Alpha) {
        r = widen5((color >> 11) & 31);
        g = widen6((color >> 5) & 63);
        b = widen5(color & 31);
    } else {
        r = (color >> 16) & 0xFF;
        g = (color >> 8) & 0xFF;
        b = color & 0xFF;
    }
    const uint32_t bright = GetMemImgDrawState().bright;
    int c[3] = {mul255(r, (bright >> 16) & 0xFF), mul255(g, (bright >> 8) & 0xFF), mul255(b, bright & 0xFF)};
    for (int& v : c) {
        if (s.kind == static_cast<uint8_t>(Kind::Invert)) v = 255 - v;
        if (s.kind == static_cast<uint8_t>(Kind::Times4)) v = std::min(255, v * 4);
    }
    return SolidColor{c[0], c[1], c[2], 255, s.param};
}

int SourceKind(const MEMIMG* src, int transFlag) {
    const MemImgBase* base = src->base;
    if (base->usePalette) return -1;
    switch (base->colorType) {
        case kMemImgR5G6B5:
            if (base->useAlpha) return transFlag ? kSrc16Alpha : kSrc16Opaque;
            return transFlag ? kSrc16Key : kSrc16;
        case kMemImgX8R8G8B8:
            if (base->useAlpha) return transFlag ? kSrc32Alpha : kSrc32;
            return transFlag ? kSrc32Key : kSrc32;
        default: return -1;
    }
}

uint32_t SourceKey(const MEMIMG* src) {
    const MemImgBase* base = src->base;
    return base->colorType == kMemImgR5G6B5 && !base->useAlpha ? base->transColor & 0xFFFFu : base->transColor;
}

SpanContext MakeSpanContext(const DrawSetup& s, uint32_t key) {
    return SpanContext{s.lut[0], s.lut[1], s.lut[2], MemImgProductTable[s.param], key};
}

namespace {

// Colour of a palette entry, in the image's layout.
inline void paletteColor(const MemImgBase* base, uint8_t index, int& r, int& g, int& b) {
    if (base->colorType == kMemImgX8R8G8B8)
        split888(loadPixel(base->palette + index * 4, 4), r, g, b);
    else
        split565(loadPixel(base->palette + index * 2, 2), r, g, b);
}

// Colour and alpha of pixel x of a row; clear is set for the transparent colour.
// Channel images read as grey.
inline void readPixel(const MemImgBase* base, const uint8_t* row, int x, int& r, int& g, int& b, int& a,
                      bool& clear) {
    a = 255;
    clear = false;
    if (base->usePalette) {
        const uint8_t index = row[x];
        clear = index == static_cast<uint8_t>(base->transColor);
        paletteColor(base, index, r, g, b);
        return;
    }
    switch (base->colorType) {
        case kMemImgR5G6B5: {
            const uint32_t v = loadPixel(row + x * MemImgPixelBytes(base), base->useAlpha ? 4 : 2);
            split565(v, r, g, b);
            if (base->useAlpha)
                a = (v >> 16) & 0xFF;
            else
                clear = (v & 0xFFFF) == (base->transColor & 0xFFFF);
            return;
        }
        case kMemImgX8R8G8B8: {
            const uint32_t v = loadPixel(row + x * 4, 4);
            split888(v, r, g, b);
            if (base->useAlpha)
                a = static_cast<int>(v >> 24);
            else
                clear = v == base->transColor;
            return;
        }
        case kMemImgChannel8: r = g = b = row[x]; return;
        default: r = g = b = row[x * 2 + 1]; return;
    }
}

// The blend graph's value at a texel (its edge texel beyond its size): the byte of an
// 8-bit blend image, else the blue channel; colour graphs also give their colour.
inline int blendValue(const MEMIMG* bg, int x, int y, int& r, int& g, int& b) {
    x = std::clamp(x, 0, bg->width - 1);
    y = std::clamp(y, 0, bg->height - 1);
    int a;
    bool clear;
    readPixel(bg->base, bg->pixels + static_cast<std::ptrdiff_t>(y) * bg->base->pitch, x, r, g, b, a, clear);
    return b;
}

// One texel as A8R8G8B8, alpha 0 where a transparent draw skips it.
inline uint32_t texel(const MemImgBase* base, const uint8_t* row, int x, int transFlag) {
    int r, g, b, a;
    bool clear;
    readPixel(base, row, x, r, g, b, a, clear);
    if (!transFlag) {
        a = 255;
    } else if (clear) {
        a = 0;
    }
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}

}  // namespace

void StageTexels(const StageSource& s, const int32_t* tx, const int32_t* ty, int count, uint32_t* out) {
    const MEMIMG* src = s.src;
    const MemImgBase* base = src->base;
    const std::ptrdiff_t pitch = base->pitch;
    for (int i = 0; i < count; ++i) out[i] = texel(base, src->pixels + ty[i] * pitch, tx[i], s.transFlag);
    const MEMIMG* bg = s.blendGraph;
    if (bg == nullptr) return;
    const int ratio = s.blendRatio;
    for (int i = 0; i < count; ++i) {
        uint32_t p = out[i];
        int a = static_cast<int>(p >> 24);
        if (a == 0) continue;
        int br, bgc, bb;
        const int v = blendValue(bg, tx[i], ty[i], br, bgc, bb);
        switch (s.blendType) {
            case 0: {
                const int r = mul255((p >> 16) & 0xFF, 255 - ratio) + mul255(br, ratio);
                const int g = mul255((p >> 8) & 0xFF, 255 - ratio) + mul255(bgc, ratio);
                const int b = mul255(p & 0xFF, 255 - ratio) + mul255(bb, ratio);
                p = (p & 0xFF000000u) | static_cast<uint32_t>(r << 16 | g << 8 | b);
                break;
            }
            case 1: a = mul255(a, MemImgBlendGraphTable[v]); break;
            default: a = mul255(a, v); break;
        }
        out[i] = (p & 0x00FFFFFFu) | static_cast<uint32_t>(a) << 24;
    }
}

}  // namespace ZaDod::softpix
