// The format survey when formats are refused, the lock test's square, and the multisample
// correction.
#include "d3d9_fixture.h"

namespace d3d9test {
namespace {

TEST_F(D3D9BackEnd, RefusedFormatsFailTheSurveyOrFallBackToAnotherRow) {
  struct Case {
    const char* name;
    std::vector<D3DFORMAT> refused;  // as textures
    int result;
    std::u16string must;
  } cases[] = {
      {"no 32-bit alpha", {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, -1,
       u"使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした"},
      {"no DXT", {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}, 0,
       u"ＤＸＴ１テクスチャフォーマットは使えません"},
      {"no 16-bit colour", {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}, -1,
       u"使用できる 16bit カラーフォーマットが見つかりませんでした"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (D3DFORMAT f : c.refused) RefuseD3D9FormatForTest(f, 0);
    EXPECT_EQ(startAndCreate(), c.result);
    EXPECT_TRUE(logged(c.must)) << narrow(LogCapture::all());
    // Every row is still logged: the limits follow only a survey that succeeded.
    EXPECT_TRUE(logged(u"描画用２チャンネル浮動小数点 32 ビット型カラーフォーマットは D3DFMT_G32R32F です"));
    EXPECT_EQ(logged(u"ピクセルシェーダーバージョンコード"), c.result == 0);
    if (c.result == 0) {
      EXPECT_EQ(D3D9TextureFormatTable[12], D3D9TextureFormatTable[10]);
      EXPECT_EQ(D3D9TextureFormatTable[16], D3D9TextureFormatTable[9]);
    }
    releaseBackEnd();
    TerminateLibrary();
    resetSwitches();
    forgetLog();
  }
}

TEST_F(D3D9BackEnd, TheLockTestFitsItsSquareIntoTheScreen) {
  struct Case {
    int width, height, side;
  } cases[] = {{640, 480, 256}, {200, 150, 128}, {256, 100, 64}};
  for (const Case& c : cases) {
    GraphicsSys.width = c.width, GraphicsSys.height = c.height;
    EXPECT_EQ(D3D9_LockTestSide(), c.side) << c.width << "x" << c.height;
  }
  SetMainScreenSize(200, 150);
  ASSERT_EQ(startAndCreate(), 0);
  EXPECT_EQ(D3D9DeviceSys.params.BackBufferWidth, 200u);
  // Three rounds, each a direct and an indirect copy with a system-memory surface apiece,
  // and an indirect one through a render target.
  EXPECT_EQ(callCount("d3d9.CreateOffscreenPlainSurface"), 9);
  EXPECT_EQ(callCount("d3d9.CreateRenderTarget"), 3);
  EXPECT_TRUE(logged(u"バックバッファロック転送の時間:"));
  EXPECT_TRUE(logged(u"バックバッファロックを使用します") || logged(u"バックバッファロックを使用しません"));
  SetMainScreenSize(640, 480);
}

TEST_F(D3D9BackEnd, ALockTestStepThatFailsLeavesTheBackBufferUnlocked) {
  Profile p = defaultProfile();
  p.failOnCall["d3d9.CreateRenderTarget"] = 3;
  setProfile(p);
  ASSERT_EQ(startAndCreate(), 0);
  EXPECT_TRUE(logged(u"バックバッファはロックできません"));
  EXPECT_EQ(D3D9DeviceSys.backBufferLock, 0);
}

TEST_F(D3D9BackEnd, MultisampleCountsAreCorrectedOrRefusedWhenStrict) {
  ASSERT_EQ(startAndCreate(), 0);
  struct Case {
    int count, quality, strict;
    int result, countAfter, qualityAfter;
  } cases[] = {{4, 3, 0, 0, 4, 0},  {4, 3, 1, 0, 4, 0},  {3, 2, 0, 0, 2, 0}, {3, 2, 1, -1, 3, 0},
               {16, 0, 0, 0, 8, 0}, {1, 2, 0, 0, 0, 0},  {0, 5, 0, 0, 0, 0}, {0, 5, 1, 0, 0, 0}};
  for (const Case& c : cases) {
    int count = c.count, quality = c.quality;
    EXPECT_EQ(Direct3D9_CheckMultiSampleParam(D3DFMT_X8R8G8B8, &count, &quality, c.strict, 1), c.result)
        << c.count << " strict " << c.strict;
    EXPECT_EQ(count, c.countAfter);
    EXPECT_EQ(quality, c.qualityAfter);
  }
  // A screen that asks for multisampling gets the corrected settings back.
  releaseBackEnd();
  GraphicsSys.screenMultiSampleCount = 4;
  GraphicsSys.screenMultiSampleQuality = 2;
  ASSERT_EQ(create(), 0);
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 4);
  EXPECT_EQ(GraphicsSys.screenMultiSampleQuality, 0);
  EXPECT_EQ(D3D9DeviceSys.params.MultiSampleType, D3DMULTISAMPLE_4_SAMPLES);
  // A multisampled back buffer is discarded at each present and never locked.
  EXPECT_EQ(D3D9DeviceSys.params.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(D3D9DeviceSys.params.Flags, 0u);
  EXPECT_TRUE(logged(u"フルシーンアンチエイリアスを使用する場合はバックバッファはロックできません"));
  EXPECT_EQ(D3D9DeviceSys.backBufferLock, 0);
  // An odd count comes down to the next one offered.
  releaseBackEnd();
  GraphicsSys.screenMultiSampleCount = 3;
  ASSERT_EQ(create(), 0);
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 2);
  EXPECT_EQ(D3D9DeviceSys.params.MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
}

}  // namespace
}  // namespace d3d9test
