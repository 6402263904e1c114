// Direct3D 9 face: surfaces, textures, cube textures and vertex and index buffers over the
// software GPU's textures and buffers, their locks, and the registration device loss reads.
#include <cstring>
#include <new>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

const IID IID_IDirect3DResource9 = {0x05eec05d, 0x8f7d, 0x4362, {0xb9, 0x99, 0xd1, 0xba, 0xf3, 0x57, 0xc7, 0x04}};
const IID IID_IDirect3DBaseTexture9 = {0x580ca87e, 0x1d3c, 0x4d54, {0x99, 0x1d, 0xb7, 0xd3, 0xe3, 0xc2, 0x98, 0xce}};
const IID IID_IDirect3DSurface9 = {0x0cfbaf3a, 0x9ff6, 0x429a, {0x99, 0xb3, 0xa2, 0x79, 0x6a, 0xf8, 0xb8, 0x9b}};
const IID IID_IDirect3DTexture9 = {0x85c31227, 0x3de5, 0x4f00, {0x9b, 0x3a, 0xf1, 0x1a, 0xc3, 0x8c, 0x18, 0xb5}};
const IID IID_IDirect3DCubeTexture9 = {0xfff32f81, 0xd953, 0x473a, {0x92, 0x23, 0x93, 0xd6, 0x52, 0xab, 0xa9, 0x3f}};
const IID IID_IDirect3DVertexBuffer9 = {0xb64bb1b5, 0xfd70, 0x4df6, {0xbf, 0x91, 0x19, 0xd0, 0xa1, 0x24, 0x55, 0xe3}};
const IID IID_IDirect3DIndexBuffer9 = {0x7c9dd65e, 0xd3f7, 0x4529, {0xac, 0xee, 0x78, 0x58, 0x30, 0xac, 0xde, 0x35}};

namespace d3d9 {

using plat::win::S_OK;

// ---- conversions ---------------------------------------------------------------------

Format toFormat(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_A8R8G8B8: return Format::B8G8R8A8;
    case D3DFMT_X8R8G8B8: return Format::B8G8R8X8;
    case D3DFMT_R5G6B5: return Format::B5G6R5;
    case D3DFMT_X1R5G5B5:  // stored with its top bit; samples read it
    case D3DFMT_A1R5G5B5: return Format::B5G5R5A1;
    case D3DFMT_A4R4G4B4: return Format::B4G4R4A4;
    case D3DFMT_R8G8B8: return Format::B8G8R8;
    case D3DFMT_R3G3B2: return Format::B2G3R3;
    case D3DFMT_A8R3G3B2: return Format::B2G3R3A8;
    case D3DFMT_X4R4G4B4: return Format::B4G4R4X4;
    case D3DFMT_A2B10G10R10: return Format::R10G10B10A2;
    case D3DFMT_A2R10G10B10: return Format::B10G10R10A2;
    case D3DFMT_A8B8G8R8: return Format::R8G8B8A8;
    case D3DFMT_X8B8G8R8: return Format::R8G8B8X8;
    case D3DFMT_A16B16G16R16: return Format::R16G16B16A16;
    case D3DFMT_G16R16: return Format::R16G16;
    case D3DFMT_L8: return Format::L8;
    case D3DFMT_A8L8: return Format::A8L8;
    case D3DFMT_L16: return Format::L16;
    case D3DFMT_V8U8: return Format::R8G8Snorm;
    case D3DFMT_R16F: return Format::R16F;
    case D3DFMT_G16R16F: return Format::R16G16F;
    case D3DFMT_A16B16G16R16F: return Format::R16G16B16A16F;
    case D3DFMT_G32R32F: return Format::R32G32F;
    case D3DFMT_A32B32G32R32F: return Format::R32G32B32A32F;
    case D3DFMT_DXT1: return Format::BC1;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: return Format::BC2;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return Format::BC3;
    case D3DFMT_R32F: return Format::R32F;
    case D3DFMT_D16: return Format::D16;
    case D3DFMT_D24X8:
    case D3DFMT_D24S8: return Format::D24S8;
    case D3DFMT_D32: return Format::D32F;
    default: return Format::Unknown;
  }
}

DWORD multisampleLevels(D3DFORMAT format, D3DMULTISAMPLE_TYPE ms) {
  if (ms == D3DMULTISAMPLE_NONE) return 1;
  const Format f = toFormat(format);
  if (ms == D3DMULTISAMPLE_NONMASKABLE || ms > 16 || f == Format::Unknown) return 0;
  return DWORD(multisampleQualityLevels(f, int(ms)));
}

