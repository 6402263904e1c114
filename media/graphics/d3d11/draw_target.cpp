// Direct3D 11 draw targets: drawable graphs as render targets, the screen again, the
// target's alpha flag, and copies of a graph's or the screen's rectangle into a graph.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_shadow_map.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/pixel_read.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// The texture that holds the whole of rect (graph coordinates) of a graph, with rect moved
// into it; null when the rectangle spans tiles.
const D3D11GraphTexture* tileHolding(const GraphData* graph, ImageRect* rect) {
    const GraphTextureTile* tile = TileHoldingRect(graph, rect);
    return tile != nullptr ? D3D11_TileTexture(tile) : nullptr;
}

// Copies rect of a tile texture straight into the destination's texture when the upload
// would store the same bytes: both 8-bit RGBA, one level of one face, the rectangle inside
// the destination and one of its tiles, with no edge padding to repeat. False when the
// copy must go through the read-back and the upload.
bool copyTexels(const GraphOrigData* srcOrig, ID3D11Texture2D* source, const ImageRect& rect, int destGraph, int destX,
                int destY) {
    const GraphData* dest = GetGraphData(destGraph, 1);
    if (dest == nullptr || dest->orig == nullptr) return false;
    const GraphOrigData* orig = dest->orig;
    if (D3D11_GraphFormat(srcOrig) != DXGI_FORMAT_R8G8B8A8_UNORM ||
        D3D11_GraphFormat(orig) != DXGI_FORMAT_R8G8B8A8_UNORM || D3D11_GraphMipLevels(orig) != 1 ||
        D3D11_GraphFaces(orig) != 1)
        return false;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w < 1 || h < 1 || destX < 0 || destY < 0 || destX + w > dest->area.width || destY + h > dest->area.height)
        return false;
    ImageRect at{destX, destY, destX + w, destY + h};
    const GraphTextureTile* tile = TileHoldingRect(dest, &at);
    const D3D11GraphTexture* target = tile != nullptr ? D3D11_TileTexture(tile) : nullptr;
    if (target == nullptr || target->texture == source) return false;
    if ((at.right == tile->usedWidth && tile->usedWidth < tile->textureWidth) ||
        (at.bottom == tile->usedHeight && tile->usedHeight < tile->textureHeight))
        return false;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const D3D11_BOX box{UINT(rect.left), UINT(rect.top), 0, UINT(rect.right), UINT(rect.bottom), 1};
    D3D11DeviceContext_CopySubresourceRegion(target->texture, 0, UINT(at.left), UINT(at.top), source, 0, &box);
    // A multisampled graph draws on from its samples, so they take the new pixels too.
    if (orig->request.drawable) D3D11_SpreadGraph(orig);
    return true;
}

// A texture cannot be read while it is drawn into.
void unbindTexture(ID3D11Texture2D* texture) {
    if (D3D11State.texture == texture) Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
}

// A drawable graph's first tile (texture and target view); null for anything else, and for
// a graph of several tiles unless `tiles` (the draw target takes those, tile by tile).
const D3D11GraphTexture* targetTextureOf(int handle, bool tiles = false) {
    const GraphData* graph = GetGraphData(handle, 1);
    if (graph == nullptr || graph->orig == nullptr) return nullptr;
    const GraphOrigData* orig = graph->orig;
    if (!orig->request.drawable || orig->tileCount < 1 || (orig->tileCount > 1 && !tiles)) return nullptr;
    for (int i = 0; i < orig->tileCount; ++i)
        if (D3D11_TileTexture(&orig->tiles[i])->targetView == nullptr) return nullptr;
    return D3D11_TileTexture(&orig->tiles[0]);
}

// Per render-target slot, the multisampled texture bound there and the texture its
// resolve goes to when the slot changes.
struct PendingResolve {
    ID3D11Texture2D* multisample;
    ID3D11Texture2D* to;
};
PendingResolve pending[8] = {};

void resolveSlot(int slot) {
    const PendingResolve p = pending[slot];
    pending[slot] = PendingResolve{};
    if (p.multisample == nullptr || p.to == nullptr || !D3D11Device_IsValid()) return;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11_TEXTURE2D_DESC desc{};
    D3D11Texture2D_GetDesc(p.to, &desc);
    D3D11DeviceContext_ResolveSubresource(p.to, 0, p.multisample, 0, desc.Format);
}

}  // namespace

namespace {
// A rectangle across tiles of a graph is copied as the parts each tile holds.
int copyTileByTile(const ImageRect& rect, const GraphData* src, int destGraph, int destX, int destY) {
    const bool whole = ForEachTilePart<ImageRect>(
        src->orig, rect.left + src->area.x, rect.top + src->area.y, rect.right - rect.left, rect.bottom - rect.top,
        [&](const GraphTextureTile& t, const ImageRect& p, int dx, int dy) {
            const int x = t.x - src->area.x, y = t.y - src->area.y;
            const ImageRect part{p.left + x, p.top + y, p.right + x, p.bottom + y};
            return Graphics_D3D11_CopyGraphRectToGraph(&part, src->header.Handle, destGraph, destX + dx,
                                                       destY + dy) >= 0;
        });
    return whole ? 0 : -1;
}
}  // namespace

