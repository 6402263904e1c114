// The span forms of the filter and blend shaders against their pixel functions: every
// bank function that has one draws random pictures (odd sizes, alpha from 0 to 255, both
// byte orders, the pass 1:1 at an offset, stretched, in place) once through its span form
// and once pixel by pixel, and the targets must hold the same bytes. Runs drawn 1:1 must
// also be ones the span form serves.
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "draw_fixture.h"
#include "platform/gpu/raster_internal.h"
#include "platform/gpu/shaders/constants.h"
#include "platform/gpu/shaders/filter_span.h"

namespace gputest {
namespace {

struct SpanCopyVertex {
  float x, y;
  float uv[2][2];
};

// Constant sets: each register read as the functions' own parameters stays in a sane
// range (weights, ratios, hue and saturation, selectors + 0.5).
const float kSpanRowsA[3][4] = {{0.299f, 0.587f, 0.114f, 0.5f}, {0.7f, 2.5f, 0.75f, 4.5f}, {0.2f, 0.4f, 0.6f, 1.0f}};
const float kSpanRowsB[3][4] = {{0.8f, -0.35f, 0.4f, 0.25f}, {0.25f, -0.5f, 0.1f, 7.5f}, {1.0f, 0.0f, 0.5f, 0.5f}};

class ShaderSpan : public GpuTest {
 protected:
  void TearDown() override {
    setFastSpans(true);
    GpuTest::TearDown();
  }
};

Ref<Texture> spanPicture(std::mt19937& rng, Format f, int w, int h, uint32_t bind) {
  Ref<Texture> t = makeTexture(f, w, h, 1, bind);
  uint8_t* p = t->storage();
  for (size_t i = 0; i < t->storageSize(); ++i) {
    const uint32_t r = rng();
    // Alpha and colour at the ends of their range now and then, where the formulas turn.
    p[i] = (r & 0x700) == 0 ? uint8_t(r & 1 ? 255 : 0) : uint8_t(r);
  }
  return t;
}

// The filter constants: the generic set, or for the Gauss family the rows its worker makes
// (weights summing to 1, offsets along one axis).
std::vector<float> spanRows(const ShaderEntry& e, int set, int tw, int th) {
  std::vector<float> rows(21 * 4, 0.0f);
  if (e.name.rfind("Gauss", 0) == 0) {
    rows[0] = float(tw), rows[1] = float(th);
    float sum = 0.0f;
    for (int k = 0; k < 16; ++k) sum += (k ? 2.0f : 1.0f) * std::exp(-0.1f * float(k * k));
    for (int k = 0; k < 16; ++k) rows[4 + k] = std::exp(-0.1f * float(k * k)) / sum;
    for (int k = 1; k < 16; ++k) {
      const float offset = 2.0f * float(k) - 0.5f;
      rows[(5 + k) * 4 + (set ? 1 : 0)] = offset / float(set ? th : tw);
    }
  } else {
    std::memcpy(rows.data(), set ? kSpanRowsB : kSpanRowsA, sizeof kSpanRowsA);
  }
  return rows;
}

// Wider than two span runs: runs start inside a row and repeat down the rows.
constexpr int kSpanTw = 2 * kSpanRun + 13, kTh = 23;

struct SpanPass {
  const char* what;
  int sx, sy, w, h;    // source rectangle
  int dx, dy, dw, dh;  // target rectangle
  bool linear, inPlace;
};

// One pass of `e` with its span form on or off; the target's bytes after it. `state` may
// change the draw state first.
std::vector<uint8_t> drawSpanPass(const ShaderEntry& e, const SpanPass& p, int set, Format sourceFormat,
                                  Format targetFormat, bool spans, uint64_t* draws = nullptr,
                                  void (*state)(Scene&) = nullptr) {
  std::mt19937 rng(uint32_t(p.w * 7 + p.h + set * 1000 + int(sourceFormat) * 31 + int(targetFormat)));
  Scene scene(kSpanTw + 8, 29, targetFormat);
  uint8_t* t = scene.target->storage();
  for (size_t i = 0; i < scene.target->storageSize(); ++i) t[i] = uint8_t(rng());
  Ref<Texture> source = p.inPlace ? scene.target : spanPicture(rng, sourceFormat, kSpanTw, kTh, kBindShaderResource);
  Ref<Texture> second = spanPicture(rng, sourceFormat, 19, 31, kBindShaderResource);
  const int sw = source->desc().width, sh = source->desc().height;
  scene.setTexture(0, makeView(*source, ViewKind::shaderResource), p.linear ? Filter::linear : Filter::point);
  scene.setTexture(1, makeView(*second, ViewKind::shaderResource), p.linear ? Filter::linear : Filter::point);
  const std::vector<float> rows = spanRows(e, set, sw, sh);
  scene.s.ps.constants[shader::kFilterSlotD3D11] = makeBuffer(rows.data(), rows.size() * 4, kBindConstantBuffer);
  scene.s.ps.shader = &e;
  scene.s.vs.shader = shaderNamed("copy_vs", ShaderStage::vertex);
  scene.s.layout = {{Semantic::position, 0, Format::R32G32F, 0},
                    {Semantic::texcoord, 0, Format::R32G32F, 8},
                    {Semantic::texcoord, 1, Format::R32G32F, 16}};
  std::vector<SpanCopyVertex> quad(4);
  for (int i = 0; i < 4; ++i) {
    const int cx = i & 1, cy = i >> 1;
    const float x = float(p.dx + cx * p.dw), y = float(p.dy + cy * p.dh);
    quad[i].x = x / float(scene.width) * 2.0f - 1.0f;
    quad[i].y = -(y / float(scene.height) * 2.0f - 1.0f);
    quad[i].uv[0][0] = float(p.sx + cx * p.w) / float(sw);
    quad[i].uv[0][1] = float(p.sy + cy * p.h) / float(sh);
    quad[i].uv[1][0] = float(cx * p.w) / 19.0f;  // the blend graph from its corner, 1:1
    quad[i].uv[1][1] = float(cy * p.h) / 31.0f;
  }
  if (state != nullptr) state(scene);
  setFastSpans(spans);
  const uint64_t before = fastSpanDraws();
  EXPECT_EQ(scene.draw(quad, Topology::triangleStrip), Status::ok);
  if (draws != nullptr) *draws = fastSpanDraws() - before;
  const uint8_t* out = scene.target->data(0);
  return std::vector<uint8_t>(out, out + scene.target->storageSize());
}

TEST_F(ShaderSpan, EverySpanFormGivesThePixelFunctionsBytes) {
  const SpanPass passes[] = {
      {"1:1 at an offset", 3, 2, 17, 13, 5, 7, 17, 13, false, false},
      {"1:1 bilinear on centres", 0, 0, 19, 21, 1, 1, 19, 21, true, false},
      {"whole source to the target's edge", 0, 0, kSpanTw, 23, 8, 6, kSpanTw, 23, true, false},
      {"1:1 across runs from inside one", 7, 1, 2 * kSpanRun - 8, 19, 21, 3, 2 * kSpanRun - 8, 19, false, false},
      {"stretched", 1, 1, 9, 7, 0, 0, 31, 20, true, false},
      {"in place", 2, 3, 15, 11, 2, 3, 15, 11, false, true},
  };
  // Sources and targets in both orders: forms that store blue first run on the texels as
  // they are, or on a copy in the target's order.
  const Format formats[][2] = {{Format::R8G8B8A8, Format::R8G8B8A8}, {Format::B8G8R8A8, Format::B8G8R8A8},
                               {Format::B8G8R8X8, Format::R8G8B8A8}, {Format::R8G8B8A8, Format::B8G8R8A8},
                               {Format::B8G8R8X8, Format::B8G8R8A8}};
  int withSpan = 0;
  for (const ShaderEntry& e : shaderBank()) {
    if (e.stage != ShaderStage::pixel || e.span == nullptr) continue;
    ++withSpan;
    // The many channel mixes differ only in their selectors: a few of them do for all.
    if (e.name.rfind("RGBAMix_I", 0) == 0 && e.name != "RGBAMix_I027" && e.name != "RGBAMix_I228") continue;
    for (const SpanPass& p : passes) {
      if (p.inPlace && e.spanReadsAround) continue;  // the span form stays off there
      for (const auto& f : formats)
        for (int set = 0; set < 2; ++set) {
          SCOPED_TRACE(e.name + ", " + p.what + ", set " + std::to_string(set) + ", formats " +
                       std::to_string(int(f[0])) + "/" + std::to_string(int(f[1])));
          uint64_t draws = 0;
          const std::vector<uint8_t> span = drawSpanPass(e, p, set, f[0], f[1], true, &draws);
          const std::vector<uint8_t> texel = drawSpanPass(e, p, set, f[0], f[1], false);
          EXPECT_EQ(draws, 1u);
          ASSERT_EQ(span, texel);
        }
    }
  }
  EXPECT_GT(withSpan, 20);
}

// States that change what reaches the target leave the span forms off, and the pass gives
// the pixel functions' bytes through the output merger.
TEST_F(ShaderSpan, StatesBetweenColourAndBytesKeepThePixelFunction) {
  struct Case {
    const char* what;
    void (*state)(Scene&);
  };
  const Case cases[] = {
      {"alpha blending", [](Scene& s) { s.setBlend(Blend::srcAlpha, Blend::invSrcAlpha); }},
      {"a write mask",
       [](Scene& s) {
         BlendDesc d;
         d.target[0].writeMask = 7;
         Ref<BlendState> b;
         EXPECT_EQ(createBlendState(d, b), Status::ok);
         s.s.blend = b;
       }},
      {"an alpha test", [](Scene& s) { s.s.alphaTest = AlphaTest{true, Compare::greater, 128}; }},
      {"a depth test",
       [](Scene& s) {
         static Ref<Texture> depth;
         depth = makeTexture(Format::D32F, s.width, s.height, 1, kBindDepthStencil);
         s.s.depthView = makeView(*depth, ViewKind::depthStencil);
       }},
  };
  const SpanPass pass{"1:1", 3, 2, 17, 13, 5, 7, 17, 13, false, false};
  for (const char* name : {"Mono", "BasBF_Normal", "Gauss_08Pixel_PS"}) {
    const ShaderEntry* e = shaderNamed(name, ShaderStage::pixel);
    ASSERT_NE(e, nullptr);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(name) + ", " + c.what);
      uint64_t draws = 0;
      const std::vector<uint8_t> on =
          drawSpanPass(*e, pass, 0, Format::R8G8B8A8, Format::R8G8B8A8, true, &draws, c.state);
      const std::vector<uint8_t> off = drawSpanPass(*e, pass, 0, Format::R8G8B8A8, Format::R8G8B8A8, false,
                                                    nullptr, c.state);
      EXPECT_EQ(draws, 0u);
      EXPECT_EQ(on, off);
    }
  }
}

