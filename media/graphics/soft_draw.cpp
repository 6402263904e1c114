// Software drawing fallbacks: circles and ovals through the span table of draw work
// buffer 0 (rings) or the shared walks (thin and filled shapes), boxes, lines,
// triangles and quadrangles as shape primitives, and graph draws as image draws.
#include "media/graphics/soft_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/hwdraw/rotation.h"
#include "media/graphics/mem_img_draw.h"
#include "media/graphics/render_state.h"
#include "media/graphics/shape_walks.h"
#include "media/graphics/spans.h"

namespace ZaDod {
namespace {

// The software draw area cut to the target, and to the rows and columns a 16-bit span
// value can hold; false when nothing can be drawn.
bool softArea(ImageRect* area) {
    const MemImgDrawState& state = GetMemImgDrawState();
    if (!CheckValidMemImg(state.target)) return false;
    *area = state.drawArea;
    const ImageRect whole{0, 0, std::min(state.target->width, 32767), std::min(state.target->height, 32767)};
    ClipRect(area, &whole);
    return area->right > area->left && area->bottom > area->top;
}

// Span table of rows [first, last), zeroed, in draw work buffer 0 sized up to the
// area's bottom; null when the buffer cannot grow.
int16_t* spanTable(const ImageRect& area, int64_t first, int64_t last) {
    if (ReserveDrawWorkBuffer(0, static_cast<size_t>(area.bottom) * kSpanRowValues * sizeof(int16_t)) != 0)
        return nullptr;
    auto* table = static_cast<int16_t*>(GetDrawWorkBuffer(0));
    if (first < last)
        std::memset(table + first * kSpanRowValues, 0, static_cast<size_t>(last - first) * kSpanRowValues * 2);
    return table;
}

// Draws rows [first, last) of a span table: a row with a hole as two spans, any
// other set row as one.
void drawSpanRows(const int16_t* table, int64_t first, int64_t last, unsigned int color) {
    for (int64_t y = first; y < last; ++y) {
        const int16_t* row = table + y * kSpanRowValues;
        const int flags = row[4];
        if (flags == 0) continue;
        const int row32 = static_cast<int>(y);
        if ((flags & (kSpanInnerLeft | kSpanInnerRight)) && row[2] < row[3]) {
            DrawSpanMemImg(row32, row[0], row[2] + 1, color);
            DrawSpanMemImg(row32, row[3], row[1] + 1, color);
        } else {
            DrawSpanMemImg(row32, row[0], row[1] + 1, color);
        }
    }
}

// Rows of the area a shape of vertical radius r around cy can reach.
void shapeRows(const ImageRect& area, int64_t cy, int64_t r, int64_t* first, int64_t* last) {
    *first = std::max<int64_t>(area.top, cy - r);
    *last = std::max(*first, std::min<int64_t>(area.bottom, cy + r + 1));
}

// The first span a walk gives a row is the one drawn.
void keepFirstSpan(void* context, int y, int left, int right) {
    int16_t* row = static_cast<int16_t*>(context) + static_cast<ptrdiff_t>(y) * kSpanRowValues;
    if (row[4] != 0) return;
    row[0] = static_cast<int16_t>(left);
    row[1] = static_cast<int16_t>(right);
    row[4] = kSpanOuterLeft | kSpanOuterRight;
}

// Outline points drawn once each: the walk's points collected in draw work buffer 1,
// then sorted, so that a point the walk gives twice is blended once.
struct PointList {
    uint64_t* points = nullptr;
    size_t count = 0, capacity = 0;
    bool failed = false;
};

void collectPoint(void* context, int x, int y) {
    auto* list = static_cast<PointList*>(context);
    if (list->failed) return;
    if (list->count == list->capacity) {
        const size_t grown = std::max<size_t>(256, list->capacity * 2);
        if (ReserveDrawWorkBuffer(1, grown * sizeof(uint64_t)) != 0) {
            list->failed = true;
            return;
        }
        list->points = static_cast<uint64_t*>(GetDrawWorkBuffer(1));
        list->capacity = grown;
    }
    list->points[list->count++] = static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32 | static_cast<uint32_t>(x);
}

int drawPoints(PointList& list, unsigned int color) {
    if (list.failed) return -1;
    std::sort(list.points, list.points + list.count);
    const uint64_t* end = std::unique(list.points, list.points + list.count);
    for (const uint64_t* p = list.points; p != end; ++p)
        DrawPixelMemImg(static_cast<int32_t>(static_cast<uint32_t>(*p)), static_cast<int32_t>(*p >> 32), color);
    return 0;
}

// Clamp of a radius for the row range; the walks refuse larger ones themselves.
int64_t reach(int radius) { return std::min<int64_t>(std::llabs(radius), kMaxWalkRadius + 1); }

MEMIMG* graphImage(int graph) {
    GraphData* data = GetGraphData(graph);
    return data != nullptr ? GetGraphSoftImage(data) : nullptr;
}

// Blend modes 6 and 7 draw a graph with blending and the alpha test off, as the device
// paths' blend table has them: every texel shows its own colour, whatever its alpha or
// colour key, as in an opaque draw.
int transFor(int transFlag) {
    const int mode = GetMemImgDrawState().blendMode;
    return mode == 6 || mode == 7 ? 0 : transFlag;
}

// The blend graph of the render state set into the software draw state for one draw.
class BlendGraphScope {
public:
    BlendGraphScope() {
        const RenderState& r = GraphicsRender;
        if (r.blendGraph <= 0) return;
        const MEMIMG* image = graphImage(r.blendGraph);
        if (image != nullptr) SetMemImgBlendGraph(image, r.blendGraphType, r.blendGraphParam1);
    }
    ~BlendGraphScope() { SetMemImgBlendGraph(nullptr, 0, 0); }
};

}  // namespace

int SoftDrawCircle(int x, int y, int radius, unsigned int color, int fillFlag) {
    ImageRect area;
    if (!softArea(&area) || radius < 0) return 0;
    int64_t first, last;
    shapeRows(area, y, reach(radius), &first, &last);
    int16_t* table = spanTable(area, first, last);
    if (table == nullptr) return -1;
    if (fillFlag) {
        WalkCircleFill(area, x, y, radius, keepFirstSpan, table);
        drawSpanRows(table, first, last, color);
        return 0;
    }
    PointList list;
    WalkCircleOutline(area, x, y, radius, collectPoint, &list);
    return drawPoints(list, color);
}

int SoftDrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag) {
    ImageRect area;
    if (!softArea(&area)) return 0;
    // The ellipse walk may step a row past its vertical radius: take every row.
    const int64_t first = area.top, last = area.bottom;
    int16_t* table = spanTable(area, first, last);
    if (table == nullptr) return -1;
    if (fillFlag) {
        WalkOvalFill(area, x, y, radiusX, radiusY, keepFirstSpan, table);
        drawSpanRows(table, first, last, color);
        return 0;
    }
    PointList list;
    WalkOvalOutline(area, x, y, radiusX, radiusY, collectPoint, &list);
    return drawPoints(list, color);
}

