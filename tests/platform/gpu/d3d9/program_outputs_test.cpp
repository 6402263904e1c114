// Program outputs past the first colour through the Direct3D 9 face: the fog factor a
// vertex program writes feeds the fog blend (model 2 pixel stages are fogged after them as
// the combiner is, model 3 programs are not), further colours reach the render targets
// bound beside the first, and a written depth is what the depth test compares and keeps.
#include "gpu_d3d9_fixture.h"
#include "tests/platform/gpu/shaders/shader_vm_fixture.h"

namespace d3d9test {
namespace {

class D3D9ProgramOutputs : public D3D9Test {
 public:
  template <class Shader>
  Com<Shader> program(const std::string& text) {
    const std::vector<uint32_t> w = vmtest::assembled(text);
    Com<Shader> s;
    const auto* code = reinterpret_cast<const DWORD*>(w.data());
    if constexpr (std::is_same_v<Shader, IDirect3DPixelShader9>)
      EXPECT_EQ(device->CreatePixelShader(code, s.out()), D3D_OK) << Direct3DShaderRefusal();
    else
      EXPECT_EQ(device->CreateVertexShader(code, s.out()), D3D_OK) << Direct3DShaderRefusal();
    return s;
  }
  std::vector<uint32_t> pixelsOf(IDirect3DSurface9* target) {
    Com<IDirect3DSurface9> copy;
    EXPECT_EQ(device->CreateOffscreenPlainSurface(640, 480, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, copy.out(), nullptr),
              D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(target, copy.get()), D3D_OK);
    return surfacePixels(copy.get());
  }
  // A pre-transformed quad from (0, 0) to (64, 64) at depth z; the specular alpha is the
  // fixed stage's fog factor.
  void flatQuad(float z, D3DCOLOR colour, D3DCOLOR specular = 0xFFFFFFFFu) {
    struct V {
      float x, y, z, rhw;
      D3DCOLOR diffuse, specular;
    };
    const V v[4] = {{0, 0, z, 1, colour, specular},
                    {64, 0, z, 1, colour, specular},
                    {0, 64, z, 1, colour, specular},
                    {64, 64, z, 1, colour, specular}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  }
};

constexpr const char* kFlat2 = "ps_2_0\nmov oC0, c0\n";
constexpr const char* kFlat3 = "ps_3_0\nmov oC0, c0\n";

TEST_F(D3D9ProgramOutputs, FogFactorOfAVertexProgramFeedsTheFogBlend) {
  // Clip-space positions straight through; the factor from c4.x, or none.
  Com<IDirect3DVertexShader9> fogging =
      program<IDirect3DVertexShader9>("vs_2_0\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1\n"
                                      "mov oFog, c4.x\n");
  Com<IDirect3DVertexShader9> silent =
      program<IDirect3DVertexShader9>("vs_2_0\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1\n");
  Com<IDirect3DVertexShader9> model3 = program<IDirect3DVertexShader9>(
      "vs_3_0\ndcl_position v0\ndcl_color v1\ndcl_position o0\ndcl_color o1\ndcl_fog o2\nmov o0, v0\n"
      "mov o1, v1\nmov o2, c4.x\n");
  Com<IDirect3DPixelShader9> flat2 = program<IDirect3DPixelShader9>(kFlat2);
  Com<IDirect3DPixelShader9> flat3 = program<IDirect3DPixelShader9>(kFlat3);
  const float white[4] = {1, 1, 1, 1}, quarter[4] = {0.25f, 0, 0, 0};
  device->SetPixelShaderConstantF(0, white, 1);
  device->SetVertexShaderConstantF(4, quarter, 1);
  device->SetRenderState(D3DRS_FOGCOLOR, 0xFF000000u);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
  struct Case {
    const char* name;
    IDirect3DVertexShader9* vs;  // null: pre-transformed vertices, factor in the specular alpha
    IDirect3DPixelShader9* ps;   // null: the combiner
    DWORD fog;
    uint32_t want;               // 0x404040: fogged by a quarter toward black
  };
  const Case cases[] = {
      {"program factor, model 2 pixel program", fogging.get(), flat2.get(), 1, 0x404040u},
      {"program factor, combiner", fogging.get(), nullptr, 1, 0x404040u},
      {"program factor, model 3 pixel program", fogging.get(), flat3.get(), 1, 0xFFFFFFu},
      {"program factor, fog off", fogging.get(), flat2.get(), 0, 0xFFFFFFu},
      {"no factor written", silent.get(), flat2.get(), 1, 0xFFFFFFu},
      {"model 3 vertex program's fog output", model3.get(), flat2.get(), 1, 0x404040u},
      {"fixed factor, model 2 pixel program", nullptr, flat2.get(), 1, 0x404040u},
      {"fixed factor, model 3 pixel program", nullptr, flat3.get(), 1, 0xFFFFFFu},
  };
  for (int round = 0; round < 2; ++round)
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0);
      device->SetRenderState(D3DRS_FOGENABLE, c.fog);
      device->SetVertexShader(c.vs);
      device->SetPixelShader(c.ps);
      if (c.vs) {
        struct V {
          float x, y, z;
          D3DCOLOR c;
        };
        const V v[4] = {{-1, 1, 0.5f, 0xFFFFFFFFu}, {0, 1, 0.5f, 0xFFFFFFFFu}, {-1, 0, 0.5f, 0xFFFFFFFFu},
                        {0, 0, 0.5f, 0xFFFFFFFFu}};
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
      } else {
        flatQuad(0.5f, 0xFFFFFFFFu, 0x40FFFFFFu);
      }
      const std::vector<uint32_t> f = backPixels();
      EXPECT_EQ(rgb(f[640 * 10 + 10]), c.want);
      EXPECT_EQ(rgb(f[640 * 400 + 600]), 0x102030u);  // outside the quad
    }
  device->SetRenderState(D3DRS_FOGENABLE, 0);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
}

TEST_F(D3D9ProgramOutputs, FurtherColoursReachTheTargetsBoundBesideTheFirst) {
  Com<IDirect3DSurface9> extra[3];
  for (auto& s : extra)
    ASSERT_EQ(device->CreateRenderTarget(640, 480, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 0, s.out(), nullptr),
              D3D_OK);
  const std::string body = "def c0, 1, 0, 0, 1\ndef c1, 0, 1, 0, 1\ndef c2, 0, 0, 1, 1\ndef c3, 1, 1, 0, 1\n";
  Com<IDirect3DPixelShader9> four2 =
      program<IDirect3DPixelShader9>("ps_2_0\n" + body + "mov oC0, c0\nmov oC1, c1\nmov oC2, c2\nmov oC3, c3\n");
  // Model 3, through a branch taken per pixel: the further colours come from the same quad.
  Com<IDirect3DPixelShader9> four3 = program<IDirect3DPixelShader9>(
      "ps_3_0\n" + body + "dcl vPos.xy\ndef c4, 32, 0, 0, 0\nmov oC0, c0\nmov oC1, c1\nmov oC2, c2\n"
      "if_lt vPos.x, c4.x\nmov oC3, c3\nelse\nmov oC3, c0\nendif\n");
  Com<IDirect3DPixelShader9> first = program<IDirect3DPixelShader9>("ps_2_0\ndef c0, 1, 1, 1, 1\nmov oC0, c0\n");
  struct Case {
    const char* name;
    IDirect3DPixelShader9* ps;
    bool bound[3];  // targets 1..3
    uint32_t want[3];  // at (10, 10); 0x808080 untouched
    uint32_t wantRight3;  // target 3 at (40, 10)
  };
  const Case cases[] = {
      {"model 2, all bound", four2.get(), {true, true, true}, {0x00FF00u, 0x0000FFu, 0xFFFF00u}, 0xFFFF00u},
      {"model 2, target 2 left out", four2.get(), {true, false, true}, {0x00FF00u, 0x808080u, 0xFFFF00u}, 0xFFFF00u},
      {"model 3, branch per pixel", four3.get(), {true, true, true}, {0x00FF00u, 0x0000FFu, 0xFFFF00u}, 0xFF0000u},
      {"first colour only", first.get(), {true, true, true}, {0x808080u, 0x808080u, 0x808080u}, 0x808080u},
  };
  Com<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int t = 0; t < 3; ++t) {
      ASSERT_EQ(device->ColorFill(extra[t].get(), nullptr, 0xFF808080u), D3D_OK);
      ASSERT_EQ(device->SetRenderTarget(DWORD(t + 1), c.bound[t] ? extra[t].get() : nullptr), D3D_OK);
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->SetPixelShader(c.ps);
    flatQuad(0.0f, 0xFFFFFFFFu);
    for (int t = 1; t < 4; ++t) device->SetRenderTarget(DWORD(t), nullptr);
    const std::vector<uint32_t> f = backPixels();
    EXPECT_EQ(rgb(f[640 * 10 + 10]), c.ps == first.get() ? 0xFFFFFFu : 0xFF0000u);
    for (int t = 0; t < 3; ++t) {
      const std::vector<uint32_t> p = pixelsOf(extra[t].get());
      EXPECT_EQ(rgb(p[640 * 10 + 10]), c.want[t]) << "target " << t + 1;
      EXPECT_EQ(rgb(p[640 * 100 + 100]), 0x808080u) << "target " << t + 1;  // outside the quad
    }
    EXPECT_EQ(rgb(pixelsOf(extra[2].get())[640 * 10 + 40]), c.wantRight3);
  }
  device->SetPixelShader(nullptr);
}

