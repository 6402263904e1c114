// Resources of the Direct3D 9 face: copies, locks and their refusals, device loss in a
// loop, the caps and format profile, the creation switches and the library's presence.
#include "gpu_d3d9_fixture.h"
#include "platform/win/module.h"

namespace d3d9test {
namespace {

uint32_t texelAt(IDirect3DTexture9* t, UINT level, int x, int y) {
  D3DLOCKED_RECT lr{};
  if (t->LockRect(level, &lr, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEFu;
  uint32_t v;
  std::memcpy(&v, static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + size_t(x) * 4, 4);
  t->UnlockRect(level);
  return v;
}

TEST_F(D3D9Test, CopiesBetweenSurfacesAndTextures) {
  Com<IDirect3DSurface9> a, b, big, sys;
  ASSERT_EQ(device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 1, a.out(), nullptr), D3D_OK);
  ASSERT_EQ(device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 1, b.out(), nullptr), D3D_OK);
  ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, 1, big.out(), nullptr), D3D_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const RECT r{x, y, x + 1, y + 1};
      ASSERT_EQ(device->ColorFill(a.get(), &r, 0xFF000000u | uint32_t(x * 16 + y)), D3D_OK);
    }
  ASSERT_EQ(device->StretchRect(a.get(), nullptr, b.get(), nullptr, D3DTEXF_NONE), D3D_OK);
  EXPECT_EQ(surfacePixels(b.get()), surfacePixels(a.get()));
  ASSERT_EQ(device->StretchRect(a.get(), nullptr, big.get(), nullptr, D3DTEXF_POINT), D3D_OK);
  const std::vector<uint32_t> doubled = surfacePixels(big.get());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(doubled[size_t(y) * 8 + size_t(x)], 0xFF000000u | uint32_t(x / 2 * 16 + y / 2));
  const RECT outside{0, 0, 5, 4};
  EXPECT_EQ(device->StretchRect(a.get(), &outside, b.get(), nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);

  // GetRenderTargetData reads back a ColorFill.
  ASSERT_EQ(device->ColorFill(a.get(), nullptr, 0xFF123456u), D3D_OK);
  ASSERT_EQ(device->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, sys.out(), nullptr), D3D_OK);
  ASSERT_EQ(device->GetRenderTargetData(a.get(), sys.get()), D3D_OK);
  for (uint32_t p : surfacePixels(sys.get())) EXPECT_EQ(p, 0xFF123456u);
  EXPECT_EQ(device->GetRenderTargetData(a.get(), big.get()), D3DERR_INVALIDCALL);

  // UpdateTexture copies every level of a chain.
  Com<IDirect3DTexture9> src, dst;
  ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, src.out(), nullptr), D3D_OK);
  ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, dst.out(), nullptr), D3D_OK);
  ASSERT_EQ(src->GetLevelCount(), 4u);
  for (UINT level = 0; level < 4; ++level) {
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(src->LockRect(level, &lr, nullptr, 0), D3D_OK);
    const int n = 8 >> level;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const uint32_t v = 0xFF000000u | level << 16 | uint32_t(y) << 8 | uint32_t(x);
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + size_t(x) * 4, &v, 4);
      }
    ASSERT_EQ(src->UnlockRect(level), D3D_OK);
  }
  ASSERT_EQ(device->UpdateTexture(src.get(), dst.get()), D3D_OK);
  for (UINT level = 0; level < 4; ++level) {
    const int n = 8 >> level;
    EXPECT_EQ(texelAt(dst.get(), level, n - 1, n - 1), 0xFF000000u | level << 16 | uint32_t(n - 1) << 8 | uint32_t(n - 1));
  }
  EXPECT_EQ(device->UpdateTexture(dst.get(), src.get()), D3DERR_INVALIDCALL);  // wrong direction

  // UpdateSurface moves a rectangle to a point, and refuses one that would land outside.
  Com<IDirect3DSurface9> level0;
  ASSERT_EQ(src->GetSurfaceLevel(0, level0.out()), D3D_OK);
  const RECT part{0, 0, 2, 2};
  const plat::win::POINT at{2, 2}, over{7, 7};
  Com<IDirect3DSurface9> dstLevel;
  ASSERT_EQ(dst->GetSurfaceLevel(0, dstLevel.out()), D3D_OK);
  EXPECT_EQ(device->UpdateSurface(level0.get(), &part, dstLevel.get(), &at), D3D_OK);
  EXPECT_EQ(texelAt(dst.get(), 0, 3, 3), 0xFF000101u);
  EXPECT_EQ(device->UpdateSurface(level0.get(), &part, dstLevel.get(), &over), D3DERR_INVALIDCALL);
}

