// Reading an archive's tables.
#include "media/file/archive_check.h"

namespace ZaDod {

namespace {

std::uint64_t entryField(const Archive* a, const std::uint8_t* e, int field)
{
  return ArchiveReadLE(e + ArchiveEntryFieldOffset(a->Version, field), ArchiveEntryFieldBytes(a->Version, field));
}

bool allZero(const std::uint8_t* p, int n)
{
  for (int i = 0; i < n; ++i)
    if (p[i]) return false;
  return true;
}

// A name entry inside the head block whose two forms both end in a zero unit.
bool nameGood(const Archive* a, std::uint64_t offset)
{
  const std::uint64_t size = a->Header.HeadSize;
  if (offset > size || size - offset < 4) return false;
  const std::uint8_t* p = a->HeadBlock + offset;
  const std::uint64_t units = ArchiveReadLE(p, 2);
  if (units == 0 || units * 8 > size - offset - 4) return false;
  const int unit = ArchiveUnitBytes(a->CodePage);
  const std::uint64_t formBytes = units * 4;
  return allZero(p + 4 + formBytes - unit, unit) && allZero(p + 4 + 2 * formBytes - unit, unit);
}

// The directory record at offset: inside the table, aligned, naming itself.
bool directoryGood(const Archive* a, std::uint64_t directory, std::uint64_t directoryCount)
{
  const std::uint64_t bytes = ArchiveDirectoryBytes(a->Version);
  return directory % bytes == 0 && directory / bytes < directoryCount &&
         ArchiveDirectoryField(a, directory, ArchiveDirectorySelfField) == directory;
}

}  // namespace

void ArchiveReadEntry(const Archive* a, std::uint64_t offset, ArchiveEntry* entry)
{
  const std::uint8_t* e = a->HeadBlock + a->Header.FileTableStart + offset;
  entry->Offset = a->Header.FileTableStart + offset;
  entry->Attributes = static_cast<std::uint32_t>(entryField(a, e, ArchiveEntryAttributesField));
  entry->CreationTime = entryField(a, e, ArchiveEntryCreationTimeField);
  entry->LastWriteTime = entryField(a, e, ArchiveEntryLastWriteTimeField);
  entry->DataSize = entryField(a, e, ArchiveEntryDataSizeField);
  const std::uint64_t stored = a->Version >= 2 ? entryField(a, e, ArchiveEntryStoredSizeField) : ArchiveNotCompressed(a->Version);
  entry->Compressed = stored != ArchiveNotCompressed(a->Version);
  entry->StoredSize = entry->Compressed ? stored : entry->DataSize;
  const std::uint64_t address = entryField(a, e, ArchiveEntryDataAddressField);
  // Directories keep their record's offset; files the absolute position of their data.
  entry->DataAddress = (entry->Attributes & ArchiveAttributeDirectory) ? address : a->Header.DataStart + address;
}

bool ArchiveCheckTables(const Archive* a)
{
  const ArchiveHeader& h = a->Header;
  const std::uint64_t size = h.HeadSize;
  const std::uint64_t entryBytes = ArchiveFileEntryBytes(a->Version);
  const std::uint64_t directoryBytes = ArchiveDirectoryBytes(a->Version);
  if (h.FileTableStart > size || h.DirectoryTableStart > size || size - h.DirectoryTableStart < directoryBytes)
    return false;
  if (h.DataStart > a->ArchiveSize) return false;
  const std::uint64_t directoryCount = (size - h.DirectoryTableStart) / directoryBytes;
  const std::uint64_t entryCount = (size - h.FileTableStart) / entryBytes;
  if (!directoryGood(a, 0, directoryCount) ||
      ArchiveDirectoryField(a, 0, ArchiveDirectoryParentField) != ArchiveNoParent(a->Version))
    return false;
  std::vector<std::uint8_t> directorySeen(directoryCount), entrySeen(entryCount);
  std::vector<std::uint64_t> pending{0};
  directorySeen[0] = 1;
  const std::uint64_t dataRoom = a->ArchiveSize - h.DataStart;
  while (!pending.empty()) {
    const std::uint64_t directory = pending.back();
    pending.pop_back();
    const std::uint64_t count = ArchiveDirectoryField(a, directory, ArchiveDirectoryCountField);
    const std::uint64_t first = ArchiveDirectoryField(a, directory, ArchiveDirectoryFirstField);
    if (first % entryBytes != 0 || first / entryBytes > entryCount || count > entryCount - first / entryBytes)
      return false;
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t index = first / entryBytes + i;
      if (entrySeen[index]) return false;
      entrySeen[index] = 1;
      const std::uint8_t* e = a->HeadBlock + h.FileTableStart + index * entryBytes;
      if (!nameGood(a, entryField(a, e, ArchiveEntryNameField))) return false;
      ArchiveEntry entry;
      ArchiveReadEntry(a, index * entryBytes, &entry);
      if (entry.Attributes & ArchiveAttributeDirectory) {
        const std::uint64_t sub = entry.DataAddress;
        if (!directoryGood(a, sub, directoryCount) || directorySeen[sub / directoryBytes] ||
            ArchiveDirectoryField(a, sub, ArchiveDirectoryParentField) != directory)
          return false;
        directorySeen[sub / directoryBytes] = 1;
        pending.push_back(sub);
        continue;
      }
      const std::uint64_t address = entry.DataAddress - h.DataStart;
      if (entry.Compressed && entry.StoredSize < 9) return false;
      if (address > dataRoom || entry.StoredSize > dataRoom - address) return false;
    }
  }
  return true;
}

}  // namespace ZaDod
