// Direct3D 11 filter passes: the device steps the shared pass plan and workers draw
// through (the common quad, copies between graphs, piece assembly), the filter constant
// buffer, and the filter shaders loaded by name from the filter archive.
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

const GraphDrawPiece* firstPiece(int graph, GraphData** out = nullptr) {
    GraphData* g = GetGraphData(graph);
    if (out != nullptr) *out = g;
    if (g == nullptr || g->orig == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    if (D3D11_TileTexture(g->pieces[0].tile)->texture == nullptr) return nullptr;
    return &g->pieces[0];
}

// What a pass draws into a graph through: a drawable graph's target view, or the pass view
// of a picture of one piece (a cell cut from a picture of several tiles is one).
ID3D11RenderTargetView* passTarget(const GraphDrawPiece* p) {
    const D3D11GraphTexture* t = D3D11_TileTexture(p->tile);
    return t->targetView != nullptr ? t->targetView : t->passView;
}

bool drawable(int graph) {
    GraphData* g = nullptr;
    const GraphDrawPiece* p = firstPiece(graph, &g);
    if (p == nullptr) return false;
    return D3D11_TileTexture(p->tile)->targetView != nullptr ||
           (g->pieceCount == 1 && passTarget(p) != nullptr);
}

// Draws every piece of a graph into a work screen at its place in the graph.
int assemble(int graph, int work) {
    GraphData* g = GetGraphData(graph);
    const GraphDrawPiece* w = firstPiece(work);
    if (g == nullptr || w == nullptr) return -1;
    const D3D11GraphTexture* target = D3D11_TileTexture(w->tile);
    D3D11_ResolveGraph(g->orig);
    for (int i = 0; i < g->pieceCount; ++i) {
        const GraphDrawPiece& p = g->pieces[i];
        const D3D11GraphTexture* t = D3D11_TileTexture(p.tile);
        if (t->texture == nullptr) return -1;
        const RECT src{p.tileX, p.tileY, p.tileX + p.width, p.tileY + p.height};
        const RECT dst{p.x, p.y, p.x + p.width, p.y + p.height};
        Graphics_D3D11_StretchRect(t->texture, t->view, &src, D3D11_TileDrawTexture(target), target->targetView, &dst);
    }
    return D3D11_ResolveGraph(GetGraphData(work)->orig);
}

void setRows(const float (*rows)[4], int count) {
    D3D11ConstantBuffer* b = Graphics_D3D11_GetFilterConstantBuffer();
    if (b == nullptr) return;
    const size_t bytes = std::min(size_t(count) * 16, size_t(b->size));
    std::memcpy(b->copy, rows, bytes);
    b->dirty = 1;
}

bool textureSize(int graph, int* width, int* height) {
    const GraphDrawPiece* p = firstPiece(graph);
    if (p == nullptr) return false;
    *width = p->tile->textureWidth;
    *height = p->tile->textureHeight;
    return true;
}

const void* mixCode(int index, int* size) {
    if (!openMixTable() || index < 0 || index >= kD3D11RGBAMixEntries) return nullptr;
    *size = packages.mixSize[index];
    return packages.mixCode[index];
}

int copyRect(int fromGraph, int x1, int y1, int x2, int y2, int toGraph, int dx1, int dy1, int dx2, int dy2) {
    const GraphDrawPiece* from = firstPiece(fromGraph);
    const GraphDrawPiece* to = firstPiece(toGraph);
    if (from == nullptr || to == nullptr || passTarget(to) == nullptr) return -1;
    const RECT src{from->tileX + x1, from->tileY + y1, from->tileX + x2, from->tileY + y2};
    const RECT dst{to->tileX + dx1, to->tileY + dy1, to->tileX + dx2, to->tileY + dy2};
    const D3D11GraphTexture* s = D3D11_TileTexture(from->tile);
    const D3D11GraphTexture* t = D3D11_TileTexture(to->tile);
    D3D11_ResolveGraph(GetGraphData(fromGraph)->orig);
    if (Graphics_D3D11_StretchRect(s->texture, s->view, &src, D3D11_TileDrawTexture(t), passTarget(to), &dst) < 0)
        return -1;
    return D3D11_ResolveGraph(GetGraphData(toGraph)->orig);
}

int copyResult(const ImageRect* rect, int fromGraph, int toGraph) {
    return Graphics_D3D11_CopyGraphRectToGraph(rect, fromGraph, toGraph, rect->left, rect->top);
}

int drawQuad(int shaderHandle, GraphFilterInfo* info, int linear, int divisor, int extraGraph,
             const HwFilterVertex8* custom) {
    const GraphDrawPiece* sp = firstPiece(info->source);
    GraphData* targetGraph = nullptr;
    const GraphDrawPiece* tp = firstPiece(info->destination, &targetGraph);
    if (sp == nullptr || tp == nullptr || passTarget(tp) == nullptr) return -1;
    const ShaderHandleData* shader = GetShaderData(shaderHandle, 0);
    if (shader == nullptr || shader->deviceObject == nullptr || shader->vertexFlag) return -1;
    const D3D11GraphTexture* s = D3D11_TileTexture(sp->tile);
    const D3D11GraphTexture* t = D3D11_TileTexture(tp->tile);
    divisor = std::max(divisor, 1);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;
    const RECT srcRect{sp->tileX + info->x1, sp->tileY + info->y1, sp->tileX + info->x2, sp->tileY + info->y2};
    int x, y;
    HwFilterPassOrigin(info, &x, &y);
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
    D3D11StretchVertex8 quad[4];
    if (custom != nullptr)
        for (int i = 0; i < 4; ++i) {
            quad[i].x = custom[i].x, quad[i].y = custom[i].y;
            std::memcpy(quad[i].uv, custom[i].uv, sizeof quad[i].uv);
        }
    Graphics_D3D11_ConstantBuffer_Update(Graphics_D3D11_GetFilterConstantBuffer());
    // Passes read textures: multisampled sources are resolved first, and a multisampled
    // destination, drawn through its sample view, is resolved after.
    D3D11_ResolveGraph(GetGraphData(info->source)->orig);
    if (secondGraph >= 0) D3D11_ResolveGraph(GetGraphData(secondGraph)->orig);
    const int drawn = Graphics_D3D11_StretchRect(
        s->texture, s->view, &srcRect, D3D11_TileDrawTexture(t), passTarget(tp), &dstRect, linear, 0, nullptr,
        static_cast<ID3D11PixelShader*>(shader->deviceObject), second != nullptr ? second->texture : nullptr,
        second != nullptr ? second->view : nullptr, second != nullptr ? &secondRect : nullptr,
        custom != nullptr ? quad : nullptr);
    if (drawn >= 0) D3D11_ResolveGraph(targetGraph->orig);
    return drawn;
}

}  // namespace

