// Direct3D 11 face: blend, depth-stencil, rasterizer and sampler states, their codes
// checked and turned into the software GPU's descriptions.
#include "platform/gpu/d3d11/face_internal.h"

namespace plat::gpu::d3d11 {

namespace {

using plat::win::E_INVALIDARG;

bool toBlend(D3D11_BLEND b, Blend& out) {
  switch (b) {
    case D3D11_BLEND_ZERO: out = Blend::zero; return true;
    case D3D11_BLEND_ONE: out = Blend::one; return true;
    case D3D11_BLEND_SRC_COLOR: out = Blend::srcColor; return true;
    case D3D11_BLEND_INV_SRC_COLOR: out = Blend::invSrcColor; return true;
    case D3D11_BLEND_SRC_ALPHA: out = Blend::srcAlpha; return true;
    case D3D11_BLEND_INV_SRC_ALPHA: out = Blend::invSrcAlpha; return true;
    case D3D11_BLEND_DEST_ALPHA: out = Blend::destAlpha; return true;
    case D3D11_BLEND_INV_DEST_ALPHA: out = Blend::invDestAlpha; return true;
    case D3D11_BLEND_DEST_COLOR: out = Blend::destColor; return true;
    case D3D11_BLEND_INV_DEST_COLOR: out = Blend::invDestColor; return true;
    case D3D11_BLEND_SRC_ALPHA_SAT: out = Blend::srcAlphaSat; return true;
    case D3D11_BLEND_BLEND_FACTOR: out = Blend::blendFactor; return true;
    case D3D11_BLEND_INV_BLEND_FACTOR: out = Blend::invBlendFactor; return true;
  }
  return false;
}

bool toOp(D3D11_BLEND_OP o, BlendOp& out) {
  if (o < D3D11_BLEND_OP_ADD || o > D3D11_BLEND_OP_MAX) return false;
  out = BlendOp(o - D3D11_BLEND_OP_ADD);
  return true;
}

bool toCompare(D3D11_COMPARISON_FUNC f, Compare& out) {
  if (f < D3D11_COMPARISON_NEVER || f > D3D11_COMPARISON_ALWAYS) return false;
  out = Compare(f - D3D11_COMPARISON_NEVER);
  return true;
}

bool toAddress(D3D11_TEXTURE_ADDRESS_MODE a, Address& out) {
  static const Address kModes[] = {Address::wrap, Address::mirror, Address::clamp, Address::border,
                                   Address::mirrorOnce};
  if (a < D3D11_TEXTURE_ADDRESS_WRAP || a > D3D11_TEXTURE_ADDRESS_MIRROR_ONCE) return false;
  out = kModes[a - D3D11_TEXTURE_ADDRESS_WRAP];
  return true;
}

template <class I, class P>
HRESULT wrap(ID3D11Device* device, P payload, I** out) {
  if (out == nullptr) return plat::win::S_FALSE;
  auto* f = new (std::nothrow) FaceObject<I, P>(device, std::move(payload));
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  *out = f;
  return plat::win::S_OK;
}

}  // namespace

HRESULT makeBlendState(ID3D11Device* device, const D3D11_BLEND_DESC* desc, ID3D11BlendState** out) {
  if (out) *out = nullptr;
  if (desc == nullptr) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateBlendState")) return E_FAIL;
  BlendDesc d;
  d.alphaToCoverage = desc->AlphaToCoverageEnable != 0;
  d.independentBlend = desc->IndependentBlendEnable != 0;
  for (int i = 0; i < kMaxTargets; ++i) {
    const D3D11_RENDER_TARGET_BLEND_DESC& s = desc->RenderTarget[i];
    TargetBlend& t = d.target[i];
    t.enable = s.BlendEnable != 0;
    t.writeMask = s.RenderTargetWriteMask;
    if (s.RenderTargetWriteMask > 15) return E_INVALIDARG;
    if (!t.enable && i > 0) continue;
    if (t.enable && (!toBlend(s.SrcBlend, t.src) || !toBlend(s.DestBlend, t.dst) || !toOp(s.BlendOp, t.op) ||
                     !toBlend(s.SrcBlendAlpha, t.srcAlpha) || !toBlend(s.DestBlendAlpha, t.dstAlpha) ||
                     !toOp(s.BlendOpAlpha, t.opAlpha)))
      return E_INVALIDARG;
  }
  Ref<BlendState> b;
  const Status s = createBlendState(d, b);
  return s == Status::ok ? wrap(device, std::move(b), out) : toResult(s);
}

HRESULT makeDepthStencilState(ID3D11Device* device, const D3D11_DEPTH_STENCIL_DESC* desc,
                              ID3D11DepthStencilState** out) {
  if (out) *out = nullptr;
  if (desc == nullptr || desc->DepthWriteMask > D3D11_DEPTH_WRITE_MASK_ALL) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateDepthStencilState")) return E_FAIL;
  DepthStencilDesc d;
  d.depthEnable = desc->DepthEnable != 0;
  d.depthWrite = desc->DepthWriteMask == D3D11_DEPTH_WRITE_MASK_ALL;
  d.stencilEnable = desc->StencilEnable != 0;
  d.stencilReadMask = desc->StencilReadMask;
  d.stencilWriteMask = desc->StencilWriteMask;
  if (!toCompare(desc->DepthFunc, d.depthFunc)) return E_INVALIDARG;
  Ref<DepthStencilState> st;
  const Status s = createDepthStencilState(d, st);
  return s == Status::ok ? wrap(device, std::move(st), out) : toResult(s);
}

HRESULT makeRasterizerState(ID3D11Device* device, const D3D11_RASTERIZER_DESC* desc, ID3D11RasterizerState** out) {
  if (out) *out = nullptr;
  if (desc == nullptr) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateRasterizerState")) return E_FAIL;
  RasterizerDesc d;
  if (desc->FillMode == D3D11_FILL_WIREFRAME) d.fill = FillMode::wireframe;
  else if (desc->FillMode == D3D11_FILL_SOLID) d.fill = FillMode::solid;
  else return E_INVALIDARG;
  switch (desc->CullMode) {
    case D3D11_CULL_NONE: d.cull = CullMode::none; break;
    case D3D11_CULL_FRONT: d.cull = CullMode::front; break;
    case D3D11_CULL_BACK: d.cull = CullMode::back; break;
    default: return E_INVALIDARG;
  }
  d.frontCounterClockwise = desc->FrontCounterClockwise != 0;
  d.depthBias = desc->DepthBias;
  d.depthBiasClamp = desc->DepthBiasClamp;
  d.slopeScaledDepthBias = desc->SlopeScaledDepthBias;
  d.depthClip = desc->DepthClipEnable != 0;
  d.scissorEnable = desc->ScissorEnable != 0;
  return wrap(device, d, out);
}

HRESULT makeSamplerState(ID3D11Device* device, const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** out) {
  if (out) *out = nullptr;
  if (desc == nullptr || (desc->Filter & ~0xD5u) != 0) return E_INVALIDARG;
  if (injectedFailure("d3d11.CreateSamplerState")) return E_FAIL;
  SamplerDesc d;
  const UINT f = desc->Filter;
  d.anisotropic = (f & 0x55u) == 0x55u && (f & 0x40u);
  if ((f & 0x40u) && !d.anisotropic) return E_INVALIDARG;
  d.mipFilter = (f & 0x1u) ? MipFilter::linear : MipFilter::point;
  d.magFilter = (f & 0x4u) ? Filter::linear : Filter::point;
  d.minFilter = (f & 0x10u) ? Filter::linear : Filter::point;
  d.comparison = (f & 0x80u) != 0;
  d.maxAnisotropy = d.anisotropic ? int(desc->MaxAnisotropy) : 1;
  if (d.comparison && !toCompare(desc->ComparisonFunc, d.compareFunc)) return E_INVALIDARG;
  if (!toAddress(desc->AddressU, d.addressU) || !toAddress(desc->AddressV, d.addressV) ||
      !toAddress(desc->AddressW, d.addressW))
    return E_INVALIDARG;
  d.mipLodBias = desc->MipLODBias;
  for (int i = 0; i < 4; ++i) d.border[i] = desc->BorderColor[i];
  d.minLod = desc->MinLOD;
  d.maxLod = desc->MaxLOD;
  Ref<SamplerState> st;
  const Status s = createSamplerState(d, st);
  return s == Status::ok ? wrap(device, std::move(st), out) : toResult(s);
}

}  // namespace plat::gpu::d3d11
