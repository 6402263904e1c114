// Shared pieces of the Direct3D 11 and DXGI faces: the reference-counting base, the
// objects that wrap the software GPU's resources, views, states and shaders, the code
// conversions, and the fault switches tests set.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/gpu/d3d11/dxbc_decode.h"
#include "platform/gpu/d3d11/dxgi.h"
#include "platform/gpu/pipeline.h"

namespace plat::gpu::d3d11 {

// A device child: holds its device for GetDevice.
template <class I>
class Child : public Com<I> {
 public:
  explicit Child(ID3D11Device* device) : device_(device) { device_->AddRef(); }
  ~Child() override { device_->Release(); }
  void GetDevice(ID3D11Device** device) override {
    device_->AddRef();
    *device = device_;
  }

 private:
  ID3D11Device* device_;
};

class FaceBuffer final : public Child<ID3D11Buffer> {
 public:
  FaceBuffer(ID3D11Device* d, Ref<Buffer> b, const D3D11_BUFFER_DESC& desc) : Child(d), buffer(std::move(b)), desc_(desc) {}
  void GetType(D3D11_RESOURCE_DIMENSION* t) override { *t = D3D11_RESOURCE_DIMENSION_BUFFER; }
  void GetDesc(D3D11_BUFFER_DESC* d) override { *d = desc_; }
  Ref<Buffer> buffer;

 private:
  void* iface(const IID& iid) override;
  D3D11_BUFFER_DESC desc_;
};

class FaceTexture final : public Child<ID3D11Texture2D> {
 public:
  FaceTexture(ID3D11Device* d, Ref<Texture> t, const D3D11_TEXTURE2D_DESC& desc) : Child(d), texture(std::move(t)), desc_(desc) {}
  void GetType(D3D11_RESOURCE_DIMENSION* t) override { *t = D3D11_RESOURCE_DIMENSION_TEXTURE2D; }
  void GetDesc(D3D11_TEXTURE2D_DESC* d) override { *d = desc_; }
  Ref<Texture> texture;

 private:
  void* iface(const IID& iid) override;
  D3D11_TEXTURE2D_DESC desc_;
};

// The core resource behind a face resource; null for null.
Resource* coreResource(ID3D11Resource* r);
Texture* coreTexture(ID3D11Resource* r);
Buffer* coreBuffer(ID3D11Resource* r);

// A view keeps the face resource (and so the core texture) alive.
template <class I>
class FaceView final : public Child<I> {
 public:
  FaceView(ID3D11Device* d, ID3D11Resource* r, Ref<View> v) : Child<I>(d), view(std::move(v)), resource_(r) {
    resource_->AddRef();
  }
  ~FaceView() override { resource_->Release(); }
  void GetResource(ID3D11Resource** r) override {
    resource_->AddRef();
    *r = resource_;
  }
  Ref<View> view;

 private:
  ID3D11Resource* resource_;
};
using FaceSRV = FaceView<ID3D11ShaderResourceView>;
using FaceRTV = FaceView<ID3D11RenderTargetView>;
using FaceDSV = FaceView<ID3D11DepthStencilView>;

template <class I, class Payload>
class FaceObject final : public Child<I> {
 public:
  FaceObject(ID3D11Device* d, Payload p) : Child<I>(d), payload(std::move(p)) {}
  Payload payload;
};
using FaceBlend = FaceObject<ID3D11BlendState, Ref<BlendState>>;
using FaceDepthState = FaceObject<ID3D11DepthStencilState, Ref<DepthStencilState>>;
using FaceRasterizer = FaceObject<ID3D11RasterizerState, RasterizerDesc>;
using FaceSampler = FaceObject<ID3D11SamplerState, Ref<SamplerState>>;
using FaceLayout = FaceObject<ID3D11InputLayout, std::vector<InputElement>>;
// A shader object holds a bank entry or a decoded program.
struct ShaderPayload {
  const ShaderEntry* entry = nullptr;
  std::shared_ptr<const dxbc::Shader> program;
};
using FaceVertexShader = FaceObject<ID3D11VertexShader, ShaderPayload>;
using FacePixelShader = FaceObject<ID3D11PixelShader, ShaderPayload>;

// Why the last shader creation on this thread refused its bytecode.
const char* shaderRefusal();

// Code conversions. Unknown for a format the face does not name.
Format toFormat(DXGI_FORMAT f);
HRESULT toResult(Status s);
// The support bits the face advertises for a format (0: not at all).
UINT faceFormatSupport(DXGI_FORMAT f);

// Makes the immediate context of a device. The context's references are the device's;
// the device destroys it when it goes.
ID3D11DeviceContext* makeContext(ID3D11Device* device);
void destroyContext(ID3D11DeviceContext* context);
// The device's core texture and face texture for a new swap-chain buffer.
HRESULT makeTexture(ID3D11Device* device, const D3D11_TEXTURE2D_DESC& desc, const D3D11_SUBRESOURCE_DATA* initial,
                    ID3D11Texture2D** out);
HRESULT makeBuffer(ID3D11Device* device, const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initial,
                   ID3D11Buffer** out);
HRESULT makeShaderResourceView(ID3D11Device* device, ID3D11Resource* r, const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                               ID3D11ShaderResourceView** out);
HRESULT makeRenderTargetView(ID3D11Device* device, ID3D11Resource* r, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                             ID3D11RenderTargetView** out);
HRESULT makeDepthStencilView(ID3D11Device* device, ID3D11Resource* r, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                             ID3D11DepthStencilView** out);
HRESULT makeBlendState(ID3D11Device* device, const D3D11_BLEND_DESC* desc, ID3D11BlendState** out);
HRESULT makeDepthStencilState(ID3D11Device* device, const D3D11_DEPTH_STENCIL_DESC* desc,
                              ID3D11DepthStencilState** out);
HRESULT makeRasterizerState(ID3D11Device* device, const D3D11_RASTERIZER_DESC* desc, ID3D11RasterizerState** out);
HRESULT makeSamplerState(ID3D11Device* device, const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** out);
HRESULT makeVertexShader(ID3D11Device* device, const void* code, SIZE_T length, ID3D11VertexShader** out);
HRESULT makePixelShader(ID3D11Device* device, const void* code, SIZE_T length, ID3D11PixelShader** out);
HRESULT makeInputLayout(ID3D11Device* device, const D3D11_INPUT_ELEMENT_DESC* elements, UINT count,
                        const void* code, SIZE_T length, ID3D11InputLayout** out);
// The one adapter and its one output (new objects; they hold no state).
IDXGIAdapter* theAdapter();
IDXGIOutput* theOutput();
HRESULT makeSwapChain(IUnknown* device, DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** chain);

// Fault switches: the profile's failing-call map names face methods with a prefix that
// keeps them apart from the core's entries: "d3d11.D3D11CreateDevice", "d3d11.Create..."
// for every creation of the device, "dxgi.CreateSwapChain" and "dxgi.Present". The named
// call answers E_FAIL without side effects. Level caps and refused formats live in the
// profile too.
bool injectedFailure(const char* method);

}  // namespace plat::gpu::d3d11
