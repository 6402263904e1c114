// Direct3D 11 face: the device (format checks and every creation the back end makes), its
// DXGI face, and D3D11CreateDevice with the profile's level cap.
#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

const IID IID_IDXGIDevice1 = {0x4d120001, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x01}};

namespace d3d11 {

namespace {

using plat::win::E_INVALIDARG;
using plat::win::S_OK;

class Device;

// The device's DXGI face: a separate object that holds the device.
class DxgiDevice final : public Com<IDXGIDevice1> {
 public:
  explicit DxgiDevice(ID3D11Device* d) : device_(d) { device_->AddRef(); }
  ~DxgiDevice() override { device_->Release(); }
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object != nullptr && iid == IID_ID3D11Device) return device_->QueryInterface(iid, object);
    return Com::QueryInterface(iid, object);
  }
  HRESULT GetAdapter(IDXGIAdapter** adapter) override {
    if (adapter == nullptr) return E_INVALIDARG;
    *adapter = theAdapter();
    return S_OK;
  }
  HRESULT SetMaximumFrameLatency(UINT frames) override;
  HRESULT GetMaximumFrameLatency(UINT* frames) override;

 private:
  void* iface(const IID& iid) override;
  ID3D11Device* device_;
};

class Device final : public Com<ID3D11Device> {
 public:
  explicit Device(D3D_FEATURE_LEVEL level) : level_(level) {}
  ~Device() override { destroyContext(context_); }
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object != nullptr && iid == IID_IDXGIDevice1) {
      auto* face = new (std::nothrow) DxgiDevice(this);
      *object = static_cast<IDXGIDevice1*>(face);
      return face ? S_OK : plat::win::E_OUTOFMEMORY;
    }
    return Com::QueryInterface(iid, object);
  }
  // The context is part of the device: its references are the device's.
  void init() { context_ = makeContext(this); }
  bool ready() const { return context_ != nullptr; }

  HRESULT CheckFormatSupport(DXGI_FORMAT format, UINT* support) override {
    if (support == nullptr) return E_INVALIDARG;
    *support = faceFormatSupport(format);
    return *support ? S_OK : E_FAIL;
  }
  HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT count, UINT* levels) override {
    if (levels == nullptr) return E_INVALIDARG;
    *levels = 0;
    const Format f = toFormat(format);
    if (f == Format::Unknown || count == 0 || count > 32) return E_INVALIDARG;
    *levels = UINT(multisampleQualityLevels(f, int(count)));
    return S_OK;
  }
  HRESULT CreateBlendState(const D3D11_BLEND_DESC* d, ID3D11BlendState** out) override {
    return makeBlendState(this, d, out);
  }
  HRESULT CreateBuffer(const D3D11_BUFFER_DESC* d, const D3D11_SUBRESOURCE_DATA* init, ID3D11Buffer** out) override {
    return makeBuffer(this, d, init, out);
  }
  HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* d, ID3D11DepthStencilState** out) override {
    return makeDepthStencilState(this, d, out);
  }
  HRESULT CreateDepthStencilView(ID3D11Resource* r, const D3D11_DEPTH_STENCIL_VIEW_DESC* d,
                                 ID3D11DepthStencilView** out) override {
    return makeDepthStencilView(this, r, d, out);
  }
  HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* e, UINT n, const void* code, SIZE_T length,
                            ID3D11InputLayout** out) override {
    return makeInputLayout(this, e, n, code, length, out);
  }
  HRESULT CreatePixelShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                            ID3D11PixelShader** out) override {
    if (linkage != nullptr) return E_INVALIDARG;
    return makePixelShader(this, code, length, out);
  }
  HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC* d, ID3D11RasterizerState** out) override {
    return makeRasterizerState(this, d, out);
  }
  HRESULT CreateRenderTargetView(ID3D11Resource* r, const D3D11_RENDER_TARGET_VIEW_DESC* d,
                                 ID3D11RenderTargetView** out) override {
    return makeRenderTargetView(this, r, d, out);
  }
  HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC* d, ID3D11SamplerState** out) override {
    return makeSamplerState(this, d, out);
  }
  HRESULT CreateShaderResourceView(ID3D11Resource* r, const D3D11_SHADER_RESOURCE_VIEW_DESC* d,
                                   ID3D11ShaderResourceView** out) override {
    return makeShaderResourceView(this, r, d, out);
  }
  HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC* d, const D3D11_SUBRESOURCE_DATA* init,
                          ID3D11Texture2D** out) override {
    if (out) *out = nullptr;
    if (d == nullptr) return E_INVALIDARG;
    if (injectedFailure("d3d11.CreateTexture2D")) return E_FAIL;
    return makeTexture(this, *d, init, out);
  }
  HRESULT CreateVertexShader(const void* code, SIZE_T length, ID3D11ClassLinkage* linkage,
                             ID3D11VertexShader** out) override {
    if (linkage != nullptr) return E_INVALIDARG;
    return makeVertexShader(this, code, length, out);
  }
  void GetImmediateContext(ID3D11DeviceContext** context) override {
    context_->AddRef();
    *context = context_;
  }
  D3D_FEATURE_LEVEL GetFeatureLevel() override { return level_; }

  UINT frameLatency = 3;

 private:
  void* iface(const IID& iid) override {
    if (iid == IID_ID3D11Device) return static_cast<ID3D11Device*>(this);
    return nullptr;
  }

  D3D_FEATURE_LEVEL level_;
  ID3D11DeviceContext* context_ = nullptr;
};

