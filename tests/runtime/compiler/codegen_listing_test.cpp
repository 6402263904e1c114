// The records that declarations, statements and expressions compile to.
#include "tests/runtime/compiler/codegen_fixture.h"

namespace kv::test {
namespace {

using CodeGenListing = CodeGenTest;

TEST_F(CodeGenListing, DeclaredFunctionIsMadeInThePrologue) {
  Lines top = listing("var x = 1;\nfunction add(a, b) { return a + b; }");
  EXPECT_EQ(top, (Lines{"EnterScope", "LoadVariable add depth=0 slot=1 flags=2", "MakeClosure flags=1", "Assign",
                        "Pop137", "LoadVariable x depth=0 slot=0 flags=2", "PushInt 1", "Assign", "Pop137", "End"}));
  const FunctionRecord* add = nestedFunction(program());
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(listCode(add->body.code),
            (Lines{"LoadVariable a depth=0 slot=-1 flags=1", "LoadVariable b depth=0 slot=-2 flags=1", "Add", "Return",
                   "PushUndefined"}));
  EXPECT_EQ(add->params.size(), 2u);
  EXPECT_EQ(compileResults().builtinCount, 1);
  EXPECT_EQ(compileResults().globalCount, 2);
}

TEST_F(CodeGenListing, MethodCallCarriesTheMethodFlag) {
  EXPECT_EQ(listing("var a;\na.b(1, 2);"),
            (Lines{"LoadVariable a depth=0 slot=0 flags=1", "GetMember b flags=1", "PushInt 1", "PushInt 2",
                   "PushInt138 2", "Call 1", "JumpToHandlerIfThrown", "Pop137", "End"}));
}

TEST_F(CodeGenListing, StatementShapes) {
  EXPECT_EQ(listing("var a, b; if (a) b = 1; else if (b) a = 2; else a = 3;"),
            (Lines{"LoadVariable a depth=0 slot=0 flags=1", "JumpIfFalse107", "LoadVariable b depth=0 slot=1 flags=2",
                   "PushInt 1", "Assign", "Pop137", "Jump108", "LoadVariable b depth=0 slot=1 flags=1",
                   "JumpIfFalse109", "LoadVariable a depth=0 slot=0 flags=2", "PushInt 2", "Assign", "Pop137",
                   "Jump110", "LoadVariable a depth=0 slot=0 flags=2", "PushInt 3", "Assign", "Pop137", "Nop112",
                   "End"}));
  EXPECT_EQ(listing("var a; while (a) { a = 0; }"),
            (Lines{"LoadVariable a depth=0 slot=0 flags=1", "JumpIfFalse121", "LoadVariable a depth=0 slot=0 flags=2",
                   "PushInt 0", "Assign", "Pop137", "Jump122", "End"}));
  EXPECT_EQ(listing("var i; for (i = 0; i < 3; i++) ;"),
            (Lines{"LoadVariable i depth=0 slot=0 flags=2", "PushInt 0", "Assign", "Pop123",
                   "LoadVariable i depth=0 slot=0 flags=1", "PushInt 3", "Less 0", "Branch",
                   "LoadVariable i depth=0 slot=0 flags=3", "IncrementInPlace 0", "PopAndJump", "Jump126", "End"}));
  EXPECT_EQ(listing("for (;;) break;"),
            (Lines{"PushUndefined", "Pop123", "PushBool 1", "Branch", "PushUndefined", "PopAndJump", "Jump117",
                   "Jump126", "End"}));
  EXPECT_EQ(listing("var k; switch (k) { case 1: k = 2; break; default: k = 3; }"),
            (Lines{"LoadVariable k depth=0 slot=0 flags=1", "Switch", "Nop114", "LoadVariable k depth=0 slot=0 flags=2",
                   "PushInt 2", "Assign", "Pop137", "Jump117", "Nop115", "LoadVariable k depth=0 slot=0 flags=2",
                   "PushInt 3", "Assign", "Pop137", "Nop116", "End"}));
  EXPECT_EQ(listing("try { throw 1; } catch (e) { } finally { }"),
            (Lines{"PushInt 1", "Throw 1", "JumpPast", "StoreCaught129", "Nop130", "JumpIfThrown", "End"}));
}

TEST_F(CodeGenListing, IntegerTextKeysAndAtoms) {
  auto keyOf = [&](const std::string& access) {
    Lines l = listing("var o;\no" + access + ";");
    return l.size() > 1 ? l[1] : std::string();
  };
  EXPECT_EQ(keyOf("[\"12\"]"), "GetMember #12 flags=1");
  EXPECT_EQ(keyOf("[12]"), "GetMember #12 flags=1");
  EXPECT_EQ(keyOf("[\"-3\"]"), "GetMember -3 flags=1");
  EXPECT_EQ(keyOf("[\"2147483647\"]"), "GetMember #2147483647 flags=1");
  EXPECT_EQ(keyOf("[\"2147483648\"]"), "GetMember 2147483648 flags=1");
  EXPECT_EQ(keyOf("[\"4294967297\"]"), "GetMember 4294967297 flags=1");
  EXPECT_EQ(keyOf("[\"x1\"]"), "GetMember x1 flags=1");
  EXPECT_EQ(keyOf("[0xFFFFFFFF]"), "GetMember -1 flags=1");
  // Those spelled as atoms are atoms, not integer keys.
  EXPECT_LT(memberKeyOfText("-3"), 0);
  EXPECT_LT(memberKeyOfText("4294967297"), 0);
  EXPECT_EQ(memberKeyOfText("0"), 0);
}

TEST_F(CodeGenListing, CallsAndMembersOfCallResults) {
  EXPECT_EQ(listing("var f;\nf()(21);"),
            (Lines{"LoadVariable f depth=0 slot=0 flags=1", "PushInt138 0", "Call 0", "JumpToHandlerIfThrown",
                   "PushInt 21", "PushInt138 1", "Call 0", "JumpToHandlerIfThrown", "Pop137", "End"}));
  EXPECT_EQ(listing("var f;\nf().v;"), (Lines{"LoadVariable f depth=0 slot=0 flags=1", "PushInt138 0", "Call 0",
                                              "JumpToHandlerIfThrown", "GetMember v flags=1", "Pop137", "End"}));
  EXPECT_EQ(listing("var F;\nnew F;"), (Lines{"LoadVariable F depth=0 slot=0 flags=1", "PushInt138 0", "New 0",
                                              "JumpToHandlerIfThrown", "Pop137", "End"}));
}

TEST_F(CodeGenListing, NamesResolvedWhenTheirFunctionEnds) {
  Lines top = listing("function f() { return g(); }\nfunction g() { return 42; }");
  const FunctionRecord* f = nestedFunction(program(), 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(listCode(f->body.code)[0], "LoadVariable g depth=1 slot=1 flags=1");
  // A local declared later in the function binds there; an earlier outer
  // declaration wins for uses before it.
  listing("var x = 1;\nfunction h() { x = 5; var x = 7; return x; }");
  const FunctionRecord* h = nestedFunction(program(), 0);
  Lines body = listCode(h->body.code);
  EXPECT_EQ(body[0], "LoadVariable x depth=1 slot=0 flags=2");
  EXPECT_EQ(body[4], "LoadVariable x depth=0 slot=0 flags=2");
}

TEST_F(CodeGenListing, BreakInsideAFunctionExpressionStaysInsideIt) {
  listing("var n = 0;\nwhile (n < 3) { n++; var f = function () { break; continue; }; }");
  const FunctionRecord* f = nestedFunction(program(), 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(listCode(f->body.code), (Lines{"PushUndefined"}));
  EXPECT_EQ(errors("while (1) { var f = function () { break L; }; }"),
            (Lines{"ERROR: (Ec0012) F:0 L:1 no such label"}));
}

TEST_F(CodeGenListing, ReturnInFinallyLeavesTheFunction) {
  listing("function f() { try { } finally { return 5; } return 6; }");
  Lines body = listCode(nestedFunction(program())->body.code);
  EXPECT_EQ(body, (Lines{"JumpPast", "Nop130", "PushInt 5", "Return", "JumpIfThrown", "PushInt 6", "Return",
                         "PushUndefined"}));
}

TEST_F(CodeGenListing, TryInsideFinallyPassesItsExceptionOnWithinTheBlock) {
  listing("function f() { try { throw 1; } finally { try { } finally { } throw 2; } }");
  CodeVector* body = nestedFunction(program())->body.code;
  Lines l = listCode(body);
  ASSERT_EQ(l, (Lines{"PushInt 1", "Throw 1", "JumpPast", "Nop130", "JumpPast", "Nop130", "JumpIfThrown", "PushInt 2",
                      "Throw 1", "JumpIfThrown", "PushUndefined"}));
  // The inner statement's end goes on with the next record; the outer one
  // leaves the function.
  EXPECT_EQ((*body)[6]->operand.i, 7);
  EXPECT_EQ((*body)[9]->operand.i, -1);
}

TEST_F(CodeGenListing, WaitIsBlockedWhileImportingAndBack) {
  listing("function f() { wait; }\nwait;");
  CodeVector* code = const_cast<CodeVector*>(program());
  const FunctionRecord* f = nestedFunction(code);
  setWaitBlocked(code, true);
  EXPECT_EQ(listCode(f->body.code)[0], "WaitForbidden");
  EXPECT_EQ(listCode(code)[5], "WaitForbidden");
  (*code)[5]->operand.i = 7;  // forbidden for another reason: stays so
  setWaitBlocked(code, false);
  EXPECT_EQ(listCode(f->body.code)[0], "Wait");
  EXPECT_EQ(listCode(code)[5], "WaitForbidden");
}

}  // namespace
}  // namespace kv::test
