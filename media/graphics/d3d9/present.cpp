// The Direct3D 9 presentation: the sub back buffer copied into the back buffer (or drawn
// as a textured quad into the display rectangle in full screen), then swap chain 0
// presented into the window; the borders of the centred layout painted with GDI; a layered
// window shown through the window part instead.
#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/window_dest.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;
using plat::win::RECT;

struct QuadVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

// Presents left in which the centred layout's borders are painted: a resize reloads it.
int borderRepaintCount = 0;

// The client area outside `dest`, in the background colour when the window border uses
// it, else black: top and bottom strips across the whole width, then the sides.
void paintBorders(const RECT& dest) {
    namespace win = plat::win;
    const win::HWND window = GetDisplayWindowHandle();
    RECT client{};
    win::GetClientRect(window, &client);
    if (client.left == dest.left && client.top == dest.top && client.right == dest.right &&
        client.bottom == dest.bottom)
        return;
    const DrawSettings& s = GraphicsDrawSettings;
    win::HBRUSH brush = nullptr;
    if (s.backgroundSet)
        brush = win::CreateSolidBrush(win::COLORREF(s.backgroundRed & 0xFF) | win::COLORREF(s.backgroundGreen & 0xFF) << 8 |
                                      win::COLORREF(s.backgroundBlue & 0xFF) << 16);
    const win::HBRUSH fill = brush != nullptr ? brush : static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH));
    const win::HDC dc = win::GetDC(window);
    const auto strip = [&](bool differs, int left, int top, int right, int bottom) {
        const RECT r{left, top, right, bottom};
        if (differs) win::FillRect(dc, &r, fill);
    };
    strip(client.top != dest.top, client.left, client.top, client.right, dest.top);
    strip(client.bottom != dest.bottom, client.left, dest.bottom, client.right, client.bottom);
    strip(client.left != dest.left, client.left, dest.top, dest.left, dest.bottom);
    strip(client.right != dest.right, dest.right, dest.top, client.right, dest.bottom);
    win::ReleaseDC(window, dc);
    if (brush != nullptr) win::DeleteObject(brush);
}

}  // namespace

int Graphics_D3D9_PresentSubBackBuffer() {
    const GraphicsSystemState& g = GraphicsSys;
    D3D9Backend& b = D3D9BackendSys;
    const bool windowed = GetWindowModeFlag() != 0;
    RECT src{0, 0, g.width, g.height}, dest{0, 0, g.width, g.height};
    WindowDestLayout layout{dest, 0};
    if (windowed) {
        layout = ComputeWindowDest(g.width, g.height);
        dest = layout.dest;
    }
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    if (GetWindowLayeredMode() != 0) return PresentLayeredWindow();
    if (windowed && g.emulate320x240) {
        dest = RECT{0, 0, 640, 480};
        src = RECT{0, 0, 320, 240};
    }
    RECT presentSrc = src;
    if (b.subSurface != nullptr) {
        RECT copy{0, 0, g.width, g.height};
        if (g.userScreenRectSet) {
            ImageRect r = g.userScreenRect;
            const ImageRect bounds{0, 0, g.width, g.height};
            ClipRect(&r, &bounds);
            if (r.right - r.left < 1 || r.bottom - r.top < 1) return -1;
            copy = RECT{r.left, r.top, r.right, r.bottom};
        }
        IDirect3DSurface9* back = D3D9DeviceSys.backBuffer;
        if (windowed || g.scalingMode == 1) {
            const HRESULT hr = Direct3DDevice9_StretchRect(b.subSurface, &copy, back, nullptr,
                                                           g.userScreenRectSet ? D3DTEXF_POINT : D3DTEXF_NONE);
            if (hr != D3D_OK) {
                LogFormatUtf16(windowed ? u"Direct3DDevice9 StretchRect 失敗 箇所１ 戻り値 0x%08x"
                                        : u"Direct3DDevice9 StretchRect 失敗 箇所２ 戻り値 0x%08x",
                               unsigned(hr));
                return -1;
            }
            // The copy filled the whole back buffer: that is what the window shows.
            D3DSURFACE_DESC desc{};
            Direct3DSurface9_GetDesc(back, &desc);
            presentSrc = RECT{0, 0, int(desc.Width), int(desc.Height)};
        } else if (Graphics_D3D9_StretchRectByDraw(&copy) < 0) {
            LogAddTextUtf16(u"サブバックバッファの内容をバックバッファへ転送する処理が失敗しました");
            return -1;
        }
    }
    if (D3D9Sys.swapChain == nullptr) return 0;
    // A minimised window shows nothing: the frame is made but not presented.
    if (Win.Status.Minimized) return 0;
    if (windowed) {
        if (Direct3DSwapChain9_Present(D3D9Sys.swapChain, &presentSrc, &dest, GetDisplayWindowHandle(), nullptr, 0) !=
            D3D_OK)
            return -1;
        if (layout.borders) {
            if (TakeWindowResizedFlag()) borderRepaintCount = 3;
            if (borderRepaintCount > 0) {
                --borderRepaintCount;
                paintBorders(dest);
            }
        }
    } else if (Direct3DSwapChain9_Present(D3D9Sys.swapChain, nullptr, nullptr, GetDisplayWindowHandle(), nullptr, 0) !=
               D3D_OK) {
        return -1;
    }
    return 0;
}

