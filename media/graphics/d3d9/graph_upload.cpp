// Direct3D 9 image uploads into graph textures: plain, mip-mapped, cube-map and raw DXT
// images, written into managed textures directly and into default-pool ones through the
// system-memory pools (a pool texture for a whole tile, a pool surface for a part).
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/upload_levels.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;

// Uploads convert into this before the copy into the locked texture or surface. Loading
// workers upload too, so each thread keeps its own.
thread_local std::vector<uint8_t> uploadStore;

uint8_t* zeroedBuffer(size_t bytes) {
    try {
        if (uploadStore.size() < bytes) uploadStore.resize(bytes);
    } catch (const std::bad_alloc&) {
        LogAddTextUtf16(u"テクスチャへ転送する画像を一時的に格納するメモリ領域の確保に失敗しました\n");
        return nullptr;
    }
    std::memset(uploadStore.data(), 0, bytes);
    return uploadStore.data();
}

constexpr const char16_t* kDXTRefused = u"DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません\n";

struct Upload {
    const GraphOrigData* orig;
    const BaseImage* color;
    const BaseImage* alpha;
    int trans;
    int dxt;                     // the texture's DXT kind, 0 for a texture of plain texels
    const PixelFormatDesc* desc;  // the texture's texels; null for a DXT texture
    int levels, faces;
};

int convert(const Upload& u, int face, int level, const ImageRect& part, void* dest, int pitch) {
    return ConvertUploadLevel(u.desc, u.color, u.alpha, u.trans, u.orig->transColor, face, level, part, dest, pitch);
}

void copyRows(const D3DLOCKED_RECT& to, const uint8_t* from, int fromPitch, int rowBytes, int rows) {
    for (int r = 0; r < rows; ++r)
        std::memcpy(static_cast<uint8_t*>(to.pBits) + size_t(r) * size_t(to.Pitch),
                    from + size_t(r) * size_t(fromPitch), size_t(rowBytes));
}

// Writes face `face` of the upload of `part` at (x, y) of the tile through `open`, which
// locks the rectangle of a level and gives back a closer. Raw DXT blocks go only into a
// whole tile of their own kind; plain pixels never go into a DXT texture. `scratch`: the
// lock is of a staging texture whose rectangle is replaced whole, and whose closer only
// unlocks it.
template <class Open>
int writeFace(const Upload& u, const GraphTextureTile& tile, int face, const ImageRect& part, int x, int y,
              bool wholeTile, bool scratch, Open&& open) {
    const int kind = u.color->format.formatCode;
    if (u.dxt != 0) {
        if (!wholeTile || kind != u.dxt || u.alpha != nullptr) {
            LogAddTextUtf16(kDXTRefused);
            return 0;
        }
        const int stored = u.color->mipCount > 1 ? u.color->mipCount : 1;
        for (int l = 0; l < u.levels && l < stored; ++l) {
            const BaseImage level = BaseImageLevelView(u.color, face, l);
            const RECT r{0, 0, level.width, level.height};
            D3DLOCKED_RECT locked{};
            auto close = open(l, r, &locked);
            if (locked.pBits == nullptr) return -1;
            copyRows(locked, static_cast<const uint8_t*>(level.pixels), level.pitch, level.pitch,
                     (level.height + 3) / 4);
            if (close() < 0) return -1;
        }
        return 0;
    }
    // Blocks reach a texture of plain texels only decoded (the front decodes what the DXT
    // test names).
    if (kind != kPixelPlain || u.desc == nullptr || (u.alpha != nullptr && u.alpha->format.formatCode != kPixelPlain)) {
        LogAddTextUtf16(kDXTRefused);
        return 0;
    }
    const int w = part.right - part.left, h = part.bottom - part.top;
    const int bpp = u.desc->bytesPerPixel;
    if (u.levels <= 1) {
        // Where the upload reaches the tile's used edge inside a larger texture, the edge
        // pixels are repeated once beyond it so bilinear sampling never reads garbage.
        const int padRight = x + w == tile.usedWidth && tile.usedWidth < tile.textureWidth ? 1 : 0;
        const int padBottom = y + h == tile.usedHeight && tile.usedHeight < tile.textureHeight ? 1 : 0;
        const int bw = w + padRight, bh = h + padBottom;
        if (scratch && D3D9_IsPlainARGB8(u.desc)) {
            // Every byte of the rectangle is converted or padded: straight into the lock.
            D3DLOCKED_RECT locked{};
            auto close = open(0, RECT{x, y, x + bw, y + bh}, &locked);
            if (locked.pBits == nullptr) return -1;
            const int converted = convert(u, face, 0, part, locked.pBits, locked.Pitch);
            if (converted >= 0) PadUploadEdge(locked.pBits, locked.Pitch, bpp, w, h, padRight, padBottom);
            const int closed = close();
            return converted < 0 ? -1 : closed;
        }
        uint8_t* buffer = zeroedBuffer(size_t(bw) * size_t(bh) * size_t(bpp));
        if (buffer == nullptr || convert(u, face, 0, part, buffer, bw * bpp) < 0) return -1;
        PadUploadEdge(buffer, bw * bpp, bpp, w, h, padRight, padBottom);
        D3DLOCKED_RECT locked{};
        auto close = open(0, RECT{x, y, x + bw, y + bh}, &locked);
        if (locked.pBits == nullptr) return -1;
        copyRows(locked, buffer, bw * bpp, bw * bpp, bh);
        return close();
    }
    const bool own =
        wholeTile && u.color->mipCount >= u.levels && (u.alpha == nullptr || u.alpha->mipCount >= u.levels);
    return ForEachUploadLevel(
        u.desc, u.levels, own, part, x, y,
        [&](int level, const ImageRect& r, void* dest, int pitch) { return convert(u, face, level, r, dest, pitch); },
        zeroedBuffer,
        [&](int level, const uint8_t* data, int pitch, int left, int top, int right, int bottom) {
            D3DLOCKED_RECT locked{};
            auto close = open(level, RECT{left, top, right, bottom}, &locked);
            if (locked.pBits == nullptr) return -1;
            copyRows(locked, data, pitch, (right - left) * bpp, bottom - top);
            return close();
        });
}

