// Tests of media/file/file_access: file access of the media layer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "media/file/archive_set.h"
#include "media/file/file_access.h"
#include "media/file/win_file.h"

using namespace ZaDod;

namespace {

TEST(MemStream, ReadsWholeElementsAndStopsAtTheEnd)
{
  const std::uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  MemStream* s = MemStreamOpen(data, sizeof data);
  ASSERT_NE(s, nullptr);
  const StreamFunctions* f = GetMemStreamFunctions();
  std::uint8_t out[12];
  std::memset(out, 0xEE, sizeof out);
  f->Seek(s, 4, FileSeekSet);
  EXPECT_EQ(f->Read(out, 4, 3, s), 1u);
  EXPECT_EQ(std::memcmp(out, data + 4, 4), 0);
  EXPECT_EQ(out[4], 0xEE);
  EXPECT_EQ(f->Tell(s), 8);
  // Two bytes left: less than one element, so nothing is copied and the end is marked.
  EXPECT_EQ(f->Read(out, 4, 3, s), 0u);
  EXPECT_EQ(f->Tell(s), 8);
  EXPECT_NE(f->Eof(s), 0);
  EXPECT_EQ(f->Read(out, 1, 5, s), 2u);
  EXPECT_EQ(f->Eof(s), 0);
  EXPECT_EQ(f->Read(out, 1, 1, s), 0u);
  EXPECT_NE(f->Eof(s), 0);

  f->Seek(s, -5, FileSeekSet);
  EXPECT_EQ(f->Tell(s), 0);
  f->Seek(s, 100, FileSeekCurrent);
  EXPECT_EQ(f->Tell(s), 10);
  f->Seek(s, -3, FileSeekEnd);
  EXPECT_EQ(f->Tell(s), 7);
  EXPECT_EQ(f->IdleCheck(s), 1);
  EXPECT_EQ(f->Close(s), 0);
}

std::u16string fullPath(const char16_t* path, const char16_t* base, std::size_t bytes = 512)
{
  char16_t out[256];
  if (MakeFullPath(path, out, bytes, base) != 0) return u"<fail>";
  return out;
}

TEST(MakeFullPath, ResolvesDrivesSeparatorsAndDots)
{
  const char16_t* base = u"C:\\data\\sub";
  EXPECT_EQ(fullPath(u"..\\x.png", base), u"C:\\data\\x.png");
  EXPECT_EQ(fullPath(u"\\a", base), u"C:\\a");
  EXPECT_EQ(fullPath(u"./a/./b/../c.txt", base), u"C:\\data\\sub\\a\\c.txt");
  EXPECT_EQ(fullPath(u"//srv/share/f", base), u"\\\\srv\\share\\f");
  EXPECT_EQ(fullPath(u"..", u"C:"), u"C:");
  EXPECT_EQ(fullPath(u"..\\..\\..\\..", base), u"C:");
  EXPECT_EQ(fullPath(u"D:/x//y", base), u"D:\\x\\y");
  EXPECT_EQ(fullPath(u"a", u"C:\\"), u"C:\\a");
  EXPECT_EQ(fullPath(nullptr, base), base);
}

TEST(MakeFullPath, RefusesWhatDoesNotFit)
{
  const char16_t* base = u"C:\\data\\sub";
  // "C:\data\sub\abc" is 15 units and its terminator.
  EXPECT_EQ(fullPath(u"abc", base, 16 * 2), u"C:\\data\\sub\\abc");
  EXPECT_EQ(fullPath(u"abc", base, 15 * 2), u"<fail>");
  EXPECT_EQ(fullPath(nullptr, base, 4), u"<fail>");
  std::u16string longName(9000, u'n');
  char16_t out[8192];
  EXPECT_EQ(MakeFullPath(longName.c_str(), out, sizeof out, base), -1);
}

// ---- The table and its settings ----

struct HostCalls {
  std::string lastPath;
  int opens = 0;
} host;

FileStream hostOpen(const char* path, int, int, int)
{
  host.lastPath = path;
  ++host.opens;
  return 42;
}
int hostClose(FileStream) { return 0; }
std::int64_t hostTell(FileStream) { return 7; }
int hostSeek(FileStream, std::int64_t, int) { return 0; }
std::size_t hostRead(void*, std::size_t, std::size_t, FileStream) { return 0; }
int hostEof(FileStream) { return 0; }
int hostIdle(FileStream) { return 1; }
int hostChangeDir(const char* path)
{
  host.lastPath = path;
  return 0;
}
int hostGetDir(char* buffer)
{
  std::strcpy(buffer, "C:\\host\\dir");
  return 0;
}
FindHandle hostFindFirst(const char* pattern, FileInfoA* info)
{
  host.lastPath = pattern;
  if (info) {
    std::memset(info, 0, sizeof *info);
    std::strcpy(info->Name, "found.txt");
    info->Size = 123;
    info->LastWriteTime.Year = 2001;
  }
  return 5;
}
int hostFindNext(FindHandle, FileInfoA*) { return -1; }
int hostFindClose(FindHandle) { return 0; }

const FileAccessFunctionsA hostSet{hostOpen, hostClose, hostTell, hostSeek,     hostRead,      hostEof,      hostIdle,
                                   hostChangeDir, hostGetDir, nullptr, hostFindFirst, hostFindNext, hostFindClose};

class FileTable : public ::testing::Test {
 protected:
  void TearDown() override
  {
    SetUserFileAccessFunctions(nullptr);
    SetUseArchive(1);
    SetUserFileAccessFunctions(nullptr);
  }
};

TEST_F(FileTable, HoldsTheDefaultSetFromTheStart)
{
  // Nothing has installed a set in this process before the first test.
  EXPECT_EQ(IsDefaultFileAccessFunctions(), 1);
  EXPECT_EQ(GetFileAccessTable()->Open, GetArchiveFileFunctions()->Open);
  SetUserFileAccessFunctions(nullptr);
  EXPECT_EQ(IsDefaultFileAccessFunctions(), 1);
}

TEST_F(FileTable, UseArchiveSwapsOnlyDefaultSets)
{
  SetUseArchive(0);
  EXPECT_EQ(GetFileAccessTable()->Open, GetWinFileFunctions()->Open);
  EXPECT_EQ(IsDefaultFileAccessFunctions(), 1);
  SetUseArchive(1);
  EXPECT_EQ(GetFileAccessTable()->Open, GetArchiveFileFunctions()->Open);

  SetUserFileAccessFunctions(&hostSet);
  EXPECT_EQ(IsDefaultFileAccessFunctions(), 0);
  const auto hostOpenSlot = GetFileAccessTable()->Open;
  SetUseArchive(0);
  EXPECT_EQ(GetFileAccessTable()->Open, hostOpenSlot);
  SetUseArchive(1);
  EXPECT_EQ(GetFileAccessTable()->Open, hostOpenSlot);
}

TEST_F(FileTable, HostAdaptersConvertPathsAndFindRecords)
{
  SetUserFileAccessFunctions(&hostSet);
  EXPECT_EQ(FileAccessOpen(u"C:\\game\\a.png", 0, 1, 0), 42u);
  EXPECT_EQ(host.lastPath, "C:\\game\\a.png");
  EXPECT_EQ(FileAccessTell(42), 7);
  char16_t dir[64];
  FileAccessGetDir(dir, sizeof dir);
  EXPECT_EQ(std::u16string(dir), u"C:\\host\\dir");
  FileInfo info;
  EXPECT_EQ(FileAccessFindFirst(u"C:\\game\\*", &info), 5);
  EXPECT_EQ(host.lastPath, "C:\\game\\*");
  EXPECT_EQ(std::u16string(info.Name), u"found.txt");
  EXPECT_EQ(info.Size, 123u);
  EXPECT_EQ(info.LastWriteTime.Year, 2001);
  EXPECT_EQ(FileAccessFindNext(5, &info), -1);

  // A path that cannot be handed over whole is not cut to another path.
  const int before = host.opens;
  std::u16string longPath(6000, u'x');
  EXPECT_EQ(FileAccessOpen(longPath.c_str(), 0, 1, 0), 0u);
  EXPECT_EQ(host.opens, before);
}

}  // namespace
