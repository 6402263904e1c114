// The Direct3D 11 back end's swap chains: one slot per window (256 at most), their back
// buffers and views, resizing and release.
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {

D3D11SwapChains D3D11SwapChainSys{};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

void releaseBuffers(D3D11SwapChain& slot) {
    D3D11_ReleaseAndClear(slot.srv, [](ID3D11ShaderResourceView* v) { D3D11ShaderResourceView_Release(v); });
    D3D11_ReleaseAndClear(slot.rtv, [](ID3D11RenderTargetView* v) { D3D11RenderTargetView_Release(v); });
    D3D11_ReleaseAndClear(slot.backBuffer, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
}

void releaseSlot(D3D11SwapChain& slot) {
    releaseBuffers(slot);
    if (slot.output != nullptr) Direct3D_ReleaseObject(slot.output);
    if (slot.chain != nullptr) Direct3D_ReleaseObject(slot.chain);
    slot = D3D11SwapChain{};
}

}  // namespace

int Graphics_D3D11_CreateSwapChain(plat::win::HWND window, int screenSizeFlag) {
    D3D11SwapChains& sc = D3D11SwapChainSys;
    int index = -1;
    for (int i = 0; i < kD3D11MaxSwapChains; ++i)
        if (sc.slots[i].used && sc.slots[i].desc.OutputWindow == window) return i;
    if (sc.count >= kD3D11MaxSwapChains) return -1;
    for (int i = 0; i < kD3D11MaxSwapChains && index < 0; ++i)
        if (!sc.slots[i].used) index = i;
    if (index < 0) return -1;
    D3D11SwapChain& slot = sc.slots[index];

    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferDesc.RefreshRate = {UINT(GraphicsSys.refreshRate != 0 ? GraphicsSys.refreshRate : 60), 1};
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.BufferUsage = DXGI_USAGE_SHADER_INPUT | DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.OutputWindow = window;
    desc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    desc.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
    desc.Windowed = 1;
    if (screenSizeFlag == 0) {
        plat::win::RECT client{};
        plat::win::GetClientRect(window, &client);
        desc.BufferDesc.Width = UINT(client.right - client.left);
        desc.BufferDesc.Height = UINT(client.bottom - client.top);
        LogAddTextUtf16(u"[ウインドウモード] ");
    } else if (GetWindowModeFlag()) {
        desc.BufferDesc.Width = UINT(GraphicsSys.width);
        desc.BufferDesc.Height = UINT(GraphicsSys.height);
        LogFormatUtf16(u"[ウインドウモード %dx%d]", GraphicsSys.width, GraphicsSys.height);
    } else {
        SetupFullScreenDisplayMode();
        desc.BufferDesc.Width = UINT(GraphicsSys.fullScreenMode.width);
        desc.BufferDesc.Height = UINT(GraphicsSys.fullScreenMode.height);
        desc.Windowed = 0;
        sc.madeFullScreen = 1;
        LogFormatUtf16(u"[フルスクリーンモード %dx%d]", GraphicsSys.fullScreenMode.width,
                       GraphicsSys.fullScreenMode.height);
    }
    int count = GraphicsSys.screenMultiSampleCount, quality = GraphicsSys.screenMultiSampleQuality;
    if (count >= 2 && D3D11Sys.featureLevel >= D3D_FEATURE_LEVEL_10_0) {
        D3D11Device_CheckMultiSampleParam(DXGI_FORMAT_R8G8B8A8_UNORM, &count, &quality, 0);
    } else {
        count = 1;
        quality = 0;
    }
    GraphicsSys.screenMultiSampleCount = count;
    GraphicsSys.screenMultiSampleQuality = quality;
    desc.SampleDesc = {UINT(count), UINT(quality)};

    LogAddTextUtf16(u"IDXGISwapChain を作成します.... ");
    if (DXGIFactory_CreateSwapChain(&desc, &slot.chain) != S_OK || slot.chain == nullptr) {
        LogAddTextUtf16(u"失敗\n");
        releaseSlot(slot);
        return -1;
    }
    DXGIFactory_MakeWindowAssociation(window, DXGI_MWA_NO_WINDOW_CHANGES | DXGI_MWA_NO_ALT_ENTER);
    LogAddTextUtf16(u"成功\n");
    DXGISwapChain_GetDesc(slot.chain, &slot.desc);
    LogAddTextUtf16(u"IDXGIOutput を取得します.... ");
    if (DXGISwapChain_GetContainingOutput(slot.chain, &slot.output) != S_OK) {
        LogAddTextUtf16(u"失敗\n");
        releaseSlot(slot);
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    if (Graphics_D3D11_SwapChain_SetupBuffers(index) < 0) {
        releaseSlot(slot);
        return -1;
    }
    slot.used = 1;
    ++sc.count;
    return index;
}

int Graphics_D3D11_SwapChain_SetupBuffers(int index) {
    if (index < 0 || index >= kD3D11MaxSwapChains) return -1;
    D3D11SwapChain& slot = D3D11SwapChainSys.slots[index];
    if (DXGISwapChain_GetBuffer(slot.chain, 0, &slot.backBuffer) != S_OK) {
        LogAddTextUtf16(u"スワップチェインのバッファの ID3D11Texture2D の取得に失敗しました\n");
        return -1;
    }
    D3D11Texture2D_GetDesc(slot.backBuffer, &slot.backBufferDesc);
    // Shaders read no samples: a multisampled back buffer has no shader view.
    if (slot.backBufferDesc.SampleDesc.Count == 1 &&
        D3D11Device_CreateShaderResourceView(slot.backBuffer, nullptr, &slot.srv) != S_OK) {
        LogAddTextUtf16(u"スワップチェインのバッファの ID3D11ShaderResourceView の作成に失敗しました\n");
        return -1;
    }
    if (D3D11Device_CreateRenderTargetView(slot.backBuffer, nullptr, &slot.rtv) != S_OK) {
        LogAddTextUtf16(u"スワップチェインのバッファの ID3D11RenderTargetView の作成に失敗しました\n");
        return -1;
    }
    return 0;
}

int Graphics_D3D11_SwapChain_ResizeBuffers(int index, int width, int height) {
    if (index < 0 || index >= kD3D11MaxSwapChains) return -1;
    D3D11SwapChain& slot = D3D11SwapChainSys.slots[index];
    int boundAt = -1;
    for (int i = 0; i < 8 && boundAt < 0; ++i)
        if (slot.backBuffer != nullptr && D3D11State.targetTexture[i] == slot.backBuffer) boundAt = i;
    if (boundAt >= 0) Graphics_D3D11_DeviceState_SetRenderTarget(nullptr, nullptr, boundAt);
    releaseBuffers(slot);
    if (DXGISwapChain_ResizeBuffers(slot.chain, 2, UINT(width), UINT(height), DXGI_FORMAT_R8G8B8A8_UNORM, 0) != S_OK) {
        LogAddTextUtf16(u"バックバッファのサイズ変更に失敗しました\n");
        return -1;
    }
    if (Graphics_D3D11_SwapChain_SetupBuffers(index) < 0) return -1;
    if (boundAt >= 0) Graphics_D3D11_DeviceState_SetRenderTarget(slot.backBuffer, slot.rtv, boundAt);
    return 0;
}

int Graphics_D3D11_SwapChain_Release(plat::win::HWND window, int index) {
    D3D11SwapChains& sc = D3D11SwapChainSys;
    if (window != nullptr) {
        index = -1;
        for (int i = 0; i < kD3D11MaxSwapChains && index < 0; ++i)
            if (sc.slots[i].used && sc.slots[i].desc.OutputWindow == window) index = i;
        if (index < 0) return -1;
    } else if (index < 0 || index >= kD3D11MaxSwapChains || !sc.slots[index].used) {
        return -1;
    }
    releaseSlot(sc.slots[index]);
    --sc.count;
    return 0;
}

}  // namespace ZaDod
