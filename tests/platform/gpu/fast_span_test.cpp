// The specialised spans give the same bytes as the general pipeline: random quads over
// every combination they cover, and the 8-bit SRC_ALPHA / INV_SRC_ALPHA blend over all
// source, destination and alpha bytes.
#include <random>

#include "draw_fixture.h"
#include "platform/gpu/raster_internal.h"

namespace gputest {
namespace {

class FastSpanTest : public GpuTest {
 protected:
  void TearDown() override {
    setFastSpans(true);
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

TEST_F(FastSpanTest, RandomQuadsMatchTheGeneralPath) {
  std::mt19937 rng(21);
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const Format targets[] = {Format::R8G8B8A8, Format::B8G8R8A8};
  const Format textures[] = {Format::R8G8B8A8, Format::B8G8R8A8, Format::B8G8R8X8};
  const char* const shaders[] = {"untex_ps_k0_a0", "tex_ps_k0_v0_i0_a0", "tex_ps_k0_v0_i1_a0"};
  for (int round = 0; round < 600; ++round) {
    const Format tf = targets[pick(2)];
    Scene fast(48, 40, tf), slow(48, 40, tf);
    std::vector<uint8_t> background(fast.target->storageSize());
    for (auto& b : background) b = uint8_t(rng());
    std::memcpy(fast.target->storage(), background.data(), background.size());
    std::memcpy(slow.target->storage(), background.data(), background.size());

    const int shader = pick(3);
    const int blend = pick(3);
    const Filter filter = pick(2) ? Filter::linear : Filter::point;
    const float reference = pick(3) == 0 ? float(pick(256)) / 255.0f : -1.0f;
    auto tex = makeTexture(textures[pick(3)], 1 + pick(40), 1 + pick(40));
    for (size_t i = 0; i < tex->storageSize(); ++i) tex->storage()[i] = uint8_t(rng());
    auto view = makeView(*tex, ViewKind::shaderResource);
    std::vector<Vertex1> quad;
    const float x = float(pick(60 * 256) - 6 * 256) / 256.0f, y = float(pick(50 * 256) - 5 * 256) / 256.0f;
    const float w = float(pick(40 * 256)) / 256.0f, h = float(pick(40 * 256)) / 256.0f;
    // Half the quads are white, which the byte-exact spans take with point sampling.
    const bool white = pick(2);
    for (int i = 0; i < 4; ++i)
      quad.push_back(v1(x + (i & 1 ? w : 0), y + (i & 2 ? h : 0), i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f,
                        white ? 0xFFFFFFFFu : uint32_t(rng())));
    for (Scene* sc : {&fast, &slow}) {
      sc->useFormat(1);
      sc->s.ps.shader = shaderNamed(shaders[shader], ShaderStage::pixel);
      sc->setTexture(0, view, filter);
      sc->setPixelConstants(Float4{0, 0, 0, 0}, reference, shader::kCmpGreater);
      if (blend == 1) sc->setBlend(Blend::srcAlpha, Blend::invSrcAlpha);
      if (blend == 2) sc->setBlend(Blend::srcAlpha, Blend::one);
    }
    setFastSpans(true);
    ASSERT_TRUE(takesFastSpan(fast.s)) << "round " << round;
    ASSERT_EQ(fast.draw(quad, Topology::triangleStrip), Status::ok);
    setFastSpans(false);
    ASSERT_EQ(slow.draw(quad, Topology::triangleStrip), Status::ok);
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target))
        << "round " << round << " shader " << shaders[shader] << " blend " << blend << " filter " << int(filter);
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
  for (int a = 0; a < 256; ++a) {
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        uint8_t* t = tex->data(0) + size_t(y) * tex->sub(0).pitch + size_t(x) * 4;
        t[0] = t[1] = t[2] = uint8_t(y);
        t[3] = uint8_t(a);
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
    ASSERT_EQ(snapshot(*fast.target), snapshot(*slow.target)) << "alpha " << a;
  }
}

}  // namespace
}  // namespace gputest
