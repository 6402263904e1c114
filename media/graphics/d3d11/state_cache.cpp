// The Direct3D 11 device-state cache's setters: each compares with what is cached (unless
// forced), flushes the vertex batch before a change, stores, and marks the description
// dirty or sends the binding at once.
#include <cstring>

#include "media/graphics/d3d11/d3d11_state.h"
#include "platform/gpu/shaders/fixed_function.h"

namespace ZaDod {

D3D11DeviceStateCache D3D11State{};

namespace {

using namespace plat::gpu;

using d3d11_cache::c;

bool ready() { return D3D11Device_IsValid() != 0; }
void flush() { Graphics_D3D11_FlushVertexBatch(-1, 0); }

// The compare-then-set step shared by every description field: 1 when it changed.
template <class T, class V>
bool change(T& field, V value) {
    if (!c.force && field == static_cast<T>(value)) return false;
    flush();
    field = static_cast<T>(value);
    return true;
}

void samplerDirty(int i) {
    c.samplerDirty[i] = 1;
    c.anySamplerDirty = 1;
}

// Runs `set` on one sampler or, for -1, on all sixteen; -1 for another index.
template <class Set>
int eachSampler(int sampler, Set set) {
    if (!ready() || sampler < -1 || sampler >= kD3D11Samplers) return -1;
    const int first = sampler < 0 ? 0 : sampler, last = sampler < 0 ? kD3D11Samplers - 1 : sampler;
    for (int i = first; i <= last; ++i)
        if (set(c.samplerDesc[i])) samplerDirty(i);
    return 0;
}

float* constants(D3D11BuiltinBuffer which, int offset) {
    D3D11ConstantBuffer* b = D3D11BuiltinConstantBuffers[which];
    if (b == nullptr) return nullptr;
    b->dirty = 1;
    return reinterpret_cast<float*>(b->copy + offset);
}

// Rows of a matrix transposed into the constant copy, `rows` of its four columns.
void putTransposed(D3D11BuiltinBuffer which, int offset, const Matrix4x4F* m, int columns) {
    float* out = constants(which, offset);
    if (out == nullptr || m == nullptr) return;
    for (int col = 0; col < columns; ++col)
        for (int row = 0; row < 4; ++row) out[col * 4 + row] = m->m[row][col];
}

}  // namespace

int Graphics_D3D11_DeviceState_SetBlendModeIndex(int row) {
    if (!ready() || row < -1 || row >= kD3D11BlendRows) return -1;
    if (change(c.blendModeIndex, row)) c.blendDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetBlendDesc(const D3D11_BLEND_DESC* desc) {
    if (!ready() || desc == nullptr) return -1;
    flush();
    c.blendDesc = *desc;
    c.blendModeIndex = -1;
    c.blendDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetDepthEnable(int flag) {
    if (!ready()) return -1;
    // The blend mode's shader and alpha test depend on depth too: the key is chosen again.
    if (change(c.depthStencilDesc.DepthEnable, flag ? 1 : 0)) c.depthStencilDirty = c.keyChanged = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetDepthWriteEnable(int flag) {
    if (!ready()) return -1;
    if (change(c.depthStencilDesc.DepthWriteMask, flag ? D3D11_DEPTH_WRITE_MASK_ALL : D3D11_DEPTH_WRITE_MASK_ZERO))
        c.depthStencilDirty = c.keyChanged = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetDepthFunc(int func) {
    if (!ready()) return -1;
    if (change(c.depthStencilDesc.DepthFunc, func)) c.depthStencilDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetDepthBias(int bias) {
    if (!ready()) return -1;
    if (change(c.rasterizerDesc.DepthBias, bias)) c.rasterizerDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetFillMode(int mode) {
    if (!ready()) return -1;
    if (change(c.rasterizerDesc.FillMode, mode)) c.rasterizerDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetCullMode(int mode) {
    if (!ready() || mode < 0 || mode > 2) return -1;
    static const D3D11_CULL_MODE kModes[3] = {D3D11_CULL_NONE, D3D11_CULL_BACK, D3D11_CULL_FRONT};
    if (change(c.rasterizerDesc.CullMode, kModes[mode])) c.rasterizerDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetSamplerFilter(int filter, int sampler) {
    const int result = eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) { return change(d.Filter, filter); });
    if (result == 0 && (sampler >= 0 || filter == 0 || filter == 21 || filter == 85)) c.allFilter = -1;
    return result;
}

int Graphics_D3D11_DeviceState_SetTextureFilter(int mode) {
    static const int kFilters[3] = {D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_FILTER_MIN_MAG_MIP_LINEAR,
                                    D3D11_FILTER_ANISOTROPIC};
    if (mode < 0 || mode > 2) return -1;
    if (!c.force && c.allFilter == mode) return 0;
    if (Graphics_D3D11_DeviceState_SetSamplerFilter(kFilters[mode], -1) < 0) return -1;
    c.allFilter = mode;
    return 0;
}

int Graphics_D3D11_DeviceState_SetMaxAnisotropy(int value, int sampler) {
    if (value < 1) value = 1;
    const int result =
        eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) { return change(d.MaxAnisotropy, UINT(value)); });
    c.allAnisotropy = sampler < 0 ? value : -1;
    return result;
}

int Graphics_D3D11_DeviceState_SetTextureAddressU(int mode, int sampler) {
    return eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) { return change(d.AddressU, mode); });
}
int Graphics_D3D11_DeviceState_SetTextureAddressV(int mode, int sampler) {
    return eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) { return change(d.AddressV, mode); });
}
int Graphics_D3D11_DeviceState_SetTextureAddressW(int mode, int sampler) {
    return eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) { return change(d.AddressW, mode); });
}
int Graphics_D3D11_DeviceState_SetTextureAddress(int mode, int sampler) {
    return eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) {
        const bool u = change(d.AddressU, mode), v = change(d.AddressV, mode), w = change(d.AddressW, mode);
        return u || v || w;
    });
}

