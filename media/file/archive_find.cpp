// Finding files through the archive set: a pattern whose directory is in an archive
// lists that archive directory's entries, then "." and, below the root, ".."; any
// other pattern lists the disk.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/file/archive_set.h"
#include "media/file/convert.h"
#include "media/file/win_find.h"

namespace ZaDod {

namespace {

constexpr std::size_t PatternUnits = 260;

struct FindRecord {
  int InArchive;
  WinFindData Disk;
  int ArchiveIndex;
  std::uint64_t Directory;
  std::uint64_t Next;  // the next candidate
  char16_t Pattern[PatternUnits];
};

std::uint64_t candidateCount(const Archive* a, std::uint64_t directory)
{
  return ArchiveDirectoryCount(a, directory) + (directory == 0 ? 1 : 2);
}

void nameToWide(const Archive* a, const std::uint8_t* name, char16_t* out, std::size_t outBytes)
{
  if (ConvertWholeString(name, a->CodePage, out, outBytes, CodePageUtf16LE) < 0) out[0] = 0;
}

// Reports candidates from f->Next on until one matches; false after the last.
bool nextMatch(FindRecord* f, FileInfo* info)
{
  const Archive* a = ArchiveTableGet(f->ArchiveIndex);
  const std::uint64_t count = ArchiveDirectoryCount(a, f->Directory);
  const std::uint64_t total = candidateCount(a, f->Directory);
  for (; f->Next < total; ++f->Next) {
    char16_t name[FileNameUnits];
    ArchiveEntry entry{};
    const bool real = f->Next < count;
    if (real) {
      ArchiveDirectoryEntry(a, f->Directory, f->Next, &entry);
      nameToWide(a, ArchiveEntrySearchName(a, &entry), name, sizeof name);
    } else {
      std::memcpy(name, f->Next == count ? u"." : u"..", f->Next == count ? sizeof u"." : sizeof u"..");
    }
    if (!plat::win::matchFindPattern(f->Pattern, name)) continue;
    if (info) {
      std::memset(info, 0, sizeof *info);
      if (real) {
        nameToWide(a, ArchiveEntryName(a, &entry), info->Name, sizeof info->Name);
        info->DirFlag = (entry.Attributes & ArchiveAttributeDirectory) ? 1 : 0;
        info->Size = info->DirFlag ? 0 : entry.DataSize;
        FileTimeToDateTime(entry.CreationTime, &info->CreationTime);
        FileTimeToDateTime(entry.LastWriteTime, &info->LastWriteTime);
      } else {
        std::memcpy(info->Name, name, sizeof name);
        info->DirFlag = 1;
      }
    }
    ++f->Next;
    return true;
  }
  return false;
}

// 1: a first match in an archive; -1: the directory is in an archive but nothing
// matches; 0: not in an archive.
int findInArchive(FindRecord* f, const char16_t* pattern, FileInfo* info)
{
  char16_t full[ArchivePathUnits];
  const char16_t* inner = nullptr;
  if (!ArchiveFullUpperPath(pattern, full, ArchivePathUnits)) return 0;
  const int index = ArchiveTableLookup(full, &inner);
  if (index < 0) return 0;
  const Archive* a = ArchiveTableGet(index);
  const char16_t* last;
  std::size_t length = 0;
  if (ArchiveWalkDirectory(a, inner, &f->Directory, &last)) {
    while (last[length]) ++length;
    if (length > 0 && length < PatternUnits) {
      std::memcpy(f->Pattern, last, (length + 1) * sizeof(char16_t));
      f->ArchiveIndex = index;
      f->InArchive = 1;
      if (nextMatch(f, info)) return 1;
      f->InArchive = 0;
      ArchiveTableRelease(index);
      return -1;
    }
  }
  ArchiveTableRelease(index);
  return 0;
}

}  // namespace

FindHandle ArchiveSet_FindFirst(const char16_t* pattern, FileInfo* info)
{
  auto* f = static_cast<FindRecord*>(MemCalloc(sizeof(FindRecord), "archive_find", __LINE__));
  if (!f) return -1;
  const int inArchive = findInArchive(f, pattern, info);
  if (inArchive < 0 || (inArchive == 0 && WinFile_FindFirst(&f->Disk, pattern, info) != 0)) {
    MemFree(f);
    return -1;
  }
  return reinterpret_cast<FindHandle>(f);
}

int ArchiveSet_FindNext(FindHandle find, FileInfo* info)
{
  auto* f = reinterpret_cast<FindRecord*>(find);
  if (!f->InArchive) return WinFile_FindNext(&f->Disk, info);
  return nextMatch(f, info) ? 0 : -1;
}

int ArchiveSet_FindClose(FindHandle find)
{
  auto* f = reinterpret_cast<FindRecord*>(find);
  if (f->InArchive) ArchiveTableRelease(f->ArchiveIndex);
  else if (WinFile_FindClose(&f->Disk) != 0) return -1;
  MemFree(f);
  return 0;
}

}  // namespace ZaDod
