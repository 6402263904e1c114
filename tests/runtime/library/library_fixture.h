// The VM fixture with the library's classes that tests call natives on.
#pragma once

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
    return call(nativeFunction(native, static_cast<int32_t>(args.size())), receiver, args);
  }
  static kv::Value I(int32_t v) { return kv::Value::makeInt(v); }
  static kv::Value D(double v) { return kv::Value::makeFloat(v); }
};

}  // namespace kvtest
