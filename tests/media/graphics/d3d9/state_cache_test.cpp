// The Direct3D 9 state cache, vertex batch and default state, counted in the software
// GPU's journal.
#include "tests/media/graphics/d3d9/d3d9_fixture.h"

namespace d3d9test {
namespace {

int calls(const char* method) { return callCount(std::string("d3d9.") + method); }

TEST_F(D3D9BackEnd, DefaultStateQueuesOnePointAndTheFirst2DDrawSwitchesDepthOff) {
  attach();
  Graphics_D3D9_SetupDefaultDeviceState();
  resetJournal();
  EXPECT_EQ(D3D9Batch.pending, 1);
  EXPECT_EQ(D3D9Batch.primitive, D3DPT_POINTLIST);
  clearTo(0, 0, 0);  // the clear flushes: the point at the origin is drawn first
  EXPECT_EQ(calls("DrawPrimitiveUP"), 1);
  // The cache started with depth on; the set-up's 2D preparation switched it off.
  EXPECT_EQ(D3D9State.zEnable, 0);
  box(0, 255, {255, 255, 255}, 10, 10, 20, 20);
  EXPECT_EQ(pixel(15, 15), (Rgb{255, 255, 255}));
  EXPECT_EQ(pixel(20, 15), (Rgb{0, 0, 0}));
}

TEST_F(D3D9BackEnd, SettersSendOnlyChangesFlushOnceAndForceSendsAgain) {
  attach();
  Graphics_D3D9_FlushVertexBatch(0);
  D3D9Batch.pending = 0;
  box(0, 255, {1, 2, 3}, 0, 0, 4, 4);  // something pending
  resetJournal();
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetCullMode(2), 0);
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetCullMode(2), 0);
  EXPECT_EQ(calls("SetRenderState"), 1);
  EXPECT_EQ(calls("DrawPrimitiveUP"), 1);
  D3D9State.force = 1;
  Graphics_D3D9_DeviceState_SetCullMode(2);
  D3D9State.force = 0;
  EXPECT_EQ(calls("SetRenderState"), 2);

  // A failed call leaves the old value cached, so the same request goes out again.
  Profile p = currentProfile();
  p.failOnCall["d3d9.SetRenderState"] = calls("SetRenderState") + 1;
  setProfile(p);
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetCullMode(1), -1);
  EXPECT_EQ(D3D9State.cullMode, 2);
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetCullMode(1), 0);
  EXPECT_EQ(D3D9State.cullMode, 1);
  EXPECT_EQ(calls("SetRenderState"), 4);
}

TEST_F(D3D9BackEnd, FailedViewportIsLoggedAndKeepsTheOldOne) {
  attach();
  const D3DVIEWPORT9 before = D3D9State.viewport;
  const D3DVIEWPORT9 tooBig{0, 0, 4000, 4000, 0.0f, 1.0f};
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetViewport(&tooBig), -1);
  EXPECT_EQ(D3D9State.viewport.Width, before.Width);
  EXPECT_TRUE(halvorine_test::logHasInOrder({u"ビューポートのセットに失敗しました ErrorCode 8876086c"}));
  const D3DVIEWPORT9 small{0, 0, 100, 100, 0.0f, 1.0f};
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetViewport(&small), 0);
  EXPECT_EQ(D3D9State.viewport.Width, 100u);
}

TEST_F(D3D9BackEnd, FvfUnbindsADeclarationAndTargetZeroSetsTheWholeViewport) {
  attach();
  IDirect3DVertexDeclaration9* decl = nullptr;
  const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0}, D3DDECL_END()};
  ASSERT_EQ(D3D9Sys.device->CreateVertexDeclaration(elements, &decl), D3D_OK);
  Graphics_D3D9_DeviceState_SetVertexDeclaration(decl);
  resetJournal();
  EXPECT_EQ(Graphics_D3D9_DeviceState_SetFVF(0x44), 0);
  EXPECT_EQ(calls("SetVertexDeclaration"), 1);
  EXPECT_EQ(calls("SetFVF"), 1);
  EXPECT_EQ(D3D9State.declaration, nullptr);
  decl->Release();

  Graphics_D3D9_DeviceState_SetViewportRect(10, 10, 50, 50);
  IDirect3DSurface9* target = nullptr;
  ASSERT_EQ(D3D9Sys.device->CreateRenderTarget(320, 200, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, 0, &target, nullptr),
            D3D_OK);
  Graphics_D3D9_DeviceState_SetRenderTarget(target, 0);
  EXPECT_EQ(D3D9State.viewport.Width, 320u);
  EXPECT_EQ(D3D9State.viewport.Height, 200u);
  EXPECT_EQ(D3D9State.viewport.MaxZ, 1.0f);
  Graphics_D3D9_DeviceState_SetRenderTarget(D3D9DeviceSys.backBuffer, 0);
  target->Release();
}

