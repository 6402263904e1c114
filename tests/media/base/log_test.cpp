// Tests of media/base/log: the media log "Log.txt".
#include "media/base/log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "media/base/media_heap.h"
#include "media/base/memory.h"
#include "platform/win/debug.h"

using namespace ZaDod;
namespace fs = std::filesystem;

namespace {

// Each test writes a fresh log in a folder of its own.
class MediaLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLogFileOutput(0);
        home = fs::current_path();
        char pattern[] = "/tmp/halvorine-log-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::current_path(folder);
        SetLogFileOutput(1);
    }
    void TearDown() override
    {
        SetLogFileOutput(0);
        fs::current_path(home);
        fs::remove_all(folder);
    }

    // The file's bytes after the byte-order mark, as narrow text (ASCII content).
    std::string logText(bool* hasMark = nullptr)
    {
        std::ifstream in(folder / "Log.txt", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (hasMark) *hasMark = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
        std::string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
        return text;
    }

    fs::path home, folder;
};

// The text with each line's time stamp ("1234:") replaced by "T:"; a line without
// one is left as it is.
std::string stamped(const std::string& text)
{
    std::string out;
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lineStart) {
            std::size_t j = i;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
            if (j > i && j < text.size() && text[j] == ':') {
                out += "T";
                i = j;
            }
        }
        out += text[i];
        lineStart = text[i] == '\n';
    }
    return out;
}

std::vector<std::u16string> hooked;
void recordLine(const char16_t* line) { hooked.emplace_back(line); }

}  // namespace

TEST_F(MediaLog, LinesCarryTimeStampAndIndentOnce)
{
    ASSERT_EQ(LogStart(), 0);
    LogIndentIncrease();
    EXPECT_EQ(LogAddTextUtf16(u"ab"), 0);
    EXPECT_EQ(LogAddTextUtf16(u"c\n"), 0);
    EXPECT_EQ(LogAddTextUtf16(u"x\ny\r\nz\n"), 0);
    bool mark = false;
    const std::string text = logText(&mark);
    EXPECT_TRUE(mark);
    EXPECT_EQ(stamped(text), "T:\tabc\r\nT:\tx\r\ny\r\nz\n");
}

TEST_F(MediaLog, IndentNeverGoesBelowZero)
{
    ASSERT_EQ(LogStart(), 0);
    LogIndentDecrease();
    LogIndentIncrease();
    EXPECT_EQ(LogAddTextUtf16(u"\nq\n"), 0);
    EXPECT_EQ(stamped(logText()), "T:\t\r\nq\r\n");
}

TEST_F(MediaLog, SwitchedOffWritesNothing)
{
    SetLogFileOutput(0);
    EXPECT_EQ(LogAddTextUtf16(u"a\n"), 0);
    EXPECT_EQ(LogFormatCp932("%d", 1), 0);
    EXPECT_EQ(LogStart(), 0);
    EXPECT_FALSE(fs::exists(folder / "Log.txt"));
}

TEST_F(MediaLog, FailedCreationFailsTheWrite)
{
    fs::create_directory(folder / "Log.txt");
    EXPECT_EQ(LogStart(), -1);
    EXPECT_EQ(LogAddTextUtf16(u"a\n"), -1);
}

TEST_F(MediaLog, FormatsInEveryEncoding)
{
    hooked.clear();
    SetLogTestHook(recordLine);
    EXPECT_EQ(LogFormatCp932("%s=%d", "\x82\xA0", 5), 0);
    EXPECT_EQ(LogFormatUtf16(u"%s|%04X", u"w", 0xBEEFu), 0);
    EXPECT_EQ(LogFormatWide(u"%c%c", u'o', u'k'), 0);
    EXPECT_EQ(LogAddTextCp932("sjis\n"), 0);
    SetLogTestHook(nullptr);
    ASSERT_EQ(hooked.size(), 4u);
    EXPECT_EQ(hooked[0], u"\u3042=5\n");
    EXPECT_EQ(hooked[1], u"w|BEEF\n");
    EXPECT_EQ(hooked[2], u"ok\n");
    EXPECT_EQ(stamped(logText()), "T:?=5\r\nT:w|BEEF\r\nT:ok\r\nT:sjis\r\n");
}

TEST_F(MediaLog, LongPiecesAndDebugOutput)
{
    static std::u16string debugText;
    debugText.clear();
    plat::win::SetDebugOutputCapture([](const char16_t* text) { debugText += text; });
    const std::u16string piece = std::u16string(3000, u'x') + u"\n";
    EXPECT_EQ(LogAddTextUtf16(piece.c_str()), 0);
    plat::win::SetDebugOutputCapture(nullptr);
    EXPECT_EQ(stamped(logText()), "T:" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(debugText.substr(debugText.find(u':') + 1), std::u16string(3000, u'x') + u"\r\n");
}

TEST_F(MediaLog, ThreadsWriteWholeLines)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 100; ++i) LogFormatUtf16(u"thread %d line %d", t, i);
        });
    for (auto& thread : threads) thread.join();
    const std::string text = logText();
    std::vector<std::string> expected, found;
    for (int t = 0; t < 8; ++t)
        for (int i = 0; i < 100; ++i) expected.push_back("T:thread " + std::to_string(t) + " line " + std::to_string(i) + "\r");
    const std::string lines = stamped(text);
    for (std::size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1)
        found.push_back(lines.substr(at, end - at));
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

TEST(MemoryDumpLine, FormattedByTheLayersEngine)
{
    hooked.clear();
    SetLogTestHook(recordLine);
    auto* block = static_cast<unsigned char*>(MemAlloc(3, "dump.cpp", 1));
    block[0] = 1, block[1] = 2, block[2] = 3;
    DumpMemTag(block, 0);
    MemFree(block);
    SetLogTestHook(nullptr);
    ASSERT_FALSE(hooked.empty());
    const std::u16string& line = hooked.back();
    EXPECT_NE(line.find(u"  user size:         3(     0.003kb)"), std::u16string::npos);
    const std::u16string end = u"  data:[01 02 03]\n";
    ASSERT_GE(line.size(), end.size());
    EXPECT_EQ(line.substr(line.size() - end.size()), end);
}

TEST(OnScreenLog, OffUntilSomethingDrawsIt) { EXPECT_EQ(GetOnScreenLogFlag(), 0); }
