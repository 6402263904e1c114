// Tests of runtime/vm/errors: numbered diagnostics of the script system.
#include <gtest/gtest.h>

#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

using namespace kv;

namespace {

class Diagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    closeLogFile();
    resetWarningLimiter();
    gRunPosition = {0, 0};
  }
  // Lines written to standard output while fn runs.
  template <class F>
  std::string captured(F fn) {
    ::testing::internal::CaptureStdout();
    fn();
    return ::testing::internal::GetCapturedStdout();
  }
  static int lineCount(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
  }
};

TEST_F(Diagnostics, TablesKeepTheirTextsExactly) {
  EXPECT_STREQ(systemErrorText(2), "scheduler overflow ");
  EXPECT_STREQ(systemErrorText(11), "");
  EXPECT_STREQ(systemErrorText(23), "an unexpected error");
  EXPECT_STREQ(systemErrorText(24), "");
  EXPECT_STREQ(systemErrorText(-1), "");
  EXPECT_STREQ(runtimeErrorText(1), "too many  array-index");
  EXPECT_STREQ(runtimeErrorText(3), "construtor failed");
  EXPECT_STREQ(runtimeErrorText(26), "explict iterator required");
  EXPECT_STREQ(runtimeErrorText(27), "emergent evac KV1");
  EXPECT_STREQ(runtimeErrorText(28), "");
  EXPECT_STREQ(compileWarningText(3), "processing a obj-file with newer version");
  EXPECT_STREQ(compileWarningText(4), "");
  EXPECT_EQ(compileErrorText(CompileError(24)), "too many symboles");
  EXPECT_EQ(compileErrorText(CompileError(13)), "no such label");
  EXPECT_EQ(compileErrorText(CompileError(34)), "");
  EXPECT_EQ(compileErrorText(CompileError(7, "x")), "unresolved symbol (x)");
  EXPECT_STREQ(RuntimeError(5).text, "no message");
  EXPECT_STREQ(KVUnexpected("unknown opcode").what(), "unknown opcode");
}

TEST_F(Diagnostics, LimiterLogsFourTimesThenStaysSilent) {
  std::string out = captured([] {
    for (int i = 0; i < 10; ++i) raiseRuntimeWarning(4);
  });
  EXPECT_EQ(lineCount(out), 4);
  EXPECT_NE(out.find("warning: (Wr0004) F:0 L:0 wrong argument\n"), std::string::npos);

  setWarningLimit(0, -1);
  out = captured([] {
    for (int c = 0; c < kRuntimeWarningCount; ++c) raiseRuntimeWarning(c);
  });
  EXPECT_EQ(out, "");
}

TEST_F(Diagnostics, FusedCodeLogsOncePastItsLimitThenRaises21) {
  setWarningLimit(1, 9);
  setWarningFuse(1, 9);
  std::string out = captured([] { raiseRuntimeWarning(9); });
  EXPECT_EQ(lineCount(out), 1);
  int code = -1;
  out = captured([&] {
    try {
      raiseRuntimeWarning(9, "again");
    } catch (const RuntimeError& e) {
      code = e.code;
    }
  });
  EXPECT_EQ(code, 21);
  EXPECT_NE(out.find("recursive call of begin_paint(): again"), std::string::npos);
  // Other codes are not fused.
  setWarningLimit(0, 8);
  EXPECT_NO_THROW(raiseRuntimeWarning(8));
}

TEST_F(Diagnostics, LimitsAreClampedAndLargeCodesIgnored) {
  setWarningLimit(5000, 3);
  EXPECT_EQ(warningLimitOf(3), 1024);
  setWarningLimit(-7, 3);
  EXPECT_EQ(warningLimitOf(3), 0);
  setWarningLimit(9, 28);
  for (int c = 0; c < kRuntimeWarningCount; ++c)
    if (c != 3) {
      EXPECT_EQ(warningLimitOf(c), 4);
    }
  setWarningLimit(2, -1);
  for (int c = 0; c < kRuntimeWarningCount; ++c) EXPECT_EQ(warningLimitOf(c), 2);
  // Out-of-range codes are ignored by the entry too.
  EXPECT_EQ(captured([] { raiseRuntimeWarning(28); }), "");
}

TEST_F(Diagnostics, FourDigitsAndPositions) {
  char buf[5];
  EXPECT_STREQ(formatFourDigits(buf, 7), "0007");
  EXPECT_STREQ(formatFourDigits(buf, 2006), "2006");
  EXPECT_STREQ(formatFourDigits(buf, 0), "0000");
  gCompilePosition = {2, 31};
  EXPECT_STREQ(compilePositionText(), "F:2 L:31");
  EXPECT_STREQ(compilePositionText(5), "F:2 L:5");
  gRunPosition = {-1, 123456};
  EXPECT_STREQ(runtimePositionText(), "F:-1 L:123456");
  gCompilePosition = {0, 0};
}

TEST_F(Diagnostics, FirstPathSeparator) {
  const char* p = "dir\\sub/file.kvj";
  const PathSeparator* s = findFirstPathSeparator(p);
  EXPECT_EQ(s->at, p + 3);
  EXPECT_EQ(s->index, 3u);
  s = findFirstPathSeparator("main.kvj");
  EXPECT_EQ(s->at, nullptr);
  EXPECT_EQ(s->index, 8u);
}

TEST_F(Diagnostics, QueuedSystemWarningsComeOutInOrderOnce) {
  queueSystemWarning("an unknown command-line option (q) ignored.");
  queueSystemWarning("second");
  std::string out = captured([] { flushPendingSystemWarnings(); });
  EXPECT_EQ(out,
            "warning: (System) an unknown command-line option (q) ignored.\n"
            "warning: (System) second\n");
  EXPECT_EQ(captured([] { flushPendingSystemWarnings(); }), "");
}

TEST_F(Diagnostics, CompileWarningWithNullNameHasEmptyParentheses) {
  gCompilePosition = {1, 4};
  std::string out = captured([] { raiseCompileWarning(2, nullptr); });
  EXPECT_EQ(out, "warning: (Wc0002) F:1 L:4 a directive with no effect ()\n");
  gCompilePosition = {0, 0};
}

}  // namespace
