// Shape drawing on Direct3D 11: boxes, pixels and the rows of circles and ovals as
// untextured rectangles (so they light exactly the software renderer's pixels), lines
// through pixel centres with the end pixel left out, triangles as they are.
#include <algorithm>
#include <cstring>
#include <vector>

#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/shape_walks.h"
#include "media/graphics/spans.h"
#include "media/base/log.h"

namespace ZaDod {
namespace {

using namespace plat::gpu;

using V2 = D3D11ColorVertex;
struct VT {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
// The blend-textured record: the drawn graph's coordinates in the first pair, the blend
// graph's in the second, as the built-in pixel shaders read them.
struct VB {
    float x, y, z, rhw;
    uint32_t color, specular;
    float u, v, bu, bv;
};
static_assert(sizeof(VB) == 40);

uint32_t shapeColor(unsigned int color) {
    int r, g, b;
    UnpackScreenColor(color, &r, &g, &b);
    return D3D11_DrawColor(r, g, b);
}

int putVertices(D3D11_PRIMITIVE_TOPOLOGY topology, const V2* v, int n) {
    uint8_t* at = Graphics_D3D11_BatchReserve(topology, n);
    if (at == nullptr) return -1;
    std::memcpy(at, v, sizeof(V2) * size_t(n));
    return 0;
}

// A walk may give a row or a point more than once; each is drawn once, so blended
// shapes are not darkened where the walk repeats itself.
struct RowContext {
    uint32_t color;
    int result;
    int top;
    std::vector<uint8_t> rowDone;
    std::vector<uint64_t> points;
};
void spanRect(void* context, int y, int left, int right) {
    auto* c = static_cast<RowContext*>(context);
    const size_t row = size_t(y - c->top);
    if (row >= c->rowDone.size() || c->rowDone[row]) return;
    c->rowDone[row] = 1;
    if (D3D11_PutRect(float(left), float(y), float(right + 1), float(y + 1), c->color) < 0) c->result = -1;
}
void collectPoint(void* context, int x, int y) {
    static_cast<RowContext*>(context)->points.push_back(uint64_t(uint32_t(y)) << 32 | uint32_t(x));
}
// A circle when radiusY is negative, else an oval.
int walkShape(unsigned int color, int fillFlag, int x, int y, int radiusX, int radiusY) {
    if (D3D11_BeginUntextured() < 0) return -1;
    const ImageRect& area = GraphicsDrawSettings.drawArea;
    RowContext c{shapeColor(color), 0, area.top, {}, {}};
    if (fillFlag) {
        c.rowDone.assign(size_t(std::max(0, area.bottom - area.top)), 0);
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
        if (D3D11_PutRect(px, py, px + 1, py + 1, c.color) < 0) return -1;
    }
    return 0;
}

}  // namespace

uint32_t D3D11_DrawColor(int red, int green, int blue) {
    const DrawSettings& s = GraphicsDrawSettings;
    const int alpha = s.blendMode == 0 ? 255 : std::clamp(s.blendParam, 0, 255);
    return D3D11_VertexColor(red * s.brightRed / 255, green * s.brightGreen / 255, blue * s.brightBlue / 255, alpha);
}

int D3D11_PutTexturedQuad(const D3D11Corner c[4], uint32_t color) {
    uint8_t* at = Graphics_D3D11_BatchReserve(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, 6);
    if (at == nullptr) return -1;
    static const int kOrder[6] = {0, 1, 2, 1, 3, 2};
    if (D3D11Batch.variant == 2) {
        VB v[6];
        for (int i = 0; i < 6; ++i) {
            const D3D11Corner& k = c[kOrder[i]];
            v[i] = VB{k.x, k.y, 0.0f, 1.0f, color, 0xFFFFFFFFu, k.u, k.v, k.bu, k.bv};
        }
        std::memcpy(at, v, sizeof v);
        return 0;
    }
    VT v[6];
    for (int i = 0; i < 6; ++i) {
        const D3D11Corner& k = c[kOrder[i]];
        v[i] = VT{k.x, k.y, 0.0f, 1.0f, color, k.u, k.v};
    }
    std::memcpy(at, v, sizeof v);
    return 0;
}

int D3D11_PutRect(float x1, float y1, float x2, float y2, uint32_t color) {
    const V2 v[6] = {{x1, y1, 0, 1, color}, {x2, y1, 0, 1, color}, {x1, y2, 0, 1, color},
                     {x2, y1, 0, 1, color}, {x2, y2, 0, 1, color}, {x1, y2, 0, 1, color}};
    return putVertices(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, v, 6);
}

int D3D11_BeginUntextured() {
    if (!D3D11Device_IsValid()) return -1;
    Graphics_D3D11_DeviceState_SetTexture(nullptr, nullptr);
    return Graphics_D3D11_DrawPreparation(0);
}

int Graphics_D3D11_DrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D11_BeginUntextured() < 0) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x1 == x2 || y1 == y2) return 0;
    return D3D11_PutRect(float(x1), float(y1), float(x2), float(y2), shapeColor(color));
}

