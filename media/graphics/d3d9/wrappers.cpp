// The Direct3D 9 device's call wrappers: each supplies the device, returns what the method
// returns, and the posting ones run a loading worker's call on the main thread.
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/d3d9/d3d9_tiled.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
namespace win = plat::win;

IDirect3DDevice9* device() { return D3D9Sys.device; }

// The vertices a non-indexed draw of `primitives` primitives reads.
UINT drawnVertices(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
        case D3DPT_LINELIST: return primitives * 2;
        case D3DPT_LINESTRIP: return primitives + 1;
        case D3DPT_TRIANGLELIST: return primitives * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return primitives + 2;
        default: return primitives;
    }
}

}  // namespace

int Direct3DDevice9_IsValid() { return D3D9Sys.device != nullptr ? 1 : 0; }

int Direct3DDevice9_TestCooperativeLevel() { return device()->TestCooperativeLevel() != D3D_OK ? 1 : 0; }

int Direct3DDevice9_Release() {
    if (D3D9Sys.swapChain != nullptr) D3D9Sys.swapChain->Release();
    D3D9Sys.swapChain = nullptr;
    if (D3D9Sys.device != nullptr) {
        LogAddTextUtf16(u"Direct3DDevice9 の解放 2\n");
        D3D9Sys.device->Release();
        D3D9Sys.device = nullptr;
    }
    D3D9Sys.deviceEx = nullptr;
    return 0;
}

int Direct3DDevice9_SetDialogBoxMode(int flag) { return device()->SetDialogBoxMode(flag); }

HRESULT Direct3DDevice9_BeginScene() { return device()->BeginScene(); }
HRESULT Direct3DDevice9_EndScene() { return device()->EndScene(); }

HRESULT Direct3DDevice9_Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                              DWORD stencil) {
    // A target of several tiles is cleared tile by tile (its depth goes with the first).
    if (D3D9_TiledTarget() != nullptr && (flags & D3DCLEAR_TARGET))
        return D3D9_ClearTiled(device(), count, rects, flags, colour, z, stencil);
    return device()->Clear(count, rects, flags, colour, z, stencil);
}

HRESULT Direct3DDevice9_Present(const win::RECT* source, const win::RECT* dest, win::HWND window,
                                const void* dirty) {
    return device()->Present(source, dest, window, dirty);
}

HRESULT Direct3DDevice9_GetSwapChain(UINT index, IDirect3DSwapChain9** chain) {
    return device()->GetSwapChain(index, chain);
}

HRESULT Direct3DDevice9_SetMaximumFrameLatency(UINT frames) {
    return D3D9Sys.deviceEx->SetMaximumFrameLatency(frames);
}

HRESULT Direct3DSwapChain9_Present(IDirect3DSwapChain9* chain, const win::RECT* source, const win::RECT* dest,
                                   win::HWND window, const void* dirty, DWORD flags) {
    return chain->Present(source, dest, window, dirty, flags);
}

HRESULT Direct3DDevice9_ColorFill(IDirect3DSurface9* surface, const win::RECT* rect, D3DCOLOR colour,
                                  int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return device()->ColorFill(surface, rect, colour); });
}

HRESULT Direct3DDevice9_CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                          IDirect3DCubeTexture9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread,
                          [&] { return device()->CreateCubeTexture(edge, levels, usage, format, pool, out, nullptr); });
}

HRESULT Direct3DDevice9_CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                  D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL discard,
                                                  IDirect3DSurface9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] {
        return device()->CreateDepthStencilSurface(width, height, format, ms, quality, discard, out, nullptr);
    });
}

int Direct3DDevice9_CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** out, int ASyncThread) {
    if (device() == nullptr) return -1;
    const HRESULT result = D3D9_RunPosted(
        ASyncThread, [&] { return device()->CreateIndexBuffer(length, usage, format, pool, out, nullptr); });
    return result == D3D_OK ? 0 : -1;
}

