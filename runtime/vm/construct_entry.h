// `new` of a script function inside the caller's code loop: the new object
// made, the constructor's frame entered with it as `this`, and at the frame's
// end new's rule for the result.
#pragma once

#include "runtime/vm/call_entry.h"
#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/property.h"

namespace kv {

// The New record's call (a script function whose frame enterScriptCall
// enters, fewer constructions under way than the nesting limit) entered as
// the nested construction would run it: the new object, the constructor's
// prototype its own and as many slots as its instances are known to have,
// is the frame's receiver and the newest object under construction, and the
// frame says that it constructs. False with nothing changed but the free
// cells above the running frame when the nested construction must run it
// (it then makes the object, warns or fails as it always did).
// The object is made after the frame is entered: a collection then finds the
// callee and the arguments in the frame, so nothing is held across it.
[[gnu::always_inline]] inline bool enterConstructorCall(KVContext* ctx, int32_t top, int32_t pc, EnteredFrame& out) {
  if (ctx->constructingDepth >= KVContext::kConstructing) return false;
  if (!enterScriptCall(ctx, top, pc, false, out)) return false;
  CallFrame* const f = ctx->frame;
  KVobj* const made = newObjectFrom(static_cast<KVfobj*>(f->callee));
  f->receiver = made;
  f->constructs = true;
  ctx->constructing[ctx->constructingDepth++] = made;
  return true;
}

}  // namespace kv