HRESULT toResult(Status s) {
  switch (s) {
    case Status::ok: return D3D_OK;
    case Status::outOfMemory: return D3DERR_OUTOFVIDEOMEMORY;
    case Status::unsupported: return D3DERR_NOTAVAILABLE;
    case Status::injectedFailure: return E_FAIL;
    default: return D3DERR_INVALIDCALL;
  }
}

Float4 colourOf(D3DCOLOR c) {
  return Float4{kUnorm8[(c >> 16) & 0xFF], kUnorm8[(c >> 8) & 0xFF], kUnorm8[c & 0xFF], kUnorm8[c >> 24]};
}

bool boxOf(const RECT* r, int w, int h, Box& out) {
  if (!r) {
    out = Box{0, 0, w, h};
    return w > 0 && h > 0;
  }
  if (r->left < 0 || r->top < 0 || r->right > w || r->bottom > h || r->left >= r->right || r->top >= r->bottom)
    return false;
  out = Box{int(r->left), int(r->top), int(r->right), int(r->bottom)};
  return true;
}

// ---- the shared resource part --------------------------------------------------------

FaceResource::FaceResource(std::shared_ptr<DeviceLink> l, D3DPOOL p, DWORD u, D3DFORMAT f, bool tracked)
    : link(std::move(l)), pool(p), usage(u), format(f), tracked_(tracked && p == D3DPOOL_DEFAULT) {
  if (tracked_) {
    std::lock_guard hold(link->lock);
    link->defaultPool.insert(this);
  }
}

FaceResource::~FaceResource() {
  if (tracked_) {
    std::lock_guard hold(link->lock);
    link->defaultPool.erase(this);
  }
}

HRESULT FaceResource::device(IDirect3DDevice9** out) const {
  if (!out) return D3DERR_INVALIDCALL;
  std::lock_guard hold(link->lock);
  *out = link->device;
  if (!*out) return D3DERR_INVALIDCALL;
  (*out)->AddRef();
  return D3D_OK;
}

void FaceResource::overwrite() {
  if (texture) {
    const Float4 marker = colourOf(kLostMarkerColour);
    for (int i = 0; i < texture->subresourceCount(); ++i) {
      if (isBlock(texture->format()) || formatInfo(texture->format()).kind == FormatKind::Depth) {
        std::memset(texture->data(i), 0xA5, texture->sub(i).size);  // no colour to store: a fixed pattern
      } else {
        fillRect(*texture, i, nullptr, marker);
      }
    }
  }
  if (buffer) {
    for (size_t at = 0; at + 4 <= buffer->size(); at += 4) std::memcpy(buffer->data() + at, &kLostMarkerColour, 4);
  }
}

View* FaceResource::shaderView() {
  if (!srv_ && texture && (texture->bind() & kBindShaderResource)) {
    ViewDesc d;
    d.kind = ViewKind::shaderResource;
    d.cube = texture->desc().cube;
    // X formats read their spare channel as one.
    if (format == D3DFMT_X8R8G8B8) d.format = Format::B8G8R8X8;
    createView(*texture, d, srv_);
  }
  return srv_.get();
}

FaceResource* faceOf(IUnknown* object) { return object ? dynamic_cast<FaceResource*>(object) : nullptr; }
Surface* surfaceOf(IDirect3DSurface9* s) { return s ? dynamic_cast<Surface*>(s) : nullptr; }

D3DSURFACE_DESC surfaceDesc(const FaceResource& r, int sub) {
  D3DSURFACE_DESC d{};
  d.Format = r.format;
  d.Type = D3DRTYPE_SURFACE;
  d.Usage = r.usage;
  d.Pool = r.pool;
  d.Width = UINT(r.texture->sub(sub).width);
  d.Height = UINT(r.texture->sub(sub).height);
  const int samples = r.texture->samples();
  d.MultiSampleType = samples > 1 ? D3DMULTISAMPLE_TYPE(samples) : D3DMULTISAMPLE_NONE;
  return d;
}

// ---- locks ---------------------------------------------------------------------------

HRESULT lockSub(Texture& t, int sub, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || sub < 0 || sub >= t.subresourceCount()) return D3DERR_INVALIDCALL;
  if (t.isMapped(sub)) return D3DERR_INVALIDCALL;
  const Subresource& s = t.sub(sub);
  Box b;
  if (!boxOf(rect, s.width, s.height, b)) return D3DERR_INVALIDCALL;
  const FormatInfo& info = formatInfo(t.format());
  if (info.blockDim == 4 && ((b.left | b.top) & 3)) return D3DERR_INVALIDCALL;  // blocks lock whole
  const size_t offset = size_t(b.top / info.blockDim) * s.pitch + size_t(b.left / info.blockDim) * info.bytes;
  locked->pBits = t.data(sub) + offset;
  locked->Pitch = INT(s.pitch);
  t.setMapped(sub, true);
  return D3D_OK;
}

