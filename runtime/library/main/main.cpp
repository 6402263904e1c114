// The halvorine program: runs the game named on the command line.
#include <cstdio>
#include <exception>

#include "runtime/library/runtime_main.h"

int main(int argc, char** argv) {
  try {
    return kv::runtimeMain(argc, argv);
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
}
