// The Direct3D 11 device's default state, and its re-application after a re-creation.
#include <cfloat>
#include <cstring>

#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

using d3d11_cache::c;

Matrix4x4F identity() {
    Matrix4x4F m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

}  // namespace

int Graphics_D3D11_SetupDefaultDeviceState() {
    c.force = 1;

    c.rasterizerDesc = D3D11_RASTERIZER_DESC{D3D11_FILL_SOLID, D3D11_CULL_NONE, 0, 0, 0.0f, 0.0f, 1, 0, 1, 0};
    const D3D11_DEPTH_STENCILOP_DESC face{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                          D3D11_COMPARISON_ALWAYS};
    c.depthStencilDesc = D3D11_DEPTH_STENCIL_DESC{0,    D3D11_DEPTH_WRITE_MASK_ZERO, D3D11_COMPARISON_LESS_EQUAL, 0,
                                                  0xFF, 0xFF, face, face};
    c.blendDesc = D3D11_BLEND_DESC{};
    for (auto& t : c.blendDesc.RenderTarget)
        t = D3D11_RENDER_TARGET_BLEND_DESC{0, D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD,
                                           D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD, 15};
    c.blendModeIndex = 0;
    for (auto& d : c.samplerDesc) {
        d = D3D11_SAMPLER_DESC{};
        d.Filter = D3D11_FILTER_MIN_MAG_MIP_POINT;
        d.AddressU = d.AddressV = d.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
        d.MaxAnisotropy = 16;
        d.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
        d.MinLOD = -FLT_MAX;
        d.MaxLOD = FLT_MAX;
    }
    Graphics_D3D11_DeviceState_MarkAllDirty();

    // The front's address modes: 0 means clamp.
    ClampUnsetTextureAddressModes();
    Graphics_D3D11_DeviceState_SetTextureFilter(0);
    Graphics_D3D11_DeviceState_SetMaxAnisotropy(16, -1);

    const Matrix4x4F id = identity();
    Graphics_D3D11_DeviceState_SetTextureTransform(0, &id);
    if (!c.lighting) Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.lighting = 1;
    for (int i = 0; i < kD3D11Lights; ++i) c.lights[i] = LightParam{}, c.lightEnabled[i] = 0;
    c.lightHighest = -1;
    c.view = id;
    const MaterialParam material{{0.8f, 0.8f, 0.8f, 1.0f}, {0, 0, 0, 0}, {0.8f, 0.8f, 0.8f, 0.0f}, {0, 0, 0, 0}, 20.0f};
    Graphics_D3D11_DeviceState_SetMaterial(&material);
    Graphics_D3D11_DeviceState_SetVSFlags(1, 1, 0);
    Graphics_D3D11_DeviceState_SetSpecularEnable(1);
    Graphics_D3D11_DeviceState_SetFogEnable(0);
    c.fogMode = 0;
    Graphics_D3D11_DeviceState_SetFogColor(0);
    Graphics_D3D11_DeviceState_SetFogStartEnd(0.0f, 1.0f, 1.0f);
    Graphics_D3D11_DeviceState_SetAmbientLight(0);
    for (int i = 0; i < kD3D11Lights; ++i) Graphics_D3D11_DeviceState_WriteLightConstants(i);

    const D3D11_VIEWPORT viewport{0, 0, float(GraphicsSys.width), float(GraphicsSys.height), 0.0f, 1.0f};
    Graphics_D3D11_DeviceState_SetViewport(&viewport);
    // Pre-transformed 2D vertices are screen pixels: the vertex stage maps them to clip
    // space with this until the front's draw area sets its own.
    Matrix4x4F toClip{};
    toClip.m[0][0] = 2.0f / float(GraphicsSys.width > 0 ? GraphicsSys.width : 1);
    toClip.m[1][1] = -2.0f / float(GraphicsSys.height > 0 ? GraphicsSys.height : 1);
    toClip.m[2][2] = 1.0f;
    toClip.m[3][0] = -1.0f;
    toClip.m[3][1] = 1.0f;
    toClip.m[3][3] = 1.0f;
    Graphics_D3D11_DeviceState_SetViewportMatrix(&toClip);
    c.variant = 0;
    Graphics_D3D11_BindScreenTarget();
    c.topology = D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
    if (D3D11Sys.context != nullptr) D3D11DeviceContext_IASetPrimitiveTopology(c.topology);

    c.alphaTestFunc = -1;
    c.alphaTestRef = 0;
    c.psAlphaRef = -2;  // neither "off" nor a reference: the first blend application writes it
    c.blendTexture = nullptr;
    c.blendTextureView = nullptr;
    c.blendKind = 0;
    c.blendRatio = -1;
    c.texture = nullptr;
    c.textureView = nullptr;
    c.blendMode = c.premultiplied = c.alphaChannel = 0;
    c.keyChanged = 1;
    c.textureChanged = 0;
    // The pixel-stage constants may be new while the cache still holds the last run's
    // factor colour; an equal colour would never be written into them.
    const float noFactor[4] = {0, 0, 0, 0};
    Graphics_D3D11_DeviceState_SetFactorColor(noFactor);

    c.force = 0;
    Graphics_D3D11_DeviceState_ResendAll();

    const D3D11Backend& b = D3D11BackendSys;
    D3D11VertexBatch& batch = D3D11Batch;
    batch.stateChanged = 1;
    batch.variant = 1;
    batch.diffuse = 0xFFFFFFFFu;
    batch.skipDraw = 0;
    batch.pending = 0;
    batch.kind = 0;
    batch.topology = D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
    if (batch.mapped == nullptr && b.standardVertexBuffer != nullptr) {
        D3D11_MAPPED_SUBRESOURCE mapped{};
        if (D3D11DeviceContext_Map(b.standardVertexBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped) == S_OK)
            batch.mapped = static_cast<uint8_t*>(mapped.pData);
    }
    batch.write = batch.mapped;
    return 0;
}

