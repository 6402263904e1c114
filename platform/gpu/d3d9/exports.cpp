// The module registry's table of d3d9.dll, and the face's test switches.
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/journal.h"

namespace plat::gpu {

const plat::win::ModuleExport kD3D9Exports[] = {
    faceExport("Direct3DCreate9Ex", &Direct3DCreate9Ex),
    faceExport("Direct3DCreate9", &Direct3DCreate9),
    {nullptr, nullptr},
};

namespace {

struct Switches {
  std::mutex lock;
  bool capsSet = false;
  D3DCAPS9 caps{};
  std::map<std::pair<DWORD, DWORD>, bool> refused;  // (format, usage)
  bool create9ExFails = false;
  DWORD deviceExFails = 0;
  int deviceFailures = 0;
};

Switches& switches() {
  static Switches s;
  return s;
}

}  // namespace

D3DCAPS9 DefaultD3D9Caps() {
  D3DCAPS9 c{};
  c.DeviceType = D3DDEVTYPE_HAL;
  c.Caps2 = D3DCAPS2_DYNAMICTEXTURES;
  c.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  c.PrimitiveMiscCaps = D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_SEPARATEALPHABLEND;
  c.RasterCaps = D3DPRASTERCAPS_SCISSORTEST | D3DPRASTERCAPS_DEPTHBIAS;
  c.ZCmpCaps = c.AlphaCmpCaps = 0xFF;
  c.SrcBlendCaps = c.DestBlendCaps = 0x1FFF;
  c.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_CUBEMAP;
  c.TextureFilterCaps = c.CubeTextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                                                  D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  c.TextureAddressCaps = 0x1F;
  c.MaxTextureWidth = c.MaxTextureHeight = 8192;
  c.MaxTextureAspectRatio = 8192;
  c.MaxAnisotropy = 16;
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 8;
  c.MaxActiveLights = 8;
  c.MaxPrimitiveCount = 1048575;
  c.MaxVertexIndex = 16777215;
  c.MaxStreams = 1;
  c.MaxStreamStride = 255;
  c.VertexShaderVersion = shaderVersion(false, 3, 0);
  c.MaxVertexShaderConst = 256;
  c.PixelShaderVersion = shaderVersion(true, 3, 0);
  c.NumSimultaneousRTs = 4;
  c.StretchRectFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                            D3DPTFILTERCAPS_MAGFLINEAR;
  return c;
}

void SetD3D9CapsForTest(const D3DCAPS9* caps) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.capsSet = caps != nullptr;
  if (caps) s.caps = *caps;
}

void RefuseD3D9FormatForTest(D3DFORMAT format, DWORD usage) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.refused[{DWORD(format), usage}] = true;
}

void SetCreate9ExFailsForTest(bool fails) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.create9ExFails = fails;
}

void SetCreateDeviceExFailsForTest(DWORD mask) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.deviceExFails = mask;
}

void SetCreateDeviceFailuresForTest(int n) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.deviceFailures = n;
}

void ResetD3D9SwitchesForTest() {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  s.capsSet = false;
  s.refused.clear();
  s.create9ExFails = false;
  s.deviceExFails = 0;
  s.deviceFailures = 0;
}

namespace d3d9 {

D3DCAPS9 currentCaps() {
  Switches& s = switches();
  {
    std::lock_guard hold(s.lock);
    if (s.capsSet) return s.caps;
  }
  return DefaultD3D9Caps();
}

bool formatRefused(D3DFORMAT f, DWORD usage) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  return s.refused.count({DWORD(f), usage}) != 0;
}

bool create9ExFails() {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  return s.create9ExFails;
}

bool createDeviceExFails(DWORD behaviour) {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  return (behaviour & s.deviceExFails) != 0;
}

bool createDeviceFails() {
  Switches& s = switches();
  std::lock_guard hold(s.lock);
  if (s.deviceFailures <= 0) return false;
  --s.deviceFailures;
  return true;
}

bool callAllowed(const char* method) {
  const std::string name = std::string("d3d9.") + method;
  return countCall(name.c_str());
}

}  // namespace d3d9
}  // namespace plat::gpu
