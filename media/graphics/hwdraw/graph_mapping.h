// Where the points of a graph land on screen for each kind of graph draw (plain,
// stretched, onto four corners), before any per-API pixel-centre offset.
#pragma once
#include "media/graphics/graph_types.h"

namespace ZaDod {

// Maps a point of the graph (pixels from its top-left) to the screen.
struct GraphMapping {
    virtual void map(float gx, float gy, float* sx, float* sy) const = 0;
    // Corner k of a piece; a mapping that places corners by more than their point overrides it.
    virtual void mapCorner(const GraphDrawPiece& piece, int k, float* sx, float* sy) const {
        map(piece.corner[k].x, piece.corner[k].y, sx, sy);
    }

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

// Whole-pixel corners top-left, top-right, bottom-left, bottom-right. Two affine frames
// place the graph: one from the top-left corner along its top and left edges, one from the
// bottom-right corner along its bottom and right edges. A piece corner takes the frame its
// corner-frame byte names (1 top-left, 0 bottom-right), so both triangles of a skewed quad
// follow the edges they touch and pieces that share an edge share its points.
struct IntCornerGraphMapping final : GraphMapping {
    float x1, y1, x4, y4, w, h;
    float ax[2], ay[2];  // the top-left frame: per graph pixel along x, along y
    float bx[2], by[2];  // the bottom-right frame
    IntCornerGraphMapping(const int x[4], const int y[4], float width, float height) : w(width), h(height) {
        x1 = float(x[0]), y1 = float(y[0]), x4 = float(x[3]), y4 = float(y[3]);
        ax[0] = float(x[1] - x[0]) / w, ax[1] = float(y[1] - y[0]) / w;
        ay[0] = float(x[2] - x[0]) / h, ay[1] = float(y[2] - y[0]) / h;
        bx[0] = float(x[3] - x[2]) / w, bx[1] = float(y[3] - y[2]) / w;
        by[0] = float(x[3] - x[1]) / h, by[1] = float(y[3] - y[1]) / h;
    }
    void map(float gx, float gy, float* sx, float* sy) const override {
        const bool topLeft = gy <= h - gx * h / w;
        place(topLeft, gx, gy, sx, sy);
    }
    void mapCorner(const GraphDrawPiece& piece, int k, float* sx, float* sy) const override {
        place(piece.onDiagonal[k] != 0, piece.corner[k].x, piece.corner[k].y, sx, sy);
    }

   private:
    void place(bool topLeft, float gx, float gy, float* sx, float* sy) const {
        if (topLeft) {
            *sx = x1 + gx * ax[0] + gy * ay[0];
            *sy = y1 + gx * ax[1] + gy * ay[1];
        } else {
            *sx = x4 + (gx - w) * bx[0] + (gy - h) * by[0];
            *sy = y4 + (gx - w) * bx[1] + (gy - h) * by[1];
        }
    }
};

// True when the four corners (top-left, top-right, bottom-left, bottom-right) form an
// upright rectangle, which the stretched draw maps exactly.
inline bool IsUprightRect(const int x[4], const int y[4]) {
    return x[0] == x[2] && x[1] == x[3] && y[0] == y[1] && y[2] == y[3];
}

}  // namespace ZaDod
