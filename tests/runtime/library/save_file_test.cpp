// Tests of runtime/library/save_file: save files.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/library/save_file.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

using Bytes = std::vector<uint8_t>;

// Each test runs in a folder of its own, as a new run would.
class SaveFileTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    char tmpl[] = "/tmp/kv-save-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    char* here = getcwd(nullptr, 0);
    back_ = here;
    std::free(here);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    kv::resetSaveFileState();
  }
  void TearDown() override {
    kv::resetSaveFileState();
    EXPECT_EQ(chdir(back_.c_str()), 0);
    std::string cmd = "rm -rf '" + folder_ + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    LibraryTest::TearDown();
  }
  static Bytes fileBytes(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static bool exists(const char* name) {
    struct stat st {};
    return ::stat(name, &st) == 0;
  }
  size_t warnings24() const { return countOf(logText(), "(Wr0024)"); }

  std::string folder_, back_;
};

TEST_F(SaveFileTest, NewFileGetsTheHeaderAndStartsAt256) {
  ASSERT_TRUE(kv::openSaveFile("slot1"));
  EXPECT_EQ(kv::tellSaveFile(), 256);
  Bytes b = fileBytes("slot1.sav");
  ASSERT_EQ(b.size(), 256u);
  const Bytes head = {0x48, 0x4C, 0x56, 0x52, 0x73, 0x61, 0x76, 0x65, 0x00, 0x00,
                      0x01, 0x00, 0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0x01, 0x00, 0x00};
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 20), head);
  EXPECT_EQ(Bytes(b.begin() + 20, b.end()), Bytes(236, 0));
}

TEST_F(SaveFileTest, InvalidNamesCreateNothing) {
  const std::string tooLong(252, 'n');  // 252 + ".sav" leaves no room for the NUL
  for (const char* name : {"", "a.b", "a:b", "/abs", "\\abs", tooLong.c_str()}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(kv::openSaveFile(name));
    EXPECT_EQ(kv::tellSaveFile(), -1);
  }
  EXPECT_EQ(std::system("test -z \"$(ls -A)\""), 0);
  // A name may lead into a sub-folder.
  ASSERT_EQ(mkdir("sub", 0755), 0);
  EXPECT_TRUE(kv::openSaveFile("sub/x"));
  EXPECT_TRUE(exists("sub/x.sav"));
}

TEST_F(SaveFileTest, OneNamePerRunAndReopenWithoutAName) {
  EXPECT_FALSE(kv::openSaveFile(nullptr));  // nothing opened yet
  ASSERT_TRUE(kv::openSaveFile("slot1"));
  EXPECT_TRUE(kv::openSaveFile(nullptr));  // still open
  kv::closeSaveFile();
  EXPECT_EQ(kv::tellSaveFile(), -1);
  EXPECT_FALSE(kv::openSaveFile("slot2"));
  EXPECT_FALSE(exists("slot2.sav"));
  EXPECT_TRUE(kv::openSaveFile(nullptr));
  EXPECT_EQ(kv::tellSaveFile(), 256);
  // Many rounds of close and reopen keep one stream at a time.
  for (int i = 0; i < 2000; ++i) {
    kv::closeSaveFile();
    ASSERT_TRUE(kv::openSaveFile(nullptr));
    ASSERT_EQ(kv::putcSaveFile('a' + i % 26), 'a' + i % 26);
  }
  EXPECT_EQ(fileBytes("slot1.sav").size(), 257u);
}

TEST_F(SaveFileTest, SeeksIntoTheHeaderAreRefused) {
  ASSERT_TRUE(kv::openSaveFile("s"));
  const uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_EQ(kv::writeSaveBlock(data, 10, 10), 1);  // the file now ends at 266
  struct Row {
    int32_t offset, origin, result, positionAfter;
  };
  const Row rows[] = {
      {0, 0, -1, 266},   {100, 0, -1, 266}, {255, 0, -1, 266}, {256, 0, 0, 256},   {5, 1, 0, 261},
      {-6, 1, -1, 261},  {-5, 1, 0, 256},   {0, 2, 0, 266},    {-11, 2, -1, 266},  {-10, 2, 0, 256},
      {0, 3, -1, 256},   {0, -1, -1, 256},  {4000, 0, 0, 4000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.offset) + "/" + std::to_string(r.origin));
    EXPECT_EQ(kv::seekSaveFile(r.offset, r.origin), r.result);
    EXPECT_EQ(kv::tellSaveFile(), r.positionAfter);
  }
  kv::closeSaveFile();
  EXPECT_EQ(kv::seekSaveFile(256, 0), -1);
}

TEST_F(SaveFileTest, WritesStopAtTheLimit) {
  ASSERT_TRUE(kv::openSaveFile("s"));
  const uint8_t two[2] = {'x', 'y'};
  struct Row {
    int32_t at;
    int64_t length;
    int32_t count, result;
  };
  // A block must end at or before 4095; a byte may be written at 4095.
  const Row rows[] = {{4094, 2, 2, 0}, {4094, 2, 1, 1}, {4095, 2, 1, 0}, {256, 2, 0, 0}, {256, 1, 5, 1}};
  size_t warned = warnings24();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.at);
    ASSERT_EQ(kv::seekSaveFile(r.at, 0), 0);
    EXPECT_EQ(kv::writeSaveBlock(two, r.length, r.count), r.result);
  }
  EXPECT_EQ(warnings24(), warned + 2);
  ASSERT_EQ(kv::seekSaveFile(4095, 0), 0);
  EXPECT_EQ(kv::putcSaveFile(65 + 256), 65);
  EXPECT_EQ(fileBytes("s.sav").size(), 4096u);
  EXPECT_EQ(kv::putcSaveFile(66), -1);
  EXPECT_EQ(warnings24(), warned + 3);
  EXPECT_EQ(fileBytes("s.sav").size(), 4096u);
  EXPECT_EQ(fileBytes("s.sav")[4094], 'x');
}

