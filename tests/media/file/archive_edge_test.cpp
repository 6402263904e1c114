// Entries of archives at the edges: empty, one byte, one key period, one disk read
// block and a byte either side, the archive's last entry, the longest name a folder
// can hold; read in steps that cross block boundaries, sought to the end and past it,
// on every way of opening; and an archive kept open by an entry across the reader's
// end and start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "media/base/thread.h"
#include "media/file/archive.h"
#include "media/file/archive_set.h"
#include "media/file/file_access.h"
#include "media/file/win_file.h"
#include "tests/media/file/archive_testing.h"

using namespace ZaDod;
using namespace filetest;

namespace {

constexpr std::size_t kBlock = WinFileCacheBytes;

struct Entry {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

std::vector<Entry> edgeEntries()
{
  const std::string longest = std::string(251, 'N') + ".BIN";  // 255 bytes: the most a folder holds
  return {
      {"E0", {}},
      {"S1", {0x5A}},
      {"K12", noise(12, 1)},
      {"BLOCKLESS", noise(kBlock - 1, 2)},
      {"BLOCK", noise(kBlock, 3)},
      {"BLOCKMORE", noise(kBlock + 1, 4)},
      {"PACKED", pattern(kBlock + 1)},
      {longest, noise(777, 5)},
      {"ZZLAST", noise(3001, 6)},  // sorted last: its bytes end the data area
  };
}

// Opens an entry and reads it whole in steps of step bytes, waiting for each
// asynchronous read to arrive.
std::vector<std::uint8_t> readInSteps(const std::u16string& path, int cache, int async, std::size_t step)
{
  const FileStream s = FileAccessOpen(path.c_str(), cache, 1, async);
  if (!s) return {9, 9, 9};
  std::vector<std::uint8_t> out, chunk(step);
  for (;;) {
    const std::size_t n = FileAccessRead(chunk.data(), 1, step, s);
    while (!FileAccessIdleCheck(s)) Thread_Sleep(1);
    if (n == 0) break;
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
  }
  EXPECT_EQ(FileAccessEof(s), -1);
  EXPECT_EQ(FileAccessClose(s), 0);
  return out;
}

std::u16string inner(const std::string& name) { return u"game\\data\\" + std::u16string(name.begin(), name.end()); }

class ArchiveEdges : public ::testing::Test {
 protected:
  void TearDown() override
  {
    TerminateArchiveReader();
    SetArchiveKeyString(nullptr);
  }
  void pack(int version)
  {
    TerminateArchiveReader();
    for (const Entry& e : entries) writeFile(dir / ("src/" + e.name), e.bytes);
    writeFile(dir / "game/data.zda", packFolder(dir / "src", version, "edge"));
    SetArchiveKeyString("edge");
  }
  TempFolder dir;
  std::vector<Entry> entries = edgeEntries();
};

TEST_F(ArchiveEdges, EveryEntryReadsByteExactInEveryOpeningAndStep)
{
  for (int version : {4, 6}) {
    pack(version);
    InFolder in(dir.path());
    for (const Entry& e : entries)
      for (int mode = 0; mode < 4; ++mode)
        for (std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{4093}, kBlock + 5}) {
          if (e.bytes.size() > (step == 1 ? 16 : step < 100 ? 4096 : kBlock * 2)) continue;  // small steps: small entries
          SCOPED_TRACE(testing::Message() << "v" << version << " " << e.name.substr(0, 12) << " cache "
                                          << (mode & 1) << " async " << (mode >> 1) << " step " << step);
          EXPECT_EQ(readInSteps(inner(e.name), mode & 1, mode >> 1, step), e.bytes);
        }
  }
}

// Seeks to block boundaries, the end and past it; reads that cross a boundary bring
// the bytes on both sides; at the end a read gives nothing and sets the end flag.
TEST_F(ArchiveEdges, SeeksToBoundariesTheEndAndPastIt)
{
  pack(6);
  InFolder in(dir.path());
  for (const Entry& e : entries)
    for (int mode = 0; mode < 4; ++mode) {
      SCOPED_TRACE(testing::Message() << e.name.substr(0, 12) << " mode " << mode);
      const FileStream s = FileAccessOpen(inner(e.name).c_str(), mode & 1, 1, mode >> 1);
      ASSERT_NE(s, 0u);
      const auto size = static_cast<std::int64_t>(e.bytes.size());
      const struct {
        std::int64_t offset;
        int origin;
      } seeks[] = {{static_cast<std::int64_t>(kBlock) - 3, FileSeekSet}, {0, FileSeekEnd}, {1, FileSeekEnd},
                   {size + 100, FileSeekSet}, {-1, FileSeekEnd}, {-size - 5, FileSeekCurrent}, {5, FileSeekCurrent}};
      std::int64_t position = 0;
      for (const auto& k : seeks) {
        const std::int64_t base = k.origin == FileSeekSet ? 0 : k.origin == FileSeekEnd ? size : position;
        const std::int64_t at = std::clamp<std::int64_t>(base + k.offset, 0, size);
        EXPECT_EQ(FileAccessSeek(s, k.offset, k.origin), 0);
        EXPECT_EQ(FileAccessTell(s), at) << k.offset << " from " << k.origin;
        EXPECT_EQ(FileAccessEof(s), 0);
        std::uint8_t got[8] = {};
        const std::size_t n = FileAccessRead(got, 1, sizeof got, s);
        while (!FileAccessIdleCheck(s)) Thread_Sleep(1);
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(8, size - at));
        ASSERT_EQ(n, want);
        EXPECT_TRUE(std::equal(got, got + n, e.bytes.begin() + at));
        position = at + static_cast<std::int64_t>(n);
        EXPECT_EQ(FileAccessTell(s), position);
        if (n == 0) EXPECT_EQ(FileAccessEof(s), -1);
      }
      EXPECT_EQ(FileAccessClose(s), 0);
    }
}

