// The Direct3D 9 call wrappers: a loading worker's posted creation runs on the main
// thread, the buffer creations' results, the library and object lifetime.
#include <atomic>

#include "d3d9_fixture.h"
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "platform/win/win_thread.h"

namespace d3d9test {
namespace {

std::atomic<int> postedResult{1};
std::atomic<int> countAtPost{-1};
std::atomic<int> postedDone{0};
IDirect3DTexture9* postedTexture = nullptr;

int postFromWorker(AsyncLoadJob*) {
  // The worker sees no creation before its own posted one ran on the main thread.
  countAtPost = callCount("d3d9.CreateTexture");
  postedResult = Direct3DDevice9_CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &postedTexture, 1);
  postedDone = 1;
  return 0;
}

TEST_F(D3D9BackEnd, AWorkersPostedCallsRunOnTheMainThreadAndReturnTheirResults) {
  ASSERT_EQ(startAndCreate(), 0);
  for (int round = 0; round < 20; ++round) {
    postedDone = 0;
    postedTexture = nullptr;
    Profile p = defaultProfile();
    if (round % 2) p.failOnCall["d3d9.CreateTexture"] = round + 1;
    setProfile(p);
    AsyncLoadJob* job = AllocASyncLoadData(0);
    ASSERT_NE(job, nullptr);
    job->ProcessFunction = postFromWorker;
    ASSERT_EQ(AddASyncLoadData(job), 0);
    for (int i = 0; i < 20000 && !postedDone; ++i) {
      ProcessASyncLoadRequestMainThread();
      Thread_Sleep(1);
    }
    ASSERT_EQ(postedDone.load(), 1);
    EXPECT_EQ(countAtPost.load(), round);
    EXPECT_EQ(callCount("d3d9.CreateTexture"), round + 1);
    if (round % 2) {
      EXPECT_NE(postedResult.load(), 0);
      EXPECT_EQ(postedTexture, nullptr);
    } else {
      EXPECT_EQ(postedResult.load(), 0);
      ASSERT_NE(postedTexture, nullptr);
      EXPECT_EQ(Direct3D9Object_Release(postedTexture, 1), 0);
    }
  }
}

TEST_F(D3D9BackEnd, BufferCreationsAnswerMinusOneForAnyFailureOrWithoutADevice) {
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DIndexBuffer9* ib = nullptr;
  EXPECT_EQ(Direct3DDevice9_CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, 0x2D2, D3DPOOL_DEFAULT, &vb), -1);
  EXPECT_EQ(Direct3DDevice9_CreateIndexBuffer(256, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib), -1);
  ASSERT_EQ(startAndCreate(), 0);
  Profile p = defaultProfile();
  p.failOnCall["d3d9.CreateVertexBuffer"] = 2;
  setProfile(p);
  for (int i = 0; i < 3; ++i) {
    vb = nullptr;
    const int result = Direct3DDevice9_CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, 0x2D2, D3DPOOL_DEFAULT, &vb);
    EXPECT_EQ(result, i == 1 ? -1 : 0) << i;
    if (vb == nullptr) continue;
    void* data = nullptr;
    ASSERT_EQ(Direct3DVertexBuffer9_Lock(vb, 0, 0, &data, 0), D3D_OK);
    static_cast<uint8_t*>(data)[255] = 7;
    EXPECT_EQ(Direct3DVertexBuffer9_Unlock(vb), D3D_OK);
    Direct3D9Object_Release(vb);
  }
  EXPECT_EQ(Direct3DDevice9_CreateIndexBuffer(64, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &ib), 0);
  Direct3D9Object_Release(ib);
  EXPECT_EQ(Direct3D9Object_Release(nullptr), 0);
}

TEST_F(D3D9BackEnd, LibraryAndObjectComeAndGoInLoops) {
  startLibrary();
  setenv("HALVORINE_MISSING", "d3d9", 1);
  EXPECT_EQ(D3D9_LoadDLL(), -1);
  EXPECT_TRUE(logged(u"d3d9.dll の読み込みに失敗しました"));
  EXPECT_EQ(Direct3D9_Create(), -1);
  unsetenv("HALVORINE_MISSING");
  forgetLog();
  for (int round = 0; round < 10; ++round) {
    ASSERT_EQ(D3D9_LoadDLL(), 0);
    ASSERT_EQ(Direct3D9_Create(), 0);
    ASSERT_EQ(Direct3D9_Create(), 0);  // the old object goes first
    EXPECT_EQ(Direct3D9_IsValid(), 1);
    EXPECT_EQ(Direct3D9_Release(), 0);
    EXPECT_EQ(Direct3D9_IsValid(), 0);
    EXPECT_EQ(Direct3D9_Release(), 0);
    Direct3DDevice9_Release();  // no device: nothing logged
    EXPECT_EQ(D3D9_FreeDLL(), 0);
    EXPECT_EQ(D3D9_FreeDLL(), 0);
  }
  EXPECT_EQ(logCountOf(u"d3d9.dll の解放 1"), 10);
  EXPECT_EQ(logCountOf(u"Direct3DDevice9 の解放 2"), 0);
  EXPECT_EQ(plat::win::GetModuleReferenceCount(u"d3d9.dll"), 0);
}

}  // namespace
}  // namespace d3d9test
