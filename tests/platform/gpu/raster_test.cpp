// The rasteriser: coverage by the top-left rule against an exact reference, shared edges,
// lines and points, clipping at the depth planes, perspective-correct texture coordinates
// and one-to-one texel placement.
#include <cmath>
#include <random>

#include "draw_fixture.h"

namespace gputest {
namespace {

using Pixels = std::vector<std::pair<int, int>>;

// Exact reference: a pixel is inside when its centre nudged right by e and down by e^2 lies
// strictly inside the triangle; that is the top-left rule. Coordinates are on the 1/256
// grid, scaled by 2^48 so that the nudges are exact.
Pixels reference(const float (&p)[3][2], int w, int h) {
  using I = __int128;
  auto fix = [](double v) { return I(std::llround(v * 256.0)) << 40; };
  I X[3], Y[3];
  for (int i = 0; i < 3; ++i) X[i] = fix(p[i][0]), Y[i] = fix(p[i][1]);
  const I area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
  Pixels out;
  if (area == 0) return out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const I px = (I(2 * x + 1) << 47) + (I(1) << 28), py = (I(2 * y + 1) << 47) + (I(1) << 8);
      bool in = true;
      for (int k = 0; k < 3 && in; ++k) {
        const int j = (k + 1) % 3;
        const I e = (X[j] - X[k]) * (py - Y[k]) - (Y[j] - Y[k]) * (px - X[k]);
        in = area > 0 ? e > 0 : e < 0;
      }
      if (in) out.emplace_back(x, y);
    }
  }
  return out;
}

class RasterTest : public GpuTest {};

TEST_F(RasterTest, StripAndSharedEdgesLightEachPixelOnce) {
  Scene sc;
  sc.setBlend(Blend::one, Blend::one);
  ASSERT_EQ(sc.draw(std::vector<Vertex0>{v0(0, 0, 0x40404040), v0(4, 0, 0x40404040), v0(0, 4, 0x40404040),
                                         v0(4, 4, 0x40404040)},
                    Topology::triangleStrip),
            Status::ok);
  Pixels want;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) want.emplace_back(x, y);
  EXPECT_EQ(sc.lit(), want);
  for (auto [x, y] : want) EXPECT_EQ(sc.pixel(x, y)[0], 0x40);

  // Random quads split along a diagonal: no pixel is lit twice and the union is the
  // reference coverage of both halves.
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pos(0, 32 * 256);
  for (int round = 0; round < 60; ++round) {
    sc.clear();
    float q[4][2];
    for (auto& c : q) c[0] = float(pos(rng)) / 256.0f, c[1] = float(pos(rng)) / 256.0f;
    std::vector<Vertex0> v;
    for (int i : {0, 1, 2, 0, 2, 3}) v.push_back(v0(q[i][0], q[i][1], 0x40404040));
    ASSERT_EQ(sc.draw(v, Topology::triangleList), Status::ok);
    const float t1[3][2] = {{q[0][0], q[0][1]}, {q[1][0], q[1][1]}, {q[2][0], q[2][1]}};
    const float t2[3][2] = {{q[0][0], q[0][1]}, {q[2][0], q[2][1]}, {q[3][0], q[3][1]}};
    Pixels a = reference(t1, 32, 32), b = reference(t2, 32, 32);
    int doubled = 0;
    for (auto [x, y] : sc.lit()) doubled += sc.pixel(x, y)[0] != 0x40;
    // Where the halves overlap (a non-convex quad) the reference counts twice as well.
    int overlap = 0;
    for (auto& p : a) overlap += std::count(b.begin(), b.end(), p) > 0;
    EXPECT_EQ(doubled, overlap) << "round " << round;
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end(), [](auto& l, auto& r) { return std::tie(l.second, l.first) < std::tie(r.second, r.first); });
    a.erase(std::unique(a.begin(), a.end()), a.end());
    EXPECT_EQ(sc.lit(), a) << "round " << round;
  }
}

