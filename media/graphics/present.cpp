// Presenting a frame: through the Direct3D back end, or in software mode by copying
// the main software screen into the window; and the front-screen refresh timer.
#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/display.h"
#include "media/graphics/font/font.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hwdraw/window_dest.h"
#include "media/graphics/mask.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_window.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"
#include "platform/win/gdi.h"

namespace ZaDod {
namespace win = plat::win;

namespace {

constexpr win::UINT_PTR kFrontScreenTimer = 32767;
constexpr win::UINT kFrontScreenPeriod = 32;

// The main screen as a top-down DIB: the header and its three channel masks.
struct ScreenDib {
    win::BITMAPINFOHEADER header;
    win::DWORD masks[3];
};

ScreenDib mainScreenDib() {
    const MEMIMG& screen = GraphicsSys.mainScreen;
    const PixelFormatDesc* format = screen.base->colorData;
    ScreenDib dib{};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = screen.base->pitch / format->bytesPerPixel;  // the pitch in pixels
    dib.header.biHeight = -screen.height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = format->colorBits;
    dib.header.biCompression = win::BI_BITFIELDS;
    dib.masks[0] = format->redMask;
    dib.masks[1] = format->greenMask;
    dib.masks[2] = format->blueMask;
    return dib;
}

void stretch(win::HDC dc, const ScreenDib& dib, int x, int y, int width, int height, int srcWidth, int srcHeight) {
    win::StretchDIBits(dc, x, y, width, height, 0, 0, srcWidth, srcHeight, GraphicsSys.mainScreen.pixels,
                       reinterpret_cast<const win::BITMAPINFO*>(&dib), win::DIB_RGB_COLORS, win::SRCCOPY);
}

void presentSoftware(win::HDC dc) {
    const GraphicsSystemState& g = GraphicsSys;
    const ScreenDib dib = mainScreenDib();
    if (GetWindowModeFlag()) {
        // The picture starts below the toolbar, if the window has one.
        const int top = GetToolbarHeight();
        if (g.emulate320x240) {
            stretch(dc, dib, 0, top, 640, 480, 320, 240);
            return;
        }
        double xRate = 1.0, yRate = 1.0;
        GetWindowStretchRate(&xRate, &yRate);
        const int width = static_cast<int>(g.width * xRate);
        const int height = static_cast<int>(g.height * yRate);
        if (width == g.width && height == g.height)
            win::SetDIBitsToDevice(dc, 0, top, static_cast<win::DWORD>(g.width), static_cast<win::DWORD>(g.height), 0, 0,
                                   0, static_cast<win::UINT>(g.height), GraphicsSys.mainScreen.pixels,
                                   reinterpret_cast<const win::BITMAPINFO*>(&dib), win::DIB_RGB_COLORS);
        else
            stretch(dc, dib, 0, top, width, height, g.width, g.height);
        return;
    }
    DisplayState& d = GraphicsDisplay;
    if (d.blackFillCount > 0) {
        --d.blackFillCount;
        win::HWND window = GetDisplayWindowHandle();
        win::SetWindowPos(window, nullptr, 0, 0, 0, 0, win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
        const win::RECT display{0, 0, g.fullScreenMode.width > 0 ? g.fullScreenMode.width : g.width,
                                g.fullScreenMode.height > 0 ? g.fullScreenMode.height : g.height};
        win::FillRect(dc, &display, static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
    }
    if (CalcScreenDestRect() != 0) return;
    const ImageRect& r = GraphicsSys.destRect;
    stretch(dc, dib, r.left, r.top, r.right - r.left, r.bottom - r.top, g.width, g.height);
}

void frontScreenRefreshTimerProc(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) { FrontScreenRefreshTimerProc(); }

}  // namespace

int Graphics_Hardware_FlipScreen() {
    if (GraphicsSys.hardware) {
        switch (GraphicsApiType) {
            case kGraphicsApiD3D9: return Graphics_D3D9_FlipScreen();
            case kGraphicsApiD3D11: return Graphics_D3D11_FlipScreen();
            default: return 0;
        }
    }
    if (!CheckValidMemImg(&GraphicsSys.mainScreen) || !CheckValidMemImg(&GraphicsSys.auxScreen)) return 0;
    if (!GraphicsSys.noVSync) WaitVSyncByDirectDraw();
    if (GetWindowLayeredMode() != 0) return PresentLayeredWindow();
    const win::HWND window = GetDisplayWindowHandle();
    const win::HDC dc = window ? win::GetDC(window) : nullptr;
    if (dc == nullptr) return 0;
    presentSoftware(dc);
    win::ReleaseDC(window, dc);
    return 0;
}

int Graphics_Hardware_SetFrontScreenTimer(int handle) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_SetFrontScreenTimer(handle);
        case kGraphicsApiD3D11: return Graphics_D3D11_SetFrontScreenTimer(handle);
        default: return StartFrontScreenRefreshTimer(handle);
    }
}

int StartFrontScreenRefreshTimer(int handle) {
    if (handle == -4)
        win::SetTimer(GetMainWindowHandle(), kFrontScreenTimer, kFrontScreenPeriod, &frontScreenRefreshTimerProc);
    return 0;
}

void FrontScreenRefreshTimerProc() {
    const win::HWND window = GetMainWindowHandle();
    win::KillTimer(window, kFrontScreenTimer);
    const RenderTargetSlot& slot = GraphicsDrawSettings.targets[0];
    // A layered window shows only what a flip hands it; the timer stops there too.
    if (slot.handle != -4 || slot.surfaceIndex != 0 || GetWindowLayeredMode() != 0) return;
    if (GetWindowActiveFlag()) {
        // A refresh shows again what is already drawn; it does not wait for the vertical
        // blank as a flip does. Waiting held a long-running script asleep for up to a
        // blank period every refresh, and it came back to caches other work had taken.
        const int noVSync = GraphicsSys.noVSync;
        GraphicsSys.noVSync = 1;
        RefreshScreenFlip();
        GraphicsSys.noVSync = noVSync;
    }
    win::SetTimer(window, kFrontScreenTimer, kFrontScreenPeriod, &frontScreenRefreshTimerProc);
}

}  // namespace ZaDod
