// Temporary: the handle, loading, lock, run-time function and system information
// functions that start-up, the pump and shut-down call, declared with their own
// signatures until that module is merged; loading_seam.cpp gives plain versions.
#pragma once
#include <cstdint>

#include "platform/win/window.h"

namespace ZaDod {

int InitializeASyncLoad(uint32_t mainThreadId);
int TerminateASyncLoad();
int SetupASyncLoadThread(int processorNum);
int TerminateASyncLoadThread();
int ProcessASyncLoadRequestMainThread();
int CheckMainThread();
int SetEndRequestFlag();
int GetEndRequestFlag();
int ClearEndRequestFlag();

void LibraryLockAcquire();
void LibraryLockRelease();
int LibraryLockDestroy();

struct WinAPIData {
  plat::win::Module* Kernel32DLL;
  plat::win::Module* (*GetModuleHandleWFunc)(const char16_t* name);
  plat::win::Module* Ole32DLL;
  int32_t (*CoInitializeExFunc)(void* reserved, uint32_t model);
  void (*CoUninitializeFunc)();
  plat::win::Module* User32DLL;
  void (*WINNLSEnableIMEFunc)();
  void (*CreateWindowExWFunc)();
  void (*RegisterTouchWindowFunc)();
};
extern WinAPIData WinAPI;
int LoadWinAPI();
int ReleaseWinAPI();

struct SystemInfoData {
  int ProcessorNum;
  int WindowsVersion;
  int UseMMX;
};
extern SystemInfoData SystemInfo;
void OutputSystemInfoLog();

}  // namespace ZaDod
