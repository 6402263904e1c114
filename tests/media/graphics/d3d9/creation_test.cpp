// Direct3D 9 device creation: the default profile's log and limits, the desktop depths,
// the start clears, the Ex paths back to plain Direct3D 9, the retry chain, software
// vertex processing and the full-screen depth check.
#include "d3d9_fixture.h"
#include "media/system/window.h"

namespace d3d9test {
namespace {

TEST_F(D3D9BackEnd, TheDefaultProfileAndA16BitDesktopLogTheirCreationAndSurvey) {
  struct Case {
    int desktopBits;
    const char16_t* screenFormat;
  } cases[] = {{32, u"画面のフォーマットは D3DFMT_X8R8G8B8 です"}, {16, u"画面のフォーマットは D3DFMT_R5G6B5 です"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desktopBits);
    plat::win::SetScreenBitsForTest(c.desktopBits);
    // A colour that a 16-bit back buffer holds exactly.
    GraphicsDrawSettings.backgroundRed = 0x84, GraphicsDrawSettings.backgroundGreen = 0x41;
    GraphicsDrawSettings.backgroundBlue = 0x21;
    ASSERT_EQ(startAndCreate(), 0);
    EXPECT_TRUE(logHasInOrder({u"IDirect3D9Ex オブジェクトを取得します.... 成功",
                               u"IDirect3DDevice9Ex オブジェクトを取得します.... ハードウエア頂点演算を使用します",
                               u"成功", u"Driver:", u"  Description:", c.screenFormat,
                               u"16bit Zバッファフォーマットは D3DFMT_D16 です",
                               u"24bit Zバッファフォーマットは D3DFMT_D24X8 です",
                               u"32bit Zバッファフォーマットは D3DFMT_D32 です",
                               u"アルファテスト用 16bit カラーフォーマットは D3DFMT_A1R5G5B5 です",
                               u"ＤＸＴ１テクスチャフォーマットはD3DFMT_DXT1 です",
                               u"ABGR 浮動小数点 16 ビット型カラーフォーマットは D3DFMT_A16B16G16R16F です",
                               u"１チャンネル浮動小数点 16 ビット型カラーフォーマットは D3DFMT_R16F です",
                               u"２チャンネル整数 8 ビット型カラーフォーマットは D3DFMT_A8B8G8R8 です",
                               u"同時にレンダリングできるバッファの数:4", u"最大テクスチャサイズ　幅:8192 高さ:8192",
                               u"減算合成のハードウェア対応：ネイティブ",
                               u"エミュレーション頂点シェーダーバージョンコード：エミュレーション無し",
                               u"ピクセルシェーダーバージョンコード：300"}))
        << narrow(LogCapture::all());
    const GraphicsDeviceCaps& caps = GraphicsDeviceCapsData;
    EXPECT_EQ(caps.renderTargetCount, 4);
    EXPECT_EQ(caps.maxTextureSize, 8192);
    EXPECT_EQ(caps.subtractiveBlend, 1);
    EXPECT_EQ(caps.direct3D9, 1);
    EXPECT_EQ(GraphicsSys.colorBits, c.desktopBits);
    const D3DFORMAT* t = D3D9TextureFormatTable;
    EXPECT_EQ(t[0], c.desktopBits == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8);
    EXPECT_EQ(t[47], c.desktopBits == 16 ? t[33] : t[34]);
    EXPECT_EQ(t[27], D3DFMT_R16F);
    EXPECT_EQ(t[28], D3DFMT_R32F);
    EXPECT_EQ(Graphics_D3D9_CheckDepthFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24X8), 0);
    EXPECT_EQ(Graphics_D3D9_CheckDepthFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_L8), -1);

    // The creation's last clear is what the window shows.
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = frame(&w, &h);
    ASSERT_EQ(size_t(w) * size_t(h), pixels.size());
    ASSERT_FALSE(pixels.empty());
    int wrong = 0;
    for (uint32_t p : pixels) wrong += (p & 0xFFFFFF) != 0x844121;
    EXPECT_EQ(wrong, 0);
    releaseBackEnd();
    TerminateLibrary();
    forgetLog();
  }
}

