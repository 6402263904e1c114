// The Direct3D 11 mask screen: draws go to a screen-sized texture while masking; the
// end of a masked draw copies the drawn rectangle back onto the real target through a
// mask pixel shader that lets through only what the mask image (or a mask graph) allows.
#include <algorithm>
#include <vector>

#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_mask.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mask.h"
#include "media/system/fatal.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;
using plat::win::S_OK;

struct MaskScreenObjects {
    ID3D11Texture2D* image;
    ID3D11ShaderResourceView* imageView;
    ID3D11Texture2D* screen;
    ID3D11ShaderResourceView* screenView;
    ID3D11RenderTargetView* screenTarget;
    ID3D11Texture2D* oldScreen;
    ID3D11ShaderResourceView* oldScreenView;
    ID3D11RenderTargetView* oldScreenTarget;
    int textureWidth, textureHeight;
    // The real target saved by the last draw begin.
    ID3D11Texture2D* real;
    ID3D11ShaderResourceView* realView;
    ID3D11RenderTargetView* realTarget;
};
MaskScreenObjects M{};

int pow2(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
}

template <class T, class R>
void release(T*& object, R fn) {
    if (object != nullptr) fn(object);
    object = nullptr;
}

// The mask bytes of a rectangle go to the mask image, one 8-bit channel, as they are.
void uploadMask(int left, int top, int right, int bottom) {
    int pitch = 0, w = 0, h = 0;
    const uint8_t* buffer = GetMaskBuffer(&pitch, &w, &h);
    if (buffer == nullptr || M.image == nullptr) return;
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, w), bottom = std::min(bottom, h);
    if (right <= left || bottom <= top) return;
    const D3D11_BOX box{UINT(left), UINT(top), 0, UINT(right), UINT(bottom), 1};
    D3D11DeviceContext_UpdateSubresource(M.image, 0, &box, buffer + size_t(top) * size_t(pitch) + size_t(left),
                                         UINT(pitch), 0);
}

// The target front draws land on when no mask is in the way.
void drawTarget(ID3D11Texture2D** texture, ID3D11ShaderResourceView** view, ID3D11RenderTargetView** target) {
    const GraphData* g = GetGraphData(GraphicsDrawSettings.targets[0].handle);
    if (g != nullptr && g->orig != nullptr && g->pieceCount > 0 && g->pieces[0].tile != nullptr) {
        const D3D11GraphTexture* t = D3D11_TileTexture(g->pieces[0].tile);
        *texture = D3D11_TileDrawTexture(t), *view = t->view, *target = t->targetView;
        return;
    }
    const D3D11Backend& b = D3D11BackendSys;
    if (b.subBackBuffer != nullptr) {
        *texture = b.subBackBuffer, *view = b.subBackBufferSrv, *target = b.subBackBufferRtv;
        return;
    }
    const D3D11SwapChain& chain = D3D11SwapChainSys.slots[0];
    *texture = chain.backBuffer, *view = chain.srv, *target = chain.rtv;
}

void releaseTexture(ID3D11Texture2D* t) { D3D11Texture2D_Release(t); }

bool masking() { return IsDrawingThroughMask() && M.screen != nullptr; }

RECT rectOf(const ImageRect* r) { return RECT{r->left, r->top, r->right, r->bottom}; }

}  // namespace