// The longest name is found by name and by pattern with its letter case; one unit
// longer, or one short, names nothing.
TEST_F(ArchiveEdges, LongestNameIsFoundAndItsNeighboursAreNot)
{
  pack(6);
  InFolder in(dir.path());
  const std::string longest = entries[7].name;
  FileInfo info;
  const FindHandle find = FileAccessFindFirst(inner(std::string(longest).replace(0, 1, "n")).c_str(), &info);
  ASSERT_NE(find, -1);
  EXPECT_EQ(std::u16string(info.Name), std::u16string(longest.begin(), longest.end()));
  EXPECT_EQ(info.Size, 777u);
  FileAccessFindClose(find);
  for (const std::string& near : {"N" + longest, longest.substr(1)}) EXPECT_EQ(FileAccessOpen(inner(near).c_str(), 0, 1, 0), 0u);
  for (std::size_t units : {std::size_t{511}, std::size_t{512}, std::size_t{1600}})
    EXPECT_EQ(FileAccessOpen(inner(std::string(units, 'N')).c_str(), 0, 1, 0), 0u) << units;
}

// An entry left open keeps its archive through the reader's end and start: later
// opens use the same archive, with the key it was opened with, and the open entry
// reads on where it was. Once nothing is open the archive goes, and the new key
// applies.
TEST_F(ArchiveEdges, OpenEntryKeepsItsArchiveAcrossTheReadersEndAndStart)
{
  pack(6);
  InFolder in(dir.path());
  for (int async = 0; async < 2; ++async) {
    SCOPED_TRACE(async);
    const Entry& kept = entries[5];
    const FileStream s = FileAccessOpen(inner(kept.name).c_str(), 1, 1, async);
    ASSERT_NE(s, 0u);
    std::vector<std::uint8_t> got(kept.bytes.size());
    const std::size_t half = kBlock / 2 + 1;
    EXPECT_EQ(FileAccessRead(got.data(), 1, half, s), half);
    while (!FileAccessIdleCheck(s)) Thread_Sleep(1);

    for (int cycle = 0; cycle < 3; ++cycle) {
      EXPECT_EQ(readInSteps(inner("ZZLAST"), 0, async, 1000), entries[8].bytes);
      TerminateArchiveReader();
      SetArchiveKeyString("another");
      InitializeArchiveReader();
      EXPECT_EQ(readInSteps(inner("K12"), 0, async, 5), entries[2].bytes);
      SetArchiveKeyString("edge");
    }
    EXPECT_EQ(FileAccessRead(got.data() + half, 1, got.size(), s), got.size() - half);
    while (!FileAccessIdleCheck(s)) Thread_Sleep(1);
    EXPECT_EQ(got, kept.bytes);
    EXPECT_EQ(FileAccessClose(s), 0);

    TerminateArchiveReader();
    SetArchiveKeyString("another");
    EXPECT_EQ(FileAccessOpen(inner("K12").c_str(), 0, 1, 0), 0u);
    SetArchiveKeyString("edge");
    TerminateArchiveReader();
  }
}

}  // namespace
