// Direct3D 11 filter passes: the pass plan, the choice of each pass's source and target
// (work screens where the destination cannot take the output), the final copy, the
// common quad, and the filter shaders loaded by name from the filter archive.
#include <cstring>
#include <vector>

#include "media/base/decode.h"
#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/file/archive.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/graph.h"
#include "media/graphics/shader.h"
#include "tools/shaderpack/shader_packages.h"

namespace ZaDod {

const char* const D3D11FilterNames[kFNCount] = {
    "Mono.pso", "Gauss_08Pixel_PS.pso", "Gauss_16Pixel_PS.pso", "Gauss_32Pixel_PS.pso", "DownScaleX2.pso",
    "DownScaleX4.pso", "DownScaleX8.pso", "BrightClipLess.pso", "BrightClipFillLess.pso", "BrightClipGreater.pso",
    "BrightClipFillGreater.pso", "BrightnessScale.pso", "Hsb_HSB_BASE.pso", "Hsb_HSB_HLOCK.pso", "Invert.pso",
    "Level.pso", "TwoColor.pso", "GradientMap.pso", "GradientMapRev.pso", "PremultipliedAlpha.pso",
    "InterpolatedAlpha.pso", "Y2uv2ToRgb.pso", "Y2uv1ToRgb.pso", "Y2uv2ToRgb_RRA.pso", "Y2uv1ToRgb_RRA.pso",
    "Bicubic.pso", "Lanczos3.pso", "BasBF_Normal.pso", "", "BasBF_Multiple.pso", "BasBF_Difference.pso",
    "BasBF_Add.pso", "BasBF_Screen.pso", "BasBF_Overlay.pso", "BasBF_Dodge.pso", "BasBF_Burn.pso",
    "BasBF_Darken.pso", "BasBF_Lighten.pso", "BasBF_SoftLight.pso", "BasBF_HardLight.pso", "BasBF_Exclusion.pso",
    "BasBF_Normal_AlphaCh.pso", "BasBF_Add_AlphaCh.pso", "BasBF_Multiple_AOnly.pso",
    "BasBF_PMA_Multiple_AOnly.pso", "RGBAMix_Base.pso", "R", "G", "B", "A"};

namespace {

using namespace plat::gpu;
using plat::win::RECT;

// The packages are unpacked once per process and kept for the run.
struct FilterPackages {
    bool archiveTried = false, archiveOpen = false;
    std::vector<uint8_t> archiveImage;
    Archive archive{};
    bool mixTried = false;
    std::vector<uint8_t> mix;
    const uint8_t* mixCode[kD3D11RGBAMixEntries] = {};
    int mixSize[kD3D11RGBAMixEntries] = {};
};
FilterPackages packages;

// Work screens by (colour kind, size exponent, slot); -1 = none. Deleting a work screen's
// graph puts its entry back to -1.
int32_t workScreens[2][16][2];
const bool workScreensFilled = [] {
    std::memset(workScreens, 0xFF, sizeof workScreens);
    return true;
}();

// The source and destination the running request named: the pass records carry each
// pass's own.
int runSource = -1, runDestination = -1;

bool unpack(char* blob, std::vector<uint8_t>& out) {
    if (DecodeTextPackedData(blob, blob) < 0) return false;
    const int size = DecompressLZ(blob, nullptr);
    if (size <= 0) return false;
    out.resize(size_t(size));
    DecompressLZ(blob, out.data());
    return true;
}

bool openArchive() {
    FilterPackages& p = packages;
    if (!p.archiveTried) {
        p.archiveTried = true;
        p.archiveOpen = unpack(D3D11ShaderFilterArchive, p.archiveImage) &&
                        ArchiveInitialize(&p.archive) == 0 &&
                        ArchiveOpenFromMemory(&p.archive, p.archiveImage.data(), p.archiveImage.size(), 0, 0,
                                              nullptr, u"D3D11Filter") == 0;
    }
    return p.archiveOpen;
}

bool openMixTable() {
    FilterPackages& p = packages;
    if (!p.mixTried) {
        p.mixTried = true;
        if (!unpack(D3D11ShaderRGBAMixPackage, p.mix) || p.mix.size() < size_t(kD3D11RGBAMixEntries) * 2) {
            p.mix.clear();
            return false;
        }
        size_t at = size_t(kD3D11RGBAMixEntries) * 2;
        for (int i = 0; i < kD3D11RGBAMixEntries; ++i) {
            const int size = p.mix[i * 2] | p.mix[i * 2 + 1] << 8;
            p.mixSize[i] = at + size_t(size) <= p.mix.size() ? size : 0;
            p.mixCode[i] = p.mixSize[i] != 0 ? p.mix.data() + at : nullptr;
            at += size_t(p.mixSize[i]);
        }
    }
    return !p.mix.empty();
}

void logShaderFailure(const char16_t* format, const char* name) {
    char16_t wide[64] = {};
    for (int i = 0; i < 63 && name[i] != '\0'; ++i) wide[i] = char16_t(static_cast<unsigned char>(name[i]));
    LogFormatUtf16(format, wide);
}

int sizeExponent(int size) {
    int e = 0;
    while ((1 << e) < size && e < 15) ++e;
    return e;
}

const GraphDrawPiece* firstPiece(int graph, GraphData** out = nullptr) {
    GraphData* g = GetGraphData(graph);
    if (out != nullptr) *out = g;
    if (g == nullptr || g->orig == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    if (D3D11_TileTexture(g->pieces[0].tile)->texture == nullptr) return nullptr;
    return &g->pieces[0];
}

bool drawable(int graph) {
    const GraphDrawPiece* p = firstPiece(graph);
    return p != nullptr && D3D11_TileTexture(p->tile)->targetView != nullptr;
}

// Draws every piece of a graph into a work screen at its place in the graph.
int assemble(int graph, int work) {
    GraphData* g = GetGraphData(graph);
    const GraphDrawPiece* w = firstPiece(work);
    if (g == nullptr || w == nullptr) return -1;
    const D3D11GraphTexture* target = D3D11_TileTexture(w->tile);
    for (int i = 0; i < g->pieceCount; ++i) {
        const GraphDrawPiece& p = g->pieces[i];
        const D3D11GraphTexture* t = D3D11_TileTexture(p.tile);
        if (t->texture == nullptr) return -1;
        const RECT src{p.tileX, p.tileY, p.tileX + p.width, p.tileY + p.height};
        const RECT dst{p.x, p.y, p.x + p.width, p.y + p.height};
        Graphics_D3D11_StretchRect(t->texture, t->view, &src, target->texture, target->targetView, &dst);
    }
    return 0;
}

}  // namespace

D3D11ConstantBuffer* Graphics_D3D11_GetFilterConstantBuffer() { return D3D11BuiltinConstantBuffers[kCBFilter]; }

void D3D11_SetFilterConstants(const float (*rows)[4], int count) {
    D3D11ConstantBuffer* b = Graphics_D3D11_GetFilterConstantBuffer();
    if (b == nullptr) return;
    const size_t bytes = std::min(size_t(count) * 16, size_t(b->size));
    std::memcpy(b->copy, rows, bytes);
    b->dirty = 1;
}

bool D3D11_GraphTextureSize(int graph, int* width, int* height) {
    const GraphDrawPiece* p = firstPiece(graph);
    if (p == nullptr) return false;
    *width = p->tile->textureWidth;
    *height = p->tile->textureHeight;
    return true;
}

int Graphics_D3D11_Filter_LoadShader(const char* name) {
    if (!openArchive()) return -1;
    uint64_t offset = 0, size = 0;
    if (ArchiveGetFileLocation(&packages.archive, 65001, name, &offset, &size) != 0 || size == 0) return -1;
    return LoadShaderFromMemBase(0, packages.archiveImage.data() + offset, int(size), 0, 0, 0);
}

int D3D11_FilterShader(int slot, const char* fileName) {
    int32_t* table = GraphFilterShaderHandleTable;
    if (GetShaderData(table[slot], 0) != nullptr) return table[slot];
    const int handle = Graphics_D3D11_Filter_LoadShader(fileName);
    if (handle < 0) {
        logShaderFailure(u"フィルター用シェーダーの作成に失敗しました %s", fileName);
        return -1;
    }
    SetGraphFilterShaderHandle(slot, handle);
    return handle;
}

int D3D11_FilterMixShader(int index) {
    const int slot = kD3D11MixIndexedSlot + index;
    int32_t* table = GraphFilterShaderHandleTable;
    if (GetShaderData(table[slot], 0) != nullptr) return table[slot];
    const int handle = openMixTable() && packages.mixCode[index] != nullptr
                           ? LoadShaderFromMemBase(0, packages.mixCode[index], packages.mixSize[index], 0, 0, 0)
                           : -1;
    if (handle < 0) {
        LogAddTextUtf16(u"RGBAMixS フィルター用シェーダーの作成に失敗しました\n");
        return -1;
    }
    SetGraphFilterShaderHandle(slot, handle);
    return handle;
}

int Graphics_D3D11_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot) {
    const int e = sizeExponent(std::max(width, height));
    int32_t& entry = workScreens[colorKind ? 1 : 0][e][slot ? 1 : 0];
    if (GetGraphData(entry) != nullptr) return entry;
    SetupGraphParam param{};
    InitSetupGraphParamDrawable(&param, 32, 1);
    const int handle = MakeGraphFromParam(&param, 1 << e, 1 << e, 0, 0, 0, 0);
    if (handle < 0) {
        LogFormatUtf16(u"作業用描画可能テクスチャの作成に失敗しました Size:%dx%d", 1 << e, 1 << e);
        return -1;
    }
    entry = handle;
    SetDeleteHandleFlag(handle, &entry);
    return handle;
}

int Graphics_D3D11_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam*) {
    const bool gauss = !info->blendFlag && info->kind == kGraphFilterGauss;
    info->passCount = gauss ? 2 : 1;
    info->workFlag = gauss || info->destX != info->x1 || info->destY != info->y1 ? 1 : 0;
    runSource = info->source;
    runDestination = info->destination;
    return 0;
}

