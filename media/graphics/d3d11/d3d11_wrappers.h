// The Direct3D 11 back end's call wrappers: the two libraries, the process-wide device
// objects, per-kind live-object counters, and the posting of calls made on loading workers
// to the main thread.
#pragma once
#include "media/file/async_load.h"
#include "platform/gpu/d3d11/dxgi.h"
#include "platform/win/module.h"

namespace ZaDod {

namespace gpu = plat::gpu;
using gpu::HRESULT;
using gpu::UINT;

// The kinds the counters keep, in the order of the object dump.
enum D3D11ObjectKind : int {
    kD3D11Buffer,
    kD3D11Texture1D,
    kD3D11Texture2D,
    kD3D11Texture3D,
    kD3D11ShaderResourceView,
    kD3D11RenderTargetView,
    kD3D11DepthStencilView,
    kD3D11InputLayout,
    kD3D11VertexShader,
    kD3D11PixelShader,
    kD3D11BlendState,
    kD3D11DepthStencilState,
    kD3D11RasterizerState,
    kD3D11SamplerState,
    kD3D11ObjectKinds
};

struct D3D11Objects {
    plat::win::HMODULE d3d11;
    plat::win::HMODULE dxgi;
    gpu::IDXGIFactory* factory;
    gpu::IDXGIFactory1* factory1;
    gpu::IDXGIAdapter* adapter;
    gpu::ID3D11Device* device;
    gpu::ID3D11DeviceContext* context;
    gpu::IDXGIDevice1* dxgiDevice;
    gpu::D3D_FEATURE_LEVEL featureLevel;
    int counters[kD3D11ObjectKinds];  // over the whole run, across re-creations
};
extern D3D11Objects D3D11Sys;

// Runs `call` at once, or with ASyncThread set hands it to the main thread and returns
// the result it gave there.
template <class Call>
HRESULT D3D11_RunPosted(int ASyncThread, Call&& call) {
    if (!ASyncThread) return call();
    struct Request : MainThreadRequest {};
    Request request{};
    request.Param[0] = reinterpret_cast<uintptr_t>(&call);
    request.Function = [](MainThreadRequest* r) {
        return static_cast<int>((*reinterpret_cast<Call*>(r->Param[0]))());
    };
    return static_cast<HRESULT>(AddASyncLoadRequestMainThread(&request));
}

int D3D11_LoadDLL();
int DXGI_LoadDLL();
int D3D11_FreeDLL();
int DXGI_FreeDLL();
int DXGI_CreateFactory();
int DXGI_ReleaseFactory();
int DXGIFactory_IsValid();
int D3D11_ReleaseDeviceObjects();
void D3D11_OutputObjectCount();
int Direct3D_ReleaseObject(plat::win::IUnknown* object);

// Counted creations: the counter of the kind grows only on S_OK.
HRESULT D3D11Device_CreateBuffer(const gpu::D3D11_BUFFER_DESC* desc, const gpu::D3D11_SUBRESOURCE_DATA* initial,
                                 gpu::ID3D11Buffer** out, int ASyncThread = 0);
HRESULT D3D11Device_CreateTexture2D(const gpu::D3D11_TEXTURE2D_DESC* desc,
                                    const gpu::D3D11_SUBRESOURCE_DATA* initial, gpu::ID3D11Texture2D** out,
                                    int ASyncThread = 0);
HRESULT D3D11Device_CreateShaderResourceView(gpu::ID3D11Resource* resource,
                                             const gpu::D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                             gpu::ID3D11ShaderResourceView** out, int ASyncThread = 0);
HRESULT D3D11Device_CreateRenderTargetView(gpu::ID3D11Resource* resource,
                                           const gpu::D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                           gpu::ID3D11RenderTargetView** out, int ASyncThread = 0);
HRESULT D3D11Device_CreateDepthStencilView(gpu::ID3D11Resource* resource,
                                           const gpu::D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                           gpu::ID3D11DepthStencilView** out, int ASyncThread = 0);
HRESULT D3D11Device_CreateVertexShader(const void* code, size_t size, gpu::ID3D11VertexShader** out,
                                       int ASyncThread = 0);
HRESULT D3D11Device_CreatePixelShader(const void* code, size_t size, gpu::ID3D11PixelShader** out,
                                      int ASyncThread = 0);
HRESULT D3D11Device_CreateInputLayout(const gpu::D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* code,
                                      size_t size, gpu::ID3D11InputLayout** out);
HRESULT D3D11Device_CreateBlendState(const gpu::D3D11_BLEND_DESC* desc, gpu::ID3D11BlendState** out);
HRESULT D3D11Device_CreateDepthStencilState(const gpu::D3D11_DEPTH_STENCIL_DESC* desc,
                                            gpu::ID3D11DepthStencilState** out);
HRESULT D3D11Device_CreateRasterizerState(const gpu::D3D11_RASTERIZER_DESC* desc, gpu::ID3D11RasterizerState** out);
HRESULT D3D11Device_CreateSamplerState(const gpu::D3D11_SAMPLER_DESC* desc, gpu::ID3D11SamplerState** out);
HRESULT D3D11Device_CheckFormatSupport(gpu::DXGI_FORMAT format, UINT* support);
HRESULT DXGISwapChain_GetBuffer(gpu::IDXGISwapChain* chain, UINT index, gpu::ID3D11Texture2D** out);

// Counted releases: the counter drops first, then Release runs whatever it answers.
void D3D11Buffer_Release(gpu::ID3D11Buffer* object);
void D3D11Texture2D_Release(gpu::ID3D11Texture2D* object, int ASyncThread = 0);
void D3D11ShaderResourceView_Release(gpu::ID3D11ShaderResourceView* object);
void D3D11RenderTargetView_Release(gpu::ID3D11RenderTargetView* object);
void D3D11DepthStencilView_Release(gpu::ID3D11DepthStencilView* object, int ASyncThread = 0);
void D3D11InputLayout_Release(gpu::ID3D11InputLayout* object);
void D3D11VertexShader_Release(gpu::ID3D11VertexShader* object, int ASyncThread = 0);
void D3D11PixelShader_Release(gpu::ID3D11PixelShader* object, int ASyncThread = 0);
void D3D11BlendState_Release(gpu::ID3D11BlendState* object);
void D3D11DepthStencilState_Release(gpu::ID3D11DepthStencilState* object);
void D3D11RasterizerState_Release(gpu::ID3D11RasterizerState* object);
void D3D11SamplerState_Release(gpu::ID3D11SamplerState* object);

// Immediate-context calls that may come from a loading worker.
HRESULT D3D11DeviceContext_Map(gpu::ID3D11Resource* resource, UINT sub, gpu::D3D11_MAP type, UINT flags,
                               gpu::D3D11_MAPPED_SUBRESOURCE* mapped, int ASyncThread = 0);
void D3D11DeviceContext_Unmap(gpu::ID3D11Resource* resource, UINT sub, int ASyncThread = 0);
void D3D11DeviceContext_UpdateSubresource(gpu::ID3D11Resource* resource, UINT sub, const gpu::D3D11_BOX* box,
                                          const void* data, UINT rowPitch, UINT depthPitch, int ASyncThread = 0);
void D3D11DeviceContext_ClearRenderTargetView(gpu::ID3D11RenderTargetView* view, const float colour[4],
                                              int ASyncThread = 0);
void D3D11DeviceContext_ClearDepthStencilView(gpu::ID3D11DepthStencilView* view, UINT flags, float depth,
                                              gpu::BYTE stencil, int ASyncThread = 0);

// Immediate-context calls made on the main thread only.
void D3D11DeviceContext_Draw(UINT count, UINT first);
void D3D11DeviceContext_DrawIndexed(UINT count, UINT first, gpu::INT baseVertex);
void D3D11DeviceContext_IASetIndexBuffer(gpu::ID3D11Buffer* buffer, gpu::DXGI_FORMAT format, UINT offset);
void D3D11DeviceContext_IASetInputLayout(gpu::ID3D11InputLayout* layout);
void D3D11DeviceContext_IASetPrimitiveTopology(gpu::D3D11_PRIMITIVE_TOPOLOGY topology);
void D3D11DeviceContext_IASetVertexBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers,
                                          const UINT* strides, const UINT* offsets);
