// Direct3D 11 graph textures: one texture and view per tile of an original image (and a
// target view for drawable graphs), made, released and filled from base images.
#include <cstring>
#include <vector>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_graph.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

void releaseTile(D3D11GraphTexture* t) {
    if (D3D11State.texture == t->texture && t->texture != nullptr) Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    // A view still bound in a slot would be bound again by the next state restore.
    if (t->view != nullptr && D3D11Device_IsValid()) {
        ID3D11ShaderResourceView* none = nullptr;
        for (int slot = 0; slot < 2; ++slot)
            if (D3D11State.psResources[slot] == t->view) Graphics_D3D11_DeviceState_SetPSShaderResources(slot, 1, &none);
    }
    if (t->targetView != nullptr) {
        for (int slot = 0; slot < 8; ++slot)
            if (D3D11State.targetView[slot] == t->targetView) {
                D3D11State.targetView[slot] = nullptr;
                D3D11State.targetTexture[slot] = nullptr;
            }
    }
    D3D11_ReleaseAndClear(t->targetView, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(t->view, D3D11ShaderResourceView_Release);
    D3D11_ReleaseAndClear(t->texture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
}

}  // namespace

const PixelFormatDesc* D3D11_GraphPixelDesc() {
    static const PixelFormatDesc desc = [] {
        PixelFormatDesc d{};
        CreateColorData(&d, 32, 0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u);
        return d;
    }();
    return &desc;
}

// Graph textures here are always R8G8B8A8 (no block-compressed layout), so a DXT image of
// any kind (1..5) is decoded before upload; no image (kind -1 or 0) needs nothing.
int Graphics_D3D11_GetDXTDecodeFlags(const GraphTextureFormat* /*format*/, int colorKind, int* colorDecode,
                                     int alphaKind, int* alphaDecode) {
    auto decode = [](int kind) { return kind >= 1 && kind <= 5 ? 1 : 0; };
    if (colorDecode != nullptr) *colorDecode = decode(colorKind);
    if (alphaDecode != nullptr) *alphaDecode = decode(alphaKind);
    return 0;
}

int Graphics_D3D11_CreateGraphTexture(GraphOrigData* orig, int asyncThread) {
    if (orig == nullptr || !D3D11Device_IsValid()) return -1;
    const int drawable = orig->request.drawable;
    for (int i = 0; i < orig->tileCount; ++i) {
        GraphTextureTile& tile = orig->tiles[i];
        D3D11GraphTexture* t = D3D11_TileTexture(&tile);
        std::memset(t, 0, sizeof *t);
        D3D11_TEXTURE2D_DESC desc{};
        desc.Width = UINT(tile.textureWidth);
        desc.Height = UINT(tile.textureHeight);
        desc.MipLevels = 1;
        desc.ArraySize = 1;
        desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
        desc.SampleDesc = {1, 0};
        desc.Usage = D3D11_USAGE_DEFAULT;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | (drawable ? UINT(D3D11_BIND_RENDER_TARGET) : 0u);
        // New textures start transparent black, as new software graphs do.
        std::vector<uint8_t> zero(size_t(desc.Width) * desc.Height * 4, 0);
        const D3D11_SUBRESOURCE_DATA initial{zero.data(), desc.Width * 4, 0};
        bool ok = D3D11Device_CreateTexture2D(&desc, &initial, &t->texture, asyncThread) == S_OK;
        if (ok) {
            D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
            srv.Format = desc.Format;
            srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
            srv.Texture2D = {0, 1};
            ok = D3D11Device_CreateShaderResourceView(t->texture, &srv, &t->view, asyncThread) == S_OK;
        }
        if (ok && drawable) {
            D3D11_RENDER_TARGET_VIEW_DESC rtv{};
            rtv.Format = desc.Format;
            rtv.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
            ok = D3D11Device_CreateRenderTargetView(t->texture, &rtv, &t->targetView, asyncThread) == S_OK;
        }
        if (!ok) {
            LogFormatUtf16(u"グラフィック用テクスチャの作成に失敗しました  SizeX:%d  SizeY:%d\n", tile.textureWidth,
                           tile.textureHeight);
            for (int j = 0; j <= i; ++j) releaseTile(D3D11_TileTexture(&orig->tiles[j]));
            return -1;
        }
        t->width = tile.textureWidth;
        t->height = tile.textureHeight;
    }
    return 0;
}

int Graphics_D3D11_ReleaseGraphTexture(GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    for (int i = 0; i < orig->tileCount; ++i) releaseTile(D3D11_TileTexture(&orig->tiles[i]));
    return 0;
}

int Graphics_D3D11_BltBmpOrBaseImageToGraph3(const ImageRect* srcRect, int destX, int destY, int graph,
                                             const BaseImage* colorImage, const BaseImage* alphaImage, int redrawFlag,
                                             int useTransColor, int /*textureOnly*/) {
    GraphData* g = GetGraphData(graph, 1);
    if (g == nullptr || g->orig == nullptr || colorImage == nullptr || !D3D11Device_IsValid()) return -1;
    GraphOrigData* orig = g->orig;
    // The destination is the graph's rectangle, or the whole original with redrawFlag.
    const int baseX = redrawFlag ? 0 : g->area.x, baseY = redrawFlag ? 0 : g->area.y;
    const int areaW = redrawFlag ? orig->width : g->area.width, areaH = redrawFlag ? orig->height : g->area.height;
    int srcW = colorImage->width, srcH = colorImage->height;
    if (alphaImage != nullptr) {
        srcW = srcW < alphaImage->width ? srcW : alphaImage->width;
        srcH = srcH < alphaImage->height ? srcH : alphaImage->height;
    }
    ImageRect src;
    int x, y;
    if (ClipBltRectToImage(srcW, srcH, areaW, areaH, srcRect, destX, destY, &src, &x, &y) != 0) return 0;
    x += baseX;
    y += baseY;
    const int w = src.right - src.left, h = src.bottom - src.top;
    const int trans = useTransColor && orig->request.colorKey;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    std::vector<uint32_t> buffer;
    for (int i = 0; i < orig->tileCount; ++i) {
        const GraphTextureTile& tile = orig->tiles[i];
        const int left = x > tile.x ? x : tile.x, top = y > tile.y ? y : tile.y;
        const int right = x + w < tile.x + tile.usedWidth ? x + w : tile.x + tile.usedWidth;
        const int bottom = y + h < tile.y + tile.usedHeight ? y + h : tile.y + tile.usedHeight;
        if (left >= right || top >= bottom) continue;
        // Where the upload reaches the tile's used edge inside a larger texture, the edge
        // pixels are repeated once beyond it so bilinear sampling never reads garbage.
        const int padRight = right == tile.x + tile.usedWidth && tile.usedWidth < tile.textureWidth ? 1 : 0;
        const int padBottom = bottom == tile.y + tile.usedHeight && tile.usedHeight < tile.textureHeight ? 1 : 0;
        const int bw = right - left + padRight, bh = bottom - top + padBottom;
        buffer.assign(size_t(bw) * size_t(bh), 0);
        const ImageRect part{src.left + (left - x), src.top + (top - y), src.left + (right - x), src.top + (bottom - y)};
        const int r = GraphColorMatchBlt(buffer.data(), bw * 4, D3D11_GraphPixelDesc(), colorImage->pixels,
                                         colorImage->pitch, &colorImage->format,
                                         alphaImage != nullptr ? alphaImage->pixels : nullptr,
                                         alphaImage != nullptr ? alphaImage->pitch : 0,
                                         alphaImage != nullptr ? &alphaImage->format : nullptr, 0, 0, &part, 0, trans,
                                         orig->transColor, 0, 0, 0, 0, 0);
        if (r < 0) return -1;
        for (int row = 0; row < bh - padBottom && padRight; ++row)
            buffer[size_t(row) * bw + bw - 1] = buffer[size_t(row) * bw + bw - 2];
        if (padBottom)
            std::memcpy(&buffer[size_t(bh - 1) * bw], &buffer[size_t(bh - 2) * bw], size_t(bw) * 4);
        const D3D11_BOX box{UINT(left - tile.x), UINT(top - tile.y), 0, UINT(left - tile.x + bw),
                            UINT(top - tile.y + bh), 1};
        D3D11DeviceContext_UpdateSubresource(D3D11_TileTexture(&tile)->texture, 0, &box, buffer.data(), UINT(bw * 4),
                                             0);
    }
    return 0;
}

}  // namespace ZaDod

