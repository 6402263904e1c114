// Tests of runtime/compiler/scanner: the scanner.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "front_end_fixture.h"

namespace kv::test {
namespace {

std::vector<int> codes(const std::string& text) {
  std::vector<int> out;
  for (const auto& t : scanText(text)) out.push_back(t.code);
  return out;
}

int compileErrorOf(const std::string& text) {
  try {
    scanText(text);
  } catch (const CompileError& e) {
    return e.code;
  }
  return -1;
}

TEST(Scanner, OperatorsTakeTheLongestText) {
  EXPECT_EQ(codes("a+++b"), (std::vector<int>{332, 296, 282, 332}));
  EXPECT_EQ(codes("x>>>=1"), (std::vector<int>{332, 319, 330}));
  EXPECT_EQ(codes("x>>>1"), (std::vector<int>{332, 316, 330}));
  EXPECT_EQ(codes("a!==b"), (std::vector<int>{332, 318, 332}));
  EXPECT_EQ(codes("a<<=b>>c"), (std::vector<int>{332, 314, 332, 309, 332}));
  EXPECT_EQ(codes("##"), (std::vector<int>{320}));
  EXPECT_EQ(codes("#include"), (std::vector<int>{337, 332}));
  EXPECT_EQ(codes("a/=b/c"), (std::vector<int>{332, 303, 332, 284, 332}));
  EXPECT_EQ(compileErrorOf("a&&=b"), 29);
  EXPECT_EQ(compileErrorOf("a||=b"), 29);
}

TEST(Scanner, NumbersConvertWithExactLimits) {
  auto t = scanText("0x1F 007 0xFFFFFFFF 2147483647 1.5e3 1. 0");
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[0].code, 330);
  EXPECT_EQ(t[0].value.intValue, 31);
  EXPECT_EQ(t[1].value.intValue, 7);
  EXPECT_EQ(t[2].value.intValue, -1);
  EXPECT_EQ(t[3].value.intValue, 2147483647);
  EXPECT_EQ(t[4].code, 331);
  EXPECT_EQ(t[4].value.doubleValue, 1.5);
  EXPECT_EQ(t[5].code, 332);
  EXPECT_STREQ(t[5].value.text, "e3");
  EXPECT_EQ(t[6].code, 331);
  EXPECT_EQ(t[6].value.doubleValue, 1.0);
  EXPECT_EQ(t[7].value.intValue, 0);
  EXPECT_EQ(codes(".5"), (std::vector<int>{46, 330}));
  EXPECT_EQ(compileErrorOf("0x100000000"), 25);
  EXPECT_EQ(compileErrorOf("2147483648"), 25);
  EXPECT_EQ(compileErrorOf("0x"), 25);
}

TEST(Scanner, ConversionErrorsCarryTheLiteralsLine) {
  EXPECT_EQ(compileErrorOf("a\nb\n\n99999999999 c d e f g"), 25);
  EXPECT_EQ(gCompilePosition.line, 4);
  EXPECT_EQ(compileErrorOf("a\n\nKEY_INPUT_escape"), 32);
  EXPECT_EQ(gCompilePosition.line, 3);
  EXPECT_EQ(compileErrorOf("a\nb &&= c"), 29);
  EXPECT_EQ(gCompilePosition.line, 2);
}

TEST(Scanner, WordsAndKeyNames) {
  auto t = scanText("Math math true false KEY_INPUT_Z KEY_INPUT_ESCAPE $x_1 function");
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[0].code, 322);
  EXPECT_EQ(t[1].code, 332);
  EXPECT_EQ(t[2].code, 334);
  EXPECT_STREQ(t[2].value.text, "true");
  EXPECT_EQ(t[3].code, 334);
  EXPECT_STREQ(t[3].value.text, "false");
  EXPECT_EQ(t[4].code, 336);
  EXPECT_EQ(t[4].value.intValue, 44);
  EXPECT_EQ(t[5].value.intValue, 1);
  EXPECT_STREQ(t[6].value.text, "$x_1");
  EXPECT_EQ(t[7].code, 274);
  EXPECT_EQ(codes("function"), (std::vector<int>{275}));  // the file starts a statement
  EXPECT_EQ(compileErrorOf("KEY_INPUT_escape"), 32);
  EXPECT_EQ(compileErrorOf("KEY_INPUT_"), 32);
}

