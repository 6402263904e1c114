// The Direct3D 9 present parameters from the front's screen settings: the desktop's format
// in a window, the chosen display mode in full screen, multisampling and the interval.
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/display.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "media/system/winapi.h"

namespace ZaDod {

using namespace plat::gpu;

int Direct3DDevice9_SetupPresentParameters(D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* mode) {
    GraphicsSystemState& g = GraphicsSys;
    *params = D3DPRESENT_PARAMETERS{};
    *mode = D3DDISPLAYMODEEX{};
    params->BackBufferWidth = UINT(g.width);
    params->BackBufferHeight = UINT(g.height);
    params->BackBufferCount = 1;
    params->EnableAutoDepthStencil = 0;
    if (GetWindowModeFlag()) {
        D3DDISPLAYMODE desktop{};
        Direct3D9_GetAdapterDisplayMode(D3D9DeviceSys.adapter, &desktop);
        params->BackBufferFormat = desktop.Format;
        params->Windowed = 1;
        params->SwapEffect = g.screenMultiSampleCount != 0 ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_COPY;
        if (desktop.Format == D3DFMT_X8R8G8B8) {
            g.colorBits = 32;
            SetMemImgDefaultColorType(1);
        } else if (desktop.Format == D3DFMT_R5G6B5 || desktop.Format == D3DFMT_X1R5G5B5 ||
                   desktop.Format == D3DFMT_A1R5G5B5) {
            g.colorBits = 16;
            SetMemImgDefaultColorType(0);
        }
        SetDesktopCompositionEnable(1);
    } else {
        SetupFullScreenDisplayMode();
        const DisplayModeInfo& m = g.fullScreenMode;
        if (g.colorBits == 16) {
            params->BackBufferFormat =
                Direct3D9_GetAdapterModeCount(D3D9DeviceSys.adapter, D3DFMT_R5G6B5) != 0 ? D3DFMT_R5G6B5
                                                                                        : D3DFMT_X1R5G5B5;
        } else if (g.colorBits == 32) {
            params->BackBufferFormat = D3DFMT_X8R8G8B8;
        } else {
            LogAddTextUtf16(u"非対応のバックバッファービット深度が指定されました\n");
            return -1;
        }
        params->BackBufferWidth = UINT(m.width);
        params->BackBufferHeight = UINT(m.height);
        params->Windowed = 0;
        params->SwapEffect = D3DSWAPEFFECT_DISCARD;
        params->FullScreen_RefreshRateInHz = UINT(m.refreshRate);
        *mode = D3DDISPLAYMODEEX{sizeof(D3DDISPLAYMODEEX), UINT(m.width), UINT(m.height), UINT(m.refreshRate),
                                 params->BackBufferFormat, D3DSCANLINEORDERING_PROGRESSIVE};
        LogFormatUtf16(u"画面解像度を %u x %u  リフレッシュレートを %dHz に変更します", UINT(m.width), UINT(m.height),
                       m.refreshRate);
        SetDesktopCompositionEnable(0);
        if (WinAPI.DwmEnableCompositionFunc != nullptr) LogAddTextUtf16(u"Desktop Window Manager を無効にしました\n");
    }
    int count = g.screenMultiSampleCount, quality = g.screenMultiSampleQuality;
    if (count != 0) {
        Direct3D9_CheckMultiSampleParam(params->BackBufferFormat, &count, &quality, 0);
        g.screenMultiSampleCount = count;
        g.screenMultiSampleQuality = quality;
    } else {
        quality = 0;
    }
    params->MultiSampleType = D3DMULTISAMPLE_TYPE(count);
    params->MultiSampleQuality = DWORD(quality);
    params->hDeviceWindow = GetDisplayWindowHandle();
    params->PresentationInterval = GetWaitVSyncFlag() ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    params->Flags = count == 0 ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0;
    return 0;
}

}  // namespace ZaDod