int Graphics_D3D11_Mask_CreateScreen(int width, int height) {
    if (!D3D11Device_IsValid()) return -1;
    const DXGI_FORMAT screenFormat = D3D11FormatSys.screen != DXGI_FORMAT_UNKNOWN ? D3D11FormatSys.screen
                                                                                 : DXGI_FORMAT_R8G8B8A8_UNORM;
    M.textureWidth = pow2(width), M.textureHeight = pow2(height);
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = UINT(M.textureWidth), desc.Height = UINT(M.textureHeight);
    desc.MipLevels = 1, desc.ArraySize = 1, desc.SampleDesc = {1, 0};
    desc.Usage = D3D11_USAGE_DEFAULT;
    if (M.image == nullptr) {
        desc.Format = D3D11TextureFormatTable[48] != DXGI_FORMAT_UNKNOWN ? D3D11TextureFormatTable[48]
                                                                         : DXGI_FORMAT_R8_UNORM;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
        if (D3D11Device_CreateTexture2D(&desc, nullptr, &M.image) != S_OK)
            FatalErrorExit(u"マスクイメージ用テクスチャの作成に失敗しました");
        D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
        srv.Format = desc.Format, srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        srv.Texture2D.MostDetailedMip = 0, srv.Texture2D.MipLevels = 1;
        if (D3D11Device_CreateShaderResourceView(M.image, &srv, &M.imageView) != S_OK)
            FatalErrorExit(u"マスクイメージテクスチャ用シェーダーリソースビューの作成に失敗しました");
        uploadMask(0, 0, width, height);
    }
    if (M.screen == nullptr) {
        desc.Format = screenFormat;
        desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
        if (D3D11Device_CreateTexture2D(&desc, nullptr, &M.screen) != S_OK) {
            M.screen = nullptr;
            LogAddTextUtf16(u"マスク用スクリーンテクスチャの作成に失敗しました\n");
            return -1;
        }
        D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
        srv.Format = desc.Format, srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        srv.Texture2D.MostDetailedMip = 0, srv.Texture2D.MipLevels = 1;
        if (D3D11Device_CreateShaderResourceView(M.screen, &srv, &M.screenView) != S_OK)
            FatalErrorExit(u"マスクスクリーンテクスチャ用シェーダーリソースビューの作成に失敗しました");
        D3D11_RENDER_TARGET_VIEW_DESC rtv{};
        rtv.Format = desc.Format, rtv.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
        rtv.Texture2D.MipSlice = 0;
        if (D3D11Device_CreateRenderTargetView(M.screen, &rtv, &M.screenTarget) != S_OK)
            FatalErrorExit(u"マスクスクリーンテクスチャ用レンダーターゲットビューの作成に失敗しました");
    }
    return 0;
}

int Graphics_D3D11_Mask_CreateScreen_KeepOld() {
    M.oldScreen = M.screen, M.oldScreenView = M.screenView, M.oldScreenTarget = M.screenTarget;
    M.screen = nullptr, M.screenView = nullptr, M.screenTarget = nullptr;
    // The image is made anew at the new size.
    release(M.imageView, D3D11ShaderResourceView_Release);
    release(M.image, releaseTexture);
    return 0;
}

int Graphics_D3D11_Mask_CreateScreen_CopyOld(int oldWidth, int oldHeight) {
    int w = 0, h = 0;
    GetMaskBuffer(nullptr, &w, &h);
    uploadMask(0, 0, w, h);
    if (M.oldScreen != nullptr && M.screen != nullptr) {
        const RECT r{0, 0, oldWidth, oldHeight};
        Graphics_D3D11_StretchRect(M.oldScreen, M.oldScreenView, &r, M.screen, M.screenTarget, &r);
        for (int slot = 0; slot < 8; ++slot)
            if (D3D11State.targetView[slot] == M.oldScreenTarget)
                Graphics_D3D11_DeviceState_SetRenderTarget(M.screen, M.screenTarget, slot);
    }
    release(M.oldScreenTarget, D3D11RenderTargetView_Release);
    release(M.oldScreenView, D3D11ShaderResourceView_Release);
    release(M.oldScreen, releaseTexture);
    return 0;
}

int Graphics_D3D11_Mask_DrawBegin(const ImageRect* rect) {
    if (!masking() || rect == nullptr) return 0;
    drawTarget(&M.real, &M.realView, &M.realTarget);
    if (M.real == nullptr) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const RECT r = rectOf(rect);
    // A multisampled target is read through its resolve: a graph's own texture, or for the
    // screen a texture made for the copy.
    D3D11_TEXTURE2D_DESC desc{};
    D3D11Texture2D_GetDesc(M.real, &desc);
    ID3D11Texture2D* resolved = nullptr;
    ID3D11ShaderResourceView* resolvedView = nullptr;
    ID3D11Texture2D* source = M.real;
    ID3D11ShaderResourceView* sourceView = M.realView;
    if (desc.SampleDesc.Count > 1) {
        if (const GraphData* g = GetGraphData(GraphicsDrawSettings.targets[0].handle); g != nullptr) {
            D3D11_ResolveGraph(g->orig);
        } else {
            D3D11_TEXTURE2D_DESC plain = desc;
            plain.SampleDesc = {1, 0};
            plain.BindFlags = D3D11_BIND_SHADER_RESOURCE;
            if (D3D11Device_CreateTexture2D(&plain, nullptr, &resolved) != S_OK ||
                D3D11Device_CreateShaderResourceView(resolved, nullptr, &resolvedView) != S_OK) {
                release(resolved, releaseTexture);
                return -1;
            }
            D3D11DeviceContext_ResolveSubresource(resolved, 0, M.real, 0, desc.Format);
            source = resolved, sourceView = resolvedView;
        }
    }
    if (sourceView != nullptr) Graphics_D3D11_StretchRect(source, sourceView, &r, M.screen, M.screenTarget, &r);
    release(resolvedView, D3D11ShaderResourceView_Release);
    release(resolved, releaseTexture);
    // The mask image follows the mask buffer where the draw lands.
    uploadMask(rect->left, rect->top, rect->right, rect->bottom);
    return 0;
}

