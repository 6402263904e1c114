// Direct3D 11 stand-in: the device, immediate context, resources, views, state objects
// and shader objects the Direct3D 11 back end calls, as a thin face over the software GPU.
// Only what the back end uses is declared. "d3d11" in HALVORINE_MISSING takes it away.
#pragma once
#include <cstdint>

#include "platform/gpu/face_com.h"

namespace plat::gpu {

constexpr HRESULT DXGI_ERROR_INVALID_CALL = static_cast<HRESULT>(0x887A0001u);
constexpr HRESULT DXGI_ERROR_NOT_FOUND = static_cast<HRESULT>(0x887A0002u);
constexpr HRESULT DXGI_ERROR_UNSUPPORTED = static_cast<HRESULT>(0x887A0004u);

enum DXGI_FORMAT : UINT {
  DXGI_FORMAT_UNKNOWN = 0,
  DXGI_FORMAT_R32G32B32A32_FLOAT = 2,
  DXGI_FORMAT_R32G32B32_FLOAT = 6,
  DXGI_FORMAT_R16G16B16A16_FLOAT = 10,
  DXGI_FORMAT_R16G16B16A16_UNORM = 11,
  DXGI_FORMAT_R32G32_FLOAT = 16,
  DXGI_FORMAT_R8G8B8A8_UNORM = 28,
  DXGI_FORMAT_R16G16_FLOAT = 34,
  DXGI_FORMAT_R16G16_UNORM = 35,
  DXGI_FORMAT_R32_TYPELESS = 39,
  DXGI_FORMAT_D32_FLOAT = 40,
  DXGI_FORMAT_R32_FLOAT = 41,
  DXGI_FORMAT_R32_UINT = 42,
  DXGI_FORMAT_R24G8_TYPELESS = 44,
  DXGI_FORMAT_D24_UNORM_S8_UINT = 45,
  DXGI_FORMAT_R24_UNORM_X8_TYPELESS = 46,
  DXGI_FORMAT_R8G8_UNORM = 49,
  DXGI_FORMAT_R16_FLOAT = 54,
  DXGI_FORMAT_D16_UNORM = 55,
  DXGI_FORMAT_R16_UNORM = 56,
  DXGI_FORMAT_R16_UINT = 57,
  DXGI_FORMAT_R8_UNORM = 61,
  DXGI_FORMAT_BC1_UNORM = 71,
  DXGI_FORMAT_BC2_UNORM = 74,
  DXGI_FORMAT_BC3_UNORM = 77,
  DXGI_FORMAT_B5G6R5_UNORM = 85,
  DXGI_FORMAT_B5G5R5A1_UNORM = 86,
  DXGI_FORMAT_B8G8R8A8_UNORM = 87,
  DXGI_FORMAT_B8G8R8X8_UNORM = 88,
  DXGI_FORMAT_B4G4R4A4_UNORM = 115,
};

struct DXGI_SAMPLE_DESC {
  UINT Count;
  UINT Quality;
};

enum D3D_FEATURE_LEVEL : UINT {
  D3D_FEATURE_LEVEL_9_1 = 0x9100,
  D3D_FEATURE_LEVEL_9_2 = 0x9200,
  D3D_FEATURE_LEVEL_9_3 = 0x9300,
  D3D_FEATURE_LEVEL_10_0 = 0xa000,
  D3D_FEATURE_LEVEL_10_1 = 0xa100,
  D3D_FEATURE_LEVEL_11_0 = 0xb000,
  D3D_FEATURE_LEVEL_11_1 = 0xb100,
};
enum D3D_DRIVER_TYPE : UINT { D3D_DRIVER_TYPE_UNKNOWN = 0, D3D_DRIVER_TYPE_HARDWARE = 1 };
constexpr UINT D3D11_SDK_VERSION = 7;

enum D3D11_USAGE : UINT { D3D11_USAGE_DEFAULT, D3D11_USAGE_IMMUTABLE, D3D11_USAGE_DYNAMIC, D3D11_USAGE_STAGING };
enum : UINT {
  D3D11_BIND_VERTEX_BUFFER = 0x1,
  D3D11_BIND_INDEX_BUFFER = 0x2,
  D3D11_BIND_CONSTANT_BUFFER = 0x4,
  D3D11_BIND_SHADER_RESOURCE = 0x8,
  D3D11_BIND_RENDER_TARGET = 0x20,
  D3D11_BIND_DEPTH_STENCIL = 0x40,
  D3D11_CPU_ACCESS_WRITE = 0x10000,
  D3D11_CPU_ACCESS_READ = 0x20000,
  D3D11_RESOURCE_MISC_TEXTURECUBE = 0x4,
  D3D11_CLEAR_DEPTH = 0x1,
  D3D11_CLEAR_STENCIL = 0x2,
};
enum D3D11_MAP : UINT {
  D3D11_MAP_READ = 1,
  D3D11_MAP_WRITE = 2,
  D3D11_MAP_READ_WRITE = 3,
  D3D11_MAP_WRITE_DISCARD = 4,
  D3D11_MAP_WRITE_NO_OVERWRITE = 5,
};
enum D3D11_FORMAT_SUPPORT : UINT {
  D3D11_FORMAT_SUPPORT_BUFFER = 0x1,
  D3D11_FORMAT_SUPPORT_IA_VERTEX_BUFFER = 0x2,
  D3D11_FORMAT_SUPPORT_IA_INDEX_BUFFER = 0x4,
  D3D11_FORMAT_SUPPORT_TEXTURE2D = 0x20,
  D3D11_FORMAT_SUPPORT_TEXTURECUBE = 0x80,
  D3D11_FORMAT_SUPPORT_SHADER_SAMPLE = 0x100,
  D3D11_FORMAT_SUPPORT_MIP = 0x1000,
  D3D11_FORMAT_SUPPORT_RENDER_TARGET = 0x4000,
  D3D11_FORMAT_SUPPORT_BLENDABLE = 0x8000,
  D3D11_FORMAT_SUPPORT_DEPTH_STENCIL = 0x10000,
};
enum D3D11_PRIMITIVE_TOPOLOGY : UINT {
  D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED = 0,
  D3D11_PRIMITIVE_TOPOLOGY_POINTLIST = 1,
  D3D11_PRIMITIVE_TOPOLOGY_LINELIST = 2,
  D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP = 3,
  D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST = 4,
  D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP = 5,
};
enum D3D11_BLEND : UINT {
  D3D11_BLEND_ZERO = 1,
  D3D11_BLEND_ONE = 2,
  D3D11_BLEND_SRC_COLOR = 3,
  D3D11_BLEND_INV_SRC_COLOR = 4,
  D3D11_BLEND_SRC_ALPHA = 5,
  D3D11_BLEND_INV_SRC_ALPHA = 6,
  D3D11_BLEND_DEST_ALPHA = 7,
  D3D11_BLEND_INV_DEST_ALPHA = 8,
  D3D11_BLEND_DEST_COLOR = 9,
  D3D11_BLEND_INV_DEST_COLOR = 10,
  D3D11_BLEND_SRC_ALPHA_SAT = 11,
  D3D11_BLEND_BLEND_FACTOR = 14,
  D3D11_BLEND_INV_BLEND_FACTOR = 15,
};
enum D3D11_BLEND_OP : UINT {
  D3D11_BLEND_OP_ADD = 1,
  D3D11_BLEND_OP_SUBTRACT = 2,
  D3D11_BLEND_OP_REV_SUBTRACT = 3,
  D3D11_BLEND_OP_MIN = 4,
  D3D11_BLEND_OP_MAX = 5,
};
enum D3D11_COMPARISON_FUNC : UINT {
  D3D11_COMPARISON_NEVER = 1,
  D3D11_COMPARISON_LESS = 2,
  D3D11_COMPARISON_EQUAL = 3,
  D3D11_COMPARISON_LESS_EQUAL = 4,
  D3D11_COMPARISON_GREATER = 5,
  D3D11_COMPARISON_NOT_EQUAL = 6,
  D3D11_COMPARISON_GREATER_EQUAL = 7,
  D3D11_COMPARISON_ALWAYS = 8,
};
enum D3D11_FILL_MODE : UINT { D3D11_FILL_WIREFRAME = 2, D3D11_FILL_SOLID = 3 };
enum D3D11_CULL_MODE : UINT { D3D11_CULL_NONE = 1, D3D11_CULL_FRONT = 2, D3D11_CULL_BACK = 3 };
enum D3D11_DEPTH_WRITE_MASK : UINT { D3D11_DEPTH_WRITE_MASK_ZERO = 0, D3D11_DEPTH_WRITE_MASK_ALL = 1 };
enum D3D11_STENCIL_OP : UINT { D3D11_STENCIL_OP_KEEP = 1 };
// Filter codes: bit 0 linear mips, bit 2 linear magnification, bit 4 linear minification,
// 0x55 anisotropic, 0x80 comparison.
enum D3D11_FILTER : UINT {
  D3D11_FILTER_MIN_MAG_MIP_POINT = 0,
  D3D11_FILTER_MIN_MAG_POINT_MIP_LINEAR = 0x1,
  D3D11_FILTER_MIN_MAG_LINEAR_MIP_POINT = 0x14,
  D3D11_FILTER_MIN_MAG_MIP_LINEAR = 0x15,
  D3D11_FILTER_ANISOTROPIC = 0x55,
  D3D11_FILTER_COMPARISON_MIN_MAG_MIP_POINT = 0x80,
  D3D11_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR = 0x95,
};
enum D3D11_TEXTURE_ADDRESS_MODE : UINT {
  D3D11_TEXTURE_ADDRESS_WRAP = 1,
  D3D11_TEXTURE_ADDRESS_MIRROR = 2,
  D3D11_TEXTURE_ADDRESS_CLAMP = 3,
  D3D11_TEXTURE_ADDRESS_BORDER = 4,
  D3D11_TEXTURE_ADDRESS_MIRROR_ONCE = 5,
};
enum D3D11_SRV_DIMENSION : UINT {
  D3D11_SRV_DIMENSION_TEXTURE2D = 4,
  D3D11_SRV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D11_SRV_DIMENSION_TEXTURECUBE = 9,
};
enum D3D11_RTV_DIMENSION : UINT {
  D3D11_RTV_DIMENSION_TEXTURE2D = 4,
  D3D11_RTV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D11_RTV_DIMENSION_TEXTURE2DMS = 6,
};
enum D3D11_DSV_DIMENSION : UINT {
  D3D11_DSV_DIMENSION_TEXTURE2D = 3,
  D3D11_DSV_DIMENSION_TEXTURE2DARRAY = 4,
  D3D11_DSV_DIMENSION_TEXTURE2DMS = 5,
};
enum D3D11_INPUT_CLASSIFICATION : UINT { D3D11_INPUT_PER_VERTEX_DATA = 0, D3D11_INPUT_PER_INSTANCE_DATA = 1 };
constexpr UINT D3D11_APPEND_ALIGNED_ELEMENT = 0xffffffffu;
constexpr UINT D3D11_COLOR_WRITE_ENABLE_ALL = 15;

struct D3D11_BUFFER_DESC {
  UINT ByteWidth;
  D3D11_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
  UINT StructureByteStride;
};
struct D3D11_TEXTURE2D_DESC {
  UINT Width, Height, MipLevels, ArraySize;
  DXGI_FORMAT Format;
  DXGI_SAMPLE_DESC SampleDesc;
  D3D11_USAGE Usage;
  UINT BindFlags, CPUAccessFlags, MiscFlags;
};
struct D3D11_SUBRESOURCE_DATA {
  const void* pSysMem;
  UINT SysMemPitch;
  UINT SysMemSlicePitch;
};
struct D3D11_MAPPED_SUBRESOURCE {
  void* pData;
  UINT RowPitch;
  UINT DepthPitch;
};
struct D3D11_BOX {
  UINT left, top, front, right, bottom, back;
};
struct D3D11_VIEWPORT {
  FLOAT TopLeftX, TopLeftY, Width, Height, MinDepth, MaxDepth;
};

struct D3D11_TEX2D_SRV { UINT MostDetailedMip, MipLevels; };
struct D3D11_TEX2D_ARRAY_SRV { UINT MostDetailedMip, MipLevels, FirstArraySlice, ArraySize; };
struct D3D11_TEXCUBE_SRV { UINT MostDetailedMip, MipLevels; };
struct D3D11_SHADER_RESOURCE_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_SRV_DIMENSION ViewDimension;
  union {
    D3D11_TEX2D_SRV Texture2D;
    D3D11_TEX2D_ARRAY_SRV Texture2DArray;
    D3D11_TEXCUBE_SRV TextureCube;
  };
};
struct D3D11_TEX2D_RTV { UINT MipSlice; };
struct D3D11_TEX2D_ARRAY_RTV { UINT MipSlice, FirstArraySlice, ArraySize; };
struct D3D11_RENDER_TARGET_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_RTV_DIMENSION ViewDimension;
  union {
    D3D11_TEX2D_RTV Texture2D;
    D3D11_TEX2D_ARRAY_RTV Texture2DArray;
  };
};
struct D3D11_TEX2D_DSV { UINT MipSlice; };
struct D3D11_TEX2D_ARRAY_DSV { UINT MipSlice, FirstArraySlice, ArraySize; };
struct D3D11_DEPTH_STENCIL_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_DSV_DIMENSION ViewDimension;
  UINT Flags;
  union {
    D3D11_TEX2D_DSV Texture2D;
    D3D11_TEX2D_ARRAY_DSV Texture2DArray;
  };
};

