// Direct3D 9 filter passes: the device steps the shared pass plan and workers draw
// through (the common quad with the pass's pixel shader and its constants in use set 1,
// copies between graphs, piece assembly), the filter shaders loaded by name from the
// filter archive, and the pass entries of the operation table.
#include <algorithm>
#include <cstring>

#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/graph.h"
#include "media/graphics/shader.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

const GraphDrawPiece* firstPiece(int graph) {
    GraphData* g = GetGraphData(graph);
    if (g == nullptr || g->orig == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    if (D3D9_TileTexture(g->pieces[0].tile)->texture == nullptr) return nullptr;
    return &g->pieces[0];
}

IDirect3DBaseTexture9* textureOf(const GraphDrawPiece* p) {
    return reinterpret_cast<IDirect3DBaseTexture9*>(D3D9_TileTexture(p->tile)->texture);
}

bool drawable(int graph) {
    const GraphDrawPiece* p = firstPiece(graph);
    return p != nullptr && D3D9_TileTexture(p->tile)->surface != nullptr;
}

bool textureSize(int graph, int* width, int* height) {
    const GraphDrawPiece* p = firstPiece(graph);
    if (p == nullptr) return false;
    *width = p->tile->textureWidth;
    *height = p->tile->textureHeight;
    return true;
}

int assemble(int graph, int work) {
    GraphData* g = GetGraphData(graph);
    const GraphDrawPiece* w = firstPiece(work);
    if (g == nullptr || w == nullptr || D3D9_TileTexture(w->tile)->surface == nullptr) return -1;
    for (int i = 0; i < g->pieceCount; ++i) {
        const GraphDrawPiece& p = g->pieces[i];
        if (D3D9_TileTexture(p.tile)->texture == nullptr) return -1;
        if (D3D9_CopyTexels(textureOf(&p), p.tile->textureWidth, p.tile->textureHeight, p.tileX, p.tileY,
                            p.tileX + p.width, p.tileY + p.height, D3D9_TileTexture(w->tile)->surface, p.x, p.y,
                            p.x + p.width, p.y + p.height) < 0)
            return -1;
    }
    return 0;
}

int copyRect(int fromGraph, int x1, int y1, int x2, int y2, int toGraph, int dx1, int dy1, int dx2, int dy2) {
    const GraphDrawPiece* from = firstPiece(fromGraph);
    const GraphDrawPiece* to = firstPiece(toGraph);
    if (from == nullptr || to == nullptr || D3D9_TileTexture(to->tile)->surface == nullptr) return -1;
    if (D3D9_ResolveGraph(GetGraphData(fromGraph)->orig) < 0) return -1;
    if (D3D9_CopyTexels(textureOf(from), from->tile->textureWidth, from->tile->textureHeight, from->tileX + x1,
                        from->tileY + y1, from->tileX + x2, from->tileY + y2, D3D9_TileTexture(to->tile)->surface,
                        to->tileX + dx1, to->tileY + dy1, to->tileX + dx2, to->tileY + dy2) < 0)
        return -1;
    return D3D9_SpreadGraph(GetGraphData(toGraph)->orig);
}

int copyResult(const ImageRect* rect, int fromGraph, int toGraph) {
    return Graphics_D3D9_CopyGraphRectToGraph(rect, fromGraph, toGraph, rect->left, rect->top);
}

const void* mixCode(int index, int* size) {
    const D3D9Packages& p = D3D9PackageSys;
    if (!p.loaded || index < 0 || index >= 256) return nullptr;
    *size = p.mixSize[index];
    return p.mixCode[index];
}

// The filter constants live in use set 1 while a pass runs; the sets active before come
// back with the clear.
int savedUseSets = -1;

void setRows(const float (*rows)[4], int count) {
    D3D9ShaderConstants& m = D3D9ShaderConstantSys;
    if (savedUseSets < 0) savedUseSets = m.activeMask;
    Graphics_D3D9_ShaderConstant_ApplyUseSets(&m, m.activeMask | 3);
    Graphics_D3D9_ShaderConstant_Set(&m, kD3D9PSFloat, 1, 0, rows, count, 1);
}

void clearRows(int count) {
    D3D9ShaderConstants& m = D3D9ShaderConstantSys;
    Graphics_D3D9_ShaderConstant_ResetArea(&m, kD3D9PSFloat, 1, 0, count);
    if (savedUseSets >= 0) Graphics_D3D9_ShaderConstant_ApplyUseSets(&m, savedUseSets);
    savedUseSets = -1;
}

// The copies' vertices: position, then the source's coordinates twice.
struct PassVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};
constexpr uint32_t kFvfPass = 0x004 | 0x200;  // XYZRHW | TEX2

