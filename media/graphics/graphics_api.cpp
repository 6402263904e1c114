// Choosing the graphics API, re-creating the device or the software set-up, and
// DirectDraw's vertical blank in software mode.
#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/display.h"
#include "media/graphics/hardware.h"
#include "media/system/sysinfo_log.h"
#include "media/system/window.h"
#include "platform/win/ddraw.h"

namespace ZaDod {
namespace {

plat::win::IDirectDraw7* directDraw() { return static_cast<plat::win::IDirectDraw7*>(GraphicsDisplay.directDraw); }

// Software mode from DirectDraw onwards: full screen needs the display mode changed.
int startSoftware() {
    if (InitializeDirectDraw() != 0) return -1;
    if (GetWindowModeFlag() || ChangeScreenResolution() == 0) {
        MeasureVSyncPeriod();
        return 0;
    }
    TerminateDirectDraw();
    return -1;
}

}  // namespace

int Graphics_Hardware_Initialize() {
    if (!GraphicsSys.noHardware) {
        GraphicsApiType = kGraphicsApiD3D11;
        if (Graphics_D3D11_Initialize() == 0) return 0;
        GraphicsApiType = kGraphicsApiD3D9;
        if (Graphics_D3D9_Initialize() == 0) return 0;
    }
    GraphicsApiType = kGraphicsApiSoftware;
    return startSoftware();
}

int Graphics_Hardware_RecreateDevice(int modeFlag, int width, int height, int bits, int refreshRate) {
    while (GetASyncLoadNum() > 0) {
        ProcessASyncLoadRequestMainThread();
        Thread_Sleep(SystemInfo.ProcessorNum > 1 ? 0 : 2);
    }
    // The chosen API decides, not whether a device exists now: a full-screen deactivation
    // released the device objects (and the device flag with them), and the activation's
    // restore makes the device of that API again.
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_RecreateDevice(modeFlag, width, height, bits, refreshRate);
        case kGraphicsApiD3D11: return Graphics_D3D11_RecreateDevice(modeFlag, width, height, bits, refreshRate);
        default: break;
    }
    TerminateDirectDraw();
    if (modeFlag == 1) {
        SetMainScreenSize(width, height);
        GraphicsSys.colorBits = bits;
        GraphicsSys.refreshRate = refreshRate;
    }
    GraphicsSys.scalingMode = GraphicsSys.scalingModeSetting;
    return startSoftware();
}

int InitializeDirectDraw() {
    TerminateDirectDraw();
    LogAddTextUtf16(u"DirectDraw オブジェクトの取得を行います....  ");
    void* object = nullptr;
    if (plat::win::CoCreateInstance(plat::win::CLSID_DirectDraw7, nullptr, plat::win::CLSCTX_ALL,
                                    plat::win::IID_IDirectDraw7, &object) != plat::win::S_OK ||
        object == nullptr) {
        LogAddTextUtf16(u"オブジェクトの取得に失敗しました\n");
        return -1;
    }
    GraphicsDisplay.directDraw = object;
    LogAddTextUtf16(u"成功\n");
    LogAddTextUtf16(u"引き続き初期化処理... ");
    if (directDraw()->Initialize(nullptr) != plat::win::S_OK) {
        LogAddTextUtf16(u"DirectDrawオブジェクトの初期化に失敗しました\n");
        TerminateDirectDraw();
        return -1;
    }
    LogAddTextUtf16(u"初期化に成功しました\n");
    // Nothing here changes the floating-point control word, so there is none to preserve.
    directDraw()->SetCooperativeLevel(GetMainWindowHandle(), plat::win::DDSCL_NORMAL);
    return 0;
}

int TerminateDirectDraw() {
    if (directDraw() != nullptr) directDraw()->Release();
    GraphicsDisplay.directDraw = nullptr;
    return 0;
}

void* GetDirectDrawObject() { return GraphicsDisplay.directDraw; }

void* Graphics_Hardware_GetDirectDrawObject() { return GraphicsDisplay.directDraw; }

void WaitVSyncByDirectDraw() {
    DisplayState& d = GraphicsDisplay;
    if (directDraw() == nullptr) return;
    // Sleeping in 1 ms steps until 3 ms before the blank leaves too little room: a wake-up
    // that comes late on a busy machine lands after the blank, and the wait then takes a
    // whole period more (about one frame in ten at 60 Hz). The steps stop half a period
    // after the last blank; the wait for the blank sleeps the rest exactly.
    const long long threshold = d.vsyncPeriod >= 0 ? d.vsyncPeriod / 2 : 4000;
    if (GetMicrosecondCount() - d.lastVSyncTime < threshold) {
        Thread_Sleep(0);
        // Bounded by the threshold in sleeps as well, for a clock that does not move.
        for (long long slept = 0; slept < threshold && GetMicrosecondCount() - d.lastVSyncTime < threshold;
             slept += 1000)
            Thread_Sleep(1);
        directDraw()->WaitForVerticalBlank(plat::win::DDWAITVB_BLOCKBEGIN, nullptr);
        d.lastVSyncTime = GetMicrosecondCount();
    } else {
        directDraw()->WaitForVerticalBlank(plat::win::DDWAITVB_BLOCKBEGIN, nullptr);
        d.lastVSyncTime = GetMicrosecondCount();
        Thread_Sleep(0);
    }
}

void MeasureVSyncPeriod() {
    DisplayState& d = GraphicsDisplay;
    d.vsyncPeriod = -1;
    if (directDraw() == nullptr) return;
    directDraw()->WaitForVerticalBlank(plat::win::DDWAITVB_BLOCKBEGIN, nullptr);
    long long previous = GetMicrosecondCount();
    long long previousInterval = -1;
    long long sum = 0;
    int count = 0;
    for (int i = 0; i < 60; ++i) {
        directDraw()->WaitForVerticalBlank(plat::win::DDWAITVB_BLOCKBEGIN, nullptr);
        const long long now = GetMicrosecondCount();
        const long long interval = now - previous;
        previous = now;
        if (previousInterval >= 0 && interval - previousInterval < 1000 && previousInterval - interval < 1000) {
            sum += interval;
            ++count;
        } else {
            sum = 0;
            count = 0;
        }
        previousInterval = interval;
        if (count == 10) {
            d.vsyncPeriod = sum / count;
            break;
        }
        Thread_Sleep(5);
    }
    d.lastVSyncTime = previous;
    WaitVSyncByDirectDraw();
}

}  // namespace ZaDod
