// Tests of the collector over object graphs: cycles, shared nodes, long chains.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/vm/errors.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"
#include "tests/runtime/vm/test_objects.h"

using namespace kv;
using kvtest::OwnerNode;
using kvtest::Roots;
using kvtest::TestNode;

namespace {

class Graphs : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::startOver(roots); }
  void TearDown() override { setGcStress(false); }

  // A node whose text and boxed value both carry its serial, so that any
  // mix-up after a move shows.
  TestNode* makeNode(int64_t serial) {
    TestNode* n = newYoungObject<TestNode>();
    n->serial = serial;
    roots.objects.push_back(n);  // keep it across the next allocations
    char* text = stringToHeapText(std::to_string(serial).c_str());
    n = static_cast<TestNode*>(roots.objects.back());
    n->text = text;
    Value* cell = newValueCellCopy(Value::makeInt(static_cast<int32_t>(serial)));
    n = static_cast<TestNode*>(roots.objects.back());
    n->cell = cell;
    roots.objects.pop_back();
    return n;
  }
  static void checkNode(const KVobj* o) {
    auto* n = static_cast<const TestNode*>(o);
    ASSERT_EQ(std::to_string(n->serial), n->text);
    ASSERT_EQ(n->cell->tag, kInt);
    ASSERT_EQ(n->cell->i, n->serial);
  }
  // Walks the graph from the roots and checks every node once.
  size_t checkAll() {
    std::vector<const KVobj*> todo(roots.objects.begin(), roots.objects.end());
    std::vector<const KVobj*> seen;
    while (!todo.empty()) {
      const KVobj* o = todo.back();
      todo.pop_back();
      if (!o || std::find(seen.begin(), seen.end(), o) != seen.end()) continue;
      seen.push_back(o);
      checkNode(o);
      auto* n = static_cast<const TestNode*>(o);
      todo.push_back(n->links[0]);
      todo.push_back(n->links[1]);
    }
    return seen.size();
  }
  Roots roots;
};

TEST_F(Graphs, CyclesAndSharedNodesSurviveBothCollections) {
  roots.objects.push_back(makeNode(1));
  roots.objects.push_back(makeNode(2));
  auto* a = static_cast<TestNode*>(roots.objects[0]);
  auto* b = static_cast<TestNode*>(roots.objects[1]);
  a->links[0] = b;
  b->links[0] = a;
  b->links[1] = b;
  for (int i = 0; i < 40; ++i) {
    minorCollect();
    if (i % 7 == 0) fullCollect();
    ASSERT_EQ(verifyHeap(), "");
  }
  a = static_cast<TestNode*>(roots.objects[0]);
  b = static_cast<TestNode*>(roots.objects[1]);
  EXPECT_EQ(a->links[0], b);
  EXPECT_EQ(b->links[0], a);
  EXPECT_EQ(b->links[1], b);
  EXPECT_EQ(checkAll(), 2u);
  EXPECT_FALSE(isYoung(a));
}

TEST_F(Graphs, RandomGraphUnderStress) {
  std::mt19937 rng(12345);
  setGcStress(true);
  int64_t serial = 0;
  for (int step = 0; step < 3000; ++step) {
    unsigned op = rng() % 10;
    if (op < 5 || roots.objects.empty()) {
      TestNode* n = makeNode(++serial);
      if (!roots.objects.empty()) n->links[0] = roots.objects[rng() % roots.objects.size()];
      roots.objects.push_back(n);
    } else if (op < 8) {
      auto* from = static_cast<TestNode*>(roots.objects[rng() % roots.objects.size()]);
      from->links[rng() % 2] = roots.objects[rng() % roots.objects.size()];
    } else if (op < 9) {
      roots.objects.erase(roots.objects.begin() + rng() % roots.objects.size());
    } else {
      fullCollect();
      ASSERT_EQ(verifyHeap(), "") << step;
    }
    if (step % 100 == 0) {
      ASSERT_EQ(verifyHeap(), "") << step;
    }
  }
  setGcStress(false);
  minorCollect();
  fullCollect();
  ASSERT_EQ(verifyHeap(), "");
  EXPECT_GT(checkAll(), 0u);
}

TEST_F(Graphs, LongChainsNeedNoDeepRecursion) {
  // A collection per node would check the whole chain 60000 times over.
  setGcStress(false);
  roots.objects.push_back(makeNode(0));
  for (int i = 1; i < 60000; ++i) {
    TestNode* n = makeNode(i);
    n->links[0] = roots.objects[0];
    roots.objects[0] = n;
  }
  minorCollect();
  fullCollect();
  ASSERT_EQ(verifyHeap(), "");
  EXPECT_EQ(checkAll(), 60000u);
}

