// Tests of the object model: member look-up through prototypes, sealing and deletion.
#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

using ObjectModel = VmTest;

TEST_F(ObjectModel, MissingMemberReadsNullThroughTheChainAndAWriteAddsAnOwnKeyMember) {
  KVContext* ctx = mainContext();
  KVobj* obj = newPlainObject();
  int32_t atom = internAtom("missing");
  int32_t mode = 0;
  EXPECT_EQ(getPropertyCell(obj, atom, mode), nullptr);
  EXPECT_EQ(mode, 0);

  ObjectRoot root(obj);
  ctx->pushMemberRef(obj, atom);
  Value* cell = ctx->resolveReference(kAttrWritable);  // may move the young object
  obj = root.get();
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(obj->list, nullptr);
  EXPECT_TRUE(obj->list->head->isKey());
  EXPECT_EQ(obj->list->head->key, atom);
  EXPECT_EQ(gCore.objectProto->list, nullptr);
  *cell = Value::makeInt(5);
  mode = 0;
  EXPECT_EQ(getPropertyCell(obj, atom, mode)->i, 5);
}

TEST_F(ObjectModel, InheritedMembersAreFoundOnThePrototype) {
  KVobj* base = tagged(9);
  ObjectRoot root(base);
  reserveNursery(objectBytes<KVobj>(1));
  KVobj* derived = placeYoungObject<KVobj>(1, root.get(), 77);
  EXPECT_EQ(tagOf(derived), 9);
}

TEST_F(ObjectModel, SealedObjectsAndTheProtoSlotGiveNoWritableCell) {
  KVContext* ctx = mainContext();
  KVobj* obj = tagged(1);
  int32_t mode = kAttrWritable;
  EXPECT_EQ(getPropertyCell(obj, kAtomProto, mode), nullptr);
  EXPECT_EQ(mode, kAccessDenied);
  mode = 0;
  EXPECT_NE(getPropertyCell(obj, kAtomProto, mode), nullptr);

  obj->sealed = 1;
  mode = kAttrWritable;
  EXPECT_EQ(getPropertyCell(obj, lookupAtom("v"), mode), nullptr);
  EXPECT_EQ(mode, kAccessDenied);
  ctx->pushMemberRef(obj, internAtom("fresh"));
  EXPECT_EQ(ctx->resolveReference(kAttrWritable), nullptr);
  EXPECT_EQ(ctx->refDepth, 0);
  int32_t added = 0;
  for (PropNode* n = obj->list->head; n; n = n->next) ++added;
  EXPECT_EQ(added, 1);
}

TEST_F(ObjectModel, DeleteRules) {
  KVobj* obj = tagged(3);
  ObjectRoot root(obj);
  // A class member: its slot stays and reads undefined.
  int32_t atomA = internAtom("a");
  *addKeyProperty(root.get(), atomA) = Value::makeInt(1);
  ASSERT_EQ(KVobj::buildPropertyIndex(root.get(), 5000), 2);
  root.get()->classId = 5000;
  EXPECT_TRUE(deletePropertyByAtom(root.get(), atomA));
  int32_t mode = 0;
  Value* slotCell = getPropertyCell(root.get(), atomA, mode);
  ASSERT_NE(slotCell, nullptr);
  EXPECT_EQ(slotCell->tag, kUndefined);
  EXPECT_EQ(root.get()->props.count, 3);

  // An added member is unlinked; a missing one answers true.
  int32_t atomB = internAtom("b");
  addKeyProperty(root.get(), atomB);
  EXPECT_TRUE(deletePropertyByAtom(root.get(), atomB));
  mode = 0;
  EXPECT_EQ(getPropertyCell(root.get(), atomB, mode), nullptr);
  EXPECT_TRUE(deletePropertyByAtom(root.get(), internAtom("never")));
  EXPECT_TRUE(deletePropertyByName(root.get(), "never either"));

  // Members that may not be deleted answer false and stay.
  addStringProperty(root.get(), "some text");
  root.get()->list->head->attrs = kAttrWritable;
  EXPECT_FALSE(deletePropertyByName(root.get(), "some text"));
  EXPECT_NE(findProperty(root.get(), "some text"), nullptr);
  EXPECT_FALSE(deletePropertyByAtom(root.get(), kAtomProto));
}

