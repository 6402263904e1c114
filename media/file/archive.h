// Archives of the media layer (format in archive_format.h): opened from a file or
// from a memory image, their tables checked before use, so that a damaged or crafted
// archive is refused as a whole and never read outside its buffers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "media/file/archive_format.h"

namespace ZaDod {

constexpr std::size_t ArchivePathUnits = 2048;

struct Archive {
  int OpenFlag;
  int Version;
  int CodePage;
  ArchiveHeader Header;
  std::uint8_t Key[ArchiveKeyBytes];
  char16_t FilePath[ArchivePathUnits];  // file archives: the archive file; memory: the given name
  std::uint64_t ArchiveSize;            // the file's or the image's size
  int MemoryImageFlag;
  int KeepImageFlag;       // the image is left scrambled; reads unscramble copies
  int ImageCopiedFlag;     // Image is the archive's own copy
  std::uint8_t* Image;     // memory archives
  std::uint8_t* HeadBlock; // unscrambled copy, HeadSize bytes
  std::uint64_t CurrentDirectory;  // offset of a directory record in the directory table
};

// One entry of an open archive, as the readers need it.
struct ArchiveEntry {
  std::uint64_t Offset;  // within the head block
  std::uint32_t Attributes;
  std::uint64_t CreationTime;
  std::uint64_t LastWriteTime;
  std::uint64_t DataAddress;  // absolute: from the start of the archive
  std::uint64_t DataSize;
  std::uint64_t StoredSize;   // bytes in the archive
  int Compressed;
};

int ArchiveInitialize(Archive* archive);
// keyString null: no key. With copyFlag the image is copied first; with keepFlag (and
// no copy) the image is left as it is; otherwise it is unscrambled in place, and left
// as it was when the open is refused. 0 or -1.
int ArchiveOpenFromMemory(Archive* archive, void* image, std::size_t size, int copyFlag, int keepFlag,
                          const char* keyString, const char16_t* name);
int ArchiveOpenFromFile(Archive* archive, const char16_t* path, const char* keyString);
void* ArchiveGetImage(Archive* archive);
// Where a plain entry's bytes lie in the image. The path is in codePage; -1 when it
// is not found, is compressed, or the archive is not in memory.
int ArchiveGetFileLocation(Archive* archive, int codePage, const void* path, std::uint64_t* offset,
                           std::uint64_t* size);
int ArchiveClose(Archive* archive);

// ---- Look-ups on an open archive (UTF-16 paths; '\' and '/' separate) ----

// The directory record that path names, walking from the current directory ("." stays,
// ".." goes up, a leading separator starts at the root); false when a component is
// not a subdirectory. With name given, the last component is not walked but returned
// there.
bool ArchiveWalkDirectory(const Archive* archive, const char16_t* path, std::uint64_t* directory,
                          const char16_t** name);
// A file (not directory) entry of a directory by name.
bool ArchiveFindFile(const Archive* archive, std::uint64_t directory, const char16_t* name, std::size_t length,
                     ArchiveEntry* entry);
std::uint64_t ArchiveDirectoryCount(const Archive* archive, std::uint64_t directory);
std::uint64_t ArchiveDirectoryParent(const Archive* archive, std::uint64_t directory);
void ArchiveDirectoryEntry(const Archive* archive, std::uint64_t directory, std::uint64_t index, ArchiveEntry* entry);
// The entry's search form (upper case) and stored name, each terminated, in the
// archive's code page.
const std::uint8_t* ArchiveEntrySearchName(const Archive* archive, const ArchiveEntry* entry);
const std::uint8_t* ArchiveEntryName(const Archive* archive, const ArchiveEntry* entry);

// Copies count of an entry's stored bytes from offset, unscrambled (memory archives).
void ArchiveCopyImageBytes(const Archive* archive, const ArchiveEntry* entry, std::uint64_t offset, void* destination,
                           std::size_t count);
// Unscrambles bytes read from an entry's stored bytes at offset.
void ArchiveUnscrambleData(const Archive* archive, const ArchiveEntry* entry, std::uint64_t offset, void* data,
                           std::size_t count);

// The reader's life cycle: start closes unused archives, end closes those whose use
// count is 0.
int InitializeArchiveReader();
int TerminateArchiveReader();

}  // namespace ZaDod
