// Clipping in clip space: against w > 0, the near and far depth planes (when depth clip is
// on) and a guard band that keeps screen positions inside the fixed-point range; then the
// perspective divide, the viewport and the snap to 1/256 pixel. Primitives wholly inside
// skip the clipper.
#include <cmath>
#include <cstring>

#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

namespace {

constexpr int kPlanes = 7;
constexpr int kMaxPolygon = 3 + kPlanes;
constexpr float kMinW = 1.0e-6f;

// Signed distances to each plane; inside is >= 0.
void distances(const DrawContext& c, const Float4& p, float d[kPlanes]) {
  const float x = p[0], y = p[1], z = p[2], w = p[3];
  d[0] = w - kMinW;
  d[1] = c.rasterizer.depthClip ? z : 1.0f;
  d[2] = c.rasterizer.depthClip ? w - z : 1.0f;
  d[3] = x - c.gx0 * w;
  d[4] = c.gx1 * w - x;
  d[5] = y - c.gy0 * w;
  d[6] = c.gy1 * w - y;
}

bool finite(const Float4& p) {
  for (int k = 0; k < 4; ++k)
    if (!std::isfinite(p[k])) return false;
  return true;
}

// The point where the edge from `in` (inside) to `out` crosses plane k. Working from the
// inside end makes an edge shared by two primitives clip to the same point.
void intersect(const DrawContext& c, const ClipVertex& in, const ClipVertex& out, int k, ClipVertex& r) {
  float di[kPlanes], dout[kPlanes];
  distances(c, in.pos, di);
  distances(c, out.pos, dout);
  const float t = di[k] / (di[k] - dout[k]);
  for (int j = 0; j < 4; ++j) r.pos[j] = in.pos[j] + (out.pos[j] - in.pos[j]) * t;
  for (int j = 0; j < c.varyings; ++j) r.v[j] = in.v[j] + (out.v[j] - in.v[j]) * t;
}

// Inlined: returned through the stack, its fields would be stored one by one and read
// back whole, which stalls on every vertex.
[[gnu::always_inline]] inline ScreenVertex toScreen(const DrawContext& c, const ClipVertex& p) {
  // Pre-transformed vertices have w = 1: the division would give 1 exactly.
  const float q = p.pos[3] == 1.0f ? 1.0f : 1.0f / p.pos[3];
  const Viewport& vp = c.viewport;
  float sx = vp.x + (p.pos[0] * q + 1.0f) * vp.width * 0.5f;
  float sy = vp.y + (1.0f - p.pos[1] * q) * vp.height * 0.5f;
  float z = vp.minDepth + p.pos[2] * q * (vp.maxDepth - vp.minDepth);
  auto hold = [](float v) { return v == v ? (v < -kGuardBand ? -kGuardBand : v > kGuardBand ? kGuardBand : v) : 0.0f; };
  sx = hold(sx);
  sy = hold(sy);
  ScreenVertex s;
  s.X = int32_t(std::floor(sx * float(kSubPixel) + 0.5f));
  s.Y = int32_t(std::floor(sy * float(kSubPixel) + 0.5f));
  s.z = z;
  s.q = q;
  s.v = p.v;
  return s;
}

// Sutherland-Hodgman over the planes the polygon crosses; returns the vertex count.
int clipPolygon(const DrawContext& c, ClipVertex* poly, ClipVertex* spare, int n, unsigned crossed) {
  for (int k = 0; k < kPlanes && n > 0; ++k) {
    if (!(crossed & (1u << k))) continue;
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const ClipVertex& a = poly[i];
      const ClipVertex& b = poly[(i + 1) % n];
      float da[kPlanes], db[kPlanes];
      distances(c, a.pos, da);
      distances(c, b.pos, db);
      const bool ina = da[k] >= 0.0f, inb = db[k] >= 0.0f;
      if (ina) spare[m++] = a;
      if (ina != inb) intersect(c, ina ? a : b, ina ? b : a, k, spare[m++]);
    }
    for (int i = 0; i < m; ++i) poly[i] = spare[i];
    n = m;
  }
  return n;
}

// Bits of the planes some vertex lies outside; all-outside of one plane rejects (returns -1u).
unsigned outcodes(const DrawContext& c, const ClipVertex* const* v, int n) {
  unsigned any = 0, all = ~0u;
  for (int i = 0; i < n; ++i) {
    float d[kPlanes];
    distances(c, v[i]->pos, d);
    unsigned out = 0;
    for (int k = 0; k < kPlanes; ++k)
      if (!(d[k] >= 0.0f)) out |= 1u << k;
    any |= out;
    all &= out;
  }
  return all ? ~0u : any;
}

int64_t screenArea(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& d) {
  return int64_t(b.X - a.X) * (d.Y - a.Y) - int64_t(b.Y - a.Y) * (d.X - a.X);
}

}  // namespace

