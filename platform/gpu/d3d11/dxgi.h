// DXGI stand-in: one factory with one adapter and one output, the device's DXGI face and
// swap chains whose back buffer is presented into the window stand-in's frame buffer.
// "dxgi" in HALVORINE_MISSING takes it away.
#pragma once
#include "platform/gpu/d3d11/gpu_d3d11.h"
#include "platform/win/win_window.h"

namespace plat::gpu {

using plat::win::HWND;
using plat::win::RECT;
using plat::win::WCHAR;

extern const IID IID_IDXGIFactory;
extern const IID IID_IDXGIFactory1;
extern const IID IID_IDXGIDevice1;
extern const IID IID_IDXGIAdapter;
extern const IID IID_IDXGIOutput;
extern const IID IID_IDXGISwapChain;

constexpr UINT DXGI_USAGE_SHADER_INPUT = 0x10;
constexpr UINT DXGI_USAGE_RENDER_TARGET_OUTPUT = 0x20;
constexpr UINT DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH = 2;
constexpr UINT DXGI_MWA_NO_WINDOW_CHANGES = 1;
constexpr UINT DXGI_MWA_NO_ALT_ENTER = 2;
enum DXGI_SWAP_EFFECT : UINT { DXGI_SWAP_EFFECT_DISCARD = 0, DXGI_SWAP_EFFECT_SEQUENTIAL = 1 };
enum DXGI_MODE_SCANLINE_ORDER : UINT { DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED = 0 };
enum DXGI_MODE_SCALING : UINT { DXGI_MODE_SCALING_UNSPECIFIED = 0 };

struct DXGI_RATIONAL {
  UINT Numerator, Denominator;
};
struct DXGI_MODE_DESC {
  UINT Width, Height;
  DXGI_RATIONAL RefreshRate;
  DXGI_FORMAT Format;
  DXGI_MODE_SCANLINE_ORDER ScanlineOrdering;
  DXGI_MODE_SCALING Scaling;
};
struct DXGI_SWAP_CHAIN_DESC {
  DXGI_MODE_DESC BufferDesc;
  DXGI_SAMPLE_DESC SampleDesc;
  UINT BufferUsage;
  UINT BufferCount;
  HWND OutputWindow;
  BOOL Windowed;
  DXGI_SWAP_EFFECT SwapEffect;
  UINT Flags;
};
struct DXGI_ADAPTER_DESC {
  WCHAR Description[128];
  UINT VendorId, DeviceId, SubSysId, Revision;
  SIZE_T DedicatedVideoMemory, DedicatedSystemMemory, SharedSystemMemory;
  struct {
    plat::win::DWORD LowPart;
    plat::win::LONG HighPart;
  } AdapterLuid;
};
struct DXGI_OUTPUT_DESC {
  WCHAR DeviceName[32];
  RECT DesktopCoordinates;
  BOOL AttachedToDesktop;
  UINT Rotation;
  void* Monitor;
};

struct IDXGIOutput : IUnknown {
  virtual HRESULT GetDesc(DXGI_OUTPUT_DESC* desc) = 0;
  // Waits for the next vertical blank of the 60 Hz clock the DirectDraw stand-in uses.
  virtual HRESULT WaitForVBlank() = 0;

 protected:
  ~IDXGIOutput() = default;
};
struct IDXGIAdapter : IUnknown {
  virtual HRESULT EnumOutputs(UINT index, IDXGIOutput** output) = 0;
  virtual HRESULT GetDesc(DXGI_ADAPTER_DESC* desc) = 0;

 protected:
  ~IDXGIAdapter() = default;
};
struct IDXGIDevice1 : IUnknown {
  virtual HRESULT GetAdapter(IDXGIAdapter** adapter) = 0;
  virtual HRESULT SetMaximumFrameLatency(UINT frames) = 0;
  virtual HRESULT GetMaximumFrameLatency(UINT* frames) = 0;

 protected:
  ~IDXGIDevice1() = default;
};
struct IDXGISwapChain : IUnknown {
  virtual HRESULT Present(UINT syncInterval, UINT flags) = 0;
  virtual HRESULT GetBuffer(UINT index, const IID& iid, void** surface) = 0;
  virtual HRESULT SetFullscreenState(BOOL fullscreen, IDXGIOutput* target) = 0;
  virtual HRESULT GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) = 0;
  virtual HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* desc) = 0;
  virtual HRESULT ResizeBuffers(UINT count, UINT width, UINT height, DXGI_FORMAT format, UINT flags) = 0;
  virtual HRESULT GetContainingOutput(IDXGIOutput** output) = 0;

 protected:
  ~IDXGISwapChain() = default;
};
struct IDXGIFactory : IUnknown {
  // Index 0 is the one adapter; past it DXGI_ERROR_NOT_FOUND.
  virtual HRESULT EnumAdapters(UINT index, IDXGIAdapter** adapter) = 0;
  virtual HRESULT MakeWindowAssociation(HWND window, UINT flags) = 0;
  virtual HRESULT CreateSwapChain(IUnknown* device, DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** chain) = 0;

 protected:
  ~IDXGIFactory() = default;
};
struct IDXGIFactory1 : IDXGIFactory {
 protected:
  ~IDXGIFactory1() = default;
};

HRESULT CreateDXGIFactory(const IID& iid, void** factory);
HRESULT CreateDXGIFactory1(const IID& iid, void** factory);

// Test switch: CreateDXGIFactory1 answers E_FAIL while set (CreateDXGIFactory still works).
void setFactory1FailsForTest(bool fails);

}  // namespace plat::gpu
