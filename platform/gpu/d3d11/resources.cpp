// Direct3D 11 face: format and result codes, buffers and two-dimensional textures over the
// software GPU's resources.
#include <cstring>

#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

const IID IID_ID3D11Device = {0x4d110001, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x00, 0x01}};
const IID IID_ID3D11DeviceContext = {0x4d110002, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x00, 0x02}};
const IID IID_ID3D11Resource = {0x4d110003, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x00, 0x03}};
const IID IID_ID3D11Buffer = {0x4d110004, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x00, 0x04}};
const IID IID_ID3D11Texture2D = {0x4d110005, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x00, 0x05}};

namespace d3d11 {

namespace {

struct FormatPair {
  DXGI_FORMAT dxgi;
  Format core;
};
const FormatPair kFormats[] = {
    {DXGI_FORMAT_R32G32B32A32_FLOAT, Format::R32G32B32A32F},
    {DXGI_FORMAT_R32G32B32_FLOAT, Format::R32G32B32F},
    {DXGI_FORMAT_R16G16B16A16_FLOAT, Format::R16G16B16A16F},
    {DXGI_FORMAT_R16G16B16A16_UNORM, Format::R16G16B16A16},
    {DXGI_FORMAT_R32G32_FLOAT, Format::R32G32F},
    {DXGI_FORMAT_R8G8B8A8_UNORM, Format::R8G8B8A8},
    {DXGI_FORMAT_R16G16_FLOAT, Format::R16G16F},
    {DXGI_FORMAT_R16G16_UNORM, Format::R16G16},
    {DXGI_FORMAT_R32_TYPELESS, Format::R32Typeless},
    {DXGI_FORMAT_D32_FLOAT, Format::D32F},
    {DXGI_FORMAT_R32_FLOAT, Format::R32F},
    {DXGI_FORMAT_R32_UINT, Format::R32UInt},
    {DXGI_FORMAT_R24G8_TYPELESS, Format::R24G8Typeless},
    {DXGI_FORMAT_D24_UNORM_S8_UINT, Format::D24S8},
    {DXGI_FORMAT_R24_UNORM_X8_TYPELESS, Format::R24X8},
    {DXGI_FORMAT_R8G8_UNORM, Format::R8G8},
    {DXGI_FORMAT_R16_FLOAT, Format::R16F},
    {DXGI_FORMAT_D16_UNORM, Format::D16},
    {DXGI_FORMAT_R16_UNORM, Format::R16},
    {DXGI_FORMAT_R16_UINT, Format::R16UInt},
    {DXGI_FORMAT_R8_UNORM, Format::R8},
    {DXGI_FORMAT_BC1_UNORM, Format::BC1},
    {DXGI_FORMAT_BC2_UNORM, Format::BC2},
    {DXGI_FORMAT_BC3_UNORM, Format::BC3},
    {DXGI_FORMAT_B8G8R8A8_UNORM, Format::B8G8R8A8},
    {DXGI_FORMAT_B8G8R8X8_UNORM, Format::B8G8R8X8},
};

}  // namespace

Format toFormat(DXGI_FORMAT f) {
  for (const FormatPair& p : kFormats)
    if (p.dxgi == f) return p.core;
  return Format::Unknown;
}

UINT faceFormatSupport(DXGI_FORMAT f) {
  const Format core = toFormat(f);
  if (core == Format::Unknown) return 0;
  uint32_t bits = formatSupport(core);
  // Render targets are offered in 8-bit and float channel formats only.
  const FormatKind kind = formatInfo(core).kind;
  if (kind != FormatKind::Float && core != Format::R8G8B8A8 && core != Format::B8G8R8X8 &&
      core != Format::B8G8R8A8 && core != Format::R8 && core != Format::R8G8)
    bits &= ~uint32_t(kSupportRenderTarget | kSupportBlend);
  UINT out = 0;
  if (bits & kSupportTexture2D) out |= D3D11_FORMAT_SUPPORT_TEXTURE2D;
  if (bits & kSupportTextureCube) out |= D3D11_FORMAT_SUPPORT_TEXTURECUBE;
  if (bits & kSupportMip) out |= D3D11_FORMAT_SUPPORT_MIP;
  if (bits & kSupportSample) out |= D3D11_FORMAT_SUPPORT_SHADER_SAMPLE;
  if (bits & kSupportRenderTarget) out |= D3D11_FORMAT_SUPPORT_RENDER_TARGET;
  if (bits & kSupportBlend) out |= D3D11_FORMAT_SUPPORT_BLENDABLE;
  if (bits & kSupportDepthStencil) out |= D3D11_FORMAT_SUPPORT_DEPTH_STENCIL;
  if (bits & kSupportVertexBuffer) out |= D3D11_FORMAT_SUPPORT_IA_VERTEX_BUFFER | D3D11_FORMAT_SUPPORT_BUFFER;
  if (bits & kSupportIndexBuffer) out |= D3D11_FORMAT_SUPPORT_IA_INDEX_BUFFER | D3D11_FORMAT_SUPPORT_BUFFER;
  return out;
}

HRESULT toResult(Status s) {
  switch (s) {
    case Status::ok: return plat::win::S_OK;
    case Status::outOfMemory: return plat::win::E_OUTOFMEMORY;
    case Status::injectedFailure: return E_FAIL;
    case Status::notMapped: return plat::win::E_INVALIDARG;
    default: return plat::win::E_INVALIDARG;
  }
}

bool injectedFailure(const char* method) { return !countCall(method); }

void* FaceBuffer::iface(const IID& iid) {
  if (iid == IID_ID3D11Buffer) return static_cast<ID3D11Buffer*>(this);
  if (iid == IID_ID3D11Resource) return static_cast<ID3D11Resource*>(this);
  return nullptr;
}

void* FaceTexture::iface(const IID& iid) {
  if (iid == IID_ID3D11Texture2D) return static_cast<ID3D11Texture2D*>(this);
  if (iid == IID_ID3D11Resource) return static_cast<ID3D11Resource*>(this);
  return nullptr;
}

Resource* coreResource(ID3D11Resource* r) {
  if (Texture* t = coreTexture(r)) return t;
  return coreBuffer(r);
}

Texture* coreTexture(ID3D11Resource* r) {
  if (r == nullptr) return nullptr;
  D3D11_RESOURCE_DIMENSION d;
  r->GetType(&d);
  if (d != D3D11_RESOURCE_DIMENSION_TEXTURE2D) return nullptr;
  return static_cast<FaceTexture*>(static_cast<ID3D11Texture2D*>(r))->texture.get();
}

Buffer* coreBuffer(ID3D11Resource* r) {
  if (r == nullptr) return nullptr;
  D3D11_RESOURCE_DIMENSION d;
  r->GetType(&d);
  if (d != D3D11_RESOURCE_DIMENSION_BUFFER) return nullptr;
  return static_cast<FaceBuffer*>(static_cast<ID3D11Buffer*>(r))->buffer.get();
}

namespace {

bool toUsage(D3D11_USAGE u, Usage& out) {
  switch (u) {
    case D3D11_USAGE_DEFAULT:
    case D3D11_USAGE_IMMUTABLE: out = Usage::Default; return true;
    case D3D11_USAGE_DYNAMIC: out = Usage::Dynamic; return true;
    case D3D11_USAGE_STAGING: out = Usage::Staging; return true;
  }
  return false;
}

constexpr UINT kKnownBind = D3D11_BIND_VERTEX_BUFFER | D3D11_BIND_INDEX_BUFFER | D3D11_BIND_CONSTANT_BUFFER |
                            D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET | D3D11_BIND_DEPTH_STENCIL;

uint32_t toBind(UINT b) {
  uint32_t out = 0;
  if (b & D3D11_BIND_VERTEX_BUFFER) out |= kBindVertexBuffer;
  if (b & D3D11_BIND_INDEX_BUFFER) out |= kBindIndexBuffer;
  if (b & D3D11_BIND_CONSTANT_BUFFER) out |= kBindConstantBuffer;
  if (b & D3D11_BIND_SHADER_RESOURCE) out |= kBindShaderResource;
  if (b & D3D11_BIND_RENDER_TARGET) out |= kBindRenderTarget;
  if (b & D3D11_BIND_DEPTH_STENCIL) out |= kBindDepthStencil;
  return out;
}

bool toCpu(UINT c, uint32_t& out) {
  if (c & ~(D3D11_CPU_ACCESS_READ | D3D11_CPU_ACCESS_WRITE)) return false;
  out = ((c & D3D11_CPU_ACCESS_READ) ? kCpuRead : 0u) | ((c & D3D11_CPU_ACCESS_WRITE) ? kCpuWrite : 0u);
  return true;
}

}  // namespace

HRESULT makeBuffer(ID3D11Device* device, const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initial,
                   ID3D11Buffer** out) {
  if (out) *out = nullptr;
  if (desc == nullptr || (desc->BindFlags & ~kKnownBind) != 0) return plat::win::E_INVALIDARG;
  if (injectedFailure("d3d11.CreateBuffer")) return E_FAIL;
  BufferDesc d;
  d.size = desc->ByteWidth;
  d.bind = toBind(desc->BindFlags);
  if (!toUsage(desc->Usage, d.usage) || !toCpu(desc->CPUAccessFlags, d.cpuAccess)) return plat::win::E_INVALIDARG;
  if (desc->Usage == D3D11_USAGE_IMMUTABLE && (initial == nullptr || initial->pSysMem == nullptr))
    return plat::win::E_INVALIDARG;
  if (out == nullptr) return plat::win::S_FALSE;
  Ref<Buffer> b;
  const Status s = createBuffer(d, initial ? initial->pSysMem : nullptr, b);
  if (s != Status::ok) return toResult(s);
  auto* f = new (std::nothrow) FaceBuffer(device, std::move(b), *desc);
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

HRESULT makeTexture(ID3D11Device* device, const D3D11_TEXTURE2D_DESC& desc, const D3D11_SUBRESOURCE_DATA* initial,
                    ID3D11Texture2D** out) {
  if (out) *out = nullptr;
  if ((desc.BindFlags & ~kKnownBind) != 0 ||
      (desc.BindFlags & (D3D11_BIND_VERTEX_BUFFER | D3D11_BIND_INDEX_BUFFER | D3D11_BIND_CONSTANT_BUFFER)) ||
      (desc.MiscFlags & ~D3D11_RESOURCE_MISC_TEXTURECUBE) || desc.SampleDesc.Count == 0 ||
      desc.SampleDesc.Count > 32 || desc.Width == 0 || desc.Height == 0 || desc.ArraySize == 0 ||
      desc.Width > 0x7fffffff || desc.Height > 0x7fffffff || desc.MipLevels > 32 || desc.ArraySize > 2048)
    return plat::win::E_INVALIDARG;
  TextureDesc d;
  d.width = int(desc.Width);
  d.height = int(desc.Height);
  d.levels = int(desc.MipLevels);
  d.slices = int(desc.ArraySize);
  d.cube = (desc.MiscFlags & D3D11_RESOURCE_MISC_TEXTURECUBE) != 0;
  d.format = toFormat(desc.Format);
  d.bind = toBind(desc.BindFlags);
  d.samples = int(desc.SampleDesc.Count);
  if (d.format == Format::Unknown || faceFormatSupport(desc.Format) == 0) return plat::win::E_INVALIDARG;
  if (desc.SampleDesc.Quality >= UINT(multisampleQualityLevels(d.format, d.samples))) return plat::win::E_INVALIDARG;
  if ((desc.BindFlags & D3D11_BIND_RENDER_TARGET) &&
      !(faceFormatSupport(desc.Format) & D3D11_FORMAT_SUPPORT_RENDER_TARGET))
    return plat::win::E_INVALIDARG;
  if (!toUsage(desc.Usage, d.usage) || !toCpu(desc.CPUAccessFlags, d.cpuAccess)) return plat::win::E_INVALIDARG;
  if (desc.Usage == D3D11_USAGE_IMMUTABLE && initial == nullptr) return plat::win::E_INVALIDARG;
  std::vector<InitialData> init;
  if (initial != nullptr) {
    int levels = d.levels;
    if (levels == 0) {
      levels = 1;
      for (int s = d.width > d.height ? d.width : d.height; s > 1; s >>= 1) ++levels;
    }
    const size_t count = size_t(levels) * size_t(d.slices);
    init.resize(count);
    for (size_t i = 0; i < count; ++i) {
      if (initial[i].pSysMem == nullptr) return plat::win::E_INVALIDARG;
      init[i] = InitialData{initial[i].pSysMem, initial[i].SysMemPitch};
    }
  }
  if (out == nullptr) return plat::win::S_FALSE;
  Ref<Texture> t;
  const Status s = createTexture(d, initial ? init.data() : nullptr, t);
  if (s != Status::ok) return toResult(s);
  D3D11_TEXTURE2D_DESC kept = desc;
  kept.MipLevels = UINT(t->levels());
  auto* f = new (std::nothrow) FaceTexture(device, std::move(t), kept);
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

}  // namespace d3d11
}  // namespace plat::gpu
