// Tests of the Direct3D 11 and DXGI face: a scene drawn and presented through the face
// alone, the copies and maps, swap-chain resizing, the profile and the fault switches.
#include <cstring>

#include "face_fixture.h"
#include "platform/win/module.h"

namespace facetest {
namespace {

struct Vertex1 {
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

std::vector<uint8_t> token(ShaderStage stage, const char* name) { return makeToken(stage, name); }

TEST_F(FaceTest, ScenePresentsIntoTheWindowFrame) {
  setenv("HALVORINE_FRAME_DUMP", "/dev/null", 1);
  DXGI_SWAP_CHAIN_DESC sd = chainDesc(640, 480, DXGI_FORMAT_R8G8B8A8_UNORM, 1);
  Com<IDXGISwapChain> chain;
  ASSERT_EQ(factory->CreateSwapChain(device.get(), &sd, chain.out()), S_OK);
  ASSERT_EQ(factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER), S_OK);
  Com<ID3D11Texture2D> back;
  ASSERT_EQ(chain->GetBuffer(0, IID_ID3D11Texture2D, reinterpret_cast<void**>(back.out())), S_OK);
  Com<ID3D11RenderTargetView> rtv;
  ASSERT_EQ(device->CreateRenderTargetView(back.get(), nullptr, rtv.out()), S_OK);

  const auto vsCode = token(ShaderStage::vertex, "std_vs_f1");
  const auto psCode = token(ShaderStage::pixel, "tex_ps_k0_v0_i0_a0");
  Com<ID3D11VertexShader> vs;
  Com<ID3D11PixelShader> ps;
  ASSERT_EQ(device->CreateVertexShader(vsCode.data(), vsCode.size(), nullptr, vs.out()), S_OK);
  ASSERT_EQ(device->CreatePixelShader(psCode.data(), psCode.size(), nullptr, ps.out()), S_OK);
  const D3D11_INPUT_ELEMENT_DESC elements[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
  };
  Com<ID3D11InputLayout> layout;
  ASSERT_EQ(device->CreateInputLayout(elements, 3, vsCode.data(), vsCode.size(), layout.out()), S_OK);
  // The layout must give every input the vertex function reads.
  Com<ID3D11InputLayout> partial;
  EXPECT_EQ(device->CreateInputLayout(elements + 1, 2, vsCode.data(), vsCode.size(), partial.out()), E_INVALIDARG);

  D3D11_BLEND_DESC bd{};
  bd.RenderTarget[0] = {1, D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD,
                        D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD, 15};
  Com<ID3D11BlendState> blend;
  ASSERT_EQ(device->CreateBlendState(&bd, blend.out()), S_OK);
  D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_NONE, 0, 0, 0, 0, 1, 0, 0, 0};
  Com<ID3D11RasterizerState> raster;
  ASSERT_EQ(device->CreateRasterizerState(&rd, raster.out()), S_OK);
  D3D11_DEPTH_STENCIL_DESC dd{};
  dd.DepthFunc = D3D11_COMPARISON_ALWAYS;
  Com<ID3D11DepthStencilState> depth;
  ASSERT_EQ(device->CreateDepthStencilState(&dd, depth.out()), S_OK);
  D3D11_SAMPLER_DESC smp{D3D11_FILTER_MIN_MAG_MIP_POINT, D3D11_TEXTURE_ADDRESS_CLAMP, D3D11_TEXTURE_ADDRESS_CLAMP,
                         D3D11_TEXTURE_ADDRESS_CLAMP, 0, 1, D3D11_COMPARISON_NEVER, {0, 0, 0, 0}, 0, 1000};
  Com<ID3D11SamplerState> sampler;
  ASSERT_EQ(device->CreateSamplerState(&smp, sampler.out()), S_OK);

