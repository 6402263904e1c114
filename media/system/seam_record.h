// Temporary: the seams that stand in for modules not built yet (movies, soft sounds)
// record each call here, so that tests can check the order
// in which start-up, the pump and shut-down reach them.
#pragma once
#include <string>
#include <vector>

namespace ZaDod {

// Lock-free and allocation-free: the name must live for the whole run (a literal).
void RecordSeamCall(const char* name);
// The calls recorded since the last take, oldest first; the last 4096 at most.
std::vector<std::string> TakeSeamCalls();

}  // namespace ZaDod
