// The own process: its id, a handle to it, and ending it the way the media layer's
// fatal path expects.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

// Flushes the C streams and ends the process at once with the low 8 bits of the code
// (-1 becomes status 255). No static destructor and no exit handler runs, as other
// threads may still be using what they would destroy.
[[noreturn]] void ExitProcess(UINT exitCode);

constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;

DWORD GetCurrentProcessId();
// A handle to the process with that id (only the own process is known), closed with
// CloseHandle; null for any other id, and when the stand-in "process" is missing.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);

}  // namespace plat::win