// Locks of a texture's or cube texture's face and level.
HRESULT lockLevel(IDirect3DTexture9* t, IDirect3DCubeTexture9* c, int face, int level, const RECT* r,
                  D3DLOCKED_RECT* out, DWORD flags, int async) {
    return c != nullptr ? Direct3DCubeTexture9_LockRect(c, D3DCUBEMAP_FACES(face), UINT(level), out, r, flags, async)
                        : Direct3DTexture9_LockRect(t, UINT(level), out, r, flags, async);
}
HRESULT unlockLevel(IDirect3DTexture9* t, IDirect3DCubeTexture9* c, int face, int level, int async) {
    return c != nullptr ? Direct3DCubeTexture9_UnlockRect(c, D3DCUBEMAP_FACES(face), UINT(level), async)
                        : Direct3DTexture9_UnlockRect(t, UINT(level), async);
}

// Writes straight into a texture's levels (managed textures, and pool textures).
int writeLocked(const Upload& u, const GraphTextureTile& tile, IDirect3DTexture9* t, IDirect3DCubeTexture9* c,
                const ImageRect& part, int x, int y, bool wholeTile, DWORD flags, int async) {
    for (int face = 0; face < u.faces; ++face) {
        int failed = 0;
        const int r =
            writeFace(u, tile, face, part, x, y, wholeTile, (flags & D3DLOCK_DISCARD) != 0,
                      [&](int level, const RECT& rect, D3DLOCKED_RECT* out) {
                const bool ok = lockLevel(t, c, face, level, &rect, out, flags, async) == D3D_OK;
                if (!ok) {
                    LogAddTextUtf16(
                        u.levels > 1 ? (c != nullptr ? u"キューブマップミップマップテクスチャのロックに失敗しました\n"
                                                     : u"ミップマップテクスチャのロックに失敗しました\n")
                                     : u"テクスチャのロックに失敗しました\n");
                    out->pBits = nullptr;
                    failed = 1;
                }
                return [=] { return ok ? (unlockLevel(t, c, face, level, async) == D3D_OK ? 0 : -1) : -1; };
            });
        if (r < 0 || failed) return -1;
    }
    return 0;
}

