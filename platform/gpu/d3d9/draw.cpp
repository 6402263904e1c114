// Direct3D 9 face: a draw from caller memory. The primitives are spread into a list (fans
// and strips become lists, flat shading copies each primitive's first colour to its other
// vertices), the render states become the core's output-merger objects only when they
// changed, and the stage states are compiled into the combiner once per draw.
#include <cstring>

#include "platform/gpu/d3d9/d3d9_device.h"
#include "platform/gpu/journal.h"
#include "platform/gpu/shaders/constants.h"
#include "platform/gpu/shaders/vm/interpreter.h"

namespace plat::gpu::d3d9 {

namespace {

Blend blendOf(DWORD b) {
  if (b >= D3DBLEND_ZERO && b <= D3DBLEND_SRCALPHASAT) return Blend(b - 1);
  if (b == D3DBLEND_BLENDFACTOR) return Blend::blendFactor;
  if (b == D3DBLEND_INVBLENDFACTOR) return Blend::invBlendFactor;
  return Blend::one;
}

BlendOp blendOpOf(DWORD op) {
  return op >= D3DBLENDOP_ADD && op <= D3DBLENDOP_MAX ? BlendOp(op - 1) : BlendOp::add;
}

Compare compareOf(DWORD f) { return f >= D3DCMP_NEVER && f <= D3DCMP_ALWAYS ? Compare(f - 1) : Compare::always; }

Address addressOf(DWORD a) {
  return a >= D3DTADDRESS_WRAP && a <= D3DTADDRESS_MIRRORONCE ? Address(a - 1) : Address::wrap;
}

float floatBits(DWORD v) {
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

void multiply(const D3DMATRIX& a, const D3DMATRIX& b, float out[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
}

// Vertices each primitive takes from the caller, and vertices the list draws.
bool listShape(D3DPRIMITIVETYPE type, UINT n, uint64_t& sourceCount, uint64_t& listCount, Topology& topology) {
  switch (type) {
    case D3DPT_POINTLIST: sourceCount = n; listCount = n; topology = Topology::pointList; return true;
    case D3DPT_LINELIST: sourceCount = 2ull * n; listCount = 2ull * n; topology = Topology::lineList; return true;
    case D3DPT_LINESTRIP: sourceCount = n + 1ull; listCount = 2ull * n; topology = Topology::lineList; return true;
    case D3DPT_TRIANGLELIST: sourceCount = 3ull * n; listCount = 3ull * n; topology = Topology::triangleList; return true;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: sourceCount = n + 2ull; listCount = 3ull * n; topology = Topology::triangleList; return true;
  }
  return false;
}

// The caller's vertex number of list vertex i; the first of each primitive is the one
// flat shading colours it by.
inline uint32_t listVertex(D3DPRIMITIVETYPE type, uint32_t i) {
  switch (type) {
    case D3DPT_LINESTRIP: return i / 2 + (i & 1);
    case D3DPT_TRIANGLESTRIP: {
      const uint32_t t = i / 3, k = i % 3;
      // Odd triangles swap their last two so every triangle keeps one winding.
      if (t & 1) return k == 0 ? t : k == 1 ? t + 2 : t + 1;
      return t + k;
    }
    case D3DPT_TRIANGLEFAN: {
      const uint32_t t = i / 3, k = i % 3;
      return k == 0 ? t + 1 : k == 1 ? t + 2 : 0;
    }
    default: return i;
  }
}

}  // namespace

bool Device::prepareMerger() {
  if (!mergerDirty_) return true;
  const DWORD* rs = renderState_;
  BlendDesc b;
  TargetBlend& t = b.target[0];
  t.enable = rs[D3DRS_ALPHABLENDENABLE] != 0;
  t.src = blendOf(rs[D3DRS_SRCBLEND]);
  t.dst = blendOf(rs[D3DRS_DESTBLEND]);
  t.op = blendOpOf(rs[D3DRS_BLENDOP]);
  if (rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
    t.srcAlpha = blendOf(rs[D3DRS_SRCBLENDALPHA]);
    t.dstAlpha = blendOf(rs[D3DRS_DESTBLENDALPHA]);
    t.opAlpha = blendOpOf(rs[D3DRS_BLENDOPALPHA]);
  } else {
    t.srcAlpha = t.src;
    t.dstAlpha = t.dst;
    t.opAlpha = t.op;
  }
  t.writeMask = uint8_t(rs[D3DRS_COLORWRITEENABLE] & 15);
  if (createBlendState(b, draw_.blend) != Status::ok) return false;
  DepthStencilDesc d;
  d.depthEnable = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  d.depthWrite = rs[D3DRS_ZWRITEENABLE] != 0;
  d.depthFunc = compareOf(rs[D3DRS_ZFUNC]);
  if (createDepthStencilState(d, draw_.depthStencil) != Status::ok) return false;
  draw_.alphaTest = AlphaTest{rs[D3DRS_ALPHATESTENABLE] != 0, compareOf(rs[D3DRS_ALPHAFUNC]), int(rs[D3DRS_ALPHAREF] & 0xFF)};
  RasterizerDesc& r = draw_.rasterizer;
  r.fill = rs[D3DRS_FILLMODE] == D3DFILL_SOLID ? FillMode::solid : FillMode::wireframe;
  r.cull = rs[D3DRS_CULLMODE] == D3DCULL_CW ? CullMode::front : rs[D3DRS_CULLMODE] == D3DCULL_CCW ? CullMode::back : CullMode::none;
  r.frontCounterClockwise = false;
  r.depthBias = int(floatBits(rs[D3DRS_DEPTHBIAS]) * 16777215.0f);
  r.slopeScaledDepthBias = floatBits(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
  r.scissorEnable = rs[D3DRS_SCISSORTESTENABLE] != 0;
  mergerDirty_ = false;
  return true;
}

bool Device::prepareSamplers(int stages) {
  if (!samplersDirty_) return true;
  for (int i = 0; i < 16; ++i) {
    draw_.ps.resources[i] = Ref<View>();
    draw_.ps.samplers[i] = Ref<SamplerState>();
    if (i >= stages || !textures_[i]) continue;
    FaceResource* f = faceOf(textures_[i]);
    if (!f || !f->shaderView()) continue;
    draw_.ps.resources[i] = Ref<View>(f->shaderView());
    const DWORD* s = samplerState_[i];
    SamplerDesc d;
    auto filterOf = [](DWORD v) { return v == D3DTEXF_POINT || v == D3DTEXF_NONE ? Filter::point : Filter::linear; };
    d.minFilter = filterOf(s[D3DSAMP_MINFILTER]);
    d.magFilter = filterOf(s[D3DSAMP_MAGFILTER]);
    d.mipFilter = s[D3DSAMP_MIPFILTER] == D3DTEXF_NONE ? MipFilter::none
                  : s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT ? MipFilter::point
                                                          : MipFilter::linear;
    d.addressU = addressOf(s[D3DSAMP_ADDRESSU]);
    d.addressV = addressOf(s[D3DSAMP_ADDRESSV]);
    d.addressW = addressOf(s[D3DSAMP_ADDRESSW]);
    d.border = colourOf(s[D3DSAMP_BORDERCOLOR]);
    const float bias = floatBits(s[D3DSAMP_MIPMAPLODBIAS]);
    d.mipLodBias = bias == bias && bias > -16.0f && bias < 16.0f ? bias : 0.0f;
    d.minLod = float(s[D3DSAMP_MAXMIPLEVEL] > 16 ? 16 : s[D3DSAMP_MAXMIPLEVEL]);
    if (createSamplerState(d, draw_.ps.samplers[i]) != Status::ok) return false;
  }
  samplersDirty_ = false;
  return true;
}

HRESULT Device::drawList(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride, const void* indices,
                         bool index32, UINT vertexCount) {
  uint64_t sourceCount = 0, listCount = 0;
  Topology topology;
  if (!data || stride == 0 || primitives == 0 || !listShape(type, primitives, sourceCount, listCount, topology) ||
      primitives > currentCaps().MaxPrimitiveCount || listCount > kMaxDrawVertices)
    return D3DERR_INVALIDCALL;
  VertexFormat fvfFormat;
  const VertexFormat* format = declaration_ ? formatOf(declaration_) : nullptr;
  if (!format) {
    fvfFormat = formatOfFvf(fvf_);
    format = &fvfFormat;
  }
  if (!format->valid || stride < format->size || !targets_[0]) return D3DERR_INVALIDCALL;
  {
    std::lock_guard hold(link->lock);
    if (link->lost) return D3D_OK;  // a lost device draws nothing and says nothing
  }
  // Indices must stay inside the caller's vertices.
  auto sourceIndex = [&](uint32_t i) -> uint32_t {
    if (!indices) return i;
    return index32 ? static_cast<const uint32_t*>(indices)[i] : static_cast<const uint16_t*>(indices)[i];
  };
  if (indices)
    for (uint32_t i = 0; i < sourceCount; ++i)
      if (sourceIndex(i) >= vertexCount) return D3DERR_INVALIDCALL;

  // Spread into a list.
  const size_t bytes = size_t(listCount) * stride;
  if (!scratch_ || scratch_->size() < bytes) {
    BufferDesc bd;
    bd.size = bytes < 65536 ? 65536 : bytes * 2;
    bd.bind = kBindVertexBuffer;
    if (createBuffer(bd, nullptr, scratch_) != Status::ok) return D3DERR_OUTOFVIDEOMEMORY;
  }
  uint8_t* out = scratch_->data();
  const auto* src = static_cast<const uint8_t*>(data);
  if (type == D3DPT_POINTLIST || type == D3DPT_LINELIST || type == D3DPT_TRIANGLELIST) {
    if (!indices) {
      std::memcpy(out, src, bytes);
    } else {
      for (uint32_t i = 0; i < listCount; ++i) std::memcpy(out + size_t(i) * stride, src + size_t(sourceIndex(i)) * stride, stride);
    }
  } else {
    for (uint32_t i = 0; i < listCount; ++i)
      std::memcpy(out + size_t(i) * stride, src + size_t(sourceIndex(listVertex(type, i))) * stride, stride);
  }
  if (renderState_[D3DRS_SHADEMODE] == D3DSHADE_FLAT && topology != Topology::pointList) {
    const uint32_t per = topology == Topology::lineList ? 2 : 3;
    for (int c = 0; c < 2; ++c) {
      const int at = format->colourOffset[c];
      if (at < 0) continue;
      for (uint32_t p = 0; p + per <= listCount; p += per)
        for (uint32_t k = 1; k < per; ++k)
          std::memcpy(out + size_t(p + k) * stride + size_t(at), out + size_t(p) * stride + size_t(at), 4);
    }
  }

  if (!prepareMerger()) return D3DERR_INVALIDCALL;
  DrawState& s = draw_;
  s.layout = format->layout;
  s.vertexBuffer = scratch_;
  s.vertexStride = stride;
  s.vertexOffset = 0;
  s.topology = topology;
  s.viewport = Viewport{float(viewport_.X), float(viewport_.Y), float(viewport_.Width), float(viewport_.Height),
                        viewport_.MinZ, viewport_.MaxZ};
  s.scissor = ScissorRect{int(scissor_.left), int(scissor_.top), int(scissor_.right), int(scissor_.bottom)};
  for (int i = 0; i < 4; ++i) s.targets[i] = targets_[i] ? Ref<View>(targets_[i]->targetView()) : Ref<View>();
  s.depthView = depth_ && renderState_[D3DRS_ZENABLE] != D3DZB_FALSE ? Ref<View>(depth_->targetView()) : Ref<View>();

  // Lighting runs in the face's own vertex function, for transformed vertices only.
  const bool lit = !vertexShader_ && !format->pretransformed && renderState_[D3DRS_LIGHTING] != 0;

  // Pixel stage: a program, a bank shader or the combiner.
  const std::shared_ptr<const vm::Program> psProgram = pixelShader_ ? programOf(pixelShader_) : nullptr;
  const std::shared_ptr<const vm::Program> vsProgram = vertexShader_ ? programOf(vertexShader_) : nullptr;
  const ShaderEntry* ps = pixelShader_ ? entryOf(pixelShader_) : nullptr;
  uint8_t whiteDiffuse = 0;
  int stages = 16;
  if ((psProgram || vsProgram) && !prepareProgramRegisters()) return D3DERR_OUTOFVIDEOMEMORY;
  if (psProgram) {
    psPlan_.program = psProgram;
    psPlan_.floatSlot = 1;
    psPlan_.intSlot = 2;
    psPlan_.afterProgram = vsProgram != nullptr;
    vm::makeProgramEntry(psPlan_, psProgramEntry_);
    ps = &psProgramEntry_;
  } else if (!ps) {
    StageStates st;
    std::memcpy(st.state, stageState_, sizeof st.state);
    for (int i = 0; i < 8; ++i) st.textureBound[i] = textures_[i] != nullptr;
    st.factor = renderState_[D3DRS_TEXTUREFACTOR];
    st.specularEnable = renderState_[D3DRS_SPECULARENABLE] != 0;
    st.vertexSpecular = format->colourOffset[1] >= 0 || lit;
    st.pairs = format->pairs;
    compileCombiner(st, combinerPlan_, pixelEntry_);
    whiteDiffuse = pixelEntry_.fastUnread;
    ps = &pixelEntry_;
    stages = combinerPlan_.count;
  }
  if (!prepareSamplers(16)) return D3DERR_INVALIDCALL;
  (void)stages;
  s.ps.shader = ps;

  // Base constants the bank's pixel functions read: the factor from c5 (blue, green, red,
  // alpha), and a reference that passes every pixel (this interface tests alpha in the
  // output merger).
  if (!psBase_) {
    BufferDesc bd;
    bd.size = 48;
    bd.bind = kBindConstantBuffer;
    if (createBuffer(bd, nullptr, psBase_) != Status::ok) return D3DERR_OUTOFVIDEOMEMORY;
    BufferDesc cd;
    cd.size = sizeof psFloat_;
    cd.bind = kBindConstantBuffer;
    if (createBuffer(cd, nullptr, psConstants_) != Status::ok) return D3DERR_OUTOFVIDEOMEMORY;
    cd.size = sizeof vsFloat_;
    if (createBuffer(cd, nullptr, vsConstants_) != Status::ok) return D3DERR_OUTOFVIDEOMEMORY;
    psConstantsDirty_ = vsConstantsDirty_ = true;
  }
  if (psConstantsDirty_) {
    const float base[12] = {psFloat_[5][2], psFloat_[5][1], psFloat_[5][0], psFloat_[5][3], 0.0f, -1.0f, 0, 0, 0, 0, 0, 0};
    std::memcpy(psBase_->data(), base, sizeof base);
    const int32_t always = shader::kCmpAlways;
    std::memcpy(psBase_->data() + shader::kPsAlphaFunction, &always, 4);
    std::memcpy(psConstants_->data(), psFloat_, sizeof psFloat_);
    psConstantsDirty_ = false;
  }
  if (vsConstantsDirty_) {
    std::memcpy(vsConstants_->data(), vsFloat_, sizeof vsFloat_);
    vsConstantsDirty_ = false;
  }
  s.ps.constants[0] = psBase_;
  s.ps.constants[1] = psConstants_;

  s.ps.constants[2] = psProgram ? psIntBool_ : Ref<Buffer>();
  s.vs.constants[2] = Ref<Buffer>();

  // Vertex stage: a program or a bank shader reads the vertex registers; otherwise the
  // face's own.
  if (vsProgram) {
    vsPlan_.program = vsProgram;
    vsPlan_.floatSlot = 0;
    vsPlan_.intSlot = 2;
    vsPlan_.shiftWidth = viewport_.Width ? float(viewport_.Width) : 1.0f;
    vsPlan_.shiftHeight = viewport_.Height ? float(viewport_.Height) : 1.0f;
    vm::makeProgramEntry(vsPlan_, vsProgramEntry_);
    s.vs.shader = &vsProgramEntry_;
    s.vs.constants[0] = vsConstants_;
    s.vs.constants[2] = vsIntBool_;
  } else if (vertexShader_) {
    s.vs.shader = entryOf(vertexShader_);
    s.vs.constants[0] = vsConstants_;
  } else {
    VertexPlan& p = vertexPlan_;
    p.pretransformed = format->pretransformed;
    p.diffuse = format->colourOffset[0] >= 0;
    p.specular = format->colourOffset[1] >= 0;
    p.whiteDiffuse = whiteDiffuse;
    p.pairs = format->pairs;
    float wv[4][4];
    D3DMATRIX worldView;
    multiply(transforms_[D3DTS_WORLD], transforms_[D3DTS_VIEW], wv);
    std::memcpy(worldView.m, wv, sizeof wv);
    multiply(worldView, transforms_[D3DTS_PROJECTION], p.matrix);
    p.vx = float(viewport_.X);
    p.vy = float(viewport_.Y);
    p.vw = viewport_.Width ? float(viewport_.Width) : 1.0f;
    p.vh = viewport_.Height ? float(viewport_.Height) : 1.0f;
    p.minZ = viewport_.MinZ;
    p.maxZ = viewport_.MaxZ;
    planFixedFunction(*format, wv, lit, p);
    // Shadow maps darken the light terms before the pixel stage reads its colours.
    if (p.lit && p.shadows) {
      shadowPlan_.inner = ps;
      shadowPlan_.plan = &p;
      makeShadowPixelEntry(&shadowPlan_, shadowEntry_);
      ps = &shadowEntry_;
      s.ps.shader = ps;
    }
    if (p.fog) fogAfter(ps, shader::kExtra, psProgram.get());
    makeVertexEntry(*format, &p, vertexEntry_);
    s.vs.shader = &vertexEntry_;
  }
  // A vertex program's fog output is the factor of the same blend.
  if (vsProgram && renderState_[D3DRS_FOGENABLE] != 0)
    if (const vm::VaryingPlace at = vm::varyingPlace(vm::Usage::fog, 0); vsProgram->outputOf(vm::Usage::fog, 0) >= 0)
      fogAfter(ps, at.at, psProgram.get());
  return toResult(draw(s, uint32_t(listCount), 0));
}

// Fog is blended after the pixel stage (the combiner, a bank function or a model 2
// program) by the factor in varying `at`; model 3 pixel programs fog themselves.
void Device::fogAfter(const ShaderEntry* ps, int at, const vm::Program* psProgram) {
  if (psProgram && psProgram->major >= 3) return;
  fogPlan_.inner = ps;
  fogPlan_.at = at;
  const Float4 fogColour = colourOf(renderState_[D3DRS_FOGCOLOR]);
  for (int k = 0; k < 3; ++k) fogPlan_.colour[k] = fogColour[k];
  makeFogPixelEntry(&fogPlan_, fogEntry_);
  draw_.ps.shader = &fogEntry_;
}

// The integer and bool registers programs read, copied for each draw (they are small).
bool Device::prepareProgramRegisters() {
  BufferDesc bd;
  bd.size = vm::kIntBoolBytes;
  bd.bind = kBindConstantBuffer;
  if (!vsIntBool_ && createBuffer(bd, nullptr, vsIntBool_) != Status::ok) return false;
  if (!psIntBool_ && createBuffer(bd, nullptr, psIntBool_) != Status::ok) return false;
  auto fill = [](Buffer& b, const int (*ints)[4], const BOOL* bools) {
    std::memcpy(b.data(), ints, 16 * 16);
    for (int k = 0; k < 16; ++k) {
      const int32_t v = bools[k] ? 1 : 0;
      std::memcpy(b.data() + 256 + 4 * k, &v, 4);
    }
  };
  fill(*vsIntBool_, vsInt_, vsBool_);
  fill(*psIntBool_, psInt_, psBool_);
  return true;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride) {
  if (!callAllowed("DrawPrimitiveUP")) return E_FAIL;
  return drawList(type, primitives, data, stride, nullptr, false, 0);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT primitives,
                                       const void* indices, D3DFORMAT indexFormat, const void* data, UINT stride) {
  if (!callAllowed("DrawIndexedPrimitiveUP")) return E_FAIL;
  if (!indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
  const uint64_t count = uint64_t(minIndex) + vertices;
  if (count > 0xFFFFFFFFull) return D3DERR_INVALIDCALL;
  return drawList(type, primitives, data, stride, indices, indexFormat == D3DFMT_INDEX32, UINT(count));
}

}  // namespace plat::gpu::d3d9
