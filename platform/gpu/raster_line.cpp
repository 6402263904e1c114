// Lines and points. A line lights, for each pixel centre in the half-open span from its
// start to its end along the major axis, the pixel on the row (or column) nearest the line;
// a tie goes to the one nearer the line's start, so that a line between pixel centres
// lights the same pixels as the software renderer's Bresenham walk. A point lights the one
// pixel whose square contains it. Varyings vary along the line only.
#include <cmath>
#include <cstdlib>

#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

namespace {

// Planes that vary along the direction (dx, dy) only, from the start vertex.
void linePlanes(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b, Interpolator& I) {
  const double dx = double(b.X - a.X) / kSubPixel, dy = double(b.Y - a.Y) / kSubPixel;
  const double len2 = dx * dx + dy * dy;
  auto plane = [&](double v0, double v1, float& p0, float& pA, float& pB) {
    p0 = float(v0);
    const double g = len2 > 0.0 ? (v1 - v0) / len2 : 0.0;
    pA = float(g * dx);
    pB = float(g * dy);
  };
  I.x0 = float(a.X) / kSubPixel;
  I.y0 = float(a.Y) / kSubPixel;
  I.n = c.varyings;
  I.perspective = a.q != b.q;
  plane(a.q, b.q, I.q0, I.qA, I.qB);
  plane(a.z, b.z, I.z0, I.zA, I.zB);
  for (int k = 0; k < I.n; ++k) {
    if (I.perspective) plane(double(a.v[k]) * a.q, double(b.v[k]) * b.q, I.a0[k], I.aA[k], I.aB[k]);
    else plane(a.v[k], b.v[k], I.a0[k], I.aA[k], I.aB[k]);
  }
}

void pixel(const DrawContext& c, const Interpolator& I, int x, int y) {
  if (x < c.clipX0 || x >= c.clipX1 || y < c.clipY0 || y >= c.clipY1) return;
  shadeSpan(c, I, y, x, x + 1, true, 0.0f);
}

}  // namespace

void rasterLine(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b) {
  const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
  if (dx == 0 && dy == 0) return;
  static thread_local Interpolator I;
  linePlanes(c, a, b, I);
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  // Major and minor coordinates of the start, the major extent and the minor slope.
  const int64_t s = xMajor ? a.X : a.Y, t = xMajor ? a.Y : a.X;
  const int64_t dmaj = xMajor ? dx : dy, dmin = xMajor ? dy : dx;
  const int step = dmaj > 0 ? 1 : -1;
  const int64_t end = s + dmaj;
  // First pixel centre at or past the start in the direction of travel.
  int64_t i = step > 0 ? floorDiv(s - kSubPixel / 2 + kSubPixel - 1, kSubPixel)
                       : floorDiv(s - kSubPixel / 2, kSubPixel);
  const int64_t den = (dmaj > 0 ? dmaj : -dmaj) * kSubPixel;
  const int64_t sign = dmaj > 0 ? 1 : -1;
  // dmin measured in the direction of travel: ties go back towards the start.
  const bool minorGrows = dmin > 0;
  const int limit = 1 << 16;  // the guard band bounds a line well below this
  for (int n = 0; n < limit; ++n, i += step) {
    const int64_t centre = i * kSubPixel + kSubPixel / 2;
    if (step > 0 ? centre >= end : centre <= end) break;
    // Minor position of the line at this centre, as num / den pixels.
    const int64_t num = sign * (t * dmaj + (centre - s) * dmin);
    int64_t m = floorDiv(num, den);
    if (num - m * den == 0 && minorGrows) m -= 1;
    if (xMajor) pixel(c, I, int(i), int(m));
    else pixel(c, I, int(m), int(i));
  }
}

void rasterPoint(const DrawContext& c, const ScreenVertex& a) {
  static thread_local Interpolator I;
  linePlanes(c, a, a, I);
  pixel(c, I, int(floorDiv(a.X, kSubPixel)), int(floorDiv(a.Y, kSubPixel)));
}

}  // namespace plat::gpu
