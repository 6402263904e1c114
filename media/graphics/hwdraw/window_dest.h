// Where a hardware flip puts the screen in the window: the screen scaled by the window's
// stretch rates at the top left, in the middle of the client area in the centred layout,
// or against the client's bottom below a toolbar; and the layered-window present. Both
// back ends take them from here.
#pragma once
#include "platform/win/win_window.h"

namespace ZaDod {

struct WindowDestLayout {
    plat::win::RECT dest;  // client co-ordinates
    int borders;           // the centred layout without toolbar: the flip paints the borders
};

// The destination of a width x height screen in the main window's client area.
WindowDestLayout ComputeWindowDest(int width, int height);

// A layered window shows the screen through the window part instead of a swap chain:
// after the vertical-blank wait (unless vertical sync is off) the back screen is locked
// whole, handed over by colour key (layered mode 1) or per-pixel alpha (mode 2) and
// unlocked, with the back screen as the draw target for the time of the lock. 0, or -1
// when the lock fails.
int PresentLayeredWindow();

}  // namespace ZaDod