TEST_F(D3D9ProgramOutputs, WrittenDepthIsTestedAndKept) {
  Com<IDirect3DSurface9> depth;
  ASSERT_EQ(device->CreateDepthStencilSurface(640, 480, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, 0, depth.out(), nullptr),
            D3D_OK);
  ASSERT_EQ(device->SetDepthStencilSurface(depth.get()), D3D_OK);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
  // Red at the depth in c1.x, whatever depth the vertices give.
  Com<IDirect3DPixelShader9> writes2 =
      program<IDirect3DPixelShader9>("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\nmov oDepth, c1.x\n");
  Com<IDirect3DPixelShader9> writes3 =
      program<IDirect3DPixelShader9>("ps_3_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\nmov oDepth, c1.x\n");
  Com<IDirect3DPixelShader9> plain = program<IDirect3DPixelShader9>("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n");
  struct Case {
    const char* name;
    IDirect3DPixelShader9* ps;
    float written;
    bool red;  // the red quad (vertex depth 0.5) wins against green at 0.3, either order
  };
  const Case cases[] = {
      {"nearer than green", writes2.get(), 0.2f, true},  {"farther than green", writes2.get(), 0.4f, false},
      {"model 3, nearer", writes3.get(), 0.1f, true},    {"model 3, farther", writes3.get(), 0.9f, false},
      {"below the range", writes2.get(), -3.0f, true},   {"above the range", writes2.get(), 7.0f, false},
      {"vertex depth", plain.get(), 0.0f, false},
  };
  for (const Case& c : cases)
    for (const bool redFirst : {true, false}) {
      SCOPED_TRACE(testing::Message() << c.name << (redFirst ? ", red first" : ", green first"));
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
      const float written[4] = {c.written, 0, 0, 0};
      device->SetPixelShaderConstantF(1, written, 1);
      for (int k = 0; k < 2; ++k) {
        if ((k == 0) == redFirst) {
          device->SetPixelShader(c.ps);
          flatQuad(0.5f, 0xFFFFFFFFu);
        } else {
          device->SetPixelShader(nullptr);
          flatQuad(0.3f, 0xFF00FF00u);
        }
      }
      EXPECT_EQ(rgb(backPixels()[640 * 10 + 10]), c.red ? 0xFF0000u : 0x00FF00u);
    }
  device->SetPixelShader(nullptr);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetDepthStencilSurface(nullptr);
}

