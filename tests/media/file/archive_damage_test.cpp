// Damaged archives are refused whole, without reading outside any buffer, and the
// disk is read instead.
#include <gtest/gtest.h>

#include <functional>

#include "media/file/archive.h"
#include "media/file/archive_set.h"
#include "media/file/file_access.h"
#include "tests/media/file/archive_testing.h"

using namespace ZaDod;
using namespace filetest;

namespace {

using Edit = std::function<void(std::vector<std::uint8_t>& archive, const ArchiveHeader& h)>;

struct Layout {
  int version;
  std::uint64_t entryBytes, directoryBytes, field;
};

class DamagedArchive : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override
  {
    files.write(dir / "src");
    good = packFolder(dir / "src", GetParam(), "abc");
    writeFile(dir / "game/data/IMG/B.BIN", {'d', 'i', 's', 'k'});
  }
  void TearDown() override
  {
    TerminateArchiveReader();
    SetArchiveKeyString(nullptr);
  }

  // Applies edit to the unscrambled tables and checks that the archive (or with
  // tablesGood only the entry) is refused from memory in every mode and from a file,
  // where the disk file is read instead.
  void expectRefused(const Edit& edit, bool tablesGood = false)
  {
    std::vector<std::uint8_t> image = good;
    const ArchiveHeader h = openTables(image, "abc");
    edit(image, h);
    sealTables(image, h, "abc");
    for (int mode = 0; mode < 3; ++mode) {
      std::vector<std::uint8_t> copy = image;
      Archive archive;
      const int result = ArchiveOpenFromMemory(&archive, copy.data(), copy.size(), mode == 0, mode == 1, "abc", nullptr);
      EXPECT_EQ(result, tablesGood ? 0 : -1);
      if (result == 0) ArchiveClose(&archive);
      else EXPECT_EQ(copy, image);
    }
    writeFile(dir / "game/data.zda", image);
    InFolder in(dir.path());
    SetArchiveKeyString("abc");
    TerminateArchiveReader();
    const FileStream s = FileAccessOpen(u"game\\data\\img\\b.bin", 0, 1, 0);
    ASSERT_NE(s, 0u);
    char text[8] = {};
    EXPECT_EQ(FileAccessRead(text, 1, 8, s), 4u);
    EXPECT_STREQ(text, "disk");
    FileAccessClose(s);
  }

  Layout layout() const
  {
    const int v = GetParam();
    return {v, ArchiveFileEntryBytes(v), ArchiveDirectoryBytes(v), static_cast<std::uint64_t>(ArchiveFieldBytes(v))};
  }
  // The head-block offset of directory record d and of entry e.
  static std::uint64_t dirAt(const ArchiveHeader& h, std::uint64_t d) { return h.HeadStart + h.DirectoryTableStart + d; }
  static std::uint64_t entryAt(const ArchiveHeader& h, std::uint64_t e) { return h.HeadStart + h.FileTableStart + e; }
  void put(std::vector<std::uint8_t>& a, std::uint64_t at, std::uint64_t v, std::uint64_t bytes)
  {
    ArchiveWriteLE(a.data() + at, v, static_cast<int>(bytes));
  }

  TempFolder dir;
  SampleFiles files;
  std::vector<std::uint8_t> good;
};

TEST_P(DamagedArchive, UndamagedArchiveIsRead)
{
  Archive archive;
  std::vector<std::uint8_t> image = good;
  ASSERT_EQ(ArchiveOpenFromMemory(&archive, image.data(), image.size(), 0, 0, "abc", nullptr), 0);
  ArchiveClose(&archive);
  writeFile(dir / "game/data.zda", good);
  InFolder in(dir.path());
  SetArchiveKeyString("abc");
  const FileStream s = FileAccessOpen(u"game\\data\\img\\b.bin", 0, 1, 0);
  ASSERT_NE(s, 0u);
  std::vector<std::uint8_t> out(6000);
  EXPECT_EQ(FileAccessRead(out.data(), 1, out.size(), s), 5000u);
  out.resize(5000);
  EXPECT_EQ(out, files.b);
  FileAccessClose(s);
}

