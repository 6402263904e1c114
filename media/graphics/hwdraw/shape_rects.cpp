// Circles, ovals and their thick forms walked into rectangles of whole pixels: the
// software renderer's walks and span tables, each row and point given once.
#include "media/graphics/hwdraw/shape_rects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/base/log.h"
#include "media/graphics/graphics.h"
#include "media/graphics/shape_walks.h"
#include "media/graphics/spans.h"

namespace ZaDod {
namespace {

constexpr const char16_t* kNoMemory = u"メモリの確保に失敗しました in G_D3D_DrawCircle";

// A walk may give a row or a point more than once; each is drawn once, so blended
// shapes are not darkened where the walk repeats itself.
struct Walk {
    ShapeRectFn rect;
    void* context;
    int result;
    int top;
    size_t rows;
    uint8_t* rowDone;
    std::vector<uint64_t> points;
};

void span(void* context, int y, int left, int right) {
    auto* w = static_cast<Walk*>(context);
    const size_t row = size_t(y - w->top);
    if (w->result != 0 || row >= w->rows || w->rowDone[row]) return;
    w->rowDone[row] = 1;
    w->result = w->rect(w->context, left, y, right + 1, y + 1, 1);
}

void point(void* context, int x, int y) {
    static_cast<Walk*>(context)->points.push_back(uint64_t(uint32_t(y)) << 32 | uint32_t(x));
}

}  // namespace

int WalkShapeRects(const ImageRect& area, int x, int y, int radiusX, int radiusY, int fillFlag, ShapeRectFn rect,
                   void* context) {
    Walk w{rect, context, 0, area.top, 0, nullptr, {}};
    if (fillFlag) {
        w.rows = size_t(std::max(0, area.bottom - area.top));
        if (ReserveDrawWorkBuffer(1, w.rows + 1) != 0) {
            LogAddTextUtf16(kNoMemory);
            return -1;
        }
        w.rowDone = static_cast<uint8_t*>(GetDrawWorkBuffer(1));
        std::memset(w.rowDone, 0, w.rows);
        if (radiusY < 0)
            WalkCircleFill(area, x, y, radiusX, span, &w);
        else
            WalkOvalFill(area, x, y, radiusX, radiusY, span, &w);
        return w.result;
    }
    if (radiusY < 0)
        WalkCircleOutline(area, x, y, radiusX, point, &w);
    else
        WalkOvalOutline(area, x, y, radiusX, radiusY, point, &w);
    std::sort(w.points.begin(), w.points.end());
    w.points.erase(std::unique(w.points.begin(), w.points.end()), w.points.end());
    for (uint64_t p : w.points) {
        const int px = int32_t(uint32_t(p)), py = int32_t(uint32_t(p >> 32));
        if (const int r = rect(context, px, py, px + 1, py + 1, 0)) return r;
    }
    return 0;
}

int WalkThickShapeRects(const ImageRect& area, int x, int y, int radiusX, int radiusY, int thickness, int circle,
                        ShapeRectFn rect, void* context) {
    if (area.bottom <= area.top || area.right <= area.left) return 0;
    const size_t bytes = size_t(area.bottom) * kSpanRowValues * sizeof(int16_t);
    if (ReserveDrawWorkBuffer(1, bytes) != 0) {
        LogAddTextUtf16(kNoMemory);
        return -1;
    }
    auto* table = static_cast<int16_t*>(GetDrawWorkBuffer(1));
    std::memset(table, 0, bytes);
    if (circle)
        BuildThickCircleSpansIn(area, x, y, radiusX, thickness, table);
    else
        BuildThickOvalSpansIn(area, x, y, radiusX, radiusY, thickness, table);
    for (int row = area.top; row < area.bottom; ++row) {
        const int16_t* r = table + size_t(row) * kSpanRowValues;
        if (r[4] == 0) continue;
        int result;
        if ((r[4] & (kSpanInnerLeft | kSpanInnerRight)) && r[2] < r[3]) {
            result = rect(context, r[0], row, r[2] + 1, row + 1, 0);
            if (result == 0) result = rect(context, r[3], row, r[1] + 1, row + 1, 0);
        } else {
            result = rect(context, r[0], row, r[1] + 1, row + 1, 0);
        }
        if (result != 0) return result;
    }
    return 0;
}

}  // namespace ZaDod
