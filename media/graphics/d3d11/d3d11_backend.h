// The Direct3D 11 back end's own state and the functions its files share: format table,
// swap chains, start-up objects, built-in shaders, constant buffers, the device-state
// cache and the vertex batch.
#pragma once
#include <cstdint>

#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d11/d3d11_wrappers.h"

namespace ZaDod {

// ---- format survey
constexpr int kD3D11FormatRows = 49;
extern gpu::DXGI_FORMAT D3D11TextureFormatTable[kD3D11FormatRows];
struct D3D11Formats {
    gpu::DXGI_FORMAT screen;
    gpu::DXGI_FORMAT depthTexture[3];  // 16, 24, 32 bits
    gpu::DXGI_FORMAT depthView[3];
};
extern D3D11Formats D3D11FormatSys;
const char* D3D11_FormatName(gpu::DXGI_FORMAT format);
// Surveys the depth and colour rows; -1 when R8G8B8A8 cannot be a texture.
int Graphics_D3D11_SurveyFormats();

int Graphics_D3D11_Device_Create();
int D3D11_CreateDevice();
int D3D11Device_CheckMultiSampleParam(gpu::DXGI_FORMAT format, int* count, int* quality, int strict,
                                      int ASyncThread = 0);
int Graphics_D3D11_EnumAdapters();
const char16_t* Graphics_D3D11_AdapterDescription(int index);

// ---- swap chains
constexpr int kD3D11MaxSwapChains = 256;
struct D3D11SwapChain {
    int used;
    gpu::IDXGISwapChain* chain;
    gpu::DXGI_SWAP_CHAIN_DESC desc;
    gpu::IDXGIOutput* output;
    gpu::ID3D11Texture2D* backBuffer;
    gpu::D3D11_TEXTURE2D_DESC backBufferDesc;
    gpu::ID3D11ShaderResourceView* srv;
    gpu::ID3D11RenderTargetView* rtv;
};
struct D3D11SwapChains {
    D3D11SwapChain slots[kD3D11MaxSwapChains];
    int count;
    int target;          // the slot the flip presents
    int madeFullScreen;  // the first chain was made full screen
    gpu::ID3D11Texture2D* lockStaging;
};
extern D3D11SwapChains D3D11SwapChainSys;
int Graphics_D3D11_CreateSwapChain(plat::win::HWND window, int screenSizeFlag);
int Graphics_D3D11_SwapChain_SetupBuffers(int index);
int Graphics_D3D11_SwapChain_ResizeBuffers(int index, int width, int height);
int Graphics_D3D11_SwapChain_Release(plat::win::HWND window, int index);

// ---- start-up objects
struct D3D11Backend {
    int deviceReady;
    gpu::ID3D11Buffer* standardVertexBuffer;
    gpu::ID3D11Texture2D* depthTexture;
    gpu::ID3D11DepthStencilView* depthView;
    int depthWidth, depthHeight, depthBits;
    int depthBitsRequest;  // 0 none, else 16, 24 or 32
    gpu::ID3D11Texture2D* subBackBuffer;
    gpu::ID3D11RenderTargetView* subBackBufferRtv;
    gpu::ID3D11ShaderResourceView* subBackBufferSrv;  // of subBackBufferResolved when multisampled
    // A multisampled sub back buffer is read through its resolve into this texture.
    gpu::ID3D11Texture2D* subBackBufferResolved;
    int subBackBufferWidth, subBackBufferHeight;
    gpu::ID3D11BlendState* copyBlend;
    gpu::ID3D11BlendState* copyAlphaBlend;
    gpu::ID3D11SamplerState* pointSampler;
    gpu::ID3D11SamplerState* linearSampler;
    gpu::ID3D11RasterizerState* copyRasterizer;
    gpu::ID3D11DepthStencilState* copyDepthStencil;
    gpu::ID3D11Buffer* commonVertexBuffer;
    int commonVertexBufferSize;
    gpu::ID3D11Buffer* commonIndexBuffer;
    int commonIndexBufferSize;
    void (*beforeRestore)(void*);
    void* beforeRestoreData;
    void (*afterRestore)(void*);
    void* afterRestoreData;
};
extern D3D11Backend D3D11BackendSys;
int Graphics_D3D11_Device_Initialize();
int Graphics_D3D11_CreateStandardVertexBuffer();
int Graphics_D3D11_CreateDepthBuffer();
int Graphics_D3D11_SubBackBuffer_Setup();
int Graphics_D3D11_SetupStretchRectStates();
int Graphics_D3D11_Device_Terminate();
int Graphics_D3D11_ReleaseAllHandleObjects();
// The device buffers of vertex and index buffer handles: all released, and made again
// and refilled from each handle's kept copy.
int Graphics_D3D11_ReleaseUserBuffers();
int Graphics_D3D11_RestoreUserBuffers();
int Graphics_D3D11_CommonVertexBuffer_Setup(int size);
int Graphics_D3D11_CommonIndexBuffer_Setup(int size);
// The one-line sink of the before- and after-restore hooks of this API.
void Graphics_D3D11_SetRestoreHooks(void (*before)(void*), void* beforeData, void (*after)(void*), void* afterData);

// ---- copies, flip, read-back
struct D3D11StretchVertex8 {
    float x, y;
    float uv[8][2];
};
// The sub back buffer's readable texture, with a multisampled one resolved into it first.
gpu::ID3D11Texture2D* D3D11_ReadableSubBackBuffer();
int Graphics_D3D11_StretchRect(gpu::ID3D11Texture2D* src, gpu::ID3D11ShaderResourceView* srcView,
                               const plat::win::RECT* srcRect, gpu::ID3D11Texture2D* dest,
                               gpu::ID3D11RenderTargetView* destView, const plat::win::RECT* destRect,
                               int linear = 0, int alphaBlend = 0, gpu::ID3D11VertexShader* vs = nullptr,
                               gpu::ID3D11PixelShader* ps = nullptr, gpu::ID3D11Texture2D* second = nullptr,
                               gpu::ID3D11ShaderResourceView* secondView = nullptr,
                               const plat::win::RECT* secondRect = nullptr,
                               const D3D11StretchVertex8* custom = nullptr);
int Graphics_D3D11_ReadbackTexture(gpu::ID3D11Texture2D* texture, const ImageRect* rect, BaseImage* out,
                                   gpu::ID3D11Texture2D** staging);
// Flip arithmetic: shortens the source in proportion when the destination passes the
// back buffer's right or bottom, and cuts the destination there.
void D3D11_ClipFlipRects(plat::win::RECT* src, plat::win::RECT* dest, int bufferWidth, int bufferHeight);

// ---- shaders, input layouts, constant buffers
constexpr int kD3D11StdVertexShaders = 7;
constexpr int kD3D11UntexturedShaders = 14;
constexpr int kD3D11TexturedShaders = 224;  // four tables of 56
struct D3D11Shaders {
    int programmable;  // ProgrammableShaderFlag
    uint8_t* base;     // the unpacked base package
    const uint8_t* code[258];
    int size[258];
    gpu::ID3D11VertexShader* stdVertex[kD3D11StdVertexShaders];
    gpu::ID3D11PixelShader* untextured[kD3D11UntexturedShaders];
    gpu::ID3D11PixelShader* textured[kD3D11TexturedShaders];
    gpu::ID3D11PixelShader* mask;
    gpu::ID3D11PixelShader* maskReverse;
    gpu::ID3D11PixelShader* maskChannel[4];
    gpu::ID3D11PixelShader* maskReverseChannel[4];
    gpu::ID3D11VertexShader* copyVertex;
    gpu::ID3D11VertexShader* copy8Vertex;
    gpu::ID3D11PixelShader* copyPixel;
    gpu::ID3D11InputLayout* layouts[kD3D11StdVertexShaders];
    gpu::ID3D11InputLayout* copyLayout;
    gpu::ID3D11InputLayout* copy8Layout;
};
extern D3D11Shaders D3D11ShaderSys;
extern const int kD3D11VertexSizes[kD3D11StdVertexShaders];
int Graphics_D3D11_ShaderCode_LoadBasePackage();
int Graphics_D3D11_ShaderCode_FreePackages();
int Graphics_D3D11_Shader_Initialize();
int Graphics_D3D11_Shader_ReleaseBuiltins();
int Graphics_D3D11_CreateInputLayouts();
int Graphics_D3D11_ReleaseInputLayouts();
// The element list of a format layout, with the BGRA swap applied when `bgra` is set.
int D3D11_InputLayoutElements(int format, int bgra, gpu::D3D11_INPUT_ELEMENT_DESC* out);

struct D3D11ConstantBuffer {
    int size;
    gpu::ID3D11Buffer* buffer;
    uint8_t* copy;  // follows the record
    int dirty;
    D3D11ConstantBuffer* next;
    D3D11ConstantBuffer* prev;
};
enum D3D11BuiltinBuffer : int { kCBCommon, kCBVSBase, kCBVSExtra, kCBVSMore, kCBPSBase, kCBPSMore, kCBFilter, kCBCount };
extern D3D11ConstantBuffer* D3D11BuiltinConstantBuffers[kCBCount];
D3D11ConstantBuffer* Graphics_D3D11_ConstantBuffer_Create(int size, int asyncFlag);
int Graphics_D3D11_ConstantBuffer_Release(D3D11ConstantBuffer* buffer);
int Graphics_D3D11_ConstantBuffer_Update(D3D11ConstantBuffer* buffer);
int Graphics_D3D11_CreateShaderConstantBuffers();
int Graphics_D3D11_ReleaseShaderConstantBuffers();
int D3D11_ConstantBufferCount();

}  // namespace ZaDod
