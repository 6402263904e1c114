// The fixed-function stage combiner against the bank's pixel functions (the same pixels
// for the same quad), its operations and registers, and the output merger's blends and
// alpha tests driven by render states.
#include <random>

#include "gpu_d3d9_fixture.h"
#include "platform/gpu/pipeline.h"

namespace d3d9test {
namespace {

constexpr D3DCOLOR kFactor = 0x80306090u;

class D3D9CombinerTest : public D3D9Test {
 public:
  // A quad over (20, 20)-(60, 60) with a different colour and alpha at each corner.
  void gradientQuad() {
    const TexVertex v[6] = {{19.5f, 19.5f, 0, 1, 0x10FF2040u, 0, 0}, {59.5f, 19.5f, 0, 1, 0xF020FF80u, 1, 0},
                            {19.5f, 59.5f, 0, 1, 0x804080FFu, 0, 1}, {59.5f, 19.5f, 0, 1, 0xF020FF80u, 1, 0},
                            {59.5f, 59.5f, 0, 1, 0x00FFFFFFu, 1, 1}, {19.5f, 59.5f, 0, 1, 0x804080FFu, 0, 1}};
    device->SetFVF(kTexFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexVertex)), D3D_OK);
  }
  std::vector<uint32_t> drawWith(IDirect3DPixelShader9* ps) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0);
    device->SetPixelShader(ps);
    gradientQuad();
    device->SetPixelShader(nullptr);
    return backPixels();
  }
  Com<IDirect3DPixelShader9> bankShader(const char* name) {
    Com<IDirect3DPixelShader9> ps;
    const std::vector<uint8_t> t = makeToken(ShaderStage::pixel, name);
    EXPECT_EQ(device->CreatePixelShader(reinterpret_cast<const DWORD*>(t.data()), ps.out()), D3D_OK) << name;
    return ps;
  }
  void disableFrom(DWORD s) {
    for (DWORD i = s; i < 8; ++i) device->SetTextureStageState(i, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  std::vector<uint32_t> drawFixed() { return drawWith(nullptr); }
};

TEST_F(D3D9CombinerTest, UntexturedStageSetsMatchBankKinds) {
  Com<IDirect3DTexture9> white;
  white.p = texture(2, 2, std::vector<D3DCOLOR>(4, 0xFFFFFFFFu));
  device->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  // The back end sends the factor to c5 as blue, green, red, alpha.
  const float c5[4] = {0x90 / 255.0f, 0x60 / 255.0f, 0x30 / 255.0f, 0x80 / 255.0f};
  device->SetPixelShaderConstantF(5, c5, 1);
  const DWORD D = D3DTA_DIFFUSE, T = D3DTA_TEXTURE, C = D3DTA_CURRENT;
  for (bool fast : {true, false}) {
    setFastSpans(fast);
    for (int kind = 0; kind < 7; ++kind) {
      disableFrom(1);
      device->SetTexture(0, kind == 3 || kind == 6 ? white.get() : nullptr);
      pointClamp(0);
      switch (kind) {
        case 0: stage(0, D3DTOP_SELECTARG1, D, C, D3DTOP_SELECTARG1, D, C); break;
        case 1: stage(0, D3DTOP_BLENDDIFFUSEALPHA, D, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D, C); break;
        case 2: stage(0, D3DTOP_SELECTARG1, D | D3DTA_COMPLEMENT, C, D3DTOP_SELECTARG1, D, C); break;
        case 3: stage(0, D3DTOP_MODULATE4X, D, T, D3DTOP_SELECTARG1, D, C); break;
        case 4: stage(0, D3DTOP_MODULATE, D, D | D3DTA_ALPHAREPLICATE, D3DTOP_SELECTARG1, D, C); break;
        case 5:
          stage(0, D3DTOP_MODULATE, D | D3DTA_COMPLEMENT, D | D3DTA_ALPHAREPLICATE, D3DTOP_SELECTARG1, D, C);
          break;
        case 6:
          stage(0, D3DTOP_MODULATE4X, D, T, D3DTOP_SELECTARG1, D, C);
          stage(1, D3DTOP_MODULATE, C, D | D3DTA_ALPHAREPLICATE, D3DTOP_SELECTARG1, C, C);
          break;
      }
      const std::vector<uint32_t> fixed = drawFixed();
      char name[32];
      std::snprintf(name, sizeof name, "untex_ps_k%d_a0", kind);
      device->SetTexture(0, nullptr);
      Com<IDirect3DPixelShader9> ps = bankShader(name);
      const std::vector<uint32_t> bank = drawWith(ps.get());
      int differing = 0;
      for (size_t i = 0; i < fixed.size(); ++i) differing += fixed[i] != bank[i];
      EXPECT_EQ(differing, 0) << "kind " << kind << (fast ? " fast" : " general");
      EXPECT_NE(fixed[40 * 640 + 40], 0xFF336699u) << kind;  // the quad was drawn
    }
  }
  setFastSpans(true);
}

TEST_F(D3D9CombinerTest, TexturedKindZeroMatchesBankWithAndWithoutTextureAlpha) {
  std::mt19937 rng(7);
  std::vector<D3DCOLOR> texels(64);
  for (D3DCOLOR& t : texels) t = rng();
  Com<IDirect3DTexture9> tex;
  tex.p = texture(8, 8, texels);
  const DWORD D = D3DTA_DIFFUSE, T = D3DTA_TEXTURE;
  for (bool fast : {true, false}) {
    setFastSpans(fast);
    for (bool linear : {false, true}) {
      for (bool textureAlpha : {true, false}) {
        disableFrom(1);
        device->SetTexture(0, tex.get());
        pointClamp(0);
        if (linear) {
          device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
          device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        }
        stage(0, D3DTOP_MODULATE, T, D, textureAlpha ? D3DTOP_MODULATE : D3DTOP_SELECTARG2, T, D);
        for (bool blend : {false, true}) {
          device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
          device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
          device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
          const std::vector<uint32_t> fixed = drawFixed();
          Com<IDirect3DPixelShader9> ps = bankShader(textureAlpha ? "tex_ps_k0_v0_i0_a0" : "tex_ps_k0_v0_i1_a0");
          const std::vector<uint32_t> bank = drawWith(ps.get());
          int differing = 0;
          for (size_t i = 0; i < fixed.size(); ++i) differing += fixed[i] != bank[i];
          EXPECT_EQ(differing, 0) << "alpha " << textureAlpha << " linear " << linear << " blend " << blend
                                  << (fast ? " fast" : " general");
        }
      }
    }
  }
  setFastSpans(true);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

TEST_F(D3D9CombinerTest, OperationsRegistersAndDisabledStages) {
  Com<IDirect3DTexture9> white;
  white.p = texture(2, 2, std::vector<D3DCOLOR>(4, 0xFFFFFFFFu));
  const DWORD D = D3DTA_DIFFUSE, C = D3DTA_CURRENT, F = D3DTA_TFACTOR, T = D3DTA_TEXTURE;
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF102030u);
  struct Case {
    const char* name;
    void (*setup)(D3D9CombinerTest&, DWORD, DWORD, DWORD, DWORD);
    D3DCOLOR diffuse;
    uint32_t expected;
  } cases[] = {
      {"MODULATE4X saturates",
       [](D3D9CombinerTest& t, DWORD D, DWORD, DWORD, DWORD T) { t.stage(0, D3DTOP_MODULATE4X, D, T, D3DTOP_SELECTARG1, D, D); },
       0xFF502010u, 0xFFFF8040u},
      {"TEMP feeds a later stage",
       [](D3D9CombinerTest& t, DWORD D, DWORD C, DWORD F, DWORD) {
         t.stage(0, D3DTOP_SELECTARG1, F, C, D3DTOP_SELECTARG1, F, C);
         t.device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
         t.stage(1, D3DTOP_SELECTARG1, D, C, D3DTOP_SELECTARG1, D, C);
         t.stage(2, D3DTOP_ADD, C, D3DTA_TEMP, D3DTOP_SELECTARG1, C, C);
       },
       0xFF010203u, 0xFF112233u},
      {"a stage after DISABLE has no effect",
       [](D3D9CombinerTest& t, DWORD D, DWORD C, DWORD F, DWORD) {
         t.stage(0, D3DTOP_SELECTARG1, D, C, D3DTOP_SELECTARG1, D, C);
         t.stage(2, D3DTOP_SELECTARG1, F, C, D3DTOP_SELECTARG1, F, C);
       },
       0xFF445566u, 0xFF445566u},
      {"the default stages without a texture draw the vertex colour",
       [](D3D9CombinerTest& t, DWORD, DWORD C, DWORD, DWORD T) {
         t.device->SetTexture(0, nullptr);
         t.stage(0, D3DTOP_MODULATE, T, C, D3DTOP_SELECTARG1, T, C);
       },
       0xFF7F3F1Fu, 0xFF7F3F1Fu},
      {"MODULATE2X",
       [](D3D9CombinerTest& t, DWORD D, DWORD C, DWORD F, DWORD) { t.stage(0, D3DTOP_MODULATE2X, D, F, D3DTOP_SELECTARG1, D, C); },
       0xFF808080u, 0xFF102030u},
      {"SUBTRACT clamps at zero, BLENDFACTORALPHA",
       [](D3D9CombinerTest& t, DWORD D, DWORD C, DWORD F, DWORD) {
         t.stage(0, D3DTOP_SUBTRACT, D, F, D3DTOP_SELECTARG1, D, C);
         t.stage(1, D3DTOP_BLENDFACTORALPHA, C, F, D3DTOP_SELECTARG1, C, C);
       },
       0xFF2F1010u, 0xFF1F0000u},
  };
  for (const Case& c : cases) {
    for (DWORD s = 0; s < 8; ++s) {
      device->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_DISABLE);
      device->SetTextureStageState(s, D3DTSS_RESULTARG, D3DTA_CURRENT);
    }
    device->SetTexture(0, white.get());
    pointClamp(0);
    c.setup(*this, D, C, F, T);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ASSERT_EQ(quad(9.5f, 9.5f, 13.5f, 13.5f, c.diffuse), D3D_OK);
    EXPECT_EQ(rgb(backPixels()[11 * 640 + 11]), rgb(c.expected)) << c.name;
  }
}