TEST_F(D3D9BackEnd, AnExObjectOrDeviceThatCannotBeMadeLeadsToPlainDirect3D9) {
  // Without the Ex export the object is plain at once.
  plat::win::OverrideExport(u"d3d9.dll", "Direct3DCreate9Ex", nullptr);
  ASSERT_EQ(startAndCreate(), 0);
  EXPECT_TRUE(logHasInOrder({u"IDirect3D9Ex オブジェクトを取得します.... IDirect3D9 オブジェクトを取得します.... 成功",
                             u"IDirect3DDevice9 オブジェクトを取得します.... ハードウエア頂点演算を使用します"}));
  EXPECT_EQ(Direct3D9_IsEx(), 0);
  releaseBackEnd();
  plat::win::ResetExportOverrides();

  // An Ex device refused for both behaviours: -2 after one attempt, the screen untouched,
  // and the next object and device are plain.
  SetCreateDeviceExFailsForTest(D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING);
  forgetLog();
  ASSERT_EQ(D3D9_LoadDLL(), 0);
  ASSERT_EQ(Direct3D9_Create(), 0);
  EXPECT_EQ(Direct3D9_IsEx(), 1);
  EXPECT_EQ(Graphics_D3D9_Device_Create(), -2);
  EXPECT_EQ(GraphicsSys.width, 640);
  EXPECT_EQ(GraphicsSys.height, 480);
  EXPECT_EQ(logCountOf(u"IDirect3DDevice9Ex オブジェクトを取得します"), 1);
  EXPECT_TRUE(logged(u"Direct3DDevice9Ex の作成に失敗しました"));
  EXPECT_EQ(Direct3DDevice9_IsValid(), 0);
  forgetLog();
  ASSERT_EQ(Direct3D9_Create(), 0);
  ASSERT_EQ(Graphics_D3D9_Device_Create(), 0);
  EXPECT_FALSE(logged(u"Ex"));
  EXPECT_TRUE(logHasInOrder({u"IDirect3D9 オブジェクトを取得します.... 成功",
                             u"IDirect3DDevice9 オブジェクトを取得します.... ハードウエア頂点演算を使用します"}));
  // Releasing the device twice logs its release once.
  forgetLog();
  Direct3DDevice9_Release();
  Direct3DDevice9_Release();
  EXPECT_EQ(logCountOf(u"Direct3DDevice9 の解放 2"), 1);
}

TEST_F(D3D9BackEnd, APlainDeviceRefusedRetriesAtThirtyTwoBitsThenLargerScreens) {
  struct Case {
    int refusals;  // whole creations refused (each tries two behaviours)
    int result, width, height;
  } cases[] = {{1, 0, 640, 480}, {2, 0, 800, 600}, {3, 0, 1024, 768}, {4, -1, 1024, 768}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusals);
    plat::win::OverrideExport(u"d3d9.dll", "Direct3DCreate9Ex", nullptr);
    startLibrary();
    SetCreateDeviceFailuresForTest(c.refusals * 2);
    EXPECT_EQ(create(), c.result);
    EXPECT_EQ(GraphicsSys.colorBits, 32);
    EXPECT_EQ(GraphicsSys.width, c.width);
    EXPECT_EQ(GraphicsSys.height, c.height);
    EXPECT_EQ(logCountOf(u"Direct3DDevice9 の作成に失敗しました"), c.refusals);
    releaseBackEnd();
    TerminateLibrary();
    resetSwitches();
    SetMainScreenSize(640, 480);
  }
}

TEST_F(D3D9BackEnd, ShadersBelowTwoUseSoftwareVertexProcessingAndNoProgrammableShaders) {
  D3DCAPS9 caps = DefaultD3D9Caps();
  caps.VertexShaderVersion = shaderVersion(false, 1, 1);
  caps.PixelShaderVersion = shaderVersion(true, 1, 4);
  SetD3D9CapsForTest(&caps);
  GraphicsSys.screenMultiSampleCount = 4;
  ASSERT_EQ(startAndCreate(), 0);
  EXPECT_TRUE(logged(u"IDirect3DDevice9Ex オブジェクトを取得します.... ソフトウエア頂点演算を使用します"));
  EXPECT_TRUE(logged(u"ハードウェア頂点シェーダーバージョンコード：101"));
  EXPECT_EQ(GraphicsSys.screenMultiSampleCount, 0);
  EXPECT_EQ(Graphics_D3D9_Shader_Initialize(), 1);
  EXPECT_TRUE(logged(u"プログラマブルシェーダーを使用しません"));
  EXPECT_EQ(ProgrammableShaderFlag, 0);
  EXPECT_EQ(Graphics_D3D9_GetShaderModelVersion(), 0);
  Graphics_D3D9_CreateVertexDeclarations();
  for (auto* d : D3D9ShaderSys.declarations) EXPECT_EQ(d, nullptr);
}

TEST_F(D3D9BackEnd, AFullScreenRequestAtTwentyFourBitsRetriesAtThirtyTwo) {
  startLibrary();
  SetWindowModeFlag(0);
  GraphicsSys.colorBits = 24;
  EXPECT_EQ(create(), 0);
  EXPECT_TRUE(logHasInOrder({u"非対応のバックバッファービット深度が指定されました", u"画面解像度を ",
                             u"画面のフォーマットは D3DFMT_X8R8G8B8 です"}));
  EXPECT_EQ(GraphicsSys.colorBits, 32);
  EXPECT_EQ(D3D9DeviceSys.params.Windowed, 0);
  releaseBackEnd();
  SetWindowModeFlag(1);
}

}  // namespace
}  // namespace d3d9test
