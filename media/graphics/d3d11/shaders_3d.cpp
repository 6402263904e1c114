// The Direct3D 11 3D shaders: the 3D package is expanded once, under its own lock, into
// zero-filled tracked memory; a 3D draw picks its pair from the cache's lighting, lights,
// shadow maps, fog, blend row and texture, and the objects are made on first use and kept.
#include "media/graphics/d3d11/d3d11_shaders_3d.h"

#include "media/base/decode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/graphics/render_state.h"
#include "media/graphics/d3d11/d3d11_shadow_map.h"
#include "media/graphics/shadow_map.h"
#include "platform/gpu/shaders/shadow_compare.h"
#include "tools/shaderpack/shader_packages.h"

namespace ZaDod {

D3D11Shaders3D D3D11ShaderSys3D{};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;
using d3d11_cache::c;

static_assert(kD3D113DPackageEntries == kPackage3DEntries);

TrackedCriticalSection* packageLock() {
    static TrackedCriticalSection* lock = [] {
        static TrackedCriticalSection made;
        CriticalSection_Initialize(&made);
        return &made;
    }();
    return lock;
}

bool threeDDecoded = false;

int expandPackage() {
    D3D11Shaders3D& s = D3D11ShaderSys3D;
    if (!threeDDecoded) {
        if (DecodeTextPackedData(D3D11Shader3DPackage, D3D11Shader3DPackage) < 0) return 0;
        threeDDecoded = true;
    }
    const int size = DecompressLZ(D3D11Shader3DPackage, nullptr);
    if (size < kPackage3DEntries * 2) return 0;
    auto* block = static_cast<uint8_t*>(MemCalloc(size_t(size), "D3D11Shader3D", __LINE__));
    if (block == nullptr) return 0;
    DecompressLZ(D3D11Shader3DPackage, block);
    size_t at = size_t(kPackage3DEntries) * 2;
    for (int i = 0; i < kPackage3DEntries; ++i) {
        const int entrySize = block[i * 2] | block[i * 2 + 1] << 8;
        s.size[i] = at + size_t(entrySize) <= size_t(size) ? entrySize : 0;
        s.code[i] = s.size[i] != 0 ? block + at : nullptr;
        at += size_t(s.size[i]);
    }
    ++s.loads;
    s.package = block;
    return 1;
}

// The light set of the enabled lights: counts of directional, spot and point lights.
int lightSet() {
    int d = 0, sp = 0, p = 0;
    for (int i = 0; i < kD3D11Lights; ++i) {
        if (!c.lightEnabled[i]) continue;
        switch (c.lights[i].kind) {
            case kLightDirectional: ++d; break;
            case kLightSpot: ++sp; break;
            case kLightPoint: ++p; break;
            default: break;
        }
    }
    return lightSetIndex(d, sp, p);
}

// The textures of the maps in the three shadow-map slots (null where a slot is empty or its
// map has no texture yet); true when any is there.
bool boundShadowMaps(ID3D11ShaderResourceView* views[kShadowMapSlots]) {
    bool any = false;
    for (int i = 0; i < kShadowMapSlots; ++i) {
        const D3D11ShadowMapTexture* t = D3D11_ShadowMapTexture(GetShadowMapData(ShadowMapUse.slots[i]));
        views[i] = t != nullptr ? t->view : nullptr;
        any = any || views[i] != nullptr;
    }
    return any;
}

}  // namespace

int Graphics_D3D11_ShaderCode_Load3DPackage() {
    D3D11Shaders3D& s = D3D11ShaderSys3D;
    TrackedCriticalSection* lock = packageLock();
    CriticalSection_Lock(lock, __FILE__, __LINE__);
    const int result = s.package != nullptr ? 1 : expandPackage();
    CriticalSection_Unlock(lock);
    return result;
}

void Graphics_D3D11_ShaderCode_Free3DPackage() {
    D3D11Shaders3D& s = D3D11ShaderSys3D;
    TrackedCriticalSection* lock = packageLock();
    CriticalSection_Lock(lock, __FILE__, __LINE__);
    if (s.package != nullptr) MemFree(s.package);
    s.package = nullptr;
    for (int i = 0; i < kPackage3DEntries; ++i) {
        s.size[i] = 0;
        s.code[i] = nullptr;
    }
    CriticalSection_Unlock(lock);
}

