// File handles (handle type 17 "File"): files opened through the file-access table
// and read by handle, at once or, with the async-load flag, on the loading workers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/base/handle.h"
#include "media/file/file_access.h"

namespace ZaDod {

constexpr int FileHandleMax = 32768;

struct FileHandleData {
  HandleEntryHeader HandleInfo;
  int SourceKind;  // 0: a file of the file-access table; other kinds refuse to open
  StreamData Stream;
  FileStream File;  // 0 when not open
};

// Registers the handle type once; -1 when already done.
int InitializeFileHandles();
// -1 when file handles were never started.
int TerminateFileHandles();

// path in the layer's narrow code page. The handle; 0 when the file cannot be opened;
// -1 when no handle could be made. Callers treat both as failure.
int OpenFileHandle(const char* path, int useASyncReadFlag);
// The bytes read, 0 when the read was queued on a worker (the byte count then lands in
// the handle's ASyncResult), -1 for an invalid or still loading handle.
std::int64_t ReadFileHandle(void* buffer, std::size_t size, int handle);
// 1 at the end, 0 before it, -1 for an invalid or loading handle. The position stays.
int IsFileHandleAtEnd(int handle);
// The next byte as a signed value; -1 at the end; 0 for an invalid or loading handle.
int ReadFileHandleChar(int handle);

}  // namespace ZaDod