int D3D11_FilterRunSource() { return runSource; }
int D3D11_FilterRunDestination() { return runDestination; }

void D3D11_CopyGraphIntoPassTarget(int graph, const GraphFilterInfo* info) {
    const GraphDrawPiece* from = firstPiece(graph);
    const GraphDrawPiece* to = firstPiece(info->destination);
    if (from == nullptr || to == nullptr || D3D11_TileTexture(to->tile)->targetView == nullptr) return;
    int x, y;
    D3D11_FilterPassOrigin(info, &x, &y);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;
    const RECT src{from->tileX + info->destX, from->tileY + info->destY, from->tileX + info->destX + w,
                   from->tileY + info->destY + h};
    const RECT dst{to->tileX + x, to->tileY + y, to->tileX + x + w, to->tileY + y + h};
    const D3D11GraphTexture* s = D3D11_TileTexture(from->tile);
    const D3D11GraphTexture* t = D3D11_TileTexture(to->tile);
    Graphics_D3D11_StretchRect(s->texture, s->view, &src, t->texture, t->targetView, &dst);
}

void D3D11_FilterPassOrigin(const GraphFilterInfo* info, int* x, int* y) {
    const bool last = info->passIndex >= info->passCount - 1;
    *x = last ? info->destX : info->x1;
    *y = last ? info->destY : info->y1;
}

