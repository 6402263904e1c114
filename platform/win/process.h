// Ending the process the way the media layer's fatal path expects.
#pragma once
#include "platform/win/types.h"

namespace plat::win {

// Flushes the C streams and ends the process at once with the low 8 bits of the code
// (-1 becomes status 255). No static destructor and no exit handler runs, as other
// threads may still be using what they would destroy.
[[noreturn]] void ExitProcess(UINT exitCode);

}  // namespace plat::win
