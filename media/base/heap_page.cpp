// Heap pages from the operating system's page memory, one mapping per page.
#include "media/base/media_heap.h"
#include "platform/win/virtual_memory.h"

namespace ZaDod {

namespace win = plat::win;

namespace {

int HeapPageAlloc(void*, HeapPageDescriptor* page, size_t size) {
  void* memory = win::VirtualAlloc(nullptr, size, win::MEM_COMMIT, win::PAGE_READWRITE);
  if (!memory) return -1;
  win::MEMORY_BASIC_INFORMATION info;
  if (win::VirtualQuery(memory, &info, sizeof info) == 0) {
    win::VirtualFree(memory, 0, win::MEM_RELEASE);
    return -1;
  }
  page->Address = memory;
  page->Size = info.RegionSize;  // what was really mapped, whole pages
  return 0;
}

void* HeapPageGetAddress(void*, HeapPageDescriptor* page) { return page->Address; }
size_t HeapPageGetSize(void*, HeapPageDescriptor* page) { return page->Size; }

int HeapPageFree(void*, HeapPageDescriptor* page) {
  return win::VirtualFree(page->Address, 0, win::MEM_RELEASE) ? 0 : -1;
}

}  // namespace

// Each page is a fresh private mapping, zero until written.
const HeapPageCallbacks HeapPageFunctions = {HeapPageAlloc, HeapPageGetAddress, HeapPageGetSize, HeapPageFree, 1};

}  // namespace ZaDod
