// Shader-model 4 bytecode through the Direct3D 11 face: programs beside the bank's
// functions give the same pixels, input layouts are checked against the program's input
// signature, and refused bytecode says why.
#include <cstring>
#include <fstream>
#include <sstream>

#include "face_fixture.h"
#include "platform/gpu/d3d11/gpu_d3d11.h"
#include "tools/shaderasm/shader_asm.h"

namespace facetest {
namespace {

struct Corner {  // position, colour, texture coordinates
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

std::vector<uint8_t> blobFromFile(const char* name) {
  std::ifstream f(std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/dxbc/" + name);
  std::ostringstream s;
  s << f.rdbuf();
  std::vector<uint32_t> w;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(s.str(), w, err)) << name << ": " << err;
  std::vector<uint8_t> b(w.size() * 4);
  std::memcpy(b.data(), w.data(), b.size());
  return b;
}

class ProgramTest : public FaceTest {
 protected:
  void SetUp() override {
    FaceTest::SetUp();
    target.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 32, 32, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET);
    ASSERT_EQ(device->CreateRenderTargetView(target.get(), nullptr, rtv.out()), S_OK);
    D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_NONE, 0, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(device->CreateRasterizerState(&rd, raster.out()), S_OK);
    D3D11_SAMPLER_DESC smp{D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_WRAP, D3D11_TEXTURE_ADDRESS_WRAP,
                           D3D11_TEXTURE_ADDRESS_WRAP, 0, 1, D3D11_COMPARISON_NEVER, {0, 0, 0, 0}, 0, 1000};
    ASSERT_EQ(device->CreateSamplerState(&smp, sampler.out()), S_OK);
    uint8_t texels[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
      const uint8_t t[4] = {uint8_t(i * 16), uint8_t(255 - i * 13), uint8_t(i * 7 + 3), uint8_t(128 + i * 8)};
      std::memcpy(texels + i * 4, t, 4);
    }
    tex.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, texels, 16);
    ASSERT_EQ(device->CreateShaderResourceView(tex.get(), nullptr, srv.out()), S_OK);
    const float vsConstants[16] = {2.0f / 32, 0, 0, -1, 0, -2.0f / 32, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    vcb.p = buffer(vsConstants, sizeof vsConstants, D3D11_BIND_CONSTANT_BUFFER);
    float psConstants[12] = {};
    psConstants[5] = -1.0f;  // the bank's alpha reference: everything passes
    pcb.p = buffer(psConstants, sizeof psConstants, D3D11_BIND_CONSTANT_BUFFER);
    // A triangle with slanted edges and a colour per corner, texture coordinates past 1.
    const Corner tri[3] = {{2.3f, 1.7f, 0, 1, {255, 0, 40, 255}, -0.2f, 0.1f},
                            {29.6f, 9.2f, 0, 1, {0, 255, 90, 200}, 2.3f, 0.4f},
                            {7.1f, 30.4f, 0, 1, {30, 60, 255, 100}, 0.7f, 1.9f}};
    vb.p = buffer(tri, sizeof tri, D3D11_BIND_VERTEX_BUFFER);
  }

  ID3D11InputLayout* layoutFor(const std::vector<uint8_t>& code) {
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    ID3D11InputLayout* l = nullptr;
    EXPECT_EQ(device->CreateInputLayout(elements, 3, code.data(), code.size(), &l), S_OK) << Direct3D11ShaderRefusal();
    return l;
  }

