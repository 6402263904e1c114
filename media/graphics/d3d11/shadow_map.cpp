// Direct3D 11 shadow maps: each map's depth texture (read by shaders as well), its colour
// target with both views, made when the map is first drawn into, released with the handle
// or the device; and the matrices and depth parameters of the maps in the three shadow-map
// slots, written into the constant-buffer copies for the next draw.
#include "media/graphics/d3d11/d3d11_shadow_map.h"

#include <cstring>
#include <unordered_map>

#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/shadow_constants.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// The records own no room for device objects; the back end keeps them by record.
std::unordered_map<const ShadowMapData*, D3D11ShadowMapTexture>& table() {
    static std::unordered_map<const ShadowMapData*, D3D11ShadowMapTexture> maps;
    return maps;
}

void releaseObjects(D3D11ShadowMapTexture& t) {
    D3D11DeviceStateCache& c = D3D11State;
    for (int slot = 0; slot < 8; ++slot)
        if (t.targetView != nullptr && c.targetView[slot] == t.targetView) {
            c.targetView[slot] = nullptr;
            c.targetTexture[slot] = nullptr;
        }
    if (t.depthView != nullptr && c.depthView == t.depthView) {
        c.depthView = nullptr;
        c.depthTexture = nullptr;
    }
    for (auto& view : c.psResources)
        if (view != nullptr && (view == t.view || view == t.depthResourceView)) view = nullptr;
    D3D11_ReleaseAndClear(t.depthResourceView, D3D11ShaderResourceView_Release);
    D3D11_ReleaseAndClear(t.view, D3D11ShaderResourceView_Release);
    D3D11_ReleaseAndClear(t.targetView, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(t.texture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
    D3D11_ReleaseAndClear(t.depthView, [](ID3D11DepthStencilView* x) { D3D11DepthStencilView_Release(x); });
    D3D11_ReleaseAndClear(t.depthTexture, [](ID3D11Texture2D* x) { D3D11Texture2D_Release(x); });
}

}  // namespace

const D3D11ShadowMapTexture* D3D11_ShadowMapTexture(const ShadowMapData* map) {
    const auto it = table().find(map);
    return it == table().end() || it->second.texture == nullptr ? nullptr : &it->second;
}

int Graphics_D3D11_ShadowMap_CreateTexture(ShadowMapData* map, int /*async*/) {
    if (map == nullptr || !D3D11Device_IsValid()) return -1;
    if (D3D11_ShadowMapTexture(map) != nullptr) return 0;
    const DXGI_FORMAT colour = D3D11TextureFormatTable[kD3D11ShadowMapFormatRow];
    const DXGI_FORMAT depthTexture = D3D11FormatSys.depthTexture[2], depthView = D3D11FormatSys.depthView[2];
    if (colour == DXGI_FORMAT_UNKNOWN || depthTexture == DXGI_FORMAT_UNKNOWN) {
        LogAddTextUtf16(u"シャドウマップデータ用のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
        return -1;
    }
    if (map->width <= 0 || map->height <= 0) return -1;
    D3D11ShadowMapTexture t{};
    t.width = map->width;
    t.height = map->height;
    // A typeless depth layout is read by shaders through its float view as well.
    const bool readable = depthTexture == DXGI_FORMAT_R32_TYPELESS;
    const D3D11_TEXTURE2D_DESC depthDesc{
        UINT(t.width), UINT(t.height), 1, 1, depthTexture, {1, 0}, D3D11_USAGE_DEFAULT,
        UINT(D3D11_BIND_DEPTH_STENCIL) | (readable ? UINT(D3D11_BIND_SHADER_RESOURCE) : 0u), 0, 0};
    const char16_t* failure = nullptr;
    if (D3D11Device_CreateTexture2D(&depthDesc, nullptr, &t.depthTexture) != S_OK) {
        failure = u"シャドウマップ用深度バッファテクスチャの作成に失敗しました\n";
    } else {
        D3D11_DEPTH_STENCIL_VIEW_DESC dsv{};
        dsv.Format = depthView;
        dsv.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
        if (D3D11Device_CreateDepthStencilView(t.depthTexture, &dsv, &t.depthView) != S_OK)
            failure = u"シャドウマップ用深度ステンシルビューの作成に失敗しました\n";
    }
    if (failure == nullptr && readable) {
        D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
        srv.Format = DXGI_FORMAT_R32_FLOAT;
        srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        srv.Texture2D.MipLevels = 1;
        if (D3D11Device_CreateShaderResourceView(t.depthTexture, &srv, &t.depthResourceView) != S_OK)
            failure = u"シャドウマップ用深度ステンシルビューの作成に失敗しました\n";
    }
    const D3D11_TEXTURE2D_DESC colourDesc{UINT(t.width), UINT(t.height), 1, 1, colour, {1, 0}, D3D11_USAGE_DEFAULT,
                                          UINT(D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE), 0, 0};
    if (failure == nullptr && D3D11Device_CreateTexture2D(&colourDesc, nullptr, &t.texture) != S_OK)
        failure = u"シャドウマップ用テクスチャの作成に失敗しました\n";
    if (failure != nullptr) {
        LogAddTextUtf16(failure);
        releaseObjects(t);
        return -1;
    }
    if (D3D11Device_CreateRenderTargetView(t.texture, nullptr, &t.targetView) != S_OK) {
        LogFormatUtf16(u"シャドウマップ用レンダーターゲットビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d \n",
                       int(colour), t.width, t.height);
        releaseObjects(t);
        return -1;
    }
    if (D3D11Device_CreateShaderResourceView(t.texture, nullptr, &t.view) != S_OK) {
        LogFormatUtf16(u"シャドウマップ用シェーダーリソースビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d \n",
                       int(colour), t.width, t.height);
        releaseObjects(t);
        return -1;
    }
    // A new map reads as "nothing in front": the far depth.
    const float far[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    D3D11DeviceContext_ClearRenderTargetView(t.targetView, far);
    table()[map] = t;
    return 0;
}

int Graphics_D3D11_ShadowMap_ReleaseTexture(ShadowMapData* map) {
    const auto it = table().find(map);
    if (it == table().end()) return 0;
    if (D3D11Device_IsValid()) Graphics_D3D11_FlushVertexBatch(-1, 0);
    releaseObjects(it->second);
    table().erase(it);
    return 0;
}

int Graphics_D3D11_ReleaseShadowMaps() {
    ForEachHandleRecord(HANDLETYPE_SHADOWMAP, [](HandleEntryHeader* h) {
        WaitHandleASyncLoad(h->Handle);
        Graphics_D3D11_ShadowMap_ReleaseTexture(reinterpret_cast<ShadowMapData*>(h));
    });
    // Records that went without a release leave nothing behind either.
    for (auto& [map, t] : table()) releaseObjects(t);
    table().clear();
    return 0;
}

int Graphics_D3D11_RestoreShadowMaps() {
    ForEachHandleRecord(HANDLETYPE_SHADOWMAP, [](HandleEntryHeader* h) {
        auto* map = reinterpret_cast<ShadowMapData*>(h);
        if (map->width > 0 && map->height > 0) Graphics_D3D11_ShadowMap_CreateTexture(map, 0);
    });
    return 0;
}

int Graphics_D3D11_ShadowMap_RefreshVSParam() {
    D3D11ConstantBuffer* buffer = D3D11BuiltinConstantBuffers[kCBVSMore];
    if (!D3D11Device_IsValid() || buffer == nullptr) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    for (int i = 0; i < kShadowMapSlots; ++i) {
        float m[4][4];
        ShadowMapSlotMatrix(i, m);
        std::memcpy(buffer->copy + kD3D11ShadowMapVSOffset + 64 * i, m, sizeof m);
    }
    buffer->dirty = 1;
    return 0;
}

int Graphics_D3D11_ShadowMap_RefreshPSParam() {
    D3D11ConstantBuffer* buffer = D3D11BuiltinConstantBuffers[kCBPSMore];
    if (!D3D11Device_IsValid() || buffer == nullptr) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    for (int i = 0; i < kShadowMapSlots; ++i) {
        float row[4];
        ShadowMapSlotParams(i, row);
        std::memcpy(buffer->copy + kD3D11ShadowMapPSOffset + 16 * i, row, sizeof row);
    }
    buffer->dirty = 1;
    return 0;
}

}  // namespace ZaDod
