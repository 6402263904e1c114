// The wider scalar types and result codes of the module, COM and system-information
// stand-ins, beside the common ones.
#pragma once
#include <cstdint>

#include "platform/win/types.h"

namespace plat::win {

using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using HRESULT = std::int32_t;
using NTSTATUS = std::int32_t;
using WCHAR = char16_t;

}  // namespace plat::win
