// The Direct3D 9 draw preparation: the front's draw settings brought into the state cache
// for one kind of draw, as the draw-state key asks; and its form for shader passes.
#include <cstring>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/light.h"
#include "media/graphics/render_state.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using d3d9_cache::c;

// The device texture a shader-texture handle stands for now: a graph's first tile, or a
// shadow map's graph. Null for a handle that is gone or has no texture.
IDirect3DBaseTexture9* shaderTextureOf(int handle) {
    int graph = handle;
    if (const ShadowMapData* map = GetShadowMapData(handle)) graph = map->graph;
    GraphData* g = GetGraphData(graph);
    if (g == nullptr || g->orig == nullptr || g->pieceCount < 1 || g->pieces[0].tile == nullptr) return nullptr;
    const D3D9GraphTexture* t = D3D9_TileTexture(g->pieces[0].tile);
    if (t->texture != nullptr) return t->texture;
    return t->cube;
}

// A shader handle's device object when the handle is still a loaded shader of that stage.
void* userShaderObject(int handle, int vertexFlag) {
    if (handle <= 0) return nullptr;
    const ShaderHandleData* shader = GetShaderData(handle, 0);
    if (shader == nullptr || shader->vertexFlag != vertexFlag) return nullptr;
    return shader->deviceObject;
}

D3DMATERIAL9 frontMaterial() {
    const MaterialParam& m = GraphicsRender.material;
    D3DMATERIAL9 out{};
    auto put = [](D3DCOLORVALUE& v, const float* f) { v = D3DCOLORVALUE{f[0], f[1], f[2], f[3]}; };
    put(out.Diffuse, m.diffuse);
    put(out.Ambient, m.ambient);
    put(out.Specular, m.specular);
    put(out.Emissive, m.emissive);
    out.Power = m.power;
    return out;
}

}  // namespace