int Graphics_D3D11_Mask_DrawEnd(const ImageRect* rect) {
    if (!masking() || rect == nullptr || M.real == nullptr || M.realTarget == nullptr) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const D3D11Shaders& sh = D3D11ShaderSys;
    const RECT r = rectOf(rect);
    const bool reversed = GetMaskReverseFlag() != 0;
    int blendType = 0;
    const GraphData* graph = TakeMaskGraph(&blendType);
    const D3D11GraphTexture* t = graph != nullptr ? D3D11_TileTexture(graph->pieces[0].tile) : nullptr;
    if (t == nullptr || t->texture == nullptr) {
        // The mask shader discards the pixels the mask byte blocks.
        Graphics_D3D11_StretchRect(M.screen, M.screenView, &r, M.real, M.realTarget, &r, 0, 0, nullptr,
                                   reversed ? sh.maskReverse : sh.mask, M.image, M.imageView, &r);
        return 0;
    }
    // The channel shader gives the drawn pixel the mask graph's channel as alpha, and the
    // copy blends it over the old contents by that alpha. Blend types run alpha, red,
    // green, blue; the shader set keeps red, green, blue, alpha.
    static const int kShaderChannel[4] = {3, 0, 1, 2};
    const int channel = kShaderChannel[blendType >= 0 && blendType < 4 ? blendType : 0];
    const GraphDrawPiece& piece = graph->pieces[0];
    const RECT g{r.left + piece.tileX, r.top + piece.tileY, r.right + piece.tileX, r.bottom + piece.tileY};
    Graphics_D3D11_StretchRect(M.screen, M.screenView, &r, M.real, M.realTarget, &r, 0, 1, nullptr,
                               reversed ? sh.maskReverseChannel[channel] : sh.maskChannel[channel], t->texture,
                               t->view, &g);
    return 0;
}

int Graphics_D3D11_Mask_ReleaseScreen() {
    if (M.screenTarget != nullptr)
        for (int slot = 0; slot < 8; ++slot)
            if (D3D11State.targetView[slot] == M.screenTarget) D3D11State.targetView[slot] = nullptr;
    release(M.screenTarget, D3D11RenderTargetView_Release);
    release(M.screenView, D3D11ShaderResourceView_Release);
    release(M.screen, releaseTexture);
    release(M.imageView, D3D11ShaderResourceView_Release);
    release(M.image, releaseTexture);
    M.real = nullptr, M.realView = nullptr, M.realTarget = nullptr;
    return 0;
}

int Graphics_D3D11_Mask_SetUseMaskScreen() {
    if (!D3D11Device_IsValid()) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    if (masking()) {
        Graphics_D3D11_DeviceState_SetRenderTarget(M.screen, M.screenTarget, 0);
    } else {
        ID3D11Texture2D* t = nullptr;
        ID3D11ShaderResourceView* v = nullptr;
        ID3D11RenderTargetView* rt = nullptr;
        drawTarget(&t, &v, &rt);
        if (rt != nullptr) Graphics_D3D11_DeviceState_SetRenderTarget(t, rt, 0);
    }
    const ImageRect& a = GraphicsDrawSettings.drawArea;
    Graphics_D3D11_DeviceState_SetViewportRect(a.left, a.top, a.right, a.bottom);
    return 0;
}

bool D3D11_MaskedRealTarget(ID3D11Texture2D** texture, ID3D11RenderTargetView** target) {
    if (!masking()) return false;
    ID3D11ShaderResourceView* view = nullptr;
    drawTarget(texture, &view, target);
    return *target != nullptr;
}

void D3D11_MaskTextures(ID3D11Texture2D** screen, ID3D11Texture2D** image, int* width, int* height) {
    *screen = M.screen, *image = M.image;
    *width = M.screen != nullptr ? M.textureWidth : 0;
    *height = M.screen != nullptr ? M.textureHeight : 0;
}

}  // namespace ZaDod