HRESULT unlockSub(Texture& t, int sub) {
  if (sub < 0 || sub >= t.subresourceCount() || !t.isMapped(sub)) return D3DERR_INVALIDCALL;
  t.setMapped(sub, false);
  return D3D_OK;
}

// ---- surfaces ------------------------------------------------------------------------

Surface::Surface(std::shared_ptr<DeviceLink> l, D3DPOOL p, DWORD u, D3DFORMAT f, Ref<Texture> t, int s,
                 IUnknown* container, bool lockable)
    : FaceResource(std::move(l), p, u, f, container == nullptr), sub(s), container_(container), lockable_(lockable) {
  texture = std::move(t);
  if (container_) container_->AddRef();
}

Surface::~Surface() {
  if (container_) container_->Release();
}

void* Surface::iface(const IID& iid) {
  if (iid == IID_IDirect3DSurface9 || iid == IID_IDirect3DResource9) return static_cast<IDirect3DSurface9*>(this);
  return nullptr;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = surfaceDesc(*this, sub);
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (!callAllowed("LockRect")) return E_FAIL;
  if (!lockable_) return D3DERR_INVALIDCALL;
  return lockSub(*texture, sub, locked, rect, flags);
}

HRESULT Surface::UnlockRect() { return unlockSub(*texture, sub); }

View* Surface::targetView() {
  if (!target_) {
    ViewDesc d;
    const bool depth = formatInfo(texture->format()).kind == FormatKind::Depth;
    d.kind = depth ? ViewKind::depthStencil : ViewKind::renderTarget;
    if (!(texture->bind() & (depth ? kBindDepthStencil : kBindRenderTarget))) return nullptr;
    const int levels = texture->levels();
    d.firstLevel = sub % levels;
    d.levelCount = 1;
    d.firstSlice = sub / levels;
    d.sliceCount = 1;
    // The spare byte of an X target takes whatever is drawn; nothing reads it.
    if (texture->format() == Format::B8G8R8X8) d.format = Format::B8G8R8A8;
    if (createView(*texture, d, target_) != Status::ok) return nullptr;
  }
  return target_.get();
}

namespace {

// A core texture for a face resource, with the profile's and the switches' refusals.
HRESULT coreTexture(UINT w, UINT h, UINT levels, bool cube, DWORD usage, D3DFORMAT format, Ref<Texture>& out,
                    int samples = 1) {
  const Format f = toFormat(format);
  if (f == Format::Unknown || w == 0 || h == 0 || w > 65536 || h > 65536) return D3DERR_INVALIDCALL;
  const D3DCAPS9 caps = currentCaps();
  if (w > caps.MaxTextureWidth || h > caps.MaxTextureHeight) return D3DERR_INVALIDCALL;
  const DWORD use = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL);
  if (formatRefused(format, use)) return D3DERR_NOTAVAILABLE;
  TextureDesc d;
  d.width = int(w);
  d.height = int(h);
  int chain = 1;
  for (UINT s = w > h ? w : h; s > 1; s >>= 1) ++chain;
  d.levels = levels == 0 ? chain : int(levels);
  if (d.levels > chain) return D3DERR_INVALIDCALL;
  d.cube = cube;
  d.slices = cube ? 6 : 1;
  d.format = f;
  const bool depth = formatInfo(f).kind == FormatKind::Depth;
  if (depth != ((usage & D3DUSAGE_DEPTHSTENCIL) != 0)) return D3DERR_INVALIDCALL;
  d.bind = depth ? kBindDepthStencil : kBindShaderResource;
  if (usage & D3DUSAGE_RENDERTARGET) d.bind |= kBindRenderTarget;
  d.samples = samples;
  return toResult(createTexture(d, nullptr, out));
}

