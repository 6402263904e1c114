// The Direct3D 9 back end's own state and the functions its files share: the library and
// device objects, the call wrappers (with posting from loading workers), device creation
// and the format survey, the built-in shaders and vertex declarations, and the
// shader-constant manager.
#pragma once
#include <cstdint>

#include "media/file/archive.h"
#include "media/file/async_load.h"
#include "media/graphics/d3d9/d3d9.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/win/module.h"

namespace ZaDod {

namespace gpu = plat::gpu;
using gpu::BOOL;
using gpu::DWORD;
using gpu::HRESULT;
using gpu::UINT;

// ---- library and process-wide objects
struct D3D9Objects {
    plat::win::HMODULE module;
    gpu::IDirect3D9* direct3D;      // the Ex object itself when one was made
    gpu::IDirect3D9Ex* direct3DEx;  // non-null only when Direct3DCreate9Ex succeeded
    gpu::IDirect3DDevice9* device;  // the Ex device when made through the Ex object
    gpu::IDirect3DDevice9Ex* deviceEx;
    gpu::IDirect3DSwapChain9* swapChain;
    int noEx;  // set once the Ex device could not be made; never cleared
};
extern D3D9Objects D3D9Sys;

// Runs `call` at once, or with `post` set hands it to the main thread and returns the
// result it gave there. One request record per call; the caller waits for it.
HRESULT D3D9_RunOnMainThread(HRESULT (*call)(void*), void* data);
template <class Call>
HRESULT D3D9_RunPosted(int post, Call&& call) {
    if (!post) return call();
    return D3D9_RunOnMainThread([](void* c) -> HRESULT { return (*static_cast<Call*>(c))(); }, &call);
}

int D3D9_LoadDLL();
int D3D9_FreeDLL();
int D3D9_StartFrontScreenTimer(int flag);
int Direct3D9_Create();
int Direct3D9_IsEx();
int Direct3D9_IsValid();
int Direct3D9_Release();

// ---- wrappers on the Direct3D object
HRESULT Direct3D9_CheckDepthStencilMatch(UINT adapter, gpu::D3DDEVTYPE type, gpu::D3DFORMAT adapterFormat,
                                         gpu::D3DFORMAT targetFormat, gpu::D3DFORMAT depthFormat);
HRESULT Direct3D9_CheckDeviceFormat(UINT adapter, gpu::D3DDEVTYPE type, gpu::D3DFORMAT adapterFormat, DWORD usage,
                                    gpu::D3DRESOURCETYPE resourceType, gpu::D3DFORMAT format);
HRESULT Direct3D9_CheckDeviceMultiSampleType(UINT adapter, gpu::D3DDEVTYPE type, gpu::D3DFORMAT format,
                                             BOOL windowed, gpu::D3DMULTISAMPLE_TYPE ms, DWORD* qualityLevels);
HRESULT Direct3D9_GetAdapterIdentifier(UINT adapter, DWORD flags, gpu::D3DADAPTER_IDENTIFIER9* identifier);
plat::win::HMONITOR Direct3D9_GetAdapterMonitor(UINT adapter);
HRESULT Direct3D9_GetAdapterDisplayMode(UINT adapter, gpu::D3DDISPLAYMODE* mode);
UINT Direct3D9_GetAdapterModeCount(UINT adapter, gpu::D3DFORMAT format);
HRESULT Direct3D9_GetDeviceCaps(UINT adapter, gpu::D3DDEVTYPE type, gpu::D3DCAPS9* caps);
HRESULT Direct3D9_CreateDevice(UINT adapter, gpu::D3DDEVTYPE type, plat::win::HWND focus, DWORD behaviour,
                               gpu::D3DPRESENT_PARAMETERS* params, gpu::IDirect3DDevice9** device);
HRESULT Direct3D9_CreateDeviceEx(UINT adapter, gpu::D3DDEVTYPE type, plat::win::HWND focus, DWORD behaviour,
                                 gpu::D3DPRESENT_PARAMETERS* params, gpu::D3DDISPLAYMODEEX* mode,
                                 gpu::IDirect3DDevice9Ex** device);

// ---- wrappers on the device (posting ones take ASyncThread last)
int Direct3DDevice9_TestCooperativeLevel();  // 1 when the device is lost or not reset
int Direct3DDevice9_Release();
HRESULT Direct3DDevice9_BeginScene();
HRESULT Direct3DDevice9_EndScene();
HRESULT Direct3DDevice9_Clear(DWORD count, const gpu::D3DRECT* rects, DWORD flags, gpu::D3DCOLOR colour, float z,
                              DWORD stencil);
HRESULT Direct3DDevice9_Present(const plat::win::RECT* source, const plat::win::RECT* dest,
                                plat::win::HWND window, const void* dirty);
HRESULT Direct3DDevice9_GetSwapChain(UINT index, gpu::IDirect3DSwapChain9** chain);
HRESULT Direct3DDevice9_SetMaximumFrameLatency(UINT frames);
HRESULT Direct3DSwapChain9_Present(gpu::IDirect3DSwapChain9* chain, const plat::win::RECT* source,
                                   const plat::win::RECT* dest, plat::win::HWND window, const void* dirty,
                                   DWORD flags);
HRESULT Direct3DDevice9_ColorFill(gpu::IDirect3DSurface9* surface, const plat::win::RECT* rect,
                                  gpu::D3DCOLOR colour, int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateCubeTexture(UINT edge, UINT levels, DWORD usage, gpu::D3DFORMAT format,
                                          gpu::D3DPOOL pool, gpu::IDirect3DCubeTexture9** out,
                                          int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateDepthStencilSurface(UINT width, UINT height, gpu::D3DFORMAT format,
                                                  gpu::D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL discard,
                                                  gpu::IDirect3DSurface9** out, int ASyncThread = 0);
// The two buffer creations: -1 without a device or for any failure, else 0.
int Direct3DDevice9_CreateIndexBuffer(UINT length, DWORD usage, gpu::D3DFORMAT format, gpu::D3DPOOL pool,
                                      gpu::IDirect3DIndexBuffer9** out, int ASyncThread = 0);
int Direct3DDevice9_CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, gpu::D3DPOOL pool,
                                       gpu::IDirect3DVertexBuffer9** out, int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateOffscreenPlainSurface(UINT width, UINT height, gpu::D3DFORMAT format,
                                                    gpu::D3DPOOL pool, gpu::IDirect3DSurface9** out,
                                                    int ASyncThread = 0);
HRESULT Direct3DDevice9_CreatePixelShader(const DWORD* function, gpu::IDirect3DPixelShader9** out,
                                          int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateVertexShader(const DWORD* function, gpu::IDirect3DVertexShader9** out,
                                           int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateRenderTarget(UINT width, UINT height, gpu::D3DFORMAT format,
                                           gpu::D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL lockable,
                                           gpu::IDirect3DSurface9** out, int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, gpu::D3DFORMAT format,
                                      gpu::D3DPOOL pool, gpu::IDirect3DTexture9** out, int ASyncThread = 0);
HRESULT Direct3DDevice9_CreateVertexDeclaration(const gpu::D3DVERTEXELEMENT9* elements,
                                                gpu::IDirect3DVertexDeclaration9** out);
HRESULT Direct3DDevice9_DrawIndexedPrimitiveUP(gpu::D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices,
                                               UINT primitives, const void* indices, gpu::D3DFORMAT indexFormat,
                                               const void* data, UINT stride);
HRESULT Direct3DDevice9_DrawPrimitiveUP(gpu::D3DPRIMITIVETYPE type, UINT primitives, const void* data,
                                        UINT stride);
HRESULT Direct3DDevice9_GetBackBuffer(UINT chain, UINT index, gpu::D3DBACKBUFFER_TYPE type,
                                      gpu::IDirect3DSurface9** out);
HRESULT Direct3DDevice9_GetDepthStencilSurface(gpu::IDirect3DSurface9** out);
HRESULT Direct3DDevice9_GetDeviceCaps(gpu::D3DCAPS9* caps);
HRESULT Direct3DDevice9_GetMaterial(gpu::D3DMATERIAL9* material);
HRESULT Direct3DDevice9_GetRenderTargetData(gpu::IDirect3DSurface9* target, gpu::IDirect3DSurface9* dest);
HRESULT Direct3DDevice9_LightEnable(DWORD index, BOOL enable);
HRESULT Direct3DDevice9_SetDepthStencilSurface(gpu::IDirect3DSurface9* surface);
HRESULT Direct3DDevice9_SetFVF(DWORD fvf);
HRESULT Direct3DDevice9_SetIndices(gpu::IDirect3DIndexBuffer9* buffer);
HRESULT Direct3DDevice9_SetLight(DWORD index, const gpu::D3DLIGHT9* light);
HRESULT Direct3DDevice9_SetMaterial(const gpu::D3DMATERIAL9* material);
HRESULT Direct3DDevice9_SetPixelShader(gpu::IDirect3DPixelShader9* shader);
HRESULT Direct3DDevice9_SetPixelShaderConstantB(UINT first, const BOOL* data, UINT count);
HRESULT Direct3DDevice9_SetPixelShaderConstantF(UINT first, const float* data, UINT count);
HRESULT Direct3DDevice9_SetPixelShaderConstantI(UINT first, const int* data, UINT count);
HRESULT Direct3DDevice9_SetRenderState(gpu::D3DRENDERSTATETYPE state, DWORD value);
HRESULT Direct3DDevice9_SetRenderTarget(DWORD index, gpu::IDirect3DSurface9* target);
HRESULT Direct3DDevice9_SetSamplerState(DWORD sampler, gpu::D3DSAMPLERSTATETYPE type, DWORD value);
HRESULT Direct3DDevice9_SetScissorRect(const plat::win::RECT* rect);
HRESULT Direct3DDevice9_SetStreamSource(UINT stream, gpu::IDirect3DVertexBuffer9* buffer, UINT offset,
                                        UINT stride);
HRESULT Direct3DDevice9_SetTexture(DWORD stage, gpu::IDirect3DBaseTexture9* texture);
HRESULT Direct3DDevice9_SetTextureStageState(DWORD stage, gpu::D3DTEXTURESTAGESTATETYPE type, DWORD value);
HRESULT Direct3DDevice9_SetTransform(gpu::D3DTRANSFORMSTATETYPE state, const gpu::D3DMATRIX* matrix);
HRESULT Direct3DDevice9_SetVertexDeclaration(gpu::IDirect3DVertexDeclaration9* declaration);
HRESULT Direct3DDevice9_SetVertexShader(gpu::IDirect3DVertexShader9* shader);
HRESULT Direct3DDevice9_SetVertexShaderConstantB(UINT first, const BOOL* data, UINT count);
HRESULT Direct3DDevice9_SetVertexShaderConstantF(UINT first, const float* data, UINT count);
HRESULT Direct3DDevice9_SetVertexShaderConstantI(UINT first, const int* data, UINT count);
HRESULT Direct3DDevice9_SetViewport(const gpu::D3DVIEWPORT9* viewport);
HRESULT Direct3DDevice9_StretchRect(gpu::IDirect3DSurface9* source, const plat::win::RECT* sourceRect,
                                    gpu::IDirect3DSurface9* dest, const plat::win::RECT* destRect,
                                    gpu::D3DTEXTUREFILTERTYPE filter);
HRESULT Direct3DDevice9_UpdateSurface(gpu::IDirect3DSurface9* source, const plat::win::RECT* sourceRect,
                                      gpu::IDirect3DSurface9* dest, const plat::win::POINT* destPoint,
                                      int ASyncThread = 0);
HRESULT Direct3DDevice9_UpdateTexture(gpu::IDirect3DBaseTexture9* source, gpu::IDirect3DBaseTexture9* dest,
                                      int ASyncThread = 0);

// ---- wrappers on resources (the resource first)
HRESULT Direct3DSurface9_LockRect(gpu::IDirect3DSurface9* surface, gpu::D3DLOCKED_RECT* locked,
                                  const plat::win::RECT* rect, DWORD flags, int ASyncThread = 0);
HRESULT Direct3DSurface9_UnlockRect(gpu::IDirect3DSurface9* surface, int ASyncThread = 0);
HRESULT Direct3DSurface9_GetDesc(gpu::IDirect3DSurface9* surface, gpu::D3DSURFACE_DESC* desc);
HRESULT Direct3DTexture9_GetSurfaceLevel(gpu::IDirect3DTexture9* texture, UINT level, gpu::IDirect3DSurface9** out,
                                         int ASyncThread = 0);
HRESULT Direct3DTexture9_LockRect(gpu::IDirect3DTexture9* texture, UINT level, gpu::D3DLOCKED_RECT* locked,
                                  const plat::win::RECT* rect, DWORD flags, int ASyncThread = 0);
HRESULT Direct3DTexture9_UnlockRect(gpu::IDirect3DTexture9* texture, UINT level, int ASyncThread = 0);
HRESULT Direct3DCubeTexture9_GetCubeMapSurface(gpu::IDirect3DCubeTexture9* texture, gpu::D3DCUBEMAP_FACES face,
                                               UINT level, gpu::IDirect3DSurface9** out, int ASyncThread = 0);
HRESULT Direct3DCubeTexture9_LockRect(gpu::IDirect3DCubeTexture9* texture, gpu::D3DCUBEMAP_FACES face, UINT level,
                                      gpu::D3DLOCKED_RECT* locked, const plat::win::RECT* rect, DWORD flags,
                                      int ASyncThread = 0);
HRESULT Direct3DCubeTexture9_UnlockRect(gpu::IDirect3DCubeTexture9* texture, gpu::D3DCUBEMAP_FACES face,
                                        UINT level, int ASyncThread = 0);
// Vertex and index buffers alike (their Lock and Unlock sit in the same places).
HRESULT Direct3DVertexBuffer9_Lock(gpu::IDirect3DVertexBuffer9* buffer, UINT offset, UINT size, void** data,
                                   DWORD flags);
HRESULT Direct3DVertexBuffer9_Unlock(gpu::IDirect3DVertexBuffer9* buffer);
HRESULT Direct3DVertexBuffer9_Lock(gpu::IDirect3DIndexBuffer9* buffer, UINT offset, UINT size, void** data,
                                   DWORD flags);
HRESULT Direct3DVertexBuffer9_Unlock(gpu::IDirect3DIndexBuffer9* buffer);
// Release of any object; returns what Release returns (0 for none).
int Direct3D9Object_Release(plat::win::IUnknown* object, int ASyncThread = 0);

// ---- device creation and survey
struct D3D9DeviceState {
    UINT adapter;
    gpu::D3DPRESENT_PARAMETERS params;
    gpu::D3DDISPLAYMODEEX fullScreenMode;
    gpu::IDirect3DSurface9* backBuffer;
    gpu::D3DFORMAT backBufferFormat;
    int hardwareVertexProcessing;  // 1 when made with mixed vertex processing
    DWORD adapterVertexShaderVersion;
    gpu::D3DCAPS9 caps;
    int vertexShader20, pixelShader20;
    int vertexShader30, pixelShader30;  // 1 only when both versions reach 3.0
    int tssArgTemp;
    int subtractiveBlend;
    int maxTextureBlendStages;
    int backBufferLock;              // 1 when the back buffer is read by locking it
    gpu::D3DFORMAT depthFormat[3];  // 16, 24, 32 bits
};
extern D3D9DeviceState D3D9DeviceSys;

constexpr int kD3D9FormatRows = 49;
extern gpu::D3DFORMAT D3D9TextureFormatTable[kD3D9FormatRows];

// 0; -1 for an unusable full-screen depth or a plain device that cannot be made; -2
// when the Ex device cannot be made (the no-Ex flag is then set).
int Direct3DDevice9_Create();
// Fills the present parameters from the screen settings; -1 for an unusable depth.
int Direct3DDevice9_SetupPresentParameters(gpu::D3DPRESENT_PARAMETERS* params, gpu::D3DDISPLAYMODEEX* mode);
// 0, -1, or -2 when the Ex device could not be made and a plain object should be tried.
int Graphics_D3D9_Device_Create();
int Direct3D9_CheckMultiSampleParam(gpu::D3DFORMAT format, int* count, int* quality, int strict,
                                    int ASyncThread = 0);
int Graphics_D3D9_CheckDepthFormat(UINT adapter, gpu::D3DDEVTYPE type, gpu::D3DFORMAT adapterFormat,
                                   gpu::D3DFORMAT targetFormat, gpu::D3DFORMAT depthFormat);
// The depth formats and the texture rows, each decision logged; -1 when a basic colour
// row has no format.
int Graphics_D3D9_SurveyFormats();
const char* D3D9_FormatName(gpu::D3DFORMAT format);
// Times the direct and the indirect read of the back buffer and sets the lock flag.
void Graphics_D3D9_BackBufferLockTest();
// The side of the lock test's square: 256, halved until it fits the screen.
int D3D9_LockTestSide();
// The shader model the device's caps offer (0, 200 or 300), whatever the shader state.
int D3D9_CapsShaderModel();

// ---- shader packages, built-in shaders, vertex declarations
constexpr int kD3D9UntexturedShaders = 14;
constexpr int kD3D9TexturedShaders = 224;
constexpr int kD3D9VertexDeclarations = 12;
struct D3D9Packages {
    int loaded;
    uint8_t* base;       // the built-in shaders' archive image
    uint8_t* mixTable;   // 256 sizes and their code blocks
    uint8_t* filter;     // the filter shaders' archive image
    const uint8_t* mixCode[256];
    int mixSize[256];
    Archive baseArchive;
    Archive filterArchive;
};
extern D3D9Packages D3D9PackageSys;
struct D3D9Shaders {
    gpu::IDirect3DPixelShader9* untextured[kD3D9UntexturedShaders];
    gpu::IDirect3DPixelShader9* textured[kD3D9TexturedShaders];
    gpu::IDirect3DPixelShader9* mask;
    gpu::IDirect3DPixelShader9* maskChannel[4];  // a, r, g, b
    gpu::IDirect3DPixelShader9* maskChannelReverse[4];
    gpu::IDirect3DPixelShader9* shadowDepth;  // 3D draws into a shadow map: the pixel's depth
    gpu::IDirect3DVertexDeclaration9* declarations[kD3D9VertexDeclarations];
};
extern D3D9Shaders D3D9ShaderSys;
int Graphics_D3D9_ShaderCode_LoadPackage();
int Graphics_D3D9_ShaderCode_FreePackage();
int Graphics_D3D9_Shader_Initialize();
int Graphics_D3D9_Shader_ReleaseBuiltins();
int Graphics_D3D9_CreateVertexDeclarations();
int Graphics_D3D9_ReleaseVertexDeclarations();
// The textured shader the draw paths use for a pixel kind (0..6), its variant flag and
// whether the texture's alpha form is 0; null when the package lacks it.
gpu::IDirect3DPixelShader9* Graphics_D3D9_TexturedShader(int kind, int variant, int alphaFormZero);

// ---- shader-constant manager
enum D3D9ConstantKind : int {
    kD3D9VSFloat,
    kD3D9VSInt,
    kD3D9VSBool,
    kD3D9PSFloat,
    kD3D9PSInt,
    kD3D9PSBool,
    kD3D9ConstantKinds
};
constexpr int kD3D9UseSets = 4;
constexpr int kD3D9MaxRegisters = 256;
constexpr int kD3D9MaxRanges = 64;
struct D3D9ConstantBank {
    int rangeCount;
    uint16_t ranges[kD3D9MaxRanges][2];  // [start, end), merged
    int registerCount;
    int registerSize;  // bytes
    uint8_t data[kD3D9MaxRegisters * 16];
};
struct D3D9ShaderConstants {
    int active[kD3D9UseSets];
    int activeMask;
    D3D9ConstantBank banks[kD3D9ConstantKinds][kD3D9UseSets];
    uint8_t used[kD3D9ConstantKinds][kD3D9UseSets][kD3D9MaxRegisters];
    uint8_t owner[kD3D9ConstantKinds][kD3D9MaxRegisters];  // 255 = none
};
// The shader start-up stores usage set 0's base constants here (initialising the manager
// first when it never was); initialising it again afterwards drops them.
extern D3D9ShaderConstants D3D9ShaderConstantSys;
int Graphics_D3D9_ShaderConstant_InitializeManager(D3D9ShaderConstants* manager);
int Graphics_D3D9_ShaderConstant_Set(D3D9ShaderConstants* manager, int kind, int set, int first, const void* data,
                                     int count, int trackRange);
int Graphics_D3D9_ShaderConstant_ResetArea(D3D9ShaderConstants* manager, int kind, int set, int first, int count);
int Graphics_D3D9_ShaderConstant_ApplyUseSets(D3D9ShaderConstants* manager, int mask);
int Graphics_D3D9_ShaderConstant_SendRange(D3D9ShaderConstants* manager, int kind, int first, const void* data,
                                           int count);

}  // namespace ZaDod
