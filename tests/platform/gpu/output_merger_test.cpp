// The output merger: every blend factor and operation, separate alpha, write masks, the
// depth functions on each depth format, the alpha-test hook and refused states.
#include <tuple>

#include "platform/gpu/output_merger.h"
#include "tests/platform/gpu/gpu_fixture.h"

namespace gputest {
namespace {

using Bytes = std::vector<uint8_t>;

class GpuMerge : public GpuTest {
 protected:
  Ref<Texture> target = makeTexture(Format::R8G8B8A8, 4, 1, 1, kBindRenderTarget | kBindShaderResource);
  Ref<View> rtv = makeView(*target, ViewKind::renderTarget);

  // Blends `src` over the target pixel 0 holding `dst`; returns the stored bytes.
  Bytes blendOne(const TargetBlend& tb, Bytes dst, Bytes src, Float4 factor = {}) {
    putTexel(*target, 0, 0, 0, dst);
    BlendDesc bd;
    bd.target[0] = tb;
    Ref<BlendState> state;
    EXPECT_EQ(createBlendState(bd, state), Status::ok);
    OutputMerger om;
    View* views[1] = {rtv.get()};
    om.setTargets(views, 1, nullptr);
    om.setBlend(state.get(), factor);
    EXPECT_EQ(om.prepare(), Status::ok);
    const Float4 colour{src[0] / 255.0f, src[1] / 255.0f, src[2] / 255.0f, src[3] / 255.0f};
    const Float4* colours[1] = {&colour};
    om.mergeSpan(0, 0, 1, colours, nullptr, nullptr);
    return texelBytes(*target, 0, 0, 0);
  }
};

TEST_F(GpuMerge, SourceAlphaOverWhite) {
  TargetBlend tb;
  tb.enable = true;
  tb.src = Blend::srcAlpha;
  tb.dst = tb.dstAlpha = Blend::invSrcAlpha;
  EXPECT_EQ(blendOne(tb, {255, 255, 255, 255}, {255, 0, 0, 128}), (Bytes{255, 127, 127, 255}));
}

// Source (200, 100, 50, 128), destination (40, 80, 160, 192), blend factor (64, 128, 192, 32):
// each factor once on the source side (against ZERO) and once on the destination side.
TEST_F(GpuMerge, EveryBlendFactor) {
  struct Case {
    Blend f;
    int src[3], dst[3], alphaSrc, alphaDst;
  } cases[] = {
      {Blend::zero, {0, 0, 0}, {0, 0, 0}, 0, 0},
      {Blend::one, {200, 100, 50}, {40, 80, 160}, 128, 192},
      {Blend::srcColor, {157, 39, 10}, {31, 31, 31}, 64, 96},
      {Blend::invSrcColor, {43, 61, 40}, {9, 49, 129}, 64, 96},
      {Blend::srcAlpha, {100, 50, 25}, {20, 40, 80}, 64, 96},
      {Blend::invSrcAlpha, {100, 50, 25}, {20, 40, 80}, 64, 96},
      {Blend::destAlpha, {151, 75, 38}, {30, 60, 120}, 96, 145},
      {Blend::invDestAlpha, {49, 25, 12}, {10, 20, 40}, 32, 47},
      {Blend::destColor, {31, 31, 31}, {6, 25, 100}, 96, 145},
      {Blend::invDestColor, {169, 69, 19}, {34, 55, 60}, 32, 47},
      {Blend::srcAlphaSat, {49, 25, 12}, {10, 20, 40}, 128, 192},
      {Blend::blendFactor, {50, 50, 38}, {10, 40, 120}, 16, 24},
      {Blend::invBlendFactor, {150, 50, 12}, {30, 40, 40}, 112, 168},
  };
  const Float4 factor{64 / 255.0f, 128 / 255.0f, 192 / 255.0f, 32 / 255.0f};
  for (const Case& c : cases) {
    TargetBlend tb;
    tb.enable = true;
    tb.src = tb.srcAlpha = c.f;
    tb.dst = tb.dstAlpha = Blend::zero;
    EXPECT_EQ(blendOne(tb, {40, 80, 160, 192}, {200, 100, 50, 128}, factor),
              (Bytes{uint8_t(c.src[0]), uint8_t(c.src[1]), uint8_t(c.src[2]), uint8_t(c.alphaSrc)}))
        << "source side " << int(c.f);
    tb.src = tb.srcAlpha = Blend::zero;
    tb.dst = tb.dstAlpha = c.f;
    EXPECT_EQ(blendOne(tb, {40, 80, 160, 192}, {200, 100, 50, 128}, factor),
              (Bytes{uint8_t(c.dst[0]), uint8_t(c.dst[1]), uint8_t(c.dst[2]), uint8_t(c.alphaDst)}))
        << "destination side " << int(c.f);
  }
}

TEST_F(GpuMerge, EveryOperationSeparateAlphaAndWriteMasks) {
  struct Case {
    BlendOp op;
    Bytes want;
  } cases[] = {
      {BlendOp::add, {240, 180, 210, 255}},   {BlendOp::subtract, {160, 20, 0, 0}},
      {BlendOp::revSubtract, {0, 0, 110, 64}}, {BlendOp::min, {40, 80, 50, 128}},
      {BlendOp::max, {200, 100, 160, 192}},
  };
  for (const Case& c : cases) {
    TargetBlend tb;
    tb.enable = true;
    tb.src = tb.dst = tb.srcAlpha = tb.dstAlpha = Blend::one;
    tb.op = tb.opAlpha = c.op;
    EXPECT_EQ(blendOne(tb, {40, 80, 160, 192}, {200, 100, 50, 128}), c.want) << int(c.op);
  }
  TargetBlend sep;  // colour from the source, alpha kept from the target
  sep.enable = true;
  sep.srcAlpha = Blend::zero;
  sep.dstAlpha = Blend::one;
  EXPECT_EQ(blendOne(sep, {40, 80, 160, 192}, {200, 100, 50, 128}), (Bytes{200, 100, 50, 192}));
  TargetBlend masked;
  masked.writeMask = 0;
  EXPECT_EQ(blendOne(masked, {40, 80, 160, 192}, {200, 100, 50, 128}), (Bytes{40, 80, 160, 192}));
  masked.writeMask = 1 | 4;
  EXPECT_EQ(blendOne(masked, {40, 80, 160, 192}, {200, 100, 50, 128}), (Bytes{200, 80, 50, 192}));
  masked.enable = true;
  masked.src = Blend::srcAlpha;
  masked.dst = Blend::invSrcAlpha;
  masked.writeMask = 8;
  EXPECT_EQ(blendOne(masked, {40, 80, 160, 192}, {200, 100, 50, 128}), (Bytes{40, 80, 160, 128}));
}

TEST_F(GpuMerge, DepthFunctionsOnEveryDepthFormat) {
  const Compare funcs[] = {Compare::never,   Compare::less,     Compare::equal,        Compare::lessEqual,
                           Compare::greater, Compare::notEqual, Compare::greaterEqual, Compare::always};
  // Stored depth 0.5; incoming equal, nearer, farther. Expected pass per function.
  const bool pass[8][3] = {{false, false, false}, {false, true, false}, {true, false, false}, {true, true, false},
                           {false, false, true},  {false, true, true},  {true, false, true},   {true, true, true}};
  for (Format storage : {Format::D16, Format::R24G8Typeless, Format::D32F}) {
    Ref<Texture> depth = makeTexture(storage, 4, 1, 1, kBindDepthStencil);
    Ref<View> dsv = makeView(*depth, ViewKind::depthStencil, depthFormat(storage));
    for (int fi = 0; fi < 8; ++fi) {
      for (bool write : {false, true}) {
        ASSERT_EQ(clearDepthStencil(*dsv, true, 0.5f, true, 9), Status::ok);
        putTexel(*target, 0, 0, 0, {0, 0, 0, 0});
        putTexel(*target, 0, 1, 0, {0, 0, 0, 0});
        putTexel(*target, 0, 2, 0, {0, 0, 0, 0});
        DepthStencilDesc dd;
        dd.depthFunc = funcs[fi];
        dd.depthWrite = write;
        Ref<DepthStencilState> state;
        ASSERT_EQ(createDepthStencilState(dd, state), Status::ok);
        OutputMerger om;
        View* views[1] = {rtv.get()};
        om.setTargets(views, 1, dsv.get());
        om.setDepthStencil(state.get());
        ASSERT_EQ(om.prepare(), Status::ok);
        const Float4 white[3] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
        const Float4* colours[1] = {white};
        const float z[3] = {0.5f, 0.25f, 0.75f};
        uint8_t mask[3] = {1, 1, 1};
        om.mergeSpan(0, 0, 3, colours, z, mask);
        for (int i = 0; i < 3; ++i) {
          const bool want = pass[fi][i];
          EXPECT_EQ(mask[i], want) << formatInfo(storage).name << " func " << fi << " pixel " << i;
          EXPECT_EQ(texelBytes(*target, 0, i, 0)[0], want ? 255 : 0);
          const float stored = loadTexel(readFormat(storage), depth->data(0), depth->sub(0).pitch, i, 0)[0];
          const float expect = want && write ? z[i] : 0.5f;
          EXPECT_NEAR(stored, expect, 1e-4) << formatInfo(storage).name << " func " << fi << " pixel " << i;
        }
        if (storage == Format::R24G8Typeless) {
          EXPECT_EQ(texelBytes(*depth, 0, 1, 0)[3], 9);  // stencil kept
        }
      }
    }
  }
}

TEST_F(GpuMerge, AlphaTestClippingAndRefusedStates) {
  OutputMerger om;
  View* views[1] = {rtv.get()};
  om.setTargets(views, 1, nullptr);
  om.setAlphaTest(AlphaTest{true, Compare::greater, 128});
  ASSERT_EQ(om.prepare(), Status::ok);
  const Float4 px[6] = {{0, 0, 0, 0}, {1, 0, 0, 128 / 255.0f}, {1, 0, 0, 129 / 255.0f},
                        {1, 0, 0, 1}, {1, 0, 0, 0},               {0, 0, 0, 0}};
  const Float4* colours[1] = {px};
  uint8_t mask[6] = {1, 1, 1, 1, 1, 1};
  // Starts one pixel left of the target and runs one past its right edge.
  om.mergeSpan(-1, 0, 6, colours, nullptr, mask);
  EXPECT_EQ((Bytes(mask, mask + 6)), (Bytes{0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(texelBytes(*target, 0, 0, 0)[0], 0);
  EXPECT_EQ(texelBytes(*target, 0, 1, 0)[0], 255);
  om.mergeSpan(0, 1, 4, colours, nullptr, mask);  // row outside: nothing
  EXPECT_EQ(mask[0], 0);

  DepthStencilDesc stencil;
  stencil.stencilEnable = true;
  Ref<DepthStencilState> ds;
  EXPECT_EQ(createDepthStencilState(stencil, ds), Status::invalidArgument);
  BlendDesc independent;
  independent.independentBlend = true;
  Ref<BlendState> bs;
  EXPECT_EQ(createBlendState(independent, bs), Status::invalidArgument);
  // A depth buffer at least as large as the 4 x 1 target serves it; a smaller one does not.
  for (const auto& [w, h, result] : {std::tuple{8, 8, Status::ok}, std::tuple{3, 8, Status::invalidArgument}}) {
    Ref<Texture> other = makeTexture(Format::D16, w, h, 1, kBindDepthStencil);
    Ref<View> otherDsv = makeView(*other, ViewKind::depthStencil);
    om.setTargets(views, 1, otherDsv.get());
    EXPECT_EQ(om.prepare(), result) << w << " x " << h;
  }
}

}  // namespace
}  // namespace gputest