TEST_F(Graphs, ObjectsWithPropertyTablesAndListsMove) {
  // A hand-built table of two cells and a two-node list, as the object model lays them out.
  KVobj* o = newYoungObject<KVobj>();
  roots.objects.push_back(o);
  ensureNurseryRoom(1024);  // may collect: the object is then read back from its root
  o = roots.objects[0];
  o->props.cells.base = static_cast<Value*>(gcAllocYoung(2 * sizeof(Value)));
  o->props.count = 2;
  *o->props.cells[0] = Value::makeInt(10);
  *o->props.cells[1] = Value::makeString("s");
  o->list = static_cast<PropList*>(gcAllocYoung(sizeof(PropList)));
  PropNode* first = newYoungObject<PropNode>();
  PropNode* second = newYoungObject<PropNode>();
  first->next = second;
  first->value = Value::makeInt(1);
  auto* held = newYoungObject<TestNode>();
  held->serial = 2;
  second->value = Value::makeObject(held);  // followed from the node's own value
  *o->list = PropList{first, 2, 0};
  for (int i = 0; i < 40; ++i) {
    minorCollect();
    if (i == 20) fullCollect();
    ASSERT_EQ(verifyHeap(), "");
  }
  o = roots.objects[0];
  EXPECT_EQ(o->props.cells[0]->i, 10);
  EXPECT_STREQ(o->props.cells[1]->str, "s");
  EXPECT_EQ(o->list->head->value.i, 1);
  EXPECT_EQ(static_cast<TestNode*>(o->list->head->next->value.obj)->serial, 2);
  EXPECT_EQ(o->list->head->next->next, nullptr);
  EXPECT_EQ(o->epoch, gHeap.minorCount);
}

TEST_F(Graphs, OwnersAreReleasedOnceWhenTheyDie) {
  int released = 0;
  KVobj* young = newYoungObject<OwnerNode>(&released);
  registerOwner(young);
  KVobj* kept = newYoungObject<OwnerNode>(&released);
  registerOwner(kept);
  roots.objects.push_back(kept);
  minorCollect();
  EXPECT_EQ(released, 1);  // the unrooted one
  for (int i = 0; i < 40; ++i) minorCollect();
  EXPECT_FALSE(isYoung(roots.objects[0]));
  fullCollect();
  EXPECT_EQ(released, 1);
  EXPECT_EQ(ownerCount(), 1u);
  roots.objects.clear();
  minorCollect();
  EXPECT_EQ(released, 1);  // old objects die only in a sweep
  fullCollect();
  EXPECT_EQ(released, 2);
  minorCollect();
  fullCollect();
  EXPECT_EQ(released, 2);
  EXPECT_EQ(ownerCount(), 0u);
}

TEST_F(Graphs, OwnersReachedOnlyThroughOthersStayAlive) {
  int released = 0;
  TestNode* holder = makeNode(1);
  roots.objects.push_back(holder);
  KVobj* owner = newYoungObject<OwnerNode>(&released);
  registerOwner(owner);
  static_cast<TestNode*>(roots.objects[0])->links[0] = owner;
  setGcStress(true);
  for (int i = 0; i < 50; ++i) {
    makeNode(100 + i);
    if (i % 10 == 0) fullCollect();
  }
  setGcStress(false);
  EXPECT_EQ(released, 0);
  EXPECT_EQ(verifyHeap(), "");
  initGcHeap();  // starting over releases what is left, once
  EXPECT_EQ(released, 1);
  roots.objects.clear();
}

TEST_F(Graphs, BlocksReachedTwiceGetOneCopy) {
  TestNode* n = makeNode(7);
  roots.objects = {n, n};
  Value* cell = n->cell;
  roots.cells = {cell, cell};
  roots.blocks = {n->text, n->text};
  minorCollect();
  EXPECT_EQ(roots.objects[0], roots.objects[1]);
  EXPECT_EQ(roots.cells[0], roots.cells[1]);
  EXPECT_EQ(roots.blocks[0], roots.blocks[1]);
  EXPECT_EQ(static_cast<TestNode*>(roots.objects[0])->cell, roots.cells[0]);
  EXPECT_EQ(static_cast<TestNode*>(roots.objects[0])->text, roots.blocks[0]);
  EXPECT_EQ(verifyHeap(), "");
}

TEST_F(Graphs, StressHonoursReservations) {
  setGcStress(true);
  uint32_t before = gHeap.minorCount;
  // Room for two 32-byte blocks: the second still finds its block plus the reserve free.
  ensureNurseryRoom(nurseryNeed(32) + sizeof(BlockHeader) + 32);
  EXPECT_EQ(gHeap.minorCount, before + 1);
  gcAllocYoungExact(32);
  gcAllocYoungExact(32);
  EXPECT_EQ(gHeap.minorCount, before + 1);
  gcAllocYoungExact(32);  // past the reservation
  EXPECT_EQ(gHeap.minorCount, before + 2);
  gcAllocYoung(1);
  EXPECT_EQ(gHeap.minorCount, before + 3);
}

TEST_F(Graphs, BoxedCopiesFollowTheirObjectAcrossACollection) {
  setGcStress(true);
  TestNode* n = makeNode(3);
  roots.objects.push_back(n);
  Value* cell = newValueCellCopy(Value::makeObject(n));
  EXPECT_EQ(cell->obj, roots.objects[0]);
  EXPECT_NE(cell->obj, n);  // it moved while the cell was allocated
  roots.cells.push_back(cell);
  minorCollect();
  EXPECT_EQ(roots.cells[0]->obj, roots.objects[0]);
  EXPECT_EQ(verifyHeap(), "");
}

}  // namespace
