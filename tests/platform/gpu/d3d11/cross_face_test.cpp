// One effect written twice, as a model-2 program for the Direct3D 9 face and as a model-4
// program for the Direct3D 11 face: the same triangle, texture and sampling give the same
// frame on both faces.
#include <cstring>
#include <fstream>
#include <sstream>

#include "face_fixture.h"
#include "platform/gpu/d3d11/gpu_d3d11.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "tools/shaderasm/shader_asm.h"

namespace facetest {
namespace {

constexpr UINT kCrossSide = 32;

std::vector<uint32_t> assembledFile(const std::string& name) {
  std::ifstream f(std::string(HALVORINE_SOURCE_DIR) + "/tests/platform/gpu/shaders/" + name);
  std::ostringstream s;
  s << f.rdbuf();
  std::vector<uint32_t> w;
  std::string err;
  EXPECT_TRUE(halvorine::shaderasm::assemble(s.str(), w, err)) << name << ": " << err;
  return w;
}

// A corner given once and written in each face's vertex form.
struct CrossCorner {
  float x, y;
  uint8_t r, g, b, a;
  float u, v;
};

// Positions on eighths, so that the Direct3D 9 face's half-pixel move is exact.
const CrossCorner kCrossTriangle[3] = {{2.25f, 1.625f, 255, 0, 40, 255, -0.25f, 0.125f},
                                       {29.625f, 9.25f, 0, 255, 90, 200, 2.375f, 0.5f},
                                       {7.125f, 30.375f, 30, 60, 255, 100, 0.75f, 1.875f}};

// 4 x 4 texels as red, green, blue, alpha bytes.
std::vector<uint8_t> crossTexels() {
  std::vector<uint8_t> t;
  for (int i = 0; i < 16; ++i)
    for (const int c : {i * 16, 255 - i * 13, i * 7 + 3, 128 + i * 8}) t.push_back(uint8_t(c));
  return t;
}

class CrossFaceTest : public FaceTest {
 protected:
  // Draws the triangle through the Direct3D 9 face with a model-2 pixel program and no
  // vertex program; the frame as red, green, blue bytes.
  std::vector<uint8_t> drawOnD3D9(const std::string& program, bool blend) {
    using namespace plat::gpu;
    facesupport::ComRef<IDirect3D9Ex> d3d;
    facesupport::ComRef<IDirect3DDevice9Ex> dev;
    EXPECT_EQ(Direct3DCreate9Ex(D3D_SDK_VERSION, d3d.out()), D3D_OK);
    if (!d3d.get()) return {};
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = kCrossSide;
    p.BackBufferHeight = kCrossSide;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = hwnd;
    p.Windowed = 1;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    EXPECT_EQ(d3d->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p,
                                  nullptr, dev.out()),
              D3D_OK);
    if (!dev.get()) return {};
    const std::vector<uint8_t> texels = crossTexels();
    facesupport::ComRef<IDirect3DTexture9> tex;
    EXPECT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex.out(), nullptr), D3D_OK);
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const uint8_t* t = &texels[size_t(16 * y + 4 * x)];
        const D3DCOLOR c = D3DCOLOR(t[3]) << 24 | D3DCOLOR(t[0]) << 16 | D3DCOLOR(t[1]) << 8 | t[2];
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + 4 * size_t(x), &c, 4);
      }
    EXPECT_EQ(tex->UnlockRect(0), D3D_OK);
    const std::vector<uint32_t> code = assembledFile(program);
    facesupport::ComRef<IDirect3DPixelShader9> ps;
    EXPECT_EQ(dev->CreatePixelShader(reinterpret_cast<const DWORD*>(code.data()), ps.out()), D3D_OK)
        << Direct3DShaderRefusal();
    struct V {
      float x, y, z, rhw;
      D3DCOLOR colour;
      float u, v;
    } v[3];
    for (int i = 0; i < 3; ++i) {
      const CrossCorner& c = kCrossTriangle[i];
      // This face puts pixel centres on whole numbers: half a pixel back.
      v[i] = V{c.x - 0.5f, c.y - 0.5f, 0, 1, D3DCOLOR(c.a) << 24 | D3DCOLOR(c.r) << 16 | D3DCOLOR(c.g) << 8 | c.b,
               c.u,        c.v};
    }
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_ZENABLE, 0);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetTexture(0, tex.get());
    dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    EXPECT_EQ(dev->SetPixelShader(ps.get()), D3D_OK);
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | fvfTexCount(1));
    EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(V)), D3D_OK);
    dev->SetPixelShader(nullptr);
    dev->SetTexture(0, nullptr);
    facesupport::ComRef<IDirect3DSurface9> back, copy;
    EXPECT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
    EXPECT_EQ(dev->CreateOffscreenPlainSurface(kCrossSide, kCrossSide, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, copy.out(),
                                               nullptr),
              D3D_OK);
    EXPECT_EQ(dev->GetRenderTargetData(back.get(), copy.get()), D3D_OK);
    std::vector<uint8_t> out;
    EXPECT_EQ(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < kCrossSide; ++y)
      for (UINT x = 0; x < kCrossSide; ++x) {
        D3DCOLOR c;
        std::memcpy(&c, static_cast<const uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + 4 * size_t(x), 4);
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
      }
    copy->UnlockRect();
    return out;
  }

  // The same triangle through the Direct3D 11 face with the bank's pre-transformed vertex
  // shader and a model-4 pixel program; the frame as red, green, blue bytes.
  std::vector<uint8_t> drawOnD3D11(const std::string& program, bool blend) {
    const std::vector<uint32_t> code = assembledFile("dxbc/" + program);
    const std::vector<uint8_t> vsCode = makeToken(ShaderStage::vertex, "std_vs_f1");
    Com<ID3D11VertexShader> vs;
    Com<ID3D11PixelShader> ps;
    EXPECT_EQ(device->CreateVertexShader(vsCode.data(), vsCode.size(), nullptr, vs.out()), S_OK);
    EXPECT_EQ(device->CreatePixelShader(code.data(), code.size() * 4, nullptr, ps.out()), S_OK)
        << Direct3D11ShaderRefusal();
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 20, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    Com<ID3D11InputLayout> layout;
    EXPECT_EQ(device->CreateInputLayout(elements, 3, vsCode.data(), vsCode.size(), layout.out()), S_OK);
    Com<ID3D11Texture2D> target, tex;
    target.p =
        texture(DXGI_FORMAT_R8G8B8A8_UNORM, kCrossSide, kCrossSide, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET);
    const std::vector<uint8_t> texels = crossTexels();
    tex.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, texels.data(),
                    16);
    Com<ID3D11RenderTargetView> rtv;
    Com<ID3D11ShaderResourceView> srv;
    EXPECT_EQ(device->CreateRenderTargetView(target.get(), nullptr, rtv.out()), S_OK);
    EXPECT_EQ(device->CreateShaderResourceView(tex.get(), nullptr, srv.out()), S_OK);
    Com<ID3D11RasterizerState> raster;
    Com<ID3D11SamplerState> sampler;
    const D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_NONE, 0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(device->CreateRasterizerState(&rd, raster.out()), S_OK);
    const D3D11_SAMPLER_DESC smp{D3D11_FILTER_MIN_MAG_MIP_POINT,
                                 D3D11_TEXTURE_ADDRESS_WRAP,
                                 D3D11_TEXTURE_ADDRESS_WRAP,
                                 D3D11_TEXTURE_ADDRESS_WRAP,
                                 0,
                                 1,
                                 D3D11_COMPARISON_NEVER,
                                 {0, 0, 0, 0},
                                 0,
                                 1000};
    EXPECT_EQ(device->CreateSamplerState(&smp, sampler.out()), S_OK);
    // The bank's vertex shader maps pixels to clip space through its first four rows.
    const float side = float(kCrossSide);
    const float vsConstants[16] = {2.0f / side, 0, 0, -1, 0, -2.0f / side, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    float psConstants[12] = {};
    psConstants[5] = -1.0f;  // the bank's alpha reference: everything passes
    Com<ID3D11Buffer> vcb, pcb, vb;
    vcb.p = buffer(vsConstants, sizeof vsConstants, D3D11_BIND_CONSTANT_BUFFER);
    pcb.p = buffer(psConstants, sizeof psConstants, D3D11_BIND_CONSTANT_BUFFER);
    struct V {
      float x, y, z, w;
      uint8_t rgba[4];
      float u, v;
    } v[3];
    for (int i = 0; i < 3; ++i) {
      const CrossCorner& c = kCrossTriangle[i];
      v[i] = V{c.x, c.y, 0, 1, {c.r, c.g, c.b, c.a}, c.u, c.v};
    }
    vb.p = buffer(v, sizeof v, D3D11_BIND_VERTEX_BUFFER);
    const FLOAT clear[4] = {0, 0, 0, 1};
    bindPipeline({rtv.get(), clear, raster.get(), side, side, layout.get(), vb.get(), sizeof(V), vcb.get(), pcb.get(),
                  vs.get(), ps.get(), srv.get(), sampler.get()});
    // Source alpha over the black clear: the alpha a program writes shows in the colour.
    D3D11_BLEND_DESC bd{};
    bd.RenderTarget[0] = {1,
                          D3D11_BLEND_SRC_ALPHA,
                          D3D11_BLEND_INV_SRC_ALPHA,
                          D3D11_BLEND_OP_ADD,
                          D3D11_BLEND_SRC_ALPHA,
                          D3D11_BLEND_INV_SRC_ALPHA,
                          D3D11_BLEND_OP_ADD,
                          15};
    Com<ID3D11BlendState> blendState;
    EXPECT_EQ(device->CreateBlendState(&bd, blendState.out()), S_OK);
    const FLOAT factor[4] = {0, 0, 0, 0};
    if (blend) context->OMSetBlendState(blendState.get(), factor, 0xFFFFFFFFu);
    context->Draw(3, 0);
    const std::vector<uint8_t> rgba = readBack(target.get());
    context->ClearState();
    std::vector<uint8_t> out;
    for (size_t k = 0; k + 4 <= rgba.size(); k += 4) out.insert(out.end(), {rgba[k], rgba[k + 1], rgba[k + 2]});
    return out;
  }
};

TEST_F(CrossFaceTest, ModelTwoAndModelFourProgramsGiveTheSameFrame) {
  for (const char* program : {"textured_modulate.asm", "invert.asm"})
    for (const bool blend : {false, true}) {
      SCOPED_TRACE(testing::Message() << program << (blend ? " blended" : ""));
      const std::vector<uint8_t> nine = drawOnD3D9(program, blend);
      const std::vector<uint8_t> eleven = drawOnD3D11(program, blend);
      ASSERT_EQ(nine.size(), size_t(kCrossSide * kCrossSide * 3));
      ASSERT_EQ(eleven.size(), nine.size());
      // Both the triangle and the clear colour are in the frame.
      size_t covered = 0, differing = 0;
      for (size_t k = 0; k < nine.size(); k += 3) {
        covered += (nine[k] | nine[k + 1] | nine[k + 2]) != 0;
        differing += std::memcmp(&nine[k], &eleven[k], 3) != 0;
      }
      EXPECT_GT(covered, 200u);
      EXPECT_LT(covered, size_t(kCrossSide * kCrossSide));
      EXPECT_EQ(differing, 0u);
    }
}

}  // namespace
}  // namespace facetest
