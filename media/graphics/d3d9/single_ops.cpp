// Direct3D 9 single operations behind the graphics dispatchers: reading the draw target's
// pixels, the vertex grid, filling and copying graphs, and switching the draw target
// between the screen, drawable graphs and shadow maps with the depth buffer that fits it.
#include <algorithm>
#include <vector>

#include "media/graphics/base_image.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/draw.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/pixel_read.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// A rectangle of a render-target surface as 0xFFRRGGBB words, row by row, read through a
// system-memory copy of the surface. -1 when any step fails.
int readSurface(IDirect3DSurface9* surface, const plat::win::RECT& r, std::vector<uint32_t>* out) {
    if (surface == nullptr || r.right <= r.left || r.bottom <= r.top) return -1;
    D3DSURFACE_DESC desc{};
    if (Direct3DSurface9_GetDesc(surface, &desc) != D3D_OK) return -1;
    if (r.left < 0 || r.top < 0 || UINT(r.right) > desc.Width || UINT(r.bottom) > desc.Height) return -1;
    // Samples cannot be read back: a multisampled surface is resolved into a render target.
    IDirect3DSurface9* resolved = nullptr;
    if (desc.MultiSampleType != D3DMULTISAMPLE_NONE) {
        if (Direct3DDevice9_CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE, 0,
                                               plat::win::FALSE, &resolved) != D3D_OK)
            return -1;
        if (Direct3DDevice9_StretchRect(surface, nullptr, resolved, nullptr, D3DTEXF_NONE) != D3D_OK) {
            Direct3D9Object_Release(resolved);
            return -1;
        }
        surface = resolved;
    }
    IDirect3DSurface9* copy = nullptr;
    if (Direct3DDevice9_CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy) !=
        D3D_OK) {
        if (resolved != nullptr) Direct3D9Object_Release(resolved);
        return -1;
    }
    int result = -1;
    D3DLOCKED_RECT locked{};
    if (Direct3DDevice9_GetRenderTargetData(surface, copy) == D3D_OK &&
        Direct3DSurface9_LockRect(copy, &locked, &r, D3DLOCK_READONLY) == D3D_OK) {
        const int w = r.right - r.left, h = r.bottom - r.top;
        out->assign(size_t(w) * size_t(h), 0);
        result = ReadTexelsARGB(Graphics_D3D9_GetFormatPixelDesc(desc.Format), locked.pBits, locked.Pitch, w, h,
                                out->data());
        Direct3DSurface9_UnlockRect(copy);
    }
    Direct3D9Object_Release(copy);
    if (resolved != nullptr) Direct3D9Object_Release(resolved);
    return result;
}

IDirect3DSurface9* currentTarget() {
    return D3D9State.targets[0] != nullptr ? D3D9State.targets[0] : D3D9_ScreenSurface();
}

// The graph's own depth buffer bound by the last depth bind, if any.
IDirect3DSurface9* boundGraphDepth = nullptr;

// The tile of draw-target graph `handle` with a depth surface, while `target` is its surface.
D3D9GraphTexture* graphDepthOf(int handle, IDirect3DSurface9* target) {
    const GraphData* g = GetGraphData(handle, 1);
    if (g == nullptr || g->orig == nullptr || !g->orig->request.drawable || g->orig->tiles == nullptr) return nullptr;
    D3D9GraphTexture* t = D3D9_TileTexture(&g->orig->tiles[0]);
    if (t->depth == nullptr) return nullptr;
    for (IDirect3DSurface9* face : t->faces)
        if (face != nullptr && face == target) return t;
    return t->surface == target || (t->multisample != nullptr && t->multisample == target) ? t : nullptr;
}

