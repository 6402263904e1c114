// The draw-state key setters and the draw preparation: the front's draw settings brought
// into the state cache before a draw.
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "media/graphics/light.h"
#include "media/graphics/render_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

using d3d11_cache::c;
int lastKey = 0;

// Stores `value` in a key field when it differs (or the cache forces): flush first, mark
// the key changed.
template <class T>
void keyField(T& field, T value) {
    if (!c.force && field == value) return;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    field = value;
    c.keyChanged = 1;
}

}  // namespace

int Graphics_D3D11_DeviceState_SetBlendModeKey(int mode, int premultiplied, int alphaChannel) {
    if (!D3D11Device_IsValid()) return -1;
    keyField(c.blendMode, mode);
    keyField(c.premultiplied, premultiplied);
    keyField(c.alphaChannel, alphaChannel);
    return 0;
}

int Graphics_D3D11_DeviceState_SetAlphaTestKey(int func, int ref) {
    if (!D3D11Device_IsValid()) return -1;
    keyField(c.alphaTestFunc, func);
    keyField(c.alphaTestRef, ref);
    return 0;
}

int Graphics_D3D11_DeviceState_SetVariantKey(int variant) {
    if (!D3D11Device_IsValid()) return -1;
    keyField(c.variant, variant);
    return 0;
}

int Graphics_D3D11_DeviceState_SetBlendTextureParam(int kind, int param1, int param2) {
    if (!D3D11Device_IsValid()) return -1;
    keyField(c.blendKind, kind);
    if (kind == 0) keyField(c.blendRatio, param1);
    if (kind == 1) {
        keyField(c.borderParam, param1);
        keyField(c.borderRange, param2);
    }
    return 0;
}

int Graphics_D3D11_DeviceState_SetTexture(ID3D11Texture2D* texture, ID3D11ShaderResourceView* view) {
    if (!D3D11Device_IsValid()) return -1;
    if (!c.force && c.texture == texture && c.textureView == view) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    // Binding or dropping a texture changes the key's shape; changing it for another does not.
    if ((c.texture == nullptr) != (texture == nullptr)) c.keyChanged = 1;
    c.texture = texture;
    c.textureView = view;
    c.textureChanged = 1;
    return 0;
}

int Graphics_D3D11_DeviceState_SetBlendTexture(ID3D11Texture2D* texture, ID3D11ShaderResourceView* view, int width,
                                               int height) {
    if (!D3D11Device_IsValid()) return -1;
    if (!c.force && c.blendTexture == texture && c.blendTextureView == view) return 0;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    c.blendTexture = texture;
    c.blendTextureView = view;
    c.blendTextureSize[0] = float(width);
    c.blendTextureSize[1] = float(height);
    c.blendTextureSize[2] = width != 0 ? 1.0f / float(width) : 0.0f;
    c.blendTextureSize[3] = height != 0 ? 1.0f / float(height) : 0.0f;
    c.textureChanged = 1;
    c.keyChanged = 1;
    return 0;
}

