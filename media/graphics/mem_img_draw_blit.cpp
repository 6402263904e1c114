// Drawing one software image onto another at a point or stretched: the graph kernels
// of every source and target layout, the walk of the source's run table that skips
// transparent runs and copies opaque ones, and the staged path for the rest.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/graphics/mem_img_draw.h"
#include "media/graphics/mem_img_pixel.h"

namespace ZaDod {
namespace softpix {
namespace {

template <class S, class D>
constexpr GraphSpanFn kGraphOps[kOpCount] = {
    graphSpan<S, D, Op::Copy>,    graphSpan<S, D, Op::CopyAlpha>, graphSpan<S, D, Op::Blend>,
    graphSpan<S, D, Op::Add>,     graphSpan<S, D, Op::Sub>,       graphSpan<S, D, Op::Mul>,
    graphSpan<S, D, Op::InvDest>, graphSpan<S, D, Op::WhiteMul>,  graphSpan<S, D, Op::Premul>,
};

template <class S>
constexpr const GraphSpanFn* kGraphDst[kDstKindCount] = {kGraphOps<S, Dst16>, kGraphOps<S, Dst16Alpha>,
                                                         kGraphOps<S, Dst32>, kGraphOps<S, Dst32Alpha>};

constexpr const GraphSpanFn* const* kGraph[kSrcKindCount] = {
    kGraphDst<Src16>, kGraphDst<Src16Key>, kGraphDst<Src16Opaque>, kGraphDst<Src16Alpha>,
    kGraphDst<Src32>, kGraphDst<Src32Key>, kGraphDst<Src32Alpha>,
};

// The layout that reads the same pixels without transparency.
int opaqueKind(int kind) {
    switch (kind) {
        case kSrc16Key: return kSrc16;
        case kSrc16Alpha: return kSrc16Opaque;
        case kSrc32Key:
        case kSrc32Alpha: return kSrc32;
        default: return kind;
    }
}

// Opaque pixels copied without arithmetic, where that gives what the kernel would.
using CopyFn = void (*)(uint8_t* dest, const uint8_t* src, int count);

void copy16(uint8_t* dest, const uint8_t* src, int count) { std::memcpy(dest, src, static_cast<size_t>(count) * 2); }

void copy16FromAlpha(uint8_t* dest, const uint8_t* src, int count) {
    auto* d = reinterpret_cast<uint16_t*>(dest);
    for (int i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, src + 4 * i, 4);
        d[i] = static_cast<uint16_t>(v);
    }
}

void copy32(uint8_t* dest, const uint8_t* src, int count) {
    auto* d = reinterpret_cast<uint32_t*>(dest);
    for (int i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, src + 4 * i, 4);
        d[i] = v | 0xFF000000u;
    }
}

CopyFn pickCopy(const DrawSetup& s, int kind) {
    if (!s.plainColor || !(s.op == Op::Copy || (s.op == Op::Blend && s.param == 255))) return nullptr;
    if (s.dstKind == kDst32 && (kind == kSrc32 || kind == kSrc32Key || kind == kSrc32Alpha)) return copy32;
    if (s.dstKind == kDst16 && (kind == kSrc16 || kind == kSrc16Key)) return copy16;
    if (s.dstKind == kDst16 && (kind == kSrc16Opaque || kind == kSrc16Alpha)) return copy16FromAlpha;
    return nullptr;
}

// Start of row `row` in a base's run table.
const uint8_t* runRow(const MemImgBase* base, int row) {
    const uint8_t* p = base->runTable;
    for (int y = 0; y < row; ++y) {
        while (*p != kRunRowEnd) ++p;
        ++p;
    }
    return p;
}

}  // namespace

GraphSpanFn PickGraphSpan(int srcKind, int dstKind, Op op) {
    if (srcKind < 0 || srcKind >= kSrcKindCount || dstKind < 0 || dstKind >= kDstKindCount || op == Op::None)
        return nullptr;
    return kGraph[srcKind][dstKind][static_cast<int>(op)];
}

