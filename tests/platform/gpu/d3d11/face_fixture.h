// Shared set-up of the Direct3D 11 face tests: a headless 640x480 window, the factory,
// device and context made through the face's own entries, and small creation helpers.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gpu/d3d11/dxgi.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"
#include "platform/gpu/shaders/token.h"
#include "platform/win/window_test.h"
#include "tests/platform/gpu/face_window.h"

namespace facetest {

using namespace plat::gpu;
using plat::win::E_INVALIDARG;
using plat::win::S_OK;

template <class T>
using Com = facesupport::ComRef<T>;

class FaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORINE_MISSING");
    resetProfile();
    resetJournal();
    window = std::make_unique<facesupport::FaceWindow>(u"FaceTest", 640, 480);
    hwnd = window->hwnd;
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(CreateDXGIFactory1(IID_IDXGIFactory1, reinterpret_cast<void**>(factory.out())), S_OK);
    ASSERT_EQ(factory->EnumAdapters(0, adapter.out()), S_OK);
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0};
    D3D_FEATURE_LEVEL got{};
    ASSERT_EQ(D3D11CreateDevice(adapter.get(), D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, levels, 2, D3D11_SDK_VERSION,
                                device.out(), &got, context.out()),
              S_OK);
    EXPECT_EQ(got, D3D_FEATURE_LEVEL_11_1);
  }
  void TearDown() override {
    window.reset();
    resetProfile();
    unsetenv("HALVORINE_MISSING");
  }

  ID3D11Texture2D* texture(DXGI_FORMAT f, UINT w, UINT h, D3D11_USAGE usage, UINT bind, UINT cpu = 0,
                           const void* data = nullptr, UINT pitch = 0) {
    D3D11_TEXTURE2D_DESC d{w, h, 1, 1, f, {1, 0}, usage, bind, cpu, 0};
    D3D11_SUBRESOURCE_DATA init{data, pitch, 0};
    ID3D11Texture2D* t = nullptr;
    EXPECT_EQ(device->CreateTexture2D(&d, data ? &init : nullptr, &t), S_OK);
    return t;
  }
  DXGI_SWAP_CHAIN_DESC chainDesc(UINT w, UINT h, DXGI_FORMAT f, UINT count) const {
    DXGI_SWAP_CHAIN_DESC sd{};
    sd.BufferDesc = {w, h, {60, 1}, f, {}, {}};
    sd.SampleDesc = {1, 0};
    sd.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    sd.BufferCount = count;
    sd.OutputWindow = hwnd;
    sd.Windowed = 1;
    return sd;
  }
  ID3D11Buffer* buffer(const void* data, UINT size, UINT bind) {
    D3D11_BUFFER_DESC d{size, D3D11_USAGE_DEFAULT, bind, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA init{data, 0, 0};
    ID3D11Buffer* b = nullptr;
    EXPECT_EQ(device->CreateBuffer(&d, data ? &init : nullptr, &b), S_OK);
    return b;
  }
  // What one draw of a test binds: a target, rasteriser, layout, vertex buffer, constant
  // buffer 0 of each stage, the shaders, and pixel resource and sampler 0.
  struct Pipeline {
    ID3D11RenderTargetView* rtv;
    const FLOAT* clear;
    ID3D11RasterizerState* raster;
    FLOAT width, height;
    ID3D11InputLayout* layout;
    ID3D11Buffer* vertices;
    UINT stride;
    ID3D11Buffer* vsConstants;
    ID3D11Buffer* psConstants;
    ID3D11VertexShader* vs;
    ID3D11PixelShader* ps;
    ID3D11ShaderResourceView* srv;
    ID3D11SamplerState* sampler;
  };
  // Clears the context's state and the target, then binds the pipeline as a triangle list.
  void bindPipeline(const Pipeline& p) {
    context->ClearState();
    context->ClearRenderTargetView(p.rtv, p.clear);
    ID3D11RenderTargetView* targets[] = {p.rtv};
    context->OMSetRenderTargets(1, targets, nullptr);
    context->RSSetState(p.raster);
    const D3D11_VIEWPORT vp{0, 0, p.width, p.height, 0, 1};
    context->RSSetViewports(1, &vp);
    context->IASetInputLayout(p.layout);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    ID3D11Buffer* vbs[] = {p.vertices};
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, vbs, &p.stride, &offset);
    ID3D11Buffer* vcbs[] = {p.vsConstants};
    ID3D11Buffer* pcbs[] = {p.psConstants};
    context->VSSetConstantBuffers(0, 1, vcbs);
    context->PSSetConstantBuffers(0, 1, pcbs);
    context->VSSetShader(p.vs, nullptr, 0);
    context->PSSetShader(p.ps, nullptr, 0);
    ID3D11ShaderResourceView* srvs[] = {p.srv};
    ID3D11SamplerState* samplers[] = {p.sampler};
    context->PSSetShaderResources(0, 1, srvs);
    context->PSSetSamplers(0, 1, samplers);
  }
  // Reads texel bytes of a texture through a staging copy and Map(READ).
  std::vector<uint8_t> readBack(ID3D11Texture2D* t) {
    D3D11_TEXTURE2D_DESC d;
    t->GetDesc(&d);
    Com<ID3D11Texture2D> staging;
    staging.p = texture(d.Format, d.Width, d.Height, D3D11_USAGE_STAGING, 0, D3D11_CPU_ACCESS_READ);
    context->CopyResource(staging.get(), t);
    D3D11_MAPPED_SUBRESOURCE m;
    EXPECT_EQ(context->Map(staging.get(), 0, D3D11_MAP_READ, 0, &m), S_OK);
    std::vector<uint8_t> out;
    for (UINT y = 0; y < d.Height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(m.pData) + size_t(y) * m.RowPitch;
      out.insert(out.end(), row, row + d.Width * 4);
    }
    context->Unmap(staging.get(), 0);
    return out;
  }

  std::unique_ptr<facesupport::FaceWindow> window;
  plat::win::HWND hwnd = nullptr;
  Com<IDXGIFactory1> factory;
  Com<IDXGIAdapter> adapter;
  Com<ID3D11Device> device;
  Com<ID3D11DeviceContext> context;
};

}  // namespace facetest
