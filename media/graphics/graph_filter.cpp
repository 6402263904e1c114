// The filter and blend engine: the fronts, the request checks and clipping, the
// decoding of each kind's arguments and the pass loop that calls the kind's worker.
#include "media/graphics/graph_filter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {

int32_t GraphFilterShaderHandleTable[kGraphFilterShaderSlots];
namespace {
// The table reads -1 everywhere before the first reset too.
const bool tableFilled = [] {
    std::memset(GraphFilterShaderHandleTable, 0xFF, sizeof GraphFilterShaderHandleTable);
    return true;
}();

// How many integers each kind reads from the variable arguments.
constexpr int kFilterArgCount[kGraphFilterKindCount] = {2, 2, 1, 5, 2, 4, 0, 5, 5, 2, 0, 0, 0, 1, 0, 1, 2, 2};

// The size of a live graph with nothing left to load, or of a live shadow map.
bool filterTargetSize(int handle, int* width, int* height) {
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr) return false;
    const int type = (handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1);
    if (type == HANDLETYPE_GRAPH) {
        if (HandleASyncLoadCount(header) != 0) return false;
        const auto* graph = reinterpret_cast<const GraphData*>(header);
        *width = graph->area.width;
        *height = graph->area.height;
        return true;
    }
    if (type == HANDLETYPE_SHADOWMAP) {
        const auto* map = reinterpret_cast<const ShadowMapData*>(header);
        *width = map->width;
        *height = map->height;
        return true;
    }
    return false;
}

bool liveGraph(int handle) {
    HandleEntryHeader* header = GetHandleInfo(handle);
    return header != nullptr && ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) == HANDLETYPE_GRAPH &&
           HandleASyncLoadCount(header) == 0;
}

bool liveTarget(int handle) {
    int w, h;
    return GetHandleInfo(handle) != nullptr && filterTargetSize(handle, &w, &h);
}

// A screen colour and an alpha as four floats 0..1 (red, green, blue, alpha).
void colourFloats(int colour, int alpha, float* out) {
    int r, g, b;
    UnpackScreenColor(static_cast<unsigned int>(colour), &r, &g, &b);
    out[0] = static_cast<float>(r) / 255.0f;
    out[1] = static_cast<float>(g) / 255.0f;
    out[2] = static_cast<float>(b) / 255.0f;
    out[3] = static_cast<float>(alpha) / 255.0f;
}

float scaled100(int value) { return static_cast<float>(value) * 100.0f / 255.0f; }

// The UV graph of a Y/UV pair: the same size, half or a quarter of the Y graph's, in
// one of the five pairings the conversion knows.
bool uvPairFits(int uvGraph, int yWidth, int yHeight) {
    int w, h;
    if (!liveGraph(uvGraph) || !filterTargetSize(uvGraph, &w, &h)) return false;
    const bool fullW = w == yWidth, halfW = w == yWidth / 2, quarterW = w == yWidth / 4;
    const bool fullH = h == yHeight, halfH = h == yHeight / 2;
    return (fullW && fullH) || (halfW && halfH) || (halfW && fullH) || (fullW && halfH) || (quarterW && fullH);
}

