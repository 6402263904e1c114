// Direct3D 9 stand-in: the Direct3D object, the device, its resources, declarations,
// shaders and swap chain that the Direct3D 9 back end calls, as a face over the software
// GPU. Only what the back end uses is declared; values are the interface's published ones.
// "d3d9" in HALVORINE_MISSING takes the library away.
#pragma once
#include <cstdint>

#include "platform/gpu/face_com.h"
#include "platform/win/win_display.h"
#include "platform/win/win_window.h"

namespace plat::gpu {

using plat::win::DWORD;
using plat::win::HMONITOR;
using plat::win::HWND;
using plat::win::RECT;
using WORD = std::uint16_t;
using D3DCOLOR = DWORD;
using HANDLE = void*;

// This face's own fixed-function shadow maps (the interface has none): while lighting is
// on, the slots whose pixel-shader float register kFixedShadowPSRegister + i holds a
// non-zero z (its x the depth bias, y the width of the step to full shadow) and whose
// sampler 13 + i has a one-channel float texture shadow the light terms, with the light
// view-projection in vertex-shader float registers kFixedShadowVSRegister + 4 i, four rows
// (the matrix transposed). A program bound in either stage reads those registers as its own.
constexpr UINT kFixedShadowVSRegister = 98;
constexpr UINT kFixedShadowPSRegister = 80;

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = static_cast<HRESULT>(0x88760818u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;

constexpr DWORD fourCC(char a, char b, char c, char d) {
  return DWORD(uint8_t(a)) | DWORD(uint8_t(b)) << 8 | DWORD(uint8_t(c)) << 16 | DWORD(uint8_t(d)) << 24;
}

enum D3DFORMAT : DWORD {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_A8B8G8R8 = 32,
  D3DFMT_X8B8G8R8 = 33,
  D3DFMT_G16R16 = 34,
  D3DFMT_A2R10G10B10 = 35,
  D3DFMT_A16B16G16R16 = 36,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_V8U8 = 60,
  D3DFMT_D32 = 71,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_D16 = 80,
  D3DFMT_L16 = 81,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
  D3DFMT_R16F = 111,
  D3DFMT_G16R16F = 112,
  D3DFMT_A16B16G16R16F = 113,
  D3DFMT_R32F = 114,
  D3DFMT_G32R32F = 115,
  D3DFMT_A32B32G32R32F = 116,
  D3DFMT_DXT1 = fourCC('D', 'X', 'T', '1'),
  D3DFMT_DXT2 = fourCC('D', 'X', 'T', '2'),
  D3DFMT_DXT3 = fourCC('D', 'X', 'T', '3'),
  D3DFMT_DXT4 = fourCC('D', 'X', 'T', '4'),
  D3DFMT_DXT5 = fourCC('D', 'X', 'T', '5'),
};

enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2 };
enum D3DPOOL : DWORD { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2, D3DPOOL_SCRATCH = 3 };
enum D3DRESOURCETYPE : DWORD {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};
// Types 2..16 are sample counts.
enum D3DMULTISAMPLE_TYPE : DWORD {
  D3DMULTISAMPLE_NONE = 0,
  D3DMULTISAMPLE_NONMASKABLE = 1,
  D3DMULTISAMPLE_2_SAMPLES = 2,
  D3DMULTISAMPLE_4_SAMPLES = 4,
  D3DMULTISAMPLE_8_SAMPLES = 8,
};
enum D3DSWAPEFFECT : DWORD { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DSCANLINEORDERING : DWORD { D3DSCANLINEORDERING_UNKNOWN = 0, D3DSCANLINEORDERING_PROGRESSIVE = 1 };
enum D3DBACKBUFFER_TYPE : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DCUBEMAP_FACES : DWORD {
  D3DCUBEMAP_FACE_POSITIVE_X, D3DCUBEMAP_FACE_NEGATIVE_X, D3DCUBEMAP_FACE_POSITIVE_Y,
  D3DCUBEMAP_FACE_NEGATIVE_Y, D3DCUBEMAP_FACE_POSITIVE_Z, D3DCUBEMAP_FACE_NEGATIVE_Z,
};
enum D3DTEXTUREFILTERTYPE : DWORD {
  D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2, D3DTEXF_ANISOTROPIC = 3,
};

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1, D3DUSAGE_DEPTHSTENCIL = 0x2, D3DUSAGE_WRITEONLY = 0x8,
                D3DUSAGE_DYNAMIC = 0x200;
constexpr DWORD D3DLOCK_READONLY = 0x10, D3DLOCK_DISCARD = 0x2000, D3DLOCK_NOOVERWRITE = 0x1000;
constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x2, D3DCREATE_MULTITHREADED = 0x4,
                D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20, D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40,
                D3DCREATE_MIXED_VERTEXPROCESSING = 0x80;
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0, D3DPRESENT_INTERVAL_ONE = 1, D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr DWORD D3DCLEAR_TARGET = 0x1, D3DCLEAR_ZBUFFER = 0x2, D3DCLEAR_STENCIL = 0x4;

// Caps bits the back end reads.
constexpr DWORD D3DPMISCCAPS_BLENDOP = 0x800, D3DPMISCCAPS_TSSARGTEMP = 0x400,
                D3DPMISCCAPS_SEPARATEALPHABLEND = 0x20000;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2, D3DPTEXTURECAPS_SQUAREONLY = 0x20,
                D3DPTEXTURECAPS_NONPOW2CONDITIONAL = 0x100, D3DPTEXTURECAPS_ALPHA = 0x4,
                D3DPTEXTURECAPS_MIPMAP = 0x4000, D3DPTEXTURECAPS_CUBEMAP = 0x800;
constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x100, D3DPTFILTERCAPS_MINFLINEAR = 0x200,
                D3DPTFILTERCAPS_MAGFPOINT = 0x1000000, D3DPTFILTERCAPS_MAGFLINEAR = 0x2000000;
constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;
constexpr DWORD D3DPRASTERCAPS_SCISSORTEST = 0x1000000, D3DPRASTERCAPS_DEPTHBIAS = 0x4000000;

constexpr DWORD shaderVersion(bool pixel, int major, int minor) {
  return (pixel ? 0xFFFF0000u : 0xFFFE0000u) | DWORD(major) << 8 | DWORD(minor);
}

struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps, Caps2, Caps3;
  DWORD PresentationIntervals;
  DWORD DevCaps;
  DWORD PrimitiveMiscCaps;
  DWORD RasterCaps;
  DWORD ZCmpCaps, SrcBlendCaps, DestBlendCaps, AlphaCmpCaps, ShadeCaps;
  DWORD TextureCaps, TextureFilterCaps, CubeTextureFilterCaps, TextureAddressCaps;
  DWORD MaxTextureWidth, MaxTextureHeight, MaxTextureAspectRatio, MaxAnisotropy;
  DWORD TextureOpCaps, FVFCaps;
  DWORD MaxTextureBlendStages, MaxSimultaneousTextures;
  DWORD MaxActiveLights;
  DWORD MaxPrimitiveCount, MaxVertexIndex, MaxStreams, MaxStreamStride;
  DWORD VertexShaderVersion, MaxVertexShaderConst;
  DWORD PixelShaderVersion;
  DWORD NumSimultaneousRTs;
  DWORD StretchRectFilterCaps;
};

struct D3DDISPLAYMODE {
  UINT Width, Height, RefreshRate;
  D3DFORMAT Format;
};
struct D3DDISPLAYMODEEX {
  UINT Size;
  UINT Width, Height, RefreshRate;
  D3DFORMAT Format;
  D3DSCANLINEORDERING ScanLineOrdering;
};

struct D3DADAPTER_IDENTIFIER9 {
  char Driver[512];
  char Description[512];
  char DeviceName[32];
  int64_t DriverVersion;
  DWORD VendorId, DeviceId, SubSysId, Revision;
  GUID DeviceIdentifier;
  DWORD WHQLLevel;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth, BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width, Height;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DVIEWPORT9 {
  DWORD X, Y, Width, Height;
  float MinZ, MaxZ;
};

struct D3DRECT {
  int32_t x1, y1, x2, y2;
};

struct D3DMATRIX {
  float m[4][4];
};

struct D3DCOLORVALUE {
  float r, g, b, a;
};
struct D3DVECTOR {
  float x, y, z;
};
struct D3DMATERIAL9 {
  D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
  float Power;
};
enum D3DLIGHTTYPE : DWORD { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
struct D3DLIGHT9 {
  D3DLIGHTTYPE Type;
  D3DCOLORVALUE Diffuse, Specular, Ambient;
  D3DVECTOR Position, Direction;
  float Range, Falloff, Attenuation0, Attenuation1, Attenuation2, Theta, Phi;
};

enum D3DPRIMITIVETYPE : DWORD {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

enum D3DTRANSFORMSTATETYPE : DWORD {
  D3DTS_VIEW = 2,
  D3DTS_PROJECTION = 3,
  D3DTS_TEXTURE0 = 16,
  D3DTS_TEXTURE7 = 23,
  D3DTS_WORLD = 256,
};

enum D3DRENDERSTATETYPE : DWORD {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_FOGCOLOR = 34,
  D3DRS_FOGSTART = 36,
  D3DRS_FOGEND = 37,
  D3DRS_FOGDENSITY = 38,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
  D3DRS_FOGVERTEXMODE = 140,
  D3DRS_COLORVERTEX = 141,
  D3DRS_LOCALVIEWER = 142,
  D3DRS_NORMALIZENORMALS = 143,
  D3DRS_DIFFUSEMATERIALSOURCE = 145,
  D3DRS_SPECULARMATERIALSOURCE = 146,
  D3DRS_AMBIENTMATERIALSOURCE = 147,
  D3DRS_EMISSIVEMATERIALSOURCE = 148,
  D3DRS_COLORWRITEENABLE = 168,
  D3DRS_BLENDOP = 171,
  D3DRS_SCISSORTESTENABLE = 174,
  D3DRS_SLOPESCALEDEPTHBIAS = 175,
  D3DRS_DEPTHBIAS = 195,
  D3DRS_SEPARATEALPHABLENDENABLE = 206,
  D3DRS_SRCBLENDALPHA = 207,
  D3DRS_DESTBLENDALPHA = 208,
  D3DRS_BLENDOPALPHA = 209,
};
constexpr DWORD kRenderStateCount = 210;

enum D3DFOGMODE : DWORD { D3DFOG_NONE = 0, D3DFOG_EXP = 1, D3DFOG_EXP2 = 2, D3DFOG_LINEAR = 3 };
enum D3DMATERIALCOLORSOURCE : DWORD { D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1, D3DMCS_COLOR2 = 2 };
enum D3DTEXTURETRANSFORMFLAGS : DWORD {
  D3DTTFF_DISABLE = 0, D3DTTFF_COUNT1 = 1, D3DTTFF_COUNT2 = 2, D3DTTFF_COUNT3 = 3, D3DTTFF_COUNT4 = 4,
  D3DTTFF_PROJECTED = 256,
};
enum D3DFILLMODE : DWORD { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : DWORD { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : DWORD {
  D3DCMP_NEVER = 1, D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_LESSEQUAL, D3DCMP_GREATER, D3DCMP_NOTEQUAL,
  D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS,
};
enum D3DBLEND : DWORD {
  D3DBLEND_ZERO = 1, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,
  D3DBLEND_INVSRCALPHA, D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, D3DBLEND_DESTCOLOR, D3DBLEND_INVDESTCOLOR,
  D3DBLEND_SRCALPHASAT, D3DBLEND_BLENDFACTOR = 14, D3DBLEND_INVBLENDFACTOR = 15,
};
enum D3DBLENDOP : DWORD {
  D3DBLENDOP_ADD = 1, D3DBLENDOP_SUBTRACT, D3DBLENDOP_REVSUBTRACT, D3DBLENDOP_MIN, D3DBLENDOP_MAX,
};
enum D3DZBUFFERTYPE : DWORD { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };

enum D3DTEXTURESTAGESTATETYPE : DWORD {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_TEXTURETRANSFORMFLAGS = 24,
  D3DTSS_COLORARG0 = 26,
  D3DTSS_ALPHAARG0 = 27,
  D3DTSS_RESULTARG = 28,
};
constexpr DWORD kStageStateCount = 33;

enum D3DTEXTUREOP : DWORD {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_BLENDDIFFUSEALPHA = 12,
  D3DTOP_BLENDTEXTUREALPHA = 13,
  D3DTOP_BLENDFACTORALPHA = 14,
  D3DTOP_BLENDCURRENTALPHA = 16,
};
constexpr DWORD D3DTA_SELECTMASK = 0xF, D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2, D3DTA_TFACTOR = 3,
                D3DTA_SPECULAR = 4, D3DTA_TEMP = 5, D3DTA_COMPLEMENT = 0x10, D3DTA_ALPHAREPLICATE = 0x20;

enum D3DSAMPLERSTATETYPE : DWORD {
  D3DSAMP_ADDRESSU = 1,
  D3DSAMP_ADDRESSV = 2,
  D3DSAMP_ADDRESSW = 3,
  D3DSAMP_BORDERCOLOR = 4,
  D3DSAMP_MAGFILTER = 5,
  D3DSAMP_MINFILTER = 6,
  D3DSAMP_MIPFILTER = 7,
  D3DSAMP_MIPMAPLODBIAS = 8,
  D3DSAMP_MAXMIPLEVEL = 9,
  D3DSAMP_MAXANISOTROPY = 10,
};
constexpr DWORD kSamplerStateCount = 14;
enum D3DTEXTUREADDRESS : DWORD {
  D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER, D3DTADDRESS_MIRRORONCE,
};

// Flexible vertex format bits.
constexpr DWORD D3DFVF_XYZ = 0x002, D3DFVF_XYZRHW = 0x004, D3DFVF_POSITION_MASK = 0x400E, D3DFVF_NORMAL = 0x010,
                D3DFVF_DIFFUSE = 0x040, D3DFVF_SPECULAR = 0x080, D3DFVF_TEXCOUNT_MASK = 0xF00,
                D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr DWORD fvfTexCount(int n) { return DWORD(n) << D3DFVF_TEXCOUNT_SHIFT; }

enum D3DDECLTYPE : BYTE {
  D3DDECLTYPE_FLOAT1 = 0, D3DDECLTYPE_FLOAT2 = 1, D3DDECLTYPE_FLOAT3 = 2, D3DDECLTYPE_FLOAT4 = 3,
  D3DDECLTYPE_D3DCOLOR = 4, D3DDECLTYPE_UNUSED = 17,
};
enum D3DDECLUSAGE : BYTE {
  D3DDECLUSAGE_POSITION = 0, D3DDECLUSAGE_NORMAL = 3, D3DDECLUSAGE_TEXCOORD = 5, D3DDECLUSAGE_TANGENT = 6,
  D3DDECLUSAGE_BINORMAL = 7, D3DDECLUSAGE_POSITIONT = 9, D3DDECLUSAGE_COLOR = 10,
};
constexpr BYTE D3DDECLMETHOD_DEFAULT = 0;
struct D3DVERTEXELEMENT9 {
  WORD Stream;
  WORD Offset;
  BYTE Type, Method, Usage, UsageIndex;
};
// The element that ends a declaration.
constexpr D3DVERTEXELEMENT9 D3DDECL_END() { return {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}; }

struct D3DVERTEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  DWORD FVF;
};
struct D3DINDEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
};

extern const IID IID_IDirect3D9, IID_IDirect3D9Ex, IID_IDirect3DDevice9, IID_IDirect3DDevice9Ex,
    IID_IDirect3DSurface9, IID_IDirect3DTexture9, IID_IDirect3DCubeTexture9, IID_IDirect3DVertexBuffer9,
    IID_IDirect3DIndexBuffer9, IID_IDirect3DSwapChain9, IID_IDirect3DBaseTexture9, IID_IDirect3DResource9;

struct IDirect3DDevice9;

struct IDirect3DResource9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource9() = default;
};

struct IDirect3DSurface9 : IDirect3DResource9 {
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface9() = default;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
  virtual DWORD GetLevelCount() = 0;

