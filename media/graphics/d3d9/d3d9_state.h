// The Direct3D 9 device-state cache (compare, flush, send, store), the draw-state key, the
// blend modes and texture-stage sets, the vertex batch and the draw preparation.
#pragma once
#include <cstdint>

#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/d3d9/backend.h"

namespace ZaDod {

namespace d3d9rs {
// Render states the face does not name; the values are the interface's.
constexpr gpu::D3DRENDERSTATETYPE FOGCOLOR = gpu::D3DRENDERSTATETYPE(34), FOGSTART = gpu::D3DRENDERSTATETYPE(36),
                                  FOGEND = gpu::D3DRENDERSTATETYPE(37), FOGDENSITY = gpu::D3DRENDERSTATETYPE(38),
                                  FOGVERTEXMODE = gpu::D3DRENDERSTATETYPE(140),
                                  DIFFUSEMATERIALSOURCE = gpu::D3DRENDERSTATETYPE(145),
                                  SPECULARMATERIALSOURCE = gpu::D3DRENDERSTATETYPE(146),
                                  AMBIENTMATERIALSOURCE = gpu::D3DRENDERSTATETYPE(147);
}  // namespace d3d9rs

constexpr int kD3D9Stages = 16;
constexpr int kD3D9Samplers = 16;
constexpr int kD3D9Lights = 256;
constexpr int kD3D9BlendRows = 23;
// "Leave as it is" in a stage record or blend value.
constexpr int kD3D9Leave = -1;

// One texture stage as the cache keeps it and as a stage set describes it.
struct D3D9Stage {
    gpu::IDirect3DBaseTexture9* texture;
    int texCoordIndex;  // -1 leave
    int resultTemp;     // 0 current, non-zero temporary register, -1 leave
    int alphaArg1, alphaArg2, alphaOp, colorArg1, colorArg2, colorOp;  // -1 leave
};

// The blend values of the render states, in this order.
enum D3D9BlendValue : int {
    kBvAlphaTestEnable,
    kBvAlphaRef,
    kBvAlphaFunc,
    kBvAlphaBlendEnable,
    kBvSeparateAlphaBlendEnable,
    kBvTextureFactor,
    kBvSrcBlend,
    kBvDestBlend,
    kBvBlendOp,
    kBvSrcBlendAlpha,
    kBvDestBlendAlpha,
    kBvBlendOpAlpha,
    kBvCount
};

// A caller's own blend values and stages (filters, the sub-back-buffer copy).
struct D3D9UserBlendInfo {
    int64_t values[kBvCount];  // -1 leave
    int stageCount;
    D3D9Stage stages[kD3D9Stages];  // device textures
};

struct D3D9DeviceStateCache {
    // control
    int force;
    int drawPrepNeeded;
    int keyChanged, textureChanged;
    int stateChanged;  // any cached state changed since the last preparation
    int shaderMode;    // 0: the blend application chose the shader path last, 1: fixed

    // draw-state key
    int blendMode, premultiplied, alphaChannel;
    int alphaTestFunc, alphaTestRef;  // user alpha test, -1 none
    int variant;
    int colorModulate, alphaNeeded;
    int blendKind, blendRatio, borderParam, borderRange;
    gpu::IDirect3DBaseTexture9* texture;
    gpu::IDirect3DBaseTexture9* blendTexture;
    float blendTextureSize[4];  // width, height, 1 / width, 1 / height

    // render states
    int zEnable, zWrite, zFunc, depthBias, fillMode, cullMode, shadeMode, lighting, specular;
    int diffuseSource, specularSource;
    int fogEnable, fogMode;
    uint32_t fogColor;
    float fogStart, fogEnd, fogDensity;
    uint32_t ambient;
    float ambientF[4];  // r, g, b, a in 0..1
    uint32_t blend[kBvCount];

    // samplers
    uint32_t sampler[kD3D9Samplers][gpu::kSamplerStateCount];
    int textureFilter;  // 0 nearest, 1 bilinear, 2 anisotropic (3: none yet)
    int allAnisotropy;  // -1 after a per-sampler change

