// DXGI face: swap chains. The one back buffer is a software-GPU texture; Present shows it
// in the chain's window through the shared window route, one frame per present.
#include <vector>

#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/profile.h"
#include "platform/gpu/window_present.h"
#include "platform/win/ddraw.h"

namespace plat::gpu::d3d11 {

namespace {

using plat::win::E_INVALIDARG;
using plat::win::S_OK;

bool presentable(DXGI_FORMAT f) {
  return f == DXGI_FORMAT_R8G8B8A8_UNORM || f == DXGI_FORMAT_B8G8R8A8_UNORM || f == DXGI_FORMAT_B8G8R8X8_UNORM;
}

class SwapChain final : public Com<IDXGISwapChain> {
 public:
  SwapChain(ID3D11Device* device, const DXGI_SWAP_CHAIN_DESC& desc) : device_(device), desc_(desc) {
    device_->AddRef();
  }
  ~SwapChain() override {
    if (buffer_) buffer_->Release();
    device_->Release();
  }

  // Makes the back buffer for the description's size and format.
  HRESULT makeBuffer() {
    D3D11_TEXTURE2D_DESC t{};
    t.Width = desc_.BufferDesc.Width;
    t.Height = desc_.BufferDesc.Height;
    t.MipLevels = 1;
    t.ArraySize = 1;
    t.Format = desc_.BufferDesc.Format;
    t.SampleDesc = desc_.SampleDesc;
    t.Usage = D3D11_USAGE_DEFAULT;
    t.BindFlags = D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE;
    ID3D11Texture2D* fresh = nullptr;
    const HRESULT r = makeTexture(device_, t, nullptr, &fresh);
    if (r != S_OK) return r;
    // Views of the old buffer keep it alive; only the chain's own reference goes.
    if (buffer_) buffer_->Release();
    buffer_ = fresh;
    return S_OK;
  }

  HRESULT Present(UINT sync, UINT flags) override {
    if (sync > 4 || flags != 0) return DXGI_ERROR_INVALID_CALL;
    if (presentFails() || injectedFailure("dxgi.Present")) return E_FAIL;
    for (UINT i = 0; i < sync; ++i) plat::win::WaitForVerticalBlankTick();
    Texture* shown = static_cast<FaceTexture*>(buffer_)->texture.get();
    if (shown->samples() != 1) {  // a multisampled buffer shows its resolve
      if (!resolved_ || resolved_->desc().width != shown->desc().width ||
          resolved_->desc().height != shown->desc().height) {
        TextureDesc d;
        d.width = shown->desc().width;
        d.height = shown->desc().height;
        d.format = shown->format();
        if (createTexture(d, nullptr, resolved_) != Status::ok) return plat::win::E_OUTOFMEMORY;
      }
      if (resolveSubresource(*resolved_, 0, *shown, 0, shown->format()) != Status::ok) return E_FAIL;
      shown = resolved_.get();
    }
    presentWhole(desc_.OutputWindow, *shown, 0, shown_);
    return S_OK;
  }
  HRESULT GetBuffer(UINT index, const IID& iid, void** surface) override {
    if (surface == nullptr) return E_INVALIDARG;
    *surface = nullptr;
    if (index != 0) return DXGI_ERROR_INVALID_CALL;
    return buffer_->QueryInterface(iid, surface);
  }
  HRESULT SetFullscreenState(BOOL fullscreen, IDXGIOutput*) override {
    fullscreen_ = fullscreen != 0;
    return S_OK;
  }
  HRESULT GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) override {
    if (fullscreen) *fullscreen = fullscreen_ ? 1 : 0;
    if (target) *target = fullscreen_ ? theOutput() : nullptr;
    return S_OK;
  }
  HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* desc) override {
    if (desc == nullptr) return E_INVALIDARG;
    *desc = desc_;
    desc->Windowed = fullscreen_ ? 0 : 1;
    return S_OK;
  }
  // 0 keeps the count and the format; a size of 0 takes the window's client size.
  HRESULT ResizeBuffers(UINT count, UINT width, UINT height, DXGI_FORMAT format, UINT) override {
    if (count > 16 || (format != DXGI_FORMAT_UNKNOWN && !presentable(format))) return DXGI_ERROR_INVALID_CALL;
    const DXGI_SWAP_CHAIN_DESC old = desc_;
    if (count != 0) desc_.BufferCount = count;
    if (format != DXGI_FORMAT_UNKNOWN) desc_.BufferDesc.Format = format;
    desc_.BufferDesc.Width = width;
    desc_.BufferDesc.Height = height;
    clientSize(desc_);
    const HRESULT r = makeBuffer();
    if (r != S_OK) desc_ = old;
    return r;
  }
  HRESULT GetContainingOutput(IDXGIOutput** output) override {
    if (output == nullptr) return E_INVALIDARG;
    *output = theOutput();
    return *output ? S_OK : plat::win::E_OUTOFMEMORY;
  }

  static void clientSize(DXGI_SWAP_CHAIN_DESC& d) {
    RECT rc{0, 0, 0, 0};
    if (d.BufferDesc.Width == 0 || d.BufferDesc.Height == 0) plat::win::GetClientRect(d.OutputWindow, &rc);
    if (d.BufferDesc.Width == 0) d.BufferDesc.Width = UINT(rc.right > rc.left ? rc.right - rc.left : 1);
    if (d.BufferDesc.Height == 0) d.BufferDesc.Height = UINT(rc.bottom > rc.top ? rc.bottom - rc.top : 1);
  }

 private:
  void* iface(const IID& iid) override {
    return iid == IID_IDXGISwapChain ? static_cast<IDXGISwapChain*>(this) : nullptr;
  }

  ID3D11Device* device_;
  DXGI_SWAP_CHAIN_DESC desc_;
  ID3D11Texture2D* buffer_ = nullptr;
  Ref<Texture> resolved_;
  bool fullscreen_ = false;
  ShownRows shown_;
};

}  // namespace

HRESULT makeSwapChain(IUnknown* device, DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** chain) {
  if (chain) *chain = nullptr;
  if (device == nullptr || desc == nullptr || chain == nullptr || desc->OutputWindow == nullptr ||
      desc->BufferCount == 0 || desc->BufferCount > 16 || desc->SampleDesc.Count == 0 ||
      desc->SampleDesc.Count > 32 ||
      desc->SampleDesc.Quality >= UINT(multisampleQualityLevels(toFormat(desc->BufferDesc.Format),
                                                                int(desc->SampleDesc.Count))) ||
      !presentable(desc->BufferDesc.Format) ||
      !(desc->BufferUsage & DXGI_USAGE_RENDER_TARGET_OUTPUT) || desc->SwapEffect > DXGI_SWAP_EFFECT_SEQUENTIAL)
    return DXGI_ERROR_INVALID_CALL;
  ID3D11Device* d = nullptr;
  if (device->QueryInterface(IID_ID3D11Device, reinterpret_cast<void**>(&d)) != S_OK) return E_INVALIDARG;
  if (injectedFailure("dxgi.CreateSwapChain")) {
    d->Release();
    return E_FAIL;
  }
  DXGI_SWAP_CHAIN_DESC kept = *desc;
  SwapChain::clientSize(kept);
  auto* c = new (std::nothrow) SwapChain(d, kept);
  d->Release();
  if (c == nullptr) return plat::win::E_OUTOFMEMORY;
  if (c->SetFullscreenState(kept.Windowed ? 0 : 1, nullptr) != S_OK || c->makeBuffer() != S_OK) {
    c->Release();
    return E_INVALIDARG;
  }
  *chain = c;
  return S_OK;
}

}  // namespace plat::gpu::d3d11
