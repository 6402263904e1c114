// Direct3D 9 shadow maps: each map's float render-target texture, its surface and its depth
// surface, made when the map is first drawn into, released with the handle or the device
// and made again after a re-creation; the matrices and depth parameters of the maps in
// the three shadow-map slots, written into the shader-constant manager; and the slots'
// textures on the samplers the lit fixed function reads.
#include "media/graphics/shadow_map.h"

#include <cstring>
#include <unordered_map>

#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/hwdraw/shadow_constants.h"
#include "platform/gpu/shaders/shadow_compare.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

// The one-channel 32-bit float row of the drawable formats.
constexpr int kShadowMapFormatRow = 42;

// The records own no room for device objects; the back end keeps them by record.
std::unordered_map<const ShadowMapData*, D3D9ShadowMapTexture>& table() {
    static std::unordered_map<const ShadowMapData*, D3D9ShadowMapTexture> maps;
    return maps;
}

void releaseObjects(D3D9ShadowMapTexture& t) {
    D3D9_UnbindShadowMapTexture(t.texture);
    D3D9DeviceStateCache& c = D3D9State;
    for (auto& target : c.targets)
        if (target != nullptr && target == t.surface) target = nullptr;
    if (t.texture != nullptr && c.texture == t.texture) Graphics_D3D9_DeviceState_SetTexture(nullptr);
    for (auto* object : {static_cast<plat::win::IUnknown*>(t.depth), static_cast<plat::win::IUnknown*>(t.surface),
                         static_cast<plat::win::IUnknown*>(t.texture)})
        if (object != nullptr) Direct3D9Object_Release(object);
    t = D3D9ShadowMapTexture{};
}

}  // namespace

const D3D9ShadowMapTexture* D3D9_ShadowMapTexture(const ShadowMapData* map) {
    const auto it = table().find(map);
    return it == table().end() || it->second.texture == nullptr ? nullptr : &it->second;
}

int Graphics_D3D9_ShadowMap_CreateTexture(ShadowMapData* map, int async) {
    if (map == nullptr || !Direct3DDevice9_IsValid()) return -1;
    if (D3D9_ShadowMapTexture(map) != nullptr) return 0;
    const D3DFORMAT format = D3D9TextureFormatTable[kShadowMapFormatRow];
    if (format != D3DFMT_R32F) {
        LogAddTextUtf16(u"シャドウマップデータ用のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
        return -1;
    }
    if (map->width <= 0 || map->height <= 0) return -1;
    D3D9ShadowMapTexture t{};
    t.width = map->width;
    t.height = map->height;
    const char16_t* failure = nullptr;
    if (Direct3DDevice9_CreateTexture(UINT(t.width), UINT(t.height), 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                      &t.texture, async) != D3D_OK)
        failure = u"シャドウマップ用テクスチャの作成に失敗しました\n";
    else if (Direct3DTexture9_GetSurfaceLevel(t.texture, 0, &t.surface, async) != D3D_OK)
        failure = u"シャドウマップ用テクスチャのサーフェスアドレスの取得に失敗しました\n";
    else if (Direct3DDevice9_CreateDepthStencilSurface(UINT(t.width), UINT(t.height), D3D9DeviceSys.depthFormat[2],
                                                       D3DMULTISAMPLE_NONE, 0, plat::win::FALSE, &t.depth,
                                                       async) != D3D_OK)
        failure = u"シャドウマップ用深度サーフェスの作成に失敗しました\n";
    if (failure != nullptr) {
        LogAddTextUtf16(failure);
        releaseObjects(t);
        return -1;
    }
    // A new map reads as "nothing in front": the far depth.
    Direct3DDevice9_ColorFill(t.surface, nullptr, 0xFFFFFFFFu, async);
    table()[map] = t;
    return 0;
}

int Graphics_D3D9_ShadowMap_ReleaseTexture(ShadowMapData* map) {
    const auto it = table().find(map);
    if (it == table().end()) return 0;
    if (Direct3DDevice9_IsValid()) Graphics_D3D9_FlushVertexBatch(0);
    releaseObjects(it->second);
    table().erase(it);
    return 0;
}

namespace {
// What the shadow-map samplers hold, so that only changes reach the device.
IDirect3DTexture9* samplerMaps[kShadowMapSlots] = {};
}  // namespace

void D3D9_BindShadowMapSamplers(bool lit) {
    for (int i = 0; i < kShadowMapSlots; ++i) {
        const D3D9ShadowMapTexture* t = lit ? D3D9_ShadowMapTexture(GetShadowMapData(ShadowMapUse.slots[i])) : nullptr;
        IDirect3DTexture9* texture = t != nullptr ? t->texture : nullptr;
        if (texture == samplerMaps[i]) continue;
        Graphics_D3D9_FlushVertexBatch(0);
        if (Direct3DDevice9_SetTexture(DWORD(shader::kShadowTextureSlot + i), texture) == D3D_OK) samplerMaps[i] = texture;
    }
}

void D3D9_UnbindShadowMapTexture(const IDirect3DTexture9* texture) {
    for (int i = 0; i < kShadowMapSlots; ++i) {
        if (texture == nullptr || samplerMaps[i] != texture) continue;
        if (Direct3DDevice9_IsValid()) Direct3DDevice9_SetTexture(DWORD(shader::kShadowTextureSlot + i), nullptr);
        samplerMaps[i] = nullptr;
    }
}

int Graphics_D3D9_RestoreShadowMaps() {
    ForEachHandleRecord(HANDLETYPE_SHADOWMAP, [](HandleEntryHeader* h) {
        auto* map = reinterpret_cast<ShadowMapData*>(h);
        if (map->width > 0 && map->height > 0) Graphics_D3D9_ShadowMap_CreateTexture(map, 0);
    });
    return 0;
}

// Vertex-shader float registers c98.. of usage set 0, one transposed view-projection
// matrix per slot (four registers each).
int Graphics_D3D9_ShadowMap_RefreshVSParam() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    for (int i = 0; i < kShadowMapSlots; ++i) {
        float m[4][4];
        ShadowMapSlotMatrix(i, m);
        Graphics_D3D9_ShaderConstant_Set(&D3D9ShaderConstantSys, kD3D9VSFloat, 0, kD3D9ShadowMapVSRegister + 4 * i, m,
                                         4, 1);
    }
    return 0;
}

// Pixel-shader float registers c80.. of usage set 0, one per slot: depth bias, second bias,
// enable flag (1 while a map is in the slot), 0.
int Graphics_D3D9_ShadowMap_RefreshPSParam() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    for (int i = 0; i < kShadowMapSlots; ++i) {
        float row[4];
        ShadowMapSlotParams(i, row);
        Graphics_D3D9_ShaderConstant_Set(&D3D9ShaderConstantSys, kD3D9PSFloat, 0, kD3D9ShadowMapPSRegister + i, row, 1,
                                         1);
    }
    return 0;
}

}  // namespace ZaDod
