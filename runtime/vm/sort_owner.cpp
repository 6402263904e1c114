// Sort-buffer ownership: the owner is a context, a frame index in it and a
// mark that the owning call keeps in its first local, so a later call that
// reuses the frame slot is never taken for the owner.
#include "runtime/vm/sort_owner.h"

namespace kv {
namespace {

int32_t gLastMark = 0;

// The sort call's first local: the place of its mark.
Value* markCell(const CallFrame& f) {
  const ActivationObject* a = f.activation;
  if (!a || !a->cells || a->argCount >= a->cellCount) return nullptr;
  return a->cells + a->argCount;
}

int32_t frameIndex(const KVContext* ctx) { return static_cast<int32_t>(ctx->frame - ctx->frames); }

bool markedBy(const CallFrame& f, const KVArray* array) {
  const Value* m = markCell(f);
  return m && m->tag == kInt && m->i == array->sortMark && f.receiver == array;
}

// The owning call is still on its thread's frames (running or waiting).
bool ownerRunning(const KVArray* a) {
  KVContext* ctx = a->sortContext;
  if (!ctx) return false;
  // A context registered when the sort began must still be the same one;
  // its slot's generation moves on when it goes.
  if (ctx->number >= 0) {
    if (registeredContext(ctx->number) != ctx || threadGeneration(ctx->number) != a->sortGeneration) return false;
  } else if (ctx != gCurrentContext) {
    return false;
  }
  return a->sortFrame >= 0 && a->sortFrame < ctx->depth && markedBy(ctx->frames[a->sortFrame], a);
}

}  // namespace

bool beginOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && !ownerRunning(array)) array->dropSort();
  Value* mark = markCell(*ctx->frame);
  if (!mark || !array->beginSort()) return false;
  gLastMark = gLastMark == INT32_MAX ? 1 : gLastMark + 1;
  *mark = Value::makeInt(gLastMark);
  array->sortMark = gLastMark;
  array->sortContext = ctx;
  array->sortGeneration = ctx->number >= 0 ? threadGeneration(ctx->number) : 0;
  array->sortFrame = frameIndex(ctx);
  return true;
}

void endOwnedSort(KVContext* ctx, KVArray* array) {
  if (array->sortBuf && array->sortContext == ctx && array->sortFrame == frameIndex(ctx) &&
      markedBy(*ctx->frame, array))
    array->endSort();
}

}  // namespace kv
