// The textured stage sets and built-in pixel shaders the graphics back end draws with,
// under random blends, alpha tests, filters, colours and shapes: the specialised spans
// give the general path's pixels, and they are taken exactly where they should be.
#include <cmath>
#include <random>
#include <string>

#include "gpu_d3d9_fixture.h"
#include "platform/gpu/pipeline.h"

namespace d3d9test {
namespace {

constexpr DWORD D = D3DTA_DIFFUSE, T = D3DTA_TEXTURE, C = D3DTA_CURRENT;

// Pixel stages: a stage-0 set (colour op and argument, alpha op and argument) or a bank
// shader. The last one is no form the spans take.
struct Form {
  const char* name;
  DWORD colourOp, colourArg, alphaOp, alphaArg;
  const char* shader;
  bool fast;
};
const Form kForms[] = {
    {"texture x diffuse", D3DTOP_MODULATE, D, D3DTOP_MODULATE, D, nullptr, true},
    {"texture x diffuse, diffuse alpha", D3DTOP_MODULATE, D, D3DTOP_SELECTARG2, D, nullptr, true},
    {"texture x diffuse, texture alpha", D3DTOP_MODULATE, D, D3DTOP_SELECTARG1, D, nullptr, true},
    {"texture", D3DTOP_SELECTARG1, D, D3DTOP_SELECTARG1, D, nullptr, true},
    {"texture, alpha x diffuse", D3DTOP_SELECTARG1, D, D3DTOP_MODULATE, D, nullptr, true},
    {"texture, diffuse alpha", D3DTOP_SELECTARG1, D, D3DTOP_SELECTARG2, D, nullptr, true},
    {"shader with texture alpha", 0, 0, 0, 0, "tex_ps_k0_v0_i0_a0", true},
    {"shader without texture alpha", 0, 0, 0, 0, "tex_ps_k0_v1_i1_a0", true},
    {"texture x diffuse x 2", D3DTOP_MODULATE2X, D, D3DTOP_MODULATE, D, nullptr, false},
};

// Framebuffer blends: enable, source, destination, operation (ONE / ZERO is the back end's
// "none" into a target with alpha).
struct BlendCase {
  const char* name;
  DWORD enable, src, dst, op;
};
const BlendCase kBlends[] = {
    {"off", 0, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},
    {"one/zero", 1, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},
    {"alpha", 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
    {"add", 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
    {"subtract", 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},
    {"multiply", 1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
};

// Alpha tests: 0 off; the functions the spans fold in; LESS, which they do not.
const DWORD kTests[] = {0, D3DCMP_GREATER, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS, D3DCMP_LESS};

class D3D9FastStageTest : public D3D9Test {
 public:
  IDirect3DTexture9* randomTexture(UINT size, D3DFORMAT format, std::mt19937& rng) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < size; ++y)
      for (UINT x = 0; x < size; ++x) {
        uint32_t w = rng();
        // Alpha 0 and 255 are the edges where tests and blends change course.
        if ((w & 7) == 0) w &= 0x00FFFFFFu;
        if ((w & 7) == 1) w |= 0xFF000000u;
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + x * 4, &w, 4);
      }
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }

  // A varied background under the drawn area: a texture stretched with every test off.
  void background(IDirect3DTexture9* t) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF5080B0u, 1.0f, 0);
    device->SetPixelShader(nullptr);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    device->SetTexture(0, t);
    pointClamp(0);
    stage(0, D3DTOP_SELECTARG1, T, D, D3DTOP_SELECTARG1, T, D);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(quad(-0.5f, -0.5f, 159.5f, 159.5f, 0xFFFFFFFFu), D3D_OK);
  }
};