int Graphics_D3D11_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle) {
    const int source = info->source, destination = info->destination;
    if (firstPiece(source) == nullptr) return -1;
    const bool direct = drawable(destination) && !(info->workFlag == 1 && source == destination);
    const bool sameParity = info->workFlag == 1 && (info->passIndex & 1) == (info->passCount & 1);
    const int targetSlot = !direct && !sameParity ? 1 : 0;
    GraphData* graph = GetGraphData(source);
    // A down-scale in place has its rectangle cleared before it draws: it reads a copy.
    const bool inPlaceDownScale = info->downScaleFlag && source == destination;
    const bool assembleSource =
        info->passIndex == 0 && (graph->pieceCount > 1 || graph->pieces[0].tileX != 0 ||
                                 graph->pieces[0].tileY != 0 || inPlaceDownScale);
    int width = 0, height = 0;
    if (assembleSource) {
        width = graph->area.width, height = graph->area.height;
    } else {
        D3D11_GraphTextureSize(source, &width, &height);
    }
    if (assembleSource) {
        const int work = Graphics_D3D11_Filter_CreateWorkScreen(0, width, height, 1 - targetSlot);
        if (work < 0 || assemble(source, work) < 0) return -1;
        *sourceHandle = work;
    }
    if (direct && !sameParity) {
        *destHandle = destination;
        return 0;
    }
    // The work screen holds where this pass draws.
    int x, y;
    D3D11_FilterPassOrigin(info, &x, &y);
    const int divisor = std::max(info->downScaleDivisor, 1);
    width = std::max(width, x + (info->x2 - info->x1) / divisor);
    height = std::max(height, y + (info->y2 - info->y1) / divisor);
    const int work = Graphics_D3D11_Filter_CreateWorkScreen(0, width, height, targetSlot);
    if (work < 0) return -1;
    *destHandle = work;
    return 0;
}

