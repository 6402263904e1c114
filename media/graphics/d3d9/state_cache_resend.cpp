// Sending the Direct3D 9 state cache again: the base states the library's drawing
// relies on, and the whole cache after a re-creation or when the front asks for it.
#include "media/graphics/d3d9/d3d9_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using d3d9_cache::c;

// The whole register image of one constant kind, as the manager's owners give it.
void resendConstants(int kind, int count) {
    Graphics_D3D9_ShaderConstant_SendRange(&D3D9ShaderConstantSys, kind, 0, nullptr, count);
}

}  // namespace

int Graphics_D3D9_DeviceState_ResendBaseStates() {
    if (!Direct3DDevice9_IsValid()) return -1;
    D3D9_FlushUnlessForced();
    for (int i = 0; i < 4; ++i) {
        Direct3DDevice9_SetSamplerState(DWORD(i), D3DSAMP_ADDRESSU, c.sampler[i][D3DSAMP_ADDRESSU]);
        Direct3DDevice9_SetSamplerState(DWORD(i), D3DSAMP_ADDRESSV, c.sampler[i][D3DSAMP_ADDRESSV]);
    }
    static const int coords[4] = {0, 1, 1, 0};
    for (int i = 0; i < 4; ++i) {
        if (Direct3DDevice9_SetTextureStageState(DWORD(i), D3DTSS_TEXCOORDINDEX, DWORD(coords[i])) == D3D_OK)
            c.stages[i].texCoordIndex = coords[i];
        if (D3D9DeviceSys.tssArgTemp &&
            Direct3DDevice9_SetTextureStageState(DWORD(i), D3DTSS_RESULTARG, D3DTA_CURRENT) == D3D_OK)
            c.stages[i].resultTemp = 0;
    }
    Direct3DDevice9_SetRenderState(D3DRS_SHADEMODE, DWORD(c.shadeMode));
    Direct3DDevice9_SetRenderState(D3DRS_LIGHTING, DWORD(c.lighting));
    if (Direct3DDevice9_SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE) == D3D_OK) c.cullMode = 0;
    Direct3DDevice9_SetRenderState(D3DRS_DITHERENABLE, 0);
    const float vsBase[4] = {0.0f, 1.0f, 0.0f, 0.0f}, psBase[4] = {0.0f, 0.5f, 1.0f, 2.0f};
    D3D9_SetConstant(kD3D9VSFloat, 0, vsBase, 1);
    D3D9_SetConstant(kD3D9PSFloat, 0, psBase, 1);
    Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
    if (c.force || c.pixelShader != nullptr) Graphics_D3D9_DeviceState_ResetUserPixelShader(0);
    c.stream = nullptr;
    c.indexBuffer = nullptr;
    return 0;
}

int Graphics_D3D9_DeviceState_ResendAll() {
    if (!Direct3DDevice9_IsValid()) return 0;
    const int force = c.force;
    c.force = 1;
    c.drawPrepNeeded = 1;
    Graphics_D3D9_DeviceState_SetFogEnable(c.fogEnable);
    const D3DVIEWPORT9 viewport = c.viewport;
    if (viewport.Width > 0 && viewport.Height > 0) Graphics_D3D9_DeviceState_SetViewport(&viewport);
    const plat::win::RECT scissor = c.scissor;
    if (scissor.right > scissor.left && scissor.bottom > scissor.top) Graphics_D3D9_DeviceState_SetScissorRect(&scissor);
    Graphics_D3D9_DeviceState_SetTexture(c.texture);
    Graphics_D3D9_DeviceState_ResendBaseStates();
    Graphics_D3D9_DeviceState_SetTextureFilter(c.textureFilter >= 0 && c.textureFilter <= 2 ? c.textureFilter : 0);
    Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 0);
    Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
    Graphics_D3D9_DeviceState_SetZEnable(c.zEnable);
    Graphics_D3D9_DeviceState_SetZWriteEnable(c.zWrite);
    Graphics_D3D9_DeviceState_SetZFunc(c.zFunc);
    Graphics_D3D9_DeviceState_SetDepthBias(c.depthBias);
    Graphics_D3D9_DeviceState_SetFillMode(c.fillMode);
    Graphics_D3D9_DeviceState_SetCullMode(c.cullMode);
    Graphics_D3D9_DeviceState_SetShadeMode(c.shadeMode);
    const D3DMATERIAL9 material = c.material;
    Graphics_D3D9_DeviceState_SetMaterial(&material);
    Graphics_D3D9_DeviceState_SetSpecularEnable(c.specular);
    Graphics_D3D9_DeviceState_SetDiffuseMaterialSource(c.diffuseSource);
    Graphics_D3D9_DeviceState_SetSpecularMaterialSource(c.specularSource);
    resendConstants(kD3D9VSFloat, 256);
    resendConstants(kD3D9VSInt, 16);
    resendConstants(kD3D9VSBool, 16);
    resendConstants(kD3D9PSFloat, 224);
    resendConstants(kD3D9PSInt, 16);
    resendConstants(kD3D9PSBool, 16);
    c.force = force;
    return 0;
}

}  // namespace ZaDod