int Graphics_D3D11_DrawPreparation(int key) {
    if (!D3D11Device_IsValid()) return -1;
    const DrawSettings& s = GraphicsDrawSettings;
    RenderState& r = GraphicsRender;
    c.drawPrepNeeded = 0;
    r.settingsChanged = 0;

    // Lighting is a shader input: switching it off only flags the state.
    if ((key & 0x200) != 0 && !s.lightingOff) {
        if (LightStatesDirty())
            RefreshLightStates();
        else if (!c.lighting)
            Graphics_D3D11_SetUseLighting(1);
    } else if (c.lighting) {
        Graphics_D3D11_SetUseLighting(0);
    }
    if (r.materialDirty) {
        Graphics_D3D11_DeviceState_SetMaterial(&r.material);
        r.materialDirty = 0;
    }
    Graphics_D3D11_DeviceState_SetVSFlags(r.useVertexDiffuse ? 1 : 0, r.useVertexSpecular ? 1 : 0, c.vertexFlag);
    Graphics_D3D11_DeviceState_SetSpecularEnable((key & 0x400) != 0 && !r.specularOff ? 1 : 0);

    // Depth: with the test on a draw also writes its depths, so a later far draw stays
    // behind an earlier near one; 3D draws take the 3D comparison, 2D draws the 2D one.
    // Without the test 2D draws switch writing off as well.
    const bool threeD = (key & 0x800) != 0;
    if (s.useZBuffer) {
        Graphics_D3D11_DeviceState_SetDepthEnable(1);
        Graphics_D3D11_DeviceState_SetDepthWriteEnable(1);
        Graphics_D3D11_DeviceState_SetDepthFunc(threeD ? r.depthCompare3D : r.depthCompare2D);
        Graphics_D3D11_DeviceState_SetDepthBias(0);
    } else {
        Graphics_D3D11_DeviceState_SetDepthEnable(0);
        if (!threeD && c.depthStencilDesc.DepthWriteMask != 0) Graphics_D3D11_DeviceState_SetDepthWriteEnable(0);
    }
    if (r.fillMode == 2 || r.fillMode == 3) Graphics_D3D11_DeviceState_SetFillMode(r.fillMode);
    Graphics_D3D11_DeviceState_SetFogEnable((key & 0x80) != 0 && s.fogEnable ? 1 : 0);

    if ((key & 0x100) == 0) {
        const KeyAlphaFlags f = DecodeKeyAlphaFlags(key, s.blendMode, s.samplingMode);
        Graphics_D3D11_DeviceState_SetVariantKey(0);
        Graphics_D3D11_DeviceState_SetBlendModeKey(s.blendMode, f.premultiplied, f.alphaChannel);
        Graphics_D3D11_DeviceState_SetAlphaTestKey(s.alphaTestMode, s.alphaTestRef);
    }
    if (c.keyChanged || c.textureChanged || c.pixelShader == nullptr) Graphics_D3D11_ApplyBlendMode();

    Graphics_D3D11_DeviceState_SetTextureFilter(s.samplingMode >= 0 && s.samplingMode <= 2 ? s.samplingMode : 0);
    if (r.maxAnisotropy >= 1 && c.allAnisotropy != r.maxAnisotropy)
        Graphics_D3D11_DeviceState_SetMaxAnisotropy(r.maxAnisotropy, -1);

    // Culling: the front's mode for draws that ask for it, else none.
    const int cached = c.rasterizerDesc.CullMode == D3D11_CULL_FRONT ? 2 : c.rasterizerDesc.CullMode == D3D11_CULL_BACK ? 1 : 0;
    if (key & 0x4000) {
        if (cached != r.cullMode) Graphics_D3D11_DeviceState_SetCullMode(r.cullMode);
    } else if (c.rasterizerDesc.CullMode != D3D11_CULL_NONE) {
        Graphics_D3D11_DeviceState_SetCullMode(0);
    }

    // The texture-address transform goes into the vertex constants once after a change.
    if (!r.textureTransformApplied) {
        Graphics_D3D11_DeviceState_SetTextureTransform(r.textureTransformUse, &r.textureTransform);
        r.textureTransformApplied = 1;
    }

    // Texture addressing: clamp unless the draw asks for the front's modes.
    for (int i = 0; i < kD3D11Samplers; ++i) {
        const D3D11_SAMPLER_DESC& d = c.samplerDesc[i];
        const int u = r.textureAddressU[i], v = r.textureAddressV[i];
        if ((key & 0x1000) == 0) {
            if (d.AddressU != D3D11_TEXTURE_ADDRESS_CLAMP || d.AddressV != D3D11_TEXTURE_ADDRESS_CLAMP)
                Graphics_D3D11_DeviceState_SetTextureAddress(D3D11_TEXTURE_ADDRESS_CLAMP, i);
        } else if (u == v) {
            if (int(d.AddressU) != u || int(d.AddressV) != v) Graphics_D3D11_DeviceState_SetTextureAddress(u, i);
        } else {
            if (int(d.AddressU) != u) Graphics_D3D11_DeviceState_SetTextureAddressU(u, i);
            if (int(d.AddressV) != v) Graphics_D3D11_DeviceState_SetTextureAddressV(v, i);
        }
    }
    lastKey = key;
    return 0;
}

}  // namespace ZaDod
