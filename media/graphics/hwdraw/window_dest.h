// Where a hardware flip puts the screen in the window: the screen scaled by the window's
// stretch rates at the top left, in the middle of the client area in the centred layout,
// or against the client's bottom below a toolbar. Both back ends take it from here.
#pragma once
#include "platform/win/win_window.h"

namespace ZaDod {

struct WindowDestLayout {
    plat::win::RECT dest;  // client co-ordinates
    int borders;           // the centred layout without toolbar: the flip paints the borders
};

// The destination of a width x height screen in the main window's client area.
WindowDestLayout ComputeWindowDest(int width, int height);

}  // namespace ZaDod