// Decodes the kind's arguments; false refuses the request.
bool decodeArgs(const GraphFilterInfo& info, const int* a, int sourceWidth, int sourceHeight,
                GraphFilterParam* p) {
    std::memset(p, 0, sizeof *p);
    p->graph = -1;
    if (info.blendFlag) {
        if (info.kind == kGraphBlendRGBAMix) std::copy(a, a + 4, p->ints);
        return true;
    }
    switch (info.kind) {
        case kGraphFilterMono:
            p->floats[0] = scaled100(a[0]);
            p->floats[1] = scaled100(a[1]);
            return true;
        case kGraphFilterGauss:
            p->ints[0] = a[0];
            p->floats[0] = static_cast<float>(a[1] / 100.0);
            return true;
        case kGraphFilterDownScale: p->ints[0] = info.downScaleDivisor; return true;
        case kGraphFilterBrightClip:
            if (a[0] != 2 && a[0] != 5) return false;
            p->ints[0] = a[0];
            p->floats[0] = static_cast<float>(a[1]);
            p->ints[1] = a[2];
            if (a[2]) colourFloats(a[3], a[4], p->floats + 1);
            return true;
        case kGraphFilterBrightnessScale:
        case kGraphFilterBicubic:
        case kGraphFilterLanczos3:
            p->ints[0] = a[0];
            p->ints[1] = a[1];
            return true;
        case kGraphFilterHsb:
            p->ints[0] = a[0];
            p->floats[0] = static_cast<float>(a[1]);
            p->floats[1] = scaled100(a[2]);
            p->floats[2] = scaled100(a[3]);
            return true;
        case kGraphFilterLevel:
            p->floats[0] = static_cast<float>(a[0]);
            p->floats[1] = static_cast<float>(a[1]);
            p->floats[2] = static_cast<float>(a[2] / 100.0);
            p->floats[3] = static_cast<float>(a[3]);
            p->floats[4] = static_cast<float>(a[4]);
            return true;
        case kGraphFilterTwoColor:
            p->floats[0] = static_cast<float>(a[0]);
            colourFloats(a[1], a[2], p->floats + 1);
            colourFloats(a[3], a[4], p->floats + 5);
            return true;
        case kGraphFilterGradientMap:
            if (!liveGraph(a[0])) return false;
            p->graph = a[0];
            p->ints[0] = a[1];
            return true;
        case kGraphFilterYuvToRgbUV:
        case kGraphFilterYuvToRgbUVRRA:
            if (!uvPairFits(a[0], sourceWidth, sourceHeight)) return false;
            p->graph = a[0];
            return true;
        default: return true;
    }
}

int runWorker(GraphFilterInfo* info, const GraphFilterParam& p) {
    if (info->blendFlag)
        return info->kind == kGraphBlendRGBAMix
                   ? GraphBlend_RGBAMix(info, p.ints[0], p.ints[1], p.ints[2], p.ints[3])
                   : GraphBlend_Basic(info);
    const float* f = p.floats;
    switch (info->kind) {
        case kGraphFilterMono: return GraphFilter_Mono(info, f[0], f[1]);
        case kGraphFilterGauss: return GraphFilter_Gauss(info, p.ints[0], f[0]);
        case kGraphFilterDownScale: return GraphFilter_DownScale(info, p.ints[0]);
        case kGraphFilterBrightClip: return GraphFilter_BrightClip(info, p.ints[0], f[0], p.ints[1], f + 1);
        case kGraphFilterBrightnessScale: return GraphFilter_BrightnessScale(info, p.ints[0], p.ints[1]);
        case kGraphFilterHsb: return GraphFilter_Hsb(info, p.ints[0], f[0], f[1], f[2]);
        case kGraphFilterInvert: return GraphFilter_Invert(info);
        case kGraphFilterLevel: return GraphFilter_Level(info, f[0], f[1], f[2], f[3], f[4]);
        case kGraphFilterTwoColor: return GraphFilter_TwoColor(info, f[0], f + 1, f + 5);
        case kGraphFilterGradientMap: return GraphFilter_GradientMap(info, p.graph, p.ints[0]);
        case kGraphFilterPremultipliedAlpha: return GraphFilter_PremultipliedAlpha(info);
        case kGraphFilterInterpolatedAlpha: return GraphFilter_InterpolatedAlpha(info);
        case kGraphFilterBicubic: return GraphFilter_Bicubic(info, p.ints[0], p.ints[1]);
        case kGraphFilterLanczos3: return GraphFilter_Lanczos3(info, p.ints[0], p.ints[1]);
        default: return GraphFilter_YuvToRgb(info, p.graph);
    }
}