// Draws count staged texels of (tx, ty) at dest.
void DrawStaged(const DrawSetup& s, const StageSource& given, const int32_t* tx, const int32_t* ty, int count,
                uint8_t* dest) {
    // A copy does not blend, so a blend graph that only scales alpha changes nothing.
    StageSource source = given;
    if (s.op == Op::Copy && source.blendType != 0) source.blendGraph = nullptr;
    const GraphSpanFn fn = PickGraphSpan(kSrc32Alpha, s.dstKind, s.op);
    const SpanContext ctx = MakeSpanContext(s, 0);
    uint32_t staged[kStageChunk];
    for (int done = 0; done < count; done += kStageChunk) {
        const int n = std::min(kStageChunk, count - done);
        StageTexels(source, tx + done, ty + done, n, staged);
        fn(dest + static_cast<std::ptrdiff_t>(done) * s.dstBytes, reinterpret_cast<const uint8_t*>(staged), n, ctx);
    }
}

StageSource MakeStageSource(const MEMIMG* src, int transFlag) {
    const MemImgDrawState& state = GetMemImgDrawState();
    const MEMIMG* bg = CheckValidMemImg(state.blendGraph) ? state.blendGraph : nullptr;
    return StageSource{src, transFlag, bg, state.blendGraphType, std::clamp(state.blendGraphRatio, 0, 255)};
}

}  // namespace softpix

using namespace softpix;

void DrawMemImg(const MEMIMG* src, int x, int y, int transFlag) {
    if (!CheckValidMemImg(src)) return;
    const StageSource source = MakeStageSource(src, transFlag);
    DrawSetup s;
    if (!SetupGraphDraw(&s, src, transFlag, source.blendGraph != nullptr)) return;
    const ImageRect& c = s.clip;
    const int64_t left = std::max<int64_t>(x, c.left), right = std::min<int64_t>(int64_t{x} + src->width, c.right);
    const int64_t top = std::max<int64_t>(y, c.top), bottom = std::min<int64_t>(int64_t{y} + src->height, c.bottom);
    if (left >= right || top >= bottom) return;
    const int sx0 = static_cast<int>(left - x), sy0 = static_cast<int>(top - y);
    const int width = static_cast<int>(right - left), rows = static_cast<int>(bottom - top);
    const int kind = SourceKind(src, transFlag);
    uint8_t* destRow = PixelAt(s.target, static_cast<int>(left), static_cast<int>(top), s.dstBytes);
    const std::ptrdiff_t destPitch = s.target->base->pitch;

    if (source.blendGraph != nullptr || kind < 0) {
        int32_t tx[kStageChunk], ty[kStageChunk];
        for (int row = 0; row < rows; ++row, destRow += destPitch) {
            for (int done = 0; done < width; done += kStageChunk) {
                const int n = std::min(kStageChunk, width - done);
                for (int i = 0; i < n; ++i) tx[i] = sx0 + done + i, ty[i] = sy0 + row;
                DrawStaged(s, source, tx, ty, n, destRow + static_cast<std::ptrdiff_t>(done) * s.dstBytes);
            }
        }
        return;
    }

    const MemImgBase* base = src->base;
    const int srcBytes = MemImgPixelBytes(base);
    const std::ptrdiff_t srcPitch = base->pitch;
    const uint8_t* srcRow = PixelAt(src, sx0, sy0, srcBytes);
    const SpanContext ctx = MakeSpanContext(s, SourceKey(src));
    GraphSpanFn fn = PickGraphSpan(kind, s.dstKind, s.op);
    GraphSpanFn opaqueFn = PickGraphSpan(opaqueKind(kind), s.dstKind, s.op);
    if (s.plainColor && s.op == Op::Blend && s.dstKind == kDst32) {
        if (kind == kSrc32Alpha) fn = blendSpan32<true>;
        if (kind == kSrc32) fn = blendSpan32<false>;
        if (kind == kSrc32 || kind == kSrc32Key || kind == kSrc32Alpha) opaqueFn = blendSpan32<false>;
    }
    const CopyFn copy = pickCopy(s, kind);

    if (transFlag && base->runTableValid == kMemImgTablesPending) RefreshMemImgTables(src->base);
    if (!transFlag || base->runTableValid != 1 || base->runTable == nullptr) {
        for (int row = 0; row < rows; ++row, destRow += destPitch, srcRow += srcPitch) {
            if (copy != nullptr && !transFlag)
                copy(destRow, srcRow, width);
            else
                fn(destRow, srcRow, width, ctx);
        }
        return;
    }

    // Runs cover rows of the whole base; a view starts inside them.
    const std::ptrdiff_t offset = src->pixels - base->pixels;
    const int viewX = static_cast<int>((offset % srcPitch) / srcBytes);
    const int viewY = static_cast<int>(offset / srcPitch);
    const int from = viewX + sx0, to = viewX + sx0 + width;
    const uint8_t* runs = runRow(base, viewY + sy0);
    for (int row = 0; row < rows; ++row, destRow += destPitch) {
        const uint8_t* baseRow = base->pixels + (viewY + sy0 + row) * srcPitch;
        int runX = 0;
        for (uint8_t run = *runs++; run != kRunRowEnd; run = *runs++) {
            const int runEnd = runX + (run & 0x3F) + 1;
            const int a = std::max(runX, from), b = std::min(runEnd, to);
            runX = runEnd;
            if (a >= b) continue;
            const uint8_t runKind = run & 0xC0;
            if (runKind == kRunClear) continue;
            uint8_t* d = destRow + static_cast<std::ptrdiff_t>(a - from) * s.dstBytes;
            const uint8_t* p = baseRow + static_cast<std::ptrdiff_t>(a) * srcBytes;
            if (runKind == kRunBlend)
                fn(d, p, b - a, ctx);
            else if (copy != nullptr)
                copy(d, p, b - a);
            else
                opaqueFn(d, p, b - a, ctx);
        }
    }
}

