// The program's spine: start-up, obtaining the program, the game loop and
// the orderly end.
#pragma once

#include <functional>

namespace kv {

// Runs the game of the command line; answers the exit status: 0 for every
// ending of the run itself (also script errors), 1 when the run could not
// start or end in order.
int runtimeMain(int argc, const char* const* argv);

// Runs body and ends the run in order whatever leaves it: the media layer is
// shut down and "closing logfile." written. 0 when body returned; 1 (after
// logging it) for an error or exception that left it.
int runEndingInOrder(const std::function<void()>& body);

// Makes a fatal end inside the media layer leave its reason in the runtime log
// (it reaches standard error in any case).
void logMediaFatalErrors();

}  // namespace kv
