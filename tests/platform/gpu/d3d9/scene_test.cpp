// Scenes drawn and presented through the Direct3D 9 face alone: the scripted scene, the
// pixel-centre model for quads, points, lines and flat shading, presents that scale or
// leave borders, and the frame a child process dumps.
#include <filesystem>
#include <fstream>

#include "gpu_d3d9_fixture.h"
#include "tests/media/sound/run_child.h"

namespace d3d9test {
namespace {

TEST_F(D3D9Test, ScriptedScenePresentsBlendedTexture) {
  Com<IDirect3DTexture9> tex;
  tex.p = texture(4, 4, std::vector<D3DCOLOR>(16, 0x80FF0000u));
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  device->SetTexture(0, tex.get());
  pointClamp(0);
  stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  stage(1, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  ASSERT_EQ(quad(9.5f, 9.5f, 13.5f, 13.5f, 0xFFFFFFFFu), D3D_OK);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  Com<IDirect3DSwapChain9> chain;
  ASSERT_EQ(device->GetSwapChain(0, chain.out()), D3D_OK);
  const int before = plat::win::GetPresentCount(hwnd);
  ASSERT_EQ(chain->Present(nullptr, nullptr, hwnd, nullptr, 0), D3D_OK);
  EXPECT_EQ(plat::win::GetPresentCount(hwnd), before + 1);
  const std::vector<uint32_t> f = windowFrame();
  ASSERT_EQ(f.size(), 640u * 480u);
  EXPECT_EQ(rgb(f[11 * 640 + 11]), 0x800000u);
  EXPECT_EQ(rgb(f[10 * 640 + 10]), 0x800000u);
  EXPECT_EQ(rgb(f[13 * 640 + 13]), 0x800000u);
  EXPECT_EQ(rgb(f[9 * 640 + 9]), 0u);
  EXPECT_EQ(rgb(f[14 * 640 + 14]), 0u);
  // Scenes do not nest, and an end needs a begin.
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(D3D9Test, PixelCentresLieOnWholeCoordinates) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  // Each texel of a 2x2 texture on its own pixel.
  Com<IDirect3DTexture9> tex;
  tex.p = texture(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
  device->SetTexture(0, tex.get());
  pointClamp(0);
  stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  ASSERT_EQ(quad(9.5f, 19.5f, 11.5f, 21.5f, 0xFFFFFFFFu), D3D_OK);
  device->SetTexture(0, nullptr);
  stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT);
  device->SetFVF(kColourFvf);
  const ColourVertex point{3, 4, 0, 1, 0xFFFFFF00u};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
  const ColourVertex line[2] = {{0, 0, 0, 1, 0xFF00FFFFu}, {9.9f, 0, 0, 1, 0xFF00FFFFu}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(ColourVertex)), D3D_OK);
  // Flat shading colours the triangle from its first vertex only.
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const ColourVertex tri[3] = {{40, 40, 0, 1, 0xFF102030u}, {60, 40, 0, 1, 0}, {40, 60, 0, 1, 0}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColourVertex)), D3D_OK);
  // A fan becomes a list: its two triangles cover the square.
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  const ColourVertex fan[4] = {{99.5f, 99.5f, 0, 1, 0xFF0000FFu}, {103.5f, 99.5f, 0, 1, 0xFF0000FFu},
                               {103.5f, 103.5f, 0, 1, 0xFF0000FFu}, {99.5f, 103.5f, 0, 1, 0xFF0000FFu}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ColourVertex)), D3D_OK);

  // Transformed vertices through identity transforms: clip space onto the viewport, with
  // the same whole-coordinate centres (pixels 200..203 across, 300..303 down).
  struct XyzVertex {
    float x, y, z;
    D3DCOLOR colour;
  };
  auto nx = [](float px) { return px / 320.0f - 1.0f; };
  auto ny = [](float py) { return 1.0f - py / 240.0f; };
  const D3DCOLOR g = 0xFF00FF00u;
  const XyzVertex xyz[6] = {{nx(200), ny(300), 0.5f, g}, {nx(204), ny(300), 0.5f, g}, {nx(200), ny(304), 0.5f, g},
                            {nx(204), ny(300), 0.5f, g}, {nx(204), ny(304), 0.5f, g}, {nx(200), ny(304), 0.5f, g}};
  device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->SetRenderState(D3DRS_LIGHTING, 0);  // unlit: the vertex colour as it is
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, xyz, sizeof(XyzVertex)), D3D_OK);

  const std::vector<uint32_t> px = backPixels();
  auto at = [&](int x, int y) { return rgb(px[size_t(y) * 640 + size_t(x)]); };
  for (int x = 199; x <= 204; ++x)
    for (int y = 299; y <= 304; ++y) {
      const bool inside = x >= 200 && x <= 203 && y >= 300 && y <= 303;
      EXPECT_EQ(at(x, y), inside ? 0x00FF00u : 0u) << x << "," << y;
    }
  EXPECT_EQ(at(10, 20), 0xFF0000u);
  EXPECT_EQ(at(11, 20), 0x00FF00u);
  EXPECT_EQ(at(10, 21), 0x0000FFu);
  EXPECT_EQ(at(11, 21), 0xFFFFFFu);
  for (int x = 8; x <= 13; ++x)
    for (int y = 18; y <= 23; ++y)
      if (x < 10 || x > 11 || y < 20 || y > 21) {
        EXPECT_EQ(at(x, y), 0u) << x << "," << y;
      }
  EXPECT_EQ(at(3, 4), 0xFFFF00u);
  EXPECT_EQ(at(2, 4) | at(4, 4) | at(3, 3) | at(3, 5), 0u);
  for (int x = 0; x <= 9; ++x) EXPECT_EQ(at(x, 0), 0x00FFFFu) << x;
  EXPECT_EQ(at(10, 0), 0u);
  EXPECT_EQ(at(41, 41), 0x102030u);
  EXPECT_EQ(at(45, 50), 0x102030u);
  for (int x = 100; x <= 103; ++x)
    for (int y = 100; y <= 103; ++y) EXPECT_EQ(at(x, y), 0x0000FFu) << x << "," << y;
  EXPECT_EQ(at(104, 100) | at(100, 104), 0u);
}

