// The archive set of the file-access table: every path is looked for in an archive
// that stands in for one of its directories, then on disk.
#pragma once
#include "media/file/archive.h"
#include "media/file/file_access.h"

namespace ZaDod {

constexpr int ArchiveExtensionUnits = 63;
constexpr int ArchiveOpenFileMax = 32768;
constexpr int ArchiveTableMax = 4096;
constexpr FileStream ArchiveStreamTag = 0xF0000000u;

FileStream ArchiveSet_Open(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag);
int ArchiveSet_Close(FileStream stream);
std::int64_t ArchiveSet_Tell(FileStream stream);
int ArchiveSet_Seek(FileStream stream, std::int64_t offset, int origin);
std::size_t ArchiveSet_Read(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream);
int ArchiveSet_Eof(FileStream stream);
int ArchiveSet_IdleCheck(FileStream stream);
int ArchiveSet_ChangeDir(const char16_t* path);
int ArchiveSet_GetDir(char16_t* buffer);
int ArchiveSet_GetDirWithSize(char16_t* buffer, std::size_t bufferBytes);
FindHandle ArchiveSet_FindFirst(const char16_t* pattern, FileInfo* info);
int ArchiveSet_FindNext(FindHandle find, FileInfo* info);
int ArchiveSet_FindClose(FindHandle find);

const FileAccessFunctions* GetArchiveFileFunctions();

// Taken when 1 to 63 units long, else "ZDA".
void ArchiveSetExtension(const char16_t* extension);
// Null: no key. At most the first 12 bytes are kept.
void ArchiveSetKeyString(const char* keyString);

// ---- Shared by the open and find parts ----

// The archive that stands in for a directory of path (full, upper case), with a use
// count taken for the caller; *inner points into path after the archive's prefix.
// -1 when the path is in no archive.
int ArchiveTableLookup(const char16_t* path, const char16_t** inner);
Archive* ArchiveTableGet(int index);
void ArchiveTableRelease(int index);
// The full path of path in upper case; false when it does not fit.
bool ArchiveFullUpperPath(const char16_t* path, char16_t* out, std::size_t outUnits);
void ArchiveReaderLock();
void ArchiveReaderUnlock();

}  // namespace ZaDod