// Texels already in 8-bit ARGB order read back as they are stored: a rectangle inside one
// such tile goes to the destination straight from the locked texture, without the copy
// out and the conversion a read-back makes. 2 when it does not apply.
int copyHeldTexels(const GraphOrigData* orig, int ox, int oy, int w, int h, int destGraph, int destX, int destY) {
    if (!D3D9_IsPlainARGB8(orig->textureFormat.desc)) return 2;
    // The destination's own texture cannot be written while this one is locked for reading.
    const GraphData* dest = GetGraphData(destGraph, 1);
    if (dest == nullptr || dest->orig == orig) return 2;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& t = orig->tiles[i];
        if (ox < t.x || oy < t.y || ox + w > t.x + t.usedWidth || oy + h > t.y + t.usedHeight) continue;
        IDirect3DTexture9* texture = D3D9_TileTexture(&t)->texture;
        const plat::win::RECT r{ox - t.x, oy - t.y, ox - t.x + w, oy - t.y + h};
        D3DLOCKED_RECT locked{};
        if (texture == nullptr || Direct3DTexture9_LockRect(texture, 0, &locked, &r, D3DLOCK_READONLY) != D3D_OK)
            return -1;
        BaseImage image{};
        CreateARGB8ColorData(&image.format);
        image.width = w;
        image.height = h;
        image.pitch = locked.Pitch;
        image.pixels = locked.pBits;
        const ImageRect whole{0, 0, w, h};
        const int result = Graphics_D3D9_BltBmpOrBaseImageToGraph3(&whole, destX, destY, destGraph, &image, nullptr,
                                                                   0, 0, 0);
        Direct3DTexture9_UnlockRect(texture, 0);
        return result < 0 ? -1 : 0;
    }
    return 2;
}

}  // namespace

// Failure reads as -1, opaque white.
unsigned int Graphics_D3D9_GetDrawTargetPixel(int x, int y) {
    if (!Direct3DDevice9_IsValid()) return 0xFFFFFFFFu;
    Graphics_D3D9_FlushVertexBatch(0);
    std::vector<uint32_t> px;
    IDirect3DSurface9* surface = currentTarget();
    if (D3D9_TiledTarget() != nullptr && (surface = D3D9_TiledTargetSurfaceAt(&x, &y)) == nullptr) return 0xFFFFFFFFu;
    if (readSurface(surface, plat::win::RECT{x, y, x + 1, y + 1}, &px) < 0) return 0xFFFFFFFFu;
    return 0xFF000000u | (px[0] & 0x00FFFFFFu);
}

int Graphics_D3D9_DrawVertexGrid(const Vertex2D* vertices, int columns, int rows) {
    if (vertices == nullptr || columns < 2 || rows < 2 || !Direct3DDevice9_IsValid()) return -1;
    if (size_t(columns) * size_t(rows) > 65536) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetFVF(kD3D9VertexTypeFVF[2]);
    // A long row pair is cut into strips within the index limit, so any width draws.
    return ForEachVertexGridDraw(columns, rows, 1000, [&](const uint16_t* indices, int count) {
        return Direct3DDevice9_DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, UINT(columns * rows), UINT(count - 2),
                                                      indices, D3DFMT_INDEX16, vertices, sizeof(Vertex2D)) == D3D_OK
                   ? 0
                   : -1;
    });
}

int Graphics_D3D9_FillGraph(GraphData* graph, int red, int green, int blue, int alpha) {
    if (graph == nullptr || graph->orig == nullptr || !Direct3DDevice9_IsValid()) return -1;
    // Graphs that are not drawn into are filled by an upload of a filled image.
    if (!graph->orig->request.drawable) return 2;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    const D3DCOLOR colour = D3DCOLOR(alpha & 0xFF) << 24 | D3DCOLOR(red & 0xFF) << 16 | D3DCOLOR(green & 0xFF) << 8 |
                            D3DCOLOR(blue & 0xFF);
    // Only each piece's rectangle: graphs cut from the same texture keep their pixels.
    for (int i = 0; i < graph->pieceCount; ++i) {
        const GraphDrawPiece& p = graph->pieces[i];
        IDirect3DSurface9* surface = D3D9_TileTexture(p.tile)->surface;
        if (p.width <= 0 || p.height <= 0 || surface == nullptr) continue;
        const plat::win::RECT r{p.tileX, p.tileY, p.tileX + p.width, p.tileY + p.height};
        if (Direct3DDevice9_ColorFill(surface, &r, colour) != D3D_OK) return -1;
        if (IDirect3DSurface9* ms = D3D9_TileTexture(p.tile)->multisample; ms != nullptr)
            if (Direct3DDevice9_ColorFill(ms, &r, colour) != D3D_OK) return -1;
    }
    return 0;
}

