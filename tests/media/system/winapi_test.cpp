// Tests of media/system/winapi: Windows functions looked up at run time.
#include "media/system/winapi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "media/base/clock.h"
#include "media/file/async_load.h"
#include "platform/win/win_thread.h"

namespace ZaDod {
namespace {

using plat::win::GetModuleReferenceCount;

class WinAPITest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("HALVORINE_MISSING");
    ReleaseWinAPI();
  }
};

TEST_F(WinAPITest, SecondLoadLoadsNothing) {
  LoadWinAPI();
  int winmm = GetModuleReferenceCount(u"winmm.dll");
  int ole = GetModuleReferenceCount(u"ole32.dll");
  EXPECT_GE(winmm, 1);
  LoadWinAPI();
  EXPECT_EQ(GetModuleReferenceCount(u"winmm.dll"), winmm);
  EXPECT_EQ(GetModuleReferenceCount(u"ole32.dll"), ole);
  EXPECT_NE(WinAPI.timeGetTimeFunc, nullptr);
  EXPECT_NE(WinAPI.CoCreateInstanceFunc, nullptr);
  EXPECT_NE(WinAPI.RtlGetVersionFunc, nullptr);
  EXPECT_NE(WinAPI.DWMAPIDLL, nullptr);
  EXPECT_NE(WinAPI.DwmEnableCompositionFunc, nullptr);
  EXPECT_NE(WinAPI.ImmGetCompositionStringWFunc, nullptr);
}

TEST_F(WinAPITest, ReleaseClearsAndTheClockLoadsAgain) {
  LoadWinAPI();
  ReleaseWinAPI();
  EXPECT_EQ(WinAPI.WinMMDLL, nullptr);
  EXPECT_EQ(WinAPI.timeGetTimeFunc, nullptr);
  EXPECT_EQ(WinAPI.Ole32DLL, nullptr);
  EXPECT_NE(WinAPI.NTDLL, nullptr);  // ntdll and gdi32 stay loaded
  EXPECT_NE(WinAPI.RtlGetVersionFunc, nullptr);
  EXPECT_GE(GetMillisecondCount(), 0);
  EXPECT_NE(WinAPI.WinMMDLL, nullptr);
  EXPECT_GE(GetMicrosecondCount(), 0);
}

TEST_F(WinAPITest, ClocksFailWithoutTheMultimediaLibrary) {
  ReleaseWinAPI();
  setenv("HALVORINE_MISSING", "winmm", 1);
  EXPECT_EQ(GetMillisecondCount(), -1);
  EXPECT_EQ(GetMicrosecondCount(), -1);
  EXPECT_EQ(WinAPI.timeGetTimeFunc, nullptr);
  EXPECT_NE(WinAPI.Ole32DLL, nullptr);
}

constexpr plat::win::CLSID kTestClass = {0x51A7E, 0x1, 0x2, {1, 1, 2, 3, 5, 8, 13, 21}};
constexpr plat::win::IID kTestInterface = {0x1F, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 1}};
std::atomic<uint32_t> createdOn{0};
int object = 0;

plat::win::HRESULT makeTest(void*, const plat::win::IID& iid, void** out) {
  if (!(iid == kTestInterface)) return plat::win::E_INVALIDARG;
  createdOn = plat::win::GetCurrentThreadId();
  *out = &object;
  return plat::win::S_OK;
}

std::atomic<int> workerResult{1};
void* workerObject = nullptr;

int createOnWorker(AsyncLoadJob*) {
  workerResult = CoCreateInstanceASync(kTestClass, nullptr, plat::win::CLSCTX_ALL, kTestInterface, &workerObject, 1);
  return 0;
}

TEST_F(WinAPITest, WorkerCreatesCOMObjectsOnTheMainThread) {
  plat::win::RegisterComClass(kTestClass, "testclass", makeTest);
  LoadWinAPI();
  ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
  ASSERT_EQ(SetupASyncLoadThread(2), 0);
  AsyncLoadJob* job = AllocASyncLoadData(0);
  job->ProcessFunction = createOnWorker;
  AddASyncLoadData(job);
  for (int i = 0; i < 20000 && workerResult != plat::win::S_OK; ++i) {
    ProcessASyncLoadRequestMainThread();
    plat::win::Sleep(1);
  }
  EXPECT_EQ(workerResult.load(), plat::win::S_OK);
  EXPECT_EQ(workerObject, &object);
  EXPECT_EQ(createdOn.load(), plat::win::GetCurrentThreadId());
  TerminateASyncLoad();

  void* out = &object;
  EXPECT_EQ(CoCreateInstanceASync(kTestInterface, nullptr, plat::win::CLSCTX_ALL, kTestInterface, &out, 0),
            plat::win::REGDB_E_CLASSNOTREG);
  EXPECT_EQ(out, nullptr);
  plat::win::UnregisterComClass(kTestClass);
}

}  // namespace
}  // namespace ZaDod