TEST(Scanner, LengthLimits) {
  std::string w63(63, 'a'), w64(64, 'a');
  EXPECT_EQ(codes(w63), (std::vector<int>{332}));
  EXPECT_EQ(codes(w64), (std::vector<int>{340}));
  EXPECT_EQ(codes("\"" + std::string(256, 's') + "\""), (std::vector<int>{333}));
  EXPECT_EQ(codes("\"" + std::string(257, 's') + "\""), (std::vector<int>{340}));
  EXPECT_EQ(codes(std::string(64, '7')), (std::vector<int>{340}));
}

TEST(Scanner, StringsHaveNoEscapes) {
  auto t = scanText("'a\\b\"c' \"x'y\" \"\"");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_STREQ(t[0].value.text, "a\\b\"c");
  EXPECT_STREQ(t[1].value.text, "x'y");
  EXPECT_STREQ(t[2].value.text, "");
}

TEST(Scanner, LinesAreThoseOfTheTokensLastCharacter) {
  auto t = scanText("a\nb /* x\n\n */ c // d\r\ne\n/* open");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].line, 1);
  EXPECT_EQ(t[1].line, 2);
  EXPECT_EQ(t[2].line, 4);
  EXPECT_EQ(t[3].line, 5);
}

TEST(Scanner, AWordEndingTheFileIsDelivered) {
  auto t = scanText("x = abc");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_STREQ(t[2].value.text, "abc");
  EXPECT_EQ(codes("12"), (std::vector<int>{330}));
  EXPECT_EQ(codes("1."), (std::vector<int>{331}));
  EXPECT_EQ(codes("a +"), (std::vector<int>{332, 282}));
}

TEST(Scanner, ByteFFIsAnOrdinaryByte) {
  auto t = scanText("\"a\xff" "b\" c /* \xff */ d");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_STREQ(t[0].value.text, "a\xff" "b");
  EXPECT_STREQ(t[1].value.text, "c");
  EXPECT_STREQ(t[2].value.text, "d");
}

TEST(Scanner, UnknownBytesWarnOnceAndAreDropped) {
  auto run = compileText("x = \x80\x81 abc;\ny = \x82 1;");
  auto m = messages(run);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], "warning: (Wc0001) F:0 L:1 bad token detected");
  EXPECT_EQ(m[1], "warning: (Wc0001) F:0 L:2 bad token detected");
  EXPECT_TRUE(run.codegen);
  auto t = scanText("\x80 abc");
  ASSERT_EQ(t.size(), 1u);
  EXPECT_STREQ(t[0].value.text, "abc");
}

TEST(Scanner, UnterminatedStringCountsItsLineEnd) {
  auto run = compileText("\"open\nvar a;\nx = 1 2;");
  auto m = messages(run);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], "warning: (Wc0001) F:0 L:1 bad token detected");
  EXPECT_EQ(m[1], "ERROR: (Ec0023) F:0 L:3 syntax error");
}

TEST(Scanner, StatementStartMakesFunctionADeclaration) {
  // After `=` a function is an expression; after `;` it starts a statement.
  auto t = scanText("f = function() {}; function g() {}");
  EXPECT_EQ(t[2].code, 274);
  std::vector<int> fn;
  for (const auto& tok : t)
    if (tok.code == 274 || tok.code == 275) fn.push_back(tok.code);
  // Scanning alone never sets the flag again; the parser does (see parser tests).
  EXPECT_EQ(fn, (std::vector<int>{274, 274}));
}

}  // namespace
}  // namespace kv::test