D3D11Selection3D Graphics_D3D11_Shader_Select3D() {
    const RenderState& r = GraphicsRender;
    // The pixel kind of the blend row the blend application chose.
    const int row = c.blendModeIndex >= 0 && c.blendModeIndex < kD3D11BlendRows ? c.blendModeIndex : 0;
    const int kind = kD3D11BlendTable[row].kind;
    const int ignoreAlpha = c.premultiplied || c.alphaChannel || c.depthStencilDesc.DepthEnable ? 0 : 1;
    const int texture = c.texture == nullptr ? 0 : 1 + ignoreAlpha;
    const int fog = c.fogEnable && c.fogMode >= 0 && c.fogMode <= 3 ? c.fogMode : 0;
    const int local = kPackage3DTextures * kind + texture;
    if (GetShadowMapData(GraphicsDrawSettings.targets[0].handle) != nullptr) return {k3DShadowVS, k3DShadowPS};
    if (c.lighting) {
        const int set = lightSet();
        ID3D11ShaderResourceView* maps[kShadowMapSlots];
        if (set >= 0 && boundShadowMaps(maps)) return {k3DShadowedVS + fog, k3DShadowedPS + local};
        if (set >= 0) {
            const D3D11Shaders3D& s = D3D11ShaderSys3D;
            const int ppVertex = k3DPerPixelVS + fog;
            const int ppPixel = k3DPerPixelPS + kPackage3DTextures * kPackage3DKinds * set + local;
            if ((r.perPixelLighting[0] || r.perPixelLighting[1]) && s.size[ppVertex] != 0 && s.size[ppPixel] != 0)
                return {ppVertex, ppPixel};
            return {k3DLitVS + 4 * set + fog, k3DLitPS + local};
        }
    }
    return {k3DUnlitVS + fog, k3DUnlitPS + local};
}

int Graphics_D3D11_Shader_Normal3DDraw_Setup() {
    if (!Graphics_D3D11_ShaderCode_Load3DPackage()) return 0;
    D3D11Shaders3D& s = D3D11ShaderSys3D;
    const D3D11Selection3D pick = Graphics_D3D11_Shader_Select3D();
    if (s.vertex[pick.vertex] == nullptr &&
        (s.size[pick.vertex] == 0 ||
         D3D11Device_CreateVertexShader(s.code[pick.vertex], size_t(s.size[pick.vertex]), &s.vertex[pick.vertex]) !=
             S_OK)) {
        s.vertex[pick.vertex] = nullptr;
        LogAddTextUtf16(u"Graphics_D3D11_Shader_Normal3DDraw_Setup で頂点シェーダーの作成に失敗しました\n");
        return 0;
    }
    if (s.pixel[pick.pixel] == nullptr &&
        (s.size[pick.pixel] == 0 ||
         D3D11Device_CreatePixelShader(s.code[pick.pixel], size_t(s.size[pick.pixel]), &s.pixel[pick.pixel]) != S_OK)) {
        s.pixel[pick.pixel] = nullptr;
        LogAddTextUtf16(u"Graphics_D3D11_Shader_Normal3DDraw_Setup でピクセルシェーダーの作成に失敗しました\n");
        return 0;
    }
    // Shadowed lighting reads the maps of the slots.
    if (pick.vertex >= k3DShadowedVS && pick.vertex < k3DShadowedPS) {
        ID3D11ShaderResourceView* maps[kShadowMapSlots];
        boundShadowMaps(maps);
        Graphics_D3D11_DeviceState_SetPSShaderResources(shader::kShadowTextureSlot, kShadowMapSlots, maps);
    }
    if (c.vertexShader != s.vertex[pick.vertex]) Graphics_D3D11_DeviceState_SetVertexShader(s.vertex[pick.vertex], 0);
    if (c.pixelShader != s.pixel[pick.pixel]) Graphics_D3D11_DeviceState_SetPixelShader(s.pixel[pick.pixel], 0);
    return 1;
}

void Graphics_D3D11_Shader_Release3D() {
    D3D11Shaders3D& s = D3D11ShaderSys3D;
    for (int i = 0; i < kPackage3DEntries; ++i) {
        if (s.vertex[i] != nullptr) {
            if (c.vertexShader == s.vertex[i]) Graphics_D3D11_DeviceState_SetVertexShader(nullptr, 0);
            D3D11_ReleaseAndClear(s.vertex[i], [](ID3D11VertexShader* p) { D3D11VertexShader_Release(p, 0); });
        }
        if (s.pixel[i] != nullptr) {
            if (c.pixelShader == s.pixel[i]) Graphics_D3D11_DeviceState_SetPixelShader(nullptr, 0);
            D3D11_ReleaseAndClear(s.pixel[i], [](ID3D11PixelShader* p) { D3D11PixelShader_Release(p, 0); });
        }
    }
}

}  // namespace ZaDod
