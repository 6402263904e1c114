// Region stand-in: regions as sets of disjoint rectangles, and the window shape.
#pragma once
#include "platform/win/win_window.h"

namespace plat::win {

inline constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
inline constexpr int REGION_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
// Supports RGN_OR, RGN_DIFF, RGN_AND and RGN_COPY.
int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode);
// The window takes the region over (null removes the shape).
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);

}  // namespace plat::win
