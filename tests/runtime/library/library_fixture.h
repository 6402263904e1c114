// The VM fixture with the library's classes that tests call natives on.
#pragma once

#include <vector>

#include "runtime/library/random_generator.h"
#include "tests/runtime/vm/vm_fixture.h"

namespace kvtest {

class LibraryTest : public VmTest {
 protected:
  void SetUp() override {
    VmTest::SetUp();
    mainContext();
  }
  // Runs a native with the arguments; answers its result.
  kv::Value callNative(kv::NativeFunction native, std::initializer_list<kv::Value> args,
                       kv::KVobj* receiver = nullptr) {
    // Making the function may collect and move young arguments: they wait on the
    // operand stack, where the collector sees them, until the call takes them.
    int32_t base = ctx_->top;
    for (const kv::Value& a : args) ctx_->pushValue(a);
    kv::ValueRoot self(receiver ? kv::Value::makeObject(receiver) : kv::Value());
    kv::KVfobj* fn = nativeFunction(native, static_cast<int32_t>(args.size()));
    std::vector<kv::Value> held(ctx_->operands + base, ctx_->operands + ctx_->top);
    ctx_->top = base;
    return call(fn, receiver ? self.get().obj : nullptr, held.data(), held.size());
  }
  static kv::Value I(int32_t v) { return kv::Value::makeInt(v); }
  static kv::Value D(double v) { return kv::Value::makeFloat(v); }
};

}  // namespace kvtest