void* DxgiDevice::iface(const IID& iid) {
  if (iid == IID_IDXGIDevice1) return static_cast<IDXGIDevice1*>(this);
  return nullptr;
}

HRESULT DxgiDevice::SetMaximumFrameLatency(UINT frames) {
  if (frames > 16) return DXGI_ERROR_INVALID_CALL;
  static_cast<Device*>(device_)->frameLatency = frames == 0 ? 3 : frames;
  return S_OK;
}

HRESULT DxgiDevice::GetMaximumFrameLatency(UINT* frames) {
  if (frames == nullptr) return DXGI_ERROR_INVALID_CALL;
  *frames = static_cast<Device*>(device_)->frameLatency;
  return S_OK;
}

const D3D_FEATURE_LEVEL kDefaultLevels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0,
                                            D3D_FEATURE_LEVEL_9_3,  D3D_FEATURE_LEVEL_9_2,  D3D_FEATURE_LEVEL_9_1};

bool knownLevel(D3D_FEATURE_LEVEL l) {
  return l == D3D_FEATURE_LEVEL_11_1 || l == D3D_FEATURE_LEVEL_11_0 || l == D3D_FEATURE_LEVEL_10_1 ||
         l == D3D_FEATURE_LEVEL_10_0 || l == D3D_FEATURE_LEVEL_9_3 || l == D3D_FEATURE_LEVEL_9_2 ||
         l == D3D_FEATURE_LEVEL_9_1;
}

}  // namespace

}  // namespace d3d11

HRESULT D3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, void* software, UINT flags,
                          const D3D_FEATURE_LEVEL* levels, UINT levelCount, UINT sdkVersion, ID3D11Device** device,
                          D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context) {
  using namespace d3d11;
  if (device) *device = nullptr;
  if (context) *context = nullptr;
  if (software != nullptr || sdkVersion != D3D11_SDK_VERSION || (levels == nullptr && levelCount != 0) ||
      (adapter != nullptr && driverType != D3D_DRIVER_TYPE_UNKNOWN) ||
      (adapter == nullptr && driverType != D3D_DRIVER_TYPE_HARDWARE))
    return E_INVALIDARG;
  (void)flags;
  if (levels == nullptr) {
    levels = kDefaultLevels;
    levelCount = sizeof kDefaultLevels / sizeof kDefaultLevels[0];
  }
  const Profile p = currentProfile();
  const UINT cap = UINT(p.featureMajor) << 12 | UINT(p.featureMinor) << 8;
  D3D_FEATURE_LEVEL chosen{};
  bool found = false;
  for (UINT i = 0; i < levelCount && !found; ++i) {
    if (!knownLevel(levels[i])) return E_INVALIDARG;
    if (UINT(levels[i]) <= cap) {
      chosen = levels[i];
      found = true;
    }
  }
  if (!found) return E_FAIL;
  if (injectedFailure("d3d11.D3D11CreateDevice")) return E_FAIL;
  if (level) *level = chosen;
  if (device == nullptr && context == nullptr) return plat::win::S_FALSE;
  auto* d = new (std::nothrow) Device(chosen);
  if (d == nullptr) return plat::win::E_OUTOFMEMORY;
  d->init();
  if (!d->ready()) {
    d->Release();
    return plat::win::E_OUTOFMEMORY;
  }
  if (context) d->GetImmediateContext(context);
  if (device)
    *device = d;
  else
    d->Release();
  return S_OK;
}

}  // namespace plat::gpu
