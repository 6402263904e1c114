// Shape drawing on Direct3D 9: boxes, pixels and the rows of circles and ovals as
// untextured rectangles around whole-coordinate pixel centres (so they light exactly the
// software renderer's pixels), lines between the end points with the end pulled back by
// a tenth, triangles as they are.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/base/log.h"
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/shape_walks.h"
#include "media/graphics/spans.h"

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

// A walk may give a row or a point more than once; each is drawn once, so blended
// shapes are not darkened where the walk repeats itself. The row table is the work
// buffer 1, one byte a row from the draw area's top.
struct RowContext {
    uint32_t color;
    int result;
    int top;
    size_t rows;
    uint8_t* rowDone;
    std::vector<uint64_t> points;
};
void spanRect(void* context, int y, int left, int right) {
    auto* c = static_cast<RowContext*>(context);
    const size_t row = size_t(y - c->top);
    if (row >= c->rows || c->rowDone[row]) return;
    c->rowDone[row] = 1;
    // The left end follows the horizontal offset the probe found; the rest the fixed centre.
    const float left0 = float(left) + D3D9BackendSys.drawOffsetX - kD3D9PixelCentre;
    if (D3D9_PutRect(left0, float(y), float(right + 1), float(y + 1), c->color) < 0) c->result = -1;
}
void collectPoint(void* context, int x, int y) {
    static_cast<RowContext*>(context)->points.push_back(uint64_t(uint32_t(y)) << 32 | uint32_t(x));
}
// A circle when radiusY is negative, else an oval.
int walkShape(unsigned int color, int fillFlag, int x, int y, int radiusX, int radiusY) {
    if (D3D9_BeginUntextured() < 0) return -1;
    const ImageRect& area = GraphicsDrawSettings.drawArea;
    RowContext c{D3D9_ShapeColor(color), 0, area.top, 0, nullptr, {}};
    if (fillFlag) {
        c.rows = size_t(std::max(0, area.bottom - area.top));
        if (ReserveDrawWorkBuffer(1, c.rows + 1) != 0) {
            // The game keeps running without this one shape.
            LogAddTextUtf16(u"メモリの確保に失敗しました in G_D3D_DrawCircle");
            return -1;
        }
        c.rowDone = static_cast<uint8_t*>(GetDrawWorkBuffer(1));
        std::memset(c.rowDone, 0, c.rows);
        if (radiusY < 0)
            WalkCircleFill(area, x, y, radiusX, spanRect, &c);
        else
            WalkOvalFill(area, x, y, radiusX, radiusY, spanRect, &c);
        return c.result;
    }
    if (radiusY < 0)
        WalkCircleOutline(area, x, y, radiusX, collectPoint, &c);
    else
        WalkOvalOutline(area, x, y, radiusX, radiusY, collectPoint, &c);
    std::sort(c.points.begin(), c.points.end());
    c.points.erase(std::unique(c.points.begin(), c.points.end()), c.points.end());
    for (uint64_t p : c.points) {
        const float px = float(int32_t(uint32_t(p))), py = float(int32_t(uint32_t(p >> 32)));
        if (D3D9_PutRect(px, py, px + 1, py + 1, c.color) < 0) return -1;
    }
    return 0;
}

// Thick outlines: the shared span table of the rows the shape can reach, each row drawn
// as one rectangle, or two around its hole.
int drawThick(unsigned int color, int x, int y, int radiusX, int radiusY, int thickness, bool circle) {
    if (D3D9_BeginUntextured() < 0) return -1;
    const ImageRect& area = GraphicsDrawSettings.drawArea;
    if (area.bottom <= area.top || area.right <= area.left) return 0;
    const size_t bytes = size_t(area.bottom) * kSpanRowValues * sizeof(int16_t);
    if (ReserveDrawWorkBuffer(1, bytes) != 0) {
        LogAddTextUtf16(u"メモリの確保に失敗しました in G_D3D_DrawCircle");
        return -1;
    }
    auto* table = static_cast<int16_t*>(GetDrawWorkBuffer(1));
    std::memset(table, 0, bytes);
    if (circle)
        BuildThickCircleSpansIn(area, x, y, radiusX, thickness, table);
    else
        BuildThickOvalSpansIn(area, x, y, radiusX, radiusY, thickness, table);
    const uint32_t c = D3D9_ShapeColor(color);
    for (int row = area.top; row < area.bottom; ++row) {
        const int16_t* r = table + size_t(row) * kSpanRowValues;
        if (r[4] == 0) continue;
        const float top = float(row), bottom = float(row + 1);
        int result;
        if ((r[4] & (kSpanInnerLeft | kSpanInnerRight)) && r[2] < r[3])
            result = D3D9_PutRect(float(r[0]), top, float(r[2] + 1), bottom, c) |
                     D3D9_PutRect(float(r[3]), top, float(r[1] + 1), bottom, c);
        else
            result = D3D9_PutRect(float(r[0]), top, float(r[1] + 1), bottom, c);
        if (result < 0) return -1;
    }
    return 0;
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

int D3D9_BeginUntextured() {
    if (!Direct3DDevice9_IsValid()) return -1;
    Graphics_D3D9_BeginScene();
    Graphics_D3D9_DeviceState_SetTexture(nullptr);
    D3D9_UseBlendPiece(nullptr);
    Graphics_D3D9_DrawPreparation(0);
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
    if (x1 > x2 || y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (x1 >= x2 || y1 >= y2) return 0;
    const uint32_t c = D3D9_ShapeColor(color);
    const float l = float(x1), t = float(y1), r = float(x2), b = float(y2);
    // Four strips that never overlap: top, right, left, bottom.
    int result = D3D9_PutRect(l, t, r, t + 1, c);
    if (y2 - y1 > 1) {
        result |= D3D9_PutRect(r - 1, t + 1, r, b, c);
        if (x2 - x1 > 1) result |= D3D9_PutRect(l, t + 1, l + 1, b, c);
        if (x2 - x1 > 2) result |= D3D9_PutRect(l + 1, b - 1, r - 1, b, c);
    }
    return result < 0 ? -1 : 0;
}

int Graphics_D3D9_DrawPixel(int x, int y, unsigned int color) {
    if (D3D9_BeginUntextured() < 0) return -1;
    return D3D9_PutRect(float(x), float(y), float(x + 1), float(y + 1), D3D9_ShapeColor(color));
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
