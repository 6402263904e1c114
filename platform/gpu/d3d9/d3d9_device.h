// The Direct3D 9 face's device: its state, split over device.cpp (creation, scenes,
// clears, presents, loss, resource creation), device_state.cpp (the Set and Get methods)
// and draw.cpp (turning the state into one draw of the core).
#pragma once
#include <map>

#include "platform/gpu/d3d9/d3d9_internal.h"

namespace plat::gpu::d3d9 {

class Device final : public Com<IDirect3DDevice9Ex> {
 public:
  Device(DWORD behaviour, bool ex);
  ~Device() override;
  HRESULT init(const D3DPRESENT_PARAMETERS& params);

  // device.cpp
  HRESULT TestCooperativeLevel() override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT GetSwapChain(UINT index, IDirect3DSwapChain9** chain) override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND window, const void* dirty) override;
  HRESULT GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;
  HRESULT SetDialogBoxMode(BOOL enable) override;
  HRESULT CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture9** texture, HANDLE* shared) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                             HANDLE* shared) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                            HANDLE* shared) override;
  HRESULT CreateRenderTarget(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL lockable,
                             IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality,
                                    BOOL discard, IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,
                                      HANDLE* shared) override;
  HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                        const plat::win::POINT* destPoint) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) override;
  HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                      const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
  HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** decl) override;
  HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override;
  HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override;
  HRESULT SetMaximumFrameLatency(UINT frames) override;
  HRESULT GetMaximumFrameLatency(UINT* frames) override;
  void lose();
  const D3DPRESENT_PARAMETERS& presentParams() const { return params_; }

  // device_state.cpp
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL9* material) override;
  HRESULT GetMaterial(D3DMATERIAL9* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT SetScissorRect(const RECT* rect) override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT SetVertexShaderConstantF(UINT first, const float* data, UINT count) override;
  HRESULT SetVertexShaderConstantI(UINT first, const int* data, UINT count) override;
  HRESULT SetVertexShaderConstantB(UINT first, const BOOL* data, UINT count) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
  HRESULT SetPixelShaderConstantF(UINT first, const float* data, UINT count) override;
  HRESULT SetPixelShaderConstantI(UINT first, const int* data, UINT count) override;
  HRESULT SetPixelShaderConstantB(UINT first, const BOOL* data, UINT count) override;
  void setDefaults();

  // draw.cpp
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT primitives,
                                 const void* indices, D3DFORMAT indexFormat, const void* data, UINT stride) override;

  std::shared_ptr<DeviceLink> link;

 private:
  void* iface(const IID& iid) override;
  HRESULT drawList(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride, const void* indices,
                   bool index32, UINT vertexCount);
  bool prepareMerger();
  bool prepareSamplers(int stages);
  bool prepareProgramRegisters();
  void fogAfter(const ShaderEntry* ps, int at, const vm::Program* psProgram);
  // fixed_plan.cpp
  void planFixedFunction(const VertexFormat& format, const float worldView[4][4], bool lit, VertexPlan& p);

  DWORD behaviour_;
  bool ex_;
  D3DPRESENT_PARAMETERS params_{};
  SwapChain* chain_ = nullptr;
  Surface* autoDepth_ = nullptr;
  int sceneDepth_ = 0;
  UINT frameLatency_ = 3;
  bool dialogBoxMode_ = false;

  // Bound objects (each holds a reference).
  Surface* targets_[4] = {};
  Surface* depth_ = nullptr;
  IDirect3DBaseTexture9* textures_[16] = {};
  IDirect3DVertexDeclaration9* declaration_ = nullptr;
  IDirect3DVertexShader9* vertexShader_ = nullptr;
  IDirect3DPixelShader9* pixelShader_ = nullptr;
  IDirect3DVertexBuffer9* stream_ = nullptr;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  UINT streamOffset_ = 0, streamStride_ = 0;

  // Plain state.
  DWORD fvf_ = 0;
  DWORD renderState_[kRenderStateCount] = {};
  DWORD stageState_[8][kStageStateCount] = {};
  DWORD samplerState_[16][kSamplerStateCount] = {};
  std::map<DWORD, D3DMATRIX> transforms_;
  D3DVIEWPORT9 viewport_{};
  RECT scissor_{};
  D3DMATERIAL9 material_{};
  std::map<DWORD, D3DLIGHT9> lights_;
  std::map<DWORD, bool> lightEnabled_;
  float vsFloat_[256][4] = {};
  float psFloat_[224][4] = {};
  int vsInt_[16][4] = {}, psInt_[16][4] = {};
  BOOL vsBool_[16] = {}, psBool_[16] = {};

  // What a draw builds, kept between draws while its inputs do not change.
  bool mergerDirty_ = true, samplersDirty_ = true, vsConstantsDirty_ = true, psConstantsDirty_ = true;
  DrawState draw_;
  Ref<Buffer> scratch_, vsConstants_, psConstants_, psBase_;
  std::vector<uint8_t> expanded_;
  VertexPlan vertexPlan_;
  CombinerPlan combinerPlan_;
  ShaderEntry vertexEntry_, pixelEntry_, fogEntry_, shadowEntry_;
  FogPixelPlan fogPlan_;
  ShadowPixelPlan shadowPlan_;
  // Programs bound by SetVertexShader / SetPixelShader, with their integer and bool registers.
  vm::StagePlan vsPlan_, psPlan_;
  ShaderEntry vsProgramEntry_, psProgramEntry_;
  Ref<Buffer> vsIntBool_, psIntBool_;

  friend class DeviceAccess;
};

}  // namespace plat::gpu::d3d9
