// Direct3D 11 face: the immediate context. It keeps one normalised draw state of the
// software GPU and hands draws, copies, clears and maps to the core. Calls the interface
// ignores when invalid (slots past the end, unknown codes) change nothing.
#include "platform/gpu/d3d11/face_internal.h"
#include "platform/gpu/shaders/vm/program_entry.h"

namespace plat::gpu::d3d11 {

namespace {

template <class Face, class I>
Face* face(I* p) {
  return p ? static_cast<Face*>(p) : nullptr;
}

// Whether slots [first, first + count) lie inside a table of `size`.
bool slotsFit(UINT first, UINT count, int size) { return first <= UINT(size) && count <= UINT(size) - first; }

bool toBox(const D3D11_BOX* box, Box& out) {
  if (box->front != 0 || box->back != 1 || box->right > 0x7fffffffu || box->bottom > 0x7fffffffu) return false;
  out = Box{int(box->left), int(box->top), int(box->right), int(box->bottom)};
  return box->left <= box->right && box->top <= box->bottom;
}

class Context final : public ID3D11DeviceContext {
 public:
  explicit Context(ID3D11Device* device) : device_(device) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return plat::win::E_POINTER;
    if (iid == plat::win::IID_IUnknown || iid == IID_ID3D11DeviceContext) {
      AddRef();
      *object = static_cast<ID3D11DeviceContext*>(this);
      return plat::win::S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return device_->AddRef(); }
  ULONG Release() override { return device_->Release(); }
  void GetDevice(ID3D11Device** device) override {
    device_->AddRef();
    *device = device_;
  }

  void ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, FLOAT depth, BYTE stencil) override {
    if (view == nullptr || (flags & ~UINT(D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL))) return;
    clearDepthStencil(*face<FaceDSV>(view)->view, (flags & D3D11_CLEAR_DEPTH) != 0, depth,
                      (flags & D3D11_CLEAR_STENCIL) != 0, stencil);
  }
  void ClearRenderTargetView(ID3D11RenderTargetView* view, const FLOAT colour[4]) override {
    if (view == nullptr || colour == nullptr) return;
    clearRenderTarget(*face<FaceRTV>(view)->view, Float4{colour[0], colour[1], colour[2], colour[3]});
  }
  void CopyResource(ID3D11Resource* dst, ID3D11Resource* src) override {
    Resource* d = coreResource(dst);
    Resource* s = coreResource(src);
    if (d != nullptr && s != nullptr && d != s) copyResource(*d, *s);
  }
  void CopySubresourceRegion(ID3D11Resource* dst, UINT dstSub, UINT dstX, UINT dstY, UINT dstZ, ID3D11Resource* src,
                             UINT srcSub, const D3D11_BOX* srcBox) override {
    Texture* d = coreTexture(dst);
    Texture* s = coreTexture(src);
    if (d == nullptr || s == nullptr || dstZ != 0 || dstSub > 0x7fffffffu || srcSub > 0x7fffffffu ||
        dstX > 0x7fffffffu || dstY > 0x7fffffffu)
      return;
    Box b;
    if (srcBox != nullptr && !toBox(srcBox, b)) return;
    copyRegion(*d, int(dstSub), int(dstX), int(dstY), *s, int(srcSub), srcBox != nullptr ? &b : nullptr);
  }
  // No compute, domain, geometry or hull functions exist here; only clearing is accepted.
  void CSSetShader(ID3D11ComputeShader*, ID3D11ClassInstance* const*, UINT) override {}
  void DSSetShader(ID3D11DomainShader*, ID3D11ClassInstance* const*, UINT) override {}
  void GSSetShader(ID3D11GeometryShader*, ID3D11ClassInstance* const*, UINT) override {}
  void HSSetShader(ID3D11HullShader*, ID3D11ClassInstance* const*, UINT) override {}

