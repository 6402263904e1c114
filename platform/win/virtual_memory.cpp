// Page memory over mmap.
#include "platform/win/virtual_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace plat::win {
namespace {

std::mutex regionsMutex;
std::map<uintptr_t, size_t>& regions() {
  static auto* table = new std::map<uintptr_t, size_t>;  // outlives static destructors
  return *table;
}

size_t pageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

void* VirtualAlloc(void* address, SIZE_T size, DWORD allocationType, DWORD protect) {
  if (address != nullptr || size == 0 || !(allocationType & MEM_COMMIT) || protect != PAGE_READWRITE) return nullptr;
  size_t page = pageSize();
  if (size > SIZE_MAX - page) return nullptr;
  size_t mapped = (size + page - 1) & ~(page - 1);
  void* memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
  std::lock_guard<std::mutex> hold(regionsMutex);
  regions()[reinterpret_cast<uintptr_t>(memory)] = mapped;
  return memory;
}

SIZE_T VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info, SIZE_T length) {
  if (!info || length < sizeof(MEMORY_BASIC_INFORMATION)) return 0;
  uintptr_t at = reinterpret_cast<uintptr_t>(address);
  std::lock_guard<std::mutex> hold(regionsMutex);
  auto it = regions().upper_bound(at);
  if (it == regions().begin()) return 0;
  --it;
  if (at - it->first >= it->second) return 0;
  void* base = reinterpret_cast<void*>(it->first);
  *info = MEMORY_BASIC_INFORMATION{base, base, PAGE_READWRITE, it->second, MEM_COMMIT, PAGE_READWRITE, 0x20000};
  return sizeof(MEMORY_BASIC_INFORMATION);
}

BOOL VirtualFree(void* address, SIZE_T size, DWORD freeType) {
  if (freeType != MEM_RELEASE || size != 0) return FALSE;
  size_t mapped;
  {
    std::lock_guard<std::mutex> hold(regionsMutex);
    auto it = regions().find(reinterpret_cast<uintptr_t>(address));
    if (it == regions().end()) return FALSE;
    mapped = it->second;
    regions().erase(it);
  }
  munmap(address, mapped);
  return TRUE;
}

SIZE_T VirtualRegionCountForTest() {
  std::lock_guard<std::mutex> hold(regionsMutex);
  return regions().size();
}

}  // namespace plat::win
