// Presenting a frame: through the Direct3D back end, or in software mode by copying
// the main software screen into the window; and the front-screen refresh timer.
#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/display.h"
#include "media/graphics/hardware.h"

namespace ZaDod {

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
    return 0;
}

int Graphics_Hardware_SetFrontScreenTimer(int handle) {
    switch (GraphicsApiType) {
        case kGraphicsApiD3D9: return Graphics_D3D9_SetFrontScreenTimer(handle);
        case kGraphicsApiD3D11: return Graphics_D3D11_SetFrontScreenTimer(handle);
        default: return 0;
    }
}

}  // namespace ZaDod