  void Draw(UINT count, UINT first) override {
    if (!topologySet_ || count == 0) return;
    if (!vsProgram_ && !psProgram_) {
      draw(state_, count, first);
      return;
    }
    DrawState s = state_;
    if (withPrograms(s)) draw(s, count, first);
  }
  void DrawIndexed(UINT count, UINT first, INT baseVertex) override {
    if (!topologySet_ || count == 0) return;
    if (!vsProgram_ && !psProgram_) {
      drawIndexed(state_, count, first, baseVertex);
      return;
    }
    DrawState s = state_;
    if (withPrograms(s)) drawIndexed(s, count, first, baseVertex);
  }
  void IASetIndexBuffer(ID3D11Buffer* buffer, DXGI_FORMAT format, UINT offset) override {
    if (buffer != nullptr && format != DXGI_FORMAT_R16_UINT && format != DXGI_FORMAT_R32_UINT) return;
    state_.indexBuffer = buffer ? face<FaceBuffer>(buffer)->buffer : Ref<Buffer>();
    state_.index32 = format == DXGI_FORMAT_R32_UINT;
    state_.indexOffset = offset;
  }
  void IASetInputLayout(ID3D11InputLayout* layout) override {
    state_.layout = layout ? face<FaceLayout>(layout)->payload : std::vector<InputElement>();
  }
  void IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY t) override {
    static const Topology kTopologies[] = {Topology::pointList, Topology::lineList, Topology::lineStrip,
                                           Topology::triangleList, Topology::triangleStrip};
    if (t < D3D11_PRIMITIVE_TOPOLOGY_POINTLIST || t > D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP) return;
    state_.topology = kTopologies[t - D3D11_PRIMITIVE_TOPOLOGY_POINTLIST];
    topologySet_ = true;
  }
  // The software GPU fetches from one vertex buffer: slot 0.
  void IASetVertexBuffers(UINT first, UINT count, ID3D11Buffer* const* buffers, const UINT* strides,
                          const UINT* offsets) override {
    if (!slotsFit(first, count, 32) || first != 0 || count == 0 || buffers == nullptr || strides == nullptr ||
        offsets == nullptr)
      return;
    state_.vertexBuffer = buffers[0] ? face<FaceBuffer>(buffers[0])->buffer : Ref<Buffer>();
    state_.vertexStride = strides[0];
    state_.vertexOffset = offsets[0];
  }
  HRESULT Map(ID3D11Resource* resource, UINT sub, D3D11_MAP type, UINT flags,
              D3D11_MAPPED_SUBRESOURCE* mapped) override {
    if (mapped) *mapped = D3D11_MAPPED_SUBRESOURCE{nullptr, 0, 0};
    Resource* r = coreResource(resource);
    if (r == nullptr || flags != 0 || type < D3D11_MAP_READ || type > D3D11_MAP_WRITE_NO_OVERWRITE ||
        sub > 0x7fffffffu)
      return plat::win::E_INVALIDARG;
    static const MapMode kModes[] = {MapMode::read, MapMode::write, MapMode::readWrite, MapMode::writeDiscard,
                                     MapMode::writeNoOverwrite};
    Mapped m;
    const Status s = map(*r, int(sub), kModes[type - D3D11_MAP_READ], m);
    if (s != Status::ok) return toResult(s);
    if (mapped) *mapped = D3D11_MAPPED_SUBRESOURCE{m.data, UINT(m.rowPitch), UINT(m.depthPitch)};
    return plat::win::S_OK;
  }
  void Unmap(ID3D11Resource* resource, UINT sub) override {
    if (Resource* r = coreResource(resource); r != nullptr && sub <= 0x7fffffffu) unmap(*r, int(sub));
  }
  void OMSetBlendState(ID3D11BlendState* st, const FLOAT factor[4], UINT) override {
    state_.blend = st ? face<FaceBlend>(st)->payload : Ref<BlendState>();
    state_.blendFactor = factor ? Float4{factor[0], factor[1], factor[2], factor[3]} : Float4{1, 1, 1, 1};
  }
  void OMSetDepthStencilState(ID3D11DepthStencilState* st, UINT) override {
    state_.depthStencil = st ? face<FaceDepthState>(st)->payload : Ref<DepthStencilState>();
  }
  void OMSetRenderTargets(UINT count, ID3D11RenderTargetView* const* targets,
                          ID3D11DepthStencilView* depth) override {
    if (count > UINT(kMaxTargets) || (count > 0 && targets == nullptr)) return;
    for (int i = 0; i < kMaxTargets; ++i)
      state_.targets[i] = UINT(i) < count && targets[i] ? face<FaceRTV>(targets[i])->view : Ref<View>();
    state_.depthView = depth ? face<FaceDSV>(depth)->view : Ref<View>();
  }
  void PSSetConstantBuffers(UINT first, UINT count, ID3D11Buffer* const* b) override {
    setConstants(state_.ps, first, count, b);
  }
  void PSSetSamplers(UINT first, UINT count, ID3D11SamplerState* const* samplers) override {
    if (!slotsFit(first, count, kSamplerSlots) || (count > 0 && samplers == nullptr)) return;
    for (UINT i = 0; i < count; ++i)
      state_.ps.samplers[first + i] = samplers[i] ? face<FaceSampler>(samplers[i])->payload : Ref<SamplerState>();
  }
  void PSSetShader(ID3D11PixelShader* shader, ID3D11ClassInstance* const*, UINT) override {
    const ShaderPayload* p = shader ? &face<FacePixelShader>(shader)->payload : nullptr;
    state_.ps.shader = p ? p->entry : nullptr;
    psProgram_ = p ? p->program : nullptr;
  }
  void PSSetShaderResources(UINT first, UINT count, ID3D11ShaderResourceView* const* views) override {
    if (!slotsFit(first, count, kResourceSlots) || (count > 0 && views == nullptr)) return;
    for (UINT i = 0; i < count; ++i)
      state_.ps.resources[first + i] = views[i] ? face<FaceSRV>(views[i])->view : Ref<View>();
  }
  void RSSetState(ID3D11RasterizerState* st) override {
    state_.rasterizer = st ? face<FaceRasterizer>(st)->payload : RasterizerDesc{};
  }
  // One viewport: the software GPU draws to the first.
  void RSSetViewports(UINT count, const D3D11_VIEWPORT* v) override {
    if (count == 0 || count > 16 || v == nullptr) return;
    state_.viewport = Viewport{v->TopLeftX, v->TopLeftY, v->Width, v->Height, v->MinDepth, v->MaxDepth};
  }
  void ResolveSubresource(ID3D11Resource* dst, UINT dstSub, ID3D11Resource* src, UINT srcSub,
                          DXGI_FORMAT format) override {
    Texture* d = coreTexture(dst);
    Texture* s = coreTexture(src);
    const Format f = toFormat(format);
    if (d && s && f != Format::Unknown && dstSub <= 0x7fffffffu && srcSub <= 0x7fffffffu)
      resolveSubresource(*d, int(dstSub), *s, int(srcSub), f);
  }
  void UpdateSubresource(ID3D11Resource* dst, UINT sub, const D3D11_BOX* box, const void* data, UINT rowPitch,
                         UINT) override {
    if (data == nullptr || sub > 0x7fffffffu) return;
    Box b;
    if (box != nullptr && !toBox(box, b)) return;
    if (Texture* t = coreTexture(dst)) {
      updateSubresource(*t, int(sub), box ? &b : nullptr, data, rowPitch);
    } else if (Buffer* buf = coreBuffer(dst); buf != nullptr && sub == 0) {
      updateBuffer(*buf, box ? &b : nullptr, data);
    }
  }
  void VSSetConstantBuffers(UINT first, UINT count, ID3D11Buffer* const* b) override {
    setConstants(state_.vs, first, count, b);
  }
  void VSSetShader(ID3D11VertexShader* shader, ID3D11ClassInstance* const*, UINT) override {
    const ShaderPayload* p = shader ? &face<FaceVertexShader>(shader)->payload : nullptr;
    state_.vs.shader = p ? p->entry : nullptr;
    vsProgram_ = p ? p->program : nullptr;
  }
  void ClearState() override {
    state_ = DrawState{};
    vsProgram_ = psProgram_ = nullptr;
    topologySet_ = false;
  }
  // Every call has finished when it returns.
  void Flush() override {}

