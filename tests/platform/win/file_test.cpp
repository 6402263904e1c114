// Tests of platform/win/file: files over POSIX, reached through the path mapping of path.h.
#include "platform/win/file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/error.h"
#include "platform/win/path.h"

using namespace plat::win;
namespace fs = std::filesystem;

namespace {

std::u16string wide(const std::string& s) { return utf16FromUtf8(s); }

class WinFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = fs::current_path();
        char pattern[] = "/tmp/halvorine-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::current_path(folder);
    }
    void TearDown() override
    {
        fs::current_path(home);
        fs::remove_all(folder);
    }
    void make(const fs::path& path, const std::string& content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    std::string read(const std::u16string& path)
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<none>";
        char buffer[256];
        DWORD done = 0;
        ReadFile(file, buffer, sizeof buffer, &done, nullptr);
        CloseHandle(file);
        return std::string(buffer, done);
    }
    fs::path home, folder;
};

}  // namespace

TEST_F(WinFiles, PathsFromDriveCAndBothSeparators)
{
    make(folder / "Data" / "Img" / "a.PNG", "png");
    const std::string root = folder.string();
    EXPECT_EQ(read(wide("C:" + root + "\\Data\\Img\\a.PNG")), "png");
    EXPECT_EQ(read(wide("c:" + root + "/Data/Img/a.PNG")), "png");
    EXPECT_EQ(read(wide(root + "\\Data/Img\\a.PNG")), "png");
    EXPECT_EQ(read(u"Data\\Img\\a.PNG"), "png");
    EXPECT_EQ(read(u".\\Data\\x\\..\\Img\\.\\a.PNG"), "png");
    EXPECT_EQ(read(u"..\\..\\..\\..\\..\\..\\..\\..\\..\\" + wide(root.substr(1)) + u"\\Data\\Img\\a.PNG"), "png");
    EXPECT_EQ(read(u"D:\\Data\\Img\\a.PNG"), "<none>");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(read(u"\\\\server\\share\\a.PNG"), "<none>");
}

TEST_F(WinFiles, LetterCaseIsMatchedWhenTheExactNameIsMissing)
{
    make(folder / "Data" / "a.png", "lower");
    make(folder / "Data" / "A.PNG", "upper");
    make(folder / "Data" / "B.txt", "b");
    EXPECT_EQ(read(u"data\\a.png"), "lower");
    EXPECT_EQ(read(u"DATA\\A.PNG"), "upper");
    EXPECT_EQ(read(u"data\\a.Png"), "upper");  // "A.PNG" sorts before "a.png"
    EXPECT_EQ(read(u"data\\b.TXT"), "b");
    EXPECT_EQ(read(u"data\\c.txt"), "<none>");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read(u"nothing\\c.txt"), "<none>");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(WinFiles, CreateReadWriteSeek)
{
    fs::create_directory(folder / "Out");
    HANDLE file = CreateFileW(u"out\\New.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(fs::exists(folder / "Out" / "New.bin"));
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    CloseHandle(file);
    EXPECT_EQ(CreateFileW(u"Out\\new.BIN", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

    file = CreateFileW(u"Out\\New.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 5u);
    EXPECT_TRUE(WriteFile(file, " world", 6, &done, nullptr));
    LARGE_INTEGER size{};
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 11);
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
    char buffer[16];
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "world");
    EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file, 1, &high, FILE_BEGIN), 1u);
    EXPECT_EQ(high, 0);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_TRUE(DeleteFileW(u"OUT\\NEW.BIN"));
    EXPECT_FALSE(fs::exists(folder / "Out" / "New.bin"));
    EXPECT_FALSE(DeleteFileW(u"Out\\New.bin"));
    EXPECT_EQ(CreateFileW(u"Out", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(WinFiles, CurrentDirectoryAsDriveC)
{
    fs::create_directory(folder / "Sub Dir");
    EXPECT_TRUE(SetCurrentDirectoryW(u"sub dir"));
    EXPECT_EQ(fs::current_path(), folder / "Sub Dir");
    char16_t buffer[1024];
    const DWORD length = GetCurrentDirectoryW(1024, buffer);
    std::u16string expected = u"C:" + wide((folder / "Sub Dir").string());
    for (auto& c : expected)
        if (c == u'/') c = u'\\';
    EXPECT_EQ(std::u16string(buffer), expected);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(GetCurrentDirectoryW(3, buffer), expected.size() + 1);
    EXPECT_TRUE(SetCurrentDirectoryW(u"C:"));
    EXPECT_EQ(GetCurrentDirectoryW(1024, buffer), 3u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\");
    EXPECT_FALSE(SetCurrentDirectoryW(u"\\no\\such\\folder"));
}

TEST(WinPaths, TextConversion)
{
    std::string out;
    EXPECT_TRUE(utf8FromUtf16(u"a\u00E9\U0001F600", out));
    EXPECT_EQ(out, "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_FALSE(utf8FromUtf16(u"\xD800x", out));
    EXPECT_EQ(utf16FromUtf8("a\xC3\xA9\xF0\x9F\x98\x80"), u"a\u00E9\U0001F600");
    EXPECT_EQ(utf16FromUtf8("\xC3" "a\xED\xA0\x80"), u"\uFFFDa\uFFFD\uFFFD\uFFFD");
}
