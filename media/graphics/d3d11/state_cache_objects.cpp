// The state objects behind the cached descriptions: made on the first draw that needs
// them, kept in fixed tables by description, one-off objects for descriptions the tables
// do not cover; the re-send of everything; the releases.
#include <cfloat>
#include <cstring>
#include <utility>

#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "platform/gpu/shaders/constants.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

using d3d11_cache::c;

// The supported filter codes, in the order of the sampler table's filter slot.
int filterSlot(UINT filter) {
    static const UINT kCodes[18] = {0, 1, 4, 5, 16, 17, 20, 21, 85, 128, 129, 132, 133, 144, 145, 148, 149, 213};
    for (int i = 0; i < 18; ++i)
        if (kCodes[i] == filter) return i;
    return -1;
}

int applyBlend() {
    if (!c.blendDirty && !c.force) return 0;
    c.blendDirty = 0;
    if (c.boundBlendOneOff) D3D11_ReleaseAndClear(c.boundBlend, D3D11BlendState_Release);
    c.boundBlendOneOff = 0;
    ID3D11BlendState* state = nullptr;
    if (c.blendModeIndex >= 0) {
        ID3D11BlendState*& cached = c.blendStates[c.blendModeIndex];
        if (cached == nullptr) {
            D3D11_BLEND_DESC d{};
            for (auto& t : d.RenderTarget) t = kD3D11BlendTable[c.blendModeIndex].desc;
            if (D3D11Device_CreateBlendState(&d, &cached) != S_OK) {
                LogAddTextUtf16(u"ID3D11BlendState の作成に失敗しました　箇所２\n");
                return -1;
            }
        }
        state = cached;
    } else {
        if (D3D11Device_CreateBlendState(&c.blendDesc, &state) != S_OK) {
            LogAddTextUtf16(u"ID3D11BlendState の作成に失敗しました　箇所１\n");
            return -1;
        }
        c.boundBlendOneOff = 1;
    }
    c.boundBlend = state;
    const float factor[4] = {0, 0, 0, 0};
    D3D11DeviceContext_OMSetBlendState(state, factor, 0xFFFFFFFFu);
    return 0;
}

int applyDepthStencil() {
    if (!c.depthStencilDirty && !c.force) return 0;
    c.depthStencilDirty = 0;
    if (c.boundDepthStencilOneOff) D3D11_ReleaseAndClear(c.boundDepthStencil, D3D11DepthStencilState_Release);
    c.boundDepthStencilOneOff = 0;
    const D3D11_DEPTH_STENCIL_DESC& d = c.depthStencilDesc;
    auto plainFace = [](const D3D11_DEPTH_STENCILOP_DESC& f) {
        return f.StencilFailOp == D3D11_STENCIL_OP_KEEP && f.StencilDepthFailOp == D3D11_STENCIL_OP_KEEP &&
               f.StencilPassOp == D3D11_STENCIL_OP_KEEP && f.StencilFunc == D3D11_COMPARISON_ALWAYS;
    };
    const bool reusable = !d.StencilEnable && d.StencilReadMask == 255 && d.StencilWriteMask == 255 &&
                          plainFace(d.FrontFace) && plainFace(d.BackFace) && d.DepthFunc <= 8;
    ID3D11DepthStencilState* state = nullptr;
    if (reusable) {
        const int index = int(d.DepthFunc) + 9 * ((d.DepthWriteMask == 1 ? 1 : 0) + 2 * (d.DepthEnable ? 1 : 0));
        ID3D11DepthStencilState*& cached = c.depthStencilStates[index];
        if (cached == nullptr && D3D11Device_CreateDepthStencilState(&d, &cached) != S_OK) {
            LogAddTextUtf16(u"ID3D11DepthStencilState の作成に失敗しました　箇所２\n");
            return -1;
        }
        state = cached;
    } else {
        if (D3D11Device_CreateDepthStencilState(&d, &state) != S_OK) {
            LogAddTextUtf16(u"ID3D11DepthStencilState の作成に失敗しました　箇所１\n");
            return -1;
        }
        c.boundDepthStencilOneOff = 1;
    }
    c.boundDepthStencil = state;
    D3D11DeviceContext_OMSetDepthStencilState(state, 0);
    return 0;
}

