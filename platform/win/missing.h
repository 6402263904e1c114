// The test hook that switches stand-ins off: HALVORINE_MISSING holds a comma-separated
// list of short names. Every stand-in that can be missing asks here with its own name.
#pragma once

namespace plat::win {

// True when `name` is listed in HALVORINE_MISSING, compared without regard to case.
// The variable is read on every call so that a test can change it in process.
bool IsStandInMissing(const char* name);

}  // namespace plat::win
