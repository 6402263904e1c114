// The few Win32 scalar types and handle values the media layer is written against.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using SIZE_T = std::size_t;
using HANDLE = void*;
using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using HRESULT = std::int32_t;
using NTSTATUS = std::int32_t;
using WCHAR = char16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct LARGE_INTEGER {
  std::int64_t QuadPart;
};

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

}  // namespace plat::win
