// DXGI face: the factory, its one adapter ("Software rasteriser") and the adapter's one
// output, which covers the primary display and waits on the shared 60 Hz blank.
#include <atomic>
#include <cstring>

#include "platform/gpu/d3d11/face_internal.h"
#include "platform/win/ddraw.h"
#include "platform/win/win_display.h"

namespace plat::gpu {

const IID IID_IDXGIFactory = {0x4d120002, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x02}};
const IID IID_IDXGIFactory1 = {0x4d120003, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x03}};
const IID IID_IDXGIAdapter = {0x4d120004, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x04}};
const IID IID_IDXGIOutput = {0x4d120005, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x05}};
const IID IID_IDXGISwapChain = {0x4d120006, 0x4c56, 0x4852, {0x48, 0x56, 0x4c, 0x52, 0x00, 0x00, 0x01, 0x06}};

namespace {
std::atomic<bool> factory1Fails{false};
}  // namespace

void setFactory1FailsForTest(bool fails) { factory1Fails = fails; }

namespace d3d11 {

namespace {

void copyName(WCHAR* dst, size_t size, const char* name) {
  size_t i = 0;
  for (; name[i] != 0 && i + 1 < size; ++i) dst[i] = WCHAR(name[i]);
  dst[i] = 0;
}

class Output final : public Com<IDXGIOutput> {
 public:
  HRESULT GetDesc(DXGI_OUTPUT_DESC* desc) override {
    if (desc == nullptr) return plat::win::E_INVALIDARG;
    std::memset(desc, 0, sizeof *desc);
    copyName(desc->DeviceName, 32, "\\\\.\\DISPLAY1");
    int w = 0, h = 0;
    if (!plat::win::GetPrimaryDisplaySize(&w, &h)) w = h = 0;
    desc->DesktopCoordinates = RECT{0, 0, w, h};
    desc->AttachedToDesktop = 1;
    desc->Rotation = 1;  // identity
    return plat::win::S_OK;
  }
  HRESULT WaitForVBlank() override {
    plat::win::WaitForVerticalBlankTick();
    return plat::win::S_OK;
  }

 private:
  void* iface(const IID& iid) override { return iid == IID_IDXGIOutput ? static_cast<IDXGIOutput*>(this) : nullptr; }
};

class Adapter final : public Com<IDXGIAdapter> {
 public:
  HRESULT EnumOutputs(UINT index, IDXGIOutput** output) override {
    if (output == nullptr) return plat::win::E_INVALIDARG;
    *output = nullptr;
    if (index != 0) return DXGI_ERROR_NOT_FOUND;
    *output = new (std::nothrow) Output();
    return *output ? plat::win::S_OK : plat::win::E_OUTOFMEMORY;
  }
  HRESULT GetDesc(DXGI_ADAPTER_DESC* desc) override {
    if (desc == nullptr) return plat::win::E_INVALIDARG;
    std::memset(desc, 0, sizeof *desc);
    copyName(desc->Description, 128, "Software rasteriser");
    desc->SharedSystemMemory = SIZE_T(512) << 20;
    return plat::win::S_OK;
  }

 private:
  void* iface(const IID& iid) override {
    return iid == IID_IDXGIAdapter ? static_cast<IDXGIAdapter*>(this) : nullptr;
  }
};

class Factory final : public Com<IDXGIFactory1> {
 public:
  HRESULT EnumAdapters(UINT index, IDXGIAdapter** adapter) override {
    if (adapter == nullptr) return plat::win::E_INVALIDARG;
    *adapter = nullptr;
    if (index != 0) return DXGI_ERROR_NOT_FOUND;
    *adapter = theAdapter();
    return *adapter ? plat::win::S_OK : plat::win::E_OUTOFMEMORY;
  }
  HRESULT MakeWindowAssociation(HWND, UINT flags) override {
    if (flags & ~(DXGI_MWA_NO_WINDOW_CHANGES | DXGI_MWA_NO_ALT_ENTER | 4u)) return DXGI_ERROR_INVALID_CALL;
    return plat::win::S_OK;
  }
  HRESULT CreateSwapChain(IUnknown* device, DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** chain) override {
    return makeSwapChain(device, desc, chain);
  }

 private:
  void* iface(const IID& iid) override {
    if (iid == IID_IDXGIFactory) return static_cast<IDXGIFactory*>(this);
    if (iid == IID_IDXGIFactory1) return static_cast<IDXGIFactory1*>(this);
    return nullptr;
  }
};

HRESULT createFactory(const IID& iid, void** factory) {
  if (factory == nullptr) return plat::win::E_INVALIDARG;
  *factory = nullptr;
  auto* f = new (std::nothrow) Factory();
  if (f == nullptr) return plat::win::E_OUTOFMEMORY;
  const HRESULT r = f->QueryInterface(iid, factory);
  f->Release();
  return r;
}

}  // namespace

IDXGIAdapter* theAdapter() { return new (std::nothrow) Adapter(); }
IDXGIOutput* theOutput() { return new (std::nothrow) Output(); }

}  // namespace d3d11

HRESULT CreateDXGIFactory(const IID& iid, void** factory) {
  if (iid == IID_IDXGIFactory1) {
    if (factory) *factory = nullptr;
    return E_NOINTERFACE;
  }
  return d3d11::createFactory(iid, factory);
}

HRESULT CreateDXGIFactory1(const IID& iid, void** factory) {
  if (factory) *factory = nullptr;
  if (factory1Fails) return E_FAIL;
  return d3d11::createFactory(iid, factory);
}

}  // namespace plat::gpu
