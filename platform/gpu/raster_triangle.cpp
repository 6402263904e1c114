// Triangle rasterisation: integer edge functions on positions snapped to 1/256 pixel,
// pixel centres at i + 0.5, the top-left rule for pixels on an edge, and spans solved per
// row so that the shading loops see whole runs. Varyings come from planes built once per
// triangle; the general span runs the pixel function and hands each run to the output
// merger, while a specialised span (chosen once per draw) does both inline. Multisampled
// targets take their own walk: each sample position has its own edges, the pixel function
// runs once per pixel that has a covered sample, and depth is tested per sample.
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/gpu/raster_internal.h"

namespace plat::gpu {

namespace {

constexpr int kRun = 64;
static_assert(kRun <= kSpanRun, "a run of the general span goes to the span form whole");

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

// One edge walked down the rows. Inside is f + s k > 0 for the pixel k columns from the
// row's first, f the edge value (plus bias) at k = 0 and s its step per pixel; f grows by
// a fixed amount per row. For s != 0 the boundary column is floor(-f / |s|), kept as a
// quotient and remainder that each row moves by a fixed pair, so no row divides.
struct EdgeWalk {
  // Set by start.
  int64_t f, s, row;  // row: f's growth per row (s == 0)
  int64_t q, r, m;    // -f = q m + r, 0 <= r < m = |s|
  int64_t dq, dr;     // f's growth per row = dq m + dr, 0 <= dr < m

  void start(const Edge& g, int64_t cx, int64_t cy) {
    f = g.dx * (cy - g.oy) - g.dy * (cx - g.ox) + g.bias;
    s = -g.dy * kSubPixel;
    row = g.dx * kSubPixel;
    if (s == 0) {
      q = r = dq = dr = 0;
      m = 1;
      return;
    }
    m = s > 0 ? s : -s;
    q = floorDiv(-f, m);
    r = -f - q * m;
    dq = floorDiv(row, m);
    dr = row - dq * m;
  }
  // Narrows [k0, k1) to the pixels inside the edge on the current row.
  void narrow(int64_t& k0, int64_t& k1) const {
    if (s == 0) {
      if (f <= 0) k1 = k0;
    } else if (s > 0) {
      if (q + 1 > k0) k0 = q + 1;
    } else if (-q < k1) {  // ceil(f / -s) = -floor(-f / -s)
      k1 = -q;
    }
  }
  void nextRow() {
    if (s == 0) {
      f += row;
      return;
    }
    // -f shrinks by dq m + dr.
    q -= dq;
    r -= dr;
    if (r < 0) {
      r += m;
      --q;
    }
  }
};

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

namespace {

// The pixel function over one row of a multisampled draw: the row's set-up once, then one
// call per pixel, which leaves the colour (transparent black when discarded), the depth
// at the pixel's centre (or the function's own) and the function's further colours. (shadeSpan keeps the same steps in locals: the single-sample path
// is the hot one and measurably slower through a record.)
struct RowShader {
  const DrawContext& c;
  const Interpolator& I;
  float depthBias, dy, zmin, zmax;
  float v[shader::kVaryingCount];
  PixelIn in;
  PixelOutputs more;

