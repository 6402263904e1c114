// Tests of media/file/file_handle: file handles (handle type 17 "File").
#include <gtest/gtest.h>

#include "media/base/handle.h"
#include "media/base/thread.h"
#include "media/file/archive.h"
#include "media/file/async_load.h"
#include "media/file/file_access.h"
#include "media/file/file_handle.h"
#include "platform/win/win_thread.h"
#include "tests/media/file/archive_testing.h"

using namespace ZaDod;
using namespace filetest;

namespace {

// Every byte value but 0xFF, which the one-byte read cannot tell from the end.
std::vector<std::uint8_t> sourceBytes()
{
  std::vector<std::uint8_t> bytes(3000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 255);
  return bytes;
}

// The compiler's loop: an end test before every byte.
std::vector<std::uint8_t> scan(const char* path)
{
  const int handle = OpenFileHandle(path, 0);
  EXPECT_GT(handle, 0) << path;
  std::vector<std::uint8_t> out;
  if (handle <= 0) return out;
  while (IsFileHandleAtEnd(handle) == 0) out.push_back(static_cast<std::uint8_t>(ReadFileHandleChar(handle)));
  EXPECT_EQ(IsFileHandleAtEnd(handle), 1);
  EXPECT_EQ(ReadFileHandleChar(handle), -1);
  EXPECT_EQ(SubHandle(handle), 0);
  return out;
}

class FileHandles : public ::testing::Test {
 protected:
  void TearDown() override
  {
    TerminateArchiveReader();
    SetArchiveKeyString(nullptr);
  }
  TempFolder dir;
};

TEST_F(FileHandles, ScannerLoopReadsExactBytesFromDiskAndArchive)
{
  const auto bytes = sourceBytes();
  writeFile(dir / "disk/src/main.kvj", bytes);
  writeFile(dir / "pack/inc/lib.kvj", bytes);
  writeFile(dir / "game/scripts.zda", packFolder(dir / "pack", 6, "abc"));
  InFolder in(dir.path());
  SetArchiveKeyString("abc");
  EXPECT_EQ(scan("disk/src/main.kvj"), bytes);
  EXPECT_EQ(scan("DISK\\SRC\\MAIN.KVJ"), bytes);  // reaches the lower-case file
  EXPECT_EQ(scan("game\\scripts\\inc\\lib.kvj"), bytes);
  EXPECT_EQ(OpenFileHandle("disk/src/none.kvj", 0), 0);
  EXPECT_EQ(IsFileHandleAtEnd(12345), -1);
  EXPECT_EQ(ReadFileHandleChar(12345), 0);
}

TEST_F(FileHandles, ReadsBlocks)
{
  const auto bytes = noise(10000, 5);
  writeFile(dir / "f.bin", bytes);
  InFolder in(dir.path());
  const int handle = OpenFileHandle("f.bin", 0);
  ASSERT_GT(handle, 0);
  std::vector<std::uint8_t> out(12000);
  EXPECT_EQ(ReadFileHandle(out.data(), 4000, handle), 4000);
  EXPECT_EQ(ReadFileHandle(out.data() + 4000, 8000, handle), 6000);
  out.resize(10000);
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(ReadFileHandle(out.data(), 1, handle), 0);
  SubHandle(handle);
  EXPECT_EQ(ReadFileHandle(out.data(), 1, handle), -1);
}

TEST_F(FileHandles, AsynchronousOpenAndReadRunOnTheWorkers)
{
  const auto bytes = noise(200000, 6);
  writeFile(dir / "f.bin", bytes);
  InFolder in(dir.path());
  ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
  ASSERT_EQ(SetupASyncLoadThread(4), 0);
  SetUseASyncLoadFlag(1);

  const int handle = OpenFileHandle("f.bin", 1);
  ASSERT_GT(handle, 0);
  EXPECT_EQ(WaitHandleASyncLoad(handle), 0);
  std::vector<std::uint8_t> out(bytes.size());
  EXPECT_EQ(ReadFileHandle(out.data(), out.size(), handle), 0);
  EXPECT_EQ(WaitHandleASyncLoad(handle), 0);
  EXPECT_EQ(GetHandleInfo(handle)->ASyncResult, static_cast<int>(bytes.size()));
  EXPECT_EQ(out, bytes);
  SubHandle(handle);

  // A file that cannot be opened: the worker deletes the handle.
  const int missing = OpenFileHandle("none.bin", 0);
  ASSERT_GT(missing, 0);
  WaitHandleASyncLoad(missing);
  for (int i = 0; i < 1000 && GetHandleInfo(missing); ++i) Thread_Sleep(1);
  EXPECT_EQ(GetHandleInfo(missing), nullptr);

  SetUseASyncLoadFlag(0);
  TerminateASyncLoadThread();
  TerminateASyncLoad();
  TerminateFileHandles();
}

}  // namespace