int D3D11_BindTargetSlot(int slot, const D3D11GraphTexture* t, ID3D11Texture2D* texture,
                         ID3D11RenderTargetView* view) {
    if (slot < 0 || slot >= 8) return -1;
    resolveSlot(slot);
    if (Graphics_D3D11_DeviceState_SetRenderTarget(texture, view, slot) < 0) return -1;
    if (t != nullptr && t->msTexture != nullptr && texture == t->msTexture)
        pending[slot] = PendingResolve{t->msTexture, t->texture};
    return 0;
}

void D3D11_ForgetResolve(ID3D11Texture2D* msTexture) {
    for (PendingResolve& p : pending)
        if (p.multisample == msTexture) p = PendingResolve{};
}

int Graphics_D3D11_BindScreenTarget() {
    const D3D11Backend& b = D3D11BackendSys;
    const D3D11SwapChain& chain = D3D11SwapChainSys.slots[0];
    if (b.subBackBuffer != nullptr) return D3D11_BindTargetSlot(0, nullptr, b.subBackBuffer, b.subBackBufferRtv);
    return D3D11_BindTargetSlot(0, nullptr, chain.backBuffer, chain.rtv);
}

int Graphics_D3D11_SetDrawTarget(int /*handle*/, int /*oldSurface*/, GraphData* newGraph, GraphData* /*oldGraph*/,
                                 ShadowMapData* newShadowMap, ShadowMapData* /*oldShadowMap*/) {
    if (!D3D11Device_IsValid()) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    // The slot resolves a multisampled first tile; the other tiles' samples reach their
    // textures here.
    if (const GraphOrigData* was = D3D11_TiledTarget(); was != nullptr) D3D11_ResolveGraph(was);
    D3D11_SetTiledTarget(nullptr);
    if (newShadowMap != nullptr) {
        // A map gets its objects when it is first drawn into.
        if (Graphics_D3D11_ShadowMap_CreateTexture(newShadowMap, 0) < 0) return -1;
        const D3D11ShadowMapTexture* t = D3D11_ShadowMapTexture(newShadowMap);
        unbindTexture(t->texture);
        Graphics_D3D11_DeviceState_SetDepthBuffer(nullptr, nullptr);
        if (D3D11_BindTargetSlot(0, nullptr, t->texture, t->targetView) < 0) return -1;
        return Graphics_D3D11_BindDepthBufferForDrawTarget();
    }
    if (newGraph == nullptr) {
        Graphics_D3D11_BindScreenTarget();
        return Graphics_D3D11_BindDepthBufferForDrawTarget();
    }
    const D3D11GraphTexture* t = targetTextureOf(newGraph->header.Handle, true);
    if (t == nullptr) return -1;
    const GraphOrigData* orig = newGraph->orig;
    for (int i = 0; i < orig->tileCount; ++i) unbindTexture(D3D11_TileTexture(&orig->tiles[i])->texture);
    // Unbinding the screen's depth buffer first keeps targets of other sizes bindable.
    Graphics_D3D11_DeviceState_SetDepthBuffer(nullptr, nullptr);
    // The previous target's samples reach its texture as it stops being drawn into.
    if (D3D11_BindTargetSlot(0, t, D3D11_TileDrawTexture(t), t->targetView) < 0) return -1;
    // A graph of several tiles keeps its first bound; draws and clears reach the others.
    D3D11_SetTiledTarget(orig);
    return Graphics_D3D11_BindDepthBufferForDrawTarget();
}

// Slots 1..7 take drawable one-tile graphs beside the draw target; a negative handle
// empties the slot. A graph holds one surface, a drawable cube map six (its faces); slot
// 0 takes another face of a cube map (the front sends surface 0 there as a draw-target
// change).
int Graphics_D3D11_SetRenderTarget(int slot, int graph, int surfaceIndex) {
    if (!D3D11Device_IsValid() || slot < 0 || slot >= 8) return -1;
    if (graph < 0) {
        if (slot == 0) return -1;
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        return D3D11_BindTargetSlot(slot, nullptr, nullptr, nullptr);
    }
    const D3D11GraphTexture* t = targetTextureOf(graph);
    ID3D11RenderTargetView* view = t != nullptr ? D3D11_SurfaceTargetView(t, surfaceIndex) : nullptr;
    if (view == nullptr) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    unbindTexture(t->texture);
    if (slot != 0) return D3D11_BindTargetSlot(slot, t, D3D11_TileDrawTexture(t), view);
    Graphics_D3D11_DeviceState_SetDepthBuffer(nullptr, nullptr);
    if (D3D11_BindTargetSlot(0, t, D3D11_TileDrawTexture(t), view) < 0) return -1;
    return Graphics_D3D11_BindDepthBufferForDrawTarget();
}