// A run drawn 1:1 is served by the span form: the bytes it gives are the pixel function's.
// (The texture is 256 wide, so that each centre times the width less a half is the texel's
// number exactly, as bilinear reads on centres need.)
TEST_F(ShaderSpan, AlignedRunsAreServed) {
  std::mt19937 rng(11);
  constexpr int kWide = 2 * kSpanRun;  // room for a whole run from inside the first texels
  Ref<Texture> source = spanPicture(rng, Format::R8G8B8A8, kWide, 8, kBindShaderResource);
  Ref<Texture> second = spanPicture(rng, Format::B8G8R8A8, kWide, 8, kBindShaderResource);
  Ref<View> views[2] = {makeView(*source, ViewKind::shaderResource), makeView(*second, ViewKind::shaderResource)};
  // Each through the sixteen- and eight-pixel runs where the processor has them, then the
  // four-pixel ones.
  struct WideBack {
    ~WideBack() {
      setWideSpans(true);
      setSixteenSpans(true);
    }
  } back;
  for (const int width : {16, 8, 4})
    for (const char* name : {"Mono", "Hsb_HSB_BASE", "BasBF_Normal", "BasBF_Multiple", "Gauss_16Pixel_PS",
                           "RGBAMix_SRSGSBBA", "Invert", "InterpolatedAlpha"}) {
    setWideSpans(width > 4);
    setSixteenSpans(width > 8);
    SCOPED_TRACE(std::string(name) + ", " + std::to_string(width) + " a step");
    const ShaderEntry* e = shaderNamed(name, ShaderStage::pixel);
    ASSERT_NE(e, nullptr);
    ASSERT_NE(e->span, nullptr);
    for (Filter filter : {Filter::point, Filter::linear}) {
      if (e->spanReadsAround && filter == Filter::point) continue;  // Gauss reads bilinear only
      SamplerDesc d;
      d.minFilter = d.magFilter = filter;
      ShaderEnv env;
      for (int s = 0; s < 2; ++s) {
        env.views[s] = views[s].get();
        env.samplerDescs[s] = &d;
        env.samplers[s].bind(d, views[s].get());
      }
      const std::vector<float> rows = spanRows(*e, 0, kWide, 8);
      env.cb[shader::kFilterSlotD3D11] = reinterpret_cast<const uint8_t*>(rows.data());
      env.cbSize[shader::kFilterSlotD3D11] = rows.size() * 4;
      // Pixels 3 to 2 + kSpanRun of row 2, each on its texel's centre.
      float u[kSpanRun], v[kSpanRun];
      for (int i = 0; i < kSpanRun; ++i) u[i] = (float(3 + i) + 0.5f) / float(kWide), v[i] = 2.5f / 8.0f;
      SpanIn in;
      in.n = kSpanRun;
      in.u[0] = in.u[1] = u;
      in.v[0] = in.v[1] = v;
      in.lod[0] = in.lod[1] = -INFINITY;
      in.draw = 1000 + uint64_t(filter);
      uint8_t rgba[kSpanRun * 4];
      ASSERT_TRUE(e->span(in, env, *e, rgba));
      if (e->spanBgra) {  // the same bytes blue first
        uint8_t bgra[kSpanRun * 4];
        in.bgra = true;
        ASSERT_TRUE(e->span(in, env, *e, bgra));
        in.bgra = false;
        for (int i = 0; i < kSpanRun * 4; ++i) ASSERT_EQ(bgra[i], rgba[i ^ (i & 1 ? 0 : 2)]) << i;
      }
      for (int i = 0; i < kSpanRun; ++i) {
        float varyings[shader::kVaryingCount] = {};
        varyings[shader::texcoord(0)] = varyings[shader::texcoord(1)] = u[i];
        varyings[shader::texcoord(0) + 1] = varyings[shader::texcoord(1) + 1] = v[i];
        PixelIn pin{u[i], v[i], 0.0f, true, varyings, nullptr};
        Float4 c;
        ASSERT_TRUE(e->pixel(pin, env, *e, c));
        for (int k = 0; k < 4; ++k) ASSERT_EQ(rgba[4 * i + k], floatToUnorm(std::clamp(c[k], 0.0f, 1.0f), 8)) << i;
      }
      // A run that is not 1:1 is left to the pixel function.
      u[5] += 1.0f / float(kWide);
      if (!e->spanReadsAround) {
        EXPECT_FALSE(e->span(in, env, *e, rgba));
      }
    }
  }
}

