// The scalar types that the media layer's calls into the Windows-era stand-ins use.
#pragma once
#include <cstdint>

namespace plat::win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using HRESULT = std::int32_t;
using NTSTATUS = std::int32_t;
using WCHAR = char16_t;

}  // namespace plat::win
