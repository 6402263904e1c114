// Tests of runtime/vm/bootstrap: building the object system before anything runs.
#include "vm_fixture.h"

using namespace kv;

namespace kvtest {
namespace {

using Bootstrap = VmTest;

KVfobj* objectProtoMethod(const char* name) {
  int32_t mode = 0;
  Value* cell = getPropertyCell(gCore.objectProto, lookupAtom(name), mode);
  return cell && cell->tag == kObject ? static_cast<KVfobj*>(cell->obj) : nullptr;
}

TEST_F(Bootstrap, LogsTheCoreAndLinksThePrototypes) {
  EXPECT_NE(logText().find("System: object-system's core completed.\n"), std::string::npos);
  EXPECT_EQ(prototypeOf(gCore.functionProto), gCore.objectProto);
  EXPECT_EQ(prototypeOf(gCore.objectProto), nullptr);
  EXPECT_EQ(prototypeOf(gCore.functionF), gCore.functionProto);
  KVobj* plain = newPlainObject();
  EXPECT_EQ(prototypeOf(plain), gCore.objectProto);
  EXPECT_EQ(prototypeOf(prototypeOf(plain)), nullptr);
  EXPECT_EQ(plain->props.count, 1);
  // The Object constructor's prototype link holds a plain object; its
  // "prototype" slot is locked.
  KVobj* link = prototypeOf(gCore.objectF);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(prototypeOf(link), gCore.objectProto);
  EXPECT_EQ(slotAttrs(gCore.objectF->props, 1), 0u);
  EXPECT_EQ(slotIndexOf(1, lookupAtom("prototype")), 1);
}

TEST_F(Bootstrap, HasOwnPropertyAnswersForOwnMembersOnly) {
  mainContext();
  KVfobj* has = objectProtoMethod("hasOwnProperty");
  ASSERT_NE(has, nullptr);
  ObjectRoot obj(tagged(1));
  EXPECT_TRUE(call(has, obj.get(), {Value::makeString("v")}).i);
  EXPECT_FALSE(call(has, obj.get(), {Value::makeString("hasOwnProperty")}).i);
  EXPECT_FALSE(call(has, obj.get(), {Value::makeString("no such member at all")}).i);
  Value r = call(has, obj.get(), {Value::makeInt(3)});
  EXPECT_EQ(r.tag, kBool);
  EXPECT_FALSE(r.i);
  EXPECT_NE(logText().find("wrong argument"), std::string::npos);
  EXPECT_EQ(ctx_->depth, 1);
  EXPECT_EQ(ctx_->top, 0);
}

TEST_F(Bootstrap, IsPrototypeOfWalksTheArgumentsChain) {
  mainContext();
  KVfobj* isProto = objectProtoMethod("isPrototypeOf");
  ASSERT_NE(isProto, nullptr);
  ObjectRoot base(tagged(1));
  reserveNursery(2 * objectBytes<KVobj>(1));
  KVobj* mid = placeYoungObject<KVobj>(1, base.get(), 9100);
  KVobj* leaf = placeYoungObject<KVobj>(1, mid, 9101);
  ObjectRoot leafRoot(leaf);
  EXPECT_TRUE(call(isProto, base.get(), {Value::makeObject(leafRoot.get())}).i);
  EXPECT_TRUE(call(isProto, gCore.objectProto, {Value::makeObject(base.get())}).i);
  EXPECT_FALSE(call(isProto, leafRoot.get(), {Value::makeObject(base.get())}).i);
  EXPECT_FALSE(call(isProto, base.get(), {Value::makeInt(1)}).i);
  EXPECT_FALSE(call(isProto, base.get(), {Value::makeObject(gCore.objectProto)}).i);
}

TEST_F(Bootstrap, TypeNamesAndStringObjects) {
  Value values[] = {Value::makeString("s"), Value::makeObject(gCore.functionF), Value::makeObject(gCore.objectProto),
                    Value::makeBool(true),  Value::makeInt(1),                  Value::makeFloat(1.5),
                    Value::makeNaN(),       Value(),                            Value::makeNull()};
  const char* names[] = {"string", "function", "object", "boolean", "integer", "float", "NaN", "undefined", "null"};
  for (int i = 0; i < 9; ++i) {
    KVobj* name = valueTypeOf(&values[i]);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(name->isString());
    EXPECT_STREQ(static_cast<KVstring*>(name)->text, names[i]);
    EXPECT_EQ(prototypeOf(name), gCore.stringProto);
  }
  char* text = stringToHeapText("made at run time");
  Value s = Value::makeObject(newKVstring(text));
  EXPECT_STREQ(valueToString(&s), "made at run time");
  EXPECT_EQ(s.obj->classId, kStringClassId);
  EXPECT_STREQ(static_cast<KVstring*>(valueTypeOf(&s))->text, "string");
}

}  // namespace
}  // namespace kvtest
