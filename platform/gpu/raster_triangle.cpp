// Triangle rasterisation: integer edge functions on positions snapped to 1/256 pixel,
// pixel centres at i + 0.5, the top-left rule for pixels on an edge, and spans solved per
// row so that the shading loops see whole runs. Varyings come from planes built once per
// triangle; the general span runs the pixel function and hands each run to the output
// merger, while a specialised span (chosen once per draw) does both inline.
#include <algorithm>
#include <cmath>

#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

namespace {

constexpr int kRun = 64;

inline int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

struct Edge {
  int64_t dx, dy;  // in 1/256 pixel
  int64_t ox, oy;  // start point
  int64_t bias;    // 1 on top and left edges: pixels on them are inside
};

Edge makeEdge(const ScreenVertex& from, const ScreenVertex& to) {
  Edge e;
  e.dx = int64_t(to.X) - from.X;
  e.dy = int64_t(to.Y) - from.Y;
  e.ox = from.X;
  e.oy = from.Y;
  // With y down and the interior on the positive side: a top edge runs to the right, a
  // left edge runs up.
  e.bias = (e.dy < 0 || (e.dy == 0 && e.dx > 0)) ? 1 : 0;
  return e;
}

// Narrows [k0, k1) to the pixels k (from the row's first pixel) inside the edge, where f is
// the edge value (plus bias) at k = 0 and s its step per pixel: inside is f + s k > 0.
inline void narrow(int64_t f, int64_t s, int64_t& k0, int64_t& k1) {
  if (s == 0) {
    if (f <= 0) k1 = k0;
  } else if (s > 0) {
    const int64_t lo = floorDiv(-f, s) + 1;
    if (lo > k0) k0 = lo;
  } else {
    const int64_t hi = -floorDiv(-f, -s);  // ceil(f / -s)
    if (hi < k1) k1 = hi;
  }
}

}  // namespace

float textureLod(const PixelIn& in, int pair, float width, float height) {
  const Interpolator* I = in.interp;
  const int u = shader::texcoord(pair);
  if (!I || u + 1 >= I->n) return -INFINITY;
  float dudx, dvdx, dudy, dvdy;
  if (!I->perspective) {
    dudx = I->aA[u];
    dvdx = I->aA[u + 1];
    dudy = I->aB[u];
    dvdy = I->aB[u + 1];
  } else {  // differences across the pixel's 2x2 quad
    const float qx = std::floor(in.x * 0.5f) * 2.0f + 0.5f - I->x0, qy = std::floor(in.y * 0.5f) * 2.0f + 0.5f - I->y0;
    const float f00 = perspectiveFactor(*I, qx, qy), f10 = perspectiveFactor(*I, qx + 1.0f, qy),
                f01 = perspectiveFactor(*I, qx, qy + 1.0f);
    const float u00 = varyingAt(*I, u, qx, qy, f00), v00 = varyingAt(*I, u + 1, qx, qy, f00);
    dudx = varyingAt(*I, u, qx + 1.0f, qy, f10) - u00;
    dvdx = varyingAt(*I, u + 1, qx + 1.0f, qy, f10) - v00;
    dudy = varyingAt(*I, u, qx, qy + 1.0f, f01) - u00;
    dvdy = varyingAt(*I, u + 1, qx, qy + 1.0f, f01) - v00;
  }
  const float lx = dudx * dudx * width * width + dvdx * dvdx * height * height;
  const float ly = dudy * dudy * width * width + dvdy * dvdy * height * height;
  const float m = lx > ly ? lx : ly;
  return m > 0.0f ? 0.5f * std::log2(m) : -INFINITY;
}

void shadeSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, bool front, float depthBias) {
  Float4 colour[kRun];
  float depth[kRun];
  uint8_t mask[kRun];
  float v[shader::kVaryingCount];
  const Float4* targets[kMaxTargets] = {colour};
  const float dy = float(y) + 0.5f - I.y0;
  const float zmin = c.viewport.minDepth < c.viewport.maxDepth ? c.viewport.minDepth : c.viewport.maxDepth;
  const float zmax = c.viewport.minDepth < c.viewport.maxDepth ? c.viewport.maxDepth : c.viewport.minDepth;
  // Varyings the vertex function does not write read as 0.
  for (int k = I.n; k < shader::kVaryingCount; ++k) v[k] = 0.0f;
  PixelIn in;
  in.y = float(y) + 0.5f;
  in.front = front;
  in.v = v;
  in.interp = &I;
  for (int x = x0; x < x1; x += kRun) {
    const int m = x1 - x < kRun ? x1 - x : kRun;
    for (int i = 0; i < m; ++i) {
      in.x = float(x + i) + 0.5f;
      const float dx = in.x - I.x0;
      const float f = perspectiveFactor(I, dx, dy);
      for (int k = 0; k < I.n; ++k) v[k] = varyingAt(I, k, dx, dy, f);
      float z = planeAt(I.z0, I.zA, I.zB, dx, dy) + depthBias;
      z = z < zmin ? zmin : z > zmax ? zmax : z;
      in.z = depth[i] = z;
      mask[i] = c.ps->pixel(in, *c.env, *c.ps, colour[i]) ? 1 : 0;
      if (!mask[i]) colour[i] = Float4{0.0f, 0.0f, 0.0f, 0.0f};
    }
    c.om->mergeSpan(x, y, m, targets, depth, mask);
  }
}

