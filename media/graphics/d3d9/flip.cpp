// The Direct3D 9 flip: the sub back buffer made sure of in full screen, then presented.
#include "media/graphics/d3d9/d3d9_state.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"
#include "media/system/window_state.h"

namespace ZaDod {

int Graphics_D3D9_FlipScreen() {
    if (!Direct3DDevice9_IsValid()) return -1;
    // A minimised window that does not run while inactive shows nothing.
    if (!GetWindowActiveFlag() && !GetRunWhileInactiveFlag() && Win.Status.Minimized) return 0;
    const GraphicsSystemState& g = GraphicsSys;
    if (!GetWindowModeFlag() && !(g.scalingMode == 1 && !g.userScreenRectSet)) Graphics_D3D9_SubBackBuffer_Setup();
    return Graphics_D3D9_PresentSubBackBuffer();
}

}  // namespace ZaDod
