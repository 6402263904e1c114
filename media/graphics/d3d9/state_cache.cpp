// The Direct3D 9 device-state cache: render states, samplers, texture stages and bound
// objects, each sent only when it differs from what the device already holds. A failed
// device call leaves the cached value as it was, so the same request is sent again.
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_state.h"

namespace ZaDod {

D3D9DeviceStateCache D3D9State{};

namespace {

using namespace plat::gpu;
using d3d9_cache::c;

bool ok(HRESULT hr) { return hr == D3D_OK; }

// Compare, flush, send, store. `alwaysFlush` is for the setters that flush even while the
// cache forces; `neverFlush` for those that never do.
template <class T, class Send>
int setValue(T& cached, T value, Send send, bool alwaysFlush = false, bool neverFlush = false) {
    if (!c.force && cached == value) return 0;
    if (!neverFlush && (alwaysFlush || !c.force)) Graphics_D3D9_FlushVertexBatch(0);
    if (!ok(send(value))) return -1;
    cached = value;
    c.drawPrepNeeded = 1;
    c.stateChanged = 1;
    return 0;
}

int renderState(int& cached, int value, D3DRENDERSTATETYPE state, DWORD sent) {
    return setValue(cached, value, [&](int) { return Direct3DDevice9_SetRenderState(state, sent); });
}

// The all-samplers form overwrites all sixteen; its result is sampler 0's.
int samplerState(D3DSAMPLERSTATETYPE type, uint32_t value, int sampler) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (sampler > 15) return -1;
    if (sampler >= 0) {
        return setValue(c.sampler[sampler][type], value,
                        [&](uint32_t v) { return Direct3DDevice9_SetSamplerState(DWORD(sampler), type, v); });
    }
    if (!c.force) {
        bool same = true;
        for (int i = 0; i < kD3D9Samplers && same; ++i) same = c.sampler[i][type] == value;
        if (same) return 0;
        Graphics_D3D9_FlushVertexBatch(0);
    }
    int result = 0;
    for (int i = 0; i < kD3D9Samplers; ++i) {
        const bool sent = ok(Direct3DDevice9_SetSamplerState(DWORD(i), type, value));
        if (sent) c.sampler[i][type] = value;
        if (i == 0 && !sent) result = -1;
    }
    c.drawPrepNeeded = 1;
    c.stateChanged = 1;
    return result;
}

}  // namespace

void D3D9_FlushUnlessForced() {
    if (!c.force) Graphics_D3D9_FlushVertexBatch(0);
}

// ---- render states

int Graphics_D3D9_DeviceState_SetZEnable(int mode) {
    if (!Direct3DDevice9_IsValid()) return -1;
    return renderState(c.zEnable, mode, D3DRS_ZENABLE, mode == 1 ? 1 : 0);
}
int Graphics_D3D9_DeviceState_SetZWriteEnable(int flag) {
    if (!Direct3DDevice9_IsValid()) return -1;
    return renderState(c.zWrite, flag, D3DRS_ZWRITEENABLE, DWORD(flag));
}
int Graphics_D3D9_DeviceState_SetZFunc(int func) {
    if (!Direct3DDevice9_IsValid()) return -1;
    return renderState(c.zFunc, func, D3DRS_ZFUNC, DWORD(func));
}
int Graphics_D3D9_DeviceState_SetDepthBias(int bias) {
    if (!Direct3DDevice9_IsValid()) return -1;
    return renderState(c.depthBias, bias, D3DRS_DEPTHBIAS, DWORD(bias));
}
int Graphics_D3D9_DeviceState_SetFillMode(int mode) {
    if (!Direct3DDevice9_IsValid()) return -1;
    return renderState(c.fillMode, mode, D3DRS_FILLMODE, DWORD(mode));
}
int Graphics_D3D9_DeviceState_SetCullMode(int mode) {
    if (!Direct3DDevice9_IsValid()) return 0;
    const DWORD sent = mode == 1 ? D3DCULL_CCW : mode == 2 ? D3DCULL_CW : D3DCULL_NONE;
    return renderState(c.cullMode, mode, D3DRS_CULLMODE, sent);
}
int Graphics_D3D9_DeviceState_SetShadeMode(int mode) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return renderState(c.shadeMode, mode, D3DRS_SHADEMODE, DWORD(mode));
}
int Graphics_D3D9_DeviceState_SetLighting(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return renderState(c.lighting, flag, D3DRS_LIGHTING, DWORD(flag));
}
int Graphics_D3D9_DeviceState_SetSpecularEnable(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return renderState(c.specular, flag, D3DRS_SPECULARENABLE, DWORD(flag));
}

namespace {
void sourceConstants() {
    const float v[4] = {c.diffuseSource ? 1.0f : 0.0f, c.specularSource ? 1.0f : 0.0f, 0.0f, 0.0f};
    D3D9_SetConstant(0, 43, v, 1);
}
}  // namespace