TEST_F(D3D9CombinerTest, OutputMergerFollowsRenderStates) {
  const DWORD D = D3DTA_DIFFUSE, C = D3DTA_CURRENT;
  device->SetTexture(0, nullptr);
  stage(0, D3DTOP_SELECTARG1, D, C, D3DTOP_SELECTARG1, D, C);
  struct Case {
    const char* name;
    DWORD blend, src, dst, op, test, func, ref;
    D3DCOLOR source;
    uint32_t expected;  // over the background 0x4080C0
  } cases[] = {
      {"ZERO/INVDESTCOLOR", 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0, 0, 0, 0xFFFF8040u, 0xBF4010u},
      {"SRCCOLOR/ZERO", 1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD, 0, 0, 0, 0xFFFF8040u, 0x404030u},
      {"REVSUBTRACT", 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0, 0, 0, 0x80204080u, 0x306080u},
      {"GREATER 0 drops 0", 0, 0, 0, 0, 1, D3DCMP_GREATER, 0, 0x00FFFFFFu, 0x4080C0u},
      {"GREATER 0 keeps 1", 0, 0, 0, 0, 1, D3DCMP_GREATER, 0, 0x01FFFFFFu, 0xFFFFFFu},
      {"GREATEREQUAL 128 drops 127", 0, 0, 0, 0, 1, D3DCMP_GREATEREQUAL, 128, 0x7FFFFFFFu, 0x4080C0u},
      {"GREATEREQUAL 128 keeps 128", 0, 0, 0, 0, 1, D3DCMP_GREATEREQUAL, 128, 0x80FFFFFFu, 0xFFFFFFu},
      {"EQUAL 0 keeps 0", 0, 0, 0, 0, 1, D3DCMP_EQUAL, 0, 0x00FFFFFFu, 0xFFFFFFu},
      {"EQUAL 0 drops 1", 0, 0, 0, 0, 1, D3DCMP_EQUAL, 0, 0x01FFFFFFu, 0x4080C0u},
  };
  for (const Case& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF4080C0u, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, c.blend);
    if (c.blend) {
      device->SetRenderState(D3DRS_SRCBLEND, c.src);
      device->SetRenderState(D3DRS_DESTBLEND, c.dst);
      device->SetRenderState(D3DRS_BLENDOP, c.op);
    }
    device->SetRenderState(D3DRS_ALPHATESTENABLE, c.test);
    device->SetRenderState(D3DRS_ALPHAFUNC, c.func);
    device->SetRenderState(D3DRS_ALPHAREF, c.ref);
    ASSERT_EQ(quad(9.5f, 9.5f, 13.5f, 13.5f, c.source), D3D_OK);
    EXPECT_EQ(rgb(backPixels()[11 * 640 + 11]), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace d3d9test
