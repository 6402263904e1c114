// The integer walks of thin and filled circles and ellipses, shared by the software
// renderer and the hardware back ends so that every renderer lights the same pixels:
// outlines as points cut to the draw area, filled shapes as one span per row.
#pragma once
#include "media/graphics/color_blit.h"

namespace ZaDod {

// Receives one outline point inside the area; a walk may give a point more than once.
using ShapePointFn = void (*)(void* context, int x, int y);
// Receives the span [left, right] (inclusive) of a row inside the area, already cut to
// the area's columns. A row may come more than once: the first span of a row is the
// one to draw, later ones are never wider.
using ShapeSpanFn = void (*)(void* context, int y, int left, int right);

// Radii beyond this walk nothing: their walk would take longer than any frame.
constexpr int kMaxWalkRadius = 1 << 20;

void WalkCircleOutline(const ImageRect& area, int x, int y, int radius, ShapePointFn point, void* context);
void WalkCircleFill(const ImageRect& area, int x, int y, int radius, ShapeSpanFn span, void* context);
// Both radii are taken as absolute values; a zero radius walks nothing.
void WalkOvalOutline(const ImageRect& area, int x, int y, int radiusX, int radiusY, ShapePointFn point,
                     void* context);
void WalkOvalFill(const ImageRect& area, int x, int y, int radiusX, int radiusY, ShapeSpanFn span, void* context);

}  // namespace ZaDod