bool fitsInt(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// ---- requests larger than one texture on a Direct3D device
//
// A pass draws through work screens no larger than the device's largest texture, so a
// request whose graphs are larger is cut into cells, each inside one tile of every graph
// it reads or writes, and each cell is filtered as a request of its own on graphs cut
// from those graphs. Kinds whose pixels read their neighbours, or a blend graph stretched
// over the rectangle, cannot be cut so: such a request is refused with a log line.

bool largerThanTexture(int handle) {
    const GraphData* g = GetGraphData(handle);
    const int most = GraphicsDeviceCapsData.maxTextureSize;
    return g != nullptr && g->orig != nullptr && most > 0 && (g->area.width > most || g->area.height > most);
}

bool pixelByPixel(const GraphFilterInfo& info) {
    if (info.blendFlag) return info.blendPosFlag != 0;
    switch (info.kind) {
        case kGraphFilterGauss:
        case kGraphFilterDownScale:
        case kGraphFilterBicubic:
        case kGraphFilterLanczos3: return false;
        default: return info.kind < kGraphFilterYuvToRgb || info.kind > kGraphFilterYuvToRgbUVRRA;
    }
}

// Where the tiles of a graph start along one axis, as offsets from `origin` (the
// request's corner in that graph) inside 1..length - 1.
void addCuts(int handle, bool vertical, int origin, int length, std::vector<int>* cuts) {
    const GraphData* g = GetGraphData(handle);
    if (g == nullptr || g->orig == nullptr) return;
    for (int i = 0; i < g->orig->tileCount; ++i) {
        const GraphTextureTile& t = g->orig->tiles[i];
        const int at = (vertical ? t.y - g->area.y : t.x - g->area.x) - origin;
        if (at > 0 && at < length) cuts->push_back(at);
    }
}

std::vector<int> cellEdges(const GraphFilterInfo& info, bool vertical) {
    const int length = vertical ? info.y2 - info.y1 : info.x2 - info.x1;
    std::vector<int> edges{0, length};
    addCuts(info.source, vertical, vertical ? info.y1 : info.x1, length, &edges);
    if (info.destination != info.source) addCuts(info.destination, vertical, vertical ? info.destY : info.destX, length, &edges);
    if (info.blendFlag) addCuts(info.blendGraph, vertical, vertical ? info.blendY : info.blendX, length, &edges);
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

int filterCellByCell(const GraphFilterInfo& info, int blendRatio, const int* args, int argCount) {
    if (!pixelByPixel(info)) {
        LogFormatUtf16(u"テクスチャより大きなグラフィックには使えないフィルターです Type:%d", info.kind);
        return -1;
    }
    const std::vector<int> xs = cellEdges(info, false), ys = cellEdges(info, true);
    const bool inPlace = info.source == info.destination && info.x1 == info.destX && info.y1 == info.destY;
    int result = 0;
    for (size_t j = 0; j + 1 < ys.size(); ++j)
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            const int x = xs[i], y = ys[j], w = xs[i + 1] - x, h = ys[j + 1] - y;
            const int source = CreatePartGraph(info.source, info.x1 + x, info.y1 + y, w, h);
            const int destination =
                inPlace ? source : CreatePartGraph(info.destination, info.destX + x, info.destY + y, w, h);
            const int blend =
                info.blendFlag ? CreatePartGraph(info.blendGraph, info.blendX + x, info.blendY + y, w, h) : -1;
            if (source < 0 || destination < 0 || (info.blendFlag && blend < 0) ||
                GraphFilterBlendWithArgs(info.blendFlag, source, blend, destination, blendRatio, info.kind, 0, 0, w,
                                         h, 0, 0, info.blendPosFlag, 0, 0, args, argCount) < 0)
                result = -1;
            for (const int made : {source, inPlace ? -1 : destination, blend})
                if (made >= 0) SubHandle(made);
        }
    return result;
}

}  // namespace

