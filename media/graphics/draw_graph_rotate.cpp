// Rotating graph fronts: the integer and float forms that pick a plain, stretched,
// turned or deformed draw, and the turned draw itself.
#include <algorithm>
#include <cmath>

#include "media/graphics/draw.h"
#include "media/graphics/draw_graph_common.h"
#include "media/graphics/draw_protocol.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hwdraw/rotation.h"
#include "media/graphics/soft_draw.h"

namespace ZaDod {

int DrawRotatedGraph(int x, int y, int centerX, int centerY, double scaleX, double scaleY, double angle, int graph,
                     int transFlag, int mirrorFlag) {
    if (scaleX == 1.0 && scaleY == 1.0 && angle == 0.0)
        return mirrorFlag ? DrawMirroredGraph(x - centerX, y - centerY, graph, transFlag)
                          : DrawGraph(x - centerX, y - centerY, graph, transFlag);
    return DrawRotatedGraphF(static_cast<float>(x), static_cast<float>(y), static_cast<float>(centerX),
                             static_cast<float>(centerY), scaleX, scaleY, angle, graph, transFlag, mirrorFlag);
}

int DrawRotatedGraphF(float x, float y, float centerX, float centerY, double scaleX, double scaleY, double angle,
                      int graph, int transFlag, int mirrorFlag) {
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    const double w = c.graph->area.widthf, h = c.graph->area.heightf;
    const bool unit = scaleX == 1.0 && scaleY == 1.0;
    if (angle == 0.0) {
        if (unit)
            return mirrorFlag ? DrawMirroredGraphF(x - centerX, y - centerY, graph, transFlag)
                              : DrawGraphF(x - centerX, y - centerY, graph, transFlag);
        const double left = x - scaleX * centerX, top = y - scaleY * centerY;
        const double right = left + w * scaleX, bottom = top + h * scaleY;
        const double x1 = mirrorFlag ? right : left, x2 = mirrorFlag ? left : right;
        return DrawStretchedGraphF(static_cast<float>(x1), static_cast<float>(top), static_cast<float>(x2),
                                   static_cast<float>(bottom), graph, transFlag);
    }
    const double cs = std::cos(angle), sn = std::sin(angle);
    if (unit) {
        const double dx = w * 0.5 - centerX, dy = h * 0.5 - centerY;
        return DrawRotatedGraphCore(static_cast<float>(x + cs * dx - sn * dy), static_cast<float>(y + cs * dy + sn * dx),
                                    1.0, angle, graph, transFlag, mirrorFlag);
    }
    const double cx[4] = {-centerX * scaleX, (w - centerX) * scaleX, (w - centerX) * scaleX, -centerX * scaleX};
    const double cy[4] = {-centerY * scaleY, -centerY * scaleY, (h - centerY) * scaleY, (h - centerY) * scaleY};
    float p[8];
    for (int i = 0; i < 4; ++i) {
        p[i * 2] = static_cast<float>(x + cs * cx[i] - sn * cy[i]);
        p[i * 2 + 1] = static_cast<float>(y + cs * cy[i] + sn * cx[i]);
    }
    // Mirroring swaps the left and right corners.
    if (mirrorFlag) {
        std::swap(p[0], p[2]), std::swap(p[1], p[3]);
        std::swap(p[4], p[6]), std::swap(p[5], p[7]);
    }
    return DrawDeformedGraph(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], graph, transFlag, 1);
}

int DrawRotatedGraphCore(float x, float y, double scale, double angle, int graph, int transFlag, int mirrorFlag) {
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    GraphData* g = c.graph;
    const int halfW = g->area.width / 2, halfH = g->area.height / 2;
    // The box of the turned and scaled corners, grown by 5.
    const double cs = std::cos(angle), sn = std::sin(angle);
    const double ex[4] = {-halfW * scale, (g->area.width - halfW) * scale, (g->area.width - halfW) * scale,
                          -halfW * scale};
    const double ey[4] = {-halfH * scale, -halfH * scale, (g->area.height - halfH) * scale,
                          (g->area.height - halfH) * scale};
    float corners[8];
    for (int i = 0; i < 4; ++i) {
        corners[i * 2] = static_cast<float>(x + cs * ex[i] - sn * ey[i]);
        corners[i * 2 + 1] = static_cast<float>(y + cs * ey[i] + sn * ex[i]);
    }
    const ImageRect rect = RectOfPoints(corners, 4, 5.0f);
    return DrawBracketed(rect, GraphNeedsEmulation(g), [&] {
        // The software renderer's pixel centres sit on halves, as Direct3D 11's do: it
        // places the graph by the same rule.
        if (SoftGraph(g))
            return SoftDrawRotatedGraph(
                ChooseRotationPlacement(PixelCentres::Half, TruncateToPixel(x), TruncateToPixel(y), x, y, scale, *g),
                scale, angle, graph, transFlag, mirrorFlag);
        return Graphics_Hardware_DrawRotatedGraph(TruncateToPixel(x), TruncateToPixel(y), x, y, scale, angle, g,
                                                  CurrentBlendGraph(), transFlag, mirrorFlag);
    });
}

}  // namespace ZaDod