// The screen's depth buffer goes with the screen, a shadow map's with the map and a
// graph's own with the graph; other graph targets draw without one.
int Graphics_D3D11_BindDepthBufferForDrawTarget() {
    if (!D3D11Device_IsValid()) return -1;
    const D3D11Backend& b = D3D11BackendSys;
    const D3D11SwapChain& chain = D3D11SwapChainSys.slots[0];
    ID3D11Texture2D* target = D3D11State.targetTexture[0];
    if (const D3D11ShadowMapTexture* map = D3D11_ShadowMapTexture(GetShadowMapData(GraphicsDrawSettings.targets[0].handle));
        map != nullptr && map->texture == target)
        return Graphics_D3D11_DeviceState_SetDepthBuffer(map->depthTexture, map->depthView);
    if (const D3D11GraphTexture* t = targetTextureOf(GraphicsDrawSettings.targets[0].handle, true);
        t != nullptr && D3D11_TileDrawTexture(t) == target && t->depthView != nullptr)
        return Graphics_D3D11_DeviceState_SetDepthBuffer(t->depthTexture, t->depthView);
    const bool screen = target != nullptr && (target == b.subBackBuffer || target == chain.backBuffer);
    return screen ? Graphics_D3D11_DeviceState_SetDepthBuffer(b.depthTexture, b.depthView)
                  : Graphics_D3D11_DeviceState_SetDepthBuffer(nullptr, nullptr);
}

int Graphics_D3D11_RefreshDrawTargetAlphaFlag() {
    const GraphData* graph = GetGraphData(GraphicsDrawSettings.targets[0].handle, 1);
    const int alpha = graph != nullptr && graph->orig != nullptr && graph->orig->request.alphaChannel ? 1 : 0;
    if (alpha != D3D11DrawTargetHasAlpha) {
        Graphics_D3D11_FlushVertexBatch(-1, 0);
        D3D11DrawTargetHasAlpha = alpha;
        D3D11State.keyChanged = 1;
    }
    return 0;
}

int Graphics_D3D11_CopyGraphRectToGraph(const ImageRect* srcRect, int srcGraph, int destGraph, int destX, int destY) {
    if (srcRect == nullptr || !D3D11Device_IsValid()) return -1;
    ImageRect rect = *srcRect;
    ID3D11Texture2D* source = nullptr;
    if (const GraphData* src = GetGraphData(srcGraph, 1); src != nullptr && src->orig != nullptr) {
        // What was drawn into a multisampled source is in its samples.
        D3D11_ResolveGraph(src->orig);
        const D3D11GraphTexture* t = tileHolding(src, &rect);
        if (t == nullptr) return copyTileByTile(*srcRect, src, destGraph, destX, destY);
        source = t->texture;
        if (copyTexels(src->orig, source, rect, destGraph, destX, destY)) return 0;
    } else {
        const D3D11Backend& b = D3D11BackendSys;
        source = b.subBackBuffer != nullptr ? b.subBackBuffer : D3D11SwapChainSys.slots[0].backBuffer;
    }
    if (source == nullptr) return -1;
    BaseImage image{};
    ID3D11Texture2D* staging = nullptr;
    if (Graphics_D3D11_ReadbackTexture(source, &rect, &image, &staging) < 0) return -1;
    const ImageRect whole{0, 0, image.width, image.height};
    const int result = Graphics_D3D11_BltBmpOrBaseImageToGraph3(&whole, destX, destY, destGraph, &image, nullptr, 0,
                                                                0, 0);
    D3D11DeviceContext_Unmap(staging, 0);
    D3D11Texture2D_Release(staging);
    return result < 0 ? -1 : 0;
}

int Graphics_D3D11_FillGraph(GraphData* graph, int red, int green, int blue, int alpha) {
    if (graph == nullptr || graph->orig == nullptr || !D3D11Device_IsValid()) return -1;
    // Graphs that are not drawn into are filled by an upload of a filled image.
    if (!graph->orig->request.drawable) return 2;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const PixelFormatDesc* desc = graph->orig->textureFormat.desc;
    uint8_t texel[16];
    if (PackTexel(desc, red, green, blue, alpha, texel) < 0) return -1;
    const size_t bpp = desc->bytesPerPixel;
    std::vector<uint8_t> block;
    // Only each piece's rectangle: graphs cut from the same texture keep their pixels.
    for (int i = 0; i < graph->pieceCount; ++i) {
        const GraphDrawPiece& p = graph->pieces[i];
        if (p.width <= 0 || p.height <= 0) continue;
        block.resize(size_t(p.width) * size_t(p.height) * bpp);
        for (size_t at = 0; at < block.size(); at += bpp) std::memcpy(block.data() + at, texel, bpp);
        const D3D11_BOX box{UINT(p.tileX), UINT(p.tileY), 0, UINT(p.tileX + p.width), UINT(p.tileY + p.height), 1};
        D3D11DeviceContext_UpdateSubresource(D3D11_TileTexture(p.tile)->texture, 0, &box, block.data(),
                                             UINT(size_t(p.width) * bpp), 0);
    }
    return D3D11_SpreadGraph(graph->orig);
}

}  // namespace ZaDod
