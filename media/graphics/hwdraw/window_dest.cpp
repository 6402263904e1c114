// The destination rectangle of the screen in the window and the layered-window present,
// shared by the hardware flips.
#include "media/graphics/hwdraw/window_dest.h"

#include <cstdlib>

#include "media/graphics/display.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "media/system/window_decor.h"

namespace ZaDod {

WindowDestLayout ComputeWindowDest(int width, int height) {
    double rx = 1.0, ry = 1.0;
    GetWindowStretchRate(&rx, &ry);
    const int w = int(width * rx), h = int(height * ry);
    WindowDestLayout layout{plat::win::RECT{0, 0, w, h}, 0};
    int clientWidth = 0, clientHeight = 0;
    GetWindowClientSize(&clientWidth, &clientHeight);
    const int centred = GetWindowCentreLayoutFlag();
    if (centred) {
        // Half the free space on each side (toward zero when the client is the smaller);
        // an edge that ends up within 2 pixels of the client's edge takes it, so rounding
        // of the rates leaves no one-pixel seam.
        const int left = (clientWidth - w) / 2, top = (clientHeight - h) / 2;
        plat::win::RECT& d = layout.dest;
        d = plat::win::RECT{left, top, left + w, top + h};
        if (std::abs(d.left) <= 2) d.left = 0;
        if (std::abs(d.top) <= 2) d.top = 0;
        if (std::abs(d.right - clientWidth) <= 2) d.right = clientWidth;
        if (std::abs(d.bottom - clientHeight) <= 2) d.bottom = clientHeight;
    }
    // A toolbar covers the top of the client area: the picture sits against the bottom.
    if (GetToolbarHeight() > 0) {
        layout.dest.bottom = clientHeight;
        layout.dest.top = clientHeight - h;
    } else {
        layout.borders = centred;
    }
    return layout;
}

int PresentLayeredWindow() {
    const GraphicsSystemState& g = GraphicsSys;
    if (!g.noVSync) WaitVSyncByDirectDraw();
    RenderTargetSlot& target = GraphicsDrawSettings.targets[0];
    const RenderTargetSlot kept = target;
    target = RenderTargetSlot{-2, 0};
    const ImageRect whole{0, 0, g.width, g.height};
    BaseImage image{};
    const int result = LockDrawTargetBuffer(&whole, &image, -2, 0, 1);
    if (result == 0) {
        UpdateLayeredWindowFromImage(&image, GetWindowLayeredMode() == 2, GraphicsDrawSettings.transColor);
        UnlockDrawTargetBuffer();
    }
    target = kept;
    return result == 0 ? 0 : -1;
}

}  // namespace ZaDod
