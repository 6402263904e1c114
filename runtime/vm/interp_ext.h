// The interpreter kinds and call paths served by the classes of arrays,
// views, tuples and generators, installed into the interpreter's hooks.
#pragma once

#include "runtime/vm/context.h"

namespace kv {

class KVrestarter;

// Installs the step hooks and extensions and registers the roots of the
// open array literals; the object-system start-up calls it.
void installInterpreterExtensions();

// Resumes the restarter's saved frame with `passed` as the value of its
// Yield (ignored on the first run) and runs it to its next Yield or its
// end; the step result is the restarter's pair, on top of the operand stack.
void resumeAndRun(KVContext* ctx, KVrestarter* r, const Value& passed);

}  // namespace kv
