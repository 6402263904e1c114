// The Direct3D 11 device-state cache (compare, flush, store, mark dirty; state objects
// made lazily before each draw), the blend-mode application and the vertex batch.
#pragma once
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/light.h"
#include "media/graphics/render_state.h"

namespace ZaDod {

constexpr int kD3D11Samplers = 16;
constexpr int kD3D11BlendRows = 23;
constexpr int kD3D11SamplerCache = 7776;

constexpr int kD3D11Lights = 6;

struct D3D11DeviceStateCache {
    // control
    int force;
    int drawPrepNeeded;
    int keyChanged, textureChanged;
    int blendDirty, depthStencilDirty, rasterizerDirty, anySamplerDirty;
    int samplerDirty[kD3D11Samplers];

    // draw-state key
    int blendMode, alphaChannel, premultiplied;
    int alphaTestFunc, alphaTestRef;  // user alpha test, -1 none
    int variant;
    int blendKind, blendRatio, borderParam, borderRange, border255;
    gpu::ID3D11Texture2D* texture;
    gpu::ID3D11ShaderResourceView* textureView;
    gpu::ID3D11Texture2D* blendTexture;
    gpu::ID3D11ShaderResourceView* blendTextureView;
    float blendTextureSize[4];  // width, height, 1 / width, 1 / height
    int psAlphaRef;             // what the pixel-shader constants hold now
    int psAlphaFunc;
    float factorColor[4];

    // blend
    int blendModeIndex;  // -1: the caller's description
    gpu::D3D11_BLEND_DESC blendDesc;
    gpu::ID3D11BlendState* boundBlend;
    int boundBlendOneOff;
    gpu::ID3D11BlendState* blendStates[kD3D11BlendRows];
    // depth-stencil
    gpu::D3D11_DEPTH_STENCIL_DESC depthStencilDesc;
    gpu::ID3D11DepthStencilState* boundDepthStencil;
    int boundDepthStencilOneOff;
    gpu::ID3D11DepthStencilState* depthStencilStates[36];
    // rasterizer
    gpu::D3D11_RASTERIZER_DESC rasterizerDesc;
    gpu::ID3D11RasterizerState* boundRasterizer;
    int boundRasterizerOneOff;
    gpu::ID3D11RasterizerState* rasterizerStates[64];
    // samplers
    gpu::D3D11_SAMPLER_DESC samplerDesc[kD3D11Samplers];
    gpu::ID3D11SamplerState* boundSampler[kD3D11Samplers];
    int samplerOneOff[kD3D11Samplers];
    gpu::ID3D11SamplerState* samplerStates[kD3D11SamplerCache];
    int allFilter, allAnisotropy;

    // bound objects
    gpu::ID3D11PixelShader* pixelShader;
    int pixelShaderUser;
    gpu::ID3D11VertexShader* vertexShader;
    int vertexShaderUser;
    gpu::ID3D11InputLayout* inputLayout;
    gpu::D3D11_PRIMITIVE_TOPOLOGY topology;
    gpu::ID3D11Buffer* indexBuffer;
    gpu::DXGI_FORMAT indexFormat;
    gpu::ID3D11Buffer* vertexBuffer;
    int vertexStride;
    gpu::ID3D11ShaderResourceView* psResources[128];
    gpu::ID3D11Buffer* vsConstants[14];
    gpu::ID3D11Buffer* psConstants[14];
    gpu::ID3D11Texture2D* targetTexture[8];
    gpu::ID3D11RenderTargetView* targetView[8];
    gpu::D3D11_TEXTURE2D_DESC targetDesc[8];
    gpu::ID3D11Texture2D* depthTexture;
    gpu::D3D11_TEXTURE2D_DESC depthDesc;
    gpu::ID3D11DepthStencilView* depthView;
    gpu::D3D11_VIEWPORT viewport;

