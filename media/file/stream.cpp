// Streams over memory, for loaders handed a block instead of a file.
#include <cstring>

#include "media/base/memory.h"
#include "media/file/file_access.h"

namespace ZaDod {

MemStream* MemStreamOpen(const void* data, std::uint32_t size)
{
  auto* stream = static_cast<MemStream*>(MemAlloc(sizeof(MemStream), "mem_stream", __LINE__));
  if (!stream) return nullptr;
  stream->DataBuffer = static_cast<const std::uint8_t*>(data);
  stream->DataSize = size;
  stream->DataPoint = 0;
  stream->EOFFlag = 0;
  return stream;
}

int MemStreamClose(MemStream* stream)
{
  MemFree(stream);
  return 0;
}

std::int64_t MemStreamTell(MemStream* stream) { return stream->DataPoint; }

int MemStreamSeek(MemStream* stream, std::int64_t offset, int origin)
{
  std::int64_t target = 0;
  switch (origin) {
  case FileSeekSet: target = offset; break;
  case FileSeekCurrent: target = stream->DataPoint + offset; break;
  case FileSeekEnd: target = stream->DataSize + offset; break;
  default: break;
  }
  if (target < 0) target = 0;
  if (target > stream->DataSize) target = stream->DataSize;
  stream->DataPoint = static_cast<std::uint32_t>(target);
  stream->EOFFlag = 0;
  return 0;
}

// Whole elements only, as the file set reads: with less than one element left nothing
// is copied and the end flag is set.
std::size_t MemStreamRead(void* buffer, std::size_t elementSize, std::size_t count, MemStream* stream)
{
  const std::size_t left = stream->DataSize - stream->DataPoint;
  if (left == 0 || elementSize == 0) {
    if (left == 0) stream->EOFFlag = 1;
    return 0;
  }
  if (count > left / elementSize) count = left / elementSize;
  if (count == 0) {
    stream->EOFFlag = 1;
    return 0;
  }
  const std::size_t bytes = count * elementSize;
  std::memcpy(buffer, stream->DataBuffer + stream->DataPoint, bytes);
  stream->DataPoint += static_cast<std::uint32_t>(bytes);
  stream->EOFFlag = 0;
  return count;
}

int MemStreamEof(MemStream* stream) { return static_cast<int>(stream->EOFFlag); }

namespace {

std::int64_t memTell(void* data) { return MemStreamTell(static_cast<MemStream*>(data)); }
int memSeek(void* data, std::int64_t offset, int origin) { return MemStreamSeek(static_cast<MemStream*>(data), offset, origin); }
std::size_t memRead(void* buffer, std::size_t size, std::size_t count, void* data)
{
  return MemStreamRead(buffer, size, count, static_cast<MemStream*>(data));
}
int memEof(void* data) { return MemStreamEof(static_cast<MemStream*>(data)); }
int memIdle(void*) { return 1; }
int memClose(void* data) { return MemStreamClose(static_cast<MemStream*>(data)); }

constexpr StreamFunctions memFunctions{memTell, memSeek, memRead, memEof, memIdle, memClose};

FileStream fileOf(void* data) { return reinterpret_cast<FileStream>(data); }
std::int64_t fileTell(void* data) { return FileAccessTell(fileOf(data)); }
int fileSeek(void* data, std::int64_t offset, int origin) { return FileAccessSeek(fileOf(data), offset, origin); }
std::size_t fileRead(void* buffer, std::size_t size, std::size_t count, void* data)
{
  return FileAccessRead(buffer, size, count, fileOf(data));
}
int fileEof(void* data) { return FileAccessEof(fileOf(data)); }
int fileIdle(void* data) { return FileAccessIdleCheck(fileOf(data)); }
int fileClose(void* data) { return FileAccessClose(fileOf(data)); }

constexpr StreamFunctions fileFunctions{fileTell, fileSeek, fileRead, fileEof, fileIdle, fileClose};

}  // namespace

const StreamFunctions* GetFileStreamFunctions() { return &fileFunctions; }
const StreamFunctions* GetMemStreamFunctions() { return &memFunctions; }

}  // namespace ZaDod
