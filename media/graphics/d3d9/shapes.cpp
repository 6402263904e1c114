// Shape drawing on Direct3D 9: boxes, pixels and the rows of circles and ovals as
// untextured rectangles around whole-coordinate pixel centres (so they light exactly the
// software renderer's pixels), lines between the end points with the end pulled back by
// a tenth, triangles as they are.
#include <algorithm>
#include <cstring>

#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hwdraw/shape_rects.h"
#include "media/graphics/render_state.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

struct V2 {
    float x, y, z, rhw;
    uint32_t color;
};
struct VT {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
// The blend-textured record: the blend graph's coordinates in the first pair, the drawn
// graph's in the second.
struct VB {
    float x, y, z, rhw;
    uint32_t color, specular;
    float bu, bv, u, v;
};
static_assert(sizeof(V2) == 20 && sizeof(VT) == 28 && sizeof(VB) == 40);

int putVertices(D3DPRIMITIVETYPE type, const V2* v, int n) {
    uint8_t* at = D3D9_BatchReserve(type, n);
    if (at == nullptr) return -1;
    std::memcpy(at, v, sizeof(V2) * size_t(n));
    return 0;
}

struct ShapeContext {
    uint32_t color;
};
// The left end of a filled row follows the horizontal offset the probe found; every other
// edge sits at the fixed pixel centre.
int shapeRect(void* context, int x1, int y1, int x2, int y2, int span) {
    const float left = span ? float(x1) + D3D9BackendSys.drawOffsetX - kD3D9PixelCentre : float(x1);
    return D3D9_PutRect(left, float(y1), float(x2), float(y2), static_cast<ShapeContext*>(context)->color);
}

// A circle when radiusY is negative, else an oval.
int walkShape(unsigned int color, int fillFlag, int x, int y, int radiusX, int radiusY) {
    if (D3D9_BeginUntextured() < 0) return -1;
    ShapeContext c{D3D9_ShapeColor(color)};
    return WalkShapeRects(GraphicsDrawSettings.drawArea, x, y, radiusX, radiusY, fillFlag, shapeRect, &c) < 0 ? -1
                                                                                                            : 0;
}

int drawThick(unsigned int color, int x, int y, int radiusX, int radiusY, int thickness, bool circle) {
    if (D3D9_BeginUntextured() < 0) return -1;
    ShapeContext c{D3D9_ShapeColor(color)};
    return WalkThickShapeRects(GraphicsDrawSettings.drawArea, x, y, radiusX, radiusY, thickness, circle ? 1 : 0,
                               shapeRect, &c) < 0
               ? -1
               : 0;
}

}  // namespace

int D3D9_PutTexturedQuad(const D3D9Corner c[4], uint32_t color) {
    uint8_t* at = D3D9_BatchReserve(D3DPT_TRIANGLELIST, 6);
    if (at == nullptr) return -1;
    static const int kOrder[6] = {0, 1, 2, 3, 2, 1};
    if (D3D9Batch.variant == 2) {
        VB v[6];
        for (int i = 0; i < 6; ++i) {
            const D3D9Corner& k = c[kOrder[i]];
            v[i] = VB{k.x, k.y, 0.0f, 1.0f, color, 0xFFFFFFFFu, k.bu, k.bv, k.u, k.v};
        }
        std::memcpy(at, v, sizeof v);
        return 0;
    }
    VT v[6];
    for (int i = 0; i < 6; ++i) {
        const D3D9Corner& k = c[kOrder[i]];
        v[i] = VT{k.x, k.y, 0.0f, 1.0f, color, k.u, k.v};
    }
    std::memcpy(at, v, sizeof v);
    return 0;
}

int D3D9_PutRect(float x1, float y1, float x2, float y2, uint32_t color) {
    const float o = kD3D9PixelCentre;
    x1 += o, y1 += o, x2 += o, y2 += o;
    const V2 v[6] = {{x1, y1, 0, 1, color}, {x2, y1, 0, 1, color}, {x1, y2, 0, 1, color},
                     {x2, y2, 0, 1, color}, {x1, y2, 0, 1, color}, {x2, y1, 0, 1, color}};
    return putVertices(D3DPT_TRIANGLELIST, v, 6);
}

void D3D9_PrepareIfNeeded(int key) {
    const D3D9DeviceStateCache& c = D3D9State;
    if (c.stateChanged || c.force || c.keyChanged || c.textureChanged || GraphicsRender.settingsChanged ||
        D3D9Batch.lastKey != key)
        Graphics_D3D9_DrawPreparation(key);
}

