// The file-access table and its settings. The table holds the default set from the
// start, so files can be read before library start-up (tools, the compiler's tests).
#include "media/file/file_access.h"

#include <cstring>

#include "media/base/charcode.h"
#include "media/file/archive_set.h"
#include "media/file/convert.h"
#include "media/file/win_file.h"

namespace ZaDod {

namespace {

constinit FileAccessFunctions table{
    ArchiveSet_Open,      ArchiveSet_Close,   ArchiveSet_Tell,           ArchiveSet_Seek,
    ArchiveSet_Read,      ArchiveSet_Eof,     ArchiveSet_IdleCheck,      ArchiveSet_ChangeDir,
    ArchiveSet_GetDir,    ArchiveSet_GetDirWithSize, ArchiveSet_FindFirst, ArchiveSet_FindNext,
    ArchiveSet_FindClose,
};

FileAccessFunctionsA hostTable{};
bool archiveOff = false;

const FileAccessFunctions* defaultSet(bool off) { return off ? GetWinFileFunctions() : GetArchiveFileFunctions(); }

bool holdsDefaultSet(bool off)
{
  const FileAccessFunctions* d = defaultSet(off);
  return table.Open == d->Open && table.Close == d->Close && table.Tell == d->Tell && table.Seek == d->Seek &&
         table.Read == d->Read && table.Eof == d->Eof && table.ChangeDir == d->ChangeDir &&
         table.GetDir == d->GetDir && table.GetDirWithSize == d->GetDirWithSize &&
         table.FindFirst == d->FindFirst && table.FindNext == d->FindNext && table.FindClose == d->FindClose;
}

// ---- Host adapters: wide paths to the narrow code page and back ----

constexpr std::size_t HostPathBytes = 4096;

// False when the path does not fit: a cut path would name another file.
bool toNarrow(const char16_t* path, char* out)
{
  return ConvertWholeString(path, GetDefaultWideCodePage(), out, HostPathBytes, GetDefaultNarrowCodePage()) > 0;
}

bool toWide(const char* text, char16_t* out, std::size_t outBytes)
{
  if (ConvertWholeString(text, GetDefaultNarrowCodePage(), out, outBytes, GetDefaultWideCodePage()) > 0) return true;
  if (outBytes >= sizeof(char16_t)) out[0] = 0;
  return false;
}

void toFileInfo(const FileInfoA& from, FileInfo* to)
{
  toWide(from.Name, to->Name, sizeof to->Name);
  to->DirFlag = from.DirFlag;
  to->Size = from.Size;
  to->CreationTime = from.CreationTime;
  to->LastWriteTime = from.LastWriteTime;
}

FileStream hostOpen(const char16_t* path, int cache, int block, int async)
{
  char narrow[HostPathBytes];
  return toNarrow(path, narrow) ? hostTable.Open(narrow, cache, block, async) : 0;
}
int hostClose(FileStream s) { return hostTable.Close(s); }
std::int64_t hostTell(FileStream s) { return hostTable.Tell(s); }
int hostSeek(FileStream s, std::int64_t offset, int origin) { return hostTable.Seek(s, offset, origin); }
std::size_t hostRead(void* buffer, std::size_t size, std::size_t count, FileStream s)
{
  return hostTable.Read(buffer, size, count, s);
}
int hostEof(FileStream s) { return hostTable.Eof(s); }
int hostIdleCheck(FileStream s) { return hostTable.IdleCheck(s); }
int hostChangeDir(const char16_t* path)
{
  char narrow[HostPathBytes];
  return toNarrow(path, narrow) ? hostTable.ChangeDir(narrow) : -1;
}
int hostGetDirWithSize(char16_t* buffer, std::size_t bufferBytes)
{
  char narrow[HostPathBytes];
  narrow[0] = 0;
  const int result = hostTable.GetDirWithSize ? hostTable.GetDirWithSize(narrow, sizeof narrow) : hostTable.GetDir(narrow);
  narrow[sizeof narrow - 1] = 0;
  toWide(narrow, buffer, bufferBytes);
  return result;
}
int hostGetDir(char16_t* buffer) { return hostGetDirWithSize(buffer, 0x7FFFFFFF); }
FindHandle hostFindFirst(const char16_t* pattern, FileInfo* info)
{
  char narrow[HostPathBytes];
  if (!toNarrow(pattern, narrow)) return -1;
  FileInfoA found{};
  const FindHandle find = hostTable.FindFirst(narrow, info ? &found : nullptr);
  if (find != -1 && info) toFileInfo(found, info);
  return find;
}
int hostFindNext(FindHandle find, FileInfo* info)
{
  FileInfoA found{};
  const int result = hostTable.FindNext(find, info ? &found : nullptr);
  if (result == 0 && info) toFileInfo(found, info);
  return result;
}
int hostFindClose(FindHandle find) { return hostTable.FindClose(find); }

constexpr FileAccessFunctions hostAdapters{
    hostOpen,   hostClose,          hostTell,       hostSeek,     hostRead,     hostEof,      hostIdleCheck,
    hostChangeDir, hostGetDir, hostGetDirWithSize, hostFindFirst, hostFindNext, hostFindClose,
};

}  // namespace

int SelectFileAccessFunctions(const FileAccessFunctions* functions)
{
  table = functions ? *functions : *defaultSet(archiveOff);
  return 0;
}

int SetUserFileAccessFunctions(const FileAccessFunctionsA* functions)
{
  if (!functions) return SelectFileAccessFunctions(nullptr);
  hostTable = *functions;
  table = hostAdapters;
  return 0;
}

int IsDefaultFileAccessFunctions() { return holdsDefaultSet(archiveOff) ? 1 : 0; }

FileAccessFunctions* GetFileAccessTable() { return &table; }

int SetUseArchive(int flag)
{
  const bool off = flag == 0;
  if (off == archiveOff) return 0;
  const bool wasDefault = holdsDefaultSet(archiveOff);
  archiveOff = off;
  if (wasDefault) table = *defaultSet(archiveOff);
  return 0;
}

int GetUseArchive() { return archiveOff ? 0 : 1; }

int SetArchiveExtension(const char* extension)
{
  char16_t wide[ArchiveExtensionUnits + 1];
  if (!extension || !toWide(extension, wide, sizeof wide)) wide[0] = 0;
  ArchiveSetExtension(wide);
  return 0;
}

int SetArchiveKeyString(const char* keyString)
{
  ArchiveSetKeyString(keyString);
  return 0;
}

FileStream FileAccessOpen(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag)
{
  return table.Open(path, useCacheFlag, blockReadFlag, useASyncReadFlag);
}
int FileAccessClose(FileStream stream) { return table.Close(stream); }
std::int64_t FileAccessTell(FileStream stream) { return table.Tell(stream); }
int FileAccessSeek(FileStream stream, std::int64_t offset, int origin) { return table.Seek(stream, offset, origin); }
std::size_t FileAccessRead(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream)
{
  return table.Read(buffer, elementSize, count, stream);
}
int FileAccessEof(FileStream stream) { return table.Eof(stream); }
int FileAccessIdleCheck(FileStream stream) { return table.IdleCheck(stream); }
int FileAccessChangeDir(const char16_t* path) { return table.ChangeDir(path); }
int FileAccessGetDir(char16_t* buffer, std::size_t bufferBytes)
{
  if (table.GetDirWithSize) return table.GetDirWithSize(buffer, bufferBytes);
  return table.GetDir(buffer);
}
FindHandle FileAccessFindFirst(const char16_t* pattern, FileInfo* info) { return table.FindFirst(pattern, info); }
int FileAccessFindNext(FindHandle find, FileInfo* info) { return table.FindNext(find, info); }
int FileAccessFindClose(FindHandle find) { return table.FindClose(find); }

}  // namespace ZaDod