int Graphics_D3D9_CopyGraphRectToGraph(const ImageRect* srcRect, int srcGraph, int destGraph, int destX, int destY) {
    if (srcRect == nullptr || !Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    ImageRect rect = *srcRect;
    std::vector<uint32_t> pixels;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (const GraphData* src = GetGraphData(srcGraph, 1); src != nullptr && src->orig != nullptr) {
        // What was drawn into a multisampled source is in its samples.
        if (D3D9_ResolveGraph(src->orig) < 0) return -1;
        // The rectangle may span tiles: each tile's part is read in place (textures of every
        // pool lock), in the graph's format.
        const int ox = rect.left + src->area.x, oy = rect.top + src->area.y;
        const GraphOrigData* orig = src->orig;
        if (const int direct = copyHeldTexels(orig, ox, oy, w, h, destGraph, destX, destY); direct != 2) return direct;
        pixels.assign(size_t(w) * size_t(h), 0);
        std::vector<uint32_t> part;
        long covered = 0;
        for (int i = 0; i < orig->tileCount; ++i) {
            const GraphTextureTile& t = orig->tiles[i];
            const int left = std::max(ox, t.x), top = std::max(oy, t.y);
            const int right = std::min(ox + w, t.x + t.usedWidth), bottom = std::min(oy + h, t.y + t.usedHeight);
            if (right <= left || bottom <= top) continue;
            IDirect3DTexture9* texture = D3D9_TileTexture(&t)->texture;
            const plat::win::RECT r{left - t.x, top - t.y, right - t.x, bottom - t.y};
            D3DLOCKED_RECT locked{};
            if (texture == nullptr || Direct3DTexture9_LockRect(texture, 0, &locked, &r, D3DLOCK_READONLY) != D3D_OK)
                return -1;
            const int pw = right - left, ph = bottom - top;
            part.assign(size_t(pw) * size_t(ph), 0);
            const int read = ReadTexelsARGB(orig->textureFormat.desc, locked.pBits, locked.Pitch, pw, ph, part.data(),
                                            false);
            Direct3DTexture9_UnlockRect(texture, 0);
            if (read < 0) return -1;
            for (int y = 0; y < ph; ++y)
                std::copy_n(part.data() + size_t(y) * size_t(pw), pw,
                            pixels.data() + size_t(top - oy + y) * size_t(w) + size_t(left - ox));
            covered += long(pw) * long(ph);
        }
        if (covered != long(w) * long(h)) return -1;
    } else if (readSurface(D3D9_ScreenSurface(), plat::win::RECT{rect.left, rect.top, rect.right, rect.bottom},
                           &pixels) < 0) {
        return -1;
    }
    BaseImage image{};
    CreateARGB8ColorData(&image.format);
    image.width = w;
    image.height = h;
    image.pitch = image.width * 4;
    image.pixels = pixels.data();
    const ImageRect whole{0, 0, image.width, image.height};
    return Graphics_D3D9_BltBmpOrBaseImageToGraph3(&whole, destX, destY, destGraph, &image, nullptr, 0, 0, 0) < 0 ? -1
                                                                                                               : 0;
}

int Graphics_D3D9_SetDrawTarget(int /*handle*/, int /*oldSurface*/, GraphData* newGraph, GraphData* /*oldGraph*/,
                                ShadowMapData* newShadowMap, ShadowMapData* /*oldShadowMap*/) {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    IDirect3DSurface9* surface = D3D9_ScreenSurface();
    // A graph of several tiles is drawn tile by tile while it is the target; its first
    // tile stays bound.
    D3D9_SetTiledTarget(nullptr);
    if (newShadowMap != nullptr) {
        // A map gets its objects when it is first drawn into.
        if (Graphics_D3D9_ShadowMap_CreateTexture(newShadowMap, 0) < 0) return -1;
        const D3D9ShadowMapTexture* t = D3D9_ShadowMapTexture(newShadowMap);
        if (D3D9State.texture == t->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
        if (D3D9_BindTargetSlot(0, nullptr, t->surface) < 0) return -1;
        return Direct3DDevice9_SetDepthStencilSurface(t->depth) == D3D_OK ? 0 : -1;
    }
    const D3D9GraphTexture* graphTexture = nullptr;
    if (newGraph != nullptr) {
        const GraphOrigData* orig = newGraph->orig;
        if (orig == nullptr || !orig->request.drawable || orig->tileCount < 1) return -1;
        const D3D9GraphTexture* t = D3D9_TileTexture(&orig->tiles[0]);
        if (t->surface == nullptr) return -1;
        // The graph's own texture cannot be read while it is drawn into.
        if (D3D9State.texture == t->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
        surface = D3D9_TileDrawSurface(t, 0);
        graphTexture = t;
        if (orig->tileCount > 1) {
            for (int i = 1; i < orig->tileCount; ++i) {
                const D3D9GraphTexture* more = D3D9_TileTexture(&orig->tiles[i]);
                if (more->surface == nullptr) return -1;
                if (D3D9State.texture == more->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
            }
            D3D9_SetTiledTarget(orig);
        }
    }
    // The previous target's samples reach its texture as it stops being drawn into.
    if (D3D9_BindTargetSlot(0, graphTexture, surface) < 0) return -1;
    return Graphics_D3D9_BindDepthBufferForDrawTarget();
}

void D3D9_ForgetGraphDepth(IDirect3DSurface9* depth) {
    if (depth == nullptr || depth != boundGraphDepth) return;
    boundGraphDepth = nullptr;
    if (Direct3DDevice9_IsValid()) Direct3DDevice9_SetDepthStencilSurface(D3D9BackendSys.depthSurface);
}

// A drawable graph with its own depth surface draws with it; otherwise the default depth
// buffer stays bound while it covers the target, and a larger target draws without one.
int Graphics_D3D9_BindDepthBufferForDrawTarget() {
    if (!Direct3DDevice9_IsValid()) return -1;
    const D3D9Backend& b = D3D9BackendSys;
    boundGraphDepth = nullptr;
    // A shadow map is drawn with its own depth surface.
    if (const ShadowMapData* map = GetShadowMapData(GraphicsDrawSettings.targets[0].handle); map != nullptr)
        if (const D3D9ShadowMapTexture* t = D3D9_ShadowMapTexture(map); t != nullptr)
            return Direct3DDevice9_SetDepthStencilSurface(t->depth) == D3D_OK ? 0 : -1;
    IDirect3DSurface9* target = currentTarget();
    D3DSURFACE_DESC desc{};
    if (target == nullptr || Direct3DSurface9_GetDesc(target, &desc) != D3D_OK) return -1;
    if (D3D9GraphTexture* t = graphDepthOf(GraphicsDrawSettings.targets[0].handle, target); t != nullptr) {
        if (Direct3DDevice9_SetDepthStencilSurface(t->depth) != D3D_OK) return -1;
        boundGraphDepth = t->depth;
        if (!t->depthCleared) {
            // A new depth surface reads as "nothing in front" over its whole size.
            const D3DVIEWPORT9 whole{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
            Graphics_D3D9_DeviceState_SetViewport(&whole);
            Direct3DDevice9_Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            const ImageRect& a = GraphicsDrawSettings.drawArea;
            if (a.right > a.left && a.bottom > a.top)
                Graphics_D3D9_DeviceState_SetViewportRect(a.left, a.top, a.right, a.bottom);
            t->depthCleared = 1;
        }
        return 0;
    }
    const bool fits = b.depthSurface != nullptr && int(desc.Width) <= b.depthWidth && int(desc.Height) <= b.depthHeight;
    return Direct3DDevice9_SetDepthStencilSurface(fits ? b.depthSurface : nullptr) == D3D_OK ? 0 : -1;
}

}  // namespace ZaDod