int SoftDrawThickCircle(int x, int y, int radius, unsigned int color, int thickness) {
    ImageRect area;
    if (!softArea(&area) || radius < 0 || thickness < 1) return 0;
    int64_t first, last;
    shapeRows(area, y, std::min<int64_t>(radius, kMaxSpanRadius + 1) + thickness / 2, &first, &last);
    int16_t* table = spanTable(area, first, last);
    if (table == nullptr) return -1;
    BuildThickCircleSpansIn(area, x, y, radius, thickness, table);
    drawSpanRows(table, first, last, color);
    return 0;
}

int SoftDrawThickOval(int x, int y, int radiusX, int radiusY, unsigned int color, int thickness) {
    ImageRect area;
    if (!softArea(&area) || radiusX < 0 || radiusY < 0 || thickness < 1) return 0;
    int64_t first, last;
    shapeRows(area, y, std::min<int64_t>(radiusY, kMaxSpanRadius + 1) + thickness / 2, &first, &last);
    int16_t* table = spanTable(area, first, last);
    if (table == nullptr) return -1;
    BuildThickOvalSpansIn(area, x, y, radiusX, radiusY, thickness, table);
    drawSpanRows(table, first, last, color);
    return 0;
}

int SoftDrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color) {
    const ImageRect rect{x1, y1, x2, y2};
    DrawFillBoxMemImg(&rect, color);
    return 0;
}

int SoftDrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color) {
    const int64_t l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    if (l == r || t == b) return 0;
    auto strip = [color](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        if (left >= right || top >= bottom) return;
        const ImageRect rect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                             static_cast<int32_t>(bottom)};
        DrawFillBoxMemImg(&rect, color);
    };
    // Top row, right column, left column, bottom row; each pixel once however small.
    strip(l, t, r, t + 1);
    strip(r - 1, t + 1, r, b);
    if (l < r - 1) strip(l, t + 1, l + 1, b);
    if (b - 1 > t) strip(l + 1, b - 1, r - 1, b);
    return 0;
}