// On multisampled targets every sample of a pixel takes the program's further colour and
// its own depth.
TEST_F(D3D9ProgramOutputs, MultisampledTargetsTakeTheOutputsOnEverySample) {
  Com<IDirect3DSurface9> targets[2], resolved[2], depth;
  for (int t = 0; t < 2; ++t) {
    ASSERT_EQ(device->CreateRenderTarget(640, 480, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, 0, targets[t].out(),
                                         nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateRenderTarget(640, 480, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 0, resolved[t].out(),
                                         nullptr),
              D3D_OK);
  }
  ASSERT_EQ(device->CreateDepthStencilSurface(640, 480, D3DFMT_D24S8, D3DMULTISAMPLE_4_SAMPLES, 0, 0, depth.out(),
                                              nullptr),
            D3D_OK);
  Com<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
  Com<IDirect3DPixelShader9> ps = program<IDirect3DPixelShader9>(
      "ps_2_0\ndef c0, 1, 0, 0, 1\ndef c2, 0, 0, 1, 1\nmov oC0, c0\nmov oC1, c2\nmov oDepth, c1.x\n");
  stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
  for (const float written : {0.2f, 0.4f, 0.1f}) {
    SCOPED_TRACE(written);
    ASSERT_EQ(device->SetRenderTarget(0, targets[0].get()), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(1, targets[1].get()), D3D_OK);
    ASSERT_EQ(device->SetDepthStencilSurface(depth.get()), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080u, 1.0f, 0);
    ASSERT_EQ(device->ColorFill(targets[1].get(), nullptr, 0xFF808080u), D3D_OK);
    device->SetPixelShader(nullptr);
    flatQuad(0.3f, 0xFF00FF00u);
    const float c1[4] = {written, 0, 0, 0};
    device->SetPixelShaderConstantF(1, c1, 1);
    device->SetPixelShader(ps.get());
    flatQuad(0.5f, 0xFFFFFFFFu);
    device->SetPixelShader(nullptr);
    device->SetRenderTarget(1, nullptr);
    ASSERT_EQ(device->SetRenderTarget(0, back.get()), D3D_OK);
    device->SetDepthStencilSurface(nullptr);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    for (int t = 0; t < 2; ++t)
      ASSERT_EQ(device->StretchRect(targets[t].get(), nullptr, resolved[t].get(), nullptr, D3DTEXF_NONE), D3D_OK);
    const bool nearer = written < 0.3f;
    // Inside the quad every sample is covered: the resolve gives the colour itself.
    EXPECT_EQ(rgb(pixelsOf(resolved[0].get())[640 * 10 + 10]), nearer ? 0xFF0000u : 0x00FF00u);
    EXPECT_EQ(rgb(pixelsOf(resolved[1].get())[640 * 10 + 10]), nearer ? 0x0000FFu : 0x808080u);
  }
}

}  // namespace
}  // namespace d3d9test