TEST_F(D3D9Test, ClearAndLocksStayInsideTheirObjects) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  const D3DRECT rects[2] = {{10, 10, 20, 20}, {630, 470, 700, 500}};
  ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
  const std::vector<uint32_t> px = backPixels();
  int lit = 0;
  for (uint32_t p : px) lit += rgb(p) != 0;
  EXPECT_EQ(lit, 100 + 100);
  EXPECT_EQ(rgb(px[15 * 640 + 15]), 0xFFFFFFu);
  EXPECT_EQ(rgb(px[479 * 640 + 639]), 0xFFFFFFu);
  EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // no depth buffer

  // DXT levels lock with the pitch of their block rows.
  Com<IDirect3DTexture9> dxt;
  ASSERT_EQ(device->CreateTexture(10, 6, 2, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, dxt.out(), nullptr), D3D_OK);
  struct LockCase {
    UINT level;
    int pitch;
  } locks[] = {{0, 3 * 8}, {1, 2 * 8}};
  for (const LockCase& c : locks) {
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(dxt->LockRect(c.level, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(lr.Pitch, c.pitch);
    EXPECT_EQ(dxt->LockRect(c.level, &lr, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    EXPECT_EQ(dxt->UnlockRect(c.level), D3D_OK);
    EXPECT_EQ(dxt->UnlockRect(c.level), D3DERR_INVALIDCALL);
  }
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(dxt->LockRect(2, &lr, nullptr, 0), D3DERR_INVALIDCALL);

  // The back buffer locks only when made lockable; rectangles outside are refused.
  Com<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
  EXPECT_EQ(back->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
  back.reset();
  device.reset();
  ASSERT_EQ(makeDevice(64, 32, device.out(), D3DPRESENTFLAG_LOCKABLE_BACKBUFFER), D3D_OK);
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out()), D3D_OK);
  const RECT inside{60, 28, 64, 32}, outside{60, 28, 65, 32}, reversed{10, 10, 5, 20};
  EXPECT_EQ(back->LockRect(&lr, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(back->LockRect(&lr, &reversed, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(back->LockRect(&lr, &inside, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 64 * 4);
  back->UnlockRect();

  // Buffers lock by offset and size inside their length.
  Com<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kColourFvf, D3DPOOL_DEFAULT, vb.out(),
                                       nullptr),
            D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(vb->Lock(60, 8, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(0xFFFFFFF0u, 32, &data, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(vb->Lock(32, 32, &data, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  // Out-of-range slots and stages change nothing.
  EXPECT_EQ(device->SetTexture(16, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_POINT), D3DERR_INVALIDCALL);
  const float regs[8] = {};
  EXPECT_EQ(device->SetPixelShaderConstantF(223, regs, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShaderConstantF(255, regs, 1), D3D_OK);
  EXPECT_EQ(device->SetRenderTarget(4, back.get()), D3DERR_INVALIDCALL);
}

TEST_F(D3D9Test, DepthClearsAndTestsThroughRenderStates) {
  device.reset();
  D3DPRESENT_PARAMETERS p = presentParams(64, 64);
  p.EnableAutoDepthStencil = 1;
  p.AutoDepthStencilFormat = D3DFMT_D24X8;
  ASSERT_EQ(d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, device.out()),
            D3D_OK);
  Com<IDirect3DSurface9> depth;
  ASSERT_EQ(device->GetDepthStencilSurface(depth.out()), D3D_OK);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  struct Case {
    float z;
    DWORD zenable;
    bool drawn;
  } cases[] = {{0.7f, 1, false}, {0.3f, 1, true}, {0.7f, 0, true}};
  for (const Case& c : cases) {
    const D3DRECT half{0, 0, 32, 64};
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Clear(1, &half, D3DCLEAR_ZBUFFER, 0, 0.5f, 0), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, c.zenable);
    const ColourVertex v[6] = {{-0.5f, -0.5f, c.z, 1, 0xFFFFFFFFu}, {63.5f, -0.5f, c.z, 1, 0xFFFFFFFFu},
                               {-0.5f, 63.5f, c.z, 1, 0xFFFFFFFFu}, {63.5f, -0.5f, c.z, 1, 0xFFFFFFFFu},
                               {63.5f, 63.5f, c.z, 1, 0xFFFFFFFFu}, {-0.5f, 63.5f, c.z, 1, 0xFFFFFFFFu}};
    device->SetFVF(kColourFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(ColourVertex)), D3D_OK);
    const std::vector<uint32_t> px = backPixels();
    EXPECT_EQ(rgb(px[10 * 64 + 10]), c.drawn ? 0xFFFFFFu : 0u) << c.z << " " << c.zenable;
    EXPECT_EQ(rgb(px[10 * 64 + 50]), 0xFFFFFFu) << c.z;  // beyond the cleared half the depth is 1
  }
}

TEST_F(D3D9Test, LossOverwritesDefaultPoolAndANewDeviceIsSound) {
  for (int round = 0; round < 3; ++round) {
    Com<IDirect3DTexture9> def, managed;
    def.p = texture(4, 4, std::vector<D3DCOLOR>(16, 0xFF112233u), D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    managed.p = texture(4, 4, std::vector<D3DCOLOR>(16, 0xFF445566u), D3DPOOL_MANAGED);
    Com<IDirect3DIndexBuffer9> ib;
    ASSERT_EQ(device->CreateIndexBuffer(16, 0, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM, ib.out(), nullptr), D3D_OK);
    ASSERT_EQ(device->TestCooperativeLevel(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);

    LoseDeviceForTest(device.get());
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    const int before = plat::win::GetPresentCount(hwnd);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(plat::win::GetPresentCount(hwnd), before);
    EXPECT_EQ(texelAt(def.get(), 0, 3, 3), kLostMarkerColour);
    EXPECT_EQ(texelAt(managed.get(), 0, 3, 3), 0xFF445566u);
    EXPECT_EQ(backPixels()[0], kLostMarkerColour | 0xFF000000u);
    // Draws on a lost device do nothing and succeed.
    EXPECT_EQ(quad(0, 0, 8, 8, 0xFFFFFFFFu), D3D_OK);

    def.reset();
    managed.reset();
    ib.reset();
    device.reset();
    ASSERT_EQ(makeDevice(640, 480, device.out()), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  }
}

TEST_F(D3D9Test, ResourcesOutliveTheirDevice) {
  Com<IDirect3DTexture9> t;
  t.p = texture(2, 2, std::vector<D3DCOLOR>(4, 0xFF000000u), D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
  Com<IDirect3DSurface9> level;
  ASSERT_EQ(t->GetSurfaceLevel(0, level.out()), D3D_OK);
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(level->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, static_cast<IDirect3DDevice9*>(device.get()));
  owner->Release();
  device.reset();
  EXPECT_EQ(level->GetDevice(&owner), D3DERR_INVALIDCALL);
  D3DSURFACE_DESC d{};
  EXPECT_EQ(level->GetDesc(&d), D3D_OK);
  EXPECT_EQ(d.Pool, D3DPOOL_DEFAULT);
}

TEST_F(D3D9Test, ProfileFollowsTheSwitches) {
  D3DCAPS9 caps{};
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.MaxTextureWidth, 8192u);
  EXPECT_EQ(caps.NumSimultaneousRTs, 4u);
  EXPECT_EQ(caps.PixelShaderVersion, shaderVersion(true, 3, 0));
  EXPECT_EQ(caps.PrimitiveMiscCaps & (D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_TSSARGTEMP),
            D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_TSSARGTEMP);
  EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY | D3DPTEXTURECAPS_NONPOW2CONDITIONAL), 0u);
  struct CapsCase {
    const char* name;
    DWORD D3DCAPS9::*field;
    DWORD value;
  } capsCases[] = {{"PixelShaderVersion", &D3DCAPS9::PixelShaderVersion, shaderVersion(true, 2, 0)},
                   {"VertexShaderVersion", &D3DCAPS9::VertexShaderVersion, 0},
                   {"NumSimultaneousRTs", &D3DCAPS9::NumSimultaneousRTs, 1},
                   {"MaxTextureWidth", &D3DCAPS9::MaxTextureWidth, 1024},
                   {"TextureCaps", &D3DCAPS9::TextureCaps, D3DPTEXTURECAPS_POW2},
                   {"PrimitiveMiscCaps", &D3DCAPS9::PrimitiveMiscCaps, 0},
                   {"MaxPrimitiveCount", &D3DCAPS9::MaxPrimitiveCount, 65535}};
  for (const CapsCase& c : capsCases) {
    D3DCAPS9 changed = DefaultD3D9Caps();
    changed.*c.field = c.value;
    SetD3D9CapsForTest(&changed);
    D3DCAPS9 fromObject{}, fromDevice{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &fromObject), D3D_OK);
    ASSERT_EQ(device->GetDeviceCaps(&fromDevice), D3D_OK);
    EXPECT_EQ(fromObject.*c.field, c.value) << c.name;
    EXPECT_EQ(fromDevice.*c.field, c.value) << c.name;
  }
  // The primitive limit is enforced, and so is the texture size.
  Com<IDirect3DTexture9> t;
  EXPECT_EQ(device->CreateTexture(2048, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.out(), nullptr), D3D_OK);
  t.reset();
  D3DCAPS9 small = DefaultD3D9Caps();
  small.MaxTextureWidth = 1024;
  SetD3D9CapsForTest(&small);
  EXPECT_EQ(device->CreateTexture(2048, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.out(), nullptr), D3DERR_INVALIDCALL);
  SetD3D9CapsForTest(nullptr);

  // Formats per use, and refusals from the switches and from the core's profile.
  struct FormatCase {
    D3DFORMAT format;
    DWORD usage;
    D3DRESOURCETYPE type;
    HRESULT expected;
  } formats[] = {{D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE, D3D_OK},
                 {D3DFMT_DXT5, 0, D3DRTYPE_TEXTURE, D3D_OK},
                 {D3DFMT_A8L8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3D_OK},
                 {D3DFMT_R3G3B2, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DERR_NOTAVAILABLE},
                 {D3DFMT_V8U8, 0, D3DRTYPE_TEXTURE, D3DERR_NOTAVAILABLE},
                 {D3DFMT_R32F, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3D_OK},
                 {D3DFMT_D24X8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3D_OK},
                 {D3DFMT_A16B16G16R16F, 0, D3DRTYPE_TEXTURE, D3D_OK},
                 {D3DFMT_L16, 0, D3DRTYPE_TEXTURE, D3D_OK}};
  for (const FormatCase& c : formats)
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format), c.expected)
        << c.format;
  RefuseD3D9FormatForTest(D3DFMT_A8R8G8B8, 0);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                   D3DFMT_A8R8G8B8),
            D3D_OK);
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.out(), nullptr), D3DERR_NOTAVAILABLE);
  Profile p = currentProfile();
  p.refuse(Format::BC1);
  setProfile(p);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);

  // Multisampling at 2, 4 and 8 samples with one quality level; the desktop format follows
  // the screen depth.
  DWORD quality = 9;
  EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 1, D3DMULTISAMPLE_NONE, &quality), D3D_OK);
  EXPECT_EQ(quality, 1u);
  EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 1, D3DMULTISAMPLE_TYPE(2), &quality),
            D3D_OK);
  EXPECT_EQ(quality, 1u);
  for (DWORD type : {1u, 3u, 16u})
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D16, 1, D3DMULTISAMPLE_TYPE(type), &quality),
              D3DERR_NOTAVAILABLE)
        << type;
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  plat::win::SetScreenBitsForTest(16);
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  plat::win::SetScreenBitsForTest(0);
  EXPECT_GT(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 0u);
  D3DADAPTER_IDENTIFIER9 id{};
  ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_STRNE(id.Description, "");
  plat::win::MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(plat::win::GetMonitorInfoA(d3d->GetAdapterMonitor(0), &info));
  EXPECT_GT(info.rcMonitor.right, 0);
}

