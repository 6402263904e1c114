// The disk set of the file-access table: a Win32 file record per open file, with the
// position, size and end flag kept here so that reads never pass the end.
#include <cstring>

#include "media/base/memory.h"
#include "media/file/win_file.h"
#include "media/file/win_find.h"

namespace ZaDod {

namespace {

WinFileData* recordOf(FileStream stream) { return reinterpret_cast<WinFileData*>(stream); }

}  // namespace

FileStream WinFileSet_Open(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag)
{
  auto* file = static_cast<WinFileData*>(MemCalloc(sizeof(WinFileData), "win_file_set", __LINE__));
  if (!file) return 0;
  file->ASyncReadFlag = useASyncReadFlag;
  if (WinFile_Open(file, path, useCacheFlag, blockReadFlag) != 0) {
    MemFree(file);
    return 0;
  }
  return reinterpret_cast<FileStream>(file);
}

int WinFileSet_Close(FileStream stream)
{
  WinFileData* file = recordOf(stream);
  const int result = WinFile_Close(file);
  if (result == -1) return -1;
  MemFree(file);
  return result;
}

std::int64_t WinFileSet_Tell(FileStream stream) { return static_cast<std::int64_t>(recordOf(stream)->Position); }

int WinFileSet_Seek(FileStream stream, std::int64_t offset, int origin)
{
  WinFileData* file = recordOf(stream);
  const auto size = static_cast<std::int64_t>(file->Size);
  std::int64_t target;
  switch (origin) {
  case FileSeekSet: target = offset; break;
  case FileSeekCurrent: target = static_cast<std::int64_t>(file->Position) + offset; break;
  case FileSeekEnd: target = size + offset; break;
  default: return -1;
  }
  if (target < 0) target = 0;
  if (target > size) target = size;
  WinFile_Seek(file, static_cast<std::uint64_t>(target));
  file->Position = static_cast<std::uint64_t>(target);
  file->EofFlag = 0;
  return 0;
}

std::size_t WinFileSet_Read(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream)
{
  WinFileData* file = recordOf(stream);
  if (elementSize == 0) return 0;
  if (file->Position >= file->Size) {
    file->EofFlag = 1;
    return 0;
  }
  const std::uint64_t left = file->Size - file->Position;
  if (count > left / elementSize) {
    count = static_cast<std::size_t>(left / elementSize);
    if (count == 0) {
      file->EofFlag = 1;
      return 0;
    }
  }
  const std::size_t bytes = WinFile_Read(buffer, elementSize, count, file);
  file->Position += bytes;
  return bytes / elementSize;
}

int WinFileSet_Eof(FileStream stream) { return recordOf(stream)->EofFlag ? -1 : 0; }
int WinFileSet_IdleCheck(FileStream stream) { return WinFile_IdleCheck(recordOf(stream)); }
int WinFileSet_ChangeDir(const char16_t* path) { return WinFile_SetCurrentDirectory(path); }
int WinFileSet_GetDir(char16_t* buffer) { return WinFile_GetCurrentDirectory(buffer, 0x7FFFFFFF); }
int WinFileSet_GetDirWithSize(char16_t* buffer, std::size_t bufferBytes)
{
  return WinFile_GetCurrentDirectory(buffer, bufferBytes);
}

FindHandle WinFileSet_FindFirst(const char16_t* pattern, FileInfo* info)
{
  auto* find = static_cast<WinFindData*>(MemCalloc(sizeof(WinFindData), "win_file_set", __LINE__));
  if (!find) return -1;
  if (WinFile_FindFirst(find, pattern, info) != 0) {
    MemFree(find);
    return -1;
  }
  return reinterpret_cast<FindHandle>(find);
}

int WinFileSet_FindNext(FindHandle find, FileInfo* info)
{
  return WinFile_FindNext(reinterpret_cast<WinFindData*>(find), info);
}

int WinFileSet_FindClose(FindHandle find)
{
  auto* record = reinterpret_cast<WinFindData*>(find);
  if (WinFile_FindClose(record) != 0) return -1;
  MemFree(record);
  return 0;
}

const FileAccessFunctions* GetWinFileFunctions()
{
  static constexpr FileAccessFunctions set{
      WinFileSet_Open,      WinFileSet_Close,   WinFileSet_Tell,           WinFileSet_Seek,
      WinFileSet_Read,      WinFileSet_Eof,     WinFileSet_IdleCheck,      WinFileSet_ChangeDir,
      WinFileSet_GetDir,    WinFileSet_GetDirWithSize, WinFileSet_FindFirst, WinFileSet_FindNext,
      WinFileSet_FindClose,
  };
  return &set;
}

}  // namespace ZaDod