  uint8_t texels[16 * 4];
  for (int i = 0; i < 16; ++i) std::memcpy(texels + i * 4, "\xFF\x00\x00\x80", 4);
  Com<ID3D11Texture2D> tex;
  tex.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, texels, 16);
  Com<ID3D11ShaderResourceView> srv;
  ASSERT_EQ(device->CreateShaderResourceView(tex.get(), nullptr, srv.out()), S_OK);

  const float vsConstants[16] = {2.0f / 640, 0, 0, -1, 0, -2.0f / 480, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1};
  float psConstants[12] = {};
  psConstants[5] = -1.0f;  // alpha reference: everything passes
  const int32_t greater = 5;
  std::memcpy(&psConstants[8], &greater, 4);
  Com<ID3D11Buffer> vcb, pcb, vb;
  vcb.p = buffer(vsConstants, sizeof vsConstants, D3D11_BIND_CONSTANT_BUFFER);
  pcb.p = buffer(psConstants, sizeof psConstants, D3D11_BIND_CONSTANT_BUFFER);
  const Vertex1 quad[4] = {{10, 10, 0, 1, {255, 255, 255, 255}, 0, 0},
                           {14, 10, 0, 1, {255, 255, 255, 255}, 1, 0},
                           {10, 14, 0, 1, {255, 255, 255, 255}, 0, 1},
                           {14, 14, 0, 1, {255, 255, 255, 255}, 1, 1}};
  vb.p = buffer(quad, sizeof quad, D3D11_BIND_VERTEX_BUFFER);

  const FLOAT black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(rtv.get(), black);
  ID3D11RenderTargetView* targets[] = {rtv.get()};
  context->OMSetRenderTargets(1, targets, nullptr);
  context->OMSetBlendState(blend.get(), nullptr, 0xffffffffu);
  context->OMSetDepthStencilState(depth.get(), 0);
  context->RSSetState(raster.get());
  const D3D11_VIEWPORT vp{0, 0, 640, 480, 0, 1};
  context->RSSetViewports(1, &vp);
  context->IASetInputLayout(layout.get());
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  ID3D11Buffer* vbs[] = {vb.get()};
  const UINT stride = sizeof(Vertex1), offset = 0;
  context->IASetVertexBuffers(0, 1, vbs, &stride, &offset);
  ID3D11Buffer* vcbs[] = {vcb.get()};
  ID3D11Buffer* pcbs[] = {pcb.get()};
  context->VSSetConstantBuffers(0, 1, vcbs);
  context->PSSetConstantBuffers(0, 1, pcbs);
  context->VSSetShader(vs.get(), nullptr, 0);
  context->PSSetShader(ps.get(), nullptr, 0);
  ID3D11ShaderResourceView* srvs[] = {srv.get()};
  ID3D11SamplerState* samplers[] = {sampler.get()};
  context->PSSetShaderResources(0, 1, srvs);
  context->PSSetSamplers(0, 1, samplers);
  context->Draw(4, 0);

  const int before = plat::win::GetPresentCount(hwnd);
  ASSERT_EQ(chain->Present(0, 0), S_OK);
  EXPECT_EQ(plat::win::GetPresentCount(hwnd), before + 1);
  int w = 0, h = 0;
  const std::vector<uint32_t> frame = plat::win::GetKeptFrameForTest(&w, &h);
  unsetenv("HALVORINE_FRAME_DUMP");
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  EXPECT_EQ(frame[11 * 640 + 11] & 0xFFFFFFu, 0x800000u);
  EXPECT_EQ(frame[9 * 640 + 9] & 0xFFFFFFu, 0u);
  EXPECT_EQ(frame[14 * 640 + 14] & 0xFFFFFFu, 0u);

  // ClearState unbinds everything: a draw afterwards touches nothing.
  context->ClearState();
  context->Draw(4, 0);
  context->Flush();
}

