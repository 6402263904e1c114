// One quad drawn outside the vertex batch for the filter passes and the mask screen: the
// caller's target, textures, pixel shader and blend values for the one draw, and the
// device state the front's next draw expects put back after it.
#include "media/graphics/d3d9/d3d9_filter.h"

namespace ZaDod {

using namespace plat::gpu;

int D3D9_DrawPass(const D3D9PassDraw& pass) {
    if (!Direct3DDevice9_IsValid() || pass.target == nullptr || pass.first == nullptr) return -1;
    D3D9DeviceStateCache& c = D3D9State;
    Graphics_D3D9_FlushVertexBatch(0);

    IDirect3DSurface9* targets[8];
    for (int i = 0; i < 8; ++i) targets[i] = c.targets[i];
    const D3DVIEWPORT9 viewport = c.viewport;
    const int zEnable = c.zEnable, fog = c.fogEnable, filter = c.textureFilter;
    IDirect3DPixelShader9* pixelShader = c.pixelShader;
    const int pixelShaderUser = c.pixelShaderUser;
    IDirect3DVertexShader9* vertexShader = c.vertexShader;
    const int vertexShaderUser = c.vertexShaderUser;
    IDirect3DVertexDeclaration9* declaration = c.declaration;
    const uint32_t fvf = c.fvf;

    Graphics_D3D9_DeviceState_SetRenderTarget(pass.target, 0);
    for (int i = 1; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(nullptr, i);
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetZEnable(0);
    Graphics_D3D9_DeviceState_SetFogEnable(0);
    Graphics_D3D9_DeviceState_SetTextureFilter(pass.linear ? 1 : 0);

    // Blending and the alpha test stay off unless the caller wants its own; with a shader
    // the stages only bind the textures.
    D3D9UserBlendInfo own{};
    if (pass.blend == nullptr) {
        for (auto& v : own.values) v = kD3D9Leave;
        own.values[kBvAlphaTestEnable] = 0;
        own.values[kBvAlphaBlendEnable] = 0;
        own.values[kBvSeparateAlphaBlendEnable] = 0;
        own.stageCount = pass.second != nullptr ? 2 : 1;
        own.stages[0] = D3D9Stage{pass.first, 0, 0, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                                  D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
        own.stages[1] = D3D9Stage{pass.second, 1, 0, D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                                  D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
    }
    Graphics_D3D9_DeviceState_SetUserBlendInfo(pass.blend != nullptr ? pass.blend : &own, 0, 0);
    Graphics_D3D9_DeviceState_SetPixelShader(pass.shader, pass.shader != nullptr ? 1 : 0);
    Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
    Graphics_D3D9_DeviceState_SetFVF(pass.fvf);
    const HRESULT hr = Direct3DDevice9_DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, pass.vertices, UINT(pass.stride));

    for (int i = 0; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(targets[i], i);
    const int force = c.force;
    c.force = 1;
    Graphics_D3D9_DeviceState_SetViewport(&viewport);
    c.force = force;
    Graphics_D3D9_DeviceState_SetZEnable(zEnable);
    Graphics_D3D9_DeviceState_SetFogEnable(fog);
    if (filter >= 0 && filter <= 2) Graphics_D3D9_DeviceState_SetTextureFilter(filter);
    else c.textureFilter = filter;
    Graphics_D3D9_DeviceState_SetPixelShader(pixelShader, pixelShaderUser);
    Graphics_D3D9_DeviceState_SetVertexShader(vertexShader, vertexShaderUser);
    if (declaration != nullptr) Graphics_D3D9_DeviceState_SetVertexDeclaration(declaration);
    else if (fvf != 0) Graphics_D3D9_DeviceState_SetFVF(fvf);
    // The next front draw prepares its blend mode and stages again.
    c.keyChanged = 1;
    c.drawPrepNeeded = 1;
    c.stateChanged = 1;
    return hr == D3D_OK ? 0 : -1;
}

}  // namespace ZaDod