int drawQuadResolved(int shaderHandle, GraphFilterInfo* info, int linear, int divisor, int extraGraph,
                     const HwFilterVertex8* custom, const GraphDrawPiece* sp, const GraphDrawPiece* tp);

int drawQuad(int shaderHandle, GraphFilterInfo* info, int linear, int divisor, int extraGraph,
             const HwFilterVertex8* custom) {
    const GraphDrawPiece* sp = firstPiece(info->source);
    const GraphDrawPiece* tp = firstPiece(info->destination);
    if (sp == nullptr || tp == nullptr || D3D9_TileTexture(tp->tile)->surface == nullptr) return -1;
    // A pass reads the texture and writes the texture: a multisampled source is resolved
    // first, a multisampled destination takes the result into its samples after.
    if (D3D9_ResolveGraph(GetGraphData(info->source)->orig) < 0) return -1;
    // The pass's shader is selected as a user's would be, with the user's own settings
    // kept aside for the pass.
    Graphics_D3D9_FilterPass_SaveUserShaders();
    int drawn = -1;
    if (SetUsePixelShader(shaderHandle) == 0 && shaderHandle > 0)
        drawn = drawQuadResolved(shaderHandle, info, linear, divisor, extraGraph, custom, sp, tp);
    Graphics_D3D9_FilterPass_RestoreUserShaders();
    if (drawn >= 0 && D3D9_SpreadGraph(GetGraphData(info->destination)->orig) < 0) return -1;
    return drawn;
}

int drawQuadResolved(int shaderHandle, GraphFilterInfo* info, int linear, int divisor, int extraGraph,
                     const HwFilterVertex8* custom, const GraphDrawPiece* sp, const GraphDrawPiece* tp) {
    const ShaderHandleData* shader = GetShaderData(shaderHandle, 0);
    if (shader == nullptr || shader->deviceObject == nullptr || shader->vertexFlag) return -1;
    D3D9FilterQuad pass{};
    pass.target = D3D9_TileTexture(tp->tile)->surface;
    pass.source = info->source;
    pass.second = -1;
    pass.linear = linear;
    const float tw = float(sp->tile->textureWidth), th = float(sp->tile->textureHeight);
    divisor = std::max(divisor, 1);
    const int w = info->x2 - info->x1, h = info->y2 - info->y1;

    // The blend graph (or the worker's table graph) at its position, else its own piece.
    float su[2] = {0, 0}, sv[2] = {0, 0};
    const int secondGraph = info->blendFlag ? info->blendGraph : extraGraph;
    if (secondGraph >= 0) {
        const GraphDrawPiece* bp = firstPiece(secondGraph);
        if (bp == nullptr) return -1;
        pass.second = secondGraph;
        const float btw = float(bp->tile->textureWidth), bth = float(bp->tile->textureHeight);
        const bool at = info->blendFlag && info->blendPosFlag;
        const int bx = bp->tileX + (at ? info->blendX : 0), by = bp->tileY + (at ? info->blendY : 0);
        su[0] = float(bx) / btw, su[1] = float(bx + (at ? w : bp->width)) / btw;
        sv[0] = float(by) / bth, sv[1] = float(by + (at ? h : bp->height)) / bth;
    }
    D3D9FilterVertex quad[4] = {};
    for (D3D9FilterVertex& v : quad) v.rhw = 1.0f, v.diffuse = 0xFFFFFFFFu;
    pass.vertices = quad;
    if (custom != nullptr) {
        for (int i = 0; i < 4; ++i) {
            quad[i].x = float(tp->tileX) + custom[i].x - 0.5f, quad[i].y = float(tp->tileY) + custom[i].y - 0.5f;
            std::memcpy(quad[i].uv, custom[i].uv, sizeof quad[i].uv);
        }
        return Graphics_D3D9_FilterPass_DrawQuad(pass);
    }
    int x, y;
    HwFilterPassOrigin(info, &x, &y);
    x += tp->tileX, y += tp->tileY;
    const float l = float(x) - 0.5f, t = float(y) - 0.5f;
    const float r = l + float(w / divisor), b = t + float(h / divisor);
    const float u[2] = {float(sp->tileX + info->x1) / tw, float(sp->tileX + info->x2) / tw};
    const float v[2] = {float(sp->tileY + info->y1) / th, float(sp->tileY + info->y2) / th};
    for (int i = 0; i < 4; ++i) {
        const int cx = i & 1, cy = i >> 1;
        quad[i].x = cx ? r : l, quad[i].y = cy ? b : t;
        quad[i].uv[0][0] = u[cx], quad[i].uv[0][1] = v[cy];
        quad[i].uv[1][0] = su[cx], quad[i].uv[1][1] = sv[cy];
    }
    return Graphics_D3D9_FilterPass_DrawQuad(pass);
}

}  // namespace

