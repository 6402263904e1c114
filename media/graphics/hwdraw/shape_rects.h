// Circles, ovals and their thick forms as the rectangles of the pixels the software
// renderer lights, each row and point once, for back ends that draw shapes as quads.
#pragma once

#include "media/graphics/color_blit.h"

namespace ZaDod {

// One rectangle of whole pixels [x1, x2) x [y1, y2); `span` is 1 for a row of a filled
// shape (whose left end a back end may place by its own offset). A non-zero result stops
// the walk and is returned.
using ShapeRectFn = int (*)(void* context, int x1, int y1, int x2, int y2, int span);

// A circle when radiusY is negative, else an oval; outline points or filled rows inside
// the draw area. A filled shape needs a row table (work buffer 1): when it cannot be had
// the failure is logged and -1 returned, and the game keeps running.
int WalkShapeRects(const ImageRect& area, int x, int y, int radiusX, int radiusY, int fillFlag, ShapeRectFn rect,
                   void* context);

// Thick outlines from the shared span table: each row one rectangle, or two around its
// hole. -1 (logged) when the table cannot be had.
int WalkThickShapeRects(const ImageRect& area, int x, int y, int radiusX, int radiusY, int thickness, int circle,
                        ShapeRectFn rect, void* context);

}  // namespace ZaDod
