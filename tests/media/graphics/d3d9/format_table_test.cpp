// Direct3D 9 graph texture formats: every pixel-format index a request can select and every
// user texture-format number makes its texture in the surveyed (or fixed) format, holds an
// uploaded picture within the format's precision, draws it like an RGBA graph, and is
// refused with the logged reason when the device has no such format.
#include "d3d9_fixture.h"
#include "media/graphics/d3d9/backend.h"
#include "media/graphics/d3d9/d3d9_upload.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/hardware.h"
#include "media/graphics/hwdraw/upload_levels.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "platform/win/win_display.h"
#include "tests/media/graphics/format_cases.h"

namespace d3d9test {
namespace {

class D3D9Formats : public D3D9BackEnd {
 protected:
  static D3DFORMAT textureFormatOf(int graph) {
    const D3D9GraphTexture* t = D3D9_TileTexture(&GetGraphData(graph, 1)->orig->tiles[0]);
    D3DSURFACE_DESC desc{};
    if (t->texture == nullptr || t->texture->GetLevelDesc(0, &desc) != D3D_OK) return D3DFMT_UNKNOWN;
    return desc.Format;
  }
};

TEST_F(D3D9Formats, EveryPixelFormatIndexTakesItsSurveyedRow) {
  startCleared();
  formattest::checkEveryIndex(
      D3D9TextureFormatTable, [](int graph) { return textureFormatOf(graph); }, [this] { forgetLog(); },
      [](const char16_t* text) { return LogCapture::contains(text); });
}

TEST_F(D3D9Formats, UserTextureFormatNumbersTakeTheFixedTable) {
  const D3DFORMAT fixed[22] = {
      D3DFMT_R8G8B8,      D3DFMT_A8R8G8B8,      D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,        D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5,    D3DFMT_A4R4G4B4,      D3DFMT_R3G3B2,   D3DFMT_A8R3G3B2,      D3DFMT_X4R4G4B4,
      D3DFMT_A2B10G10R10, D3DFMT_G16R16,        D3DFMT_A8B8G8R8, D3DFMT_X8B8G8R8,      D3DFMT_A2R10G10B10,
      D3DFMT_A16B16G16R16, D3DFMT_R16F,         D3DFMT_G16R16F,  D3DFMT_A16B16G16R16F, D3DFMT_R32F,
      D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F};
  startCleared();
  for (int n = 1; n <= 22; ++n) {
    SCOPED_TRACE(n);
    SetupGraphParam param{};
    InitSetupGraphParam(&param, 32, 1, 0);
    param.userTextureFormat = n;
    const int graph = MakeGraphFromParam(&param, 8, 8, 0, 0, 0, 0);
    ASSERT_GE(graph, 0);
    EXPECT_EQ(textureFormatOf(graph), fixed[n - 1]);
    formattest::checkHoldsPicture(graph);
    SubHandle(graph);

    // A format the device refuses: the texture cannot be made.
    forgetLog();
    RefuseD3D9FormatForTest(fixed[n - 1], 0);
    EXPECT_EQ(MakeGraphFromParam(&param, 8, 8, 0, 0, 0, 0), -1);
    EXPECT_TRUE(logged(u"テクスチャの作成に失敗しました"));
    ResetD3D9SwitchesForTest();
  }
  // A number past the table has no format.
  SetupGraphParam param{};
  InitSetupGraphParam(&param, 32, 1, 0);
  param.userTextureFormat = 23;
  forgetLog();
  EXPECT_EQ(MakeGraphFromParam(&param, 8, 8, 0, 0, 0, 0), -1);
  EXPECT_TRUE(logged(u"指定のフォーマットで作成できるテクスチャフォーマットがありませんでした"));
}

TEST_F(D3D9Formats, TheDXTTestAnswersFromTheFormatRecord) {
  const PixelFormatDesc* argb = Graphics_D3D9_GetFormatPixelDesc(D3DFMT_A8R8G8B8);
  struct Row {
    GraphTextureFormat format;
    int kind, want;
  } rows[] = {
      {{1, uint32_t(D3DFMT_DXT1), 12, nullptr}, 1, 0}, {{1, uint32_t(D3DFMT_A8R8G8B8), 9, argb}, 1, 1},
      {{1, uint32_t(D3DFMT_DXT5), 16, nullptr}, 5, 0}, {{1, uint32_t(D3DFMT_DXT5), 16, nullptr}, 3, 1},
      {{1, uint32_t(D3DFMT_DXT2), 13, nullptr}, 2, 0}, {{1, uint32_t(D3DFMT_DXT1), 12, nullptr}, 0, 0},
  };
  for (const Row& r : rows) {
    int colour = -1, alpha = -1;
    EXPECT_EQ(Graphics_D3D9_GetDXTDecodeFlags(&r.format, r.kind, &colour, r.kind, &alpha), 0);
    EXPECT_EQ(colour, r.want) << r.kind;
    EXPECT_EQ(alpha, r.want) << r.kind;
  }
  // A software record decodes every kind.
  const GraphTextureFormat software{};
  for (int kind = 1; kind <= 5; ++kind) {
    int colour = -1;
    EXPECT_EQ(Graphics_D3D9_GetDXTDecodeFlags(&software, kind, &colour, -1, nullptr), 0);
    EXPECT_EQ(colour, 1) << kind;
  }
}

TEST_F(D3D9Formats, AHalfFloatTargetReadsItsClearedColour) {
  startCleared();
  formattest::checkHalfFloatTargetPixel([](int graph) { return textureFormatOf(graph) == D3DFMT_A16B16G16R16F; });
}

TEST_F(D3D9Formats, FullScreenKeepsTheMonitorsDesktopRectangle) {
  GraphicsSys.fullScreenDesktopRect = ImageRect{-1, -1, -1, -1};
  SetScreenMode(640, 480, 32, 0);
  ChangeWindowMode(0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D9);
  formattest::expectKeptMonitorRect(Direct3D9_GetAdapterMonitor(0));
}

}  // namespace
}  // namespace d3d9test
