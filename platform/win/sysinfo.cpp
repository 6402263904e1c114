// System information stand-in: processor count and a fixed Windows version.
#include "platform/win/sysinfo.h"

#include <sched.h>
#include <unistd.h>

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define HALVORINE_HAS_CPUID 1
#else
#define HALVORINE_HAS_CPUID 0
#endif

namespace plat::win {

namespace {

constexpr DWORD kMajor = 10;
constexpr DWORD kMinor = 0;
constexpr DWORD kBuild = 0;

void fillVersion(DWORD* major, DWORD* minor, DWORD* build, DWORD* platform, WCHAR* servicePack) {
  *major = kMajor;
  *minor = kMinor;
  *build = kBuild;
  *platform = VER_PLATFORM_WIN32_NT;
  std::memset(servicePack, 0, 128 * sizeof(WCHAR));
}

// Three-way comparison of the fixed value with the asked one, by the condition code.
bool holds(DWORD actual, DWORD wanted, BYTE condition) {
  switch (condition) {
    case VER_EQUAL: return actual == wanted;
    case VER_GREATER: return actual > wanted;
    case VER_GREATER_EQUAL: return actual >= wanted;
    case VER_LESS: return actual < wanted;
    case VER_LESS_EQUAL: return actual <= wanted;
    default: return false;
  }
}

// Each version field keeps its condition in three bits, in the order of the type bits.
BYTE conditionFor(DWORDLONG conditionMask, DWORD typeBit) {
  int index = 0;
  while (index < 3 && (DWORD{1} << index) != typeBit) ++index;
  return static_cast<BYTE>((conditionMask >> (index * 3)) & 7);
}

// The processors this thread may run on: a process held to one processor (by an
// affinity mask or a container) counts as a one-processor machine, so the media layer
// does its background work in the pump instead of in threads that would only take
// turns with the main one.
long usableProcessors() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  return sysconf(_SC_NPROCESSORS_ONLN);
}

}  // namespace

void GetSystemInfo(SYSTEM_INFO* info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof(*info));
  long usable = usableProcessors();
  long page = sysconf(_SC_PAGESIZE);
  info->dwNumberOfProcessors = usable > 0 ? static_cast<DWORD>(usable) : 1;
  info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
  info->dwAllocationGranularity = 65536;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  WCHAR servicePack[128];
  fillVersion(&info->dwMajorVersion, &info->dwMinorVersion, &info->dwBuildNumber, &info->dwPlatformId, servicePack);
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}

BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (info == nullptr ||
      (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    return FALSE;
  }
  fillVersion(&info->dwMajorVersion, &info->dwMinorVersion, &info->dwBuildNumber, &info->dwPlatformId,
              info->szCSDVersion);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
    auto* extended = static_cast<OSVERSIONINFOEXW*>(info);
    extended->wServicePackMajor = 0;
    extended->wServicePackMinor = 0;
    extended->wSuiteMask = 0;
    extended->wProductType = 1;
    extended->wReserved = 0;
  }
  return TRUE;
}

NTSTATUS RtlGetVersion(OSVERSIONINFOEXW* info) {
  if (info == nullptr ||
      (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    return STATUS_INVALID_PARAMETER;
  }
  return GetVersionExW(info) ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

ULONGLONG VerSetConditionMask(ULONGLONG conditionMask, DWORD typeMask, BYTE condition) {
  for (int index = 0; index < 3; ++index) {
    if (typeMask & (DWORD{1} << index)) {
      conditionMask &= ~(ULONGLONG{7} << (index * 3));
      conditionMask |= ULONGLONG{static_cast<BYTE>(condition & 7)} << (index * 3);
    }
  }
  return conditionMask;
}

BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, DWORDLONG conditionMask) {
  if (info == nullptr || typeMask == 0) return FALSE;
  // Major and minor version compare as one ordered pair, as callers that ask for
  // "at least 6.3" expect 10.0 to pass.
  if (typeMask & (VER_MAJORVERSION | VER_MINORVERSION)) {
    BYTE condition = conditionFor(conditionMask, (typeMask & VER_MAJORVERSION) ? VER_MAJORVERSION : VER_MINORVERSION);
    DWORD actual = (typeMask & VER_MAJORVERSION) ? kMajor : 0;
    DWORD wanted = (typeMask & VER_MAJORVERSION) ? info->dwMajorVersion : 0;
    if (actual == wanted && (typeMask & VER_MINORVERSION)) {
      if (typeMask & VER_MAJORVERSION) condition = conditionFor(conditionMask, VER_MINORVERSION);
      actual = kMinor;
      wanted = info->dwMinorVersion;
    }
    if (!holds(actual, wanted, condition)) return FALSE;
  }
  if ((typeMask & VER_BUILDNUMBER) &&
      !holds(kBuild, info->dwBuildNumber, conditionFor(conditionMask, VER_BUILDNUMBER))) {
    return FALSE;
  }
  return TRUE;
}

bool CpuidAvailable() { return HALVORINE_HAS_CPUID != 0; }

void Cpuid(DWORD leaf, DWORD registers[4]) {
  registers[0] = registers[1] = registers[2] = registers[3] = 0;
#if HALVORINE_HAS_CPUID
  unsigned int a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, 0, a, b, c, d);
  registers[0] = a;
  registers[1] = b;
  registers[2] = c;
  registers[3] = d;
#else
  (void)leaf;
#endif
}

ULONGLONG ReadTimeStampCounter() {
#if HALVORINE_HAS_CPUID
  return __rdtsc();
#else
  return 0;
#endif
}

}  // namespace plat::win