  RowShader(const DrawContext& c_, const Interpolator& I_, int y, bool front, float bias)
      : c(c_), I(I_), depthBias(bias), dy(float(y) + 0.5f - I_.y0) {
    zmin = c.viewport.minDepth < c.viewport.maxDepth ? c.viewport.minDepth : c.viewport.maxDepth;
    zmax = c.viewport.minDepth < c.viewport.maxDepth ? c.viewport.maxDepth : c.viewport.minDepth;
    // Varyings the vertex function does not write read as 0.
    for (int k = I.n; k < shader::kVaryingCount; ++k) v[k] = 0.0f;
    in.y = float(y) + 0.5f;
    in.front = front;
    in.v = v;
    in.interp = &I;
    in.more = c.ps->moreTargets || c.ps->writesDepth ? &more : nullptr;
  }
  float clampDepth(float z) const { return z < zmin ? zmin : z > zmax ? zmax : z; }
  // Pixel x's colour; false when the pixel function discards it.
  bool shade(int x, Float4& colour, float& depth) {
    in.x = float(x) + 0.5f;
    const float dx = in.x - I.x0;
    const float f = perspectiveFactor(I, dx, dy);
    for (int k = 0; k < I.n; ++k) v[k] = varyingAt(I, k, dx, dy, f);
    in.z = depth = more.depth = clampDepth(planeAt(I.z0, I.zA, I.zB, dx, dy) + depthBias);
    const bool kept = c.ps->pixel(in, *c.env, *c.ps, colour);
    if (!kept) colour = Float4{0.0f, 0.0f, 0.0f, 0.0f};
    // A depth the function wrote stays in the viewport's range (NaN: at its near end).
    if (c.ps->writesDepth) depth = !(more.depth >= zmin) ? zmin : more.depth > zmax ? zmax : more.depth;
    return kept;
  }
};

// The span of a pixel function that writes further targets or its own depth: one run per
// target it writes, and its depths for the depth test.
void shadeSpanOutputs(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, bool front,
                      float depthBias) {
  static_assert(kPixelMoreTargets == kMaxTargets - 1);
  static thread_local Float4 colour[kMaxTargets][kRun];
  float depth[kRun];
  uint8_t mask[kRun];
  const Float4* targets[kMaxTargets] = {colour[0]};
  for (int t = 1; t < kMaxTargets; ++t)
    if (c.ps->moreTargets >> (t - 1) & 1) targets[t] = colour[t];
  RowShader row(c, I, y, front, depthBias);
  for (int x = x0; x < x1; x += kRun) {
    const int m = x1 - x < kRun ? x1 - x : kRun;
    for (int i = 0; i < m; ++i) {
      mask[i] = row.shade(x + i, colour[0][i], depth[i]) ? 1 : 0;
      for (int t = 1; t < kMaxTargets; ++t)
        if (targets[t]) colour[t][i] = row.more.colour[t - 1];
    }
    c.om->mergeSpan(x, y, m, targets, depth, mask);
  }
}

}  // namespace

namespace {
[[gnu::noinline]] void shadeSpanWithRow(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, bool front,
                                        float depthBias) {
  SpanRow row(c, I, y);
  shadeSpan(c, I, y, x0, x1, front, depthBias, &row);
}
}  // namespace

void shadeSpan(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, bool front, float depthBias,
               SpanRow* shared) {
  if (c.ps->moreTargets || c.ps->writesDepth) [[unlikely]] {
    shadeSpanOutputs(c, I, y, x0, x1, front, depthBias);
    return;
  }
  // The span form's row set-up: it serves affine primitives only. A caller without one
  // made for the primitive gets one for the row (on its own frame, so that the common
  // case does not clear the record's room).
  SpanRow* row = nullptr;
  if (c.span != nullptr && !I.perspective) {
    if (shared == nullptr) [[unlikely]] {
      shadeSpanWithRow(c, I, y, x0, x1, front, depthBias);
      return;
    }
    shared->moveTo(I, y);
    row = shared;
  }
  // Runs end on whole multiples of their length, so that the rows of a primitive share
  // their runs' starts (the span form's checks of a run repeat down the rows). The span
  // form takes runs of kSpanRun, the pixel function's loop of kRun.
  int x = x0;
  if (row != nullptr) {
    for (int m = 0; x < x1; x += m) {
      const int end = (x / kSpanRun + 1) * kSpanRun;
      m = (end < x1 ? end : x1) - x;
      if (!shadeRunBySpan(c, I, *row, x, m)) break;
    }
    if (x == x1) return;
  }
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
  // The pixel function's loop from the first run the span form did not serve (tried once
  // already); later runs still go to the span form first.
  for (int m = 0, tried = row != nullptr; x < x1; x += m, tried = 0) {
    if (row != nullptr && !tried) {
      const int end = (x / kSpanRun + 1) * kSpanRun;
      m = (end < x1 ? end : x1) - x;
      if (shadeRunBySpan(c, I, *row, x, m)) continue;
    }
    const int end = (x / kRun + 1) * kRun;
    m = (end < x1 ? end : x1) - x;
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

namespace {

// One triangle ready to walk: its planes, its rows and columns within the writable
// rectangle, and its three edges at the first row.
struct TriangleSetup {
  int px0 = 0, px1 = 0, py0 = 0, py1 = 0;
  float bias = 0.0f;
  Edge e[3];
  EdgeWalk w[3];

  // False when the triangle lights no pixel (no sample, with Samples).
  template <bool Samples = false>
  bool prepare(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b0, const ScreenVertex& d0,
               Interpolator& I) {
    int64_t area = int64_t(b0.X - a.X) * (d0.Y - a.Y) - int64_t(b0.Y - a.Y) * (d0.X - a.X);
    if (area == 0) return false;
    const bool flip = area < 0;
    const ScreenVertex& b = flip ? d0 : b0;
    const ScreenVertex& d = flip ? b0 : d0;

    // Pixel rows and columns whose centres can lie inside, within the writable rectangle.
    const int32_t minX = std::min({a.X, b.X, d.X}), maxX = std::max({a.X, b.X, d.X});
    const int32_t minY = std::min({a.Y, b.Y, d.Y}), maxY = std::max({a.Y, b.Y, d.Y});
    if constexpr (!Samples) {
      px0 = std::max(int(floorDiv(int64_t(minX) - kSubPixel / 2 + kSubPixel - 1, kSubPixel)), c.clipX0);
      px1 = std::min(int(floorDiv(int64_t(maxX) - kSubPixel / 2, kSubPixel)) + 1, c.clipX1);
      py0 = std::max(int(floorDiv(int64_t(minY) - kSubPixel / 2 + kSubPixel - 1, kSubPixel)), c.clipY0);
      py1 = std::min(int(floorDiv(int64_t(maxY) - kSubPixel / 2, kSubPixel)) + 1, c.clipY1);
    } else {  // samples lie anywhere inside their pixel
      px0 = std::max(int(floorDiv(minX, kSubPixel)), c.clipX0);
      px1 = std::min(int(floorDiv(maxX, kSubPixel)) + 1, c.clipX1);
      py0 = std::max(int(floorDiv(minY, kSubPixel)), c.clipY0);
      py1 = std::min(int(floorDiv(maxY, kSubPixel)) + 1, c.clipY1);
    }
    if (px0 >= px1 || py0 >= py1) return false;

    // Planes from the snapped positions, in double for the set-up, float per pixel.
    const double x1 = double(b.X - a.X) / kSubPixel, y1 = double(b.Y - a.Y) / kSubPixel;
    const double x2 = double(d.X - a.X) / kSubPixel, y2 = double(d.Y - a.Y) / kSubPixel;
    const double det = x1 * y2 - x2 * y1;
    auto plane = [&](double v0, double v1, double v2, float& p0, float& pA, float& pB) {
      const double e1 = v1 - v0, e2 = v2 - v0;
      p0 = float(v0);
      if (e1 == 0.0 && e2 == 0.0) {
        // A value the same at all three corners (a sprite's colour, w = 1): the numerators
        // are zeros, and a zero times det has the sign and value the division gives,
        // without the division's cost.
        pA = float((e1 * y2 - e2 * y1) * det);
        pB = float((x1 * e2 - x2 * e1) * det);
        return;
      }
      pA = float((e1 * y2 - e2 * y1) / det);
      pB = float((x1 * e2 - x2 * e1) / det);
    };
    I.x0 = float(a.X) / kSubPixel;
    I.y0 = float(a.Y) / kSubPixel;
    I.n = c.varyings;
    I.perspective = !(a.q == b.q && a.q == d.q);
    plane(a.q, b.q, d.q, I.q0, I.qA, I.qB);
    if (!c.fast) plane(a.z, b.z, d.z, I.z0, I.zA, I.zB);  // the specialised spans test no depth
    for (int k = 0; k < I.n; ++k) {
      // They read colour 0 and the first texture-coordinate pair, and specular and fog
      // where the shader adds them.
      if (c.fast && k >= 4 && (k < shader::texcoord(0) || k >= shader::texcoord(1)) && !fastReads(c.fastTarget, k))
        continue;
      if (I.perspective)
        plane(double(a.v[k]) * a.q, double(b.v[k]) * b.q, double(d.v[k]) * d.q, I.a0[k], I.aA[k], I.aB[k]);
      else plane(a.v[k], b.v[k], d.v[k], I.a0[k], I.aA[k], I.aB[k]);
    }
    I.byteColour = !I.perspective && I.n >= 4;
    for (int k = 0; k < 4 && I.byteColour; ++k) {
      const float v = I.a0[k];
      I.byteColour = v >= 0.0f && v <= 1.0f && I.aA[k] == 0.0f && I.aB[k] == 0.0f;
      if (!I.byteColour) break;
      I.colour[k] = uint8_t(v * 255.0f + 0.5f);
      I.byteColour = kUnorm8[I.colour[k]] == v;
    }
    I.whiteAffine = I.byteColour && (I.colour[0] & I.colour[1] & I.colour[2] & I.colour[3]) == 255;
    I.columnsLinear = false;
    if (c.fast && c.fastSetup) c.fastSetup(c, I, px0, px1);
    bias = 0.0f;
    if (!c.fast && (c.rasterizer.depthBias || c.rasterizer.slopeScaledDepthBias != 0.0f)) {
      const float slope = std::max(std::fabs(I.zA), std::fabs(I.zB));
      bias = float(c.rasterizer.depthBias) * c.biasUnit + c.rasterizer.slopeScaledDepthBias * slope;
      const float clampTo = c.rasterizer.depthBiasClamp;
      if (clampTo > 0.0f && bias > clampTo) bias = clampTo;
      if (clampTo < 0.0f && bias < clampTo) bias = clampTo;
    }

    e[0] = makeEdge(a, b);
    e[1] = makeEdge(b, d);
    e[2] = makeEdge(d, a);
    return true;
  }

  // The edges at the first row; before the first nextSpan.
  void startEdges() {
    const int64_t cx0 = int64_t(px0) * kSubPixel + kSubPixel / 2;
    const int64_t cy0 = int64_t(py0) * kSubPixel + kSubPixel / 2;
    for (int i = 0; i < 3; ++i) w[i].start(e[i], cx0, cy0);
  }

  // The span of the next row (rows come in order from py0): false when it is empty.
  bool nextSpan(int& x0, int& x1) {
    int64_t k0 = 0, k1 = px1 - px0;
    for (EdgeWalk& g : w) {
      g.narrow(k0, k1);
      g.nextRow();
    }
    if (k0 >= k1) return false;
    x0 = px0 + int(k0);
    x1 = px0 + int(k1);
    return true;
  }
};

}  // namespace

namespace {

constexpr int kMaxSamples = 8;

// Row y's pixels x0..x1-1, sample s covered in pixels k0[s]..k1[s]-1 (columns from px0).
void shadeSamples(const DrawContext& c, const Interpolator& I, int y, int x0, int x1, int px0, const int64_t* k0,
                  const int64_t* k1, bool front, float depthBias) {
  Float4 colour[kRun];
  float depth[kRun], centre[kRun];
  uint8_t shaded[kRun], mask[kRun];
  // Functions with more outputs: a run per further target they write.
  static thread_local Float4 more[kPixelMoreTargets][kRun];
  const Float4* targets[kMaxTargets] = {colour};
  for (int t = 1; t < kMaxTargets; ++t)
    if (c.ps->moreTargets >> (t - 1) & 1) targets[t] = more[t - 1];
  RowShader row(c, I, y, front, depthBias);
  for (int x = x0; x < x1; x += kRun) {
    const int m = x1 - x < kRun ? x1 - x : kRun;
    // The pixel function once per pixel, at its centre.
    for (int i = 0; i < m; ++i) {
      shaded[i] = row.shade(x + i, colour[i], centre[i]) ? 1 : 0;
      for (int t = 1; t < kMaxTargets; ++t)
        if (targets[t]) more[t - 1][i] = row.more.colour[t - 1];
    }
    // Then each sample: its coverage and its own depth.
    for (int s = 0; s < c.samples; ++s) {
      const float ox = float(c.positions[s].x) / 16.0f, oy = float(c.positions[s].y) / 16.0f;
      const int64_t from = int64_t(px0) + k0[s], to = int64_t(px0) + k1[s];
      bool any = false;
      for (int i = 0; i < m; ++i) {
        const int64_t px = x + i;
        mask[i] = shaded[i] && px >= from && px < to ? 1 : 0;
        any = any || mask[i];
        // A depth the function wrote holds for every sample of its pixel.
        depth[i] = c.ps->writesDepth
                       ? centre[i]
                       : row.clampDepth(planeAt(I.z0, I.zA, I.zB, float(px) + 0.5f + ox - I.x0, row.dy + oy) +
                                        depthBias);
      }
      if (any) c.om->mergeSample(x, y, m, targets, depth, mask, s);
    }
  }
}

void rasterTriangleSamples(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& d,
                           bool front) {
  static thread_local Interpolator I;
  TriangleSetup t;
  if (c.samples > kMaxSamples || !c.positions || !t.prepare<true>(c, a, b, d, I)) return;
  EdgeWalk w[kMaxSamples][3];
  const int64_t cx0 = int64_t(t.px0) * kSubPixel + kSubPixel / 2;
  const int64_t cy0 = int64_t(t.py0) * kSubPixel + kSubPixel / 2;
  constexpr int kStep = kSubPixel / 16;  // positions are given in 1/16 pixel
  for (int s = 0; s < c.samples; ++s)
    for (int i = 0; i < 3; ++i)
      w[s][i].start(t.e[i], cx0 + c.positions[s].x * kStep, cy0 + c.positions[s].y * kStep);
  int64_t k0[kMaxSamples], k1[kMaxSamples];
  for (int y = t.py0; y < t.py1; ++y) {
    int64_t lo = t.px1 - t.px0, hi = 0;
    for (int s = 0; s < c.samples; ++s) {
      k0[s] = 0;
      k1[s] = t.px1 - t.px0;
      for (EdgeWalk& g : w[s]) {
        g.narrow(k0[s], k1[s]);
        g.nextRow();
      }
      if (k0[s] < k1[s]) {
        lo = std::min(lo, k0[s]);
        hi = std::max(hi, k1[s]);
      }
    }
    if (lo < hi) shadeSamples(c, I, y, t.px0 + int(lo), t.px0 + int(hi), t.px0, k0, k1, front, t.bias);
  }
}

}  // namespace

void rasterTriangle(const DrawContext& c, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& d,
                    bool front) {
  if (c.samples != 1) [[unlikely]] {
    rasterTriangleSamples(c, a, b, d, front);
    return;
  }
  static thread_local Interpolator I;
  TriangleSetup t;
  if (!t.prepare(c, a, b, d, I)) return;
  t.startEdges();
  const FastSpanFn fast = c.fast;
  // The span form's set-up once for the primitive.
  std::optional<SpanRow> row;
  if (!fast && c.span != nullptr && !I.perspective) row.emplace(c, I, t.py0);
  SpanRow* shared = row ? &*row : nullptr;
  int x0, x1;
  for (int y = t.py0; y < t.py1; ++y) {
    if (!t.nextSpan(x0, x1)) continue;
    if (fast) fast(c, I, y, x0, x1);
    else shadeSpan(c, I, y, x0, x1, front, t.bias, shared);
  }
}

namespace {

// Whether two triangles are the halves of one axis-aligned rectangle (each leaves out one
// corner, and the two left out are opposite), and if so the pixels whose centres lie in it,
// within the writable rectangle: left and top edges in, right and bottom out, as the
// top-left rule gives for the halves.
bool pixelRectangle(const DrawContext& c, const ScreenVertex* first, const ScreenVertex* second, int& x0, int& x1,
                    int& y0, int& y1) {
  // Exactly two x and two y among the six vertices.
  int32_t xs[2] = {first[0].X, first[0].X}, ys[2] = {first[0].Y, first[0].Y};
  bool twoX = false, twoY = false;
  const ScreenVertex* all[6] = {&first[0], &first[1], &first[2], &second[0], &second[1], &second[2]};
  for (const ScreenVertex* v : all) {
    if (v->X != xs[0] && v->X != xs[1]) {
      if (twoX) return false;
      xs[1] = v->X;
      twoX = true;
    }
    if (v->Y != ys[0] && v->Y != ys[1]) {
      if (twoY) return false;
      ys[1] = v->Y;
      twoY = true;
    }
  }
  if (!twoX || !twoY) return false;
  // Corners numbered by bit 0 for the second x and bit 1 for the second y; each triangle
  // holds three of them and the corners they leave out are opposite.
  auto left = [&](const ScreenVertex* t) {
    unsigned held = 0;
    for (int i = 0; i < 3; ++i) held |= 1u << ((t[i].X == xs[1] ? 1 : 0) | (t[i].Y == ys[1] ? 2 : 0));
    const unsigned out = 15u & ~held;
    return (out & (out - 1)) == 0 && out ? __builtin_ctz(out) : -1;
  };
  const int a = left(first), b = left(second);
  if (a < 0 || b < 0 || (a ^ b) != 3) return false;
  // Pixels whose centre c has x0 <= c < x1: the first is ceil((x0 - 128) / 256).
  auto firstCentre = [](int32_t e) { return int(floorDiv(int64_t(e) + kSubPixel / 2 - 1, kSubPixel)); };
  x0 = std::max(firstCentre(std::min(xs[0], xs[1])), c.clipX0);
  x1 = std::min(firstCentre(std::max(xs[0], xs[1])), c.clipX1);
  y0 = std::max(firstCentre(std::min(ys[0], ys[1])), c.clipY0);
  y1 = std::min(firstCentre(std::max(ys[0], ys[1])), c.clipY1);
  return true;
}

}  // namespace

void rasterPair(const DrawContext& c, const ScreenVertex* first, const ScreenVertex* second) {
  static thread_local Interpolator I1, I2;
  TriangleSetup t1, t2;
  const bool has1 = t1.prepare(c, first[0], first[1], first[2], I1);
  const bool has2 = t2.prepare(c, second[0], second[1], second[2], I2);
  if (!has1 || !has2) {
    if (has1) rasterTriangle(c, first[0], first[1], first[2], true);
    if (has2) rasterTriangle(c, second[0], second[1], second[2], true);
    return;
  }
  int rx0, rx1, ry0, ry1;
  if (c.fastRect && pixelRectangle(c, first, second, rx0, rx1, ry0, ry1) &&
      (rx0 >= rx1 || ry0 >= ry1 || c.fastRect(c, I1, I2, rx0, rx1, ry0, ry1)))
    return;
  t1.startEdges();
  t2.startEdges();
  const FastSpanFn fast = c.fast;
  const FastPairFn pair = c.fastPair;
  if (t1.py1 <= t2.py0 || t2.py1 <= t1.py0) {  // no row in common: one after the other
    int x0, x1;
    for (int y = t1.py0; y < t1.py1; ++y)
      if (t1.nextSpan(x0, x1)) fast(c, I1, y, x0, x1);
    for (int y = t2.py0; y < t2.py1; ++y)
      if (t2.nextSpan(x0, x1)) fast(c, I2, y, x0, x1);
    return;
  }
  const int yEnd = std::max(t1.py1, t2.py1);
  for (int y = std::min(t1.py0, t2.py0); y < yEnd; ++y) {
    int a0 = 0, a1 = 0, b0 = 0, b1 = 0;
    const bool in1 = y >= t1.py0 && y < t1.py1 && t1.nextSpan(a0, a1);
    const bool in2 = y >= t2.py0 && y < t2.py1 && t2.nextSpan(b0, b1);
    if (in1 && in2 && a1 == b0) {
      pair(c, I1, I2, y, a0, a1, b1);
    } else if (in1 && in2 && b1 == a0) {
      pair(c, I2, I1, y, b0, a0, a1);  // disjoint, so the order of the two does not matter
    } else {
      if (in1) fast(c, I1, y, a0, a1);
      if (in2) fast(c, I2, y, b0, b1);
    }
  }
}

}  // namespace plat::gpu