TEST_F(FaceTest, CopiesAndMapsGiveTheExpectedBytes) {
  const UINT bind = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
  Com<ID3D11Texture2D> a, b, c;
  a.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, bind);
  b.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, bind);
  c.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, bind);

  // Two rows of two texels, 12 bytes apart, into the box (1,1)-(3,3).
  uint8_t src[24];
  for (int i = 0; i < 24; ++i) src[i] = uint8_t(i + 1);
  const D3D11_BOX box{1, 1, 0, 3, 3, 1};
  context->UpdateSubresource(a.get(), 0, &box, src, 12, 0);
  std::vector<uint8_t> got = readBack(a.get());
  std::vector<uint8_t> want(64, 0);
  for (int y = 0; y < 2; ++y) std::memcpy(&want[size_t((1 + y) * 16 + 4)], src + y * 12, 8);
  EXPECT_EQ(got, want);

  struct Case {
    const char* what;
    D3D11_BOX box;
  };
  const Case refused[] = {
      {"past the right edge", {2, 0, 0, 5, 1, 1}},
      {"past the bottom", {0, 3, 0, 1, 5, 1}},
      {"reversed", {3, 0, 0, 1, 1, 1}},
      {"depth other than one slice", {0, 0, 0, 1, 1, 2}},
  };
  for (const Case& k : refused) {
    context->UpdateSubresource(a.get(), 0, &k.box, src, 12, 0);
    EXPECT_EQ(readBack(a.get()), want) << k.what;
  }
  // A subresource past the texture is refused too.
  context->UpdateSubresource(a.get(), 1, nullptr, src, 16, 0);
  EXPECT_EQ(readBack(a.get()), want);

  context->CopyResource(b.get(), a.get());
  EXPECT_EQ(readBack(b.get()), want);
  context->ResolveSubresource(c.get(), 0, b.get(), 0, DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(readBack(c.get()), want);

  // A region: a's box to (2, 0) of c; boxes and points that do not fit copy nothing.
  const std::vector<uint8_t> zero(64, 0);
  context->UpdateSubresource(c.get(), 0, nullptr, zero.data(), 16, 0);
  context->CopySubresourceRegion(c.get(), 0, 2, 0, 0, a.get(), 0, &box);
  std::vector<uint8_t> region(64, 0);
  for (int y = 0; y < 2; ++y) std::memcpy(&region[size_t(y * 16 + 8)], src + y * 12, 8);
  EXPECT_EQ(readBack(c.get()), region);
  context->CopySubresourceRegion(c.get(), 0, 3, 0, 0, a.get(), 0, &box);
  context->CopySubresourceRegion(c.get(), 0, 0, 3, 0, a.get(), 0, &box);
  context->CopySubresourceRegion(c.get(), 0, 0, 0, 1, a.get(), 0, &box);
  context->CopySubresourceRegion(c.get(), 1, 0, 0, 0, a.get(), 0, &box);
  for (const Case& k : refused) context->CopySubresourceRegion(c.get(), 0, 0, 0, 0, a.get(), 0, &k.box);
  EXPECT_EQ(readBack(c.get()), region);

  Com<ID3D11RenderTargetView> rtv;
  ASSERT_EQ(device->CreateRenderTargetView(c.get(), nullptr, rtv.out()), S_OK);
  const FLOAT colour[4] = {1.0f, 0.5f, 0.0f, 1.0f};
  context->ClearRenderTargetView(rtv.get(), colour);
  got = readBack(c.get());
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(got[size_t(i * 4)], 255);
    EXPECT_EQ(got[size_t(i * 4 + 1)], 128);
    EXPECT_EQ(got[size_t(i * 4 + 2)], 0);
  }

  // Mapping follows usage and CPU access; a default texture cannot be mapped, a
  // subresource maps once at a time.
  D3D11_MAPPED_SUBRESOURCE m;
  EXPECT_EQ(context->Map(a.get(), 0, D3D11_MAP_READ, 0, &m), E_INVALIDARG);
  D3D11_BUFFER_DESC dyn{64, D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER, D3D11_CPU_ACCESS_WRITE, 0, 0};
  Com<ID3D11Buffer> vb;
  ASSERT_EQ(device->CreateBuffer(&dyn, nullptr, vb.out()), S_OK);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(context->Map(vb.get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &m), S_OK);
    EXPECT_NE(context->Map(vb.get(), 0, D3D11_MAP_WRITE_NO_OVERWRITE, 0, &m), S_OK);
    context->Unmap(vb.get(), 0);
  }
}

