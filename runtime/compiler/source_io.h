// The front end's only way to source bytes: open, read a block, close. It goes
// through one seam so that the scanner's loop stays a short path over its own
// buffer. Files come through the media layer's file handles, so sources may sit
// in archives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

// A handle above 0; 0 when the file does not exist; below 0 when the file layer
// failed (no handle could be made).
int32_t openSourceHandle(const char* path);

// Up to size bytes into buffer; the count read, 0 at the end, -1 on a read
// failure.
int64_t readSourceHandle(void* buffer, size_t size, int32_t handle);

void closeSourceHandle(int32_t handle);

// Number of handles open now; tests check that failures close every file.
int32_t openSourceHandleCount();

// Files served from memory instead of the file layer, for the front end's tests
// and fuzzers. With memory files set, every other path is not found.
void setMemorySourceFile(const std::string& path, std::string bytes);
void clearMemorySourceFiles();

}  // namespace kv
