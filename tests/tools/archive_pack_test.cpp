// Tests of the archive packer in tools/pack.
#include <gtest/gtest.h>

#include <unistd.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/pack/archive_write.h"

using namespace halvorine::pack;

namespace {

struct Folder {
  std::string path;
  Folder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvorine-pack-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Folder() { std::filesystem::remove_all(path); }
  void file(const std::string& name, const std::string& text)
  {
    std::filesystem::create_directories(std::filesystem::path(path + "/" + name).parent_path());
    std::ofstream(path + "/" + name, std::ios::binary) << text;
  }
};

TEST(ArchivePacker, ListsWhatItPackedInEveryVersionAndCodePage)
{
  Folder src;
  src.file("readme.txt", "plain text that is short");
  src.file("img/\xE7\x94\xBB\xE5\x83\x8F.bin", std::string(4000, 'a'));  // a Japanese name
  src.file("img/deep/x", "");
  for (int version = 1; version <= 6; ++version)
    for (int codePage : {932, 1200, 65001}) {
      SCOPED_TRACE(version * 100000 + codePage);
      ArchiveOptions options;
      options.version = version;
      options.codePage = codePage;
      options.key = ArchiveKey::String;
      options.keyString = "a long key string";
      std::vector<std::uint8_t> archive;
      std::string error;
      ASSERT_TRUE(packArchive(src.path, options, archive, error)) << error;
      std::vector<ListedEntry> entries;
      ASSERT_TRUE(listArchive(archive, options, entries, error)) << error;
      ASSERT_EQ(entries.size(), 5u);
      EXPECT_EQ(entries[0].path, "img");
      EXPECT_TRUE(entries[0].directory);
      EXPECT_EQ(entries[1].path, "img\\deep");
      EXPECT_EQ(entries[2].path, "img\\deep\\x");
      EXPECT_EQ(entries[3].path, "img\\\xE7\x94\xBB\xE5\x83\x8F.bin");
      EXPECT_EQ(entries[3].size, 4000u);
      EXPECT_EQ(entries[3].compressed, version >= 2);
      EXPECT_EQ(entries[4].path, "readme.txt");
      EXPECT_FALSE(entries[4].compressed);

      options.keyString = "another";
      EXPECT_FALSE(listArchive(archive, options, entries, error));
    }
}

TEST(ArchivePacker, CompressionModesAndKeys)
{
  Folder src;
  src.file("a", "abcdefgh");
  ArchiveOptions options;
  std::vector<std::uint8_t> archive;
  std::vector<ListedEntry> entries;
  std::string error;
  options.compression = ArchiveCompression::Always;
  options.key = ArchiveKey::Second;
  ASSERT_TRUE(packArchive(src.path, options, archive, error));
  options.key = ArchiveKey::String;
  options.keyString = "whatever";  // the second key is tried when the set one fails
  ASSERT_TRUE(listArchive(archive, options, entries, error));
  EXPECT_TRUE(entries[0].compressed);
  EXPECT_GT(entries[0].storedSize, entries[0].size);

  options.compression = ArchiveCompression::Never;
  ASSERT_TRUE(packArchive(src.path, options, archive, error));
  ASSERT_TRUE(listArchive(archive, options, entries, error));
  EXPECT_FALSE(entries[0].compressed);

  options.version = 7;
  EXPECT_FALSE(packArchive(src.path, options, archive, error));
  options.version = 6;
  options.codePage = 12345;
  EXPECT_FALSE(packArchive(src.path, options, archive, error));
  options.codePage = 1252;
  src.file("\xE7\x94\xBB", "x");  // not in code page 1252
  EXPECT_FALSE(packArchive(src.path, options, archive, error));
  EXPECT_FALSE(packArchive(src.path + "/missing", options, archive, error));
}

}  // namespace

namespace {

int run(const std::string& arguments, std::string* output = nullptr)
{
  const std::string out = std::filesystem::temp_directory_path() / ("halvorine-pack-out-" + std::to_string(::getpid()));
  const int status = std::system((std::string(HALVORINE_BINARY_DIR) + "/tools/halvorine_archive_pack " + arguments +
                                  " > " + out + " 2>&1")
                                     .c_str());
  if (output) {
    std::ifstream in(out);
    output->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ArchivePackerTool, PacksAndLists)
{
  Folder src;
  src.file("dir/big.txt", std::string(3000, 'z'));
  src.file("small", "s");
  const std::string archive = src.path + "/../" + std::filesystem::path(src.path).filename().string() + ".zda";
  ASSERT_EQ(run("pack " + src.path + " " + archive + " --version 4 --key abc --compress auto"), 0);
  std::string listing;
  ASSERT_EQ(run("list " + archive + " --key abc", &listing), 0);
  EXPECT_NE(listing.find("lz"), std::string::npos);
  EXPECT_NE(listing.find("dir\\big.txt"), std::string::npos);
  EXPECT_NE(listing.find("small"), std::string::npos);
  EXPECT_EQ(run("list " + archive + " --key xyz"), 1);
  EXPECT_EQ(run("pack " + src.path + " " + archive + " --version 9"), 1);
  EXPECT_EQ(run("pack " + src.path), 2);
  EXPECT_EQ(run("pack " + src.path + " " + archive + " --compress sometimes"), 2);
  std::filesystem::remove(archive);
}

}  // namespace
