// The Direct3D 11 back end's call wrappers: counted creations and releases, the posted
// context calls, the libraries, the factory and the object-count dump.
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_wrappers.h"

namespace ZaDod {

D3D11Objects D3D11Sys{};

namespace {

using plat::win::S_OK;

// Counts one object of `kind` when the creation returned exactly S_OK.
HRESULT counted(HRESULT result, D3D11ObjectKind kind) {
    if (result == S_OK) ++D3D11Sys.counters[kind];
    return result;
}

template <class T>
void releaseCounted(T* object, D3D11ObjectKind kind, int ASyncThread) {
    D3D11_RunPosted(ASyncThread, [&] {
        --D3D11Sys.counters[kind];
        object->Release();
        return HRESULT(0);
    });
}

gpu::ID3D11Device* device() { return D3D11Sys.device; }
gpu::ID3D11DeviceContext* context() { return D3D11Sys.context; }

const char* const kKindNames[kD3D11ObjectKinds] = {
    "ID3D11Buffer",          "ID3D11Texture1D",         "ID3D11Texture2D",          "ID3D11Texture3D",
    "ID3D11ShaderResourceView", "ID3D11RenderTargetView", "ID3D11DepthStencilView", "ID3D11InputLayout",
    "ID3D11VertexShader",    "ID3D11PixelShader",       "ID3D11BlendState",         "ID3D11DepthStencilState",
    "ID3D11RasterizerState", "ID3D11SamplerState"};

}  // namespace

HRESULT D3D11Device_CreateBuffer(const gpu::D3D11_BUFFER_DESC* desc, const gpu::D3D11_SUBRESOURCE_DATA* initial,
                                 gpu::ID3D11Buffer** out, int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] { return counted(device()->CreateBuffer(desc, initial, out), kD3D11Buffer); });
}

HRESULT D3D11Device_CreateTexture2D(const gpu::D3D11_TEXTURE2D_DESC* desc,
                                    const gpu::D3D11_SUBRESOURCE_DATA* initial, gpu::ID3D11Texture2D** out,
                                    int ASyncThread) {
    return D3D11_RunPosted(ASyncThread,
                           [&] { return counted(device()->CreateTexture2D(desc, initial, out), kD3D11Texture2D); });
}

HRESULT D3D11Device_CreateShaderResourceView(gpu::ID3D11Resource* resource,
                                             const gpu::D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                             gpu::ID3D11ShaderResourceView** out, int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] {
        return counted(device()->CreateShaderResourceView(resource, desc, out), kD3D11ShaderResourceView);
    });
}

HRESULT D3D11Device_CreateRenderTargetView(gpu::ID3D11Resource* resource,
                                           const gpu::D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                           gpu::ID3D11RenderTargetView** out, int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] {
        return counted(device()->CreateRenderTargetView(resource, desc, out), kD3D11RenderTargetView);
    });
}

HRESULT D3D11Device_CreateDepthStencilView(gpu::ID3D11Resource* resource,
                                           const gpu::D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                           gpu::ID3D11DepthStencilView** out, int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] {
        return counted(device()->CreateDepthStencilView(resource, desc, out), kD3D11DepthStencilView);
    });
}

HRESULT D3D11Device_CreateVertexShader(const void* code, size_t size, gpu::ID3D11VertexShader** out,
                                       int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] {
        return counted(device()->CreateVertexShader(code, size, nullptr, out), kD3D11VertexShader);
    });
}

HRESULT D3D11Device_CreatePixelShader(const void* code, size_t size, gpu::ID3D11PixelShader** out,
                                      int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] {
        return counted(device()->CreatePixelShader(code, size, nullptr, out), kD3D11PixelShader);
    });
}

HRESULT D3D11Device_CreateInputLayout(const gpu::D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* code,
                                      size_t size, gpu::ID3D11InputLayout** out) {
    return counted(device()->CreateInputLayout(elements, count, code, size, out), kD3D11InputLayout);
}

HRESULT D3D11Device_CreateBlendState(const gpu::D3D11_BLEND_DESC* desc, gpu::ID3D11BlendState** out) {
    return counted(device()->CreateBlendState(desc, out), kD3D11BlendState);
}

HRESULT D3D11Device_CreateDepthStencilState(const gpu::D3D11_DEPTH_STENCIL_DESC* desc,
                                            gpu::ID3D11DepthStencilState** out) {
    return counted(device()->CreateDepthStencilState(desc, out), kD3D11DepthStencilState);
}

