// Draws with model 2 and 3 programs through the Direct3D 9 face, cross-checked against the
// fixed stages: the textured modulate program equals the combiner, a transforming vertex
// program covers the fixed transform's pixels, a loop equals its unrolled form, texture
// reads of computed coordinates pick the fixed path's mip level, and derivatives of a ramp
// are its slope on every pixel.
#include <cmath>
#include <functional>
#include <random>

#include "gpu_d3d9_fixture.h"
#include "tests/platform/gpu/shaders/shader_vm_fixture.h"

namespace d3d9test {
namespace {

class D3D9ProgramTest : public D3D9Test {
 public:
  Com<IDirect3DPixelShader9> pixelProgram(const std::string& text) {
    const std::vector<uint32_t> w = vmtest::assembled(text);
    Com<IDirect3DPixelShader9> ps;
    EXPECT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(w.data()), ps.out()), D3D_OK)
        << Direct3DShaderRefusal();
    return ps;
  }
  Com<IDirect3DVertexShader9> vertexProgram(const std::string& text) {
    const std::vector<uint32_t> w = vmtest::assembled(text);
    Com<IDirect3DVertexShader9> vs;
    EXPECT_EQ(device->CreateVertexShader(reinterpret_cast<const DWORD*>(w.data()), vs.out()), D3D_OK)
        << Direct3DShaderRefusal();
    return vs;
  }
  std::string shaderText(const char* name) { return vmtest::readText(vmtest::shaderDir() + "/" + name); }

  IDirect3DTexture9* noiseTexture(UINT size, std::mt19937& rng) {
    std::vector<D3DCOLOR> t(size_t(size) * size);
    for (D3DCOLOR& c : t) c = D3DCOLOR(rng());
    return texture(size, size, t);
  }
  // A quad of varying colours with texture coordinates 0..1 over it.
  void colouredQuad(float x0, float y0, float x1, float y1) {
    const TexVertex v[6] = {{x0, y0, 0, 1, 0xFF40C080u, 0, 0}, {x1, y0, 0, 1, 0x80FF2010u, 1, 0},
                            {x0, y1, 0, 1, 0xC01080FFu, 0, 1}, {x1, y0, 0, 1, 0x80FF2010u, 1, 0},
                            {x1, y1, 0, 1, 0x20FFFFFFu, 1, 1}, {x0, y1, 0, 1, 0xC01080FFu, 0, 1}};
    device->SetFVF(kTexFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexVertex)), D3D_OK);
  }
  std::vector<uint32_t> frameOf(const std::function<void()>& draw) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF302010u, 1.0f, 0);
    draw();
    return backPixels();
  }
};

TEST_F(D3D9ProgramTest, TexturedModulateEqualsTheCombiner) {
  std::mt19937 rng(7);
  Com<IDirect3DTexture9> tex;
  tex.p = noiseTexture(16, rng);
  device->SetTexture(0, tex.get());
  Com<IDirect3DPixelShader9> ps = pixelProgram(shaderText("textured_modulate.asm"));
  stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR})
    for (DWORD blend : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << "filter " << filter << " blend " << blend);
      device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
      device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
      device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
      const auto draw = [&] { colouredQuad(13.0f, 7.0f, 113.0f, 77.0f); };
      device->SetPixelShader(nullptr);
      const std::vector<uint32_t> fixed = frameOf(draw);
      ASSERT_EQ(device->SetPixelShader(ps.get()), D3D_OK);
      const std::vector<uint32_t> program = frameOf(draw);
      EXPECT_EQ(fixed, program);
      // Unbinding the program draws with the fixed stages again.
      device->SetPixelShader(nullptr);
      EXPECT_EQ(frameOf(draw), fixed);
    }
}

