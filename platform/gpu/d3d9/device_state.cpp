// Direct3D 9 face: the device's Set and Get methods. Out-of-range slots, stages and
// registers answer D3DERR_INVALIDCALL and change nothing; lights, material, fog and
// texture transforms are kept here and applied by each draw (fixed_plan.cpp).
#include <cstring>

#include "platform/gpu/d3d9/d3d9_device.h"

namespace plat::gpu::d3d9 {

namespace {

template <class T>
void rebind(T*& slot, T* value) {
  if (value) value->AddRef();
  if (slot) slot->Release();
  slot = value;
}

}  // namespace

void Device::setDefaults() {
  renderState_[D3DRS_ZENABLE] = depth_ ? D3DZB_TRUE : D3DZB_FALSE;
  renderState_[D3DRS_FILLMODE] = D3DFILL_SOLID;
  renderState_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  renderState_[D3DRS_ZWRITEENABLE] = 1;
  renderState_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderState_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderState_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderState_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderState_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  renderState_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  renderState_[D3DRS_LIGHTING] = 1;
  renderState_[D3DRS_COLORVERTEX] = 1;
  renderState_[D3DRS_LOCALVIEWER] = 1;
  renderState_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  renderState_[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  const float one = 1.0f;
  std::memcpy(&renderState_[D3DRS_FOGEND], &one, 4);
  std::memcpy(&renderState_[D3DRS_FOGDENSITY], &one, 4);
  renderState_[D3DRS_COLORWRITEENABLE] = 15;
  renderState_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  renderState_[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  renderState_[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  renderState_[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
  for (int i = 0; i < 8; ++i) {
    DWORD* s = stageState_[i];
    s[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = DWORD(i);
    s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  for (auto& s : samplerState_) {
    s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[D3DSAMP_MAXANISOTROPY] = 1;
  }
  D3DMATRIX identity{};
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
  transforms_[D3DTS_WORLD] = transforms_[D3DTS_VIEW] = transforms_[D3DTS_PROJECTION] = identity;
  mergerDirty_ = samplersDirty_ = true;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
  if (!callAllowed("SetRenderTarget")) return E_FAIL;
  Surface* s = surfaceOf(target);
  if (index >= currentCaps().NumSimultaneousRTs || index >= 4 || (target && !s) || (index == 0 && !s))
    return D3DERR_INVALIDCALL;
  if (s && !s->targetView()) return D3DERR_INVALIDCALL;
  rebind(targets_[index], s);
  if (index == 0) {  // the viewport and scissor follow the new target
    const Subresource& sub = s->texture->sub(s->sub);
    viewport_ = D3DVIEWPORT9{0, 0, DWORD(sub.width), DWORD(sub.height), 0.0f, 1.0f};
    scissor_ = RECT{0, 0, plat::win::LONG(sub.width), plat::win::LONG(sub.height)};
  }
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  if (!callAllowed("SetDepthStencilSurface")) return E_FAIL;
  Surface* s = surfaceOf(surface);
  if (surface && (!s || !(s->usage & D3DUSAGE_DEPTHSTENCIL))) return D3DERR_INVALIDCALL;
  rebind(depth_, s);
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = depth_;
  if (!depth_) return D3DERR_NOTAVAILABLE;
  depth_->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!callAllowed("SetTransform")) return E_FAIL;
  const bool known = state == D3DTS_WORLD || state == D3DTS_VIEW || state == D3DTS_PROJECTION ||
                     (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7);
  if (!matrix || !known) return D3DERR_INVALIDCALL;
  transforms_[state] = *matrix;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* v) {
  if (!callAllowed("SetViewport")) return E_FAIL;
  if (!v || !targets_[0]) return D3DERR_INVALIDCALL;
  const Subresource& s = targets_[0]->texture->sub(targets_[0]->sub);
  if (uint64_t(v->X) + v->Width > uint64_t(s.width) || uint64_t(v->Y) + v->Height > uint64_t(s.height) ||
      !(v->MinZ >= 0.0f && v->MaxZ <= 1.0f))
    return D3DERR_INVALIDCALL;
  viewport_ = *v;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* m) {
  if (!callAllowed("SetMaterial")) return E_FAIL;
  if (!m) return D3DERR_INVALIDCALL;
  material_ = *m;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* m) {
  if (!m) return D3DERR_INVALIDCALL;
  *m = material_;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!callAllowed("SetLight")) return E_FAIL;
  if (!light || index > 1023) return D3DERR_INVALIDCALL;
  lights_[index] = *light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (!callAllowed("LightEnable")) return E_FAIL;
  if (index > 1023) return D3DERR_INVALIDCALL;
  lightEnabled_[index] = enable != 0;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (!callAllowed("SetRenderState")) return E_FAIL;
  if (DWORD(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  renderState_[state] = value;
  mergerDirty_ = true;
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (!callAllowed("SetTexture")) return E_FAIL;
  if (stage >= 16 || (texture && !faceOf(texture))) return D3DERR_INVALIDCALL;
  rebind(textures_[stage], texture);
  samplersDirty_ = true;
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (!callAllowed("SetTextureStageState")) return E_FAIL;
  if (stage >= 8 || DWORD(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
  stageState_[stage][type] = value;
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (!callAllowed("SetSamplerState")) return E_FAIL;
  if (sampler >= 16 || DWORD(type) >= kSamplerStateCount) return D3DERR_INVALIDCALL;
  samplerState_[sampler][type] = value;
  samplersDirty_ = true;
  return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect) {
  if (!callAllowed("SetScissorRect")) return E_FAIL;
  if (!rect) return D3DERR_INVALIDCALL;
  scissor_ = *rect;
  return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) {
  if (!callAllowed("SetVertexDeclaration")) return E_FAIL;
  if (decl && !formatOf(decl)) return D3DERR_INVALIDCALL;
  rebind(declaration_, decl);
  if (decl) fvf_ = 0;
  return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
  if (!callAllowed("SetFVF")) return E_FAIL;
  if (fvf != 0 && !formatOfFvf(fvf).valid) return D3DERR_INVALIDCALL;
  fvf_ = fvf;
  if (fvf) rebind(declaration_, static_cast<IDirect3DVertexDeclaration9*>(nullptr));
  return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
  if (!callAllowed("SetVertexShader")) return E_FAIL;
  if (shader && !entryOf(shader) && !programOf(shader)) return D3DERR_INVALIDCALL;
  rebind(vertexShader_, shader);
  return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) {
  if (!callAllowed("SetPixelShader")) return E_FAIL;
  if (shader && !entryOf(shader) && !programOf(shader)) return D3DERR_INVALIDCALL;
  rebind(pixelShader_, shader);
  return D3D_OK;
}

namespace {

template <class T, size_t N, size_t W>
HRESULT setRegisters(T (&bank)[N][W], UINT first, const T* data, UINT count, bool& dirty) {
  if (!data || first > N || count > N - first) return D3DERR_INVALIDCALL;
  std::memcpy(&bank[first][0], data, sizeof(T) * W * count);
  dirty = true;
  return D3D_OK;
}

template <size_t N>
HRESULT setBools(BOOL (&bank)[N], UINT first, const BOOL* data, UINT count) {
  if (!data || first > N || count > N - first) return D3DERR_INVALIDCALL;
  std::memcpy(&bank[first], data, sizeof(BOOL) * count);
  return D3D_OK;
}

}  // namespace

HRESULT Device::SetVertexShaderConstantF(UINT first, const float* data, UINT count) {
  if (!callAllowed("SetVertexShaderConstantF")) return E_FAIL;
  return setRegisters(vsFloat_, first, data, count, vsConstantsDirty_);
}

HRESULT Device::SetVertexShaderConstantI(UINT first, const int* data, UINT count) {
  if (!callAllowed("SetVertexShaderConstantI")) return E_FAIL;
  bool unused = false;
  return setRegisters(vsInt_, first, data, count, unused);
}

HRESULT Device::SetVertexShaderConstantB(UINT first, const BOOL* data, UINT count) {
  if (!callAllowed("SetVertexShaderConstantB")) return E_FAIL;
  return setBools(vsBool_, first, data, count);
}

HRESULT Device::SetPixelShaderConstantF(UINT first, const float* data, UINT count) {
  if (!callAllowed("SetPixelShaderConstantF")) return E_FAIL;
  return setRegisters(psFloat_, first, data, count, psConstantsDirty_);
}

HRESULT Device::SetPixelShaderConstantI(UINT first, const int* data, UINT count) {
  if (!callAllowed("SetPixelShaderConstantI")) return E_FAIL;
  bool unused = false;
  return setRegisters(psInt_, first, data, count, unused);
}

HRESULT Device::SetPixelShaderConstantB(UINT first, const BOOL* data, UINT count) {
  if (!callAllowed("SetPixelShaderConstantB")) return E_FAIL;
  return setBools(psBool_, first, data, count);
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (!callAllowed("SetStreamSource")) return E_FAIL;
  if (stream != 0 || (buffer && !faceOf(buffer))) return D3DERR_INVALIDCALL;
  rebind(stream_, buffer);
  streamOffset_ = offset;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
  if (!callAllowed("SetIndices")) return E_FAIL;
  if (buffer && !faceOf(buffer)) return D3DERR_INVALIDCALL;
  rebind(indices_, buffer);
  return D3D_OK;
}

}  // namespace plat::gpu::d3d9
