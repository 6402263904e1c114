// Direct3D 9 face: the Direct3D object (plain and Ex). It answers format, depth and
// multisample questions from the caps and format profile, describes the one adapter and
// its display mode from the window and display stand-ins, and makes devices.
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/profile.h"

namespace plat::gpu {

const IID IID_IDirect3D9 = {0x81bdcbca, 0x64d4, 0x426d, {0xae, 0x8d, 0xad, 0x01, 0x47, 0xf4, 0x27, 0x5c}};
const IID IID_IDirect3D9Ex = {0x02177241, 0x69fc, 0x400c, {0x8f, 0xf1, 0x93, 0xa4, 0x4d, 0xf6, 0x86, 0x1d}};

namespace d3d9 {

namespace {

// The formats offered per use.
bool offered(D3DFORMAT f, DWORD usage, D3DRESOURCETYPE type) {
  // Every format the back end's survey or its fixed user table may ask for.
  static constexpr D3DFORMAT kTextures[] = {
      D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8,      D3DFMT_X8R8G8B8,      D3DFMT_R5G6B5,      D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,      D3DFMT_R3G3B2,        D3DFMT_A8R3G3B2,    D3DFMT_X4R4G4B4,
      D3DFMT_A2B10G10R10, D3DFMT_G16R16,     D3DFMT_A8B8G8R8,      D3DFMT_X8B8G8R8,    D3DFMT_A2R10G10B10,
      D3DFMT_A16B16G16R16, D3DFMT_R16F,      D3DFMT_G16R16F,       D3DFMT_A16B16G16R16F, D3DFMT_R32F,
      D3DFMT_G32R32F,  D3DFMT_A32B32G32R32F, D3DFMT_L8,            D3DFMT_A8L8,        D3DFMT_L16,
      D3DFMT_DXT1,     D3DFMT_DXT2,          D3DFMT_DXT3,          D3DFMT_DXT4,        D3DFMT_DXT5};
  static constexpr D3DFORMAT kTargets[] = {
      D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,  D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4,      D3DFMT_A16B16G16R16,
      D3DFMT_R16F,     D3DFMT_G16R16F,  D3DFMT_A16B16G16R16F, D3DFMT_R32F, D3DFMT_G32R32F, D3DFMT_A32B32G32R32F,
      D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_L16,     D3DFMT_G16R16};
  static constexpr D3DFORMAT kDepth[] = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D32};
  auto in = [f](const auto& list) {
    for (D3DFORMAT g : list)
      if (g == f) return true;
    return false;
  };
  if (type != D3DRTYPE_TEXTURE && type != D3DRTYPE_SURFACE && type != D3DRTYPE_CUBETEXTURE) return false;
  if (formatRefused(f, usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL))) return false;
  const Format core = toFormat(f);
  if (core == Format::Unknown || formatSupport(core) == 0) return false;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return in(kDepth);
  if (usage & D3DUSAGE_RENDERTARGET) return in(kTargets);
  return in(kTextures) || (type == D3DRTYPE_SURFACE && in(kDepth));
}

int screenBits() { return plat::win::GetDeviceCaps(plat::win::GetDC(nullptr), plat::win::BITSPIXEL); }

D3DFORMAT desktopFormat() { return screenBits() == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8; }

BOOL firstMonitor(HMONITOR m, plat::win::HDC, RECT*, plat::win::LPARAM data) {
  *reinterpret_cast<HMONITOR*>(data) = m;
  return plat::win::FALSE;
}

class Direct3D final : public Com<IDirect3D9Ex> {
 public:
  explicit Direct3D(bool ex) : ex_(ex) {}
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) override {
    if (!callAllowed("GetAdapterIdentifier")) return E_FAIL;
    if (adapter != 0 || !id) return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof *id);
    std::snprintf(id->Driver, sizeof id->Driver, "%s", "software.dll");
    std::snprintf(id->Description, sizeof id->Description, "%s", "Software rasteriser");
    std::snprintf(id->DeviceName, sizeof id->DeviceName, "%s", "\\\\.\\DISPLAY1");
    return D3D_OK;
  }
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
    if (adapter != 0) return 0;
    const DWORD bits = format == D3DFMT_R5G6B5 ? 16 : format == D3DFMT_X8R8G8B8 ? 32 : 0;
    UINT n = 0;
    plat::win::DEVMODEW m{};
    for (DWORD i = 0; bits && plat::win::EnumDisplaySettingsW(nullptr, i, &m); ++i)
      if (m.dmBitsPerPel == bits) ++n;
    return n;
  }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    if (!callAllowed("GetAdapterDisplayMode")) return E_FAIL;
    if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
    int w = 0, h = 0;
    plat::win::GetPrimaryDisplaySize(&w, &h);
    mode->Width = UINT(w);
    mode->Height = UINT(h);
    mode->RefreshRate = 60;
    mode->Format = desktopFormat();
    return D3D_OK;
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE type,
                            D3DFORMAT format) override {
    if (!callAllowed("CheckDeviceFormat")) return E_FAIL;
    if (adapter != 0) return D3DERR_INVALIDCALL;
    return offered(format, usage, type) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT format, BOOL, D3DMULTISAMPLE_TYPE ms,
                                     DWORD* quality) override {
    if (!callAllowed("CheckDeviceMultiSampleType")) return E_FAIL;
    if (adapter != 0) return D3DERR_INVALIDCALL;
    const DWORD levels = multisampleLevels(format, ms);
    if (quality) *quality = levels;
    return levels > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT target, D3DFORMAT depth) override {
    if (!callAllowed("CheckDepthStencilMatch")) return E_FAIL;
    if (adapter != 0) return D3DERR_INVALIDCALL;
    return offered(target, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE) &&
                   offered(depth, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS9* caps) override {
    if (!callAllowed("Direct3D.GetDeviceCaps")) return E_FAIL;
    if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
    *caps = currentCaps();
    return D3D_OK;
  }
  HMONITOR GetAdapterMonitor(UINT adapter) override {
    HMONITOR m = nullptr;
    if (adapter == 0) plat::win::EnumDisplayMonitors(nullptr, nullptr, firstMonitor, reinterpret_cast<plat::win::LPARAM>(&m));
    return m;
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!callAllowed("CreateDevice") || createDeviceFails()) return D3DERR_NOTAVAILABLE;
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    IDirect3DDevice9Ex* d = nullptr;
    const HRESULT r = makeDevice(focus, behaviour, params, false, &d);
    *device = d;
    return r;
  }
  HRESULT CreateDeviceEx(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params,
                         D3DDISPLAYMODEEX*, IDirect3DDevice9Ex** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!callAllowed("CreateDeviceEx") || createDeviceExFails(behaviour)) return D3DERR_NOTAVAILABLE;
    if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    return makeDevice(focus, behaviour, params, true, device);
  }

 private:
  void* iface(const IID& iid) override {
    if (iid == IID_IDirect3D9 || (ex_ && iid == IID_IDirect3D9Ex)) return static_cast<IDirect3D9Ex*>(this);
    return nullptr;
  }
  bool ex_;
};

}  // namespace

}  // namespace d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION || !d3d9::callAllowed("Direct3DCreate9")) return nullptr;
  return new (std::nothrow) d3d9::Direct3D(false);
}

HRESULT Direct3DCreate9Ex(UINT sdkVersion, IDirect3D9Ex** object) {
  if (!object) return D3DERR_INVALIDCALL;
  *object = nullptr;
  if (sdkVersion != D3D_SDK_VERSION) return D3DERR_INVALIDCALL;
  if (d3d9::create9ExFails() || !d3d9::callAllowed("Direct3DCreate9Ex")) return E_FAIL;
  *object = new (std::nothrow) d3d9::Direct3D(true);
  return *object ? D3D_OK : plat::win::E_OUTOFMEMORY;
}

}  // namespace plat::gpu