TEST_F(D3D9ProgramTest, VertexProgramCoversTheFixedTransform) {
  // A perspective projection of a tilted quad.
  D3DMATRIX m{};
  const float proj[4][4] = {{1.2f, 0.1f, 0, 0}, {-0.2f, 1.5f, 0, 0}, {0.1f, 0.2f, 1.01f, 1}, {0.05f, -0.1f, 1.5f, 3.0f}};
  std::memcpy(m.m, proj, sizeof proj);
  D3DMATRIX id{};
  for (int k = 0; k < 4; ++k) id.m[k][k] = 1.0f;
  struct V {
    float x, y, z;
    D3DCOLOR c;
  };
  const V quadV[6] = {{-1, -1, 0.5f, 0xFFFFFFFFu}, {1, -1, 1.5f, 0xFFFFFFFFu}, {-1, 1, 0.5f, 0xFFFFFFFFu},
                      {1, -1, 1.5f, 0xFFFFFFFFu},  {1, 1, 1.0f, 0xFFFFFFFFu},  {-1, 1, 0.5f, 0xFFFFFFFFu}};
  const auto draw = [&] {
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quadV, sizeof(V)), D3D_OK);
  };
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetTransform(D3DTS_WORLD, &m);
  device->SetTransform(D3DTS_VIEW, &id);
  device->SetTransform(D3DTS_PROJECTION, &id);
  stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
  const std::vector<uint32_t> fixed = frameOf(draw);

  Com<IDirect3DVertexShader9> vs = vertexProgram(shaderText("world_view_projection.asm"));
  Com<IDirect3DPixelShader9> ps = pixelProgram(shaderText("flat_colour.asm"));
  float columns[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) columns[r][c] = proj[c][r];
  device->SetVertexShaderConstantF(0, &columns[0][0], 4);
  const float white[4] = {1, 1, 1, 1};
  device->SetPixelShaderConstantF(0, white, 1);
  ASSERT_EQ(device->SetVertexShader(vs.get()), D3D_OK);
  ASSERT_EQ(device->SetPixelShader(ps.get()), D3D_OK);
  const std::vector<uint32_t> program = frameOf(draw);
  size_t covered = 0;
  for (size_t i = 0; i < fixed.size(); ++i) covered += rgb(fixed[i]) == 0xFFFFFFu;
  EXPECT_GT(covered, 1000u);
  EXPECT_EQ(fixed, program);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
}

TEST_F(D3D9ProgramTest, BlurLoopEqualsUnrolled) {
  std::mt19937 rng(11);
  Com<IDirect3DTexture9> tex;
  tex.p = noiseTexture(32, rng);
  device->SetTexture(0, tex.get());
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  float c[21][4] = {};
  const float weights[7] = {0.05f, 0.1f, 0.2f, 0.3f, 0.2f, 0.1f, 0.05f};
  for (int k = 0; k < 7; ++k) {
    c[k][0] = weights[k];
    c[10 + k][0] = float(k - 3) / 32.0f;
  }
  device->SetPixelShaderConstantF(0, &c[0][0], 21);
  Com<IDirect3DPixelShader9> loop = pixelProgram(shaderText("blur_loop.asm"));
  Com<IDirect3DPixelShader9> unrolled = pixelProgram(shaderText("blur_unrolled.asm"));
  const auto draw = [&] { colouredQuad(0.0f, 0.0f, 64.0f, 64.0f); };
  ASSERT_EQ(device->SetPixelShader(loop.get()), D3D_OK);
  const std::vector<uint32_t> a = frameOf(draw);
  ASSERT_EQ(device->SetPixelShader(unrolled.get()), D3D_OK);
  const std::vector<uint32_t> b = frameOf(draw);
  EXPECT_EQ(a, b);
  EXPECT_NE(a[640 * 10 + 10], 0xFF302010u);
  device->SetPixelShader(nullptr);
}

