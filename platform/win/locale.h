// The code page of the environment's locale.
#pragma once

namespace plat::win {

// 932, 936, 949, 950 or 1252 for a locale whose codeset is that legacy code page,
// 65001 for everything else (UTF-8, C, POSIX, unset, unknown codesets).
unsigned GetOEMCP();

}  // namespace plat::win
