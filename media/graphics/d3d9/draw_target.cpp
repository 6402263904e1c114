// Direct3D 9 draw-target access: the buffer lock (the back buffer itself when it is
// lockable and drawn into, else a copy through a render target and a pool surface), the
// further render-target slots, the depth-graph check and the movie-surface copy.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_tiled.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;

// What an open draw-target lock holds.
struct TargetLock {
    IDirect3DSurface9* surface;  // the locked surface, null for none
    IDirect3DTexture9* texture;  // or the locked graph texture (level 0)
    int poolEntry;               // the pool surface's entry, -1 none
};
TargetLock lockState{nullptr, nullptr, -1};

// A lock of a rectangle that spans tiles hands out the tiles' parts gathered into one
// image; a graph that is not drawn into gets the image written back into its tiles at the
// unlock, as a lock of one tile writes its texture in place.
struct SpanningLock {
    std::vector<uint8_t> pixels;
    const GraphOrigData* orig = nullptr;  // the graph, while such a lock is open
    int x = 0, y = 0, width = 0, height = 0, bytes = 0;
    bool writeBack = false;
};
SpanningLock spanning;

// The surface a graph is drawn into (its face for a cube map, its multisample surface when
// it has one), or null.
IDirect3DSurface9* graphSurface(const GraphTextureTile* tile, int surfaceIndex) {
    return D3D9_TileDrawSurface(D3D9_TileTexture(tile), surfaceIndex);
}

// Per render-target slot, the multisample surface bound there and the surface its resolve
// goes to when the slot changes; for a draw target of several tiles, its graph, whose
// every tile resolves.
struct PendingResolve {
    IDirect3DSurface9* multisample;
    IDirect3DSurface9* to;
    const GraphOrigData* tiled;
};
PendingResolve pending[8] = {};

void fillOut(BaseImage* out, D3DFORMAT format, const D3DLOCKED_RECT& locked, int w, int h) {
    *out = BaseImage{};
    out->format = *Graphics_D3D9_GetFormatPixelDesc(format);
    out->width = w;
    out->height = h;
    out->pitch = locked.Pitch;
    out->pixels = locked.pBits;
}

// A copy of rect of a render-target surface in a pool surface, locked; the lock is
// recorded as the open one.
int lockCopy(IDirect3DSurface9* source, const RECT& r, D3DFORMAT format, int readOnly, D3DLOCKED_RECT* locked) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    IDirect3DSurface9* target = nullptr;
    if (Direct3DDevice9_CreateRenderTarget(UINT(w), UINT(h), format, D3DMULTISAMPLE_NONE, 0, plat::win::FALSE,
                                           &target) != D3D_OK) {
        LogAddTextUtf16(u"バックバッファロック用描画可能サーフェスの作成に失敗しました\n");
        return -1;
    }
    const int entry = D3D9_WaitForPoolEntry([&] { return Graphics_D3D9_SysMemSurface_Get(w, h, format, 0); });
    if (entry < 0) {
        LogAddTextUtf16(u"バックバッファロック用システムメモリサーフェスの作成に失敗しました\n");
        Direct3D9Object_Release(target);
        return -1;
    }
    IDirect3DSurface9* copy = D3D9_PoolSurface(entry);
    const bool ok = Direct3DDevice9_StretchRect(source, &r, target, nullptr, D3DTEXF_NONE) == D3D_OK &&
                    Direct3DDevice9_GetRenderTargetData(target, copy) == D3D_OK &&
                    Direct3DSurface9_LockRect(copy, locked, nullptr, readOnly ? D3DLOCK_READONLY : 0) == D3D_OK;
    Direct3D9Object_Release(target);
    if (!ok) {
        Graphics_D3D9_SysMemSurface_Release(entry, 0);
        return -1;
    }
    lockState = TargetLock{copy, nullptr, entry};
    return 0;
}