int D3D9_BeginUntextured() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    D3D9_UseBlendPiece(nullptr);
    D3D9_PrepareIfNeeded(0);
    return 0;
}

int Graphics_D3D9_DrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D9_BeginUntextured() < 0) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x1 == x2 || y1 == y2) return 0;
    return D3D9_PutRect(float(x1), float(y1), float(x2), float(y2), D3D9_ShapeColor(color));
}

int Graphics_D3D9_DrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D9_BeginUntextured() < 0) return -1;
    // Either pair of corners may come reversed.
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x1 >= x2 || y1 >= y2) return 0;
    const uint32_t c = D3D9_ShapeColor(color);
    const float l = float(x1), t = float(y1), r = float(x2), b = float(y2);
    // Four strips that never overlap: top, right, left, bottom.
    // A side may span more than an int holds (a corner near each end of the range).
    const int64_t width = int64_t(x2) - x1, height = int64_t(y2) - y1;
    int result = D3D9_PutRect(l, t, r, t + 1, c);
    if (height > 1) {
        result |= D3D9_PutRect(r - 1, t + 1, r, b, c);
        if (width > 1) result |= D3D9_PutRect(l, t + 1, l + 1, b, c);
        if (width > 2) result |= D3D9_PutRect(l + 1, b - 1, r - 1, b, c);
    }
    return result < 0 ? -1 : 0;
}

int Graphics_D3D9_DrawPixel(int x, int y, unsigned int color) {
    if (D3D9_BeginUntextured() < 0) return -1;
    // The far edge in 64 bits: at the largest coordinate it rounds onto the near one
    // and nothing is drawn, as the software renderer draws nothing there.
    return D3D9_PutRect(float(x), float(y), float(int64_t(x) + 1), float(int64_t(y) + 1), D3D9_ShapeColor(color));
}

int Graphics_D3D9_DrawLine(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D9_BeginUntextured() < 0) return -1;
    if (x1 == x2 && y1 == y2) return 0;
    const uint32_t c = D3D9_ShapeColor(color);
    // Pixel centres lie on whole coordinates; an axis-aligned line's end is pulled back by
    // a tenth so the rasteriser leaves the end pixel out whichever way the line runs.
    float ex = float(x2), ey = float(y2);
    if (x1 == x2) ey += y2 > y1 ? -0.1f : 0.1f;
    if (y1 == y2) ex += x2 > x1 ? -0.1f : 0.1f;
    const V2 v[2] = {{float(x1), float(y1), 0, 1, c}, {ex, ey, 0, 1, c}};
    return putVertices(D3DPT_LINELIST, v, 2);
}

int Graphics_D3D9_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag) {
    if (!fillFlag) {
        int r = Graphics_D3D9_DrawLine(x1, y1, x2, y2, color);
        r |= Graphics_D3D9_DrawLine(x2, y2, x3, y3, color);
        r |= Graphics_D3D9_DrawLine(x3, y3, x1, y1, color);
        return r < 0 ? -1 : 0;
    }
    if (D3D9_BeginUntextured() < 0) return -1;
    const uint32_t c = D3D9_ShapeColor(color);
    const float o = kD3D9PixelCentre;
    const V2 v[3] = {{float(x1) + o, float(y1) + o, 0, 1, c},
                     {float(x2) + o, float(y2) + o, 0, 1, c},
                     {float(x3) + o, float(y3) + o, 0, 1, c}};
    return putVertices(D3DPT_TRIANGLELIST, v, 3);
}

int Graphics_D3D9_DrawCircle(int x, int y, int radius, unsigned int color, int fillFlag) {
    return radius < 0 ? 0 : walkShape(color, fillFlag, x, y, radius, -1);
}

int Graphics_D3D9_DrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag) {
    if (radiusX == 0 || radiusY == 0) return -1;
    return walkShape(color, fillFlag, x, y, radiusX < 0 ? -radiusX : radiusX, radiusY < 0 ? -radiusY : radiusY);
}

int Graphics_D3D9_DrawThickCircle(int x, int y, int radius, unsigned int color, int thickness) {
    if (thickness < 2) return -1;
    if (radius < 0) return 0;
    return drawThick(color, x, y, radius, radius, thickness, true);
}

int Graphics_D3D9_DrawThickOval(int x, int y, int radiusX, int radiusY, unsigned int color, int thickness) {
    if (thickness < 2 || radiusX == 0 || radiusY == 0) return -1;
    return drawThick(color, x, y, radiusX < 0 ? -radiusX : radiusX, radiusY < 0 ? -radiusY : radiusY, thickness,
                     false);
}

}  // namespace ZaDod
