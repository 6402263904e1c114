// Where a rotated graph lands on each hardware back end: the position and centre chosen
// for the draw mode and graph size, the turned mapping, and the half-pixel nudge that keeps
// axis-aligned edges of a turned quad off pixel centres in nearest mode.
#pragma once
#include <cmath>

#include "media/graphics/hwdraw/graph_mapping.h"

namespace ZaDod {

struct GraphData;

// The two pixel-centre conventions: Direct3D 9 puts centres on whole coordinates,
// Direct3D 11 on halves.
enum class PixelCentres { Whole, Half };

struct RotationPlacement {
    float px, py;    // where the centre lands
    float cx, cy;    // the centre, in graph pixels
    bool symmetric;  // the quad is point-symmetric about (px, py)
    bool nudge;      // nearest mode at a fractional position: turned quads get the nudge
};

// (x, y) is the position truncated toward zero, (xf, yf) the exact one; w and h the graph's
// integer size, wf and hf its float size; nearest is draw mode 0.
RotationPlacement ChooseRotationPlacement(PixelCentres centres, int x, int y, float xf, float yf, double scale,
                                          int w, int h, float wf, float hf, bool nearest);

// The placement of a graph under the draw mode in force.
RotationPlacement ChooseRotationPlacement(PixelCentres centres, int x, int y, float xf, float yf, double scale,
                                          const GraphData& image);

// Turns graph points about the centre by the angle, scaled, mirrored left to right with
// the turn flag; sin and cos are taken once, in float.
struct TurnedGraphMapping final : GraphMapping {
    float px, py, cx, cy, sx, sy, cs, sn;
    TurnedGraphMapping(const RotationPlacement& at, double scale, double angle, bool turn)
        : px(at.px), py(at.py), cx(at.cx), cy(at.cy), sx(turn ? -float(scale) : float(scale)), sy(float(scale)),
          cs(angle != 0.0 ? std::cos(float(angle)) : 1.0f), sn(angle != 0.0 ? std::sin(float(angle)) : 0.0f) {}
    void map(float gx, float gy, float* ox, float* oy) const override {
        const float dx = (gx - cx) * sx, dy = (gy - cy) * sy;
        *ox = px + dx * cs - dy * sn;
        *oy = py + dy * cs + dx * sn;
    }
};

// A turned quad (corners top-left, top-right, bottom-left, bottom-right) whose top-left
// corner lines up with a neighbour within 0.01 on an axis and lies within 0.001 of a pixel
// centre there moves by -0.5 on that axis, so nearest sampling never falls between texels.
template <class Corner>
void NudgeTurnedQuad(PixelCentres centres, Corner c[4]) {
    const float shift = centres == PixelCentres::Half ? 0.5f : 0.0f;
    auto onCentre = [shift](float v) {
        v -= shift;
        const float f = std::fabs(v - std::trunc(v));
        return f < 0.001f || f > 0.999f;
    };
    if ((std::fabs(c[0].x - c[2].x) < 0.01f || std::fabs(c[0].x - c[1].x) < 0.01f) && onCentre(c[0].x))
        for (int k = 0; k < 4; ++k) c[k].x -= 0.5f;
    if ((std::fabs(c[0].y - c[2].y) < 0.01f || std::fabs(c[0].y - c[1].y) < 0.01f) && onCentre(c[0].y))
        for (int k = 0; k < 4; ++k) c[k].y -= 0.5f;
}

}  // namespace ZaDod
