// Drawing fronts: the device-independent shape and graph draws of the current draw
// target. Each checks the graphics state and the handle, brackets the draw for the
// mask and for emulated subtractive blending, and hands it to the Direct3D dispatcher
// or to the software renderer.
#pragma once
#include <cstdint>

#include "media/graphics/mem_img.h"

namespace ZaDod {

// A 2D vertex: screen position, rhw, diffuse colour (bytes b, g, r, a) and texture
// coordinates; 28 bytes.
struct Vertex2D {
    float x, y, z, rhw;
    uint8_t b, g, r, a;
    float u, v;
};
static_assert(sizeof(Vertex2D) == 28);

// One textured quad of a quad list: corners top-left, top-right, bottom-right,
// bottom-left, and the source rectangle in the graph.
struct GraphQuad {
    float x1, y1, x2, y2, x3, y3, x4, y4;
    int srcX, srcY, srcWidth, srcHeight;
};
struct GraphQuadList {
    int graph;
    int count;
    const GraphQuad* quads;
};

// Handle of DrawPrimitive2DEx for untextured vertices.
constexpr int kNoTextureHandle = -5;

// Shapes. Colours are screen-format values (PackScreenColor). All return 0 on success
// and 0 without drawing while the draw area is empty.
int ClearDrawTarget(const ImageRect* rect);  // null or a negative left/top: the whole target
int DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fillFlag);
int DrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color);
int DrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color);
int DrawLine(int x1, int y1, int x2, int y2, unsigned int color, int thickness = 1);
int DrawThickLine(int x1, int y1, int x2, int y2, unsigned int color, int thickness);
int DrawCircle(int x, int y, int radius, unsigned int color, int fillFlag, int thickness = 1);
int DrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag, int thickness = 1);
int DrawPixel(int x, int y, unsigned int color);
int DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag);
int DrawDeformedGraphInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph, int transFlag);
// Device only: without a Direct3D device these draw nothing and return 0.
int DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, int graph, int transFlag);
int DrawPrimitive2DEx(const Vertex2D* vertices, int count, int primitiveType, int graph, int transFlag);

// Graphs. trans 1 draws with the graph's alpha or colour key, 0 copies it opaque.
int DrawGraph(int x, int y, int graph, int transFlag);
int DrawGraphF(float x, float y, int graph, int transFlag);
int DrawStretchedGraph(int x1, int y1, int x2, int y2, int graph, int transFlag);
int DrawStretchedGraphF(float x1, float y1, float x2, float y2, int graph, int transFlag);
int DrawMirroredGraph(int x, int y, int graph, int transFlag);
int DrawMirroredGraphF(float x, float y, int graph, int transFlag);
int DrawPartGraph(int x, int y, int srcX, int srcY, int width, int height, int graph, int transFlag,
                  int mirrorFlag);
int DrawPartGraphF(float x, float y, int srcX, int srcY, int width, int height, int graph, int transFlag,
                   int mirrorFlag);
int DrawStretchedPartGraphF(float x1, float y1, float x2, float y2, int srcX, int srcY, int width, int height,
                            int graph, int transFlag);
// The graph's point (centerX, centerY) at (x, y), scaled and turned by angle (radians).
int DrawRotatedGraph(int x, int y, int centerX, int centerY, double scaleX, double scaleY, double angle, int graph,
                     int transFlag, int mirrorFlag);
int DrawRotatedGraphF(float x, float y, float centerX, float centerY, double scaleX, double scaleY, double angle,
                      int graph, int transFlag, int mirrorFlag);
// The graph's centre at (x, y), scaled and turned.
int DrawRotatedGraphCore(float x, float y, double scale, double angle, int graph, int transFlag, int mirrorFlag);
// Corners top-left, top-right, bottom-right, bottom-left.
int DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                      int transFlag, int floatFlag);
int DrawGraphQuadList(const GraphQuadList* list);

}  // namespace ZaDod