TEST_F(SaveFileTest, ForeignFileOpensFalseButStaysOpen) {
  std::ofstream("x.sav", std::ios::binary) << std::string(300, 'X');
  EXPECT_FALSE(kv::openSaveFile("x"));
  EXPECT_EQ(kv::tellSaveFile(), 256);
  EXPECT_EQ(kv::getcSaveFile(), 88);
  // A folder of that name is refused.
  kv::resetSaveFileState();
  ASSERT_EQ(mkdir("d.sav", 0755), 0);
  EXPECT_FALSE(kv::openSaveFile("d"));
}

TEST_F(SaveFileTest, FilesTooShortForAHeaderStartAfresh) {
  // Left by a crash or a full disk between making the file and writing its header.
  const std::string shorts[] = {"", "HLVRsave", std::string(255, 'X')};
  for (const std::string& content : shorts) {
    SCOPED_TRACE(content.size());
    kv::resetSaveFileState();
    std::ofstream("s.sav", std::ios::binary) << content;
    ASSERT_TRUE(kv::openSaveFile("s"));
    EXPECT_EQ(kv::tellSaveFile(), 256);
    const uint8_t score[4] = {40, 0, 0, 0};
    ASSERT_EQ(kv::writeSaveBlock(score, 4, 4), 1);
    kv::closeSaveFile();
    // The slot works from then on, reopened in this run and opened in the next.
    ASSERT_TRUE(kv::openSaveFile(nullptr));
    EXPECT_EQ(kv::getcSaveFile(), 40);
    kv::resetSaveFileState();
    ASSERT_TRUE(kv::openSaveFile("s"));
    EXPECT_EQ(kv::getcSaveFile(), 40);
    EXPECT_EQ(fileBytes("s.sav").size(), 260u);
  }
  // Cut short again between two runs: "open" without a name writes the header too.
  kv::resetSaveFileState();
  ASSERT_TRUE(kv::openSaveFile("t"));
  kv::closeSaveFile();
  ASSERT_EQ(truncate("t.sav", 0), 0);
  EXPECT_TRUE(kv::openSaveFile(nullptr));
  EXPECT_EQ(fileBytes("t.sav").size(), 256u);
}

TEST_F(SaveFileTest, WritesThatDoNotReachTheFileAnswerFailureAndSayWhy) {
  // A device that is always full takes no header.
  ASSERT_EQ(symlink("/dev/full", "full.sav"), 0);
  EXPECT_FALSE(kv::openSaveFile("full"));
  EXPECT_NE(logText().find("SaveFile: writing the header of 'full.sav' failed: No space left on device"),
            std::string::npos);
  const uint8_t block[64] = {1, 2, 3};
  EXPECT_EQ(kv::writeSaveBlock(block, 64, 64), 0);
  // A file size limit stands in for a disk that fills up mid-game; the child process
  // keeps the limit away from the test runner.
  kv::resetSaveFileState();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    bool ok = kv::openSaveFile("disk");
    const rlimit limit{300, 300};
    ok = ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    ok = ok && kv::writeSaveBlock(block, 64, 64) == 0;  // 256 + 64 passes the limit
    ok = ok && kv::tellSaveFile() == 256;
    ok = ok && kv::writeSaveBlock(block, 40, 40) == 1;  // what fits still goes in
    ok = ok && kv::putcSaveFile(9) == 9;
    ok = ok && kv::seekSaveFile(299, 0) == 0 && kv::putcSaveFile(8) == 8;
    ok = ok && kv::putcSaveFile(7) == -1;
    ok = ok && kv::tellSaveFile() == 300;
    std::_Exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const Bytes disk = fileBytes("disk.sav");
  ASSERT_EQ(disk.size(), 300u);
  EXPECT_EQ(disk[256], 1);
  EXPECT_EQ(disk[296], 9);
  EXPECT_EQ(disk[299], 8);
}

TEST_F(SaveFileTest, ReadsAndWritesAlternateAtTheRightPlace) {
  ASSERT_TRUE(kv::openSaveFile("rw"));
  const uint8_t abc[3] = {'A', 'B', 'C'};
  ASSERT_EQ(kv::writeSaveBlock(abc, 3, 3), 1);
  ASSERT_EQ(kv::seekSaveFile(256, 0), 0);
  // getc then putc: the byte lands after the one read, many times over.
  for (int round = 0; round < 500; ++round) {
    ASSERT_EQ(kv::seekSaveFile(256, 0), 0);
    ASSERT_EQ(kv::getcSaveFile(), 'A');
    ASSERT_EQ(kv::putcSaveFile('a' + round % 26), 'a' + round % 26);
    ASSERT_EQ(kv::getcSaveFile(), 'C');
    ASSERT_EQ(kv::tellSaveFile(), 259);
  }
  uint8_t into[8] = {};
  ASSERT_EQ(kv::seekSaveFile(256, 0), 0);
  EXPECT_EQ(kv::readSaveFile(into, 2, 8), 2);  // no more than the buffer holds
  EXPECT_EQ(kv::readSaveFile(into + 2, 8, 8), 1);
  EXPECT_EQ(kv::getcSaveFile(), -1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(into), 3), "AfC");
  EXPECT_EQ(kv::readSaveFile(into, 8, 0), 0);
  Bytes b = fileBytes("rw.sav");
  EXPECT_EQ(std::string(b.begin() + 256, b.end()), "AfC");
}

}  // namespace
}  // namespace kvtest