int Graphics_D3D9_StretchRectByDraw(const RECT* source) {
    D3D9Backend& b = D3D9BackendSys;
    const GraphicsSystemState& g = GraphicsSys;
    CalcScreenDestRect();
    const RECT dest{g.destRect.left, g.destRect.top, g.destRect.right, g.destRect.bottom};
    IDirect3DSurface9* back = D3D9DeviceSys.backBuffer;
    if (b.subTexture == nullptr) {
        const D3DTEXTUREFILTERTYPE filter =
            (D3D9DeviceSys.caps.StretchRectFilterCaps & D3DPTFILTERCAPS_MAGFLINEAR) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        const HRESULT hr = Direct3DDevice9_StretchRect(b.subSurface, source, back, &dest, filter);
        if (hr != D3D_OK) {
            LogFormatUtf16(u"Direct3DDevice9 StretchRect 失敗 箇所３ 戻り値 0x%08x", unsigned(hr));
            return -1;
        }
        return 0;
    }

    D3D9DeviceStateCache& c = D3D9State;
    IDirect3DSurface9* targets[8];
    for (int i = 0; i < 8; ++i) targets[i] = c.targets[i];
    const uint32_t mag = c.sampler[0][D3DSAMP_MAGFILTER], min = c.sampler[0][D3DSAMP_MINFILTER];
    const int zEnable = c.zEnable, fog = c.fogEnable, lighting = c.lighting;
    const D3DVIEWPORT9 viewport = c.viewport;

    Graphics_D3D9_DeviceState_SetRenderTarget(back, 0);
    for (int i = 1; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(nullptr, i);
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTextureFilter(1);
    Graphics_D3D9_DeviceState_SetZEnable(0);
    Graphics_D3D9_DeviceState_SetFogEnable(0);
    Graphics_D3D9_SetUseLighting(0);
    Graphics_D3D9_DeviceState_SetPixelShader(nullptr, 0);
    D3D9UserBlendInfo info{};
    for (auto& v : info.values) v = kD3D9Leave;
    info.values[kBvAlphaTestEnable] = 0;
    info.values[kBvAlphaBlendEnable] = 0;
    info.stageCount = 1;
    info.stages[0] = D3D9Stage{reinterpret_cast<IDirect3DBaseTexture9*>(b.subTexture), 0, 0, D3DTA_TEXTURE,
                               D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1};
    Graphics_D3D9_DeviceState_SetUserBlendInfo(&info, 0, 0);
    const float w = float(b.subWidth), h = float(b.subHeight);
    const float l = float(dest.left) - 0.5f, t = float(dest.top) - 0.5f, r = float(dest.right) - 0.5f,
                bt = float(dest.bottom) - 0.5f;
    const float u0 = float(source->left) / w, v0 = float(source->top) / h, u1 = float(source->right) / w,
                v1 = float(source->bottom) / h;
    const QuadVertex quad[4] = {{l, t, 0, 1, 0xFFFFFFFFu, u0, v0},
                                {r, t, 0, 1, 0xFFFFFFFFu, u1, v0},
                                {l, bt, 0, 1, 0xFFFFFFFFu, u0, v1},
                                {r, bt, 0, 1, 0xFFFFFFFFu, u1, v1}};
    Graphics_D3D9_DeviceState_SetFVF(0x144);
    Direct3DDevice9_DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex));
    Graphics_D3D9_EndScene();

    for (int i = 0; i < 8; ++i) Graphics_D3D9_DeviceState_SetRenderTarget(targets[i], i);
    if (Direct3DDevice9_SetSamplerState(0, D3DSAMP_MAGFILTER, mag) == D3D_OK) c.sampler[0][D3DSAMP_MAGFILTER] = mag;
    if (Direct3DDevice9_SetSamplerState(0, D3DSAMP_MINFILTER, min) == D3D_OK) c.sampler[0][D3DSAMP_MINFILTER] = min;
    c.textureFilter = 3;  // the next preparation sends the front's filter again
    Graphics_D3D9_DeviceState_SetZEnable(zEnable);
    Graphics_D3D9_DeviceState_SetFogEnable(fog);
    Graphics_D3D9_SetUseLighting(lighting);
    const int force = c.force;
    c.force = 1;
    Graphics_D3D9_DeviceState_SetViewport(&viewport);
    c.force = force;
    return 0;
}

}  // namespace ZaDod