HRESULT D3D11Device_CreateRasterizerState(const gpu::D3D11_RASTERIZER_DESC* desc,
                                          gpu::ID3D11RasterizerState** out) {
    return counted(device()->CreateRasterizerState(desc, out), kD3D11RasterizerState);
}

HRESULT D3D11Device_CreateSamplerState(const gpu::D3D11_SAMPLER_DESC* desc, gpu::ID3D11SamplerState** out) {
    return counted(device()->CreateSamplerState(desc, out), kD3D11SamplerState);
}

HRESULT D3D11Device_CheckFormatSupport(gpu::DXGI_FORMAT format, UINT* support) {
    return device()->CheckFormatSupport(format, support);
}

HRESULT DXGISwapChain_GetBuffer(gpu::IDXGISwapChain* chain, UINT index, gpu::ID3D11Texture2D** out) {
    return counted(chain->GetBuffer(index, gpu::IID_ID3D11Texture2D, reinterpret_cast<void**>(out)),
                   kD3D11Texture2D);
}

void D3D11Buffer_Release(gpu::ID3D11Buffer* o) { releaseCounted(o, kD3D11Buffer, 0); }
void D3D11Texture2D_Release(gpu::ID3D11Texture2D* o, int a) { releaseCounted(o, kD3D11Texture2D, a); }
void D3D11ShaderResourceView_Release(gpu::ID3D11ShaderResourceView* o) {
    releaseCounted(o, kD3D11ShaderResourceView, 0);
}
void D3D11RenderTargetView_Release(gpu::ID3D11RenderTargetView* o) { releaseCounted(o, kD3D11RenderTargetView, 0); }
void D3D11DepthStencilView_Release(gpu::ID3D11DepthStencilView* o, int a) {
    releaseCounted(o, kD3D11DepthStencilView, a);
}
void D3D11InputLayout_Release(gpu::ID3D11InputLayout* o) { releaseCounted(o, kD3D11InputLayout, 0); }
void D3D11VertexShader_Release(gpu::ID3D11VertexShader* o, int a) { releaseCounted(o, kD3D11VertexShader, a); }
void D3D11PixelShader_Release(gpu::ID3D11PixelShader* o, int a) { releaseCounted(o, kD3D11PixelShader, a); }
void D3D11BlendState_Release(gpu::ID3D11BlendState* o) { releaseCounted(o, kD3D11BlendState, 0); }
void D3D11DepthStencilState_Release(gpu::ID3D11DepthStencilState* o) {
    releaseCounted(o, kD3D11DepthStencilState, 0);
}
void D3D11RasterizerState_Release(gpu::ID3D11RasterizerState* o) { releaseCounted(o, kD3D11RasterizerState, 0); }
void D3D11SamplerState_Release(gpu::ID3D11SamplerState* o) { releaseCounted(o, kD3D11SamplerState, 0); }

HRESULT D3D11DeviceContext_Map(gpu::ID3D11Resource* resource, UINT sub, gpu::D3D11_MAP type, UINT flags,
                               gpu::D3D11_MAPPED_SUBRESOURCE* mapped, int ASyncThread) {
    return D3D11_RunPosted(ASyncThread, [&] { return context()->Map(resource, sub, type, flags, mapped); });
}

void D3D11DeviceContext_Unmap(gpu::ID3D11Resource* resource, UINT sub, int ASyncThread) {
    D3D11_RunPosted(ASyncThread, [&] {
        context()->Unmap(resource, sub);
        return HRESULT(0);
    });
}

void D3D11DeviceContext_UpdateSubresource(gpu::ID3D11Resource* resource, UINT sub, const gpu::D3D11_BOX* box,
                                          const void* data, UINT rowPitch, UINT depthPitch, int ASyncThread) {
    D3D11_RunPosted(ASyncThread, [&] {
        context()->UpdateSubresource(resource, sub, box, data, rowPitch, depthPitch);
        return HRESULT(0);
    });
}

void D3D11DeviceContext_ClearRenderTargetView(gpu::ID3D11RenderTargetView* view, const float colour[4],
                                              int ASyncThread) {
    D3D11_RunPosted(ASyncThread, [&] {
        // The colour is copied before the call, so a posted clear never reads the poster's stack late.
        const float copy[4] = {colour[0], colour[1], colour[2], colour[3]};
        context()->ClearRenderTargetView(view, copy);
        return HRESULT(0);
    });
}

void D3D11DeviceContext_ClearDepthStencilView(gpu::ID3D11DepthStencilView* view, UINT flags, float depth,
                                              gpu::BYTE stencil, int ASyncThread) {
    D3D11_RunPosted(ASyncThread, [&] {
        context()->ClearDepthStencilView(view, flags, depth, stencil);
        return HRESULT(0);
    });
}

