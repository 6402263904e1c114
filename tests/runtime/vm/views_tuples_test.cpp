// Array buffers and typed views through their constructors, tuples, and
// restarters as the constructors and the interpreter make them.
#include <cmath>

#include "runtime/vm/arraybuffer.h"
#include "runtime/vm/builtin_classes.h"
#include "runtime/vm/generator.h"
#include "runtime/vm/iter.h"
#include "vm_fixture.h"

namespace kvtest {
namespace {

using namespace kv;

// Global places of the constructors.
enum { kBuffer = 36, kInt32 = 37, kInt16, kInt8, kUint32, kUint16, kUint8, kUint8Clamped, kFloat32, kFloat64 };

class ViewsTuples : public VmTest {
 protected:
  Value make(int32_t slot, std::initializer_list<Value> args) { return call(global(0, slot), nullptr, args); }
  KVArrayBuffer* buffer(int32_t bytes) { return static_cast<KVArrayBuffer*>(make(kBuffer, {I(bytes)}).obj); }
  KVArrayView* view(int32_t slot, KVobj* buf, int32_t count = 1, int32_t offset = 0) {
    Value v = make(slot, {O(buf), I(count), I(offset)});
    return v.tag == kObject ? static_cast<KVArrayView*>(v.obj) : nullptr;
  }
  size_t warnings(int code) {
    char line[32];
    std::snprintf(line, sizeof line, "Wr%04d", code);
    return countOf(logText(), line);
  }
};

TEST_F(ViewsTuples, ViewsReadAndWriteLittleEndianNumbers) {
  mainContext();
  ObjectRoot buf(buffer(16));
  ObjectRoot u8(view(kUint8, buf.get(), 16));
  ObjectRoot i8(view(kInt8, buf.get(), 16));
  ObjectRoot c8(view(kUint8Clamped, buf.get(), 16));
  auto* U8 = static_cast<KVArrayView*>(u8.get());
  U8->writeElement(0, I(200));
  EXPECT_EQ(U8->readElement(0)->i, 200);
  EXPECT_EQ(static_cast<KVArrayView*>(i8.get())->readElement(0)->i, -56);
  EXPECT_EQ(static_cast<KVArrayView*>(c8.get())->readElement(0)->i, -56);
  U8->writeElement(1, I(300));
  EXPECT_EQ(U8->readElement(1)->i, 44);
  U8->writeElement(2, Value::makeBool(true));
  EXPECT_EQ(U8->readElement(2)->i, 1);
  U8->writeElement(3, S("x"));  // not a number: warning 4, nothing stored
  EXPECT_EQ(U8->readElement(3)->i, 0);
  EXPECT_EQ(warnings(4), 1u);

  ObjectRoot i32(view(kInt32, buf.get(), 4));
  auto* I32 = static_cast<KVArrayView*>(i32.get());
  I32->writeElement(1, D(-1.5));
  EXPECT_EQ(I32->readElement(1)->i, -1);
  I32->writeElement(2, I(0x01020304));
  ObjectRoot u16(view(kUint16, buf.get(), 8));
  EXPECT_EQ(static_cast<KVArrayView*>(u16.get())->readElement(4)->i, 0x0304);
  EXPECT_EQ(static_cast<KVArrayView*>(u8.get())->readElement(8)->i, 4);

  ObjectRoot f32(view(kFloat32, buf.get(), 4));
  static_cast<KVArrayView*>(f32.get())->writeElement(3, D(0.1));
  EXPECT_DOUBLE_EQ(static_cast<KVArrayView*>(f32.get())->readElement(3)->d, static_cast<double>(0.1f));
  EXPECT_NEAR(static_cast<KVArrayView*>(f32.get())->readElement(3)->d, 0.100000001490116, 1e-15);

  ObjectRoot i16(view(kInt16, buf.get(), 4, 8));
  static_cast<KVArrayView*>(i16.get())->fill(I(7));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(static_cast<KVArrayView*>(u16.get())->readElement(k)->i, 7);
}

TEST_F(ViewsTuples, ViewsStayInsideTheirBuffer) {
  mainContext();
  ObjectRoot big(buffer(2000000));
  EXPECT_EQ(static_cast<KVArrayBuffer*>(big.get())->size, kMaxArrayBufferSize);
  EXPECT_EQ(warnings(18), 1u);

  ObjectRoot buf(buffer(8));
  EXPECT_NE(view(kFloat64, buf.get(), 1), nullptr);
  EXPECT_EQ(view(kFloat64, buf.get(), 2), nullptr);
  // 0x40000001 x 4 wraps to 4 in 32 bits.
  EXPECT_EQ(view(kInt32, buf.get(), 0x40000001), nullptr);
  EXPECT_EQ(warnings(19), 2u);
  EXPECT_EQ(make(kInt32, {I(5)}).tag, kUndefined);
  EXPECT_EQ(warnings(4), 1u);

  ObjectRoot v(view(kUint8, buf.get(), 8));
  EXPECT_EQ(static_cast<KVArrayView*>(v.get())->readElement(8)->tag, kUndefined);
  send(buf.get(), "dispose", {});
  EXPECT_EQ(static_cast<KVArrayView*>(v.get())->readElement(0)->tag, kUndefined);
  EXPECT_EQ(warnings(19), 4u);
  static_cast<KVArrayView*>(v.get())->writeElement(0, I(1));  // silently ignored
  send(v.get(), "fill", {I(1)});
  EXPECT_EQ(warnings(19), 4u);
}

TEST_F(ViewsTuples, TuplesClampTheirCount) {
  mainContext();
  int32_t item1 = lookupAtom("item1");
  ASSERT_EQ(gBuiltins.itemOneAtom, item1);
  EXPECT_EQ(lookupAtom("item9"), item1 - 8);  // member look-up counts down from item1
  Value t = make(28, {I(1), I(2), I(3)});
  ObjectRoot three(t.obj);
  auto* tuple = static_cast<KVTuple*>(three.get());
  EXPECT_EQ(tuple->props.count, 4);
  minorCollect();
  fullCollect();
  tuple = static_cast<KVTuple*>(three.get());
  EXPECT_EQ(tuple->item(1)->i, 1);
  EXPECT_EQ(tuple->item(3)->i, 3);
  EXPECT_EQ(tuple->item(4), nullptr);

  Value one = make(28, {I(1)});
  EXPECT_EQ(static_cast<KVTuple*>(one.obj)->count, 2);
  EXPECT_EQ(static_cast<KVTuple*>(one.obj)->item(2)->tag, kUndefined);
  Value twelve = make(28, {I(1), I(2), I(3), I(4), I(5), I(6), I(7), I(8), I(9), I(10), I(11), I(12)});
  EXPECT_EQ(static_cast<KVTuple*>(twelve.obj)->count, 9);
  EXPECT_EQ(warnings(20), 2u);
}

TEST_F(ViewsTuples, RestartersHoldTheirCellsOutsideTheHeap) {
  KVContext* ctx = mainContext();
  KVfobj* fn = withCells(2, 3);
  ObjectRoot fnRoot(fn);
  size_t owners = ownerCount();
  // The given values lie where the collector visits them, as the interpreter's
  // operands do: making the restarter may move the object among them.
  ctx->pushObject(tagged(1));
  ctx->pushInt(2);
  KVrestarter* r = newKVrestarter(static_cast<KVfobj*>(fnRoot.get()), ctx->operands + ctx->top - 2, 2);
  ctx->top -= 2;
  ObjectRoot rr(r);
  EXPECT_EQ(ownerCount(), owners + 1);
  minorCollect();
  fullCollect();
  r = static_cast<KVrestarter*>(rr.get());
  ASSERT_EQ(r->saved.cellCount, 5);
  EXPECT_EQ(tagOf(r->saved.cells[0].obj), 1);
  EXPECT_EQ(r->saved.cells[1].i, 2);
  EXPECT_EQ(r->saved.cells[4].tag, kUndefined);
  EXPECT_FALSE(r->pair->done());
  EXPECT_EQ(r->pair->classId, kYieldPairClassId);
  ObjectRoot g(newKVgenerator(r));
  minorCollect();
  EXPECT_TRUE(g.get()->isGenerator());
  EXPECT_EQ(static_cast<KVgenerator*>(g.get())->state, rr.get());
  r = static_cast<KVrestarter*>(rr.get());
  r->reset();
  EXPECT_EQ(r->saved.cells[0].tag, kUndefined);
  EXPECT_EQ(verifyHeap(), "");
}

}  // namespace
}  // namespace kvtest