TEST_F(D3D9ProgramTest, ComputedCoordinatePicksTheFixedMipLevel) {
  // Four levels of one flat colour each.
  Com<IDirect3DTexture9> tex;
  ASSERT_EQ(device->CreateTexture(64, 64, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex.out(), nullptr), D3D_OK);
  const D3DCOLOR colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
  for (UINT level = 0; level < 4; ++level) {
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(tex->LockRect(level, &lr, nullptr, 0), D3D_OK);
    const UINT size = 64u >> level;
    for (UINT y = 0; y < size; ++y)
      for (UINT x = 0; x < size; ++x)
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + 4 * x, &colours[level], 4);
    tex->UnlockRect(level);
  }
  device->SetTexture(0, tex.get());
  pointClamp(0);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  // The program scales its coordinate by c0.x; the fixed path gets the scaled coordinate
  // as its varying.
  Com<IDirect3DPixelShader9> ps =
      pixelProgram("ps_3_0\ndcl_texcoord0 v0.xy\ndcl_2d s0\nmul r0.xy, v0, c0.x\ntexld r1, r0, s0\nmov oC0, r1\n");
  for (float scale : {0.5f, 1.0f, 2.0f, 4.0f, 8.0f}) {
    SCOPED_TRACE(scale);
    device->SetPixelShader(nullptr);
    const std::vector<uint32_t> fixed = frameOf([&] { quad(0, 0, 32, 32, 0xFFFFFFFFu, 0, 0, scale, scale); });
    const float c0[4] = {scale, 0, 0, 0};
    device->SetPixelShaderConstantF(0, c0, 1);
    ASSERT_EQ(device->SetPixelShader(ps.get()), D3D_OK);
    const std::vector<uint32_t> program = frameOf([&] { quad(0, 0, 32, 32, 0xFFFFFFFFu); });
    EXPECT_EQ(fixed[640 * 5 + 5], program[640 * 5 + 5]);
    EXPECT_EQ(fixed, program);
  }
  device->SetPixelShader(nullptr);
}

TEST_F(D3D9ProgramTest, DerivativesOfARampOnEveryPixel) {
  // u = x / 64 and v = y / 32 over a triangle: dsx(u) * 64 and dsy(v) * 32 are 1 everywhere,
  // pixels on the edges included.
  Com<IDirect3DPixelShader9> ps = pixelProgram(
      "ps_3_0\ndcl_texcoord0 v0.xy\ndef c1, 64, 32, 0, 1\ndsx r0, v0\ndsy r1, v0\nmul r2.x, r0.x, c1.x\n"
      "mul r2.y, r1.y, c1.y\nmov r2.zw, c1.w\nmov oC0, r2\n");
  ASSERT_EQ(device->SetPixelShader(ps.get()), D3D_OK);
  const float x0 = 3, y0 = 2, x1 = 90, y1 = 61;
  const TexVertex v[3] = {{x0, y0, 0, 1, 0xFFFFFFFFu, x0 / 64, y0 / 32},
                          {x1, y0 + 10, 0, 1, 0xFFFFFFFFu, x1 / 64, (y0 + 10) / 32},
                          {x0 + 20, y1, 0, 1, 0xFFFFFFFFu, (x0 + 20) / 64, y1 / 32}};
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0);
  device->SetFVF(kTexFvf);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(TexVertex)), D3D_OK);
  const std::vector<uint32_t> f = backPixels();
  int covered = 0;
  for (uint32_t p : f) {
    if ((p & 0xFF) == 0) continue;  // blue marks the triangle's pixels
    ++covered;
    EXPECT_NEAR(double((p >> 16) & 0xFF), 255.0, 1.0);
    EXPECT_NEAR(double((p >> 8) & 0xFF), 255.0, 1.0);
  }
  EXPECT_GT(covered, 1000);
  device->SetPixelShader(nullptr);
}