namespace ZaDod {
namespace {

// Every original image held in textures, once each (graphs cut from one share it).
template <class Fn>
void forEachHardwareOrig(Fn fn) {
    const HandleTypeManager& manager = HandleManageArray[HANDLETYPE_GRAPH];
    std::vector<GraphOrigData*> seen;
    for (int index = manager.AreaMin; manager.InitializeFlag && index <= manager.AreaMax; ++index) {
        HandleEntryHeader* header = manager.Handle[index];
        if (header == nullptr) continue;
        GraphOrigData* orig = reinterpret_cast<GraphData*>(header)->orig;
        if (orig == nullptr || !orig->request.hardware || orig->tiles == nullptr) continue;
        bool done = false;
        for (GraphOrigData* o : seen) done = done || o == orig;
        if (done) continue;
        seen.push_back(orig);
        fn(orig);
    }
}

}  // namespace

int Graphics_D3D11_ReleaseAllGraphTextures() {
    forEachHardwareOrig([](GraphOrigData* orig) { Graphics_D3D11_ReleaseGraphTexture(orig); });
    return 0;
}

int Graphics_D3D11_RecreateAllGraphTextures() {
    int result = 0;
    // Contents come back through the graph restore, which uploads the images again.
    forEachHardwareOrig([&](GraphOrigData* orig) {
        if (Graphics_D3D11_CreateGraphTexture(orig, 0) != 0) result = -1;
    });
    return result;
}

}  // namespace ZaDod