  // Draws the triangle with these shaders (bank tokens or bytecode) and reads the target.
  std::vector<uint8_t> drawWith(const std::vector<uint8_t>& vsCode, const std::vector<uint8_t>& psCode) {
    Com<ID3D11VertexShader> vs;
    Com<ID3D11PixelShader> ps;
    EXPECT_EQ(device->CreateVertexShader(vsCode.data(), vsCode.size(), nullptr, vs.out()), S_OK)
        << Direct3D11ShaderRefusal();
    EXPECT_EQ(device->CreatePixelShader(psCode.data(), psCode.size(), nullptr, ps.out()), S_OK)
        << Direct3D11ShaderRefusal();
    Com<ID3D11InputLayout> layout;
    layout.p = layoutFor(vsCode);
    const FLOAT clear[4] = {0.1f, 0.2f, 0.3f, 1};
    bindPipeline({rtv.get(), clear, raster.get(), 32, 32, layout.get(), vb.get(), sizeof(Corner), vcb.get(), pcb.get(),
                  vs.get(), ps.get(), srv.get(), sampler.get()});
    // The shader objects go before the draw: the context keeps what it draws with.
    vs.reset();
    ps.reset();
    context->Draw(3, 0);
    return readBack(target.get());
  }

  Com<ID3D11Texture2D> target, tex;
  Com<ID3D11RenderTargetView> rtv;
  Com<ID3D11RasterizerState> raster;
  Com<ID3D11SamplerState> sampler;
  Com<ID3D11ShaderResourceView> srv;
  Com<ID3D11Buffer> vcb, pcb, vb;
};

size_t differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  size_t n = 0;
  for (size_t k = 0; k + 4 <= a.size() && k + 4 <= b.size(); k += 4) n += std::memcmp(&a[k], &b[k], 4) != 0;
  return n + (a.size() != b.size());
}

TEST_F(ProgramTest, ProgramsDrawTheBankFunctionsPixels) {
  const std::vector<uint8_t> bankVs = makeToken(ShaderStage::vertex, "std_vs_f1");
  const std::vector<uint8_t> bankPs = makeToken(ShaderStage::pixel, "tex_ps_k0_v0_i0_a0");
  const std::vector<uint8_t> modulate = blobFromFile("textured_modulate.asm");
  const std::vector<uint8_t> colour = blobFromFile("vertex_colour.asm");
  const std::vector<uint8_t> wvp = blobFromFile("world_view_projection.asm");
  const std::vector<uint8_t> byBank = drawWith(bankVs, bankPs);
  // The frame has both the triangle and the clear colour in it.
  size_t covered = 0;
  for (size_t k = 0; k < byBank.size(); k += 4) covered += byBank[k + 3] != 255;
  ASSERT_GT(covered, 100u);
  EXPECT_EQ(differing(drawWith(bankVs, modulate), byBank), 0u);
  // A program vertex stage covers the bank's pixels with the same colours.
  const std::vector<uint8_t> bankCoverage = drawWith(bankVs, colour);
  EXPECT_EQ(differing(drawWith(wvp, colour), bankCoverage), 0u);
  // Behind a program vertex stage that passes no texture coordinates, the pixel program
  // reads zeros for them: the whole triangle samples texel (0, 0).
  const std::vector<uint8_t> noCoords = drawWith(wvp, modulate);
  EXPECT_NE(differing(noCoords, byBank), 0u);
}

TEST_F(ProgramTest, InputLayoutsAgainstTheInputSignature) {
  const std::vector<uint8_t> wvp = blobFromFile("world_view_projection.asm");
  const D3D11_INPUT_ELEMENT_DESC position = {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0,
                                             D3D11_INPUT_PER_VERTEX_DATA, 0};
  const D3D11_INPUT_ELEMENT_DESC colour = {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0};
  const D3D11_INPUT_ELEMENT_DESC colour1 = {"COLOR", 1, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0};
  const D3D11_INPUT_ELEMENT_DESC extra = {"TEXCOORD", 3, DXGI_FORMAT_R32G32_FLOAT, 0, 20, D3D11_INPUT_PER_VERTEX_DATA, 0};
  struct Case {
    const char* name;
    std::vector<D3D11_INPUT_ELEMENT_DESC> elements;
    HRESULT want;
    const char* reason;
  };
  const Case cases[] = {
      {"every element read", {position, colour}, S_OK, ""},
      {"extra elements", {extra, position, colour}, S_OK, ""},
      {"colour missing", {position}, E_INVALIDARG, "Color0 is not in the layout"},
      {"wrong semantic index", {position, colour1}, E_INVALIDARG, "Color0 is not in the layout"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Com<ID3D11InputLayout> l;
    EXPECT_EQ(device->CreateInputLayout(c.elements.data(), UINT(c.elements.size()), wvp.data(), wvp.size(), l.out()),
              c.want);
    EXPECT_NE(std::string(Direct3D11ShaderRefusal()).find(c.reason), std::string::npos) << Direct3D11ShaderRefusal();
  }
  // An integer input never suits the layout's formats; a pixel program has no layout.
  std::vector<uint32_t> w;
  std::string err;
  ASSERT_TRUE(halvorine::shaderasm::assemble("vs_4_0\nisgn POSITION0 v0.xyzw uint\ndcl_input v0.xyzw\nret\n", w, err))
      << err;
  Com<ID3D11InputLayout> l;
  EXPECT_EQ(device->CreateInputLayout(&position, 1, w.data(), w.size() * 4, l.out()), E_INVALIDARG);
  const std::vector<uint8_t> ps = blobFromFile("vertex_colour.asm");
  EXPECT_EQ(device->CreateInputLayout(&position, 1, ps.data(), ps.size(), l.out()), E_INVALIDARG);
}

TEST_F(ProgramTest, RefusedBytecodeSaysWhy) {
  struct Case {
    const char* name;
    std::string text;
    bool pixel;
    const char* reason;
  };
  const Case cases[] = {
      {"geometry program", "gs_4_0\nret\n", true, "geometry program"},
      {"vertex program as a pixel shader", "vs_4_0\nret\n", true, "vertex program given as a pixel shader"},
      {"pixel program as a vertex shader", "ps_4_0\nret\n", false, "pixel program given as a vertex shader"},
      {"gather", "ps_4_1\ndcl_sampler s0, mode_default\ndcl_resource_texture2d (float,float,float,float) t0\n"
                 "dcl_temps 1\ngather4 r0.xyzw, r0.xyxx, t0.xyzw, s0\nret\n",
       true, "gather"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> w;
    std::string err;
    ASSERT_TRUE(halvorine::shaderasm::assemble(c.text, w, err)) << err;
    HRESULT hr;
    if (c.pixel) {
      Com<ID3D11PixelShader> ps;
      hr = device->CreatePixelShader(w.data(), w.size() * 4, nullptr, ps.out());
      EXPECT_EQ(ps.get(), nullptr);
    } else {
      Com<ID3D11VertexShader> vs;
      hr = device->CreateVertexShader(w.data(), w.size() * 4, nullptr, vs.out());
      EXPECT_EQ(vs.get(), nullptr);
    }
    EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_NE(std::string(Direct3D11ShaderRefusal()).find(c.reason), std::string::npos) << Direct3D11ShaderRefusal();
  }
  // A blob cut short is refused from its length, never read past it; one whose magic is
  // damaged is no program and no token, and says so.
  std::vector<uint8_t> b = blobFromFile("invert.asm");
  Com<ID3D11PixelShader> ps;
  std::vector<uint8_t> damaged = b;
  damaged[1] = 'Y';
  EXPECT_NE(device->CreatePixelShader(damaged.data(), damaged.size(), nullptr, ps.out()), S_OK);
  EXPECT_NE(std::string(Direct3D11ShaderRefusal()).find("\"DXBC\""), std::string::npos) << Direct3D11ShaderRefusal();
  EXPECT_EQ(device->CreatePixelShader(b.data(), b.size() - 4, nullptr, ps.out()), E_INVALIDARG);
  EXPECT_EQ(device->CreatePixelShader(b.data(), b.size(), nullptr, ps.out()), S_OK);
  EXPECT_STREQ(Direct3D11ShaderRefusal(), "");
}

}  // namespace
}  // namespace facetest