// The rectangle (graph coordinates moved by the graph's place in its tiles) gathered from
// every tile it covers into one image in the tiles' format.
int lockSpanning(const GraphData* g, const ImageRect& rect, int readOnly, int surfaceIndex, BaseImage* out) {
    const GraphOrigData* orig = g->orig;
    const bool drawable = orig->request.drawable != 0;
    D3DFORMAT format = D3D9_GraphFormat(orig);
    if (drawable) {
        IDirect3DSurface9* first = graphSurface(&orig->tiles[0], surfaceIndex);
        D3DSURFACE_DESC desc{};
        if (first == nullptr || Direct3DSurface9_GetDesc(first, &desc) != D3D_OK) return -1;
        format = desc.Format;
    }
    const PixelFormatDesc* pixel = Graphics_D3D9_GetFormatPixelDesc(format);
    if (pixel == nullptr || pixel->formatCode != 0 || pixel->bytesPerPixel == 0) return -1;
    SpanningLock lock;
    lock.orig = orig;
    lock.x = rect.left + g->area.x, lock.y = rect.top + g->area.y;
    lock.width = rect.right - rect.left, lock.height = rect.bottom - rect.top;
    lock.bytes = pixel->bytesPerPixel;
    lock.writeBack = !drawable && !readOnly;
    const int pitch = lock.width * lock.bytes;
    lock.pixels.assign(size_t(pitch) * size_t(lock.height), 0);
    const bool whole = ForEachTilePart<RECT>(orig, lock.x, lock.y, lock.width, lock.height,
                                       [&](const GraphTextureTile& t, const RECT& r, int dx, int dy) {
        const int rowBytes = (r.right - r.left) * lock.bytes, rows = r.bottom - r.top;
        uint8_t* to = lock.pixels.data() + size_t(dy) * size_t(pitch) + size_t(dx) * size_t(lock.bytes);
        D3DLOCKED_RECT locked{};
        if (!drawable) {
            IDirect3DTexture9* texture = D3D9_TileTexture(&t)->texture;
            if (texture == nullptr || Direct3DTexture9_LockRect(texture, 0, &locked, &r, D3DLOCK_READONLY) != D3D_OK)
                return false;
            CopyPitchedRows(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, to, pitch, rowBytes, rows);
            Direct3DTexture9_UnlockRect(texture, 0);
            return true;
        }
        IDirect3DSurface9* surface = graphSurface(&t, surfaceIndex);
        if (surface == nullptr || lockCopy(surface, r, format, 1, &locked) < 0) return false;
        CopyPitchedRows(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, to, pitch, rowBytes, rows);
        Graphics_D3D9_UnlockDrawTargetBuffer();
        return true;
    });
    if (!whole) return -1;
    spanning = std::move(lock);
    *out = BaseImage{};
    out->format = *pixel;
    out->width = spanning.width;
    out->height = spanning.height;
    out->pitch = pitch;
    out->pixels = spanning.pixels.data();
    return 0;
}

// Ends a spanning lock, writing its image back into the tiles when it was taken to write.
void unlockSpanning() {
    SpanningLock lock = std::move(spanning);
    spanning = SpanningLock{};
    if (!lock.writeBack || !Direct3DDevice9_IsValid()) return;
    const int pitch = lock.width * lock.bytes;
    ForEachTilePart<RECT>(lock.orig, lock.x, lock.y, lock.width, lock.height,
                    [&](const GraphTextureTile& t, const RECT& r, int dx, int dy) {
        IDirect3DTexture9* texture = D3D9_TileTexture(&t)->texture;
        D3DLOCKED_RECT locked{};
        if (texture == nullptr || Direct3DTexture9_LockRect(texture, 0, &locked, &r, 0) != D3D_OK) return true;
        CopyPitchedRows(lock.pixels.data() + size_t(dy) * size_t(pitch) + size_t(dx) * size_t(lock.bytes), pitch,
                 static_cast<uint8_t*>(locked.pBits), locked.Pitch, (r.right - r.left) * lock.bytes, r.bottom - r.top);
        Direct3DTexture9_UnlockRect(texture, 0);
        return true;
    });
}

}  // namespace

void D3D9_ForgetSpanningLock(const GraphOrigData* orig) {
    if (spanning.orig == orig) spanning = SpanningLock{};
}