int SoftDrawLine(int x1, int y1, int x2, int y2, unsigned int color) {
    DrawLineMemImg(x1, y1, x2, y2, color);
    return 0;
}

int SoftDrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag) {
    if (fillFlag) {
        DrawTriangleMemImg(x1, y1, x2, y2, x3, y3, color);
    } else {
        DrawLineMemImg(x1, y1, x2, y2, color);
        DrawLineMemImg(x2, y2, x3, y3, color);
        DrawLineMemImg(x3, y3, x1, y1, color);
    }
    return 0;
}

int SoftDrawQuadrangle(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, unsigned int color,
                       int fillFlag) {
    if (fillFlag) {
        DrawTriangleMemImg(x1, y1, x2, y2, x4, y4, color);
        DrawTriangleMemImg(x3, y3, x4, y4, x2, y2, color);
    } else {
        DrawLineMemImg(x1, y1, x2, y2, color);
        DrawLineMemImg(x2, y2, x3, y3, color);
        DrawLineMemImg(x3, y3, x4, y4, color);
        DrawLineMemImg(x4, y4, x1, y1, color);
    }
    return 0;
}

int SoftDrawGraph(int x, int y, int graph, int transFlag) {
    const MEMIMG* image = graphImage(graph);
    if (image == nullptr) return -1;
    const BlendGraphScope blend;
    DrawMemImg(image, x, y, transFor(transFlag));
    return 0;
}

int SoftDrawStretchedGraph(int x1, int y1, int x2, int y2, int graph, int transFlag) {
    const MEMIMG* image = graphImage(graph);
    if (image == nullptr) return -1;
    const BlendGraphScope blend;
    DrawStretchMemImg(image, x1, y1, x2, y2, transFor(transFlag));
    return 0;
}

namespace {

// The graph drawn onto the quad of `corners` as they are: each pixel takes the texel
// under its centre, as on the hardware paths (DrawQuadMemImg refuses corners that are
// not finite or too far out).
int drawQuad(int graph, const double (&corners)[8], int transFlag) {
    const MEMIMG* image = graphImage(graph);
    if (image == nullptr) return -1;
    const BlendGraphScope blend;
    DrawQuadMemImg(image, corners, transFor(transFlag));
    return 0;
}

}  // namespace

int SoftDrawStretchedGraphF(float x1, float y1, float x2, float y2, int graph, int transFlag) {
    return drawQuad(graph, {x1, y1, x2, y1, x2, y2, x1, y2}, transFlag);
}

int SoftDrawDeformedGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph, int transFlag) {
    return drawQuad(graph, {double(x1), double(y1), double(x2), double(y2), double(x3), double(y3), double(x4),
                            double(y4)},
                    transFlag);
}

int SoftDrawDeformedGraphF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                           int transFlag) {
    return drawQuad(graph, {x1, y1, x2, y2, x3, y3, x4, y4}, transFlag);
}

int SoftDrawRotatedGraph(const RotationPlacement& at, double scale, double angle, int graph, int transFlag,
                         int turnFlag) {
    const MEMIMG* image = graphImage(graph);
    if (image == nullptr) return -1;
    // The mapping the hardware back ends use, so that every texel of a quarter or half
    // turn lands on the same pixel on all three renderers; at a fractional position the
    // turned quad takes their half-pixel nudge too, or pixel centres fall on texel edges
    // and one row or column of texels is read twice while its neighbour is lost.
    const TurnedGraphMapping m(at, scale, angle, turnFlag != 0);
    struct Corner {
        float x, y;
    } c[4];  // top-left, top-right, bottom-left, bottom-right
    const float w = float(image->width), h = float(image->height);
    m.map(0.0f, 0.0f, &c[0].x, &c[0].y);
    m.map(w, 0.0f, &c[1].x, &c[1].y);
    m.map(0.0f, h, &c[2].x, &c[2].y);
    m.map(w, h, &c[3].x, &c[3].y);
    if (at.nudge && angle != 0.0) NudgeTurnedQuad(PixelCentres::Half, c);
    const double corners[8] = {c[0].x, c[0].y, c[1].x, c[1].y, c[3].x, c[3].y, c[2].x, c[2].y};
    const BlendGraphScope blend;
    DrawQuadMemImg(image, corners, transFor(transFlag));
    return 0;
}

}  // namespace ZaDod