int Graphics_D3D9_DeviceState_SetDiffuseMaterialSource(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    const int r = renderState(c.diffuseSource, flag, d3d9rs::DIFFUSEMATERIALSOURCE, flag ? 1 : 0);
    sourceConstants();
    return r;
}
int Graphics_D3D9_DeviceState_SetSpecularMaterialSource(int flag) {
    if (!Direct3DDevice9_IsValid()) return 0;
    const int r = renderState(c.specularSource, flag, d3d9rs::SPECULARMATERIALSOURCE, flag ? 2 : 0);
    sourceConstants();
    return r;
}

int D3D9_SetBlendValue(int which, uint32_t value) {
    static const D3DRENDERSTATETYPE states[kBvCount] = {
        D3DRS_ALPHATESTENABLE, D3DRS_ALPHAREF,      D3DRS_ALPHAFUNC,        D3DRS_ALPHABLENDENABLE,
        D3DRS_SEPARATEALPHABLENDENABLE, D3DRS_TEXTUREFACTOR, D3DRS_SRCBLEND, D3DRS_DESTBLEND,
        D3DRS_BLENDOP,         D3DRS_SRCBLENDALPHA, D3DRS_DESTBLENDALPHA,   D3DRS_BLENDOPALPHA};
    if (!Direct3DDevice9_IsValid()) return -1;
    const D3DRENDERSTATETYPE state = states[which];
    return setValue(c.blend[which], value, [&](uint32_t v) { return Direct3DDevice9_SetRenderState(state, v); });
}

// ---- samplers and stages

int Graphics_D3D9_DeviceState_SetTextureFilter(int mode) {
    if (!Direct3DDevice9_IsValid()) return -1;
    DWORD mag, min, mip;
    switch (mode) {
        case 0: mag = D3DTEXF_POINT, min = D3DTEXF_POINT, mip = D3DTEXF_NONE; break;
        case 1: mag = D3DTEXF_LINEAR, min = D3DTEXF_LINEAR, mip = D3DTEXF_NONE; break;
        case 2: mag = D3DTEXF_LINEAR, min = D3DTEXF_ANISOTROPIC, mip = D3DTEXF_LINEAR; break;
        default: return -1;
    }
    const int last = c.stageCount - 1 > 15 ? c.stageCount - 1 : 15;
    int result = 0;
    for (int i = 0; i <= last && i < kD3D9Samplers; ++i) {
        if (samplerState(D3DSAMP_MAGFILTER, mag, i) < 0) result = -1;
        if (samplerState(D3DSAMP_MINFILTER, min, i) < 0) result = -1;
        if (samplerState(D3DSAMP_MIPFILTER, mip, i) < 0) result = -1;
    }
    if (result == 0) c.textureFilter = mode;
    return result;
}

int Graphics_D3D9_DeviceState_SetMaxAnisotropy(int value, int sampler) {
    if (!Direct3DDevice9_IsValid()) return 0;
    if (sampler >= 0) {
        c.allAnisotropy = -1;
        return samplerState(D3DSAMP_MAXANISOTROPY, uint32_t(value), sampler);
    }
    if (value < 1) value = 1;
    if (!c.force && c.allAnisotropy == value) return 0;
    const int last = c.stageCount - 1 > 3 ? c.stageCount - 1 : 3;
    int result = 0;
    for (int i = 0; i <= last && i < kD3D9Samplers; ++i)
        if (samplerState(D3DSAMP_MAXANISOTROPY, uint32_t(value), i) < 0) result = -1;
    c.allAnisotropy = result == 0 ? value : -1;
    return result;
}

int Graphics_D3D9_DeviceState_SetTextureAddressU(int mode, int sampler) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return samplerState(D3DSAMP_ADDRESSU, uint32_t(mode), sampler);
}
int Graphics_D3D9_DeviceState_SetTextureAddressV(int mode, int sampler) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return samplerState(D3DSAMP_ADDRESSV, uint32_t(mode), sampler);
}
int Graphics_D3D9_DeviceState_SetTextureAddressW(int mode, int sampler) {
    if (!Direct3DDevice9_IsValid()) return 0;
    return samplerState(D3DSAMP_ADDRESSW, uint32_t(mode), sampler);
}
int Graphics_D3D9_DeviceState_SetTextureAddress(int mode, int sampler) {
    if (!Direct3DDevice9_IsValid()) return 0;
    const int u = Graphics_D3D9_DeviceState_SetTextureAddressU(mode, sampler);
    const int v = Graphics_D3D9_DeviceState_SetTextureAddressV(mode, sampler);
    const int w = Graphics_D3D9_DeviceState_SetTextureAddressW(mode, sampler);
    return u < 0 || v < 0 || w < 0 ? -1 : 0;
}

