// The shader bank: the built-in pixel kinds over known colours, ignore-texture-alpha, the
// blend-graph wipe, the alpha test, the mask and copy functions, and shader tokens.
#include <cmath>

#include "draw_fixture.h"

namespace gputest {
namespace {

class ShaderBankTest : public GpuTest {};

// One pixel of a 2x2 quad drawn with the scene's state.
template <class V>
std::vector<uint8_t> drawOne(Scene& sc, std::vector<V> quad) {
  sc.clear();
  EXPECT_EQ(sc.draw(quad, Topology::triangleStrip), Status::ok);
  return std::vector<uint8_t>(sc.pixel(0, 0), sc.pixel(0, 0) + 4);
}

std::vector<Vertex0> flatQuad(uint32_t rgba) { return {v0(0, 0, rgba), v0(2, 0, rgba), v0(0, 2, rgba), v0(2, 2, rgba)}; }
std::vector<Vertex1> texQuad(uint32_t rgba) {
  return {v1(0, 0, 0, 0, rgba), v1(2, 0, 1, 0, rgba), v1(0, 2, 0, 1, rgba), v1(2, 2, 1, 1, rgba)};
}

TEST_F(ShaderBankTest, BuiltInFamiliesAndTokens) {
  int counts[8] = {};
  for (const ShaderEntry& e : shaderBank()) {
    const std::string& n = e.name;
    counts[0] += n.rfind("std_vs_", 0) == 0;
    counts[1] += n.rfind("untex_ps_", 0) == 0;
    counts[2] += n.rfind("tex_ps_", 0) == 0 || n.rfind("bg", 0) == 0;
    counts[3] += n.rfind("mask", 0) == 0;
    counts[4] += n.rfind("copy", 0) == 0;
    // Every entry's token finds it again; any cut or extension of the token finds nothing.
    const std::vector<uint8_t> t = makeToken(e.stage, n);
    ASSERT_EQ(findShader(t.data(), t.size()), &e) << n;
    EXPECT_EQ(findShader(t.data(), t.size() - 1), nullptr);
    std::vector<uint8_t> longer = t;
    longer.push_back(0);
    EXPECT_EQ(findShader(longer.data(), longer.size()), nullptr);
  }
  EXPECT_EQ(counts[0], 7);
  EXPECT_EQ(counts[1], 14);
  EXPECT_EQ(counts[2], 224);
  EXPECT_EQ(counts[3], 12);
  EXPECT_EQ(counts[4], 3);

  const std::vector<uint8_t> good = makeToken(ShaderStage::pixel, "copy_ps");
  auto refused = [](std::vector<uint8_t> t) { return findShader(t.data(), t.size()) == nullptr; };
  struct Damage {
    const char* what;
    size_t at;
    uint8_t value;
  };
  const Damage damages[] = {
      {"version", 0, 0x01}, {"magic", 5, 'X'},        {"kind", 8, 0},          {"name length", 12, 8},
      {"name", 16, 'C'},    {"padding", 23, 'x'},     {"end word", 24, 0xFE},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> t = good;
    ASSERT_LT(d.at, t.size());
    t[d.at] = d.value;
    EXPECT_TRUE(refused(t)) << d.what;
  }
  EXPECT_TRUE(refused(makeToken(ShaderStage::pixel, "no_such_shader")));
  EXPECT_TRUE(refused(makeToken(ShaderStage::vertex, "copy_ps")));  // a pixel function named as vertex
  EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + 10)));
  EXPECT_TRUE(refused({}));
  EXPECT_EQ(findShader(nullptr, 28), nullptr);
}

