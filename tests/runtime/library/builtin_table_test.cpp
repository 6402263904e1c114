// Tests of runtime/library/builtin_table: the table of built-in classes and global functions.
#include "runtime/library/builtin_table.h"
#include "runtime/library/global_natives.h"
#include "runtime/library/object_slots.h"
#include "runtime/vm/activation.h"
#include "runtime/vm/arraybuffer.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

using BuiltinTableTest = LibraryTest;

kv::KVArrayBuffer* buf(const kv::ObjectRoot& r) { return static_cast<kv::KVArrayBuffer*>(r.get()); }

kv::Value globalCell(int32_t index) { return kv::gGlobalObject->areas[0][index]; }

TEST_F(BuiltinTableTest, RowsKeepTheirFixedPositions) {
  ASSERT_EQ(kv::builtinClassTable().size(), static_cast<size_t>(kv::kBuiltinRowCount));
  EXPECT_EQ(kv::findBuiltinClassByName("Object"), 0);
  EXPECT_EQ(kv::findBuiltinClassByName("Shapex004"), 18);
  EXPECT_EQ(kv::findBuiltinClassByName("RandomGenerator"), 27);
  EXPECT_EQ(kv::findBuiltinClassByName("spawn"), 46);
  EXPECT_EQ(kv::findBuiltinClassByName("dz005"), 87);
  EXPECT_EQ(kv::findBuiltinClassByName("spawnx"), -1);
  EXPECT_EQ(kv::findBuiltinClassByName(""), -1);
}

TEST_F(BuiltinTableTest, NativeOnlyAndReservedRowsInstallNothing) {
  for (const kv::BuiltinClassEntry& e : kv::builtinClassTable()) {
    SCOPED_TRACE(e.name);
    bool installed = globalCell(e.index).tag == kv::kObject;
    EXPECT_EQ(installed, e.kind != kv::kBuiltinNativeOnly && e.kind != kv::kBuiltinReserved);
    if (installed) {
      EXPECT_EQ(globalCell(e.index).obj, e.function);
    }
  }
  EXPECT_EQ(kv::builtinClassTable()[kv::findBuiltinClassByName("Sound")].kind, kv::kBuiltinNativeOnly);
}

TEST_F(BuiltinTableTest, UnsignedThirtyTwoAndClampedViewsAreSignedViews) {
  kv::KVArrayBuffer* buffer = kv::newKVArrayBuffer(8);
  kv::ObjectRoot root(buffer);
  std::fill(buffer->data, buffer->data + 8, 0xFF);
  auto view = [&](const char* name) {
    auto* fn = static_cast<kv::KVfobj*>(globalCell(kv::findBuiltinClassByName(name)).obj);
    kv::Value v = call(fn, nullptr, {kv::Value::makeObject(root.get()), I(1)});
    return static_cast<kv::KVArrayView*>(v.obj);
  };
  kv::KVArrayView* u32 = view("Uint32Array");
  EXPECT_EQ(u32->elementSize, 4);
  EXPECT_EQ(u32->isUnsigned, 0);
  EXPECT_EQ(u32->readElement(0)->i, -1);
  kv::KVArrayView* clamped = view("Uint8ClampedArray");
  EXPECT_EQ(clamped->elementSize, 1);
  EXPECT_EQ(clamped->readElement(0)->i, -1);
  EXPECT_EQ(view("Uint8Array")->readElement(0)->i, 255);
}

TEST_F(BuiltinTableTest, HugeViewCountsAreRefusedWithoutOverflow) {
  kv::KVArrayBuffer* buffer = kv::newKVArrayBuffer(16);
  kv::ObjectRoot root(buffer);
  auto* fn = static_cast<kv::KVfobj*>(globalCell(kv::findBuiltinClassByName("Float64Array")).obj);
  kv::Value v = call(fn, nullptr, {kv::Value::makeObject(root.get()), I(0x20000001), I(8)});
  EXPECT_EQ(v.tag, kv::kUndefined);
  v = call(fn, nullptr, {kv::Value::makeObject(root.get()), I(1), I(0x7FFFFFF8)});
  EXPECT_EQ(v.tag, kv::kUndefined);
  EXPECT_EQ(countOf(logText(), "(Wr0019)"), 2u);
  v = call(fn, nullptr, {kv::Value::makeObject(root.get()), I(2)});
  EXPECT_EQ(v.tag, kv::kObject);
}

