// The command line and the start-up settings it sets.
#pragma once

#include <cstdint>

namespace kv {

struct StartupSettings {
  int32_t readLevel = 1;    // read the object file when >= 1 and not below writeLevel
  int32_t writeLevel = 0;   // write it after a compile when above readLevel
  uint8_t execute = 1;      // run a compiled program
  int32_t tickBudget = -1;  // ticks left before the run ends; -1 no limit
  int32_t displayIndex = -1;
  uint8_t mouseReading = 1;
  const char* sourceName = nullptr;  // null: "main.kvj"
  const char* logName = nullptr;     // null: "kvlog.txt"
};
extern StartupSettings gSettings;

// Arguments 1..argc-1: up to two positional names (source, log), options
// "-br<d>", "-bw<d>", "-display<d>", "-m", "-x0", "-x1" with their letters
// in any case. Any other option letter is reported as a system warning at
// once and queued for the log.
void parseCommandLine(int argc, const char* const* argv, const char** source, const char** log);

// What the read and write levels make of a start.
struct ObjectFilePlan {
  bool read;             // try the object file first
  bool compileOnFailure; // compile when the read fails
  bool write;            // write the object file after compiling
};
ObjectFilePlan objectFilePlan(int32_t readLevel, int32_t writeLevel);

}  // namespace kv