// The level surface of a graph texture's face (a new reference) or null.
IDirect3DSurface9* levelSurface(const D3D9GraphTexture* tex, int face, int level, int async) {
    IDirect3DSurface9* s = nullptr;
    if (tex->cube != nullptr)
        Direct3DCubeTexture9_GetCubeMapSurface(tex->cube, D3DCUBEMAP_FACES(face), UINT(level), &s, async);
    else
        Direct3DTexture9_GetSurfaceLevel(tex->texture, UINT(level), &s, async);
    return s;
}

// A part of a default-pool texture: each level's rectangle goes through a pool surface of
// its size and `UpdateSurface` into the level.
int writeThroughSurfaces(const Upload& u, const GraphTextureTile& tile, const ImageRect& part, int x, int y,
                         bool wholeTile, int async) {
    const D3D9GraphTexture* tex = D3D9_TileTexture(&tile);
    const D3DFORMAT format = D3D9_GraphFormat(u.orig);
    for (int face = 0; face < u.faces; ++face) {
        const int r =
            writeFace(u, tile, face, part, x, y, wholeTile, false, [&](int level, const RECT& rect, D3DLOCKED_RECT* out) {
                const int w = rect.right - rect.left, h = rect.bottom - rect.top;
                const int entry =
                    D3D9_WaitForPoolEntry([&] { return Graphics_D3D9_SysMemSurface_Get(w, h, format, async); });
                out->pBits = nullptr;
                if (entry < 0) {
                    if (u.levels > 1)
                        LogAddTextUtf16(u"ミップマップテクスチャ用のメモリサーフェスの取得に失敗しました\n");
                    return std::function<int()>([] { return -1; });
                }
                IDirect3DSurface9* staging = D3D9_PoolSurface(entry);
                if (Direct3DSurface9_LockRect(staging, out, nullptr, D3DLOCK_DISCARD, async) != D3D_OK) {
                    LogAddTextUtf16(u"テクスチャのロックに失敗しました\n");
                    out->pBits = nullptr;
                    Graphics_D3D9_SysMemSurface_Release(entry, async);
                    return std::function<int()>([] { return -1; });
                }
                return std::function<int()>([=] {
                    Direct3DSurface9_UnlockRect(staging, async);
                    int result = -1;
                    if (IDirect3DSurface9* dest = levelSurface(tex, face, level, async); dest != nullptr) {
                        const plat::win::POINT at{rect.left, rect.top};
                        result = Direct3DDevice9_UpdateSurface(staging, nullptr, dest, &at, async) == D3D_OK ? 0 : -1;
                        Direct3D9Object_Release(dest, async);
                    }
                    if (result < 0 && u.orig->request.drawable)
                        LogAddTextUtf16(u"描画可能テクスチャへの画像の転送に失敗しました\n");
                    Graphics_D3D9_SysMemSurface_Release(entry, async);
                    return result;
                });
            });
        if (r < 0) return -1;
    }
    return 0;
}

// A whole tile of a default-pool texture: a pool texture of the tile's shape is filled and
// copied with `UpdateTexture`.
int writeThroughTexture(const Upload& u, const GraphTextureTile& tile, const ImageRect& part, int async) {
    const D3D9GraphTexture* tex = D3D9_TileTexture(&tile);
    const int entry =
        D3D9_WaitForPoolEntry([&] { return Graphics_D3D9_SysMemTexture_GetForGraph(u.orig, &tile, async); });
    if (entry < 0) return -1;
    plat::win::IUnknown* staging = D3D9_PoolTexture(entry);
    auto* t = u.orig->request.cubeMap ? nullptr : static_cast<IDirect3DTexture9*>(staging);
    auto* c = u.orig->request.cubeMap ? static_cast<IDirect3DCubeTexture9*>(staging) : nullptr;
    int result = writeLocked(u, tile, t, c, part, 0, 0, true, D3DLOCK_DISCARD, async);
    if (result == 0) {
        IDirect3DBaseTexture9* from = c != nullptr ? static_cast<IDirect3DBaseTexture9*>(c) : t;
        IDirect3DBaseTexture9* to =
            tex->cube != nullptr ? static_cast<IDirect3DBaseTexture9*>(tex->cube) : tex->texture;
        result = Direct3DDevice9_UpdateTexture(from, to, async) == D3D_OK ? 0 : -1;
    }
    Graphics_D3D9_SysMemTexture_Release(entry, async);
    return result;
}