TEST_F(BuiltinTableTest, RandomGeneratorSeededFromAView) {
  kv::KVArrayBuffer* buffer = kv::newKVArrayBuffer(40);
  for (int i = 0; i < 10; ++i) reinterpret_cast<int32_t*>(buffer->data)[i] = i + 1;
  kv::ObjectRoot root(buffer);
  kv::KVArrayView* view = kv::newKVArrayView(buf(root), 4, 10, 0, false, false);
  kv::Value g = callNative(&kv::randomGeneratorConstructor, {kv::Value::makeObject(view)});
  ASSERT_EQ(g.tag, kv::kObject);
  auto* gen = static_cast<kv::KVRandomGenerator*>(g.obj);
  int32_t want[] = {380, 860, 778, 85, 24};
  for (int32_t x : want) EXPECT_EQ(gen->randomInt(0, 1000), x);
  EXPECT_EQ(callNative(&kv::randomGeneratorConstructor, {I(3)}).tag, kv::kUndefined);
}

TEST_F(BuiltinTableTest, ShortSeedViewWarnsOncePerMissingElement) {
  kv::setWarningLimit(10, 19);
  kv::KVArrayBuffer* buffer = kv::newKVArrayBuffer(12);
  for (int i = 0; i < 3; ++i) reinterpret_cast<int32_t*>(buffer->data)[i] = i + 1;
  kv::ObjectRoot root(buffer);
  kv::KVArrayView* view = kv::newKVArrayView(buf(root), 4, 3, 0, false, false);
  kv::Value g = callNative(&kv::randomGeneratorConstructor, {kv::Value::makeObject(view)});
  EXPECT_EQ(countOf(logText(), "(Wr0019)"), 7u);
  kv::ObjectRoot seeded(g.obj);
  kv::SeedWords w{1, 2, 3};
  kv::KVRandomGenerator* same = kv::newRandomGenerator(&w);
  EXPECT_EQ(static_cast<kv::KVRandomGenerator*>(seeded.get())->randomInt(0, 1 << 30), same->randomInt(0, 1 << 30));
}

TEST_F(BuiltinTableTest, LoadFileReadsAtMostTheBufferAndSurvivesDisposal) {
  std::string path = dir_ + "/data.bin";
  { std::ofstream(path, std::ios::binary) << std::string(100, 'z'); }
  kv::KVArrayBuffer* buffer = kv::newKVArrayBuffer(16);
  kv::ObjectRoot root(buffer);
  kv::Value name = kv::Value::makeString(path.c_str());
  EXPECT_EQ(callNative(&kv::loadFileNative, {name, kv::Value::makeObject(root.get())}).i, 16);
  EXPECT_EQ(buf(root)->data[15], 'z');
  buf(root)->dispose();
  EXPECT_EQ(callNative(&kv::loadFileNative, {name, kv::Value::makeObject(root.get())}).i, 0);
  kv::Value missing = kv::Value::makeString("no-such-file");
  EXPECT_EQ(callNative(&kv::loadFileNative, {missing, kv::Value::makeObject(root.get())}).i, 0);
  EXPECT_EQ(callNative(&kv::loadFileNative, {I(1), kv::Value::makeObject(root.get())}).i, 0);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kvtest

namespace kvtest {
namespace {

TEST_F(BuiltinTableTest, BuiltinObjectsHoldTheirDataAndNatives) {
  EXPECT_EQ(kv::builtinObjectCell(kv::kObjMath, 5).d, 3.141592653589793);
  EXPECT_EQ(kv::builtinObjectCell(kv::kObjNumber, 2).d, 2.220446049250313e-16);
  EXPECT_EQ(kv::builtinObjectCell(kv::kObjMath, 21).tag, kv::kObject);  // the nameless truncation
  auto* add = static_cast<kv::KVfobj*>(kv::builtinObjectCell(kv::kObjLayerBook, 0).obj);
  int32_t top = ctx_->top;
  EXPECT_EQ(call(add, nullptr, {I(1)}).tag, kv::kUndefined);
  EXPECT_EQ(ctx_->top, top);
  // SaveFile.open without a name before any open answers false.
  auto* open = static_cast<kv::KVfobj*>(kv::builtinObjectCell(kv::kObjSaveFile, 0).obj);
  kv::Value opened = call(open, nullptr, {});
  EXPECT_EQ(opened.tag, kv::kBool);
  EXPECT_EQ(opened.i, 0);
}

}  // namespace
}  // namespace kvtest
