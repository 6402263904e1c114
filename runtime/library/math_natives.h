// The natives of the built-in object Math.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"

namespace kv {

// The native of Math member number index: 0 abs, 1 max, 2 min, 3 random,
// 4 randomInt, 5 truncation, 6 floor, 7 ceil, 8 sin, 9 cos, 10 tan,
// 11 asin, 12 acos, 13 atan. Any other index throws KVUnexpected.
NativeFunction MakeMath(int32_t index);

constexpr double kMathPi = 3.141592653589793;

}  // namespace kv
