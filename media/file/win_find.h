// Directory look-ups of the disk back end, reported as FileInfo records.
#pragma once
#include "media/file/file_access.h"
#include "platform/win/find.h"

namespace ZaDod {

struct WinFindData {
  plat::win::HANDLE FindHandle;
};

// 0, or -1 when nothing matches.
int WinFile_FindFirst(WinFindData* find, const char16_t* pattern, FileInfo* info);
// 0, or -1 after the last match.
int WinFile_FindNext(WinFindData* find, FileInfo* info);
int WinFile_FindClose(WinFindData* find);

// Name, directory flag (1 or 0), size and the two times in local time.
void ConvertFindDataToFileInfo(const plat::win::WIN32_FIND_DATAW* data, FileInfo* info);

}  // namespace ZaDod