int Direct3DDevice9_CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** out, int ASyncThread) {
    if (device() == nullptr) return -1;
    const HRESULT result = D3D9_RunPosted(
        ASyncThread, [&] { return device()->CreateVertexBuffer(length, usage, fvf, pool, out, nullptr); });
    return result == D3D_OK ? 0 : -1;
}

HRESULT Direct3DDevice9_CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                    IDirect3DSurface9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] {
        return device()->CreateOffscreenPlainSurface(width, height, format, pool, out, nullptr);
    });
}

HRESULT Direct3DDevice9_CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return device()->CreatePixelShader(function, out); });
}

HRESULT Direct3DDevice9_CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return device()->CreateVertexShader(function, out); });
}

HRESULT Direct3DDevice9_CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms,
                                           DWORD quality, BOOL lockable, IDirect3DSurface9** out,
                                           int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] {
        return device()->CreateRenderTarget(width, height, format, ms, quality, lockable, out, nullptr);
    });
}

HRESULT Direct3DDevice9_CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                      D3DPOOL pool, IDirect3DTexture9** out, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] {
        return device()->CreateTexture(width, height, levels, usage, format, pool, out, nullptr);
    });
}

HRESULT Direct3DDevice9_CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                IDirect3DVertexDeclaration9** out) {
    return device()->CreateVertexDeclaration(elements, out);
}

HRESULT Direct3DDevice9_DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices,
                                               UINT primitives, const void* indices, D3DFORMAT indexFormat,
                                               const void* data, UINT stride) {
    if (D3D9_TiledTarget() != nullptr)
        return D3D9_DrawTiled(device(), data, minIndex + vertices, stride, [&](const void* d) {
            return device()->DrawIndexedPrimitiveUP(type, minIndex, vertices, primitives, indices, indexFormat, d,
                                                    stride);
        });
    return device()->DrawIndexedPrimitiveUP(type, minIndex, vertices, primitives, indices, indexFormat, data,
                                            stride);
}

HRESULT Direct3DDevice9_DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride) {
    if (D3D9_TiledTarget() != nullptr)
        return D3D9_DrawTiled(device(), data, drawnVertices(type, primitives), stride,
                              [&](const void* d) { return device()->DrawPrimitiveUP(type, primitives, d, stride); });
    return device()->DrawPrimitiveUP(type, primitives, data, stride);
}

HRESULT Direct3DDevice9_GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** out) {
    return device()->GetBackBuffer(chain, index, type, out);
}

HRESULT Direct3DDevice9_GetDepthStencilSurface(IDirect3DSurface9** out) {
    return device()->GetDepthStencilSurface(out);
}

HRESULT Direct3DDevice9_GetDeviceCaps(D3DCAPS9* caps) { return device()->GetDeviceCaps(caps); }
HRESULT Direct3DDevice9_GetMaterial(D3DMATERIAL9* material) { return device()->GetMaterial(material); }

HRESULT Direct3DDevice9_GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) {
    return device()->GetRenderTargetData(target, dest);
}

HRESULT Direct3DDevice9_LightEnable(DWORD index, BOOL enable) { return device()->LightEnable(index, enable); }

HRESULT Direct3DDevice9_SetDepthStencilSurface(IDirect3DSurface9* surface) {
    return device()->SetDepthStencilSurface(surface);
}

HRESULT Direct3DDevice9_SetFVF(DWORD fvf) { return device()->SetFVF(fvf); }
HRESULT Direct3DDevice9_SetIndices(IDirect3DIndexBuffer9* buffer) { return device()->SetIndices(buffer); }
HRESULT Direct3DDevice9_SetLight(DWORD index, const D3DLIGHT9* light) { return device()->SetLight(index, light); }
HRESULT Direct3DDevice9_SetMaterial(const D3DMATERIAL9* material) { return device()->SetMaterial(material); }
HRESULT Direct3DDevice9_SetPixelShader(IDirect3DPixelShader9* shader) { return device()->SetPixelShader(shader); }

