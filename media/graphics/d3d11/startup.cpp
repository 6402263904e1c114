// Direct3D 11 start-up in its fixed order, the objects the back end makes for itself
// (standard vertex buffer, depth buffer, sub back buffer, simple-copy states), shut-down,
// and re-creation around a screen-mode change.
#include <cfloat>

#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "media/graphics/d3d11/d3d11_filter.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/d3d11/d3d11_shadow_map.h"
#include "media/graphics/d3d11/d3d11_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/light.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"

namespace ZaDod {

D3D11Backend D3D11BackendSys{};

namespace {

using namespace plat::gpu;
using plat::win::S_OK;

// Depth-buffer bits asked for: 16 (index 0), 24 (1), 32 (2).
int depthIndex(int bits) { return bits == 24 ? 1 : bits == 32 ? 2 : 0; }

// The screen's sample description (the swap chain wrote back what it used).
void multisample(int* count, int* quality) {
    *count = GraphicsSys.screenMultiSampleCount;
    *quality = GraphicsSys.screenMultiSampleQuality;
    if (*count >= 2 && D3D11Sys.featureLevel >= D3D_FEATURE_LEVEL_10_0) {
        D3D11Device_CheckMultiSampleParam(DXGI_FORMAT_R8G8B8A8_UNORM, count, quality, 0);
    } else {
        *count = 1;
        *quality = 0;
    }
}

D3D11_SAMPLER_DESC copySampler(D3D11_FILTER filter) {
    D3D11_SAMPLER_DESC d{};
    d.Filter = filter;
    d.AddressU = d.AddressV = d.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
    d.MaxAnisotropy = 16;
    d.ComparisonFunc = D3D11_COMPARISON_ALWAYS;
    d.MinLOD = -FLT_MAX;
    d.MaxLOD = FLT_MAX;
    return d;
}

D3D11_BLEND_DESC copyBlend(bool alpha) {
    D3D11_BLEND_DESC d{};
    for (auto& t : d.RenderTarget) {
        t.BlendEnable = alpha ? 1 : 0;
        t.SrcBlend = t.SrcBlendAlpha = alpha ? D3D11_BLEND_SRC_ALPHA : D3D11_BLEND_ONE;
        t.DestBlend = t.DestBlendAlpha = alpha ? D3D11_BLEND_INV_SRC_ALPHA : D3D11_BLEND_ZERO;
        t.BlendOp = t.BlendOpAlpha = D3D11_BLEND_OP_ADD;
        t.RenderTargetWriteMask = 15;
    }
    return d;
}

void releaseStretchRectStates() {
    D3D11Backend& b = D3D11BackendSys;
    D3D11_ReleaseAndClear(b.copyBlend, D3D11BlendState_Release);
    D3D11_ReleaseAndClear(b.copyAlphaBlend, D3D11BlendState_Release);
    D3D11_ReleaseAndClear(b.pointSampler, D3D11SamplerState_Release);
    D3D11_ReleaseAndClear(b.linearSampler, D3D11SamplerState_Release);
    D3D11_ReleaseAndClear(b.copyRasterizer, D3D11RasterizerState_Release);
    D3D11_ReleaseAndClear(b.copyDepthStencil, D3D11DepthStencilState_Release);
}

void releaseSubBackBuffer() {
    D3D11Backend& b = D3D11BackendSys;
    D3D11_ReleaseAndClear(b.subBackBufferSrv, D3D11ShaderResourceView_Release);
    D3D11_ReleaseAndClear(b.subBackBufferRtv, D3D11RenderTargetView_Release);
    D3D11_ReleaseAndClear(b.subBackBuffer, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
    D3D11_ReleaseAndClear(b.subBackBufferResolved, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
}

void releaseDepthBuffer() {
    D3D11Backend& b = D3D11BackendSys;
    D3D11_ReleaseAndClear(b.depthView, [](ID3D11DepthStencilView* v) { D3D11DepthStencilView_Release(v); });
    D3D11_ReleaseAndClear(b.depthTexture, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
}

}  // namespace

int Graphics_D3D11_Initialize() {
    if (Graphics_D3D11_Device_Initialize() != -1) return 0;
    // Nothing will draw with the shader code after a failed start.
    Graphics_D3D11_ShaderCode_FreePackages();
    return -1;
}

int Graphics_D3D11_Device_Initialize() {
    // A failed start (or re-creation) must not leave the front believing a device exists.
    D3D11BackendSys.deviceReady = 0;
    GraphicsSys.hardware = 0;
    if (D3D11_LoadDLL() < 0 || DXGI_LoadDLL() < 0 || Graphics_D3D11_Device_Create() != 0 ||
        Graphics_D3D11_CreateStandardVertexBuffer() < 0 || Graphics_D3D11_CreateDepthBuffer() < 0 ||
        Graphics_D3D11_Shader_Initialize() < 0 || Graphics_D3D11_CreateShaderConstantBuffers() < 0 ||
        Graphics_D3D11_CreateInputLayouts() < 0 ||
        (!GetWindowModeFlag() && Graphics_D3D11_SubBackBuffer_Setup() < 0) ||
        Graphics_D3D11_SetupStretchRectStates() < 0) {
        Graphics_D3D11_Device_Terminate();
        return -1;
    }
    D3D11BackendSys.deviceReady = 1;
    GraphicsSys.hardware = 1;
    return 0;
}

int Graphics_D3D11_CreateStandardVertexBuffer() {
    LogAddTextUtf16(u"標準描画用の頂点バッファの作成.... ");
    const D3D11_BUFFER_DESC desc{65536, D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER, D3D11_CPU_ACCESS_WRITE, 0, 0};
    if (D3D11Device_CreateBuffer(&desc, nullptr, &D3D11BackendSys.standardVertexBuffer) != S_OK) {
        LogAddTextUtf16(u"失敗\n");
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_CreateDepthBuffer() {
    D3D11Backend& b = D3D11BackendSys;
    if (!D3D11Device_IsValid()) return -1;
    releaseDepthBuffer();
    LogAddTextUtf16(u"深度バッファを作成します.... ");
    b.depthWidth = GraphicsSys.width;
    b.depthHeight = GraphicsSys.height;
    const int index = b.depthBitsRequest == 0 ? 0 : depthIndex(b.depthBitsRequest);
    b.depthBits = index == 0 ? 16 : index == 1 ? 24 : 32;
    int count = 0, quality = 0;
    multisample(&count, &quality);
    const D3D11_TEXTURE2D_DESC desc{UINT(b.depthWidth),
                                    UINT(b.depthHeight),
                                    1,
                                    1,
                                    D3D11FormatSys.depthTexture[index],
                                    {UINT(count), UINT(quality)},
                                    D3D11_USAGE_DEFAULT,
                                    D3D11_BIND_DEPTH_STENCIL,
                                    0,
                                    0};
    if (D3D11Device_CreateTexture2D(&desc, nullptr, &b.depthTexture) != S_OK) {
        LogAddTextUtf16(u"深度バッファ用 Texture2D の作成に失敗しました\n");
        return -1;
    }
    D3D11_DEPTH_STENCIL_VIEW_DESC view{};
    view.Format = D3D11FormatSys.depthView[index];
    view.ViewDimension = count < 2 ? D3D11_DSV_DIMENSION_TEXTURE2D : D3D11_DSV_DIMENSION_TEXTURE2DMS;
    if (D3D11Device_CreateDepthStencilView(b.depthTexture, &view, &b.depthView) != S_OK) {
        LogAddTextUtf16(u"深度バッファ用 DepthStencilView の作成に失敗しました\n");
        return -1;
    }
    Graphics_D3D11_DeviceState_SetDepthBuffer(b.depthTexture, b.depthView);
    D3D11DeviceContext_ClearDepthStencilView(b.depthView, D3D11_CLEAR_DEPTH, 1.0f, 0);
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_SubBackBuffer_Setup() {
    D3D11Backend& b = D3D11BackendSys;
    if (b.subBackBuffer != nullptr) return 0;
    if (!D3D11Device_IsValid()) return -1;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    const int width = GraphicsSys.width, height = GraphicsSys.height;
    int count = 0, quality = 0;
    multisample(&count, &quality);
    const D3D11_TEXTURE2D_DESC desc{UINT(width),
                                    UINT(height),
                                    1,
                                    1,
                                    DXGI_FORMAT_R8G8B8A8_UNORM,
                                    {UINT(count), UINT(quality)},
                                    D3D11_USAGE_DEFAULT,
                                    D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET,
                                    0,
                                    0};
    if (D3D11Device_CreateTexture2D(&desc, nullptr, &b.subBackBuffer) != S_OK) {
        LogFormatUtf16(u"サブバックバッファ用テクスチャの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d ", 28, width,
                       height);
        return -1;
    }
    D3D11_RENDER_TARGET_VIEW_DESC rtv{};
    rtv.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    rtv.ViewDimension = count < 2 ? D3D11_RTV_DIMENSION_TEXTURE2D : D3D11_RTV_DIMENSION_TEXTURE2DMS;
    if (D3D11Device_CreateRenderTargetView(b.subBackBuffer, &rtv, &b.subBackBufferRtv) != S_OK) {
        LogFormatUtf16(u"サブバックバッファ用レンダーターゲットビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d ",
                       28, width, height);
        releaseSubBackBuffer();
        return -1;
    }
    D3D11_SHADER_RESOURCE_VIEW_DESC srv{};
    srv.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    srv.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    srv.Texture2D = {0, 1};
    // Samples are not read by shaders: a multisampled sub back buffer is read through a
    // single-sample texture that takes its resolve.
    if (count >= 2) {
        D3D11_TEXTURE2D_DESC plain = desc;
        plain.SampleDesc = {1, 0};
        plain.BindFlags = D3D11_BIND_SHADER_RESOURCE;
        if (D3D11Device_CreateTexture2D(&plain, nullptr, &b.subBackBufferResolved) != S_OK) {
            LogFormatUtf16(u"サブバックバッファ用テクスチャの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d ", 28,
                           width, height);
            releaseSubBackBuffer();
            return -1;
        }
    }
    if (D3D11Device_CreateShaderResourceView(count >= 2 ? b.subBackBufferResolved : b.subBackBuffer, &srv,
                                             &b.subBackBufferSrv) != S_OK) {
        LogFormatUtf16(
            u"サブバックバッファ用シェーダーリソースビューの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d ", 28,
            width, height);
        releaseSubBackBuffer();
        return -1;
    }
    b.subBackBufferWidth = width;
    b.subBackBufferHeight = height;
    // What was drawn so far moves over, and the back buffer starts empty.
    D3D11SwapChain& chain = D3D11SwapChainSys.slots[0];
    if (chain.backBuffer != nullptr) {
        const int w = width < int(chain.backBufferDesc.Width) ? width : int(chain.backBufferDesc.Width);
        const int h = height < int(chain.backBufferDesc.Height) ? height : int(chain.backBufferDesc.Height);
        const plat::win::RECT r{0, 0, w, h};
        // (a multisampled back buffer has no view to read it through and starts over)
        if (chain.srv != nullptr)
            Graphics_D3D11_StretchRect(chain.backBuffer, chain.srv, &r, b.subBackBuffer, b.subBackBufferRtv, &r);
        const float clear[4] = {0, 0, 0, 0};
        D3D11DeviceContext_ClearRenderTargetView(chain.rtv, clear);
    }
    const int force = D3D11State.force;
    D3D11State.force = 1;
    Graphics_D3D11_DeviceState_SetRenderTarget(b.subBackBuffer, b.subBackBufferRtv, 0);
    D3D11State.force = force;
    return 0;
}

int Graphics_D3D11_SetupSubBackBuffer(int) {
    if (GetWindowModeFlag()) return 0;
    Graphics_D3D11_SubBackBuffer_Setup();
    return 0;
}

int Graphics_D3D11_SetupStretchRectStates() {
    D3D11Backend& b = D3D11BackendSys;
    LogAddTextUtf16(u"画像の単純転送処理の初期化... ");
    const D3D11_BLEND_DESC copy = copyBlend(false), alpha = copyBlend(true);
    if (b.copyBlend == nullptr && D3D11Device_CreateBlendState(&copy, &b.copyBlend) != S_OK) {
        LogAddTextUtf16(u"単純転送用の ID3D11BlendState の作成に失敗しました\n");
        return -1;
    }
    if (b.copyAlphaBlend == nullptr && D3D11Device_CreateBlendState(&alpha, &b.copyAlphaBlend) != S_OK) {
        LogAddTextUtf16(u"単純アルファブレンド転送用の ID3D11BlendState の作成に失敗しました\n");
        return -1;
    }
    const D3D11_SAMPLER_DESC point = copySampler(D3D11_FILTER_MIN_MAG_MIP_POINT);
    const D3D11_SAMPLER_DESC linear = copySampler(D3D11_FILTER_MIN_MAG_LINEAR_MIP_POINT);
    if (b.pointSampler == nullptr && D3D11Device_CreateSamplerState(&point, &b.pointSampler) != S_OK) {
        LogAddTextUtf16(u"最近点サンプリング単純転送用の ID3D11SamplerState の作成に失敗しました\n");
        return -1;
    }
    if (b.linearSampler == nullptr && D3D11Device_CreateSamplerState(&linear, &b.linearSampler) != S_OK) {
        LogAddTextUtf16(u"バイリニア補間単純転送用の ID3D11SamplerState の作成に失敗しました\n");
        return -1;
    }
    const D3D11_RASTERIZER_DESC raster{D3D11_FILL_SOLID, D3D11_CULL_BACK, 0, 0, 0.0f, 0.0f, 1, 0, 0, 0};
    if (b.copyRasterizer == nullptr && D3D11Device_CreateRasterizerState(&raster, &b.copyRasterizer) != S_OK) {
        LogAddTextUtf16(u"単純転送用の ID3D11RasterizerState の作成に失敗しました\n");
        return -1;
    }
    const D3D11_DEPTH_STENCILOP_DESC face{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                          D3D11_COMPARISON_ALWAYS};
    const D3D11_DEPTH_STENCIL_DESC depth{0, D3D11_DEPTH_WRITE_MASK_ZERO, D3D11_COMPARISON_ALWAYS, 0, 0xFF, 0xFF,
                                         face, face};
    if (b.copyDepthStencil == nullptr && D3D11Device_CreateDepthStencilState(&depth, &b.copyDepthStencil) != S_OK) {
        LogAddTextUtf16(u"単純転送用の ID3D11DepthStencilState の作成に失敗しました\n");
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Graphics_D3D11_ReleaseDeviceObjects() {
    ReleaseMaskScreenResource();
    Graphics_D3D11_ReleaseAllHandleObjects();
    Graphics_D3D11_Device_Terminate();
    return 0;
}

int Graphics_D3D11_ReleaseAllHandleObjects() {
    Graphics_D3D11_ReleaseShadowMaps();
    Graphics_D3D11_ReleaseUserBuffers();
    Graphics_D3D11_ReleaseShaderHandleObjects();
    Graphics_D3D11_ReleaseAllGraphTextures();
    Graphics_D3D11_DeviceState_ClearBindings();
    return 0;
}

int Graphics_D3D11_Device_Terminate() {
    D3D11Backend& b = D3D11BackendSys;
    const bool hadDevice = D3D11Device_IsValid();
    b.deviceReady = 0;
    if (D3D11Batch.mapped != nullptr && b.standardVertexBuffer != nullptr)
        D3D11DeviceContext_Unmap(b.standardVertexBuffer, 0);
    D3D11Batch = D3D11VertexBatch{};
    releaseStretchRectStates();
    Graphics_D3D11_DeviceState_ReleaseBlendStates();
    Graphics_D3D11_DeviceState_ReleaseDepthStencilStates();
    Graphics_D3D11_DeviceState_ReleaseRasterizerStates();
    Graphics_D3D11_DeviceState_ReleaseSamplerStates();
    if (b.commonVertexBuffer != nullptr) D3D11_ReleaseAndClear(b.commonVertexBuffer, D3D11Buffer_Release);
    b.commonVertexBufferSize = 0;
    if (b.commonIndexBuffer != nullptr) D3D11_ReleaseAndClear(b.commonIndexBuffer, D3D11Buffer_Release);
    b.commonIndexBufferSize = 0;
    D3D11_ReleaseAndClear(b.standardVertexBuffer, D3D11Buffer_Release);
    Graphics_D3D11_Texture_ReleaseCommonBuffer();
    if (hadDevice) {
        Graphics_D3D11_ReleaseInputLayouts();
        Graphics_D3D11_Shader_ReleaseBuiltins();
    }
    Graphics_D3D11_ReleaseShaderConstantBuffers();
    D3D11SwapChains& sc = D3D11SwapChainSys;
    if (sc.madeFullScreen && sc.slots[0].chain != nullptr) DXGISwapChain_SetFullscreenState(sc.slots[0].chain, 0, nullptr);
    sc.madeFullScreen = 0;
    releaseDepthBuffer();
    releaseSubBackBuffer();
    if (sc.lockStaging != nullptr) D3D11_ReleaseAndClear(sc.lockStaging, [](ID3D11Texture2D* t) { D3D11Texture2D_Release(t); });
    for (int i = 0; i < kD3D11MaxSwapChains; ++i) Graphics_D3D11_SwapChain_Release(nullptr, i);
    Graphics_D3D11_DeviceState_ClearBindings();
    // The dump only means something when a device existed.
    if (hadDevice) D3D11_OutputObjectCount();
    D3D11_ReleaseDeviceObjects();
    D3D11_FreeDLL();
    DXGI_FreeDLL();
    GraphicsSys.hardware = 0;
    ProgrammableShaderFlag = 0;
    D3D11ShaderSys.programmable = 0;
    return 0;
}

int Graphics_D3D11_Terminate() {
    Graphics_D3D11_Device_Terminate();
    Graphics_D3D11_ShaderCode_FreePackages();
    return 0;
}

void Graphics_D3D11_SetRestoreHooks(void (*before)(void*), void* beforeData, void (*after)(void*), void* afterData) {
    D3D11Backend& b = D3D11BackendSys;
    b.beforeRestore = before;
    b.beforeRestoreData = beforeData;
    b.afterRestore = after;
    b.afterRestoreData = afterData;
}

int Graphics_D3D11_RecreateDevice(int modeFlag, int width, int height, int bits, int refreshRate) {
    D3D11Backend& b = D3D11BackendSys;
    if (b.beforeRestore != nullptr) b.beforeRestore(b.beforeRestoreData);
    const bool ending = GetEndRequestFlag() != 0;
    if (!ending) Graphics_D3D11_ReleaseDeviceObjects();
    if (modeFlag == 1) {
        SetMainScreenSize(width, height);
        GraphicsSys.colorBits = bits;
        GraphicsSys.refreshRate = refreshRate;
    }
    if (ending) return 0;
    GraphicsSys.scalingMode = GraphicsSys.scalingModeSetting;
    // A device that cannot be made again is reported, so the screen-mode change fails
    // instead of every later draw quietly doing nothing.
    if (Graphics_D3D11_Device_Initialize() != 0) return -1;
    RestoreMaskScreen();
    Graphics_D3D11_SetupDefaultDeviceState();
    Graphics_D3D11_ReapplyDeviceState();
    Graphics_D3D11_RecreateAllGraphTextures();
    Graphics_D3D11_RestoreShadowMaps();
    Graphics_D3D11_RestoreUserBuffers();
    Graphics_D3D11_RestoreShaderHandleObjects();
    // Draws after the re-creation go where the front's target is: a graph stays the target.
    D3D11State.force = 1;
    RebindDrawTargets();
    D3D11State.force = 0;
    // The target's draw area: the whole new screen after a mode change, else the one set.
    if (modeFlag == 1) {
        SetDrawAreaFull();
    } else {
        const ImageRect& a = GraphicsDrawSettings.drawArea;
        Graphics_D3D11_SetDrawArea(a.left, a.top, a.right, a.bottom);
    }
    RunGraphRestore();
    if (b.afterRestore != nullptr) b.afterRestore(b.afterRestoreData);
    Graphics_D3D11_DeviceState_ResendAll();
    return 0;
}

int Graphics_D3D11_AfterInitialize() {
    Graphics_D3D11_DeviceState_ResendAll();
    Graphics_D3D11_ClearDrawTarget(nullptr);
    return 0;
}

int Graphics_D3D11_RefreshDeviceState() {
    if (!D3D11Device_IsValid()) return -1;
    Graphics_D3D11_DeviceState_ResendAll();
    const int force = D3D11State.force;
    D3D11State.force = 1;
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    Graphics_D3D11_ApplyBlendMode();
    Graphics_D3D11_DrawPreparation(0);
    D3D11State.force = force;
    return 0;
}

ID3D11Texture2D* D3D11_ReadableSubBackBuffer() {
    D3D11Backend& b = D3D11BackendSys;
    if (b.subBackBufferResolved == nullptr) return b.subBackBuffer;
    Graphics_D3D11_FlushVertexBatch(-1, 0);
    D3D11DeviceContext_ResolveSubresource(b.subBackBufferResolved, 0, b.subBackBuffer, 0, DXGI_FORMAT_R8G8B8A8_UNORM);
    return b.subBackBufferResolved;
}

}  // namespace ZaDod
