// File handles (handle type 17 "File").
#include "media/file/file_handle.h"

#include <cstring>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/file/async_job.h"
#include "media/file/async_load.h"
#include "media/file/convert.h"

namespace ZaDod {

namespace {

constexpr std::size_t StackPathUnits = 512;
constexpr std::size_t FullPathBytes = 2048 * sizeof(char16_t);
bool started = false;

int closeOnDelete(HandleEntryHeader* record)
{
  auto* file = reinterpret_cast<FileHandleData*>(record);
  if (file->File) FileAccessClose(file->File);
  file->File = 0;
  return 0;
}

FileHandleData* fileData(int handle, bool allowLoading)
{
  HandleEntryHeader* record = GetHandleInfo(handle);
  if (!record || (!allowLoading && HandleASyncLoadCount(record) != 0)) return nullptr;
  if ((handle & HANDLE_TYPE_MASK) != (HANDLETYPE_FILE << HANDLE_TYPE_SHIFT)) return nullptr;
  return reinterpret_cast<FileHandleData*>(record);
}

// Opens the file into the handle's record; 0 or -1.
int openInto(int handle, const char16_t* path, int useASyncReadFlag, bool onWorker)
{
  FileHandleData* file = fileData(handle, onWorker);
  if (!file || file->SourceKind != 0) return -1;
  const FileStream stream = FileAccessOpen(path, 0, 1, useASyncReadFlag);
  if (!stream) return -1;
  file->File = stream;
  file->Stream.ReadShred = *GetFileStreamFunctions();
  file->Stream.DataPoint = reinterpret_cast<void*>(stream);
  return 0;
}

// Reads and waits until the bytes are there: a file opened for asynchronous reads
// only starts them.
std::size_t readWhole(FileHandleData* file, void* buffer, std::size_t size)
{
  const StreamFunctions& s = file->Stream.ReadShred;
  const std::size_t read = s.Read(buffer, 1, size, file->Stream.DataPoint);
  while (!s.IdleCheck(file->Stream.DataPoint)) Thread_Sleep(0);
  return read;
}

int openJob(AsyncLoadJob* job)
{
  int offset = 0;
  const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  const char16_t* path = GetASyncLoadParamString(job->Data, &offset);
  const int useASyncReadFlag = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  const int result = openInto(handle, path, useASyncReadFlag, true);
  // A file that cannot be opened takes its handle with it, in the same step under the
  // handle type's lock that ends the load: a waiter wakes to find it gone, never to a
  // handle that is being freed while it looks at it.
  EndHandleASyncLoadStep(handle, result != 0 ? 1 : 0);
  return result;
}

int readJob(AsyncLoadJob* job)
{
  int offset = 0;
  const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  void* buffer = reinterpret_cast<void*>(GetASyncLoadParamInt(job->Data, &offset));
  const auto size = static_cast<std::size_t>(GetASyncLoadParamInt(job->Data, &offset));
  if (FileHandleData* file = fileData(handle, true)) {
    file->HandleInfo.ASyncResult = static_cast<int>(readWhole(file, buffer, size));
  }
  DecHandleASyncLoadCount(handle);
  return 0;
}

int openHandle(const char16_t* path, int useASyncReadFlag)
{
  if (!started) InitializeFileHandles();
  const int handle = AddHandle(HANDLETYPE_FILE, 0, -1);
  if (handle == -1) return -1;
  if (!GetUseASyncLoadFlag()) {
    if (openInto(handle, path, useASyncReadFlag, false) != 0) {
      SubHandle(handle);
      return 0;
    }
    return handle;
  }
  char16_t full[FullPathBytes / sizeof(char16_t)];
  const bool queued = MakeFullPath(path, full, sizeof full, nullptr) == 0 &&
                      QueueHandleASyncJob(handle, openJob, [&](void* buffer, int* offset) {
                        return AddASyncLoadParamInt(buffer, offset, handle) == 0 &&
                               AddASyncLoadParamString(buffer, offset, full) == 0 &&
                               AddASyncLoadParamInt(buffer, offset, useASyncReadFlag) == 0;
                      });
  if (!queued) {
    SubHandle(handle);
    return 0;
  }
  return handle;
}

}  // namespace

int InitializeFileHandles()
{
  if (started) return -1;
  if (InitializeHandleManage(HANDLETYPE_FILE, sizeof(FileHandleData), FileHandleMax, nullptr, closeOnDelete, u"File") != 0)
    return -1;
  started = true;
  return 0;
}

int TerminateFileHandles()
{
  if (!started) return -1;
  TerminateHandleManage(HANDLETYPE_FILE);
  started = false;
  return 0;
}

int OpenFileHandle(const char* path, int useASyncReadFlag)
{
  const int page = GetDefaultNarrowCodePage();
  const int needed = ConvertWholeString(path, page, nullptr, 0x7FFFFFFF, CodePageUtf16LE);
  if (needed <= 0) return -1;
  char16_t onStack[StackPathUnits];
  char16_t* wide = onStack;
  if (static_cast<std::size_t>(needed) > sizeof onStack) {
    wide = static_cast<char16_t*>(MemAlloc(static_cast<std::size_t>(needed), "file_handle", __LINE__));
    if (!wide) return -1;
  }
  ConvertString(path, page, wide, static_cast<std::size_t>(needed), CodePageUtf16LE);
  const int result = openHandle(wide, useASyncReadFlag);
  if (wide != onStack) MemFree(wide);
  return result;
}

std::int64_t ReadFileHandle(void* buffer, std::size_t size, int handle)
{
  FileHandleData* file = fileData(handle, false);
  if (!file || !file->File) return -1;
  if (!GetUseASyncLoadFlag()) return static_cast<std::int64_t>(readWhole(file, buffer, size));
  const bool queued = QueueHandleASyncJob(handle, readJob, [&](void* block, int* offset) {
    return AddASyncLoadParamInt(block, offset, handle) == 0 &&
           AddASyncLoadParamInt(block, offset, reinterpret_cast<intptr_t>(buffer)) == 0 &&
           AddASyncLoadParamInt(block, offset, static_cast<intptr_t>(size)) == 0;
  });
  return queued ? 0 : -1;
}

int IsFileHandleAtEnd(int handle)
{
  FileHandleData* file = fileData(handle, false);
  if (!file || !file->File) return -1;
  const StreamFunctions& s = file->Stream.ReadShred;
  void* data = file->Stream.DataPoint;
  const std::int64_t here = s.Tell(data);
  s.Seek(data, 0, FileSeekEnd);
  const std::int64_t end = s.Tell(data);
  s.Seek(data, here, FileSeekSet);
  return here == end ? 1 : 0;
}

int ReadFileHandleChar(int handle)
{
  FileHandleData* file = fileData(handle, false);
  if (!file || !file->File) return 0;
  const StreamFunctions& s = file->Stream.ReadShred;
  void* data = file->Stream.DataPoint;
  if (s.Eof(data)) return -1;
  signed char c = 0;
  const std::size_t read = s.Read(&c, 1, 1, data);
  while (!s.IdleCheck(data)) Thread_Sleep(0);
  return read == 1 ? c : -1;
}

}  // namespace ZaDod
