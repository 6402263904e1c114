// Direct3D 9 face: the swap chain. One back buffer of the present parameters' size and
// format (multisampled when they ask for it); a present copies a rectangle of it into a
// rectangle of the window's frame buffer (nearest texel) through the window route both
// faces share, one frame per present. A multisampled back buffer is resolved first.
#include <new>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/profile.h"
#include "platform/gpu/window_present.h"
#include "platform/win/ddraw.h"

namespace plat::gpu {

const IID IID_IDirect3DSwapChain9 = {0x794950f2, 0xadfc, 0x458a, {0x90, 0x5e, 0x10, 0xa1, 0x0b, 0x0b, 0x50, 0x3b}};

namespace d3d9 {

class SwapChain final : public Com<IDirect3DSwapChain9> {
 public:
  SwapChain(std::shared_ptr<DeviceLink> link, const D3DPRESENT_PARAMETERS& p) : link_(std::move(link)), params_(p) {}
  ~SwapChain() override {
    if (buffer_) buffer_->Release();
  }
  HRESULT init() {
    return makeSurface(link_, params_.BackBufferWidth, params_.BackBufferHeight, params_.BackBufferFormat,
                       D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0,
                       &buffer_, params_.MultiSampleType);
  }

  HRESULT Present(const RECT* source, const RECT* dest, HWND window, const void*, DWORD flags) override {
    if (flags != 0) return D3DERR_INVALIDCALL;
    if (presentFails() || !callAllowed("SwapChainPresent")) return E_FAIL;
    {
      std::lock_guard hold(link_->lock);
      if (link_->lost) return D3DERR_DEVICELOST;
    }
    HWND target = window ? window : params_.hDeviceWindow;
    Texture* shown = buffer_->texture.get();
    if (shown->samples() != 1) {
      if (!resolved_) {
        TextureDesc d;
        d.width = shown->desc().width;
        d.height = shown->desc().height;
        d.format = shown->format();
        if (createTexture(d, nullptr, resolved_) != Status::ok) return plat::win::E_OUTOFMEMORY;
      }
      if (const Status st = resolveSubresource(*resolved_, 0, *shown, 0, shown->format()); st != Status::ok)
        return toResult(st);
      shown = resolved_.get();
    }
    const Texture& t = *shown;
    Box src{0, 0, t.sub(0).width, t.sub(0).height};
    if (source && !boxOf(source, src.right, src.bottom, src)) return D3DERR_INVALIDCALL;
    RECT dst{0, 0, 0, 0};
    if (dest) {
      dst = *dest;
    } else if (!params_.Windowed) {
      int w = 0, h = 0;
      plat::win::GetPrimaryDisplaySize(&w, &h);
      plat::win::GetClientRect(target, &dst);
      if (dst.right <= dst.left) dst = RECT{0, 0, w, h};
    } else {
      plat::win::GetClientRect(target, &dst);
    }
    // DEFAULT paces like ONE; only IMMEDIATE skips the blank.
    if (params_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE) plat::win::WaitForVerticalBlankTick();
    if (!presentInto(target, t, 0, src, dst, shown_)) return D3DERR_INVALIDCALL;
    return D3D_OK;
  }
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    buffer_->AddRef();
    *surface = buffer_;
    return D3D_OK;
  }
  HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS* p) override {
    if (!p) return D3DERR_INVALIDCALL;
    *p = params_;
    return D3D_OK;
  }
  Surface* buffer() const { return buffer_; }

 private:
  void* iface(const IID& iid) override {
    return iid == IID_IDirect3DSwapChain9 ? static_cast<IDirect3DSwapChain9*>(this) : nullptr;
  }
  std::shared_ptr<DeviceLink> link_;
  D3DPRESENT_PARAMETERS params_;
  Surface* buffer_ = nullptr;
  Ref<Texture> resolved_;  // what a multisampled back buffer shows
  ShownRows shown_;
};

HRESULT makeSwapChain(IDirect3DDevice9*, const std::shared_ptr<DeviceLink>& link, const D3DPRESENT_PARAMETERS& params,
                      SwapChain** out) {
  *out = nullptr;
  D3DPRESENT_PARAMETERS p = params;
  if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
    RECT rc{0, 0, 0, 0};
    plat::win::GetClientRect(p.hDeviceWindow, &rc);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = UINT(rc.right > rc.left ? rc.right - rc.left : 1);
    if (p.BackBufferHeight == 0) p.BackBufferHeight = UINT(rc.bottom > rc.top ? rc.bottom - rc.top : 1);
  }
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  auto* c = new (std::nothrow) SwapChain(link, p);
  if (!c) return plat::win::E_OUTOFMEMORY;
  const HRESULT r = c->init();
  if (r != D3D_OK) {
    c->Release();
    return r;
  }
  *out = c;
  return D3D_OK;
}

IDirect3DSwapChain9* chainInterface(SwapChain* c) { return c; }
Surface* backBuffer(SwapChain* c) { return c->buffer(); }
HRESULT presentChain(SwapChain* c, const RECT* source, const RECT* dest, HWND window) {
  return c->Present(source, dest, window, nullptr, 0);
}

}  // namespace d3d9
}  // namespace plat::gpu
