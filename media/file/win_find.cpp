// Directory look-ups of the disk back end, reported as FileInfo records.
#include "media/file/win_find.h"

#include <cstring>

namespace ZaDod {

namespace pw = plat::win;

namespace {

std::uint64_t fileTimeValue(const pw::FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

}  // namespace

void ConvertFindDataToFileInfo(const pw::WIN32_FIND_DATAW* data, FileInfo* info)
{
  std::memcpy(info->Name, data->cFileName, sizeof info->Name);
  info->DirFlag = (data->dwFileAttributes & pw::FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  info->Size = (std::uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow;
  FileTimeToDateTime(fileTimeValue(data->ftCreationTime), &info->CreationTime);
  FileTimeToDateTime(fileTimeValue(data->ftLastWriteTime), &info->LastWriteTime);
}

int WinFile_FindFirst(WinFindData* find, const char16_t* pattern, FileInfo* info)
{
  pw::WIN32_FIND_DATAW data;
  find->FindHandle = pw::FindFirstFileW(pattern, &data);
  if (find->FindHandle == pw::INVALID_HANDLE_VALUE) return -1;
  if (info) ConvertFindDataToFileInfo(&data, info);
  return 0;
}

int WinFile_FindNext(WinFindData* find, FileInfo* info)
{
  pw::WIN32_FIND_DATAW data;
  if (!pw::FindNextFileW(find->FindHandle, &data)) return -1;
  if (info) ConvertFindDataToFileInfo(&data, info);
  return 0;
}

int WinFile_FindClose(WinFindData* find) { return pw::FindClose(find->FindHandle) ? 0 : -1; }

}  // namespace ZaDod
