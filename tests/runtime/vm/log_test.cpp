// Tests of runtime/vm/log: the runtime log "kvlog.txt".
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

using namespace kv;

namespace {

class RuntimeLog : public ::testing::Test {
 protected:
  void SetUp() override {
    closeLogFile();
    char tmpl[] = "/tmp/kvlog-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/kvlog.txt";
    gRunPosition = {0, 0};
    gCompilePosition = {0, 0};
  }
  void TearDown() override {
    closeLogFile();
    std::remove(path_.c_str());
    std::remove((dir_ + "/other.txt").c_str());
    rmdir(dir_.c_str());
  }
  std::string file() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> fileLines() const {
    std::vector<std::string> lines;
    std::stringstream s(file());
    for (std::string l; std::getline(s, l);) lines.push_back(l);
    return lines;
  }
  std::string dir_, path_;
};

TEST_F(RuntimeLog, WritersBuildTheirLines) {
  ASSERT_TRUE(openLogFile(path_.c_str()));
  logSystem("logfile open.");
  logObjfileError({1, 12});
  logObjfileError({0, -1});
  logCompiler("error at if-test", 0, 12);
  gRunPosition = {1, 40};
  logSystemError(6);
  logSystemError(11);
  logRuntimeWarning(4, nullptr);
  logRuntimeWarning(4, "abc");
  gCompilePosition = {2, 9};
  logCompileWarning(0, "x");
  logCompileWarning(0, "");
  logBadTokenWarning(77);
  logCompileError(CompileError(7, "foo"));
  logObjFile("reading.");
  logModule("lib");
  logSystemWarning("w");
  EXPECT_EQ(fileLines(), (std::vector<std::string>{
                             "System: logfile open.",
                             "ERROR: (Ex8001) obj-file corrupted(12)",
                             "ERROR: (Ex8000) obj-file cannot open",
                             "Compiler: error at if-test  F:0 L:12",
                             "ERROR: (Ex2006) F:1 L:40 main window was closed",
                             "ERROR: (Ex2011) F:1 L:40 ",
                             "warning: (Wr0004) F:1 L:40 wrong argument",
                             "warning: (Wr0004) F:1 L:40 wrong argument: abc",
                             "warning: (Wc0000) F:2 L:9 undeclared variable (x)",
                             "warning: (Wc0000) F:2 L:9 undeclared variable ()",
                             "warning: (Wc0001) F:2 L:77 bad token detected",
                             "ERROR: (Ec0007) F:2 L:9 unresolved symbol (foo)",
                             "OBJ-file: reading.",
                             "Module: lib",
                             "warning: (System) w",
                         }));
  EXPECT_EQ(file().find('\r'), std::string::npos);  // LF line ends
}

TEST_F(RuntimeLog, EveryLineReachesStandardOutput) {
  ::testing::internal::CaptureStdout();
  writeLogLine("System: entry");
  ASSERT_TRUE(openLogFile(path_.c_str()));
  writeLogLine("one");
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "System: entry\none\n");
  EXPECT_EQ(file(), "one\n");
}

TEST_F(RuntimeLog, SecondOpenKeepsTheFirstFileAndBadPathsFail) {
  ASSERT_TRUE(openLogFile(path_.c_str()));
  std::string other = dir_ + "/other.txt";
  EXPECT_FALSE(openLogFile(other.c_str()));
  writeLogLine("kept");
  EXPECT_EQ(file(), "kept\n");
  struct stat st;
  EXPECT_NE(stat(other.c_str(), &st), 0);

  closeLogFile();
  std::string bad = dir_ + "/missing/kvlog.txt";
  EXPECT_FALSE(openLogFile(bad.c_str()));
  EXPECT_TRUE(openLogFile(path_.c_str()));  // nothing was left open by the failure
}

TEST_F(RuntimeLog, BudgetShutsTheFileExactlyAtTheLimit) {
  ASSERT_TRUE(openLogFile(path_.c_str()));
  ::testing::internal::CaptureStdout();
  // Each line costs 2 plus one byte for its first character: 341 lines make
  // 1023, and the 342nd would reach 1024.
  for (int i = 0; i < 400; ++i) writeLogLine(("line " + std::to_string(i)).c_str());
  std::string out = ::testing::internal::GetCapturedStdout();
  auto lines = fileLines();
  ASSERT_EQ(lines.size(), 341u);
  EXPECT_EQ(lines.back(), "line 340");
  EXPECT_NE(out.find("line 399\n"), std::string::npos);
  writeLogLine("x");
  EXPECT_EQ(fileLines().size(), 341u);
  EXPECT_FALSE(openLogFile(path_.c_str()));  // shut for the rest of the run
  EXPECT_EQ(fileLines().size(), 341u);
}

TEST_F(RuntimeLog, DoubledBudgetAndCharacterWidths) {
  ASSERT_TRUE(openLogFile(path_.c_str()));
  doubleLogLimit();
  EXPECT_EQ(logLimit(), 2048);
  ::testing::internal::CaptureStdout();
  writeLogLine("");               // 2
  writeLogLine("\xC3\xA9t\xC3\xA9");  // 2 + 2
  EXPECT_EQ(logTotal(), 6);
  for (int i = 0; i < 800; ++i) writeLogLine("a");
  ::testing::internal::GetCapturedStdout();
  // 6 + 3k < 2048 holds up to k = 680.
  EXPECT_EQ(fileLines().size(), 2u + 680u);
}

}  // namespace
