// Temporary: plain heap allocation until the tracked heaps land.
#include "media/base/memory.h"

#include <cstdlib>

namespace ZaDod {

void* MemAlloc(size_t size, const char*, int) { return std::malloc(size ? size : 1); }
void* MemCalloc(size_t size, const char*, int) { return std::calloc(1, size ? size : 1); }
void* MemRealloc(void* memory, size_t size, const char*, int) { return std::realloc(memory, size ? size : 1); }
void MemFree(void* memory) { std::free(memory); }

}  // namespace ZaDod
