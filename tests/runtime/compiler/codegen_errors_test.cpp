// Semantic compile errors and warnings, with the lines the log shows.
#include <string>

#include "tests/runtime/compiler/codegen_fixture.h"

namespace kv::test {
namespace {

using CodeGenErrors = CodeGenTest;

TEST_F(CodeGenErrors, IllegalNames) {
  EXPECT_EQ(errors("function f(this) { }"), (Lines{"ERROR: (Ec0008) F:0 L:1 illegal name for parameter"}));
  EXPECT_EQ(errors("const this = 1;"), (Lines{"ERROR: (Ec0009) F:0 L:1 invalid name for variable"}));
  EXPECT_EQ(errors("try { } catch (this) { }"), (Lines{"ERROR: (Ec0010) F:0 L:1 invalid name for catch-block variable"}));
}

TEST_F(CodeGenErrors, OperandErrors) {
  EXPECT_EQ(errors("var x; delete x;"), (Lines{"ERROR: (Ec0016) F:0 L:1 wrong usage of 'delete' operator"}));
  EXPECT_EQ(errors("3 = 4;"), (Lines{"ERROR: (Ec0022) F:0 L:1 L-value required"}));
  EXPECT_EQ(errors("var q; q++ ++;"), (Lines{"ERROR: (Ec0022) F:0 L:1 L-value required"}));
  EXPECT_EQ(errors("var o; delete o.x; delete o[1];"), Lines{});
  EXPECT_EQ(errors("export {zz};"), (Lines{"ERROR: (Ec0028) F:0 L:1 export an undeclared identifier"}));
  EXPECT_EQ(errors("function f() { export {zz}; }"), Lines{});
}

TEST_F(CodeGenErrors, UndeclaredNameWarnsThenFailsAtTheEnd) {
  EXPECT_EQ(errors("x = 1;"), (Lines{"warning: (Wc0000) F:0 L:1 undeclared variable (x)",
                                     "ERROR: (Ec0007) F:0 L:1 unresolved symbol (x)"}));
  // After a syntax error no names are looked up or resolved.
  EXPECT_EQ(errors("var = 1;\nx = 1;"), (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error"}));
}

std::string arguments(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? ", " : "") + std::to_string(i);
  return s;
}

std::string nestedFunctions(int n) {
  std::string open, close;
  for (int i = 0; i < n; ++i) {
    open += "function f" + std::to_string(i) + "() {\n";
    close += "}\n";
  }
  return open + close;
}

TEST_F(CodeGenErrors, Limits) {
  EXPECT_EQ(errors("function f() { }\n\nf(" + arguments(16) + ");"), Lines{});
  EXPECT_EQ(errors("function f() { }\n\nf(" + arguments(17) + ");"), (Lines{"ERROR: (Ec0020) F:0 L:3 too many arguments"}));
  EXPECT_EQ(errors(nestedFunctions(15)), Lines{});
  EXPECT_EQ(errors(nestedFunctions(16)), (Lines{"ERROR: (Ec0019) F:0 L:16 too many nestings"}));
}

TEST_F(CodeGenErrors, LabelsAndGenerators) {
  EXPECT_EQ(errors("while (1) { break L; }"), (Lines{"ERROR: (Ec0012) F:0 L:1 no such label"}));
  EXPECT_EQ(errors("while (1) { continue L; }"), (Lines{"ERROR: (Ec0013) F:0 L:1 no such label"}));
  EXPECT_EQ(errors("var k; L: switch (k) { case 1: continue L; }"), (Lines{"ERROR: (Ec0013) F:0 L:1 no such label"}));
  EXPECT_EQ(errors("L: while (1) { break L; continue L; }"), Lines{});
  EXPECT_EQ(errors("function f() { yield 1; }"),
            (Lines{"ERROR: (Ec0026) F:0 L:1 yield operator found in non-generator function"}));
  EXPECT_EQ(errors("var g0 = 1;\nfunction* g() { yield g0; }"),
            (Lines{"ERROR: (Ec0027) F:0 L:2 generator function cannot use free-variable"}));
  EXPECT_EQ(errors("function* g(a) { var b = a; yield b; var f = function () { return b; }; yield 2; }"), Lines{});
  EXPECT_EQ(errors("var k; switch (k) { case 1: break; case KEY_INPUT_A: break; }"), Lines{});
}

TEST_F(CodeGenErrors, DuplicateDeclarationsAcrossVisibility) {
  EXPECT_EQ(errors("var x;\nvar x;"), Lines{});
  EXPECT_EQ(errors("var x;\n#scope on\nvar x;"), (Lines{"ERROR: (Ec0015) F:0 L:3 same identifier defined already"}));
  EXPECT_EQ(errors("#scope on\nvar x;\n#scope off\nvar x;"),
            (Lines{"ERROR: (Ec0015) F:0 L:4 same identifier defined already"}));
  EXPECT_EQ(errors("function f(a) { var a; }\nfunction g() { var f; }"), Lines{});
}

TEST_F(CodeGenErrors, FailedCompileLeavesNothingBehind) {
  EXPECT_FALSE(compileText("function* g() { yield 1 +; }").codegen);
  EXPECT_EQ(compileResults().program, nullptr);
  EXPECT_EQ(errors("while (1) { function f() { break L; } }"), (Lines{"ERROR: (Ec0012) F:0 L:1 no such label"}));
  CompileRun run = compileText("var r = later();\nfunction later() { return 3; }");
  EXPECT_EQ(messages(run), (Lines{"warning: (Wc0000) F:0 L:1 undeclared variable (later)"}));
  EXPECT_NE(compileResults().program, nullptr);
}

}  // namespace
}  // namespace kv::test