TEST_F(D3D9BackEnd, DisablingTheHighestLightFallsToTheNextEnabled) {
  attach();
  for (int round = 0; round < 3; ++round) {
    Graphics_D3D9_DeviceState_SetLightEnable(2, 1);
    Graphics_D3D9_DeviceState_SetLightEnable(5, 1);
    EXPECT_EQ(D3D9State.highestLight, 5);
    Graphics_D3D9_DeviceState_SetLightEnable(5, 0);
    EXPECT_EQ(D3D9State.highestLight, 2);
    Graphics_D3D9_DeviceState_SetLightEnable(2, 0);
    EXPECT_EQ(D3D9State.highestLight, 0);
  }
}

TEST_F(D3D9BackEnd, BatchFlushesAtCapacityAndOnAnotherPrimitive) {
  attach();
  Graphics_D3D9_FlushVertexBatch(0);
  D3D9_BatchSelectVariant(0);
  resetJournal();
  // Slot 0 holds 3225 vertices; a pixel needs pending + 1 below that.
  for (int i = 0; i < 3223; ++i) ASSERT_NE(D3D9_BatchReserve(D3DPT_POINTLIST, 1), nullptr);
  EXPECT_EQ(D3D9Batch.pending, 3223);
  D3D9_BatchReserve(D3DPT_POINTLIST, 1);
  EXPECT_EQ(calls("DrawPrimitiveUP"), 0);
  EXPECT_EQ(D3D9Batch.pending, 3224);
  D3D9_BatchReserve(D3DPT_POINTLIST, 1);
  EXPECT_EQ(calls("DrawPrimitiveUP"), 1);
  EXPECT_EQ(D3D9Batch.pending, 1);
  // A line after a pixel draws the point list first.
  D3D9_BatchReserve(D3DPT_LINELIST, 2);
  EXPECT_EQ(calls("DrawPrimitiveUP"), 2);
  EXPECT_EQ(D3D9Batch.primitive, D3DPT_LINELIST);

  const struct {
    D3DPRIMITIVETYPE type;
    int n, primitives;
  } counts[] = {{D3DPT_POINTLIST, 7, 7},  {D3DPT_LINELIST, 7, 3},     {D3DPT_LINESTRIP, 7, 6},
                {D3DPT_TRIANGLELIST, 9, 3}, {D3DPT_TRIANGLESTRIP, 7, 5}, {D3DPT_TRIANGLEFAN, 7, 5}};
  for (const auto& c : counts) EXPECT_EQ(D3D9_PrimitiveCount(c.type, c.n), c.primitives) << c.type;
}

TEST_F(D3D9BackEnd, HundredBoxesOfOneModeAreOneDraw) {
  attach();
  clearTo(0, 0, 0);
  resetJournal();
  for (int i = 0; i < 100; ++i) box(1, 200, {10, 20, 30}, i % 10 * 6, i / 10 * 6, i % 10 * 6 + 5, i / 10 * 6 + 5);
  Graphics_D3D9_FlushVertexBatch(0);
  EXPECT_EQ(calls("DrawPrimitiveUP"), 1);
  EXPECT_EQ(D3D9Batch.primitive, D3DPT_TRIANGLELIST);
}

TEST_F(D3D9BackEnd, ClearWithARectangleClearsOnlyItAndRestoresTheDrawArea) {
  attach();
  GraphicsDrawSettings.drawArea = ImageRect{0, 0, 640, 480};
  Graphics_D3D9_SetDrawArea(0, 0, 640, 480);
  clearTo(10, 20, 30);
  GraphicsDrawSettings.drawArea = ImageRect{100, 100, 200, 200};
  Graphics_D3D9_SetDrawArea(100, 100, 200, 200);
  GraphicsDrawSettings.backgroundRed = 200;
  const ImageRect r{5, 5, 15, 15};
  Graphics_D3D9_ClearDrawTarget(&r);
  EXPECT_EQ(pixel(5, 5), (Rgb{200, 20, 30}));
  EXPECT_EQ(pixel(15, 15), (Rgb{10, 20, 30}));
  EXPECT_EQ(D3D9State.viewport.X, 100u);
  EXPECT_EQ(D3D9State.viewport.Width, 100u);
}

}  // namespace
}  // namespace d3d9test