 private:
  static void setConstants(StageBindings& stage, UINT first, UINT count, ID3D11Buffer* const* buffers) {
    if (!slotsFit(first, count, kConstantSlots) || (count > 0 && buffers == nullptr)) return;
    for (UINT i = 0; i < count; ++i)
      stage.constants[first + i] = buffers[i] ? face<FaceBuffer>(buffers[i])->buffer : Ref<Buffer>();
  }

  // A program stage of the draw: its entry, and its textures and samplers in the order of
  // the program's texture-and-sampler pairs (whole-texel reads filter nothing: they get a
  // plain sampler).
  bool programStage(const std::shared_ptr<const dxbc::Shader>& program, const StageBindings& from, StageBindings& to,
                    vm::StagePlan& plan, ShaderEntry& entry) {
    plan.program = std::shared_ptr<const vm::Program>(program, &program->program);
    plan.buffers = true;
    plan.floatSlot = plan.intSlot = -1;
    plan.afterProgram = vsProgram_ != nullptr;
    plan.shiftWidth = plan.shiftHeight = 0.0f;  // pixel centres lie on halves here
    vm::makeProgramEntry(plan, entry);
    to.shader = &entry;
    for (size_t k = 0; k < program->pairs.size(); ++k) {
      const dxbc::TexturePair& pair = program->pairs[k];
      to.resources[k] = from.resources[pair.texture];
      if (pair.sampler == dxbc::kNoSampler) {
        if (!plainSampler_ && createSamplerState(SamplerDesc{}, plainSampler_) != Status::ok) return false;
        to.samplers[k] = plainSampler_;
      } else {
        to.samplers[k] = from.samplers[pair.sampler];
      }
    }
    return true;
  }
  bool withPrograms(DrawState& s) {
    if (psProgram_ && !programStage(psProgram_, state_.ps, s.ps, psPlan_, psEntry_)) return false;
    if (vsProgram_ && !programStage(vsProgram_, state_.vs, s.vs, vsPlan_, vsEntry_)) return false;
    return true;
  }

  ID3D11Device* device_;
  DrawState state_;
  bool topologySet_ = false;
  std::shared_ptr<const dxbc::Shader> vsProgram_, psProgram_;
  vm::StagePlan vsPlan_, psPlan_;
  ShaderEntry vsEntry_, psEntry_;
  Ref<SamplerState> plainSampler_;
};

}  // namespace

ID3D11DeviceContext* makeContext(ID3D11Device* device) { return new (std::nothrow) Context(device); }

void destroyContext(ID3D11DeviceContext* context) { delete static_cast<Context*>(context); }

}  // namespace plat::gpu::d3d11
