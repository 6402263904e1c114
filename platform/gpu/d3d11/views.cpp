// Direct3D 11 face: shader-resource, render-target and depth-stencil views, checked
// against their descriptions before the software GPU makes them.
#include "platform/gpu/d3d11/face_internal.h"

namespace plat::gpu::d3d11 {

namespace {

using plat::win::E_INVALIDARG;

// The view's format must be one the face names and, when given, share the texture's storage.
bool viewFormat(DXGI_FORMAT f, const Texture& t, Format& out) {
  if (f == DXGI_FORMAT_UNKNOWN) {
    out = Format::Unknown;
    return true;
  }
  out = toFormat(f);
  return out != Format::Unknown && sameFamily(out, t.format());
}

template <class I>
HRESULT finish(ID3D11Device* device, ID3D11Resource* r, Texture& t, const ViewDesc& d, I** out) {
  if (out == nullptr) return plat::win::S_FALSE;
  Ref<View> v;
  const Status s = createView(t, d, v);
  if (s != Status::ok) return toResult(s);
  auto* f = new (std::nothrow) FaceView<I>(device, r, std::move(v));
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

}  // namespace

HRESULT makeShaderResourceView(ID3D11Device* device, ID3D11Resource* r, const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                               ID3D11ShaderResourceView** out) {
  if (out) *out = nullptr;
  Texture* t = coreTexture(r);
  if (t == nullptr) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateShaderResourceView")) return E_FAIL;
  ViewDesc d;
  d.kind = ViewKind::shaderResource;
  if (desc != nullptr) {
    if (!viewFormat(desc->Format, *t, d.format)) return E_INVALIDARG;
    auto levels = [](UINT n) { return n == 0xffffffffu ? -1 : int(n); };
    switch (desc->ViewDimension) {
      case D3D11_SRV_DIMENSION_TEXTURE2D:
        d.firstLevel = int(desc->Texture2D.MostDetailedMip);
        d.levelCount = levels(desc->Texture2D.MipLevels);
        d.sliceCount = 1;
        break;
      case D3D11_SRV_DIMENSION_TEXTURE2DARRAY:
        d.firstLevel = int(desc->Texture2DArray.MostDetailedMip);
        d.levelCount = levels(desc->Texture2DArray.MipLevels);
        d.firstSlice = int(desc->Texture2DArray.FirstArraySlice);
        d.sliceCount = int(desc->Texture2DArray.ArraySize);
        break;
      case D3D11_SRV_DIMENSION_TEXTURECUBE:
        if (!t->desc().cube) return E_INVALIDARG;
        d.firstLevel = int(desc->TextureCube.MostDetailedMip);
        d.levelCount = levels(desc->TextureCube.MipLevels);
        d.sliceCount = 6;
        d.cube = true;
        break;
      default: return E_INVALIDARG;
    }
    if (d.firstLevel < 0 || d.firstSlice < 0 || d.levelCount == 0 || d.levelCount < -1 || d.sliceCount <= 0)
      return E_INVALIDARG;
  } else {
    d.cube = t->desc().cube;
  }
  return finish(device, r, *t, d, out);
}

namespace {

// Render-target and depth views name one level of one slice; their descriptions share
// the two dimensions' layout.
// A multisampled texture is named by the multisample dimension only, which has no fields.
template <class I, class Desc>
HRESULT makeSingleView(ID3D11Device* device, ID3D11Resource* r, const Desc* desc, ViewKind kind, UINT plain,
                       UINT array, UINT multisample, const char* method, I** out) {
  if (out) *out = nullptr;
  Texture* t = coreTexture(r);
  if (t == nullptr) return E_INVALIDARG;
  if (injectedFailure(method)) return E_FAIL;
  ViewDesc d;
  d.kind = kind;
  d.levelCount = 1;
  d.sliceCount = 1;
  if (desc != nullptr) {
    if (!viewFormat(desc->Format, *t, d.format)) return E_INVALIDARG;
    if ((UINT(desc->ViewDimension) == multisample) != (t->samples() != 1)) return E_INVALIDARG;
    if (UINT(desc->ViewDimension) == multisample) {
      // level 0 of slice 0
    } else if (UINT(desc->ViewDimension) == plain) {
      d.firstLevel = int(desc->Texture2D.MipSlice);
    } else if (UINT(desc->ViewDimension) == array) {
      if (desc->Texture2DArray.ArraySize != 1) return E_INVALIDARG;
      d.firstLevel = int(desc->Texture2DArray.MipSlice);
      d.firstSlice = int(desc->Texture2DArray.FirstArraySlice);
    } else {
      return E_INVALIDARG;
    }
    if (d.firstLevel < 0 || d.firstSlice < 0) return E_INVALIDARG;
  }
  return finish(device, r, *t, d, out);
}

}  // namespace

HRESULT makeRenderTargetView(ID3D11Device* device, ID3D11Resource* r, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                             ID3D11RenderTargetView** out) {
  return makeSingleView(device, r, desc, ViewKind::renderTarget, D3D11_RTV_DIMENSION_TEXTURE2D,
                        D3D11_RTV_DIMENSION_TEXTURE2DARRAY, D3D11_RTV_DIMENSION_TEXTURE2DMS,
                        "d3d11.CreateRenderTargetView", out);
}

HRESULT makeDepthStencilView(ID3D11Device* device, ID3D11Resource* r, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                             ID3D11DepthStencilView** out) {
  if (desc != nullptr && desc->Flags != 0) {
    if (out) *out = nullptr;
    return E_INVALIDARG;
  }
  return makeSingleView(device, r, desc, ViewKind::depthStencil, D3D11_DSV_DIMENSION_TEXTURE2D,
                        D3D11_DSV_DIMENSION_TEXTURE2DARRAY, D3D11_DSV_DIMENSION_TEXTURE2DMS,
                        "d3d11.CreateDepthStencilView", out);
}

}  // namespace plat::gpu::d3d11