int Graphics_D3D11_DeviceState_SetSamplerBorderColor(const float color[4], int sampler) {
    return eachSampler(sampler, [&](D3D11_SAMPLER_DESC& d) {
        if (!c.force && std::memcmp(d.BorderColor, color, sizeof d.BorderColor) == 0) return false;
        flush();
        std::memcpy(d.BorderColor, color, sizeof d.BorderColor);
        return true;
    });
}

int Graphics_D3D11_DeviceState_SetAlphaTestFunc(int func) {
    if (!ready()) return -1;
    if (change(c.psAlphaFunc, func)) {
        if (float* p = constants(kCBPSBase, 32)) *reinterpret_cast<int32_t*>(p) = func;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetAlphaTestRef(int ref) {
    if (!ready()) return -1;
    if (change(c.psAlphaRef, ref)) {
        if (float* p = constants(kCBPSBase, 20)) *p = ref < 0 ? -1.0f : float(ref) / 255.0f;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetFactorColor(const float color[4]) {
    if (!ready()) return -1;
    if (!c.force && std::memcmp(c.factorColor, color, sizeof c.factorColor) == 0) return 0;
    flush();
    std::memcpy(c.factorColor, color, sizeof c.factorColor);
    if (float* p = constants(kCBPSBase, 0)) std::memcpy(p, color, sizeof c.factorColor);
    return 0;
}

int Graphics_D3D11_DeviceState_SetFogEnable(int flag) {
    if (!ready()) return -1;
    change(c.fogEnable, flag ? 1 : 0);
    return 0;
}

int Graphics_D3D11_DeviceState_SetFogColor(unsigned int color) {
    if (!ready()) return -1;
    flush();
    c.fogColor = color;
    if (float* p = constants(kCBCommon, 752)) {
        p[0] = float((color >> 16) & 0xFF) / 255.0f;
        p[1] = float((color >> 8) & 0xFF) / 255.0f;
        p[2] = float(color & 0xFF) / 255.0f;
        p[3] = 1.0f;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetFogStartEnd(float start, float end, float density) {
    if (!ready()) return -1;
    flush();
    c.fogStart = start;
    c.fogEnd = end;
    c.fogDensity = density;
    if (float* p = constants(kCBCommon, 736)) {
        // An empty range keeps a least width: linear fog becomes a step at the start.
        shader::linearFogTerms(start, end, p[0], p[1]);
        p[2] = density;
        p[3] = 2.7182817f;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetViewportMatrix(const Matrix4x4F* m) {
    if (!ready()) return -1;
    putTransposed(kCBVSBase, 0, m, 4);
    return 0;
}
int Graphics_D3D11_DeviceState_SetProjectionMatrix(const Matrix4x4F* m) {
    if (!ready()) return -1;
    putTransposed(kCBVSBase, 64, m, 4);
    return 0;
}
int Graphics_D3D11_DeviceState_SetViewMatrix(const Matrix4x4F* m) {
    if (!ready()) return -1;
    putTransposed(kCBVSBase, 128, m, 3);
    // Lights are kept in view space: a new view moves them all.
    if (m != nullptr) {
        c.view = *m;
        for (int i = 0; i < kD3D11Lights; ++i) Graphics_D3D11_DeviceState_WriteLightConstants(i);
        Graphics_D3D11_DeviceState_RefreshLights();
    }
    return 0;
}
int Graphics_D3D11_DeviceState_SetWorldMatrix(const Matrix4x4F* m) {
    if (!ready()) return -1;
    putTransposed(kCBVSBase, 176, m, 3);
    return 0;
}

int Graphics_D3D11_DeviceState_SetVSFlags(int diffuseSource, int specularSource, int vertexFlag) {
    if (!ready()) return -1;
    const bool d = change(c.diffuseSource, diffuseSource), s = change(c.specularSource, specularSource),
               v = change(c.vertexFlag, vertexFlag);
    if ((d || s || v) && constants(kCBVSBase, 240) != nullptr) {
        float* p = constants(kCBVSBase, 240);
        p[0] = diffuseSource ? 1.0f : 0.0f;
        p[1] = specularSource ? 1.0f : 0.0f;
        p[2] = vertexFlag ? 1.0f : 0.0f;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetTextureTransform(int enable, const Matrix4x4F* m) {
    if (!ready()) return -1;
    flush();
    float* p = constants(kCBVSExtra, 192);
    if (p == nullptr) return 0;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            p[row * 4 + col] = enable && m != nullptr ? m->m[col][row] : (row == col ? 1.0f : 0.0f);
    return 0;
}

int Graphics_D3D11_DeviceState_SetPixelShader(ID3D11PixelShader* shader, int user) {
    if (!ready()) return -1;
    if (!c.force && c.pixelShader == shader) return 0;
    c.pixelShader = shader;
    c.pixelShaderUser = user;
    D3D11DeviceContext_PSSetShader(shader, nullptr, 0);
    return 0;
}

int Graphics_D3D11_DeviceState_SetVertexShader(ID3D11VertexShader* shader, int user) {
    if (!ready()) return -1;
    if (!c.force && c.vertexShader == shader) return 0;
    c.vertexShader = shader;
    c.vertexShaderUser = user;
    D3D11DeviceContext_VSSetShader(shader, nullptr, 0);
    return 0;
}

int Graphics_D3D11_DeviceState_ResetUserVertexShader(int keepIfUser) {
    if (!ready()) return -1;
    if (keepIfUser && c.vertexShaderUser) return 0;
    if (c.force || c.vertexShader != nullptr) {
        D3D11DeviceContext_VSSetShader(nullptr, nullptr, 0);
        c.vertexShader = nullptr;
        c.vertexShaderUser = 0;
    }
    if (c.force || c.inputLayout != nullptr) {
        D3D11DeviceContext_IASetInputLayout(nullptr);
        c.inputLayout = nullptr;
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetInputLayout(ID3D11InputLayout* layout) {
    if (!ready()) return -1;
    if (!c.force && c.inputLayout == layout) return 0;
    c.inputLayout = layout;
    if (layout != nullptr) D3D11DeviceContext_IASetInputLayout(layout);
    return 0;
}

int Graphics_D3D11_DeviceState_SetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY topology) {
    if (!ready()) return -1;
    if (!c.force && c.topology == topology) return 0;
    c.topology = topology;
    D3D11DeviceContext_IASetPrimitiveTopology(topology);
    return 0;
}

int Graphics_D3D11_DeviceState_SetVertexBuffer(ID3D11Buffer* buffer, int stride) {
    if (!ready()) return -1;
    if (!c.force && c.vertexBuffer == buffer && c.vertexStride == stride) return 0;
    c.vertexBuffer = buffer;
    c.vertexStride = stride;
    const UINT strides[1] = {UINT(stride)}, offsets[1] = {0};
    if (buffer != nullptr) D3D11DeviceContext_IASetVertexBuffers(0, 1, &buffer, strides, offsets);
    return 0;
}

int Graphics_D3D11_DeviceState_SetIndexBuffer(ID3D11Buffer* buffer, DXGI_FORMAT format) {
    if (!ready()) return -1;
    if (!c.force && c.indexBuffer == buffer && c.indexFormat == format) return 0;
    c.indexBuffer = buffer;
    c.indexFormat = format;
    if (buffer != nullptr) D3D11DeviceContext_IASetIndexBuffer(buffer, format, 0);
    return 0;
}

int Graphics_D3D11_DeviceState_SetPSShaderResources(int first, int count, ID3D11ShaderResourceView* const* views) {
    if (!ready() || first < 0 || count < 0 || first + count > 128) return -1;
    int low = -1, high = -1;
    for (int i = 0; i < count; ++i) {
        if (!c.force && c.psResources[first + i] == views[i]) continue;
        c.psResources[first + i] = views[i];
        if (low < 0) low = first + i;
        high = first + i;
    }
    if (low >= 0) D3D11DeviceContext_PSSetShaderResources(UINT(low), UINT(high - low + 1), &c.psResources[low]);
    return 0;
}

namespace {
int setConstantBuffers(ID3D11Buffer** cached, int first, int count, ID3D11Buffer* const* buffers, bool vertex) {
    if (!ready() || first < 0 || count < 0 || first + count > 14) return -1;
    bool differs = c.force != 0;
    for (int i = 0; i < count && !differs; ++i) differs = cached[first + i] != buffers[i];
    if (!differs) return 0;
    for (int i = 0; i < count; ++i) cached[first + i] = buffers[i];
    if (vertex)
        D3D11DeviceContext_VSSetConstantBuffers(UINT(first), UINT(count), &cached[first]);
    else
        D3D11DeviceContext_PSSetConstantBuffers(UINT(first), UINT(count), &cached[first]);
    return 0;
}
}  // namespace

int Graphics_D3D11_DeviceState_SetVSConstantBuffers(int first, int count, ID3D11Buffer* const* buffers) {
    return setConstantBuffers(c.vsConstants, first, count, buffers, true);
}
int Graphics_D3D11_DeviceState_SetPSConstantBuffers(int first, int count, ID3D11Buffer* const* buffers) {
    return setConstantBuffers(c.psConstants, first, count, buffers, false);
}

int Graphics_D3D11_DeviceState_ApplyRenderTargets() {
    if (!ready()) return -1;
    int first = -1;
    for (int i = 0; i < 8 && first < 0; ++i)
        if (c.targetTexture[i] != nullptr) first = i;
    // Targets of different sizes cannot be bound together: nothing is bound then.
    if (first >= 0) {
        const D3D11_TEXTURE2D_DESC& f = c.targetDesc[first];
        for (int i = first + 1; i < 8; ++i)
            if (c.targetTexture[i] != nullptr &&
                (c.targetDesc[i].Width != f.Width || c.targetDesc[i].Height != f.Height))
                return 0;
        if (c.depthTexture != nullptr && (c.depthDesc.Width != f.Width || c.depthDesc.Height != f.Height)) return 0;
    }
    D3D11DeviceContext_OMSetRenderTargets(8, c.targetView, c.depthView);
    return 0;
}

int Graphics_D3D11_DeviceState_SetRenderTarget(ID3D11Texture2D* texture, ID3D11RenderTargetView* view, int slot) {
    if (!ready() || slot < 0 || slot >= 8) return -1;
    if (!c.force && c.targetTexture[slot] == texture && c.targetView[slot] == view) return 0;
    flush();
    c.targetTexture[slot] = texture;
    c.targetView[slot] = view;
    c.targetDesc[slot] = D3D11_TEXTURE2D_DESC{};
    if (texture != nullptr) D3D11Texture2D_GetDesc(texture, &c.targetDesc[slot]);
    Graphics_D3D11_DeviceState_ApplyRenderTargets();
    if (slot == 0 && texture != nullptr)
        Graphics_D3D11_DeviceState_SetViewportRect(0, 0, int(c.targetDesc[0].Width), int(c.targetDesc[0].Height));
    return 0;
}

int Graphics_D3D11_DeviceState_SetDepthBuffer(ID3D11Texture2D* texture, ID3D11DepthStencilView* view) {
    if (!ready()) return -1;
    if (!c.force && c.depthTexture == texture && c.depthView == view) return 0;
    flush();
    c.depthTexture = texture;
    c.depthView = view;
    c.depthDesc = D3D11_TEXTURE2D_DESC{};
    if (texture != nullptr) D3D11Texture2D_GetDesc(texture, &c.depthDesc);
    return Graphics_D3D11_DeviceState_ApplyRenderTargets();
}

int Graphics_D3D11_DeviceState_SetViewport(const D3D11_VIEWPORT* viewport) {
    if (!ready() || viewport == nullptr) return -1;
    if (!c.force && std::memcmp(&c.viewport, viewport, sizeof c.viewport) == 0) return 0;
    flush();
    c.viewport = *viewport;
    D3D11DeviceContext_RSSetViewports(1, &c.viewport);
    return 0;
}

int Graphics_D3D11_DeviceState_SetViewportRect(int x1, int y1, int x2, int y2) {
    const D3D11_VIEWPORT v{float(x1), float(y1), float(x2 - x1), float(y2 - y1), 0.0f, 1.0f};
    return Graphics_D3D11_DeviceState_SetViewport(&v);
}

void Graphics_D3D11_DeviceState_ClearBindings() {
    std::memset(c.psResources, 0, sizeof c.psResources);
    std::memset(c.vsConstants, 0, sizeof c.vsConstants);
    std::memset(c.psConstants, 0, sizeof c.psConstants);
    std::memset(c.targetTexture, 0, sizeof c.targetTexture);
    std::memset(c.targetView, 0, sizeof c.targetView);
    c.depthTexture = nullptr;
    c.depthView = nullptr;
    c.pixelShader = nullptr;
    c.vertexShader = nullptr;
    c.inputLayout = nullptr;
    c.vertexBuffer = nullptr;
    c.indexBuffer = nullptr;
    c.texture = c.blendTexture = nullptr;
    c.textureView = c.blendTextureView = nullptr;
}

}  // namespace ZaDod