struct D3D11_RENDER_TARGET_BLEND_DESC {
  BOOL BlendEnable;
  D3D11_BLEND SrcBlend, DestBlend;
  D3D11_BLEND_OP BlendOp;
  D3D11_BLEND SrcBlendAlpha, DestBlendAlpha;
  D3D11_BLEND_OP BlendOpAlpha;
  BYTE RenderTargetWriteMask;
};
struct D3D11_BLEND_DESC {
  BOOL AlphaToCoverageEnable;
  BOOL IndependentBlendEnable;
  D3D11_RENDER_TARGET_BLEND_DESC RenderTarget[8];
};
struct D3D11_DEPTH_STENCILOP_DESC {
  D3D11_STENCIL_OP StencilFailOp, StencilDepthFailOp, StencilPassOp;
  D3D11_COMPARISON_FUNC StencilFunc;
};
struct D3D11_DEPTH_STENCIL_DESC {
  BOOL DepthEnable;
  D3D11_DEPTH_WRITE_MASK DepthWriteMask;
  D3D11_COMPARISON_FUNC DepthFunc;
  BOOL StencilEnable;
  BYTE StencilReadMask, StencilWriteMask;
  D3D11_DEPTH_STENCILOP_DESC FrontFace, BackFace;
};
struct D3D11_RASTERIZER_DESC {
  D3D11_FILL_MODE FillMode;
  D3D11_CULL_MODE CullMode;
  BOOL FrontCounterClockwise;
  INT DepthBias;
  FLOAT DepthBiasClamp, SlopeScaledDepthBias;
  BOOL DepthClipEnable, ScissorEnable, MultisampleEnable, AntialiasedLineEnable;
};
struct D3D11_SAMPLER_DESC {
  D3D11_FILTER Filter;
  D3D11_TEXTURE_ADDRESS_MODE AddressU, AddressV, AddressW;
  FLOAT MipLODBias;
  UINT MaxAnisotropy;
  D3D11_COMPARISON_FUNC ComparisonFunc;
  FLOAT BorderColor[4];
  FLOAT MinLOD, MaxLOD;
};
struct D3D11_INPUT_ELEMENT_DESC {
  const char* SemanticName;
  UINT SemanticIndex;
  DXGI_FORMAT Format;
  UINT InputSlot;
  UINT AlignedByteOffset;
  D3D11_INPUT_CLASSIFICATION InputSlotClass;
  UINT InstanceDataStepRate;
};