int Graphics_D3D9_DeviceState_SetTextureTransform(int enable, const D3DMATRIX* matrix, int stage) {
    if (!Direct3DDevice9_IsValid() || matrix == nullptr) return -1;
    const int first = stage < 0 ? 0 : stage, last = stage < 0 ? 7 : stage;
    if (first > 7) return -1;
    int result = 0;
    for (int s = first; s <= last; ++s) {
        if (!c.force && c.textureTransformOn[s] == enable &&
            std::memcmp(&c.textureTransform[s], matrix, sizeof *matrix) == 0)
            continue;
        D3D9_FlushUnlessForced();
        if (!ok(Direct3DDevice9_SetTextureStageState(DWORD(s), D3DTSS_TEXTURETRANSFORMFLAGS, enable ? 3 : 0)) ||
            !ok(Direct3DDevice9_SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + s), matrix))) {
            result = -1;
            continue;
        }
        c.textureTransformOn[s] = enable;
        c.textureTransform[s] = *matrix;
        c.drawPrepNeeded = 1;
    }
    return result;
}

int D3D9_SetStageTexture(int stage, IDirect3DBaseTexture9* texture) {
    if (!Direct3DDevice9_IsValid() || stage < 0 || stage >= kD3D9Stages) return -1;
    return setValue(c.stages[stage].texture, texture,
                    [&](IDirect3DBaseTexture9* t) { return Direct3DDevice9_SetTexture(DWORD(stage), t); });
}

int D3D9_SetStageState(int stage, D3DTEXTURESTAGESTATETYPE type, int value) {
    if (!Direct3DDevice9_IsValid() || stage < 0 || stage >= kD3D9Stages) return -1;
    if (value == kD3D9Leave) return 0;
    D3D9Stage& s = c.stages[stage];
    int* field = nullptr;
    DWORD sent = DWORD(value);
    switch (type) {
        case D3DTSS_TEXCOORDINDEX: field = &s.texCoordIndex; break;
        case D3DTSS_RESULTARG:
            field = &s.resultTemp;
            sent = value ? D3DTA_TEMP : D3DTA_CURRENT;
            break;
        case D3DTSS_ALPHAARG1: field = &s.alphaArg1; break;
        case D3DTSS_ALPHAARG2: field = &s.alphaArg2; break;
        case D3DTSS_ALPHAOP: field = &s.alphaOp; break;
        case D3DTSS_COLORARG1: field = &s.colorArg1; break;
        case D3DTSS_COLORARG2: field = &s.colorArg2; break;
        case D3DTSS_COLOROP: field = &s.colorOp; break;
        default: return -1;
    }
    return setValue(*field, value,
                    [&](int) { return Direct3DDevice9_SetTextureStageState(DWORD(stage), type, sent); });
}

void D3D9_ResetStageRecords() {
    for (int i = 0; i < kD3D9Stages; ++i) {
        // Values no stage set uses: the first set of each stage is sent whole.
        c.stages[i] = D3D9Stage{c.stages[i].texture, -2, -2, -2, -2, -2, -2, -2, -2};
    }
    c.stageCount = 0;
}

// ---- bound objects

int Graphics_D3D9_DeviceState_SetPixelShader(IDirect3DPixelShader9* shader, int user) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.pixelShader == shader && c.pixelShaderUser == user) return 0;
    if (!ok(Direct3DDevice9_SetPixelShader(shader))) return -1;
    c.pixelShader = shader;
    c.pixelShaderUser = user;
    if (!user) c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D9_DeviceState_ResetUserPixelShader(int keepIfUser) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (keepIfUser && c.pixelShaderUser) return 0;
    if (!c.force && c.pixelShader == nullptr) return 0;
    if (!ok(Direct3DDevice9_SetPixelShader(nullptr))) return -1;
    c.pixelShader = nullptr;
    c.pixelShaderUser = 0;
    return 0;
}

int Graphics_D3D9_DeviceState_SetVertexShader(IDirect3DVertexShader9* shader, int user) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.vertexShader == shader && c.vertexShaderUser == user) return 0;
    if (!ok(Direct3DDevice9_SetVertexShader(shader))) return -1;
    c.vertexShader = shader;
    c.vertexShaderUser = user;
    return 0;
}

int Graphics_D3D9_DeviceState_SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.declaration == declaration) return 0;
    if (!ok(Direct3DDevice9_SetVertexDeclaration(declaration))) return -1;
    c.declaration = declaration;
    // A declaration replaces the vertex format in the device.
    if (declaration != nullptr) c.fvf = 0;
    return 0;
}

