// Tests of runtime/compiler/parser: the script parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "front_end_fixture.h"
#include "runtime/compiler/grammar_actions.h"

namespace kv::test {
namespace {

using Lines = std::vector<std::string>;

bool accepted(const std::string& text) {
  auto run = compileText(text);
  return run.errorCode < 0 && run.codegen && messages(run).empty();
}

TEST(Parser, ReportsEveryBurstOfErrors) {
  EXPECT_EQ(messages(compileText("var a, b;\na = 1 2;\nb = 3 4;")),
            (Lines{"ERROR: (Ec0023) F:0 L:2 syntax error", "ERROR: (Ec0023) F:0 L:3 syntax error"}));
  EXPECT_EQ(messages(compileText("t = a * (int)b;\nx = 1 2;")),
            (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error", "ERROR: (Ec0023) F:0 L:2 syntax error"}));
}

TEST(Parser, ErrorRulesLogTheirOwnMessage) {
  EXPECT_EQ(messages(compileText("function f(a,,b) { return 1; }\nvar u = 1\nvar v = 2;")),
            (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error", "Compiler: error at parameters  F:0 L:1",
                   "ERROR: (Ec0023) F:0 L:3 syntax error"}));
  auto run = compileText("if (1 +) x;");
  EXPECT_EQ(messages(run),
            (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error", "Compiler: error at if-test  F:0 L:1"}));
  EXPECT_FALSE(run.codegen);
  EXPECT_EQ(run.errorCode, -1);
  EXPECT_EQ(messages(compileText("var o = {a: 1,, b: 2};\nvar p = [1, 2,];")),
            (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error", "Compiler: error at JSON  F:0 L:1",
                   "ERROR: (Ec0023) F:0 L:2 syntax error", "Compiler: error at JSON  F:0 L:2"}));
}

TEST(Parser, ConstantNamedThisIsAnErrorEvenWithoutCode) {
  auto run = compileText("var x;\nx = ;\nconst this = 1;");
  EXPECT_EQ(messages(run), (Lines{"ERROR: (Ec0023) F:0 L:2 syntax error",
                                  "ERROR: (Ec0014) F:0 L:3 violation in constant definition"}));
  EXPECT_EQ(run.errorCode, 14);
}

TEST(Parser, StackOverflowAbandonsTheParse) {
  auto run = compileText("x = " + std::string(600, '(') + "1" + std::string(600, ')') + ";");
  EXPECT_EQ(messages(run),
            (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error", "ERROR: (Ec0000) F:0 L:1 error"}));
}

TEST(Parser, EmptySourceIsASyntaxErrorWithoutProgram) {
  auto run = compileText("");
  EXPECT_EQ(messages(run), (Lines{"ERROR: (Ec0023) F:0 L:0 syntax error"}));
  EXPECT_EQ(run.errorCode, -1);
  EXPECT_FALSE(run.codegen);
}

TEST(Parser, FunctionAfterAStatementEndedByItsLookaheadIsADeclaration) {
  for (const char* text :
       {"var a = 0;\nif (a) a = 1;\nfunction f() { return 1; }", "var a, b;\nif (a) { } else if (b) { }\nfunction f() { }",
        "try { } catch (e) { }\nfunction f() { }", "var a;\nfunction h() { if (a) { }\nfunction *f() { } }",
        "var a, x;\nfor (;;) x = 1;\nfunction f() { }", "var a;\nif (a) { }\nfunction (x) { };"})
    EXPECT_TRUE(accepted(text)) << text;
  EXPECT_TRUE(accepted("var a = 0;\nif (a) a = 1;\n;function f() { return 1; }"));
  EXPECT_TRUE(accepted("var a = 0;\nif (a) { function g() { return 2; } }"));
  EXPECT_TRUE(accepted("function* g() { yield 1; }\nexport { g };"));
  for (const char* text : {"#scope on\nfunction f() {}", "x = 1; function f() {}", "for (;;) { function g() {} }",
                           "f = function () { return 1; };", "f = function named(a, b) { return a; };"})
    EXPECT_TRUE(accepted(text)) << text;
  EXPECT_FALSE(accepted("x = function f() {}"));  // an expression statement needs its `;`
}

TEST(Parser, GrammarBoundaries) {
  for (const char* text : {"x = yield 1;", "switch (k) { case 1: case 2: x(); }", "y = 2 * (int)x;",
                           "const a = 1, b = 2, c = 3;", "f()[1];", "x = a !== b;", "do { } while (1);",
                           "while (a) x();", "x = .5;"}) {
    EXPECT_FALSE(accepted(text)) << text;
  }
  for (const char* text :
       {"function g() { return yield 1; }", "x = (int)(float)x;", "x = (int)x * 2;", "f()(1);",
        "f().x;", "f()['k'];", "x = a ? b : c;", "x = a || b && c;", "const a = 1, b = 2;",
        "for (;;) { break; }", "for (i = 0; i < 3; i++) x();", "loop: while (1) { continue loop; }",
        "switch (k) { case 1: x(); case KEY_INPUT_A: y(); default: z(); }",
        "try { a(); } catch (e) { b(); } finally { c(); }", "import @ \"m.kvj\";",
        "import m % \"m.kvj\";", "export { a, b };", "x = {a: 1, 'b': 2, 3: 4};", "x = [];",
        "x = {};", "x = new Foo(1).y;", "x = new new F;", "x = Math.PI + System.pad0;",
        "x >>= 1; x <<= 2; x |= 3; x ^= 4; x &= 5; x %= 6;", "x = a @ b;", "wait;", "throw;",
        "x = typeof a instanceof b;", "delete a.b;", "x = -~!a;", "if (a) b(); else if (c) d(); else e();",
        "x = 1, y = 2;", "#scope on"}) {
    EXPECT_TRUE(accepted(text)) << text;
  }
}

TEST(Parser, NamespaceMembersAreCheckedEvenAfterAnError) {
  auto run = compileText("x = 1 2;\ny = Math.foo;");
  EXPECT_EQ(messages(run), (Lines{"ERROR: (Ec0023) F:0 L:1 syntax error",
                                  "ERROR: (Ec0017) F:0 L:2 no such member in the object constant"}));
}

// Records what reaches the code-generation seam.
class RecordingActions : public GrammarActions {
 public:
  void reset() override { ++resets; }
  void reduce(int32_t rule, const SemanticValue* rhs, int32_t, SemanticValue&) override {
    rules.push_back(rule);
    if (rule == 228 || rule == 226) counts.push_back(parserState().argumentCount);
    if (rule == 213) members.push_back(rhs[0].intValue);
  }
  void afterParse() override { ++afterParses; }
  std::vector<int32_t> rules, counts, members;
  int resets = 0, afterParses = 0;
};

TEST(Parser, ActionsReachTheCodeGenerationSeam) {
  RecordingActions actions;
  setGrammarActions(&actions);
  auto run = compileText("f(1, g(2, 3), h());\nx = System.pad0;\nlab: while (1) { break lab; }");
  setGrammarActions(nullptr);
  EXPECT_TRUE(messages(run).empty());
  EXPECT_EQ(actions.afterParses, 1);
  EXPECT_GE(actions.resets, 1);
  EXPECT_EQ(actions.counts, (std::vector<int32_t>{2, 0, 3}));
  EXPECT_EQ(actions.members, (std::vector<int32_t>{3}));
  for (int32_t r : actions.rules) {
    EXPECT_NE(r, 1);    // rules without actions never reach the seam
    EXPECT_NE(r, 111);  // namespace numbers are the parser's own
  }
}

TEST(Parser, NoCodeIsGeneratedAfterAnError) {
  RecordingActions actions;
  setGrammarActions(&actions);
  auto run = compileText("x = 1 2;\nf(1);");
  setGrammarActions(nullptr);
  EXPECT_FALSE(run.codegen);
  EXPECT_EQ(actions.afterParses, 0);
  EXPECT_TRUE(actions.counts.empty());
}

}  // namespace
}  // namespace kv::test