 protected:
  ~IDirect3DBaseTexture9() = default;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;

 protected:
  ~IDirect3DTexture9() = default;
};

struct IDirect3DCubeTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                           DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;

 protected:
  ~IDirect3DCubeTexture9() = default;
};

// Vertex and index buffers share Lock and Unlock at the same places.
struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
  virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DVertexBuffer9() = default;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9 {
  virtual HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;

 protected:
  ~IDirect3DIndexBuffer9() = default;
};

struct IDirect3DVertexDeclaration9 : IUnknown {
 protected:
  ~IDirect3DVertexDeclaration9() = default;
};
struct IDirect3DVertexShader9 : IUnknown {
 protected:
  ~IDirect3DVertexShader9() = default;
};
struct IDirect3DPixelShader9 : IUnknown {
 protected:
  ~IDirect3DPixelShader9() = default;
};

struct IDirect3DSwapChain9 : IUnknown {
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND window, const void* dirty, DWORD flags) = 0;
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) = 0;
  virtual HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS* params) = 0;

 protected:
  ~IDirect3DSwapChain9() = default;
};

struct IDirect3DDevice9 : IUnknown {
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;
  virtual HRESULT GetSwapChain(UINT index, IDirect3DSwapChain9** chain) = 0;
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND window, const void* dirty) = 0;
  virtual HRESULT GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) = 0;
  virtual HRESULT SetDialogBoxMode(BOOL enable) = 0;
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** texture, HANDLE* shared) = 0;
  virtual HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DCubeTexture9** texture, HANDLE* shared) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** buffer, HANDLE* shared) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer9** buffer, HANDLE* shared) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms,
                                     DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms,
                                            DWORD quality, BOOL discard, IDirect3DSurface9** surface,
                                            HANDLE* shared) = 0;
  virtual HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                const plat::win::POINT* destPoint) = 0;
  virtual HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) = 0;
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) = 0;
  virtual HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                              const RECT* destRect, D3DTEXTUREFILTERTYPE filter) = 0;
  virtual HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DSurface9** surface, HANDLE* shared) = 0;
  virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL9* material) = 0;
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
  virtual HRESULT SetScissorRect(const RECT* rect) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* data, UINT stride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT primitives,
                                         const void* indices, D3DFORMAT indexFormat, const void* data,
                                         UINT stride) = 0;
  virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** decl) = 0;
  virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) = 0;
  virtual HRESULT SetFVF(DWORD fvf) = 0;
  virtual HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) = 0;
  virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
  virtual HRESULT SetVertexShaderConstantF(UINT first, const float* data, UINT count) = 0;
  virtual HRESULT SetVertexShaderConstantI(UINT first, const int* data, UINT count) = 0;
  virtual HRESULT SetVertexShaderConstantB(UINT first, const BOOL* data, UINT count) = 0;
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) = 0;
  virtual HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) = 0;
  virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
  virtual HRESULT SetPixelShaderConstantF(UINT first, const float* data, UINT count) = 0;
  virtual HRESULT SetPixelShaderConstantI(UINT first, const int* data, UINT count) = 0;
  virtual HRESULT SetPixelShaderConstantB(UINT first, const BOOL* data, UINT count) = 0;

 protected:
  ~IDirect3DDevice9() = default;
};

