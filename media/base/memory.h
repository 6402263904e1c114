// Tracked memory of the media layer: every request names the source file and line
// that made it. Callers pass their own tag (a short source name) and line.
#pragma once
#include <cstddef>

namespace ZaDod {

void* MemAlloc(size_t size, const char* file, int line);
void* MemCalloc(size_t size, const char* file, int line);
void* MemRealloc(void* memory, size_t size, const char* file, int line);
void MemFree(void* memory);

}  // namespace ZaDod
