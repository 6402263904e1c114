// The own process: its id, a handle to it, and ending it.
#include "platform/win/process.h"

#include <unistd.h>

#include <cstdio>

#include "platform/win/missing.h"
#include "platform/win/win_handle.h"

namespace plat::win {

void ExitProcess(UINT exitCode) {
  std::fflush(nullptr);
  _exit(static_cast<int>(exitCode & 0xFF));
}

namespace {
struct ProcessObject : KernelObject {};
}  // namespace

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

HANDLE OpenProcess(DWORD, BOOL, DWORD processId) {
  if (IsStandInMissing("process") || processId != GetCurrentProcessId()) return nullptr;
  return registerObject(new ProcessObject);
}

}  // namespace plat::win
