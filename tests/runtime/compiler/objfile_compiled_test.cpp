// Compiled programs written and read back: exact code words of small
// programs, and every script case's program read back record for record.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/compiler/compile_scope.h"
#include "runtime/vm/atoms.h"
#include "tests/runtime/compiler/front_end_fixture.h"
#include "tests/runtime/compiler/objfile_fixture.h"
#include "tests/runtime/compiler/objfile_listing.h"

namespace kvtest {
namespace {

using namespace kv;

class ObjfileCompiledTest : public ObjfileTest {
 protected:
  void SetUp() override {
    ObjfileTest::SetUp();
    kv::test::gGenerateCode = true;
  }
  void TearDown() override {
    kv::test::gGenerateCode = false;
    ObjfileTest::TearDown();
  }
  // Compiles text and writes it as "main.obj"; false when nothing compiled.
  bool compileAndWrite(const std::string& text) {
    kv::test::CompileRun run = kv::test::compileText(text);
    const CompileResults& r = compileResults();
    if (run.errorCode != -1 || !r.program) return false;
    program_ = LoadedProgram{&r.program->body, r.builtinCount, r.globalCount};
    writeObjFile(program_, "main.kvj");
    return true;
  }
  // The code section's words after the function count: {length, words...} per function.
  static std::vector<uint32_t> codeWords(const Bytes& file) {
    Bytes marker = {0xFF, 0, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    auto at = std::search(file.begin(), file.end(), marker.begin(), marker.end());
    std::vector<uint32_t> words;
    for (auto p = at + 12; p + 4 <= file.end(); p += 4)
      words.push_back(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24);
    return words;
  }
  LoadedProgram program_;
};

// The compiler's output for two small programs gives, byte for byte outside
// the filler words, the files of the same programs made by hand.
TEST_F(ObjfileCompiledTest, SmallProgramsWriteTheirExactFiles) {
  auto withoutFiller = [](Bytes b) {
    b.erase(b.begin() + kFillerBody, b.begin() + kFillerBody + 128);
    return b;
  };
  ASSERT_TRUE(compileAndWrite("var x = 5;"));
  Bytes compiled = fileBytes("main.obj");
  EXPECT_EQ(codeWords(compiled), (std::vector<uint32_t>{8, 949280558u, 2140248000u}));
  writeObjFile(varX(), "hand.kvj");
  EXPECT_EQ(withoutFiller(compiled), withoutFiller(fileBytes("hand.obj")));

  ASSERT_TRUE(compileAndWrite("function add(a, b) { return a + b; }"));
  compiled = fileBytes("main.obj");
  EXPECT_EQ(codeWords(compiled), (std::vector<uint32_t>{8, 0x5ED3186Bu, 0x582A1310u, 8, 0x38BE4D84u, 0x18C08C40u}));
  writeObjFile(addFunction(), "hand.kvj");
  EXPECT_EQ(withoutFiller(compiled), withoutFiller(fileBytes("hand.obj")));
}

TEST_F(ObjfileCompiledTest, ImportWithoutVariableReadsBackWithout) {
  ASSERT_TRUE(compileAndWrite("import @ \"m.kvj\";\nimport m % \"m.kvj\";"));
  std::optional<LoadedProgram> p = readObjFile("main.obj", true);
  ASSERT_TRUE(p) << logText();
  std::vector<const CodeNode*> imports;
  for (const CodeNode* n : *p->main->code)
    if (n->kind == Import) imports.push_back(n);
  ASSERT_EQ(imports.size(), 2u);
  EXPECT_EQ(imports[0]->second.var, nullptr);
  EXPECT_NE(imports[1]->second.var, nullptr);
  EXPECT_STREQ(imports[0]->first.text, "m.kvj");
}

TEST_F(ObjfileCompiledTest, EveryScriptCaseReadsBackRecordForRecord) {
  std::filesystem::path cases = std::filesystem::path(HALVORINE_SOURCE_DIR) / "tests/scripts";
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(cases)) {
    std::ifstream in(entry.path() / "main.kvj", std::ios::binary);
    if (!in) continue;
    std::stringstream text;
    text << in.rdbuf();
    if (!compileAndWrite(text.str())) continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::vector<std::string> written = carriedListing(*program_.main->code);
    initAtomTables();  // another process: other ids
    std::optional<LoadedProgram> p = readObjFile("main.obj", true);
    ASSERT_TRUE(p) << logText();
    EXPECT_EQ(carriedListing(*p->main->code), written);
    EXPECT_EQ(p->firstCount, program_.firstCount);
    EXPECT_EQ(p->secondCount, program_.secondCount);
    ++compared;
  }
  EXPECT_GT(compared, 5);
}

}  // namespace
}  // namespace kvtest
