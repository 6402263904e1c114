// Tests of runtime/library/module_load: modules imported while a script runs.
#include "runtime/compiler/source_io.h"
#include "runtime/library/module_load.h"
#include "runtime/vm/atoms.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

class ModuleLoadTest : public LibraryTest {
 protected:
  void TearDown() override {
    kv::clearMemorySourceFiles();
    LibraryTest::TearDown();
  }
};

TEST(ModuleNames, OnlyALowerCaseKvjEndingIsCompiled) {
  EXPECT_TRUE(kv::isSourceModuleName("m.kvj"));
  EXPECT_TRUE(kv::isSourceModuleName(".kvj"));
  for (const char* n : {"M.KVJ", "a.kvj.obj", "abc", "", "kvj", "m.kvj "}) EXPECT_FALSE(kv::isSourceModuleName(n)) << n;
}

TEST_F(ModuleLoadTest, SourceModuleIsCompiledAndTheLockRestored) {
  kv::setMemorySourceFile("m.kvj", "var v = 9;\nexport {v};\n");
  kv::atomTable().sealed = true;
  kv::ModuleProgram out;
  EXPECT_TRUE(kv::runtimeLoad("m.kvj", &out));
  EXPECT_NE(out.code, nullptr);
  EXPECT_TRUE(kv::atomTable().sealed);
  EXPECT_NE(logText().find("Module: runtime loading 'm.kvj'."), std::string::npos);
}

TEST_F(ModuleLoadTest, OtherNamesAreReadAsObjectFiles) {
  for (const char* n : {"M.KVJ", "a.kvj.obj", "abc", ""}) {
    kv::ModuleProgram out;
    EXPECT_FALSE(kv::runtimeLoad(n, &out)) << n;
    EXPECT_EQ(out.code, nullptr);
  }
  EXPECT_EQ(countOf(logText(), "OBJ-file: failed in loading OBJ-file."), 4u);
  EXPECT_EQ(countOf(logText(), "opening '"), 0u);
}

TEST_F(ModuleLoadTest, LockIsRestoredWhenAnIncludeInAModuleFails) {
  kv::setMemorySourceFile("inc.kvj", "#include \"other.kvj\"\nvar v = 1;\n");
  kv::setMemorySourceFile("other.kvj", "var w = 2;\n");
  kv::atomTable().sealed = true;
  kv::ModuleProgram out;
  EXPECT_THROW(kv::runtimeLoad("inc.kvj", &out), kv::RuntimeError);
  EXPECT_TRUE(kv::atomTable().sealed);
}

TEST_F(ModuleLoadTest, CompileErrorInAModuleGivesFalse) {
  kv::setMemorySourceFile("bad.kvj", "var a = 1;\nvar b = a \x60 2;\n");
  kv::ModuleProgram out;
  EXPECT_FALSE(kv::runtimeLoad("bad.kvj", &out));
  EXPECT_TRUE(kv::atomTable().sealed);
}

}  // namespace
}  // namespace kvtest
