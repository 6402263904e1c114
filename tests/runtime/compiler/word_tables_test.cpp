// Tests of runtime/compiler/word_tables: the script language's words.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/compiler/parse_tables.h"
#include "runtime/compiler/tokens.h"
#include "runtime/compiler/word_tables.h"
#include "runtime/vm/errors.h"

namespace kv {
namespace {

int32_t classify(int32_t kind, const char* text) { return classifyToken(kind, text, std::strlen(text)); }

int errorOf(auto&& f) {
  try {
    f();
  } catch (const CompileError& e) {
    return e.code;
  }
  return -1;
}

TEST(WordTables, Classifier) {
  EXPECT_EQ(classify(kKindWord, "Math"), 322);
  EXPECT_EQ(classify(kKindWord, "math"), 332);
  EXPECT_EQ(classify(kKindWord, "do"), 265);
  EXPECT_EQ(classify(kKindWord, "KEY_INPUT_A"), 336);
  EXPECT_EQ(classify(kKindWord, "KEY_INPUT"), 332);
  EXPECT_EQ(classify(kKindNumber, "1.0"), 331);
  EXPECT_EQ(classify(kKindNumber, "10"), 330);
  EXPECT_EQ(classify(kKindBracket, "}"), 125);
  EXPECT_EQ(classify(kKindOperator, "@"), 320);
  EXPECT_EQ(classify(kKindOperator, "##"), 320);
  EXPECT_EQ(classify(kKindOperator, "!=="), 318);
  EXPECT_EQ(classify(kKindBad, "x"), 340);
  EXPECT_EQ(errorOf([] { classify(kKindOperator, "&&="); }), 29);
  EXPECT_EQ(errorOf([] { classify(kKindOperator, "====="); }), 29);
  EXPECT_EQ(errorOf([] { classify(kKindBracket, "x"); }), 29);
  EXPECT_EQ(errorOf([] { classify(12345, "x"); }), 29);
}

TEST(WordTables, KeyNames) {
  EXPECT_EQ(lookupKeyName("ESCAPE"), 1);
  EXPECT_EQ(lookupKeyName("Z"), 44);
  EXPECT_EQ(lookupKeyName("PGUP"), 201);
  EXPECT_EQ(lookupKeyName("0"), 11);
  EXPECT_EQ(lookupKeyName("NUMPADENTER"), 156);
  EXPECT_EQ(errorOf([] { lookupKeyName("escape"); }), 32);
  EXPECT_EQ(errorOf([] { lookupKeyName(""); }), 32);
}

TEST(WordTables, BuiltinMembers) {
  EXPECT_EQ(compileBuiltinMember(kNsMath, "random"), 65555);
  EXPECT_EQ(compileBuiltinMember(kNsMath, "randomFloat"), 65555);
  EXPECT_EQ(compileBuiltinMember(kNsSystem, "pad0"), 196616);
  EXPECT_EQ(compileBuiltinMember(kNsSystem, "keyPad1"), 196616);
  EXPECT_EQ(compileBuiltinMember(kNsConsole, "log"), 262144);
  EXPECT_EQ(compileBuiltinMember(kNsSystem, "setDefaultLayerVisiblity"), 196641);
  EXPECT_EQ(compileBuiltinMember(kNsNumber, "isNaN"), 6 * 65536 + 17);
  EXPECT_EQ(compileBuiltinMember(kNsSaveFile, "tell"), 5 * 65536 + 7);
  EXPECT_EQ(errorOf([] { compileBuiltinMember(kNsMath, "foo"); }), 17);
  EXPECT_EQ(errorOf([] { compileBuiltinMember(kNsMath, "rand"); }), 17);
  EXPECT_EQ(errorOf([] { compileBuiltinMember(7, "log"); }), 17);
  EXPECT_EQ(builtinMemberSlot(0, "PI"), -1);
}

// The automaton bison builds for the grammar, and the tables made from it.
TEST(ParseTables, GrammarAutomaton) {
  namespace pt = parse_tables;
  EXPECT_EQ(pt::kReportShiftReduce, 5);
  EXPECT_EQ(pt::kReportReduceReduce, 6);
  EXPECT_EQ(pt::kReportStates, 415);
  EXPECT_EQ(pt::kMergedStates, 162);
  EXPECT_EQ(pt::kStates, 252);
  EXPECT_EQ(pt::kRules, 242);
  EXPECT_EQ(pt::kNonterminals, 103);
  // Rule lengths of a few rules pin the rule numbering to the grammar's.
  EXPECT_EQ(pt::kRuleLength[58], 9);
  EXPECT_EQ(pt::kRuleLength[102], 10);
  EXPECT_EQ(pt::kRuleLength[241], 3);
  EXPECT_EQ(pt::kRuleLength[12], 0);
  // Codes no rule uses map to the undefined terminal.
  for (int code : {265, 279, 316, 318, 319, 340, 341})
    EXPECT_EQ(pt::kTranslate[code], pt::kUndefinedTerminal) << code;
}

}  // namespace
}  // namespace kv
