// The archive packer: packs a folder into an archive of the media layer's format, or
// lists one.
//
//   halvorine_archive_pack pack FOLDER ARCHIVE [options]
//   halvorine_archive_pack list ARCHIVE [key options]
//
// options: --version N (1-6, default 6), --key TEXT | --no-key | --second-key,
//          --compress auto|always|never, --codepage N (versions 4-6, default 65001)
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/pack/archive_write.h"

using namespace halvorine::pack;

namespace {

int usage()
{
  std::fprintf(stderr,
               "usage: halvorine_archive_pack pack FOLDER ARCHIVE [--version N] [--key TEXT | --no-key | --second-key]\n"
               "                              [--compress auto|always|never] [--codepage N]\n"
               "       halvorine_archive_pack list ARCHIVE [--key TEXT | --no-key | --second-key]\n");
  return 2;
}

bool parseOptions(int argc, char** argv, int from, ArchiveOptions& options)
{
  for (int i = from; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--version" && hasValue) options.version = std::atoi(argv[++i]);
    else if (a == "--key" && hasValue) options.key = ArchiveKey::String, options.keyString = argv[++i];
    else if (a == "--no-key") options.key = ArchiveKey::None;
    else if (a == "--second-key") options.key = ArchiveKey::Second;
    else if (a == "--codepage" && hasValue) options.codePage = std::atoi(argv[++i]);
    else if (a == "--compress" && hasValue) {
      const std::string m = argv[++i];
      if (m == "auto") options.compression = ArchiveCompression::Auto;
      else if (m == "always") options.compression = ArchiveCompression::Always;
      else if (m == "never") options.compression = ArchiveCompression::Never;
      else return false;
    } else return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 3) return usage();
  const std::string command = argv[1];
  ArchiveOptions options;
  std::string error;
  if (command == "pack" && argc >= 4) {
    if (!parseOptions(argc, argv, 4, options)) return usage();
    if (!writeArchive(argv[2], argv[3], options, error)) {
      std::fprintf(stderr, "halvorine_archive_pack: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (command == "list") {
    if (!parseOptions(argc, argv, 3, options)) return usage();
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<std::uint8_t> archive{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<ListedEntry> entries;
    if (!in.good() && !in.eof()) error = "cannot read archive";
    if (!listArchive(archive, options, entries, error)) {
      std::fprintf(stderr, "halvorine_archive_pack: %s\n", error.c_str());
      return 1;
    }
    for (const ListedEntry& e : entries) {
      if (e.directory) std::printf("%-10s %10s %10s %s\\\n", "dir", "", "", e.path.c_str());
      else
        std::printf("%-10s %10llu %10llu %s\n", e.compressed ? "lz" : "plain", static_cast<unsigned long long>(e.size),
                    static_cast<unsigned long long>(e.storedSize), e.path.c_str());
    }
    return 0;
  }
  return usage();
}
