#include "platform/win/process.h"

#include <unistd.h>

#include <cstdio>

namespace plat::win {

void ExitProcess(UINT exitCode) {
  std::fflush(nullptr);
  _exit(static_cast<int>(exitCode & 0xFF));
}

}  // namespace plat::win
