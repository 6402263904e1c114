// Whether the back buffer is read faster by locking it directly or by copying it through
// a temporary render target: three timed rounds on a square that fits the screen.
#include <cstring>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

int bytesPerPixel(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 ? 4 : 2; }

// Copies `side` rows of the locked surface into the locked destination.
void copyRows(const D3DLOCKED_RECT& from, const D3DLOCKED_RECT& to, int side, int bpp) {
    for (int y = 0; y < side; ++y)
        std::memcpy(static_cast<uint8_t*>(to.pBits) + size_t(y) * size_t(to.Pitch),
                    static_cast<const uint8_t*>(from.pBits) + size_t(y) * size_t(from.Pitch), size_t(side) * bpp);
}

void release(IDirect3DSurface9*& surface) {
    if (surface != nullptr) surface->Release();
    surface = nullptr;
}

// The direct way: a system-memory copy of the locked back buffer. -1 when a step fails.
long long directTime(int side, D3DFORMAT format) {
    IDirect3DSurface9* copy = nullptr;
    long long time = -1;
    D3DLOCKED_RECT to{}, from{};
    const plat::win::RECT rect{0, 0, side, side};
    if (Direct3DDevice9_CreateOffscreenPlainSurface(UINT(side), UINT(side), format, D3DPOOL_SYSTEMMEM, &copy) ==
            D3D_OK &&
        Direct3DSurface9_LockRect(copy, &to, nullptr, 0) == D3D_OK) {
        const long long start = GetMicrosecondCount();
        if (Direct3DSurface9_LockRect(D3D9DeviceSys.backBuffer, &from, &rect, D3DLOCK_READONLY) == D3D_OK) {
            copyRows(from, to, side, bytesPerPixel(format));
            Direct3DSurface9_UnlockRect(D3D9DeviceSys.backBuffer);
            time = GetMicrosecondCount() - start;
        }
        Direct3DSurface9_UnlockRect(copy);
    }
    release(copy);
    return time;
}

// The indirect way: StretchRect into a render target, read that back, copy the rows.
long long indirectTime(int side, D3DFORMAT format) {
    IDirect3DSurface9 *target = nullptr, *memory = nullptr, *copy = nullptr;
    long long time = -1;
    const plat::win::RECT rect{0, 0, side, side};
    D3DLOCKED_RECT from{}, to{};
    if (Direct3DDevice9_CreateOffscreenPlainSurface(UINT(side), UINT(side), format, D3DPOOL_SYSTEMMEM, &copy) ==
            D3D_OK &&
        Direct3DSurface9_LockRect(copy, &to, nullptr, 0) == D3D_OK) {
        const long long start = GetMicrosecondCount();
        if (Direct3DDevice9_CreateRenderTarget(UINT(side), UINT(side), format, D3DMULTISAMPLE_NONE, 0, 0, &target) ==
                D3D_OK &&
            Direct3DDevice9_CreateOffscreenPlainSurface(UINT(side), UINT(side), format, D3DPOOL_SYSTEMMEM, &memory) ==
                D3D_OK &&
            Direct3DDevice9_StretchRect(D3D9DeviceSys.backBuffer, &rect, target, nullptr, D3DTEXF_NONE) == D3D_OK &&
            Direct3DDevice9_GetRenderTargetData(target, memory) == D3D_OK &&
            Direct3DSurface9_LockRect(memory, &from, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            copyRows(from, to, side, bytesPerPixel(format));
            Direct3DSurface9_UnlockRect(memory);
            release(target);
            release(memory);
            time = GetMicrosecondCount() - start;
        }
        Direct3DSurface9_UnlockRect(copy);
    }
    release(target);
    release(memory);
    release(copy);
    return time;
}

}  // namespace

int D3D9_LockTestSide() {
    int side = 256;
    while (side > GraphicsSys.width || side > GraphicsSys.height) side /= 2;
    return side;
}

void Graphics_D3D9_BackBufferLockTest() {
    D3D9DeviceState& d = D3D9DeviceSys;
    d.backBufferLock = 0;
    if (d.params.MultiSampleType != D3DMULTISAMPLE_NONE) {
        LogAddTextUtf16(u"フルシーンアンチエイリアスを使用する場合はバックバッファはロックできません\n");
        return;
    }
    const int side = D3D9_LockTestSide();
    long long direct = -1, indirect = -1;
    for (int round = 0; round < 3; ++round) {
        direct = side > 0 && d.backBuffer != nullptr ? directTime(side, d.backBufferFormat) : -1;
        indirect = side > 0 && d.backBuffer != nullptr ? indirectTime(side, d.backBufferFormat) : -1;
    }
    if (direct < 0 || indirect < 0) {
        LogAddTextUtf16(u"バックバッファはロックできません\n");
        return;
    }
    LogFormatUtf16(u"バックバッファロック転送の時間:%dnsec  一時的な描画可能バッファを使用した転送の時間:%dnsec", int(direct),
                   int(indirect));
    if (direct < indirect) {
        d.backBufferLock = 1;
        LogAddTextUtf16(u"バックバッファロックを使用します\n");
    } else {
        LogAddTextUtf16(u"バックバッファロックを使用しません\n");
    }
}

}  // namespace ZaDod