int Graphics_D3D9_DeviceState_ResetUserVertexShader(int keepIfUser) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (keepIfUser && c.vertexShaderUser) return 0;
    int result = 0;
    if (c.force || c.vertexShader != nullptr) {
        if (ok(Direct3DDevice9_SetVertexShader(nullptr))) {
            c.vertexShader = nullptr;
            c.vertexShaderUser = 0;
        } else {
            result = -1;
        }
    }
    if (c.force || c.declaration != nullptr) {
        if (ok(Direct3DDevice9_SetVertexDeclaration(nullptr)))
            c.declaration = nullptr;
        else
            result = -1;
    }
    return result;
}

int Graphics_D3D9_DeviceState_SetFVF(uint32_t fvf) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (c.declaration != nullptr) {
        if (!ok(Direct3DDevice9_SetVertexDeclaration(nullptr))) return -1;
        c.declaration = nullptr;
    }
    // Every non-zero code is sent: a shader pass may have changed the device's behind us.
    if (fvf == 0 && !c.force) {
        c.fvf = 0;
        return 0;
    }
    if (!ok(Direct3DDevice9_SetFVF(fvf))) return -1;
    c.fvf = fvf;
    return 0;
}

int Graphics_D3D9_DeviceState_SetIndexBuffer(IDirect3DIndexBuffer9* buffer) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.indexBuffer == buffer) return 0;
    if (buffer != nullptr && !ok(Direct3DDevice9_SetIndices(buffer))) return -1;
    c.indexBuffer = buffer;
    return 0;
}

int Graphics_D3D9_DeviceState_SetStreamSource(IDirect3DVertexBuffer9* buffer, int stride) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!c.force && c.stream == buffer && c.streamStride == stride) return 0;
    if (buffer != nullptr && !ok(Direct3DDevice9_SetStreamSource(0, buffer, 0, UINT(stride)))) return -1;
    c.stream = buffer;
    c.streamStride = stride;
    return 0;
}

int Graphics_D3D9_DeviceState_SetRenderTarget(IDirect3DSurface9* surface, int slot) {
    if (!Direct3DDevice9_IsValid() || slot < 0 || slot > 7) return -1;
    if (!c.force && c.targets[slot] == surface) return 0;
    D3D9_FlushUnlessForced();
    if (!ok(Direct3DDevice9_SetRenderTarget(DWORD(slot), surface))) return -1;
    c.targets[slot] = surface;
    c.drawPrepNeeded = 1;
    if (slot == 0 && surface != nullptr) {
        // The device resets its viewport to the whole target; the cache follows.
        D3DSURFACE_DESC desc{};
        Direct3DSurface9_GetDesc(surface, &desc);
        const D3DVIEWPORT9 full{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
        const int force = c.force;
        c.force = 1;
        Graphics_D3D9_DeviceState_SetViewport(&full);
        c.force = force;
    }
    return 0;
}

int Graphics_D3D9_DeviceState_SetScissorRect(const plat::win::RECT* rect) {
    if (!Direct3DDevice9_IsValid() || rect == nullptr) return -1;
    if (!c.force && std::memcmp(&c.scissor, rect, sizeof *rect) == 0) return 0;
    D3D9_FlushUnlessForced();
    Graphics_D3D9_EndScene();
    if (!ok(Direct3DDevice9_SetScissorRect(rect))) return -1;
    c.scissor = *rect;
    c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D9_DeviceState_SetViewport(const D3DVIEWPORT9* viewport) {
    if (!Direct3DDevice9_IsValid() || viewport == nullptr) return -1;
    if (!c.force && std::memcmp(&c.viewport, viewport, sizeof *viewport) == 0) return 0;
    D3D9_FlushUnlessForced();
    Graphics_D3D9_EndScene();
    const HRESULT hr = Direct3DDevice9_SetViewport(viewport);
    if (!ok(hr)) {
        // The failure is reported; the cache keeps the viewport the device still has.
        LogFormatUtf16(u"ビューポートのセットに失敗しました ErrorCode %x\n", unsigned(hr));
        return -1;
    }
    c.viewport = *viewport;
    c.drawPrepNeeded = 1;
    return 0;
}

int Graphics_D3D9_DeviceState_SetViewportRect(int x1, int y1, int x2, int y2) {
    const D3DVIEWPORT9 v{DWORD(x1), DWORD(y1), DWORD(x2 - x1), DWORD(y2 - y1), 0.0f, 1.0f};
    return Graphics_D3D9_DeviceState_SetViewport(&v);
}

void Graphics_D3D9_DeviceState_ClearBindings() {
    c.texture = c.blendTexture = nullptr;
    for (auto& s : c.stages) s.texture = nullptr;
    c.pixelShader = nullptr;
    c.pixelShaderUser = 0;
    c.vertexShader = nullptr;
    c.vertexShaderUser = 0;
    c.declaration = nullptr;
    c.indexBuffer = nullptr;
    c.stream = nullptr;
    for (auto& t : c.targets) t = nullptr;
}

}  // namespace ZaDod