extern const IID IID_ID3D11Device;
extern const IID IID_ID3D11DeviceContext;
extern const IID IID_ID3D11Resource;
extern const IID IID_ID3D11Buffer;
extern const IID IID_ID3D11Texture2D;

struct ID3D11Device;

struct ID3D11DeviceChild : IUnknown {
  virtual void GetDevice(ID3D11Device** device) = 0;

 protected:
  ~ID3D11DeviceChild() = default;
};

enum D3D11_RESOURCE_DIMENSION : UINT {
  D3D11_RESOURCE_DIMENSION_BUFFER = 1,
  D3D11_RESOURCE_DIMENSION_TEXTURE2D = 3,
};

struct ID3D11Resource : ID3D11DeviceChild {
  virtual void GetType(D3D11_RESOURCE_DIMENSION* dimension) = 0;

 protected:
  ~ID3D11Resource() = default;
};
struct ID3D11Buffer : ID3D11Resource {
  virtual void GetDesc(D3D11_BUFFER_DESC* desc) = 0;

 protected:
  ~ID3D11Buffer() = default;
};
struct ID3D11Texture2D : ID3D11Resource {
  virtual void GetDesc(D3D11_TEXTURE2D_DESC* desc) = 0;

 protected:
  ~ID3D11Texture2D() = default;
};
struct ID3D11View : ID3D11DeviceChild {
  // Adds a reference to the viewed resource.
  virtual void GetResource(ID3D11Resource** resource) = 0;

