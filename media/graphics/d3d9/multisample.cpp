// Correcting a wanted multisample count and quality to what the adapter offers for a
// colour format and for the 16-bit depth format.
#include "media/graphics/d3d9/backend.h"
#include "media/system/window.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

enum class Check { Found, Done, Strict };

// Lowers `count` until the adapter takes it for `format`; Done when it reached 0.
Check supportedCount(D3DFORMAT format, int* count, DWORD* levels) {
    for (;;) {
        *levels = 0;
        if (Direct3D9_CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, format, GetWindowModeFlag(),
                                                 D3DMULTISAMPLE_TYPE(*count), levels) == D3D_OK)
            return Check::Found;
        const int before = (*count)--;
        if (before <= 1) {
            *count = 0;
            return Check::Done;
        }
    }
}

int correct(D3DFORMAT format, int* count, int* quality, int strict) {
    DWORD colourLevels = 0, depthLevels = 0;
    for (D3DFORMAT f : {format, D3DFMT_D16}) {
        DWORD* levels = f == D3DFMT_D16 ? &depthLevels : &colourLevels;
        if (strict) {
            *levels = 0;
            if (Direct3D9_CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, f, GetWindowModeFlag(),
                                                     D3DMULTISAMPLE_TYPE(*count), levels) != D3D_OK) {
                *quality = 0;
                return -1;
            }
        } else if (supportedCount(f, count, levels) == Check::Done) {
            *quality = 0;
            return 0;
        }
        if (*count == 0) {
            *quality = 0;
            return 0;
        }
    }
    const int highest = int(colourLevels < depthLevels ? colourLevels : depthLevels) - 1;
    if (*quality > highest) *quality = highest < 0 ? 0 : highest;
    return 0;
}

}  // namespace

int Direct3D9_CheckMultiSampleParam(D3DFORMAT format, int* count, int* quality, int strict, int ASyncThread) {
    return static_cast<int>(
        D3D9_RunPosted(ASyncThread == 1, [&] { return HRESULT(correct(format, count, quality, strict)); }));
}

}  // namespace ZaDod
