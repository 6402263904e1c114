// The shader-model 4 and 5 container check and decoder over arbitrary bytes with an
// explicit length, then one 8x8 draw through the Direct3D 11 face with whatever was
// accepted (a pixel program behind the bank's vertex function, a vertex program in front
// of a pixel program that shows its colour). The input is the blob itself, as an
// exact-size heap copy, so a read past its end shows under the sanitizers.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gpu/d3d11/dxbc_decode.h"
#include "platform/gpu/d3d11/dxgi.h"
#include "platform/gpu/shaders/token.h"
#include "tests/platform/gpu/face_window.h"

using namespace plat::gpu;

namespace {

struct Harness {
  facesupport::FaceWindow window{u"FuzzDxbc", 8, 8};
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  ID3D11VertexShader* bankVs = nullptr;
  ID3D11PixelShader* bankPs = nullptr;
  ID3D11InputLayout* layout = nullptr;
  Harness() {
    if (D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device, nullptr,
                          &context) != plat::win::S_OK)
      return;
    ID3D11Texture2D* target = nullptr;
    D3D11_TEXTURE2D_DESC td{8, 8, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT,
                            D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE, 0, 0};
    device->CreateTexture2D(&td, nullptr, &target);
    ID3D11RenderTargetView* rtv = nullptr;
    ID3D11ShaderResourceView* srv = nullptr;
    if (target) {
      device->CreateRenderTargetView(target, nullptr, &rtv);
      device->CreateShaderResourceView(target, nullptr, &srv);
      target->Release();
    }
    context->OMSetRenderTargets(1, &rtv, nullptr);
    if (rtv) rtv->Release();
    ID3D11ShaderResourceView* views[4] = {srv, srv, srv, srv};
    context->PSSetShaderResources(0, 4, views);
    if (srv) srv->Release();
    D3D11_SAMPLER_DESC sd{D3D11_FILTER_MIN_MAG_MIP_LINEAR, D3D11_TEXTURE_ADDRESS_WRAP, D3D11_TEXTURE_ADDRESS_WRAP,
                          D3D11_TEXTURE_ADDRESS_WRAP, 0, 1, D3D11_COMPARISON_LESS_EQUAL, {0, 0, 0, 0}, 0, 1000};
    ID3D11SamplerState* samplers[2] = {};
    device->CreateSamplerState(&sd, &samplers[0]);
    sd.Filter = D3D11_FILTER_COMPARISON_MIN_MAG_MIP_POINT;
    device->CreateSamplerState(&sd, &samplers[1]);
    context->PSSetSamplers(0, 2, samplers);
    for (ID3D11SamplerState* s : samplers)
      if (s) s->Release();
    const float constants[64] = {0.5f, 0.25f, 2.0f, 1.0f, 0.125f, -1.0f, 3.0f, 0.0f};
    D3D11_BUFFER_DESC bd{sizeof constants, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA init{constants, 0, 0};
    ID3D11Buffer* cb = nullptr;
    device->CreateBuffer(&bd, &init, &cb);
    ID3D11Buffer* cbs[2] = {cb, cb};
    context->PSSetConstantBuffers(0, 2, cbs);
    context->VSSetConstantBuffers(0, 2, cbs);
    if (cb) cb->Release();
    const auto vs = makeToken(ShaderStage::vertex, "std_vs_f1");
    const auto ps = makeToken(ShaderStage::pixel, "copy_ps");
    device->CreateVertexShader(vs.data(), vs.size(), nullptr, &bankVs);
    device->CreatePixelShader(ps.data(), ps.size(), nullptr, &bankPs);
    const D3D11_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R8G8B8A8_UNORM, 0, 16, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 20, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    device->CreateInputLayout(elements, 3, vs.data(), vs.size(), &layout);
    context->IASetInputLayout(layout);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    const D3D11_VIEWPORT vp{0, 0, 8, 8, 0, 1};
    context->RSSetViewports(1, &vp);
  }
};

struct Vertex {
  float x, y, z, w;
  uint8_t rgba[4];
  float u, v;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> blob(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(blob.get(), data, size);
  dxbc::Shader shader;
  std::string reason;
  const bool accepted = dxbc::decodeShader(blob.get(), size, shader, reason);
  if (!accepted && reason.empty()) __builtin_trap();  // every refusal says why
  if (!accepted) return 0;

  static Harness h;
  if (!h.device || !h.context) return 0;
  ID3D11PixelShader* ps = nullptr;
  ID3D11VertexShader* vs = nullptr;
  if (shader.program.pixel) h.device->CreatePixelShader(blob.get(), size, nullptr, &ps);
  else h.device->CreateVertexShader(blob.get(), size, nullptr, &vs);
  h.context->VSSetShader(vs ? vs : h.bankVs, nullptr, 0);
  h.context->PSSetShader(ps ? ps : h.bankPs, nullptr, 0);
  // Position in clip space for a program, in pixels for the bank's function (its matrix
  // from the constant buffer maps them close enough to cover part of the target).
  const Vertex quad[4] = {{-1, -1, 0.5f, 1, {255, 128, 64, 255}, 0, 0},
                          {8, -1, 0.5f, 1, {64, 255, 128, 255}, 1.5f, 0},
                          {-1, 8, 0.5f, 1, {128, 64, 255, 128}, 0, 2},
                          {8, 8, 0.5f, 1, {0, 0, 0, 255}, 1.5f, 2}};
  D3D11_BUFFER_DESC bd{sizeof quad, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  D3D11_SUBRESOURCE_DATA init{quad, 0, 0};
  ID3D11Buffer* vb = nullptr;
  h.device->CreateBuffer(&bd, &init, &vb);
  const UINT stride = sizeof(Vertex), offset = 0;
  h.context->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
  h.context->Draw(4, 0);
  h.context->VSSetShader(nullptr, nullptr, 0);
  h.context->PSSetShader(nullptr, nullptr, 0);
  if (vb) vb->Release();
  if (ps) ps->Release();
  if (vs) vs->Release();
  return 0;
}
