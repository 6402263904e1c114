// Finding names in an open archive. A name is compared in its search form: the text
// in the archive's code page with ASCII letters upper-cased, zero-padded to whole
// 4-byte units, and its byte sum, so most entries are passed over on length and sum.
#include <cstring>

#include "media/base/charcode.h"
#include "media/file/archive_check.h"
#include "media/file/convert.h"

namespace ZaDod {

namespace {

constexpr std::size_t NameUnitsMax = 512;            // UTF-16 units of one component
constexpr std::size_t SearchBytesMax = NameUnitsMax * 4 + 8;

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

struct SearchForm {
  std::uint8_t bytes[SearchBytesMax];
  std::uint64_t units = 0;
  std::uint16_t parity = 0;
};

bool makeSearchForm(const Archive* a, const char16_t* name, std::size_t length, SearchForm* form)
{
  if (length == 0 || length >= NameUnitsMax) return false;
  char16_t text[NameUnitsMax];
  std::memcpy(text, name, length * sizeof(char16_t));
  text[length] = 0;
  std::memset(form->bytes, 0, sizeof form->bytes);
  const int written = ConvertWholeString(text, CodePageUtf16LE, form->bytes, sizeof form->bytes - 4, a->CodePage);
  const int unit = ArchiveUnitBytes(a->CodePage);
  if (written <= unit) return false;
  const std::size_t bytes = static_cast<std::size_t>(written - unit);
  form->units = ArchiveNameUnits(bytes, a->CodePage);
  ArchiveUpperAscii(form->bytes, bytes, a->CodePage);
  form->parity = ArchiveParity(form->bytes, form->units * 4);
  return true;
}

bool sameName(const Archive* a, const ArchiveEntry& entry, const SearchForm& form)
{
  const std::uint64_t nameOffset = ArchiveReadLE(a->HeadBlock + entry.Offset, ArchiveFieldBytes(a->Version));
  const std::uint8_t* p = a->HeadBlock + nameOffset;
  return ArchiveReadLE(p, 2) == form.units && ArchiveReadLE(p + 2, 2) == form.parity &&
         std::memcmp(p + 4, form.bytes, form.units * 4) == 0;
}

// The entry of directory named name[0..length) that is (or is not) a directory.
bool findEntry(const Archive* a, std::uint64_t directory, const char16_t* name, std::size_t length, bool wantDirectory,
               ArchiveEntry* entry)
{
  SearchForm form;
  if (!makeSearchForm(a, name, length, &form)) return false;
  const std::uint64_t count = ArchiveDirectoryCount(a, directory);
  for (std::uint64_t i = 0; i < count; ++i) {
    ArchiveDirectoryEntry(a, directory, i, entry);
    if (((entry->Attributes & ArchiveAttributeDirectory) != 0) == wantDirectory && sameName(a, *entry, form)) return true;
  }
  return false;
}

}  // namespace

std::uint64_t ArchiveDirectoryCount(const Archive* a, std::uint64_t directory)
{
  return ArchiveDirectoryField(a, directory, ArchiveDirectoryCountField);
}

std::uint64_t ArchiveDirectoryParent(const Archive* a, std::uint64_t directory)
{
  return ArchiveDirectoryField(a, directory, ArchiveDirectoryParentField);
}

void ArchiveDirectoryEntry(const Archive* a, std::uint64_t directory, std::uint64_t index, ArchiveEntry* entry)
{
  const std::uint64_t first = ArchiveDirectoryField(a, directory, ArchiveDirectoryFirstField);
  ArchiveReadEntry(a, first + index * ArchiveFileEntryBytes(a->Version), entry);
}

const std::uint8_t* ArchiveEntrySearchName(const Archive* a, const ArchiveEntry* entry)
{
  return a->HeadBlock + ArchiveReadLE(a->HeadBlock + entry->Offset, ArchiveFieldBytes(a->Version)) + 4;
}

const std::uint8_t* ArchiveEntryName(const Archive* a, const ArchiveEntry* entry)
{
  const std::uint8_t* search = ArchiveEntrySearchName(a, entry);
  return search + ArchiveReadLE(search - 4, 2) * 4;
}

bool ArchiveWalkDirectory(const Archive* a, const char16_t* path, std::uint64_t* directory, const char16_t** name)
{
  std::uint64_t at = a->CurrentDirectory;
  const char16_t* p = path;
  if (isSeparator(*p)) at = 0;
  for (;;) {
    while (isSeparator(*p)) ++p;
    const char16_t* start = p;
    while (*p && !isSeparator(*p)) ++p;
    const std::size_t length = static_cast<std::size_t>(p - start);
    if (name && *p == 0) {
      *name = start;
      break;
    }
    if (length == 0) break;
    if (length == 1 && start[0] == u'.') continue;
    if (length == 2 && start[0] == u'.' && start[1] == u'.') {
      if (at != 0) at = ArchiveDirectoryParent(a, at);
      continue;
    }
    ArchiveEntry entry;
    if (!findEntry(a, at, start, length, true, &entry)) return false;
    at = entry.DataAddress;
  }
  *directory = at;
  return true;
}

bool ArchiveFindFile(const Archive* a, std::uint64_t directory, const char16_t* name, std::size_t length,
                     ArchiveEntry* entry)
{
  return findEntry(a, directory, name, length, false, entry);
}

void ArchiveUnscrambleData(const Archive* a, const ArchiveEntry* entry, std::uint64_t offset, void* data,
                           std::size_t count)
{
  const std::uint64_t phase = a->Version >= 5 ? entry->DataSize + offset : entry->DataAddress + offset;
  ArchiveApplyKey(data, count, phase, a->Key);
}

void ArchiveCopyImageBytes(const Archive* a, const ArchiveEntry* entry, std::uint64_t offset, void* destination,
                           std::size_t count)
{
  std::memcpy(destination, a->Image + entry->DataAddress + offset, count);
  if (a->KeepImageFlag) ArchiveUnscrambleData(a, entry, offset, destination, count);
}

int ArchiveGetFileLocation(Archive* a, int codePage, const void* path, std::uint64_t* offset, std::uint64_t* size)
{
  if (!a->OpenFlag || !a->MemoryImageFlag) return -1;
  char16_t wide[ArchivePathUnits];
  if (ConvertWholeString(path, codePage, wide, sizeof wide, CodePageUtf16LE) < 0) return -1;
  std::uint64_t directory;
  const char16_t* name;
  if (!ArchiveWalkDirectory(a, wide, &directory, &name)) return -1;
  std::size_t length = 0;
  while (name[length]) ++length;
  ArchiveEntry entry;
  if (!ArchiveFindFile(a, directory, name, length, &entry) || entry.Compressed) return -1;
  *offset = entry.DataAddress;
  *size = entry.DataSize;
  return 0;
}

}  // namespace ZaDod