 protected:
  ~ID3D11View() = default;
};
struct ID3D11ShaderResourceView : ID3D11View {
 protected:
  ~ID3D11ShaderResourceView() = default;
};
struct ID3D11RenderTargetView : ID3D11View {
 protected:
  ~ID3D11RenderTargetView() = default;
};
struct ID3D11DepthStencilView : ID3D11View {
 protected:
  ~ID3D11DepthStencilView() = default;
};
struct ID3D11BlendState : ID3D11DeviceChild {
 protected:
  ~ID3D11BlendState() = default;
};
struct ID3D11DepthStencilState : ID3D11DeviceChild {
 protected:
  ~ID3D11DepthStencilState() = default;
};
struct ID3D11RasterizerState : ID3D11DeviceChild {
 protected:
  ~ID3D11RasterizerState() = default;
};
struct ID3D11SamplerState : ID3D11DeviceChild {
 protected:
  ~ID3D11SamplerState() = default;
};
struct ID3D11InputLayout : ID3D11DeviceChild {
 protected:
  ~ID3D11InputLayout() = default;
};
struct ID3D11VertexShader : ID3D11DeviceChild {
 protected:
  ~ID3D11VertexShader() = default;
};
struct ID3D11PixelShader : ID3D11DeviceChild {
 protected:
  ~ID3D11PixelShader() = default;
};
// Stages the back end only ever clears: their set calls accept null alone.
struct ID3D11ComputeShader;
struct ID3D11DomainShader;
struct ID3D11GeometryShader;
struct ID3D11HullShader;
struct ID3D11ClassInstance;
struct ID3D11ClassLinkage;