void D3D11DeviceContext_OMSetBlendState(gpu::ID3D11BlendState* state, const float factor[4], UINT sampleMask);
void D3D11DeviceContext_OMSetDepthStencilState(gpu::ID3D11DepthStencilState* state, UINT stencilRef);
void D3D11DeviceContext_OMSetRenderTargets(UINT count, gpu::ID3D11RenderTargetView* const* targets,
                                          gpu::ID3D11DepthStencilView* depth);
void D3D11DeviceContext_PSSetConstantBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers);
void D3D11DeviceContext_PSSetSamplers(UINT first, UINT count, gpu::ID3D11SamplerState* const* samplers);
void D3D11DeviceContext_PSSetShader(gpu::ID3D11PixelShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);
void D3D11DeviceContext_PSSetShaderResources(UINT first, UINT count, gpu::ID3D11ShaderResourceView* const* views);
void D3D11DeviceContext_RSSetState(gpu::ID3D11RasterizerState* state);
void D3D11DeviceContext_RSSetViewports(UINT count, const gpu::D3D11_VIEWPORT* viewports);
void D3D11DeviceContext_ResolveSubresource(gpu::ID3D11Resource* dst, UINT dstSub, gpu::ID3D11Resource* src,
                                           UINT srcSub, gpu::DXGI_FORMAT format);