TEST_F(RasterTest, TopLeftRuleMatchesTheExactReference) {
  // Vertices on pixel centres in all four orientations, then random sub-pixel triangles
  // in both windings.
  std::vector<std::array<std::array<float, 2>, 3>> cases = {
      {{{0.5f, 0.5f}, {4.5f, 0.5f}, {0.5f, 4.5f}}},  // top and left edges
      {{{4.5f, 0.5f}, {4.5f, 4.5f}, {0.5f, 0.5f}}},  // top and right
      {{{0.5f, 4.5f}, {4.5f, 4.5f}, {0.5f, 0.5f}}},  // bottom and left
      {{{4.5f, 4.5f}, {0.5f, 4.5f}, {4.5f, 0.5f}}},  // bottom and right
      {{{2.5f, 0.5f}, {4.5f, 2.5f}, {0.5f, 2.5f}}},  // apex on a centre
  };
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> pos(-2 * 256, 18 * 256);
  for (int i = 0; i < 200; ++i) {
    std::array<std::array<float, 2>, 3> t;
    for (auto& c : t) c = {float(pos(rng)) / 256.0f, float(pos(rng)) / 256.0f};
    cases.push_back(t);
  }
  Scene sc(16, 16);
  for (size_t n = 0; n < cases.size(); ++n) {
    for (int flip = 0; flip < 2; ++flip) {
      sc.clear();
      float p[3][2];
      for (int i = 0; i < 3; ++i) {
        const int j = flip && i ? 3 - i : i;
        p[i][0] = cases[n][size_t(j)][0];
        p[i][1] = cases[n][size_t(j)][1];
      }
      ASSERT_EQ(sc.draw(std::vector<Vertex0>{v0(p[0][0], p[0][1]), v0(p[1][0], p[1][1]), v0(p[2][0], p[2][1])},
                        Topology::triangleList),
                Status::ok);
      EXPECT_EQ(sc.lit(), reference(p, 16, 16)) << "case " << n << " flip " << flip;
    }
  }
  // The first case by hand: ten pixels, the hypotenuse's centres excluded.
  sc.clear();
  sc.draw(std::vector<Vertex0>{v0(0.5f, 0.5f), v0(4.5f, 0.5f), v0(0.5f, 4.5f)}, Topology::triangleList);
  EXPECT_EQ(sc.lit().size(), 10u);
}

// A long draw is shaded and drawn a chunk of vertices at a time: every topology, with
// lengths around the chunk boundaries, draws what its primitives drawn one draw each give,
// in order, none lost or drawn twice (the blend shows both), with the specialised spans on
// and off (the fast path pairs list triangles and strip triangles across a chunk's end).
TEST_F(RasterTest, LongDrawsEqualTheirPrimitivesDrawnOneByOne) {
  std::mt19937 rng(12);
  auto coord = [&](int range) { return float(int(rng() % unsigned(range * 256)) - 4 * 256) / 256.0f; };
  const Topology topologies[] = {Topology::pointList, Topology::lineList, Topology::lineStrip,
                                 Topology::triangleList, Topology::triangleStrip};
  for (Topology t : topologies) {
    for (uint32_t count : {95u, 96u, 97u, 98u, 191u, 192u, 193u, 194u, 301u}) {
      std::vector<Vertex0> v;
      for (uint32_t i = 0; i < count; ++i) {
        // Lists of triangles get axis-aligned quads of one colour now and then.
        if (t == Topology::triangleList && i % 6 == 0 && i + 6 <= count && rng() % 2) {
          const float x = std::floor(coord(40)), y = std::floor(coord(40)), w = float(1 + rng() % 12);
          const uint32_t c = uint32_t(rng()) | 0x10u;
          for (int k : {0, 1, 2, 1, 3, 2}) v.push_back(v0(x + (k & 1 ? w : 0), y + (k & 2 ? w : 0), c));
          i += 5;
          continue;
        }
        v.push_back(v0(coord(40), coord(40), uint32_t(rng())));
      }
      // The primitives one by one, in the draw's order and winding.
      std::vector<std::pair<std::vector<Vertex0>, Topology>> pieces;
      const bool strip = t == Topology::lineStrip || t == Topology::triangleStrip;
      const uint32_t size = t == Topology::pointList ? 1 : t == Topology::lineList || t == Topology::lineStrip ? 2 : 3;
      const uint32_t step = strip ? 1 : size;
      for (uint32_t i = 0; i + size <= count; i += step) {
        std::vector<Vertex0> one(v.begin() + i, v.begin() + i + size);
        if (t == Topology::triangleStrip && (i & 1)) std::swap(one[0], one[1]);
        pieces.emplace_back(one, t == Topology::pointList ? Topology::pointList
                                 : size == 2                ? Topology::lineList
                                                            : Topology::triangleList);
      }
      for (bool fast : {true, false}) {
        Scene whole(40, 40), apart(40, 40);
        for (Scene* sc : {&whole, &apart}) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
        setFastSpans(fast);
        ASSERT_EQ(whole.draw(v, t), Status::ok);
        for (const auto& [one, topology] : pieces) ASSERT_EQ(apart.draw(one, topology), Status::ok);
        setFastSpans(true);
        ASSERT_EQ(snapshot(*whole.target), snapshot(*apart.target))
            << "topology " << int(t) << ", " << count << " vertices, fast " << fast;
      }
    }
  }
}

