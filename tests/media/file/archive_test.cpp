// Tests of media/file/archive: archives of the media layer (format in archive_format.h).
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "media/base/charcode.h"
#include "media/base/thread.h"
#include "media/file/archive.h"
#include "media/file/archive_set.h"
#include "media/file/file_access.h"
#include "tests/media/file/archive_testing.h"

using namespace ZaDod;
using namespace filetest;

namespace {

std::vector<std::uint8_t> readAll(const char16_t* path, int async = 0)
{
  const FileStream s = FileAccessOpen(path, 0, 1, async);
  if (!s) return {9, 9, 9};
  std::vector<std::uint8_t> out;
  std::uint8_t chunk[777];
  for (;;) {
    const std::size_t n = FileAccessRead(chunk, 1, sizeof chunk, s);
    while (!FileAccessIdleCheck(s)) Thread_Sleep(1);
    if (n == 0) break;
    out.insert(out.end(), chunk, chunk + n);
  }
  EXPECT_EQ(FileAccessEof(s), -1);
  EXPECT_EQ(FileAccessClose(s), 0);
  return out;
}

class ArchiveSetTest : public ::testing::Test {
 protected:
  void TearDown() override
  {
    TerminateArchiveReader();
    SetArchiveKeyString(nullptr);
    SetArchiveExtension("");
  }
  TempFolder dir;
  SampleFiles files;
};

TEST_F(ArchiveSetTest, ReadsEntriesOfEveryVersionByteExact)
{
  for (int version : {1, 4, 5, 6}) {
    SCOPED_TRACE(version);
    const std::string root = dir / ("v" + std::to_string(version));
    files.write(root + "/src");
    if (version == 1) std::filesystem::remove(root + "/src/IMG/B.BIN");
    writeFile(root + "/game/data.zda", packFolder(root + "/src", version, "abc"));
    InFolder in(root);
    SetArchiveKeyString("abc");
    EXPECT_EQ(readAll(u"game\\data\\img\\a.png"), files.a);
    if (version >= 2) {
      EXPECT_EQ(readAll(u"GAME\\DATA\\IMG\\b.bin"), files.b);
    }

    const FileStream s = FileAccessOpen(u"game/data/IMG/A.PNG", 0, 1, 0);
    ASSERT_NE(s, 0u);
    EXPECT_EQ(FileAccessSeek(s, -1, FileSeekSet), 0);
    EXPECT_EQ(FileAccessTell(s), 0);
    EXPECT_EQ(FileAccessSeek(s, 10, FileSeekEnd), 0);
    EXPECT_EQ(FileAccessTell(s), 1000);
    FileAccessSeek(s, 990, FileSeekSet);
    std::uint8_t out[64];
    EXPECT_EQ(FileAccessRead(out, 1, sizeof out, s), 10u);
    EXPECT_EQ(std::memcmp(out, files.a.data() + 990, 10), 0);
    EXPECT_EQ(FileAccessEof(s), 0);
    EXPECT_EQ(FileAccessRead(out, 1, sizeof out, s), 0u);
    EXPECT_EQ(FileAccessEof(s), -1);
    EXPECT_EQ(FileAccessClose(s), 0);

    // Archives already open keep their key; a new look-up with another key fails, and
    // the disk has no such file.
    TerminateArchiveReader();
    SetArchiveKeyString("xyz");
    EXPECT_EQ(FileAccessOpen(u"game\\data\\img\\a.png", 0, 1, 0), 0u);
    TerminateArchiveReader();
  }
}

// An archive packed with the second key opens whatever key is set; one packed without
// a key opens with an empty key string.
TEST_F(ArchiveSetTest, SecondKeyAndEmptyKey)
{
  files.write(dir / "src");
  const struct {
    halvorine::pack::ArchiveKey packed;
    const char* set;
  } cases[] = {{halvorine::pack::ArchiveKey::Second, "anything"}, {halvorine::pack::ArchiveKey::None, ""}};
  for (const auto& c : cases) {
    TerminateArchiveReader();
    writeFile(dir / "game/data.zda", packFolder(dir / "src", 5, "", c.packed));
    InFolder in(dir.path());
    SetArchiveKeyString(c.set);
    EXPECT_EQ(readAll(u"game\\data\\img\\b.bin"), files.b) << c.set;
  }
}

TEST_F(ArchiveSetTest, ExtensionAndDiskFallback)
{
  files.write(dir / "src");
  writeFile(dir / "game/data.pak", packFolder(dir / "src", 6, "abc"));
  writeFile(dir / "game/data/IMG/C.TXT", {'d', 'i', 's', 'k'});
  InFolder in(dir.path());
  SetArchiveKeyString("abc");
  EXPECT_EQ(FileAccessOpen(u"game\\data\\img\\a.png", 0, 1, 0), 0u);
  SetArchiveExtension("pak");
  EXPECT_EQ(readAll(u"game\\data\\img\\a.png"), files.a);
  // Not in the archive: the disk file of that path.
  EXPECT_EQ(readAll(u"game\\data\\IMG\\C.TXT"), (std::vector<std::uint8_t>{'d', 'i', 's', 'k'}));
  SetArchiveExtension(std::string(64, 'p').c_str());
  TerminateArchiveReader();
  EXPECT_EQ(FileAccessOpen(u"game\\data\\img\\a.png", 0, 1, 0), 0u);
}

TEST_F(ArchiveSetTest, AsynchronousInnerReadsCompleteThroughTheWorker)
{
  files.a = noise(300000, 12);
  files.write(dir / "src");
  writeFile(dir / "game/data.zda", packFolder(dir / "src", 4, "abc"));
  InFolder in(dir.path());
  SetArchiveKeyString("abc");
  EXPECT_EQ(readAll(u"game\\data\\img\\a.png", 1), files.a);
  EXPECT_EQ(readAll(u"game\\data\\img\\b.bin", 1), files.b);
}

std::vector<std::u16string> findAll(const char16_t* pattern, std::vector<FileInfo>* infos = nullptr)
{
  std::vector<std::u16string> names;
  FileInfo info;
  const FindHandle find = FileAccessFindFirst(pattern, &info);
  if (find == -1) return names;
  do {
    names.push_back(info.Name);
    if (infos) infos->push_back(info);
  } while (FileAccessFindNext(find, &info) == 0);
  EXPECT_EQ(FileAccessFindClose(find), 0);
  return names;
}

TEST_F(ArchiveSetTest, FindMatchesWholeNames)
{
  writeFile(dir / "src/ABC", {1, 2, 3});
  writeFile(dir / "src/AB", {1});
  files.write(dir / "src");
  writeFile(dir / "game/data.zda", packFolder(dir / "src", 6, "abc"));
  InFolder in(dir.path());
  SetArchiveKeyString("abc");
  EXPECT_EQ(findAll(u"game\\data\\a*c"), (std::vector<std::u16string>{u"ABC"}));
  EXPECT_EQ(findAll(u"game\\data\\ab"), (std::vector<std::u16string>{u"AB"}));
  EXPECT_EQ(findAll(u"game\\data\\abcd"), (std::vector<std::u16string>{}));
  EXPECT_EQ(findAll(u"game\\data\\*"), (std::vector<std::u16string>{u"AB", u"ABC", u"IMG", u"."}));

  std::vector<FileInfo> infos;
  EXPECT_EQ(findAll(u"game\\data\\img\\*", &infos), (std::vector<std::u16string>{u"A.PNG", u"B.BIN", u".", u".."}));
  ASSERT_EQ(infos.size(), 4u);
  EXPECT_EQ(infos[0].DirFlag, 0u);
  EXPECT_EQ(infos[0].Size, 1000u);
  EXPECT_EQ(infos[1].Size, 5000u);
  EXPECT_GE(infos[0].LastWriteTime.Year, 2020);
  EXPECT_EQ(infos[2].DirFlag, 1u);
  EXPECT_EQ(infos[3].Size, 0u);
  EXPECT_EQ(infos[3].LastWriteTime.Year, 0);
}

// ---- Memory archives ----

class MemoryArchive : public ::testing::Test {
 protected:
  void SetUp() override
  {
    files.write(dir / "src");
    for (int v : {4, 6}) images[v] = packFolder(dir / "src", v, "abc");
  }
  TempFolder dir;
  SampleFiles files;
  std::map<int, std::vector<std::uint8_t>> images;
};

TEST_F(MemoryArchive, OpensInEveryModeAndLocatesPlainEntries)
{
  for (int version : {4, 6})
    for (int mode = 0; mode < 3; ++mode) {
      SCOPED_TRACE(version * 10 + mode);
      std::vector<std::uint8_t> image = images[version];
      const std::vector<std::uint8_t> original = image;
      Archive archive;
      ArchiveInitialize(&archive);
      ASSERT_EQ(ArchiveOpenFromMemory(&archive, image.data(), image.size(), mode == 0, mode == 1, "abc", u"mem"), 0);
      std::uint64_t offset = 0, size = 0;
      ASSERT_EQ(ArchiveGetFileLocation(&archive, CodePageUtf16LE, u"img\\a.png", &offset, &size), 0);
      EXPECT_EQ(size, 1000u);
      const auto* bytes = static_cast<const std::uint8_t*>(ArchiveGetImage(&archive));
      if (mode == 1) {
      EXPECT_EQ(image, original);
    }
      if (mode == 0) {
      EXPECT_NE(bytes, image.data());
    }
      if (mode != 1) {
      EXPECT_TRUE(std::equal(files.a.begin(), files.a.end(), bytes + offset));
    }
      EXPECT_EQ(ArchiveGetFileLocation(&archive, CodePageUtf16LE, u"img\\b.bin", &offset, &size), -1);
      EXPECT_EQ(ArchiveGetFileLocation(&archive, CodePageUtf16LE, u"img\\none", &offset, &size), -1);
      EXPECT_EQ(ArchiveClose(&archive), 0);
      if (mode == 0) {
      EXPECT_EQ(image, original);
    }
    }
}

TEST_F(MemoryArchive, RefusedInPlaceOpenLeavesTheImage)
{
  std::vector<std::uint8_t> image = images[4];
  image.back() ^= 0x80;  // the high byte of the last directory's first-entry field
  const std::vector<std::uint8_t> damaged = image;
  Archive archive;
  EXPECT_EQ(ArchiveOpenFromMemory(&archive, image.data(), image.size(), 0, 0, "abc", nullptr), -1);
  EXPECT_EQ(image, damaged);
  image = images[4];
  EXPECT_EQ(ArchiveOpenFromMemory(&archive, image.data(), image.size(), 0, 0, "xyz", nullptr), -1);
  EXPECT_EQ(image, images[4]);
}

}  // namespace