TEST_F(FaceTest, ResizedChainKeepsTheOldBufferWhileViewsHoldIt) {
  DXGI_SWAP_CHAIN_DESC sd = chainDesc(0, 0, DXGI_FORMAT_R8G8B8A8_UNORM, 1);
  Com<IDXGISwapChain> chain;
  ASSERT_EQ(factory->CreateSwapChain(device.get(), &sd, chain.out()), S_OK);
  DXGI_SWAP_CHAIN_DESC got;
  ASSERT_EQ(chain->GetDesc(&got), S_OK);
  EXPECT_GT(got.BufferDesc.Width, 0u);  // the window's client size
  EXPECT_GT(got.BufferDesc.Height, 0u);

  for (UINT round = 1; round <= 3; ++round) {
    Com<ID3D11Texture2D> old;
    ASSERT_EQ(chain->GetBuffer(0, IID_ID3D11Texture2D, reinterpret_cast<void**>(old.out())), S_OK);
    Com<ID3D11RenderTargetView> oldView;
    ASSERT_EQ(device->CreateRenderTargetView(old.get(), nullptr, oldView.out()), S_OK);
    old.p->Release();
    old.p = nullptr;
    ASSERT_EQ(chain->ResizeBuffers(0, 100 * round, 50 * round, DXGI_FORMAT_UNKNOWN, 0), S_OK);
    Com<ID3D11Texture2D> fresh;
    ASSERT_EQ(chain->GetBuffer(0, IID_ID3D11Texture2D, reinterpret_cast<void**>(fresh.out())), S_OK);
    D3D11_TEXTURE2D_DESC td;
    fresh->GetDesc(&td);
    EXPECT_EQ(td.Width, 100 * round);
    EXPECT_EQ(td.Height, 50 * round);
    // The old view still names live memory (a sanitizer build would catch a stray write).
    const FLOAT colour[4] = {1, 1, 1, 1};
    context->ClearRenderTargetView(oldView.get(), colour);
    Com<ID3D11Resource> viewed;
    oldView->GetResource(viewed.out());
    EXPECT_NE(viewed.get(), static_cast<ID3D11Resource*>(fresh.get()));
    EXPECT_EQ(chain->Present(0, 0), S_OK);
  }
  EXPECT_EQ(chain->ResizeBuffers(0, 8, 8, DXGI_FORMAT_B5G6R5_UNORM, 0), DXGI_ERROR_INVALID_CALL);
}