int applyRasterizer() {
    if (!c.rasterizerDirty && !c.force) return 0;
    c.rasterizerDirty = 0;
    if (c.boundRasterizerOneOff) D3D11_ReleaseAndClear(c.boundRasterizer, D3D11RasterizerState_Release);
    c.boundRasterizerOneOff = 0;
    const D3D11_RASTERIZER_DESC& d = c.rasterizerDesc;
    const bool reusable = !d.FrontCounterClockwise && d.DepthBias == 0 && d.DepthBiasClamp == 0.0f &&
                          d.SlopeScaledDepthBias == 0.0f && !d.ScissorEnable && !d.AntialiasedLineEnable &&
                          d.FillMode <= 3 && d.CullMode <= 3;
    ID3D11RasterizerState* state = nullptr;
    if (reusable) {
        const int index = (d.MultisampleEnable ? 1 : 0) +
                          2 * ((d.DepthClipEnable ? 1 : 0) + 2 * (int(d.FillMode) + 4 * int(d.CullMode)));
        ID3D11RasterizerState*& cached = c.rasterizerStates[index];
        if (cached == nullptr && D3D11Device_CreateRasterizerState(&d, &cached) != S_OK) {
            LogAddTextUtf16(u"ID3D11RasterizerState の作成に失敗しました　箇所２\n");
            return -1;
        }
        state = cached;
    } else {
        if (D3D11Device_CreateRasterizerState(&d, &state) != S_OK) {
            LogAddTextUtf16(u"ID3D11RasterizerState の作成に失敗しました　箇所１\n");
            return -1;
        }
        c.boundRasterizerOneOff = 1;
    }
    c.boundRasterizer = state;
    D3D11DeviceContext_RSSetState(state);
    return 0;
}

// Makes or finds sampler i's object; -1 when it cannot be made.
int samplerObject(int i) {
    if (c.samplerOneOff[i]) D3D11_ReleaseAndClear(c.boundSampler[i], D3D11SamplerState_Release);
    c.samplerOneOff[i] = 0;
    const D3D11_SAMPLER_DESC& d = c.samplerDesc[i];
    const int slot = filterSlot(d.Filter);
    const bool reusable = slot >= 0 && d.MipLODBias == 0.0f && (d.MaxAnisotropy == 1 || d.MaxAnisotropy == 16) &&
                          d.ComparisonFunc == D3D11_COMPARISON_ALWAYS && d.BorderColor[0] == 0.0f &&
                          d.BorderColor[1] == 0.0f && d.BorderColor[2] == 0.0f && d.BorderColor[3] == 0.0f &&
                          d.MinLOD == -FLT_MAX && d.MaxLOD == FLT_MAX && d.AddressU >= 1 && d.AddressU <= 5 &&
                          d.AddressV >= 1 && d.AddressV <= 5 && d.AddressW >= 1 && d.AddressW <= 5;
    if (reusable) {
        const int index = (d.MaxAnisotropy == 16 ? 1 : 0) +
                          2 * (int(d.AddressW) + 6 * (int(d.AddressV) + 6 * (int(d.AddressU) + 6 * slot)));
        ID3D11SamplerState*& cached = c.samplerStates[index];
        if (cached == nullptr && D3D11Device_CreateSamplerState(&d, &cached) != S_OK) {
            LogAddTextUtf16(u"ID3D11SamplerState の作成に失敗しました　箇所２\n");
            return -1;
        }
        c.boundSampler[i] = cached;
        return 0;
    }
    if (D3D11Device_CreateSamplerState(&d, &c.boundSampler[i]) != S_OK) {
        LogAddTextUtf16(u"ID3D11SamplerState の作成に失敗しました　箇所１\n");
        return -1;
    }
    c.samplerOneOff[i] = 1;
    return 0;
}

int applySamplers() {
    if (!c.anySamplerDirty && !c.force) return 0;
    c.anySamplerDirty = 0;
    int result = 0;
    int runStart = -1;
    for (int i = 0; i <= kD3D11Samplers; ++i) {
        const bool dirty = i < kD3D11Samplers && (c.samplerDirty[i] || c.force);
        if (dirty) {
            c.samplerDirty[i] = 0;
            if (samplerObject(i) < 0) result = -1;
            if (runStart < 0) runStart = i;
        } else if (runStart >= 0) {
            D3D11DeviceContext_PSSetSamplers(UINT(runStart), UINT(i - runStart), &c.boundSampler[runStart]);
            runStart = -1;
        }
    }
    return result;
}

template <class T, class Release>
void releaseTable(T** table, int count, T*& bound, int& oneOff, Release release) {
    if (oneOff) D3D11_ReleaseAndClear(bound, release);
    oneOff = 0;
    bound = nullptr;
    for (int i = 0; i < count; ++i) D3D11_ReleaseAndClear(table[i], release);
}

}  // namespace

void Graphics_D3D11_DeviceState_MarkAllDirty() {
    c.blendDirty = c.depthStencilDirty = c.rasterizerDirty = c.anySamplerDirty = 1;
    for (int& d : c.samplerDirty) d = 1;
}

int Graphics_D3D11_DeviceState_ApplyStates() {
    if (!D3D11Device_IsValid()) return -1;
    int result = 0;
    if (applySamplers() < 0) result = -1;
    if (applyRasterizer() < 0) result = -1;
    if (applyDepthStencil() < 0) result = -1;
    if (applyBlend() < 0) result = -1;
    for (D3D11ConstantBuffer* b : D3D11BuiltinConstantBuffers) Graphics_D3D11_ConstantBuffer_Update(b);
    return result;
}