struct IDirect3DDevice9Ex : IDirect3DDevice9 {
  virtual HRESULT SetMaximumFrameLatency(UINT frames) = 0;
  virtual HRESULT GetMaximumFrameLatency(UINT* frames) = 0;

 protected:
  ~IDirect3DDevice9Ex() = default;
};

struct IDirect3D9 : IUnknown {
  virtual UINT GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier) = 0;
  virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) = 0;
  virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL windowed,
                                             D3DMULTISAMPLE_TYPE ms, DWORD* qualityLevels) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT targetFormat, D3DFORMAT depthFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) = 0;
  virtual HMONITOR GetAdapterMonitor(UINT adapter) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) = 0;

 protected:
  ~IDirect3D9() = default;
};

struct IDirect3D9Ex : IDirect3D9 {
  virtual HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour,
                                 D3DPRESENT_PARAMETERS* params, D3DDISPLAYMODEEX* fullscreenMode,
                                 IDirect3DDevice9Ex** device) = 0;

 protected:
  ~IDirect3D9Ex() = default;
};

IDirect3D9* Direct3DCreate9(UINT sdkVersion);
HRESULT Direct3DCreate9Ex(UINT sdkVersion, IDirect3D9Ex** object);
// Why this thread's last shader creation refused its code (with the byte offset and the
// opcode where decoding stopped); empty after a creation that succeeded.
const char* Direct3DShaderRefusal();

}  // namespace plat::gpu
