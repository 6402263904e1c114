// Listing an archive: its tables read with the same format helpers as the media layer,
// with every offset checked, for the packer's list command and its tests.
#include <cstring>

#include "media/file/archive_format.h"
#include "tools/pack/archive_codepage.h"
#include "tools/pack/archive_write.h"

namespace halvorine::pack {

using namespace ZaDod;

namespace {

struct Lister {
  int version;
  int codePage;
  std::vector<std::uint8_t> head;
  ArchiveHeader h;
  std::vector<ListedEntry>& out;
  int depth = 0;

  bool has(std::uint64_t offset, std::uint64_t size) const { return offset <= head.size() && size <= head.size() - offset; }
  std::uint64_t at(std::uint64_t offset, int bytes) const { return ArchiveReadLE(head.data() + offset, bytes); }

  bool walk(std::uint64_t directory, const std::string& prefix)
  {
    const int f = ArchiveFieldBytes(version);
    const std::uint64_t d = h.DirectoryTableStart + directory;
    if (++depth > 4096 || !has(d, ArchiveDirectoryBytes(version))) return false;
    const std::uint64_t count = at(d + 2 * f, f), first = at(d + 3 * f, f);
    const std::uint64_t entryBytes = ArchiveFileEntryBytes(version);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t e = h.FileTableStart + first + i * entryBytes;
      if (!has(e, entryBytes)) return false;
      auto field = [&](int which) {
        return at(e + ArchiveEntryFieldOffset(version, which), ArchiveEntryFieldBytes(version, which));
      };
      const std::uint64_t nameOffset = field(ArchiveEntryNameField);
      if (!has(nameOffset, 4)) return false;
      const std::uint64_t units = at(nameOffset, 2);
      if (!has(nameOffset + 4, units * 8)) return false;
      std::string name;
      if (!nameToUtf8(head.data() + nameOffset + 4 + units * 4, units * 4, codePage, name)) return false;
      ListedEntry entry;
      entry.path = prefix + name;
      entry.directory = field(ArchiveEntryAttributesField) & ArchiveAttributeDirectory;
      entry.size = entry.directory ? 0 : field(ArchiveEntryDataSizeField);
      const std::uint64_t stored = version >= 2 ? field(ArchiveEntryStoredSizeField) : ArchiveNotCompressed(version);
      entry.compressed = !entry.directory && stored != ArchiveNotCompressed(version);
      entry.storedSize = entry.compressed ? stored : entry.size;
      out.push_back(entry);
      if (entry.directory && !walk(field(ArchiveEntryDataAddressField), entry.path + "\\")) return false;
    }
    --depth;
    return true;
  }
};

}  // namespace

bool listArchive(const std::vector<std::uint8_t>& archive, const ArchiveOptions& options,
                 std::vector<ListedEntry>& entries, std::string& error)
{
  entries.clear();
  error = "not an archive, or another key";
  if (archive.size() < 4) return false;
  std::uint8_t key[ArchiveKeyBytes];
  if (options.key == ArchiveKey::Second) ArchiveMakeSecondKey(key);
  else ArchiveMakeKey(options.key == ArchiveKey::String ? options.keyString.c_str() : nullptr, key);
  std::uint8_t header[ArchiveHeaderMaxBytes] = {};
  std::memcpy(header, archive.data(), 4);
  ArchiveApplyKey(header, 4, 0, key);
  if (ArchiveReadLE(header, 2) != ArchiveMagic) {
    ArchiveMakeSecondKey(key);
    std::memcpy(header, archive.data(), 4);
    ArchiveApplyKey(header, 4, 0, key);
    if (ArchiveReadLE(header, 2) != ArchiveMagic) return false;
  }
  const int version = static_cast<int>(ArchiveReadLE(header + 2, 2));
  if (version < 1 || version > ArchiveVersionMax || archive.size() < ArchiveHeaderBytes(version)) return false;
  std::memcpy(header, archive.data(), ArchiveHeaderBytes(version));
  ArchiveApplyKey(header, ArchiveHeaderBytes(version), 0, key);
  Lister lister{version, 0, {}, ArchiveParseHeader(header), entries};
  lister.codePage = ArchiveCodePage(version, lister.h.CodePage);
  if (lister.h.HeadStart > archive.size() || lister.h.HeadSize > archive.size() - lister.h.HeadStart) return false;
  lister.head.assign(archive.begin() + lister.h.HeadStart, archive.begin() + lister.h.HeadStart + lister.h.HeadSize);
  ArchiveApplyKey(lister.head.data(), lister.head.size(), ArchiveHeadPhase(version, lister.h.HeadStart), key);
  error = "damaged tables";
  if (!lister.walk(0, "")) return false;
  error.clear();
  return true;
}

}  // namespace halvorine::pack
