// One quad drawn outside the vertex batch for the filter passes and the mask screen: the
// caller's target, textures, pixel shader and blend values for the one draw, and the
// device state the front's next draw expects put back after it. The filter passes draw
// theirs through the user-shader binding: the pass's shader and textures are selected as
// a user's would be and the shader draw preparation binds them.
#include <algorithm>

#include "media/graphics/d3d9/d3d9_filter.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_state.h"
#include "media/graphics/shader.h"

namespace ZaDod {

using namespace plat::gpu;

namespace {

// The device state a pass changes and puts back: the front's next draw finds it as the
// last preparation left it.
struct PassDeviceState {
    IDirect3DSurface9* targets[8];
    D3DVIEWPORT9 viewport;
    int zEnable, fog, filter;
    IDirect3DPixelShader9* pixelShader;
    int pixelShaderUser;
    IDirect3DVertexShader9* vertexShader;
    int vertexShaderUser;
    IDirect3DVertexDeclaration9* declaration;
    uint32_t fvf;
};

PassDeviceState openPass(IDirect3DSurface9* target) {
    D3D9DeviceStateCache& c = D3D9State;
    Graphics_D3D9_FlushVertexBatch(0);
    PassDeviceState s{};
    for (int i = 0; i < 8; ++i) s.targets[i] = c.targets[i];
    s.viewport = c.viewport;
    s.zEnable = c.zEnable, s.fog = c.fogEnable, s.filter = c.textureFilter;
    s.pixelShader = c.pixelShader, s.pixelShaderUser = c.pixelShaderUser;
    s.vertexShader = c.vertexShader, s.vertexShaderUser = c.vertexShaderUser;
    s.declaration = c.declaration;
    s.fvf = c.fvf;
    Graphics_D3D9_DeviceState_SetRenderTarget(target, 0);
    for (int i = 1; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(nullptr, i);
    Graphics_D3D9_BeginScene();
    return s;
}

void closePass(const PassDeviceState& s) {
    D3D9DeviceStateCache& c = D3D9State;
    for (int i = 0; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(s.targets[i], i);
    const int force = c.force;
    c.force = 1;
    Graphics_D3D9_DeviceState_SetViewport(&s.viewport);
    c.force = force;
    Graphics_D3D9_DeviceState_SetZEnable(s.zEnable);
    Graphics_D3D9_DeviceState_SetFogEnable(s.fog);
    if (s.filter >= 0 && s.filter <= 2) Graphics_D3D9_DeviceState_SetTextureFilter(s.filter);
    else c.textureFilter = s.filter;
    Graphics_D3D9_DeviceState_SetPixelShader(s.pixelShader, s.pixelShaderUser);
    Graphics_D3D9_DeviceState_SetVertexShader(s.vertexShader, s.vertexShaderUser);
    if (s.declaration != nullptr) Graphics_D3D9_DeviceState_SetVertexDeclaration(s.declaration);
    else if (s.fvf != 0) Graphics_D3D9_DeviceState_SetFVF(s.fvf);
    // The next front draw prepares its blend mode and stages again.
    c.keyChanged = 1;
    c.drawPrepNeeded = 1;
    c.stateChanged = 1;
}

// The front's settings a filter pass draws with, and the user shader settings it selects
// its own shader and textures in; both put back after the pass.
struct FrontFilterState {
    int useZBuffer, blendMode, blendParam, samplingMode, alphaTestMode, alphaTestRef, fogEnable, lightingOff;
    int addressU[16], addressV[16];
};
FrontFilterState savedFront;
ShaderSelection savedShaders;

void enterFilterState(int linear) {
    DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    FrontFilterState& f = savedFront;
    f = FrontFilterState{s.useZBuffer, s.blendMode,     s.blendParam, s.samplingMode, s.alphaTestMode,
                         s.alphaTestRef, s.fogEnable, s.lightingOff, {},             {}};
    std::copy(r.textureAddressU, r.textureAddressU + 16, f.addressU);
    std::copy(r.textureAddressV, r.textureAddressV + 16, f.addressV);
    // No depth, no fog, no light; the pass replaces the target's pixels; every texel it
    // reads lies inside its texture, clamped at the edges whatever the drawing modes are.
    s.useZBuffer = 0;
    s.blendMode = 14, s.blendParam = 255;
    s.samplingMode = linear ? 1 : 0;
    s.alphaTestMode = 8, s.alphaTestRef = 0;
    s.fogEnable = 0;
    s.lightingOff = 1;
    std::fill(r.textureAddressU, r.textureAddressU + 16, int(D3DTADDRESS_CLAMP));
    std::fill(r.textureAddressV, r.textureAddressV + 16, int(D3DTADDRESS_CLAMP));
    r.settingsChanged = 1;
}

void leaveFilterState() {
    DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    const FrontFilterState& f = savedFront;
    s.useZBuffer = f.useZBuffer;
    s.blendMode = f.blendMode, s.blendParam = f.blendParam;
    s.samplingMode = f.samplingMode;
    s.alphaTestMode = f.alphaTestMode, s.alphaTestRef = f.alphaTestRef;
    s.fogEnable = f.fogEnable;
    s.lightingOff = f.lightingOff;
    std::copy(f.addressU, f.addressU + 16, r.textureAddressU);
    std::copy(f.addressV, f.addressV + 16, r.textureAddressV);
    r.settingsChanged = 1;
}

}  // namespace

int D3D9_DrawPass(const D3D9PassDraw& pass) {
    if (!Direct3DDevice9_IsValid() || pass.target == nullptr || pass.first == nullptr) return -1;
    const PassDeviceState saved = openPass(pass.target);
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
    closePass(saved);
    return hr == D3D_OK ? 0 : -1;
}

void Graphics_D3D9_FilterPass_SaveUserShaders() { savedShaders = ShaderUse; }

void Graphics_D3D9_FilterPass_RestoreUserShaders() {
    ShaderUse.vertexShader = savedShaders.vertexShader;
    ShaderUse.pixelShader = savedShaders.pixelShader;
    ShaderUse.textures[0] = savedShaders.textures[0];
    ShaderUse.textures[1] = savedShaders.textures[1];
}

int Graphics_D3D9_FilterPass_DrawQuad(const D3D9FilterQuad& quad) {
    if (!Direct3DDevice9_IsValid() || quad.target == nullptr) return -1;
    // The source must still be a graph or a shadow map; the second texture a graph.
    if (SetUseTextureToShader(0, quad.source) != 0) return -1;
    if (SetUseTextureToShader(1, quad.second) != 0) return -1;
    const PassDeviceState saved = openPass(quad.target);
    enterFilterState(quad.linear);
    // The preparation makes constant sets 0 and 1 active (the pass's own constants are in
    // set 1); the sets active before come back after the draw.
    D3D9ShaderConstants& constants = D3D9ShaderConstantSys;
    const int useSets = constants.activeMask;
    Graphics_D3D9_DrawPreparationToShader(0, -1, 1, 1);
    Graphics_D3D9_DeviceState_SetFVF(kD3D9FvfFilterQuad);
    const HRESULT hr =
        Direct3DDevice9_DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.vertices, UINT(sizeof(D3D9FilterVertex)));
    Graphics_D3D9_ShaderConstant_ApplyUseSets(&constants, useSets);
    leaveFilterState();
    closePass(saved);
    return hr == D3D_OK ? 0 : -1;
}

}  // namespace ZaDod
