// Direct3D 9 face: the device's life, scenes, clears, presents, resource creation and
// device loss.
#include "platform/gpu/d3d9/d3d9_device.h"

#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

const IID IID_IDirect3DDevice9 = {0xd0223b96, 0xbf7a, 0x43fd, {0x92, 0xbd, 0xa4, 0x3b, 0x0d, 0x82, 0xb9, 0xeb}};
const IID IID_IDirect3DDevice9Ex = {0xb18b10ce, 0x2649, 0x405a, {0x87, 0x0f, 0x95, 0xf7, 0x77, 0xd4, 0x31, 0x3a}};

namespace d3d9 {

Device::Device(DWORD behaviour, bool ex) : link(std::make_shared<DeviceLink>()), behaviour_(behaviour), ex_(ex) {
  link->device = this;
}

Device::~Device() {
  for (auto*& t : targets_)
    if (t) t->Release();
  if (depth_) depth_->Release();
  for (auto*& t : textures_)
    if (t) t->Release();
  for (IUnknown* u : std::initializer_list<IUnknown*>{declaration_, vertexShader_, pixelShader_, stream_, indices_})
    if (u) u->Release();
  if (autoDepth_) autoDepth_->Release();
  if (chain_) chainInterface(chain_)->Release();
  std::lock_guard hold(link->lock);
  link->device = nullptr;
}

void* Device::iface(const IID& iid) {
  if (iid == IID_IDirect3DDevice9 || (ex_ && iid == IID_IDirect3DDevice9Ex)) return static_cast<IDirect3DDevice9Ex*>(this);
  return nullptr;
}

HRESULT Device::init(const D3DPRESENT_PARAMETERS& params) {
  params_ = params;
  const HRESULT r = makeSwapChain(this, link, params_, &chain_);
  if (r != D3D_OK) return r;
  const Subresource& bb = backBuffer(chain_)->texture->sub(0);
  params_.BackBufferWidth = UINT(bb.width);
  params_.BackBufferHeight = UINT(bb.height);
  if (params_.BackBufferCount == 0) params_.BackBufferCount = 1;
  viewport_ = D3DVIEWPORT9{0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
  scissor_ = RECT{0, 0, plat::win::LONG(bb.width), plat::win::LONG(bb.height)};
  targets_[0] = backBuffer(chain_);
  targets_[0]->AddRef();
  if (params.EnableAutoDepthStencil) {
    const HRESULT d = makeSurface(link, params_.BackBufferWidth, params_.BackBufferHeight, params.AutoDepthStencilFormat,
                                  D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, false, &autoDepth_);
    if (d != D3D_OK) return d;
    depth_ = autoDepth_;
    depth_->AddRef();
  }
  setDefaults();
  return D3D_OK;
}

HRESULT Device::TestCooperativeLevel() {
  if (!callAllowed("TestCooperativeLevel")) return E_FAIL;
  std::lock_guard hold(link->lock);
  return link->lost ? D3DERR_DEVICELOST : D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  if (!callAllowed("GetDeviceCaps")) return E_FAIL;
  *caps = currentCaps();
  return D3D_OK;
}

HRESULT Device::GetSwapChain(UINT index, IDirect3DSwapChain9** chain) {
  if (!chain) return D3DERR_INVALIDCALL;
  *chain = nullptr;
  if (index != 0) return D3DERR_INVALIDCALL;
  *chain = chainInterface(chain_);
  (*chain)->AddRef();
  return D3D_OK;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND window, const void*) {
  if (!callAllowed("Present")) return E_FAIL;
  return presentChain(chain_, source, dest, window);
}

HRESULT Device::GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (chain != 0) return D3DERR_INVALIDCALL;
  return chainInterface(chain_)->GetBackBuffer(index, type, surface);
}

HRESULT Device::SetDialogBoxMode(BOOL enable) {
  if (!callAllowed("SetDialogBoxMode")) return E_FAIL;
  dialogBoxMode_ = enable != 0;
  return D3D_OK;
}

HRESULT Device::CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE*) {
  if (!callAllowed("CreateTexture")) return E_FAIL;
  return makeTexture(link, w, h, levels, usage, format, pool, texture);
}

HRESULT Device::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DCubeTexture9** texture, HANDLE*) {
  if (!callAllowed("CreateCubeTexture")) return E_FAIL;
  return makeCubeTexture(link, edge, levels, usage, format, pool, texture);
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                                   HANDLE*) {
  if (!callAllowed("CreateVertexBuffer")) return E_FAIL;
  return makeVertexBuffer(link, length, usage, fvf, pool, buffer);
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE*) {
  if (!callAllowed("CreateIndexBuffer")) return E_FAIL;
  return makeIndexBuffer(link, length, usage, format, pool, buffer);
}

HRESULT Device::CreateRenderTarget(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality,
                                   BOOL lockable, IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!callAllowed("CreateRenderTarget")) return E_FAIL;
  if (quality >= multisampleLevels(format, ms)) return D3DERR_INVALIDCALL;
  Surface* s = nullptr;
  const HRESULT r = makeSurface(link, w, h, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, lockable != 0, &s, ms);
  *surface = s;
  return r;
}

HRESULT Device::CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality,
                                          BOOL, IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!callAllowed("CreateDepthStencilSurface")) return E_FAIL;
  if (quality >= multisampleLevels(format, ms)) return D3DERR_INVALIDCALL;
  Surface* s = nullptr;
  const HRESULT r = makeSurface(link, w, h, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, false, &s, ms);
  *surface = s;
  return r;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (!callAllowed("CreateOffscreenPlainSurface")) return E_FAIL;
  if (pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  Surface* s = nullptr;
  const HRESULT r = makeSurface(link, w, h, format, 0, pool, true, &s);
  *surface = s;
  return r;
}

