// The few Win32 scalar types and handle values the media layer is written against.
#pragma once
#include <cstdint>

namespace plat::win {

using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct LARGE_INTEGER {
    std::int64_t QuadPart;
};

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

}  // namespace plat::win
