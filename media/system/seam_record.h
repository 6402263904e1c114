// Temporary: the seams that stand in for the graphics, sound, input and periphery
// modules until those land record each call here, so that tests can check the order
// in which start-up, the pump and shut-down reach them.
#pragma once
#include <string>
#include <vector>

namespace ZaDod {

void RecordSeamCall(const char* name);
// The calls recorded since the last take, oldest first.
std::vector<std::string> TakeSeamCalls();

}  // namespace ZaDod