HRESULT Device::UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                              const plat::win::POINT* destPoint) {
  if (!callAllowed("UpdateSurface")) return E_FAIL;
  return updateSurface(source, sourceRect, dest, destPoint);
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) {
  if (!callAllowed("UpdateTexture")) return E_FAIL;
  return updateTexture(source, dest);
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) {
  if (!callAllowed("GetRenderTargetData")) return E_FAIL;
  return renderTargetData(target, dest);
}

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                            const RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
  if (!callAllowed("StretchRect")) return E_FAIL;
  return stretchSurface(source, sourceRect, dest, destRect, filter);
}

HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour) {
  if (!callAllowed("ColorFill")) return E_FAIL;
  return colourFill(surface, rect, colour);
}

HRESULT Device::BeginScene() {
  if (!callAllowed("BeginScene")) return E_FAIL;
  if (sceneDepth_ != 0) return D3DERR_INVALIDCALL;  // scenes do not nest
  sceneDepth_ = 1;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!callAllowed("EndScene")) return E_FAIL;
  if (sceneDepth_ == 0) return D3DERR_INVALIDCALL;
  sceneDepth_ = 0;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD) {
  if (!callAllowed("Clear")) return E_FAIL;
  if ((count != 0 && !rects) || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
    return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && !depth_) return D3DERR_INVALIDCALL;
  // Everything is clipped to the viewport.
  const int vx0 = int(viewport_.X), vy0 = int(viewport_.Y);
  const int vx1 = int(viewport_.X + viewport_.Width), vy1 = int(viewport_.Y + viewport_.Height);
  const Float4 c = colourOf(colour);
  auto clearBox = [&](int x0, int y0, int x1, int y1) {
    if (x0 < vx0) x0 = vx0;
    if (y0 < vy0) y0 = vy0;
    if (x1 > vx1) x1 = vx1;
    if (y1 > vy1) y1 = vy1;
    if ((flags & D3DCLEAR_TARGET) && targets_[0]) {
      Texture& t = *targets_[0]->texture;
      const Subresource& s = t.sub(targets_[0]->sub);
      const Box b{x0 < 0 ? 0 : x0, y0 < 0 ? 0 : y0, x1 > s.width ? s.width : x1, y1 > s.height ? s.height : y1};
      if (b.left < b.right && b.top < b.bottom) fillRect(t, targets_[0]->sub, &b, c);
    }
    if ((flags & D3DCLEAR_ZBUFFER) && depth_) {
      Texture& t = *depth_->texture;
      const Subresource& s = t.sub(depth_->sub);
      const Box b{x0 < 0 ? 0 : x0, y0 < 0 ? 0 : y0, x1 > s.width ? s.width : x1, y1 > s.height ? s.height : y1};
      if (b.left < b.right && b.top < b.bottom) fillRect(t, depth_->sub, &b, Float4{z, 0.0f, 0.0f, 0.0f});
    }
  };
  if (count == 0) {
    clearBox(vx0, vy0, vx1, vy1);
  } else {
    for (DWORD i = 0; i < count; ++i) clearBox(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  return D3D_OK;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** decl) {
  if (!callAllowed("CreateVertexDeclaration")) return E_FAIL;
  return makeDeclaration(elements, decl);
}

HRESULT Device::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) {
  if (!callAllowed("CreateVertexShader")) return E_FAIL;
  return makeVertexShader(function, shader);
}

HRESULT Device::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) {
  if (!callAllowed("CreatePixelShader")) return E_FAIL;
  return makePixelShader(function, shader);
}

HRESULT Device::SetMaximumFrameLatency(UINT frames) {
  if (!callAllowed("SetMaximumFrameLatency")) return E_FAIL;
  if (frames > 20) return D3DERR_INVALIDCALL;
  frameLatency_ = frames == 0 ? 3 : frames;
  return D3D_OK;
}

HRESULT Device::GetMaximumFrameLatency(UINT* frames) {
  if (!frames) return D3DERR_INVALIDCALL;
  *frames = frameLatency_;
  return D3D_OK;
}

void Device::lose() {
  std::lock_guard hold(link->lock);
  link->lost = true;
  for (FaceResource* r : link->defaultPool) r->overwrite();
}

HRESULT makeDevice(HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params, bool ex, IDirect3DDevice9Ex** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!params) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS p = *params;
  if (!p.hDeviceWindow) p.hDeviceWindow = focus;
  if (!p.hDeviceWindow || p.BackBufferCount > 3) return D3DERR_INVALIDCALL;
  // A multisampled back buffer is discarded at each present and never locked.
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE &&
      (p.SwapEffect != D3DSWAPEFFECT_DISCARD || (p.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) ||
       p.MultiSampleQuality >= multisampleLevels(p.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8
                                                                                     : p.BackBufferFormat,
                                                 p.MultiSampleType)))
    return D3DERR_INVALIDCALL;
  if (!(behaviour & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                     D3DCREATE_MIXED_VERTEXPROCESSING)))
    return D3DERR_INVALIDCALL;
  auto* d = new (std::nothrow) Device(behaviour, ex);
  if (!d) return plat::win::E_OUTOFMEMORY;
  const HRESULT r = d->init(p);
  if (r != D3D_OK) {
    d->Release();
    return r;
  }
  *params = d->presentParams();
  *out = d;
  return D3D_OK;
}

}  // namespace d3d9

void LoseDeviceForTest(IDirect3DDevice9* device) {
  if (auto* d = dynamic_cast<d3d9::Device*>(device)) d->lose();
}

}  // namespace plat::gpu
