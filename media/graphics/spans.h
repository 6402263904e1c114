// Span tables of thick circle and ellipse outlines: one row of five 16-bit values per
// screen row (outer left, outer right, inner left, inner right, flags), which the
// software renderer and the hardware back ends fill row by row.
#pragma once
#include <cstdint>

#include "media/graphics/color_blit.h"

namespace ZaDod {

// Flags of a span row: which of the four edges are set.
enum : int16_t {
    kSpanOuterLeft = 1,
    kSpanOuterRight = 2,
    kSpanInnerLeft = 4,
    kSpanInnerRight = 8,
};
constexpr int kSpanRowValues = 5;

// Outlines whose outer radius passes this build nothing: their walk would take longer
// than any frame.
constexpr int kMaxSpanRadius = 1 << 20;

// Fill a zeroed table (kSpanRowValues values a row, indexed by the row itself, at least
// the draw area's bottom rows) for the rows of the draw area. Thickness t widens the
// outline by t / 2 outwards and (t - 1) / 2 inwards; where the inner radius is not
// positive the rows are those of a filled shape. Stored values are cut to the draw
// area's columns widened by one on the left. Both return 0.
int BuildThickCircleSpans(int x, int y, int radius, int thickness, int16_t* table);
int BuildThickOvalSpans(int x, int y, int radiusX, int radiusY, int thickness, int16_t* table);

// The same over the rows and columns of the given area.
int BuildThickCircleSpansIn(const ImageRect& area, int x, int y, int radius, int thickness, int16_t* table);
int BuildThickOvalSpansIn(const ImageRect& area, int x, int y, int radiusX, int radiusY, int thickness,
                          int16_t* table);

}  // namespace ZaDod
