// Opening and closing archives: key choice, header, head block and the check of
// every table value against the head block and the archive before anything uses it.
#include <cstring>

#include "media/base/memory.h"
#include "media/file/archive.h"
#include "media/file/archive_check.h"
#include "media/file/win_file.h"

namespace ZaDod {

namespace {

// Where the archive's bytes come from while it is opened.
struct Source {
  const std::uint8_t* image = nullptr;
  FileStream file = 0;
  std::uint64_t size = 0;

  bool read(std::uint64_t offset, void* destination, std::size_t count) const
  {
    if (offset > size || count > size - offset) return false;
    if (image) {
      std::memcpy(destination, image + offset, count);
      return true;
    }
    return WinFileSet_Seek(file, static_cast<std::int64_t>(offset), FileSeekSet) == 0 &&
           WinFileSet_Read(destination, 1, count, file) == count;
  }
};

void copyName(char16_t* to, const char16_t* from)
{
  std::size_t i = 0;
  if (from)
    for (; from[i] && i + 1 < ArchivePathUnits; ++i) to[i] = from[i];
  to[i] = 0;
}

// Header and head block into the record, unscrambled, checked. The image, if any, is
// not changed.
bool readTables(Archive* archive, const Source& source, const char* keyString)
{
  std::uint8_t head[ArchiveHeaderMaxBytes];
  std::uint8_t first[4];
  if (!source.read(0, first, 4)) return false;
  std::uint8_t key[ArchiveKeyBytes];
  ArchiveMakeKey(keyString, key);
  std::memcpy(head, first, 4);
  ArchiveApplyKey(head, 4, 0, key);
  if (ArchiveReadLE(head, 2) != ArchiveMagic) {
    ArchiveMakeSecondKey(key);
    std::memcpy(head, first, 4);
    ArchiveApplyKey(head, 4, 0, key);
    if (ArchiveReadLE(head, 2) != ArchiveMagic) return false;
  }
  const int version = static_cast<int>(ArchiveReadLE(head + 2, 2));
  if (version < 1 || version > ArchiveVersionMax) return false;
  const std::size_t headerBytes = ArchiveHeaderBytes(version);
  if (!source.read(4, head + 4, headerBytes - 4)) return false;
  ArchiveApplyKey(head + 4, headerBytes - 4, 4, key);
  const ArchiveHeader header = ArchiveParseHeader(head);
  if (header.HeadSize == 0 || header.HeadStart > source.size || header.HeadSize > source.size - header.HeadStart)
    return false;
  auto* block = static_cast<std::uint8_t*>(MemAlloc(header.HeadSize, "archive_open", __LINE__));
  if (!block) return false;
  if (!source.read(header.HeadStart, block, header.HeadSize)) {
    MemFree(block);
    return false;
  }
  ArchiveApplyKey(block, header.HeadSize, ArchiveHeadPhase(version, header.HeadStart), key);
  archive->Version = version;
  archive->CodePage = ArchiveCodePage(version, header.CodePage);
  archive->Header = header;
  std::memcpy(archive->Key, key, ArchiveKeyBytes);
  archive->HeadBlock = block;
  archive->ArchiveSize = source.size;
  archive->CurrentDirectory = 0;
  if (!ArchiveCheckTables(archive)) {
    MemFree(block);
    archive->HeadBlock = nullptr;
    return false;
  }
  return true;
}

// Unscrambles an image whose tables have been checked. Versions 1-4 are one stream
// from the first byte; from version 5 the header, the head block and each file's
// stored bytes are scrambled separately.
void unscrambleImage(Archive* archive)
{
  std::uint8_t* image = archive->Image;
  const ArchiveHeader& h = archive->Header;
  if (archive->Version < 5) {
    ArchiveApplyKey(image, archive->ArchiveSize, 0, archive->Key);
    return;
  }
  ArchiveApplyKey(image, ArchiveHeaderBytes(archive->Version), 0, archive->Key);
  ArchiveApplyKey(image + h.HeadStart, h.HeadSize, 0, archive->Key);
  ArchiveForEachFile(archive, [archive, image](const ArchiveEntry& entry) {
    ArchiveApplyKey(image + entry.DataAddress, entry.StoredSize, entry.DataSize, archive->Key);
  });
}

}  // namespace

int ArchiveInitialize(Archive* archive)
{
  std::memset(archive, 0, sizeof *archive);
  return 0;
}

int ArchiveOpenFromMemory(Archive* archive, void* image, std::size_t size, int copyFlag, int keepFlag,
                          const char* keyString, const char16_t* name)
{
  ArchiveInitialize(archive);
  Source source;
  source.image = static_cast<const std::uint8_t*>(image);
  source.size = size;
  if (!image || !readTables(archive, source, keyString)) return -1;
  archive->MemoryImageFlag = 1;
  copyName(archive->FilePath, name);
  if (copyFlag) {
    archive->Image = static_cast<std::uint8_t*>(MemAlloc(size, "archive_open", __LINE__));
    if (!archive->Image) {
      MemFree(archive->HeadBlock);
      ArchiveInitialize(archive);
      return -1;
    }
    std::memcpy(archive->Image, image, size);
    archive->ImageCopiedFlag = 1;
    unscrambleImage(archive);
  } else {
    archive->Image = static_cast<std::uint8_t*>(image);
    archive->KeepImageFlag = keepFlag ? 1 : 0;
    if (!keepFlag) unscrambleImage(archive);
  }
  archive->OpenFlag = 1;
  return 0;
}

int ArchiveOpenFromFile(Archive* archive, const char16_t* path, const char* keyString)
{
  ArchiveInitialize(archive);
  std::size_t units = 0;
  while (path[units]) ++units;
  if (units >= ArchivePathUnits) return -1;
  Source source;
  source.file = WinFileSet_Open(path, 0, 1, 0);
  if (!source.file) return -1;
  WinFileSet_Seek(source.file, 0, FileSeekEnd);
  source.size = static_cast<std::uint64_t>(WinFileSet_Tell(source.file));
  const bool good = readTables(archive, source, keyString);
  WinFileSet_Close(source.file);
  if (!good) return -1;
  copyName(archive->FilePath, path);
  archive->OpenFlag = 1;
  return 0;
}

void* ArchiveGetImage(Archive* archive) { return archive->MemoryImageFlag ? archive->Image : nullptr; }

int ArchiveClose(Archive* archive)
{
  if (!archive->OpenFlag) return 0;
  MemFree(archive->HeadBlock);
  if (archive->ImageCopiedFlag) MemFree(archive->Image);
  ArchiveInitialize(archive);
  return 0;
}

}  // namespace ZaDod
