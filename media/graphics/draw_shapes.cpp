// Shape drawing fronts: clear, boxes, lines (thin and thick), circles, ovals, pixels,
// triangles and user vertex lists, each through the draw protocol to the Direct3D
// dispatcher or the software fallbacks.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/base/memory.h"
#include "media/graphics/draw.h"
#include "media/graphics/draw_protocol.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/pixel_format.h"
#include "media/graphics/soft_draw.h"

namespace ZaDod {
namespace {

bool device() { return GraphicsSys.hardware != 0; }

// Ordered rectangle of two corners, grown by `grow` on every side and by one more to
// the right and bottom.
ImageRect lineRect(int x1, int y1, int x2, int y2, int grow) {
    const int64_t g = grow;
    auto narrow = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return ImageRect{narrow(std::min(x1, x2) - g), narrow(std::min(y1, y2) - g), narrow(std::max(x1, x2) + g + 1),
                     narrow(std::max(y1, y2) + g + 1)};
}

ImageRect radiusRect(int x, int y, int rx, int ry) {
    auto narrow = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return ImageRect{narrow(int64_t{x} - rx - 1), narrow(int64_t{y} - ry - 1), narrow(int64_t{x} + rx + 1),
                     narrow(int64_t{y} + ry + 1)};
}

int filledBox(int x1, int y1, int x2, int y2, unsigned int color) {
    return device() ? Graphics_Hardware_DrawFilledBox(x1, y1, x2, y2, color) : SoftDrawFilledBox(x1, y1, x2, y2, color);
}

// Vertex colours scaled by the bright colour and the blend parameter; false when the
// vertices are drawn as given.
bool needsScaling() {
    const DrawSettings& s = GraphicsDrawSettings;
    return s.brightRed != 255 || s.brightGreen != 255 || s.brightBlue != 255 || s.blendParam < 255;
}

void scaleColors(Vertex2D* v, int count) {
    const DrawSettings& s = GraphicsDrawSettings;
    const int32_t* red = MemImgProductTable[s.brightRed];
    const int32_t* green = MemImgProductTable[s.brightGreen];
    const int32_t* blue = MemImgProductTable[s.brightBlue];
    const int32_t* alpha = MemImgProductTable[std::clamp(s.blendParam, 0, 255)];
    for (int i = 0; i < count; ++i) {
        v[i].r = static_cast<uint8_t>(red[v[i].r]);
        v[i].g = static_cast<uint8_t>(green[v[i].g]);
        v[i].b = static_cast<uint8_t>(blue[v[i].b]);
        v[i].a = static_cast<uint8_t>(alpha[v[i].a]);
    }
}

// Bytes of count vertices, or 0 when the count is not drawable or the size overflows.
size_t vertexBytes(int count) {
    if (count <= 0 || static_cast<size_t>(count) > SIZE_MAX / sizeof(Vertex2D)) return 0;
    return static_cast<size_t>(count) * sizeof(Vertex2D);
}

ImageRect vertexRect(const Vertex2D* v, int count) {
    ImageRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < count; ++i) {
        const float xy[2] = {v[i].x, v[i].y};
        const ImageRect p = RectOfPoints(xy, 1, 1.0f);
        r = ImageRect{std::min(r.left, p.left), std::min(r.top, p.top), std::max(r.right, p.right),
                      std::max(r.bottom, p.bottom)};
    }
    return r;
}

// The graph of a vertex list: null for no texture; false for a bad handle.
bool vertexGraph(int handle, GraphData** graph) {
    *graph = nullptr;
    if (handle == kNoTextureHandle || handle == -1) return true;
    *graph = GetGraphData(handle);
    return *graph != nullptr;
}

}  // namespace

int ClearDrawTarget(const ImageRect* rect) {
    if (!GraphicsSys.started) return -1;
    // A masked draw still open is finished before the target is wiped.
    FlushPendingMaskDraw();
    const ImageRect* area = rect != nullptr && rect->left >= 0 && rect->top >= 0 ? rect : nullptr;
    if (device()) return Graphics_Hardware_ClearDrawTarget(area);
    MEMIMG* image = GetRealSoftDrawTarget();
    if (!CheckValidMemImg(image)) return -1;
    const DrawSettings& s = GraphicsDrawSettings;
    FillMemImg(image, area,
               PackColorDataPixel(image->base->colorData, s.backgroundRed, s.backgroundGreen, s.backgroundBlue, 255));
    return 0;
}

int DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fillFlag) {
    return fillFlag ? DrawFilledBox(x1, y1, x2, y2, color) : DrawBoxOutline(x1, y1, x2, y2, color);
}

int DrawFilledBox(int x1, int y1, int x2, int y2, unsigned int color) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    return DrawBracketed(ImageRect{x1, y1, x2, y2}, ShapeNeedsEmulation(),
                         [&] { return filledBox(x1, y1, x2, y2, color); });
}

int DrawBoxOutline(int x1, int y1, int x2, int y2, unsigned int color) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    return DrawBracketed(ImageRect{x1, y1, x2, y2}, ShapeNeedsEmulation(), [&] {
        return device() ? Graphics_Hardware_DrawBoxOutline(x1, y1, x2, y2, color)
                        : SoftDrawBoxOutline(x1, y1, x2, y2, color);
    });
}

int DrawLine(int x1, int y1, int x2, int y2, unsigned int color, int thickness) {
    if (thickness > 1) return DrawThickLine(x1, y1, x2, y2, color, thickness);
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    return DrawBracketed(lineRect(x1, y1, x2, y2, 1), ShapeNeedsEmulation(), [&] {
        return device() ? Graphics_Hardware_DrawLine(x1, y1, x2, y2, color) : SoftDrawLine(x1, y1, x2, y2, color);
    });
}

int DrawThickLine(int x1, int y1, int x2, int y2, unsigned int color, int thickness) {
    if (thickness <= 1) return DrawLine(x1, y1, x2, y2, color, 1);
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    const int t = thickness, half = t / 2;
    const bool odd = (t & 1) != 0;
    if (odd && (x1 == x2 || y1 == y2)) {
        const ImageRect box = x1 == x2 ? ImageRect{x1 - half, y1, x1 - half + t, y2}
                                       : ImageRect{x1, y1 - half, x2, y1 - half + t};
        return DrawBracketed(box, ShapeNeedsEmulation(),
                             [&] { return filledBox(box.left, box.top, box.right, box.bottom, color); });
    }
    const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    // Ends that meet give no direction to widen along: nothing to draw.
    if (length == 0.0) return 0;
    const double nx = -dy * (t * 0.5 / length), ny = dx * (t * 0.5 / length);
    // Around the quadrangle: start + n, end + n, end - n, start - n.
    const double px[4] = {x1 + nx, x2 + nx, x2 - nx, x1 - nx};
    const double py[4] = {y1 + ny, y2 + ny, y2 - ny, y1 - ny};
    return DrawBracketed(lineRect(x1, y1, x2, y2, t), ShapeNeedsEmulation(), [&] {
        if (!device()) {
            int ix[4], iy[4];
            for (int i = 0; i < 4; ++i) {
                ix[i] = static_cast<int>(std::lround(std::clamp(px[i], -1e9, 1e9)));
                iy[i] = static_cast<int>(std::lround(std::clamp(py[i], -1e9, 1e9)));
            }
            return SoftDrawQuadrangle(ix[0], iy[0], ix[1], iy[1], ix[2], iy[2], ix[3], iy[3], color, 1);
        }
        int r, g, b;
        UnpackScreenColor(color, &r, &g, &b);
        Vertex2D v[4];
        // Strip order: start + n, end + n, start - n, end - n.
        const int order[4] = {0, 1, 3, 2};
        for (int i = 0; i < 4; ++i)
            v[i] = Vertex2D{static_cast<float>(px[order[i]]), static_cast<float>(py[order[i]]), 0.0f, 1.0f,
                            static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 255,
                            0.0f, 0.0f};
        return DrawPrimitive2DEx(v, 4, 5, kNoTextureHandle, 0);
    });
}

int DrawCircle(int x, int y, int radius, unsigned int color, int fillFlag, int thickness) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    if (radius < 0) return 0;
    if (thickness < 1) return -1;
    return DrawBracketed(radiusRect(x, y, radius, radius), ShapeNeedsEmulation(), [&] {
        if (thickness == 1)
            return device() ? Graphics_Hardware_DrawCircle(x, y, radius, color, fillFlag)
                            : SoftDrawCircle(x, y, radius, color, fillFlag);
        return device() ? Graphics_Hardware_DrawThickCircle(x, y, radius, color, thickness)
                        : SoftDrawThickCircle(x, y, radius, color, thickness);
    });
}