    // inputs of the 3D shaders kept for re-sending
    int lighting;
    int fogEnable, fogMode;
    int diffuseSource, specularSource, vertexFlag;
    // Lights 0..5 (the most the shaders take), whether each is on, and the highest one on
    // (-1: none).
    LightParam lights[kD3D11Lights];
    int lightEnabled[kD3D11Lights];
    int lightHighest;
    // What the light constants are computed from: material, global ambient (r, g, b, a in
    // 0..1), the view matrix the light positions went through; fog start, end, density.
    MaterialParam material;
    float ambient[4];
    Matrix4x4F view;
    float fogStart, fogEnd, fogDensity;
    unsigned int fogColor;
    int specular;
};
extern D3D11DeviceStateCache D3D11State;
// The short name the cache's own files use for it (`using d3d11_cache::c;`).
namespace d3d11_cache {
inline D3D11DeviceStateCache& c = D3D11State;
}

int Graphics_D3D11_DeviceState_SetBlendModeIndex(int row);
int Graphics_D3D11_DeviceState_SetBlendDesc(const gpu::D3D11_BLEND_DESC* desc);
int Graphics_D3D11_DeviceState_SetDepthEnable(int flag);
int Graphics_D3D11_DeviceState_SetDepthWriteEnable(int flag);
int Graphics_D3D11_DeviceState_SetDepthFunc(int func);
int Graphics_D3D11_DeviceState_SetDepthBias(int bias);
int Graphics_D3D11_DeviceState_SetFillMode(int mode);
int Graphics_D3D11_DeviceState_SetCullMode(int mode);
int Graphics_D3D11_DeviceState_SetTextureFilter(int mode);
int Graphics_D3D11_DeviceState_SetSamplerFilter(int filter, int sampler);
int Graphics_D3D11_DeviceState_SetMaxAnisotropy(int value, int sampler);
int Graphics_D3D11_DeviceState_SetTextureAddress(int mode, int sampler);
int Graphics_D3D11_DeviceState_SetTextureAddressU(int mode, int sampler);
int Graphics_D3D11_DeviceState_SetTextureAddressV(int mode, int sampler);
int Graphics_D3D11_DeviceState_SetTextureAddressW(int mode, int sampler);
int Graphics_D3D11_DeviceState_SetSamplerBorderColor(const float color[4], int sampler);
int Graphics_D3D11_DeviceState_SetAlphaTestFunc(int func);
int Graphics_D3D11_DeviceState_SetAlphaTestRef(int ref);
int Graphics_D3D11_DeviceState_SetFactorColor(const float color[4]);
int Graphics_D3D11_DeviceState_SetFogEnable(int flag);
int Graphics_D3D11_DeviceState_SetFogColor(unsigned int color);
int Graphics_D3D11_DeviceState_SetFogStartEnd(float start, float end, float density);
int Graphics_D3D11_DeviceState_SetLight(int index, const LightParam* light);
int Graphics_D3D11_DeviceState_SetLightEnable(int index, int flag);
int Graphics_D3D11_DeviceState_SetMaterial(const MaterialParam* material);
// Global ambient colour, packed 0xAARRGGBB.
int Graphics_D3D11_DeviceState_SetAmbientLight(unsigned int color);
// Specular on or off: a shader input, kept beside the vertex flags (VS base, byte 252).
int Graphics_D3D11_DeviceState_SetSpecularEnable(int flag);
// Light ambient x material ambient into each enabled light, and the global term at 704.
void Graphics_D3D11_DeviceState_RefreshLights();
// Every light's constants again (after the view matrix changed).
void Graphics_D3D11_DeviceState_WriteLightConstants(int index);
int Graphics_D3D11_DeviceState_SetViewportMatrix(const Matrix4x4F* matrix);
int Graphics_D3D11_DeviceState_SetProjectionMatrix(const Matrix4x4F* matrix);
int Graphics_D3D11_DeviceState_SetViewMatrix(const Matrix4x4F* matrix);
int Graphics_D3D11_DeviceState_SetWorldMatrix(const Matrix4x4F* matrix);
int Graphics_D3D11_DeviceState_SetVSFlags(int diffuseSource, int specularSource, int vertexFlag);
int Graphics_D3D11_DeviceState_SetTextureTransform(int enable, const Matrix4x4F* matrix);
int Graphics_D3D11_DeviceState_SetPixelShader(gpu::ID3D11PixelShader* shader, int user);
int Graphics_D3D11_DeviceState_SetVertexShader(gpu::ID3D11VertexShader* shader, int user);
// Unbinds the vertex shader and the input layout; with keepIfUser a user's vertex shader
// (bound with the user flag) stays.
int Graphics_D3D11_DeviceState_ResetUserVertexShader(int keepIfUser);
int Graphics_D3D11_DeviceState_SetInputLayout(gpu::ID3D11InputLayout* layout);
int Graphics_D3D11_DeviceState_SetPrimitiveTopology(gpu::D3D11_PRIMITIVE_TOPOLOGY topology);
int Graphics_D3D11_DeviceState_SetVertexBuffer(gpu::ID3D11Buffer* buffer, int stride);
int Graphics_D3D11_DeviceState_SetIndexBuffer(gpu::ID3D11Buffer* buffer, gpu::DXGI_FORMAT format);
int Graphics_D3D11_DeviceState_SetPSShaderResources(int first, int count, gpu::ID3D11ShaderResourceView* const* views);
int Graphics_D3D11_DeviceState_SetVSConstantBuffers(int first, int count, gpu::ID3D11Buffer* const* buffers);
int Graphics_D3D11_DeviceState_SetPSConstantBuffers(int first, int count, gpu::ID3D11Buffer* const* buffers);
int Graphics_D3D11_DeviceState_SetRenderTarget(gpu::ID3D11Texture2D* texture, gpu::ID3D11RenderTargetView* view,
                                               int slot);
int Graphics_D3D11_DeviceState_SetDepthBuffer(gpu::ID3D11Texture2D* texture, gpu::ID3D11DepthStencilView* view);
int Graphics_D3D11_DeviceState_ApplyRenderTargets();
// Makes the screen the render target: the sub back buffer when there is one, else the
// back buffer.
int Graphics_D3D11_BindScreenTarget();
int Graphics_D3D11_DeviceState_SetViewport(const gpu::D3D11_VIEWPORT* viewport);
int Graphics_D3D11_DeviceState_SetViewportRect(int x1, int y1, int x2, int y2);
int Graphics_D3D11_DeviceState_ApplyStates();
int Graphics_D3D11_DeviceState_ResendStateObjects();
int Graphics_D3D11_DeviceState_ResendAll();
int Graphics_D3D11_DeviceState_ReleaseBlendStates();
int Graphics_D3D11_DeviceState_ReleaseDepthStencilStates();
int Graphics_D3D11_DeviceState_ReleaseRasterizerStates();
int Graphics_D3D11_DeviceState_ReleaseSamplerStates();
// Forgets every bound resource, target, shader, layout and buffer (the device is gone).
void Graphics_D3D11_DeviceState_ClearBindings();
// Marks every description dirty so the next apply makes and binds all four kinds.
void Graphics_D3D11_DeviceState_MarkAllDirty();

// ---- key setters (the draw preparation's)
int Graphics_D3D11_DeviceState_SetBlendModeKey(int mode, int premultiplied, int alphaChannel);
int Graphics_D3D11_DeviceState_SetAlphaTestKey(int func, int ref);
int Graphics_D3D11_DeviceState_SetVariantKey(int variant);
int Graphics_D3D11_DeviceState_SetBlendTextureParam(int kind, int param1, int param2);
int Graphics_D3D11_DeviceState_SetTexture(gpu::ID3D11Texture2D* texture, gpu::ID3D11ShaderResourceView* view);
int Graphics_D3D11_DeviceState_SetBlendTexture(gpu::ID3D11Texture2D* texture, gpu::ID3D11ShaderResourceView* view,
                                               int width, int height);

// ---- blend modes
struct D3D11BlendRow {
    int kind;
    gpu::D3D11_RENDER_TARGET_BLEND_DESC desc;
    int alphaTestAllowed;
};
extern const D3D11BlendRow kD3D11BlendTable[kD3D11BlendRows];
int Graphics_D3D11_ApplyBlendMode();
// 1 when the draw target is a render-target graph with an alpha channel (blend row 14).
extern int D3D11DrawTargetHasAlpha;

// ---- vertex batch
struct D3D11VertexBatch {
    int pending;
    int kind, variant;
    gpu::D3D11_PRIMITIVE_TOPOLOGY topology;
    uint8_t* mapped;
    uint8_t* write;
    int skipDraw;
    uint32_t diffuse;
    int stateChanged;
};
extern D3D11VertexBatch D3D11Batch;
extern const int kD3D11BatchCapacity[kD3D11StdVertexShaders];
// Room for n vertices of `topology` in the 2D batch (flushing first when they do not fit);
// the write pointer, or null without a mapped buffer.
uint8_t* Graphics_D3D11_BatchReserve(gpu::D3D11_PRIMITIVE_TOPOLOGY topology, int n);
int Graphics_D3D11_DrawPreparation(int key);
// The draw preparation of the front's shader draws: the key's states, then the front's
// shader textures on pixel resource slots 0-15 (each handle checked now; a deleted one
// binds nothing and is cleared in the front), the vertex type's input layout with the
// front's user vertex shader (vertexType < 0: the standard 2D or 3D vertex shader and
// layout), and the front's user pixel shader last. A common-buffer draw with shader flag
// 0 then draws with them.
void Graphics_D3D11_DrawPreparationToShader(int key, int vertexType, int twoD);
// The vertex colour word in the byte order of the input layouts.
uint32_t D3D11_VertexColor(int red, int green, int blue, int alpha);

int Graphics_D3D11_ReapplyDeviceState();

}  // namespace ZaDod
