// File access of the media layer: one table of thirteen file functions through which
// every file is read. The default sets are the archive reader (an archive first, then
// the disk) and plain disk files; a host program may put in its own functions with
// 8-bit paths. On top of it: readable streams over a file or over memory, and the
// making of full paths.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/base/clock.h"

namespace ZaDod {

// One pointer-sized value names an open file in every set: the disk set hands out
// its record's address, the archive set an open-file slot OR 0xF0000000. 0 is no file.
using FileStream = std::uintptr_t;
// A find in progress; -1 is none.
using FindHandle = std::intptr_t;

constexpr int FileNameUnits = 260;

// A find result. Times are local.
struct FileInfo {
  char16_t Name[FileNameUnits];
  std::uint32_t DirFlag;
  std::uint64_t Size;
  DATEDATA CreationTime;
  DATEDATA LastWriteTime;
};

// The same with an 8-bit name, for host functions.
struct FileInfoA {
  char Name[FileNameUnits];
  std::uint32_t DirFlag;
  std::uint64_t Size;
  DATEDATA CreationTime;
  DATEDATA LastWriteTime;
};

constexpr int FileSeekSet = 0;
constexpr int FileSeekCurrent = 1;
constexpr int FileSeekEnd = 2;

struct FileAccessFunctions {
  // path, read-ahead cache flag, a flag both default sets ignore (callers pass 1),
  // worker-thread (asynchronous read) flag
  FileStream (*Open)(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag);
  int (*Close)(FileStream stream);
  std::int64_t (*Tell)(FileStream stream);
  int (*Seek)(FileStream stream, std::int64_t offset, int origin);
  std::size_t (*Read)(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream);
  int (*Eof)(FileStream stream);        // nonzero at the end
  int (*IdleCheck)(FileStream stream);  // nonzero when no read is pending
  int (*ChangeDir)(const char16_t* path);
  int (*GetDir)(char16_t* buffer);
  int (*GetDirWithSize)(char16_t* buffer, std::size_t bufferBytes);  // may be null
  FindHandle (*FindFirst)(const char16_t* pattern, FileInfo* info);
  int (*FindNext)(FindHandle find, FileInfo* info);
  int (*FindClose)(FindHandle find);
};

// A host program's functions, with paths in the layer's narrow code page.
struct FileAccessFunctionsA {
  FileStream (*Open)(const char* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag);
  int (*Close)(FileStream stream);
  std::int64_t (*Tell)(FileStream stream);
  int (*Seek)(FileStream stream, std::int64_t offset, int origin);
  std::size_t (*Read)(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream);
  int (*Eof)(FileStream stream);
  int (*IdleCheck)(FileStream stream);
  int (*ChangeDir)(const char* path);
  int (*GetDir)(char* buffer);
  int (*GetDirWithSize)(char* buffer, std::size_t bufferBytes);
  FindHandle (*FindFirst)(const char* pattern, FileInfoA* info);
  int (*FindNext)(FindHandle find, FileInfoA* info);
  int (*FindClose)(FindHandle find);
};

// Copies the table in; null installs the default set of the archive setting. 0.
int SelectFileAccessFunctions(const FileAccessFunctions* functions);
// Keeps a copy of the host's table and installs adapters to it; null as above. 0.
int SetUserFileAccessFunctions(const FileAccessFunctionsA* functions);
// 1 when the table holds the default set of the current archive setting.
int IsDefaultFileAccessFunctions();
FileAccessFunctions* GetFileAccessTable();

// Archive settings. A change of the use flag swaps the table only while it holds a
// default set.
int SetUseArchive(int flag);
int GetUseArchive();
int SetArchiveExtension(const char* extension);  // "" or 64 characters or more: "ZDA"
int SetArchiveKeyString(const char* keyString);  // null: no key; at most 12 bytes count

// Calls through the table.
FileStream FileAccessOpen(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag);
int FileAccessClose(FileStream stream);
std::int64_t FileAccessTell(FileStream stream);
int FileAccessSeek(FileStream stream, std::int64_t offset, int origin);
std::size_t FileAccessRead(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream);
int FileAccessEof(FileStream stream);
int FileAccessIdleCheck(FileStream stream);
int FileAccessChangeDir(const char16_t* path);
// The current directory into buffer (bufferBytes bytes); GetDir when the table has no
// GetDirWithSize.
int FileAccessGetDir(char16_t* buffer, std::size_t bufferBytes);
FindHandle FileAccessFindFirst(const char16_t* pattern, FileInfo* info);
int FileAccessFindNext(FindHandle find, FileInfo* info);
int FileAccessFindClose(FindHandle find);

// ---- Streams --------------------------------------------------------------------------

struct StreamFunctions {
  std::int64_t (*Tell)(void* data);
  int (*Seek)(void* data, std::int64_t offset, int origin);
  std::size_t (*Read)(void* buffer, std::size_t elementSize, std::size_t count, void* data);
  int (*Eof)(void* data);
  int (*IdleCheck)(void* data);
  int (*Close)(void* data);
};

// What image, sound and movie loaders read from: the functions and their data (a
// file-access stream value, or a MemStream).
struct StreamData {
  StreamFunctions ReadShred;
  void* DataPoint;
};

// A read-only stream over memory that it does not own.
struct MemStream {
  const std::uint8_t* DataBuffer;
  std::uint32_t DataSize;
  std::uint32_t DataPoint;
  std::uint32_t EOFFlag;
};

// Over the file-access table; the data pointer carries the FileStream value.
const StreamFunctions* GetFileStreamFunctions();
const StreamFunctions* GetMemStreamFunctions();

MemStream* MemStreamOpen(const void* data, std::uint32_t size);  // null when out of memory
int MemStreamClose(MemStream* stream);                            // frees the record, not the data
std::int64_t MemStreamTell(MemStream* stream);
int MemStreamSeek(MemStream* stream, std::int64_t offset, int origin);
std::size_t MemStreamRead(void* buffer, std::size_t elementSize, std::size_t count, MemStream* stream);
int MemStreamEof(MemStream* stream);

// ---- Paths ----------------------------------------------------------------------------

// Makes path (or, when null, the base) a full path with backslashes into output of
// outputBytes bytes. The base is the current directory when null. "." components are
// dropped and ".." takes one back, never past the drive. 0, or -1 when the result
// does not fit.
int MakeFullPath(const char16_t* path, char16_t* output, std::size_t outputBytes, const char16_t* base);

}  // namespace ZaDod
