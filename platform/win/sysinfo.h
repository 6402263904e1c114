// System information stand-in: processor count, one fixed Windows version record, and
// the processor's identification and time-stamp counter.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

struct SYSTEM_INFO {
  WORD wProcessorArchitecture;
  WORD wReserved;
  DWORD dwPageSize;
  void* lpMinimumApplicationAddress;
  void* lpMaximumApplicationAddress;
  DWORD* dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};

// The narrow record: the same fields with a narrow service-pack text.
struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

// The extended record begins with the plain one.
struct OSVERSIONINFOEXW : OSVERSIONINFOW {
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr DWORD VER_MINORVERSION = 0x1;
constexpr DWORD VER_MAJORVERSION = 0x2;
constexpr DWORD VER_BUILDNUMBER = 0x4;
constexpr BYTE VER_EQUAL = 1;
constexpr BYTE VER_GREATER = 2;
constexpr BYTE VER_GREATER_EQUAL = 3;
constexpr BYTE VER_LESS = 4;
constexpr BYTE VER_LESS_EQUAL = 5;
constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_INVALID_PARAMETER = static_cast<NTSTATUS>(0xC000000Du);

// Fills the record; the processor count is the number of processors online.
void GetSystemInfo(SYSTEM_INFO* info);
// Both report the same record: NT platform, version 10.0, build 0, no service pack.
// The size field must be the size of the structure passed; FALSE (or an error status) otherwise.
BOOL GetVersionExW(OSVERSIONINFOW* info);
BOOL GetVersionExA(OSVERSIONINFOA* info);
NTSTATUS RtlGetVersion(OSVERSIONINFOEXW* info);
// Compares the fixed record with `info` on the fields named in `typeMask`, using the
// comparison that `conditionMask` holds for each (built with VerSetConditionMask).
BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, DWORDLONG conditionMask);
ULONGLONG VerSetConditionMask(ULONGLONG conditionMask, DWORD typeMask, BYTE condition);

// Processor identification. CpuidAvailable is false where there is no CPUID instruction,
// and Cpuid then fills zeros. Registers come back as EAX, EBX, ECX, EDX.
bool CpuidAvailable();
void Cpuid(DWORD leaf, DWORD registers[4]);
// The time-stamp counter; 0 where the processor has none.
ULONGLONG ReadTimeStampCounter();

}  // namespace plat::win