TEST_F(D3D9FastStageTest, RandomStatesGiveTheGeneralPathsPixels) {
  std::mt19937 rng(56);
  Com<IDirect3DTexture9> argb, xrgb, back;
  argb.p = randomTexture(16, D3DFMT_A8R8G8B8, rng);
  xrgb.p = randomTexture(16, D3DFMT_X8R8G8B8, rng);
  back.p = randomTexture(32, D3DFMT_A8R8G8B8, rng);
  std::vector<Com<IDirect3DPixelShader9>> shaders(std::size(kForms));
  for (size_t i = 0; i < std::size(kForms); ++i) {
    if (!kForms[i].shader) continue;
    const std::vector<uint8_t> token = makeToken(ShaderStage::pixel, kForms[i].shader);
    ASSERT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(token.data()), shaders[i].out()), D3D_OK);
  }
  auto pick = [&](size_t n) { return size_t(rng() % n); };
  auto unit = [&] { return float(rng() % 10000) / 10000.0f; };
  int fastCases = 0;
  for (int round = 0; round < 600; ++round) {
    const size_t formIndex = pick(std::size(kForms));
    const Form& form = kForms[formIndex];
    const BlendCase& blend = kBlends[pick(std::size(kBlends))];
    const DWORD test = kTests[pick(std::size(kTests))];
    const DWORD reference = rng() % 3 == 0 ? 0 : rng() & 255;
    const bool linear = rng() & 1, opaqueFormat = rng() % 4 == 0;
    // The sprite's own cases (white or one draw colour, 1:1) come up more often: they take
    // the byte spans.
    static const int kColourings[] = {0, 0, 1, 1, 2}, kShapes[] = {0, 0, 1, 1, 2, 3, 4};
    const int colouring = kColourings[pick(5)], shape = kShapes[pick(7)];

    // Two triangles of a quad: 1:1 on whole or fractional pixels, stretched, turned, or
    // with a differing rhw per corner (perspective).
    const float size = 16.0f, cx = 40.0f + 80.0f * unit(), cy = 40.0f + 80.0f * unit();
    float w = size, h = size, angle = 0.0f, x0 = std::floor(cx) - 0.5f, y0 = std::floor(cy) - 0.5f;
    if (shape >= 1) x0 += unit(), y0 += unit();
    if (shape >= 2) w = 3.0f + 70.0f * unit(), h = 3.0f + 70.0f * unit();
    if (shape == 3) angle = 6.2831853f * unit();
    const bool mirrored = rng() % 4 == 0;
    const float corner[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    TexVertex q[4];
    for (int k = 0; k < 4; ++k) {
      const float dx = corner[k][0] * w - w / 2, dy = corner[k][1] * h - h / 2;
      q[k].x = x0 + w / 2 + dx * std::cos(angle) - dy * std::sin(angle);
      q[k].y = y0 + h / 2 + dx * std::sin(angle) + dy * std::cos(angle);
      q[k].z = 0.0f;
      q[k].rhw = shape == 4 ? 0.5f + 1.5f * unit() : 1.0f;
      q[k].u = mirrored ? 1.0f - corner[k][0] : corner[k][0];
      q[k].v = corner[k][1];
    }
    const D3DCOLOR flat = rng();
    for (TexVertex& v : q) v.colour = colouring == 0 ? 0xFFFFFFFFu : colouring == 1 ? flat : D3DCOLOR(rng());
    const TexVertex list[6] = {q[0], q[1], q[2], q[1], q[3], q[2]};

    std::vector<uint32_t> frames[2];
    uint64_t fastDraws = 0;
    for (int general = 0; general < 2; ++general) {
      setFastSpans(general == 0);
      background(back.get());
      device->SetTexture(0, opaqueFormat ? xrgb.get() : argb.get());
      device->SetSamplerState(0, D3DSAMP_MINFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
      device->SetSamplerState(0, D3DSAMP_MAGFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
      if (form.shader) {
        device->SetPixelShader(shaders[formIndex].get());
      } else {
        stage(0, form.colourOp, T, form.colourArg, form.alphaOp, T, form.alphaArg);
      }
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend.enable);
      device->SetRenderState(D3DRS_SRCBLEND, blend.src);
      device->SetRenderState(D3DRS_DESTBLEND, blend.dst);
      device->SetRenderState(D3DRS_BLENDOP, blend.op);
      device->SetRenderState(D3DRS_ALPHATESTENABLE, test != 0);
      device->SetRenderState(D3DRS_ALPHAFUNC, test ? test : D3DCMP_ALWAYS);
      device->SetRenderState(D3DRS_ALPHAREF, reference);
      const uint64_t before = fastSpanDraws();
      device->SetFVF(kTexFvf);
      ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, list, sizeof(TexVertex)), D3D_OK);
      if (general == 0) fastDraws = fastSpanDraws() - before;
      frames[general] = backPixels();
    }
    const std::string what = std::string(form.name) + ", " + blend.name + ", test " + std::to_string(test) + " ref " +
                             std::to_string(reference) + (linear ? ", linear" : ", point") +
                             (opaqueFormat ? ", X8R8G8B8" : "") + ", colouring " + std::to_string(colouring) +
                             ", shape " + std::to_string(shape) + (mirrored ? ", mirrored" : "");
    int differing = 0, first = -1;
    for (size_t i = 0; i < frames[0].size(); ++i)
      if (frames[0][i] != frames[1][i]) {
        if (first < 0) first = int(i);
        ++differing;
      }
    ASSERT_EQ(differing, 0) << what << ": first at (" << first % 640 << ", " << first / 640 << ") fast "
                            << std::hex << frames[0][size_t(first)] << " general " << frames[1][size_t(first)];
    const bool expectFast = form.fast && test != D3DCMP_LESS;
    EXPECT_EQ(fastDraws, expectFast ? 1u : 0u) << what;
    fastCases += expectFast;
  }
  EXPECT_GT(fastCases, 300);
  setFastSpans(true);
  device->SetPixelShader(nullptr);
}

}  // namespace
}  // namespace d3d9test
