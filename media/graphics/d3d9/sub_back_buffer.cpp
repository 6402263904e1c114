// The Direct3D 9 sub back buffer: the screen-sized render target all drawing goes into
// while it exists, which the present copies into the device's back buffer.
#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

}  // namespace

int Graphics_D3D9_SubBackBuffer_Setup() {
    D3D9Backend& b = D3D9BackendSys;
    if (b.subSurface != nullptr) return 0;
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_FlushVertexBatch(0);
    Graphics_D3D9_EndScene();
    const GraphicsSystemState& g = GraphicsSys;
    const D3DFORMAT format = D3D9DeviceSys.params.BackBufferFormat;
    const int count = g.screenMultiSampleCount, quality = g.screenMultiSampleQuality;
    if (count == 0 && quality == 0) {
        const bool pow2 = (D3D9DeviceSys.caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
        const int w = pow2 ? D3D9_NextPowerOfTwo(g.width) : g.width, h = pow2 ? D3D9_NextPowerOfTwo(g.height) : g.height;
        if (Direct3DDevice9_CreateTexture(UINT(w), UINT(h), 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                          &b.subTexture) != D3D_OK) {
            b.subTexture = nullptr;
            LogFormatUtf16(u"サブバックバッファ用テクスチャの作成に失敗しました  Format:%d  SizeX:%d  SizeY:%d \n",
                           int(format), w, h);
        } else if (Direct3DTexture9_GetSurfaceLevel(b.subTexture, 0, &b.subSurface) != D3D_OK) {
            b.subSurface = nullptr;
            b.subTexture->Release();
            b.subTexture = nullptr;
            LogAddTextUtf16(u"サブバックバッファ用テクスチャのサーフェスアドレスの取得に失敗しました\n");
            return -1;
        } else {
            b.subWidth = w;
            b.subHeight = h;
        }
    }
    if (b.subSurface == nullptr) {
        if (Direct3DDevice9_CreateRenderTarget(UINT(g.width), UINT(g.height), format, D3DMULTISAMPLE_TYPE(count),
                                               DWORD(quality), 0, &b.subSurface) != D3D_OK) {
            b.subSurface = nullptr;
            LogAddTextUtf16(u"サブバックバッファの作成に失敗しました\n");
            return -1;
        }
        b.subWidth = g.width;
        b.subHeight = g.height;
    }
    // What was drawn so far moves over at its own size, and the back buffer starts black.
    IDirect3DSurface9* back = D3D9DeviceSys.backBuffer;
    if (back != nullptr) {
        D3DSURFACE_DESC desc{};
        Direct3DSurface9_GetDesc(back, &desc);
        const int w = g.width < int(desc.Width) ? g.width : int(desc.Width);
        const int h = g.height < int(desc.Height) ? g.height : int(desc.Height);
        const plat::win::RECT r{0, 0, w, h};
        Direct3DDevice9_StretchRect(back, &r, b.subSurface, &r, D3DTEXF_NONE);
        Direct3DDevice9_ColorFill(back, nullptr, 0);
    }
    D3D9DeviceStateCache& c = D3D9State;
    const int force = c.force;
    c.force = 1;
    Graphics_D3D9_DeviceState_SetRenderTarget(b.subSurface, 0);
    c.force = force;
    return 0;
}

int Graphics_D3D9_SetupSubBackBuffer(int) {
    // A window shows the back buffer as it is drawn.
    if (GetWindowModeFlag()) return 0;
    Graphics_D3D9_SubBackBuffer_Setup();
    return 0;
}

}  // namespace ZaDod