void DrawStretchMemImg(const MEMIMG* src, int x1, int y1, int x2, int y2, int transFlag) {
    if (!CheckValidMemImg(src) || x1 == x2 || y1 == y2) return;
    const StageSource source = MakeStageSource(src, transFlag);
    DrawSetup s;
    if (!SetupGraphDraw(&s, src, transFlag, source.blendGraph != nullptr)) return;
    const ImageRect& c = s.clip;
    const int64_t left = std::max<int64_t>(std::min(x1, x2), c.left);
    const int64_t right = std::min<int64_t>(std::max(x1, x2), c.right);
    const int64_t top = std::max<int64_t>(std::min(y1, y2), c.top);
    const int64_t bottom = std::min<int64_t>(std::max(y1, y2), c.bottom);
    if (left >= right || top >= bottom) return;

    // The texel under a pixel centre: floor((2p + 1 - 2p1) * size / (2 (p2 - p1))), which
    // runs backwards when p2 < p1.
    auto texelAt = [](int64_t p, int64_t p1, int64_t p2, int size) {
        const __int128 num = __int128{2 * p + 1 - 2 * p1} * size;
        const __int128 den = __int128{2} * (p2 - p1);
        const auto t = static_cast<int64_t>(num / den);
        return static_cast<int32_t>(std::clamp<int64_t>(t, 0, size - 1));
    };
    uint8_t* destRow = PixelAt(s.target, static_cast<int>(left), static_cast<int>(top), s.dstBytes);
    const std::ptrdiff_t destPitch = s.target->base->pitch;
    const int width = static_cast<int>(right - left);
    std::vector<int32_t> columns(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) columns[i] = texelAt(left + i, x1, x2, src->width);
    int32_t ty[kStageChunk];
    for (int64_t y = top; y < bottom; ++y, destRow += destPitch) {
        std::fill(ty, ty + kStageChunk, texelAt(y, y1, y2, src->height));
        for (int done = 0; done < width; done += kStageChunk) {
            const int n = std::min(kStageChunk, width - done);
            uint8_t* dest = destRow + static_cast<std::ptrdiff_t>(done) * s.dstBytes;
            DrawStaged(s, source, columns.data() + done, ty, n, dest);
        }
    }
}

}  // namespace ZaDod
