// Objects held in only one place each survive many collections under the
// stress switch, with the heap verifier clean after every one.
#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

class ObjectRoots : public VmTest {
 protected:
  void collectMany() {
    for (int i = 0; i < 40; ++i) {
      minorCollect();
      ASSERT_EQ(verifyHeap(), "") << "after minor collection " << i;
    }
    fullCollect();
    ASSERT_EQ(verifyHeap(), "");
    minorCollect();
    fullCollect();
    ASSERT_EQ(verifyHeap(), "");
  }
};

TEST_F(ObjectRoots, EveryPlaceOfAContextAndTheRuntimeKeepsItsObjects) {
  KVContext* ctx = mainContext(2, 0);
  setGcStress(true);
  ctx->cells[0] = Value::makeObject(tagged(1));               // a global variable
  *gGlobalObject->areaCell(3 * 65536 + 5) = Value::makeObject(tagged(2));  // a global area
  ctx->exception = tagged(3);
  ctx->pushConstructing(tagged(4));
  {
    ObjectRoot first(tagged(5));
    KVobj* second = tagged(6);
    pushCallerPair(first.get(), second);
  }
  ctx->pushObject(tagged(7));                                 // an operand
  ctx->pushMemberRef(tagged(8), internAtom("m"));             // a reference record
  KVobj* proto = newStaticObject(1, gCore.objectProto, 8000);
  KVobj::defineObjectProperty(proto, "held", tagged(9));      // a static prototype's member

  // A call's cells: a function whose frame holds an object argument.
  ctx->pushObject(withCells(1, 0));
  ctx->pushObject(tagged(10));
  ctx->argCount = 1;
  KVobj* receiver = tagged(11);
  callFunction(ctx, static_cast<KVfobj*>(ctx->operands[ctx->top - 2].obj), receiver);

  collectMany();
  setGcStress(false);

  EXPECT_EQ(tagOf(ctx->cells[0].obj), 1);
  EXPECT_EQ(tagOf(gGlobalObject->areaCell(3 * 65536 + 5)->obj), 2);
  EXPECT_EQ(tagOf(ctx->exception), 3);
  EXPECT_EQ(tagOf(ctx->constructing[0]), 4);
  auto pair = popCallerPair();
  EXPECT_EQ(tagOf(pair.first), 5);
  EXPECT_EQ(tagOf(pair.second), 6);
  EXPECT_EQ(tagOf(ctx->operands[0].obj), 7);
  EXPECT_EQ(tagOf(static_cast<KVobj*>(ctx->refs[0].container)), 8);
  EXPECT_EQ(tagOf(findProperty(proto, "held")->obj), 9);
  EXPECT_EQ(tagOf(ctx->arg(0)->obj), 10);
  EXPECT_EQ(tagOf(ctx->receiver()), 11);
}

TEST_F(ObjectRoots, TextArgumentsBecomeStringObjectsWhileOtherArgumentsMove) {
  KVContext* ctx = mainContext();
  setGcStress(true);
  ctx->pushObject(withCells(3, 0));
  ctx->pushString("one");
  ctx->pushObject(tagged(14));
  ctx->pushString("three");
  ctx->argCount = 3;
  KVobj* receiver = tagged(15);
  callFunction(ctx, static_cast<KVfobj*>(ctx->operands[0].obj), receiver);
  collectMany();
  setGcStress(false);
  EXPECT_STREQ(valueText(*ctx->arg(0)), "one");
  EXPECT_EQ(tagOf(ctx->arg(1)->obj), 14);
  EXPECT_STREQ(valueText(*ctx->arg(2)), "three");
  EXPECT_EQ(tagOf(ctx->receiver()), 15);
}

TEST_F(ObjectRoots, ANamedReferenceFollowsAMovedNameText) {
  KVContext* ctx = mainContext();
  setGcStress(true);
  KVobj* obj = newPlainObject();
  ObjectRoot root(obj);
  char* name = stringToHeapText("a name not yet an atom");
  ctx->pushNamedRef(root.get(), name);
  collectMany();
  Value* cell = ctx->resolveReference(kAttrWritable);
  setGcStress(false);
  ASSERT_NE(cell, nullptr);
  EXPECT_NE(findProperty(root.get(), "a name not yet an atom"), nullptr);
}

TEST_F(ObjectRoots, CapturedVariablesKeepTheirObjects) {
  KVContext* ctx = mainContext(1, 0);
  setGcStress(true);
  ctx->cells[0] = Value::makeObject(tagged(12));
  // A running call's activation over the context's cells.
  ActivationObject act;
  act.cells = ctx->cells;
  act.cellCount = 1;
  FunctionRecord rec;
  ScopeChain* chain = chainWith(&act, globalScopeChain());
  KVfobj* fn = newClosure(&rec, chain);
  ctx->cells[0] = Value::makeObject(fn);  // the captured copy is now the only holder
  collectMany();
  setGcStress(false);
  fn = static_cast<KVfobj*>(ctx->cells[0].obj);
  EXPECT_EQ(tagOf(scopeChainAt(fn->environment, 1)->cells[0].obj), 12);
}

TEST_F(ObjectRoots, ADeadClosureReleasesItsCopiesOnce) {
  mainContext();
  size_t owners = ownerCount();
  FunctionRecord rec;
  Value cells[1];
  ActivationObject act;
  act.cells = cells;
  act.cellCount = 1;
  KVfobj* fn = newClosure(&rec, chainWith(&act, nullptr));
  ASSERT_TRUE(ownedScopeChain(fn->environment));
  EXPECT_EQ(ownerCount(), owners + 1);
  minorCollect();
  EXPECT_EQ(ownerCount(), owners);
  minorCollect();
  fullCollect();
  EXPECT_EQ(ownerCount(), owners);

  // An old closure dies in a full collection.
  {
    ValueRoot keep(Value::makeObject(newClosure(&rec, chainWith(&act, nullptr))));
    for (int i = 0; i <= kPromotionAge; ++i) minorCollect();
    EXPECT_FALSE(isYoung(keep.get().obj));
    EXPECT_EQ(ownerCount(), owners + 1);
  }
  minorCollect();
  fullCollect();
  EXPECT_EQ(ownerCount(), owners);
}

}  // namespace
}  // namespace kvtest
