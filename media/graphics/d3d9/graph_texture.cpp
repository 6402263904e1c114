// Direct3D 9 graph textures: one A8R8G8B8 texture per tile of an original image (a
// render-target texture and its level-0 surface for drawable graphs), made, released and
// filled from base images.
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/color_blit.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/hwdraw/hwdraw.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

void releaseTile(D3D9GraphTexture* t) {
    // A texture still bound would be sent again by the next state resend.
    if (t->texture != nullptr && D3D9State.texture == t->texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
    if (t->texture != nullptr && D3D9State.blendTexture == t->texture)
        Graphics_D3D9_DeviceState_SetBlendTexture(nullptr, 0, 0);
    if (t->surface != nullptr) {
        for (auto& target : D3D9State.targets)
            if (target == t->surface) target = nullptr;
        Direct3D9Object_Release(t->surface);
        t->surface = nullptr;
    }
    if (t->texture != nullptr) {
        Direct3D9Object_Release(t->texture);
        t->texture = nullptr;
    }
}

}  // namespace

const PixelFormatDesc* D3D9_GraphPixelDesc() {
    static const PixelFormatDesc desc = [] {
        PixelFormatDesc d{};
        CreateColorData(&d, 32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u);
        return d;
    }();
    return &desc;
}

// Graph textures here are always A8R8G8B8, so a DXT image of any kind (1..5) is decoded
// by the front before upload.
int Graphics_D3D9_GetDXTDecodeFlags(const GraphTextureFormat* /*format*/, int colorKind, int* colorDecode,
                                    int alphaKind, int* alphaDecode) {
    auto decode = [](int kind) { return kind >= 1 && kind <= 5 ? 1 : 0; };
    if (colorDecode != nullptr) *colorDecode = decode(colorKind);
    if (alphaDecode != nullptr) *alphaDecode = decode(alphaKind);
    return 0;
}

int Graphics_D3D9_CreateGraphTexture(GraphOrigData* orig, int asyncThread) {
    if (orig == nullptr || orig->tiles == nullptr || !Direct3DDevice9_IsValid()) return -1;
    const int drawable = orig->request.drawable;
    for (int i = 0; i < orig->tileCount; ++i) {
        GraphTextureTile& tile = orig->tiles[i];
        D3D9GraphTexture* t = D3D9_TileTexture(&tile);
        std::memset(t, 0, sizeof *t);
        // Drawable graphs are render targets (default pool); the rest are managed and
        // survive a reset.
        bool ok = Direct3DDevice9_CreateTexture(UINT(tile.textureWidth), UINT(tile.textureHeight), 1,
                                                drawable ? D3DUSAGE_RENDERTARGET : 0, D3DFMT_A8R8G8B8,
                                                drawable ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &t->texture,
                                                asyncThread) == D3D_OK;
        if (ok && drawable) ok = Direct3DTexture9_GetSurfaceLevel(t->texture, 0, &t->surface, asyncThread) == D3D_OK;
        if (ok) {
            // New textures start transparent black, as new software graphs do.
            D3DLOCKED_RECT locked{};
            if (Direct3DTexture9_LockRect(t->texture, 0, &locked, nullptr, 0, asyncThread) == D3D_OK) {
                for (int y = 0; y < tile.textureHeight; ++y)
                    std::memset(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch), 0,
                                size_t(tile.textureWidth) * 4);
                Direct3DTexture9_UnlockRect(t->texture, 0, asyncThread);
            }
        }
        if (!ok) {
            LogFormatUtf16(u"グラフィック用テクスチャの作成に失敗しました  SizeX:%d  SizeY:%d\n", tile.textureWidth,
                           tile.textureHeight);
            for (int j = 0; j <= i; ++j) releaseTile(D3D9_TileTexture(&orig->tiles[j]));
            return -1;
        }
        t->width = tile.textureWidth;
        t->height = tile.textureHeight;
    }
    return 0;
}

int Graphics_D3D9_ReleaseGraphTexture(GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr) return -1;
    if (Direct3DDevice9_IsValid()) Graphics_D3D9_FlushVertexBatch(0);
    for (int i = 0; i < orig->tileCount; ++i) releaseTile(D3D9_TileTexture(&orig->tiles[i]));
    return 0;
}

int Graphics_D3D9_BltBmpOrBaseImageToGraph3(const ImageRect* srcRect, int destX, int destY, int graph,
                                            const BaseImage* colorImage, const BaseImage* alphaImage, int redrawFlag,
                                            int useTransColor, int /*textureOnly*/) {
    GraphData* g = GetGraphData(graph, 1);
    if (g == nullptr || g->orig == nullptr || colorImage == nullptr || !Direct3DDevice9_IsValid()) return -1;
    GraphOrigData* orig = g->orig;
    ImageRect src;
    int x, y;
    if (!ClipGraphUpload(g, srcRect, destX, destY, colorImage, alphaImage, redrawFlag, &src, &x, &y)) return 0;
    const int w = src.right - src.left, h = src.bottom - src.top;
    // Pixels of the transparent colour become alpha 0 in a texture with alpha, so a
    // draw with the transparency flag leaves them out; the blitter ignores the colour
    // when the image brings its own alpha.
    const int trans = useTransColor ? 1 : 0;
    Graphics_D3D9_FlushVertexBatch(0);
    return ForEachUploadTile(orig, x, y, w, h, [&](const UploadTilePart& p) {
        const GraphTextureTile& tile = *p.tile;
        IDirect3DTexture9* texture = D3D9_TileTexture(&tile)->texture;
        if (texture == nullptr) return 0;
        // The edge pixels are repeated once beyond a used edge inside a larger texture, so
        // bilinear sampling never reads garbage there.
        const plat::win::RECT lockRect{p.left - tile.x, p.top - tile.y, p.right - tile.x + p.padRight,
                                       p.bottom - tile.y + p.padBottom};
        D3DLOCKED_RECT locked{};
        if (Direct3DTexture9_LockRect(texture, 0, &locked, &lockRect, 0) != D3D_OK) return -1;
        const ImageRect part{src.left + (p.left - x), src.top + (p.top - y), src.left + (p.right - x),
                             src.top + (p.bottom - y)};
        const int r = GraphColorMatchBlt(locked.pBits, locked.Pitch, D3D9_GraphPixelDesc(), colorImage->pixels,
                                         colorImage->pitch, &colorImage->format,
                                         alphaImage != nullptr ? alphaImage->pixels : nullptr,
                                         alphaImage != nullptr ? alphaImage->pitch : 0,
                                         alphaImage != nullptr ? &alphaImage->format : nullptr, 0, 0, &part, 0, trans,
                                         orig->transColor, 0, 0, 0, 0, 0);
        if (r >= 0)
            PadUploadEdge(locked.pBits, locked.Pitch, 4, p.right - p.left, p.bottom - p.top, p.padRight, p.padBottom);
        Direct3DTexture9_UnlockRect(texture, 0);
        return r < 0 ? -1 : 0;
    });
}

}  // namespace ZaDod
