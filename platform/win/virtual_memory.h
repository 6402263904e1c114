// Page memory over mmap: every VirtualAlloc is one private mapping, kept in a table so
// that VirtualQuery can report its size and VirtualFree can release it whole.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

constexpr DWORD MEM_COMMIT = 0x1000;
constexpr DWORD MEM_RESERVE = 0x2000;
constexpr DWORD MEM_RELEASE = 0x8000;
constexpr DWORD PAGE_READWRITE = 0x04;

struct MEMORY_BASIC_INFORMATION {
  void* BaseAddress;
  void* AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
};

// Commits zeroed read-write memory rounded up to whole pages; the address argument
// must be null. Null on failure.
void* VirtualAlloc(void* address, SIZE_T size, DWORD allocationType, DWORD protect);
// Fills the record of the mapping that holds address: its base and the size actually
// mapped. Returns the record size, or 0 when the address is in no mapping.
SIZE_T VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info, SIZE_T length);
// MEM_RELEASE of a mapping's base with size 0 unmaps it.
BOOL VirtualFree(void* address, SIZE_T size, DWORD freeType);

// Test facility: the number of live mappings.
SIZE_T VirtualRegionCountForTest();

}  // namespace plat::win
