// Files opened through the archive set: an entry of an archive, or a disk file when
// the path is in no archive or its archive does not hold it. Every open file takes a
// slot of the open-file table; its stream value is the slot OR 0xF0000000.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/decode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/base/thread.h"
#include "media/file/archive_set.h"
#include "media/file/win_file.h"

namespace ZaDod {

namespace {

struct OpenFile {
  int InArchive;
  FileStream Disk;  // the disk file, or this entry's own stream on the archive file
  int ArchiveIndex;
  Archive* Arc;
  ArchiveEntry Entry;
  std::uint8_t* Data;  // a compressed entry, decoded at open
  std::uint64_t Position;
  int EofFlag;
  int ASyncFlag;
  int Pending;         // an asynchronous plain read not yet unscrambled
  void* PendingBuffer;
  std::size_t PendingSize;
  std::uint64_t PendingOffset;
};

constexpr std::uint64_t LzMostBytesPerStoredByte = 2732;

OpenFile* files[ArchiveOpenFileMax];
int openCount = 0;

OpenFile* fileOf(FileStream stream)
{
  if ((stream & ~FileStream{0x0FFFFFFF}) != ArchiveStreamTag) return nullptr;
  const std::size_t slot = stream & 0x0FFFFFFF;
  return slot < ArchiveOpenFileMax ? files[slot] : nullptr;
}

// Plain reads of a file archive with the asynchronous flag arrive through the disk
// stream's worker; they are unscrambled once it is idle.
bool pendingDone(OpenFile* f)
{
  if (!f->Pending) return true;
  if (!WinFileSet_IdleCheck(f->Disk)) return false;
  ArchiveUnscrambleData(f->Arc, &f->Entry, f->PendingOffset, f->PendingBuffer, f->PendingSize);
  f->Pending = 0;
  return true;
}

void finishPending(OpenFile* f)
{
  while (!pendingDone(f)) Thread_Sleep(1);
}

bool readStored(OpenFile* f, std::uint8_t* stored)
{
  const Archive* a = f->Arc;
  if (a->MemoryImageFlag) {
    ArchiveCopyImageBytes(a, &f->Entry, 0, stored, f->Entry.StoredSize);
    return true;
  }
  if (WinFileSet_Seek(f->Disk, static_cast<std::int64_t>(f->Entry.DataAddress), FileSeekSet) != 0) return false;
  const std::size_t got = WinFileSet_Read(stored, 1, f->Entry.StoredSize, f->Disk);
  while (!WinFileSet_IdleCheck(f->Disk)) Thread_Sleep(1);
  if (got != f->Entry.StoredSize) return false;
  ArchiveUnscrambleData(a, &f->Entry, 0, stored, f->Entry.StoredSize);
  return true;
}

// A compressed entry is decoded whole when it is opened, also for asynchronous
// readers, so that a damaged stream fails the open (and the disk is tried instead).
bool decodeEntry(OpenFile* f)
{
  const ArchiveEntry& e = f->Entry;
  auto* stored = static_cast<std::uint8_t*>(MemAlloc(e.StoredSize, "archive_file", __LINE__));
  if (!stored) return false;
  // A match of up to 8195 bytes takes at least 3 stored bytes, which bounds what a
  // stream of this size can declare; a larger claim is refused before allocating.
  bool good = e.DataSize / LzMostBytesPerStoredByte <= e.StoredSize && readStored(f, stored) &&
              ArchiveReadLE(stored, 4) == e.DataSize && ArchiveReadLE(stored + 4, 4) <= e.StoredSize;
  if (good) {
    f->Data = static_cast<std::uint8_t*>(MemAlloc(e.DataSize ? e.DataSize : 1, "archive_file", __LINE__));
    good = f->Data && DecompressLZBounded(stored, e.StoredSize, f->Data, e.DataSize) == static_cast<int>(e.DataSize);
  }
  MemFree(stored);
  return good;
}

bool openInner(OpenFile* f, int index, const char16_t* inner, int useCacheFlag, int useASyncReadFlag)
{
  Archive* a = ArchiveTableGet(index);
  std::uint64_t directory;
  const char16_t* name;
  if (!ArchiveWalkDirectory(a, inner, &directory, &name)) return false;
  std::size_t length = 0;
  while (name[length]) ++length;
  if (!ArchiveFindFile(a, directory, name, length, &f->Entry)) return false;
  f->Arc = a;
  f->ArchiveIndex = index;
  if (!a->MemoryImageFlag) {
    f->Disk = WinFileSet_Open(a->FilePath, f->Entry.Compressed ? 0 : useCacheFlag, 1,
                              f->Entry.Compressed ? 0 : useASyncReadFlag);
    if (!f->Disk) return false;
    f->ASyncFlag = f->Entry.Compressed ? 0 : useASyncReadFlag;
  }
  if (f->Entry.Compressed) {
    const bool good = decodeEntry(f);
    if (f->Disk) WinFileSet_Close(f->Disk);
    f->Disk = 0;
    if (!good) {
      MemFree(f->Data);
      f->Data = nullptr;
      return false;
    }
  }
  f->InArchive = 1;
  return true;
}

void freeSlot(std::size_t slot)
{
  ArchiveReaderLock();
  MemFree(files[slot]);
  files[slot] = nullptr;
  --openCount;
  ArchiveReaderUnlock();
}

std::size_t innerRead(OpenFile* f, void* buffer, std::size_t bytes)
{
  finishPending(f);
  if (f->EofFlag) return 0;
  const std::uint64_t size = f->Entry.DataSize;
  if (f->Position >= size) {
    f->EofFlag = 1;
    return 0;
  }
  std::size_t n = bytes < size - f->Position ? bytes : static_cast<std::size_t>(size - f->Position);
  if (f->Data) {
    std::memcpy(buffer, f->Data + f->Position, n);
  } else if (f->Arc->MemoryImageFlag) {
    ArchiveCopyImageBytes(f->Arc, &f->Entry, f->Position, buffer, n);
  } else {
    const std::int64_t at = static_cast<std::int64_t>(f->Entry.DataAddress + f->Position);
    if (WinFileSet_Tell(f->Disk) != at) WinFileSet_Seek(f->Disk, at, FileSeekSet);
    n = WinFileSet_Read(buffer, 1, n, f->Disk);
    if (f->ASyncFlag) {
      f->Pending = 1;
      f->PendingBuffer = buffer;
      f->PendingSize = n;
      f->PendingOffset = f->Position;
    } else {
      ArchiveUnscrambleData(f->Arc, &f->Entry, f->Position, buffer, n);
    }
  }
  f->Position += n;
  f->EofFlag = 0;
  return n;
}

}  // namespace

FileStream ArchiveSet_Open(const char16_t* path, int useCacheFlag, int blockReadFlag, int useASyncReadFlag)
{
  ArchiveReaderLock();
  if (openCount >= ArchiveOpenFileMax) {
    ArchiveReaderUnlock();
    LogAddTextUtf16(u"同時に開けるファイルの数が限界を超えました\n");
    return 0;
  }
  std::size_t slot = 0;
  while (files[slot]) ++slot;
  auto* f = static_cast<OpenFile*>(MemCalloc(sizeof(OpenFile), "archive_file", __LINE__));
  if (!f) {
    ArchiveReaderUnlock();
    LogAddTextUtf16(u"ファイルの情報を格納するメモリの確保に失敗しました\n");
    return 0;
  }
  files[slot] = f;
  ++openCount;
  ArchiveReaderUnlock();

  char16_t full[ArchivePathUnits];
  const char16_t* inner = nullptr;
  const int index = ArchiveFullUpperPath(path, full, ArchivePathUnits) ? ArchiveTableLookup(full, &inner) : -1;
  if (index >= 0 && !openInner(f, index, inner, useCacheFlag, useASyncReadFlag)) {
    ArchiveTableRelease(index);
    std::memset(f, 0, sizeof *f);
  }
  if (!f->InArchive) {
    f->Disk = WinFileSet_Open(path, useCacheFlag, blockReadFlag, useASyncReadFlag);
    if (!f->Disk) {
      freeSlot(slot);
      return 0;
    }
  }
  return ArchiveStreamTag | slot;
}

int ArchiveSet_Close(FileStream stream)
{
  OpenFile* f = fileOf(stream);
  if (!f) return -1;
  if (f->InArchive) {
    finishPending(f);
    MemFree(f->Data);
    if (f->Disk) WinFileSet_Close(f->Disk);
    ArchiveTableRelease(f->ArchiveIndex);
  } else if (WinFileSet_Close(f->Disk) != 0) {
    return -1;
  }
  freeSlot(stream & 0x0FFFFFFF);
  return 0;
}

std::int64_t ArchiveSet_Tell(FileStream stream)
{
  OpenFile* f = fileOf(stream);
  if (!f) return -1;
  if (!f->InArchive) return WinFileSet_Tell(f->Disk);
  finishPending(f);
  return static_cast<std::int64_t>(f->Position);
}

int ArchiveSet_Seek(FileStream stream, std::int64_t offset, int origin)
{
  OpenFile* f = fileOf(stream);
  if (!f) return -1;
  if (!f->InArchive) return WinFileSet_Seek(f->Disk, offset, origin);
  finishPending(f);
  const auto size = static_cast<std::int64_t>(f->Entry.DataSize);
  std::int64_t target = origin == FileSeekCurrent ? static_cast<std::int64_t>(f->Position) + offset
                        : origin == FileSeekEnd   ? size + offset
                                                  : offset;
  if (target < 0) target = 0;
  if (target > size) target = size;
  f->Position = static_cast<std::uint64_t>(target);
  f->EofFlag = 0;
  return 0;
}

// Whole elements, as the disk set reads.
std::size_t ArchiveSet_Read(void* buffer, std::size_t elementSize, std::size_t count, FileStream stream)
{
  OpenFile* f = fileOf(stream);
  if (!f || elementSize == 0) return 0;
  if (!f->InArchive) return WinFileSet_Read(buffer, elementSize, count, f->Disk);
  finishPending(f);
  const std::uint64_t left = f->Entry.DataSize - f->Position;
  if (count > left / elementSize) count = static_cast<std::size_t>(left / elementSize);
  if (count == 0) {
    f->EofFlag = 1;
    return 0;
  }
  return innerRead(f, buffer, count * elementSize) / elementSize;
}

int ArchiveSet_Eof(FileStream stream)
{
  OpenFile* f = fileOf(stream);
  if (!f) return -1;
  if (!f->InArchive) return WinFileSet_Eof(f->Disk);
  finishPending(f);
  return f->EofFlag ? -1 : 0;
}

int ArchiveSet_IdleCheck(FileStream stream)
{
  OpenFile* f = fileOf(stream);
  if (!f) return 1;
  if (!f->InArchive) return WinFileSet_IdleCheck(f->Disk);
  return pendingDone(f) ? 1 : 0;
}

int ArchiveSet_ChangeDir(const char16_t* path) { return SetCurrentDirectoryCharCode(path); }

int ArchiveSet_GetDirWithSize(char16_t* buffer, std::size_t bufferBytes)
{
  GetCurrentDirectoryCharCode(buffer, bufferBytes);
  return 0;
}

int ArchiveSet_GetDir(char16_t* buffer) { return ArchiveSet_GetDirWithSize(buffer, 0x7FFFFFFF); }

const FileAccessFunctions* GetArchiveFileFunctions()
{
  static constexpr FileAccessFunctions set{
      ArchiveSet_Open,   ArchiveSet_Close,  ArchiveSet_Tell,           ArchiveSet_Seek,
      ArchiveSet_Read,   ArchiveSet_Eof,    ArchiveSet_IdleCheck,      ArchiveSet_ChangeDir,
      ArchiveSet_GetDir, ArchiveSet_GetDirWithSize, ArchiveSet_FindFirst, ArchiveSet_FindNext,
      ArchiveSet_FindClose,
  };
  return &set;
}

}  // namespace ZaDod
