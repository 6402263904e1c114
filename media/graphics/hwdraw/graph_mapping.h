// Where the points of a graph land on screen for each kind of graph draw (plain,
// stretched, onto four corners), before any per-API pixel-centre offset.
#pragma once
namespace ZaDod {

// Maps a point of the graph (pixels from its top-left) to the screen.
struct GraphMapping {
    virtual void map(float gx, float gy, float* sx, float* sy) const = 0;

   protected:
    ~GraphMapping() = default;
};

struct PlainGraphMapping final : GraphMapping {
    float x, y;
    PlainGraphMapping(float x_, float y_) : x(x_), y(y_) {}
    void map(float gx, float gy, float* sx, float* sy) const override { *sx = x + gx, *sy = y + gy; }
};

// Corners (l, t) and (r, b) take the graph's top-left and bottom-right; r < l or b < t mirror it.
struct StretchGraphMapping final : GraphMapping {
    float x, y, scaleX, scaleY;
    StretchGraphMapping(float l, float t, float r, float b, float width, float height)
        : x(l), y(t), scaleX((r - l) / width), scaleY((b - t) / height) {}
    void map(float gx, float gy, float* sx, float* sy) const override { *sx = x + gx * scaleX, *sy = y + gy * scaleY; }
};

// Corners top-left, top-right, bottom-left, bottom-right; inner points lie on the bilinear
// patch between them (in double precision).
struct PatchGraphMapping final : GraphMapping {
    double px[4], py[4], w, h;
    PatchGraphMapping(const float x[4], const float y[4], float width, float height) : w(width), h(height) {
        for (int i = 0; i < 4; ++i) px[i] = x[i], py[i] = y[i];
    }
    void map(float gx, float gy, float* sx, float* sy) const override {
        const double s = gx / w, t = gy / h;
        const double lx = px[0] + t * (px[2] - px[0]), ly = py[0] + t * (py[2] - py[0]);
        const double rx = px[1] + t * (px[3] - px[1]), ry = py[1] + t * (py[3] - py[1]);
        *sx = float(lx + s * (rx - lx));
        *sy = float(ly + s * (ry - ly));
    }
};

}  // namespace ZaDod
