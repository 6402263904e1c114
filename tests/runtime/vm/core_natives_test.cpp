// The whole bootstrap with the interim registration: class ids, the natives
// at their global places, and the natives that act on the VM.
#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/bootstrap_hooks.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/generator.h"
#include "runtime/vm/iter.h"
#include "runtime/vm/kvarray.h"
#include "runtime/vm/microthread.h"
#include "vm_fixture.h"

namespace kvtest {
namespace {

using namespace kv;

using CoreNatives = VmTest;

int32_t fontNameSeen = 0;
int32_t recordFont(const char* name) {
  fontNameSeen = std::string(name) == "MSゴシック";
  return -7;
}

TEST_F(CoreNatives, BootstrapGivesTheClassIdsAndGlobalPlaces) {
  mainContext();
  ObjectRoot a(newKVArray(1));
  EXPECT_EQ(a.get()->classId, 12);
  EXPECT_EQ(prototypeOf(a.get())->classId, 13);
  EXPECT_EQ(slotIndexOf(12, lookupAtom("length")), 1);
  EXPECT_EQ(newKVstringFromText("x")->classId, 8);
  EXPECT_EQ(gBuiltins.tupleProto->classId, 181);
  EXPECT_EQ(gBuiltins.restarterProto->classId, 41);
  EXPECT_EQ(slotIndexOf(44, lookupAtom("done")), 1);
  EXPECT_EQ(slotIndexOf(44, lookupAtom("value")), 2);
  EXPECT_EQ(slotIndexOf(256, lookupAtom("visible")), 3);
  EXPECT_EQ(slotIndexOf(294, lookupAtom("x")), 1);
  EXPECT_NE(method(gBuiltins.restarterProto, "next"), nullptr);
  EXPECT_TRUE(method(gBuiltins.restarterProto, "next")->restarterNext());

  EXPECT_EQ(global(0, 0), gCore.objectF);
  for (int slot : {1, 2, 28, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 82, 83})
    EXPECT_NE(global(0, slot), nullptr) << slot;
  EXPECT_NE(global(3, 48), nullptr);
  EXPECT_NE(global(3, 49), nullptr);
  EXPECT_NE(global(4, 0), nullptr);
  Value made = call(global(0, 2), nullptr, {I(3)});
  EXPECT_EQ(static_cast<KVArray*>(made.obj)->length(), 3);
  Value tooBig = call(global(0, 2), nullptr, {I(65537)});
  EXPECT_EQ(static_cast<KVArray*>(tooBig.obj)->length(), 0);
  EXPECT_NE(logText().find("Wr0017"), std::string::npos);
  Value s = call(global(0, 1), nullptr, {I(42)});
  EXPECT_STREQ(valueText(s), "42");
}

TEST_F(CoreNatives, BootstrapResetsTheLimiterAndInitRunsTheDefaultHooks) {
  setWarningLimit(9, -1);
  initGcHeap();
  bootstrapHooks().createFontHandle = &recordFont;
  bootstrapObjectSystem();
  initRuntimeConstants();
  bootstrapHooks().createFontHandle = nullptr;
  EXPECT_EQ(warningLimitOf(3), 4);
  EXPECT_EQ(fontNameSeen, 1);
  EXPECT_EQ(defaultFontHandle(), -7);
}

TEST_F(CoreNatives, ConsoleSpawnAndTheWarningControls) {
  mainContext();
  call(global(4, 0), nullptr, {S("plain line")});
  EXPECT_NE(logText().find("\nplain line\n"), std::string::npos);

  Value none = call(global(0, 46), nullptr, {I(5)});
  EXPECT_EQ(none.tag, kNull);
  EXPECT_NE(logText().find("Wr0004"), std::string::npos);

  Value h = call(global(0, 46), nullptr, {O(global(0, 82)), I(1)});
  ASSERT_EQ(h.tag, kObject);
  EXPECT_EQ(h.obj->classId, kWeakContextClassId);
  KVContext* t = static_cast<KVWeakContext*>(h.obj)->context();
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->spawned);
  EXPECT_EQ(t->priority, 128);

  call(global(3, 48), nullptr, {I(1), I(16)});
  call(global(3, 49), nullptr, {I(1), I(16)});
  raiseRuntimeWarning(16);
  try {
    raiseRuntimeWarning(16);
    ADD_FAILURE() << "no Ex2021";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code, kErrWarningLimiter);
  }
  call(global(3, 48), nullptr, {S("x")});
  EXPECT_EQ(countOf(logText(), "Wr0004"), 2u);
  call(global(3, 48), nullptr, {I(2)});
  EXPECT_EQ(warningLimitOf(7), 2);
}

}  // namespace
}  // namespace kvtest
