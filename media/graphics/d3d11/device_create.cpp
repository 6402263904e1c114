// Making the Direct3D 11 device for the game window: factory, adapter list, device,
// swap chain, device limits, the format survey, and the multisample correction.
#include "media/base/log.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::S_OK;

constexpr int kMaxAdapters = 16;
constexpr int kMaxOutputs = 32;

struct AdapterRecord {
    DXGI_ADAPTER_DESC desc;
    int outputCount;
    DXGI_OUTPUT_DESC outputs[kMaxOutputs];
};
struct AdapterList {
    int made;
    int count;
    AdapterRecord adapters[kMaxAdapters];
};
AdapterList adapterList;

const char* featureLevelName(D3D_FEATURE_LEVEL level) {
    return level == D3D_FEATURE_LEVEL_11_1 ? "D3D_FEATURE_LEVEL_11_1" : "D3D_FEATURE_LEVEL_11_0";
}

// Lowers `count` until the device reports quality levels for `format`; 0 levels when even
// the strict count fails.
int supportedCount(DXGI_FORMAT format, int* count, UINT* levels, int strict) {
    for (;;) {
        *levels = 0;
        if (D3D11Sys.device->CheckMultisampleQualityLevels(format, UINT(*count), levels) == S_OK && *levels > 0)
            return 0;
        if (strict) return -1;
        if (--*count <= 1) {
            *count = 1;
            *levels = 0;
            return 0;
        }
    }
}

}  // namespace

int Graphics_D3D11_EnumAdapters() {
    if (adapterList.made) return 0;
    const bool temporary = !DXGIFactory_IsValid();
    const bool ownLibrary = temporary && D3D11Sys.dxgi == nullptr;
    if (temporary) {
        if (ownLibrary && (D3D11Sys.dxgi = plat::win::LoadLibraryW(u"dxgi.dll")) == nullptr) return -1;
        if (DXGI_CreateFactory() < 0) {
            if (ownLibrary) DXGI_FreeDLL();
            return -1;
        }
    }
    adapterList.count = 0;
    for (int a = 0; a < kMaxAdapters; ++a) {
        IDXGIAdapter* adapter = nullptr;
        if (DXGIFactory_EnumAdapters(UINT(a), &adapter) != S_OK) break;
        AdapterRecord& r = adapterList.adapters[a];
        DXGIAdapter_GetDesc(adapter, &r.desc);
        r.outputCount = 0;
        for (int o = 0; o < kMaxOutputs; ++o) {
            IDXGIOutput* output = nullptr;
            if (DXGIAdapter_EnumOutputs(adapter, UINT(o), &output) != S_OK) break;
            DXGIOutput_GetDesc(output, &r.outputs[o]);
            output->Release();
            ++r.outputCount;
        }
        adapter->Release();
        ++adapterList.count;
    }
    if (temporary) {
        DXGI_ReleaseFactory();
        if (ownLibrary) {
            plat::win::FreeLibrary(D3D11Sys.dxgi);
            D3D11Sys.dxgi = nullptr;
        }
    }
    adapterList.made = 1;
    return 0;
}

const char16_t* Graphics_D3D11_AdapterDescription(int index) {
    if (index < 0 || index >= adapterList.count) return u"";
    return reinterpret_cast<const char16_t*>(adapterList.adapters[index].desc.Description);
}

int D3D11_CreateDevice() {
    D3D11Objects& s = D3D11Sys;
    if (s.d3d11 == nullptr) return -1;
    if (GetWindowModeFlag()) SetDesktopCompositionEnable(1);
    LogAddTextUtf16(u"API D3D11CreateDevice のアドレスを取得します.... ");
    using CreateFn = HRESULT (*)(IDXGIAdapter*, D3D_DRIVER_TYPE, void*, UINT, const D3D_FEATURE_LEVEL*, UINT, UINT,
                                 ID3D11Device**, D3D_FEATURE_LEVEL*, ID3D11DeviceContext**);
    auto create = reinterpret_cast<CreateFn>(plat::win::GetProcAddress(s.d3d11, "D3D11CreateDevice"));
    if (create == nullptr) {
        LogAddTextUtf16(u"失敗\n");
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    bool ok = false;
    LogAddTextUtf16(u"IDXGIAdapter を取得します.... ");
    if (DXGIFactory_EnumAdapters(0, &s.adapter) == S_OK) {
        LogAddTextUtf16(u"成功\n");
        LogAddTextUtf16(u"Direct3D 11 FeatureLevel 11_0 以上を対象とします\n");
        const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0};
        LogAddTextUtf16(u"ID3D11Device オブジェクトを取得します.... ");
        // The device is used from the main thread only; loading workers post their calls.
        constexpr UINT kSingleThreaded = 0x1;
        ok = create(s.adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, kSingleThreaded, levels, 2, D3D11_SDK_VERSION,
                    &s.device, &s.featureLevel, &s.context) == S_OK;
    }
    if (!ok) {
        LogAddTextUtf16(u"失敗\n");
        if (s.context != nullptr) Direct3D_ReleaseObject(s.context);
        if (s.device != nullptr) s.device->Release();
        if (s.adapter != nullptr) s.adapter->Release();
        if (s.dxgiDevice != nullptr) s.dxgiDevice->Release();
        s.context = nullptr;
        s.device = nullptr;
        s.adapter = nullptr;
        s.dxgiDevice = nullptr;
        return -1;
    }
    LogAddTextUtf16(u"成功\n");
    LogAddTextUtf16(u"IDXGIDevice1 を取得します.... ");
    void* dxgiDevice = nullptr;
    if (s.device->QueryInterface(IID_IDXGIDevice1, &dxgiDevice) != S_OK || dxgiDevice == nullptr) {
        LogAddTextUtf16(u"失敗\n");
        return 0;
    }
    LogAddTextUtf16(u"成功\n");
    s.dxgiDevice = static_cast<IDXGIDevice1*>(dxgiDevice);
    s.dxgiDevice->SetMaximumFrameLatency(1);
    LogAddTextUtf16(u"IDXGIDevice1->SetMaximunFrameLatency( 1 ); を実行しました\n");
    return 0;
}

