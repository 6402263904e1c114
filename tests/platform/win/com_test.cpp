// Tests of platform/win/com: the COM stand-in.
#include "platform/win/com.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace plat::win {
namespace {

constexpr CLSID kTestClass = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID kTestInterface = {0x0BADF00D, 1, 2, {8, 7, 6, 5, 4, 3, 2, 1}};

int created = 0;

HRESULT makeTest(void* outer, const IID& iid, void** object) {
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (!(iid == kTestInterface)) return E_INVALIDARG;
  ++created;
  *object = &created;
  return S_OK;
}

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterComClass(kTestClass, "testcom", makeTest); }
  void TearDown() override {
    UnregisterComClass(kTestClass);
    unsetenv("HALVORINE_MISSING");
  }
};

TEST_F(ComTest, CreatesRegisteredClassesOnly) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, kTestInterface, &object), S_OK);
  EXPECT_EQ(object, &created);
  EXPECT_EQ(CoCreateInstance(kTestInterface, nullptr, CLSCTX_ALL, kTestInterface, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kTestClass, &object, CLSCTX_ALL, kTestInterface, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, kTestInterface, nullptr), E_POINTER);
}

TEST_F(ComTest, MissingStandInAnswersClassNotRegistered) {
  setenv("HALVORINE_MISSING", "TestCom", 1);
  void* object = nullptr;
  int before = created;
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, kTestInterface, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(created, before);
}

TEST_F(ComTest, InitialisationCountsPerThread) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  int other = -1;
  std::thread([&] { other = CoGetInitializeCount(); }).join();
  EXPECT_EQ(other, 0);
  EXPECT_EQ(CoGetInitializeCount(), 2);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoGetInitializeCount(), 0);
}

TEST_F(ComTest, TaskMemoryRoundTrips) {
  auto* block = static_cast<unsigned char*>(CoTaskMemAlloc(64));
  ASSERT_NE(block, nullptr);
  block[63] = 9;
  CoTaskMemFree(block);
  CoTaskMemFree(nullptr);
}

}  // namespace
}  // namespace plat::win