int Direct3D_ReleaseObject(plat::win::IUnknown* object) { return static_cast<int>(object->Release()); }

int D3D11_LoadDLL() {
    LogAddTextUtf16(u"d3d11.dll の読み込み.... ");
    D3D11Sys.d3d11 = plat::win::LoadLibraryW(u"d3d11.dll");
    LogAddTextUtf16(D3D11Sys.d3d11 != nullptr ? u"成功\n" : u"失敗\n");
    return D3D11Sys.d3d11 != nullptr ? 0 : -1;
}

int DXGI_LoadDLL() {
    LogAddTextUtf16(u"dxgi.dll の読み込み.... ");
    D3D11Sys.dxgi = plat::win::LoadLibraryW(u"dxgi.dll");
    if (D3D11Sys.dxgi != nullptr) {
        LogAddTextUtf16(u"成功\n");
        return 0;
    }
    // The back end never runs with only one of the two.
    if (D3D11Sys.d3d11 != nullptr) plat::win::FreeLibrary(D3D11Sys.d3d11);
    D3D11Sys.d3d11 = nullptr;
    LogAddTextUtf16(u"失敗\n");
    return -1;
}

int D3D11_FreeDLL() {
    if (D3D11Sys.d3d11 == nullptr) return 0;
    LogAddTextUtf16(u"d3d11.dll の解放 1\n");
    plat::win::FreeLibrary(D3D11Sys.d3d11);
    D3D11Sys.d3d11 = nullptr;
    return 0;
}

int DXGI_FreeDLL() {
    if (D3D11Sys.dxgi == nullptr) return 0;
    LogAddTextUtf16(u"dxgi.dll の解放 1\n");
    plat::win::FreeLibrary(D3D11Sys.dxgi);
    D3D11Sys.dxgi = nullptr;
    return 0;
}

int DXGI_ReleaseFactory() {
    if (D3D11Sys.factory != nullptr) D3D11Sys.factory->Release();
    D3D11Sys.factory = nullptr;
    D3D11Sys.factory1 = nullptr;
    return 0;
}

int DXGIFactory_IsValid() { return D3D11Sys.factory != nullptr ? 1 : 0; }