// The Invert and Mono programs against the bank's filter functions of the same effect,
// both reading their constants from the pixel-shader registers.
TEST_F(D3D9ProgramTest, FilterProgramsEqualTheBanksFilters) {
  std::mt19937 rng(13);
  Com<IDirect3DTexture9> tex;
  tex.p = noiseTexture(32, rng);
  device->SetTexture(0, tex.get());
  pointClamp(0);
  const float mono[2][4] = {{0.299f, 0.587f, 0.114f, 0}, {0.1f, -0.05f, 0.2f, 0}};
  device->SetPixelShaderConstantF(0, &mono[0][0], 2);
  for (const char* name : {"Invert", "Mono"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> token = makeToken(ShaderStage::pixel, name);
    Com<IDirect3DPixelShader9> bank;
    ASSERT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(token.data()), bank.out()), D3D_OK);
    Com<IDirect3DPixelShader9> program = pixelProgram(shaderText(name[0] == 'I' ? "invert.asm" : "mono.asm"));
    const auto draw = [&] { colouredQuad(0.0f, 0.0f, 96.0f, 64.0f); };
    ASSERT_EQ(device->SetPixelShader(bank.get()), D3D_OK);
    const std::vector<uint32_t> a = frameOf(draw);
    ASSERT_EQ(device->SetPixelShader(program.get()), D3D_OK);
    const std::vector<uint32_t> b = frameOf(draw);
    EXPECT_EQ(a, b);
    EXPECT_NE(a[640 * 10 + 10], 0xFF302010u);  // drawn, not the clear colour
  }
  device->SetPixelShader(nullptr);
}

// Two loops of 255 nested run to their end on every pixel; a third around them could run
// past the device's instruction limit, and such code is refused when it is made.
TEST_F(D3D9ProgramTest, NestedLoopsOfTheLargestCountRunThrough) {
  const std::string loops = "ps_3_0\ndefi i1, 255, 0, 0, 0\ndef c1, 0.0001, 0.0001, 0.0001, 0.0001\nmov r0, c0\n";
  Com<IDirect3DPixelShader9> two =
      pixelProgram(loops + "rep i1\nrep i1\nadd r0, r0, c1\nendrep\nendrep\nmov oC0, r0\n");
  const float black[4] = {0, 0, 0, 0};
  device->SetPixelShaderConstantF(0, black, 1);
  ASSERT_EQ(device->SetPixelShader(two.get()), D3D_OK);
  const std::vector<uint32_t> drawn = frameOf([&] { quad(0, 0, 4, 4, 0xFFFFFFFFu); });
  // 65,025 additions of 0.0001 make about 6.5: every channel saturates.
  EXPECT_EQ(drawn[640 * 1 + 1], 0xFFFFFFFFu);
  device->SetPixelShader(nullptr);

  const std::string three = loops + "rep i1\nrep i1\nrep i1\nadd r0, r0, c1\nendrep\nendrep\nendrep\nmov oC0, r0\n";
  std::vector<uint32_t> w;
  std::string err;
  ASSERT_TRUE(halvorine::shaderasm::assemble(three, w, err)) << err;
  Com<IDirect3DPixelShader9> ps;
  EXPECT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(w.data()), ps.out()), D3DERR_INVALIDCALL);
  EXPECT_NE(std::string(Direct3DShaderRefusal()).find("limit"), std::string::npos) << Direct3DShaderRefusal();
}

TEST_F(D3D9ProgramTest, RefusedCodeSaysWhy) {
  const std::vector<uint32_t> model1 = {0xFFFF0104u, 0x0000FFFFu};
  Com<IDirect3DPixelShader9> ps;
  EXPECT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(model1.data()), ps.out()), D3DERR_INVALIDCALL);
  EXPECT_NE(std::string(Direct3DShaderRefusal()).find("model 1"), std::string::npos);
  // A pixel program offered as a vertex shader.
  const std::vector<uint32_t> pixel = vmtest::assembled("ps_3_0\nmov oC0, c0\n");
  Com<IDirect3DVertexShader9> vs;
  EXPECT_EQ(device->CreateVertexShader(reinterpret_cast<const DWORD*>(pixel.data()), vs.out()), D3DERR_INVALIDCALL);
  EXPECT_NE(std::string(Direct3DShaderRefusal()).find("pixel program"), std::string::npos);
  EXPECT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(pixel.data()), ps.out()), D3D_OK);
  EXPECT_STREQ(Direct3DShaderRefusal(), "");
}

}  // namespace
}  // namespace d3d9test