void D3D11DeviceContext_CopyResource(gpu::ID3D11Resource* dst, gpu::ID3D11Resource* src);
void D3D11DeviceContext_CopySubresourceRegion(gpu::ID3D11Resource* dst, UINT dstSub, UINT dstX, UINT dstY,
                                              gpu::ID3D11Resource* src, UINT srcSub, const gpu::D3D11_BOX* srcBox);
void D3D11DeviceContext_VSSetConstantBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers);
void D3D11DeviceContext_VSSetShader(gpu::ID3D11VertexShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);
void D3D11DeviceContext_CSSetShader(gpu::ID3D11ComputeShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);
void D3D11DeviceContext_DSSetShader(gpu::ID3D11DomainShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);
void D3D11DeviceContext_GSSetShader(gpu::ID3D11GeometryShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);
void D3D11DeviceContext_HSSetShader(gpu::ID3D11HullShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count);

// DXGI calls; the factory's are made on the process-wide factory.
HRESULT DXGIFactory_EnumAdapters(UINT index, gpu::IDXGIAdapter** adapter);
HRESULT DXGIFactory_MakeWindowAssociation(plat::win::HWND window, UINT flags);
// Makes the swap chain for the process-wide device.
HRESULT DXGIFactory_CreateSwapChain(gpu::DXGI_SWAP_CHAIN_DESC* desc, gpu::IDXGISwapChain** chain);
HRESULT DXGIAdapter_EnumOutputs(gpu::IDXGIAdapter* adapter, UINT index, gpu::IDXGIOutput** output);
HRESULT DXGIAdapter_GetDesc(gpu::IDXGIAdapter* adapter, gpu::DXGI_ADAPTER_DESC* desc);
HRESULT DXGIOutput_GetDesc(gpu::IDXGIOutput* output, gpu::DXGI_OUTPUT_DESC* desc);
HRESULT DXGIOutput_WaitForVBlank(gpu::IDXGIOutput* output);
HRESULT DXGISwapChain_GetContainingOutput(gpu::IDXGISwapChain* chain, gpu::IDXGIOutput** output);
HRESULT DXGISwapChain_GetDesc(gpu::IDXGISwapChain* chain, gpu::DXGI_SWAP_CHAIN_DESC* desc);
HRESULT DXGISwapChain_Present(gpu::IDXGISwapChain* chain, UINT syncInterval, UINT flags);
HRESULT DXGISwapChain_ResizeBuffers(gpu::IDXGISwapChain* chain, UINT count, UINT width, UINT height,
                                    gpu::DXGI_FORMAT format, UINT flags);
HRESULT DXGISwapChain_SetFullscreenState(gpu::IDXGISwapChain* chain, gpu::BOOL fullscreen, gpu::IDXGIOutput* output);
void D3D11Texture2D_GetDesc(gpu::ID3D11Texture2D* texture, gpu::D3D11_TEXTURE2D_DESC* desc);

// Releases a counted object through its release wrapper and clears the pointer.
template <class T, class Release>
void D3D11_ReleaseAndClear(T*& object, Release release) {
    if (object != nullptr) release(object);
    object = nullptr;
}

}  // namespace ZaDod