TEST_F(ObjectModel, ClassLayoutPutsTheAddedMembersInSlotsMostRecentFirst) {
  KVobj* proto = newStaticObject(1, gCore.objectProto, 6000);
  int32_t a = internAtom("first"), b = internAtom("second"), c = internAtom("third");
  addKeyProperty(proto, a);
  addKeyProperty(proto, b);
  addKeyProperty(proto, c);
  EXPECT_EQ(KVobj::buildPropertyIndex(proto, 6000), 3);
  EXPECT_EQ(proto->props.count, 4);
  EXPECT_EQ(proto->list, nullptr);
  EXPECT_EQ(slotIndexOf(6000, c), 1);
  EXPECT_EQ(slotIndexOf(6000, b), 2);
  EXPECT_EQ(slotIndexOf(6000, a), 3);
  // The cells keep their values in their new slots, and the slots are writable.
  int32_t mode = kAttrWritable;
  *getPropertyCell(proto, a, mode) = Value::makeInt(11);
  EXPECT_EQ(proto->props.cells[3]->i, 11);
}

TEST_F(ObjectModel, NativeMethodsOnAPrototypeGetSlotsForTheClass) {
  KVobj* proto = newStaticObject(1, gCore.objectProto, 6100);
  KVfobj* m = KVobj::defineNativeMethod(proto, "go", NameVector{0, 0}, nullptr);
  EXPECT_TRUE(m->isFunction());
  EXPECT_EQ(m->firstCells()->size(), 2u);
  EXPECT_EQ(KVobj::buildPropertyIndex(proto, 6100), 1);
  int32_t mode = 0;
  Value* cell = getPropertyCell(proto, lookupAtom("go"), mode);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->obj, m);
  KVfobj* next = KVobj::defineNativeNext(proto, NameVector{}, nullptr);
  EXPECT_TRUE(next->restarterNext());
}

TEST_F(ObjectModel, ATableOfTwoThousandSlotsHoldsTheLimitWithOneWarning) {
  reserveNursery(objectBytes<KVobj>(2000));
  KVobj* obj = placeYoungObject<KVobj>(2000, nullptr, 6200);
  EXPECT_EQ(obj->props.count, kMaxSlots);
  EXPECT_EQ(countOf(logText(), "too many properties"), 1u);
  EXPECT_EQ(slotAttrs(obj->props, 0), 0u);
  EXPECT_EQ(slotAttrs(obj->props, 1023), kAttrAll);
}

TEST_F(ObjectModel, ChainWalksNeverReportTheLastObject) {
  KVobj* plain = newPlainObject();
  EXPECT_EQ(prototypeOf(plain), gCore.objectProto);
  EXPECT_FALSE(hasInPrototypeChain(plain, gCore.objectProto));
  // A member of Object.prototype is not seen by the chain search.
  EXPECT_EQ(findPropertyInChain(plain, "hasOwnProperty"), nullptr);
  EXPECT_NE(findProperty(gCore.objectProto, "hasOwnProperty"), nullptr);

  ObjectRoot mid(tagged(1));
  reserveNursery(objectBytes<KVobj>(1));
  KVobj* leaf = placeYoungObject<KVobj>(1, mid.get(), 6300);
  EXPECT_TRUE(hasInPrototypeChain(leaf, mid.get()));
  EXPECT_NE(findPropertyInChain(leaf, "v"), nullptr);
}

TEST_F(ObjectModel, TextKeyedMembersAreFoundByName) {
  KVContext* ctx = mainContext();
  KVobj* obj = newPlainObject();
  ObjectRoot root(obj);
  char name[] = "not an atom";
  ctx->pushNamedRef(obj, name);
  Value* cell = ctx->resolveReference(kAttrWritable);
  ASSERT_NE(cell, nullptr);
  *cell = Value::makeInt(42);
  name[0] = 'N';  // the member keeps its own copy of the name
  int32_t mode = 0;
  Value* found = getPropertyCellByName(root.get(), "not an atom", mode);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->i, 42);
  EXPECT_TRUE(root.get()->list->head->isString());
  // A name that is an atom finds atom-keyed members too.
  *addKeyProperty(root.get(), internAtom("keyed")) = Value::makeInt(7);
  mode = 0;
  EXPECT_EQ(getPropertyCellByName(root.get(), "keyed", mode)->i, 7);
}

TEST_F(ObjectModel, TheNotFoundAtomNeverNamesAMember) {
  KVContext* ctx = mainContext();
  KVobj* obj = newPlainObject();
  ctx->pushMemberRef(obj, kAtomNotFound);
  EXPECT_EQ(ctx->resolveReference(kAttrWritable), nullptr);
  EXPECT_EQ(obj->list, nullptr);
  EXPECT_EQ(addKeyProperty(obj, kAtomNotFound), nullptr);
}

}  // namespace
}  // namespace kvtest