int GraphFilterBlendWithArgs(int blendFlag, int source, int blendGraph, int destination, int blendRatio,
                             int type, int x1In, int y1In, int x2In, int y2In, int blendXIn, int blendYIn,
                             int blendPosFlag, int destXIn, int destYIn, const int* args, int argCount) {
    int srcW, srcH, dstW, dstH;
    if (!filterTargetSize(source, &srcW, &srcH)) return -1;
    if (!filterTargetSize(destination, &dstW, &dstH)) return -1;
    if (x2In <= x1In || y2In <= y1In) return -1;
    if (blendFlag) {
        if (!HandleManageArray[HANDLETYPE_GRAPH].InitializeFlag || !liveGraph(blendGraph)) return -1;
        if (type < 0 || type >= kGraphBlendKindCount) return -1;
    } else if (static_cast<unsigned>(type) >= kGraphFilterKindCount) {
        return -1;
    }
    const int needed = blendFlag ? (type == kGraphBlendRGBAMix ? 4 : 0) : kFilterArgCount[type];
    int a[5] = {0, 0, 0, 0, 0};
    std::copy(args, args + std::min(needed, argCount), a);

    GraphFilterInfo info{};
    info.blendFlag = blendFlag ? 1 : 0;
    info.kind = type;
    info.blendGraph = blendFlag ? blendGraph : -1;
    info.blendRatio = static_cast<float>(std::clamp(blendRatio, 0, 255)) / 255.0f;
    info.blendPosFlag = blendPosFlag;
    info.downScaleDivisor = 1;

    // Caller coordinates may lie anywhere in the int range: the clipping runs in 64 bits.
    int64_t x1 = x1In, y1 = y1In, x2 = x2In, y2 = y2In;
    int64_t blendX = blendXIn, blendY = blendYIn, destX = destXIn, destY = destYIn;
    if (x1 < 0) { blendX -= x1; destX -= x1; x1 = 0; }
    if (y1 < 0) { destY -= y1; blendY -= y1; y1 = 0; }
    if (destX < 0) { x1 -= destX; blendX -= destX; destX = 0; }
    if (destY < 0) { blendY -= destY; y1 -= destY; destY = 0; }
    if (x2 <= x1 || y2 <= y1) return 0;
    x2 = std::min<int64_t>(x2, srcW);
    y2 = std::min<int64_t>(y2, srcH);
    if (x1 >= srcW || y1 >= srcH || x2 < 1 || y2 < 1 || destX >= dstW || destY >= dstH) return 0;
    int64_t width = x2 - x1, height = y2 - y1;
    if (width < 1 || height < 1) return 0;
    if (!blendFlag && type == kGraphFilterDownScale) {
        const int d = a[0] <= 2 ? 2 : a[0] <= 4 ? 4 : 8;
        info.downScaleFlag = 1;
        info.downScaleDivisor = d;
        if (width / d + destX > dstW) width = (dstW - destX) * d;
        if (height / d + destY > dstH) height = (dstH - destY) * d;
    } else {
        if (width + destX > dstW) width = dstW - destX;
        if (height + destY > dstH) height = dstH - destY;
    }
    if (width < 1 || height < 1) return 0;
    // What the clipping moved must still be a coordinate.
    if (!fitsInt(blendX) || !fitsInt(blendY)) return -1;
    info.x1 = static_cast<int32_t>(x1);
    info.y1 = static_cast<int32_t>(y1);
    info.x2 = static_cast<int32_t>(x1 + width);
    info.y2 = static_cast<int32_t>(y1 + height);
    info.blendX = static_cast<int32_t>(blendX);
    info.blendY = static_cast<int32_t>(blendY);
    info.destX = static_cast<int32_t>(destX);
    info.destY = static_cast<int32_t>(destY);

    GraphFilterParam param;
    if (!decodeArgs(info, a, srcW, srcH, &param)) return -1;

    info.source = source;
    info.destination = destination;
    if (ProgrammableShaderFlag == 1 &&
        (largerThanTexture(source) || largerThanTexture(destination) || (blendFlag && largerThanTexture(blendGraph))))
        return filterCellByCell(info, blendRatio, a, needed);
    info.passCount = 1;  // unless the set-up plans otherwise
    Graphics_Hardware_FilterPass_SelectSampling(&info, &param);
    int passSource = source, lastDest = destination, lastResult = 0;
    bool allRan = true;
    for (info.passIndex = 0; info.passIndex < info.passCount; ++info.passIndex) {
        info.source = passSource;
        info.destination = destination;
        int receiving = destination;
        if (Graphics_Hardware_FilterPass_Begin(&info, &passSource, &receiving) < 0 || !liveTarget(receiving)) {
            allRan = false;
            break;
        }
        info.source = passSource;
        info.destination = receiving;
        // In place, only the result is to remain of the rectangle. The software worker
        // clears after it has read its source.
        if (info.downScaleFlag && info.passIndex == 0 && source == destination && ProgrammableShaderFlag == 1)
            GraphFilter_ClearRect(destination, info.x1, info.y1, info.x2 - info.x1, info.y2 - info.y1);
        lastResult = runWorker(&info, param);
        lastDest = receiving;
        passSource = receiving;
    }
    Graphics_Hardware_FilterPass_End();
    // A device pass that could not draw answers failure, never success with the
    // destination as it was.
    const int copied = Graphics_Hardware_FilterPass_CopyResult(&info, lastDest, lastResult);
    return allRan && copied == 0 ? 0 : -1;
}

