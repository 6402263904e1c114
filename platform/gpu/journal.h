// The software GPU's call journal: how often each method ran, and an optional trace of
// the calls with their arguments, for tests to read. Each journalled entry also asks the
// profile whether it was told to fail on this call.
#pragma once
#include <string>
#include <vector>

namespace plat::gpu {

// Counts one call of `method`. Returns false when the profile says this call fails.
// `traced` tells whether the caller should add its arguments with traceArgs.
bool countCall(const char* method, bool* traced = nullptr);
// Appends "method(args)" to the trace (only while tracing is on).
void traceArgs(const char* method, const std::string& args);

// Counts one call and, while tracing, records it with the arguments that `args()` formats.
template <class ArgsFn>
bool journalCall(const char* method, ArgsFn&& args) {
  bool traced = false;
  const bool ok = countCall(method, &traced);
  if (traced) traceArgs(method, args());
  return ok;
}

int callCount(const std::string& method);
void setTracing(bool on);
std::vector<std::string> trace();
// Clears the counters and the trace.
void resetJournal();

}  // namespace plat::gpu
