// Graph drawing fronts: plain, float, stretched, mirrored, part and deformed draws and
// quad lists, each through the draw protocol.
#include <algorithm>
#include <cmath>

#include "media/base/handle.h"
#include "media/graphics/draw.h"
#include "media/graphics/draw_graph_common.h"
#include "media/graphics/draw_protocol.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_state.h"
#include "media/graphics/soft_draw.h"
#include "media/movie/movie.h"

namespace ZaDod {

CheckedGraph CheckGraphDraw(int handle) {
    const int state = CheckDrawState();
    if (state != 0) return CheckedGraph{nullptr, state < 0 ? -1 : 0};
    GraphData* graph = GetGraphData(handle);
    if (graph == nullptr || graph->orig == nullptr) return CheckedGraph{nullptr, -1};
    if (!GraphicsSys.hardware && GraphicsRender.blendGraph > 0) {
        // The software renderer reads the blend graph under every pixel it draws.
        const GraphData* blend = GetGraphData(GraphicsRender.blendGraph);
        if (blend == nullptr || blend->area.width < graph->area.width || blend->area.height < graph->area.height)
            return CheckedGraph{nullptr, -1};
    }
    // A graph that shows a movie is brought to the movie's present frame first.
    if (graph->movieHandle != -1) UpdateMovie(graph->movieHandle, 0);
    return CheckedGraph{graph, 0};
}

bool SoftGraph(GraphData* graph) { return GetGraphSoftImage(graph) != nullptr; }

int RoundToPixel(float v) {
    const double d = std::ceil(static_cast<double>(v) - 0.5);
    return static_cast<int>(std::clamp(std::isfinite(d) ? d : 0.0, -1e9, 1e9));
}

int TruncateToPixel(float v) {
    const double d = std::trunc(static_cast<double>(v));
    return static_cast<int>(std::clamp(std::isfinite(d) ? d : 0.0, -1e9, 1e9));
}

namespace {

ImageRect sizeRect(int x, int y, const GraphData* g) {
    return ImageRect{x, y, static_cast<int>(std::min<int64_t>(int64_t{x} + g->area.width, INT32_MAX)),
                     static_cast<int>(std::min<int64_t>(int64_t{y} + g->area.height, INT32_MAX))};
}

ImageRect floatRect(float x1, float y1, float x2, float y2) {
    const float xy[4] = {x1, y1, x2, y2};
    return RectOfPoints(xy, 2, 0.0f);
}

int drawPlain(int x, int y, float xf, float yf, int handle, int transFlag, int intFlag) {
    const CheckedGraph c = CheckGraphDraw(handle);
    if (c.graph == nullptr) return c.state;
    GraphData* g = c.graph;
    const ImageRect rect = intFlag ? sizeRect(x, y, g) : floatRect(xf, yf, xf + g->area.widthf, yf + g->area.heightf);
    return DrawBracketed(rect, GraphNeedsEmulation(g), [&] {
        if (SoftGraph(g)) return intFlag ? SoftDrawGraph(x, y, handle, transFlag)
                                         : SoftDrawGraph(RoundToPixel(xf), RoundToPixel(yf), handle, transFlag);
        return Graphics_Hardware_DrawGraph(x, y, xf, yf, g, CurrentBlendGraph(), transFlag, intFlag);
    });
}

int drawStretched(int x1, int y1, int x2, int y2, float f1, float g1, float f2, float g2, int handle, int transFlag,
                  int intFlag) {
    const CheckedGraph c = CheckGraphDraw(handle);
    if (c.graph == nullptr) return c.state;
    GraphData* g = c.graph;
    const ImageRect rect = intFlag ? ImageRect{x1, y1, x2, y2} : floatRect(f1, g1, f2, g2);
    return DrawBracketed(rect, GraphNeedsEmulation(g), [&] {
        if (SoftGraph(g)) {
            // Whole-pixel corners keep the integer stretch; fractional ones are sampled
            // under each pixel centre, as the hardware paths do.
            if (intFlag || (f1 == float(x1) && g1 == float(y1) && f2 == float(x2) && g2 == float(y2)))
                return SoftDrawStretchedGraph(x1, y1, x2, y2, handle, transFlag);
            return SoftDrawStretchedGraphF(f1, g1, f2, g2, handle, transFlag);
        }
        return Graphics_Hardware_DrawStretchedGraph(x1, y1, x2, y2, f1, g1, f2, g2, g, CurrentBlendGraph(), transFlag,
                                                    intFlag);
    });
}

// Sets the draw area without the setter's side effects (the part draw's temporary area).
void writeDrawArea(const ImageRect& area) {
    DrawSettings& s = GraphicsDrawSettings;
    s.drawArea = area;
    s.drawAreaF[0] = static_cast<float>(area.left);
    s.drawAreaF[1] = static_cast<float>(area.top);
    s.drawAreaF[2] = static_cast<float>(area.right);
    s.drawAreaF[3] = static_cast<float>(area.bottom);
    s.drawingSuppressed = area.left >= area.right || area.top >= area.bottom;
    if (GraphicsSys.hardware) Graphics_Hardware_SetDrawArea(area.left, area.top, area.right, area.bottom);
    else SetMemImgDrawArea(&area);
}

}  // namespace

int DrawGraph(int x, int y, int graph, int transFlag) {
    return drawPlain(x, y, static_cast<float>(x), static_cast<float>(y), graph, transFlag, 1);
}

int DrawGraphF(float x, float y, int graph, int transFlag) {
    return drawPlain(RoundToPixel(x), RoundToPixel(y), x, y, graph, transFlag, 0);
}

int DrawStretchedGraph(int x1, int y1, int x2, int y2, int graph, int transFlag) {
    return drawStretched(x1, y1, x2, y2, static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                         static_cast<float>(y2), graph, transFlag, 1);
}

int DrawStretchedGraphF(float x1, float y1, float x2, float y2, int graph, int transFlag) {
    return drawStretched(RoundToPixel(x1), RoundToPixel(y1), RoundToPixel(x2), RoundToPixel(y2), x1, y1, x2, y2,
                         graph, transFlag, 0);
}

int DrawMirroredGraph(int x, int y, int graph, int transFlag) {
    const GraphData* g = GetGraphData(graph);
    if (g == nullptr) return GraphicsSys.started && GraphicsDrawSettings.drawingSuppressed ? 0 : -1;
    const int w = g->area.width, h = g->area.height;
    return DrawStretchedGraph(x + w, y, x, y + h, graph, transFlag);
}

int DrawMirroredGraphF(float x, float y, int graph, int transFlag) {
    const GraphData* g = GetGraphData(graph);
    if (g == nullptr) return GraphicsSys.started && GraphicsDrawSettings.drawingSuppressed ? 0 : -1;
    return DrawStretchedGraphF(x + g->area.widthf, y, x, y + g->area.heightf, graph, transFlag);
}

int DrawPartGraph(int x, int y, int srcX, int srcY, int width, int height, int graph, int transFlag,
                  int mirrorFlag) {
    if (width < 1 || height < 1) return -1;
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    DrawSettings& s = GraphicsDrawSettings;
    const ImageRect saved = s.drawArea, savedRequest = s.requestedDrawArea;
    const int savedSuppressed = s.drawingSuppressed;
    ImageRect part{x, y, static_cast<int>(std::min<int64_t>(int64_t{x} + width, INT32_MAX)),
                   static_cast<int>(std::min<int64_t>(int64_t{y} + height, INT32_MAX))};
    ClipRect(&part, &saved);
    writeDrawArea(part);
    int result = 0;
    if (!s.drawingSuppressed) {
        // The graph's origin in 64 bits: a source offset near the int limits puts it
        // where no pixel of the part can show, and nothing is drawn.
        const int64_t w = c.graph->area.width;
        const int64_t left = mirrorFlag ? int64_t{x} - w + srcX + width : int64_t{x} - srcX;
        const int64_t top = int64_t{y} - srcY;
        if (left >= INT32_MIN && left <= INT32_MAX && top >= INT32_MIN && top <= INT32_MAX)
            result = mirrorFlag ? DrawMirroredGraph(static_cast<int>(left), static_cast<int>(top), graph, transFlag)
                                : DrawGraph(static_cast<int>(left), static_cast<int>(top), graph, transFlag);
    }
    if (IsDrawingThroughMask()) {
        SetDrawArea(saved.left, saved.top, saved.right, saved.bottom);
        s.requestedDrawArea = savedRequest;
    } else {
        writeDrawArea(saved);
        s.drawingSuppressed = savedSuppressed;
    }
    return result;
}

int DrawPartGraphF(float x, float y, int srcX, int srcY, int width, int height, int graph, int transFlag,
                   int mirrorFlag) {
    if (width < 1 || height < 1) return -1;
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    const int part = CreatePartGraph(graph, srcX, srcY, width, height);
    if (part < 0) return -1;
    const int result = mirrorFlag ? DrawMirroredGraphF(x, y, part, transFlag) : DrawGraphF(x, y, part, transFlag);
    SubHandle(part);
    return result;
}

int DrawStretchedPartGraphF(float x1, float y1, float x2, float y2, int srcX, int srcY, int width, int height,
                            int graph, int transFlag) {
    if (width < 1 || height < 1) return -1;
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    const int part = CreatePartGraph(graph, srcX, srcY, width, height);
    if (part < 0) return -1;
    const int result = DrawStretchedGraphF(x1, y1, x2, y2, part, transFlag);
    SubHandle(part);
    return result;
}

int DrawDeformedGraph(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                      int transFlag, int floatFlag) {
    const CheckedGraph c = CheckGraphDraw(graph);
    if (c.graph == nullptr) return c.state;
    GraphData* g = c.graph;
    const float corners[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
    return DrawBracketed(RectOfPoints(corners, 4, 0.0f), GraphNeedsEmulation(g), [&] {
        if (!SoftGraph(g))
            return Graphics_Hardware_DrawDeformedGraph(x1, y1, x2, y2, x3, y3, x4, y4, g, CurrentBlendGraph(),
                                                       transFlag, 0);
        if (floatFlag) return SoftDrawDeformedGraphF(x1, y1, x2, y2, x3, y3, x4, y4, graph, transFlag);
        return SoftDrawDeformedGraph(RoundToPixel(x1), RoundToPixel(y1), RoundToPixel(x2), RoundToPixel(y2),
                                     RoundToPixel(x3), RoundToPixel(y3), RoundToPixel(x4), RoundToPixel(y4), graph,
                                     transFlag);
    });
}

int DrawGraphQuadList(const GraphQuadList* list) {
    if (const int state = CheckDrawState()) return state < 0 ? -1 : 0;
    if (list == nullptr || list->count <= 0 || list->quads == nullptr) return 0;
    GraphData* g = GetGraphData(list->graph);
    if (g == nullptr) return -1;
    // Only graphs held in textures are drawn as quad lists.
    if (!GraphicsSys.hardware || SoftGraph(g)) return 0;
    const GraphQuad& q = list->quads[0];
    const float corners[8] = {q.x1, q.y1, q.x2, q.y2, q.x3, q.y3, q.x4, q.y4};
    return DrawBracketed(RectOfPoints(corners, 4, 0.0f), GraphNeedsEmulation(g),
                         [&] { return Graphics_Hardware_DrawGraphQuadList(list, CurrentBlendGraph()); });
}

}  // namespace ZaDod
