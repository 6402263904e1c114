// The words of the object file's filler section.
#pragma once

#include <cstdint>

namespace kv {

// A word drawn uniformly from 0 to 2147483647.
//
// TEMPORARY SEAM (global random engine): a process-wide 32-bit Mersenne
// Twister stands in for the runtime's global random engine until the script
// library sets that up; then this draws from it.
uint32_t drawFillerWord();

}  // namespace kv
