// Tests of runtime/vm/atoms: member-name atoms.
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/vm/atoms.h"
#include "runtime/vm/errors.h"

using namespace kv;

namespace {

class Atoms : public ::testing::Test {
 protected:
  void SetUp() override { initAtomTables(); }
};

TEST_F(Atoms, FreshTableIds) {
  EXPECT_EQ(lookupAtom("__proto__"), -1);
  EXPECT_EQ(lookupAtom("item1"), -5);
  EXPECT_EQ(lookupAtom("item9"), -13);
  EXPECT_EQ(atomTable().firstItemId, -5);
  EXPECT_EQ(atomTable().lastItemId, -13);
  EXPECT_EQ(internAtom("x"), -14);
  EXPECT_EQ(internAtom("x"), -14);
  EXPECT_EQ(internAtomUnchecked("y"), -15);
  EXPECT_EQ(atomTable().nextId, -16);
}

TEST_F(Atoms, UnknownLookupAddsNothing) {
  size_t before = atomTable().names.size();
  EXPECT_EQ(lookupAtom("nothing"), -4);
  EXPECT_EQ(atomTable().names.size(), before);
  EXPECT_EQ(internAtom("nothing"), -14);
}

TEST_F(Atoms, ThePrototypeAtomIsHeldFromItsEntryUntilTheTableIsMadeAgain) {
  EXPECT_EQ(gPrototypeAtom, kAtomNotFound);
  internAtom("x");
  int32_t id = internAtomUnchecked("prototype");
  EXPECT_EQ(gPrototypeAtom, id);
  EXPECT_EQ(lookupAtom("prototype"), id);
  EXPECT_EQ(internAtom("prototype"), id);
  EXPECT_EQ(gPrototypeAtom, id);
  initAtomTables();
  EXPECT_EQ(gPrototypeAtom, kAtomNotFound);
  EXPECT_EQ(internAtom("prototype"), -14);
  EXPECT_EQ(gPrototypeAtom, -14);
}

TEST_F(Atoms, NamesAreCaseSensitiveAndKeepInsertionOrder) {
  internAtom("b");
  internAtom("B");
  internAtom("a");
  auto& e = atomTable().names.entries();
  ASSERT_EQ(e.size(), 13u);
  EXPECT_EQ(e[0].first, "__proto__");
  EXPECT_EQ(e[10].first, "b");
  EXPECT_EQ(e[11].first, "B");
  EXPECT_EQ(e[12].first, "a");
  EXPECT_NE(lookupAtom("b"), lookupAtom("B"));
}

TEST_F(Atoms, SealedTable) {
  internAtom("x");
  atomTable().sealed = true;
  EXPECT_THROW(
      {
        try {
          internAtom("x");
        } catch (const std::exception& e) {
          EXPECT_STREQ(e.what(), "Set:");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(internNameInTable(atomTable(), "x"), -14);
  try {
    internNameInTable(atomTable(), "new");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, 23);
  }
  EXPECT_EQ(internAtomUnchecked("late"), -15);
}

TEST_F(Atoms, ExhaustedCounterRaises4) {
  atomTable().nextId = INT32_MIN;
  try {
    internAtom("z");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, 4);
  }
}

TEST_F(Atoms, ProgramNameTable) {
  ProgramNameTable& t = programNameTable();
  EXPECT_EQ(t.nextId, 0);
  defineAtom(t, "speed", -20);
  defineAtom(t, "speed", -21);
  EXPECT_EQ(t.names.find("speed"), -21);
  EXPECT_EQ(t.names.size(), 1u);
}

TEST_F(Atoms, SlotMap) {
  EXPECT_EQ(slotIndexOf(12345, -1), 0);
  EXPECT_EQ(slotIndexOf(kItemClassId, lookupAtom("item1")), 1);
  EXPECT_EQ(slotIndexOf(kItemClassId, lookupAtom("item9")), 9);
  EXPECT_EQ(slotIndexOf(kItemClassId + 1, lookupAtom("item1")), -1);
  setSlotIndex(7, "width", 3);
  EXPECT_EQ(slotIndexOf(7, lookupAtom("width")), 3);
  EXPECT_EQ(prototypeSlotOf(7), 0);
  setSlotIndex(7, "prototype", 1);
  EXPECT_EQ(prototypeSlotOf(7), 1);
  // A negative class id keeps its own key.
  setSlotIndex(-2, "width", 5);
  EXPECT_EQ(slotIndexOf(-2, lookupAtom("width")), 5);
  EXPECT_EQ(slotIndexOf(7, lookupAtom("width")), 3);
}

}  // namespace