class Texture9 final : public Com<IDirect3DTexture9>, public FaceResource {
 public:
  using FaceResource::FaceResource;
  HRESULT GetDevice(IDirect3DDevice9** d) override { return device(d); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return DWORD(texture->levels()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
    if (!desc || level >= GetLevelCount()) return D3DERR_INVALIDCALL;
    *desc = surfaceDesc(*this, int(level));
    return D3D_OK;
  }
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (level >= GetLevelCount()) return D3DERR_INVALIDCALL;
    auto* s = new (std::nothrow)
        Surface(link, pool, usage, format, texture, int(level), static_cast<IDirect3DTexture9*>(this), true);
    if (!s) return plat::win::E_OUTOFMEMORY;
    *out = s;
    return D3D_OK;
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
    if (!callAllowed("LockRect")) return E_FAIL;
    if (level >= GetLevelCount()) return D3DERR_INVALIDCALL;
    return lockSub(*texture, int(level), locked, rect, flags);
  }
  HRESULT UnlockRect(UINT level) override {
    if (level >= GetLevelCount()) return D3DERR_INVALIDCALL;
    return unlockSub(*texture, int(level));
  }

 private:
  void* iface(const IID& iid) override {
    if (iid == IID_IDirect3DTexture9 || iid == IID_IDirect3DBaseTexture9 || iid == IID_IDirect3DResource9)
      return static_cast<IDirect3DTexture9*>(this);
    return nullptr;
  }
};

class CubeTexture9 final : public Com<IDirect3DCubeTexture9>, public FaceResource {
 public:
  using FaceResource::FaceResource;
  HRESULT GetDevice(IDirect3DDevice9** d) override { return device(d); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  DWORD GetLevelCount() override { return DWORD(texture->levels()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
    if (!desc || level >= GetLevelCount()) return D3DERR_INVALIDCALL;
    *desc = surfaceDesc(*this, int(level));
    return D3D_OK;
  }
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    const int sub = subOf(face, level);
    if (sub < 0) return D3DERR_INVALIDCALL;
    auto* s = new (std::nothrow)
        Surface(link, pool, usage, format, texture, sub, static_cast<IDirect3DCubeTexture9*>(this), true);
    if (!s) return plat::win::E_OUTOFMEMORY;
    *out = s;
    return D3D_OK;
  }
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
    if (!callAllowed("LockRect")) return E_FAIL;
    const int sub = subOf(face, level);
    return sub < 0 ? D3DERR_INVALIDCALL : lockSub(*texture, sub, locked, rect, flags);
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override {
    const int sub = subOf(face, level);
    return sub < 0 ? D3DERR_INVALIDCALL : unlockSub(*texture, sub);
  }

 private:
  int subOf(D3DCUBEMAP_FACES face, UINT level) const {
    if (DWORD(face) > 5 || level >= DWORD(texture->levels())) return -1;
    return texture->subresourceIndex(int(level), int(face));
  }
  void* iface(const IID& iid) override {
    if (iid == IID_IDirect3DCubeTexture9 || iid == IID_IDirect3DBaseTexture9 || iid == IID_IDirect3DResource9)
      return static_cast<IDirect3DCubeTexture9*>(this);
    return nullptr;
  }
};

// Vertex and index buffers: Lock by offset and size (0 and 0: all of it).
template <class I, class Desc>
class Buffer9 final : public Com<I>, public FaceResource {
 public:
  Buffer9(std::shared_ptr<DeviceLink> l, D3DPOOL p, DWORD u, D3DFORMAT f, DWORD fvf)
      : FaceResource(std::move(l), p, u, f, true), fvf_(fvf) {}
  HRESULT GetDevice(IDirect3DDevice9** d) override { return device(d); }
  D3DRESOURCETYPE GetType() override {
    return std::is_same_v<I, IDirect3DVertexBuffer9> ? D3DRTYPE_VERTEXBUFFER : D3DRTYPE_INDEXBUFFER;
  }
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (!callAllowed("Lock")) return E_FAIL;
    const size_t total = buffer->size();
    if (size == 0 && offset == 0) size = UINT(total);
    if (locked_ || offset > total || size > total - offset) return D3DERR_INVALIDCALL;
    lastFlags = flags;  // DISCARD and WRITEONLY are recorded; the memory stays the same
    locked_ = true;
    *data = buffer->data() + offset;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
  }
  HRESULT GetDesc(Desc* d) override {
    if (!d) return D3DERR_INVALIDCALL;
    *d = Desc{};
    d->Format = format;
    d->Type = GetType();
    d->Usage = usage;
    d->Pool = pool;
    d->Size = UINT(buffer->size());
    if constexpr (std::is_same_v<Desc, D3DVERTEXBUFFER_DESC>) d->FVF = fvf_;
    return D3D_OK;
  }
  DWORD lastFlags = 0;

 private:
  void* iface(const IID& iid) override {
    const IID& own = std::is_same_v<I, IDirect3DVertexBuffer9> ? IID_IDirect3DVertexBuffer9 : IID_IDirect3DIndexBuffer9;
    return iid == own || iid == IID_IDirect3DResource9 ? static_cast<I*>(this) : nullptr;
  }
  DWORD fvf_;
  bool locked_ = false;
};

