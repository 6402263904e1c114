// Direct3D 11 graph texture formats: every pixel-format index a request can select makes
// its texture in the surveyed format, holds an uploaded picture within the format's
// precision, draws it like an RGBA graph, and is refused with the logged reason when the
// device has no such format; the DXT test answers from the format record.
#include "d3d11_fixture.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/d3d11/d3d11_graph.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/screen.h"
#include "media/system/window.h"
#include "platform/win/win_display.h"
#include "tests/media/graphics/format_cases.h"

namespace d3d11test {
namespace {

DXGI_FORMAT textureFormatOf(int graph) {
  const D3D11GraphTexture* t = D3D11_TileTexture(&GetGraphData(graph, 1)->orig->tiles[0]);
  D3D11_TEXTURE2D_DESC desc{};
  if (t->texture == nullptr) return DXGI_FORMAT_UNKNOWN;
  t->texture->GetDesc(&desc);
  return desc.Format;
}

class D3D11Formats : public D3D11Test {
 protected:
  static void begin() {
    ASSERT_EQ(start(), 0);
    ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D11);
    SetDrawMode(0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
  }
};

TEST_F(D3D11Formats, EveryPixelFormatIndexTakesItsSurveyedRow) {
  begin();
  formattest::checkEveryIndex(
      D3D11TextureFormatTable, [](int graph) { return textureFormatOf(graph); }, [this] { forgetLog(); },
      [](const char16_t* text) { return LogCapture::contains(text); });
}

TEST_F(D3D11Formats, TheDXTTestAnswersFromTheFormatRecord) {
  struct Row {
    DXGI_FORMAT format;
    int kind, want;
  } rows[] = {
      {DXGI_FORMAT_BC1_UNORM, 1, 0}, {DXGI_FORMAT_R8G8B8A8_UNORM, 1, 1}, {DXGI_FORMAT_BC2_UNORM, 3, 0},
      {DXGI_FORMAT_BC2_UNORM, 2, 1}, {DXGI_FORMAT_BC3_UNORM, 5, 0},      {DXGI_FORMAT_BC3_UNORM, 4, 1},
  };
  for (const Row& r : rows) {
    const GraphTextureFormat format{1, uint32_t(r.format), 12, nullptr};
    int colour = -1, alpha = -1;
    EXPECT_EQ(Graphics_D3D11_GetDXTDecodeFlags(&format, r.kind, &colour, r.kind, &alpha), 0);
    EXPECT_EQ(colour, r.want) << r.kind;
    EXPECT_EQ(alpha, r.want) << r.kind;
  }
  const GraphTextureFormat software{};
  for (int kind = 1; kind <= 5; ++kind) {
    int colour = -1;
    EXPECT_EQ(Graphics_D3D11_GetDXTDecodeFlags(&software, kind, &colour, -1, nullptr), 0);
    EXPECT_EQ(colour, 1) << kind;
  }
}

TEST_F(D3D11Formats, AHalfFloatTargetReadsItsClearedColour) {
  begin();
  formattest::checkHalfFloatTargetPixel(
      [](int graph) { return textureFormatOf(graph) == DXGI_FORMAT_R16G16B16A16_FLOAT; });
}

TEST_F(D3D11Formats, FullScreenKeepsTheOutputsDesktopRectangle) {
  GraphicsSys.fullScreenDesktopRect = ImageRect{-1, -1, -1, -1};
  SetScreenMode(640, 480, 32, 0);
  ChangeWindowMode(0);
  ASSERT_EQ(InitializeLibrary(), 0);
  ASSERT_EQ(GraphicsApiType, kGraphicsApiD3D11);
  plat::win::HMONITOR first = nullptr;
  plat::win::EnumDisplayMonitors(
      nullptr, nullptr,
      [](plat::win::HMONITOR m, plat::win::HDC, plat::win::RECT*, plat::win::LPARAM data) -> plat::win::BOOL {
        *reinterpret_cast<plat::win::HMONITOR*>(data) = m;
        return plat::win::FALSE;
      },
      reinterpret_cast<plat::win::LPARAM>(&first));
  formattest::expectKeptMonitorRect(first);
}

}  // namespace
}  // namespace d3d11test
