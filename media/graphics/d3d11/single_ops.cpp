// Direct3D 11 single operations: the draw area, the draw mode, the diffuse colour refresh
// and the pixel read of the draw target.
#include "media/graphics/base_image.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/pixel_read.h"

namespace ZaDod {

int Graphics_D3D11_SetDrawArea(int x1, int y1, int x2, int y2) {
    if (!D3D11Device_IsValid()) return -1;
    if (x2 <= x1 || y2 <= y1) return 0;
    // The viewport is the area; screen pixels keep their meaning inside it.
    Graphics_D3D11_DeviceState_SetViewportRect(x1, y1, x2, y2);
    const float w = float(x2 - x1), h = float(y2 - y1);
    Matrix4x4F toClip{};
    toClip.m[0][0] = 2.0f / w;
    toClip.m[1][1] = -2.0f / h;
    toClip.m[2][2] = 1.0f;
    toClip.m[3][0] = -1.0f - 2.0f * float(x1) / w;
    toClip.m[3][1] = 1.0f + 2.0f * float(y1) / h;
    toClip.m[3][3] = 1.0f;
    return Graphics_D3D11_DeviceState_SetViewportMatrix(&toClip);
}

int Graphics_D3D11_SetDrawMode(int mode) {
    if (!D3D11Device_IsValid()) return -1;
    return Graphics_D3D11_DeviceState_SetTextureFilter(mode >= 0 && mode <= 2 ? mode : 0);
}

// The vertex colour is written with each draw from the current bright and blend parameter.
int Graphics_D3D11_RefreshDiffuseColor() { return D3D11Device_IsValid() ? 0 : -1; }

unsigned int Graphics_D3D11_GetDrawTargetPixel(int x, int y) {
    BaseImage image{};
    const ImageRect one{x, y, x + 1, y + 1};
    if (x < 0 || y < 0 || Graphics_D3D11_LockDrawTargetBuffer(&one, &image, -1, 1, 0) != 0) return 0xFFFFFFFFu;
    uint32_t result = 0xFFFFFFFFu;
    if (ReadTexelsARGB(&image.format, image.pixels, image.pitch, 1, 1, &result) < 0) result = 0xFFFFFFFFu;
    Graphics_D3D11_UnlockDrawTargetBuffer();
    return result;
}

}  // namespace ZaDod