TEST_F(FaceTest, FormatSupportFollowsTheProfile) {
  struct Case {
    DXGI_FORMAT f;
    UINT must, mustNot;
  } cases[] = {
      {DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_FORMAT_SUPPORT_TEXTURE2D | D3D11_FORMAT_SUPPORT_RENDER_TARGET, 0},
      {DXGI_FORMAT_B8G8R8X8_UNORM, D3D11_FORMAT_SUPPORT_TEXTURE2D | D3D11_FORMAT_SUPPORT_RENDER_TARGET, 0},
      {DXGI_FORMAT_R8_UNORM, D3D11_FORMAT_SUPPORT_RENDER_TARGET, 0},
      {DXGI_FORMAT_BC2_UNORM, D3D11_FORMAT_SUPPORT_SHADER_SAMPLE, D3D11_FORMAT_SUPPORT_RENDER_TARGET},
      {DXGI_FORMAT_R16G16B16A16_UNORM, D3D11_FORMAT_SUPPORT_TEXTURE2D, D3D11_FORMAT_SUPPORT_RENDER_TARGET},
      {DXGI_FORMAT_R32_FLOAT, D3D11_FORMAT_SUPPORT_RENDER_TARGET, 0},
      {DXGI_FORMAT_D24_UNORM_S8_UINT, D3D11_FORMAT_SUPPORT_DEPTH_STENCIL, D3D11_FORMAT_SUPPORT_RENDER_TARGET},
      {DXGI_FORMAT_D16_UNORM, D3D11_FORMAT_SUPPORT_DEPTH_STENCIL, 0},
      {DXGI_FORMAT_B5G6R5_UNORM, 0, ~0u},
  };
  for (const Case& c : cases) {
    UINT bits = 0;
    const HRESULT r = device->CheckFormatSupport(c.f, &bits);
    EXPECT_EQ(r, c.must ? S_OK : E_FAIL) << c.f;
    EXPECT_EQ(bits & c.must, c.must) << c.f;
    EXPECT_EQ(bits & c.mustNot, 0u) << c.f;
  }
  UINT levels = 9;
  EXPECT_EQ(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 1, &levels), S_OK);
  EXPECT_EQ(levels, 1u);
  EXPECT_EQ(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 4, &levels), S_OK);
  EXPECT_EQ(levels, 1u);
  EXPECT_EQ(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 3, &levels), S_OK);
  EXPECT_EQ(levels, 0u);

  // A refused format loses its support and its textures.
  Profile p = currentProfile();
  p.refuse(Format::R8G8);
  setProfile(p);
  UINT bits = 1;
  EXPECT_EQ(device->CheckFormatSupport(DXGI_FORMAT_R8G8_UNORM, &bits), E_FAIL);
  D3D11_TEXTURE2D_DESC d{4, 4, 1, 1, DXGI_FORMAT_R8G8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                         D3D11_BIND_SHADER_RESOURCE, 0, 0};
  ID3D11Texture2D* t = reinterpret_cast<ID3D11Texture2D*>(1);
  EXPECT_EQ(device->CreateTexture2D(&d, nullptr, &t), E_INVALIDARG);
  EXPECT_EQ(t, nullptr);
}