bool validPool(D3DPOOL pool, DWORD usage) {
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return false;
  // Drawable resources live in the default pool only; dynamic ones also in system memory.
  if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT) return false;
  if ((usage & D3DUSAGE_DYNAMIC) && pool != D3DPOOL_DEFAULT && pool != D3DPOOL_SYSTEMMEM) return false;
  return (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY)) == 0;
}

}  // namespace

HRESULT makeTexture(const std::shared_ptr<DeviceLink>& link, UINT w, UINT h, UINT levels, DWORD usage,
                    D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!validPool(pool, usage) || (usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  auto* t = new (std::nothrow) Texture9(link, pool, usage, format, true);
  if (!t) return plat::win::E_OUTOFMEMORY;
  const HRESULT r = coreTexture(w, h, levels, false, usage, format, t->texture);
  if (r != D3D_OK) {
    t->Release();
    return r;
  }
  *out = t;
  return D3D_OK;
}

HRESULT makeCubeTexture(const std::shared_ptr<DeviceLink>& link, UINT edge, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!validPool(pool, usage) || (usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  auto* t = new (std::nothrow) CubeTexture9(link, pool, usage, format, true);
  if (!t) return plat::win::E_OUTOFMEMORY;
  const HRESULT r = coreTexture(edge, edge, levels, true, usage, format, t->texture);
  if (r != D3D_OK) {
    t->Release();
    return r;
  }
  *out = t;
  return D3D_OK;
}

HRESULT makeSurface(const std::shared_ptr<DeviceLink>& link, UINT w, UINT h, D3DFORMAT format, DWORD usage,
                    D3DPOOL pool, bool lockable, Surface** out, D3DMULTISAMPLE_TYPE ms) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!validPool(pool, usage)) return D3DERR_INVALIDCALL;
  // Samples live only in drawable default-pool surfaces, which the CPU never locks.
  const int samples = ms == D3DMULTISAMPLE_NONE ? 1 : int(ms);
  if (samples != 1 && (ms == D3DMULTISAMPLE_NONMASKABLE || lockable || pool != D3DPOOL_DEFAULT ||
                       !(usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL))))
    return D3DERR_INVALIDCALL;
  Ref<Texture> t;
  const HRESULT r = coreTexture(w, h, 1, false, usage, format, t, samples);
  if (r != D3D_OK) return r;
  auto* s = new (std::nothrow) Surface(link, pool, usage, format, std::move(t), 0, nullptr, lockable);
  if (!s) return plat::win::E_OUTOFMEMORY;
  *out = s;
  return D3D_OK;
}

namespace {

template <class B>
HRESULT makeBuffer(const std::shared_ptr<DeviceLink>& link, UINT length, DWORD usage, D3DFORMAT format, DWORD fvf,
                   D3DPOOL pool, uint32_t bind, B** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (length == 0 || !validPool(pool, usage) || (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)))
    return D3DERR_INVALIDCALL;
  auto* b = new (std::nothrow) B(link, pool, usage, format, fvf);
  if (!b) return D3DERR_OUTOFVIDEOMEMORY;
  BufferDesc d;
  d.size = length;
  d.bind = bind;
  const Status s = createBuffer(d, nullptr, b->buffer);
  if (s != Status::ok) {
    b->Release();
    return s == Status::outOfMemory ? D3DERR_OUTOFVIDEOMEMORY : toResult(s);
  }
  std::memset(b->buffer->data(), 0, length);
  *out = b;
  return D3D_OK;
}

}  // namespace

HRESULT makeVertexBuffer(const std::shared_ptr<DeviceLink>& link, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                         IDirect3DVertexBuffer9** out) {
  Buffer9<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>* b = nullptr;
  const HRESULT r = makeBuffer(link, length, usage, D3DFMT_UNKNOWN, fvf, pool, kBindVertexBuffer, &b);
  if (out) *out = b;
  return r;
}

HRESULT makeIndexBuffer(const std::shared_ptr<DeviceLink>& link, UINT length, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DIndexBuffer9** out) {
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) {
    if (out) *out = nullptr;
    return D3DERR_INVALIDCALL;
  }
  Buffer9<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>* b = nullptr;
  const HRESULT r = makeBuffer(link, length, usage, format, 0, pool, kBindIndexBuffer, &b);
  if (out) *out = b;
  return r;
}

}  // namespace d3d9
}  // namespace plat::gpu
