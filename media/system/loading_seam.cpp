// Temporary: plain versions of the functions of loading_seam.h.
#include "media/system/loading_seam.h"

#include <mutex>
#include <thread>

#include "media/base/clock.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/base/charcode.h"

namespace ZaDod {
namespace {

int endRequest = 0;
std::recursive_mutex libraryLock;
std::thread::id mainThread;

int32_t coInitialize(void*, uint32_t) { return 0; }
void coUninitialize() {}
plat::win::Module* moduleHandle(const char16_t*) { return nullptr; }
plat::win::BOOL enableIme(plat::win::HWND hwnd, plat::win::BOOL enable) {
  return plat::win::WINNLSEnableIME(hwnd, enable);
}

}  // namespace

WinAPIData WinAPI;
SystemInfoData SystemInfo;

int InitializeASyncLoad(uint32_t) {
  mainThread = std::this_thread::get_id();
  return 0;
}
int TerminateASyncLoad() { return 0; }
int SetupASyncLoadThread(int) { return 0; }
int TerminateASyncLoadThread() { return 0; }
int ProcessASyncLoadRequestMainThread() { return 0; }
int CheckMainThread() { return std::this_thread::get_id() == mainThread ? 1 : 0; }
int SetEndRequestFlag() { return endRequest = 1, 0; }
int GetEndRequestFlag() { return endRequest; }
int ClearEndRequestFlag() { return endRequest = 0; }

void LibraryLockAcquire() { libraryLock.lock(); }
void LibraryLockRelease() { libraryLock.unlock(); }
int LibraryLockDestroy() { return 1; }

int LoadWinAPI() {
  WinAPI.GetModuleHandleWFunc = moduleHandle;
  WinAPI.CoInitializeExFunc = coInitialize;
  WinAPI.CoUninitializeFunc = coUninitialize;
  WinAPI.WINNLSEnableIMEFunc = reinterpret_cast<void (*)()>(enableIme);
  WinAPI.CreateWindowExWFunc = reinterpret_cast<void (*)()>(plat::win::CreateWindowExW);
  return 0;
}
int ReleaseWinAPI() {
  WinAPI = WinAPIData{};
  return 0;
}

void OutputSystemInfoLog() {
  LogAddTextUtf16(u"システムの情報を出力します\n");
  SystemInfo.ProcessorNum = static_cast<int>(std::thread::hardware_concurrency());
  SystemInfo.WindowsVersion = 0x10C;
  SystemInfo.UseMMX = 1;
}

}  // namespace ZaDod