void Graphics_D3D9_DrawPreparation(int key) {
    if (!Direct3DDevice9_IsValid()) return;
    const DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    c.stateChanged = 0;
    r.settingsChanged = 0;
    const bool onShaders = ProgrammableShaderFlag != 0;

    // User shaders stay only for draws that ask for them; a pixel shader the blend
    // application bound stays.
    if ((key & 0x2000) == 0) {
        Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
        if (c.force || (c.pixelShader != nullptr && c.shaderMode == 0 && c.pixelShaderUser))
            Graphics_D3D9_DeviceState_ResetUserPixelShader(0);
    }

    // Lighting: the light list is rebuilt only when the front changed it.
    if ((key & 0x200) != 0 && !s.lightingOff) {
        if (LightStatesDirty())
            RefreshLightStates();
        else if (c.lighting != 1)
            Graphics_D3D9_SetUseLighting(1);
        if (r.materialDirty) {
            const D3DMATERIAL9 m = frontMaterial();
            Graphics_D3D9_DeviceState_SetMaterial(&m);
            r.materialDirty = 0;
        }
        Graphics_D3D9_DeviceState_SetDiffuseMaterialSource(r.useVertexDiffuse ? 1 : 0);
        Graphics_D3D9_DeviceState_SetSpecularMaterialSource(r.useVertexSpecular ? 1 : 0);
    } else if (c.lighting) {
        Graphics_D3D9_SetUseLighting(0);
    }

    // Specular: only draws that ask for it, and only while the front has it on.
    const int specular = (key & 0x400) != 0 && !r.specularOff ? 1 : 0;
    Graphics_D3D9_DeviceState_SetSpecularEnable(specular);

    // Depth: 3D draws take the front's 3D comparison, 2D draws the 2D one.
    const bool threeD = (key & 0x800) != 0;
    if (s.useZBuffer) {
        Graphics_D3D9_DeviceState_SetZEnable(1);
        Graphics_D3D9_DeviceState_SetZWriteEnable(1);
        Graphics_D3D9_DeviceState_SetZFunc(threeD ? r.depthCompare3D : r.depthCompare2D);
        Graphics_D3D9_DeviceState_SetDepthBias(0);
    } else {
        if (c.zEnable) Graphics_D3D9_DeviceState_SetZEnable(0);
        if (!threeD && c.zWrite) Graphics_D3D9_DeviceState_SetZWriteEnable(0);
    }

    if (r.fillMode >= 1 && r.fillMode <= 3) Graphics_D3D9_DeviceState_SetFillMode(r.fillMode);
    // A 3D draw into a shadow map writes depths: no fog blends into them.
    const bool intoShadowMap = threeD && GetShadowMapData(s.targets[0].handle) != nullptr;
    Graphics_D3D9_DeviceState_SetFogEnable((key & 0x80) != 0 && s.fogEnable && !intoShadowMap ? 1 : 0);

    // The blend key.
    const bool keepBlend = (key & 0x100) != 0;
    if (!keepBlend) {
        const KeyAlphaFlags f = DecodeKeyAlphaFlags(key, s.blendMode, s.samplingMode);
        // A lit draw's vertex colour is its lighting: it always modulates the texture.
        const bool lit = (key & 0x200) != 0 && !s.lightingOff;
        // A white vertex colour times a texel is the texel to the bit on flat 2D draws, so
        // stages that already multiply stay on for a white bright: an edged label's glyphs,
        // edge and body colours in turn, then share one state and one vertex batch.
        const bool white = s.brightRed == 255 && s.brightGreen == 255 && s.brightBlue == 255;
        const int colour = (key & 0x20) || lit || !white || (!threeD && c.colorModulate) ? 1 : 0;
        const int alpha = (key & 0x40) || s.blendMode != 0 ? 1 : 0;
        Graphics_D3D9_DeviceState_SetDiffuseKey(colour);
        Graphics_D3D9_DeviceState_SetAlphaKey(alpha);
        Graphics_D3D9_DeviceState_SetVariantKey(0);
        Graphics_D3D9_DeviceState_SetBlendModeKey(s.blendMode, f.premultiplied, f.alphaChannel);
        // Only a comparison function (1..8) is a test of the user's own.
        const bool userTest = s.alphaTestMode >= 1 && s.alphaTestMode <= 8;
        Graphics_D3D9_DeviceState_SetAlphaTestKey(userTest ? s.alphaTestMode : -1, userTest ? s.alphaTestRef : 0);
    }
    const bool both = threeD && specular;
    if (!keepBlend && (c.keyChanged || c.textureChanged)) {
        Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, both ? 0 : 1);
    } else if (onShaders) {
        // A 3D draw with specular needs the fixed stages (the shaders add no specular):
        // one left on the shader path is moved back to them.
        if (c.shaderMode == 0 && !both) {
            Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
        } else if (both && c.pixelShader != nullptr && !c.pixelShaderUser) {
            c.keyChanged = 1;
            Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 0);
        } else if (c.shaderMode == 1 && both) {
            Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 0);
        }
    }

    Graphics_D3D9_DeviceState_SetShadeMode((key & 0x8) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    if (s.samplingMode >= 0 && s.samplingMode <= 2 && c.textureFilter != s.samplingMode)
        Graphics_D3D9_DeviceState_SetTextureFilter(s.samplingMode);
    if (r.maxAnisotropy >= 1 && c.allAnisotropy != r.maxAnisotropy)
        Graphics_D3D9_DeviceState_SetMaxAnisotropy(r.maxAnisotropy, -1);

    if (key & 0x4000) {
        Graphics_D3D9_DeviceState_SetCullMode(r.cullMode);
    } else if (c.cullMode != 0) {
        Graphics_D3D9_FlushVertexBatch(0);
        Graphics_D3D9_DeviceState_SetCullMode(0);
    }

    // The texture-address transform goes to every stage once after the front changed it.
    if (!r.textureTransformApplied) {
        D3DMATRIX m;
        std::memcpy(&m, &r.textureTransform, sizeof m);
        Graphics_D3D9_DeviceState_SetTextureTransform(r.textureTransformUse, &m, -1);
        r.textureTransformApplied = 1;
    }

    // Texture addressing: clamp on stages 0-3 unless the draw asks for the front's modes.
    if (key & 0x1000) {
        for (int i = 0; i < 8; ++i) {
            Graphics_D3D9_DeviceState_SetTextureAddressU(r.textureAddressU[i], i);
            Graphics_D3D9_DeviceState_SetTextureAddressV(r.textureAddressV[i], i);
        }
    } else {
        for (int i = 0; i < 4; ++i)
            if (c.sampler[i][D3DSAMP_ADDRESSU] != D3DTADDRESS_CLAMP || c.sampler[i][D3DSAMP_ADDRESSV] != D3DTADDRESS_CLAMP) {
                Graphics_D3D9_DeviceState_SetTextureAddress(D3DTADDRESS_CLAMP, i);
            }
    }
    // Shadow maps: a 3D draw into one writes each pixel's depth (the next preparation puts
    // its blend's pixel stage back); lit 3D draws elsewhere read the slots' maps.
    if (intoShadowMap && D3D9ShaderSys.shadowDepth != nullptr) {
        Graphics_D3D9_DeviceState_SetPixelShader(D3D9ShaderSys.shadowDepth, 0);
        c.keyChanged = 1;
    }
    D3D9_BindShadowMapSamplers(threeD && !intoShadowMap && (key & 0x200) != 0 && !s.lightingOff);
    D3D9Batch.lastKey = key;
}