// Runs of the 256-texel rows the Mono tests read.
constexpr int kMonoRun = kSpanRun < 256 ? kSpanRun : 256;

// Mono's sixteen- and eight-pixel runs work each byte's share of the luminance out in the
// register where the four-pixel loop reads it from a table: every colour, both byte orders, with
// the Mono worker's own constants and with constants that push the sums past both ends
// (huge, infinite and NaN additions, weights of either sign), must store the same bytes
// both ways.
TEST_F(ShaderSpan, MonoWideRunsMatchTheTablesOnEveryColour) {
  const ShaderEntry* e = shaderNamed("Mono", ShaderStage::pixel);
  ASSERT_NE(e, nullptr);
  ASSERT_NE(e->span, nullptr);
  const float inf = INFINITY, nan = NAN;
  const float sets[][2][4] = {
      {{0.299f, 0.587f, 0.114f, 0.0f}, {1.402f * -0.2f, -0.34414f * 0.4f - 0.71414f * -0.2f, 1.772f * 0.4f, 0.0f}},
      {{0.299f, 0.587f, 0.114f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f}},
      {{0.8f, -0.35f, 0.4f, 0.25f}, {0.25f, -0.5f, 0.1f, 7.5f}},
      {{1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f, 0.0f}, {1e9f, -1e9f, 0.5f / 255.0f, 0.0f}},
      {{0.299f, 0.587f, 0.114f, 0.0f}, {inf, -inf, nan, 0.0f}},
      {{-0.7f, 3.0f, 1e-7f, 0.0f}, {-1.0f, 1.0f, -0.001f, 0.0f}},
      // The worker's extremes: both colour differences at their ends.
      {{0.299f, 0.587f, 0.114f, 0.0f}, {1.402f * 0.5f, -0.34414f * 0.5f - 0.71414f * 0.5f, 1.772f * 0.5f, 0.0f}},
      {{0.299f, 0.587f, 0.114f, 0.0f}, {1.402f * -0.5f, -0.34414f * 0.5f - 0.71414f * -0.5f, 1.772f * 0.5f, 0.0f}},
  };
  // Row g of the picture holds red 0..255 and green g; each blue in turn is written in.
  Ref<Texture> picture = makeTexture(Format::R8G8B8A8, 256, 256, 1, kBindShaderResource);
  Ref<View> view = makeView(*picture, ViewKind::shaderResource);
  SamplerDesc d;
  d.minFilter = d.magFilter = Filter::point;
  ShaderEnv env;
  env.views[0] = view.get();
  env.samplerDescs[0] = &d;
  env.samplers[0].bind(d, view.get());
  struct WideBack {
    ~WideBack() {
      setWideSpans(true);
      setSixteenSpans(true);
    }
  } back;
  float u[kMonoRun], v[kMonoRun];
  SpanIn in;
  in.n = kMonoRun;
  in.u[0] = in.u[1] = u;
  in.v[0] = in.v[1] = v;
  in.lod[0] = in.lod[1] = -INFINITY;
  int mismatches = 0;
  for (const auto& set : sets) {
    std::vector<float> rows(21 * 4, 0.0f);
    std::memcpy(rows.data(), set, sizeof set);
    env.cb[shader::kFilterSlotD3D11] = reinterpret_cast<const uint8_t*>(rows.data());
    env.cbSize[shader::kFilterSlotD3D11] = rows.size() * 4;
    for (int blue = 0; blue < 256; ++blue) {
      const Subresource& sub = picture->sub(0);
      uint8_t* base = picture->data(0);
      for (int g = 0; g < 256; ++g)
        for (int r = 0; r < 256; ++r) {
          uint8_t* t = base + size_t(g) * sub.pitch + size_t(r) * 4;
          t[0] = uint8_t(r), t[1] = uint8_t(g), t[2] = uint8_t(blue), t[3] = uint8_t(r ^ g ^ blue);
        }
      in.draw = 5000 + uint64_t(blue);
      for (int g = 0; g < 256; ++g)
        for (int x0 = 0; x0 < 256; x0 += kMonoRun) {
          in.n = kMonoRun - (g & 7);  // and the last few pixels of runs of every length
          for (int i = 0; i < kMonoRun; ++i) u[i] = (float(x0 + i) + 0.5f) / 256.0f, v[i] = (float(g) + 0.5f) / 256.0f;
          for (const bool bgra : {false, true}) {
            in.bgra = bgra;
            uint8_t sixteen[kMonoRun * 4], eight[kMonoRun * 4], narrow[kMonoRun * 4];
            setWideSpans(true);
            setSixteenSpans(true);
            ASSERT_TRUE(e->span(in, env, *e, sixteen));
            setSixteenSpans(false);
            ASSERT_TRUE(e->span(in, env, *e, eight));
            setWideSpans(false);
            ASSERT_TRUE(e->span(in, env, *e, narrow));
            for (const uint8_t* wide : {sixteen, eight})
              if (std::memcmp(wide, narrow, size_t(in.n) * 4) != 0 && ++mismatches <= 5)
                ADD_FAILURE() << (wide == eight ? "eight" : "sixteen") << " a step, blue " << blue << " green " << g
                              << " red from " << x0 << (bgra ? " blue first" : "") << " weights " << set[0][0] << " "
                              << set[0][1] << " " << set[0][2] << " additions " << set[1][0] << " " << set[1][1]
                              << " " << set[1][2];
          }
        }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The integer steps of Mono's wide runs against the float steps, on the same wide run
// width: every colour-difference pair the Mono worker can ask for (whole steps of its
// arguments), on colours that include every grey, pure primaries and random ones; and,
// on every colour, sets whose sums sit on rounding steps (additions of whole and half
// bytes, weights of whole 255ths), where the integer steps must hand the pixels near a
// step to the float steps.
TEST_F(ShaderSpan, MonoFixedStepsMatchTheFloatSteps) {
  const ShaderEntry* e = shaderNamed("Mono", ShaderStage::pixel);
  ASSERT_NE(e, nullptr);
  if (!wideSpans()) GTEST_SKIP() << "no wide runs on this processor";
  Ref<Texture> picture = makeTexture(Format::R8G8B8A8, 256, 256, 1, kBindShaderResource);
  Ref<View> view = makeView(*picture, ViewKind::shaderResource);
  SamplerDesc d;
  d.minFilter = d.magFilter = Filter::point;
  ShaderEnv env;
  env.views[0] = view.get();
  env.samplerDescs[0] = &d;
  env.samplers[0].bind(d, view.get());
  struct Back {
    ~Back() {
      setMonoFixedSpans(true);
      setWideSpans(true);
      setSixteenSpans(true);
    }
  } back;
  float u[kMonoRun], v[kMonoRun];
  SpanIn in;
  in.u[0] = in.u[1] = u;
  in.v[0] = in.v[1] = v;
  in.lod[0] = in.lod[1] = -INFINITY;
  std::vector<float> rows(21 * 4, 0.0f);
  env.cb[shader::kFilterSlotD3D11] = reinterpret_cast<const uint8_t*>(rows.data());
  env.cbSize[shader::kFilterSlotD3D11] = rows.size() * 4;
  const Subresource& sub = picture->sub(0);
  uint8_t* base = picture->data(0);
  int mismatches = 0;
  // Rows 0..height-1 of the picture through both step kinds at both widths and orders.
  auto compare = [&](int height, const char* what) {
    for (int g = 0; g < height; ++g) {
      in.n = kMonoRun - (g & 15);
      for (int i = 0; i < kMonoRun; ++i) u[i] = (float(i) + 0.5f) / 256.0f, v[i] = (float(g) + 0.5f) / 256.0f;
      for (const bool sixteen : {true, false})
        for (const bool bgra : {false, true}) {
          in.bgra = bgra;
          ++in.draw;
          uint8_t fixed[kMonoRun * 4], floats[kMonoRun * 4];
          setSixteenSpans(sixteen);
          setMonoFixedSpans(true);
          ASSERT_TRUE(e->span(in, env, *e, fixed));
          setMonoFixedSpans(false);
          ASSERT_TRUE(e->span(in, env, *e, floats));
          for (int i = 0; i < in.n; ++i)
            if (std::memcmp(fixed + 4 * i, floats + 4 * i, 4) != 0 && ++mismatches <= 5) {
              const uint8_t* t = base + size_t(g) * sub.pitch + size_t(i) * 4;
              ADD_FAILURE() << what << (sixteen ? ", sixteen" : ", eight") << " a step" << (bgra ? ", blue first" : "")
                            << ": texel " << int(t[0]) << " " << int(t[1]) << " " << int(t[2]) << " weights " << rows[0]
                            << " " << rows[1] << " " << rows[2] << " additions " << rows[4] << " " << rows[5] << " "
                            << rows[6];
            }
        }
    }
  };
  auto setRows = [&](const float w[3], const float k[3]) {
    for (int c = 0; c < 3; ++c) rows[c] = w[c], rows[4 + c] = k[c];
  };
  // Colours: row 0 the greys, row 1 the primaries and their mixes at every level, the rest
  // random.
  std::mt19937 rng(81);
  for (int g = 0; g < 256; ++g)
    for (int r = 0; r < 256; ++r) {
      uint8_t* t = base + size_t(g) * sub.pitch + size_t(r) * 4;
      const uint32_t x = rng();
      if (g == 0) t[0] = t[1] = t[2] = uint8_t(r);
      else if (g == 1) t[0] = r & 64 ? uint8_t(r) : 0, t[1] = r & 128 ? uint8_t(r) : 0, t[2] = uint8_t(r * 3);
      else t[0] = uint8_t(x), t[1] = uint8_t(x >> 8), t[2] = uint8_t(x >> 16);
      t[3] = uint8_t(x >> 24);
    }
  const float luma[3] = {0.299f, 0.587f, 0.114f};
  for (int b = -100; b <= 100; ++b)
    for (int r = -100; r <= 100; ++r) {
      // As the worker makes them from its arguments.
      const float cb = float(b) / 200.0f, cr = float(r) / 200.0f;
      const float k[3] = {1.402f * cr, -0.34414f * cb - 0.71414f * cr, 1.772f * cb};
      setRows(luma, k);
      compare(8, "worker setting");
    }
  // Every colour for sums on the steps.
  const float steps[][2][3] = {
      {{1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f}, {0.5f / 255.0f, 0.0f, -0.5f / 255.0f}},
      {{1.0f, 0.0f, 0.0f}, {0.5f / 255.0f, 1.5f / 255.0f, -10.5f / 255.0f}},
      {{0.25f, 0.5f, 0.25f}, {0.0f, 0.5f / 255.0f, 0.25f / 255.0f}},
      {{0.299f, 0.587f, 0.114f}, {0.5f / 255.0f, 0.0f, 100.5f / 255.0f}},
  };
  for (const auto& set : steps) {
    setRows(set[0], set[1]);
    for (int blue = 0; blue < 256; ++blue) {
      for (int g = 0; g < 256; ++g)
        for (int r = 0; r < 256; ++r) {
          uint8_t* t = base + size_t(g) * sub.pitch + size_t(r) * 4;
          t[0] = uint8_t(r), t[1] = uint8_t(g), t[2] = uint8_t(blue), t[3] = uint8_t(r + g);
        }
      compare(256, "sum on a step");
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace gputest
