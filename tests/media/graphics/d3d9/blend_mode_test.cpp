// Direct3D 9 blend modes: pixels of a drawn box in each mode, and the states a key sends.
#include "media/graphics/d3d9/d3d9_graph.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/hwdraw/hwdraw.h"
#include "tests/media/graphics/d3d9/d3d9_fixture.h"

namespace d3d9test {
namespace {

struct Case {
  int mode, param;
  Rgb source, dest, inside;
};

class BlendTest : public D3D9BackEnd {};

const Case kCases[] = {
    {1, 128, {255, 0, 0}, {255, 255, 255}, {255, 127, 127}},
    {2, 128, {200, 50, 0}, {100, 100, 100}, {200, 125, 100}},
    {4, 255, {128, 255, 0}, {200, 100, 50}, {100, 100, 0}},
    {3, 255, {100, 50, 250}, {200, 200, 200}, {100, 150, 0}},
};

// Each mode over its background, read from the presented frame: inside the box, on its
// first pixel, and on the first pixel past its right edge.
void expectModes() {
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : kCases) {
      D3D9BackEnd::clearTo(c.dest.r, c.dest.g, c.dest.b);
      D3D9BackEnd::box(c.mode, c.param, c.source, 10, 10, 30, 30);
      const D3D9BackEnd::Frame f = D3D9BackEnd::present();
      EXPECT_EQ(f.at(20, 20), c.inside) << "mode " << c.mode;
      EXPECT_EQ(f.at(10, 10), c.inside) << "mode " << c.mode;
      EXPECT_EQ(f.at(30, 20), c.dest) << "mode " << c.mode << " outside";
    }
  }
  // Mode 3 reached row 16: reverse subtraction.
  EXPECT_EQ(D3D9State.blend[kBvBlendOp], uint32_t(D3DBLENDOP_REVSUBTRACT));
}

TEST_F(BlendTest, ModesGiveThePixelsOfTheirFormulasThroughTheShaders) {
  attach();
  ASSERT_EQ(ProgrammableShaderFlag, 1);
  expectModes();
  EXPECT_NE(D3D9State.pixelShader, nullptr);
}

TEST_F(BlendTest, ModesGiveThePixelsOfTheirFormulasOnTheFixedStages) {
  attachFixed();
  expectModes();
  EXPECT_EQ(D3D9State.pixelShader, nullptr);
}

// On the fixed stages the times-four kinds (rows 12 and 21) multiply the draw colour by
// the white graph's texture on stage 0; row 8 leaves every pixel as it was, so what is
// queued under it is dropped, not drawn.
TEST_F(BlendTest, TimesFourReadsTheWhiteGraphAndAnInvisibleRowDrawsNothing) {
  attachFixed();
  const Rgb dest{200, 200, 200};
  for (int mode : {12, 21}) {
    SCOPED_TRACE(mode);
    clearTo(dest.r, dest.g, dest.b);
    box(mode, 255, {30, 40, 50}, 10, 10, 30, 30);
    Graphics_D3D9_FlushVertexBatch(0);
    const GraphData* white = GetGraphData(GetWhiteGraph());
    ASSERT_NE(white, nullptr);
    ASSERT_NE(D3D9State.stages[0].texture, nullptr);
    EXPECT_EQ(D3D9State.stages[0].texture, D3D9_TileTexture(white->pieces[0].tile)->texture);
    EXPECT_EQ(present().at(20, 20), (Rgb{120, 160, 200}));
  }
  clearTo(dest.r, dest.g, dest.b);
  for (int round = 0; round < 2; ++round) {
    resetJournal();
    box(8, 255, {30, 40, 50}, 10, 10, 30, 30);
    Graphics_D3D9_FlushVertexBatch(0);
    EXPECT_EQ(callCount("d3d9.DrawPrimitiveUP"), 0);
    EXPECT_EQ(present().at(20, 20), dest);
    box(1, 255, {30, 40, 50}, 10, 10, 30, 30);
    Graphics_D3D9_FlushVertexBatch(0);
    EXPECT_EQ(callCount("d3d9.DrawPrimitiveUP"), 1);
    EXPECT_EQ(present().at(20, 20), (Rgb{30, 40, 50}));
    clearTo(dest.r, dest.g, dest.b);
  }
}

TEST_F(BlendTest, UntexturedModeZeroLeavesTheFactorsAndAnAlphaTargetTakesRowFourteen) {
  attach();
  box(1, 128, {1, 1, 1}, 0, 0, 2, 2);
  Graphics_D3D9_FlushVertexBatch(0);
  const uint32_t src = D3D9State.blend[kBvSrcBlend], dest = D3D9State.blend[kBvDestBlend];
  resetJournal();
  box(0, 255, {1, 1, 1}, 0, 0, 2, 2);
  EXPECT_EQ(D3D9State.blend[kBvSrcBlend], src);
  EXPECT_EQ(D3D9State.blend[kBvDestBlend], dest);
  EXPECT_EQ(D3D9State.blend[kBvAlphaBlendEnable], 0u);

  D3D9DrawTargetHasAlpha = 1;
  D3D9State.keyChanged = 1;
  box(0, 255, {1, 1, 1}, 0, 0, 2, 2);
  EXPECT_EQ(D3D9State.blend[kBvSrcBlend], uint32_t(D3DBLEND_ONE));
  EXPECT_EQ(D3D9State.blend[kBvDestBlend], uint32_t(D3DBLEND_ZERO));
  EXPECT_EQ(D3D9State.blend[kBvAlphaBlendEnable], 1u);
  D3D9DrawTargetHasAlpha = 0;
}

