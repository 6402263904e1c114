// Tests of runtime/vm/link: linking a function's records into the vector the interpreter runs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "runtime/vm/atoms.h"
#include "runtime/vm/code.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/function.h"
#include "runtime/vm/link.h"

namespace {

using namespace kv;

struct Pushed {
  int32_t kind;
  int32_t value;
};

std::vector<Pushed> shape(const CodeVector& v) {
  std::vector<Pushed> out;
  for (const CodeNode* n : v) out.push_back({n->kind, n->kind == PushInt ? n->operand.i : 0});
  return out;
}

bool operator==(const Pushed& a, const Pushed& b) { return a.kind == b.kind && a.value == b.value; }

std::unique_ptr<CodeVector> linked(NodeList& l, bool fold) { return std::unique_ptr<CodeVector>(linkCode(l, fold)); }

NodeList ints(std::initializer_list<int32_t> values) {
  NodeList l;
  for (int32_t v : values) l.push_back(newNodePushInt32(v));
  return l;
}

TEST(Folding, ArithmeticChainsBecomeOnePush) {
  NodeList a = ints({1, 2});
  a.push_back(newNodeAdd());
  a.push_back(newNodeReturn(nullptr));
  EXPECT_EQ(shape(*linked(a, true)), (std::vector<Pushed>{{PushInt, 3}, {Return, 0}}));

  NodeList b = ints({5});
  b.push_back(newNodeNegate());
  EXPECT_EQ(shape(*linked(b, true)), (std::vector<Pushed>{{PushInt, -5}}));

  NodeList c = ints({1, 2});
  c.push_back(newNodeAdd());
  c.push_back(newNodePushInt32(3));
  c.push_back(newNodeSub());
  c.push_back(newNodePop137());
  EXPECT_EQ(shape(*linked(c, true)), (std::vector<Pushed>{{PushInt, 0}, {Pop137, 0}}));

  NodeList d = ints({0});
  d.push_back(newNodeNot());
  EXPECT_EQ(shape(*linked(d, true)), (std::vector<Pushed>{{PushInt, 1}}));
}

TEST(Folding, LeavesSequencesItCannotFinish) {
  NodeList a;
  a.push_back(newNodePushDouble(1.5));
  a.push_back(newNodePushInt32(2));
  a.push_back(newNodeAdd());
  EXPECT_EQ(linked(a, true)->size(), 3u);

  NodeList b = ints({1, 2, 3});
  b.push_back(newNodeAdd());
  b.push_back(newNodeAdd());
  EXPECT_EQ(linked(b, true)->size(), 5u);

  // A folded pair, then a constant and a call: the whole chain stays.
  NodeList c = ints({1, 2});
  c.push_back(newNodeAdd());
  c.push_back(newNodePushInt32(3));
  c.push_back(newNodeCall(0));
  EXPECT_EQ(linked(c, true)->size(), 5u);
}

TEST(Folding, EdgeArithmeticFoldsWithoutTraps) {
  initValueConstants();
  NodeList a = ints({2147483647, 1});
  a.push_back(newNodeAdd());
  EXPECT_EQ(shape(*linked(a, true)), (std::vector<Pushed>{{PushInt, INT32_MIN}}));

  NodeList b = ints({INT32_MIN, -1});
  b.push_back(newNodeDiv());
  EXPECT_EQ(shape(*linked(b, true)), (std::vector<Pushed>{{PushInt, INT32_MIN}}));

  NodeList c = ints({1, 0});
  c.push_back(newNodeDiv());
  auto v = linked(c, true);
  ASSERT_EQ(v->size(), 1u);
  EXPECT_EQ((*v)[0]->kind, PushNaN);

  NodeList d = ints({7});
  d.push_back(newNodeBitNot());
  EXPECT_EQ(shape(*linked(d, true)), (std::vector<Pushed>{{PushInt, -8}}));
}

TEST(Linking, WithoutFoldingOnlyLabelsGo) {
  NodeList a = ints({1, 2});
  a.push_back(newNodeAdd());
  EXPECT_EQ(linked(a, false)->size(), 3u);
  EXPECT_EQ(a.size(), 3u);
}

TEST(Linking, LabelsVanishAndPlaceTheNextRecord) {
  LabelSlot* top = newLabelSlot();
  LabelSlot* out = newLabelSlot();
  NodeList l;
  l.push_back(newNodeLabel(top));
  l.push_back(newNodePushBool(1));
  l.push_back(newNodeJumpIfFalse121(out));
  l.push_back(newNodeJump117(top));
  l.push_back(newNodeLabel(out));
  l.push_back(newNodeReturnUndefined(nullptr));
  auto v = linked(l, false);
  ASSERT_EQ(v->size(), 4u);
  EXPECT_EQ(top->position, 0);
  EXPECT_EQ(out->position, 3);
  EXPECT_EQ((*v)[1]->operand.i, 3);
  EXPECT_EQ((*v)[1]->first.ptr, nullptr);
  EXPECT_EQ((*v)[2]->operand.i, 0);
  EXPECT_EQ(l.size(), 6u);  // the list keeps its records
}

TEST(Linking, EveryVectorEndsInTheEndOfCode) {
  NodeList l = ints({4, 5});
  auto v = linked(l, false);
  ASSERT_EQ(v->size(), 2u);
  EXPECT_EQ(v->data()[2], endOfCode());
  CodeVector built{newNodePushNull()};
  built.push_back(newNodePushNull());
  EXPECT_EQ(built.size(), 2u);
  EXPECT_EQ(built.data()[2], endOfCode());
  EXPECT_EQ(built.end() - built.begin(), 2);
  EXPECT_EQ(CodeVector(3).data()[3], endOfCode());
}

// The code loop tests only a jump target's sign: a record whose target lies
// past its own function's records (a label placed in another function) is
// refused when linking, not run.
TEST(Linking, AJumpOutOfItsFunctionIsRefused) {
  LabelSlot* far = newLabelSlot();
  NodeList other = ints({1, 2, 3, 4, 5, 6});
  other.push_back(newNodeLabel(far));
  other.push_back(newNodeReturnUndefined(nullptr));
  auto placed = linked(other, false);
  ASSERT_EQ(far->position, 6);
  LabelSlot* unplaced = newLabelSlot();
  const std::function<CodeNode*()> jumps[] = {
      [&] { return newNodeJump117(far); },
      [&] { return newNodeJumpIfFalse121(far); },
      [&] { return newNodeJumpIf(far, 1); },
      [&] { return newNodeBranch(newLabelTriple(nullptr, unplaced, far)); },
  };
  for (const auto& jump : jumps) {
    NodeList l = ints({1});
    l.push_back(jump());
    EXPECT_THROW(linked(l, false), KVUnexpected);
  }
  // An unplaced label ends the frame and is kept.
  NodeList l = ints({1});
  l.push_back(newNodeJump117(unplaced));
  EXPECT_EQ((*linked(l, false))[1]->operand.i, -1);
}

TEST(Linking, PlacementRulesAndTheLastPlacementWins) {
  LabelSlot* s[12];
  for (auto& x : s) x = newLabelSlot();
  NodeList l;
  l.push_back(newNodeNop55(s[0], 0));                       // 0: s0 = 1
  l.push_back(newNodeNop111(newLabelPair(s[1], s[2])));     // 1: s1 = s2 = 1
  l.push_back(newNodeNop112(s[3]));                         // 2: s3 = 2
  l.push_back(newNodeJump122(newLabelPair(s[4], s[5])));    // 3: s5 = 4, target s4
  l.push_back(newNodeJump108(newLabelPair(s[4], s[6])));    // 4: s4 = 5, target s6
  l.push_back(newNodeNop130(newLabelPair(s[7], s[8])));     // 5: s7 = s8 = 5
  l.push_back(newNodeNop130(newLabelPair(s[7], s[8])));     // 6: s7 stays 5, s8 = 6
  l.push_back(newNodeJumpIfThrown(newLabelTriple(s[9], s[10], s[11]), s[0]));  // 7
  l.push_back(newNodeNop112(s[6]));                         // 8: s6 = 8
  l.push_back(newNodeNop112(s[6]));                         // 9: s6 = 9, the last wins
  l.push_back(newNodeBranch(newLabelTriple(s[9], s[1], s[2])));  // 10: s9 = 11
  auto v = linked(l, false);
  EXPECT_EQ(s[0]->position, 1);
  EXPECT_EQ(s[1]->position, 1);
  EXPECT_EQ(s[2]->position, 1);
  EXPECT_EQ(s[3]->position, 2);
  EXPECT_EQ(s[5]->position, 4);
  EXPECT_EQ(s[4]->position, 5);
  EXPECT_EQ(s[7]->position, 5);
  EXPECT_EQ(s[8]->position, 6);
  EXPECT_EQ(s[9]->position, 11);
  EXPECT_EQ(s[10]->position, 7);
  EXPECT_EQ(s[11]->position, 7);
  EXPECT_EQ(s[6]->position, 9);
  EXPECT_EQ((*v)[3]->operand.i, 5);  // Jump122 goes to its pair's first
  EXPECT_EQ((*v)[4]->operand.i, 9);  // Jump108 to its pair's second
  EXPECT_EQ((*v)[4]->second.ptr, nullptr);
  EXPECT_EQ((*v)[7]->operand.i, 1);  // JumpIfThrown to its own label
  EXPECT_NE((*v)[10]->second.ptr, nullptr);  // Branch reads its triple at run time
}

TEST(Records, FactoriesStampKindPositionAndFreshCache) {
  gCompilePosition = {3, 42};
  CodeNode* n = newNodeGetMember(-7);
  EXPECT_EQ(n->kind, GetMember);
  EXPECT_EQ(n->operand.i, -7);
  EXPECT_EQ(n->fileIndex, 3);
  EXPECT_EQ(n->line, 42);
  EXPECT_EQ(n->flags, 0);
  EXPECT_EQ(n->second.cache->classId, -1);
  EXPECT_EQ(n->second.cache->slot, -1);
  EXPECT_EQ(newNodePushBool(7)->operand.i, 1);
  gCompilePosition = {};
  EXPECT_EQ(newNodeWait()->fileIndex, 0);
}

TEST(Records, CaseTablesFixTheirLabelType) {
  CaseTable t(newLabelSlot());
  t.addDefault(newLabelSlot());
  t.addCase(newLabelSlot(), 4);
  EXPECT_EQ(t.labelType, 1);
  EXPECT_EQ(t.count, 2);
  t.labelType = 2;
  try {
    t.addCase(newLabelSlot(), 5);
    FAIL();
  } catch (const CompileError& e) {
    EXPECT_EQ(e.code, 11);
  }
}

TEST(Records, SpliceMovesEverything) {
  NodeList a = ints({1}), b = ints({2, 3});
  spliceNodeList(a, b);
  EXPECT_EQ(a.size(), 3u);
  EXPECT_TRUE(b.empty());
}

}  // namespace
