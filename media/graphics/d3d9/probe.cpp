// The draw-offset probe run once after start-up: a filled circle drawn with the left span
// ends at -0.5, then -0.1, tells which horizontal offset makes the device light the same
// pixels as the software renderer; the vertical offset stays -0.5.
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {
namespace {

// 1 when the circle at (16, 16) of radius 10 lit (26, 16) and left (5, 16) alone: both
// pixels are compared with the background colour, not with 0, so any background and the
// opaque alpha of the pixel read do not fail the probe.
int circleFits(uint32_t background) {
    const DrawSettings& s = GraphicsDrawSettings;
    Graphics_D3D9_DrawCircle(16, 16, 10, PackScreenColor(255, 255, 255), 1);
    const uint32_t left = Graphics_D3D9_GetDrawTargetPixel(5, 16) & 0xFFFFFFu;
    const uint32_t right = Graphics_D3D9_GetDrawTargetPixel(26, 16) & 0xFFFFFFu;
    Graphics_D3D9_DrawFilledBox(5, 5, 28, 28, PackScreenColor(s.backgroundRed, s.backgroundGreen, s.backgroundBlue));
    Graphics_D3D9_FlushVertexBatch(0);
    return left == background && right != background ? 1 : 0;
}

}  // namespace

int Graphics_D3D9_AfterInitialize() {
    Graphics_D3D9_DeviceState_ResendAll();
    D3D9Backend& b = D3D9BackendSys;
    b.drawOffsetX = -0.5f;
    b.drawOffsetY = -0.5f;
    if (!Direct3DDevice9_IsValid()) return 0;
    DrawSettings& s = GraphicsDrawSettings;
    // The probe draws into the top-left corner whatever the front's draw area and blend.
    const ImageRect area = s.drawArea;
    const int mode = s.blendMode, param = s.blendParam;
    const uint8_t bright[3] = {s.brightRed, s.brightGreen, s.brightBlue};
    s.drawArea = ImageRect{0, 0, 32, 32};
    s.blendMode = 0;
    s.blendParam = 255;
    s.brightRed = s.brightGreen = s.brightBlue = 255;
    Graphics_D3D9_RefreshDiffuseColor();
    // The background as the target holds it (a 16-bit screen rounds it).
    Graphics_D3D9_DrawFilledBox(5, 5, 28, 28, PackScreenColor(s.backgroundRed, s.backgroundGreen, s.backgroundBlue));
    const uint32_t held = Graphics_D3D9_GetDrawTargetPixel(5, 16) & 0xFFFFFFu;
    if (!circleFits(held)) {
        b.drawOffsetX = -0.1f;
        if (!circleFits(held)) b.drawOffsetX = 0.0f;
    }
    s.drawArea = area;
    s.blendMode = mode;
    s.blendParam = param;
    s.brightRed = bright[0], s.brightGreen = bright[1], s.brightBlue = bright[2];
    Graphics_D3D9_RefreshDiffuseColor();
    return 0;
}

}  // namespace ZaDod
