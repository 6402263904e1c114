// The program's spine: start-up, obtaining the program, the game loop and
// the orderly end.
#pragma once

namespace kv {

// Runs the game of the command line; answers the exit status: 0 for every
// ending of the run itself (also script errors), 1 when the run could not
// start or end in order.
int runtimeMain(int argc, const char* const* argv);

// Fills the object system's hooks into the library (registration, slots,
// start-up tables, defaults) and the interpreter's module loader; the
// start-up runs it before the object system is built.
void installRuntimeLibrary();

}  // namespace kv
