// Direct3D 11 graph textures: one texture and view per tile of an original image (and a
// target view for drawable graphs), in the surveyed format of the graph's pixel-format row.
#include <cstring>
#include <vector>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_tiled.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/upload_levels.h"

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
            if (D3D11State.targetTexture[slot] == D3D11_TileDrawTexture(t)) {
                D3D11State.targetView[slot] = nullptr;
                D3D11State.targetTexture[slot] = nullptr;
            }
    }
    if (t->depthView != nullptr && D3D11State.depthView == t->depthView &&
        (!D3D11Device_IsValid() || Graphics_D3D11_DeviceState_SetDepthBuffer(nullptr, nullptr) != 0)) {
        D3D11State.depthView = nullptr;
        D3D11State.depthTexture = nullptr;
    }
    D3D11_ReleaseAndClear(t->depthView, [](ID3D11DepthStencilView* x) { D3D11DepthStencilView_Release(x); });
    D3D11_ReleaseAndClear(t->depthTexture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
    for (ID3D11RenderTargetView*& face : t->faceViews) D3D11_ReleaseAndClear(face, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(t->targetView, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(t->passView, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(t->view, D3D11ShaderResourceView_Release);
    D3D11_ReleaseAndClear(t->texture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
    if (t->msTexture != nullptr) D3D11_ForgetResolve(t->msTexture);
    D3D11_ReleaseAndClear(t->msTexture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
}

// A drawable graph's own depth buffer: a depth texture of the tile's size and sample
// description in the depth format of the graph's bit depth, cleared to the far plane.
bool createDepthBuffer(const GraphOrigData* orig, const GraphTextureTile& tile, D3D11GraphTexture* t, int async,
                       DXGI_SAMPLE_DESC samples) {
    const int index = orig->depthBufferKind >= 0 && orig->depthBufferKind <= 2 ? orig->depthBufferKind : 0;
    const D3D11_TEXTURE2D_DESC desc{UINT(tile.textureWidth), UINT(tile.textureHeight), 1, 1,
                                    D3D11FormatSys.depthTexture[index], samples, D3D11_USAGE_DEFAULT,
                                    UINT(D3D11_BIND_DEPTH_STENCIL), 0, 0};
    if (D3D11Device_CreateTexture2D(&desc, nullptr, &t->depthTexture, async) != S_OK) {
        LogAddTextUtf16(u"書き込み専用マルチサンプル深度テクスチャの作成に失敗しました\n");
        return false;
    }
    D3D11_DEPTH_STENCIL_VIEW_DESC dsv{};
    dsv.Format = D3D11FormatSys.depthView[index];
    dsv.ViewDimension = samples.Count < 2 ? D3D11_DSV_DIMENSION_TEXTURE2D : D3D11_DSV_DIMENSION_TEXTURE2DMS;
    if (D3D11Device_CreateDepthStencilView(t->depthTexture, &dsv, &t->depthView, async) != S_OK) {
        LogAddTextUtf16(u"深度バッファ用深度ステンシルビューの作成に失敗しました\n");
        return false;
    }
    D3D11DeviceContext_ClearDepthStencilView(t->depthView, D3D11_CLEAR_DEPTH, 1.0f, 0, async);
    return true;
}

}  // namespace

int D3D11_DXTKind(DXGI_FORMAT format) {
    switch (format) {
        case DXGI_FORMAT_BC1_UNORM: return 1;
        case DXGI_FORMAT_BC2_UNORM: return 3;
        case DXGI_FORMAT_BC3_UNORM: return 5;
        default: return 0;
    }
}

// The survey's row of the graph's pixel-format index. The premultiplied DXT kinds (2 and
// 4) have no block format here: their rows hold the fall-back already.
DXGI_FORMAT D3D11_ChooseGraphFormat(const GraphOrigData* orig) {
    const int row = GraphFormatRow(orig);
    return row >= 0 ? D3D11TextureFormatTable[row] : DXGI_FORMAT_UNKNOWN;
}

DXGI_FORMAT D3D11_GraphFormat(const GraphOrigData* orig) { return DXGI_FORMAT(orig->textureFormat.apiFormat); }

// Plain pixels go into any texture; a DXT1, DXT3 or DXT5 picture is kept only by a block
// texture of its own kind, and DXT2 and DXT4 are always decoded. A software record
// decodes every kind.
int Graphics_D3D11_GetDXTDecodeFlags(const GraphTextureFormat* format, int colorKind, int* colorDecode,
                                     int alphaKind, int* alphaDecode) {
    const int kept = format != nullptr && format->hardware ? D3D11_DXTKind(DXGI_FORMAT(format->apiFormat)) : 0;
    return DXTDecodeFlags(kept, colorKind, colorDecode, alphaKind, alphaDecode);
}

int Graphics_D3D11_CreateGraphTexture(GraphOrigData* orig, int asyncThread) {
    if (orig == nullptr || !D3D11Device_IsValid()) return -1;
    const DXGI_FORMAT format = D3D11_ChooseGraphFormat(orig);
    if (format == DXGI_FORMAT_UNKNOWN) {
        LogAddTextUtf16(u"指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
        return -1;
    }
    orig->textureFormat =
        GraphTextureFormat{1, uint32_t(format), orig->pixelFormatIndex, Graphics_D3D11_GetFormatPixelDesc(format)};
    const int drawable = orig->request.drawable;
    const int levels = D3D11_GraphMipLevels(orig), faces = D3D11_GraphFaces(orig);
    // Multisampling: cube maps and devices below feature level 10.0 draw single-sampled;
    // otherwise the count and quality the device takes for the format.
    int count = 1, quality = 0;
    if (drawable && orig->request.multiSampleCount != 0 && faces == 1 &&
        D3D11Sys.featureLevel >= D3D_FEATURE_LEVEL_10_0) {
        count = orig->request.multiSampleCount;
        quality = orig->request.multiSampleQuality;
        D3D11Device_CheckMultiSampleParam(D3D11_GraphFormat(orig), &count, &quality, 0, asyncThread);
    }
    const DXGI_SAMPLE_DESC samples{UINT(count), UINT(quality)};
    // The screen's count is 1 when it is not multisampled.
    const int screenCount = GraphicsSys.screenMultiSampleCount > 1 ? GraphicsSys.screenMultiSampleCount : 1;
    const bool ownDepth = orig->depthBuffer || (count > 1) != (screenCount > 1);
    const bool passTarget = !drawable && levels == 1 && faces == 1 &&
                            (D3D11_GraphFormat(orig) == DXGI_FORMAT_R8G8B8A8_UNORM ||
                             D3D11_GraphFormat(orig) == DXGI_FORMAT_B8G8R8A8_UNORM);
    for (int i = 0; i < orig->tileCount; ++i) {
        GraphTextureTile& tile = orig->tiles[i];
        D3D11GraphTexture* t = D3D11_TileTexture(&tile);
        std::memset(t, 0, sizeof *t);
        D3D11_TEXTURE2D_DESC desc{};
        desc.Width = UINT(tile.textureWidth);
        desc.Height = UINT(tile.textureHeight);
        desc.MipLevels = UINT(levels);
        desc.ArraySize = UINT(faces);
        desc.Format = D3D11_GraphFormat(orig);
        desc.SampleDesc = {1, 0};
        desc.Usage = D3D11_USAGE_DEFAULT;
        desc.BindFlags =
            D3D11_BIND_SHADER_RESOURCE | (drawable || passTarget ? UINT(D3D11_BIND_RENDER_TARGET) : 0u);
        desc.MiscFlags = faces == 6 ? UINT(D3D11_RESOURCE_MISC_TEXTURECUBE) : 0u;
        // New textures start transparent black, as new software graphs do: the device hands
        // out cleared storage, and drawable ones are cleared once more below; no block of
        // zeros the size of the tile is built for it.
        // Each failing step logs its own line with the system's words for it.
        bool ok = D3D11Device_CreateTexture2D(&desc, nullptr, &t->texture, asyncThread) == S_OK;
        if (!ok) LogAddTextUtf16(u"テクスチャの作成に失敗しました\n");
        if (ok) {
            D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
            srv.Format = desc.Format;
            if (faces == 6) {
                srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
                srv.TextureCube = {0, 1};
            } else {
                srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
                srv.Texture2D = {0, UINT(levels)};
            }
            ok = D3D11Device_CreateShaderResourceView(t->texture, &srv, &t->view, asyncThread) == S_OK;
            if (!ok)
                LogFormatUtf16(u"テクスチャ用シェーダーリソースビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d \n",
                               int(desc.Format), tile.textureWidth, tile.textureHeight);
        }
        if (ok && count > 1) {
            D3D11_TEXTURE2D_DESC ms = desc;
            ms.MipLevels = 1;
            ms.SampleDesc = samples;
            ms.BindFlags = D3D11_BIND_RENDER_TARGET;
            ok = D3D11Device_CreateTexture2D(&ms, nullptr, &t->msTexture, asyncThread) == S_OK;
            if (!ok) LogAddTextUtf16(u"マルチサンプルテクスチャの作成に失敗しました\n");
        }
        // A drawable cube map has a target view per face (its surfaces 0..5).
        for (int f = 0; ok && drawable && f < faces; ++f) {
            D3D11_RENDER_TARGET_VIEW_DESC rtv{};
            rtv.Format = desc.Format;
            if (faces == 6) {
                rtv.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2DARRAY;
                rtv.Texture2DArray = {0, UINT(f), 1};
            } else {
                rtv.ViewDimension = count > 1 ? D3D11_RTV_DIMENSION_TEXTURE2DMS : D3D11_RTV_DIMENSION_TEXTURE2D;
            }
            ID3D11RenderTargetView** view = f == 0 ? &t->targetView : &t->faceViews[f - 1];
            ok = D3D11Device_CreateRenderTargetView(D3D11_TileDrawTexture(t), &rtv, view, asyncThread) == S_OK;
            if (!ok)
                LogFormatUtf16(u"テクスチャ用レンダーターゲットビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d \n",
                               int(desc.Format), tile.textureWidth, tile.textureHeight);
        }
        if (ok && passTarget) {  // without it the passes go through a work screen
            D3D11_RENDER_TARGET_VIEW_DESC rtv{};
            rtv.Format = desc.Format;
            rtv.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
            if (D3D11Device_CreateRenderTargetView(t->texture, &rtv, &t->passView, asyncThread) != S_OK)
                t->passView = nullptr;
        }
        // New targets and samples start transparent black.
        if (ok && drawable && t->targetView != nullptr) {
            const float clear[4] = {0, 0, 0, 0};
            D3D11DeviceContext_ClearRenderTargetView(t->targetView, clear, asyncThread);
        }
        if (ok && drawable && ownDepth) ok = createDepthBuffer(orig, tile, t, asyncThread, samples);
        if (!ok) {
            for (int j = 0; j <= i; ++j) releaseTile(D3D11_TileTexture(&orig->tiles[j]));
            return -1;
        }
        t->width = tile.textureWidth;
        t->height = tile.textureHeight;
    }
    return 0;
}

int D3D11_ResolveGraph(const GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr || !D3D11Device_IsValid()) return 0;
    bool flushed = false;
    for (int i = 0; i < orig->tileCount; ++i) {
        const D3D11GraphTexture* t = D3D11_TileTexture(&orig->tiles[i]);
        if (t->msTexture == nullptr || t->texture == nullptr) continue;
        if (!flushed) Graphics_D3D11_FlushVertexBatch(-1, 0);
        flushed = true;
        D3D11DeviceContext_ResolveSubresource(t->texture, 0, t->msTexture, 0, D3D11_GraphFormat(orig));
    }
    return 0;
}

int D3D11_SpreadGraph(const GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr || !D3D11Device_IsValid()) return 0;
    int result = 0;
    for (int i = 0; i < orig->tileCount; ++i) {
        const D3D11GraphTexture* t = D3D11_TileTexture(&orig->tiles[i]);
        if (t->msTexture == nullptr || t->texture == nullptr || t->view == nullptr) continue;
        if (Graphics_D3D11_StretchRect(t->texture, t->view, nullptr, t->msTexture, t->targetView, nullptr) < 0)
            result = -1;
    }
    return result;
}

int Graphics_D3D11_ReleaseGraphTexture(GraphOrigData* orig) {
    if (orig == nullptr || orig->tiles == nullptr) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11_ForgetTiledTarget(orig);
    for (int i = 0; i < orig->tileCount; ++i) releaseTile(D3D11_TileTexture(&orig->tiles[i]));
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
    SettleGraphsBeforeDeviceRelease();
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