HRESULT Direct3DDevice9_SetPixelShaderConstantB(UINT first, const BOOL* data, UINT count) {
    return device()->SetPixelShaderConstantB(first, data, count);
}
HRESULT Direct3DDevice9_SetPixelShaderConstantF(UINT first, const float* data, UINT count) {
    return device()->SetPixelShaderConstantF(first, data, count);
}
HRESULT Direct3DDevice9_SetPixelShaderConstantI(UINT first, const int* data, UINT count) {
    return device()->SetPixelShaderConstantI(first, data, count);
}

HRESULT Direct3DDevice9_SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return device()->SetRenderState(state, value);
}

HRESULT Direct3DDevice9_SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
    return device()->SetRenderTarget(index, target);
}

HRESULT Direct3DDevice9_SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    return device()->SetSamplerState(sampler, type, value);
}

// While the target has several tiles, the device keeps the part of the area on the first
// tile; the per-tile draws set each tile's part.
HRESULT Direct3DDevice9_SetScissorRect(const win::RECT* rect) {
    if (D3D9_TiledTarget() != nullptr && rect != nullptr) {
        const win::RECT first = D3D9_FirstTileScissor(*rect);
        device()->SetScissorRect(&first);
        return D3D_OK;
    }
    return device()->SetScissorRect(rect);
}

HRESULT Direct3DDevice9_SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    return device()->SetStreamSource(stream, buffer, offset, stride);
}

HRESULT Direct3DDevice9_SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    return device()->SetTexture(stage, texture);
}

HRESULT Direct3DDevice9_SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    return device()->SetTextureStageState(stage, type, value);
}

HRESULT Direct3DDevice9_SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    const HRESULT hr = device()->SetTransform(state, matrix);
    if (hr == D3D_OK && state == D3DTS_PROJECTION && matrix != nullptr) D3D9_NoteProjection(*matrix);
    return hr;
}

HRESULT Direct3DDevice9_SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    return device()->SetVertexDeclaration(declaration);
}

HRESULT Direct3DDevice9_SetVertexShader(IDirect3DVertexShader9* shader) { return device()->SetVertexShader(shader); }

HRESULT Direct3DDevice9_SetVertexShaderConstantB(UINT first, const BOOL* data, UINT count) {
    return device()->SetVertexShaderConstantB(first, data, count);
}
HRESULT Direct3DDevice9_SetVertexShaderConstantF(UINT first, const float* data, UINT count) {
    const HRESULT hr = device()->SetVertexShaderConstantF(first, data, count);
    if (hr == D3D_OK && data != nullptr) D3D9_NoteVertexConstants(first, data, count);
    return hr;
}
HRESULT Direct3DDevice9_SetVertexShaderConstantI(UINT first, const int* data, UINT count) {
    return device()->SetVertexShaderConstantI(first, data, count);
}

HRESULT Direct3DDevice9_SetViewport(const D3DVIEWPORT9* viewport) {
    if (D3D9_TiledTarget() != nullptr && viewport != nullptr) {
        const D3DVIEWPORT9 first = D3D9_FirstTileViewport(*viewport);
        device()->SetViewport(&first);
        return D3D_OK;
    }
    return device()->SetViewport(viewport);
}

HRESULT Direct3DDevice9_StretchRect(IDirect3DSurface9* source, const win::RECT* sourceRect, IDirect3DSurface9* dest,
                                    const win::RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
    return device()->StretchRect(source, sourceRect, dest, destRect, filter);
}

HRESULT Direct3DDevice9_UpdateSurface(IDirect3DSurface9* source, const win::RECT* sourceRect, IDirect3DSurface9* dest,
                                      const win::POINT* destPoint, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return device()->UpdateSurface(source, sourceRect, dest, destPoint); });
}

HRESULT Direct3DDevice9_UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest, int ASyncThread) {
    return D3D9_RunPosted(ASyncThread, [&] { return device()->UpdateTexture(source, dest); });
}

}  // namespace ZaDod