TEST_F(ShaderBankTest, UntexturedKinds) {
  Scene sc(4, 4);
  sc.setPixelConstants(Float4{0.0f, 0.0f, 1.0f, 0.0f}, -1.0f, shader::kCmpGreater);
  const double c[4] = {200 / 255.0, 100 / 255.0, 40 / 255.0, 128 / 255.0};
  const double F[3] = {0, 0, 1};
  for (int kind = 0; kind < 7; ++kind) {
    char name[32];
    std::snprintf(name, sizeof name, "untex_ps_k%d_a0", kind);
    sc.s.ps.shader = shaderNamed(name, ShaderStage::pixel);
    const auto got = drawOne(sc, flatQuad(0xC8642880u));
    for (int k = 0; k < 3; ++k) {
      const double a = c[3];
      const double x[7] = {c[k], c[k] * a + F[k] * (1 - a), 1 - c[k], std::min(4 * c[k], 1.0),
                           c[k] * a, (1 - c[k]) * a,       std::min(4 * c[k], 1.0) * a};
      EXPECT_NEAR(got[size_t(k)], std::floor(x[kind] * 255 + 0.5), 1.0) << "kind " << kind << " channel " << k;
    }
    EXPECT_EQ(got[3], 128) << "kind " << kind;
  }
}

TEST_F(ShaderBankTest, TexturedAlphaWipeAndAlphaTest) {
  Scene sc(4, 4);
  sc.useFormat(1);
  auto tex = makeTexture(Format::R8G8B8A8, 1, 1);
  putTexel(*tex, 0, 0, 0, {100, 150, 200, 10});
  sc.setTexture(0, makeView(*tex, ViewKind::shaderResource));
  sc.s.ps.shader = shaderNamed("tex_ps_k0_v0_i1_a0", ShaderStage::pixel);
  EXPECT_EQ(drawOne(sc, texQuad(0xFFFFFF80u)), (std::vector<uint8_t>{100, 150, 200, 128}));
  sc.s.ps.shader = shaderNamed("tex_ps_k0_v0_i0_a0", ShaderStage::pixel);
  EXPECT_EQ(drawOne(sc, texQuad(0xFFFFFF80u)), (std::vector<uint8_t>{100, 150, 200, 5}));

  // The wipe: alpha = saturate((blend alpha + F.w) x F.z), times the drawn alpha.
  auto blendTex = makeTexture(Format::R8G8B8A8, 1, 1);
  sc.setTexture(1, makeView(*blendTex, ViewKind::shaderResource));
  sc.s.layout.push_back({Semantic::texcoord, 1, Format::R32G32F, 20});  // the same coordinates
  sc.s.layout.push_back({Semantic::colour, 1, Format::R8G8B8A8, 16});
  sc.s.vs.shader = shaderNamed("std_vs_f2", ShaderStage::vertex);
  sc.s.ps.shader = shaderNamed("bg1_ps_k0_v0_i1_a0", ShaderStage::pixel);
  sc.setPixelConstants(Float4{0.0f, 0.0f, 4.0f, -0.5f}, -1.0f, shader::kCmpGreater);
  const int wipe[][2] = {{0, 0}, {127, 0}, {128, 2}, {160, 130}, {191, 254}, {255, 255}};
  for (auto [blendAlpha, want] : wipe) {
    putTexel(*blendTex, 0, 0, 0, {0, 0, 0, uint8_t(blendAlpha)});
    EXPECT_EQ(drawOne(sc, texQuad(0xFFFFFFFFu))[3], want) << "blend alpha " << blendAlpha;
  }

  // The alpha test over every alpha byte: GREATER 0 discards only 0; -1 discards nothing;
  // variant 1 takes its function from the constants.
  Scene row(256, 1);
  row.useFormat(1);
  auto ramp = makeTexture(Format::R8G8B8A8, 256, 1);
  for (int i = 0; i < 256; ++i) putTexel(*ramp, 0, i, 0, {1, 2, 3, uint8_t(i)});
  row.setTexture(0, makeView(*ramp, ViewKind::shaderResource));
  struct Test {
    const char* shader;
    float reference;
    int function;
    int firstPass, lastPass;
  };
  const Test tests[] = {
      {"tex_ps_k0_v0_i0_a0", 0.0f, 0, 1, 255},
      {"tex_ps_k0_v0_i0_a0", -1.0f, 0, 0, 255},
      {"tex_ps_k0_v0_i0_a1", 128.0f / 255.0f, shader::kCmpLess, 0, 127},
      {"tex_ps_k0_v0_i0_a1", 200.0f / 255.0f, shader::kCmpGreaterEqual, 200, 255},
      {"untex_ps_k2_a1", 0.0f, shader::kCmpNever, 1, 0},
  };
  for (const Test& t : tests) {
    for (bool fast : {true, false}) {
      setFastSpans(fast);
      row.s.ps.shader = shaderNamed(t.shader, ShaderStage::pixel);
      row.setPixelConstants(Float4{0, 0, 0, 0}, t.reference, t.function);
      std::memset(row.target->storage(), 0xEE, row.target->storageSize());
      ASSERT_EQ(row.draw(std::vector<Vertex1>{v1(0, 0, 0, 0), v1(256, 0, 1, 0), v1(0, 1, 0, 1), v1(256, 1, 1, 1)},
                         Topology::triangleStrip),
                Status::ok);
      for (int i = 0; i < 256; ++i) {
        const bool pass = i >= t.firstPass && i <= t.lastPass;
        EXPECT_EQ(row.pixel(i, 0)[0] != 0xEE, pass) << t.shader << " alpha " << i << " fast " << fast;
      }
    }
  }
  setFastSpans(true);
}

