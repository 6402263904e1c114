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
  return m && m->tag == kInt && m->i == array->sortMark;
}

// The owning call is still on its thread's frames (running or waiting).
bool ownerRunning(const KVArray* a) {
  // The context is looked up, not read through the pointer kept: a thread
  // that ended took its context with it, and its slot's generation moved on.
  KVContext* ctx = a->sortThread >= 0 ? registeredContext(a->sortThread) : gCurrentContext;
  if (!ctx || ctx != a->sortContext) return false;
  if (a->sortThread >= 0 && threadGeneration(a->sortThread) != a->sortGeneration) return false;
  if (a->sortFrame < 0 || a->sortFrame >= ctx->depth) return false;
  const CallFrame& f = ctx->frames[a->sortFrame];
  return f.receiver == a && hasMark(f, a);
}

}  // namespace

bool beginOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && !ownerRunning(array)) array->dropSort();
  Value* mark = markCell(*ctx->frame);
  if (!mark || !array->beginSort()) return false;
  gLastMark = gLastMark == INT32_MAX ? kFirstMark : gLastMark + 1;
  *mark = Value::makeInt(gLastMark);
  array->sortMark = gLastMark;
  array->sortContext = ctx;
  array->sortThread = ctx->number;
  array->sortGeneration = ctx->number >= 0 ? threadGeneration(ctx->number) : 0;
  array->sortFrame = frameIndex(ctx);
  return true;
}

void endOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && array->sortContext == ctx && array->sortFrame == frameIndex(ctx) &&
      hasMark(*ctx->frame, array))
    array->endSort();
}

}  // namespace kv