TEST_F(FaceTest, InvalidDescriptionsAreRefused) {
  struct Case {
    const char* what;
    D3D11_TEXTURE2D_DESC d;
  };
  const UINT srv = D3D11_BIND_SHADER_RESOURCE;
  const Case cases[] = {
      {"zero width", {0, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, srv, 0, 0}},
      {"three samples", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {3, 0}, D3D11_USAGE_DEFAULT, srv, 0, 0}},
      {"quality past the levels", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {4, 1}, D3D11_USAGE_DEFAULT, srv, 0, 0}},
      {"multisampled levels", {4, 4, 2, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {4, 0}, D3D11_USAGE_DEFAULT, srv, 0, 0}},
      {"bound as a vertex buffer", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, 1, 0, 0}},
      {"staging and bound", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_STAGING, srv,
                             D3D11_CPU_ACCESS_READ, 0}},
      {"dynamic render target", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DYNAMIC,
                                 D3D11_BIND_RENDER_TARGET, D3D11_CPU_ACCESS_WRITE, 0}},
      {"unknown CPU access", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, srv, 0x40, 0}},
      {"16-bit unorm render target", {4, 4, 1, 1, DXGI_FORMAT_R16G16_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                                      D3D11_BIND_RENDER_TARGET, 0, 0}},
      {"cube of one slice", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, srv, 0,
                             D3D11_RESOURCE_MISC_TEXTURECUBE}},
      {"too many levels", {4, 4, 9, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, srv, 0, 0}},
  };
  for (const Case& c : cases) {
    ID3D11Texture2D* t = nullptr;
    EXPECT_LT(device->CreateTexture2D(&c.d, nullptr, &t), 0) << c.what;
    EXPECT_EQ(t, nullptr) << c.what;
  }
  // Views: a format of another storage family, a level past the texture, a cube view of
  // a plain texture, a render-target view of a texture not bound as one.
  Com<ID3D11Texture2D> tex;
  tex.p = texture(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4, D3D11_USAGE_DEFAULT, srv);
  D3D11_SHADER_RESOURCE_VIEW_DESC sd{};
  sd.Format = DXGI_FORMAT_R32_FLOAT;
  sd.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
  sd.Texture2D = {0, 1};
  Com<ID3D11ShaderResourceView> v1, v2, v3;
  EXPECT_EQ(device->CreateShaderResourceView(tex.get(), &sd, v1.out()), E_INVALIDARG);
  sd.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  sd.Texture2D = {1, 1};
  EXPECT_EQ(device->CreateShaderResourceView(tex.get(), &sd, v2.out()), E_INVALIDARG);
  sd.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
  sd.TextureCube = {0, 1};
  EXPECT_EQ(device->CreateShaderResourceView(tex.get(), &sd, v3.out()), E_INVALIDARG);
  Com<ID3D11RenderTargetView> rtv;
  EXPECT_EQ(device->CreateRenderTargetView(tex.get(), nullptr, rtv.out()), E_INVALIDARG);
  // Shaders: a damaged container, a token of the other stage.
  const uint8_t foreign[] = {0x44, 0x58, 0x42, 0x43, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const auto ps = token(ShaderStage::pixel, "copy_ps");
  Com<ID3D11VertexShader> vs1, vs2;
  EXPECT_EQ(device->CreateVertexShader(foreign, sizeof foreign, nullptr, vs1.out()), E_INVALIDARG);
  EXPECT_EQ(device->CreateVertexShader(ps.data(), ps.size(), nullptr, vs2.out()), E_FAIL);
  // States: independent blending and stencil tests are not offered.
  D3D11_BLEND_DESC bd{};
  bd.IndependentBlendEnable = 1;
  Com<ID3D11BlendState> blend;
  EXPECT_EQ(device->CreateBlendState(&bd, blend.out()), E_INVALIDARG);
  D3D11_DEPTH_STENCIL_DESC dd{};
  dd.DepthFunc = D3D11_COMPARISON_LESS;
  dd.StencilEnable = 1;
  Com<ID3D11DepthStencilState> ds;
  EXPECT_EQ(device->CreateDepthStencilState(&dd, ds.out()), E_INVALIDARG);
}

TEST_F(FaceTest, LevelCapAndMissingLibraries) {
  Profile p = currentProfile();
  p.featureMajor = 10;
  p.featureMinor = 1;
  setProfile(p);
  const D3D_FEATURE_LEVEL high[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0};
  Com<ID3D11Device> d;
  EXPECT_LT(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, high, 2, D3D11_SDK_VERSION, d.out(),
                              nullptr, nullptr),
            0);
  EXPECT_EQ(d.get(), nullptr);
  const D3D_FEATURE_LEVEL wide[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1};
  D3D_FEATURE_LEVEL got{};
  EXPECT_EQ(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, wide, 2, D3D11_SDK_VERSION, d.out(),
                              &got, nullptr),
            S_OK);
  EXPECT_EQ(got, D3D_FEATURE_LEVEL_10_1);

  struct Case {
    const char* missing;
    bool d3d11, dxgi;
  } cases[] = {{"", true, true}, {"d3d11", false, true}, {"dxgi", true, false}, {"dxgi,d3d11", false, false}};
  for (const Case& c : cases) {
    setenv("HALVORINE_MISSING", c.missing, 1);
    plat::win::HMODULE m11 = plat::win::LoadLibraryW(u"d3d11.dll");
    plat::win::HMODULE mdx = plat::win::LoadLibraryW(u"dxgi.dll");
    EXPECT_EQ(m11 != nullptr, c.d3d11) << c.missing;
    EXPECT_EQ(mdx != nullptr, c.dxgi) << c.missing;
    if (m11) {
      EXPECT_NE(plat::win::GetProcAddress(m11, "D3D11CreateDevice"), nullptr);
      plat::win::FreeLibrary(m11);
    }
    if (mdx) {
      EXPECT_NE(plat::win::GetProcAddress(mdx, "CreateDXGIFactory1"), nullptr);
      EXPECT_NE(plat::win::GetProcAddress(mdx, "CreateDXGIFactory"), nullptr);
      plat::win::FreeLibrary(mdx);
    }
  }
}