int DXGI_CreateFactory() {
    using CreateFn = HRESULT (*)(const plat::win::IID&, void**);
    DXGI_ReleaseFactory();
    LogAddTextUtf16(u"API CreateDXGIFactory1 のアドレスを取得します.... ");
    auto create1 = reinterpret_cast<CreateFn>(plat::win::GetProcAddress(D3D11Sys.dxgi, "CreateDXGIFactory1"));
    if (create1 == nullptr) {
        LogAddTextUtf16(u"失敗\n");
    } else {
        LogAddTextUtf16(u"成功\n");
        LogAddTextUtf16(u"IDXGIFactory1 を作成します.... ");
        void* object = nullptr;
        if (create1(gpu::IID_IDXGIFactory1, &object) >= 0 && object != nullptr) {
            LogAddTextUtf16(u"成功\n");
            D3D11Sys.factory1 = static_cast<gpu::IDXGIFactory1*>(object);
            D3D11Sys.factory = D3D11Sys.factory1;
        } else {
            LogAddTextUtf16(u"失敗\n");
        }
    }
    if (D3D11Sys.factory != nullptr) return 0;
    LogAddTextUtf16(u"API CreateDXGIFactory のアドレスを取得します.... ");
    auto create = reinterpret_cast<CreateFn>(plat::win::GetProcAddress(D3D11Sys.dxgi, "CreateDXGIFactory"));
    if (create == nullptr) {
        LogAddTextUtf16(u"失敗\n");
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    LogAddTextUtf16(u"IDXGIFactory を作成します.... ");
    void* object = nullptr;
    if (create(gpu::IID_IDXGIFactory, &object) < 0 || object == nullptr) {
        LogAddTextUtf16(u"失敗\n");
        return -1;
    }
    D3D11Sys.factory = static_cast<gpu::IDXGIFactory*>(object);
    LogAddTextUtf16(u"成功\n");
    return 0;
}

// ---- immediate-context calls of the main thread

namespace {
gpu::ID3D11DeviceContext* immediate() { return D3D11Sys.context; }
}  // namespace

void D3D11DeviceContext_Draw(UINT count, UINT first) {
    if (auto* c = immediate()) c->Draw(count, first);
}
void D3D11DeviceContext_DrawIndexed(UINT count, UINT first, gpu::INT baseVertex) {
    if (auto* c = immediate()) c->DrawIndexed(count, first, baseVertex);
}
void D3D11DeviceContext_IASetIndexBuffer(gpu::ID3D11Buffer* buffer, gpu::DXGI_FORMAT format, UINT offset) {
    if (auto* c = immediate()) c->IASetIndexBuffer(buffer, format, offset);
}
void D3D11DeviceContext_IASetInputLayout(gpu::ID3D11InputLayout* layout) {
    if (auto* c = immediate()) c->IASetInputLayout(layout);
}
void D3D11DeviceContext_IASetPrimitiveTopology(gpu::D3D11_PRIMITIVE_TOPOLOGY topology) {
    if (auto* c = immediate()) c->IASetPrimitiveTopology(topology);
}
void D3D11DeviceContext_IASetVertexBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers,
                                          const UINT* strides, const UINT* offsets) {
    if (auto* c = immediate()) c->IASetVertexBuffers(first, count, buffers, strides, offsets);
}
void D3D11DeviceContext_OMSetBlendState(gpu::ID3D11BlendState* state, const float factor[4], UINT sampleMask) {
    if (auto* c = immediate()) c->OMSetBlendState(state, factor, sampleMask);
}
void D3D11DeviceContext_OMSetDepthStencilState(gpu::ID3D11DepthStencilState* state, UINT stencilRef) {
    if (auto* c = immediate()) c->OMSetDepthStencilState(state, stencilRef);
}
void D3D11DeviceContext_OMSetRenderTargets(UINT count, gpu::ID3D11RenderTargetView* const* targets,
                                          gpu::ID3D11DepthStencilView* depth) {
    if (auto* c = immediate()) c->OMSetRenderTargets(count, targets, depth);
}
void D3D11DeviceContext_PSSetConstantBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers) {
    if (auto* c = immediate()) c->PSSetConstantBuffers(first, count, buffers);
}
void D3D11DeviceContext_PSSetSamplers(UINT first, UINT count, gpu::ID3D11SamplerState* const* samplers) {
    if (auto* c = immediate()) c->PSSetSamplers(first, count, samplers);
}
void D3D11DeviceContext_PSSetShader(gpu::ID3D11PixelShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->PSSetShader(shader, instances, count);
}
void D3D11DeviceContext_PSSetShaderResources(UINT first, UINT count, gpu::ID3D11ShaderResourceView* const* views) {
    if (auto* c = immediate()) c->PSSetShaderResources(first, count, views);
}
void D3D11DeviceContext_RSSetState(gpu::ID3D11RasterizerState* state) {
    if (auto* c = immediate()) c->RSSetState(state);
}
void D3D11DeviceContext_RSSetViewports(UINT count, const gpu::D3D11_VIEWPORT* viewports) {
    if (auto* c = immediate()) c->RSSetViewports(count, viewports);
}
void D3D11DeviceContext_ResolveSubresource(gpu::ID3D11Resource* dst, UINT dstSub, gpu::ID3D11Resource* src,
                                           UINT srcSub, gpu::DXGI_FORMAT format) {
    if (auto* c = immediate()) c->ResolveSubresource(dst, dstSub, src, srcSub, format);
}
void D3D11DeviceContext_CopyResource(gpu::ID3D11Resource* dst, gpu::ID3D11Resource* src) {
    if (auto* c = immediate()) c->CopyResource(dst, src);
}
void D3D11DeviceContext_CopySubresourceRegion(gpu::ID3D11Resource* dst, UINT dstSub, UINT dstX, UINT dstY,
                                              gpu::ID3D11Resource* src, UINT srcSub, const gpu::D3D11_BOX* srcBox) {
    if (auto* c = immediate()) c->CopySubresourceRegion(dst, dstSub, dstX, dstY, 0, src, srcSub, srcBox);
}
void D3D11DeviceContext_VSSetConstantBuffers(UINT first, UINT count, gpu::ID3D11Buffer* const* buffers) {
    if (auto* c = immediate()) c->VSSetConstantBuffers(first, count, buffers);
}
void D3D11DeviceContext_VSSetShader(gpu::ID3D11VertexShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->VSSetShader(shader, instances, count);
}
void D3D11DeviceContext_CSSetShader(gpu::ID3D11ComputeShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->CSSetShader(shader, instances, count);
}
void D3D11DeviceContext_DSSetShader(gpu::ID3D11DomainShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->DSSetShader(shader, instances, count);
}
void D3D11DeviceContext_GSSetShader(gpu::ID3D11GeometryShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->GSSetShader(shader, instances, count);
}
void D3D11DeviceContext_HSSetShader(gpu::ID3D11HullShader* shader, gpu::ID3D11ClassInstance* const* instances,
                                    UINT count) {
    if (auto* c = immediate()) c->HSSetShader(shader, instances, count);
}

