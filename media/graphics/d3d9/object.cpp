// The Direct3D 9 library and the Direct3D object: loading d3d9.dll, making the object
// (Ex first unless the Ex device failed before), its wrappers, and the front-screen timer.
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/display.h"
#include "media/system/window.h"

namespace ZaDod {

D3D9Objects D3D9Sys{};

namespace {

using namespace plat::gpu;
namespace win = plat::win;

IDirect3D9* object() { return D3D9Sys.direct3D; }

void frontScreenTimerProc(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) { FrontScreenRefreshTimerProc(); }

}  // namespace

int D3D9_LoadDLL() {
    if (D3D9Sys.module != nullptr) return 0;
    D3D9Sys.module = win::LoadLibraryW(u"d3d9.dll");
    if (D3D9Sys.module == nullptr) {
        LogAddTextUtf16(u"d3d9.dll の読み込みに失敗しました\n");
        return -1;
    }
    return 0;
}

int D3D9_FreeDLL() {
    if (D3D9Sys.module == nullptr) return 0;
    LogAddTextUtf16(u"d3d9.dll の解放 1\n");
    win::FreeLibrary(D3D9Sys.module);
    D3D9Sys.module = nullptr;
    return 0;
}

int Direct3D9_Create() {
    D3D9Objects& s = D3D9Sys;
    Direct3D9_Release();
    s.direct3DEx = nullptr;
    if (s.module == nullptr) return -1;
    if (!s.noEx) {
        LogAddTextUtf16(u"IDirect3D9Ex オブジェクトを取得します.... ");
        using CreateExFn = HRESULT (*)(UINT, IDirect3D9Ex**);
        auto createEx = reinterpret_cast<CreateExFn>(win::GetProcAddress(s.module, "Direct3DCreate9Ex"));
        IDirect3D9Ex* ex = nullptr;
        if (createEx != nullptr && createEx(D3D_SDK_VERSION, &ex) == D3D_OK && ex != nullptr) {
            s.direct3DEx = ex;
            s.direct3D = ex;
        }
    }
    if (s.direct3D == nullptr) {
        LogAddTextUtf16(u"IDirect3D9 オブジェクトを取得します.... ");
        using CreateFn = IDirect3D9* (*)(UINT);
        auto create = reinterpret_cast<CreateFn>(win::GetProcAddress(s.module, "Direct3DCreate9"));
        if (create == nullptr) {
            LogAddTextUtf16(u"Direct3DCreate9 APIのアドレス取得に失敗しました\n");
            return -1;
        }
        s.direct3D = create(D3D_SDK_VERSION);
        if (s.direct3D == nullptr) {
            LogAddTextUtf16(u"IDirect3D9 オブジェクトの取得に失敗しました\n");
            return -1;
        }
    }
    LogAddTextUtf16(u"成功\n");
    return 0;
}

int Direct3D9_IsEx() { return D3D9Sys.direct3DEx != nullptr ? 1 : 0; }
int Direct3D9_IsValid() { return D3D9Sys.direct3D != nullptr ? 1 : 0; }

int Direct3D9_Release() {
    if (D3D9Sys.direct3D == nullptr) return 0;
    const int result = static_cast<int>(D3D9Sys.direct3D->Release());
    D3D9Sys.direct3D = nullptr;
    D3D9Sys.direct3DEx = nullptr;
    return result;
}

int D3D9_StartFrontScreenTimer(int flag) {
    constexpr win::UINT_PTR kFrontScreenTimer = 32767;
    constexpr win::UINT kFrontScreenPeriod = 32;
    if (flag) win::SetTimer(GetMainWindowHandle(), kFrontScreenTimer, kFrontScreenPeriod, &frontScreenTimerProc);
    return 0;
}

HRESULT Direct3D9_CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT targetFormat, D3DFORMAT depthFormat) {
    return object()->CheckDepthStencilMatch(adapter, type, adapterFormat, targetFormat, depthFormat);
}

HRESULT Direct3D9_CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) {
    return object()->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, format);
}

HRESULT Direct3D9_CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL windowed,
                                             D3DMULTISAMPLE_TYPE ms, DWORD* qualityLevels) {
    return object()->CheckDeviceMultiSampleType(adapter, type, format, windowed, ms, qualityLevels);
}

HRESULT Direct3D9_GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) {
    return object()->GetAdapterIdentifier(adapter, flags, identifier);
}

win::HMONITOR Direct3D9_GetAdapterMonitor(UINT adapter) { return object()->GetAdapterMonitor(adapter); }

HRESULT Direct3D9_GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    return object()->GetAdapterDisplayMode(adapter, mode);
}

UINT Direct3D9_GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    return object()->GetAdapterModeCount(adapter, format);
}

HRESULT Direct3D9_GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    return object()->GetDeviceCaps(adapter, type, caps);
}

HRESULT Direct3D9_CreateDevice(UINT adapter, D3DDEVTYPE type, win::HWND focus, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
    return object()->CreateDevice(adapter, type, focus, behaviour, params, device);
}

HRESULT Direct3D9_CreateDeviceEx(UINT adapter, D3DDEVTYPE type, win::HWND focus, DWORD behaviour,
                                 D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* mode, IDirect3DDevice9Ex** device) {
    return D3D9Sys.direct3DEx->CreateDeviceEx(adapter, type, focus, behaviour, params, mode, device);
}

}  // namespace ZaDod
