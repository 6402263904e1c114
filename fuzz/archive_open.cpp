// Opens the input as an archive, from memory in every mode and from a file through
// the archive set, and walks it: every directory listed, every file located, opened,
// read whole and sought. A damaged archive must be refused or read within bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/input_file.h"
#include "media/base/charcode.h"
#include "media/file/archive.h"
#include "media/file/archive_set.h"
#include "media/file/file_access.h"

using namespace ZaDod;

namespace {

constexpr const char* Key = "abc";

std::u16string nameOf(const Archive* a, const ArchiveEntry& entry)
{
  char16_t name[600];
  if (ConvertString(ArchiveEntryName(a, &entry), a->CodePage, name, sizeof name, CodePageUtf16LE) <= 0) return u"";
  return name;
}

// Every file of a memory archive: located, and its bytes inside the image.
void walkMemory(Archive* a, std::uint64_t directory, const std::u16string& prefix, int depth)
{
  if (depth > 64) std::abort();  // a checked archive has no cycle
  const std::uint64_t count = ArchiveDirectoryCount(a, directory);
  for (std::uint64_t i = 0; i < count; ++i) {
    ArchiveEntry entry;
    ArchiveDirectoryEntry(a, directory, i, &entry);
    const std::u16string path = prefix + nameOf(a, entry);
    if (entry.Attributes & ArchiveAttributeDirectory) {
      walkMemory(a, entry.DataAddress, path + u"\\", depth + 1);
      continue;
    }
    std::uint64_t offset = 0, size = 0;
    if (ArchiveGetFileLocation(a, CodePageUtf16LE, path.c_str(), &offset, &size) == 0) {
      if (offset > a->ArchiveSize || size > a->ArchiveSize - offset) std::abort();
      const auto* image = static_cast<const std::uint8_t*>(ArchiveGetImage(a));
      volatile std::uint8_t sink = 0;
      for (std::uint64_t k = 0; k < size; k += 97) sink = sink + image[offset + k];
    }
  }
}

void readFile(const std::u16string& path)
{
  const FileStream s = FileAccessOpen(path.c_str(), 0, 1, 0);
  if (!s) return;
  std::uint8_t buffer[4096];
  while (FileAccessRead(buffer, 1, sizeof buffer, s) != 0) {
  }
  FileAccessEof(s);
  FileAccessSeek(s, -1, FileSeekSet);
  FileAccessSeek(s, 10, FileSeekEnd);
  FileAccessSeek(s, -7, FileSeekCurrent);
  FileAccessRead(buffer, 3, 5, s);
  FileAccessTell(s);
  FileAccessClose(s);
}

// Every entry the archive set lists below folder, opened and read.
void walkFiles(const std::u16string& folder, int depth)
{
  if (depth > 64) return;
  FileInfo info;
  const FindHandle find = FileAccessFindFirst((folder + u"\\*").c_str(), &info);
  if (find == -1) return;
  std::vector<std::pair<std::u16string, bool>> entries;
  do {
    const std::u16string name = info.Name;
    if (name != u"." && name != u".." && !name.empty()) entries.emplace_back(name, info.DirFlag != 0);
  } while (FileAccessFindNext(find, &info) == 0);
  FileAccessFindClose(find);
  for (const auto& [name, directory] : entries) {
    if (directory) walkFiles(folder + u"\\" + name, depth + 1);
    else readFile(folder + u"\\" + name);
  }
}

std::string scratch()
{
  static const std::string& folder = fuzzinput::scratchPath("halvorine-fuzz-", true);
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  for (int mode = 0; mode < 3; ++mode) {
    std::vector<std::uint8_t> image(data, data + size);
    Archive archive;
    ArchiveInitialize(&archive);
    if (ArchiveOpenFromMemory(&archive, image.data(), image.size(), mode == 0, mode == 1, Key, u"fuzz") == 0) {
      walkMemory(&archive, 0, u"", 0);
      ArchiveClose(&archive);
    }
  }

  const std::string folder = scratch();
  std::ofstream(folder + "/fz.zda", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  SetArchiveKeyString(Key);
  TerminateArchiveReader();  // forget the previous input's archive
  std::u16string root = u"C:";
  for (char c : folder) root += c == '/' ? u'\\' : static_cast<char16_t>(c);
  walkFiles(root + u"\\fz", 0);
  return 0;
}
