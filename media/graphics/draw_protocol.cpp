// The shared steps of every front draw: state checks, bracket rectangles and the
// conditions for emulated subtractive blending.
#include "media/graphics/draw_protocol.h"

#include <algorithm>
#include <cmath>

#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/render_state.h"
#include "media/system/window.h"

namespace ZaDod {

int CheckDrawState() {
    if (!GraphicsSys.started) return -1;
    if (GraphicsDrawSettings.drawingSuppressed) return 1;
    WaitWhileWindowInactive();
    return 0;
}

ImageRect ClampToDrawArea(ImageRect r) {
    const ImageRect& a = GraphicsDrawSettings.drawArea;
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
    return ImageRect{clamp(r.left, a.left, a.right), clamp(r.top, a.top, a.bottom), clamp(r.right, a.left, a.right),
                     clamp(r.bottom, a.top, a.bottom)};
}

ImageRect RectOfPoints(const float* xy, int points, float grow) {
    double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
    for (int i = 0; i < points * 2; ++i) {
        const double v = xy[i];
        if (!std::isfinite(v)) return GraphicsDrawSettings.drawArea;
        lo[i & 1] = std::min(lo[i & 1], v);
        hi[i & 1] = std::max(hi[i & 1], v);
    }
    // Values past the int range are clamped before conversion; the draw area clamps the rest.
    auto toInt = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
    return ImageRect{toInt(std::floor(lo[0] - grow)), toInt(std::floor(lo[1] - grow)),
                     toInt(std::ceil(hi[0] + grow)), toInt(std::ceil(hi[1] + grow))};
}

bool ShapeNeedsEmulation() {
    return GraphicsSys.hardware && GraphicsDrawSettings.blendMode == 3 && !GraphicsDeviceCapsData.subtractiveBlend;
}

bool GraphNeedsEmulation(const GraphData* graph) {
    return ShapeNeedsEmulation() && graph->orig != nullptr && graph->orig->request.hardware;
}

GraphData* CurrentBlendGraph() {
    const int handle = GraphicsRender.blendGraph;
    return handle > 0 ? GetGraphData(handle) : nullptr;
}

}  // namespace ZaDod
