// Tests of the compiler driver: opening files, include and scope directives, messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "front_end_fixture.h"
#include "runtime/compiler/symbol_text_pool.h"

namespace kv::test {
namespace {

using Lines = std::vector<std::string>;

TEST(CompileDriver, OpensMainFileAndLogsIt) {
  auto run = compileText("var a = 1;");
  EXPECT_EQ(run.lines, (Lines{"System: opening 'main.kvj' as FILE#0"}));
  EXPECT_TRUE(run.codegen);
  EXPECT_EQ(openSourceHandleCount(), 0);
}

TEST(CompileDriver, ScanTimeMessagesComeBeforeTheOpeningLine) {
  EXPECT_EQ(compileText("var k = 1;\nk = 5 \x80;").lines,
            (Lines{"warning: (Wc0001) F:0 L:2 bad token detected", "System: opening 'main.kvj' as FILE#0"}));
  EXPECT_EQ(compileText("var big = 2147483648;").lines,
            (Lines{"ERROR: (Ec0025) F:0 L:1 fail at conversion of a numerical literal"}));
  EXPECT_EQ(compileText("var j = KEY_INPUT_escape;").lines,
            (Lines{"ERROR: (Ec0032) F:0 L:1 unknown token", "  unknown key name: KEY_INPUT_escape"}));
  EXPECT_EQ(compileText("var q = 1; q &&= 2;").lines, (Lines{"ERROR: (Ec0029) F:0 L:1 unknown character"}));
}

TEST(CompileDriver, ScopeDirective) {
  EXPECT_EQ(messages(compileText("#scope on\n#scope on\n#scope off")),
            (Lines{"warning: (Wc0002) F:0 L:2 a directive with no effect ()"}));
  for (const char* text : {"#scope off", "#scope maybe", "#pragma x", "#pragma \"x\""})
    EXPECT_EQ(compileText(text).errorCode, 18) << text;
}

TEST(CompileDriver, MissingInclude) {
  auto run = compileText("#include \"missing.kvj\"");
  EXPECT_EQ(messages(run), (Lines{"System: 'missing.kvj' cannot open", "ERROR: (Ec0001) F:0 L:1 path not found"}));
  EXPECT_EQ(openSourceHandleCount(), 0);
}

TEST(CompileDriver, BareIncludeNamesFollowTheFileOpenedLast) {
  auto run = compileFiles({{"main.kvj", "#include \"lib/a.kvj\"\n#include \"b.kvj\"\nx = a + b;"},
                           {"lib/a.kvj", "var a = 1;"},
                           {"lib/b.kvj", "var b = 2;"}});
  EXPECT_EQ(messages(run), (Lines{"System: as FILE#1 'lib/a.kvj' open", "System: as FILE#2 'b.kvj' open"}));
  EXPECT_TRUE(run.codegen);
  EXPECT_EQ(sourceNameTable[1], "lib/b.kvj");
  EXPECT_EQ(currentSourceFolder, "lib/");
}

TEST(CompileDriver, IncludedTokensComeBeforeTheRestOfTheIncludingFile) {
  auto bad = compileFiles({{"main.kvj", "var a = 1;\n#include \"x.kvj\"\nb = 1 2;"}, {"x.kvj", "\n\nc = 3 4;"}});
  EXPECT_EQ(messages(bad), (Lines{"System: as FILE#1 'x.kvj' open", "ERROR: (Ec0023) F:1 L:3 syntax error",
                                  "ERROR: (Ec0023) F:0 L:3 syntax error"}));
}

TEST(CompileDriver, SelfIncludeStopsAtTheDepthLimit) {
  auto run = compileText("#include \"main.kvj\"");
  Lines expected;
  for (int i = 1; i <= 15; ++i) expected.push_back("System: as FILE#" + std::to_string(i) + " 'main.kvj' open");
  expected.push_back("System: 'main.kvj' cannot open");
  expected.push_back("ERROR: (Ec0004) F:15 L:1 too many files");
  EXPECT_EQ(messages(run), expected);
  EXPECT_EQ(openSourceHandleCount(), 0);
}

TEST(CompileDriver, IncludeInImportedModuleIsARuntimeError) {
  auto run = compileFiles({{"main.kvj", "#include \"x.kvj\""}, {"x.kvj", "var x;"}}, false);
  EXPECT_TRUE(run.runtimeError);
  EXPECT_EQ(run.runtimeCode, 14);
  EXPECT_EQ(openSourceHandleCount(), 0);
}

TEST(CompileDriver, ScanErrorInAnIncludeIsNoOpenFailure) {
  auto run = compileFiles({{"main.kvj", "#include \"x.kvj\""}, {"x.kvj", "var x = 99999999999;"}});
  EXPECT_EQ(messages(run), (Lines{"ERROR: (Ec0025) F:1 L:1 fail at conversion of a numerical literal"}));
}

TEST(CompileDriver, FailureInsideAnIncludeClosesEveryFile) {
  auto run = compileFiles({{"main.kvj", "#include \"a.kvj\"\nx;"},
                           {"a.kvj", "#include \"b.kvj\"\ny;"},
                           {"b.kvj", "#scope maybe"}});
  EXPECT_EQ(run.errorCode, 18);
  EXPECT_EQ(openSourceHandleCount(), 0);
}

TEST(CompileDriver, TextPoolExhaustionIsCleanAndRepeatable) {
  resetCompilerRunForTests();
  std::string name(60, 'n');
  std::string text;
  // Each identifier takes 61 bytes; enough of them pass the pool's size.
  size_t count = kSymbolTextPoolSize / 61 + 1;
  for (size_t i = 0; i < count; ++i) text += name + ";\n";
  clearMemorySourceFiles();
  setMemorySourceFile("main.kvj", text);
  for (int pass = 0; pass < 2; ++pass) {
    testing::internal::CaptureStdout();
    int code = -1;
    try {
      compileSourceFile(nullptr, true);
    } catch (const CompileError& e) {
      logCompileError(e);
      code = e.code;
    }
    Lines lines = splitLines(testing::internal::GetCapturedStdout());
    EXPECT_EQ(code, 24);
    ASSERT_FALSE(lines.empty());
    size_t expectedLine = pass == 0 ? count : 1;
    EXPECT_EQ(lines.back(), "ERROR: (Ec0024) F:" + std::to_string(gCompilePosition.file) + " L:" +
                                std::to_string(expectedLine) + " too many symboles");
    EXPECT_EQ(openSourceHandleCount(), 0);
  }
  clearMemorySourceFiles();
  resetCompilerRunForTests();
}

// Real files on the disk, in a folder of their own.
class DiskSources : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("kvfront-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    clearMemorySourceFiles();
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static void write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path().empty()
                                            ? "."
                                            : std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::filesystem::path dir_, old_;
};

TEST_F(DiskSources, LongIncludePathOpensInFull) {
  std::string path = std::string(100, 'd') + "/" + std::string(95, 'f') + ".kvj";
  ASSERT_EQ(path.size(), 200u);
  write(path, "var deep = 1;");
  write("main.kvj", "#include \"" + path + "\"\nx = deep;");
  auto run = compileMain();
  EXPECT_EQ(run.errorCode, -1);
  EXPECT_TRUE(run.codegen);
  std::string tooLong = std::string(256, 'p');
  write("main.kvj", "#include \"" + tooLong + "\"");
  EXPECT_EQ(compileMain().errorCode, 5);
}

TEST_F(DiskSources, BackslashesSeparatePathsToo) {
  write("lib/a.kvj", "var a;");
  write("lib/b.kvj", "var b;");
  write("main.kvj", "#include \"lib\\a.kvj\"\n#include \"b.kvj\"");
  auto run = compileMain();
  EXPECT_EQ(run.errorCode, -1);
  EXPECT_EQ(currentSourceFolder, "lib\\");
}

TEST_F(DiskSources, FileLayerFailuresEndTheCompilePromptly) {
  // Neither a folder nor a symbolic-link loop is a file the file layer opens: the
  // compile ends at the include, as for a missing file, and nothing stays open.
  std::filesystem::create_directory("folder.kvj");
  write("main.kvj", "#include \"folder.kvj\"");
  EXPECT_EQ(compileMain().errorCode, 1);
  EXPECT_EQ(openSourceHandleCount(), 0);
  ::symlink("loop.kvj", "loop.kvj");
  write("main.kvj", "#include \"loop.kvj\"");
  auto run = compileMain();
  EXPECT_EQ(run.errorCode, 1);
  EXPECT_EQ(openSourceHandleCount(), 0);
  EXPECT_EQ(run.lines, (Lines{"System: opening 'main.kvj' as FILE#0", "System: 'loop.kvj' cannot open",
                          "ERROR: (Ec0001) F:0 L:1 path not found"}));
}

TEST(SourceFolder, KeepsEverythingUpToTheLastSeparator) {
  rememberSourceFolder("a/b\\c/d\\main.kvj");
  EXPECT_EQ(currentSourceFolder, "a/b\\c/d\\");
  rememberSourceFolder("main.kvj");
  EXPECT_EQ(currentSourceFolder, "");
  rememberSourceFolder("");
  EXPECT_EQ(currentSourceFolder, "");
  rememberSourceFolder("dir/");
  EXPECT_EQ(currentSourceFolder, "dir/");
}

}  // namespace
}  // namespace kv::test