int DrawOval(int x, int y, int radiusX, int radiusY, unsigned int color, int fillFlag, int thickness) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    if (radiusX < 0 || radiusY < 0) return 0;
    if (thickness < 1) return -1;
    return DrawBracketed(radiusRect(x, y, radiusX, radiusY), ShapeNeedsEmulation(), [&] {
        if (thickness == 1)
            return device() ? Graphics_Hardware_DrawOval(x, y, radiusX, radiusY, color, fillFlag)
                            : SoftDrawOval(x, y, radiusX, radiusY, color, fillFlag);
        return device() ? Graphics_Hardware_DrawThickOval(x, y, radiusX, radiusY, color, thickness)
                        : SoftDrawThickOval(x, y, radiusX, radiusY, color, thickness);
    });
}

int DrawPixel(int x, int y, unsigned int color) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    const ImageRect r = lineRect(x, y, x, y, 0);
    return DrawBracketed(r, ShapeNeedsEmulation(), [&] {
        if (device()) return Graphics_Hardware_DrawPixel(x, y, color);
        // A one-pixel box: the software primitives clip it to the area and target.
        return SoftDrawFilledBox(x, y, r.right, r.bottom, color);
    });
}

int DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color, int fillFlag) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    ImageRect r = lineRect(x1, y1, x2, y2, 0);
    const ImageRect third = lineRect(x3, y3, x3, y3, 0);
    r = ImageRect{std::min(r.left, third.left), std::min(r.top, third.top), std::max(r.right, third.right),
                  std::max(r.bottom, third.bottom)};
    return DrawBracketed(r, ShapeNeedsEmulation(), [&] {
        return device() ? Graphics_Hardware_DrawTriangle(x1, y1, x2, y2, x3, y3, color, fillFlag)
                        : SoftDrawTriangle(x1, y1, x2, y2, x3, y3, color, fillFlag);
    });
}

int DrawDeformedGraphInt(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int graph, int transFlag) {
    return DrawDeformedGraph(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                             static_cast<float>(y2), static_cast<float>(x3), static_cast<float>(y3),
                             static_cast<float>(x4), static_cast<float>(y4), graph, transFlag, 0);
}

int DrawPrimitive2D(const Vertex2D* vertices, int count, int primitiveType, int graph, int transFlag) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    if (!device() || count <= 0 || vertices == nullptr) return 0;
    GraphData* image;
    if (!vertexGraph(graph, &image)) return -1;
    const Vertex2D* drawn = vertices;
    if (needsScaling()) {
        const size_t bytes = vertexBytes(count);
        if (bytes == 0) return -1;
        GraphicsSystemState& g = GraphicsSys;
        if (g.vertexScratchSize < bytes) {
            void* grown = MemAlloc(bytes, __FILE__, __LINE__);
            if (grown == nullptr) return -1;
            if (g.vertexScratch != nullptr) MemFree(g.vertexScratch);
            g.vertexScratch = grown;
            g.vertexScratchSize = bytes;
        }
        std::memcpy(g.vertexScratch, vertices, bytes);
        scaleColors(static_cast<Vertex2D*>(g.vertexScratch), count);
        drawn = static_cast<const Vertex2D*>(g.vertexScratch);
    }
    return DrawBracketed(vertexRect(vertices, count), ShapeNeedsEmulation(), [&] {
        return Graphics_Hardware_DrawPrimitive2D(drawn, count, primitiveType, image, transFlag, 0, 0);
    });
}

int DrawPrimitive2DEx(const Vertex2D* vertices, int count, int primitiveType, int graph, int transFlag) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    if (!device() || count <= 0 || vertices == nullptr) return 0;
    GraphData* image;
    if (!vertexGraph(graph, &image)) return -1;
    const size_t bytes = vertexBytes(count);
    if (bytes == 0) return -1;
    auto* copy = static_cast<Vertex2D*>(MemAlloc(bytes, __FILE__, __LINE__));
    if (copy == nullptr) return -1;
    std::memcpy(copy, vertices, bytes);
    if (needsScaling()) scaleColors(copy, count);
    const int result = DrawBracketed(vertexRect(vertices, count), ShapeNeedsEmulation(), [&] {
        return Graphics_Hardware_DrawPrimitive2D(copy, count, primitiveType, image, transFlag, 0, 0);
    });
    MemFree(copy);
    return result;
}

}  // namespace ZaDod
