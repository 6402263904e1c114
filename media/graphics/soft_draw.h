// Software drawing fallbacks: the shape and graph draws of the drawing front when no
// Direct3D device is in use, turned into software image primitives aimed at the
// software draw target under the software draw state.
#pragma once

namespace ZaDod {

struct RotationPlacement;

// Circles and ovals return -1 when their span buffer cannot grow; everything else 0,
// except that graph draws of a handle without a software image return -1.
int SoftDrawCircle(int x, int y, int radius, unsigned int color, int fillFlag);
int SoftDrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag);
int SoftDrawThickCircle(int x, int y, int radius, unsigned int color, int thickness);
int SoftDrawThickOval(int x, int y, int radiusX, int radiusY, unsigned int color, int thickness);
int SoftDrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color);
int SoftDrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color);
int SoftDrawLine(int x1, int y1, int x2, int y2, unsigned int color);
int SoftDrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag);
// p1..p4 in order around the quadrangle (the thick line of the drawing front).
int SoftDrawQuadrangle(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, unsigned int color,
                       int fillFlag);

int SoftDrawGraph(int x, int y, int graph, int transFlag);
int SoftDrawStretchedGraph(int x1, int y1, int x2, int y2, int graph, int transFlag);
// The same at float corners: each pixel takes the texel under its centre, as on the
// hardware paths, so a rectangle with fractional edges is not first moved to whole pixels.
int SoftDrawStretchedGraphF(float x1, float y1, float x2, float y2, int graph, int transFlag);
// Corners top-left, top-right, bottom-right, bottom-left.
int SoftDrawDeformedGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph, int transFlag);
int SoftDrawDeformedGraphF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                           int transFlag);
// The graph's point (at.cx, at.cy) at (at.px, at.py), scaled, then turned by angle
// (radians, clockwise on screen); turnFlag mirrors it left to right first.
int SoftDrawRotatedGraph(const RotationPlacement& at, double scale, double angle, int graph, int transFlag,
                         int turnFlag);

}  // namespace ZaDod