struct ID3D11DeviceContext : ID3D11DeviceChild {
  virtual void ClearDepthStencilView(ID3D11DepthStencilView* view, UINT flags, FLOAT depth, BYTE stencil) = 0;
  virtual void ClearRenderTargetView(ID3D11RenderTargetView* view, const FLOAT colour[4]) = 0;
  virtual void CopyResource(ID3D11Resource* dst, ID3D11Resource* src) = 0;
  virtual void CopySubresourceRegion(ID3D11Resource* dst, UINT dstSub, UINT dstX, UINT dstY, UINT dstZ,
                                     ID3D11Resource* src, UINT srcSub, const D3D11_BOX* srcBox) = 0;
  virtual void CSSetShader(ID3D11ComputeShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void DSSetShader(ID3D11DomainShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void GSSetShader(ID3D11GeometryShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void HSSetShader(ID3D11HullShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void Draw(UINT count, UINT first) = 0;
  virtual void DrawIndexed(UINT count, UINT first, INT baseVertex) = 0;
  virtual void IASetIndexBuffer(ID3D11Buffer* buffer, DXGI_FORMAT format, UINT offset) = 0;
  virtual void IASetInputLayout(ID3D11InputLayout* layout) = 0;
  virtual void IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY topology) = 0;
  virtual void IASetVertexBuffers(UINT first, UINT count, ID3D11Buffer* const* buffers, const UINT* strides,
                                  const UINT* offsets) = 0;
  virtual HRESULT Map(ID3D11Resource* resource, UINT sub, D3D11_MAP type, UINT flags,
                      D3D11_MAPPED_SUBRESOURCE* mapped) = 0;
  virtual void Unmap(ID3D11Resource* resource, UINT sub) = 0;
  virtual void OMSetBlendState(ID3D11BlendState* state, const FLOAT factor[4], UINT sampleMask) = 0;
  virtual void OMSetDepthStencilState(ID3D11DepthStencilState* state, UINT stencilRef) = 0;
  virtual void OMSetRenderTargets(UINT count, ID3D11RenderTargetView* const* targets,
                                  ID3D11DepthStencilView* depth) = 0;
  virtual void PSSetConstantBuffers(UINT first, UINT count, ID3D11Buffer* const* buffers) = 0;
  virtual void PSSetSamplers(UINT first, UINT count, ID3D11SamplerState* const* samplers) = 0;
  virtual void PSSetShader(ID3D11PixelShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void PSSetShaderResources(UINT first, UINT count, ID3D11ShaderResourceView* const* views) = 0;
  virtual void RSSetState(ID3D11RasterizerState* state) = 0;
  virtual void RSSetViewports(UINT count, const D3D11_VIEWPORT* viewports) = 0;
  virtual void ResolveSubresource(ID3D11Resource* dst, UINT dstSub, ID3D11Resource* src, UINT srcSub,
                                  DXGI_FORMAT format) = 0;
  virtual void UpdateSubresource(ID3D11Resource* dst, UINT sub, const D3D11_BOX* box, const void* data,
                                 UINT rowPitch, UINT depthPitch) = 0;
  virtual void VSSetConstantBuffers(UINT first, UINT count, ID3D11Buffer* const* buffers) = 0;
  virtual void VSSetShader(ID3D11VertexShader* shader, ID3D11ClassInstance* const* instances, UINT count) = 0;
  virtual void ClearState() = 0;
  virtual void Flush() = 0;

 protected:
  ~ID3D11DeviceContext() = default;
};

struct ID3D11Device : IUnknown {
  virtual HRESULT CheckFormatSupport(DXGI_FORMAT format, UINT* support) = 0;
  virtual HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT count, UINT* levels) = 0;
  virtual HRESULT CreateBlendState(const D3D11_BLEND_DESC* desc, ID3D11BlendState** out) = 0;
  virtual HRESULT CreateBuffer(const D3D11_BUFFER_DESC* desc, const D3D11_SUBRESOURCE_DATA* initial,
                               ID3D11Buffer** out) = 0;
  virtual HRESULT CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* desc, ID3D11DepthStencilState** out) = 0;
  virtual HRESULT CreateDepthStencilView(ID3D11Resource* resource, const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                         ID3D11DepthStencilView** out) = 0;
  virtual HRESULT CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* elements, UINT count, const void* bytecode,
                                    SIZE_T length, ID3D11InputLayout** out) = 0;
  virtual HRESULT CreatePixelShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                    ID3D11PixelShader** out) = 0;
  virtual HRESULT CreateRasterizerState(const D3D11_RASTERIZER_DESC* desc, ID3D11RasterizerState** out) = 0;
  virtual HRESULT CreateRenderTargetView(ID3D11Resource* resource, const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                         ID3D11RenderTargetView** out) = 0;
  virtual HRESULT CreateSamplerState(const D3D11_SAMPLER_DESC* desc, ID3D11SamplerState** out) = 0;
  virtual HRESULT CreateShaderResourceView(ID3D11Resource* resource, const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                           ID3D11ShaderResourceView** out) = 0;
  virtual HRESULT CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc, const D3D11_SUBRESOURCE_DATA* initial,
                                  ID3D11Texture2D** out) = 0;
  virtual HRESULT CreateVertexShader(const void* bytecode, SIZE_T length, ID3D11ClassLinkage* linkage,
                                     ID3D11VertexShader** out) = 0;
  virtual void GetImmediateContext(ID3D11DeviceContext** context) = 0;
  virtual D3D_FEATURE_LEVEL GetFeatureLevel() = 0;

 protected:
  ~ID3D11Device() = default;
};

struct IDXGIAdapter;

// Makes the device and its immediate context on the one adapter, at the first level of
// `levels` (null: 11_0 down to 9_1) the profile's level cap allows.
HRESULT D3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, void* software, UINT flags,
                          const D3D_FEATURE_LEVEL* levels, UINT levelCount, UINT sdkVersion,
                          ID3D11Device** device, D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context);

// Why this thread's last Direct3D 11 shader or input-layout creation refused its bytecode
// (with the byte offset and the opcode where decoding stopped); empty after one that
// succeeded.
const char* Direct3D11ShaderRefusal();

}  // namespace plat::gpu
