// Archives for the tests, made by the packer at test time.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "media/file/archive_format.h"
#include "tests/media/file/file_testing.h"
#include "tools/pack/archive_write.h"

namespace filetest {

inline std::vector<std::uint8_t> packFolder(const std::string& folder, int version, const std::string& key,
                                            halvorine::pack::ArchiveKey kind = halvorine::pack::ArchiveKey::String)
{
  halvorine::pack::ArchiveOptions options;
  options.version = version;
  options.key = kind;
  options.keyString = key;
  std::vector<std::uint8_t> archive;
  std::string error;
  EXPECT_TRUE(halvorine::pack::packArchive(folder, options, archive, error)) << error;
  return archive;
}

// IMG/A.PNG: 1000 bytes that do not compress; IMG/B.BIN: 5000 bytes that do.
struct SampleFiles {
  std::vector<std::uint8_t> a = noise(1000, 11);
  std::vector<std::uint8_t> b = pattern(5000);
  void write(const std::string& folder) const
  {
    writeFile(folder + "/IMG/A.PNG", a);
    writeFile(folder + "/IMG/B.BIN", b);
  }
};

// Runs in a folder and comes back.
class InFolder {
 public:
  explicit InFolder(const std::string& path)
  {
    char* cwd = ::getcwd(nullptr, 0);
    back_ = cwd;
    std::free(cwd);
    EXPECT_EQ(::chdir(path.c_str()), 0);
  }
  ~InFolder() { (void)::chdir(back_.c_str()); }

 private:
  std::string back_;
};

// The header and head block of a version 5 or 6 archive, unscrambled in place for
// editing; sealTables scrambles them again.
inline ZaDod::ArchiveHeader openTables(std::vector<std::uint8_t>& archive, const char* key)
{
  std::uint8_t k[ZaDod::ArchiveKeyBytes];
  ZaDod::ArchiveMakeKey(key, k);
  ZaDod::ArchiveApplyKey(archive.data(), 4, 0, k);
  const int version = archive[2];
  ZaDod::ArchiveApplyKey(archive.data() + 4, ZaDod::ArchiveHeaderBytes(version) - 4, 4, k);
  const ZaDod::ArchiveHeader h = ZaDod::ArchiveParseHeader(archive.data());
  ZaDod::ArchiveApplyKey(archive.data() + h.HeadStart, h.HeadSize, 0, k);
  return h;
}

inline void sealTables(std::vector<std::uint8_t>& archive, const ZaDod::ArchiveHeader& h, const char* key)
{
  std::uint8_t k[ZaDod::ArchiveKeyBytes];
  ZaDod::ArchiveMakeKey(key, k);
  ZaDod::ArchiveApplyKey(archive.data() + h.HeadStart, h.HeadSize, 0, k);
  ZaDod::ArchiveApplyKey(archive.data(), ZaDod::ArchiveHeaderBytes(h.Version), 0, k);
}

}  // namespace filetest