struct FormatRow {
    D3DFORMAT format;
    int bits;
    uint32_t r, g, b, a;
    int channels, channelBits, isFloat;
};
const FormatRow kFormatRows[] = {
    {D3DFMT_R8G8B8, 24, 0xFF0000u, 0xFF00u, 0xFFu, 0, 0, 0, 0},
    {D3DFMT_A8R8G8B8, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u, 0, 0, 0},
    {D3DFMT_X8R8G8B8, 32, 0xFF0000u, 0xFF00u, 0xFFu, 0, 0, 0, 0},
    {D3DFMT_R5G6B5, 16, 0xF800u, 0x7E0u, 0x1Fu, 0, 0, 0, 0},
    {D3DFMT_X1R5G5B5, 16, 0x7C00u, 0x3E0u, 0x1Fu, 0, 0, 0, 0},
    {D3DFMT_A1R5G5B5, 16, 0x7C00u, 0x3E0u, 0x1Fu, 0x8000u, 0, 0, 0},
    {D3DFMT_A4R4G4B4, 16, 0xF00u, 0xF0u, 0xFu, 0xF000u, 0, 0, 0},
    {D3DFMT_R3G3B2, 8, 0xE0u, 0x1Cu, 0x3u, 0, 0, 0, 0},
    {D3DFMT_A8R3G3B2, 16, 0xE0u, 0x1Cu, 0x3u, 0xFF00u, 0, 0, 0},
    {D3DFMT_X4R4G4B4, 16, 0xF00u, 0xF0u, 0xFu, 0, 0, 0, 0},
    {D3DFMT_A2B10G10R10, 32, 0x3FFu, 0xFFC00u, 0x3FF00000u, 0xC0000000u, 0, 0, 0},
    {D3DFMT_A8B8G8R8, 32, 0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u, 0, 0, 0},
    {D3DFMT_X8B8G8R8, 32, 0xFFu, 0xFF00u, 0xFF0000u, 0, 0, 0, 0},
    {D3DFMT_A2R10G10B10, 32, 0x3FF00000u, 0xFFC00u, 0x3FFu, 0xC0000000u, 0, 0, 0},
    {D3DFMT_A16B16G16R16, 0, 0, 0, 0, 0, 4, 16, 0},
    {D3DFMT_A16B16G16R16F, 0, 0, 0, 0, 0, 4, 16, 1},
    {D3DFMT_A32B32G32R32F, 0, 0, 0, 0, 0, 4, 32, 1},
    {D3DFMT_L8, 0, 0, 0, 0, 0, 1, 8, 0},
    {D3DFMT_L16, 0, 0, 0, 0, 0, 1, 16, 0},
    {D3DFMT_R16F, 0, 0, 0, 0, 0, 1, 16, 1},
    {D3DFMT_R32F, 0, 0, 0, 0, 0, 1, 32, 1},
    {D3DFMT_A8L8, 0, 0, 0, 0, 0, 2, 8, 0},
    {D3DFMT_V8U8, 0, 0, 0, 0, 0, 2, 8, 0},
    {D3DFMT_G16R16, 0, 0, 0, 0, 0, 2, 16, 0},
    {D3DFMT_G16R16F, 0, 0, 0, 0, 0, 2, 16, 1},
    {D3DFMT_G32R32F, 0, 0, 0, 0, 0, 2, 32, 1},
};
constexpr int kFormatRowCount = int(sizeof kFormatRows / sizeof kFormatRows[0]);

}  // namespace