int Graphics_D3D11_ReapplyDeviceState() {
    if (!D3D11Device_IsValid()) return -1;
    c.force = 1;
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    D3D11Batch.pending = 0;
    Graphics_D3D11_DeviceState_SetBlendModeKey(c.blendMode, 0, 0);
    Graphics_D3D11_DeviceState_SetVariantKey(c.variant);
    Graphics_D3D11_DeviceState_SetMaxAnisotropy(c.allAnisotropy > 0 ? c.allAnisotropy : 16, -1);
    for (int i = 0; i < kD3D11Samplers; ++i) {
        Graphics_D3D11_DeviceState_SetTextureAddressU(c.samplerDesc[i].AddressU, i);
        Graphics_D3D11_DeviceState_SetTextureAddressV(c.samplerDesc[i].AddressV, i);
        Graphics_D3D11_DeviceState_SetTextureAddressW(c.samplerDesc[i].AddressW, i);
    }
    const Matrix4x4F id = identity();
    RenderState& r = GraphicsRender;
    Graphics_D3D11_DeviceState_SetTextureTransform(r.textureTransformUse, r.textureTransformUse ? &r.textureTransform : &id);
    D3D11DeviceContext_IASetPrimitiveTopology(c.topology);
    // The set-up before this put the defaults in the cache: fog comes from the front.
    Graphics_D3D11_DeviceState_SetFogEnable(c.fogEnable);
    Graphics_D3D11_SetFogMode(r.fogMode);
    Graphics_D3D11_DeviceState_SetFogColor(r.fogColor);
    Graphics_D3D11_DeviceState_SetFogStartEnd(r.fogStart, r.fogEnd, c.fogDensity);
    Graphics_D3D11_DeviceState_SetViewportMatrix(&GraphicsDrawSettings.viewportF);
    ResendTransforms();
    Graphics_D3D11_DeviceState_SetMaterial(&c.material);
    Graphics_D3D11_DeviceState_RefreshLights();
    const int lighting = c.lighting;
    c.lighting = -1;
    Graphics_D3D11_SetUseLighting(lighting);
    for (int i = 0; i < kD3D11Lights; ++i) {
        if (!c.lightEnabled[i] && i > c.lightHighest) continue;
        Graphics_D3D11_DeviceState_SetLight(i, &c.lights[i]);
        Graphics_D3D11_DeviceState_SetLightEnable(i, c.lightEnabled[i]);
    }
    c.force = 0;
    Graphics_D3D11_DeviceState_ResendAll();
    // The front's lights and material reach the new device with the next lit draw.
    RequestLightStatesResend();
    GraphicsRender.materialDirty = 1;
    return 0;
}

}  // namespace ZaDod
