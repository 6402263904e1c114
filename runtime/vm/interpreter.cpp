#include "runtime/vm/interpreter.h"

#include "runtime/vm/context.h"

namespace kv {

// Natives only, for now: the code loop over instruction records joins here.
void runFunction(const Callable& fn) {
  if (fn.native) fn.native(gCurrentContext);
}

}  // namespace kv
