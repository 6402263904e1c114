// Tests of runtime/library/native_args: how natives read their arguments.
#include <cmath>

#include "runtime/library/native_args.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

struct Read {
  int32_t integer, truncated;
  double number;
  bool flag;
  const char* text;
};
Read gRead;

void readFirst(kv::KVContext* ctx) {
  gRead = {kv::intArg(ctx, 0, -7), kv::truncatingArg(ctx, 0), kv::numberArg(ctx, 0), kv::flagArg(ctx, 0),
           kv::textArg(ctx, 0)};
  ctx->pushUndefined();
}

using NativeArgsTest = LibraryTest;

TEST_F(NativeArgsTest, ReadersByTag) {
  callNative(&readFirst, {I(-3)});
  EXPECT_EQ(gRead.integer, -3);
  EXPECT_EQ(gRead.truncated, -3);
  EXPECT_EQ(gRead.number, -3.0);
  EXPECT_TRUE(gRead.flag);
  EXPECT_EQ(gRead.text, nullptr);

  callNative(&readFirst, {D(-2.75)});
  EXPECT_EQ(gRead.integer, -7);  // not an integer: the fallback
  EXPECT_EQ(gRead.truncated, -2);
  EXPECT_EQ(gRead.number, -2.75);

  callNative(&readFirst, {D(1e300)});
  EXPECT_EQ(gRead.truncated, INT32_MAX);
  callNative(&readFirst, {D(-INFINITY)});
  EXPECT_EQ(gRead.truncated, INT32_MIN);
  callNative(&readFirst, {D(NAN)});
  EXPECT_EQ(gRead.truncated, 0);

  callNative(&readFirst, {kv::Value::makeBool(true)});
  EXPECT_EQ(gRead.integer, -7);
  EXPECT_EQ(gRead.number, 1.0);
  EXPECT_TRUE(gRead.flag);

  callNative(&readFirst, {});  // missing: the undefined cell, payload 0
  EXPECT_EQ(gRead.integer, -7);
  EXPECT_EQ(gRead.truncated, 0);
  EXPECT_FALSE(gRead.flag);

  callNative(&readFirst, {kv::Value::makeString("abc")});
  EXPECT_STREQ(gRead.text, "abc");
  callNative(&readFirst, {kv::Value::makeObject(kv::newKVstringFromText("def"))});
  EXPECT_STREQ(gRead.text, "def");
  callNative(&readFirst, {kv::Value::makeObject(kv::newPlainObject())});
  EXPECT_EQ(gRead.text, nullptr);
}

}  // namespace
}  // namespace kvtest
