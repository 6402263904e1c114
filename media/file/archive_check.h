// Reading an archive's tables: accessors for entries and directory records, the
// check that makes every later access safe, and the walk over all files.
#pragma once
#include <cstdint>
#include <vector>

#include "media/file/archive.h"

namespace ZaDod {

inline const std::uint8_t* ArchiveDirectoryRecord(const Archive* a, std::uint64_t directory)
{
  return a->HeadBlock + a->Header.DirectoryTableStart + directory;
}

inline std::uint64_t ArchiveDirectoryField(const Archive* a, std::uint64_t directory, int field)
{
  const int bytes = ArchiveFieldBytes(a->Version);
  return ArchiveReadLE(ArchiveDirectoryRecord(a, directory) + field * bytes, bytes);
}

// Reads the entry at offset (from the file table's start) of a checked archive.
void ArchiveReadEntry(const Archive* archive, std::uint64_t offset, ArchiveEntry* entry);

// Every offset, size and link in the head block against the head block and the
// archive size; every directory reachable from the root at most once, every entry in
// at most one directory, no cycle.
bool ArchiveCheckTables(const Archive* archive);

// Calls f(entry) for each file (not directory) of a checked archive.
template <class F>
void ArchiveForEachFile(const Archive* archive, F f)
{
  std::vector<std::uint64_t> pending{0};
  const std::uint64_t entryBytes = ArchiveFileEntryBytes(archive->Version);
  while (!pending.empty()) {
    const std::uint64_t directory = pending.back();
    pending.pop_back();
    const std::uint64_t count = ArchiveDirectoryField(archive, directory, ArchiveDirectoryCountField);
    const std::uint64_t first = ArchiveDirectoryField(archive, directory, ArchiveDirectoryFirstField);
    for (std::uint64_t i = 0; i < count; ++i) {
      ArchiveEntry entry;
      ArchiveReadEntry(archive, first + i * entryBytes, &entry);
      if (entry.Attributes & ArchiveAttributeDirectory) pending.push_back(entry.DataAddress);
      else f(entry);
    }
  }
}

}  // namespace ZaDod