void Graphics_D3D9_DrawPreparationToShader(int key, int vertexType, int twoD, int constantFlag) {
    if (!Direct3DDevice9_IsValid()) return;
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    const int k = (twoD ? 0 : 0x4000) | key | 0x3500;
    if (GraphicsRender.settingsChanged || c.stateChanged || D3D9Batch.lastKey != k) Graphics_D3D9_DrawPreparation(k);
    Graphics_D3D9_ShaderConstant_ApplyUseSets(&D3D9ShaderConstantSys, constantFlag ? 3 : 9);
    Graphics_D3D9_DeviceState_SetVertexDeclaration(nullptr);

    const DrawSettings& s = GraphicsDrawSettings;
    const int mode = s.blendMode >= 0 && s.blendMode < kD3D9BlendRows ? s.blendMode : 0;
    const D3D9BlendRow& row = kD3D9BlendTable[mode];
    D3D9UserBlendInfo info{};
    for (auto& v : info.values) v = kD3D9Leave;
    info.values[kBvSrcBlend] = row.srcBlend;
    info.values[kBvDestBlend] = row.destBlend;
    info.values[kBvBlendOp] = row.blendOp;
    if (mode == 3 && GraphicsDeviceCapsData.subtractiveBlend) {
        info.values[kBvSrcBlend] = D3DBLEND_SRCALPHA;
        info.values[kBvDestBlend] = D3DBLEND_ONE;
        info.values[kBvBlendOp] = D3DBLENDOP_REVSUBTRACT;
    }
    const bool frontTest = s.alphaTestMode != -1;
    info.values[kBvAlphaFunc] = frontTest ? s.alphaTestMode : int(D3DCMP_GREATER);
    info.values[kBvAlphaRef] = frontTest ? s.alphaTestRef : 0;
    info.values[kBvAlphaTestEnable] = 1;
    info.values[kBvAlphaBlendEnable] = mode == 0 || mode == 6 ? 0 : 1;
    // The front's shader textures, each handle checked now: a graph or shadow map deleted
    // since it was selected binds nothing and is cleared in the front. Stages count up to
    // the last one in use.
    info.stageCount = 0;
    for (int i = 0; i < kShaderTextureSlots && i < kD3D9Stages; ++i) {
        IDirect3DBaseTexture9* t = ShaderUse.textures[i] != 0 ? shaderTextureOf(ShaderUse.textures[i]) : nullptr;
        if (t == nullptr) ShaderUse.textures[i] = 0;
        info.stages[i] = D3D9Stage{t, i, 0, -1, -1, -1, -1, -1, -1};
        if (t != nullptr) info.stageCount = i + 1;
    }
    Graphics_D3D9_DeviceState_SetUserBlendInfo(&info, 1, 0);
    for (int i = 0; i < kD3D9Stages; ++i) D3D9_SetStageState(i, D3DTSS_TEXCOORDINDEX, i);
    if (vertexType < 0) {
        Graphics_D3D9_DeviceState_ResetUserVertexShader(0);
        Graphics_D3D9_DeviceState_SetFVF(twoD ? 0x2C4 : 0x2D2);
    } else if (vertexType < kD3D9VertexDeclarations) {
        // A type past the table binds no declaration and no vertex shader.
        Graphics_D3D9_DeviceState_SetVertexDeclaration(D3D9ShaderSys.declarations[vertexType]);
        if (void* vs = userShaderObject(ShaderUse.vertexShader, 1))
            Graphics_D3D9_DeviceState_SetVertexShader(static_cast<IDirect3DVertexShader9*>(vs), 1);
    }
    // Last, the user pixel shader.
    if (void* ps = userShaderObject(ShaderUse.pixelShader, 0))
        Graphics_D3D9_DeviceState_SetPixelShader(static_cast<IDirect3DPixelShader9*>(ps), 1);
}

}  // namespace ZaDod