TEST_F(ShaderBankTest, MaskAndCopyFunctions) {
  struct CopyVertex {
    float x, y, u0, v0, u1, v1;
  };
  Scene sc(2, 1);
  sc.s.layout = {{Semantic::position, 0, Format::R32G32F, 0},
                 {Semantic::texcoord, 0, Format::R32G32F, 8},
                 {Semantic::texcoord, 1, Format::R32G32F, 16}};
  sc.s.vs.shader = shaderNamed("copy_vs", ShaderStage::vertex);
  auto screen = makeTexture(Format::R8G8B8A8, 2, 1);
  putTexel(*screen, 0, 0, 0, {10, 20, 30, 40});
  putTexel(*screen, 0, 1, 0, {50, 60, 70, 80});
  auto mask = makeTexture(Format::R8G8B8A8, 2, 1);
  putTexel(*mask, 0, 0, 0, {1, 2, 3, 0});
  putTexel(*mask, 0, 1, 0, {200, 150, 100, 9});
  sc.setTexture(0, makeView(*screen, ViewKind::shaderResource));
  sc.setTexture(1, makeView(*mask, ViewKind::shaderResource));
  const std::vector<CopyVertex> quad = {{-1, 1, 0, 0, 0, 0}, {1, 1, 1, 0, 1, 0}, {-1, -1, 0, 1, 0, 1}, {1, -1, 1, 1, 1, 1}};
  struct Case {
    const char* shader;
    std::vector<uint8_t> left, right;  // 0xEE: untouched
  };
  const Case cases[] = {
      {"copy_ps", {10, 20, 30, 40}, {50, 60, 70, 80}},
      {"mask_ps", {10, 20, 30, 40}, {0xEE, 0xEE, 0xEE, 0xEE}},
      {"mask_rev_ps", {0xEE, 0xEE, 0xEE, 0xEE}, {50, 60, 70, 80}},
      // The one-channel forms read red: both mask texels have a non-zero red.
      {"mask_r_ps", {0xEE, 0xEE, 0xEE, 0xEE}, {0xEE, 0xEE, 0xEE, 0xEE}},
      {"mask_rev_r_ps", {10, 20, 30, 40}, {50, 60, 70, 80}},
      {"mask_ch0_ps", {10, 20, 30, 1}, {50, 60, 70, 200}},
      {"mask_ch2_ps", {10, 20, 30, 3}, {50, 60, 70, 100}},
      {"mask_rev_ch1_ps", {10, 20, 30, 253}, {50, 60, 70, 105}},
      {"mask_rev_ch3_ps", {10, 20, 30, 255}, {50, 60, 70, 246}},
  };
  for (const Case& c : cases) {
    sc.s.ps.shader = shaderNamed(c.shader, ShaderStage::pixel);
    std::memset(sc.target->storage(), 0xEE, sc.target->storageSize());
    ASSERT_EQ(sc.draw(quad, Topology::triangleStrip), Status::ok);
    EXPECT_EQ(std::vector<uint8_t>(sc.pixel(0, 0), sc.pixel(0, 0) + 4), c.left) << c.shader;
    EXPECT_EQ(std::vector<uint8_t>(sc.pixel(1, 0), sc.pixel(1, 0) + 4), c.right) << c.shader;
  }
}

}  // namespace
}  // namespace gputest