void drawTriangle(const DrawContext& c, const ClipVertex& a, const ClipVertex& b, const ClipVertex& d) {
  if (!finite(a.pos) || !finite(b.pos) || !finite(d.pos)) return;
  const ClipVertex* in[3] = {&a, &b, &d};
  const unsigned crossed = outcodes(c, in, 3);
  if (crossed == ~0u) return;
  ClipVertex poly[kMaxPolygon], spare[kMaxPolygon];
  int n = 3;
  if (crossed) {
    poly[0] = a;
    poly[1] = b;
    poly[2] = d;
    n = clipPolygon(c, poly, spare, 3, crossed);
    if (n < 3) return;
  }
  const ClipVertex* pv[kMaxPolygon];
  for (int i = 0; i < n; ++i) pv[i] = crossed ? &poly[i] : in[i];
  ScreenVertex s[kMaxPolygon];
  for (int i = 0; i < n; ++i) s[i] = toScreen(c, *pv[i]);
  int64_t area = 0;
  for (int i = 1; i + 1 < n && area == 0; ++i) area = screenArea(s[0], s[i], s[i + 1]);
  if (area == 0) return;
  const bool front = (area > 0) != c.rasterizer.frontCounterClockwise;
  if ((front && c.cullFront) || (!front && c.cullBack)) return;
  if (c.rasterizer.fill == FillMode::wireframe) {
    for (int i = 0; i < n; ++i) rasterLine(c, s[i], s[(i + 1) % n]);
    return;
  }
  for (int i = 1; i + 1 < n; ++i) rasterTriangle(c, s[0], s[i], s[i + 1], front);
}

void drawTrianglePair(const DrawContext& c, const ClipVertex* const first[3], const ClipVertex* const second[3]) {
  // Either one needing the clipper, or a draw without a specialised span, goes the long way.
  bool whole = c.fast && c.fastPair && c.rasterizer.fill == FillMode::solid;
  for (int i = 0; i < 3 && whole; ++i) whole = finite(first[i]->pos) && finite(second[i]->pos);
  if (whole) whole = outcodes(c, first, 3) == 0 && outcodes(c, second, 3) == 0;
  if (!whole) {
    drawTriangle(c, *first[0], *first[1], *first[2]);
    drawTriangle(c, *second[0], *second[1], *second[2]);
    return;
  }
  ScreenVertex s[6];
  for (int i = 0; i < 3; ++i) s[i] = toScreen(c, *first[i]);
  // A quad's halves share two corners: a corner of the second at the same clip position as
  // one of the first lands on the same screen position.
  for (int i = 0; i < 3; ++i) {
    const ClipVertex& v = *second[i];
    int same = -1;
    for (int k = 0; k < 3 && same < 0; ++k)
      if (std::memcmp(&v.pos, &first[k]->pos, sizeof v.pos) == 0) same = k;
    if (same < 0) {
      s[3 + i] = toScreen(c, v);
    } else {
      s[3 + i] = s[same];
      s[3 + i].v = v.v;
    }
  }
  // Culled or degenerate triangles drop out as they would alone.
  bool keep[2];
  for (int t = 0; t < 2; ++t) {
    const int64_t area = screenArea(s[3 * t], s[3 * t + 1], s[3 * t + 2]);
    const bool front = (area > 0) != c.rasterizer.frontCounterClockwise;
    keep[t] = area != 0 && !(front && c.cullFront) && !(!front && c.cullBack);
  }
  if (keep[0] && keep[1]) rasterPair(c, s, s + 3);
  else if (keep[0]) rasterTriangle(c, s[0], s[1], s[2], true);
  else if (keep[1]) rasterTriangle(c, s[3], s[4], s[5], true);
}

void drawLine(const DrawContext& c, const ClipVertex& a, const ClipVertex& b) {
  if (!finite(a.pos) || !finite(b.pos)) return;
  const ClipVertex* in[2] = {&a, &b};
  const unsigned crossed = outcodes(c, in, 2);
  if (crossed == ~0u) return;
  ClipVertex p0 = a, p1 = b;
  for (int k = 0; k < kPlanes && crossed; ++k) {
    if (!(crossed & (1u << k))) continue;
    float d0[kPlanes], d1[kPlanes];
    distances(c, p0.pos, d0);
    distances(c, p1.pos, d1);
    const bool in0 = d0[k] >= 0.0f, in1 = d1[k] >= 0.0f;
    if (!in0 && !in1) return;
    ClipVertex r;
    if (!in0) {
      intersect(c, p1, p0, k, r);
      p0 = r;
    } else if (!in1) {
      intersect(c, p0, p1, k, r);
      p1 = r;
    }
  }
  rasterLine(c, toScreen(c, p0), toScreen(c, p1));
}

void drawPoint(const DrawContext& c, const ClipVertex& a) {
  if (!finite(a.pos)) return;
  const ClipVertex* in[1] = {&a};
  if (outcodes(c, in, 1) != 0) return;
  rasterPoint(c, toScreen(c, a));
}

}  // namespace plat::gpu