TEST_P(DamagedArchive, CutHeadersAndBlocks)
{
  for (std::size_t size : {std::size_t{3}, std::size_t{10}, std::size_t{40}, good.size() - 1}) {
    std::vector<std::uint8_t> image(good.begin(), good.begin() + static_cast<long>(size));
    Archive archive;
    EXPECT_EQ(ArchiveOpenFromMemory(&archive, image.data(), image.size(), 1, 0, "abc", nullptr), -1) << size;
  }
}

TEST_P(DamagedArchive, OffsetsOutOfRange)
{
  const Layout l = layout();
  const std::uint64_t f = l.field;
  const int v = l.version;
  const std::uint64_t headAt = v >= 6 ? 16 : 12, fileTableAt = v >= 6 ? 24 : 16, dirTableAt = v >= 6 ? 32 : 20;
  expectRefused([&](auto& a, auto& h) { put(a, headAt, h.HeadStart + 1, f); });
  expectRefused([&](auto& a, auto&) { put(a, 4, 0xFFFFFF00u, 4); });
  expectRefused([&](auto& a, auto& h) { put(a, fileTableAt, h.HeadSize + 8, f); });
  expectRefused([&](auto& a, auto& h) { put(a, dirTableAt, h.HeadSize - 4, f); });
  // The root's entry range past the file table.
  expectRefused([&](auto& a, auto& h) { put(a, dirAt(h, 0) + 2 * f, 1000000, f); });
  // A file's data past the end of the archive.
  expectRefused([&](auto& a, auto& h) {
    // Root entries: IMG; IMG's entries follow it: A.PNG, B.BIN.
    put(a, entryAt(h, 2 * l.entryBytes) + ArchiveEntryFieldOffset(v, ArchiveEntryDataAddressField), a.size(), f);
  });
}

TEST_P(DamagedArchive, NamesPastTheHeadBlock)
{
  const Layout l = layout();
  expectRefused([&](auto& a, auto& h) { put(a, entryAt(h, l.entryBytes), h.HeadSize - 2, l.field); });
  expectRefused([&](auto& a, auto& h) {
    const std::uint64_t name = ArchiveReadLE(a.data() + entryAt(h, l.entryBytes), static_cast<int>(l.field));
    put(a, h.HeadStart + name, 0xFFFF, 2);
  });
}

TEST_P(DamagedArchive, DirectoryLoops)
{
  const Layout l = layout();
  // IMG points back at the root; IMG's record names the root as itself; IMG's parent
  // is itself.
  expectRefused([&](auto& a, auto& h) {
    put(a, entryAt(h, 0) + ArchiveEntryFieldOffset(l.version, ArchiveEntryDataAddressField), 0, l.field);
  });
  expectRefused([&](auto& a, auto& h) { put(a, dirAt(h, l.directoryBytes), 0, l.field); });
  expectRefused([&](auto& a, auto& h) { put(a, dirAt(h, l.directoryBytes) + l.field, l.directoryBytes, l.field); });
  // IMG's entries start at IMG's own entry, which would list IMG inside itself.
  expectRefused([&](auto& a, auto& h) { put(a, dirAt(h, l.directoryBytes) + 3 * l.field, 0, l.field); });
}

TEST_P(DamagedArchive, LzSizesThatDisagreeWithTheEntry)
{
  const Layout l = layout();
  if (l.version < 2) GTEST_SKIP();
  const std::uint64_t bEntry = 2 * l.entryBytes;
  const auto field = [&](int which) { return ArchiveEntryFieldOffset(l.version, which); };
  // A different data size in the entry than in the stream.
  expectRefused([&](auto& a, auto& h) { put(a, entryAt(h, bEntry) + field(ArchiveEntryDataSizeField), 4999, l.field); }, true);
  expectRefused([&](auto& a, auto& h) { put(a, entryAt(h, bEntry) + field(ArchiveEntryDataSizeField), 9000, l.field); }, true);
  // A stored size smaller than the stream says.
  expectRefused([&](auto& a, auto& h) {
    const std::uint64_t stored = ArchiveReadLE(a.data() + entryAt(h, bEntry) + field(ArchiveEntryStoredSizeField), 4);
    put(a, entryAt(h, bEntry) + field(ArchiveEntryStoredSizeField), stored - 1, l.field);
  }, true);
}

INSTANTIATE_TEST_SUITE_P(Versions, DamagedArchive, ::testing::Values(5, 6));

}  // namespace