TEST_F(D3D9Test, CreationSwitchesAndFailingCalls) {
  device.reset();
  SetCreateDeviceExFailsForTest(D3DCREATE_MIXED_VERTEXPROCESSING);
  D3DPRESENT_PARAMETERS p = presentParams(64, 64);
  Com<IDirect3DDevice9Ex> ex;
  EXPECT_EQ(d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, nullptr, ex.out()),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(ex.get(), nullptr);
  EXPECT_EQ(d3d->CreateDeviceEx(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, nullptr, ex.out()),
            D3D_OK);
  ex.reset();
  SetCreateDeviceFailuresForTest(2);
  for (int call = 1; call <= 3; ++call) {
    Com<IDirect3DDevice9> plain;
    const HRESULT r = d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_MIXED_VERTEXPROCESSING, &p, plain.out());
    EXPECT_EQ(r == D3D_OK, call == 3) << call;
    if (plain.get()) {
      // A plain device does not answer for the Ex interface.
      void* asEx = nullptr;
      EXPECT_NE(plain->QueryInterface(IID_IDirect3DDevice9Ex, &asEx), D3D_OK);
    }
  }
  SetCreate9ExFailsForTest(true);
  Com<IDirect3D9Ex> other;
  EXPECT_EQ(Direct3DCreate9Ex(D3D_SDK_VERSION, other.out()), E_FAIL);
  Com<IDirect3D9> plainObject;
  plainObject.p = Direct3DCreate9(D3D_SDK_VERSION);
  EXPECT_NE(plainObject.get(), nullptr);
  SetCreate9ExFailsForTest(false);

  // A named method fails on its n-th call; Present fails while the profile says so.
  ResetD3D9SwitchesForTest();
  ASSERT_EQ(makeDevice(64, 64, device.out()), D3D_OK);
  Profile prof = currentProfile();
  prof.failOnCall["d3d9.BeginScene"] = 2;
  setProfile(prof);
  resetJournal();
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), E_FAIL);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(callCount("d3d9.BeginScene"), 3);
  prof.presentFails = true;
  setProfile(prof);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), E_FAIL);
}

TEST_F(D3D9Test, LibraryPresenceFollowsMissingAndOverrides) {
  setenv("HALVORINE_MISSING", "d3d9", 1);
  EXPECT_EQ(plat::win::LoadLibraryW(u"d3d9.dll"), nullptr);
  unsetenv("HALVORINE_MISSING");
  plat::win::HMODULE m = plat::win::LoadLibraryW(u"d3d9.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_NE(plat::win::GetProcAddress(m, "Direct3DCreate9Ex"), nullptr);
  plat::win::OverrideExport(u"d3d9.dll", "Direct3DCreate9Ex", nullptr);
  EXPECT_EQ(plat::win::GetProcAddress(m, "Direct3DCreate9Ex"), nullptr);
  EXPECT_NE(plat::win::GetProcAddress(m, "Direct3DCreate9"), nullptr);
  plat::win::ResetExportOverrides();
  plat::win::FreeLibrary(m);
}

}  // namespace
}  // namespace d3d9test