int Graphics_D3D11_DrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D11_BeginUntextured() < 0) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x1 == x2 || y1 == y2) return 0;
    const uint32_t c = shapeColor(color);
    const float l = float(x1), t = float(y1), r = float(x2), b = float(y2);
    // A side may span more than an int holds (a corner near each end of the range).
    const int64_t width = int64_t(x2) - x1, height = int64_t(y2) - y1;
    int result = D3D11_PutRect(l, t, r, t + 1, c);
    if (height > 1) result |= D3D11_PutRect(l, b - 1, r, b, c);
    if (height > 2) {
        result |= D3D11_PutRect(l, t + 1, l + 1, b - 1, c);
        if (width > 1) result |= D3D11_PutRect(r - 1, t + 1, r, b - 1, c);
    }
    return result < 0 ? -1 : 0;
}

int Graphics_D3D11_DrawPixel(int x, int y, unsigned int color) {
    if (D3D11_BeginUntextured() < 0) return -1;
    // The far edge in 64 bits: at the largest coordinate it rounds onto the near one
    // and nothing is drawn, as the software renderer draws nothing there.
    return D3D11_PutRect(float(x), float(y), float(int64_t(x) + 1), float(int64_t(y) + 1), shapeColor(color));
}

int Graphics_D3D11_DrawLine(int x1, int y1, int x2, int y2, unsigned int color) {
    if (D3D11_BeginUntextured() < 0) return -1;
    if (x1 == x2 && y1 == y2) return 0;
    const uint32_t c = shapeColor(color);
    // Through pixel centres: the rasteriser's exit rule leaves the end pixel out.
    const V2 v[2] = {{float(x1) + 0.5f, float(y1) + 0.5f, 0, 1, c}, {float(x2) + 0.5f, float(y2) + 0.5f, 0, 1, c}};
    return putVertices(D3D11_PRIMITIVE_TOPOLOGY_LINELIST, v, 2);
}

int Graphics_D3D11_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag) {
    if (!fillFlag) {
        int r = Graphics_D3D11_DrawLine(x1, y1, x2, y2, color);
        r |= Graphics_D3D11_DrawLine(x2, y2, x3, y3, color);
        r |= Graphics_D3D11_DrawLine(x3, y3, x1, y1, color);
        return r < 0 ? -1 : 0;
    }
    if (D3D11_BeginUntextured() < 0) return -1;
    const uint32_t c = shapeColor(color);
    const V2 v[3] = {{float(x1), float(y1), 0, 1, c}, {float(x2), float(y2), 0, 1, c}, {float(x3), float(y3), 0, 1, c}};
    return putVertices(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, v, 3);
}

int Graphics_D3D11_DrawCircle(int x, int y, int radius, unsigned int color, int fillFlag) {
    return radius < 0 ? 0 : walkShape(color, fillFlag, x, y, radius, -1);
}

int Graphics_D3D11_DrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag) {
    return walkShape(color, fillFlag, x, y, radiusX, radiusY < 0 ? -radiusY : radiusY);
}

namespace {

// Thick outlines: the shared span table of the rows the shape can reach, each row drawn
// as one rectangle, or two around its hole.
int drawThick(unsigned int color, int x, int y, int radiusX, int radiusY, int thickness, bool circle) {
    if (D3D11_BeginUntextured() < 0) return -1;
    const ImageRect& area = GraphicsDrawSettings.drawArea;
    if (area.bottom <= area.top || area.right <= area.left) return 0;
    const size_t bytes = size_t(area.bottom) * kSpanRowValues * sizeof(int16_t);
    if (ReserveDrawWorkBuffer(0, bytes) != 0) {
        // The game keeps running without this one shape.
        LogAddTextUtf16(u"メモリの確保に失敗しました in G_D3D_DrawCircle");
        return -1;
    }
    auto* table = static_cast<int16_t*>(GetDrawWorkBuffer(0));
    std::memset(table, 0, bytes);
    if (circle)
        BuildThickCircleSpansIn(area, x, y, radiusX, thickness, table);
    else
        BuildThickOvalSpansIn(area, x, y, radiusX, radiusY, thickness, table);
    const uint32_t c = shapeColor(color);
    for (int row = area.top; row < area.bottom; ++row) {
        const int16_t* r = table + size_t(row) * kSpanRowValues;
        if (r[4] == 0) continue;
        const float top = float(row), bottom = float(row + 1);
        int result;
        if ((r[4] & (kSpanInnerLeft | kSpanInnerRight)) && r[2] < r[3])
            result = D3D11_PutRect(float(r[0]), top, float(r[2] + 1), bottom, c) |
                     D3D11_PutRect(float(r[3]), top, float(r[1] + 1), bottom, c);
        else
            result = D3D11_PutRect(float(r[0]), top, float(r[1] + 1), bottom, c);
        if (result < 0) return -1;
    }
    return 0;
}

}  // namespace

int Graphics_D3D11_DrawThickCircle(int x, int y, int radius, unsigned int color, int thickness) {
    // A ring under two pixels is the one-pixel outline's job; asked here, it is refused.
    if (thickness < 2) return -1;
    if (radius < 0) return 0;
    return drawThick(color, x, y, radius, radius, thickness, true);
}

int Graphics_D3D11_DrawThickOval(int x, int y, int radiusX, int radiusY, unsigned int color, int thickness) {
    if (thickness < 2) return -1;
    if (radiusX < 0 || radiusY < 0) return 0;
    return drawThick(color, x, y, radiusX, radiusY, thickness, false);
}

}  // namespace ZaDod
