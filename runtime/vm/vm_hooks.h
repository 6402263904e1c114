// What the interpreter reaches outside runtime/vm, through hooks that the
// layers above fill at start-up, so that runtime/vm links against neither
// the media layer, the compiler nor the runtime library.
#pragma once

#include <cstdint>

#include "runtime/vm/code.h"

namespace kv {

class KVContext;

// The message pump the interpreter calls every 258 records: the media
// layer's ProcessWindowMessages unless another is set (tests count calls
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
// TEMPORARY SEAM (module loading): the runtime library's runtimeLoad. False
// when the module can be neither read nor compiled; unset, every load fails.
using RuntimeLoadHook = bool (*)(const char* module, ModuleProgram* out);
void setRuntimeLoadHook(RuntimeLoadHook hook);

// TEMPORARY SEAM (wait blocking): the compiler's setWaitBlocked and
// unblockWaitInFunction, which turn Wait records of a module into
// WaitForbidden while it is imported, and back.
using SetWaitBlockedHook = void (*)(CodeVector* code, bool blocked);
using UnblockWaitHook = void (*)(KVfobj* function);
void setWaitBlockingHooks(SetWaitBlockedHook block, UnblockWaitHook unblock);

// Extensions that the classes of threads, arrays, views, tuples and
// generators install with themselves. A step hook runs one record of its
// kind and answers what the loop does next.
enum class StepResult { Advance, Jump, Leave };  // Jump: continue at ctx->pc
using StepHook = StepResult (*)(KVContext* ctx, const CodeNode* node);
// Kinds served by step hooks: array literals, ForOf, Yield, GeneratorReturn.
void setStepHook(int32_t kind, StepHook hook);
// Element access of arrays, views and tuples (member look-up before the
// cache): answers true with the element's cell (null when missing) when the
// object serves the key itself.
using ElementHook = bool (*)(KVobj* obj, int32_t key, Value*& cell);
// A call of a generator function or of a restarter's next: true when served.
using SpecialCallHook = bool (*)(KVContext* ctx, KVfobj* fn, KVobj* receiver, int32_t argCount);
// CallIntrinsic operations 9 to 17 (the array sort).
using IntrinsicHook = void (*)(KVContext* ctx, int32_t operation);
// A write to a typed view element that a reference resolved to.
using ViewStoreHook = void (*)(KVobj* view, int32_t index, const Value& v);
struct InterpreterExtensions {
  ElementHook element = nullptr;
  SpecialCallHook specialCall = nullptr;
  IntrinsicHook intrinsic = nullptr;
  ViewStoreHook viewStore = nullptr;
};
InterpreterExtensions& interpreterExtensions();

}  // namespace kv
