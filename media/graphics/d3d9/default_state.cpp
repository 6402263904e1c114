// The Direct3D 9 device's default state after start-up, and the re-application of every
// cached value after a re-creation.
#include <cstring>

#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/light.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using d3d9_cache::c;

DWORD floatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}

// Render states the back end sets once and the state cache does not record: a new device
// starts from the interface's defaults, so a re-created one needs them again as well.
void sendUncachedStates() {
    Direct3DDevice9_SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    Direct3DDevice9_SetRenderState(D3DRENDERSTATETYPE(d3d9rs::AMBIENTMATERIALSOURCE), 0);
}

}  // namespace

int Graphics_D3D9_SetupDefaultDeviceState() {
    ResetGraphFilterShaderHandleTable();
    D3D9_BatchFillConstants();

    // The front's address modes: 0 means clamp.
    RenderState& r = GraphicsRender;
    ClampUnsetTextureAddressModes();

    if (Direct3DDevice9_IsValid()) {
        for (int i = 0; i < kD3D9Samplers; ++i) {
            Direct3DDevice9_SetSamplerState(i, D3DSAMP_ADDRESSU, DWORD(r.textureAddressU[i]));
            Direct3DDevice9_SetSamplerState(i, D3DSAMP_ADDRESSV, DWORD(r.textureAddressV[i]));
            Direct3DDevice9_SetSamplerState(i, D3DSAMP_ADDRESSW, DWORD(r.textureAddressW[i]));
            c.sampler[i][D3DSAMP_ADDRESSU] = uint32_t(r.textureAddressU[i]);
            c.sampler[i][D3DSAMP_ADDRESSV] = uint32_t(r.textureAddressV[i]);
            c.sampler[i][D3DSAMP_ADDRESSW] = uint32_t(r.textureAddressW[i]);
            c.sampler[i][D3DSAMP_MAXANISOTROPY] = 1;
        }
        sendUncachedStates();
        const DWORD states[][2] = {{D3DRS_CULLMODE, D3DCULL_NONE},
                                   {D3DRS_LIGHTING, 1},
                                   {D3DRS_SHADEMODE, D3DSHADE_FLAT},
                                   {D3DRS_DITHERENABLE, 0},
                                   {D3DRS_SPECULARENABLE, 1},
                                   {D3DRS_FOGENABLE, 0},
                                   {d3d9rs::FOGVERTEXMODE, 0},
                                   {d3d9rs::FOGCOLOR, 0},
                                   {d3d9rs::FOGSTART, floatBits(0.0f)},
                                   {d3d9rs::FOGEND, floatBits(1.0f)}};
        for (const auto& s : states) Direct3DDevice9_SetRenderState(D3DRENDERSTATETYPE(s[0]), s[1]);
        Direct3DDevice9_GetMaterial(&c.material);
    }
    D3D9_ResetStageRecords();

    // What the cache believes now; the first preparation sends what differs.
    c.lighting = 1;
    // A new device has no light on: a cache that still said so would never enable one.
    for (int i = 0; i < kD3D9Lights; ++i) c.lights[i] = D3DLIGHT9{}, c.lightEnabled[i] = 0;
    c.highestLight = -1;
    c.allAnisotropy = 1;
    c.shadeMode = D3DSHADE_FLAT;
    c.zEnable = 1;
    c.zWrite = 0;
    c.zFunc = D3DCMP_LESSEQUAL;
    c.depthBias = 0;
    c.fillMode = D3DFILL_SOLID;
    c.cullMode = 0;
    c.specular = 1;
    c.fogEnable = 0;
    c.fogMode = 0;
    c.fogColor = 0;
    c.fogStart = 0.0f;
    c.fogEnd = 1.0f;
    c.fogDensity = 1.0f;
    c.viewport = D3DVIEWPORT9{0, 0, DWORD(GraphicsSys.width), DWORD(GraphicsSys.height), 0.0f, 1.0f};
    c.textureFilter = 3;
    c.highestLight = -1;
    for (auto& b : c.blend) b = 0xFFFFFFFFu;
    c.targets[0] = D3D9_ScreenSurface();
    D3DMATRIX identity{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
    c.view = identity;
    for (auto& t : c.textureTransform) t = identity;

    // The draw-state key.
    c.stateChanged = 1;
    c.colorModulate = 0;
    c.alphaNeeded = 0;
    c.blendMode = c.premultiplied = c.alphaChannel = 0;
    c.alphaTestFunc = -1;
    c.alphaTestRef = 0;
    c.keyChanged = 1;
    c.textureChanged = 0;
    c.blendTexture = nullptr;
    c.blendKind = 0;
    c.blendRatio = -1;
    c.texture = nullptr;
    D3D9VertexBatch& b = D3D9Batch;
    b.diffuse = 0xFFFFFFFFu;
    b.skipDraw = 0;
    b.inScene = 0;
    b.pending = 0;
    b.variant = 1;
    b.write = b.buffer[1];

    Graphics_D3D9_DeviceState_ResendAll();
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DrawPreparation(0);

    // One point at the origin waits in the batch: the first flush draws it.
    b.pending = 0;
    b.kind = 0;
    b.primitive = D3DPT_POINTLIST;
    b.write = b.buffer[b.variant];
    float* v = reinterpret_cast<float*>(b.write);
    v[0] = v[1] = v[2] = 0.0f;
    b.write += kD3D9BatchStride[b.variant];
    b.pending = 1;
    return 0;
}

int Graphics_D3D9_ReapplyDeviceState() {
    if (!Direct3DDevice9_IsValid()) return -1;
    c.force = 1;
    Direct3DDevice9_SetRenderState(D3DRS_DITHERENABLE, 0);
    sendUncachedStates();
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    D3D9Batch.pending = 0;
    Graphics_D3D9_DeviceState_SetBlendModeKey(c.blendMode, c.premultiplied, c.alphaChannel);
    Graphics_D3D9_DeviceState_SetVariantKey(c.variant);

    Graphics_D3D9_DeviceState_SetCullMode(c.cullMode);
    Graphics_D3D9_DeviceState_SetTextureFilter(c.textureFilter >= 0 && c.textureFilter <= 2 ? c.textureFilter : 0);
    Graphics_D3D9_DeviceState_SetShadeMode(c.shadeMode);
    Graphics_D3D9_DeviceState_SetMaxAnisotropy(c.allAnisotropy > 0 ? c.allAnisotropy : 1, -1);
    // Every sampler, as the set-up made them: the ones past the fixed stages too.
    for (int i = 0; i < kD3D9Samplers; ++i) {
        Graphics_D3D9_DeviceState_SetTextureAddressU(int(c.sampler[i][D3DSAMP_ADDRESSU]), i);
        Graphics_D3D9_DeviceState_SetTextureAddressV(int(c.sampler[i][D3DSAMP_ADDRESSV]), i);
        Graphics_D3D9_DeviceState_SetTextureAddressW(int(c.sampler[i][D3DSAMP_ADDRESSW]), i);
    }
    for (int s = 0; s < 8; ++s)
        Graphics_D3D9_DeviceState_SetTextureTransform(c.textureTransformOn[s], &c.textureTransform[s], s);

    Graphics_D3D9_DeviceState_SetFogEnable(c.fogEnable);
    Graphics_D3D9_DeviceState_SetFogMode(c.fogMode);
    Graphics_D3D9_DeviceState_SetFogColor(c.fogColor);
    Graphics_D3D9_DeviceState_SetFogStartEnd(c.fogStart, c.fogEnd);
    Graphics_D3D9_DeviceState_SetFogDensity(c.fogDensity);

    Graphics_D3D9_DeviceState_SetZEnable(c.zEnable);
    Graphics_D3D9_DeviceState_SetZWriteEnable(c.zWrite);
    Graphics_D3D9_DeviceState_SetZFunc(c.zFunc);
    Graphics_D3D9_DeviceState_SetDepthBias(c.depthBias);
    Graphics_D3D9_DeviceState_SetFillMode(c.fillMode);

    ResendTransforms();

    const D3DMATERIAL9 material = c.material;
    Graphics_D3D9_DeviceState_SetMaterial(&material);
    Graphics_D3D9_DeviceState_SetSpecularEnable(c.specular);
    Graphics_D3D9_DeviceState_SetDiffuseMaterialSource(c.diffuseSource);
    Graphics_D3D9_DeviceState_SetSpecularMaterialSource(c.specularSource);
    auto byte = [](float f) { return uint32_t(f * 255.0f + 0.5f) & 0xFF; };
    Graphics_D3D9_DeviceState_SetAmbientLight(byte(c.ambientF[3]) << 24 | byte(c.ambientF[0]) << 16 |
                                              byte(c.ambientF[1]) << 8 | byte(c.ambientF[2]));
    Graphics_D3D9_SetUseLighting(c.lighting);
    for (int i = 0; i <= c.highestLight && i < kD3D9Lights; ++i) {
        const D3DLIGHT9 light = c.lights[i];
        if (light.Type == 0) continue;
        Graphics_D3D9_DeviceState_SetLight(i, &light);
        Graphics_D3D9_DeviceState_SetLightEnable(i, c.lightEnabled[i]);
    }

    const ImageRect& a = GraphicsDrawSettings.drawArea;
    if (a.right > a.left && a.bottom > a.top) {
        Graphics_D3D9_DeviceState_SetViewportRect(a.left, a.top, a.right, a.bottom);
        const plat::win::RECT scissor{a.left, a.top, a.right, a.bottom};
        Graphics_D3D9_DeviceState_SetScissorRect(&scissor);
    }
    for (int i = 0; i < kD3D9Stages; ++i) D3D9_SetStageState(i, D3DTSS_TEXCOORDINDEX, i);

    Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 0);
    Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
    Graphics_D3D9_DeviceState_ResendAll();
    c.force = 0;
    // The front's lights and material reach the new device with the next lit draw.
    RequestLightStatesResend();
    GraphicsRender.materialDirty = 1;
    return 0;
}

}  // namespace ZaDod
