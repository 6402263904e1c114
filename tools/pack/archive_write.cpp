// Making and listing archives of the media layer's format (docs/archive-format.md).
#include "tools/pack/archive_write.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/file/archive_format.h"
#include "tools/pack/archive_codepage.h"
#include "tools/pack/lz_encode.h"

namespace halvorine::pack {

namespace fs = std::filesystem;
using namespace ZaDod;

namespace {

struct Node {
  std::string name;  // UTF-8
  bool directory = false;
  std::uint64_t creation = 0, access = 0, write = 0;
  std::vector<std::uint8_t> data;  // files
  std::vector<Node> children;      // directories, sorted by name
};

std::uint64_t fileTime(const statx_timestamp& t)
{
  const std::int64_t since1601 = t.tv_sec + 11644473600LL;
  return since1601 < 0 ? 0 : static_cast<std::uint64_t>(since1601) * 10000000u + t.tv_nsec / 100;
}

bool readTree(const fs::path& path, Node& node, std::string& error)
{
  struct statx st;
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
    error = "cannot read " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  node.write = fileTime(st.stx_mtime);
  node.access = fileTime(st.stx_atime);
  node.creation = (st.stx_mask & STATX_BTIME) ? fileTime(st.stx_btime) : node.write;
  node.directory = S_ISDIR(st.stx_mode);
  if (!node.directory) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = "cannot read " + path.string();
      return false;
    }
    node.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  }
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path());
  std::sort(names.begin(), names.end());
  for (const auto& child : names) {
    Node c;
    c.name = child.filename().string();
    if (!readTree(child, c, error)) return false;
    node.children.push_back(std::move(c));
  }
  return true;
}

struct Writer {
  const ArchiveOptions& options;
  int version;
  int codePage;
  std::vector<std::uint8_t> names{}, files{}, directories{}, data{};
  std::vector<std::pair<std::uint64_t, std::uint64_t>> fileData{};  // (address, stored) of each file, for scrambling
  std::vector<std::uint64_t> dataSizes{};
  std::string error{};

  int field() const { return ArchiveFieldBytes(version); }

  bool addName(const std::string& utf8, std::uint64_t* offset)
  {
    std::vector<std::uint8_t> text;
    if (!convertName(utf8, codePage, text)) {
      error = "name cannot be written in code page " + std::to_string(codePage) + ": " + utf8;
      return false;
    }
    const std::uint64_t units = ArchiveNameUnits(text.size(), codePage);
    if (units > 0xFFFF) {
      error = "name too long: " + utf8;
      return false;
    }
    std::vector<std::uint8_t> stored(units * 4, 0), search(units * 4, 0);
    std::copy(text.begin(), text.end(), stored.begin());
    std::copy(text.begin(), text.end(), search.begin());
    ArchiveUpperAscii(search.data(), text.size(), codePage);
    *offset = names.size();
    std::uint8_t head[4];
    ArchiveWriteLE(head, units, 2);
    ArchiveWriteLE(head + 2, ArchiveParity(search.data(), search.size()), 2);
    names.insert(names.end(), head, head + 4);
    names.insert(names.end(), search.begin(), search.end());
    names.insert(names.end(), stored.begin(), stored.end());
    return true;
  }

  std::vector<std::uint8_t> store(const std::vector<std::uint8_t>& raw, bool* compressed)
  {
    *compressed = false;
    if (version < 2 || options.compression == ArchiveCompression::Never) return raw;
    std::vector<std::uint8_t> packed = encodeLZ(raw.data(), raw.size());
    if (options.compression == ArchiveCompression::Always || packed.size() < raw.size()) {
      *compressed = true;
      return packed;
    }
    return raw;
  }

  void putEntry(std::uint64_t at, std::uint64_t name, const Node& node, std::uint64_t address, std::uint64_t size,
                std::uint64_t stored)
  {
    std::uint8_t* e = files.data() + at;
    auto put = [&](int f, std::uint64_t v) {
      ArchiveWriteLE(e + ArchiveEntryFieldOffset(version, f), v, ArchiveEntryFieldBytes(version, f));
    };
    put(ArchiveEntryNameField, name);
    put(ArchiveEntryAttributesField, node.directory ? ArchiveAttributeDirectory : 0x20);
    put(ArchiveEntryCreationTimeField, node.creation);
    put(ArchiveEntryLastAccessTimeField, node.access);
    put(ArchiveEntryLastWriteTimeField, node.write);
    put(ArchiveEntryDataAddressField, address);
    put(ArchiveEntryDataSizeField, size);
    if (version >= 2) put(ArchiveEntryStoredSizeField, stored);
  }

