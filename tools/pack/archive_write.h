// Making and listing archives of the media layer's format (docs/archive-format.md).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvorine::pack {

enum class ArchiveKey { None, String, Second };
enum class ArchiveCompression { Auto, Always, Never };

struct ArchiveOptions {
  int version = 6;                  // 1 to 6
  ArchiveKey key = ArchiveKey::None;
  std::string keyString;            // with ArchiveKey::String; an empty one counts as none
  ArchiveCompression compression = ArchiveCompression::Auto;  // version 1 stores everything plain
  int codePage = 65001;             // names' code page from version 4; 932 before
};

// Packs every file and folder under folder. False, with a message, on failure.
bool packArchive(const std::string& folder, const ArchiveOptions& options, std::vector<std::uint8_t>& archive,
                 std::string& error);
bool writeArchive(const std::string& folder, const std::string& archivePath, const ArchiveOptions& options,
                  std::string& error);

struct ListedEntry {
  std::string path;  // names joined by '\', in UTF-8
  bool directory;
  std::uint64_t size;
  std::uint64_t storedSize;
  bool compressed;
};

// Reads an archive's tables with the key of options (falling back to the second key).
bool listArchive(const std::vector<std::uint8_t>& archive, const ArchiveOptions& options,
                 std::vector<ListedEntry>& entries, std::string& error);

}  // namespace halvorine::pack