TEST_F(FaceTest, FaultSwitchesFailTheNamedCall) {
  Profile p = currentProfile();
  p.failOnCall["d3d11.D3D11CreateDevice"] = 2;
  p.failOnCall["dxgi.CreateSwapChain"] = 1;
  p.failOnCall["dxgi.Present"] = 2;
  setProfile(p);
  resetJournal();
  for (int call = 1; call <= 3; ++call) {
    Com<ID3D11Device> d;
    const HRESULT r = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                        D3D11_SDK_VERSION, d.out(), nullptr, nullptr);
    EXPECT_EQ(r, call == 2 ? E_FAIL : S_OK) << call;
  }
  DXGI_SWAP_CHAIN_DESC sd = chainDesc(32, 32, DXGI_FORMAT_B8G8R8A8_UNORM, 2);
  Com<IDXGISwapChain> failed, chain;
  EXPECT_EQ(factory->CreateSwapChain(device.get(), &sd, failed.out()), E_FAIL);
  EXPECT_EQ(failed.get(), nullptr);
  ASSERT_EQ(factory->CreateSwapChain(device.get(), &sd, chain.out()), S_OK);
  const int before = plat::win::GetPresentCount(hwnd);
  EXPECT_EQ(chain->Present(0, 0), S_OK);
  EXPECT_EQ(chain->Present(0, 0), E_FAIL);
  EXPECT_EQ(chain->Present(0, 0), S_OK);
  EXPECT_EQ(plat::win::GetPresentCount(hwnd), before + 2);

  setFactory1FailsForTest(true);
  Com<IDXGIFactory> f1, f0;
  EXPECT_EQ(CreateDXGIFactory1(IID_IDXGIFactory1, reinterpret_cast<void**>(f1.out())), E_FAIL);
  EXPECT_EQ(CreateDXGIFactory(IID_IDXGIFactory, reinterpret_cast<void**>(f0.out())), S_OK);
  setFactory1FailsForTest(false);
  Com<IDXGIAdapter> none;
  EXPECT_EQ(f0->EnumAdapters(1, none.out()), DXGI_ERROR_NOT_FOUND);
  Com<IDXGIOutput> out;
  ASSERT_EQ(adapter->EnumOutputs(0, out.out()), S_OK);
  DXGI_ADAPTER_DESC ad;
  ASSERT_EQ(adapter->GetDesc(&ad), S_OK);
  EXPECT_EQ(ad.Description[0], u'S');
  Com<IDXGIOutput> noOutput;
  EXPECT_EQ(adapter->EnumOutputs(1, noOutput.out()), DXGI_ERROR_NOT_FOUND);
  Com<IDXGIDevice1> dxgiDevice;
  ASSERT_EQ(device->QueryInterface(IID_IDXGIDevice1, reinterpret_cast<void**>(dxgiDevice.out())), S_OK);
  EXPECT_EQ(dxgiDevice->SetMaximumFrameLatency(1), S_OK);
  UINT latency = 0;
  EXPECT_EQ(dxgiDevice->GetMaximumFrameLatency(&latency), S_OK);
  EXPECT_EQ(latency, 1u);
}

}  // namespace
}  // namespace facetest