TEST_F(RasterTest, LinesAndPoints) {
  struct Case {
    float x0, y0, x1, y1;
    Pixels want;
  };
  auto row = [](int y, int a, int b) {
    Pixels p;
    for (int x = a; x <= b; ++x) p.emplace_back(x, y);
    return p;
  };
  const Case cases[] = {
      {0.4f, 0.5f, 10.4f, 0.5f, row(0, 0, 9)},
      {10.6f, 1.5f, 0.6f, 1.5f, row(1, 1, 10)},
      {5.5f, 5.4f, 5.5f, 9.4f, {{5, 5}, {5, 6}, {5, 7}, {5, 8}}},
      {3.0f, 3.0f, 3.0f, 3.0f, {}},
      {0.5f, 0.5f, 4.5f, 2.5f, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
      {4.5f, 2.5f, 0.5f, 0.5f, {{1, 1}, {2, 1}, {3, 2}, {4, 2}}},
  };
  Scene sc(16, 16);
  for (const Case& c : cases) {
    sc.clear();
    ASSERT_EQ(sc.draw(std::vector<Vertex0>{v0(c.x0, c.y0), v0(c.x1, c.y1)}, Topology::lineList), Status::ok);
    Pixels want = c.want;
    std::sort(want.begin(), want.end(), [](auto& l, auto& r) { return std::tie(l.second, l.first) < std::tie(r.second, r.first); });
    EXPECT_EQ(sc.lit(), want) << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1;
  }
  sc.clear();
  ASSERT_EQ(sc.draw(std::vector<Vertex0>{v0(3.1f, 4.1f)}, Topology::pointList), Status::ok);
  EXPECT_EQ(sc.lit(), (Pixels{{3, 4}}));
  // Wireframe draws the edges: a triangle's outline, not its inside.
  sc.clear();
  sc.s.rasterizer.fill = FillMode::wireframe;
  ASSERT_EQ(sc.draw(std::vector<Vertex0>{v0(0.5f, 0.5f), v0(8.5f, 0.5f), v0(0.5f, 8.5f)}, Topology::triangleList),
            Status::ok);
  EXPECT_EQ(sc.pixel(0, 0)[0], 0xFF);
  EXPECT_EQ(sc.pixel(2, 2)[0], 0);
}

TEST_F(RasterTest, DepthPlanesClipToTheVisiblePart) {
  // Identity matrix: positions are clip coordinates, with z = x across the triangle, so
  // only its part right of the centre has z >= 0; a copy with z = x + 1 loses the part
  // where z > 1 instead.
  Scene sc(32, 32);
  float identity[64] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  sc.s.vs.constants[0] = makeBuffer(identity, sizeof identity, kBindConstantBuffer);
  for (float shift : {0.0f, 1.0f}) {
    sc.clear();
    std::vector<Vertex0> v = {v0(-1, -1), v0(1, -1), v0(-1, 1)};
    for (auto& p : v) p.z = p.x + shift;
    ASSERT_EQ(sc.draw(v, Topology::triangleList), Status::ok);
    const float screen[3][2] = {{0, 32}, {32, 32}, {0, 0}};
    int wantLeft = 0, wantRight = 0, left = 0, right = 0;
    for (auto [x, y] : reference(screen, 32, 32)) (x < 16 ? wantLeft : wantRight)++;
    for (auto [x, y] : sc.lit()) (x < 16 ? left : right)++;
    if (shift == 0.0f) {
      EXPECT_EQ(left, 0);
      EXPECT_EQ(right, wantRight);
    } else {
      EXPECT_EQ(left, wantLeft);
      EXPECT_EQ(right, 0);
    }
  }
}

TEST_F(RasterTest, PerspectiveTexturesAndOneToOnePlacement) {
  for (bool fast : {true, false}) {
    setFastSpans(fast);
    // A 16x1 texture whose red byte is 16 x its column, across a quad whose w goes from 1
    // on the left to 4 on the right: the texel at each pixel follows the exact formula.
    Scene sc(32, 8);
    auto tex = makeTexture(Format::R8G8B8A8, 16, 1);
    for (int i = 0; i < 16; ++i) putTexel(*tex, 0, i, 0, {uint8_t(16 * i), 0, 0, 255});
    sc.useFormat(1);
    sc.s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
    sc.setTexture(0, makeView(*tex, ViewKind::shaderResource));
    float m[64] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0.5f, 0, 0, 1, 0};  // clip = (x, y, 0.5, z)
    sc.s.vs.constants[0] = makeBuffer(m, sizeof m, kBindConstantBuffer);
    auto corner = [](float x, float y, float w, float u) { return v1(x * w, y * w, u, 0.5f); };
    std::vector<Vertex1> quad = {corner(-1, 1, 1, 0), corner(1, 1, 4, 1), corner(-1, -1, 1, 0), corner(1, -1, 4, 1)};
    for (auto& q : quad) q.z = q.x < 0 ? 1.0f : 4.0f;  // the matrix takes w from z
    ASSERT_EQ(sc.draw(quad, Topology::triangleStrip), Status::ok);
    for (int px : {3, 17, 29}) {
      const double t = (px + 0.5) / 32.0;
      const double u = (t / 4.0) / ((1.0 - t) + t / 4.0);
      const int texel = int(std::floor(u * 16.0));
      ASSERT_GT(std::fabs(u * 16.0 - std::round(u * 16.0)), 1e-3);
      EXPECT_EQ(sc.pixel(px, 4)[0], 16 * texel) << "pixel " << px << " fast " << fast;
    }

    // A 2x2 texture drawn 1:1 at (10, 20): each texel on its pixel, nothing around.
    Scene one(32, 32);
    auto small = makeTexture(Format::R8G8B8A8, 2, 2);
    const uint8_t colours[4] = {40, 80, 120, 160};
    for (int i = 0; i < 4; ++i) putTexel(*small, 0, i & 1, i >> 1, {colours[i], 1, 2, 255});
    one.useFormat(1);
    one.s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
    one.setTexture(0, makeView(*small, ViewKind::shaderResource));
    ASSERT_EQ(one.draw(std::vector<Vertex1>{v1(10, 20, 0, 0), v1(12, 20, 1, 0), v1(10, 22, 0, 1), v1(12, 22, 1, 1)},
                       Topology::triangleStrip),
              Status::ok);
    EXPECT_EQ(one.lit(), (Pixels{{10, 20}, {11, 20}, {10, 21}, {11, 21}}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(one.pixel(10 + (i & 1), 20 + (i >> 1))[0], colours[i]);
  }
  setFastSpans(true);
}

TEST_F(RasterTest, RefusalsAndOutOfRangeReads) {
  Scene sc(8, 8);
  // Indices past the vertex buffer fetch zeros (a degenerate triangle at the origin) and
  // indices past the index buffer read 0; neither reads outside a buffer.
  const std::vector<Vertex0> v = {v0(0, 0), v0(8, 0), v0(0, 8)};
  sc.s.vertexBuffer = makeBuffer(v.data(), v.size() * sizeof(Vertex0), kBindVertexBuffer);
  sc.s.vertexStride = sizeof(Vertex0);
  const uint16_t idx[3] = {0, 1, 60000};
  sc.s.indexBuffer = makeBuffer(idx, sizeof idx, kBindIndexBuffer);
  EXPECT_EQ(drawIndexed(sc.s, 3, 0, 0), Status::ok);
  EXPECT_TRUE(sc.lit().empty());
  EXPECT_EQ(drawIndexed(sc.s, 6, 0, 2), Status::ok);  // indices 2, 3, 60002, then 2, 2, 2
  EXPECT_TRUE(sc.lit().empty());
  EXPECT_EQ(drawIndexed(sc.s, 3, 0, 0), Status::ok);
  const uint16_t good[3] = {0, 1, 2};
  sc.s.indexBuffer = makeBuffer(good, sizeof good, kBindIndexBuffer);
  EXPECT_EQ(drawIndexed(sc.s, 3, 0, 0), Status::ok);
  EXPECT_EQ(sc.lit().size(), 28u);  // x + y < 7: the centres on the diagonal edge are outside
  DrawState none = sc.s;
  none.ps.shader = nullptr;
  EXPECT_EQ(plat::gpu::draw(none, 3, 0), Status::invalidArgument);
  none.ps.shader = sc.s.vs.shader;  // a vertex function in the pixel stage
  EXPECT_EQ(plat::gpu::draw(none, 3, 0), Status::invalidArgument);
  EXPECT_EQ(plat::gpu::draw(sc.s, kMaxDrawVertices + 1, 0), Status::invalidArgument);
  EXPECT_EQ(drawIndexed(sc.s, ~0u, 0, 0), Status::invalidArgument);
}

}  // namespace
}  // namespace gputest
