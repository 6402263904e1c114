// Tests of platform/win/find: directory listing over opendir/readdir/statx.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win/error.h"
#include "platform/win/file.h"
#include "platform/win/filetime.h"
#include "platform/win/find.h"

using namespace plat::win;

namespace {

struct Folder {
  std::string path;
  Folder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvorine-find-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Folder() { std::filesystem::remove_all(path); }
  void file(const std::string& name, std::size_t size)
  {
    std::ofstream(path + "/" + name, std::ios::binary) << std::string(size, 'x');
  }
  std::u16string pattern(const std::u16string& last) const
  {
    std::u16string out;
    for (char c : path) out += static_cast<char16_t>(c);
    return out + u"/" + last;
  }
};

std::vector<std::u16string> names(const std::u16string& pattern)
{
  std::vector<std::u16string> out;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return out;
  do out.push_back(data.cFileName);
  while (FindNextFileW(find, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(find));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(FindFile, MatchesStarsAndQuestionMarksWithoutCase)
{
  Folder f;
  f.file("Alpha.txt", 3);
  f.file("beta.TXT", 0);
  f.file("gamma.png", 1);
  f.file("ab", 1);
  std::filesystem::create_directory(f.path + "/Sub");
  EXPECT_EQ(names(f.pattern(u"*.txt")), (std::vector<std::u16string>{u"Alpha.txt", u"beta.TXT"}));
  EXPECT_EQ(names(f.pattern(u"?ETA.*")), (std::vector<std::u16string>{u"beta.TXT"}));
  EXPECT_EQ(names(f.pattern(u"a*")), (std::vector<std::u16string>{u"Alpha.txt", u"ab"}));
  EXPECT_EQ(names(f.pattern(u"*.*")).size(), 7u);  // with "." and ".."
  EXPECT_EQ(names(f.pattern(u"A")), (std::vector<std::u16string>{}));
  EXPECT_EQ(names(f.pattern(u"SUB")), (std::vector<std::u16string>{u"Sub"}));
  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW(f.pattern(u"none*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW((f.pattern(u"missing") + u"/*").c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST(FindFile, ReportsSizesAttributesAndTimes)
{
  Folder f;
  f.file("data.bin", 1234);
  std::filesystem::create_directory(f.path + "/dir");
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};  // 2001-09-09 01:46:40 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, (f.path + "/data.bin").c_str(), times, 0), 0);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(f.pattern(u"DATA.BIN").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  const std::uint64_t write = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(write, (1000000000ull + 11644473600ull) * 10000000ull);
  EXPECT_NE(data.ftCreationTime.dwHighDateTime | data.ftCreationTime.dwLowDateTime, 0u);
  FindClose(find);
  find = FindFirstFileW(f.pattern(u"dir").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  FindClose(find);
  EXPECT_FALSE(FindClose(find));
}

TEST(FindFile, SkipsNamesThatAreNotUtf8)
{
  Folder f;
  f.file("good", 1);
  f.file("bad\xff", 1);
  EXPECT_EQ(names(f.pattern(u"*")), (std::vector<std::u16string>{u".", u"..", u"good"}));
}

TEST(FindFile, PatternMatcherNeedsBothEndsTogether)
{
  EXPECT_TRUE(matchFindPattern(u"a*c", u"ABC"));
  EXPECT_TRUE(matchFindPattern(u"a*c", u"acbc"));
  EXPECT_FALSE(matchFindPattern(u"a*c", u"AB"));
  EXPECT_FALSE(matchFindPattern(u"ab", u"ABC"));
  EXPECT_FALSE(matchFindPattern(u"abc", u"AB"));
  EXPECT_FALSE(matchFindPattern(u"", u"x"));
  EXPECT_TRUE(matchFindPattern(u"**", u""));
  EXPECT_TRUE(matchFindPattern(u"?*?", u"xy"));
  EXPECT_FALSE(matchFindPattern(u"?*?", u"x"));
}

TEST(FileTime, ConvertsToCalendarAndLocalTime)
{
  SYSTEMTIME st;
  FILETIME t = fileTimeFromPosix(0, 0);
  EXPECT_EQ((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime, 116444736000000000ull);
  ASSERT_TRUE(FileTimeToSystemTime(&t, &st));
  EXPECT_EQ(st.wYear, 1970);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wDayOfWeek, 4);
  t = fileTimeFromPosix(951782400 + 3723, 5000000);  // 2000-02-29 01:02:03.005
  ASSERT_TRUE(FileTimeToSystemTime(&t, &st));
  EXPECT_EQ(st.wYear, 2000);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wHour, 1);
  EXPECT_EQ(st.wMinute, 2);
  EXPECT_EQ(st.wSecond, 3);
  EXPECT_EQ(st.wMilliseconds, 5);
  const FILETIME first{0, 0};
  ASSERT_TRUE(FileTimeToSystemTime(&first, &st));
  EXPECT_EQ(st.wYear, 1601);
  EXPECT_EQ(st.wDayOfWeek, 1);
  const FILETIME last{0xFFFFFFFFu, 0xFFFFFFFFu};
  EXPECT_FALSE(FileTimeToSystemTime(&last, &st));

  const char* tz = std::getenv("TZ");
  const std::string saved = tz ? tz : "";
  ::setenv("TZ", "UTC-9", 1);
  ::tzset();
  FILETIME local;
  t = fileTimeFromPosix(0, 0);
  ASSERT_TRUE(FileTimeToLocalFileTime(&t, &local));
  ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
  EXPECT_EQ(st.wHour, 9);
  if (tz) ::setenv("TZ", saved.c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

TEST(TempPath, FollowsTmpdir)
{
  const char* saved = std::getenv("TMPDIR");
  const std::string keep = saved ? saved : "";
  ::setenv("TMPDIR", "/var/tmp", 1);
  char16_t buffer[64];
  EXPECT_EQ(GetTempPathW(64, buffer), 11u);
  EXPECT_EQ(std::u16string(buffer), u"C:\\var\\tmp\\");
  EXPECT_EQ(GetTempPathW(5, buffer), 12u);
  ::unsetenv("TMPDIR");
  GetTempPathW(64, buffer);
  EXPECT_EQ(std::u16string(buffer), u"C:\\tmp\\");
  if (saved) ::setenv("TMPDIR", keep.c_str(), 1);
}

TEST(FileSize, ReportsTheHighWordWhenAsked)
{
  Folder f;
  f.file("s", 77);
  std::u16string name = f.pattern(u"s");
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD high = 5;
  EXPECT_EQ(GetFileSize(h, &high), 77u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(GetFileSize(h, nullptr), 77u);
  CloseHandle(h);
  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
}

}  // namespace
