// The handful of Windows-era scalar types and result codes the media layer is written
// against, declared here once so that every stand-in and its callers agree on them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::win {

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = unsigned int;
using SIZE_T = size_t;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

struct LARGE_INTEGER {
  long long QuadPart;
};

}  // namespace plat::win