  // Writes the directory record at offset and its entries; subdirectories follow in
  // the order they are met, each with its entries consecutive.
  bool addDirectory(const Node& node, std::uint64_t self, std::uint64_t parent)
  {
    const std::uint64_t entryBytes = ArchiveFileEntryBytes(version);
    const std::uint64_t first = files.size();
    files.resize(files.size() + node.children.size() * entryBytes);
    std::uint8_t* d = directories.data() + self;
    ArchiveWriteLE(d, self, field());
    ArchiveWriteLE(d + field(), parent, field());
    ArchiveWriteLE(d + 2 * field(), node.children.size(), field());
    ArchiveWriteLE(d + 3 * field(), first, field());
    std::vector<std::pair<const Node*, std::uint64_t>> subdirectories;
    for (std::size_t i = 0; i < node.children.size(); ++i) {
      const Node& child = node.children[i];
      std::uint64_t name;
      if (!addName(child.name, &name)) return false;
      if (child.directory) {
        const std::uint64_t record = directories.size();
        directories.resize(record + ArchiveDirectoryBytes(version));
        subdirectories.emplace_back(&child, record);
        putEntry(first + i * entryBytes, name, child, record, 0, ArchiveNotCompressed(version));
        continue;
      }
      bool compressed;
      const std::vector<std::uint8_t> stored = store(child.data, &compressed);
      const std::uint64_t address = data.size();
      data.insert(data.end(), stored.begin(), stored.end());
      fileData.emplace_back(address, stored.size());
      dataSizes.push_back(child.data.size());
      putEntry(first + i * entryBytes, name, child, address, child.data.size(),
               compressed ? stored.size() : ArchiveNotCompressed(version));
    }
    for (const auto& [child, record] : subdirectories)
      if (!addDirectory(*child, record, self)) return false;
    return true;
  }
};

void makeKey(const ArchiveOptions& options, std::uint8_t key[ArchiveKeyBytes])
{
  if (options.key == ArchiveKey::Second) ArchiveMakeSecondKey(key);
  else ArchiveMakeKey(options.key == ArchiveKey::String ? options.keyString.c_str() : nullptr, key);
}

}  // namespace

bool packArchive(const std::string& folder, const ArchiveOptions& options, std::vector<std::uint8_t>& archive,
                 std::string& error)
{
  if (options.version < 1 || options.version > ArchiveVersionMax) {
    error = "version must be 1 to 6";
    return false;
  }
  Node root;
  if (!readTree(folder, root, error)) return false;
  if (!root.directory) {
    error = folder + " is not a folder";
    return false;
  }
  Writer w{options, options.version, options.version >= 4 ? options.codePage : ArchiveOldCodePage};
  if (ArchiveCodePage(w.version, static_cast<std::uint64_t>(w.codePage)) != w.codePage) {
    error = "code page " + std::to_string(w.codePage) + " is not one archives use";
    return false;
  }
  w.directories.resize(ArchiveDirectoryBytes(w.version));
  if (!w.addDirectory(root, 0, ArchiveNoParent(w.version))) {
    error = w.error;
    return false;
  }
  ArchiveHeader h{};
  h.Magic = ArchiveMagic;
  h.Version = static_cast<std::uint16_t>(w.version);
  const std::size_t headerBytes = ArchiveHeaderBytes(w.version);
  const std::uint64_t headSize = w.names.size() + w.files.size() + w.directories.size();
  h.DataStart = headerBytes;
  h.HeadStart = headerBytes + w.data.size();
  h.FileTableStart = w.names.size();
  h.DirectoryTableStart = w.names.size() + w.files.size();
  h.CodePage = w.version >= 4 ? static_cast<std::uint64_t>(w.codePage) : 0;
  if (headSize > 0xFFFFFFFFu || (w.version < 6 && h.HeadStart + headSize > 0xFFFFFFFFu)) {
    error = "too large for this version";
    return false;
  }
  h.HeadSize = static_cast<std::uint32_t>(headSize);
  archive.assign(h.HeadStart + headSize, 0);
  ArchiveWriteHeader(archive.data(), h);
  std::copy(w.data.begin(), w.data.end(), archive.begin() + headerBytes);
  std::uint8_t* head = archive.data() + h.HeadStart;
  std::copy(w.names.begin(), w.names.end(), head);
  std::copy(w.files.begin(), w.files.end(), head + w.names.size());
  std::copy(w.directories.begin(), w.directories.end(), head + w.names.size() + w.files.size());

  std::uint8_t key[ArchiveKeyBytes];
  makeKey(options, key);
  if (w.version < 5) {
    ArchiveApplyKey(archive.data(), archive.size(), 0, key);  // one stream from the first byte
  } else {
    ArchiveApplyKey(archive.data(), headerBytes, 0, key);
    ArchiveApplyKey(head, headSize, 0, key);
    for (std::size_t i = 0; i < w.fileData.size(); ++i)
      ArchiveApplyKey(archive.data() + headerBytes + w.fileData[i].first, w.fileData[i].second, w.dataSizes[i], key);
  }
  return true;
}

bool writeArchive(const std::string& folder, const std::string& archivePath, const ArchiveOptions& options,
                  std::string& error)
{
  std::vector<std::uint8_t> archive;
  if (!packArchive(folder, options, archive, error)) return false;
  std::ofstream out(archivePath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
  if (!out) {
    error = "cannot write " + archivePath;
    return false;
  }
  return true;
}

}  // namespace halvorine::pack