int D3D11Device_CheckMultiSampleParam(DXGI_FORMAT format, int* count, int* quality, int strict, int ASyncThread) {
    return static_cast<int>(D3D11_RunPosted(ASyncThread, [&]() -> HRESULT {
        if (*count <= 1) {
            *count = 1;
            *quality = 0;
            return 0;
        }
        UINT colorLevels = 0, depthLevels = 0;
        if (supportedCount(format, count, &colorLevels, strict) < 0 ||
            (*count > 1 && supportedCount(DXGI_FORMAT_D16_UNORM, count, &depthLevels, strict) < 0)) {
            *quality = 0;
            return -1;
        }
        if (*count <= 1) {
            *quality = 0;
            return 0;
        }
        const int highest = int(colorLevels < depthLevels ? colorLevels : depthLevels) - 1;
        if (*quality > highest) *quality = highest < 0 ? 0 : highest;
        return 0;
    }));
}

int Graphics_D3D11_Device_Create() {
    D3D11_ReleaseDeviceObjects();
    if (DXGI_CreateFactory() < 0 || Graphics_D3D11_EnumAdapters() < 0 || D3D11_CreateDevice() < 0 ||
        Graphics_D3D11_CreateSwapChain(GetDisplayWindowHandle(), 1) < 0)
        return -1;
    // In full screen the desktop rectangle of the chosen display's output is kept.
    if (!GetWindowModeFlag()) {
        const int index = GraphicsDisplay.useDisplayIndexSet ? GraphicsDisplay.useDisplayIndex : 0;
        if (adapterList.count > 0 && index >= 0 && index < adapterList.adapters[0].outputCount) {
            const plat::win::RECT& r = adapterList.adapters[0].outputs[index].DesktopCoordinates;
            GraphicsSys.fullScreenDesktopRect = ImageRect{int(r.left), int(r.top), int(r.right), int(r.bottom)};
        }
    }

    // Both levels the device can be made at give the same limits.
    GraphicsDeviceCaps& caps = GraphicsDeviceCapsData;
    caps.maxTextureWidth = caps.maxTextureHeight = 16384;
    caps.maxTextureSize = 16384;
    caps.renderTargetCount = 8;
    caps.maxPrimitiveCount = 0x7FFFFFFF;
    caps.pow2TexturesOnly = 0;
    caps.conditionalNonPow2 = 1;
    caps.bgraVertexColor = 1;
    caps.subtractiveBlend = 1;
    caps.squareTexturesOnly = 0;
    caps.maxVertexIndex = 65535;
    caps.direct3D11 = 1;

    LogFormatUtf16(u"Graphics Device:%s", Graphics_D3D11_AdapterDescription(0));
    if (Graphics_D3D11_SurveyFormats() < 0) return -1;
    LogFormatUtf16(u"使用する機能レベル:%S", featureLevelName(D3D11Sys.featureLevel));
    LogFormatUtf16(u"同時にレンダリングできるバッファの数:%d", caps.renderTargetCount);
    LogFormatUtf16(u"最大テクスチャサイズ　幅:%d 高さ:%d", caps.maxTextureWidth, caps.maxTextureHeight);
    return 0;
}

int Graphics_D3D11_GetShaderModelVersion() {
    switch (D3D11Sys.featureLevel) {
        case D3D_FEATURE_LEVEL_9_1:
        case D3D_FEATURE_LEVEL_9_2:
        case D3D_FEATURE_LEVEL_9_3: return 200;
        case D3D_FEATURE_LEVEL_10_0:
        case D3D_FEATURE_LEVEL_10_1: return 400;
        case D3D_FEATURE_LEVEL_11_0:
        case D3D_FEATURE_LEVEL_11_1: return 500;
        default: return 0;
    }
}

}  // namespace ZaDod
