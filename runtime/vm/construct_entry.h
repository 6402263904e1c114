// `new` of a script function inside the caller's code loop: the new object
// made, the constructor's frame entered with it as `this`, and at the frame's
// end new's rule for the result.
#pragma once

#include <algorithm>
#include <new>

#include "runtime/vm/call_entry.h"
#include "runtime/vm/context.h"
#include "runtime/vm/function.h"
#include "runtime/vm/property.h"

namespace kv {

// newObjectFrom(ctor) for a constructor whose instances start with fewer
// than eight slots, whose prototype object exists already and for which the
// nursery has the room newObjectFrom reserves: the same body, table and
// reservation without the calls. Anything else is made by newObjectFrom.
[[gnu::always_inline]] inline KVobj* newInstanceOf(KVfobj* ctor) {
  const int32_t n = (ctor->instanceMembers > 0 ? ctor->instanceMembers : 0) + 1;
  const size_t need = objectBytes<KVobj>(n) + kNurseryReserve;
  char* const cursor = gHeap.nurseryCursor;
  if (n >= 8 || ownPrototypeLater(ctor) || gHeap.stress ||
      gHeap.nurseryLimit - cursor < static_cast<ptrdiff_t>(need)) [[unlikely]]
    return newObjectFrom(ctor);
  gHeap.reservedEnd = std::max(gHeap.reservedEnd, cursor + need);
  // What KVfobj::constructorPrototype answers once the object exists.
  const Value* const p = ctor->props.count >= 2 ? ctor->props.cells[1] : nullptr;
  KVobj* const proto = p && p->tag == kObject ? p->obj : nullptr;
  return placeSmallPlainObject(n, proto, ctor->instanceClassId);
}

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
[[gnu::always_inline]] inline bool enterConstructorCall(KVContext* ctx, const RunningFrame& running, int32_t top, int32_t pc,
                                                        EnteredFrame& out) {
  if (ctx->constructingDepth >= KVContext::kConstructing) return false;
  if (!enterScriptCall(ctx, running, top, pc, false, out)) return false;
  // The script entry leaves the run position and operand level to the
  // loop's registers; the allocation below may collect or fail, and both
  // read them from the context.
  ctx->top = out.top;
  ctx->pc = 0;
  CallFrame* const f = ctx->frame;
  KVobj* const made = newInstanceOf(static_cast<KVfobj*>(f->callee));
  f->receiver = made;
  f->constructs = true;
  ctx->constructing[ctx->constructingDepth++] = made;
  return true;
}

// Leaves the running frame, which a code loop entered, as leaveScriptCall
// leaves a call's, a constructor's frame with new's result: an object the
// constructor gave, else the object made, which leaves the constructions
// under way. `top` is the loop's. A frame that leaveScriptCall declines, and
// the first construction of a function (which fixes its instances' layout),
// answer null; leaveEnteredConstructor then leaves the constructor's frame.
// The result is put on the operand stack before leaveScriptCall looks: a
// frame it declines then gives the same result the general way.
[[gnu::always_inline]] inline CallFrame* leaveLoopFrame(KVContext* ctx, int32_t& top, const Value* result = nullptr) {
  CallFrame* const f = ctx->frame;
  if (!f->constructs) [[likely]]
    return leaveScriptCall(ctx, top, result);
  if (ctx->exception || static_cast<const KVfobj*>(f->callee)->instanceMembers < 0) return nullptr;
  KVobj* made = ctx->constructing[ctx->constructingDepth - 1];
  int32_t t = top;
  Value given;
  if (result) {
    if (result->tag != kObject) {
      given = Value::makeObject(made);
      result = &given;
    }
  } else {
    if (t <= f->operandBase) t = f->operandBase + 1;
    else if (ctx->operands[t - 1].tag == kObject) made = nullptr;
    if (made) {
      ctx->operands[t - 1] = Value::makeObject(made);
      ctx->operandRefs[t - 1] = nullptr;
    }
  }
  CallFrame* const caller = leaveScriptCall(ctx, t, result);
  if (!caller) return nullptr;
  top = t;
  f->constructs = false;
  ctx->constructing[--ctx->constructingDepth] = nullptr;
  return caller;
}

}  // namespace kv
