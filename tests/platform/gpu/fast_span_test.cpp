// The specialised spans give the same bytes as the general pipeline: random quads over
// every combination they cover (each blend they take) (drawn as strips and as triangle pairs, 1:1 sprites among
// them), chosen triangle pairs for the pair and rectangle paths, and the 8-bit
// SRC_ALPHA / INV_SRC_ALPHA blend over all source, destination and alpha bytes with the
// eight- and the four-pixel runs.
#include <cmath>
#include <cstring>
#include <type_traits>
#include <random>

#include "draw_fixture.h"
#include "platform/gpu/raster_internal.h"
#include "platform/gpu/span_colour.h"

namespace gputest {
namespace {

class FastSpanTest : public GpuTest {
 protected:
  void TearDown() override {
    setFastSpans(true);
    setWideSpans(true);
    GpuTest::TearDown();
  }
};

// Whether the draw state would take a specialised span.
bool takesFastSpan(const DrawState& s) {
  ShaderEnv env;
  for (int i = 0; i < kConstantSlots; ++i)
    if (s.ps.constants[i]) env.cb[i] = s.ps.constants[i]->data(), env.cbSize[i] = s.ps.constants[i]->size();
  env.views[0] = s.ps.resources[0].get();
  env.samplerDescs[0] = s.ps.samplers[0] ? &s.ps.samplers[0]->desc() : nullptr;
  DrawContext c;
  c.env = &env;
  c.varyings = s.vs.shader->varyings;
  return chooseFastSpan(s, c) != nullptr;
}

// Two scenes over one random background: one for the fast path, one for the general.
void randomBackground(Scene& fast, Scene& slow, std::mt19937& rng) {
  std::vector<uint8_t> background(fast.target->storageSize());
  for (auto& b : background) b = uint8_t(rng());
  std::memcpy(fast.target->storage(), background.data(), background.size());
  std::memcpy(slow.target->storage(), background.data(), background.size());
}

Ref<View> randomTexture(Format f, int w, int h, std::mt19937& rng) {
  auto tex = makeTexture(f, w, h);
  for (size_t i = 0; i < tex->storageSize(); ++i) tex->storage()[i] = uint8_t(rng());
  return makeView(*tex, ViewKind::shaderResource);
}

// Draws v on `fast` with the specialised spans and on `slow` without; false (with the
// failure recorded) when the fast scene takes no specialised span or a draw fails.
bool drawBoth(Scene& fast, Scene& slow, const std::vector<Vertex1>& v, Topology t) {
  setFastSpans(true);
  EXPECT_TRUE(takesFastSpan(fast.s));
  EXPECT_EQ(fast.draw(v, t), Status::ok);
  setFastSpans(false);
  EXPECT_EQ(slow.draw(v, t), Status::ok);
  return !::testing::Test::HasFailure();
}

TEST_F(FastSpanTest, RandomQuadsMatchTheGeneralPath) {
  std::mt19937 rng(21);
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const Format targets[] = {Format::R8G8B8A8, Format::B8G8R8A8};
  const Format textures[] = {Format::R8G8B8A8, Format::B8G8R8A8, Format::B8G8R8X8};
  const char* const shaders[] = {"untex_ps_k0_a0", "tex_ps_k0_v0_i0_a0", "tex_ps_k0_v0_i1_a0"};
  for (int round = 0; round < 2500; ++round) {
    const Format tf = targets[pick(2)];
    Scene fast(48, 40, tf), slow(48, 40, tf);
    randomBackground(fast, slow, rng);

    const int shader = pick(3);
    const int blend = pick(6);
    const Filter filter = pick(2) ? Filter::linear : Filter::point;
    const float reference = pick(3) == 0 ? float(pick(256)) / 255.0f : -1.0f;
    const int tw = 1 + pick(40), th = 1 + pick(40);
    auto view = randomTexture(textures[pick(3)], tw, th, rng);
    float x = float(pick(60 * 256) - 6 * 256) / 256.0f, y = float(pick(50 * 256) - 5 * 256) / 256.0f;
    float w = float(pick(40 * 256)) / 256.0f, h = float(pick(40 * 256)) / 256.0f;
    // A third are sprites drawn 1:1 (whole, half or random sub-pixel positions), which the
    // texel-run and rectangle paths take.
    if (pick(3) == 0) {
      w = float(tw);
      h = float(th);
      const int snap = pick(3);
      if (snap < 2) {
        x = std::floor(x) + (snap ? 0.5f : 0.0f);
        y = std::floor(y) + (snap ? 0.5f : 0.0f);
      }
    }
    // A third of the quads are white and a third one other colour throughout (half of
    // them opaque, which an alpha blend stores as it is), which the byte spans take; the
    // rest have a colour per corner.
    const int colouring = pick(3);
    uint32_t one = colouring == 0 ? 0xFFFFFFFFu : uint32_t(rng());
    if (colouring == 1 && pick(2)) one |= 0xFFu;
    Vertex1 corner[4];
    for (int i = 0; i < 4; ++i)
      corner[i] = v1(x + (i & 1 ? w : 0), y + (i & 2 ? h : 0), i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f,
                     colouring < 2 ? one : uint32_t(rng()));
    // A strip, or a list of two triangles split along either diagonal.
    const int shape = pick(3);
    const Topology topology = shape == 0 ? Topology::triangleStrip : Topology::triangleList;
    std::vector<Vertex1> quad;
    if (shape == 0) quad = {corner[0], corner[1], corner[2], corner[3]};
    else if (shape == 1) quad = {corner[0], corner[1], corner[2], corner[1], corner[3], corner[2]};
    else quad = {corner[0], corner[1], corner[3], corner[0], corner[3], corner[2]};
    for (Scene* sc : {&fast, &slow}) {
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed(shaders[shader], ShaderStage::pixel);
      sc->setTexture(0, view, filter);
      sc->setPixelConstants(Float4{0, 0, 0, 0}, reference, shader::kCmpGreater);
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
      if (blend == 3) sc->setBlend(Blend::srcAlpha, Blend::one, BlendOp::revSubtract);
      if (blend == 4) sc->setBlend(Blend::zero, Blend::srcColor);
      if (blend == 5) sc->setBlend(Blend::one, Blend::zero);
    }
    ASSERT_TRUE(drawBoth(fast, slow, quad, topology)) << "round " << round;
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "round " << round << " shader " << shaders[shader]
                                                              << " blend " << blend << " filter " << int(filter)
                                                              << " shape " << shape;
  }
}

// Triangle pairs chosen for the pair and rectangle paths: a 1:1 sprite split either way
// and wound either way, clipped by the target, sub-pixel placed, stretched so that the
// halves disagree on texel rows, half culled, overlapping (the second blends over the
// first), sharing only an edge that is not a rectangle's diagonal, and one half past the
// guard band (the clipper's path).
TEST_F(FastSpanTest, TrianglePairsMatchTheGeneralPath) {
  struct Case {
    const char* name;
    float x0, y0, x1, y1;  // the rectangle the corners come from
    int order[6];          // corners 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
    CullMode cull;
    bool scissor;
  };
  const Case cases[] = {
      {"sprite, / diagonal", 4, 3, 20, 15, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
      {"sprite, \\ diagonal", 4, 3, 20, 15, {0, 1, 3, 0, 3, 2}, CullMode::none, false},
      {"sprite, other winding", 4, 3, 20, 15, {0, 2, 1, 1, 2, 3}, CullMode::none, false},
      {"sprite, second half first", 4, 3, 20, 15, {1, 3, 2, 0, 1, 2}, CullMode::none, false},
      {"sprite past the left and top", -5, -7, 11, 5, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
      {"sprite past the right and bottom", 38, 30, 54, 42, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
      {"sprite on half pixels", 4.5f, 3.5f, 20.5f, 15.5f, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
      {"sprite off the grid", 4.3f, 3.7f, 20.3f, 15.7f, {0, 1, 3, 0, 3, 2}, CullMode::none, false},
      {"scissored sprite", 4, 3, 20, 15, {0, 1, 2, 1, 3, 2}, CullMode::none, true},
      {"stretched 3 : 7", 2, 1, 2 + 16 * 3 / 7.0f, 1 + 12 * 7 / 3.0f, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
      {"one half culled", 4, 3, 20, 15, {0, 1, 2, 1, 2, 3}, CullMode::back, false},
      {"overlapping halves", 4, 3, 20, 15, {0, 1, 2, 0, 1, 3}, CullMode::none, false},
      {"same triangle twice", 4, 3, 20, 15, {0, 1, 2, 0, 1, 2}, CullMode::none, false},
      {"edge but no rectangle", 4, 3, 20, 15, {0, 1, 2, 1, 2, 0}, CullMode::none, false},
      {"half past the guard band", 4, 3, 20000, 15, {0, 1, 2, 1, 3, 2}, CullMode::none, false},
  };
  std::mt19937 rng(8);
  for (const Case& k : cases) {
    for (int variant = 0; variant < 6; ++variant) {
      // White, one colour throughout, or a colour per corner; with and without the test.
      const int colouring = variant % 3;
      const bool alpha = variant >= 3;
      const uint32_t one = colouring == 0 ? 0xFFFFFFFFu : uint32_t(rng());
      Scene fast(48, 40), slow(48, 40);
      randomBackground(fast, slow, rng);
      auto view = randomTexture(Format::R8G8B8A8, 16, 12, rng);
      for (Scene* sc : {&fast, &slow}) {
        sc->useFormat(1);
        sc->s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
        sc->setTexture(0, view);
        sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
        if (alpha) sc->setPixelConstants(Float4{0, 0, 0, 0}, 100.0f / 255.0f, shader::kCmpGreater);
        sc->s.rasterizer.cull = k.cull;
        sc->s.rasterizer.scissorEnable = k.scissor;
        sc->s.scissor = ScissorRect{7, 5, 17, 13};
      }
      Vertex1 corner[4];
      for (int i = 0; i < 4; ++i)
        corner[i] = v1(i & 1 ? k.x1 : k.x0, i & 2 ? k.y1 : k.y0, i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f,
                       colouring < 2 ? one : uint32_t(rng()) | 0xFFu);
      std::vector<Vertex1> v;
      for (int i : k.order) v.push_back(corner[i]);
      ASSERT_TRUE(drawBoth(fast, slow, v, Topology::triangleList)) << k.name;
      ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << k.name << ", variant " << variant;
    }
  }
}

// Lists of random triangles, taken two at a time by the fast path: pairs with rows in
// common or apart, overlapping or not, some past the target's edges.
TEST_F(FastSpanTest, RandomTriangleListsMatchTheGeneralPath) {
  std::mt19937 rng(34);
  auto coord = [&](int range) { return float(int(rng() % unsigned(range * 256)) - 8 * 256) / 256.0f; };
  const char* const shaders[] = {"untex_ps_k0_a0", "tex_ps_k0_v0_i0_a0"};
  for (int round = 0; round < 60; ++round) {
    Scene fast(48, 40), slow(48, 40);
    randomBackground(fast, slow, rng);
    auto view = randomTexture(Format::R8G8B8A8, 8, 8, rng);
    const int shader = round % 2, blend = round / 2 % 3;
    for (Scene* sc : {&fast, &slow}) {
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed(shaders[shader], ShaderStage::pixel);
      sc->setTexture(0, view);
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
    }
    std::vector<Vertex1> v;
    for (int i = 0; i < 3 * 9; ++i)
      v.push_back(v1(coord(64), coord(56), float(rng() % 17) / 8.0f, float(rng() % 17) / 8.0f,
                     round % 4 < 2 ? 0xFFFFFFFFu : uint32_t(rng())));
    ASSERT_TRUE(drawBoth(fast, slow, v, Topology::triangleList)) << "round " << round;
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "round " << round;
  }
}

TEST_F(FastSpanTest, AlphaBlendOverEveryByte) {
  // Row y of the texture holds source y, column x of the target destination x; one draw
  // per alpha byte covers all 2^24 combinations on both paths.
  Scene fast(256, 256), slow(256, 256);
  auto tex = makeTexture(Format::R8G8B8A8, 256, 256);
  auto view = makeView(*tex, ViewKind::shaderResource);
  for (Scene* sc : {&fast, &slow}) {
    sc->useFormat(1);
    sc->s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
    sc->setTexture(0, view);
    sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
  }
  ASSERT_TRUE(takesFastSpan(fast.s));
  const std::vector<Vertex1> quad = {v1(0, 0, 0, 0), v1(256, 0, 1, 0), v1(0, 256, 0, 1), v1(256, 256, 1, 1)};
  for (int a = 0; a < 512; ++a) {
    setWideSpans(a < 256);  // each alpha through the eight-pixel runs, then the four-pixel ones
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        uint8_t* t = tex->data(0) + size_t(y) * tex->sub(0).pitch + size_t(x) * 4;
        t[0] = t[1] = t[2] = uint8_t(y);
        t[3] = uint8_t(a & 255);
        for (Scene* sc : {&fast, &slow}) {
          uint8_t* p = sc->target->data(0) + size_t(y) * sc->target->sub(0).pitch + size_t(x) * 4;
          p[0] = p[1] = p[2] = p[3] = uint8_t(x);
        }
      }
    }
    setFastSpans(true);
    ASSERT_EQ(fast.draw(quad, Topology::triangleStrip), Status::ok);
    setFastSpans(false);
    ASSERT_EQ(slow.draw(quad, Topology::triangleStrip), Status::ok);
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "alpha " << (a & 255) << (a < 256 ? " wide" : "");
  }
}


// The whole-byte arithmetic under a constant colour against the float operations it stands
// for, pixel by pixel, over random texels, colours, target pixels and references in every
// blend: the integer result is taken only away from halves, where it must be the float's.
TEST_F(FastSpanTest, ColourBytesMatchTheFloatBlend) {
  std::mt19937 rng(56);
  auto check = [&](auto mode) {
    constexpr fastbytes::Mode M = decltype(mode)::value;
    fastbytes::ColourTable table;
    for (int i = 0; i < 400000; ++i) {
      fastbytes::ByteColour bc;
      const uint32_t src = rng(), dst = rng();
      if (i % 1000 == 0) {  // a new colour: now and then a channel left out (255, float 1)
        const uint32_t colour = rng();
        for (int k = 0; k < 4; ++k) bc.c[k] = rng() % 8 == 0 ? 255 : colour >> (8 * k) & 0xFFu;
        fastbytes::makeColourTable(table, bc.c);
      } else {
        for (int k = 0; k < 4; ++k) bc.c[k] = table.colour[k];
      }
      for (int k = 0; k < 4; ++k) bc.f[k] = kUnorm8[bc.c[k]];
      bc.table = &table;
      const int reference = rng() % 4 == 0 ? int(rng() % 256) : -1;
      uint8_t bytes[4], floats[4];
      std::memcpy(bytes, &dst, 4);
      std::memcpy(floats, &dst, 4);
      fastbytes::colourPixel<M>(bytes, src, bc, reference);
      float col[4];
      for (int k = 0; k < 4; ++k) col[k] = kUnorm8[src >> (8 * k) & 0xFFu] * bc.f[k];
      fastbytes::floatPixel<M>(floats, col, reference);
      ASSERT_EQ(std::memcmp(bytes, floats, 4), 0) << "mode " << int(M) << " src " << src << " colour " << bc.c[0] << ","
                                                  << bc.c[1] << "," << bc.c[2] << "," << bc.c[3]
                                                  << " dst " << dst << " reference " << reference;
    }
  };
  using fastbytes::Mode;
  check(std::integral_constant<Mode, Mode::off>{});
  check(std::integral_constant<Mode, Mode::alpha>{});
  check(std::integral_constant<Mode, Mode::add>{});
  check(std::integral_constant<Mode, Mode::subtract>{});
  check(std::integral_constant<Mode, Mode::multiply>{});
}

// 1:1 sprites of one random colour (as a draw colour or a blend parameter gives) over every
// source and destination byte, point and bilinear, in each blend, some under the alpha
// test, on both paths.
TEST_F(FastSpanTest, ConstantColourSpritesOverEveryByte) {
  std::mt19937 rng(5);
  Scene fast(256, 256), slow(256, 256);
  auto tex = makeTexture(Format::R8G8B8A8, 256, 256);
  auto view = makeView(*tex, ViewKind::shaderResource);
  for (int draw = 0; draw < 20; ++draw) {
    const int blend = draw % 5;
    const Filter filter = draw % 2 ? Filter::linear : Filter::point;
    const float reference = draw % 3 == 2 ? float(rng() % 256) / 255.0f : -1.0f;  // the alpha test now and then
    for (Scene* sc : {&fast, &slow}) {
      sc->setPixelConstants(Float4{0, 0, 0, 0}, reference, shader::kCmpGreater);
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
      sc->setTexture(0, view, filter);
      sc->s.blend = Ref<BlendState>();
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
      if (blend == 3) sc->setBlend(Blend::srcAlpha, Blend::one, BlendOp::revSubtract);
      if (blend == 4) sc->setBlend(Blend::zero, Blend::srcColor);
    }
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        uint8_t* t = tex->data(0) + size_t(y) * tex->sub(0).pitch + size_t(x) * 4;
        t[0] = t[1] = t[2] = uint8_t(y);
        t[3] = uint8_t(rng());
        for (Scene* sc : {&fast, &slow}) {
          uint8_t* p = sc->target->data(0) + size_t(y) * sc->target->sub(0).pitch + size_t(x) * 4;
          p[0] = p[1] = p[2] = p[3] = uint8_t(x);
        }
      }
    }
    const uint32_t colour = uint32_t(rng()) | (draw < 4 ? 0x00FFFFFFu : 0);  // some white with an alpha
    const std::vector<Vertex1> quad = {v1(0, 0, 0, 0, colour), v1(256, 0, 1, 0, colour), v1(0, 256, 0, 1, colour),
                                       v1(256, 256, 1, 1, colour)};
    setFastSpans(true);
    ASSERT_TRUE(takesFastSpan(fast.s)) << "draw " << draw;
    ASSERT_EQ(fast.draw(quad, Topology::triangleStrip), Status::ok);
    setFastSpans(false);
    ASSERT_EQ(slow.draw(quad, Topology::triangleStrip), Status::ok);
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "draw " << draw << " colour " << colour;
  }
}

// Edged text alternates two colours glyph by glyph, and other draws bring more: sprites
// whose colours take turns in runs, pairs, a cycle longer than the kept tables and a
// random order, each colour's table made once and found again (or made again after being
// replaced), must blend as the general path does.
TEST_F(FastSpanTest, ColoursTakingTurnsMatchTheGeneralPath) {
  std::mt19937 rng(17);
  Scene fast(64, 32), slow(64, 32);
  randomBackground(fast, slow, rng);
  auto view = randomTexture(Format::R8G8B8A8, 8, 8, rng);
  uint32_t colours[9];
  for (uint32_t& c : colours) c = uint32_t(rng()) | 0x80000000u;
  std::vector<int> order;
  for (int i = 0; i < 12; ++i) order.push_back(i % 2);         // edge, body, edge, body
  for (int i = 0; i < 27; ++i) order.push_back(i % 9);         // more colours than tables
  for (int i = 0; i < 10; ++i) order.push_back(i < 5 ? 3 : 7);  // runs
  for (int i = 0; i < 60; ++i) order.push_back(int(rng() % 9));
  for (int blend = 1; blend <= 3; ++blend) {
    for (Scene* sc : {&fast, &slow}) {
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
      sc->setTexture(0, view, Filter::point);
      sc->setPixelConstants(Float4{0, 0, 0, 0}, -1.0f, shader::kCmpGreater);
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
      if (blend == 3) sc->setBlend(Blend::srcAlpha, Blend::one, BlendOp::revSubtract);
    }
    for (size_t i = 0; i < order.size(); ++i) {
      const uint32_t c = colours[order[i]];
      const float x = float(i * 5 % 56), y = float(i * 3 % 24);
      const std::vector<Vertex1> quad = {v1(x, y, 0, 0, c), v1(x + 8, y, 1, 0, c), v1(x, y + 8, 0, 1, c),
                                         v1(x + 8, y + 8, 1, 1, c)};
      ASSERT_TRUE(drawBoth(fast, slow, quad, Topology::triangleStrip)) << "draw " << i;
    }
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "blend " << blend;
  }
}

// Glyph-like pictures under one colour: texels clear, opaque or in between in runs, their
// colour bytes white, black or random, drawn with colours whose channels are 0, 255 or
// anything, opaque or not, in each alpha-scaled blend, at odd sizes, sub-pixel places and
// past the target's edges, some under the alpha test: the whole-byte product runs and the
// clear-texel skip against the general path.
TEST_F(FastSpanTest, GlyphPicturesUnderOneColourMatchTheGeneralPath) {
  std::mt19937 rng(77);
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const uint8_t levels[3] = {0, 255, 0};
  for (int round = 0; round < 400; ++round) {
    const Format tf = round % 2 ? Format::B8G8R8A8 : Format::R8G8B8A8;
    Scene fast(48, 40, tf), slow(48, 40, tf);
    randomBackground(fast, slow, rng);
    const int tw = 1 + pick(30), th = 1 + pick(30);
    auto tex = makeTexture(pick(2) ? Format::R8G8B8A8 : Format::B8G8R8A8, tw, th);
    const int colourBytes = pick(3);  // white, black and white, or random
    for (int y = 0; y < th; ++y) {
      uint8_t alpha = 0;
      for (int x = 0; x < tw; ++x) {
        if (pick(4) == 0) alpha = pick(3) == 2 ? uint8_t(rng()) : levels[pick(2)];  // runs of one alpha
        uint8_t* t = tex->data(0) + size_t(y) * tex->sub(0).pitch + size_t(x) * 4;
        for (int k = 0; k < 3; ++k)
          t[k] = colourBytes == 0 ? 255 : colourBytes == 1 ? levels[pick(2)] : uint8_t(rng());
        t[3] = alpha;
      }
    }
    auto view = makeView(*tex, ViewKind::shaderResource);
    uint32_t colour = 0;
    for (int k = 0; k < 4; ++k) colour |= uint32_t(pick(3) == 2 ? uint8_t(rng()) : levels[pick(2)]) << (8 * k);
    if (pick(3) > 0) colour |= 0xFF000000u;  // mostly opaque, as text is
    const int blend = 1 + pick(3);
    const float reference = pick(4) == 0 ? float(pick(256)) / 255.0f : -1.0f;
    for (Scene* sc : {&fast, &slow}) {
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
      sc->setTexture(0, view, Filter::point);
      sc->setPixelConstants(Float4{0, 0, 0, 0}, reference, shader::kCmpGreater);
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
      if (blend == 3) sc->setBlend(Blend::srcAlpha, Blend::one, BlendOp::revSubtract);
    }
    // Whole pixels (the rectangle path), half pixels, or anywhere; now and then clipped.
    float x = float(pick(60) - 8), y = float(pick(50) - 8);
    const int place = pick(3);
    if (place == 1) x += 0.5f, y += 0.5f;
    if (place == 2) x += float(pick(256)) / 256.0f, y += float(pick(256)) / 256.0f;
    const float w = float(tw), h = float(th);
    const std::vector<Vertex1> quad = {v1(x, y, 0, 0, colour), v1(x + w, y, 1, 0, colour), v1(x, y + h, 0, 1, colour),
                                       v1(x + w, y + h, 1, 1, colour)};
    const std::vector<Vertex1> pair = {quad[0], quad[1], quad[2], quad[1], quad[3], quad[2]};
    const bool strip = pick(2) == 0;
    ASSERT_TRUE(drawBoth(fast, slow, strip ? quad : pair, strip ? Topology::triangleStrip : Topology::triangleList))
        << "round " << round;
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target))
        << "round " << round << " colour " << std::hex << colour << std::dec << " blend " << blend << " place " << place;
  }
}

}  // namespace
}  // namespace gputest