TEST_F(D3D9Test, PresentScalesSourceIntoDestination) {
  // Blocks of 40 x 40 pixels, each its own colour.
  auto code = [](int x, int y) { return uint32_t(x / 40 * 30) << 8 | uint32_t(y / 40 * 40); };
  Com<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
  for (int y = 0; y < 240; y += 40)
    for (int x = 0; x < 320; x += 40) {
      const RECT r{x, y, x + 40, y + 40};
      ASSERT_EQ(device->ColorFill(back.get(), &r, 0xFF000000u | code(x, y)), D3D_OK);
    }
  const RECT src{0, 0, 320, 240}, dst{0, 0, 640, 480};
  ASSERT_EQ(device->Present(&src, &dst, nullptr, nullptr), D3D_OK);
  std::vector<uint32_t> f = windowFrame();
  for (int y = 0; y < 480; y += 7)
    for (int x = 0; x < 640; x += 7) {
      ASSERT_EQ(rgb(f[size_t(y) * 640 + size_t(x)]), code(x / 2, y / 2)) << x << "," << y;
    }

  // A destination centred in the client leaves the borders as GDI painted them.
  plat::win::HDC dc = plat::win::GetDC(hwnd);
  plat::win::HBRUSH brush = plat::win::CreateSolidBrush(0x00336699);  // COLORREF: red 0x99, green 0x66, blue 0x33
  const RECT all{0, 0, 640, 480};
  plat::win::FillRect(dc, &all, brush);
  plat::win::DeleteObject(brush);
  const RECT centre{160, 120, 480, 360};
  ASSERT_EQ(device->Present(&src, &centre, nullptr, nullptr), D3D_OK);
  f = windowFrame();
  EXPECT_EQ(rgb(f[10 * 640 + 10]), 0x996633u);
  EXPECT_EQ(rgb(f[400 * 640 + 600]), 0x996633u);
  EXPECT_EQ(rgb(f[119 * 640 + 300]), 0x996633u);
  EXPECT_EQ(rgb(f[120 * 640 + 160]), 0u);
  EXPECT_EQ(rgb(f[359 * 640 + 479]), code(319, 239));

  // A source outside the back buffer is refused, and nothing is presented.
  const int before = plat::win::GetPresentCount(hwnd);
  const RECT far{0, 0, 641, 480};
  EXPECT_EQ(device->Present(&far, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(plat::win::GetPresentCount(hwnd), before);
}

// Run in a child: draws a frame and presents it with HALVORINE_FRAME_DUMP set.
TEST_F(D3D9Test, ChildDumpsPresentedFrame) {
  if (!std::getenv("D3D9_DUMP_CHILD")) GTEST_SKIP() << "runs in a child process";
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060u, 1.0f, 0);
  Com<IDirect3DSwapChain9> chain;
  ASSERT_EQ(device->GetSwapChain(0, chain.out()), D3D_OK);
  ASSERT_EQ(chain->Present(nullptr, nullptr, hwnd, nullptr, 0), D3D_OK);
}

TEST_F(D3D9Test, FrameDumpHoldsLastSwapChainPresent) {
  const std::string path = (std::filesystem::temp_directory_path() / "d3d9_frame_dump.png").string();
  std::filesystem::remove(path);
  const int status = halvorine_test::runTestInChild(
      "D3D9Test.ChildDumpsPresentedFrame",
      {"D3D9_DUMP_CHILD=1", "HALVORINE_HEADLESS=1", "HALVORINE_FRAME_DUMP=" + path});
  ASSERT_EQ(status, 0);
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  auto be32 = [&](size_t at) { return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3]; };
  EXPECT_EQ(be32(16), 640u);
  EXPECT_EQ(be32(20), 480u);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace d3d9test
