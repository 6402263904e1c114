// Making the Direct3D 9 device for the game window: Ex first, mixed then software vertex
// processing, the retry chain over the screen settings, and the device limits.
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"
#include "media/graphics/mem_img.h"
#include "media/system/window.h"
#include "platform/win/win_display.h"

namespace ZaDod {

D3D9DeviceState D3D9DeviceSys{};

namespace {

using namespace plat::gpu;

constexpr DWORD kMixed = D3DCREATE_MIXED_VERTEXPROCESSING;
constexpr DWORD kSoftware = D3DCREATE_SOFTWARE_VERTEXPROCESSING;

DWORD low16(DWORD version) { return version & 0xFFFF; }

// One creation through the Ex object or the plain one, with the given behaviour.
bool createWith(DWORD behaviour) {
    D3D9Objects& s = D3D9Sys;
    D3D9DeviceState& d = D3D9DeviceSys;
    plat::win::HWND focus = GetMainWindowHandle();
    if (s.direct3DEx != nullptr) {
        IDirect3DDevice9Ex* ex = nullptr;
        if (Direct3D9_CreateDeviceEx(d.adapter, D3DDEVTYPE_HAL, focus, behaviour, &d.params,
                                     d.params.Windowed ? nullptr : &d.fullScreenMode, &ex) != D3D_OK)
            return false;
        s.deviceEx = ex;
        s.device = ex;
        return true;
    }
    return Direct3D9_CreateDevice(d.adapter, D3DDEVTYPE_HAL, focus, behaviour, &d.params, &s.device) == D3D_OK;
}

// Four clears and three presents, ending with a clear, so the window shows the start colour.
void showClearedScreen() {
    const DrawSettings& ds = GraphicsDrawSettings;
    D3DCOLOR colour = 0;
    if (GetWindowModeFlag() || GraphicsSys.scalingMode == 1)
        colour = D3DCOLOR(ds.backgroundRed & 0xFF) << 16 | D3DCOLOR(ds.backgroundGreen & 0xFF) << 8 |
                 D3DCOLOR(ds.backgroundBlue & 0xFF);
    Direct3DDevice9_SetRenderState(D3DRS_ZENABLE, 1);
    for (int i = 0; i < 4; ++i) {
        Direct3DDevice9_Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
        if (i < 3) Direct3DDevice9_Present(nullptr, nullptr, GetDisplayWindowHandle(), nullptr);
    }
}

void readDeviceLimits() {
    D3D9DeviceState& d = D3D9DeviceSys;
    GraphicsDeviceCaps& caps = GraphicsDeviceCapsData;
    Direct3DDevice9_GetDeviceCaps(&d.caps);
    const D3DCAPS9& c = d.caps;
    const DWORD vs = low16(c.VertexShaderVersion), ps = low16(c.PixelShaderVersion);
    d.maxTextureBlendStages = int(c.MaxTextureBlendStages);
    caps.renderTargetCount = int(c.NumSimultaneousRTs < 8 ? c.NumSimultaneousRTs : 8);
    caps.bgraVertexColor = 1;
    caps.direct3D11 = 0;
    caps.direct3D9 = 1;
    d.tssArgTemp = (c.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP) ? 1 : 0;
    d.vertexShader20 = vs >= 0x200 ? 1 : 0;
    d.pixelShader20 = ps >= 0x200 ? 1 : 0;
    d.vertexShader30 = d.pixelShader30 = vs >= 0x300 && ps >= 0x300 ? 1 : 0;
    caps.pow2TexturesOnly = (c.TextureCaps & D3DPTEXTURECAPS_POW2) ? 1 : 0;
    caps.squareTexturesOnly = (c.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : 0;
    caps.conditionalNonPow2 = (c.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) ? 1 : 0;
    caps.maxTextureWidth = c.MaxTextureWidth != 0 ? int(c.MaxTextureWidth) : 256;
    caps.maxTextureHeight = c.MaxTextureHeight != 0 ? int(c.MaxTextureHeight) : 256;
    caps.maxTextureSize = caps.maxTextureWidth < caps.maxTextureHeight ? caps.maxTextureWidth : caps.maxTextureHeight;
    caps.maxPrimitiveCount = int(c.MaxPrimitiveCount);
    caps.maxVertexIndex = int(c.MaxVertexIndex);
    d.subtractiveBlend = caps.subtractiveBlend = (c.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) ? 1 : 0;
}

void logLimits() {
    const D3D9DeviceState& d = D3D9DeviceSys;
    const GraphicsDeviceCaps& caps = GraphicsDeviceCapsData;
    LogFormatUtf16(u"一度に描画できるプリミティブの最大数:%d", caps.maxPrimitiveCount);
    LogFormatUtf16(u"対応している最大頂点インデックス:%d", caps.maxVertexIndex);
    LogFormatUtf16(u"同時にレンダリングできるバッファの数:%d", caps.renderTargetCount);
    LogFormatUtf16(u"最大テクスチャサイズ　幅:%d 高さ:%d", caps.maxTextureWidth, caps.maxTextureHeight);
    LogFormatUtf16(u"テクスチャステージテンポラリレジスタ：%s", d.tssArgTemp ? u"使用可" : u"使用不可");
    LogFormatUtf16(u"減算合成のハードウェア対応：%s", d.subtractiveBlend ? u"ネイティブ" : u"エミュレート");
    if (d.hardwareVertexProcessing) {
        LogFormatUtf16(u"ハードウェア頂点シェーダーバージョンコード：%x", unsigned(low16(d.caps.VertexShaderVersion)));
        LogFormatUtf16(u"エミュレーション頂点シェーダーバージョンコード：エミュレーション無し");
    } else {
        LogFormatUtf16(u"ハードウェア頂点シェーダーバージョンコード：%x", unsigned(low16(d.adapterVertexShaderVersion)));
        LogFormatUtf16(u"エミュレーション頂点シェーダーバージョンコード：%x", unsigned(low16(d.caps.VertexShaderVersion)));
    }
    LogFormatUtf16(u"ピクセルシェーダーバージョンコード：%x", unsigned(low16(d.caps.PixelShaderVersion)));
}

}  // namespace

int Direct3DDevice9_Create() {
    D3D9Objects& s = D3D9Sys;
    D3D9DeviceState& d = D3D9DeviceSys;
    if (Direct3DDevice9_SetupPresentParameters(&d.params, &d.fullScreenMode) < 0) return -1;
    d.adapter = GraphicsDisplay.useDisplayIndexSet ? UINT(GraphicsDisplay.useDisplayIndex) : 0;

    D3DCAPS9 adapterCaps{};
    Direct3D9_GetDeviceCaps(d.adapter, D3DDEVTYPE_HAL, &adapterCaps);
    d.hardwareVertexProcessing =
        low16(adapterCaps.VertexShaderVersion) >= 0x200 && low16(adapterCaps.PixelShaderVersion) >= 0x200 ? 1 : 0;
    d.adapterVertexShaderVersion = adapterCaps.VertexShaderVersion;

    const bool ex = s.direct3DEx != nullptr;
    LogAddTextUtf16(ex ? u"IDirect3DDevice9Ex オブジェクトを取得します.... " : u"IDirect3DDevice9 オブジェクトを取得します.... ");
    bool made = createWith(d.hardwareVertexProcessing ? kMixed : kSoftware);
    if (!made) {
        d.hardwareVertexProcessing = 0;
        made = createWith(kSoftware);
    }
    if (!made) {
        if (ex) {
            s.noEx = 1;
            LogAddTextUtf16(u"Direct3DDevice9Ex の作成に失敗しました\n");
            return -2;
        }
        LogAddTextUtf16(u"Direct3DDevice9 の作成に失敗しました\n");
        return -1;
    }
    LogAddTextUtf16(d.hardwareVertexProcessing ? u"ハードウエア頂点演算を使用します\n" : u"ソフトウエア頂点演算を使用します\n");
    if (ex) Direct3DDevice9_SetMaximumFrameLatency(1);

    showClearedScreen();
    Direct3DDevice9_GetSwapChain(0, &s.swapChain);
    return 0;
}

int Graphics_D3D9_Device_Create() {
    D3D9DeviceState& d = D3D9DeviceSys;
    if (!Direct3D9_IsValid()) return -1;
    Direct3DDevice9_Release();
    if (d.backBuffer != nullptr) d.backBuffer->Release();
    d.backBuffer = nullptr;
    d.backBufferLock = 0;

    // The device does not exist yet, so the shader model is what the adapter offers.
    if (D3D9_CapsShaderModel() < 200) {
        GraphicsSys.screenMultiSampleCount = 0;
        GraphicsSys.screenMultiSampleQuality = 0;
    }

    // A failed Ex device goes back to the set-up at once, which then tries a plain object;
    // the screen settings change only for a plain device that cannot be made.
    int result = Direct3DDevice9_Create();
    for (int attempt = 1; result == -1 && attempt < 4; ++attempt) {
        if (attempt == 1) {
            GraphicsSys.colorBits = 32;
            SetMemImgDefaultColorType(1);
        } else if (attempt == 2) {
            SetMainScreenSize(800, 600);
        } else {
            SetMainScreenSize(1024, 768);
        }
        result = Direct3DDevice9_Create();
    }
    if (result == -2) return -2;
    if (result < 0) return -1;

    MeasureVSyncPeriod();
    Direct3DDevice9_GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &d.backBuffer);
    LogAddTextUtf16(u"成功\n");
    if (!GetWindowModeFlag()) {
        plat::win::MONITORINFOEXA info{};
        info.cbSize = sizeof info;
        if (plat::win::GetMonitorInfoA(Direct3D9_GetAdapterMonitor(d.adapter), &info))
            GraphicsSys.fullScreenDesktopRect = ImageRect{int(info.rcMonitor.left), int(info.rcMonitor.top),
                                                          int(info.rcMonitor.right), int(info.rcMonitor.bottom)};
    }

    readDeviceLimits();

    D3DADAPTER_IDENTIFIER9 id{};
    Direct3D9_GetAdapterIdentifier(0, 0, &id);
    LogFormatUtf16(u"Driver:%S  Description:%S", id.Driver, id.Description);

    if (Graphics_D3D9_SurveyFormats() < 0) return -1;
    logLimits();
    Graphics_D3D9_BackBufferLockTest();
    return 0;
}

int D3D9_CapsShaderModel() {
    if (D3D9Sys.direct3D == nullptr) return 0;
    D3DCAPS9 caps{};
    if (Direct3D9_GetDeviceCaps(D3D9DeviceSys.adapter, D3DDEVTYPE_HAL, &caps) != D3D_OK) return 0;
    const DWORD vs = low16(caps.VertexShaderVersion), ps = low16(caps.PixelShaderVersion);
    if (vs < 0x200 && ps < 0x200) return 0;
    if (vs < 0x300 || ps < 0x300) return 200;
    return 300;
}

int Graphics_D3D9_GetShaderModelVersion() { return ProgrammableShaderFlag ? D3D9_CapsShaderModel() : 0; }

}  // namespace ZaDod