void rasterTriangle(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b0, const ScreenVertex& d0,
                    bool front) {
  int64_t area = int64_t(b0.X - a.X) * (d0.Y - a.Y) - int64_t(b0.Y - a.Y) * (d0.X - a.X);
  if (area == 0) return;
  const bool flip = area < 0;
  const ScreenVertex& b = flip ? d0 : b0;
  const ScreenVertex& d = flip ? b0 : d0;
  if (flip) area = -area;

  // Pixel rows and columns whose centres can lie inside, within the writable rectangle.
  const int32_t minX = std::min({a.X, b.X, d.X}), maxX = std::max({a.X, b.X, d.X});
  const int32_t minY = std::min({a.Y, b.Y, d.Y}), maxY = std::max({a.Y, b.Y, d.Y});
  int px0 = int(floorDiv(int64_t(minX) - kSubPixel / 2 + kSubPixel - 1, kSubPixel));
  int px1 = int(floorDiv(int64_t(maxX) - kSubPixel / 2, kSubPixel)) + 1;
  int py0 = int(floorDiv(int64_t(minY) - kSubPixel / 2 + kSubPixel - 1, kSubPixel));
  int py1 = int(floorDiv(int64_t(maxY) - kSubPixel / 2, kSubPixel)) + 1;
  px0 = std::max(px0, c.clipX0);
  px1 = std::min(px1, c.clipX1);
  py0 = std::max(py0, c.clipY0);
  py1 = std::min(py1, c.clipY1);
  if (px0 >= px1 || py0 >= py1) return;

  // Planes from the snapped positions, in double for the set-up, float per pixel.
  static thread_local Interpolator I;
  const double x1 = double(b.X - a.X) / kSubPixel, y1 = double(b.Y - a.Y) / kSubPixel;
  const double x2 = double(d.X - a.X) / kSubPixel, y2 = double(d.Y - a.Y) / kSubPixel;
  const double det = x1 * y2 - x2 * y1;
  auto plane = [&](double v0, double v1, double v2, float& p0, float& pA, float& pB) {
    const double e1 = v1 - v0, e2 = v2 - v0;
    p0 = float(v0);
    pA = float((e1 * y2 - e2 * y1) / det);
    pB = float((x1 * e2 - x2 * e1) / det);
  };
  I.x0 = float(a.X) / kSubPixel;
  I.y0 = float(a.Y) / kSubPixel;
  I.n = c.varyings;
  I.perspective = !(a.q == b.q && a.q == d.q);
  plane(a.q, b.q, d.q, I.q0, I.qA, I.qB);
  plane(a.z, b.z, d.z, I.z0, I.zA, I.zB);
  for (int k = 0; k < I.n; ++k) {
    if (I.perspective) plane(double(a.v[k]) * a.q, double(b.v[k]) * b.q, double(d.v[k]) * d.q, I.a0[k], I.aA[k], I.aB[k]);
    else plane(a.v[k], b.v[k], d.v[k], I.a0[k], I.aA[k], I.aB[k]);
  }
  float bias = 0.0f;
  if (c.rasterizer.depthBias || c.rasterizer.slopeScaledDepthBias != 0.0f) {
    const float slope = std::max(std::fabs(I.zA), std::fabs(I.zB));
    bias = float(c.rasterizer.depthBias) * c.biasUnit + c.rasterizer.slopeScaledDepthBias * slope;
    const float clampTo = c.rasterizer.depthBiasClamp;
    if (clampTo > 0.0f && bias > clampTo) bias = clampTo;
    if (clampTo < 0.0f && bias < clampTo) bias = clampTo;
  }

  const Edge e[3] = {makeEdge(a, b), makeEdge(b, d), makeEdge(d, a)};
  const int64_t cx0 = int64_t(px0) * kSubPixel + kSubPixel / 2;
  const FastSpanFn fast = c.fast;
  for (int y = py0; y < py1; ++y) {
    const int64_t cy = int64_t(y) * kSubPixel + kSubPixel / 2;
    int64_t k0 = 0, k1 = px1 - px0;
    for (const Edge& g : e) {
      const int64_t f = g.dx * (cy - g.oy) - g.dy * (cx0 - g.ox) + g.bias;
      narrow(f, -g.dy * kSubPixel, k0, k1);
      if (k0 >= k1) break;
    }
    if (k0 >= k1) continue;
    const int x0 = px0 + int(k0), x1 = px0 + int(k1);
    if (fast) fast(c, I, y, x0, x1);
    else shadeSpan(c, I, y, x0, x1, front, bias);
  }
}

}  // namespace plat::gpu
