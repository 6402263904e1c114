// What the interpreter reaches outside runtime/vm, through hooks that the
// layers above fill at start-up, so that runtime/vm links against neither
// the media layer, the compiler nor the runtime library.
#pragma once

#include <cstdint>

#include "runtime/vm/code.h"

namespace kv {

class KVContext;

// The message pump the interpreter calls every 258 records: the media
// layer's ProcessWindowMessagesWhenDue unless another is set (tests count calls
// with a fake; null calls none). -1 means the main window was closed.
using MessagePumpHook = int (*)();
void setMessagePumpHook(MessagePumpHook hook);
MessagePumpHook messagePumpHook();
MessagePumpHook defaultMessagePump();

// A module loaded at run time: its top-level code and the sizes of its two
// variable tables (built-in symbols, then its own variables).
struct ModuleProgram {
  CodeVector* code = nullptr;
  int32_t firstCount = 0;
  int32_t secondCount = 0;
};
// The module loader Import calls: the runtime library installs its runtimeLoad
// at start-up, tests a loader of their own. False when the module can be
// neither read nor compiled; unset, every load fails.
using RuntimeLoadHook = bool (*)(const char* module, ModuleProgram* out);
void setRuntimeLoadHook(RuntimeLoadHook hook);

// The compiler's setWaitBlocked and unblockWaitInFunction (installed by the
// code generator; tests count calls with fakes), which turn Wait records of a
// module into WaitForbidden while it is imported, and back.
using SetWaitBlockedHook = void (*)(CodeVector* code, bool blocked);
using UnblockWaitHook = void (*)(KVfobj* function);
void setWaitBlockingHooks(SetWaitBlockedHook block, UnblockWaitHook unblock);

}  // namespace kv