const HwFilterDevice D3D11FilterDevice = {
    Graphics_D3D11_Filter_LoadShader, mixCode, setRows, nullptr, drawQuad, textureSize, drawable, assemble,
    copyRect, copyResult, 0};

D3D11ConstantBuffer* Graphics_D3D11_GetFilterConstantBuffer() { return D3D11BuiltinConstantBuffers[kCBFilter]; }

int Graphics_D3D11_Filter_LoadShader(const char* name) {
    if (!openArchive()) return -1;
    uint64_t offset = 0, size = 0;
    if (ArchiveGetFileLocation(&packages.archive, 65001, name, &offset, &size) != 0 || size == 0) return -1;
    return LoadShaderFromMemBase(0, packages.archiveImage.data() + offset, int(size), 0, 0, 0);
}

int Graphics_D3D11_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot) {
    return HwFilter_CreateWorkScreen(colorKind, width, height, slot);
}

int Graphics_D3D11_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam* param) {
    return HwFilterPass_SelectSampling(D3D11FilterDevice, info, param, false);
}

int Graphics_D3D11_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle) {
    return HwFilterPass_Begin(D3D11FilterDevice, info, sourceHandle, destHandle);
}

int Graphics_D3D11_FilterPass_CopyResult(GraphFilterInfo* info, int lastDest, int lastResult) {
    return HwFilterPass_CopyResult(D3D11FilterDevice, info, lastDest, lastResult);
}

}  // namespace ZaDod
