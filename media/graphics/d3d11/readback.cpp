// Reading a render target back into CPU memory through a staging texture, and the
// draw-target lock built on it.
#include <vector>

#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_mask.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/graph_tiles.h"
#include "media/graphics/pixel_format.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// The image description of a texture format: any format of the graph table, and the
// B8G8R8A8 layout a window's buffers may have.
int formatDesc(DXGI_FORMAT format, PixelFormatDesc* desc) {
    if (const PixelFormatDesc* d = Graphics_D3D11_GetFormatPixelDesc(format); d != nullptr) {
        *desc = *d;
        return 0;
    }
    return format == DXGI_FORMAT_B8G8R8A8_UNORM ? CreateARGB8ColorData(desc) : -1;
}

void releaseAndClear(ID3D11Texture2D*& texture) {
    D3D11_ReleaseAndClear(texture, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
}

// A lock of a rectangle across pieces of a graph holds the pixels gathered from each
// piece, not a mapped staging texture.
std::vector<uint8_t> spanningPixels;
bool spanningLocked = false;

// Gathers rect (graph coordinates, inside the graph) from every tile it covers into one
// image in the tiles' format.
int lockSpanning(const GraphData* g, const ImageRect& r, BaseImage* out) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (r.left < 0 || r.top < 0 || w <= 0 || h <= 0 || r.right > g->area.width || r.bottom > g->area.height)
        return -1;
    std::vector<uint8_t> pixels;
    PixelFormatDesc format{};
    int bytes = 0;
    const bool whole = ForEachTilePart<ImageRect>(
        g->orig, r.left + g->area.x, r.top + g->area.y, w, h,
        [&](const GraphTextureTile& t, const ImageRect& part, int dx, int dy) {
            BaseImage read{};
            ID3D11Texture2D* staging = nullptr;
            if (Graphics_D3D11_ReadbackTexture(D3D11_TileTexture(&t)->texture, &part, &read, &staging) < 0)
                return false;
            if (bytes == 0) {
                format = read.format;
                bytes = int(format.bytesPerPixel);
                pixels.assign(size_t(w) * size_t(h) * size_t(bytes), 0);
            }
            const bool same = bytes > 0 && int(read.format.bytesPerPixel) == bytes;
            if (same)
                CopyPitchedRows(static_cast<const uint8_t*>(read.pixels), read.pitch,
                                pixels.data() + (size_t(dy) * size_t(w) + size_t(dx)) * size_t(bytes), w * bytes,
                                (part.right - part.left) * bytes, part.bottom - part.top);
            D3D11DeviceContext_Unmap(staging, 0);
            releaseAndClear(staging);
            return same;
        });
    if (!whole) return -1;
    spanningPixels = std::move(pixels);
    spanningLocked = true;
    *out = BaseImage{};
    out->format = format;
    out->width = w;
    out->height = h;
    out->pitch = w * bytes;
    out->pixels = spanningPixels.data();
    return 0;
}

}  // namespace

int Graphics_D3D11_ReadbackTexture(ID3D11Texture2D* texture, const ImageRect* rect, BaseImage* out,
                                   ID3D11Texture2D** staging) {
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11_TEXTURE2D_DESC desc{};
    D3D11Texture2D_GetDesc(texture, &desc);
    PixelFormatDesc pixelFormat{};
    if (formatDesc(desc.Format, &pixelFormat) != 0) return -1;
    const ImageRect whole{0, 0, int(desc.Width), int(desc.Height)};
    const ImageRect r = rect != nullptr ? *rect : whole;
    // A rectangle outside the texture has no pixels to point at.
    if (r.left < 0 || r.top < 0 || r.right > whole.right || r.bottom > whole.bottom || r.right <= r.left ||
        r.bottom <= r.top)
        return -1;
    ID3D11Texture2D* copy = nullptr;
    // Only a multisampled texture is resolved; a single-sample mip chain is copied whole
    // and its top level read.
    const bool resolve = desc.SampleDesc.Count > 1;
    if (resolve) {
        const D3D11_TEXTURE2D_DESC plain{desc.Width, desc.Height, 1, 1, desc.Format, {1, 0}, D3D11_USAGE_DEFAULT,
                                         0, 0, 0};
        if (D3D11Device_CreateTexture2D(&plain, nullptr, &copy) != S_OK) {
            LogAddTextUtf16(u"ダウンサンプリング用テクスチャの作成に失敗しました\n");
            return -1;
        }
        D3D11DeviceContext_ResolveSubresource(copy, 0, texture, 0, desc.Format);
    }
    const D3D11_TEXTURE2D_DESC stage{desc.Width,
                                     desc.Height,
                                     resolve ? 1 : desc.MipLevels,
                                     1,
                                     desc.Format,
                                     {1, 0},
                                     D3D11_USAGE_STAGING,
                                     0,
                                     D3D11_CPU_ACCESS_READ,
                                     0};
    if (D3D11Device_CreateTexture2D(&stage, nullptr, staging) != S_OK) {
        LogAddTextUtf16(u"描画対象バッファ読み取り用のテクスチャの作成に失敗しました\n");
        releaseAndClear(copy);
        return -1;
    }
    D3D11DeviceContext_CopyResource(*staging, copy != nullptr ? copy : texture);
    releaseAndClear(copy);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (D3D11DeviceContext_Map(*staging, 0, D3D11_MAP_READ, 0, &mapped) != S_OK) {
        LogAddTextUtf16(u"描画対象バッファ読み取り用のテクスチャのマッピングに失敗しました\n");
        releaseAndClear(*staging);
        return -1;
    }
    out->format = pixelFormat;
    out->width = r.right - r.left;
    out->height = r.bottom - r.top;
    out->pitch = int(mapped.RowPitch);
    out->pixels = static_cast<uint8_t*>(mapped.pData) + size_t(r.top) * mapped.RowPitch +
                  size_t(r.left) * pixelFormat.bytesPerPixel;
    out->mipCount = 0;
    out->imageCount = 0;
    return 0;
}

