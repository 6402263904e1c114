// Sort-buffer ownership: the owner is a context, a frame index in it and a
// mark that the owning call keeps in its first local, so a later call that
// reuses the frame slot is never taken for the owner.
#include "runtime/vm/sort_owner.h"

namespace kv {
namespace {

// Marks count up from an odd base, so that a value a script left in a
// reused frame slot is unlikely to pass for one.
constexpr int32_t kFirstMark = 0x4B560001;
int32_t gLastMark = kFirstMark;

// The sort call's first local: the place of its mark.
Value* markCell(const CallFrame& f) {
  const ActivationObject* a = f.activation;
  if (!a || !a->cells || a->argCount >= a->cellCount) return nullptr;
  return a->cells + a->argCount;
}

int32_t frameIndex(const KVContext* ctx) { return static_cast<int32_t>(ctx->frame - ctx->frames); }

bool hasMark(const CallFrame& f, const KVArray* array) {
  const Value* m = markCell(f);
  return m && m->tag == kInt && m->i == array->sortState().mark;
}

// The owning call is still on its thread's frames (running or waiting).
bool ownerRunning(const KVArray* a) {
  // The context is looked up, not read through the pointer kept: a thread
  // that ended took its context with it, and its slot's generation moved on.
  const ArraySortState& s = a->sortState();
  KVContext* ctx = s.thread >= 0 ? registeredContext(s.thread) : gCurrentContext;
  if (!ctx || ctx != s.context) return false;
  if (s.thread >= 0 && threadGeneration(s.thread) != s.generation) return false;
  if (s.frame < 0 || s.frame >= ctx->depth) return false;
  const CallFrame& f = ctx->frames[s.frame];
  return f.receiver == a && hasMark(f, a);
}

}  // namespace

bool beginOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && !ownerRunning(array)) array->dropSort();
  Value* mark = markCell(*ctx->frame);
  if (!mark || !array->beginSort()) return false;
  gLastMark = gLastMark == INT32_MAX ? kFirstMark : gLastMark + 1;
  *mark = Value::makeInt(gLastMark);
  ArraySortState& s = array->sortState();
  s.mark = gLastMark;
  s.context = ctx;
  s.thread = ctx->number;
  s.generation = ctx->number >= 0 ? threadGeneration(ctx->number) : 0;
  s.frame = frameIndex(ctx);
  return true;
}

void endOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && array->sortState().context == ctx && array->sortState().frame == frameIndex(ctx) &&
      hasMark(*ctx->frame, array))
    array->endSort();
}

}  // namespace kv
