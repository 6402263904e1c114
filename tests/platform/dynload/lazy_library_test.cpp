// Libraries opened on first use: one table however many threads ask first,
// the functions the linker would have bound, and a clear stop when a library
// or a function is missing.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "platform/dynload/lazy_library.h"

namespace {

struct MathApi {
  decltype(&::cos) cos;
  decltype(&::sqrt) sqrt;
};

int gFills = 0;

void fillMath(MathApi& functions, void* library) {
  ++gFills;
  functions.cos = reinterpret_cast<decltype(functions.cos)>(plat::LazyFunction(library, "cos"));
  functions.sqrt = reinterpret_cast<decltype(functions.sqrt)>(plat::LazyFunction(library, "sqrt"));
}

constinit plat::LazyTable<MathApi> gMath("libm.so.6", fillMath);

TEST(LazyLibrary, ThreadsAskingFirstShareOneTableOfTheBoundFunctions) {
  std::vector<const MathApi*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = &gMath.get(); });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(gFills, 1);
  for (const MathApi* api : seen) EXPECT_EQ(api, seen[0]);
  EXPECT_EQ(gMath.get().sqrt(49.0), 7.0);
  EXPECT_EQ(gMath.get().cos(0.0), 1.0);
}

TEST(LazyLibraryDeathTest, AMissingLibraryOrFunctionStopsWithItsName) {
  EXPECT_EXIT(plat::OpenLazyLibrary("libhalvorine-missing.so.0"), ::testing::ExitedWithCode(127),
              "cannot load libhalvorine-missing.so.0");
  EXPECT_EXIT(plat::LazyFunction(plat::OpenLazyLibrary("libm.so.6"), "halvorine_no_such_function"),
              ::testing::ExitedWithCode(127), "cannot load halvorine_no_such_function");
}

}  // namespace
