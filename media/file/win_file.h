// The disk back end: files read through the Windows file stand-in, either directly
// by the calling thread or by a worker thread of their own that takes open, read,
// seek, close and end commands one at a time and, between commands, fills a
// read-ahead ring. Sequential reads take their bytes from the ring themselves, with
// no command, while the worker keeps refilling it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/file/file_access.h"
#include "platform/win/types.h"

namespace ZaDod {

constexpr std::size_t WinFileCacheBytes = 0x20000;
constexpr std::size_t WinFilePathUnits = 1536;  // worker paths, terminator included

enum WinFileCommand : int {
  WinFileCommandOpen = 0,
  WinFileCommandClose = 1,
  WinFileCommandRead = 2,
  WinFileCommandSeek = 3,
  WinFileCommandEnd = 4,
};

// Shared by the caller and the worker; the done event serialises commands: the caller
// touches the command fields only while done is signalled. Between commands the ring
// has one writer (the worker, behind CacheFill) and one reader (the caller, behind
// CacheTaken), each publishing its count with release and reading the other's with
// acquire; only a command restarts the ring.
struct WinFileWorker {
  plat::win::HANDLE ThreadHandle;
  plat::win::DWORD ThreadID;
  plat::win::HANDLE FileHandle;
  plat::win::HANDLE CommandEvent;  // manual reset, starts clear
  plat::win::HANDLE DoneEvent;     // manual reset, starts signalled
  plat::win::HANDLE SpaceEvent;    // auto reset: the caller made room in the ring
  int Command;
  int ThreadEnded;
  int OpenFailed;
  char16_t Path[WinFilePathUnits];
  void* ReadBuffer;
  std::uint64_t ReadPosition;
  std::size_t ReadSize;  // bytes asked for; then the bytes delivered, cache and file together
  std::uint64_t SeekPosition;
  std::uint8_t* Cache;        // a ring of WinFileCacheBytes, or null
  std::uint64_t CacheStart;   // file offset of the ring's first byte since the last restart
  std::uint64_t CacheFill;    // bytes put into the ring since the restart (the worker's)
  std::uint64_t CacheTaken;   // bytes taken out of it since the restart (the caller's)
  int CacheEnd;               // filling stopped: end of file, an error, or a reader that outran it
  std::uint64_t FilePointer;  // the worker's file pointer
};

// Small reads of a direct file are served from a buffer of this size, so that a
// byte-at-a-time reader costs a copy per byte and a system call per buffer.
constexpr std::size_t WinFileDirectBufferBytes = 0x4000;

struct WinFileData {
  int EofFlag;
  std::uint64_t Position;  // where the next read starts
  std::uint64_t Size;
  int ASyncReadFlag;  // set before WinFile_Open: reads through the worker do not wait
  plat::win::HANDLE Handle;  // direct file; with read-ahead, the caller's own handle
  int UseThreadFlag;
  int UseCacheFlag;
  WinFileWorker Worker;
  // Direct files: the file pointer, and the buffer of small reads (file bytes
  // BufferStart .. BufferStart + BufferFill).
  std::uint64_t HandlePosition;
  std::uint8_t* Buffer;
  std::uint64_t BufferStart;
  std::size_t BufferFill;
};

int WinFile_Open(WinFileData* file, const char16_t* path, int useCacheFlag, int blockReadFlag);
// Returns the bytes delivered; with the async flag the bytes requested, at once.
std::size_t WinFile_Read(void* buffer, std::size_t elementSize, std::size_t count, WinFileData* file);
int WinFile_Seek(WinFileData* file, std::uint64_t position);
int WinFile_IdleCheck(WinFileData* file);
int WinFile_Close(WinFileData* file);

int WinFile_SetCurrentDirectory(const char16_t* path);
int WinFile_GetCurrentDirectory(char16_t* buffer, std::size_t bufferBytes);

// The disk set's slots; the archive reader uses them for its disk streams.
FileStream WinFileSet_Open(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag);
int WinFileSet_Close(FileStream stream);
std::int64_t WinFileSet_Tell(FileStream stream);
int WinFileSet_Seek(FileStream stream, std::int64_t offset, int origin);
std::size_t WinFileSet_Read(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream);
int WinFileSet_Eof(FileStream stream);
int WinFileSet_IdleCheck(FileStream stream);
int WinFileSet_ChangeDir(const char16_t* path);
int WinFileSet_GetDir(char16_t* buffer);
int WinFileSet_GetDirWithSize(char16_t* buffer, std::size_t bufferBytes);
FindHandle WinFileSet_FindFirst(const char16_t* pattern, FileInfo* info);
int WinFileSet_FindNext(FindHandle find, FileInfo* info);
int WinFileSet_FindClose(FindHandle find);

const FileAccessFunctions* GetWinFileFunctions();

// Write-only files (the WAVE writer of the sound code).
// A new file in the temporary folder, named "tmp" and a unique part, made atomically
// and kept; its full path goes into path (pathBytes bytes) when given. Null on failure.
plat::win::HANDLE CreateTemporaryFile(char16_t* path, std::size_t pathBytes);
int WinFile_CloseWrite(plat::win::HANDLE file);
int WinFile_SetWritePosition(plat::win::HANDLE file, std::int32_t offset, std::int32_t highOffset, int origin);
int WinFile_Write(plat::win::HANDLE file, const void* data, std::size_t size, std::size_t* written);
int WriteOnlyFileClose(plat::win::HANDLE file);
int WriteOnlyFileSeek(plat::win::HANDLE file, std::int32_t offset, std::int32_t highOffset, int origin);
int WriteOnlyFileWrite(plat::win::HANDLE file, const void* data, std::size_t size, std::size_t* written);

}  // namespace ZaDod