int Graphics_D3D9_LockDrawTargetBuffer(const ImageRect* rect, BaseImage* out, int graph, int readOnly,
                                       int surfaceIndex) {
    if (rect == nullptr || out == nullptr || !Direct3DDevice9_IsValid()) return -1;
    if (lockState.surface != nullptr || lockState.texture != nullptr || spanning.orig != nullptr) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    IDirect3DSurface9* surface = D3D9_ScreenSurface();
    if (const GraphData* g = graph >= 0 ? GetGraphData(graph, 1) : nullptr; g != nullptr) {
        ImageRect inTile = *rect;
        if (g->orig == nullptr || g->orig->tiles == nullptr) return -1;
        const GraphTextureTile* tile = TileHoldingRect(g, &inTile);
        if (tile == nullptr) return lockSpanning(g, *rect, readOnly, surfaceIndex, out);
        r = RECT{inTile.left, inTile.top, inTile.right, inTile.bottom};
        const D3D9GraphTexture* t = D3D9_TileTexture(tile);
        if (!g->orig->request.drawable) {
            // A graph that is not drawn into is read from its texture in place; block
            // layouts have no pixels to hand out.
            const D3DFORMAT format = D3D9_GraphFormat(g->orig);
            if (t->texture == nullptr || Graphics_D3D9_GetFormatPixelDesc(format) == nullptr) return -1;
            D3DLOCKED_RECT locked{};
            if (Direct3DTexture9_LockRect(t->texture, 0, &locked, &r, readOnly ? D3DLOCK_READONLY : 0) != D3D_OK)
                return -1;
            lockState = TargetLock{nullptr, t->texture, -1};
            fillOut(out, format, locked, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        surface = graphSurface(tile, surfaceIndex);
    }
    D3DSURFACE_DESC desc{};
    if (surface == nullptr || Direct3DSurface9_GetDesc(surface, &desc) != D3D_OK ||
        Graphics_D3D9_GetFormatPixelDesc(desc.Format) == nullptr)
        return -1;
    D3DLOCKED_RECT locked{};
    if (D3D9DeviceSys.backBufferLock && surface == D3D9DeviceSys.backBuffer) {
        if (Direct3DSurface9_LockRect(surface, &locked, &r, readOnly ? D3DLOCK_READONLY : 0) != D3D_OK) return -1;
        lockState = TargetLock{surface, nullptr, -1};
    } else if (lockCopy(surface, r, desc.Format, readOnly, &locked) < 0) {
        return -1;
    }
    fillOut(out, desc.Format, locked, r.right - r.left, r.bottom - r.top);
    return 0;
}

void D3D9_ResolveSlot(int slot) {
    if (slot < 0 || slot >= 8) return;
    const PendingResolve p = pending[slot];
    pending[slot] = PendingResolve{};
    if (p.multisample == nullptr || p.to == nullptr || !Direct3DDevice9_IsValid()) return;
    if (p.tiled != nullptr) {
        D3D9_ResolveGraph(p.tiled);
        return;
    }
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    Direct3DDevice9_StretchRect(p.multisample, nullptr, p.to, nullptr, D3DTEXF_NONE);
}

void D3D9_ForgetResolve(IDirect3DSurface9* multisample) {
    for (PendingResolve& p : pending)
        if (p.multisample == multisample) p = PendingResolve{};
}

int D3D9_BindTargetSlot(int slot, const D3D9GraphTexture* t, IDirect3DSurface9* surface) {
    D3D9_ResolveSlot(slot);
    if (Graphics_D3D9_DeviceState_SetRenderTarget(surface, slot) < 0) return -1;
    if (t == nullptr || surface == nullptr || surface != t->multisample) return 0;
    const GraphOrigData* tiled = D3D9_TiledTarget();
    if (slot != 0 || tiled == nullptr || D3D9_TileTexture(&tiled->tiles[0]) != t) tiled = nullptr;
    pending[slot] = PendingResolve{surface, t->surface, tiled};
    return 0;
}

int Graphics_D3D9_UnlockDrawTargetBuffer() {
    if (spanning.orig != nullptr) unlockSpanning();
    TargetLock l = lockState;
    lockState = TargetLock{nullptr, nullptr, -1};
    if (l.surface != nullptr) Direct3DSurface9_UnlockRect(l.surface);
    if (l.texture != nullptr) Direct3DTexture9_UnlockRect(l.texture, 0);
    if (l.poolEntry >= 0) Graphics_D3D9_SysMemSurface_Release(l.poolEntry, 0);
    return 0;
}

// Slots 1..7 take drawable one-tile graphs beside the draw target (a cube map's face by
// the surface index); slot 0 the draw target's own graph or the screen. A negative handle
// empties a further slot.
int Graphics_D3D9_SetRenderTarget(int slot, int graph, int surfaceIndex) {
    if (!ProgrammableShaderFlag || !Direct3DDevice9_IsValid()) return -1;
    if (slot < 0 || slot >= 8 || slot >= int(D3D9DeviceSys.caps.NumSimultaneousRTs)) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    if (graph < 0) return D3D9_BindTargetSlot(slot, nullptr, slot == 0 ? D3D9_ScreenSurface() : nullptr);
    const GraphData* g = GetGraphData(graph, 1);
    if (g == nullptr || g->orig == nullptr || !g->orig->request.drawable || g->orig->tileCount != 1) return -1;
    IDirect3DSurface9* surface = graphSurface(&g->orig->tiles[0], surfaceIndex);
    if (surface == nullptr) return -1;
    const D3D9GraphTexture* t = D3D9_TileTexture(&g->orig->tiles[0]);
    // A texture cannot be read while it is drawn into.
    if (t->texture != nullptr && D3D9State.texture == t->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
    return D3D9_BindTargetSlot(slot, t, surface);
}

// A graph serves as a depth buffer when it is drawable and its first tile has a depth
// surface of its own; no graph means the default depth buffer.
int Graphics_D3D9_CheckDepthBufferGraph(GraphData* graph) {
    if (graph == nullptr) return 0;
    const GraphOrigData* orig = graph->orig;
    if (orig == nullptr || !orig->request.drawable || orig->tiles == nullptr || orig->tileCount < 1) return -1;
    return D3D9_TileTexture(&orig->tiles[0])->depth != nullptr ? 0 : -1;
}

// No movie decoder here hands out a device surface (frames reach graphs as uploaded
// images), so there is never a surface to copy.
int Graphics_D3D9_CopyMovieSurfaceToGraph(GraphData* graph, MovieHandleData* movie) {
    if (!Direct3DDevice9_IsValid() || graph == nullptr || graph->orig == nullptr || movie == nullptr) return -1;
    return -1;
}

}  // namespace ZaDod