int GraphFilterBlendBase(int blendFlag, int source, int blendGraph, int destination, int blendRatio, int type,
                         int x1, int y1, int x2, int y2, int blendX, int blendY, int blendPosFlag, int destX,
                         int destY, va_list args) {
    // Only a known kind's own arguments are read.
    int count = 0;
    if (blendFlag)
        count = type == kGraphBlendRGBAMix ? 4 : 0;
    else if (static_cast<unsigned>(type) < kGraphFilterKindCount)
        count = kFilterArgCount[type];
    int a[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < count; ++i) a[i] = va_arg(args, int);
    return GraphFilterBlendWithArgs(blendFlag, source, blendGraph, destination, blendRatio, type, x1, y1, x2, y2,
                                    blendX, blendY, blendPosFlag, destX, destY, a, count);
}

namespace {
// The whole source graph, written at (0, 0) of the destination.
int filterWholeGraph(int source, int destination, int type, va_list args) {
    int width, height;
    if (GetGraphSize(source, &width, &height) != 0) return -1;
    return GraphFilterBlendBase(0, source, -1, destination, 0, type, 0, 0, width, height, 0, 0, 0, 0, 0, args);
}
}  // namespace

int GraphFilter(int graph, int type, ...) {
    va_list args;
    va_start(args, type);
    const int result = filterWholeGraph(graph, graph, type, args);
    va_end(args);
    return result;
}

int GraphFilterBlt(int source, int destination, int type, ...) {
    va_list args;
    va_start(args, type);
    const int result = filterWholeGraph(source, destination, type, args);
    va_end(args);
    return result;
}

int GraphFilterRectBlt(int source, int destination, int x1, int y1, int x2, int y2, int destX, int destY,
                       int type, ...) {
    va_list args;
    va_start(args, type);
    const int result = GraphFilterBlendBase(0, source, -1, destination, 0, type, x1, y1, x2, y2, 0, 0, 0, destX,
                                            destY, args);
    va_end(args);
    return result;
}

void GraphFilter_ClearRect(int graph, int x, int y, int width, int height) {
    BaseImage zero{};
    if (CreateARGB8ColorBaseImage(width, height, &zero) != 0) return;
    std::memset(zero.pixels, 0, static_cast<size_t>(zero.pitch) * height);
    const ImageRect rect{0, 0, width, height};
    BltBaseImageToGraph(&rect, x, y, graph, &zero, nullptr, 0, 0);
    ReleaseBaseImage(&zero);
}

int ResetGraphFilterShaderHandleTable() {
    std::memset(GraphFilterShaderHandleTable, 0xFF, sizeof GraphFilterShaderHandleTable);
    return 0;
}

int SetGraphFilterShaderHandle(int slot, int handle) {
    if (slot < 0 || slot >= kGraphFilterShaderSlots) return -1;
    GraphFilterShaderHandleTable[slot] = handle;
    return SetDeleteHandleFlag(handle, &GraphFilterShaderHandleTable[slot]);
}

}  // namespace ZaDod