const HwFilterDevice D3D9FilterDevice = {Graphics_D3D9_Filter_LoadShader,
                                         mixCode,
                                         setRows,
                                         clearRows,
                                         drawQuad,
                                         textureSize,
                                         drawable,
                                         assemble,
                                         copyRect,
                                         copyResult,
                                         1};

int D3D9_CopyTexels(IDirect3DBaseTexture9* texture, int tw, int th, int x1, int y1, int x2, int y2,
                    IDirect3DSurface9* target, int dx1, int dy1, int dx2, int dy2, const D3D9UserBlendInfo* blend) {
    if (texture == nullptr || target == nullptr || tw < 1 || th < 1) return -1;
    const float l = float(dx1) - 0.5f, t = float(dy1) - 0.5f, r = float(dx2) - 0.5f, b = float(dy2) - 0.5f;
    const float u0 = float(x1) / float(tw), u1 = float(x2) / float(tw);
    const float v0 = float(y1) / float(th), v1 = float(y2) / float(th);
    const PassVertex quad[4] = {{l, t, 0, 1, u0, v0, u0, v0},
                                {r, t, 0, 1, u1, v0, u1, v0},
                                {l, b, 0, 1, u0, v1, u0, v1},
                                {r, b, 0, 1, u1, v1, u1, v1}};
    D3D9PassDraw pass{};
    pass.target = target;
    pass.first = texture;
    pass.blend = blend;
    pass.fvf = kFvfPass, pass.stride = sizeof(PassVertex), pass.vertices = quad;
    return D3D9_DrawPass(pass);
}

int Graphics_D3D9_Filter_LoadShader(const char* name) {
    D3D9Packages& p = D3D9PackageSys;
    if (!p.loaded && !Graphics_D3D9_ShaderCode_LoadPackage()) return -1;
    uint64_t offset = 0, size = 0;
    if (ArchiveGetFileLocation(&p.filterArchive, 65001, name, &offset, &size) != 0 || size == 0) return -1;
    return LoadShaderFromMemBase(0, p.filter + offset, int(size), 0, 0, 0);
}

int Graphics_D3D9_Filter_CreateWorkScreen(int colorKind, int width, int height, int slot) {
    return HwFilter_CreateWorkScreen(colorKind, width, height, slot);
}

// Without programmable shaders the software workers run and every pass writes the
// destination itself.
int Graphics_D3D9_FilterPass_SelectSampling(GraphFilterInfo* info, const GraphFilterParam* param) {
    if (ProgrammableShaderFlag != 1) {
        info->passCount = 1;
        info->workFlag = 1;
        return 0;
    }
    return HwFilterPass_SelectSampling(D3D9FilterDevice, info, param, true);
}

int Graphics_D3D9_FilterPass_Begin(GraphFilterInfo* info, int* sourceHandle, int* destHandle) {
    if (ProgrammableShaderFlag != 1) {
        *destHandle = info->destination;
        return 0;
    }
    return HwFilterPass_Begin(D3D9FilterDevice, info, sourceHandle, destHandle);
}

int Graphics_D3D9_FilterPass_End() { return 0; }

int Graphics_D3D9_FilterPass_CopyResult(GraphFilterInfo* info, int lastDest, int lastResult) {
    if (ProgrammableShaderFlag != 1) return 0;
    return HwFilterPass_CopyResult(D3D9FilterDevice, info, lastDest, lastResult);
}

}  // namespace ZaDod
