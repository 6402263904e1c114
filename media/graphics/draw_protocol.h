// The draw protocol the drawing fronts share: the state checks, the clamped bracket
// rectangle, and the mask and subtractive-emulation bracket around one draw.
#pragma once
#include "media/graphics/mask.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

struct GraphData;

// -1: graphics not started; 1: the draw area is empty (the front returns 0); 0: go on.
// Waits while the window is inactive.
int CheckDrawState();
// The rectangle with each edge clamped into the draw area.
ImageRect ClampToDrawArea(ImageRect rect);
// The rectangle of float extents, widened to whole pixels; non-finite values give the draw area.
ImageRect RectOfPoints(const float* xy, int points, float grow);
// Subtractive blending emulated for a shape (device without it, blend mode 3).
bool ShapeNeedsEmulation();
// The same for a graph draw: also only for graphs held in textures.
bool GraphNeedsEmulation(const GraphData* graph);
// The blend graph for the dispatcher; null for none.
GraphData* CurrentBlendGraph();

template <typename Draw>
int DrawBracketed(ImageRect rect, bool emulate, Draw draw) {
    const bool masked = IsDrawingThroughMask() != 0;
    if (!masked && !emulate) return draw();
    rect = ClampToDrawArea(rect);
    if (masked) BeginMaskDraw(&rect);
    int result;
    if (emulate) {
        BeginSubtractBlendEmulation(&rect);
        result = draw();
        EndSubtractBlendEmulation(&rect);
    } else {
        result = draw();
    }
    if (masked) EndMaskDraw(&rect);
    return result;
}

}  // namespace ZaDod