int Graphics_D3D11_DeviceState_ResendStateObjects() {
    if (!D3D11Device_IsValid()) return -1;
    D3D11DeviceContext_GSSetShader(nullptr, nullptr, 0);
    D3D11DeviceContext_HSSetShader(nullptr, nullptr, 0);
    D3D11DeviceContext_DSSetShader(nullptr, nullptr, 0);
    D3D11DeviceContext_CSSetShader(nullptr, nullptr, 0);
    Graphics_D3D11_DeviceState_MarkAllDirty();
    return Graphics_D3D11_DeviceState_ApplyStates();
}

int Graphics_D3D11_DeviceState_ResendAll() {
    if (!D3D11Device_IsValid()) return -1;
    c.force = 1;
    c.drawPrepNeeded = 1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11DeviceContext_RSSetViewports(1, &c.viewport);
    D3D11DeviceContext_PSSetShaderResources(0, 2, c.psResources);
    Graphics_D3D11_DeviceState_ResendStateObjects();
    if (c.topology != 0) D3D11DeviceContext_IASetPrimitiveTopology(c.topology);
    if (c.inputLayout != nullptr) D3D11DeviceContext_IASetInputLayout(c.inputLayout);
    D3D11DeviceContext_VSSetShader(c.vertexShader, nullptr, 0);
    if (c.indexBuffer != nullptr) D3D11DeviceContext_IASetIndexBuffer(c.indexBuffer, c.indexFormat, 0);
    D3D11DeviceContext_PSSetShader(c.pixelShader, nullptr, 0);
    const UINT strides[1] = {UINT(c.vertexStride)}, offsets[1] = {0};
    if (c.vertexBuffer != nullptr) D3D11DeviceContext_IASetVertexBuffers(0, 1, &c.vertexBuffer, strides, offsets);
    Graphics_D3D11_DeviceState_ApplyRenderTargets();
    auto* b = D3D11BuiltinConstantBuffers;
    for (D3D11ConstantBuffer* buffer : D3D11BuiltinConstantBuffers)
        if (buffer != nullptr) {
            buffer->dirty = 1;
            Graphics_D3D11_ConstantBuffer_Update(buffer);
        }
    if (b[kCBCommon] != nullptr && b[kCBVSBase] != nullptr && b[kCBVSExtra] != nullptr && b[kCBVSMore] != nullptr &&
        b[kCBPSBase] != nullptr && b[kCBPSMore] != nullptr && b[kCBFilter] != nullptr) {
        ID3D11Buffer* vs[4] = {b[kCBCommon]->buffer, b[kCBVSBase]->buffer, b[kCBVSExtra]->buffer,
                               b[kCBVSMore]->buffer};
        ID3D11Buffer* ps[4] = {b[kCBCommon]->buffer, b[kCBPSBase]->buffer, b[kCBPSMore]->buffer,
                               b[kCBFilter]->buffer};
        // The built-in shaders read their base buffers at the slot the shader bank names;
        // the common buffer takes the slot that frees.
        std::swap(vs[1], vs[shader::kVsBaseSlot]);
        std::swap(ps[1], ps[shader::kPsBaseSlot]);
        Graphics_D3D11_DeviceState_SetVSConstantBuffers(0, 4, vs);
        Graphics_D3D11_DeviceState_SetPSConstantBuffers(0, 4, ps);
    }
    c.force = 0;
    return 0;
}

int Graphics_D3D11_DeviceState_ReleaseBlendStates() {
    releaseTable(c.blendStates, kD3D11BlendRows, c.boundBlend, c.boundBlendOneOff, D3D11BlendState_Release);
    c.blendDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_ReleaseDepthStencilStates() {
    releaseTable(c.depthStencilStates, 36, c.boundDepthStencil, c.boundDepthStencilOneOff,
                 D3D11DepthStencilState_Release);
    c.depthStencilDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_ReleaseRasterizerStates() {
    releaseTable(c.rasterizerStates, 64, c.boundRasterizer, c.boundRasterizerOneOff, D3D11RasterizerState_Release);
    c.rasterizerDirty = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_ReleaseSamplerStates() {
    for (int i = 0; i < kD3D11Samplers; ++i) {
        if (c.samplerOneOff[i]) D3D11_ReleaseAndClear(c.boundSampler[i], D3D11SamplerState_Release);
        c.samplerOneOff[i] = 0;
        c.boundSampler[i] = nullptr;
        c.samplerDirty[i] = 1;
    }
    c.anySamplerDirty = 1;
    for (auto*& s : c.samplerStates) D3D11_ReleaseAndClear(s, D3D11SamplerState_Release);
    return 0;
}

}  // namespace ZaDod
