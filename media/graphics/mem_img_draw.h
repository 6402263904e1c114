// Drawing primitives of software images: spans, boxes, lines, pixels, triangles and
// the draw of one software image onto another (at a point, stretched, or onto a
// quadrilateral). Every primitive draws into the software draw target under the
// software draw state (draw area, blend mode and parameter, bright colour, blend graph)
// and clips to the draw area and the target. Colours are screen-format values of the
// target's kind.
#pragma once
#include <cstdint>

#include "media/graphics/mem_img.h"

namespace ZaDod {

// Pixels x1..x2 - 1 of row y.
void DrawSpanMemImg(int y, int x1, int x2, uint32_t color);
// [left, right) x [top, bottom); the corners may come in any order.
void DrawFillBoxMemImg(const ImageRect* rect, uint32_t color);
void DrawPixelMemImg(int x, int y, uint32_t color);
// From (x1, y1) up to, not including, (x2, y2).
void DrawLineMemImg(int x1, int y1, int x2, int y2, uint32_t color);
// Filled triangle under the top-left rule.
void DrawTriangleMemImg(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color);

// src with its top-left at (x, y). transFlag 1 skips transparent pixels and blends by alpha.
void DrawMemImg(const MEMIMG* src, int x, int y, int transFlag);
// src stretched over [x1, x2) x [y1, y2); x1 > x2 or y1 > y2 mirrors.
void DrawStretchMemImg(const MEMIMG* src, int x1, int y1, int x2, int y2, int transFlag);
// src mapped onto the quadrilateral of its corners top-left, top-right, bottom-right,
// bottom-left (x, y pairs), as two affinely mapped triangles. Corners that are not
// finite or lie beyond +-2^24 draw nothing.
void DrawQuadMemImg(const MEMIMG* src, const double corners[8], int transFlag);

}  // namespace ZaDod
