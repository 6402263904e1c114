#include "platform/win/handle.h"

namespace plat::win {

DWORD KernelObject::wait(DWORD) { return WAIT_FAILED; }

BOOL CloseHandle(HANDLE handle) {
  if (handle == nullptr) return FALSE;
  if (handle == CURRENT_THREAD_HANDLE) return TRUE;
  fromHandle(handle)->release();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (handle == nullptr || handle == CURRENT_THREAD_HANDLE) return WAIT_FAILED;
  return fromHandle(handle)->wait(milliseconds);
}

}  // namespace plat::win