int Graphics_D3D11_LockDrawTargetBuffer(const ImageRect* rect, BaseImage* out, int graph, int, int) {
    D3D11SwapChains& sc = D3D11SwapChainSys;
    if (!D3D11Device_IsValid() || sc.lockStaging != nullptr || spanningLocked) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    // A named graph is read from the texture of the piece that holds the rectangle (a
    // rectangle across pieces is gathered from each), and so is a draw target of several
    // tiles; otherwise the bound target: a drawable graph's texture, else the screen.
    if (graph < 0 && D3D11_TiledTarget() != nullptr) graph = GraphicsDrawSettings.targets[0].handle;
    ID3D11Texture2D* texture = D3D11State.targetTexture[0];
    // While draws go through the mask they land on the mask screen; what the game has
    // drawn is on the real target behind it.
    ID3D11Texture2D* realTexture = nullptr;
    ID3D11RenderTargetView* realView = nullptr;
    if (D3D11_MaskedRealTarget(&realTexture, &realView)) texture = realTexture;
    ImageRect inTexture{};
    if (const GraphData* g = graph >= 0 ? GetGraphData(graph, 1) : nullptr; g != nullptr) {
        D3D11_ResolveGraph(g->orig);
        const ImageRect whole{0, 0, g->area.width, g->area.height};
        const ImageRect r = rect != nullptr ? *rect : whole;
        texture = nullptr;
        for (int i = 0; i < g->pieceCount && texture == nullptr; ++i) {
            const GraphDrawPiece& p = g->pieces[i];
            if (p.tile == nullptr || r.left < p.x || r.top < p.y || r.right > p.x + p.width ||
                r.bottom > p.y + p.height)
                continue;
            texture = D3D11_TileTexture(p.tile)->texture;
            inTexture = ImageRect{r.left - p.x + p.tileX, r.top - p.y + p.tileY, r.right - p.x + p.tileX,
                                  r.bottom - p.y + p.tileY};
            rect = &inTexture;
        }
        if (texture == nullptr) {
            if (lockSpanning(g, r, out) == 0) return 0;
            LogAddTextUtf16(u"描画対象バッファのロックに失敗しました\n");
            return -1;
        }
    }
    if (texture == nullptr)
        texture = D3D11BackendSys.subBackBuffer != nullptr ? D3D11BackendSys.subBackBuffer : sc.slots[0].backBuffer;
    if (texture == nullptr || Graphics_D3D11_ReadbackTexture(texture, rect, out, &sc.lockStaging) < 0) {
        LogAddTextUtf16(u"描画対象バッファのロックに失敗しました\n");
        return -1;
    }
    return 0;
}

int Graphics_D3D11_UnlockDrawTargetBuffer() {
    D3D11SwapChains& sc = D3D11SwapChainSys;
    if (spanningLocked) {
        spanningLocked = false;
        spanningPixels = {};
    }
    if (sc.lockStaging != nullptr) {
        D3D11DeviceContext_Unmap(sc.lockStaging, 0);
        releaseAndClear(sc.lockStaging);
    }
    return 0;
}

}  // namespace ZaDod