TEST_F(BlendTest, WipeOfRangeOneAtZeroOnAlphaTexturesTestsFromOne) {
  attach();
  IDirect3DTexture9 *drawn = nullptr, *blend = nullptr;
  ASSERT_EQ(D3D9Sys.device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &drawn, nullptr), D3D_OK);
  ASSERT_EQ(D3D9Sys.device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &blend, nullptr), D3D_OK);
  Graphics_D3D9_DeviceState_SetTexture(drawn);
  Graphics_D3D9_DeviceState_SetBlendTexture(blend, 16, 16);
  Graphics_D3D9_DeviceState_SetBlendTextureParam(1, 0, 1);
  Graphics_D3D9_DeviceState_SetBlendModeKey(0, 0, 1);
  Graphics_D3D9_DeviceState_SetDiffuseKey(0);
  Graphics_D3D9_DeviceState_SetAlphaKey(0);
  Graphics_D3D9_DeviceState_SetAlphaTestKey(-1, 0);
  EXPECT_EQ(Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1), 0);
  EXPECT_EQ(D3D9State.blend[kBvAlphaTestEnable], 1u);
  EXPECT_EQ(D3D9State.blend[kBvAlphaRef], 1u);
  EXPECT_EQ(D3D9State.blend[kBvAlphaFunc], uint32_t(D3DCMP_GREATEREQUAL));
  // With the alpha channel the drawn graph sits on stage 2, the blend graph on stage 0.
  EXPECT_EQ(D3D9State.stages[0].texture, blend);
  EXPECT_EQ(D3D9State.stages[2].texture, drawn);
  EXPECT_EQ(D3D9State.stageCount, 3);

  // Back to one stage: stages 1 and 2 lose their textures.
  Graphics_D3D9_DeviceState_SetBlendTexture(nullptr, 0, 0);
  Graphics_D3D9_DeviceState_SetBlendModeKey(1, 0, 0);
  Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
  EXPECT_EQ(D3D9State.stages[0].texture, drawn);
  EXPECT_EQ(D3D9State.stages[1].texture, nullptr);
  EXPECT_EQ(D3D9State.stages[2].texture, nullptr);
  Graphics_D3D9_DeviceState_SetTexture(nullptr);
  Graphics_D3D9_ApplyBlendMode(nullptr, 0, 1, 1);
  drawn->Release();
  blend->Release();
}

TEST(D3D9StageSets, TheTableFollowsItsRules) {
  // Every entry starts on stage 0 with the picture and ends within the stage limit.
  for (int kind = 0; kind < 7; ++kind)
    for (int form = 0; form < 4; ++form)
      for (int colour = 0; colour < 2; ++colour)
        for (int alpha = 0; alpha < 2; ++alpha)
          for (int t = 0; t < 3; ++t) {
            const D3D9StageSet& s = D3D9_StageSet(kind, form, colour, alpha, t);
            ASSERT_GE(s.count, 1);
            ASSERT_LE(s.count, 6);
            EXPECT_NE(s.stages[0].colorArg1 & 0xF, int(D3DTA_CURRENT)) << kind << form << colour << alpha << t;
          }
  const D3D9StageSet& plain = D3D9_StageSet(0, 0, 0, 0, 0);
  EXPECT_EQ(plain.count, 1);
  EXPECT_EQ(plain.stages[0].colorOp, int(D3DTOP_SELECTARG1));
  EXPECT_EQ(plain.stages[0].colorArg1, int(D3DTA_TEXTURE));
  EXPECT_EQ(plain.stages[0].alphaOp, int(D3DTOP_SELECTARG2));
  EXPECT_EQ(plain.stages[0].alphaArg2, int(D3DTA_DIFFUSE));
  const D3D9StageSet& full = D3D9_StageSet(0, 0, 1, 1, 1);
  EXPECT_EQ(full.stages[0].colorOp, int(D3DTOP_MODULATE));
  EXPECT_EQ(full.stages[0].alphaOp, int(D3DTOP_MODULATE));
  EXPECT_EQ(full.stages[0].alphaArg1, int(D3DTA_TEXTURE));
  const D3D9StageSet& white = D3D9_StageSet(1, 0, 0, 0, 0);
  EXPECT_EQ(white.count, 2);
  EXPECT_EQ(white.stages[1].colorOp, int(D3DTOP_BLENDCURRENTALPHA));
  EXPECT_EQ(white.stages[1].colorArg2, int(D3DTA_TFACTOR));
  EXPECT_EQ(D3D9_StageSet(2, 0, 0, 0, 0).stages[0].colorArg1, int(D3DTA_TEXTURE | D3DTA_COMPLEMENT));
  EXPECT_EQ(D3D9_StageSet(3, 0, 0, 0, 0).stages[0].colorOp, int(D3DTOP_MODULATE4X));
  const D3D9StageSet& fade = D3D9_StageSet(0, 1, 1, 0, 0);
  EXPECT_EQ(fade.count, 3);
  EXPECT_EQ(fade.stages[1].colorOp, int(D3DTOP_BLENDFACTORALPHA));
  EXPECT_EQ(fade.stages[2].colorOp, int(D3DTOP_MODULATE));
}

TEST(D3D9Wipe, TheFactorMatchesTheShaderRamp) {
  for (int n : {2, 64, 65, 128, 129, 255})
    for (int p = 0; p <= 255; p += 15) {
      const WipeFactor f = ComputeWipeFactor(p, n);
      const WipeSetup w = ComputeWipe(p, n, 0, 0);
      EXPECT_FLOAT_EQ(w.scale, float(f.scale));
      EXPECT_FLOAT_EQ(w.offset, float(f.alpha) / (f.subtract ? -255.0f : 255.0f));
      EXPECT_GE(f.alpha, 0);
      EXPECT_LE(f.alpha, 255);
    }
}

}  // namespace
}  // namespace d3d9test