// ---- DXGI

HRESULT DXGIFactory_EnumAdapters(UINT index, gpu::IDXGIAdapter** adapter) {
    if (D3D11Sys.factory == nullptr) return plat::win::E_FAIL;
    return D3D11Sys.factory->EnumAdapters(index, adapter);
}
HRESULT DXGIFactory_MakeWindowAssociation(plat::win::HWND window, UINT flags) {
    if (D3D11Sys.factory == nullptr) return plat::win::E_FAIL;
    return D3D11Sys.factory->MakeWindowAssociation(window, flags);
}
HRESULT DXGIFactory_CreateSwapChain(gpu::DXGI_SWAP_CHAIN_DESC* desc, gpu::IDXGISwapChain** chain) {
    if (D3D11Sys.factory == nullptr || D3D11Sys.device == nullptr) return plat::win::E_FAIL;
    return D3D11Sys.factory->CreateSwapChain(D3D11Sys.device, desc, chain);
}
HRESULT DXGIAdapter_EnumOutputs(gpu::IDXGIAdapter* adapter, UINT index, gpu::IDXGIOutput** output) {
    return adapter->EnumOutputs(index, output);
}
HRESULT DXGIAdapter_GetDesc(gpu::IDXGIAdapter* adapter, gpu::DXGI_ADAPTER_DESC* desc) { return adapter->GetDesc(desc); }
HRESULT DXGIOutput_GetDesc(gpu::IDXGIOutput* output, gpu::DXGI_OUTPUT_DESC* desc) { return output->GetDesc(desc); }
HRESULT DXGIOutput_WaitForVBlank(gpu::IDXGIOutput* output) { return output->WaitForVBlank(); }
HRESULT DXGISwapChain_GetContainingOutput(gpu::IDXGISwapChain* chain, gpu::IDXGIOutput** output) {
    return chain->GetContainingOutput(output);
}
HRESULT DXGISwapChain_GetDesc(gpu::IDXGISwapChain* chain, gpu::DXGI_SWAP_CHAIN_DESC* desc) {
    return chain->GetDesc(desc);
}
HRESULT DXGISwapChain_Present(gpu::IDXGISwapChain* chain, UINT syncInterval, UINT flags) {
    return chain->Present(syncInterval, flags);
}
HRESULT DXGISwapChain_ResizeBuffers(gpu::IDXGISwapChain* chain, UINT count, UINT width, UINT height,
                                    gpu::DXGI_FORMAT format, UINT flags) {
    return chain->ResizeBuffers(count, width, height, format, flags);
}
HRESULT DXGISwapChain_SetFullscreenState(gpu::IDXGISwapChain* chain, gpu::BOOL fullscreen, gpu::IDXGIOutput* output) {
    return chain->SetFullscreenState(fullscreen, output);
}
void D3D11Texture2D_GetDesc(gpu::ID3D11Texture2D* texture, gpu::D3D11_TEXTURE2D_DESC* desc) { texture->GetDesc(desc); }

int D3D11_ReleaseDeviceObjects() {
    D3D11Objects& s = D3D11Sys;
    if (s.context != nullptr) {
        s.context->ClearState();
        s.context->Flush();
        s.context->Release();
        s.context = nullptr;
    }
    if (s.dxgiDevice != nullptr) s.dxgiDevice->Release();
    s.dxgiDevice = nullptr;
    if (s.device != nullptr) s.device->Release();
    s.device = nullptr;
    if (s.adapter != nullptr) s.adapter->Release();
    s.adapter = nullptr;
    DXGI_ReleaseFactory();
    return 0;
}

int D3D11Device_IsValid() { return D3D11Sys.device != nullptr ? 1 : 0; }

void D3D11_OutputObjectCount() {
    LogAddTextUtf16(u"Direct3D11 のオブジェクト数を出力\n");
    int total = 0;
    for (int kind = 0; kind < kD3D11ObjectKinds; ++kind) {
        // A kind released more often than made is a fault elsewhere; it is neither shown nor summed.
        if (D3D11Sys.counters[kind] <= 0) continue;
        LogFormatUtf16(u"%S : %d", kKindNames[kind], D3D11Sys.counters[kind]);
        total += D3D11Sys.counters[kind];
    }
    LogFormatUtf16(u"Direct3D11 のオブジェクト合計数 : %d", total);
}

}  // namespace ZaDod
