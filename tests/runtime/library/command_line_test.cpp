// Tests of runtime/library/command_line: the command line and the start-up settings it sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/library/command_line.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"

namespace {

struct Parsed {
  const char* source = nullptr;
  const char* log = nullptr;
};

Parsed parse(std::vector<const char*> args) {
  kv::gSettings = kv::StartupSettings{};
  args.insert(args.begin(), "halvorine");
  Parsed p;
  kv::parseCommandLine(static_cast<int>(args.size()), args.data(), &p.source, &p.log);
  return p;
}

TEST(CommandLine, PositionalNamesTakeSourceThenLogAndIgnoreTheRest) {
  Parsed p = parse({"game.kvj", "-x1", "out.txt", "third.kvj"});
  EXPECT_STREQ(p.source, "game.kvj");
  EXPECT_STREQ(p.log, "out.txt");
  EXPECT_EQ(kv::gSettings.tickBudget, 1);
}

TEST(CommandLine, OptionsTakeEffectInAnyCase) {
  parse({"-BR0", "-bW3", "-DISPLAY2"});
  EXPECT_EQ(kv::gSettings.readLevel, 0);
  EXPECT_EQ(kv::gSettings.writeLevel, 3);
  EXPECT_EQ(kv::gSettings.displayIndex, 2);
  parse({"-m"});
  EXPECT_EQ(kv::gSettings.readLevel, 0);
  EXPECT_EQ(kv::gSettings.writeLevel, 1);
  EXPECT_EQ(kv::gSettings.execute, 0);
  parse({"-X0"});
  EXPECT_EQ(kv::gSettings.execute, 0);
  EXPECT_EQ(kv::gSettings.tickBudget, -1);
}

TEST(CommandLine, MalformedKnownOptionsAreSilentNoOps) {
  testing::internal::CaptureStdout();
  parse({"-", "-b", "-brx", "-x5", "-dis", "-bq1"});
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "");
  EXPECT_EQ(kv::gSettings.readLevel, 1);
  EXPECT_EQ(kv::gSettings.writeLevel, 0);
  EXPECT_EQ(kv::gSettings.execute, 1);
  EXPECT_EQ(kv::gSettings.tickBudget, -1);
  EXPECT_EQ(kv::gSettings.displayIndex, -1);
}

TEST(CommandLine, UnknownOptionsAreWrittenAtOnceAndQueuedInOrder) {
  kv::closeLogFile();
  testing::internal::CaptureStdout();
  parse({"-q", "-Q", "-1"});
  kv::flushPendingSystemWarnings();
  std::string out = testing::internal::GetCapturedStdout();
  std::string q = "warning: (System) an unknown command-line option (q) ignored.\n";
  std::string Q = "warning: (System) an unknown command-line option (Q) ignored.\n";
  std::string one = "warning: (System) an unknown command-line option (1) ignored.\n";
  EXPECT_EQ(out, q + Q + one + q + Q + one);
}

TEST(CommandLine, ReadWriteLevelsMatrix) {
  for (int r = 0; r <= 3; ++r) {
    for (int w = 0; w <= 3; ++w) {
      kv::ObjectFilePlan p = kv::objectFilePlan(r, w);
      SCOPED_TRACE("read " + std::to_string(r) + " write " + std::to_string(w));
      EXPECT_EQ(p.read, r >= 1 && r >= w);
      EXPECT_EQ(p.compileOnFailure, !(r >= 2 && r >= w));
      EXPECT_EQ(p.write, w > r);
    }
  }
}

}  // namespace