const PixelFormatDesc* Graphics_D3D9_GetFormatPixelDesc(D3DFORMAT format) {
    // Built once, on first use.
    static const auto* table = [] {
        static PixelFormatDesc descs[kFormatRowCount];
        for (int i = 0; i < kFormatRowCount; ++i) {
            const FormatRow& r = kFormatRows[i];
            CreateColorData(&descs[i], r.bits, r.r, r.g, r.b, r.a, r.channels, r.channelBits, r.isFloat);
        }
        return descs;
    }();
    for (int i = 0; i < kFormatRowCount; ++i)
        if (kFormatRows[i].format == format) return &table[i];
    return nullptr;
}

int Graphics_D3D9_BltBmpOrBaseImageToGraph3(const ImageRect* srcRect, int destX, int destY, int graph,
                                            const BaseImage* colorImage, const BaseImage* alphaImage, int redrawFlag,
                                            int useTransColor, int textureOnly) {
    (void)textureOnly;
    if (colorImage == nullptr || !Direct3DDevice9_IsValid()) return -1;
    GraphData* g = GetGraphData(graph, 1);
    if (g == nullptr || g->orig == nullptr) return -1;
    const GraphOrigData* orig = g->orig;
    ImageRect src;
    int x, y;
    if (!ClipGraphUpload(g, srcRect, destX, destY, colorImage, alphaImage, redrawFlag, &src, &x, &y)) return 0;
    // The vertex batch belongs to the main thread; a loading worker's upload reaches the
    // device through posted calls, which the main thread runs between its draws.
    if (IsMainThread()) Graphics_D3D9_FlushVertexBatch(0);
    // The front has decoded the block pictures this texture cannot keep as blocks.
    const D3DFORMAT format = D3D9_GraphFormat(orig);
    const BaseImage* color = colorImage;
    // A loading worker's device calls are posted to the main thread.
    const int async = IsMainThread() ? 0 : 1;
    const Upload u{orig,
                   color,
                   alphaImage,
                   useTransColor ? 1 : 0,  // the transparent colour becomes alpha 0
                   D3D9_DXTKind(format),
                   Graphics_D3D9_GetFormatPixelDesc(format),
                   D3D9_GraphLevels(orig),
                   D3D9_GraphFaces(orig)};
    const int managed = D3D9_GraphManaged(orig);
    const int w = src.right - src.left, h = src.bottom - src.top;
    const int result = ForEachUploadTile(orig, x, y, w, h, [&](const UploadTilePart& p) {
        const GraphTextureTile& tile = *p.tile;
        const D3D9GraphTexture* tex = D3D9_TileTexture(&tile);
        if (tex->texture == nullptr && tex->cube == nullptr) return 0;
        const ImageRect part{src.left + (p.left - x), src.top + (p.top - y), src.left + (p.right - x),
                             src.top + (p.bottom - y)};
        const int tx = p.left - tile.x, ty = p.top - tile.y;
        // The whole tile from the whole of an image of the tile's size.
        const bool wholeTile = tx == 0 && ty == 0 && p.right - p.left == tile.textureWidth &&
                               p.bottom - p.top == tile.textureHeight && part.left == 0 && part.top == 0 &&
                               part.right == color->width && part.bottom == color->height;
        // Drawable graphs are never locked; a managed texture is locked in place.
        if (managed)
            return writeLocked(u, tile, tex->texture, tex->cube, part, tx, ty, wholeTile, 0, async) < 0 ? -1 : 0;
        if (wholeTile && !orig->request.drawable) return writeThroughTexture(u, tile, part, async) < 0 ? -1 : 0;
        return writeThroughSurfaces(u, tile, part, tx, ty, wholeTile, async) < 0 ? -1 : 0;
    });
    // A multisampled graph draws on from its samples, so they take the new pixels too
    // (on the main thread, which a loading worker's copy is posted to).
    if (result >= 0 && orig->request.drawable) {
        if (async == 0)
            D3D9_SpreadGraph(orig);
        else
            D3D9_RunOnMainThread([](void* o) { return HRESULT(D3D9_SpreadGraph(static_cast<const GraphOrigData*>(o))); },
                                 const_cast<GraphOrigData*>(orig));
    }
    return result;
}

}  // namespace ZaDod