    // texture stages
    D3D9Stage stages[kD3D9Stages];
    int stageCount;
    int textureTransformOn[8];
    gpu::D3DMATRIX textureTransform[8];

    // bound objects
    gpu::IDirect3DPixelShader9* pixelShader;
    int pixelShaderUser;
    gpu::IDirect3DVertexShader9* vertexShader;
    int vertexShaderUser;
    gpu::IDirect3DVertexDeclaration9* declaration;
    uint32_t fvf;
    gpu::IDirect3DIndexBuffer9* indexBuffer;
    gpu::IDirect3DVertexBuffer9* stream;
    int streamStride;
    gpu::IDirect3DSurface9* targets[8];
    plat::win::RECT scissor;
    gpu::D3DVIEWPORT9 viewport;
    gpu::D3DMATRIX view;

    // lighting
    gpu::D3DLIGHT9 lights[kD3D9Lights];
    uint8_t lightEnabled[kD3D9Lights];
    int highestLight;  // -1 none
    gpu::D3DMATERIAL9 material;
};
extern D3D9DeviceStateCache D3D9State;
// The short name the cache's own files use for it (`using d3d9_cache::c;`).
namespace d3d9_cache {
inline D3D9DeviceStateCache& c = D3D9State;
}

// A constant of usage set 0 (the fixed pipeline's), its range tracked.
inline int D3D9_SetConstant(int kind, int first, const void* data, int count) {
    return Graphics_D3D9_ShaderConstant_Set(&D3D9ShaderConstantSys, kind, 0, first, data, count, 1);
}

// Flushes the batch unless the cache forces (the usual rule before a change).
void D3D9_FlushUnlessForced();

// ---- render states
int Graphics_D3D9_DeviceState_SetZEnable(int mode);
int Graphics_D3D9_DeviceState_SetZWriteEnable(int flag);
int Graphics_D3D9_DeviceState_SetZFunc(int func);
int Graphics_D3D9_DeviceState_SetDepthBias(int bias);
int Graphics_D3D9_DeviceState_SetFillMode(int mode);
int Graphics_D3D9_DeviceState_SetCullMode(int mode);
int Graphics_D3D9_DeviceState_SetShadeMode(int mode);
int Graphics_D3D9_DeviceState_SetLighting(int flag);
int Graphics_D3D9_DeviceState_SetSpecularEnable(int flag);
int Graphics_D3D9_DeviceState_SetDiffuseMaterialSource(int flag);
int Graphics_D3D9_DeviceState_SetSpecularMaterialSource(int flag);
// One of the blend values the blend application sends, compare-then-set.
int D3D9_SetBlendValue(int which, uint32_t value);

// ---- fog, lights, material, view (light_constants.cpp)
int Graphics_D3D9_DeviceState_SetFogEnable(int flag);
int Graphics_D3D9_DeviceState_SetFogMode(int mode);
int Graphics_D3D9_DeviceState_SetFogColor(uint32_t color);
int Graphics_D3D9_DeviceState_SetFogStartEnd(float start, float end);
int Graphics_D3D9_DeviceState_SetFogDensity(float density);
int Graphics_D3D9_DeviceState_SetAmbientLight(uint32_t argb);
int Graphics_D3D9_DeviceState_SetLightEnable(int index, int flag);
int Graphics_D3D9_DeviceState_SetLight(int index, const gpu::D3DLIGHT9* light);
int Graphics_D3D9_DeviceState_SetMaterial(const gpu::D3DMATERIAL9* material);
int Graphics_D3D9_DeviceState_SetViewMatrix(const gpu::D3DMATRIX* matrix);
void D3D9_RefreshLightConstants();

// ---- samplers and stages
int Graphics_D3D9_DeviceState_SetTextureFilter(int mode);
int Graphics_D3D9_DeviceState_SetMaxAnisotropy(int value, int sampler);
int Graphics_D3D9_DeviceState_SetTextureAddress(int mode, int sampler);
int Graphics_D3D9_DeviceState_SetTextureAddressU(int mode, int sampler);
int Graphics_D3D9_DeviceState_SetTextureAddressV(int mode, int sampler);
int Graphics_D3D9_DeviceState_SetTextureAddressW(int mode, int sampler);
int Graphics_D3D9_DeviceState_SetTextureTransform(int enable, const gpu::D3DMATRIX* matrix, int stage);
int D3D9_SetStageTexture(int stage, gpu::IDirect3DBaseTexture9* texture);
int D3D9_SetStageState(int stage, gpu::D3DTEXTURESTAGESTATETYPE type, int value);
void D3D9_ResetStageRecords();

// ---- bound objects
int Graphics_D3D9_DeviceState_SetPixelShader(gpu::IDirect3DPixelShader9* shader, int user);
int Graphics_D3D9_DeviceState_ResetUserPixelShader(int keepIfUser);
int Graphics_D3D9_DeviceState_SetVertexShader(gpu::IDirect3DVertexShader9* shader, int user);
int Graphics_D3D9_DeviceState_ResetUserVertexShader(int keepIfUser);
int Graphics_D3D9_DeviceState_SetVertexDeclaration(gpu::IDirect3DVertexDeclaration9* declaration);
int Graphics_D3D9_DeviceState_SetFVF(uint32_t fvf);
int Graphics_D3D9_DeviceState_SetIndexBuffer(gpu::IDirect3DIndexBuffer9* buffer);
int Graphics_D3D9_DeviceState_SetStreamSource(gpu::IDirect3DVertexBuffer9* buffer, int stride);
int Graphics_D3D9_DeviceState_SetRenderTarget(gpu::IDirect3DSurface9* surface, int slot);
int Graphics_D3D9_DeviceState_SetScissorRect(const plat::win::RECT* rect);
int Graphics_D3D9_DeviceState_SetViewport(const gpu::D3DVIEWPORT9* viewport);
int Graphics_D3D9_DeviceState_SetViewportRect(int x1, int y1, int x2, int y2);
int Graphics_D3D9_DeviceState_SetUserBlendInfo(const D3D9UserBlendInfo* info, int texturesOnly, int resolveHandles);
int Graphics_D3D9_DeviceState_ResendBaseStates();
int Graphics_D3D9_DeviceState_ResendAll();
// Forgets every bound object (the device is gone); plain values stay for the resend.
void Graphics_D3D9_DeviceState_ClearBindings();

// ---- key setters (vertex_batch.cpp)
int Graphics_D3D9_DeviceState_SetBlendModeKey(int mode, int premultiplied, int alphaChannel);
int Graphics_D3D9_DeviceState_SetAlphaTestKey(int func, int ref);
int Graphics_D3D9_DeviceState_SetAlphaKey(int flag);
int Graphics_D3D9_DeviceState_SetDiffuseKey(int flag);
int Graphics_D3D9_DeviceState_SetVariantKey(int flag);
int Graphics_D3D9_DeviceState_SetBlendTextureParam(int kind, int param1, int param2);
int Graphics_D3D9_DeviceState_SetTexture(gpu::IDirect3DBaseTexture9* texture);
int Graphics_D3D9_DeviceState_SetBlendTexture(gpu::IDirect3DBaseTexture9* texture, int width, int height);

// ---- blend modes and stage sets
struct D3D9BlendRow {
    int destBlend, srcBlend;  // -1 unchanged
    int pixelKind;
    int blendOp;
    int alphaBlendEnable;
    int alphaTestAllowed;
};
extern const D3D9BlendRow kD3D9BlendTable[kD3D9BlendRows];

// A fixed-function stage set: the stage count and the stages (textures left null).
struct D3D9StageSet {
    int count;
    D3D9Stage stages[6];
};
constexpr int kD3D9StageSets = 336;
// The entry for (pixel kind 0..6, blend-graph form 0..3, colour used, alpha used,
// texture-alpha form 0..2).
const D3D9StageSet& D3D9_StageSet(int kind, int blendForm, int color, int alpha, int textureAlpha);
// The one-stage (or, for kind 6, three-stage) set of an untextured draw.
D3D9StageSet D3D9_UntexturedStageSet(int kind);
// Every caller hands over device textures, so the resolve-handles argument changes nothing.
int Graphics_D3D9_ApplyBlendMode(const D3D9UserBlendInfo* info, int texturesOnly, int resolveHandles, int useShader);
// 1 when the draw target is a render-target graph with an alpha channel.
extern int D3D9DrawTargetHasAlpha;

// ---- vertex batch
constexpr int kD3D9BatchSlots = 5;
extern const int kD3D9BatchCapacity[kD3D9BatchSlots];
extern const int kD3D9BatchStride[kD3D9BatchSlots];
extern const uint32_t kD3D9VertexTypeFVF[10];
struct D3D9VertexBatch {
    int pending;
    int kind, variant;
    gpu::D3DPRIMITIVETYPE primitive;
    uint8_t* write;
    int skipDraw;  // the blend makes every pixel invisible: a flush drops what is pending
    int inScene;
    uint32_t diffuse;  // 0xAARRGGBB
    int lastKey;
    uint8_t* buffer[kD3D9BatchSlots];
};
extern D3D9VertexBatch D3D9Batch;
// Room for n vertices of `primitive` in the 2D batch, drawing what is pending first when
// they do not fit or the primitive differs; the write pointer.
uint8_t* D3D9_BatchReserve(gpu::D3DPRIMITIVETYPE primitive, int n);
// Primitives a batch of n vertices of `type` draws.
int D3D9_PrimitiveCount(gpu::D3DPRIMITIVETYPE type, int n);
void D3D9_BatchSelectVariant(int variant);
void D3D9_BatchFillConstants();
void Graphics_D3D9_DrawPreparation(int key);
void Graphics_D3D9_DrawPreparationToShader(int key, int vertexType, int twoD, int constantFlag);
// The constant table of shader code of `size` bytes: 1 with the byte offset of its
// descriptions and their count when the code carries a well-formed one, else 0 (and 0, 0).
int D3D9_FindConstantTable(const void* code, int size, int* start, int* count);
// The screen colour scaled by the diffuse colour, as a vertex colour word.
uint32_t D3D9_ShapeColor(unsigned int color);

// ---- start-up, presentation and loss
struct D3D9Backend {
    int deviceReady;
    gpu::IDirect3DSurface9* depthSurface;
    int depthWidth, depthHeight;
    int depthUserSize, depthUserWidth, depthUserHeight;  // the front's own size when set
    int depthBits, depthBitsUser;                        // 16, 24 or 32; the front chose it
    gpu::IDirect3DTexture9* subTexture;
    gpu::IDirect3DSurface9* subSurface;
    int subWidth, subHeight;
    float drawOffsetX, drawOffsetY;
    int borderCountdown;  // presents left that repaint the window's borders
    int displayChanged;   // the display mode was changed for full screen
};
extern D3D9Backend D3D9BackendSys;
int Graphics_D3D9_Device_Initialize();
int Graphics_D3D9_CreateDepthBuffer();
int Graphics_D3D9_SubBackBuffer_Setup();
int Graphics_D3D9_ReleaseAllHandleObjects();
int Graphics_D3D9_VertexBufferHandle_Restore();
int Graphics_D3D9_Device_Terminate();
int Graphics_D3D9_PresentSubBackBuffer();
int Graphics_D3D9_StretchRectByDraw(const plat::win::RECT* source);
// The smallest power of two not below v (1 for 1).
inline int D3D9_NextPowerOfTwo(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
}
// The surface the screen draws into: the sub back buffer when there is one, else the back buffer.
gpu::IDirect3DSurface9* D3D9_ScreenSurface();

// ---- scenes and start-up state
int Graphics_D3D9_BeginScene();
int Graphics_D3D9_EndScene();
int Graphics_D3D9_SetupVertexTypeFVF(int type);
int Graphics_D3D9_ReapplyDeviceState();

}  // namespace ZaDod
