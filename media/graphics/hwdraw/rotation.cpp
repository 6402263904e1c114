// The position and centre of a rotated graph for each pixel-centre convention.
#include "media/graphics/hwdraw/rotation.h"

#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

RotationPlacement ChooseRotationPlacement(PixelCentres centres, int x, int y, float xf, float yf, double scale,
                                          int w, int h, float wf, float hf, bool nearest) {
    const bool half = centres == PixelCentres::Half;
    // Direct3D 9 coordinates sit half a pixel before Direct3D 11's for the same pixels.
    const float base = half ? 0.0f : -0.5f;
    RotationPlacement at{0, 0, float(w) * 0.5f, float(h) * 0.5f, true, false};
    if (!nearest) {
        at.px = xf + base;
        at.py = yf + base;
        if (half) at.cx = wf * 0.5f, at.cy = hf * 0.5f;
        return at;
    }
    const bool whole = std::fabs(xf - float(x)) < 1e-5f && std::fabs(yf - float(y)) < 1e-5f;
    if (!whole) {
        at.px = float(x) + base + 0.5f;
        at.py = float(y) + base + 0.5f;
        at.symmetric = false;
        at.nudge = true;
        return at;
    }
    at.px = float(x) + base;
    at.py = float(y) + base;
    if (scale != 1.0) return at;
    const bool oddW = w % 2 != 0, oddH = h % 2 != 0;
    if (oddW && oddH) {
        // Direct3D 11 lands a both-odd graph half a pixel up and left of its position.
        at.px = half ? float(x) - 0.5f : float(x);
        at.py = half ? float(y) - 0.5f : float(y);
        return at;
    }
    at.symmetric = false;
    if (!oddW && !oddH) {
        at.cx = float(w / 2);
        at.cy = float(h / 2);
        return at;
    }
    at.px = float(x);
    at.py = float(y);
    // Half a pixel comes off the centre on the even axis (whole centres) or on the odd
    // axis (half centres), so texel edges meet pixel edges.
    if (oddW == half) at.cx -= 0.5f;
    if (oddH == half) at.cy -= 0.5f;
    return at;
}

RotationPlacement ChooseRotationPlacement(PixelCentres centres, int x, int y, float xf, float yf, double scale,
                                          const GraphData& image) {
    return ChooseRotationPlacement(centres, x, y, xf, yf, scale, image.area.width, image.area.height,
                                   image.area.widthf, image.area.heightf, GraphicsDrawSettings.samplingMode == 0);
}

}  // namespace ZaDod
