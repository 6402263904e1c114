// The interpreter's entry: runs one callable on the current context.
#pragma once

#include "runtime/vm/function.h"

namespace kv {

// Runs the callable on gCurrentContext until it returns, suspends its
// thread or fails. What happened is read from the context: its program
// counter, its suspend flag and the result on top of its operand stack.
void runFunction(const Callable& fn);
// Starts the count of steps between two pump calls afresh, so that two runs
// of one program meet the pump at the same records (tests).
void restartPumpCount();

}  // namespace kv