int Graphics_D3D11_FilterPass_CopyResult(GraphFilterInfo* info, int lastDest, int lastResult) {
    const int destination = runDestination;
    runSource = runDestination = -1;
    if (lastResult < 0 || lastDest == destination || destination < 0) return 0;
    const int divisor = std::max(info->downScaleDivisor, 1);
    const ImageRect rect{info->destX, info->destY, info->destX + (info->x2 - info->x1) / divisor,
                         info->destY + (info->y2 - info->y1) / divisor};
    Graphics_D3D11_CopyGraphRectToGraph(&rect, lastDest, destination, info->destX, info->destY);
    return 0;
}

int Graphics_D3D11_FilterPass_DrawQuad(int shaderHandle, GraphFilterInfo* info, int linear, int divisor,
                                       int extraGraph, const D3D11StretchVertex8* custom) {
    const GraphDrawPiece* sp = firstPiece(info->source);
    GraphData* targetGraph = nullptr;
    const GraphDrawPiece* tp = firstPiece(info->destination, &targetGraph);
    if (sp == nullptr || tp == nullptr || D3D11_TileTexture(tp->tile)->targetView == nullptr) return -1;
    const ShaderHandleData* shader = GetShaderData(shaderHandle, 0);
    if (shader == nullptr || shader->deviceObject == nullptr || shader->vertexFlag) return -1;
    const D3D11GraphTexture* s = D3D11_TileTexture(sp->tile);
    const D3D11GraphTexture* t = D3D11_TileTexture(tp->tile);
    divisor = std::max(divisor, 1);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;
    const RECT srcRect{sp->tileX + info->x1, sp->tileY + info->y1, sp->tileX + info->x2, sp->tileY + info->y2};
    int x, y;
    D3D11_FilterPassOrigin(info, &x, &y);
    const RECT dstRect{tp->tileX + x, tp->tileY + y, tp->tileX + x + w / divisor, tp->tileY + y + h / divisor};

    const int secondGraph = info->blendFlag ? info->blendGraph : extraGraph;
    const D3D11GraphTexture* second = nullptr;
    RECT secondRect{};
    if (secondGraph >= 0) {
        const GraphDrawPiece* bp = firstPiece(secondGraph);
        if (bp == nullptr) return -1;
        second = D3D11_TileTexture(bp->tile);
        secondRect = info->blendFlag && info->blendPosFlag
                         ? RECT{bp->tileX + info->blendX, bp->tileY + info->blendY, bp->tileX + info->blendX + w,
                                bp->tileY + info->blendY + h}
                         : RECT{bp->tileX, bp->tileY, bp->tileX + bp->width, bp->tileY + bp->height};
    }
    Graphics_D3D11_ConstantBuffer_Update(Graphics_D3D11_GetFilterConstantBuffer());
    return Graphics_D3D11_StretchRect(s->texture, s->view, &srcRect, t->texture, t->targetView, &dstRect, linear, 0,
                                      nullptr, static_cast<ID3D11PixelShader*>(shader->deviceObject),
                                      second != nullptr ? second->texture : nullptr,
                                      second != nullptr ? second->view : nullptr,
                                      second != nullptr ? &secondRect : nullptr, custom);
}

}  // namespace ZaDod
